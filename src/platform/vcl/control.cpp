#include "platform/vcl/control.h"

#include <cstdlib>
#include <vector>

#include "platform/vcl/application.h"
#include "platform/vcl/form.h"
#include "platform/vcl/win_control.h"
#include "platform/win/window_system.h"

namespace vcl {

bool NewStyleControls = true;
TSysLocale SysLocale;
TByteSet LeadBytes;

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & KF_ALTDOWN_BIT) s.Include(ssAlt);
  return s;
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TControl* GetCaptureControl() {
  return FindControl(GetCapture());
}

// ---- construction ---------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->SetOnChange([this](TObject*) { FontChanged(); });
}

TControl::~TControl() {
  Destroying();
  EndLiveness();
  if (Application) Application->ControlDestroyed(this);
  SetParent(nullptr);
}

// ---- placement ------------------------------------------------------------------------------

void TControl::SetParent(TWinControl* AParent) {
  if (FParent == AParent) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  // Leaving the old parent moves the focus away: an exit handler may free this control or the
  // new parent.
  auto alive = Alive();
  auto parentAlive = AParent ? AParent->Alive() : TAliveToken();
  if (FParent) FParent->RemoveControl(this);
  if (alive && AParent && parentAlive) AParent->InsertControl(this);
}

void TControl::StoreBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();  // the old place
  StoreBounds(ALeft, ATop, AWidth, AHeight);
  Invalidate();
  Resize();
}

TRect TControl::ClientRect() {
  return TRect{0, 0, FWidth, FHeight};
}

void TControl::SetClientWidth(int Value) {
  SetWidth(FWidth - ClientWidth() + Value);
}
void TControl::SetClientHeight(int Value) {
  SetHeight(FHeight - ClientHeight() + Value);
}

TPoint TControl::ClientOrigin() {
  if (!FParent) return TPoint{FLeft, FTop};
  TPoint p = FParent->ClientOrigin();
  return TPoint{p.X + FLeft, p.Y + FTop};
}

TPoint TControl::ClientToScreen(TPoint P) {
  TPoint o = ClientOrigin();
  return TPoint{P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) {
  TPoint o = ClientOrigin();
  return TPoint{P.X - o.X, P.Y - o.Y};
}

// ---- state ----------------------------------------------------------------------------------

void TControl::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
}

void TControl::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

bool TControl::MouseCapture() {
  return GetCaptureControl() == this;
}

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  auto* self = dynamic_cast<TWinControl*>(this);
  if (Value) {
    if (self) vcl::SetCapture(self->Handle());
  } else {
    ReleaseCapture();
  }
}

void TControl::SetColor(TColor Value) {
  if (FColor == Value) {
    FParentColor = false;
    return;
  }
  FColor = Value;
  FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (FParentColor == Value) return;
  FParentColor = Value;
  if (FParent && Value) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged() {
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (FParentFont == Value) return;
  FParentFont = Value;
  if (FParent && Value) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value) {
  if (FCursor == Value) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  if (FBiDiMode == Value) {
    FParentBiDiMode = false;
    return;
  }
  FBiDiMode = Value;
  FParentBiDiMode = false;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (FParentBiDiMode == Value) return;
  FParentBiDiMode = Value;
  if (FParent && Value) Perform(CM_PARENTBIDIMODECHANGED, 0, 0);
}

bool TControl::UseRightToLeftAlignment() {
  return SysLocale.MiddleEast && FBiDiMode == bdRightToLeft;
}
bool TControl::UseRightToLeftReading() {
  return SysLocale.MiddleEast && FBiDiMode != bdLeftToRight;
}
bool TControl::UseRightToLeftScrollBar() {
  return SysLocale.MiddleEast && FBiDiMode != bdLeftToRight && FBiDiMode != bdRightToLeftNoAlign;
}
bool TControl::IsRightToLeft() {
  return UseRightToLeftReading() || UseRightToLeftAlignment();
}

void TControl::SetShowHint(bool Value) {
  FParentShowHint = false;
  if (FShowHint == Value) return;
  FShowHint = Value;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (FParentShowHint == Value) return;
  FParentShowHint = Value;
  if (FParent && Value) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

std::string TControl::Text() {
  LRESULT len = Perform(WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return {};
  std::vector<char> buf(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = Perform(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
  if (got < 0) got = 0;
  return std::string(buf.data(), static_cast<size_t>(std::min(got, len)));
}

void TControl::SetText(const std::string& Value) {
  if (Text() == Value) return;
  auto alive = Alive();
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));  // OnChange may free this
  if (alive) Perform(CM_TEXTCHANGED, 0, 0);
}

// ---- painting -------------------------------------------------------------------------------

// A control without a window invalidates its bounds on its parent's window.
void TControl::Invalidate() {
  if (!FParent || !FParent->HandleAllocated()) return;
  TRect r = BoundsRect();
  InvalidateRect(FParent->Handle(), &r, !FControlStyle.Contains(csOpaque));
}

void TControl::Repaint() {
  Invalidate();
  if (FParent) FParent->Update();
}

// ---- messages -------------------------------------------------------------------------------

LRESULT TControl::Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  Cardinal& msg = Message.Msg;
  if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
    // A control that does not want double clicks sees a second press as a press.
    if (!FControlStyle.Contains(csDoubleClicks) &&
        (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK))
      msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)
      FControlState.Include(csLButtonDown);
    else if (msg == WM_LBUTTONUP)
      FControlState.Exclude(csLButtonDown);
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: WMRButtonDown(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: WMMButtonDown(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); break;
    case CM_PARENTBIDIMODECHANGED: CMParentBiDiModeChanged(Message); break;
    case CM_HITTEST: Message.Result = HTCLIENT; break;
    default: DefaultHandler(Message); break;
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      if (Message.WParam == 0 || !Message.LParam) break;
      size_t n = std::min(FText.size(), static_cast<size_t>(Message.WParam) - 1);
      auto* out = reinterpret_cast<char*>(Message.LParam);
      FText.copy(out, n);
      out[n] = '\0';
      Message.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(FText.size()); break;
    case WM_SETTEXT:
      FText = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
      Message.Result = 1;
      break;
    default: break;
  }
}

bool TControl::ExecuteAction(TBasicAction* Action) {
  return TComponent::ExecuteAction(Action);
}
bool TControl::UpdateAction(TBasicAction* Action) {
  return TComponent::UpdateAction(Action);
}

// ---- mouse ----------------------------------------------------------------------------------

void TControl::SendCancelMode() {
  TForm* form = GetParentForm(this);
  if (form && form->ActiveControl() && form->ActiveControl() != this)
    form->ActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TPoint p = PointFromLParam(Message.LParam);
  MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TPoint p = PointFromLParam(Message.LParam);
  MouseUp(Button, KeysToShiftState(Message.WParam), p.X, p.Y);
}

void TControl::WMLButtonDown(TMessage& Message) {
  auto alive = Alive();
  SendCancelMode();
  if (!alive) return;
  DefaultHandler(Message);
  if (!alive) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) FControlState.Include(csClicked);
  DoMouseDown(Message, mbLeft, {});
}

void TControl::WMLButtonDblClk(TMessage& Message) {
  auto alive = Alive();
  SendCancelMode();
  if (!alive) return;
  DefaultHandler(Message);
  if (!alive) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (FControlStyle.Contains(csClickEvents)) DblClick();
  if (!alive) return;
  DoMouseDown(Message, mbLeft, {ssDouble});
}

void TControl::WMLButtonUp(TMessage& Message) {
  auto alive = Alive();
  DefaultHandler(Message);
  if (!alive) return;
  if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (FControlState.Contains(csClicked)) {
    FControlState.Exclude(csClicked);
    if (ClientRect().Contains(PointFromLParam(Message.LParam))) Click();
    if (!alive) return;
  }
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonDown(TMessage& Message) {
  auto alive = Alive();
  DefaultHandler(Message);
  if (!alive) return;
  DoMouseDown(Message, mbRight, Message.Msg == WM_RBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
}

void TControl::WMRButtonUp(TMessage& Message) {
  auto alive = Alive();
  DefaultHandler(Message);
  if (!alive) return;
  DoMouseUp(Message, mbRight);
}

void TControl::WMMButtonDown(TMessage& Message) {
  auto alive = Alive();
  DefaultHandler(Message);
  if (!alive) return;
  DoMouseDown(Message, mbMiddle, Message.Msg == WM_MBUTTONDBLCLK ? TShiftState{ssDouble} : TShiftState{});
}

void TControl::WMMButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseUp(Message, mbMiddle);
}

void TControl::WMMouseMove(TMessage& Message) {
  DefaultHandler(Message);
  if (FControlStyle.Contains(csNoStdEvents)) return;
  TPoint p = PointFromLParam(Message.LParam);
  MouseMove(KeysToShiftState(Message.WParam), p.X, p.Y);
}

// A cancelled mouse operation ends the press: the release that follows is no click.
void TControl::WMCancelMode(TMessage& Message) {
  FControlState.Exclude(csLButtonDown);
  FControlState.Exclude(csClicked);
  DefaultHandler(Message);
}

void TControl::MouseWheelHandler(TMessage& Message) {
  TForm* form = GetParentForm(this);
  if (form && form != this) {
    static_cast<TControl*>(form)->MouseWheelHandler(Message);
    return;
  }
  Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::WMMouseWheel(TMessage& Message) {
  MouseWheelHandler(Message);
}

void TControl::CMMouseWheel(TMessage& Message) {
  TShiftState shift = KeysToShiftState(LOWORD(Message.WParam));
  int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
  TPoint pos = PointFromLParam(Message.LParam);
  Message.Result = 0;
  auto alive = Alive();
  if (DoMouseWheel(shift, delta, pos))
    Message.Result = 1;
  else if (alive && FParent)
    Message.Result = static_cast<TControl*>(FParent)->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0) return;
  TPoint pt = PointFromLParam(Message.LParam);
  TPoint temp = pt;
  if (!(pt.X == -1 && pt.Y == -1)) {
    temp = ScreenToClient(pt);
    if (!ClientRect().Contains(temp)) {
      DefaultHandler(Message);
      return;
    }
  }
  bool handled = false;
  auto alive = Alive();
  DoContextPopup(temp, handled);
  Message.Result = handled ? 1 : 0;
  if (!handled && alive) DefaultHandler(Message);
}

// ---- dynamic methods ------------------------------------------------------------------------

void TControl::Click() {
  CallEvent(FOnClick, this);  // the handler may free this control
}

void TControl::DblClick() {
  CallEvent(FOnDblClick, this);  // the handler may free this control
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  CallEvent(FOnMouseDown, this, Button, Shift, X, Y);  // the handler may free this control
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  CallEvent(FOnMouseMove, this, Shift, X, Y);  // the handler may free this control
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  CallEvent(FOnMouseUp, this, Button, Shift, X, Y);  // the handler may free this control
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool result = false;
  auto alive = Alive();
  CallEvent(FOnMouseWheel, this, Shift, WheelDelta, MousePos, result);  // the handler may free this control
  if (result || !alive) return result;
  FWheelAccumulator += WheelDelta;
  // A notch's handler may free this control: the notches left go nowhere.
  while (alive && std::abs(FWheelAccumulator) >= WHEEL_DELTA) {
    bool negative = FWheelAccumulator < 0;
    FWheelAccumulator = std::abs(FWheelAccumulator) - WHEEL_DELTA;
    if (negative) {
      FWheelAccumulator = -FWheelAccumulator;
      result = DoMouseWheelDown(Shift, MousePos);
    } else {
      result = DoMouseWheelUp(Shift, MousePos);
    }
  }
  return result;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool result = false;
  CallEvent(FOnMouseWheelDown, this, Shift, MousePos, result);  // the handler may free this control
  return result;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool result = false;
  CallEvent(FOnMouseWheelUp, this, Shift, MousePos, result);  // the handler may free this control
  return result;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  CallEvent(FOnContextPopup, this, MousePos, Handled);  // the handler may free this control
}

void TControl::Resize() {
  CallEvent(FOnResize, this);  // the handler may free this control
}

// ---- notifications --------------------------------------------------------------------------

void TControl::CMEnabledChanged(TMessage&) {
  Invalidate();
}
void TControl::CMColorChanged(TMessage&) {
  Invalidate();
}
void TControl::CMFontChanged(TMessage&) {
  Invalidate();
}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!FParentColor) return;
  auto alive = Alive();  // the change may resize the control, whose OnResize may free it
  SetColor(Message.WParam != 0 ? static_cast<TColor>(Message.LParam)
                               : static_cast<TControl*>(FParent)->FColor);
  if (alive) FParentColor = true;
}

void TControl::CMParentFontChanged(TMessage& Message) {
  if (!FParentFont) return;
  auto alive = Alive();  // the change may resize the control, whose OnResize may free it
  SetFont(Message.WParam != 0 ? reinterpret_cast<TFont*>(Message.LParam)
                              : static_cast<TControl*>(FParent)->FFont.get());
  if (alive) FParentFont = true;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (!FParentShowHint || !FParent) return;
  auto alive = Alive();  // the change may resize the control, whose OnResize may free it
  SetShowHint(static_cast<TControl*>(FParent)->FShowHint);
  if (alive) FParentShowHint = true;
}

void TControl::CMBiDiModeChanged(TMessage& Message) {
  if (SysLocale.MiddleEast && Message.WParam == 0) Invalidate();
}

void TControl::CMParentBiDiModeChanged(TMessage&) {
  if (!FParentBiDiMode || !FParent) return;
  auto alive = Alive();  // the change may resize the control, whose OnResize may free it
  SetBiDiMode(static_cast<TControl*>(FParent)->FBiDiMode);
  if (alive) FParentBiDiMode = true;
}

}  // namespace vcl
