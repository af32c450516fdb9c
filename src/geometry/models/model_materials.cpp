// Reading the texture names and material records shared by the model files, and making the material images.
#include "geometry/models/model_materials.h"

#include <algorithm>
#include <cctype>

#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace geometry {

namespace {

using platform::Vec3;

constexpr uint64_t kTextureNameMinBytes = 1 + 4;
constexpr uint64_t kMaterialMinBytes = 1 + 6 * 4 + 4 * 4 + 2 * 4 + 12 * 2 + 2 * 4 + kTextureReferences * 4;

Vec3 ReadColour(app::BinaryReader& reader) {
  Vec3 colour;
  colour.x = app::ReadInt16(reader) / 255.0f;
  colour.y = app::ReadInt16(reader) / 255.0f;
  colour.z = app::ReadInt16(reader) / 255.0f;
  return colour;
}

void ReadAnimation(app::BinaryReader& reader, TextureAnimation& animation) {
  animation.hasScroll = app::ReadInt32(reader) != 0;
  if (animation.hasScroll) {
    animation.scrollU = app::ReadFloat(reader);
    animation.scrollV = app::ReadFloat(reader);
  }
  animation.hasGrid = app::ReadInt32(reader) != 0;
  if (animation.hasGrid) {
    animation.columns = app::ReadInt16(reader);
    animation.rows = app::ReadInt16(reader);
    animation.frameSeconds = app::ReadFloat(reader);
  }
}

// Kind from the texture references alone (the first eight rules); fills the five picture names.
MaterialKind KindFromTextures(const MaterialSlot& slot, const std::vector<std::string>& table, const std::string& folder,
                              std::array<std::string, 5>& pictures) {
  auto name = [&](int reference) { return folder + table[static_cast<size_t>(slot.textures[reference])]; };
  MaterialKind kind = MaterialKind::Plain;
  if (slot.Has(0)) pictures[0] = name(0);
  if (slot.Has(1)) {
    pictures[1] = name(1);
    kind = MaterialKind::Alpha;
  }
  if (slot.colourKeyed) kind = MaterialKind::Alpha;
  if (slot.Has(3)) {
    pictures[2] = name(3);
    kind = slot.Has(0) ? MaterialKind::Plain : MaterialKind::Additive;
  }
  if (slot.Has(6) && !slot.Has(3)) {
    pictures[2] = name(6);
    kind = slot.Has(0) ? MaterialKind::Plain : MaterialKind::Multiply;
  }
  if (slot.Has(2)) {
    pictures[1] = name(2);
    kind = MaterialKind::SharedReflection;
  }
  if (slot.Has(5) && slot.Has(2)) {
    pictures[4] = name(5);
    kind = MaterialKind::MapReflection;
  }
  if (slot.Has(4)) {
    pictures[3] = name(4);
    kind = MaterialKind::NormalMapped;
  }
  return kind;
}

// The refinements that need the image, and what the kind writes back into it.
MaterialKind RefineWithImage(const MaterialSlot& slot, MaterialKind kind, render::ImageResource& image) {
  if (image.hasCubeMap && slot.Has(2)) kind = MaterialKind::CubeReflection;
  if (kind == MaterialKind::Plain && image.hasAlpha) kind = MaterialKind::Alpha;
  if (kind == MaterialKind::Alpha && slot.variantA != 0) kind = MaterialKind::AlphaLast;
  if (kind == MaterialKind::Alpha && slot.variantB != 0) kind = MaterialKind::AlphaFirst;
  if (slot.Has(6)) image.overlayPass = kMultiplyOverlayPass;
  ApplyMaterialRecord(image, slot.record);
  if (kind == MaterialKind::SharedReflection) image.SetImageVisible(true);
  if (kind == MaterialKind::NormalMapped) image.EnableNormalMap(true);
  if (kind == MaterialKind::SharedReflection || kind == MaterialKind::CubeReflection ||
      kind == MaterialKind::MapReflection) {
    if (slot.variantA != 0) {
      image.depthWrite = false;
      kind = kind == MaterialKind::SharedReflection  ? MaterialKind::SharedReflectionBlended
             : kind == MaterialKind::CubeReflection ? MaterialKind::CubeReflectionBlended
                                                    : MaterialKind::MapReflectionBlended;
    }
    if (image.isBlank) {
      image.additiveBlend = true;
    } else if (slot.Has(1)) {
      image.alphaBlend = true;
    }
  }
  return kind;
}

}  // namespace

void Require(bool condition, const char* what) {
  if (!condition) throw ModelFileError{what};
}

uint32_t ReadCount(app::BinaryReader& reader, int32_t value, uint64_t minBytes, const char* what) {
  Require(value >= 0 && reader.CanRead(static_cast<uint64_t>(value), minBytes), what);
  return static_cast<uint32_t>(value);
}

std::string TextureTableName(const std::string& fileName) {
  const size_t slash = fileName.find_last_of('\\');
  std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

void ReadTextureTable(app::BinaryReader& reader, uint32_t textureCount, std::vector<std::string>& table) {
  Require(reader.CanRead(textureCount, kTextureNameMinBytes), "texture name count is beyond the end of the file");
  table.assign(textureCount, std::string());
  for (uint32_t i = 0; i < textureCount; ++i) {
    std::string fileName = app::ReadZeroTerminatedString(reader);
    const int32_t slot = app::ReadInt32(reader);
    Require(slot >= 0 && static_cast<uint32_t>(slot) < textureCount, "a texture name slot is out of range");
    table[static_cast<size_t>(slot)] = TextureTableName(fileName);
  }
  Require(!reader.Overrun(), "texture names are truncated");
}

void ReadMaterialRecords(app::BinaryReader& reader, uint32_t fileMaterialCount, uint32_t textureCount,
                         std::vector<MaterialSlot>& slots, std::vector<std::string>& names) {
  Require(reader.CanRead(fileMaterialCount, kMaterialMinBytes), "material count is beyond the end of the file");
  const uint32_t slotCount = std::max<uint32_t>(fileMaterialCount, 1);
  slots.assign(slotCount, MaterialSlot());
  names.assign(slotCount, std::string());
  if (fileMaterialCount == 0) {
    names[0] = "NONE";
    slots[0].collides = true;
    slots[0].visible = true;
  }
  for (uint32_t i = 0; i < fileMaterialCount; ++i) {
    names[i] = app::ReadZeroTerminatedString(reader);
    const int32_t id = app::ReadInt32(reader);
    Require(id >= 0 && static_cast<uint32_t>(id) < fileMaterialCount, "a material id is out of range");
    MaterialSlot slot;
    slot.doubleSided = app::ReadInt32(reader) != 0;
    slot.collides = app::ReadInt32(reader) != 0;
    slot.visible = app::ReadInt32(reader) != 0;
    slot.record.lightValue = app::ReadInt32(reader);
    const int32_t hasColourKey = app::ReadInt32(reader);
    if (hasColourKey != 0) {
      const uint32_t red = static_cast<uint16_t>(app::ReadInt16(reader)) & 0xFFu;
      const uint32_t green = static_cast<uint16_t>(app::ReadInt16(reader)) & 0xFFu;
      const uint32_t blue = static_cast<uint16_t>(app::ReadInt16(reader)) & 0xFFu;
      slot.colourKey = 0xFF000000u | red << 16 | green << 8 | blue;
    }
    slot.colourKeyed = hasColourKey > 0;
    ReadAnimation(reader, slot.record.animation[0]);
    ReadAnimation(reader, slot.record.animation[1]);
    slot.variantA = app::ReadInt32(reader);
    slot.variantB = app::ReadInt32(reader);
    slot.record.diffuse = ReadColour(reader);
    slot.record.ambient = ReadColour(reader);
    slot.record.specular = ReadColour(reader);
    slot.record.emissive = ReadColour(reader);
    slot.record.glossiness = app::ReadFloat(reader);
    slot.record.specularLevel = app::ReadFloat(reader);
    for (int t = 0; t < kTextureReferences; ++t) {
      slot.textures[t] = app::ReadInt32(reader);
      Require(slot.textures[t] >= -1 && slot.textures[t] < static_cast<int32_t>(textureCount),
              "a texture reference is out of range");
      if (slot.textures[t] < 0) slot.textures[t] = -1;
    }
    slots[static_cast<size_t>(id)] = slot;
  }
  Require(!reader.Overrun(), "materials are truncated");
}

std::string MaterialLook(const MaterialSlot& slot) {
  const MaterialRecord& record = slot.record;
  render::ImageLook look;
  look.Add(record.lightValue).Add(record.diffuse).Add(record.ambient).Add(record.specular).Add(record.emissive);
  look.Add(record.glossiness).Add(record.specularLevel);
  for (const TextureAnimation& animation : record.animation) {
    look.Add(animation.hasGrid).Add(animation.columns).Add(animation.rows).Add(animation.frameSeconds);
    look.Add(animation.hasScroll).Add(animation.scrollU).Add(animation.scrollV);
  }
  // The flags the image is given follow which texture references are present, and for the reflective kinds
  // (those with a reflection mask) the first variant; the variants of other kinds stay with the batch.
  for (int reference = 0; reference < kTextureReferences; ++reference) look.Add(slot.Has(reference));
  look.Add(slot.Has(2) && slot.variantA != 0);
  return look.Key();
}

void MakeMaterialImages(std::vector<MaterialSlot>& slots, uint32_t fileMaterialCount,
                        const std::vector<std::string>& table, const std::string& folder,
                        render::ResourceManager* manager, platform::gfx::Device* device, bool withImages) {
  // The stand-in slot of a file without materials has no image.
  for (uint32_t i = 0; i < slots.size() && i < fileMaterialCount; ++i) {
    MaterialSlot& slot = slots[i];
    std::array<std::string, 5> pictures;
    slot.kind = KindFromTextures(slot, table, folder, pictures);
    if (!withImages || manager == nullptr) continue;
    // Materials with the same pictures share an image only when they also look the same: the image carries
    // the material's colours, gloss and flags.
    const std::string look = MaterialLook(slot);
    if (slot.colourKeyed) {
      slot.image = manager->LoadImage(device, pictures[0], true, slot.colourKey, false, true, look);
    } else {
      slot.image = manager->CreateImage(device, pictures[0], pictures[1], pictures[2], pictures[3], pictures[4],
                                        false, true, look);
    }
    if (slot.image != nullptr) slot.kind = RefineWithImage(slot, slot.kind, *slot.image);
  }
}

void ReleaseMaterialImages(std::vector<MaterialSlot>& slots, render::ResourceManager* manager) {
  for (MaterialSlot& slot : slots) {
    if (slot.image != nullptr && manager != nullptr) manager->ReleaseImage(slot.image);
    slot.image = nullptr;
  }
}

}  // namespace geometry
