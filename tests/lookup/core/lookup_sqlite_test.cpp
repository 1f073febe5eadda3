// The lookup controls over tables of a database file: the search edit positions a table, and a
// lookup field joins two tables.
#include <gtest/gtest.h>

#include "lookup/core/test_lookup_control.h"
#include "lookup/search/search_edit.h"
#include "platform/data/data_test_util.h"

using namespace vcl;
using namespace ktlookup;

namespace {

class SQLiteLookupTest : public kttest::PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    Form->Show();
    Db = new TSQLiteConnection(Form);
    Db->SetDatabaseName(datatest::TestFolder().NewFile("lookup"));
    Db->Open();
    Db->ExecSQL("CREATE TABLE Customers (CustNo INTEGER PRIMARY KEY, Name VARCHAR(20), City VARCHAR(15))");
    Db->ExecSQL(
        "INSERT INTO Customers VALUES (1, 'Abbott', 'Boston'), (2, 'SMITH', 'Paris'), "
        "(3, 'smythe', 'Rome'), (4, 'Jones', 'Boston'), (5, 'Adams', 'Oslo')");
    Db->ExecSQL("CREATE TABLE Orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER REFERENCES Customers)");
    Db->ExecSQL("INSERT INTO Orders VALUES (100, 2), (101, NULL)");
    Customers = Table("Customers");
    Customers->Open();
    Orders = Table("Orders");
    Orders->CreateFields();
    Orders->AddLookupField("Customer", ftString, 20, "CustNo", Customers, "CustNo", "Name");
    Orders->Open();
    CustSource = new TDataSource(Form);
    CustSource->SetDataSet(Customers);
    OrderSource = new TDataSource(Form);
    OrderSource->SetDataSet(Orders);
  }
  TSQLiteDataSet* Table(const std::string& Name) {
    auto* ds = new TSQLiteDataSet(Form);
    ds->SetName(Name);
    ds->SetConnection(Db);
    ds->SetTableName(Name);
    return ds;
  }
  std::string Current() { return Customers->FieldByName("Name")->AsString(); }

  TForm* Form = nullptr;
  TSQLiteConnection* Db = nullptr;
  TSQLiteDataSet* Customers = nullptr;
  TSQLiteDataSet* Orders = nullptr;
  TDataSource* CustSource = nullptr;
  TDataSource* OrderSource = nullptr;
};

TEST_F(SQLiteLookupTest, TheSearchEditPositionsATableOfTheDatabase) {
  auto* edit = new TKtSearchEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 10, 120, 21);
  edit->SetSearchSource(CustSource);
  edit->SetSearchField("Name");
  edit->SetFocus();
  sim::TypeText("sm");
  EXPECT_EQ(Current(), "SMITH");
  sim::TypeText("y");
  EXPECT_EQ(Current(), "smythe");
  sim::PressKey(VK_BACK);
  EXPECT_EQ(Current(), "SMITH");
  edit->SelectAll();
  sim::TypeText("jox");  // "jo" finds Jones, the x nothing
  EXPECT_EQ(edit->Text(), "jox");
  EXPECT_EQ(Current(), "Jones");
  edit->SelectAll();
  sim::PressKey(VK_DELETE);
  EXPECT_TRUE(Customers->BOF());
  EXPECT_EQ(Current(), "Abbott");
  EXPECT_EQ(Customers->State(), dsBrowse);
  EXPECT_EQ(Application->ExceptionCount(), 0);
}

TEST_F(SQLiteLookupTest, ALookupFieldJoinsTwoTablesAndAChoiceIsStored) {
  kttest::TTestLookup* c = new kttest::TTestLookup(Form, Log);
  c->SetParent(Form);
  c->SetDataSource(OrderSource);
  c->SetDataField("Customer");
  EXPECT_TRUE(c->FLookupMode);
  EXPECT_EQ(c->FListLink->DataSet(), Customers);
  EXPECT_EQ(c->KeyValue(), Variant(2));
  EXPECT_EQ(Orders->FieldByName("Customer")->AsString(), "SMITH");
  // Typing chooses Jones: the order's key is written, and stored with the post.
  EXPECT_TRUE(c->ProcessSearchKey('j'));
  EXPECT_EQ(Orders->State(), dsEdit);
  EXPECT_EQ(c->KeyValue(), Variant(4));
  EXPECT_EQ(Orders->FieldByName("Customer")->AsString(), "Jones");
  Orders->Post();
  EXPECT_EQ(Db->ExecScalar("SELECT CustNo FROM Orders WHERE OrderNo = 100"), Variant(4));
  // The order without a customer shows none; choosing one stores it too.
  Orders->Next();
  EXPECT_TRUE(c->KeyValue().IsNull());
  EXPECT_EQ(Orders->FieldByName("Customer")->AsString(), "");
  c->FSearchText.clear();
  EXPECT_TRUE(c->ProcessSearchKey('A'));
  EXPECT_TRUE(c->ProcessSearchKey('d'));
  Orders->Post();
  EXPECT_EQ(Db->ExecScalar("SELECT CustNo FROM Orders WHERE OrderNo = 101"), Variant(5));
  EXPECT_EQ(Orders->FieldByName("Customer")->AsString(), "Adams");
}

}  // namespace
