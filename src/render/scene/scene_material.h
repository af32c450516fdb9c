// Scene materials: how a material record of a scene file becomes picture files, a material kind and a material
// image with its flags, blending and animation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/models/material_kind.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"

namespace render {

class ImageResource;
class ResourceManager;

constexpr int32_t kNoTextureIndex = -1;

// Texture slots of a record, in file order.
enum SceneTextureSlot : int {
  kTextureBase,
  kTextureAlpha,
  kTextureReflectionAlpha,
  kTextureOverlayAdd,
  kTextureNormalMap,
  kTextureEnvironment,
  kTextureOverlayMultiply,
  kSceneTextureSlots
};

// One material record as read (colours already divided by 255).
struct SceneMaterialRecord {
  std::string name;
  int32_t slot = 0;
  int32_t doubleSided = 0;
  int32_t collidable = 0;
  int32_t visible = 1;
  int32_t lightValue = 0;
  int32_t hasFlatColour = 0;
  uint32_t flatColour = 0xFF000000;
  bool hasScroll0 = false, hasAnim0 = false, hasScroll1 = false, hasAnim1 = false;
  float scroll0[2] = {0, 0}, scroll1[2] = {0, 0};
  int16_t anim0Grid[2] = {0, 0}, anim1Grid[2] = {0, 0};
  float anim0Rate = 0, anim1Rate = 0;
  int32_t variantA = 0, variantB = 0;
  platform::Vec3 diffuse, ambient, specular, emissive;
  float glossiness = 0;
  float specularLevel = 0;
  std::array<int32_t, kSceneTextureSlots> textures{kNoTextureIndex, kNoTextureIndex, kNoTextureIndex, kNoTextureIndex,
                                                   kNoTextureIndex, kNoTextureIndex, kNoTextureIndex};
};

// The picture files and first kind of a record, before its image exists.
struct MaterialFiles {
  std::array<std::string, 5> files;  // base, separate alpha, overlay, normal map, environment
  geometry::MaterialKind kind = geometry::MaterialKind::Plain;
  bool flatColoured = false;
};

// Texture indices outside the table, or naming an empty entry, count as no texture.
MaterialFiles DeriveMaterialFiles(const SceneMaterialRecord& record, const std::vector<std::string>& textureNames,
                                  const std::string& folder);

// Makes the record's image through the manager (one reference held by the caller), refines the kind from the
// image's flags and sets its material, overlay pass, light value, animation, reflection and blend flags.
// targetSize is the side of a planar reflection's own render target (made only when makeReflectionTargets).
ImageResource* MakeMaterialImage(ResourceManager& manager, platform::gfx::Device* device,
                                 const SceneMaterialRecord& record, const MaterialFiles& files,
                                 bool makeReflectionTargets, uint32_t targetSize, geometry::MaterialKind* kind);

// The refinements that depend only on the image's flags: alpha texture → alpha kinds, the variants, and the
// blended reflection kinds with their blending. Applied by MakeMaterialImage; exposed for tests.
geometry::MaterialKind RefineKindFromImage(const SceneMaterialRecord& record, geometry::MaterialKind kind,
                                           bool imageHasAlpha);
geometry::MaterialKind ApplyReflectionBlending(const SceneMaterialRecord& record, geometry::MaterialKind kind,
                                               ImageResource& image);

}  // namespace render
