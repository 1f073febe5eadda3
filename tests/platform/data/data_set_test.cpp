#include "platform/data/data_set.h"

#include <gtest/gtest.h>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

// The contract of a data set, for every kind of data set (DataSetTest, LocateTest); the
// in-memory table's own operations (MemDataSetTest).
class DataSetFixture : public ::testing::Test {
 protected:
  void Build(const TTableKind& Kind) {
    kind = &Kind;
    owner = std::make_unique<TComponent>(nullptr);
    ds = MakeTableOf(Kind, owner.get(), 5);
    source = new TDataSource(owner.get());
    source->SetDataSet(ds);
    link = std::make_unique<TRecLink>(&log);
    link->SetBufferCount(3);
    link->SetDataSource(source);
    log.clear();
  }
  const TTableKind* kind = nullptr;
  std::unique_ptr<TComponent> owner;
  TDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  std::unique_ptr<TRecLink> link;
  std::vector<std::string> log;
};

class DataSetTest : public DataSetFixture, public ::testing::WithParamInterface<const TTableKind*> {
 protected:
  void SetUp() override { Build(*GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(Tables, DataSetTest, ::testing::ValuesIn(AllKinds()), KindName);

class MemDataSetTest : public DataSetFixture {
 protected:
  void SetUp() override { Build(MemoryKind()); }
  TMemDataSet* mem() { return static_cast<TMemDataSet*>(ds); }
};

using Log = std::vector<std::string>;

TEST_P(DataSetTest, OpenCloseAndStates) {
  EXPECT_TRUE(ds->Active());
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_LT(dsInactive, dsBrowse);
  EXPECT_LT(dsBrowse, dsEdit);
  EXPECT_LT(dsEdit, dsInsert);
  ds->Close();
  EXPECT_EQ(ds->State(), dsInactive);
  EXPECT_EQ(source->State(), dsInactive);
  EXPECT_FALSE(link->Active());
  EXPECT_EQ(log, (Log{"Active"}));
  EXPECT_TRUE(ds->FieldByName("Id")->IsNull());  // a closed data set reads Null
  EXPECT_THROW(ds->First(), EDatabaseError);
  // The records survive Close and Open.
  ds->Open();
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_TRUE(ds->BOF());
  EXPECT_FALSE(ds->EOF());
  EXPECT_EQ(CurrentId(ds), 1);
  auto* more = new TIntegerField(owner.get());  // fields are not added while open
  more->SetFieldName("More");
  EXPECT_THROW(more->SetDataSet(ds), EDatabaseError);
  delete more;
}

TEST_P(DataSetTest, EmptyDataSetIsBofAndEof) {
  TDataSet* empty = MakeTableOf(*kind, owner.get(), 0, "Empty");
  EXPECT_TRUE(empty->BOF());
  EXPECT_TRUE(empty->EOF());
  EXPECT_TRUE(empty->IsEmpty());
  EXPECT_EQ(empty->MoveBy(1), 0);
  EXPECT_EQ(empty->RecNo(), -1);
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_THROW(empty->Delete(), EDatabaseError);
}

TEST_P(DataSetTest, MoveByCountsAndSetsBofEof) {
  EXPECT_EQ(ds->MoveBy(2), 2);
  EXPECT_FALSE(ds->BOF());
  EXPECT_EQ(ds->RecNo(), 3);
  EXPECT_EQ(ds->MoveBy(10), 2);  // only two records left
  EXPECT_TRUE(ds->EOF());
  EXPECT_EQ(CurrentId(ds), 5);
  EXPECT_EQ(ds->MoveBy(-10), -4);
  EXPECT_TRUE(ds->BOF());
  EXPECT_FALSE(ds->EOF());
  EXPECT_EQ(log, (Log{"Scrolled0", "Scrolled2", "Scrolled-2"}));
}

TEST_P(DataSetTest, MoveBackOnFirstRecord) {
  ds->MoveBy(1);
  ds->MoveBy(-1);  // back on the first record, but not at BOF
  EXPECT_FALSE(ds->BOF());
  log.clear();
  int scrolls = 0;
  ds->SetAfterScroll([&](TDataSet*) { ++scrolls; });
  // Allowed to try: moves nothing, sets BOF and notifies a scroll.
  EXPECT_EQ(ds->MoveBy(-1), 0);
  EXPECT_TRUE(ds->BOF());
  EXPECT_EQ(log, (Log{"Scrolled0"}));
  EXPECT_EQ(scrolls, 1);
  // Already at BOF: nothing at all.
  EXPECT_EQ(ds->MoveBy(-1), 0);
  ds->Prior();
  EXPECT_EQ(log, (Log{"Scrolled0"}));
  EXPECT_EQ(scrolls, 1);
  // Same at the end.
  ds->Last();
  log.clear();
  ds->Next();
  EXPECT_TRUE(ds->EOF());
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(ds->MoveBy(0), 0);
  EXPECT_TRUE(log.empty());
}

TEST_P(DataSetTest, NextOnLastRecordSetsEofAndNotifies) {
  ds->MoveBy(4);  // last record, EOF not yet set
  EXPECT_FALSE(ds->EOF());
  log.clear();
  ds->Next();
  EXPECT_TRUE(ds->EOF());
  EXPECT_EQ(CurrentId(ds), 5);
  EXPECT_EQ(log, (Log{"Scrolled0"}));
}

TEST_P(DataSetTest, FirstAndLastAlwaysNotify) {
  ds->First();
  ds->First();
  ds->Last();
  ds->Last();
  EXPECT_EQ(log, (Log{"Changed", "Changed", "Changed", "Changed"}));
  EXPECT_TRUE(ds->EOF());
  EXPECT_FALSE(ds->BOF());
  ds->First();
  EXPECT_TRUE(ds->BOF());
  EXPECT_FALSE(ds->EOF());
}

TEST_P(DataSetTest, RecNoAndRecordCount) {
  EXPECT_TRUE(ds->IsSequenced());
  EXPECT_EQ(ds->RecordCount(), 5);
  ds->SetRecNo(4);
  EXPECT_EQ(CurrentId(ds), 4);
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_FALSE(ds->BOF());
  EXPECT_FALSE(ds->EOF());
  EXPECT_EQ(log, (Log{"Changed"}));
  ds->SetRecNo(4);  // already there
  EXPECT_EQ(log.size(), 1u);
  ds->SetRecNo(99);  // clamped
  EXPECT_EQ(CurrentId(ds), 5);
}

TEST_F(MemDataSetTest, NotSequenced) {
  ds->SetRecNo(5);
  mem()->SetSequenced(false);
  EXPECT_FALSE(ds->IsSequenced());
  EXPECT_EQ(ds->RecNo(), -1);
  EXPECT_EQ(ds->RecordCount(), 5);  // the count is known; only record numbers are not
  ds->SetRecNo(1);                  // ignored
  EXPECT_EQ(CurrentId(ds), 5);
}

TEST_P(DataSetTest, EditPostKeepsNewValues) {
  ds->SetRecNo(2);
  link->LogCheck = true;
  log.clear();
  ds->Edit();
  EXPECT_EQ(ds->State(), dsEdit);
  ds->FieldByName("Name")->SetAsString("Changed");
  EXPECT_TRUE(ds->Modified());
  ds->Post();
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Changed");
  EXPECT_EQ(log, (Log{"Editing", "Record:nil", "Record:Name", "UpdateData", "Check", "Editing", "Changed"}));
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataSetTest, CancelRestoresOldValues) {
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Changed");
  ds->FieldByName("Id")->SetAsInteger(77);
  ds->Cancel();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Name1");
  EXPECT_EQ(CurrentId(ds), 1);
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_P(DataSetTest, CloseDiscardsPendingChanges) {
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("lost");
  ds->Close();
  ds->Open();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Name1");
  ds->Append();
  ds->Close();
  ds->Open();
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataSetTest, WritingOutsideEditRaises) {
  try {
    ds->FieldByName("Name")->SetAsString("x");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(e.Message().find("not in edit or insert mode"), std::string::npos);
    EXPECT_EQ(e.Message().rfind("Table: ", 0), 0u);
  }
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Name1");
}

TEST_P(DataSetTest, FailedPostKeepsEverything) {
  bool refuse = true;
  ds->SetBeforePost([&](TDataSet*) {
    if (refuse) throw EDatabaseError("refused");
  });
  ds->Append();
  ds->FieldByName("Id")->SetAsInteger(6);
  ds->FieldByName("Name")->SetAsString("Six");
  EXPECT_THROW(ds->Post(), EDatabaseError);
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(CurrentId(ds), 6);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Six");
  refuse = false;
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 6);
  ds->Last();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Six");
}

TEST_P(DataSetTest, RequiredFieldBlocksPost) {
  ds->FieldByName("City")->SetRequired(true);
  ds->Insert();
  ds->FieldByName("Name")->SetAsString("New");
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'City' must have a value");
  }
  EXPECT_EQ(ds->State(), dsInsert);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "New");
  ds->FieldByName("City")->SetAsString("Here");
  ds->Post();
  EXPECT_EQ(ds->RecordCount(), 6);
}

TEST_P(DataSetTest, AFocusRequestThatFreesTheDataSetEndsThePostCleanly) {
  // The control asked to take the focus may run handlers that free the data set.
  struct TFreeingLink : TDataLink {
    TDataSet* Victim = nullptr;
    void FocusControl(TField*&) override {
      delete Victim;
      Victim = nullptr;
    }
  } freeing;
  ds->FieldByName("City")->SetRequired(true);
  freeing.Victim = ds;
  freeing.SetDataSource(source);
  ds->Insert();
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Field 'City' must have a value");
  }
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_FALSE(freeing.Active());
  EXPECT_FALSE(link->Active());
}

TEST_P(DataSetTest, InsertGoesBeforeCurrentAndCancelRemovesIt) {
  ds->SetRecNo(3);
  int newRecords = 0;
  ds->SetOnNewRecord([&](TDataSet* d) {
    ++newRecords;
    d->FieldByName("City")->SetAsString("Default");
  });
  ds->Insert();
  EXPECT_EQ(newRecords, 1);
  EXPECT_FALSE(ds->Modified());     // defaults are not changes
  EXPECT_EQ(ds->RecordCount(), 5);  // not stored yet
  EXPECT_TRUE(ds->FieldByName("Id")->IsNull());
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Default");
  ds->Cancel();
  EXPECT_EQ(ds->RecordCount(), 5);
  EXPECT_EQ(CurrentId(ds), 3);

  ds->Insert();
  ds->FieldByName("Id")->SetAsInteger(100);
  ds->Post();
  EXPECT_EQ(ds->RecNo(), 3);
  ds->Next();
  EXPECT_EQ(CurrentId(ds), 3);
  EXPECT_EQ(ds->RecordCount(), 6);
}

TEST_P(DataSetTest, DeleteMovesToNextOrPrevious) {
  ds->SetRecNo(2);
  ds->Delete();
  EXPECT_EQ(ds->RecordCount(), 4);
  EXPECT_EQ(CurrentId(ds), 3);
  ds->Last();
  ds->Delete();
  EXPECT_EQ(CurrentId(ds), 4);
  EXPECT_EQ(ds->RecordCount(), 3);
}

TEST_P(DataSetTest, EditOnEmptyInserts) {
  TDataSet* empty = MakeTableOf(*kind, owner.get(), 0, "Empty");
  empty->Edit();
  EXPECT_EQ(empty->State(), dsInsert);
  empty->Cancel();
  EXPECT_TRUE(empty->IsEmpty());
  EXPECT_TRUE(empty->BOF());
  EXPECT_TRUE(empty->EOF());
}

TEST_P(DataSetTest, ReadOnlyDataSetRefusesChanges) {
  ds->SetReadOnly(true);
  EXPECT_FALSE(ds->CanModify());
  EXPECT_FALSE(ds->FieldByName("Id")->CanModify());
  EXPECT_THROW(ds->Edit(), EDatabaseError);
  EXPECT_THROW(ds->Append(), EDatabaseError);
  EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_P(DataSetTest, CheckBrowseModePostsOrCancels) {
  ds->Edit();
  ds->CheckBrowseMode();  // nothing written: cancelled
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->Append();
  ds->CheckBrowseMode();  // an untouched new record goes away
  EXPECT_EQ(ds->RecordCount(), 5);
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Kept");
  EXPECT_EQ(CurrentId(ds), 5);
  ds->Next();  // moving posts first (and stays on the last record)
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Kept");
  EXPECT_EQ(ds->RecordCount(), 5);
}

TEST_P(DataSetTest, EventsFireInOrder) {
  Log events;
  auto note = [&](const char* what) { return [&events, what](TDataSet*) { events.push_back(what); }; };
  ds->SetBeforeEdit(note("BeforeEdit"));
  ds->SetAfterEdit(note("AfterEdit"));
  ds->SetBeforePost(note("BeforePost"));
  ds->SetAfterPost(note("AfterPost"));
  ds->SetBeforeScroll(note("BeforeScroll"));
  ds->SetAfterScroll(note("AfterScroll"));
  ds->SetBeforeInsert(note("BeforeInsert"));
  ds->SetAfterInsert(note("AfterInsert"));
  ds->SetOnNewRecord(note("NewRecord"));
  ds->SetBeforeCancel(note("BeforeCancel"));
  ds->SetAfterCancel(note("AfterCancel"));
  ds->SetBeforeDelete(note("BeforeDelete"));
  ds->SetAfterDelete(note("AfterDelete"));
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->Post();
  ds->Next();
  ds->Insert();
  ds->Cancel();
  ds->Delete();
  EXPECT_EQ(events,
            (Log{"BeforeEdit", "AfterEdit", "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll",
                 "BeforeInsert", "BeforeScroll", "NewRecord", "AfterInsert", "AfterScroll", "BeforeCancel",
                 "AfterCancel", "BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
}

TEST_P(DataSetTest, OpenAndCloseEvents) {
  Log events;
  ds->SetBeforeClose([&](TDataSet*) { events.push_back("BeforeClose"); });
  ds->SetAfterClose([&](TDataSet*) { events.push_back("AfterClose"); });
  ds->SetBeforeOpen([&](TDataSet*) { events.push_back("BeforeOpen"); });
  ds->SetAfterOpen([&](TDataSet*) { events.push_back("AfterOpen"); });
  ds->SetAfterScroll([&](TDataSet*) { events.push_back("AfterScroll"); });
  ds->SetActive(false);
  ds->SetActive(true);
  EXPECT_EQ(events, (Log{"BeforeClose", "AfterClose", "BeforeOpen", "AfterOpen", "AfterScroll"}));
}

TEST_P(DataSetTest, FieldListsAndLookupByName) {
  std::vector<TField*> list;
  ds->GetFieldList(list, "Name;City;");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->FieldName(), "Name");
  EXPECT_EQ(list[1]->FieldName(), "City");
  list.clear();
  ds->GetFieldList(list, ";; id ;");
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]->FieldName(), "Id");
  try {
    ds->GetFieldList(list, "Name;Nope");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Table: Field 'Nope' not found");
  }
  EXPECT_EQ(ds->FindField("NAME"), ds->Fields(1));
  EXPECT_EQ(ds->FindField("Nope"), nullptr);
  EXPECT_EQ(ds->FieldCount(), 3);
  EXPECT_THROW(ds->Fields(3), EListError);
  EXPECT_EQ(ds->Fields(2)->Index(), 2);
}

TEST_P(DataSetTest, IsLinkedToItsSources) {
  EXPECT_TRUE(ds->IsLinkedTo(source));
  auto* other = new TDataSource(owner.get());
  EXPECT_FALSE(ds->IsLinkedTo(other));
  EXPECT_FALSE(ds->IsLinkedTo(nullptr));
}

TEST_P(DataSetTest, DisableControlsNestsAndSendsOneChange) {
  ds->DisableControls();
  ds->DisableControls();
  EXPECT_TRUE(ds->ControlsDisabled());
  ds->Next();
  ds->Next();
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("quiet");
  ds->Post();
  ds->EnableControls();
  EXPECT_TRUE(log.empty());
  ds->EnableControls();
  EXPECT_FALSE(ds->ControlsDisabled());
  EXPECT_EQ(log, (Log{"Changed"}));
  // The window followed the moves meanwhile.
  EXPECT_EQ(link->ActiveRecord(), 2);
  // Nothing happened: nothing to send.
  log.clear();
  ds->DisableControls();
  ds->EnableControls();
  EXPECT_TRUE(log.empty());
  ds->EnableControls();  // unbalanced: ignored
  EXPECT_FALSE(ds->ControlsDisabled());
}

TEST_P(DataSetTest, DisableControlsCatchesUpWithState) {
  ds->DisableControls();
  ds->Close();
  EXPECT_TRUE(link->Active());  // not told yet
  ds->EnableControls();
  EXPECT_FALSE(link->Active());
  EXPECT_EQ(log, (Log{"Active"}));
}

TEST_F(MemDataSetTest, AppendRecordIsAllOrNothing) {
  EXPECT_THROW(mem()->AppendRecord({1, "a", "b", "too many"}), EDatabaseError);
  EXPECT_THROW(mem()->AppendRecord({"not a number", "a"}), EConvertError);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->RecordCount(), 5);
  mem()->AppendRecord({6});  // missing values stay Null
  EXPECT_EQ(CurrentId(ds), 6);
  EXPECT_TRUE(ds->FieldByName("Name")->IsNull());
}

TEST_F(MemDataSetTest, EmptyTableRemovesEveryRecord) {
  ds->MoveBy(2);
  log.clear();
  mem()->EmptyTable();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_TRUE(ds->BOF());
  EXPECT_TRUE(ds->EOF());
  EXPECT_EQ(link->RecordCount(), 0);
  EXPECT_EQ(log, (Log{"Changed"}));
  mem()->AppendRecord({1, "again"});
  EXPECT_EQ(ds->RecordCount(), 1);
  EXPECT_EQ(link->RecordCount(), 1);
}

TEST_P(DataSetTest, RefreshNotifiesAChange) {
  ds->Refresh();
  EXPECT_EQ(log, (Log{"Changed"}));
}

// --- Locate and Lookup ------------------------------------------------------------------------

class LocateTest : public ::testing::TestWithParam<const TTableKind*> {
 protected:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    ds = GetParam()->Make(owner.get(), "Fruit",
                          {{"Id", ftInteger},
                           {"Name", ftString, 30},
                           {"Price", ftFloat},
                           {"Active", ftBoolean},
                           {"When", ftDateTime}},
                          {{1, "apple", 1.5, true, Variant::FromDateTime(EncodeDate(2024, 1, 2))},
                           {2, "Banana", 2.25, false, Variant::FromDateTime(EncodeDate(2024, 3, 4))},
                           {3, "banana split", Variant(Null), true, Variant(Null)},
                           {4, Variant(Null), 4.0, false, Variant::FromDateTime(EncodeDate(2025, 5, 6))},
                           {5, "Cherry", 5.5, true, Variant::FromDateTime(EncodeDate(2025, 7, 8))}});
    source = new TDataSource(owner.get());
    source->SetDataSet(ds);
    link = std::make_unique<TRecLink>(&log);
    link->SetDataSource(source);
    log.clear();
  }
  long long Id() { return CurrentId(ds); }
  std::unique_ptr<TComponent> owner;
  TDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  std::unique_ptr<TRecLink> link;
  std::vector<std::string> log;
};

INSTANTIATE_TEST_SUITE_P(Tables, LocateTest, ::testing::ValuesIn(AllKinds()), KindName);

TEST_P(LocateTest, ExactCaseSensitiveByDefault) {
  EXPECT_FALSE(ds->Locate("Name", "banana", {}));
  EXPECT_TRUE(log.empty());  // nothing found: nothing moved, nothing told
  EXPECT_EQ(Id(), 1);
  EXPECT_TRUE(ds->BOF());
  EXPECT_TRUE(ds->Locate("Name", "Banana", {}));
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(log, (Log{"Changed"}));
}

TEST_P(LocateTest, PartialAndCaseInsensitive) {
  EXPECT_TRUE(ds->Locate("Name", "BAN", {loCaseInsensitive, loPartialKey}));
  EXPECT_EQ(Id(), 2);  // the first match in order
  EXPECT_TRUE(ds->Locate("Name", "banana s", {loPartialKey}));
  EXPECT_EQ(Id(), 3);
  EXPECT_FALSE(ds->Locate("Name", "BANANA S", {loPartialKey}));
  EXPECT_TRUE(ds->Locate("Name", "cherry", {loCaseInsensitive}));
  EXPECT_EQ(Id(), 5);
  EXPECT_FALSE(ds->Locate("Name", "cher", {loCaseInsensitive}));  // not partial: whole text
  // An empty partial key matches the first non-null text.
  EXPECT_TRUE(ds->Locate("Name", "", {loPartialKey}));
  EXPECT_EQ(Id(), 1);
}

TEST_P(LocateTest, NoKeyFieldsMatchNothing) {
  ds->SetRecNo(3);
  log.clear();
  EXPECT_FALSE(ds->Locate("", 1, {}));
  EXPECT_FALSE(ds->Locate(";", VarArrayOf({1}), {loPartialKey}));
  EXPECT_EQ(Id(), 3);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(ds->Lookup("", 1, "Name").IsNull());
}

TEST_P(LocateTest, FoundRecordLeavesBofAndEofFalse) {
  ds->Last();
  EXPECT_TRUE(ds->EOF());
  EXPECT_TRUE(ds->Locate("Id", 5, {}));  // the same, last record
  EXPECT_FALSE(ds->EOF());
  EXPECT_TRUE(ds->Locate("Id", 1, {}));
  EXPECT_FALSE(ds->BOF());
  EXPECT_FALSE(ds->EOF());
}

TEST_P(LocateTest, TypedFieldsConvertTheSearchValue) {
  EXPECT_TRUE(ds->Locate("Id", "4", {}));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds->Locate("Price", "2.25", {}));
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds->Locate("Price", 4, {}));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds->Locate("Active", false, {}));
  EXPECT_EQ(Id(), 2);
  EXPECT_TRUE(ds->Locate("When", "2025-05-06", {}));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds->Locate("Id", 3.0, {}));
  EXPECT_EQ(Id(), 3);
  log.clear();
  EXPECT_THROW(ds->Locate("Id", "three", {}), EConvertError);
  EXPECT_THROW(ds->Locate("Price", "x", {}), EConvertError);
  EXPECT_EQ(Id(), 3);
  EXPECT_TRUE(log.empty());
}

TEST_P(LocateTest, NullMatchesNullFields) {
  EXPECT_TRUE(ds->Locate("Name", Variant(Null), {}));
  EXPECT_EQ(Id(), 4);
  EXPECT_TRUE(ds->Locate("Price", Variant(Null), {loCaseInsensitive}));
  EXPECT_EQ(Id(), 3);
}

TEST_P(LocateTest, SeveralKeyFields) {
  EXPECT_TRUE(ds->Locate("Active;Name", VarArrayOf({true, "banana split"}), {}));
  EXPECT_EQ(Id(), 3);
  EXPECT_FALSE(ds->Locate("Active;Name", VarArrayOf({false, "banana split"}), {}));
  EXPECT_TRUE(ds->Locate("Active;Name", VarArrayOf({true, "b"}), {loPartialKey}));
  EXPECT_EQ(Id(), 3);
  // One field with a one-element array works too.
  EXPECT_TRUE(ds->Locate("Name", VarArrayOf({"Cherry"}), {}));
  EXPECT_EQ(Id(), 5);
  EXPECT_THROW(ds->Locate("Nope", 1, {}), EDatabaseError);
}

TEST_P(LocateTest, LocatePostsPendingEdits) {
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("avocado");
  EXPECT_TRUE(ds->Locate("Name", "avocado", {}));
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Id(), 1);
}

TEST_P(LocateTest, LookupNeitherMovesNorNotifies) {
  ds->SetRecNo(2);
  log.clear();
  int scrolls = 0;
  ds->SetBeforeScroll([&](TDataSet*) { ++scrolls; });
  EXPECT_EQ(ds->Lookup("Id", 5, "Name"), Variant("Cherry"));
  Variant both = ds->Lookup("Name", "apple", "Id;Price");
  ASSERT_TRUE(both.IsArray());
  EXPECT_EQ(both.GetElement(0), Variant(1));
  EXPECT_EQ(both.GetElement(1), Variant(1.5));
  EXPECT_TRUE(ds->Lookup("Id", 42, "Name").IsNull());
  EXPECT_TRUE(ds->Lookup("Name", "APPLE", "Id").IsNull());  // exact
  EXPECT_EQ(Id(), 2);
  EXPECT_EQ(scrolls, 0);
  EXPECT_TRUE(log.empty());
}

}  // namespace
