// A long text shows exactly as a short one holding the part that fits, at either end and while
// typing; a paint draws only what was invalidated.
#include <gtest/gtest.h>

#include "paint_test_util.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/window_painting.h"

using namespace vcl;
using namespace kttest;

namespace {

class EditPaintingTest : public PaintTest {
 protected:
  TEdit* MakeEdit(TForm* Form, int Top, const std::string& Text) {
    auto* e = new TEdit(Form);
    e->SetParent(Form);
    e->SetBounds(10, Top, 200, 21);
    e->SetText(Text);
    return e;
  }
  // The edit's client pixels after it took the focus and the keys were pressed.
  static TSurface Shown(TEdit* E, std::initializer_list<Word> Keys, const std::string& Typed) {
    E->SetFocus();
    for (Word k : Keys) sim::PressKey(k);
    sim::TypeText(Typed);
    sim::ProcessMessages();
    return *WindowClientSurface(E->Handle());
  }
};

std::string Letters(int N, int From = 0) {
  std::string s;
  for (int i = From; i < From + N; ++i) s += static_cast<char>(i % 7 == 6 ? ' ' : 'a' + i % 26);
  return s;
}

}  // namespace

TEST_F(EditPaintingTest, ALongTextShowsWhereItIsScrolledTo) {
  struct TCase {
    const char* Name;
    std::initializer_list<Word> Keys;
    std::string Typed;
    bool AtEnd;  // the caret ends at the end of the text (else near its start)
  };
  const TCase cases[] = {
      {"end", {VK_END}, "", true},
      {"start", {VK_END, VK_HOME}, "", false},
      {"typed at the end", {VK_END}, "XYZ", true},
      {"typed at the start", {VK_HOME}, "Wq", false},
      {"Backspace at the end", {VK_END, VK_BACK, VK_BACK}, "mn", true},
      {"back a little", {VK_END, VK_LEFT, VK_LEFT, VK_LEFT, VK_LEFT}, "", true},
  };
  for (const TCase& c : cases) {
    TForm* form = ShownForm();
    TEdit* edit = MakeEdit(form, 10, Letters(10000));
    const TSurface seen = Shown(edit, c.Keys, c.Typed);
    // The caret stands inside the edit: at its right edge at the end, near the left at the start.
    const int caret = edit->CharX(edit->CaretPos()), width = edit->ClientWidth();
    EXPECT_GE(caret, 0) << c.Name;
    EXPECT_LE(caret, width) << c.Name;
    EXPECT_EQ(caret > width - 40, c.AtEnd) << c.Name;
    // What shows is the whole text drawn at the scrolled place (the caret's column aside).
    const std::string text = edit->Text();
    const int left = edit->CharX(0);
    EXPECT_EQ(caret, left + edit->Canvas()->TextWidth(text.substr(0, static_cast<size_t>(edit->CaretPos()))))
        << c.Name;
    TSurface whole(edit->Canvas()->TextWidth(text) + 2, seen.Height(), clWindow);
    HDC dc = CreateSurfaceDC(&whole, TPoint{0, 0}, whole.BoundsRect());
    SelectObject(dc, edit->Canvas()->Handle()->CurrentFont());
    SetTextColor(dc, clWindowText);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 1, text.data(), static_cast<int>(text.size()));
    DeleteDC(dc);
    int wrong = 0;
    for (int y = 0; y < seen.Height(); ++y)
      for (int x = 0; x < seen.Width(); ++x)
        if (x != caret && seen.Pixel(x, y) != (x >= left ? whole.Pixel(x - left, y) : Rgb(clWindow))) ++wrong;
    EXPECT_EQ(wrong, 0) << c.Name;
    delete form;
  }
}

TEST_F(EditPaintingTest, APaintDrawsOnlyWhatIsInvalid) {
  TForm* form = ShownForm();
  TColor colour = clRed;
  TPaintBox* box = MakeBox(form, TRect{10, 10, 110, 60}, clWhite);
  box->OnPaintCanvas = [&](TPaintBox& B) {
    B.Canvas()->Brush()->SetColor(colour);
    B.Canvas()->FillRect(B.ClientRect());
  };
  sim::ProcessMessages();
  colour = clBlue;
  const TRect part{20, 5, 40, 25};
  InvalidateRect(box->Handle(), &part, true);
  sim::ProcessMessages();
  const TSurface& s = *WindowClientSurface(box->Handle());
  for (const TPoint p : {TPoint{20, 5}, TPoint{39, 24}}) EXPECT_EQ(s.Pixel(p.X, p.Y), Rgb(clBlue));
  for (const TPoint p : {TPoint{19, 5}, TPoint{40, 24}, TPoint{20, 25}, TPoint{90, 40}})
    EXPECT_EQ(s.Pixel(p.X, p.Y), Rgb(clRed));
}
