// The static model of the game (car bodies and parts, track objects, sky boxes, menu previews), loaded from a
// .MDL file: collision geometry, a device mesh with one batch per material sorted into 13 kind lists, and the
// file's light nodes, markers and paths.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/model_geometry.h"
#include "geometry/models/material_kind.h"
#include "geometry/models/mesh_data.h"
#include "geometry/path.h"
#include "geometry/scene_records.h"
#include "platform/gfx/graphics.h"

namespace app {
class Settings;
}
namespace render {
class ImageResource;
class ResourceManager;
}  // namespace render

namespace geometry {

class MeshModel {
 public:
  MeshModel(render::ResourceManager* resourceManager, const app::Settings* settings);
  ~MeshModel();
  MeshModel(const MeshModel&) = delete;
  MeshModel& operator=(const MeshModel&) = delete;

  // Builds the model from the file. The texture folder, when empty, is the path's folder. ignoreOrigins drops
  // the object origins; withMaterials loads the material images (without, no image is requested and kinds
  // come from the texture references alone). A missing file leaves the model empty silently; a file that
  // breaks a rule (truncated, counts beyond the bytes left, indices outside their lists, values that are not
  // finite) leaves it empty and prints one line. More vertices than 16-bit indices reach draw with 32-bit
  // indices; a model whose device buffers cannot be made (or without a device) keeps its collision, parts and
  // nodes and draws nothing. Returns true on load.
  bool Load(platform::gfx::Device* device, const std::string& path, const std::string& textureFolder,
            bool ignoreOrigins, bool withMaterials);
  // The same from bytes in memory; path names the file in the message and gives the default texture folder.
  bool LoadFromMemory(platform::gfx::Device* device, const std::vector<unsigned char>& bytes, const std::string& path,
                      const std::string& textureFolder, bool ignoreOrigins, bool withMaterials);
  // Back to the empty state of a new model.
  void Clear();
  bool Empty() const { return geometry == nullptr; }

  // Marker i; null when out of range.
  SceneMarker* IntArrayAt(size_t index) const { return index < markers.size() ? markers[index].get() : nullptr; }
  // A copy of the name of part (material slot) index, whose index is the part's id; empty when out of range.
  std::string GetNameAt(size_t index) const { return index < materialNames.size() ? materialNames[index] : std::string(); }
  // The image of the first batch of the slot, or null.
  render::ImageResource* GetMaterialImage(int32_t slot) const;
  // Gives every batch of the slot the image (a reference of its own), releasing the one it held.
  void SetPartMaterial(int32_t slot, render::ImageResource* image);
  // True when a kind-4 or kind-10 list has batches: drawing then wants an environment cube. Also named
  // HasCollision, after the model's two special triangle lists it looks at.
  bool UsesEnvironmentMap() const;

  // Segment cast: true when the segment hits a front face; outputs written only on a hit.
  bool Raycast(const platform::Vec3& start, const platform::Vec3& end, platform::Vec3& hitPoint,
               platform::Vec3& normal) const;
  // Moving-sphere cast: true when the sphere moved from start to end touches the model.
  bool SweptSphereHit(const platform::Vec3& start, const platform::Vec3& end, float radius, platform::Vec3& centre,
                      platform::Vec3& contact, platform::Vec3& normal) const;

  void MakeDeformable();
  void DeformTowards(const MeshModel& other, const platform::Vec3& point, float radius, float amount);

  void EnableShadow(platform::gfx::Device* device);
  void DrawShadow(platform::gfx::Device* device, const platform::Matrix4& matrix, const platform::Vec3& light);
  void ReleaseShadow();
  void RestoreShadow(platform::gfx::Device* device);

  // Drawing by material kind; matrix is the object-to-view transform, light the model-space light vector used by
  // normal mapping. Group -1 draws every batch, another value only the slots of that group.
  void Draw(platform::gfx::Device* device, const platform::Matrix4& matrix, const platform::Vec3& light);
  // With the caller's environment cube on the shared-reflection kinds; also named DrawGroup and DrawWithCubeMap.
  void DrawWithEnvironment(platform::gfx::Device* device, const platform::Matrix4& matrix,
                           platform::gfx::BaseTexture* environment, const platform::Vec3& light);
  void DrawByKind(platform::gfx::Device* device, const platform::Matrix4& matrix,
                  platform::gfx::BaseTexture* environment, int32_t group, const platform::Vec3& light);
  // The self-lit parts over a depth-only pass.
  void DrawPass(platform::gfx::Device* device, const platform::Matrix4& matrix);
  void DrawBatches(platform::gfx::Device* device, const std::vector<MeshBatch*>& list, int32_t group);
  void DrawOverlays(platform::gfx::Device* device, const std::vector<MeshBatch*>& list, int32_t group, int32_t pass);

  std::vector<std::unique_ptr<SceneMarker>> markers;
  std::vector<std::unique_ptr<Path>> paths;
  std::vector<std::unique_ptr<SceneNode>> nodes;
  render::ResourceManager* resourceManager = nullptr;
  const app::Settings* settings = nullptr;
  platform::Vec3 boundsMax, boundsMin;
  uint32_t materialCount = 0;
  uint32_t triangleCount = 0;
  uint32_t groupCount = 0;
  bool withMaterials = false;
  bool shadowEnabled = false;
  std::vector<std::string> materialNames;
  std::vector<int32_t> materialGroups;
  std::unique_ptr<MeshData> meshData;
  std::unique_ptr<ModelGeometry> geometry;
  std::array<std::vector<MeshBatch*>, kMaterialKindCount> kindLists;

 private:
  bool InGroup(const MeshBatch* batch, int32_t group) const;
  void BindBuffers(platform::gfx::Device* device, const platform::Matrix4& matrix) const;
  void DrawReflectionKind(platform::gfx::Device* device, MaterialKind kind, platform::gfx::BaseTexture* environment,
                          int32_t group);
};

// The model of that file through the resource manager: shared by name (one more reference when already
// loaded) unless unique asks for a copy of its own (a car body that is dented and painted). A file that cannot
// be read still gives a registered, empty model. ReleaseMeshModel drops one reference.
MeshModel* LoadMeshModel(render::ResourceManager& manager, platform::gfx::Device* device, const std::string& path,
                         const std::string& textureFolder, bool ignoreOrigins, bool withMaterials,
                         bool unique = false);
inline MeshModel* LoadObjectResource(render::ResourceManager& manager, platform::gfx::Device* device,
                                     const std::string& path, const std::string& textureFolder, bool ignoreOrigins,
                                     bool withMaterials, bool unique) {
  return LoadMeshModel(manager, device, path, textureFolder, ignoreOrigins, withMaterials, unique);
}
void ReleaseMeshModel(render::ResourceManager& manager, const MeshModel* model);
// The same under the names the vehicle code uses (the versioned Model has its own overloads).
inline MeshModel* LoadModel(render::ResourceManager& manager, platform::gfx::Device* device, const std::string& path,
                            const std::string& textureFolder, bool ignoreOrigins, bool withMaterials) {
  return LoadMeshModel(manager, device, path, textureFolder, ignoreOrigins, withMaterials);
}
inline void ReleaseModel(render::ResourceManager& manager, const MeshModel* model) { ReleaseMeshModel(manager, model); }

}  // namespace geometry
