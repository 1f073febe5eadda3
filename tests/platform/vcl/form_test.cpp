#include "platform/vcl/form.h"

#include <gtest/gtest.h>

#include "platform/platform_fixture.h"
#include "platform/vcl/application.h"

using namespace vcl;
using kttest::PlatformTest;
using kttest::TRecordingControl;

namespace {

class FormTest : public PlatformTest {};

TEST_F(FormTest, GetParentFormFindsTheFormAtTheTop) {
  TForm* form = MakeForm();
  auto* a = MakeControl(form, "A", Bounds(0, 0, 50, 50));
  auto* inner = MakeControl(a, "I", Bounds(0, 0, 10, 10), form);
  EXPECT_EQ(GetParentForm(inner), form);
  EXPECT_EQ(GetParentForm(form), form);
  auto* loose = new TRecordingControl(nullptr, Log);
  EXPECT_EQ(GetParentForm(loose), nullptr);
  EXPECT_FALSE(loose->CanFocus());
  EXPECT_THROW(loose->SetFocus(), EInvalidOperation);
  EXPECT_THROW((void)loose->Handle(), EInvalidOperation);  // no parent window
  delete loose;
  EXPECT_EQ(form->FormStyle(), fsNormal);
  form->SetFormStyle(fsMDIForm);
  EXPECT_EQ(form->FormStyle(), fsMDIForm);
}

TEST_F(FormTest, FormsActivateAndDeactivateAndRememberTheirActiveControl) {
  TForm* f1 = MakeForm("F1");
  auto* a = MakeControl(f1, "A", Bounds(0, 0, 50, 50));
  auto* b = MakeControl(f1, "B", Bounds(60, 0, 50, 50));
  TForm* f2 = MakeForm("F2");
  f2->SetBounds(600, 100, 200, 200);
  auto* c = MakeControl(f2, "C", Bounds(0, 0, 50, 50));
  kttest::TRecorder& log = Log;
  f1->SetOnActivate([&](TObject*) { log.Add("F1:Activate"); });
  f1->SetOnDeactivate([&](TObject*) { log.Add("F1:Deactivate"); });
  f2->SetOnActivate([&](TObject*) { log.Add("F2:Activate"); });
  f1->Show();
  b->SetFocus();
  f2->Show();
  EXPECT_EQ(Screen->ActiveForm(), f2);
  EXPECT_TRUE(c->Focused());
  EXPECT_TRUE(f2->Active());
  EXPECT_FALSE(f1->Active());
  Log.Clear();
  sim::Click(f1->Handle(), Point(200, 100));  // on the form itself: it comes back with B
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Log.Take(), "C:WM_KILLFOCUS B:WM_SETFOCUS F1:Activate B:CM_CANCELMODE");
  EXPECT_EQ(Screen->ActiveControl(), b);
  EXPECT_EQ(Screen->FocusedForm(), f1);
  EXPECT_EQ(f2->ActiveControl(), c);
  EXPECT_EQ(Screen->FormCount(), 2);
  (void)a;
  delete f2;
  EXPECT_EQ(Screen->FormCount(), 1);
  EXPECT_TRUE(b->Focused());
  f1->Hide();
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_FALSE(f1->Active());
  EXPECT_THROW(f1->SetFocus(), EInvalidOperation);
}

TEST_F(FormTest, SetFocusedControlReportsWhetherTheFocusArrived) {
  TForm* form = MakeForm();
  auto* a = MakeControl(form, "A", Bounds(0, 0, 50, 50));
  auto* b = MakeControl(form, "B", Bounds(60, 0, 50, 50));
  auto* c = MakeControl(form, "C", Bounds(120, 0, 50, 50));
  form->Show();
  EXPECT_TRUE(a->Focused());
  EXPECT_TRUE(form->SetFocusedControl(a));  // already there: nothing to send
  // A handler that sends the focus elsewhere makes the move fail.
  a->SetOnExit([&](TObject*) { c->SetFocus(); });
  Log.Clear();
  EXPECT_FALSE(form->SetFocusedControl(b));
  EXPECT_EQ(Log.Take(), "A:CM_EXIT A:OnExit A:WM_KILLFOCUS C:WM_SETFOCUS C:CM_ENTER C:OnEnter");
  EXPECT_EQ(form->ActiveControl(), c);
  EXPECT_TRUE(c->Focused());
  a->SetOnExit(nullptr);
  EXPECT_TRUE(form->SetFocusedControl(b));
  EXPECT_EQ(Log.Take(), "C:CM_EXIT C:OnExit B:CM_ENTER B:OnEnter");
}

TEST_F(FormTest, AnExitHandlerThatFocusesAnotherFormStopsTheEnterOnThisOne) {
  TForm* f1 = MakeForm("F1");
  auto* a = MakeControl(f1, "A", Bounds(0, 0, 50, 50));
  auto* b = MakeControl(f1, "B", Bounds(60, 0, 50, 50));
  TForm* f2 = MakeForm("F2");
  f2->SetBounds(600, 100, 200, 200);
  auto* c = MakeControl(f2, "C", Bounds(0, 0, 50, 50));
  f2->Show();
  f1->Show();
  EXPECT_TRUE(a->Focused());
  a->SetOnExit([&](TObject*) { c->SetFocus(); });
  Log.Clear();
  b->SetFocus();
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(Log.Count("B:CM_ENTER"), 0);  // B never held the focus as an entered control
  EXPECT_EQ(Screen->FocusedForm(), f2);
  EXPECT_NE(f1->FocusedControl(), b);
  a->SetOnExit(nullptr);
  Log.Clear();
  b->SetFocus();  // now B does arrive, and is entered
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Log.Count("B:OnEnter"), 1);
  EXPECT_EQ(f1->FocusedControl(), b);
}

TEST_F(FormTest, APopupThatDoesNotActivateLeavesTheFormActiveAndTheFocusAlone) {
  TForm* form = MakeForm();
  auto* edit = MakeControl(form, "E", Bounds(10, 10, 100, 20));
  auto* popup = new TRecordingControl(form, Log);
  popup->SetName("L");
  popup->Popup = true;
  popup->FocusOnMouseDown = false;
  popup->MouseActivateResult = MA_NOACTIVATE;
  popup->SetVisible(false);
  popup->SetBounds(0, 0, 100, 80);
  popup->SetParent(edit);
  form->Show();
  EXPECT_TRUE(edit->Focused());
  TPoint below = edit->ClientToScreen(Point(0, 20));
  SetWindowPos(popup->Handle(), HWND_TOP, below.X, below.Y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_TRUE(IsWindowVisible(popup->Handle()));
  EXPECT_EQ(popup->Left(), below.X);  // a pop-up's position is on the screen
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  sim::ProcessMessages();
  Log.Clear();
  sim::Click(popup->Handle(), Point(10, 10));
  EXPECT_EQ(Log.Take(), "L:WM_MOUSEACTIVATE E:CM_CANCELMODE L:MouseDown L:Click L:MouseUp");
  EXPECT_EQ(edit->LastCancelModeSender, reinterpret_cast<LPARAM>(popup));
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_TRUE(edit->Focused());
  EXPECT_TRUE(form->Active());
  SetWindowPos(popup->Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  EXPECT_FALSE(IsWindowVisible(popup->Handle()));
}

TEST_F(FormTest, DeletingAFormFreesItsControlsAndWindows) {
  TForm* form = MakeForm();
  auto* a = MakeControl(form, "A", Bounds(0, 0, 50, 50));
  MakeControl(a, "I", Bounds(0, 0, 10, 10), form);
  form->Show();
  HWND h = form->Handle();
  EXPECT_EQ(WindowCount(), 3);
  Application->SetMainForm(form);
  delete form;
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(WindowCount(), 0);
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
  EXPECT_EQ(Screen->ActiveControl(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(FormTest, ReleaseFreesTheFormFromTheMessageLoop) {
  TForm* form = MakeForm();
  form->Show();
  form->Release();
  EXPECT_EQ(Screen->FormCount(), 1);
  sim::ProcessMessages();
  EXPECT_EQ(Screen->FormCount(), 0);
  EXPECT_EQ(Application->ComponentCount(), 0);
}

TEST_F(FormTest, ScreenHasTheScreenSize) {
  EXPECT_EQ(Screen->Width(), 1024);
  EXPECT_EQ(Screen->Height(), 768);
  SetScreenSize(800, 600);
  EXPECT_EQ(Screen->Height(), 600);
}

// ---- the application ------------------------------------------------------------------------

TEST_F(FormTest, ExceptionsInHandlersGoToTheApplicationAndEndTheMouseOperation) {
  TForm* form = MakeForm();
  auto* a = MakeControl(form, "A", Bounds(0, 0, 50, 50));
  form->Show();
  a->SetOnMouseDown([](TObject*, TMouseButton, TShiftState, int, int) { throw EConvertError("bad value"); });
  Log.Clear();
  sim::MouseDown(a->Handle(), Point(5, 5));
  EXPECT_EQ(Application->LastErrorMessage(), "bad value");
  EXPECT_EQ(Application->ExceptionCount(), 1);
  EXPECT_EQ(GetCapture(), nullptr);  // the capture taken for the press is given back
  EXPECT_EQ(Log.Take(), "A:MouseDown A:WM_CANCELMODE");
  sim::MouseUp(a->Handle(), Point(5, 5));
  // With a handler, it gets the exception and the sender.
  std::vector<std::string> reported;
  TObject* sender = nullptr;
  Application->SetOnException([&](TObject* S, const Exception& E) {
    sender = S;
    reported.push_back(E.Message());
  });
  a->SetOnKeyPress([](TObject*, char&) { throw Exception("no keys"); });
  sim::TypeText("ab");
  EXPECT_EQ(reported, (std::vector<std::string>{"no keys", "no keys"}));
  EXPECT_EQ(sender, a);
  // EAbort is silent.
  a->SetOnKeyPress([](TObject*, char&) { throw EAbort("quiet"); });
  sim::TypeText("c");
  EXPECT_EQ(reported.size(), 2u);
  // Direct dispatch does not catch.
  a->SetOnEnter([](TObject*) { throw Exception("direct"); });
  EXPECT_THROW(a->Perform(CM_ENTER, 0, 0), Exception);
}

TEST_F(FormTest, TerminateEndsTheLoopAndHandleMessageTakesOneMessage) {
  TForm* form = MakeForm();
  auto* a = MakeControl(form, "A", Bounds(0, 0, 50, 50));
  form->Show();
  sim::ProcessMessages();
  Log.Clear();
  PostMessage(a->Handle(), CM_CANCELMODE, 0, 0);
  PostMessage(a->Handle(), CM_CANCELMODE, 0, 0);
  Application->HandleMessage();
  EXPECT_EQ(Log.Take(), "A:CM_CANCELMODE");
  EXPECT_FALSE(Application->Terminated());
  Application->Terminate();
  Application->ProcessMessages();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Log.Take(), "A:CM_CANCELMODE");
}

TEST_F(FormTest, ResetPlatformFreesTheApplicationsFormsAndStartsOver) {
  TForm* form = MakeForm();
  form->Show();
  SysLocale.FarEast = true;
  NewStyleControls = false;
  ResetPlatform();
  EXPECT_EQ(Application->ComponentCount(), 0);
  EXPECT_EQ(WindowCount(), 0);
  EXPECT_FALSE(SysLocale.FarEast);
  EXPECT_TRUE(NewStyleControls);
}

}  // namespace
