// Searching, changing, loading and the memory of large in-memory tables of
// (Id integer, Name "Surname, Firstname" up to 20 characters, Code 3 characters), unsorted.
//
//   BM_Locate/rows/letters/where/indexed  case-insensitive partial Locate of a prefix of 1, 2,
//       3 or 6 letters whose first match stands near the start (0), in the middle (1), near the
//       end (2) or nowhere (3), with the Name index and with a plain scan
//   BM_IndexedVsBare/rows/letters/where   the same indexed Locate and a bare index (sorted
//       folded keys and a sparse table of minimum positions) timed side by side: ratio
//   BM_LocateExact/rows/indexed           exact, case-sensitive Lookup and exact Locate of an Id
//   BM_Maintain*/rows                     an append, an insert in the middle, a key edit, a delete
//   BM_Memory                             bytes a row, with and without the Name index
//   BM_LoadVersusVector                   the loader, AppendRecord and a vector's push_back of the
//                                         same rows, side by side: ratios
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/data/db.h"

using namespace vcl;

namespace {

// ---- the rows -------------------------------------------------------------------------------

const char* const kSyllables[] = {"ar",   "ben", "cor", "dal", "el",  "fin", "gar", "hol",
                                  "in",   "jor", "kel", "lin", "mar", "nor", "os",  "per",
                                  "quin", "ros", "sel", "tor", "ul",  "ven"};
// Surnames begin with A to V; W and X rows are planted, Y never occurs.
const char kInitials[] = "ABCDEFGHIJKLMNOPQRSTUV";

struct TRow {
  int Id;
  std::string Name;
  std::string Code;
};

std::string Word(std::mt19937& R, char Initial) {
  std::string w(1, Initial);
  for (int n = 1 + static_cast<int>(R() % 3); n > 0; --n) w += kSyllables[R() % 22];
  return w;
}

// Row i of a table of N rows: random names, with a few planted ones that fix where the first
// match of the W and X prefixes stands.
std::vector<TRow> MakeRows(int N) {
  std::mt19937 r(42);
  std::vector<TRow> rows;
  rows.reserve(static_cast<size_t>(N));
  for (int i = 0; i < N; ++i) {
    std::string name;
    if (i == N / 2)
      name = "Walden, Wanda";
    else if (i > N / 2 && i % 997 == 0)
      name = Word(r, 'W') + ", " + Word(r, 'A');
    else if (i == N - 3)
      name = "Xaviers, Xena";
    else
      name = Word(r, kInitials[r() % 22]) + ", " + Word(r, static_cast<char>('A' + r() % 26));
    name.resize(std::min<size_t>(name.size(), 20));
    std::string code = {static_cast<char>('A' + r() % 26), static_cast<char>('A' + r() % 26),
                        static_cast<char>('A' + r() % 26)};
    rows.push_back(TRow{i, std::move(name), std::move(code)});
  }
  return rows;
}

const std::vector<TRow>& Rows(int N) {
  static std::map<int, std::vector<TRow>> cache;
  auto& slot = cache[N];
  if (slot.empty()) slot = MakeRows(N);
  return slot;
}

TMemDataSet* NewTable(TComponent* Owner) {
  auto* ds = new TMemDataSet(Owner);
  ds->AddIntegerField("Id");
  ds->AddStringField("Name", 20);
  ds->AddStringField("Code", 3);
  return ds;
}

void Load(TMemDataSet* Ds, const std::vector<TRow>& Rows) {
  TMemDataSet::TLoader load(*Ds, Rows.size());
  for (const TRow& row : Rows) {
    load.Add(row.Id).Add(row.Name).Add(row.Code);
    load.EndRecord();
  }
}

// One table per size and kind, built once.
TMemDataSet* Table(int N, bool Indexed) {
  static std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  static std::map<std::pair<int, bool>, TMemDataSet*> tables;
  TMemDataSet*& ds = tables[{N, Indexed}];
  if (!ds) {
    ds = NewTable(owner.get());
    ds->SetIndexMode("Name", Indexed ? ixAlways : ixNever);
    ds->SetIndexMode("Id", Indexed ? ixAlways : ixNever);
    ds->Open();
    Load(ds, Rows(N));
  }
  return ds;
}

// The searched prefix: of `Letters` letters, first matching near the start, in the middle, near
// the end or nowhere; typed in lower case.
std::string Prefix(int N, int Letters, int Where) {
  static const char* const kTexts[] = {nullptr, "walden", "xavier", "yellow"};
  std::string text = Where == 0 ? Rows(N)[0].Name : kTexts[Where];
  text = text.substr(0, static_cast<size_t>(Letters));
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}

const char* const kWhere[] = {"start", "middle", "end", "none"};

void BM_Locate(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), letters = static_cast<int>(state.range(1));
  const int where = static_cast<int>(state.range(2));
  TMemDataSet* ds = Table(n, state.range(3) != 0);
  const Variant key(Prefix(n, letters, where));
  bool found = false;
  for (auto _ : state) {
    found = ds->Locate("Name", key, {loCaseInsensitive, loPartialKey});
    benchmark::DoNotOptimize(found);
  }
  if (found != (where != 3)) state.SkipWithError("wrong answer");
  state.SetLabel(kWhere[where]);
}

void LocateArgs(benchmark::internal::Benchmark* b) {
  for (int n : {10000, 100000, 1000000})
    for (int letters : {1, 2, 3, 6})
      for (int where = 0; where < 4; ++where)
        for (int indexed : {1, 0}) b->Args({n, letters, where, indexed});
}
BENCHMARK(BM_Locate)->Apply(LocateArgs)->MinTime(0.05);

// ---- the bare index -------------------------------------------------------------------------

// Sorted folded keys (20 bytes each, zero-padded) with their positions, and a sparse table of
// the least position over every power-of-two run: what a minimal prefix index does.
struct TBareIndex {
  static constexpr size_t kWidth = 20;
  std::vector<char> Keys;
  std::vector<std::uint32_t> Pos;
  std::vector<std::vector<std::uint32_t>> Sparse;

  explicit TBareIndex(const std::vector<TRow>& Rows) {
    const size_t n = Rows.size();
    std::vector<std::pair<std::string, std::uint32_t>> items(n);
    for (size_t i = 0; i < n; ++i) {
      std::string k = Rows[i].Name;
      for (char& c : k) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      k.resize(kWidth, '\0');
      items[i] = {std::move(k), static_cast<std::uint32_t>(i)};
    }
    std::sort(items.begin(), items.end());
    Keys.resize(n * kWidth);
    Pos.resize(n);
    for (size_t i = 0; i < n; ++i) {
      std::memcpy(&Keys[i * kWidth], items[i].first.data(), kWidth);
      Pos[i] = items[i].second;
    }
    Sparse.push_back(Pos);
    for (size_t len = 2; len <= n; len *= 2) {
      const std::vector<std::uint32_t>& prev = Sparse.back();
      std::vector<std::uint32_t> level(n - len + 1);
      for (size_t i = 0; i + len <= n; ++i) level[i] = std::min(prev[i], prev[i + len / 2]);
      Sparse.push_back(std::move(level));
    }
  }
  // The least position whose key begins with Prefix (folded by the caller); -1 when none.
  int First(const std::string& Prefix) const {
    const size_t n = Pos.size(), m = Prefix.size();
    auto cmp = [&](size_t i) { return std::memcmp(&Keys[i * kWidth], Prefix.data(), m); };
    size_t lo = 0, hi = n;
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (cmp(mid) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    size_t a = lo;
    hi = n;
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (cmp(mid) <= 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    if (a >= lo) return -1;
    size_t k = 0;
    while ((size_t{2} << k) <= lo - a) ++k;
    return static_cast<int>(std::min(Sparse[k][a], Sparse[k][lo - (size_t{1} << k)]));
  }
};

const TBareIndex& Bare(int N) {
  static std::map<int, std::unique_ptr<TBareIndex>> cache;
  auto& slot = cache[N];
  if (!slot) slot = std::make_unique<TBareIndex>(Rows(N));
  return *slot;
}

// The table's Locate and the bare index in alternating batches; the ratio is of the two
// medians of the batches.
void BM_IndexedVsBare(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), letters = static_cast<int>(state.range(1));
  const int where = static_cast<int>(state.range(2));
  TMemDataSet* ds = Table(n, true);
  const TBareIndex& bare = Bare(n);
  const std::string prefix = Prefix(n, letters, where);
  std::string folded = prefix;
  for (char& c : folded) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  const Variant key(prefix);
  using clock = std::chrono::steady_clock;
  std::vector<double> indexed, plain;
  constexpr int kBatch = 200;
  for (auto _ : state) {
    auto t0 = clock::now();
    for (int i = 0; i < kBatch; ++i)
      benchmark::DoNotOptimize(ds->Locate("Name", key, {loCaseInsensitive, loPartialKey}));
    auto t1 = clock::now();
    for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(bare.First(folded));
    auto t2 = clock::now();
    indexed.push_back(std::chrono::duration<double, std::nano>(t1 - t0).count() / kBatch);
    plain.push_back(std::chrono::duration<double, std::nano>(t2 - t1).count() / kBatch);
  }
  std::sort(indexed.begin(), indexed.end());
  std::sort(plain.begin(), plain.end());
  const double mi = indexed[indexed.size() / 2], mb = plain[plain.size() / 2];
  if ((ds->RecNo() - 1 == bare.First(folded)) != (where != 3) && where != 3)
    state.SkipWithError("answers differ");
  state.counters["locate_ns"] = mi;
  state.counters["bare_ns"] = mb;
  state.counters["ratio"] = mi / mb;
  state.SetLabel(kWhere[where]);
}
void BareArgs(benchmark::internal::Benchmark* b) {
  for (int letters : {1, 2, 3, 6})
    for (int where = 0; where < 4; ++where) b->Args({1000000, letters, where});
}
BENCHMARK(BM_IndexedVsBare)->Apply(BareArgs)->Iterations(200);

// ---- exact matches --------------------------------------------------------------------------

void BM_LookupName(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMemDataSet* ds = Table(n, state.range(1) != 0);
  const Variant key(Rows(n)[static_cast<size_t>(n - 10)].Name);
  for (auto _ : state) benchmark::DoNotOptimize(ds->Lookup("Name", key, "Id"));
}
BENCHMARK(BM_LookupName)->ArgsProduct({{10000, 100000, 1000000}, {1, 0}})->MinTime(0.05);

void BM_LocateId(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMemDataSet* ds = Table(n, state.range(1) != 0);
  int key = 0;
  for (auto _ : state) {
    key = (key + 7919) % n;
    benchmark::DoNotOptimize(ds->Locate("Id", key, {}));
  }
}
BENCHMARK(BM_LocateId)->ArgsProduct({{10000, 100000, 1000000}, {1, 0}})->MinTime(0.05);

// ---- maintenance ----------------------------------------------------------------------------

// A table of its own per benchmark and size, since inserts in the middle change how rows are
// ordered.
TMemDataSet* FreshTable(int N) {
  static std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  TMemDataSet* ds = NewTable(owner.get());
  ds->SetIndexMode("Name", ixAlways);
  ds->Open();
  Load(ds, Rows(N));
  return ds;
}

std::string RandomName(std::mt19937& R) {
  std::string s = Word(R, kInitials[R() % 22]) + ", " + Word(R, 'A');
  s.resize(std::min<size_t>(s.size(), 20));
  return s;
}

// Append and Post a record, then Delete it again (the last record).
void BM_MaintainAppendDelete(benchmark::State& state) {
  TMemDataSet* ds = FreshTable(static_cast<int>(state.range(0)));
  TField* name = ds->FieldByName("Name");
  std::mt19937 r(1);
  for (auto _ : state) {
    ds->Append();
    name->SetAsString(RandomName(r));
    ds->Post();
    ds->Delete();
  }
  delete ds;
}
BENCHMARK(BM_MaintainAppendDelete)->Arg(10000)->Arg(100000)->Arg(1000000);

// Insert and Post a record in the middle, then Delete it again.
void BM_MaintainInsertDelete(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMemDataSet* ds = FreshTable(n);
  TField* name = ds->FieldByName("Name");
  std::mt19937 r(2);
  for (auto _ : state) {
    ds->SetRecNo(static_cast<int>(r() % static_cast<unsigned>(n)) + 1);
    ds->Insert();
    name->SetAsString(RandomName(r));
    ds->Post();
    ds->Delete();
  }
  delete ds;
}
BENCHMARK(BM_MaintainInsertDelete)->Arg(10000)->Arg(100000)->Arg(1000000);

// Edit the key of a random record and Post it.
void BM_MaintainEditKey(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TMemDataSet* ds = FreshTable(n);
  TField* name = ds->FieldByName("Name");
  std::mt19937 r(3);
  for (auto _ : state) {
    ds->SetRecNo(static_cast<int>(r() % static_cast<unsigned>(n)) + 1);
    ds->Edit();
    name->SetAsString(RandomName(r));
    ds->Post();
  }
  delete ds;
}
BENCHMARK(BM_MaintainEditKey)->Arg(10000)->Arg(100000)->Arg(1000000);

// Building the Name index of a loaded table.
void BM_BuildIndex(benchmark::State& state) {
  TMemDataSet* ds = FreshTable(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ds->SetIndexMode("Name", ixNever);
    ds->SetIndexMode("Name", ixAlways);
  }
  delete ds;
}
BENCHMARK(BM_BuildIndex)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

// ---- memory and loading ---------------------------------------------------------------------

size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// Bytes a row of a 1,000,000-row table, loaded, with and without the Name index, as the heap
// sees them (the rows themselves are made beforehand).
void BM_Memory(benchmark::State& state) {
  const int n = 1000000;
  const std::vector<TRow>& rows = Rows(n);
  double plain = 0, indexed = 0, appended = 0;
  for (auto _ : state) {
    {
      const size_t before = HeapInUse();
      std::unique_ptr<TMemDataSet> ds(NewTable(nullptr));
      ds->Open();
      Load(ds.get(), rows);
      plain = static_cast<double>(HeapInUse() - before) / n;
      ds->SetIndexMode("Name", ixAlways);
      indexed = static_cast<double>(HeapInUse() - before) / n;
    }
    {
      const size_t before = HeapInUse();
      std::unique_ptr<TMemDataSet> ds(NewTable(nullptr));
      ds->Open();
      for (const TRow& row : rows) ds->AppendRecord({row.Id, row.Name, row.Code});
      appended = static_cast<double>(HeapInUse() - before) / n;
    }
  }
  state.counters["bytes_per_row"] = plain;
  state.counters["indexed_bytes_per_row"] = indexed;
  state.counters["appended_bytes_per_row"] = appended;
}
BENCHMARK(BM_Memory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Loading 1,000,000 rows: a vector's push_back, the loader (with the Name index declared, and
// without), AppendRecord, and AppendRecord with a data source and a link, in one run.
void BM_LoadVersusVector(benchmark::State& state) {
  const std::vector<TRow>& rows = Rows(1000000);
  using clock = std::chrono::steady_clock;
  auto ms = [](clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  std::vector<double> vec, loader, loaderIndexed, append, appendLinked;
  for (auto _ : state) {
    {
      auto t = clock::now();
      std::vector<TRow> v;
      for (const TRow& row : rows) v.push_back(row);
      benchmark::DoNotOptimize(v.data());
      vec.push_back(ms(clock::now() - t));
    }
    for (bool indexed : {false, true}) {
      std::unique_ptr<TMemDataSet> ds(NewTable(nullptr));
      if (indexed) ds->SetIndexMode("Name", ixAlways);
      ds->Open();
      auto t = clock::now();
      Load(ds.get(), rows);
      (indexed ? loaderIndexed : loader).push_back(ms(clock::now() - t));
    }
    for (bool linked : {false, true}) {
      std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
      TMemDataSet* ds = NewTable(owner.get());
      ds->Open();
      TDataLink link;
      if (linked) {
        auto* source = new TDataSource(owner.get());
        source->SetDataSet(ds);
        link.SetBufferCount(10);
        link.SetDataSource(source);
      }
      auto t = clock::now();
      for (const TRow& row : rows) ds->AppendRecord({row.Id, row.Name, row.Code});
      (linked ? appendLinked : append).push_back(ms(clock::now() - t));
      link.SetDataSource(nullptr);
    }
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double base = median(vec);
  state.counters["vector_ms"] = base;
  state.counters["loader_ms"] = median(loader);
  state.counters["loader_ratio"] = median(loader) / base;
  state.counters["loader_indexed_ratio"] = median(loaderIndexed) / base;
  state.counters["append_ratio"] = median(append) / base;
  state.counters["append_linked_ratio"] = median(appendLinked) / base;
}
BENCHMARK(BM_LoadVersusVector)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
