// A static 3D world read from a scene (.SCN) file: the track, its mirror copy for reflections, the intro and
// showroom scenes. Holds the mesh parts with their material images, the render partition, optionally a triangle
// copy with a collision partition, and the named nodes, markers and paths others look up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/model_geometry.h"
#include "geometry/path.h"
#include "geometry/scene_records.h"
#include "geometry/spatial_partition.h"
#include "platform/gfx/graphics.h"
#include "render/scene/scene_part.h"
#include "render/scene/scene_tree.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}

namespace render {

class ImageResource;
class ResourceManager;

// The row-vector matrix that takes projected positions to texture coordinates of a reflection target; the
// half-texel offset (0.5 + 1/512) lines texels up with pixels.
Matrix4 ReflectionBiasMatrix();

class Scene {
 public:
  Scene(ResourceManager* resourceManager, app::Settings* settings);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Reads the file. An empty texture folder means the file's own folder. A file that cannot be opened leaves the
  // scene empty silently; a damaged file leaves it empty and prints one line naming the file and the fault.
  // Returns whether the scene loaded.
  bool Load(platform::gfx::Device* device, std::string fileName, std::string textureFolder, bool keepGeometry,
            bool makeReflectionTargets, bool useQuadtree);
  bool LoadFromMemory(platform::gfx::Device* device, const void* data, size_t size, const std::string& fileName,
                      std::string textureFolder, bool keepGeometry, bool makeReflectionTargets, bool useQuadtree);
  // Releases everything; the scene is empty afterwards and may be loaded again.
  void Teardown();

  // Culling and queries.
  void CollectVisible(const ViewFrustum& frustum);
  // Triangles of the collision partition whose boxes meet the box, into candidates (empty without geometry).
  void CollectInBox(const Vec3& boxMin, const Vec3& boxMax);
  // The visible planar-reflective images facing the camera direction (dot product above −0.5).
  void CollectReflectors(const Vec3& cameraDirection);
  // The reflection targets of the last collection; also named GetPartCount and GetPart.
  size_t GetReflectorCount() const { return reflectors.size(); }
  ImageResource* GetReflector(size_t index) const { return index < reflectors.size() ? reflectors[index] : nullptr; }
  bool HasReflectiveParts() const;
  bool HasGeometry() const { return keepGeometry && geometry.TriangleCount() > 0; }
  // Null when out of range.
  const geometry::Path* GetPath(size_t index) const { return index < paths.size() ? paths[index].get() : nullptr; }
  const geometry::SceneNode* GetNode(size_t index) const { return index < nodes.size() ? nodes[index].get() : nullptr; }
  // First marker / path of that exact name, or null.
  const geometry::SceneMarker* FindMarker(const std::string& name) const;
  const geometry::Path* FindPath(const std::string& name) const;

  // The projection a reflection texture is laid on with: left-handed, FOV degrees over the SCREENWIDTH /
  // SCREENHEIGHT aspect (1 without a height), near plane 0 and far plane FARCLIP.
  Matrix4 SetupProjection() const;

  // Drawing (scene_draw.cpp): every pass leaves the device at the model/scene render-state baseline.
  // `behind`, when given, runs once the opaque kinds are drawn and before anything blends, for what lies behind
  // every piece (the sky drawn onto the far plane then fills only the pixels nothing covers). When an opaque
  // kind's material blends after all it runs first instead, so nothing blends over a sky not yet there.
  void Draw(platform::gfx::Device* device, const Matrix4& view, platform::gfx::BaseTexture* reflectionTexture,
            const std::function<void()>& behind = nullptr);
  void DrawVisible(platform::gfx::Device* device, const Matrix4& view, const Matrix4* reflectionMatrix,
                   platform::gfx::BaseTexture* reflectionTexture, const std::function<void()>& behind = nullptr);
  void DrawSecondPass(platform::gfx::Device* device, const Matrix4& view, const SceneBuckets& lists);
  void DrawProjected(platform::gfx::Device* device, const Matrix4& view, const Matrix4& projectorView);
  void DrawBucket(platform::gfx::Device* device, const std::vector<std::vector<MeshPart*>>& lists);
  void DrawOverlayKind(platform::gfx::Device* device, const std::vector<std::vector<MeshPart*>>& lists, int32_t pass);

  std::vector<std::unique_ptr<geometry::SceneMarker>> markers;
  std::vector<std::unique_ptr<geometry::Path>> paths;
  std::vector<std::unique_ptr<geometry::SceneNode>> nodes;
  std::vector<ImageResource*> materialImages;
  std::unique_ptr<RenderOctree> renderOctree;
  std::unique_ptr<RenderQuadtree> renderQuadtree;
  std::unique_ptr<geometry::Octree> collisionOctree;
  std::unique_ptr<geometry::Quadtree> collisionQuadtree;
  ResourceManager* resourceManager = nullptr;
  app::Settings* settings = nullptr;
  Matrix4 reflectionTextureMatrix;
  Vec3 boundsMax, boundsMin;
  uint32_t currentVertexFormat = kSceneFormatPlain;
  uint32_t packedColour1 = 0x00646464;
  uint32_t packedAmbient = 0;
  Vec3 ambient;
  std::vector<std::string> materialNames;
  uint32_t materialCount = 0;
  uint32_t triangleCount = 0;
  uint32_t pieceCount = 0;
  bool keepGeometry = false;
  std::vector<std::unique_ptr<ScenePart>> parts;
  geometry::ModelGeometry geometry;
  // The material of each triangle of geometry, as its place in materialNames (the geometry's own flags are all
  // -1): a race on a track without a collision file reads the surface under its wheels from it.
  std::vector<uint32_t> triangleMaterials;
  std::vector<uint32_t> candidates;
  SceneBuckets allParts;
  SceneBuckets visibleParts;
  std::vector<ImageResource*> reflectors;

 private:
  friend class SceneLoader;
  // The frustum of the last CollectVisible: the draws skip the runs of the visible pieces outside it.
  ViewFrustum collectedFrustum_;
  void SetVertexFormat(platform::gfx::Device* device, uint32_t format);
  void BindPart(platform::gfx::Device* device, const MeshPart* part, const ScenePart*& lastBound);
  int Setting(int id) const;
};

// The main pass (SceneForwardDraw) and, on its own, the second pass (SceneForward: depth, then the self-lit and
// additive pieces, as the glow capture wants them) over the scene's visible pieces.
void SceneForwardDraw(Scene& scene, platform::gfx::Device* device, const Matrix4& view, const Matrix4* reflectionMatrix,
                      platform::gfx::BaseTexture* reflectionTexture, const std::function<void()>& behind = nullptr);
void SceneForward(Scene& scene, platform::gfx::Device* device, const Matrix4& view);

// The resource manager's shared scene of that name (one more reference when already loaded, unless
// separateCopy asks for a new one). A file that cannot be read still gives a registered, empty scene.
Scene* LoadScene(ResourceManager& manager, platform::gfx::Device* device, const std::string& fileName,
                 const std::string& textureFolder, bool keepGeometry, bool makeReflectionTargets, bool useQuadtree,
                 bool separateCopy);
// Drops one reference; the manager frees the scene when it purges unreferenced records.
void ReleaseScene(ResourceManager& manager, const Scene* scene);

}  // namespace render
