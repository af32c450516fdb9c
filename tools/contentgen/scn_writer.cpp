// Writer of scene (.SCN) files in the layout the scene loader reads.
#include "contentgen/scn_writer.h"

#include <cstdio>

#include "contentgen/png_writer.h"

namespace contentgen {

namespace {

void WriteMaterial(ByteWriter& out, const ScnMaterial& material) {
  out.String(material.name);
  out.Int32(material.slot);
  out.Int32(material.doubleSided);
  out.Int32(material.collidable);
  out.Int32(material.visible);
  out.Int32(material.lightValue);
  out.Int32(material.hasFlatColour);
  if (material.hasFlatColour != 0)
    for (int16_t c : material.flatColour) out.Int16(c);
  out.Int32(material.hasScroll0 ? 1 : 0);
  if (material.hasScroll0) {
    out.Float(material.scroll0[0]);
    out.Float(material.scroll0[1]);
  }
  out.Int32(material.hasAnim0 ? 1 : 0);
  if (material.hasAnim0) {
    out.Int16(material.anim0Grid[0]);
    out.Int16(material.anim0Grid[1]);
    out.Float(material.anim0Rate);
  }
  out.Int32(material.hasScroll1 ? 1 : 0);
  if (material.hasScroll1) {
    out.Float(material.scroll1[0]);
    out.Float(material.scroll1[1]);
  }
  out.Int32(material.hasAnim1 ? 1 : 0);
  if (material.hasAnim1) {
    out.Int16(material.anim1Grid[0]);
    out.Int16(material.anim1Grid[1]);
    out.Float(material.anim1Rate);
  }
  out.Int32(material.variantA);
  out.Int32(material.variantB);
  for (const auto* colour : {&material.diffuse, &material.ambient, &material.specular, &material.emissive})
    for (int16_t c : *colour) out.Int16(c);
  out.Float(material.glossiness);
  out.Float(material.specularLevel);
  for (int32_t texture : material.textures) out.Int32(texture);
}

void WritePart(ByteWriter& out, const ScnPart& part) {
  out.Vec3(part.origin);
  out.Int16(part.hasSecondUv);
  const size_t vertexCount = part.positionIndices.size();
  out.Int32(static_cast<int32_t>(vertexCount));
  for (int32_t index : part.positionIndices) out.Int32(index);
  out.Int32(static_cast<int32_t>(part.positions.size()));
  for (const platform::Vec3& position : part.positions) out.Vec3(position);
  out.Int16(part.hasUv);
  if (part.hasUv == 1) {
    for (size_t i = 0; i < vertexCount; ++i) {
      out.Int32(i < part.uvIndices.size() ? part.uvIndices[i] : 0);
      if (part.hasSecondUv != 0) out.Int32(i < part.secondUvIndices.size() ? part.secondUvIndices[i] : 0);
    }
    out.Int32(static_cast<int32_t>(part.uvs.size()));
    for (const auto& [u, v] : part.uvs) {
      out.Float(u);
      out.Float(v);
    }
  }
  out.Int16(part.hasNormals);
  if (part.hasNormals > 0) {
    for (size_t i = 0; i < vertexCount; ++i) out.Int32(i < part.normalIndices.size() ? part.normalIndices[i] : 0);
    out.Int32(static_cast<int32_t>(part.normals.size()));
    for (const auto& normal : part.normals) {
      out.Int8(static_cast<int8_t>(normal[0]));
      out.Int8(static_cast<int8_t>(normal[1]));
    }
  }
  out.Int32(static_cast<int32_t>(part.colours.size()));
  for (const auto& colour : part.colours)
    for (int16_t c : colour) out.Int16(c);
  int32_t total = part.triangleTotal;
  if (total < 0) {
    total = 0;
    for (const ScnBatch& batch : part.batches) total += static_cast<int32_t>(batch.triangles.size());
  }
  out.Int32(total);
  out.Int32(static_cast<int32_t>(part.batches.size()));
  for (const ScnBatch& batch : part.batches) {
    out.Int16(batch.material);
    if (part.hasSecondUv != 0) out.Int16(batch.secondMaterial);
    out.Int32(static_cast<int32_t>(batch.triangles.size()));
    for (const auto& triangle : batch.triangles)
      for (int32_t corner : triangle) out.Int32(corner);
  }
}

}  // namespace

std::vector<unsigned char> EncodeSceneFile(const ScnFile& file) {
  ByteWriter out;
  out.Vec3(file.colour1);
  out.Vec3(file.colour2);
  out.Float(file.scale);
  out.Int32(static_cast<int32_t>(file.parts.size()));
  out.Int32(static_cast<int32_t>(file.nodes.size()));
  out.Int32(static_cast<int32_t>(file.markers.size()));
  out.Int32(static_cast<int32_t>(file.paths.size()));
  out.Int32(static_cast<int32_t>(file.materials.size()));
  out.Int32(static_cast<int32_t>(file.textureNames.size()));
  for (const auto& [name, index] : file.textureNames) {
    out.String(name);
    out.Int32(index);
  }
  for (const ScnMaterial& material : file.materials) WriteMaterial(out, material);
  for (const ScnPart& part : file.parts) WritePart(out, part);
  for (const NodeRecord& node : file.nodes) WriteNodeRecord(out, node);
  for (const MarkerRecord& marker : file.markers) WriteMarkerRecord(out, marker);
  for (const PathRecord& path : file.paths) WritePathRecord(out, path);
  return out.Bytes();
}

bool WriteSceneFile(const std::string& fileName, const ScnFile& file) {
  return WriteContentFile(fileName, EncodeSceneFile(file));
}

ScnPart SimplePart(const std::vector<platform::Vec3>& positions, const std::vector<std::pair<float, float>>& uvs) {
  ScnPart part;
  part.positions = positions;
  part.hasUv = uvs.empty() ? 0 : 1;
  part.uvs = uvs;
  for (size_t i = 0; i < positions.size(); ++i) {
    part.positionIndices.push_back(static_cast<int32_t>(i));
    part.uvIndices.push_back(uvs.empty() ? 0 : static_cast<int32_t>(i < uvs.size() ? i : 0));
  }
  return part;
}

}  // namespace contentgen
