// The customer combo of the orders form, driven as a user drives it: into it with Tab, the
// list dropped down with Alt+Down and with the button, rows picked with the mouse and the keys,
// typing with completion, the list's restriction, leaving with a partial or a wrong text, the
// keys and the wheel with the list closed, and a new customer typed in place.
#include <cstdio>
#include <string>

#include "lookup/ktlookup.h"
#include "orders_form.h"
#include "platform/vcl/dialogs.h"
#include "platform/win/input.h"

using namespace vcl;
using namespace ktlookup;

namespace demo {

void DriveOrdersCombo(TForm* Form, const DemoData& Data, Steps& Steps) {
  TDataSet* orders = Data.Orders;
  TDataSet* customers = Data.Customers;
  auto* combo = static_cast<TKtDBLookupCombo*>(Form->FindComponent("CustomerCombo"));
  auto* list = static_cast<TKtDBLookupList*>(Form->FindComponent("CustomerList"));
  std::printf("Orders form, the customer combo:\n");
  int step = 0;
  auto report = [&](const std::string& What) {
    const std::string file = Steps.Picture(Form, "combo-" + std::to_string(step++), true);
    const TField* custNo = orders->FieldByName("CustNo");
    const std::string name =
        custNo->IsNull() ? "(none)" : VarToStr(customers->Lookup("CustNo", custNo->Value(), "Name"));
    std::printf("  %-50s customer %-5s %-18s text '%s'%s [%s]\n", What.c_str(),
                custNo->IsNull() ? "-" : custNo->AsString().c_str(), ToUtf8(name).c_str(),
                ToUtf8(combo->GetEditText()).c_str(), combo->ListVisible() ? " (open)" : "", file.c_str());
  };
  const TPoint button = combo->ClientToScreen(TPoint{combo->ClientWidth() - 8, combo->ClientHeight() / 2});
  // The middle of a row of the open list (the list's own rows, from 0).
  auto row = [&](int Row) {
    TWinControl* popup = nullptr;
    for (int i = 0; i < combo->ControlCount(); ++i)
      if (auto* p = dynamic_cast<TKtPopupDataList*>(combo->Controls(i))) popup = p;
    const int rh = (popup->ClientHeight() + 1) / static_cast<TKtDBLookupList*>(popup)->RowCount();
    return popup->ClientToScreen(TPoint{60, Row * rh + rh / 2});
  };

  list->SetFocus();
  sim::PressKey(VK_TAB);
  report("Tab into the combo (its text selected)");
  sim::PressKey(VK_DOWN, {ssAlt});
  report("Alt+Down drops the list down");
  sim::PressKey(VK_ESCAPE);
  report("Escape closes it");
  sim::Click(button);
  report("The button drops it down");
  sim::Click(row(4));
  report("Clicked the fifth row");
  sim::AdvanceTime(1000);
  sim::MouseDown(button);
  sim::MouseMove(row(1));
  sim::MouseMove(row(2));
  report("Pressed the button and dragged into the list");
  sim::MouseUp(row(2));
  report("Released on the third row");
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_DOWN);
  sim::PressKey(VK_DOWN);
  report("Down, Down in the open list (not written yet)");
  sim::PressKey(VK_RETURN);
  report("Enter takes the row");
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_NEXT);
  sim::PressKey(VK_ESCAPE);
  report("Page Down, then Escape: the field's customer stays");

  // Typing.
  sim::TypeText("sm");
  report("Typed \"sm\": the list drops down, the text is completed");
  sim::PressKey(VK_BACK);
  report("Backspace (the completed part goes)");
  sim::PressKey(VK_ESCAPE);
  combo->SetRestrictToList(true);
  sim::TypeText("q");
  report("RestrictToList: \"q\" begins no name, nothing is typed");
  combo->SetRestrictToList(false);
  sim::PressKey(VK_ESCAPE);

  combo->SetAutoComplete(false);
  combo->SetAutoDropDown(false);
  sim::PressKey(VK_END);
  sim::PressKey(VK_HOME, {ssShift});
  sim::TypeText("wils");
  report("Typed \"wils\" without completion or drop-down");
  sim::PressKey(VK_TAB);
  report("Left with Tab: the partial text is filled");
  combo->SetAutoComplete(true);
  combo->SetAutoDropDown(true);

  combo->SetValidateOnAccept(true);
  combo->SetOnExitWhenNotInList(
      [](TObject*) { MessageDlg("That is not one of our customers.", mtWarning, {mbOK}, 0); });
  combo->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  combo->SetEditText("Zebedee");
  const int boxes = DialogService()->CallCount();
  sim::PressKey(VK_RETURN);
  report("\"Zebedee\" and Enter: the list stays open");
  sim::PressKey(VK_TAB);
  report("Left with \"Zebedee\": the list closes, nothing is taken");
  for (int i = boxes; i < DialogService()->CallCount(); ++i)
    std::printf("    message box: \"%s\"\n", DialogService()->Calls()[static_cast<size_t>(i)].Msg.c_str());
  combo->SetValidateOnAccept(false);
  combo->SetOnExitWhenNotInList(nullptr);

  // The keys and the wheel with the list closed.
  combo->SetFocus();
  sim::PressKey(VK_ESCAPE);
  report("Escape with the list closed cancels the order's changes");
  sim::PressKey(VK_DOWN);
  report("Down with the list closed: the next customer");
  sim::PressKey(VK_UP);
  sim::PressKey(VK_UP);
  report("Up, Up");
  sim::Wheel(-120, combo->ClientToScreen(TPoint{20, 5}));
  report("The wheel, one notch down");

  // A new customer typed in place.
  combo->SetAllowEditing(true);
  combo->SetAutoDropDown(false);
  combo->SetAutoComplete(false);
  sim::PressKey(VK_END);
  sim::PressKey(VK_HOME, {ssShift});
  sim::TypeText("Newman, Nora");
  sim::PressKey(VK_F2);
  report("Typed \"Newman, Nora\", F2: a new customer, edited in place");
  sim::PressKey(VK_F3);
  report("F3 posts it");
  combo->SetAutoComplete(true);
  sim::PressKey(VK_END);
  sim::PressKey(VK_HOME, {ssShift});
  sim::TypeText("newm");
  sim::PressKey(VK_TAB);
  report("Typed \"newm\" and left: the order's customer is the new one");
  combo->SetAllowEditing(false);
}

}  // namespace demo
