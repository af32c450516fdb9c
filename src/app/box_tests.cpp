// Axis-aligned boxes and the point, segment, plane and triangle-edge tests.
#include "app/box_tests.h"

#include <cfloat>
#include <cmath>
#include <initializer_list>

namespace app {

namespace {

constexpr float kPlaneEpsilon = 0.00001f;

Vec3 Subtract(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 AddScaled(const Vec3& a, const Vec3& direction, float t) {
  return {a.x + t * direction.x, a.y + t * direction.y, a.z + t * direction.z};
}
float DistanceSquared(const Vec3& a, const Vec3& b) {
  const Vec3 d = Subtract(a, b);
  return Dot(d, d);
}

}  // namespace

Aabb Aabb::Empty() { return {{FLT_MAX, FLT_MAX, FLT_MAX}, {-FLT_MAX, -FLT_MAX, -FLT_MAX}}; }

void Aabb::AddPoint(float x, float y, float z) {
  if (x < min.x) min.x = x;
  if (x > max.x) max.x = x;
  if (y < min.y) min.y = y;
  if (y > max.y) max.y = y;
  if (z < min.z) min.z = z;
  if (z > max.z) max.z = z;
}

bool PointInBoxInset(const Vec3& boxMin, const Vec3& boxMax, const Vec3& point, float margin) {
  return point.x >= boxMin.x + margin && point.x <= boxMax.x - margin && point.y >= boxMin.y + margin &&
         point.y <= boxMax.y - margin && point.z >= boxMin.z + margin && point.z <= boxMax.z - margin;
}

bool PointInBoxPadded(const Vec3& boxMin, const Vec3& boxMax, const Vec3& point, float margin) {
  return point.x >= boxMin.x - margin && point.x <= boxMax.x + margin && point.y >= boxMin.y - margin &&
         point.y <= boxMax.y + margin && point.z >= boxMin.z - margin && point.z <= boxMax.z + margin;
}

int ClassifyPointPlaneOffset(const Vec3& a, const Vec3& b, const Vec3& normal, float offset) {
  const float d = Dot(Subtract(b, a), normal) + offset;
  if (d < -kPlaneEpsilon) return kPlaneFront;
  if (d > kPlaneEpsilon) return kPlaneBehind;
  return kPlaneOn;
}

int ClassifyPointPlane(const Vec3& a, const Vec3& b, const Vec3& normal) {
  return ClassifyPointPlaneOffset(a, b, normal, 0.0f);
}

float AngleBetween(const Vec3& a, const Vec3& b) {
  float dot = Dot(a, b);
  if (dot > 1.0f) dot = 1.0f;
  if (dot < -1.0f) dot = -1.0f;
  return std::acos(dot);
}

Vec3 ClosestPointOnSegment(const Vec3& a, const Vec3& b, const Vec3& point) {
  const Vec3 edge = Subtract(b, a);
  const float lengthSquared = Dot(edge, edge);
  if (!(lengthSquared > 0.0f)) return a;
  const float t = Dot(Subtract(point, a), edge) / lengthSquared;
  if (t < 0.0f) return a;
  if (t > 1.0f) return b;
  return AddScaled(a, edge, t);
}

void ClosestPointOnSegment(const Vec3& a, const Vec3& b, const Vec3& point, Vec3& out) {
  out = ClosestPointOnSegment(a, b, point);
}

namespace {

// Shared by the segment and line forms; t is the crossing's parameter along a..b.
bool PlaneCrossing(const Vec3& a, const Vec3& b, const Vec3& planePoint, const Vec3& normal, float& t) {
  const Vec3 direction = Subtract(b, a);
  const float denominator = Dot(direction, normal);
  if (!(std::fabs(denominator) >= kPlaneEpsilon)) return false;
  t = Dot(Subtract(planePoint, a), normal) / denominator;
  return true;
}

}  // namespace

bool SegmentPlaneIntersection(const Vec3& a, const Vec3& b, const Vec3& planePoint, const Vec3& normal, Vec3& out) {
  float t = 0.0f;
  if (!PlaneCrossing(a, b, planePoint, normal, t)) return false;
  if (t < 0.0f || t > 1.0f) return false;
  out = AddScaled(a, Subtract(b, a), t);
  return true;
}

bool LinePlaneIntersection(const Vec3& a, const Vec3& b, const Vec3& planePoint, const Vec3& normal, Vec3& out) {
  float t = 0.0f;
  if (!PlaneCrossing(a, b, planePoint, normal, t)) return false;
  out = AddScaled(a, Subtract(b, a), t);
  return true;
}

void ClosestPointOnTriangleEdges(const Vec3& p, const Vec3& q, const Vec3& r, const Vec3& point, Vec3& out) {
  Vec3 best = ClosestPointOnSegment(p, q, point);
  float bestDistance = DistanceSquared(best, point);
  for (const Vec3 candidate : {ClosestPointOnSegment(q, r, point), ClosestPointOnSegment(r, p, point)}) {
    const float distance = DistanceSquared(candidate, point);
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  out = best;
}

namespace {

uint32_t PackComponent(float c) {
  const float scaled = c * 127.0f + 128.0f;
  if (!(scaled > 0.0f)) return 0;  // also NaN
  if (scaled >= 255.0f) return 255;
  return static_cast<uint32_t>(scaled);
}

}  // namespace

uint32_t PackNormalColor(float x, float y, float z) {
  return 0xFF000000u | (PackComponent(x) << 16) | (PackComponent(y) << 8) | PackComponent(z);
}

}  // namespace app
