// TKtPopupDataList: the lookup combo's drop-down list. A lookup list in a top-level pop-up
// window that never takes the focus and never activates: the combo keeps the keyboard, and the
// combo's form stays the active window when the list is clicked.
#pragma once

#include "lookup/list/lookup_list.h"

namespace ktlookup {

class TKtDBLookupCombo;

class TKtPopupDataList : public TKtDBLookupList {
 public:
  explicit TKtPopupDataList(TComponent* AOwner);
  std::string ClassName() const override { return "TKtPopupDataList"; }
  // Never a focus target: Tab passes it by, and the control that drops it down keeps the keys.
  bool CanFocus() override { return false; }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(vcl::TCreateParams& Params) override;
  void WMMouseActivate(TMessage& Message);

 private:
  // The combo drives its drop-down as the user would: it passes keys and the wheel on.
  friend class TKtDBLookupCombo;
};

}  // namespace ktlookup
