#include "platform/x11/x11_keys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/platform_fixture.h"

using namespace vcl;
using namespace vcl::x11;

namespace {

struct KeyCase {
  const char* What;
  std::uint32_t Base, Typed;
  bool Ctrl;
  Word VirtKey;
  char Char;
};

// Keys as X reports them (the symbol of the key's first level, the symbol the modifiers made)
// and what the window system is fed.
const KeyCase kKeyCases[] = {
    {"a letter", XK_a, XK_a, false, 'A', 'a'},
    {"a capital", XK_a, XK_A, false, 'A', 'A'},
    {"a shifted digit", XK_1, XK_exclam, false, '1', '!'},
    {"Return types through the window system", XK_Return, XK_Return, false, VK_RETURN, 0},
    {"Shift+Tab", XK_Tab, XK_ISO_Left_Tab, false, VK_TAB, 0},
    {"Ctrl+A: the window system makes the control character", XK_a, XK_a, true, 'A', 0},
    {"the keypad with NumLock", XK_KP_End, XK_KP_1, false, VK_NUMPAD0 + 1, '1'},
    {"the keypad without NumLock", XK_KP_End, XK_KP_End, false, VK_END, 0},
    {"the keypad's plus", XK_KP_Add, XK_KP_Add, false, VK_ADD, '+'},
    {"a function key", XK_F5, XK_F5, false, VK_F5, 0},
    {"Page Down", XK_Next, XK_Next, false, VK_NEXT, 0},
    {"the right Alt", XK_Alt_R, XK_Alt_R, false, VK_MENU, 0},
    {"a key of its own for a Latin-1 letter", XK_eacute, XK_eacute, false, 0, '\xE9'},
    {"AltGr+E makes the euro sign", XK_e, XK_EuroSign, false, 'E', '\x80'},
    {"a Unicode symbol the code page holds", XK_o, 0x1000152, false, 'O', '\x8C'},
    {"a letter the code page lacks", 0x6C1, 0x6C1, false, 0, 0},
    {"a dead key types nothing by itself", XK_dead_acute, XK_dead_acute, false, 0, 0},
};

TEST(X11KeysTest, KeysMapToVirtualKeysAndWindows1252) {
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(c.What);
    TKeyPress k = TranslateKeyPress(c.Base, c.Typed, c.Ctrl);
    EXPECT_EQ(k.VirtKey, c.VirtKey);
    EXPECT_EQ(static_cast<int>(static_cast<unsigned char>(k.Char)),
              static_cast<int>(static_cast<unsigned char>(c.Char)));
  }
}

// The US keyboard's keys: the unshifted and the shifted character, X's symbol for each.
struct UsKey {
  std::uint32_t Plain, Shifted;
};
const UsKey kUsKeys[] = {
    {XK_1, XK_exclam},
    {XK_2, XK_at},
    {XK_3, XK_numbersign},
    {XK_4, XK_dollar},
    {XK_5, XK_percent},
    {XK_6, XK_asciicircum},
    {XK_7, XK_ampersand},
    {XK_8, XK_asterisk},
    {XK_9, XK_parenleft},
    {XK_0, XK_parenright},
    {XK_minus, XK_underscore},
    {XK_equal, XK_plus},
    {XK_bracketleft, XK_braceleft},
    {XK_bracketright, XK_braceright},
    {XK_backslash, XK_bar},
    {XK_semicolon, XK_colon},
    {XK_apostrophe, XK_quotedbl},
    {XK_grave, XK_asciitilde},
    {XK_comma, XK_less},
    {XK_period, XK_greater},
    {XK_slash, XK_question},
    {XK_space, 0},
};

class X11KeyRoadTest : public kttest::PlatformTest {};

// Every printable character typed on a US keyboard under X reaches a control exactly as the
// simulator types it: the same key downs, characters and key ups.
TEST_F(X11KeyRoadTest, ARealKeyPressIsExactlyASimulatedOne) {
  std::vector<std::pair<std::uint32_t, bool>> presses;  // (key's base symbol, shifted)
  for (std::uint32_t c = XK_a; c <= XK_z; ++c) presses.push_back({c, false}), presses.push_back({c, true});
  for (const UsKey& k : kUsKeys) {
    presses.push_back({k.Plain, false});
    if (k.Shifted) presses.push_back({k.Plain, true});
  }
  auto* form = MakeForm();
  auto* box = MakeControl(form, "Box", TRect{10, 10, 100, 40});
  form->Show();
  box->SetFocus();
  for (auto [base, shifted] : presses) {
    std::uint32_t typed = base;
    if (shifted) {
      typed = base >= XK_a && base <= XK_z ? base - XK_a + XK_A : base;
      for (const UsKey& k : kUsKeys)
        if (k.Plain == base) typed = k.Shifted;
    }
    const char ch = CharFromKeysym(typed);
    SCOPED_TRACE(std::string("typing '") + ch + "'");
    Log.Clear();
    sim::TypeChar(ch);
    const std::string simulated = Log.Take();

    // What the X11 display feeds in for the key press and release, with X's modifier state.
    TKeyPress k = TranslateKeyPress(base, typed, false);
    if (shifted) InputKey(VK_SHIFT, true);
    InputShiftState(shifted ? TShiftState{ssShift} : TShiftState{});
    InputTypedKey(k.VirtKey, k.Char);
    sim::ProcessMessages();
    InputKey(k.VirtKey, false);
    if (shifted) InputKey(VK_SHIFT, false);
    sim::ProcessMessages();
    EXPECT_EQ(Log.Take(), simulated);
  }
}

TEST(X11KeysTest, TitlesGoToUtf8) {
  EXPECT_EQ(Utf8FromCp1252("Caf\xE9 \x80 5"), "Caf\xC3\xA9 \xE2\x82\xAC 5");
  EXPECT_EQ(Utf8FromCp1252("a\x81z"), "az");  // unassigned in the code page
}

}  // namespace
