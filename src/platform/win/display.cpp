#include "platform/win/display.h"

#include "platform/win/window_system_internal.h"

// The display seam: the current display, what the window system tells it, and pop-ups.

namespace vcl {

namespace detail {

void NotifyPictureChanged(HWND Wnd) {
  if (!Display()) return;
  if (HWND top = GetTopLevelWindow(Wnd)) Display()->PictureChanged(top);
}

void NotifyWindowPlaced(HWND Wnd) {
  Window* w = Find(Wnd);
  if (Display() && w && !w->Child) Display()->WindowPlaced(Wnd);
}

void NotifyZOrderChanged(const Window& W) {
  if (Display() && !W.Child) Display()->ZOrderChanged();
}

}  // namespace detail

using namespace detail;

void SetDisplay(TDisplay* Display) {
  S().Display = Display;
}

TDisplay* CurrentDisplay() {
  return S().Display;
}

bool IsPopupWindow(HWND Wnd) {
  Window* w = Find(Wnd);
  if (!w || w->Child || (w->Style & WS_CAPTION) == WS_CAPTION) return false;
  return (w->ExStyle & WS_EX_TOOLWINDOW) || ((w->Style & WS_POPUP) && w->Parent);
}

}  // namespace vcl
