// TKtComboEdit: the text field inside a lookup combo, where the user types. It turns typing
// into incremental search on the lookup dataset, completes the typed prefix from the row it
// finds, may refuse keystrokes whose text begins no row (RestrictToList), applies the
// capitalisation aids, and closes the combo's list when the focus goes elsewhere. It fires the
// combo's events with the combo as Sender: to the application the combo is the control.
//
// Also here: the module's one mouse hook. On an MDI frame form, a press anywhere outside the
// combo, its list and its edits closes the list (the drop-down cannot see such presses
// otherwise). At most one hook exists, for the combo whose edit took the focus; it is removed
// when that edit loses the focus to another window, and when that combo is destroyed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/data/field.h"
#include "platform/vcl/mask_edit.h"
#include "platform/win/window_system.h"

namespace ktlookup {

class TKtDBLookupCombo;

class TKtComboEdit : public vcl::TCustomMaskEdit {
 public:
  explicit TKtComboEdit(vcl::TComponent* AOwner);
  std::string ClassName() const override { return "TKtComboEdit"; }

  // The combo this edit belongs to; set once, right after construction.
  void SetCombo(TKtDBLookupCombo* Value) { FCombo = Value; }
  vcl::TField* GetListField() const;
  // The combo shows, hides and focuses the edit with these; the framework's own showing
  // logic never does (CM_SHOWINGCHANGED is consumed).
  bool Visible();  // the window shows on the screen
  void Show();     // at (1, 1) inside the combo, all its text selected
  void Hide();
  void SetFocus() override;  // only while the combo is visible and the edit was shown

  // Whether the text after this keystroke would still begin some row of the lookup dataset.
  // The keystroke is replayed on a hidden copy of the edit; the edit itself is not touched.
  bool IsNewTextInList(vcl::Word Key, bool IsKeyDown);

  void WndProc(vcl::TMessage& Message) override;

 protected:
  bool EditCanModify() override;
  void Change() override;
  void Click() override;
  void DblClick() override;
  void DoContextPopup(vcl::TPoint MousePos, bool& Handled) override;
  void KeyDown(vcl::Word& Key, vcl::TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(vcl::Word& Key, vcl::TShiftState Shift) override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  // Cut, paste and clear pass only when EditCanModify agrees (the edit's own rule).
  void WMKillFocus(vcl::TMessage& Message) override;
  void WMLButtonDown(vcl::TMessage& Message) override;
  void WMSysChar(vcl::TMessage& Message) override;
  void WMSysCommand(vcl::TMessage& Message) override;
  void WMSysKeyUp(vcl::TMessage& Message) override;
  void CMShowingChanged(vcl::TMessage& Message) override;

 private:
  friend class TKtDBLookupCombo;
  // Appends the rest of the found row's text to what was typed and selects it.
  void Complete();

  TKtDBLookupCombo* FCombo = nullptr;   // not owned
  std::uint32_t FLastDblClickTime = 0;  // message time of the last double click (triple click)
  bool FAutoCompletePending = false;    // the combo's KeyPress asked to complete the next change
  bool FEditShown = false;              // Show was called (and Hide not since)
  // Alt went down and no other key since: its release opens the window's menu.
  bool FMenuKeyAlone = false;
};

// The module's mouse hook and the combo it serves (none: nullptr).
vcl::HHOOK MouseHookHandle();
TKtDBLookupCombo* MouseHookCombo();
// Installs the hook for Combo when none is installed and the combo's form is an MDI frame.
void InstallComboMouseHook(TKtDBLookupCombo* Combo);
// Removes the hook (whichever combo it serves).
void RemoveComboMouseHook();
// Removes the hook when it serves Combo.
void ReleaseComboMouseHook(TKtDBLookupCombo* Combo);
// True when the control's form is an MDI frame form.
bool ParentIsMDIForm(vcl::TControl* Control);
// The capitalisation aids of both edits, applied to a typed character: a lower-case letter
// right after a space (CapitalAfterSpace), else one typed at the start (CapitalFirstLetter),
// becomes upper case.
void ApplyCapitalisation(vcl::TCustomEdit* Edit, bool CapitalAfterSpace, bool CapitalFirstLetter, char& Key);

}  // namespace ktlookup
