#include "customers_form.h"

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

// A label and a data-aware edit for one field, in a row of the form.
TDBEdit* AddFieldRow(TForm* Form, TDataSource* Source, const std::string& Field, const std::string& Caption,
                     int Top, int Width) {
  auto* label = new TLabel(Form);
  label->SetParent(Form);
  label->SetCaption(Caption);
  label->SetBounds(16, Top + 3, 80, 16);
  auto* edit = new TDBEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(104, Top, Width, 21);
  edit->SetDataSource(Source);
  edit->SetDataField(Field);
  return edit;
}

}  // namespace

TForm* MakeCustomersForm(const DemoData& Data) {
  auto* form = new TForm(Application);
  form->SetName("CustomerForm");
  form->SetCaption("Customers");
  form->SetBounds(60, 60, 420, 230);

  auto* source = new TDataSource(form);
  source->SetName("CustomerSource");
  source->SetDataSet(Data.Customers);

  auto* searchLabel = new TLabel(form);
  searchLabel->SetParent(form);
  searchLabel->SetCaption("Search name:");
  searchLabel->SetBounds(16, 19, 80, 16);
  auto* search = new TKtSearchEdit(form);
  search->SetName("SearchEdit");
  search->SetParent(form);
  search->SetBounds(104, 16, 180, 21);
  search->SetSearchSource(source);
  search->SetSearchField("Name");

  AddFieldRow(form, source, "CustNo", "Number:", 56, 60);
  AddFieldRow(form, source, "Name", "Name:", 84, 200);
  AddFieldRow(form, source, "City", "City:", 112, 140);
  AddFieldRow(form, source, "Country", "Country:", 140, 140);
  AddFieldRow(form, source, "Phone", "Phone:", 168, 120);
  form->SetActiveControl(search);
  return form;
}

void DriveCustomersForm(TForm* Form, const DemoData& Data, Steps& Steps) {
  TDataSet* customers = Data.Customers;
  auto* form = Form;
  auto* search = static_cast<TKtSearchEdit*>(form->FindComponent("SearchEdit"));
  form->Show();
  search->SetFocus();

  std::printf("Customers form: %d customers; searching by name.\n", customers->RecordCount());
  int step = 0;
  auto report = [&](const std::string& What) {
    const std::string file = Steps.Picture(form, "customers-" + std::to_string(step++));
    std::printf("  %-34s text '%s'  ->  #%s %s (%s)   [%s]\n", What.c_str(), search->Text().c_str(),
                customers->FieldByName("CustNo")->AsString().c_str(),
                customers->FieldByName("Name")->AsString().c_str(),
                customers->FieldByName("City")->AsString().c_str(), file.c_str());
  };

  report("Start");
  sim::TypeText("sm");
  report("Typed \"sm\"");
  sim::PressKey(VK_BACK);
  report("Backspace");
  sim::PressKey(VK_HOME, {ssShift});  // select the text, so typing replaces it
  sim::TypeText("ab");
  report("Selected the text, typed \"ab\"");
  sim::PressKey(VK_END);
  sim::TypeText("zzz");
  report("Typed \"zzz\" (matches nothing)");
  search->SelectAll();
  sim::PressKey(VK_DELETE);
  report("Cleared the text");
}

}  // namespace demo
