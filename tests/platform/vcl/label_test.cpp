#include "platform/vcl/label.h"

#include <gtest/gtest.h>

#include "platform/platform_fixture.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/screen_picture.h"

using namespace vcl;
using kttest::PlatformTest;

namespace {

class LabelTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    Form = MakeForm();
    Label = new TLabel(Form);
    Label->SetBounds(10, 10, 65, 17);
    Label->SetParent(Form);
    First = new TEdit(Form);
    First->SetBounds(100, 10, 100, 21);
    First->SetParent(Form);
    Target = new TEdit(Form);
    Target->SetBounds(100, 40, 100, 21);
    Target->SetParent(Form);
    Form->Show();
    sim::ProcessMessages();
  }
  // The columns of a picture of the form's client area that hold a pixel of Color.
  static void InkColumns(const TSurface& Pic, TColor Color, TRect R, int& Left, int& Right) {
    Left = R.Right;
    Right = -1;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (Pic.Pixel(x, y) == ColorToRGB(Color)) {
          Left = std::min(Left, x);
          Right = std::max(Right, x);
        }
  }
  TForm* Form = nullptr;
  TLabel* Label = nullptr;
  TEdit* First = nullptr;
  TEdit* Target = nullptr;
};

TEST_F(LabelTest, AutoSizeFitsTheCaption) {
  Label->SetCaption("A longer caption");
  const int wide = Label->Width();
  EXPECT_GT(wide, 65);
  EXPECT_GT(Label->Height(), 5);
  Label->SetCaption("&Go");  // the '&' takes no room
  EXPECT_LT(Label->Width(), wide);
  const int go = Label->Width();
  Label->SetShowAccelChar(false);
  EXPECT_GT(Label->Width(), go);
  Label->SetAutoSize(false);
  const int fixed = Label->Width();
  Label->SetCaption("A caption that would be very much longer");
  EXPECT_EQ(Label->Width(), fixed);
  EXPECT_EQ(Label->Caption(), "A caption that would be very much longer");
}

TEST_F(LabelTest, RightAlignedAutoSizeKeepsTheRightEdge) {
  Label->SetAutoSize(false);
  Label->SetBounds(10, 10, 100, 17);
  Label->SetAlignment(taRightJustify);
  Label->SetCaption("Name");
  Label->SetAutoSize(true);
  EXPECT_EQ(Label->Left() + Label->Width(), 110);
}

TEST_F(LabelTest, AnAcceleratorFocusesTheFocusControl) {
  Label->SetCaption("&Target");
  Label->SetFocusControl(Target);
  EXPECT_TRUE(First->Focused());
  sim::PressKey('T', {ssAlt});
  EXPECT_TRUE(Target->Focused());
  delete Target;  // the label forgets it
  Target = nullptr;
  EXPECT_EQ(Label->FocusControl(), nullptr);
  sim::PressKey('T', {ssAlt});
}

TEST_F(LabelTest, PaintsItsCaptionOnItsParent) {
  Label->SetCaption("Label");
  Label->SetColor(clWhite);
  TSurface pic = CaptureWindow(Form);
  TPoint origin = Form->ClientOrigin();
  TRect window;
  GetWindowRect(Form->Handle(), window);
  const int ox = origin.X - window.Left, oy = origin.Y - window.Top;
  const TRect r{ox + Label->Left(), oy + Label->Top(), ox + Label->Left() + Label->Width(),
                oy + Label->Top() + Label->Height()};
  int left = 0, right = 0;
  InkColumns(pic, clWindowText, r, left, right);
  EXPECT_LE(left, r.Left + 2);
  EXPECT_GE(right, r.Right - 6);
  EXPECT_EQ(pic.Pixel(r.Left, r.Top), ColorToRGB(clWhite));  // its own background
  Label->SetTransparent(true);
  pic = CaptureWindow(Form);
  EXPECT_EQ(pic.Pixel(r.Left, r.Top), ColorToRGB(clBtnFace));  // the form shows through
  Label->SetEnabled(false);
  pic = CaptureWindow(Form);
  InkColumns(pic, clWindowText, r, left, right);
  EXPECT_EQ(right, -1);
  InkColumns(pic, clBtnShadow, r, left, right);
  EXPECT_GE(right, r.Right - 6);
}

}  // namespace
