#include "platform/gfx/frame_painter.h"

#include <gtest/gtest.h>

#include "gfx_test_util.h"

using namespace vcl;
using gfxtest::CountPixels;

namespace {

struct DCOn {
  TSurface Surface;
  HDC DC;
  explicit DCOn(int W, int H, TColor Fill = clWhite) : Surface(W, H, Fill) {
    DC = CreateSurfaceDC(&Surface, {0, 0}, Surface.BoundsRect());
  }
  ~DCOn() { DeleteDC(DC); }
};

const TRect kBar = Rect(0, 0, 16, 132);  // a 100-pixel track

}  // namespace

TEST(ScrollBarGeometry, ArrowsTrackAndProportionalThumb) {
  const TVScrollBarGeometry l = CalcVScrollBarGeometry(kBar, 0, 99, 25, 0);
  EXPECT_EQ(l.UpArrow, Rect(0, 0, 16, 16));
  EXPECT_EQ(l.DownArrow, Rect(0, 116, 16, 132));
  EXPECT_EQ(l.Track, Rect(0, 16, 16, 116));
  EXPECT_EQ(l.Thumb, Rect(0, 16, 16, 41));  // 100 * 25 / 100
  // The last position (Max - Page + 1) puts the thumb at the bottom; the middle in the middle.
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 99, 25, 75).Thumb, Rect(0, 91, 16, 116));
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 99, 25, 200).Thumb, Rect(0, 91, 16, 116));  // clamped
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 99, 25, -5).Thumb, Rect(0, 16, 16, 41));
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 99, 25, 25).Thumb.Top, 16 + 25);    // 75 * 25 / 75
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 10, 109, 25, 35).Thumb.Top, 16 + 25);  // Min shifts
}

TEST(ScrollBarGeometry, SmallPagesZeroPagesAndShortBars) {
  // A tiny page gets the minimum thumb.
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 999, 1, 0).Thumb.Height(), kNcMinThumbSize);
  // Page 0: a fixed thumb whose last position is Max.
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 10, 0, 0).Thumb, Rect(0, 16, 16, 32));
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 10, 0, 10).Thumb, Rect(0, 100, 16, 116));
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 10, 0, 5).Thumb.Top, 16 + 42);
  // A page as large as the range fills the track.
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 9, 10, 3).Thumb, Rect(0, 16, 16, 116));
  // A bar shorter than two arrows shares its height between them and has no thumb.
  const TVScrollBarGeometry s = CalcVScrollBarGeometry(Rect(0, 0, 16, 20), 0, 99, 10, 50);
  EXPECT_EQ(s.UpArrow, Rect(0, 0, 16, 10));
  EXPECT_EQ(s.DownArrow, Rect(0, 10, 16, 20));
  EXPECT_TRUE(s.Thumb.IsEmpty());
  // A track shorter than the thumb has none either.
  EXPECT_TRUE(CalcVScrollBarGeometry(Rect(0, 0, 16, 38), 0, 10, 0, 0).Thumb.IsEmpty());
  EXPECT_TRUE(CalcVScrollBarGeometry(kBar, 5, 4, 1, 0).Thumb.IsEmpty());  // empty range
}

TEST(ScrollBarGeometry, HitTestingMatchesTheLayout) {
  const TVScrollBarGeometry l = CalcVScrollBarGeometry(Rect(100, 50, 116, 182), 0, 99, 25, 40);
  EXPECT_EQ(VScrollBarHitTest(l, {105, 50}), TScrollHit::UpArrow);
  EXPECT_EQ(VScrollBarHitTest(l, {115, 65}), TScrollHit::UpArrow);
  EXPECT_EQ(VScrollBarHitTest(l, {105, 181}), TScrollHit::DownArrow);
  EXPECT_EQ(VScrollBarHitTest(l, {105, l.Thumb.Top}), TScrollHit::Thumb);
  EXPECT_EQ(VScrollBarHitTest(l, {105, l.Thumb.Bottom - 1}), TScrollHit::Thumb);
  EXPECT_EQ(VScrollBarHitTest(l, {105, l.Thumb.Top - 1}), TScrollHit::PageUp);
  EXPECT_EQ(VScrollBarHitTest(l, {105, l.Thumb.Bottom}), TScrollHit::PageDown);
  EXPECT_EQ(VScrollBarHitTest(l, {99, 100}), TScrollHit::None);
  EXPECT_EQ(VScrollBarHitTest(l, {116, 100}), TScrollHit::None);
  // Without a thumb the track answers nothing.
  const TVScrollBarGeometry bare = CalcVScrollBarGeometry(Rect(0, 0, 16, 38), 0, 10, 0, 0);
  EXPECT_EQ(VScrollBarHitTest(bare, {5, 19}), TScrollHit::None);
  EXPECT_EQ(VScrollBarHitTest(bare, {5, 37}), TScrollHit::DownArrow);
}

TEST(ScrollBarGeometry, TruncatesLikeTheSystemAndFollowsADraggedThumb) {
  // 100 * 30 / 99 = 30.3 -> 30; offset (100 - 30) * 10 / 69 = 10.1 -> 10.
  const TVScrollBarGeometry g = CalcVScrollBarGeometry(kBar, 1, 99, 30, 11);
  EXPECT_EQ(g.Thumb, Rect(0, 26, 16, 56));
  EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, 199, 7, 1).Thumb.Top, 16 + 0);  // 92 * 1 / 193 -> 0
  const TVScrollBarGeometry drag = DragVScrollBarGeometry(kBar, 0, 99, 25, 50);
  EXPECT_EQ(drag.Thumb, Rect(0, 50, 16, 75));
  EXPECT_EQ(DragVScrollBarGeometry(kBar, 0, 99, 25, 500).Thumb, Rect(0, 91, 16, 116));
  EXPECT_EQ(DragVScrollBarGeometry(kBar, 0, 99, 25, -5).Thumb, Rect(0, 16, 16, 41));
  EXPECT_EQ(VScrollBarPosFromThumb(kBar, 0, 99, 25, 50), 34);  // 34 * 75 / 75 -> 34
}

TEST(ScrollBarGeometry, ThumbPositionRoundTrips) {
  for (int page : {0, 1, 7, 25}) {
    const int max = 99;
    const int last = page == 0 ? max : max - page + 1;
    for (int pos = 0; pos <= last; ++pos) {
      const int top = CalcVScrollBarGeometry(kBar, 0, max, page, pos).Thumb.Top;
      const int back = VScrollBarPosFromThumb(kBar, 0, max, page, top);
      // Several positions may share a pixel; the one found is the first of them.
      EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, max, page, back).Thumb.Top, top) << page << " " << pos;
      EXPECT_LE(back, pos);
      if (back < pos) {
        EXPECT_EQ(CalcVScrollBarGeometry(kBar, 0, max, page, pos - 1).Thumb.Top, top);
      }
    }
    EXPECT_EQ(VScrollBarPosFromThumb(kBar, 0, max, page, -100), 0);
    EXPECT_EQ(VScrollBarPosFromThumb(kBar, 0, max, page, 1000), last);
  }
}

TEST(ScrollBarPainting, ArrowsCheckerAndThumb) {
  DCOn d(16, 132);
  PaintVScrollBar(d.DC, kBar, 0, 99, 25, 0);
  const TVScrollBarGeometry l = CalcVScrollBarGeometry(kBar, 0, 99, 25, 0);
  // The raised arrow buttons and thumb.
  EXPECT_EQ(d.Surface.Pixel(0, 0), ColorToRGB(cl3DLight));
  EXPECT_EQ(d.Surface.Pixel(15, 15), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(d.Surface.Pixel(0, l.Thumb.Top), ColorToRGB(cl3DLight));
  EXPECT_EQ(d.Surface.Pixel(15, l.Thumb.Bottom - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(d.Surface.Pixel(8, (l.Thumb.Top + l.Thumb.Bottom) / 2), ColorToRGB(clBtnFace));
  // The track below the thumb: half white, half button face, alternating.
  const TRect below = Rect(0, l.Thumb.Bottom, 16, l.Track.Bottom);
  const int area = below.Width() * below.Height();
  EXPECT_EQ(CountPixels(d.Surface, below, clBtnHighlight), area / 2);
  EXPECT_EQ(CountPixels(d.Surface, below, clBtnFace), area / 2);
  EXPECT_NE(d.Surface.Pixel(3, 60), d.Surface.Pixel(4, 60));
  EXPECT_NE(d.Surface.Pixel(3, 60), d.Surface.Pixel(3, 61));
}

TEST(ScrollBarPainting, PressedPartsAndDisabledBar) {
  DCOn normal(16, 132), up(16, 132), page(16, 132), disabled(16, 132);
  PaintVScrollBar(normal.DC, kBar, 0, 99, 25, 0);
  PaintVScrollBar(up.DC, kBar, 0, 99, 25, 0, TScrollHit::UpArrow);
  PaintVScrollBar(page.DC, kBar, 0, 99, 25, 0, TScrollHit::PageDown);
  PaintVScrollBar(disabled.DC, kBar, 0, 99, 25, 0, TScrollHit::None, false);
  // Only the pressed arrow changes: flat shadow frame.
  EXPECT_EQ(up.Surface.Pixel(0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(CountPixels(up.Surface, Rect(0, 16, 16, 132), clWhite, false),
            CountPixels(normal.Surface, Rect(0, 16, 16, 132), clWhite, false));
  EXPECT_TRUE([&] {
    for (int y = 16; y < 132; ++y)
      for (int x = 0; x < 16; ++x)
        if (up.Surface.Pixel(x, y) != normal.Surface.Pixel(x, y)) return false;
    return true;
  }());
  // The pressed page part is inverted.
  EXPECT_EQ(page.Surface.Pixel(5, 100), normal.Surface.Pixel(5, 100) ^ 0xFFFFFF);
  EXPECT_EQ(page.Surface.Pixel(5, 20), normal.Surface.Pixel(5, 20));
  // Disabled: grey arrows, no thumb, the checker runs through.
  EXPECT_EQ(CountPixels(disabled.Surface, Rect(2, 2, 14, 14), clBtnText), 0);
  EXPECT_GT(CountPixels(disabled.Surface, Rect(2, 2, 14, 14), clBtnShadow), 0);
  EXPECT_EQ(CountPixels(disabled.Surface, Rect(0, 16, 16, 116), clBtnHighlight), 800);
}

TEST(ScrollBarPainting, StaysInsideItsRectangleAndClip) {
  TSurface screen(60, 160, clBlack);
  HDC dc = CreateSurfaceDC(&screen, {20, 10}, Rect(0, 0, 40, 100));
  PaintVScrollBar(dc, Rect(24, 0, 40, 132), 0, 99, 25, 30);
  EXPECT_EQ(gfxtest::InkBounds(screen, clBlack), Rect(44, 10, 60, 110));
  DeleteDC(dc);
}

TEST(NonClient, BorderClientEdgeDialogFrameAndCaption) {
  DCOn d(60, 40, clWhite);
  PaintBorder(d.DC, Rect(0, 0, 20, 10));
  EXPECT_EQ(CountPixels(d.Surface, Rect(0, 0, 20, 10), clWindowFrame), 2 * 20 + 2 * 8);
  EXPECT_EQ(CountPixels(d.Surface, Rect(1, 1, 19, 9), clWhite), 18 * 8);

  PaintClientEdge(d.DC, Rect(30, 0, 50, 10));
  EXPECT_EQ(d.Surface.Pixel(35, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(d.Surface.Pixel(35, 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(d.Surface.Pixel(49, 5), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(d.Surface.Pixel(48, 5), ColorToRGB(cl3DLight));
  EXPECT_EQ(d.Surface.Pixel(40, 5), clWhite);

  DCOn form(100, 60, clWhite);
  PaintDialogFrame(form.DC, Rect(0, 0, 100, 60));
  const TRect caption = Rect(kNcDialogFrameWidth, kNcDialogFrameWidth, 100 - kNcDialogFrameWidth,
                             kNcDialogFrameWidth + kNcCaptionHeight);
  PaintCaption(form.DC, caption, "Form1", true);
  EXPECT_EQ(form.Surface.Pixel(0, 30), ColorToRGB(cl3DLight));
  EXPECT_EQ(form.Surface.Pixel(1, 30), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(form.Surface.Pixel(2, 30), ColorToRGB(clBtnFace));
  EXPECT_EQ(form.Surface.Pixel(97, 57), ColorToRGB(clBtnFace));
  EXPECT_EQ(form.Surface.Pixel(97, 59), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(form.Surface.Pixel(3, 30), clWhite);
  // The title in white bold, nothing of it outside the bar.
  EXPECT_GT(CountPixels(form.Surface, caption, clCaptionText), 5);
  EXPECT_EQ(CountPixels(form.Surface, Rect(3, 3, 5, 21), clActiveCaption), 36);
  EXPECT_EQ(CountPixels(form.Surface, Rect(3, 21, 97, 57), clWhite), 94 * 36);

  DCOn inactive(100, 30, clWhite);
  PaintCaption(inactive.DC, Rect(0, 0, 100, 18), "Form1", false);
  EXPECT_EQ(inactive.Surface.Pixel(1, 1), ColorToRGB(clInactiveCaption));
  EXPECT_GT(CountPixels(inactive.Surface, Rect(0, 0, 100, 18), clInactiveCaptionText), 3);
  // The bold title is wider than a regular one would be.
  const TRect ink = gfxtest::InkBounds(
      [&] {
        TSurface s(100, 18, clBlack);
        for (int y = 0; y < 18; ++y)
          for (int x = 0; x < 100; ++x)
            if (inactive.Surface.Pixel(x, y) != ColorToRGB(clInactiveCaption)) s.SetPixel(x, y, clWhite);
        return s;
      }(),
      clBlack);
  EXPECT_GE(ink.Width(), DefaultFont()->TextWidth("Form1") - 1);
  EXPECT_GE(ink.Top, 1);
  EXPECT_LE(ink.Bottom, 17);
}
