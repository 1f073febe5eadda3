#include "platform/vcl/db_edit.h"

#include <gtest/gtest.h>

#include "platform/data/db.h"
#include "platform/platform_fixture.h"
#include "platform/vcl/clipboard.h"

using namespace vcl;
using kttest::PlatformTest;

namespace {

// A form with a TDBEdit on the Name field of a small table, and a plain edit to Tab to.
class DBEditTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Clipboard()->Clear();
    Form = MakeForm();
    Table = new TMemDataSet(Form);
    Table->SetName("Customers");
    Table->AddIntegerField("Id");
    Table->AddStringField("Name", 10);
    Table->AddFloatField("Amount");
    Table->Open();
    Table->AppendRecord({1, "Abbott", 1.5});
    Table->AppendRecord({2, "Smith", 2.5});
    Table->First();
    Source = new TDataSource(Form);
    Source->SetDataSet(Table);
    Edit = MakeEdit("Name", 10);
    Next = new TEdit(Form);
    Next->SetBounds(10, 100, 100, 21);
    Next->SetParent(Form);
    Form->Show();
    sim::ProcessMessages();
    Log.Clear();
  }
  void TearDown() override {
    Clipboard()->Clear();
    PlatformTest::TearDown();
  }
  TDBEdit* MakeEdit(const std::string& Field, int Top) {
    auto* e = new TDBEdit(Form);
    e->SetName("DB" + Field);
    e->SetBounds(10, Top, 100, 21);
    e->SetParent(Form);
    e->SetDataSource(Source);
    e->SetDataField(Field);
    e->SetOnChange([this, e](TObject*) { Log.Add(e->Name() + ":" + e->Text()); });
    return e;
  }
  std::string Name() { return Table->FieldByName("Name")->AsString(); }

  TForm* Form = nullptr;
  TMemDataSet* Table = nullptr;
  TDataSource* Source = nullptr;
  TDBEdit* Edit = nullptr;
  TEdit* Next = nullptr;
};

TEST_F(DBEditTest, ShowsTheFieldAndFollowsTheRecord) {
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Edit->Text(), "Abbott");
  EXPECT_EQ(Edit->MaxLength(), 10);  // from the string field's size
  Table->Next();
  EXPECT_EQ(Edit->Text(), "Smith");
  EXPECT_EQ(Table->State(), dsBrowse);
  Edit->SetDataField("Id");
  EXPECT_EQ(Edit->Text(), "2");
  Edit->SetDataSource(nullptr);
  EXPECT_EQ(Edit->Text(), "");
}

TEST_F(DBEditTest, TypingEditsTheRecordAndLeavingPostsItIntoTheField) {
  sim::PressKey(VK_END);
  EXPECT_EQ(Table->State(), dsBrowse);
  sim::TypeText("s");
  EXPECT_EQ(Table->State(), dsEdit);
  EXPECT_EQ(Edit->Text(), "Abbotts");
  EXPECT_EQ(Name(), "Abbott");  // the field gets the text when the edit is left
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(Next->Focused());
  EXPECT_EQ(Name(), "Abbotts");
  Table->Post();
  EXPECT_EQ(Table->State(), dsBrowse);
  Table->First();
  EXPECT_EQ(Table->FieldByName("Name")->AsString(), "Abbotts");
  EXPECT_EQ(Application->ExceptionCount(), 0);
}

TEST_F(DBEditTest, PostingWhileTypingWritesTheTextAndCancelPutsTheValueBack) {
  Edit->SelectAll();
  sim::TypeText("Jones");
  Table->Post();  // the data set asks the link for the text before it posts
  EXPECT_EQ(Name(), "Jones");
  Edit->SelectAll();
  sim::TypeText("Brown");
  EXPECT_EQ(Table->State(), dsEdit);
  Table->Cancel();
  EXPECT_EQ(Edit->Text(), "Jones");
  EXPECT_EQ(Name(), "Jones");
  EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(DBEditTest, EscapePutsBackTheFieldValue) {
  sim::PressKey(VK_END);
  sim::TypeText("xyz");
  EXPECT_EQ(Edit->Text(), "Abbottxyz");
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Edit->Text(), "Abbott");
  EXPECT_EQ(Edit->SelLength(), 6);  // selected, ready to type over
  sim::PressKey(VK_TAB);
  EXPECT_EQ(Name(), "Abbott");
}

TEST_F(DBEditTest, AChangeHandlerMayFreeTheEditThatEscapePutsBack) {
  sim::PressKey(VK_END);
  sim::TypeText("xyz");
  Edit->SetOnChange([this](TObject*) {
    if (Edit->Text() != "Abbott") return;
    delete Edit;
    Edit = nullptr;
  });
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Edit, nullptr);
  EXPECT_EQ(Name(), "Abbott");
}

TEST_F(DBEditTest, AStateHandlerMayFreeTheEditWhoseTypingStartsEditing) {
  Source->SetOnStateChange([this](TObject*) {
    if (Table->State() != dsEdit || !Edit) return;
    delete Edit;
    Edit = nullptr;
  });
  sim::PressKey(VK_END);
  sim::TypeText("q");
  EXPECT_EQ(Edit, nullptr);
  EXPECT_EQ(Table->State(), dsEdit);
  Table->Cancel();
  EXPECT_EQ(Name(), "Abbott");
  // The same when a paste starts the editing.
  Edit = MakeEdit("Name", 10);
  Edit->SetFocus();
  Clipboard()->SetAsText("pasted");
  SendMessage(Edit->Handle(), WM_PASTE, 0, 0);
  EXPECT_EQ(Edit, nullptr);
  EXPECT_EQ(Table->State(), dsEdit);
}

TEST_F(DBEditTest, AValueTheFieldRejectsKeepsTheFocusAndTheText) {
  Table->FieldByName("Name")->SetOnValidate([](TField* F) {
    if (F->AsString() == "Bad") throw EDatabaseError("Name 'Bad' is not allowed");
  });
  Edit->SelectAll();
  sim::TypeText("Bad");
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Edit->Text(), "Bad");
  EXPECT_EQ(Edit->SelText(), "Bad");
  EXPECT_EQ(Application->ExceptionCount(), 1);
  EXPECT_EQ(Application->LastErrorMessage(), "Name 'Bad' is not allowed");
  EXPECT_EQ(Name(), "Abbott");
  EXPECT_EQ(Table->State(), dsEdit);
  // Corrected, it goes through.
  sim::TypeText("Good");
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(Next->Focused());
  EXPECT_EQ(Name(), "Good");
  EXPECT_EQ(Application->ExceptionCount(), 1);
}

TEST_F(DBEditTest, TextThatDoesNotConvertForANumberFieldIsKept) {
  auto* amount = MakeEdit("Amount", 40);
  amount->SetFocus();
  EXPECT_EQ(amount->Text(), "1.5");
  amount->SelectAll();
  sim::TypeText("x");  // not a character a number field takes: dropped, with a beep
  EXPECT_EQ(amount->Text(), "1.5");
  EXPECT_EQ(Beeps().size(), 1u);
  EXPECT_EQ(Table->State(), dsBrowse);
  sim::TypeText("1e");  // characters it takes, though the text does not convert
  EXPECT_EQ(amount->Text(), "1e");
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(amount->Focused());
  EXPECT_EQ(amount->Text(), "1e");
  EXPECT_EQ(Application->ExceptionCount(), 1);
  EXPECT_DOUBLE_EQ(Table->FieldByName("Amount")->AsFloat(), 1.5);
  sim::TypeText("7");
  EXPECT_EQ(amount->Text(), "7");
  sim::PressKey(VK_TAB);
  EXPECT_FALSE(amount->Focused());
  EXPECT_DOUBLE_EQ(Table->FieldByName("Amount")->AsFloat(), 7.0);
}

TEST_F(DBEditTest, AnIntegerFieldKeepsTextThatDoesNotConvert) {
  auto* id = MakeEdit("Id", 40);
  id->SetFocus();
  id->SelectAll();
  sim::TypeText("4-2");
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(id->Focused());
  EXPECT_EQ(id->Text(), "4-2");
  EXPECT_EQ(id->SelText(), "4-2");
  EXPECT_EQ(Table->FieldByName("Id")->AsInteger(), 1);
  EXPECT_EQ(Application->ExceptionCount(), 1);
  EXPECT_FALSE(Application->LastErrorMessage().empty());
  sim::PressKey(VK_ESCAPE);  // the stored value comes back, and now the edit can be left
  EXPECT_EQ(id->Text(), "1");
  sim::PressKey(VK_TAB);
  EXPECT_FALSE(id->Focused());
  EXPECT_EQ(Application->ExceptionCount(), 1);
}

TEST_F(DBEditTest, ReadOnlyWhenTheLinkTheFieldOrTheSourceCannotModify) {
  Edit->SetReadOnly(true);
  sim::TypeText("x");
  sim::PressKey(VK_DELETE);
  EXPECT_EQ(Edit->Text(), "Abbott");
  EXPECT_EQ(Table->State(), dsBrowse);
  Edit->SetReadOnly(false);
  Table->FieldByName("Name")->SetReadOnly(true);
  sim::TypeText("x");
  EXPECT_EQ(Edit->Text(), "Abbott");
  Table->FieldByName("Name")->SetReadOnly(false);
  Source->SetAutoEdit(false);
  sim::TypeText("x");
  Edit->SelectAll();
  Clipboard()->SetAsText("pasted");
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->Text(), "Abbott");
  EXPECT_EQ(Table->State(), dsBrowse);
  Table->Edit();  // editing by code opens the edit to the user
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->Text(), "pasted");
}

TEST_F(DBEditTest, ShowsTheDisplayTextUnlessFocused) {
  Table->FieldByName("Amount")->SetOnGetText(
      [](TField* F, std::string& Text, bool Display) { Text = (Display ? "$" : "") + F->AsString(); });
  auto* amount = MakeEdit("Amount", 40);
  EXPECT_EQ(amount->Text(), "$1.5");
  amount->SetFocus();
  EXPECT_EQ(amount->Text(), "1.5");
  sim::PressKey(VK_TAB);
  EXPECT_EQ(amount->Text(), "$1.5");
}

TEST_F(DBEditTest, ChangeFiresForEveryTextChangeAndMarksTheLink) {
  Table->Next();
  EXPECT_EQ(Log.Take(), "DBName:Smith");
  Table->Next();  // already at the last record: the same text
  EXPECT_EQ(Log.Take(), "");
  sim::PressKey(VK_END);  // new text puts the caret at the start
  sim::PressKey(VK_BACK);
  EXPECT_EQ(Log.Take(), "DBName:Smit");
  EXPECT_TRUE(Edit->Modified());
}

TEST_F(DBEditTest, TheDataSetCanAskForTheEditOfAField) {
  Next->SetFocus();
  Table->FieldByName("Name")->FocusControl();
  EXPECT_TRUE(Edit->Focused());
}

TEST_F(DBEditTest, AFreedDataSourceIsForgotten) {
  delete Source;
  Source = nullptr;
  EXPECT_EQ(Edit->DataSource(), nullptr);
  EXPECT_EQ(Edit->Field(), nullptr);
  sim::TypeText("a");  // no data set: the window stays read-only
  EXPECT_EQ(Edit->Text(), "");
}

TEST_F(DBEditTest, AnOnExitHandlerMayFreeTheEdit) {
  Edit->SetOnExit([this](TObject*) {
    delete Edit;
    Edit = nullptr;
  });
  sim::PressKey(VK_END);
  sim::TypeText("z");
  sim::PressKey(VK_TAB);
  EXPECT_EQ(Edit, nullptr);
  EXPECT_EQ(Name(), "Abbottz");
  EXPECT_TRUE(Next->Focused());
}

}  // namespace
