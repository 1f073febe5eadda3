// Pictures of windows and of the screen, as surfaces (for reading pixels) and as PNG files.
// Pending painting is done first, so a picture shows what the windows would show now.
#pragma once

#include <string>

#include "platform/gfx/surface.h"
#include "platform/win/messages.h"

namespace vcl {

class TWinControl;

// Dispatches the pending WM_PAINT messages (and nothing else), parents before children.
void ProcessPaintMessages();

// A window with its frame and its visible children, the size of its window rectangle (an
// empty surface for a handle that is not a window). A control's window is made if needed.
TSurface CaptureWindow(HWND Wnd);
TSurface CaptureWindow(TWinControl* Control);
// The screen: the visible top-level windows, back to front, over the desktop colour
// clBackground.
TSurface CaptureScreen();

// The same pictures written to PNG files; raise Exception when the file cannot be written.
void SaveWindowPng(HWND Wnd, const std::string& Path);
void SaveWindowPng(TWinControl* Control, const std::string& Path);
void SaveScreenPng(const std::string& Path);

}  // namespace vcl
