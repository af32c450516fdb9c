// Writers of the light-node, marker and path records that model, collision and scene files share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/binary_writer.h"
#include "platform/math/types.h"

namespace contentgen {

struct NodeRecord {
  std::string name;
  int16_t kind = 0;  // 1, 3 spot; 2, 4 directional; else point
  platform::Vec3 position;
  platform::Vec3 direction{0, -1, 0};
  platform::Vec3 colour{1, 1, 1};
  float range = 1000;
  std::string text;  // written with its flag only when not empty
};

struct MarkerRecord {
  std::string name;
  platform::Vec3 position;
  float rotation[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  std::string text;
};

struct PathPointList {
  bool closed = false;
  std::vector<platform::Vec3> points;
};

struct PathRecord {
  std::string name;
  platform::Vec3 origin;
  std::vector<PathPointList> lists;  // readers keep the first list only
  std::string text;
};

void WriteNodeRecord(ByteWriter& out, const NodeRecord& node);
void WriteMarkerRecord(ByteWriter& out, const MarkerRecord& marker);
void WritePathRecord(ByteWriter& out, const PathRecord& path);

}  // namespace contentgen
