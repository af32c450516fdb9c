// Writer of collision (.COL) files.
#include "contentgen/col_writer.h"

#include <cstdio>

#include "platform/file_system.h"

namespace contentgen {

std::vector<unsigned char> EncodeCollisionFile(const ColFile& file) {
  ByteWriter out;
  out.Vec3(file.colour1);
  out.Vec3(file.colour2);
  out.Float(file.scale);
  out.Int32(static_cast<int32_t>(file.blocks.size()));
  out.Int32(static_cast<int32_t>(file.nodes.size()));
  out.Int32(static_cast<int32_t>(file.markers.size()));
  out.Int32(static_cast<int32_t>(file.paths.size()));
  out.Int32(static_cast<int32_t>(file.materialNames.size()));
  for (const std::string& name : file.materialNames) out.String(name);
  for (const ColMeshBlock& block : file.blocks) {
    out.Vec3(block.position);
    out.Int32(static_cast<int32_t>(block.cornerVertices.size()));
    for (int32_t vertex : block.cornerVertices) out.Int32(vertex);
    out.Int32(static_cast<int32_t>(block.vertices.size()));
    for (const platform::Vec3& vertex : block.vertices) out.Vec3(vertex);
    out.Int32(static_cast<int32_t>(block.cornerColours.size()));
    size_t written = 0;
    for (const auto& colour : block.cornerColours) {
      if (written++ == block.cornerVertices.size()) break;  // readers take at most one colour per corner
      for (int16_t channel : colour) out.Int16(channel);
    }
    out.Int32(0);  // reserved
    out.Int32(static_cast<int32_t>(block.groups.size()));
    for (const ColGroup& group : block.groups) {
      out.Int16(group.material);
      out.Int32(static_cast<int32_t>(group.triangles.size()));
      for (const auto& triangle : group.triangles)
        for (int32_t corner : triangle) out.Int32(corner);
    }
  }
  for (const NodeRecord& node : file.nodes) WriteNodeRecord(out, node);
  for (const MarkerRecord& marker : file.markers) WriteMarkerRecord(out, marker);
  for (const PathRecord& path : file.paths) WritePathRecord(out, path);
  return std::move(out.Bytes());
}

bool WriteCollisionFile(const std::string& fileName, const ColFile& file) {
  std::vector<unsigned char> bytes = EncodeCollisionFile(file);
  if (!platform::WriteFileAtomically(fileName, bytes.data(), bytes.size())) {
    std::fprintf(stderr, "contentgen: cannot write %s\n", fileName.c_str());
    return false;
  }
  return true;
}

}  // namespace contentgen
