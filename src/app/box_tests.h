// Axis-aligned boxes and the point, segment, plane and triangle-edge tests the geometry, scene and vehicle code share.
#pragma once

#include <cstdint>

#include "platform/math/types.h"

namespace app {

using platform::Vec3;

// An axis-aligned box given by its minimum and maximum corners.
struct Aabb {
  Vec3 min;
  Vec3 max;

  // A box that any first added point replaces on both corners.
  static Aabb Empty();
  // Grows the box to take in the point; the minimum and maximum tests are independent per axis, so the first
  // point added to an Empty() box sets both corners.
  void AddPoint(float x, float y, float z);
  void AddPoint(const Vec3& point) { AddPoint(point.x, point.y, point.z); }
};

// Containment and overlap include the bounds (touching faces count) and compare x, then y, then z; a NaN
// component fails every comparison, so a box with a NaN corner is neither inside nor overlapping.

// True when box b lies inside box a on all three axes.
inline bool AabbContains(const Vec3& aMin, const Vec3& aMax, const Vec3& bMin, const Vec3& bMax) {
  return bMax.x <= aMax.x && bMin.x >= aMin.x && bMax.y <= aMax.y && bMin.y >= aMin.y && bMax.z <= aMax.z &&
         bMin.z >= aMin.z;
}
// True when the boxes overlap on all three axes.
inline bool AabbOverlap(const Vec3& aMin, const Vec3& aMax, const Vec3& bMin, const Vec3& bMax) {
  return bMax.x >= aMin.x && bMin.x <= aMax.x && bMax.y >= aMin.y && bMin.y <= aMax.y && bMax.z >= aMin.z &&
         bMin.z <= aMax.z;
}
// The same two tests on x and z only (the ground plane of the quadtree).
inline bool AabbContainsXZ(const Vec3& aMin, const Vec3& aMax, const Vec3& bMin, const Vec3& bMax) {
  return bMax.x <= aMax.x && bMin.x >= aMin.x && bMax.z <= aMax.z && bMin.z >= aMin.z;
}
inline bool AabbOverlapXZ(const Vec3& aMin, const Vec3& aMax, const Vec3& bMin, const Vec3& bMax) {
  return bMax.x >= aMin.x && bMin.x <= aMax.x && bMax.z >= aMin.z && bMin.z <= aMax.z;
}

inline bool AabbContains(const Aabb& a, const Aabb& b) { return AabbContains(a.min, a.max, b.min, b.max); }
inline bool AabbOverlap(const Aabb& a, const Aabb& b) { return AabbOverlap(a.min, a.max, b.min, b.max); }
inline bool AabbContainsXZ(const Aabb& a, const Aabb& b) { return AabbContainsXZ(a.min, a.max, b.min, b.max); }
inline bool AabbOverlapXZ(const Aabb& a, const Aabb& b) { return AabbOverlapXZ(a.min, a.max, b.min, b.max); }

// True when the point lies in the box shrunk by margin on every side (bounds included).
bool PointInBoxInset(const Vec3& boxMin, const Vec3& boxMax, const Vec3& point, float margin);
// True when the point lies in the box grown by margin on every side (bounds included).
bool PointInBoxPadded(const Vec3& boxMin, const Vec3& boxMax, const Vec3& point, float margin);

// Side of a plane: d = (b − a) · normal (+ offset); 0 when d < −0.00001, 1 when d > 0.00001, 2 otherwise.
// With the tested point as a and a point of the plane as b, 0 means the point is in front (the side the normal
// points to), 1 behind, 2 on the plane.
enum PlaneSide : int { kPlaneFront = 0, kPlaneBehind = 1, kPlaneOn = 2 };
int ClassifyPointPlane(const Vec3& a, const Vec3& b, const Vec3& normal);
int ClassifyPointPlaneOffset(const Vec3& a, const Vec3& b, const Vec3& normal, float offset);

// Angle in radians between two unit vectors; a dot product rounded outside −1..1 is clamped, so parallel
// vectors give 0 or π, never NaN.
float AngleBetween(const Vec3& a, const Vec3& b);

// The point of segment ab nearest to point. A degenerate segment (a equal to b) gives a.
Vec3 ClosestPointOnSegment(const Vec3& a, const Vec3& b, const Vec3& point);
void ClosestPointOnSegment(const Vec3& a, const Vec3& b, const Vec3& point, Vec3& out);

// Where segment ab crosses the plane through planePoint with that normal. False, out untouched, when the
// segment is parallel to the plane (|(b − a) · normal| < 0.00001) or the crossing lies outside a..b.
bool SegmentPlaneIntersection(const Vec3& a, const Vec3& b, const Vec3& planePoint, const Vec3& normal, Vec3& out);
// The same for the infinite line through a and b.
bool LinePlaneIntersection(const Vec3& a, const Vec3& b, const Vec3& planePoint, const Vec3& normal, Vec3& out);

// The point nearest to point on the edges pq, qr and rp of a triangle; an edge replaces the earlier answer only
// when strictly nearer.
void ClosestPointOnTriangleEdges(const Vec3& p, const Vec3& q, const Vec3& r, const Vec3& point, Vec3& out);

// A unit vector packed as an opaque colour: alpha 255, then red, green, blue = each component c as
// trunc(c · 127 + 128), clamped to 0-255. A R G B from the most significant byte down.
uint32_t PackNormalColor(float x, float y, float z);
inline uint32_t PackNormalColor(const Vec3& normal) { return PackNormalColor(normal.x, normal.y, normal.z); }

}  // namespace app
