#include "platform/win/window_system.h"

#include "platform/win/window_system_internal.h"

// Focus and activation.

namespace vcl {

namespace detail {

void ActivateWindow(HWND Top, WPARAM How) {
  if (Top == S().Active || !IsWindow(Top)) return;
  HWND old = S().Active;
  S().Active = Top;
  if (old) SendMessage(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(Top));
  if (S().Active != Top || !IsWindow(Top)) return;
  PlaceOnTop(*Find(Top));
  if (old) NotifyPictureChanged(old);  // the captions show which window is active
  NotifyPictureChanged(Top);
  SendMessage(Top, WM_ACTIVATE, How, reinterpret_cast<LPARAM>(old));
  if (S().Active == Top && IsWindow(Top) && !Within(Top, S().Focus)) SetFocus(Top);
}

}  // namespace detail

using namespace detail;

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

}  // namespace vcl
