#include "platform/gfx/frame_painter.h"

#include <algorithm>
#include <cstdint>

namespace vcl {

namespace {

// The thumb's length and the number of positions it travels over (0: it cannot move).
struct TThumbMetrics {
  int Length;
  int Positions;
};

TThumbMetrics ThumbMetrics(int TrackLength, int Min, int Max, int Page) {
  const std::int64_t range = static_cast<std::int64_t>(Max) - Min + 1;
  int length = kNcFixedThumbSize;
  if (Page > 0 && range > 0)
    length = std::max(static_cast<int>(TrackLength * std::min<std::int64_t>(Page, range) / range),
                      kNcMinThumbSize);
  return {length, static_cast<int>(std::max<std::int64_t>(0, range - std::max(Page, 1)))};
}

// Arrows and track of a bar; the thumb is left empty.
TVScrollBarGeometry BarParts(const TRect& Bar) {
  TVScrollBarGeometry g;
  g.Bar = Bar;
  const int arrow = std::min(kNcScrollArrowHeight, std::max(0, Bar.Height()) / 2);
  g.UpArrow = {Bar.Left, Bar.Top, Bar.Right, Bar.Top + arrow};
  g.DownArrow = {Bar.Left, Bar.Bottom - arrow, Bar.Right, Bar.Bottom};
  g.Track = {Bar.Left, g.UpArrow.Bottom, Bar.Right, g.DownArrow.Top};
  return g;
}

}  // namespace

void PaintBorder(HDC DC, const TRect& R) {
  FrameRect(DC, R, clWindowFrame);
}

void PaintClientEdge(HDC DC, const TRect& R) {
  TRect r = R;
  DrawEdge(DC, r, EDGE_SUNKEN, BF_RECT);
}

void PaintDialogFrame(HDC DC, const TRect& R) {
  TRect r = R;
  DrawEdge(DC, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  FrameRect(DC, r, clBtnFace);
}

void PaintCaption(HDC DC, const TRect& R, const std::string& Title, bool Active) {
  if (!DC) return;
  FillRect(DC, R, Active ? clActiveCaption : clInactiveCaption);
  const HFONT bold = ResolveFont(TFont::DefaultName, TFont::DefaultHeight, fsBold);
  const HGDIOBJ savedFont = SelectObject(DC, bold);
  const TColor savedColor = SetTextColor(DC, Active ? clCaptionText : clInactiveCaptionText);
  const int savedMode = SetBkMode(DC, TRANSPARENT);
  const int y = R.Top + (R.Height() - bold->Metrics().Height) / 2;
  ExtTextOutA(DC, R.Left + 2, y, ETO_CLIPPED, &R, Title.data(), static_cast<int>(Title.size()));
  SetBkMode(DC, savedMode);
  SetTextColor(DC, savedColor);
  SelectObject(DC, savedFont);
}

TVScrollBarGeometry CalcVScrollBarGeometry(const TRect& Bar, int Min, int Max, int Page, int Pos) {
  TVScrollBarGeometry g = BarParts(Bar);
  const int track = g.Track.Height();
  const TThumbMetrics thumb = ThumbMetrics(track, Min, Max, Page);
  if (Max < Min || thumb.Length > track) return g;
  const int steps = std::clamp(Pos - Min, 0, thumb.Positions);
  const int offset =
      thumb.Positions == 0
          ? 0
          : static_cast<int>(static_cast<std::int64_t>(track - thumb.Length) * steps / thumb.Positions);
  g.Thumb = {Bar.Left, g.Track.Top + offset, Bar.Right, g.Track.Top + offset + thumb.Length};
  return g;
}

TVScrollBarGeometry DragVScrollBarGeometry(const TRect& Bar, int Min, int Max, int Page, int ThumbTop) {
  TVScrollBarGeometry g = CalcVScrollBarGeometry(Bar, Min, Max, Page, Min);
  if (g.Thumb.IsEmpty()) return g;
  const int length = g.Thumb.Height();
  const int top = std::clamp(ThumbTop, g.Track.Top, g.Track.Bottom - length);
  g.Thumb.Top = top;
  g.Thumb.Bottom = top + length;
  return g;
}

TScrollHit VScrollBarHitTest(const TVScrollBarGeometry& Geometry, TPoint P) {
  if (!Geometry.Bar.Contains(P)) return TScrollHit::None;
  if (Geometry.UpArrow.Contains(P)) return TScrollHit::UpArrow;
  if (Geometry.DownArrow.Contains(P)) return TScrollHit::DownArrow;
  if (Geometry.Thumb.Contains(P)) return TScrollHit::Thumb;
  if (!Geometry.Track.Contains(P) || Geometry.Thumb.IsEmpty()) return TScrollHit::None;
  return P.Y < Geometry.Thumb.Top ? TScrollHit::PageUp : TScrollHit::PageDown;
}

int VScrollBarPosFromThumb(const TRect& Bar, int Min, int Max, int Page, int ThumbTop) {
  const TVScrollBarGeometry g = CalcVScrollBarGeometry(Bar, Min, Max, Page, Min);
  if (g.Thumb.IsEmpty()) return Min;
  const TThumbMetrics thumb = ThumbMetrics(g.Track.Height(), Min, Max, Page);
  const int travel = g.Track.Height() - thumb.Length;
  if (travel <= 0 || thumb.Positions == 0) return Min;
  const std::int64_t offset = std::clamp(ThumbTop - g.Track.Top, 0, travel);
  // The first position drawn at this offset; between two drawn offsets, the nearer one.
  const auto first = static_cast<int>((offset * thumb.Positions + travel - 1) / travel);
  if (static_cast<std::int64_t>(travel) * first / thumb.Positions == offset) return Min + first;
  return Min + static_cast<int>((offset * thumb.Positions + travel / 2) / travel);
}

void PaintVScrollBar(HDC DC, const TVScrollBarGeometry& Geometry, TScrollHit Pressed, bool Enabled) {
  if (!DC) return;
  const UINT inactive = Enabled ? 0 : DFCS_INACTIVE;
  TRect up = Geometry.UpArrow, down = Geometry.DownArrow;
  DrawFrameControl(DC, up, DFC_SCROLL,
                   DFCS_SCROLLUP | inactive | (Pressed == TScrollHit::UpArrow ? DFCS_PUSHED : 0));
  DrawFrameControl(DC, down, DFC_SCROLL,
                   DFCS_SCROLLDOWN | inactive | (Pressed == TScrollHit::DownArrow ? DFCS_PUSHED : 0));

  // The track: a checker fixed to the surface, so neighbouring bars line up.
  const TRect visible = DC->VisibleRect();
  TRect track;
  IntersectRect(track, Geometry.Track, visible);
  const bool hasThumb = Enabled && !Geometry.Thumb.IsEmpty();
  const TColor light = ColorToRGB(clBtnHighlight), face = ColorToRGB(clBtnFace);
  for (int y = track.Top; y < track.Bottom; ++y) {
    const bool pressedRow =
        Enabled && ((Pressed == TScrollHit::PageUp && hasThumb && y < Geometry.Thumb.Top) ||
                    (Pressed == TScrollHit::PageDown && hasThumb && y >= Geometry.Thumb.Bottom));
    for (int x = track.Left; x < track.Right; ++x) {
      TColor c = ((x + DC->Origin.X + y + DC->Origin.Y) & 1) ? face : light;
      if (pressedRow) c ^= 0xFFFFFF;
      SetPixel(DC, x, y, c);
    }
  }
  if (hasThumb) {
    TRect thumb = Geometry.Thumb;
    DrawEdge(DC, thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
}

void PaintVScrollBar(HDC DC, const TRect& Bar, int Min, int Max, int Page, int Pos, TScrollHit Pressed,
                     bool Enabled) {
  PaintVScrollBar(DC, CalcVScrollBarGeometry(Bar, Min, Max, Page, Pos), Pressed, Enabled);
}

}  // namespace vcl
