// TKtDBComboEdit: the data-aware twin of the combo's edit. While the lookup dataset is being
// edited (the combo's AllowEditing), the combo shows it instead of the plain edit, bound to the
// lookup dataset's display field, so what the user types is written into the lookup row.
#pragma once

#include <cstdint>
#include <string>

#include "platform/vcl/db_edit.h"

namespace ktlookup {

class TKtDBLookupCombo;

class TKtDBComboEdit : public vcl::TDBEdit {
 public:
  explicit TKtDBComboEdit(vcl::TComponent* AOwner);
  std::string ClassName() const override { return "TKtDBComboEdit"; }

  void SetCombo(TKtDBLookupCombo* Value) { FCombo = Value; }
  vcl::TField* GetListField() const;
  bool Visible();  // the window shows on the screen
  // Binds the edit to the lookup dataset's display field and shows it over the combo's frame.
  void Show();
  void Hide();  // hides and unbinds it
  void SetFocus() override;

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
  // Cut, paste and clear pass only when EditCanModify agrees (the data-aware edit's rule).
  void WMKillFocus(vcl::TMessage& Message) override;
  void WMLButtonDown(vcl::TMessage& Message) override;
  void CMShowingChanged(vcl::TMessage& Message) override;

 private:
  TKtDBLookupCombo* FCombo = nullptr;   // not owned
  std::uint32_t FLastDblClickTime = 0;  // message time of the last double click (triple click)
};

}  // namespace ktlookup
