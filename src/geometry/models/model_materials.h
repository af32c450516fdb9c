// The texture-name table and material records that the static and the animated model files share: reading them
// (trusting nothing), deriving each material's kind and pictures, and making its image.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/binary_reader.h"
#include "geometry/models/material_kind.h"
#include "geometry/models/material_record.h"
#include "platform/gfx/graphics.h"

namespace render {
class ImageResource;
class ResourceManager;
}  // namespace render

namespace geometry {

constexpr int kTextureReferences = 7;

// What a model file breaks; the loaders print it with the file name and leave the model empty.
struct ModelFileError {
  const char* what;
};
// Throws ModelFileError(what) unless the condition holds.
void Require(bool condition, const char* what);
// A count that must be non-negative and leave room for that many records of at least minBytes each.
uint32_t ReadCount(app::BinaryReader& reader, int32_t value, uint64_t minBytes, const char* what);

struct MaterialSlot {
  bool doubleSided = false;
  bool collides = false;
  bool visible = false;
  bool colourKeyed = false;
  uint32_t colourKey = 0;
  MaterialRecord record;
  int32_t variantA = 0, variantB = 0;
  std::array<int32_t, kTextureReferences> textures{-1, -1, -1, -1, -1, -1, -1};
  bool used = false;
  MaterialKind kind = MaterialKind::Plain;
  render::ImageResource* image = nullptr;
  bool Has(int reference) const { return textures[reference] >= 0; }
};

// The file's stored form of a texture name: upper case, without anything up to its last backslash.
std::string TextureTableName(const std::string& fileName);

// Reads textureCount records of { name, slot } into a table of textureCount names.
void ReadTextureTable(app::BinaryReader& reader, uint32_t textureCount, std::vector<std::string>& table);

// Reads materialCount records. slots gets max(materialCount, 1) entries (fields stored by the record's id),
// names the record names by file position; a file without materials gets one visible, colliding slot "NONE".
void ReadMaterialRecords(app::BinaryReader& reader, uint32_t materialCount, uint32_t textureCount,
                         std::vector<MaterialSlot>& slots, std::vector<std::string>& names);

// What the slot's record and flags make of its pictures, as a key for sharing images (render::ImageLook).
std::string MaterialLook(const MaterialSlot& slot);

// Works out each file slot's kind from its texture references and, when withImages is set and a manager is
// given, makes its image (one reference held by the slot) and refines the kind with it.
void MakeMaterialImages(std::vector<MaterialSlot>& slots, uint32_t fileMaterialCount,
                        const std::vector<std::string>& table, const std::string& folder,
                        render::ResourceManager* manager, platform::gfx::Device* device, bool withImages);
// Gives back the slots' own image references.
void ReleaseMaterialImages(std::vector<MaterialSlot>& slots, render::ResourceManager* manager);

}  // namespace geometry
