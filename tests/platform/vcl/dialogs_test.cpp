#include "platform/vcl/dialogs.h"

#include <gtest/gtest.h>

#include "platform/platform_fixture.h"
#include "platform/vcl/button.h"

using namespace vcl;
using kttest::PlatformTest;

namespace {

class DialogsTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    DialogService()->Reset();
  }
  void TearDown() override {
    DialogService()->Reset();
    PlatformTest::TearDown();
  }
};

TEST_F(DialogsTest, RecordsEachCallAndAnswersOkByDefault) {
  EXPECT_EQ(MessageDlg("Saved.", mtInformation, {mbOK}, 0), mrOk);
  EXPECT_EQ(MessageDlg("Really?", mtConfirmation, mbYesNoCancel, 12), mrOk);
  const auto& calls = DialogService()->Calls();
  ASSERT_EQ(DialogService()->CallCount(), 2);
  EXPECT_EQ(calls[0].Msg, "Saved.");
  EXPECT_EQ(calls[0].DlgType, mtInformation);
  EXPECT_EQ(calls[0].Buttons, TMsgDlgButtons{mbOK});
  EXPECT_EQ(calls[1].DlgType, mtConfirmation);
  EXPECT_TRUE(calls[1].Buttons.Contains(mbCancel));
  EXPECT_FALSE(calls[1].Buttons.Contains(mbOK));
  EXPECT_EQ(calls[1].HelpCtx, 12);
  EXPECT_EQ(calls[1].Result, mrOk);
}

TEST_F(DialogsTest, AnswersWhatTheTestChooses) {
  DialogService()->SetAnswer(mrNo);
  EXPECT_EQ(MessageDlg("Delete?", mtWarning, {mbYes, mbNo}, 0), mrNo);
  DialogService()->SetOnAnswer(
      [](const TMessageDlgCall& Call) { return Call.Buttons.Contains(mbCancel) ? mrCancel : mrYes; });
  EXPECT_EQ(MessageDlg("Save?", mtConfirmation, mbYesNoCancel, 0), mrCancel);
  EXPECT_EQ(MessageDlg("Go on?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
  EXPECT_EQ(DialogService()->Calls().back().Result, mrYes);
  DialogService()->Reset();
  EXPECT_EQ(DialogService()->CallCount(), 0);
  EXPECT_EQ(MessageDlg("Error", mtError, {mbOK}, 0), mrOk);
}

TEST_F(DialogsTest, AButtonCanAskAndTheServiceShowsTheBeeps) {
  auto* form = MakeForm();
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetDefault(true);
  TModalResult answer = mrNone;
  button->SetOnClick([&](TObject*) {
    MessageBeep(MB_ICONQUESTION);
    answer = MessageDlg("Close the form?", mtConfirmation, {mbYes, mbNo}, 0);
  });
  DialogService()->SetAnswer(mrYes);
  form->Show();
  sim::ProcessMessages();
  sim::PressKey(VK_RETURN);
  EXPECT_EQ(answer, mrYes);
  ASSERT_EQ(DialogService()->Beeps().size(), 1u);
  EXPECT_EQ(DialogService()->Beeps()[0], MB_ICONQUESTION);
  EXPECT_EQ(DialogService()->Calls().at(0).Msg, "Close the form?");
}

}  // namespace
