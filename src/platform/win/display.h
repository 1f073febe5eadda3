// The display seam: where a backend that shows the top-level windows on a real screen (X11)
// meets the window system. Headless, with no display, is the default: then nothing here is
// called and nothing changes.
//
// The window system tells the display when top-level windows appear, move, change size, show,
// hide, change their z-order or go, when what a window shows changed, and when the mouse is
// captured or released. The display feeds a person's input in through the same Input...
// functions as the input simulator (window_system.h), so a real key press is exactly a
// simulated one.
#pragma once

#include "platform/win/window_system.h"

namespace vcl {

class TDisplay {
 public:
  virtual ~TDisplay() = default;

  // ---- told by the window system ----
  // These come in the middle of the window system's work: a display only notes them here and
  // acts in Flush. It never calls a window procedure from them.

  // A top-level window was made / is going (it is still a window during the call).
  virtual void WindowCreated(HWND Wnd) { (void)Wnd; }
  virtual void WindowDestroyed(HWND Wnd) { (void)Wnd; }
  // A top-level window moved, changed size or style, or was shown or hidden.
  virtual void WindowPlaced(HWND Wnd) { (void)Wnd; }
  // The z-order of the top-level windows changed.
  virtual void ZOrderChanged() {}
  // Something that shows in the top-level window Top changed: painting, the frame, the
  // caption, a scroll bar, a child shown or moved.
  virtual void PictureChanged(HWND Top) { (void)Top; }
  // The mouse was captured by Wnd, or released (nullptr).
  virtual void CaptureChanged(HWND Wnd) { (void)Wnd; }

  // ---- driving (the application's loop calls these) ----

  // Brings the screen up to date with the windows: makes, places, stacks and removes its own
  // windows and puts the pictures that changed.
  virtual void Flush() = 0;
  // Waits at most TimeoutMs (a negative value: without limit) for a person's input; true
  // when some is waiting.
  virtual bool WaitForInput(int TimeoutMs) = 0;
  // Feeds the waiting input into the window system.
  virtual void ProcessInput() = 0;
};

// The display in use; nullptr (the default) is headless. The window system does not own it; a
// display takes itself away when it goes.
void SetDisplay(TDisplay* Display);
TDisplay* CurrentDisplay();

// A pop-up: a top-level window shown over the window it serves that never takes the keyboard
// focus from it: a tool window without a caption (a hint) or a captionless WS_POPUP window
// with an owner (a drop-down list). A display shows it without a frame of its own and never
// gives it the focus.
bool IsPopupWindow(HWND Wnd);

}  // namespace vcl
