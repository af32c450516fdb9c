// Scene materials: files and kind from a record's texture slots, then the image with its flags.
#include "render/scene/scene_material.h"

#include <algorithm>

#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace render {

using geometry::MaterialKind;

namespace {

bool Has(const SceneMaterialRecord& record, int slot) { return record.textures[slot] != kNoTextureIndex; }

}  // namespace

MaterialFiles DeriveMaterialFiles(const SceneMaterialRecord& original, const std::vector<std::string>& textureNames,
                                  const std::string& folder) {
  // Indices the table cannot answer are treated as absent, so nothing outside the table is ever read.
  SceneMaterialRecord record = original;
  for (int32_t& index : record.textures) {
    if (index < 0 || static_cast<size_t>(index) >= textureNames.size() || textureNames[index].empty()) {
      index = kNoTextureIndex;
    }
  }
  auto file = [&](int slot) { return folder + textureNames[record.textures[slot]]; };
  MaterialFiles out;
  MaterialKind kind = MaterialKind::Plain;
  if (Has(record, kTextureBase)) out.files[0] = file(kTextureBase);
  if (Has(record, kTextureAlpha)) {
    out.files[1] = file(kTextureAlpha);
    kind = MaterialKind::Alpha;
  }
  if (record.hasFlatColour > 0) {
    kind = MaterialKind::Alpha;
    out.flatColoured = true;
  }
  const bool hasBase = Has(record, kTextureBase);
  if (Has(record, kTextureOverlayAdd)) {
    out.files[2] = file(kTextureOverlayAdd);
    kind = hasBase ? MaterialKind::Plain : MaterialKind::Additive;
  } else if (Has(record, kTextureOverlayMultiply)) {
    out.files[2] = file(kTextureOverlayMultiply);
    kind = hasBase ? MaterialKind::Plain : MaterialKind::Multiply;
  }
  if (Has(record, kTextureReflectionAlpha) && hasBase) {
    out.files[1] = file(kTextureReflectionAlpha);
    kind = MaterialKind::SharedReflection;
  }
  if (Has(record, kTextureEnvironment) && Has(record, kTextureReflectionAlpha)) {
    out.files[4] = file(kTextureEnvironment);
    kind = MaterialKind::MapReflection;
  }
  if (Has(record, kTextureNormalMap) && !Has(record, kTextureReflectionAlpha)) {
    out.files[3] = file(kTextureNormalMap);
    kind = MaterialKind::NormalMapped;
  }
  out.kind = kind;
  return out;
}

MaterialKind RefineKindFromImage(const SceneMaterialRecord& record, MaterialKind kind, bool imageHasAlpha) {
  if (kind == MaterialKind::Plain && imageHasAlpha) kind = MaterialKind::Alpha;
  if (kind == MaterialKind::Alpha && record.variantA != 0) kind = MaterialKind::AlphaLast;
  if (kind == MaterialKind::Alpha && record.variantB != 0) kind = MaterialKind::AlphaFirst;
  return kind;
}

MaterialKind ApplyReflectionBlending(const SceneMaterialRecord& record, MaterialKind kind, ImageResource& image) {
  if (kind != MaterialKind::SharedReflection && kind != MaterialKind::MapReflection) return kind;
  if (record.variantA != 0) {
    image.depthWrite = false;
    kind = kind == MaterialKind::SharedReflection ? MaterialKind::SharedReflectionBlended
                                                  : MaterialKind::MapReflectionBlended;
  }
  if (Has(record, kTextureAlpha)) {
    if (image.isBlank) {
      image.depthWrite = false;
      image.additiveBlend = true;
    } else {
      image.alphaBlend = true;
    }
  } else if (image.isBlank) {
    image.additiveBlend = true;
  }
  return kind;
}

namespace {

// What the record makes of its pictures: images with the same pictures are shared only between equal looks.
std::string SceneMaterialLook(const SceneMaterialRecord& record) {
  ImageLook look;
  look.Add(record.lightValue).Add(record.hasFlatColour).Add(static_cast<int32_t>(record.flatColour));
  look.Add(record.hasScroll0).Add(record.scroll0[0]).Add(record.scroll0[1]);
  look.Add(record.hasScroll1).Add(record.scroll1[0]).Add(record.scroll1[1]);
  look.Add(record.hasAnim0).Add(record.anim0Grid[0]).Add(record.anim0Grid[1]).Add(record.anim0Rate);
  look.Add(record.hasAnim1).Add(record.anim1Grid[0]).Add(record.anim1Grid[1]).Add(record.anim1Rate);
  // Of the variants only the reflective kinds' first one changes the image (its depth writes).
  look.Add(Has(record, kTextureReflectionAlpha) && record.variantA != 0);
  look.Add(record.diffuse).Add(record.ambient).Add(record.specular).Add(record.emissive);
  look.Add(record.glossiness).Add(record.specularLevel);
  for (const int32_t texture : record.textures) look.Add(texture != kNoTextureIndex);
  return look.Key();
}

}  // namespace

ImageResource* MakeMaterialImage(ResourceManager& manager, platform::gfx::Device* device,
                                 const SceneMaterialRecord& record, const MaterialFiles& files,
                                 bool makeReflectionTargets, uint32_t targetSize, MaterialKind* kindOut) {
  MaterialKind kind = files.kind;
  const bool planar = kind == MaterialKind::SharedReflection;
  ImageResource* image = nullptr;
  if (files.flatColoured) {
    image = manager.LoadImage(device, files.files[0], true, record.flatColour, planar, true, SceneMaterialLook(record));
  } else {
    image = manager.CreateImage(device, files.files[0], files.files[1], files.files[2], files.files[3], files.files[4],
                                planar, true, SceneMaterialLook(record));
  }
  if (image == nullptr) {
    *kindOut = kind;
    return nullptr;
  }
  kind = RefineKindFromImage(record, kind, image->hasAlpha);
  if (Has(record, kTextureOverlayMultiply)) image->overlayPass = geometry::kMultiplyOverlayPass;
  image->lightValue = record.lightValue;

  platform::gfx::Material& material = image->material;
  auto setColour = [](platform::ColorValue& colour, const platform::Vec3& value) {
    colour.r = value.x;
    colour.g = value.y;
    colour.b = value.z;
  };
  setColour(material.diffuse, record.diffuse);
  setColour(material.ambient, record.ambient);
  setColour(material.specular, record.specular * record.specularLevel);
  setColour(material.emissive, record.emissive);
  material.power = record.glossiness * 100.0f;

  // A grid of zero or negative frames would divide by zero in the image's stepping; such a grid is one frame.
  auto frames = [](int16_t count) { return static_cast<uint32_t>(std::max<int16_t>(count, 1)); };
  if (record.hasAnim0)
    image->SetImageAnimation(0, frames(record.anim0Grid[0]), frames(record.anim0Grid[1]), record.anim0Rate);
  if (record.hasScroll0) image->QueueImageAnimation(0, record.scroll0[0], record.scroll0[1]);
  if (record.hasAnim1)
    image->SetImageAnimation(1, frames(record.anim1Grid[0]), frames(record.anim1Grid[1]), record.anim1Rate);
  if (record.hasScroll1) image->QueueImageAnimation(1, record.scroll1[0], record.scroll1[1]);

  if (kind == MaterialKind::SharedReflection) {
    image->SetImageVisible(true);
    if (makeReflectionTargets) image->CreateRenderTarget(device, targetSize, 0);
  }
  if (kind == MaterialKind::NormalMapped) image->EnableNormalMap(true);
  kind = ApplyReflectionBlending(record, kind, *image);
  *kindOut = kind;
  return image;
}

}  // namespace render
