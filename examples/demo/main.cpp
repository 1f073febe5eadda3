// The ktlookup demo: forms with the lookup controls, driven as a user would drive them.
//
// Each form types, clicks and moves through its tables, prints what the tables stand on after
// each step and writes a picture after each step into a folder (demo-out by default, or the
// folder given as an argument). With --live the forms are shown on the X display instead, for
// a person to use.
//
// The tables live in a SQLite database file, made on the first run and used again on later
// ones: demo.db beside the pictures' folder (in its parent), or the file given with --db.
// --fresh starts from a new file.
#include <cstdio>
#include <filesystem>
#include <string>

#include "customers_form.h"
#include "demo_data.h"
#include "demo_steps.h"
#include "live.h"
#include "orders_form.h"
#include "platform/vcl/application.h"

int main(int argc, char** argv) {
  std::string folder = "demo-out";
  demo::DemoDatabase database;
  database.File.clear();
  bool live = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--live") {
      live = true;
    } else if (arg == "--fresh") {
      database.Fresh = true;
    } else if (arg == "--db" && i + 1 < argc) {
      database.File = argv[++i];
    } else if (arg.rfind("--", 0) == 0) {
      std::fprintf(stderr, "usage: demo [--live] [--fresh] [--db FILE] [FOLDER]\n");
      return 2;
    } else {
      folder = arg;
    }
  }
  std::filesystem::create_directories(folder);
  if (database.File.empty())
    database.File = (std::filesystem::absolute(folder).lexically_normal().parent_path() / "demo.db").string();

  auto* data = new vcl::TComponent(vcl::Application);
  const demo::DemoData tables = demo::MakeDemoData(data, database);
  if (live) {
    const int code = demo::RunLive({demo::MakeCustomersForm(tables), demo::MakeOrdersForm(tables)});
    delete data;
    return code;
  }

  demo::Steps steps(folder);
  vcl::TForm* customersForm = demo::MakeCustomersForm(tables);
  demo::DriveCustomersForm(customersForm, tables, steps);
  delete customersForm;
  vcl::TForm* ordersForm = demo::MakeOrdersForm(tables);
  demo::DriveOrdersForm(ordersForm, tables, steps);
  demo::DriveOrdersCombo(ordersForm, tables, steps);
  delete ordersForm;

  std::printf("Pictures are in %s/\n", folder.c_str());
  delete data;
  return 0;
}
