// The X11 display of a build without X11: it is never there.
#include "platform/x11/x11_display.h"

namespace vcl {

bool X11DisplayAvailable() {
  return false;
}

std::unique_ptr<TDisplay> OpenX11Display(const std::string& Name, std::string& Error) {
  (void)Name;
  Error = "this build has no X11 display (it was configured without Xlib)";
  return nullptr;
}

unsigned long X11WindowOf(HWND Wnd) {
  (void)Wnd;
  return 0;
}

}  // namespace vcl
