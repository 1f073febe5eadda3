#include "platform/vcl/application.h"
#include "platform/vcl/clipboard.h"
#include "platform/vcl/dialogs.h"

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
