// TCustomControl: a windowed control that paints itself. Descendants override Paint; the
// drawing layer gives it a canvas.
#pragma once

#include "platform/vcl/win_control.h"

namespace vcl {

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  std::string ClassName() const override { return "TCustomControl"; }

 protected:
  // Draws the control; called while WM_PAINT is handled.
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  // The device context of the paint in progress (nullptr outside Paint or without a
  // drawing layer).
  HDC PaintDC() const { return FPaintDC; }
  // A custom control focuses itself (in MouseDown) when it wants the focus.
  bool FocusOnClick() override { return false; }

 private:
  HDC FPaintDC = nullptr;
};

}  // namespace vcl
