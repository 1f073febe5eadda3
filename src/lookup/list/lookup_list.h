// TKtDBLookupList: a data-aware, multi-column list of the rows of a lookup dataset. Picking a
// row writes its key into the data field (DataSource/DataField) through the base control.
//
// Sections (in lookup_list.cpp):
//   construction, window     defaults, border styles, the window's creation
//   row model                height snapping, data rows, the list link's record buffer
//   selection                clicked row, SelectCurrent, SelectItemAt, HighlightItem
//   notifications            the base control's KeyValueChanged, ListLinkDataChanged, ...
//   painting                 Paint, PaintTitleRow, PaintEmptyRow, DrawRowCells
//   keyboard                 KeyDown (the navigation keys), KeyPress (search, Escape)
//   mouse                    tracking with capture, double click, auto-scroll, the wheel
//   scroll bar               UpdateScrollBar, WM_VSCROLL with thumb tracking
//   tooltips, search text    the two hint windows and their timers
//   messages                 the framework's and the window's messages
//
// Row model. The client area is cut into RowCount bands of RH pixels (the font's cell height
// plus one for the row line). Band 0 is the title row when loTitles is set; the next is the
// empty row when EmptyDisplay is not empty; the rest are data rows 0, 1, ..., each showing
// the record of the same buffer row of the list link, whose BufferCount always equals the
// number of data rows. A list always keeps at least one data row.
#pragma once

#include <cstdint>
#include <string>

#include "lookup/core/db_lookup_control.h"

namespace ktlookup {

// Timer ids on a list's window, and the timers' intervals.
inline constexpr std::uintptr_t cScrollTimerID = 1;      // auto-scroll while a drag is outside
inline constexpr std::uintptr_t cToolTipTimerID = 2;     // hides a row tooltip
inline constexpr std::uintptr_t cSearchTextTimerID = 3;  // hides the search-text window
inline constexpr int cToolTipTimerInterval = 3000;       // ms
inline constexpr int cSearchTextTimerInterval = 2000;    // ms
inline constexpr int cToolTipMaxWidth = 600;             // pixels, for both hint windows

enum class TKtDBLookupListOption : std::uint8_t {
  loColLines,  // vertical lines between the columns
  loRowLines,  // a horizontal line under each row
  loTitles,    // a title row with each field's DisplayLabel
};
using enum TKtDBLookupListOption;
using TKtDBLookupListOptions = vcl::Set<TKtDBLookupListOption>;

// What a popup list asks the control that drops it down (its Parent): the text that decides
// whether the selected row is highlighted.
class TKtPopupListHost {
 public:
  virtual std::string GetEditText() = 0;

 protected:
  ~TKtPopupListHost() = default;
};

class TKtDBLookupList : public TKtDBLookupControl {
 public:
  explicit TKtDBLookupList(TComponent* AOwner);
  std::string ClassName() const override { return "TKtDBLookupList"; }

  // ---- Published properties (defaults: the constructor's values) ----------------------------
  vcl::TBorderStyle BorderStyle() const { return FBorderStyle; }  // bsSingle
  void SetBorderStyle(vcl::TBorderStyle Value);
  TColor HighlightColor() const { return FHighlightColor; }  // clHighlight: the selected row
  void SetHighlightColor(TColor Value);
  TColor HighlightFontColor() const { return FHighlightFontColor; }  // clHighlightText
  void SetHighlightFontColor(TColor Value);
  bool LocateOnEnter() const { return FLocateOnEnter; }  // false: entering by Tab locates the key
  void SetLocateOnEnter(bool Value) { FLocateOnEnter = Value; }
  bool LocateOnExit() const { return FLocateOnExit; }  // false
  void SetLocateOnExit(bool Value) { FLocateOnExit = Value; }
  TKtDBLookupListOptions Options() const { return FOptions; }  // []
  void SetOptions(TKtDBLookupListOptions Value);
  // Rows the client area holds, title and empty rows included; never stored (Height carries
  // it). Setting it clamps to 1..100 and sets the height.
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  bool ShowSearchText() const { return FShowSearchText; }  // true: the search text survives scrolling
  void SetShowSearchText(bool Value) { FShowSearchText = Value; }
  TColor TitleColor() const { return FTitleColor; }  // clBtnFace
  void SetTitleColor(TColor Value);
  TColor TitleFontColor() const { return FTitleFontColor; }  // clBtnText
  void SetTitleFontColor(TColor Value);

  // ---- Selection ----------------------------------------------------------------------------
  // The row under client Y: data rows from 0; -1 the empty row (the title row when only it is
  // shown), -2 the title row when both are shown.
  int GetClickedRow(int Y);
  bool IsMouseOnTitle(int Y);       // loTitles is set and Y is on the title row (Y <= RH)
  void SelectCurrent();             // chooses the key of the list dataset's current record
  void SelectItemAt(int X, int Y);  // chooses the row under client Y (clamped to the client area)
  // A popup list highlights its selected row only while the combo's text leads the row's text.
  bool HighlightItem();
  int GetDataRows() const;  // data rows: RowCount less the title and empty rows

  // ---- Tooltips and the search-text window --------------------------------------------------
  void HideToolTip();
  void HideSearchTextWnd();
  // Repaints the whole client area over a freshly erased background.
  void FlagFullRePaint();

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  bool UseRightToLeftAlignment() override;
  bool ExecuteAction(vcl::TBasicAction* Action) override;
  bool UpdateAction(vcl::TBasicAction* Action) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(vcl::TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  int GetTextHeight() override;
  void KeyValueChanged() override;
  void ListLinkDataChanged() override;
  void UpdateDisplay() override;
  void UpdateListFields() override;
  bool IsTrackingSelection() const override { return FTracking; }

  // Input.
  bool DoMouseWheelDown(vcl::TShiftState Shift, vcl::TPoint MousePos) override;
  bool DoMouseWheelUp(vcl::TShiftState Shift, vcl::TPoint MousePos) override;
  void KeyDown(vcl::Word& Key, vcl::TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void TimerScroll();
  void StopTimer(std::uintptr_t TimerId);
  void StopTracking();
  void UpdateScrollBar();

  // Tooltips and the search-text window.
  // The tooltip text of a row: its columns joined by ToolTipsDelimiter; Clipped tells whether
  // the row's last column is cut off.
  std::string RowToolTipText(int Row, bool& Clipped);
  void ActivateToolTip(const std::string& Text, int Row);
  void ShowSearchTextWnd();

  void UpdateBufferCount(int Value);

  // Messages.
  void CMColorChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void WMCancelMode(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  void WMNCMouseMove(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMTimer(TMessage& Message);
  void WMVScroll(TMessage& Message);

  // ---- Fields, in declared order ----------------------------------------------------------
  vcl::TBorderStyle FBorderStyle = vcl::bsSingle;  // BorderStyle
  TColor FHighlightColor = vcl::clHighlight;       // HighlightColor
  TColor FHighlightFontColor = vcl::clHighlightText;
  // False exactly when nothing is selected and the list dataset is at its beginning: the first
  // data row then gets the focus rectangle when the empty row is hidden.
  bool FKeySelected = false;
  bool FLocateOnEnter = false;
  bool FLocateOnExit = false;
  // True while the list itself writes the selected key: KeyValueChanged then leaves the list
  // dataset where it is.
  bool FSelectingFromList = false;
  int FLastMouseRow = -2;  // row under the mouse at the last move (GetClickedRow); -2 none
  int FTrackingY = 0;      // client Y of the last mouse move while tracking
  TKtDBLookupListOptions FOptions;
  bool FIsPopup = false;                          // the combo's drop-down list
  int FBufferRecordCount = 0;                     // the list link's RecordCount at its last notification
  int FActiveRecordIndex = 0;                     // the list link's ActiveRecord at its last notification
  int FRowCount = 0;                              // RowCount; written only by SetBounds
  bool FSearchTextShowing = false;                // the search-text window shows and its timer runs
  vcl::THintWindow* FSearchTextWindow = nullptr;  // owned component
  std::string FSelectedText;        // the display text of the selection (EmptyDisplay for the empty row)
  bool FShowSearchText = true;      // ShowSearchText
  bool FScrollTimerActive = false;  // the auto-scroll timer runs
  TColor FTitleColor = vcl::clBtnFace;
  TColor FTitleFontColor = vcl::clBtnText;
  // The left button went down on a row: the mouse is captured and the selection follows it;
  // a choice only sets the key, the field is written on release.
  bool FTracking = false;

 private:
  // Painting state shared by the steps of one Paint.
  struct TPaintState {
    int DW = 0;  // width of "0": column widths are counted in it
    int RH = 0;  // band height
    int LastCol = -1;
    vcl::TRect R;  // the cell being drawn; its Right is the running x of the next cell
    bool Focus = false;
  };
  void PaintTitleRow(TPaintState& S);
  void PaintEmptyRow(TPaintState& S);
  void DrawRowCells(TPaintState& S, bool TitleRow);
  void SetPenFor(TColor RowColor);
  // Whether the key of the list dataset's current record is the selected key.
  bool CurrentRecordIsKey();
  // Moves the list one line down (+1) or up (-1), as the wheel does.
  void ScrollOneLine(int Direction);
  // Shows the key the master field holds again, after a choice the field refused or a drag
  // that was cancelled.
  void RestoreFieldKey();
  int TopMargin();  // t + e: bands above the data rows
};

}  // namespace ktlookup
