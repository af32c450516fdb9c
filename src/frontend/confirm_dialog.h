// A popup that asks "Confirm?" with YES and NO and reports the answer to the screen that owns it.
#pragma once

#include "frontend/menu_screen.h"

namespace frontend {

class ConfirmDialog : public MenuScreen {
 public:
  explicit ConfirmDialog(const ScreenServices& services) : MenuScreen(services) {}
  ~ConfirmDialog() override;

  void Init(platform::gfx::Device* device) override;
  // Each opening starts unanswered.
  void OnEnter() override;
  void Render(platform::gfx::Device* device) override;
  // YES sets closed and answer, NO sets closed and clears answer; no key closes the dialog.
  int32_t HandleInput(const ScreenWindow& window) override;

  ScreenSkin skin;
  bool answer = false;
};

}  // namespace frontend
