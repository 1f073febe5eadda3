// Focus, key and data handlers of forms and controls that free the form or the control they
// run for: nothing is used after it is freed, and the focus ends on a live window.
#include <gtest/gtest.h>

#include "platform/data/db.h"
#include "platform/platform_fixture.h"
#include "platform/vcl/db_edit.h"
#include "platform/vcl/edit.h"

using namespace vcl;
using kttest::PlatformTest;

namespace {

// Two forms, each with two edits; the first form is active with its first edit focused.
class FreeingHandlerTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    for (int f = 0; f < 2; ++f) {
      Forms[f] = MakeForm("Form" + std::to_string(f + 1));
      Forms[f]->SetLeft(100 + 450 * f);
      for (int e = 0; e < 2; ++e) {
        auto* edit = new TEdit(Forms[f]);
        edit->SetBounds(10, 10 + 40 * e, 100, 21);
        edit->SetParent(Forms[f]);
        Edits[f][e] = edit;
      }
    }
    Forms[1]->Show();
    Forms[0]->Show();
    sim::ProcessMessages();
    Edits[0][0]->SetFocus();
  }
  // A handler that frees the form (the ordinary way) and then reads its own captures.
  TNotifyEvent FreeingForm(int F) {
    return [this, F, tag = std::string(64, 'f')](TObject*) {
      delete Forms[F];
      Forms[F] = nullptr;
      Edits[F][0] = Edits[F][1] = nullptr;
      Seen = tag;
    };
  }
  // The focus, if anywhere, is on a live control's window.
  void ExpectFocusOnALiveControl() {
    HWND focus = GetFocus();
    if (focus) {
      EXPECT_NE(FindControl(focus), nullptr);
    }
    EXPECT_LE(Screen->FormCount(), 2);
  }

  TForm* Forms[2] = {};
  TEdit* Edits[2][2] = {};
  std::string Seen;
};

}  // namespace

TEST_F(FreeingHandlerTest, AnEnterOrExitHandlerMayFreeTheForm) {
  for (bool onExit : {true, false}) {
    for (int variant = 0; variant < 4; ++variant) {
      const bool byClick = variant % 2 == 1, alone = variant >= 2;
      SCOPED_TRACE(std::string(onExit ? "OnExit" : "OnEnter") + (byClick ? " on a click" : " on Tab") +
                   (alone ? ", the only form" : ""));
      SetUp();
      if (alone) {
        delete Forms[1];
        Forms[1] = nullptr;
      }
      if (onExit)
        Edits[0][0]->SetOnExit(FreeingForm(0));
      else
        Edits[0][1]->SetOnEnter(FreeingForm(0));
      if (byClick)
        sim::Click(Edits[0][1]->Handle(), Point(5, 5));
      else
        sim::PressKey(VK_TAB);
      EXPECT_EQ(Forms[0], nullptr);
      EXPECT_EQ(Seen, std::string(64, 'f'));
      ExpectFocusOnALiveControl();
      sim::PressKey(VK_TAB);
      sim::TypeText("ab");
    }
  }
}

TEST_F(FreeingHandlerTest, AnActivateOrDeactivateHandlerMayFreeItsForm) {
  // The form that its OnActivate frees is the only one: no other form takes the focus.
  SetUp();
  delete Forms[1];
  delete Forms[0];
  Forms[1] = nullptr;
  Forms[0] = MakeForm("Alone");
  Forms[0]->SetOnActivate(FreeingForm(0));
  Forms[0]->Show();
  sim::ProcessMessages();
  EXPECT_EQ(Forms[0], nullptr);
  EXPECT_EQ(Seen, std::string(64, 'f'));
  ExpectFocusOnALiveControl();
  for (bool deactivate : {true, false}) {
    for (bool byClick : {true, false}) {
      SCOPED_TRACE(std::string(deactivate ? "OnDeactivate" : "OnActivate") +
                   (byClick ? " by a click" : " by SetFocus"));
      SetUp();
      const int freed = deactivate ? 0 : 1;
      if (deactivate)
        Forms[0]->SetOnDeactivate(FreeingForm(0));
      else
        Forms[1]->SetOnActivate(FreeingForm(1));
      if (byClick)
        sim::Click(Edits[1][1]->Handle(), Point(5, 5));
      else
        Edits[1][1]->SetFocus();
      EXPECT_EQ(Forms[freed], nullptr);
      EXPECT_EQ(Seen, std::string(64, 'f'));
      ExpectFocusOnALiveControl();
      sim::PressKey(VK_TAB);
    }
  }
}

TEST_F(FreeingHandlerTest, TheFormsPreviewOfAKeyMayFreeTheFocusedControl) {
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(which == 0 ? "OnKeyDown" : which == 1 ? "OnKeyPress" : "OnKeyUp");
    SetUp();
    TForm* form = Forms[0];
    form->SetKeyPreview(true);
    auto free = [this, tag = std::string(64, 'k')] {
      if (!Edits[0][0]) return;
      delete Edits[0][0];
      Edits[0][0] = nullptr;
      Seen = tag;
    };
    if (which == 0) form->SetOnKeyDown([free](TObject*, Word&, TShiftState) { free(); });
    if (which == 1) form->SetOnKeyPress([free](TObject*, char&) { free(); });
    if (which == 2) form->SetOnKeyUp([free](TObject*, Word&, TShiftState) { free(); });
    sim::TypeText("x");
    EXPECT_EQ(Edits[0][0], nullptr);
    EXPECT_EQ(Seen, std::string(64, 'k'));
    ExpectFocusOnALiveControl();
    sim::TypeText("yz");
    EXPECT_EQ(Edits[0][1]->Text(), "");
  }
}

TEST_F(FreeingHandlerTest, DisablingOrHidingTheFocusedControlWhoseExitFreesIt) {
  for (bool hide : {false, true}) {
    SCOPED_TRACE(hide ? "hidden" : "disabled");
    SetUp();
    TEdit* edit = Edits[0][0];
    edit->SetOnExit([this, tag = std::string(64, 'e')](TObject*) {
      delete Edits[0][0];
      Edits[0][0] = nullptr;
      Seen = tag;
    });
    if (hide)
      edit->Hide();
    else
      edit->SetEnabled(false);
    EXPECT_EQ(Edits[0][0], nullptr);
    EXPECT_EQ(Seen, std::string(64, 'e'));
    EXPECT_EQ(Forms[0]->ActiveControl(), nullptr);
    ExpectFocusOnALiveControl();
    sim::PressKey(VK_TAB);
    sim::TypeText("a");
  }
}

// A data-aware edit that its field's handlers free while the user leaves it.
TEST_F(FreeingHandlerTest, ADataAwareEditFreedByItsFieldWhileBeingLeft) {
  for (int how = 0; how < 3; ++how) {
    SCOPED_TRACE(how == 0 ? "OnValidate" : how == 1 ? "OnChange" : "OnValidate, then raising");
    SetUp();
    auto* table = new TMemDataSet(Forms[0]);
    table->AddStringField("Name", 10);
    table->Open();
    table->AppendRecord({"Abbott"});
    auto* source = new TDataSource(Forms[0]);
    source->SetDataSet(table);
    TDBEdit* edit = new TDBEdit(Forms[0]);
    edit->SetBounds(10, 100, 100, 21);
    edit->SetParent(Forms[0]);
    edit->SetDataSource(source);
    edit->SetDataField("Name");
    TField* name = table->FieldByName("Name");
    TFieldNotifyEvent handler = [&, how](TField*) {
      if (!edit) return;
      delete edit;
      edit = nullptr;
      if (how == 2) throw EDatabaseError("no");
    };
    how == 1 ? name->SetOnChange(handler) : name->SetOnValidate(handler);
    edit->SetFocus();
    sim::TypeText("x");
    sim::PressKey(VK_TAB);
    EXPECT_EQ(edit, nullptr);
    EXPECT_EQ(Application->ExceptionCount(), how == 2 ? 1 : 0);
    ExpectFocusOnALiveControl();
    sim::PressKey(VK_TAB);
  }
}

TEST_F(FreeingHandlerTest, ADataAwareEditFreedWhileReadingItsCalculatedField) {
  // The edit reads a calculated field; the calculation frees the edit.
  auto* table = new TMemDataSet(Forms[0]);
  table->AddStringField("Name", 10);
  table->AddCalcField("Upper", ftString);
  table->Open();
  table->AppendRecord({"Abbott"});
  auto* source = new TDataSource(Forms[0]);
  source->SetDataSet(table);
  TDBEdit* edit = new TDBEdit(Forms[0]);
  edit->SetParent(Forms[0]);
  edit->SetDataSource(source);
  edit->SetDataField("Upper");
  table->SetOnCalcFields([&](TDataSet*) {
    delete edit;
    edit = nullptr;
  });
  EXPECT_EQ(edit, nullptr);
}
