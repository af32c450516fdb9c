// SDL keys to virtual keys, scan-code flags and control characters.
#include "platform/key_translation.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

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

TEST(KeyTranslation, OnlyKeysWithoutTextGiveControlCharacters) {
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_KP_ENTER), 13u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_ESCAPE), 27u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_BACKSPACE), 8u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_a), 0u);  // printable keys come through text input
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_SPACE), 0u);
}

}  // namespace
}  // namespace platform
