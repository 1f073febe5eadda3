#include "platform/vcl/win_control.h"

#include <gtest/gtest.h>

#include "platform/platform_fixture.h"

using namespace vcl;
using kttest::PlatformTest;
using kttest::TRecordingControl;

namespace {

// A form with a panel P holding A and B, and C beside the panel.
class WinControlTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    P = MakeControl(Form, "P", Bounds(10, 10, 200, 100));
    P->SetTabStop(false);
    A = MakeControl(P, "A", Bounds(10, 10, 80, 30), Form);
    B = MakeControl(P, "B", Bounds(100, 10, 80, 30), Form);
    C = MakeControl(Form, "C", Bounds(220, 10, 80, 30));
    for (TRecordingControl* c : {P, A, B, C}) c->FocusOnMouseDown = true;
  }
  void ShowForm() {
    Form->Show();
    sim::ProcessMessages();
  }
  TForm* Form = nullptr;
  TRecordingControl *P = nullptr, *A = nullptr, *B = nullptr, *C = nullptr;
};

// ---- focus ----------------------------------------------------------------------------------

TEST_F(WinControlTest, ShowingTheFormFocusesTheFirstTabStopAndEntersDownToIt) {
  EXPECT_FALSE(A->HandleAllocated());  // nothing shows on a hidden form
  ShowForm();
  EXPECT_EQ(Log.Take(), "A:WM_SETFOCUS P:CM_ENTER P:OnEnter A:CM_ENTER A:OnEnter");
  EXPECT_TRUE(A->Focused());
  EXPECT_EQ(Form->ActiveControl(), A);
  EXPECT_EQ(Screen->ActiveControl(), A);
  EXPECT_EQ(Screen->ActiveForm(), Form);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
}

TEST_F(WinControlTest, FocusMovesExitUpToTheCommonParentAndEnterDown) {
  ShowForm();
  Log.Clear();
  sim::Click(C->Handle(), Point(5, 5));
  EXPECT_EQ(Log.Take(),
            "A:CM_CANCELMODE C:MouseDown A:WM_KILLFOCUS C:WM_SETFOCUS A:CM_EXIT A:OnExit P:CM_EXIT "
            "P:OnExit C:CM_ENTER C:OnEnter C:Click C:MouseUp");
  B->SetFocus();
  EXPECT_EQ(Log.Take(),
            "C:WM_KILLFOCUS B:WM_SETFOCUS C:CM_EXIT C:OnExit P:CM_ENTER P:OnEnter B:CM_ENTER B:OnEnter");
  A->SetFocus();  // within the panel: no exit from it
  EXPECT_EQ(Log.Take(), "B:WM_KILLFOCUS A:WM_SETFOCUS B:CM_EXIT B:OnExit A:CM_ENTER A:OnEnter");
  A->SetFocus();
  EXPECT_EQ(Log.Take(), "");
}

TEST_F(WinControlTest, AControlThatRefusesToLetGoKeepsTheFocus) {
  ShowForm();
  A->SetOnExit([&](TObject*) { A->SetFocus(); });
  Log.Clear();
  sim::Click(C->Handle(), Point(5, 5));
  EXPECT_EQ(Log.Take(),
            "A:CM_CANCELMODE C:MouseDown A:WM_KILLFOCUS C:WM_SETFOCUS A:CM_EXIT A:OnExit "
            "C:WM_KILLFOCUS A:WM_SETFOCUS A:CM_ENTER A:OnEnter C:Click C:MouseUp");
  EXPECT_TRUE(A->Focused());
  EXPECT_EQ(Form->ActiveControl(), A);
  EXPECT_EQ(Form->FocusedControl(), A);
  // The form reports the refusal to the window that asked.
  A->SetOnExit(nullptr);
  C->SetOnEnter([&](TObject*) { B->SetFocus(); });
  sim::AdvanceTime(1000);
  sim::Click(C->Handle(), Point(5, 5));
  EXPECT_TRUE(B->Focused());
  EXPECT_EQ(Form->ActiveControl(), B);
}

TEST_F(WinControlTest, TabAndShiftTabFollowTheTabOrder) {
  ShowForm();
  Log.Clear();
  sim::PressKey(VK_TAB);
  EXPECT_EQ(Log.Take(),
            "A:CM_DIALOGKEY:9 P:CM_DIALOGKEY:9 A:WM_KILLFOCUS B:WM_SETFOCUS A:CM_EXIT A:OnExit "
            "B:CM_ENTER B:OnEnter");
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(C->Focused());
  sim::PressKey(VK_TAB);  // wraps, skipping the panel that is no tab stop
  EXPECT_TRUE(A->Focused());
  sim::PressKey(VK_TAB, {ssShift});
  EXPECT_TRUE(C->Focused());
  // Tab order, not creation order; invisible and disabled controls are skipped.
  B->SetTabOrder(0);
  EXPECT_EQ(B->TabOrder(), 0);
  EXPECT_EQ(A->TabOrder(), 1);
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(B->Focused());
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(A->Focused());
  C->Hide();
  B->SetEnabled(false);
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(A->Focused());
  // A control that wants Tab gets it as a key.
  A->DlgCode = DLGC_WANTTAB;
  Log.Clear();
  sim::PressKey(VK_TAB);
  EXPECT_EQ(Log.Take(), "A:KeyDown:9 A:KeyPress:9");
}

// ---- keyboard -------------------------------------------------------------------------------

TEST_F(WinControlTest, AConsumedDialogKeyReachesNothingElse) {
  ShowForm();
  B->ConsumeDialogKey = VK_RETURN;  // a default button elsewhere on the form
  Log.Clear();
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "A:CM_DIALOGKEY:13 P:CM_DIALOGKEY:13 B:CM_DIALOGKEY:13");
  // The focused control itself consumes it: nobody else is asked.
  A->ConsumeDialogKey = VK_RETURN;
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "A:CM_DIALOGKEY:13");
  // Nobody consumes Escape: it arrives as a key and a character.
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Log.Take(),
            "A:CM_DIALOGKEY:27 P:CM_DIALOGKEY:27 B:CM_DIALOGKEY:27 C:CM_DIALOGKEY:27 A:KeyDown:27 "
            "A:KeyPress:27");
  // A control that wants every key is never offered it.
  A->DlgCode = DLGC_WANTALLKEYS;
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "A:KeyDown:13 A:KeyPress:13");
  // Keys that are no dialog keys go straight to the control.
  sim::PressKey(VK_DELETE);
  sim::TypeText("x");
  EXPECT_EQ(Log.Take(), "A:KeyDown:46 A:KeyDown:88 A:KeyPress:x");
}

TEST_F(WinControlTest, CharactersAControlDoesNotWantMayBeAccelerators) {
  ShowForm();
  C->ConsumeDialogChar = 'q';
  Log.Clear();
  sim::TypeText("qw");
  EXPECT_EQ(Log.Take(), "A:KeyDown:81 C:CM_DIALOGCHAR A:KeyDown:87 A:KeyPress:w");
  A->DlgCode = DLGC_WANTCHARS;
  sim::TypeText("q");
  EXPECT_EQ(Log.Take(), "A:KeyDown:81 A:KeyPress:q");
  // Alt+letter asks the form too; Alt+Space never does.
  sim::PressKey('Q', {ssAlt});
  EXPECT_EQ(Log.Take(), "A:KeyDown:18 A:KeyDown:81 C:CM_DIALOGCHAR");
}

TEST_F(WinControlTest, AControlCanLiveInAWindowThatIsNoControl) {
  HWND host = CreateWindowEx(0, "Host", "", WS_POPUP | WS_VISIBLE, 500, 500, 200, 100, nullptr, 0, nullptr);
  auto* hosted = new TRecordingControl(nullptr, Log);
  hosted->SetName("H");
  hosted->SetBounds(5, 5, 50, 20);
  hosted->SetParentWindow(host);
  EXPECT_TRUE(IsWindowVisible(hosted->Handle()));
  EXPECT_EQ(GetParent(hosted->Handle()), host);
  EXPECT_EQ(hosted->ClientToScreen(Point(0, 0)), Point(505, 505));
  hosted->SetFocus();
  EXPECT_TRUE(hosted->Focused());
  Log.Clear();
  sim::TypeText("k");
  EXPECT_EQ(Log.Take(), "H:KeyDown:75 H:KeyPress:k");
  delete hosted;
  EXPECT_EQ(GetFocus(), nullptr);
  DestroyWindow(host);
}

TEST_F(WinControlTest, ArrowKeysMoveBetweenSiblingsUnlessWanted) {
  ShowForm();
  sim::PressKey(VK_RIGHT);
  EXPECT_TRUE(B->Focused());
  sim::PressKey(VK_LEFT);
  EXPECT_TRUE(A->Focused());
  A->DlgCode = DLGC_WANTARROWS;
  Log.Clear();
  sim::PressKey(VK_RIGHT);
  EXPECT_TRUE(A->Focused());
  EXPECT_EQ(Log.Take(), "A:KeyDown:39");
}

TEST_F(WinControlTest, KeyEventsSeeTheShiftStateAndMayChangeTheKey) {
  ShowForm();
  std::vector<std::string> seen;
  A->SetOnKeyDown([&](TObject*, Word& Key, TShiftState Shift) {
    seen.push_back("down " + std::to_string(Key) + (Shift.Contains(ssCtrl) ? " ctrl" : "") +
                   (Shift.Contains(ssAlt) ? " alt" : "") + (Shift.Contains(ssShift) ? " shift" : ""));
    if (Key == 'Q') Key = 0;
  });
  A->SetOnKeyPress([&](TObject*, char& Key) {
    seen.push_back(std::string("press ") + std::to_string(static_cast<int>(Key)));
    if (Key == 'z') Key = 'Z';
  });
  A->SetOnKeyUp([&](TObject*, Word& Key, TShiftState) { seen.push_back("up " + std::to_string(Key)); });
  sim::PressKey('C', {ssCtrl});
  EXPECT_EQ(seen, (std::vector<std::string>{"down 17 ctrl", "down 67 ctrl", "press 3", "up 67", "up 17"}));
  seen.clear();
  sim::PressKey('X', {ssAlt});
  EXPECT_EQ(seen, (std::vector<std::string>{"down 18 alt", "down 88 alt", "up 88", "up 18"}));
  seen.clear();
  sim::TypeText("Q");  // a key zeroed in KeyDown still brings its character
  EXPECT_EQ(seen, (std::vector<std::string>{"down 16 shift", "down 81 shift", "press 81", "up 81", "up 16"}));
  // Key preview: the form sees the keys first.
  seen.clear();
  Form->SetKeyPreview(true);
  Form->SetOnKeyPress([&](TObject*, char& Key) {
    seen.push_back("form " + std::string(1, Key));
    if (Key == 'k') Key = 0;
  });
  sim::TypeText("kz");
  EXPECT_EQ(seen, (std::vector<std::string>{"down 75", "form k", "up 75", "down 90", "form z", "press 122",
                                            "up 90"}));
}

TEST_F(WinControlTest, KeystrokesSentToAHiddenWindowReachItsHandlers) {
  ShowForm();
  auto* hidden = MakeControl(A, "H", Bounds(0, 0, 10, 10), A);
  hidden->SetVisible(false);
  HWND h = hidden->Handle();
  EXPECT_FALSE(IsWindowVisible(h));
  Log.Clear();
  SendMessage(h, WM_KEYDOWN, VK_DELETE, 0);
  SendMessage(h, WM_CHAR, 'a', 0);
  EXPECT_EQ(Log.Take(), "H:KeyDown:46 H:KeyPress:a");
  EXPECT_TRUE(A->Focused());
}

// ---- showing, enabling, recreating ----------------------------------------------------------

TEST_F(WinControlTest, ShowingFollowsVisibleAndAConsumedShowingChangeKeepsTheWindowHidden) {
  ShowForm();
  EXPECT_TRUE(IsWindowVisible(C->Handle()));
  C->Hide();
  EXPECT_FALSE(IsWindowVisible(C->Handle()));
  EXPECT_FALSE(C->Showing());
  C->Show();
  EXPECT_TRUE(IsWindowVisible(C->Handle()));
  auto* edit = new TRecordingControl(Form, Log);
  edit->ConsumeShowing = true;
  edit->SetParent(Form);
  EXPECT_TRUE(edit->Visible());
  EXPECT_TRUE(edit->HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(edit->Handle()));
  ShowWindow(edit->Handle(), SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(edit->Handle()));
  edit->Hide();
  EXPECT_TRUE(IsWindowVisible(edit->Handle()));  // the framework never hides it either
  // Hiding the panel hides what is in it.
  P->Hide();
  EXPECT_FALSE(IsWindowVisible(A->Handle()));
  EXPECT_FALSE(A->CanFocus());
}

TEST_F(WinControlTest, HidingOrDisablingTheFocusedControlTakesTheFocusAway) {
  ShowForm();
  Log.Clear();
  A->SetEnabled(false);
  EXPECT_EQ(Log.Take(), "A:WM_KILLFOCUS A:CM_EXIT A:OnExit P:CM_EXIT P:OnExit A:WM_CANCELMODE");
  EXPECT_EQ(Form->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), Form->Handle());
  EXPECT_FALSE(IsWindowEnabled(A->Handle()));
  EXPECT_FALSE(A->CanFocus());
  EXPECT_THROW(Form->SetActiveControl(A), EInvalidOperation);
  B->SetFocus();
  Log.Clear();
  B->Hide();
  EXPECT_FALSE(B->Focused());
  EXPECT_EQ(Form->ActiveControl(), nullptr);
}

TEST_F(WinControlTest, RecreatingTheWindowKeepsTheFocus) {
  ShowForm();
  HWND old = A->Handle();
  A->RecreateWnd();
  EXPECT_FALSE(IsWindow(old));
  EXPECT_NE(A->Handle(), old);
  EXPECT_TRUE(A->Focused());
  EXPECT_TRUE(IsWindowVisible(A->Handle()));
  EXPECT_EQ(FindControl(A->Handle()), A);
}

// ---- destruction ----------------------------------------------------------------------------

TEST_F(WinControlTest, DeletingAControlLeavesNoFocusCaptureOrTimerBehind) {
  ShowForm();
  sim::MouseDown(A->Handle(), Point(5, 5));
  EXPECT_TRUE(A->MouseCapture());
  SetTimer(A->Handle(), 1, 100, nullptr);
  HWND h = A->Handle();
  int components = Form->ComponentCount();
  delete A;
  A = nullptr;
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TimerCount(), 0);
  EXPECT_NE(GetFocus(), h);
  EXPECT_EQ(Form->ActiveControl(), nullptr);
  EXPECT_EQ(Screen->ActiveControl() == nullptr || Screen->ActiveControl() == Form, true);
  EXPECT_EQ(Form->ComponentCount(), components - 1);
  EXPECT_EQ(P->ControlCount(), 1);
  sim::MouseUp(Point(5, 5));
  sim::AdvanceTime(500);
}

TEST_F(WinControlTest, DeletingAParentDeletesItsChildrenWhoeverOwnsThem) {
  ShowForm();
  int components = Form->ComponentCount();
  delete P;
  EXPECT_EQ(Form->ComponentCount(), components - 3);
  EXPECT_EQ(Form->ControlCount(), 1);
  EXPECT_EQ(Form->ActiveControl(), nullptr);
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(C->Focused());
}

TEST_F(WinControlTest, AnEventHandlerMayFreeItsOwnControl) {
  ShowForm();
  C->SetOnClick([&](TObject*) {
    delete C;
    C = nullptr;
  });
  sim::Click(Form->Handle(), Point(225, 15));  // on C's client area through the form's coordinates
  EXPECT_EQ(C, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  sim::PressKey(VK_TAB);
}

TEST_F(WinControlTest, AnExitHandlerMayFreeTheControlBeingLeft) {
  ShowForm();
  A->SetOnExit([&](TObject*) {
    delete A;
    A = nullptr;
  });
  sim::Click(C->Handle(), Point(5, 5));
  EXPECT_EQ(A, nullptr);
  EXPECT_TRUE(C->Focused());
  EXPECT_EQ(Form->FocusedControl(), C);
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(B->Focused());
}

TEST_F(WinControlTest, AnEnterHandlerMayFreeTheControlBeingEntered) {
  ShowForm();
  C->SetOnEnter([&](TObject*) {
    delete C;
    C = nullptr;
  });
  C->SetFocus();
  EXPECT_EQ(C, nullptr);
  EXPECT_NE(Form->FocusedControl(), nullptr);
  sim::PressKey(VK_TAB);
  EXPECT_TRUE(A->Focused() || B->Focused());
}

TEST_F(WinControlTest, AResizeHandlerMayFreeItsControl) {
  ShowForm();
  C->SetOnResize([&](TObject*) {
    delete C;
    C = nullptr;
  });
  C->SetBounds(220, 10, 90, 40);
  EXPECT_EQ(C, nullptr);
  EXPECT_EQ(Form->ControlCount(), 1);
}

TEST_F(WinControlTest, AClickHandlerMayFreeTheWholeForm) {
  ShowForm();
  C->SetOnClick([&](TObject*) { delete Form; });
  sim::Click(C->Handle(), Point(5, 5));
  EXPECT_EQ(WindowCount(), 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(Screen->FormCount(), 0);
  sim::PressKey(VK_TAB);
  sim::Click(Point(150, 150));
}

}  // namespace
