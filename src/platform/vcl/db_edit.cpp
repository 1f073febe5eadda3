#include "platform/vcl/db_edit.h"

#include "platform/win/window_system.h"

namespace vcl {

TDBEdit::TDBEdit(TComponent* AOwner)
    : TCustomMaskEdit(AOwner), FDataLink(std::make_unique<TFieldDataLink>()) {
  TCustomEdit::SetReadOnly(true);
  FControlStyle.Include(csReplicatable);
  FDataLink->SetControl(this);
  FDataLink->SetOnDataChange([this](TObject*) { DataChange(); });
  FDataLink->SetOnEditingChange([this](TObject*) { EditingChange(); });
  FDataLink->SetOnUpdateData([this](TObject*) { UpdateData(); });
  FDataLink->SetOnFocusRequest([this](TFieldDataLink*) {
    if (!CanFocus()) return false;
    SetFocus();
    return true;
  });
}

TDBEdit::~TDBEdit() {
  // The link goes first, quietly: nothing may call back into a control being destroyed.
  FDataLink->SetOnDataChange(nullptr);
  FDataLink->SetOnEditingChange(nullptr);
  FDataLink->SetOnUpdateData(nullptr);
  FDataLink->SetOnFocusRequest(nullptr);
  FDataLink.reset();
}

void TDBEdit::SetDataSource(TDataSource* Value) {
  if (FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)) return;
  // Moving to the source shows its field: an OnChange handler may free this edit or the
  // source meanwhile.
  auto alive = Alive();
  auto valueAlive = Value ? Value->Alive() : TAliveToken();
  FDataLink->SetDataSource(Value);
  if (alive && Value && valueAlive) Value->FreeNotification(this);
}

void TDBEdit::SetReadOnly(bool Value) {
  FDataLink->SetReadOnly(Value);
  EditingChange();
}

void TDBEdit::Reset() {
  auto alive = Alive();
  FDataLink->Reset();  // an OnChange handler may free this edit
  if (alive) SelectAll();
}

void TDBEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomMaskEdit::Notification(AComponent, Operation);
  if (Operation == opRemove && FDataLink && AComponent == DataSource()) SetDataSource(nullptr);
}

bool TDBEdit::ExecuteAction(TBasicAction* Action) {
  return TCustomMaskEdit::ExecuteAction(Action) || FDataLink->ExecuteAction(Action);
}

bool TDBEdit::UpdateAction(TBasicAction* Action) {
  return TCustomMaskEdit::UpdateAction(Action) || FDataLink->UpdateAction(Action);
}

// ---- following the field --------------------------------------------------------------------

void TDBEdit::DataChange() {
  TField* field = FDataLink->Field();
  if (!field) {
    SetText(ComponentState().Contains(csDesigning) ? Name() : std::string());
    return;
  }
  if (field->DataType() == ftString && MaxLength() == 0 && !ComponentState().Contains(csDesigning))
    SetMaxLength(field->Size());
  // Reading a calculated or lookup field runs handlers that may free this edit.
  auto alive = Alive();
  const std::string text = FFocused && FDataLink->CanModify() ? field->EditText() : field->DisplayText();
  if (alive) SetText(text);
}

void TDBEdit::EditingChange() {
  TCustomEdit::SetReadOnly(!FDataLink->Editing());
}

void TDBEdit::UpdateData() {
  FDataLink->Field()->SetText(Text());
}

void TDBEdit::SetFocused(bool Value) {
  if (FFocused == Value) return;
  FFocused = Value;
  FDataLink->Reset();
}

// ---- editing --------------------------------------------------------------------------------

bool TDBEdit::EditCanModify() {
  return FDataLink->Edit();
}

void TDBEdit::Change() {
  FDataLink->Modified();
  TCustomMaskEdit::Change();
}

void TDBEdit::KeyDown(Word& Key, TShiftState Shift) {
  auto alive = Alive();
  TCustomMaskEdit::KeyDown(Key, Shift);
  if (alive && (Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift)))) FDataLink->Edit();
}

void TDBEdit::KeyPress(char& Key) {
  auto alive = Alive();
  TWinControl::KeyPress(Key);  // OnKeyPress sees the key first
  if (!alive) return;
  TField* field = FDataLink->Field();
  if (static_cast<unsigned char>(Key) >= 32 && field && !field->IsValidChar(Key)) {
    MessageBeep(0);
    Key = 0;
  }
  if (Key == 27) {
    Reset();
    Key = 0;
  } else if (IsEditingChar(Key)) {
    FDataLink->Edit();  // a state handler may free this edit
    if (!alive) return;
    if (!EditCanModify()) Key = 0;
  }
}

void TDBEdit::WMCut(TMessage& Message) {
  auto alive = Alive();
  FDataLink->Edit();  // a state handler may free this edit
  if (alive) TCustomMaskEdit::WMCut(Message);
}

void TDBEdit::WMPaste(TMessage& Message) {
  auto alive = Alive();
  FDataLink->Edit();  // a state handler may free this edit
  if (alive) TCustomMaskEdit::WMPaste(Message);
}

void TDBEdit::CMEnter(TMessage& Message) {
  auto alive = Alive();
  SetFocused(true);  // an OnChange handler may free this edit
  if (alive) TCustomMaskEdit::CMEnter(Message);
}

void TDBEdit::CMExit(TMessage& Message) {
  // The field's OnValidate and OnChange, and the OnChange of this edit, may free this edit.
  auto alive = Alive();
  try {
    FDataLink->UpdateRecord();
  } catch (...) {
    if (alive) {
      SelectAll();
      if (CanFocus()) SetFocus();
    }
    throw;
  }
  if (!alive) return;
  SetFocused(false);
  if (alive) TCustomMaskEdit::CMExit(Message);
}

void TDBEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_GETDATALINK) {
    Message.Result = reinterpret_cast<LRESULT>(FDataLink.get());
    return;
  }
  TCustomMaskEdit::Dispatch(Message);
}

}  // namespace vcl
