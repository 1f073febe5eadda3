// Handlers of data sets, data sources and fields that free what they belong to, or raise:
// nothing is used after it is freed, no destructor throws, and the links always learn where
// the data set stands.
#include <gtest/gtest.h>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

using Action = std::function<void(TMemDataSet*)>;
using Log = std::vector<std::string>;

class FreeingHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    ds = MakeTable(owner.get(), 5);
    calc = nullptr;
    source = new TDataSource(owner.get());
    source->SetDataSet(ds);
  }
  // A handler written the ordinary way: it frees the data set, then reads its own captures.
  TDataSetNotifyEvent FreeingDataSet() {
    return [this, tag = std::string(64, 'x')](TDataSet*) {
      delete ds;
      ds = nullptr;
      seen = tag;
    };
  }
  // A table with a calculated field, for OnCalcFields.
  void UseCalcTable() {
    delete ds;
    ds = new TMemDataSet(owner.get());
    ds->AddIntegerField("Id");
    ds->AddStringField("Name", 30);
    calc = ds->AddCalcField("Upper", ftString);
    ds->Open();
    ds->AppendRecord({1, "a"});
    source->SetDataSet(ds);
  }

  std::unique_ptr<TComponent> owner;
  TMemDataSet* ds = nullptr;
  TField* calc = nullptr;
  TDataSource* source = nullptr;
  std::string seen;
};

using Setter = void (*)(TDataSet*, TDataSetNotifyEvent);
#define KT_SETTER(Event) [](TDataSet* d, TDataSetNotifyEvent e) { d->Set##Event(std::move(e)); }

struct EventCase {
  const char* Name;
  Setter Set;
  Action Prepare;  // brings the data set to where the action fires the event
  Action Run;
};

const Action kNothing = [](TMemDataSet*) {};
const Action kEditName = [](TMemDataSet* d) {
  d->Edit();
  d->FieldByName("Name")->SetAsString("changed");
};

// Every event of a data set, each fired by an operation that goes on after it.
const EventCase kEventCases[] = {
    {"BeforeOpen", KT_SETTER(BeforeOpen), [](TMemDataSet* d) { d->Close(); },
     [](TMemDataSet* d) { d->Open(); }},
    {"AfterOpen", KT_SETTER(AfterOpen), [](TMemDataSet* d) { d->Close(); },
     [](TMemDataSet* d) { d->Open(); }},
    {"BeforeClose", KT_SETTER(BeforeClose), kNothing, [](TMemDataSet* d) { d->Close(); }},
    {"AfterClose", KT_SETTER(AfterClose), kNothing, [](TMemDataSet* d) { d->Close(); }},
    {"BeforeInsert", KT_SETTER(BeforeInsert), kNothing, [](TMemDataSet* d) { d->Insert(); }},
    {"AfterInsert", KT_SETTER(AfterInsert), kNothing, [](TMemDataSet* d) { d->Append(); }},
    {"OnNewRecord", KT_SETTER(OnNewRecord), kNothing, [](TMemDataSet* d) { d->Insert(); }},
    {"BeforeEdit", KT_SETTER(BeforeEdit), kNothing, [](TMemDataSet* d) { d->Edit(); }},
    {"AfterEdit", KT_SETTER(AfterEdit), kNothing, [](TMemDataSet* d) { d->Edit(); }},
    {"BeforePost", KT_SETTER(BeforePost), kEditName, [](TMemDataSet* d) { d->Post(); }},
    {"AfterPost", KT_SETTER(AfterPost), kEditName, [](TMemDataSet* d) { d->Post(); }},
    {"BeforeCancel", KT_SETTER(BeforeCancel), kEditName, [](TMemDataSet* d) { d->Cancel(); }},
    {"AfterCancel", KT_SETTER(AfterCancel), kEditName, [](TMemDataSet* d) { d->Cancel(); }},
    {"BeforeDelete", KT_SETTER(BeforeDelete), kNothing, [](TMemDataSet* d) { d->Delete(); }},
    {"AfterDelete", KT_SETTER(AfterDelete), kNothing, [](TMemDataSet* d) { d->Delete(); }},
    {"BeforeScroll", KT_SETTER(BeforeScroll), kNothing, [](TMemDataSet* d) { d->Next(); }},
    {"AfterScroll", KT_SETTER(AfterScroll), kNothing, [](TMemDataSet* d) { d->Last(); }},
    {"AfterScroll/Locate", KT_SETTER(AfterScroll), kNothing,
     [](TMemDataSet* d) { d->Locate("Name", Variant("Name3"), {}); }},
    {"AfterScroll/AppendRecord", KT_SETTER(AfterScroll), kNothing,
     [](TMemDataSet* d) {
       d->AppendRecord({9, "Nine"});
     }},
};

}  // namespace

TEST_F(FreeingHandlerTest, ADataSetEventMayFreeItsDataSet) {
  for (const EventCase& c : kEventCases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    c.Prepare(ds);
    c.Set(ds, FreeingDataSet());
    seen.clear();
    c.Run(ds);
    EXPECT_EQ(ds, nullptr);
    EXPECT_EQ(seen, std::string(64, 'x'));
    EXPECT_EQ(source->DataSet(), nullptr);
    EXPECT_EQ(source->State(), dsInactive);
  }
}

// A navigation first settles a pending edit; a handler of that post (or cancel) frees the data
// set, and the navigation stops there.
TEST_F(FreeingHandlerTest, ANavigationStopsWhenSettlingTheEditFreedTheDataSet) {
  const std::pair<const char*, Action> moves[] = {
      {"First", [](TMemDataSet* d) { d->First(); }},
      {"Last", [](TMemDataSet* d) { d->Last(); }},
      {"MoveBy", [](TMemDataSet* d) { d->MoveBy(2); }},
      {"RecNo", [](TMemDataSet* d) { d->SetRecNo(4); }},
      {"Refresh", [](TMemDataSet* d) { d->Refresh(); }},
      {"Locate", [](TMemDataSet* d) { d->Locate("Name", Variant("Name4"), {}); }},
      {"Insert", [](TMemDataSet* d) { d->Insert(); }},
      {"Append", [](TMemDataSet* d) { d->Append(); }},
      {"EmptyTable", [](TMemDataSet* d) { d->EmptyTable(); }},
      {"AppendRecord",
       [](TMemDataSet* d) {
         d->AppendRecord({9, "Nine"});
       }},
  };
  for (bool modified : {true, false}) {
    for (const auto& [name, move] : moves) {
      SCOPED_TRACE(std::string(name) + (modified ? " after a post" : " after a cancel"));
      SetUp();
      ds->Edit();
      if (modified) {
        ds->FieldByName("Name")->SetAsString("changed");
        ds->SetAfterPost(FreeingDataSet());
      } else {
        ds->SetAfterCancel(FreeingDataSet());
      }
      move(ds);
      EXPECT_EQ(ds, nullptr);
      EXPECT_EQ(seen, std::string(64, 'x'));
    }
  }
}

TEST_F(FreeingHandlerTest, OnCalcFieldsMayFreeItsDataSet) {
  UseCalcTable();
  ds->SetOnCalcFields(FreeingDataSet());
  EXPECT_EQ(calc->AsString(), "");
  EXPECT_EQ(ds, nullptr);
  EXPECT_EQ(seen, std::string(64, 'x'));
  // And while the record is edited, where the calculated values are kept apart.
  UseCalcTable();
  ds->Edit();
  ds->SetOnCalcFields(FreeingDataSet());
  EXPECT_TRUE(calc->Value().IsNull());
  EXPECT_EQ(ds, nullptr);
}

// A handler that closes the data set leaves it closed, as its sources were told.
TEST_F(FreeingHandlerTest, OnCalcFieldsThatClosesTheDataSetLeavesItClosed) {
  UseCalcTable();
  ds->SetOnCalcFields([this](TDataSet*) { ds->Close(); });
  EXPECT_EQ(calc->AsString(), "");
  EXPECT_EQ(ds->State(), dsInactive);
  EXPECT_EQ(source->State(), dsInactive);
  ds->SetOnCalcFields(nullptr);
  ds->Open();
  EXPECT_EQ(source->State(), dsBrowse);
}

// Moving or changing the data set from OnCalcFields is refused: the controls told of the move
// would read the record being calculated in place of the new one.
TEST_F(FreeingHandlerTest, OnCalcFieldsMayNotMoveOrChangeTheDataSet) {
  const std::pair<const char*, Action> cases[] = {
      {"Next", [](TMemDataSet* d) { d->Next(); }},
      {"Locate", [](TMemDataSet* d) { d->Locate("Name", Variant("b"), {}); }},
      {"Edit", [](TMemDataSet* d) { d->Edit(); }},
      {"Insert", [](TMemDataSet* d) { d->Insert(); }},
      {"Delete", [](TMemDataSet* d) { d->Delete(); }},
      {"AppendRecord",
       [](TMemDataSet* d) {
         d->AppendRecord({3, "c"});
       }},
  };
  for (const auto& [name, change] : cases) {
    UseCalcTable();
    ds->AppendRecord({2, "b"});
    ds->First();
    std::string error;
    ds->SetOnCalcFields([&, change = change](TDataSet* d) {
      try {
        change(ds);
      } catch (const EDatabaseError& e) {
        error = e.Message();
      }
      d->FieldByName("Upper")->SetAsString("A");
    });
    EXPECT_EQ(calc->AsString(), "A") << name;
    EXPECT_EQ(error, "Can't move or change a data set while its fields are being calculated") << name;
    EXPECT_EQ(ds->RecNo(), 1) << name;
    EXPECT_EQ(ds->RecordCount(), 2) << name;
    EXPECT_EQ(ds->State(), dsBrowse) << name;
  }
}

TEST_F(FreeingHandlerTest, AFieldHandlerMayFreeItsFieldOrItsDataSet) {
  for (bool onValidate : {true, false}) {
    for (bool freeDataSet : {false, true}) {
      SCOPED_TRACE(std::string(onValidate ? "OnValidate" : "OnChange") +
                   (freeDataSet ? " frees the data set" : " frees the field"));
      SetUp();
      std::vector<std::string> log;
      TRecLink link(&log);
      link.SetDataSource(source);
      TField* name = ds->FieldByName("Name");
      TFieldNotifyEvent handler = [&, name, tag = std::string(64, 'y')](TField*) {
        if (freeDataSet) {
          delete ds;
          ds = nullptr;
        } else {
          delete name;
        }
        seen = tag;
      };
      onValidate ? name->SetOnValidate(handler) : name->SetOnChange(handler);
      ds->Edit();
      log.clear();
      name->SetAsString("changed");
      EXPECT_EQ(seen, std::string(64, 'y'));
      if (freeDataSet) {
        EXPECT_EQ(ds, nullptr);
        continue;
      }
      EXPECT_EQ(ds->FindField("Name"), nullptr);
      EXPECT_EQ(log, (Log{"Layout"}));  // the links re-read the fields, and no more
      EXPECT_EQ(ds->State(), dsEdit);
      ds->Post();
      EXPECT_EQ(ds->FieldByName("Id")->AsInteger(), 1);
    }
  }
}

TEST_F(FreeingHandlerTest, ASourceHandlerMayFreeItsSourceOrTheDataSet) {
  for (int what = 0; what < 4; ++what) {
    const bool stateChange = what < 2, freeSource = what % 2 == 0;
    SCOPED_TRACE(std::string(stateChange ? "OnStateChange" : "OnDataChange") +
                 (freeSource ? " frees the source" : " frees the data set"));
    SetUp();
    TFieldDataLink link;
    link.SetFieldName("Name");
    link.SetDataSource(source);
    auto free = [&, tag = std::string(64, 'z')] {
      if (freeSource) {
        delete source;
        source = nullptr;
      } else {
        delete ds;
        ds = nullptr;
      }
      seen = tag;
    };
    if (stateChange)
      source->SetOnStateChange([free](TObject*) { free(); });
    else
      source->SetOnDataChange([free](TObject*, TField*) { free(); });
    if (ds) stateChange ? ds->Edit() : ds->Next();
    EXPECT_EQ(seen, std::string(64, 'z'));
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Field(), nullptr);
    if (ds) ds->Next();  // the data set carries on alone
  }
}

// --- Destructors never throw -------------------------------------------------------------------

TEST_F(FreeingHandlerTest, AHandlerThatRaisesWhileADataSetOrSourceGoesDoesNotEndTheProgram) {
  for (bool freeSource : {false, true}) {
    SCOPED_TRACE(freeSource ? "the source goes" : "the data set goes");
    SetUp();
    std::vector<std::string> log;
    TRecLink a(&log, "A:"), b(&log, "B:");
    a.SetDataSource(source);
    b.SetDataSource(source);
    a.Hook = [](const std::string& what) {
      if (what == "Active") throw Exception("no");
    };
    source->SetOnStateChange([](TObject*) { throw Exception("no"); });
    log.clear();
    if (freeSource)
      delete source;
    else
      delete ds;
    // Dropped, and every link heard of it.
    EXPECT_EQ(log, (Log{"A:Active", "B:Active"}));
    EXPECT_FALSE(b.Active());
  }
}

// --- A state change whose handler raises -------------------------------------------------------

// A control that shows the Name of the current record, as a data-aware edit does.
struct TShownName {
  explicit TShownName(TDataSource* Source) {
    Link.SetFieldName("Name");
    Link.SetOnDataChange([this](TObject*) { Text = Link.Field() ? Link.Field()->AsString() : "-"; });
    Link.SetDataSource(Source);
  }
  TFieldDataLink Link;
  std::string Text;
};

TEST_F(FreeingHandlerTest, AStateChangeThatRaisesLeavesTheDataSetWholeAndTheLinksTold) {
  const struct {
    const char* Name;
    Action Prepare;
    Action Run;
    TDataSetState State;  // where the data set stands afterwards
    int Records;
  } cases[] = {
      {"Insert (undone)", kNothing, [](TMemDataSet* d) { d->Insert(); }, dsBrowse, 5},
      {"Append (undone)", kNothing, [](TMemDataSet* d) { d->Append(); }, dsBrowse, 5},
      {"Edit (undone)", kNothing, [](TMemDataSet* d) { d->Edit(); }, dsBrowse, 5},
      {"Post", kEditName, [](TMemDataSet* d) { d->Post(); }, dsBrowse, 5},
      {"Cancel", kEditName, [](TMemDataSet* d) { d->Cancel(); }, dsBrowse, 5},
      {"Delete", kEditName, [](TMemDataSet* d) { d->Delete(); }, dsBrowse, 4},
      {"Cancel of an insert",
       [](TMemDataSet* d) {
         d->Insert();
         d->FieldByName("Name")->SetAsString("new");
       },
       [](TMemDataSet* d) { d->Cancel(); }, dsBrowse, 5},
      {"Close", kEditName, [](TMemDataSet* d) { d->Close(); }, dsInactive, 0},
  };
  std::vector<std::string> log;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    ds->Next();
    TShownName shown(source);
    TRecLink changes(&log);
    changes.SetDataSource(source);
    c.Prepare(ds);
    const int changed = changes.ChangedCount;
    source->SetOnStateChange([](TObject*) { throw EDatabaseError("refused"); });
    EXPECT_THROW(c.Run(ds), EDatabaseError);
    source->SetOnStateChange(nullptr);
    EXPECT_EQ(ds->State(), c.State);
    EXPECT_EQ(ds->RecordCount(), c.Records);
    EXPECT_EQ(source->State(), c.State);
    if (c.State == dsInactive) {
      EXPECT_EQ(shown.Link.Field(), nullptr);
      continue;
    }
    EXPECT_EQ(shown.Text, ds->FieldByName("Name")->AsString());
    EXPECT_EQ(changes.ChangedCount, changed + 1);  // the links re-read their records once
  }
}

// --- Sources freed while links move ------------------------------------------------------------

TEST_F(FreeingHandlerTest, ASourceFreedInItsOwnNotificationLeavesNoLinkHoldingAField) {
  TFieldDataLink a, b;
  for (TFieldDataLink* l : {&a, &b}) {
    l->SetFieldName("Name");
    l->SetDataSource(source);
  }
  a.SetOnActiveChange([&](TObject*) {
    if (!a.Active() && source) {
      delete source;
      source = nullptr;
    }
  });
  ds->Close();
  EXPECT_EQ(source, nullptr);
  EXPECT_EQ(b.DataSource(), nullptr);
  EXPECT_EQ(b.Field(), nullptr);
  delete ds;  // the field b held goes with it
  EXPECT_EQ(b.Field(), nullptr);
}

TEST_F(FreeingHandlerTest, ANewSourceFreedWhileALinkMovesToItIsNotJoined) {
  for (bool onLeaving : {true, false}) {
    SCOPED_TRACE(onLeaving ? "freed as the link leaves the old source" : "freed as it joins the new one");
    SetUp();
    auto* next = new TDataSource(owner.get());
    next->SetDataSet(ds);
    TFieldDataLink link;
    link.SetFieldName("Name");
    link.SetDataSource(source);
    link.SetOnActiveChange([&](TObject*) {
      if (next && link.Active() != onLeaving) {
        delete next;
        next = nullptr;
      }
    });
    link.SetDataSource(next);
    EXPECT_EQ(next, nullptr);
    EXPECT_EQ(link.DataSource(), nullptr);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Field(), nullptr);
  }
}
