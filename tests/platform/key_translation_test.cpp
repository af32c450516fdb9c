// SDL keys to virtual keys, scan-code flags and control characters.
#include "platform/key_translation.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <utility>

#include "platform/window_system.h"

namespace platform {
namespace {

TEST(KeyTranslation, KeysMapToTheirVirtualCodes) {
  const struct {
    SDL_Keycode key;
    SDL_Scancode scan;
    uint32_t expected;
  } cases[] = {
      {SDLK_a, SDL_SCANCODE_UNKNOWN, 0x41},        {SDLK_z, SDL_SCANCODE_UNKNOWN, 0x5A},
      {SDLK_9, SDL_SCANCODE_UNKNOWN, 0x39},        {SDLK_F12, SDL_SCANCODE_UNKNOWN, 0x7B},
      {SDLK_LEFT, SDL_SCANCODE_UNKNOWN, vk::kLeft}, {SDLK_PAGEDOWN, SDL_SCANCODE_UNKNOWN, 0x22},
      {SDLK_KP_9, SDL_SCANCODE_UNKNOWN, 0x69},     {SDLK_KP_ENTER, SDL_SCANCODE_UNKNOWN, vk::kReturn},
      {SDLK_RSHIFT, SDL_SCANCODE_UNKNOWN, 0x10},   {SDLK_RALT, SDL_SCANCODE_UNKNOWN, 0x12},
      {SDLK_SEMICOLON, SDL_SCANCODE_UNKNOWN, 0xBA}, {SDLK_QUOTE, SDL_SCANCODE_UNKNOWN, 0xDE},
      // The layout decides first: AZERTY's A sits where QWERTY has Q.
      {SDLK_a, SDL_SCANCODE_Q, 0x41},
      // A letter that names no known key (Cyrillic, accented) falls back to the key's position.
      {0x0444, SDL_SCANCODE_A, 0x41},              {0x0436, SDL_SCANCODE_SEMICOLON, 0xBA},
      {0x00E9, SDL_SCANCODE_2, 0x32},              {SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scan), c.expected) << c.key << " " << c.scan;
}

TEST(KeyTranslation, EveryNamedKeyHasItsVirtualCode) {
  // The keypad, editing, lock and punctuation keys as the layout names them.
  const std::pair<SDL_Keycode, uint32_t> byName[] = {
      {SDLK_0, 0x30},           {SDLK_F1, 0x70},           {SDLK_KP_0, 0x60},        {SDLK_KP_1, 0x61},
      {SDLK_KP_PERIOD, 0x6E},   {SDLK_KP_DIVIDE, 0x6F},    {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_MINUS, 0x6D},
      {SDLK_KP_PLUS, 0x6B},     {SDLK_KP_COMMA, 0x6C},     {SDLK_RETURN, 0x0D},      {SDLK_ESCAPE, 0x1B},
      {SDLK_BACKSPACE, 0x08},   {SDLK_TAB, 0x09},          {SDLK_SPACE, 0x20},       {SDLK_LSHIFT, 0x10},
      {SDLK_LCTRL, 0x11},       {SDLK_RCTRL, 0x11},        {SDLK_LALT, 0x12},        {SDLK_CAPSLOCK, 0x14},
      {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},  {SDLK_PAUSE, 0x13},       {SDLK_PRINTSCREEN, 0x2C},
      {SDLK_INSERT, 0x2D},      {SDLK_DELETE, 0x2E},       {SDLK_HOME, 0x24},        {SDLK_END, 0x23},
      {SDLK_PAGEUP, 0x21},      {SDLK_RIGHT, 0x27},        {SDLK_UP, 0x26},          {SDLK_DOWN, 0x28},
      {SDLK_EQUALS, 0xBB},      {SDLK_PLUS, 0xBB},         {SDLK_COMMA, 0xBC},       {SDLK_MINUS, 0xBD},
      {SDLK_PERIOD, 0xBE},      {SDLK_SLASH, 0xBF},        {SDLK_BACKQUOTE, 0xC0},   {SDLK_LEFTBRACKET, 0xDB},
      {SDLK_BACKSLASH, 0xDC},   {SDLK_RIGHTBRACKET, 0xDD}, {SDLK_F13, 0},
  };
  for (const auto& [key, expected] : byName) {
    EXPECT_EQ(VirtualKeyFromSdl(key, SDL_SCANCODE_UNKNOWN), expected) << SDL_GetKeyName(key);
  }
  // A layout whose keys print letters the table does not know: the digit row and punctuation by position.
  constexpr SDL_Keycode kCyrillic = 0x0444;
  const std::pair<SDL_Scancode, uint32_t> byPosition[] = {
      {SDL_SCANCODE_Z, 0x5A},           {SDL_SCANCODE_1, 0x31},         {SDL_SCANCODE_9, 0x39},
      {SDL_SCANCODE_0, 0x30},           {SDL_SCANCODE_EQUALS, 0xBB},    {SDL_SCANCODE_COMMA, 0xBC},
      {SDL_SCANCODE_MINUS, 0xBD},       {SDL_SCANCODE_PERIOD, 0xBE},    {SDL_SCANCODE_SLASH, 0xBF},
      {SDL_SCANCODE_GRAVE, 0xC0},       {SDL_SCANCODE_LEFTBRACKET, 0xDB}, {SDL_SCANCODE_BACKSLASH, 0xDC},
      {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_APOSTROPHE, 0xDE}, {SDL_SCANCODE_F13, 0},
  };
  for (const auto& [scan, expected] : byPosition) {
    EXPECT_EQ(VirtualKeyFromSdl(kCyrillic, scan), expected) << SDL_GetScancodeName(scan);
  }
}

TEST(KeyTranslation, KeyMessagesCarryTheKeysPcScanCodeAndState) {
  const struct {
    SDL_Scancode scan;
    bool down;
    bool repeat;
    uint32_t lParam;
  } cases[] = {
      {SDL_SCANCODE_A, true, false, 0x001E0001u},      // first press
      {SDL_SCANCODE_A, true, true, 0x401E0001u},       // held: the key was already down
      {SDL_SCANCODE_A, false, false, 0xC01E0001u},     // released
      {SDL_SCANCODE_RIGHT, false, false, 0xC14D0001u},  // arrow keys send the E0 prefix
      {SDL_SCANCODE_KP_6, true, false, 0x004D0001u},   // the keypad's 6 is the same key without it
      {SDL_SCANCODE_KP_ENTER, true, false, 0x011C0001u},
      {SDL_SCANCODE_RCTRL, true, false, 0x011D0001u},
      {SDL_SCANCODE_F11, true, false, 0x00570001u},
      {SDL_SCANCODE_NONUSBACKSLASH, true, false, 0x00560001u},
      {SDL_SCANCODE_F13, true, false, 0x00000001u},  // no PC scan code: only the repeat count
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<uint32_t>(KeyMessageLParam(c.scan, c.down, c.repeat)), c.lParam)
        << SDL_GetScancodeName(c.scan) << " down " << c.down << " repeat " << c.repeat;
  }
  const PcScanCode unknown = PcScanCodeFromSdl(SDL_SCANCODE_F13);
  EXPECT_EQ(unknown.code, 0);
  EXPECT_FALSE(unknown.extended);
}

TEST(KeyTranslation, OnlyKeysWithoutTextGiveControlCharacters) {
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_RETURN), 13u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_TAB), 9u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_KP_ENTER), 13u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_ESCAPE), 27u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_BACKSPACE), 8u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_a), 0u);  // printable keys come through text input
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_SPACE), 0u);
}

}  // namespace
}  // namespace platform
