// An application of the installed package: a customers form with a search edit over a table
// and data-aware edits showing the current record. It types into the search edit as a user
// would, checks that the table moved to the customer typed, and writes the form to a PNG file.
//
//   consumer picture.png
#include <cstdio>
#include <string>

#include "lookup/ktlookup.h"
#include "platform/data/db.h"
#include "platform/vcl/application.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/label.h"
#include "platform/vcl/screen_picture.h"
#include "platform/win/input.h"

using namespace vcl;

namespace {

TDBEdit* AddFieldRow(TForm* Form, TDataSource* Source, const std::string& Field, int Top) {
  auto* label = new TLabel(Form);
  label->SetParent(Form);
  label->SetCaption(Field + ":");
  label->SetBounds(12, Top + 3, 70, 16);
  auto* edit = new TDBEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(88, Top, 170, 21);
  edit->SetDataSource(Source);
  edit->SetDataField(Field);
  return edit;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: consumer picture.png\n");
    return 2;
  }
  auto* form = new TForm(Application);
  form->SetCaption("Customers");
  form->SetBounds(40, 40, 290, 150);

  auto* customers = new TMemDataSet(form);
  customers->AddIntegerField("CustNo");
  customers->AddStringField("Name", 20);
  customers->AddStringField("City", 15);
  customers->Open();
  customers->AppendRecord({1, "Abbott", "Boston"});
  customers->AppendRecord({2, "Jones", "Leeds"});
  customers->AppendRecord({3, "Smith", "Paris"});
  customers->AppendRecord({4, "Smythe", "Rome"});
  customers->First();
  auto* source = new TDataSource(form);
  source->SetDataSet(customers);

  auto* searchLabel = new TLabel(form);
  searchLabel->SetParent(form);
  searchLabel->SetCaption("Search:");
  searchLabel->SetBounds(12, 15, 70, 16);
  auto* search = new ktlookup::TKtSearchEdit(form);
  search->SetParent(form);
  search->SetBounds(88, 12, 170, 21);
  search->SetSearchSource(source);
  search->SetSearchField("Name");
  AddFieldRow(form, source, "Name", 48);
  AddFieldRow(form, source, "City", 76);

  form->Show();
  search->SetFocus();
  sim::TypeText("smy");
  sim::ProcessMessages();

  const std::string name = customers->FieldByName("Name")->AsString();
  SaveWindowPng(form, argv[1]);
  std::printf("typed '%s': the table stands on %s; the form is in %s\n", search->Text().c_str(), name.c_str(),
              argv[1]);
  delete form;
  if (name != "Smythe") {
    std::fprintf(stderr, "the search edit should have moved the table to Smythe\n");
    return 1;
  }
  return 0;
}
