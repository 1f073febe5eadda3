#include "platform/gfx/gdi.h"

#include <gtest/gtest.h>

#include <memory>

#include "gfx_test_util.h"

using namespace vcl;
using gfxtest::CountPixels;
using gfxtest::InkBounds;

namespace {

struct DCOn {
  TSurface Surface;
  HDC DC;
  explicit DCOn(int W = 40, int H = 30, TColor Fill = clWhite) : Surface(W, H, Fill) {
    DC = CreateSurfaceDC(&Surface, {0, 0}, Surface.BoundsRect());
  }
  ~DCOn() { DeleteDC(DC); }
  TColor At(int X, int Y) const { return Surface.Pixel(X, Y); }
};

TColor C(TColor System) {
  return ColorToRGB(System);
}

}  // namespace

TEST(DrawEdge, RaisedAndSunkenColoursPerRingAndSide) {
  DCOn d;
  TRect r = Rect(0, 0, 10, 8);
  DrawEdge(d.DC, r, EDGE_RAISED, BF_RECT);
  EXPECT_EQ(r, Rect(0, 0, 10, 8));           // no BF_ADJUST
  EXPECT_EQ(d.At(3, 0), C(cl3DLight));       // outer top
  EXPECT_EQ(d.At(0, 3), C(cl3DLight));       // outer left
  EXPECT_EQ(d.At(3, 7), C(cl3DDkShadow));    // outer bottom
  EXPECT_EQ(d.At(9, 3), C(cl3DDkShadow));    // outer right
  EXPECT_EQ(d.At(3, 1), C(clBtnHighlight));  // inner top
  EXPECT_EQ(d.At(1, 3), C(clBtnHighlight));  // inner left
  EXPECT_EQ(d.At(3, 6), C(clBtnShadow));     // inner bottom
  EXPECT_EQ(d.At(8, 3), C(clBtnShadow));     // inner right
  EXPECT_EQ(d.At(9, 0), C(cl3DDkShadow));    // the bottom/right colour owns the corners
  EXPECT_EQ(d.At(0, 7), C(cl3DDkShadow));
  EXPECT_EQ(d.At(4, 4), clWhite);  // no BF_MIDDLE

  r = Rect(20, 0, 30, 8);
  DrawEdge(d.DC, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
  EXPECT_EQ(r, Rect(22, 2, 28, 6));
  EXPECT_EQ(d.At(23, 0), C(clBtnShadow));
  EXPECT_EQ(d.At(23, 1), C(cl3DDkShadow));
  EXPECT_EQ(d.At(23, 7), C(clBtnHighlight));
  EXPECT_EQ(d.At(23, 6), C(cl3DLight));
  EXPECT_EQ(d.At(25, 4), C(clBtnFace));
}

TEST(DrawEdge, SidesAloneAndTheCombinedInnerRing) {
  // The 3-D title cell: raised inner on right and bottom, then both inner bits on left and top.
  DCOn d;
  TRect r = Rect(0, 0, 10, 8);
  DrawEdge(d.DC, r, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM);
  EXPECT_EQ(CountPixels(d.Surface, d.Surface.BoundsRect(), clBtnShadow), 10 + 7);
  EXPECT_EQ(d.At(9, 0), C(clBtnShadow));
  EXPECT_EQ(d.At(0, 7), C(clBtnShadow));
  EXPECT_EQ(d.At(0, 0), clWhite);
  DrawEdge(d.DC, r, BDR_RAISEDINNER | BDR_SUNKENINNER, BF_LEFT | BF_TOP);
  EXPECT_EQ(d.At(0, 0), C(clBtnHighlight));  // drawn raised
  EXPECT_EQ(d.At(8, 0), C(clBtnHighlight));
  EXPECT_EQ(d.At(0, 6), C(clBtnHighlight));
  EXPECT_EQ(d.At(9, 0), C(clBtnHighlight));  // without BF_RIGHT the top runs to the end
  EXPECT_EQ(d.At(9, 7), C(clBtnShadow));

  DCOn e;
  r = Rect(0, 0, 6, 6);
  DrawEdge(e.DC, r, EDGE_ETCHED, BF_TOP | BF_ADJUST);
  EXPECT_EQ(r, Rect(0, 2, 6, 6));
  EXPECT_EQ(e.At(2, 0), C(clBtnShadow));
  EXPECT_EQ(e.At(2, 1), C(clBtnHighlight));
  EXPECT_EQ(e.At(0, 2), clWhite);
}

TEST(DrawEdge, FlatAndMono) {
  DCOn d;
  TRect r = Rect(0, 0, 6, 6);
  DrawEdge(d.DC, r, EDGE_RAISED, BF_RECT | BF_FLAT);
  EXPECT_EQ(CountPixels(d.Surface, Rect(0, 0, 6, 6), clBtnShadow), 20);
  EXPECT_EQ(CountPixels(d.Surface, Rect(1, 1, 5, 5), clBtnFace), 12);
  r = Rect(10, 0, 16, 6);
  DrawEdge(d.DC, r, EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE);
  EXPECT_EQ(CountPixels(d.Surface, Rect(10, 0, 16, 6), clWindowFrame), 20);
  EXPECT_EQ(CountPixels(d.Surface, Rect(11, 1, 15, 5), clWindow), 16);
}

TEST(DrawFrameControl, ComboButtonLooksDiffer) {
  const TRect button = Rect(0, 0, 16, 17);
  auto draw = [&](UINT State) {
    auto d = std::make_unique<DCOn>(16, 17);
    TRect r = button;
    EXPECT_TRUE(DrawFrameControl(d->DC, r, DFC_SCROLL, State));
    return d;
  };
  const auto normal = draw(DFCS_SCROLLCOMBOBOX);
  const auto pushed = draw(DFCS_SCROLLCOMBOBOX | DFCS_PUSHED | DFCS_FLAT);
  const auto inactive = draw(DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE);
  EXPECT_FALSE(normal->Surface == pushed->Surface);
  EXPECT_FALSE(normal->Surface == inactive->Surface);
  EXPECT_FALSE(pushed->Surface == inactive->Surface);
  EXPECT_EQ(DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE, 0x105u);
  EXPECT_EQ(DFCS_SCROLLCOMBOBOX | DFCS_PUSHED | DFCS_FLAT, 0x4205u);

  // Normal: a raised button with a black arrow pointing down.
  EXPECT_EQ(normal->At(0, 0), C(cl3DLight));
  EXPECT_EQ(normal->At(15, 16), C(cl3DDkShadow));
  // The arrow is the black inside the face (the outer frame is black too).
  const TRect face = Rect(2, 2, 14, 15);
  const TRect arrow = gfxtest::InkBounds(
      [&] {
        TSurface s(16, 17, clBtnFace);
        for (int y = face.Top; y < face.Bottom; ++y)
          for (int x = face.Left; x < face.Right; ++x)
            if (normal->At(x, y) == C(clBtnText)) s.SetPixel(x, y, clBtnText);
        return s;
      }(),
      clBtnFace);
  EXPECT_EQ(arrow.Width(), 7);
  EXPECT_EQ(arrow.Height(), 4);
  EXPECT_EQ(CountPixels(normal->Surface, arrow, clBtnText), 7 + 5 + 3 + 1);
  EXPECT_EQ(CountPixels(normal->Surface, Rect(arrow.Left, arrow.Top, arrow.Right, arrow.Top + 1), clBtnText),
            7);

  // Pushed: a flat shadow frame, the arrow one pixel right and down.
  EXPECT_EQ(CountPixels(pushed->Surface, button, clBtnShadow), 2 * 16 + 2 * 15);
  for (int y = arrow.Top; y < arrow.Bottom; ++y)
    for (int x = arrow.Left; x < arrow.Right; ++x) {
      EXPECT_EQ(pushed->At(x + 1, y + 1), normal->At(x, y)) << x << "," << y;
    }
  EXPECT_EQ(CountPixels(pushed->Surface, button, clBtnText), 16);

  // Inactive: the raised face, the arrow grey over a white copy.
  EXPECT_EQ(CountPixels(inactive->Surface, face, clBtnText), 0);
  for (int y = arrow.Top; y < arrow.Bottom; ++y)
    for (int x = arrow.Left; x < arrow.Right; ++x) {
      if (normal->At(x, y) == C(clBtnText)) {
        EXPECT_EQ(inactive->At(x, y), C(clBtnShadow)) << x << "," << y;
      } else {
        EXPECT_NE(inactive->At(x, y), C(clBtnShadow)) << x << "," << y;
      }
    }
  EXPECT_EQ(inactive->At(arrow.Left + 4, arrow.Bottom), C(clBtnHighlight));  // the copy's tip
}

TEST(DrawFrameControl, ScrollArrowsPointTheirWayAndAdjust) {
  DCOn up(16, 16), down(16, 16);
  TRect r = Rect(0, 0, 16, 16);
  DrawFrameControl(up.DC, r, DFC_SCROLL, DFCS_SCROLLUP);
  DrawFrameControl(down.DC, r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_ADJUSTRECT);
  EXPECT_EQ(r, Rect(2, 2, 14, 14));
  int upWide = -1, downWide = -1;
  for (int y = 2; y < 14; ++y) {
    if (CountPixels(up.Surface, Rect(2, y, 14, y + 1), clBtnText) == 7) upWide = y;
    if (CountPixels(down.Surface, Rect(2, y, 14, y + 1), clBtnText) == 7) downWide = y;
  }
  EXPECT_GT(upWide, downWide);  // an up arrow is widest at the bottom
  EXPECT_EQ(CountPixels(up.Surface, Rect(2, upWide - 3, 14, upWide - 2), clBtnText), 1);  // the tip
  EXPECT_EQ(CountPixels(down.Surface, Rect(2, downWide + 3, 14, downWide + 4), clBtnText), 1);
}

TEST(FocusRect, ThroughADeviceContextIsClippedAndReversible) {
  DCOn d(20, 20, clHighlight);
  IntersectClipRect(d.DC, 0, 0, 10, 20);
  const TSurface before = d.Surface;
  DrawFocusRect(d.DC, Rect(2, 2, 18, 18));
  EXPECT_EQ(CountPixels(d.Surface, Rect(10, 0, 20, 20), clHighlight), 200);
  EXPECT_GT(CountPixels(d.Surface, Rect(0, 0, 10, 20), clHighlight, false), 0);
  DrawFocusRect(d.DC, Rect(2, 2, 18, 18));
  EXPECT_TRUE(d.Surface == before);
}

TEST(ExtTextOut, OpaqueClippedAndCellBackground) {
  DCOn d(100, 30, clBtnFace);
  SetBkColor(d.DC, clYellow);
  SetTextColor(d.DC, clBlack);
  const TRect r = Rect(10, 5, 30, 20);
  ExtTextOutA(d.DC, 12, 5, ETO_OPAQUE | ETO_CLIPPED, &r, "WWWWWWWW", 8);
  EXPECT_EQ(InkBounds(d.Surface, clBtnFace), r);

  DCOn cell(100, 30, clBtnFace);
  SetBkColor(cell.DC, clYellow);
  TextOutA(cell.DC, 5, 5, "Hi", 2);
  const TSize size = TextExtent(cell.DC, "Hi");
  EXPECT_EQ(InkBounds(cell.Surface, clBtnFace), Bounds(5, 5, size.cx, size.cy));
  SetBkMode(cell.DC, TRANSPARENT);
  TextOutA(cell.DC, 50, 5, "Hi", 2);
  EXPECT_EQ(CountPixels(cell.Surface, Rect(45, 0, 100, 30), clYellow), 0);

  DCOn spaced(100, 30, clWhite);
  const int dx[3] = {20, 20, 20};
  SetBkMode(spaced.DC, TRANSPARENT);
  ExtTextOutA(spaced.DC, 0, 0, 0, nullptr, "iii", 3, dx);
  EXPECT_GE(InkBounds(spaced.Surface, clWhite).Width(), 40);
}

TEST(DrawText, CalcRectWrapsAndAligns) {
  HDC dc = CreateMeasureDC();
  TRect r = Rect(0, 0, 1000, 0);
  EXPECT_EQ(DrawTextA(dc, "One line", -1, &r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX), 13);
  EXPECT_EQ(r, Rect(0, 0, TextExtent(dc, "One line").cx, 13));
  r = Rect(0, 0, TextExtent(dc, "alpha beta").cx + 2, 0);
  EXPECT_EQ(DrawTextA(dc, "alpha beta gamma", -1, &r, DT_CALCRECT | DT_WORDBREAK), 26);
  EXPECT_EQ(r.Width(), TextExtent(dc, "alpha beta").cx);
  r = Rect(0, 0, 1000, 0);
  DrawTextA(dc, "two\r\nlines", -1, &r, DT_CALCRECT);
  EXPECT_EQ(r.Height(), 26);
  r = Rect(0, 0, 1000, 0);
  DrawTextA(dc, "&File", -1, &r, DT_CALCRECT);
  EXPECT_EQ(r.Width(), TextExtent(dc, "File").cx);
  DeleteDC(dc);

  DCOn d(60, 20, clWhite);
  SetBkMode(d.DC, TRANSPARENT);
  TRect box = Rect(0, 0, 60, 20);
  DrawTextA(d.DC, "ab", 2, &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  const TRect ink = InkBounds(d.Surface, clWhite);
  EXPECT_GE(ink.Left, 60 - TextExtent(d.DC, "ab").cx - 1);
  EXPECT_GE(ink.Top, 3);
}

TEST(GdiObjects, BrushesFillAndSelectObjectSwapsFonts) {
  DCOn d(10, 10);
  HBRUSH brush = CreateSolidBrush(clTeal);
  FillRect(d.DC, Rect(0, 0, 5, 5), brush);
  FrameRect(d.DC, Rect(5, 5, 10, 10), brush);
  EXPECT_EQ(CountPixels(d.Surface, d.Surface.BoundsRect(), clTeal), 25 + 16);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(SelectObject(d.DC, nullptr), nullptr);
  EXPECT_EQ(SelectObject(nullptr, DefaultFont()), nullptr);
  TFont bold;
  bold.SetStyle(fsBold);
  EXPECT_EQ(SelectObject(d.DC, bold.Handle()), DefaultFont());
  EXPECT_TRUE(DeleteObject(bold.Handle()));  // fonts stay with the engine
  EXPECT_EQ(d.DC->CurrentFont(), bold.Handle());
  TRect clip;
  EXPECT_EQ(GetClipBox(d.DC, &clip), 2);
  EXPECT_EQ(clip, Rect(0, 0, 10, 10));
  EXPECT_EQ(GetPixel(d.DC, 20, 20), clNone);
}

TEST(GdiObjects, MeasureContextDrawsNothing) {
  HDC dc = CreateMeasureDC();
  EXPECT_TRUE(TextOutA(dc, 0, 0, "x", 1));
  EXPECT_EQ(FillRect(dc, Rect(0, 0, 5, 5), clRed), 1);
  EXPECT_EQ(GetPixel(dc, 0, 0), clNone);
  EXPECT_EQ(dc->VisibleRect(), TRect{});
  TEXTMETRIC tm;
  EXPECT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, 13);
  EXPECT_EQ(tm.tmAveCharWidth, TextExtent(dc, "x").cx);
  DeleteDC(dc);
}
