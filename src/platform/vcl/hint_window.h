// THintWindow: the small pop-up that shows a hint or a tooltip. A top-level window with a
// one-pixel border, in clInfoBk (its Color) with the text in its Font (clInfoText), that never
// activates and never takes the focus: the mouse goes through it (HTTRANSPARENT) to what lies
// under it, it answers MA_NOACTIVATE and it is shown without activation, so the form under it
// stays active and keeps its focused control.
#pragma once

#include <string>

#include "platform/vcl/custom_control.h"

namespace vcl {

class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* AOwner);
  std::string ClassName() const override { return "THintWindow"; }

  // A rectangle at (0, 0) that fits Text wrapped at MaxWidth, measured with the canvas's font,
  // with the margins: 6 pixels wider and 2 higher than the text.
  virtual TRect CalcHintRect(int MaxWidth, const std::string& Text, void* Data);
  // Shows the window on top at the screen rectangle Rect (4 pixels taller, room for the text's
  // margins; kept on the screen) with Text as its caption. Calling it again moves it.
  virtual void ActivateHint(TRect Rect, const std::string& Text);
  // Hides the window by destroying it; the next ActivateHint makes a new one.
  void ReleaseHandle() { DestroyHandle(); }

  bool CanFocus() override { return false; }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void WMMouseActivate(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
};

}  // namespace vcl
