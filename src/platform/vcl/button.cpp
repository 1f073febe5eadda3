#include "platform/vcl/button.h"

#include <cctype>

#include "platform/vcl/form.h"
#include "platform/win/window_system.h"

namespace vcl {

bool IsAccel(Word Key, const std::string& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] != '&')
      return std::toupper(static_cast<unsigned char>(Caption[i + 1])) == std::toupper(Key & 0xFF);
    ++i;  // "&&" is a plain '&'
  }
  return false;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {
  FControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
  FWidth = 75;
  FHeight = 25;
  SetTabStop(true);
}

TButton::~TButton() = default;

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  if (TForm* form = GetParentForm(this)) form->Invalidate();
  Invalidate();
}

bool TButton::IsActiveDefault() {
  TForm* form = GetParentForm(this);
  auto* focused = form ? dynamic_cast<TButton*>(form->ActiveControl()) : nullptr;
  return focused ? focused == this : FDefault;
}

void TButton::Click() {
  TWinControl::Click();  // this may be deleted by the handler
}

void TButton::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  Invalidate();
}

// ---- the button window ----------------------------------------------------------------------

void TButton::DefaultHandler(TMessage& Message) {
  if (ButtonWindowProc(Message)) return;
  TWinControl::DefaultHandler(Message);
}

bool TButton::ButtonWindowProc(TMessage& Message) {
  if (!FHandle) return false;
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_BUTTON | (IsActiveDefault() ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != FHandle) {
        auto alive = Alive();
        vcl::SetFocus(FHandle);
        // A press that could not take the focus (an exit handler kept it elsewhere, or freed
        // this button) presses nothing.
        if (!alive || !FHandle || GetFocus() != FHandle) return true;
      }
      FMouseDown = true;
      SetCapture(FHandle);
      SetPressed(true);
      return true;
    }
    case WM_MOUSEMOVE:
      if (FMouseDown) SetPressed(ClientRect().Contains(PointFromLParam(Message.LParam)));
      return false;
    case WM_LBUTTONUP: {
      if (!FMouseDown) return false;
      FMouseDown = false;
      const bool inside = FPressed;
      SetPressed(false);
      if (GetCapture() == FHandle) ReleaseCapture();
      if (inside) Click();  // this may be deleted
      return true;
    }
    case WM_KEYDOWN:
      if (Message.WParam != VK_SPACE || FMouseDown) return false;
      FSpaceDown = true;
      SetPressed(true);
      return true;
    case WM_KEYUP:
      if (Message.WParam != VK_SPACE || !FSpaceDown) return false;
      FSpaceDown = false;
      SetPressed(false);
      Click();  // this may be deleted
      return true;
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
      FSpaceDown = FMouseDown = false;
      SetPressed(false);
      if (GetCapture() == FHandle) ReleaseCapture();
      Invalidate();
      return false;
    case WM_SETFOCUS:
      Invalidate();
      if (TForm* form = GetParentForm(this)) form->Invalidate();  // the default frame moves
      return false;
    default: return false;
  }
}

// ---- dialog keys ----------------------------------------------------------------------------

void TButton::CMDialogKey(TMessage& Message) {
  const bool enter = Message.WParam == VK_RETURN && IsActiveDefault();
  const bool escape = Message.WParam == VK_ESCAPE && FCancel;
  if ((enter || escape) && KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
    Message.Result = 1;
    Click();  // this may be deleted
    return;
  }
  TWinControl::Dispatch(Message);
}

// An accelerator (Alt+letter, or the letter when the focused control takes no characters)
// clicks the button whose caption marks that letter with '&'.
void TButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    Message.Result = 1;
    Click();  // this may be deleted
    return;
  }
  TWinControl::Dispatch(Message);
}

void TButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FONTCHANGED:
      FCanvas->ControlFontChanged();
      TWinControl::Dispatch(Message);
      break;
    case CM_TEXTCHANGED: Invalidate(); break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ---- painting -------------------------------------------------------------------------------

void TButton::PaintWindow(HDC DC) {
  TControlCanvas& c = *FCanvas;
  TCanvasPaintScope scope(c, DC);
  c.ControlFontChanged();
  TRect r;
  GetClientRect(FHandle, r);
  HDC dc = c.Handle();
  // The default button wears a black frame around its face.
  if (IsActiveDefault()) {
    FrameRect(dc, r, clWindowFrame);
    InflateRect(r, -1, -1);
  }
  if (FPressed) {
    FrameRect(dc, r, clBtnShadow);
    TRect face = r;
    InflateRect(face, -1, -1);
    FillRect(dc, face, clBtnFace);
  } else {
    TRect face = r;
    DrawEdge(dc, face, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  TRect text = r;
  if (FPressed) OffsetRect(text, 1, 1);
  dc = c.Handle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Enabled() ? clBtnText : clGrayText);
  const std::string caption = Caption();
  DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused()) {
    TRect focus = r;
    InflateRect(focus, -3, -3);
    DrawFocusRect(dc, focus);
  }
}

}  // namespace vcl
