// A lookup list over the customers for the list's tests, the protected members opened to them,
// and helpers that read the list's bands off the screen.
#pragma once

#include <string>

#include "lookup/core/lookup_test_util.h"
#include "lookup/list/lookup_list.h"
#include "lookup/list/popup_data_list.h"
#include "platform/vcl/screen_picture.h"

namespace kttest {

class TTestList : public ktlookup::TKtDBLookupList {
 public:
  explicit TTestList(vcl::TComponent* AOwner) : ktlookup::TKtDBLookupList(AOwner) {}
  using TKtDBLookupList::FActiveRecordIndex;
  using TKtDBLookupList::FBufferRecordCount;
  using TKtDBLookupList::FEntryKeyValue;
  using TKtDBLookupList::FHasFocus;
  using TKtDBLookupList::FKeySelected;
  using TKtDBLookupList::FKeyValue;
  using TKtDBLookupList::FLastMouseRow;
  using TKtDBLookupList::FListLink;
  using TKtDBLookupList::FScrollTimerActive;
  using TKtDBLookupList::FSearchText;
  using TKtDBLookupList::FSearchTextShowing;
  using TKtDBLookupList::FSearchTextWindow;
  using TKtDBLookupList::FSelectedText;
  using TKtDBLookupList::FToolTipActive;
  using TKtDBLookupList::FToolTipWindow;
  using TKtDBLookupList::FTracking;
  using TKtDBLookupList::GetBorderSize;
  using TKtDBLookupList::GetTextHeight;
};

class TTestPopup : public ktlookup::TKtPopupDataList {
 public:
  using TKtPopupDataList::CreateParams;
  using TKtPopupDataList::TKtPopupDataList;
};

class ListTest : public LookupTest {
 protected:
  void SetUp() override {
    LookupTest::SetUp();
    vcl::SetScreenSize(800, 600);
  }
  // An unbound list of the customers' names (and cities) on the form.
  TTestList* MakeList(const std::string& ListField = "Name", int Rows = 7) {
    auto* l = new TTestList(Form);
    l->SetName("List1");
    l->SetBounds(10, 10, 200, 100);
    l->SetParent(Form);
    l->SetListSource(CustSource);
    l->SetKeyField("CustNo");
    l->SetListField(ListField);
    l->SetRowCount(Rows);
    return l;
  }
  // The same list bound to the orders' customer.
  TTestList* MakeBoundList(const std::string& ListField = "Name", int Rows = 7) {
    TTestList* l = MakeList(ListField, Rows);
    l->SetDataSource(OrderSource);
    l->SetDataField("CustNo");
    return l;
  }
  // The band of screen rows of a list's band (title and empty rows counted).
  static int BandTop(TTestList* L, int Band) { return Band * L->GetTextHeight(); }

  // The screen's pixel at a client point of the list; Shot() takes a new picture first.
  void Shot() { Screen = vcl::CaptureScreen(); }
  vcl::TColor At(vcl::TControl* C, int X, int Y) {
    const vcl::TPoint p = C->ClientToScreen(vcl::TPoint{X, Y});
    return Screen.Pixel(p.X, p.Y);
  }
  // Whether some pixel of the client rectangle R has exactly the colour.
  bool Has(vcl::TControl* C, vcl::TRect R, vcl::TColor Color) {
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (At(C, x, y) == vcl::ColorToRGB(Color)) return true;
    return false;
  }
  // The leftmost and rightmost x in R of a pixel that is not the background colour; -1 none.
  std::pair<int, int> Ink(vcl::TControl* C, vcl::TRect R, vcl::TColor Background) {
    int lo = -1, hi = -1;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x)
        if (At(C, x, y) != vcl::ColorToRGB(Background)) {
          if (lo < 0 || x < lo) lo = x;
          hi = std::max(hi, x);
        }
    return {lo, hi};
  }

  vcl::TSurface Screen;
};

}  // namespace kttest
