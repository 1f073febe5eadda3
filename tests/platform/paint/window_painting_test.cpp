#include "platform/vcl/window_painting.h"

#include <gtest/gtest.h>

#include "platform/paint/paint_test_util.h"

using namespace vcl;
using kttest::PaintTest;
using kttest::Rgb;
using kttest::TPaintBox;
using kttest::TSwatch;

namespace {

TPoint TL(const TRect& R) {
  return Point(R.Left, R.Top);
}

void FillAll(TPaintBox& B, TColor C) {
  B.Canvas()->Brush()->SetColor(C);
  B.Canvas()->FillRect(TRect{-500, -500, 1500, 1500});
}

// ---- client painting ------------------------------------------------------------------------

TEST_F(PaintTest, PaintLandsAtTheClientOriginClippedToTheClientArea) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 20, 100, 50), clWindow, WS_BORDER);
  b->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clRed); };
  TSurface s = CaptureScreen();
  // A sizeable form: a 4-pixel frame and an 18-pixel caption above its client area.
  ASSERT_EQ(f->ClientOrigin(), Point(104, 122));
  ASSERT_EQ(b->ClientOrigin(), Point(115, 143));
  EXPECT_EQ(b->PaintCalls, 1);
  EXPECT_EQ(s.Pixel(115, 143), Rgb(clRed));
  EXPECT_EQ(s.Pixel(115 + 97, 143 + 47), Rgb(clRed));  // the client's last pixel
  EXPECT_EQ(s.Pixel(114, 160), Rgb(clWindowFrame));    // the border, not the paint
  EXPECT_EQ(s.Pixel(115 + 98, 160), Rgb(clWindowFrame));
  EXPECT_EQ(s.Pixel(160, 143 + 48), Rgb(clWindowFrame));
  EXPECT_EQ(s.Pixel(113, 160), Rgb(f->Color()));  // the form around it
  EXPECT_EQ(s.Pixel(160, 143 + 49), Rgb(f->Color()));

  // Grown, the window is painted again over its new size.
  b->SetBounds(10, 20, 150, 60);
  s = CaptureScreen();
  EXPECT_EQ(b->PaintCalls, 2);
  EXPECT_EQ(s.Pixel(115 + 147, 143 + 57), Rgb(clRed));
  EXPECT_EQ(s.Pixel(115 + 148, 160), Rgb(clWindowFrame));
}

TEST_F(PaintTest, AChildCoversItsParentWhateverPaintsLast) {
  TForm* f = ShownForm();
  TPaintBox* p = MakeBox(f, Bounds(10, 10, 200, 100), clWindow);
  TPaintBox* c = MakeBox(p, Bounds(20, 20, 40, 30), clWindow);
  TPaintBox* out = MakeBox(p, Bounds(180, 80, 50, 50), clWindow);  // partly outside its parent
  p->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clBlue); };
  c->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clRed); };
  out->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clLime); };
  TSurface s = CaptureScreen();
  EXPECT_EQ(At(s, c, Point(0, 0)), Rgb(clRed));
  EXPECT_EQ(At(s, c, Point(39, 29)), Rgb(clRed));
  EXPECT_EQ(At(s, c, Point(40, 29)), Rgb(clBlue));
  EXPECT_EQ(At(s, out, Point(19, 19)), Rgb(clLime));
  EXPECT_EQ(At(s, out, Point(20, 19)), Rgb(f->Color()));  // beyond the parent's client area
  EXPECT_EQ(At(s, out, Point(19, 20)), Rgb(f->Color()));

  // The parent paints again on its own: the children's pixels stay theirs.
  int childPaints = c->PaintCalls;
  p->Repaint();
  EXPECT_EQ(p->PaintCalls, 2);
  s = CaptureScreen();
  EXPECT_EQ(c->PaintCalls, childPaints);
  EXPECT_EQ(At(s, c, Point(10, 10)), Rgb(clRed));
  EXPECT_EQ(At(s, p, Point(5, 5)), Rgb(clBlue));

  // Hidden, the child leaves the parent's own pixels; shown again, it covers them.
  c->Hide();
  s = CaptureScreen();
  EXPECT_EQ(At(s, p, Point(30, 30)), Rgb(clBlue));
  c->Show();
  s = CaptureScreen();
  EXPECT_EQ(At(s, p, Point(30, 30)), Rgb(clRed));
}

TEST_F(PaintTest, ParentsPaintBeforeTheirChildrenAndBackSiblingsBeforeFrontOnes) {
  TForm* f = ShownForm();
  TPaintBox* p = MakeBox(f, Bounds(10, 10, 200, 100), clWindow);
  TPaintBox* a = MakeBox(p, Bounds(10, 10, 50, 50), clWindow);
  TPaintBox* b = MakeBox(p, Bounds(40, 40, 50, 50), clWindow);  // made later: in front of a
  CaptureScreen();
  std::string order;
  p->OnPaintCanvas = [&](TPaintBox& B) {
    order += "p";
    FillAll(B, clBlue);
  };
  a->OnPaintCanvas = [&](TPaintBox& B) {
    order += "a";
    FillAll(B, clRed);
  };
  b->OnPaintCanvas = [&](TPaintBox& B) {
    order += "b";
    FillAll(B, clLime);
  };
  b->Invalidate();
  a->Invalidate();
  p->Invalidate();
  TSurface s = CaptureScreen();
  EXPECT_EQ(order, "pab");
  EXPECT_EQ(At(s, a, Point(35, 35)), Rgb(clLime));  // where they overlap, the front one shows
  EXPECT_EQ(At(s, a, Point(5, 5)), Rgb(clRed));
  // Painted again alone, the back sibling still stays behind the front one.
  a->Repaint();
  EXPECT_EQ(At(CaptureScreen(), a, Point(35, 35)), Rgb(clLime));
}

TEST_F(PaintTest, EraseFillsTheControlsColourFirstAndOnlyWhenAsked) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 60, 40), clWindow);
  b->OnPaintCanvas = [](TPaintBox& B) {
    B.Canvas()->Brush()->SetColor(clRed);
    B.Canvas()->FillRect(TRect{0, 0, 4, 4});
  };
  TSurface s = CaptureScreen();
  EXPECT_EQ(At(s, b, Point(0, 0)), Rgb(clRed));
  EXPECT_EQ(At(s, b, Point(30, 20)), Rgb(clWindow));

  b->SetColor(clYellow);
  ValidateRect(b->Handle(), nullptr);  // forget the erase the colour change asked for
  InvalidateRect(b->Handle(), nullptr, false);
  s = CaptureScreen();
  EXPECT_EQ(b->PaintCalls, 2);
  EXPECT_EQ(At(s, b, Point(30, 20)), Rgb(clWindow));  // painted, not erased
  TRect part{20, 10, 40, 30};
  InvalidateRect(b->Handle(), &part, true);
  s = CaptureScreen();
  EXPECT_EQ(b->PaintCalls, 3);
  EXPECT_EQ(At(s, b, Point(30, 20)), Rgb(clYellow));
  EXPECT_EQ(At(s, b, Point(0, 0)), Rgb(clRed));
  // The colour change itself erases (a control that does not paint every pixel).
  b->SetColor(clAqua);
  s = CaptureScreen();
  EXPECT_EQ(At(s, b, Point(59, 39)), Rgb(clAqua));
}

TEST_F(PaintTest, GetDCDrawsOnTheClientAreaAndGetDCOfNothingOnlyMeasures) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 60, 40), clWindow, 0, WS_EX_CLIENTEDGE);
  CaptureScreen();
  HDC dc = GetDC(b->Handle());
  ASSERT_NE(dc, nullptr);
  FillRect(dc, TRect{-10, -10, 5, 5}, clRed);
  ReleaseDC(b->Handle(), dc);
  TSurface s = CaptureScreen();
  EXPECT_EQ(At(s, b, Point(0, 0)), Rgb(clRed));
  EXPECT_EQ(At(s, b, Point(5, 5)), Rgb(clWindow));
  EXPECT_EQ(At(s, b, Point(-1, 0)), Rgb(cl3DDkShadow));  // the edge is not the client's

  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->Surface, nullptr);
  TEXTMETRIC tm;
  EXPECT_TRUE(GetTextMetricsA(screen, &tm));
  EXPECT_GT(tm.tmHeight, 0);
  ReleaseDC(nullptr, screen);
}

// ---- the frame ------------------------------------------------------------------------------

struct FrameCase {
  DWORD Style;
  DWORD ExStyle;
  std::vector<TColor> Ring;  // the frame's pixels from the outside in, on the left side
};

class FrameTest : public PaintTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, TheFrameDrawnIsTheSizeAdjustWindowRectExReports) {
  const FrameCase& fc = GetParam();
  TRect adjusted{0, 0, 0, 0};
  AdjustWindowRectEx(adjusted, fc.Style, false, fc.ExStyle);
  int n = static_cast<int>(fc.Ring.size());
  ASSERT_EQ(-adjusted.Left, n);
  ASSERT_EQ(adjusted.Right, n);

  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 80, 60), clWindow, fc.Style, fc.ExStyle);
  b->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clLime); };
  TSurface s = CaptureScreen();
  TRect w;
  GetWindowRect(b->Handle(), w);
  EXPECT_EQ(b->ClientWidth(), 80 - 2 * n);
  int y = w.Top + 30;
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(s.Pixel(w.Left + i, y), Rgb(fc.Ring[static_cast<size_t>(i)])) << "left ring " << i;
  }
  EXPECT_EQ(s.Pixel(w.Left + n, y), Rgb(clLime));
  EXPECT_EQ(s.Pixel(w.Right - 1 - n, y), Rgb(clLime));
  EXPECT_EQ(s.Pixel(w.Left + 40, w.Top + n), Rgb(clLime));
  EXPECT_EQ(s.Pixel(w.Left + 40, w.Bottom - 1 - n), Rgb(clLime));
  if (n > 0) {
    EXPECT_NE(s.Pixel(w.Right - n, y), Rgb(clLime));
    EXPECT_NE(s.Pixel(w.Left + 40, w.Top + n - 1), Rgb(clLime));
    EXPECT_NE(s.Pixel(w.Left + 40, w.Bottom - n), Rgb(clLime));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FrameTest,
    ::testing::Values(FrameCase{0, 0, {}}, FrameCase{WS_BORDER, 0, {clWindowFrame}},
                      FrameCase{0, WS_EX_CLIENTEDGE, {clBtnShadow, cl3DDkShadow}},
                      FrameCase{WS_BORDER, WS_EX_CLIENTEDGE, {clWindowFrame, clBtnShadow, cl3DDkShadow}}));

TEST_F(PaintTest, AFormShowsItsCaptionActiveOrInactive) {
  TForm* f = ShownForm();
  f->SetCaption("Orders");
  TSurface s = CaptureScreen();
  // The caption bar lies inside the 4-pixel frame; its top row holds no text.
  EXPECT_EQ(s.Pixel(300, 104), Rgb(clActiveCaption));
  EXPECT_EQ(s.Pixel(300, 121), Rgb(clActiveCaption));
  EXPECT_EQ(s.Pixel(300, 122), Rgb(f->Color()));  // the client area below it
  EXPECT_EQ(s.Pixel(100, 200), Rgb(cl3DLight));   // the raised frame's outer ring

  auto* other = new TForm(Application);
  other->SetBounds(300, 300, 200, 100);
  other->Show();
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(300, 104), Rgb(clInactiveCaption));
  EXPECT_EQ(s.Pixel(350, 304), Rgb(clActiveCaption));
  EXPECT_EQ(s.Pixel(350, 380), Rgb(other->Color()));  // the front form covers the back one
}

// ---- the scroll bar -------------------------------------------------------------------------

class ScrollBarPaintTest : public PaintTest {
 protected:
  void SetUp() override {
    PaintTest::SetUp();
    Form = ShownForm();
    Box = MakeBox(Form, Bounds(10, 10, 120, 150), clWindow, WS_BORDER);
    Box->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clWindow); };
  }
  void SetRange(int Max, int Page, int Pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = Max;
    si.nPage = static_cast<UINT>(Page);
    si.nPos = Pos;
    SetScrollInfo(Box->Handle(), SB_VERT, si, true);
  }
  // A window point on the screen.
  TPoint Screen(TPoint WindowPoint) {
    TRect w;
    GetWindowRect(Box->Handle(), w);
    return Point(w.Left + WindowPoint.X, w.Top + WindowPoint.Y);
  }
  TColor Pixel(const TSurface& S, TPoint WindowPoint) {
    TPoint p = Screen(WindowPoint);
    return S.Pixel(p.X, p.Y);
  }
  static TPoint Center(const TRect& R) { return Point((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }
  TForm* Form = nullptr;
  TPaintBox* Box = nullptr;
};

TEST_F(ScrollBarPaintTest, TheBarShowsWithItsRangeAndGoesWithIt) {
  TSurface s = CaptureScreen();
  TScrollBarLayout l;
  EXPECT_FALSE(GetScrollBarLayout(Box->Handle(), l));
  EXPECT_EQ(Pixel(s, Point(110, 75)), Rgb(clWindow));

  SetRange(99, 10, 0);
  s = CaptureScreen();
  ASSERT_TRUE(GetScrollBarLayout(Box->Handle(), l));
  EXPECT_EQ(l.Bar, (TRect{120 - 1 - 16, 1, 119, 149}));
  EXPECT_EQ(Box->ClientWidth(), 118 - 16);
  // Arrow buttons raised, the thumb raised at the top of the track, the checkered track below.
  EXPECT_EQ(Pixel(s, TL(l.UpArrow)), Rgb(cl3DLight));
  EXPECT_EQ(Pixel(s, TL(l.DownArrow)), Rgb(cl3DLight));
  EXPECT_EQ(Pixel(s, Point(l.DownArrow.Right - 1, l.DownArrow.Bottom - 1)), Rgb(cl3DDkShadow));
  EXPECT_EQ(l.Thumb.Top, l.UpArrow.Bottom);
  EXPECT_EQ(Pixel(s, TL(l.Thumb)), Rgb(cl3DLight));
  EXPECT_EQ(Pixel(s, Center(l.Thumb)), Rgb(clBtnFace));
  TPoint track{l.Bar.Left + 6, l.Thumb.Bottom + 10};
  TColor a = Pixel(s, track), b = Pixel(s, Point(track.X + 1, track.Y));
  EXPECT_NE(a, b);
  EXPECT_TRUE(a == Rgb(clBtnHighlight) || a == Rgb(clBtnFace));
  EXPECT_TRUE(b == Rgb(clBtnHighlight) || b == Rgb(clBtnFace));
  EXPECT_EQ(Pixel(s, Point(l.Bar.Left - 1, 75)), Rgb(clWindow));  // the client ends at the bar

  // An empty range hides it again; the client area takes its place back.
  SetRange(0, 0, 0);
  s = CaptureScreen();
  EXPECT_FALSE(GetScrollBarLayout(Box->Handle(), l));
  EXPECT_EQ(Box->ClientWidth(), 118);
  EXPECT_EQ(Pixel(s, Point(110, 75)), Rgb(clWindow));
}

TEST_F(ScrollBarPaintTest, TheThumbIsDrawnWhereHitTestingFindsIt) {
  SetRange(99, 10, 50);
  TSurface s = CaptureScreen();
  TScrollBarLayout l;
  ASSERT_TRUE(GetScrollBarLayout(Box->Handle(), l));
  ASSERT_FALSE(l.Thumb.IsEmpty());
  EXPECT_GT(l.Thumb.Top, l.UpArrow.Bottom + 20);
  EXPECT_EQ(Pixel(s, TL(l.Thumb)), Rgb(cl3DLight));
  EXPECT_EQ(Pixel(s, Point(l.Thumb.Right - 1, l.Thumb.Bottom - 1)), Rgb(cl3DDkShadow));
  EXPECT_EQ(SendMessage(Box->Handle(), WM_NCHITTEST, 0, PointToLParam(Screen(Center(l.Thumb)))), HTVSCROLL);

  // Pressing the drawn thumb grabs it; dragging moves the drawn thumb with the pointer.
  sim::MouseDown(Screen(Center(l.Thumb)));
  ASSERT_TRUE(GetScrollBarLayout(Box->Handle(), l));
  EXPECT_EQ(l.PressedPart, sbpThumb);
  TRect before = l.Thumb;
  sim::MouseMove(Screen(Point(Center(before).X, Center(before).Y + 20)));
  s = CaptureScreen();
  ASSERT_TRUE(GetScrollBarLayout(Box->Handle(), l));
  EXPECT_EQ(l.Thumb.Top, before.Top + 20);
  EXPECT_EQ(Pixel(s, TL(l.Thumb)), Rgb(cl3DLight));
  TPoint old = Center(before);  // the track's checker where the thumb was
  EXPECT_NE(Pixel(s, old), Pixel(s, Point(old.X + 1, old.Y)));
  sim::MouseUp(Screen(Point(Center(before).X, Center(before).Y + 20)));
}

TEST_F(ScrollBarPaintTest, APressedArrowLooksPushedUntilReleased) {
  SetRange(99, 10, 50);
  TScrollBarLayout l;
  ASSERT_TRUE(GetScrollBarLayout(Box->Handle(), l));
  TSurface s = CaptureScreen();
  EXPECT_EQ(Pixel(s, TL(l.DownArrow)), Rgb(cl3DLight));
  sim::MouseDown(Screen(Center(l.DownArrow)));
  s = CaptureScreen();
  EXPECT_EQ(Pixel(s, TL(l.DownArrow)), Rgb(clBtnShadow));
  EXPECT_EQ(Pixel(s, TL(l.UpArrow)), Rgb(cl3DLight));
  sim::MouseUp(Screen(Center(l.DownArrow)));
  s = CaptureScreen();
  EXPECT_EQ(Pixel(s, TL(l.DownArrow)), Rgb(cl3DLight));
}

// ---- controls without a window --------------------------------------------------------------

TEST_F(PaintTest, GraphicControlsPaintAfterTheirParentInZOrderWithinTheirBounds) {
  TForm* f = ShownForm();
  TPaintBox* p = MakeBox(f, Bounds(10, 10, 200, 100), clWindow);
  p->OnPaintCanvas = [](TPaintBox& B) { FillAll(B, clBlue); };
  auto swatch = [&](TRect R, TColor C) {
    auto* g = new TSwatch(p);
    g->SetBoundsRect(R);
    g->SetColor(C);
    g->SetParent(p);
    return g;
  };
  TSwatch* a = swatch(Bounds(10, 10, 30, 20), clRed);
  TSwatch* b = swatch(Bounds(30, 20, 30, 20), clLime);
  TSwatch* edge = swatch(Bounds(190, 90, 30, 30), clYellow);
  TSurface s = CaptureScreen();
  EXPECT_EQ(a->PaintCalls, 1);
  EXPECT_EQ(At(s, p, Point(10, 10)), Rgb(clRed));
  EXPECT_EQ(At(s, p, Point(35, 25)), Rgb(clLime));  // the later one lies on top
  EXPECT_EQ(At(s, p, Point(9, 10)), Rgb(clBlue));
  EXPECT_EQ(At(s, p, Point(10, 30)), Rgb(clBlue));
  EXPECT_EQ(At(s, p, Point(199, 99)), Rgb(clYellow));
  EXPECT_EQ(At(s, p, Point(200, 99)), Rgb(f->Color()));  // clipped to the parent

  // Hidden, its place is painted again without it; moved, its old place too.
  b->Hide();
  s = CaptureScreen();
  EXPECT_EQ(At(s, p, Point(35, 25)), Rgb(clRed));
  EXPECT_EQ(At(s, p, Point(50, 35)), Rgb(clBlue));
  a->SetBounds(100, 10, 30, 20);
  s = CaptureScreen();
  EXPECT_EQ(At(s, p, Point(15, 15)), Rgb(clBlue));
  EXPECT_EQ(At(s, p, Point(105, 15)), Rgb(clRed));
  // Invalidating one repaints the parent's part under it only.
  int parentPaints = p->PaintCalls;
  edge->SetColor(clAqua);
  s = CaptureScreen();
  EXPECT_EQ(p->PaintCalls, parentPaints + 1);
  EXPECT_EQ(At(s, p, Point(195, 95)), Rgb(clAqua));
}

// ---- canvas ---------------------------------------------------------------------------------

TEST_F(PaintTest, TheCanvasFollowsTheControlsFontOutsidePaint) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 100, 40), clWindow);
  auto* g = new TSwatch(f);
  g->SetParent(f);
  int narrow = b->Canvas()->TextWidth("WWWWWWWW");
  EXPECT_EQ(g->Canvas()->TextWidth("WWWWWWWW"), narrow);
  b->Font()->SetSize(b->Font()->Size() * 2);
  int wide = b->Canvas()->TextWidth("WWWWWWWW");
  EXPECT_GT(wide, narrow * 3 / 2);
  EXPECT_TRUE(b->Canvas()->Font()->SameAs(*b->Font()));
  // A font that comes from the parent reaches the canvas of a control that follows it.
  f->Font()->SetName("DejaVu Sans Mono");
  EXPECT_EQ(g->Canvas()->Font()->Name(), "DejaVu Sans Mono");
  EXPECT_NE(b->Canvas()->Font()->Name(), "DejaVu Sans Mono");  // its own font now

  // During Paint the canvas has the font too, and its handle is the paint context.
  int inPaint = 0;
  bool hadTarget = false;
  b->OnPaintCanvas = [&](TPaintBox& B) {
    inPaint = B.Canvas()->TextWidth("WWWWWWWW");
    hadTarget = B.Canvas()->Surface() != nullptr;
  };
  b->Repaint();
  EXPECT_EQ(inPaint, wide);
  EXPECT_TRUE(hadTarget);
  EXPECT_EQ(b->Canvas()->Surface(), nullptr);  // measuring only again
}

TEST_F(PaintTest, UpdateTextFlagsFollowsTheReadingOrder) {
  TForm* f = ShownForm();
  TPaintBox* b = MakeBox(f, Bounds(10, 10, 100, 40), clWindow);
  b->SetBiDiMode(bdRightToLeft);
  b->Canvas()->UpdateTextFlags();
  EXPECT_EQ(b->Canvas()->TextFlags() & ETO_RTLREADING, 0u);  // not in a Middle-East locale
  SysLocale.MiddleEast = true;
  b->Canvas()->UpdateTextFlags();
  EXPECT_EQ(b->Canvas()->TextFlags() & ETO_RTLREADING, ETO_RTLREADING);
  UINT seen = 0;
  b->OnPaintCanvas = [&](TPaintBox& B) { seen = B.Canvas()->TextFlags(); };
  b->SetBiDiMode(bdLeftToRight);
  b->Repaint();
  EXPECT_EQ(seen & ETO_RTLREADING, 0u);  // painting updates them first
}

}  // namespace
