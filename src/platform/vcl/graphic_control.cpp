#include "platform/vcl/graphic_control.h"

#include "platform/vcl/win_control.h"
#include "platform/win/window_system.h"

namespace vcl {

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    default: TControl::Dispatch(Message); break;
  }
}

void TGraphicControl::WMPaint(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  TCanvasPaintScope scope(*FCanvas, dc);
  Paint();
}

// Shown or hidden, the control's place is painted again, background first.
void TGraphicControl::CMVisibleChanged(TMessage&) {
  if (!Parent() || !Parent()->HandleAllocated()) return;
  TRect r = BoundsRect();
  InvalidateRect(Parent()->Handle(), &r, true);
}

void TGraphicControl::CMFontChanged(TMessage& Message) {
  FCanvas->ControlFontChanged();
  TControl::CMFontChanged(Message);
}

}  // namespace vcl
