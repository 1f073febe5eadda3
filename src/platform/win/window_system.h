// The window system: windows and their handles, the message queue, a virtual clock with
// timers, focus, activation, capture, thread mouse hooks, the vertical scroll bar, window
// metrics, invalid regions and painting. The free functions carry their Win32 names.
//
// Sections:
//   windows          creation, destruction, tree and z-order, styles, rectangles, visibility
//   messages         send, post, peek, translate, dispatch, the pump, default handling
//   clock and timers GetTickCount, SetTimer, KillTimer, advancing the clock
//   focus and mouse  SetFocus, activation, capture, hooks, cursor, key state
//   scroll bars      scroll info and the bar's layout
//   painting         invalid regions, WM_PAINT, device-context hooks for the drawing layer
//   metrics          GetSystemMetrics, AdjustWindowRectEx, the screen
//   input            the raw keyboard and mouse events the simulator feeds in
//   testing          reset and recorded side effects (beeps)
//
// Each section is a source file of its own beside this header (window_system_internal.h
// lists them).
#pragma once

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/win/messages.h"

namespace vcl {

// ---- windows --------------------------------------------------------------------------------

// Makes a window. With WS_CHILD, Parent is the parent window and X, Y are in its client
// coordinates; otherwise the window is top-level (Parent, if given, is its owner: an owned
// window goes with its owner) and X, Y are screen coordinates. ClassStyle holds the CS_ bits
// (CS_DBLCLKS asks for double clicks). Sends WM_CREATE. Returns nullptr when Parent is invalid.
HWND CreateWindowEx(DWORD ExStyle, const std::string& ClassName, const std::string& WindowName, DWORD Style,
                    int X, int Y, int Width, int Height, HWND Parent, UINT ClassStyle, WNDPROC WndProc);
// Destroys the window, its children and the windows it owns. Each gets WM_DESTROY and, last,
// WM_NCDESTROY. Focus, capture, timers and queued messages of the destroyed windows go too.
bool DestroyWindow(HWND Wnd);
bool IsWindow(HWND Wnd);
// Replaces the window procedure; returns the old one.
WNDPROC SetWindowProc(HWND Wnd, WNDPROC Proc);

HWND GetParent(HWND Wnd);             // the parent of a child, the owner of a top-level window
bool IsChild(HWND Parent, HWND Wnd);  // Wnd is a descendant (child, grandchild...) of Parent
HWND GetTopLevelWindow(HWND Wnd);     // the top-level window that holds Wnd (itself if top-level)
// Top-level windows in z-order, front first; the children of a window in z-order, front first.
std::vector<HWND> GetTopLevelWindows();
std::vector<HWND> GetChildWindows(HWND Wnd);
// The deepest visible, enabled window under a screen point (top-level windows included). A
// window that answers WM_NCHITTEST with HTTRANSPARENT lets the point through to its parent, or
// for a top-level window to the windows behind it.
HWND WindowFromPoint(TPoint P);

LONG GetWindowLong(HWND Wnd, int Index);  // GWL_STYLE, GWL_EXSTYLE, GWL_ID
LONG SetWindowLong(HWND Wnd, int Index, LONG Value);
std::intptr_t GetWindowLongPtr(HWND Wnd, int Index);  // also GWLP_USERDATA
std::intptr_t SetWindowLongPtr(HWND Wnd, int Index, std::intptr_t Value);
UINT GetClassLong(HWND Wnd, int Index);  // GCL_STYLE
std::string GetClassName(HWND Wnd);
std::string GetWindowText(HWND Wnd);
bool SetWindowText(HWND Wnd, const std::string& Text);  // through WM_SETTEXT

bool GetWindowRect(HWND Wnd, TRect& R);  // screen coordinates
bool GetClientRect(HWND Wnd, TRect& R);  // (0, 0, client width, client height)
bool ClientToScreen(HWND Wnd, TPoint& P);
bool ScreenToClient(HWND Wnd, TPoint& P);
// HWND_TOPMOST / HWND_NOTOPMOST also set / clear WS_EX_TOPMOST: a top-level window that is
// not topmost always stays behind the topmost ones.
bool SetWindowPos(HWND Wnd, HWND InsertAfter, int X, int Y, int CX, int CY, UINT Flags);
bool MoveWindow(HWND Wnd, int X, int Y, int Width, int Height, bool Repaint);
bool ShowWindow(HWND Wnd, int CmdShow);    // returns whether it was visible before
bool IsWindowVisible(HWND Wnd);            // WS_VISIBLE on the window and every parent
bool EnableWindow(HWND Wnd, bool Enable);  // returns whether it was disabled before
bool IsWindowEnabled(HWND Wnd);

// ---- messages -------------------------------------------------------------------------------

LRESULT SendMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
inline LRESULT SendMessageA(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  return SendMessage(Wnd, Msg, WParam, LParam);
}
bool PostMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
void PostQuitMessage(int ExitCode);
// Looks for a message of Wnd (nullptr: any window) in MsgFilterMin..MsgFilterMax (0, 0: any),
// in the order posted messages, input, WM_QUIT, WM_PAINT, WM_TIMER. WM_QUIT comes back whatever
// the filter. With PM_REMOVE a mouse message first passes the WH_MOUSE hooks and, when it
// presses a button on an inactive top-level window, WM_MOUSEACTIVATE.
bool PeekMessage(MSG& Msg, HWND Wnd, UINT MsgFilterMin, UINT MsgFilterMax, UINT RemoveMsg);
inline bool PeekMessageA(MSG& Msg, HWND Wnd, UINT Min, UINT Max, UINT Remove) {
  return PeekMessage(Msg, Wnd, Min, Max, Remove);
}
// Posts WM_CHAR / WM_SYSCHAR for a key down that makes a character; true when it did.
bool TranslateMessage(const MSG& Msg);
LRESULT DispatchMessage(const MSG& Msg);
DWORD GetMessageTime();  // the time of the last message taken from the queue
TPoint GetMessagePos();

// The default handling of every message (hit testing, the scroll bar, system keys, text...).
LRESULT DefWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

// Runs the message loop until the queue is empty, then the idle handler. The application
// installs its own loop (SetMessagePump); the default one translates and dispatches.
void PumpMessages();
void SetMessagePump(std::function<void()> Pump);
void SetIdleHandler(std::function<void()> Idle);
// Where the default loop sends exceptions that escape a window procedure or a hook
// (without a handler they propagate to the caller of PumpMessages).
void SetDispatchExceptionHandler(std::function<void(std::exception_ptr)> Handler);
// True once the default loop has met WM_QUIT (cleared by ResetWindowSystem).
bool QuitReceived();

// ---- clock and timers -----------------------------------------------------------------------

DWORD GetTickCount();
// Moves the virtual clock forward without processing anything.
void AdvanceClock(DWORD Milliseconds);
// Starts (or restarts, for an existing id) a timer on the window; intervals under 10 ms count
// as 10 ms. WM_TIMER comes while messages are processed, in order of due time.
std::uintptr_t SetTimer(HWND Wnd, std::uintptr_t IDEvent, UINT Elapse, void* TimerFunc = nullptr);
bool KillTimer(HWND Wnd, std::uintptr_t IDEvent);
bool IsTimerRunning(HWND Wnd, std::uintptr_t IDEvent);
int TimerCount();
// The due time of the earliest timer (or of the next repeat of a held scroll-bar arrow), or
// false when none runs.
bool NextTimerDue(DWORD& Due);
UINT GetDoubleClickTime();

// ---- focus, activation, capture, hooks, key state -------------------------------------------

HWND SetFocus(HWND Wnd);  // returns the window that had the focus
HWND GetFocus();
HWND SetActiveWindow(HWND Wnd);
HWND GetActiveWindow();
HWND SetCapture(HWND Wnd);
bool ReleaseCapture();
HWND GetCapture();

HHOOK SetWindowsHookExA(int IdHook, HOOKPROC Proc, void* Module, DWORD ThreadId);
inline HHOOK SetWindowsHookEx(int IdHook, HOOKPROC Proc, void* Module, DWORD ThreadId) {
  return SetWindowsHookExA(IdHook, std::move(Proc), Module, ThreadId);
}
LRESULT CallNextHookEx(HHOOK Hook, int Code, WPARAM WParam, LPARAM LParam);
bool UnhookWindowsHookEx(HHOOK Hook);
int HookCount();
DWORD GetCurrentThreadId();

bool GetCursorPos(TPoint& P);
bool SetCursorPos(int X, int Y);  // moves the pointer without sending anything
SHORT GetKeyState(int VirtKey);   // negative while the key is down
SHORT GetAsyncKeyState(int VirtKey);

// ---- scroll bars (the vertical bar of a window; SB_HORZ is accepted and ignored) ------------

bool GetScrollInfo(HWND Wnd, int Bar, SCROLLINFO& Info);
// Sets what fMask names; the position is kept inside the range. The bar shows while its range
// is not empty (nMax > nMin and the page does not cover it) or SIF_DISABLENOSCROLL is given;
// showing or hiding it changes the client area (WM_SIZE). Returns the position.
int SetScrollInfo(HWND Wnd, int Bar, const SCROLLINFO& Info, bool Redraw);
int SetScrollPos(HWND Wnd, int Bar, int Pos, bool Redraw);  // returns the old position
int GetScrollPos(HWND Wnd, int Bar);
bool SetScrollRange(HWND Wnd, int Bar, int MinPos, int MaxPos, bool Redraw);
bool GetScrollRange(HWND Wnd, int Bar, int& MinPos, int& MaxPos);
bool ShowScrollBar(HWND Wnd, int Bar, bool Show);

// The parts of a window's vertical scroll bar in window coordinates (0, 0 = the window's
// top-left corner), for drawing. False when the bar does not show.
struct TScrollBarLayout {
  TRect Bar;
  TRect UpArrow;
  TRect DownArrow;
  TRect Thumb;            // empty when the track is too short for a thumb
  bool Tracking = false;  // the thumb is being dragged
  int PressedPart = 0;    // while the bar is pressed: HTVSCROLL part code below, else 0
};
enum { sbpNone = 0, sbpUpArrow = 1, sbpDownArrow = 2, sbpPageUp = 3, sbpPageDown = 4, sbpThumb = 5 };
bool GetScrollBarLayout(HWND Wnd, TScrollBarLayout& Layout);

// ---- painting -------------------------------------------------------------------------------

bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase);  // R in client coordinates
bool ValidateRect(HWND Wnd, const TRect* R);
bool GetUpdateRect(HWND Wnd, TRect* R, bool Erase);  // true when something is invalid
bool UpdateWindow(HWND Wnd);                         // sends WM_PAINT at once when something is invalid
HDC BeginPaint(HWND Wnd, PAINTSTRUCT& PS);           // sends WM_ERASEBKGND when asked, validates
bool EndPaint(HWND Wnd, const PAINTSTRUCT& PS);
HDC GetDC(HWND Wnd);  // nullptr: the screen's context (for measuring)
int ReleaseDC(HWND Wnd, HDC DC);
// The drawing layer supplies device contexts for windows (Acquire gets nullptr for the
// screen's context); until it does, they are nullptr. Clip, when given, narrows a context to a
// rectangle of the client area (BeginPaint narrows it to what is invalid).
void SetDeviceContextProvider(std::function<HDC(HWND)> Acquire, std::function<void(HWND, HDC)> Release,
                              std::function<void(HDC, const TRect&)> Clip = nullptr);
int PaintCount(HWND Wnd);  // WM_PAINT messages the window has received

// ---- metrics --------------------------------------------------------------------------------

int GetSystemMetrics(int Index);
// Grows a client rectangle to the window rectangle for the styles (borders, client edge,
// caption); the scroll bar is not included, as on the real system.
bool AdjustWindowRectEx(TRect& R, DWORD Style, bool Menu, DWORD ExStyle);
void SetScreenSize(int Width, int Height);

// ---- input (fed by the simulator, or by a display: display.h) -------------------------------

// A key goes down or up: updates the key state and queues WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/
// WM_SYSKEYUP with Alt, for Alt itself and for F10) for the focus window (or the active one).
void InputKey(Word VirtKey, bool Down);
// A character with no key of its own (WM_CHAR only).
void InputChar(char Ch);
// The pointer moves to, or a button goes down or up at, a screen point.
void InputMouseMove(TPoint P);
void InputMouseButton(TMouseButton Button, bool Down, TPoint P);
void InputMouseWheel(int Delta, TPoint P);
// A key goes down and the keyboard in use says which character it types: the WM_CHAR (or
// WM_SYSCHAR) that TranslateMessage makes of this key down carries Char, whatever the US
// layout that InputKey's keys follow would have made.
void InputTypedKey(Word VirtKey, char Char);
// Brings Shift, Ctrl and Alt to the state given, each with a key down or up as needed.
void InputShiftState(TShiftState Shift);
// A person pressed the window's close button: WM_SYSCOMMAND SC_CLOSE is posted to it.
void InputClose(HWND Wnd);
// A person made a top-level window the active one (through a window manager); pop-ups and
// disabled windows are not activated.
void InputActivate(HWND Wnd);

// ---- testing --------------------------------------------------------------------------------

// Destroys every window and clears the queue, timers, hooks, focus, capture, the active
// window, the key state, the beeps and the clock. The pump, idle and exception handlers stay.
void ResetWindowSystem();
bool MessageBeep(UINT Type);
const std::vector<UINT>& Beeps();
int WindowCount();

}  // namespace vcl
