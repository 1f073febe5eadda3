#include "platform/data/sqlite/sqlite_data_set.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "data_test_util.h"

using namespace vcl;
using namespace datatest;

namespace {

std::string FileBytes(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Customers(CustNo INTEGER PRIMARY KEY, Name NOT NULL, City with a default, Credit >= 0) and
// Orders referring to them, in a file of the test folder.
class SQLiteTest : public ::testing::Test {
 public:
  void SetUp() override {
    owner = std::make_unique<TComponent>(nullptr);
    path = TestFolder().NewFile("shop");
    db = Connect(path);
    db->ExecSQL(
        "CREATE TABLE Customers (CustNo INTEGER PRIMARY KEY, Name VARCHAR(30) NOT NULL UNIQUE, "
        "City VARCHAR(20) NOT NULL DEFAULT 'Leeds', Credit REAL CHECK (Credit >= 0))");
    db->ExecSQL(
        "CREATE TABLE Orders (OrderNo INTEGER PRIMARY KEY, CustNo INTEGER REFERENCES Customers, "
        "SaleDate DATETIME, Paid BOOLEAN)");
    db->ExecSQL(
        "INSERT INTO Customers VALUES (1, 'Abbott', 'Boston', 10), (2, 'Smith', 'Lyon', 20), "
        "(3, 'smythe', 'Porto', 30)");
    db->ExecSQL("INSERT INTO Orders VALUES (100, 2, '2026-01-02 10:30:00', 1), (101, NULL, NULL, 0)");
  }
  void TearDown() override { SetSQLiteFaultHook(nullptr); }

  TSQLiteConnection* Connect(const std::string& Path) {
    auto* c = new TSQLiteConnection(owner.get());
    c->SetDatabaseName(Path);
    c->SetBusyTimeout(0);
    c->Open();
    return c;
  }
  TSQLiteDataSet* Table(const std::string& Name, TSQLiteConnection* Connection = nullptr) {
    auto* ds = new TSQLiteDataSet(owner.get());
    ds->SetName(Name);
    ds->SetConnection(Connection ? Connection : db);
    ds->SetTableName(Name);
    ds->Open();
    return ds;
  }
  // The table's rows as the file holds them, read through a connection of its own.
  std::string Dump(const std::string& Name = "Customers") {
    TSQLiteConnection reader(nullptr);
    reader.SetDatabaseName(path);
    reader.Open();
    return reader
        .ExecScalar(
            "SELECT group_concat(r, ' | ') FROM (SELECT quote(CustNo) || ',' || quote(Name) || ',' || "
            "quote(City) || ',' || quote(Credit) AS r FROM " +
            Name + " ORDER BY CustNo)")
        .AsString();
  }

  std::unique_ptr<TComponent> owner;
  std::string path;
  TSQLiteConnection* db = nullptr;
};

const char* const kStart = "1,'Abbott','Boston',10.0 | 2,'Smith','Lyon',20.0 | 3,'smythe','Porto',30.0";

TEST_F(SQLiteTest, FieldsFollowTheDeclaredColumns) {
  db->ExecSQL(
      "CREATE TABLE Things (Id INTEGER PRIMARY KEY, Code CHAR(8) NOT NULL, Note TEXT, Price NUMERIC NOT NULL "
      "DEFAULT 0, Made DATETIME, Done BOOLEAN, Qty INT NOT NULL)");
  db->ExecSQL("CREATE TABLE Pairs (A INTEGER, B VARCHAR(4), C REAL, PRIMARY KEY (B, A))");
  TSQLiteDataSet* things = Table("Things");
  struct Expect {
    const char* Name;
    TFieldType Type;
    int Size;
    bool Required;
  };
  for (const Expect& e : {Expect{"Id", ftInteger, 0, false}, Expect{"Code", ftString, 8, true},
                          Expect{"Note", ftString, 0, false}, Expect{"Price", ftFloat, 0, false},
                          Expect{"Made", ftDateTime, 0, false}, Expect{"Done", ftBoolean, 0, false},
                          Expect{"Qty", ftInteger, 0, true}}) {
    TField* f = things->FieldByName(e.Name);
    EXPECT_EQ(f->DataType(), e.Type) << e.Name;
    if (e.Type == ftString) {
      EXPECT_EQ(f->Size(), e.Size) << e.Name;
    }
    EXPECT_EQ(f->Required(), e.Required) << e.Name;
  }
  EXPECT_EQ(things->PrimaryKeyFields(), "Id");
  EXPECT_EQ(Table("Pairs")->PrimaryKeyFields(), "B;A");
  // A missing table, and a field that names no column.
  auto* none = new TSQLiteDataSet(owner.get());
  none->SetConnection(db);
  none->SetTableName("Nope");
  EXPECT_THROW(none->Open(), EDatabaseError);
  auto* wrong = new TSQLiteDataSet(owner.get());
  wrong->SetConnection(db);
  wrong->SetTableName("Customers");
  auto* nickname = new TStringField(wrong);
  nickname->SetFieldName("Nickname");
  nickname->SetDataSet(wrong);
  EXPECT_THROW(wrong->Open(), EDatabaseError);
}

TEST_F(SQLiteTest, EditsInsertsAndDeletesGoThroughToTheFile) {
  TSQLiteDataSet* ds = Table("Customers");
  ds->SetRecNo(2);
  ds->Edit();
  ds->FieldByName("Credit")->SetAsFloat(25);
  // Only the changed columns are written: another connection's change of the city stays.
  TSQLiteConnection* other = Connect(path);
  other->ExecSQL("UPDATE Customers SET City = 'Graz' WHERE CustNo = 2");
  ds->Post();
  EXPECT_EQ(Dump(), "1,'Abbott','Boston',10.0 | 2,'Smith','Graz',25.0 | 3,'smythe','Porto',30.0");
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Graz");  // the row as stored is read back

  // An insert leaves the key and the city to the database and reads back what it chose.
  ds->Append();
  ds->FieldByName("Name")->SetAsString("Young");
  ds->Post();
  EXPECT_EQ(ds->FieldByName("CustNo")->AsInteger(), 4);
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Leeds");
  EXPECT_EQ(ds->RecNo(), 4);
  EXPECT_TRUE(ds->Locate("CustNo", 4, {}));  // found where it stands

  ds->SetRecNo(1);
  ds->Delete();
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(Dump(), "2,'Smith','Graz',25.0 | 3,'smythe','Porto',30.0 | 4,'Young','Leeds',NULL");
  EXPECT_FALSE(db->InTransaction());
}

TEST_F(SQLiteTest, WritesJoinTheApplicationsTransaction) {
  TSQLiteDataSet* ds = Table("Customers");
  for (bool commit : {false, true}) {
    db->StartTransaction();
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("Adams");
    ds->Post();
    ds->Append();
    ds->FieldByName("Name")->SetAsString("Baker");
    ds->Post();
    EXPECT_TRUE(db->InTransaction());
    EXPECT_EQ(Dump(), kStart);  // not yet in the file for other connections
    if (commit) {
      db->Commit();
      EXPECT_EQ(Dump(),
                "1,'Adams','Boston',10.0 | 2,'Smith','Lyon',20.0 | 3,'smythe','Porto',30.0 | "
                "4,'Baker','Leeds',NULL");
      EXPECT_EQ(ds->RecordCount(), 4);
    } else {
      db->Rollback();
      // The data set shows what the file holds again, standing on its first record.
      EXPECT_EQ(Dump(), kStart);
      EXPECT_EQ(ds->RecordCount(), 3);
      ds->First();
      EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Abbott");
    }
  }
}

TEST_F(SQLiteTest, RefreshRereadsAndKeepsTheRecord) {
  TSQLiteDataSet* ds = Table("Customers");
  ds->SetRecNo(2);
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Lyon");
  TSQLiteConnection* other = Connect(path);
  other->ExecSQL("DELETE FROM Customers WHERE CustNo = 1");
  other->ExecSQL("INSERT INTO Customers VALUES (9, 'Ward', 'Cork', 0)");
  other->ExecSQL("UPDATE Customers SET City = 'Ghent' WHERE CustNo = 2");
  ds->Refresh();
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(ds->FieldByName("CustNo")->AsInteger(), 2);
  EXPECT_EQ(ds->FieldByName("City")->AsString(), "Ghent");
  EXPECT_EQ(ds->RecNo(), 1);
}

// --- Failures ---------------------------------------------------------------------------------

// A write that fails: how to cause it, what to do, SQLite's words, and how to mend the cause.
struct TFailure {
  const char* Name;
  std::function<void(SQLiteTest&)> Cause;
  std::function<void(TSQLiteDataSet*)> Act;  // leaves the data set in edit or insert state
  const char* Message;
  std::function<void(SQLiteTest&, TSQLiteDataSet*)> Mend;
  TDataSetState State;
};

TEST_F(SQLiteTest, AFailedWriteLosesNothingAndARetrySucceeds) {
  TSQLiteConnection* other = nullptr;
  const std::vector<TFailure> failures = {
      {"unique name", nullptr,
       [](TSQLiteDataSet* ds) {
         ds->Append();
         ds->FieldByName("Name")->SetAsString("Smith");
         ds->FieldByName("Credit")->SetAsFloat(5);
       },
       "UNIQUE constraint failed: Customers.Name",
       [](SQLiteTest&, TSQLiteDataSet* ds) { ds->FieldByName("Name")->SetAsString("Smith II"); }, dsInsert},
      {"check", nullptr,
       [](TSQLiteDataSet* ds) {
         ds->Edit();
         ds->FieldByName("Credit")->SetAsFloat(-1);
         ds->FieldByName("City")->SetAsString("Cork");
       },
       "CHECK constraint failed",
       [](SQLiteTest&, TSQLiteDataSet* ds) { ds->FieldByName("Credit")->SetAsFloat(1); }, dsEdit},
      {"busy",
       [&](SQLiteTest& t) {
         other = t.Connect(t.path);
         other->StartTransaction();
         other->ExecSQL("UPDATE Orders SET Paid = 1");
       },
       [](TSQLiteDataSet* ds) {
         ds->Edit();
         ds->FieldByName("City")->SetAsString("Cork");
       },
       "database is locked", [&](SQLiteTest&, TSQLiteDataSet*) { other->Rollback(); }, dsEdit},
      {"read-only", [](SQLiteTest& t) { t.db->ExecSQL("PRAGMA query_only = ON"); },
       [](TSQLiteDataSet* ds) {
         ds->Append();
         ds->FieldByName("Name")->SetAsString("Young");
       },
       "attempt to write a readonly database",
       [](SQLiteTest& t, TSQLiteDataSet*) { t.db->ExecSQL("PRAGMA query_only = OFF"); }, dsInsert},
      {"disk full",
       [](SQLiteTest& t) {
         // Customers as full as its pages get without a new one, and the file not to grow.
         for (int i = 0;; ++i) {
           const Variant pages = t.db->ExecScalar("PRAGMA page_count");
           t.db->StartTransaction();
           t.db->ExecSQL("INSERT INTO Customers (Name) VALUES (:Name)",
                         {{"Name", "Filler " + std::to_string(i) + std::string(20, '.')}});
           const bool grew = t.db->ExecScalar("PRAGMA page_count") != pages;
           grew ? t.db->Rollback() : t.db->Commit();
           if (grew) break;
         }
         t.db->ExecSQL("PRAGMA max_page_count = " + t.db->ExecScalar("PRAGMA page_count").AsString());
       },
       [](TSQLiteDataSet* ds) {
         ds->Append();
         ds->FieldByName("Name")->SetAsString("The last of the customers" + std::string(5, '!'));
       },
       "database or disk is full",
       [](SQLiteTest& t, TSQLiteDataSet*) { t.db->ExecSQL("PRAGMA max_page_count = 100000"); }, dsInsert},
  };
  for (const TFailure& f : failures) {
    SCOPED_TRACE(f.Name);
    TearDown();
    SetUp();
    if (f.Cause) f.Cause(*this);
    TSQLiteDataSet* ds = Table("Customers");
    const std::string before = FileBytes(path), rows = Dump();
    try {
      f.Act(ds);
      ds->Post();
      ADD_FAILURE() << "no exception";
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(e.Message().rfind("Customers: ", 0), 0u) << e.Message();
      EXPECT_NE(e.Message().find(f.Message), std::string::npos) << e.Message();
    }
    // Nothing lost: the state and what was typed; the file as it was.
    EXPECT_EQ(ds->State(), f.State);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(Dump(), rows);
    EXPECT_FALSE(db->InTransaction());
    const std::string name = ds->FieldByName("Name")->AsString();
    f.Mend(*this, ds);
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    if (f.State == dsEdit) {
      EXPECT_EQ(ds->FieldByName("Name")->AsString(), name);
    }
    EXPECT_NE(Dump(), rows);
  }
}

TEST_F(SQLiteTest, AReadOnlyFileRefusesWritesAndKeepsTheEdit) {
  chmod(path.c_str(), 0444);
  // The superuser may write a read-only file: ask SQLite to open it read-only as it would.
  const std::string name = access(path.c_str(), W_OK) == 0 ? "file:" + path + "?mode=ro" : path;
  TSQLiteConnection* readOnly = Connect(name);
  TSQLiteDataSet* ds = Table("Customers", readOnly);
  ds->Edit();
  ds->FieldByName("Name")->SetAsString("Zed");
  EXPECT_THROW(ds->Post(), EDatabaseError);
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Zed");
  EXPECT_THROW(ds->Delete(), EDatabaseError);  // Delete refuses too (the edit is dropped)
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(Dump(), kStart);
  chmod(path.c_str(), 0644);
}

TEST_F(SQLiteTest, AForeignKeyKeepsADeletedRecord) {
  TSQLiteDataSet* ds = Table("Customers");
  ds->SetRecNo(2);
  EXPECT_THROW(ds->Delete(), EDatabaseError);
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Smith");
  db->ExecSQL("DELETE FROM Orders WHERE CustNo = 2");
  ds->Delete();
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "smythe");
}

TEST_F(SQLiteTest, ATypeTheColumnRefuses) {
  db->ExecSQL("CREATE TABLE Stock (Item TEXT, Qty INTEGER) STRICT");
  auto* ds = new TSQLiteDataSet(owner.get());
  ds->SetName("Stock");
  ds->SetConnection(db);
  ds->SetTableName("Stock");
  for (const char* name : {"Item", "Qty"}) {  // the application reads Qty as text
    auto* f = new TStringField(ds);
    f->SetFieldName(name);
    f->SetDataSet(ds);
  }
  ds->Open();
  ds->Append();
  ds->FieldByName("Qty")->SetAsString("many");
  try {
    ds->Post();
    FAIL() << "no exception";
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Message(), "Stock: cannot store TEXT value in INTEGER column Stock.Qty");
  }
  EXPECT_EQ(ds->State(), dsInsert);
  ds->FieldByName("Qty")->SetAsString("12");
  ds->Post();
  EXPECT_EQ(db->ExecScalar("SELECT Qty FROM Stock"), Variant(12));
}

// A fault at every SQLite call of a write: either the write fails and nothing changed (the
// state, the typed values, the file), and a retry succeeds; or it succeeded whole.
TEST_F(SQLiteTest, AFaultAtAnyCallOfAWriteLosesNothing) {
  struct TWrite {
    const char* Name;
    std::function<void(TSQLiteDataSet*)> Start, Finish;
    const char* After;
  };
  const std::vector<TWrite> writes = {
      {"edit",
       [](TSQLiteDataSet* ds) {
         ds->SetRecNo(2);
         ds->Edit();
         ds->FieldByName("Credit")->SetAsFloat(21);
         ds->FieldByName("City")->SetAsString("Cork");
       },
       [](TSQLiteDataSet* ds) { ds->Post(); },
       "1,'Abbott','Boston',10.0 | 2,'Smith','Cork',21.0 | 3,'smythe','Porto',30.0"},
      {"insert",
       [](TSQLiteDataSet* ds) {
         ds->Append();
         ds->FieldByName("Name")->SetAsString("Young");
       },
       [](TSQLiteDataSet* ds) { ds->Post(); },
       "1,'Abbott','Boston',10.0 | 2,'Smith','Lyon',20.0 | 3,'smythe','Porto',30.0 | 4,'Young','Leeds',NULL"},
      {"delete", [](TSQLiteDataSet* ds) { ds->SetRecNo(3); }, [](TSQLiteDataSet* ds) { ds->Delete(); },
       "1,'Abbott','Boston',10.0 | 2,'Smith','Lyon',20.0"},
  };
  const std::string pristine = FileBytes(path);
  const int codes[] = {SQLITE_IOERR, SQLITE_BUSY, SQLITE_FULL, SQLITE_NOMEM};
  for (const TWrite& w : writes) {
    int calls = 0;
    for (int n = 0;; ++n) {  // n = 0 counts the calls of a write without faults
      SCOPED_TRACE(std::string(w.Name) + " failing call " + std::to_string(n));
      if (n > calls) break;
      delete owner.release();
      owner = std::make_unique<TComponent>(nullptr);
      std::ofstream(path, std::ios::binary | std::ios::trunc) << pristine;
      db = Connect(path);
      TSQLiteDataSet* ds = Table("Customers");
      w.Start(ds);
      const TDataSetState state = ds->State();
      const Variant typed = ds->FieldByName("City")->Value();
      int count = 0;
      SetSQLiteFaultHook([&](const char*) { return ++count == n ? codes[n % 4] : SQLITE_OK; });
      bool failed = false;
      try {
        w.Finish(ds);
      } catch (const EDatabaseError& e) {
        failed = true;
        EXPECT_EQ(e.Message().rfind("Customers: ", 0), 0u) << e.Message();
      }
      SetSQLiteFaultHook(nullptr);
      EXPECT_FALSE(db->InTransaction());
      if (n == 0) {
        ASSERT_FALSE(failed);
        calls = count;
      }
      if (failed) {
        EXPECT_EQ(ds->State(), state);
        EXPECT_EQ(ds->FieldByName("City")->Value(), typed);
        EXPECT_EQ(FileBytes(path), pristine);
        w.Finish(ds);  // the retry
      }
      EXPECT_EQ(ds->State(), dsBrowse);
      EXPECT_EQ(Dump(), w.After);
      ds->Refresh();
      EXPECT_EQ(ds->RecordCount(), w.Name == std::string("delete")   ? 2
                                   : w.Name == std::string("insert") ? 4
                                                                     : 3);
    }
    EXPECT_GE(calls, 6) << w.Name;
    std::printf("%s: %d calls\n", w.Name, calls);  // begin, the statement, commit: each prepared and run
  }
}

// --- Large tables and searches -------------------------------------------------------------------

TEST_F(SQLiteTest, ALargeTableReadsItsRowsInBlocksIntoABoundedCache) {
  db->ExecSQL("CREATE TABLE Big (Id INTEGER PRIMARY KEY, Name TEXT, City TEXT)");
  db->ExecSQL(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
      "INSERT INTO Big SELECT i, 'Name' || i, 'City' || (i % 7) FROM n");
  auto* ds = new TSQLiteDataSet(owner.get());
  ds->SetConnection(db);
  ds->SetTableName("Big");
  ds->SetBlockSize(32);
  ds->SetCacheSize(128);
  int steps = 0;
  SetSQLiteFaultHook([&](const char* call) {
    steps += std::string(call) == "step";
    return SQLITE_OK;
  });
  ds->Open();
  EXPECT_EQ(ds->RecordCount(), 5000);
  EXPECT_EQ(ds->CachedRows(), 0);  // only the keys were read
  auto* source = new TDataSource(owner.get());
  source->SetDataSet(ds);
  TRecLink link(nullptr);
  link.SetBufferCount(7);
  link.SetDataSource(source);
  ds->SetRecNo(2500);
  steps = 0;
  std::string window;
  for (int i = 0; i < link.RecordCount(); ++i) {
    link.SetActiveRecord(i);
    for (const char* f : {"Id", "Name", "City"}) window += ds->FieldByName(f)->AsString() + " ";
  }
  EXPECT_EQ(window.substr(0, 23), "2497 Name2497 City5 249");
  EXPECT_EQ(steps, 33);  // one block: 32 rows and the end
  EXPECT_EQ(ds->CachedRows(), 32);
  for (ds->First(); !ds->EOF(); ds->Next()) ASSERT_LE(ds->CachedRows(), 128);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Name5000");

  // In another order the records are found where they stand, also after one went.
  ds->Close();
  ds->SetIndexFieldNames("City;Name");
  ds->Open();
  auto expected = [&](int id) {
    return db->ExecScalar(
        "SELECT count(*) + 1 FROM Big WHERE (City, Name, rowid) < (SELECT City, Name, rowid "
        "FROM Big WHERE Id = :Id)",
        {{"Id", id}});
  };
  for (int id : {1, 2500, 4999}) {
    EXPECT_TRUE(ds->Locate("Id", id, {}));
    EXPECT_EQ(Variant(ds->RecNo()), expected(id)) << id;
    EXPECT_EQ(ds->Lookup("Id", id, "Name"), Variant("Name" + std::to_string(id)));
  }
  ds->First();
  ds->Delete();
  EXPECT_TRUE(ds->Locate("Id", 2500, {}));
  EXPECT_EQ(Variant(ds->RecNo()), expected(2500));
}

// The same searches over the same rows, in memory and in SQLite, find the same records.
TEST_F(SQLiteTest, SearchesAsSQLFindWhatTheMemoryTableFinds) {
  const TRows rows = {{1, "100% pure", 1.5},   {2, "100x", 2.0},       {3, "a_c", 3.0},
                      {4, "abc", 4.0},         {5, "\xC5kesson", 5.0}, {6, "\xC4kesson", 6.0},
                      {7, Variant(Null), 7.0}, {8, "\xE5ke", 8.0},     {9, "SMITH", 9.0},
                      {10, "smith", 9.0},      {11, "a\\b", 11.0}};
  const std::vector<TColumnDef> columns = {{"Id", ftInteger}, {"Name", ftString, 20}, {"Score", ftFloat}};
  TDataSet* mem = MakeMemTable(owner.get(), "Mem", columns, rows);
  TDataSet* lite = MakeSQLiteTable(owner.get(), "Lite", columns, rows);
  struct TSearch {
    const char* Fields;
    Variant Key;
    TLocateOptions Options;
  };
  const TLocateOptions partial{loPartialKey}, both{loPartialKey, loCaseInsensitive},
      caseless{loCaseInsensitive};
  const std::vector<TSearch> searches = {
      {"Name", "100%", both},
      {"Name", "100_", both},
      {"Name", "a_", both},
      {"Name", "a\\", partial},
      {"Name", "A\\B", caseless},
      {"Name", "\xC5", both},
      {"Name", "\xE5K", both},
      {"Name", "\xC4kesson", {}},
      {"Name", "smith", {}},
      {"Name", "smith", caseless},
      {"Name", "Sm", partial},
      {"Name", "", partial},
      {"Name", Variant(Null), {}},
      {"Score", 9, {}},
      {"Score;Name", VarArrayOf({9, "s"}), partial},
      {"Id", "4", {}},
      {"Name", "zzz", both},
  };
  for (const TSearch& s : searches) {
    SCOPED_TRACE(std::string(s.Fields) + " " + VarToStr(s.Key));
    mem->Last();
    lite->Last();
    const bool found = mem->Locate(s.Fields, s.Key, s.Options);
    EXPECT_EQ(lite->Locate(s.Fields, s.Key, s.Options), found);
    EXPECT_EQ(lite->RecNo(), mem->RecNo());
    EXPECT_EQ(lite->Lookup(s.Fields, s.Key, "Id"), mem->Lookup(s.Fields, s.Key, "Id"));
  }
  // The data set's order decides, also when a record was inserted in the middle.
  for (TDataSet* ds : {mem, lite}) {
    ds->SetRecNo(2);
    ds->Insert();
    ds->FieldByName("Name")->SetAsString("Smith, first");
    ds->Post();
    EXPECT_TRUE(ds->Locate("Name", "SM", both));
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_TRUE(ds->Locate("Name", "smith", {}));
    EXPECT_EQ(ds->RecNo(), 11);
  }
}

TEST_F(SQLiteTest, SearchesReadNoRows) {
  TSQLiteDataSet* ds = Table("Customers");
  EXPECT_EQ(ds->CachedRows(), 0);
  EXPECT_TRUE(ds->Locate("Name", "SM", {loPartialKey, loCaseInsensitive}));
  EXPECT_EQ(ds->RecNo(), 2);
  EXPECT_EQ(ds->Lookup("City", "porto", "CustNo"), Variant(Null));
  EXPECT_EQ(ds->CachedRows(), 0);
  EXPECT_EQ(ds->Lookup("City", "Porto", "Name"), Variant("smythe"));
}

// --- Text, queries, the connection ---------------------------------------------------------------

TEST_F(SQLiteTest, TextIsTheSystemCodePageOrConvertedFromUtf8) {
  for (TSQLiteTextEncoding encoding : {teSystemCodePage, teUTF8}) {
    auto* c = new TSQLiteConnection(owner.get());
    c->SetDatabaseName(path);
    c->SetTextEncoding(encoding);
    TSQLiteDataSet* ds = Table("Customers", c);
    ds->Edit();
    ds->FieldByName("Name")->SetAsString("\xC5kesson \x80");
    ds->Post();
    EXPECT_EQ(db->ExecScalar("SELECT hex(Name) FROM Customers WHERE CustNo = 1"),
              Variant(encoding == teUTF8 ? "C3856B6573736F6E20E282AC" : "C56B6573736F6E2080"));
    ds->Refresh();
    EXPECT_EQ(ds->FieldByName("Name")->AsString(), "\xC5kesson \x80");
    ds->Last();
    EXPECT_TRUE(ds->Locate("Name", "\xC5k", {loPartialKey, loCaseInsensitive}));
    EXPECT_EQ(ds->RecNo(), 1);
    delete ds;
  }
  db->ExecSQL("UPDATE Customers SET Name = 'Chinese ' || char(20013) WHERE CustNo = 1");
  EXPECT_EQ(Utf8ToCp1252(db->ExecScalar("SELECT Name FROM Customers WHERE CustNo = 1").AsString()),
            "Chinese ?");
}

TEST_F(SQLiteTest, AQueryWithNamedParameters) {
  auto* q = new TSQLiteDataSet(owner.get());
  q->SetName("Query");
  q->SetConnection(db);
  q->SetSQL(
      "SELECT c.Name, o.OrderNo, o.SaleDate, o.Paid, 2 * c.Credit AS Twice FROM Orders o "
      "JOIN Customers c ON c.CustNo = o.CustNo WHERE c.City = :City");
  q->SetParam("City", "Lyon");
  q->Open();
  ASSERT_EQ(q->RecordCount(), 1);
  EXPECT_EQ(q->FieldByName("Name")->AsString(), "Smith");
  EXPECT_EQ(q->FieldByName("SaleDate")->DataType(), ftDateTime);
  EXPECT_EQ(q->FieldByName("SaleDate")->AsDateTime(), EncodeDate(2026, 1, 2) + EncodeTime(10, 30, 0));
  EXPECT_TRUE(q->FieldByName("Paid")->AsBoolean());
  EXPECT_EQ(q->FieldByName("Twice")->AsFloat(), 40.0);
  EXPECT_FALSE(q->CanModify());
  EXPECT_THROW(q->Edit(), EDatabaseError);
  q->SetParam("City", "Boston");
  q->Refresh();
  EXPECT_TRUE(q->IsEmpty());
}

TEST_F(SQLiteTest, TheConnectionClosesAndLetsGoOfItsDataSets) {
  TSQLiteDataSet* ds = Table("Customers");
  db->Close();
  EXPECT_FALSE(ds->Active());
  ds->Open();  // opens the connection again
  EXPECT_TRUE(db->Connected());
  delete db;
  EXPECT_FALSE(ds->Active());
  EXPECT_EQ(ds->Connection(), nullptr);
  EXPECT_THROW(ds->Open(), EDatabaseError);
}

}  // namespace
