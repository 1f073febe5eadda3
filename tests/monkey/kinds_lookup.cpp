// The monkey's lookup kinds: the lookup list, its popup variant shown beside nothing in
// particular, and the lookup combo.
#include "lookup/ktlookup.h"
#include "monkey.h"
#include "platform/win/input.h"
#include "platform/win/window_system.h"

namespace monkey {
namespace {

using namespace vcl;
using namespace ktlookup;

// The controls with the state the checks read opened to them.
class TMonkeyList : public TKtDBLookupList {
 public:
  using TKtDBLookupList::FListActive;
  using TKtDBLookupList::FMasterField;
  using TKtDBLookupList::TKtDBLookupList;
};
class TMonkeyCombo : public TKtDBLookupCombo {
 public:
  using TKtDBLookupCombo::FListActive;
  using TKtDBLookupCombo::FMasterField;
  using TKtDBLookupCombo::TKtDBLookupCombo;
};

// ---- binding ---------------------------------------------------------------------------------

std::string RandomListField(TRng& R) {
  static const char* const kLists[] = {"Name", "Name;City", "City;Name;Id", "", "Name;Upper", "Nope"};
  return kLists[R.Below(6)];
}

// Binds a lookup control to random sources and fields. Bad names and circular links raise, as
// they would for an application; the control stays as far as it got.
void BindLookup(TWorld& W, TKtDBLookupControl* C, TRng& R) {
  auto alive = C->Alive();
  try {
    C->SetListSource(R.Chance(90) ? W.PickSource(R) : nullptr);
    if (!alive) return;
    C->SetKeyField(R.Chance(85) ? "Id" : R.Chance(50) ? "City" : "Nope");
    if (!alive) return;
    C->SetListField(RandomListField(R));
    if (!alive) return;
    if (R.Chance(60)) {
      C->SetDataSource(W.PickSource(R));
      if (!alive) return;
      C->SetDataField(R.Chance(80) ? "Id" : R.Chance(50) ? "Name" : "Nope");
    }
    if (!alive) return;
    if (R.Chance(25)) C->SetEmptyDisplay("(none)");
    if (!alive) return;
    if (R.Chance(15)) C->SetKeyIsUnique(false);
  } catch (const Exception&) {
  }
}

std::string Rebind(TWorld& W, TControl* C, TRng& R) {
  const std::string name = W.Describe(C);
  BindLookup(W, static_cast<TKtDBLookupControl*>(C), R);
  return name + " bound anew";
}

// A bound control shows its master field's key (a key whose text is EmptyValue counts as
// none), unless the field's data set has its controls disabled.
template <typename TControlWithState>
void CheckKeyIsFieldsKey(TWorld& W, TControlWithState* C) {
  TField* field = C->FMasterField;
  if (!field || !C->FListActive) return;
  W.Expect(W.FindObject(field) != nullptr, W.Describe(C) + " holds a master field that is gone");
  if (W.Failed()) return;
  TDataSet* ds = field->DataSet();
  if (!ds || !ds->Active() || ds->ControlsDisabled()) return;
  const Variant key = C->KeyValue(), value = field->Value();
  const bool bothEmpty = (key.IsNull() || VarToStr(key) == C->EmptyValue()) &&
                         (value.IsNull() || VarToStr(value) == C->EmptyValue());
  W.Expect(bothEmpty || VariantsEqual(key, value), W.Describe(C) + " shows the key " + Quote(VarToStr(key)) +
                                                       ", its field holds " + Quote(VarToStr(value)));
}

std::vector<TEventSlot> LookupEvents(std::vector<TEventSlot> Extra = {}) {
  Extra.push_back({"AfterSearchKey", [](TControl* C, TEvil E) {
                     static_cast<TKtDBLookupControl*>(C)->SetAfterSearchKey([E](TObject*) { E(); });
                   }});
  return WithCommonEvents(std::move(Extra));
}

Word RandomNavigationKey(TRng& R) {
  static const Word kKeys[] = {VK_UP,   VK_DOWN,  VK_PRIOR,  VK_NEXT,   VK_HOME,   VK_END,
                               VK_LEFT, VK_RIGHT, VK_ESCAPE, VK_RETURN, VK_DELETE, VK_BACK};
  return kKeys[R.Below(static_cast<int>(std::size(kKeys)))];
}

// ---- the lookup list -------------------------------------------------------------------------

std::string ListProperty(TWorld& W, TControl* C, TRng& R) {
  auto* l = static_cast<TKtDBLookupList*>(C);
  const std::string name = W.Describe(C);
  switch (R.Below(8)) {
    case 0: {
      TKtDBLookupListOptions o;
      if (R.Chance(50)) o.Include(loColLines);
      if (R.Chance(50)) o.Include(loRowLines);
      if (R.Chance(50)) o.Include(loTitles);
      l->SetOptions(o);
      return name + ".Options";
    }
    case 1: l->SetRowCount(R.Between(-2, 120)); return name + ".RowCount";
    case 2: l->SetEmptyDisplay(R.Chance(50) ? "" : "(none)"); return name + ".EmptyDisplay";
    case 3: l->SetHeight(R.Between(-5, 300)); return name + ".Height";
    case 4: l->SetBorderStyle(l->BorderStyle() == bsSingle ? bsNone : bsSingle); return name + ".BorderStyle";
    case 5: l->Font()->SetSize(R.Between(6, 16)); return name + ".Font";
    case 6: l->SetReadOnly(!l->ReadOnly()); return name + ".ReadOnly";
    default: l->SetKeyIsUnique(!l->KeyIsUnique()); return name + ".KeyIsUnique";
  }
}

std::string ListScroll(TWorld& W, TControl* C, TRng& R) {
  auto* l = static_cast<TKtDBLookupList*>(C);
  const std::string name = W.Describe(C);
  const int code = R.Below(9);
  if (!l->HandleAllocated()) return name + " has no window to scroll";
  SendMessage(l->Handle(), WM_VSCROLL, static_cast<WPARAM>(code | (R.Below(6) << 16)), 0);
  return name + " scrolled with code " + std::to_string(code);
}

// Presses on a row, moves past an edge, waits for the auto-scroll and releases (or not).
std::string ListDrag(TWorld& W, TControl* C, TRng& R) {
  auto* l = static_cast<TKtDBLookupList*>(C);
  const std::string name = W.Describe(C);
  if (!l->HandleAllocated() || !IsWindowVisible(l->Handle())) return name + " is not shown";
  const HWND h = l->Handle();
  const int y = R.Between(-30, l->Height() + 30);
  sim::MouseDown(h, TPoint{10, R.Between(0, l->ClientHeight())});
  if (!IsWindow(h)) return name + " pressed (and gone)";
  sim::MouseMove(h, TPoint{12, y});
  sim::AdvanceTime(static_cast<DWORD>(R.Between(0, 400)));
  if (R.Chance(80) && IsWindow(h)) sim::MouseUp(h, TPoint{12, y});
  return name + " dragged to y " + std::to_string(y);
}

std::string ListKeys(TWorld& W, TControl* C, TRng& R) {
  auto* l = static_cast<TKtDBLookupList*>(C);
  const std::string name = W.Describe(C);
  auto alive = l->Alive();
  if (!l->CanFocus()) return name + " can't be focused";
  l->SetFocus();
  if (!alive || !l->Focused()) return name + " did not take the focus";
  const int n = R.Between(1, 4);
  std::string keys;
  for (int i = 0; i < n; ++i) {
    const Word key = RandomNavigationKey(R);
    keys += std::to_string(key) + " ";
    sim::PressKey(key, R.Chance(15) ? RandomShift(R) : TShiftState{});
  }
  return name + " keys " + keys;
}

void CheckList(TWorld& W, TControl* C) {
  auto* l = static_cast<TKtDBLookupList*>(C);
  W.Expect(l->RowCount() >= 1 && l->GetDataRows() >= 1, W.Describe(C) + " has no data row");
  // While the mouse is held on it, the key only follows the mouse.
  if (l->HandleAllocated() && GetCapture() == l->Handle()) return;
  CheckKeyIsFieldsKey(W, static_cast<TMonkeyList*>(l));
}

const bool kLookupList = RegisterControlKind({
    .Name = "LookupList",
    .MakeWeight = 3,
    .Make = [](TWorld& W, TForm* Form, TRng& R) -> TControl* {
      auto* l = new TMonkeyList(Form);
      l->SetParent(Form);
      l->SetRowCount(R.Between(1, 9));
      BindLookup(W, l, R);
      return l;
    },
    .Actions = {{"list keys", 4, ListKeys},
                {"list drag", 3, ListDrag},
                {"list scroll", 2, ListScroll},
                {"list property", 3, ListProperty},
                {"list bind", 2, Rebind}},
    .Events = LookupEvents(),
    .Check = CheckList,
});

// ---- the popup list on its own ---------------------------------------------------------------

const bool kPopupList = RegisterControlKind({
    .Name = "PopupList",
    .MakeWeight = 1,
    .Make = [](TWorld& W, TForm* Form, TRng& R) -> TControl* {
      auto* p = new TKtPopupDataList(Form);
      p->SetVisible(false);
      p->SetParent(Form);
      BindLookup(W, p, R);
      return p;
    },
    .Actions = {{"popup show", 2,
                 [](TWorld& W, TControl* C, TRng& R) {
                   const std::string name = W.Describe(C);
                   auto* p = static_cast<TKtPopupDataList*>(C);
                   const UINT flags = R.Chance(70) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
                   SetWindowPos(p->Handle(), HWND_TOP, R.Between(0, 600), R.Between(0, 400), 0, 0,
                                SWP_NOSIZE | SWP_NOACTIVATE | flags);
                   return name + (flags == SWP_SHOWWINDOW ? " shown" : " hidden");
                 }},
                {"popup drag", 2, ListDrag},
                {"popup scroll", 1, ListScroll}},
    .Events = LookupEvents(),
    .Check =
        [](TWorld& W, TControl* C) {
          auto* p = static_cast<TKtPopupDataList*>(C);
          if (!p->HandleAllocated()) return;
          W.Expect(GetFocus() != p->Handle(), W.Describe(C) + " has the focus");
          W.Expect(GetActiveWindow() != p->Handle(), W.Describe(C) + " is the active window");
        },
});

// ---- the lookup combo ------------------------------------------------------------------------

std::string ComboTyping(TWorld& W, TControl* C, TRng& R) {
  auto* c = static_cast<TKtDBLookupCombo*>(C);
  const std::string name = W.Describe(C);
  auto alive = c->Alive();
  if (!c->CanFocus()) return name + " can't be focused";
  c->SetFocus();
  if (!alive || !c->Focused()) return name + " did not take the focus";
  std::string typed = RandomText(R, true);
  if (R.Chance(60)) typed = typed.substr(0, 4);
  sim::TypeText(typed);
  return "typed " + Quote(typed) + " into " + name;
}

std::string ComboKeys(TWorld& W, TControl* C, TRng& R) {
  auto* c = static_cast<TKtDBLookupCombo*>(C);
  const std::string name = W.Describe(C);
  auto alive = c->Alive();
  if (!c->CanFocus()) return name + " can't be focused";
  c->SetFocus();
  if (!alive || !c->Focused()) return name + " did not take the focus";
  std::string keys;
  for (int i = R.Between(1, 4); i > 0; --i) {
    const bool alt = R.Chance(25);
    const Word key = alt ? (R.Chance(50) ? VK_DOWN : VK_UP) : RandomNavigationKey(R);
    keys += (alt ? "Alt+" : "") + std::to_string(key) + " ";
    sim::PressKey(key, alt ? TShiftState{ssAlt} : TShiftState{});
  }
  return name + " keys " + keys;
}

// A press on the button; sometimes dragged into the open list and released on a row.
std::string ComboButton(TWorld& W, TControl* C, TRng& R) {
  auto* c = static_cast<TKtDBLookupCombo*>(C);
  const std::string name = W.Describe(C);
  if (!c->HandleAllocated() || !IsWindowVisible(c->Handle())) return name + " is not shown";
  const HWND h = c->Handle();
  const TPoint button{c->ClientWidth() - 6, c->ClientHeight() / 2};
  sim::MouseDown(h, button);
  if (!IsWindow(h)) return name + " pressed (and gone)";
  const TPoint below{30, c->Height() + R.Between(2, 60)};
  if (R.Chance(50)) sim::MouseMove(h, below);
  sim::MouseUp(R.Chance(50) ? below : sim::ScreenPoint(h, button));
  return name + " button";
}

std::string ComboProperty(TWorld& W, TControl* C, TRng& R) {
  auto* c = static_cast<TKtDBLookupCombo*>(C);
  const std::string name = W.Describe(C);
  switch (R.Below(12)) {
    case 0: c->SetAllowEditing(!c->AllowEditing()); return name + ".AllowEditing";
    case 1: c->SetAutoComplete(!c->AutoComplete()); return name + ".AutoComplete";
    case 2: c->SetAutoDropDown(!c->AutoDropDown()); return name + ".AutoDropDown";
    case 3: c->SetRestrictToList(!c->RestrictToList()); return name + ".RestrictToList";
    case 4: c->SetValidateOnAccept(!c->ValidateOnAccept()); return name + ".ValidateOnAccept";
    case 5: c->SetDropDownRows(R.Between(-2, 20)); return name + ".DropDownRows";
    case 6: c->SetAutoChange(!c->AutoChange()); return name + ".AutoChange";
    case 7: c->SetExitFillFirstIfBlank(!c->ExitFillFirstIfBlank()); return name + ".ExitFillFirstIfBlank";
    case 8:
      c->SetOptions(R.Chance(50) ? TKtDBLookupListOptions{loTitles} : TKtDBLookupListOptions{});
      return name + ".Options";
    case 9: c->SetEnabled(!c->Enabled()); return name + ".Enabled";
    case 10: c->SetReadOnly(!c->ReadOnly()); return name + ".ReadOnly";
    default: c->SetEmptyDisplay(R.Chance(50) ? "" : "(none)"); return name + ".EmptyDisplay";
  }
}

// Puts the lookup data set into edit or insert state (or back), as another control would.
std::string EditLookupRow(TWorld& W, TControl* C, TRng& R) {
  auto* c = static_cast<TKtDBLookupCombo*>(C);
  const std::string name = W.Describe(C);
  TDataSource* source = c->ListSource();
  TDataSet* ds = source && W.FindObject(source) ? source->DataSet() : nullptr;
  if (!ds || !W.FindObject(ds) || !ds->Active()) return name + " has no lookup data set";
  switch (R.Below(4)) {
    case 0: ds->Edit(); return name + "'s lookup data set edits";
    case 1: ds->Insert(); return name + "'s lookup data set inserts";
    case 2: ds->Post(); return name + "'s lookup data set posts";
    default: ds->Cancel(); return name + "'s lookup data set cancels";
  }
}

void CheckCombo(TWorld& W, TControl* C) {
  auto* c = static_cast<TKtDBLookupCombo*>(C);
  const std::string name = W.Describe(C);
  W.Expect(c->Height() > 0, name + " has no height");
  if (c->ListVisible()) {
    // An open list belongs to a combo the user is in.
    TWinControl* focus = FindControl(GetFocus());
    W.Expect(c->Focused(), name + "'s list is open while the focus is on " + W.Describe(focus));
    return;  // while it is open, the key follows the list's selection
  }
  if (c->HandleAllocated() && GetCapture() == c->Handle()) return;
  CheckKeyIsFieldsKey(W, static_cast<TMonkeyCombo*>(c));
}

const bool kLookupCombo = RegisterControlKind({
    .Name = "LookupCombo",
    .MakeWeight = 3,
    .Make = [](TWorld& W, TForm* Form, TRng& R) -> TControl* {
      auto* c = new TMonkeyCombo(Form);
      c->SetParent(Form);
      c->SetBounds(R.Between(0, 200), R.Between(0, 200), R.Between(40, 220), 0);
      BindLookup(W, c, R);
      return c;
    },
    .Actions = {{"combo typing", 5, ComboTyping},
                {"combo keys", 4, ComboKeys},
                {"combo button", 3, ComboButton},
                {"combo property", 3, ComboProperty},
                {"combo lookup row", 1, EditLookupRow},
                {"combo bind", 2, Rebind}},
    .Events = LookupEvents({
        {"OnChange", [](TControl* C,
                        TEvil E) { static_cast<TKtDBLookupCombo*>(C)->SetOnChange([E](TObject*) { E(); }); }},
        {"OnCloseUp",
         [](TControl* C, TEvil E) {
           static_cast<TKtDBLookupCombo*>(C)->SetOnCloseUp([E](TObject*) { E(); });
         }},
        {"OnDropDown",
         [](TControl* C, TEvil E) {
           static_cast<TKtDBLookupCombo*>(C)->SetOnDropDown([E](TObject*) { E(); });
         }},
        {"OnButtonClick",
         [](TControl* C, TEvil E) {
           static_cast<TKtDBLookupCombo*>(C)->SetOnButtonClick([E](TObject*) { E(); });
         }},
        {"OnExitWhenNotInList",
         [](TControl* C, TEvil E) {
           static_cast<TKtDBLookupCombo*>(C)->SetOnExitWhenNotInList([E](TObject*) { E(); });
         }},
        {"OnSpecialEvent",
         [](TControl* C, TEvil E) {
           static_cast<TKtDBLookupCombo*>(C)->SetOnSpecialEvent([E](TObject*, TSpecialEventType) { E(); });
         }},
        {"OnComboDblClick",
         [](TControl* C, TEvil E) {
           static_cast<TKtDBLookupCombo*>(C)->SetOnDblClick([E](TObject*) { E(); });
         }},
    }),
    .Check = CheckCombo,
});

}  // namespace
}  // namespace monkey
