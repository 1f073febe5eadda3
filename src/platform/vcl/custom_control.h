// TCustomControl: a windowed control that paints itself. Descendants override Paint and draw
// on Canvas, whose handle is the paint context while Paint runs.
#pragma once

#include <memory>

#include "platform/vcl/control_canvas.h"
#include "platform/vcl/win_control.h"

namespace vcl {

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  std::string ClassName() const override { return "TCustomControl"; }

  // Starts with, and follows, the control's Font, so text measured on it outside Paint uses
  // that font; draws on the window only while Paint runs.
  TControlCanvas* Canvas() const { return FCanvas.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  // Draws the control; called while WM_PAINT is handled.
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
  // The device context of the paint in progress (nullptr outside Paint or without a
  // drawing layer).
  HDC PaintDC() const { return FPaintDC; }
  // A custom control focuses itself (in MouseDown) when it wants the focus.
  bool FocusOnClick() override { return false; }
  void CMFontChanged(TMessage& Message);

 private:
  HDC FPaintDC = nullptr;
  std::unique_ptr<TControlCanvas> FCanvas;
};

}  // namespace vcl
