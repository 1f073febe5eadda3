#include "platform/win/window_system.h"

#include <algorithm>

#include "platform/win/window_system_internal.h"

// Windows: creation and destruction, the tree and the z-order, styles and text, placement,
// visibility and enabling.

namespace vcl {

namespace detail {

namespace {

std::vector<HWND>& SiblingList(Window& W) {
  if (W.Child) return Find(W.Parent)->Children;
  return S().TopLevel;
}

bool Topmost(HWND Wnd) {
  Window* w = Find(Wnd);
  return w && !w->Child && (w->ExStyle & WS_EX_TOPMOST);
}

// True when the owner chain of the top-level window Wnd (through child windows too) leads to
// the top-level window Owner.
bool OwnedBy(HWND Wnd, HWND Owner) {
  Window* w = Find(Wnd);
  for (int depth = 0; w && !w->Child && w->Parent && depth < 64; ++depth) {
    Window* o = Find(w->Parent);
    while (o && o->Child) o = Find(o->Parent);
    if (!o) return false;
    if (o->Handle == Owner) return true;
    w = o;
  }
  return false;
}

// The deepest visible window of Wnd under a screen point (a disabled child stops the search).
HWND DeepestAt(HWND Wnd, TPoint P) {
  Window* w = Find(Wnd);
  if (!ScreenClientRect(*w).Contains(P)) return Wnd;
  for (HWND c : w->Children) {
    Window* cw = Find(c);
    if (!(cw->Style & WS_VISIBLE) || !ScreenRect(*cw).Contains(P)) continue;
    if (cw->Style & WS_DISABLED) return Wnd;
    return DeepestAt(c, P);
  }
  return Wnd;
}

}  // namespace

HWND HitTestAt(TPoint P, LRESULT& Hit) {
  const std::vector<HWND> tops = S().TopLevel;  // handlers may make or destroy windows
  for (HWND t : tops) {
    Window* top = Find(t);
    if (!top || !(top->Style & WS_VISIBLE) || !ScreenRect(*top).Contains(P)) continue;
    HWND h = DeepestAt(t, P);
    while (h) {
      Hit = SendMessage(h, WM_NCHITTEST, 0, PointToLParam(P));
      if (!IsWindow(h)) return nullptr;
      if (Hit != HTTRANSPARENT) return h;
      Window* w = Find(h);
      h = w && w->Child ? w->Parent : nullptr;
    }
  }
  return nullptr;
}

// Puts W in front of its siblings; a top-level window that is not topmost stays behind the
// topmost ones, and the windows it owns stay in front of it, in their order.
void PlaceOnTop(Window& W) {
  auto& list = SiblingList(W);
  std::erase(list, W.Handle);
  std::vector<HWND> owned;
  if (!W.Child)
    for (HWND h : list)
      if (OwnedBy(h, W.Handle)) owned.push_back(h);
  for (HWND h : owned) std::erase(list, h);
  auto at = list.begin();
  if (!W.Child && !(W.ExStyle & WS_EX_TOPMOST))
    at = std::find_if(list.begin(), list.end(), [](HWND h) { return !Topmost(h); });
  at = list.insert(at, W.Handle);
  list.insert(at, owned.begin(), owned.end());
  NotifyZOrderChanged(W);
}

namespace {

void Unlink(Window& W) {
  if (W.Child) {
    if (Window* p = Find(W.Parent)) std::erase(p->Children, W.Handle);
  } else {
    std::erase(S().TopLevel, W.Handle);
  }
}

void CollectTree(HWND Wnd, std::vector<HWND>& Out) {
  Out.push_back(Wnd);
  if (Window* w = Find(Wnd))
    for (HWND c : w->Children) CollectTree(c, Out);
}

void SendSizeMessages(Window& W, bool Moved, bool Sized) {
  HWND h = W.Handle;
  WINDOWPOS wp{h, nullptr, W.Rect.Left, W.Rect.Top, W.Rect.Width(), W.Rect.Height(), 0};
  SendMessage(h, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  Window* w = Find(h);
  if (!w) return;
  if (Sized) {
    TSize s = ClientSize(*w);
    SendMessage(h, WM_SIZE, 0, MAKELPARAM(s.cx, s.cy));
  }
  if (Moved && (w = Find(h))) SendMessage(h, WM_MOVE, 0, PointToLParam(ClientOrigin(*w)));
}

// The window that becomes active when the active one goes: tool windows (hints, drop-down
// lists) are passed over.
HWND NextActiveCandidate(HWND Except) {
  for (HWND h : S().TopLevel) {
    Window* w = Find(h);
    if (h != Except && w && (w->Style & WS_VISIBLE) && !(w->Style & WS_DISABLED) &&
        !(w->ExStyle & WS_EX_TOOLWINDOW) && !w->Destroying)
      return h;
  }
  return nullptr;
}

}  // namespace

}  // namespace detail

using namespace detail;

HWND CreateWindowEx(DWORD ExStyle, const std::string& ClassName, const std::string& WindowName, DWORD Style,
                    int X, int Y, int Width, int Height, HWND Parent, UINT ClassStyle, WNDPROC WndProc) {
  bool child = (Style & WS_CHILD) != 0;
  if ((child && !Find(Parent)) || (Parent && !Find(Parent))) return nullptr;
  auto w = std::make_unique<Window>();
  HWND h = reinterpret_cast<HWND>(S().NextHandle++);
  w->Handle = h;
  w->Parent = Parent;
  w->Child = child;
  w->Style = Style;
  w->ExStyle = ExStyle;
  w->ClassStyle = ClassStyle;
  w->ClassName = ClassName;
  w->Text = WindowName;
  w->Rect = Bounds(X, Y, std::max(0, Width), std::max(0, Height));
  w->Proc = std::move(WndProc);
  Window& made = *w;
  if (child)
    Find(Parent)->Children.push_back(h);
  else
    S().TopLevel.push_back(h);
  S().Windows.emplace(Id(h), std::move(w));
  if (!child && Display()) Display()->WindowCreated(h);
  PlaceOnTop(made);
  SendMessage(h, WM_CREATE, 0, 0);
  if (IsWindow(h) && (Style & WS_VISIBLE)) {
    InvalidateRect(h, nullptr, true);
    // A visible top-level window is activated as it appears.
    if (!child && !(Style & WS_DISABLED)) ActivateWindow(h, WA_ACTIVE);
  }
  return h;
}

bool DestroyWindow(HWND Wnd) {
  Window* w = Find(Wnd);
  if (!w || w->Destroying) return false;
  w->Destroying = true;
  // Owned windows go first.
  std::vector<HWND> owned;
  for (HWND t : S().TopLevel)
    if (Find(t) && Find(t)->Parent == Wnd) owned.push_back(t);
  for (HWND t : owned) DestroyWindow(t);

  std::vector<HWND> tree;
  CollectTree(Wnd, tree);
  if (std::find(tree.begin(), tree.end(), S().Focus) != tree.end()) {
    HWND f = S().Focus;
    S().Focus = nullptr;
    SendMessage(f, WM_KILLFOCUS, 0, 0);
  }
  if (S().Track.Wnd && std::find(tree.begin(), tree.end(), S().Track.Wnd) != tree.end())
    S().Track = ScrollTrack{};
  if (S().Capture && std::find(tree.begin(), tree.end(), S().Capture) != tree.end()) ReleaseCapture();
  bool wasActive = S().Active == Wnd;
  if (wasActive) S().Active = nullptr;

  if ((w = Find(Wnd))) w->Style &= ~WS_VISIBLE;
  SendMessage(Wnd, WM_DESTROY, 0, 0);
  if ((w = Find(Wnd))) {
    std::vector<HWND> children = w->Children;
    for (HWND c : children) DestroyWindow(c);
  }
  // Nothing of the window may stay behind.
  std::erase_if(S().Timers, [&](const Timer& t) { return t.Wnd == Wnd; });
  std::erase_if(S().Posted, [&](const Queued& q) { return q.Msg.hwnd == Wnd; });
  std::erase_if(S().Input, [&](const Queued& q) { return q.Msg.hwnd == Wnd; });
  if (S().Focus == Wnd) S().Focus = nullptr;
  if (S().Capture == Wnd) S().Capture = nullptr;
  if (S().Press.Wnd == Wnd) S().Press.Valid = false;
  if (S().Active == Wnd) S().Active = nullptr;
  SendMessage(Wnd, WM_NCDESTROY, 0, 0);
  if ((w = Find(Wnd))) {
    if (!w->Child && Display()) Display()->WindowDestroyed(Wnd);
    Unlink(*w);
    S().Windows.erase(Id(Wnd));
  }
  if (wasActive && !S().Active)
    if (HWND next = NextActiveCandidate(nullptr)) ActivateWindow(next, WA_ACTIVE);
  return true;
}

bool IsWindow(HWND Wnd) {
  return Find(Wnd) != nullptr;
}

WNDPROC SetWindowProc(HWND Wnd, WNDPROC Proc) {
  Window* w = Find(Wnd);
  if (!w) return nullptr;
  std::swap(w->Proc, Proc);
  return Proc;
}

HWND GetParent(HWND Wnd) {
  Window* w = Find(Wnd);
  return w ? w->Parent : nullptr;
}

bool IsChild(HWND Parent, HWND Wnd) {
  Window* w = Find(Wnd);
  while (w && w->Child) {
    if (w->Parent == Parent) return true;
    w = Find(w->Parent);
  }
  return false;
}

HWND GetTopLevelWindow(HWND Wnd) {
  Window* w = Find(Wnd);
  while (w && w->Child) w = Find(w->Parent);
  return w ? w->Handle : nullptr;
}

std::vector<HWND> GetTopLevelWindows() {
  return S().TopLevel;
}

std::vector<HWND> GetChildWindows(HWND Wnd) {
  Window* w = Find(Wnd);
  return w ? w->Children : std::vector<HWND>{};
}

HWND WindowFromPoint(TPoint P) {
  LRESULT hit = HTNOWHERE;
  return HitTestAt(P, hit);
}

LONG GetWindowLong(HWND Wnd, int Index) {
  return static_cast<LONG>(GetWindowLongPtr(Wnd, Index));
}

LONG SetWindowLong(HWND Wnd, int Index, LONG Value) {
  if (Index == GWL_STYLE || Index == GWL_EXSTYLE)
    return static_cast<LONG>(
        SetWindowLongPtr(Wnd, Index, static_cast<std::intptr_t>(static_cast<std::uint32_t>(Value))));
  return static_cast<LONG>(SetWindowLongPtr(Wnd, Index, Value));
}

std::intptr_t GetWindowLongPtr(HWND Wnd, int Index) {
  Window* w = Find(Wnd);
  if (!w) return 0;
  switch (Index) {
    case GWL_STYLE: return static_cast<std::int32_t>(w->Style);
    case GWL_EXSTYLE: return static_cast<std::int32_t>(w->ExStyle);
    case GWL_ID: return w->Id;
    case GWLP_USERDATA: return w->UserData;
    default: return 0;
  }
}

std::intptr_t SetWindowLongPtr(HWND Wnd, int Index, std::intptr_t Value) {
  Window* w = Find(Wnd);
  if (!w) return 0;
  std::intptr_t old = GetWindowLongPtr(Wnd, Index);
  switch (Index) {
    case GWL_STYLE: w->Style = static_cast<DWORD>(Value); break;
    case GWL_EXSTYLE: w->ExStyle = static_cast<DWORD>(Value); break;
    case GWL_ID: w->Id = static_cast<LONG>(Value); break;
    case GWLP_USERDATA: w->UserData = Value; break;
    default: break;
  }
  if (Index == GWL_STYLE || Index == GWL_EXSTYLE) {
    NotifyWindowPlaced(Wnd);
    NotifyPictureChanged(Wnd);
  }
  return old;
}

UINT GetClassLong(HWND Wnd, int Index) {
  Window* w = Find(Wnd);
  return w && Index == GCL_STYLE ? w->ClassStyle : 0;
}

std::string GetClassName(HWND Wnd) {
  Window* w = Find(Wnd);
  return w ? w->ClassName : std::string();
}

std::string GetWindowText(HWND Wnd) {
  LRESULT len = SendMessage(Wnd, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return {};
  std::string s(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = SendMessage(Wnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
  return s;
}

bool SetWindowText(HWND Wnd, const std::string& Text) {
  return SendMessage(Wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str())) != 0;
}

bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int CX, int CY, UINT Flags) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TRect old = w->Rect;
  TRect r = old;
  if (!(Flags & SWP_NOMOVE)) r = Bounds(X, Y, r.Width(), r.Height());
  if (!(Flags & SWP_NOSIZE)) r = Bounds(r.Left, r.Top, std::max(0, CX), std::max(0, CY));
  w->Rect = r;
  if (!(Flags & SWP_NOZORDER)) {
    auto& list = SiblingList(*w);
    std::erase(list, Wnd);
    if (!w->Child && InsertAfter == HWND_TOPMOST) w->ExStyle |= WS_EX_TOPMOST;
    if (!w->Child && InsertAfter == HWND_NOTOPMOST) w->ExStyle &= ~WS_EX_TOPMOST;
    if (InsertAfter == HWND_TOP || InsertAfter == HWND_TOPMOST || InsertAfter == HWND_NOTOPMOST) {
      list.push_back(Wnd);
      PlaceOnTop(*w);
    } else if (InsertAfter == HWND_BOTTOM) {
      list.push_back(Wnd);
      NotifyZOrderChanged(*w);
    } else {
      auto it = std::find(list.begin(), list.end(), InsertAfter);
      list.insert(it == list.end() ? list.end() : it + 1, Wnd);
      NotifyZOrderChanged(*w);
    }
  }
  bool wasVisible = (w->Style & WS_VISIBLE) != 0;
  bool shown = false, hidden = false;
  if ((Flags & SWP_SHOWWINDOW) && !wasVisible) {
    w->Style |= WS_VISIBLE;
    shown = true;
  } else if ((Flags & SWP_HIDEWINDOW) && wasVisible) {
    w->Style &= ~WS_VISIBLE;
    hidden = true;
  }
  bool moved = r.Left != old.Left || r.Top != old.Top;
  bool sized = r.Width() != old.Width() || r.Height() != old.Height();
  if (shown || ((moved || sized) && !(Flags & SWP_NOREDRAW))) InvalidateRect(Wnd, nullptr, true);
  if ((hidden || moved || sized) && w->Child) InvalidateRect(w->Parent, nullptr, true);
  if (moved || sized || shown || hidden) {
    NotifyWindowPlaced(Wnd);
    SendSizeMessages(*w, moved, sized);
  }
  if (!IsWindow(Wnd)) return true;
  w = Find(Wnd);
  if (shown && !w->Child && !(Flags & SWP_NOACTIVATE)) ActivateWindow(Wnd, WA_ACTIVE);
  if (hidden && S().Active == Wnd) {
    S().Active = nullptr;
    SendMessage(Wnd, WM_ACTIVATE, WA_INACTIVE, 0);
    if (HWND next = NextActiveCandidate(Wnd))
      ActivateWindow(next, WA_ACTIVE);
    else if (Within(Wnd, S().Focus))
      SetFocus(nullptr);  // no window is left to type into
  }
  return true;
}

bool MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, bool Repaint) {
  return SetWindowPos(Wnd, nullptr, X, Y, Width, Height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (Repaint ? 0 : SWP_NOREDRAW));
}

bool ShowWindow(HWND Wnd, int CmdShow) {
  Window* w = Find(Wnd);
  if (!w) return false;
  bool was = (w->Style & WS_VISIBLE) != 0;
  UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER;
  switch (CmdShow) {
    case SW_HIDE: flags |= SWP_HIDEWINDOW | SWP_NOACTIVATE; break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE: flags |= SWP_SHOWWINDOW | SWP_NOACTIVATE; break;
    default:
      flags |= SWP_SHOWWINDOW;
      if (!w->Child) flags &= ~SWP_NOZORDER;
      break;
  }
  if (CmdShow != SW_HIDE)
    SendMessage(Wnd, WM_SHOWWINDOW, 1, 0);
  else
    SendMessage(Wnd, WM_SHOWWINDOW, 0, 0);
  SetWindowPos(Wnd, HWND_TOP, 0, 0, 0, 0, flags);
  // Showing an already visible top-level window still activates it.
  if (CmdShow != SW_HIDE && CmdShow != SW_SHOWNA && CmdShow != SW_SHOWNOACTIVATE && was && (w = Find(Wnd)) &&
      !w->Child)
    ActivateWindow(Wnd, WA_ACTIVE);
  return was;
}

bool IsWindowVisible(HWND Wnd) {
  Window* w = Find(Wnd);
  return w && Visible(*w);
}

bool EnableWindow(HWND Wnd, bool Enable) {
  Window* w = Find(Wnd);
  if (!w) return false;
  bool wasDisabled = (w->Style & WS_DISABLED) != 0;
  if (wasDisabled == !Enable) return wasDisabled;
  if (!Enable) {
    SendMessage(Wnd, WM_CANCELMODE, 0, 0);
    if (!(w = Find(Wnd))) return false;
    w->Style |= WS_DISABLED;
    if (Within(Wnd, S().Focus)) SetFocus(nullptr);
  } else {
    w->Style &= ~WS_DISABLED;
  }
  SendMessage(Wnd, WM_ENABLE, Enable ? 1 : 0, 0);
  InvalidateRect(Wnd, nullptr, true);
  return wasDisabled;
}

bool IsWindowEnabled(HWND Wnd) {
  Window* w = Find(Wnd);
  return w && !(w->Style & WS_DISABLED);
}

}  // namespace vcl
