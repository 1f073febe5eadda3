#include "lookup/combo/combo_edit.h"

#include <memory>

#include "lookup/combo/db_combo_edit.h"
#include "lookup/combo/lookup_combo.h"
#include "platform/vcl/form.h"

namespace ktlookup {

using namespace vcl;

// ---------------------------------------------------------------------------------------------
// The module's mouse hook
// ---------------------------------------------------------------------------------------------

namespace {

HHOOK gMouseHookHandle = 0;
TKtDBLookupCombo* gMouseHookCombo = nullptr;

bool IsHandleOf(TWinControl* Control, HWND Wnd) {
  return Control && Control->HandleAllocated() && Control->Handle() == Wnd;
}

}  // namespace

HHOOK MouseHookHandle() {
  return gMouseHookHandle;
}
TKtDBLookupCombo* MouseHookCombo() {
  return gMouseHookCombo;
}

bool ParentIsMDIForm(TControl* Control) {
  TForm* form = GetParentForm(Control);
  return form && form->FormStyle() == fsMDIForm;
}

// A press outside the combo, its list and its edits closes the list. The hook never consumes
// the message.
LRESULT ComboMouseHookProc(int Code, WPARAM WParam, LPARAM LParam) {
  const HHOOK hook = gMouseHookHandle;
  TKtDBLookupCombo* combo = gMouseHookCombo;
  const auto* info = reinterpret_cast<const MOUSEHOOKSTRUCT*>(LParam);
  if (Code == HC_ACTION && combo && info) {
    const HWND target = info->hwnd;
    TForm* form = GetParentForm(combo);
    const bool rightPress =
        (form && form->HandleAllocated() && form->Handle() == target && WParam == WM_NCRBUTTONDOWN &&
         (info->wHitTestCode == HTCAPTION || info->wHitTestCode == HTSYSMENU)) ||
        (WParam == WM_RBUTTONDOWN && info->wHitTestCode == HTCLIENT);
    const bool press = WParam == WM_LBUTTONDOWN || WParam == WM_NCLBUTTONDOWN || rightPress;
    if (press && !IsHandleOf(combo, target) && !IsHandleOf(combo->FPopupList, target) &&
        !IsHandleOf(combo->FEdit, target) && !IsHandleOf(combo->FDBEdit, target)) {
      auto alive = combo->Alive();
      combo->DoOnSpecialEvent(seCancelMode);
      if (alive) combo->CloseUpOnLeave();
    }
  }
  return CallNextHookEx(hook, Code, WParam, LParam);
}

void InstallComboMouseHook(TKtDBLookupCombo* Combo) {
  if (gMouseHookHandle || !ParentIsMDIForm(Combo)) return;
  gMouseHookHandle = SetWindowsHookExA(WH_MOUSE, ComboMouseHookProc, nullptr, GetCurrentThreadId());
  gMouseHookCombo = Combo;
}

void RemoveComboMouseHook() {
  if (gMouseHookHandle) UnhookWindowsHookEx(gMouseHookHandle);
  gMouseHookHandle = 0;
  gMouseHookCombo = nullptr;
}

void ReleaseComboMouseHook(TKtDBLookupCombo* Combo) {
  if (gMouseHookCombo == Combo) RemoveComboMouseHook();
}

// ---------------------------------------------------------------------------------------------
// The edit window
// ---------------------------------------------------------------------------------------------

TKtComboEdit::TKtComboEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csReplicatable});
  SetParentCtl3D(false);
  SetCtl3D(false);
  SetTabStop(false);
  SetBorderStyle(bsNone);
  SetParentColor(true);
  SetParentFont(true);
}

TField* TKtComboEdit::GetListField() const {
  return FCombo->FListField;
}

bool TKtComboEdit::Visible() {
  return HandleAllocated() && IsWindowVisible(Handle());
}

void TKtComboEdit::Show() {
  if (!Visible()) SetWindowPos(Handle(), HWND_TOP, 1, 1, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SelectAll();
  FEditShown = true;
}

void TKtComboEdit::Hide() {
  if (Visible()) SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
  FEditShown = false;
}

void TKtComboEdit::SetFocus() {
  if (FCombo->TControl::Visible() && FEditShown) vcl::SetFocus(Handle());
}

void TKtComboEdit::CMShowingChanged(TMessage&) {}  // the combo shows and hides the edit

// ---------------------------------------------------------------------------------------------
// Whether the text may change, and whether the new text is in the list
// ---------------------------------------------------------------------------------------------

bool TKtComboEdit::EditCanModify() {
  TKtDBLookupCombo* combo = FCombo;
  TFlagScope internal(combo->FInternalChange, combo->Alive());
  auto alive = combo->Alive();
  if (!combo->CanModify()) return false;
  if (!alive) return false;
  if (!combo->FMasterField) return true;
  return combo->FListActive && combo->FDataLink->Edit();
}

bool TKtComboEdit::IsNewTextInList(Word Key, bool IsKeyDown) {
  // A hidden copy of this edit takes the keystroke, so that deletion, insertion over the
  // selection and MaxLength work exactly as they would here.
  std::unique_ptr<TCustomMaskEdit> copy(new TCustomMaskEdit(this));
  copy->SetVisible(false);
  copy->SetParent(this);
  copy->SetText(Text());
  copy->SetSelStart(SelStart());
  copy->SetSelLength(SelLength());
  copy->SetMaxLength(MaxLength());
  // The edit itself takes the keystroke, not the control: no key event, nor a form's preview
  // of it, runs a handler that could free this combo (and the copy with it).
  copy->HandleNeeded();
  if (IsKeyDown) {
    TMessage down{WM_KEYDOWN, Key, 0}, up{WM_KEYUP, Key, 0};
    copy->DefaultHandler(down);
    copy->DefaultHandler(up);
  } else {
    TMessage ch{WM_CHAR, Key, 0};
    copy->DefaultHandler(ch);
  }
  const std::string text = copy->Text();
  TFlagScope internal(FCombo->FInternalChange, FCombo->Alive());
  if (text.empty()) return true;
  try {
    TDataSet* dataSet = FCombo->FListLink->DataSet();
    TField* field = GetListField();
    if (!dataSet || !dataSet->Active() || !field) return false;
    return dataSet->Locate(field->FieldName(), Variant(text), {loCaseInsensitive, loPartialKey});
  } catch (...) {
    return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Typing
// ---------------------------------------------------------------------------------------------

void TKtComboEdit::Change() {
  TKtDBLookupCombo* combo = FCombo;
  if (combo->ComponentState().Contains(csDestroying)) return;
  auto alive = combo->Alive();
  combo->FToolTipShown = false;
  TPoint cursor;
  GetCursorPos(cursor);
  TRect frame;
  if (combo->HandleAllocated() && GetWindowRect(combo->Handle(), frame) && PtInRect(frame, cursor))
    combo->ActivateToolTip(Text(), Width());
  CallEvent(combo->FOnChange, combo);
  if (!alive) return;
  TCustomMaskEdit::Change();
  if (!alive || combo->FSettingText) return;  // the text was written by code

  combo->FSearchText = Text();
  struct TClearPending {
    TKtComboEdit* Edit;
    vcl::TAliveToken Alive;
    ~TClearPending() {
      if (Alive) Edit->FAutoCompletePending = false;
    }
  } clearPending{this, alive};
  TFlagScope internal(combo->FInternalChange, alive);
  if (combo->ProcessSearchKey(0)) {
    if (!alive) return;
    combo->FPopupList->SetKeyValue(combo->FKeyValue);  // the open list marks the same row
  } else {
    if (!alive) return;
    combo->FPopupList->Repaint();
  }
  if (!alive) return;
  // Completion: with the caret at the end, the rest of the found row's text is added.
  if (FAutoCompletePending && SelStart() == static_cast<int>(Text().size()) &&
      StartsWithText(Text(), VarToStr(combo->GetListValue())))
    Complete();
}

void TKtComboEdit::Complete() {
  TKtDBLookupCombo* combo = FCombo;
  TFlagScope setting(combo->FSettingText, combo->Alive());
  const std::string typed = Text();
  const std::string row = VarToStr(combo->GetListValue());
  const size_t l = typed.size();
  // What the user typed keeps its case; only the missing tail comes from the row.
  SetText(typed + (row.size() > l ? row.substr(l) : std::string()));
  SetSelStart(static_cast<int>(l));
  const int length = static_cast<int>(Text().size());
  if (static_cast<int>(l) < length) SetSelLength(length - static_cast<int>(l));
}

void TKtComboEdit::KeyDown(Word& Key, TShiftState Shift) {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  if (combo->FRestrictToList && Key == VK_DELETE && !IsNewTextInList(VK_DELETE, true)) {
    Key = 0;
  } else {
    {
      TFlagScope internal(combo->FInternalChange, alive);
      if (Shift == TShiftState{ssAlt}) {
        combo->KeyDown(Key, Shift);
      } else if (Shift.Empty() && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME ||
                                   Key == VK_UP || Key == VK_DOWN || Key == VK_DELETE)) {
        // EditCanModify clears the flag again, so the combo's moves rewrite the text.
        if (EditCanModify() && alive) combo->KeyDown(Key, Shift);
      }
    }
    if (!alive) return;
    // The edit itself never acts on Up and Down.
    if (Key == VK_UP || Key == VK_DOWN)
      Key = 0;
    else if (Key == VK_DELETE && !EditCanModify())
      Key = 0;
    if (!alive) return;
  }
  TCustomMaskEdit::KeyDown(Key, Shift);
}

void ApplyCapitalisation(TCustomEdit* Edit, bool CapitalAfterSpace, bool CapitalFirstLetter, char& Key) {
  const int at = Edit->SelStart();
  const std::string text = Edit->Text();
  const bool lower = Key >= 'a' && Key <= 'z';
  if (CapitalAfterSpace && at > 0 && at <= static_cast<int>(text.size()) &&
      text[static_cast<size_t>(at - 1)] == ' ') {
    if (lower) Key = static_cast<char>(Key - 32);
  } else if (CapitalFirstLetter && at == 0 && lower) {
    Key = static_cast<char>(Key - 32);
  }
}

void TKtComboEdit::KeyPress(char& Key) {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  if (combo->FRestrictToList && !IsNewTextInList(static_cast<unsigned char>(Key), false)) {
    Key = 0;
  } else {
    ApplyCapitalisation(this, combo->FCapitalAfterSpace, combo->FCapitalFirstLetter, Key);
    if (Key == '\r' || Key == '\x1b' || EditCanModify()) {
      if (!alive) return;
      combo->KeyPress(Key);
    } else {
      Key = 0;
    }
    if (!alive) return;
  }
  TCustomMaskEdit::KeyPress(Key);
}

void TKtComboEdit::KeyUp(Word& Key, TShiftState Shift) {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnKeyUp(), FCombo, Key, Shift);
  if (!alive) return;
  TCustomMaskEdit::KeyUp(Key, Shift);
}

// ---------------------------------------------------------------------------------------------
// Mouse and clicks, on behalf of the combo
// ---------------------------------------------------------------------------------------------

void TKtComboEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnMouseDown(), FCombo, Button, Shift, X, Y);
  if (!alive) return;
  TCustomMaskEdit::MouseDown(Button, Shift, X, Y);
}

void TKtComboEdit::MouseMove(TShiftState Shift, int X, int Y) {
  auto alive = FCombo->Alive();
  FCombo->ActivateToolTip(Text(), Width());
  CallEvent(FCombo->OnMouseMove(), FCombo, Shift, X, Y);
  if (!alive) return;
  TCustomMaskEdit::MouseMove(Shift, X, Y);
}

void TKtComboEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = FCombo->Alive();
  CallEvent(FCombo->OnMouseUp(), FCombo, Button, Shift, X, Y);
  if (!alive) return;
  TCustomMaskEdit::MouseUp(Button, Shift, X, Y);
  if (!alive) return;
  if (FCombo->FSelectAllOnMouseUp) {
    SelectAll();
    FCombo->FSelectAllOnMouseUp = false;
  }
}

void TKtComboEdit::Click() {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  CallEvent(combo->OnClick(), combo);
  if (!alive) return;
  if (combo->FDropDownOnEditClick && !combo->FListVisible) {
    combo->DropDown();
    if (!alive) return;
  }
  TCustomMaskEdit::Click();
}

void TKtComboEdit::DblClick() {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  combo->DoOnSpecialEvent(seDblClick);
  if (!alive) return;
  CallEvent(combo->FOnDblClick, combo);
  if (!alive) return;
  TCustomMaskEdit::DblClick();
}

void TKtComboEdit::DoContextPopup(TPoint MousePos, bool& Handled) {
  CallEvent(FCombo->OnContextPopup(), FCombo, MousePos, Handled);
}

// A press that follows a double click within the double-click time selects the whole text.
void TKtComboEdit::WMLButtonDown(TMessage& Message) {
  auto alive = Alive();
  TCustomMaskEdit::WMLButtonDown(Message);
  if (!alive) return;
  if (GetMessageTime() - FLastDblClickTime < GetDoubleClickTime()) SelectAll();
  FLastDblClickTime = 0;
}

// ---------------------------------------------------------------------------------------------
// Focus, the window procedure and the system keys
// ---------------------------------------------------------------------------------------------

void TKtComboEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TKtDBLookupCombo* combo = FCombo;
      if (combo->ComponentState().Contains(csDestroying)) break;
      auto alive = combo->Alive();
      // The form's focused control is the combo, so that its enter and exit reach the combo.
      TForm* form = GetParentForm(this);
      if (!form || form->SetFocusedControl(combo)) Dispatch(Message);
      if (!alive) return;
      InstallComboMouseHook(combo);
      combo->DoOnSpecialEvent(seGotFocus);
      return;
    }
    case WM_LBUTTONDBLCLK: FLastDblClickTime = GetMessageTime(); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: FMenuKeyAlone = Message.WParam == VK_MENU; break;
    case CM_MOUSELEAVE: {
      // The pointer left the combo through its edit: the combo hears it too.
      TPoint cursor;
      GetCursorPos(cursor);
      TRect frame;
      if (FCombo->HandleAllocated() && GetWindowRect(FCombo->Handle(), frame) && !PtInRect(frame, cursor))
        FCombo->Perform(CM_MOUSELEAVE, 0, 0);
      break;
    }
    default: break;
  }
  TCustomMaskEdit::WndProc(Message);
}

void TKtComboEdit::WMKillFocus(TMessage& Message) {
  auto alive = Alive();
  TCustomMaskEdit::WMKillFocus(Message);
  if (!alive) return;
  TKtDBLookupCombo* combo = FCombo;
  if (combo->ComponentState().Contains(csDestroying)) return;
  // The focus stays within the combo: the list stays open.
  const HWND to = reinterpret_cast<HWND>(Message.WParam);
  if (to && (IsHandleOf(combo, to) || IsHandleOf(combo->FPopupList, to) || to == Handle())) return;
  RemoveComboMouseHook();
  combo->CloseUpOnLeave();
}

void TKtComboEdit::WMSysChar(TMessage& Message) {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  combo->DoOnSpecialEvent(seSysChar);
  if (!alive) return;
  // Alt+Space opens the window menu.
  if (ParentIsMDIForm(this) && combo->FListVisible &&
      KeyDataToShiftState(Message.LParam) == TShiftState{ssAlt} && Message.WParam == ' ') {
    combo->CloseUpOnLeave();
    if (!alive) return;
  }
  DefaultHandler(Message);
}

void TKtComboEdit::WMSysCommand(TMessage& Message) {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  combo->DoOnSpecialEvent(seSysCommand);
  if (!alive) return;
  if (ParentIsMDIForm(this) && combo->FListVisible && (Message.WParam & 0xFFF0) == SC_KEYMENU) {
    combo->CloseUpOnLeave();
    if (!alive) return;
  }
  TCustomMaskEdit::WMSysCommand(Message);
}

void TKtComboEdit::WMSysKeyUp(TMessage& Message) {
  TKtDBLookupCombo* combo = FCombo;
  auto alive = combo->Alive();
  combo->DoOnSpecialEvent(seSysKeyUp);
  if (!alive) return;
  const TShiftState shift = KeyDataToShiftState(Message.LParam);
  const WPARAM key = Message.WParam;
  // Alt released after Alt+Down opened the list does not open the menu: only Alt alone does.
  const bool menuKey = (shift == TShiftState{ssCtrl} && key == VK_F10) ||
                       (shift.Empty() && ((key == VK_MENU && FMenuKeyAlone) || key == VK_F10));
  if (key == VK_MENU) FMenuKeyAlone = false;
  if (ParentIsMDIForm(this) && combo->FListVisible && menuKey) {
    combo->CloseUpOnLeave();
    if (!alive) return;
  }
  TCustomMaskEdit::WMSysKeyUp(Message);
}

}  // namespace ktlookup
