#include "platform/vcl/button.h"

#include <gtest/gtest.h>

#include "platform/platform_fixture.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/screen_picture.h"

using namespace vcl;
using kttest::PlatformTest;

namespace {

// A form with an edit, an OK (default) and a Cancel (cancel) button.
class ButtonTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    Edit = new TEdit(Form);
    Edit->SetBounds(10, 10, 120, 21);
    Edit->SetParent(Form);
    Ok = MakeButton("OK", "&OK", 10, 50);
    Ok->SetDefault(true);
    Ok->SetModalResult(mrOk);
    Cancel = MakeButton("Cancel", "Cancel", 100, 50);
    Cancel->SetCancel(true);
    Form->Show();
    sim::ProcessMessages();
    Log.Clear();
  }
  TButton* MakeButton(const std::string& Name, const std::string& Caption, int X, int Y) {
    auto* b = new TButton(Form);
    b->SetName(Name);
    b->SetCaption(Caption);
    b->SetBounds(X, Y, 75, 25);
    b->SetParent(Form);
    b->SetOnClick([this, b](TObject*) { Log.Add(b->Name() + ":Click"); });
    return b;
  }
  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  TButton* Ok = nullptr;
  TButton* Cancel = nullptr;
};

TEST_F(ButtonTest, EnterClicksTheDefaultAndEscapeTheCancelButton) {
  EXPECT_TRUE(Edit->Focused());
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "OK:Click");
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Log.Take(), "Cancel:Click");
  sim::PressKey(VK_RETURN, {ssShift});  // a modified key is no dialog key of theirs
  sim::PressKey(VK_ESCAPE, {ssCtrl});
  EXPECT_EQ(Log.Take(), "");
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Ok->ModalResult(), mrOk);
}

TEST_F(ButtonTest, AFocusedButtonTakesEnterFromTheDefaultOne) {
  Cancel->SetFocus();
  EXPECT_TRUE(Cancel->IsActiveDefault());
  EXPECT_FALSE(Ok->IsActiveDefault());
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "Cancel:Click");
  EXPECT_EQ(SendMessage(Cancel->Handle(), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessage(Ok->Handle(), WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  Edit->SetFocus();
  EXPECT_TRUE(Ok->IsActiveDefault());
}

TEST_F(ButtonTest, AControlThatConsumesTheDialogKeyKeepsItFromTheButtons) {
  auto* taker = MakeControl(Form, "Taker", Bounds(10, 100, 50, 20));
  taker->ConsumeDialogKey = VK_RETURN;
  taker->SetFocus();
  Log.Clear();
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Log.Take(), "Taker:CM_DIALOGKEY:13");  // taken: nothing else sees it
  sim::PressKey(VK_ESCAPE);  // not consumed: offered to the taker, then the form's controls
  EXPECT_EQ(Log.Take(), "Taker:CM_DIALOGKEY:27 Cancel:Click");
  // A control that wants all keys gets Enter and Escape itself.
  taker->ConsumeDialogKey = 0;
  taker->DlgCode = DLGC_WANTALLKEYS;
  sim::PressKey(VK_RETURN);
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Log.Take(), "Taker:KeyDown:13 Taker:KeyPress:13 Taker:KeyDown:27 Taker:KeyPress:27");
}

TEST_F(ButtonTest, DisabledOrHiddenButtonsTakeNoDialogKeys) {
  Ok->SetEnabled(false);
  Cancel->SetVisible(false);
  sim::PressKey(VK_RETURN);
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Log.Take(), "");
}

TEST_F(ButtonTest, ClickByMouseOnlyWhenReleasedInside) {
  sim::Click(Ok, Point(10, 10));
  EXPECT_EQ(Log.Take(), "OK:Click");
  EXPECT_TRUE(Ok->Focused());
  sim::AdvanceTime(1000);
  sim::MouseDown(Cancel, Point(10, 10));
  EXPECT_TRUE(Cancel->Pressed());
  sim::MouseMove(Cancel, Point(200, 10));  // dragged off: drawn up again
  EXPECT_FALSE(Cancel->Pressed());
  sim::MouseMove(Cancel, Point(20, 10));
  EXPECT_TRUE(Cancel->Pressed());
  sim::MouseMove(Cancel, Point(200, 10));
  sim::MouseUp(Cancel, Point(200, 10));
  EXPECT_EQ(Log.Take(), "");
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, SpaceClicksTheFocusedButtonWhenReleased) {
  Ok->SetFocus();
  sim::KeyDown(VK_SPACE);
  sim::ProcessMessages();
  EXPECT_TRUE(Ok->Pressed());
  EXPECT_EQ(Log.Take(), "");
  sim::KeyUp(VK_SPACE);
  sim::ProcessMessages();
  EXPECT_EQ(Log.Take(), "OK:Click");
  EXPECT_FALSE(Ok->Pressed());
}

TEST_F(ButtonTest, AnAcceleratorClicksTheButton) {
  sim::PressKey('O', {ssAlt});
  EXPECT_EQ(Log.Take(), "OK:Click");
  EXPECT_TRUE(IsAccel('o', "&OK"));
  EXPECT_FALSE(IsAccel('O', "&&OK"));
  EXPECT_TRUE(IsAccel('K', "O&&&K"));
}

TEST_F(ButtonTest, AClickHandlerMayFreeTheButton) {
  Ok->SetOnClick([this](TObject*) {
    delete Ok;
    Ok = nullptr;
  });
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(Ok, nullptr);
  Cancel->SetOnClick([this](TObject*) {
    delete Cancel;
    Cancel = nullptr;
  });
  sim::Click(Cancel, Point(5, 5));
  EXPECT_EQ(Cancel, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, PaintsARaisedFaceACentredCaptionAndTheDefaultFrame) {
  TSurface pic = CaptureWindow(Ok);
  ASSERT_EQ(pic.Width(), 75);
  EXPECT_EQ(pic.Pixel(0, 0), ColorToRGB(clWindowFrame));  // the default button's black frame
  EXPECT_EQ(pic.Pixel(1, 1), ColorToRGB(cl3DLight));      // then the raised edge
  EXPECT_EQ(pic.Pixel(73, 12), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(pic.Pixel(5, 12), ColorToRGB(clBtnFace));
  int textPixels = 0, left = 75, right = 0;
  for (int y = 3; y < 22; ++y)
    for (int x = 3; x < 72; ++x)
      if (pic.Pixel(x, y) != ColorToRGB(clBtnFace)) {
        ++textPixels;
        left = std::min(left, x);
        right = std::max(right, x);
      }
  EXPECT_GT(textPixels, 10);
  EXPECT_LE(std::abs((left + right) / 2 - 37), 2);  // centred
  TSurface cancel = CaptureWindow(Cancel);
  EXPECT_EQ(cancel.Pixel(0, 0), ColorToRGB(cl3DLight));  // no frame: not the default
  // Focused, the button shows a focus rectangle inside its face.
  Cancel->SetFocus();
  TSurface focused = CaptureWindow(Cancel);
  int changed = 0;
  for (int x = 4; x < 70; ++x) changed += focused.Pixel(x, 4) != ColorToRGB(clBtnFace);
  EXPECT_GT(changed, 20);
  EXPECT_EQ(focused.Pixel(0, 0), ColorToRGB(clWindowFrame));  // the focused button is the default now
}

}  // namespace
