// The HUD's own 2D widgets: a textured quad and a bitmap-font text line placed in the 800 x 600 virtual screen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace render {
class BitmapFont;
class ImageResource;
}  // namespace render

namespace race {

inline constexpr uint32_t kHudScreenWidth = 800;
inline constexpr uint32_t kHudScreenHeight = 600;

struct HudVertex {
  float x, y, z;
  uint32_t diffuse;
  float u, v;
};
static_assert(sizeof(HudVertex) == 24);
inline constexpr uint32_t kHudVertexFormat =
    platform::gfx::fvf::kXyz | platform::gfx::fvf::kDiffuse | platform::gfx::fvf::kTex1;

// Decimal text of a whole number held in a double, clamped to +-1e15 so huge or broken values stay printable.
std::string WholeNumberText(double value);

// The centred, y-up drawing space of the 2D pass for a virtual-screen point.
platform::Vec2 HudViewOrigin(float x, float y, uint32_t screenWidth, uint32_t screenHeight);

// A textured quad. Placed by its top-left corner, or by its centre when centred. The image is not owned.
class HudSprite {
 public:
  HudSprite(render::ImageResource* image, float x, float y, float width, float height, float leftU, float topV,
            float rightU, float bottomV, bool centred, uint32_t screenWidth = kHudScreenWidth,
            uint32_t screenHeight = kHudScreenHeight);

  void SetPosition(float newX, float newY);
  // New corners for a new size; texture coordinates stay.
  void Resize(float newWidth, float newHeight);
  // Binds the image (when loaded) and draws, turned by angle (degrees, counter-clockwise on screen).
  void Draw(platform::gfx::Device* device) const;
  // Same placement, keeping whatever texture the caller bound to stage 0.
  void DrawRotated(platform::gfx::Device* device) const;
  void DrawWithView(platform::gfx::Device* device, const platform::Matrix4& view) const;
  // Forgets the image (never released here).
  void Release() { image = nullptr; }

  // The view transform of Draw: rotation about z (when angle is not 0), then translation to the origin.
  platform::Matrix4 PlacementView() const;

  render::ImageResource* image = nullptr;
  float x = 0, y = 0;
  platform::Vec2 origin{};
  float angle = 0;  // degrees
  bool centred = false;
  uint32_t screenWidth, screenHeight;
  std::array<HudVertex, 4> quad{};

 private:
  void Submit(platform::gfx::Device* device, const platform::Matrix4& view, bool bindImage) const;
};

enum HudAlign : int32_t { kHudAlignLeft = 0, kHudAlignRight = 1, kHudAlignCentre = 2 };

// One line of text in a bitmap font's 16 x 16 glyph grid; highlight uses glyph code + 128. Font and image are
// not owned.
class HudLabel {
 public:
  HudLabel(render::ImageResource* fontImage, render::BitmapFont* font, std::string text, float x, float y,
           float scale, bool highlight, int32_t align, uint32_t screenWidth = kHudScreenWidth,
           uint32_t screenHeight = kHudScreenHeight);

  void SetText(const std::string& newText) { text = newText; }
  void SetAltGlyphs(bool newHighlight) { highlight = newHighlight; }
  void Build(const std::string& newText, float newX, float newY, float newScale, bool newHighlight, int32_t newAlign);
  // Width of the text in virtual units at the label's scale.
  float TextWidth() const;
  // Left edge of the text after alignment.
  float LeftEdge() const;
  void Draw(platform::gfx::Device* device) const;
  void Release() {
    fontImage = nullptr;
    font = nullptr;
  }

  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* font = nullptr;
  std::string text;
  float x = 0, y = 0;
  float scale = 1.0f;
  bool highlight = false;
  int32_t align = kHudAlignLeft;
  uint32_t screenWidth, screenHeight;
};

}  // namespace race
