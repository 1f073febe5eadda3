#include "platform/data/mem_data_set.h"

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
  TColumn column;
  column.Type = Field->DataType();
  switch (column.Type) {
    case ftString: column.Str.resize(FRows); break;
    case ftInteger:
    case ftBoolean: column.Int.resize(FRows); break;
    default: column.Num.resize(FRows); break;
  }
  column.IsNull.assign(FRows, true);
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
  for (TColumn& c : FColumns) c = TColumn{c.Type, {}, {}, {}, {}};
  FOrder.clear();
  FRows = 0;
  RecordsReplaced();
}

Variant TMemDataSet::GetRecordValue(int Pos, int FieldNo) const {
  const std::uint32_t row = FOrder[static_cast<size_t>(Pos)];
  const TColumn& c = FColumns[static_cast<size_t>(FieldNo)];
  if (c.IsNull[row]) return Variant(Null);
  switch (c.Type) {
    case ftString: return Variant(c.Str[row]);
    case ftInteger: return Variant(static_cast<long long>(c.Int[row]));
    case ftBoolean: return Variant(c.Int[row] != 0);
    case ftDateTime: return Variant::FromDateTime(c.Num[row]);
    default: return Variant(c.Num[row]);
  }
}

void TMemDataSet::PutValue(TColumn& Column, std::uint32_t Row, const Variant& Value) {
  const bool null = Value.IsNull() || Value.IsEmpty();
  Column.IsNull[Row] = null;
  switch (Column.Type) {
    case ftString: Column.Str[Row] = null ? std::string() : Value.AsString(); break;
    case ftInteger: Column.Int[Row] = null ? 0 : static_cast<std::int32_t>(Value.AsInteger()); break;
    case ftBoolean: Column.Int[Row] = null ? 0 : Value.AsBoolean(); break;
    default: Column.Num[Row] = null ? 0 : Value.AsFloat(); break;
  }
}

void TMemDataSet::InternalInsert(int Pos) {
  const std::uint32_t row = FRows++;
  for (TColumn& c : FColumns) {
    switch (c.Type) {
      case ftString: c.Str.emplace_back(); break;
      case ftInteger:
      case ftBoolean: c.Int.push_back(0); break;
      default: c.Num.push_back(0); break;
    }
    c.IsNull.push_back(true);
  }
  FOrder.insert(FOrder.begin() + Pos, row);
}

void TMemDataSet::InternalCancelInsert(int Pos) {
  const std::uint32_t row = FOrder[static_cast<size_t>(Pos)];
  FOrder.erase(FOrder.begin() + Pos);
  if (row + 1 != FRows) return;  // a row in the middle stays unused
  --FRows;
  for (TColumn& c : FColumns) {
    switch (c.Type) {
      case ftString: c.Str.pop_back(); break;
      case ftInteger:
      case ftBoolean: c.Int.pop_back(); break;
      default: c.Num.pop_back(); break;
    }
    c.IsNull.pop_back();
  }
}

void TMemDataSet::InternalPost(int Pos, const std::vector<Variant>& Values) {
  const std::uint32_t row = FOrder[static_cast<size_t>(Pos)];
  for (size_t i = 0; i < FColumns.size() && i < Values.size(); ++i) PutValue(FColumns[i], row, Values[i]);
}

void TMemDataSet::InternalDelete(int Pos) {
  const std::uint32_t row = FOrder[static_cast<size_t>(Pos)];
  FOrder.erase(FOrder.begin() + Pos);
  for (TColumn& c : FColumns) {
    if (c.Type == ftString) std::string().swap(c.Str[row]);
    c.IsNull[row] = true;
  }
}

// Searches the typed columns directly for data fields; other fields are read as fields.
int TMemDataSet::FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const {
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
      m.Column = &FColumns[static_cast<size_t>(key.Field->FieldNo())];
      if (!key.IsNull && m.Column->Type != ftString) {
        m.Int = m.Column->Type == ftBoolean ? (key.Value.AsBoolean() ? 1 : 0) : 0;
        m.Num = key.Value.AsFloat();
      }
    }
    matchers.push_back(m);
  }
  const int n = InternalCount();
  // The common search, one text key on a text column, in a tight loop: the key is upper-cased
  // once and each stored text is compared in place.
  if (matchers.size() == 1 && matchers[0].Column && matchers[0].Column->Type == ftString && !Keys[0].IsNull) {
    const TColumn& column = *matchers[0].Column;
    const bool partial = Options.Contains(loPartialKey), caseless = Options.Contains(loCaseInsensitive);
    const std::string key = caseless ? UpperCase(Keys[0].Text) : Keys[0].Text;
    const size_t len = key.size();
    for (int pos = 0; pos < n; ++pos) {
      const std::uint32_t row = FOrder[static_cast<size_t>(pos)];
      const std::string& text = column.Str[row];
      if (partial ? text.size() < len : text.size() != len) continue;
      if (column.IsNull[row]) continue;
      size_t i = 0;
      for (; i < len; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (caseless && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
        if (c != static_cast<unsigned char>(key[i])) break;
      }
      if (i == len) return pos;
    }
    return -1;
  }
  for (int pos = 0; pos < n; ++pos) {
    const std::uint32_t row = FOrder[static_cast<size_t>(pos)];
    bool all = true;
    for (const TMatcher& m : matchers) {
      bool ok;
      if (!m.Column) {
        ok = MatchKey(pos, *m.Key, Options);
      } else if (m.Column->IsNull[row]) {
        ok = m.Key->IsNull;
      } else if (m.Key->IsNull) {
        ok = false;
      } else {
        switch (m.Column->Type) {
          case ftString: ok = MatchText(m.Column->Str[row], m.Key->Text, Options); break;
          case ftInteger: ok = static_cast<double>(m.Column->Int[row]) == m.Num; break;
          case ftBoolean: ok = (m.Column->Int[row] != 0) == (m.Int != 0); break;
          default: ok = m.Column->Num[row] == m.Num; break;
        }
      }
      if (!ok) {
        all = false;
        break;
      }
    }
    if (all) return pos;
  }
  return -1;
}

}  // namespace vcl
