#include "platform/data/data_source.h"

#include <gtest/gtest.h>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

using Log = std::vector<std::string>;

class DataSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    ds = MakeTable(owner.get(), 4);
    source = new TDataSource(owner.get());
    source->SetOnStateChange([this](TObject* s) {
      log.push_back("state:" + std::to_string(static_cast<int>(static_cast<TDataSource*>(s)->State())));
    });
    source->SetOnDataChange(
        [this](TObject*, TField* f) { log.push_back("data:" + (f ? f->FieldName() : "nil")); });
    source->SetOnUpdateData([this](TObject*) { log.push_back("update"); });
  }
  std::unique_ptr<TComponent> owner;
  TMemDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  Log log;
};

TEST_F(DataSourceTest, Defaults) {
  EXPECT_TRUE(source->AutoEdit());
  EXPECT_TRUE(source->Enabled());
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_EQ(source->State(), dsInactive);
  source->Edit();  // without a data set: nothing
}

TEST_F(DataSourceTest, MirrorsTheStateAndReportsChanges) {
  source->SetDataSet(ds);
  EXPECT_EQ(source->State(), dsBrowse);
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("x");
  ds->Post();
  ds->Next();
  ds->Close();
  EXPECT_EQ(log, (Log{"state:1", "data:nil", "state:2", "data:nil", "data:Name", "update", "state:1",
                      "data:nil", "data:nil", "state:0"}));
}

TEST_F(DataSourceTest, EditFollowsAutoEdit) {
  source->SetDataSet(ds);
  source->SetAutoEdit(false);
  source->Edit();
  EXPECT_EQ(ds->State(), dsBrowse);
  source->SetAutoEdit(true);
  source->Edit();
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(source->State(), dsEdit);
}

TEST_F(DataSourceTest, SwitchingDataSetsDeactivatesFirst) {
  source->SetDataSet(ds);
  auto* other = MakeTable(owner.get(), 2, "Other");
  TRecLink link(&log);
  link.SetDataSource(source);
  log.clear();
  source->SetDataSet(other);
  EXPECT_EQ(link.DataSet(), other);
  EXPECT_EQ(link.RecordCount(), 1);
  EXPECT_EQ(log, (Log{"Active", "state:0", "Active", "state:1", "data:nil"}));
  EXPECT_FALSE(ds->IsLinkedTo(source));
  EXPECT_TRUE(other->IsLinkedTo(source));
}

TEST_F(DataSourceTest, FreedWhileTheDataSetLives) {
  source->SetDataSet(ds);
  delete source;
  ds->Next();  // no one to tell; no dangling source
  EXPECT_EQ(CurrentId(ds), 2);
}

TEST_F(DataSourceTest, DataSetFreedWhileTheSourceLives) {
  source->SetDataSet(ds);
  log.clear();
  TRecLink link(nullptr);
  link.SetDataSource(source);
  delete ds;
  EXPECT_EQ(source->DataSet(), nullptr);
  EXPECT_EQ(source->State(), dsInactive);
  EXPECT_FALSE(link.Active());
  // The source's own events stay quiet: a handler would meet a data set half destroyed (and
  // one that frees the data set, as handlers may, would free it twice).
  EXPECT_EQ(log, (Log{}));
}

TEST_F(DataSourceTest, HandlerThatFreesTheSource) {
  source->SetDataSet(ds);
  TRecLink link(&log);
  link.SetDataSource(source);
  source->SetOnDataChange([&](TObject*, TField*) { delete source; });
  ds->Next();
  EXPECT_EQ(link.DataSource(), nullptr);
  ds->Next();
  EXPECT_EQ(CurrentId(ds), 3);
}

}  // namespace
