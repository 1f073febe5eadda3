// The monkey's edit kinds: the plain edit, the data-aware edit and the search edit.
#include "lookup/search/search_edit.h"
#include "monkey.h"
#include "platform/vcl/application.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/edit.h"
#include "platform/win/input.h"
#include "platform/win/window_system.h"

namespace monkey {
namespace {

using namespace vcl;
using ktlookup::TKtSearchEdit;

// A data-aware edit whose link the checks may read, and that knows whether its text is what
// it last showed of its field (or whether anyone changed the text since).
class TMonkeyDBEdit : public TDBEdit {
 public:
  explicit TMonkeyDBEdit(TComponent* AOwner) : TDBEdit(AOwner) {
    TNotifyEvent show = DataLink()->OnDataChange();
    DataLink()->SetOnDataChange([this, show](TObject* Sender) {
      struct TShowing {  // cleared on every exit: an OnChange handler may raise (or free this)
        TMonkeyDBEdit* Edit;
        TAliveToken Alive;
        ~TShowing() {
          if (Alive) Edit->FShowing = false;
        }
      } showing{this, Alive()};
      FShowing = FShowsField = true;
      show(Sender);
    });
  }
  using TDBEdit::DataLink;
  bool ShowsField() const { return FShowsField; }
  // A change of CharCase converts the text in place and reads nothing of the field again (as
  // the system's edit does), so the text no longer need be the field's.
  void TextIsOwn() { FShowsField = false; }

 protected:
  void Change() override {
    // A change inside another one (an OnChange handler that sets the text) is not the field's.
    if (!FShowing || FChanging) FShowsField = false;
    struct TChanging {
      TMonkeyDBEdit* Edit;
      TAliveToken Alive;
      ~TChanging() {
        if (Alive) Edit->FChanging = false;
      }
    } changing{this, Alive()};
    FChanging = true;
    TDBEdit::Change();
  }

 private:
  bool FChanging = false;   // inside Change
  bool FShowing = false;    // inside the edit's reading of its field
  bool FShowsField = true;  // the text is what it last read of its field
};

// ---- what every edit can do ------------------------------------------------------------------

std::vector<TKindAction> EditActions(std::vector<TKindAction> Extra = {}) {
  std::vector<TKindAction> actions = {
      {"set text", 3,
       [](TWorld& W, TControl* C, TRng& R) {
         const std::string text = RandomText(R, false), name = W.Describe(C);
         C->SetText(text);  // OnChange may free the edit: C is not touched after a call out
         return name + ".Text = " + Quote(text);
       }},
      {"select", 2,
       [](TWorld& W, TControl* C, TRng& R) {
         const std::string name = W.Describe(C);
         auto* e = static_cast<TCustomEdit*>(C);
         const int len = static_cast<int>(e->Text().size());
         if (R.Chance(30)) {
           e->SelectAll();
         } else {
           e->SetSelStart(R.Between(-2, len + 2));
           e->SetSelLength(R.Between(-2, len + 2));
         }
         return name + " select";
       }},
      {"clipboard", 2,
       [](TWorld& W, TControl* C, TRng& R) {
         auto* e = static_cast<TCustomEdit*>(C);
         const std::string name = W.Describe(C);
         switch (R.Below(5)) {
           case 0: e->CopyToClipboard(); return name + " copy";
           case 1: e->CutToClipboard(); return name + " cut";
           case 2: e->PasteFromClipboard(); return name + " paste";
           case 3: e->Undo(); return name + " undo";
           default: e->ClearSelection(); return name + " clear selection";
         }
       }},
      {"edit property", 3,
       [](TWorld& W, TControl* C, TRng& R) {
         auto* e = static_cast<TCustomEdit*>(C);
         const std::string name = W.Describe(C);
         switch (R.Below(7)) {
           case 0: e->SetMaxLength(R.Chance(50) ? 0 : R.Between(1, 8)); return name + ".MaxLength";
           case 1: {
             auto* db = dynamic_cast<TMonkeyDBEdit*>(e);
             if (db) db->TextIsOwn();  // before: the change's OnChange may free the edit
             e->SetCharCase(static_cast<TEditCharCase>(R.Below(3)));
             return name + ".CharCase";
           }
           case 2:
             // A data-aware edit's ReadOnly is its link's (its window follows the editing).
             if (auto* db = dynamic_cast<TDBEdit*>(e))
               db->SetReadOnly(!db->ReadOnly());
             else
               e->SetReadOnly(!e->ReadOnly());
             return name + ".ReadOnly";
           case 3: e->SetPasswordChar(R.Chance(50) ? 0 : '*'); return name + ".PasswordChar";
           case 4: e->SetAutoSelect(!e->AutoSelect()); return name + ".AutoSelect";
           case 5:
             e->SetBorderStyle(e->BorderStyle() == bsSingle ? bsNone : bsSingle);
             return name + ".BorderStyle";
           default: e->SetHideSelection(!e->HideSelection()); return name + ".HideSelection";
         }
       }},
  };
  for (TKindAction& a : Extra) actions.push_back(std::move(a));
  return actions;
}

std::vector<TEventSlot> EditEvents() {
  return WithCommonEvents({{"OnChange", [](TControl* C, TEvil E) {
                              static_cast<TCustomEdit*>(C)->SetOnChange([E](TObject*) { E(); });
                            }}});
}

// The caret and the selection stay inside the text.
void CheckEdit(TWorld& W, TControl* C) {
  auto* e = static_cast<TCustomEdit*>(C);
  const int len = static_cast<int>(e->Text().size());
  W.Expect(e->SelStart() >= 0 && e->SelLength() >= 0 && e->SelStart() + e->SelLength() <= len,
           W.Describe(C) + "'s selection lies outside its text");
}

std::string CaseOf(TCustomEdit* E, const std::string& Text) {
  switch (E->CharCase()) {
    case ecUpperCase: return UpperCase(Text);
    case ecLowerCase: return LowerCase(Text);
    default: return Text;
  }
}

// ---- TEdit -----------------------------------------------------------------------------------

const bool kEdit = RegisterControlKind({
    .Name = "Edit",
    .MakeWeight = 3,
    .Make = [](TWorld&, TForm* Form, TRng& R) -> TControl* {
      auto* e = new TEdit(Form);
      e->SetParent(Form);
      e->SetText(RandomText(R, false));
      return e;
    },
    .Actions = EditActions(),
    .Events = EditEvents(),
    .Check = CheckEdit,
});

// ---- TDBEdit ---------------------------------------------------------------------------------

void BindDBEdit(TWorld& W, TMonkeyDBEdit* E, TRng& R) {
  auto alive = E->Alive();
  TDataSource* source = R.Chance(90) ? W.PickSource(R) : nullptr;
  const TAliveToken sourceAlive = source ? source->Alive() : TAliveToken();
  E->SetDataSource(source);  // the edit's handlers may free it or the source
  if (!alive) return;
  TField* field = W.PickField(sourceAlive ? source : nullptr, R);
  E->SetDataField(R.Chance(90) && field ? field->FieldName() : std::string("Nope"));
}

// A data-aware edit shows its field: the display text (or, being edited, the edit text),
// unless the text was changed since it last read the field (typed, pasted, set by code); and
// it holds no field of another data set.
void CheckDBEdit(TWorld& W, TControl* C) {
  CheckEdit(W, C);
  auto* e = static_cast<TMonkeyDBEdit*>(C);
  const std::string name = W.Describe(C);
  TFieldDataLink* link = e->DataLink();
  TField* field = e->Field();
  TDataSet* ds = link->DataSet();
  if (field) {
    W.Expect(W.FindObject(field) != nullptr, name + " holds a field that is gone");
    if (W.Failed()) return;
    W.Expect(link->Active() && field->DataSet() == ds, name + " holds a field of another data set");
  }
  if (W.Failed() || (ds && ds->ControlsDisabled())) return;
  // Its window takes typing only while the link edits a field that can be written.
  W.Expect(!link->Editing() || (field && field->CanModify()), name + " edits a field that can't be written");
  W.Expect(static_cast<TCustomEdit*>(e)->ReadOnly() == !link->Editing(),
           name + "'s window does not follow whether its field is edited");
  if (W.Failed() || !e->ShowsField()) return;
  const std::string text = e->Text();
  if (!field) {
    W.Expect(text.empty(), name + " shows " + Quote(text) + " without a field");
    return;
  }
  // Window text ends at a NUL, as on the system: a value with one shows up to it.
  auto shown = [](std::string Text) { return Text.substr(0, Text.find('\0')); };
  const std::string display = shown(field->DisplayText()), edit = shown(field->EditText());
  W.Expect(text == CaseOf(e, display) || text == CaseOf(e, edit),
           name + " shows " + Quote(text) + ", not its field's " + Quote(display));
}

const bool kDBEdit = RegisterControlKind({
    .Name = "DBEdit",
    .MakeWeight = 4,
    .Make = [](TWorld& W, TForm* Form, TRng& R) -> TControl* {
      auto* e = new TMonkeyDBEdit(Form);
      e->SetParent(Form);
      try {
        BindDBEdit(W, e, R);
      } catch (const Exception&) {
        // A field that is not there: the edit stays unbound.
      }
      return e;
    },
    .Actions = EditActions({
        {"bind", 3,
         [](TWorld& W, TControl* C, TRng& R) {
           const std::string name = W.Describe(C);
           BindDBEdit(W, static_cast<TMonkeyDBEdit*>(C), R);
           return name + " bound anew";
         }},
        {"reset", 1,
         [](TWorld& W, TControl* C, TRng&) {
           const std::string name = W.Describe(C);
           static_cast<TDBEdit*>(C)->Reset();
           return name + ".Reset";
         }},
        {"read only", 1,
         [](TWorld& W, TControl* C, TRng&) {
           auto* e = static_cast<TDBEdit*>(C);
           const std::string name = W.Describe(C);
           e->SetReadOnly(!e->ReadOnly());
           return name + ".ReadOnly";
         }},
    }),
    .Events = EditEvents(),
    .Check = CheckDBEdit,
});

// ---- TKtSearchEdit ---------------------------------------------------------------------------

std::string RandomSearchField(TWorld& W, TRng& R) {
  if (R.Chance(75)) return "Name";
  if (TField* f = W.PickAs<TField>(TRole::Field, R); f && R.Chance(80)) return f->FieldName();
  return R.Chance(50) ? "Nope" : "";
}

// Types a search and checks that the data set stands on the first match: when the text has
// no control characters, nothing raised, no evil handler ran and the data is left alone.
std::string TypeSearch(TWorld& W, TControl* C, TRng& R) {
  auto* e = static_cast<TKtSearchEdit*>(C);
  const std::string name = W.Describe(C);
  auto alive = e->Alive();
  if (!e->CanFocus()) return name + " can't be focused";
  e->SetFocus();
  if (!alive || !e->Focused()) return name + " did not take the focus";
  TDataSource* source = e->SearchSource();
  TDataSet* ds = source ? source->DataSet() : nullptr;
  const TAliveToken sourceAlive = source ? source->Alive() : TAliveToken();
  const TAliveToken dsAlive = ds ? ds->Alive() : TAliveToken();
  const int evil = W.EvilRuns(), errors = Application->ExceptionCount();
  const std::string before = e->Text();
  std::string typed;
  if (R.Chance(15)) {
    e->SelectAll();
    sim::PressKey(VK_DELETE);
    typed = "(cleared)";
  } else {
    typed = RandomText(R, true);
    if (R.Chance(60)) typed = typed.substr(0, 4);
    sim::TypeText(typed);
  }
  const std::string line = "search " + Quote(typed) + " in " + name;
  for (char c : typed)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return line;
  if (!alive || !sourceAlive || !dsAlive || W.EvilRuns() != evil || Application->ExceptionCount() != errors)
    return line;
  if (e->SearchSource() != source || source->DataSet() != ds || source->State() != dsBrowse ||
      ds->ControlsDisabled() || ds->State() != dsBrowse)
    return line;
  TField* field = ds->FindField(e->SearchField());
  if (!field || field->DataType() != ftString ||
      (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc))
    return line;
  TQuietScope quiet(W);
  const std::string text = e->Text();
  if (text == before) return line;  // no change, no search
  if (text.empty()) {
    W.Expect(ds->RecordCount() == 0 || ds->RecNo() == 1,
             name + " was cleared but its data set is not on the first record");
    return line;
  }
  const std::vector<std::string> values = W.ColumnValues(source, field);
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].size() < text.size() || CompareText(values[i].substr(0, text.size()), text) != 0) continue;
    W.Expect(ds->RecNo() == static_cast<int>(i) + 1,
             name + " searched " + Quote(text) + ": the data set stands on record " +
                 std::to_string(ds->RecNo()) + ", the first match is " + std::to_string(i + 1));
    break;
  }
  return line;
}

const bool kSearchEdit = RegisterControlKind({
    .Name = "Search",
    .MakeWeight = 3,
    .Make = [](TWorld& W, TForm* Form, TRng& R) -> TControl* {
      auto* e = new TKtSearchEdit(Form);
      e->SetParent(Form);
      e->SetSearchSource(R.Chance(90) ? W.PickSource(R) : nullptr);
      e->SetSearchField(RandomSearchField(W, R));
      return e;
    },
    .Actions = EditActions({
        {"type", 6, TypeSearch},
        {"search field", 1,
         [](TWorld& W, TControl* C, TRng& R) {
           const std::string field = RandomSearchField(W, R), name = W.Describe(C);
           static_cast<TKtSearchEdit*>(C)->SetSearchField(field);
           return name + ".SearchField = " + Quote(field);
         }},
        {"search source", 1,
         [](TWorld& W, TControl* C, TRng& R) {
           TDataSource* s = R.Chance(85) ? W.PickSource(R) : nullptr;
           const std::string name = W.Describe(C) + ".SearchSource = " + W.Describe(s);
           static_cast<TKtSearchEdit*>(C)->SetSearchSource(s);
           return name;
         }},
    }),
    .Events = EditEvents(),
    .Check =
        [](TWorld& W, TControl* C) {
          CheckEdit(W, C);
          TDataSource* s = static_cast<TKtSearchEdit*>(C)->SearchSource();
          W.Expect(!s || W.FindObject(s), W.Describe(C) + " holds a data source that is gone");
        },
});

}  // namespace
}  // namespace monkey
