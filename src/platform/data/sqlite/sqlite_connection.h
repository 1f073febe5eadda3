// TSQLiteConnection: a database file (or ":memory:") opened through the SQLite C library, the
// transactions the application holds on it, and the statements the data sets run.
//
// Index of this header:
//   text encodings, parameters, the fault seam
//   TSQLiteStatement: one prepared statement, its bindings and its columns
//   TSQLiteConnection: opening, transactions, running SQL, the data sets that use it
//
// Every call into SQLite that can fail goes through this file, so a failure always becomes an
// EDatabaseError that carries SQLite's own message, prefixed by the component's name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/classes.h"
#include "platform/base/variant.h"
#include "platform/data/db_errors.h"
#include "platform/data/field.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vcl {

class TSQLiteDataSet;

// How text travels between the platform's strings and the database file.
enum class TSQLiteTextEncoding {
  teSystemCodePage,  // bytes as they are: the file holds the system code page (Windows-1252)
  teUTF8,            // the file holds UTF-8: converted on every read and write
};
using enum TSQLiteTextEncoding;

// Named parameters of a statement: ":Name" (or "@Name", "$Name") and its value.
using TSQLParams = std::vector<std::pair<std::string, Variant>>;

// A test seam: when set, it is asked before every fallible SQLite call ("open", "prepare",
// "bind", "step") and a non-zero answer (an SQLite result code) makes that call fail with that
// code instead of running. Used to prove that a failure at any point loses nothing.
using TSQLiteFaultHook = std::function<int(const char* Call)>;
void SetSQLiteFaultHook(TSQLiteFaultHook Hook);

// Conversions between Windows-1252 and UTF-8; characters the code page lacks become '?'.
std::string Cp1252ToUtf8(const std::string& Text);
std::string Utf8ToCp1252(const std::string& Text);

class TSQLiteConnection;

// One prepared statement. Raises EDatabaseError (with SQLite's message) when it fails.
class TSQLiteStatement {
 public:
  TSQLiteStatement(TSQLiteConnection* Connection, const std::string& SQL);
  ~TSQLiteStatement();
  TSQLiteStatement(const TSQLiteStatement&) = delete;
  TSQLiteStatement& operator=(const TSQLiteStatement&) = delete;

  // Binds a value to the 1-based parameter Index; Type says how a value is stored (a date as
  // ISO text, a Boolean as 0 or 1, text in the connection's encoding).
  void Bind(int Index, const Variant& Value, TFieldType Type = ftUnknown);
  // Binds the named parameters that the statement has; names it lacks are ignored.
  void BindParams(const TSQLParams& Params);
  int ParamCount() const;
  // Runs the statement to its next row: true with a row, false when done.
  bool Step();
  // Ready to run again, bindings cleared.
  void Reset();

  int ColumnCount() const;
  std::string ColumnName(int Column) const;
  std::string ColumnDeclType(int Column) const;  // '' for expressions
  bool ColumnIsNull(int Column) const;
  std::int64_t ColumnInt(int Column) const;
  // The column's value as a field of Type holds it (text in the platform's code page; dates
  // from ISO text, Julian days or Unix seconds); a value that does not convert keeps its text.
  Variant ColumnValue(int Column, TFieldType Type) const;
  // The column's value as SQLite stored it (integer, real, text or Null).
  Variant ColumnRaw(int Column) const;
  sqlite3_stmt* Handle() const { return FStmt; }

 private:
  TSQLiteConnection* FConnection;
  sqlite3_stmt* FStmt = nullptr;
};

class TSQLiteConnection : public TComponent {
 public:
  explicit TSQLiteConnection(TComponent* AOwner);
  ~TSQLiteConnection() override;
  std::string ClassName() const override { return "TSQLiteConnection"; }

  // --- Opening --------------------------------------------------------------------------
  // The database file, or ":memory:"; set while closed. A file that does not exist is made.
  const std::string& DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const std::string& Value);
  // Opens the file for reading only (writes then fail with SQLite's read-only error).
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // How long a statement waits for another connection's lock before it fails as busy.
  int BusyTimeout() const { return FBusyTimeout; }
  void SetBusyTimeout(int Milliseconds);
  TSQLiteTextEncoding TextEncoding() const { return FTextEncoding; }
  void SetTextEncoding(TSQLiteTextEncoding Value);
  void Open();
  // Closes the data sets that use the connection first; a transaction still held is rolled back.
  void Close();
  bool Connected() const { return FDb != nullptr; }
  void SetConnected(bool Value) { Value ? Open() : Close(); }

  // --- Transactions ---------------------------------------------------------------------
  // While the application holds a transaction, the data sets' writes join it.
  void StartTransaction();
  void Commit();
  // Undoes the transaction; the open data sets re-read what they show.
  void Rollback();
  bool InTransaction() const;

  // --- Running SQL ----------------------------------------------------------------------
  // Runs one statement with named parameters; returns the rows it changed.
  int ExecSQL(const std::string& SQL, const TSQLParams& Params = {});
  // The first column of the first row (Null when there is none).
  Variant ExecScalar(const std::string& SQL, const TSQLParams& Params = {});
  // Table names (no internal tables), in name order.
  std::vector<std::string> TableNames();
  sqlite3* Handle() const { return FDb; }
  // The rowid of the last row inserted through this connection.
  std::int64_t LastInsertRowId() const;

  // Raises EDatabaseError with SQLite's message for Code (the connection's last message when
  // it belongs to Code), prefixed by the name of Component (this connection when nil).
  [[noreturn]] void RaiseError(int Code, TComponent* Component = nullptr) const;
  void CheckConnected() const;

 private:
  friend class TSQLiteDataSet;
  friend class TSQLiteStatement;

  // A write of a data set: its own transaction, or a savepoint inside the application's.
  void BeginWrite();
  void CommitWrite();
  void UndoWrite() noexcept;  // never raises: the write's error is what the caller reports
  void AddDataSet(TSQLiteDataSet* DataSet);
  void RemoveDataSet(TSQLiteDataSet* DataSet);
  void RunSimple(const char* SQL);

  sqlite3* FDb = nullptr;
  std::string FDatabaseName;
  bool FReadOnly = false;
  int FBusyTimeout = 1000;
  TSQLiteTextEncoding FTextEncoding = teSystemCodePage;
  bool FOwnWrite = false;  // the running write began its own transaction
  std::vector<TSQLiteDataSet*> FDataSets;
};

// The SQLite code of a fault (the seam's answer or a failed call), kept beside the message.
class ESQLiteError : public EDatabaseError {
 public:
  ESQLiteError(const std::string& Message, const std::string& SQLiteMessage, int Code)
      : EDatabaseError(Message), FSQLiteMessage(SQLiteMessage), FCode(Code) {}
  int ErrorCode() const { return FCode; }
  // SQLite's own text, without a component's name.
  const std::string& SQLiteMessage() const { return FSQLiteMessage; }

 private:
  std::string FSQLiteMessage;
  int FCode;
};

}  // namespace vcl
