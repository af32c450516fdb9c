// The soft shadow under a car: a small grid draped over the track below the body, fading as the car rises, drawn
// with the car's shadow texture.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "platform/result.h"
#include "vehicle/vehicle_world.h"

namespace vehicle {

using platform::Matrix4;

// One grid vertex: position relative to the shadow's origin, ARGB colour, texture coordinates (24 bytes).
struct ShadowVertex {
  float x = 0, y = 0, z = 0;
  uint32_t colour = 0;
  float u = 0, v = 0;
};
static_assert(sizeof(ShadowVertex) == 24);

constexpr uint32_t kShadowVertexFormat = platform::gfx::fvf::kXyz | platform::gfx::fvf::kDiffuse |
                                         platform::gfx::fvf::kTex1;
// The grid is cast from this far above each point down to this far below it (inches).
constexpr float kShadowCastAbove = 20.0f;
constexpr float kShadowCastBelow = 1000.0f;
// Fully dark on the ground, gone from this height on.
constexpr float kShadowFadeHeight = 200.0f;
// Vertices sit this far above the surface along its normal.
constexpr float kShadowLift = 0.5f;

class GroundShadow {
 public:
  // columns across the car, rows along it; width across the car, front and rear edges along its z axis. The
  // device may be null (nothing is drawn, the grid is still computed); a failing buffer leaves none.
  GroundShadow(platform::gfx::Device* device, uint32_t columns, uint32_t rows, float width, float front, float rear);
  ~GroundShadow();
  GroundShadow(const GroundShadow&) = delete;
  GroundShadow& operator=(const GroundShadow&) = delete;

  // Drapes the grid over the world's track under the car (rotation and translation of the car's matrix).
  void Update(VehicleWorld& world, const Matrix4& car);
  // Lays the grid flat at the car's position plus the offset, opaque white (outside a race).
  void PlaceFlat(const platform::Vec3& offset, const Matrix4& car);
  // Draws the grid: view transform = translation(origin) × view. Texture and blending are the caller's.
  void Render(platform::gfx::Device* device, const Matrix4& view) const;
  void Release();

  uint32_t columns, rows;
  float width, front, rear;
  uint32_t vertexCount, indexCount;
  platform::Vec3 origin;
  // Where the last update found the track under the car's centre; groundFound false when it found none.
  platform::Vec3 groundPoint;
  platform::Vec3 groundNormal{0, 1, 0};
  bool groundFound = false;
  // The result of creating the buffers (kOk, or the first failure).
  platform::HResult createResult = platform::kOk;

  const std::vector<ShadowVertex>& Vertices() const { return vertices_; }
  const std::vector<uint16_t>& Indices() const { return indices_; }
  bool HasBuffers() const { return vertexBuffer_ != nullptr && indexBuffer_ != nullptr; }

 private:
  // Grid point positions relative to the origin, in vertex order, from the car's matrix.
  std::vector<platform::Vec3> GridPoints(const Matrix4& car) const;
  // Copies the vertices into the vertex buffer; a failed lock leaves the buffer as it was.
  void Upload();

  platform::gfx::VertexBuffer* vertexBuffer_ = nullptr;
  platform::gfx::IndexBuffer* indexBuffer_ = nullptr;
  std::vector<ShadowVertex> vertices_;
  std::vector<uint16_t> indices_;
};

}  // namespace vehicle
