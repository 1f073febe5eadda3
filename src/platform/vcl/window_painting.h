// Connects windows to pixels. Every window keeps a surface of its client area's size; a
// window's device context (what BeginPaint and GetDC give) draws into that surface, so a
// parent's painting can never draw over a child, whatever order they paint in. The pictures of
// windows and of the screen are composed from these surfaces: each window's frame, caption and
// scroll bar drawn from its current state, its client surface, then its visible children back
// to front, each clipped to its parent's client area.
//
// The window layer gets its contexts from here once InstallWindowPainting has run (every
// windowed control runs it; it may be called any number of times). GetDC(0) is a context that
// only measures.
#pragma once

#include "platform/base/geometry.h"
#include "platform/gfx/gdi.h"
#include "platform/gfx/surface.h"
#include "platform/win/messages.h"

namespace vcl {

// Registers the device-context provider with the window layer.
void InstallWindowPainting();

// The surface of a window's client area (made, or resized and cleared to clBtnFace, to the
// client's current size); nullptr for a handle that is not a window.
TSurface* WindowClientSurface(HWND Wnd);

// Draws the non-client parts of Wnd (border, client edge, dialog frame and caption, vertical
// scroll bar) with DC's (0, 0) at the window's top-left corner.
void PaintNonClient(HDC DC, HWND Wnd);

// Draws Wnd with its frame and visible children into Target with the window's top-left at At,
// nothing outside Clip (Target coordinates).
void ComposeWindow(TSurface& Target, HWND Wnd, TPoint At, const TRect& Clip);

}  // namespace vcl
