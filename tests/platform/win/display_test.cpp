#include "platform/win/display.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win/input.h"

using namespace vcl;

namespace {

// A display that only writes down what it is told.
class RecordingDisplay : public TDisplay {
 public:
  std::map<HWND, std::string> Names;
  std::string Making;  // the name of the window being made
  std::vector<std::string> Heard;

  void WindowCreated(HWND Wnd) override {
    Names[Wnd] = Making;
    Add("created", Wnd);
  }
  void WindowDestroyed(HWND Wnd) override { Add("destroyed", Wnd); }
  void WindowPlaced(HWND Wnd) override { Add("placed", Wnd); }
  void ZOrderChanged() override { Heard.push_back("z-order"); }
  void PictureChanged(HWND Top) override { Add("picture", Top); }
  void CaptureChanged(HWND Wnd) override { Add("capture", Wnd); }
  void Flush() override {}
  bool WaitForInput(int) override { return false; }
  void ProcessInput() override {}

  bool Got(const std::string& What) const { return std::count(Heard.begin(), Heard.end(), What) > 0; }

 private:
  void Add(const std::string& What, HWND Wnd) {
    auto it = Names.find(Wnd);
    Heard.push_back(What + " " + (Wnd ? it != Names.end() ? it->second : "?" : "none"));
  }
};

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    SetDisplay(&Screen);
  }
  void TearDown() override {
    ResetWindowSystem();
    SetDisplay(nullptr);
  }
  HWND Make(const std::string& Name, DWORD Style, TRect R, HWND Parent = nullptr, DWORD ExStyle = 0) {
    Screen.Making = Name;
    HWND h = CreateWindowEx(ExStyle, "Test", Name, Style, R.Left, R.Top, R.Width(), R.Height(), Parent, 0,
                            [this, Name](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
                              if (M == WM_CHAR || M == WM_SYSCHAR || M == WM_SYSCOMMAND)
                                Log.push_back(Name + ":" +
                                              (M == WM_CHAR      ? "CHAR "
                                               : M == WM_SYSCHAR ? "SYSCHAR "
                                                                 : "SYSCOMMAND ") +
                                              std::to_string(WP));
                              return DefWindowProc(W, M, WP, LP);
                            });
    Screen.Names[h] = Name;
    return h;
  }

  RecordingDisplay Screen;
  std::vector<std::string> Log;
};

TEST_F(DisplayTest, TheDisplayHearsWhatChangesOnTheScreen) {
  HWND top = Make("top", WS_VISIBLE | WS_CAPTION, Bounds(10, 10, 200, 100));
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, Bounds(5, 5, 50, 20), top);
  EXPECT_TRUE(Screen.Got("created top"));
  EXPECT_FALSE(Screen.Got("created child"));  // a child shows in its top-level window's picture
  sim::ProcessMessages();

  struct Step {
    const char* What;
    std::function<void()> Do;
    const char* Heard;
  };
  const Step steps[] = {
      {"a child moves", [&] { MoveWindow(child, 8, 8, 50, 20, true); }, "picture top"},
      {"a child is to be painted", [&] { InvalidateRect(child, nullptr, true); }, "picture top"},
      {"a window moves", [&] { MoveWindow(top, 20, 20, 200, 100, true); }, "placed top"},
      {"a window is hidden", [&] { ShowWindow(top, SW_HIDE); }, "placed top"},
      {"a window is shown", [&] { ShowWindow(top, SW_SHOWNOACTIVATE); }, "placed top"},
      {"the caption changes", [&] { SetWindowText(top, "Top"); }, "picture top"},
      {"the mouse is captured", [&] { SetCapture(child); }, "capture child"},
      {"the mouse is released", [&] { ReleaseCapture(); }, "capture none"},
      {"another window comes in front",
       [&] { Make("other", WS_VISIBLE | WS_CAPTION, Bounds(50, 50, 100, 100)); }, "z-order"},
      {"a window goes", [&] { DestroyWindow(top); }, "destroyed top"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.What);
    Screen.Heard.clear();
    s.Do();
    EXPECT_TRUE(Screen.Got(s.Heard));
  }
  EXPECT_FALSE(Screen.Got("destroyed child"));
}

TEST_F(DisplayTest, PopUpsAreCaptionlessToolWindowsAndOwnedPopUps) {
  HWND form = Make("form", WS_VISIBLE | WS_CAPTION | WS_SYSMENU, Bounds(10, 10, 200, 100));
  HWND edit = Make("edit", WS_CHILD | WS_VISIBLE, Bounds(5, 5, 50, 20), form);
  struct Case {
    const char* What;
    DWORD Style, ExStyle;
    HWND Owner;
    bool Popup;
  };
  const Case cases[] = {
      {"a hint", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, nullptr, true},
      {"a drop-down list owned by a control", WS_POPUP | WS_BORDER, 0, edit, true},
      {"a drop-down list owned by a form", WS_POPUP, 0, form, true},
      {"a form without a border", WS_POPUP, 0, nullptr, false},
      {"a tool window with a caption", WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, nullptr, false},
      {"an owned dialog", WS_POPUP | WS_CAPTION, 0, form, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    EXPECT_EQ(IsPopupWindow(Make(c.What, c.Style, Bounds(0, 0, 10, 10), c.Owner, c.ExStyle)), c.Popup);
  }
  EXPECT_FALSE(IsPopupWindow(edit));
  EXPECT_FALSE(IsPopupWindow(form));
}

TEST_F(DisplayTest, AKeyboardsOwnCharacterWinsOverTheUsLayout) {
  HWND form = Make("form", WS_VISIBLE | WS_CAPTION, Bounds(10, 10, 200, 100));
  sim::ProcessMessages();
  InputTypedKey('Z', 'y');  // the key of Z types y on a German keyboard
  InputKey('Z', false);
  InputShiftState({ssAlt});
  InputTypedKey('E', '\x80');
  InputShiftState({});
  InputKey('Q', true);  // and a key without a character of its own types as on a US keyboard
  sim::ProcessMessages();
  EXPECT_EQ(Log, (std::vector<std::string>{"form:CHAR 121", "form:SYSCHAR 128", "form:CHAR 113"}));
  EXPECT_GE(GetKeyState(VK_MENU), 0);  // Alt went up again
  InputClose(form);
  sim::ProcessMessages();
  EXPECT_FALSE(IsWindow(form));
}

}  // namespace
