// The main menu's help popup: the controls with their keys and joystick bindings, the full-screen key, and
// buttons that open the help page in the web browser or close the popup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/browser_launch.h"
#include "frontend/menu_screen.h"
#include "platform/desktop.h"

namespace frontend {

inline constexpr char kHelpPage[] = "HELP/introduction.htm";

// "file:///" and the page's absolute path below the game folder.
std::string HelpPageAddress(const std::string& gameFolder);
// The page's absolute path below the game folder.
std::string HelpPagePath(const std::string& gameFolder);
// How long the browser's launcher may run before the game takes the browser as started and steps aside (seconds
// of frame time); a launcher that fails does so well within it.
inline constexpr float kBrowserStartGrace = 1.5f;

class HelpScreen : public MenuScreen {
 public:
  // gameFolder holds HELP/ (the program's folder when empty); the page opens through the launcher (the system's
  // when null) in the desktop's browser.
  explicit HelpScreen(const ScreenServices& services, std::string gameFolder = {},
                      platform::ProcessLauncher* launcher = nullptr);
  ~HelpScreen() override;

  void Init(platform::gfx::Device* device) override;
  void OnEnter() override;
  // Opens the page when asked and the game is windowed, follows the browser's start, then input, hover, and the
  // frame's presses cleared. The game is minimised once the browser has started; when it cannot start, the game
  // stays and pageMessage says where the page is.
  void Update(const ScreenWindow& window, float frameTime) override;
  int32_t HandleInput(const ScreenWindow& window) override;
  // Rebuilds the binding labels on the first draw after entering.
  void Render(platform::gfx::Device* device) override;

  void BuildControlSummary(platform::gfx::Device* device);
  void ClearControlSummary();
  // The joystick column's text of an action: its axis with direction, else its button, else "none".
  std::string JoystickBindingText(int action) const;

  render::ImageResource* buttonImage = nullptr;
  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* font = nullptr;
  std::vector<TextLabel*> bindingLabels;
  bool moreHelp = false;
  // The browser started for the page, followed until it has opened or failed.
  app::BrowserLaunch pageLaunch;
  // Shown in the panel while the page could not be opened; cleared when the popup opens again.
  TextLabel* pageMessage = nullptr;

 private:
  // Follows the browser's start: steps aside once it has opened, or says the page could not open.
  void FollowPageLaunch(const ScreenWindow& window, float frameTime);
  void ShowPageNotOpened();
  void ClearPageMessage();

  std::string gameFolder_;
  platform::ProcessLauncher* launcher_;
  platform::gfx::Device* device_ = nullptr;
};

}  // namespace frontend
