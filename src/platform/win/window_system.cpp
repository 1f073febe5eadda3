#include "platform/win/window_system.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>

// Sections: state | windows | geometry | messages | queue and pump | clock and timers |
// focus and activation | capture and hooks | scroll bars | painting | metrics | input | reset

namespace vcl {
namespace {

// ---- state ----------------------------------------------------------------------------------

constexpr DWORD kClockStart = 100000;  // a tick count far from 0, as on a running system
constexpr int kScrollWidth = 16;
constexpr int kCaptionHeight = 18;

struct Window {
  HWND Handle = nullptr;
  HWND Parent = nullptr;  // parent of a child, owner of a top-level window
  bool Child = false;
  std::vector<HWND> Children;  // front first
  DWORD Style = 0;
  DWORD ExStyle = 0;
  UINT ClassStyle = 0;
  std::string ClassName;
  std::string Text;
  TRect Rect;  // child: parent's client coordinates; top-level: screen
  WNDPROC Proc;
  std::intptr_t UserData = 0;
  LONG Id = 0;
  SCROLLINFO VBar{sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0};
  TRect Invalid;
  bool Erase = false;
  bool Validated = false;  // the current WM_PAINT validated (what is invalid now came after)
  bool Destroying = false;
  int PaintCount = 0;
};

struct Timer {
  HWND Wnd;
  std::uintptr_t Id;
  UINT Interval;
  DWORD Due;
  std::uint64_t Seq;
};

struct Hook {
  HHOOK Handle;
  HOOKPROC Proc;
};

struct Queued {
  MSG Msg;
  bool Mouse = false;
  UINT HitTest = 0;
};

struct ScrollTrack {
  HWND Wnd = nullptr;
  int Part = sbpNone;
  int GrabOffset = 0;    // pointer's distance from the thumb's top
  DWORD NextRepeat = 0;  // an arrow or the track held down scrolls again then
};

// A held arrow or track scrolls again after a pause, then at a steady rate.
constexpr DWORD kScrollFirstRepeat = 250;
constexpr DWORD kScrollRepeat = 50;

struct LastPress {
  HWND Wnd = nullptr;
  TMouseButton Button = mbLeft;
  DWORD Time = 0;
  TPoint Pt;
  bool Valid = false;
};

struct State {
  std::map<std::uintptr_t, std::unique_ptr<Window>> Windows;
  std::vector<HWND> TopLevel;  // front first
  std::uintptr_t NextHandle = 0x100;
  std::deque<Queued> Posted;
  std::deque<Queued> Input;
  bool QuitPending = false;
  int QuitCode = 0;  // the exit code the pending WM_QUIT carries in its wParam
  bool QuitReceived = false;
  std::vector<Timer> Timers;
  std::uint64_t TimerSeq = 0;
  std::vector<Hook> Hooks;  // newest first
  std::uintptr_t NextHook = 1;
  DWORD Now = kClockStart;
  DWORD MsgTime = kClockStart;
  TPoint MsgPos;
  HWND Focus = nullptr;
  HWND Active = nullptr;
  HWND Capture = nullptr;
  TPoint Cursor{-1, -1};
  std::uint8_t Keys[256] = {};  // bit 0x80 down, bit 0x01 toggled
  std::vector<UINT> Beeps;
  ScrollTrack Track;
  // The window whose thumb was just released: while it hears SB_THUMBPOSITION, the track
  // position is still the released one.
  HWND ThumbReleased = nullptr;
  LastPress Press;
  int ScreenWidth = 1024;
  int ScreenHeight = 768;
  std::function<void()> Pump;
  std::function<void()> Idle;
  std::function<void(std::exception_ptr)> ExceptionHandler;
  std::function<HDC(HWND)> AcquireDC;
  std::function<void(HWND, HDC)> ReleaseDCHook;
  std::function<void(HDC, const TRect&)> ClipDC;
  int PumpDepth = 0;
};

State& S() {
  static State* state = new State;  // never freed: outlives every static object
  return *state;
}

std::uintptr_t Id(HWND Wnd) {
  return reinterpret_cast<std::uintptr_t>(Wnd);
}

Window* Find(HWND Wnd) {
  if (!Wnd) return nullptr;
  auto it = S().Windows.find(Id(Wnd));
  return it == S().Windows.end() ? nullptr : it->second.get();
}

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
}

// ---- geometry -------------------------------------------------------------------------------

struct Insets {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

Insets FrameInsets(const Window& W) {
  TRect r;
  AdjustWindowRectEx(r, W.Style, false, W.ExStyle);
  return Insets{-r.Left, -r.Top, r.Right, r.Bottom};
}

bool BarShows(const Window& W) {
  return (W.Style & WS_VSCROLL) != 0;
}

Insets ClientInsets(const Window& W) {
  Insets i = FrameInsets(W);
  if (BarShows(W)) i.Right += kScrollWidth;
  return i;
}

TPoint ClientOrigin(const Window& W);

// The window's top-left corner on the screen.
TPoint ScreenOrigin(const Window& W) {
  if (!W.Child) return TPoint{W.Rect.Left, W.Rect.Top};
  TPoint p = ClientOrigin(*Find(W.Parent));
  return TPoint{p.X + W.Rect.Left, p.Y + W.Rect.Top};
}

TPoint ClientOrigin(const Window& W) {
  TPoint p = ScreenOrigin(W);
  Insets i = ClientInsets(W);
  return TPoint{p.X + i.Left, p.Y + i.Top};
}

TRect ScreenRect(const Window& W) {
  TPoint p = ScreenOrigin(W);
  return Bounds(p.X, p.Y, W.Rect.Width(), W.Rect.Height());
}

TSize ClientSize(const Window& W) {
  Insets i = ClientInsets(W);
  return TSize{std::max(0, W.Rect.Width() - i.Left - i.Right),
               std::max(0, W.Rect.Height() - i.Top - i.Bottom)};
}

TRect ScreenClientRect(const Window& W) {
  TPoint o = ClientOrigin(W);
  TSize s = ClientSize(W);
  return Bounds(o.X, o.Y, s.cx, s.cy);
}

bool Visible(const Window& W) {
  for (const Window* w = &W; w; w = w->Child ? Find(w->Parent) : nullptr)
    if (!(w->Style & WS_VISIBLE)) return false;
  return true;
}

bool Within(HWND Ancestor, HWND Wnd) {
  return Wnd && (Wnd == Ancestor || IsChild(Ancestor, Wnd));
}

// ---- scroll-bar geometry --------------------------------------------------------------------

struct BarGeometry {
  TRect Bar, Up, Down, Thumb;
  int TrackTop = 0, TrackBottom = 0, ThumbLen = 0, MaxOffset = 0;
};

int MaxScrollPos(const SCROLLINFO& I) {
  return std::max(I.nMin, I.nMax - std::max<int>(static_cast<int>(I.nPage) - 1, 0));
}

// In window coordinates.
BarGeometry BarLayout(const Window& W, int Pos) {
  BarGeometry g;
  Insets f = FrameInsets(W);
  int right = W.Rect.Width() - f.Right;
  int top = f.Top;
  int bottom = W.Rect.Height() - f.Bottom;
  g.Bar = TRect{right - kScrollWidth, top, right, bottom};
  int arrow = std::min(kScrollWidth, std::max(0, (bottom - top) / 2));
  g.Up = TRect{g.Bar.Left, top, right, top + arrow};
  g.Down = TRect{g.Bar.Left, bottom - arrow, right, bottom};
  g.TrackTop = g.Up.Bottom;
  g.TrackBottom = g.Down.Top;
  int track = g.TrackBottom - g.TrackTop;
  const SCROLLINFO& I = W.VBar;
  int span = I.nMax - I.nMin + 1;
  g.ThumbLen = I.nPage > 0 && span > 0 ? static_cast<int>(static_cast<long long>(track) * I.nPage / span)
                                       : kScrollWidth;
  g.ThumbLen = std::max(g.ThumbLen, 8);
  g.MaxOffset = MaxScrollPos(I) - I.nMin;
  if (g.ThumbLen > track) {
    g.ThumbLen = 0;
    return g;
  }
  int offset =
      g.MaxOffset > 0
          ? static_cast<int>(static_cast<long long>(track - g.ThumbLen) * (Pos - I.nMin) / g.MaxOffset)
          : 0;
  g.Thumb = TRect{g.Bar.Left, g.TrackTop + offset, right, g.TrackTop + offset + g.ThumbLen};
  return g;
}

// ---- messages -------------------------------------------------------------------------------

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

void ActivateWindow(HWND Top, WPARAM How);

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
    Out = q.Msg;
    return true;
  }
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

// ---- timers ---------------------------------------------------------------------------------

Timer* DueTimer(HWND Wnd) {
  Timer* best = nullptr;
  for (Timer& t : S().Timers) {
    if (Wnd && t.Wnd != Wnd) continue;
    if (static_cast<std::int32_t>(S().Now - t.Due) < 0) continue;
    if (!best || static_cast<std::int32_t>(t.Due - best->Due) < 0 ||
        (t.Due == best->Due && t.Seq < best->Seq))
      best = &t;
  }
  return best;
}

// ---- scroll tracking ------------------------------------------------------------------------

void SendScroll(HWND Wnd, int Code, int Pos = 0) {
  SendMessage(Wnd, WM_VSCROLL, MAKEWPARAM(Code, Pos), 0);
}

void EndTrack() {
  ScrollTrack t = S().Track;
  if (!t.Wnd) return;
  S().Track = ScrollTrack{};
  if (S().Capture == t.Wnd) ReleaseCapture();
}

int BarPartAt(const Window& W, TPoint WindowPt) {
  BarGeometry g = BarLayout(W, W.VBar.nPos);
  if (!g.Bar.Contains(WindowPt)) return sbpNone;
  if (g.Up.Contains(WindowPt)) return sbpUpArrow;
  if (g.Down.Contains(WindowPt)) return sbpDownArrow;
  if (g.ThumbLen == 0) return sbpNone;
  if (WindowPt.Y < g.Thumb.Top) return sbpPageUp;
  if (WindowPt.Y >= g.Thumb.Bottom) return sbpPageDown;
  return sbpThumb;
}

// A press on the bar: the first WM_VSCROLL and the start of the tracking.
void StartTrack(HWND Wnd, TPoint ScreenPt) {
  Window* w = Find(Wnd);
  if (!w || !BarShows(*w)) return;
  TPoint o = ScreenOrigin(*w);
  TPoint p{ScreenPt.X - o.X, ScreenPt.Y - o.Y};
  int part = BarPartAt(*w, p);
  if (part == sbpNone) return;
  SetCapture(Wnd);
  S().Track = ScrollTrack{Wnd, part, 0, S().Now + kScrollFirstRepeat};
  switch (part) {
    case sbpUpArrow: SendScroll(Wnd, SB_LINEUP); break;
    case sbpDownArrow: SendScroll(Wnd, SB_LINEDOWN); break;
    case sbpPageUp: SendScroll(Wnd, SB_PAGEUP); break;
    case sbpPageDown: SendScroll(Wnd, SB_PAGEDOWN); break;
    case sbpThumb: {
      BarGeometry g = BarLayout(*w, w->VBar.nPos);
      S().Track.GrabOffset = p.Y - g.Thumb.Top;
      w->VBar.nTrackPos = w->VBar.nPos;
      SendScroll(Wnd, SB_THUMBTRACK, w->VBar.nTrackPos);
      break;
    }
  }
}

// Scrolls again while an arrow or the track stays pressed under the pointer (the track only
// until the thumb reaches the pointer).
void ServiceScrollRepeat() {
  ScrollTrack& t = S().Track;
  if (!t.Wnd || t.Part == sbpThumb || static_cast<std::int32_t>(S().Now - t.NextRepeat) < 0) return;
  t.NextRepeat = S().Now + kScrollRepeat;
  Window* w = Find(t.Wnd);
  if (!w) return;
  TPoint o = ScreenOrigin(*w);
  TPoint p{S().Cursor.X - o.X, S().Cursor.Y - o.Y};
  if (BarPartAt(*w, p) != t.Part) return;
  static const int kCodes[] = {0, SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN};
  SendScroll(t.Wnd, kCodes[t.Part]);
}

void TrackMove(TPoint ScreenPt) {
  Window* w = Find(S().Track.Wnd);
  if (!w || S().Track.Part != sbpThumb) return;
  BarGeometry g = BarLayout(*w, w->VBar.nPos);
  TPoint o = ScreenOrigin(*w);
  int room = g.TrackBottom - g.TrackTop - g.ThumbLen;
  int top = ScreenPt.Y - o.Y - S().Track.GrabOffset - g.TrackTop;
  int pos = w->VBar.nMin;
  if (room > 0) {
    double f = std::clamp(static_cast<double>(top) / room, 0.0, 1.0);
    pos = w->VBar.nMin + static_cast<int>(f * g.MaxOffset + 0.5);
  }
  if (pos == w->VBar.nTrackPos) return;
  w->VBar.nTrackPos = pos;
  SendScroll(w->Handle, SB_THUMBTRACK, pos);
}

void TrackRelease() {
  ScrollTrack t = S().Track;
  Window* w = Find(t.Wnd);
  EndTrack();
  if (!w) return;
  HWND h = w->Handle;
  if (t.Part == sbpThumb) {
    S().ThumbReleased = h;
    struct Clear {
      ~Clear() { S().ThumbReleased = nullptr; }
    } clear;
    SendScroll(h, SB_THUMBPOSITION, w->VBar.nTrackPos);
  }
  if (IsWindow(h)) SendScroll(h, SB_ENDSCROLL);
}

// ---- window tree ----------------------------------------------------------------------------

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

// ---- keyboard -------------------------------------------------------------------------------

bool KeyDown(int Vk) {
  return (S().Keys[Vk & 0xFF] & 0x80) != 0;
}

int ScanCode(Word Vk) {
  static const char* kRow1 = "QWERTYUIOP";
  static const char* kRow2 = "ASDFGHJKL";
  static const char* kRow3 = "ZXCVBNM";
  if (Vk >= '1' && Vk <= '9') return 2 + (Vk - '1');
  if (Vk == '0') return 11;
  for (int i = 0; kRow1[i]; ++i)
    if (kRow1[i] == Vk) return 16 + i;
  for (int i = 0; kRow2[i]; ++i)
    if (kRow2[i] == Vk) return 30 + i;
  for (int i = 0; kRow3[i]; ++i)
    if (kRow3[i] == Vk) return 44 + i;
  switch (Vk) {
    case VK_ESCAPE: return 1;
    case VK_BACK: return 14;
    case VK_TAB: return 15;
    case VK_RETURN: return 28;
    case VK_CONTROL: return 29;
    case VK_SHIFT: return 42;
    case VK_MENU: return 56;
    case VK_SPACE: return 57;
    case VK_HOME: return 71;
    case VK_UP: return 72;
    case VK_PRIOR: return 73;
    case VK_LEFT: return 75;
    case VK_RIGHT: return 77;
    case VK_END: return 79;
    case VK_DOWN: return 80;
    case VK_NEXT: return 81;
    case VK_INSERT: return 82;
    case VK_DELETE: return 83;
    default:
      if (Vk >= VK_F1 && Vk <= VK_F10) return 59 + (Vk - VK_F1);
      return 0;
  }
}

// The character a key down makes with the current key state (US layout), or 0.
int CharForKey(Word Vk) {
  bool shift = KeyDown(VK_SHIFT), ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU);
  if (ctrl && alt) return 0;
  if (Vk >= 'A' && Vk <= 'Z') {
    if (ctrl) return Vk - 'A' + 1;
    bool upper = shift != ((S().Keys[VK_CAPITAL] & 1) != 0);
    return upper ? Vk : Vk - 'A' + 'a';
  }
  if (ctrl) {
    switch (Vk) {
      case VK_RETURN: return 10;
      case VK_BACK: return 127;
      case VK_SPACE: return ' ';
      case VK_ESCAPE: return 27;
      case VK_OEM_4: return 27;
      case VK_OEM_5: return 28;
      case VK_OEM_6: return 29;
      default: return 0;
    }
  }
  static const char* kShiftedDigits = ")!@#$%^&*(";
  if (Vk >= '0' && Vk <= '9') return shift ? kShiftedDigits[Vk - '0'] : Vk;
  if (Vk >= VK_NUMPAD0 && Vk <= VK_NUMPAD0 + 9) return '0' + (Vk - VK_NUMPAD0);
  switch (Vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return 0;
  }
}

void PostInput(const MSG& M, bool Mouse = false, UINT HitTest = 0) {
  S().Input.push_back(Queued{M, Mouse, HitTest});
}

WPARAM MouseKeys() {
  WPARAM k = 0;
  if (KeyDown(VK_LBUTTON)) k |= MK_LBUTTON;
  if (KeyDown(VK_RBUTTON)) k |= MK_RBUTTON;
  if (KeyDown(VK_MBUTTON)) k |= MK_MBUTTON;
  if (KeyDown(VK_SHIFT)) k |= MK_SHIFT;
  if (KeyDown(VK_CONTROL)) k |= MK_CONTROL;
  return k;
}

Word ButtonKey(TMouseButton B) {
  return B == mbLeft ? VK_LBUTTON : B == mbRight ? VK_RBUTTON : VK_MBUTTON;
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

// The deepest visible window under a screen point that does not answer WM_NCHITTEST with
// HTTRANSPARENT, and its answer. A transparent child lets the point through to its parent; a
// transparent top-level window (a hint) to the windows behind it.
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

// The window a mouse event at P is for, and the hit-test code; nullptr when none. A window
// answering HTTRANSPARENT lets the point through to its parent, or, for a top-level window, to
// the windows behind it.
HWND MouseTarget(TPoint P, UINT& HitTest) {
  if (S().Capture) {
    HitTest = static_cast<UINT>(HTCLIENT);
    return S().Capture;
  }
  LRESULT hit = HTNOWHERE;
  HWND h = HitTestAt(P, hit);
  if (!h || hit == HTNOWHERE || hit == HTERROR) return nullptr;
  HitTest = static_cast<UINT>(hit);
  return h;
}

void PostMouse(UINT ClientMsg, UINT NcMsg, TPoint P, WPARAM Extra = 0) {
  UINT hit = 0;
  HWND h = MouseTarget(P, hit);
  if (!h) return;
  Window* w = Find(h);
  if (!w || (w->Style & WS_DISABLED)) return;
  MSG m{h, 0, 0, 0, S().Now, P};
  if (hit == static_cast<UINT>(HTCLIENT)) {
    TPoint c = P;
    ScreenToClient(h, c);
    m.message = ClientMsg;
    m.wParam = MouseKeys() | Extra;
    m.lParam = PointToLParam(c);
  } else {
    m.message = NcMsg;
    m.wParam = hit;
    m.lParam = PointToLParam(P);
  }
  PostInput(m, true, hit);
}

}  // namespace

// =============================================================================================
// windows
// =============================================================================================

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

bool GetWindowRect(HWND Wnd, TRect& R) {
  Window* w = Find(Wnd);
  if (!w) return false;
  R = ScreenRect(*w);
  return true;
}

bool GetClientRect(HWND Wnd, TRect& R) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TSize s = ClientSize(*w);
  R = TRect{0, 0, s.cx, s.cy};
  return true;
}

bool ClientToScreen(HWND Wnd, TPoint& P) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TPoint o = ClientOrigin(*w);
  P = TPoint{P.X + o.X, P.Y + o.Y};
  return true;
}

bool ScreenToClient(HWND Wnd, TPoint& P) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TPoint o = ClientOrigin(*w);
  P = TPoint{P.X - o.X, P.Y - o.Y};
  return true;
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
    } else {
      auto it = std::find(list.begin(), list.end(), InsertAfter);
      list.insert(it == list.end() ? list.end() : it + 1, Wnd);
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
  if (moved || sized || shown || hidden) SendSizeMessages(*w, moved, sized);
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

// =============================================================================================
// messages
// =============================================================================================

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
  int ch = CharForKey(static_cast<Word>(Msg.wParam));
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
    case WM_SETTEXT: w->Text = LParam ? reinterpret_cast<const char*>(LParam) : ""; return 1;
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

// =============================================================================================
// clock and timers
// =============================================================================================

DWORD GetTickCount() {
  return S().Now;
}
void AdvanceClock(DWORD Milliseconds) {
  S().Now += Milliseconds;
}

std::uintptr_t SetTimer(HWND Wnd, std::uintptr_t IDEvent, UINT Elapse, void* TimerFunc) {
  (void)TimerFunc;
  if (!IsWindow(Wnd)) return 0;
  UINT interval = std::max<UINT>(Elapse, 10);
  for (Timer& t : S().Timers) {
    if (t.Wnd == Wnd && t.Id == IDEvent) {
      t.Interval = interval;
      t.Due = S().Now + interval;
      t.Seq = ++S().TimerSeq;
      return IDEvent;
    }
  }
  S().Timers.push_back(Timer{Wnd, IDEvent, interval, S().Now + interval, ++S().TimerSeq});
  return IDEvent;
}

bool KillTimer(HWND Wnd, std::uintptr_t IDEvent) {
  auto n = std::erase_if(S().Timers, [&](const Timer& t) { return t.Wnd == Wnd && t.Id == IDEvent; });
  return n > 0;
}

bool IsTimerRunning(HWND Wnd, std::uintptr_t IDEvent) {
  return std::any_of(S().Timers.begin(), S().Timers.end(),
                     [&](const Timer& t) { return t.Wnd == Wnd && t.Id == IDEvent; });
}

int TimerCount() {
  return static_cast<int>(S().Timers.size());
}

bool NextTimerDue(DWORD& Due) {
  bool any = false;
  auto consider = [&](DWORD D) {
    if (!any || static_cast<std::int32_t>(D - Due) < 0) Due = D;
    any = true;
  };
  for (const Timer& t : S().Timers) consider(t.Due);
  if (S().Track.Wnd && S().Track.Part != sbpThumb) consider(S().Track.NextRepeat);
  return any;
}

UINT GetDoubleClickTime() {
  return 500;
}

// =============================================================================================
// focus and activation
// =============================================================================================

namespace {
void ActivateWindow(HWND Top, WPARAM How) {
  if (Top == S().Active || !IsWindow(Top)) return;
  HWND old = S().Active;
  S().Active = Top;
  if (old) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(Top));
  if (S().Active != Top || !IsWindow(Top)) return;
  PlaceOnTop(*Find(Top));
  SendMessage(Top, WM_ACTIVATE, How, reinterpret_cast<LPARAM>(old));
  if (S().Active == Top && IsWindow(Top) && !Within(Top, S().Focus)) SetFocus(Top);
}
}  // namespace

HWND SetFocus(HWND Wnd) {
  HWND old = S().Focus;
  if (Wnd && !IsWindow(Wnd)) return nullptr;
  if (Wnd == old) return old;
  if (Wnd) {
    HWND top = GetTopLevelWindow(Wnd);
    if (top != S().Active) {
      ActivateWindow(top, WA_ACTIVE);
      if (S().Focus == Wnd || !IsWindow(Wnd)) return old;
      old = S().Focus;
    }
  }
  S().Focus = nullptr;
  if (old) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(Wnd), 0);
  if (S().Focus != nullptr || !Wnd || !IsWindow(Wnd)) return old;  // moved elsewhere meanwhile
  S().Focus = Wnd;
  SendMessage(Wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(IsWindow(old) ? old : nullptr), 0);
  return old;
}

HWND GetFocus() {
  return S().Focus;
}

HWND SetActiveWindow(HWND Wnd) {
  HWND old = S().Active;
  HWND top = GetTopLevelWindow(Wnd);
  if (top) ActivateWindow(top, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() {
  return S().Active;
}

// =============================================================================================
// capture and hooks
// =============================================================================================

HWND SetCapture(HWND Wnd) {
  HWND old = S().Capture;
  if (!IsWindow(Wnd)) return old;
  S().Capture = Wnd;
  if (old && old != Wnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
  return old;
}

bool ReleaseCapture() {
  HWND old = S().Capture;
  S().Capture = nullptr;
  if (S().Track.Wnd) S().Track = ScrollTrack{};
  if (old) SendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND GetCapture() {
  return S().Capture;
}

HHOOK SetWindowsHookExA(int IdHook, HOOKPROC Proc, void* Module, DWORD ThreadId) {
  (void)Module;
  if (IdHook != WH_MOUSE || !Proc || (ThreadId != 0 && ThreadId != GetCurrentThreadId())) return nullptr;
  HHOOK h = reinterpret_cast<HHOOK>(S().NextHook++);
  S().Hooks.insert(S().Hooks.begin(), Hook{h, std::move(Proc)});
  return h;
}

LRESULT CallNextHookEx(HHOOK HookHandle, int Code, WPARAM WParam, LPARAM LParam) {
  auto& hooks = S().Hooks;
  auto it = std::find_if(hooks.begin(), hooks.end(), [&](const Hook& h) { return h.Handle == HookHandle; });
  if (it == hooks.end() || it + 1 == hooks.end()) return 0;
  HOOKPROC next = (it + 1)->Proc;
  return next(Code, WParam, LParam);
}

bool UnhookWindowsHookEx(HHOOK HookHandle) {
  return std::erase_if(S().Hooks, [&](const Hook& h) { return h.Handle == HookHandle; }) > 0;
}

int HookCount() {
  return static_cast<int>(S().Hooks.size());
}
DWORD GetCurrentThreadId() {
  return 1;
}

bool GetCursorPos(TPoint& P) {
  P = S().Cursor;
  return true;
}

bool SetCursorPos(int X, int Y) {
  S().Cursor = TPoint{X, Y};
  return true;
}

SHORT GetKeyState(int VirtKey) {
  std::uint8_t k = S().Keys[VirtKey & 0xFF];
  return static_cast<SHORT>(((k & 0x80) ? 0x8000 : 0) | (k & 1));
}

SHORT GetAsyncKeyState(int VirtKey) {
  return static_cast<SHORT>(KeyDown(VirtKey) ? 0x8000 : 0);
}

// =============================================================================================
// scroll bars
// =============================================================================================

bool GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO& Info) {
  Window* w = Find(Wnd);
  if (!w || Bar != SB_VERT) return false;
  const SCROLLINFO& v = w->VBar;
  if (Info.fMask & SIF_RANGE) {
    Info.nMin = v.nMin;
    Info.nMax = v.nMax;
  }
  if (Info.fMask & SIF_PAGE) Info.nPage = v.nPage;
  if (Info.fMask & SIF_POS) Info.nPos = v.nPos;
  if (Info.fMask & SIF_TRACKPOS)
    Info.nTrackPos = S().Track.Wnd == Wnd || S().ThumbReleased == Wnd ? v.nTrackPos : v.nPos;
  return true;
}

int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO& Info, bool Redraw) {
  Window* w = Find(Wnd);
  if (!w || Bar != SB_VERT) return 0;
  SCROLLINFO& v = w->VBar;
  if (Info.fMask & SIF_RANGE) {
    v.nMin = Info.nMin;
    v.nMax = std::max(Info.nMin, Info.nMax);
  }
  if (Info.fMask & SIF_PAGE) v.nPage = std::min<UINT>(Info.nPage, static_cast<UINT>(v.nMax - v.nMin + 1));
  if (Info.fMask & SIF_POS) v.nPos = Info.nPos;
  v.nPos = std::clamp(v.nPos, v.nMin, MaxScrollPos(v));
  if (Info.fMask & (SIF_RANGE | SIF_PAGE)) {
    bool show = (Info.fMask & SIF_DISABLENOSCROLL) ||
                (v.nMax > v.nMin && static_cast<int>(v.nPage) <= v.nMax - v.nMin);
    if (show != BarShows(*w)) {
      if (show)
        w->Style |= WS_VSCROLL;
      else
        w->Style &= ~WS_VSCROLL;
      InvalidateRect(Wnd, nullptr, true);
      TSize s = ClientSize(*w);
      SendMessage(Wnd, WM_SIZE, 0, MAKELPARAM(s.cx, s.cy));
      if (!(w = Find(Wnd))) return 0;
    }
  }
  // The bar is drawn with the frame from its current state: Redraw repaints nothing of the
  // client area.
  (void)Redraw;
  return w->VBar.nPos;
}

int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw) {
  int old = GetScrollPos(Wnd, Bar);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = Pos;
  SetScrollInfo(Wnd, Bar, si, Redraw);
  return old;
}

int GetScrollPos(HWND Wnd, int Bar) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  return GetScrollInfo(Wnd, Bar, si) ? si.nPos : 0;
}

bool SetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, bool Redraw) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = MinPos;
  si.nMax = MaxPos;
  if (!IsWindow(Wnd) || Bar != SB_VERT) return false;
  SetScrollInfo(Wnd, Bar, si, Redraw);
  return true;
}

bool GetScrollRange(HWND Wnd, int Bar, int& MinPos, int& MaxPos) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(Wnd, Bar, si)) return false;
  MinPos = si.nMin;
  MaxPos = si.nMax;
  return true;
}

bool ShowScrollBar(HWND Wnd, int Bar, bool Show) {
  Window* w = Find(Wnd);
  if (!w || (Bar != SB_VERT && Bar != SB_BOTH)) return false;
  if (Show == BarShows(*w)) return true;
  if (Show)
    w->Style |= WS_VSCROLL;
  else
    w->Style &= ~WS_VSCROLL;
  InvalidateRect(Wnd, nullptr, true);
  TSize s = ClientSize(*w);
  SendMessage(Wnd, WM_SIZE, 0, MAKELPARAM(s.cx, s.cy));
  return true;
}

bool GetScrollBarLayout(HWND Wnd, TScrollBarLayout& Layout) {
  Window* w = Find(Wnd);
  if (!w || !BarShows(*w)) return false;
  bool tracking = S().Track.Wnd == Wnd;
  BarGeometry g = BarLayout(*w, tracking && S().Track.Part == sbpThumb ? w->VBar.nTrackPos : w->VBar.nPos);
  Layout = TScrollBarLayout{
      g.Bar, g.Up, g.Down, g.Thumb, tracking && S().Track.Part == sbpThumb, tracking ? S().Track.Part : 0};
  return true;
}

// =============================================================================================
// painting
// =============================================================================================

bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TSize s = ClientSize(*w);
  TRect client{0, 0, s.cx, s.cy};
  TRect r = client;
  if (R) IntersectRect(r, *R, client);
  // The frame is repainted with the client area, so an empty client still counts.
  if (r.IsEmpty()) r = TRect{0, 0, std::max(1, s.cx), std::max(1, s.cy)};
  UnionRect(w->Invalid, w->Invalid, r);
  if (Erase) w->Erase = true;
  return true;
}

bool ValidateRect(HWND Wnd, const TRect* R) {
  Window* w = Find(Wnd);
  if (!w) return false;
  if (!R) {
    w->Invalid = TRect{};
    w->Erase = false;
    w->Validated = true;
  } else {
    TRect r;
    // A union rectangle: validating a part that covers it clears it.
    if (IntersectRect(r, *R, w->Invalid) && r == w->Invalid) {
      w->Invalid = TRect{};
      w->Erase = false;
      w->Validated = true;
    }
  }
  return true;
}

bool GetUpdateRect(HWND Wnd, TRect* R, bool Erase) {
  (void)Erase;
  Window* w = Find(Wnd);
  if (!w) return false;
  if (R) *R = w->Invalid;
  return !w->Invalid.IsEmpty();
}

bool UpdateWindow(HWND Wnd) {
  Window* w = Find(Wnd);
  if (!w) return false;
  if (!w->Invalid.IsEmpty() && Visible(*w)) DispatchMessage(MSG{Wnd, WM_PAINT, 0, 0, S().Now, S().Cursor});
  return true;
}

HDC BeginPaint(HWND Wnd, PAINTSTRUCT& PS) {
  Window* w = Find(Wnd);
  PS = PAINTSTRUCT{};
  if (!w) return nullptr;
  PS.rcPaint = w->Invalid;
  bool erase = w->Erase;
  w->Invalid = TRect{};
  w->Erase = false;
  w->Validated = true;
  PS.hdc = GetDC(Wnd);
  // A paint draws only what is invalid; the rest of the window keeps its pixels.
  if (PS.hdc && S().ClipDC) S().ClipDC(PS.hdc, PS.rcPaint);
  if (erase) PS.fErase = SendMessage(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(PS.hdc), 0) == 0;
  return PS.hdc;
}

bool EndPaint(HWND Wnd, const PAINTSTRUCT& PS) {
  ReleaseDC(Wnd, PS.hdc);
  return true;
}

HDC GetDC(HWND Wnd) {
  // GetDC(0) is the screen's context, which the drawing layer gives out for measuring.
  return S().AcquireDC && (!Wnd || IsWindow(Wnd)) ? S().AcquireDC(Wnd) : nullptr;
}

int ReleaseDC(HWND Wnd, HDC DC) {
  if (DC && S().ReleaseDCHook) S().ReleaseDCHook(Wnd, DC);
  return 1;
}

void SetDeviceContextProvider(std::function<HDC(HWND)> Acquire, std::function<void(HWND, HDC)> Release,
                              std::function<void(HDC, const TRect&)> Clip) {
  S().AcquireDC = std::move(Acquire);
  S().ReleaseDCHook = std::move(Release);
  S().ClipDC = std::move(Clip);
}

int PaintCount(HWND Wnd) {
  Window* w = Find(Wnd);
  return w ? w->PaintCount : 0;
}

// =============================================================================================
// metrics
// =============================================================================================

int GetSystemMetrics(int Index) {
  switch (Index) {
    case SM_CXSCREEN: return S().ScreenWidth;
    case SM_CYSCREEN: return S().ScreenHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return kScrollWidth;
    case SM_CYCAPTION: return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    default: return 0;
  }
}

bool AdjustWindowRectEx(TRect& R, DWORD Style, bool Menu, DWORD ExStyle) {
  (void)Menu;
  int f = 0;
  if (Style & WS_THICKFRAME)
    f = 4;
  else if ((Style & WS_DLGFRAME) || (ExStyle & WS_EX_DLGMODALFRAME))
    f = 3;
  else if (Style & WS_BORDER)
    f = 1;
  if (ExStyle & WS_EX_CLIENTEDGE) f += 2;
  InflateRect(R, f, f);
  if ((Style & WS_CAPTION) == WS_CAPTION) R.Top -= kCaptionHeight;
  return true;
}

void SetScreenSize(int Width, int Height) {
  S().ScreenWidth = Width;
  S().ScreenHeight = Height;
}

// =============================================================================================
// input
// =============================================================================================

void InputKey(Word VirtKey, bool Down) {
  std::uint8_t& k = S().Keys[VirtKey & 0xFF];
  bool wasDown = (k & 0x80) != 0;
  if (Down) {
    if (!wasDown) k ^= 1;  // toggle on each press
    k |= 0x80;
  } else {
    k &= static_cast<std::uint8_t>(~0x80);
  }
  // The context bit says whether Alt is down now: not on the release of Alt itself.
  bool alt = KeyDown(VK_MENU);
  bool ctrl = KeyDown(VK_CONTROL);
  bool sys = (alt && !ctrl) || VirtKey == VK_F10 || (VirtKey == VK_MENU && !ctrl);
  HWND target = S().Focus;
  if (!target) {
    target = S().Active;
    sys = true;  // without a focus window the active window gets system keys
  }
  if (!target) return;
  UINT msg = Down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM data = 1 | (static_cast<LPARAM>(ScanCode(VirtKey)) << 16);
  if (alt) data |= KF_ALTDOWN_BIT;
  if (wasDown) data |= KF_REPEAT_BIT;
  if (!Down) data |= KF_UP_BIT;
  PostInput(MSG{target, msg, VirtKey, data, S().Now, S().Cursor});
}

void InputChar(char Ch) {
  HWND target = S().Focus;
  if (!target) return;
  S().Posted.push_back(Queued{
      MSG{target, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(Ch)), 1, S().Now, S().Cursor}});
}

void InputMouseMove(TPoint P) {
  S().Cursor = P;
  if (S().Track.Wnd) return TrackMove(P);
  PostMouse(WM_MOUSEMOVE, WM_NCMOUSEMOVE, P);
}

void InputMouseButton(TMouseButton Button, bool Down, TPoint P) {
  S().Cursor = P;
  std::uint8_t& k = S().Keys[ButtonKey(Button)];
  if (Down)
    k |= 0x80;
  else
    k &= static_cast<std::uint8_t>(~0x80);
  if (S().Track.Wnd) {
    if (!Down && Button == mbLeft) TrackRelease();
    return;
  }
  static const UINT kClient[3][3] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
                                     {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
                                     {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}};
  static const UINT kNc[3][3] = {{WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK},
                                 {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCRBUTTONDBLCLK},
                                 {WM_NCMBUTTONDOWN, WM_NCMBUTTONUP, WM_NCMBUTTONDBLCLK}};
  int b = static_cast<int>(Button);
  if (!Down) return PostMouse(kClient[b][1], kNc[b][1], P);
  // A second press close in time and place on the same window is a double click.
  size_t before = S().Input.size();
  PostMouse(kClient[b][0], kNc[b][0], P);
  if (S().Input.size() == before) return;
  Queued& q = S().Input.back();
  HWND target = q.Msg.hwnd;
  UINT hit = q.HitTest;
  LastPress& lp = S().Press;
  int half = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
  bool dbl = lp.Valid && lp.Wnd == target && lp.Button == Button &&
             S().Now - lp.Time <= GetDoubleClickTime() && std::abs(P.X - lp.Pt.X) <= half &&
             std::abs(P.Y - lp.Pt.Y) <= half;
  bool client = hit == static_cast<UINT>(HTCLIENT);
  if (dbl && (!client || (GetClassLong(target, GCL_STYLE) & CS_DBLCLKS))) {
    q.Msg.message = client ? kClient[b][2] : kNc[b][2];
    lp.Valid = false;
  } else {
    lp = LastPress{target, Button, S().Now, P, true};
  }
}

void InputMouseWheel(int Delta, TPoint P) {
  S().Cursor = P;
  HWND target = S().Focus ? S().Focus : S().Active;
  if (!target) return;
  MSG m{target,           WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeys()), Delta),
        PointToLParam(P), S().Now,       P};
  PostInput(m, true, static_cast<UINT>(HTCLIENT));
}

// =============================================================================================
// testing
// =============================================================================================

void ResetWindowSystem() {
  while (!S().TopLevel.empty()) {
    HWND h = S().TopLevel.back();
    if (!DestroyWindow(h)) std::erase(S().TopLevel, h);
  }
  State& s = S();
  s.Windows.clear();
  s.Posted.clear();
  s.Input.clear();
  s.QuitPending = s.QuitReceived = false;
  s.Timers.clear();
  s.Hooks.clear();
  s.Now = s.MsgTime = kClockStart;
  s.MsgPos = TPoint{};
  s.Focus = s.Active = s.Capture = nullptr;
  s.Cursor = TPoint{-1, -1};
  std::memset(s.Keys, 0, sizeof(s.Keys));
  s.Beeps.clear();
  s.Track = ScrollTrack{};
  s.Press = LastPress{};
  s.ScreenWidth = 1024;
  s.ScreenHeight = 768;
}

bool MessageBeep(UINT Type) {
  S().Beeps.push_back(Type);
  return true;
}

const std::vector<UINT>& Beeps() {
  return S().Beeps;
}

int WindowCount() {
  return static_cast<int>(S().Windows.size());
}

}  // namespace vcl
