// Writer of .MDL model files and the shape builders of the sample models.
#include "contentgen/mdl_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "contentgen/png_writer.h"
#include "platform/math/math.h"

namespace contentgen {

namespace {

using platform::Vec3;

constexpr double kAngleStep = 6.28318 / 255.0;

void WriteAnimation(ByteWriter& out, const MdlAnimation& animation) {
  out.Int32(animation.hasScroll ? 1 : 0);
  if (animation.hasScroll) {
    out.Float(animation.scrollU);
    out.Float(animation.scrollV);
  }
  out.Int32(animation.hasGrid ? 1 : 0);
  if (animation.hasGrid) {
    out.Int16(animation.columns);
    out.Int16(animation.rows);
    out.Float(animation.frameSeconds);
  }
}

void WriteMaterial(ByteWriter& out, const MdlMaterial& material) {
  out.String(material.name);
  out.Int32(material.id);
  out.Int32(material.doubleSided);
  out.Int32(material.collides);
  out.Int32(material.visible);
  out.Int32(material.lightValue);
  out.Int32(material.hasColourKey);
  if (material.hasColourKey != 0) {
    for (int16_t value : material.colourKey) out.Int16(value);
  }
  WriteAnimation(out, material.animation[0]);
  WriteAnimation(out, material.animation[1]);
  out.Int32(material.variantA);
  out.Int32(material.variantB);
  for (int16_t value : material.colours) out.Int16(value);
  out.Float(material.glossiness);
  out.Float(material.specularLevel);
  for (int32_t texture : material.textures) out.Int32(texture);
}

void WriteObject(ByteWriter& out, const MdlObject& object) {
  out.Vec3(object.origin);
  out.Int32(static_cast<int32_t>(object.vertexPositions.size()));
  for (int32_t index : object.vertexPositions) out.Int32(index);
  out.Int32(static_cast<int32_t>(object.positions.size()));
  for (const Vec3& position : object.positions) out.Vec3(position);
  out.Int16(object.hasUvs ? 1 : 0);
  if (object.hasUvs) {
    for (int32_t index : object.vertexUvs) out.Int32(index);
    out.Int32(static_cast<int32_t>(object.uvs.size()));
    for (const auto& [u, v] : object.uvs) {
      out.Float(u);
      out.Float(v);
    }
  }
  out.Int16(object.hasNormals ? 1 : 0);
  if (object.hasNormals) {
    for (int32_t index : object.vertexNormals) out.Int32(index);
    out.Int32(static_cast<int32_t>(object.normals.size()));
    for (const auto& [a, b] : object.normals) {
      out.Int8(static_cast<int8_t>(a));
      out.Int8(static_cast<int8_t>(b));
    }
  }
  out.Int32(static_cast<int32_t>(object.colours.size()));
  const size_t colours = std::min(object.colours.size(), object.vertexPositions.size());
  for (size_t i = 0; i < colours; ++i)
    for (int16_t value : object.colours[i]) out.Int16(value);
  out.Int32(0);  // a value readers skip
  out.Int32(static_cast<int32_t>(object.groups.size()));
  for (const MdlFaceGroup& group : object.groups) {
    out.Int16(group.material);
    out.Int32(static_cast<int32_t>(group.triangles.size()));
    for (const auto& triangle : group.triangles)
      for (int32_t index : triangle) out.Int32(index);
  }
}

int32_t PositionIndex(MdlObject& object, const Vec3& position) {
  for (size_t i = 0; i < object.positions.size(); ++i) {
    const Vec3& p = object.positions[i];
    if (p.x == position.x && p.y == position.y && p.z == position.z) return static_cast<int32_t>(i);
  }
  object.positions.push_back(position);
  return static_cast<int32_t>(object.positions.size() - 1);
}

// Adds one vertex of the object; returns its index.
int32_t AddVertex(MdlObject& object, const Vec3& position, const Vec3& normal, float u, float v) {
  object.vertexPositions.push_back(PositionIndex(object, position));
  object.vertexUvs.push_back(static_cast<int32_t>(object.uvs.size()));
  object.uvs.emplace_back(u, v);
  object.vertexNormals.push_back(static_cast<int32_t>(object.normals.size()));
  object.normals.push_back(PackNormalAngles(normal));
  return static_cast<int32_t>(object.vertexPositions.size() - 1);
}

// A quad whose corners run counter-clockwise seen from the side its normal points to.
void AddQuad(MdlObject& object, MdlFaceGroup& group, const Vec3 (&corners)[4], const Vec3& normal) {
  const float uvs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  int32_t index[4];
  for (int i = 0; i < 4; ++i) index[i] = AddVertex(object, corners[i], normal, uvs[i][0], uvs[i][1]);
  group.triangles.push_back({index[0], index[1], index[2]});
  group.triangles.push_back({index[0], index[2], index[3]});
}

MdlObject EmptyObject() {
  MdlObject object;
  object.hasUvs = true;
  object.hasNormals = true;
  return object;
}

}  // namespace

std::pair<uint8_t, uint8_t> PackNormalAngles(const Vec3& direction) {
  const Vec3 n = platform::Normalize(direction);
  const double polar = std::acos(std::clamp<double>(n.y, -1.0, 1.0));
  double azimuth = std::atan2(static_cast<double>(n.z), static_cast<double>(n.x));
  if (azimuth < 0) azimuth += 6.28318;
  const long a = std::lround(polar / kAngleStep);
  const long b = std::lround(azimuth / kAngleStep) % 255;
  return {static_cast<uint8_t>(std::clamp<long>(a, 0, 255)), static_cast<uint8_t>(b)};
}

std::vector<unsigned char> EncodeMdl(const MdlFile& file) {
  ByteWriter out;
  out.Float(file.scale);
  out.Int32(static_cast<int32_t>(file.objects.size()));
  out.Int32(static_cast<int32_t>(file.nodes.size()));
  out.Int32(static_cast<int32_t>(file.markers.size()));
  out.Int32(static_cast<int32_t>(file.paths.size()));
  out.Int32(static_cast<int32_t>(file.materials.size()));
  out.Int32(static_cast<int32_t>(file.textures.size()));
  for (const MdlTextureName& texture : file.textures) {
    out.String(texture.fileName);
    out.Int32(texture.slot);
  }
  for (const MdlMaterial& material : file.materials) WriteMaterial(out, material);
  for (const MdlObject& object : file.objects) WriteObject(out, object);
  for (const NodeRecord& node : file.nodes) WriteNodeRecord(out, node);
  for (const MarkerRecord& marker : file.markers) WriteMarkerRecord(out, marker);
  for (const PathRecord& path : file.paths) WritePathRecord(out, path);
  return out.Bytes();
}

bool WriteMdl(const std::string& fileName, const MdlFile& file) {
  // Written through a temporary file and a rename, with its folder made first.
  return WriteContentFile(fileName, EncodeMdl(file));
}

MdlObject BoxObject(const Vec3& boxMin, const Vec3& boxMax, int16_t material) {
  MdlObject object = EmptyObject();
  MdlFaceGroup group;
  group.material = material;
  const Vec3 centre = (boxMin + boxMax) * 0.5f;
  const Vec3 half = (boxMax - boxMin) * 0.5f;
  // Each side: outward normal n and tangents u, v with u × v = n.
  const Vec3 sides[6][3] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
      {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
  };
  auto scaled = [&](const Vec3& v) { return Vec3{v.x * half.x, v.y * half.y, v.z * half.z}; };
  for (const auto& side : sides) {
    const Vec3 n = scaled(side[0]), u = scaled(side[1]), v = scaled(side[2]);
    const Vec3 corners[4] = {centre + n - u - v, centre + n + u - v, centre + n + u + v, centre + n - u + v};
    AddQuad(object, group, corners, side[0]);
  }
  object.groups.push_back(std::move(group));
  return object;
}

MdlObject WheelObject(float radius, float halfWidth, int sides, int16_t material) {
  MdlObject object = EmptyObject();
  MdlFaceGroup group;
  group.material = material;
  sides = std::max(sides, 3);
  auto ring = [&](float x, int i) {
    const double angle = 6.283185307179586 * (i % sides) / sides;
    return Vec3{x, radius * static_cast<float>(std::cos(angle)), radius * static_cast<float>(std::sin(angle))};
  };
  for (int i = 0; i < sides; ++i) {
    const Vec3 corners[4] = {ring(-halfWidth, i), ring(-halfWidth, i + 1), ring(halfWidth, i + 1), ring(halfWidth, i)};
    const double mid = 6.283185307179586 * (i + 0.5) / sides;
    AddQuad(object, group, corners, {0, static_cast<float>(std::cos(mid)), static_cast<float>(std::sin(mid))});
  }
  for (int cap = 0; cap < 2; ++cap) {
    const float x = cap == 0 ? halfWidth : -halfWidth;
    const Vec3 normal{cap == 0 ? 1.0f : -1.0f, 0, 0};
    const int32_t centre = AddVertex(object, {x, 0, 0}, normal, 0.5f, 0.5f);
    std::vector<int32_t> rim;
    for (int i = 0; i < sides; ++i) rim.push_back(AddVertex(object, ring(x, i), normal, 0.5f, 0.5f));
    for (int i = 0; i < sides; ++i) {
      const int32_t a = rim[static_cast<size_t>(i)], b = rim[static_cast<size_t>((i + 1) % sides)];
      if (cap == 0) {
        group.triangles.push_back({centre, a, b});
      } else {
        group.triangles.push_back({centre, b, a});
      }
    }
  }
  object.groups.push_back(std::move(group));
  return object;
}

void AppendObject(MdlObject& into, const MdlObject& part) {
  const int32_t positionBase = static_cast<int32_t>(into.positions.size());
  const int32_t uvBase = static_cast<int32_t>(into.uvs.size());
  const int32_t normalBase = static_cast<int32_t>(into.normals.size());
  const int32_t vertexBase = static_cast<int32_t>(into.vertexPositions.size());
  into.positions.insert(into.positions.end(), part.positions.begin(), part.positions.end());
  into.uvs.insert(into.uvs.end(), part.uvs.begin(), part.uvs.end());
  into.normals.insert(into.normals.end(), part.normals.begin(), part.normals.end());
  for (int32_t index : part.vertexPositions) into.vertexPositions.push_back(index + positionBase);
  for (int32_t index : part.vertexUvs) into.vertexUvs.push_back(index + uvBase);
  for (int32_t index : part.vertexNormals) into.vertexNormals.push_back(index + normalBase);
  for (MdlFaceGroup group : part.groups) {
    for (auto& triangle : group.triangles)
      for (int32_t& index : triangle) index += vertexBase;
    into.groups.push_back(std::move(group));
  }
}

}  // namespace contentgen
