#include "platform/data/field.h"

#include <gtest/gtest.h>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    ds = new TMemDataSet(owner.get());
    ds->SetName("Data");
    name = ds->AddStringField("Name", 8);
    count = ds->AddIntegerField("Count");
    price = ds->AddFloatField("Price");
    flag = ds->AddBooleanField("Flag");
    when = ds->AddDateTimeField("When");
    ds->Open();
    ds->AppendRecord({"first", 3, 2.5, true, Variant::FromDateTime(EncodeDate(2024, 2, 29))});
    ds->AppendRecord({});
    ds->First();
  }
  std::unique_ptr<TComponent> owner;
  TMemDataSet* ds = nullptr;
  TStringField* name = nullptr;
  TIntegerField* count = nullptr;
  TFloatField* price = nullptr;
  TBooleanField* flag = nullptr;
  TDateTimeField* when = nullptr;
};

TEST_F(FieldTest, ReadsTypedValues) {
  EXPECT_EQ(name->Value(), Variant("first"));
  EXPECT_EQ(count->Value().VarType(), TVarType::Integer);
  EXPECT_EQ(count->AsInteger(), 3);
  EXPECT_EQ(count->AsString(), "3");
  EXPECT_DOUBLE_EQ(count->AsFloat(), 3.0);
  EXPECT_EQ(price->AsString(), "2.5");
  EXPECT_EQ(price->AsInteger(), 3);  // rounded
  EXPECT_TRUE(flag->AsBoolean());
  EXPECT_EQ(flag->DisplayText(), "True");
  EXPECT_EQ(when->DisplayText(), "2024-02-29");
  EXPECT_EQ(when->Value().VarType(), TVarType::DateTime);
  EXPECT_FALSE(name->IsNull());
  EXPECT_THROW(name->AsInteger(), EConvertError);
}

TEST_F(FieldTest, NullReadsAsEmptyValues) {
  ds->Next();
  for (TField* f : ds->FieldList()) {
    EXPECT_TRUE(f->IsNull()) << f->FieldName();
    EXPECT_EQ(f->AsString(), "") << f->FieldName();
    EXPECT_EQ(f->DisplayText(), "") << f->FieldName();
  }
  EXPECT_EQ(count->AsInteger(), 0);
  EXPECT_FALSE(flag->AsBoolean());
}

TEST_F(FieldTest, WritesConvertToTheFieldType) {
  ds->Edit();
  count->SetAsString(" 42 ");
  EXPECT_EQ(count->Value(), Variant(42));
  count->SetValue(7.4);
  EXPECT_EQ(count->AsInteger(), 7);
  price->SetAsString("1e3");
  EXPECT_DOUBLE_EQ(price->AsFloat(), 1000.0);
  flag->SetAsString("false");
  EXPECT_FALSE(flag->AsBoolean());
  when->SetAsString("2023-12-31 10:30:00");
  EXPECT_EQ(when->AsString(), "2023-12-31 10:30:00");
  name->SetAsInteger(123456789012LL);
  EXPECT_EQ(name->AsString(), "12345678");  // cut to the size
  name->SetAsString("");
  EXPECT_FALSE(name->IsNull());  // an empty text is a value for strings
  count->SetEditText("");
  EXPECT_TRUE(count->IsNull());  // and no value for numbers
  EXPECT_THROW(count->SetValue(5000000000LL), EDatabaseError);
  ds->Post();
  EXPECT_TRUE(count->IsNull());
  EXPECT_EQ(when->AsString(), "2023-12-31 10:30:00");
}

TEST_F(FieldTest, EditTextRejectsWhatDoesNotConvert) {
  ds->Edit();
  EXPECT_THROW(count->SetEditText("12a"), EConvertError);
  EXPECT_THROW(price->SetEditText("1,5"), EConvertError);
  EXPECT_THROW(flag->SetEditText("maybe"), EConvertError);
  EXPECT_THROW(when->SetEditText("yesterday"), EConvertError);
  EXPECT_EQ(count->AsInteger(), 3);
  EXPECT_FALSE(ds->Modified());
  count->SetEditText("-8");
  EXPECT_EQ(count->EditText(), "-8");
  EXPECT_EQ(count->Text(), "-8");
}

TEST_F(FieldTest, GetTextAndSetTextEvents) {
  count->SetOnGetText([](TField* f, std::string& text, bool display) {
    text = (display ? "#" : "") + IntToStr(f->AsInteger());
  });
  EXPECT_EQ(count->DisplayText(), "#3");
  EXPECT_EQ(count->EditText(), "3");
  count->SetOnSetText(
      [](TField* f, const std::string& text) { f->SetAsInteger(static_cast<int>(text.size())); });
  ds->Edit();
  count->SetEditText("four");
  EXPECT_EQ(count->AsInteger(), 4);
}

TEST_F(FieldTest, PresentationDefaults) {
  EXPECT_EQ(name->DisplayLabel(), "Name");
  name->SetDisplayLabel("Full name");
  EXPECT_EQ(name->DisplayLabel(), "Full name");
  EXPECT_EQ(name->DisplayWidth(), 8);
  EXPECT_GT(count->DisplayWidth(), 0);
  EXPECT_GT(price->DisplayWidth(), 0);
  EXPECT_GT(when->DisplayWidth(), 9);
  name->SetDisplayWidth(3);
  EXPECT_EQ(name->DisplayWidth(), 3);
  EXPECT_EQ(name->Alignment(), taLeftJustify);
  EXPECT_EQ(count->Alignment(), taRightJustify);
  EXPECT_EQ(price->Alignment(), taRightJustify);
  EXPECT_EQ(flag->Alignment(), taLeftJustify);
  count->SetAlignment(taCenter);
  EXPECT_EQ(count->Alignment(), taCenter);
  EXPECT_EQ(name->DataType(), ftString);
  EXPECT_EQ(when->DataType(), ftDateTime);
  EXPECT_EQ(count->FieldKind(), fkData);
  EXPECT_EQ(count->DataSet(), ds);
  EXPECT_EQ(count->FieldNo(), 1);
}

TEST_F(FieldTest, ValidCharacters) {
  for (char c : std::string("0123456789+-")) EXPECT_TRUE(count->IsValidChar(c)) << c;
  for (char c : std::string(".eEa ")) EXPECT_FALSE(count->IsValidChar(c)) << c;
  for (char c : std::string("0123456789+-.eE")) EXPECT_TRUE(price->IsValidChar(c)) << c;
  for (char c : std::string(",x ")) EXPECT_FALSE(price->IsValidChar(c)) << c;
  for (char c : std::string("aZ 9,.")) EXPECT_TRUE(name->IsValidChar(c)) << c;
}

TEST_F(FieldTest, ReadOnlyFieldRefusesWrites) {
  EXPECT_TRUE(name->CanModify());
  name->SetReadOnly(true);
  EXPECT_FALSE(name->CanModify());
  ds->Edit();
  try {
    name->SetAsString("x");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'Name' can't be modified");
  }
  EXPECT_EQ(name->AsString(), "first");
}

TEST_F(FieldTest, OnValidateSeesTheNewValueAndMayReject) {
  std::vector<std::string> seen;
  count->SetOnValidate([&](TField* f) {
    seen.push_back(f->AsString());
    if (f->AsInteger() < 0) throw EDatabaseError("negative");
  });
  int changes = 0;
  count->SetOnChange([&](TField*) { ++changes; });
  ds->Edit();
  count->SetAsInteger(10);
  EXPECT_THROW(count->SetAsInteger(-1), EDatabaseError);
  EXPECT_EQ(count->AsInteger(), 10);  // the previous value stays
  EXPECT_EQ(seen, (std::vector<std::string>{"10", "-1"}));
  EXPECT_EQ(changes, 1);
  ds->Post();
  EXPECT_EQ(count->AsInteger(), 10);
}

// The new value shows only in the record being edited, and only while it is being edited: a
// control told of a cancel from inside OnValidate reads what the record holds.
TEST_F(FieldTest, ValueUnderValidationShowsOnlyInTheEditedRecord) {
  TDataSource source(owner.get());
  source.SetDataSet(ds);
  TFieldDataLink link;
  link.SetDataSource(&source);
  link.SetFieldName("Count");
  std::vector<std::string> shown;
  link.SetOnDataChange([&](TObject*) { shown.push_back(count->AsString()); });
  std::string other;
  count->SetOnValidate([&](TField* f) {
    other = VarToStr(ds->Lookup("Name", Variant("first"), "Count"));
    if (f->AsInteger() == 7) ds->Cancel();
  });
  ds->Last();
  ds->Edit();
  count->SetAsInteger(5);
  EXPECT_EQ(other, "3");
  shown.clear();
  count->SetAsInteger(7);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_TRUE(count->IsNull());
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), "");
}

TEST_F(FieldTest, ClearAndFieldWithoutDataSet) {
  ds->Edit();
  price->Clear();
  EXPECT_TRUE(price->IsNull());
  TIntegerField loose(nullptr);
  loose.SetFieldName("Loose");
  EXPECT_TRUE(loose.IsNull());
  EXPECT_FALSE(loose.CanModify());
  EXPECT_THROW(loose.SetAsInteger(1), EDatabaseError);
}

TEST_F(FieldTest, DuplicateNamesAreRefused) {
  ds->Close();
  EXPECT_THROW(ds->AddStringField("name"), EDatabaseError);
  EXPECT_EQ(ds->FieldCount(), 5);
  EXPECT_THROW(count->SetFieldName("Price"), EDatabaseError);
  EXPECT_THROW(count->SetFieldKind(fkCalculated), EDatabaseError);
}

TEST_F(FieldTest, DeletingAFieldRemovesIt) {
  std::vector<std::string> log;
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(ds);
  TRecLink link(&log);
  link.SetDataSource(source);
  log.clear();
  delete price;
  EXPECT_EQ(ds->FieldCount(), 4);
  EXPECT_EQ(ds->FindField("Price"), nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"Layout"}));
  EXPECT_EQ(flag->AsBoolean(), true);  // the others still read their own columns
}

TEST_F(FieldTest, AFieldLinksCanNotFollowStillReachesEveryLink) {
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(ds);
  TFieldDataLink first, second, other;
  first.SetFieldName("Price");
  second.SetFieldName("Price");
  other.SetFieldName("Flag");
  for (TFieldDataLink* link : {&first, &second, &other}) link->SetDataSource(source);
  ASSERT_EQ(second.Field(), price);
  // A rename: the links on the old name can't rebind; each lets go, and the caller hears why.
  EXPECT_THROW(price->SetFieldName("Cost"), EDatabaseError);
  EXPECT_EQ(first.Field(), nullptr);
  EXPECT_EQ(second.Field(), nullptr);
  EXPECT_EQ(other.Field(), flag);
  // Deleting a field the links show: the destructor raises nothing and no link keeps it.
  first.SetFieldName("Count");
  second.SetFieldName("Count");
  ASSERT_EQ(second.Field(), count);
  delete count;
  EXPECT_EQ(first.Field(), nullptr);
  EXPECT_EQ(second.Field(), nullptr);
  EXPECT_TRUE(ds->Active());
  EXPECT_EQ(other.Field(), flag);
}

TEST_F(FieldTest, DeletingAFieldWhileControlsAreDisabledLeavesNoLinkHoldingIt) {
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(ds);
  TFieldDataLink link;
  link.SetFieldName("Price");
  link.SetDataSource(source);
  ASSERT_EQ(link.Field(), price);
  ds->DisableControls();
  delete price;
  EXPECT_EQ(link.Field(), nullptr);
  ds->EnableControls();
  EXPECT_EQ(link.Field(), nullptr);
  EXPECT_TRUE(link.Active());
}

// --- Calculated, internal-calc and lookup fields ----------------------------------------------

class CalcFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    cities = new TMemDataSet(owner.get());
    cities->AddIntegerField("CityId");
    cities->AddStringField("Country", 10);
    cities->AddStringField("CityName", 20);
    cities->Open();
    cities->AppendRecord({1, "FR", "Paris"});
    cities->AppendRecord({2, "DE", "Berlin"});
    cities->AppendRecord({3, "FR", "Lyon"});
    cities->First();

    people = new TMemDataSet(owner.get());
    people->AddStringField("Name", 20);
    people->AddIntegerField("Qty");
    people->AddFloatField("Price");
    people->AddIntegerField("City");
    total = people->AddCalcField("Total", ftFloat);
    label = people->AddInternalCalcField("Label", ftString, 30);
    cityName = people->AddLookupField("CityName", ftString, 20, "City", cities, "CityId", "CityName");
    people->SetOnCalcFields([this](TDataSet* d) {
      ++calcRuns;
      states.push_back(d->State());
      d->FieldByName("Total")->SetAsFloat(d->FieldByName("Qty")->AsFloat() *
                                          d->FieldByName("Price")->AsFloat());
      d->FieldByName("Label")->SetAsString(d->FieldByName("Name")->AsString() + "@" +
                                           d->FieldByName("CityName")->AsString());
    });
    people->Open();
    people->AppendRecord({"Ann", 2, 1.5, 3});
    people->AppendRecord({"Bob", 4, 0.5, 2});
    people->AppendRecord({"Cid", 1, 1.0, 9});
    people->First();
    calcRuns = 0;
    states.clear();
  }
  std::unique_ptr<TComponent> owner;
  TMemDataSet* cities = nullptr;
  TMemDataSet* people = nullptr;
  TField* total = nullptr;
  TField* label = nullptr;
  TField* cityName = nullptr;
  int calcRuns = 0;
  std::vector<TDataSetState> states;
};

TEST_F(CalcFieldTest, CalculatedOncePerRecordInCalcState) {
  EXPECT_EQ(total->FieldKind(), fkCalculated);
  EXPECT_TRUE(total->Calculated());
  EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
  EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
  EXPECT_EQ(calcRuns, 1);  // cached
  EXPECT_EQ(states, (std::vector<TDataSetState>{dsCalcFields}));
  EXPECT_EQ(people->State(), dsBrowse);
  people->Next();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 2.0);
  EXPECT_EQ(calcRuns, 2);
  people->Prior();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
  EXPECT_EQ(calcRuns, 2);
  EXPECT_THROW(total->SetAsFloat(1), EDatabaseError);  // not editing
}

TEST_F(CalcFieldTest, RecalculatedAfterAChange) {
  people->Edit();
  people->FieldByName("Qty")->SetAsInteger(10);
  EXPECT_DOUBLE_EQ(total->AsFloat(), 15.0);  // the edited record
  people->Cancel();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 3.0);
  people->Edit();
  people->FieldByName("Price")->SetAsFloat(2.0);
  people->Post();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 4.0);
}

TEST_F(CalcFieldTest, WindowReadsGetEachRecordsValues) {
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(people);
  TDataLink link;
  link.SetBufferCount(3);
  link.SetDataSource(source);
  std::vector<double> totals;
  for (int i = 0; i < link.RecordCount(); ++i) {
    link.SetActiveRecord(i);
    totals.push_back(total->AsFloat());
  }
  EXPECT_EQ(totals, (std::vector<double>{3.0, 2.0, 1.0}));
  EXPECT_EQ(calcRuns, 3);
  // A new handler computes afresh.
  people->SetOnCalcFields([](TDataSet* d) { d->FieldByName("Total")->SetAsFloat(-1); });
  link.SetActiveRecord(0);
  EXPECT_DOUBLE_EQ(total->AsFloat(), -1.0);
}

TEST_F(CalcFieldTest, InternalCalcIsStoredAndSearchable) {
  EXPECT_EQ(label->FieldKind(), fkInternalCalc);
  EXPECT_EQ(label->AsString(), "Ann@Lyon");
  EXPECT_TRUE(people->Locate("Label", "bob@", {loPartialKey, loCaseInsensitive}));
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Bob");
  EXPECT_FALSE(people->Locate("Total", 100.0, {}));
  EXPECT_TRUE(people->Locate("Total", 2.0, {}));  // calculated fields are searched too
  EXPECT_EQ(people->FieldByName("Name")->AsString(), "Bob");
}

TEST_F(CalcFieldTest, LookupFieldReadsWithoutMovingTheLookupCursor) {
  EXPECT_TRUE(cityName->Lookup());
  EXPECT_EQ(cityName->KeyFields(), "City");
  EXPECT_EQ(cityName->LookupDataSet(), cities);
  EXPECT_EQ(cityName->LookupKeyFields(), "CityId");
  EXPECT_EQ(cityName->LookupResultField(), "CityName");
  std::vector<std::string> log;
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(cities);
  TRecLink link(&log);
  link.SetDataSource(source);
  cities->SetRecNo(2);
  log.clear();
  EXPECT_EQ(cityName->AsString(), "Lyon");
  people->Next();
  EXPECT_EQ(cityName->AsString(), "Berlin");
  people->Next();
  EXPECT_TRUE(cityName->IsNull());  // no city 9
  EXPECT_EQ(cities->RecNo(), 2);
  EXPECT_TRUE(log.empty());
  // The lookup data set's changes show at once.
  cities->Edit();
  cities->FieldByName("CityName")->SetAsString("Bonn");
  cities->Post();
  people->SetRecNo(2);
  EXPECT_EQ(cityName->AsString(), "Bonn");
}

TEST_F(CalcFieldTest, WritingALookupFieldSetsTheKey) {
  EXPECT_TRUE(cityName->CanModify());
  people->Edit();
  cityName->SetAsString("Paris");
  EXPECT_EQ(people->FieldByName("City")->AsInteger(), 1);
  EXPECT_THROW(cityName->SetAsString("Rome"), EDatabaseError);
  cityName->Clear();
  EXPECT_TRUE(people->FieldByName("City")->IsNull());
}

TEST_F(CalcFieldTest, LookupDataSetGoneOrClosedGivesNull) {
  cities->Close();
  EXPECT_TRUE(cityName->IsNull());
  delete cities;
  EXPECT_EQ(cityName->LookupDataSet(), nullptr);
  EXPECT_TRUE(cityName->IsNull());
  EXPECT_FALSE(cityName->CanModify());
}

}  // namespace
