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

void AddTextureTable(ScnFile& scene, const char* const* files, int32_t count) {
  for (int32_t i = 0; i < count; ++i) scene.textureNames.push_back({files[i], i});
}

void AddBaseMaterials(ScnFile& scene, const char* const* names, const int32_t* baseTextures, int16_t count) {
  for (int16_t m = 0; m < count; ++m) {
    ScnMaterial material;
    material.name = names[m];
    material.slot = m;
    material.textures[kScnBase] = baseTextures[m];
    scene.materials.push_back(material);
  }
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

int32_t ScnPartBuilder::AddVertex(const platform::Vec3& position, std::pair<float, float> uv) {
  const int32_t index = static_cast<int32_t>(part_.positionIndices.size());
  part_.positions.push_back(position);
  part_.positionIndices.push_back(index);
  part_.uvs.push_back(uv);
  part_.uvIndices.push_back(index);
  part_.hasUv = 1;
  return index;
}

ScnBatch& ScnPartBuilder::Batch(int16_t material) {
  for (ScnBatch& batch : part_.batches)
    if (batch.material == material) return batch;
  part_.batches.push_back({material, 0, {}});
  return part_.batches.back();
}

void ScnPartBuilder::AddTriangle(int16_t material, const std::array<platform::Vec3, 3>& corners,
                                 const std::array<std::pair<float, float>, 3>& uvs) {
  std::array<int32_t, 3> triangle{};
  for (int i = 0; i < 3; ++i) triangle[i] = AddVertex(corners[i], uvs[i]);
  Batch(material).triangles.push_back(triangle);
}

void ScnPartBuilder::AddQuad(int16_t material, const std::array<platform::Vec3, 4>& corners,
                             const std::array<std::pair<float, float>, 4>& uvs) {
  AddTriangle(material, {corners[0], corners[1], corners[2]}, {uvs[0], uvs[1], uvs[2]});
  AddTriangle(material, {corners[0], corners[2], corners[3]}, {uvs[0], uvs[2], uvs[3]});
}

void ScnPartBuilder::AddFloor(int16_t material, float x0, float z0, float x1, float z1, float y, float uvSize) {
  auto uv = [uvSize](float a, float b) { return std::pair<float, float>{a / uvSize, b / uvSize}; };
  AddQuad(material, {platform::Vec3{x0, y, z0}, {x0, y, z1}, {x1, y, z1}, {x1, y, z0}},
          {uv(x0, z0), uv(x0, z1), uv(x1, z1), uv(x1, z0)});
}

void ScnPartBuilder::AddBox(int16_t material, const platform::Vec3& low, const platform::Vec3& high, float uvSize) {
  using platform::Vec3;
  const float w = (high.x - low.x) / uvSize, d = (high.z - low.z) / uvSize, h = (high.y - low.y) / uvSize;
  // Each side seen from outside: bottom-left, top-left, top-right, bottom-right.
  AddQuad(material,
          {Vec3{low.x, low.y, low.z}, {low.x, high.y, low.z}, {high.x, high.y, low.z}, {high.x, low.y, low.z}},
          {{{0, h}, {0, 0}, {w, 0}, {w, h}}});
  AddQuad(material,
          {Vec3{high.x, low.y, low.z}, {high.x, high.y, low.z}, {high.x, high.y, high.z}, {high.x, low.y, high.z}},
          {{{0, h}, {0, 0}, {d, 0}, {d, h}}});
  AddQuad(material,
          {Vec3{high.x, low.y, high.z}, {high.x, high.y, high.z}, {low.x, high.y, high.z}, {low.x, low.y, high.z}},
          {{{0, h}, {0, 0}, {w, 0}, {w, h}}});
  AddQuad(material,
          {Vec3{low.x, low.y, high.z}, {low.x, high.y, high.z}, {low.x, high.y, low.z}, {low.x, low.y, low.z}},
          {{{0, h}, {0, 0}, {d, 0}, {d, h}}});
  AddFloor(material, low.x, low.z, high.x, high.z, high.y, uvSize);
}

PictureData PatternPicture(uint32_t size, const std::function<uint32_t(uint32_t, uint32_t)>& pattern) {
  PictureData picture(size, size);
  for (uint32_t y = 0; y < size; ++y)
    for (uint32_t x = 0; x < size; ++x) picture.Set(x, y, pattern(x, y));
  return picture;
}

uint32_t Speckle(uint32_t x, uint32_t y) {
  uint32_t h = x * 374761393u + y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return (h ^ (h >> 16)) & 0xFF;
}

}  // namespace contentgen
