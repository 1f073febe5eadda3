#include "lookup/core/db_lookup_control.h"

#include <algorithm>

namespace ktlookup {

using namespace vcl;

// ---------------------------------------------------------------------------------------------
// TKtDataLink and TKtListLink
// ---------------------------------------------------------------------------------------------

TKtDataLink::TKtDataLink() {
  SetVisualControl(true);
}

void TKtDataLink::ActiveChanged() {
  if (FControl) FControl->UpdateDataFields();
}

void TKtDataLink::FocusControl(TField*& Field) {
  if (!FControl || !Field || Field != FControl->FDataField || !FControl->CanFocus()) return;
  Field = nullptr;  // the request is served here
  FControl->SetFocus();
}

void TKtDataLink::LayoutChanged() {
  if (FControl) FControl->UpdateDataFields();
}

void TKtDataLink::RecordChanged(TField* Field) {
  if (FControl) FControl->DataLinkRecordChanged(Field);
}

TKtListLink::TKtListLink() {
  SetVisualControl(true);
}

void TKtListLink::ActiveChanged() {
  if (FControl) FControl->UpdateListFields();
}

void TKtListLink::DataSetChanged() {
  if (FControl) FControl->ListLinkDataChanged();
}

void TKtListLink::EditingChanged() {
  if (FControl) FControl->ListLinkStateChanged();
}

void TKtListLink::LayoutChanged() {
  if (FControl) FControl->UpdateListFields();
}

// ---------------------------------------------------------------------------------------------
// Construction and destruction
// ---------------------------------------------------------------------------------------------

TKtDBLookupControl::TKtDBLookupControl(TComponent* AOwner) : TCustomControl(AOwner) {
  if (NewStyleControls)
    SetControlStyle({csOpaque});
  else
    SetControlStyle({csOpaque, csFramed});
  FKeyIsUnique = true;
  FListFieldIndex = 0;
  FToolTips = true;
  FToolTipsDelimiter = " | ";
  SetParentColor(false);
  SetTabStop(true);
  FDataLink = new TKtDataLink();
  FDataLink->FControl = this;
  FEmptyDisplay.clear();
  FEmptyItemColor = clWindow;
  FEmptyItemFontColor = clWindowText;
  FEmptyValue.clear();
  FKeyValue = Null;
  FListLink = new TKtListLink();
  FListLink->FControl = this;
  FListFields.clear();
  FListValues = VarArrayCreate(0, 0);
  FLookupSource = new TDataSource(this);
  FEntryKeyValue = Null;
  FThumbTracking = true;
  FToolTipWindow = new THintWindow(this);
  FToolTipWindow->SetColor(clInfoBk);
}

TKtDBLookupControl::~TKtDBLookupControl() {
  FListFields.clear();
  // Clearing the back references first keeps notifications raised while a link is taken down
  // away from this half-destroyed control.
  FListLink->FControl = nullptr;
  delete FListLink;
  FListLink = nullptr;
  FDataLink->FControl = nullptr;
  delete FDataLink;
  FDataLink = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Properties
// ---------------------------------------------------------------------------------------------

std::string TKtDBLookupControl::GetAbout() const {
  return "ktlookup data-aware lookup controls";
}

void TKtDBLookupControl::SetAbout(const std::string&) {}

TDataSource* TKtDBLookupControl::GetDataSource() const {
  return FDataLink->DataSource();
}

void TKtDBLookupControl::SetDataSource(TDataSource* Value) {
  // Binding runs the data's handlers: they may free this control or the new source.
  auto alive = Alive();
  const TAliveToken sourceAlive = Value ? Value->Alive() : TAliveToken();
  // A fixed data source silently wins over a value streamed in while loading.
  if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)))
    FDataLink->SetDataSource(Value);
  if (alive && sourceAlive) Value->FreeNotification(this);
}

void TKtDBLookupControl::SetDataFieldName(const std::string& Value) {
  if (Value == FDataFieldName) return;
  FDataFieldName = Value;
  UpdateDataFields();
}

TDataSource* TKtDBLookupControl::GetListSource() const {
  return FLookupMode ? nullptr : FListLink->DataSource();
}

void TKtDBLookupControl::SetListSource(TDataSource* Value) {
  CheckNotLookup();
  auto alive = Alive();
  const TAliveToken sourceAlive = Value ? Value->Alive() : TAliveToken();
  FListLink->SetDataSource(Value);
  if (alive && sourceAlive) Value->FreeNotification(this);
}

std::string TKtDBLookupControl::GetKeyFieldName() const {
  return FLookupMode ? std::string() : FKeyFieldName;
}

void TKtDBLookupControl::SetKeyFieldName(const std::string& Value) {
  CheckNotLookup();
  if (Value == FKeyFieldName) return;
  FKeyFieldName = Value;
  UpdateListFields();
}

void TKtDBLookupControl::SetListFieldName(const std::string& Value) {
  if (Value == FListFieldName) return;
  FListFieldName = Value;
  UpdateListFields();
}

bool TKtDBLookupControl::GetReadOnly() const {
  return FDataLink->ReadOnly();
}

void TKtDBLookupControl::SetReadOnly(bool Value) {
  FDataLink->SetReadOnly(Value);
}

void TKtDBLookupControl::SetEmptyDisplay(const std::string& Value) {
  if (Value == FEmptyDisplay) return;
  FEmptyDisplay = Value;
  auto alive = Alive();  // the list's new height may run an OnResize that frees it
  UpdateDisplay();
  if (alive && !ComponentState().Contains(csReading)) Invalidate();
}

void TKtDBLookupControl::SetEmptyItemColor(TColor Value) {
  if (Value == FEmptyItemColor) return;
  FEmptyItemColor = Value;
  Invalidate();
}

void TKtDBLookupControl::SetEmptyItemFontColor(TColor Value) {
  if (Value == FEmptyItemFontColor) return;
  FEmptyItemFontColor = Value;
  Invalidate();
}

void TKtDBLookupControl::SetKeyIsUnique(bool Value) {
  if (Value != FKeyIsUnique) {
    FKeyIsUnique = Value;
    Invalidate();
  }
  if (!FKeyIsUnique) {
    auto alive = Alive();
    UpdateListFields();
    if (alive) UpdateListValues();
  }
}

// ---------------------------------------------------------------------------------------------
// Binding
// ---------------------------------------------------------------------------------------------

TKtDBLookupControl::LookupDefinition TKtDBLookupControl::DefinitionOf(TField* Field) {
  if (!Field) return {};
  return {Field->LookupDataSet(), Field->LookupKeyFields(), Field->LookupResultField(), Field->KeyFields()};
}

void TKtDBLookupControl::UpdateDataFields() {
  FDataField = nullptr;
  FMasterField = nullptr;
  try {
    if (FDataLink->Active() && !FDataFieldName.empty()) {
      CheckNotCircular();
      FDataField = GetFieldProperty(FDataLink->DataSet(), this, FDataFieldName);
      if (FDataField->FieldKind() == fkLookup)
        FMasterField = GetFieldProperty(FDataLink->DataSet(), this, FDataField->KeyFields());
      else
        FMasterField = FDataField;
    }
  } catch (...) {
    // Without a bound data side (no data field, or a lookup field whose key fields are
    // missing) there is no lookup definition to show: the list counts as not active until the
    // data side is bound again, which then takes the lookup definition anew.
    if (FLookupMode) {
      FLookupDefinition = {};
      UpdateListFields();
    }
    throw;
  }
  const bool lookup = FDataField && FDataField->FieldKind() == fkLookup;
  // A move from one lookup field to another with a different definition takes the new
  // definition exactly as leaving lookup mode and entering it again would.
  if (lookup && FLookupMode && DefinitionOf(FDataField) != FLookupDefinition) SetLookupMode(false);
  SetLookupMode(lookup);
  DataLinkRecordChanged(nullptr);
}

void TKtDBLookupControl::SetLookupMode(bool Value) {
  if (Value == FLookupMode) return;
  if (Value) {
    FMasterField = GetFieldProperty(FDataField->DataSet(), this, FDataField->KeyFields());
    FLookupSource->SetDataSet(FDataField->LookupDataSet());
    FKeyFieldName = FDataField->LookupKeyFields();
    FLookupDefinition = DefinitionOf(FDataField);
    FLookupMode = true;
    FListLink->SetDataSource(FLookupSource);
  } else {
    FListLink->SetDataSource(nullptr);
    FLookupMode = false;
    FKeyFieldName.clear();
    FLookupSource->SetDataSet(nullptr);
    FLookupDefinition = {};
    FMasterField = FDataField;
  }
}

void TKtDBLookupControl::UpdateListFields() {
  FListActive = false;
  FKeyField = nullptr;
  FListField = nullptr;
  FListFields.clear();
  if (!FListLink->Active() || FKeyFieldName.empty()) return;
  // In lookup mode the display field comes from the lookup field: while the data side is not
  // bound (it failed to bind) the list stays inactive.
  if (FLookupMode && !FMasterField) return;
  CheckNotCircular();
  TDataSet* dataSet = FListLink->DataSet();
  FKeyField = GetFieldProperty(dataSet, this, FKeyFieldName);
  try {
    dataSet->GetFieldList(FListFields, FListFieldName);
  } catch (...) {
    DatabaseErrorFmt(SFieldNotFound, {FListFieldName}, this);
  }
  if (FLookupMode) {
    TField* result = GetFieldProperty(dataSet, this, FDataField->LookupResultField());
    if (std::find(FListFields.begin(), FListFields.end(), result) == FListFields.end())
      FListFields.insert(FListFields.begin(), result);
    FListField = result;
  } else {
    if (FListFields.empty()) FListFields.push_back(FKeyField);
    if (FListFieldIndex >= 0 && FListFieldIndex < static_cast<int>(FListFields.size()))
      FListField = FListFields[static_cast<size_t>(FListFieldIndex)];
    else
      FListField = FListFields.front();
  }
  // One value per column, whatever was added to the names of ListField.
  VarArrayRedim(FListValues, static_cast<int>(FListFields.size()) - 1);
  FListActive = true;
}

void TKtDBLookupControl::CheckNotCircular() {
  if (FListLink->Active() && FListLink->DataSet()->IsLinkedTo(GetDataSource()))
    DatabaseError(SCircularDataLink);
}

void TKtDBLookupControl::CheckNotLookup() {
  if (FLookupMode) DatabaseError(SPropDefByLookup);
  if (FDataLink->DataSourceFixed()) DatabaseError(SDataSourceFixed);
}

void TKtDBLookupControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FDataLink && AComponent == GetDataSource()) SetDataSource(nullptr);
  if (FListLink && AComponent == GetListSource()) SetListSource(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Measuring
// ---------------------------------------------------------------------------------------------

int TKtDBLookupControl::GetBorderSize() {
  TCreateParams params;
  CreateParams(params);
  TRect r{0, 0, 0, 0};
  AdjustWindowRectEx(r, params.Style, false, params.ExStyle);
  return r.Bottom - r.Top;
}

int TKtDBLookupControl::GetTextHeight() {
  HDC dc = GetDC(0);
  HGDIOBJ saved = SelectObject(dc, Font()->Handle());
  TEXTMETRIC metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, saved);
  ReleaseDC(0, dc);
  return metrics.tmHeight;
}

// ---------------------------------------------------------------------------------------------
// Messages and actions
// ---------------------------------------------------------------------------------------------

void TKtDBLookupControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED: return CMEnabledChanged(Message);
    case WM_GETDLGCODE: return WMGetDlgCode(Message);
    case WM_SETFOCUS: return WMSetFocus(Message);
    case WM_KILLFOCUS: return WMKillFocus(Message);
    default: return TCustomControl::Dispatch(Message);
  }
}

// The inherited handling of these messages may move the focus, whose handlers may free this.
void TKtDBLookupControl::CMEnabledChanged(TMessage& Message) {
  auto alive = Alive();
  TCustomControl::Dispatch(Message);
  if (alive) Invalidate();
}

void TKtDBLookupControl::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TKtDBLookupControl::WMSetFocus(TMessage& Message) {
  FHasFocus = true;
  auto alive = Alive();
  TCustomControl::Dispatch(Message);
  if (alive) Invalidate();
}

void TKtDBLookupControl::WMKillFocus(TMessage& Message) {
  FHasFocus = false;
  auto alive = Alive();
  TCustomControl::Dispatch(Message);
  if (alive) Invalidate();
}

bool TKtDBLookupControl::ExecuteAction(TBasicAction* Action) {
  return TCustomControl::ExecuteAction(Action) || (FDataLink && FDataLink->ExecuteAction(Action));
}

bool TKtDBLookupControl::UpdateAction(TBasicAction* Action) {
  return TCustomControl::UpdateAction(Action) || (FDataLink && FDataLink->UpdateAction(Action));
}

// ---------------------------------------------------------------------------------------------
// Key value, list value and selection
// ---------------------------------------------------------------------------------------------

bool TKtDBLookupControl::IsValueEmpty() const {
  return !FEmptyDisplay.empty() && FKeyValue.IsNull();
}

Variant TKtDBLookupControl::GetKeyValue() const {
  if (IsValueEmpty()) {
    if (FMasterField) return FMasterField->Value();
    return FEmptyValue.empty() ? Variant(Null) : Variant(FEmptyValue);
  }
  return FKeyValue;
}

void TKtDBLookupControl::SetKeyValue(const Variant& Value) {
  if (VariantsEqual(FKeyValue, Value)) return;
  if (VarToStr(Value) == FEmptyValue)
    FKeyValue = Null;
  else
    FKeyValue = Value;
  KeyValueChanged();
}

Variant TKtDBLookupControl::GetListValue() const {
  if (!FListField) return Null;
  if (FKeyValue.IsNull()) return EmptyItemVisible() ? Variant(FEmptyDisplay) : Variant(Null);
  return FListField->Value();
}

void TKtDBLookupControl::SetListValue(const Variant& Value) {
  if (Value.IsNull() || VariantsEqual(GetListValue(), Value) || !FListField) return;
  FListLink->DataSet()->Locate(FListField->FieldName(), Value, {loCaseInsensitive, loPartialKey});
}

void TKtDBLookupControl::SelectKeyValue(const Variant& Value) {
  // Handlers of the edited dataset and its source run while the field is written: this may
  // be deleted by them.
  auto alive = Alive();
  if (!FMasterField || IsTrackingSelection()) {
    SetKeyValue(Value);
  } else if (FDataLink->Edit()) {
    if (!alive) return;
    if (Value.IsNull() && EmptyItemVisible() && !FEmptyValue.empty())
      FMasterField->SetValue(FEmptyValue);
    else
      FMasterField->SetValue(Value);
  } else if (alive && FMasterField && !VariantsEqual(FKeyValue, FMasterField->Value())) {
    // The edited dataset would not be edited (AutoEdit off, say): the control goes back to
    // the key its field holds, which a selection being tracked may have left.
    SetKeyValue(FMasterField->Value());
  }
  if (!alive) return;
  Repaint();
  Click();
}

void TKtDBLookupControl::DataLinkRecordChanged(TField* Field) {
  if (Field && Field != FMasterField) return;
  if (FMasterField)
    SetKeyValue(FMasterField->Value());
  else
    SetKeyValue(Null);
}

bool TKtDBLookupControl::LocateKey() {
  // Moving the lookup dataset may move, through other controls, the edited one and so come
  // back here (two controls whose tables are each other's lookup tables): the inner request
  // is dropped instead of moving the tables back and forth for ever.
  if (FLocatingKey) return false;
  auto alive = Alive();
  TFlagScope locating(FLocatingKey, alive);
  bool result = false;
  try {
    const Variant key = FKeyValue;
    TDataSet* dataSet = FListLink->DataSet();
    if (dataSet && dataSet->Active()) {
      bool found = false;
      if (FKeyIsUnique) {
        if (!FKeyValue.IsNull()) found = dataSet->Locate(FKeyFieldName, FKeyValue, {});
      } else if (!FListValues.IsNull()) {
        // The remembered row is found by the values of all its columns together.
        std::string names;
        for (TField* field : FListFields) names += (names.empty() ? "" : ";") + field->FieldName();
        found = dataSet->Locate(names, FListValues, {});
      }
      // The move's handlers may free this control.
      if (found && alive) {
        // The notifications of the move may have changed the key; it goes back to what it
        // was, unless the master field itself changed meanwhile (it moved with the lookup
        // dataset): a bound control's key is always its field's.
        if (!FMasterField || FieldHoldsKey(key)) FKeyValue = key;
        result = true;
      }
    }
  } catch (...) {
    result = false;
  }
  return result;
}

bool TKtDBLookupControl::FieldHoldsKey(const Variant& Key) const {
  const Variant value = FMasterField->Value();
  if (Key.IsNull()) return value.IsNull() || VarToStr(value) == FEmptyValue;
  return VariantsEqual(value, Key);
}

bool TKtDBLookupControl::UpdateListValues() {
  // Reading a calculated column runs handlers that may free this control or rebind it.
  auto alive = Alive();
  for (size_t i = 0; i < FListFields.size(); ++i) {
    const Variant value = FListFields[i]->Value();
    if (!alive) return false;
    if (i < FListFields.size()) FListValues.PutElement(static_cast<int>(i), value);
  }
  return true;
}

bool TKtDBLookupControl::CanModify() {
  if (!FListActive || GetReadOnly()) return false;
  if (!FDataLink->DataSource()) return true;
  return FMasterField && FMasterField->CanModify() && FDataLink->Edit();
}

// ---------------------------------------------------------------------------------------------
// Incremental search
// ---------------------------------------------------------------------------------------------

bool TKtDBLookupControl::ProcessSearchKey(char Key) {
  bool result = false;
  const unsigned char code = static_cast<unsigned char>(Key);
  if (code == 8 && !FSearchText.empty()) FSearchText.pop_back();
  // CanModify puts the edited dataset into edit state and the choice fires OnClick: handlers
  // of either may delete this control.
  auto alive = Alive();
  const bool searchable = FListField &&
                          (FListField->FieldKind() == fkData || FListField->FieldKind() == fkInternalCalc) &&
                          CanModify();
  if (!alive) return false;
  if (searchable) {
    std::string candidate = FSearchText;
    if (code >= 32) {
      if (SysLocale.FarEast && LeadBytes.Contains(code)) {
        MSG msg{};
        if (PeekMessage(msg, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE)) {
          if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
          }
          candidate += Key;
          candidate += static_cast<char>(msg.wParam & 0xFF);
        } else {
          candidate += Key;
        }
      } else {
        candidate += Key;
      }
    }
    try {
      TDataSet* dataSet = FListLink->DataSet();
      // Moving the lookup dataset runs its handlers: they may free or unbind this control.
      if (candidate.empty()) {
        dataSet->First();
        if (!alive) return false;
        SelectKeyValue(Null);
        if (!alive) return true;
        result = true;
      } else if (dataSet->Locate(FListField->FieldName(), Variant(candidate),
                                 {loCaseInsensitive, loPartialKey})) {
        if (!alive) return false;
        if (FKeyField) SelectKeyValue(FKeyField->Value());
        if (!alive) return true;
        if (FListField && StartsWithText(candidate, FListField->EditText())) FSearchText = candidate;
        result = true;
      } else if (!alive) {
        return false;
      }
    } catch (...) {
      if (!alive) return false;
      FSearchText = candidate;
      result = false;
    }
  }
  CallEvent(FAfterSearchKey, this);  // through a copy: the handler may free this control
  return result;
}

}  // namespace ktlookup
