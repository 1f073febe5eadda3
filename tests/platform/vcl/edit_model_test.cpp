#include "platform/vcl/edit_model.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {
EditModel Typed(const std::string& Text) {
  EditModel m;
  for (char c : Text) m.TypeChar(c);
  return m;
}
}  // namespace

TEST(EditModel, TypingReplacesTheSelection) {
  EditModel m = Typed("Smith");
  EXPECT_EQ(m.Text(), "Smith");
  EXPECT_EQ(m.SelStart(), 5);
  m.SetSelection(1, 3);
  EXPECT_EQ(m.SelText(), "mit");
  EXPECT_TRUE(m.TypeChar('a'));
  EXPECT_EQ(m.Text(), "Sah");
  EXPECT_EQ(m.SelStart(), 2);
  EXPECT_EQ(m.SelLength(), 0);
}

TEST(EditModel, MaxLengthRefusesGrowthButAllowsReplacing) {
  EditModel m;
  m.SetMaxLength(3);
  for (char c : std::string("abcd")) m.TypeChar(c);
  EXPECT_EQ(m.Text(), "abc");
  EXPECT_FALSE(m.TypeChar('x'));
  m.SetSelection(1, 1);
  EXPECT_TRUE(m.TypeChar('X'));  // replacing a character keeps the length
  EXPECT_EQ(m.Text(), "aXc");
  m.SetSelection(0, 1);
  EXPECT_TRUE(m.ReplaceSelection("123"));  // a paste is cut to the room left
  EXPECT_EQ(m.Text(), "1Xc");
}

TEST(EditModel, BackspaceAndDeleteAtBothEnds) {
  EditModel m = Typed("ab");
  m.SetSelStart(0);
  EXPECT_FALSE(m.Backspace());
  EXPECT_TRUE(m.DeleteForward());
  EXPECT_EQ(m.Text(), "b");
  m.MoveEnd(false);
  EXPECT_FALSE(m.DeleteForward());
  EXPECT_TRUE(m.Backspace());
  EXPECT_EQ(m.Text(), "");
  EXPECT_FALSE(m.Backspace());
  m = Typed("hello");
  m.SetSelection(1, 3);
  EXPECT_TRUE(m.Backspace());  // a selection goes whole
  EXPECT_EQ(m.Text(), "ho");
}

TEST(EditModel, ShiftExtendsFromTheAnchor) {
  EditModel m = Typed("abcdef");
  m.SetSelStart(3);
  m.MoveLeft(true);
  m.MoveLeft(true);
  EXPECT_EQ(m.SelStart(), 1);
  EXPECT_EQ(m.SelLength(), 2);
  m.MoveEnd(true);  // the anchor stays at 3
  EXPECT_EQ(m.SelStart(), 3);
  EXPECT_EQ(m.SelLength(), 3);
  m.MoveLeft(false);  // collapses to the start of the selection
  EXPECT_EQ(m.SelStart(), 3);
  EXPECT_EQ(m.SelLength(), 0);
  m.MoveHome(true);
  EXPECT_EQ(m.SelText(), "abc");
}

TEST(EditModel, CharCaseConvertsTypedAndExistingText) {
  EditModel m = Typed("Mixed");
  EXPECT_TRUE(m.SetCharCase(ecUpperCase));
  EXPECT_EQ(m.Text(), "MIXED");
  m.TypeChar('x');
  EXPECT_EQ(m.Text(), "MIXEDX");
  m.SetCharCase(ecLowerCase);
  EXPECT_TRUE(m.SetText("ABC\xC9"));  // only A to Z change case
  EXPECT_EQ(m.Text(), "abc\xC9");
  EXPECT_FALSE(m.SetText("abc\xC9"));  // the same text is no change
}

TEST(EditModel, PasteStopsAtALineBreak) {
  EditModel m;
  EXPECT_TRUE(m.ReplaceSelection("one\r\ntwo"));
  EXPECT_EQ(m.Text(), "one");
}

TEST(EditModel, WordMovesAndWordSelection) {
  EditModel m = Typed("one  two three");
  m.MoveHome(false);
  m.MoveWordRight(false);
  EXPECT_EQ(m.CaretPos(), 5);  // past the spaces, at the next word
  m.MoveWordRight(true);
  EXPECT_EQ(m.SelText(), "two ");
  m.MoveEnd(false);
  m.MoveWordLeft(false);
  EXPECT_EQ(m.CaretPos(), 9);
  m.SelectWordAt(6);
  EXPECT_EQ(m.SelText(), "two ");
  m.SelectWordAt(3);  // on a run of spaces: the spaces alone
  EXPECT_EQ(m.SelText(), "  ");
  m.SelectWordAt(99);
  EXPECT_EQ(m.SelText(), "three");
}

TEST(EditModel, SelectKeepsAnchorAndCaretAndSetTextIsNeverCut) {
  EditModel m = Typed("abcdef");
  m.Select(4, 1);  // the caret before the anchor
  EXPECT_EQ(m.SelStart(), 1);
  EXPECT_EQ(m.SelLength(), 3);
  EXPECT_EQ(m.CaretPos(), 1);
  m.MoveCaretTo(5, true);
  EXPECT_EQ(m.SelText(), "e");
  m.SetMaxLength(2);
  EXPECT_TRUE(m.SetText("longer than two"));
  EXPECT_EQ(m.Text(), "longer than two");
  EXPECT_EQ(m.SelStart(), 0);
  EXPECT_FALSE(m.TypeChar('x'));  // still nothing may be added
}

TEST(EditModel, UndoTakesBackTheLastChangeAndTypingUndoesTogether) {
  EditModel m;
  EXPECT_FALSE(m.Undo());
  m.SetText("base");
  EXPECT_FALSE(m.CanUndo());  // text set by a program is no user change
  m.MoveEnd(false);
  for (char c : std::string(" one")) m.TypeChar(c);
  EXPECT_TRUE(m.Undo());  // the whole typed run goes at once
  EXPECT_EQ(m.Text(), "base");
  EXPECT_EQ(m.CaretPos(), 4);
  EXPECT_TRUE(m.Undo());  // and comes back
  EXPECT_EQ(m.Text(), "base one");
  m.TypeChar('x');
  m.MoveLeft(false);  // a move ends the run
  m.TypeChar('y');
  EXPECT_EQ(m.Text(), "base oneyx");
  m.Undo();
  EXPECT_EQ(m.Text(), "base onex");
  m.Backspace();
  m.Undo();
  EXPECT_EQ(m.Text(), "base onex");
}
