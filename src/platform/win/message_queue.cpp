#include "platform/win/window_system.h"

#include <algorithm>
#include <cstring>

#include "platform/win/window_system_internal.h"

// Messages and the queue: send, post, peek (with the hooks and mouse activation), translate,
// dispatch, the default handling of every message and the pump.

namespace vcl {

namespace detail {

namespace {

bool IsButtonDown(UINT M) {
  switch (M) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK: return true;
    default: return false;
  }
}

bool Matches(const MSG& M, HWND Wnd, UINT Min, UINT Max) {
  if (M.message == WM_QUIT) return true;
  if (Wnd && M.hwnd != Wnd) return false;
  if (Min == 0 && Max == 0) return true;
  return M.message >= Min && M.message <= Max;
}
bool InRange(UINT Msg, UINT Min, UINT Max) {
  return (Min == 0 && Max == 0) || (Msg >= Min && Msg <= Max);
}

LRESULT CallHooks(int Code, WPARAM WParam, LPARAM LParam) {
  if (S().Hooks.empty()) return 0;
  HOOKPROC proc = S().Hooks.front().Proc;
  return proc(Code, WParam, LParam);
}

// Asks about and performs the activation a button press brings; false when the press is eaten.
bool MouseActivate(const MSG& M, UINT HitTest) {
  HWND top = GetTopLevelWindow(M.hwnd);
  if (!top || top == S().Active) return true;
  LRESULT r = SendMessage(M.hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                          MAKELPARAM(static_cast<int>(HitTest), static_cast<int>(M.message)));
  if ((r == MA_ACTIVATE || r == MA_ACTIVATEANDEAT) && IsWindow(top)) ActivateWindow(top, WA_CLICKACTIVE);
  return r != MA_ACTIVATEANDEAT && r != MA_NOACTIVATEANDEAT && IsWindow(M.hwnd);
}

// Takes the first matching message out of a queue; mouse input runs the hooks and the
// activation first and may be eaten there.
bool TakeFrom(std::deque<Queued>& Q, MSG& Out, HWND Wnd, UINT Min, UINT Max, UINT Remove) {
  for (;;) {
    auto it =
        std::find_if(Q.begin(), Q.end(), [&](const Queued& q) { return Matches(q.Msg, Wnd, Min, Max); });
    if (it == Q.end()) return false;
    Queued q = *it;
    if (!(Remove & PM_REMOVE)) {
      Out = q.Msg;
      return true;
    }
    Q.erase(it);
    S().MsgTime = q.Msg.time;
    S().MsgPos = q.Msg.pt;
    if (q.Mouse) {
      if (!IsWindow(q.Msg.hwnd)) continue;
      MOUSEHOOKSTRUCT hs{q.Msg.pt, q.Msg.hwnd, q.HitTest, 0};
      if (CallHooks(HC_ACTION, q.Msg.message, reinterpret_cast<LPARAM>(&hs)) != 0) continue;
      if (!IsWindow(q.Msg.hwnd)) continue;
      if (IsButtonDown(q.Msg.message) && !MouseActivate(q.Msg, q.HitTest)) continue;
    }
    if (q.TypedChar >= 0) {
      S().TypedKeys.push_back(TypedKey{q.Msg, static_cast<char>(q.TypedChar)});
      if (S().TypedKeys.size() > 16) S().TypedKeys.pop_front();
    }
    Out = q.Msg;
    return true;
  }
}

bool SameMessage(const MSG& A, const MSG& B) {
  return A.hwnd == B.hwnd && A.message == B.message && A.wParam == B.wParam && A.lParam == B.lParam &&
         A.time == B.time;
}

// The first visible window (parents before children) with something to paint.
HWND FindPaintWindow(const std::vector<HWND>& List, HWND Filter) {
  for (auto it = List.rbegin(); it != List.rend(); ++it) {
    Window* w = Find(*it);
    if (!w || !(w->Style & WS_VISIBLE)) continue;
    if (!w->Invalid.IsEmpty() && (!Filter || Filter == w->Handle)) return w->Handle;
    if (HWND c = FindPaintWindow(w->Children, Filter)) return c;
  }
  return nullptr;
}

}  // namespace

}  // namespace detail

using namespace detail;

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  Window* w = Find(Wnd);
  if (!w) return 0;
  if (!w->Proc) return DefWindowProc(Wnd, Msg, WParam, LParam);
  WNDPROC proc = w->Proc;  // the window may go while its procedure runs
  return proc(Wnd, Msg, WParam, LParam);
}

bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Wnd && !IsWindow(Wnd)) return false;
  S().Posted.push_back(Queued{MSG{Wnd, Msg, WParam, LParam, S().Now, S().Cursor}});
  return true;
}

void PostQuitMessage(int ExitCode) {
  S().QuitPending = true;
  S().QuitCode = ExitCode;
}

bool PeekMessage(MSG& Msg, HWND Wnd, UINT Min, UINT Max, UINT Remove) {
  if (Remove & PM_REMOVE) ServiceScrollRepeat();
  if (TakeFrom(S().Posted, Msg, Wnd, Min, Max, Remove)) return true;
  if (TakeFrom(S().Input, Msg, Wnd, Min, Max, Remove)) return true;
  if (S().QuitPending) {
    if (Remove & PM_REMOVE) S().QuitPending = false;
    Msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(S().QuitCode), 0, S().Now, S().Cursor};
    return true;
  }
  if (InRange(WM_PAINT, Min, Max)) {
    if (HWND h = FindPaintWindow(S().TopLevel, Wnd)) {
      Msg = MSG{h, WM_PAINT, 0, 0, S().Now, S().Cursor};
      return true;
    }
  }
  if (InRange(WM_TIMER, Min, Max)) {
    if (Timer* t = DueTimer(Wnd)) {
      Msg = MSG{t->Wnd, WM_TIMER, t->Id, 0, S().Now, S().Cursor};
      if (Remove & PM_REMOVE) {
        t->Due = S().Now + t->Interval;
        S().MsgTime = S().Now;
      }
      return true;
    }
  }
  return false;
}

bool TranslateMessage(const MSG& Msg) {
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return false;
  int ch = -1;
  auto& typed = S().TypedKeys;
  for (auto it = typed.begin(); it != typed.end(); ++it) {
    if (!SameMessage(it->Msg, Msg)) continue;
    ch = static_cast<unsigned char>(it->Char);
    typed.erase(it);
    break;
  }
  if (ch < 0) ch = CharForKey(static_cast<Word>(Msg.wParam));
  if (ch == 0) return false;
  UINT m = Msg.message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  // The character comes before any later input, as the real system posts it.
  S().Posted.push_front(Queued{MSG{Msg.hwnd, m, static_cast<WPARAM>(ch), Msg.lParam, Msg.time, Msg.pt}});
  return true;
}

LRESULT DispatchMessage(const MSG& Msg) {
  if (!IsWindow(Msg.hwnd)) return 0;
  if (Msg.message == WM_PAINT) {
    Window* painted = Find(Msg.hwnd);
    painted->PaintCount++;
    painted->Validated = false;
    LRESULT r = SendMessage(Msg.hwnd, WM_PAINT, 0, 0);
    // A window that does not validate is not painted again and again; one that did keeps
    // what was invalidated while it painted.
    if (Window* w = Find(Msg.hwnd); w && !w->Validated) {
      w->Invalid = TRect{};
      w->Erase = false;
    }
    return r;
  }
  return SendMessage(Msg.hwnd, Msg.message, Msg.wParam, Msg.lParam);
}

DWORD GetMessageTime() {
  return S().MsgTime;
}
TPoint GetMessagePos() {
  return S().MsgPos;
}

LRESULT DefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  Window* w = Find(Wnd);
  if (!w) return 0;
  switch (Msg) {
    case WM_NCHITTEST: {
      TPoint p = PointFromLParam(LParam);
      if (!ScreenRect(*w).Contains(p)) return HTNOWHERE;
      if (ScreenClientRect(*w).Contains(p)) return HTCLIENT;
      TPoint o = ScreenOrigin(*w);
      TPoint wp{p.X - o.X, p.Y - o.Y};
      if (BarShows(*w) && BarLayout(*w, w->VBar.nPos).Bar.Contains(wp)) return HTVSCROLL;
      Insets f = FrameInsets(*w);
      if ((w->Style & WS_CAPTION) == WS_CAPTION && wp.Y < f.Top && wp.Y >= f.Top - kCaptionHeight &&
          wp.X >= f.Left && wp.X < w->Rect.Width() - f.Right) {
        if ((w->Style & WS_SYSMENU) && wp.X < f.Left + kCaptionHeight) return HTSYSMENU;
        return HTCAPTION;
      }
      return HTBORDER;
    }
    case WM_MOUSEACTIVATE:
      if (w->Child) {
        LRESULT r = SendMessage(w->Parent, WM_MOUSEACTIVATE, WParam, LParam);
        if (r != 0) return r;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(WParam) != WA_INACTIVE && !Within(Wnd, S().Focus)) SetFocus(Wnd);
      return 0;
    case WM_SETTEXT:
      w->Text = LParam ? reinterpret_cast<const char*>(LParam) : "";
      NotifyPictureChanged(Wnd);
      return 1;
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->Text.size());
    case WM_GETTEXT: {
      if (WParam == 0 || !LParam) return 0;
      size_t n = std::min(w->Text.size(), static_cast<size_t>(WParam) - 1);
      std::memcpy(reinterpret_cast<char*>(LParam), w->Text.data(), n);
      reinterpret_cast<char*>(LParam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (static_cast<LRESULT>(WParam) == HTVSCROLL) StartTrack(Wnd, PointFromLParam(LParam));
      return 0;
    case WM_CANCELMODE:
      if (S().Track.Wnd == Wnd) EndTrack();
      if (S().Capture == Wnd) ReleaseCapture();
      return 0;
    case WM_SYSCHAR:
      if (WParam == ' ' && (LParam & KF_ALTDOWN_BIT)) SendMessage(Wnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
      return 0;
    case WM_SYSCOMMAND:
      if (w->Child) return SendMessage(w->Parent, WM_SYSCOMMAND, WParam, LParam);
      if ((WParam & 0xFFF0) == SC_CLOSE) SendMessage(Wnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_CLOSE: DestroyWindow(Wnd); return 0;
    case WM_RBUTTONUP: {
      TPoint p = PointFromLParam(LParam);
      ClientToScreen(Wnd, p);
      SendMessage(Wnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Wnd), PointToLParam(p));
      return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      if (w->Child) return SendMessage(w->Parent, Msg, WParam, LParam);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(Wnd, ps);
      EndPaint(Wnd, ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default: return 0;
  }
}

void PumpMessages() {
  ++S().PumpDepth;
  struct Depth {
    ~Depth() { --S().PumpDepth; }
  } depth;
  if (S().Pump) {
    std::function<void()> pump = S().Pump;
    pump();
  } else {
    MSG m;
    while (PeekMessage(m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        S().QuitReceived = true;
        continue;
      }
      try {
        TranslateMessage(m);
        DispatchMessage(m);
      } catch (...) {
        if (!S().ExceptionHandler) throw;
        S().ExceptionHandler(std::current_exception());
      }
    }
  }
  if (S().Idle) {
    std::function<void()> idle = S().Idle;
    idle();
  }
}

void SetMessagePump(std::function<void()> Pump) {
  S().Pump = std::move(Pump);
}
void SetIdleHandler(std::function<void()> Idle) {
  S().Idle = std::move(Idle);
}
void SetDispatchExceptionHandler(std::function<void(std::exception_ptr)> Handler) {
  S().ExceptionHandler = std::move(Handler);
}
bool QuitReceived() {
  return S().QuitReceived;
}

}  // namespace vcl
