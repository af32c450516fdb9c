// Menu screen 0: the logo, "Main Menu" and its seven entries; owns the profile and help popups, which the game
// hands in once they exist.
#pragma once

#include <memory>

#include "frontend/menu_screen.h"

namespace frontend {

inline constexpr char kLogoImage[] = "MENUS\\logo.png";
inline constexpr char kLogoAlpha[] = "MENUS\\logoalpha.png";
inline constexpr char kPanelImage[] = "MENUS\\menubk.png";
inline constexpr char kPanelAlpha[] = "MENUS\\menubkalpha.png";
inline constexpr char kPanelCapImage[] = "MENUS\\menubkCap.png";
inline constexpr char kPanelCapAlpha[] = "MENUS\\menubkCapalpha.png";

class MainMenuScreen : public MenuScreen {
 public:
  enum ButtonId : int32_t {
    kInstantRace = 0, kPracticeRace = 1, kCareerMode = 2, kContestRace = 3, kOptions = 4, kHelp = 5, kQuit = 7,
    kFullScreen = 8,
  };

  explicit MainMenuScreen(const ScreenServices& services) : MenuScreen(services) {}
  ~MainMenuScreen() override;

  // The popups, built with the same services; Init builds them. A missing popup leaves its entry inert.
  void SetPopups(std::unique_ptr<MenuScreen> profilePopup, std::unique_ptr<MenuScreen> helpPopup);

  void Init(platform::gfx::Device* device) override;
  // Closes the profile popup; the help popup stays as it was.
  void OnEnter() override;
  void Update(const ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  void OnKeyMessage(uint32_t message, uintptr_t key) override;
  void OnMouseMessage(uint32_t message) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  // The popup that receives messages, updates and drawing, or null.
  MenuScreen* OpenPopup() const;
  // Enters the popup and shows it in the menu's place from now on.
  void OpenPopupScreen(MenuScreen& popup, bool& openFlag);

  bool profileOpen = false;
  bool helpOpen = false;
  render::ImageResource* logoImage = nullptr;
  render::ImageResource* panelImage = nullptr;
  render::ImageResource* panelCapImage = nullptr;
  ScreenSkin skin;
  std::unique_ptr<MenuScreen> profileScreen;
  std::unique_ptr<MenuScreen> helpScreen;

 private:
  bool initialised_ = false;
  platform::gfx::Device* device_ = nullptr;
};

}  // namespace frontend
