// The list driven as a user drives it: keys, typing, clicks, drags, the wheel, the scroll bar.
#include <gtest/gtest.h>

#include "lookup/list/list_test_util.h"
#include "platform/vcl/button.h"

using namespace vcl;
using namespace ktlookup;
using kttest::ListTest;
using kttest::TTestList;

namespace {

int Key(TTestList* L) {
  return L->FKeyValue.IsNull() ? -1 : L->FKeyValue.AsInteger();
}
int Field(TDataSet* D) {
  return D->FieldByName("CustNo")->IsNull() ? -1 : D->FieldByName("CustNo")->AsInteger();
}

}  // namespace

class ListInputTest : public ListTest {
 protected:
  // A focused, unbound list of the five customers in 4 rows that counts its clicks.
  TTestList* FocusedList(bool EmptyRow) {
    TTestList* l = MakeList("Name", 4);
    if (EmptyRow) l->SetEmptyDisplay("(none)");
    l->SetOnClick([this](TObject*) { ++Clicks; });
    l->SetFocus();
    return l;
  }
  // The client point in the middle of a band (title and empty rows counted).
  TPoint BandPoint(TTestList* L, int Band) { return TPoint{20, Band * L->GetTextHeight() + 5}; }
  int Clicks = 0;
};

// ---- Keyboard -------------------------------------------------------------------------------

TEST_F(ListInputTest, NavigationKeysMoveTheSelection) {
  struct Case {
    bool EmptyRow;
    int From;  // the key to start from (-1: none); the table at its first record, or at its
               // last when the key is 5
    Word Pressed;
    int To;      // the key afterwards (-1: none)
    int Clicks;  // a key that has nothing to do chooses nothing
  } cases[] = {
      {false, 1, VK_UP, 1, 0},   {false, 1, VK_DOWN, 2, 1},  {false, 1, VK_RIGHT, 2, 1},
      {true, 1, VK_UP, -1, 1},   {true, -1, VK_UP, -1, 0},   {true, -1, VK_DOWN, 1, 1},
      {false, -1, VK_UP, 1, 1},  {false, -1, VK_END, 5, 1},  {false, 1, VK_NEXT, 4, 1},
      {false, 5, VK_DOWN, 5, 0}, {false, 5, VK_PRIOR, 2, 1}, {false, 5, VK_LEFT, 4, 1},
      {false, 3, VK_HOME, 1, 1}, {true, 1, VK_HOME, -1, 1},  {true, 5, VK_HOME, 1, 1},
      {false, 2, VK_F2, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "empty row " << c.EmptyRow << " from " << c.From << " key "
                                    << c.Pressed);
    TTestList* l = FocusedList(c.EmptyRow);
    l->SetKeyValue(c.From < 0 ? Variant(Null) : Variant(c.From));
    if (c.From == 5)
      Customers->Last();
    else
      Customers->First();
    Clicks = 0;
    sim::PressKey(c.Pressed);
    EXPECT_EQ(Key(l), c.To);
    EXPECT_EQ(Clicks, c.Clicks);
    if (c.To > 0 && c.Clicks) {
      EXPECT_EQ(Field(Customers), c.To);
    }
    delete l;
  }
}

TEST_F(ListInputTest, EscapeCancelsAnUntouchedEditOrRestoresTheEntryKey) {
  TTestList* l = MakeBoundList("Name", 4);
  l->SetFocus();  // entered with customer 2
  sim::PressKey(VK_DOWN);
  EXPECT_EQ(Orders->State(), dsEdit);
  EXPECT_EQ(Field(Orders), 3);
  sim::PressKey(VK_ESCAPE);  // the field changed: the entry key comes back, still editing
  EXPECT_EQ(Field(Orders), 2);
  EXPECT_EQ(Orders->State(), dsEdit);
  sim::PressKey(VK_ESCAPE);  // now it holds the entry key: the edit is cancelled
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(Key(l), 2);
}

TEST_F(ListInputTest, TypingSearchesAndShowsTheSearchTextForTwoSeconds) {
  TTestList* l = FocusedList(false);
  sim::TypeText("sm");
  EXPECT_EQ(Key(l), 2);
  EXPECT_EQ(l->FSearchText, "sm");
  ASSERT_TRUE(l->FSearchTextShowing);
  HWND hint = l->FSearchTextWindow->Handle();
  EXPECT_TRUE(IsWindowVisible(hint));
  EXPECT_EQ(l->FSearchTextWindow->Caption(), "sm");
  // One band above the current record's data row, five pixels higher still.
  TRect r;
  GetWindowRect(hint, r);
  const TPoint origin = l->ClientToScreen(TPoint{-1, l->GetTextHeight() * (l->FActiveRecordIndex - 1) - 5});
  EXPECT_EQ(r.Left, origin.X);
  EXPECT_EQ(r.Top, origin.Y);
  sim::AdvanceTime(1900);
  sim::TypeChar('y');  // each key restarts the two seconds
  EXPECT_EQ(Key(l), 3);
  sim::AdvanceTime(1900);
  EXPECT_TRUE(l->FSearchTextShowing);
  sim::AdvanceTime(200);
  EXPECT_FALSE(l->FSearchTextShowing);
  EXPECT_FALSE(IsTimerRunning(l->Handle(), cSearchTextTimerID));

  // Backspace down to nothing hides it at once; so do a moving key, a press and leaving.
  auto* other = new TButton(Form);
  other->SetParent(Form);
  other->SetBounds(250, 10, 80, 24);
  sim::PressKey(VK_BACK);  // the text outlives its window: "sm"
  EXPECT_TRUE(l->FSearchTextShowing);
  sim::PressKey(VK_BACK);
  sim::PressKey(VK_BACK);
  EXPECT_FALSE(l->FSearchTextShowing);
  const std::function<void()> hiders[] = {
      [] { sim::PressKey(VK_DOWN); },
      [&] { sim::Click(l->Handle(), BandPoint(l, 2)); },
      [&] { SendMessage(l->Handle(), WM_VSCROLL, SB_LINEDOWN, 0); },
      [&] { SendMessage(l->Handle(), WM_CANCELMODE, 0, 0); },
      [&] { other->SetFocus(); },
  };
  for (const auto& hide : hiders) {
    l->SetFocus();
    sim::AdvanceTime(1000);  // no double clicks
    Customers->First();
    sim::TypeText("j");
    ASSERT_TRUE(l->FSearchTextShowing);
    hide();
    EXPECT_FALSE(l->FSearchTextShowing);
    EXPECT_FALSE(IsWindowVisible(l->FSearchTextWindow->Handle()));
  }
}

TEST_F(ListInputTest, AnEmptyTableChoosesNothing) {
  TTestList* l = MakeBoundList("Name", 4);
  Customers->EmptyTable();
  l->SetFocus();
  for (Word key : {VK_UP, VK_DOWN, VK_PRIOR, VK_NEXT, VK_HOME, VK_END}) sim::PressKey(key);
  sim::Click(l->Handle(), BandPoint(l, 1));
  EXPECT_EQ(Field(Orders), 2);  // the field keeps its key
}

// ---- Mouse ----------------------------------------------------------------------------------

TEST_F(ListInputTest, ADragFollowsTheMouseAndWritesTheFieldOnRelease) {
  TTestList* l = MakeBoundList("Name", 4);
  const HWND h = l->Handle();
  sim::MouseDown(h, BandPoint(l, 0));
  EXPECT_TRUE(l->FTracking);
  EXPECT_EQ(GetCapture(), h);
  EXPECT_EQ(Key(l), 1);
  EXPECT_EQ(Field(Orders), 2);  // nothing written while the button is held
  sim::MouseMove(h, BandPoint(l, 2));
  EXPECT_EQ(Key(l), 3);

  // Below the rows the list scrolls by itself, faster the further out the mouse is.
  const int bottom = l->ClientHeight();
  struct Case {
    int Out;
    DWORD Interval;
  } cases[] = {{1, 185}, {10, 50}, {20, 10}};
  for (const Case& c : cases) {
    sim::MouseMove(h, TPoint{20, bottom - 1 + c.Out});
    DWORD due = 0;
    ASSERT_TRUE(NextTimerDue(due));
    EXPECT_EQ(due - GetTickCount(), c.Interval) << c.Out;
  }
  sim::AdvanceTime(10);  // one more record per tick
  EXPECT_EQ(Key(l), 5);
  sim::AdvanceTime(100);  // at the end: nothing more
  EXPECT_EQ(Key(l), 5);
  sim::MouseUp(h, TPoint{20, bottom + 20});  // below: the last band's record
  EXPECT_FALSE(l->FTracking);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(l->FScrollTimerActive);
  EXPECT_EQ(TimerCount(), 0);
  EXPECT_EQ(Field(Orders), 5);

  // Released above the list: the first band.
  sim::AdvanceTime(1000);
  sim::MouseDown(h, BandPoint(l, 2));
  sim::MouseUp(h, TPoint{20, -30});
  EXPECT_EQ(Field(Orders), 2);  // the first band shows customer 2 now
  EXPECT_EQ(l->FActiveRecordIndex, 0);
}

TEST_F(ListInputTest, ACancelledDragWritesNothingAndShowsTheFieldsKey) {
  TTestList* l = MakeBoundList("Name", 4);
  sim::MouseDown(l->Handle(), BandPoint(l, 3));
  EXPECT_EQ(Key(l), 4);
  SendMessage(l->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(l->FTracking);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Key(l), 2);
  EXPECT_EQ(Field(Customers), 2);
  sim::MouseUp(l->Handle(), BandPoint(l, 3));
  EXPECT_EQ(Field(Orders), 2);
}

TEST_F(ListInputTest, AKeyTheFieldRefusesLeavesTheListOnTheFieldsKey) {
  TTestList* l = MakeBoundList("Name", 4);
  std::string reported;
  Application->SetOnException([&](TObject*, const std::exception& E) { reported = E.what(); });
  Orders->FieldByName("CustNo")->SetOnValidate([](TField* F) {
    if (F->AsInteger() == 4) throw Exception("Customer 4 is on hold");
  });
  sim::Click(l->Handle(), BandPoint(l, 3));
  EXPECT_EQ(reported, "Customer 4 is on hold");
  EXPECT_EQ(Field(Orders), 2);
  EXPECT_EQ(Key(l), 2);
  EXPECT_EQ(Field(Customers), 2);
}

TEST_F(ListInputTest, AClickWhoseTableWillNotEditLeavesTheListOnTheFieldsKey) {
  // The edit the press found is gone at the release, and the table may not start another.
  TTestList* l = MakeBoundList("Name", 4);
  OrderSource->SetAutoEdit(false);
  Orders->Edit();
  Customers->SetAfterScroll([this](TDataSet*) { Orders->Cancel(); });
  sim::Click(l->Handle(), BandPoint(l, 3));
  EXPECT_EQ(Orders->State(), dsBrowse);
  EXPECT_EQ(Field(Orders), 2);
  EXPECT_EQ(Key(l), 2);
}

TEST_F(ListInputTest, ADoubleClickOnARowFiresOnce) {
  TTestList* l = FocusedList(false);
  int dbl = 0;
  l->SetOnDblClick([&](TObject*) { ++dbl; });
  sim::DoubleClick(l->Handle(), BandPoint(l, 2));
  EXPECT_EQ(dbl, 1);
  EXPECT_EQ(Key(l), 3);
}

TEST_F(ListInputTest, TheWheelMovesOneLineANotch) {
  TTestList* l = FocusedList(false);
  Customers->First();
  sim::Wheel(-120, l->ClientToScreen(BandPoint(l, 1)));
  EXPECT_EQ(Customers->RecNo(), 5);  // just below the last row shown: the window scrolls
  sim::Wheel(240, l->ClientToScreen(BandPoint(l, 1)));
  EXPECT_EQ(Customers->RecNo(), 1);
  EXPECT_EQ(Key(l), -1);  // scrolling selects nothing
  bool handled = true;
  l->SetOnMouseWheelDown([&](TObject*, TShiftState, TPoint, bool& Handled) { Handled = handled; });
  sim::Wheel(-120, l->ClientToScreen(BandPoint(l, 1)));
  EXPECT_EQ(Customers->RecNo(), 1);
}

// ---- Scroll bar -----------------------------------------------------------------------------

TEST_F(ListInputTest, TheScrollBarShowsThePositionAndEveryCodeMoves) {
  for (int i = 6; i <= 100; ++i) Customers->AppendRecord({i, "Name" + std::to_string(i), "City"});
  TTestList* l = MakeList("Name", 10);
  Customers->SetRecNo(40);
  SCROLLINFO info{};
  info.fMask = SIF_ALL;
  GetScrollInfo(l->Handle(), SB_VERT, info);
  EXPECT_EQ(info.nMin, 1);
  EXPECT_EQ(info.nMax, 109);
  EXPECT_EQ(info.nPage, 10u);
  EXPECT_EQ(info.nPos, 40);

  struct Case {
    int Code;
    int To;  // record number afterwards, from record 40 in the middle of the window
  } cases[] = {{SB_LINEUP, 35}, {SB_LINEDOWN, 46}, {SB_PAGEUP, 27},   {SB_PAGEDOWN, 54},
               {SB_TOP, 1},     {SB_BOTTOM, 100},  {SB_ENDSCROLL, 40}};
  for (const Case& c : cases) {
    Customers->SetRecNo(40);
    ASSERT_EQ(l->FActiveRecordIndex, 4);
    SendMessage(l->Handle(), WM_VSCROLL, static_cast<WPARAM>(c.Code), 0);
    EXPECT_EQ(Customers->RecNo(), c.To) << c.Code;
  }

  // The user's clicks on the arrows and a drag of the thumb reach the list the same way.
  TScrollBarLayout bar;
  ASSERT_TRUE(GetScrollBarLayout(l->Handle(), bar));
  TRect w;
  GetWindowRect(l->Handle(), w);
  auto screen = [&](const TRect& R) {
    return TPoint{w.Left + (R.Left + R.Right) / 2, w.Top + (R.Top + R.Bottom) / 2};
  };
  Customers->SetRecNo(40);
  sim::Click(screen(bar.DownArrow));
  EXPECT_EQ(Customers->RecNo(), 46);
  const TPoint thumb = screen(bar.Thumb);
  for (bool tracking : {true, false}) {
    l->SetThumbTracking(tracking);
    Customers->SetRecNo(40);
    sim::MouseDown(thumb);
    sim::MouseMove(TPoint{thumb.X, thumb.Y + 20});
    EXPECT_EQ(Customers->RecNo() != 40, tracking);
    sim::MouseUp(TPoint{thumb.X, thumb.Y + 20});
    EXPECT_GT(Customers->RecNo(), 40);
    sim::AdvanceTime(1000);
  }

  // Without record numbers: five steps, the box at the top, in the middle or at the bottom.
  Customers->SetSequenced(false);
  Customers->First();
  GetScrollInfo(l->Handle(), SB_VERT, info);
  EXPECT_EQ(info.nMax, 4);
  EXPECT_EQ(info.nPos, 0);
  Customers->MoveBy(3);
  GetScrollInfo(l->Handle(), SB_VERT, info);
  EXPECT_EQ(info.nPos, 2);
  SendMessage(l->Handle(), WM_VSCROLL, SB_THUMBPOSITION | (4 << 16), 0);
  EXPECT_TRUE(Customers->EOF());
  GetScrollInfo(l->Handle(), SB_VERT, info);
  EXPECT_EQ(info.nPos, 4);
}

// ---- Tooltips -------------------------------------------------------------------------------

TEST_F(ListInputTest, ACutOffRowShowsItsTooltipOnceEachTimeTheMouseEntersIt) {
  Customers->FieldByName("Name")->SetDisplayWidth(6);
  Customers->Locate("CustNo", 3, {});
  Customers->Edit();
  Customers->FieldByName("City")->SetValue("Rome, Lazio, IT");
  Customers->Post();
  TTestList* l = MakeList("Name;City", 5);
  l->SetWidth(100);
  l->SetToolTipsDelimiter("|");
  const HWND h = l->Handle();
  sim::MouseMove(h, BandPoint(l, 0));  // Abbott, Boston: fits
  EXPECT_FALSE(l->FToolTipActive);
  sim::MouseMove(h, BandPoint(l, 2));  // cut off
  ASSERT_TRUE(l->FToolTipActive);
  const std::string text = l->FToolTipWindow->Caption();
  EXPECT_EQ(text.substr(0, 7), "smythe ");
  EXPECT_NE(text.find("|Rome, Lazio, IT"), std::string::npos);
  TRect r;
  GetWindowRect(l->FToolTipWindow->Handle(), r);
  const TPoint origin = l->ClientToScreen(TPoint{-1, 2 * l->GetTextHeight() - 3});
  EXPECT_EQ(TPoint(r.Left, r.Top), origin);

  sim::AdvanceTime(cToolTipTimerInterval);  // times out...
  EXPECT_FALSE(l->FToolTipActive);
  sim::MouseMove(h, TPoint{30, BandPoint(l, 2).Y});  // ...and stays away within the row
  EXPECT_FALSE(l->FToolTipActive);
  sim::MouseMove(h, BandPoint(l, 1));
  sim::MouseMove(h, BandPoint(l, 2));  // back again
  EXPECT_TRUE(l->FToolTipActive);
  sim::MouseMove(h, BandPoint(l, 1));  // a row that fits hides it
  EXPECT_FALSE(l->FToolTipActive);

  // The wheel, leaving the control and the scroll bar's area hide it too; the last two forget
  // the row, so that coming back to it shows the tooltip again.
  l->SetFocus();
  struct Hider {
    std::function<void()> Hide;
    bool Forgets;
  } hiders[] = {
      {[&] { sim::Wheel(-120, l->ClientToScreen(BandPoint(l, 2))); }, false},
      {[&] {
         sim::MouseMove(TPoint{5, 5});
       },
       true},
      {[&] { SendMessage(h, WM_NCMOUSEMOVE, 0, 0); }, true},
  };
  for (const Hider& hider : hiders) {
    Customers->First();
    sim::MouseMove(h, BandPoint(l, 0));
    sim::MouseMove(h, BandPoint(l, 2));
    ASSERT_TRUE(l->FToolTipActive);
    hider.Hide();
    EXPECT_FALSE(l->FToolTipActive);
    Customers->First();
    sim::MouseMove(h, TPoint{25, BandPoint(l, 2).Y});
    EXPECT_EQ(l->FToolTipActive, hider.Forgets);
  }
  l->SetToolTips(false);
  sim::MouseMove(h, BandPoint(l, 0));
  sim::MouseMove(h, BandPoint(l, 2));
  EXPECT_FALSE(l->FToolTipActive);
}

// ---- Handlers that free the list ------------------------------------------------------------

TEST_F(ListInputTest, HandlersMayFreeTheList) {
  const std::function<void(TTestList*, TObject**)> setups[] = {
      [](TTestList* L, TObject** Self) {
        L->SetOnClick([Self](TObject*) {
          delete *Self;
          *Self = nullptr;
        });
      },
      [](TTestList* L, TObject** Self) {
        L->SetOnMouseUp([Self](TObject*, TMouseButton, TShiftState, int, int) {
          delete *Self;
          *Self = nullptr;
        });
      },
      [](TTestList* L, TObject** Self) {
        L->SetOnDblClick([Self](TObject*) {
          delete *Self;
          *Self = nullptr;
        });
      },
      [](TTestList* L, TObject** Self) {
        L->SetOnKeyDown([Self](TObject*, Word&, TShiftState) {
          delete *Self;
          *Self = nullptr;
        });
      },
  };
  for (const auto& setup : setups) {
    TTestList* l = MakeBoundList("Name", 4);
    TObject* self = l;
    setup(l, &self);
    l->SetFocus();
    const HWND h = l->Handle();
    sim::PressKey(VK_DOWN);
    if (self) sim::DoubleClick(h, BandPoint(l, 2));
    EXPECT_EQ(self, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(TimerCount(), 0);
    sim::AdvanceTime(1000);
  }
}

// ---- The popup list -------------------------------------------------------------------------

TEST_F(ListInputTest, APopupListNeverTakesTheFocusNorActivates) {
  auto* edit = new TButton(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 200, 80, 24);
  auto* p = new kttest::TTestPopup(edit);
  p->SetVisible(false);
  p->SetParent(edit);
  p->SetListSource(CustSource);
  p->SetKeyField("CustNo");
  p->SetListField("Name");
  TCreateParams params;
  p->CreateParams(params);
  EXPECT_EQ(params.Style, WS_POPUP | WS_BORDER);
  EXPECT_EQ(params.ExStyle, WS_EX_TOOLWINDOW);
  EXPECT_EQ(params.WindowClass.style, UINT(CS_SAVEBITS));

  edit->SetFocus();
  SetWindowPos(p->Handle(), HWND_TOP, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_TRUE(IsWindowVisible(p->Handle()));
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_EQ(p->ClientOrigin().X, 301);      // placed in screen coordinates, inside its border
  sim::Click(p->Handle(), TPoint{20, 20});  // the second row
  EXPECT_EQ(p->KeyValue().AsInteger(), 2);
  EXPECT_EQ(GetActiveWindow(), Form->Handle());
  EXPECT_EQ(GetFocus(), edit->Handle());
  SetFocus(p->Handle());  // the popup hands the focus to its parent
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(CaptureScreen().Pixel(302, 302 + p->ClientHeight() / 7 + 3), ColorToRGB(clWindow));
}

TEST_F(ListInputTest, TabPassesAShownPopupListByAndItsFormTakesItsWindowAlong) {
  // Found by the seeded event driver: a popup made visible on a form took the focus by Tab,
  // and the form, going, made the popup a new window while the popup went.
  auto* f = new TForm(Application);
  f->SetBounds(10, 10, 300, 200);
  f->Show();
  auto* p = new TKtPopupDataList(f);
  p->SetVisible(false);
  p->SetParent(f);
  p->SetVisible(true);
  const HWND h = p->Handle();
  sim::PressKey(VK_TAB);
  EXPECT_NE(GetFocus(), h);
  SendMessage(h, WM_SETFOCUS, 0, 0);  // even when the system hands it the focus
  EXPECT_NE(GetFocus(), h);
  const size_t windows = GetTopLevelWindows().size();
  delete f;
  EXPECT_EQ(GetTopLevelWindows().size(), windows - 2);
}
