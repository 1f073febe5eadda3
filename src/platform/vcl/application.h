// TApplication: the message loop, exception handling and idle processing; the global
// Application and the reset used between tests.
#pragma once

#include <functional>
#include <string>

#include "platform/vcl/form.h"

namespace vcl {

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* AOwner);
  std::string ClassName() const override { return "TApplication"; }

  // Takes and handles every waiting message (WM_QUIT ends the loop and sets Terminated).
  void ProcessMessages();
  // Handles one message, or idles when there is none.
  void HandleMessage();
  // Runs the idle work: CM_MOUSEENTER / CM_MOUSELEAVE as the pointer moves between controls.
  void Idle();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // With a display (CurrentDisplay()), runs the program for a person until it ends: Terminate
  // (WM_QUIT), or no window left that a person can use. It waits for the display's input and
  // moves the clock on with real time, so timers fire when they are due. Headless, it handles
  // what is waiting and returns.
  void Run();
  // Runs like Run with a display until Done answers true (true), the program ends or TimeoutMs
  // of real time pass (false). Headless, it handles what is waiting and answers Done.
  bool RunUntil(const std::function<bool()>& Done, int TimeoutMs);

  // Reports the exception being handled: to OnException when assigned, else it is kept as the
  // last error. EAbort is silent. Call it from a catch block.
  void HandleException(TObject* Sender);
  const std::string& LastErrorMessage() const { return FLastErrorMessage; }
  int ExceptionCount() const { return FExceptionCount; }
  void ClearLastError();

  TForm* MainForm() const { return FMainForm; }
  void SetMainForm(TForm* Value) { FMainForm = Value; }
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  // The control the pointer was last over.
  TControl* MouseControl() const { return FMouseControl; }

  const TExceptionEvent& OnException() const { return FOnException; }
  void SetOnException(TExceptionEvent V) { FOnException = std::move(V); }
  const TMessageEvent& OnMessage() const { return FOnMessage; }
  void SetOnMessage(TMessageEvent V) { FOnMessage = std::move(V); }

  // Forgets state between tests.
  void Reset();
  // A control is going: forget it.
  void ControlDestroyed(TControl* Control);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool ProcessMessage(MSG& Msg);
  // Sends CN_KEYDOWN, CN_CHAR ... to the control of a keyboard message; true when it took it.
  bool IsKeyMsg(MSG& Msg);

  bool FTerminated = false;
  std::string FLastErrorMessage;
  int FExceptionCount = 0;
  TForm* FMainForm = nullptr;
  std::string FTitle;
  TControl* FMouseControl = nullptr;
  TExceptionEvent FOnException;
  TMessageEvent FOnMessage;
};

extern TApplication* Application;

// Frees every form the application owns and resets the window system, the application, the
// screen and the globals (NewStyleControls, SysLocale, LeadBytes): a clean start for a test.
void ResetPlatform();

}  // namespace vcl
