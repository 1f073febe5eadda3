#include "platform/vcl/custom_control.h"

namespace vcl {

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {
  FControlStyle += TControlStyle{csAcceptsControls};
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    default: TWinControl::Dispatch(Message); break;
  }
}

void TCustomControl::PaintWindow(HDC DC) {
  struct Restore {
    HDC& Slot;
    ~Restore() { Slot = nullptr; }
  } restore{FPaintDC};
  FPaintDC = DC;
  TCanvasPaintScope scope(*FCanvas, DC);
  FCanvas->UpdateTextFlags();
  Paint();
}

void TCustomControl::CMFontChanged(TMessage& Message) {
  FCanvas->ControlFontChanged();
  TWinControl::CMFontChanged(Message);
}

}  // namespace vcl
