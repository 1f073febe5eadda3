#include "platform/data/mem_data_set.h"

// Index: definitions | records | loading | indexes and searching

#include <cmath>
#include <cstring>

namespace vcl {

TMemDataSet::TMemDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemDataSet::~TMemDataSet() {
  Destroying();
  Close();
}

// ---------------------------------------------------------------------------------------------
// Definitions
// ---------------------------------------------------------------------------------------------

TField* TMemDataSet::Define(TField* Field, const std::string& Name, TFieldKind Kind, int Size) {
  try {
    CheckInactive();
    Field->SetFieldName(Name);
    Field->SetFieldKind(Kind);
    if (Size > 0) Field->SetSize(Size);
    Field->SetDataSet(this);
  } catch (...) {
    delete Field;
    throw;
  }
  return Field;
}

TStringField* TMemDataSet::AddStringField(const std::string& Name, int Size) {
  return static_cast<TStringField*>(Define(new TStringField(this), Name, fkData, Size));
}

TIntegerField* TMemDataSet::AddIntegerField(const std::string& Name) {
  return static_cast<TIntegerField*>(Define(new TIntegerField(this), Name, fkData, 0));
}

TFloatField* TMemDataSet::AddFloatField(const std::string& Name) {
  return static_cast<TFloatField*>(Define(new TFloatField(this), Name, fkData, 0));
}

TBooleanField* TMemDataSet::AddBooleanField(const std::string& Name) {
  return static_cast<TBooleanField*>(Define(new TBooleanField(this), Name, fkData, 0));
}

TDateTimeField* TMemDataSet::AddDateTimeField(const std::string& Name) {
  return static_cast<TDateTimeField*>(Define(new TDateTimeField(this), Name, fkData, 0));
}

TField* TMemDataSet::AddCalcField(const std::string& Name, TFieldType Type, int Size) {
  return Define(CreateFieldOfType(Type, this), Name, fkCalculated, Type == ftString ? Size : 0);
}

TField* TMemDataSet::AddInternalCalcField(const std::string& Name, TFieldType Type, int Size) {
  return Define(CreateFieldOfType(Type, this), Name, fkInternalCalc, Type == ftString ? Size : 0);
}

TField* TMemDataSet::AddLookupField(const std::string& Name, TFieldType Type, int Size,
                                    const std::string& KeyFields, TDataSet* LookupDataSet,
                                    const std::string& LookupKeyFields,
                                    const std::string& LookupResultField) {
  TField* field = CreateFieldOfType(Type, this);
  field->SetKeyFields(KeyFields);
  field->SetLookupDataSet(LookupDataSet);
  field->SetLookupKeyFields(LookupKeyFields);
  field->SetLookupResultField(LookupResultField);
  return Define(field, Name, fkLookup, Type == ftString ? Size : 0);
}

int TMemDataSet::InternalAddColumn(TField* Field) {
  auto column = std::make_unique<TColumn>();
  column->Type = Field->DataType();
  switch (column->Type) {
    case ftString:
      for (std::uint32_t r = 0; r < FRows; ++r) column->Text.AddRow();
      break;
    case ftInteger:
    case ftBoolean: column->Int.resize(FRows); break;
    default: column->Num.resize(FRows); break;
  }
  if (column->Type != ftString) column->IsNull.assign(FRows, true);
  FColumns.push_back(std::move(column));
  return static_cast<int>(FColumns.size()) - 1;
}

// ---------------------------------------------------------------------------------------------
// Records
// ---------------------------------------------------------------------------------------------

void TMemDataSet::AppendRecord(const std::vector<Variant>& Values) {
  // Settling a pending edit, and each value's handlers, may free this data set or its fields.
  std::vector<TField*> data;
  std::vector<TAliveToken> dataAlive;
  for (TField* f : FieldList())
    if (f->FieldKind() == fkData) {
      data.push_back(f);
      dataAlive.push_back(f->Alive());
    }
  if (Values.size() > data.size())
    DatabaseErrorFmt(SRecordValueCount, {static_cast<int>(Values.size()), static_cast<int>(data.size())},
                     this);
  auto alive = Alive();
  Append();
  if (!alive) return;
  try {
    for (size_t i = 0; i < Values.size() && alive; ++i)
      if (dataAlive[i]) data[i]->SetValue(Values[i]);
    if (alive) Post();
  } catch (...) {
    if (alive && State() == dsInsert) Cancel();
    throw;
  }
}

void TMemDataSet::EmptyTable() {
  auto alive = Alive();
  if (Active()) CheckBrowseMode();
  if (!alive) return;
  for (auto& c : FColumns) {
    c->Text.Clear();
    std::vector<std::int32_t>().swap(c->Int);
    std::vector<double>().swap(c->Num);
    std::vector<bool>().swap(c->IsNull);
    c->Index.reset();
  }
  FOrder.Clear();
  FRows = 0;
  for (auto& c : FColumns)
    if (c->Mode == ixAlways && c->Indexable()) BuildIndex(*c);
  RecordsReplaced();
}

Variant TMemDataSet::GetRecordValue(int Pos, int FieldNo) const {
  const std::uint32_t row = FOrder.RowAt(static_cast<size_t>(Pos));
  const TColumn& c = *FColumns[static_cast<size_t>(FieldNo)];
  if (c.ValueIsNull(row)) return Variant(Null);
  switch (c.Type) {
    case ftString: return Variant(std::string(c.Text.Get(row)));
    case ftInteger: return Variant(static_cast<long long>(c.Int[row]));
    case ftBoolean: return Variant(c.Int[row] != 0);
    case ftDateTime: return Variant::FromDateTime(c.Num[row]);
    default: return Variant(c.Num[row]);
  }
}

void TMemDataSet::PutValue(TColumn& Column, std::uint32_t Row, const Variant& Value) {
  const bool null = Value.IsNull() || Value.IsEmpty();
  switch (Column.Type) {
    case ftString:
      if (null)
        Column.Text.SetNull(Row);
      else
        Column.Text.Set(Row, Value.AsString());
      return;
    case ftInteger: {
      const std::int32_t v = null ? 0 : static_cast<std::int32_t>(Value.AsInteger());
      Column.Int[Row] = v;
      break;
    }
    case ftBoolean: {
      const std::int32_t v = null ? 0 : Value.AsBoolean();
      Column.Int[Row] = v;
      break;
    }
    default: {
      const double v = null ? 0 : Value.AsFloat();
      Column.Num[Row] = v;
      break;
    }
  }
  Column.IsNull[Row] = null;
}

void TMemDataSet::StoreValue(TColumn& Column, std::uint32_t Row, const Variant& Value) {
  if (!Column.Index) {
    PutValue(Column, Row, Value);
    return;
  }
  const bool wasNull = Column.ValueIsNull(Row), null = Value.IsNull() || Value.IsEmpty();
  if (wasNull && null) return;
  if (!wasNull && !null) {
    // The same key keeps its place.
    if (Column.Type == ftString) {
      if (Value.VarType() == TVarType::String && Column.Text.Get(Row) == Value.AsString()) return;
    } else if (Value.IsNumeric() && static_cast<double>(Column.Int[Row]) == Value.AsFloat()) {
      return;
    }
  }
  if (!wasNull) Column.Index->Remove(Row);
  try {
    PutValue(Column, Row, Value);
  } catch (...) {
    if (!wasNull) Column.Index->Add(Row);  // the old key is still there
    throw;
  }
  if (null) return;
  try {
    Column.Index->Add(Row);
  } catch (...) {
    Column.Index.reset();  // the record is stored; the index is made again when needed
  }
}

void TMemDataSet::AddRowToColumns() {
  for (auto& c : FColumns) {
    switch (c->Type) {
      case ftString: c->Text.AddRow(); continue;
      case ftInteger:
      case ftBoolean: c->Int.push_back(0); break;
      default: c->Num.push_back(0); break;
    }
    c->IsNull.push_back(true);
  }
}

void TMemDataSet::PopRowFromColumns() {
  for (auto& c : FColumns) {
    switch (c->Type) {
      case ftString: c->Text.PopRow(); continue;
      case ftInteger:
      case ftBoolean: c->Int.pop_back(); break;
      default: c->Num.pop_back(); break;
    }
    c->IsNull.pop_back();
  }
}

void TMemDataSet::InternalInsert(int Pos) {
  const std::uint32_t row = FRows;
  AddRowToColumns();
  try {
    FOrder.Insert(static_cast<size_t>(Pos), row);
  } catch (...) {
    PopRowFromColumns();
    throw;
  }
  ++FRows;
}

void TMemDataSet::InternalCancelInsert(int Pos) {
  // The new record was never posted: it is in no index.
  const std::uint32_t row = FOrder.RowAt(static_cast<size_t>(Pos));
  FOrder.Erase(static_cast<size_t>(Pos));
  if (row + 1 != FRows) return;  // a row in the middle stays unused
  --FRows;
  PopRowFromColumns();
}

void TMemDataSet::InternalPost(int Pos, const std::vector<Variant>& Values) {
  const std::uint32_t row = FOrder.RowAt(static_cast<size_t>(Pos));
  for (size_t i = 0; i < FColumns.size() && i < Values.size(); ++i) StoreValue(*FColumns[i], row, Values[i]);
}

void TMemDataSet::InternalDelete(int Pos) {
  const std::uint32_t row = FOrder.RowAt(static_cast<size_t>(Pos));
  for (auto& c : FColumns) {
    if (c->Index && !c->ValueIsNull(row)) c->Index->Remove(row);
    if (c->Type == ftString)
      c->Text.SetNull(row);
    else
      c->IsNull[row] = true;
  }
  FOrder.Erase(static_cast<size_t>(Pos));
}

// ---------------------------------------------------------------------------------------------
// Loading
// ---------------------------------------------------------------------------------------------

TMemDataSet::TLoader::TLoader(TMemDataSet& DataSet, std::size_t ExpectedRows) : FDataSet(&DataSet) {
  if (DataSet.FLoading) DatabaseError(SDataSetLoading, &DataSet);
  if (DataSet.Active()) DataSet.CheckBrowseMode();
  DataSet.FLoading = true;
  // Indexes are made again at the end, from the whole table at once.
  for (auto& c : DataSet.FColumns) c->Index.reset();
  if (ExpectedRows == 0) return;
  const std::size_t rows = DataSet.FRows + ExpectedRows;
  DataSet.FOrder.Reserve(DataSet.FOrder.Count() + ExpectedRows);
  for (auto& c : DataSet.FColumns) {
    switch (c->Type) {
      case ftString: c->Text.Reserve(rows, 0); continue;
      case ftInteger:
      case ftBoolean: c->Int.reserve(rows); break;
      default: c->Num.reserve(rows); break;
    }
    c->IsNull.reserve(rows);
  }
}

TMemDataSet::TLoader::~TLoader() {
  try {
    Finish();
  } catch (...) {
    // A link that raises while hearing of the new records does not stop the unwinding.
  }
}

std::uint32_t TMemDataSet::TLoader::Row(bool ForValue) {
  if (FDone) DatabaseError(SDataSetLoading, FDataSet);
  if (!FInRecord) {
    FDataSet->AddRowToColumns();
    FInRecord = true;
    FColumn = 0;
  }
  if (ForValue && FColumn >= FDataSet->FColumns.size())
    DatabaseErrorFmt(SRecordValueCount,
                     {static_cast<int>(FColumn + 1), static_cast<int>(FDataSet->FColumns.size())}, FDataSet);
  return FDataSet->FRows;
}

TMemDataSet::TLoader& TMemDataSet::TLoader::Add(std::string_view Text) {
  const std::uint32_t row = Row(true);
  TColumn& c = *FDataSet->FColumns[FColumn];
  if (c.Type == ftString)
    c.Text.Set(row, Text);
  else
    FDataSet->PutValue(c, row, Variant(std::string(Text)));
  ++FColumn;
  return *this;
}

TMemDataSet::TLoader& TMemDataSet::TLoader::Add(long long Value) {
  const std::uint32_t row = Row(true);
  TColumn& c = *FDataSet->FColumns[FColumn];
  if (c.Type == ftInteger) {
    c.Int[row] = static_cast<std::int32_t>(Value);
    c.IsNull[row] = false;
  } else {
    FDataSet->PutValue(c, row, Variant(Value));
  }
  ++FColumn;
  return *this;
}

TMemDataSet::TLoader& TMemDataSet::TLoader::Add(double Value) {
  const std::uint32_t row = Row(true);
  FDataSet->PutValue(*FDataSet->FColumns[FColumn], row, Variant(Value));
  ++FColumn;
  return *this;
}

TMemDataSet::TLoader& TMemDataSet::TLoader::Add(const Variant& Value) {
  const std::uint32_t row = Row(true);
  FDataSet->PutValue(*FDataSet->FColumns[FColumn], row, Value);
  ++FColumn;
  return *this;
}

void TMemDataSet::TLoader::EndRecord() {
  Row(false);
  FDataSet->FOrder.Insert(FDataSet->FOrder.Count(), FDataSet->FRows);
  ++FDataSet->FRows;
  FInRecord = false;
}

void TMemDataSet::TLoader::Finish() {
  if (FDone) return;
  if (FInRecord) EndRecord();
  FDone = true;
  TMemDataSet& ds = *FDataSet;
  ds.FLoading = false;
  ds.FOrder.ShrinkToFit();
  for (auto& c : ds.FColumns) {
    c->Text.ShrinkToFit();
    c->Int.shrink_to_fit();
    c->Num.shrink_to_fit();
    c->IsNull.shrink_to_fit();
  }
  for (auto& c : ds.FColumns)
    if (c->Mode == ixAlways && c->Indexable()) ds.BuildIndex(*c);
  ds.RecordsReplaced();
}

// ---------------------------------------------------------------------------------------------
// Indexes and searching
// ---------------------------------------------------------------------------------------------

TMemDataSet::TColumn& TMemDataSet::IndexableColumn(const std::string& FieldName) const {
  TField* field = FieldByName(FieldName);
  const TFieldKind kind = field->FieldKind();
  if ((kind != fkData && kind != fkInternalCalc) || field->FieldNo() < 0 ||
      !FColumns[static_cast<size_t>(field->FieldNo())]->Indexable())
    DatabaseErrorFmt(SFieldNotIndexable, {field->DisplayName()}, const_cast<TMemDataSet*>(this));
  return *FColumns[static_cast<size_t>(field->FieldNo())];
}

void TMemDataSet::SetIndexMode(const std::string& FieldName, TIndexMode Mode) {
  TColumn& c = IndexableColumn(FieldName);
  c.Mode = Mode;
  if (Mode == ixNever) c.Index.reset();
  if (Mode == ixAlways && !c.Index && !FLoading) BuildIndex(c);
}

TIndexMode TMemDataSet::IndexMode(const std::string& FieldName) const {
  return IndexableColumn(FieldName).Mode;
}

bool TMemDataSet::HasIndex(const std::string& FieldName) const {
  return IndexableColumn(FieldName).Index != nullptr;
}

std::size_t TMemDataSet::MemoryUsed() const {
  std::size_t n = FOrder.MemoryUsed();
  for (const auto& c : FColumns) {
    n += c->Text.MemoryUsed() + c->Int.capacity() * sizeof(std::int32_t) +
         c->Num.capacity() * sizeof(double) + c->IsNull.capacity() / 8;
    if (c->Index) n += c->Index->MemoryUsed();
  }
  return n;
}

void TMemDataSet::BuildIndex(const TColumn& Column) const {
  std::unique_ptr<TMemIndex> index = Column.Type == ftString
                                         ? std::make_unique<TMemIndex>(Column.Text, FOrder)
                                         : std::make_unique<TMemIndex>(Column.Int, FOrder);
  std::vector<std::uint32_t> rows;
  rows.reserve(FOrder.Count());
  for (size_t pos = 0; pos < FOrder.Count(); ++pos) {
    const std::uint32_t row = FOrder.RowAt(pos);
    if (!Column.ValueIsNull(row)) rows.push_back(row);
  }
  index->Build(rows);
  Column.Index = std::move(index);
}

TMemIndex* TMemDataSet::UsableIndex(const TColumn& Column) const {
  if (Column.Index || FLoading || !Column.Indexable() || Column.Mode == ixNever) return Column.Index.get();
  if (Column.Mode == ixAuto && static_cast<int>(FOrder.Count()) < FAutoIndexRows) return nullptr;
  try {
    BuildIndex(Column);
  } catch (const std::bad_alloc&) {
    return nullptr;  // too big to index: scan
  }
  return Column.Index.get();
}

bool TMemDataSet::IndexedFind(const TSearchKey& Key, TLocateOptions Options, int& Pos) const {
  const TFieldKind kind = Key.Field->FieldKind();
  if ((kind != fkData && kind != fkInternalCalc) || Key.Field->FieldNo() < 0 || Key.IsNull) return false;
  const TColumn& column = *FColumns[static_cast<size_t>(Key.Field->FieldNo())];
  TMemIndex* index = UsableIndex(column);
  if (!index) return false;
  std::uint32_t row = TMemIndex::kNone;
  if (column.Type == ftString) {
    const bool partial = Options.Contains(loPartialKey), caseless = Options.Contains(loCaseInsensitive);
    if (partial && caseless)
      row = index->FirstWithPrefix(Key.Text);
    else if (!partial)
      row = index->FirstEqual(Key.Text, caseless);
    else if (!index->FirstWithPrefixExactCase(Key.Text, row))
      return false;
  } else {
    // Integers match a key of the same value; a key that is no 32-bit integer matches none.
    const double v = Key.Value.AsFloat();
    if (std::floor(v) == v && v >= -2147483648.0 && v <= 2147483647.0)
      row = index->FirstEqual(static_cast<std::int32_t>(v));
  }
  Pos = row == TMemIndex::kNone ? -1 : FOrder.PositionOf(row);
  return true;
}

namespace {

bool TextMatches(std::string_view Stored, std::string_view Search, bool Partial, bool Caseless) {
  const size_t len = Search.size();
  if (Partial ? Stored.size() < len : Stored.size() != len) return false;
  if (!Caseless) return std::memcmp(Stored.data(), Search.data(), len) == 0;
  for (size_t i = 0; i < len; ++i) {
    unsigned char a = static_cast<unsigned char>(Stored[i]), b = static_cast<unsigned char>(Search[i]);
    if (a == b) continue;
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

}  // namespace

// Searches an index, or else the typed columns directly for data fields; other fields are
// read as fields.
int TMemDataSet::FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const {
  if (Keys.size() == 1) {
    int pos = -1;
    if (IndexedFind(Keys[0], Options, pos)) return pos;
  }
  struct TMatcher {
    const TSearchKey* Key;
    const TColumn* Column;  // nullptr: read through the field
    std::int64_t Int = 0;
    double Num = 0;
  };
  std::vector<TMatcher> matchers;
  for (const TSearchKey& key : Keys) {
    TMatcher m{&key, nullptr};
    const TFieldKind kind = key.Field->FieldKind();
    if ((kind == fkData || kind == fkInternalCalc) && key.Field->FieldNo() >= 0) {
      m.Column = FColumns[static_cast<size_t>(key.Field->FieldNo())].get();
      if (!key.IsNull && m.Column->Type != ftString) {
        m.Int = m.Column->Type == ftBoolean ? (key.Value.AsBoolean() ? 1 : 0) : 0;
        m.Num = key.Value.AsFloat();
      }
    }
    matchers.push_back(m);
  }
  const bool partial = Options.Contains(loPartialKey), caseless = Options.Contains(loCaseInsensitive);
  // The common search, one text key on a text column, in a tight loop: the key is upper-cased
  // once and each stored text is compared in place.
  if (matchers.size() == 1 && matchers[0].Column && matchers[0].Column->Type == ftString && !Keys[0].IsNull) {
    const TTextColumn& column = matchers[0].Column->Text;
    const std::string key = caseless ? UpperCase(Keys[0].Text) : Keys[0].Text;
    const size_t len = key.size();
    return FOrder.FindFirst([&](size_t, std::uint32_t row) {
      if (column.IsNull(row)) return false;
      const std::string_view text = column.Get(row);
      if (partial ? text.size() < len : text.size() != len) return false;
      for (size_t i = 0; i < len; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (caseless && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
        if (c != static_cast<unsigned char>(key[i])) return false;
      }
      return true;
    });
  }
  return FOrder.FindFirst([&](size_t pos, std::uint32_t row) {
    for (const TMatcher& m : matchers) {
      bool ok;
      if (!m.Column) {
        ok = MatchKey(static_cast<int>(pos), *m.Key, Options);
      } else if (m.Column->ValueIsNull(row)) {
        ok = m.Key->IsNull;
      } else if (m.Key->IsNull) {
        ok = false;
      } else {
        switch (m.Column->Type) {
          case ftString: ok = TextMatches(m.Column->Text.Get(row), m.Key->Text, partial, caseless); break;
          case ftInteger: ok = static_cast<double>(m.Column->Int[row]) == m.Num; break;
          case ftBoolean: ok = (m.Column->Int[row] != 0) == (m.Int != 0); break;
          default: ok = m.Column->Num[row] == m.Num; break;
        }
      }
      if (!ok) return false;
    }
    return true;
  });
}

}  // namespace vcl
