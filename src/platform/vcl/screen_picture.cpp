#include "platform/vcl/screen_picture.h"

#include "platform/gfx/png.h"
#include "platform/vcl/win_control.h"
#include "platform/vcl/window_painting.h"
#include "platform/win/window_system.h"

namespace vcl {

void ProcessPaintMessages() {
  InstallWindowPainting();
  // A window that invalidates itself while it paints would come back for ever: stop after a
  // generous number of rounds.
  MSG m;
  for (int i = 0; i < 10000 && PeekMessage(m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));  // not ours to take
      break;
    }
    DispatchMessage(m);
  }
}

TSurface CaptureWindow(HWND Wnd) {
  ProcessPaintMessages();
  TRect r;
  if (!GetWindowRect(Wnd, r)) return TSurface{};
  TSurface s(r.Width(), r.Height(), clBackground);
  ComposeWindow(s, Wnd, TPoint{0, 0}, s.BoundsRect());
  return s;
}

TSurface CaptureWindow(TWinControl* Control) {
  return CaptureWindow(Control->Handle());
}

TSurface CaptureScreen() {
  ProcessPaintMessages();
  TSurface s(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), clBackground);
  std::vector<HWND> windows = GetTopLevelWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (!IsWindowVisible(*it)) continue;
    TRect r;
    GetWindowRect(*it, r);
    ComposeWindow(s, *it, TPoint{r.Left, r.Top}, s.BoundsRect());
  }
  return s;
}

void SaveWindowPng(HWND Wnd, const std::string& Path) {
  SaveSurfacePng(CaptureWindow(Wnd), Path);
}

void SaveWindowPng(TWinControl* Control, const std::string& Path) {
  SaveSurfacePng(CaptureWindow(Control), Path);
}

void SaveScreenPng(const std::string& Path) {
  SaveSurfacePng(CaptureScreen(), Path);
}

}  // namespace vcl
