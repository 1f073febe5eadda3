#include "platform/win/window_system.h"

#include <algorithm>

#include "platform/win/window_system_internal.h"

// The virtual clock and window timers.

namespace vcl {

namespace detail {

Timer* DueTimer(HWND Wnd) {
  Timer* best = nullptr;
  for (Timer& t : S().Timers) {
    if (Wnd && t.Wnd != Wnd) continue;
    if (static_cast<std::int32_t>(S().Now - t.Due) < 0) continue;
    if (!best || static_cast<std::int32_t>(t.Due - best->Due) < 0 ||
        (t.Due == best->Due && t.Seq < best->Seq))
      best = &t;
  }
  return best;
}

}  // namespace detail

using namespace detail;

DWORD GetTickCount() {
  return S().Now;
}
void AdvanceClock(DWORD Milliseconds) {
  S().Now += Milliseconds;
}

std::uintptr_t SetTimer(HWND Wnd, std::uintptr_t IDEvent, UINT Elapse, void* TimerFunc) {
  (void)TimerFunc;
  if (!IsWindow(Wnd)) return 0;
  UINT interval = std::max<UINT>(Elapse, 10);
  for (Timer& t : S().Timers) {
    if (t.Wnd == Wnd && t.Id == IDEvent) {
      t.Interval = interval;
      t.Due = S().Now + interval;
      t.Seq = ++S().TimerSeq;
      return IDEvent;
    }
  }
  S().Timers.push_back(Timer{Wnd, IDEvent, interval, S().Now + interval, ++S().TimerSeq});
  return IDEvent;
}

bool KillTimer(HWND Wnd, std::uintptr_t IDEvent) {
  auto n = std::erase_if(S().Timers, [&](const Timer& t) { return t.Wnd == Wnd && t.Id == IDEvent; });
  return n > 0;
}

bool IsTimerRunning(HWND Wnd, std::uintptr_t IDEvent) {
  return std::any_of(S().Timers.begin(), S().Timers.end(),
                     [&](const Timer& t) { return t.Wnd == Wnd && t.Id == IDEvent; });
}

int TimerCount() {
  return static_cast<int>(S().Timers.size());
}

bool NextTimerDue(DWORD& Due) {
  bool any = false;
  auto consider = [&](DWORD D) {
    if (!any || static_cast<std::int32_t>(D - Due) < 0) Due = D;
    any = true;
  };
  for (const Timer& t : S().Timers) consider(t.Due);
  if (S().Track.Wnd && S().Track.Part != sbpThumb) consider(S().Track.NextRepeat);
  return any;
}

UINT GetDoubleClickTime() {
  return 500;
}

}  // namespace vcl
