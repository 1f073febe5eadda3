#include "lookup/list/lookup_list.h"

#include <algorithm>
#include <climits>

#include "platform/vcl/db_alignment.h"

namespace ktlookup {

using namespace vcl;

namespace {

// Lets the code point a link's fields at buffered records and, on every exit (a field's getter
// may raise), points them back at the record they read before. Not the index of the list's
// last notification: a paint that comes while the data set tells its links of a move (another
// control repaints this one first) must not leave the fields on another record for the links
// still to be told.
class TActiveRecordScope {
 public:
  explicit TActiveRecordScope(TDataLink* Link) : FLink(Link), FSaved(Link->ActiveRecord()) {}
  ~TActiveRecordScope() {
    if (FLink->RecordCount() != 0) FLink->SetActiveRecord(FSaved);
  }
  TActiveRecordScope(const TActiveRecordScope&) = delete;
  TActiveRecordScope& operator=(const TActiveRecordScope&) = delete;

 private:
  TDataLink* FLink;
  int FSaved;
};

constexpr int kHome = -2147483647;  // not INT_MIN: the top is reached by First either way
constexpr int kEnd = 2147483647;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and window
// ---------------------------------------------------------------------------------------------

TKtDBLookupList::TKtDBLookupList(TComponent* AOwner) : TKtDBLookupControl(AOwner) {
  SetControlStyle(ControlStyle() + TControlStyle{csDoubleClicks});
  SetWidth(121);
  FBorderStyle = bsSingle;
  SetRowCount(7);
  FHighlightColor = clHighlight;
  FHighlightFontColor = clHighlightText;
  FLocateOnEnter = false;
  FLocateOnExit = false;
  FLastMouseRow = -2;
  FOptions = {};
  FTitleColor = clBtnFace;
  FTitleFontColor = clBtnText;
  FShowSearchText = true;
  FSearchTextWindow = new THintWindow(this);
  FSearchTextWindow->SetColor(clInfoBk);
}

void TKtDBLookupList::CreateParams(TCreateParams& Params) {
  TKtDBLookupControl::CreateParams(Params);
  if (FBorderStyle != bsSingle) return;
  if (NewStyleControls && Ctl3D())
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    Params.Style |= WS_BORDER;
}

void TKtDBLookupList::CreateWnd() {
  TKtDBLookupControl::CreateWnd();
  UpdateScrollBar();
}

void TKtDBLookupList::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  auto alive = Alive();
  RecreateWnd();
  if (alive) SetRowCount(FRowCount);
}

void TKtDBLookupList::SetHighlightColor(TColor Value) {
  if (Value == FHighlightColor) return;
  FHighlightColor = Value;
  Invalidate();
}

void TKtDBLookupList::SetHighlightFontColor(TColor Value) {
  if (Value == FHighlightFontColor) return;
  FHighlightFontColor = Value;
  Invalidate();
}

void TKtDBLookupList::SetTitleColor(TColor Value) {
  if (Value == FTitleColor) return;
  FTitleColor = Value;
  Invalidate();
}

void TKtDBLookupList::SetTitleFontColor(TColor Value) {
  if (Value == FTitleFontColor) return;
  FTitleFontColor = Value;
  Invalidate();
}

void TKtDBLookupList::SetOptions(TKtDBLookupListOptions Value) {
  const bool titlesChanged = Value.Contains(loTitles) != FOptions.Contains(loTitles);
  FOptions = Value;
  if (titlesChanged) {
    // The title row needs a band of its own: count the rows again (OnResize may free the list).
    FLastMouseRow = -2;
    auto alive = Alive();
    SetBounds(Left(), Top(), Width(), Height());
    if (!alive) return;
  }
  FlagFullRePaint();
  Invalidate();
}

bool TKtDBLookupList::UseRightToLeftAlignment() {
  return DBUseRightToLeftAlignment(this, FDataField);
}

bool TKtDBLookupList::ExecuteAction(TBasicAction* Action) {
  return TKtDBLookupControl::ExecuteAction(Action) || (FDataLink && FDataLink->ExecuteAction(Action));
}

bool TKtDBLookupList::UpdateAction(TBasicAction* Action) {
  return TKtDBLookupControl::UpdateAction(Action) || (FDataLink && FDataLink->UpdateAction(Action));
}

// ---------------------------------------------------------------------------------------------
// Row model
// ---------------------------------------------------------------------------------------------

int TKtDBLookupList::GetTextHeight() {
  return TKtDBLookupControl::GetTextHeight() + 1;
}

int TKtDBLookupList::TopMargin() {
  return (FOptions.Contains(loTitles) ? 1 : 0) + (EmptyItemVisible() ? 1 : 0);
}

int TKtDBLookupList::GetDataRows() const {
  const int t = FOptions.Contains(loTitles) ? 1 : 0;
  const int e = EmptyItemVisible() ? 1 : 0;
  return std::max(0, FRowCount - t - e);
}

void TKtDBLookupList::SetRowCount(int Value) {
  Value = std::clamp(Value, 1, 100);
  SetHeight(Value * GetTextHeight() + GetBorderSize() - 1);
}

void TKtDBLookupList::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int border = GetBorderSize();
  const int rh = GetTextHeight();
  int rows = (AHeight - border + 1) / rh;
  // Always room for one data row below the title and empty rows: with none, the only record
  // of a table could be neither seen nor clicked, and a page would be -1 rows.
  rows = std::max(rows, 1 + TopMargin());
  FRowCount = rows;
  UpdateBufferCount(GetDataRows());
  TKtDBLookupControl::SetBounds(ALeft, ATop, AWidth, border + rows * rh - 1);
}

void TKtDBLookupList::UpdateBufferCount(int Value) {
  if (FListLink->BufferCount() == Value) return;
  FListLink->SetBufferCount(Value);
  ListLinkDataChanged();
}

// ---------------------------------------------------------------------------------------------
// Selection
// ---------------------------------------------------------------------------------------------

int TKtDBLookupList::GetClickedRow(int Y) {
  return Y / GetTextHeight() - TopMargin();
}

bool TKtDBLookupList::IsMouseOnTitle(int Y) {
  return FOptions.Contains(loTitles) && Y <= GetTextHeight();
}

void TKtDBLookupList::SelectCurrent() {
  TDataSet* dataSet = FListLink->DataSet();
  // An empty table has no record to choose: the field keeps its key.
  if (!FKeyField || !dataSet || dataSet->IsEmpty()) return;
  TFlagScope selecting(FSelectingFromList, Alive());
  SelectKeyValue(FKeyField->Value());
}

void TKtDBLookupList::SelectItemAt(int, int Y) {
  Y = std::clamp(Y, 0, std::max(0, ClientHeight() - 1));
  const int row = GetClickedRow(Y);
  if (EmptyItemVisible() && row == -1) {
    TFlagScope selecting(FSelectingFromList, Alive());
    SelectKeyValue(Variant(Null));
    return;
  }
  if (TDataSet* dataSet = FListLink->DataSet(); dataSet && FListLink->Active()) {
    auto alive = Alive();
    dataSet->MoveBy(row - FActiveRecordIndex);
    if (!alive) return;
  }
  SelectCurrent();
}

bool TKtDBLookupList::HighlightItem() {
  if (!FIsPopup) return false;
  // Only a control that drops the list down can tell its text.
  auto* host = dynamic_cast<TKtPopupListHost*>(Parent());
  if (!host) return false;
  const std::string text = host->GetEditText();
  if (text.empty()) return false;
  return StartsWithText(text, VarToStr(GetListValue()));
}

// ---------------------------------------------------------------------------------------------
// Notifications from the base control
// ---------------------------------------------------------------------------------------------

void TKtDBLookupList::KeyValueChanged() {
  if (FListActive && !FSelectingFromList) {
    auto alive = Alive();
    if (!LocateKey()) {
      if (!alive) return;
      if (TDataSet* dataSet = FListLink->DataSet()) dataSet->First();
    }
    if (!alive) return;
  }
  if (!FListField)
    FSelectedText.clear();
  else if (IsValueEmpty())
    FSelectedText = FEmptyDisplay;
  else
    FSelectedText = FListField->DisplayText();
}

void TKtDBLookupList::ListLinkDataChanged() {
  if (FListActive) {
    FActiveRecordIndex = FListLink->ActiveRecord();
    FBufferRecordCount = FListLink->RecordCount();
    FKeySelected = !(FKeyValue.IsNull() && FListLink->DataSet()->BOF());
    if (!FKeyIsUnique && !UpdateListValues()) return;
  } else {
    FActiveRecordIndex = 0;
    FBufferRecordCount = 0;
    FKeySelected = false;
  }
  if (!HandleAllocated()) return;
  UpdateScrollBar();
  Invalidate();
}

void TKtDBLookupList::UpdateListFields() {
  auto alive = Alive();
  // The rows and the selection follow the new columns whether or not binding succeeded.
  auto followUp = [this, alive] {
    if (!alive) return;
    if (FListActive)
      KeyValueChanged();
    else
      ListLinkDataChanged();
  };
  try {
    TKtDBLookupControl::UpdateListFields();
  } catch (...) {
    followUp();
    throw;
  }
  followUp();
}

void TKtDBLookupList::UpdateDisplay() {
  // The empty row came or went: count the rows again, keeping one data row at least. An
  // OnResize handler may free the list.
  auto alive = Alive();
  SetBounds(Left(), Top(), Width(), Height());
  if (alive) Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------------

void TKtDBLookupList::SetPenFor(TColor RowColor) {
  Canvas()->Pen()->SetColor(ColorToRGB(RowColor) == ColorToRGB(clBtnFace) ? clBtnShadow : clBtnFace);
}

void TKtDBLookupList::Paint() {
  TCanvas* canvas = Canvas();
  canvas->SetFont(Font());
  TPaintState s;
  s.DW = canvas->TextWidth("0");
  s.RH = GetTextHeight();
  s.LastCol = static_cast<int>(FListFields.size()) - 1;
  const bool titles = FOptions.Contains(loTitles);
  const bool empty = EmptyItemVisible();
  const int t = titles ? 1 : 0, e = empty ? 1 : 0;
  const int clientWidth = ClientWidth();
  const bool designing = ComponentState().Contains(csDesigning);

  if (titles) PaintTitleRow(s);
  if (empty) PaintEmptyRow(s);
  SetPenFor(Color());

  // The rows are read by pointing the list link at each buffered record in turn. The current
  // record is pointed at again on every exit, also when a field's getter raises, so that the
  // application never reads another record's values.
  TActiveRecordScope restore(FListLink);

  for (int i = 0; i < GetDataRows(); ++i) {
    canvas->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    canvas->Brush()->SetColor(Color());
    s.Focus = !FKeySelected && i == 0 && !empty;
    const int k = i + t + e;
    s.R.Top = k * s.RH;
    s.R.Bottom = s.R.Top + s.RH - 1;
    if (i < FBufferRecordCount) {
      FListLink->SetActiveRecord(i);
      const bool selected =
          !FKeyValue.IsNull() && ((!FKeyIsUnique && i == FActiveRecordIndex) ||
                                  (FKeyIsUnique && VariantsEqual(FKeyField->Value(), FKeyValue)));
      if (selected) {
        // A popup whose combo text does not lead the row's text shows the focus rectangle only.
        if (!FIsPopup || HighlightItem() || FTracking) {
          canvas->Font()->SetColor(FHighlightFontColor);
          canvas->Brush()->SetColor(FHighlightColor);
        }
        s.Focus = true;
      }
      s.R.Right = 0;
      DrawRowCells(s, false);
      if (FOptions.Contains(loRowLines)) {
        canvas->MoveTo(0, s.R.Bottom);
        canvas->LineTo(clientWidth, s.R.Bottom);
      }
    }
    s.R.Left = 0;
    s.R.Right = clientWidth;
    if (i >= FBufferRecordCount) canvas->FillRect(s.R);
    if (!designing && s.Focus && (FHasFocus || FIsPopup)) canvas->DrawFocusRect(s.R);
  }
}

void TKtDBLookupList::PaintTitleRow(TPaintState& S) {
  Canvas()->Font()->SetColor(FTitleFontColor);
  Canvas()->Brush()->SetColor(FTitleColor);
  SetPenFor(FTitleColor);
  S.R.Top = 0;
  S.R.Bottom = S.RH;  // the title cell covers its whole band
  S.R.Right = 0;
  DrawRowCells(S, true);
}

void TKtDBLookupList::PaintEmptyRow(TPaintState& S) {
  TCanvas* canvas = Canvas();
  canvas->Font()->SetColor(FEmptyItemFontColor);
  canvas->Brush()->SetColor(FEmptyItemColor);
  S.Focus = false;
  if (FKeyValue.IsNull()) {
    // The empty row is the selection: highlighted in a popup list too.
    canvas->Font()->SetColor(FHighlightFontColor);
    canvas->Brush()->SetColor(FHighlightColor);
    S.Focus = true;
  }
  SetPenFor(FEmptyItemColor);
  const bool rowLines = FOptions.Contains(loRowLines);
  S.R.Top = (FOptions.Contains(loTitles) ? 1 : 0) * S.RH;
  S.R.Bottom = S.R.Top + S.RH - 1 + (rowLines ? 0 : 1);
  S.R.Left = 0;
  S.R.Right = ClientWidth();
  canvas->TextRect(S.R, 2, S.R.Top, FEmptyDisplay);
  if (rowLines) {
    canvas->MoveTo(0, S.R.Bottom);
    canvas->LineTo(ClientWidth(), S.R.Bottom);
  }
  if (!ComponentState().Contains(csDesigning) && S.Focus && (FHasFocus || FIsPopup))
    canvas->DrawFocusRect(S.R);
}

void TKtDBLookupList::DrawRowCells(TPaintState& S, bool TitleRow) {
  TControlCanvas* canvas = Canvas();
  const int clientWidth = ClientWidth();
  const bool colLines = FOptions.Contains(loColLines);
  // Title cells are raised 3-D cells when both kinds of grid lines are on.
  const bool grid3D = TitleRow && colLines && FOptions.Contains(loRowLines);
  const bool rightToLeft = UseRightToLeftAlignment();
  for (int c = 0; c <= S.LastCol; ++c) {
    TField* field = FListFields[static_cast<size_t>(c)];
    const int w = c < S.LastCol ? field->DisplayWidth() * S.DW + 4 : clientWidth - S.R.Right;
    const std::string text = TitleRow ? field->DisplayLabel() : field->DisplayText();
    int textX = 2;
    TAlignment alignment = field->Alignment();
    if (rightToLeft) ChangeBiDiModeAlignment(alignment);
    if (alignment == taRightJustify)
      textX = w - canvas->TextWidth(text) - 3;
    else if (alignment == taCenter)
      textX = (w - canvas->TextWidth(text)) / 2;
    S.R.Left = S.R.Right;
    S.R.Right = S.R.Right + w;
    if (SysLocale.MiddleEast) canvas->UpdateTextFlags();
    if (grid3D) InflateRect(S.R, -1, -1);
    canvas->TextRect(S.R, S.R.Left + textX, grid3D ? S.R.Top - 1 : S.R.Top, text);
    if (c < S.LastCol) {
      if (colLines) {
        canvas->MoveTo(S.R.Right, S.R.Top);
        canvas->LineTo(S.R.Right, S.R.Bottom + 1);
        S.R.Right = S.R.Right + 1;
      }
      // A column reaching the right edge ends the row: the rest are not drawn.
      if (S.R.Right >= clientWidth) break;
    }
    if (grid3D) {
      InflateRect(S.R, 1, 1);
      TRect edge = S.R;
      DrawEdge(canvas->Handle(), edge, BDR_RAISEDINNER, BF_RIGHT | BF_BOTTOM);
      edge = S.R;
      DrawEdge(canvas->Handle(), edge, BDR_RAISEDINNER | BDR_SUNKENINNER, BF_LEFT | BF_TOP);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Keyboard
// ---------------------------------------------------------------------------------------------

bool TKtDBLookupList::CurrentRecordIsKey() {
  return FKeyField && VariantsEqual(FKeyValue, FKeyField->Value());
}

void TKtDBLookupList::KeyDown(Word& Key, TShiftState Shift) {
  auto alive = Alive();
  TKtDBLookupControl::KeyDown(Key, Shift);
  if (!alive) return;
  if (!CanModify() || !alive) return;
  TDataSet* dataSet = FListLink->DataSet();
  // An empty table has nothing to move to: the field keeps its key.
  if (!dataSet || dataSet->IsEmpty()) return;
  int delta = 0;
  switch (Key) {
    case VK_PRIOR: delta = 1 - GetDataRows(); break;
    case VK_NEXT: delta = GetDataRows() - 1; break;
    case VK_END: delta = kEnd; break;
    case VK_HOME: delta = kHome; break;
    case VK_LEFT:
    case VK_UP: delta = -1; break;
    case VK_RIGHT:
    case VK_DOWN: delta = 1; break;
    default: break;
  }
  const bool empty = EmptyItemVisible();
  // Nothing to do at the top or the bottom.
  if (delta < 0 && dataSet->BOF() && ((!empty && CurrentRecordIsKey()) || (empty && FKeyValue.IsNull())))
    delta = 0;
  if (delta > 0 && dataSet->EOF() && CurrentRecordIsKey()) delta = 0;
  if (delta == 0) return;

  FSearchText.clear();
  HideSearchTextWnd();
  bool moved = true;
  // The movement starts from the selected record.
  if (!CurrentRecordIsKey()) {
    LocateKey();
    // The lookup data's handlers may have unbound the list or freed its data set.
    if (!alive) return;
    dataSet = FListLink->DataSet();
    if (!dataSet || !FKeyField) return;
  }
  if (delta == kHome || (delta != kEnd && FKeyValue.IsNull())) {
    const std::string before = FKeyField->AsString();
    dataSet->First();
    if (!alive || !FKeyField) return;
    moved = FKeyField->AsString() != before && !FKeyValue.IsNull();
  } else if (delta == kEnd) {
    dataSet->Last();
  } else {
    moved = dataSet->MoveBy(delta) < 0;
  }
  if (!alive) return;
  if (empty && delta < 0 && !moved)
    SelectKeyValue(Variant(Null));  // up from the first record: the empty row
  else
    SelectCurrent();
}

void TKtDBLookupList::KeyPress(char& Key) {
  auto alive = Alive();
  TKtDBLookupControl::KeyPress(Key);
  if (!alive) return;
  if (Key == '\r' || Key == '\x1b') FSearchText.clear();
  if (Key == '\x1b') {
    // Escape: an edit that changed nothing is cancelled; otherwise the key the list had when
    // it was entered comes back.
    if (FDataLink->DataSource() && FDataLink->Active() && FDataLink->Editing() && FMasterField &&
        VariantsEqual(FMasterField->Value(), FEntryKeyValue))
      FDataLink->DataSet()->Cancel();
    else
      SelectKeyValue(FEntryKeyValue);
  } else if (Key != '\r') {
    ProcessSearchKey(Key);
  }
  if (!alive) return;
  if (!FSearchText.empty())
    ShowSearchTextWnd();
  else
    HideSearchTextWnd();
}

// ---------------------------------------------------------------------------------------------
// Mouse
// ---------------------------------------------------------------------------------------------

void TKtDBLookupList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = Alive();
  if (Button == mbLeft) {
    FSearchText.clear();
    HideSearchTextWnd();
    if (!FIsPopup) {
      SetFocus();
      // Another control may have refused to give the focus up.
      if (!alive || !FHasFocus) return;
    }
    if (CanModify() && alive && !IsMouseOnTitle(Y)) {
      if (Shift.Contains(ssDouble)) {
        if (GetClickedRow(Y) == FActiveRecordIndex) DblClick();
      } else {
        SetMouseCapture(true);
        FTracking = true;
        SelectItemAt(X, Y);
      }
    }
    if (!alive) return;
  }
  TKtDBLookupControl::MouseDown(Button, Shift, X, Y);
}

void TKtDBLookupList::MouseMove(TShiftState Shift, int X, int Y) {
  auto alive = Alive();
  if (FTracking) {
    if (PtInRect(ClientRect(), TPoint{X, Y})) {
      SelectItemAt(X, Y);
      if (!alive) return;
    }
    FTrackingY = Y;
    TimerScroll();
    if (!alive) return;
  }
  // A row's tooltip shows once each time the mouse enters the row.
  const int row = GetClickedRow(Y);
  const int e = EmptyItemVisible() ? 1 : 0;
  if (FToolTips && row >= -e && row < FBufferRecordCount && row != FLastMouseRow) {
    bool clipped = false;
    const std::string text = RowToolTipText(row, clipped);
    if (clipped)
      ActivateToolTip(text, row + e);
    else if (FToolTipActive)
      HideToolTip();
  } else if (FToolTipActive && row != FLastMouseRow) {
    HideToolTip();
  }
  FLastMouseRow = row;
  TKtDBLookupControl::MouseMove(Shift, X, Y);
}

void TKtDBLookupList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = Alive();
  if (FTracking) {
    StopTracking();
    try {
      SelectItemAt(X, Y);
    } catch (...) {
      // The field refused the key: the list goes back to the key the field holds.
      if (alive) RestoreFieldKey();
      throw;
    }
    if (!alive) return;
  }
  TKtDBLookupControl::MouseUp(Button, Shift, X, Y);
}

void TKtDBLookupList::RestoreFieldKey() {
  if (!FMasterField) return;
  auto alive = Alive();
  Variant key;
  try {
    key = FMasterField->Value();
  } catch (...) {
    return;
  }
  SetKeyValue(key);
  if (alive) Invalidate();
}

void TKtDBLookupList::TimerScroll() {
  const int top = IsMouseOnTitle(FTrackingY) ? GetTextHeight() : 0;
  const int clientHeight = ClientHeight();
  int dir = 0, dist = 0;
  if (FTrackingY < top) {
    dir = -1;
    dist = top - FTrackingY;
  }
  if (FTrackingY >= clientHeight) {
    dir = 1;
    dist = FTrackingY - clientHeight + 1;
  }
  if (dir == 0) {
    StopTimer(cScrollTimerID);
    return;
  }
  TDataSet* dataSet = FListLink->DataSet();
  if (!dataSet || !FListLink->Active()) return;
  auto alive = Alive();
  const bool moved = dataSet->MoveBy(dir) != 0;
  if (!alive) return;
  // At the top, a selected empty row gives way to the first record.
  if (moved || (EmptyItemVisible() && FSelectedText == FEmptyDisplay)) SelectCurrent();
  if (!alive) return;
  const int interval = std::max(0, 200 - 15 * dist);
  SetTimer(Handle(), cScrollTimerID, static_cast<UINT>(interval));
  FScrollTimerActive = true;
}

void TKtDBLookupList::StopTimer(std::uintptr_t TimerId) {
  bool* flag = nullptr;
  switch (TimerId) {
    case cScrollTimerID: flag = &FScrollTimerActive; break;
    case cToolTipTimerID: flag = &FToolTipActive; break;
    case cSearchTextTimerID: flag = &FSearchTextShowing; break;
    default: return;
  }
  if (!*flag) return;
  if (HandleAllocated()) KillTimer(Handle(), TimerId);
  // The search-text flag belongs to HideSearchTextWnd, which clears it itself.
  if (TimerId != cSearchTextTimerID) *flag = false;
}

void TKtDBLookupList::StopTracking() {
  if (!FTracking) return;
  StopTimer(cScrollTimerID);
  FTracking = false;
  SetMouseCapture(false);
}

bool TKtDBLookupList::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  auto alive = Alive();
  if (TKtDBLookupControl::DoMouseWheelDown(Shift, MousePos)) return true;
  if (!alive) return true;
  ScrollOneLine(+1);
  return true;
}

bool TKtDBLookupList::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  auto alive = Alive();
  if (TKtDBLookupControl::DoMouseWheelUp(Shift, MousePos)) return true;
  if (!alive) return true;
  ScrollOneLine(-1);
  return true;
}

void TKtDBLookupList::ScrollOneLine(int Direction) {
  if (!FShowSearchText) FSearchText.clear();
  HideSearchTextWnd();
  HideToolTip();
  TDataSet* dataSet = FListLink->DataSet();
  if (!dataSet || !FListLink->Active()) return;
  // Just below the last shown row, or just above the first.
  dataSet->MoveBy(Direction > 0 ? FBufferRecordCount - FActiveRecordIndex : -FActiveRecordIndex - 1);
}

// ---------------------------------------------------------------------------------------------
// Scroll bar
// ---------------------------------------------------------------------------------------------

void TKtDBLookupList::UpdateScrollBar() {
  if (!HandleAllocated()) return;
  HWND wnd = Handle();
  if (!FListLink->Active()) {
    SetScrollRange(wnd, SB_VERT, 0, 0, false);
    SetScrollPos(wnd, SB_VERT, 0, true);
    return;
  }
  SCROLLINFO old{};
  old.cbSize = sizeof(SCROLLINFO);
  old.fMask = SIF_ALL;
  GetScrollInfo(wnd, SB_VERT, old);
  SCROLLINFO info = old;
  info.nMin = info.nMax = 0;
  info.nPage = 0;
  info.nPos = 0;
  TDataSet* dataSet = FListLink->DataSet();
  const int count = dataSet->RecordCount();
  if (count > FBufferRecordCount) {
    if (dataSet->IsSequenced()) {
      info.nMin = 1;
      info.nPage = static_cast<UINT>(GetDataRows());
      info.nMax = count + static_cast<int>(info.nPage) - 1;
      if (dataSet->State() < dsInsert) info.nPos = dataSet->RecNo();
    } else {
      // Without record numbers: top, page up, middle, page down, bottom.
      info.nMax = 4;
      info.nPos = dataSet->BOF() ? 0 : dataSet->EOF() ? 4 : 2;
    }
  }
  if (info.nMin != old.nMin || info.nMax != old.nMax || info.nPage != old.nPage || info.nPos != old.nPos)
    SetScrollInfo(wnd, SB_VERT, info, true);
}

void TKtDBLookupList::WMVScroll(TMessage& Message) {
  if (!FShowSearchText) FSearchText.clear();
  HideSearchTextWnd();
  auto alive = Alive();
  if (!FIsPopup && !Focused()) {
    SetFocus();
    if (!alive) return;
  }
  TDataSet* dataSet = FListLink->DataSet();
  if (!dataSet || !FListLink->Active()) return;
  const int r = FBufferRecordCount, a = FActiveRecordIndex;
  const int code = static_cast<int>(Message.WParam & 0xFFFF);
  auto pageUp = [&] { dataSet->MoveBy(-a - r + 1); };
  auto pageDown = [&] { dataSet->MoveBy(r - a + r - 2); };
  switch (code) {
    case SB_LINEUP: dataSet->MoveBy(-a - 1); break;
    case SB_LINEDOWN: dataSet->MoveBy(r - a); break;
    case SB_PAGEUP: pageUp(); break;
    case SB_PAGEDOWN: pageDown(); break;
    case SB_THUMBTRACK:
      if (!FThumbTracking) break;
      [[fallthrough]];
    case SB_THUMBPOSITION:
      if (dataSet->IsSequenced()) {
        // The 32-bit track position, not the message's 16 bits.
        SCROLLINFO info{};
        info.cbSize = sizeof(SCROLLINFO);
        info.fMask = SIF_ALL;
        GetScrollInfo(Handle(), SB_VERT, info);
        const int pos = info.nTrackPos;
        if (pos <= 1)
          dataSet->First();
        else if (pos < dataSet->RecordCount())
          dataSet->SetRecNo(pos);
        else
          dataSet->Last();
      } else {
        switch (static_cast<int>((Message.WParam >> 16) & 0xFFFF)) {
          case 0: dataSet->First(); break;
          case 1: pageUp(); break;
          case 3: pageDown(); break;
          case 4: dataSet->Last(); break;
          default: break;
        }
      }
      break;
    case SB_TOP: dataSet->First(); break;
    case SB_BOTTOM: dataSet->Last(); break;
    default: break;
  }
}

// ---------------------------------------------------------------------------------------------
// Tooltips and the search-text window
// ---------------------------------------------------------------------------------------------

std::string TKtDBLookupList::RowToolTipText(int Row, bool& Clipped) {
  TCanvas* canvas = Canvas();
  Clipped = false;
  if (EmptyItemVisible() && Row == -1) {
    Clipped = canvas->TextWidth(FEmptyDisplay) > ClientWidth() - 2;
    return FEmptyDisplay;
  }
  if (Row < 0 || Row >= FBufferRecordCount) return {};
  const int dw = canvas->TextWidth("0");
  const int sw = std::max(1, canvas->TextWidth(" "));
  const int lastCol = static_cast<int>(FListFields.size()) - 1;
  TActiveRecordScope restore(FListLink);
  FListLink->SetActiveRecord(Row);
  std::string text;
  int x = 0;
  for (int c = 0; c <= lastCol; ++c) {
    TField* field = FListFields[static_cast<size_t>(c)];
    const int columnWidth = field->DisplayWidth() * dw + 4;
    const int w = c < lastCol ? columnWidth : ClientWidth() - x - 2;
    const std::string value = field->DisplayText();
    const int valueWidth = canvas->TextWidth(value);
    // Only the last column decides: each column overwrites the answer.
    Clipped = w < valueWidth;
    if (!text.empty()) text += FToolTipsDelimiter;
    text += value;
    const int fill = (columnWidth - valueWidth) / sw;
    if (fill > 0) text.append(static_cast<size_t>(fill), ' ');
    x += w;
  }
  return text;
}

void TKtDBLookupList::ActivateToolTip(const std::string& Text, int Row) {
  if (FOptions.Contains(loTitles)) ++Row;
  FToolTipWindow->Canvas()->SetFont(FToolTipWindow->Font());
  FToolTipWindow->Canvas()->Font()->SetColor(clInfoText);
  TRect rect = FToolTipWindow->CalcHintRect(cToolTipMaxWidth, Text, nullptr);
  const int bw = BorderWidth();
  const TPoint origin = ClientToScreen(TPoint{bw - 1, GetTextHeight() * Row - bw - 3});
  OffsetRect(rect, origin.X, origin.Y);
  FToolTipWindow->ActivateHint(rect, Text);
  SetTimer(Handle(), cToolTipTimerID, cToolTipTimerInterval);
  FToolTipActive = true;
}

void TKtDBLookupList::HideToolTip() {
  if (!FToolTipActive) return;
  FToolTipWindow->ReleaseHandle();
  StopTimer(cToolTipTimerID);
}

void TKtDBLookupList::ShowSearchTextWnd() {
  FSearchTextWindow->Canvas()->SetFont(FSearchTextWindow->Font());
  FSearchTextWindow->Canvas()->Font()->SetColor(clInfoText);
  TRect rect = FSearchTextWindow->CalcHintRect(cToolTipMaxWidth, FSearchText, nullptr);
  const int bw = BorderWidth();
  // One band above the current record's data-row number (title and empty rows not counted).
  const TPoint origin = ClientToScreen(TPoint{bw - 1, GetTextHeight() * (FActiveRecordIndex - 1) - bw - 5});
  OffsetRect(rect, origin.X, origin.Y);
  FSearchTextWindow->ActivateHint(rect, FSearchText);
  SetTimer(Handle(), cSearchTextTimerID, cSearchTextTimerInterval);
  FSearchTextShowing = true;
}

void TKtDBLookupList::HideSearchTextWnd() {
  if (!FSearchTextShowing) return;
  FSearchTextWindow->ReleaseHandle();
  StopTimer(cSearchTextTimerID);
  FSearchTextShowing = false;
}

void TKtDBLookupList::FlagFullRePaint() {
  if (!HandleAllocated()) return;
  const TRect r{0, 0, ClientWidth(), ClientHeight()};
  InvalidateRect(Handle(), &r, true);
}

// ---------------------------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------------------------

void TKtDBLookupList::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_COLORCHANGED: return CMColorChanged(Message);
    case CM_CTL3DCHANGED: return CMCtl3DChanged(Message);
    case CM_ENTER: return CMEnter(Message);
    case CM_EXIT: return CMExit(Message);
    case CM_FONTCHANGED: return CMFontChanged(Message);
    case CM_MOUSELEAVE: return CMMouseLeave(Message);
    case WM_CANCELMODE: return WMCancelMode(Message);
    case WM_NCHITTEST: return WMNCHitTest(Message);
    case WM_NCMOUSEMOVE: return WMNCMouseMove(Message);
    case WM_SETFOCUS: return WMSetFocus(Message);
    case WM_TIMER: return WMTimer(Message);
    case WM_VSCROLL: return WMVScroll(Message);
    default: return TKtDBLookupControl::Dispatch(Message);
  }
}

void TKtDBLookupList::CMColorChanged(TMessage& Message) {
  TKtDBLookupControl::Dispatch(Message);
  FlagFullRePaint();
}

void TKtDBLookupList::CMCtl3DChanged(TMessage& Message) {
  auto alive = Alive();
  if (NewStyleControls && FBorderStyle == bsSingle) {
    RecreateWnd();
    if (alive) SetRowCount(FRowCount);
    if (!alive) return;
  }
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupList::CMEnter(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FSearchText.clear();
  // Entering by a click leaves the list where the click puts it.
  if (!ControlState().Contains(csLButtonDown) && FLocateOnEnter) LocateKey();
  if (!alive) return;
  FEntryKeyValue = FKeyValue;
}

void TKtDBLookupList::CMExit(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (!alive) return;
  FSearchText.clear();
  HideSearchTextWnd();
  if (FLocateOnExit) LocateKey();
}

void TKtDBLookupList::CMFontChanged(TMessage& Message) {
  auto alive = Alive();
  TKtDBLookupControl::Dispatch(Message);
  if (alive) SetHeight(Height());  // the rows' height changed: snap again
}

void TKtDBLookupList::CMMouseLeave(TMessage& Message) {
  HideToolTip();
  FLastMouseRow = -2;
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupList::WMCancelMode(TMessage& Message) {
  const bool wasTracking = FTracking;
  StopTracking();
  HideSearchTextWnd();
  // A drag that ended without a release on a row chose nothing: the list shows the field's key.
  if (wasTracking) {
    auto alive = Alive();
    RestoreFieldKey();
    if (!alive) return;
  }
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupList::WMNCHitTest(TMessage& Message) {
  // In the designer the scroll bar answers as it does at run time.
  if (ComponentState().Contains(csDesigning) && FListLink->Active())
    DefaultHandler(Message);
  else
    TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupList::WMNCMouseMove(TMessage&) {
  HideToolTip();
  FLastMouseRow = -2;
}

void TKtDBLookupList::WMSetFocus(TMessage& Message) {
  // A popup list never takes the focus: the control that dropped it down keeps it.
  if (FIsPopup) {
    TWinControl* parent = Parent();
    if (!parent) return;
    auto alive = Alive();
    parent->SetFocus();
    // A parent that holds the focus already (a form) leaves it here: give it back.
    if (alive && HandleAllocated() && GetFocus() == Handle() && parent->HandleAllocated())
      vcl::SetFocus(parent->Handle());
    return;
  }
  TKtDBLookupControl::Dispatch(Message);
}

void TKtDBLookupList::WMTimer(TMessage& Message) {
  switch (Message.WParam) {
    case cScrollTimerID: TimerScroll(); break;
    case cToolTipTimerID: HideToolTip(); break;
    case cSearchTextTimerID: HideSearchTextWnd(); break;
    default: break;
  }
}

}  // namespace ktlookup
