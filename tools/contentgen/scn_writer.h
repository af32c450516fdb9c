// Writer of scene (.SCN) files: header, texture names, material records, mesh parts with their batches, and the
// light-node, marker and path records.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "contentgen/png_writer.h"
#include "contentgen/scene_record_writer.h"
#include "platform/math/types.h"

namespace contentgen {

constexpr int32_t kNoTexture = -1;

// Texture slots of a material record, in file order.
enum ScnTextureSlot : int {
  kScnBase,
  kScnAlpha,
  kScnReflectionAlpha,
  kScnOverlayAdd,
  kScnNormalMap,
  kScnEnvironment,
  kScnOverlayMultiply,
  kScnTextureSlots
};

struct ScnMaterial {
  std::string name;
  int32_t slot = 0;
  int32_t doubleSided = 0;
  int32_t collidable = 1;
  int32_t visible = 1;
  int32_t lightValue = 0;
  int32_t hasFlatColour = 0;  // non-zero writes flatColour
  std::array<int16_t, 3> flatColour{255, 255, 255};
  bool hasScroll0 = false, hasAnim0 = false, hasScroll1 = false, hasAnim1 = false;
  float scroll0[2] = {0, 0}, scroll1[2] = {0, 0};
  int16_t anim0Grid[2] = {1, 1}, anim1Grid[2] = {1, 1};
  float anim0Rate = 0.1f, anim1Rate = 0.1f;
  int32_t variantA = 0, variantB = 0;
  std::array<int16_t, 3> diffuse{255, 255, 255}, ambient{255, 255, 255}, specular{0, 0, 0}, emissive{0, 0, 0};
  float glossiness = 0.1f;
  float specularLevel = 1.0f;
  std::array<int32_t, kScnTextureSlots> textures{kNoTexture, kNoTexture, kNoTexture, kNoTexture,
                                                 kNoTexture, kNoTexture, kNoTexture};
};

struct ScnBatch {
  int16_t material = 0;
  int16_t secondMaterial = 0;                     // written only when the part has second uvs
  std::vector<std::array<int32_t, 3>> triangles;  // vertex indices within the part
};

struct ScnPart {
  platform::Vec3 origin;
  int16_t hasSecondUv = 0;
  std::vector<int32_t> positionIndices;  // per vertex
  std::vector<platform::Vec3> positions;
  int16_t hasUv = 0;  // 1 writes uvIndices (and secondUvIndices) and uvs
  std::vector<int32_t> uvIndices;
  std::vector<int32_t> secondUvIndices;
  std::vector<std::pair<float, float>> uvs;  // as the file stores them; readers negate v
  int16_t hasNormals = 0;                    // > 0 writes normalIndices and normals
  std::vector<int32_t> normalIndices;
  std::vector<std::array<uint8_t, 2>> normals;  // angle bytes
  std::vector<std::array<int16_t, 3>> colours;  // r, g, b for the first vertices; may be short
  int32_t triangleTotal = -1;                   // -1: computed from the batches (double-sided not counted)
  std::vector<ScnBatch> batches;
};

struct ScnFile {
  platform::Vec3 colour1{0.4f, 0.4f, 0.4f};
  platform::Vec3 colour2{0.3f, 0.3f, 0.3f};
  float scale = 1;
  std::vector<std::pair<std::string, int32_t>> textureNames;  // name and its table index
  std::vector<ScnMaterial> materials;
  std::vector<ScnPart> parts;
  std::vector<NodeRecord> nodes;
  std::vector<MarkerRecord> markers;
  std::vector<PathRecord> paths;
};

std::vector<unsigned char> EncodeSceneFile(const ScnFile& file);
// Writes through a temporary file and a rename; false (with a printed line) on failure.
bool WriteSceneFile(const std::string& fileName, const ScnFile& file);

// Appends the texture table: file i at index i.
void AddTextureTable(ScnFile& scene, const char* const* files, int32_t count);
// Appends one material per name, its slot its place in the list, with the base texture given (-1 for none).
void AddBaseMaterials(ScnFile& scene, const char* const* names, const int32_t* baseTextures, int16_t count);

// A part of one vertex per position, uvs one per vertex as given, every vertex white: the common case of the
// procedural scenes.
ScnPart SimplePart(const std::vector<platform::Vec3>& positions, const std::vector<std::pair<float, float>>& uvs);

// Builds one part from faces: every corner becomes a vertex with its own uv (equal ones weld at load), and the
// triangles of each material go into that material's batch.
class ScnPartBuilder {
 public:
  // The front side of a triangle (a, b, c) is the one (b − a) × (c − a) points to.
  void AddTriangle(int16_t material, const std::array<platform::Vec3, 3>& corners,
                   const std::array<std::pair<float, float>, 3>& uvs);
  void AddQuad(int16_t material, const std::array<platform::Vec3, 4>& corners,
               const std::array<std::pair<float, float>, 4>& uvs);
  // The four side faces and the top of an axis-aligned box, facing out, uvs repeating every uvSize inches.
  void AddBox(int16_t material, const platform::Vec3& low, const platform::Vec3& high, float uvSize);
  // A horizontal rectangle facing up, uvs repeating every uvSize inches.
  void AddFloor(int16_t material, float x0, float z0, float x1, float z1, float y, float uvSize);
  size_t VertexCount() const { return part_.positionIndices.size(); }
  ScnPart Take() { return std::move(part_); }

 private:
  int32_t AddVertex(const platform::Vec3& position, std::pair<float, float> uv);
  ScnBatch& Batch(int16_t material);
  ScnPart part_;
};

// A square picture whose texel (x, y) is pattern(x, y) as 0xAARRGGBB.
PictureData PatternPicture(uint32_t size, const std::function<uint32_t(uint32_t, uint32_t)>& pattern);
// A repeatable hash of two numbers to 0-255, for speckled textures.
uint32_t Speckle(uint32_t x, uint32_t y);

}  // namespace contentgen
