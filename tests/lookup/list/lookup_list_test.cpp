#include "lookup/list/lookup_list.h"

#include <gtest/gtest.h>

#include "lookup/list/list_test_util.h"

using namespace vcl;
using namespace ktlookup;
using kttest::ListTest;
using kttest::TTestList;

namespace {

int CustNoOf(TDataSet* D) {
  return D->FieldByName("CustNo")->IsNull() ? -1 : D->FieldByName("CustNo")->AsInteger();
}

}  // namespace

// ---- Construction -------------------------------------------------------------------------

TEST_F(ListTest, ConstructionGivesTheDocumentedDefaults) {
  auto* l = new TTestList(Form);
  EXPECT_EQ(l->BorderStyle(), bsSingle);
  EXPECT_EQ(l->HighlightColor(), clHighlight);
  EXPECT_EQ(l->HighlightFontColor(), clHighlightText);
  EXPECT_EQ(l->TitleColor(), clBtnFace);
  EXPECT_EQ(l->TitleFontColor(), clBtnText);
  EXPECT_FALSE(l->LocateOnEnter());
  EXPECT_FALSE(l->LocateOnExit());
  EXPECT_TRUE(l->Options().Empty());
  EXPECT_TRUE(l->ShowSearchText());
  EXPECT_EQ(l->RowCount(), 7);
  EXPECT_EQ(l->Width(), 121);
  EXPECT_EQ(l->Height(), 7 * l->GetTextHeight() + l->GetBorderSize() - 1);
  EXPECT_EQ(l->FLastMouseRow, -2);
  EXPECT_EQ(l->FSearchTextWindow->Color(), clInfoBk);
  EXPECT_EQ(l->FSearchTextWindow->Owner(), l);
  // Clicks come from the selection and the mouse is captured only while tracking.
  EXPECT_TRUE(l->ControlStyle().Contains(csDoubleClicks));
  EXPECT_FALSE(l->ControlStyle().Contains(csClickEvents));
  EXPECT_FALSE(l->ControlStyle().Contains(csCaptureMouse));

  auto* p = new TKtPopupDataList(Form);
  EXPECT_FALSE(p->ShowSearchText());
  EXPECT_TRUE(p->ControlStyle().Contains(csNoDesignVisible));
  EXPECT_TRUE(p->ControlStyle().Contains(csReplicatable));
}

// ---- Height snapping ------------------------------------------------------------------------

TEST_F(ListTest, RowCountSnapsTheHeightToWholeRowsAndKeepsOneDataRow) {
  struct Border {
    TBorderStyle Style;
    bool Ctl3D;
    int Size;  // what the frame adds to the height
  };
  const Border borders[] = {{bsSingle, true, 4}, {bsSingle, false, 2}, {bsNone, true, 0}};
  for (const Border& b : borders)
    for (int titles = 0; titles <= 1; ++titles)
      for (int empty = 0; empty <= 1; ++empty)
        for (int rows : {0, 1, 7, 100, 250}) {
          SCOPED_TRACE(testing::Message() << "border " << b.Size << " titles " << titles << " empty " << empty
                                          << " rows " << rows);
          TTestList* l = MakeList();
          l->SetBorderStyle(b.Style);
          l->SetCtl3D(b.Ctl3D);
          if (titles) l->SetOptions({loTitles});
          if (empty) l->SetEmptyDisplay("(none)");
          l->SetRowCount(rows);
          const int expected = std::max(std::clamp(rows, 1, 100), 1 + titles + empty);
          EXPECT_EQ(l->GetBorderSize(), b.Size);
          EXPECT_EQ(l->RowCount(), expected);
          EXPECT_EQ(l->Height(), b.Size + expected * l->GetTextHeight() - 1);
          EXPECT_EQ(l->GetDataRows(), expected - titles - empty);
          EXPECT_EQ(l->FListLink->BufferCount(), l->GetDataRows());
          delete l;
        }
  // Old-style controls get a plain border whatever Ctl3D says.
  NewStyleControls = false;
  TTestList* old = MakeList();
  EXPECT_EQ(old->GetBorderSize(), 2);
}

TEST_F(ListTest, HeightFontAndBorderChangesKeepTheRowsWhole) {
  TTestList* l = MakeList();
  const int b = l->GetBorderSize(), rh = l->GetTextHeight();
  l->SetHeight(b + 3 * rh + 5);  // between two whole rows: snaps down
  EXPECT_EQ(l->RowCount(), 3);
  EXPECT_EQ(l->Height(), b + 3 * rh - 1);
  EXPECT_EQ(l->ClientHeight(), 3 * rh - 1);

  // A bigger font keeps the height, so fewer rows fit.
  l->SetRowCount(6);
  const int height = l->Height();
  l->Font()->SetSize(14);
  const int bigRh = l->GetTextHeight();
  ASSERT_GT(bigRh, rh);
  EXPECT_EQ(l->RowCount(), (height - b + 1) / bigRh);
  EXPECT_EQ(l->FListLink->BufferCount(), l->RowCount());

  // A new border keeps the rows and changes the height.
  const int rows = l->RowCount();
  l->SetBorderStyle(bsNone);
  EXPECT_EQ(l->RowCount(), rows);
  EXPECT_EQ(l->Height(), rows * bigRh - 1);
  l->SetBorderStyle(bsSingle);
  l->SetCtl3D(false);
  EXPECT_EQ(l->RowCount(), rows);
  EXPECT_EQ(l->Height(), 2 + rows * bigRh - 1);
}

TEST_F(ListTest, TheBufferFollowsTheDataRows) {
  TTestList* l = MakeList("Name", 5);
  EXPECT_EQ(l->FListLink->BufferCount(), 5);
  EXPECT_EQ(l->FBufferRecordCount, 5);
  l->SetEmptyDisplay("(none)");
  EXPECT_EQ(l->RowCount(), 5);
  EXPECT_EQ(l->FListLink->BufferCount(), 4);
  EXPECT_EQ(l->FBufferRecordCount, 4);
  l->SetOptions({loTitles});
  EXPECT_EQ(l->FListLink->BufferCount(), 3);
  l->SetOptions({loRowLines});  // only repaints
  EXPECT_EQ(l->FListLink->BufferCount(), 4);
  l->SetEmptyDisplay("");
  EXPECT_EQ(l->FListLink->BufferCount(), 5);
  l->SetRowCount(2);
  EXPECT_EQ(l->FBufferRecordCount, 2);

  // With titles and the empty row, a one-record table still shows its record.
  Customers->Last();
  while (Customers->RecordCount() > 1) Customers->Delete();
  l->SetOptions({loTitles});
  l->SetEmptyDisplay("(none)");
  l->SetRowCount(1);
  EXPECT_EQ(l->RowCount(), 3);
  EXPECT_EQ(l->FListLink->BufferCount(), 1);
  EXPECT_EQ(l->FBufferRecordCount, 1);
}

// ---- Selection ------------------------------------------------------------------------------

TEST_F(ListTest, SelectItemAtChoosesTheRowUnderY) {
  TTestList* l = MakeBoundList();
  l->SetOptions({loTitles});
  l->SetEmptyDisplay("(none)");  // 7 rows: title, empty row and five data rows
  const int rh = l->GetTextHeight();
  struct Case {
    int Y;
    int CustNo;  // written into the order; -1 Null
  } cases[] = {
      {-5, 1},               // above: the title row, two records above the current (at the top: the first)
      {rh + 3, -1},          // the empty row
      {2 * rh, 1},           // data row 0
      {4 * rh + rh - 2, 3},  // data row 2, its last cell line
      {10000, 5},            // below: the last band
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Y);
    Customers->Locate("CustNo", 3, {});  // the current record in row 2
    l->SelectItemAt(0, c.Y);
    EXPECT_EQ(CustNoOf(Orders), c.CustNo);
    EXPECT_EQ(l->FSelectedText, c.CustNo < 0 ? "(none)" : Customers->FieldByName("Name")->AsString());
  }
  EXPECT_EQ(l->GetClickedRow(0), -2);
  EXPECT_EQ(l->GetClickedRow(rh), -1);
  EXPECT_TRUE(l->IsMouseOnTitle(rh));
  EXPECT_FALSE(l->IsMouseOnTitle(rh + 1));
}

TEST_F(ListTest, AKeyChangePositionsTheListOnTheKeysRow) {
  TTestList* l = MakeList();
  l->SetKeyValue(4);
  EXPECT_EQ(CustNoOf(Customers), 4);
  EXPECT_EQ(l->FSelectedText, "Jones");
  EXPECT_EQ(l->FActiveRecordIndex, Customers->RecNo() - 1);
  EXPECT_TRUE(l->FKeySelected);
  l->SetKeyValue(99);  // not in the table: the list goes to its first record
  EXPECT_EQ(CustNoOf(Customers), 1);
  EXPECT_TRUE(l->FKeySelected);  // a key is selected, though not shown
  l->SetEmptyDisplay("(none)");
  l->SetKeyValue(Variant(Null));
  EXPECT_EQ(l->FSelectedText, "(none)");
  EXPECT_FALSE(l->FKeySelected);  // nothing selected and the table at its beginning
}

TEST_F(ListTest, HighlightItemNeedsAPopupDroppedDownByACombo) {
  TTestList* l = MakeList();
  l->SetKeyValue(2);
  EXPECT_FALSE(l->HighlightItem());
  auto* p = new TKtPopupDataList(Form);
  p->SetParent(Form);  // a form cannot tell an edit text
  p->SetListSource(CustSource);
  p->SetKeyField("CustNo");
  p->SetListField("Name");
  p->SetKeyValue(2);
  EXPECT_FALSE(p->HighlightItem());
}
