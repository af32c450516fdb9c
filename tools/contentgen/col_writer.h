// Writer of collision (.COL) files: material names, mesh blocks of triangles, and the shared records.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/scene_record_writer.h"
#include "platform/math/types.h"

namespace contentgen {

struct ColGroup {
  int16_t material = 0;
  std::vector<std::array<int32_t, 3>> triangles;  // corner indices within the block
};

struct ColMeshBlock {
  platform::Vec3 position;                     // added to every vertex (after scaling)
  std::vector<int32_t> cornerVertices;         // per corner, a vertex index
  std::vector<platform::Vec3> vertices;
  std::vector<std::array<int16_t, 3>> cornerColours;  // r, g, b 0-255 for the first corners; may be short
  std::vector<ColGroup> groups;
};

struct ColFile {
  platform::Vec3 colour1{1, 1, 1};
  platform::Vec3 colour2{0.5f, 0.5f, 0.5f};
  float scale = 1;
  std::vector<std::string> materialNames;
  std::vector<ColMeshBlock> blocks;
  std::vector<NodeRecord> nodes;
  std::vector<MarkerRecord> markers;
  std::vector<PathRecord> paths;
};

std::vector<unsigned char> EncodeCollisionFile(const ColFile& file);
// Writes through a temporary file and a rename; false (with a printed line) on failure.
bool WriteCollisionFile(const std::string& fileName, const ColFile& file);

}  // namespace contentgen
