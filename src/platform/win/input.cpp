#include "platform/win/input.h"

#include <cstring>

namespace vcl::sim {

void ProcessMessages() {
  PumpMessages();
}

void AdvanceTime(DWORD Milliseconds) {
  DWORD end = GetTickCount() + Milliseconds;
  ProcessMessages();
  for (;;) {
    DWORD due = 0;
    if (!NextTimerDue(due) || static_cast<std::int32_t>(due - end) > 0) break;
    if (static_cast<std::int32_t>(due - GetTickCount()) > 0) AdvanceClock(due - GetTickCount());
    ProcessMessages();
  }
  if (static_cast<std::int32_t>(end - GetTickCount()) > 0) AdvanceClock(end - GetTickCount());
  ProcessMessages();
}

void KeyDown(Word Key) {
  InputKey(Key, true);
  ProcessMessages();
}

void KeyUp(Word Key) {
  InputKey(Key, false);
  ProcessMessages();
}

void HoldShift(TShiftState Shift) {
  if (Shift.Contains(ssCtrl)) KeyDown(VK_CONTROL);
  if (Shift.Contains(ssAlt)) KeyDown(VK_MENU);
  if (Shift.Contains(ssShift)) KeyDown(VK_SHIFT);
}

void ReleaseShift(TShiftState Shift) {
  if (Shift.Contains(ssShift)) KeyUp(VK_SHIFT);
  if (Shift.Contains(ssAlt)) KeyUp(VK_MENU);
  if (Shift.Contains(ssCtrl)) KeyUp(VK_CONTROL);
}

void PressKey(Word Key, TShiftState Shift) {
  HoldShift(Shift);
  KeyDown(Key);
  KeyUp(Key);
  ReleaseShift(Shift);
}

bool KeyForChar(char Ch, Word& Key, bool& Shift) {
  unsigned char c = static_cast<unsigned char>(Ch);
  Shift = false;
  if (c >= 'a' && c <= 'z') return Key = static_cast<Word>(c - 'a' + 'A'), true;
  if (c >= 'A' && c <= 'Z') return Key = c, Shift = true, true;
  if (c >= '0' && c <= '9') return Key = c, true;
  static const char* kShiftedDigits = ")!@#$%^&*(";
  if (const char* p = std::strchr(kShiftedDigits, c); p && c) {
    Key = static_cast<Word>('0' + (p - kShiftedDigits));
    Shift = true;
    return true;
  }
  struct Oem {
    char Plain, Shifted;
    Word Key;
  };
  static const Oem kOem[] = {{';', ':', VK_OEM_1},     {'=', '+', VK_OEM_PLUS},   {',', '<', VK_OEM_COMMA},
                             {'-', '_', VK_OEM_MINUS}, {'.', '>', VK_OEM_PERIOD}, {'/', '?', VK_OEM_2},
                             {'`', '~', VK_OEM_3},     {'[', '{', VK_OEM_4},      {'\\', '|', VK_OEM_5},
                             {']', '}', VK_OEM_6},     {'\'', '"', VK_OEM_7}};
  for (const Oem& o : kOem) {
    if (Ch == o.Plain) return Key = o.Key, true;
    if (Ch == o.Shifted) return Key = o.Key, Shift = true, true;
  }
  switch (c) {
    case ' ': Key = VK_SPACE; return true;
    case '\r':
    case '\n': Key = VK_RETURN; return true;
    case '\t': Key = VK_TAB; return true;
    case 8: Key = VK_BACK; return true;
    case 27: Key = VK_ESCAPE; return true;
    default: return false;
  }
}

void TypeChar(char Ch) {
  Word key = 0;
  bool shift = false;
  if (!KeyForChar(Ch, key, shift)) {
    InputChar(Ch);
    ProcessMessages();
    return;
  }
  // Shift may already be held by the caller; press it only when it is up.
  bool press = shift && GetKeyState(VK_SHIFT) >= 0;
  if (press) KeyDown(VK_SHIFT);
  KeyDown(key);
  KeyUp(key);
  if (press) KeyUp(VK_SHIFT);
}

void TypeText(const std::string& Text) {
  for (char c : Text) TypeChar(c);
}

TPoint ScreenPoint(HWND Wnd, TPoint Client) {
  ClientToScreen(Wnd, Client);
  return Client;
}

void MouseMove(TPoint Screen) {
  InputMouseMove(Screen);
  ProcessMessages();
}
void MouseMove(HWND Wnd, TPoint Client) {
  MouseMove(ScreenPoint(Wnd, Client));
}

void MouseDown(TPoint Screen, TMouseButton Button, TShiftState Shift) {
  HoldShift(Shift);
  TPoint cur;
  GetCursorPos(cur);
  if (!(cur == Screen)) MouseMove(Screen);
  InputMouseButton(Button, true, Screen);
  ProcessMessages();
}
void MouseDown(HWND Wnd, TPoint Client, TMouseButton Button, TShiftState Shift) {
  MouseDown(ScreenPoint(Wnd, Client), Button, Shift);
}

void MouseUp(TPoint Screen, TMouseButton Button, TShiftState Shift) {
  TPoint cur;
  GetCursorPos(cur);
  if (!(cur == Screen)) MouseMove(Screen);
  InputMouseButton(Button, false, Screen);
  ProcessMessages();
  ReleaseShift(Shift);
}
void MouseUp(HWND Wnd, TPoint Client, TMouseButton Button, TShiftState Shift) {
  MouseUp(ScreenPoint(Wnd, Client), Button, Shift);
}

void Click(TPoint Screen, TMouseButton Button, TShiftState Shift) {
  MouseDown(Screen, Button, Shift);
  MouseUp(Screen, Button, Shift);
}
void Click(HWND Wnd, TPoint Client, TMouseButton Button, TShiftState Shift) {
  Click(ScreenPoint(Wnd, Client), Button, Shift);
}

void DoubleClick(TPoint Screen) {
  Click(Screen);
  Click(Screen);
}
void DoubleClick(HWND Wnd, TPoint Client) {
  DoubleClick(ScreenPoint(Wnd, Client));
}

void Drag(TPoint From, TPoint To, int Steps, TMouseButton Button) {
  MouseDown(From, Button);
  if (Steps < 1) Steps = 1;
  for (int i = 1; i <= Steps; ++i)
    MouseMove(TPoint{From.X + (To.X - From.X) * i / Steps, From.Y + (To.Y - From.Y) * i / Steps});
  MouseUp(To, Button);
}
void Drag(HWND Wnd, TPoint FromClient, TPoint ToClient, int Steps, TMouseButton Button) {
  Drag(ScreenPoint(Wnd, FromClient), ScreenPoint(Wnd, ToClient), Steps, Button);
}

void Wheel(int Delta) {
  TPoint p;
  GetCursorPos(p);
  Wheel(Delta, p);
}

void Wheel(int Delta, TPoint Screen) {
  InputMouseWheel(Delta, Screen);
  ProcessMessages();
}

}  // namespace vcl::sim
