// Menu manager: screen table, switching order, message routing, the pointer on top and the showroom relays.
#include "frontend/menu_manager.h"

#include "app/settings.h"
#include "frontend/loading_screen.h"
#include "frontend/main_menu_screen.h"
#include "frontend/options_menu_screen.h"
#include "frontend/pause_menu_screen.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace frontend {

namespace {
// The pointer is made for a 1024 × 768 screen and re-placed in 800 × 600 by the first update.
constexpr uint32_t kPointerScreenWidth = 1024;
constexpr uint32_t kPointerScreenHeight = 768;
}  // namespace

MenuManager::MenuManager(platform::gfx::Device* device, render::ResourceManager* resourceManager,
                         app::Settings* settings, app::ScreenFlow* screenFlow, race::ContentDatabase* contentDatabase,
                         race::PlayerProfile* profile, app::SoundSystem* soundSystem,
                         app::InputDevices* inputDevices)
    : soundSystem(soundSystem),
      inputDevices(inputDevices),
      services_{resourceManager, settings, screenFlow, contentDatabase, profile} {
  keyboard.ClearAllKeys();
  mouse.ResetMouseButtons();
  if (resourceManager != nullptr) {
    pointerImage = resourceManager->LoadTextureEx(device, kPointerImage, kPointerAlpha, 0, 1);
  }
  pointer = std::make_unique<Sprite>(device, pointerImage, 0.0f, 0.0f,
                                     static_cast<float>(render::GetImageWidth(pointerImage)),
                                     static_cast<float>(render::GetImageHeight(pointerImage)), 0.0f, 0.0f, 1.0f, 1.0f,
                                     0, kPointerScreenWidth, kPointerScreenHeight);
  skin.Load(resourceManager, device);
  CreateScreens(device, soundSystem, inputDevices);
}

MenuManager::~MenuManager() {
  skin.Release(services_.resourceManager);
  for (auto& screen : screens) screen.reset();
  if (services_.resourceManager != nullptr && pointerImage != nullptr) {
    services_.resourceManager->ReleaseImage(pointerImage);
  }
  pointer.reset();
  showroom.reset();
}

void MenuManager::CreateScreens(platform::gfx::Device* device, app::SoundSystem*, app::InputDevices* devices) {
  InstallScreen(device, screen_index::kMainMenu, std::make_unique<MainMenuScreen>(services_));
  InstallScreen(device, screen_index::kOptionsMenu, std::make_unique<OptionsMenuScreen>(services_));
  InstallScreen(device, screen_index::kPauseMenu, std::make_unique<PauseMenuScreen>(services_, devices));
  InstallScreen(device, screen_index::kLoading, std::make_unique<LoadingScreen>(services_));
}

void MenuManager::InstallScreen(platform::gfx::Device* device, int32_t index, std::unique_ptr<MenuScreen> screen) {
  if (index < 0 || index >= screen_index::kScreenCount) return;
  screens[static_cast<size_t>(index)] = std::move(screen);
  if (screens[static_cast<size_t>(index)]) screens[static_cast<size_t>(index)]->Init(device);
}

MenuScreen* MenuManager::Screen(int32_t index) const {
  if (index < 0 || index >= screen_index::kScreenCount) return nullptr;
  return screens[static_cast<size_t>(index)].get();
}

void MenuManager::OpenShowroom(platform::gfx::Device* device, const std::string& sceneFile, int option) {
  showroom.reset();
  if (showroomFactory_) {
    showroom = showroomFactory_(services_, option);
    if (showroom) showroom->Load(device, sceneFile);
  }
  if (MenuScreen* screen = CurrentScreen()) screen->rebuild = true;
}

void MenuManager::CloseShowroom() { showroom.reset(); }

void MenuManager::SwitchScreen(int32_t index) {
  if (index < 0 || index >= screen_index::kScreenCount) return;
  if (MenuScreen* screen = CurrentScreen()) screen->OnLeave();
  current = index;
  EnterCurrentScreen();
}

void MenuManager::EnterCurrentScreen() {
  MenuScreen* screen = CurrentScreen();
  if (showroom) {
    if (current == screen_index::kGarage) showroom->ClearOption();
    if (screen != nullptr) screen->SetShowroomVehicle(showroom->DisplayedVehicle());
  }
  if (screen != nullptr) screen->OnEnter();
  keyboard.ClearAllKeys();
  mouse.ResetMouseButtons();
}

void MenuManager::Update(const ScreenWindow& window, float frameTime) {
  if (showroom) showroom->Update(frameTime);
  if (MenuScreen* screen = CurrentScreen()) screen->Update(window, frameTime);
  UpdatePointer(window);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

void MenuManager::UpdatePointer(const ScreenWindow& window) {
  if (window.system != nullptr) mouse.GetCursorClientPos(*window.system, window.handle);
  const app::Settings* settings = services_.settings;
  const float width = settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH)) : 0.0f;
  const float height = settings != nullptr ? static_cast<float>(settings->GetInt(app::SettingId::SCREENHEIGHT)) : 0.0f;
  const app::CursorPosition scaled = mouse.ScaleMouseToScreen(width, height, kVirtualWidth, kVirtualHeight);
  if (pointer) {
    pointer->SetPosition(static_cast<float>(scaled.x), static_cast<float>(scaled.y), kVirtualWidth, kVirtualHeight);
  }
}

void MenuManager::Render(platform::gfx::Device* device) {
  if (MenuScreen* screen = CurrentScreen()) screen->Render(device);
  if (pointer) pointer->Draw(device);
}

void MenuManager::OnKeyMessage(uint32_t message, uintptr_t key) {
  if (MenuScreen* screen = CurrentScreen()) screen->OnKeyMessage(message, key);
  keyboard.HandleKeyMessage(message, key);
}

void MenuManager::OnMouseMessage(uint32_t message) {
  if (MenuScreen* screen = CurrentScreen()) screen->OnMouseMessage(message);
  mouse.HandleMouseMessage(message);
}

void MenuManager::SetLoadingProgress(platform::gfx::Device* device, uint32_t step) {
  if (current != screen_index::kLoading) return;
  if (MenuScreen* screen = CurrentScreen()) screen->SetLoadingProgress(device, step);
}

void MenuManager::SetRaceResults(const race::RaceResult* results) {
  if (MenuScreen* screen = CurrentScreen()) screen->SetRaceResults(results);
}

void MenuManager::ShowroomUpdateMotionBlur(float framesPerSecond) {
  if (showroom) showroom->UpdateMotionBlur(framesPerSecond);
}
void MenuManager::ShowroomRestoreDeviceObjects(platform::gfx::Device* device) {
  if (showroom) showroom->RestoreDeviceObjects(device);
}
void MenuManager::ShowroomRenderSecondPass(platform::gfx::Device* device) {
  if (showroom) showroom->RenderSecondPass(device);
}
void MenuManager::ShowroomRenderReflections(platform::gfx::Device* device) {
  if (showroom) showroom->RenderReflections(device);
}
void MenuManager::ShowroomRenderCubeMap(platform::gfx::Device* device) {
  if (showroom) showroom->RenderCubeMap(device);
}

void MenuManager::ShowroomRenderMain(platform::gfx::Device* device) {
  if (!showroom) return;
  const bool changed = showroom->RenderMain(device);
  if (MenuScreen* screen = CurrentScreen()) {
    screen->SetShowroomVehicle(showroom->DisplayedVehicle());
    if (changed) screen->rebuild = true;
  }
}

}  // namespace frontend
