// A GoogleTest fixture for tests that use windows, controls and forms, and a small recorder
// of what fired. Each test starts from a clean platform and leaves nothing behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/application.h"
#include "platform/vcl/control_input.h"
#include "platform/vcl/custom_control.h"
#include "platform/vcl/form.h"
#include "platform/win/input.h"
#include "platform/win/window_system.h"

namespace kttest {

// Records names in order; Take() returns them joined by spaces and starts over.
class TRecorder {
 public:
  void Add(const std::string& Item) { FItems.push_back(Item); }
  const std::vector<std::string>& Items() const { return FItems; }
  int Count(const std::string& Item) const {
    int n = 0;
    for (const auto& i : FItems) n += i == Item;
    return n;
  }
  std::string Joined() const {
    std::string s;
    for (const auto& i : FItems) s += (s.empty() ? "" : " ") + i;
    return s;
  }
  std::string Take() {
    std::string s = Joined();
    FItems.clear();
    return s;
  }
  void Clear() { FItems.clear(); }

 private:
  std::vector<std::string> FItems;
};

// A custom control that records the messages and events it gets as "Name:WHAT" and can be
// told which keys it wants and which dialog keys it consumes.
class TRecordingControl : public vcl::TCustomControl {
 public:
  TRecordingControl(vcl::TComponent* AOwner, TRecorder& Log) : vcl::TCustomControl(AOwner), FLog(Log) {
    SetTabStop(true);
  }
  std::string ClassName() const override { return "TRecordingControl"; }

  vcl::LRESULT DlgCode = 0;        // the WM_GETDLGCODE answer
  vcl::Word ConsumeDialogKey = 0;  // a CM_DIALOGKEY key answered with 1
  char ConsumeDialogChar = 0;      // a CM_DIALOGCHAR character answered with 1 (an accelerator)
  bool FocusOnMouseDown = true;    // SetFocus in MouseDown, as list controls do
  bool LogMouseMoves = false;
  bool LogMouseEnter = false;            // CM_MOUSEENTER / CM_MOUSELEAVE
  vcl::LRESULT MouseActivateResult = 0;  // non-zero: the WM_MOUSEACTIVATE answer
  bool Popup = false;                    // a WS_POPUP window
  bool ConsumeShowing = false;           // CM_SHOWINGCHANGED is eaten
  int PaintCalls = 0;
  vcl::LPARAM LastCancelModeSender = 0;

  using vcl::TWinControl::SelectNext;

 protected:
  void CreateParams(vcl::TCreateParams& Params) override {
    vcl::TCustomControl::CreateParams(Params);
    if (Popup) {
      Params.Style = vcl::WS_POPUP | vcl::WS_BORDER;
      Params.ExStyle = vcl::WS_EX_TOOLWINDOW;
    }
  }
  void Paint() override { ++PaintCalls; }
  void WndProc(vcl::TMessage& M) override {
    switch (M.Msg) {
      case vcl::WM_SETFOCUS: Log("WM_SETFOCUS"); break;
      case vcl::WM_KILLFOCUS: Log("WM_KILLFOCUS"); break;
      case vcl::CM_ENTER: Log("CM_ENTER"); break;
      case vcl::CM_EXIT: Log("CM_EXIT"); break;
      case vcl::CM_MOUSEENTER:
        if (LogMouseEnter) Log("CM_MOUSEENTER");
        break;
      case vcl::CM_MOUSELEAVE:
        if (LogMouseEnter) Log("CM_MOUSELEAVE");
        break;
      case vcl::CM_CANCELMODE:
        Log("CM_CANCELMODE");
        LastCancelModeSender = M.LParam;
        break;
      case vcl::WM_CANCELMODE: Log("WM_CANCELMODE"); break;
      case vcl::WM_GETDLGCODE: M.Result = DlgCode; return;
      case vcl::WM_MOUSEACTIVATE:
        if (MouseActivateResult) {
          Log("WM_MOUSEACTIVATE");
          M.Result = MouseActivateResult;
          return;
        }
        break;
      case vcl::CM_SHOWINGCHANGED:
        if (ConsumeShowing) return;
        break;
      case vcl::CM_DIALOGKEY:
        Log("CM_DIALOGKEY:" + std::to_string(M.WParam));
        if (ConsumeDialogKey && M.WParam == ConsumeDialogKey) {
          M.Result = 1;
          return;
        }
        break;
      case vcl::CM_DIALOGCHAR:
        if (ConsumeDialogChar && M.WParam == static_cast<unsigned char>(ConsumeDialogChar)) {
          Log("CM_DIALOGCHAR");
          M.Result = 1;
          return;
        }
        break;
      default: break;
    }
    vcl::TCustomControl::WndProc(M);
  }
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override {
    Log(std::string("MouseDown") + (Shift.Contains(vcl::ssDouble) ? "+dbl" : ""));
    if (FocusOnMouseDown && Button == vcl::mbLeft && CanFocus() && !Focused()) SetFocus();
    vcl::TCustomControl::MouseDown(Button, Shift, X, Y);
  }
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override {
    Log("MouseUp");
    vcl::TCustomControl::MouseUp(Button, Shift, X, Y);
  }
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override {
    if (LogMouseMoves) Log("MouseMove");
    vcl::TCustomControl::MouseMove(Shift, X, Y);
  }
  void Click() override {
    Log("Click");
    vcl::TCustomControl::Click();
  }
  void DblClick() override {
    Log("DblClick");
    vcl::TCustomControl::DblClick();
  }
  void KeyDown(vcl::Word& Key, vcl::TShiftState Shift) override {
    Log("KeyDown:" + std::to_string(Key));
    vcl::TCustomControl::KeyDown(Key, Shift);
  }
  void KeyPress(char& Key) override {
    Log(std::string("KeyPress:") + (Key >= 32 ? std::string(1, Key) : std::to_string(static_cast<int>(Key))));
    vcl::TCustomControl::KeyPress(Key);
  }
  void DoEnter() override {
    Log("OnEnter");
    vcl::TCustomControl::DoEnter();
  }
  void DoExit() override {
    Log("OnExit");
    vcl::TCustomControl::DoExit();
  }

 private:
  void Log(const std::string& What) { FLog.Add(Name() + ":" + What); }
  TRecorder& FLog;
};

// Starts and ends every test with a clean platform.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { vcl::ResetPlatform(); }
  void TearDown() override { vcl::ResetPlatform(); }

  // A shown form owned by the application at (100, 100), 400 x 300.
  vcl::TForm* MakeForm(const std::string& Name = "Form1") {
    auto* f = new vcl::TForm(vcl::Application);
    f->SetName(Name);
    f->SetBounds(100, 100, 400, 300);
    return f;
  }
  // A recording control on Parent (owned by Owner).
  TRecordingControl* MakeControl(vcl::TWinControl* Parent, const std::string& Name, vcl::TRect R,
                                 vcl::TComponent* Owner = nullptr) {
    auto* c = new TRecordingControl(Owner ? Owner : Parent, Log);
    c->SetName(Name);
    c->SetBoundsRect(R);
    c->SetParent(Parent);
    return c;
  }

  TRecorder Log;
};

}  // namespace kttest
