// TField and its typed descendants: string, integer, float, boolean and date-time fields.
//
// A field belongs to one data set (its owner and DataSet) and reads and writes the value of
// the data set's current record (or of the record a data link's ActiveRecord points at).
// Writing needs the data set in edit or insert state; OnValidate sees the new value and may
// reject it by raising, OnChange follows a write that went through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/base/classes.h"
#include "platform/base/variant.h"

namespace vcl {

class TDataSet;
class TField;

enum class TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };
using enum TFieldKind;

enum class TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftBoolean, ftDateTime };
using enum TFieldType;

using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, std::string& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const std::string& Text)>;

class TField : public TComponent {
 public:
  explicit TField(TComponent* AOwner);
  ~TField() override;
  std::string ClassName() const override { return "TField"; }

  // --- Identity -------------------------------------------------------------------------
  TDataSet* DataSet() const { return FDataSet; }
  // Adds the field to a data set (which must be closed) or removes it (nullptr).
  void SetDataSet(TDataSet* Value);
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  TFieldKind FieldKind() const { return FFieldKind; }
  void SetFieldKind(TFieldKind Value);  // only before the field joins a data set
  virtual TFieldType DataType() const { return ftUnknown; }
  int Size() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }
  int FieldNo() const { return FFieldNo; }  // storage column, -1 for calculated and lookup fields
  int Index() const;                        // position in the data set's field list, -1 when none
  bool Calculated() const { return FFieldKind == fkCalculated; }
  bool Lookup() const { return FFieldKind == fkLookup; }

  // --- Value ----------------------------------------------------------------------------
  Variant Value() const;
  void SetValue(const Variant& Value);
  bool IsNull() const { return Value().IsNull(); }
  void Clear() { SetValue(Variant(Null)); }
  // Typed access. A Null value reads as '', 0, 0.0 or false; text that does not convert
  // raises EConvertError.
  std::string AsString() const;
  void SetAsString(const std::string& Value) { SetValue(TextToValue(Value)); }
  std::int64_t AsInteger() const;
  void SetAsInteger(std::int64_t Value) { SetValue(Variant(static_cast<long long>(Value))); }
  double AsFloat() const;
  void SetAsFloat(double Value) { SetValue(Variant(Value)); }
  bool AsBoolean() const;
  void SetAsBoolean(bool Value) { SetValue(Variant(Value)); }
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime Value) { SetValue(Variant::FromDateTime(Value)); }

  // --- Text -----------------------------------------------------------------------------
  std::string DisplayText() const { return GetTextOf(true); }
  std::string EditText() const { return GetTextOf(false); }
  // Converts the text to the field's type (through OnSetText when assigned); '' clears a
  // non-string field. Raises EConvertError when the text does not convert.
  void SetEditText(const std::string& Value);
  std::string Text() const { return EditText(); }
  void SetText(const std::string& Value) { SetEditText(Value); }

  // --- Presentation ---------------------------------------------------------------------
  const std::string& DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const std::string& Value);
  const std::string& DisplayName() const { return DisplayLabel(); }
  int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultWidth(); }
  void SetDisplayWidth(int Value);
  TAlignment Alignment() const { return FAlignmentSet ? FAlignment : DefaultAlignment(); }
  void SetAlignment(TAlignment Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // True when Key may be typed into the field's edit text.
  virtual bool IsValidChar(char Key) const { return Key != 0; }

  // --- Editing rules --------------------------------------------------------------------
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool Required() const { return FRequired; }
  void SetRequired(bool Value) { FRequired = Value; }
  // True when a write could go through: the field and its data set accept changes.
  bool CanModify() const;
  // Asks the data links of the data set to focus the control that edits this field.
  void FocusControl();

  // --- Lookup definition ----------------------------------------------------------------
  const std::string& KeyFields() const { return FKeyFields; }
  void SetKeyFields(const std::string& Value) { FKeyFields = Value; }
  TDataSet* LookupDataSet() const { return FLookupDataSet; }
  void SetLookupDataSet(TDataSet* Value);
  const std::string& LookupKeyFields() const { return FLookupKeyFields; }
  void SetLookupKeyFields(const std::string& Value) { FLookupKeyFields = Value; }
  const std::string& LookupResultField() const { return FLookupResultField; }
  void SetLookupResultField(const std::string& Value) { FLookupResultField = Value; }

  // --- Events ---------------------------------------------------------------------------
  const TFieldNotifyEvent& OnValidate() const { return FOnValidate; }
  void SetOnValidate(TFieldNotifyEvent Value) { FOnValidate = std::move(Value); }
  const TFieldNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TFieldNotifyEvent Value) { FOnChange = std::move(Value); }
  const TFieldGetTextEvent& OnGetText() const { return FOnGetText; }
  void SetOnGetText(TFieldGetTextEvent Value) { FOnGetText = std::move(Value); }
  const TFieldSetTextEvent& OnSetText() const { return FOnSetText; }
  void SetOnSetText(TFieldSetTextEvent Value) { FOnSetText = std::move(Value); }

  // Converts a value to the field's type: Null and unassigned give Null, text is parsed
  // (raising EConvertError), numbers are converted. Used for writes and for searches.
  virtual Variant ConvertValue(const Variant& Value) const { return Value.IsEmpty() ? Variant(Null) : Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Text of a non-null value of the field's type.
  virtual std::string ValueToText(const Variant& Value, bool Display) const;
  // The value that text stands for; '' is Null for every type but strings.
  virtual Variant TextToValue(const std::string& Text) const;
  virtual int DefaultWidth() const { return 10; }
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }

 private:
  friend class TDataSet;
  Variant ReadValue() const;
  std::string GetTextOf(bool Display) const;
  void LayoutChanged();

  TDataSet* FDataSet = nullptr;  // the data set the field belongs to
  std::string FFieldName;
  TFieldKind FFieldKind = fkData;
  int FSize = 0;
  int FFieldNo = -1;          // storage column of a data or internal-calc field
  int FCalcIndex = -1;        // slot of a calculated field in the record's calc values
  std::string FDisplayLabel;  // '' means "the field name"
  int FDisplayWidth = 0;      // 0 means "the type's default"
  TAlignment FAlignment = taLeftJustify;
  bool FAlignmentSet = false;
  bool FVisible = true;
  bool FReadOnly = false;
  bool FRequired = false;
  std::string FKeyFields;  // lookup: fields of this data set holding the key
  TDataSet* FLookupDataSet = nullptr;
  std::string FLookupKeyFields;    // lookup: key fields of the lookup data set
  std::string FLookupResultField;  // lookup: the field of the lookup data set whose value shows
  TFieldNotifyEvent FOnValidate;
  TFieldNotifyEvent FOnChange;
  TFieldGetTextEvent FOnGetText;
  TFieldSetTextEvent FOnSetText;
};

class TStringField : public TField {
 public:
  explicit TStringField(TComponent* AOwner) : TField(AOwner) { SetSize(20); }
  std::string ClassName() const override { return "TStringField"; }
  TFieldType DataType() const override { return ftString; }
  // Text is kept as it is, cut to Size characters.
  Variant ConvertValue(const Variant& Value) const override;

 protected:
  Variant TextToValue(const std::string& Text) const override;  // '' stays ''
  int DefaultWidth() const override { return Size() > 0 ? Size() : 20; }
};

// Integers of 32 bits, right-aligned; digits and signs may be typed.
class TIntegerField : public TField {
 public:
  explicit TIntegerField(TComponent* AOwner) : TField(AOwner) {}
  std::string ClassName() const override { return "TIntegerField"; }
  TFieldType DataType() const override { return ftInteger; }
  Variant ConvertValue(const Variant& Value) const override;
  bool IsValidChar(char Key) const override { return (Key >= '0' && Key <= '9') || Key == '+' || Key == '-'; }

 protected:
  int DefaultWidth() const override { return 11; }
  TAlignment DefaultAlignment() const override { return taRightJustify; }
};

// Floating-point numbers, right-aligned; digits, signs, '.' and an exponent may be typed.
class TFloatField : public TField {
 public:
  explicit TFloatField(TComponent* AOwner) : TField(AOwner) {}
  std::string ClassName() const override { return "TFloatField"; }
  TFieldType DataType() const override { return ftFloat; }
  Variant ConvertValue(const Variant& Value) const override;
  bool IsValidChar(char Key) const override {
    return (Key >= '0' && Key <= '9') || Key == '+' || Key == '-' || Key == '.' || Key == 'E' || Key == 'e';
  }

 protected:
  int DefaultWidth() const override { return 15; }
  TAlignment DefaultAlignment() const override { return taRightJustify; }
};

class TBooleanField : public TField {
 public:
  explicit TBooleanField(TComponent* AOwner) : TField(AOwner) {}
  std::string ClassName() const override { return "TBooleanField"; }
  TFieldType DataType() const override { return ftBoolean; }
  Variant ConvertValue(const Variant& Value) const override;

 protected:
  int DefaultWidth() const override { return 5; }
};

// Dates and times as TDateTime; text as "yyyy-mm-dd hh:nn:ss".
class TDateTimeField : public TField {
 public:
  explicit TDateTimeField(TComponent* AOwner) : TField(AOwner) {}
  std::string ClassName() const override { return "TDateTimeField"; }
  TFieldType DataType() const override { return ftDateTime; }
  Variant ConvertValue(const Variant& Value) const override;

 protected:
  int DefaultWidth() const override { return 19; }
};

// Makes an unattached field of the given type (ftUnknown gives a plain TField).
TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner);

}  // namespace vcl
