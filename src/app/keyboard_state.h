// Per-frame keyboard input built from key messages: for each virtual key, held now and pressed since the last
// clear.
#pragma once

#include <array>
#include <cstdint>

namespace app {

class KeyboardState {
 public:
  static constexpr int kKeyCount = 512;

  KeyboardState() { ClearAllKeys(); }

  // Key-down sets pressed only when the key was not already held (auto-repeat presses once); key-up clears held
  // and leaves the press for ClearKeyPresses, so a tap within one frame is seen. Other messages and keys outside
  // 0-511 change nothing.
  void HandleKeyMessage(uint32_t message, uintptr_t key);
  bool IsKeyPressed(uintptr_t key) const { return key < kKeyCount && keyPressed[key] == 1; }
  bool IsKeyHeld(uintptr_t key) const { return key < kKeyCount && keyHeld[key] == 1; }
  void ClearKeyPresses() { keyPressed.fill(0); }
  void ClearAllKeys() {
    keyPressed.fill(0);
    keyHeld.fill(0);
  }

  std::array<uint8_t, kKeyCount> keyPressed;
  std::array<uint8_t, kKeyCount> keyHeld;
};

}  // namespace app
