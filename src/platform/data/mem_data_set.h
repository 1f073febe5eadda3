// TMemDataSet: an in-memory table. Fields are defined while it is closed (AddStringField,
// AddIntegerField, ..., AddCalcField, AddLookupField); records are kept in typed columns, so
// a million rows cost a few bytes per value, and survive Close and Open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/data/data_set.h"

namespace vcl {

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

  // A data set that is not sequenced stands for a server cursor: IsSequenced is false and
  // RecNo is -1 (setting it does nothing); RecordCount still counts the records.
  bool IsSequenced() const override { return FSequenced; }
  void SetSequenced(bool Value) { FSequenced = Value; }

 protected:
  int InternalCount() const override { return static_cast<int>(FOrder.size()); }
  std::uint32_t RecordId(int Pos) const override { return FOrder[static_cast<size_t>(Pos)]; }
  Variant GetRecordValue(int Pos, int FieldNo) const override;
  void InternalInsert(int Pos) override;
  void InternalCancelInsert(int Pos) override;
  void InternalPost(int Pos, const std::vector<Variant>& Values) override;
  void InternalDelete(int Pos) override;
  int InternalAddColumn(TField* Field) override;
  int FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const override;

 private:
  // One typed column: strings, 32-bit integers (and booleans) or doubles (and date-times).
  struct TColumn {
    TFieldType Type = ftUnknown;
    std::vector<std::string> Str;
    std::vector<std::int32_t> Int;
    std::vector<double> Num;
    std::vector<bool> IsNull;
  };
  // Names Field, sets its kind and size and adds it; frees it when that fails.
  TField* Define(TField* Field, const std::string& Name, TFieldKind Kind, int Size);
  void PutValue(TColumn& Column, std::uint32_t Row, const Variant& Value);

  std::vector<TColumn> FColumns;
  std::vector<std::uint32_t> FOrder;  // row of each position
  std::uint32_t FRows = 0;            // rows allocated in the columns
  bool FSequenced = true;
};

}  // namespace vcl
