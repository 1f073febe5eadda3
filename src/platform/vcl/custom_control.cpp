#include "platform/vcl/custom_control.h"

namespace vcl {

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle += TControlStyle{csAcceptsControls};
}

void TCustomControl::PaintWindow(HDC DC) {
  struct Restore {
    HDC& Slot;
    ~Restore() { Slot = nullptr; }
  } restore{FPaintDC};
  FPaintDC = DC;
  Paint();
}

}  // namespace vcl
