#include "demo_data.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace vcl;

namespace demo {

namespace {

// A few hundred customers made from first names, surnames and cities, sorted by name.
void FillCustomers(TMemDataSet* Table) {
  const std::vector<std::string> surnames = {
      "Aalto",    "Abbott",    "Adams",  "Allen",    "Baker",  "Barnes", "Bell",     "Brooks",  "Brown",
      "Campbell", "Carter",    "Clark",  "Collins",  "Cook",   "Cooper", "Davies",   "Edwards", "Evans",
      "Fisher",   "Foster",    "Garcia", "Gray",     "Green",  "Hall",   "Harris",   "Hughes",  "Jackson",
      "James",    "Johnson",   "Jones",  "Kelly",    "King",   "Lee",    "Lewis",    "Martin",  "Miller",
      "Moore",    "Morgan",    "Morris", "Murphy",   "Nelson", "Parker", "Phillips", "Price",   "Reed",
      "Roberts",  "Robinson",  "Rogers", "Sabatini", "Scott",  "Smith",  "Smythe",   "Stewart", "Taylor",
      "Thomas",   "Turner",    "Walker", "Ward",     "Watson", "White",  "Wilson",   "Wood",    "Wright",
      "Young",    "\xC5kesson"};
  const std::vector<std::string> firstNames = {"Anna", "Ben", "Clara", "David", "Emma"};
  const std::vector<std::pair<std::string, std::string>> cities = {
      {"Boston", "USA"},    {"Lyon", "France"},    {"Leeds", "UK"},     {"Porto", "Portugal"},
      {"Ghent", "Belgium"}, {"Uppsala", "Sweden"}, {"Graz", "Austria"}, {"Cork", "Ireland"}};
  int custNo = 1001;
  for (size_t s = 0; s < surnames.size(); ++s)
    for (size_t f = 0; f < firstNames.size(); ++f) {
      const auto& city = cities[(s * 5 + f * 3) % cities.size()];
      char phone[32];
      std::snprintf(phone, sizeof phone, "+%02d %03d %04d", static_cast<int>(10 + s % 80),
                    static_cast<int>((s * 37 + f * 11) % 1000),
                    static_cast<int>((s * 7919 + f * 104729) % 10000));
      Table->AppendRecord({custNo++, surnames[s] + ", " + firstNames[f], city.first, city.second, phone});
    }
  Table->First();
}

// A few hundred orders by the customers (every fifty-third without a customer).
void FillOrders(TMemDataSet* Table, int Customers) {
  for (int i = 0; i < 400; ++i) {
    const Variant custNo = i % 53 == 17 ? Variant(Null) : Variant(1001 + (i * 37) % Customers);
    const double saleDate = 46023.0 + i / 3;  // from 2026-01-01, three orders a day
    const double amount = 20 + (i * 7919) % 98000 / 100.0;
    Table->AppendRecord({10001 + i, custNo, Variant::FromDateTime(saleDate), amount});
  }
  Table->First();
}

}  // namespace

DemoData MakeDemoData(TComponent* Owner) {
  DemoData data;
  auto* customers = new TMemDataSet(Owner);
  customers->SetName("Customers");
  customers->AddIntegerField("CustNo");
  customers->AddStringField("Name", 30);
  customers->AddStringField("City", 20);
  customers->AddStringField("Country", 20);
  customers->AddStringField("Phone", 16);
  customers->Open();
  FillCustomers(customers);
  data.Customers = customers;

  auto* orders = new TMemDataSet(Owner);
  orders->SetName("Orders");
  orders->AddIntegerField("OrderNo");
  orders->AddIntegerField("CustNo");
  orders->AddDateTimeField("SaleDate");
  orders->AddFloatField("Amount");
  orders->Open();
  FillOrders(orders, customers->RecordCount());
  data.Orders = orders;
  return data;
}

}  // namespace demo
