// A lookup combo over the customers for the combo's tests, its parts opened to them, and a
// recorder of its special events.
#pragma once

#include <string>

#include "lookup/combo/combo_edit.h"
#include "lookup/combo/db_combo_edit.h"
#include "lookup/combo/lookup_combo.h"
#include "lookup/core/lookup_test_util.h"
#include "platform/vcl/button.h"
#include "platform/vcl/dialogs.h"
#include "platform/vcl/screen_picture.h"

namespace kttest {

class TTestCombo : public ktlookup::TKtDBLookupCombo {
 public:
  using TKtDBLookupCombo::FButtonPressed;
  using TKtDBLookupCombo::FButtonWidth;
  using TKtDBLookupCombo::FDBEdit;
  using TKtDBLookupCombo::FDBEditActive;
  using TKtDBLookupCombo::FEdit;
  using TKtDBLookupCombo::FInternalChange;
  using TKtDBLookupCombo::FKeyValue;
  using TKtDBLookupCombo::FListVisible;
  using TKtDBLookupCombo::FPopupList;
  using TKtDBLookupCombo::FSettingText;
  using TKtDBLookupCombo::FToolTipActive;
  using TKtDBLookupCombo::FToolTipShown;
  using TKtDBLookupCombo::FToolTipWindow;
  using TKtDBLookupCombo::FTracking;
  using TKtDBLookupCombo::GetBorderSize;
  using TKtDBLookupCombo::GetTextHeight;
  using TKtDBLookupCombo::TKtDBLookupCombo;
  using TKtDBLookupCombo::UpdateEdit;
};

inline const char* SpecialName(ktlookup::TSpecialEventType E) {
  static const char* const names[] = {"EnterKey",  "DblClick", "CloseUp",    "DropDown", "GotFocus",
                                      "LostFocus", "SysChar",  "SysCommand", "SysKeyUp", "CancelMode"};
  return names[static_cast<int>(E)];
}

class ComboTest : public LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    vcl::SetScreenSize(800, 600);
    Other = new vcl::TButton(Form);
    Other->SetName("Other");
    Other->SetParent(Form);
    Other->SetBounds(250, 10, 80, 24);
  }
  // An unbound combo of the customers' names, its special events and events recorded.
  TTestCombo* MakeCombo(const std::string& ListField = "Name", const std::string& Name = "Combo1") {
    auto* c = new TTestCombo(Form);
    c->SetName(Name);
    c->SetParent(Form);
    c->SetBounds(10, 10, 150, 0);
    c->SetListSource(CustSource);
    c->SetKeyField("CustNo");
    c->SetListField(ListField);
    c->SetOnSpecialEvent([this](vcl::TObject*, ktlookup::TSpecialEventType E) { Log.Add(SpecialName(E)); });
    return c;
  }
  // The same combo bound to the orders' customer (2 on the first order).
  TTestCombo* MakeBoundCombo(const std::string& ListField = "Name") {
    TTestCombo* c = MakeCombo(ListField);
    c->SetDataSource(OrderSource);
    c->SetDataField("CustNo");
    return c;
  }
  static int Field(vcl::TDataSet* D, const char* Name = "CustNo") {
    vcl::TField* f = D->FieldByName(Name);
    return f->IsNull() ? -1 : f->AsInteger();
  }
  static int Key(TTestCombo* C) { return C->KeyValue().IsNull() ? -1 : C->KeyValue().AsInteger(); }
  // The screen point of a client point of a control.
  static vcl::TPoint On(vcl::TControl* C, int X, int Y) { return C->ClientToScreen(vcl::TPoint{X, Y}); }
  // The middle of the combo's button, in screen coordinates.
  static vcl::TPoint Button(TTestCombo* C) {
    return On(C, C->ClientWidth() - C->FButtonWidth / 2, C->ClientHeight() / 2);
  }

  vcl::TButton* Other = nullptr;
};

}  // namespace kttest
