// Windows on a real X server: an Xvfb of the test's own on a free display number, typed into
// and clicked with xdotool, and the server's pixels read back with a connection of the test's
// own. Skipped, with the reason, only when Xvfb cannot start.
#include "platform/x11/x11_display.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "lookup/core/lookup_test_util.h"
#include "lookup/search/search_edit.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/hint_window.h"
#include "platform/vcl/screen_picture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace vcl;

namespace {

// Starts Program with Args (DISPLAY set to Display when given) in the background.
pid_t Spawn(const std::vector<std::string>& Args, const std::string& Display, int DisplayFd = -1) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);  // nothing outlives the test
  if (DisplayFd >= 0 && DisplayFd != 3) dup2(DisplayFd, 3);
  int quiet = open("/dev/null", O_WRONLY);
  dup2(quiet, 1);
  dup2(quiet, 2);
  if (!Display.empty()) setenv("DISPLAY", Display.c_str(), 1);
  std::vector<char*> argv;
  for (const std::string& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

// The X server of this test program, started on the first use.
class Xvfb {
 public:
  static Xvfb& Get() {
    static Xvfb server;
    return server;
  }
  bool Running() const { return !FName.empty(); }
  const std::string& Name() const { return FName; }
  const std::string& Why() const { return FWhy; }

 private:
  Xvfb() {
    int fds[2];
    if (pipe(fds) != 0) {
      FWhy = "no pipe for its display number";
      return;
    }
    // -displayfd: Xvfb takes a free display number itself and writes it to descriptor 3.
    FPid = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, "", fds[1]);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
      FWhy = "Xvfb is not installed or did not start (scripts/deps installs it)";
      return;
    }
    FName = ":" + number;
  }
  ~Xvfb() {
    if (FPid > 0) kill(FPid, SIGTERM), waitpid(FPid, nullptr, 0);
  }
  pid_t FPid = -1;
  std::string FName, FWhy;
};

class X11DisplayTest : public kttest::LookupTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    Xvfb& x = Xvfb::Get();
    if (!x.Running()) GTEST_SKIP() << "Xvfb cannot start, so the X11 display is not tested: " << x.Why();
    Observer = XOpenDisplay(x.Name().c_str());
    ASSERT_NE(Observer, nullptr);
    Search = new ktlookup::TKtSearchEdit(Form);
    Search->SetParent(Form);
    Search->SetBounds(10, 10, 150, 21);
    Search->SetSearchSource(CustSource);
    Search->SetSearchField("Name");
    Other = new TEdit(Form);
    Other->SetParent(Form);
    Other->SetBounds(10, 50, 150, 21);
    Search->SetFocus();
  }
  void TearDown() override {
    Screen.reset();
    if (Observer) XCloseDisplay(Observer);
    LookupTest::TearDown();
  }

  // Opens the display with shared-memory pictures or without.
  void Open(bool Shm) {
    if (Shm)
      unsetenv("KT_X11_NO_SHM");
    else
      setenv("KT_X11_NO_SHM", "1", 1);
    std::string error;
    Screen = OpenX11Display(Xvfb::Get().Name(), error);
    ASSERT_NE(Screen, nullptr) << error;
  }
  bool RunUntil(const std::function<bool()>& Done) { return Application->RunUntil(Done, 10000); }
  bool Viewable(HWND Wnd) {
    XWindowAttributes a;
    return X11WindowOf(Wnd) && XGetWindowAttributes(Observer, X11WindowOf(Wnd), &a) &&
           a.map_state == IsViewable;
  }
  // Runs xdotool with Args while the application runs; true when it ended well.
  bool XDoTool(std::vector<std::string> Args) {
    Args.insert(Args.begin(), "xdotool");
    pid_t pid = Spawn(Args, Xvfb::Get().Name());
    int status = -1;
    RunUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  std::string XId(HWND Wnd) { return std::to_string(X11WindowOf(Wnd)); }
  // The pixels where the server's picture of the window is not the platform's own.
  int PixelsDiffering(HWND Wnd, std::string& First) {
    TSurface own = CaptureWindow(Wnd);
    XImage* image = XGetImage(Observer, X11WindowOf(Wnd), 0, 0, static_cast<unsigned>(own.Width()),
                              static_cast<unsigned>(own.Height()), AllPlanes, ZPixmap);
    if (!image) return -1;
    int differing = 0;
    for (int y = 0; y < own.Height(); ++y) {
      for (int x = 0; x < own.Width(); ++x) {
        unsigned long v = XGetPixel(image, x, y);  // a 24-bit TrueColor server: 0xRRGGBB
        auto server = static_cast<TColor>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
        if (server == own.Pixel(x, y)) continue;
        if (differing++ == 0) First = std::to_string(x) + "," + std::to_string(y);
      }
    }
    XDestroyImage(image);
    return differing;
  }
  std::string Current() { return Customers->FieldByName("Name")->AsString(); }

  Display* Observer = nullptr;
  std::unique_ptr<TDisplay> Screen;
  ktlookup::TKtSearchEdit* Search = nullptr;
  TEdit* Other = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Pictures, X11DisplayTest, ::testing::Values(true, false),
                         [](const auto& Info) { return Info.param ? "SharedMemory" : "PlainRequests"; });

TEST_P(X11DisplayTest, TypingIntoASearchEditMovesTheTableAndTheServerShowsThePlatformsPicture) {
  Open(GetParam());
  ASSERT_TRUE(RunUntil([&] { return Viewable(Form->Handle()); }));
  Window root, child;
  int x = 0, y = 0;
  unsigned w = 0, h = 0, border = 0, depth = 0;
  XGetGeometry(Observer, X11WindowOf(Form->Handle()), &root, &x, &y, &w, &h, &border, &depth);
  XTranslateCoordinates(Observer, X11WindowOf(Form->Handle()), root, 0, 0, &x, &y, &child);
  EXPECT_EQ(Bounds(x, y, static_cast<int>(w), static_cast<int>(h)), Form->BoundsRect());

  ASSERT_TRUE(XDoTool({"windowfocus", "--sync", XId(Form->Handle()), "type", "--delay", "20", "smy"}));
  EXPECT_TRUE(RunUntil([&] { return Search->Text() == "smy"; })) << Search->Text();
  EXPECT_EQ(Current(), "smythe");
  ASSERT_TRUE(XDoTool({"key", "BackSpace"}));
  EXPECT_TRUE(RunUntil([&] { return Search->Text() == "sm"; })) << Search->Text();
  EXPECT_EQ(Current(), "SMITH");
  ASSERT_TRUE(XDoTool({"type", "--delay", "20", "!J"}));  // shifted keys
  EXPECT_TRUE(RunUntil([&] { return Search->Text() == "sm!J"; })) << Search->Text();

  std::string first;
  EXPECT_EQ(PixelsDiffering(Form->Handle(), first), 0) << "first at " << first;
}

TEST_P(X11DisplayTest, AClickMovesTheFocusAndAHintIsAPopUpThatNeverTakesIt) {
  Open(GetParam());
  ASSERT_TRUE(RunUntil([&] { return Viewable(Form->Handle()); }));
  TPoint p = sim::ScreenPoint(Other->Handle(), TPoint{5, 5});
  ASSERT_TRUE(XDoTool({"mousemove", std::to_string(p.X), std::to_string(p.Y), "click", "1"}));
  EXPECT_TRUE(RunUntil([&] { return Other->Focused(); }));

  auto* hint = new THintWindow(Form);
  hint->ActivateHint(Bounds(600, 120, 120, 20), "A hint");
  ASSERT_TRUE(RunUntil([&] { return Viewable(hint->Handle()); }));
  XWindowAttributes a;
  XGetWindowAttributes(Observer, X11WindowOf(hint->Handle()), &a);
  EXPECT_TRUE(a.override_redirect);
  ASSERT_TRUE(XDoTool({"type", "--delay", "20", "ok"}));
  EXPECT_TRUE(RunUntil([&] { return Other->Text() == "ok"; })) << Other->Text();
  Window focus;
  int revert;
  XGetInputFocus(Observer, &focus, &revert);
  EXPECT_EQ(focus, X11WindowOf(Form->Handle()));
  std::string first;
  EXPECT_EQ(PixelsDiffering(hint->Handle(), first), 0) << "first at " << first;
  hint->ReleaseHandle();
  EXPECT_TRUE(RunUntil([&] { return !Viewable(hint->Handle()); }));
}

TEST_P(X11DisplayTest, TheWindowManagersCloseButtonEndsTheProgram) {
  Open(GetParam());
  ASSERT_TRUE(RunUntil([&] { return Viewable(Form->Handle()); }));
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = X11WindowOf(Form->Handle());
  e.xclient.message_type = XInternAtom(Observer, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(Observer, "WM_DELETE_WINDOW", False));
  XSendEvent(Observer, e.xclient.window, False, NoEventMask, &e);
  XFlush(Observer);
  EXPECT_TRUE(RunUntil([] { return Application->Terminated(); }));
  EXPECT_TRUE(Application->Terminated());
  EXPECT_FALSE(Form->Visible());
}

}  // namespace
