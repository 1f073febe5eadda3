#include "platform/win/window_system.h"

#include <algorithm>

#include "platform/win/window_system_internal.h"

// Geometry: frames and client areas, window and client rectangles, coordinates, and the
// system metrics.

namespace vcl {

namespace detail {

Insets FrameInsets(const Window& W) {
  TRect r;
  AdjustWindowRectEx(r, W.Style, false, W.ExStyle);
  return Insets{-r.Left, -r.Top, r.Right, r.Bottom};
}

bool BarShows(const Window& W) {
  return (W.Style & WS_VSCROLL) != 0;
}

Insets ClientInsets(const Window& W) {
  Insets i = FrameInsets(W);
  if (BarShows(W)) i.Right += kScrollWidth;
  return i;
}

TPoint ClientOrigin(const Window& W);

// The window's top-left corner on the screen.
TPoint ScreenOrigin(const Window& W) {
  if (!W.Child) return TPoint{W.Rect.Left, W.Rect.Top};
  TPoint p = ClientOrigin(*Find(W.Parent));
  return TPoint{p.X + W.Rect.Left, p.Y + W.Rect.Top};
}

TPoint ClientOrigin(const Window& W) {
  TPoint p = ScreenOrigin(W);
  Insets i = ClientInsets(W);
  return TPoint{p.X + i.Left, p.Y + i.Top};
}

TRect ScreenRect(const Window& W) {
  TPoint p = ScreenOrigin(W);
  return Bounds(p.X, p.Y, W.Rect.Width(), W.Rect.Height());
}

TSize ClientSize(const Window& W) {
  Insets i = ClientInsets(W);
  return TSize{std::max(0, W.Rect.Width() - i.Left - i.Right),
               std::max(0, W.Rect.Height() - i.Top - i.Bottom)};
}

TRect ScreenClientRect(const Window& W) {
  TPoint o = ClientOrigin(W);
  TSize s = ClientSize(W);
  return Bounds(o.X, o.Y, s.cx, s.cy);
}

bool Visible(const Window& W) {
  for (const Window* w = &W; w; w = w->Child ? Find(w->Parent) : nullptr)
    if (!(w->Style & WS_VISIBLE)) return false;
  return true;
}

bool Within(HWND Ancestor, HWND Wnd) {
  return Wnd && (Wnd == Ancestor || IsChild(Ancestor, Wnd));
}

}  // namespace detail

using namespace detail;

bool GetWindowRect(HWND Wnd, TRect& R) {
  Window* w = Find(Wnd);
  if (!w) return false;
  R = ScreenRect(*w);
  return true;
}

bool GetClientRect(HWND Wnd, TRect& R) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TSize s = ClientSize(*w);
  R = TRect{0, 0, s.cx, s.cy};
  return true;
}

bool ClientToScreen(HWND Wnd, TPoint& P) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TPoint o = ClientOrigin(*w);
  P = TPoint{P.X + o.X, P.Y + o.Y};
  return true;
}

bool ScreenToClient(HWND Wnd, TPoint& P) {
  Window* w = Find(Wnd);
  if (!w) return false;
  TPoint o = ClientOrigin(*w);
  P = TPoint{P.X - o.X, P.Y - o.Y};
  return true;
}

int GetSystemMetrics(int Index) {
  switch (Index) {
    case SM_CXSCREEN: return S().ScreenWidth;
    case SM_CYSCREEN: return S().ScreenHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return kScrollWidth;
    case SM_CYCAPTION: return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    default: return 0;
  }
}

bool AdjustWindowRectEx(TRect& R, DWORD Style, bool Menu, DWORD ExStyle) {
  (void)Menu;
  int f = 0;
  if (Style & WS_THICKFRAME)
    f = 4;
  else if ((Style & WS_DLGFRAME) || (ExStyle & WS_EX_DLGMODALFRAME))
    f = 3;
  else if (Style & WS_BORDER)
    f = 1;
  if (ExStyle & WS_EX_CLIENTEDGE) f += 2;
  InflateRect(R, f, f);
  if ((Style & WS_CAPTION) == WS_CAPTION) R.Top -= kCaptionHeight;
  return true;
}

void SetScreenSize(int Width, int Height) {
  S().ScreenWidth = Width;
  S().ScreenHeight = Height;
}

}  // namespace vcl
