// Triangle geometry: building operations, triangle boxes and normals, and the segment and sphere searches.
#include "geometry/model_geometry.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstring>

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
  // Each slot with a position equal to an earlier one is merged into it: its corners are renamed, the last
  // position fills the slot, the corners of the last position follow it, and the filled slot is compared again.
  // Instead of comparing every pair, positions are grouped by value first and every corner list by the
  // position it names, so the same moves and renames happen in the same order at a fraction of the cost.
  const size_t count = positions_.size();
  if (count < 2 || count > UINT32_MAX) return;
  constexpr uint32_t kNone = UINT32_MAX;

  // Groups of exactly equal positions: −0 equals +0, and a position with a NaN equals nothing, not even itself.
  auto key = [](const Vec3& p) {
    auto bits = [](float v) {
      v += 0.0f;  // −0 becomes +0
      uint32_t b;
      std::memcpy(&b, &v, sizeof b);
      return b;
    };
    return std::array<uint32_t, 3>{bits(p.x), bits(p.y), bits(p.z)};
  };
  auto hasNaN = [](const Vec3& p) { return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z); };
  std::vector<uint32_t> byValue(count);
  for (uint32_t i = 0; i < count; ++i) byValue[i] = i;
  std::sort(byValue.begin(), byValue.end(), [&](uint32_t a, uint32_t b) {
    const auto ka = key(positions_[a]), kb = key(positions_[b]);
    return ka != kb ? ka < kb : a < b;
  });
  std::vector<uint32_t> group(count), groupStart, groupSize, place(count);
  for (size_t k = 0; k < count; ++k) {
    const uint32_t index = byValue[k];
    const bool joins = k > 0 && !hasNaN(positions_[index]) && key(positions_[index]) == key(positions_[byValue[k - 1]]);
    if (!joins) {
      groupStart.push_back(static_cast<uint32_t>(k));
      groupSize.push_back(0);
    }
    group[index] = static_cast<uint32_t>(groupStart.size() - 1);
    place[index] = static_cast<uint32_t>(k);
    ++groupSize.back();
  }
  std::vector<uint32_t>& members = byValue;  // members of group g: members[groupStart[g] .. + groupSize[g]]

  // Corners naming each position, as lists through the corner slots (slot 3t + k is corner k of triangle t).
  std::vector<uint32_t>* lists[3] = {&cornerA_, &cornerB_, &cornerC_};
  const size_t triangles = std::min({cornerA_.size(), cornerB_.size(), cornerC_.size()});
  std::vector<uint32_t> head(count, kNone), tail(count, kNone), next(triangles * 3, kNone);
  auto corner = [&](uint32_t slot) -> uint32_t& { return (*lists[slot % 3])[slot / 3]; };
  for (uint32_t slot = 0; slot < triangles * 3; ++slot) {
    const uint32_t named = corner(slot);
    if (named >= count) continue;
    if (head[named] == kNone) {
      head[named] = slot;
    } else {
      next[tail[named]] = slot;
    }
    tail[named] = slot;
  }
  auto rename = [&](uint32_t from, uint32_t to) {
    if (from == to || head[from] == kNone) return;
    for (uint32_t slot = head[from]; slot != kNone; slot = next[slot]) corner(slot) = to;
    next[tail[from]] = head[to];
    if (head[to] == kNone) tail[to] = tail[from];
    head[to] = head[from];
    head[from] = tail[from] = kNone;
  };

  std::vector<uint32_t> later;  // the other members of the group being merged, lowest first
  for (uint32_t i = 0; i < positions_.size(); ++i) {
    const uint32_t g = group[i];
    if (groupSize[g] < 2) continue;
    // Every earlier slot of this value merged it already, so i is the group's lowest member.
    later.clear();
    for (uint32_t k = groupStart[g]; k < groupStart[g] + groupSize[g]; ++k)
      if (members[k] != i) later.push_back(members[k]);
    std::sort(later.begin(), later.end());
    size_t front = 0, back = later.size();
    while (front < back) {
      const uint32_t j = later[front];
      rename(j, i);
      const uint32_t last = static_cast<uint32_t>(positions_.size() - 1);
      if (last != j) {
        const uint32_t moved = group[last];
        positions_[j] = positions_[last];
        group[j] = moved;
        if (moved == g) {
          --back;  // the last position was the group's highest member; slot j holds an equal one again
        } else {
          ++front;
          members[place[last]] = j;
          place[j] = place[last];
        }
      } else {
        ++front;
      }
      positions_.pop_back();
      rename(last, j);
    }
    groupSize[g] = 1;
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
    hit.triangle = t;
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
      hit.triangle = t;
      hit.colour = TriangleColour(t);
    }
    return;
  }

  // The face was missed: the sphere may still graze an edge or a corner, which needs the path's end within one
  // radius of a point on the edges. That point lies in the triangle's box, so an end plainly farther than a
  // radius from the box (by a margin far above the rounding of the edge point) cannot graze it.
  const float size = std::max({std::fabs(end.x), std::fabs(end.y), std::fabs(end.z), std::fabs(corner.x),
                               std::fabs(corner.y), std::fabs(corner.z)});
  const float reach = radius + 1e-5f * (size + std::fabs(radius)) + 1e-6f;
  if (reach < 0) return;  // no length is within a negative radius
  const Vec3& boxMin = triangleMin_[t];
  const Vec3& boxMax = triangleMax_[t];
  const float dx = std::max(std::max(boxMin.x - end.x, end.x - boxMax.x), 0.0f);
  const float dy = std::max(std::max(boxMin.y - end.y, end.y - boxMax.y), 0.0f);
  const float dz = std::max(std::max(boxMin.z - end.z, end.z - boxMax.z), 0.0f);
  if (dx * dx + dy * dy + dz * dz > reach * reach) return;
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
  hit.triangle = t;
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

bool ModelGeometry::SegmentHitSimple(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax,
                                     Vec3& point, Vec3& normal, float& best) const {
  SurfaceHit hit;
  hit.point = point;
  hit.normal = normal;
  const bool found = SegmentHit(start, end, boxMin, boxMax, hit, best);
  point = hit.point;
  normal = hit.normal;
  return found;
}

bool ModelGeometry::SphereHitSimple(const Vec3& start, const Vec3& end, const Vec3& boxMin, const Vec3& boxMax,
                                    float radius, Vec3& centre, Vec3& contact, Vec3& normal, float& best) const {
  SurfaceHit hit;
  hit.centre = centre;
  hit.point = contact;
  hit.normal = normal;
  const bool found = SphereHit(start, end, boxMin, boxMax, radius, hit, best);
  centre = hit.centre;
  contact = hit.point;
  normal = hit.normal;
  return found;
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
