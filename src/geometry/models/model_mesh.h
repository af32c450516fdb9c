// The device side of a vertex-animated model: every stored frame's vertex positions and normals, one vertex
// buffer showing the current pose, one index buffer, and one batch per used material sorted into the 13 kind
// lists that the static model's drawing routines walk.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/models/mesh_model.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace app {
class Settings;
}
namespace render {
class ImageResource;
class ResourceManager;
}  // namespace render

namespace geometry {

// Which two stored frames are shown and how far between them (0 to below 1).
struct ClipState {
  int32_t clip = 0;
  uint32_t firstFrame = 0, lastFrame = 0;
  uint32_t frame = 0, nextFrame = 0;
  float fraction = 0;
};

class ModelMesh {
 public:
  // Empty: no buffers, no frames, no batches, the shown pose frame 0 to frame 0 at 0.
  ModelMesh(render::ResourceManager* resourceManager, const app::Settings* settings);
  ModelMesh(const ModelMesh&) = delete;
  ModelMesh& operator=(const ModelMesh&) = delete;

  // Builds the vertex buffer showing frame 0 and an index buffer with room for every triangle twice, and keeps
  // the frame arrays (frame-major: entry f × vertexCount + v). Every vertex is its own; nothing is welded. False,
  // with the frames left empty, when a buffer cannot be made.
  bool SetGeometry(platform::gfx::Device* device, uint32_t vertexCount, uint32_t triangleCount,
                   const std::vector<platform::Vec3>& framePositions, const std::vector<platform::Vec3>& uvs,
                   const std::vector<platform::Vec3>& frameNormals);
  void SetBox(const platform::Vec3& boxMin, const platform::Vec3& boxMax);
  // A batch of the triangles of one material slot, listed under its kind; returns its index.
  int32_t AddBatch(render::ResourceManager* resourceManager, const app::Settings* settings,
                   const std::vector<MeshTriangle>& triangles, int32_t slot, MaterialKind kind, bool doubleSided);
  // Indices beyond the batches are ignored.
  void SetBatchImage(render::ImageResource* image, size_t batch);
  void SetBatchEnabled(size_t batch, bool enabled);
  // Re-packs the buffers for the vertex cache; every frame follows the new vertex order.
  void Optimize(platform::gfx::Device* device);

  // Writes the pose between stored frames a and b (fraction t) into the vertex buffer, unless it is the pose
  // already shown. Frames beyond the last are taken as the last. Normals are not renormalised.
  void ShowPose(uint32_t a, uint32_t b, float t);
  // Shows the front state's pose; nothing without one (the buffer keeps its last pose, frame 0 after loading).
  void ApplyClipStates(const ClipState* frontState);

  // The batches, buffers and kind lists, drawn with the static model's routines.
  MeshModel& Drawable() { return drawable_; }
  const MeshModel& Drawable() const { return drawable_; }
  const std::vector<platform::Vec3>& FramePositions() const { return framePositions_; }
  const std::vector<platform::Vec3>& FrameNormals() const { return frameNormals_; }
  uint32_t VertexCount() const { return vertexCount_; }
  uint32_t FrameCount() const { return frameCount_; }
  // How many times a pose was written into the vertex buffer.
  uint32_t PoseWrites() const { return poseWrites_; }

 private:
  MeshModel drawable_;
  std::vector<uint32_t> corners_;  // corner i is vertex i
  std::vector<platform::Vec3> framePositions_, frameNormals_;
  uint32_t vertexCount_ = 0;
  uint32_t frameCount_ = 0;
  uint32_t shownA_ = 0, shownB_ = 0;
  float shownFraction_ = 0;
  uint32_t poseWrites_ = 0;
  platform::Vec3 boxMin_, boxMax_;
  bool haveBox_ = false;
};

}  // namespace geometry
