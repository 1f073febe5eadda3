// TDataSet: the cursor over a table of records that fields read and data links follow.
//
// Index of this header:
//   states, events, locate options
//   TDataSet: opening, navigation, editing, searching, fields, controls, events
//   the storage interface that descendants (TMemDataSet) implement
//
// Positions are 0-based indexes in the data set's order; RecNo is the position plus one.
// Every change is told to the data sources that name this data set, and through them to
// their data links, unless DisableControls is in force.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/classes.h"
#include "platform/base/set.h"
#include "platform/base/variant.h"
#include "platform/data/db_errors.h"
#include "platform/data/field.h"

// EOF is the framework's name for "past the last record" (TDataSet::EOF, TDataLink::EOF).
// The C library's EOF macro would swallow it, so it is removed here, after <cstdio> has
// been read (its include guard keeps it from coming back); use std::char_traits<char>::eof()
// where the C constant is wanted.
#undef EOF

namespace vcl {

class TDataSource;
class TDataLink;

// The framework's order: dsInactive < dsBrowse < dsEdit < dsInsert < ...
enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };
using enum TDataSetState;

enum class TDataEvent {
  deFieldChange,      // Info: the TField* written
  deRecordChange,     // the current record changed as a whole (editing began)
  deDataSetChange,    // a jump, refresh, insert, delete, post or cancel
  deDataSetScroll,    // a MoveBy
  deLayoutChange,     // fields were added, removed or changed their presentation
  deUpdateRecord,     // Post asks the links to write their pending edits
  deUpdateState,      // the state changed
  deCheckBrowseMode,  // a move, post or delete is coming: links settle their edits
  deFocusControl,     // Info: a TField** whose control should take the focus
};
using enum TDataEvent;

enum class TLocateOption { loCaseInsensitive, loPartialKey };
using enum TLocateOption;
using TLocateOptions = Set<TLocateOption>;

// How a jump, move or change places the record windows of the links.
enum class TWindowMove { Follow, PinFirst, PinLast, Center, Inserted, Deleted };

class TDataSet;
using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;

class TDataSet : public TComponent {
 public:
  explicit TDataSet(TComponent* AOwner);
  ~TDataSet() override;
  std::string ClassName() const override { return "TDataSet"; }

  // --- Opening --------------------------------------------------------------------------
  void Open();
  void Close();
  bool Active() const { return FState != dsInactive; }
  void SetActive(bool Value) { Value ? Open() : Close(); }
  TDataSetState State() const { return FState; }

  // --- Navigation -----------------------------------------------------------------------
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to Distance records and returns the signed count moved. Does nothing going
  // back while BOF or forward while EOF; otherwise notifies a scroll even when nothing moved.
  int MoveBy(int Distance);
  bool BOF() const { return FBOF; }
  bool EOF() const { return FEOF; }
  // 1-based number of the current record; -1 when the data set is not sequenced or closed.
  int RecNo() const;
  void SetRecNo(int Value);  // a jump: the record lands mid-window
  // Stored records (a record being inserted does not count yet). A data set that is not
  // sequenced still knows how many records it holds; it has no record numbers.
  int RecordCount() const;
  virtual bool IsSequenced() const { return true; }
  bool IsEmpty() const { return !Active() || InternalCount() == 0; }
  // Re-reads the records: clears the calculated values and notifies a change.
  void Refresh();

  // --- Editing --------------------------------------------------------------------------
  void Edit();
  void Insert();  // a new record before the current one
  void Append();  // a new record after the last one
  void Post();
  void Cancel();
  void Delete();
  // Asks the links to write pending edits (their UpdateData).
  void UpdateRecord();
  // Leaves edit or insert state: posts when a field was written, cancels otherwise.
  void CheckBrowseMode();
  bool Modified() const { return FModified; }
  virtual bool CanModify() const { return Active() && !FReadOnly; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);

  // --- Searching ------------------------------------------------------------------------
  // Moves to the first record, in the data set's order, whose KeyFields ("A;B") match
  // KeyValues (one value, or a variant array with one element per field). Posts a pending
  // edit first. Nothing moves and nothing is notified when no record matches.
  bool Locate(const std::string& KeyFields, const Variant& KeyValues, TLocateOptions Options);
  // The value of ResultFields (an array when several) in the first record matching exactly;
  // Null when none. Neither moves the cursor nor notifies.
  Variant Lookup(const std::string& KeyFields, const Variant& KeyValues, const std::string& ResultFields);

  // --- Fields ---------------------------------------------------------------------------
  TField* FindField(const std::string& FieldName) const;    // ignores case; nullptr when absent
  TField* FieldByName(const std::string& FieldName) const;  // raises SFieldNotFound
  TField* Fields(int Index) const;                          // raises EListError outside the list
  int FieldCount() const { return static_cast<int>(FFields.size()); }
  const std::vector<TField*>& FieldList() const { return FFields; }
  // Appends to List the fields named in Names, separated by ';' (empty names are skipped);
  // raises SFieldNotFound for a name that matches no field.
  void GetFieldList(std::vector<TField*>& List, const std::string& FieldNames) const;
  // True when DataSource feeds this data set (directly or through a master chain).
  bool IsLinkedTo(TDataSource* DataSource) const;
  // A master source, for data sets that follow another; none here.
  virtual TDataSource* DataSource() const { return nullptr; }

  // --- Controls -------------------------------------------------------------------------
  void DisableControls();
  // The outermost call sends one DataSetChanged when anything happened meanwhile.
  void EnableControls();
  bool ControlsDisabled() const { return FDisableCount != 0; }

  // --- Events ---------------------------------------------------------------------------
  // clang-format off
#define KT_DATASET_EVENT(Name)                                                 \
  const TDataSetNotifyEvent& Name() const { return F##Name; }                  \
  void Set##Name(TDataSetNotifyEvent Value) { F##Name = std::move(Value); }
  // clang-format on
  KT_DATASET_EVENT(BeforeOpen)
  KT_DATASET_EVENT(AfterOpen)
  KT_DATASET_EVENT(BeforeClose)
  KT_DATASET_EVENT(AfterClose)
  KT_DATASET_EVENT(BeforeInsert)
  KT_DATASET_EVENT(AfterInsert)
  KT_DATASET_EVENT(BeforeEdit)
  KT_DATASET_EVENT(AfterEdit)
  KT_DATASET_EVENT(BeforePost)
  KT_DATASET_EVENT(AfterPost)
  KT_DATASET_EVENT(BeforeCancel)
  KT_DATASET_EVENT(AfterCancel)
  KT_DATASET_EVENT(BeforeDelete)
  KT_DATASET_EVENT(AfterDelete)
  KT_DATASET_EVENT(BeforeScroll)
  KT_DATASET_EVENT(AfterScroll)
  KT_DATASET_EVENT(OnNewRecord)
#undef KT_DATASET_EVENT
  // Computes the calculated fields of a record; a new handler drops the values kept so far.
  const TDataSetNotifyEvent& OnCalcFields() const {
    return FOnCalcFields;
  }
  void SetOnCalcFields(TDataSetNotifyEvent Value);

  // Tells every data source (and its links) about Event, unless controls are disabled.
  void DataEvent(TDataEvent Event, std::intptr_t Info = 0);

 protected:
  // --- Storage, implemented by descendants ----------------------------------------------
  // Records in the data set's order, a record being inserted included.
  virtual int InternalCount() const = 0;
  // A number that stays with the record while others come and go (for cached values).
  virtual std::uint32_t RecordId(int Pos) const = 0;
  // The value of storage column FieldNo in the record at Pos.
  virtual Variant GetRecordValue(int Pos, int FieldNo) const = 0;
  // Adds an empty record at Pos (pending until InternalPost or InternalCancelInsert).
  virtual void InternalInsert(int Pos) = 0;
  virtual void InternalCancelInsert(int Pos) = 0;
  // Stores Values (one per storage column) into the record at Pos.
  virtual void InternalPost(int Pos, const std::vector<Variant>& Values) = 0;
  virtual void InternalDelete(int Pos) = 0;
  virtual void InternalOpen() {}
  virtual void InternalClose() {}
  // Re-reads the records (Refresh); returns the position of the record that was at Pos (or
  // the nearest one when it is gone). Storage that is always current keeps Pos.
  virtual int InternalRefresh(int Pos) {
    return Pos;
  }
  // Storage for a field joining the data set; returns its column number.
  virtual int InternalAddColumn(TField* Field) = 0;
  // A search key prepared by Locate and Lookup: the field, the value converted to its type.
  struct TSearchKey {
    TField* Field = nullptr;
    Variant Value;
    std::string Text;  // the value as text, for string fields
    bool IsNull = false;
  };
  // The position of the first record from 0 that matches every key; -1 when none. The base
  // reads each record through the fields; descendants may search their storage directly.
  virtual int FindRecord(const std::vector<TSearchKey>& Keys, TLocateOptions Options) const;
  // True when the record at Pos matches Key (the generic, field-reading test).
  bool MatchKey(int Pos, const TSearchKey& Key, TLocateOptions Options) const;
  // Compares a stored text with a search text as Locate does.
  static bool MatchText(const std::string& Stored, const std::string& Search, TLocateOptions Options);

  void CheckActive() const;
  void CheckInactive() const;
  // OnCalcFields reads the record being calculated: a move or an edit from there would have
  // the controls told of the new record read the calculated one instead. Raises then.
  void CheckNotCalculating() const;
  // The storage was replaced wholesale (emptied, reloaded): the cursor goes to the first
  // record and the links hear a change.
  void RecordsReplaced();

 private:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;

  // Field plumbing.
  void AddField(TField* Field);
  void RemoveField(TField* Field);
  Variant GetFieldValue(const TField* Field) const;
  void SetFieldValue(TField* Field, const Variant& Value);
  Variant ValueAt(int Pos, const TField* Field) const;
  Variant LookupValue(const TField* Field) const;
  // Fills Calc (and the edit buffer's internal-calc columns) for the record at Pos, or for
  // the edit buffer when Pos is -1, by running OnCalcFields in dsCalcFields state. False when
  // the handler freed this data set.
  bool CalculateFields(int Pos, std::vector<Variant>& Calc) const;
  Variant CalcValueAt(int Pos, int CalcIndex) const;
  std::vector<TSearchKey> MakeKeys(const std::string& KeyFields, const Variant& KeyValues) const;

  // State and notification.
  void SetState(TDataSetState Value);
  void StartEditing(TDataSetState NewState, int Pos);  // shared by Insert and Append
  // Takes back an edit or insert whose start failed (a handler raised); errors are dropped.
  void UndoEditing();
  void UpdateWindows(TWindowMove Move, int Pos = 0);
  // Events are not fired while the data set is being destroyed. The handler runs from a copy:
  // it may free this data set (the caller checks its token afterwards).
  void Fire(const TDataSetNotifyEvent& Event) {
    if (!ComponentState().Contains(csDestroying)) CallEvent(Event, this);
  }
  bool InEditMode() const {
    return FState == dsEdit || FState == dsInsert;
  }

  void AddDataSource(TDataSource* Source);
  void RemoveDataSource(TDataSource* Source);

  std::vector<TField*> FFields;
  std::vector<TDataSource*> FDataSources;
  TDataSetState FState = dsInactive;
  int FCurPos = 0;           // position of the current record
  mutable int FReadPos = 0;  // position the fields read (a link's ActiveRecord may move it)
  bool FBOF = true;
  bool FEOF = true;
  bool FModified = false;
  bool FReadOnly = false;
  int FCalcCount = 0;                      // number of calculated fields
  int FColumnCount = 0;                    // storage columns in use
  std::vector<Variant> FEditBuffer;        // storage columns of the record being edited
  mutable std::vector<Variant> FEditCalc;  // calculated values of the record being edited
  mutable bool FEditCalcValid = false;
  mutable std::unordered_map<std::uint32_t, std::vector<Variant>> FCalcCache;  // by record id
  // Context while OnCalcFields runs.
  mutable int FCalcPos = -1;  // record being calculated; -1 the edit buffer
  mutable std::vector<Variant>* FCalcTarget = nullptr;
  // While OnValidate runs, the field being validated reads its proposed value.
  const TField* FValidatingField = nullptr;
  Variant FValidatingValue;
  // DisableControls bookkeeping.
  int FDisableCount = 0;
  TDataSetState FDisableState = dsInactive;
  bool FEventWhileDisabled = false;
  bool FLayoutWhileDisabled = false;

  TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert, FAfterInsert,
      FBeforeEdit, FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel, FBeforeDelete,
      FAfterDelete, FBeforeScroll, FAfterScroll, FOnNewRecord, FOnCalcFields;
};

}  // namespace vcl
