// A tour of the edits: a form with a labelled edit holding a selection, a data-aware edit
// over a small table (typed into, so the table is being edited), a default and a cancel
// button. The form is written to a PNG file (the first argument, or edits_tour.png).
#include <cstdio>
#include <string>

#include "platform/data/db.h"
#include "platform/vcl/application.h"
#include "platform/vcl/button.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/label.h"
#include "platform/vcl/screen_picture.h"
#include "platform/win/input.h"

using namespace vcl;

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "edits_tour.png";

  auto* form = new TForm(Application);
  form->SetName("EditsTour");
  form->SetCaption("Edits tour");
  form->SetBounds(40, 40, 300, 170);

  auto* table = new TMemDataSet(form);
  table->SetName("Customers");
  table->AddIntegerField("Id");
  table->AddStringField("Name", 20);
  table->Open();
  table->AppendRecord({1, "Abbott"});
  table->AppendRecord({2, "Smith"});
  table->First();
  auto* source = new TDataSource(form);
  source->SetDataSet(table);

  auto addLabel = [&](const std::string& Caption, int Top, TWinControl* Focus) {
    auto* label = new TLabel(form);
    label->SetCaption(Caption);
    label->SetBounds(10, Top + 3, 60, 17);
    label->SetFocusControl(Focus);
    label->SetParent(form);
  };

  auto* edit = new TEdit(form);
  edit->SetBounds(80, 10, 200, 21);
  edit->SetParent(form);
  addLabel("&Search:", 10, edit);

  auto* dbEdit = new TDBEdit(form);
  dbEdit->SetBounds(80, 40, 200, 21);
  dbEdit->SetParent(form);
  dbEdit->SetDataSource(source);
  dbEdit->SetDataField("Name");
  addLabel("&Name:", 40, dbEdit);

  auto* ok = new TButton(form);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  ok->SetBounds(124, 100, 75, 25);
  ok->SetParent(form);
  auto* cancel = new TButton(form);
  cancel->SetCaption("Cancel");
  cancel->SetCancel(true);
  cancel->SetBounds(205, 100, 75, 25);
  cancel->SetParent(form);

  form->Show();
  sim::ProcessMessages();

  // The data-aware edit: the user appends to the name (the table goes into edit state).
  dbEdit->SetFocus();
  sim::PressKey(VK_END);
  sim::TypeText("-Jones");
  // The plain edit: some text, the word "lookup" selected, the focus on it.
  edit->SetFocus();
  sim::TypeText("data-aware lookup controls");
  edit->SetSelStart(11);
  edit->SetSelLength(6);

  SaveWindowPng(form, path);
  std::printf("edit: '%s' (selected '%s'); name: '%s', table %s; written to %s\n", edit->Text().c_str(),
              edit->SelText().c_str(), dbEdit->Text().c_str(),
              table->State() == dsEdit ? "in edit state" : "browsing", path.c_str());
  ResetPlatform();
  return 0;
}
