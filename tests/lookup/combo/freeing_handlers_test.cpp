// What the seeded event driver found in the lookup controls, each shrunk to the steps that
// matter: handlers that free the control, its source or its fields while it works.
#include <gtest/gtest.h>

#include "lookup/combo/combo_test_util.h"

using namespace vcl;
using namespace ktlookup;
using kttest::ComboTest;
using kttest::TTestCombo;

TEST_F(ComboTest, ARowCountChangeWhoseOnResizeFreesTheList) {
  // Seed 57: EmptyDisplay and titles re-count the rows; the new height's OnResize freed the
  // list and the list went on painting.
  for (int change = 0; change < 2; ++change) {
    auto* l = new TKtDBLookupList(Form);
    l->SetParent(Form);
    l->SetRowCount(1);  // one row: the new row needs a band of its own
    l->HandleNeeded();
    TObject* self = l;
    l->SetOnResize([&self](TObject*) {
      delete self;
      self = nullptr;
    });
    if (change == 0)
      l->SetEmptyDisplay("(none)");
    else
      l->SetOptions({loTitles});
    EXPECT_EQ(self, nullptr);
  }
}

TEST_F(ComboTest, ASourceFreedWhileAListBindsToIt) {
  // Seed 119: binding the list posted the table's pending edit; the source's OnStateChange
  // freed the source, and the list asked the freed source for its free notification.
  auto* l = new TKtDBLookupList(Form);
  l->SetParent(Form);
  l->SetKeyField("CustNo");
  l->SetListField("Name");
  l->SetKeyValue(2);
  auto* source = new TDataSource(Form);
  source->SetDataSet(Customers);
  Customers->Edit();
  TDataSource* doomed = source;
  source->SetOnStateChange([&doomed](TObject*) {
    delete doomed;
    doomed = nullptr;
  });
  l->SetListSource(source);
  EXPECT_EQ(doomed, nullptr);
  EXPECT_EQ(l->ListSource(), nullptr);
}

TEST_F(ComboTest, AnAfterSearchKeyHandlerFreesTheList) {
  // Seed 540: the list's search called AfterSearchKey in place, and the handler's freeing of the
  // list destroyed the handler while it ran.
  auto* l = new TKtDBLookupList(Form);
  l->SetParent(Form);
  l->SetListSource(CustSource);
  l->SetKeyField("CustNo");
  l->SetListField("Name");
  TObject* self = l;
  l->SetAfterSearchKey([&self](TObject*) {
    delete self;
    self = nullptr;
  });
  l->SetFocus();
  sim::TypeText("sm");
  EXPECT_EQ(self, nullptr);
}

TEST_F(ComboTest, LeavingWithARowTheFieldRefusesShowsTheFieldsKey) {
  // Seed 1533: the list was moved with the keys, the focus left, the close-up took the row, the
  // field refused it, and the combo went on showing the refused key.
  TTestCombo* c = MakeBoundCombo();
  Orders->FieldByName("CustNo")->SetOnValidate([](TField* F) {
    if (F->AsInteger() == 3) throw Exception("Customer 3 is on hold");
  });
  Application->SetOnException([](TObject*, const std::exception&) {});
  c->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_DOWN);  // smythe, 3
  ASSERT_EQ(Key(c), 3);
  Other->SetFocus();
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Field(Orders), 2);
  EXPECT_EQ(Key(c), 2);
}

TEST_F(ComboTest, DisablingACombosWhoseOnExitFreesIt) {
  // Seed 942: disabling the focused combo moved the focus; its exit handler freed it, and the
  // combo went on passing the state to its edits.
  TTestCombo* c = MakeBoundCombo();
  c->SetFocus();
  TObject* self = c;
  c->SetOnSpecialEvent([&self](TObject*, TSpecialEventType E) {
    if (E != seLostFocus) return;
    delete self;
    self = nullptr;
  });
  c->SetEnabled(false);
  EXPECT_EQ(self, nullptr);
}

TEST_F(ComboTest, AnEscapeWhoseLocatingFreesTheCombo) {
  // Seed 3381: Escape put the lookup table back on the key's row; its AfterScroll freed the
  // combo, and the combo went on reading its field.
  TTestCombo* c = MakeBoundCombo();
  c->SetFocus();
  Customers->Last();
  TObject* self = c;
  Customers->SetAfterScroll([&self](TDataSet*) {
    delete self;
    self = nullptr;
  });
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(self, nullptr);
}

TEST_F(ComboTest, ACloseUpHandlerThatRaisesKeepsTheListOpenUnlessTheFocusLeaves) {
  // Seed 9150: a press on another form took the focus; the close-up's handler aborted, and the
  // list stayed open beside a combo without the focus.
  TTestCombo* c = MakeBoundCombo();
  c->SetOnSpecialEvent([](TObject*, TSpecialEventType E) {
    if (E == seCloseUp) throw EAbort("not now");
  });
  c->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_DOWN);
  sim::PressKey(VK_RETURN);
  EXPECT_TRUE(c->FListVisible);
  Other->SetFocus();
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Key(c), 2);
  EXPECT_EQ(Field(Orders), 2);
}

TEST_F(ComboTest, TheFormNeverSeesTheKeysTriedOnTheHiddenCopyOfTheEdit) {
  // Seed 9335: RestrictToList tries each keystroke on a hidden copy of the edit; the form's
  // preview of the copy's key-up freed the combo, and the copy with it, while it was tried.
  TTestCombo* c = MakeCombo();
  c->SetRestrictToList(true);
  c->SetFocus();
  sim::TypeText("smi");
  sim::PressKey(VK_LEFT);
  Form->SetKeyPreview(true);
  int keyUps = 0;
  TObject* self = c;
  Form->SetOnKeyUp([&](TObject*, Word&, TShiftState) {
    ++keyUps;
    delete self;
    self = nullptr;
  });
  sim::PressKey(VK_DELETE);
  EXPECT_EQ(keyUps, 1);
  EXPECT_EQ(self, nullptr);
}

TEST_F(ComboTest, AListFreedWhileItRemembersACalculatedColumn) {
  // Seed 12102: with keys that rows share, a move of the lookup table had the list remember the
  // row's columns; reading a calculated one freed the list, and the list went on writing.
  Customers->Close();
  Customers->AddCalcField("Upper", ftString);
  Customers->Open();
  auto* l = new TKtDBLookupList(Form);
  l->SetParent(Form);
  l->SetListSource(CustSource);
  l->SetKeyField("City");
  l->SetListField("Upper");
  l->SetKeyIsUnique(false);
  TObject* self = l;
  Customers->SetOnCalcFields([&self](TDataSet*) {
    delete self;
    self = nullptr;
  });
  Customers->Next();
  EXPECT_EQ(self, nullptr);
}
