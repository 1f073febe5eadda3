#include "platform/win/window_system.h"

#include <algorithm>

#include "platform/win/window_system_internal.h"

// Painting: invalid regions, WM_PAINT and the device contexts of the drawing layer.

namespace vcl {

using namespace detail;

bool InvalidateRect(HWND Wnd, const TRect* R, bool Erase) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TSize s = ClientSize(*w);
  TRect client{0, 0, s.cx, s.cy};
  TRect r = client;
  if (R) IntersectRect(r, *R, client);
  // The frame is repainted with the client area, so an empty client still counts.
  if (r.IsEmpty()) r = TRect{0, 0, std::max(1, s.cx), std::max(1, s.cy)};
  UnionRect(w->Invalid, w->Invalid, r);
  if (Erase) w->Erase = true;
  NotifyPictureChanged(Wnd);
  return true;
}

bool ValidateRect(HWND Wnd, const TRect* R) {
  Window* w = Find(Wnd);
  if (!w) return false;
  if (!R) {
    w->Invalid = TRect{};
    w->Erase = false;
    w->Validated = true;
  } else {
    TRect r;
    // A union rectangle: validating a part that covers it clears it.
    if (IntersectRect(r, *R, w->Invalid) && r == w->Invalid) {
      w->Invalid = TRect{};
      w->Erase = false;
      w->Validated = true;
    }
  }
  return true;
}

bool GetUpdateRect(HWND Wnd, TRect* R, bool Erase) {
  (void)Erase;
  Window* w = Find(Wnd);
  if (!w) return false;
  if (R) *R = w->Invalid;
  return !w->Invalid.IsEmpty();
}

bool UpdateWindow(HWND Wnd) {
  Window* w = Find(Wnd);
  if (!w) return false;
  if (!w->Invalid.IsEmpty() && Visible(*w)) DispatchMessage(MSG{Wnd, WM_PAINT, 0, 0, S().Now, S().Cursor});
  return true;
}

HDC BeginPaint(HWND Wnd, PAINTSTRUCT& PS) {
  Window* w = Find(Wnd);
  PS = PAINTSTRUCT{};
  if (!w) return nullptr;
  PS.rcPaint = w->Invalid;
  bool erase = w->Erase;
  w->Invalid = TRect{};
  w->Erase = false;
  w->Validated = true;
  PS.hdc = GetDC(Wnd);
  // A paint draws only what is invalid; the rest of the window keeps its pixels.
  if (PS.hdc && S().ClipDC) S().ClipDC(PS.hdc, PS.rcPaint);
  if (erase) PS.fErase = SendMessage(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(PS.hdc), 0) == 0;
  return PS.hdc;
}

bool EndPaint(HWND Wnd, const PAINTSTRUCT& PS) {
  ReleaseDC(Wnd, PS.hdc);
  return true;
}

HDC GetDC(HWND Wnd) {
  // GetDC(0) is the screen's context, which the drawing layer gives out for measuring.
  return S().AcquireDC && (!Wnd || IsWindow(Wnd)) ? S().AcquireDC(Wnd) : nullptr;
}

int ReleaseDC(HWND Wnd, HDC DC) {
  if (DC && S().ReleaseDCHook) S().ReleaseDCHook(Wnd, DC);
  if (DC && Wnd) NotifyPictureChanged(Wnd);  // it may have been drawn on
  return 1;
}

void SetDeviceContextProvider(std::function<HDC(HWND)> Acquire, std::function<void(HWND, HDC)> Release,
                              std::function<void(HDC, const TRect&)> Clip) {
  S().AcquireDC = std::move(Acquire);
  S().ReleaseDCHook = std::move(Release);
  S().ClipDC = std::move(Clip);
}

int PaintCount(HWND Wnd) {
  Window* w = Find(Wnd);
  return w ? w->PaintCount : 0;
}

}  // namespace vcl
