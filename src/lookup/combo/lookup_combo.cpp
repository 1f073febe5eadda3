#include "lookup/combo/lookup_combo.h"

#include <algorithm>

#include "lookup/combo/combo_edit.h"
#include "lookup/combo/db_combo_edit.h"
#include "platform/gfx/gdi.h"
#include "platform/vcl/db_alignment.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/form.h"

namespace ktlookup {

using namespace vcl;

// ---------------------------------------------------------------------------------------------
// Construction and properties
// ---------------------------------------------------------------------------------------------

TKtDBLookupCombo::TKtDBLookupCombo(TComponent* AOwner) : TKtDBLookupControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetWidth(145);
  SetHeight(0);  // the height follows the font
  FEdit = new TKtComboEdit(this);
  FEdit->SetCombo(this);
  FEdit->SetParent(this);
  FDBEdit = new TKtDBComboEdit(this);
  FDBEdit->SetCombo(this);
  FDBEdit->SetParent(this);
  FPopupList = new TKtPopupDataList(this);
  FPopupList->SetVisible(false);
  FPopupList->SetParent(this);
  FPopupList->SetOnMouseUp([this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    ListMouseUp(Sender, Button, Shift, X, Y);
  });
  FButtonWidth = GetSystemMetrics(SM_CXVSCROLL);
  FSettingText = false;
  FInternalChange = false;
}

TKtDBLookupCombo::~TKtDBLookupCombo() {
  // From here on the edits hear that the combo goes, and leave it alone when the focus leaves.
  Destroying();
  ReleaseComboMouseHook(this);
}

void TKtDBLookupCombo::SetListFontColor(TColor Value) {
  FListFontColor = Value;
  FPopupList->Font()->SetColor(Value);
}

TColor TKtDBLookupCombo::HighlightColor() const {
  return FPopupList->HighlightColor();
}
void TKtDBLookupCombo::SetHighlightColor(TColor Value) {
  FPopupList->SetHighlightColor(Value);
}
TColor TKtDBLookupCombo::HighlightFontColor() const {
  return FPopupList->HighlightFontColor();
}
void TKtDBLookupCombo::SetHighlightFontColor(TColor Value) {
  FPopupList->SetHighlightFontColor(Value);
}
TColor TKtDBLookupCombo::ListColor() const {
  return FPopupList->Color();
}
void TKtDBLookupCombo::SetListColor(TColor Value) {
  FPopupList->SetColor(Value);
}
TKtDBLookupListOptions TKtDBLookupCombo::Options() const {
  return FPopupList->Options();
}
void TKtDBLookupCombo::SetOptions(TKtDBLookupListOptions Value) {
  FPopupList->SetOptions(Value);
}
TColor TKtDBLookupCombo::TitleColor() const {
  return FPopupList->TitleColor();
}
void TKtDBLookupCombo::SetTitleColor(TColor Value) {
  FPopupList->SetTitleColor(Value);
}
TColor TKtDBLookupCombo::TitleFontColor() const {
  return FPopupList->TitleFontColor();
}
void TKtDBLookupCombo::SetTitleFontColor(TColor Value) {
  FPopupList->SetTitleFontColor(Value);
}

TEditCharCase TKtDBLookupCombo::CharCase() const {
  return FEdit->CharCase();
}

void TKtDBLookupCombo::SetCharCase(TEditCharCase Value) {
  FEdit->SetCharCase(Value);
  FDBEdit->SetCharCase(Value);
  RecreateWnd();
}

int TKtDBLookupCombo::MaxLength() const {
  return FEdit->MaxLength();
}

void TKtDBLookupCombo::SetMaxLength(int Value) {
  FEdit->SetMaxLength(Value);
  FDBEdit->SetMaxLength(Value);
}

bool TKtDBLookupCombo::UseRightToLeftAlignment() {
  return DBUseRightToLeftAlignment(this, FDataField);
}

bool TKtDBLookupCombo::ExecuteAction(TBasicAction* Action) {
  return TKtDBLookupControl::ExecuteAction(Action) || (FDataLink && FDataLink->ExecuteAction(Action));
}

bool TKtDBLookupCombo::UpdateAction(TBasicAction* Action) {
  return TKtDBLookupControl::UpdateAction(Action) || (FDataLink && FDataLink->UpdateAction(Action));
}

void TKtDBLookupCombo::DoOnSpecialEvent(TSpecialEventType Event) {
  CallEvent(FOnSpecialEvent, this, Event);
}

// ---------------------------------------------------------------------------------------------
// Edit text
// ---------------------------------------------------------------------------------------------

std::string TKtDBLookupCombo::GetEditText() {
  return FEdit->Visible() ? FEdit->Text() : FDBEdit->Text();
}

void TKtDBLookupCombo::SetEditText(const std::string& Value) {
  if (FDBEditActive) {
    if (FDBEdit->Text() != Value) FDBEdit->SetText(Value);
  } else if (FEdit->Text() != Value) {
    SetPlainEditText(Value);
  }
}

void TKtDBLookupCombo::SetPlainEditText(const std::string& Value) {
  TFlagScope setting(FSettingText, Alive());
  FEdit->SetText(Value);
}

void TKtDBLookupCombo::UpdateEdit() {
  auto alive = Alive();
  if ((FMasterField || !FAutoChange) && !FInternalChange && IsValueEmpty()) {
    SetPlainEditText(FEmptyDisplay);
  } else if (!FInternalChange && !IsValueEmpty()) {
    const std::string text = VarToStr(GetListValue());  // a calculated column's handler may free this
    if (alive && FEdit->Text() != text) SetPlainEditText(text);
  }
  if (!alive) return;
  if (!FKeyIsUnique) UpdateListValues();
}

void TKtDBLookupCombo::UpdateDisplay() {
  UpdateEdit();
}

void TKtDBLookupCombo::UpdateListFields() {
  auto alive = Alive();
  TKtDBLookupControl::UpdateListFields();
  FSearchText.clear();
  SetPlainEditText("");
  if (!alive) return;
  KeyValueChanged();
  if (!alive) return;
  FEdit->SetEnabled(Enabled());
  FDBEdit->SetEnabled(FEdit->Enabled());
  if (GetListSource() && FListActive && !FDataField) ListLinkDataChanged();
  if (!alive) return;
  if (FDataField && DataSource() && DataSource()->State() != dsInactive) DataLinkRecordChanged(FDataField);
  if (!alive) return;
  Invalidate();
}

bool TKtDBLookupCombo::CurrentRowHasKey(const Variant& Value) {
  return FKeyField && VariantsEqual(FKeyField->Value(), Value);
}

void TKtDBLookupCombo::ListLinkStateChanged() {
  auto alive = Alive();
  TDataSet* dataSet = FListLink->DataSet();
  if (FAllowEditing && Enabled()) {
    if (!FListLink->Editing() && !FEdit->Visible()) {
      // The lookup row was posted or cancelled: back to the plain edit.
      if (FMasterField) LocateKey();
      if (!alive) return;
      FEdit->Show();
      if (FDBEdit->Focused()) FEdit->SetFocus();  // exit handlers may free the combo
      if (!alive) return;
      FDBEdit->Hide();
      if (!alive) return;
      if (FAutoChange || CurrentRowHasKey(FKeyValue)) UpdateEdit();
    } else if (FListLink->Editing() && !FDBEditActive) {
      // The lookup row is being edited: the data-aware edit takes the plain edit's place.
      if (FListVisible) CloseUp(true, false);
      if (!alive) return;
      FDBEdit->Show();
      if (FEdit->Focused()) FDBEdit->SetFocus();
      if (!alive) return;
      FEdit->Hide();
      // A new row starts with what the user typed.
      if (dataSet && dataSet->State() == dsInsert && FDBEditActive && !FEdit->Text().empty() && FListField)
        FListField->SetEditText(FEdit->Text());
      if (!alive) return;
      FDBEdit->SelectAll();
    }
    return;
  }
  // Another control edits the lookup dataset. A bound combo shows the edited row's text only
  // when that row is its key's row; an unbound one follows the row with AutoChange.
  const bool onKeyRow = CurrentRowHasKey(FKeyValue);
  if (FMasterField ? !onKeyRow : (!FAutoChange && !onKeyRow)) return;
  if (FEdit->Visible()) UpdateEdit();
}

// ---------------------------------------------------------------------------------------------
// Window and focus
// ---------------------------------------------------------------------------------------------

void TKtDBLookupCombo::CreateParams(TCreateParams& Params) {
  TKtDBLookupControl::CreateParams(Params);
  if (NewStyleControls && Ctl3D())
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    Params.Style |= WS_BORDER;
}

void TKtDBLookupCombo::CreateWnd() {
  TKtDBLookupControl::CreateWnd();
  LayoutEdits();
  FEdit->Show();
}

void TKtDBLookupCombo::CMEnter(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FEntryKeyValue = FKeyValue;
  const bool pressed = ControlState().Contains(csLButtonDown) ||
                       FEdit->ControlState().Contains(csLButtonDown) ||
                       FDBEdit->ControlState().Contains(csLButtonDown);
  if (!pressed)
    FEdit->SelectAll();
  else if (FAlwaysAutoSelect)
    FSelectAllOnMouseUp = true;  // the click that entered selects all when it ends
  if (FDropDownOnEnter) DropDown();
}

void TKtDBLookupCombo::WMSetFocus(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FEdit->SetImeMode(FImeMode);
  FEdit->SetImeName(FImeName);
  FDBEdit->SetImeMode(FImeMode);
  FDBEdit->SetImeName(FImeName);
  // The combo's own window hands the focus to the edit that shows.
  if (FDBEditActive)
    FDBEdit->SetFocus();
  else
    FEdit->SetFocus();
}

void TKtDBLookupCombo::WMKillFocus(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  const HWND to = reinterpret_cast<HWND>(Message.WParam);
  if (to && (to == Handle() || (FPopupList->HandleAllocated() && to == FPopupList->Handle()) ||
             (FEdit->HandleAllocated() && to == FEdit->Handle())))
    return;
  CloseUpOnLeave();
}

bool TKtDBLookupCombo::Focused() const {
  return FEdit->Focused() || FDBEdit->Focused();
}

void TKtDBLookupCombo::CMGetDataLink(TMessage& Message) {
  Message.Result = reinterpret_cast<LRESULT>(static_cast<TDataLink*>(FDataLink));
}

// ---------------------------------------------------------------------------------------------
// Drop-down and close-up
// ---------------------------------------------------------------------------------------------

void TKtDBLookupCombo::DropDown() {
  if (FListVisible || !FListActive) return;
  auto alive = Alive();
  const bool hadFocus = Focused();
  TFlagScope internal(FInternalChange, alive);
  DoOnSpecialEvent(seDropDown);
  if (!alive) return;
  CallEvent(FOnDropDown, this);
  if (!alive || FListVisible || !FListActive) return;

  // The list takes the combo's look and the lookup binding.
  TKtPopupDataList* list = FPopupList;
  list->SetFont(Font());
  list->Font()->SetColor(FListFontColor);
  list->SetReadOnly(
      !(FListActive && !ReadOnly() && (!DataSource() || (FMasterField && FMasterField->CanModify()))));
  list->SetEmptyDisplay("");
  if (FEmptyShowInList && (!FAutoChange || FMasterField)) list->SetEmptyDisplay(FEmptyDisplay);

  // Rows: as many as the table has (and the empty row), up to DropDownRows.
  TDataSet* dataSet = FListLink->DataSet();
  const int records = dataSet ? dataSet->RecordCount() : 0;
  const int empty = list->EmptyDisplay().empty() ? 0 : 1;
  int rows = FDropDownRows;
  if (records >= 1 && records + empty < FDropDownRows && FDropDownRowsAutoDecrease) rows = records + empty;
  list->SetRowCount(rows);

  list->SetEmptyValue(FEmptyValue);
  list->SetEmptyItemColor(FEmptyItemColor);
  list->SetEmptyItemFontColor(FEmptyItemFontColor);
  list->SetKeyIsUnique(FKeyIsUnique);
  if (!alive) return;
  list->SetKeyField(FKeyFieldName);
  list->SetThumbTracking(FThumbTracking);
  list->SetToolTips(FToolTips);
  list->SetToolTipsDelimiter(FToolTipsDelimiter);

  // Width: the combo's, or the columns' when asked, or DropDownWidth.
  std::string names;
  int sum = 0;
  const int dw = Canvas()->TextWidth("0");
  for (TField* field : FListFields) {
    names += field->FieldName() + ";";
    sum += field->DisplayWidth() * dw;
  }
  sum += GetSystemMetrics(SM_CXVSCROLL);
  if (!FDropDownWidthFromListFlds) sum = 0;
  list->SetWidth(FDropDownWidth > 0 ? FDropDownWidth : std::max(sum, Width()));
  list->SetListField(names);
  const auto at = std::find(FListFields.begin(), FListFields.end(), FListField);
  list->SetListFieldIndex(static_cast<int>(at - FListFields.begin()));
  // Binding the list runs the lookup data's handlers: they may free the combo.
  list->SetListSource(FListLink->DataSource());
  if (!alive) return;
  list->SetKeyValue(FKeyValue);
  if (!alive) return;
  if (!FKeyIsUnique) {
    CopyListValues(this, list);
    LocateKey();
    if (!alive) return;
  }

  // A handler of the events above or of the lookup data may have moved the focus away: the
  // list then stays closed, as nothing would close it.
  if (hadFocus && !Focused()) {
    list->SetListSource(nullptr);
    return;
  }

  // Below the combo, or above it when the list would end below the screen.
  const TPoint corner = Parent() ? Parent()->ClientToScreen(TPoint{Left(), Top()}) : TPoint{Left(), Top()};
  int y = corner.Y + Height();
  if (corner.Y + Height() + list->Height() > Screen->Height()) y = corner.Y - list->Height();
  TDropDownAlign align = FDropDownAlign;
  if (DBUseRightToLeftAlignment(this, FListField)) {
    if (align == daLeft)
      align = daRight;
    else if (align == daRight)
      align = daLeft;
  }
  const int wider = list->Width() - Width();
  const int x = align == daLeft ? corner.X : align == daRight ? corner.X - wider : corner.X - wider / 2;
  SetWindowPos(list->Handle(), HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  FListVisible = true;
  Repaint();
}

void TKtDBLookupCombo::CloseUp(bool Accept, bool ListClicked) {
  DoCloseUp(Accept, ListClicked, false);
}

void TKtDBLookupCombo::CloseUpOnLeave() {
  DoCloseUp(FExitFillIfPartial, false, true);
}

bool TKtDBLookupCombo::TextLeadsCurrentRow() {
  const std::string text = GetEditText();
  return !text.empty() && StartsWithText(text, VarToStr(GetListValue()));
}

void TKtDBLookupCombo::DoCloseUp(bool Accept, bool ListClicked, bool Leaving) {
  if (!FListVisible) return;
  auto alive = Alive();
  const bool refused = !Accept;  // Escape, Alt+Up, the button: the user took nothing
  if (!ReadOnly() && FValidateOnAccept && !ListClicked && Accept) {
    if (Leaving) {
      // The focus goes elsewhere: an entry that does not validate is simply not taken.
      if (!TextLeadsCurrentRow()) Accept = false;
    } else if (!IsEntryValid()) {
      return;  // the message has been shown; the list stays open
    }
    if (!alive) return;
  }
  // A handler that raises keeps the list open, except when the focus leaves: then the list
  // closes taking nothing, and the error passes on afterwards.
  TFirstError error;
  if (Leaving)
    error.Run([&] { DoOnSpecialEvent(seCloseUp); });
  else
    DoOnSpecialEvent(seCloseUp);
  if (!alive || !FListVisible) return error.Raise();
  error.Run([&] { FinishCloseUp(Accept && !error.Failed(), ListClicked, refused); });
  error.Raise();
}

void TKtDBLookupCombo::FinishCloseUp(bool Accept, bool ListClicked, bool Refused) {
  auto alive = Alive();
  // Ends the list's own drag selection, if any.
  if (HWND capture = GetCapture()) {
    SendMessage(capture, WM_CANCELMODE, 0, 0);
    if (!alive) return;
  }
  const Variant key = FPopupList->KeyValue();
  CopyListValues(FPopupList, this);
  FPopupList->HideToolTip();
  SetWindowPos(FPopupList->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  FListVisible = false;
  FPopupList->SetListSource(nullptr);
  Invalidate();

  bool take = Accept && CanModify();
  if (!alive) return;
  take = take && (ListClicked || TextLeadsCurrentRow());
  if (take) {
    try {
      SelectKeyValue(key);
    } catch (...) {
      // The field refused the row: the combo shows the key the field holds, then the error
      // goes on.
      if (alive && FMasterField) {
        SetKeyValue(FMasterField->Value());
        if (alive) UpdateEdit();
      }
      throw;
    }
    if (!alive) return;
    UpdateEdit();
  } else {
    {
      TFlagScope internal(FInternalChange, alive);
      // A bound combo's key is its field's again (the keys may have moved the key while the
      // list was open); the text stays for the exit rules.
      if (FMasterField) SetKeyValue(FMasterField->Value());
      if (!alive) return;
      LocateKey();
      if (!alive) return;
      if (FKeyValue.IsNull())
        if (TDataSet* dataSet = FListLink->DataSet(); dataSet && dataSet->Active()) dataSet->First();
    }
    // When the user took nothing (Escape, Alt+Up, the button), the text follows the key too.
    if (!alive) return;
    if (Refused && FMasterField) UpdateEdit();
  }
  if (!alive) return;
  FEdit->SelectAll();
  CallEvent(FOnCloseUp, this);
}

void TKtDBLookupCombo::ListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft) return;
  CloseUp(PtInRect(FPopupList->ClientRect(), TPoint{X, Y}), true);
}

// ---------------------------------------------------------------------------------------------
// Keyboard and wheel
// ---------------------------------------------------------------------------------------------

void TKtDBLookupCombo::KeyPress(char& Key) {
  auto alive = Alive();
  TKtDBLookupControl::KeyPress(Key);
  if (!alive) return;
  if (static_cast<unsigned char>(Key) >= 32 && FListField && !FListField->IsValidChar(Key)) {
    MessageBeep(0);
    Key = 0;
  }
  if (Key == '\x1b') {
    if (!FListVisible) {
      if (!FDataLink->DataSource())
        SelectKeyValue(FEntryKeyValue);  // the key the combo had when it was entered
      else if (FEscapeCancel && FDataLink->Active() && FDataLink->Editing())
        FDataLink->DataSet()->Cancel();
      if (!alive) return;
    }
    // Moving the lookup dataset runs handlers that may free the combo.
    const bool located = LocateKey();
    if (!alive) return;
    if (located || !FDataField)
      UpdateEdit();
    else
      SetEditText(FDataField->AsString());  // the key is not in the lookup dataset
    if (!alive) return;
  }
  if (Key == '\r') {
    DoOnSpecialEvent(seEnterKey);
    if (!alive) return;
  }
  if (Key == '\r' || Key == '\x1b') {
    if (FListVisible)
      CloseUp(Key == '\r', false);
    else if (Key == '\r')
      FEdit->SelectAll();
  } else if (Key != 0) {
    FEdit->FAutoCompletePending = FAutoComplete && static_cast<unsigned char>(Key) >= 32;
    // A character still on its way to the edit after the focus moved on opens nothing.
    if (!FListVisible && FAutoDropDown && Focused()) {
      TFlagScope internal(FInternalChange, alive);
      DropDown();
    }
  }
}

void TKtDBLookupCombo::KeyDown(Word& Key, TShiftState Shift) {
  auto alive = Alive();
  TKtDBLookupControl::KeyDown(Key, Shift);
  if (!alive) return;
  if (FListActive && (Key == VK_UP || Key == VK_DOWN)) {
    if (Shift.Contains(ssAlt)) {
      if (FListVisible) {
        if (FMasterField && VariantsEqual(FMasterField->Value(), GetKeyValue()))
          CloseUp(false, false);
        else
          CloseUp(true, false);
      } else {
        DropDown();
      }
      if (!alive) return;
      Key = 0;
    } else if (!FListVisible) {
      StepSelection(Key == VK_UP ? -1 : 1, true);
      if (!alive) return;
      Key = 0;
      UpdateEdit();
      if (!alive) return;
      FEdit->SelectAll();
    }
  }
  const bool navigation =
      Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_UP || Key == VK_DOWN;
  if (navigation && FListVisible) {
    // The open list moves its selection; the combo shows it without writing the field.
    FPopupList->KeyDown(Key, Shift);
    if (!alive) return;
    SetKeyValue(FPopupList->KeyValue());
    if (!alive) return;
    UpdateEdit();
    if (!alive) return;
    FPopupList->Repaint();
    FEdit->SelectAll();
    Key = 0;
  } else if (Key == VK_DELETE && FListActive && !FListVisible) {
    DropDown();
  }
}

void TKtDBLookupCombo::StepSelection(int Direction, bool FromKey) {
  TDataSet* dataSet = FListLink->DataSet();
  if (!dataSet || !FKeyField) return;
  auto alive = Alive();
  int step = 0;
  if (Direction < 0) {
    if (!dataSet->BOF() || (EmptyItemVisible() && !FKeyValue.IsNull())) step = -1;
  } else if (!dataSet->EOF()) {
    step = 1;
  }
  if (step == 0) return;
  bool moved = true;
  if (FKeyValue.IsNull()) {
    if (step == 1) dataSet->First();  // from the empty state to the first row
  } else {
    KeyValueChanged();  // on the current key's row first
    // The lookup data's handlers may have unbound the combo or freed its data set.
    if (!alive) return;
    dataSet = FListLink->DataSet();
    if (!dataSet) return;
    moved = dataSet->MoveBy(step) < 0;
  }
  if (!alive || !FKeyField) return;
  if (EmptyItemVisible() && step == -1 && !moved) {
    SelectKeyValue(Variant(Null));  // up from the first row: the empty row
    return;
  }
  const Variant key = FKeyField->Value();
  // Rows sharing the field's key: the text follows the row, nothing is written.
  if (FromKey && !FKeyIsUnique && FMasterField && VariantsEqual(FMasterField->Value(), key)) return;
  SelectKeyValue(key);
}

bool TKtDBLookupCombo::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  auto alive = Alive();
  HideToolTip();
  if (FListVisible) return FPopupList->DoMouseWheel(Shift, WheelDelta, MousePos);
  if (FListActive) {
    StepSelection(WheelDelta > 0 ? -1 : 1, false);
    if (!alive) return true;
    UpdateEdit();
    if (!alive) return true;
    FEdit->SelectAll();
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Data notifications
// ---------------------------------------------------------------------------------------------

void TKtDBLookupCombo::KeyValueChanged() {
  auto alive = Alive();
  // The lookup dataset stands on the key's row, in lookup mode too.
  if (FListActive && !CurrentRowHasKey(FKeyValue)) {
    LocateKey();
    if (!alive) return;
    // Rows that share a key are told apart by their remembered list values; a key that no
    // remembered row holds is found by the key itself.
    // (The move's handlers may have unbound the lookup data.)
    TDataSet* dataSet = FListLink->DataSet();
    if (dataSet && !FKeyIsUnique && !FKeyValue.IsNull() && !CurrentRowHasKey(FKeyValue)) {
      try {
        dataSet->Locate(FKeyFieldName, FKeyValue, {});
      } catch (...) {
      }
      if (!alive) return;
    }
  }
  if (FListVisible && !CurrentRowHasKey(FPopupList->KeyValue())) {
    FPopupList->SetKeyValue(FKeyValue);
    if (!alive) return;
  }
  // A key the lookup dataset lacks never shows another row's text: a bound combo shows the
  // field's own text, an unbound one none.
  if (FListActive && !FKeyValue.IsNull() && !CurrentRowHasKey(FKeyValue)) {
    if (!FInternalChange) SetEditText(FDataField ? FDataField->AsString() : std::string());
    return;
  }
  UpdateEdit();
}

void TKtDBLookupCombo::ListLinkDataChanged() {
  TDataSource* source = FListLink->DataSource();
  if (!source || source->State() != dsBrowse || FMasterField || !FKeyField || FInternalChange ||
      FListVisible || !FAutoChange)
    return;
  // An unbound combo follows the record the application moves the lookup dataset to.
  auto alive = Alive();
  SelectKeyValue(FKeyField->Value());
  if (!alive) return;
  UpdateEdit();
  if (!alive) return;
  if (FEdit->Focused()) FEdit->SelectAll();
}

void TKtDBLookupCombo::DataLinkRecordChanged(TField* Field) {
  auto alive = Alive();
  TKtDBLookupControl::DataLinkRecordChanged(Field);
  if (!alive || FInternalChange || Field != FDataField || !FEdit) return;
  if (FDataField && !FDataField->IsNull()) {
    // Moving the lookup dataset runs handlers that may unbind the combo.
    const bool located = LocateKey();
    if (!alive) return;
    if (located)
      UpdateEdit();
    else if (FDataField)
      SetEditText(FDataField->AsString());  // a key that the lookup dataset lacks
  } else if (IsValueEmpty()) {
    UpdateEdit();
  } else {
    SetEditText("");
  }
  if (!alive) return;
  if (FEdit->Focused()) FEdit->SelectAll();
}

// ---------------------------------------------------------------------------------------------
// Validation and exit
// ---------------------------------------------------------------------------------------------

bool TKtDBLookupCombo::IsEntryValid() {
  if (TextLeadsCurrentRow()) return true;
  MessageDlg(FValidateErrMsg, mtError, {mbOK}, 0);
  return false;
}

bool TKtDBLookupCombo::TextFoundInList(TLocateOptions Options) {
  try {
    TDataSet* dataSet = FListLink->DataSet();
    if (!dataSet || !FListField) return false;
    return dataSet->Locate(FListField->FieldName(), Variant(GetEditText()), Options);
  } catch (...) {
    return false;
  }
}

void TKtDBLookupCombo::CMExit(TMessage& Message) {
  auto alive = Alive();
  // A partial entry is filled with the row it leads.
  if (FExitFillIfPartial && TextLeadsCurrentRow()) UpdateEdit();
  if (!alive) return;
  if (GetEditText().empty() && !FDataLink->DataSource() && FExitFillFirstIfBlank) {
    if (TDataSet* dataSet = FListLink->DataSet(); dataSet && dataSet->Active()) dataSet->First();
  } else if ((FMasterField || !FAutoChange) && IsValueEmpty()) {
    UpdateEdit();
  }
  if (!alive) return;
  if (FDBEditActive) {
    FDBEdit->Perform(CM_EXIT, Message.WParam, Message.LParam);
    if (!alive) return;
  }
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupCombo::DoExit() {
  auto alive = Alive();
  const std::string text = GetEditText();
  if (FListActive && !FDBEditActive && !text.empty() && FOnExitWhenNotInList &&
      CompareText(text, VarToStr(GetListValue())) != 0) {
    CallEvent(FOnExitWhenNotInList, this);
    if (!alive) return;
  }
  TKtDBLookupControl::DoExit();
  if (!alive) return;
  DoOnSpecialEvent(seLostFocus);
}

// ---------------------------------------------------------------------------------------------
// Painting and the button
// ---------------------------------------------------------------------------------------------

void TKtDBLookupCombo::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  (void)AHeight;  // the height follows the font and the frame
  const int height = TKtDBLookupControl::GetTextHeight() + GetBorderSize() + 4;
  auto alive = Alive();  // an OnResize handler may free the combo
  TKtDBLookupControl::SetBounds(ALeft, ATop, AWidth, height);
  if (alive && Parent()) LayoutEdits();
}

void TKtDBLookupCombo::LayoutEdits() {
  if (!FEdit) return;
  FEdit->SetBounds(1, 1, Width() - FButtonWidth - 5, Height() - 5);
  FDBEdit->SetBounds(0, 0, Width(), Height());
}

TRect TKtDBLookupCombo::ButtonRect() {
  const TRect client = ClientRect();
  return TRect{client.Right - FButtonWidth, 0, client.Right, client.Bottom};
}

void TKtDBLookupCombo::Paint() {
  if (FDBEditActive) return;  // the data-aware edit covers everything
  UINT state = DFCS_SCROLLCOMBOBOX;
  if (!FListActive || !Enabled())
    state |= DFCS_INACTIVE;
  else if (FButtonPressed)
    state |= DFCS_PUSHED | DFCS_FLAT;
  TRect button = ButtonRect();
  DrawFrameControl(Canvas()->Handle(), button, DFC_SCROLL, state);
}

void TKtDBLookupCombo::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = Alive();
  if (Button == mbLeft && FEdit->Visible() && PtInRect(ButtonRect(), TPoint{X, Y})) {
    CallEvent(FOnButtonClick, this);
    if (!alive) return;
    FEdit->SetFocus();
    if (!alive) return;
    // A list opened while the focus is elsewhere (another control refused to give it up)
    // would stay open with nothing to close it.
    if (!Focused()) return TKtDBLookupControl::MouseDown(Button, Shift, X, Y);
    if (FListVisible) {
      if (FMasterField && !VariantsEqual(FMasterField->Value(), GetKeyValue()))
        CloseUp(true, false);
      else
        CloseUp(false, false);
    } else if (FListActive) {
      SetMouseCapture(true);
      FTracking = true;
      TrackButton(X, Y);
      DropDown();
      if (!alive) return;
      FEdit->SelectAll();
    }
    if (!alive) return;
  }
  TKtDBLookupControl::MouseDown(Button, Shift, X, Y);
}

void TKtDBLookupCombo::MouseMove(TShiftState Shift, int X, int Y) {
  if (FTracking) {
    TrackButton(X, Y);
    if (FListVisible) {
      // Dragged from the button into the open list: the list goes on as if pressed there.
      const TPoint p = FPopupList->ScreenToClient(ClientToScreen(TPoint{X, Y}));
      if (PtInRect(FPopupList->ClientRect(), p)) {
        StopTracking();
        const LPARAM packed = static_cast<LPARAM>((static_cast<std::uint32_t>(p.Y & 0xFFFF) << 16) |
                                                  static_cast<std::uint32_t>(p.X & 0xFFFF));
        SendMessage(FPopupList->Handle(), WM_LBUTTONDOWN, 0, packed);
        return;
      }
    }
  }
  TKtDBLookupControl::MouseMove(Shift, X, Y);
}

void TKtDBLookupCombo::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  StopTracking();
  TKtDBLookupControl::MouseUp(Button, Shift, X, Y);
}

void TKtDBLookupCombo::TrackButton(int X, int Y) {
  const bool pressed = PtInRect(ButtonRect(), TPoint{X, Y});
  if (pressed == FButtonPressed) return;
  FButtonPressed = pressed;
  Repaint();
}

void TKtDBLookupCombo::StopTracking() {
  if (!FTracking) return;
  TrackButton(-1, -1);
  FTracking = false;
  SetMouseCapture(false);
}

// ---------------------------------------------------------------------------------------------
// Tooltip and messages
// ---------------------------------------------------------------------------------------------

void TKtDBLookupCombo::ActivateToolTip(const std::string& Text, int Width) {
  const int textWidth = Canvas()->TextWidth(Text);
  if (FToolTips && !FToolTipShown && Width < textWidth) {
    FToolTipWindow->Canvas()->SetFont(FToolTipWindow->Font());
    FToolTipWindow->Canvas()->Font()->SetColor(clInfoText);
    TRect rect = FToolTipWindow->CalcHintRect(cToolTipMaxWidth, Text, nullptr);
    const TPoint origin = ClientToScreen(TPoint{-BorderWidth() - 2, -BorderWidth() - 2});
    OffsetRect(rect, origin.X, origin.Y);
    FToolTipWindow->ActivateHint(rect, Text);
    SetTimer(Handle(), cToolTipTimerID, cToolTipTimerInterval);
    FToolTipActive = true;
    FToolTipShown = true;
  } else if (FToolTipActive && Width >= textWidth) {
    HideToolTip();  // the text fits now
  }
}

void TKtDBLookupCombo::HideToolTip() {
  if (!FToolTipActive) return;
  FToolTipWindow->ReleaseHandle();
  StopTimer();
}

void TKtDBLookupCombo::StopTimer() {
  if (!FToolTipActive) return;
  if (HandleAllocated()) KillTimer(Handle(), cToolTipTimerID);
  FToolTipActive = false;
}

void TKtDBLookupCombo::FlagFullRePaint() {
  if (!HandleAllocated()) return;
  const TRect r{0, 0, Width(), Height()};
  InvalidateRect(Handle(), &r, true);
}

void TKtDBLookupCombo::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_BIDIMODECHANGED: return CMBiDiModeChanged(Message);
    case CM_CANCELMODE: return CMCancelMode(Message);
    case CM_COLORCHANGED: return CMColorChanged(Message);
    case CM_CTL3DCHANGED: return CMCtl3DChanged(Message);
    case CM_CURSORCHANGED: return CMCursorChanged(Message);
    case CM_DIALOGKEY: return CMDialogKey(Message);
    case CM_ENABLEDCHANGED: return CMEnabledChanged(Message);
    case CM_ENTER: return CMEnter(Message);
    case CM_EXIT: return CMExit(Message);
    case CM_FONTCHANGED: return CMFontChanged(Message);
    case CM_GETDATALINK: return CMGetDataLink(Message);
    case CM_MOUSELEAVE: return CMMouseLeave(Message);
    case WM_CANCELMODE: return WMCancelMode(Message);
    case WM_KILLFOCUS: return WMKillFocus(Message);
    case WM_SETFOCUS: return WMSetFocus(Message);
    case WM_TIMER: return WMTimer(Message);
    default: return TKtDBLookupControl::Dispatch(Message);
  }
}

void TKtDBLookupCombo::WMTimer(TMessage& Message) {
  if (Message.WParam == cToolTipTimerID) HideToolTip();
}

void TKtDBLookupCombo::CMMouseLeave(TMessage& Message) {
  HideToolTip();
  FToolTipShown = false;
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupCombo::WMCancelMode(TMessage& Message) {
  StopTracking();
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupCombo::CMColorChanged(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FlagFullRePaint();
}

void TKtDBLookupCombo::CMFontChanged(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (alive) SetHeight(0);  // the height follows the new font
}

void TKtDBLookupCombo::CMCtl3DChanged(TMessage& Message) {
  auto alive = Alive();
  if (NewStyleControls) {
    RecreateWnd();
    if (alive) SetHeight(0);
    if (!alive) return;
  }
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupCombo::CMCursorChanged(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FEdit->SetCursor(Cursor());
  FDBEdit->SetCursor(Cursor());
  Invalidate();
}

void TKtDBLookupCombo::CMEnabledChanged(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FEdit->SetEnabled(Enabled());
  FDBEdit->SetEnabled(FEdit->Enabled());
  Invalidate();
}

void TKtDBLookupCombo::CMBiDiModeChanged(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FPopupList->SetBiDiMode(BiDiMode());
}

void TKtDBLookupCombo::CMDialogKey(TMessage& Message) {
  // Enter and Escape close an open list before the form's default and cancel buttons see them.
  if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && FListVisible) {
    CloseUp(Message.WParam == VK_RETURN, false);
    Message.Result = 1;
    return;
  }
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupCombo::CMCancelMode(TMessage& Message) {
  auto* sender = reinterpret_cast<TControl*>(Message.LParam);
  if (sender == this || sender == FPopupList || sender == FEdit) return;
  auto alive = Alive();
  DoOnSpecialEvent(seCancelMode);
  if (!alive) return;
  CloseUpOnLeave();
}

}  // namespace ktlookup
