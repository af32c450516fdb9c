// SDL keys turned into the virtual-key codes, key-message flags and control characters the game's input expects.
#pragma once

#include <cstdint>

namespace platform {

// Virtual-key code of an SDL key. The layout-dependent keycode decides first (as the classic desktop names a
// letter after what the layout prints on it); when the keycode names no known key (letters of a non-Latin layout),
// the physical scancode decides. Left and right modifiers give the generic kShift, kControl and kMenu.
// 0 when the key has no virtual-key code.
uint32_t VirtualKeyFromSdl(int32_t keycode, int32_t scancode);

// Set-1 PC scan code of an SDL scancode, and whether the key sends the E0 prefix; code 0 when unknown.
struct PcScanCode {
  uint8_t code = 0;
  bool extended = false;
};
PcScanCode PcScanCodeFromSdl(int32_t scancode);

// lParam of kKeyDown / kKeyUp: repeat count 1, scan code in bits 16-23, extended flag in bit 24, previous key state
// in bit 30 (set for a repeat and for every key up), transition in bit 31 (set on key up).
intptr_t KeyMessageLParam(int32_t scancode, bool down, bool repeat);

// The character a key sends as kChar where text input delivers none: Return 13 (either Enter), Escape 27,
// Backspace 8, Tab 9. 0 for every other key.
uint32_t ControlCharacterFromSdl(int32_t keycode);

}  // namespace platform
