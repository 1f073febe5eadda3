// The ktlookup demo: forms with the lookup controls, driven as a user would drive them.
//
// Each form types, clicks and moves through its tables, prints what the tables stand on after
// each step and writes a picture after each step into a folder (demo-out by default, or the
// folder given as the first argument).
#include <cstdio>
#include <filesystem>
#include <string>

#include "customers_form.h"
#include "demo_data.h"
#include "demo_steps.h"
#include "orders_form.h"
#include "platform/vcl/application.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "demo-out";
  std::filesystem::create_directories(folder);
  demo::Steps steps(folder);

  auto* data = new vcl::TComponent(vcl::Application);
  const demo::DemoData tables = demo::MakeDemoData(data);
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
