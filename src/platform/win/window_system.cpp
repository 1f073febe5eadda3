#include "platform/win/window_system.h"

#include <cstring>

#include "platform/win/window_system_internal.h"

// The state of the window system, its reset and the recorded side effects. The other parts
// are listed in window_system_internal.h.

namespace vcl {

namespace detail {

State& S() {
  static State* state = new State;  // never freed: outlives every static object
  return *state;
}

}  // namespace detail

using namespace detail;

void ResetWindowSystem() {
  while (!S().TopLevel.empty()) {
    HWND h = S().TopLevel.back();
    if (!DestroyWindow(h)) std::erase(S().TopLevel, h);
  }
  State& s = S();
  s.Windows.clear();
  s.Posted.clear();
  s.Input.clear();
  s.QuitPending = s.QuitReceived = false;
  s.Timers.clear();
  s.Hooks.clear();
  s.Now = s.MsgTime = kClockStart;
  s.MsgPos = TPoint{};
  s.Focus = s.Active = s.Capture = nullptr;
  s.Cursor = TPoint{-1, -1};
  std::memset(s.Keys, 0, sizeof(s.Keys));
  s.Beeps.clear();
  s.Track = ScrollTrack{};
  s.Press = LastPress{};
  s.ScreenWidth = 1024;
  s.ScreenHeight = 768;
}

bool MessageBeep(UINT Type) {
  S().Beeps.push_back(Type);
  return true;
}

const std::vector<UINT>& Beeps() {
  return S().Beeps;
}

int WindowCount() {
  return static_cast<int>(S().Windows.size());
}

}  // namespace vcl
