// The keyboard of an X display in the platform's terms: X key symbols to virtual-key codes,
// and the characters they type to the platform's code page (Windows-1252). No X header is
// needed to use these: a key symbol is the X server's number for it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win/messages.h"

namespace vcl::x11 {

// The virtual-key code of a key symbol, 0 when it has none. Letters give 'A'..'Z' in either
// case, digits '0'..'9', the keypad's digits VK_NUMPAD0.. (its other symbols, as without
// NumLock, the movement keys).
Word VirtualKeyFromKeysym(std::uint32_t Keysym);

// The Windows-1252 character a key symbol types, 0 when it types none (or none that the code
// page holds). Only printable characters count: Return, Tab, BackSpace and Escape type nothing
// here; the window system makes their characters from the key itself.
char CharFromKeysym(std::uint32_t Keysym);

// A Unicode character in Windows-1252, 0 when the code page does not hold it.
char Cp1252FromUnicode(std::uint32_t Code);
// Windows-1252 text in UTF-8 (for window titles); bytes the code page leaves unassigned go.
std::string Utf8FromCp1252(const std::string& Text);

// What a key press brings the window system.
struct TKeyPress {
  Word VirtKey = 0;  // 0: the key has no virtual-key code (its character comes alone)
  char Char = 0;     // the character the keyboard typed, 0 for none
};

// A key press with the symbol of its key's first level (Base, which names the key) and the
// symbol the modifiers made of it (Typed, which names the character). With Ctrl held the
// window system makes the character from the key, as for a simulated press.
TKeyPress TranslateKeyPress(std::uint32_t Base, std::uint32_t Typed, bool Ctrl);

}  // namespace vcl::x11
