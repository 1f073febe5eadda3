// Tables, sources and a form for the lookup controls' tests: customers to choose from, orders
// that receive the chosen key, suppliers for a second lookup field.
#pragma once

#include "platform/data/db.h"
#include "platform/platform_fixture.h"

namespace kttest {

class LookupTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    Form->Show();
    Customers = new vcl::TMemDataSet(Form);
    Customers->SetName("Customers");
    Customers->AddIntegerField("CustNo");
    Customers->AddStringField("Name", 20);
    Customers->AddStringField("City", 15);
    Customers->Open();
    Customers->AppendRecord({1, "Abbott", "Boston"});
    Customers->AppendRecord({2, "SMITH", "Paris"});
    Customers->AppendRecord({3, "smythe", "Rome"});
    Customers->AppendRecord({4, "Jones", "Boston"});
    Customers->AppendRecord({5, "Adams", "Oslo"});
    Customers->First();

    Suppliers = new vcl::TMemDataSet(Form);
    Suppliers->SetName("Suppliers");
    Suppliers->AddIntegerField("SupNo");
    Suppliers->AddStringField("Company", 20);
    Suppliers->Open();
    Suppliers->AppendRecord({10, "Acme"});
    Suppliers->AppendRecord({20, "Globex"});
    Suppliers->First();

    Orders = new vcl::TMemDataSet(Form);
    Orders->SetName("Orders");
    Orders->AddIntegerField("OrderNo");
    Orders->AddIntegerField("CustNo");
    Orders->AddIntegerField("SupNo");
    Orders->AddLookupField("Customer", vcl::ftString, 20, "CustNo", Customers, "CustNo", "Name");
    Orders->AddLookupField("Supplier", vcl::ftString, 20, "SupNo", Suppliers, "SupNo", "Company");
    Orders->Open();
    Orders->AppendRecord({100, 2, 20});
    Orders->AppendRecord({101, vcl::Variant(vcl::Null), vcl::Variant(vcl::Null)});
    Orders->First();

    CustSource = new vcl::TDataSource(Form);
    CustSource->SetName("CustSource");
    CustSource->SetDataSet(Customers);
    SupSource = new vcl::TDataSource(Form);
    SupSource->SetName("SupSource");
    SupSource->SetDataSet(Suppliers);
    OrderSource = new vcl::TDataSource(Form);
    OrderSource->SetName("OrderSource");
    OrderSource->SetDataSet(Orders);
  }

  vcl::TForm* Form = nullptr;
  vcl::TMemDataSet* Customers = nullptr;
  vcl::TMemDataSet* Suppliers = nullptr;
  vcl::TMemDataSet* Orders = nullptr;
  vcl::TDataSource* CustSource = nullptr;
  vcl::TDataSource* SupSource = nullptr;
  vcl::TDataSource* OrderSource = nullptr;
};

}  // namespace kttest
