#include "platform/data/data_set.h"

// Index:
//   helpers
//   construction, opening
//   navigation
//   editing
//   searching
//   fields and their values
//   calculated and lookup values
//   notification, controls, windows

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/data/data_link.h"
#include "platform/data/data_source.h"

namespace vcl {

namespace {

// Runs a function when the scope ends, exceptions included.
template <typename F>
struct TFinally {
  F Fn;
  ~TFinally() { Fn(); }
};
template <typename F>
TFinally(F) -> TFinally<F>;

std::vector<std::string> SplitFieldNames(const std::string& Names) {
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

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction, opening
// ---------------------------------------------------------------------------------------------

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
  Destroying();
  EndLiveness();  // loops that are notifying through this data set stop
  // Descendants close in their own destructors (closing needs their storage).
  FState = dsInactive;
  while (!FDataSources.empty()) {
    TDataSource* source = FDataSources.back();
    FDataSources.pop_back();
    // A link that raises now has no caller to tell: dropped.
    try {
      source->DataSetDestroyed();
    } catch (...) {
    }
  }
  while (!FFields.empty()) delete FFields.back();  // each removes itself
}

void TDataSet::CheckActive() const {
  if (!Active()) DatabaseError(SDataSetClosed, const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const {
  if (Active()) DatabaseError(SDataSetOpen, const_cast<TDataSet*>(this));
}

void TDataSet::CheckNotCalculating() const {
  if (FState == dsCalcFields) DatabaseError(SDataSetCalculating, const_cast<TDataSet*>(this));
}

// Every operation below takes the data set's token before its first call out (a handler, a
// link, a pending edit's post) and returns at once when a handler freed the data set. A state
// change whose handlers raise still completes, with the links told; the error passes on then.

void TDataSet::Open() {
  if (Active()) return;
  auto alive = Alive();
  Fire(FBeforeOpen);
  if (!alive || Active()) return;
  InternalOpen();
  FCalcCache.clear();
  FCurPos = FReadPos = 0;
  FBOF = true;
  FEOF = InternalCount() == 0;
  FModified = false;
  // Links still active here were not told of a Close while controls were disabled: their
  // windows follow the cursor to the first record.
  UpdateWindows(TWindowMove::PinFirst);
  SetState(dsBrowse);  // raising leaves the data set open, its links told
  if (!alive) return;
  Fire(FAfterOpen);
  if (alive && !IsEmpty()) Fire(FAfterScroll);
}

void TDataSet::Close() {
  if (!Active()) return;
  auto alive = Alive();
  Fire(FBeforeClose);
  if (!alive || !Active()) return;
  if (FState == dsInsert) InternalCancelInsert(FCurPos);
  FEditBuffer.clear();
  FEditCalcValid = false;
  FModified = false;
  FCurPos = FReadPos = 0;
  FBOF = FEOF = true;
  TFirstError error;
  error.Run([&] { SetState(dsInactive); });
  if (!alive) return error.Raise();
  InternalClose();
  FCalcCache.clear();
  error.Raise();
  Fire(FAfterClose);
}

// ---------------------------------------------------------------------------------------------
// Navigation
// ---------------------------------------------------------------------------------------------

void TDataSet::First() {
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive) return;
  Fire(FBeforeScroll);
  if (!alive || !Active()) return;
  FCurPos = 0;
  FBOF = true;
  FEOF = InternalCount() == 0;
  UpdateWindows(TWindowMove::PinFirst);
  DataEvent(deDataSetChange);
  if (alive) Fire(FAfterScroll);
}

void TDataSet::Last() {
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive) return;
  Fire(FBeforeScroll);
  if (!alive || !Active()) return;
  const int n = InternalCount();
  FCurPos = std::max(0, n - 1);
  FEOF = true;
  FBOF = n == 0;
  UpdateWindows(TWindowMove::PinLast);
  DataEvent(deDataSetChange);
  if (alive) Fire(FAfterScroll);
}

int TDataSet::MoveBy(int Distance) {
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive) return 0;
  if (Distance == 0 || (Distance > 0 && FEOF) || (Distance < 0 && FBOF)) return 0;
  Fire(FBeforeScroll);
  if (!alive || !Active()) return 0;
  const int n = InternalCount();
  FBOF = FEOF = false;
  long long target = static_cast<long long>(FCurPos) + Distance;
  if (target > n - 1) {
    target = n - 1;
    FEOF = true;
  }
  if (target < 0) {
    target = 0;
    FBOF = true;
  }
  const int moved = static_cast<int>(target) - FCurPos;
  FCurPos = static_cast<int>(target);
  UpdateWindows(TWindowMove::Follow);
  DataEvent(deDataSetScroll, moved);
  if (alive) Fire(FAfterScroll);
  return moved;
}

int TDataSet::RecNo() const {
  if (!Active() || !IsSequenced() || InternalCount() == 0) return -1;
  return FCurPos + 1;
}

void TDataSet::SetRecNo(int Value) {
  if (!IsSequenced()) return;
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive) return;
  const int n = InternalCount();
  if (n == 0) return;
  Value = std::clamp(Value, 1, n);
  if (Value - 1 == FCurPos) return;
  Fire(FBeforeScroll);
  if (!alive || !Active()) return;
  FCurPos = Value - 1;
  FBOF = FEOF = false;
  UpdateWindows(TWindowMove::Center);
  DataEvent(deDataSetChange);
  if (alive) Fire(FAfterScroll);
}

int TDataSet::RecordCount() const {
  if (!Active()) return 0;
  return InternalCount() - (FState == dsInsert ? 1 : 0);
}

void TDataSet::Refresh() {
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive || !Active()) return;
  // Storage that re-reads may find records gone or new: the cursor stays on its record.
  const int pos = InternalRefresh(FCurPos);
  const int n = InternalCount();
  if (n == 0) {
    FCurPos = 0;
    FBOF = FEOF = true;
  } else if (pos != FCurPos || FCurPos >= n) {
    FCurPos = std::clamp(pos, 0, n - 1);
    FBOF = FEOF = false;
  }
  FReadPos = FCurPos;
  FCalcCache.clear();
  UpdateWindows(TWindowMove::Follow);
  DataEvent(deDataSetChange);
}

void TDataSet::RecordsReplaced() {
  FCalcCache.clear();
  if (!Active()) return;
  FCurPos = 0;
  FBOF = true;
  FEOF = InternalCount() == 0;
  UpdateWindows(TWindowMove::PinFirst);
  DataEvent(deDataSetChange);
}

// ---------------------------------------------------------------------------------------------
// Editing
// ---------------------------------------------------------------------------------------------

void TDataSet::Edit() {
  CheckActive();
  CheckNotCalculating();
  if (InEditMode()) return;
  if (InternalCount() == 0) {
    Insert();
    return;
  }
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  auto alive = Alive();
  Fire(FBeforeEdit);
  if (!alive || FState != dsBrowse) return;
  FEditBuffer.resize(static_cast<size_t>(FColumnCount));
  for (int c = 0; c < FColumnCount; ++c) FEditBuffer[static_cast<size_t>(c)] = GetRecordValue(FCurPos, c);
  FEditCalcValid = false;
  FModified = false;
  // An edit whose start a handler refuses by raising is undone.
  TFirstError error;
  error.Run([&] { SetState(dsEdit); });
  if (alive && !error.Failed()) error.Run([&] { DataEvent(deRecordChange); });
  if (!alive) return error.Raise();
  if (error.Failed()) {
    UndoEditing();
    return error.Raise();
  }
  Fire(FAfterEdit);
}

void TDataSet::Insert() {
  StartEditing(dsInsert, -1);
}

void TDataSet::Append() {
  StartEditing(dsInsert, -2);
}

// Pos -1 inserts before the current record, -2 appends after the last one.
void TDataSet::StartEditing(TDataSetState NewState, int Pos) {
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive) return;
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  Fire(FBeforeInsert);
  if (!alive || FState != dsBrowse) return;
  Fire(FBeforeScroll);
  if (!alive || FState != dsBrowse) return;
  const int n = InternalCount();
  const bool append = Pos == -2;
  const int pos = append ? n : std::min(FCurPos, n);
  InternalInsert(pos);
  FCurPos = FReadPos = pos;
  FBOF = FEOF = false;
  FEditBuffer.assign(static_cast<size_t>(FColumnCount), Variant(Null));
  FEditCalcValid = false;
  UpdateWindows(append ? TWindowMove::PinLast : TWindowMove::Inserted, pos);
  // An insert that a handler refuses by raising (of the state change, OnNewRecord or the
  // links) is undone: no new record stays behind.
  TFirstError error;
  error.Run([&] { SetState(NewState); });
  if (alive && !error.Failed()) error.Run([&] { Fire(FOnNewRecord); });
  if (alive && !error.Failed() && FState == NewState) {
    FModified = false;  // defaults set by OnNewRecord are not the user's changes
    error.Run([&] { DataEvent(deDataSetChange); });
  }
  if (!alive) return error.Raise();
  if (error.Failed()) {
    UndoEditing();
    return error.Raise();
  }
  if (FState != NewState) return;
  Fire(FAfterInsert);
  if (alive) Fire(FAfterScroll);
}

void TDataSet::UndoEditing() {
  try {
    Cancel();
  } catch (...) {
    // The error that made the undo passes on; what the cancel's handlers raise is dropped.
  }
}

void TDataSet::UpdateRecord() {
  if (!InEditMode()) DatabaseError(SNotEditing, this);
  DataEvent(deUpdateRecord);
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  CheckNotCalculating();
  auto alive = Alive();
  DataEvent(deCheckBrowseMode);
  if (!alive || !InEditMode()) return;
  UpdateRecord();
  if (!alive || !InEditMode()) return;
  if (FModified)
    Post();
  else
    Cancel();
}

void TDataSet::Post() {
  CheckActive();
  if (!InEditMode()) return;
  auto alive = Alive();
  UpdateRecord();
  if (!alive || !InEditMode()) return;
  DataEvent(deCheckBrowseMode);
  if (!alive || !InEditMode()) return;
  Fire(FBeforePost);
  if (!alive || !InEditMode()) return;
  // Required data fields must have a value; the control that edits the first one that has
  // none is asked to take the focus.
  for (TField* f : FFields) {
    if (f->FFieldKind != fkData || !f->FRequired || f->FReadOnly) continue;
    if (!FEditBuffer[static_cast<size_t>(f->FFieldNo)].IsNull()) continue;
    const std::string name = f->DisplayName();
    f->FocusControl();  // the focused control's handlers may free this data set
    DatabaseErrorFmt(SFieldRequired, {name});
  }
  const bool internalCalc =
      std::any_of(FFields.begin(), FFields.end(), [](TField* f) { return f->FFieldKind == fkInternalCalc; });
  if (FOnCalcFields && internalCalc) {
    std::vector<Variant> calc;
    // Fills the internal-calc columns of the buffer.
    if (!CalculateFields(-1, calc) || !InEditMode()) return;
  }
  InternalPost(FCurPos, FEditBuffer);
  FCalcCache.erase(RecordId(FCurPos));
  FEditBuffer.clear();
  FEditCalcValid = false;
  FModified = false;
  // The record is stored: whatever the handlers raise, the links hear of it.
  TFirstError error;
  error.Run([&] { SetState(dsBrowse); });
  if (!alive) return error.Raise();
  UpdateWindows(TWindowMove::Follow);
  error.Run([&] { DataEvent(deDataSetChange); });
  if (!alive) return error.Raise();
  error.Raise();
  Fire(FAfterPost);
}

void TDataSet::Cancel() {
  if (!InEditMode()) return;
  auto alive = Alive();
  Fire(FBeforeCancel);
  if (!alive || !InEditMode()) return;
  if (FState == dsInsert) {
    const int pos = FCurPos;
    InternalCancelInsert(pos);
    const int n = InternalCount();
    FCurPos = std::max(0, std::min(FCurPos, n - 1));
    FBOF = FEOF = n == 0;
    UpdateWindows(TWindowMove::Deleted, pos);
  }
  FReadPos = FCurPos;
  FEditBuffer.clear();
  FEditCalcValid = false;
  FModified = false;
  TFirstError error;
  error.Run([&] { SetState(dsBrowse); });
  if (!alive) return error.Raise();
  UpdateWindows(TWindowMove::Follow);
  error.Run([&] { DataEvent(deDataSetChange); });
  if (!alive) return error.Raise();
  error.Raise();
  Fire(FAfterCancel);
}

void TDataSet::Delete() {
  CheckActive();
  CheckNotCalculating();
  if (FState == dsInsert) {
    Cancel();
    return;
  }
  if (InternalCount() == 0) DatabaseError(SDataSetEmpty, this);
  if (!CanModify()) DatabaseError(SDataSetReadOnly, this);
  auto alive = Alive();
  DataEvent(deCheckBrowseMode);
  if (!alive) return;
  Fire(FBeforeDelete);
  if (!alive) return;
  Fire(FBeforeScroll);
  if (!alive || !Active() || InternalCount() == 0) return;
  const int pos = FCurPos;
  FCalcCache.erase(RecordId(pos));
  InternalDelete(pos);
  const int n = InternalCount();
  FCurPos = FReadPos = std::max(0, std::min(pos, n - 1));
  FBOF = FEOF = n == 0;
  FEditBuffer.clear();
  FEditCalcValid = false;
  FModified = false;
  UpdateWindows(TWindowMove::Deleted, pos);
  // The record is gone: whatever the handlers raise, the links hear of it.
  TFirstError error;
  if (FState == dsEdit) error.Run([&] { SetState(dsBrowse); });
  if (!alive) return error.Raise();
  error.Run([&] { DataEvent(deDataSetChange); });
  if (!alive) return error.Raise();
  error.Raise();
  Fire(FAfterDelete);
  if (alive) Fire(FAfterScroll);
}

// ---------------------------------------------------------------------------------------------
// Searching
// ---------------------------------------------------------------------------------------------

std::vector<TDataSet::TSearchKey> TDataSet::MakeKeys(const std::string& KeyFields,
                                                     const Variant& KeyValues) const {
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  std::vector<TSearchKey> keys;
  keys.reserve(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    TSearchKey key;
    key.Field = fields[i];
    const Variant& v = KeyValues.IsArray()
                           ? KeyValues.GetElement(KeyValues.LowBound() + static_cast<int>(i))
                           : (fields.size() == 1 ? KeyValues : KeyValues.GetElement(static_cast<int>(i)));
    key.IsNull = v.IsNull() || v.IsEmpty();
    if (!key.IsNull) {
      const TFieldType type = key.Field->DataType();
      if (type == ftString || type == ftUnknown) {
        key.Text = v.AsString();
        key.Value = Variant(key.Text);
      } else {
        key.Value = key.Field->ConvertValue(v);  // raises EConvertError for foreign text
        key.IsNull = key.Value.IsNull();
      }
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

bool TDataSet::MatchText(const std::string& Stored, const std::string& Search, TLocateOptions Options) {
  const size_t len = Search.size();
  if (Options.Contains(loPartialKey) ? Stored.size() < len : Stored.size() != len) return false;
  if (!Options.Contains(loCaseInsensitive)) return std::memcmp(Stored.data(), Search.data(), len) == 0;
  for (size_t i = 0; i < len; ++i) {
    unsigned char a = static_cast<unsigned char>(Stored[i]), b = static_cast<unsigned char>(Search[i]);
    if (a == b) continue;
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return false;
  }
  return true;
}

bool TDataSet::MatchKey(int Pos, const TSearchKey& Key, TLocateOptions Options) const {
  const Variant v = ValueAt(Pos, Key.Field);
  if (Key.IsNull) return v.IsNull();
  if (v.IsNull()) return false;
  const TFieldType type = Key.Field->DataType();
  if (type == ftString || type == ftUnknown) return MatchText(v.AsString(), Key.Text, Options);
  try {
    return v == Key.Value;
  } catch (const EVariantError&) {
    return false;
  }
}

int TDataSet::FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const {
  auto alive = Alive();  // reading a calculated key may free this data set
  const int n = InternalCount();
  for (int pos = 0; pos < n; ++pos) {
    if (!alive) return -1;
    bool all = true;
    for (const TSearchKey& key : Keys)
      if (!MatchKey(pos, key, Options)) {
        all = false;
        break;
      }
    if (all) return pos;
  }
  return -1;
}

bool TDataSet::Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  // The caller's key may live in an object that a handler of the pending edit's post frees.
  const std::string fields = KeyFields;
  const Variant values = KeyValues;
  auto alive = Alive();
  CheckBrowseMode();
  if (!alive) return false;
  // No key field names nothing to match: no record is found.
  const std::vector<TSearchKey> keys = MakeKeys(fields, values);
  const int pos = keys.empty() ? -1 : FindRecord(keys, Options);
  if (pos < 0 || !alive) return false;  // reading a calculated key may free the data set
  Fire(FBeforeScroll);
  if (!alive || !Active() || pos >= InternalCount()) return false;
  FCurPos = FReadPos = pos;
  FBOF = FEOF = false;
  UpdateWindows(TWindowMove::Center);
  DataEvent(deDataSetChange);
  if (alive) Fire(FAfterScroll);
  return true;
}

Variant TDataSet::Lookup(const std::string& KeyFields, const Variant& KeyValues,
                         const std::string& ResultFields) {
  if (!Active()) return Variant(Null);
  const std::vector<TSearchKey> keys = MakeKeys(KeyFields, KeyValues);
  const int pos = keys.empty() ? -1 : FindRecord(keys, TLocateOptions());
  auto alive = Alive();  // reading a calculated field may free this data set
  if (pos < 0 || !alive) return Variant(Null);
  std::vector<TField*> results;
  GetFieldList(results, ResultFields);
  if (results.size() == 1) return ValueAt(pos, results[0]);
  Variant out = VarArrayCreate(0, static_cast<int>(results.size()) - 1);
  for (size_t i = 0; i < results.size() && alive; ++i)
    out.PutElement(static_cast<int>(i), ValueAt(pos, results[i]));
  return out;
}

// ---------------------------------------------------------------------------------------------
// Fields and their values
// ---------------------------------------------------------------------------------------------

TField* TDataSet::FindField(const std::string& FieldName) const {
  for (TField* f : FFields)
    if (SameText(f->FFieldName, FieldName)) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(const std::string& FieldName) const {
  TField* f = FindField(FieldName);
  if (!f) DatabaseErrorFmt(SFieldNotFound, {FieldName}, const_cast<TDataSet*>(this));
  return f;
}

TField* TDataSet::Fields(int Index) const {
  if (Index < 0 || Index >= FieldCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FFields[static_cast<size_t>(Index)];
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const {
  for (const std::string& name : SplitFieldNames(FieldNames)) List.push_back(FieldByName(name));
}

bool TDataSet::IsLinkedTo(TDataSource* Source) const {
  for (int depth = 0; Source && depth < 64; ++depth) {
    TDataSet* ds = Source->DataSet();
    if (!ds) return false;
    if (ds == this) return true;
    Source = ds->DataSource();
  }
  return false;
}

void TDataSet::AddField(TField* Field) {
  CheckInactive();
  if (!Field->FFieldName.empty() && FindField(Field->FFieldName))
    DatabaseErrorFmt(SDuplicateFieldName, {Field->FFieldName}, this);
  if (Field->FFieldKind == fkData || Field->FFieldKind == fkInternalCalc) {
    Field->FFieldNo = InternalAddColumn(Field);
    FColumnCount = std::max(FColumnCount, Field->FFieldNo + 1);
  } else if (Field->FFieldKind == fkCalculated) {
    Field->FCalcIndex = FCalcCount++;
  }
  FFields.push_back(Field);
  Field->FDataSet = this;
  FCalcCache.clear();
}

void TDataSet::RemoveField(TField* Field) {
  FFields.erase(std::remove(FFields.begin(), FFields.end(), Field), FFields.end());
  Field->FDataSet = nullptr;
  Field->FFieldNo = -1;
  Field->FCalcIndex = -1;
  FCalcCount = 0;
  for (TField* f : FFields)
    if (f->FFieldKind == fkCalculated) f->FCalcIndex = FCalcCount++;
  FCalcCache.clear();
  FEditCalcValid = false;
  if (!Active() || ComponentState().Contains(csDestroying)) return;
  // Links must let go of a field that goes away even while controls are disabled.
  const int disabled = Field->ComponentState().Contains(csDestroying) ? FDisableCount : 0;
  FDisableCount -= disabled;
  auto alive = Alive();
  TFinally restore{[&] {
    if (alive) FDisableCount += disabled;
  }};
  TFirstError error;
  error.Run([&] { DataEvent(deLayoutChange); });
  if (!alive) return error.Raise();
  // Calculated and lookup values may have been made of the field: they are read again.
  const bool derived = std::any_of(FFields.begin(), FFields.end(), [](TField* f) {
    return f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup;
  });
  if (derived) error.Run([&] { DataEvent(deDataSetChange); });
  error.Raise();
}

void TDataSet::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  // The controls learn whether their fields can still be written.
  if (Active()) DataEvent(deLayoutChange);
}

Variant TDataSet::ValueAt(int Pos, const TField* Field) const {
  const int saved = FReadPos;
  auto alive = Alive();
  TFinally restore{[&] {
    if (alive) FReadPos = saved;
  }};
  FReadPos = Pos;
  return GetFieldValue(Field);
}

Variant TDataSet::GetFieldValue(const TField* Field) const {
  // A field being validated reads as its new value, but only in the record being edited: other
  // records, and the record after a handler left the edit, read what they hold.
  if (Field == FValidatingField &&
      (FState == dsCalcFields ? FCalcPos < 0 : InEditMode() && FReadPos == FCurPos))
    return FValidatingValue;
  if (!Active()) return Variant(Null);
  const TFieldKind kind = Field->FFieldKind;
  if (FState == dsCalcFields) {
    // Inside OnCalcFields: the record being calculated.
    if (kind == fkCalculated) return (*FCalcTarget)[static_cast<size_t>(Field->FCalcIndex)];
    if (kind == fkLookup) return LookupValue(Field);
    return FCalcPos < 0 ? FEditBuffer[static_cast<size_t>(Field->FFieldNo)]
                        : GetRecordValue(FCalcPos, Field->FFieldNo);
  }
  const int pos = FReadPos;
  if (pos < 0 || pos >= InternalCount()) return Variant(Null);
  const bool buffer = InEditMode() && pos == FCurPos;
  switch (kind) {
    case fkData:
    case fkInternalCalc:
      return buffer ? FEditBuffer[static_cast<size_t>(Field->FFieldNo)]
                    : GetRecordValue(pos, Field->FFieldNo);
    case fkLookup: return LookupValue(Field);
    case fkCalculated:
      if (buffer) {
        const int index = Field->FCalcIndex;  // OnCalcFields may free the field or this data set
        if (!FEditCalcValid) {
          std::vector<Variant> calc;
          if (!CalculateFields(-1, calc)) return Variant(Null);
          FEditCalc = std::move(calc);
          FEditCalcValid = true;
        }
        return static_cast<size_t>(index) < FEditCalc.size() ? FEditCalc[static_cast<size_t>(index)]
                                                             : Variant(Null);
      }
      return CalcValueAt(pos, Field->FCalcIndex);
  }
  return Variant(Null);
}

void TDataSet::SetFieldValue(TField* Field, const Variant& Value) {
  CheckActive();
  const TFieldKind kind = Field->FFieldKind;
  if (FState == dsCalcFields) {
    if (kind == fkCalculated) {
      (*FCalcTarget)[static_cast<size_t>(Field->FCalcIndex)] = Value;
      return;
    }
    if (kind == fkInternalCalc) {
      // Stored with the record: only a record being posted takes a new value.
      if (FCalcPos < 0) FEditBuffer[static_cast<size_t>(Field->FFieldNo)] = Value;
      return;
    }
    DatabaseError(SNotEditing, this);
  }
  if (!InEditMode()) DatabaseError(SNotEditing, this);
  if (Field->FReadOnly) DatabaseErrorFmt(SFieldReadOnly, {Field->DisplayName()});
  if (kind == fkLookup) {
    // A lookup field is written through its key fields: the key of the lookup record whose
    // result field holds the value.
    std::vector<TField*> keys;
    GetFieldList(keys, Field->FKeyFields);
    TDataSet* lookup = Field->FLookupDataSet;
    if (!lookup || keys.empty()) DatabaseErrorFmt(SLookupInfoError, {Field->DisplayName()});
    Variant keyValues(Null);
    if (!Value.IsNull()) {
      keyValues = lookup->Lookup(Field->FLookupResultField, Value, Field->FLookupKeyFields);
      if (keyValues.IsNull()) DatabaseErrorFmt(SLookupValueNotFound, {VarToStr(Value), Field->DisplayName()});
    }
    // Each key's handlers may free this data set or the other keys.
    auto alive = Alive();
    std::vector<TAliveToken> keysAlive;
    for (TField* key : keys) keysAlive.push_back(key->Alive());
    for (size_t i = 0; i < keys.size(); ++i) {
      if (!alive) return;
      if (keysAlive[i])
        keys[i]->SetValue(keyValues.IsArray() ? keyValues.GetElement(static_cast<int>(i)) : keyValues);
    }
    return;
  }
  // OnValidate and OnChange may free the field or this data set.
  auto alive = Alive();
  auto fieldAlive = Field->Alive();
  if (Field->FOnValidate) {
    FValidatingField = Field;
    FValidatingValue = Value;
    TFinally done{[&] {
      if (!alive) return;
      FValidatingField = nullptr;
      FValidatingValue = Variant();
    }};
    CallEvent(Field->FOnValidate, Field);  // raising rejects the value
  }
  if (!alive || !fieldAlive || !InEditMode()) return;
  if (kind == fkCalculated) {
    const int index = Field->FCalcIndex;
    if (!FEditCalcValid) {
      std::vector<Variant> calc;
      if (!CalculateFields(-1, calc)) return;
      FEditCalc = std::move(calc);
      FEditCalcValid = true;
    }
    if (!fieldAlive || static_cast<size_t>(index) >= FEditCalc.size()) return;
    FEditCalc[static_cast<size_t>(index)] = Value;
  } else {
    FEditBuffer[static_cast<size_t>(Field->FFieldNo)] = Value;
    FModified = true;
    FEditCalcValid = false;
  }
  // The value is written: an OnChange that raises does not keep the links from hearing of it
  // (its error passes on afterwards).
  TFirstError error;
  error.Run([&] { CallEvent(Field->FOnChange, Field); });
  // A field freed by its OnChange has told the links a layout change already.
  if (!alive || !fieldAlive) return error.Raise();
  error.Run([&] { DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field)); });
  if (!alive || kind == fkCalculated) return error.Raise();
  // The calculated and lookup fields are made of the others: their controls read them again.
  std::vector<std::pair<TField*, TAliveToken>> derived;
  for (TField* f : FFields)
    if (f->FFieldKind == fkCalculated || f->FFieldKind == fkLookup) derived.emplace_back(f, f->Alive());
  for (auto& [f, fAlive] : derived) {
    if (!alive || !InEditMode()) break;
    if (fAlive) error.Run([&] { DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(f)); });
  }
  error.Raise();
}

// ---------------------------------------------------------------------------------------------
// Calculated and lookup values
// ---------------------------------------------------------------------------------------------

bool TDataSet::CalculateFields(int Pos, std::vector<Variant>& Calc) const {
  Calc.assign(static_cast<size_t>(FCalcCount), Variant(Null));
  if (!FOnCalcFields) return true;
  // The data set is never const at heart: OnCalcFields gets it in dsCalcFields state.
  TDataSet* self = const_cast<TDataSet*>(this);
  const TDataSetState savedState = FState;
  const int savedPos = FCalcPos;
  std::vector<Variant>* savedTarget = FCalcTarget;
  auto alive = Alive();
  TFinally restore{[&] {
    if (!alive) return;
    // A handler that closed the data set left a state its links were told of.
    if (self->FState == dsCalcFields) self->FState = savedState;
    FCalcPos = savedPos;
    FCalcTarget = savedTarget;
  }};
  self->FState = dsCalcFields;
  FCalcPos = Pos;
  FCalcTarget = &Calc;
  CallEvent(FOnCalcFields, self);
  return static_cast<bool>(alive);
}

void TDataSet::SetOnCalcFields(TDataSetNotifyEvent Value) {
  FOnCalcFields = std::move(Value);
  FCalcCache.clear();
  FEditCalcValid = false;
  // The controls of calculated fields read the new handler's values.
  if (Active() && FState != dsCalcFields && FCalcCount > 0) DataEvent(deDataSetChange);
}

Variant TDataSet::CalcValueAt(int Pos, int CalcIndex) const {
  const std::uint32_t id = RecordId(Pos);
  auto it = FCalcCache.find(id);
  if (it == FCalcCache.end()) {
    std::vector<Variant> calc;
    if (!CalculateFields(Pos, calc)) return Variant(Null);  // the handler freed this data set
    if (FCalcCache.size() >= 4096) FCalcCache.clear();      // a window's worth is what matters
    it = FCalcCache.emplace(id, std::move(calc)).first;
  }
  const std::vector<Variant>& values = it->second;
  return static_cast<size_t>(CalcIndex) < values.size() ? values[static_cast<size_t>(CalcIndex)]
                                                        : Variant(Null);
}

Variant TDataSet::LookupValue(const TField* Field) const {
  TDataSet* lookup = Field->FLookupDataSet;
  if (!lookup || !lookup->Active() || Field->FKeyFields.empty() || Field->FLookupKeyFields.empty() ||
      Field->FLookupResultField.empty())
    return Variant(Null);
  std::vector<TField*> keys;
  GetFieldList(keys, Field->FKeyFields);
  Variant keyValues = keys.size() == 1 ? Variant() : VarArrayCreate(0, static_cast<int>(keys.size()) - 1);
  for (size_t i = 0; i < keys.size(); ++i) {
    Variant v = GetFieldValue(keys[i]);
    if (v.IsNull()) return Variant(Null);
    if (keys.size() == 1)
      keyValues = std::move(v);
    else
      keyValues.PutElement(static_cast<int>(i), v);
  }
  Variant result = lookup->Lookup(Field->FLookupKeyFields, keyValues, Field->FLookupResultField);
  if (result.IsNull() || result.IsArray()) return result;
  try {
    return Field->ConvertValue(result);
  } catch (const Exception&) {
    return result;
  }
}

// ---------------------------------------------------------------------------------------------
// Notification, controls, windows
// ---------------------------------------------------------------------------------------------

void TDataSet::SetState(TDataSetState Value) {
  if (FState == Value) return;
  FState = Value;
  DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info) {
  FReadPos = FCurPos;
  if (FDisableCount > 0) {
    if (Event == deLayoutChange) FLayoutWhileDisabled = true;
    if (Event == deFieldChange || Event == deRecordChange || Event == deDataSetChange ||
        Event == deDataSetScroll || Event == deUpdateState)
      FEventWhileDisabled = true;
    return;
  }
  // A source (or a link behind it) may detach, free this data set or free other sources
  // while it is told: iterate over a copy and check before each call.
  // A source whose links raise does not keep the other sources from hearing either.
  auto alive = Alive();
  TFirstError error;
  const std::vector<TDataSource*> sources(FDataSources);
  for (TDataSource* source : sources) {
    if (!alive) break;
    if (std::find(FDataSources.begin(), FDataSources.end(), source) == FDataSources.end()) continue;
    error.Run([&] { source->DataEvent(Event, Info); });
  }
  // While this data set is being destroyed (a descendant closing it) there is no caller to
  // tell: the error is dropped.
  if (alive && ComponentState().Contains(csDestroying)) return;
  error.Raise();
}

void TDataSet::DisableControls() {
  if (FDisableCount++ == 0) {
    FDisableState = FState;
    FEventWhileDisabled = FLayoutWhileDisabled = false;
  }
}

void TDataSet::EnableControls() {
  if (FDisableCount == 0 || --FDisableCount > 0) return;
  auto alive = Alive();
  TFirstError error;
  error.Run([&] { DataEvent(deUpdateState); });  // the sources catch up with any change of state
  if (!alive || FDisableCount > 0) return error.Raise();
  if (Active() && FDisableState != dsInactive && (FEventWhileDisabled || FLayoutWhileDisabled))
    error.Run([&] { DataEvent(FLayoutWhileDisabled ? deLayoutChange : deDataSetChange); });
  error.Raise();
}

void TDataSet::UpdateWindows(TWindowMove Move, int Pos) {
  for (TDataSource* source : FDataSources)
    for (TDataLink* link : source->FDataLinks)
      if (link->FActive) link->AdjustWindow(Move, Pos);
}

void TDataSet::AddDataSource(TDataSource* Source) {
  FDataSources.push_back(Source);
  Source->FDataSet = this;
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
  FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), Source), FDataSources.end());
  Source->FDataSet = nullptr;
}

}  // namespace vcl
