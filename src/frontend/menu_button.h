// The clickable widget of the menus, the start-up notice and the HUD: a quad with normal and highlighted
// texture rectangles, a hit rectangle, an id, optional labels and a hover sound.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frontend/text_label.h"
#include "frontend/widget_quad.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace render {
class BitmapFont;
class ImageResource;
class ResourceManager;
}

namespace frontend {

// A cursor point in virtual pixels.
struct VirtualPoint {
  int32_t x = 0;
  int32_t y = 0;
};

inline constexpr char kHoverSound[] = "SOUNDS//tally.wav";
inline constexpr int32_t kNoButton = -1;

class MenuButton {
 public:
  // soundChannel values: kOutside while the cursor is away; kSilentInside when the hover sound found no channel.
  static constexpr int32_t kOutside = -1;
  static constexpr int32_t kSilentInside = -2;

  MenuButton(platform::gfx::Device* device, render::ImageResource* image, render::ResourceManager* resourceManager,
             float x, float y, float width, float height, const TexRect& normalRect, const TexRect& highlightRect,
             int mode, int32_t id, uint32_t screenWidth, uint32_t screenHeight);
  ~MenuButton() { Release(); }
  MenuButton(const MenuButton&) = delete;
  MenuButton& operator=(const MenuButton&) = delete;

  // The button's quad in the sprite's corner layout for its mode, in a new managed buffer (a button built again
  // gives its old buffer back first); false when the buffer cannot be created or filled.
  bool BuildQuad(platform::gfx::Device* device, float newWidth, float newHeight, const TexRect& rect);
  void Place(float newX, float newY, uint32_t newScreenWidth, uint32_t newScreenHeight);
  void SetPosition(float newX, float newY) { Place(newX, newY, screenWidth, screenHeight); }
  void PlaceLabels(uint32_t labelScreenWidth, uint32_t labelScreenHeight);
  // The main label, drawn unless the button is highlighted and has a highlight label.
  void SetLabel(platform::gfx::Device* device, const std::string& text, render::ImageResource* fontImage,
                render::BitmapFont* font, float offsetX, float offsetY, float scale, bool alternate, int32_t align,
                uint32_t labelScreenWidth, uint32_t labelScreenHeight);
  // The label drawn instead of the main one while the cursor is over the button.
  void SetSubLabel(platform::gfx::Device* device, const std::string& text, render::ImageResource* fontImage,
                   render::BitmapFont* font, float offsetX, float offsetY, float scale, bool alternate, int32_t align,
                   uint32_t labelScreenWidth, uint32_t labelScreenHeight);
  void SetLabelText(platform::gfx::Device* device, const std::string& text);
  void SetSubLabelText(platform::gfx::Device* device, const std::string& text);
  void FreeLabels();

  // Edges count as inside.
  bool HitTest(VirtualPoint point) const;
  // Once per frame: follows the cursor's highlight and plays the hover sound on entry and after a click.
  void UpdateHover(VirtualPoint point);
  // The id when the point is inside (and the hover sound is due at the next UpdateHover), else kNoButton.
  int32_t Click(VirtualPoint point);
  void Draw(platform::gfx::Device* device);
  void DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view);
  void Release();

  int32_t mode = 0;
  uint32_t screenWidth = kVirtualWidth, screenHeight = kVirtualHeight;
  float originX = 0, originY = 0;
  float x = 0, y = 0;
  float labelOffsetX = 0, labelOffsetY = 0;
  float highlightLabelOffsetX = 0, highlightLabelOffsetY = 0;
  float width = 0, height = 0;
  render::ImageResource* image = nullptr;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;
  TexRect normalRect, highlightRect;
  float hitLeft = 0, hitTop = 0, hitRight = 0, hitBottom = 0;
  int32_t wantedState = 0;
  int32_t shownState = 0;
  int32_t id = 0;
  std::unique_ptr<TextLabel> label;
  std::unique_ptr<TextLabel> highlightLabel;
  render::ResourceManager* resourceManager = nullptr;
  platform::audio::SampleId hoverSound = platform::audio::kNoSample;
  // Starts "inside" so a button created under the cursor stays silent until the cursor has left it once.
  int32_t soundChannel = 1;
  bool clicked = false;

 private:
  void WriteTexCoords(const TexRect& rect);
  void PlayHoverSound();
};

}  // namespace frontend
