// The demo's tables: a few hundred customers (and, as the demo grows, what refers to them).
#pragma once

#include "platform/data/db.h"

namespace demo {

// The tables of the demo, owned by the component given to MakeDemoData.
struct DemoData {
  vcl::TDataSet* Customers = nullptr;  // CustNo, Name, City, Country, Phone; sorted by name
  vcl::TDataSet* Orders = nullptr;     // OrderNo, CustNo (a customer's, or Null), SaleDate, Amount
};

// Makes and opens the demo's tables.
DemoData MakeDemoData(vcl::TComponent* Owner);

}  // namespace demo
