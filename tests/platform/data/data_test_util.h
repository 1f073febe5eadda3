// Shared helpers of the data-access tests: a small table, the kinds of data set the contract
// tests run against, and a link that records what it hears.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/data/db.h"

namespace datatest {

using namespace vcl;

// A folder for the database files of one test program, removed when the program ends.
class TTempFolder {
 public:
  TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ktlookup-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
  }
  // A new file name in the folder (nothing is made).
  std::string NewFile(const std::string& Stem) {
    return (std::filesystem::path(FPath) / (Stem + "-" + std::to_string(++FCount) + ".db")).string();
  }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
  int FCount = 0;
};

inline TTempFolder& TestFolder() {
  static TTempFolder folder;
  return folder;
}

// A column of a table that a kind of data set makes.
struct TColumnDef {
  std::string Name;
  TFieldType Type;
  int Size = 0;
};
using TRows = std::vector<std::vector<Variant>>;

// A kind of data set the contract tests run against: it makes an open table named Name with
// the columns and rows given, owned by Owner, standing on its first record.
struct TTableKind {
  std::string Name;
  std::function<TDataSet*(TComponent* Owner, const std::string& Name, const std::vector<TColumnDef>& Columns,
                          const TRows& Rows)>
      Make;
};

inline TDataSet* MakeMemTable(TComponent* Owner, const std::string& Name,
                              const std::vector<TColumnDef>& Columns, const TRows& Rows) {
  auto* ds = new TMemDataSet(Owner);
  ds->SetName(Name);
  for (const TColumnDef& c : Columns) {
    switch (c.Type) {
      case ftString: ds->AddStringField(c.Name, c.Size); break;
      case ftInteger: ds->AddIntegerField(c.Name); break;
      case ftFloat: ds->AddFloatField(c.Name); break;
      case ftBoolean: ds->AddBooleanField(c.Name); break;
      default: ds->AddDateTimeField(c.Name); break;
    }
  }
  ds->Open();
  ds->DisableControls();
  for (const auto& row : Rows) ds->AppendRecord(row);
  ds->EnableControls();
  ds->First();
  return ds;
}

// The SQL type that makes a field of Type (and Size).
inline std::string DeclaredType(const TColumnDef& Column) {
  switch (Column.Type) {
    case ftString: return "VARCHAR(" + std::to_string(Column.Size) + ")";
    case ftInteger: return "INTEGER";
    case ftFloat: return "REAL";
    case ftBoolean: return "BOOLEAN";
    default: return "DATETIME";
  }
}

// A table in a new database file of the test folder, through a connection of its own (owned
// by Owner too).
inline TDataSet* MakeSQLiteTable(TComponent* Owner, const std::string& Name,
                                 const std::vector<TColumnDef>& Columns, const TRows& Rows) {
  auto* connection = new TSQLiteConnection(Owner);
  connection->SetDatabaseName(TestFolder().NewFile(Name));
  connection->Open();
  std::string create = "CREATE TABLE \"" + Name + "\" (", insert = "INSERT INTO \"" + Name + "\" VALUES (";
  for (size_t i = 0; i < Columns.size(); ++i) {
    create += (i ? ", \"" : "\"") + Columns[i].Name + "\" " + DeclaredType(Columns[i]);
    insert += (i ? ", :p" : ":p") + std::to_string(i);
  }
  connection->ExecSQL(create + ")");
  connection->StartTransaction();
  for (const auto& row : Rows) {
    TSQLParams params;
    for (size_t i = 0; i < Columns.size(); ++i) {
      Variant v = i < row.size() ? row[i] : Variant(Null);
      if (Columns[i].Type == ftDateTime && !v.IsNull()) v = Variant::FromDateTime(v.AsDateTime());
      params.emplace_back("p" + std::to_string(i), v);
    }
    connection->ExecSQL(insert + ")", params);
  }
  connection->Commit();
  auto* ds = new TSQLiteDataSet(Owner);
  ds->SetName(Name);
  ds->SetConnection(connection);
  ds->SetTableName(Name);
  ds->Open();
  return ds;
}

inline const std::vector<TTableKind>& TableKinds() {
  static const std::vector<TTableKind> kinds = {{"Memory", MakeMemTable}, {"SQLite", MakeSQLiteTable}};
  return kinds;
}
inline const TTableKind& MemoryKind() {
  return TableKinds()[0];
}
// Names the instances of a suite over the kinds: Suite/Test/Memory, Suite/Test/SQLite.
inline std::string KindName(const ::testing::TestParamInfo<const TTableKind*>& Info) {
  return Info.param->Name;
}
inline std::vector<const TTableKind*> AllKinds() {
  std::vector<const TTableKind*> out;
  for (const TTableKind& k : TableKinds()) out.push_back(&k);
  return out;
}

// Id (integer), Name (string 30), City (string 20) of the given kind, with Count records:
// Id = i, Name = "Name<i>", City = "City<i % 3>".
inline TDataSet* MakeTableOf(const TTableKind& Kind, TComponent* Owner, int Count,
                             const std::string& Name = "Table") {
  TRows rows;
  for (int i = 1; i <= Count; ++i)
    rows.push_back({i, "Name" + std::to_string(i), "City" + std::to_string(i % 3)});
  return Kind.Make(Owner, Name, {{"Id", ftInteger}, {"Name", ftString, 30}, {"City", ftString, 20}}, rows);
}

// Id (integer), Name (string 30), City (string 20), opened, with Count records:
// Id = i, Name = "Name<i>", City = "City<i % 3>".
inline TMemDataSet* MakeTable(TComponent* Owner, int Count, const std::string& Name = "Table") {
  auto* ds = new TMemDataSet(Owner);
  ds->SetName(Name);
  ds->AddIntegerField("Id");
  ds->AddStringField("Name", 30);
  ds->AddStringField("City", 20);
  ds->Open();
  ds->DisableControls();
  for (int i = 1; i <= Count; ++i)
    ds->AppendRecord({i, "Name" + std::to_string(i), "City" + std::to_string(i % 3)});
  ds->EnableControls();
  ds->First();
  return ds;
}

// A data link that writes each notification into a shared log, and may run a hook after it.
class TRecLink : public TDataLink {
 public:
  explicit TRecLink(std::vector<std::string>* Log, std::string Tag = "") : FLog(Log), FTag(std::move(Tag)) {}
  std::function<void(const std::string& What)> Hook;  // runs after each entry
  int ChangedCount = 0;
  bool LogCheck = false;  // CheckBrowseMode comes before every move: logged only on request

  using TDataLink::FocusControl;

 protected:
  void Note(const std::string& What) {
    if (FLog) FLog->push_back(FTag + What);
    if (Hook) Hook(What);
  }
  void ActiveChanged() override { Note("Active"); }
  void EditingChanged() override { Note("Editing"); }
  void DataSetChanged() override {
    ++ChangedCount;
    Note("Changed");
  }
  void DataSetScrolled(int Distance) override { Note("Scrolled" + std::to_string(Distance)); }
  void LayoutChanged() override { Note("Layout"); }
  void RecordChanged(TField* Field) override {
    Note("Record:" + (Field ? Field->FieldName() : std::string("nil")));
  }
  void UpdateData() override { Note("UpdateData"); }
  void CheckBrowseMode() override {
    if (LogCheck) Note("Check");
  }

 private:
  std::vector<std::string>* FLog;
  std::string FTag;
};

// The Id of the record a field read sees now.
inline long long CurrentId(TDataSet* ds) {
  return ds->FieldByName("Id")->AsInteger();
}

}  // namespace datatest
