// The front end's entry point for the application: the table of menu screens by index with the current one,
// the mouse pointer, and the showroom behind the menus; it routes messages, updates and drawing to the current
// screen and switches screens when the application applies a screen request.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/keyboard_state.h"
#include "app/mouse_state.h"
#include "frontend/menu_backdrop.h"
#include "frontend/menu_screen.h"
#include "frontend/screen_ids.h"
#include "frontend/sprite.h"

namespace app {
class InputDevices;
class SoundSystem;
}

namespace frontend {

inline constexpr char kShowroomScene[] = "SHOWROOM\\showroom.scn";

class MenuManager {
 public:
  // Builds the screens of this library (main menu 0, options 6, pause 10, loading 12) with their Init; the others
  // are installed by the game with InstallScreen.
  MenuManager(platform::gfx::Device* device, render::ResourceManager* resourceManager, app::Settings* settings,
              app::ScreenFlow* screenFlow, race::ContentDatabase* contentDatabase, race::PlayerProfile* profile,
              app::SoundSystem* soundSystem, app::InputDevices* inputDevices);
  ~MenuManager();
  MenuManager(const MenuManager&) = delete;
  MenuManager& operator=(const MenuManager&) = delete;

  // Puts a screen in slot index (0-12), replacing and deleting any screen there, and builds it with the device.
  // An index outside 0-12 deletes the screen and changes nothing.
  void InstallScreen(platform::gfx::Device* device, int32_t index, std::unique_ptr<MenuScreen> screen);
  // The screen in a slot, or null (empty slot or index outside the table).
  MenuScreen* Screen(int32_t index) const;
  MenuScreen* CurrentScreen() const { return Screen(current); }
  const ScreenServices& Services() const { return services_; }

  // How OpenShowroom builds the showroom; without a factory the menus run without one.
  void SetShowroomFactory(BackdropFactory factory) { showroomFactory_ = std::move(factory); }
  void OpenShowroom(platform::gfx::Device* device, const std::string& sceneFile, int option);
  void CloseShowroom();
  MenuBackdrop* Showroom() const { return showroom.get(); }

  // OnLeave of the current screen, then the new one becomes current and is entered. An index outside 0-12 is
  // refused (nothing changes).
  void SwitchScreen(int32_t index);
  void EnterCurrentScreen();
  void Update(const ScreenWindow& window, float frameTime);
  void UpdatePointer(const ScreenWindow& window);
  void Render(platform::gfx::Device* device);
  void OnKeyMessage(uint32_t message, uintptr_t key);
  void OnMouseMessage(uint32_t message);
  // Reaches the current screen only while the loading screen is current.
  void SetLoadingProgress(platform::gfx::Device* device, uint32_t step);
  void SetRaceResults(const race::RaceResult* results);

  // Showroom relays; each does nothing without a showroom.
  void ShowroomSetSpeed(float framesPerSecond) { ShowroomUpdateMotionBlur(framesPerSecond); }
  void ShowroomUpdateMotionBlur(float framesPerSecond);
  void ShowroomRestoreDeviceObjects(platform::gfx::Device* device);
  void RestoreShowroom(platform::gfx::Device* device) { ShowroomRestoreDeviceObjects(device); }
  void ShowroomRenderSecondPass(platform::gfx::Device* device);
  void ShowroomAfterFrame(platform::gfx::Device* device) { ShowroomRenderSecondPass(device); }
  void ShowroomRenderReflections(platform::gfx::Device* device);
  void RenderShowroomReflection(platform::gfx::Device* device) { ShowroomRenderReflections(device); }
  void ShowroomRenderCubeMap(platform::gfx::Device* device);
  void RenderShowroomCubeMap(platform::gfx::Device* device) { ShowroomRenderCubeMap(device); }
  // The showroom's per-frame step; then its car reaches the current screen, which rebuilds when the showroom
  // reports a change.
  void ShowroomRenderMain(platform::gfx::Device* device);
  void ShowroomStep(platform::gfx::Device* device) { ShowroomRenderMain(device); }

  app::KeyboardState keyboard;
  app::MouseState mouse;
  std::unique_ptr<MenuBackdrop> showroom;
  std::unique_ptr<Sprite> pointer;
  render::ImageResource* pointerImage = nullptr;
  ScreenSkin skin;
  std::array<std::unique_ptr<MenuScreen>, screen_index::kSlotCount> screens;
  int32_t current = 0;
  // Kept for the screens the game installs later (audio options and control mapping take them).
  app::SoundSystem* soundSystem = nullptr;
  app::InputDevices* inputDevices = nullptr;

 private:
  void CreateScreens(platform::gfx::Device* device, app::SoundSystem* soundSystem, app::InputDevices* inputDevices);

  ScreenServices services_;
  BackdropFactory showroomFactory_;
};

}  // namespace frontend
