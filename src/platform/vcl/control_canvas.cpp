#include "platform/vcl/control_canvas.h"

#include "platform/vcl/control.h"

namespace vcl {

TControlCanvas::TControlCanvas(TControl* AControl) : FControl(AControl) {
  ControlFontChanged();
}

void TControlCanvas::UpdateTextFlags() {
  if (!FControl) return;
  if (FControl->UseRightToLeftReading())
    SetTextFlags(TextFlags() | ETO_RTLREADING);
  else
    SetTextFlags(TextFlags() & ~ETO_RTLREADING);
}

void TControlCanvas::ControlFontChanged() {
  if (FControl) SetFont(FControl->Font());
}

}  // namespace vcl
