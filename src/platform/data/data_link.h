// TDataLink: what a data-aware control holds to follow a data source, with its window of
// records; TFieldDataLink: a link bound to one field, for data-aware edits.
//
// A link keeps a window of BufferCount consecutive records that holds the current record.
// A move inside leaves the window still, one that leaves it shifts it just enough; First and
// Last pin it to their end; a jump (Locate, RecNo) centres the record, clamped so the window
// is as full as the data allows. ActiveRecord is the current record's index in the window;
// setting it re-points what the fields read without moving the cursor.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/base/classes.h"
#include "platform/data/data_set.h"

namespace vcl {

class TDataSource;

class TDataLink : public TPersistent {
 public:
  TDataLink() = default;
  ~TDataLink() override;
  std::string ClassName() const override { return "TDataLink"; }

  TDataSource* DataSource() const { return FDataSource; }
  // Re-evaluates Active (calling ActiveChanged when it changes); raises SDataSourceFixed
  // when the source is fixed.
  void SetDataSource(TDataSource* Value);
  TDataSet* DataSet() const;
  bool Active() const { return FActive; }
  virtual bool Editing() const { return FEditing; }
  bool DataSourceFixed() const { return FDataSourceFixed; }
  void SetDataSourceFixed(bool Value) { FDataSourceFixed = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool VisualControl() const { return FVisualControl; }
  void SetVisualControl(bool Value) { FVisualControl = Value; }

  // Puts the data set into edit state through the source (AutoEdit) unless read-only;
  // true when the data set is now editing.
  bool Edit();
  // Calls UpdateData (RecordChanged is not reported to this link meanwhile).
  void UpdateRecord();

  // --- The record window ----------------------------------------------------------------
  int BufferCount() const { return FBufferCount; }
  void SetBufferCount(int Value);  // re-fills the window around the current record
  int RecordCount() const;         // records in the window, at most BufferCount
  int ActiveRecord() const;        // the current record's index in the window
  void SetActiveRecord(int Value);
  bool BOF() const;
  bool EOF() const;
  int MoveBy(int Distance);

  // When the action handles the link's data source, runs it on that source; true then.
  bool ExecuteAction(TBasicAction* Action);
  bool UpdateAction(TBasicAction* Action);

 protected:
  // --- Notifications (this may be deleted by any of them) ------------------------------
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*Distance*/) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField*& /*Field*/) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*Field*/) {}
  virtual void UpdateData() {}

 private:
  friend class TDataSource;
  friend class TDataSet;

  void DataEvent(TDataEvent Event, std::intptr_t Info);
  void UpdateState();
  // Moves the window as Move says for the data set's current record.
  void AdjustWindow(TWindowMove Move, int Pos);
  int Count() const;

  TDataSource* FDataSource = nullptr;
  bool FActive = false;
  bool FEditing = false;
  bool FDataSourceFixed = false;
  bool FReadOnly = false;
  bool FVisualControl = false;
  bool FUpdating = false;  // inside UpdateRecord
  int FBufferCount = 1;
  int FFirst = 0;      // position of the window's first record
  int FLastShift = 0;  // how far the window moved since the link last heard of it
};

class TFieldDataLink : public TDataLink {
 public:
  using TFocusRequestEvent = std::function<bool(TFieldDataLink* Sender)>;

  std::string ClassName() const override { return "TFieldDataLink"; }

  // The control this link serves: named in error messages.
  TComponent* Control() const { return FControl; }
  void SetControl(TComponent* Value) { FControl = Value; }
  const std::string& FieldName() const { return FFieldName; }
  void SetFieldName(const std::string& Value);
  TField* Field() const { return FField; }
  // The field can be written through this link now.
  bool CanModify() const;
  // Editing and the field can be modified.
  bool Editing() const override { return FFieldEditing; }
  // Puts the data set into edit state when the field can be modified; true when editing.
  bool Edit();
  // Marks the control's text as changed: the next UpdateRecord fires OnUpdateData.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Re-reads the field (OnDataChange) and clears the modified mark.
  void Reset() { RecordChanged(nullptr); }

  const TNotifyEvent& OnDataChange() const { return FOnDataChange; }
  void SetOnDataChange(TNotifyEvent Value) { FOnDataChange = std::move(Value); }
  const TNotifyEvent& OnEditingChange() const { return FOnEditingChange; }
  void SetOnEditingChange(TNotifyEvent Value) { FOnEditingChange = std::move(Value); }
  const TNotifyEvent& OnUpdateData() const { return FOnUpdateData; }
  void SetOnUpdateData(TNotifyEvent Value) { FOnUpdateData = std::move(Value); }
  const TNotifyEvent& OnActiveChange() const { return FOnActiveChange; }
  void SetOnActiveChange(TNotifyEvent Value) { FOnActiveChange = std::move(Value); }
  // Asked when the data set wants the control of this link's field focused; the handler
  // returns true when the control took the focus, which serves the request.
  const TFocusRequestEvent& OnFocusRequest() const { return FOnFocusRequest; }
  void SetOnFocusRequest(TFocusRequestEvent Value) { FOnFocusRequest = std::move(Value); }

 protected:
  void ActiveChanged() override;
  void EditingChanged() override;
  void FocusControl(TField*& Field) override;
  // Rebinds the field, and learns again whether it can be written (its ReadOnly may have
  // changed, or its data set's).
  void LayoutChanged() override;
  void RecordChanged(TField* Field) override;
  void UpdateData() override;

 private:
  void UpdateField();
  void SetField(TField* Value);
  void SetFieldEditing(bool Value);

  TComponent* FControl = nullptr;
  std::string FFieldName;
  TField* FField = nullptr;
  bool FFieldEditing = false;
  bool FModified = false;
  TNotifyEvent FOnDataChange;
  TNotifyEvent FOnEditingChange;
  TNotifyEvent FOnUpdateData;
  TNotifyEvent FOnActiveChange;
  TFocusRequestEvent FOnFocusRequest;
};

}  // namespace vcl
