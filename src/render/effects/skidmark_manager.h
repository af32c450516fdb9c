// Tyre marks: one strip per continuous slide of one wheel, a cross-section of two vertices every 0.05 s (at
// most 41), drawn with one tread texture on both faces; the oldest closed strip gives way when the list is full.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/effects/box_corners.h"
#include "render/effects/effect_vertex.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}

namespace render {

class ImageResource;
class ResourceManager;

constexpr uint32_t kSkidCrossSections = 41;
constexpr uint32_t kLastSkidCrossSection = kSkidCrossSections - 1;
// Seconds of sliding per fixed cross-section.
constexpr float kSkidCrossSectionTime = 0.05f;
constexpr uint32_t kDefaultSkidCapacity = 100;

class SkidmarkSegment {
 public:
  // Creates the strip's buffer; position is the origin every vertex is stored relative to.
  SkidmarkSegment(platform::gfx::Device* device, const Vec3& position, int32_t markStyle, float markWidth);
  ~SkidmarkSegment();
  SkidmarkSegment(const SkidmarkSegment&) = delete;
  SkidmarkSegment& operator=(const SkidmarkSegment&) = delete;

  // While open: advances the cross-section every 0.05 s and writes the current one across the wheel at p
  // (row 0 of the wheel matrix is its side axis, row 1 its up axis). Closes itself at the last cross-section.
  void Grow(platform::gfx::Device* device, const Vec3& p, const Matrix4& wheel, float dt);
  // Both faces of the fixed cross-sections carried into view space, unless the strip's box is outside the frustum
  // (null: no culling): first the triangles facing the way the device's usual culling keeps, then the others, the
  // order two draws of the strip, one per face, would give. False when nothing was added.
  bool AddTo(SpriteBatch& batch, const Matrix4& view, const ViewFrustum* frustum) const;
  // Triangles the next draw would make: 2 per fixed cross-section.
  uint32_t TriangleCount() const;

  bool open = true;
  uint32_t crossSection = 0;
  float timer = 0;
  float width;
  platform::gfx::VertexBuffer* vertexBuffer = nullptr;
  // What the buffer holds, kept on this side too: the strips of a frame are drawn together from it.
  std::array<EffectVertex, kSkidCrossSections * 2> vertices{};
  Vec3 origin;
  Matrix4 transform;
  Vec3 boxMin{0, 0, 0};
  Vec3 boxMax{0, 0, 0};
  // Elaborated, since the frustum header also offers a corner-listing function of this name.
  std::unique_ptr<BoxCorners> corners;
  int32_t style;
};

class SkidmarkManager {
 public:
  SkidmarkManager() = default;
  ~SkidmarkManager() { Shutdown(); }
  SkidmarkManager(const SkidmarkManager&) = delete;
  SkidmarkManager& operator=(const SkidmarkManager&) = delete;

  // Capacity back to 100, an empty list, and the tread texture from the colour and alpha pictures.
  void Init(platform::gfx::Device* device, ResourceManager* resourceManager, const app::Settings* managerSettings,
            const std::string& colourName, const std::string& alphaName);
  // A new open segment at the front of the list, or null when capacity is 0, when the list is over capacity
  // with every segment still open, or when the strip's buffer cannot be made. The wheel keeps the pointer.
  SkidmarkSegment* AddSegment(platform::gfx::Device* device, const Vec3& position, const Matrix4& wheel,
                              int32_t style, float width);
  // Every visible strip in one draw (both faces, culling off), in list order.
  void Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  // Removes the oldest closed segment; false when none is closed.
  bool RemoveOldestClosed();
  void Shutdown();

  // The race overwrites it after Init from its SKIDMARKS setting.
  uint32_t capacity = kDefaultSkidCapacity;
  uint32_t count = 0;
  std::list<std::unique_ptr<SkidmarkSegment>> segments;  // newest first
  ImageResource* treadImage = nullptr;
  const app::Settings* settings = nullptr;
  ResourceManager* resources = nullptr;

 private:
  SpriteBatch batch_;  // the strips of one draw
};

}  // namespace render
