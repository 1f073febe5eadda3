#include "platform/win/window_system.h"

#include <cstdlib>

#include "platform/win/window_system_internal.h"

// Input: the raw keyboard and mouse events fed in (by the simulator, or by a display),
// routed to windows and queued.

namespace vcl {

namespace detail {

bool KeyDown(int Vk) {
  return (S().Keys[Vk & 0xFF] & 0x80) != 0;
}

namespace {

int ScanCode(Word Vk) {
  static const char* kRow1 = "QWERTYUIOP";
  static const char* kRow2 = "ASDFGHJKL";
  static const char* kRow3 = "ZXCVBNM";
  if (Vk >= '1' && Vk <= '9') return 2 + (Vk - '1');
  if (Vk == '0') return 11;
  for (int i = 0; kRow1[i]; ++i)
    if (kRow1[i] == Vk) return 16 + i;
  for (int i = 0; kRow2[i]; ++i)
    if (kRow2[i] == Vk) return 30 + i;
  for (int i = 0; kRow3[i]; ++i)
    if (kRow3[i] == Vk) return 44 + i;
  switch (Vk) {
    case VK_ESCAPE: return 1;
    case VK_BACK: return 14;
    case VK_TAB: return 15;
    case VK_RETURN: return 28;
    case VK_CONTROL: return 29;
    case VK_SHIFT: return 42;
    case VK_MENU: return 56;
    case VK_SPACE: return 57;
    case VK_HOME: return 71;
    case VK_UP: return 72;
    case VK_PRIOR: return 73;
    case VK_LEFT: return 75;
    case VK_RIGHT: return 77;
    case VK_END: return 79;
    case VK_DOWN: return 80;
    case VK_NEXT: return 81;
    case VK_INSERT: return 82;
    case VK_DELETE: return 83;
    default:
      if (Vk >= VK_F1 && Vk <= VK_F10) return 59 + (Vk - VK_F1);
      return 0;
  }
}

// The character a key down makes with the current key state (US layout), or 0.

}  // namespace

int CharForKey(Word Vk) {
  bool shift = KeyDown(VK_SHIFT), ctrl = KeyDown(VK_CONTROL), alt = KeyDown(VK_MENU);
  if (ctrl && alt) return 0;
  if (Vk >= 'A' && Vk <= 'Z') {
    if (ctrl) return Vk - 'A' + 1;
    bool upper = shift != ((S().Keys[VK_CAPITAL] & 1) != 0);
    return upper ? Vk : Vk - 'A' + 'a';
  }
  if (ctrl) {
    switch (Vk) {
      case VK_RETURN: return 10;
      case VK_BACK: return 127;
      case VK_SPACE: return ' ';
      case VK_ESCAPE: return 27;
      case VK_OEM_4: return 27;
      case VK_OEM_5: return 28;
      case VK_OEM_6: return 29;
      default: return 0;
    }
  }
  static const char* kShiftedDigits = ")!@#$%^&*(";
  if (Vk >= '0' && Vk <= '9') return shift ? kShiftedDigits[Vk - '0'] : Vk;
  if (Vk >= VK_NUMPAD0 && Vk <= VK_NUMPAD0 + 9) return '0' + (Vk - VK_NUMPAD0);
  switch (Vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    case VK_BACK: return 8;
    case VK_TAB: return 9;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return 0;
  }
}

namespace {

void PostInput(const MSG& M, bool Mouse = false, UINT HitTest = 0) {
  S().Input.push_back(Queued{M, Mouse, HitTest});
}

WPARAM MouseKeys() {
  WPARAM k = 0;
  if (KeyDown(VK_LBUTTON)) k |= MK_LBUTTON;
  if (KeyDown(VK_RBUTTON)) k |= MK_RBUTTON;
  if (KeyDown(VK_MBUTTON)) k |= MK_MBUTTON;
  if (KeyDown(VK_SHIFT)) k |= MK_SHIFT;
  if (KeyDown(VK_CONTROL)) k |= MK_CONTROL;
  return k;
}

Word ButtonKey(TMouseButton B) {
  return B == mbLeft ? VK_LBUTTON : B == mbRight ? VK_RBUTTON : VK_MBUTTON;
}

// The window a mouse event at P is for, and the hit-test code; nullptr when none. A window
// answering HTTRANSPARENT lets the point through to its parent, or, for a top-level window, to
// the windows behind it.
HWND MouseTarget(TPoint P, UINT& HitTest) {
  if (S().Capture) {
    HitTest = static_cast<UINT>(HTCLIENT);
    return S().Capture;
  }
  LRESULT hit = HTNOWHERE;
  HWND h = HitTestAt(P, hit);
  if (!h || hit == HTNOWHERE || hit == HTERROR) return nullptr;
  HitTest = static_cast<UINT>(hit);
  return h;
}

void PostMouse(UINT ClientMsg, UINT NcMsg, TPoint P, WPARAM Extra = 0) {
  UINT hit = 0;
  HWND h = MouseTarget(P, hit);
  if (!h) return;
  Window* w = Find(h);
  if (!w || (w->Style & WS_DISABLED)) return;
  MSG m{h, 0, 0, 0, S().Now, P};
  if (hit == static_cast<UINT>(HTCLIENT)) {
    TPoint c = P;
    ScreenToClient(h, c);
    m.message = ClientMsg;
    m.wParam = MouseKeys() | Extra;
    m.lParam = PointToLParam(c);
  } else {
    m.message = NcMsg;
    m.wParam = hit;
    m.lParam = PointToLParam(P);
  }
  PostInput(m, true, hit);
}

}  // namespace

}  // namespace detail

using namespace detail;

namespace {

// A key goes down or up; a key down may carry the character the keyboard in use made of it.
void QueueKey(Word VirtKey, bool Down, int TypedChar) {
  std::uint8_t& k = S().Keys[VirtKey & 0xFF];
  bool wasDown = (k & 0x80) != 0;
  if (Down) {
    if (!wasDown) k ^= 1;  // toggle on each press
    k |= 0x80;
  } else {
    k &= static_cast<std::uint8_t>(~0x80);
  }
  // The context bit says whether Alt is down now: not on the release of Alt itself.
  bool alt = KeyDown(VK_MENU);
  bool ctrl = KeyDown(VK_CONTROL);
  bool sys = (alt && !ctrl) || VirtKey == VK_F10 || (VirtKey == VK_MENU && !ctrl);
  HWND target = S().Focus;
  if (!target) {
    target = S().Active;
    sys = true;  // without a focus window the active window gets system keys
  }
  if (!target) return;
  UINT msg = Down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM data = 1 | (static_cast<LPARAM>(ScanCode(VirtKey)) << 16);
  if (alt) data |= KF_ALTDOWN_BIT;
  if (wasDown) data |= KF_REPEAT_BIT;
  if (!Down) data |= KF_UP_BIT;
  PostInput(MSG{target, msg, VirtKey, data, S().Now, S().Cursor});
  S().Input.back().TypedChar = Down ? TypedChar : -1;
}

}  // namespace

void InputKey(Word VirtKey, bool Down) {
  QueueKey(VirtKey, Down, -1);
}

void InputTypedKey(Word VirtKey, char Char) {
  QueueKey(VirtKey, true, static_cast<unsigned char>(Char));
}

void InputShiftState(TShiftState Shift) {
  auto follow = [](Word Key, bool Down) {
    if (KeyDown(Key) != Down) InputKey(Key, Down);
  };
  follow(VK_SHIFT, Shift.Contains(ssShift));
  follow(VK_CONTROL, Shift.Contains(ssCtrl));
  follow(VK_MENU, Shift.Contains(ssAlt));
}

void InputClose(HWND Wnd) {
  PostMessage(Wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void InputActivate(HWND Wnd) {
  Window* w = Find(Wnd);
  if (!w || w->Child || !Visible(*w) || (w->Style & WS_DISABLED) || IsPopupWindow(Wnd)) return;
  ActivateWindow(Wnd, WA_ACTIVE);
}

void InputChar(char Ch) {
  HWND target = S().Focus;
  if (!target) return;
  S().Posted.push_back(Queued{
      MSG{target, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(Ch)), 1, S().Now, S().Cursor}});
}

void InputMouseMove(TPoint P) {
  S().Cursor = P;
  if (S().Track.Wnd) return TrackMove(P);
  PostMouse(WM_MOUSEMOVE, WM_NCMOUSEMOVE, P);
}

void InputMouseButton(TMouseButton Button, bool Down, TPoint P) {
  S().Cursor = P;
  std::uint8_t& k = S().Keys[ButtonKey(Button)];
  if (Down)
    k |= 0x80;
  else
    k &= static_cast<std::uint8_t>(~0x80);
  if (S().Track.Wnd) {
    if (!Down && Button == mbLeft) TrackRelease();
    return;
  }
  static const UINT kClient[3][3] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
                                     {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
                                     {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}};
  static const UINT kNc[3][3] = {{WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK},
                                 {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCRBUTTONDBLCLK},
                                 {WM_NCMBUTTONDOWN, WM_NCMBUTTONUP, WM_NCMBUTTONDBLCLK}};
  int b = static_cast<int>(Button);
  if (!Down) return PostMouse(kClient[b][1], kNc[b][1], P);
  // A second press close in time and place on the same window is a double click.
  size_t before = S().Input.size();
  PostMouse(kClient[b][0], kNc[b][0], P);
  if (S().Input.size() == before) return;
  Queued& q = S().Input.back();
  HWND target = q.Msg.hwnd;
  UINT hit = q.HitTest;
  LastPress& lp = S().Press;
  int half = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
  bool dbl = lp.Valid && lp.Wnd == target && lp.Button == Button &&
             S().Now - lp.Time <= GetDoubleClickTime() && std::abs(P.X - lp.Pt.X) <= half &&
             std::abs(P.Y - lp.Pt.Y) <= half;
  bool client = hit == static_cast<UINT>(HTCLIENT);
  if (dbl && (!client || (GetClassLong(target, GCL_STYLE) & CS_DBLCLKS))) {
    q.Msg.message = client ? kClient[b][2] : kNc[b][2];
    lp.Valid = false;
  } else {
    lp = LastPress{target, Button, S().Now, P, true};
  }
}

void InputMouseWheel(int Delta, TPoint P) {
  S().Cursor = P;
  HWND target = S().Focus ? S().Focus : S().Active;
  if (!target) return;
  MSG m{target,           WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(MouseKeys()), Delta),
        PointToLParam(P), S().Now,       P};
  PostInput(m, true, static_cast<UINT>(HTCLIENT));
}

}  // namespace vcl
