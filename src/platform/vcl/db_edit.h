// TDBEdit: a mask edit bound to one field of a data set through a field data link.
//
// It shows the field's DisplayText while it does not have the focus and its EditText while
// the user edits, and follows the record. The window stays read-only until the data set is
// editing: a keystroke that would change the text first asks the link to Edit (the source's
// AutoEdit allowing), which makes it writable. Leaving the control writes the text into the
// field; a value the field rejects keeps the focus and the typed text, and the error goes to
// the application's exception handling. Escape puts the field's value back.
#pragma once

#include <memory>
#include <string>

#include "platform/data/data_link.h"
#include "platform/data/data_source.h"
#include "platform/vcl/mask_edit.h"

namespace vcl {

class TDBEdit : public TCustomMaskEdit {
 public:
  explicit TDBEdit(TComponent* AOwner);
  ~TDBEdit() override;
  std::string ClassName() const override { return "TDBEdit"; }

  TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(TDataSource* Value);
  const std::string& DataField() const { return FDataLink->FieldName(); }
  void SetDataField(const std::string& Value) { FDataLink->SetFieldName(Value); }
  TField* Field() const { return FDataLink->Field(); }
  // The link's read-only flag: the control never puts the data set into edit state.
  // (TCustomEdit::ReadOnly is the edit window's own state, which follows the link's editing.)
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool Value);
  // Throws away what was typed: the field's text comes back, all selected.
  void Reset();

  bool ExecuteAction(TBasicAction* Action) override;
  bool UpdateAction(TBasicAction* Action) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Asks the link to put the data set into edit state; true when it is editing.
  bool EditCanModify() override;
  // Marks the link modified, then OnChange.
  void Change() override;
  // Delete and Shift+Insert put the data set into edit state.
  void KeyDown(Word& Key, TShiftState Shift) override;
  // A character the field does not take beeps and is dropped; one that edits puts the data
  // set into edit state; Escape resets the text.
  void KeyPress(char& Key) override;
  void WMCut(TMessage& Message) override;
  void WMPaste(TMessage& Message) override;
  // Entering shows the field's edit text.
  void CMEnter(TMessage& Message) override;
  // Leaving writes the text into the field. When the field refuses it, the text is
  // selected, the focus comes back, and the error passes on.
  void CMExit(TMessage& Message) override;

  TFieldDataLink* DataLink() const { return FDataLink.get(); }

 private:
  void DataChange();
  void EditingChange();
  void UpdateData();
  void SetFocused(bool Value);

  std::unique_ptr<TFieldDataLink> FDataLink;
  bool FFocused = false;  // entered and not yet left (the text shows the edit text)
};

}  // namespace vcl
