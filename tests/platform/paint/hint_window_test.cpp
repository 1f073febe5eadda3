#include "platform/vcl/hint_window.h"

#include <gtest/gtest.h>

#include "platform/paint/paint_test_util.h"

using namespace vcl;
using kttest::PaintTest;
using kttest::Rgb;
using kttest::TRecordingControl;

namespace {

class HintWindowTest : public PaintTest {
 protected:
  void SetUp() override {
    PaintTest::SetUp();
    Form = MakeForm();
    Edit = MakeControl(Form, "Edit", Bounds(10, 10, 100, 20));
    Form->Show();
    sim::ProcessMessages();
    Hint = new THintWindow(Form);
    Log.Clear();
  }
  // The text's own extent on the hint's canvas.
  TRect TextExtentRect(const std::string& Text, int MaxWidth) {
    TRect r{0, 0, MaxWidth, 0};
    DrawTextA(Hint->Canvas()->Handle(), Text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return r;
  }
  TForm* Form = nullptr;
  TRecordingControl* Edit = nullptr;
  THintWindow* Hint = nullptr;
};

TEST_F(HintWindowTest, CalcHintRectFitsTheTextWithTheMargins) {
  TRect text = TextExtentRect("Filing cabinets", 600);
  TRect r = Hint->CalcHintRect(600, "Filing cabinets", nullptr);
  EXPECT_EQ(r.Left, 0);
  EXPECT_EQ(r.Top, 0);
  EXPECT_EQ(r.Width(), Hint->Canvas()->TextWidth("Filing cabinets") + 6);
  EXPECT_EQ(r.Width(), text.Width() + 6);
  EXPECT_EQ(r.Height(), Hint->Canvas()->TextHeight("Filing cabinets") + 2);
  EXPECT_FALSE(Hint->HandleAllocated());  // measuring needs no window

  // A text longer than the maximum width wraps onto more lines.
  std::string longText = "one two three four five six seven eight nine ten eleven twelve";
  TRect wrapped = Hint->CalcHintRect(120, longText, nullptr);
  EXPECT_LE(wrapped.Width(), 120 + 6);
  EXPECT_GE(wrapped.Height(), 3 * Hint->Canvas()->TextHeight("A") + 2);

  // The canvas's font decides the size.
  Hint->Canvas()->Font()->SetSize(Hint->Canvas()->Font()->Size() * 2);
  EXPECT_GT(Hint->CalcHintRect(600, "Filing cabinets", nullptr).Width(), r.Width() * 3 / 2);
}

TEST_F(HintWindowTest, ActivateHintShowsItOnTopWhereAskedWithoutTakingTheActivation) {
  TRect r = Hint->CalcHintRect(600, "Filing cabinets", nullptr);
  OffsetRect(r, 150, 130);
  Hint->ActivateHint(r, "Filing cabinets");
  ASSERT_TRUE(Hint->HandleAllocated());
  HWND h = Hint->Handle();
  EXPECT_TRUE(IsWindowVisible(h));
  TRect w;
  GetWindowRect(h, w);
  EXPECT_EQ(w, (TRect{r.Left, r.Top, r.Right, r.Bottom + 4}));
  EXPECT_EQ(Hint->Caption(), "Filing cabinets");
  EXPECT_EQ(GetTopLevelWindows().front(), h);
  EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & (WS_POPUP | WS_BORDER | WS_CHILD),
            static_cast<LONG>(WS_POPUP | WS_BORDER));
  EXPECT_EQ(GetWindowLong(h, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            static_cast<LONG>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  sim::ProcessMessages();
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Log.Take(), "");  // no exit, no focus change

  // A click on it changes neither the activation nor the focus.
  sim::Click(Point(w.Left + 5, w.Top + 5));
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_TRUE(Edit->Focused());
  EXPECT_EQ(Screen->ActiveForm(), Form);
  EXPECT_EQ(Log.Count("Edit:WM_KILLFOCUS"), 0);
  EXPECT_FALSE(Hint->CanFocus());

  // Another form brought to the front stays under the hint.
  auto* other = new TForm(Application);
  other->SetBounds(120, 120, 200, 100);
  other->Show();
  EXPECT_EQ(GetTopLevelWindows().front(), h);
}

TEST_F(HintWindowTest, ItPaintsABorderTheInfoColourAndTheTextInTheInfoTextColour) {
  TRect r = Hint->CalcHintRect(600, "WWW", nullptr);
  OffsetRect(r, 200, 200);
  Hint->ActivateHint(r, "WWW");
  TSurface s = CaptureScreen();
  TRect w;
  GetWindowRect(Hint->Handle(), w);
  EXPECT_EQ(s.Pixel(w.Left, w.Top + 3), Rgb(clWindowFrame));
  EXPECT_EQ(s.Pixel(w.Right - 1, w.Top + 3), Rgb(clWindowFrame));
  EXPECT_EQ(s.Pixel(w.Left + 3, w.Bottom - 1), Rgb(clWindowFrame));
  EXPECT_EQ(s.Pixel(w.Left + 1, w.Top + 1), Rgb(clInfoBk));
  EXPECT_EQ(s.Pixel(w.Right - 2, w.Bottom - 2), Rgb(clInfoBk));
  // The text: dark pixels (the text colour, and its smoothed edges toward the background).
  int ink = 0;
  for (int y = w.Top + 1; y < w.Bottom - 1; ++y)
    for (int x = w.Left + 1; x < w.Right - 1; ++x) {
      TColor c = s.Pixel(x, y);
      ink += (c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80;
    }
  EXPECT_GT(ink, 20);
  // The text stays inside the margins: the first and last client columns and rows are clear.
  for (int y = w.Top + 1; y < w.Bottom - 1; ++y) {
    EXPECT_EQ(s.Pixel(w.Left + 1, y), Rgb(clInfoBk));
    EXPECT_EQ(s.Pixel(w.Right - 2, y), Rgb(clInfoBk));
  }

  // A colour of its own is its background.
  Hint->SetColor(clYellow);
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(w.Left + 1, w.Top + 1), Rgb(clYellow));
}

TEST_F(HintWindowTest, ActivatingAgainMovesItAndReleaseHandleRemovesIt) {
  TRect r = Hint->CalcHintRect(600, "first", nullptr);
  TRect at = r;
  OffsetRect(at, 150, 130);
  Hint->ActivateHint(at, "first");
  HWND h = Hint->Handle();
  int windows = WindowCount();
  TRect moved = Hint->CalcHintRect(600, "the second text", nullptr);
  OffsetRect(moved, 300, 250);
  Hint->ActivateHint(moved, "the second text");
  EXPECT_EQ(Hint->Handle(), h);
  EXPECT_EQ(WindowCount(), windows);
  TRect w;
  GetWindowRect(h, w);
  EXPECT_EQ(TPoint(w.Left, w.Top), Point(300, 250));
  EXPECT_EQ(w.Width(), moved.Width());
  TSurface s = CaptureScreen();
  EXPECT_EQ(s.Pixel(151, 131), Rgb(Form->Color()));  // gone from the old place
  EXPECT_EQ(s.Pixel(301, 251), Rgb(clInfoBk));

  // Near the screen's edge it is kept on the screen.
  TRect edge = r;
  OffsetRect(edge, 630, 470);
  Hint->ActivateHint(edge, "first");
  GetWindowRect(h, w);
  EXPECT_EQ(w.Right, 640);
  EXPECT_EQ(w.Bottom, 480);

  Hint->ReleaseHandle();
  EXPECT_FALSE(Hint->HandleAllocated());
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(WindowCount(), windows - 1);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_TRUE(Edit->Focused());
  s = CaptureScreen();
  EXPECT_EQ(s.Pixel(w.Left + 1, w.Top + 1), Rgb(clBackground));
  Hint->ReleaseHandle();  // twice is harmless
  // It comes back on the next activation, and goes with its owner.
  Hint->ActivateHint(at, "again");
  EXPECT_TRUE(IsWindowVisible(Hint->Handle()));
  h = Hint->Handle();
  delete Form;
  EXPECT_FALSE(IsWindow(h));
}

}  // namespace
