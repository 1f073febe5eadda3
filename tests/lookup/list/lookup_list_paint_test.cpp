// The list's bands as they land on the screen.
#include <gtest/gtest.h>

#include "lookup/list/list_test_util.h"

using namespace vcl;
using namespace ktlookup;
using kttest::ListTest;
using kttest::TTestList;

namespace {

// A control that drops a popup list down and tells it its text.
class TTextHost : public TCustomControl, public TKtPopupListHost {
 public:
  explicit TTextHost(TComponent* AOwner) : TCustomControl(AOwner) {}
  std::string GetEditText() override { return Text; }
  std::string Text;
};

}  // namespace

class ListPaintTest : public ListTest {
 protected:
  // The colour at the right end of a band (the last column, where no text reaches).
  TColor BandColor(TTestList* L, int Band) {
    return At(L, L->ClientWidth() - 2, L->GetTextHeight() * Band + 3);
  }
  TRect BandRect(TTestList* L, int Band, int Left = 0, int Right = -1) {
    const int rh = L->GetTextHeight();
    return TRect{Left, Band * rh, Right < 0 ? L->ClientWidth() : Right, Band * rh + rh - 1};
  }
};

TEST_F(ListPaintTest, TitleEmptyRowSelectionAndBlankBands) {
  TTestList* l = MakeBoundList("Name;City", 8);
  l->SetOptions({loTitles});
  l->SetEmptyDisplay("(none)");
  l->SetEmptyItemColor(clYellow);
  l->SetEmptyItemFontColor(clRed);
  Shot();  // the order's customer is 2 (SMITH)
  EXPECT_EQ(BandColor(l, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(BandColor(l, 1), ColorToRGB(clYellow));
  EXPECT_TRUE(Has(l, BandRect(l, 1), clRed));
  EXPECT_EQ(BandColor(l, 2), ColorToRGB(clWindow));     // Abbott
  EXPECT_EQ(BandColor(l, 3), ColorToRGB(clHighlight));  // SMITH, selected
  EXPECT_TRUE(Has(l, BandRect(l, 3), clHighlightText));
  EXPECT_EQ(BandColor(l, 7), ColorToRGB(clWindow));  // no record
  EXPECT_EQ(Ink(l, BandRect(l, 7), clWindow).first, -1);

  Orders->Next();  // an order without a customer: the empty row is the selection
  Shot();
  EXPECT_EQ(BandColor(l, 1), ColorToRGB(clHighlight));
  EXPECT_EQ(BandColor(l, 3), ColorToRGB(clWindow));
}

TEST_F(ListPaintTest, GridLinesTakeThePenOfTheirRowsColour) {
  Customers->FieldByName("Name")->SetDisplayWidth(8);
  TTestList* l = MakeList("Name;City");
  const int rh = l->GetTextHeight();
  const int w0 = 8 * l->Canvas()->TextWidth("0") + 4;
  l->SetOptions({loColLines, loRowLines});
  Shot();
  EXPECT_EQ(At(l, 50, rh - 1), ColorToRGB(clBtnFace));  // the line under row 0
  EXPECT_EQ(At(l, w0, 3), ColorToRGB(clBtnFace));       // between the columns
  EXPECT_EQ(At(l, w0 + 1, 3), ColorToRGB(clWindow));    // the next cell starts right of it
  l->SetColor(clBtnFace);  // rows in the button face colour draw their lines in the shadow
  Shot();
  EXPECT_EQ(At(l, 50, rh - 1), ColorToRGB(clBtnShadow));
  EXPECT_EQ(At(l, w0, 3), ColorToRGB(clBtnShadow));

  // Without row lines the band's last line is the window's background.
  l->SetColor(clWindow);
  l->SetOptions({});
  Shot();
  EXPECT_EQ(At(l, 50, rh - 1), ColorToRGB(clWindow));
  EXPECT_EQ(At(l, w0, 3), ColorToRGB(clWindow));
}

TEST_F(ListPaintTest, TitleCellsAreRaisedWithBothGridLines) {
  Customers->FieldByName("Name")->SetDisplayWidth(8);
  TTestList* l = MakeList("Name;City");
  const int rh = l->GetTextHeight();
  const int w0 = 8 * l->Canvas()->TextWidth("0") + 4;
  l->SetOptions({loTitles, loColLines});  // flat
  Shot();
  EXPECT_EQ(At(l, w0 / 2, rh - 1), ColorToRGB(clBtnFace));
  const int flatLeft = Ink(l, TRect{0, 0, w0 - 2, rh - 2}, clBtnFace).first;
  l->SetOptions({loTitles, loColLines, loRowLines});  // raised
  Shot();
  EXPECT_EQ(At(l, w0 / 2, rh - 1), ColorToRGB(clBtnShadow));                      // bottom edge
  EXPECT_EQ(At(l, w0, rh / 2), ColorToRGB(clBtnShadow));                          // right edge
  EXPECT_EQ(At(l, w0 / 2, 0), ColorToRGB(clBtnHighlight));                        // top edge
  EXPECT_EQ(At(l, w0 + 1, rh / 2), ColorToRGB(clBtnHighlight));                   // the next cell's left edge
  EXPECT_EQ(Ink(l, TRect{1, 1, w0 - 2, rh - 2}, clBtnFace).first, flatLeft + 1);  // text 1 pixel right
}

TEST_F(ListPaintTest, ColumnsAreClippedAndAWideColumnHidesTheRest) {
  TField* name = Customers->FieldByName("Name");
  name->SetDisplayWidth(2);
  TTestList* l = MakeList("Name;City");
  const int w0 = 2 * l->Canvas()->TextWidth("0") + 4;
  Shot();
  // "Abbott" is cut at its cell's edge; the city's text starts 2 pixels into its own cell.
  for (int x = w0 - 1; x <= w0 + 1; ++x) EXPECT_EQ(At(l, x, 7), ColorToRGB(clWindow)) << x;
  EXPECT_NE(Ink(l, BandRect(l, 0, w0), clWindow).first, -1);  // Boston
  name->SetDisplayWidth(60);                                  // wider than the list: the city is not drawn
  l->Invalidate();
  Shot();
  EXPECT_EQ(Ink(l, BandRect(l, 0, 120), clWindow).first, -1);
}

TEST_F(ListPaintTest, AlignmentFollowsTheFieldAndMirrorsRightToLeft) {
  Customers->FieldByName("Name")->SetDisplayWidth(20);
  TTestList* l = MakeList("Name;CustNo");
  const int w0 = 20 * l->Canvas()->TextWidth("0") + 4, cw = l->ClientWidth();
  auto inkOf = [&](int Left, int Right) { return Ink(l, BandRect(l, 0, Left, Right), clWindow); };
  Shot();
  EXPECT_LT(inkOf(0, w0).second, w0 / 2);         // a string: left
  EXPECT_GT(inkOf(w0, cw).first, (w0 + cw) / 2);  // a number: right, 3 pixels in
  EXPECT_LE(inkOf(w0, cw).second, cw - 3);

  SysLocale.MiddleEast = true;
  l->SetBiDiMode(bdRightToLeft);
  l->Invalidate();
  Shot();
  EXPECT_GT(inkOf(0, w0).first, w0 / 2);
  EXPECT_LT(inkOf(w0, cw).second, (w0 + cw) / 2);
  SysLocale.MiddleEast = false;
}

TEST_F(ListPaintTest, DisabledListFocusRectangleAndDesigner) {
  TTestList* l = MakeList("Name");
  l->SetOptions({loTitles});
  l->SetKeyValue(2);
  l->SetEnabled(false);
  Shot();
  EXPECT_TRUE(Has(l, BandRect(l, 1), clGrayText));  // Abbott
  EXPECT_FALSE(Has(l, BandRect(l, 1), clWindowText));
  EXPECT_TRUE(Has(l, BandRect(l, 0), clBtnText));        // the title keeps its colours
  EXPECT_TRUE(Has(l, BandRect(l, 2), clHighlightText));  // and so does the selection

  // Nothing selected and the table at its start: the first band gets the focus rectangle
  // while the list has the focus.
  l->SetEnabled(true);
  l->SetKeyValue(Variant(Null));
  const TRect firstTopLine{0, l->GetTextHeight(), l->ClientWidth(), l->GetTextHeight() + 1};
  Shot();
  EXPECT_FALSE(Has(l, firstTopLine, clBlack));
  l->SetFocus();
  Shot();
  EXPECT_TRUE(Has(l, firstTopLine, clBlack));  // the inverted dots
  l->SetDesigning(true);
  l->Invalidate();
  Shot();
  EXPECT_FALSE(Has(l, firstTopLine, clBlack));
}

TEST_F(ListPaintTest, APopupHighlightsItsSelectionOnlyWhenTheTextLeadsIt) {
  auto* host = new TTextHost(Form);
  host->SetBounds(10, 200, 150, 21);
  host->SetParent(Form);
  auto* p = new TKtPopupDataList(host);
  p->SetVisible(false);
  p->SetParent(host);
  p->SetListSource(CustSource);
  p->SetKeyField("CustNo");
  p->SetListField("Name");
  p->SetKeyValue(3);  // smythe
  // Shown as the combo drops it down: placed on the screen, without activation.
  SetWindowPos(p->Handle(), HWND_TOP, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  const int row = Customers->RecNo() - 1;
  const int rh = (p->ClientHeight() + 1) / p->RowCount();
  struct Case {
    const char* Text;
    bool Highlighted;
  } cases[] = {{"", false}, {"SMY", true}, {"smythe", true}, {"smx", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    host->Text = c.Text;
    p->Invalidate();
    TSurface s = CaptureWindow(p);
    const TColor at = s.Pixel(s.Width() - 4, 1 + row * rh + 3);  // inside the one-pixel border
    EXPECT_EQ(at, ColorToRGB(c.Highlighted ? clHighlight : clWindow));
    EXPECT_EQ(p->HighlightItem(), c.Highlighted);
  }
}

TEST_F(ListPaintTest, AGetterThatRaisesLeavesTheCurrentRecordCurrent) {
  TTestList* l = MakeList("Name");
  l->SetKeyValue(2);
  TField* name = Customers->FieldByName("Name");
  name->SetOnGetText([](TField* F, std::string& Text, bool) {
    if (F->DataSet()->FieldByName("CustNo")->AsInteger() == 4) throw Exception("no text");
    Text = F->AsString();
  });
  l->Invalidate();
  Application->SetOnException([](TObject*, const std::exception&) {});
  ProcessPaintMessages();
  EXPECT_EQ(l->FListLink->ActiveRecord(), l->FActiveRecordIndex);
  EXPECT_EQ(Customers->FieldByName("CustNo")->AsInteger(), 2);
  EXPECT_EQ(name->AsString(), "SMITH");
}
