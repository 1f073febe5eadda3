#include "platform/data/sqlite/sqlite_data_set.h"

// Index:
//   helpers: identifiers, declared types, comparing values
//   construction, properties, fields
//   opening: columns, keys, queries
//   reading: the row cache and its blocks
//   writing: insert, update, delete, each in a write transaction
//   searching: Locate and Lookup as SQL

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unordered_set>

#include "platform/base/sysutils.h"

namespace vcl {

namespace {

std::vector<std::string> SplitNames(const std::string& Names) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= Names.size()) {
    size_t end = Names.find(';', start);
    if (end == std::string::npos) end = Names.size();
    std::string name = Trim(Names.substr(start, end - start));
    if (!name.empty()) out.push_back(std::move(name));
    start = end + 1;
  }
  return out;
}

// The field type for a declared column type: SQLite's affinity rules, with dates, times and
// Booleans told apart by name. The size is the declared length of a text ("VARCHAR(30)").
TFieldType TypeOfDeclared(const std::string& DeclType, int& Size) {
  const std::string t = UpperCase(DeclType);
  Size = 0;
  auto has = [&](const char* part) { return t.find(part) != std::string::npos; };
  if (has("BOOL")) return ftBoolean;
  if (has("DATE") || has("TIME")) return ftDateTime;
  if (has("INT")) return ftInteger;
  if (has("CHAR") || has("CLOB") || has("TEXT")) {
    const size_t open = t.find('(');
    if (open != std::string::npos) Size = std::max(0, std::atoi(t.c_str() + open + 1));
    return ftString;
  }
  if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL")) return ftFloat;
  return ftString;
}

// True when two values of a column are the same (a write that changes nothing is skipped).
bool SameValue(const Variant& A, const Variant& B) {
  if (A.IsNull() || A.IsEmpty() || B.IsNull() || B.IsEmpty())
    return (A.IsNull() || A.IsEmpty()) == (B.IsNull() || B.IsEmpty());
  if (A.VarType() != B.VarType()) return false;
  try {
    return A == B;
  } catch (const Exception&) {
    return false;
  }
}

bool IsAscii(const std::string& Text) {
  return std::all_of(Text.begin(), Text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A LIKE pattern for the texts that begin with Prefix: '%', '_' and the escape itself escaped.
std::string PrefixPattern(const std::string& Prefix) {
  std::string out;
  for (char c : Prefix) {
    if (c == '%' || c == '_' || c == '\\') out += '\\';
    out += c;
  }
  return out + '%';
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction, properties, fields
// ---------------------------------------------------------------------------------------------

TSQLiteDataSet::TSQLiteDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TSQLiteDataSet::~TSQLiteDataSet() {
  Destroying();
  try {
    Close();
  } catch (...) {  // a destructor never raises
  }
  DropStatements();
  if (FConnection) FConnection->RemoveDataSet(this);
}

void TSQLiteDataSet::CheckClosed() const {
  CheckInactive();
}

TSQLiteConnection* TSQLiteDataSet::CheckConnection() const {
  if (!FConnection) DatabaseError("No connection given", const_cast<TSQLiteDataSet*>(this));
  return FConnection;
}

void TSQLiteDataSet::SetConnection(TSQLiteConnection* Value) {
  if (Value == FConnection) return;
  CheckClosed();
  DropStatements();
  if (FConnection) {
    FConnection->RemoveDataSet(this);
    RemoveFreeNotification(FConnection);
  }
  FConnection = Value;
  if (FConnection) {
    FConnection->AddDataSet(this);
    FreeNotification(FConnection);
  }
}

void TSQLiteDataSet::Notification(TComponent* AComponent, TOperation Operation) {
  TDataSet::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FConnection) FConnection = nullptr;
}

void TSQLiteDataSet::SetTableName(const std::string& Value) {
  if (Value == FTableName) return;
  CheckClosed();
  FTableName = Value;
  FSQL.clear();
}

void TSQLiteDataSet::SetSQL(const std::string& Value) {
  if (Value == FSQL) return;
  CheckClosed();
  FSQL = Value;
  FTableName.clear();
}

void TSQLiteDataSet::SetParam(const std::string& Name, const Variant& Value) {
  for (auto& [name, value] : FParams)
    if (SameText(name, Name)) {
      value = Value;
      return;
    }
  FParams.emplace_back(Name, Value);
}

Variant TSQLiteDataSet::Param(const std::string& Name) const {
  for (const auto& [name, value] : FParams)
    if (SameText(name, Name)) return value;
  return Variant(Null);
}

void TSQLiteDataSet::SetIndexFieldNames(const std::string& Value) {
  if (Value == FIndexFieldNames) return;
  CheckClosed();
  FIndexFieldNames = Value;
}

void TSQLiteDataSet::SetBlockSize(int Value) {
  CheckClosed();
  FBlockSize = std::clamp(Value, 1, 500);  // one parameter a row: well below SQLite's limit
}

void TSQLiteDataSet::SetCacheSize(int Value) {
  CheckClosed();
  FCacheSize = std::max(2, Value);
}

bool TSQLiteDataSet::CanModify() const {
  return TDataSet::CanModify() && !FQuery && FHasRowId && FConnection && !FConnection->ReadOnly();
}

TField* TSQLiteDataSet::Define(TField* Field, const std::string& Name, TFieldKind Kind, int Size) {
  try {
    CheckInactive();
    Field->SetFieldName(Name);
    Field->SetFieldKind(Kind);
    if (Field->DataType() == ftString) Field->SetSize(Size);
    Field->SetDataSet(this);
  } catch (...) {
    delete Field;
    throw;
  }
  return Field;
}

TField* TSQLiteDataSet::AddCalcField(const std::string& Name, TFieldType Type, int Size) {
  return Define(CreateFieldOfType(Type, this), Name, fkCalculated, Size);
}

TField* TSQLiteDataSet::AddLookupField(const std::string& Name, TFieldType Type, int Size,
                                       const std::string& KeyFields, TDataSet* LookupDataSet,
                                       const std::string& LookupKeyFields,
                                       const std::string& LookupResultField) {
  TField* field = CreateFieldOfType(Type, this);
  field->SetKeyFields(KeyFields);
  field->SetLookupDataSet(LookupDataSet);
  field->SetLookupKeyFields(LookupKeyFields);
  field->SetLookupResultField(LookupResultField);
  return Define(field, Name, fkLookup, Size);
}

int TSQLiteDataSet::InternalAddColumn(TField* Field) {
  TColumn column;
  column.Type = Field->DataType();
  column.Name = Field->FieldName();
  FColumns.push_back(column);
  return static_cast<int>(FColumns.size()) - 1;
}

std::string TSQLiteDataSet::Quoted(const std::string& Name) const {
  std::string out = "\"";
  for (char c : Name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

std::uint32_t TSQLiteDataSet::RecordId(int Pos) const {
  if (Pos == FInsertPos) return 0xFFFFFFFFu;
  const std::uint64_t key = static_cast<std::uint64_t>(FKeys[static_cast<size_t>(Pos)]);
  return static_cast<std::uint32_t>(key ^ (key >> 32));
}

// ---------------------------------------------------------------------------------------------
// Opening
// ---------------------------------------------------------------------------------------------

std::vector<TSQLiteDataSet::TColumnInfo> TSQLiteDataSet::ReadColumns() const {
  std::vector<TColumnInfo> columns;
  TSQLiteStatement info(FConnection,
                        "SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?1)");
  info.Bind(1, Variant(FTableName), ftString);
  while (info.Step()) {
    TColumnInfo c;
    c.Name = info.ColumnRaw(0).AsString();
    c.DeclType = info.ColumnRaw(1).AsString();
    c.NotNull = info.ColumnInt(2) != 0;
    c.HasDefault = !info.ColumnIsNull(3);
    c.PkOrder = static_cast<int>(info.ColumnInt(4));
    columns.push_back(std::move(c));
  }
  return columns;
}

void TSQLiteDataSet::CreateFields() {
  CheckInactive();
  TSQLiteConnection* connection = CheckConnection();
  connection->Open();
  const bool hasData =
      std::any_of(FieldList().begin(), FieldList().end(), [](TField* f) { return f->FieldNo() >= 0; });
  if (hasData) return;
  if (!FSQL.empty()) {
    // A query's columns: declared types where they come from a table, else what the first
    // row holds.
    TSQLiteStatement query(connection, FSQL);
    query.BindParams(FParams);
    const bool row = query.Step();
    for (int i = 0; i < query.ColumnCount(); ++i) {
      int size = 0;
      TFieldType type = TypeOfDeclared(query.ColumnDeclType(i), size);
      if (query.ColumnDeclType(i).empty() && row) {
        const int stored = sqlite3_column_type(query.Handle(), i);
        type = stored == SQLITE_INTEGER ? ftInteger : stored == SQLITE_FLOAT ? ftFloat : ftString;
      }
      Define(CreateFieldOfType(type, this), query.ColumnName(i), fkData, size);
    }
    return;
  }
  const std::vector<TColumnInfo> columns = ReadColumns();
  if (columns.empty()) DatabaseError("Table '" + FTableName + "' not found", this);
  const int pkColumns = static_cast<int>(
      std::count_if(columns.begin(), columns.end(), [](const TColumnInfo& c) { return c.PkOrder > 0; }));
  for (const TColumnInfo& c : columns) {
    int size = 0;
    const TFieldType type = TypeOfDeclared(c.DeclType, size);
    TField* field = Define(CreateFieldOfType(type, this), c.Name, fkData, size);
    // The rowid (an INTEGER PRIMARY KEY) and columns with a default are given a value by
    // the database when the record leaves them empty.
    const bool rowId = pkColumns == 1 && c.PkOrder == 1 && SameText(Trim(c.DeclType), "INTEGER");
    field->SetRequired(c.NotNull && !c.HasDefault && !rowId);
  }
}

void TSQLiteDataSet::BindColumns(const std::vector<TColumnInfo>& Columns) {
  // The fields decide the columns: each data field reads the column of its name.
  const int pkColumns = static_cast<int>(
      std::count_if(Columns.begin(), Columns.end(), [](const TColumnInfo& c) { return c.PkOrder > 0; }));
  for (TColumn& column : FColumns) column.Present = false;
  for (TField* f : FieldList()) {
    if (f->FieldNo() < 0) continue;
    TColumn& column = FColumns[static_cast<size_t>(f->FieldNo())];
    column.Name = f->FieldName();
    column.Type = f->DataType();
    auto it = std::find_if(Columns.begin(), Columns.end(),
                           [&](const TColumnInfo& c) { return SameText(c.Name, column.Name); });
    if (it == Columns.end()) DatabaseErrorFmt(SFieldNotFound, {column.Name}, this);
    column.Name = it->Name;
    column.Index = static_cast<int>(it - Columns.begin());
    column.RowId = FHasRowId && pkColumns == 1 && it->PkOrder == 1 && SameText(Trim(it->DeclType), "INTEGER");
    column.Present = true;
  }
  std::vector<std::pair<int, std::string>> pk;
  for (const TColumnInfo& c : Columns)
    if (c.PkOrder > 0) pk.emplace_back(c.PkOrder, c.Name);
  std::sort(pk.begin(), pk.end());
  FPrimaryKey.clear();
  for (const auto& [order, name] : pk) FPrimaryKey += (FPrimaryKey.empty() ? "" : ";") + name;
}

std::string TSQLiteDataSet::OrderBy() const {
  std::string order;
  for (const std::string& name : SplitNames(FIndexFieldNames)) order += Quoted(name) + ", ";
  return " ORDER BY " + order + "rowid";
}

void TSQLiteDataSet::InternalOpen() {
  TSQLiteConnection* connection = CheckConnection();
  connection->Open();
  FInsertPos = -1;
  FQuery = !FSQL.empty();
  FHasRowId = !FQuery;
  if (!FQuery) {
    // Views and tables without a rowid are read whole, as a query over them.
    try {
      TSQLiteStatement probe(connection, "SELECT rowid FROM " + Quoted(FTableName) + " LIMIT 0");
    } catch (const EDatabaseError&) {
      FHasRowId = false;
    }
    if (!FHasRowId && ReadColumns().empty()) DatabaseError("Table '" + FTableName + "' not found", this);
    FQuery = !FHasRowId;
  }
  CreateFields();
  if (FQuery) {
    if (!FTableName.empty()) {
      std::vector<TColumnInfo> columns = ReadColumns();
      BindColumns(columns);
    }
    ReadQuery();
    return;
  }
  BindColumns(ReadColumns());
  ReadKeys();
}

void TSQLiteDataSet::InternalClose() {
  std::vector<std::int64_t>().swap(FKeys);
  std::vector<TRow>().swap(FQueryRows);
  FInsertPos = -1;
  ClearCache();
  DropStatements();
}

void TSQLiteDataSet::ReadKeys() {
  FRowIdOrder = SplitNames(FIndexFieldNames).empty();
  std::vector<std::int64_t> keys;
  TSQLiteStatement statement(FConnection, "SELECT rowid FROM " + Quoted(FTableName) + OrderBy());
  while (statement.Step()) keys.push_back(statement.ColumnInt(0));
  FKeys = std::move(keys);
  FByKey.clear();
  FKeysInOrder = true;
  FKeysAscending = FRowIdOrder;
  ClearCache();
}

void TSQLiteDataSet::ReadQuery() {
  const std::string sql = FQuery && !FTableName.empty() ? "SELECT * FROM " + Quoted(FTableName) : FSQL;
  TSQLiteStatement query(FConnection, sql);
  query.BindParams(FParams);
  // Each field reads the result column of its name.
  std::vector<int> index(FColumns.size(), -1);
  for (size_t c = 0; c < FColumns.size(); ++c) {
    for (int i = 0; i < query.ColumnCount(); ++i)
      if (SameText(query.ColumnName(i), FColumns[c].Name)) {
        index[c] = i;
        break;
      }
    bool used = false;
    for (TField* f : FieldList()) used = used || f->FieldNo() == static_cast<int>(c);
    if (used && index[c] < 0) DatabaseErrorFmt(SFieldNotFound, {FColumns[c].Name}, this);
    FColumns[c].Present = index[c] >= 0;
    FColumns[c].Index = index[c];
  }
  std::vector<TRow> rows;
  while (query.Step()) {
    TRow row(FColumns.size(), Variant(Null));
    for (size_t c = 0; c < FColumns.size(); ++c)
      if (index[c] >= 0) row[c] = query.ColumnValue(index[c], FColumns[c].Type);
    rows.push_back(std::move(row));
  }
  FQueryRows = std::move(rows);
  FKeys.resize(FQueryRows.size());
  FByKey.clear();
  for (size_t i = 0; i < FKeys.size(); ++i) FKeys[i] = static_cast<std::int64_t>(i);
  FKeysInOrder = FKeysAscending = true;
}

int TSQLiteDataSet::InternalRefresh(int Pos) {
  const int n = InternalCount();
  const bool had = Pos >= 0 && Pos < n;
  if (FQuery) {
    ReadQuery();
    return had ? std::min(Pos, std::max(0, InternalCount() - 1)) : 0;
  }
  const std::int64_t key = had ? FKeys[static_cast<size_t>(Pos)] : 0;
  ReadKeys();
  if (!had || FKeys.empty()) return 0;
  const int found = PositionOf(key);
  return found >= 0 ? found : std::min(Pos, InternalCount() - 1);
}

// ---------------------------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------------------------

Variant TSQLiteDataSet::GetRecordValue(int Pos, int FieldNo) const {
  if (Pos == FInsertPos) return Variant(Null);
  if (FQuery)
    return FQueryRows[static_cast<size_t>(FKeys[static_cast<size_t>(Pos)])][static_cast<size_t>(FieldNo)];
  return Row(Pos)[static_cast<size_t>(FieldNo)];
}

const TSQLiteDataSet::TRow& TSQLiteDataSet::Row(int Pos) const {
  const std::int64_t key = FKeys[static_cast<size_t>(Pos)];
  auto it = FCache.find(key);
  if (it != FCache.end()) return it->second;
  auto old = FOldCache.find(key);
  if (old == FOldCache.end()) {
    FetchBlock(Pos);
    it = FCache.find(key);
    if (it != FCache.end()) return it->second;
    old = FOldCache.find(key);
  } else {
    // Used again: back into the young generation.
    TRow row = std::move(old->second);
    FOldCache.erase(old);
    CacheRow(key, std::move(row));
    return FCache.find(key)->second;
  }
  return old->second;
}

void TSQLiteDataSet::CacheRow(std::int64_t Key, TRow Row) const {
  // Two generations: when the young one is full it becomes the old one, and the old one goes.
  if (static_cast<int>(FCache.size()) >= FCacheSize / 2) {
    FOldCache = std::move(FCache);
    FCache.clear();
  }
  FOldCache.erase(Key);
  FCache[Key] = std::move(Row);
}

void TSQLiteDataSet::DropRow(std::int64_t Key) const {
  FCache.erase(Key);
  FOldCache.erase(Key);
}

void TSQLiteDataSet::ClearCache() const {
  FCache.clear();
  FOldCache.clear();
}

// Fetches the rows around Pos that the cache lacks, one statement for a block of them: a
// window read from its top after a jump costs one fetch.
void TSQLiteDataSet::FetchBlock(int Pos) const {
  const int n = InternalCount();
  const int first = std::max(0, std::min(Pos - FBlockSize / 2, n - FBlockSize));
  std::vector<std::int64_t> wanted;
  wanted.push_back(FKeys[static_cast<size_t>(Pos)]);
  for (int p = first; p < n && static_cast<int>(wanted.size()) < FBlockSize; ++p) {
    if (p == Pos || p == FInsertPos) continue;
    const std::int64_t key = FKeys[static_cast<size_t>(p)];
    if (!FCache.count(key) && !FOldCache.count(key)) wanted.push_back(key);
  }
  std::string sql = "SELECT rowid";
  for (const TColumn& c : FColumns) sql += ", " + (c.Present ? Quoted(c.Name) : std::string("NULL"));
  sql += " FROM " + Quoted(FTableName) + " WHERE rowid IN (";
  for (int i = 1; i <= FBlockSize; ++i) sql += (i > 1 ? ",?" : "?") + std::to_string(i);
  sql += ")";
  TSQLiteStatement& statement = Statement(sql);
  statement.Reset();
  for (size_t i = 0; i < wanted.size(); ++i)
    statement.Bind(static_cast<int>(i) + 1, Variant(static_cast<long long>(wanted[i])));
  std::unordered_set<std::int64_t> missing(wanted.begin(), wanted.end());
  try {
    while (statement.Step()) {
      const std::int64_t key = statement.ColumnInt(0);
      TRow row(FColumns.size());
      for (size_t c = 0; c < FColumns.size(); ++c)
        row[c] = statement.ColumnValue(static_cast<int>(c) + 1, FColumns[c].Type);
      missing.erase(key);
      CacheRow(key, std::move(row));
    }
  } catch (...) {
    statement.Reset();
    throw;
  }
  statement.Reset();
  // A row that another connection deleted reads as empty until the data set is refreshed.
  for (std::int64_t key : missing) CacheRow(key, TRow(FColumns.size(), Variant(Null)));
  // The row asked for is young even when the block filled a generation after it.
  const std::int64_t key = FKeys[static_cast<size_t>(Pos)];
  if (!FCache.count(key)) {
    auto old = FOldCache.find(key);
    TRow row = std::move(old->second);
    FOldCache.erase(old);
    CacheRow(key, std::move(row));
  }
}

TSQLiteDataSet::TRow TSQLiteDataSet::ReadRow(std::int64_t Key) const {
  std::string sql = "SELECT 1";
  for (const TColumn& c : FColumns) sql += ", " + (c.Present ? Quoted(c.Name) : std::string("NULL"));
  sql += " FROM " + Quoted(FTableName) + " WHERE rowid = ?1";
  TSQLiteStatement& statement = Statement(sql);
  statement.Reset();
  statement.Bind(1, Variant(static_cast<long long>(Key)));
  TRow row(FColumns.size(), Variant(Null));
  try {
    if (statement.Step())
      for (size_t c = 0; c < FColumns.size(); ++c)
        row[c] = statement.ColumnValue(static_cast<int>(c) + 1, FColumns[c].Type);
  } catch (...) {
    statement.Reset();
    throw;
  }
  statement.Reset();
  return row;
}

int TSQLiteDataSet::PositionOf(std::int64_t Key) const {
  if (FKeysAscending && FInsertPos < 0) {
    auto it = std::lower_bound(FKeys.begin(), FKeys.end(), Key);
    return it != FKeys.end() && *it == Key ? static_cast<int>(it - FKeys.begin()) : -1;
  }
  const int n = InternalCount();
  if (n <= 4096 || FInsertPos >= 0) {
    for (int i = 0; i < n; ++i)
      if (FKeys[static_cast<size_t>(i)] == Key && i != FInsertPos) return i;
    return -1;
  }
  // A large table in another order: the positions sorted by key, made when first needed.
  if (FByKey.empty()) {
    FByKey.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) FByKey[static_cast<size_t>(i)] = i;
    std::sort(FByKey.begin(), FByKey.end(),
              [&](int a, int b) { return FKeys[static_cast<size_t>(a)] < FKeys[static_cast<size_t>(b)]; });
  }
  auto it = std::lower_bound(FByKey.begin(), FByKey.end(), Key, [&](int pos, std::int64_t key) {
    return FKeys[static_cast<size_t>(pos)] < key;
  });
  return it != FByKey.end() && FKeys[static_cast<size_t>(*it)] == Key ? *it : -1;
}

TSQLiteStatement& TSQLiteDataSet::Statement(const std::string& SQL) const {
  auto it = FStatements.find(SQL);
  if (it != FStatements.end()) return *it->second;
  if (FStatements.size() >= 64) FStatements.clear();  // searches of many shapes: start again
  auto statement = std::make_unique<TSQLiteStatement>(CheckConnection(), SQL);
  return *FStatements.emplace(SQL, std::move(statement)).first->second;
}

void TSQLiteDataSet::DropStatements() const {
  FStatements.clear();
}

// ---------------------------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------------------------

template <typename F>
void TSQLiteDataSet::Write(F&& Fn) {
  TSQLiteConnection* connection = CheckConnection();
  try {
    connection->BeginWrite();
    try {
      Fn();
      connection->CommitWrite();
    } catch (...) {
      connection->UndoWrite();
      throw;
    }
  } catch (const ESQLiteError& e) {
    // SQLite's message, told as this data set's failure.
    const std::string name = Name();
    throw ESQLiteError(name.empty() ? e.SQLiteMessage() : name + ": " + e.SQLiteMessage(), e.SQLiteMessage(),
                       e.ErrorCode());
  }
}

void TSQLiteDataSet::InternalInsert(int Pos) {
  FKeys.insert(FKeys.begin() + Pos, 0);
  FByKey.clear();
  FInsertPos = Pos;
}

void TSQLiteDataSet::InternalCancelInsert(int Pos) {
  FKeys.erase(FKeys.begin() + Pos);
  FByKey.clear();
  FInsertPos = -1;
}

void TSQLiteDataSet::InternalPost(int Pos, const std::vector<Variant>& Values) {
  if (Pos == FInsertPos)
    Insert(Pos, Values);
  else
    Update(Pos, Values);
}

void TSQLiteDataSet::Insert(int Pos, const std::vector<Variant>& Values) {
  // The columns left empty are left to the database: its defaults, and the rowid.
  std::vector<size_t> columns;
  for (size_t c = 0; c < FColumns.size() && c < Values.size(); ++c)
    if (FColumns[c].Present && !Values[c].IsNull() && !Values[c].IsEmpty()) columns.push_back(c);
  std::string sql = "INSERT INTO " + Quoted(FTableName);
  if (columns.empty()) {
    sql += " DEFAULT VALUES";
  } else {
    std::string names, params;
    for (size_t i = 0; i < columns.size(); ++i) {
      names += (i ? ", " : "") + Quoted(FColumns[columns[i]].Name);
      params += (i ? ", ?" : "?") + std::to_string(i + 1);
    }
    sql += " (" + names + ") VALUES (" + params + ")";
  }
  std::int64_t key = 0;
  Write([&] {
    TSQLiteStatement& statement = Statement(sql);
    statement.Reset();
    for (size_t i = 0; i < columns.size(); ++i)
      statement.Bind(static_cast<int>(i) + 1, Values[columns[i]], FColumns[columns[i]].Type);
    statement.Step();
    statement.Reset();
    key = FConnection->LastInsertRowId();
  });
  // Stored: from here nothing may fail the post. The record reads what the database made of
  // it (its key, its defaults) when the row can be read now, else when it is next read.
  FKeys[static_cast<size_t>(Pos)] = key;
  FByKey.clear();
  FInsertPos = -1;
  try {
    CacheRow(key, ReadRow(key));
  } catch (const Exception&) {
    DropRow(key);
  }
  KeyPlaced(Pos);
}

void TSQLiteDataSet::Update(int Pos, const std::vector<Variant>& Values) {
  const std::int64_t key = FKeys[static_cast<size_t>(Pos)];
  const TRow old = Row(Pos);
  std::vector<size_t> columns;
  for (size_t c = 0; c < FColumns.size() && c < Values.size(); ++c)
    if (FColumns[c].Present && !SameValue(Values[c], old[c])) columns.push_back(c);
  if (columns.empty()) return;
  std::string sql = "UPDATE " + Quoted(FTableName) + " SET ";
  for (size_t i = 0; i < columns.size(); ++i)
    sql += (i ? ", " : "") + Quoted(FColumns[columns[i]].Name) + " = ?" + std::to_string(i + 1);
  sql += " WHERE rowid = ?" + std::to_string(columns.size() + 1);
  std::int64_t newKey = key;
  bool ordered = false;  // a column of the order changed
  const std::vector<std::string> order = SplitNames(FIndexFieldNames);
  for (size_t c : columns) {
    if (FColumns[c].RowId) newKey = Values[c].AsInteger();
    for (const std::string& name : order) ordered = ordered || SameText(name, FColumns[c].Name);
  }
  Write([&] {
    TSQLiteStatement& statement = Statement(sql);
    statement.Reset();
    for (size_t i = 0; i < columns.size(); ++i)
      statement.Bind(static_cast<int>(i) + 1, Values[columns[i]], FColumns[columns[i]].Type);
    statement.Bind(static_cast<int>(columns.size()) + 1, Variant(static_cast<long long>(key)));
    statement.Step();
    statement.Reset();
    if (sqlite3_changes(FConnection->Handle()) != 1)
      DatabaseError("The record was deleted by another user", this);
  });
  // Stored: nothing below may fail the post.
  FKeys[static_cast<size_t>(Pos)] = newKey;
  FByKey.clear();
  DropRow(key);
  try {
    CacheRow(newKey, ReadRow(newKey));
  } catch (const Exception&) {
    DropRow(newKey);
  }
  if (ordered) FKeysInOrder = FKeysAscending = false;
  if (newKey != key) KeyPlaced(Pos);
}

void TSQLiteDataSet::KeyPlaced(int Pos) {
  if (!FRowIdOrder) {
    FKeysInOrder = FKeysAscending = false;
    return;
  }
  const size_t p = static_cast<size_t>(Pos);
  const bool inOrder =
      (p == 0 || FKeys[p - 1] < FKeys[p]) && (p + 1 >= FKeys.size() || FKeys[p] < FKeys[p + 1]);
  if (!inOrder) FKeysInOrder = FKeysAscending = false;
}

void TSQLiteDataSet::InternalDelete(int Pos) {
  const std::int64_t key = FKeys[static_cast<size_t>(Pos)];
  Write([&] {
    TSQLiteStatement& statement = Statement("DELETE FROM " + Quoted(FTableName) + " WHERE rowid = ?1");
    statement.Reset();
    statement.Bind(1, Variant(static_cast<long long>(key)));
    statement.Step();
    statement.Reset();
  });
  FKeys.erase(FKeys.begin() + Pos);
  FByKey.clear();
  DropRow(key);
}

// ---------------------------------------------------------------------------------------------
// Searching
// ---------------------------------------------------------------------------------------------

// Runs the search as SQL when every key is a column of the table: the first matching row in
// the data set's order. Text matches as Locate matches it: exact keys by their bytes (letters A
// to Z folded when caseless), partial keys as prefixes (LIKE for a caseless ASCII prefix, which
// folds just those letters; our own byte-wise test for any other).
int TSQLiteDataSet::FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const {
  if (FQuery || !FHasRowId || !FConnection || !FConnection->Connected())
    return TDataSet::FindRecord(Keys, Options);
  for (const TSearchKey& key : Keys) {
    const TFieldKind kind = key.Field->FieldKind();
    if ((kind != fkData && kind != fkInternalCalc) || key.Field->FieldNo() < 0 ||
        !FColumns[static_cast<size_t>(key.Field->FieldNo())].Present)
      return TDataSet::FindRecord(Keys, Options);
  }
  const bool partial = Options.Contains(loPartialKey), caseless = Options.Contains(loCaseInsensitive);
  std::string where;
  std::vector<std::pair<Variant, TFieldType>> binds;
  for (const TSearchKey& key : Keys) {
    const TColumn& column = FColumns[static_cast<size_t>(key.Field->FieldNo())];
    const std::string name = Quoted(column.Name);
    const std::string param = "?" + std::to_string(binds.size() + 1);
    std::string test;
    const TFieldType type = key.Field->DataType();
    if (key.IsNull) {
      test = name + " IS NULL";
    } else if (type == ftString || type == ftUnknown) {
      if (!partial) {
        test = name + " = " + param + (caseless ? " COLLATE NOCASE" : " COLLATE BINARY");
        binds.emplace_back(Variant(key.Text), ftString);
      } else if (caseless && IsAscii(key.Text)) {
        test = name + " LIKE " + param + " ESCAPE '\\'";
        binds.emplace_back(Variant(PrefixPattern(key.Text)), ftString);
      } else {
        test = "kt_starts_with(" + name + ", " + param + ", " + (caseless ? "1" : "0") + ")";
        binds.emplace_back(Variant(key.Text), ftString);
      }
    } else if (type == ftDateTime) {
      // Stored dates keep milliseconds: equal within half of one.
      test = "abs(kt_datetime(" + name + ") - " + param + ") < 5.8e-9";
      binds.emplace_back(Variant(key.Value.AsFloat()), ftFloat);
    } else if (type == ftBoolean) {
      test = name + " = " + param;
      binds.emplace_back(Variant(key.Value.AsBoolean() ? 1 : 0), ftInteger);
    } else {
      test = name + " = " + param;
      binds.emplace_back(key.Value, type);
    }
    where += (where.empty() ? "" : " AND ") + test;
  }
  // While the records stand in the order the SQL gives, the first row of the SQL's that the
  // data set holds is the first in its order; otherwise the positions decide.
  const bool inOrder = FKeysInOrder;
  const std::string sql =
      "SELECT rowid FROM " + Quoted(FTableName) + " WHERE " + where + (inOrder ? OrderBy() : std::string());
  TSQLiteStatement& statement = Statement(sql);
  statement.Reset();
  for (size_t i = 0; i < binds.size(); ++i)
    statement.Bind(static_cast<int>(i) + 1, binds[i].first, binds[i].second);
  int found = -1;
  std::unordered_set<std::int64_t> matches;
  try {
    while (statement.Step()) {
      const std::int64_t key = statement.ColumnInt(0);
      if (inOrder) {
        found = PositionOf(key);
        if (found >= 0) break;
      } else {
        matches.insert(key);
      }
    }
  } catch (...) {
    statement.Reset();
    throw;
  }
  statement.Reset();
  if (inOrder || matches.empty()) return found;
  for (size_t p = 0; p < FKeys.size(); ++p)
    if (static_cast<int>(p) != FInsertPos && matches.count(FKeys[p])) return static_cast<int>(p);
  return -1;
}

}  // namespace vcl
