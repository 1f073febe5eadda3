// The ktlookup demo: a customers form with a search edit and data-aware edits.
//
// It makes a table of a few hundred customers, builds a form, types into the search edit as a
// user would ("sm", Backspace, "ab", a text that matches nothing, clearing the text), prints
// the record the table stands on after each step and writes a picture of the form after each
// step into a folder (demo-out by default, or the folder given as the first argument).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "lookup/ktlookup.h"
#include "platform/data/db.h"
#include "platform/vcl/application.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/form.h"
#include "platform/vcl/label.h"
#include "platform/vcl/screen_picture.h"
#include "platform/win/input.h"

using namespace vcl;
using namespace ktlookup;

namespace {

// A few hundred customers made from first names, surnames and cities, sorted by name.
void FillCustomers(TMemDataSet* Table) {
  const std::vector<std::string> surnames = {
      "Aalto",    "Abbott",   "Adams",    "Allen",    "Baker",   "Barnes",  "Bell",     "Brooks",  "Brown",
      "Campbell", "Carter",   "Clark",    "Collins", "Cook",    "Cooper",   "Davies",  "Edwards",
      "Evans",    "Fisher",   "Foster",   "Garcia",  "Gray",    "Green",    "Hall",    "Harris",
      "Hughes",   "Jackson",  "James",    "Johnson", "Jones",   "Kelly",    "King",    "Lee",
      "Lewis",    "Martin",   "Miller",   "Moore",   "Morgan",  "Morris",   "Murphy",  "Nelson",
      "Parker",   "Phillips", "Price",    "Reed",    "Roberts", "Robinson", "Rogers",  "Sabatini",
      "Scott",    "Smith",    "Smythe",   "Stewart", "Taylor",  "Thomas",   "Turner",  "Walker",
      "Ward",     "Watson",   "White",    "Wilson",  "Wood",    "Wright",   "Young",   "\xC5kesson"};
  const std::vector<std::string> firstNames = {"Anna", "Ben", "Clara", "David", "Emma"};
  const std::vector<std::pair<std::string, std::string>> cities = {
      {"Boston", "USA"},  {"Lyon", "France"},     {"Leeds", "UK"},      {"Porto", "Portugal"},
      {"Ghent", "Belgium"}, {"Uppsala", "Sweden"}, {"Graz", "Austria"}, {"Cork", "Ireland"}};
  int custNo = 1001;
  for (size_t s = 0; s < surnames.size(); ++s)
    for (size_t f = 0; f < firstNames.size(); ++f) {
      const auto& city = cities[(s * 5 + f * 3) % cities.size()];
      char phone[32];
      std::snprintf(phone, sizeof phone, "+%02d %03d %04d", static_cast<int>(10 + s % 80),
                    static_cast<int>((s * 37 + f * 11) % 1000), static_cast<int>((s * 7919 + f * 104729) % 10000));
      Table->AppendRecord({custNo++, surnames[s] + ", " + firstNames[f], city.first, city.second, phone});
    }
  Table->First();
}

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

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "demo-out";
  std::filesystem::create_directories(folder);

  auto* form = new TForm(Application);
  form->SetName("CustomerForm");
  form->SetCaption("Customers");
  form->SetBounds(60, 60, 420, 230);

  auto* customers = new TMemDataSet(form);
  customers->SetName("Customers");
  customers->AddIntegerField("CustNo");
  customers->AddStringField("Name", 30);
  customers->AddStringField("City", 20);
  customers->AddStringField("Country", 20);
  customers->AddStringField("Phone", 16);
  customers->Open();
  FillCustomers(customers);
  auto* source = new TDataSource(form);
  source->SetName("CustomerSource");
  source->SetDataSet(customers);

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
  form->Show();
  search->SetFocus();

  std::printf("%d customers; searching by name.\n", customers->RecordCount());
  int step = 0;
  auto report = [&](const std::string& What) {
    sim::ProcessMessages();
    const std::string file = folder + "/step" + std::to_string(step++) + ".png";
    SaveWindowPng(form, file);
    std::printf("%-34s text '%s'  ->  #%s %s (%s)   [%s]\n", What.c_str(), search->Text().c_str(),
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
  std::printf("Pictures are in %s/\n", folder.c_str());
  delete form;
  return 0;
}
