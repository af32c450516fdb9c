// The vertex-animated model (drivers and other small parts attached to a car): every stored frame holds all
// vertex positions and normals, and drawing shows a pose between two frames. Loaded from the versioned model
// file ("V1.0" without prefix, "V2.0", "V3.0" with key times).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/models/mesh_model.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace app {
class Settings;
}
namespace render {
class ResourceManager;
}

namespace geometry {

// A named attachment point with one position and rotation per stored frame.
struct ModelTag {
  std::string name;
  std::vector<platform::Quaternion> rotations;
  std::vector<platform::Vec3> positions;
};

// Which two stored frames are shown and how far between them (0 to below 1).
struct ClipState {
  int32_t clip = 0;
  uint32_t firstFrame = 0, lastFrame = 0;
  uint32_t frame = 0, nextFrame = 0;
  float fraction = 0;
};

// Frames × vertices a model may hold; larger files are refused rather than allocated.
constexpr uint64_t kMaxModelFrameEntries = 4u << 20;

class Model {
 public:
  Model(render::ResourceManager* resourceManager, const app::Settings* settings);
  ~Model();
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  // False, leaving the model unchanged, when the file cannot be read. A file that breaks a rule (truncated,
  // counts or offsets beyond the file, indices outside their surface, a zero divisor, more than 16-bit indices
  // reach, more frames × vertices than the file's bytes) leaves the model empty, prints one line and returns
  // false. The texture folder is used as given.
  bool Load(platform::gfx::Device* device, const std::string& path, const std::string& textureFolder);
  bool LoadFromMemory(platform::gfx::Device* device, const std::vector<unsigned char>& bytes,
                      const std::string& path, const std::string& textureFolder);
  // Frees the mesh, the tags and every list; the model is then empty.
  void Release();
  void ReleaseShadow() {}
  void RestoreShadow(platform::gfx::Device*) {}
  bool Empty() const { return !drawable_.meshData; }

  // The last key time not greater than time (0 when none or without key times).
  uint32_t FindKeyFrame(int32_t time) const;

  // Writes the pose between stored frames a and b (fraction t) into the vertex buffer, unless it is the pose
  // already shown. Frames beyond the last are taken as the last.
  void ShowPose(uint32_t a, uint32_t b, float t);
  // Shows the state's pose; nothing without a state (the buffer keeps its last pose, frame 0 after loading).
  void ApplyClipState(const ClipState* state);

  // Drawing by material kind with the light from above, and the self-lit pass (matrix: object to view).
  void DrawByKind(platform::gfx::Device* device, const platform::Matrix4& matrix, const ClipState* state,
                  platform::gfx::BaseTexture* environment);
  void DrawPass(platform::gfx::Device* device, const platform::Matrix4& matrix, const ClipState* state);

  platform::Vec3 boxMax, boxMin;
  std::vector<std::string> materialNames;
  std::vector<ModelTag> tags;
  float frameScale = 1.0f;
  uint32_t slotCount = 0;
  uint32_t frameCount = 0;
  std::vector<int32_t> keyTimes;
  std::string meshName;

  // The batches, buffers and kind lists, drawn with the static model's routines.
  const MeshModel& Drawable() const { return drawable_; }
  const std::vector<platform::Vec3>& FramePositions() const { return framePositions_; }
  const std::vector<platform::Vec3>& FrameNormals() const { return frameNormals_; }
  uint32_t VertexCount() const { return vertexCount_; }
  // How many times a pose was written into the vertex buffer.
  uint32_t PoseWrites() const { return poseWrites_; }

 private:
  render::ResourceManager* resourceManager_;
  const app::Settings* settings_;
  MeshModel drawable_;
  std::vector<platform::Vec3> framePositions_, frameNormals_;
  uint32_t vertexCount_ = 0;
  uint32_t shownA_ = 0, shownB_ = 0;
  float shownFraction_ = 0;
  uint32_t poseWrites_ = 0;
};

}  // namespace geometry
