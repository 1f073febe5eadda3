// Input simulation aimed at a control: the points are in the control's client coordinates.
#pragma once

#include "platform/vcl/control.h"
#include "platform/win/input.h"

namespace vcl::sim {

inline TPoint ScreenPoint(TControl* Control, TPoint Client) {
  return Control->ClientToScreen(Client);
}
inline void MouseMove(TControl* Control, TPoint Client) {
  MouseMove(ScreenPoint(Control, Client));
}
inline void MouseDown(TControl* Control, TPoint Client, TMouseButton Button = mbLeft,
                      TShiftState Shift = {}) {
  MouseDown(ScreenPoint(Control, Client), Button, Shift);
}
inline void MouseUp(TControl* Control, TPoint Client, TMouseButton Button = mbLeft, TShiftState Shift = {}) {
  MouseUp(ScreenPoint(Control, Client), Button, Shift);
}
inline void Click(TControl* Control, TPoint Client, TMouseButton Button = mbLeft, TShiftState Shift = {}) {
  Click(ScreenPoint(Control, Client), Button, Shift);
}
inline void DoubleClick(TControl* Control, TPoint Client) {
  DoubleClick(ScreenPoint(Control, Client));
}
inline void Drag(TControl* Control, TPoint FromClient, TPoint ToClient, int Steps = 4,
                 TMouseButton Button = mbLeft) {
  Drag(ScreenPoint(Control, FromClient), ScreenPoint(Control, ToClient), Steps, Button);
}
// The wheel turned with the pointer over the control.
inline void Wheel(TControl* Control, TPoint Client, int Delta) {
  Wheel(Delta, ScreenPoint(Control, Client));
}

}  // namespace vcl::sim
