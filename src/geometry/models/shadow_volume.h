// Stencil shadow volume of a model: the silhouette of its lit faces extruded away from the light, counted into
// the stencil buffer by two passes.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/model_geometry.h"
#include "platform/gfx/graphics.h"
#include "platform/result.h"

namespace geometry {

// Room of the ring buffer, in positions (12 bytes each).
constexpr uint32_t kShadowVertexCapacity = 32000;

class ShadowVolume {
 public:
  explicit ShadowVolume(platform::gfx::Device* device);
  ~ShadowVolume();
  ShadowVolume(const ShadowVolume&) = delete;
  ShadowVolume& operator=(const ShadowVolume&) = delete;

  // Around a device reset: Release drops the buffer; Restore re-creates it when the volume is not valid.
  void Release();
  void Restore(platform::gfx::Device* device);

  // Builds the volume of the geometry for the light vector L (direction and length of the extrusion: every
  // silhouette vertex P is extruded to P - L; faces with normal . L >= 0 are lit). kOk, kFail when the volume
  // is off or the lock fails, kOutOfMemory when the edge list cannot be made. A silhouette too large for the
  // buffer switches the volume off until the next Release and Restore.
  platform::HResult Build(const ModelGeometry& geometry, const platform::Vec3& light);
  // One draw of the current volume (nothing when not valid).
  void Render(platform::gfx::Device* device) const;
  // The two stencil passes with matrix as the view transform; every state is returned to the baseline.
  void Draw(platform::gfx::Device* device, const platform::Matrix4& matrix) const;

  bool Valid() const { return valid_; }
  uint32_t VertexCount() const { return vertexCount_; }
  uint32_t StartVertex() const { return startVertex_; }
  platform::gfx::VertexBuffer* Buffer() const { return buffer_; }

  // The silhouette edges of the lit faces, each in the winding of its lit face; shared edges cancel.
  static std::vector<std::pair<uint32_t, uint32_t>> SilhouetteEdges(const ModelGeometry& geometry,
                                                                    const platform::Vec3& light);

 private:
  void Create(platform::gfx::Device* device);

  platform::gfx::VertexBuffer* buffer_ = nullptr;
  bool valid_ = false;
  uint32_t vertexCount_ = 0;
  uint32_t startVertex_ = 0;
};

}  // namespace geometry
