#include "lookup/search/search_edit.h"

#include <gtest/gtest.h>

#include "lookup/core/lookup_test_util.h"

using namespace vcl;
using namespace ktlookup;

namespace {

class SearchEditTest : public kttest::LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    // Abbott, SMITH, smythe, Jones, Adams in this order.
    Edit = new TKtSearchEdit(Form);
    Edit->SetName("Search1");
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 120, 21);
    Edit->SetSearchSource(CustSource);
    Edit->SetSearchField("Name");
    Edit->SetFocus();
  }
  std::string Current() { return Customers->FieldByName("Name")->AsString(); }

  TKtSearchEdit* Edit = nullptr;
  std::string Seen;
};

}  // namespace

TEST_F(SearchEditTest, TypingMovesToTheFirstRecordBeginningWithTheText) {
  sim::TypeText("sm");
  EXPECT_EQ(Edit->Text(), "sm");
  EXPECT_EQ(Current(), "SMITH");
  sim::TypeText("y");
  EXPECT_EQ(Current(), "smythe");
  sim::PressKey(VK_BACK);
  EXPECT_EQ(Current(), "SMITH");
  EXPECT_EQ(Customers->State(), dsBrowse);  // the data is never changed
}

TEST_F(SearchEditTest, ATextThatMatchesNothingLeavesTheRecord) {
  sim::TypeText("jo");
  sim::TypeText("x");
  EXPECT_EQ(Current(), "Jones");
  EXPECT_EQ(Application->ExceptionCount(), 0);
  // Clearing the text goes to the first record, even after a text that found nothing.
  Edit->SelectAll();
  sim::PressKey(VK_DELETE);
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_TRUE(Customers->BOF());
  EXPECT_EQ(Current(), "Abbott");
}

TEST_F(SearchEditTest, OnChangeRunsBeforeTheSearch) {
  std::string seen;
  Edit->SetOnChange([&](TObject*) { seen = Current(); });
  sim::TypeText("a");
  EXPECT_EQ(seen, "Abbott");  // still where it was when OnChange ran
  sim::TypeText("d");
  EXPECT_EQ(seen, "Abbott");
  EXPECT_EQ(Current(), "Adams");
}

TEST_F(SearchEditTest, NothingIsSearchedWithoutASourceAFieldOrAnOpenTable) {
  Customers->Last();
  Edit->SetSearchField("");
  Edit->SetText("a");
  EXPECT_EQ(Current(), "Adams");
  Edit->SetSearchField("Name");
  Edit->SetSearchSource(nullptr);
  Edit->SetText("ab");
  EXPECT_EQ(Current(), "Adams");
  Edit->SetSearchSource(CustSource);
  Customers->Close();
  EXPECT_NO_THROW(Edit->SetText("abb"));
  Customers->Open();
  // A table opened later takes effect with the next change.
  Edit->SetText("sm");
  EXPECT_EQ(Current(), "SMITH");
}

TEST_F(SearchEditTest, NothingIsSearchedWhileLoading) {
  Customers->Last();
  Edit->BeginLoading();
  Edit->SetText("ab");
  EXPECT_EQ(Current(), "Adams");
  Edit->EndLoading();
  EXPECT_EQ(Edit->Text(), "ab");
}

TEST_F(SearchEditTest, AMissingOrUnsearchableFieldRaisesItsMessage) {
  Edit->SetSearchField("Code");
  try {
    Edit->SetText("x");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Field 'Code' does not exist in Customers");
  }
  EXPECT_EQ(Edit->Text(), "x");  // the text change stands

  Edit->SetSearchSource(OrderSource);
  Edit->SetSearchField("Customer");  // a lookup field
  try {
    Edit->SetText("sm");
    FAIL() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "SearchField cannot be of Kind fkCalculated or fkLookup");
  }
  // Clearing still goes to the first record, without looking at the field.
  Orders->Last();
  EXPECT_NO_THROW(Edit->SetText(""));
  EXPECT_TRUE(Orders->BOF());

  // Typed by the user, the error reaches the application's handler and the text stays.
  Edit->SetText("");
  sim::TypeText("s");
  EXPECT_EQ(Application->ExceptionCount(), 1);
  EXPECT_EQ(Application->LastErrorMessage(), "SearchField cannot be of Kind fkCalculated or fkLookup");
  EXPECT_EQ(Edit->Text(), "s");
}

TEST_F(SearchEditTest, ATextThatCannotBeComparedFindsNothingSilently) {
  Edit->SetSearchField("CustNo");
  Customers->Last();
  EXPECT_NO_THROW(Edit->SetText("abc"));
  EXPECT_EQ(Current(), "Adams");
  Edit->SetText("3");
  EXPECT_EQ(Current(), "smythe");
}

TEST_F(SearchEditTest, ForgetsADataSourceFreedByAnotherOwner) {
  auto* foreign = new TDataSource(nullptr);
  foreign->SetDataSet(Customers);
  Edit->SetSearchSource(foreign);
  delete foreign;
  EXPECT_EQ(Edit->SearchSource(), nullptr);
  EXPECT_NO_THROW(Edit->SetText("sm"));
  // And one with the same owner.
  Edit->SetSearchSource(CustSource);
  delete CustSource;
  EXPECT_EQ(Edit->SearchSource(), nullptr);
}

// --- Handlers that free the edit, and errors that must not vanish ------------------------------

TEST_F(SearchEditTest, OnChangeMayFreeTheEditOrItsForm) {
  for (bool freeForm : {false, true}) {
    SCOPED_TRACE(freeForm ? "the form" : "the edit");
    SetUp();
    Customers->Last();
    Edit->SetOnChange([this, freeForm, tag = std::string(64, 'c')](TObject*) {
      if (freeForm) {
        delete Form;
        Form = nullptr;
        Customers = nullptr;
      } else {
        delete Edit;
      }
      Edit = nullptr;
      Seen = tag;
    });
    sim::TypeText("sm");
    EXPECT_EQ(Edit, nullptr);
    EXPECT_EQ(Seen, std::string(64, 'c'));
    if (Customers) {
      EXPECT_EQ(Current(), "Adams");  // nothing was searched
    }
    EXPECT_EQ(Application->ExceptionCount(), 0);
  }
}

TEST_F(SearchEditTest, AHandlerOfThePendingPostMayFreeTheEdit) {
  Customers->Edit();
  Customers->FieldByName("City")->SetAsString("Lima");
  Customers->SetAfterPost([this](TDataSet*) {
    delete Edit;
    Edit = nullptr;
  });
  sim::TypeText("sm");
  EXPECT_EQ(Edit, nullptr);
  EXPECT_EQ(Customers->State(), dsBrowse);
  EXPECT_EQ(Current(), "SMITH");  // the search went on
  Customers->First();
  EXPECT_EQ(Customers->FieldByName("City")->AsString(), "Lima");
  EXPECT_EQ(Application->ExceptionCount(), 0);
}

TEST_F(SearchEditTest, AFailedPostOfThePendingEditIsRaised) {
  Customers->Close();
  Customers->FieldByName("City")->SetRequired(true);
  Customers->Open();
  Customers->Last();
  Customers->Insert();
  Customers->FieldByName("Name")->SetAsString("Zeta");
  // Set by code, the error comes out of the change; typed, it reaches the application.
  EXPECT_THROW(Edit->SetText("sm"), EDatabaseError);
  EXPECT_EQ(Edit->Text(), "sm");
  Customers->Cancel();
  Edit->SetText("");
  Application->ClearLastError();
  Customers->Insert();
  Customers->FieldByName("Name")->SetAsString("Zeta");
  sim::TypeText("s");
  EXPECT_EQ(Application->ExceptionCount(), 1);
  EXPECT_EQ(Application->LastErrorMessage(), "Field 'City' must have a value");
  EXPECT_EQ(Edit->Text(), "s");             // the typed text stays
  EXPECT_EQ(Customers->State(), dsInsert);  // the record keeps its values, the data set stays
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "Zeta");
  EXPECT_EQ(Customers->RecordCount(), 5);
}
