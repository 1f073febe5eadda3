// TDataSource: connects data links (controls) to a data set and mirrors its state.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/base/classes.h"
#include "platform/data/data_set.h"

namespace vcl {

class TDataLink;
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class TDataSource : public TComponent {
 public:
  explicit TDataSource(TComponent* AOwner) : TComponent(AOwner) {}
  // The links that use this source become inactive and lose their DataSource.
  ~TDataSource() override;
  std::string ClassName() const override { return "TDataSource"; }

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* Value);  // nullptr allowed
  // The data set's state, dsInactive while disabled or without a data set.
  TDataSetState State() const { return FState; }
  // When true, Edit (and so a data link's Edit) puts a browsing data set into edit state.
  bool AutoEdit() const { return FAutoEdit; }
  void SetAutoEdit(bool Value) { FAutoEdit = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  void Edit();
  // True when this source feeds DataSet (directly or through a master chain).
  bool IsLinkedTo(TDataSet* DataSet) const;
  int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }

  // Fired after the links heard of a field change (Field), a record change, a scroll, a
  // data set change or a layout change (Field nullptr).
  const TDataChangeEvent& OnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(TDataChangeEvent Value) { FOnDataChange = std::move(Value); }
  const TNotifyEvent& OnStateChange() const { return FOnStateChange; }
  void SetOnStateChange(TNotifyEvent Value) { FOnStateChange = std::move(Value); }
  const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(TNotifyEvent Value) { FOnUpdateData = std::move(Value); }

 private:
  friend class TDataSet;
  friend class TDataLink;

  void DataEvent(TDataEvent Event, std::intptr_t Info);
  void UpdateState();
  // The data set is being destroyed: the links let go of it, and no event fires.
  void DataSetDestroyed();
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);
  bool HasLink(TDataLink* Link) const;

  TDataSet* FDataSet = nullptr;
  std::vector<TDataLink*> FDataLinks;
  TDataSetState FState = dsInactive;
  bool FAutoEdit = true;
  bool FEnabled = true;
  bool FDataSetGoing = false;  // inside DataSetDestroyed
  TDataChangeEvent FOnDataChange;
  TNotifyEvent FOnStateChange;
  TNotifyEvent FOnUpdateData;
};

}  // namespace vcl
