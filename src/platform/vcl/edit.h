// TCustomEdit: a single-line edit window. TEdit publishes it.
//
// The control has two halves, as on the real system. The edit window's own behaviour (what
// the system's edit class does with WM_CHAR, WM_KEYDOWN, the clipboard messages, WM_SETTEXT,
// the mouse) lives in the default handling of messages, so a keystroke sent with SendMessage
// to a hidden edit changes its text exactly as typing into a visible one does. The framework's
// half (KeyDown, KeyPress, Change, the message handlers) runs first and may stop a message:
// descendants override those to gate or rewrite what the user does (EditCanModify, a key
// zeroed in KeyPress or KeyDown).
//
// The text, the selection and the one-step undo live in an EditModel, with or without a
// window, so the text survives the window being recreated and may be set before the window
// exists.
//
// Sections of edit.cpp: construction | properties | the edit window | framework handlers |
// painting
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/vcl/control_canvas.h"
#include "platform/vcl/edit_model.h"
#include "platform/vcl/win_control.h"

namespace vcl {

// Messages of the system's edit window.
constexpr UINT EM_GETSEL = 0x00B0;  // wParam, lParam: int* start and end (may be null)
constexpr UINT EM_SETSEL = 0x00B1;  // wParam: anchor, lParam: caret (-1: the end)
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;         // lParam: const char* text
constexpr UINT EM_LIMITTEXT = 0x00C5;    // wParam: the limit, 0 = none
constexpr UINT EM_SETREADONLY = 0x00CF;  // wParam: non-zero = read-only

// How an input method editor treats the edit (kept for the controls that pass it on).
enum class TImeMode {
  imDisable,
  imClose,
  imOpen,
  imDontCare,
  imSAlpha,
  imAlpha,
  imHira,
  imSKata,
  imKata,
  imChinese,
  imSHanguel,
  imHanguel
};
using enum TImeMode;

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;
  std::string ClassName() const override { return "TCustomEdit"; }

  // Text() and SetText() come from TControl (WM_GETTEXT / WM_SETTEXT).

  // ---- selection (the caret is the moving end of the selection)
  int SelStart() const { return FModel.SelStart(); }
  void SetSelStart(int Value);
  int SelLength() const { return FModel.SelLength(); }
  void SetSelLength(int Value);
  std::string SelText() const { return FModel.SelText(); }
  // Replaces the selection with Value (as a paste, without the clipboard).
  void SetSelText(const std::string& Value);
  int CaretPos() const { return FModel.CaretPos(); }
  void SelectAll();
  void ClearSelection() { Perform(WM_CLEAR, 0, 0); }
  void CopyToClipboard() { Perform(WM_COPY, 0, 0); }
  void CutToClipboard() { Perform(WM_CUT, 0, 0); }
  void PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
  // Takes back the user's last change (a second Undo redoes it); Ctrl+Z does the same.
  void Undo() { Perform(WM_UNDO, 0, 0); }
  bool CanUndo() const { return FModel.CanUndo(); }
  // Empties the text (a change like any other).
  void Clear() { SetText(std::string()); }

  // ---- properties
  // The most characters the user may enter; 0: no limit. Text set by code is never cut.
  int MaxLength() const { return FModel.MaxLength(); }
  void SetMaxLength(int Value);
  TEditCharCase CharCase() const { return FModel.CharCase(); }
  void SetCharCase(TEditCharCase Value);
  // The edit window refuses every change by the user (code may still set the text).
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // bsSingle: a sunken client edge (Ctl3D with new-style controls) or a plain border.
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // With a single border, the height follows the font (text height plus the border's room)
  // whenever the window is made or the font changes.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  // Selects the whole text when the edit is entered other than by a mouse press.
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  // The selection shows only while the edit has the focus.
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  // Shown in place of every character when not #0; the text cannot be copied or cut then.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const std::string& ImeName() const { return FImeName; }
  void SetImeName(const std::string& Value) { FImeName = Value; }
  // Set by every change the user makes, cleared when code sets the text.
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }

  // The canvas the edit measures and paints with (it follows Font).
  TControlCanvas* Canvas() const { return FCanvas.get(); }
  // The edit-window position (0..Length) nearest to X in client coordinates.
  int CharIndexAt(int X);
  // The client x of the gap before character Index.
  int CharX(int Index);

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent V) { FOnChange = std::move(V); }

  void Dispatch(TMessage& Message) override;
  // Takes what the edit window handles itself (text, selection, keys, clipboard, mouse),
  // with or without a window for everything but input; the rest goes to the base.
  void DefaultHandler(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // The edit window focuses itself when pressed, whatever its TabStop.
  bool FocusOnClick() override { return false; }
  void PaintWindow(HDC DC) override;

  // Whether the user may change the text now. Asked before typing, Backspace, Delete, cut,
  // paste and clear reach the edit window; a descendant may put its data into edit state
  // here. The base answers "not ReadOnly".
  virtual bool EditCanModify();
  // Runs after every change of the text, typed, pasted or set by code, never when the text
  // stayed the same; fires OnChange. This may be deleted by the handler.
  virtual void Change();
  // Fire OnKeyDown / OnKeyPress, then stop a key that would change the text when
  // EditCanModify says no (Key becomes 0).
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

  // Message handlers. The clipboard handlers pass the message on to the edit window only
  // when EditCanModify agrees (copying needs no permission); so does WM_UNDO.
  virtual void WMCut(TMessage& Message);
  virtual void WMPaste(TMessage& Message);
  virtual void WMClear(TMessage& Message);
  virtual void WMKillFocus(TMessage& Message);
  virtual void WMLButtonDown(TMessage& Message);
  virtual void WMSysChar(TMessage& Message);
  virtual void WMSysCommand(TMessage& Message);
  virtual void WMSysKeyUp(TMessage& Message);
  virtual void CMShowingChanged(TMessage& Message);
  // AutoSelect, then OnEnter.
  virtual void CMEnter(TMessage& Message);
  virtual void CMExit(TMessage& Message);

  // True for characters that change the text when typed: Backspace, Ctrl+V, Ctrl+X, Ctrl+Z
  // and the printable ones.
  static bool IsEditingChar(char Key);

 private:
  // The system edit class: true when it handled the message.
  bool EditWindowProc(TMessage& Message);
  void EditChar(char Ch);
  void EditKey(Word Key);
  void EditMouse(TMessage& Message);
  void DoCopy();
  void DoCut();
  void DoPaste();
  void DoClear();
  void DoUndo();
  // After the model's text changed: repaint, mark Modified when the user changed it, then
  // Change (which may delete this).
  void TextChanged(bool ByUser);
  // Keeps the caret inside the client area by scrolling the text horizontally.
  void ScrollToCaret();
  // Applies AutoSize.
  void AdjustHeight();
  // The text as drawn (the password character in place of each character); valid until the
  // text changes.
  std::string_view ShownText();
  // The x of the gap before each character of the shown text (and after the last), from 0.
  // Kept between calls: only the characters from the first one that changed are measured
  // again, so a keystroke measures what it changed, not the whole text.
  const std::vector<int>& Gaps();

  EditModel FModel;
  std::unique_ptr<TControlCanvas> FCanvas;
  TBorderStyle FBorderStyle = bsSingle;
  bool FReadOnly = false;
  bool FAutoSize = true;
  bool FAutoSelect = true;
  bool FHideSelection = true;
  bool FModified = false;
  char FPasswordChar = 0;
  TImeMode FImeMode = imDontCare;
  std::string FImeName;
  bool FMouseSelecting = false;     // the left button went down in the edit and is held
  int FScrollX = 0;                 // pixels of text scrolled out at the left
  std::vector<int> FGaps;           // see Gaps
  const void* FGapsFont = nullptr;  // the font they were measured with
  std::array<int, 256> FAdvance{};  // that font's advance of each byte; -1 not known yet
  std::string FPasswordText;        // the shown text when PasswordChar is set
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  std::string ClassName() const override { return "TEdit"; }
};

}  // namespace vcl
