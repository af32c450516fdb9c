// The base of every menu screen and popup: its own key and mouse state, the shared services, three owned widget
// lists (images, buttons, texts) and the operations through which the menu manager and popup owners drive it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/keyboard_state.h"
#include "app/mouse_state.h"
#include "frontend/menu_button.h"
#include "frontend/sprite.h"
#include "frontend/text_label.h"
#include "platform/gfx/graphics.h"
#include "platform/window_system.h"
#include "race/hud/ptr_list.h"

namespace app {
class ScreenFlow;
class Settings;
}
namespace race {
class ContentDatabase;
class PlayerProfile;
struct RaceResult;
}
namespace render {
class BitmapFont;
class ImageResource;
class ResourceManager;
}
namespace vehicle {
class Vehicle;
}

namespace frontend {

// The window whose client area the cursor is read in; a null system leaves the cursor where it was.
struct ScreenWindow {
  const platform::WindowSystem* system = nullptr;
  platform::WindowHandle handle = 0;
};

// The five services every screen is built with, in the order the constructors take them.
struct ScreenServices {
  render::ResourceManager* resourceManager = nullptr;
  app::Settings* settings = nullptr;
  app::ScreenFlow* screenFlow = nullptr;
  race::ContentDatabase* contentDatabase = nullptr;
  race::PlayerProfile* profile = nullptr;
};

// Virtual keys every screen tests.
inline constexpr uintptr_t kKeyEscape = 27;
inline constexpr uintptr_t kKeyF = 70;

class MenuScreen {
 public:
  explicit MenuScreen(const ScreenServices& services);
  // The deleting destructor (DeletingDestructor): virtual, so a screen deleted through this base first runs its
  // own destructor; then every image, button and label still listed is released and deleted with its list.
  virtual ~MenuScreen();
  MenuScreen(const MenuScreen&) = delete;
  MenuScreen& operator=(const MenuScreen&) = delete;

  // The screen becomes current or its popup opens: key and mouse state start clean.
  virtual void OnEnter();
  virtual void SetLoadingProgress(platform::gfx::Device* device, uint32_t step);
  virtual void OnLeave();
  // Loads images and fonts and builds the widgets, once, after construction.
  virtual void Init(platform::gfx::Device* device);
  // HandleInput, the hover pass, then this frame's key presses and clicks are cleared. frameTime in seconds.
  virtual void Update(const ScreenWindow& window, float frameTime);
  // No one-value hook sits between Update and Render (UnusedHook, nor its forwarding form ForwardUnusedHook): nothing
  // in the game would ever call it.
  // Images, then buttons, then texts.
  virtual void Render(platform::gfx::Device* device);
  virtual void OnKeyMessage(uint32_t message, uintptr_t key);
  virtual void OnMouseMessage(uint32_t message);
  virtual void SetRaceResults(const race::RaceResult* results);
  // Raises vehicleChanged only when the car differs from the stored one.
  virtual void SetShowroomVehicle(vehicle::Vehicle* vehicle);
  // Reads the cursor and returns the clicked button's id, or kNoButton without a left click this frame.
  virtual int32_t HandleInput(const ScreenWindow& window);

  // The shared per-frame form most screens use; the hover pass scales the cursor itself.
  void UpdateUnscaled(const ScreenWindow& window, float frameTime);

  // New widgets go to the front of their list: the newest image is drawn first (under the older ones) and the
  // newest of two overlapping buttons takes the click. AppendImage puts an image at the end.
  MenuButton* AddButton(MenuButton* button);
  Sprite* AddImage(Sprite* sprite);
  Sprite* AppendImage(Sprite* sprite);
  TextLabel* AddText(TextLabel* label);
  // Unlink without deleting; an object that is not listed changes nothing.
  void RemoveButton(MenuButton* button);
  void RemoveImage(Sprite* sprite);
  void RemoveText(TextLabel* label);
  void ClearTexts();
  // For screens that also keep run-time rows of buttons in a vector of their own: unlinks and deletes each row
  // button and empties the vector.
  void ClearListButtons(std::vector<MenuButton*>& rows);
  void RenderImages(platform::gfx::Device* device);
  void RenderButtons(platform::gfx::Device* device);
  void RenderTexts(platform::gfx::Device* device);
  void UpdateHover(const ScreenWindow& window);
  int32_t HitTestButtons(bool clicked);

  // The cursor in virtual pixels from the last read client position and the window size settings.
  VirtualPoint ScaledCursor();
  // Reads the cursor's client position from the window (nothing without a window system).
  void ReadCursor(const ScreenWindow& window);
  // FULLSCREEN becomes 1 when it was 0 and 0 otherwise.
  void ToggleFullScreen();

  // Widget helpers for Init: images from pixel rectangles of an atlas image, text buttons with both labels.
  Sprite* AddAtlasImage(platform::gfx::Device* device, render::ImageResource* image, float x, float y, float width,
                        float height, float left, float top, float right, float bottom, int mode = 0);
  // The title bar and the framed list panel that the profile list and the folder browser share.
  void AddListPanel(platform::gfx::Device* device, render::ImageResource* buttonImage);
  // The list's scroll arrows and the three wide buttons under its panel, each at its x with its caption.
  struct ListChoice {
    int32_t id;
    const char* text;
    float x;
  };
  void AddListControls(platform::gfx::Device* device, render::ImageResource* buttonImage,
                       render::ImageResource* fontImage, render::BitmapFont* font, int32_t scrollDown,
                       int32_t scrollUp, const ListChoice (&choices)[3]);
  MenuButton* AddAtlasButton(platform::gfx::Device* device, render::ImageResource* image, float x, float y,
                             float width, float height, const float normal[4], const float highlight[4], int mode,
                             int32_t id);
  void AddButtonLabels(platform::gfx::Device* device, MenuButton* button, const std::string& text,
                       render::ImageResource* fontImage, render::BitmapFont* font, float offsetX, float offsetY,
                       float scale, bool mainAlternate, int32_t align);

  app::KeyboardState keyboard;
  app::MouseState mouse;
  race::ContentDatabase* contentDatabase = nullptr;
  app::Settings* settings = nullptr;
  render::ResourceManager* resourceManager = nullptr;
  app::ScreenFlow* screenFlow = nullptr;
  race::PtrList<MenuButton> buttons;
  race::PtrList<Sprite> images;
  race::PtrList<TextLabel> texts;
  vehicle::Vehicle* showroomVehicle = nullptr;
  race::PlayerProfile* profile = nullptr;
  bool rebuild = false;
  bool vehicleChanged = false;
  // Set by a popup's own input handler when it wants to be closed; cleared when it opens.
  bool closed = false;

 protected:
  ScreenServices Services() const { return {resourceManager, settings, screenFlow, contentDatabase, profile}; }
};

// The shared image, font image and font a screen loads in Init and gives back when it is destroyed.
struct ScreenSkin {
  render::ImageResource* buttonImage = nullptr;
  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* font = nullptr;

  void Load(render::ResourceManager* resources, platform::gfx::Device* device);
  void Release(render::ResourceManager* resources);
};

inline constexpr char kButtonImage[] = "MENUS\\button.png";
inline constexpr char kButtonAlpha[] = "MENUS\\buttonalpha.png";
inline constexpr char kFontImage[] = "FONT\\noire.png";
inline constexpr char kFontAlpha[] = "FONT\\noirea.png";
inline constexpr char kFontTable[] = "FONT\\noire.ini";
inline constexpr char kPointerImage[] = "MENUS\\pointer.png";
inline constexpr char kPointerAlpha[] = "MENUS\\pointeralpha.png";

}  // namespace frontend
