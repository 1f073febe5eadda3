// Typing into the combo: search, completion, restriction to the list, capitalisation, the keys
// and the wheel with the list closed, the exit rules, the edits' forwarding and the mouse hook.
#include <gtest/gtest.h>

#include "lookup/combo/combo_test_util.h"
#include "platform/vcl/clipboard.h"

using namespace vcl;
using namespace ktlookup;
using kttest::ComboTest;
using kttest::TTestCombo;

namespace {

std::string Selected(TTestCombo* C) {
  return C->FEdit->SelText();
}

}  // namespace

// ---- Keys and wheel with the list closed ------------------------------------------------------

TEST_F(ComboTest, KeysAndTheWheelStepTheSelectionWithTheListClosed) {
  struct Case {
    bool Bound;
    bool EmptyRow;
    int From;  // -1: none; the lookup table stands on the key's row
    std::function<void()> Act;
    int To;
    const char* Text;
  } cases[] = {
      {false, false, 2, [] { sim::PressKey(VK_DOWN); }, 3, "smythe"},
      {false, false, 2, [] { sim::PressKey(VK_UP); }, 1, "Abbott"},
      {false, false, 1, [] { sim::PressKey(VK_UP); }, 1, "Abbott"},
      {false, false, 5, [] { sim::PressKey(VK_DOWN); }, 5, "Adams"},
      {false, false, -1, [] { sim::PressKey(VK_DOWN); }, 1, "Abbott"},
      {true, true, 1, [] { sim::PressKey(VK_UP); }, -1, "(none)"},
      {true, true, -1, [] { sim::PressKey(VK_UP); }, -1, "(none)"},
      {true, true, -1, [] { sim::PressKey(VK_DOWN); }, 1, "Abbott"},
      {false, false, 3, [] { sim::Wheel(120); }, 2, "SMITH"},
      {false, false, 3, [] { sim::Wheel(-240); }, 4, "Jones"},  // one row a call: the edit's window hears one
  };
  for (Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.Bound << k.EmptyRow << " from " << k.From << " to " << k.To);
    Orders->Cancel();
    TTestCombo* c = k.Bound ? MakeBoundCombo() : MakeCombo();
    if (k.EmptyRow) c->SetEmptyDisplay("(none)");
    // Without a key to start from, an unbound combo must not follow the table's record.
    if (!k.Bound && k.From < 0) c->SetAutoChange(false);
    if (k.Bound) {
      Orders->Edit();
      Orders->FieldByName("CustNo")->SetValue(k.From < 0 ? Variant(Null) : Variant(k.From));
    } else {
      c->SetKeyValue(k.From < 0 ? Variant(Null) : Variant(k.From));
    }
    if (k.From == 1 || k.From < 0) Customers->First();
    c->SetFocus();
    k.Act();
    EXPECT_FALSE(c->FListVisible);
    EXPECT_EQ(Key(c), k.To);
    EXPECT_EQ(c->GetEditText(), k.Text);
    EXPECT_EQ(Selected(c), k.Text);
    if (k.Bound) {
      EXPECT_EQ(Field(Orders), k.To);
    }
    delete c;
  }
}

TEST_F(ComboTest, AltArrowsAndDeleteOpenAndCloseTheList) {
  TTestCombo* c = MakeCombo();
  c->SetKeyValue(2);
  c->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  EXPECT_TRUE(c->FListVisible);
  sim::PressKey(VK_DOWN);  // moves the list's selection
  EXPECT_EQ(Key(c), 3);
  sim::PressKey(VK_UP, {ssAlt});  // unbound: accepted
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Key(c), 3);
  EXPECT_EQ(c->GetEditText(), "smythe");
  sim::PressKey(VK_DOWN, {ssCtrl});  // a modified key is not the combo's
  sim::PressKey(VK_DOWN, {ssShift});
  EXPECT_EQ(Key(c), 3);
  EXPECT_FALSE(c->FListVisible);
  sim::PressKey(VK_DELETE);
  EXPECT_TRUE(c->FListVisible);
}

// ---- Typing, completion, restriction, capitalisation ------------------------------------------

TEST_F(ComboTest, TypingSearchesOpensTheListAndCompletesTheRow) {
  TTestCombo* c = MakeBoundCombo();
  c->SetCapitalFirstLetter(false);
  int changes = 0;
  c->SetOnChange([&](TObject*) { ++changes; });
  c->SetFocus();
  sim::TypeChar('a');  // replaces the selected text
  EXPECT_TRUE(c->FListVisible);
  EXPECT_EQ(c->GetEditText(), "abbott");  // the typed letter keeps its case
  EXPECT_EQ(Selected(c), "bbott");
  EXPECT_EQ(Field(Orders), 1);
  EXPECT_EQ(c->FPopupList->KeyValue().AsInteger(), 1);
  EXPECT_EQ(changes, 2);  // typed, then completed
  sim::TypeChar('d');
  EXPECT_EQ(c->GetEditText(), "adams");
  EXPECT_EQ(Selected(c), "ams");
  EXPECT_EQ(Field(Orders), 5);
  EXPECT_EQ(changes, 4);
  sim::PressKey(VK_BACK);  // Backspace never completes
  EXPECT_EQ(c->GetEditText(), "ad");
  sim::PressKey(VK_LEFT);  // the caret away from the end: no completion
  sim::TypeChar('x');
  EXPECT_EQ(c->GetEditText(), "axd");
  sim::PressKey(VK_RETURN);
  EXPECT_FALSE(c->FListVisible);
}

TEST_F(ComboTest, RestrictToListRefusesKeystrokesThatLeaveTheList) {
  TTestCombo* c = MakeCombo();
  c->SetRestrictToList(true);
  c->SetAutoComplete(false);
  c->SetAutoDropDown(false);  // Home and End stay the edit's
  c->SetFocus();
  sim::TypeText("sx");  // x would make "Sx"
  EXPECT_EQ(c->GetEditText(), "S");
  sim::TypeText("MY");
  EXPECT_EQ(c->GetEditText(), "SMY");
  sim::PressKey(VK_HOME);
  sim::PressKey(VK_DELETE);  // "MY" begins no row
  EXPECT_EQ(c->GetEditText(), "SMY");
  sim::PressKey(VK_END);
  for (int i = 0; i < 3; ++i) sim::PressKey(VK_BACK);  // down to nothing is always allowed
  EXPECT_EQ(c->GetEditText(), "");
  Clipboard()->SetAsText("zzz");  // pasting is not checked against the list
  c->FEdit->PasteFromClipboard();
  EXPECT_EQ(c->GetEditText(), "zzz");
  c->SetEditText("");
  Customers->Close();  // nothing can be found: every keystroke that leaves a text is refused
  sim::TypeText("a");
  EXPECT_EQ(c->GetEditText(), "");
}

TEST_F(ComboTest, CapitalisationAids) {
  struct Case {
    bool FirstLetter;
    bool AfterSpace;
    const char* Before;  // the text, the caret at its end
    char Typed;
    const char* After;
  } cases[] = {
      {true, false, "", 'a', "A"},       {true, false, "", '1', "1"},       {false, false, "", 'a', "a"},
      {true, false, "x", 'a', "xa"},     {false, true, "ab ", 'b', "ab B"}, {false, true, "ab ", '1', "ab 1"},
      {false, true, "ab ", 'B', "ab B"}, {false, true, " ", 'q', " Q"},     {true, true, "ab", 'c', "abc"},
  };
  TTestCombo* c = MakeCombo();
  c->SetAutoComplete(false);
  c->SetAutoDropDown(false);
  c->SetFocus();
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << '"' << k.Before << "\" + " << k.Typed);
    c->SetCapitalFirstLetter(k.FirstLetter);
    c->SetCapitalAfterSpace(k.AfterSpace);
    c->SetEditText(k.Before);
    c->FEdit->SetSelStart(static_cast<int>(std::string(k.Before).size()));
    sim::TypeChar(k.Typed);
    EXPECT_EQ(c->GetEditText(), k.After);
  }
}

TEST_F(ComboTest, ACharacterTheListFieldRefusesBeeps) {
  TTestCombo* c = MakeCombo("CustNo");  // follows the table's first record: "1"
  c->SetFocus();
  sim::TypeChar('x');
  EXPECT_EQ(DialogService()->Beeps().size(), 1u);
  EXPECT_EQ(c->GetEditText(), "1");
  sim::TypeChar('4');
  EXPECT_EQ(c->GetEditText(), "4");
  EXPECT_EQ(Key(c), 4);
}

// ---- Leaving ----------------------------------------------------------------------------------

TEST_F(ComboTest, ExitRulesFillOrReportTheText) {
  struct Case {
    bool Bound;
    const char* Typed;
    bool FillIfPartial;
    bool FillFirstIfBlank;
    const char* Text;  // after leaving
    int NotInList;     // OnExitWhenNotInList calls
  } cases[] = {
      {true, "jo", true, false, "Jones", 0}, {true, "jo", false, false, "Jo", 1},
      {true, "zz", true, false, "Zz", 1},    {false, "", false, true, "Abbott", 0},
      {false, "", false, false, "", 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.Bound << " '" << k.Typed << "' " << k.FillIfPartial
                                    << k.FillFirstIfBlank);
    Orders->Cancel();
    TTestCombo* c = k.Bound ? MakeBoundCombo() : MakeCombo();
    c->SetAutoComplete(false);
    c->SetAutoDropDown(false);
    c->SetExitFillIfPartial(k.FillIfPartial);
    c->SetExitFillFirstIfBlank(k.FillFirstIfBlank);
    int notInList = 0;
    c->SetOnExitWhenNotInList([&](TObject*) { ++notInList; });
    c->SetOnExit([this](TObject*) { Log.Add("OnExit"); });
    Customers->Last();
    c->SetFocus();
    if (*k.Typed)
      sim::TypeText(k.Typed);
    else
      sim::PressKey(VK_DELETE);  // the whole text was selected
    if (c->FListVisible) c->CloseUp(false, false);
    Log.Clear();
    Other->SetFocus();
    EXPECT_EQ(c->GetEditText(), k.Text);
    EXPECT_EQ(notInList, k.NotInList);
    EXPECT_EQ(Log.Take(), "OnExit LostFocus");
    delete c;
  }
}

TEST_F(ComboTest, AKeyTheLookupTableLacksShowsTheFieldsOwnText) {
  TTestCombo* c = MakeBoundCombo();
  Orders->Edit();
  Orders->FieldByName("CustNo")->SetValue(99);
  EXPECT_EQ(c->GetEditText(), "99");
  Orders->Post();
  Orders->Append();
  Orders->FieldByName("OrderNo")->SetValue(102);
  Orders->FieldByName("CustNo")->SetValue(77);
  Orders->Post();
  Orders->First();  // customer 2 again, then 77 by scrolling
  EXPECT_EQ(c->GetEditText(), "99");
  Orders->Last();
  EXPECT_EQ(c->GetEditText(), "77");
  Orders->First();
  Orders->Next();
  Orders->Prior();
  EXPECT_EQ(c->GetEditText(), "99");

  // In lookup mode the lookup table stands on the key's row too.
  TTestCombo* l = MakeCombo("Name", "Combo2");
  l->SetListSource(nullptr);
  l->SetDataSource(OrderSource);
  l->SetDataField("Customer");
  Orders->Edit();
  Orders->FieldByName("CustNo")->SetValue(4);
  EXPECT_EQ(l->GetEditText(), "Jones");
  EXPECT_EQ(Field(Customers), 4);
  Customers->First();
  Orders->FieldByName("CustNo")->SetValue(3);
  EXPECT_EQ(Field(Customers), 3);
  EXPECT_EQ(l->GetEditText(), "smythe");
}

TEST_F(ComboTest, StepsWithNonUniqueKeysWriteADifferentKey) {
  // Customers chosen by city: rows that share a city share the key.
  TTestCombo* c = MakeCombo("Name");
  c->SetKeyField("City");
  c->SetKeyIsUnique(false);
  auto* visits = new TMemDataSet(Form);
  visits->AddStringField("City", 15);
  visits->Open();
  visits->AppendRecord({"Paris"});
  auto* source = new TDataSource(Form);
  source->SetDataSet(visits);
  c->SetDataSource(source);
  c->SetDataField("City");
  ASSERT_EQ(c->GetEditText(), "SMITH");
  c->SetFocus();
  sim::PressKey(VK_DOWN);  // smythe, Rome
  EXPECT_EQ(visits->FieldByName("City")->AsString(), "Rome");
  EXPECT_EQ(c->GetEditText(), "smythe");
  sim::PressKey(VK_DOWN);  // Jones, Boston
  EXPECT_EQ(visits->FieldByName("City")->AsString(), "Boston");
  EXPECT_EQ(c->GetEditText(), "Jones");
}

// ---- The edits' mouse, clicks and system keys --------------------------------------------------

TEST_F(ComboTest, ATripleClickSelectsTheWholeText) {
  TTestCombo* c = MakeBoundCombo();
  Customers->Locate("CustNo", 4, {});
  Customers->Edit();
  Customers->FieldByName("Name")->SetValue("Jones and Sons");
  Customers->Post();
  Orders->Edit();
  Orders->FieldByName("CustNo")->SetValue(4);
  c->SetFocus();
  const TPoint word = On(c->FEdit, 50, 6);  // in "and"
  int dbl = 0;
  c->SetOnDblClick([&](TObject*) { ++dbl; });
  sim::DoubleClick(word);
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(Log.Count("DblClick"), 1);
  EXPECT_NE(Selected(c), "Jones and Sons");
  sim::Click(word);  // a third press within the double-click time
  EXPECT_EQ(Selected(c), "Jones and Sons");
  sim::AdvanceTime(2000);
  sim::Click(word);
  EXPECT_EQ(Selected(c), "");
}

TEST_F(ComboTest, SystemKeysReportAndCloseTheListOnlyOnAnMDIFrame) {
  for (bool mdi : {false, true}) {
    SCOPED_TRACE(mdi);
    Form->SetFormStyle(mdi ? fsMDIForm : fsNormal);
    TTestCombo* c = MakeCombo();
    sim::Click(On(c->FEdit, 5, 5));  // an MDI frame focuses a control that is clicked
    sim::PressKey(VK_DOWN, {ssAlt});
    Log.Clear();
    sim::PressKey(VK_SPACE, {ssAlt});  // the window menu
    EXPECT_EQ(Log.Count("SysChar"), 1);
    EXPECT_EQ(c->FListVisible, !mdi);
    if (!c->FListVisible) sim::PressKey(VK_DOWN, {ssAlt});
    Log.Clear();
    sim::PressKey(VK_F10);
    EXPECT_EQ(Log.Count("SysKeyUp"), 1);
    EXPECT_EQ(c->FListVisible, !mdi);
    if (!c->FListVisible) sim::PressKey(VK_DOWN, {ssAlt});
    EXPECT_TRUE(c->FListVisible);  // releasing Alt after Alt+Down opens no menu
    sim::PressKey(VK_MENU);        // Alt alone does
    EXPECT_EQ(c->FListVisible, !mdi);
    delete c;
  }
}

TEST_F(ComboTest, TheMouseHookOnAnMDIFrameClosesTheListForPressesElsewhere) {
  Form->SetFormStyle(fsMDIForm);
  auto* child = new TForm(Application);
  child->SetBounds(520, 100, 200, 150);
  child->Show();
  Form->SetFocus();
  TTestCombo* c = MakeCombo();
  EXPECT_EQ(HookCount(), 0);
  sim::Click(On(c->FEdit, 5, 5));
  EXPECT_EQ(HookCount(), 1);
  EXPECT_EQ(MouseHookCombo(), c);
  sim::PressKey(VK_DOWN, {ssAlt});
  // Presses on the list, the edit and the button keep it open.
  const int rh = (c->FPopupList->ClientHeight() + 1) / c->FPopupList->RowCount();
  sim::MouseDown(On(c->FPopupList, 20, rh / 2));
  sim::MouseMove(On(c->FPopupList, 20, rh / 2));
  EXPECT_TRUE(c->FListVisible);
  SendMessage(c->FPopupList->Handle(), WM_CANCELMODE, 0, 0);
  sim::MouseUp(On(c->FPopupList, 20, 200));
  EXPECT_EQ(Log.Count("CancelMode"), 0);
  if (!c->FListVisible) sim::PressKey(VK_DOWN, {ssAlt});
  Log.Clear();
  sim::Click(On(child, 50, 50));  // a press in another window: cancel, then close
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Log.Take().substr(0, 18), "CancelMode CloseUp");

  // The hook never outlives its combo.
  sim::AdvanceTime(1000);
  sim::Click(On(c->FEdit, 5, 5));
  ASSERT_EQ(HookCount(), 1);
  delete c;
  EXPECT_EQ(HookCount(), 0);
  EXPECT_EQ(MouseHookCombo(), nullptr);
  sim::Click(On(child, 50, 50));
}

// ---- Handlers that free the combo -------------------------------------------------------------

TEST_F(ComboTest, TypingAndLeavingHandlersMayFreeTheCombo) {
  using TSetup = std::function<void(TTestCombo*, TObject**)>;
  auto freeIt = [](TObject** Self) {
    return [Self](TObject*) {
      delete *Self;
      *Self = nullptr;
    };
  };
  const TSetup setups[] = {
      [&](TTestCombo* C, TObject** S) { C->SetOnExit(freeIt(S)); },
      [&](TTestCombo* C, TObject** S) { C->SetOnExitWhenNotInList(freeIt(S)); },
      [&](TTestCombo* C, TObject** S) {
        C->SetOnKeyPress([S](TObject*, char&) {
          delete *S;
          *S = nullptr;
        });
      },
      [&](TTestCombo* C, TObject** S) {
        C->SetOnSpecialEvent([S](TObject*, TSpecialEventType E) {
          if (E == seLostFocus) {
            delete *S;
            *S = nullptr;
          }
        });
      },
      [&](TTestCombo* C, TObject** S) {
        C->SetOnSpecialEvent([S](TObject*, TSpecialEventType E) {
          if (E == seGotFocus) {
            delete *S;
            *S = nullptr;
          }
        });
      },
  };
  int index = 0;
  for (const TSetup& setup : setups) {
    SCOPED_TRACE(index++);
    Orders->Cancel();
    TTestCombo* c = MakeBoundCombo();
    TObject* self = c;
    setup(c, &self);
    c->SetFocus();
    if (self) sim::TypeText("zq");
    if (self) Other->SetFocus();
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(HookCount(), 0);
    sim::AdvanceTime(5000);
    EXPECT_EQ(TimerCount(), 0);
  }
}
