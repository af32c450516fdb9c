// The start-up notice between the intro and the main menu: the disclaimer picture, one "Accept" button, the
// pointer and a black fade in and out. Not a menu screen: the application drives it in its notice state.
#pragma once

#include <cstdint>
#include <memory>

#include "app/keyboard_state.h"
#include "app/mouse_state.h"
#include "frontend/menu_button.h"
#include "frontend/menu_screen.h"
#include "frontend/sprite.h"
#include "race/hud/ptr_list.h"

namespace render {
class ColorQuad;
}

namespace frontend {

inline constexpr char kDisclaimerImage[] = "MENUS\\disclaimer.png";
// Magenta is transparent in colour-keyed pictures.
inline constexpr uint32_t kMagentaKey = 0xFFFF00FFu;

class GuiContext {
 public:
  static constexpr int32_t kAcceptId = 1;

  GuiContext(render::ResourceManager* resourceManager, app::Settings* settings);
  ~GuiContext();
  GuiContext(const GuiContext&) = delete;
  GuiContext& operator=(const GuiContext&) = delete;

  void CreateDisclaimerScreen(platform::gfx::Device* device);
  void StartFadeIn();
  // Input, fade step, hover pass, then this frame's presses and clicks are cleared. frameTime in seconds.
  void Update(const ScreenWindow& window, float frameTime);
  void Render(platform::gfx::Device* device);
  void HandleWindowMouse(uint32_t message) { mouse.HandleMouseMessage(message); }
  void RestoreDeviceObjects(platform::gfx::Device* device);
  int32_t HitTestButtons(bool clicked);
  void UpdateHover();

  std::unique_ptr<render::ColorQuad> fadeQuad;
  float fadeValue = 1.0f;  // 1 black, 0 clear
  render::ImageResource* buttonImage = nullptr;
  render::ImageResource* keyedFontImage = nullptr;
  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* font = nullptr;
  render::ImageResource* pointerImage = nullptr;
  render::ImageResource* disclaimerImage = nullptr;
  std::unique_ptr<Sprite> pointer;
  std::unique_ptr<Sprite> disclaimer;
  app::Settings* settings = nullptr;
  render::ResourceManager* resourceManager = nullptr;
  // The fade to black after Accept has finished: the application moves on to the main menu.
  bool accepted = false;
  bool fading = false;
  bool fadingIn = true;
  bool fadeDone = false;
  app::KeyboardState keyboard;
  app::MouseState mouse;
  race::PtrList<MenuButton> buttons;  // owned

 private:
  VirtualPoint ScaledCursor();
};

}  // namespace frontend
