#include "lookup/combo/db_combo_edit.h"

#include "lookup/combo/combo_edit.h"
#include "lookup/combo/lookup_combo.h"
#include "platform/vcl/form.h"

namespace ktlookup {

using namespace vcl;

TKtDBComboEdit::TKtDBComboEdit(TComponent* AOwner) : TDBEdit(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetParentCtl3D(true);
  SetTabStop(false);
  SetBorderStyle(bsSingle);
  SetParentColor(true);
  SetParentFont(true);
}

TField* TKtDBComboEdit::GetListField() const {
  return FCombo->FListField;
}

bool TKtDBComboEdit::Visible() {
  return HandleAllocated() && IsWindowVisible(Handle());
}

void TKtDBComboEdit::Show() {
  TField* field = GetListField();
  if (!field || Visible()) return;
  SetDataSource(FCombo->FListLink->DataSource());
  SetDataField(field->FieldName());
  // Over the combo's frame, with a frame of its own.
  const int d = -FCombo->GetBorderSize() / 2;
  SetWindowPos(Handle(), HWND_TOP, d, d, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  FCombo->FDBEditActive = true;
}

void TKtDBComboEdit::Hide() {
  if (!Visible()) return;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
  SetDataSource(nullptr);
  FCombo->FDBEditActive = false;
}

void TKtDBComboEdit::SetFocus() {
  if (Visible()) vcl::SetFocus(Handle());
}

void TKtDBComboEdit::CMShowingChanged(TMessage&) {}  // the combo shows and hides the edit

// The lookup dataset is editing already while this edit shows.
bool TKtDBComboEdit::EditCanModify() {
  return FCombo->FListActive && !FCombo->GetReadOnly();
}

void TKtDBComboEdit::Change() {
  auto alive = FCombo->Alive();
  FCombo->FToolTipShown = false;
  CallEvent(FCombo->FOnChange, FCombo);
  if (!alive) return;
  TDBEdit::Change();
}

void TKtDBComboEdit::KeyDown(Word& Key, TShiftState Shift) {
  auto alive = FCombo->Alive();
  if (Key == VK_DELETE && !EditCanModify()) {
    Key = 0;
  } else {
    CallEvent(FCombo->OnKeyDown(), FCombo, Key, Shift);
    if (!alive) return;
  }
  TDBEdit::KeyDown(Key, Shift);
}

void TKtDBComboEdit::KeyPress(char& Key) {
  auto alive = FCombo->Alive();
  if (!EditCanModify()) {
    Key = 0;
  } else {
    CallEvent(FCombo->OnKeyPress(), FCombo, Key);
    if (!alive) return;
  }
  ApplyCapitalisation(this, FCombo->FCapitalAfterSpace, FCombo->FCapitalFirstLetter, Key);
  TDBEdit::KeyPress(Key);
}

void TKtDBComboEdit::KeyUp(Word& Key, TShiftState Shift) {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnKeyUp(), FCombo, Key, Shift);
  if (!alive) return;
  TDBEdit::KeyUp(Key, Shift);
}

void TKtDBComboEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnMouseDown(), FCombo, Button, Shift, X, Y);
  if (!alive) return;
  TDBEdit::MouseDown(Button, Shift, X, Y);
}

void TKtDBComboEdit::MouseMove(TShiftState Shift, int X, int Y) {
  auto alive = FCombo->Alive();
  FCombo->ActivateToolTip(Text(), Width());
  CallEvent(FCombo->OnMouseMove(), FCombo, Shift, X, Y);
  if (!alive) return;
  TDBEdit::MouseMove(Shift, X, Y);
}

void TKtDBComboEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnMouseUp(), FCombo, Button, Shift, X, Y);
  if (!alive) return;
  TDBEdit::MouseUp(Button, Shift, X, Y);
  if (!alive) return;
  if (FCombo->FSelectAllOnMouseUp) {
    SelectAll();
    FCombo->FSelectAllOnMouseUp = false;
  }
}

void TKtDBComboEdit::Click() {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnClick(), FCombo);
  if (!alive) return;
  TDBEdit::Click();
}

void TKtDBComboEdit::DblClick() {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->FOnDblClick, FCombo);
  if (!alive) return;
  TDBEdit::DblClick();
}

void TKtDBComboEdit::DoContextPopup(TPoint MousePos, bool& Handled) {
  CallEvent(FCombo->OnContextPopup(), FCombo, MousePos, Handled);
}

void TKtDBComboEdit::WMLButtonDown(TMessage& Message) {
  auto alive = Alive();
  TDBEdit::WMLButtonDown(Message);
  if (!alive) return;
  if (GetMessageTime() - FLastDblClickTime < GetDoubleClickTime()) SelectAll();
  FLastDblClickTime = 0;
}

void TKtDBComboEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TKtDBLookupCombo* combo = FCombo;
      if (combo->ComponentState().Contains(csDestroying)) break;
      auto alive = combo->Alive();
      TForm* form = GetParentForm(this);
      if (!form || form->SetFocusedControl(combo)) Dispatch(Message);
      if (!alive) return;
      InstallComboMouseHook(combo);
      combo->DoOnSpecialEvent(seGotFocus);
      return;
    }
    case WM_KILLFOCUS: RemoveComboMouseHook(); break;
    case WM_LBUTTONDBLCLK: FLastDblClickTime = GetMessageTime(); break;
    default: break;
  }
  TDBEdit::WndProc(Message);
}

void TKtDBComboEdit::WMKillFocus(TMessage& Message) {
  TDBEdit::WMKillFocus(Message);
  RemoveComboMouseHook();
}

}  // namespace ktlookup
