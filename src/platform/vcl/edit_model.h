// The text and selection of a single-line edit, and how keystrokes change them.
//
// The edit control keeps one of these and turns its messages into calls: a typed character,
// Backspace, Delete, caret moves with or without Shift, paste. The model knows nothing of
// windows, so the same rules apply to a visible edit and to a hidden copy used to learn what a
// keystroke would do. Every operation reports whether the text changed.
#pragma once

#include <climits>
#include <string>

namespace vcl {

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;

class EditModel {
 public:
  const std::string& Text() const { return FText; }
  // Replaces the whole text (converted by CharCase); the caret goes to the start with nothing
  // selected, as when a program sets an edit's text. MaxLength limits only what the user
  // enters, so text set by a program is never cut.
  bool SetText(const std::string& Value);

  int SelStart() const { return FAnchor < FCaret ? FAnchor : FCaret; }
  int SelLength() const { return FAnchor < FCaret ? FCaret - FAnchor : FAnchor - FCaret; }
  int CaretPos() const { return FCaret; }
  std::string SelText() const { return FText.substr(SelStart(), SelLength()); }
  // Selects Length characters from Start (both clamped to the text); the caret ends at the end.
  void SetSelection(int Start, int Length);
  // Puts the anchor and the caret (both clamped to the text), as EM_SETSEL does.
  void Select(int Anchor, int Caret);
  // Moves the caret to Pos; with Extend the anchor stays, so the selection grows or shrinks.
  void MoveCaretTo(int Pos, bool Extend) { MoveTo(Pos, Extend); }
  void SetSelStart(int Value) { SetSelection(Value, 0); }
  void SetSelLength(int Value) { SetSelection(SelStart(), Value); }
  void SelectAll() { SetSelection(0, static_cast<int>(FText.size())); }

  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }  // 0: no limit
  TEditCharCase CharCase() const { return FCharCase; }
  // Changing the case converts the text that is already there.
  bool SetCharCase(TEditCharCase Value);

  // A typed character replaces the selection. Refused (false, nothing changes) when the text
  // would grow past MaxLength.
  bool TypeChar(char C);
  // Replaces the selection with Value, cut at the first line break and at MaxLength.
  bool ReplaceSelection(const std::string& Value);
  // Deletes the selection, or the character before the caret. False at the start.
  bool Backspace();
  // Deletes the selection, or the character after the caret. False at the end.
  bool DeleteForward();
  // Puts back the text and selection from before the last change by the user (characters
  // typed one after another count as one change); a second Undo takes it back. False when
  // there is nothing to undo (nothing changed since the text was set).
  bool Undo();
  bool CanUndo() const { return FHasUndo; }
  // Caret moves; with Extend the selection grows from its anchor, without it collapses.
  void MoveLeft(bool Extend);
  void MoveRight(bool Extend);
  void MoveHome(bool Extend);
  void MoveEnd(bool Extend);
  // To the start of the word before / after the caret (Ctrl+Left, Ctrl+Right).
  void MoveWordLeft(bool Extend);
  void MoveWordRight(bool Extend);
  // Selects the word at Pos with the spaces after it (a double click).
  void SelectWordAt(int Pos);

  // The first position whose character may have changed since the last call (INT_MAX when
  // none did), so that a view re-measures only what changed.
  int TakeChangedFrom() {
    const int from = FChangedFrom;
    FChangedFrom = INT_MAX;
    return from;
  }

 private:
  struct TState {
    std::string Text;
    int Anchor = 0;
    int Caret = 0;
  };
  std::string Convert(const std::string& S) const;
  // Replaces the selection, remembering nothing for Undo.
  bool Replace(const std::string& Value);
  // Keeps Before for Undo after a change (or keeps the older state while typing goes on).
  void Remember(const TState& Before, bool Typing);
  void MoveTo(int Pos, bool Extend);
  void Changed(int From) { FChangedFrom = From < FChangedFrom ? From : FChangedFrom; }

  std::string FText;
  int FAnchor = 0;  // the fixed end of the selection
  int FCaret = 0;   // the moving end, where the caret blinks
  int FMaxLength = 0;
  TEditCharCase FCharCase = ecNormal;
  TState FUndo;  // what Undo puts back
  bool FHasUndo = false;
  bool FTypingRun = false;  // the last change typed a character...
  int FRunEnd = 0;          // ...leaving the caret here
  int FChangedFrom = 0;     // see TakeChangedFrom
};

}  // namespace vcl
