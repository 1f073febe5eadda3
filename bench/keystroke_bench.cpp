// Keystrokes end to end: typed through the input simulator, messages processed, painting
// included.
//
//   BM_SearchKeystroke/rows/letters/where/backspace  a character typed into a search edit over a
//       table of `rows` names (the Name index built by itself), making a text of `letters`
//       letters whose first match stands near the start (0), in the middle (1) or nowhere (2);
//       or Backspace taking that text back from `letters` + 1 letters. A data-aware edit on the
//       same table shows the record found.
//   BM_EditKeystroke/length  a character typed at the end of an edit holding `length`
//       characters (and Backspace taking it back, timed apart): the cost of a keystroke should
//       not grow with the text.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "lookup/search/search_edit.h"
#include "platform/data/db.h"
#include "platform/vcl/application.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/form.h"
#include "platform/win/input.h"

using namespace vcl;

namespace {

using clock_type = std::chrono::steady_clock;

TMemDataSet* NameTable(int N) {
  static std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
  static std::map<int, TMemDataSet*> tables;
  TMemDataSet*& ds = tables[N];
  if (ds) return ds;
  ds = new TMemDataSet(owner.get());
  ds->AddIntegerField("Id");
  ds->AddStringField("Name", 20);
  ds->Open();
  static const char* const kSyllables[] = {"ar", "ben", "cor", "dal", "el",  "fin", "gar", "hol",
                                           "in", "jor", "kel", "lin", "mar", "nor", "os",  "per"};
  std::mt19937 r(7);
  TMemDataSet::TLoader load(*ds, static_cast<size_t>(N));
  for (int i = 0; i < N; ++i) {
    std::string name;
    if (i == N / 2) {
      name = "Walden, Wanda";
    } else {
      name = std::string(1, static_cast<char>('A' + r() % 22));
      for (int k = 1 + static_cast<int>(r() % 3); k > 0; --k) name += kSyllables[r() % 16];
      name += ", Ann";
    }
    load.Add(i).Add(name.substr(0, 20));
    load.EndRecord();
  }
  load.Finish();
  return ds;
}

// A shown form with the search edit focused and a data-aware edit on the same table.
struct TSearchForm {
  TForm* Form;
  ktlookup::TKtSearchEdit* Edit;
  explicit TSearchForm(TMemDataSet* Table) {
    ResetPlatform();
    Form = new TForm(Application);
    Form->SetBounds(100, 100, 400, 200);
    Form->Show();
    auto* source = new TDataSource(Form);
    source->SetDataSet(Table);
    Edit = new ktlookup::TKtSearchEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 200, 21);
    Edit->SetSearchSource(source);
    Edit->SetSearchField("Name");
    auto* shown = new TDBEdit(Form);
    shown->SetParent(Form);
    shown->SetBounds(10, 40, 200, 21);
    shown->SetDataSource(source);
    shown->SetDataField("Name");
    Edit->SetFocus();
    sim::ProcessMessages();
  }
  ~TSearchForm() { ResetPlatform(); }
};

void BM_SearchKeystroke(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), letters = static_cast<int>(state.range(1));
  const int where = static_cast<int>(state.range(2));
  const bool backspace = state.range(3) != 0;
  TMemDataSet* table = NameTable(n);
  TSearchForm form(table);
  static const char* const kWords[] = {nullptr, "waldenx", "yellowy"};
  std::string word = where == 0 ? table->Lookup("Id", 0, "Name").AsString() + "xxxxxx" : kWords[where];
  for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  // The text before the timed key: letters - 1 letters when typing, letters + 1 for Backspace.
  sim::TypeText(word.substr(0, static_cast<size_t>(backspace ? letters + 1 : letters - 1)));
  const char next = word[static_cast<size_t>(letters - 1)];
  // Once untimed: the first search of a large table builds its index.
  sim::TypeChar(next);
  sim::PressKey(VK_BACK);
  for (auto _ : state) {
    if (backspace) {
      const auto t = clock_type::now();
      sim::PressKey(VK_BACK);
      state.SetIterationTime(std::chrono::duration<double>(clock_type::now() - t).count());
      sim::TypeChar(word[static_cast<size_t>(letters)]);
    } else {
      const auto t = clock_type::now();
      sim::TypeChar(next);
      state.SetIterationTime(std::chrono::duration<double>(clock_type::now() - t).count());
      sim::PressKey(VK_BACK);
    }
  }
  if (!table->HasIndex("Name") && n >= table->AutoIndexRows()) state.SkipWithError("no index");
  static const char* const kWhere[] = {"start", "middle", "none"};
  state.SetLabel(std::string(kWhere[where]) + (backspace ? " backspace" : " type"));
}
void SearchArgs(benchmark::internal::Benchmark* b) {
  for (int n : {10000, 1000000})
    for (int letters : {1, 2, 3, 6})
      for (int where = 0; where < 3; ++where)
        for (int back : {0, 1}) b->Args({n, letters, where, back});
}
BENCHMARK(BM_SearchKeystroke)
    ->Apply(SearchArgs)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.05);

void BM_EditKeystroke(benchmark::State& state) {
  const int length = static_cast<int>(state.range(0));
  const bool backspace = state.range(1) != 0;
  ResetPlatform();
  auto* form = new TForm(Application);
  form->SetBounds(100, 100, 400, 200);
  form->Show();
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 200, 21);
  std::string text;
  for (int i = 0; i < length; ++i) text += static_cast<char>('a' + i % 26);
  edit->SetText(text);
  edit->SetFocus();
  sim::PressKey(VK_END);
  for (auto _ : state) {
    if (backspace) {
      sim::TypeChar('q');
      const auto t = clock_type::now();
      sim::PressKey(VK_BACK);
      state.SetIterationTime(std::chrono::duration<double>(clock_type::now() - t).count());
    } else {
      const auto t = clock_type::now();
      sim::TypeChar('q');
      state.SetIterationTime(std::chrono::duration<double>(clock_type::now() - t).count());
      sim::PressKey(VK_BACK);
    }
  }
  if (static_cast<int>(edit->Text().size()) != length) state.SkipWithError("text changed");
  state.SetLabel(backspace ? "backspace" : "type");
  ResetPlatform();
}
BENCHMARK(BM_EditKeystroke)
    ->ArgsProduct({{10, 10000}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.05);

}  // namespace
