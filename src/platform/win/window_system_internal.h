// The window system's shared state and the helpers its parts use among themselves. Not for
// use outside src/platform/win: everything here may change with the window system.
//
// The window system is one state (S()) and these parts, each in a file of its own:
//   window_system.cpp   the state, reset and the recorded side effects (beeps)
//   window_tree.cpp     creation, destruction, tree and z-order, styles, placement, visibility
//   window_geometry.cpp frames, client areas, coordinates, metrics
//   message_queue.cpp   send, post, peek, translate, dispatch, the pump, default handling
//   timers.cpp          the virtual clock and window timers
//   focus.cpp           focus and activation
//   capture_hooks.cpp   capture, mouse hooks, the cursor and the key state
//   scroll_bars.cpp     scroll info, the bar's layout and its tracking with the mouse
//   painting.cpp        invalid regions, WM_PAINT and device contexts
//   input_events.cpp    the raw keyboard and mouse events fed in (by the simulator or a display)
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/display.h"
#include "platform/win/window_system.h"

namespace vcl::detail {

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
  int TypedChar = -1;  // a key down whose character the keyboard in use chose (InputTypedKey)
};

// A key down taken from the queue whose character was chosen by the keyboard in use.
struct TypedKey {
  MSG Msg;
  char Char = 0;
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
  std::deque<TypedKey> TypedKeys;  // the last few taken, for TranslateMessage
  TDisplay* Display = nullptr;
};

// The one state of the window system.
State& S();

inline std::uintptr_t Id(HWND Wnd) {
  return reinterpret_cast<std::uintptr_t>(Wnd);
}

inline Window* Find(HWND Wnd) {
  if (!Wnd) return nullptr;
  auto it = S().Windows.find(Id(Wnd));
  return it == S().Windows.end() ? nullptr : it->second.get();
}

// ---- tree and z-order (window_tree.cpp) -----------------------------------------------------

// Puts W in front of its siblings; a top-level window that is not topmost stays behind the
// topmost ones, and the windows it owns stay in front of it, in their order.
void PlaceOnTop(Window& W);

// The deepest visible window under a screen point that does not answer WM_NCHITTEST with
// HTTRANSPARENT, and its answer. A transparent child lets the point through to its parent; a
// transparent top-level window (a hint) to the windows behind it.
HWND HitTestAt(TPoint P, LRESULT& Hit);

// ---- geometry (window_geometry.cpp) ---------------------------------------------------------

struct Insets {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

Insets FrameInsets(const Window& W);
bool BarShows(const Window& W);
Insets ClientInsets(const Window& W);
// The window's top-left corner on the screen.
TPoint ScreenOrigin(const Window& W);
TPoint ClientOrigin(const Window& W);
TRect ScreenRect(const Window& W);
TSize ClientSize(const Window& W);
TRect ScreenClientRect(const Window& W);
bool Visible(const Window& W);
bool Within(HWND Ancestor, HWND Wnd);

// ---- scroll bars (scroll_bars.cpp) ----------------------------------------------------------

struct BarGeometry {
  TRect Bar, Up, Down, Thumb;
  int TrackTop = 0, TrackBottom = 0, ThumbLen = 0, MaxOffset = 0;
};

int MaxScrollPos(const SCROLLINFO& I);
// In window coordinates.
BarGeometry BarLayout(const Window& W, int Pos);
void EndTrack();
// A press on the bar: the first WM_VSCROLL and the start of the tracking.
void StartTrack(HWND Wnd, TPoint ScreenPt);
// Scrolls again while an arrow or the track stays pressed under the pointer (the track only
// until the thumb reaches the pointer).
void ServiceScrollRepeat();
void TrackMove(TPoint ScreenPt);
void TrackRelease();

// ---- timers (timers.cpp) --------------------------------------------------------------------

Timer* DueTimer(HWND Wnd);

// ---- focus and activation (focus.cpp) -------------------------------------------------------

void ActivateWindow(HWND Top, WPARAM How);

// ---- keyboard (input_events.cpp) ------------------------------------------------------------

bool KeyDown(int Vk);
// The character a key down makes with the current key state (US layout), or 0.
int CharForKey(Word Vk);

// ---- the display (display.cpp) -------------------------------------------------------------
// Tell the display, when there is one, what changed; headless they do nothing.

inline TDisplay* Display() {
  return S().Display;
}
// Wnd is any window: the display hears of its top-level window.
void NotifyPictureChanged(HWND Wnd);
// Wnd is a top-level window (others are ignored).
void NotifyWindowPlaced(HWND Wnd);
void NotifyZOrderChanged(const Window& W);

}  // namespace vcl::detail
