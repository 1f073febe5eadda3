#include "platform/vcl/control.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/platform_fixture.h"

using namespace vcl;
using kttest::PlatformTest;
using kttest::TRecordingControl;

namespace {

// Counts the CM_ notifications a control receives.
class TCountingControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::map<Cardinal, int> Seen;
  void Dispatch(TMessage& M) override {
    ++Seen[M.Msg];
    TCustomControl::Dispatch(M);
  }
};

class ControlTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    A = MakeControl(Form, "A", Bounds(10, 10, 100, 50));
    B = MakeControl(Form, "B", Bounds(150, 10, 100, 50));
    Form->Show();
    sim::ProcessMessages();
    Log.Clear();
  }
  TForm* Form = nullptr;
  TRecordingControl* A = nullptr;
  TRecordingControl* B = nullptr;
};

// ---- mouse ----------------------------------------------------------------------------------

TEST_F(ControlTest, APressAndReleaseMakeMouseDownClickMouseUpWithTheButtonStateAndCapture) {
  bool downState = false, captured = false;
  TShiftState downShift;
  int downX = -1, downY = -1;
  B->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState S, int X, int Y) {
    downState = B->ControlState().Contains(csLButtonDown);
    captured = B->MouseCapture();
    downShift = S;
    downX = X;
    downY = Y;
  });
  sim::Click(B->Handle(), Point(7, 8));
  EXPECT_EQ(Log.Take(),
            "A:CM_CANCELMODE B:MouseDown A:WM_KILLFOCUS B:WM_SETFOCUS A:CM_EXIT A:OnExit B:CM_ENTER "
            "B:OnEnter B:Click B:MouseUp");
  EXPECT_EQ(A->LastCancelModeSender, reinterpret_cast<LPARAM>(B));
  EXPECT_TRUE(downState);
  EXPECT_TRUE(captured);
  EXPECT_EQ(downShift, (TShiftState{ssLeft}));
  EXPECT_EQ(downX, 7);
  EXPECT_EQ(downY, 8);
  EXPECT_FALSE(B->ControlState().Contains(csLButtonDown));
  EXPECT_FALSE(B->MouseCapture());
  EXPECT_EQ(GetCapture(), nullptr);
  // The active control pressed again: no cancel mode to itself.
  sim::AdvanceTime(1000);
  sim::Click(B->Handle(), Point(7, 8), mbLeft, {ssShift});
  EXPECT_EQ(Log.Take(), "B:KeyDown:16 B:MouseDown B:Click B:MouseUp");
}

TEST_F(ControlTest, AReleaseOutsideTheControlIsNoClick) {
  sim::MouseDown(B->Handle(), Point(5, 5));
  sim::MouseMove(Point(5, 5));  // off the form; the capture keeps the messages
  sim::MouseUp(Point(5, 5));
  Log.Take();
  EXPECT_EQ(B->Focused(), true);
  sim::AdvanceTime(1000);
  sim::Drag(B->Handle(), Point(5, 5), Point(50, 40));
  EXPECT_EQ(Log.Take(), "B:MouseDown B:Click B:MouseUp");
  sim::AdvanceTime(1000);
  sim::Drag(B->Handle(), Point(5, 5), Point(500, 40));
  EXPECT_EQ(Log.Take(), "B:MouseDown B:MouseUp");
}

TEST_F(ControlTest, ACancelledPressEndsTheButtonStateAndTheReleaseIsNoClick) {
  sim::MouseDown(B->Handle(), Point(5, 5));
  ASSERT_TRUE(B->ControlState().Contains(csLButtonDown));
  ASSERT_TRUE(B->MouseCapture());
  Log.Clear();
  SendMessage(B->Handle(), WM_CANCELMODE, 0, 0);  // as a drop-down or a failed handler does
  EXPECT_FALSE(B->MouseCapture());
  EXPECT_FALSE(B->ControlState().Contains(csLButtonDown));
  sim::MouseUp(B->Handle(), Point(5, 5));
  EXPECT_EQ(Log.Take(), "B:WM_CANCELMODE B:MouseUp");
  EXPECT_FALSE(B->ControlState().Contains(csLButtonDown));
}

TEST_F(ControlTest, ADoubleClickGivesDblClickAndADoubleMouseDown) {
  TShiftState second;
  A->SetOnMouseDown([&](TObject*, TMouseButton, TShiftState S, int, int) { second = S; });
  sim::DoubleClick(A, Point(5, 5));
  EXPECT_EQ(Log.Take(), "A:MouseDown A:Click A:MouseUp A:DblClick A:MouseDown+dbl A:MouseUp");
  EXPECT_TRUE(second.Contains(ssDouble));
  // Without csDoubleClicks the second press is a press.
  A->SetControlStyle(A->ControlStyle() - TControlStyle{csDoubleClicks});
  A->RecreateWnd();
  sim::AdvanceTime(1000);
  Log.Clear();
  sim::DoubleClick(A->Handle(), Point(5, 5));
  EXPECT_EQ(Log.Take(), "A:MouseDown A:Click A:MouseUp A:MouseDown A:Click A:MouseUp");
}

TEST_F(ControlTest, RightClicksAskForTheContextPopup) {
  std::vector<TPoint> at;
  A->SetOnContextPopup([&](TObject*, TPoint P, bool& Handled) {
    at.push_back(P);
    Handled = true;
  });
  int formPopups = 0;
  Form->SetOnContextPopup([&](TObject*, TPoint, bool&) { ++formPopups; });
  std::vector<TMouseButton> ups;
  A->SetOnMouseUp([&](TObject*, TMouseButton Button, TShiftState, int, int) { ups.push_back(Button); });
  sim::Click(A->Handle(), Point(12, 13), mbRight);
  EXPECT_EQ(at, std::vector<TPoint>{Point(12, 13)});
  EXPECT_EQ(ups, std::vector<TMouseButton>{mbRight});
  EXPECT_EQ(formPopups, 0);  // handled: the parent is not asked
  A->SetOnContextPopup(nullptr);
  sim::AdvanceTime(1000);
  sim::Click(A->Handle(), Point(12, 13), mbRight);
  EXPECT_EQ(formPopups, 1);
}

TEST_F(ControlTest, TheWheelReachesTheActiveControlOncePerNotch) {
  A->SetFocus();
  int downs = 0, ups = 0;
  A->SetOnMouseWheelDown([&](TObject*, TShiftState, TPoint, bool& Handled) {
    ++downs;
    Handled = true;
  });
  A->SetOnMouseWheelUp([&](TObject*, TShiftState, TPoint, bool&) { ++ups; });
  sim::MouseMove(B->Handle(), Point(5, 5));  // the pointer's place does not matter
  sim::Wheel(-240);
  EXPECT_EQ(downs, 2);
  sim::Wheel(60);
  EXPECT_EQ(ups, 0);
  sim::Wheel(60);
  EXPECT_EQ(ups, 1);
  sim::Wheel(-100);
  sim::Wheel(-20);
  EXPECT_EQ(downs, 3);
  // A handler of OnMouseWheel takes the whole wheel.
  int wheels = 0;
  A->SetOnMouseWheel([&](TObject*, TShiftState, int Delta, TPoint, bool& Handled) {
    wheels += Delta;
    Handled = true;
  });
  sim::Wheel(-360);
  EXPECT_EQ(wheels, -360);
  EXPECT_EQ(downs, 3);
}

TEST_F(ControlTest, AWheelHandlerMayFreeItsControl) {
  A->SetFocus();
  int downs = 0;
  A->SetOnMouseWheelDown([&](TObject*, TShiftState, TPoint, bool&) {
    ++downs;
    delete A;  // the second notch finds no control
    A = nullptr;
  });
  sim::Wheel(-240);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(Form->ControlCount(), 1);
  // The same from the handler of the whole wheel.
  B->SetFocus();
  B->SetOnMouseWheel([&](TObject*, TShiftState, int, TPoint, bool&) {
    delete B;
    B = nullptr;
  });
  sim::Wheel(-120);
  EXPECT_EQ(Form->ControlCount(), 0);
}

// A child window that hands the form's focus to its parent, as an embedded edit does.
class TInnerEdit : public TWinControl {
 public:
  using TWinControl::TWinControl;
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_SETFOCUS) {
      if (TForm* f = GetParentForm(this)) f->SetFocusedControl(Parent());
      Dispatch(M);
      return;
    }
    TWinControl::WndProc(M);
  }
};

TEST_F(ControlTest, TheWheelGoesToTheActiveControlWhenTheFocusWindowIsItsChild) {
  auto* inner = new TInnerEdit(A);
  inner->SetBounds(0, 0, 20, 20);
  inner->SetParent(A);
  vcl::SetFocus(inner->Handle());
  EXPECT_EQ(Form->ActiveControl(), A);
  int downs = 0;
  A->SetOnMouseWheelDown([&](TObject*, TShiftState, TPoint, bool&) { ++downs; });
  bool innerGotIt = false;
  inner->SetOnMouseWheel([&](TObject*, TShiftState, int, TPoint, bool&) { innerGotIt = true; });
  sim::Wheel(-120);
  EXPECT_EQ(downs, 1);
  EXPECT_FALSE(innerGotIt);
}

TEST_F(ControlTest, MouseEnterAndLeaveFollowThePointer) {
  A->LogMouseEnter = B->LogMouseEnter = true;
  sim::MouseMove(A, Point(5, 5));
  sim::MouseMove(A, Point(6, 6));
  sim::MouseMove(B->Handle(), Point(5, 5));
  sim::MouseMove(Point(2, 2));  // off every form
  EXPECT_EQ(Log.Take(), "A:CM_MOUSEENTER A:CM_MOUSELEAVE B:CM_MOUSEENTER B:CM_MOUSELEAVE");
  EXPECT_EQ(Application->MouseControl(), nullptr);
  // While a control holds the capture, the pointer stays "in" it.
  sim::MouseDown(A->Handle(), Point(5, 5));
  sim::MouseMove(B->Handle(), Point(5, 5));
  EXPECT_EQ(Application->MouseControl(), A);
  sim::MouseUp(B->Handle(), Point(5, 5));
  EXPECT_EQ(Application->MouseControl(), B);
}

// ---- properties that follow the parent ------------------------------------------------------

TEST_F(ControlTest, ColourFontCtl3DAndBiDiModeFollowTheParentUntilSet) {
  auto* c = new TCountingControl(Form);
  c->SetParent(Form);
  EXPECT_EQ(c->Color(), clBtnFace);
  Form->SetColor(clRed);
  EXPECT_EQ(c->Color(), clRed);
  EXPECT_TRUE(c->ParentColor());
  EXPECT_EQ(c->Seen[CM_COLORCHANGED], 2);
  c->SetColor(clBlue);
  EXPECT_FALSE(c->ParentColor());
  Form->SetColor(clGreen);
  EXPECT_EQ(c->Color(), clBlue);
  c->SetParentColor(true);
  EXPECT_EQ(c->Color(), clGreen);

  Form->Font()->SetColor(clRed);
  EXPECT_EQ(c->Font()->Color(), clRed);
  EXPECT_TRUE(c->ParentFont());
  int fontChanges = c->Seen[CM_FONTCHANGED];
  c->Font()->SetHeight(-20);
  EXPECT_EQ(c->Seen[CM_FONTCHANGED], fontChanges + 1);
  EXPECT_FALSE(c->ParentFont());
  Form->Font()->SetColor(clBlue);
  EXPECT_EQ(c->Font()->Color(), clRed);

  Form->SetCtl3D(false);
  EXPECT_FALSE(c->Ctl3D());
  EXPECT_EQ(c->Seen[CM_CTL3DCHANGED], 1);
  c->SetCtl3D(true);
  Form->SetCtl3D(true);
  Form->SetCtl3D(false);
  EXPECT_TRUE(c->Ctl3D());

  Form->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(c->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(c->Seen[CM_BIDIMODECHANGED], 1);
  EXPECT_FALSE(c->UseRightToLeftAlignment());  // only on a right-to-left system
  SysLocale.MiddleEast = true;
  EXPECT_TRUE(c->UseRightToLeftAlignment());
  c->RecreateWnd();
  EXPECT_TRUE(GetWindowLong(c->Handle(), GWL_EXSTYLE) & WS_EX_RIGHT);
  TAlignment al = taLeftJustify;
  ChangeBiDiModeAlignment(al);
  EXPECT_EQ(al, taRightJustify);

  c->SetCursor(crHandPoint);
  c->SetCursor(crHandPoint);
  EXPECT_EQ(c->Seen[CM_CURSORCHANGED], 1);
  c->SetEnabled(false);
  EXPECT_EQ(c->Seen[CM_ENABLEDCHANGED], 1);
  EXPECT_FALSE(IsWindowEnabled(c->Handle()));
}

TEST_F(ControlTest, TextGoesThroughTheWindowAndReportsTheChange) {
  auto* c = new TCountingControl(Form);
  c->SetText("before");
  c->SetParent(Form);
  EXPECT_EQ(GetWindowText(c->Handle()), "before");
  c->SetText("after");
  c->SetText("after");
  EXPECT_EQ(c->Text(), "after");
  EXPECT_EQ(GetWindowText(c->Handle()), "after");
  EXPECT_EQ(c->Seen[CM_TEXTCHANGED], 2);  // "before" and "after", once each
  c->RecreateWnd();
  EXPECT_EQ(c->Text(), "after");
}

TEST_F(ControlTest, BoundsClientAreaAndCoordinates) {
  // The form's frame: 4-pixel sizing border and an 18-pixel caption.
  EXPECT_EQ(Form->ClientWidth(), 392);
  EXPECT_EQ(Form->ClientHeight(), 300 - 8 - 18);
  EXPECT_EQ(Form->ClientOrigin(), Point(104, 122));
  EXPECT_EQ(A->ClientToScreen(Point(1, 2)), Point(115, 134));
  EXPECT_EQ(A->ScreenToClient(Point(115, 134)), Point(1, 2));
  A->SetBounds(20, 30, 60, 40);
  TRect r;
  GetWindowRect(A->Handle(), r);
  EXPECT_EQ(r, Bounds(124, 152, 60, 40));
  // A moved window reports back.
  MoveWindow(A->Handle(), 5, 6, 70, 80, true);
  EXPECT_EQ(A->BoundsRect(), Bounds(5, 6, 70, 80));
  int resized = 0;
  A->SetOnResize([&](TObject*) { ++resized; });
  A->SetWidth(90);
  A->SetLeft(7);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(A->ClientWidth(), 90);
  // Without a window, the client area is measured from what the window would be.
  auto* loose = new TRecordingControl(Form, Log);
  loose->SetBounds(0, 0, 50, 50);
  EXPECT_EQ(loose->ClientWidth(), 50);
  EXPECT_FALSE(loose->HandleAllocated());
}

TEST_F(ControlTest, InvalidatePaintsWhenMessagesAreProcessedRepaintAtOnce) {
  int before = A->PaintCalls;
  A->Invalidate();
  A->Invalidate();
  EXPECT_EQ(A->PaintCalls, before);
  sim::ProcessMessages();
  EXPECT_EQ(A->PaintCalls, before + 1);
  A->Repaint();
  EXPECT_EQ(A->PaintCalls, before + 2);
  A->Hide();
  A->Invalidate();
  sim::ProcessMessages();
  EXPECT_EQ(A->PaintCalls, before + 2);
}

TEST(ShiftStateTest, KeyDataAndMouseKeysBecomeShiftStates) {
  ResetPlatform();
  EXPECT_EQ(KeyDataToShiftState(KF_ALTDOWN_BIT), TShiftState{ssAlt});
  EXPECT_TRUE(KeyDataToShiftState(0).Empty());
  InputKey(VK_SHIFT, true);
  InputKey(VK_CONTROL, true);
  EXPECT_EQ(KeyDataToShiftState(0), (TShiftState{ssShift, ssCtrl}));
  EXPECT_EQ(KeysToShiftState(MK_LBUTTON | MK_SHIFT), (TShiftState{ssLeft, ssShift}));
  InputKey(VK_MENU, true);
  EXPECT_EQ(KeysToShiftState(MK_RBUTTON | MK_MBUTTON), (TShiftState{ssRight, ssMiddle, ssAlt}));
  EXPECT_TRUE(NewStyleControls);
  EXPECT_TRUE(LeadBytes.Empty());
  LeadBytes.IncludeRange(0x81, 0x9F);
  EXPECT_TRUE(LeadBytes.Contains(0x81));
  EXPECT_FALSE(LeadBytes.Contains('A'));
  ResetPlatform();
  EXPECT_TRUE(LeadBytes.Empty());
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

}  // namespace
