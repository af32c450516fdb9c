// Writer of .MDL model files (texture names, materials, objects with face groups, nodes, markers, paths) and
// small builders of the shapes the sample models are made of.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "contentgen/binary_writer.h"
#include "contentgen/scene_record_writer.h"
#include "platform/math/types.h"

namespace contentgen {

struct MdlTextureName {
  std::string fileName;
  int32_t slot = 0;
};

struct MdlAnimation {
  bool hasScroll = false;
  float scrollU = 0, scrollV = 0;
  bool hasGrid = false;
  int16_t columns = 0, rows = 0;
  float frameSeconds = 0;
};

// Texture reference roles: 0 colour, 1 separate alpha, 2 reflection mask, 3 additive overlay, 4 normal map,
// 5 environment picture, 6 multiply overlay.
struct MdlMaterial {
  std::string name;
  int32_t id = 0;
  int32_t doubleSided = 0;
  int32_t collides = 1;
  int32_t visible = 1;
  int32_t lightValue = 0;
  int32_t hasColourKey = 0;
  std::array<int16_t, 3> colourKey{0, 0, 0};
  std::array<MdlAnimation, 2> animation;
  int32_t variantA = 0, variantB = 0;
  // Diffuse, ambient, specular, emissive as 0-255 red, green, blue.
  std::array<int16_t, 12> colours{255, 255, 255, 40, 40, 40, 100, 100, 100, 0, 0, 0};
  float glossiness = 0.2f;
  float specularLevel = 1.0f;
  std::array<int32_t, 7> textures{-1, -1, -1, -1, -1, -1, -1};
};

struct MdlFaceGroup {
  int16_t material = 0;
  std::vector<std::array<int32_t, 3>> triangles;  // vertex indices of the object
};

struct MdlObject {
  platform::Vec3 origin;
  std::vector<int32_t> vertexPositions;
  std::vector<platform::Vec3> positions;
  bool hasUvs = false;
  std::vector<int32_t> vertexUvs;
  std::vector<std::pair<float, float>> uvs;
  bool hasNormals = false;
  std::vector<int32_t> vertexNormals;
  std::vector<std::pair<uint8_t, uint8_t>> normals;  // polar, azimuth byte angles
  std::vector<std::array<int16_t, 3>> colours;
  std::vector<MdlFaceGroup> groups;
};

struct MdlFile {
  float scale = 1.0f;
  std::vector<MdlTextureName> textures;
  std::vector<MdlMaterial> materials;
  std::vector<MdlObject> objects;
  std::vector<NodeRecord> nodes;
  std::vector<MarkerRecord> markers;
  std::vector<PathRecord> paths;
};

std::vector<unsigned char> EncodeMdl(const MdlFile& file);
// Written through a temporary file and a rename; false (with one printed line) on failure.
bool WriteMdl(const std::string& fileName, const MdlFile& file);

// The byte angles of a unit direction, as the loader unpacks them (polar from +y, azimuth in the x-z plane).
std::pair<uint8_t, uint8_t> PackNormalAngles(const platform::Vec3& direction);

// A closed box between the corners, one face group of the material, faces wound so that the loader's face
// normals point outward; 8 positions, 24 vertices (4 per side, each with its side's normal and uvs 0-1).
MdlObject BoxObject(const platform::Vec3& boxMin, const platform::Vec3& boxMax, int16_t material);
// A wheel-like prism: `sides` around the x axis, radius and half width, centred at the origin.
MdlObject WheelObject(float radius, float halfWidth, int sides, int16_t material);
// Appends the object's geometry to `into`, as one more face group of the material (vertex indices shifted).
void AppendObject(MdlObject& into, const MdlObject& part);

}  // namespace contentgen
