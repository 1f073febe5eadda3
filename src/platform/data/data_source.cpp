#include "platform/data/data_source.h"

#include <algorithm>

#include "platform/data/data_link.h"

namespace vcl {

TDataSource::~TDataSource() {
  Destroying();
  FOnStateChange = nullptr;
  FOnDataChange = nullptr;
  FOnUpdateData = nullptr;
  // The links become inactive. What their handlers raise now has no caller to tell: dropped.
  try {
    SetDataSet(nullptr);
  } catch (...) {
  }
  // A link still active here was not told (this source was freed inside a notification that
  // had already marked it inactive): it lets go of its fields now.
  while (!FDataLinks.empty()) {
    TDataLink* link = FDataLinks.back();
    FDataLinks.pop_back();
    link->FDataSource = nullptr;
    if (!link->FActive && !link->FEditing) continue;
    try {
      link->UpdateState();
    } catch (...) {
    }
  }
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (Value && IsLinkedTo(Value)) DatabaseError(SCircularDataLink, this);
  // The links' handlers may free this source, or the new data set, while they hear that the
  // old one went; a link that raises does not keep this source from joining the new one.
  auto alive = Alive();
  auto valueAlive = Value ? Value->Alive() : TAliveToken();
  TFirstError error;
  if (FDataSet) {
    FDataSet->RemoveDataSource(this);
    error.Run([&] { UpdateState(); });
    if (!alive) return error.Raise();
  }
  if (Value && valueAlive && !FDataSet) {
    Value->AddDataSource(this);
    error.Run([&] { UpdateState(); });
  }
  error.Raise();
}

void TDataSource::DataSetDestroyed() {
  FDataSet = nullptr;
  FDataSetGoing = true;
  struct Reset {
    TDataSource* Source;
    TAliveToken Alive;
    ~Reset() {
      if (Alive) Source->FDataSetGoing = false;
    }
  } reset{this, Alive()};
  UpdateState();
}

void TDataSource::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateState();
}

void TDataSource::Edit() {
  if (FAutoEdit && FState == dsBrowse && FDataSet) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* DataSet) const {
  for (int depth = 0; DataSet && depth < 64; ++depth) {
    TDataSource* master = DataSet->DataSource();
    if (!master) return false;
    if (master == this) return true;
    DataSet = master->DataSet();
  }
  return false;
}

bool TDataSource::HasLink(TDataLink* Link) const {
  return std::find(FDataLinks.begin(), FDataLinks.end(), Link) != FDataLinks.end();
}

void TDataSource::AddDataLink(TDataLink* Link) {
  FDataLinks.push_back(Link);
  Link->FDataSource = this;
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
  FDataLinks.erase(std::remove(FDataLinks.begin(), FDataLinks.end(), Link), FDataLinks.end());
  Link->FDataSource = nullptr;
}

void TDataSource::UpdateState() {
  TDataSetState state = FEnabled && FDataSet ? FDataSet->FState : dsInactive;
  if (state == dsCalcFields) return;  // a calculation in progress is no change of state
  if (state == FState) return;
  const TDataSetState prior = FState;
  FState = state;
  // As with data events, a link that raises does not keep the others from hearing.
  auto alive = Alive();
  TFirstError error;
  const std::vector<TDataLink*> links(FDataLinks);
  for (TDataLink* link : links) {
    if (!alive) break;
    if (!HasLink(link)) continue;
    error.Run([&] { link->UpdateState(); });
  }
  if (!alive) return error.Raise();
  // While this source or its data set is being destroyed, what the links raised has no caller
  // to tell, and the source's own events stay quiet (their handlers would meet a data set
  // that is half gone).
  if (ComponentState().Contains(csDestroying) || FDataSetGoing ||
      (FDataSet && FDataSet->ComponentState().Contains(csDestroying)))
    return;
  error.Raise();
  CallEvent(FOnStateChange, this);
  if (alive && prior == dsInactive) CallEvent(FOnDataChange, this, nullptr);
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (FState == dsInactive) return;
  // A link may detach itself or others, move the cursor, or free the data set or this
  // source while it is told: iterate over a copy and check before each call.
  // A link that raises does not keep the others from hearing: the first error passes on
  // once every link was told.
  auto alive = Alive();
  TFirstError error;
  const std::vector<TDataLink*> links(FDataLinks);
  for (TDataLink* link : links) {
    if (!alive) break;
    if (!HasLink(link)) continue;
    error.Run([&] { link->DataEvent(Event, Info); });
  }
  error.Raise();
  if (!alive || FState == dsInactive) return;
  switch (Event) {
    case deFieldChange: CallEvent(FOnDataChange, this, reinterpret_cast<TField*>(Info)); break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: CallEvent(FOnDataChange, this, nullptr); break;
    case deUpdateRecord: CallEvent(FOnUpdateData, this); break;
    default: break;
  }
}

}  // namespace vcl
