// Speed of the data-access layer on large in-memory tables: Locate (partial, case-insensitive,
// a match near the end), First/Last/MoveBy, and re-pointing a 10-record link window.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "platform/data/db.h"

using namespace vcl;

namespace {

// One table per size, built once: Id, Name ("Name<i>"), Price.
struct TTable {
  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
  TMemDataSet* DataSet = nullptr;
  TDataSource* Source = nullptr;
};

TTable& Table(int Rows) {
  static std::map<int, std::unique_ptr<TTable>> tables;
  auto& slot = tables[Rows];
  if (!slot) {
    slot = std::make_unique<TTable>();
    slot->DataSet = new TMemDataSet(slot->Owner.get());
    slot->DataSet->AddIntegerField("Id");
    slot->DataSet->AddStringField("Name", 30);
    slot->DataSet->AddFloatField("Price");
    slot->DataSet->Open();
    for (int i = 0; i < Rows; ++i) slot->DataSet->AppendRecord({i, "Name" + std::to_string(i), i * 0.5});
    slot->DataSet->First();
    slot->Source = new TDataSource(slot->Owner.get());
    slot->Source->SetDataSet(slot->DataSet);
  }
  return *slot;
}

void BM_LocatePartialCaseInsensitive(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TMemDataSet* ds = Table(rows).DataSet;
  const std::string key = "NAME" + std::to_string(rows - 2);  // unique, near the end
  for (auto _ : state) {
    bool found = ds->Locate("Name", Variant(key), {loCaseInsensitive, loPartialKey});
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_LocatePartialCaseInsensitive)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_LocateIntegerNearEnd(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TMemDataSet* ds = Table(rows).DataSet;
  for (auto _ : state) benchmark::DoNotOptimize(ds->Locate("Id", rows - 2, {}));
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_LocateIntegerNearEnd)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FirstLast(benchmark::State& state) {
  TMemDataSet* ds = Table(1000000).DataSet;
  TDataLink link;
  link.SetBufferCount(10);
  link.SetDataSource(Table(1000000).Source);
  for (auto _ : state) {
    ds->First();
    ds->Last();
  }
}
BENCHMARK(BM_FirstLast);

void BM_MoveBy(benchmark::State& state) {
  TMemDataSet* ds = Table(1000000).DataSet;
  TDataLink link;
  link.SetBufferCount(10);
  link.SetDataSource(Table(1000000).Source);
  ds->First();
  const int step = static_cast<int>(state.range(0));
  for (auto _ : state) {
    if (ds->MoveBy(step) == 0) ds->First();
  }
}
BENCHMARK(BM_MoveBy)->Arg(1)->Arg(1000);

void BM_SetActiveRecordAndRead(benchmark::State& state) {
  TMemDataSet* ds = Table(1000000).DataSet;
  TDataLink link;
  link.SetBufferCount(10);
  link.SetDataSource(Table(1000000).Source);
  ds->SetRecNo(500000);
  TField* name = ds->FieldByName("Name");
  for (auto _ : state) {
    for (int i = 0; i < link.RecordCount(); ++i) {
      link.SetActiveRecord(i);
      benchmark::DoNotOptimize(name->AsString());
    }
  }
  state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_SetActiveRecordAndRead);

void BM_SetActiveRecordOnly(benchmark::State& state) {
  TDataLink link;
  link.SetBufferCount(10);
  link.SetDataSource(Table(1000000).Source);
  for (auto _ : state) {
    for (int i = 0; i < 10; ++i) link.SetActiveRecord(i);
    benchmark::DoNotOptimize(link.ActiveRecord());
  }
  state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_SetActiveRecordOnly);

}  // namespace
