// Writer of the versioned vertex-animated model file: optional version prefix, header, the material records of
// the .MDL file, tags with per-frame placements, key times, and surfaces of triangles, uvs and packed vertices.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/mdl_writer.h"
#include "platform/math/types.h"

namespace contentgen {

struct ModelTagRecord {
  std::string name;  // at most 63 characters are kept
  std::vector<platform::Vec3> positions;              // one per frame
  std::vector<std::array<float, 9>> rotations;        // one 3 × 3 rotation per frame
};

// One vertex of one frame: the position in file units (divided by the divisor and scaled when read) and the
// normal's latitude and longitude bytes.
struct PackedVertex {
  int16_t x = 0, y = 0, z = 0;
  uint8_t latitude = 0, longitude = 0;
};

struct ModelSurface {
  std::string name;
  int32_t frames = 1;
  std::vector<std::array<int32_t, 4>> triangles;  // corners 0-2 (surface vertices) and the material slot
  std::vector<std::pair<float, float>> uvs;        // one per vertex
  std::vector<std::vector<PackedVertex>> frameVertices;  // frames × vertices
};

struct ModelFileData {
  int version = 2;       // 1: no prefix; 2: "V2.0"; 3: "V3.0" with key times
  float scale = 1.0f;    // versions 2 and 3
  int32_t divisor = 64;  // versions 2 and 3
  int32_t frameCount = 1;
  int32_t framePercent = 0;
  std::vector<MdlTextureName> textures;
  std::vector<MdlMaterial> materials;
  std::vector<ModelTagRecord> tags;
  std::vector<int32_t> keyTimes;  // version 3: one per frame
  std::vector<ModelSurface> surfaces;
};

std::vector<unsigned char> EncodeModelFile(const ModelFileData& data);
bool WriteModelFile(const std::string& fileName, const ModelFileData& data);

// The latitude and longitude bytes of a unit direction as the loader decodes them (y is the pole).
std::pair<uint8_t, uint8_t> PackLatitudeLongitude(const platform::Vec3& direction);

}  // namespace contentgen
