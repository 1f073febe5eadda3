// The monkey's slice for CI (a fixed range of seeds) and the regression tests that shrunk
// failures became.
#include <gtest/gtest.h>

#include "monkey.h"
#include "platform/data/db.h"
#include "platform/platform_fixture.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/label.h"

namespace {

// Seeds 1 to kCiSeeds, kCiSteps steps each.
constexpr int kCiSeeds = 200;
constexpr int kCiSteps = 500;

const bool kCrashReport = (monkey::InstallCrashReport(), true);

class MonkeySeed : public ::testing::TestWithParam<int> {};

TEST_P(MonkeySeed, Holds) {
  monkey::TRunOptions options;
  options.Seed = static_cast<std::uint64_t>(GetParam());
  options.Steps = kCiSteps;
  const monkey::TRunResult r = monkey::RunSeed(options);
  EXPECT_TRUE(r.Ok) << r.Message << "\n  replay: " << monkey::ReplayCommand(options, r.FailedStep);
}

INSTANTIATE_TEST_SUITE_P(Ci, MonkeySeed, ::testing::Range(1, kCiSeeds + 1));

// ---- Regressions: shrunk failures, written out ------------------------------------------------

using namespace vcl;

class MonkeyRegression : public kttest::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    Table = new TMemDataSet(Form);
    Table->AddIntegerField("Id");
    Table->AddStringField("Name", 20);
    Table->AddFloatField("Amount");
    Table->Open();
    Table->AppendRecord({1, "Abbott", 44.1});
    Source = new TDataSource(Form);
    Source->SetDataSet(Table);
    Form->Show();
  }
  TForm* Form = nullptr;
  TMemDataSet* Table = nullptr;
  TDataSource* Source = nullptr;
};

// Seed 16, shrunk to its step 12: a data-aware edit showing Amount was bound to a field that is
// not there. The error passed on, and the edit went on showing "44.1", a value of a field it
// no longer held.
TEST_F(MonkeyRegression, AnEditReboundToAMissingFieldShowsNothing) {
  auto* edit = new TDBEdit(Form);
  edit->SetParent(Form);
  edit->SetDataSource(Source);
  edit->SetDataField("Amount");
  EXPECT_EQ(edit->Text(), "44.1");
  EXPECT_THROW(edit->SetDataField("Nope"), EDatabaseError);
  EXPECT_EQ(edit->Field(), nullptr);
  EXPECT_EQ(edit->Text(), "");
}

// Seed 1, step 137: appending a record whose BeforeInsert handler freed a field of the table;
// AppendRecord then wrote the value into the freed field.
TEST_F(MonkeyRegression, AppendRecordAfterAHandlerFreedAField) {
  Table->SetBeforeInsert([this](TDataSet*) { delete Table->FindField("Name"); });
  Table->AppendRecord({2, "Smith", 1.5});
  EXPECT_EQ(Table->FindField("Name"), nullptr);
  EXPECT_EQ(Table->RecordCount(), 2);
  EXPECT_EQ(Table->FieldByName("Amount")->AsFloat(), 1.5);
}

// Seed 17, step 9: a data-aware edit showed a calculated field (the upper-cased name); the
// name was written and the edit went on showing the old value. Edits of lookup fields followed
// their key no better.
TEST_F(MonkeyRegression, AnEditOfACalculatedOrLookupFieldFollowsTheFieldsItIsMadeOf) {
  auto* names = new TMemDataSet(Form);
  names->AddIntegerField("Id");
  names->AddStringField("Name", 20);
  names->Open();
  names->AppendRecord({1, "Abbott"});
  names->AppendRecord({2, "Smith"});
  auto* orders = new TMemDataSet(Form);
  orders->AddIntegerField("Id");
  orders->AddStringField("Name", 20);
  orders->AddCalcField("Upper", ftString, 20);
  orders->AddLookupField("Customer", ftString, 20, "Id", names, "Id", "Name");
  orders->SetOnCalcFields([](TDataSet* D) {
    D->FieldByName("Upper")->SetAsString(UpperCase(D->FieldByName("Name")->AsString()));
  });
  orders->Open();
  orders->AppendRecord({1, "smithson"});
  Source->SetDataSet(orders);
  TDBEdit* edits[2];
  const char* fields[2] = {"Upper", "Customer"};
  for (int i = 0; i < 2; ++i) {
    edits[i] = new TDBEdit(Form);
    edits[i]->SetParent(Form);
    edits[i]->SetDataSource(Source);
    edits[i]->SetDataField(fields[i]);
  }
  EXPECT_EQ(edits[0]->Text(), "SMITHSON");
  EXPECT_EQ(edits[1]->Text(), "Abbott");
  orders->Edit();
  orders->FieldByName("Name")->SetAsString("jones");
  orders->FieldByName("Id")->SetAsInteger(2);
  EXPECT_EQ(edits[0]->Text(), "JONES");
  EXPECT_EQ(edits[1]->Text(), "Smith");
}

// Seed 5, step 11: the table was made read-only while a data-aware edit edited it (seed 4 did
// the same to a field); the edit went on taking keystrokes that no field could take.
TEST_F(MonkeyRegression, AnEditStopsEditingWhenItsFieldOrTableBecomesReadOnly) {
  for (bool table : {false, true}) {
    SCOPED_TRACE(table ? "the table" : "the field");
    SetUp();
    auto* edit = new TDBEdit(Form);
    edit->SetParent(Form);
    edit->SetDataSource(Source);
    edit->SetDataField("Name");
    edit->SetFocus();
    Table->Edit();
    EXPECT_FALSE(static_cast<TCustomEdit*>(edit)->ReadOnly());
    if (table)
      Table->SetReadOnly(true);
    else
      Table->FieldByName("Name")->SetReadOnly(true);
    EXPECT_TRUE(static_cast<TCustomEdit*>(edit)->ReadOnly());
    sim::TypeText("x");
    EXPECT_EQ(edit->Text(), "Abbott");
  }
}

// Seed 255, step 131: the field a calculated field was made of was freed; an edit of the
// calculated field went on showing the value calculated from it.
TEST_F(MonkeyRegression, AnEditOfACalculatedFieldFollowsWhenAFieldGoes) {
  Table->Close();
  Table->AddCalcField("Upper", ftString, 20);
  Table->SetOnCalcFields([](TDataSet* D) {
    if (TField* name = D->FindField("Name"))
      D->FieldByName("Upper")->SetAsString(UpperCase(name->AsString()));
  });
  Table->Open();
  auto* edit = new TDBEdit(Form);
  edit->SetParent(Form);
  edit->SetDataSource(Source);
  edit->SetDataField("Upper");
  EXPECT_EQ(edit->Text(), "ABBOTT");
  delete Table->FieldByName("Name");
  EXPECT_EQ(edit->Text(), "");
}

// Seed 8, step 263 (shrunk to six steps): the form's font grew; an edit that follows its
// parent's font grew with it, and an OnResize handler freed it before the font change ended.
TEST_F(MonkeyRegression, AParentFontChangeThatResizesAControlWhoseHandlerFreesIt) {
  TEdit* edits[2];
  for (TEdit*& e : edits) {
    e = new TEdit(Form);
    e->SetParent(Form);
  }
  edits[0]->SetOnResize([&](TObject*) {
    delete edits[0];
    edits[0] = nullptr;
    delete edits[1];
    edits[1] = nullptr;
  });
  Form->Font()->SetSize(20);
  EXPECT_EQ(edits[0], nullptr);
  EXPECT_EQ(Form->ControlCount(), 0);
}

// Seed 242, step 469 (shrunk to twelve steps): a form was shown; the window of an edit on it
// was made and took the height of its font, and the edit's OnResize freed the form while the
// form was still showing its controls.
TEST_F(MonkeyRegression, AResizeHandlerThatFreesTheFormWhileItShows) {
  auto* form = new TForm(Application);
  form->SetBounds(50, 50, 300, 200);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 100, 50);  // the window will make it as high as its font
  auto* after = new TEdit(form);
  after->SetParent(form);
  edit->SetOnResize([&](TObject*) {
    delete form;
    form = nullptr;
  });
  form->Show();
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Screen->FormCount(), 1);
}

// Seed 389, step 18 (shrunk to four steps): a field of a table was freed; its source's
// OnDataChange heard of the new layout and freed the table, which freed the field again.
TEST_F(MonkeyRegression, AFieldWhoseGoingFreesItsTable) {
  Source->SetOnDataChange([this](TObject*, TField*) {
    delete Table;
    Table = nullptr;
  });
  delete Table->FieldByName("Name");
  EXPECT_EQ(Table, nullptr);
  EXPECT_EQ(Source->DataSet(), nullptr);
}

// Seed 407, step 37: a new OnCalcFields handler (one that calculates nothing) took the place
// of the old one; an edit of the calculated field went on showing the old handler's value.
TEST_F(MonkeyRegression, AnEditOfACalculatedFieldFollowsANewCalcHandler) {
  Table->Close();
  Table->AddCalcField("Upper", ftString, 20);
  Table->SetOnCalcFields([](TDataSet* D) {
    D->FieldByName("Upper")->SetAsString(UpperCase(D->FieldByName("Name")->AsString()));
  });
  Table->Open();
  auto* edit = new TDBEdit(Form);
  edit->SetParent(Form);
  edit->SetDataSource(Source);
  edit->SetDataField("Upper");
  EXPECT_EQ(edit->Text(), "ABBOTT");
  Table->SetOnCalcFields([](TDataSet*) {});
  EXPECT_EQ(edit->Text(), "");
}

// Seed 417, step 271: a label that sizes itself to its text was given word wrapping (or a new
// caption); its OnResize freed it while it was still being laid out.
TEST_F(MonkeyRegression, ALabelThatResizesAndIsFreedByItsOnResize) {
  for (bool wrap : {false, true}) {
    SCOPED_TRACE(wrap ? "WordWrap" : "Caption");
    auto* label = new TLabel(Form);
    label->SetParent(Form);
    label->SetCaption("Name: first and last");
    label->SetWidth(30);  // wrapping makes it taller
    label->SetOnResize([&](TObject*) {
      delete label;
      label = nullptr;
    });
    if (wrap)
      label->SetWordWrap(true);
    else
      label->SetCaption("A longer caption than before");
    EXPECT_EQ(label, nullptr);
  }
}

// Seed 601, step 102: an edit moved to another form got a new window there, which took the
// height of the edit's font; the edit's OnResize freed the form it was moving to (and so the
// edit) while the form was still taking it in.
TEST_F(MonkeyRegression, AFormFreedWhileAControlMovesToIt) {
  TForm* other = MakeForm("Other");
  other->Show();
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 100, 50);  // its new window makes it as high as its font
  edit->SetOnResize([&](TObject*) {
    delete other;
    other = nullptr;
  });
  edit->SetParent(other);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(Form->ControlCount(), 0);
}

// Seed 1148, step 290 (shrunk to three steps): a field's OnChange raised; the value had been
// written, but the edit showing the field was never told and showed the old one.
TEST_F(MonkeyRegression, AFieldWhoseOnChangeRaisesStillTellsItsEdits) {
  auto* edit = new TDBEdit(Form);
  edit->SetParent(Form);
  edit->SetDataSource(Source);
  edit->SetDataField("Id");
  Table->FieldByName("Id")->SetOnChange([](TField*) { throw EAbort("no"); });
  Table->Edit();
  EXPECT_THROW(Table->FieldByName("Id")->SetAsString("135"), EAbort);
  EXPECT_EQ(Table->FieldByName("Id")->AsInteger(), 135);
  EXPECT_EQ(edit->Text(), "135");
}

}  // namespace
