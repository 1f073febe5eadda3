// A table of a million rows in SQLite beside the same rows in memory, measured side by side in
// one run: opening (time, and heap bytes a row), reading a 7-record window of 3 fields after a
// jump, painting a 7-row lookup list over the table (after a jump to a key, or alone), a
// type-ahead Locate (partial, case-insensitive) whose first match is early, in the middle, at
// the end or nowhere, and the Post of one edit.
//
// Rows: Id (integer), Name ("Name<i>"), City ("City<i % 100>"); the type-ahead also runs over a
// copy of the table with an index on Name COLLATE NOCASE. The database file lives in a
// temporary folder, removed at the end.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "lookup/ktlookup.h"
#include "platform/data/db.h"
#include "platform/vcl/application.h"
#include "platform/vcl/form.h"
#include "platform/win/window_system.h"

using namespace vcl;
using namespace ktlookup;

namespace {

constexpr int kRows = 1000000;
enum TKind { kMemory, kSQLite, kSQLiteIndexed };

std::size_t HeapInUse() {
  return mallinfo2().uordblks;
}

// The database file of the run, made once.
struct TDatabase {
  std::string Folder, Path;
  TDatabase() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ktlookup-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    Folder = pattern;
    Path = Folder + "/big.db";
    TSQLiteConnection c(nullptr);
    c.SetDatabaseName(Path);
    c.Open();
    c.ExecSQL("CREATE TABLE Big (Id INTEGER PRIMARY KEY, Name VARCHAR(30), City VARCHAR(20))");
    c.ExecSQL("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
              std::to_string(kRows - 1) +
              ") INSERT INTO Big SELECT i, 'Name' || i, 'City' || (i % 100) FROM n");
    // The same rows with an index that a caseless prefix search can use.
    c.ExecSQL("CREATE TABLE BigIndexed AS SELECT * FROM Big");
    c.ExecSQL("CREATE INDEX BigIndexedName ON BigIndexed (Name COLLATE NOCASE)");
  }
  ~TDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
  }
};

TDatabase& Database() {
  static TDatabase db;
  return db;
}

// An open table of either kind with a data source, owned by Owner.
TDataSet* MakeTable(TKind Kind, TComponent* Owner) {
  if (Kind != kMemory) {
    auto* connection = new TSQLiteConnection(Owner);
    connection->SetDatabaseName(Database().Path);
    auto* ds = new TSQLiteDataSet(Owner);
    ds->SetConnection(connection);
    ds->SetTableName(Kind == kSQLite ? "Big" : "BigIndexed");
    ds->Open();
    return ds;
  }
  // The in-memory table is opened by loading its rows.
  auto* ds = new TMemDataSet(Owner);
  ds->AddIntegerField("Id");
  ds->AddStringField("Name", 30);
  ds->AddStringField("City", 20);
  ds->Open();
  ds->DisableControls();
  for (int i = 0; i < kRows; ++i)
    ds->AppendRecord({i, "Name" + std::to_string(i), "City" + std::to_string(i % 100)});
  ds->EnableControls();
  ds->First();
  return ds;
}

// One table of each kind, kept for the benchmarks that do not open.
struct TShared {
  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
  TDataSet* DataSet = nullptr;
  TDataSource* Source = nullptr;
};
TShared& Shared(TKind Kind) {
  static TShared tables[3];
  TShared& t = tables[Kind];
  if (!t.DataSet) {
    t.DataSet = MakeTable(Kind, t.Owner.get());
    t.Source = new TDataSource(t.Owner.get());
    t.Source->SetDataSet(t.DataSet);
  }
  return t;
}

void BM_Open(benchmark::State& state, TKind Kind) {
  if (Kind == kSQLite) Database();
  double bytes = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    auto owner = std::make_unique<TComponent>(nullptr);
    TDataSet* ds = MakeTable(Kind, owner.get());
    benchmark::DoNotOptimize(ds->RecordCount());
    state.PauseTiming();
    bytes = static_cast<double>(HeapInUse() - before);
    owner.reset();
    state.ResumeTiming();
  }
  state.counters["bytes_per_row"] = bytes / kRows;
  state.counters["MB"] = bytes / 1e6;
}
BENCHMARK_CAPTURE(BM_Open, Memory, kMemory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_Open, SQLite, kSQLite)->Unit(benchmark::kMillisecond)->Iterations(3);

// A jump to a record far from the last one, then the 7 records of a list's window, 3 fields each.
void BM_WindowAfterJump(benchmark::State& state, TKind Kind) {
  TShared& t = Shared(Kind);
  TDataLink link;
  link.SetBufferCount(7);
  link.SetDataSource(t.Source);
  TField* fields[] = {t.DataSet->FieldByName("Id"), t.DataSet->FieldByName("Name"),
                      t.DataSet->FieldByName("City")};
  unsigned seed = 12345;
  for (auto _ : state) {
    seed = seed * 1103515245u + 12345u;
    t.DataSet->SetRecNo(static_cast<int>(seed % kRows) + 1);
    for (int i = 0; i < link.RecordCount(); ++i) {
      link.SetActiveRecord(i);
      for (TField* f : fields) benchmark::DoNotOptimize(f->AsString());
    }
  }
}
BENCHMARK_CAPTURE(BM_WindowAfterJump, Memory, kMemory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_WindowAfterJump, SQLite, kSQLite)->Unit(benchmark::kMicrosecond);

// A 7-row lookup list of 3 columns: a jump to a random key (the list positions the table on it)
// and a paint of the rows around it, or a paint alone.
void BM_PaintList(benchmark::State& state, TKind Kind) {
  TShared& t = Shared(Kind);
  const bool jump = state.range(0) != 0;
  ResetPlatform();
  SetScreenSize(800, 600);
  auto* form = new TForm(Application);
  form->SetBounds(10, 10, 500, 300);
  form->Show();
  auto* list = new TKtDBLookupList(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 400, 100);
  list->SetListSource(t.Source);
  list->SetKeyField("Id");
  list->SetListField("Name;City;Id");
  list->SetRowCount(7);
  list->SetKeyValue(kRows / 2);
  list->Repaint();
  unsigned seed = 4242;
  for (auto _ : state) {
    if (jump) {
      seed = seed * 1103515245u + 12345u;
      list->SetKeyValue(static_cast<int>(seed % kRows));
    }
    list->Repaint();
  }
  state.SetLabel(jump ? "jump and paint" : "paint");
  delete form;
  ResetPlatform();
}
BENCHMARK_CAPTURE(BM_PaintList, Memory, kMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PaintList, SQLite, kSQLite)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Type-ahead: the text typed so far, whose first match is early, mid-way, near the end, or none.
void BM_TypeAheadLocate(benchmark::State& state, TKind Kind) {
  TShared& t = Shared(Kind);
  const char* const keys[] = {"NAME12", "name500000", "NAME999998", "NAMEX"};
  const std::string key = keys[state.range(0)];
  for (auto _ : state)
    benchmark::DoNotOptimize(t.DataSet->Locate("Name", key, {loCaseInsensitive, loPartialKey}));
  state.SetLabel(key);
}
BENCHMARK_CAPTURE(BM_TypeAheadLocate, Memory, kMemory)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TypeAheadLocate, SQLite, kSQLite)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TypeAheadLocate, SQLiteIndexed, kSQLiteIndexed)
    ->DenseRange(0, 3)
    ->Unit(benchmark::kMicrosecond);

// The Post of one edit of one field (for SQLite a transaction of its own, written to the disk).
void BM_PostEdit(benchmark::State& state, TKind Kind) {
  TShared& t = Shared(Kind);
  TField* city = t.DataSet->FieldByName("City");
  unsigned seed = 777;
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    seed = seed * 1103515245u + 12345u;
    t.DataSet->SetRecNo(static_cast<int>(seed % kRows) + 1);
    t.DataSet->Edit();
    city->SetAsString("Town" + std::to_string(++n));
    state.ResumeTiming();
    t.DataSet->Post();
  }
}
BENCHMARK_CAPTURE(BM_PostEdit, Memory, kMemory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_PostEdit, SQLite, kSQLite)->Unit(benchmark::kMicrosecond);

}  // namespace
