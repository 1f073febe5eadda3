// TMemDataSet: an in-memory table. Fields are defined while it is closed (AddStringField,
// AddIntegerField, ..., AddCalcField, AddLookupField); records are kept in typed columns (the
// texts of a column in one byte buffer), so a million rows cost a few bytes per value, and
// survive Close and Open.
//
// Searches (Locate, Lookup) on one text or integer data field use an index of that column when
// there is one: a case-insensitive prefix or exact search then costs O(log n) instead of a scan.
// An index is built by itself on the first search that can use it once the table holds
// AutoIndexRows records, or at once when the application declares it (SetIndexMode ixAlways);
// ixNever keeps a column unindexed. Indexes follow every insert, post, delete and reload.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/data_set.h"
#include "platform/data/mem_index.h"
#include "platform/data/mem_storage.h"

namespace vcl {

// Whether a column is indexed for searching.
enum class TIndexMode {
  ixAuto,    // built on the first search that can use it once the table is large
  ixAlways,  // built at once and kept
  ixNever,   // never: searches scan
};
using enum TIndexMode;

class TMemDataSet : public TDataSet {
 public:
  explicit TMemDataSet(TComponent* AOwner);
  ~TMemDataSet() override;
  std::string ClassName() const override { return "TMemDataSet"; }

  // Field definitions; the data set must be closed. Each returns the new field (owned by
  // the data set) and raises on a duplicate name.
  TStringField* AddStringField(const std::string& Name, int Size = 20);
  TIntegerField* AddIntegerField(const std::string& Name);
  TFloatField* AddFloatField(const std::string& Name);
  TBooleanField* AddBooleanField(const std::string& Name);
  TDateTimeField* AddDateTimeField(const std::string& Name);
  // A field that OnCalcFields computes for each record as it is read.
  TField* AddCalcField(const std::string& Name, TFieldType Type, int Size = 20);
  // A field that OnCalcFields computes when a record is posted; stored and searchable.
  TField* AddInternalCalcField(const std::string& Name, TFieldType Type, int Size = 20);
  // A field showing LookupResultField of the LookupDataSet record whose LookupKeyFields
  // equal this record's KeyFields.
  TField* AddLookupField(const std::string& Name, TFieldType Type, int Size, const std::string& KeyFields,
                         TDataSet* LookupDataSet, const std::string& LookupKeyFields,
                         const std::string& LookupResultField);

  // Appends a record with one value per data field, in field order (missing ones stay Null),
  // and posts it. When the post fails the new record is cancelled and the error passes on.
  void AppendRecord(const std::vector<Variant>& Values);
  // Removes every record.
  void EmptyTable();

  // Fills the table straight into its storage, record after record: no events, no
  // notifications, no field checks and no Variant per value. The values of a record go to the
  // data and internal-calculated fields in the order they were added; those not given stay
  // Null. Finish (or the destructor) ends the load: declared indexes are built again and, on
  // an open data set, the cursor goes to the first record and the links hear one change.
  class TLoader {
   public:
    // ExpectedRows, when known, sizes the storage once.
    explicit TLoader(TMemDataSet& DataSet, std::size_t ExpectedRows = 0);
    ~TLoader();
    TLoader(const TLoader&) = delete;
    TLoader& operator=(const TLoader&) = delete;
    TLoader& Add(std::string_view Text);
    TLoader& Add(const char* Text) { return Add(std::string_view(Text)); }
    TLoader& Add(const std::string& Text) { return Add(std::string_view(Text)); }
    TLoader& Add(int Value) { return Add(static_cast<long long>(Value)); }
    TLoader& Add(long long Value);
    TLoader& Add(double Value);
    TLoader& Add(const Variant& Value);
    TLoader& AddNull() { return Add(Variant(Null)); }
    // Ends the record (an empty one when nothing was added).
    void EndRecord();
    void Finish();

   private:
    // The record being filled, started on its first value; ForValue checks room for one more.
    std::uint32_t Row(bool ForValue);
    TMemDataSet* FDataSet;
    std::size_t FColumn = 0;
    bool FInRecord = false;
    bool FDone = false;
  };

  // --- Indexes ----------------------------------------------------------------------------
  // Declares how the column of a string or integer data (or internal-calculated) field is
  // indexed; raises for other fields. ixAlways builds the index now, ixNever drops it.
  void SetIndexMode(const std::string& FieldName, TIndexMode Mode);
  TIndexMode IndexMode(const std::string& FieldName) const;
  // True when the field's column has an index now.
  bool HasIndex(const std::string& FieldName) const;
  // How many records a table needs before an ixAuto column is indexed (default 4096).
  int AutoIndexRows() const { return FAutoIndexRows; }
  void SetAutoIndexRows(int Value) { FAutoIndexRows = Value < 0 ? 0 : Value; }
  // Bytes held by the records and the indexes (the storage's own share, without the fields).
  std::size_t MemoryUsed() const;

  // A data set that is not sequenced stands for a server cursor: IsSequenced is false and
  // RecNo is -1 (setting it does nothing); RecordCount still counts the records.
  bool IsSequenced() const override { return FSequenced; }
  void SetSequenced(bool Value) { FSequenced = Value; }

 protected:
  int InternalCount() const override { return static_cast<int>(FOrder.Count()); }
  std::uint32_t RecordId(int Pos) const override { return FOrder.RowAt(static_cast<size_t>(Pos)); }
  Variant GetRecordValue(int Pos, int FieldNo) const override;
  void InternalInsert(int Pos) override;
  void InternalCancelInsert(int Pos) override;
  void InternalPost(int Pos, const std::vector<Variant>& Values) override;
  void InternalDelete(int Pos) override;
  int InternalAddColumn(TField* Field) override;
  int FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const override;

 private:
  // One typed column: texts, 32-bit integers (and booleans) or doubles (and date-times), with
  // its index when it has one. Columns stay where they are made (the index points at them).
  struct TColumn {
    TFieldType Type = ftUnknown;
    TTextColumn Text;
    std::vector<std::int32_t> Int;
    std::vector<double> Num;
    std::vector<bool> IsNull;  // numbers only; a text column knows its Nulls
    TIndexMode Mode = ixAuto;
    mutable std::unique_ptr<TMemIndex> Index;
    bool Indexable() const { return Type == ftString || Type == ftInteger; }
    bool ValueIsNull(std::uint32_t Row) const { return Type == ftString ? Text.IsNull(Row) : IsNull[Row]; }
  };
  // Names Field, sets its kind and size and adds it; frees it when that fails.
  TField* Define(TField* Field, const std::string& Name, TFieldKind Kind, int Size);
  // Writes a value into a column (it raises before writing anything when it does not convert).
  void PutValue(TColumn& Column, std::uint32_t Row, const Variant& Value);
  // PutValue that keeps the column's index right.
  void StoreValue(TColumn& Column, std::uint32_t Row, const Variant& Value);
  void AddRowToColumns();
  void PopRowFromColumns();
  // The column of a field that can be indexed; raises otherwise.
  TColumn& IndexableColumn(const std::string& FieldName) const;
  // The column's index, built now when its mode and the table's size call for it.
  TMemIndex* UsableIndex(const TColumn& Column) const;
  void BuildIndex(const TColumn& Column) const;
  // Answers a one-key search from an index; false when no index can.
  bool IndexedFind(const TSearchKey& Key, TLocateOptions Options, int& Pos) const;

  std::vector<std::unique_ptr<TColumn>> FColumns;
  TRowOrder FOrder;         // row of each position
  std::uint32_t FRows = 0;  // rows allocated in the columns
  bool FSequenced = true;
  bool FLoading = false;  // a TLoader is filling the table
  int FAutoIndexRows = 4096;
};

}  // namespace vcl
