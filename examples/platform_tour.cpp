// A tour of the platform's painting: a small form with a few self-painting controls (a text,
// a framed box, a list with a scroll bar, a combo-like box with its button) and a hint window
// shown over it, written to a PNG picture of the screen.
//
//   platform_tour [picture.png]
#include <cstdio>
#include <string>
#include <vector>

#include "platform/vcl/application.h"
#include "platform/vcl/custom_control.h"
#include "platform/vcl/form.h"
#include "platform/vcl/hint_window.h"
#include "platform/vcl/screen_picture.h"
#include "platform/win/window_system.h"

using namespace vcl;

namespace {

// A line of text on the form's colour.
class TCaptionText : public TCustomControl {
 public:
  TCaptionText(TComponent* AOwner, const std::string& AText) : TCustomControl(AOwner), FLine(AText) {}

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->TextOut(0, 0, FLine);
  }

 private:
  std::string FLine;
};

// A box with a sunken edge holding two lines of text.
class TFramedBox : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->TextOut(4, 3, "Smith & Sons Ltd.");
    Canvas()->Font()->SetColor(clGrayText);
    Canvas()->TextOut(4, 3 + Canvas()->TextHeight("Ag"), "12 Harbour Road, Leeds");
    Canvas()->Font()->SetColor(Font()->Color());
  }
};

// A list of rows with a bordered frame and a vertical scroll bar; one row is selected.
class TRowList : public TCustomControl {
 public:
  TRowList(TComponent* AOwner, std::vector<std::string> ARows)
      : TCustomControl(AOwner), FRows(std::move(ARows)) {}
  int Selected = 2;

  void UpdateScrollBar() {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = static_cast<int>(FRows.size()) + 5;
    si.nPage = static_cast<UINT>(ClientHeight() / RowHeight());
    si.nPos = 0;
    SetScrollInfo(Handle(), SB_VERT, si, true);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_BORDER | WS_VSCROLL;
  }
  int RowHeight() { return Canvas()->TextHeight("Ag") + 2; }
  void Paint() override {
    int rh = RowHeight();
    for (int i = 0; i * rh < ClientHeight(); ++i) {
      TRect r{0, i * rh, ClientWidth(), (i + 1) * rh};
      bool sel = i == Selected;
      Canvas()->Brush()->SetColor(sel ? clHighlight : Color());
      Canvas()->Font()->SetColor(sel ? clHighlightText : Font()->Color());
      Canvas()->TextRect(r, 2, r.Top + 1,
                         i < static_cast<int>(FRows.size()) ? FRows[static_cast<size_t>(i)] : "");
      if (sel) Canvas()->DrawFocusRect(r);
    }
    Canvas()->Font()->SetColor(Font()->Color());
  }

 private:
  std::vector<std::string> FRows;
};

// An edit-like box with a drop-down button drawn by DrawFrameControl.
class TComboBox : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
  void Paint() override {
    int bw = GetSystemMetrics(SM_CXVSCROLL);
    TRect text{0, 0, ClientWidth() - bw, ClientHeight()};
    Canvas()->Brush()->SetColor(Color());
    Canvas()->TextRect(text, 2, (ClientHeight() - Canvas()->TextHeight("Ag")) / 2, "Leeds");
    TRect button{ClientWidth() - bw, 0, ClientWidth(), ClientHeight()};
    DrawFrameControl(Canvas()->Handle(), button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
  }
};

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "platform_tour.png";
  SetScreenSize(440, 330);

  auto* form = new TForm(Application);
  form->SetBounds(20, 20, 380, 280);
  form->SetCaption("Customers");

  auto* heading = new TCaptionText(form, "Customer:");
  heading->SetBounds(12, 14, 80, 16);
  heading->SetParent(form);
  auto* box = new TFramedBox(form);
  box->SetBounds(96, 10, 260, 40);
  box->SetColor(clWindow);
  box->SetParent(form);

  auto* cityLabel = new TCaptionText(form, "City:");
  cityLabel->SetBounds(12, 66, 80, 16);
  cityLabel->SetParent(form);
  auto* combo = new TComboBox(form);
  combo->SetBounds(96, 62, 160, 21);
  combo->SetColor(clWindow);
  combo->SetParent(form);

  auto* listLabel = new TCaptionText(form, "Orders:");
  listLabel->SetBounds(12, 98, 80, 16);
  listLabel->SetParent(form);
  auto* list = new TRowList(
      form, {"1001  Office chairs", "1002  Desk lamps", "1003  Filing cabinets", "1004  Paper, A4, 5 boxes",
             "1005  Ink cartridges", "1006  Whiteboard", "1007  Coat stand"});
  list->SetBounds(96, 96, 260, 130);
  list->SetColor(clWindow);
  list->SetParent(form);

  form->Show();
  list->UpdateScrollBar();

  auto* hint = new THintWindow(form);
  std::string tip = "1003  Filing cabinets | 4 drawers, grey";
  TRect r = hint->CalcHintRect(300, tip, nullptr);
  TPoint at = list->ClientToScreen(TPoint{40, 2 * (hint->Canvas()->TextHeight("Ag") + 2) + 12});
  OffsetRect(r, at.X, at.Y);
  hint->ActivateHint(r, tip);

  SaveScreenPng(path);
  std::printf("%s\n", path.c_str());
  ResetPlatform();
  return 0;
}
