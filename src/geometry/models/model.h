// The vertex-animated model (drivers and other small parts attached to a car): every stored frame holds all
// vertex positions and normals, and drawing shows a pose between two frames. Loaded from the versioned model
// file ("V1.0" without prefix, "V2.0", "V3.0" with key times).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/models/mesh_model.h"
#include "geometry/models/model_mesh.h"
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
  bool Empty() const { return mesh == nullptr; }

  // The last key time not greater than time (0 when none or without key times).
  uint32_t FindKeyFrame(int32_t time) const;

  // The mesh's pose between stored frames a and b (ModelMesh::ShowPose); nothing without a mesh.
  void ShowPose(uint32_t a, uint32_t b, float t) {
    if (mesh) mesh->ShowPose(a, b, t);
  }

  // Drawing by material kind with the light from above, and the self-lit pass (matrix: object to view), each
  // after showing the front state's pose. A model without mesh draws nothing.
  void DrawByKind(platform::gfx::Device* device, const platform::Matrix4& matrix, const ClipState* frontState,
                  platform::gfx::BaseTexture* environment);
  void DrawPass(platform::gfx::Device* device, const platform::Matrix4& matrix, const ClipState* frontState);

  platform::Vec3 boxMax, boxMin;
  std::vector<std::string> materialNames;
  std::vector<ModelTag> tags;
  float frameScale = 1.0f;
  uint32_t slotCount = 0;
  uint32_t frameCount = 0;
  std::vector<int32_t> keyTimes;
  std::string meshName;

  // The mesh's frames and counts; empty and 0 without a mesh.
  const std::vector<platform::Vec3>& FramePositions() const;
  const std::vector<platform::Vec3>& FrameNormals() const;
  uint32_t VertexCount() const { return mesh ? mesh->VertexCount() : 0; }
  uint32_t PoseWrites() const { return mesh ? mesh->PoseWrites() : 0; }

  // Null until a file was read; a model whose file was missing or refused has none and draws nothing.
  std::unique_ptr<ModelMesh> mesh;

 private:
  render::ResourceManager* resourceManager_;
  const app::Settings* settings_;
};

}  // namespace geometry
