// A bare lookup control for the tests of the base class: it records the notifications the
// base sends its descendants and opens the protected members to the tests.
#pragma once

#include <string>
#include <vector>

#include "lookup/core/db_lookup_control.h"
#include "lookup/core/lookup_test_util.h"

namespace kttest {

// A lookup control that records the notifications the base class sends its descendants.
class TTestLookup : public ktlookup::TKtDBLookupControl {
 public:
  TTestLookup(vcl::TComponent* AOwner, TRecorder& Log) : ktlookup::TKtDBLookupControl(AOwner), FLog(Log) {}

  using ktlookup::TKtDBLookupControl::CanModify;
  ktlookup::TKtDataLink* DataLink() const { return FDataLink; }
  using ktlookup::TKtDBLookupControl::FDataField;
  using ktlookup::TKtDBLookupControl::FEntryKeyValue;
  using ktlookup::TKtDBLookupControl::FHasFocus;
  using ktlookup::TKtDBLookupControl::FKeyField;
  using ktlookup::TKtDBLookupControl::FKeyValue;
  using ktlookup::TKtDBLookupControl::FListActive;
  using ktlookup::TKtDBLookupControl::FListField;
  using ktlookup::TKtDBLookupControl::FListFields;
  using ktlookup::TKtDBLookupControl::FListLink;
  using ktlookup::TKtDBLookupControl::FListValues;
  using ktlookup::TKtDBLookupControl::FLookupMode;
  using ktlookup::TKtDBLookupControl::FMasterField;
  using ktlookup::TKtDBLookupControl::FSearchText;
  using ktlookup::TKtDBLookupControl::FToolTipWindow;
  using ktlookup::TKtDBLookupControl::GetBorderSize;
  using ktlookup::TKtDBLookupControl::GetTextHeight;
  using ktlookup::TKtDBLookupControl::IsValueEmpty;
  using ktlookup::TKtDBLookupControl::LocateKey;
  using ktlookup::TKtDBLookupControl::ProcessSearchKey;
  using ktlookup::TKtDBLookupControl::SelectKeyValue;
  using ktlookup::TKtDBLookupControl::UpdateListValues;

  // What the descendants would do on a key change: show the key's row.
  bool LocateOnKeyChange = false;
  // Stands for a list whose selection follows the held mouse button.
  bool Tracking = false;

 protected:
  void KeyValueChanged() override {
    FLog.Add("KeyValueChanged");
    if (LocateOnKeyChange) LocateKey();
  }
  void ListLinkDataChanged() override { FLog.Add("ListLinkDataChanged"); }
  bool IsTrackingSelection() const override { return Tracking; }
  void ListLinkStateChanged() override { FLog.Add("ListLinkStateChanged"); }
  void UpdateDisplay() override { FLog.Add("UpdateDisplay"); }
  void Click() override {
    FLog.Add("Click");
    ktlookup::TKtDBLookupControl::Click();
  }

 private:
  TRecorder& FLog;
};

class LookupControlTest : public LookupTest {
 protected:
  TTestLookup* MakeLookup(const std::string& Name = "Lookup1") {
    auto* c = new TTestLookup(Form, Log);
    c->SetName(Name);
    c->SetBounds(10, 10, 150, 20);
    c->SetParent(Form);
    return c;
  }
  // Bound to Orders.CustNo with the customers as the list.
  TTestLookup* MakeBound(const std::string& ListField = "Name") {
    TTestLookup* c = MakeLookup();
    c->SetDataSource(OrderSource);
    c->SetDataField("CustNo");
    c->SetListSource(CustSource);
    c->SetKeyField("CustNo");
    c->SetListField(ListField);
    Log.Clear();
    return c;
  }
  static std::string Names(const std::vector<vcl::TField*>& Fields) {
    std::string s;
    for (vcl::TField* f : Fields) s += (s.empty() ? "" : ",") + f->FieldName();
    return s;
  }
};

}  // namespace kttest
