// Painting a lookup list: a 7-row, 3-column list costs the same over a table of a thousand and
// of a million records (painting reads only the rows the list link holds), and the list's own
// memory does not grow with the table.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "lookup/ktlookup.h"
#include "platform/vcl/application.h"
#include "platform/vcl/form.h"
#include "platform/win/window_system.h"

// Live heap bytes, counted by this program's allocation functions (which pair malloc with
// free themselves, whatever the compiler infers at an inlined call site).
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long long> gLiveBytes{0};

void* operator new(std::size_t Size) {
  void* p = std::malloc(Size ? Size : 1);
  if (!p) throw std::bad_alloc();
  gLiveBytes += static_cast<long long>(malloc_usable_size(p));
  return p;
}
void operator delete(void* P) noexcept {
  if (!P) return;
  gLiveBytes -= static_cast<long long>(malloc_usable_size(P));
  std::free(P);
}
void operator delete(void* P, std::size_t) noexcept {
  operator delete(P);
}

using namespace vcl;
using namespace ktlookup;

namespace {

constexpr int kFirstId = 10000000;  // eight digits for every key

void BM_PaintList(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  ResetPlatform();
  SetScreenSize(800, 600);
  auto* form = new TForm(Application);
  form->SetBounds(10, 10, 500, 300);
  auto* table = new TMemDataSet(form);
  table->AddIntegerField("Id");
  table->AddStringField("Name", 20);
  table->AddStringField("City", 15);
  table->Open();
  for (int i = 0; i < rows; ++i)
    // Texts of the same widths at every size, so that both lists draw the same glyphs.
    table->AppendRecord(
        {kFirstId + i, "Name" + std::to_string(kFirstId + i), "City" + std::to_string(10 + i % 89)});
  table->FieldByName("Name")->SetDisplayWidth(12);
  auto* source = new TDataSource(form);
  source->SetDataSet(table);
  form->Show();
  // The table's own search index (built by the first search of a large table) is the table's
  // memory, not the list's: build it before counting.
  table->Locate("Id", kFirstId + rows / 2, {});

  const long long before = gLiveBytes;
  auto* list = new TKtDBLookupList(form);
  list->SetParent(form);
  list->SetBounds(10, 10, 400, 100);
  list->SetListSource(source);
  list->SetKeyField("Id");
  list->SetListField("Name;City;Id");
  list->SetRowCount(7);
  list->SetKeyValue(kFirstId + rows / 2);  // the list in the middle of the table
  list->Repaint();
  const long long listBytes = gLiveBytes - before;

  for (auto _ : state) list->Repaint();
  state.counters["list_bytes"] = static_cast<double>(listBytes);
  delete form;
  ResetPlatform();
}
BENCHMARK(BM_PaintList)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
