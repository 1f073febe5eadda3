#include "lookup/core/db_lookup_control.h"

#include <gtest/gtest.h>

#include "lookup/core/lookup_test_util.h"
#include "lookup/core/test_lookup_control.h"

using namespace vcl;
using namespace ktlookup;
using kttest::LookupControlTest;
using kttest::TTestLookup;

// ---- Construction and binding ------------------------------------------------------------

TEST_F(LookupControlTest, ConstructionGivesTheDocumentedDefaults) {
  TTestLookup* c = MakeLookup();
  EXPECT_TRUE(c->KeyIsUnique());
  EXPECT_TRUE(c->ToolTips());
  EXPECT_TRUE(c->ThumbTracking());
  EXPECT_EQ(c->ToolTipsDelimiter(), " | ");
  EXPECT_EQ(c->EmptyItemColor(), clWindow);
  EXPECT_EQ(c->EmptyItemFontColor(), clWindowText);
  EXPECT_EQ(c->ListFieldIndex(), 0);
  EXPECT_TRUE(c->TabStop());
  EXPECT_FALSE(c->ParentColor());
  EXPECT_TRUE(c->ControlStyle().Contains(csOpaque));
  EXPECT_FALSE(c->ControlStyle().Contains(csFramed));
  EXPECT_TRUE(VarIsNull(c->FKeyValue));
  EXPECT_TRUE(VarIsNull(c->FEntryKeyValue));
  EXPECT_EQ(VarArrayHighBound(c->FListValues), 0);
  EXPECT_EQ(c->FToolTipWindow->Color(), clInfoBk);
  EXPECT_FALSE(c->About().empty());
  c->SetAbout("changed");
  EXPECT_NE(c->About(), "changed");

  NewStyleControls = false;
  TTestLookup* old = MakeLookup("Lookup2");
  EXPECT_TRUE(old->ControlStyle().Contains(csFramed));
}

TEST_F(LookupControlTest, BindsDataAndListFields) {
  TTestLookup* c = MakeBound("Name;City");
  EXPECT_EQ(c->FDataField, Orders->FieldByName("CustNo"));
  EXPECT_EQ(c->FMasterField, c->FDataField);
  EXPECT_TRUE(c->FListActive);
  EXPECT_EQ(c->FKeyField, Customers->FieldByName("CustNo"));
  EXPECT_EQ(Names(c->FListFields), "Name,City");
  EXPECT_EQ(c->FListField->FieldName(), "Name");
  EXPECT_EQ(c->KeyValue().AsInteger(), 2);  // the order's customer
  // The shown value is the display field of the lookup table's current record: the
  // descendants keep that table on the key's record; this bare control does not.
  EXPECT_EQ(VarToStr(c->ListValue()), "Abbott");

  // An empty ListField shows the key field alone, which is also the display field.
  c->SetListField("");
  EXPECT_EQ(Names(c->FListFields), "CustNo");
  EXPECT_EQ(c->FListField, c->FKeyField);
  // A trailing separator names nothing more.
  c->SetListField("Name;City;");
  EXPECT_EQ(Names(c->FListFields), "Name,City");
}

TEST_F(LookupControlTest, ListFieldIndexTakesEffectAtTheNextRebinding) {
  TTestLookup* c = MakeBound("CustNo;Name;City");
  c->SetListFieldIndex(1);
  EXPECT_EQ(c->FListField->FieldName(), "CustNo");  // unchanged until the list fields are resolved
  c->SetListField("Name;City;CustNo");
  EXPECT_EQ(c->FListField->FieldName(), "City");
  c->SetListFieldIndex(3);
  c->SetListField("CustNo;Name;City");
  EXPECT_EQ(c->FListField->FieldName(), "CustNo");
  c->SetListFieldIndex(-1);
  c->SetListField("City;Name");
  EXPECT_EQ(c->FListField->FieldName(), "City");
}

TEST_F(LookupControlTest, BindingErrorsNameTheControl) {
  TTestLookup* c = MakeLookup("Combo1");
  c->SetDataSource(OrderSource);
  try {
    c->SetDataField("Nmae");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Combo1: Field 'Nmae' not found");
  }
  EXPECT_EQ(c->FDataField, nullptr);
  EXPECT_EQ(c->FMasterField, nullptr);

  c->SetListSource(CustSource);
  try {
    c->SetKeyField("Key");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Combo1: Field 'Key' not found");
  }
  EXPECT_FALSE(c->FListActive);
  c->SetKeyField("");
  c->SetListField("Nmae;City");
  try {
    c->SetKeyField("CustNo");
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Combo1: Field 'Nmae;City' not found");
  }
  EXPECT_FALSE(c->FListActive);
  EXPECT_EQ(c->FListField, nullptr);
  c->SetListField("Name");
  EXPECT_TRUE(c->FListActive);
}

TEST_F(LookupControlTest, RefusesAListLinkedToTheEditedSource) {
  TTestLookup* c = MakeLookup();
  c->SetListSource(OrderSource);
  c->SetKeyField("OrderNo");
  ASSERT_TRUE(c->FListActive);
  c->SetDataSource(OrderSource);
  EXPECT_THROW(c->SetDataField("CustNo"), EDatabaseError);
  EXPECT_EQ(c->FDataField, nullptr);
}

TEST_F(LookupControlTest, ALookupFieldDefinesTheListAndTheKey) {
  TTestLookup* c = MakeLookup();
  c->SetListSource(SupSource);
  c->SetKeyField("SupNo");
  c->SetDataSource(OrderSource);
  c->SetDataField("Customer");
  EXPECT_TRUE(c->FLookupMode);
  EXPECT_EQ(c->ListSource(), nullptr);
  EXPECT_EQ(c->KeyField(), "");
  EXPECT_EQ(c->FMasterField, Orders->FieldByName("CustNo"));
  EXPECT_EQ(c->FListLink->DataSet(), Customers);
  EXPECT_EQ(c->FListField, Customers->FieldByName("Name"));
  EXPECT_EQ(Names(c->FListFields), "Name");
  EXPECT_THROW(c->SetListSource(CustSource), EDatabaseError);
  EXPECT_THROW(c->SetKeyField("CustNo"), EDatabaseError);
  // ListField may be set: the result field goes first when it doesn't name it, whatever the index.
  c->SetListFieldIndex(1);
  c->SetListField("City;CustNo");
  EXPECT_EQ(Names(c->FListFields), "Name,City,CustNo");
  EXPECT_EQ(c->FListField->FieldName(), "Name");

  // Back to an ordinary field: the earlier list source and key field are not restored.
  c->SetDataField("OrderNo");
  EXPECT_FALSE(c->FLookupMode);
  EXPECT_EQ(c->ListSource(), nullptr);
  EXPECT_EQ(c->KeyField(), "");
  EXPECT_FALSE(c->FListActive);
}

TEST_F(LookupControlTest, SwitchingToALookupFieldOverAnotherTableTakesItsDefinition) {
  TTestLookup* c = MakeLookup();
  c->SetDataSource(OrderSource);
  c->SetDataField("Customer");
  ASSERT_EQ(c->FListLink->DataSet(), Customers);
  c->SetDataField("Supplier");
  EXPECT_TRUE(c->FLookupMode);
  EXPECT_EQ(c->FListLink->DataSet(), Suppliers);
  EXPECT_EQ(c->FMasterField, Orders->FieldByName("SupNo"));
  EXPECT_EQ(c->FKeyField, Suppliers->FieldByName("SupNo"));
  EXPECT_EQ(c->FListField, Suppliers->FieldByName("Company"));
  EXPECT_EQ(c->ListSource(), nullptr);
  EXPECT_EQ(c->KeyField(), "");
  EXPECT_EQ(c->KeyValue().AsInteger(), 20);

  // Picking a row writes a supplier's key into SupNo and leaves CustNo alone.
  Suppliers->First();
  c->SelectKeyValue(Suppliers->FieldByName("SupNo")->Value());
  Orders->Post();
  EXPECT_EQ(Orders->FieldByName("SupNo")->AsInteger(), 10);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 2);
  EXPECT_EQ(Orders->FieldByName("Supplier")->AsString(), "Acme");

  // Two lookup fields with one definition: nothing visible changes.
  Log.Clear();
  c->SetDataField("Customer");
  TField* list = c->FListField;
  Log.Clear();
  c->SetDataField("Customer");  // the same name: nothing at all
  EXPECT_EQ(c->FListField, list);
  EXPECT_EQ(Log.Joined(), "");
}

TEST_F(LookupControlTest, AFailedRebindingInLookupModeLeavesTheListInactive) {
  TTestLookup* c = MakeLookup();
  c->SetDataSource(OrderSource);
  c->SetDataField("Customer");
  ASSERT_TRUE(c->FListActive);
  EXPECT_THROW(c->SetDataField("Nothing"), EDatabaseError);
  EXPECT_EQ(c->FDataField, nullptr);
  EXPECT_FALSE(c->FListActive);
  EXPECT_EQ(c->FListField, nullptr);
  // A layout change of the lookup table finds no lookup field to read and raises nothing.
  EXPECT_NO_THROW(Customers->Close());
  EXPECT_NO_THROW(Customers->Open());
  EXPECT_FALSE(c->FListActive);
  c->SetDataField("Customer");
  EXPECT_TRUE(c->FListActive);
}

TEST_F(LookupControlTest, ALookupFieldWithBadKeyFieldsLeavesTheListInactive) {
  Orders->Close();
  Orders->AddLookupField("Stray", ftString, 20, "Nope", Suppliers, "SupNo", "Company");
  Orders->Open();
  TTestLookup* c = MakeLookup();
  c->SetDataSource(OrderSource);
  c->SetDataField("Customer");
  ASSERT_TRUE(c->FListActive);
  EXPECT_THROW(c->SetDataField("Stray"), EDatabaseError);
  EXPECT_EQ(c->FMasterField, nullptr);
  EXPECT_FALSE(c->FListActive);
  EXPECT_EQ(c->FListField, nullptr);
  // The old lookup table reopening must not try to read the new field's definition from it.
  EXPECT_NO_THROW(Customers->Close());
  EXPECT_NO_THROW(Customers->Open());
  EXPECT_FALSE(c->FListActive);
  c->SetDataField("Supplier");
  EXPECT_TRUE(c->FListActive);
  EXPECT_EQ(c->FListLink->DataSet(), Suppliers);
  EXPECT_EQ(c->FListField, Suppliers->FieldByName("Company"));
}

TEST_F(LookupControlTest, FreeingTheSourcesClearsTheProperties) {
  TTestLookup* c = MakeBound();
  delete CustSource;  // same owner: told through the form
  EXPECT_EQ(c->ListSource(), nullptr);
  EXPECT_FALSE(c->FListActive);
  // A source with another owner is remembered through free notification.
  auto* other = new TDataSource(nullptr);
  other->SetDataSet(Orders);
  c->SetDataSource(other);
  delete other;
  EXPECT_EQ(c->DataSource(), nullptr);
  EXPECT_EQ(c->FMasterField, nullptr);
  // Tables freed under a bound control leave it unbound.
  c->SetDataSource(OrderSource);
  delete Orders;
  EXPECT_EQ(c->FDataField, nullptr);
}

TEST_F(LookupControlTest, FocusRequestsForItsFieldFocusTheControl) {
  TTestLookup* c = MakeBound();
  TTestLookup* other = MakeLookup("Lookup2");
  other->SetFocus();
  Orders->FieldByName("OrderNo")->FocusControl();
  EXPECT_TRUE(other->Focused());
  Orders->FieldByName("CustNo")->FocusControl();
  EXPECT_TRUE(c->Focused());
  EXPECT_TRUE(c->FHasFocus);
}

// ---- Key value and selection ---------------------------------------------------------------

TEST_F(LookupControlTest, AChoiceIsWrittenToTheFieldAndComesBackAsTheKey) {
  TTestLookup* c = MakeBound();
  c->SelectKeyValue(4);
  EXPECT_EQ(Orders->State(), dsEdit);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 4);
  EXPECT_EQ(c->KeyValue().AsInteger(), 4);
  EXPECT_EQ(Log.Take(), "KeyValueChanged Click");
  c->SelectKeyValue(4);  // the same key: written again, but no change of key
  EXPECT_EQ(Log.Take(), "Click");
  // Scrolling the orders reloads the key.
  Orders->Post();
  Orders->Next();
  EXPECT_TRUE(VarIsNull(c->KeyValue()));
}

TEST_F(LookupControlTest, WhileTheMouseTracksAChoiceOnlySetsTheKey) {
  TTestLookup* c = MakeBound();
  c->Tracking = true;
  c->SelectKeyValue(5);
  EXPECT_EQ(c->KeyValue().AsInteger(), 5);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 2);  // written when tracking ends
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(Log.Take(), "KeyValueChanged Click");
}

TEST_F(LookupControlTest, AFixedDataSourceWinsOverAStreamedOne) {
  TTestLookup* c = MakeLookup();
  c->SetDataSource(OrderSource);
  c->DataLink()->SetDataSourceFixed(true);
  c->BeginLoading();
  EXPECT_NO_THROW(c->SetDataSource(CustSource));
  c->EndLoading();
  EXPECT_EQ(c->DataSource(), OrderSource);
  EXPECT_THROW(c->SetDataSource(CustSource), EDatabaseError);  // outside loading the link refuses
  EXPECT_THROW(c->SetListSource(CustSource), EDatabaseError);
  EXPECT_THROW(c->SetKeyField("CustNo"), EDatabaseError);
}

TEST_F(LookupControlTest, AClickHandlerMayFreeTheControlDuringASearch) {
  TTestLookup* c = MakeBound();
  c->SetOnClick([c](TObject*) { delete c; });
  EXPECT_TRUE(c->ProcessSearchKey('j'));  // c is gone now
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 4);
}

TEST_F(LookupControlTest, AFieldChangeHandlerMayFreeTheControlDuringAChoice) {
  TTestLookup* c = MakeBound();
  OrderSource->SetOnDataChange([&](TObject*, TField* Field) {
    if (Field == Orders->FieldByName("CustNo") && c) {
      delete c;
      c = nullptr;
    }
  });
  TTestLookup* chooser = c;
  chooser->SelectKeyValue(3);  // chooser is gone now: no repaint, no click
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 3);
  EXPECT_EQ(Log.Take(), "KeyValueChanged");
}

TEST_F(LookupControlTest, AStateHandlerMayFreeTheControlWhenASearchStartsEditing) {
  TTestLookup* c = MakeBound();
  int searched = 0;
  c->SetAfterSearchKey([&](TObject*) { ++searched; });
  OrderSource->SetOnStateChange([&](TObject*) {
    if (Orders->State() == dsEdit && c) {
      delete c;
      c = nullptr;
    }
  });
  TTestLookup* typist = c;
  EXPECT_FALSE(typist->ProcessSearchKey('j'));  // typist is gone now: no search
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(searched, 0);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 2);
}

TEST_F(LookupControlTest, AnUnboundControlKeepsTheKeyItself) {
  TTestLookup* c = MakeLookup();
  c->SetListSource(CustSource);
  c->SetKeyField("CustNo");
  c->SetListField("Name");
  c->LocateOnKeyChange = true;
  Log.Clear();
  c->SelectKeyValue(3);
  EXPECT_EQ(c->KeyValue().AsInteger(), 3);
  EXPECT_EQ(VarToStr(c->ListValue()), "smythe");
  EXPECT_EQ(Log.Take(), "KeyValueChanged ListLinkDataChanged Click");
  EXPECT_TRUE(c->CanModify());
  c->SetReadOnly(true);
  EXPECT_FALSE(c->CanModify());
}

TEST_F(LookupControlTest, SetKeyValueCallsKeyValueChangedOnlyOnAChange) {
  TTestLookup* c = MakeLookup();
  c->SetKeyValue(Null);
  EXPECT_EQ(Log.Take(), "");  // Null equals Null
  c->SetKeyValue(Variant());  // unassigned reads as '' = EmptyValue: held as Null
  EXPECT_EQ(Log.Take(), "KeyValueChanged");
  EXPECT_TRUE(VarIsNull(c->FKeyValue));
  c->SetKeyValue("");
  EXPECT_TRUE(VarIsNull(c->FKeyValue));
  c->SetKeyValue(7);
  c->SetKeyValue(7);
  EXPECT_EQ(Log.Take(), "KeyValueChanged KeyValueChanged");
  c->SetEmptyValue("-");
  c->SetKeyValue(Variant());
  EXPECT_TRUE(VarIsEmpty(c->FKeyValue));  // not Null: no empty item
  c->SetEmptyDisplay("(none)");
  EXPECT_FALSE(c->IsValueEmpty());
}

TEST_F(LookupControlTest, TheEmptyItemStandsForANullKey) {
  TTestLookup* c = MakeBound();
  EXPECT_FALSE(c->IsValueEmpty());
  Orders->Next();  // an order without a customer
  EXPECT_TRUE(VarIsNull(c->KeyValue()));
  EXPECT_TRUE(VarIsNull(c->ListValue()));  // no empty item without EmptyDisplay
  Log.Clear();
  c->SetEmptyDisplay("(none)");
  EXPECT_EQ(Log.Take(), "UpdateDisplay");
  EXPECT_TRUE(c->IsValueEmpty());
  EXPECT_EQ(VarToStr(c->ListValue()), "(none)");

  // Choosing the empty item with an empty EmptyValue writes Null.
  Orders->First();
  c->SelectKeyValue(Null);
  EXPECT_TRUE(Orders->FieldByName("CustNo")->IsNull());
  EXPECT_TRUE(VarIsNull(c->KeyValue()));

  // With EmptyValue '0' the field gets 0, the key turns back into Null and KeyValue reports 0.
  c->SetEmptyValue("0");
  c->SelectKeyValue(Null);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 0);
  EXPECT_TRUE(VarIsNull(c->FKeyValue));
  EXPECT_TRUE(c->IsValueEmpty());
  EXPECT_EQ(c->KeyValue().AsInteger(), 0);
}

TEST_F(LookupControlTest, EveryChoiceClicksEvenWhenTheFieldCannotBeEdited) {
  TTestLookup* c = MakeBound();
  OrderSource->SetAutoEdit(false);
  c->SelectKeyValue(5);
  EXPECT_EQ(Orders->FieldByName("CustNo")->AsInteger(), 2);
  EXPECT_EQ(Log.Take(), "Click");
  EXPECT_FALSE(c->CanModify());
  // A field that refuses the value raises to the caller: no click then.
  OrderSource->SetAutoEdit(true);
  Orders->FieldByName("CustNo")->SetOnValidate([](TField*) { throw EDatabaseError("no"); });
  EXPECT_THROW(c->SelectKeyValue(5), EDatabaseError);
  EXPECT_EQ(Log.Take(), "");
}

TEST_F(LookupControlTest, CanModifyFollowsTheFieldAndPutsTheTableInEditState) {
  TTestLookup* c = MakeBound();
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_TRUE(c->CanModify());
  EXPECT_EQ(Orders->State(), dsEdit);
  Orders->Cancel();
  Orders->FieldByName("CustNo")->SetReadOnly(true);
  EXPECT_FALSE(c->CanModify());
  Orders->FieldByName("CustNo")->SetReadOnly(false);
  c->SetListSource(nullptr);
  EXPECT_FALSE(c->CanModify());  // no list
}

TEST_F(LookupControlTest, LocateKeyFindsTheRowByKeyOrByAllColumns) {
  TTestLookup* c = MakeBound("Name;City");
  Customers->Last();
  EXPECT_TRUE(c->LocateKey());
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "SMITH");
  c->SetKeyValue(99);
  EXPECT_FALSE(c->LocateKey());
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "SMITH");  // stays where it was

  // With keys that are not unique the remembered columns identify the row, never the key.
  c->SetKeyIsUnique(false);
  Customers->SetRecNo(4);
  c->UpdateListValues();
  Customers->First();
  c->SetKeyValue(1);
  EXPECT_TRUE(c->LocateKey());
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "Jones");
  EXPECT_EQ(c->FKeyValue.AsInteger(), 1);  // the key is kept whatever the move did

  // Without list fields (no key field: the list is not active) there is no row to find.
  c->SetKeyField("");
  ASSERT_TRUE(c->FListFields.empty());
  Customers->SetRecNo(3);
  EXPECT_FALSE(c->LocateKey());
  EXPECT_EQ(Customers->RecNo(), 3);
}

TEST_F(LookupControlTest, ColumnValuesFitEveryColumnWhenKeysAreNotUnique) {
  // Empty ListField: the key field is added; lookup mode: the result field is inserted.
  TTestLookup* c = MakeBound("");
  c->SetKeyIsUnique(false);
  EXPECT_NO_THROW(c->UpdateListValues());
  EXPECT_EQ(VarArrayHighBound(c->FListValues), 0);
  TTestLookup* d = MakeLookup("Lookup2");
  d->SetKeyIsUnique(false);
  d->SetDataSource(OrderSource);
  d->SetDataField("Customer");
  d->SetListField("City");
  ASSERT_EQ(d->FListFields.size(), 2u);
  Customers->SetRecNo(3);
  EXPECT_NO_THROW(d->UpdateListValues());
  EXPECT_EQ(VarToStr(d->FListValues.GetElement(0)), "smythe");
  EXPECT_EQ(VarToStr(d->FListValues.GetElement(1)), "Rome");
  Customers->First();
  EXPECT_TRUE(d->LocateKey());
  EXPECT_EQ(Customers->RecNo(), 3);
}

TEST_F(LookupControlTest, SetListValueMovesTheListToAMatchingRow) {
  TTestLookup* c = MakeBound();
  Log.Clear();
  c->SetListValue("jo");
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "Jones");
  EXPECT_EQ(c->KeyValue().AsInteger(), 2);  // the key is not changed here
  EXPECT_GE(Log.Count("ListLinkDataChanged"), 1);
  c->SetListValue(Null);
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "Jones");
}

TEST_F(LookupControlTest, DataSetActionsAimedAtTheControlActOnTheEditedTable) {
  TTestLookup* c = MakeBound();
  TDataSetNext next(Form);
  EXPECT_TRUE(c->ExecuteAction(&next));
  EXPECT_EQ(Orders->FieldByName("OrderNo")->AsInteger(), 101);
}

// ---- Measuring and messages ----------------------------------------------------------------

TEST_F(LookupControlTest, MeasuresItsFrameAndTextHeight) {
  TTestLookup* c = MakeLookup();
  EXPECT_EQ(c->GetBorderSize(), 0);  // no border style of its own
  HDC dc = GetDC(0);
  SelectObject(dc, c->Font()->Handle());
  TEXTMETRIC tm{};
  GetTextMetricsA(dc, &tm);
  ReleaseDC(0, dc);
  EXPECT_EQ(c->GetTextHeight(), tm.tmHeight);
  EXPECT_GT(c->GetTextHeight(), 10);
  c->Font()->SetSize(16);
  EXPECT_GT(c->GetTextHeight(), tm.tmHeight);
  EXPECT_EQ(c->Perform(WM_GETDLGCODE, 0, 0), 0x81);
}
