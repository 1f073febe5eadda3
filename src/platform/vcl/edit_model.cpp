#include "platform/vcl/edit_model.h"

#include <algorithm>

#include "platform/base/sysutils.h"

namespace vcl {

std::string EditModel::Convert(const std::string& S) const {
  switch (FCharCase) {
    case ecUpperCase: return UpperCase(S);
    case ecLowerCase: return LowerCase(S);
    default: return S;
  }
}

bool EditModel::SetText(const std::string& Value) {
  std::string text = Convert(Value);
  FAnchor = FCaret = 0;
  FHasUndo = FTypingRun = false;
  if (text == FText) return false;
  FText = std::move(text);
  Changed(0);
  return true;
}

void EditModel::SetSelection(int Start, int Length) {
  const int size = static_cast<int>(FText.size());
  Start = std::clamp(Start, 0, size);
  Length = std::clamp(Length, 0, size - Start);
  FAnchor = Start;
  FCaret = Start + Length;
  FTypingRun = false;
}

void EditModel::Select(int Anchor, int Caret) {
  const int size = static_cast<int>(FText.size());
  FAnchor = std::clamp(Anchor, 0, size);
  FCaret = std::clamp(Caret, 0, size);
  FTypingRun = false;
}

bool EditModel::SetCharCase(TEditCharCase Value) {
  FCharCase = Value;
  const std::string converted = Convert(FText);
  if (converted == FText) return false;
  FText = converted;
  Changed(0);
  return true;
}

bool EditModel::Replace(const std::string& Value) {
  std::string insert = Convert(Value.substr(0, Value.find_first_of("\r\n")));
  const int start = SelStart(), length = SelLength();
  if (FMaxLength > 0) {
    const int room = FMaxLength - (static_cast<int>(FText.size()) - length);
    if (room <= 0 && !insert.empty() && length == 0) return false;
    if (static_cast<int>(insert.size()) > room) insert.resize(std::max(room, 0));
  }
  if (insert.empty() && length == 0) return false;
  FText.replace(start, length, insert);
  Changed(start);
  FAnchor = FCaret = start + static_cast<int>(insert.size());
  return true;
}

void EditModel::Remember(const TState& Before, bool Typing) {
  // Characters typed one after another at the caret undo together.
  const bool continues = Typing && FTypingRun && Before.Anchor == FRunEnd && Before.Caret == FRunEnd;
  if (!continues) FUndo = Before;
  FHasUndo = true;
  FTypingRun = Typing;
  FRunEnd = FCaret;
}

bool EditModel::ReplaceSelection(const std::string& Value) {
  const TState before{FText, FAnchor, FCaret};
  if (!Replace(Value)) return false;
  Remember(before, false);
  return true;
}

bool EditModel::TypeChar(char C) {
  if (FMaxLength > 0 && static_cast<int>(FText.size()) - SelLength() + 1 > FMaxLength) return false;
  if (FTypingRun && FAnchor == FRunEnd && FCaret == FRunEnd) {
    // The typing goes on: Undo keeps the state from before the run, so nothing is copied.
    if (!Replace(std::string(1, C))) return false;
    FRunEnd = FCaret;
    return true;
  }
  const TState before{FText, FAnchor, FCaret};
  if (!Replace(std::string(1, C))) return false;
  Remember(before, true);
  return true;
}

bool EditModel::Backspace() {
  if (SelLength() > 0) return ReplaceSelection(std::string());
  if (FCaret == 0) return false;
  const TState before{FText, FAnchor, FCaret};
  FText.erase(FCaret - 1, 1);
  FAnchor = --FCaret;
  Changed(FCaret);
  Remember(before, false);
  return true;
}

bool EditModel::DeleteForward() {
  if (SelLength() > 0) return ReplaceSelection(std::string());
  if (FCaret >= static_cast<int>(FText.size())) return false;
  const TState before{FText, FAnchor, FCaret};
  FText.erase(FCaret, 1);
  Changed(FCaret);
  Remember(before, false);
  return true;
}

bool EditModel::Undo() {
  if (!FHasUndo) return false;
  TState current{FText, FAnchor, FCaret};
  FText = std::move(FUndo.Text);
  FAnchor = FUndo.Anchor;
  FCaret = FUndo.Caret;
  FUndo = std::move(current);  // a second undo takes the undo back
  FTypingRun = false;
  Changed(0);
  return true;
}

void EditModel::MoveTo(int Pos, bool Extend) {
  FTypingRun = false;
  FCaret = std::clamp(Pos, 0, static_cast<int>(FText.size()));
  if (!Extend) FAnchor = FCaret;
}

void EditModel::MoveLeft(bool Extend) {
  if (!Extend && SelLength() > 0) return MoveTo(SelStart(), false);
  MoveTo(FCaret - 1, Extend);
}

void EditModel::MoveRight(bool Extend) {
  if (!Extend && SelLength() > 0) return MoveTo(SelStart() + SelLength(), false);
  MoveTo(FCaret + 1, Extend);
}

void EditModel::MoveHome(bool Extend) {
  MoveTo(0, Extend);
}
void EditModel::MoveEnd(bool Extend) {
  MoveTo(static_cast<int>(FText.size()), Extend);
}

namespace {
bool IsSpace(char C) {
  return C == ' ' || C == '\t';
}
}  // namespace

void EditModel::MoveWordLeft(bool Extend) {
  int p = FCaret;
  while (p > 0 && IsSpace(FText[p - 1])) --p;
  while (p > 0 && !IsSpace(FText[p - 1])) --p;
  MoveTo(p, Extend);
}

void EditModel::MoveWordRight(bool Extend) {
  const int size = static_cast<int>(FText.size());
  int p = FCaret;
  while (p < size && !IsSpace(FText[p])) ++p;
  while (p < size && IsSpace(FText[p])) ++p;
  MoveTo(p, Extend);
}

void EditModel::SelectWordAt(int Pos) {
  const int size = static_cast<int>(FText.size());
  int start = std::clamp(Pos, 0, size), end = start;
  if (start < size && IsSpace(FText[start])) {
    while (end < size && IsSpace(FText[end])) ++end;  // a run of spaces goes alone
  } else {
    while (start > 0 && !IsSpace(FText[start - 1])) --start;
    while (end < size && !IsSpace(FText[end])) ++end;
    while (end < size && IsSpace(FText[end])) ++end;
  }
  SetSelection(start, end - start);
}

}  // namespace vcl
