// TKtDBLookupControl: the abstract base of the lookup list and the lookup combo, with its two
// data links.
//
// Sections:
//   TKtDataLink, TKtListLink   the links to the edited dataset and to the lookup dataset
//   TKtDBLookupControl         fields, properties, binding, lookup mode, key and list values,
//                              selection, incremental search
//
// The control binds two datasets: the edited one (DataSource/DataField; the field that
// receives the chosen key is the master field) and the lookup one (ListSource, KeyField,
// ListField). When DataField names a lookup field, the control is in lookup mode and takes the
// lookup dataset, key field and display field from that field's definition.
//
// A key is written by one road only: SelectKeyValue writes the master field, the change comes
// back through the data link (RecordChanged -> DataLinkRecordChanged -> SetKeyValue), and the
// descendant hears KeyValueChanged only when the key really changed.
#pragma once

#include <string>
#include <vector>

#include "lookup/core/lookup_helpers.h"
#include "platform/data/db.h"
#include "platform/gfx/gdi.h"
#include "platform/vcl/custom_control.h"
#include "platform/vcl/hint_window.h"
#include "platform/win/window_system.h"

namespace ktlookup {

using vcl::TColor;
using vcl::TComponent;
using vcl::TDataSet;
using vcl::TDataSource;
using vcl::TField;
using vcl::TMessage;
using vcl::TNotifyEvent;
using vcl::TOperation;
using vcl::Variant;

class TKtDBLookupControl;

// The link to the edited dataset. Field changes and scrolls reach the control as
// DataLinkRecordChanged; activity and layout changes rebind the data fields.
class TKtDataLink : public vcl::TDataLink {
 public:
  TKtDataLink();
  TKtDBLookupControl* FControl = nullptr;  // the owning control; not owned; nil while it goes

 protected:
  void ActiveChanged() override;
  void FocusControl(TField*& Field) override;
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
};

// The link to the lookup dataset. Every change or scroll of that dataset reaches the control
// as ListLinkDataChanged; its editing state as ListLinkStateChanged.
class TKtListLink : public vcl::TDataLink {
 public:
  TKtListLink();
  TKtDBLookupControl* FControl = nullptr;  // the owning control; not owned; nil while it goes

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void EditingChanged() override;
  void LayoutChanged() override;
};

class TKtDBLookupControl : public vcl::TCustomControl {
 public:
  explicit TKtDBLookupControl(TComponent* AOwner);
  ~TKtDBLookupControl() override;
  std::string ClassName() const override { return "TKtDBLookupControl"; }

  // ---- Published properties (published by the descendants) -------------------------------
  std::string About() const { return GetAbout(); }
  void SetAbout(const std::string& Value);  // writing does nothing
  const std::string& DataField() const { return FDataFieldName; }
  void SetDataField(const std::string& Value) { SetDataFieldName(Value); }
  TDataSource* DataSource() const { return GetDataSource(); }
  void SetDataSource(TDataSource* Value);
  const std::string& EmptyDisplay() const { return FEmptyDisplay; }
  void SetEmptyDisplay(const std::string& Value);
  TColor EmptyItemColor() const { return FEmptyItemColor; }
  void SetEmptyItemColor(TColor Value);
  TColor EmptyItemFontColor() const { return FEmptyItemFontColor; }
  void SetEmptyItemFontColor(TColor Value);
  const std::string& EmptyValue() const { return FEmptyValue; }
  void SetEmptyValue(const std::string& Value) { FEmptyValue = Value; }  // applies from the next key change
  std::string KeyField() const { return GetKeyFieldName(); }
  void SetKeyField(const std::string& Value) { SetKeyFieldName(Value); }
  bool KeyIsUnique() const { return FKeyIsUnique; }
  void SetKeyIsUnique(bool Value);
  const std::string& ListField() const { return FListFieldName; }
  void SetListField(const std::string& Value) { SetListFieldName(Value); }
  int ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(int Value) { FListFieldIndex = Value; }  // takes effect at the next rebinding
  TDataSource* ListSource() const { return GetListSource(); }
  void SetListSource(TDataSource* Value);
  bool ReadOnly() const { return GetReadOnly(); }
  void SetReadOnly(bool Value);
  const std::string& TagStr() const { return FTagStr; }
  void SetTagStr(const std::string& Value) { FTagStr = Value; }
  bool ThumbTracking() const { return FThumbTracking; }
  void SetThumbTracking(bool Value) { FThumbTracking = Value; }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  const std::string& ToolTipsDelimiter() const { return FToolTipsDelimiter; }
  void SetToolTipsDelimiter(const std::string& Value) { FToolTipsDelimiter = Value; }
  const TNotifyEvent& AfterSearchKey() const { return FAfterSearchKey; }
  void SetAfterSearchKey(TNotifyEvent Value) { FAfterSearchKey = std::move(Value); }

  // ---- Run-time properties -------------------------------------------------------------
  // The key as seen from outside: while the empty item shows, what the master field holds
  // (or EmptyValue for an unbound control); otherwise the selected key (Null for none).
  Variant KeyValue() const { return GetKeyValue(); }
  void SetKeyValue(const Variant& Value);
  // The shown value: the display field of the current lookup record, EmptyDisplay for a Null
  // key when the empty item is visible. Setting it moves the lookup dataset to the first
  // record whose display field begins with the value.
  Variant ListValue() const { return GetListValue(); }
  void SetListValue(const Variant& Value);

  bool EmptyItemVisible() const { return !FEmptyDisplay.empty(); }

  bool ExecuteAction(vcl::TBasicAction* Action) override;
  bool UpdateAction(vcl::TBasicAction* Action) override;

 protected:
  // ---- Virtual operations, in the order the descendants see them --------------------------
  virtual bool CanModify();
  virtual int GetBorderSize();
  virtual int GetTextHeight();
  virtual bool IsValueEmpty() const;
  virtual bool LocateKey();
  virtual bool ProcessSearchKey(char Key);
  virtual void DataLinkRecordChanged(TField* Field);
  virtual void KeyValueChanged() {}
  virtual void ListLinkDataChanged() {}
  virtual void ListLinkStateChanged() {}
  virtual void SelectKeyValue(const Variant& Value);
  virtual void UpdateDataFields();
  virtual void UpdateDisplay() {}
  virtual void UpdateListFields();
  // Remembers the current row's columns; false when reading them freed this control.
  virtual bool UpdateListValues();
  // True while the selection follows a held mouse button: a choice then only sets the key
  // locally. The lookup list answers this from its tracking state.
  virtual bool IsTrackingSelection() const { return false; }
  // Copies the remembered list values of one lookup control to another (the combo and its
  // drop-down list hand them over).
  static void CopyListValues(const TKtDBLookupControl* From, TKtDBLookupControl* To) {
    To->FListValues = From->FListValues;
  }

  // ---- Property accessors ------------------------------------------------------------------
  std::string GetAbout() const;
  TDataSource* GetDataSource() const;
  void SetDataFieldName(const std::string& Value);
  TDataSource* GetListSource() const;
  std::string GetKeyFieldName() const;
  void SetKeyFieldName(const std::string& Value);
  void SetListFieldName(const std::string& Value);
  Variant GetKeyValue() const;
  Variant GetListValue() const;
  bool GetReadOnly() const;

  // ---- Binding ---------------------------------------------------------------------------
  void CheckNotCircular();
  void CheckNotLookup();
  void SetLookupMode(bool Value);

  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);

  // ---- Fields, in declared order ---------------------------------------------------------
  TField* FDataField = nullptr;      // the DataField field; nil while unbound
  std::string FDataFieldName;        // DataField
  TKtDataLink* FDataLink = nullptr;  // owned; holds DataSource and ReadOnly
  std::string FEmptyDisplay;         // EmptyDisplay
  TColor FEmptyItemColor = vcl::clWindow;
  TColor FEmptyItemFontColor = vcl::clWindowText;
  std::string FEmptyValue;                     // EmptyValue
  bool FHasFocus = false;                      // the window has the input focus
  TField* FKeyField = nullptr;                 // key field of the lookup dataset; nil while inactive
  std::string FKeyFieldName;                   // KeyField; in lookup mode the LookupKeyFields
  bool FKeyIsUnique = true;                    // KeyIsUnique
  Variant FKeyValue;                           // the current key; Null when nothing is selected
  bool FListActive = false;                    // the list fields are resolved
  TField* FListField = nullptr;                // the display field; nil while inactive
  int FListFieldIndex = 0;                     // ListFieldIndex
  std::string FListFieldName;                  // ListField: names separated by ';'
  std::vector<TField*> FListFields;            // the columns, in order
  TKtListLink* FListLink = nullptr;            // owned; holds ListSource
  Variant FListValues;                         // values of the list fields of the current lookup row
  bool FLookupMode = false;                    // DataField names a lookup field
  TDataSource* FLookupSource = nullptr;        // owned component; the lookup field's dataset in lookup mode
  TField* FMasterField = nullptr;              // receives the key; nil while unbound
  Variant FEntryKeyValue;                      // the key when the control was entered (Escape restores it)
  bool FThumbTracking = true;                  // ThumbTracking
  std::string FSearchText;                     // the incremental-search text
  std::string FTagStr;                         // TagStr
  bool FToolTipActive = false;                 // a cell tooltip is shown and its timer runs
  bool FToolTips = true;                       // ToolTips
  std::string FToolTipsDelimiter;              // ToolTipsDelimiter
  vcl::THintWindow* FToolTipWindow = nullptr;  // owned component; the cell tooltips' window
  TNotifyEvent FAfterSearchKey;                // AfterSearchKey

 private:
  friend class TKtDataLink;
  friend class TKtListLink;

  // The lookup definition taken when lookup mode was entered, to notice a move to a lookup
  // field with another definition while the mode stays on.
  struct LookupDefinition {
    TDataSet* LookupDataSet = nullptr;
    std::string LookupKeyFields;
    std::string LookupResultField;
    std::string KeyFields;
    bool operator==(const LookupDefinition&) const = default;
  };
  static LookupDefinition DefinitionOf(TField* Field);
  // The master field holds Key (the empty key: Null or EmptyValue).
  bool FieldHoldsKey(const Variant& Key) const;
  LookupDefinition FLookupDefinition;
  bool FLocatingKey = false;  // LocateKey is moving the lookup dataset
};

}  // namespace ktlookup
