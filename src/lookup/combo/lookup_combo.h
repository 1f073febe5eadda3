// TKtDBLookupCombo: a lookup combo box. An edit where the user types (incremental search,
// auto-completion, restriction to the list), a drop-down button, and a drop-down list of the
// lookup dataset's rows. Choosing a row writes its key into the data field.
//
// Sections (in lookup_combo.cpp):
//   construction, properties   defaults; what is forwarded to the list and the edits
//   edit text                  GetEditText, SetEditText, UpdateEdit, the swap to the data-aware edit
//   window and focus           CreateParams, CreateWnd, the focus between the combo and its edits
//   drop-down and close-up     DropDown (sizing, width, placement), CloseUp, ListMouseUp
//   keyboard and wheel         KeyPress, KeyDown, stepping with the list closed, the wheel
//   data notifications         KeyValueChanged, ListLinkDataChanged, DataLinkRecordChanged
//   validation and exit        IsEntryValid, TextFoundInList, CMExit, DoExit
//   painting and the button    SetBounds, Paint, button tracking, the hand-over into the list
//   tooltip and messages       the tooltip for a text too long, the framework's messages
//
// The combo is made of three windows: the plain edit (TKtComboEdit) where the user types, the
// data-aware edit (TKtDBComboEdit) shown instead while the lookup row itself is being edited
// (AllowEditing), and the drop-down list (TKtPopupDataList), a pop-up that never takes the
// focus. The edits forward keys, mouse and focus to the combo and fire its events with the
// combo as Sender, so to the application the combo is one control.
//
// Two flags guard against the notifications the combo's own actions cause: FInternalChange
// (the combo or its edit is moving the lookup dataset or the key; the edit text is left
// alone) and FSettingText (the combo writes the edit's text; the edit does not search).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lookup/core/db_lookup_control.h"
#include "lookup/list/lookup_list.h"
#include "lookup/list/popup_data_list.h"
#include "platform/vcl/edit.h"

namespace ktlookup {

// Situations reported to the application through OnSpecialEvent.
enum class TSpecialEventType : std::uint8_t {
  seEnterKey,    // Enter reached the combo (before the list closes)
  seDblClick,    // a double click in the edit (before OnDblClick)
  seCloseUp,     // the open list is closing (validation passed)
  seDropDown,    // the list is about to open (before OnDropDown)
  seGotFocus,    // an edit took the focus
  seLostFocus,   // the combo was left (after OnExit)
  seSysChar,     // a system character (Alt+letter) in the edit
  seSysCommand,  // a system command (the window menu, F10) from the edit
  seSysKeyUp,    // a system key went up in the edit
  seCancelMode,  // a click or a cancel request from outside the combo
};
using enum TSpecialEventType;
using TSpecialEvent = std::function<void(vcl::TObject* Sender, TSpecialEventType Event)>;

// Which edges of the drop-down list and the combo line up.
enum class TDropDownAlign : std::uint8_t { daLeft, daRight, daCenter };
using enum TDropDownAlign;

class TKtComboEdit;
class TKtDBComboEdit;

class TKtDBLookupCombo : public TKtDBLookupControl, public TKtPopupListHost {
 public:
  explicit TKtDBLookupCombo(TComponent* AOwner);
  // The module's mouse hook never outlives the combo it serves.
  ~TKtDBLookupCombo() override;
  std::string ClassName() const override { return "TKtDBLookupCombo"; }

  // ---- Published properties of its own (defaults: the constructor's values) -----------------
  bool AllowEditing() const { return FAllowEditing; }  // false
  void SetAllowEditing(bool Value) { FAllowEditing = Value; }
  bool AlwaysAutoSelect() const { return FAlwaysAutoSelect; }  // false
  void SetAlwaysAutoSelect(bool Value) { FAlwaysAutoSelect = Value; }
  bool AutoChange() const { return FAutoChange; }  // true: an unbound combo follows the lookup record
  void SetAutoChange(bool Value) { FAutoChange = Value; }
  bool AutoComplete() const { return FAutoComplete; }  // true
  void SetAutoComplete(bool Value) { FAutoComplete = Value; }
  bool AutoDropDown() const { return FAutoDropDown; }  // true: typing opens the list
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool CapitalAfterSpace() const { return FCapitalAfterSpace; }  // false
  void SetCapitalAfterSpace(bool Value) { FCapitalAfterSpace = Value; }
  bool CapitalFirstLetter() const { return FCapitalFirstLetter; }  // true
  void SetCapitalFirstLetter(bool Value) { FCapitalFirstLetter = Value; }
  TDropDownAlign DropDownAlign() const { return FDropDownAlign; }  // daLeft
  void SetDropDownAlign(TDropDownAlign Value) { FDropDownAlign = Value; }
  bool DropDownOnEditClick() const { return FDropDownOnEditClick; }  // false
  void SetDropDownOnEditClick(bool Value) { FDropDownOnEditClick = Value; }
  bool DropDownOnEnter() const { return FDropDownOnEnter; }  // false
  void SetDropDownOnEnter(bool Value) { FDropDownOnEnter = Value; }
  int DropDownRows() const { return FDropDownRows; }  // 7
  void SetDropDownRows(int Value) { FDropDownRows = Value; }
  bool DropDownRowsAutoDecrease() const { return FDropDownRowsAutoDecrease; }  // true
  void SetDropDownRowsAutoDecrease(bool Value) { FDropDownRowsAutoDecrease = Value; }
  int DropDownWidth() const { return FDropDownWidth; }  // 0: computed
  void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
  bool DropDownWidthFromListFlds() const { return FDropDownWidthFromListFlds; }  // false
  void SetDropDownWidthFromListFlds(bool Value) { FDropDownWidthFromListFlds = Value; }
  bool EmptyShowInList() const { return FEmptyShowInList; }  // true
  void SetEmptyShowInList(bool Value) { FEmptyShowInList = Value; }
  bool EscapeCancel() const { return FEscapeCancel; }  // true
  void SetEscapeCancel(bool Value) { FEscapeCancel = Value; }
  bool ExitFillFirstIfBlank() const { return FExitFillFirstIfBlank; }  // false
  void SetExitFillFirstIfBlank(bool Value) { FExitFillFirstIfBlank = Value; }
  bool ExitFillIfPartial() const { return FExitFillIfPartial; }  // true
  void SetExitFillIfPartial(bool Value) { FExitFillIfPartial = Value; }
  TColor ListFontColor() const { return FListFontColor; }  // clWindowText
  void SetListFontColor(TColor Value);
  bool RestrictToList() const { return FRestrictToList; }  // false
  void SetRestrictToList(bool Value) { FRestrictToList = Value; }
  const std::string& ValidateErrMsg() const { return FValidateErrMsg; }  // ''
  void SetValidateErrMsg(const std::string& Value) { FValidateErrMsg = Value; }
  bool ValidateOnAccept() const { return FValidateOnAccept; }  // false
  void SetValidateOnAccept(bool Value) { FValidateOnAccept = Value; }

  // ---- Published properties of the drop-down list (its own defaults) -------------------------
  TColor HighlightColor() const;
  void SetHighlightColor(TColor Value);
  TColor HighlightFontColor() const;
  void SetHighlightFontColor(TColor Value);
  TColor ListColor() const;  // the list's Color
  void SetListColor(TColor Value);
  TKtDBLookupListOptions Options() const;
  void SetOptions(TKtDBLookupListOptions Value);
  TColor TitleColor() const;
  void SetTitleColor(TColor Value);
  TColor TitleFontColor() const;
  void SetTitleFontColor(TColor Value);

  // ---- Published properties of the edits --------------------------------------------------
  vcl::TEditCharCase CharCase() const;  // ecNormal; setting it recreates the window
  void SetCharCase(vcl::TEditCharCase Value);
  int MaxLength() const;  // 0
  void SetMaxLength(int Value);
  // Handed to both edits when the combo gets the focus.
  vcl::TImeMode ImeMode() const { return FImeMode; }  // imDontCare
  void SetImeMode(vcl::TImeMode Value) { FImeMode = Value; }
  const std::string& ImeName() const { return FImeName; }
  void SetImeName(const std::string& Value) { FImeName = Value; }

  // ---- Events -----------------------------------------------------------------------------
  const TNotifyEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(TNotifyEvent V) { FOnButtonClick = std::move(V); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent V) { FOnChange = std::move(V); }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(TNotifyEvent V) { FOnCloseUp = std::move(V); }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(TNotifyEvent V) { FOnDblClick = std::move(V); }
  const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(TNotifyEvent V) { FOnDropDown = std::move(V); }
  const TNotifyEvent& OnExitWhenNotInList() const { return FOnExitWhenNotInList; }
  void SetOnExitWhenNotInList(TNotifyEvent V) { FOnExitWhenNotInList = std::move(V); }
  const TSpecialEvent& OnSpecialEvent() const { return FOnSpecialEvent; }
  void SetOnSpecialEvent(TSpecialEvent V) { FOnSpecialEvent = std::move(V); }

  // ---- Run-time operations ----------------------------------------------------------------
  // Opens the list; nothing when it is open already or the list fields are not resolved.
  void DropDown();
  // Closes the list; Accept asks that the row chosen in it be taken, ListClicked says the
  // button was released in the list (no validation, no test of the text).
  void CloseUp(bool Accept, bool ListClicked);
  bool ListVisible() const { return FListVisible; }
  // The text of the edit that shows.
  std::string GetEditText() override;
  // Sets the text of the edit that shows; an equal text changes nothing.
  void SetEditText(const std::string& Value);
  // The edit text begins the current row's list text; when not, the ValidateErrMsg box shows.
  bool IsEntryValid();
  // Whether a row's list field matches the edit text (the lookup dataset moves to it).
  bool TextFoundInList(vcl::TLocateOptions Options);

  // The combo counts as focused while one of its edits has the focus.
  bool Focused() const override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  bool UseRightToLeftAlignment() override;
  bool ExecuteAction(vcl::TBasicAction* Action) override;
  bool UpdateAction(vcl::TBasicAction* Action) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(vcl::TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void DataLinkRecordChanged(TField* Field) override;
  void KeyValueChanged() override;
  void ListLinkDataChanged() override;
  void ListLinkStateChanged() override;
  void UpdateDisplay() override;
  void UpdateListFields() override;
  bool DoMouseWheel(vcl::TShiftState Shift, int WheelDelta, vcl::TPoint MousePos) override;
  void DoExit() override;
  void KeyDown(vcl::Word& Key, vcl::TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;

  // Writes the plain edit's text from the key (EmptyDisplay for the empty key).
  void UpdateEdit();
  void DoOnSpecialEvent(TSpecialEventType Event);
  void ListMouseUp(vcl::TObject* Sender, vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y);

  // The tooltip for a text wider than the edit.
  void ActivateToolTip(const std::string& Text, int Width);
  void HideToolTip();
  void StopTimer();
  void FlagFullRePaint();
  void TrackButton(int X, int Y);
  void StopTracking();

  // Messages.
  void CMBiDiModeChanged(TMessage& Message);
  void CMCancelMode(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMCursorChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMGetDataLink(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMTimer(TMessage& Message);

  // ---- Fields, in declared order ----------------------------------------------------------
  bool FAllowEditing = false;
  bool FAlwaysAutoSelect = false;
  bool FAutoChange = true;
  bool FAutoComplete = true;
  bool FAutoDropDown = true;
  int FButtonWidth = 0;  // the system's scroll-bar width, read at construction
  bool FCapitalAfterSpace = false;
  bool FCapitalFirstLetter = true;
  TKtPopupDataList* FPopupList = nullptr;  // owned; hidden and unbound while closed
  TKtDBComboEdit* FDBEdit = nullptr;       // owned; shown while the lookup row is edited
  bool FDBEditActive = false;              // the data-aware edit shows
  bool FSelectAllOnMouseUp = false;        // the edit selects all at the next mouse-up
  TDropDownAlign FDropDownAlign = daLeft;
  bool FDropDownOnEditClick = false;
  bool FDropDownOnEnter = false;
  int FDropDownRows = 7;
  bool FDropDownRowsAutoDecrease = true;
  int FDropDownWidth = 0;
  bool FDropDownWidthFromListFlds = false;
  TKtComboEdit* FEdit = nullptr;  // owned; where the user types
  bool FEmptyShowInList = true;
  bool FEscapeCancel = true;
  bool FExitFillFirstIfBlank = false;
  bool FExitFillIfPartial = true;
  TColor FListFontColor = vcl::clWindowText;
  bool FListVisible = false;     // the list is dropped down
  bool FInternalChange = false;  // the combo itself moves the lookup dataset or the key
  bool FSettingText = false;     // the combo writes the edit's text
  bool FButtonPressed = false;   // the button is drawn pushed
  bool FRestrictToList = false;
  bool FToolTipShown = false;  // a tooltip was shown for the present text
  bool FTracking = false;      // the mouse is captured after a press on the button
  std::string FValidateErrMsg;
  bool FValidateOnAccept = false;
  TNotifyEvent FOnButtonClick;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnCloseUp;
  TNotifyEvent FOnDblClick;
  TNotifyEvent FOnDropDown;
  TNotifyEvent FOnExitWhenNotInList;
  TSpecialEvent FOnSpecialEvent;
  vcl::TImeMode FImeMode = vcl::imDontCare;
  std::string FImeName;

 private:
  friend class TKtComboEdit;
  friend class TKtDBComboEdit;
  friend vcl::LRESULT ComboMouseHookProc(int Code, vcl::WPARAM WParam, vcl::LPARAM LParam);

  // Closes the list because the focus leaves or a cancel request came: with Accept the
  // ExitFillIfPartial rule. A row that does not validate is not taken, and nothing asks the
  // user: the list never stays open while the focus goes elsewhere.
  void CloseUpOnLeave();
  void DoCloseUp(bool Accept, bool ListClicked, bool Leaving);
  void FinishCloseUp(bool Accept, bool ListClicked, bool Refused);  // hides the list, takes the row
  // Steps the selection one row with the list closed (Up: -1, Down: +1); FromKey applies the
  // rule for non-unique keys.
  void StepSelection(int Direction, bool FromKey);
  // The edit text begins the current row's list text (ignoring case).
  bool TextLeadsCurrentRow();
  // The key field's value at the lookup dataset's current row equals Value.
  bool CurrentRowHasKey(const Variant& Value);
  // Text written into the plain edit by code, with FSettingText held.
  void SetPlainEditText(const std::string& Value);
  // The button's rectangle along the right edge of the client area.
  vcl::TRect ButtonRect();
  // Places the plain edit in the text area and the data-aware edit over the whole combo.
  void LayoutEdits();
};

}  // namespace ktlookup
