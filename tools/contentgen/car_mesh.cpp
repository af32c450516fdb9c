// Car model triangle soup: outward pieces, smoothed normals and the model object.
#include "contentgen/car_mesh.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "platform/math/math.h"

namespace contentgen {

namespace {

using platform::Vec3;

constexpr double kPi = 3.14159265358979323846;

// Corners closer than a hundredth of an inch share their normal.
std::tuple<long, long, long> PositionKey(const Vec3& p) {
  return {std::lround(p.x * 100.0f), std::lround(p.y * 100.0f), std::lround(p.z * 100.0f)};
}

}  // namespace

Vec3 FaceNormal(const MeshTriangle& triangle) {
  const Vec3 n = platform::Cross(triangle.corners[1] - triangle.corners[0], triangle.corners[2] - triangle.corners[0]);
  const float length = platform::Length(n);
  return length > 1e-9f ? n * (1.0f / length) : Vec3{0, 1, 0};
}

void CarMesh::BeginPiece() { pieceStart_ = triangles_.size(); }

void CarMesh::EndPiece(const Vec3& inside) {
  double volume = 0;
  for (size_t i = pieceStart_; i < triangles_.size(); ++i) {
    const MeshTriangle& t = triangles_[i];
    const Vec3 a = t.corners[0] - inside, b = t.corners[1] - inside, c = t.corners[2] - inside;
    volume += platform::Dot(a, platform::Cross(b, c));
  }
  if (volume >= 0) return;
  for (size_t i = pieceStart_; i < triangles_.size(); ++i) {
    MeshTriangle& t = triangles_[i];
    std::swap(t.corners[1], t.corners[2]);
    std::swap(t.uvs[1], t.uvs[2]);
  }
}

// Flat triangles are kept: a bent or reshaped copy of a body must keep every corner in the same order.
void CarMesh::AddTriangle(const MeshTriangle& triangle) { triangles_.push_back(triangle); }

void CarMesh::AddQuad(const Vec3 (&corners)[4], const float (&uvs)[4][2], int16_t material) {
  for (const auto& [i, j, k] : {std::tuple{0, 1, 2}, std::tuple{0, 2, 3}}) {
    MeshTriangle t;
    t.material = material;
    const int index[3] = {i, j, k};
    for (int c = 0; c < 3; ++c) {
      t.corners[c] = corners[index[c]];
      t.uvs[c][0] = uvs[index[c]][0];
      t.uvs[c][1] = uvs[index[c]][1];
    }
    AddTriangle(t);
  }
}

void CarMesh::AddBox(const Vec3& lo, const Vec3& hi, int16_t material) {
  BeginPiece();
  const Vec3 c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z},
                     {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
  const int faces[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 4, 7, 3}, {1, 2, 6, 5}, {3, 7, 6, 2}, {0, 1, 5, 4}};
  const float uvs[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
  for (const auto& f : faces) AddQuad({c[f[0]], c[f[1]], c[f[2]], c[f[3]]}, uvs, material);
  EndPiece((lo + hi) * 0.5f);
}

void CarMesh::AddCylinderZ(float x, float y, float z0, float z1, float radius, int sides, int16_t material) {
  BeginPiece();
  auto at = [&](int i, float z) {
    const double a = 2 * kPi * i / sides;
    return Vec3{x + radius * static_cast<float>(std::cos(a)), y + radius * static_cast<float>(std::sin(a)), z};
  };
  for (int i = 0; i < sides; ++i) {
    const float u0 = float(i) / sides, u1 = float(i + 1) / sides;
    AddQuad({at(i, z0), at(i + 1, z0), at(i + 1, z1), at(i, z1)}, {{u0, 1}, {u1, 1}, {u1, 0}, {u0, 0}}, material);
    // The two caps face opposite ways, so their corners run opposite ways round.
    for (float z : {z0, z1}) {
      MeshTriangle cap;
      cap.material = material;
      cap.corners[0] = {x, y, z};
      cap.corners[1] = at(z == z1 ? i : i + 1, z);
      cap.corners[2] = at(z == z1 ? i + 1 : i, z);
      cap.uvs[0][0] = cap.uvs[0][1] = 0.5f;
      AddTriangle(cap);
    }
  }
  EndPiece({x, y, (z0 + z1) * 0.5f});
}

void CarMesh::Append(const CarMesh& other) {
  triangles_.insert(triangles_.end(), other.triangles_.begin(), other.triangles_.end());
}

void CarMesh::Remap(
    const std::function<int16_t(const MeshTriangle&, const Vec3& centroid, const Vec3& normal)>& remap) {
  for (MeshTriangle& t : triangles_) {
    const Vec3 centroid = (t.corners[0] + t.corners[1] + t.corners[2]) * (1.0f / 3.0f);
    t.material = remap(t, centroid, FaceNormal(t));
  }
}

void CarMesh::Transform(const std::function<Vec3(const Vec3&)>& move) {
  for (MeshTriangle& t : triangles_) {
    for (Vec3& corner : t.corners) corner = move(corner);
  }
}

MdlObject CarMesh::ToObject(float smoothAngleDegrees) const {
  MdlObject object;
  object.hasUvs = true;
  object.hasNormals = true;
  const float limit = static_cast<float>(std::cos(smoothAngleDegrees * kPi / 180.0));
  std::vector<Vec3> faceNormals, weighted;
  std::map<std::tuple<long, long, long>, std::vector<size_t>> byPosition;
  for (size_t i = 0; i < triangles_.size(); ++i) {
    const MeshTriangle& t = triangles_[i];
    faceNormals.push_back(FaceNormal(t));
    weighted.push_back(platform::Cross(t.corners[1] - t.corners[0], t.corners[2] - t.corners[0]));
    for (const Vec3& corner : t.corners) byPosition[PositionKey(corner)].push_back(i);
  }
  std::map<int16_t, MdlFaceGroup> groups;
  for (size_t i = 0; i < triangles_.size(); ++i) {
    const MeshTriangle& t = triangles_[i];
    std::array<int32_t, 3> indices{};
    for (int c = 0; c < 3; ++c) {
      Vec3 normal{0, 0, 0};
      for (size_t other : byPosition[PositionKey(t.corners[c])]) {
        if (triangles_[other].material != t.material) continue;
        if (platform::Dot(faceNormals[other], faceNormals[i]) < limit) continue;
        normal = normal + weighted[other];
      }
      if (platform::LengthSquared(normal) < 1e-12f) normal = faceNormals[i];
      const int32_t vertex = static_cast<int32_t>(object.positions.size());
      object.positions.push_back(t.corners[c]);
      object.vertexPositions.push_back(vertex);
      object.uvs.emplace_back(t.uvs[c][0], t.uvs[c][1]);
      object.vertexUvs.push_back(vertex);
      object.normals.push_back(PackNormalAngles(normal));
      object.vertexNormals.push_back(vertex);
      indices[c] = vertex;
    }
    MdlFaceGroup& group = groups[t.material];
    group.material = t.material;
    group.triangles.push_back(indices);
  }
  for (auto& [material, group] : groups) object.groups.push_back(std::move(group));
  return object;
}

}  // namespace contentgen
