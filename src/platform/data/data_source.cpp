#include "platform/data/data_source.h"

#include <algorithm>
#include <exception>

#include "platform/data/data_link.h"

namespace vcl {

TDataSource::~TDataSource() {
  Destroying();
  FOnStateChange = nullptr;
  FOnDataChange = nullptr;
  FOnUpdateData = nullptr;
  SetDataSet(nullptr);  // the links become inactive
  while (!FDataLinks.empty()) {
    TDataLink* link = FDataLinks.back();
    FDataLinks.pop_back();
    link->FDataSource = nullptr;
    link->FActive = link->FEditing = false;
  }
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (Value && IsLinkedTo(Value)) DatabaseError(SCircularDataLink, this);
  auto alive = Alive();
  if (FDataSet) {
    FDataSet->RemoveDataSource(this);
    UpdateState();
    if (!alive) return;
  }
  if (Value) {
    Value->AddDataSource(this);
    UpdateState();
  }
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
  std::exception_ptr error;
  const std::vector<TDataLink*> links(FDataLinks);
  for (TDataLink* link : links) {
    if (!alive) break;
    if (!HasLink(link)) continue;
    try {
      link->UpdateState();
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  if (error) std::rethrow_exception(error);
  if (!alive || ComponentState().Contains(csDestroying)) return;
  if (FOnStateChange) FOnStateChange(this);
  if (alive && prior == dsInactive && FOnDataChange) FOnDataChange(this, nullptr);
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
  std::exception_ptr error;
  const std::vector<TDataLink*> links(FDataLinks);
  for (TDataLink* link : links) {
    if (!alive) break;
    if (!HasLink(link)) continue;
    try {
      link->DataEvent(Event, Info);
    } catch (...) {
      if (!error) error = std::current_exception();
    }
  }
  if (error) std::rethrow_exception(error);
  if (!alive || FState == dsInactive) return;
  switch (Event) {
    case deFieldChange:
      if (FOnDataChange) FOnDataChange(this, reinterpret_cast<TField*>(Info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (FOnDataChange) FOnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (FOnUpdateData) FOnUpdateData(this);
      break;
    default: break;
  }
}

}  // namespace vcl
