#include "platform/gfx/font_engine.h"

#include <gtest/gtest.h>

#include "platform/gfx/canvas.h"
#include "platform/gfx/gdi.h"

using namespace vcl;

namespace {
HFONT Font(int Height, TFontStyles Style = {}, const std::string& Name = "DejaVu Sans") {
  return ResolveFont(Name, Height, Style);
}
}  // namespace

TEST(FontEngine, DefaultFontIsDejaVuSansWithAThirteenPixelCell) {
  HFONT f = DefaultFont();
  EXPECT_EQ(f->FamilyName(), "DejaVu Sans");
  const TFontMetrics& m = f->Metrics();
  EXPECT_EQ(m.Height, m.Ascent + m.Descent);
  EXPECT_EQ(m.Height, 13);
  EXPECT_EQ(m.InternalLeading, m.Height - 11);  // -11 is the em height
  EXPECT_EQ(m.Weight, 400);
  EXPECT_EQ(f, TFont().Handle());  // a default TFont resolves to the same cached resource
}

TEST(FontEngine, PositiveHeightIsTheCellHeight) {
  for (int h : {13, 16, 20, 32}) EXPECT_NEAR(Font(h)->Metrics().Height, h, 1) << h;
  EXPECT_GT(Font(-20)->Metrics().Height, Font(-11)->Metrics().Height);
  EXPECT_EQ(Font(0), Font(-11));  // 0 is the default height
}

TEST(FontEngine, StylesFindTheirFaces) {
  EXPECT_NE(Font(-11, fsBold)->FileName(), Font(-11)->FileName());
  EXPECT_NE(Font(-11, fsItalic)->FileName(), Font(-11)->FileName());
  EXPECT_NE(Font(-11, {fsBold, fsItalic})->FileName(), Font(-11, fsBold)->FileName());
  EXPECT_EQ(Font(-11, fsBold)->Metrics().Weight, 700);
  EXPECT_TRUE(Font(-11, fsUnderline)->Metrics().Underline);
  EXPECT_EQ(Font(-11, fsBold), Font(-11, fsBold));
}

TEST(FontEngine, UnknownFamilyFallsBackToDejaVu) {
  EXPECT_EQ(Font(-11, {}, "No Such Font Family")->FamilyName(), "DejaVu Sans");
  EXPECT_EQ(Font(-11, fsBold, "MS Sans Serif")->Metrics().Weight, 700);
  EXPECT_EQ(ResolveFont("Nope", -11, {}, fpFixed)->FamilyName(), "DejaVu Sans Mono");
}

TEST(FontEngine, WidthsAreWholePixelSumsOfCharacters) {
  HFONT f = DefaultFont();
  EXPECT_EQ(f->TextWidth("0000"), 4 * f->TextWidth("0"));
  EXPECT_EQ(f->TextWidth("Hg"), f->CharWidth('H') + f->CharWidth('g'));
  EXPECT_GT(f->TextWidth("WWW"), f->TextWidth("iii"));
  EXPECT_EQ(f->TextWidth(""), 0);
  for (const char* s : {"Hello", "Lookup combo", "0123456789"})
    EXPECT_GE(Font(-11, fsBold)->TextWidth(s), f->TextWidth(s)) << s;
  EXPECT_EQ(f->Metrics().AveCharWidth, f->CharWidth('x'));
  EXPECT_GE(f->Metrics().MaxCharWidth, f->CharWidth('W'));
}

TEST(FontEngine, Windows1252MapsToUnicode) {
  EXPECT_EQ(Cp1252ToUnicode('A'), U'A');
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x8A), U'\u0160');
  EXPECT_EQ(Cp1252ToUnicode(0x99), U'\u2122');
  EXPECT_EQ(Cp1252ToUnicode(0x81), U'\u0081');  // unassigned: same code point
  EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
  HFONT f = DefaultFont();
  for (int c : {0x80, 0x8A, 0x99, 0xE9, 0xFC, 0xDF}) {
    EXPECT_TRUE(f->HasGlyph(c)) << int(c);
    EXPECT_GT(f->Glyph(c).Coverage.size(), 0u) << int(c);
  }
}

TEST(FontEngine, GlyphsSitOnTheBaselineWithinTheCell) {
  HFONT f = DefaultFont();
  const TFontMetrics& m = f->Metrics();
  for (int c : {int('H'), int('g'), int('j'), 0xC9 /* É */, int('|')}) {
    const TGlyph& g = f->Glyph(c);
    EXPECT_LE(g.Top, m.Ascent) << c;            // not above the cell
    EXPECT_LE(g.Rows - g.Top, m.Descent) << c;  // not below it
  }
  EXPECT_EQ(f->Glyph('H').Rows, f->Glyph('H').Top);  // a capital ends on the baseline
  EXPECT_EQ(&f->Glyph('A'), &f->Glyph('A'));         // cached
}

TEST(FontEngine, MetricsThroughADeviceContext) {
  HDC dc = CreateMeasureDC();
  TFont font;
  font.SetStyle(fsBold);
  const HGDIOBJ previous = SelectObject(dc, font.Handle());
  EXPECT_EQ(previous, DefaultFont());
  TEXTMETRIC tm;
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(tm.tmWeight, 700);
  EXPECT_EQ(SelectObject(dc, previous), font.Handle());
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(tm.tmWeight, 400);
  EXPECT_EQ(tm.tmHeight, 13);
  TSize size;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "0000", 4, &size));
  EXPECT_EQ(size.cy, 13);
  EXPECT_EQ(size.cx, DefaultFont()->TextWidth("0000"));
  DeleteDC(dc);
}
