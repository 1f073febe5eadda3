#include "demo_data.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace vcl;

namespace demo {

namespace {

using Rows = std::vector<std::vector<Variant>>;

// A few hundred customers made from first names, surnames and cities, sorted by name.
Rows MakeCustomers() {
  Rows rows;
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
      rows.push_back({custNo++, surnames[s] + ", " + firstNames[f], city.first, city.second, phone});
    }
  return rows;
}

// A few hundred orders by the customers (every fifty-third without a customer).
Rows MakeOrders(int Customers) {
  Rows rows;
  for (int i = 0; i < 400; ++i) {
    const Variant custNo = i % 53 == 17 ? Variant(Null) : Variant(1001 + (i * 37) % Customers);
    const double saleDate = 46023.0 + i / 3;  // from 2026-01-01, three orders a day
    const double amount = 20 + (i * 7919) % 98000 / 100.0;
    rows.push_back({10001 + i, custNo, Variant::FromDateTime(saleDate), amount});
  }
  return rows;
}

// Makes the tables and stores the generated rows, in one transaction.
void CreateTables(TSQLiteConnection* Db) {
  Db->StartTransaction();
  try {
    Db->ExecSQL(
        "CREATE TABLE Customers (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30) NOT NULL, City VARCHAR(20), "
        "Country VARCHAR(20), Phone VARCHAR(16))");
    Db->ExecSQL(
        "CREATE TABLE Orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER REFERENCES Customers, "
        "SaleDate DATETIME, Amount REAL)");
    const Rows customers = MakeCustomers();
    for (const auto& r : customers)
      Db->ExecSQL("INSERT INTO Customers VALUES (:CustNo, :Name, :City, :Country, :Phone)",
                  {{"CustNo", r[0]}, {"Name", r[1]}, {"City", r[2]}, {"Country", r[3]}, {"Phone", r[4]}});
    for (const auto& r : MakeOrders(static_cast<int>(customers.size())))
      Db->ExecSQL("INSERT INTO Orders VALUES (:OrderNo, :CustNo, :SaleDate, :Amount)",
                  {{"OrderNo", r[0]}, {"CustNo", r[1]}, {"SaleDate", r[2]}, {"Amount", r[3]}});
    Db->Commit();
  } catch (...) {
    Db->Rollback();
    throw;
  }
}

TSQLiteDataSet* OpenTable(TComponent* Owner, TSQLiteConnection* Db, const std::string& Name,
                          const std::string& Order = "") {
  auto* table = new TSQLiteDataSet(Owner);
  table->SetName(Name);
  table->SetConnection(Db);
  table->SetTableName(Name);
  table->SetIndexFieldNames(Order);
  table->Open();
  return table;
}

}  // namespace

DemoData MakeDemoData(TComponent* Owner, const DemoDatabase& Database) {
  namespace fs = std::filesystem;
  if (Database.Fresh)
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) fs::remove(Database.File + suffix);
  DemoData data;
  auto* db = new TSQLiteConnection(Owner);
  db->SetName("DemoDatabase");
  db->SetDatabaseName(Database.File);
  db->Open();
  // A file without the tables (new, or left by a run that stopped while making them) gets them.
  const std::vector<std::string> tables = db->TableNames();
  const bool found = std::find(tables.begin(), tables.end(), "Customers") != tables.end();
  if (!found) CreateTables(db);
  data.Database = db;
  data.Customers = OpenTable(Owner, db, "Customers", "Name");
  data.Orders = OpenTable(Owner, db, "Orders");
  std::printf("%s the demo's database %s: %d customers, %d orders.\n", found ? "Found" : "Made",
              Database.File.c_str(), data.Customers->RecordCount(), data.Orders->RecordCount());
  return data;
}

}  // namespace demo
