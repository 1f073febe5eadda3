#include "platform/vcl/edit.h"

#include <gtest/gtest.h>

#include "platform/platform_fixture.h"
#include "platform/vcl/clipboard.h"
#include "platform/vcl/mask_edit.h"
#include "platform/vcl/screen_picture.h"

using namespace vcl;
using kttest::PlatformTest;

namespace {

// An edit that can refuse changes and counts what it is asked.
class TTestEdit : public TCustomMaskEdit {
 public:
  using TCustomMaskEdit::TCustomMaskEdit;
  bool AllowModify = true;
  int CanModifyCalls = 0;
  Word ZeroKeyDown = 0;
  char ZeroKeyPress = 0;

 protected:
  bool EditCanModify() override {
    ++CanModifyCalls;
    return AllowModify && TCustomMaskEdit::EditCanModify();
  }
  void KeyDown(Word& Key, TShiftState Shift) override {
    if (Key == ZeroKeyDown) Key = 0;
    TCustomMaskEdit::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    if (Key == ZeroKeyPress) Key = 0;
    TCustomMaskEdit::KeyPress(Key);
  }
};

class EditTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Clipboard()->Clear();
    Form = MakeForm();
    Edit = new TTestEdit(Form);
    Edit->SetName("Edit1");
    Edit->SetBounds(10, 10, 150, 21);
    Edit->SetParent(Form);
    Edit->SetOnChange([this](TObject*) { Log.Add("Change:" + Edit->Text()); });
    Other = new TEdit(Form);
    Other->SetBounds(10, 40, 150, 21);
    Other->SetParent(Form);
    Form->Show();
    sim::ProcessMessages();
    Log.Clear();
  }
  void TearDown() override {
    Clipboard()->Clear();
    PlatformTest::TearDown();
  }
  TForm* Form = nullptr;
  TTestEdit* Edit = nullptr;
  TEdit* Other = nullptr;
};

TEST_F(EditTest, TheFirstEditIsFocusedAndTypingInsertsAtTheCaret) {
  EXPECT_TRUE(Edit->Focused());
  sim::TypeText("Smith");
  EXPECT_EQ(Edit->Text(), "Smith");
  EXPECT_EQ(Edit->SelStart(), 5);
  EXPECT_EQ(Log.Take(), "Change:S Change:Sm Change:Smi Change:Smit Change:Smith");
  EXPECT_TRUE(Edit->Modified());
  sim::PressKey(VK_HOME);
  sim::PressKey(VK_RIGHT);
  sim::TypeText("c");
  EXPECT_EQ(Edit->Text(), "Scmith");
  EXPECT_EQ(Edit->SelStart(), 2);
}

TEST_F(EditTest, TypingReplacesTheSelection) {
  Edit->SetText("Hello world");
  Edit->SetSelStart(6);
  Edit->SetSelLength(5);
  EXPECT_EQ(Edit->SelText(), "world");
  Log.Clear();
  sim::TypeText("X");
  EXPECT_EQ(Edit->Text(), "Hello X");
  EXPECT_EQ(Log.Take(), "Change:Hello X");
  Edit->SelectAll();
  sim::TypeText("a");
  EXPECT_EQ(Edit->Text(), "a");
}

TEST_F(EditTest, MaxLengthStopsTypingButNotCode) {
  Edit->SetMaxLength(3);
  sim::TypeText("abcd");
  EXPECT_EQ(Edit->Text(), "abc");
  EXPECT_EQ(Log.Count("Change:abc"), 1);
  EXPECT_EQ(static_cast<int>(Log.Items().size()), 3);  // the refused 'd' changed nothing
  Edit->SetText("longer text");
  EXPECT_EQ(Edit->Text(), "longer text");
  Edit->SetSelStart(0);
  Edit->SetSelLength(2);
  sim::TypeText("L");  // replacing keeps the text no longer than it was allowed to grow
  EXPECT_EQ(Edit->Text(), "longer text");
}

TEST_F(EditTest, BackspaceAndDeleteAtBothEnds) {
  Edit->SetText("abc");
  Log.Clear();
  Edit->SetSelStart(0);
  sim::PressKey(VK_BACK);  // nothing before the caret
  EXPECT_EQ(Edit->Text(), "abc");
  sim::PressKey(VK_DELETE);
  EXPECT_EQ(Edit->Text(), "bc");
  sim::PressKey(VK_END);
  sim::PressKey(VK_DELETE);  // nothing after the caret
  EXPECT_EQ(Edit->Text(), "bc");
  sim::PressKey(VK_BACK);
  EXPECT_EQ(Edit->Text(), "b");
  EXPECT_EQ(Log.Take(), "Change:bc Change:b");
  Edit->SetText("hello");
  Edit->SetSelStart(1);
  Edit->SetSelLength(3);
  sim::PressKey(VK_DELETE);  // a selection goes whole
  EXPECT_EQ(Edit->Text(), "ho");
}

TEST_F(EditTest, ShiftWithArrowsAndHomeEndExtendsTheSelection) {
  Edit->SetText("abcdef");
  Edit->SetSelStart(3);
  sim::PressKey(VK_LEFT, {ssShift});
  sim::PressKey(VK_LEFT, {ssShift});
  EXPECT_EQ(Edit->SelStart(), 1);
  EXPECT_EQ(Edit->SelLength(), 2);
  sim::PressKey(VK_END, {ssShift});
  EXPECT_EQ(Edit->SelText(), "def");
  sim::PressKey(VK_HOME, {ssShift});
  EXPECT_EQ(Edit->SelText(), "abc");
  sim::PressKey(VK_RIGHT);  // collapses to the end of the selection
  EXPECT_EQ(Edit->SelStart(), 3);
  EXPECT_EQ(Edit->SelLength(), 0);
  Edit->SetText("one two three");
  Edit->SetSelStart(0);
  sim::PressKey(VK_RIGHT, {ssCtrl});
  EXPECT_EQ(Edit->SelStart(), 4);
  sim::PressKey(VK_RIGHT, {ssCtrl, ssShift});
  EXPECT_EQ(Edit->SelText(), "two ");
}

TEST_F(EditTest, CharCaseConvertsTypedAndSetText) {
  Edit->SetCharCase(ecUpperCase);
  sim::TypeText("abc");
  EXPECT_EQ(Edit->Text(), "ABC");
  Edit->SetCharCase(ecLowerCase);
  EXPECT_EQ(Edit->Text(), "abc");
  Log.Clear();
  Edit->SetText("ABC");  // becomes "abc": no change
  EXPECT_EQ(Log.Take(), "");
  Edit->SetText("XyZ");
  EXPECT_EQ(Edit->Text(), "xyz");
  EXPECT_EQ(Log.Take(), "Change:xyz");
}

TEST_F(EditTest, ChangeFiresOncePerRealChangeAndNeverForTheSameText) {
  Edit->SetText("abc");
  Edit->SetText("abc");
  SendMessage(Edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(Log.Take(), "Change:abc");
  EXPECT_FALSE(Edit->Modified());  // set by code
  SetWindowText(Edit->Handle(), "new");
  EXPECT_EQ(Log.Take(), "Change:new");
  EXPECT_EQ(GetWindowText(Edit->Handle()), "new");
  Edit->SetSelStart(3);
  sim::PressKey(VK_DELETE);  // at the end: nothing to delete
  Edit->SetSelText("");      // nothing selected, nothing inserted
  EXPECT_EQ(Log.Take(), "");
  Edit->Clear();
  EXPECT_EQ(Log.Take(), "Change:");
}

TEST_F(EditTest, ClipboardRoundTripsWithKeysAndMessages) {
  Edit->SetText("copy me");
  Edit->SelectAll();
  sim::PressKey('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "copy me");
  EXPECT_EQ(Edit->Text(), "copy me");
  sim::PressKey(VK_END);
  sim::PressKey('V', {ssCtrl});
  EXPECT_EQ(Edit->Text(), "copy mecopy me");
  Edit->SetSelStart(0);
  Edit->SetSelLength(5);
  Log.Clear();
  sim::PressKey('X', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "copy ");
  EXPECT_EQ(Edit->Text(), "mecopy me");
  EXPECT_EQ(Log.Take(), "Change:mecopy me");

  Other->SetText("other");
  Other->SetSelStart(5);
  Other->PasteFromClipboard();
  EXPECT_EQ(Other->Text(), "othercopy ");
  Other->SelectAll();
  SendMessage(Other->Handle(), WM_CUT, 0, 0);
  EXPECT_EQ(Other->Text(), "");
  EXPECT_EQ(Clipboard()->AsText(), "othercopy ");
  Edit->SelectAll();
  SendMessage(Edit->Handle(), WM_CLEAR, 0, 0);
  EXPECT_EQ(Edit->Text(), "");
  EXPECT_EQ(Clipboard()->AsText(), "othercopy ");  // clear leaves the clipboard alone
  Edit->SetSelStart(0);
  Edit->SetSelLength(0);
  SendMessage(Edit->Handle(), WM_COPY, 0, 0);  // nothing selected: the clipboard stays
  EXPECT_EQ(Clipboard()->AsText(), "othercopy ");
  // Shift+Insert pastes, Ctrl+Insert copies, Shift+Delete cuts.
  sim::PressKey(VK_INSERT, {ssShift});
  EXPECT_EQ(Edit->Text(), "othercopy ");
  Edit->SetSelStart(0);
  Edit->SetSelLength(5);
  sim::PressKey(VK_INSERT, {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "other");
  sim::PressKey(VK_DELETE, {ssShift});
  EXPECT_EQ(Edit->Text(), "copy ");
}

TEST_F(EditTest, CtrlZAndWMUndoTakeBackTheLastChange) {
  Edit->SetText("keep");
  EXPECT_FALSE(Edit->CanUndo());
  Edit->SelectAll();
  sim::TypeText("new text");
  Log.Clear();
  sim::PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->Text(), "keep");
  EXPECT_EQ(Edit->SelText(), "keep");
  EXPECT_EQ(Log.Take(), "Change:keep");
  EXPECT_EQ(SendMessage(Edit->Handle(), EM_CANUNDO, 0, 0), 1);
  SendMessage(Edit->Handle(), WM_UNDO, 0, 0);  // undoing the undo
  EXPECT_EQ(Edit->Text(), "new text");
  Edit->AllowModify = false;
  Edit->Undo();
  sim::PressKey('Z', {ssCtrl});
  EXPECT_EQ(Edit->Text(), "new text");
  EXPECT_EQ(Log.Take(), "Change:new text");
}

TEST_F(EditTest, PasteStopsAtALineBreakAndAtMaxLength) {
  Clipboard()->SetAsText("first line\r\nsecond");
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->Text(), "first line");
  Edit->SetText("");
  Edit->SetMaxLength(4);
  Edit->PasteFromClipboard();
  EXPECT_EQ(Edit->Text(), "firs");
}

TEST_F(EditTest, EditCanModifyGatesEveryChangeButCopy) {
  Edit->SetText("keep");
  Edit->SelectAll();
  Edit->AllowModify = false;
  Log.Clear();
  sim::TypeText("x");
  sim::PressKey(VK_BACK);
  sim::PressKey(VK_DELETE);
  sim::PressKey('X', {ssCtrl});
  sim::PressKey('V', {ssCtrl});
  Edit->CutToClipboard();
  Edit->PasteFromClipboard();
  Edit->ClearSelection();
  EXPECT_EQ(Edit->Text(), "keep");
  EXPECT_EQ(Log.Take(), "");
  EXPECT_EQ(Edit->CanModifyCalls, 8);
  sim::PressKey('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "keep");
  EXPECT_EQ(Edit->CanModifyCalls, 8);  // copying asks nothing
  sim::PressKey(VK_LEFT);              // nor does moving
  EXPECT_EQ(Edit->CanModifyCalls, 8);
}

TEST_F(EditTest, ReadOnlyRefusesTheUserButNotCode) {
  Edit->SetReadOnly(true);
  sim::TypeText("abc");
  EXPECT_EQ(Edit->Text(), "");
  Edit->SetText("code");
  EXPECT_EQ(Edit->Text(), "code");
  Edit->SelectAll();
  sim::PressKey(VK_DELETE);
  SendMessage(Edit->Handle(), WM_CHAR, 'z', 0);  // the window itself is read-only too
  EXPECT_EQ(Edit->Text(), "code");
  sim::PressKey('C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "code");
}

TEST_F(EditTest, KeyDownAndKeyPressCanZeroTheKey) {
  Edit->SetText("abc");
  Edit->SetSelStart(0);
  Edit->ZeroKeyDown = VK_DELETE;
  Edit->ZeroKeyPress = 'q';
  sim::PressKey(VK_DELETE);
  sim::TypeText("q");
  EXPECT_EQ(Edit->Text(), "abc");
  sim::TypeText("w");
  EXPECT_EQ(Edit->Text(), "wabc");
  std::string seen;
  Edit->SetOnKeyPress([&](TObject*, char& Key) {
    seen += Key;
    if (Key == '1') Key = 0;
  });
  sim::TypeText("12");
  EXPECT_EQ(seen, "12");
  EXPECT_EQ(Edit->Text(), "w2abc");
}

// Replaying a keystroke with SendMessage on a hidden edit gives what typing gives.
TEST_F(EditTest, AHiddenCopyEditsExactlyAsTheVisibleOne) {
  struct Step {
    std::string Text;
    int SelStart, SelLength, MaxLength;
    bool IsKeyDown;
    Word Key;
  };
  const Step steps[] = {
      {"abcdef", 2, 2, 0, false, 'x'},
      {"abcdef", 2, 2, 0, true, VK_DELETE},
      {"abcdef", 0, 0, 0, true, VK_DELETE},
      {"abcdef", 6, 0, 0, true, VK_DELETE},
      {"abcdef", 0, 0, 0, false, 8},
      {"abcdef", 3, 0, 0, false, 8},
      {"abc", 3, 0, 3, false, 'd'},
      {"abc", 1, 1, 3, false, 'd'},
      {"", 0, 0, 0, false, 'a'},
      {"abc", 3, 0, 0, true, VK_LEFT},
      {"abcdef", 1, 4, 0, false, 8},
      {"abc", 3, 0, 0, false, 13},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Text + " key " + std::to_string(s.Key));
    // The visible edit, typed into by the user.
    Edit->SetText(s.Text);
    Edit->SetSelStart(s.SelStart);
    Edit->SetSelLength(s.SelLength);
    Edit->SetMaxLength(s.MaxLength);
    if (s.IsKeyDown)
      sim::PressKey(s.Key);
    else if (s.Key == 8)
      sim::PressKey(VK_BACK);
    else if (s.Key == 13)
      sim::PressKey(VK_RETURN);
    else
      sim::TypeChar(static_cast<char>(s.Key));
    // A hidden copy, replayed with SendMessage.
    auto* copy = new TCustomMaskEdit(Edit);
    copy->SetVisible(false);
    copy->SetParent(Edit);
    copy->SetText(s.Text);
    copy->SetSelStart(s.SelStart);
    copy->SetSelLength(s.SelLength);
    copy->SetMaxLength(s.MaxLength);
    HWND h = copy->Handle();
    EXPECT_FALSE(IsWindowVisible(h));
    if (s.IsKeyDown) {
      SendMessage(h, WM_KEYDOWN, s.Key, 0);
      SendMessage(h, WM_KEYUP, s.Key, 0);
    } else {
      SendMessage(h, WM_CHAR, s.Key, 0);
    }
    EXPECT_EQ(copy->Text(), Edit->Text());
    EXPECT_EQ(copy->SelStart(), Edit->SelStart());
    delete copy;
  }
  EXPECT_TRUE(Edit->Focused());  // the hidden copies never took the focus
}

TEST_F(EditTest, AnswersDlgCodeAsASingleLineEditSoTabMovesOn) {
  LRESULT code = SendMessage(Edit->Handle(), WM_GETDLGCODE, 0, 0);
  EXPECT_EQ(code, DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL);
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(Other->Focused());
  sim::PressKey(VK_TAB, {ssShift});
  EXPECT_TRUE(Edit->Focused());
}

TEST_F(EditTest, AutoSelectSelectsAllWhenEnteredByTabButNotByClick) {
  Other->SetText("other text");
  sim::PressKey(VK_TAB);
  EXPECT_EQ(Other->SelLength(), 10);
  Edit->SetText("edit");
  sim::Click(Edit, Point(60, 5));  // beyond the text: the caret goes to the end
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Edit->SelLength(), 0);
  EXPECT_EQ(Edit->SelStart(), 4);
  Other->SetAutoSelect(false);
  Other->SetSelStart(2);  // the selection a control keeps while it is left
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(Other->Focused());
  EXPECT_EQ(Other->SelStart(), 2);
  EXPECT_EQ(Other->SelLength(), 0);
}

TEST_F(EditTest, MousePlacesTheCaretDragsASelectionAndDoubleClickSelectsAWord) {
  Edit->SetText("alpha beta");
  const int betaX = Edit->CharX(6), endX = Edit->CharX(10);
  sim::Click(Edit, Point(Edit->CharX(2), 5));
  EXPECT_EQ(Edit->SelStart(), 2);
  sim::AdvanceTime(1000);
  sim::Drag(Edit, Point(betaX, 5), Point(endX, 5));
  EXPECT_EQ(Edit->SelText(), "beta");
  EXPECT_EQ(GetCapture(), nullptr);
  sim::AdvanceTime(1000);
  sim::Click(Edit, Point(Edit->CharX(8), 5), mbLeft, {ssShift});  // extends from the anchor
  EXPECT_EQ(Edit->SelText(), "be");
  sim::AdvanceTime(1000);
  sim::DoubleClick(Edit, Point(Edit->CharX(1), 5));
  EXPECT_EQ(Edit->SelText(), "alpha ");
}

TEST_F(EditTest, EscapeAndEnterReachTheFormAsDialogKeys) {
  auto* catcher = MakeControl(Form, "Catcher", Bounds(200, 10, 50, 20));
  catcher->SetTabStop(false);
  Edit->SetText("abc");
  Log.Clear();
  sim::PressKey(VK_ESCAPE);
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "Catcher:CM_DIALOGKEY:27 Catcher:CM_DIALOGKEY:13");
  EXPECT_EQ(Edit->Text(), "abc");
}

TEST_F(EditTest, BorderStyleMakesAClientEdgeOrABorder) {
  HWND h = Edit->Handle();
  EXPECT_TRUE(GetWindowLong(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  Edit->SetText("survives");
  Edit->SetCtl3D(false);
  h = Edit->Handle();
  EXPECT_FALSE(GetWindowLong(h, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_BORDER);
  Edit->SetBorderStyle(bsNone);
  h = Edit->Handle();
  EXPECT_FALSE(GetWindowLong(h, GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(Edit->Text(), "survives");  // the text outlives the window
  EXPECT_EQ(Edit->ClientWidth(), Edit->Width());
}

TEST_F(EditTest, AutoSizeFitsTheHeightToTheFont) {
  const int small = Edit->Height();
  EXPECT_EQ(small, Edit->Canvas()->TextHeight("Wg") + 8);
  Edit->Font()->SetHeight(-20);
  EXPECT_GT(Edit->Height(), small + 5);
  EXPECT_EQ(Edit->Height(), Edit->Canvas()->TextHeight("Wg") + 8);
  Edit->SetAutoSize(false);
  Edit->SetHeight(50);
  Edit->Font()->SetHeight(-11);
  EXPECT_EQ(Edit->Height(), 50);
  Other->SetBorderStyle(bsNone);  // only an edit with a border sizes itself
  Other->SetHeight(15);
  Other->Font()->SetHeight(-20);
  EXPECT_EQ(Other->Height(), 15);
}

TEST_F(EditTest, TextAndSelectionWorkWithoutAWindow) {
  auto* lone = new TEdit(nullptr);
  lone->SetText("no window");
  lone->SetSelStart(3);
  lone->SetSelLength(6);
  EXPECT_EQ(lone->SelText(), "window");
  EXPECT_FALSE(lone->HandleAllocated());
  delete lone;
}

TEST_F(EditTest, APasswordEditHidesItsTextFromTheClipboard) {
  Edit->SetPasswordChar('*');
  sim::TypeText("secret");
  EXPECT_EQ(Edit->Text(), "secret");
  Edit->SelectAll();
  sim::PressKey('C', {ssCtrl});
  sim::PressKey('X', {ssCtrl});
  EXPECT_FALSE(Clipboard()->HasText());
  EXPECT_EQ(Edit->Text(), "secret");
  Clipboard()->SetAsText("typed");
  sim::PressKey('V', {ssCtrl});  // pasting in is allowed
  EXPECT_EQ(Edit->Text(), "typed");
  const int starWidth = Edit->Canvas()->TextWidth("*****");
  EXPECT_EQ(Edit->CharX(5) - Edit->CharX(0), starWidth);
}

TEST_F(EditTest, AnOnChangeHandlerMayFreeTheEdit) {
  Edit->SetOnChange([this](TObject*) {
    delete Edit;
    Edit = nullptr;
  });
  sim::TypeText("a");
  EXPECT_EQ(Edit, nullptr);
  sim::TypeText("b");  // the focus went with the edit; nothing breaks
  // The same when the text is set by code.
  Other->SetOnChange([this](TObject*) {
    delete Other;
    Other = nullptr;
  });
  Other->SetText("gone");
  EXPECT_EQ(Other, nullptr);
}

}  // namespace

namespace {

// ---- painting -------------------------------------------------------------------------------

// Counts the pixels of a colour in a column range of a picture's rows.
int CountColor(const TSurface& Pic, TColor Color, int Left, int Right, int Top, int Bottom) {
  int n = 0;
  for (int y = Top; y < Bottom; ++y)
    for (int x = Left; x < Right; ++x) n += Pic.Pixel(x, y) == ColorToRGB(Color);
  return n;
}

// The client area of an edit with a client edge starts 2 pixels inside its window.
constexpr int kEdge = 2;

TEST_F(EditTest, PaintsTheTextTheSelectionInHighlightColoursAndTheCaret) {
  Edit->SetText("Hello");
  Edit->SetSelStart(0);
  TSurface pic = CaptureWindow(Edit);
  ASSERT_EQ(pic.Width(), 150);
  const int textRight = kEdge + Edit->CharX(5);
  // The text is drawn, in the window colour's surroundings.
  EXPECT_GT(CountColor(pic, clWindowText, kEdge, textRight, kEdge, 19), 10);
  EXPECT_EQ(CountColor(pic, clWindowText, textRight + 2, 140, kEdge, 19), 0);
  EXPECT_EQ(CountColor(pic, clHighlight, 0, 150, 0, 21), 0);
  // The caret: a line at the start of the text, the height of the text.
  const int caretX = kEdge + Edit->CharX(0);
  EXPECT_EQ(pic.Pixel(caretX, kEdge + 2), ColorToRGB(clWindowText));
  EXPECT_EQ(pic.Pixel(caretX, kEdge + 10), ColorToRGB(clWindowText));

  // Selected: the selected characters sit on the highlight colour.
  Edit->SetSelStart(1);
  Edit->SetSelLength(3);  // "ell"
  pic = CaptureWindow(Edit);
  const int selLeft = kEdge + Edit->CharX(1), selRight = kEdge + Edit->CharX(4);
  EXPECT_GT(CountColor(pic, clHighlight, selLeft, selRight, kEdge, 19), (selRight - selLeft) * 5);
  EXPECT_GT(CountColor(pic, clHighlightText, selLeft, selRight, kEdge, 19), 5);
  EXPECT_EQ(CountColor(pic, clHighlight, kEdge, selLeft, kEdge, 19), 0);
  EXPECT_EQ(CountColor(pic, clHighlight, selRight, 148, kEdge, 19), 0);

  // Unfocused, the selection and the caret hide.
  Other->SetFocus();
  pic = CaptureWindow(Edit);
  EXPECT_EQ(CountColor(pic, clHighlight, 0, 150, 0, 21), 0);
  EXPECT_GT(CountColor(pic, clWindowText, selLeft, selRight, kEdge, 19), 5);
  Edit->SetHideSelection(false);
  pic = CaptureWindow(Edit);
  EXPECT_GT(CountColor(pic, clHighlight, selLeft, selRight, kEdge, 19), 10);
}

TEST_F(EditTest, PaintsDisabledTextGreyAndScrollsToKeepTheCaretInView) {
  Edit->SetText(std::string(60, 'W'));
  Edit->SetSelStart(60);
  EXPECT_LT(Edit->CharX(60), Edit->ClientWidth());  // scrolled to the caret
  EXPECT_LT(Edit->CharX(0), 0);
  sim::PressKey(VK_HOME);
  EXPECT_EQ(Edit->CharX(0), 1);
  Edit->SetText("off");
  Edit->SetEnabled(false);
  TSurface pic = CaptureWindow(Edit);
  EXPECT_GT(CountColor(pic, clGrayText, kEdge, kEdge + Edit->CharX(3), kEdge, 19), 5);
  EXPECT_EQ(CountColor(pic, clWindowText, kEdge, 148, kEdge, 19), 0);
}

}  // namespace
