// Helpers for the painting tests: a control whose painting and window styles a test chooses,
// colour comparison, and a fixture with a small screen.
#pragma once

#include <functional>

#include "platform/gfx/frame_painter.h"
#include "platform/platform_fixture.h"
#include "platform/vcl/graphic_control.h"
#include "platform/vcl/screen_picture.h"

namespace kttest {

// A resolved colour, as a surface holds it.
inline vcl::TColor Rgb(vcl::TColor C) {
  return vcl::ColorToRGB(C);
}

// A custom control that paints with OnPaintCanvas (or not at all) and adds Style / ExStyle
// to its window.
class TPaintBox : public vcl::TCustomControl {
 public:
  explicit TPaintBox(vcl::TComponent* AOwner) : vcl::TCustomControl(AOwner) {}
  std::function<void(TPaintBox&)> OnPaintCanvas;
  vcl::DWORD Style = 0;
  vcl::DWORD ExStyle = 0;
  int PaintCalls = 0;

 protected:
  void CreateParams(vcl::TCreateParams& Params) override {
    vcl::TCustomControl::CreateParams(Params);
    Params.Style |= Style;
    Params.ExStyle |= ExStyle;
  }
  void Paint() override {
    ++PaintCalls;
    if (OnPaintCanvas) OnPaintCanvas(*this);
  }
};

// A graphic control that fills everything it may with its colour.
class TSwatch : public vcl::TGraphicControl {
 public:
  explicit TSwatch(vcl::TComponent* AOwner) : vcl::TGraphicControl(AOwner) {}
  int PaintCalls = 0;

 protected:
  void Paint() override {
    ++PaintCalls;
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(vcl::TRect{-1000, -1000, 1000, 1000});
  }
};

class PaintTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    vcl::SetScreenSize(640, 480);
  }
  // A shown form at (100, 100), 400 x 300, without the message loop run.
  vcl::TForm* ShownForm() {
    vcl::TForm* f = MakeForm();
    f->Show();
    return f;
  }
  TPaintBox* MakeBox(vcl::TWinControl* Parent, vcl::TRect R, vcl::TColor Color, vcl::DWORD Style = 0,
                     vcl::DWORD ExStyle = 0) {
    auto* b = new TPaintBox(Parent);
    b->Style = Style;
    b->ExStyle = ExStyle;
    b->SetBoundsRect(R);
    b->SetColor(Color);
    b->SetParent(Parent);
    return b;
  }
  // The screen's pixel at a control's client point.
  static vcl::TColor At(const vcl::TSurface& Screen, vcl::TControl* C, vcl::TPoint Client) {
    vcl::TPoint p = C->ClientToScreen(Client);
    return Screen.Pixel(p.X, p.Y);
  }
};

}  // namespace kttest
