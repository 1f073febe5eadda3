// The demo's tables: a few hundred customers and their orders, in a SQLite database file that
// the first run makes and later runs open again (so what a run changes, the next one shows).
#pragma once

#include <string>

#include "platform/data/db.h"

namespace demo {

// The tables of the demo, owned by the component given to MakeDemoData.
struct DemoData {
  vcl::TDataSet* Customers = nullptr;  // CustNo, Name, City, Country, Phone; sorted by name
  vcl::TDataSet* Orders = nullptr;     // OrderNo, CustNo (a customer's, or Null), SaleDate, Amount
  vcl::TSQLiteConnection* Database = nullptr;
};

// Where the tables live.
struct DemoDatabase {
  std::string File = "demo.db";  // made, with the generated rows, when it does not exist
  bool Fresh = false;            // start from a new file, dropping the one there is
};

// Opens the demo's database (making it first when needed) and its tables.
DemoData MakeDemoData(vcl::TComponent* Owner, const DemoDatabase& Database = DemoDatabase());

}  // namespace demo
