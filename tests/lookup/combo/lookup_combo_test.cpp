// The combo's model, focus, drop-down and close-up, painting and button.
#include "lookup/combo/lookup_combo.h"

#include <gtest/gtest.h>

#include "lookup/combo/combo_test_util.h"
#include "platform/gfx/gdi.h"

using namespace vcl;
using namespace ktlookup;
using kttest::ComboTest;
using kttest::TTestCombo;

// ---- Model ----------------------------------------------------------------------------------

TEST_F(ComboTest, ConstructionGivesTheDocumentedDefaults) {
  auto* c = new TTestCombo(Form);
  const std::pair<const char*, bool> flags[] = {
      {"AllowEditing", c->AllowEditing() == false},
      {"AlwaysAutoSelect", c->AlwaysAutoSelect() == false},
      {"AutoChange", c->AutoChange()},
      {"AutoComplete", c->AutoComplete()},
      {"AutoDropDown", c->AutoDropDown()},
      {"CapitalAfterSpace", !c->CapitalAfterSpace()},
      {"CapitalFirstLetter", c->CapitalFirstLetter()},
      {"DropDownAlign", c->DropDownAlign() == daLeft},
      {"DropDownOnEditClick", !c->DropDownOnEditClick()},
      {"DropDownOnEnter", !c->DropDownOnEnter()},
      {"DropDownRows", c->DropDownRows() == 7},
      {"DropDownRowsAutoDecrease", c->DropDownRowsAutoDecrease()},
      {"DropDownWidth", c->DropDownWidth() == 0},
      {"DropDownWidthFromListFlds", !c->DropDownWidthFromListFlds()},
      {"EmptyShowInList", c->EmptyShowInList()},
      {"EscapeCancel", c->EscapeCancel()},
      {"ExitFillFirstIfBlank", !c->ExitFillFirstIfBlank()},
      {"ExitFillIfPartial", c->ExitFillIfPartial()},
      {"ListFontColor", c->ListFontColor() == clWindowText},
      {"RestrictToList", !c->RestrictToList()},
      {"ValidateOnAccept", !c->ValidateOnAccept()},
      {"ValidateErrMsg", c->ValidateErrMsg().empty()},
      {"HighlightColor", c->HighlightColor() == clHighlight},
      {"HighlightFontColor", c->HighlightFontColor() == clHighlightText},
      {"ListColor", c->ListColor() == clWindow},
      {"Options", c->Options().Empty()},
      {"TitleColor", c->TitleColor() == clBtnFace},
      {"TitleFontColor", c->TitleFontColor() == clBtnText},
      {"CharCase", c->CharCase() == ecNormal},
      {"MaxLength", c->MaxLength() == 0},
      {"Width", c->Width() == 145},
      {"Height", c->Height() == c->GetTextHeight() + c->GetBorderSize() + 4},
      {"ButtonWidth", c->FButtonWidth == GetSystemMetrics(SM_CXVSCROLL)},
      {"TabStop", c->TabStop()},
  };
  for (const auto& [name, ok] : flags) EXPECT_TRUE(ok) << name;
  EXPECT_FALSE(c->FEdit->TabStop());
  EXPECT_EQ(c->FEdit->BorderStyle(), bsNone);
  EXPECT_EQ(c->FDBEdit->BorderStyle(), bsSingle);
  EXPECT_FALSE(c->FPopupList->TControl::Visible());
  EXPECT_EQ(c->FPopupList->Parent(), c);
}

TEST_F(ComboTest, TheEditShowsTheKeysRowOrTheEmptyDisplay) {
  struct Case {
    bool Bound;
    bool AutoChange;
    const char* EmptyDisplay;
    int Key;  // -1: none
    const char* Typed;
    const char* Shown;
  } cases[] = {
      {true, true, "", 2, "", "SMITH"},
      {true, true, "(none)", -1, "", "(none)"},
      {false, true, "(none)", -1, "typed", "typed"},  // unbound with AutoChange: typing stands
      {false, false, "(none)", -1, "typed", "(none)"},
      {false, true, "", 4, "typed", "Jones"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Bound << c.AutoChange << c.EmptyDisplay << c.Key);
    TTestCombo* combo = c.Bound ? MakeBoundCombo() : MakeCombo();
    combo->SetAutoChange(c.AutoChange);
    combo->SetEmptyDisplay(c.EmptyDisplay);
    if (c.Bound && c.Key < 0) Orders->Next();
    if (!c.Bound) combo->SetKeyValue(c.Key < 0 ? Variant(Null) : Variant(c.Key));
    combo->SetEditText(c.Typed);
    combo->UpdateEdit();
    EXPECT_EQ(combo->GetEditText(), c.Shown);
    Orders->First();
    delete combo;
  }
}

TEST_F(ComboTest, SetEditTextWithTheSameTextFiresNoChange) {
  TTestCombo* c = MakeBoundCombo();
  int changes = 0;
  c->SetOnChange([&](TObject*) { ++changes; });
  c->SetEditText("SMITH");
  EXPECT_EQ(changes, 0);
  c->SetEditText("Other");
  EXPECT_EQ(changes, 1);
}

TEST_F(ComboTest, EditingTheLookupRowSwapsInTheDataAwareEdit) {
  TTestCombo* c = MakeBoundCombo();
  c->SetAllowEditing(true);
  c->SetFocus();
  ASSERT_TRUE(c->FEdit->Focused());
  Customers->Locate("CustNo", 2, {});
  Customers->Edit();
  EXPECT_TRUE(c->FDBEditActive);
  EXPECT_TRUE(c->FDBEdit->Visible());
  EXPECT_FALSE(c->FEdit->Visible());
  EXPECT_TRUE(c->FDBEdit->Focused());
  EXPECT_EQ(c->FDBEdit->DataSource(), CustSource);
  EXPECT_EQ(c->FDBEdit->DataField(), "Name");
  TRect r;
  GetWindowRect(c->FDBEdit->Handle(), r);
  EXPECT_EQ(TPoint(r.Left, r.Top), c->ClientToScreen(TPoint{-2, -2}));  // over the combo's frame
  sim::TypeText("Smith Ltd");
  Customers->Post();
  EXPECT_FALSE(c->FDBEditActive);
  EXPECT_EQ(c->FDBEdit->DataSource(), nullptr);
  EXPECT_TRUE(c->FEdit->Visible());
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "Smith Ltd");
  EXPECT_EQ(c->GetEditText(), "Smith Ltd");

  // A new row starts with what the user typed.
  c->FEdit->SetFocus();
  c->SetEditText("Zeta");
  Customers->Insert();
  EXPECT_TRUE(c->FDBEditActive);
  EXPECT_EQ(Customers->FieldByName("Name")->AsString(), "Zeta");
  Customers->Cancel();
  EXPECT_FALSE(c->FDBEditActive);
}

TEST_F(ComboTest, WithoutAllowEditingAnotherRowsEditLeavesTheText) {
  TTestCombo* c = MakeBoundCombo();  // SMITH
  Customers->Locate("CustNo", 4, {});
  Customers->Edit();
  Customers->FieldByName("Name")->SetValue("Jones & Co");
  EXPECT_EQ(c->GetEditText(), "SMITH");
  Customers->Post();
  Customers->Locate("CustNo", 2, {});
  Customers->Edit();  // the key's own row: the text follows it
  Customers->FieldByName("Name")->SetValue("Smith Ltd");
  Customers->Post();
  EXPECT_EQ(c->GetEditText(), "Smith Ltd");
}

// ---- Drop-down ------------------------------------------------------------------------------

TEST_F(ComboTest, DropDownRowsFollowTheRecords) {
  struct Case {
    int Records;
    int DropDownRows;
    bool AutoDecrease;
    bool EmptyRow;
    bool Titles;
    int Rows;
  } cases[] = {
      {5, 7, true, false, false, 5},      {5, 7, false, false, false, 7}, {5, 7, true, true, false, 6},
      {5, 3, true, false, false, 3},      {3, 7, true, false, true, 3},   {0, 7, true, false, false, 7},
      {5, 250, false, false, false, 100},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.Records << " " << k.DropDownRows << " " << k.EmptyRow << k.Titles);
    while (Customers->RecordCount() > k.Records) {
      Customers->Last();
      Customers->Delete();
    }
    TTestCombo* c = MakeBoundCombo();
    c->SetDropDownRows(k.DropDownRows);
    c->SetDropDownRowsAutoDecrease(k.AutoDecrease);
    if (k.EmptyRow) c->SetEmptyDisplay("(none)");
    if (k.Titles) c->SetOptions({loTitles});
    c->DropDown();
    EXPECT_TRUE(c->FListVisible);
    EXPECT_EQ(c->FPopupList->RowCount(), k.Rows);
    delete c;
  }
}

TEST_F(ComboTest, DropDownWidthAndPlacement) {
  TTestCombo* c = MakeCombo("Name;City");
  const TPoint corner = Form->ClientToScreen(TPoint{c->Left(), c->Top()});
  struct Case {
    int DropDownWidth;
    bool FromFields;
    TDropDownAlign Align;
    bool RightToLeft;
    int Width;  // -1: from the fields
    int DX;     // the list's left edge relative to the combo's
  } cases[] = {
      {0, false, daLeft, false, 150, 0},     {250, true, daLeft, false, 250, 0},
      {0, true, daLeft, false, -1, 0},       {157, false, daCenter, false, 157, -3},
      {143, false, daCenter, false, 143, 3}, {157, false, daRight, false, 157, -7},
      {157, false, daLeft, true, 157, -7},   {157, false, daRight, true, 157, 0},
  };
  const int fields = (20 + 15) * c->Canvas()->TextWidth("0") + GetSystemMetrics(SM_CXVSCROLL);
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.DropDownWidth << k.FromFields << static_cast<int>(k.Align)
                                    << k.RightToLeft);
    SysLocale.MiddleEast = k.RightToLeft;
    c->SetBiDiMode(k.RightToLeft ? bdRightToLeft : bdLeftToRight);
    c->SetDropDownWidth(k.DropDownWidth);
    c->SetDropDownWidthFromListFlds(k.FromFields);
    c->SetDropDownAlign(k.Align);
    c->DropDown();
    TRect r;
    GetWindowRect(c->FPopupList->Handle(), r);
    EXPECT_EQ(r.Width(), k.Width < 0 ? fields : k.Width);
    EXPECT_EQ(r.Left, corner.X + k.DX);
    EXPECT_EQ(r.Top, corner.Y + c->Height());
    c->CloseUp(false, false);
  }
  SysLocale.MiddleEast = false;

  // Narrow fields never make the list narrower than the combo.
  Customers->FieldByName("Name")->SetDisplayWidth(2);
  Customers->FieldByName("City")->SetDisplayWidth(2);
  c->SetDropDownWidth(0);
  c->SetDropDownWidthFromListFlds(true);
  c->DropDown();
  EXPECT_EQ(c->FPopupList->Width(), 150);
  c->CloseUp(false, false);

  // A list that would end below the screen opens above the combo; ending on the edge is fine.
  const int listHeight = c->FPopupList->Height();
  const int originY = corner.Y - 10;  // the form's client area on the screen
  for (int bottom : {0, 1}) {
    const int top = 600 - c->Height() - listHeight + bottom - originY;
    c->SetTop(top);
    const TPoint p = Form->ClientToScreen(TPoint{c->Left(), c->Top()});
    c->DropDown();
    TRect r;
    GetWindowRect(c->FPopupList->Handle(), r);
    EXPECT_EQ(r.Top, bottom ? p.Y - listHeight : p.Y + c->Height()) << bottom;
    c->CloseUp(false, false);
  }
}

TEST_F(ComboTest, OpeningTheListLeavesTheFocusAndTheActiveWindow) {
  TTestCombo* c = MakeBoundCombo();
  c->SetFocus();
  Log.Clear();
  int dropDowns = 0;
  c->SetOnDropDown([&](TObject*) {
    Log.Add("OnDropDown");
    ++dropDowns;
  });
  sim::PressKey(VK_DOWN, {ssAlt});
  EXPECT_TRUE(c->FListVisible);
  EXPECT_EQ(Log.Take(), "DropDown OnDropDown SysKeyUp SysKeyUp");  // Down, then Alt, come up
  EXPECT_TRUE(c->FEdit->Focused());
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_TRUE(IsWindowVisible(c->FPopupList->Handle()));
  EXPECT_EQ(c->FPopupList->KeyValue().AsInteger(), 2);
  EXPECT_EQ(c->FPopupList->ListSource(), CustSource);
  c->DropDown();  // already open: nothing
  EXPECT_EQ(dropDowns, 1);
  sim::PressKey(VK_UP, {ssAlt});  // the field holds the key: closes without taking
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(c->FPopupList->ListSource(), nullptr);
  EXPECT_EQ(Log.Take(), "CloseUp SysKeyUp SysKeyUp");
  c->CloseUp(true, false);  // closed: nothing, no event
  EXPECT_EQ(Log.Take(), "");
}

// ---- Close-up -------------------------------------------------------------------------------

TEST_F(ComboTest, CloseUpTakesTheRowWhenTheTextLeadsIt) {
  struct Case {
    const char* Text;
    bool Accept;
    bool ListClicked;
    int Key;  // afterwards
  } cases[] = {{"SMY", true, false, 3},
               {"smythe and more", true, false, 1},
               {"", true, false, 1},
               {"x", true, true, 3},
               {"SMY", false, false, 1}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.Text);
    TTestCombo* c = MakeCombo();
    c->SetKeyValue(1);
    c->DropDown();
    c->FPopupList->SetKeyValue(3);  // the row chosen in the list: smythe
    c->SetEditText(k.Text);
    c->CloseUp(k.Accept, k.ListClicked);
    EXPECT_EQ(Key(c), k.Key);
    EXPECT_EQ(Field(Customers), k.Key);  // not taken: back on the key's row
    delete c;
  }
}

TEST_F(ComboTest, ValidationKeepsTheListOpenOnlyWhileTheUserStays) {
  TTestCombo* c = MakeBoundCombo();
  c->SetValidateOnAccept(true);
  c->SetValidateErrMsg("Pick a customer from the list");
  c->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  c->SetEditText("zz");
  sim::PressKey(VK_RETURN);
  ASSERT_EQ(DialogService()->CallCount(), 1);
  EXPECT_EQ(DialogService()->Calls()[0].Msg, "Pick a customer from the list");
  EXPECT_EQ(DialogService()->Calls()[0].DlgType, mtError);
  EXPECT_TRUE(c->FListVisible);
  sim::PressKey(VK_ESCAPE);  // no validation when nothing is taken
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(DialogService()->CallCount(), 1);

  // Leaving closes the list without asking and takes nothing.
  sim::PressKey(VK_DOWN, {ssAlt});
  c->SetEditText("zz");
  Other->SetFocus();
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(DialogService()->CallCount(), 1);
  EXPECT_EQ(Field(Orders), 2);
  EXPECT_EQ(c->GetEditText(), "zz");  // kept for the exit rules (OnExitWhenNotInList)
}

TEST_F(ComboTest, ABoundComboThatTakesNothingShowsItsFieldsKeyAgain) {
  TTestCombo* c = MakeBoundCombo();
  c->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_NEXT);  // the list's selection moves; the field is not written
  EXPECT_EQ(Key(c), 5);
  EXPECT_EQ(c->GetEditText(), "Adams");
  EXPECT_EQ(Field(Orders), 2);
  sim::PressKey(VK_ESCAPE);
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Key(c), 2);
  EXPECT_EQ(c->GetEditText(), "SMITH");
  EXPECT_EQ(Field(Customers), 2);

  // An unbound combo keeps the key reached with the keys.
  TTestCombo* u = MakeCombo("Name", "Combo2");
  u->SetKeyValue(2);
  u->SetFocus();
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_DOWN);
  sim::PressKey(VK_ESCAPE);
  EXPECT_EQ(Key(u), 3);
}

// ---- Focus and special events -----------------------------------------------------------------

TEST_F(ComboTest, SpecialEventsComeInOrder) {
  TTestCombo* c = MakeBoundCombo();
  c->SetOnEnter([this](TObject*) { Log.Add("OnEnter"); });
  c->SetOnExit([this](TObject*) { Log.Add("OnExit"); });
  c->SetOnCloseUp([this](TObject*) { Log.Add("OnCloseUp"); });
  Log.Clear();
  sim::Click(On(c, 20, 8));  // into the edit
  EXPECT_EQ(Log.Take(), "OnEnter GotFocus");
  EXPECT_EQ(Form->ActiveControl(), c);
  EXPECT_TRUE(c->Focused());
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::PressKey(VK_RETURN);  // taken by the open combo, not by the form
  EXPECT_EQ(Log.Take(), "DropDown SysKeyUp SysKeyUp CloseUp OnCloseUp");
  sim::PressKey(VK_RETURN);  // closed: the combo reports the key
  EXPECT_EQ(Log.Take(), "EnterKey");
  sim::PressKey(VK_DOWN, {ssAlt});
  sim::Click(On(Other, 5, 5));  // a press elsewhere cancels, then the focus leaves
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Log.Take(), "DropDown SysKeyUp SysKeyUp CancelMode CloseUp OnCloseUp OnExit LostFocus");
}

TEST_F(ComboTest, APressOnTheButtonOpensTheListAndADragPicksARow) {
  TTestCombo* c = MakeBoundCombo();
  int buttonClicks = 0;
  c->SetOnButtonClick([&](TObject*) { ++buttonClicks; });
  sim::MouseDown(Button(c));
  EXPECT_EQ(buttonClicks, 1);
  EXPECT_TRUE(c->FEdit->Focused());
  EXPECT_TRUE(c->FListVisible);
  EXPECT_TRUE(c->FTracking);
  EXPECT_TRUE(c->FButtonPressed);
  sim::MouseMove(On(c, 3, 5));  // off the button: drawn released, still tracking
  EXPECT_FALSE(c->FButtonPressed);
  sim::MouseMove(Button(c));
  EXPECT_TRUE(c->FButtonPressed);
  // Into the list: the list takes over the drag as if pressed there.
  const int rh = (c->FPopupList->ClientHeight() + 1) / c->FPopupList->RowCount();
  sim::MouseMove(On(c->FPopupList, 20, rh / 2));
  EXPECT_FALSE(c->FTracking);
  EXPECT_FALSE(c->FButtonPressed);
  sim::MouseMove(On(c->FPopupList, 20, 3 * rh + rh / 2));
  EXPECT_EQ(c->FPopupList->KeyValue().AsInteger(), 4);
  EXPECT_EQ(Field(Orders), 2);
  sim::MouseUp(On(c->FPopupList, 20, 3 * rh + rh / 2));
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(Field(Orders), 4);
  EXPECT_EQ(c->GetEditText(), "Jones");
  EXPECT_EQ(GetCapture(), nullptr);

  // A release on the button leaves the list open; a second press closes it.
  sim::AdvanceTime(1000);
  sim::Click(Button(c));
  EXPECT_TRUE(c->FListVisible);
  EXPECT_FALSE(c->FButtonPressed);
  sim::AdvanceTime(1000);
  sim::Click(Button(c));
  EXPECT_FALSE(c->FListVisible);
  EXPECT_EQ(buttonClicks, 3);
}

TEST_F(ComboTest, TheButtonIsDrawnReleasedPushedOrInactive) {
  TTestCombo* c = MakeBoundCombo();
  auto expected = [&](UINT State) {
    TSurface s(c->FButtonWidth, c->ClientHeight(), clFuchsia);
    HDC dc = CreateSurfaceDC(&s, TPoint{0, 0}, s.BoundsRect());
    TRect r = s.BoundsRect();
    DrawFrameControl(dc, r, DFC_SCROLL, State);
    DeleteDC(dc);
    return s;
  };
  auto drawn = [&] {
    const TSurface screen = CaptureScreen();
    TSurface s(c->FButtonWidth, c->ClientHeight());
    const TPoint o = On(c, c->ClientWidth() - c->FButtonWidth, 0);
    for (int y = 0; y < s.Height(); ++y)
      for (int x = 0; x < s.Width(); ++x) s.SetPixel(x, y, screen.Pixel(o.X + x, o.Y + y));
    return s;
  };
  EXPECT_TRUE(drawn() == expected(DFCS_SCROLLCOMBOBOX));
  sim::MouseDown(Button(c));
  EXPECT_TRUE(drawn() == expected(DFCS_SCROLLCOMBOBOX | DFCS_PUSHED | DFCS_FLAT));
  sim::MouseUp(Button(c));
  EXPECT_TRUE(drawn() == expected(DFCS_SCROLLCOMBOBOX));
  c->CloseUp(false, false);
  c->SetEnabled(false);
  EXPECT_TRUE(drawn() == expected(DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE));
  c->SetEnabled(true);
  c->SetListSource(nullptr);  // no list fields: inactive, and a press opens nothing
  EXPECT_TRUE(drawn() == expected(DFCS_SCROLLCOMBOBOX | DFCS_INACTIVE));
  int clicks = 0;
  c->SetOnButtonClick([&](TObject*) { ++clicks; });
  sim::AdvanceTime(1000);
  sim::Click(Button(c));
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(c->FEdit->Focused());
  EXPECT_FALSE(c->FListVisible);
}

TEST_F(ComboTest, ATextWiderThanTheEditShowsItsTooltipOnce) {
  Customers->Locate("CustNo", 4, {});
  Customers->Edit();
  Customers->FieldByName("Name")->SetValue("Jones Hardware Ltd");
  Customers->Post();
  TTestCombo* c = MakeBoundCombo();
  c->SetWidth(80);
  sim::MouseMove(On(c, 10, 8));
  EXPECT_FALSE(c->FToolTipActive);  // SMITH fits
  Orders->Edit();
  Orders->FieldByName("CustNo")->SetValue(4);  // the text changes under the mouse
  ASSERT_TRUE(c->FToolTipActive);
  TRect r;
  GetWindowRect(c->FToolTipWindow->Handle(), r);
  EXPECT_EQ(TPoint(r.Left, r.Top), c->ClientToScreen(TPoint{-2, -2}));
  EXPECT_EQ(c->FToolTipWindow->Caption(), "Jones Hardware Ltd");
  sim::AdvanceTime(cToolTipTimerInterval);
  EXPECT_FALSE(c->FToolTipActive);
  sim::MouseMove(On(c, 12, 8));  // once for this text
  EXPECT_FALSE(c->FToolTipActive);
  sim::MouseMove(TPoint{5, 5});  // the mouse leaves the combo
  sim::MouseMove(On(c, 12, 8));
  EXPECT_TRUE(c->FToolTipActive);
  c->SetToolTips(false);
  sim::MouseMove(TPoint{5, 5});
  sim::MouseMove(On(c, 12, 8));
  EXPECT_FALSE(c->FToolTipActive);
}

// ---- Handlers that free the combo -------------------------------------------------------------

TEST_F(ComboTest, HandlersMayFreeTheCombo) {
  using TSetup = std::function<void(TTestCombo*, TObject**)>;
  auto freeIt = [](TObject** Self) {
    return [Self](TObject*) {
      delete *Self;
      *Self = nullptr;
    };
  };
  const TSetup setups[] = {
      [&](TTestCombo* C, TObject** S) { C->SetOnCloseUp(freeIt(S)); },
      [&](TTestCombo* C, TObject** S) { C->SetOnDropDown(freeIt(S)); },
      [&](TTestCombo* C, TObject** S) { C->SetOnButtonClick(freeIt(S)); },
      [&](TTestCombo* C, TObject** S) { C->SetOnChange(freeIt(S)); },
      [&](TTestCombo* C, TObject** S) {
        C->SetOnSpecialEvent([S](TObject*, TSpecialEventType E) {
          if (E == seDropDown) {
            delete *S;
            *S = nullptr;
          }
        });
      },
  };
  int index = 0;
  for (const TSetup& setup : setups) {
    SCOPED_TRACE(index++);
    Orders->Cancel();  // the order's customer is 2 again
    TTestCombo* c = MakeBoundCombo();
    TObject* self = c;
    setup(c, &self);
    const TPoint button = Button(c);
    c->SetFocus();
    sim::PressKey(VK_DOWN, {ssAlt});
    if (self) sim::PressKey(VK_NEXT);
    if (self) sim::PressKey(VK_RETURN);
    if (self) sim::Click(button);
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(TimerCount(), 0);
    sim::AdvanceTime(1000);
  }
}
