#include "platform/x11/x11_keys.h"

// The publishing and technical symbols hold some of the characters of Windows-1252.
#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/keysym.h>

namespace vcl::x11 {

namespace {

struct KeyName {
  std::uint32_t Keysym;
  Word VirtKey;
};

// The keys that are not letters, digits or the keypad's digits.
constexpr KeyName kKeys[] = {
    {XK_BackSpace, VK_BACK},
    {XK_Tab, VK_TAB},
    {XK_ISO_Left_Tab, VK_TAB},
    {XK_Return, VK_RETURN},
    {XK_KP_Enter, VK_RETURN},
    {XK_Escape, VK_ESCAPE},
    {XK_space, VK_SPACE},
    {XK_KP_Space, VK_SPACE},
    {XK_Delete, VK_DELETE},
    {XK_KP_Delete, VK_DELETE},
    {XK_Insert, VK_INSERT},
    {XK_KP_Insert, VK_INSERT},
    {XK_Home, VK_HOME},
    {XK_KP_Home, VK_HOME},
    {XK_End, VK_END},
    {XK_KP_End, VK_END},
    {XK_Prior, VK_PRIOR},
    {XK_KP_Prior, VK_PRIOR},
    {XK_Next, VK_NEXT},
    {XK_KP_Next, VK_NEXT},
    {XK_Left, VK_LEFT},
    {XK_KP_Left, VK_LEFT},
    {XK_Up, VK_UP},
    {XK_KP_Up, VK_UP},
    {XK_Right, VK_RIGHT},
    {XK_KP_Right, VK_RIGHT},
    {XK_Down, VK_DOWN},
    {XK_KP_Down, VK_DOWN},
    {XK_KP_Begin, VK_CLEAR},
    {XK_Clear, VK_CLEAR},
    {XK_Shift_L, VK_SHIFT},
    {XK_Shift_R, VK_SHIFT},
    {XK_Control_L, VK_CONTROL},
    {XK_Control_R, VK_CONTROL},
    {XK_Alt_L, VK_MENU},
    {XK_Alt_R, VK_MENU},
    {XK_Meta_L, VK_MENU},
    {XK_Meta_R, VK_MENU},
    {XK_Caps_Lock, VK_CAPITAL},
    {XK_Num_Lock, VK_NUMLOCK},
    {XK_Scroll_Lock, VK_SCROLL},
    {XK_Pause, VK_PAUSE},
    {XK_Print, VK_SNAPSHOT},
    {XK_Menu, VK_APPS},
    {XK_Help, VK_HELP},
    {XK_KP_Multiply, VK_MULTIPLY},
    {XK_KP_Add, VK_ADD},
    {XK_KP_Separator, VK_SEPARATOR},
    {XK_KP_Subtract, VK_SUBTRACT},
    {XK_KP_Decimal, VK_DECIMAL},
    {XK_KP_Divide, VK_DIVIDE},
    {XK_semicolon, VK_OEM_1},
    {XK_colon, VK_OEM_1},
    {XK_equal, VK_OEM_PLUS},
    {XK_plus, VK_OEM_PLUS},
    {XK_comma, VK_OEM_COMMA},
    {XK_less, VK_OEM_COMMA},
    {XK_minus, VK_OEM_MINUS},
    {XK_underscore, VK_OEM_MINUS},
    {XK_period, VK_OEM_PERIOD},
    {XK_greater, VK_OEM_PERIOD},
    {XK_slash, VK_OEM_2},
    {XK_question, VK_OEM_2},
    {XK_grave, VK_OEM_3},
    {XK_asciitilde, VK_OEM_3},
    {XK_bracketleft, VK_OEM_4},
    {XK_braceleft, VK_OEM_4},
    {XK_backslash, VK_OEM_5},
    {XK_bar, VK_OEM_5},
    {XK_bracketright, VK_OEM_6},
    {XK_braceright, VK_OEM_6},
    {XK_apostrophe, VK_OEM_7},
    {XK_quotedbl, VK_OEM_7},
};

// Key symbols of the characters Windows-1252 keeps in 0x80..0x9F, and of a few others that
// have legacy symbols (the rest are Latin-1 symbols or 0x01000000 + Unicode).
constexpr std::uint32_t kLegacyUnicode[][2] = {
    {XK_EuroSign, 0x20AC},
    {XK_OE, 0x0152},
    {XK_oe, 0x0153},
    {XK_Ydiaeresis, 0x0178},
    {XK_Scaron, 0x0160},
    {XK_scaron, 0x0161},
    {XK_Zcaron, 0x017D},
    {XK_zcaron, 0x017E},
    {XK_function, 0x0192},
    {XK_leftsinglequotemark, 0x2018},
    {XK_rightsinglequotemark, 0x2019},
    {XK_leftdoublequotemark, 0x201C},
    {XK_rightdoublequotemark, 0x201D},
    {XK_singlelowquotemark, 0x201A},
    {XK_doublelowquotemark, 0x201E},
    {XK_endash, 0x2013},
    {XK_emdash, 0x2014},
    {XK_ellipsis, 0x2026},
    {XK_dagger, 0x2020},
    {XK_doubledagger, 0x2021},
    {XK_permille, 0x2030},
    {XK_trademark, 0x2122},
    {XK_enfilledcircbullet, 0x2022},
};

// Windows-1252 0x80..0x9F in Unicode (0: unassigned).
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsKeypadDigitOrSign(std::uint32_t Keysym) {
  return (Keysym >= XK_KP_0 && Keysym <= XK_KP_9) || (Keysym >= XK_KP_Multiply && Keysym <= XK_KP_Divide) ||
         Keysym == XK_KP_Equal;
}

std::uint32_t UnicodeFromKeysym(std::uint32_t Keysym) {
  if ((Keysym >= 0x20 && Keysym <= 0x7E) || (Keysym >= 0xA0 && Keysym <= 0xFF)) return Keysym;
  if ((Keysym & 0xFF000000) == 0x01000000) return Keysym & 0x00FFFFFF;
  if (Keysym >= XK_KP_0 && Keysym <= XK_KP_9) return '0' + (Keysym - XK_KP_0);
  switch (Keysym) {
    case XK_KP_Space: return ' ';
    case XK_KP_Multiply: return '*';
    case XK_KP_Add: return '+';
    case XK_KP_Subtract: return '-';
    case XK_KP_Decimal: return '.';
    case XK_KP_Divide: return '/';
    case XK_KP_Equal: return '=';
    default: break;
  }
  for (const auto& l : kLegacyUnicode)
    if (l[0] == Keysym) return l[1];
  return 0;
}

}  // namespace

Word VirtualKeyFromKeysym(std::uint32_t Keysym) {
  if (Keysym >= XK_a && Keysym <= XK_z) return static_cast<Word>('A' + (Keysym - XK_a));
  if (Keysym >= XK_A && Keysym <= XK_Z) return static_cast<Word>(Keysym);
  if (Keysym >= XK_0 && Keysym <= XK_9) return static_cast<Word>(Keysym);
  if (Keysym >= XK_KP_0 && Keysym <= XK_KP_9) return static_cast<Word>(VK_NUMPAD0 + (Keysym - XK_KP_0));
  if (Keysym >= XK_F1 && Keysym <= XK_F12) return static_cast<Word>(VK_F1 + (Keysym - XK_F1));
  for (const KeyName& k : kKeys)
    if (k.Keysym == Keysym) return k.VirtKey;
  return 0;
}

char Cp1252FromUnicode(std::uint32_t Code) {
  if (Code < 0x80 || (Code >= 0xA0 && Code <= 0xFF)) return static_cast<char>(Code);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] != 0 && kCp1252High[i] == Code) return static_cast<char>(0x80 + i);
  return 0;
}

std::string Utf8FromCp1252(const std::string& Text) {
  std::string out;
  for (char c : Text) {
    std::uint32_t u = static_cast<unsigned char>(c);
    if (u >= 0x80 && u < 0xA0) u = kCp1252High[u - 0x80];
    if (u == 0) continue;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

char CharFromKeysym(std::uint32_t Keysym) {
  std::uint32_t code = UnicodeFromKeysym(Keysym);
  if (code < 0x20 || code == 0x7F) return 0;
  return Cp1252FromUnicode(code);
}

TKeyPress TranslateKeyPress(std::uint32_t Base, std::uint32_t Typed, bool Ctrl) {
  TKeyPress k;
  // The keypad's keys are named by what NumLock made of them (a digit, or a movement key).
  k.VirtKey = VirtualKeyFromKeysym(IsKeypadDigitOrSign(Typed) ? Typed : Base);
  if (k.VirtKey == 0) k.VirtKey = VirtualKeyFromKeysym(Typed);
  k.Char = CharFromKeysym(Typed);
  if (Ctrl && k.VirtKey != 0) k.Char = 0;  // Ctrl+key: the window system makes the character
  return k;
}

}  // namespace vcl::x11
