#include "platform/data/data_link.h"

#include <algorithm>

#include "platform/data/data_source.h"

namespace vcl {

// ---------------------------------------------------------------------------------------------
// TDataLink
// ---------------------------------------------------------------------------------------------

TDataLink::~TDataLink() {
  EndLiveness();
  // No notification from a link being destroyed: its descendant part is gone already.
  FActive = FEditing = false;
  if (FDataSource) FDataSource->RemoveDataLink(this);
}

TDataSet* TDataLink::DataSet() const {
  return FDataSource ? FDataSource->DataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* Value) {
  if (Value == FDataSource) return;
  if (FDataSourceFixed) DatabaseError(SDataSourceFixed, FDataSource);
  // Leaving one source and joining another are two changes, as on the framework: a link
  // moved between two active sources goes inactive and active again, so its owner rebinds.
  // The owner's handlers may free this link or the new source meanwhile; a handler that
  // raises does not keep the link from joining the new source.
  auto alive = Alive();
  auto valueAlive = Value ? Value->Alive() : TAliveToken();
  TFirstError error;
  if (FDataSource) {
    FDataSource->RemoveDataLink(this);
    error.Run([&] { UpdateState(); });
    if (!alive) return error.Raise();
  }
  if (Value && valueAlive && !FDataSource) {
    Value->AddDataLink(this);
    error.Run([&] { UpdateState(); });
  }
  error.Raise();
}

void TDataLink::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  UpdateState();
}

void TDataLink::UpdateState() {
  auto alive = Alive();
  // An owner whose ActiveChanged raises still hears whether the data set is editing.
  TFirstError error;
  const bool active = FDataSource && FDataSource->State() != dsInactive;
  if (active != FActive) {
    FActive = active;
    FFirst = 0;
    if (active) {
      // A new window starts at the current record and fills as far as the data allows.
      FFirst = FBufferCount > 0 ? DataSet()->FCurPos : 0;
      AdjustWindow(TWindowMove::Follow, 0);
      FLastShift = 0;
    }
    error.Run([&] { ActiveChanged(); });
    if (!alive) return error.Raise();
  }
  const TDataSetState state = FDataSource ? FDataSource->State() : dsInactive;
  const bool editing = FActive && (state == dsEdit || state == dsInsert) && !FReadOnly;
  if (editing != FEditing) {
    FEditing = editing;
    error.Run([&] { EditingChanged(); });
  }
  error.Raise();
}

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!FActive) return;
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (!FUpdating) RecordChanged(reinterpret_cast<TField*>(Info));
      break;
    case deDataSetChange:
      FLastShift = 0;  // the link re-reads its whole window
      DataSetChanged();
      break;
    case deDataSetScroll: {
      // The shift since the link last heard of its window: a link that moved the cursor
      // inside an earlier notification of this scroll has already told the others part of it.
      const int shift = FLastShift;
      FLastShift = 0;
      DataSetScrolled(shift);
      break;
    }
    case deLayoutChange:
      FLastShift = 0;
      LayoutChanged();
      break;
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(*reinterpret_cast<TField**>(Info)); break;
    default: break;
  }
}

bool TDataLink::Edit() {
  if (!FReadOnly && FDataSource) {
    auto alive = Alive();
    FDataSource->Edit();  // the data set's handlers may delete this link
    if (!alive) return false;
  }
  return FEditing;
}

void TDataLink::UpdateRecord() {
  FUpdating = true;
  auto alive = Alive();
  struct Reset {
    TDataLink* Link;
    TAliveToken Alive;
    ~Reset() {
      if (Alive) Link->FUpdating = false;
    }
  } reset{this, alive};
  UpdateData();
}

int TDataLink::Count() const {
  TDataSet* ds = DataSet();
  return ds ? ds->InternalCount() : 0;
}

void TDataLink::AdjustWindow(TWindowMove Move, int Pos) {
  const int old = FFirst;
  const int n = Count();
  const int bc = FBufferCount;
  const int cur = DataSet() ? DataSet()->FCurPos : 0;
  if (n == 0 || bc <= 0) {
    FFirst = 0;  // an empty window
  } else {
    switch (Move) {
      case TWindowMove::Follow: break;
      case TWindowMove::PinFirst: FFirst = 0; break;
      case TWindowMove::PinLast: FFirst = n - bc; break;
      case TWindowMove::Center: FFirst = cur - (bc - 1) / 2; break;
      case TWindowMove::Inserted:
        if (FFirst > Pos) ++FFirst;
        break;
      case TWindowMove::Deleted:
        if (FFirst > Pos) --FFirst;
        break;
    }
    // Hold the current record, then be as full as the data allows.
    if (cur < FFirst) FFirst = cur;
    if (cur > FFirst + bc - 1) FFirst = cur - bc + 1;
    FFirst = std::max(0, std::min(FFirst, n - bc));
  }
  // Scrolls add up until the link hears of them; a jump is told as a change, never as a
  // scroll distance.
  FLastShift = Move == TWindowMove::Follow ? FLastShift + FFirst - old : 0;
}

void TDataLink::SetBufferCount(int Value) {
  Value = std::max(0, Value);
  if (Value == FBufferCount) return;
  FBufferCount = Value;
  if (!FActive) return;
  AdjustWindow(TWindowMove::Follow, 0);
  FLastShift = 0;  // a new window is read whole by its owner
}

int TDataLink::RecordCount() const {
  if (!FActive || FBufferCount <= 0) return 0;
  return std::max(0, std::min(FBufferCount, Count() - FFirst));
}

int TDataLink::ActiveRecord() const {
  if (!FActive || FBufferCount <= 0) return 0;
  return DataSet()->FReadPos - FFirst;
}

void TDataLink::SetActiveRecord(int Value) {
  if (!FActive || Value < 0 || Value >= RecordCount()) return;
  DataSet()->FReadPos = FFirst + Value;
}

bool TDataLink::BOF() const {
  TDataSet* ds = DataSet();
  return ds ? ds->BOF() : true;
}

bool TDataLink::EOF() const {
  TDataSet* ds = DataSet();
  return ds ? ds->EOF() : true;
}

int TDataLink::MoveBy(int Distance) {
  TDataSet* ds = DataSet();
  return ds ? ds->MoveBy(Distance) : 0;
}

bool TDataLink::ExecuteAction(TBasicAction* Action) {
  if (!FDataSource || !Action || !Action->HandlesTarget(FDataSource)) return false;
  Action->ExecuteTarget(FDataSource);
  return true;
}

bool TDataLink::UpdateAction(TBasicAction* Action) {
  if (!FDataSource || !Action || !Action->HandlesTarget(FDataSource)) return false;
  Action->UpdateTarget(FDataSource);
  return true;
}

// ---------------------------------------------------------------------------------------------
// TFieldDataLink
// ---------------------------------------------------------------------------------------------

void TFieldDataLink::SetFieldName(const std::string& Value) {
  if (Value == FFieldName) return;
  FFieldName = Value;
  UpdateField();
}

void TFieldDataLink::UpdateField() {
  if (!Active() || FFieldName.empty()) {
    SetField(nullptr);
    return;
  }
  TField* field = nullptr;
  try {
    field = FControl ? GetFieldProperty(DataSet(), FControl, FFieldName) : DataSet()->FieldByName(FFieldName);
  } catch (...) {
    // No such field: the control lets go of the one it showed (and shows nothing) before the
    // error passes on.
    SetField(nullptr);
    throw;
  }
  SetField(field);
}

void TFieldDataLink::SetField(TField* Value) {
  if (Value == FField) return;
  FField = Value;
  auto alive = Alive();
  EditingChanged();
  if (alive) RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const {
  return !ReadOnly() && FField && FField->CanModify();
}

bool TFieldDataLink::Edit() {
  if (!CanModify()) return FFieldEditing;
  auto alive = Alive();
  TDataLink::Edit();  // the data set's handlers may delete this link
  return alive && FFieldEditing;
}

void TFieldDataLink::SetFieldEditing(bool Value) {
  if (Value == FFieldEditing) return;
  FFieldEditing = Value;
  FModified = false;
  CallEvent(FOnEditingChange, this);
}

void TFieldDataLink::ActiveChanged() {
  auto alive = Alive();
  UpdateField();
  if (alive) CallEvent(FOnActiveChange, this);
}

void TFieldDataLink::LayoutChanged() {
  auto alive = Alive();
  UpdateField();
  if (alive) EditingChanged();
}

void TFieldDataLink::EditingChanged() {
  SetFieldEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::FocusControl(TField*& Field) {
  if (Field && Field == FField && CallEvent(FOnFocusRequest, this)) Field = nullptr;
}

void TFieldDataLink::RecordChanged(TField* Field) {
  if (Field && Field != FField) return;
  auto alive = Alive();
  CallEvent(FOnDataChange, this);
  if (alive) FModified = false;
}

void TFieldDataLink::UpdateData() {
  if (!FModified) return;
  auto alive = Alive();
  if (FField) CallEvent(FOnUpdateData, this);
  if (alive) FModified = false;
}

}  // namespace vcl
