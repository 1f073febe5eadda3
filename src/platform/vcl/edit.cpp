#include "platform/vcl/edit.h"

#include <algorithm>
#include <cstring>

#include "platform/vcl/clipboard.h"
#include "platform/win/window_system.h"

namespace vcl {

namespace {
// Where the text starts inside the client area.
constexpr int kTextLeft = 1;
constexpr int kTextTop = 1;
}  // namespace

// ---- construction ---------------------------------------------------------------------------

TCustomEdit::TCustomEdit(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {
  // The edit paints its whole client area: no background is erased before it paints.
  FControlStyle = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight, csOpaque};
  FWidth = 121;
  FHeight = 21;
  FColor = clWindow;
  FParentColor = false;
  SetTabStop(true);
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (FBorderStyle == bsSingle) {
    if (NewStyleControls && FCtl3D)
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TCustomEdit::CreateWnd() {
  TWinControl::CreateWnd();
  AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
  if (!FAutoSize || FBorderStyle != bsSingle || ComponentState().Contains(csLoading)) return;
  TEXTMETRIC metrics;
  GetTextMetricsA(FCanvas->Handle(), &metrics);
  // Room for the border above and below the text and a pixel of margin on each side.
  const int room = NewStyleControls ? (FCtl3D ? 8 : 6) * GetSystemMetrics(SM_CYBORDER) : 4;
  SetHeight(metrics.tmHeight + room);
}

void TCustomEdit::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (Value) AdjustHeight();
}

// ---- properties -----------------------------------------------------------------------------

void TCustomEdit::SetSelStart(int Value) {
  FModel.SetSelStart(Value);
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::SetSelLength(int Value) {
  FModel.SetSelLength(Value);
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::SetSelText(const std::string& Value) {
  Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
  FModel.SelectAll();
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::SetMaxLength(int Value) {
  FModel.SetMaxLength(Value);
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (Value == FModel.CharCase()) return;
  if (FModel.SetCharCase(Value)) TextChanged(false);
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  Invalidate();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (Value == FHideSelection) return;
  FHideSelection = Value;
  Invalidate();
}

void TCustomEdit::SetPasswordChar(char Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  FGaps.clear();
  Invalidate();
}

std::string_view TCustomEdit::ShownText() {
  if (!FPasswordChar) return FModel.Text();
  FPasswordText.assign(FModel.Text().size(), FPasswordChar);
  return FPasswordText;
}

const std::vector<int>& TCustomEdit::Gaps() {
  HFONT font = FCanvas->Handle()->CurrentFont();
  const int changed = FModel.TakeChangedFrom();
  if (font != FGapsFont) {
    FGapsFont = font;
    FAdvance.fill(-1);
    FGaps.clear();
  }
  const std::string_view text = ShownText();
  // Gaps up to the first changed character still hold.
  size_t keep = std::min(FGaps.size(), text.size() + 1);
  if (changed >= 0 && static_cast<size_t>(changed) + 1 < keep) keep = static_cast<size_t>(changed) + 1;
  if (keep == 0) {
    FGaps.assign(1, 0);
    keep = 1;
  }
  FGaps.resize(keep);
  FGaps.reserve(text.size() + 1);
  for (size_t i = keep - 1; i < text.size(); ++i) {
    int& advance = FAdvance[static_cast<unsigned char>(text[i])];
    if (advance < 0) advance = font->CharWidth(static_cast<unsigned char>(text[i]));
    FGaps.push_back(FGaps[i] + advance);
  }
  return FGaps;
}

int TCustomEdit::CharX(int Index) {
  const std::vector<int>& gaps = Gaps();
  Index = std::clamp(Index, 0, static_cast<int>(gaps.size()) - 1);
  return kTextLeft - FScrollX + gaps[static_cast<size_t>(Index)];
}

int TCustomEdit::CharIndexAt(int X) {
  // The gaps' positions grow with the index: find the first at or after X, then the nearer
  // of it and the one before.
  int low = 0, high = static_cast<int>(FModel.Text().size());
  while (low < high) {
    const int mid = (low + high) / 2;
    if (CharX(mid) < X)
      low = mid + 1;
    else
      high = mid;
  }
  if (low > 0 && X - CharX(low - 1) <= CharX(low) - X) return low - 1;
  return low;
}

void TCustomEdit::ScrollToCaret() {
  const std::vector<int>& gaps = Gaps();
  const int visible = std::max(1, ClientWidth() - 2 * kTextLeft);
  const int caret =
      gaps[static_cast<size_t>(std::clamp(FModel.CaretPos(), 0, static_cast<int>(gaps.size()) - 1))];
  const int total = gaps.back();
  if (caret - FScrollX > visible) FScrollX = caret - visible;
  if (caret < FScrollX) FScrollX = caret;
  // No empty room at the right while text is scrolled out at the left.
  FScrollX = std::max(0, std::min(FScrollX, total - visible));
}

// ---- the edit window ------------------------------------------------------------------------

void TCustomEdit::DefaultHandler(TMessage& Message) {
  if (EditWindowProc(Message)) return;
  TWinControl::DefaultHandler(Message);
}

bool TCustomEdit::EditWindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(FModel.Text().size()); return true;
    case WM_GETTEXT: {
      Message.Result = 0;
      if (Message.WParam == 0 || !Message.LParam) return true;
      const std::string& text = FModel.Text();
      size_t n = std::min(text.size(), static_cast<size_t>(Message.WParam) - 1);
      auto* out = reinterpret_cast<char*>(Message.LParam);
      std::memcpy(out, text.data(), n);
      out[n] = '\0';
      Message.Result = static_cast<LRESULT>(n);
      return true;
    }
    case WM_SETTEXT: {
      Message.Result = 1;
      FModified = false;
      bool changed = FModel.SetText(Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "");
      FScrollX = 0;
      if (changed)
        TextChanged(false);  // this may be deleted
      else
        Invalidate();
      return true;
    }
    case WM_GETDLGCODE: Message.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL; return true;
    case WM_CHAR:
      if (!FHandle) return false;
      EditChar(static_cast<char>(Message.WParam));
      return true;
    case WM_KEYDOWN:
      if (!FHandle) return false;
      EditKey(static_cast<Word>(Message.WParam));
      return true;
    case WM_COPY: DoCopy(); return true;
    case WM_CUT:
      if (!FReadOnly) DoCut();
      return true;
    case WM_PASTE:
      if (!FReadOnly) DoPaste();
      return true;
    case WM_CLEAR:
      if (!FReadOnly) DoClear();
      return true;
    case WM_UNDO:
    case EM_UNDO:
      Message.Result = FModel.CanUndo() ? 1 : 0;
      if (!FReadOnly) DoUndo();
      return true;
    case EM_CANUNDO: Message.Result = FModel.CanUndo() ? 1 : 0; return true;
    case EM_GETSEL: {
      const DWORD start = static_cast<DWORD>(SelStart()), end = static_cast<DWORD>(SelStart() + SelLength());
      if (Message.WParam) *reinterpret_cast<DWORD*>(Message.WParam) = start;
      if (Message.LParam) *reinterpret_cast<DWORD*>(Message.LParam) = end;
      Message.Result = static_cast<LRESULT>(MAKEWPARAM(static_cast<int>(start), static_cast<int>(end)));
      return true;
    }
    case EM_SETSEL: {
      const int size = static_cast<int>(FModel.Text().size());
      const int anchor = static_cast<int>(static_cast<std::intptr_t>(Message.WParam));
      const int caret = static_cast<int>(Message.LParam);
      if (anchor < 0)
        FModel.Select(FModel.CaretPos(), FModel.CaretPos());  // -1 removes the selection
      else
        FModel.Select(anchor, caret < 0 ? size : caret);
      ScrollToCaret();
      Invalidate();
      return true;
    }
    case EM_REPLACESEL: {
      std::string text = Message.LParam ? reinterpret_cast<const char*>(Message.LParam) : "";
      if (FModel.ReplaceSelection(text)) TextChanged(true);  // this may be deleted
      return true;
    }
    case EM_GETMODIFY: Message.Result = FModified ? 1 : 0; return true;
    case EM_SETMODIFY: FModified = Message.WParam != 0; return true;
    case EM_LIMITTEXT: FModel.SetMaxLength(static_cast<int>(Message.WParam)); return true;
    case EM_SETREADONLY:
      SetReadOnly(Message.WParam != 0);
      Message.Result = 1;
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (FMouseSelecting && GetCapture() == FHandle) ReleaseCapture();
      FMouseSelecting = false;
      Invalidate();  // the caret and the selection show only while focused
      return false;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED: FMouseSelecting = false; return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!FHandle) return false;
      EditMouse(Message);
      return true;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (FHandle) EditMouse(Message);
      return false;
    default: return false;
  }
}

void TCustomEdit::EditChar(char Ch) {
  switch (Ch) {
    case 3: DoCopy(); return;  // Ctrl+C
    case 22:                   // Ctrl+V
      if (!FReadOnly) DoPaste();
      return;
    case 24:  // Ctrl+X
      if (!FReadOnly) DoCut();
      return;
    case 26:  // Ctrl+Z
      if (!FReadOnly) DoUndo();
      return;
    case 8:  // Backspace
      if (!FReadOnly && FModel.Backspace()) TextChanged(true);
      return;
    default: break;
  }
  // Other control characters (Enter, Escape, Tab, Ctrl+letters) type nothing.
  if ((static_cast<unsigned char>(Ch) < 32 || Ch == 127) || FReadOnly) return;
  if (FModel.TypeChar(Ch)) TextChanged(true);
}

void TCustomEdit::EditKey(Word Key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  switch (Key) {
    case VK_DELETE:
      if (FReadOnly) return;
      if (shift) {
        DoCut();
      } else if (FModel.DeleteForward()) {
        TextChanged(true);  // this may be deleted
      }
      return;
    case VK_INSERT:
      if (shift) {
        if (!FReadOnly) DoPaste();
      } else if (ctrl) {
        DoCopy();
      }
      return;
    // A single-line edit takes Up as Left and Down as Right.
    case VK_LEFT:
    case VK_UP:
      if (ctrl)
        FModel.MoveWordLeft(shift);
      else
        FModel.MoveLeft(shift);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (ctrl)
        FModel.MoveWordRight(shift);
      else
        FModel.MoveRight(shift);
      break;
    case VK_HOME: FModel.MoveHome(shift); break;
    case VK_END: FModel.MoveEnd(shift); break;
    default: return;
  }
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::EditMouse(TMessage& Message) {
  const TPoint p = PointFromLParam(Message.LParam);
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != FHandle) {
        auto alive = Alive();
        vcl::SetFocus(FHandle);
        // The focus may have been refused (or this edit freed) by an exit handler.
        if (!alive || !FHandle || GetFocus() != FHandle) return;
      }
      if (Message.Msg == WM_LBUTTONDBLCLK) {
        FModel.SelectWordAt(CharIndexAt(p.X));
      } else {
        FModel.MoveCaretTo(CharIndexAt(p.X), (Message.WParam & MK_SHIFT) != 0);
        FMouseSelecting = true;
        SetCapture(FHandle);
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (!FMouseSelecting || GetCapture() != FHandle) return;
      FModel.MoveCaretTo(CharIndexAt(p.X), true);
      break;
    case WM_LBUTTONUP:
      if (!FMouseSelecting) return;
      FMouseSelecting = false;
      if (GetCapture() == FHandle) ReleaseCapture();
      return;
    default: return;
  }
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::DoCopy() {
  if (FModel.SelLength() > 0 && !FPasswordChar) Clipboard()->SetAsText(FModel.SelText());
}

void TCustomEdit::DoCut() {
  if (FModel.SelLength() == 0 || FPasswordChar) return;
  DoCopy();
  DoClear();
}

void TCustomEdit::DoPaste() {
  if (Clipboard()->HasText() && FModel.ReplaceSelection(Clipboard()->AsText())) TextChanged(true);
}

void TCustomEdit::DoClear() {
  if (FModel.SelLength() > 0 && FModel.ReplaceSelection(std::string())) TextChanged(true);
}

void TCustomEdit::DoUndo() {
  const std::string before = FModel.Text();
  if (!FModel.Undo()) return;
  if (FModel.Text() != before)
    TextChanged(true);  // this may be deleted
  else
    Invalidate();
}

void TCustomEdit::TextChanged(bool ByUser) {
  if (ByUser) FModified = true;
  ScrollToCaret();
  Invalidate();
  Change();  // this may be deleted
}

// ---- framework handlers ---------------------------------------------------------------------

bool TCustomEdit::IsEditingChar(char Key) {
  return Key == 8 || Key == 22 || Key == 24 || Key == 26 ||
         (static_cast<unsigned char>(Key) >= 32 && Key != 127);
}

bool TCustomEdit::EditCanModify() {
  return !FReadOnly;
}

void TCustomEdit::Change() {
  CallEvent(FOnChange, this);  // the handler may free this control
}

void TCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  auto alive = Alive();
  TWinControl::KeyDown(Key, Shift);
  if (!alive) return;
  if ((Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift))) && !EditCanModify()) Key = 0;
}

void TCustomEdit::KeyPress(char& Key) {
  auto alive = Alive();
  TWinControl::KeyPress(Key);
  if (!alive) return;
  if (IsEditingChar(Key) && !EditCanModify()) Key = 0;
}

void TCustomEdit::WMCut(TMessage& Message) {
  if (EditCanModify()) DefaultHandler(Message);
}

void TCustomEdit::WMPaste(TMessage& Message) {
  if (EditCanModify()) DefaultHandler(Message);
}

void TCustomEdit::WMClear(TMessage& Message) {
  if (EditCanModify()) DefaultHandler(Message);
}

void TCustomEdit::WMKillFocus(TMessage& Message) {
  TWinControl::WMKillFocus(Message);
}

void TCustomEdit::WMLButtonDown(TMessage& Message) {
  TControl::WMLButtonDown(Message);
}

void TCustomEdit::WMSysChar(TMessage& Message) {
  DefaultHandler(Message);
}

void TCustomEdit::WMSysCommand(TMessage& Message) {
  DefaultHandler(Message);
}

void TCustomEdit::WMSysKeyUp(TMessage& Message) {
  TWinControl::WMKeyUp(Message);
}

void TCustomEdit::CMShowingChanged(TMessage& Message) {
  TWinControl::CMShowingChanged(Message);
}

void TCustomEdit::CMEnter(TMessage& Message) {
  if (FAutoSelect && !FControlState.Contains(csLButtonDown)) SelectAll();
  TWinControl::CMEnter(Message);
}

void TCustomEdit::CMExit(TMessage& Message) {
  TWinControl::CMExit(Message);
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CUT: WMCut(Message); break;
    case WM_PASTE: WMPaste(Message); break;
    case WM_CLEAR: WMClear(Message); break;
    case WM_UNDO:
    case EM_UNDO:
      if (EditCanModify()) DefaultHandler(Message);
      break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case WM_SYSCOMMAND: WMSysCommand(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case WM_ERASEBKGND: Message.Result = 1; break;  // the painting fills the whole client area
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_FONTCHANGED:
      FCanvas->ControlFontChanged();
      TWinControl::Dispatch(Message);
      if (FHandle) AdjustHeight();
      break;
    case CM_CTL3DCHANGED:
      TWinControl::Dispatch(Message);
      if (NewStyleControls && FBorderStyle == bsSingle) RecreateWnd();
      break;
    default: TWinControl::Dispatch(Message); break;
  }
}

// ---- painting -------------------------------------------------------------------------------

void TCustomEdit::PaintWindow(HDC DC) {
  TControlCanvas& c = *FCanvas;
  TCanvasPaintScope scope(c, DC);
  c.ControlFontChanged();
  TRect client;
  GetClientRect(FHandle, client);
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(FColor);
  c.FillRect(client);

  ScrollToCaret();
  const bool focused = Focused();
  const int top = kTextTop, height = c.TextHeight("Wg");
  c.Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
  c.Brush()->SetStyle(bsClear);
  // Only the characters that show are drawn: from the one before the first gap left of the
  // client area to the one after the first gap right of it (glyphs may overhang a little).
  const std::vector<int>& gaps = Gaps();
  const std::string_view shown = ShownText();
  const int offset = FScrollX - kTextLeft;
  const int count = static_cast<int>(shown.size());
  int first = static_cast<int>(std::upper_bound(gaps.begin(), gaps.end(), offset) - gaps.begin()) - 2;
  int last =
      static_cast<int>(std::lower_bound(gaps.begin(), gaps.end(), offset + client.Width()) - gaps.begin()) +
      1;
  first = std::clamp(first, 0, count);
  last = std::clamp(last, first, count);
  c.TextOut(CharX(first), top,
            std::string(shown.substr(static_cast<size_t>(first), static_cast<size_t>(last - first))));

  // The selection in the highlight colours, drawn over the plain text.
  if (FModel.SelLength() > 0 && (focused || !FHideSelection)) {
    const int from = std::max(FModel.SelStart(), first),
              to = std::min(FModel.SelStart() + FModel.SelLength(), last);
    const int left = CharX(from), right = CharX(to);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clHighlight);
    c.Font()->SetColor(clHighlightText);
    if (from < to)
      c.TextRect(TRect{left, top, right, top + height}, left, top,
                 std::string(shown.substr(static_cast<size_t>(from), static_cast<size_t>(to - from))));
  }

  // The caret: a line the height of the text at the moving end of the selection.
  if (focused && Enabled()) {
    const int x = CharX(FModel.CaretPos());
    c.Pen()->SetStyle(psSolid);
    c.Pen()->SetColor(Font()->Color());
    c.MoveTo(x, top);
    c.LineTo(x, top + height);
  }
}

}  // namespace vcl
