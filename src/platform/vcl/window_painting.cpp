#include "platform/vcl/window_painting.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/gfx/frame_painter.h"
#include "platform/win/window_system.h"

namespace vcl {

namespace {

// The client surfaces by window. Entries of destroyed windows go the next time one is made.
std::map<HWND, std::unique_ptr<TSurface>>& Surfaces() {
  static std::map<HWND, std::unique_ptr<TSurface>> surfaces;
  return surfaces;
}

void DropDestroyedWindows() {
  std::erase_if(Surfaces(), [](const auto& Entry) { return !IsWindow(Entry.first); });
}

TRect Intersection(const TRect& A, const TRect& B) {
  TRect r;
  IntersectRect(r, A, B);
  return r;
}

// The top-left corner of the client area in window coordinates.
TPoint ClientOffset(HWND Wnd) {
  TRect wr;
  GetWindowRect(Wnd, wr);
  TPoint c;
  ClientToScreen(Wnd, c);
  return TPoint{c.X - wr.Left, c.Y - wr.Top};
}

HDC AcquireContext(HWND Wnd) {
  if (!Wnd) return CreateMeasureDC();
  TSurface* s = WindowClientSurface(Wnd);
  if (!s) return nullptr;
  return CreateSurfaceDC(s, TPoint{0, 0}, s->BoundsRect());
}

void ReleaseContext(HWND, HDC DC) {
  DeleteDC(DC);
}

// Copies the part of Source that falls inside Clip when Source's (0, 0) lands on At.
void Blit(TSurface& Target, const TSurface& Source, TPoint At, const TRect& Clip) {
  TRect r = Intersection(Clip, Bounds(At.X, At.Y, Source.Width(), Source.Height()));
  r = Intersection(r, Target.BoundsRect());
  const auto& data = Source.Data();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      Target.SetPixel(
          x, y, static_cast<TColor>(data[static_cast<size_t>((y - At.Y) * Source.Width() + (x - At.X))]));
}

bool ScrollBarEnabled(HWND Wnd) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(Wnd, SB_VERT, si);
  return IsWindowEnabled(Wnd) && si.nMax > si.nMin && static_cast<int>(si.nPage) <= si.nMax - si.nMin;
}

// A close button in the caption's right end, as a classic system menu shows it.
void PaintCloseButton(HDC DC, const TRect& Caption) {
  int size = Caption.Height() - 4;
  if (size < 6 || Caption.Width() < size + 4) return;
  TRect b = Bounds(Caption.Right - size - 4, Caption.Top + 2, size + 2, size);
  DrawFrameControl(DC, b, DFC_BUTTON, DFCS_BUTTONPUSH);
  TColor old = DC->PenColor;
  DC->PenColor = clBtnText;
  int l = b.Left + 4, t = b.Top + 3, n = b.Height() - 6;
  for (int d = 0; d < 2; ++d) {
    MoveToEx(DC, l + d, t, nullptr);
    LineTo(DC, l + d + n, t + n);
    MoveToEx(DC, l + d + n - 1, t, nullptr);
    LineTo(DC, l + d - 1, t + n);
  }
  DC->PenColor = old;
}

}  // namespace

void InstallWindowPainting() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  SetDeviceContextProvider(AcquireContext, ReleaseContext, [](HDC DC, const TRect& R) {
    IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  });
}

TSurface* WindowClientSurface(HWND Wnd) {
  if (!IsWindow(Wnd)) return nullptr;
  TRect c;
  GetClientRect(Wnd, c);
  auto& slot = Surfaces()[Wnd];
  if (!slot) {
    DropDestroyedWindows();
    slot = std::make_unique<TSurface>(c.Width(), c.Height(), clBtnFace);
  } else if (slot->Width() != c.Width() || slot->Height() != c.Height()) {
    slot->Resize(c.Width(), c.Height(), clBtnFace);
  }
  return slot.get();
}

void PaintNonClient(HDC DC, HWND Wnd) {
  TRect wr;
  if (!GetWindowRect(Wnd, wr)) return;
  DWORD style = static_cast<DWORD>(GetWindowLong(Wnd, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLong(Wnd, GWL_EXSTYLE));
  TRect r{0, 0, wr.Width(), wr.Height()};
  // The outer frame: what AdjustWindowRectEx counts for the style, less the client edge.
  TRect frame;
  AdjustWindowRectEx(frame, style, false, exStyle & ~WS_EX_CLIENTEDGE);
  int outer = -frame.Left;
  bool caption = (style & WS_CAPTION) == WS_CAPTION;
  if (outer >= kNcDialogFrameWidth) {
    FillRect(DC, r, clBtnFace);
    PaintDialogFrame(DC, r);
  } else if (outer == kNcBorderWidth) {
    PaintBorder(DC, r);
  }
  InflateRect(r, -outer, -outer);
  if (caption) {
    TRect bar{r.Left, r.Top, r.Right, r.Top + GetSystemMetrics(SM_CYCAPTION)};
    PaintCaption(DC, bar, GetWindowText(Wnd), GetActiveWindow() == Wnd);
    if (style & WS_SYSMENU) PaintCloseButton(DC, bar);
    r.Top = bar.Bottom;
  }
  if (exStyle & WS_EX_CLIENTEDGE) PaintClientEdge(DC, r);
  TScrollBarLayout l;
  if (GetScrollBarLayout(Wnd, l)) {
    TVScrollBarGeometry g{l.Bar, l.UpArrow, l.DownArrow,
                          TRect{l.Bar.Left, l.UpArrow.Bottom, l.Bar.Right, l.DownArrow.Top}, l.Thumb};
    PaintVScrollBar(DC, g, static_cast<TScrollHit>(l.PressedPart), ScrollBarEnabled(Wnd));
  }
}

void ComposeWindow(TSurface& Target, HWND Wnd, TPoint At, const TRect& Clip) {
  TRect wr;
  if (!GetWindowRect(Wnd, wr)) return;
  TRect window = Intersection(Clip, Bounds(At.X, At.Y, wr.Width(), wr.Height()));
  if (window.IsEmpty()) return;
  HDC dc = CreateSurfaceDC(
      &Target, At, TRect{window.Left - At.X, window.Top - At.Y, window.Right - At.X, window.Bottom - At.Y});
  PaintNonClient(dc, Wnd);
  DeleteDC(dc);
  TPoint offset = ClientOffset(Wnd);
  TPoint client{At.X + offset.X, At.Y + offset.Y};
  TRect cr;
  GetClientRect(Wnd, cr);
  TRect clientClip = Intersection(window, Bounds(client.X, client.Y, cr.Width(), cr.Height()));
  if (clientClip.IsEmpty()) return;
  if (TSurface* s = WindowClientSurface(Wnd)) Blit(Target, *s, client, clientClip);
  std::vector<HWND> children = GetChildWindows(Wnd);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(GetWindowLong(*it, GWL_STYLE) & WS_VISIBLE)) continue;
    TRect childRect;
    GetWindowRect(*it, childRect);
    TPoint p{childRect.Left, childRect.Top};
    ScreenToClient(Wnd, p);
    ComposeWindow(Target, *it, TPoint{client.X + p.X, client.Y + p.Y}, clientClip);
  }
}

}  // namespace vcl
