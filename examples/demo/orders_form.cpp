#include "orders_form.h"

#include <cstdio>
#include <string>

#include "lookup/ktlookup.h"
#include "platform/vcl/application.h"
#include "platform/vcl/button.h"
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
  form->SetBounds(80, 60, 560, 340);

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

  // A button that drops a list of the customers down beside it; a row picked there becomes
  // the order's customer.
  auto* pick = new TButton(form);
  pick->SetName("PickButton");
  pick->SetParent(form);
  pick->SetCaption("Pick...");
  pick->SetBounds(16, 80, 64, 24);
  auto* popup = new TKtPopupDataList(pick);
  popup->SetName("PickList");
  popup->SetVisible(false);
  popup->SetParent(pick);
  popup->SetListSource(customerSource);
  popup->SetKeyField("CustNo");
  popup->SetListField("Name;City");
  popup->SetWidth(240);
  popup->SetRowCount(8);
  pick->SetOnClick([popup, pick](TObject*) {
    const TPoint at = pick->ClientToScreen(TPoint{pick->Width(), 0});
    SetWindowPos(popup->Handle(), HWND_TOP, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  });
  popup->SetOnMouseUp([popup, orderSource](TObject*, TMouseButton, TShiftState, int, int) {
    SetWindowPos(popup->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    TDataSet* orders = orderSource->DataSet();
    orders->Edit();
    orders->FieldByName("CustNo")->SetValue(popup->KeyValue());
    orders->Post();
  });
  // The same choice in a lookup combo; F2 starts a new customer and F3 posts it, typed in
  // place in the combo.
  AddLabel(form, "Combo:", 16, 262);
  auto* combo = new TKtDBLookupCombo(form);
  combo->SetName("CustomerCombo");
  combo->SetParent(form);
  combo->SetBounds(90, 262, 200, 0);
  combo->SetDataSource(orderSource);
  combo->SetDataField("CustNo");
  combo->SetListSource(customerSource);
  combo->SetKeyField("CustNo");
  combo->SetListField("Name;City;Country");
  combo->SetDropDownWidth(380);
  combo->SetEmptyDisplay("(none)");
  combo->SetValidateErrMsg("Choose a customer from the list.");
  combo->SetTabOrder(list->TabOrder() + 1);
  form->SetKeyPreview(true);
  form->SetOnKeyDown([customers = Data.Customers](TObject*, Word& Key, TShiftState) {
    if (Key == VK_F2) {
      const int next = customers->RecordCount() + 1001;
      customers->Append();
      customers->FieldByName("CustNo")->SetValue(next);
      Key = 0;
    } else if (Key == VK_F3 && customers->State() == dsInsert) {
      customers->Post();
      Key = 0;
    }
  });
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
  // Prints the order's customer (the key the list shows) after each step.
  auto print = [&](const std::string& What, const std::string& File) {
    const TField* custNo = orders->FieldByName("CustNo");
    const std::string name =
        custNo->IsNull() ? "(none)" : VarToStr(customers->Lookup("CustNo", custNo->Value(), "Name"));
    std::printf("  %-44s order %s  customer %-5s %-20s [%s]\n", What.c_str(),
                orders->FieldByName("OrderNo")->AsString().c_str(),
                custNo->IsNull() ? "-" : custNo->AsString().c_str(), ToUtf8(name).c_str(), File.c_str());
  };
  auto report = [&](const std::string& What) {
    print(What, Steps.Picture(Form, "orders-" + std::to_string(step++)));
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

  // Now as a user: the mouse, the keys, typing, the wheel and the scroll bar. The pictures
  // are of the screen, so that the hint windows show.
  const HWND h = list->Handle();
  const int rh = (list->ClientHeight() + 1) / list->RowCount();
  auto band = [&](int Band) { return list->ClientToScreen(TPoint{60, Band * rh + rh / 2}); };
  auto screenShot = [&](const std::string& What) {
    print(What, Steps.Picture(Form, "orders-" + std::to_string(step++), true));
  };
  sim::Click(band(4));
  screenShot("Clicked the third customer shown");
  sim::PressKey(VK_DOWN);
  screenShot("Down");
  sim::PressKey(VK_NEXT);
  screenShot("Page Down");
  sim::PressKey(VK_END);
  screenShot("End");
  sim::PressKey(VK_HOME);
  screenShot("Home");
  sim::PressKey(VK_UP);
  screenShot("Up from the first customer: the empty row");
  sim::TypeText("sm");
  screenShot("Typed \"sm\" (the search text shows)");
  sim::AdvanceTime(2000);
  sim::Wheel(-3 * 120, band(5));
  screenShot("The wheel, three notches down");
  TScrollBarLayout bar;
  GetScrollBarLayout(h, bar);
  TRect frame;
  GetWindowRect(h, frame);
  auto onBar = [&](const TRect& Part, int DY = 0) {
    return TPoint{frame.Left + (Part.Left + Part.Right) / 2, frame.Top + (Part.Top + Part.Bottom) / 2 + DY};
  };
  sim::Click(onBar(bar.DownArrow));
  screenShot("Clicked the scroll bar's down arrow");
  sim::Drag(onBar(bar.Thumb), onBar(bar.Thumb, -80), 6);
  screenShot("Dragged the scroll box 80 pixels up");
  sim::AdvanceTime(1000);
  sim::MouseDown(band(6));
  sim::MouseMove(TPoint{band(6).X, frame.Bottom + 12});
  sim::AdvanceTime(600);
  screenShot("Dragged past the bottom edge: auto-scroll");
  sim::MouseUp(TPoint{band(6).X, frame.Bottom + 12});
  screenShot("Released below the list");
  list->SetWidth(250);
  sim::MouseMove(band(5));
  screenShot("A narrow list: a tooltip over a cut-off row");
  list->SetWidth(440);
  sim::MouseMove(TPoint{20, 20});

  auto* pick = static_cast<TButton*>(Form->FindComponent("PickButton"));
  sim::Click(pick->ClientToScreen(TPoint{10, 10}));
  screenShot("The Pick button drops a list down");
  auto* popup = static_cast<TKtPopupDataList*>(pick->FindComponent("PickList"));
  sim::Click(popup->ClientToScreen(TPoint{40, 3 * rh + rh / 2}));
  screenShot("Picked the fourth customer in it");
}

}  // namespace demo
