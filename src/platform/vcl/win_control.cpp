#include "platform/vcl/win_control.h"

#include <algorithm>
#include <unordered_map>

#include "platform/vcl/application.h"
#include "platform/vcl/form.h"
#include "platform/vcl/window_painting.h"
#include "platform/win/window_system.h"

// Sections: construction | children | the window | bounds and painting | focus and tab order
// | keyboard | dispatch | notifications

namespace vcl {

namespace {
// The control of each window a control made.
std::unordered_map<HWND, TWinControl*>& ControlOfWindow() {
  static auto* map = new std::unordered_map<HWND, TWinControl*>;  // outlives every control
  return *map;
}
}  // namespace

TWinControl* FindControl(HWND Handle) {
  if (!Handle) return nullptr;
  auto it = ControlOfWindow().find(Handle);
  return it == ControlOfWindow().end() ? nullptr : it->second;
}

// ---- construction ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  InstallWindowPainting();
}

TWinControl::~TWinControl() {
  Destroying();
  if (FParent) RemoveFocus(true);
  if (Screen) Screen->ControlGone(this);
  // Owned components and children go while this is still a TWinControl.
  DestroyComponents();
  while (!FControls.empty()) delete FControls.back();
  DestroyHandle();
  SetParent(nullptr);  // while the parent can still see that this is a windowed control
}

// ---- children -------------------------------------------------------------------------------

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->FParent)
    if (c == this) return true;
  return false;
}

void TWinControl::Broadcast(TMessage& Message) {
  // A child's handling may free other children, or this control.
  auto alive = Alive();
  std::vector<TControl*> controls = FControls;
  for (TControl* c : controls) {
    if (!alive) return;
    if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
    c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(Cardinal Msg) {
  TMessage m{Msg, 0, 0, 0};
  Broadcast(m);
}

void TWinControl::InsertControl(TControl* AControl) {
  FControls.push_back(AControl);
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win) FTabList.push_back(win);
  AControl->FParent = this;
  // The control takes on this parent's looks and shows: its handlers (a resize to a new font,
  // an enter) may free it or this parent, which ends the insertion.
  auto alive = Alive();
  auto controlAlive = AControl->Alive();
  auto both = [&] { return alive && controlAlive; };
  for (Cardinal msg :
       {CM_PARENTCOLORCHANGED, CM_PARENTFONTCHANGED, CM_PARENTSHOWHINTCHANGED, CM_PARENTBIDIMODECHANGED})
    if (both()) AControl->Perform(msg, 0, 0);
  if (!both()) return;
  if (win) {
    win->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
    if (both()) win->UpdateControlState();
  } else {
    AControl->Invalidate();
  }
  if (both()) Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (auto* win = dynamic_cast<TWinControl*>(AControl)) {
    win->RemoveFocus(true);
    win->DestroyHandle();
  } else {
    Invalidate();
  }
  std::erase_if(FTabList, [&](TWinControl* w) { return static_cast<TControl*>(w) == AControl; });
  std::erase(FControls, AControl);
  AControl->FParent = nullptr;
}

// ---- the window -----------------------------------------------------------------------------

HWND TWinControl::Handle() {
  if (FHandle) return FHandle;
  // Making the window may resize the control (an edit takes its font's height), and an
  // OnResize handler may free it: then there is no window.
  auto alive = Alive();
  HandleNeeded();
  return alive ? FHandle : nullptr;
}

void TWinControl::HandleNeeded() {
  if (FHandle) return;
  if (FParent) FParent->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateHandle() {
  // A control being destroyed makes no new window: nothing would destroy it.
  if (FHandle || ComponentState().Contains(csDestroying)) return;
  CreateWnd();
}

namespace {
// Set while CreateParams is asked only to measure (no parent window may be made for it).
bool gMeasuring = false;
}  // namespace

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FControlStyle.Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = FLeft;
  Params.Y = FTop;
  Params.Width = FWidth;
  Params.Height = FHeight;
  if (FParent)
    Params.WndParent = gMeasuring ? nullptr : FParent->Handle();
  else
    Params.WndParent = FParentWindow;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (FControlStyle.Contains(csDoubleClicks)) Params.WindowClass.style |= CS_DBLCLKS;
  Params.WinClassName = ClassName();
  AddBiDiModeExStyle(Params.ExStyle);
}

void TWinControl::AddBiDiModeExStyle(DWORD& ExStyle) {
  if (UseRightToLeftReading()) ExStyle |= WS_EX_RTLREADING;
  if (UseRightToLeftScrollBar()) ExStyle |= WS_EX_LEFTSCROLLBAR;
  if (UseRightToLeftAlignment()) ExStyle |= WS_EX_RIGHT;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  CreateWindowHandle(params);
  if (!FHandle) throw EInvalidOperation("Error creating window");
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HWND h = CreateWindowEx(Params.ExStyle, Params.WinClassName, Params.Caption, Params.Style, Params.X,
                          Params.Y, Params.Width, Params.Height, Params.WndParent, Params.WindowClass.style,
                          [this](HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) -> LRESULT {
                            if (!FHandle) FHandle = Wnd;
                            TMessage m{Msg, WParam, LParam, 0};
                            MainWndProc(m);
                            return m.Result;
                          });
  FHandle = h;
  if (h) ControlOfWindow()[h] = this;
}

void TWinControl::DestroyWnd() {
  FText = Text();
  HWND h = FHandle;
  FControlState.Include(csDestroyingHandle);
  struct Clear {
    TControlState& State;
    ~Clear() { State.Exclude(csDestroyingHandle); }
  } clear{FControlState};
  DestroyWindow(h);  // WM_NCDESTROY clears FHandle
  ControlOfWindow().erase(h);
  FHandle = nullptr;
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  for (TWinControl* c : std::vector<TWinControl*>(FTabList)) c->DestroyHandle();
  DestroyWnd();
  FShowing = false;
}

void TWinControl::RecreateWnd() {
  if (FHandle) Perform(CM_RECREATEWND, 0, 0);
}

void TWinControl::CMRecreateWnd(TMessage&) {
  bool wasFocused = Focused();
  auto alive = Alive();
  DestroyHandle();
  UpdateControlState();  // the new window's handlers may free this control
  if (alive && wasFocused && FHandle) vcl::SetFocus(FHandle);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (FParent || FParentWindow == Value) return;
  DestroyHandle();
  FParentWindow = Value;
  UpdateControlState();
}

void TWinControl::UpdateShowing() {
  bool show =
      FVisible || (ComponentState().Contains(csDesigning) && !FControlStyle.Contains(csNoDesignVisible));
  // Showing a window may activate its form and move the focus: the enter and activate
  // handlers may free this control or its children.
  auto alive = Alive();
  if (show) {
    if (!FHandle) CreateHandle();  // a window made to its font's height resizes: OnResize
    if (!alive) return;
    std::vector<std::pair<TWinControl*, TAliveToken>> children;
    for (TWinControl* c : FTabList) children.emplace_back(c, c->Alive());
    for (auto& [c, childAlive] : children) {
      if (!alive) return;
      if (childAlive) c->UpdateShowing();
    }
    if (!alive) return;
  }
  if (FHandle && FShowing != show) {
    FShowing = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      if (alive) FShowing = !show;
      throw;
    }
  }
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->FParent) {
    c = c->FParent;
    if (!c->FShowing) return;
  }
  if (dynamic_cast<TForm*>(c) || c->FParentWindow) UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(
      FHandle, nullptr, 0, 0, 0, 0,
      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
  auto alive = Alive();
  if (!FVisible && FParent) RemoveFocus(false);  // the OnExit that follows may free this control
  if (alive && !ComponentState().Contains(csDesigning)) UpdateControlState();
}

// ---- bounds and painting --------------------------------------------------------------------

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FHandle) {
    auto alive = Alive();
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!alive) return;  // an OnResize handler freed this control
    // The window reports the new bounds (WM_WINDOWPOSCHANGED); keep them even if it did not.
    if (FLeft != ALeft || FTop != ATop || FWidth != AWidth || FHeight != AHeight) {
      StoreBounds(ALeft, ATop, AWidth, AHeight);
      Resize();
    }
  } else {
    StoreBounds(ALeft, ATop, AWidth, AHeight);
    Resize();
  }
}

void TWinControl::UpdateBounds() {
  TRect r;
  if (!GetWindowRect(FHandle, r)) return;
  TPoint p{r.Left, r.Top};
  if ((GetWindowLong(FHandle, GWL_STYLE) & WS_CHILD) && GetParent(FHandle))
    vcl::ScreenToClient(GetParent(FHandle), p);
  bool sized = r.Width() != FWidth || r.Height() != FHeight;
  if (p.X == FLeft && p.Y == FTop && !sized) return;
  StoreBounds(p.X, p.Y, r.Width(), r.Height());
  if (sized) Resize();
}

TRect TWinControl::ClientRect() {
  TRect r;
  if (FHandle) {
    GetClientRect(FHandle, r);
    return r;
  }
  // Without a window, measure what the window would be.
  TCreateParams p;
  {
    struct Guard {
      bool Old = gMeasuring;
      Guard() { gMeasuring = true; }
      ~Guard() { gMeasuring = Old; }
    } guard;
    CreateParams(p);
  }
  TRect frame;
  AdjustWindowRectEx(frame, p.Style, false, p.ExStyle);
  int w = FWidth + frame.Left - frame.Right - ((p.Style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  int h = FHeight + frame.Top - frame.Bottom;
  return TRect{0, 0, std::max(0, w), std::max(0, h)};
}

TPoint TWinControl::ClientOrigin() {
  TPoint p;
  if (FHandle) {
    vcl::ClientToScreen(FHandle, p);
    return p;
  }
  TCreateParams params;
  {
    struct Guard {
      bool Old = gMeasuring;
      Guard() { gMeasuring = true; }
      ~Guard() { gMeasuring = Old; }
    } guard;
    CreateParams(params);
  }
  TRect frame;
  AdjustWindowRectEx(frame, params.Style, false, params.ExStyle);
  TPoint base = (params.Style & WS_CHILD) ? TControl::ClientOrigin() : TPoint{FLeft, FTop};
  return TPoint{base.X - frame.Left, base.Y - frame.Top};
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, !FControlStyle.Contains(csOpaque));
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintHandler(TMessage& Message) {
  if (Message.WParam != 0) {
    HDC dc = reinterpret_cast<HDC>(Message.WParam);
    PaintWindow(dc);
    PaintControls(dc);
    return;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(FHandle, ps);
  HWND h = FHandle;
  struct End {
    HWND Wnd;
    PAINTSTRUCT& PS;
    ~End() { EndPaint(Wnd, PS); }
  } end{h, ps};
  PaintWindow(dc);
  PaintControls(dc);
}

void TWinControl::PaintControls(HDC DC) {
  if (!DC || !DC->Surface) return;
  // Back to front: each child's context has its (0, 0) at the child's corner and stops at its
  // bounds and at the parent's clip.
  for (TControl* c : std::vector<TControl*>(FControls)) {
    if (dynamic_cast<TWinControl*>(c) || !c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
    TRect clip = DC->Clip;
    OffsetRect(clip, -c->Left(), -c->Top());
    IntersectRect(clip, clip, TRect{0, 0, c->Width(), c->Height()});
    if (clip.IsEmpty()) continue;
    HDC child = CreateSurfaceDC(DC->Surface, TPoint{DC->Origin.X + c->Left(), DC->Origin.Y + c->Top()}, clip);
    struct Delete {
      HDC Context;
      ~Delete() { DeleteDC(Context); }
    } del{child};
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(child), 0);
  }
}

void TWinControl::WMPaint(TMessage& Message) {
  PaintHandler(Message);
}

// Fills the client area with Color.
void TWinControl::WMEraseBkgnd(TMessage& Message) {
  if (HDC dc = reinterpret_cast<HDC>(Message.WParam)) FillRect(dc, ClientRect(), FColor);
  Message.Result = 1;
}

void TWinControl::WMWindowPosChanged(TMessage&) {
  UpdateBounds();
}

void TWinControl::WMNCDestroy(TMessage& Message) {
  DefaultHandler(Message);
  if (FHandle) ControlOfWindow().erase(FHandle);
  FHandle = nullptr;
  FShowing = false;
}

// ---- focus and tab order --------------------------------------------------------------------

bool TWinControl::CanFocus() {
  TForm* form = GetParentForm(this);
  if (!form) return false;
  for (TWinControl* c = this; c && c != form; c = c->FParent)
    if (!c->FVisible || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const {
  return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus() {
  if (TForm* form = GetParentForm(this)) {
    form->FocusControl(this);
  } else if (FParentWindow || FHandle) {
    vcl::SetFocus(Handle());
  } else {
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  }
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

bool TWinControl::FocusOnClick() {
  return FTabStop && FHandle && !(GetWindowLong(FHandle, GWL_STYLE) & WS_POPUP) && CanFocus();
}

void TWinControl::SetTabStop(bool Value) {
  if (FTabStop == Value) return;
  FTabStop = Value;
  if (FHandle) {
    LONG style = GetWindowLong(FHandle, GWL_STYLE);
    SetWindowLong(FHandle, GWL_STYLE,
                  Value ? (style | static_cast<LONG>(WS_TABSTOP)) : (style & ~static_cast<LONG>(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!FParent) return;
  auto& list = FParent->FTabList;
  std::erase(list, this);
  int n = static_cast<int>(list.size());
  if (Value < 0 || Value > n) Value = n;
  list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* c : FTabList) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int count = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  int start = it == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  do {
    if (GoForward) {
      if (++i == count) i = 0;
    } else {
      if (i == 0) i = count;
      --i;
    }
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
    next->SetFocus();
}

void TWinControl::SetCtl3D(bool Value) {
  FParentCtl3D = false;
  if (FCtl3D == Value) return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (FParentCtl3D == Value) return;
  FParentCtl3D = Value;
  if (FParent && Value) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::SetBorderWidth(int Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Invalidate();
}

// ---- keyboard -------------------------------------------------------------------------------

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  CallEvent(FOnKeyDown, this, Key, Shift);  // the handler may free this control
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  CallEvent(FOnKeyUp, this, Key, Shift);  // the handler may free this control
}

void TWinControl::KeyPress(char& Key) {
  CallEvent(FOnKeyPress, this, Key);  // the handler may free this control
}

void TWinControl::DoEnter() {
  CallEvent(FOnEnter, this);  // the handler may free this control
}

void TWinControl::DoExit() {
  CallEvent(FOnExit, this);  // the handler may free this control
}

// With KeyPreview the form sees a key first; its handlers may free this control (or the
// form): the key is then taken.
bool TWinControl::DoKeyDown(TMessage& Message) {
  TForm* form = GetParentForm(this);
  auto alive = Alive();
  if (form && form != this && form->KeyPreview() && (form->DoKeyDown(Message) || !alive)) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    Word key = static_cast<Word>(Message.WParam);
    KeyDown(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TForm* form = GetParentForm(this);
  auto alive = Alive();
  if (form && form != this && form->KeyPreview() && (form->DoKeyUp(Message) || !alive)) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    Word key = static_cast<Word>(Message.WParam);
    KeyUp(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TForm* form = GetParentForm(this);
  auto alive = Alive();
  if (form && form != this && form->KeyPreview() && (form->DoKeyPress(Message) || !alive)) return true;
  if (!FControlStyle.Contains(csNoStdEvents)) {
    char ch = static_cast<char>(Message.WParam);
    KeyPress(ch);
    Message.WParam = static_cast<unsigned char>(ch);
    if (ch == 0) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
  auto alive = Alive();
  if (!DoKeyDown(Message) && alive) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  auto alive = Alive();
  if (!DoKeyUp(Message) && alive) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  auto alive = Alive();
  if (!DoKeyPress(Message) && alive) DefaultHandler(Message);
}

namespace {
// A control's answer may free it, its parent or the whole form: a freed one ends the round.
bool BroadcastDialogKey(TWinControl* Parent, const std::vector<TWinControl*>& Asked, Word Key,
                        LPARAM KeyData) {
  auto parentAlive = Parent->Alive();
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(Parent->Controls(i));
    if (!c) continue;
    auto alive = c->Alive();
    if (std::find(Asked.begin(), Asked.end(), c) == Asked.end() &&
        c->Perform(CM_DIALOGKEY, Key, KeyData) != 0)
      return true;
    if (!parentAlive || !alive) return true;  // taken: nothing of the round is left to ask
    if (i >= Parent->ControlCount() || Parent->Controls(i) != c) return false;  // the form changed
    if (BroadcastDialogKey(c, Asked, Key, KeyData)) return true;
    if (!parentAlive) return true;
  }
  return false;
}
}  // namespace

bool TWinControl::DialogKey(Word Key, LPARAM KeyData) {
  std::vector<TWinControl*> asked;
  TWinControl* top = this;
  for (TWinControl* c = this; c; c = c->FParent) {
    asked.push_back(c);
    top = c;
    auto alive = c->Alive();
    if (c->Perform(CM_DIALOGKEY, Key, KeyData) != 0 || !alive) return true;  // a freed one took it
  }
  TForm* form = dynamic_cast<TForm*>(top);
  return form && BroadcastDialogKey(form, asked, Key, KeyData);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  Word key = static_cast<Word>(Message.WParam);
  if (!ComponentState().Contains(csDesigning)) {
    LRESULT mask = 0;
    switch (key) {
      case VK_TAB: mask = DLGC_WANTTAB; break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN: mask = DLGC_WANTARROWS; break;
      case VK_RETURN:
      case VK_EXECUTE:
      case VK_ESCAPE:
      case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
      default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, key, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & mask) == 0 &&
        DialogKey(key, Message.LParam))
      return;
  }
  Message.Result = 0;
}

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if (!ComponentState().Contains(csDesigning)) {
    TForm* form = GetParentForm(this);
    if ((Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) == 0 && form &&
        form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
  Message.Result = 0;
  if (ComponentState().Contains(csDesigning) || Message.WParam == VK_SPACE) return;
  if (TForm* form = GetParentForm(this))
    Message.Result = form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
}

void TWinControl::CMDialogChar(TMessage& Message) {
  Broadcast(Message);
}

// ---- dispatch -------------------------------------------------------------------------------

void TWinControl::MainWndProc(TMessage& Message) {
  auto alive = Alive();
  try {
    WndProc(Message);
  } catch (...) {
    // A handler that freed this control and then raised reports without a sender.
    if (Application) Application->HandleException(alive ? this : nullptr);
  }
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (FControlState.Contains(csFocusing)) return;
      break;
    default: break;
  }
  TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSCHAR: CNSysChar(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_BIDIMODECHANGED: CMBiDiModeChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    default: TControl::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (FHandle)
    DefWndProc(Message);
  else
    TControl::DefaultHandler(Message);
}

void TWinControl::DefWndProc(TMessage& Message) {
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && !Focused() && FocusOnClick()) {
    auto alive = Alive();
    SetFocus();
    if (!alive || !FHandle) return;
  }
  Message.Result = DefWindowProc(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::WMSetFocus(TMessage& Message) {
  DefaultHandler(Message);
}
void TWinControl::WMKillFocus(TMessage& Message) {
  DefaultHandler(Message);
}

// ---- notifications --------------------------------------------------------------------------

void TWinControl::CMEnter(TMessage&) {
  DoEnter();
}
void TWinControl::CMExit(TMessage&) {
  DoExit();
}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  auto alive = Alive();
  if (!Enabled() && FParent) RemoveFocus(false);  // the OnExit that follows may free this control
  if (!alive) return;
  if (FHandle && !ComponentState().Contains(csDesigning)) EnableWindow(FHandle, Enabled());
  TControl::CMEnabledChanged(Message);
}

void TWinControl::CMColorChanged(TMessage& Message) {
  TControl::CMColorChanged(Message);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  TControl::CMFontChanged(Message);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& Message) {
  if (!FParentCtl3D) return;
  auto alive = Alive();  // the change may resize the control, whose OnResize may free it
  SetCtl3D(Message.WParam != 0 ? Message.LParam != 0 : (FParent ? FParent->FCtl3D : FCtl3D));
  if (alive) FParentCtl3D = true;
}

void TWinControl::CMBiDiModeChanged(TMessage& Message) {
  TControl::CMBiDiModeChanged(Message);
  if (SysLocale.MiddleEast && Message.WParam == 0) RecreateWnd();
  NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::CMShowHintChanged(TMessage&) {
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

}  // namespace vcl
