#include "platform/win/window_system.h"

#include <algorithm>

#include "platform/win/window_system_internal.h"

// Capture, the thread's mouse hooks, the cursor and the key state.

namespace vcl {

using namespace detail;

HWND SetCapture(HWND Wnd) {
  HWND old = S().Capture;
  if (!IsWindow(Wnd)) return old;
  S().Capture = Wnd;
  if (Display() && old != Wnd) Display()->CaptureChanged(Wnd);
  if (old && old != Wnd) SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(Wnd));
  return old;
}

bool ReleaseCapture() {
  HWND old = S().Capture;
  S().Capture = nullptr;
  if (S().Track.Wnd) {
    NotifyPictureChanged(S().Track.Wnd);
    S().Track = ScrollTrack{};
  }
  if (Display() && old) Display()->CaptureChanged(nullptr);
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

}  // namespace vcl
