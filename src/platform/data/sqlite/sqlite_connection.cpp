#include "platform/data/sqlite/sqlite_connection.h"

// Index:
//   the fault seam, text encodings, dates
//   SQL functions of our own
//   TSQLiteStatement
//   TSQLiteConnection: opening, transactions, running SQL, writes of the data sets

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/base/sysutils.h"
#include "platform/data/sqlite/sqlite_data_set.h"

namespace vcl {

namespace {

TSQLiteFaultHook& FaultHook() {
  static TSQLiteFaultHook hook;
  return hook;
}

// The seam's answer for Call: 0 to run it, an SQLite code to fail with.
int Fault(const char* Call) {
  const TSQLiteFaultHook& hook = FaultHook();
  return hook ? hook(Call) : SQLITE_OK;
}

// The Unicode characters of Windows-1252's bytes 0x80 to 0x9F (0 where the code page has none).
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

char UnicodeToCp1252(char32_t C) {
  if (C < 0x80 || (C >= 0xA0 && C <= 0xFF)) return static_cast<char>(C);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] != 0 && kCp1252High[i] == C) return static_cast<char>(0x80 + i);
  return '?';
}

// Dates are stored as ISO text, "yyyy-mm-dd hh:nn:ss" (with ".zzz" when there are
// milliseconds), which sorts and compares as the dates do.
std::string DateTimeToIso(TDateTime Value) {
  int y, m, d, h, n, s, ms;
  DecodeDate(Value, y, m, d);
  DecodeTime(Value, h, n, s, ms);
  char buf[40];
  if (ms)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, h, n, s, ms);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
  return buf;
}

// ISO text ("yyyy-mm-dd", with " hh:nn", ":ss" and ".zzz" or a 'T' between), as SQLite's
// date functions write it.
bool IsoToDateTime(const char* Text, TDateTime& Value) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0, used = 0;
  if (std::sscanf(Text, "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3) return false;
  const char* rest = Text + used;
  double frac = 0;
  if (*rest == ' ' || *rest == 'T') {
    int more = 0;
    const int got = std::sscanf(rest + 1, "%2d:%2d%n:%2d%n", &h, &n, &more, &s, &more);
    if (got < 2) return false;
    rest += 1 + more;
    if (*rest == '.') {
      char* end = nullptr;
      frac = std::strtod(rest, &end);
      rest = end;
    }
  }
  if (*rest != 0) return false;
  try {
    Value = EncodeDate(y, m, d) + EncodeTime(h, n, s, static_cast<int>(std::lround(frac * 1000)));
  } catch (const EConvertError&) {
    return false;
  }
  return true;
}

// The date a stored value stands for: ISO text, a Julian day number (real) or Unix seconds
// (integer), as SQLite's date functions understand them.
bool ValueToDateTime(sqlite3_value* V, TDateTime& Out) {
  switch (sqlite3_value_type(V)) {
    case SQLITE_TEXT: return IsoToDateTime(reinterpret_cast<const char*>(sqlite3_value_text(V)), Out);
    case SQLITE_FLOAT: Out = sqlite3_value_double(V) - 2415018.5; return true;
    case SQLITE_INTEGER: Out = 25569.0 + static_cast<double>(sqlite3_value_int64(V)) / 86400.0; return true;
    default: return false;
  }
}

// --- SQL functions of our own ------------------------------------------------------------

// kt_starts_with(text, prefix, caseless): the text begins with prefix, byte by byte, letters
// A to Z folded when caseless is 1. What Locate's partial keys mean, for any bytes.
void StartsWithFunction(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
  if (sqlite3_value_type(Argv[0]) == SQLITE_NULL || sqlite3_value_type(Argv[1]) == SQLITE_NULL) {
    sqlite3_result_int(Ctx, 0);
    return;
  }
  const auto* text = sqlite3_value_text(Argv[0]);
  const int textLen = sqlite3_value_bytes(Argv[0]);
  const auto* key = sqlite3_value_text(Argv[1]);
  const int keyLen = sqlite3_value_bytes(Argv[1]);
  const bool caseless = sqlite3_value_int(Argv[2]) != 0;
  if (textLen < keyLen) {
    sqlite3_result_int(Ctx, 0);
    return;
  }
  for (int i = 0; i < keyLen; ++i) {
    unsigned char a = text[i], b = key[i];
    if (caseless) {
      if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
      if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    }
    if (a != b) {
      sqlite3_result_int(Ctx, 0);
      return;
    }
  }
  sqlite3_result_int(Ctx, 1);
}

// kt_datetime(value): the date a stored value stands for, as a day number; Null when none.
void DateTimeFunction(sqlite3_context* Ctx, int, sqlite3_value** Argv) {
  TDateTime v;
  if (ValueToDateTime(Argv[0], v))
    sqlite3_result_double(Ctx, v);
  else
    sqlite3_result_null(Ctx);
}

}  // namespace

void SetSQLiteFaultHook(TSQLiteFaultHook Hook) {
  FaultHook() = std::move(Hook);
}

std::string Cp1252ToUtf8(const std::string& Text) {
  std::string out;
  out.reserve(Text.size());
  for (unsigned char c : Text) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else if (c < 0xA0)
      AppendUtf8(out, kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : U'?');
    else
      AppendUtf8(out, c);
  }
  return out;
}

std::string Utf8ToCp1252(const std::string& Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    const unsigned char c = static_cast<unsigned char>(Text[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    char32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    bool ok = len > 0 && i + len <= Text.size();
    for (int k = 1; ok && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(Text[i + k]);
      ok = (t & 0xC0) == 0x80;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (!ok) {  // not UTF-8: one byte becomes one unknown character
      out += '?';
      ++i;
      continue;
    }
    out += UnicodeToCp1252(cp);
    i += static_cast<size_t>(len);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// TSQLiteStatement
// ---------------------------------------------------------------------------------------------

TSQLiteStatement::TSQLiteStatement(TSQLiteConnection* Connection, const std::string& SQL)
    : FConnection(Connection) {
  Connection->CheckConnected();
  int rc = Fault("prepare");
  if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(Connection->Handle(), SQL.c_str(), -1, &FStmt, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(FStmt);
    FStmt = nullptr;
    Connection->RaiseError(rc);
  }
  if (!FStmt) DatabaseError("No SQL statement in '" + SQL + "'", Connection);
}

TSQLiteStatement::~TSQLiteStatement() {
  sqlite3_finalize(FStmt);
}

void TSQLiteStatement::Bind(int Index, const Variant& Value, TFieldType Type) {
  int rc = Fault("bind");
  if (rc != SQLITE_OK) FConnection->RaiseError(rc);
  if (Value.IsNull() || Value.IsEmpty()) {
    rc = sqlite3_bind_null(FStmt, Index);
  } else {
    TVarType vt = Value.VarType();
    if (Type == ftDateTime) vt = TVarType::DateTime;
    if (Type == ftBoolean) vt = TVarType::Boolean;
    if (Type == ftString) vt = TVarType::String;
    switch (vt) {
      case TVarType::Boolean: rc = sqlite3_bind_int(FStmt, Index, Value.AsBoolean() ? 1 : 0); break;
      case TVarType::Integer: rc = sqlite3_bind_int64(FStmt, Index, Value.AsInteger()); break;
      case TVarType::Float: rc = sqlite3_bind_double(FStmt, Index, Value.AsFloat()); break;
      case TVarType::DateTime: {
        const std::string iso = DateTimeToIso(Value.AsDateTime());
        rc = sqlite3_bind_text(FStmt, Index, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
        break;
      }
      default: {
        std::string text = Value.AsString();
        if (FConnection->TextEncoding() == teUTF8) text = Cp1252ToUtf8(text);
        rc = sqlite3_bind_text(FStmt, Index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
      }
    }
  }
  if (rc != SQLITE_OK) FConnection->RaiseError(rc);
}

void TSQLiteStatement::BindParams(const TSQLParams& Params) {
  for (const auto& [name, value] : Params) {
    for (const char* prefix : {":", "@", "$"}) {
      const int index = sqlite3_bind_parameter_index(FStmt, (prefix + name).c_str());
      if (index > 0) Bind(index, value);
    }
  }
}

int TSQLiteStatement::ParamCount() const {
  return sqlite3_bind_parameter_count(FStmt);
}

bool TSQLiteStatement::Step() {
  int rc = Fault("step");
  if (rc == SQLITE_OK) rc = sqlite3_step(FStmt);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(FStmt);
  FConnection->RaiseError(rc);
}

void TSQLiteStatement::Reset() {
  sqlite3_reset(FStmt);
  sqlite3_clear_bindings(FStmt);
}

int TSQLiteStatement::ColumnCount() const {
  return sqlite3_column_count(FStmt);
}

std::string TSQLiteStatement::ColumnName(int Column) const {
  const char* name = sqlite3_column_name(FStmt, Column);
  return name ? name : "";
}

std::string TSQLiteStatement::ColumnDeclType(int Column) const {
  const char* type = sqlite3_column_decltype(FStmt, Column);
  return type ? type : "";
}

bool TSQLiteStatement::ColumnIsNull(int Column) const {
  return sqlite3_column_type(FStmt, Column) == SQLITE_NULL;
}

std::int64_t TSQLiteStatement::ColumnInt(int Column) const {
  return sqlite3_column_int64(FStmt, Column);
}

Variant TSQLiteStatement::ColumnRaw(int Column) const {
  switch (sqlite3_column_type(FStmt, Column)) {
    case SQLITE_NULL: return Variant(Null);
    case SQLITE_INTEGER: return Variant(static_cast<long long>(sqlite3_column_int64(FStmt, Column)));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(FStmt, Column));
    default: {
      const char* text = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, Column));
      std::string s(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(FStmt, Column)));
      return Variant(FConnection->TextEncoding() == teUTF8 ? Utf8ToCp1252(s) : s);
    }
  }
}

Variant TSQLiteStatement::ColumnValue(int Column, TFieldType Type) const {
  const int stored = sqlite3_column_type(FStmt, Column);
  if (stored == SQLITE_NULL) return Variant(Null);
  switch (Type) {
    case ftInteger:
      if (stored == SQLITE_INTEGER)
        return Variant(static_cast<long long>(sqlite3_column_int64(FStmt, Column)));
      if (stored == SQLITE_FLOAT) {
        const double d = sqlite3_column_double(FStmt, Column);
        if (d == std::floor(d) && std::fabs(d) < 9.2e18) return Variant(static_cast<long long>(d));
        return Variant(d);
      }
      break;
    case ftFloat:
      if (stored == SQLITE_INTEGER || stored == SQLITE_FLOAT)
        return Variant(sqlite3_column_double(FStmt, Column));
      break;
    case ftBoolean:
      if (stored == SQLITE_INTEGER || stored == SQLITE_FLOAT)
        return Variant(sqlite3_column_double(FStmt, Column) != 0);
      break;
    case ftDateTime: {
      TDateTime v;
      if (ValueToDateTime(sqlite3_column_value(FStmt, Column), v)) return Variant::FromDateTime(v);
      break;
    }
    default: break;
  }
  // Text (or a value the type does not take, kept as it was stored so that nothing is lost).
  Variant raw = ColumnRaw(Column);
  if (Type == ftString || raw.VarType() != TVarType::String)
    return Type == ftString ? Variant(raw.AsString()) : raw;
  try {
    if (Type == ftBoolean) return Variant(StrToBool(Trim(raw.AsString())));
    if (Type == ftInteger) return Variant(static_cast<long long>(StrToInt(Trim(raw.AsString()))));
    if (Type == ftFloat) return Variant(StrToFloat(Trim(raw.AsString())));
  } catch (const EConvertError&) {
  }
  return raw;
}

// ---------------------------------------------------------------------------------------------
// TSQLiteConnection: opening
// ---------------------------------------------------------------------------------------------

TSQLiteConnection::TSQLiteConnection(TComponent* AOwner) : TComponent(AOwner) {}

TSQLiteConnection::~TSQLiteConnection() {
  Destroying();
  // The data sets close (they need the connection for that) and forget it.
  while (!FDataSets.empty()) {
    TSQLiteDataSet* ds = FDataSets.back();
    try {
      ds->Close();
    } catch (...) {  // a destructor never raises; the data set's handlers may have
    }
    ds->FConnection = nullptr;
    FDataSets.pop_back();
  }
  Close();
}

void TSQLiteConnection::CheckConnected() const {
  if (!FDb) DatabaseError("The connection is not open", const_cast<TSQLiteConnection*>(this));
}

void TSQLiteConnection::SetDatabaseName(const std::string& Value) {
  if (Value == FDatabaseName) return;
  if (Connected()) DatabaseError("Can't change the database of an open connection", this);
  FDatabaseName = Value;
}

void TSQLiteConnection::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  if (Connected()) DatabaseError("Can't change the mode of an open connection", this);
  FReadOnly = Value;
}

void TSQLiteConnection::SetBusyTimeout(int Milliseconds) {
  FBusyTimeout = std::max(0, Milliseconds);
  if (FDb) sqlite3_busy_timeout(FDb, FBusyTimeout);
}

void TSQLiteConnection::SetTextEncoding(TSQLiteTextEncoding Value) {
  if (Value == FTextEncoding) return;
  if (Connected()) DatabaseError("Can't change the text encoding of an open connection", this);
  FTextEncoding = Value;
}

void TSQLiteConnection::Open() {
  if (FDb) return;
  if (FDatabaseName.empty()) DatabaseError("No database name given", this);
  const int flags = (FReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                    SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
  sqlite3* db = nullptr;
  int rc = Fault("open");
  if (rc == SQLITE_OK) rc = sqlite3_open_v2(FDatabaseName.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw ESQLiteError(Name().empty() ? message : Name() + ": " + message, message, rc);
  }
  FDb = db;
  sqlite3_extended_result_codes(FDb, 1);
  sqlite3_busy_timeout(FDb, FBusyTimeout);
  sqlite3_create_function(FDb, "kt_starts_with", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          StartsWithFunction, nullptr, nullptr);
  sqlite3_create_function(FDb, "kt_datetime", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          DateTimeFunction, nullptr, nullptr);
  try {
    // Foreign keys are enforced, as an application expects of its schema.
    RunSimple("PRAGMA foreign_keys = ON");
  } catch (...) {
    sqlite3_close(FDb);
    FDb = nullptr;
    throw;
  }
}

void TSQLiteConnection::Close() {
  if (!FDb) return;
  for (size_t i = FDataSets.size(); i-- > 0;)
    if (i < FDataSets.size()) FDataSets[i]->Close();
  for (auto& ds : FDataSets) ds->DropStatements();
  // Closing rolls back a transaction still held.
  sqlite3_close_v2(FDb);
  FDb = nullptr;
}

void TSQLiteConnection::RaiseError(int Code, TComponent* Component) const {
  if (!Component) Component = const_cast<TSQLiteConnection*>(this);
  // The connection's message belongs to this failure unless the fault seam made it up.
  const std::string message =
      FDb && sqlite3_extended_errcode(FDb) == Code ? sqlite3_errmsg(FDb) : sqlite3_errstr(Code);
  throw ESQLiteError(Component->Name().empty() ? message : Component->Name() + ": " + message, message, Code);
}

void TSQLiteConnection::RunSimple(const char* SQL) {
  TSQLiteStatement statement(this, SQL);
  while (statement.Step()) {
  }
}

// ---------------------------------------------------------------------------------------------
// Transactions
// ---------------------------------------------------------------------------------------------

bool TSQLiteConnection::InTransaction() const {
  return FDb && !sqlite3_get_autocommit(FDb);
}

void TSQLiteConnection::StartTransaction() {
  CheckConnected();
  if (InTransaction()) DatabaseError("A transaction is already active", this);
  RunSimple("BEGIN");
}

void TSQLiteConnection::Commit() {
  CheckConnected();
  if (!InTransaction()) DatabaseError("No transaction is active", this);
  RunSimple("COMMIT");
}

void TSQLiteConnection::Rollback() {
  CheckConnected();
  if (!InTransaction()) DatabaseError("No transaction is active", this);
  RunSimple("ROLLBACK");
  // What the data sets wrote inside the transaction is gone: they show the file again. One
  // that is being edited keeps its edit, which a refresh would post.
  const std::vector<TSQLiteDataSet*> sets(FDataSets);
  for (TSQLiteDataSet* ds : sets)
    if (std::find(FDataSets.begin(), FDataSets.end(), ds) != FDataSets.end() && ds->State() == dsBrowse)
      ds->Refresh();
}

void TSQLiteConnection::BeginWrite() {
  CheckConnected();
  FOwnWrite = !InTransaction();
  // A savepoint inside the application's transaction undoes this write alone.
  RunSimple(FOwnWrite ? "BEGIN IMMEDIATE" : "SAVEPOINT kt_write");
}

void TSQLiteConnection::CommitWrite() {
  RunSimple(FOwnWrite ? "COMMIT" : "RELEASE kt_write");
}

void TSQLiteConnection::UndoWrite() noexcept {
  if (!FDb) return;
  // Each try runs through the seam like any call; a failed undo is tried again, and a
  // transaction of our own never stays open.
  for (int attempt = 0; attempt < 3; ++attempt) {
    try {
      if (FOwnWrite) {
        if (!InTransaction()) return;
        RunSimple("ROLLBACK");
      } else {
        if (!InTransaction()) return;  // SQLite ended the application's transaction itself
        RunSimple("ROLLBACK TO kt_write");
        RunSimple("RELEASE kt_write");
      }
      return;
    } catch (const Exception&) {
    }
  }
  if (FOwnWrite && InTransaction()) sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Running SQL
// ---------------------------------------------------------------------------------------------

int TSQLiteConnection::ExecSQL(const std::string& SQL, const TSQLParams& Params) {
  TSQLiteStatement statement(this, SQL);
  statement.BindParams(Params);
  while (statement.Step()) {
  }
  return sqlite3_changes(FDb);
}

Variant TSQLiteConnection::ExecScalar(const std::string& SQL, const TSQLParams& Params) {
  TSQLiteStatement statement(this, SQL);
  statement.BindParams(Params);
  if (!statement.Step() || statement.ColumnCount() == 0) return Variant(Null);
  return statement.ColumnRaw(0);
}

std::vector<std::string> TSQLiteConnection::TableNames() {
  std::vector<std::string> names;
  TSQLiteStatement statement(
      this,
      "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
      "ESCAPE '\\' ORDER BY name");
  while (statement.Step()) names.push_back(statement.ColumnRaw(0).AsString());
  return names;
}

std::int64_t TSQLiteConnection::LastInsertRowId() const {
  return FDb ? sqlite3_last_insert_rowid(FDb) : 0;
}

void TSQLiteConnection::AddDataSet(TSQLiteDataSet* DataSet) {
  if (std::find(FDataSets.begin(), FDataSets.end(), DataSet) == FDataSets.end()) FDataSets.push_back(DataSet);
}

void TSQLiteConnection::RemoveDataSet(TSQLiteDataSet* DataSet) {
  FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), DataSet), FDataSets.end());
}

}  // namespace vcl
