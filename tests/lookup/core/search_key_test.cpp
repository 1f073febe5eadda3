// Incremental search: characters handed to a lookup control search the lookup table by the
// display field's prefix and choose the key of the record found.
#include <gtest/gtest.h>

#include "lookup/core/test_lookup_control.h"

using namespace vcl;
using namespace ktlookup;

namespace {

class SearchKeyTest : public kttest::LookupControlTest {
 protected:
  void SetUp() override {
    LookupControlTest::SetUp();
    C = MakeBound();
    C->SetAfterSearchKey([this](TObject* Sender) {
      EXPECT_EQ(Sender, C);
      Log.Add("AfterSearchKey");
    });
  }
  // Types the characters one by one and returns the results as "1"/"0".
  std::string Type(const std::string& Keys) {
    std::string r;
    for (char k : Keys) r += C->ProcessSearchKey(k) ? "1" : "0";
    return r;
  }
  int CustNo() { return static_cast<int>(Orders->FieldByName("CustNo")->AsInteger()); }
  std::string Current() { return Customers->FieldByName("Name")->AsString(); }

  kttest::TTestLookup* C = nullptr;
};

}  // namespace

TEST(StartsWithText, IgnoresTheCaseOfAToZOnly) {
  EXPECT_TRUE(StartsWithText("sm", "SMITH"));
  EXPECT_TRUE(StartsWithText("", "anything"));
  EXPECT_TRUE(StartsWithText("", ""));
  EXPECT_FALSE(StartsWithText("smithy", "Smith"));
  EXPECT_FALSE(StartsWithText("\xE9", "\xC9t\xE9"));  // accented letters keep their case
}

TEST(VariantsEqual, NeverRaisesAndRefusesUnassigned) {
  EXPECT_FALSE(VariantsEqual(Variant(), Variant()));
  EXPECT_FALSE(VariantsEqual(Variant(), Variant(Null)));
  EXPECT_TRUE(VariantsEqual(Variant(Null), Variant(Null)));
  EXPECT_TRUE(VariantsEqual(Variant(2), Variant("2")));
  EXPECT_FALSE(VariantsEqual(Variant("abc"), Variant(2)));  // can't convert: false, no exception
}

TEST_F(SearchKeyTest, TypedLettersFindTheFirstRowIgnoringCase) {
  EXPECT_EQ(Type("sm"), "11");
  EXPECT_EQ(C->FSearchText, "sm");  // the typed case is kept
  EXPECT_EQ(Current(), "SMITH");
  EXPECT_EQ(CustNo(), 2);
  EXPECT_EQ(Type("y"), "1");
  EXPECT_EQ(Current(), "smythe");
  EXPECT_EQ(CustNo(), 3);
  EXPECT_EQ(Log.Count("AfterSearchKey"), 3);
}

TEST_F(SearchKeyTest, ACharacterThatMatchesNothingChangesNothing) {
  Type("jo");
  Log.Clear();
  EXPECT_EQ(Type("x"), "0");
  EXPECT_EQ(C->FSearchText, "jo");
  EXPECT_EQ(Current(), "Jones");
  EXPECT_EQ(CustNo(), 4);
  EXPECT_EQ(Log.Take(), "AfterSearchKey");
}

TEST_F(SearchKeyTest, BackspaceShortensAndAnEmptyTextChoosesNothing) {
  Type("ad");
  EXPECT_EQ(Current(), "Adams");
  EXPECT_EQ(Type("\b"), "1");
  EXPECT_EQ(C->FSearchText, "a");
  EXPECT_EQ(Current(), "Abbott");
  EXPECT_EQ(Type("\b"), "1");  // down to nothing: the first record, and no key
  EXPECT_EQ(C->FSearchText, "");
  EXPECT_TRUE(Customers->BOF());
  EXPECT_TRUE(Orders->FieldByName("CustNo")->IsNull());
  EXPECT_TRUE(VarIsNull(C->KeyValue()));
  Customers->Last();
  EXPECT_EQ(Type("\b"), "1");  // Backspace on an empty text does the same
  EXPECT_TRUE(Customers->BOF());
}

TEST_F(SearchKeyTest, TheEmptyItemIsChosenByAnEmptyText) {
  C->SetEmptyDisplay("(none)");
  C->SetEmptyValue("0");
  Type("j\b");
  EXPECT_EQ(CustNo(), 0);
  EXPECT_TRUE(C->IsValueEmpty());
}

TEST_F(SearchKeyTest, OtherControlCodesSearchAgainForTheSameText) {
  C->FSearchText = "jo";
  EXPECT_EQ(Type(std::string(1, '\0')), "1");
  EXPECT_EQ(Current(), "Jones");
  Customers->First();
  EXPECT_EQ(Type("\x01"), "1");
  EXPECT_EQ(Current(), "Jones");
  C->FSearchText.clear();
  EXPECT_EQ(Type(std::string(1, '\0')), "1");
  EXPECT_TRUE(VarIsNull(C->KeyValue()));
}

TEST_F(SearchKeyTest, AControlThatCannotModifyNeverSearches) {
  C->FSearchText = "sm";
  C->SetReadOnly(true);
  EXPECT_EQ(Type("\bi"), "00");
  EXPECT_EQ(C->FSearchText, "s");  // Backspace still shortens
  EXPECT_EQ(CustNo(), 2);
  EXPECT_EQ(Log.Count("AfterSearchKey"), 2);
  C->SetReadOnly(false);
  Orders->FieldByName("CustNo")->SetReadOnly(true);
  EXPECT_EQ(Type("m"), "0");
}

TEST_F(SearchKeyTest, CalculatedAndLookupDisplayFieldsAreNotSearched) {
  auto* table = new TMemDataSet(Form);
  table->SetName("Calc");
  table->AddIntegerField("Id");
  table->AddCalcField("Label", ftString, 10);
  table->SetOnCalcFields(
      [](TDataSet* D) { D->FieldByName("Label")->SetAsString("L" + D->FieldByName("Id")->AsString()); });
  table->Open();
  table->AppendRecord({1});
  auto* source = new TDataSource(Form);
  source->SetDataSet(table);
  C->SetListSource(nullptr);
  C->SetKeyField("Id");
  C->SetListField("Label");
  C->SetListSource(source);
  ASSERT_TRUE(C->FListActive);
  EXPECT_EQ(Type("l"), "0");
  EXPECT_EQ(C->FSearchText, "");
  // In lookup mode over the orders' Customer field the display field is Customers.Name, a
  // data field, so that one is searched.
  C->SetListField("");
  C->SetDataField("Customer");
  EXPECT_EQ(Type("jo"), "11");
}

TEST_F(SearchKeyTest, AFailingChoiceKeepsTheCandidateAsSearchText) {
  Orders->FieldByName("CustNo")->SetOnValidate([](TField*) { throw EDatabaseError("refused"); });
  EXPECT_EQ(Type("j"), "0");
  EXPECT_EQ(C->FSearchText, "j");
  EXPECT_EQ(Log.Count("AfterSearchKey"), 1);
}

TEST_F(SearchKeyTest, ADoubleByteCharacterIsSearchedAsOne) {
  Customers->AppendRecord({6, "\x81\x40x", "Kyoto"});
  SysLocale.FarEast = true;
  LeadBytes.IncludeRange(0x81, 0x9F);
  // The trail byte waits in the queue as the next WM_CHAR of the control.
  PostMessage(C->Handle(), WM_CHAR, 0x40, 0);
  EXPECT_EQ(Type("\x81"), "1");
  EXPECT_EQ(C->FSearchText, "\x81\x40");
  EXPECT_EQ(CustNo(), 6);
  MSG m{};
  EXPECT_FALSE(PeekMessage(m, C->Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE));

  // A quit met while fetching the trail byte is put back, and the key is dropped.
  Log.Clear();
  PostQuitMessage(3);
  EXPECT_EQ(Type("\x82"), "0");
  EXPECT_EQ(C->FSearchText, "\x81\x40");
  EXPECT_EQ(Log.Joined(), "");  // no AfterSearchKey
  ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
}
