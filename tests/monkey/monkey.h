// The monkey: a seeded random event driver for the platform and the controls.
//
// A seed makes a world (forms with controls, in-memory tables, data sources) and a list of
// steps. Each step is one action: typed text (empty, long, every byte, control characters),
// keys with shift states, clicks, double clicks, drags, the wheel, focus moves, the clock,
// data set operations, property changes, new and freed objects, and "evil" handlers put on
// events: handlers that free their control, its form, a data set, a source or a field, raise,
// move the focus or change the data while the platform is in the middle of something. After
// every step the invariants are checked: the focus, the capture, the active controls and
// every window belong to live objects; a data-aware edit shows its field; a search edit that
// was typed into stands its data set on the first match. A sanitizer build turns every use
// after free into a failure, and a failing seed prints the one command line that replays it.
//
// Steps are drawn up front from the seed, each with its own seed for what it does, and each
// one looks at the world only when it runs: any subset of a seed's steps replays the same way
// (--keep), which is how a failure is shrunk (--shrink).
//
// ---- Adding a control kind -------------------------------------------------------------------
//
// A kind lives in one file of its own (see kinds_edits.cpp) that registers a TControlKind:
//
//   const bool kRegistered = RegisterControlKind({
//       .Name = "LookupList",
//       .MakeWeight = 3,                          // how often a new control is of this kind
//       .Make = [](TWorld& W, vcl::TForm* Form, TRng& R) -> vcl::TControl* { ... },
//       .Actions = {{"scroll", 2, [](TWorld& W, vcl::TControl* C, TRng& R) { ... }}, ...},
//       .Events = WithCommonEvents({{"OnCloseUp", [](vcl::TControl* C, TEvil E) { ... }}}),
//       .Check = [](TWorld& W, vcl::TControl* C) { W.Expect(..., "..."); },
//   });
//
// Make builds the control on the form (owned by it), binds it to the world's data when it is
// data-aware (W.PickSource, W.PickField...) and returns it; the world registers it. Actions
// receive a live control of the kind and return a line for the trace. Events put an evil
// handler (E(), a std::function<void()>) on one event of the control. Check states what must
// hold for a live control of the kind after every step; it runs with the evil handlers quiet.
// Nothing else needs to change: the kind's actions join the step table and its controls are
// made, clicked, typed into, freed and checked like the others.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/data/db.h"
#include "platform/vcl/form.h"

namespace monkey {

// A small deterministic generator (SplitMix64): the same seed gives the same world on every
// machine and library.
class TRng {
 public:
  explicit TRng(std::uint64_t Seed) : FState(Seed) {}
  std::uint64_t Next();
  int Below(int N);                        // 0..N-1; 0 when N <= 0
  int Between(int Low, int High);          // Low..High
  bool Chance(int Percent);                // true Percent times in a hundred
  std::uint64_t Fork() { return Next(); }  // a seed for something of its own

 private:
  std::uint64_t FState;
};

class TWorld;
using TEvil = std::function<void()>;

struct TKindAction {
  const char* Name;
  int Weight;
  std::function<std::string(TWorld&, vcl::TControl*, TRng&)> Run;  // returns the trace line
};

struct TEventSlot {
  const char* Name;
  std::function<void(vcl::TControl*, TEvil)> Assign;
};

struct TControlKind {
  const char* Name = "";
  int MakeWeight = 1;
  std::function<vcl::TControl*(TWorld&, vcl::TForm*, TRng&)> Make;
  std::vector<TKindAction> Actions;
  std::vector<TEventSlot> Events;
  std::function<void(TWorld&, vcl::TControl*)> Check;
};

// Registers a kind (at static initialisation); returns true.
bool RegisterControlKind(TControlKind Kind);
const std::vector<TControlKind>& ControlKinds();
// The events every windowed control has (enter, exit, keys, mouse, click), plus Extra.
std::vector<TEventSlot> WithCommonEvents(std::vector<TEventSlot> Extra = {});

enum class TRole { Form, Control, DataSet, Source, Field };

// One object the monkey made (or a field of a table it made).
struct TEntry {
  int Id = 0;
  TRole Role = TRole::Control;
  vcl::TObject* Object = nullptr;
  vcl::TAliveToken Alive;
  const TControlKind* Kind = nullptr;  // controls only
  bool Live() const { return static_cast<bool>(Alive); }
};

class TWorld {
 public:
  explicit TWorld(std::uint64_t Seed);
  ~TWorld();

  // ---- the objects
  vcl::TComponent* DataModule() const { return FDataModule; }
  TEntry* Add(vcl::TObject* Object, TRole Role, const TControlKind* Kind = nullptr);
  TEntry* Find(int Id);  // nullptr when gone
  TEntry* FindObject(const vcl::TObject* Object);
  std::vector<TEntry*> Live(TRole Role);
  std::vector<TEntry*> LiveOfKind(const TControlKind* Kind);
  TEntry* Pick(TRole Role, TRng& R);  // a random live one, or nullptr
  // A random live one that is a T (nullptr when the one picked is not).
  template <typename T>
  T* PickAs(TRole Role, TRng& R) {
    TEntry* e = Pick(Role, R);
    return e ? dynamic_cast<T*>(e->Object) : nullptr;
  }
  vcl::TDataSource* PickSource(TRng& R) { return PickAs<vcl::TDataSource>(TRole::Source, R); }
  // A field of the source's data set (or of any table), or nullptr.
  vcl::TField* PickField(vcl::TDataSource* Source, TRng& R);
  // Frees the object (and forgets it first, so a handler that runs meanwhile can't free it
  // again); nothing when it is gone already.
  void Free(int Id);
  std::string Describe(const vcl::TObject* Object);  // "Edit12", "Customers3"...

  // ---- making things
  vcl::TForm* MakeForm(TRng& R);
  vcl::TControl* MakeControl(vcl::TForm* Form, TRng& R);
  vcl::TMemDataSet* MakeTable(TRng& R);
  vcl::TDataSource* MakeSource(TRng& R);
  void Populate(TRng& R);  // the world a seed starts from

  // ---- evil handlers
  // A hostile handler for an event of the object with id Owner.
  TEvil MakeEvil(int Owner, TRng& R);
  void PutEvilHandler(TRng& R, std::string& Trace);
  // While quiet (the invariants are being checked), evil handlers do nothing.
  bool Quiet() const { return FQuiet; }
  int EvilRuns() const { return FEvilRuns; }
  // Tracing, each evil handler prints what it does as it runs.
  void SetTrace(bool Value) { FTrace = Value; }
  int Raised() const { return FRaised; }

  // ---- invariants
  void Expect(bool Condition, const std::string& What);
  bool Failed() const { return !FFailure.empty(); }
  const std::string& Failure() const { return FFailure; }
  // Checks every invariant of the world and of each live control.
  void CheckInvariants();
  // The values of Field in every record of its data set, in order, read without moving the
  // cursor (a probe link with a window over all records).
  std::vector<std::string> ColumnValues(vcl::TDataSource* Source, vcl::TField* Field);

  // ---- steps
  // Runs one step drawn from the seed StepSeed with the action Action; returns its trace line.
  std::string RunStep(int Action, std::uint64_t StepSeed);

 private:
  friend class TQuietScope;
  // Forgets the objects that are gone; only between steps (entries stay put meanwhile).
  void Prune();
  vcl::TComponent* FDataModule = nullptr;
  std::deque<TEntry> FEntries;
  int FNextId = 1;
  bool FQuiet = false;
  int FEvilRuns = 0;
  bool FTrace = false;
  int FRaised = 0;
  std::string FFailure;
};

// Evil handlers are quiet for the scope's life.
class TQuietScope {
 public:
  explicit TQuietScope(TWorld& W) : FWorld(W), FOld(W.FQuiet) { W.FQuiet = true; }
  ~TQuietScope() { FWorld.FQuiet = FOld; }

 private:
  TWorld& FWorld;
  bool FOld;
};

// ---- random input shared by actions ----------------------------------------------------------

// Text to type or set: empty, short, data-like, long, every byte, control characters.
std::string RandomText(TRng& R, bool ForTyping);
vcl::TShiftState RandomShift(TRng& R);
// A point inside (mostly) the control's client area, in the coordinates of the window that
// gets the mouse (the control's own, or its parent's for a control without a window).
bool RandomPointIn(vcl::TControl* Control, TRng& R, vcl::HWND& Wnd, vcl::TPoint& Point);
std::string Quote(const std::string& Text);  // printable, shortened, for the trace

// ---- running seeds ---------------------------------------------------------------------------

struct TRunOptions {
  std::uint64_t Seed = 1;
  int Steps = 200;
  std::vector<int> Keep;  // when not empty, only these steps (0-based) run
  bool Trace = false;     // print each step as it runs
};

struct TRunResult {
  bool Ok = true;
  int FailedStep = -1;
  std::string Message;
  // What the run went through: evil handlers that ran, errors that actions raised to the
  // monkey, errors that reached the application's handler, objects freed.
  int EvilRuns = 0;
  int Raised = 0;
  int Handled = 0;
};

// Runs one seed on a clean platform and leaves a clean platform behind.
TRunResult RunSeed(const TRunOptions& Options);
// The command line that replays a run; Prefix is the program ("./scripts/monkey").
std::string ReplayCommand(const TRunOptions& Options, int UpToStep);
// Runs the seed in a child process: true when it fails, or the child dies (a sanitizer report).
bool FailsApart(const TRunOptions& Options);
// Shrinks a failing run to fewer steps (each trial runs in a child process); returns the
// steps that still fail.
std::vector<int> Shrink(const TRunOptions& Failing, int FailedStep);
// Prints the replay command when the process dies (a sanitizer report, std::terminate).
void InstallCrashReport();

}  // namespace monkey
