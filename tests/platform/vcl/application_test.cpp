#include "platform/vcl/application.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/platform_fixture.h"

using namespace vcl;
using kttest::PlatformTest;
using kttest::TRecordingControl;

namespace {

// Records the system messages and timers a control gets.
class TSystemControl : public TRecordingControl {
 public:
  using TRecordingControl::TRecordingControl;
  std::vector<std::string> Seen;
  bool ThrowOnTimer = false;

 protected:
  void Dispatch(TMessage& M) override {
    switch (M.Msg) {
      case WM_SYSCOMMAND: Seen.push_back("SYSCOMMAND:" + std::to_string(M.WParam)); break;
      case WM_SYSCHAR: Seen.push_back("SYSCHAR:" + std::to_string(M.WParam)); break;
      case WM_SYSKEYUP: Seen.push_back("SYSKEYUP:" + std::to_string(M.WParam)); break;
      case WM_TIMER:
        Seen.push_back("TIMER:" + std::to_string(M.WParam));
        if (ThrowOnTimer) throw Exception("timer failed");
        break;
      default: break;
    }
    TRecordingControl::Dispatch(M);
  }
};

class ApplicationTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    A = new TSystemControl(Form, Log);
    A->SetName("A");
    A->SetBounds(10, 10, 100, 40);
    A->SetParent(Form);
    B = MakeControl(Form, "B", Bounds(150, 10, 100, 40));
    Form->Show();
    sim::ProcessMessages();
    Log.Clear();
  }
  TForm* Form = nullptr;
  TSystemControl* A = nullptr;
  TRecordingControl* B = nullptr;
};

TEST_F(ApplicationTest, SystemKeysReachTheFocusedControl) {
  ASSERT_TRUE(A->Focused());
  std::vector<TShiftState> ups;
  A->SetOnKeyUp([&](TObject*, Word&, TShiftState S) { ups.push_back(S); });
  sim::PressKey(VK_SPACE, {ssAlt});
  EXPECT_EQ(A->Seen,
            (std::vector<std::string>{"SYSCHAR:32", "SYSCOMMAND:61696", "SYSKEYUP:32", "SYSKEYUP:18"}));
  ASSERT_EQ(ups.size(), 2u);
  EXPECT_EQ(ups[0], TShiftState{ssAlt});
  EXPECT_TRUE(ups[1].Empty());  // Alt itself comes up with Alt no longer down
  A->Seen.clear();
  sim::PressKey(VK_F10);
  sim::PressKey(VK_F10, {ssCtrl});
  EXPECT_EQ(A->Seen, (std::vector<std::string>{"SYSKEYUP:121", "SYSKEYUP:121"}));
  EXPECT_EQ(Log.Take(), "A:KeyDown:18 A:KeyDown:32 A:KeyDown:121 A:KeyDown:17 A:KeyDown:121");
}

TEST_F(ApplicationTest, TimersOnAControlsWindowArriveAsWmTimer) {
  SetTimer(A->Handle(), 3, 2000, nullptr);
  sim::AdvanceTime(1999);
  EXPECT_TRUE(A->Seen.empty());
  sim::AdvanceTime(1);
  EXPECT_EQ(A->Seen, std::vector<std::string>{"TIMER:3"});
  // A failing timer handler is reported; the timer keeps running.
  A->ThrowOnTimer = true;
  sim::AdvanceTime(4000);
  EXPECT_EQ(Application->ExceptionCount(), 2);
  EXPECT_EQ(Application->LastErrorMessage(), "timer failed");
  EXPECT_TRUE(IsTimerRunning(A->Handle(), 3));
}

TEST_F(ApplicationTest, AFailingExitHandlerIsReportedAndTheFocusStillMoves) {
  A->SetOnExit([](TObject*) { throw Exception("cannot leave"); });
  sim::Click(B->Handle(), Point(5, 5));
  EXPECT_EQ(Application->LastErrorMessage(), "cannot leave");
  EXPECT_TRUE(B->Focused());
  EXPECT_EQ(Form->ActiveControl(), B);
  // The report ends the mouse operation in progress (B's capture): the release is no click.
  EXPECT_EQ(Log.Take(),
            "A:CM_CANCELMODE B:MouseDown A:WM_KILLFOCUS B:WM_SETFOCUS A:CM_EXIT A:OnExit B:WM_CANCELMODE "
            "B:CM_ENTER B:OnEnter B:MouseUp");
  EXPECT_FALSE(B->ControlState().Contains(csLButtonDown));
}

TEST_F(ApplicationTest, AFailingHookIsReportedAndItsMessageDropped) {
  HHOOK hook = SetWindowsHookExA(
      WH_MOUSE,
      [](int, WPARAM Msg, LPARAM) -> LRESULT {
        if (Msg == WM_LBUTTONDOWN) throw Exception("hook failed");
        return 0;
      },
      nullptr, GetCurrentThreadId());
  sim::Click(B->Handle(), Point(5, 5));
  EXPECT_EQ(Application->LastErrorMessage(), "hook failed");
  EXPECT_EQ(Log.Take(), "B:MouseUp");  // the press never arrived
  EXPECT_TRUE(A->Focused());
  UnhookWindowsHookEx(hook);
}

TEST_F(ApplicationTest, OnMessageSeesEveryQueuedMessageAndMayHandleIt) {
  int keys = 0;
  Application->SetOnMessage([&](MSG& M, bool& Handled) {
    if (M.message == WM_KEYDOWN) {
      ++keys;
      Handled = M.wParam == 'X';
    }
  });
  sim::TypeText("xy");
  EXPECT_EQ(keys, 2);
  EXPECT_EQ(Log.Take(), "A:KeyDown:89 A:KeyPress:y");
}

TEST_F(ApplicationTest, FormsOwnedByTheApplicationGoWithTheReset) {
  auto* second = new TForm(Application);
  second->Show();
  EXPECT_EQ(Screen->FormCount(), 2);
  EXPECT_EQ(Screen->ActiveForm(), second);
  ResetPlatform();
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
  EXPECT_EQ(Application->ExceptionCount(), 0);
}

}  // namespace
