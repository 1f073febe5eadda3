#include "platform/data/field.h"

#include <algorithm>
#include <limits>

#include "platform/data/data_set.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// TField
// ---------------------------------------------------------------------------------------------

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
  Destroying();
  if (!FDataSet) return;
  // Every link has let go of this field even when one of them can't rebind; a destructor
  // has no caller to tell.
  try {
    FDataSet->RemoveField(this);
  } catch (...) {
  }
}

void TField::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (Value) Value->CheckInactive();
  if (FDataSet) FDataSet->RemoveField(this);
  if (Value) Value->AddField(this);
}

void TField::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  if (FDataSet && !Value.empty()) {
    TField* other = FDataSet->FindField(Value);
    if (other && other != this) DatabaseErrorFmt(SDuplicateFieldName, {Value}, FDataSet);
  }
  FFieldName = Value;
  LayoutChanged();
}

void TField::SetFieldKind(TFieldKind Value) {
  if (Value == FFieldKind) return;
  if (FDataSet) DatabaseErrorFmt(SFieldKindFixed, {DisplayName()}, FDataSet);
  FFieldKind = Value;
}

int TField::Index() const {
  if (!FDataSet) return -1;
  const auto& list = FDataSet->FieldList();
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

Variant TField::Value() const {
  return FDataSet ? FDataSet->GetFieldValue(this) : Variant(Null);
}

void TField::SetValue(const Variant& Value) {
  if (!FDataSet) DatabaseErrorFmt(SNoDataSet, {DisplayName()}, this);
  FDataSet->SetFieldValue(this, ConvertValue(Value));
}

// A calculated value comes from OnCalcFields, which may free this field (and its data set):
// such a field reads as Null.
Variant TField::ReadValue() const {
  if (FFieldKind != fkCalculated || !FDataSet) return Value();
  auto alive = Alive();
  Variant v = Value();
  return alive ? v : Variant(Null);
}

std::string TField::AsString() const {
  const Variant v = ReadValue();
  return v.IsNull() ? std::string() : ValueToText(v, false);
}

std::int64_t TField::AsInteger() const {
  const Variant v = ReadValue();
  if (v.IsNull()) return 0;
  return v.VarType() == TVarType::String ? StrToInt(v.AsString()) : v.AsInteger();
}

double TField::AsFloat() const {
  const Variant v = ReadValue();
  if (v.IsNull()) return 0;
  return v.VarType() == TVarType::String ? StrToFloat(v.AsString()) : v.AsFloat();
}

bool TField::AsBoolean() const {
  const Variant v = ReadValue();
  if (v.IsNull()) return false;
  return v.VarType() == TVarType::String ? StrToBool(v.AsString()) : v.AsBoolean();
}

TDateTime TField::AsDateTime() const {
  const Variant v = ReadValue();
  if (v.IsNull()) return 0;
  return v.VarType() == TVarType::String ? StrToDateTime(v.AsString()) : v.AsDateTime();
}

std::string TField::GetTextOf(bool Display) const {
  if (FOnGetText) {
    std::string text;
    CallEvent(FOnGetText, const_cast<TField*>(this), text, Display);
    return text;
  }
  return AsString();
}

void TField::SetEditText(const std::string& Value) {
  if (FOnSetText)
    CallEvent(FOnSetText, this, Value);
  else
    SetAsString(Value);
}

std::string TField::ValueToText(const Variant& Value, bool) const {
  return Value.AsString();
}

Variant TField::TextToValue(const std::string& Text) const {
  if (Trim(Text).empty()) return Variant(Null);
  return ConvertValue(Variant(Text));
}

void TField::LayoutChanged() {
  if (FDataSet && FDataSet->Active()) FDataSet->DataEvent(deLayoutChange);
}

void TField::SetDisplayLabel(const std::string& Value) {
  if (Value == FDisplayLabel) return;
  FDisplayLabel = Value;
  LayoutChanged();
}

void TField::SetDisplayWidth(int Value) {
  if (Value == FDisplayWidth) return;
  FDisplayWidth = Value;
  LayoutChanged();
}

void TField::SetAlignment(TAlignment Value) {
  if (FAlignmentSet && Value == FAlignment) return;
  FAlignment = Value;
  FAlignmentSet = true;
  LayoutChanged();
}

void TField::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  LayoutChanged();
}

void TField::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  LayoutChanged();
}

bool TField::CanModify() const {
  if (FReadOnly || !FDataSet || !FDataSet->CanModify()) return false;
  if (FFieldKind == fkData || FFieldKind == fkInternalCalc) return true;
  if (FFieldKind != fkLookup || !FLookupDataSet) return false;
  // A lookup field is written through its key fields.
  try {
    std::vector<TField*> keys;
    FDataSet->GetFieldList(keys, FKeyFields);
    return !keys.empty() && std::all_of(keys.begin(), keys.end(), [](TField* f) { return f->CanModify(); });
  } catch (const Exception&) {
    return false;
  }
}

void TField::FocusControl() {
  if (!FDataSet || !FDataSet->Active()) return;
  TField* field = this;
  FDataSet->DataEvent(deFocusControl, reinterpret_cast<std::intptr_t>(&field));
}

void TField::SetLookupDataSet(TDataSet* Value) {
  if (Value == FLookupDataSet) return;
  if (FLookupDataSet) RemoveFreeNotification(FLookupDataSet);
  FLookupDataSet = Value;
  if (Value) FreeNotification(Value);
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FLookupDataSet) FLookupDataSet = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Typed fields
// ---------------------------------------------------------------------------------------------

Variant TStringField::ConvertValue(const Variant& Value) const {
  if (Value.IsNull() || Value.IsEmpty()) return Variant(Null);
  std::string s = Value.AsString();
  if (Size() > 0 && static_cast<int>(s.size()) > Size()) s.resize(static_cast<size_t>(Size()));
  return Variant(std::move(s));
}

Variant TStringField::TextToValue(const std::string& Text) const {
  return ConvertValue(Variant(Text));
}

Variant TIntegerField::ConvertValue(const Variant& Value) const {
  if (Value.IsNull() || Value.IsEmpty()) return Variant(Null);
  const std::int64_t v =
      Value.VarType() == TVarType::String ? StrToInt(Trim(Value.AsString())) : Value.AsInteger();
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    DatabaseErrorFmt(SFieldRangeError, {IntToStr(v), DisplayName()});
  return Variant(static_cast<long long>(v));
}

Variant TFloatField::ConvertValue(const Variant& Value) const {
  if (Value.IsNull() || Value.IsEmpty()) return Variant(Null);
  return Variant(Value.VarType() == TVarType::String ? StrToFloat(Trim(Value.AsString())) : Value.AsFloat());
}

Variant TBooleanField::ConvertValue(const Variant& Value) const {
  if (Value.IsNull() || Value.IsEmpty()) return Variant(Null);
  return Variant(Value.VarType() == TVarType::String ? StrToBool(Trim(Value.AsString())) : Value.AsBoolean());
}

Variant TDateTimeField::ConvertValue(const Variant& Value) const {
  if (Value.IsNull() || Value.IsEmpty()) return Variant(Null);
  return Variant::FromDateTime(Value.VarType() == TVarType::String ? StrToDateTime(Trim(Value.AsString()))
                                                                   : Value.AsDateTime());
}

TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner) {
  switch (Type) {
    case ftString: return new TStringField(AOwner);
    case ftInteger: return new TIntegerField(AOwner);
    case ftFloat: return new TFloatField(AOwner);
    case ftBoolean: return new TBooleanField(AOwner);
    case ftDateTime: return new TDateTimeField(AOwner);
    case ftUnknown: break;
  }
  return new TField(AOwner);
}

}  // namespace vcl
