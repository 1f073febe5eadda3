#include "platform/vcl/application.h"
#include "platform/vcl/clipboard.h"
#include "platform/vcl/dialogs.h"

#include <algorithm>
#include <chrono>

#include "platform/win/display.h"
#include "platform/win/window_system.h"

namespace vcl {

TApplication* Application = new TApplication(nullptr);  // lives as long as the program

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  SetMessagePump([] {
    if (Application) Application->ProcessMessages();
  });
  SetIdleHandler([] {
    if (Application) Application->Idle();
  });
}

bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = Msg.hwnd;
  while (wnd && !FindControl(wnd)) wnd = GetParent(wnd);
  if (!wnd) return false;
  return SendMessage(wnd, CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  bool got = false;
  try {
    got = PeekMessage(Msg, nullptr, 0, 0, PM_REMOVE);
  } catch (...) {
    HandleException(this);  // a hook failed; its message is gone
    return true;
  }
  if (!got) return false;
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  try {
    bool handled = false;
    CallEvent(FOnMessage, Msg, handled);
    if (!handled && !IsKeyMsg(Msg)) {
      TranslateMessage(Msg);
      DispatchMessage(Msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG m;
  while (ProcessMessage(m)) {
  }
}

void TApplication::HandleMessage() {
  MSG m;
  if (!ProcessMessage(m)) Idle();
}

void TApplication::Idle() {
  TPoint p;
  GetCursorPos(p);
  TControl* c = GetCaptureControl();
  if (!c) c = FindControl(WindowFromPoint(p));
  if (c == FMouseControl) return;
  TControl* old = FMouseControl;
  FMouseControl = c;
  try {
    if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
    if (c && FMouseControl == c) c->Perform(CM_MOUSEENTER, 0, 0);
  } catch (...) {
    HandleException(this);
  }
}

namespace {

// A visible top-level window that is not a pop-up: something a person can use.
bool AnyWindowToUse() {
  for (HWND h : GetTopLevelWindows())
    if (IsWindowVisible(h) && !IsPopupWindow(h)) return true;
  return false;
}

}  // namespace

void TApplication::Run() {
  RunUntil(nullptr, -1);
}

bool TApplication::RunUntil(const std::function<bool()>& Done, int TimeoutMs) {
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration D) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(D).count());
  };
  const Clock::time_point start = Clock::now();
  Clock::time_point followed = start;  // the real time the virtual clock has been moved to
  for (;;) {
    TDisplay* display = CurrentDisplay();
    if (display) {
      // The clock follows real time, so timers fire when they are due.
      if (long long step = ms(Clock::now() - followed); step > 0) {
        AdvanceClock(static_cast<DWORD>(step));
        followed += std::chrono::milliseconds(step);
      }
      display->ProcessInput();
    }
    ProcessMessages();
    Idle();
    if ((display = CurrentDisplay())) display->Flush();
    if (Done && Done()) return true;
    if (!display || FTerminated || (!Done && !AnyWindowToUse())) return false;
    long long wait = 500;
    if (TimeoutMs >= 0) {
      long long left = TimeoutMs - ms(Clock::now() - start);
      if (left <= 0) return false;
      wait = std::min(wait, left);
    }
    if (DWORD due = 0; NextTimerDue(due))
      wait = std::clamp<long long>(static_cast<std::int32_t>(due - GetTickCount()), 0, wait);
    display->WaitForInput(static_cast<int>(wait));
  }
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

namespace {
bool gHandling = false;
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr e = std::current_exception();
  if (!e) return;
  // A mouse operation in progress ends: nothing stays captured by a failed handler.
  if (HWND capture = GetCapture(); capture && !gHandling) {
    gHandling = true;
    struct Clear {
      ~Clear() { gHandling = false; }
    } clear;
    SendMessage(capture, WM_CANCELMODE, 0, 0);
    if (GetCapture() == capture) ReleaseCapture();
  }
  auto report = [&](const Exception& ex) {
    ++FExceptionCount;
    if (FOnException) {
      try {
        CallEvent(FOnException, Sender, ex);
        return;
      } catch (const std::exception& inner) {
        FLastErrorMessage = inner.what();
        return;
      }
    }
    FLastErrorMessage = ex.Message();
  };
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
  } catch (const Exception& ex) {
    report(ex);
  } catch (const std::exception& ex) {
    report(Exception(ex.what()));
  } catch (...) {
    report(Exception("Unknown exception"));
  }
}

void TApplication::ClearLastError() {
  FLastErrorMessage.clear();
  FExceptionCount = 0;
}

void TApplication::Reset() {
  FTerminated = false;
  ClearLastError();
  FMainForm = nullptr;
  FTitle.clear();
  FMouseControl = nullptr;
  FOnException = nullptr;
  FOnMessage = nullptr;
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (FMouseControl == Control) FMouseControl = nullptr;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
}

void ResetPlatform() {
  Application->DestroyComponents();
  Application->Reset();
  Screen->Reset();
  ResetWindowSystem();
  NewStyleControls = true;
  SysLocale = TSysLocale{};
  LeadBytes.Clear();
  Clipboard()->Clear();
  DialogService()->Reset();
}

}  // namespace vcl
