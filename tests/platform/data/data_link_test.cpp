#include "platform/data/data_link.h"

#include <gtest/gtest.h>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

using Log = std::vector<std::string>;

// The links over every kind of data set (DataLinkTest); the field link over the in-memory
// table (FieldLinkTest).
class DataLinkFixture : public ::testing::Test {
 protected:
  void Build(const TTableKind& Kind) {
    kind = &Kind;
    owner = std::make_unique<TComponent>(nullptr);
    ds = MakeTableOf(Kind, owner.get(), 20);
    source = new TDataSource(owner.get());
    source->SetDataSet(ds);
  }
  // A recording link with BufferCount buffers on the source.
  std::unique_ptr<TRecLink> MakeLink(int BufferCount, const std::string& Tag = "") {
    auto link = std::make_unique<TRecLink>(&log, Tag);
    link->SetBufferCount(BufferCount);
    link->SetDataSource(source);
    return link;
  }
  // Ids of the window's records, read through ActiveRecord; restores it afterwards.
  std::vector<long long> Window(TDataLink* link) {
    std::vector<long long> ids;
    const int saved = link->ActiveRecord();
    for (int i = 0; i < link->RecordCount(); ++i) {
      link->SetActiveRecord(i);
      ids.push_back(CurrentId(ds));
    }
    link->SetActiveRecord(saved);
    return ids;
  }
  const TTableKind* kind = nullptr;
  std::unique_ptr<TComponent> owner;
  TDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  Log log;
};

class DataLinkTest : public DataLinkFixture, public ::testing::WithParamInterface<const TTableKind*> {
 protected:
  void SetUp() override { Build(*GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(Tables, DataLinkTest, ::testing::ValuesIn(AllKinds()), KindName);

TEST_P(DataLinkTest, ActivationFollowsTheSource) {
  TRecLink link(&log);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.DataSet(), nullptr);
  EXPECT_EQ(link.RecordCount(), 0);
  link.SetDataSource(source);
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(link.DataSet(), ds);
  link.SetDataSource(source);  // same: nothing
  source->SetEnabled(false);
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(source->State(), dsInactive);
  source->SetEnabled(true);
  link.SetDataSource(nullptr);
  EXPECT_EQ(log, (Log{"Active", "Active", "Active", "Active"}));
}

TEST_P(DataLinkTest, MovingBetweenTwoActiveSourcesGoesInactiveAndActiveAgain) {
  auto other = new TDataSource(owner.get());
  other->SetDataSet(MakeTableOf(*kind, owner.get(), 3, "Other"));
  TRecLink link(&log);
  link.SetDataSource(source);
  log.clear();
  // The owner of the link hears the change of data set as a deactivation and an activation,
  // so it rebinds its fields to the new data set.
  link.SetDataSource(other);
  EXPECT_EQ(log, (Log{"Active", "Active"}));
  EXPECT_TRUE(link.Active());
  EXPECT_EQ(link.DataSet(), other->DataSet());
}

TEST_P(DataLinkTest, FixedSourceCanNotChange) {
  TRecLink link(&log);
  link.SetDataSource(source);
  link.SetDataSourceFixed(true);
  EXPECT_TRUE(link.DataSourceFixed());
  auto* other = new TDataSource(owner.get());
  other->SetName("Other");
  source->SetName("Src");
  try {
    link.SetDataSource(other);
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), std::string("Src: ") + SDataSourceFixed);
  }
  EXPECT_EQ(link.DataSource(), source);
  link.SetDataSource(source);  // the same source is no change
}

TEST_P(DataLinkTest, WindowMovesOnlyWhenTheRecordLeavesIt) {
  auto link = MakeLink(5);
  EXPECT_EQ(link->RecordCount(), 5);
  EXPECT_EQ(link->ActiveRecord(), 0);
  ds->MoveBy(3);
  EXPECT_EQ(link->ActiveRecord(), 3);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{1, 2, 3, 4, 5}));
  log.clear();
  ds->MoveBy(3);  // to record 7: the window shifts by two
  EXPECT_EQ(link->ActiveRecord(), 4);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{3, 4, 5, 6, 7}));
  EXPECT_EQ(log, (Log{"Scrolled2"}));
  ds->MoveBy(-3);
  EXPECT_EQ(link->ActiveRecord(), 1);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{3, 4, 5, 6, 7}));
  ds->Last();
  EXPECT_EQ(link->ActiveRecord(), 4);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{16, 17, 18, 19, 20}));
  ds->First();
  EXPECT_EQ(link->ActiveRecord(), 0);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{1, 2, 3, 4, 5}));
}

TEST_P(DataLinkTest, JumpsCentreTheRecordClampedToFullWindows) {
  auto link = MakeLink(5);
  ASSERT_TRUE(ds->Locate("Id", 10, {}));
  EXPECT_EQ(link->ActiveRecord(), 2);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{8, 9, 10, 11, 12}));
  ASSERT_TRUE(ds->Locate("Id", 2, {}));
  EXPECT_EQ(link->ActiveRecord(), 1);
  EXPECT_EQ(Window(link.get()).front(), 1);
  ASSERT_TRUE(ds->Locate("Id", 19, {}));
  EXPECT_EQ(link->ActiveRecord(), 3);
  EXPECT_EQ(Window(link.get()).back(), 20);
  ds->SetRecNo(14);
  EXPECT_EQ(link->ActiveRecord(), 2);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{12, 13, 14, 15, 16}));
}

TEST_P(DataLinkTest, SeveralLinksKeepTheirOwnWindows) {
  auto small = MakeLink(3, "S:");
  auto big = MakeLink(8, "B:");
  auto none = MakeLink(0, "N:");
  ds->MoveBy(5);  // record 6
  EXPECT_EQ(small->ActiveRecord(), 2);
  EXPECT_EQ(big->ActiveRecord(), 5);
  EXPECT_EQ(none->RecordCount(), 0);
  EXPECT_EQ(none->ActiveRecord(), 0);
  ASSERT_TRUE(ds->Locate("Id", 12, {}));
  EXPECT_EQ(small->ActiveRecord(), 1);
  EXPECT_EQ(big->ActiveRecord(), 3);
  EXPECT_LE(small->RecordCount(), small->BufferCount());
  EXPECT_EQ(big->RecordCount(), 8);
  // Every link hears every event.
  log.clear();
  ds->Next();
  EXPECT_EQ(log, (Log{"S:Scrolled0", "B:Scrolled0", "N:Scrolled0"}));
}

TEST_P(DataLinkTest, ReopeningWhileControlsAreDisabledRefillsTheWindows) {
  auto link = MakeLink(3);
  ASSERT_TRUE(ds->Locate("Id", 10, {}));
  ASSERT_EQ(link->ActiveRecord(), 1);
  const int changed = link->ChangedCount;
  ds->DisableControls();
  ds->Close();
  ds->Open();
  ds->EnableControls();
  // Open put the cursor on the first record: the window follows it and the link hears of it.
  EXPECT_EQ(CurrentId(ds), 1);
  EXPECT_EQ(link->ActiveRecord(), 0);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{1, 2, 3}));
  EXPECT_EQ(link->ChangedCount, changed + 1);
}

TEST_P(DataLinkTest, SmallDataFillsWhatItCan) {
  auto* few = MakeTableOf(*kind, owner.get(), 3, "Few");
  source->SetDataSet(few);
  auto link = MakeLink(10);
  EXPECT_EQ(link->RecordCount(), 3);
  few->Last();
  EXPECT_EQ(link->ActiveRecord(), 2);
  few->SetRecNo(2);
  EXPECT_EQ(link->ActiveRecord(), 1);
}

TEST_P(DataLinkTest, ActiveRecordRepointsReadsWithoutMoving) {
  auto link = MakeLink(4);
  ds->MoveBy(1);
  log.clear();
  link->SetActiveRecord(3);
  EXPECT_EQ(CurrentId(ds), 4);
  EXPECT_EQ(link->ActiveRecord(), 3);
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_TRUE(log.empty());
  link->SetActiveRecord(9);  // outside the window: ignored
  EXPECT_EQ(CurrentId(ds), 4);
  link->SetActiveRecord(1);
  EXPECT_EQ(CurrentId(ds), 2);
  // The next event re-points the reads at the current record.
  link->SetActiveRecord(0);
  ds->Next();
  EXPECT_EQ(CurrentId(ds), 3);
}

TEST_P(DataLinkTest, BufferCountChangesRefillAroundTheRecord) {
  auto link = MakeLink(3);
  ds->MoveBy(9);  // record 10, window 8..10
  EXPECT_EQ(link->ActiveRecord(), 2);
  link->SetBufferCount(6);
  EXPECT_EQ(link->RecordCount(), 6);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{8, 9, 10, 11, 12, 13}));
  link->SetBufferCount(2);
  EXPECT_EQ(link->RecordCount(), 2);
  EXPECT_EQ(CurrentId(ds), 10);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{9, 10}));
  link->SetBufferCount(0);
  EXPECT_EQ(link->RecordCount(), 0);
  link->SetBufferCount(-4);
  EXPECT_EQ(link->BufferCount(), 0);
  link->SetBufferCount(30);
  EXPECT_EQ(link->RecordCount(), 20);
  EXPECT_EQ(link->ActiveRecord(), 9);
}

TEST_P(DataLinkTest, InsertDeleteAndAppendKeepWindowsValid) {
  auto link = MakeLink(5);
  ds->Last();  // window 16..20
  ds->Delete();
  EXPECT_EQ(link->RecordCount(), 5);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{15, 16, 17, 18, 19}));
  EXPECT_EQ(link->ActiveRecord(), 4);
  ds->SetRecNo(17);  // record 17, mid-window 15..19
  ds->Insert();
  EXPECT_EQ(link->ActiveRecord(), 2);
  EXPECT_EQ(link->RecordCount(), 5);
  ds->Cancel();
  EXPECT_EQ(CurrentId(ds), 17);
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{15, 16, 17, 18, 19}));
  ds->Append();
  EXPECT_EQ(link->ActiveRecord(), 4);
  ds->FieldByName("Id")->SetAsInteger(99);
  ds->Post();
  EXPECT_EQ(Window(link.get()), (std::vector<long long>{16, 17, 18, 19, 99}));
  ds->First();
  for (int i = 0; i < 20; ++i) ds->Delete();
  EXPECT_TRUE(ds->IsEmpty());
  EXPECT_EQ(link->RecordCount(), 0);
  EXPECT_EQ(link->ActiveRecord(), 0);
  EXPECT_TRUE(link->BOF());
  EXPECT_TRUE(link->EOF());
}

TEST_P(DataLinkTest, MoveByBofEofThroughTheLink) {
  auto link = MakeLink(3);
  EXPECT_TRUE(link->BOF());
  EXPECT_EQ(link->MoveBy(2), 2);
  EXPECT_FALSE(link->BOF());
  EXPECT_EQ(link->MoveBy(100), 17);
  EXPECT_TRUE(link->EOF());
}

TEST_P(DataLinkTest, FieldWritesReachEveryLink) {
  auto a = MakeLink(1, "A:");
  auto b = MakeLink(1, "B:");
  ds->Edit();
  log.clear();
  ds->FieldByName("City")->SetAsString("x");
  EXPECT_EQ(log, (Log{"A:Record:City", "B:Record:City"}));
}

TEST_P(DataLinkTest, EditThroughTheLink) {
  auto link = MakeLink(1);
  log.clear();
  EXPECT_TRUE(link->Edit());
  EXPECT_TRUE(link->Editing());
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(log, (Log{"Editing", "Record:nil"}));
  ds->Cancel();
  source->SetAutoEdit(false);
  EXPECT_FALSE(link->Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  source->SetAutoEdit(true);
  link->SetReadOnly(true);
  EXPECT_FALSE(link->Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->Edit();
  EXPECT_FALSE(link->Editing());  // read-only links never edit
  link->SetReadOnly(false);
  EXPECT_TRUE(link->Editing());
}

TEST_P(DataLinkTest, PostAsksTheLinksForTheirData) {
  auto link = MakeLink(1);
  int calls = 0;
  link->Hook = [&](const std::string& what) {
    if (what != "UpdateData") return;
    ++calls;
    ds->FieldByName("Name")->SetAsString("from the control");  // not echoed to this link
  };
  ds->Edit();
  log.clear();
  ds->Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "from the control");
  EXPECT_EQ(log, (Log{"UpdateData", "Editing", "Changed"}));
  EXPECT_THROW(ds->UpdateRecord(), EDatabaseError);  // only while editing
}

TEST_P(DataLinkTest, LayoutChangesAndTheirDefault) {
  auto link = MakeLink(1);
  log.clear();
  ds->FieldByName("Name")->SetDisplayLabel("Who");
  EXPECT_EQ(log, (Log{"Layout"}));
  // The base class turns a layout change into a data set change and that into a record change.
  struct TBase : TDataLink {
    Log* L;
    explicit TBase(Log* l) : L(l) {}
    void RecordChanged(TField* f) override { L->push_back(f ? "field" : "record"); }
  } base(&log);
  base.SetDataSource(source);
  log.clear();
  ds->FieldByName("Name")->SetDisplayWidth(4);
  ds->Next();
  EXPECT_EQ(log, (Log{"Layout", "record", "Scrolled1", "record"}));
}

TEST_P(DataLinkTest, FocusControlStopsAtTheLinkThatServes) {
  auto a = MakeLink(1, "A:");
  TField* asked = nullptr;
  struct TServe : TDataLink {
    TField** Seen;
    explicit TServe(TField** s) : Seen(s) {}
    void FocusControl(TField*& f) override {
      *Seen = f;
      f = nullptr;
    }
  } serve(&asked);
  serve.SetDataSource(source);
  ds->FieldByName("City")->FocusControl();
  EXPECT_EQ(asked, ds->FieldByName("City"));
}

// --- Links that misbehave inside their notifications ------------------------------------------

TEST_P(DataLinkTest, LinkThatMovesTheCursorDoesNotBreakTheOthers) {
  auto a = MakeLink(3, "A:");
  auto b = MakeLink(3, "B:");
  bool once = true;
  a->Hook = [&](const std::string& what) {
    if (what == "Changed" && once) {
      once = false;
      ds->Prior();
    }
  };
  log.clear();
  ds->Last();
  EXPECT_EQ(log, (Log{"A:Changed", "A:Scrolled0", "B:Scrolled0", "B:Changed"}));
  EXPECT_FALSE(ds->EOF());
  EXPECT_EQ(CurrentId(ds), 19);
  EXPECT_EQ(b->ActiveRecord(), 1);
}

TEST_P(DataLinkTest, ALinkThatScrollsInsideAScrollLeavesTheOthersTheirDistances) {
  auto a = MakeLink(3, "A:");
  auto b = MakeLink(3, "B:");
  bool once = true;
  a->Hook = [&](const std::string& what) {
    if (what == "Scrolled1" && once) {
      once = false;
      ds->MoveBy(3);
    }
  };
  log.clear();
  ds->MoveBy(3);  // record 4: both windows shift by one, then A moves on to record 7
  // Each link is told the whole shift of its window once: 4 records in all.
  EXPECT_EQ(log, (Log{"A:Scrolled1", "A:Scrolled3", "B:Scrolled4", "B:Scrolled0"}));
  EXPECT_EQ(CurrentId(ds), 7);
  EXPECT_EQ(b->ActiveRecord(), 2);
}

TEST_P(DataLinkTest, ALinkThatRaisesDoesNotKeepTheOthersFromHearing) {
  auto a = MakeLink(3, "A:");
  auto b = MakeLink(3, "B:");
  bool armed = false;
  a->Hook = [&](const std::string& what) {
    if (armed && (what == "Active" || what == "Scrolled0")) throw EDatabaseError("A can't follow");
  };
  ds->Close();
  armed = true;
  log.clear();
  EXPECT_THROW(ds->Open(), EDatabaseError);
  EXPECT_TRUE(b->Active());
  EXPECT_EQ(log, (Log{"A:Active", "B:Active"}));
  log.clear();
  EXPECT_THROW(ds->Next(), EDatabaseError);
  EXPECT_EQ(log, (Log{"A:Scrolled0", "B:Scrolled0"}));
}

TEST_P(DataLinkTest, LinkThatClosesTheDataSet) {
  auto a = MakeLink(3, "A:");
  auto b = MakeLink(3, "B:");
  a->Hook = [&](const std::string& what) {
    if (what == "Scrolled0") ds->Close();
  };
  log.clear();
  ds->Next();
  EXPECT_FALSE(ds->Active());
  EXPECT_FALSE(b->Active());
  EXPECT_EQ(log, (Log{"A:Scrolled0", "A:Active", "B:Active"}));
}

TEST_P(DataLinkTest, LinkThatFreesTheDataSet) {
  auto a = MakeLink(3, "A:");
  auto b = MakeLink(3, "B:");
  a->Hook = [&](const std::string& what) {
    if (what == "Changed") delete ds;
  };
  log.clear();
  ds->First();
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_FALSE(a->Active());
  EXPECT_FALSE(b->Active());
  EXPECT_EQ(b->DataSet(), nullptr);
  EXPECT_EQ(log, (Log{"A:Changed", "A:Active", "B:Active"}));
}

TEST_P(DataLinkTest, LinkThatFreesTheSourceOrAnotherLink) {
  auto a = MakeLink(3, "A:");
  auto b = MakeLink(3, "B:");
  auto c = MakeLink(3, "C:");
  a->Hook = [&](const std::string& what) {
    if (what == "Changed") b.reset();
  };
  log.clear();
  ds->First();
  EXPECT_EQ(log, (Log{"A:Changed", "C:Changed"}));
  log.clear();
  a->Hook = [&](const std::string& what) {
    if (what == "Changed") delete source;
  };
  ds->First();
  EXPECT_EQ(a->DataSource(), nullptr);
  EXPECT_EQ(c->DataSource(), nullptr);
  EXPECT_FALSE(c->Active());
  EXPECT_EQ(log, (Log{"A:Changed", "A:Active", "C:Active"}));
  ds->Next();  // nobody left to tell
  EXPECT_EQ(log.size(), 3u);
}

TEST_P(DataLinkTest, LinkThatFreesItself) {
  auto* a = new TRecLink(&log, "A:");
  a->SetDataSource(source);
  auto b = MakeLink(1, "B:");
  a->Hook = [&](const std::string& what) {
    if (what == "Changed") delete a;
  };
  log.clear();
  ds->First();
  EXPECT_EQ(source->DataLinkCount(), 1);
  EXPECT_EQ(log, (Log{"A:Changed", "B:Changed"}));
}

// --- Destruction in any order ------------------------------------------------------------------

TEST_P(DataLinkTest, FreeingTheDataSetLeavesLinksInactive) {
  auto link = MakeLink(3);
  delete ds;
  EXPECT_FALSE(link->Active());
  EXPECT_EQ(link->DataSource(), source);
  EXPECT_EQ(link->DataSet(), nullptr);
  EXPECT_EQ(source->State(), dsInactive);
  EXPECT_EQ(link->RecordCount(), 0);
  EXPECT_EQ(link->MoveBy(1), 0);
}

TEST_P(DataLinkTest, FreeingTheSourceLeavesLinksWithout) {
  auto link = MakeLink(3);
  delete source;
  EXPECT_FALSE(link->Active());
  EXPECT_EQ(link->DataSource(), nullptr);
  ds->Next();  // the data set carries on alone
  EXPECT_EQ(CurrentId(ds), 2);
}

TEST_P(DataLinkTest, OwnerFreesEverythingWhileLinksLive) {
  auto link = MakeLink(3);
  auto* source2 = new TDataSource(owner.get());
  source2->SetDataSet(ds);
  TRecLink other(&log);
  other.SetDataSource(source2);
  owner.reset();  // the data set, then the sources, in the owner's order
  EXPECT_EQ(link->DataSource(), nullptr);
  EXPECT_EQ(other.DataSource(), nullptr);
  EXPECT_FALSE(other.Active());
}

TEST_P(DataLinkTest, LinksFreedBeforeTheirSource) {
  {
    auto link = MakeLink(3);
    auto link2 = MakeLink(2);
  }
  EXPECT_EQ(source->DataLinkCount(), 0);
  ds->Next();
  EXPECT_TRUE(log.empty() || log.back() != "Scrolled0");
}

// --- TFieldDataLink ------------------------------------------------------------------------------

class FieldLinkTest : public DataLinkFixture {
 protected:
  void SetUp() override {
    Build(MemoryKind());
    control = new TComponent(owner.get());
    control->SetName("Edit1");
    flink = std::make_unique<TFieldDataLink>();
    flink->SetControl(control);
    flink->SetOnDataChange(
        [this](TObject*) { log.push_back("data:" + (flink->Field() ? flink->Field()->AsString() : "-")); });
    flink->SetOnEditingChange([this](TObject*) { log.push_back(flink->Editing() ? "editing" : "browsing"); });
    flink->SetOnActiveChange([this](TObject*) { log.push_back(flink->Active() ? "active" : "inactive"); });
    flink->SetOnUpdateData([this](TObject*) {
      log.push_back("update");
      flink->Field()->SetAsString(text);
    });
  }
  TComponent* control = nullptr;
  std::unique_ptr<TFieldDataLink> flink;
  std::string text;
};

TEST_F(FieldLinkTest, AnEditThatFreesTheLinkReportsNoEditing) {
  flink->SetFieldName("Name");
  flink->SetDataSource(source);
  // The control behind the link goes away while the data set starts editing.
  flink->SetOnEditingChange([this](TObject*) { flink.reset(); });
  TFieldDataLink* editor = flink.get();
  EXPECT_FALSE(editor->Edit());
  EXPECT_EQ(flink, nullptr);
  EXPECT_EQ(ds->State(), dsEdit);
  // The same for a plain link.
  ds->Cancel();
  auto plain = MakeLink(1);
  plain->Hook = [&](const std::string& what) {
    if (what == "Editing") plain.reset();
  };
  TDataLink* raw = plain.get();
  EXPECT_FALSE(raw->Edit());
  EXPECT_EQ(plain, nullptr);
}

TEST_F(FieldLinkTest, BindsItsField) {
  flink->SetFieldName("Name");
  EXPECT_EQ(flink->Field(), nullptr);  // not active yet
  flink->SetDataSource(source);
  EXPECT_EQ(flink->Field(), ds->FieldByName("Name"));
  EXPECT_EQ(log, (Log{"data:Name1", "active"}));
  log.clear();
  ds->Next();
  EXPECT_EQ(log, (Log{"data:Name2"}));
  log.clear();
  ds->Edit();
  ds->FieldByName("City")->SetAsString("elsewhere");  // another field: not this link's business
  EXPECT_EQ(log, (Log{"editing", "data:Name2"}));
  ds->Cancel();
  try {
    flink->SetFieldName("Nope");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Edit1: Field 'Nope' not found");
  }
}

TEST_F(FieldLinkTest, ModifiedTextIsWrittenOnPost) {
  flink->SetFieldName("Name");
  flink->SetDataSource(source);
  EXPECT_TRUE(flink->CanModify());
  EXPECT_TRUE(flink->Edit());
  EXPECT_TRUE(flink->Editing());
  text = "typed";
  flink->Modified();
  EXPECT_TRUE(flink->IsModified());
  log.clear();
  ds->Post();
  EXPECT_EQ(log.front(), "update");
  EXPECT_FALSE(flink->IsModified());
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "typed");
  // Not modified: nothing to write.
  flink->Edit();
  log.clear();
  flink->UpdateRecord();
  EXPECT_TRUE(log.empty());
}

TEST_F(FieldLinkTest, ResetRereadsTheField) {
  flink->SetFieldName("Name");
  flink->SetDataSource(source);
  flink->Edit();
  flink->Modified();
  log.clear();
  flink->Reset();
  EXPECT_EQ(log, (Log{"data:Name1"}));
  EXPECT_FALSE(flink->IsModified());
}

TEST_F(FieldLinkTest, ReadOnlyFieldIsNeverEdited) {
  flink->SetFieldName("Id");
  flink->SetDataSource(source);
  ds->FieldByName("Id")->SetReadOnly(true);
  EXPECT_FALSE(flink->CanModify());
  EXPECT_FALSE(flink->Edit());
  EXPECT_EQ(ds->State(), dsBrowse);
  ds->Edit();
  EXPECT_FALSE(flink->Editing());
}

TEST_F(FieldLinkTest, FocusRequestForItsField) {
  flink->SetFieldName("City");
  flink->SetDataSource(source);
  int asked = 0;
  flink->SetOnFocusRequest([&](TFieldDataLink*) {
    ++asked;
    return true;
  });
  ds->FieldByName("Name")->FocusControl();
  EXPECT_EQ(asked, 0);
  ds->FieldByName("City")->SetRequired(true);
  ds->Append();
  EXPECT_THROW(ds->Post(), EDatabaseError);
  EXPECT_EQ(asked, 1);
}

TEST_F(FieldLinkTest, ClosingClearsTheField) {
  flink->SetFieldName("Name");
  flink->SetDataSource(source);
  log.clear();
  ds->Close();
  EXPECT_EQ(flink->Field(), nullptr);
  EXPECT_EQ(log, (Log{"data:-", "inactive"}));
}

}  // namespace
