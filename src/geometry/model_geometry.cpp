// Triangle geometry: building operations, triangle boxes and normals, and the segment and sphere searches.
#include "geometry/model_geometry.h"

#include <cfloat>

#include "app/box_tests.h"
#include "platform/math/math.h"

namespace geometry {

namespace {

// One third as the float the corner-colour mean multiplies by.
constexpr float kOneThird = 0.33333334f;

}  // namespace

void ModelGeometry::SetPosition(const Vec3& position, int index) {
  if (index == -1) {
    positions_.push_back(position);
  } else if (index >= 0 && static_cast<size_t>(index) < positions_.size()) {
    positions_[index] = position;
  }
}

void ModelGeometry::SetColor(const Vec3& colour, int index) {
  if (index == -1) {
    colours_.push_back(colour);
  } else if (index >= 0 && static_cast<size_t>(index) < colours_.size()) {
    colours_[index] = colour;
  }
}

void ModelGeometry::AddTriangle(uint32_t a, uint32_t b, uint32_t c, int slot) { SetTriangle(a, b, c, 1, slot); }

void ModelGeometry::SetTriangle(uint32_t a, uint32_t b, uint32_t c, uint32_t flag, int slot) {
  if (slot == -1) {
    triangleFlags_.push_back(flag);
    cornerA_.push_back(a);
    cornerB_.push_back(b);
    cornerC_.push_back(c);
  } else if (slot >= 0 && static_cast<size_t>(slot) < cornerA_.size()) {
    cornerA_[slot] = a;
    cornerB_[slot] = b;
    cornerC_[slot] = c;
    if (static_cast<size_t>(slot) < triangleFlags_.size()) triangleFlags_[slot] = flag;
  }
}

void ModelGeometry::MergeDuplicatePositions() {
  auto rename = [this](uint32_t from, uint32_t to) {
    for (auto* corners : {&cornerA_, &cornerB_, &cornerC_})
      for (uint32_t& corner : *corners)
        if (corner == from) corner = to;
  };
  for (size_t i = 0; i < positions_.size(); ++i) {
    size_t j = i + 1;
    while (j < positions_.size()) {
      const Vec3& p = positions_[i];
      const Vec3& q = positions_[j];
      if (p.x != q.x || p.y != q.y || p.z != q.z) {
        ++j;
        continue;
      }
      rename(static_cast<uint32_t>(j), static_cast<uint32_t>(i));
      size_t last = positions_.size() - 1;
      positions_[j] = positions_[last];
      positions_.pop_back();
      rename(static_cast<uint32_t>(last), static_cast<uint32_t>(j));
      // Slot j now holds what was the last position: compare it again rather than stepping past it.
    }
  }
}

bool ModelGeometry::CornersInRange(size_t triangle) const {
  size_t count = positions_.size();
  return triangle < cornerA_.size() && cornerA_[triangle] < count && cornerB_[triangle] < count &&
         cornerC_[triangle] < count;
}

void ModelGeometry::Finalize() {
  if (positions_.empty()) return;
  app::Aabb bounds{positions_[0], positions_[0]};
  for (const Vec3& p : positions_) bounds.AddPoint(p);
  boundsMin_ = bounds.min;
  boundsMax_ = bounds.max;

  size_t count = TriangleCount();
  triangleMin_.assign(count, Vec3{});
  triangleMax_.assign(count, Vec3{});
  for (size_t t = 0; t < count; ++t) {
    app::Aabb box = app::Aabb::Empty();
    if (CornersInRange(t)) {
      box = {positions_[cornerA_[t]], positions_[cornerA_[t]]};
      box.AddPoint(positions_[cornerB_[t]]);
      box.AddPoint(positions_[cornerC_[t]]);
    }
    triangleMin_[t] = box.min;
    triangleMax_[t] = box.max;
  }
}

void ModelGeometry::ComputeFaceNormals() {
  faceNormals_.clear();
  faceNormals_.reserve(TriangleCount());
  for (size_t t = 0; t < TriangleCount(); ++t) {
    if (!CornersInRange(t)) {
      faceNormals_.push_back({});
      continue;
    }
    const Vec3& a = positions_[cornerA_[t]];
    const Vec3& b = positions_[cornerB_[t]];
    const Vec3& c = positions_[cornerC_[t]];
    faceNormals_.push_back(platform::Normalize(platform::Cross(c - b, b - a)));
  }
}

bool ModelGeometry::PointInTriangle(const Vec3& point, uint32_t triangle) const {
  if (!CornersInRange(triangle) || triangle >= faceNormals_.size()) return false;
  const Vec3& a = positions_[cornerA_[triangle]];
  const Vec3 e1 = positions_[cornerB_[triangle]] - a;
  const Vec3 e2 = positions_[cornerC_[triangle]] - a;
  const Vec3 d = point - a;
  const Vec3& n = faceNormals_[triangle];
  const Vec3 w = platform::Cross(n, e2);
  float s = platform::Dot(w, d);
  float den = platform::Dot(w, e1);
  float t = platform::Dot(platform::Cross(d, e1), n);
  return s >= 0 && s <= den && t >= 0 && s + t <= den;
}

bool ModelGeometry::ReadyForQueries() const {
  size_t count = TriangleCount();
  return count > 0 && faceNormals_.size() == count && triangleMin_.size() == count && triangleFlags_.size() == count;
}

Vec3 ModelGeometry::TriangleColour(uint32_t triangle) const {
  uint32_t a = cornerA_[triangle], b = cornerB_[triangle], c = cornerC_[triangle];
  size_t count = colours_.size();
  if (a >= count || b >= count || c >= count) return {1, 1, 1};
  return (colours_[a] + colours_[b] + colours_[c]) * kOneThird;
}

void ModelGeometry::SegmentTest(uint32_t t, const Vec3& start, const Vec3& end, SurfaceHit& hit, float& best) const {
  if (!CornersInRange(t)) return;
  const Vec3& corner = positions_[cornerA_[t]];
  const Vec3& n = faceNormals_[t];
  int startSide = app::ClassifyPointPlane(start, corner, n);
  int endSide = app::ClassifyPointPlane(end, corner, n);
  // Only segments that start in front of (or on) the plane and end elsewhere can cross: back faces never hit.
  if (startSide == endSide || startSide == app::kPlaneBehind) return;
  Vec3 crossing;
  if (!app::SegmentPlaneIntersection(start, end, corner, n, crossing)) return;
  if (!PointInTriangle(crossing, t)) return;
  float distance = platform::Length(crossing - start);
  if (distance < best) {
    best = distance;
    hit.point = crossing;
    hit.normal = n;
    hit.flag = triangleFlags_[t];
    hit.colour = TriangleColour(t);
  }
}

void ModelGeometry::SphereTest(uint32_t t, const Vec3& start, const Vec3& end, float radius, float& bestSlope,
                               SurfaceHit& hit, float& best) const {
  if (!CornersInRange(t)) return;
  const Vec3& corner = positions_[cornerA_[t]];
  const Vec3& n = faceNormals_[t];
  int startSide = app::ClassifyPointPlane(start, corner, n);
  int endSide = app::ClassifyPointPlaneOffset(end, corner, n, radius);
  // A start behind the plane would otherwise let the sphere catch the triangle's back face.
  if (startSide == endSide || endSide == app::kPlaneFront || startSide == app::kPlaneBehind) return;

  Vec3 crossing;
  if (!app::LinePlaneIntersection(start, end - n * radius, corner, n, crossing)) return;
  if (PointInTriangle(crossing, t)) {
    float distance = platform::Length(crossing - start);
    if (distance < best) {
      best = distance;
      hit.point = crossing;
      hit.centre = crossing + n * radius;
      hit.normal = n;
      hit.flag = triangleFlags_[t];
      hit.colour = TriangleColour(t);
    }
    return;
  }

  // The face was missed: the sphere may still graze an edge or a corner.
  Vec3 edgePoint;
  app::ClosestPointOnTriangleEdges(corner, positions_[cornerB_[t]], positions_[cornerC_[t]], start, edgePoint);
  if (!(platform::Length(end - edgePoint) <= radius)) return;
  float distance = platform::Length(edgePoint - start);
  if (!(distance <= best)) return;
  Vec3 away = platform::Normalize(end - edgePoint);
  float slope = platform::Dot(away, n);
  if (!(slope < bestSlope)) return;
  if (app::ClassifyPointPlane(end, corner, n) != app::kPlaneFront) return;
  best = distance;
  bestSlope = slope;
  hit.point = edgePoint;
  hit.normal = away;
  hit.centre = edgePoint + away * radius;
  hit.flag = triangleFlags_[t];
  hit.colour = TriangleColour(t);
}

bool ModelGeometry::SegmentHit(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax,
                               SurfaceHit& hit, float& best) const {
  if (!ReadyForQueries() || !app::AabbOverlap(boundsMin_, boundsMax_, boxMin, boxMax)) return best != kNoHitDistance;
  for (uint32_t t = 0; t < TriangleCount(); ++t) {
    if (!app::AabbOverlap(triangleMin_[t], triangleMax_[t], boxMin, boxMax)) continue;
    SegmentTest(t, start, end, hit, best);
  }
  return best != kNoHitDistance;
}

bool ModelGeometry::SegmentHitInList(const std::vector<uint32_t>& triangles, const Vec3& start, const Vec3& end,
                                     const Vec3& boxMin, const Vec3& boxMax, SurfaceHit& hit, float& best) const {
  if (!ReadyForQueries() || !app::AabbOverlap(boundsMin_, boundsMax_, boxMin, boxMax)) return best != kNoHitDistance;
  for (uint32_t t : triangles) {
    if (t >= TriangleCount() || !app::AabbOverlap(triangleMin_[t], triangleMax_[t], boxMin, boxMax)) continue;
    SegmentTest(t, start, end, hit, best);
  }
  return best != kNoHitDistance;
}

bool ModelGeometry::SphereHit(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax,
                              float radius, SurfaceHit& hit, float& best) const {
  if (!ReadyForQueries() || !app::AabbOverlap(boundsMin_, boundsMax_, boxMin, boxMax)) return best != kNoHitDistance;
  float bestSlope = 1.0f;
  for (uint32_t t = 0; t < TriangleCount(); ++t) {
    if (!app::AabbOverlap(triangleMin_[t], triangleMax_[t], boxMin, boxMax)) continue;
    SphereTest(t, start, end, radius, bestSlope, hit, best);
  }
  return best != kNoHitDistance;
}

bool ModelGeometry::SphereHitInList(const std::vector<uint32_t>& triangles, const Vec3& start, const Vec3& end,
                                    const Vec3& boxMin, const Vec3& boxMax, float radius, SurfaceHit& hit,
                                    float& best) const {
  if (!ReadyForQueries() || !app::AabbOverlap(boundsMin_, boundsMax_, boxMin, boxMax)) return best != kNoHitDistance;
  float bestSlope = 1.0f;
  for (uint32_t t : triangles) {
    if (t >= TriangleCount() || !app::AabbOverlap(triangleMin_[t], triangleMax_[t], boxMin, boxMax)) continue;
    SphereTest(t, start, end, radius, bestSlope, hit, best);
  }
  return best != kNoHitDistance;
}

}  // namespace geometry
