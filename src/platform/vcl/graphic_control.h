// TGraphicControl: a control without a window of its own (a label, a shape). Its parent
// paints it: after the parent's own painting, each visible graphic control gets WM_PAINT with
// a context whose (0, 0) is the control's top-left corner, clipped to its bounds, and draws
// itself in Paint through its Canvas.
#pragma once

#include <memory>

#include "platform/vcl/control.h"
#include "platform/vcl/control_canvas.h"

namespace vcl {

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  std::string ClassName() const override { return "TGraphicControl"; }

  // Follows the control's Font; draws on the parent's window while Paint runs.
  TControlCanvas* Canvas() const { return FCanvas.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  // Draws the control in its own coordinates; called while the parent paints.
  virtual void Paint() {}
  void WMPaint(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);

 private:
  std::unique_ptr<TControlCanvas> FCanvas;
};

}  // namespace vcl
