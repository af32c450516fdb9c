// Confirmation dialog: a framed YES / NO question driven through the popup protocol.
#include "frontend/confirm_dialog.h"

#include "frontend/screen_ids.h"

namespace frontend {

namespace {
enum ButtonId : int32_t { kYes = 0, kNo = 1 };
}

ConfirmDialog::~ConfirmDialog() { skin.Release(resourceManager); }

void ConfirmDialog::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Confirm?", 340, 163, 1.0f, true, kAlignLeft,
                        kVirtualWidth, kVirtualHeight));
  AddAtlasImage(device, skin.buttonImage, 245, 160, 20, 306, 3, 204, 21, 509);
  AddAtlasImage(device, skin.buttonImage, 265, 160, 270, 306, 22, 204, 25, 509);
  AddAtlasImage(device, skin.buttonImage, 535, 160, 20, 306, 36, 204, 55, 509);
  MenuButton* yes =
      AddAtlasButton(device, skin.buttonImage, 400, 300, 150, 30, kBlankButtonNormal, kWideHighlight, 1, kYes);
  AddButtonLabels(device, yes, "YES", skin.fontImage, skin.font, 0, -10, 0.75f, false, kAlignCentre);
  MenuButton* no =
      AddAtlasButton(device, skin.buttonImage, 400, 360, 150, 30, kBlankButtonNormal, kWideHighlight, 1, kNo);
  AddButtonLabels(device, no, "NO", skin.fontImage, skin.font, 0, -10, 0.75f, false, kAlignCentre);
}

void ConfirmDialog::OnEnter() {
  MenuScreen::OnEnter();
  closed = false;
  answer = false;
  rebuild = true;
}

void ConfirmDialog::Render(platform::gfx::Device* device) {
  rebuild = false;
  MenuScreen::Render(device);
}

int32_t ConfirmDialog::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  if (id == kYes) {
    closed = true;
    answer = true;
  } else if (id == kNo) {
    closed = true;
    answer = false;
  }
  return id;
}

}  // namespace frontend
