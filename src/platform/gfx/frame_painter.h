// Painting of a window's non-client parts: the single border, the sunken client edge, the
// dialog frame with its caption bar, and the vertical scroll bar with its geometry.
//
// The window layer decides sizes and places (these constants are what its system metrics
// report); the functions here draw each part at a rectangle given in the context's
// coordinates. The scroll bar's geometry is computed in one place, CalcVScrollBarGeometry, so
// the window layer's hit testing and thumb dragging agree with what is drawn.
#pragma once

#include <string>

#include "platform/base/geometry.h"
#include "platform/gfx/gdi.h"

namespace vcl {

constexpr int kNcBorderWidth = 1;         // WS_BORDER
constexpr int kNcClientEdgeWidth = 2;     // WS_EX_CLIENTEDGE
constexpr int kNcDialogFrameWidth = 3;    // a form's raised dialog frame
constexpr int kNcCaptionHeight = 18;      // a form's caption bar
constexpr int kNcScrollBarWidth = 16;     // a vertical scroll bar
constexpr int kNcScrollArrowHeight = 16;  // its arrow buttons (squeezed when the bar is short)
constexpr int kNcMinThumbSize = 8;        // the smallest proportional thumb
constexpr int kNcFixedThumbSize = 16;     // the thumb when the page is 0

// A one-pixel clWindowFrame frame just inside R.
void PaintBorder(HDC DC, const TRect& R);
// The two-pixel sunken edge (EDGE_SUNKEN) just inside R.
void PaintClientEdge(HDC DC, const TRect& R);
// The three-pixel dialog frame just inside R: EDGE_RAISED and a clBtnFace ring.
void PaintDialogFrame(HDC DC, const TRect& R);
// A caption bar filling R: clActiveCaption or clInactiveCaption, the title in the bold
// default font (clCaptionText or clInactiveCaptionText), 2 pixels in, centred vertically and
// clipped to R.
void PaintCaption(HDC DC, const TRect& R, const std::string& Title, bool Active);

// The parts of a scroll bar, numbered as the window layer numbers them.
enum class TScrollHit { None = 0, UpArrow = 1, DownArrow = 2, PageUp = 3, PageDown = 4, Thumb = 5 };

struct TVScrollBarGeometry {
  TRect Bar;
  TRect UpArrow;
  TRect DownArrow;
  TRect Track;  // between the arrows
  TRect Thumb;  // empty when the track is too short for one
  friend bool operator==(const TVScrollBarGeometry&, const TVScrollBarGeometry&) = default;
};

// The geometry of a vertical bar at Bar for a range Min..Max, page Page and position Pos.
// Arrow buttons are kNcScrollArrowHeight high (half the bar each when it is shorter than two).
// Thumb: max(track * Page / (Max - Min + 1), kNcMinThumbSize) pixels (the page clamped to the
// range), kNcFixedThumbSize for a page of 0, none when that is more than the track. Its offset
// in the track is (track - thumb) * (Pos - Min) / (Max - Min + 1 - max(Page, 1)), truncated,
// with Pos clamped to the range, so the last position puts the thumb at the bottom, also for a
// page of 0.
TVScrollBarGeometry CalcVScrollBarGeometry(const TRect& Bar, int Min, int Max, int Page, int Pos);
// The geometry for a bar whose thumb the mouse holds with its top at ThumbTop (clamped to the
// track), for painting while the thumb is dragged.
TVScrollBarGeometry DragVScrollBarGeometry(const TRect& Bar, int Min, int Max, int Page, int ThumbTop);
TScrollHit VScrollBarHitTest(const TVScrollBarGeometry& Geometry, TPoint P);
// The position a thumb dragged to ThumbTop stands for: the first position whose thumb is drawn
// there, or, between two drawn places, the nearer position; clamped to the range.
int VScrollBarPosFromThumb(const TRect& Bar, int Min, int Max, int Page, int ThumbTop);

// Draws the bar: arrow buttons (DFCS_SCROLLUP/DOWN, pushed when Pressed names them, inactive
// when the bar is disabled), the track as the classic checker of clBtnHighlight and clBtnFace
// (the pressed page part inverted), and the raised thumb (none when disabled).
void PaintVScrollBar(HDC DC, const TVScrollBarGeometry& Geometry, TScrollHit Pressed = TScrollHit::None,
                     bool Enabled = true);
void PaintVScrollBar(HDC DC, const TRect& Bar, int Min, int Max, int Page, int Pos,
                     TScrollHit Pressed = TScrollHit::None, bool Enabled = true);

}  // namespace vcl
