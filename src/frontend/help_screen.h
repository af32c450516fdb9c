// The main menu's help popup: the controls with their keys and joystick bindings, the full-screen key, and
// buttons that open the help page in the web browser or close the popup.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frontend/menu_screen.h"

namespace frontend {

inline constexpr char kHelpPage[] = "HELP/introduction.htm";

// "file:///" and the page's absolute path below the game folder.
std::string HelpPageAddress(const std::string& gameFolder);

class HelpScreen : public MenuScreen {
 public:
  // Opens an address in the desktop's browser; the result is not used.
  using PageOpener = std::function<void(const std::string& address)>;

  // gameFolder holds HELP/ (the program's folder when empty); openPage defaults to starting the desktop's handler
  // for the address without waiting for it.
  explicit HelpScreen(const ScreenServices& services, std::string gameFolder = {}, PageOpener openPage = {});
  ~HelpScreen() override;

  void Init(platform::gfx::Device* device) override;
  void OnEnter() override;
  // Opens the page when asked and the game is windowed, then input, hover, and the frame's presses cleared.
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

 private:
  std::string gameFolder_;
  PageOpener openPage_;
};

}  // namespace frontend
