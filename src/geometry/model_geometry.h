// Triangle geometry of a model, collision file or scene: positions, triangles, face normals, boxes and the
// segment and moving-sphere searches that cars, cameras and the race ask of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/math/types.h"

namespace geometry {

using platform::Vec3;

// The distance every search starts from; a search reports a hit when the best distance changed from it.
constexpr float kNoHitDistance = 99999.0f;

// What a search found. The search writes it only when it finds a contact nearer than the best so far, so after a
// false result it still holds whatever the caller put there.
struct SurfaceHit {
  Vec3 point;               // segment: crossing point; sphere: contact point on the surface
  Vec3 centre;              // sphere only: the sphere's centre at contact
  Vec3 normal;              // face normal, or for an edge contact the direction from the edge to the path's end
  uint32_t flag = 0;        // the triangle's flag (material index for collision files)
  uint32_t triangle = 0;    // which triangle was hit
  Vec3 colour{1, 1, 1};     // mean of the triangle's corner colours, white without colours
};

class ModelGeometry {
 public:
  // index −1 appends; an index below the count overwrites; any other index is ignored.
  void SetPosition(const Vec3& position, int index = -1);
  void SetColor(const Vec3& colour, int index = -1);
  // SetTriangle with flag 1.
  void AddTriangle(uint32_t a, uint32_t b, uint32_t c, int slot = -1);
  // slot −1 appends; a slot below the triangle count overwrites corners and flag; any other slot is ignored.
  void SetTriangle(uint32_t a, uint32_t b, uint32_t c, uint32_t flag, int slot = -1);

  // Merges exactly equal positions, renaming corner indices; the last position fills each freed slot.
  void MergeDuplicatePositions();
  // Box of all positions and per-triangle boxes. A triangle naming a position that does not exist gets an empty
  // box, so no box test, partition or search ever reaches it.
  void Finalize();
  // Unit normal (C − B) × (B − A) per triangle; zero for a triangle without area.
  void ComputeFaceNormals();

  size_t PositionCount() const { return positions_.size(); }
  size_t TriangleCount() const { return cornerA_.size(); }
  const Vec3& GetPosition(size_t index) const { return positions_[index]; }
  const Vec3& GetTriangleMin(size_t triangle) const { return triangleMin_[triangle]; }
  const Vec3& GetTriangleMax(size_t triangle) const { return triangleMax_[triangle]; }
  const Vec3& BoundsMin() const { return boundsMin_; }
  const Vec3& BoundsMax() const { return boundsMax_; }
  const std::vector<Vec3>& Positions() const { return positions_; }
  const std::vector<Vec3>& Colours() const { return colours_; }
  const std::vector<Vec3>& FaceNormals() const { return faceNormals_; }
  const std::vector<uint32_t>& CornerA() const { return cornerA_; }
  const std::vector<uint32_t>& CornerB() const { return cornerB_; }
  const std::vector<uint32_t>& CornerC() const { return cornerC_; }
  const std::vector<uint32_t>& TriangleFlags() const { return triangleFlags_; }
  // True when every corner names an existing position.
  bool CornersInRange(size_t triangle) const;

  // True when the point, taken to lie in the triangle's plane, is inside it or on its border.
  bool PointInTriangle(const Vec3& point, uint32_t triangle) const;

  // Nearest front-face crossing of the segment start→end among the triangles whose boxes meet the query box.
  // best is in/out (callers pass kNoHitDistance); returns best != kNoHitDistance. Only triangles whose face
  // normal points toward the start can be hit; equal distances keep the first triangle visited.
  bool SegmentHit(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax, SurfaceHit& hit,
                  float& best) const;
  // The same among the listed triangles, in list order; indices beyond the triangle count are skipped.
  bool SegmentHitInList(const std::vector<uint32_t>& triangles, const Vec3& start, const Vec3& end,
                        const Vec3& boxMin, const Vec3& boxMax, SurfaceHit& hit, float& best) const;

  // First contact of a sphere of the radius moved from start to end. Distances are measured from start to the
  // contact point. Face contacts need a strictly nearer distance; edge contacts accept an equal one when their
  // slope against the face is smaller than the last edge contact's. A sphere whose start lies behind a plane
  // never touches that plane's triangle.
  bool SphereHit(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax, float radius,
                 SurfaceHit& hit, float& best) const;
  bool SphereHitInList(const std::vector<uint32_t>& triangles, const Vec3& start, const Vec3& end,
                       const Vec3& boxMin, const Vec3& boxMax, float radius, SurfaceHit& hit, float& best) const;

  // The two searches for callers that want only where and which way: the flag, triangle and colour stay inside.
  // As above, the outputs change only when a nearer contact is found.
  bool SegmentHitSimple(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax, Vec3& point,
                        Vec3& normal, float& best) const;
  bool SphereHitSimple(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax, float radius,
                       Vec3& centre, Vec3& contact, Vec3& normal, float& best) const;

 private:
  bool ReadyForQueries() const;
  Vec3 TriangleColour(uint32_t triangle) const;
  void SegmentTest(uint32_t triangle, const Vec3& start, const Vec3& end, SurfaceHit& hit, float& best) const;
  void SphereTest(uint32_t triangle, const Vec3& start, const Vec3& end, float radius, float& bestSlope,
                  SurfaceHit& hit, float& best) const;

  Vec3 boundsMax_, boundsMin_;
  std::vector<Vec3> triangleMax_;
  std::vector<Vec3> triangleMin_;
  std::vector<Vec3> positions_;
  std::vector<Vec3> colours_;
  std::vector<Vec3> faceNormals_;
  std::vector<uint32_t> cornerA_, cornerB_, cornerC_;
  std::vector<uint32_t> triangleFlags_;
};

}  // namespace geometry
