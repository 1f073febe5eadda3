#include "platform/data/data_set_actions.h"

#include <gtest/gtest.h>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    ds = MakeTable(owner.get(), 3);
    source = new TDataSource(owner.get());
    source->SetDataSet(ds);
    link.SetDataSource(source);
  }
  std::unique_ptr<TComponent> owner;
  TMemDataSet* ds = nullptr;
  TDataSource* source = nullptr;
  TDataLink link;
};

TEST_F(ActionsTest, NavigationThroughTheLinkSource) {
  auto* next = new TDataSetNext(owner.get());
  auto* last = new TDataSetLast(owner.get());
  auto* prior = new TDataSetPrior(owner.get());
  auto* first = new TDataSetFirst(owner.get());
  EXPECT_TRUE(link.ExecuteAction(next));
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_TRUE(link.ExecuteAction(last));
  EXPECT_TRUE(ds->EOF());
  EXPECT_TRUE(link.UpdateAction(next));
  EXPECT_FALSE(next->Enabled());
  EXPECT_TRUE(link.ExecuteAction(prior));
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_TRUE(link.ExecuteAction(first));
  EXPECT_TRUE(ds->BOF());
  EXPECT_TRUE(link.UpdateAction(first));
  EXPECT_FALSE(first->Enabled());
  EXPECT_TRUE(link.UpdateAction(next));
  EXPECT_TRUE(next->Enabled());
}

TEST_F(ActionsTest, EditingActions) {
  auto* edit = new TDataSetEdit(owner.get());
  auto* post = new TDataSetPost(owner.get());
  auto* cancel = new TDataSetCancel(owner.get());
  auto* insert = new TDataSetInsert(owner.get());
  auto* del = new TDataSetDelete(owner.get());
  link.UpdateAction(post);
  EXPECT_FALSE(post->Enabled());
  link.ExecuteAction(edit);
  EXPECT_EQ(ds->State(), dsEdit);
  ds->FieldByName("Name")->SetAsString("x");
  link.UpdateAction(post);
  EXPECT_TRUE(post->Enabled());
  link.ExecuteAction(post);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "x");
  link.ExecuteAction(insert);
  EXPECT_EQ(ds->State(), dsInsert);
  link.ExecuteAction(cancel);
  EXPECT_EQ(ds->RecordCount(), 3);
  link.ExecuteAction(del);
  EXPECT_EQ(ds->RecordCount(), 2);
}

TEST_F(ActionsTest, ActionsWithTheirOwnSource) {
  auto* other = new TDataSource(owner.get());
  auto* next = new TDataSetNext(owner.get());
  next->SetDataSource(other);
  EXPECT_FALSE(link.ExecuteAction(next));  // aimed at another source without a data set
  other->SetDataSet(ds);
  EXPECT_FALSE(link.ExecuteAction(next));  // still another source
  EXPECT_TRUE(other->ExecuteAction(next));
  EXPECT_EQ(ds->RecNo(), 2);
  delete other;
  EXPECT_EQ(next->DataSource(), nullptr);
  EXPECT_TRUE(link.ExecuteAction(next));
  EXPECT_EQ(ds->RecNo(), 3);
  TDataLink unbound;
  EXPECT_FALSE(unbound.ExecuteAction(next));
  EXPECT_FALSE(unbound.UpdateAction(next));
}

TEST(DatabaseErrorTest, PrefixesNamedComponents) {
  TComponent named(nullptr);
  named.SetName("Combo1");
  TComponent unnamed(nullptr);
  try {
    DatabaseErrorFmt(SFieldNotFound, {"X"}, &named);
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Combo1: Field 'X' not found");
  }
  try {
    DatabaseError("plain", &unnamed);
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "plain");
  }
  EXPECT_THROW(DatabaseError("no component"), Exception);
}

TEST(DatabaseErrorTest, GetFieldProperty) {
  TComponent owner(nullptr);
  auto* ds = MakeTable(&owner, 1);
  TComponent control(nullptr);
  control.SetName("List1");
  EXPECT_EQ(GetFieldProperty(ds, &control, "name"), ds->FieldByName("Name"));
  try {
    GetFieldProperty(ds, &control, "Missing");
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "List1: Field 'Missing' not found");
  }
  EXPECT_THROW(GetFieldProperty(nullptr, &control, "Name"), EDatabaseError);
}

}  // namespace
