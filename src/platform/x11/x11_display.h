// The X11 display: the top-level windows shown on an X server (one X window each, pop-ups as
// override-redirect windows that never take the keyboard focus) and a person's keyboard and
// mouse fed in from it. Built when Xlib is found (the CMake option KT_WITH_X11) and chosen at
// run time by opening it; without it, programs stay headless. Nothing of Xlib shows here.
#pragma once

#include <memory>
#include <string>

#include "platform/win/display.h"

namespace vcl {

// Whether this build has the X11 display.
bool X11DisplayAvailable();

// Opens the X display Name (empty: the one $DISPLAY names) and makes it the current display
// (SetDisplay): the top-level windows that exist and those made later show on it, and the
// application's Run takes a person's input from it. Destroying it takes it away again. Returns
// nullptr, with the reason in Error, when the build has no X11 or the display cannot be used.
std::unique_ptr<TDisplay> OpenX11Display(const std::string& Name, std::string& Error);

// The X window that shows the top-level window Wnd on the current X11 display (0 when there is
// none yet, or no X11 display is current).
unsigned long X11WindowOf(HWND Wnd);

}  // namespace vcl
