#include "platform/win/window_system.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win/input.h"

using namespace vcl;

namespace {

const std::map<UINT, std::string>& Names() {
  static const std::map<UINT, std::string> names = {
      {WM_CREATE, "CREATE"},
      {WM_DESTROY, "DESTROY"},
      {WM_NCDESTROY, "NCDESTROY"},
      {WM_SETFOCUS, "SETFOCUS"},
      {WM_KILLFOCUS, "KILLFOCUS"},
      {WM_ACTIVATE, "ACTIVATE"},
      {WM_TIMER, "TIMER"},
      {WM_PAINT, "PAINT"},
      {WM_ERASEBKGND, "ERASEBKGND"},
      {WM_KEYDOWN, "KEYDOWN"},
      {WM_KEYUP, "KEYUP"},
      {WM_CHAR, "CHAR"},
      {WM_SYSKEYDOWN, "SYSKEYDOWN"},
      {WM_SYSKEYUP, "SYSKEYUP"},
      {WM_SYSCHAR, "SYSCHAR"},
      {WM_SYSCOMMAND, "SYSCOMMAND"},
      {WM_LBUTTONDOWN, "LDOWN"},
      {WM_LBUTTONUP, "LUP"},
      {WM_LBUTTONDBLCLK, "LDBL"},
      {WM_RBUTTONDOWN, "RDOWN"},
      {WM_RBUTTONUP, "RUP"},
      {WM_MOUSEMOVE, "MOVE"},
      {WM_MOUSEWHEEL, "WHEEL"},
      {WM_NCLBUTTONDOWN, "NCLDOWN"},
      {WM_NCLBUTTONUP, "NCLUP"},
      {WM_NCMOUSEMOVE, "NCMOVE"},
      {WM_MOUSEACTIVATE, "MOUSEACTIVATE"},
      {WM_CANCELMODE, "CANCELMODE"},
      {WM_VSCROLL, "VSCROLL"},
      {WM_CAPTURECHANGED, "CAPTURECHANGED"},
      {WM_CONTEXTMENU, "CONTEXTMENU"},
      {WM_USER, "USER"},
      {WM_USER + 1, "USER1"},
  };
  return names;
}

// Windows whose procedure records "name:MESSAGE" for the messages the tests look at.
class WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetWindowSystem(); }
  void TearDown() override {
    SetDispatchExceptionHandler(nullptr);
    ResetWindowSystem();
  }

  HWND Make(const std::string& Name, DWORD Style, TRect R, HWND Parent = nullptr,
            UINT ClassStyle = CS_DBLCLKS, DWORD ExStyle = 0) {
    HWND h = CreateWindowEx(
        ExStyle, "Test", Name, Style, R.Left, R.Top, R.Width(), R.Height(), Parent, ClassStyle,
        [this, Name](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT { return Proc(Name, W, M, WP, LP); });
    return h;
  }
  HWND Top(const std::string& Name, TRect R, DWORD Extra = 0) {
    return Make(Name, WS_VISIBLE | WS_CAPTION | WS_SYSMENU | Extra, R);
  }
  HWND Child(const std::string& Name, HWND Parent, TRect R, DWORD Extra = 0, UINT ClassStyle = CS_DBLCLKS) {
    return Make(Name, WS_CHILD | WS_VISIBLE | Extra, R, Parent, ClassStyle);
  }

  LRESULT Proc(const std::string& Name, HWND W, UINT M, WPARAM WP, LPARAM LP) {
    auto it = Names().find(M);
    if (it != Names().end() && ((M != WM_MOUSEMOVE && M != WM_NCMOUSEMOVE) || LogMoves)) {
      std::string item = Name + ":" + it->second;
      if (M == WM_VSCROLL) item += "(" + std::to_string(LOWORD(WP)) + "," + std::to_string(HIWORD(WP)) + ")";
      if (M == WM_CHAR || M == WM_SYSCHAR || M == WM_KEYDOWN || M == WM_SYSKEYDOWN)
        item += "(" + std::to_string(WP) + ")";
      Log.push_back(item);
    }
    if (M == WM_MOUSEACTIVATE && MouseActivate.count(Name)) return MouseActivate[Name];
    if (M == WM_USER && Throw) throw std::runtime_error("boom");
    if (M == WM_PAINT && !ValidateInPaint) return 0;
    return DefWindowProc(W, M, WP, LP);
  }

  // Runs the loop (first paints, activation) and forgets what it logged.
  void Settle() {
    sim::ProcessMessages();
    Log.clear();
  }

  std::string Take() {
    std::string s;
    for (auto& i : Log) s += (s.empty() ? "" : " ") + i;
    Log.clear();
    return s;
  }

  std::vector<std::string> Log;
  std::map<std::string, LRESULT> MouseActivate;
  bool LogMoves = false;
  bool Throw = false;
  bool ValidateInPaint = true;
};

// ---- windows --------------------------------------------------------------------------------

TEST_F(WindowSystemTest, DestroyingAWindowDestroysItsChildrenAndOwnedWindowsAndInvalidatesHandles) {
  HWND top = Top("top", Bounds(10, 10, 200, 100));
  HWND child = Child("child", top, Bounds(5, 5, 50, 20));
  HWND owned = Make("owned", WS_POPUP | WS_VISIBLE, Bounds(300, 300, 50, 50), top);
  Take();
  EXPECT_EQ(GetParent(child), top);
  EXPECT_EQ(GetParent(owned), top);
  EXPECT_TRUE(IsChild(top, child));
  EXPECT_FALSE(IsChild(top, owned));
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_EQ(Take(),
            "owned:KILLFOCUS owned:DESTROY owned:NCDESTROY top:DESTROY child:DESTROY child:NCDESTROY "
            "top:NCDESTROY");
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(owned));
  EXPECT_FALSE(DestroyWindow(top));
  EXPECT_EQ(SendMessage(child, WM_USER, 0, 0), 0);
  EXPECT_EQ(WindowCount(), 0);
}

TEST_F(WindowSystemTest, RectanglesFollowStylesAndTheScrollBar) {
  HWND top = Make("top", WS_VISIBLE | WS_POPUP, Bounds(100, 50, 300, 200));
  HWND bordered = Child("b", top, Bounds(10, 20, 100, 60), WS_BORDER);
  HWND edged = Make("e", WS_CHILD | WS_VISIBLE, Bounds(0, 0, 100, 60), top, 0, WS_EX_CLIENTEDGE);
  TRect r;
  ASSERT_TRUE(GetWindowRect(bordered, r));
  EXPECT_EQ(r, Bounds(110, 70, 100, 60));
  GetClientRect(bordered, r);
  EXPECT_EQ(r, Rect(0, 0, 98, 58));
  GetClientRect(edged, r);
  EXPECT_EQ(r, Rect(0, 0, 96, 56));
  TPoint p{0, 0};
  ClientToScreen(bordered, p);
  EXPECT_EQ(p, Point(111, 71));
  ScreenToClient(bordered, p);
  EXPECT_EQ(p, Point(0, 0));

  TRect adj{0, 0, 10, 10};
  AdjustWindowRectEx(adj, WS_BORDER, false, WS_EX_CLIENTEDGE);
  EXPECT_EQ(adj, Rect(-3, -3, 13, 13));
  adj = TRect{0, 0, 10, 10};
  AdjustWindowRectEx(adj, WS_CAPTION, false, 0);
  EXPECT_EQ(adj, Rect(-3, -21, 13, 13));

  // The scroll bar takes SM_CXVSCROLL from the client while its range is not empty.
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = 9;
  si.nPage = 5;
  SetScrollInfo(bordered, SB_VERT, si, true);
  EXPECT_TRUE(GetWindowLong(bordered, GWL_STYLE) & WS_VSCROLL);
  GetClientRect(bordered, r);
  EXPECT_EQ(r.Width(), 98 - GetSystemMetrics(SM_CXVSCROLL));
  si.nPage = 10;
  SetScrollInfo(bordered, SB_VERT, si, true);
  EXPECT_FALSE(GetWindowLong(bordered, GWL_STYLE) & WS_VSCROLL);
  GetClientRect(bordered, r);
  EXPECT_EQ(r.Width(), 98);
  SetScrollRange(bordered, SB_VERT, 0, 0, true);
  EXPECT_FALSE(GetWindowLong(bordered, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(WindowSystemTest, ScrollPositionStaysInsideTheRange) {
  HWND top = Make("top", WS_VISIBLE | WS_POPUP, Bounds(0, 0, 100, 100));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 20;
  si.nPage = 6;
  si.nPos = 30;
  EXPECT_EQ(SetScrollInfo(top, SB_VERT, si, false), 15);
  EXPECT_EQ(SetScrollPos(top, SB_VERT, -4, false), 15);
  EXPECT_EQ(GetScrollPos(top, SB_VERT), 0);
  int mn = -1, mx = -1;
  EXPECT_TRUE(GetScrollRange(top, SB_VERT, mn, mx));
  EXPECT_EQ(mn, 0);
  EXPECT_EQ(mx, 20);
  SCROLLINFO out;
  out.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(top, SB_VERT, out));
  EXPECT_EQ(out.nPage, 6u);
  EXPECT_EQ(out.nTrackPos, 0);
  // Redrawing the bar is no repaint of the client area: a paint that sets the position
  // does not paint again.
  int paints = 0;
  SetWindowProc(top, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    LRESULT r = DefWindowProc(W, M, WP, LP);
    if (M == WM_PAINT && ++paints < 5) SetScrollPos(W, SB_VERT, 3, true);
    return r;
  });
  sim::ProcessMessages();
  paints = 0;
  SetScrollPos(top, SB_VERT, 2, true);
  EXPECT_FALSE(GetUpdateRect(top, nullptr, false));
  InvalidateRect(top, nullptr, false);
  sim::ProcessMessages();
  EXPECT_EQ(paints, 1);
}

TEST_F(WindowSystemTest, HitTestingNamesTheParts) {
  HWND top = Make("top", WS_VISIBLE | WS_CAPTION | WS_SYSMENU, Bounds(100, 100, 200, 150));
  HWND list = Child("list", top, Bounds(10, 10, 100, 80), WS_BORDER | WS_VSCROLL);
  auto hit = [](HWND h, int x, int y) { return SendMessage(h, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
  EXPECT_EQ(hit(top, 150, 110), HTCAPTION);
  EXPECT_EQ(hit(top, 106, 110), HTSYSMENU);
  EXPECT_EQ(hit(top, 101, 200), HTBORDER);
  EXPECT_EQ(hit(top, 50, 50), HTNOWHERE);
  TRect r;
  GetWindowRect(list, r);
  EXPECT_EQ(hit(list, r.Left + 5, r.Top + 5), HTCLIENT);
  EXPECT_EQ(hit(list, r.Right - 5, r.Top + 30), HTVSCROLL);
  EXPECT_EQ(hit(list, r.Left, r.Top + 30), HTBORDER);
  EXPECT_EQ(WindowFromPoint(Point(r.Left + 5, r.Top + 5)), list);
  EXPECT_EQ(WindowFromPoint(Point(150, 110)), top);
  EXPECT_EQ(WindowFromPoint(Point(5, 5)), nullptr);
  EnableWindow(list, false);
  EXPECT_EQ(WindowFromPoint(Point(r.Left + 5, r.Top + 5)), top);
}

TEST_F(WindowSystemTest, SetWindowPosMovesShowsHidesAndOrders) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  HWND b = Top("b", Bounds(50, 50, 100, 100));
  EXPECT_EQ(GetActiveWindow(), b);
  HWND popup = Make("popup", WS_POPUP, Bounds(0, 0, 10, 10), a);
  EXPECT_FALSE(IsWindowVisible(popup));
  SetWindowPos(popup, HWND_TOP, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetTopLevelWindows().front(), popup);
  TRect r;
  GetWindowRect(popup, r);
  EXPECT_EQ(r, Bounds(300, 200, 10, 10));
  SetWindowPos(popup, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  EXPECT_FALSE(IsWindowVisible(popup));
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(WindowFromPoint(Point(60, 60)), a);
  HWND child = Child("c", b, Bounds(0, 0, 10, 10));
  ShowWindow(b, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_EQ(GetActiveWindow(), a);
}

TEST_F(WindowSystemTest, OwnedWindowsStayInFrontOfTheirOwner) {
  HWND form = Top("form", Bounds(0, 0, 300, 300));
  HWND combo = Child("combo", form, Bounds(10, 10, 100, 20));
  HWND popup = Make("popup", WS_POPUP | WS_BORDER, Bounds(10, 40, 100, 100), combo);
  SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  HWND other = Top("other", Bounds(0, 0, 300, 300));  // covers both and becomes active
  EXPECT_EQ(WindowFromPoint(Point(20, 60)), other);
  SetActiveWindow(form);  // the owner comes back to the front with what it owns
  EXPECT_EQ(GetTopLevelWindows(), (std::vector<HWND>{popup, form, other}));
  EXPECT_EQ(WindowFromPoint(Point(20, 60)), popup);
  SetWindowPos(form, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetTopLevelWindows(), (std::vector<HWND>{popup, form, other}));
}

TEST_F(WindowSystemTest, AToolWindowIsNeverActivatedWhenTheActiveWindowGoes) {
  HWND b = Top("b", Bounds(0, 0, 300, 300));
  HWND a = Top("a", Bounds(0, 0, 300, 300));
  HWND tip =
      Make("tip", WS_POPUP | WS_BORDER, Bounds(10, 10, 50, 20), nullptr, 0, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_EQ(GetActiveWindow(), a);
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b);
  DestroyWindow(b);  // only the tool window is left: nothing is active
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
}

// ---- messages and the queue -----------------------------------------------------------------

TEST_F(WindowSystemTest, PeekMessageFiltersAndWmQuitComesWhateverTheFilter) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  HWND b = Top("b", Bounds(0, 0, 100, 100));
  PostMessage(a, WM_USER, 1, 0);
  PostMessage(b, WM_CHAR, 'x', 0);
  PostMessage(a, WM_CHAR, 'y', 0);
  MSG m;
  ASSERT_TRUE(PeekMessage(m, a, WM_CHAR, WM_CHAR, PM_NOREMOVE));
  EXPECT_EQ(m.wParam, 'y');
  ASSERT_TRUE(PeekMessage(m, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE));
  EXPECT_EQ(m.hwnd, b);
  EXPECT_FALSE(PeekMessage(m, b, WM_USER, WM_USER, PM_REMOVE));
  PostQuitMessage(0);
  ASSERT_TRUE(PeekMessage(m, b, WM_CHAR, WM_CHAR, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_USER));
  // A posted WM_QUIT also passes any filter; re-posting it keeps it for the loop.
  PostMessage(nullptr, WM_QUIT, 0, 0);
  ASSERT_TRUE(PeekMessage(m, a, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_CHAR));
  EXPECT_FALSE(PeekMessage(m, nullptr, WM_KEYFIRST, WM_USER, PM_REMOVE));
}

TEST_F(WindowSystemTest, PostedMessagesComeInOrderAndCarryTheirTime) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  sim::ProcessMessages();
  Take();
  PostMessage(a, WM_USER, 0, 0);
  DWORD t0 = GetTickCount();
  AdvanceClock(40);
  PostMessage(a, WM_USER + 1, 0, 0);
  EXPECT_EQ(Take(), "");  // nothing is delivered before the loop runs
  MSG m;
  ASSERT_TRUE(PeekMessage(m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessageTime(), t0);
  DispatchMessage(m);
  sim::ProcessMessages();
  EXPECT_EQ(GetMessageTime(), t0 + 40);
  EXPECT_EQ(Take(), "a:USER a:USER1");
}

TEST_F(WindowSystemTest, PaintComesAfterPostedMessagesAndEraseWhenAsked) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  sim::ProcessMessages();
  Take();
  InvalidateRect(a, nullptr, false);
  PostMessage(a, WM_USER, 0, 0);
  sim::ProcessMessages();
  EXPECT_EQ(Take(), "a:USER a:PAINT");
  TRect part{10, 10, 20, 20};
  InvalidateRect(a, &part, true);
  TRect upd;
  EXPECT_TRUE(GetUpdateRect(a, &upd, false));
  EXPECT_EQ(upd, part);
  UpdateWindow(a);
  EXPECT_EQ(Take(), "a:PAINT a:ERASEBKGND");
  EXPECT_FALSE(GetUpdateRect(a, nullptr, false));
  UpdateWindow(a);
  EXPECT_EQ(Take(), "");
  // Hidden windows are not painted; a window that does not validate is painted once.
  ShowWindow(a, SW_HIDE);
  InvalidateRect(a, nullptr, true);
  sim::ProcessMessages();
  EXPECT_EQ(Take(), "a:ACTIVATE a:KILLFOCUS");  // the last window went: the focus with it
  ShowWindow(a, SW_SHOW);
  ValidateInPaint = false;
  sim::ProcessMessages();
  EXPECT_EQ(Take(), "a:ACTIVATE a:SETFOCUS a:PAINT");
  EXPECT_EQ(PaintCount(a), 4);
}

TEST_F(WindowSystemTest, AnInvalidationWhilePaintingPaintsAgain) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  Settle();
  int paints = 0;
  SetWindowProc(a, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M != WM_PAINT) return DefWindowProc(W, M, WP, LP);
    ++paints;
    PAINTSTRUCT ps;
    BeginPaint(W, ps);
    if (paints == 1) InvalidateRect(W, nullptr, false);  // something changed while drawing
    EndPaint(W, ps);
    return 0;
  });
  InvalidateRect(a, nullptr, false);
  sim::ProcessMessages();
  EXPECT_EQ(paints, 2);
  EXPECT_FALSE(GetUpdateRect(a, nullptr, false));
  paints = 0;
  InvalidateRect(a, nullptr, false);
  UpdateWindow(a);
  EXPECT_EQ(paints, 1);
  EXPECT_TRUE(GetUpdateRect(a, nullptr, false));  // the next round of messages paints it
  sim::ProcessMessages();
  EXPECT_EQ(paints, 2);
}

TEST_F(WindowSystemTest, ExceptionsFromWindowProceduresGoToTheHandler) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  Settle();
  Throw = true;
  std::vector<std::string> caught;
  SetDispatchExceptionHandler([&](std::exception_ptr e) {
    try {
      std::rethrow_exception(e);
    } catch (const std::exception& ex) {
      caught.push_back(ex.what());
    }
  });
  PostMessage(a, WM_USER, 0, 0);
  PostMessage(a, WM_USER + 1, 0, 0);
  sim::ProcessMessages();
  EXPECT_EQ(caught, std::vector<std::string>{"boom"});
  EXPECT_EQ(Log.back(), "a:USER1");  // the loop went on
  SetDispatchExceptionHandler(nullptr);
  PostMessage(a, WM_USER, 0, 0);
  EXPECT_THROW(sim::ProcessMessages(), std::runtime_error);
  MSG m;
  EXPECT_FALSE(PeekMessage(m, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
}

// ---- timers ---------------------------------------------------------------------------------

TEST_F(WindowSystemTest, TimersFireOnlyWhileMessagesAreProcessedInOrderOfDueTime) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  sim::ProcessMessages();
  Take();
  std::vector<std::uintptr_t> fired;
  SetWindowProc(a, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_TIMER) fired.push_back(WP);
    return DefWindowProc(W, M, WP, LP);
  });
  SetTimer(a, 1, 300, nullptr);
  SetTimer(a, 2, 100, nullptr);
  SetTimer(a, 3, 5, nullptr);  // counts as 10 ms
  AdvanceClock(1000);
  EXPECT_TRUE(fired.empty());
  sim::ProcessMessages();  // all due: earliest first, each once
  EXPECT_EQ(fired, (std::vector<std::uintptr_t>{3, 2, 1}));
  fired.clear();
  KillTimer(a, 3);
  sim::AdvanceTime(300);
  EXPECT_EQ(fired, (std::vector<std::uintptr_t>{2, 2, 1, 2}));  // a tie goes to the older timer
  fired.clear();
  // Setting a running id again restarts it.
  sim::AdvanceTime(250);
  EXPECT_EQ(fired, (std::vector<std::uintptr_t>{2, 2}));
  fired.clear();
  SetTimer(a, 1, 300, nullptr);
  sim::AdvanceTime(100);
  EXPECT_EQ(fired, (std::vector<std::uintptr_t>{2}));
  fired.clear();
  sim::AdvanceTime(200);
  EXPECT_EQ(fired, (std::vector<std::uintptr_t>{2, 2, 1}));
  EXPECT_TRUE(IsTimerRunning(a, 1));
  EXPECT_TRUE(KillTimer(a, 1));
  EXPECT_FALSE(KillTimer(a, 1));
  EXPECT_FALSE(IsTimerRunning(a, 1));
  ResetWindowSystem();  // the procedures above use this test's locals
}

// ---- focus, activation, capture -------------------------------------------------------------

TEST_F(WindowSystemTest, FocusChangesSendKillThenSetWithTheOtherWindow) {
  HWND top = Top("top", Bounds(0, 0, 200, 200));
  HWND a = Child("a", top, Bounds(0, 0, 50, 50));
  HWND b = Child("b", top, Bounds(60, 0, 50, 50));
  std::vector<std::pair<UINT, WPARAM>> seen;
  auto spy = [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_SETFOCUS || M == WM_KILLFOCUS) seen.emplace_back(M, WP);
    return DefWindowProc(W, M, WP, LP);
  };
  SetWindowProc(a, spy);
  SetWindowProc(b, spy);
  SetFocus(a);
  seen.clear();
  EXPECT_EQ(SetFocus(b), a);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(WM_KILLFOCUS, reinterpret_cast<WPARAM>(b)));
  EXPECT_EQ(seen[1], std::make_pair(WM_SETFOCUS, reinterpret_cast<WPARAM>(a)));
  seen.clear();
  SetFocus(b);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(GetFocus(), b);
  ResetWindowSystem();  // the procedures above use this test's locals
}

TEST_F(WindowSystemTest, DestroyingAWindowLeavesNoFocusCaptureTimersOrMessages) {
  HWND top = Top("top", Bounds(0, 0, 200, 200));
  HWND a = Child("a", top, Bounds(0, 0, 50, 50));
  HWND inner = Child("inner", a, Bounds(0, 0, 10, 10));
  SetFocus(inner);
  SetCapture(a);
  SetTimer(inner, 7, 100, nullptr);
  PostMessage(inner, WM_USER, 0, 0);
  Take();
  DestroyWindow(a);
  EXPECT_EQ(Take(), "inner:KILLFOCUS a:CAPTURECHANGED a:DESTROY inner:DESTROY inner:NCDESTROY a:NCDESTROY");
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(TimerCount(), 0);
  MSG m;
  EXPECT_FALSE(PeekMessage(m, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
  // The active window going activates the next one.
  HWND other = Top("other", Bounds(0, 0, 10, 10));
  SetActiveWindow(top);
  DestroyWindow(top);
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(WindowSystemTest, ActivationMovesTheFocusIntoTheActivatedWindow) {
  HWND a = Top("a", Bounds(0, 0, 100, 100));
  HWND b = Top("b", Bounds(200, 0, 100, 100));
  HWND bc = Child("bc", b, Bounds(0, 0, 10, 10));
  SetFocus(bc);
  Take();
  SetActiveWindow(a);
  EXPECT_EQ(Take(), "b:ACTIVATE a:ACTIVATE bc:KILLFOCUS a:SETFOCUS");
  // Focusing a window of an inactive top-level window activates it first.
  SetFocus(bc);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), bc);
  EXPECT_EQ(Take(), "a:ACTIVATE b:ACTIVATE a:KILLFOCUS b:SETFOCUS b:KILLFOCUS bc:SETFOCUS");
}

TEST_F(WindowSystemTest, TheCapturingWindowGetsEveryMouseMessageUntilItReleases) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND a = Child("a", top, Bounds(10, 10, 50, 50));
  HWND b = Child("b", top, Bounds(100, 10, 50, 50));
  sim::ProcessMessages();
  LogMoves = true;
  SetCapture(a);
  Take();
  sim::MouseMove(sim::ScreenPoint(b, Point(5, 5)));
  sim::Click(Point(500, 500));  // even off every window
  EXPECT_EQ(Take(), "a:MOVE a:MOVE a:LDOWN a:LUP");
  MSG m;
  SendMessage(a, WM_CANCELMODE, 0, 0);  // the default handling lets go
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Take(), "a:CANCELMODE a:CAPTURECHANGED");
  sim::Click(b, Point(5, 5));
  EXPECT_EQ(Take(), "b:MOVE b:LDOWN b:LUP");
  (void)m;
}

// ---- hooks ----------------------------------------------------------------------------------

TEST_F(WindowSystemTest, MouseHooksSeeEveryMouseMessageFirstAndCanEatIt) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND a = Child("a", top, Bounds(10, 10, 50, 50), WS_BORDER);
  sim::ProcessMessages();
  std::vector<std::string> seen;
  bool eat = false;
  HHOOK hook = nullptr;
  hook = SetWindowsHookExA(
      WH_MOUSE,
      [&](int Code, WPARAM WP, LPARAM LP) -> LRESULT {
        auto* hs = reinterpret_cast<MOUSEHOOKSTRUCT*>(LP);
        std::string who = hs->hwnd == a ? "a" : hs->hwnd == top ? "top" : "?";
        seen.push_back(Names().at(static_cast<UINT>(WP)) + "@" + who + "/" +
                       std::to_string(hs->wHitTestCode));
        Log.push_back("hook");
        if (eat) return 1;
        return CallNextHookEx(hook, Code, WP, LP);
      },
      nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  EXPECT_EQ(HookCount(), 1);
  Take();
  sim::Click(a, Point(5, 5));
  EXPECT_EQ(seen, (std::vector<std::string>{"MOVE@a/1", "LDOWN@a/1", "LUP@a/1"}));
  EXPECT_EQ(Take(), "hook hook a:LDOWN hook a:LUP");
  seen.clear();
  TRect r;
  GetWindowRect(a, r);
  sim::Click(Point(r.Left, r.Top + 5));  // on the border
  EXPECT_EQ(seen, (std::vector<std::string>{"NCMOVE@a/18", "NCLDOWN@a/18", "NCLUP@a/18"}));
  Take();
  eat = true;
  sim::Click(a, Point(6, 6));
  EXPECT_EQ(Take(), "hook hook hook");
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
  EXPECT_FALSE(UnhookWindowsHookEx(hook));
  seen.clear();
  sim::AdvanceTime(1000);
  sim::Click(a, Point(7, 7));
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(Take(), "a:LDOWN a:LUP");
}

TEST_F(WindowSystemTest, CallNextHookExReachesTheOlderHook) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  std::vector<int> order;
  HHOOK first = SetWindowsHookExA(
      WH_MOUSE,
      [&](int, WPARAM, LPARAM) -> LRESULT {
        order.push_back(1);
        return 0;
      },
      nullptr, 0);
  HHOOK second = nullptr;
  second = SetWindowsHookExA(
      WH_MOUSE,
      [&](int C, WPARAM W, LPARAM L) -> LRESULT {
        order.push_back(2);
        return CallNextHookEx(second, C, W, L);
      },
      nullptr, 0);
  sim::MouseDown(top, Point(5, 5));
  EXPECT_EQ(order, (std::vector<int>{2, 1, 2, 1}));
  EXPECT_EQ(CallNextHookEx(first, HC_ACTION, 0, 0), 0);
  UnhookWindowsHookEx(first);
  UnhookWindowsHookEx(second);
}

TEST_F(WindowSystemTest, APopupThatAnswersNoActivateNeverBecomesActive) {
  HWND form = Top("form", Bounds(0, 0, 300, 300));
  HWND edit = Child("edit", form, Bounds(10, 10, 100, 20));
  SetFocus(edit);
  HWND popup = Make("popup", WS_POPUP | WS_BORDER, Bounds(10, 40, 100, 100), form);
  SetWindowPos(popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_EQ(GetActiveWindow(), form);
  MouseActivate["popup"] = MA_NOACTIVATE;
  Settle();
  sim::Click(popup, Point(5, 5));
  EXPECT_EQ(Take(), "popup:MOUSEACTIVATE popup:LDOWN popup:LUP");
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetFocus(), edit);
  // A press on an inactive window that activates: asked first, then activated.
  HWND other = Top("other", Bounds(400, 0, 100, 100));
  SetActiveWindow(form);
  Settle();
  sim::MouseDown(other, Point(5, 5));
  EXPECT_EQ(Take(),
            "other:MOUSEACTIVATE form:ACTIVATE other:ACTIVATE form:KILLFOCUS other:SETFOCUS other:LDOWN");
  MouseActivate["other"] = MA_NOACTIVATEANDEAT;
  sim::MouseUp(other, Point(5, 5));
  SetActiveWindow(form);
  Take();
  sim::MouseDown(other, Point(6, 6));
  EXPECT_EQ(Take(), "other:MOUSEACTIVATE");
  EXPECT_EQ(GetActiveWindow(), form);
}

// ---- scroll bar -----------------------------------------------------------------------------

TEST_F(WindowSystemTest, TheScrollBarScrollsByLinePageAndThumb) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND list = Child("list", top, Bounds(10, 10, 100, 116), WS_BORDER);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 100;
  si.nPage = 0;
  si.nPos = 50;
  SetScrollInfo(list, SB_VERT, si, true);
  TScrollBarLayout l;
  ASSERT_TRUE(GetScrollBarLayout(list, l));
  EXPECT_EQ(l.Bar, Rect(83, 1, 99, 115));
  EXPECT_EQ(l.UpArrow, Rect(83, 1, 99, 17));
  EXPECT_EQ(l.DownArrow, Rect(83, 99, 99, 115));
  EXPECT_EQ(l.Thumb.Height(), 16);
  TRect wr;
  GetWindowRect(list, wr);
  auto at = [&](TPoint p) { return Point(wr.Left + p.X, wr.Top + p.Y); };
  sim::ProcessMessages();
  Take();
  sim::Click(at(Point(90, 5)));
  sim::AdvanceTime(1000);
  sim::Click(at(Point(90, 110)));
  sim::AdvanceTime(1000);
  sim::Click(at(Point(90, 20)));
  sim::AdvanceTime(1000);
  sim::Click(at(Point(90, 95)));
  EXPECT_EQ(Take(),
            "list:NCLDOWN list:VSCROLL(0,0) list:CAPTURECHANGED list:VSCROLL(8,0) "
            "list:NCLDOWN list:VSCROLL(1,0) list:CAPTURECHANGED list:VSCROLL(8,0) "
            "list:NCLDOWN list:VSCROLL(2,0) list:CAPTURECHANGED list:VSCROLL(8,0) "
            "list:NCLDOWN list:VSCROLL(3,0) list:CAPTURECHANGED list:VSCROLL(8,0)");
  // Dragging the thumb: tracked positions while dragging, then the final one.
  sim::AdvanceTime(1000);
  TPoint thumb{90, l.Thumb.Top + 4};
  sim::MouseDown(at(thumb));
  EXPECT_EQ(GetCapture(), list);
  SCROLLINFO track;
  track.fMask = SIF_TRACKPOS | SIF_POS;
  sim::MouseMove(at(Point(90, 99 - 12)));  // the thumb's bottom at the track's end
  GetScrollInfo(list, SB_VERT, track);
  EXPECT_EQ(track.nTrackPos, 100);
  EXPECT_EQ(track.nPos, 50);  // the window sets the position itself
  sim::MouseMove(at(Point(90, 17 + 4)));
  sim::MouseUp(at(Point(90, 17 + 4)));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Take(),
            "list:NCLDOWN list:VSCROLL(5,50) list:VSCROLL(5,100) list:VSCROLL(5,0) list:CAPTURECHANGED "
            "list:VSCROLL(4,0) list:VSCROLL(8,0)");
}

TEST_F(WindowSystemTest, AHeldArrowOrTrackScrollsAgainUntilReleased) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND list = Child("list", top, Bounds(0, 0, 100, 100));
  int lines = 0, pages = 0;
  SetWindowProc(list, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_VSCROLL && LOWORD(WP) == SB_LINEDOWN) ++lines;
    if (M == WM_VSCROLL && LOWORD(WP) == SB_PAGEDOWN) {
      ++pages;
      SetScrollPos(W, SB_VERT, GetScrollPos(W, SB_VERT) + 10, true);  // the window scrolls
    }
    return DefWindowProc(W, M, WP, LP);
  });
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMax = 99;
  si.nPage = 10;
  SetScrollInfo(list, SB_VERT, si, true);
  Settle();
  sim::MouseDown(list, Point(90, 90));  // the down arrow
  EXPECT_EQ(lines, 1);
  sim::AdvanceTime(249);
  EXPECT_EQ(lines, 1);
  sim::AdvanceTime(1);
  EXPECT_EQ(lines, 2);
  sim::AdvanceTime(100);
  EXPECT_EQ(lines, 4);
  sim::MouseMove(list, Point(50, 50));  // off the arrow: no more, though still pressed
  sim::AdvanceTime(100);
  EXPECT_EQ(lines, 4);
  sim::MouseUp(list, Point(50, 50));
  sim::AdvanceTime(1000);
  EXPECT_EQ(lines, 4);
  EXPECT_EQ(GetCapture(), nullptr);
  // The track pages until the thumb comes under the pointer.
  sim::MouseDown(list, Point(90, 60));
  sim::AdvanceTime(2000);
  sim::MouseUp(list, Point(90, 60));
  TScrollBarLayout l;
  GetScrollBarLayout(list, l);
  EXPECT_LE(l.Thumb.Top, 60);
  EXPECT_GT(l.Thumb.Bottom, 60 - 16);
  EXPECT_GE(pages, 2);
  EXPECT_LT(pages, 9);
  ResetWindowSystem();  // the procedures above use this test's locals
}

TEST_F(WindowSystemTest, TheBarLayoutFollowsTheTrackedThumbAndCanStayDisabled) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND list = Child("list", top, Bounds(0, 0, 100, 100));
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = 0;
  si.nMax = 9;
  si.nPage = 4;
  si.nPos = 0;
  SetScrollInfo(list, SB_VERT, si, true);
  TScrollBarLayout l;
  ASSERT_TRUE(GetScrollBarLayout(list, l));
  EXPECT_EQ(l.Thumb, Rect(84, 16, 100, 16 + 27));  // 68 px of track, 4 of 10 rows
  EXPECT_FALSE(l.Tracking);
  Settle();
  sim::MouseDown(list, Point(90, 20));  // client points beyond the client area are on the bar
  sim::MouseMove(list, Point(90, 61));
  ASSERT_TRUE(GetScrollBarLayout(list, l));
  EXPECT_TRUE(l.Tracking);
  EXPECT_EQ(l.PressedPart, static_cast<int>(sbpThumb));
  EXPECT_EQ(l.Thumb.Top, 16 + 41);  // at the tracked position, the window's own still 0
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 0);
  SendMessage(list, WM_CANCELMODE, 0, 0);  // the default handling ends the tracking
  ASSERT_TRUE(GetScrollBarLayout(list, l));
  EXPECT_FALSE(l.Tracking);
  EXPECT_EQ(GetCapture(), nullptr);
  sim::MouseUp(list, Point(90, 61));
  // An empty range hides the bar unless it is to stay (disabled).
  si.fMask = SIF_RANGE | SIF_DISABLENOSCROLL;
  si.nMax = 0;
  SetScrollInfo(list, SB_VERT, si, true);
  EXPECT_TRUE(GetScrollBarLayout(list, l));
  si.fMask = SIF_RANGE;
  SetScrollInfo(list, SB_VERT, si, true);
  EXPECT_FALSE(GetScrollBarLayout(list, l));
}

// ---- keyboard -------------------------------------------------------------------------------

TEST_F(WindowSystemTest, KeysBecomeKeyAndCharMessagesWithTheirKeyData) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND a = Child("a", top, Bounds(0, 0, 50, 50));
  SetFocus(a);
  Settle();
  std::vector<LPARAM> data;
  SetWindowProc(a, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_KEYDOWN || M == WM_KEYUP || M == WM_SYSKEYDOWN || M == WM_SYSKEYUP || M == WM_CHAR ||
        M == WM_SYSCHAR)
      data.push_back(LP);
    return Proc("a", W, M, WP, LP);
  });
  Take();
  sim::TypeText("aB");
  EXPECT_EQ(Take(),
            "a:KEYDOWN(65) a:CHAR(97) a:KEYUP a:KEYDOWN(16) a:KEYDOWN(66) a:CHAR(66) a:KEYUP a:KEYUP");
  ASSERT_GE(data.size(), 3u);
  EXPECT_EQ(data[0], 1 | (30 << 16));                              // repeat 1, scan code of A
  EXPECT_EQ(data[2], 1 | (30 << 16) | KF_REPEAT_BIT | KF_UP_BIT);  // the release
  data.clear();
  sim::PressKey('C', {ssCtrl});
  EXPECT_EQ(Take(), "a:KEYDOWN(17) a:KEYDOWN(67) a:CHAR(3) a:KEYUP a:KEYUP");
  sim::PressKey(VK_RETURN);
  sim::PressKey(VK_LEFT);
  EXPECT_EQ(Take(), "a:KEYDOWN(13) a:CHAR(13) a:KEYUP a:KEYDOWN(37) a:KEYUP");
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  sim::KeyDown(VK_SHIFT);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  sim::KeyUp(VK_SHIFT);
  Take();
  ResetWindowSystem();  // the procedures above use this test's locals
}

TEST_F(WindowSystemTest, AltCombinationsAreSystemKeysAndAltSpaceOpensTheWindowMenu) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND a = Child("a", top, Bounds(0, 0, 50, 50));
  SetFocus(a);
  Settle();
  std::vector<LPARAM> sysData;
  std::vector<WPARAM> commands;
  SetWindowProc(top, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_SYSCOMMAND) commands.push_back(WP);
    return Proc("top", W, M, WP, LP);
  });
  SetWindowProc(a, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_SYSCHAR) sysData.push_back(LP);
    return Proc("a", W, M, WP, LP);
  });
  sim::PressKey('X', {ssAlt});
  EXPECT_EQ(Take(), "a:SYSKEYDOWN(18) a:SYSKEYDOWN(88) a:SYSCHAR(120) a:SYSKEYUP a:SYSKEYUP");
  ASSERT_EQ(sysData.size(), 1u);
  EXPECT_TRUE(sysData[0] & KF_ALTDOWN_BIT);
  sim::PressKey(VK_SPACE, {ssAlt});
  EXPECT_EQ(
      Take(),
      "a:SYSKEYDOWN(18) a:SYSKEYDOWN(32) a:SYSCHAR(32) a:SYSCOMMAND top:SYSCOMMAND a:SYSKEYUP a:SYSKEYUP");
  EXPECT_EQ(commands, std::vector<WPARAM>{SC_KEYMENU});
  sim::PressKey(VK_F10);
  EXPECT_EQ(Take(), "a:SYSKEYDOWN(121) a:SYSKEYUP");
  ResetWindowSystem();  // the procedures above use this test's locals
}

// ---- mouse ----------------------------------------------------------------------------------

TEST_F(WindowSystemTest, DoubleClicksNeedTheClassStyleTheTimeAndThePlace) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND dbl = Child("dbl", top, Bounds(0, 0, 100, 100));
  HWND plain = Child("plain", top, Bounds(150, 0, 100, 100), 0, 0);
  sim::ProcessMessages();
  Take();
  sim::DoubleClick(dbl, Point(10, 10));
  EXPECT_EQ(Take(), "dbl:LDOWN dbl:LUP dbl:LDBL dbl:LUP");
  sim::AdvanceTime(1000);
  sim::DoubleClick(plain, Point(10, 10));
  EXPECT_EQ(Take(), "plain:LDOWN plain:LUP plain:LDOWN plain:LUP");
  sim::AdvanceTime(1000);
  sim::Click(dbl, Point(10, 10));
  sim::AdvanceTime(GetDoubleClickTime() + 1);
  sim::Click(dbl, Point(10, 10));
  sim::AdvanceTime(100);
  sim::Click(dbl, Point(13, 10));  // too far
  EXPECT_EQ(Take(), "dbl:LDOWN dbl:LUP dbl:LDOWN dbl:LUP dbl:LDOWN dbl:LUP");
  // A third press after a double click starts over.
  sim::AdvanceTime(1000);
  sim::Click(dbl, Point(20, 20));
  sim::Click(dbl, Point(20, 20));
  sim::Click(dbl, Point(20, 20));
  EXPECT_EQ(Take(), "dbl:LDOWN dbl:LUP dbl:LDBL dbl:LUP dbl:LDOWN dbl:LUP");
}

TEST_F(WindowSystemTest, TheWheelGoesToTheFocusWindowAndRightClicksAskForAContextMenu) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  HWND a = Child("a", top, Bounds(0, 0, 100, 100));
  HWND b = Child("b", top, Bounds(150, 0, 100, 100));
  SetFocus(a);
  sim::ProcessMessages();
  Take();
  std::vector<int> deltas;
  SetWindowProc(a, [&](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT {
    if (M == WM_MOUSEWHEEL) deltas.push_back(GET_WHEEL_DELTA_WPARAM(WP));
    return Proc("a", W, M, WP, LP);
  });
  sim::MouseMove(b, Point(5, 5));
  sim::Wheel(-240);
  EXPECT_EQ(deltas, std::vector<int>{-240});
  EXPECT_EQ(Take(), "a:WHEEL top:WHEEL");  // unhandled, it goes up to the parent
  sim::Click(b, Point(5, 5), mbRight);
  EXPECT_EQ(Take(), "b:RDOWN b:RUP b:CONTEXTMENU top:CONTEXTMENU");
  ResetWindowSystem();  // the procedures above use this test's locals
}

TEST_F(WindowSystemTest, ResetForgetsEverything) {
  HWND top = Top("top", Bounds(0, 0, 300, 300));
  SetTimer(top, 1, 100, nullptr);
  SetCapture(top);
  SetWindowsHookExA(
      WH_MOUSE, [](int, WPARAM, LPARAM) -> LRESULT { return 0; }, nullptr, 0);
  MessageBeep(MB_ICONHAND);
  sim::KeyDown(VK_SHIFT);
  AdvanceClock(5000);
  EXPECT_EQ(Beeps(), std::vector<UINT>{MB_ICONHAND});
  DWORD start = GetTickCount() - 5000;
  ResetWindowSystem();
  EXPECT_FALSE(IsWindow(top));
  EXPECT_EQ(WindowCount(), 0);
  EXPECT_EQ(TimerCount(), 0);
  EXPECT_EQ(HookCount(), 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_TRUE(Beeps().empty());
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetTickCount(), start);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

}  // namespace
