// Writers of the shared light-node, marker and path records.
#include "contentgen/scene_record_writer.h"

namespace contentgen {

namespace {

void WriteOptionalText(ByteWriter& out, const std::string& text) {
  out.Int16(text.empty() ? 0 : 1);
  if (!text.empty()) out.String(text);
}

}  // namespace

void WriteNodeRecord(ByteWriter& out, const NodeRecord& node) {
  out.String(node.name);
  out.Int16(node.kind);
  out.Vec3(node.position);
  for (int i = 0; i < 6; ++i) out.Float(0);  // six values readers skip
  out.Vec3(node.direction);
  out.Vec3(node.colour);
  out.Float(node.range);
  WriteOptionalText(out, node.text);
}

void WriteMarkerRecord(ByteWriter& out, const MarkerRecord& marker) {
  out.String(marker.name);
  out.Vec3(marker.position);
  for (const auto& row : marker.rotation)
    for (float value : row) out.Float(value);
  WriteOptionalText(out, marker.text);
}

void WritePathRecord(ByteWriter& out, const PathRecord& path) {
  out.String(path.name);
  out.Vec3(path.origin);
  out.Int16(static_cast<int16_t>(path.lists.size()));
  for (const PathPointList& list : path.lists) {
    out.Int16(static_cast<int16_t>(list.points.size()));
    out.Int8(list.closed ? 1 : 0);
    for (const platform::Vec3& point : list.points) out.Vec3(point);
  }
  WriteOptionalText(out, path.text);
}

}  // namespace contentgen
