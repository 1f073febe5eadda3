// TSQLiteDataSet: a data set over a table of a SQLite database, or over a SELECT with named
// parameters.
//
// A table opens by reading only its row keys, in the data set's order (IndexFieldNames, else
// the rowid); its rows are fetched in blocks when a field reads them and kept in a bounded
// cache, so a table of a million rows opens in the time it takes to read a million integers.
// Locate, Lookup and the record count run as SQL. Posting an edit updates the changed columns
// of the row, an insert inserts it (and reads back the key and defaults the database gave
// it), Delete deletes it: each in its own transaction, or inside the one the application holds
// on the connection. A write that fails raises EDatabaseError with SQLite's message and changes
// nothing: the record stays in edit or insert state with every value that was typed.
//
// A SELECT reads its rows when it opens and is read-only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/data/data_set.h"
#include "platform/data/sqlite/sqlite_connection.h"

namespace vcl {

class TSQLiteDataSet : public TDataSet {
 public:
  explicit TSQLiteDataSet(TComponent* AOwner);
  ~TSQLiteDataSet() override;
  std::string ClassName() const override { return "TSQLiteDataSet"; }

  // --- What it shows (set while closed) -------------------------------------------------
  TSQLiteConnection* Connection() const { return FConnection; }
  void SetConnection(TSQLiteConnection* Value);
  // A table (or view) by name; clears SQL.
  const std::string& TableName() const { return FTableName; }
  void SetTableName(const std::string& Value);
  // A SELECT whose ":Name" parameters take the values of SetParam; clears TableName.
  const std::string& SQL() const { return FSQL; }
  void SetSQL(const std::string& Value);
  void SetParam(const std::string& Name, const Variant& Value);
  Variant Param(const std::string& Name) const;  // Null when not set
  const TSQLParams& Params() const { return FParams; }
  // The order of a table's records: fields separated by ';' (the rowid breaks ties); empty
  // orders by the rowid.
  const std::string& IndexFieldNames() const { return FIndexFieldNames; }
  void SetIndexFieldNames(const std::string& Value);

  // --- Fields ---------------------------------------------------------------------------
  // Makes a field for every column of the result when the data set has no data fields yet
  // (Open does it too): integer, real, text (with its declared length), date and time, and
  // Boolean columns after their declared types; Required from NOT NULL (unless the column
  // has a default or is the rowid). Opens the connection when needed.
  void CreateFields();
  // A field computed by OnCalcFields; a field showing LookupResultField of the LookupDataSet
  // record whose LookupKeyFields equal KeyFields. Defined while closed.
  TField* AddCalcField(const std::string& Name, TFieldType Type, int Size = 20);
  TField* AddLookupField(const std::string& Name, TFieldType Type, int Size, const std::string& KeyFields,
                         TDataSet* LookupDataSet, const std::string& LookupKeyFields,
                         const std::string& LookupResultField);
  // The primary key's fields, separated by ';' (empty for a table keyed by its rowid alone).
  const std::string& PrimaryKeyFields() const { return FPrimaryKey; }

  bool CanModify() const override;
  // Rows fetched at a time, and how many rows the cache keeps at most (two generations of
  // CacheSize / 2); set while closed.
  int BlockSize() const { return FBlockSize; }
  void SetBlockSize(int Value);
  int CacheSize() const { return FCacheSize; }
  void SetCacheSize(int Value);
  // Rows held in the cache now (for tests and benchmarks).
  int CachedRows() const { return static_cast<int>(FCache.size() + FOldCache.size()); }

 protected:
  int InternalCount() const override { return static_cast<int>(FKeys.size()); }
  std::uint32_t RecordId(int Pos) const override;
  Variant GetRecordValue(int Pos, int FieldNo) const override;
  void InternalInsert(int Pos) override;
  void InternalCancelInsert(int Pos) override;
  void InternalPost(int Pos, const std::vector<Variant>& Values) override;
  void InternalDelete(int Pos) override;
  void InternalOpen() override;
  void InternalClose() override;
  int InternalRefresh(int Pos) override;
  int InternalAddColumn(TField* Field) override;
  int FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TSQLiteConnection;
  using TRow = std::vector<Variant>;  // one value per storage column

  // A storage column: the field it serves and where it lives in the database.
  struct TColumn {
    TFieldType Type = ftUnknown;
    std::string Name;      // the field's name, and so the column's
    int Index = -1;        // position in the table's columns, or in the SELECT's result
    bool RowId = false;    // the column is the rowid (INTEGER PRIMARY KEY)
    bool Present = false;  // the table or the result has the column
  };
  // One column of a table as the database declares it.
  struct TColumnInfo {
    std::string Name, DeclType;
    bool NotNull = false, HasDefault = false;
    int PkOrder = 0;  // 1-based position in the primary key, 0 when not part of it
  };

  void CheckClosed() const;
  TSQLiteConnection* CheckConnection() const;
  std::vector<TColumnInfo> ReadColumns() const;
  void BindColumns(const std::vector<TColumnInfo>& Columns);
  std::string Quoted(const std::string& Name) const;  // an identifier in double quotes
  std::string OrderBy() const;
  void ReadKeys();
  void ReadQuery();
  TField* Define(TField* Field, const std::string& Name, TFieldKind Kind, int Size);
  // The cached row at Pos, fetching its block when needed.
  const TRow& Row(int Pos) const;
  void FetchBlock(int Pos) const;
  void CacheRow(std::int64_t Key, TRow Row) const;
  void DropRow(std::int64_t Key) const;
  void ClearCache() const;
  TRow ReadRow(std::int64_t Key) const;  // one row straight from the table
  // The position of a key (-1 when the data set does not hold it).
  int PositionOf(std::int64_t Key) const;
  void KeyPlaced(int Pos);  // a key changed at Pos: is the order still the table's?
  void Insert(int Pos, const std::vector<Variant>& Values);
  void Update(int Pos, const std::vector<Variant>& Values);
  TSQLiteStatement& Statement(const std::string& SQL) const;  // prepared once, kept
  void DropStatements() const;
  // Runs Write inside a write transaction; undoes it and raises on failure.
  template <typename F>
  void Write(F&& Fn);

  TSQLiteConnection* FConnection = nullptr;
  std::string FTableName, FSQL, FIndexFieldNames, FPrimaryKey;
  TSQLParams FParams;
  std::vector<TColumn> FColumns;    // by storage column (FieldNo)
  std::vector<std::int64_t> FKeys;  // the rowid of each position, in the data set's order
  int FInsertPos = -1;              // the pending insert's position, -1 when none
  bool FQuery = false;              // opened over a SELECT (or a view): rows are held whole
  bool FHasRowId = true;            // a table with a rowid (views and queries have none)
  bool FRowIdOrder = true;          // ordered by the rowid alone
  bool FKeysInOrder = true;         // FKeys is the order the SQL gives (no local change moved one)
  bool FKeysAscending = true;       // FKeys ascend (rowid order, unmoved): found by bisection
  int FBlockSize = 64;
  int FCacheSize = 4096;
  std::vector<TRow> FQueryRows;     // a query's rows, FKeys indexing them
  mutable std::vector<int> FByKey;  // positions sorted by their key (large tables, other orders)
  mutable std::unordered_map<std::int64_t, TRow> FCache, FOldCache;
  mutable std::unordered_map<std::string, std::unique_ptr<TSQLiteStatement>> FStatements;
};

}  // namespace vcl
