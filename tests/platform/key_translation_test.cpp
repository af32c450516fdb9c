// SDL keys to virtual keys, scan-code flags and control characters.
#include "platform/key_translation.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include "platform/window_system.h"

namespace platform {
namespace {

uint32_t Key(SDL_Keycode keycode, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN) {
  return VirtualKeyFromSdl(keycode, scancode);
}

TEST(KeyTranslation, LettersDigitsAndFunctionKeysMapToTheirCodes) {
  EXPECT_EQ(Key(SDLK_a), 0x41u);
  EXPECT_EQ(Key(SDLK_m), 0x4Du);
  EXPECT_EQ(Key(SDLK_z), 0x5Au);
  EXPECT_EQ(Key(SDLK_0), 0x30u);
  EXPECT_EQ(Key(SDLK_5), 0x35u);
  EXPECT_EQ(Key(SDLK_9), 0x39u);
  EXPECT_EQ(Key(SDLK_F1), 0x70u);
  EXPECT_EQ(Key(SDLK_F10), 0x79u);
  EXPECT_EQ(Key(SDLK_F12), 0x7Bu);
}

TEST(KeyTranslation, NavigationAndEditingKeys) {
  EXPECT_EQ(Key(SDLK_LEFT), vk::kLeft);
  EXPECT_EQ(Key(SDLK_UP), vk::kUp);
  EXPECT_EQ(Key(SDLK_RIGHT), vk::kRight);
  EXPECT_EQ(Key(SDLK_DOWN), vk::kDown);
  EXPECT_EQ(Key(SDLK_ESCAPE), 27u);
  EXPECT_EQ(Key(SDLK_RETURN), 13u);
  EXPECT_EQ(Key(SDLK_SPACE), 32u);
  EXPECT_EQ(Key(SDLK_TAB), 9u);
  EXPECT_EQ(Key(SDLK_BACKSPACE), 8u);
  EXPECT_EQ(Key(SDLK_INSERT), 0x2Du);
  EXPECT_EQ(Key(SDLK_DELETE), 0x2Eu);
  EXPECT_EQ(Key(SDLK_HOME), 0x24u);
  EXPECT_EQ(Key(SDLK_END), 0x23u);
  EXPECT_EQ(Key(SDLK_PAGEUP), 0x21u);
  EXPECT_EQ(Key(SDLK_PAGEDOWN), 0x22u);
  EXPECT_EQ(Key(SDLK_PAUSE), 0x13u);
}

TEST(KeyTranslation, NumpadKeysKeepTheirOwnCodesAndEnterIsReturn) {
  EXPECT_EQ(Key(SDLK_KP_0), 0x60u);
  EXPECT_EQ(Key(SDLK_KP_1), 0x61u);
  EXPECT_EQ(Key(SDLK_KP_9), 0x69u);
  EXPECT_EQ(Key(SDLK_KP_MULTIPLY), 0x6Au);
  EXPECT_EQ(Key(SDLK_KP_PLUS), 0x6Bu);
  EXPECT_EQ(Key(SDLK_KP_MINUS), 0x6Du);
  EXPECT_EQ(Key(SDLK_KP_PERIOD), 0x6Eu);
  EXPECT_EQ(Key(SDLK_KP_DIVIDE), 0x6Fu);
  EXPECT_EQ(Key(SDLK_KP_ENTER), vk::kReturn);
}

TEST(KeyTranslation, LeftAndRightModifiersGiveTheGenericCode) {
  EXPECT_EQ(Key(SDLK_LSHIFT), 0x10u);
  EXPECT_EQ(Key(SDLK_RSHIFT), 0x10u);
  EXPECT_EQ(Key(SDLK_LCTRL), 0x11u);
  EXPECT_EQ(Key(SDLK_RCTRL), 0x11u);
  EXPECT_EQ(Key(SDLK_LALT), 0x12u);
  EXPECT_EQ(Key(SDLK_RALT), 0x12u);
  EXPECT_EQ(Key(SDLK_CAPSLOCK), 0x14u);
}

TEST(KeyTranslation, PunctuationUsesTheOemCodes) {
  EXPECT_EQ(Key(SDLK_SEMICOLON), 0xBAu);
  EXPECT_EQ(Key(SDLK_EQUALS), 0xBBu);
  EXPECT_EQ(Key(SDLK_COMMA), 0xBCu);
  EXPECT_EQ(Key(SDLK_MINUS), 0xBDu);
  EXPECT_EQ(Key(SDLK_PERIOD), 0xBEu);
  EXPECT_EQ(Key(SDLK_SLASH), 0xBFu);
  EXPECT_EQ(Key(SDLK_BACKQUOTE), 0xC0u);
  EXPECT_EQ(Key(SDLK_LEFTBRACKET), 0xDBu);
  EXPECT_EQ(Key(SDLK_BACKSLASH), 0xDCu);
  EXPECT_EQ(Key(SDLK_RIGHTBRACKET), 0xDDu);
  EXPECT_EQ(Key(SDLK_QUOTE), 0xDEu);
}

TEST(KeyTranslation, LayoutDecidesFirstThenThePhysicalKey) {
  // An AZERTY keyboard: the key where QWERTY has Q prints A, and is A.
  EXPECT_EQ(Key(SDLK_a, SDL_SCANCODE_Q), 0x41u);
  // A Cyrillic layout: the letter names no known key, so the key's position decides.
  EXPECT_EQ(Key(0x0444, SDL_SCANCODE_A), 0x41u);
  EXPECT_EQ(Key(0x0439, SDL_SCANCODE_Q), 0x51u);
  EXPECT_EQ(Key(0x0436, SDL_SCANCODE_SEMICOLON), 0xBAu);
  EXPECT_EQ(Key(0x00E9, SDL_SCANCODE_2), 0x32u);
  EXPECT_EQ(Key(0x00E0, SDL_SCANCODE_0), 0x30u);
  // Keys with no code at all.
  EXPECT_EQ(Key(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0u);
  EXPECT_EQ(Key(SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP), 0u);
}

TEST(KeyTranslation, ScanCodesAreThoseOfThePcKeyboard) {
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_ESCAPE).code, 0x01);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_A).code, 0x1E);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_Q).code, 0x10);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_1).code, 0x02);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_0).code, 0x0B);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_SPACE).code, 0x39);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_F12).code, 0x58);
  EXPECT_FALSE(PcScanCodeFromSdl(SDL_SCANCODE_LCTRL).extended);
  const PcScanCode rightControl = PcScanCodeFromSdl(SDL_SCANCODE_RCTRL);
  EXPECT_EQ(rightControl.code, 0x1D);
  EXPECT_TRUE(rightControl.extended);
  const PcScanCode up = PcScanCodeFromSdl(SDL_SCANCODE_UP);
  EXPECT_EQ(up.code, 0x48);
  EXPECT_TRUE(up.extended);
  EXPECT_EQ(PcScanCodeFromSdl(SDL_SCANCODE_VOLUMEUP).code, 0);
}

TEST(KeyTranslation, KeyMessageFlagsFollowTheClassicLayout) {
  // Space pressed: count 1, scan code 0x39 in bits 16-23, nothing else.
  EXPECT_EQ(KeyMessageLParam(SDL_SCANCODE_SPACE, true, false), 0x00390001);
  // Held down: the previous state bit says the key was already down.
  EXPECT_EQ(KeyMessageLParam(SDL_SCANCODE_SPACE, true, true), 0x40390001);
  // Released: previous state and transition bits.
  EXPECT_EQ(KeyMessageLParam(SDL_SCANCODE_SPACE, false, false), static_cast<intptr_t>(0xC0390001u));
  // An extended key carries bit 24.
  EXPECT_EQ(KeyMessageLParam(SDL_SCANCODE_RIGHT, true, false), 0x014D0001);
  EXPECT_GT(KeyMessageLParam(SDL_SCANCODE_RIGHT, false, false), 0);
}

TEST(KeyTranslation, ControlCharactersOfKeysWithoutText) {
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_RETURN), 13u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_KP_ENTER), 13u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_ESCAPE), 27u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_BACKSPACE), 8u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_TAB), 9u);
  // Printable keys get their characters from text input, not from here.
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_a), 0u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_SPACE), 0u);
  EXPECT_EQ(ControlCharacterFromSdl(SDLK_LEFT), 0u);
}

}  // namespace
}  // namespace platform
