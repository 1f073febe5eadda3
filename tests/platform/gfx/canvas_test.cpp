#include "platform/gfx/canvas.h"

#include <gtest/gtest.h>

#include "gfx_test_util.h"

using namespace vcl;
using gfxtest::CountPixels;
using gfxtest::InkBounds;

namespace {

// A canvas drawing into its own white surface.
struct CanvasOn {
  TSurface Surface;
  TCanvas Canvas;
  explicit CanvasOn(int W = 80, int H = 40, TColor Fill = clWhite) : Surface(W, H, Fill) {
    Canvas.SetTarget(&Surface, {0, 0}, Surface.BoundsRect());
  }
};

}  // namespace

TEST(Canvas, FillRectCoversExactlyTheRectangle) {
  CanvasOn c;
  c.Canvas.Brush()->SetColor(clHighlight);
  c.Canvas.FillRect(Rect(10, 5, 20, 9));
  EXPECT_EQ(CountPixels(c.Surface, Rect(10, 5, 20, 9), clHighlight), 40);
  EXPECT_EQ(CountPixels(c.Surface, c.Surface.BoundsRect(), clHighlight), 40);
  c.Canvas.Brush()->SetStyle(bsClear);
  c.Canvas.FillRect(Rect(0, 0, 80, 40));
  EXPECT_EQ(CountPixels(c.Surface, c.Surface.BoundsRect(), clHighlight), 40);
}

TEST(Canvas, FrameRectAndRectangle) {
  CanvasOn c;
  c.Canvas.Brush()->SetColor(clRed);
  c.Canvas.FrameRect(Rect(0, 0, 5, 4));
  EXPECT_EQ(CountPixels(c.Surface, Rect(0, 0, 5, 4), clRed), 14);
  EXPECT_EQ(c.Surface.Pixel(2, 2), clWhite);

  c.Canvas.Pen()->SetColor(clBlue);
  c.Canvas.Brush()->SetColor(clYellow);
  c.Canvas.Rectangle(10, 10, 15, 14);
  EXPECT_EQ(CountPixels(c.Surface, Rect(10, 10, 15, 14), clBlue), 14);
  EXPECT_EQ(CountPixels(c.Surface, Rect(11, 11, 14, 13), clYellow), 6);
  EXPECT_EQ(c.Surface.Pixel(15, 14), clWhite);  // right and bottom excluded
}

TEST(Canvas, LineToExcludesItsEndPointAndMovesThePen) {
  CanvasOn c;
  c.Canvas.Pen()->SetColor(clBtnShadow);
  c.Canvas.MoveTo(0, 3);
  c.Canvas.LineTo(10, 3);
  EXPECT_EQ(CountPixels(c.Surface, c.Surface.BoundsRect(), clBtnShadow), 10);
  EXPECT_EQ(c.Surface.Pixel(9, 3), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c.Surface.Pixel(10, 3), clWhite);
  EXPECT_EQ(c.Canvas.PenPos(), Point(10, 3));

  // A vertical line from R.Top through R.Bottom, as column lines are drawn.
  c.Canvas.MoveTo(20, 5);
  c.Canvas.LineTo(20, 5 + 12);
  EXPECT_EQ(CountPixels(c.Surface, Rect(20, 0, 21, 40), clBtnShadow), 12);
  EXPECT_EQ(c.Surface.Pixel(20, 17), clWhite);

  // A diagonal: one pixel per step, none at the end; continuing from the pen joins up.
  c.Canvas.Pen()->SetColor(clRed);
  c.Canvas.MoveTo(30, 0);
  c.Canvas.LineTo(35, 5);
  c.Canvas.LineTo(40, 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.Surface.Pixel(30 + i, i), clRed) << i;
  EXPECT_EQ(CountPixels(c.Surface, c.Surface.BoundsRect(), clRed), 10);
  EXPECT_EQ(c.Surface.Pixel(40, 5), clWhite);
}

TEST(Canvas, TextRectFillsTheRectangleAndClipsTheText) {
  CanvasOn c(120, 30, clBtnFace);
  c.Canvas.Brush()->SetColor(clWindow);
  c.Canvas.Font()->SetColor(clBlack);
  const TRect r = Rect(10, 5, 40, 18);
  c.Canvas.TextRect(r, 12, 5, "A rather long text that does not fit");
  // Nothing outside the rectangle changed; the rectangle holds brush and ink only.
  EXPECT_EQ(CountPixels(c.Surface, c.Surface.BoundsRect(), clBtnFace), 120 * 30 - 30 * 13);
  const TRect ink = InkBounds(c.Surface, clBtnFace);
  EXPECT_EQ(ink, r);
  EXPECT_GT(CountPixels(c.Surface, r, clWindow, false), 10);  // some glyphs were drawn
  // Its left margin of two pixels is pure brush.
  EXPECT_EQ(CountPixels(c.Surface, Rect(10, 5, 12, 18), clWindow), 26);
}

TEST(Canvas, TextRectWithAClearBrushDrawsOnlyGlyphs) {
  CanvasOn c(60, 20, clBtnFace);
  c.Canvas.Brush()->SetStyle(bsClear);
  c.Canvas.TextRect(Rect(0, 0, 20, 20), 0, 0, "WWWWWW");
  const TRect ink = InkBounds(c.Surface, clBtnFace);
  EXPECT_FALSE(ink.IsEmpty());
  EXPECT_LE(ink.Right, 20);
  EXPECT_EQ(CountPixels(c.Surface, Rect(0, 15, 20, 20), clBtnFace), 100);  // below the glyphs
}

TEST(Canvas, TextOutFillsTheCellWithASolidBrushOnly) {
  CanvasOn c(80, 30, clBtnFace);
  c.Canvas.Brush()->SetColor(clYellow);
  c.Canvas.TextOut(5, 4, "Hg");
  const int w = c.Canvas.TextWidth("Hg"), h = c.Canvas.TextHeight("Hg");
  EXPECT_EQ(InkBounds(c.Surface, clBtnFace), Rect(5, 4, 5 + w, 4 + h));
  EXPECT_EQ(c.Canvas.PenPos(), Point(5 + w, 4));

  CanvasOn clear(80, 30, clBtnFace);
  clear.Canvas.Brush()->SetStyle(bsClear);
  clear.Canvas.TextOut(5, 4, "Hg");
  EXPECT_EQ(CountPixels(clear.Surface, clear.Surface.BoundsRect(), clYellow), 0);
  EXPECT_GT(CountPixels(clear.Surface, clear.Surface.BoundsRect(), clBtnFace, false), 0);
}

TEST(Canvas, InkedPixelsOfTextLieWithinTheCell) {
  for (int height : {-11, -16, 20}) {
    CanvasOn c(120, 60);
    c.Canvas.Font()->SetHeight(height);
    c.Canvas.Brush()->SetStyle(bsClear);
    c.Canvas.TextOut(10, 10, "Hg\xC9jy|");
    TEXTMETRIC tm;
    GetTextMetricsA(c.Canvas.Handle(), &tm);
    const TRect ink = InkBounds(c.Surface, clWhite);
    EXPECT_GE(ink.Top, 10) << height;
    EXPECT_LE(ink.Bottom, 10 + tm.tmAscent + tm.tmDescent) << height;
    EXPECT_LE(ink.Right, 10 + c.Canvas.TextWidth("Hg\xC9jy|") + 1) << height;
    EXPECT_GE(ink.Height(), tm.tmHeight - 3) << height;  // "É" and "j" reach close to both ends
  }
}

TEST(Canvas, TextColourIsTheFontColourAntiAliasedOverTheBackground) {
  CanvasOn c(40, 20, clWhite);
  c.Canvas.Brush()->SetStyle(bsClear);
  c.Canvas.Font()->SetColor(clRed);
  c.Canvas.TextOut(2, 2, "Hlll");
  int mixed = 0, strongest = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor p = c.Surface.Pixel(x, y);
      if (p != clWhite && p != clRed) ++mixed;
      EXPECT_EQ(GetRValue(p), 0xFF);  // only ever between white and red
      EXPECT_EQ(GetGValue(p), GetBValue(p));
      strongest = std::max(strongest, 0xFF - GetGValue(p));
    }
  EXPECT_GE(strongest, 0xE0);  // the stems are (nearly) solid
  EXPECT_GT(mixed, 0);
}

TEST(Canvas, MeasuresWithoutATargetWithItsFont) {
  TCanvas canvas;
  EXPECT_EQ(canvas.ClipRect(), TRect{});
  EXPECT_EQ(canvas.TextHeight("0"), 13);
  const int regular = canvas.TextWidth("Lookup");
  EXPECT_EQ(canvas.TextWidth("0000"), 4 * canvas.TextWidth("0"));
  TFont big;
  big.SetSize(14);
  canvas.SetFont(&big);
  EXPECT_GT(canvas.TextWidth("Lookup"), regular);
  EXPECT_GT(canvas.TextHeight("Lookup"), 13);
  EXPECT_EQ(canvas.TextExtent("Lookup"), (TSize{canvas.TextWidth("Lookup"), canvas.TextHeight("Lookup")}));
  canvas.Font()->SetStyle(fsBold);
  canvas.Font()->SetSize(14);
  EXPECT_GE(canvas.TextWidth("Lookup"), TCanvas().TextWidth("Lookup"));
  canvas.DrawFocusRect(Rect(0, 0, 10, 10));  // drawing without a target does nothing
  canvas.TextOut(0, 0, "x");
  EXPECT_EQ(canvas.Pixels(0, 0), clNone);
}

TEST(Canvas, OriginAndClipKeepDrawingInside) {
  TSurface screen(100, 60, clBlack);
  TCanvas canvas;
  // A window's client area at (30, 20), 40 x 25, of which only the left 30 columns show.
  canvas.SetTarget(&screen, {30, 20}, Rect(0, 0, 30, 25));
  EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 30, 25));
  canvas.Brush()->SetColor(clWhite);
  canvas.FillRect(Rect(-10, -10, 200, 200));
  canvas.Pen()->SetColor(clWhite);
  canvas.MoveTo(-50, 5);
  canvas.LineTo(500, 5);
  canvas.TextOut(20, 10, "Clipped text");
  canvas.TextRect(Rect(-5, -5, 100, 100), 0, 0, "more");
  canvas.DrawFocusRect(Rect(-3, -3, 50, 50));
  canvas.SetPixels(45, 2, clRed);
  EXPECT_EQ(InkBounds(screen, clBlack), Rect(30, 20, 60, 45));
  EXPECT_EQ(canvas.Pixels(0, 0), clWhite);
  EXPECT_EQ(canvas.Pixels(35, 0), clNone);  // outside the clip
  canvas.SetPixels(1, 1, clRed);
  EXPECT_EQ(screen.Pixel(31, 21), clRed);
}

TEST(Canvas, TakesTheTargetOfAPaintingContext) {
  TSurface screen(50, 50, clBlack);
  HDC paint = CreateSurfaceDC(&screen, {10, 20}, Rect(0, 0, 5, 5));
  TCanvas canvas;
  canvas.SetHandle(paint);
  DeleteDC(paint);  // the canvas only took where to draw
  EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 5, 5));
  canvas.Brush()->SetColor(clWhite);
  canvas.FillRect(Rect(0, 0, 50, 50));
  EXPECT_EQ(gfxtest::InkBounds(screen, clBlack), Rect(10, 20, 15, 25));
  canvas.SetHandle(nullptr);
  EXPECT_EQ(canvas.Surface(), nullptr);
  EXPECT_EQ(canvas.TextWidth("00"), 2 * canvas.TextWidth("0"));
}

TEST(Canvas, ClipRectIsNarrowedToTheSurface) {
  TSurface s(20, 20);
  TCanvas canvas;
  canvas.SetTarget(&s, {15, 15}, Rect(0, 0, 10, 10));
  EXPECT_EQ(canvas.Handle()->VisibleRect(), Rect(0, 0, 5, 5));
  canvas.Brush()->SetColor(clRed);
  canvas.FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(CountPixels(s, s.BoundsRect(), clRed), 25);
  canvas.ClearTarget();
  EXPECT_EQ(canvas.Surface(), nullptr);
}

TEST(Canvas, FocusRectDrawnTwiceRestoresEveryPixel) {
  CanvasOn c(40, 30);
  c.Canvas.Brush()->SetColor(clHighlight);
  c.Canvas.FillRect(Rect(0, 0, 40, 15));
  c.Canvas.Brush()->SetColor(clWindow);
  c.Canvas.TextRect(Rect(0, 15, 40, 30), 2, 15, "Row");
  const TSurface before = c.Surface;
  for (const TRect& r : {Rect(0, 0, 40, 15), Rect(3, 10, 30, 22), Rect(5, 5, 6, 20), Rect(2, 2, 3, 3)}) {
    c.Canvas.DrawFocusRect(r);
    EXPECT_FALSE(c.Surface == before);
    c.Canvas.DrawFocusRect(r);
    EXPECT_TRUE(c.Surface == before);
  }
  c.Canvas.DrawFocusRect(Rect(0, 0, 10, 6));
  int inverted = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x)
      if (c.Surface.Pixel(x, y) != before.Pixel(x, y)) {
        ++inverted;
        EXPECT_TRUE(x == 0 || x == 9 || y == 0 || y == 5);
        EXPECT_EQ(c.Surface.Pixel(x, y), before.Pixel(x, y) ^ 0xFFFFFF);
      }
  EXPECT_EQ(inverted, 14);  // every other one of the 28 border pixels
}

TEST(Canvas, Windows1252TextDrawsRealGlyphs) {
  // A character the face lacks would draw the same box as any other missing one.
  CanvasOn missing(40, 20), euro(40, 20), eacute(40, 20), e(40, 20);
  missing.Canvas.TextOut(2, 2, "\x7F");
  euro.Canvas.TextOut(2, 2, "\x80");
  eacute.Canvas.TextOut(2, 2, "\xE9");
  e.Canvas.TextOut(2, 2, "e");
  EXPECT_FALSE(euro.Surface == missing.Surface);
  EXPECT_FALSE(eacute.Surface == missing.Surface);
  EXPECT_FALSE(eacute.Surface == e.Surface);
  // é is an e with an accent above it.
  EXPECT_LT(InkBounds(eacute.Surface, clWhite).Top, InkBounds(e.Surface, clWhite).Top);
  EXPECT_EQ(InkBounds(eacute.Surface, clWhite).Bottom, InkBounds(e.Surface, clWhite).Bottom);
}

TEST(Canvas, RightToLeftReadingMovesEndNeutrals) {
  EXPECT_EQ(RightToLeftVisualOrder("abc."), ".abc");
  EXPECT_EQ(RightToLeftVisualOrder("(abc)."), ".(abc)");
  EXPECT_EQ(RightToLeftVisualOrder("a b"), "a b");
  EXPECT_EQ(RightToLeftVisualOrder("- 1"), "1 -");
  EXPECT_EQ(RightToLeftVisualOrder("..."), "...");
  CanvasOn ltr(60, 20), rtl(60, 20), moved(60, 20);
  ltr.Canvas.TextOut(2, 2, "abc.");
  rtl.Canvas.SetTextFlags(ETO_RTLREADING);
  rtl.Canvas.TextOut(2, 2, "abc.");
  moved.Canvas.TextOut(2, 2, ".abc");
  EXPECT_FALSE(ltr.Surface == rtl.Surface);
  EXPECT_TRUE(rtl.Surface == moved.Surface);
}

TEST(Canvas, AlignmentMirrorsForRightToLeft) {
  TAlignment a = taLeftJustify;
  ChangeBiDiModeAlignment(a);
  EXPECT_EQ(a, taRightJustify);
  ChangeBiDiModeAlignment(a);
  EXPECT_EQ(a, taLeftJustify);
  a = taCenter;
  ChangeBiDiModeAlignment(a);
  EXPECT_EQ(a, taCenter);
}
