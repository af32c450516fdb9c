// SDL keycode and scancode tables: virtual keys, PC scan codes and the control characters of key presses.
#include "platform/key_translation.h"

#include <SDL_keyboard.h>

#include "platform/window_system.h"

namespace platform {
namespace {

constexpr uint32_t kPreviousStateBit = 1u << 30;
constexpr uint32_t kTransitionBit = 1u << 31;
constexpr uint32_t kExtendedBit = 1u << 24;

uint32_t VirtualKeyFromKeycode(int32_t keycode) {
  if (keycode >= SDLK_a && keycode <= SDLK_z) return vk::kA + static_cast<uint32_t>(keycode - SDLK_a);
  if (keycode >= SDLK_0 && keycode <= SDLK_9) return vk::k0 + static_cast<uint32_t>(keycode - SDLK_0);
  if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return vk::kF1 + static_cast<uint32_t>(keycode - SDLK_F1);
  if (keycode >= SDLK_KP_1 && keycode <= SDLK_KP_9) return vk::kNumpad0 + 1 + static_cast<uint32_t>(keycode - SDLK_KP_1);
  switch (keycode) {
    case SDLK_KP_0: return vk::kNumpad0;
    case SDLK_KP_PERIOD: return vk::kDecimal;
    case SDLK_KP_DIVIDE: return vk::kDivide;
    case SDLK_KP_MULTIPLY: return vk::kMultiply;
    case SDLK_KP_MINUS: return vk::kSubtract;
    case SDLK_KP_PLUS: return vk::kAdd;
    case SDLK_KP_ENTER: return vk::kReturn;
    case SDLK_KP_COMMA: return vk::kSeparator;
    case SDLK_RETURN: return vk::kReturn;
    case SDLK_ESCAPE: return vk::kEscape;
    case SDLK_BACKSPACE: return vk::kBack;
    case SDLK_TAB: return vk::kTab;
    case SDLK_SPACE: return vk::kSpace;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return vk::kShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return vk::kControl;
    case SDLK_LALT: case SDLK_RALT: return vk::kMenu;
    case SDLK_CAPSLOCK: return vk::kCapital;
    case SDLK_NUMLOCKCLEAR: return vk::kNumLock;
    case SDLK_SCROLLLOCK: return vk::kScroll;
    case SDLK_PAUSE: return vk::kPause;
    case SDLK_PRINTSCREEN: return vk::kSnapshot;
    case SDLK_INSERT: return vk::kInsert;
    case SDLK_DELETE: return vk::kDelete;
    case SDLK_HOME: return vk::kHome;
    case SDLK_END: return vk::kEnd;
    case SDLK_PAGEUP: return vk::kPrior;
    case SDLK_PAGEDOWN: return vk::kNext;
    case SDLK_LEFT: return vk::kLeft;
    case SDLK_RIGHT: return vk::kRight;
    case SDLK_UP: return vk::kUp;
    case SDLK_DOWN: return vk::kDown;
    case SDLK_SEMICOLON: return vk::kOem1;
    case SDLK_EQUALS: case SDLK_PLUS: return vk::kOemPlus;
    case SDLK_COMMA: return vk::kOemComma;
    case SDLK_MINUS: return vk::kOemMinus;
    case SDLK_PERIOD: return vk::kOemPeriod;
    case SDLK_SLASH: return vk::kOem2;
    case SDLK_BACKQUOTE: return vk::kOem3;
    case SDLK_LEFTBRACKET: return vk::kOem4;
    case SDLK_BACKSLASH: return vk::kOem5;
    case SDLK_RIGHTBRACKET: return vk::kOem6;
    case SDLK_QUOTE: return vk::kOem7;
    default: return 0;
  }
}

uint32_t VirtualKeyFromScancode(int32_t scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
    return vk::kA + static_cast<uint32_t>(scancode - SDL_SCANCODE_A);
  }
  // Scancodes run 1..9 then 0, as the keys sit on the row.
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
    return vk::k0 + 1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
  }
  switch (scancode) {
    case SDL_SCANCODE_0: return vk::k0;
    case SDL_SCANCODE_SEMICOLON: return vk::kOem1;
    case SDL_SCANCODE_EQUALS: return vk::kOemPlus;
    case SDL_SCANCODE_COMMA: return vk::kOemComma;
    case SDL_SCANCODE_MINUS: return vk::kOemMinus;
    case SDL_SCANCODE_PERIOD: return vk::kOemPeriod;
    case SDL_SCANCODE_SLASH: return vk::kOem2;
    case SDL_SCANCODE_GRAVE: return vk::kOem3;
    case SDL_SCANCODE_LEFTBRACKET: return vk::kOem4;
    case SDL_SCANCODE_BACKSLASH: return vk::kOem5;
    case SDL_SCANCODE_RIGHTBRACKET: return vk::kOem6;
    case SDL_SCANCODE_APOSTROPHE: return vk::kOem7;
    default: return 0;
  }
}

struct ScanCodeEntry {
  int32_t sdl;
  uint8_t code;
  bool extended;
};

// USB usage (SDL scancode) to the set-1 make code of the same physical key.
constexpr ScanCodeEntry kScanCodes[] = {
    {SDL_SCANCODE_A, 0x1E, false}, {SDL_SCANCODE_B, 0x30, false}, {SDL_SCANCODE_C, 0x2E, false},
    {SDL_SCANCODE_D, 0x20, false}, {SDL_SCANCODE_E, 0x12, false}, {SDL_SCANCODE_F, 0x21, false},
    {SDL_SCANCODE_G, 0x22, false}, {SDL_SCANCODE_H, 0x23, false}, {SDL_SCANCODE_I, 0x17, false},
    {SDL_SCANCODE_J, 0x24, false}, {SDL_SCANCODE_K, 0x25, false}, {SDL_SCANCODE_L, 0x26, false},
    {SDL_SCANCODE_M, 0x32, false}, {SDL_SCANCODE_N, 0x31, false}, {SDL_SCANCODE_O, 0x18, false},
    {SDL_SCANCODE_P, 0x19, false}, {SDL_SCANCODE_Q, 0x10, false}, {SDL_SCANCODE_R, 0x13, false},
    {SDL_SCANCODE_S, 0x1F, false}, {SDL_SCANCODE_T, 0x14, false}, {SDL_SCANCODE_U, 0x16, false},
    {SDL_SCANCODE_V, 0x2F, false}, {SDL_SCANCODE_W, 0x11, false}, {SDL_SCANCODE_X, 0x2D, false},
    {SDL_SCANCODE_Y, 0x15, false}, {SDL_SCANCODE_Z, 0x2C, false},
    {SDL_SCANCODE_1, 0x02, false}, {SDL_SCANCODE_2, 0x03, false}, {SDL_SCANCODE_3, 0x04, false},
    {SDL_SCANCODE_4, 0x05, false}, {SDL_SCANCODE_5, 0x06, false}, {SDL_SCANCODE_6, 0x07, false},
    {SDL_SCANCODE_7, 0x08, false}, {SDL_SCANCODE_8, 0x09, false}, {SDL_SCANCODE_9, 0x0A, false},
    {SDL_SCANCODE_0, 0x0B, false},
    {SDL_SCANCODE_RETURN, 0x1C, false}, {SDL_SCANCODE_ESCAPE, 0x01, false}, {SDL_SCANCODE_BACKSPACE, 0x0E, false},
    {SDL_SCANCODE_TAB, 0x0F, false}, {SDL_SCANCODE_SPACE, 0x39, false}, {SDL_SCANCODE_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, 0x0D, false}, {SDL_SCANCODE_LEFTBRACKET, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, 0x1B, false}, {SDL_SCANCODE_BACKSLASH, 0x2B, false},
    {SDL_SCANCODE_NONUSHASH, 0x2B, false}, {SDL_SCANCODE_SEMICOLON, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, 0x28, false}, {SDL_SCANCODE_GRAVE, 0x29, false}, {SDL_SCANCODE_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, 0x34, false}, {SDL_SCANCODE_SLASH, 0x35, false}, {SDL_SCANCODE_CAPSLOCK, 0x3A, false},
    {SDL_SCANCODE_F1, 0x3B, false}, {SDL_SCANCODE_F2, 0x3C, false}, {SDL_SCANCODE_F3, 0x3D, false},
    {SDL_SCANCODE_F4, 0x3E, false}, {SDL_SCANCODE_F5, 0x3F, false}, {SDL_SCANCODE_F6, 0x40, false},
    {SDL_SCANCODE_F7, 0x41, false}, {SDL_SCANCODE_F8, 0x42, false}, {SDL_SCANCODE_F9, 0x43, false},
    {SDL_SCANCODE_F10, 0x44, false}, {SDL_SCANCODE_F11, 0x57, false}, {SDL_SCANCODE_F12, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, 0x37, true}, {SDL_SCANCODE_SCROLLLOCK, 0x46, false},
    {SDL_SCANCODE_PAUSE, 0x45, false}, {SDL_SCANCODE_INSERT, 0x52, true}, {SDL_SCANCODE_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, 0x49, true}, {SDL_SCANCODE_DELETE, 0x53, true}, {SDL_SCANCODE_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, 0x51, true}, {SDL_SCANCODE_RIGHT, 0x4D, true}, {SDL_SCANCODE_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, 0x50, true}, {SDL_SCANCODE_UP, 0x48, true}, {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, 0x35, true}, {SDL_SCANCODE_KP_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, 0x4A, false}, {SDL_SCANCODE_KP_PLUS, 0x4E, false}, {SDL_SCANCODE_KP_ENTER, 0x1C, true},
    {SDL_SCANCODE_KP_1, 0x4F, false}, {SDL_SCANCODE_KP_2, 0x50, false}, {SDL_SCANCODE_KP_3, 0x51, false},
    {SDL_SCANCODE_KP_4, 0x4B, false}, {SDL_SCANCODE_KP_5, 0x4C, false}, {SDL_SCANCODE_KP_6, 0x4D, false},
    {SDL_SCANCODE_KP_7, 0x47, false}, {SDL_SCANCODE_KP_8, 0x48, false}, {SDL_SCANCODE_KP_9, 0x49, false},
    {SDL_SCANCODE_KP_0, 0x52, false}, {SDL_SCANCODE_KP_PERIOD, 0x53, false},
    {SDL_SCANCODE_NONUSBACKSLASH, 0x56, false},
    {SDL_SCANCODE_LCTRL, 0x1D, false}, {SDL_SCANCODE_LSHIFT, 0x2A, false}, {SDL_SCANCODE_LALT, 0x38, false},
    {SDL_SCANCODE_LGUI, 0x5B, true}, {SDL_SCANCODE_RCTRL, 0x1D, true}, {SDL_SCANCODE_RSHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, 0x38, true}, {SDL_SCANCODE_RGUI, 0x5C, true},
};

}  // namespace

uint32_t VirtualKeyFromSdl(int32_t keycode, int32_t scancode) {
  const uint32_t fromKeycode = VirtualKeyFromKeycode(keycode);
  return fromKeycode != 0 ? fromKeycode : VirtualKeyFromScancode(scancode);
}

PcScanCode PcScanCodeFromSdl(int32_t scancode) {
  for (const ScanCodeEntry& entry : kScanCodes) {
    if (entry.sdl == scancode) return {entry.code, entry.extended};
  }
  return {};
}

intptr_t KeyMessageLParam(int32_t scancode, bool down, bool repeat) {
  const PcScanCode pc = PcScanCodeFromSdl(scancode);
  uint32_t value = 1u | (static_cast<uint32_t>(pc.code) << 16);
  if (pc.extended) value |= kExtendedBit;
  if (!down || repeat) value |= kPreviousStateBit;
  if (!down) value |= kTransitionBit;
  return static_cast<intptr_t>(value);
}

uint32_t ControlCharacterFromSdl(int32_t keycode) {
  switch (keycode) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return 13;
    case SDLK_ESCAPE: return 27;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    default: return 0;
  }
}

}  // namespace platform
