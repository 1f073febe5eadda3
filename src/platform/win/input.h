// Input simulation: keys, typed text, mouse moves, presses, clicks, double clicks, drags and
// the wheel, fed to the window system as a user at the desktop would produce them. Every
// action runs the message loop afterwards, as a running application would.
#pragma once

#include <string>

#include "platform/win/window_system.h"

namespace vcl::sim {

// Runs the message loop until the queue is empty.
void ProcessMessages();
// Moves the virtual clock on by Milliseconds, stopping at each timer's due time to run the
// message loop there, so timers fire in order of due time.
void AdvanceTime(DWORD Milliseconds);

// ---- keyboard ----
// A key goes down / comes up (Shift, Ctrl and Alt are keys like any other).
void KeyDown(Word Key);
void KeyUp(Word Key);
// Presses and releases a key with the modifiers in Shift held (ssShift, ssCtrl, ssAlt).
void PressKey(Word Key, TShiftState Shift = {});
// Holds the modifiers in Shift down / lets them go.
void HoldShift(TShiftState Shift);
void ReleaseShift(TShiftState Shift);
// Types each character with the key (and Shift) that makes it on a US keyboard; characters
// without a key arrive as WM_CHAR alone.
void TypeText(const std::string& Text);
void TypeChar(char Ch);
// The key (and whether Shift is needed) that types Ch; false when no key does.
bool KeyForChar(char Ch, Word& Key, bool& Shift);

// ---- mouse (screen coordinates, or a window's client coordinates) ----
TPoint ScreenPoint(HWND Wnd, TPoint Client);
void MouseMove(TPoint Screen);
void MouseMove(HWND Wnd, TPoint Client);
void MouseDown(TPoint Screen, TMouseButton Button = mbLeft, TShiftState Shift = {});
void MouseDown(HWND Wnd, TPoint Client, TMouseButton Button = mbLeft, TShiftState Shift = {});
void MouseUp(TPoint Screen, TMouseButton Button = mbLeft, TShiftState Shift = {});
void MouseUp(HWND Wnd, TPoint Client, TMouseButton Button = mbLeft, TShiftState Shift = {});
// Move, press, release. Two clicks at one place within the double-click time make a double
// click; advance the clock between clicks that should stay single.
void Click(TPoint Screen, TMouseButton Button = mbLeft, TShiftState Shift = {});
void Click(HWND Wnd, TPoint Client, TMouseButton Button = mbLeft, TShiftState Shift = {});
void DoubleClick(TPoint Screen);
void DoubleClick(HWND Wnd, TPoint Client);
// Press at From, move in Steps even steps to To, release there.
void Drag(TPoint From, TPoint To, int Steps = 4, TMouseButton Button = mbLeft);
void Drag(HWND Wnd, TPoint FromClient, TPoint ToClient, int Steps = 4, TMouseButton Button = mbLeft);
// Turns the wheel by Delta (120 a notch, negative towards the user) at the pointer.
void Wheel(int Delta);
void Wheel(int Delta, TPoint Screen);

}  // namespace vcl::sim
