#include "orders_form.h"

#include <cstdio>
#include <string>

#include "lookup/ktlookup.h"
#include "platform/vcl/application.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/label.h"
#include "platform/win/input.h"

using namespace vcl;
using namespace ktlookup;

namespace demo {

namespace {

TLabel* AddLabel(TForm* Form, const std::string& Caption, int Left, int Top) {
  auto* label = new TLabel(Form);
  label->SetParent(Form);
  label->SetCaption(Caption);
  label->SetBounds(Left, Top + 3, 70, 16);
  return label;
}

TDBEdit* AddEdit(TForm* Form, TDataSource* Source, const std::string& Name, const std::string& Field,
                 int Left, int Top, int Width) {
  auto* edit = new TDBEdit(Form);
  edit->SetName(Name);
  edit->SetParent(Form);
  edit->SetBounds(Left, Top, Width, 21);
  edit->SetDataSource(Source);
  edit->SetDataField(Field);
  return edit;
}

}  // namespace

TForm* MakeOrdersForm(const DemoData& Data) {
  auto* form = new TForm(Application);
  form->SetName("OrdersForm");
  form->SetCaption("Orders");
  form->SetBounds(80, 60, 560, 300);

  auto* orderSource = new TDataSource(form);
  orderSource->SetName("OrderSource");
  orderSource->SetDataSet(Data.Orders);
  auto* customerSource = new TDataSource(form);
  customerSource->SetName("CustomerSource");
  customerSource->SetDataSet(Data.Customers);
  // Narrower columns than the fields' sizes, so that three fit side by side.
  Data.Customers->FieldByName("Name")->SetDisplayWidth(18);
  Data.Customers->FieldByName("City")->SetDisplayWidth(9);

  AddLabel(form, "Order:", 16, 16);
  AddEdit(form, orderSource, "OrderNo", "OrderNo", 90, 16, 60);
  AddLabel(form, "Date:", 170, 16);
  AddEdit(form, orderSource, "SaleDate", "SaleDate", 214, 16, 90);
  AddLabel(form, "Amount:", 322, 16);
  AddEdit(form, orderSource, "Amount", "Amount", 384, 16, 80);

  AddLabel(form, "Customer:", 16, 52);
  auto* list = new TKtDBLookupList(form);
  list->SetName("CustomerList");
  list->SetParent(form);
  list->SetBounds(90, 52, 440, 100);
  list->SetDataSource(orderSource);
  list->SetDataField("CustNo");
  list->SetListSource(customerSource);
  list->SetKeyField("CustNo");
  list->SetListField("Name;City;Country");
  list->SetOptions({loTitles, loColLines, loRowLines});
  list->SetEmptyDisplay("(none)");
  list->SetRowCount(13);
  form->SetActiveControl(list);
  return form;
}

void DriveOrdersForm(TForm* Form, const DemoData& Data, Steps& Steps) {
  TDataSet* orders = Data.Orders;
  TDataSet* customers = Data.Customers;
  auto* list = static_cast<TKtDBLookupList*>(Form->FindComponent("CustomerList"));
  Form->Show();
  list->SetFocus();

  std::printf("Orders form: %d orders; the customer is chosen in a lookup list.\n", orders->RecordCount());
  int step = 0;
  auto report = [&](const std::string& What) {
    const std::string file = Steps.Picture(Form, "orders-" + std::to_string(step++));
    const TField* custNo = orders->FieldByName("CustNo");
    std::printf("  %-40s order %s  customer %-5s %-22s [%s]\n", What.c_str(),
                orders->FieldByName("OrderNo")->AsString().c_str(),
                custNo->IsNull() ? "-" : custNo->AsString().c_str(), VarToStr(list->ListValue()).c_str(),
                file.c_str());
  };

  report("Start");
  orders->Next();
  report("Next order (the highlight follows)");
  orders->MoveBy(5);
  report("Five orders on");
  orders->Locate("OrderNo", 10018, {});
  report("An order without a customer");
  orders->Edit();
  orders->FieldByName("CustNo")->SetValue(customers->Lookup("Name", "Smith, Clara", "CustNo"));
  orders->Post();
  report("Customer set by code: Smith, Clara");
  list->SetOptions({loTitles});
  report("Options: titles only");
  list->SetOptions({loRowLines});
  report("Options: row lines, no titles");
  list->SetOptions({loTitles, loColLines, loRowLines});
  report("Options: titles, column and row lines");
}

}  // namespace demo
