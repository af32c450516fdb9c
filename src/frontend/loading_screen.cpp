// Loading screen: progress dots per loading stage; its quit icon ends the game at once, dropping queued requests.
#include "frontend/loading_screen.h"

#include "app/screen_flow.h"
#include "frontend/screen_ids.h"
#include "render/resources/resource_manager.h"

namespace frontend {

namespace {
enum ButtonId : int32_t { kQuitIcon = 0, kFullScreenIcon = 1 };
constexpr uint32_t kDotsPerStage = 4;
// Longer texts would not fit the bar; stages beyond it show a full bar.
constexpr uint32_t kMaxDots = 160;
}  // namespace

std::string LoadingText(uint32_t step) {
  const uint64_t dots = static_cast<uint64_t>(step) * kDotsPerStage;
  return "Loading" + std::string(static_cast<size_t>(dots < kMaxDots ? dots : kMaxDots), '.');
}

LoadingScreen::~LoadingScreen() {
  if (resourceManager != nullptr && skin.font != nullptr) resourceManager->ReleaseFont(skin.font);
  if (resourceManager != nullptr && skin.fontImage != nullptr) resourceManager->ReleaseImage(skin.fontImage);
  if (resourceManager != nullptr && picture != nullptr) resourceManager->ReleaseImage(picture);
  if (resourceManager != nullptr && skin.buttonImage != nullptr) resourceManager->ReleaseImage(skin.buttonImage);
}

void LoadingScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  if (resourceManager != nullptr) {
    picture = resourceManager->LoadTextureEx(device, kLoadingPicture, kLoadingPictureAlpha, 0, 1);
  }
  AddImage(new Sprite(device, picture, 400, 300, 800, 600, 0, 0, 1, 1, 1, kVirtualWidth, kVirtualHeight));
  progressLabel = AddText(new TextLabel(device, skin.fontImage, skin.font, "Loading.", 33, 8, 1.0f, false,
                                        kAlignLeft, kVirtualWidth, kVirtualHeight));
  AddAtlasImage(device, skin.buttonImage, 8, 7, 18, 32, 135, 442, 152, 474);
  AddAtlasImage(device, skin.buttonImage, 26, 7, 675, 32, 152, 442, 163, 474);
  AddAtlasImage(device, skin.buttonImage, 701, 7, 18, 32, 262, 442, 279, 474);
  AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, kFullScreenIconNormal, kFullScreenIconHighlight, 0,
                 kFullScreenIcon);
  AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, kQuitIconNormal, kQuitIconHighlight, 0, kQuitIcon);
}

void LoadingScreen::SetLoadingProgress(platform::gfx::Device* device, uint32_t step) {
  if (progressLabel == nullptr) return;
  RemoveText(progressLabel);
  progressLabel->SetText(device, LoadingText(step));
  AddText(progressLabel);
}

int32_t LoadingScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  if (id == kQuitIcon) {
    screenFlow->Reset(app::game_state::kQuit, 0, app::menu_screen::NoScreenChange);
  } else if (id == kFullScreenIcon) {
    ToggleFullScreen();
    mouse.ResetMouseButtons();
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

}  // namespace frontend
