// The in-memory table's indexes answer exactly what a plain scan answers: random tables, random
// changes (appends, inserts in the middle, edits, deletes, cancels, reloads) and random
// searches, each checked against a scan of a model of the table kept by the test.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/data/db.h"

using namespace vcl;

namespace {

using TText = std::optional<std::string>;  // nullopt: Null

unsigned char Up(unsigned char C) {
  return C >= 'a' && C <= 'z' ? static_cast<unsigned char>(C - 32) : C;
}

bool Matches(const std::string& Stored, const std::string& Key, bool Partial, bool Caseless) {
  if (Partial ? Stored.size() < Key.size() : Stored.size() != Key.size()) return false;
  for (size_t i = 0; i < Key.size(); ++i) {
    unsigned char a = static_cast<unsigned char>(Stored[i]), b = static_cast<unsigned char>(Key[i]);
    if (Caseless) a = Up(a), b = Up(b);
    if (a != b) return false;
  }
  return true;
}

class IndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Table = new TMemDataSet(Owner.get());
    Table->AddIntegerField("Id");
    Table->AddStringField("Name", 14);
    Table->Open();
    Table->SetIndexMode("Name", ixAlways);
    Table->SetIndexMode("Id", ixAlways);
  }

  // Random texts with long shared beginnings, every case, bytes either side of the letters and
  // above 127, empty texts and Nulls.
  TText RandomText() {
    const int kind = Pick(20);
    if (kind == 0) return std::nullopt;
    if (kind == 1) return std::string();
    static const char* const kStems[] = {"",   "sm",        "SMITHSON", "smithsonian",
                                         "Ab", "\xE9t\xE9", "zz{",      "``@"};
    std::string s = kStems[Pick(8)];
    static const char kBytes[] = "aAbBmMsSzZ@[`{0 \xC9\xE9\xFF\x80";
    for (int n = Pick(6); n > 0; --n) s += kBytes[Pick(sizeof(kBytes) - 1)];
    return s.substr(0, 14);
  }
  // A search text: often the beginning of a stored text in another case, sometimes anything.
  std::string RandomKey() {
    std::string key;
    if (!Model.empty() && Pick(4) != 0) {
      const TText& t = Model[static_cast<size_t>(Pick(static_cast<int>(Model.size())))];
      key = t ? t->substr(0, static_cast<size_t>(Pick(static_cast<int>(t->size()) + 2))) : "";
      for (char& c : key)
        if (Pick(2))
          c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : (c >= 'A' && c <= 'Z' ? c + 32 : c));
    } else {
      key = RandomText().value_or("q");
    }
    return key;
  }
  int Pick(int N) { return static_cast<int>(Random() % static_cast<unsigned>(N)); }

  void SetName(const TText& Text) {
    if (Text)
      Table->FieldByName("Name")->SetAsString(*Text);
    else
      Table->FieldByName("Name")->Clear();
  }
  // One random change, made to the table and to the model alike.
  void RandomChange() {
    const int n = static_cast<int>(Model.size());
    const int what = Pick(100);
    const TText text = RandomText();
    if (what < 30 || n == 0) {
      Table->Append();
      SetName(text);
      Table->FieldByName("Id")->SetAsInteger(NextId);
      Ids.push_back(NextId++);
      Table->Post();
      Model.push_back(text);
    } else if (what < 50) {
      // Inserts in the middle, often many at the same place.
      const int pos = Pick(3) == 0 ? 0 : Pick(n);
      for (int k = Pick(4) == 0 ? 40 : 1; k > 0; --k) {
        Table->SetRecNo(pos + 1);
        Table->Insert();
        const TText t = k == 1 ? text : RandomText();
        SetName(t);
        Table->FieldByName("Id")->SetAsInteger(NextId);
        Table->Post();
        Model.insert(Model.begin() + pos, t);
        Ids.insert(Ids.begin() + pos, NextId++);
      }
    } else if (what < 70) {
      const int pos = Pick(n);
      Table->SetRecNo(pos + 1);
      Table->Edit();
      SetName(text);
      if (Pick(5) == 0) {
        Table->Cancel();
      } else {
        Table->Post();
        Model[static_cast<size_t>(pos)] = text;
      }
    } else if (what < 80) {
      Table->SetRecNo(Pick(n) + 1);
      Table->Insert();
      SetName(text);
      Table->Cancel();
    } else if (what < 97) {
      const int pos = Pick(n);
      Table->SetRecNo(pos + 1);
      Table->Delete();
      Model.erase(Model.begin() + pos);
      Ids.erase(Ids.begin() + pos);
    } else {
      Reload(Pick(ReloadRows));
    }
  }
  // Empties the table and loads Rows new records in one go.
  void Reload(int Rows) {
    Table->EmptyTable();
    Model.clear();
    Ids.clear();
    TMemDataSet::TLoader load(*Table);
    for (int i = 0; i < Rows; ++i) {
      const TText text = RandomText();
      load.Add(NextId);
      if (text)
        load.Add(*text);
      else
        load.AddNull();
      load.EndRecord();
      Model.push_back(text);
      Ids.push_back(NextId++);
    }
  }

  int Expected(const std::string& Key, bool Partial, bool Caseless) const {
    for (size_t pos = 0; pos < Model.size(); ++pos)
      if (Model[pos] && Matches(*Model[pos], Key, Partial, Caseless)) return static_cast<int>(pos) + 1;
    return 0;
  }
  // Every kind of search for Key, against the scan.
  void CheckSearches(const std::string& Key) {
    const TLocateOptions kOptions[] = {
        {loCaseInsensitive, loPartialKey}, {loCaseInsensitive}, {loPartialKey}, {}};
    for (const TLocateOptions& options : kOptions) {
      const bool partial = options.Contains(loPartialKey), caseless = options.Contains(loCaseInsensitive);
      const int expected = Expected(Key, partial, caseless);
      const int before = Table->RecNo();
      const bool found = Table->Locate("Name", Variant(Key), options);
      ASSERT_EQ(found, expected != 0) << "'" << Key << "' partial " << partial << " caseless " << caseless;
      ASSERT_EQ(Table->RecNo(), found ? expected : before) << "'" << Key << "'";
      if (found) {
        ASSERT_FALSE(Table->BOF() || Table->EOF());
      }
    }
    const int exact = Expected(Key, false, false);
    const Variant id = Table->Lookup("Name", Variant(Key), "Id");
    ASSERT_EQ(id.IsNull(), exact == 0);
    if (exact) {
      ASSERT_EQ(id.AsInteger(), Ids[static_cast<size_t>(exact) - 1]);
    }
  }
  void CheckIds() {
    for (int k = 0; k < 3 && !Ids.empty(); ++k) {
      const size_t pos = static_cast<size_t>(Pick(static_cast<int>(Ids.size())));
      ASSERT_TRUE(Table->Locate("Id", Ids[pos], {}));
      ASSERT_EQ(Table->RecNo(), static_cast<int>(pos) + 1);
    }
    ASSERT_FALSE(Table->Locate("Id", NextId + 5, {}));
  }
  // The table holds what the model holds, in the same order.
  void CheckContents() {
    ASSERT_EQ(Table->RecordCount(), static_cast<int>(Model.size()));
    Table->First();
    for (size_t pos = 0; pos < Model.size(); ++pos, Table->Next()) {
      TField* name = Table->FieldByName("Name");
      ASSERT_EQ(name->IsNull(), !Model[pos]) << pos;
      if (Model[pos]) {
        ASSERT_EQ(name->AsString(), *Model[pos]) << pos;
      }
      ASSERT_EQ(Table->FieldByName("Id")->AsInteger(), Ids[pos]);
    }
  }

  std::unique_ptr<TComponent> Owner = std::make_unique<TComponent>(nullptr);
  TMemDataSet* Table = nullptr;
  std::mt19937 Random{12345};
  std::vector<TText> Model;
  std::vector<int> Ids;
  int NextId = 1;
  int ReloadRows = 300;  // at most, in a random reload
};

}  // namespace

TEST_F(IndexTest, AnswersWhatAScanAnswersThroughRandomChanges) {
  for (int seed : {1, 2, 3}) {
    Random.seed(static_cast<unsigned>(seed));
    // 6000 rows: many blocks and two levels of minimums.
    ReloadRows = seed == 3 ? 9000 : 300;
    Reload(seed == 3 ? 6000 : 50);
    for (int step = 0; step < 700; ++step) {
      RandomChange();
      ASSERT_TRUE(Table->HasIndex("Name"));
      CheckSearches(RandomKey());
      if (step % 50 == 0) CheckIds();
      if (HasFatalFailure()) return;
    }
    CheckContents();
  }
}

TEST_F(IndexTest, FoldsOnlyAToZ) {
  struct TCase {
    std::string Key;
    int RecNo;  // 0: not found
  };
  Reload(0);
  for (const char* t : {"\xE9t\xE9", "[bracket", "`tick", "Zulu", "zebra", "\xC9T\xC9"}) {
    Table->AppendRecord({NextId++, t});
    Model.push_back(std::string(t));
  }
  const TCase cases[] = {
      {"\xC9", 6},   // E-acute matches only itself
      {"\xE9T", 1},  // t folds, the accent does not
      {"{", 0},      // { is not [ in another case
      {"@", 0},     {"`T", 3}, {"ZE", 5}, {"z", 4}, {"", 1},
  };
  for (const TCase& c : cases) {
    Table->First();
    EXPECT_EQ(Table->Locate("Name", Variant(c.Key), {loCaseInsensitive, loPartialKey}), c.RecNo != 0)
        << c.Key;
    if (c.RecNo) {
      EXPECT_EQ(Table->RecNo(), c.RecNo) << c.Key;
    }
    CheckSearches(c.Key);
  }
}

TEST_F(IndexTest, AutomaticIndexesComeWithSizeAndCanBeForbidden) {
  Table->SetIndexMode("Name", ixAuto);
  Table->SetAutoIndexRows(100);
  Reload(99);
  Table->Locate("Name", Variant("sm"), {loCaseInsensitive, loPartialKey});
  EXPECT_FALSE(Table->HasIndex("Name"));  // small: scanned
  Table->AppendRecord({NextId++, "Smith"});
  Model.push_back(std::string("Smith"));
  CheckSearches("sm");
  EXPECT_TRUE(Table->HasIndex("Name"));  // built by the search
  Table->SetIndexMode("Name", ixNever);
  CheckSearches("sm");
  EXPECT_FALSE(Table->HasIndex("Name"));
  EXPECT_THROW(Table->SetIndexMode("Nope", ixAlways), EDatabaseError);
  // Only stored text and integer columns can be indexed.
  auto* other = new TMemDataSet(Owner.get());
  other->AddFloatField("Price");
  other->AddCalcField("Calc", ftString);
  EXPECT_THROW(other->SetIndexMode("Price", ixAlways), EDatabaseError);
  EXPECT_THROW(other->SetIndexMode("Calc", ixAlways), EDatabaseError);
}

TEST_F(IndexTest, ALoadTellsTheLinksOnceAndStartsAtTheFirstRecord) {
  auto* source = new TDataSource(Owner.get());
  source->SetDataSet(Table);
  int changes = 0;
  struct TCounter : TDataLink {
    int* Count;
    void DataSetChanged() override { ++*Count; }
  } link;
  link.Count = &changes;
  link.SetDataSource(source);
  Table->SetAfterPost([](TDataSet*) { FAIL() << "a load posts nothing"; });
  Reload(500);
  EXPECT_EQ(changes, 2);  // the emptying and the load
  EXPECT_TRUE(Table->BOF());
  EXPECT_EQ(Table->RecordCount(), 500);
  CheckContents();
  CheckSearches("SMITHSONIAN");
  link.SetDataSource(nullptr);
}
