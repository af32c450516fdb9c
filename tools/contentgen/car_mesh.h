// A triangle soup for building car models: pieces whose winding is made outward, smoothed vertex normals, and
// the conversion into one model object with a face group per material.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "contentgen/mdl_writer.h"
#include "platform/math/types.h"

namespace contentgen {

struct MeshTriangle {
  platform::Vec3 corners[3];
  float uvs[3][2] = {};
  int16_t material = 0;
};

class CarMesh {
 public:
  // Triangles added between BeginPiece and EndPiece form one piece whose winding EndPiece makes point away from
  // `inside` (a point within the piece's volume).
  void BeginPiece();
  void EndPiece(const platform::Vec3& inside);
  void AddTriangle(const MeshTriangle& triangle);
  // Two triangles a-b-c, a-c-d; uvs given per corner.
  void AddQuad(const platform::Vec3 (&corners)[4], const float (&uvs)[4][2], int16_t material);
  // A closed box between two corners (uvs 0..1 per side).
  void AddBox(const platform::Vec3& boxMin, const platform::Vec3& boxMax, int16_t material);
  // A closed cylinder along the z axis from z0 to z1 around (x, y), `sides` around.
  void AddCylinderZ(float x, float y, float z0, float z1, float radius, int sides, int16_t material);
  void Append(const CarMesh& other);

  // Gives every triangle a new material from its centroid, its face normal and its current material.
  void Remap(const std::function<int16_t(const MeshTriangle&, const platform::Vec3& centroid,
                                         const platform::Vec3& normal)>& remap);
  // Moves every corner (the order of the positions is kept).
  void Transform(const std::function<platform::Vec3(const platform::Vec3&)>& move);

  // One object: every corner its own position (so a bent copy keeps the order), normals averaged over the faces
  // of the same material meeting at a corner within smoothAngle degrees.
  MdlObject ToObject(float smoothAngleDegrees) const;

  const std::vector<MeshTriangle>& Triangles() const { return triangles_; }
  size_t TriangleCount() const { return triangles_.size(); }

 private:
  std::vector<MeshTriangle> triangles_;
  size_t pieceStart_ = 0;
};

platform::Vec3 FaceNormal(const MeshTriangle& triangle);

}  // namespace contentgen
