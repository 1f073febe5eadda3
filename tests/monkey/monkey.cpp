#include "monkey.h"

// Sections: random numbers and text | control kinds | the world's objects | making things |
// evil handlers | invariants | steps | running seeds | shrinking | crash report

#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>

#include "platform/vcl/application.h"
#include "platform/vcl/edit.h"
#include "platform/win/input.h"
#include "platform/win/window_system.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace monkey {

using namespace vcl;

// ---- random numbers and text -------------------------------------------------------------------

std::uint64_t TRng::Next() {
  std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int TRng::Below(int N) {
  return N <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(N));
}

int TRng::Between(int Low, int High) {
  return High <= Low ? Low : Low + Below(High - Low + 1);
}

bool TRng::Chance(int Percent) {
  return Below(100) < Percent;
}

namespace {
// Beginnings of the names in the tables, so that searches find something.
const char* const kWords[] = {"a", "ab", "sm", "SM", "smy", "J", "jo", "ad", "z", "Ze", "o'", "1", "12", "x"};
const char* const kNames[] = {"Abbott",
                              "SMITH",
                              "smythe",
                              "Jones",
                              "Adams",
                              "Zeta",
                              "o'Brien",
                              "12",
                              "\xC9mile",
                              "",
                              "adams",
                              "Smithson",
                              "A very long name indeed"};
const char* const kCities[] = {"Boston", "Paris", "Rome", "Oslo", "", "Lima"};
}  // namespace

std::string RandomText(TRng& R, bool ForTyping) {
  switch (R.Below(10)) {
    case 0: return std::string();
    case 1: {  // long: typed text stays shortish (each keystroke is a message round)
      const int n = ForTyping ? R.Between(30, 120) : R.Between(200, 3000);
      std::string s;
      for (int i = 0; i < n; ++i) s += static_cast<char>('a' + R.Below(26));
      return s;
    }
    case 2: {  // every byte, in order or shuffled
      std::string s;
      for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
      if (R.Chance(50))
        for (size_t i = s.size() - 1; i > 0; --i)
          std::swap(s[i], s[static_cast<size_t>(R.Below(static_cast<int>(i) + 1))]);
      return s;
    }
    case 3: {  // control characters
      std::string s;
      const int n = R.Between(1, 6);
      for (int i = 0; i < n; ++i) s += static_cast<char>(R.Chance(90) ? R.Below(32) : 127);
      return s;
    }
    default: {
      std::string s = kWords[R.Below(std::size(kWords))];
      if (R.Chance(30)) s += static_cast<char>('a' + R.Below(26));
      return s;
    }
  }
}

TShiftState RandomShift(TRng& R) {
  TShiftState s;
  if (R.Chance(25)) s.Include(ssShift);
  if (R.Chance(15)) s.Include(ssCtrl);
  if (R.Chance(8)) s.Include(ssAlt);
  return s;
}

bool RandomPointIn(TControl* Control, TRng& R, HWND& Wnd, TPoint& Point) {
  auto* win = dynamic_cast<TWinControl*>(Control);
  TPoint offset{0, 0};
  if (!win) {
    win = Control->Parent();
    offset = TPoint{Control->Left(), Control->Top()};
  }
  if (!win || !win->HandleAllocated() || !IsWindowVisible(win->Handle())) return false;
  Wnd = win->Handle();
  const int w = std::max(1, Control->Width()), h = std::max(1, Control->Height());
  Point = R.Chance(90) ? TPoint{offset.X + R.Below(w), offset.Y + R.Below(h)}
                       : TPoint{offset.X + R.Between(-20, w + 20), offset.Y + R.Between(-20, h + 20)};
  return true;
}

std::string Quote(const std::string& Text) {
  std::string out = "\"";
  for (size_t i = 0; i < Text.size() && i < 24; ++i) {
    const unsigned char c = static_cast<unsigned char>(Text[i]);
    if (c >= 32 && c < 127 && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  if (Text.size() > 24) out += "...(" + std::to_string(Text.size()) + ")";
  return out + "\"";
}

// ---- control kinds -----------------------------------------------------------------------------

namespace {
std::vector<TControlKind>& Kinds() {
  static std::vector<TControlKind> kinds;
  return kinds;
}
}  // namespace

bool RegisterControlKind(TControlKind Kind) {
  Kinds().push_back(std::move(Kind));
  return true;
}

const std::vector<TControlKind>& ControlKinds() {
  return Kinds();
}

std::vector<TEventSlot> WithCommonEvents(std::vector<TEventSlot> Extra) {
  auto win = [](TControl* C) { return dynamic_cast<TWinControl*>(C); };
  std::vector<TEventSlot> slots = {
      {"OnClick", [](TControl* C, TEvil E) { C->SetOnClick([E](TObject*) { E(); }); }},
      {"OnDblClick", [](TControl* C, TEvil E) { C->SetOnDblClick([E](TObject*) { E(); }); }},
      {"OnMouseDown",
       [](TControl* C, TEvil E) {
         C->SetOnMouseDown([E](TObject*, TMouseButton, TShiftState, int, int) { E(); });
       }},
      {"OnMouseUp",
       [](TControl* C, TEvil E) {
         C->SetOnMouseUp([E](TObject*, TMouseButton, TShiftState, int, int) { E(); });
       }},
      {"OnMouseMove",
       [](TControl* C, TEvil E) { C->SetOnMouseMove([E](TObject*, TShiftState, int, int) { E(); }); }},
      {"OnMouseWheel",
       [](TControl* C, TEvil E) {
         C->SetOnMouseWheel([E](TObject*, TShiftState, int, TPoint, bool&) { E(); });
       }},
      {"OnResize", [](TControl* C, TEvil E) { C->SetOnResize([E](TObject*) { E(); }); }},
      {"OnEnter",
       [win](TControl* C, TEvil E) {
         if (auto* w = win(C)) w->SetOnEnter([E](TObject*) { E(); });
       }},
      {"OnExit",
       [win](TControl* C, TEvil E) {
         if (auto* w = win(C)) w->SetOnExit([E](TObject*) { E(); });
       }},
      {"OnKeyDown",
       [win](TControl* C, TEvil E) {
         if (auto* w = win(C)) w->SetOnKeyDown([E](TObject*, Word&, TShiftState) { E(); });
       }},
      {"OnKeyPress",
       [win](TControl* C, TEvil E) {
         if (auto* w = win(C)) w->SetOnKeyPress([E](TObject*, char&) { E(); });
       }},
      {"OnKeyUp",
       [win](TControl* C, TEvil E) {
         if (auto* w = win(C)) w->SetOnKeyUp([E](TObject*, Word&, TShiftState) { E(); });
       }},
  };
  for (TEventSlot& s : Extra) slots.push_back(std::move(s));
  return slots;
}

// ---- the world's objects -----------------------------------------------------------------------

TWorld::TWorld(std::uint64_t) {
  FDataModule = new TComponent(nullptr);
  FDataModule->SetName("Data");
}

TWorld::~TWorld() {
  TQuietScope quiet(*this);
  for (TRole role : {TRole::Form, TRole::Control}) {
    std::vector<int> ids;
    for (TEntry* e : Live(role)) ids.push_back(e->Id);
    for (int id : ids) Free(id);
  }
  delete FDataModule;
}

void TWorld::Prune() {
  std::erase_if(FEntries, [](const TEntry& e) { return !e.Live(); });
}

TEntry* TWorld::Add(TObject* Object, TRole Role, const TControlKind* Kind) {
  TEntry e;
  e.Id = FNextId++;
  e.Role = Role;
  e.Object = Object;
  e.Alive = Object->Alive();
  e.Kind = Kind;
  if (auto* c = dynamic_cast<TComponent*>(Object); c && Role != TRole::Field) {
    std::string base = Kind                     ? Kind->Name
                       : Role == TRole::Form    ? "Form"
                       : Role == TRole::DataSet ? "Table"
                                                : "Source";
    c->SetName(base + std::to_string(e.Id));
  }
  FEntries.push_back(e);
  return &FEntries.back();
}

TEntry* TWorld::Find(int Id) {
  for (TEntry& e : FEntries)
    if (e.Id == Id) return e.Live() ? &e : nullptr;
  return nullptr;
}

TEntry* TWorld::FindObject(const TObject* Object) {
  if (!Object) return nullptr;
  for (TEntry& e : FEntries)
    if (e.Object == Object && e.Live()) return &e;
  return nullptr;
}

std::vector<TEntry*> TWorld::Live(TRole Role) {
  std::vector<TEntry*> out;
  for (TEntry& e : FEntries)
    if (e.Role == Role && e.Live()) out.push_back(&e);
  return out;
}

std::vector<TEntry*> TWorld::LiveOfKind(const TControlKind* Kind) {
  std::vector<TEntry*> out;
  for (TEntry* e : Live(TRole::Control))
    if (e->Kind == Kind) out.push_back(e);
  return out;
}

TEntry* TWorld::Pick(TRole Role, TRng& R) {
  std::vector<TEntry*> live = Live(Role);
  return live.empty() ? nullptr : live[static_cast<size_t>(R.Below(static_cast<int>(live.size())))];
}

TField* TWorld::PickField(TDataSource* Source, TRng& R) {
  if (Source && Source->DataSet() && Source->DataSet()->FieldCount() > 0 && R.Chance(85)) {
    TDataSet* ds = Source->DataSet();
    return ds->Fields(R.Below(ds->FieldCount()));
  }
  return PickAs<TField>(TRole::Field, R);
}

void TWorld::Free(int Id) {
  TEntry* e = Find(Id);
  if (!e) return;
  TObject* object = e->Object;
  e->Alive = TAliveToken();  // forgotten first: a handler that runs meanwhile can't free it again
  delete object;
}

std::string TWorld::Describe(const TObject* Object) {
  if (!Object) return "nothing";
  if (auto* f = dynamic_cast<const TField*>(Object))
    return (f->DataSet() ? f->DataSet()->Name() + "." : std::string()) + f->FieldName();
  if (auto* c = dynamic_cast<const TComponent*>(Object)) return c->Name();
  return Object->ClassName();
}

// ---- making things -----------------------------------------------------------------------------

TForm* TWorld::MakeForm(TRng& R) {
  auto* form = new TForm(Application);
  Add(form, TRole::Form);
  form->SetBounds(R.Between(0, 500), R.Between(0, 350), R.Between(200, 480), R.Between(150, 380));
  form->SetKeyPreview(R.Chance(20));
  auto alive = form->Alive();
  form->Show();  // the other form's deactivation handlers may free this one
  return alive ? form : nullptr;
}

TControl* TWorld::MakeControl(TForm* Form, TRng& R) {
  const auto& kinds = ControlKinds();
  int total = 0;
  for (const TControlKind& k : kinds) total += k.MakeWeight;
  int pick = R.Below(total);
  const TControlKind* kind = &kinds.front();
  for (const TControlKind& k : kinds) {
    if (pick < k.MakeWeight) {
      kind = &k;
      break;
    }
    pick -= k.MakeWeight;
  }
  // Making the control runs the form's handlers (a new child may move the focus), which may
  // free the form and the control with it.
  auto formAlive = Form->Alive();
  TControl* c = kind->Make(*this, Form, R);
  if (!c || !formAlive) return nullptr;
  Add(c, TRole::Control, kind);
  if (c->Parent() == nullptr) c->SetParent(Form);
  c->SetBounds(R.Between(0, std::max(0, Form->Width() - 130)), R.Between(0, std::max(0, Form->Height() - 60)),
               R.Between(20, 160), R.Between(15, 40));
  return c;
}

TMemDataSet* TWorld::MakeTable(TRng& R) {
  auto* ds = new TMemDataSet(FDataModule);
  Add(ds, TRole::DataSet);
  Add(ds->AddIntegerField("Id"), TRole::Field);
  Add(ds->AddStringField("Name", 20), TRole::Field);
  TField* city = ds->AddStringField("City", 15);
  Add(city, TRole::Field);
  city->SetRequired(R.Chance(15));
  Add(ds->AddFloatField("Amount"), TRole::Field);
  if (R.Chance(40)) {
    TField* upper = ds->AddCalcField("Upper", ftString, 20);
    Add(upper, TRole::Field);
    ds->SetOnCalcFields([](TDataSet* D) {
      if (TField* u = D->FindField("Upper"))
        if (TField* n = D->FindField("Name")) u->SetAsString(UpperCase(n->AsString()));
    });
  }
  ds->Open();
  const int n = R.Between(0, 14);
  for (int i = 0; i < n; ++i)
    ds->AppendRecord({i + 1, kNames[R.Below(std::size(kNames))], kCities[R.Below(std::size(kCities))],
                      R.Below(1000) / 10.0});
  ds->First();
  return ds;
}

TDataSource* TWorld::MakeSource(TRng& R) {
  auto* source = new TDataSource(FDataModule);
  Add(source, TRole::Source);
  source->SetDataSet(PickAs<TDataSet>(TRole::DataSet, R));
  return source;
}

void TWorld::Populate(TRng& R) {
  const int tables = R.Between(1, 2);
  for (int i = 0; i < tables; ++i) MakeTable(R);
  const int sources = R.Between(1, 3);
  for (int i = 0; i < sources; ++i) MakeSource(R);
  const int forms = R.Between(1, 2);
  for (int i = 0; i < forms; ++i) {
    TForm* form = MakeForm(R);
    if (!form) continue;
    const int controls = R.Between(2, 6);
    for (int c = 0; c < controls; ++c) MakeControl(form, R);
  }
}

// ---- evil handlers -----------------------------------------------------------------------------

namespace {
TRole RandomRole(TRng& R) {
  const int r = R.Below(100);
  return r < 45   ? TRole::Control
         : r < 60 ? TRole::Form
         : r < 75 ? TRole::DataSet
         : r < 88 ? TRole::Source
                  : TRole::Field;
}

// A data set operation by number; raising is the data set's business.
std::string DataOp(TDataSet* D, int Op, TRng& R) {
  switch (Op % 16) {
    case 0: D->First(); return "First";
    case 1: D->Last(); return "Last";
    case 2: D->Next(); return "Next";
    case 3: D->Prior(); return "Prior";
    case 4: {
      const int by = R.Between(-5, 5);
      D->MoveBy(by);
      return "MoveBy " + std::to_string(by);
    }
    case 5: {
      const int no = R.Between(0, 12);
      D->SetRecNo(no);
      return "RecNo " + std::to_string(no);
    }
    case 6: D->Edit(); return "Edit";
    case 7: D->Post(); return "Post";
    case 8: D->Cancel(); return "Cancel";
    case 9: D->Insert(); return "Insert";
    case 10: D->Append(); return "Append";
    case 11: D->Delete(); return "Delete";
    case 12: D->Refresh(); return "Refresh";
    case 13: {
      const bool open = D->Active();
      D->SetActive(!open);
      return open ? "Close" : "Open";
    }
    case 14: {
      const std::string text = kWords[R.Below(std::size(kWords))];
      D->Locate("Name", Variant(text), {loCaseInsensitive, loPartialKey});
      return "Locate " + Quote(text);
    }
    default:
      if (auto* m = dynamic_cast<TMemDataSet*>(D)) {
        if (R.Chance(20)) {
          m->EmptyTable();
          return "EmptyTable";
        }
        m->AppendRecord({R.Below(100), kNames[R.Below(std::size(kNames))]});
        return "AppendRecord";
      }
      return "nothing";
  }
}
}  // namespace

TEvil TWorld::MakeEvil(int Owner, TRng& R) {
  const int behaviour = R.Below(14);
  const bool oneShot = R.Chance(50);
  const std::uint64_t seed = R.Fork();
  auto used = std::make_shared<bool>(false);
  return [this, Owner, behaviour, oneShot, seed, used] {
    if (FQuiet || (oneShot && *used)) return;
    *used = true;
    ++FEvilRuns;
    TRng r(seed + static_cast<std::uint64_t>(FEvilRuns));
    static const char* const kDoes[] = {"frees its object", "frees its object",
                                        "frees its form",   "frees something",
                                        "frees something",  "raises",
                                        "refuses",          "aborts",
                                        "frees and raises", "moves the focus",
                                        "runs on a table",  "shows, hides, enables",
                                        "sets a text",      "frees and moves the focus"};
    if (FTrace) {
      TEntry* e = Find(Owner);
      std::printf("[%s's evil handler %s] ", e ? Describe(e->Object).c_str() : "a gone object's",
                  kDoes[behaviour]);
    }
    auto freeRandom = [&] {
      if (TEntry* e = Pick(RandomRole(r), r)) Free(e->Id);
    };
    auto ownerForm = [&]() -> TEntry* {
      TEntry* e = Find(Owner);
      auto* c = e ? dynamic_cast<TControl*>(e->Object) : nullptr;
      return c ? FindObject(GetParentForm(c)) : nullptr;
    };
    switch (behaviour) {
      case 0:
      case 1: Free(Owner); return;
      case 2:
        if (TEntry* f = ownerForm()) Free(f->Id);
        return;
      case 3:
      case 4: freeRandom(); return;
      case 5: throw Exception("monkey raised");
      case 6: throw EDatabaseError("monkey refused");
      case 7: throw EAbort("monkey aborted");
      case 8: Free(Owner); throw Exception("monkey freed and raised");
      case 9:
        if (auto* c = PickAs<TWinControl>(TRole::Control, r); c && c->CanFocus()) c->SetFocus();
        return;
      case 10:
        if (auto* d = PickAs<TDataSet>(TRole::DataSet, r)) {
          const std::string name = FTrace ? Describe(d) : std::string();
          const std::string op = DataOp(d, r.Below(16), r);
          if (FTrace) std::printf("[%s on %s] ", op.c_str(), name.c_str());
        }
        return;
      case 11:
        if (auto* c = PickAs<TControl>(TRole::Control, r))
          r.Chance(50) ? c->SetVisible(!c->Visible()) : c->SetEnabled(!c->Enabled());
        return;
      case 12:
        if (auto* c = PickAs<TControl>(TRole::Control, r)) c->SetText(RandomText(r, false));
        return;
      default:
        freeRandom();
        if (auto* c = PickAs<TWinControl>(TRole::Control, r); c && c->CanFocus()) c->SetFocus();
        return;
    }
  };
}

void TWorld::PutEvilHandler(TRng& R, std::string& Trace) {
  TEntry* e = Pick(RandomRole(R), R);
  if (!e) {
    Trace = "evil: nothing to put it on";
    return;
  }
  TEvil evil = MakeEvil(e->Id, R);
  // Putting a handler may call out (a new OnCalcFields has the controls read again), and
  // other handlers may free the object meanwhile.
  const std::string target = Describe(e->Object);
  std::string event;
  switch (e->Role) {
    case TRole::Control: {
      const auto& events = e->Kind->Events;
      if (events.empty()) break;
      const TEventSlot& slot = events[static_cast<size_t>(R.Below(static_cast<int>(events.size())))];
      slot.Assign(static_cast<TControl*>(e->Object), evil);
      event = slot.Name;
      break;
    }
    case TRole::Form: {
      auto* f = static_cast<TForm*>(e->Object);
      static const std::vector<TEventSlot> formEvents = WithCommonEvents({
          {"OnActivate",
           [](TControl* C, TEvil E) { static_cast<TForm*>(C)->SetOnActivate([E](TObject*) { E(); }); }},
          {"OnDeactivate",
           [](TControl* C, TEvil E) { static_cast<TForm*>(C)->SetOnDeactivate([E](TObject*) { E(); }); }},
      });
      const TEventSlot& slot = formEvents[static_cast<size_t>(R.Below(static_cast<int>(formEvents.size())))];
      slot.Assign(f, evil);
      event = slot.Name;
      break;
    }
    case TRole::DataSet: {
      auto* d = static_cast<TDataSet*>(e->Object);
      using TSet = void (*)(TDataSet*, TDataSetNotifyEvent);
#define KT_EVENT(Name)                                                             \
  {                                                                                \
#Name, [](TDataSet * D, TDataSetNotifyEvent V) { D->Set##Name(std::move(V)); } \
  }
      static const std::pair<const char*, TSet> events[] = {
          KT_EVENT(BeforeOpen),   KT_EVENT(AfterOpen),    KT_EVENT(BeforeClose),  KT_EVENT(AfterClose),
          KT_EVENT(BeforeInsert), KT_EVENT(AfterInsert),  KT_EVENT(BeforeEdit),   KT_EVENT(AfterEdit),
          KT_EVENT(BeforePost),   KT_EVENT(AfterPost),    KT_EVENT(BeforeCancel), KT_EVENT(AfterCancel),
          KT_EVENT(BeforeDelete), KT_EVENT(AfterDelete),  KT_EVENT(BeforeScroll), KT_EVENT(AfterScroll),
          KT_EVENT(OnNewRecord),  KT_EVENT(OnCalcFields),
      };
#undef KT_EVENT
      const auto& [name, set] = events[R.Below(std::size(events))];
      if (std::string(name) == "OnCalcFields") {
        // A calculation that raises leaves the fields that read it unreadable, and their
        // controls showing what they showed: such a handler frees and moves, but does not raise.
        set(d, [evil](TDataSet*) {
          try {
            evil();
          } catch (const Exception&) {
          }
        });
      } else {
        set(d, [evil](TDataSet*) { evil(); });
      }
      event = name;
      break;
    }
    case TRole::Source: {
      auto* s = static_cast<TDataSource*>(e->Object);
      switch (R.Below(3)) {
        case 0:
          s->SetOnStateChange([evil](TObject*) { evil(); });
          event = "OnStateChange";
          break;
        case 1:
          s->SetOnDataChange([evil](TObject*, TField*) { evil(); });
          event = "OnDataChange";
          break;
        default:
          s->SetOnUpdateData([evil](TObject*) { evil(); });
          event = "OnUpdateData";
          break;
      }
      break;
    }
    case TRole::Field: {
      auto* f = static_cast<TField*>(e->Object);
      switch (R.Below(3)) {
        case 0:
          f->SetOnValidate([evil](TField*) { evil(); });
          event = "OnValidate";
          break;
        case 1:
          f->SetOnChange([evil](TField*) { evil(); });
          event = "OnChange";
          break;
        default:
          f->SetOnSetText([evil](TField* F, const std::string& Text) {
            evil();
            (void)F;
            (void)Text;
          });
          event = "OnSetText";
          break;
      }
      break;
    }
  }
  Trace = "evil handler on " + target + "." + event;
}

// ---- invariants --------------------------------------------------------------------------------

void TWorld::Expect(bool Condition, const std::string& What) {
  if (!Condition && FFailure.empty()) FFailure = What;
}

namespace {
// Reads the object through its pointer: a freed one is a use after free that the sanitizer
// reports here, at the check that found it.
void Touch(const TObject* Object) {
  volatile size_t n = Object->ClassName().size();
  (void)n;
}

void CollectWindows(HWND Wnd, std::vector<HWND>& Out) {
  Out.push_back(Wnd);
  for (HWND c : GetChildWindows(Wnd)) CollectWindows(c, Out);
}

struct TProbeLink : TDataLink {};
}  // namespace

std::vector<std::string> TWorld::ColumnValues(TDataSource* Source, TField* Field) {
  std::vector<std::string> values;
  TDataSet* ds = Source->DataSet();
  if (!ds || !ds->Active()) return values;
  TProbeLink probe;
  probe.SetBufferCount(std::max(1, ds->RecordCount() + 1));
  probe.SetDataSource(Source);
  for (int i = 0; i < probe.RecordCount(); ++i) {
    probe.SetActiveRecord(i);
    values.push_back(Field->AsString());
  }
  probe.SetActiveRecord(std::max(0, ds->RecNo() - 1));  // the fields read the current record again
  probe.SetDataSource(nullptr);
  return values;
}

void TWorld::CheckInvariants() {
  TQuietScope quiet(*this);
  auto live = [&](TControl* C, const char*) {
    if (!C) return;
    Touch(C);
    if (C->Parent()) Touch(C->Parent());
  };
  // The focus, the capture and the active controls belong to live controls.
  if (HWND focus = GetFocus()) {
    TWinControl* c = FindControl(focus);
    Expect(c != nullptr, "the focus window belongs to no control");
    if (c) {
      live(c, "focus");
      Expect(c->HandleAllocated() && c->Handle() == focus,
             "the focused control does not own the focus window");
    }
  }
  if (HWND capture = GetCapture()) {
    TWinControl* c = FindControl(capture);
    Expect(c != nullptr, "the capture window belongs to no control");
    live(c, "capture");
  }
  Expect(GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0,
         "a modifier key is still held");
  live(Screen->ActiveControl(), "Screen.ActiveControl");
  live(Screen->ActiveForm(), "Screen.ActiveForm");
  live(Screen->FocusedForm(), "Screen.FocusedForm");
  if (Application->MouseControl()) Touch(Application->MouseControl());
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* f = Screen->Forms(i);
    Touch(f);
    if (TWinControl* a = f->ActiveControl()) {
      Touch(a);
      Expect(GetParentForm(a) == f, Describe(f) + "'s active control is on another form");
    }
    if (TWinControl* fc = f->FocusedControl()) {
      Touch(fc);
      Expect(fc == f || f->ContainsControl(fc), Describe(f) + "'s focused control is not inside it");
    }
  }
  // Every window (and so every timer, which runs on a window) belongs to a live control.
  std::vector<HWND> windows;
  for (HWND top : GetTopLevelWindows()) CollectWindows(top, windows);
  for (HWND h : windows) {
    TWinControl* c = FindControl(h);
    Expect(c != nullptr, "a window belongs to no control");
    if (!c) continue;
    Touch(c);
    Expect(c->HandleAllocated() && c->Handle() == h, Describe(c) + " does not own its window");
  }
  // The data.
  for (TEntry* e : Live(TRole::DataSet)) {
    auto* d = static_cast<TDataSet*>(e->Object);
    Expect(!d->ControlsDisabled(), Describe(d) + " was left with its controls disabled");
    Expect(d->State() != dsCalcFields, Describe(d) + " was left calculating");
    if (!d->Active() || d->RecordCount() < 0) continue;
    const int count = d->RecordCount() + (d->State() == dsInsert ? 1 : 0);
    if (count == 0) {
      Expect(d->BOF() && d->EOF(), Describe(d) + " is empty but not at BOF and EOF");
    } else {
      Expect(d->RecNo() >= 1 && d->RecNo() <= count, Describe(d) + " stands outside its records");
    }
  }
  for (TEntry* e : Live(TRole::Source)) {
    auto* s = static_cast<TDataSource*>(e->Object);
    TDataSet* d = s->DataSet();
    if (d) {
      Touch(d);
      Expect(FindObject(d) != nullptr, Describe(s) + " holds a data set the world does not know");
    }
    const TDataSetState expected = d && s->Enabled() ? d->State() : dsInactive;
    Expect(s->State() == expected, Describe(s) + " does not mirror its data set's state");
  }
  for (TEntry* e : Live(TRole::Field)) {
    auto* f = static_cast<TField*>(e->Object);
    if (f->DataSet()) Touch(f->DataSet());
  }
  // Each control kind's own.
  for (TEntry* e : Live(TRole::Control)) {
    auto* c = static_cast<TControl*>(e->Object);
    Touch(c);
    if (e->Kind->Check) e->Kind->Check(*this, c);
    if (Failed()) break;
  }
}

// ---- steps -------------------------------------------------------------------------------------

namespace {

struct TStepAction {
  std::string Name;
  int Weight;
  std::function<std::string(TWorld&, TRng&)> Run;
};

TControl* PickShowingControl(TWorld& W, TRng& R) {
  std::vector<TEntry*> controls = W.Live(TRole::Control);
  std::vector<TEntry*> forms = W.Live(TRole::Form);
  controls.insert(controls.end(), forms.begin(), forms.end());
  if (controls.empty()) return nullptr;
  return static_cast<TControl*>(
      controls[static_cast<size_t>(R.Below(static_cast<int>(controls.size())))]->Object);
}

const Word kKeys[] = {VK_TAB,   VK_RETURN, VK_ESCAPE, VK_BACK, VK_DELETE, VK_INSERT, VK_HOME, VK_END,
                      VK_LEFT,  VK_RIGHT,  VK_UP,     VK_DOWN, VK_PRIOR,  VK_NEXT,   VK_F2,   VK_F4,
                      VK_SPACE, 'A',       'C',       'V',     'X',       'Z',       '1',     VK_MENU};

std::vector<TStepAction> MakeStepActions() {
  std::vector<TStepAction> a = {
      {"type", 14,
       [](TWorld&, TRng& R) {
         const std::string text = RandomText(R, true);
         sim::TypeText(text);
         return "type " + Quote(text);
       }},
      {"key", 12,
       [](TWorld&, TRng& R) {
         const Word key = kKeys[R.Below(std::size(kKeys))];
         const TShiftState shift = RandomShift(R);
         sim::PressKey(key, shift);
         return "key " + std::to_string(key) + (shift.Contains(ssShift) ? "+Shift" : "") +
                (shift.Contains(ssCtrl) ? "+Ctrl" : "") + (shift.Contains(ssAlt) ? "+Alt" : "");
       }},
      {"click", 10,
       [](TWorld& W, TRng& R) -> std::string {
         TControl* c = PickShowingControl(W, R);
         HWND wnd;
         TPoint p;
         if (!c || !RandomPointIn(c, R, wnd, p)) return "click: nothing showing";
         const std::string name = W.Describe(c);
         const TMouseButton button = R.Chance(85) ? mbLeft : R.Chance(50) ? mbRight : mbMiddle;
         sim::Click(wnd, p, button, R.Chance(20) ? TShiftState{ssShift} : TShiftState{});
         return "click " + name + " at " + std::to_string(p.X) + "," + std::to_string(p.Y);
       }},
      {"double click", 4,
       [](TWorld& W, TRng& R) -> std::string {
         TControl* c = PickShowingControl(W, R);
         HWND wnd;
         TPoint p;
         if (!c || !RandomPointIn(c, R, wnd, p)) return "double click: nothing showing";
         const std::string name = W.Describe(c);
         sim::DoubleClick(wnd, p);
         return "double click " + name;
       }},
      {"drag", 4,
       [](TWorld& W, TRng& R) -> std::string {
         TControl* c = PickShowingControl(W, R);
         HWND wnd;
         TPoint from;
         if (!c || !RandomPointIn(c, R, wnd, from)) return "drag: nothing showing";
         const std::string name = W.Describe(c);
         const TPoint to{from.X + R.Between(-150, 150), from.Y + R.Between(-80, 80)};
         sim::Drag(wnd, from, to, R.Between(1, 6));
         return "drag in " + name;
       }},
      {"wheel", 5,
       [](TWorld& W, TRng& R) {
         static const int deltas[] = {120, -120, 240, -360, 60, -30, 1200};
         const int delta = deltas[R.Below(std::size(deltas))];
         TControl* c = PickShowingControl(W, R);
         HWND wnd;
         TPoint p;
         if (c && RandomPointIn(c, R, wnd, p))
           sim::Wheel(delta, sim::ScreenPoint(wnd, p));
         else
           sim::Wheel(delta);
         return "wheel " + std::to_string(delta);
       }},
      {"move", 2,
       [](TWorld&, TRng& R) {
         sim::MouseMove(TPoint{R.Below(1024), R.Below(768)});
         return std::string("mouse move");
       }},
      {"focus", 6,
       [](TWorld& W, TRng& R) -> std::string {
         auto* c = dynamic_cast<TWinControl*>(PickShowingControl(W, R));
         if (!c) return "focus: nothing";
         const std::string name = W.Describe(c);
         if (c->CanFocus()) c->SetFocus();
         return "focus " + name;
       }},
      {"clock", 5,
       [](TWorld&, TRng& R) {
         const int ms = R.Chance(70) ? R.Below(600) : R.Below(4000);
         sim::AdvanceTime(static_cast<DWORD>(ms));
         return "clock +" + std::to_string(ms) + " ms";
       }},
      {"data", 12,
       [](TWorld& W, TRng& R) -> std::string {
         auto* d = W.PickAs<TDataSet>(TRole::DataSet, R);
         if (!d) return "data: no table";
         const std::string name = W.Describe(d);
         return name + "." + DataOp(d, R.Below(16), R);
       }},
      {"field", 5,
       [](TWorld& W, TRng& R) -> std::string {
         auto* f = W.PickAs<TField>(TRole::Field, R);
         if (!f || !f->DataSet()) return "field: none";
         const std::string name = W.Describe(f);
         auto alive = f->Alive();
         if (R.Chance(70)) f->DataSet()->Edit();
         const std::string text = R.Chance(50) ? RandomText(R, false) : std::to_string(R.Between(-5, 2000));
         if (alive) f->SetAsString(text);
         return "set " + name + " to " + Quote(text);
       }},
      {"controls", 2,
       [](TWorld& W, TRng& R) -> std::string {
         auto* d = W.PickAs<TDataSet>(TRole::DataSet, R);
         if (!d) return "controls: no table";
         const std::string name = W.Describe(d);
         auto alive = d->Alive();
         d->DisableControls();
         std::string ops;
         try {
           for (int i = R.Between(1, 3); i > 0 && alive; --i) ops += " " + DataOp(d, R.Below(16), R);
         } catch (...) {
           if (alive) d->EnableControls();
           throw;
         }
         if (alive) d->EnableControls();
         return name + " with controls disabled:" + ops;
       }},
      {"property", 6,
       [](TWorld& W, TRng& R) -> std::string {
         TControl* c = PickShowingControl(W, R);
         if (!c) return "property: nothing";
         const std::string name = W.Describe(c);
         switch (R.Below(8)) {
           case 0: c->SetVisible(!c->Visible()); return name + ".Visible";
           case 1: c->SetEnabled(!c->Enabled()); return name + ".Enabled";
           case 2:
             c->SetBounds(R.Between(-10, 300), R.Between(-10, 250), R.Between(0, 300), R.Between(0, 200));
             return name + ".SetBounds";
           case 3: c->Font()->SetSize(R.Between(6, 20)); return name + ".Font.Size";
           case 4:
             c->SetColor(R.Chance(50) ? clWindow : static_cast<TColor>(R.Below(0xFFFFFF)));
             return name + ".Color";
           case 5:
             if (auto* f = dynamic_cast<TForm*>(c)) {
               f->SetKeyPreview(!f->KeyPreview());
               return name + ".KeyPreview";
             }
             if (auto* w = dynamic_cast<TWinControl*>(c)) w->SetTabStop(!w->TabStop());
             return name + ".TabStop";
           case 6:
             if (auto* f = W.PickAs<TForm>(TRole::Form, R); f && f != c && !dynamic_cast<TForm*>(c)) {
               const std::string line = name + ".Parent = " + W.Describe(f);
               c->SetParent(f);
               return line;
             }
             return name + ": no other parent";
           default: c->SetText(RandomText(R, false)); return name + ".Text";
         }
       }},
      {"data property", 3,
       [](TWorld& W, TRng& R) -> std::string {
         if (R.Chance(50)) {
           auto* s = W.PickSource(R);
           if (!s) return "data property: no source";
           const std::string name = W.Describe(s);
           switch (R.Below(3)) {
             case 0: s->SetEnabled(!s->Enabled()); return name + ".Enabled";
             case 1: s->SetAutoEdit(!s->AutoEdit()); return name + ".AutoEdit";
             default: {
               auto* d = W.PickAs<TDataSet>(TRole::DataSet, R);
               s->SetDataSet(R.Chance(80) ? d : nullptr);
               return name + ".DataSet";
             }
           }
         }
         auto* f = W.PickAs<TField>(TRole::Field, R);
         if (!f) return "data property: no field";
         const std::string name = W.Describe(f);
         switch (R.Below(4)) {
           case 0: f->SetReadOnly(!f->ReadOnly()); return name + ".ReadOnly";
           case 1: f->SetRequired(!f->Required()); return name + ".Required";
           case 2: f->SetDisplayLabel(RandomText(R, false)); return name + ".DisplayLabel";
           default:
             if (f->DataSet()) f->DataSet()->SetReadOnly(!f->DataSet()->ReadOnly());
             return name + ".DataSet.ReadOnly";
         }
       }},
      {"make", 4,
       [](TWorld& W, TRng& R) -> std::string {
         const int what = R.Below(10);
         if (what == 0 && W.Live(TRole::Form).size() < 3) return "make " + W.Describe(W.MakeForm(R));
         if (what == 1 && W.Live(TRole::DataSet).size() < 3) return "make " + W.Describe(W.MakeTable(R));
         if (what == 2 && W.Live(TRole::Source).size() < 4) return "make " + W.Describe(W.MakeSource(R));
         auto* form = W.PickAs<TForm>(TRole::Form, R);
         if (!form || W.Live(TRole::Control).size() >= 16) return "make: no room";
         const std::string on = " on " + W.Describe(form);
         TControl* c = W.MakeControl(form, R);
         return "make " + (c ? W.Describe(c) : std::string("a control that went at once")) + on;
       }},
      {"free", 3,
       [](TWorld& W, TRng& R) -> std::string {
         const int r = R.Below(100);
         const TRole role = r < 50   ? TRole::Control
                            : r < 60 ? TRole::Form
                            : r < 75 ? TRole::DataSet
                            : r < 90 ? TRole::Source
                                     : TRole::Field;
         TEntry* e = W.Pick(role, R);
         if (!e) return "free: nothing";
         const std::string name = W.Describe(e->Object);
         if (role == TRole::Form && R.Chance(30)) {
           static_cast<TForm*>(e->Object)->Release();
           return "release " + name;
         }
         W.Free(e->Id);
         return "free " + name;
       }},
      {"evil", 8,
       [](TWorld& W, TRng& R) {
         std::string trace;
         W.PutEvilHandler(R, trace);
         return trace;
       }},
  };
  // The control kinds' own actions, each on a live control of its kind.
  for (const TControlKind& kind : ControlKinds()) {
    for (const TKindAction& action : kind.Actions) {
      const TControlKind* k = &kind;
      auto run = action.Run;
      a.push_back({std::string(kind.Name) + ":" + action.Name, action.Weight, [k, run](TWorld& W, TRng& R) {
                     std::vector<TEntry*> live = W.LiveOfKind(k);
                     if (live.empty()) return std::string(k->Name) + ": none";
                     auto* c = static_cast<TControl*>(
                         live[static_cast<size_t>(R.Below(static_cast<int>(live.size())))]->Object);
                     return run(W, c, R);
                   }});
    }
  }
  return a;
}

const std::vector<TStepAction>& StepActions() {
  static const std::vector<TStepAction> actions = MakeStepActions();
  return actions;
}

int PickAction(TRng& R) {
  const auto& actions = StepActions();
  int total = 0;
  for (const TStepAction& a : actions) total += a.Weight;
  int pick = R.Below(total);
  for (size_t i = 0; i < actions.size(); ++i) {
    if (pick < actions[i].Weight) return static_cast<int>(i);
    pick -= actions[i].Weight;
  }
  return 0;
}

}  // namespace

std::string TWorld::RunStep(int Action, std::uint64_t StepSeed) {
  const TStepAction& action = StepActions()[static_cast<size_t>(Action)];
  TRng r(StepSeed);
  Prune();
  std::string line;
  // What an action raises when called directly is the caller's to see: the world goes on.
  // Anything that is not the platform's own exception is a fault.
  try {
    line = action.Run(*this, r);
  } catch (const Exception& e) {
    ++FRaised;
    line = action.Name + " raised: " + e.Message();
  } catch (const std::exception& e) {
    Expect(false, "a foreign exception escaped " + action.Name + ": " + e.what());
  }
  try {
    sim::ProcessMessages();
  } catch (const std::exception& e) {
    Expect(false, std::string("an exception escaped the message loop: ") + e.what());
  }
  return line;
}

// ---- running seeds -----------------------------------------------------------------------------

namespace {
struct TCurrentRun {
  bool Running = false;
  TRunOptions Options;
  int Step = -1;
};
TCurrentRun gCurrent;

bool Kept(const TRunOptions& O, int Step) {
  return O.Keep.empty() || std::find(O.Keep.begin(), O.Keep.end(), Step) != O.Keep.end();
}
}  // namespace

TRunResult RunSeed(const TRunOptions& Options) {
  ResetPlatform();
  TRunResult result;
  gCurrent.Running = true;
  gCurrent.Options = Options;
  gCurrent.Step = -1;
  {
    TWorld world(Options.Seed);
    world.SetTrace(Options.Trace);
    TRng master(Options.Seed * 0x2545F4914F6CDD1Dull + 7);
    TRng setup(master.Fork());
    world.Populate(setup);
    sim::ProcessMessages();
    world.CheckInvariants();
    if (world.Failed()) result = {false, -1, "after setting up: " + world.Failure()};
    // All steps are drawn, kept or not, so that a kept step does what it did in the full run.
    std::vector<std::pair<int, std::uint64_t>> steps;
    for (int i = 0; i < Options.Steps; ++i) {
      const int action = PickAction(master);
      steps.emplace_back(action, master.Fork());
    }
    for (int i = 0; i < Options.Steps && result.Ok; ++i) {
      if (!Kept(Options, i)) continue;
      gCurrent.Step = i;
      const auto [action, seed] = steps[static_cast<size_t>(i)];
      if (Options.Trace) {
        std::printf("  %4d  %s: ", i, StepActions()[static_cast<size_t>(action)].Name.c_str());
        std::fflush(stdout);
      }
      const std::string line = world.RunStep(action, seed);
      if (Options.Trace) std::printf("%s\n", line.c_str());
      if (!world.Failed()) world.CheckInvariants();
      if (world.Failed())
        result = {false, i, world.Failure() + " (after step " + std::to_string(i) + ": " + line + ")"};
    }
    std::fflush(stdout);
    result.EvilRuns = world.EvilRuns();
    result.Raised = world.Raised();
    result.Handled = Application->ExceptionCount();
  }
  ResetPlatform();
  if (result.Ok && (WindowCount() != 0 || TimerCount() != 0 || HookCount() != 0))
    result = {false, Options.Steps - 1, "windows, timers or hooks outlived the world"};
  gCurrent.Running = false;
  return result;
}

std::string ReplayCommand(const TRunOptions& Options, int UpToStep) {
  std::string cmd = "./scripts/monkey --seed " + std::to_string(Options.Seed) + " --steps " +
                    std::to_string(UpToStep < 0 ? Options.Steps : UpToStep + 1);
  if (!Options.Keep.empty()) {
    std::string keep;
    for (int k : Options.Keep)
      if (UpToStep < 0 || k <= UpToStep) keep += (keep.empty() ? "" : ",") + std::to_string(k);
    cmd += " --keep " + keep;
  }
  return cmd;
}

// ---- shrinking ---------------------------------------------------------------------------------

bool FailsApart(const TRunOptions& Options) {
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    alarm(300);  // a run that hangs counts as failing
    const TRunResult r = RunSeed(Options);
    _exit(r.Ok ? 0 : 1);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) < 0) return false;
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

std::vector<int> Shrink(const TRunOptions& Failing, int FailedStep) {
  std::vector<int> current;
  for (int i = 0; i <= FailedStep; ++i)
    if (Kept(Failing, i)) current.push_back(i);
  TRunOptions trial = Failing;
  trial.Steps = FailedStep + 1;
  trial.Trace = false;
  // Delta debugging: drop ever smaller chunks while the run still fails.
  size_t parts = 2;
  while (current.size() >= 2) {
    const size_t chunk = (current.size() + parts - 1) / parts;
    bool reduced = false;
    for (size_t start = 0; start < current.size(); start += chunk) {
      std::vector<int> rest(current.begin(), current.begin() + static_cast<long>(start));
      rest.insert(rest.end(), current.begin() + static_cast<long>(std::min(current.size(), start + chunk)),
                  current.end());
      if (rest.empty()) continue;
      trial.Keep = rest;
      if (FailsApart(trial)) {
        current = rest;
        parts = std::max<size_t>(parts - 1, 2);
        reduced = true;
        std::fprintf(stderr, "monkey: shrunk to %zu steps\n", current.size());
        break;
      }
    }
    if (!reduced) {
      if (parts >= current.size()) break;
      parts = std::min(current.size(), parts * 2);
    }
  }
  return current;
}

// ---- crash report ------------------------------------------------------------------------------

namespace {
void ReportCrash() {
  if (!gCurrent.Running) return;
  const std::string replay = ReplayCommand(gCurrent.Options, gCurrent.Step);
  std::fprintf(stderr, "\nmonkey: seed %llu died at step %d\n  replay: %s\n  shrink: %s --shrink\n",
               static_cast<unsigned long long>(gCurrent.Options.Seed), gCurrent.Step, replay.c_str(),
               replay.c_str());
  std::fflush(stderr);
}
}  // namespace

void InstallCrashReport() {
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(ReportCrash);
#endif
  // The undefined-behaviour sanitizer aborts (see __ubsan_default_options below), and so does
  // std::terminate: both end in SIGABRT.
  std::signal(SIGABRT, [](int) {
    ReportCrash();
    std::signal(SIGABRT, SIG_DFL);
  });
#if !defined(__SANITIZE_ADDRESS__)  // the address sanitizer reports a SIGSEGV itself
  std::signal(SIGSEGV, [](int) {
    ReportCrash();
    std::signal(SIGSEGV, SIG_DFL);
  });
#endif
}

}  // namespace monkey

// A sanitized monkey stops at the first undefined behaviour with a stack, by abort (so that
// the replay line is printed).
extern "C" const char* __ubsan_default_options() {
  return "print_stacktrace=1:abort_on_error=1:halt_on_error=1";
}

namespace monkey {}  // namespace monkey
