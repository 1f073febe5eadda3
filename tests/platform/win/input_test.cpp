#include "platform/win/input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vcl;

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    Wnd = CreateWindowEx(
        0, "Test", "", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr, CS_DBLCLKS,
        [this](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
          if (M == WM_CHAR) Typed += static_cast<char>(WP);
          if (M == WM_MOUSEMOVE) Moves.push_back(PointFromLParam(LP));
          if (M == WM_TIMER)
            Timers.push_back(std::to_string(WP) + "@" + std::to_string(GetTickCount() - Start));
          return DefWindowProc(W, M, WP, LP);
        });
    SetFocus(Wnd);
    sim::ProcessMessages();
    Start = GetTickCount();
  }
  void TearDown() override { ResetWindowSystem(); }
  HWND Wnd = nullptr;
  std::string Typed;
  std::vector<TPoint> Moves;
  std::vector<std::string> Timers;
  DWORD Start = 0;
};

TEST_F(InputTest, TypedTextArrivesCharacterByCharacter) {
  sim::TypeText("Hello, World! 1+1=2 (ok) ~/a_b\\c \"q\" <x>?");
  EXPECT_EQ(Typed, "Hello, World! 1+1=2 (ok) ~/a_b\\c \"q\" <x>?");
  Typed.clear();
  sim::TypeText("\xE9t\xE9");  // no key of their own: characters only
  EXPECT_EQ(Typed, "\xE9t\xE9");
  Word key = 0;
  bool shift = false;
  EXPECT_TRUE(sim::KeyForChar('?', key, shift));
  EXPECT_EQ(key, VK_OEM_2);
  EXPECT_TRUE(shift);
  EXPECT_TRUE(sim::KeyForChar('\r', key, shift));
  EXPECT_EQ(key, VK_RETURN);
  EXPECT_FALSE(sim::KeyForChar('\x01', key, shift));
  // Shift held by the caller is not pressed again; Caps Lock turns letters upper case.
  sim::HoldShift({ssShift});
  Typed.clear();
  sim::TypeText("aB");
  sim::ReleaseShift({ssShift});
  EXPECT_EQ(Typed, "AB");
  sim::PressKey(VK_CAPITAL);
  Typed.clear();
  sim::TypeText("ab");
  EXPECT_EQ(Typed, "AB");
}

TEST_F(InputTest, DragsMoveInEvenSteps) {
  sim::Drag(Wnd, Point(10, 10), Point(50, 30), 4);
  ASSERT_GE(Moves.size(), 5u);
  std::vector<TPoint> last(Moves.end() - 4, Moves.end());
  EXPECT_EQ(last, (std::vector<TPoint>{Point(20, 15), Point(30, 20), Point(40, 25), Point(50, 30)}));
  TPoint cursor;
  GetCursorPos(cursor);
  EXPECT_EQ(cursor, Point(150, 130));
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
}

TEST_F(InputTest, AdvanceTimeFiresTimersAtTheirDueTimes) {
  SetTimer(Wnd, 1, 250, nullptr);
  SetTimer(Wnd, 2, 400, nullptr);
  sim::AdvanceTime(1000);
  EXPECT_EQ(Timers, (std::vector<std::string>{"1@250", "2@400", "1@500", "1@750", "2@800", "1@1000"}));
  EXPECT_EQ(GetTickCount() - Start, 1000u);
  Timers.clear();
  // A timer killed by a handler fires no more.
  SetWindowProc(Wnd, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_TIMER) {
      Timers.push_back(std::to_string(WP));
      KillTimer(W, WP);
    }
    return DefWindowProc(W, M, WP, LP);
  });
  sim::AdvanceTime(1000);
  EXPECT_EQ(Timers, (std::vector<std::string>{"2", "1"}));  // due at 1200 and 1250
  EXPECT_EQ(TimerCount(), 0);
}

}  // namespace
