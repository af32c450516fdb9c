// Scene life cycle, culling and lookups, and its place in the resource manager.
#include "render/scene/scene.h"

#include "app/box_tests.h"
#include "platform/file_system.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace render {

namespace {
constexpr float kReflectorFacing = -0.5f;
}

Matrix4 ReflectionBiasMatrix() {
  Matrix4 m;
  m.m[0][0] = 0.5f;
  m.m[1][1] = -0.5f;
  m.m[2][2] = 1.0f;
  m.m[3][0] = 0.501953125f;
  m.m[3][1] = 0.501953125f;
  m.m[3][3] = 1.0f;
  return m;
}

Scene::Scene(ResourceManager* manager, app::Settings* sceneSettings)
    : resourceManager(manager), settings(sceneSettings), reflectionTextureMatrix(ReflectionBiasMatrix()) {}

Scene::~Scene() { Teardown(); }

void Scene::Teardown() {
  renderOctree.reset();
  renderQuadtree.reset();
  collisionOctree.reset();
  collisionQuadtree.reset();
  geometry = geometry::ModelGeometry();
  triangleMaterials.clear();
  for (ImageResource* image : materialImages) {
    if (image != nullptr && resourceManager != nullptr) resourceManager->ReleaseImage(image);
  }
  materialImages.clear();
  for (auto& part : parts) part->Release();
  parts.clear();
  nodes.clear();
  paths.clear();
  markers.clear();
  reflectors.clear();
  for (auto& kind : allParts) kind.clear();
  for (auto& kind : visibleParts) kind.clear();
  candidates.clear();
  materialNames.clear();
  materialCount = 0;
  triangleCount = 0;
  pieceCount = 0;
  boundsMin = boundsMax = Vec3{};
  currentVertexFormat = kSceneFormatPlain;
}

void Scene::CollectVisible(const ViewFrustum& frustum) {
  collectedFrustum_ = frustum;
  for (auto& kind : visibleParts)
    for (auto& list : kind) list.clear();
  if (renderOctree) {
    renderOctree->CollectVisible(frustum, visibleParts);
  } else if (renderQuadtree) {
    renderQuadtree->CollectVisible(frustum, visibleParts);
  }
}

void Scene::CollectInBox(const Vec3& boxMin, const Vec3& boxMax) {
  candidates.clear();
  if (collisionOctree) {
    collisionOctree->CollectTriangles(boxMin, boxMax, candidates);
  } else if (collisionQuadtree) {
    collisionQuadtree->CollectTriangles(boxMin, boxMax, candidates);
  }
}

void Scene::CollectReflectors(const Vec3& cameraDirection) {
  reflectors.clear();
  for (const auto& list : visibleParts[geometry::KindIndex(geometry::MaterialKind::SharedReflection)]) {
    if (list.empty() || list.front()->image == nullptr) continue;
    ImageResource* image = list.front()->image;
    if (platform::Dot(image->reflectionNormal, cameraDirection) > kReflectorFacing) reflectors.push_back(image);
  }
}

bool Scene::HasReflectiveParts() const {
  return !allParts[geometry::KindIndex(geometry::MaterialKind::SharedReflection)].empty() ||
         !allParts[geometry::KindIndex(geometry::MaterialKind::SharedReflectionBlended)].empty();
}

const geometry::SceneMarker* Scene::FindMarker(const std::string& name) const {
  for (const auto& marker : markers)
    if (marker->name == name) return marker.get();
  return nullptr;
}

const geometry::Path* Scene::FindPath(const std::string& name) const {
  for (const auto& path : paths)
    if (path->Name() == name) return path.get();
  return nullptr;
}

Scene* LoadScene(ResourceManager& manager, platform::gfx::Device* device, const std::string& fileName,
                 const std::string& textureFolder, bool keepGeometry, bool makeReflectionTargets, bool useQuadtree,
                 bool separateCopy) {
  return manager.LoadShared<Scene>(ResourceKind::kScene, fileName, separateCopy, [&](const std::string& normalised) {
    auto scene = std::make_shared<Scene>(&manager, manager.GetSettings());
    // The given spelling keeps the texture folder relative, as written; the file is found case-insensitively.
    const std::string path = platform::ResolveDataPath(normalised);
    scene->Load(device, path, textureFolder, keepGeometry, makeReflectionTargets, useQuadtree);
    return scene;
  });
}

void ReleaseScene(ResourceManager& manager, const Scene* scene) { manager.ReleaseShared(ResourceKind::kScene, scene); }

}  // namespace render
