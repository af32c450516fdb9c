// Path: distances, bends, sampling by distance, smooth points and projection of positions onto the path.
#include "geometry/path.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/math/math.h"

namespace geometry {

namespace {

// Radians to degrees as the bend angles have always been stored (slightly below 180/π).
constexpr float kDegreesPerRadian = 57.295827f;

}  // namespace

Path::Path(std::string name, bool closed, const Vec3& origin)
    : origin_(origin), closed_(closed), name_(std::move(name)) {}

void Path::AddPoint(const Vec3& point, float leftEdge, float rightEdge) {
  if (points_.empty()) {
    boundsMin_ = point;
    boundsMax_ = point;
  } else {
    boundsMin_ = platform::ComponentMin(boundsMin_, point);
    boundsMax_ = platform::ComponentMax(boundsMax_, point);
  }
  points_.push_back(point);
  pointsFinite_ = pointsFinite_ && std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z);
  if (points_.size() >= 2) {
    // The new point ends segment n − 2: its run's box takes in both ends.
    const size_t run = (points_.size() - 2) / kSegmentsPerBox;
    const Vec3& from = points_[points_.size() - 2];
    if (run == segmentBoxMin_.size()) {
      segmentBoxMin_.push_back(from);
      segmentBoxMax_.push_back(from);
    }
    segmentBoxMin_[run] = platform::ComponentMin(platform::ComponentMin(segmentBoxMin_[run], from), point);
    segmentBoxMax_[run] = platform::ComponentMax(platform::ComponentMax(segmentBoxMax_[run], from), point);
  }
  leftEdge_.push_back(leftEdge);
  rightEdge_.push_back(rightEdge);
  bendAngle_.push_back(0);
  // A new last point moves the closing segment; it is counted again by the next UpdateClosingSegment.
  closingLength_ = 0;
  size_t n = points_.size();
  if (n == 1) {
    cumulativeDistance_.push_back(0);
    totalLength_ = 0;
    return;
  }
  float step = platform::Length(point - points_[n - 2]);
  cumulativeDistance_.push_back(cumulativeDistance_.back() + step);
  totalLength_ = cumulativeDistance_.back();
  if (n > 2) {
    Vec3 arriving = platform::Normalize(points_[n - 2] - points_[n - 3]);
    Vec3 leaving = platform::Normalize(point - points_[n - 2]);
    // Rounding can push the dot product of two unit vectors just past ±1.
    float cosine = std::clamp(platform::Dot(arriving, leaving), -1.0f, 1.0f);
    bendAngle_[n - 2] = std::acos(cosine) * kDegreesPerRadian;
  }
}

void Path::UpdateClosingSegment() {
  if (points_.empty()) return;
  closingLength_ = platform::Length(points_.front() - points_.back());
  totalLength_ = cumulativeDistance_.back() + closingLength_;
}

void Path::Reset() {
  totalLength_ = 0;
  closingLength_ = 0;
  points_.clear();
  leftEdge_.clear();
  rightEdge_.clear();
  bendAngle_.clear();
  cumulativeDistance_.clear();
  segmentBoxMin_.clear();
  segmentBoxMax_.clear();
  pointsFinite_ = true;
}

void Path::AddPoints(const std::vector<Vec3>& points) {
  Reset();
  for (const Vec3& p : points) AddPoint(p);
  if (closed_) UpdateClosingSegment();
}

void Path::Decimate(size_t n) {
  size_t count = points_.size();
  if (n == 0 || count <= n) return;
  float step = static_cast<float>(count) / static_cast<float>(n);
  std::vector<Vec3> kept;
  kept.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    size_t index = static_cast<size_t>(std::floor(static_cast<float>(i) * step + 0.5f));
    kept.push_back(points_[std::min(index, count - 1)]);
  }
  AddPoints(kept);
}

void Path::Reverse() {
  std::vector<Vec3> reversed(points_.rbegin(), points_.rend());
  AddPoints(reversed);
}

Vec3 Path::GetPoint(size_t i) const {
  if (i >= points_.size()) return {};
  return points_[i] + origin_;
}

Vec3 Path::SideVector(size_t i) const {
  const size_t count = points_.size();
  if (count < 2 || i >= count) return {};
  size_t from = i, to = i + 1;
  if (to == count) {
    if (closed_) {
      to = 0;
    } else {
      from = i - 1;
      to = i;
    }
  }
  const Vec3 d = GetPoint(to) - GetPoint(from);
  const Vec3 side{d.z, 0, -d.x};
  const float length = platform::Length(side);
  return length > 0 ? side / length : Vec3{};
}

void Path::SetLeftEdge(size_t i, float value) {
  if (i < leftEdge_.size()) leftEdge_[i] = value;
}

void Path::SetRightEdge(size_t i, float value) {
  if (i < rightEdge_.size()) rightEdge_[i] = value;
}

float Path::WrapDistance(float distance) const {
  float length = totalLength_;
  if (!(length > 0) || !std::isfinite(length) || !std::isfinite(distance)) return 0;
  // Same result as adding or taking away whole lengths one at a time: a negative distance lands in [0, length),
  // a distance beyond the end in (0, length].
  if (distance < 0) {
    distance = std::fmod(distance, length);
    if (distance < 0) distance += length;
  } else if (distance > length) {
    distance = std::fmod(distance, length);
    if (distance == 0) distance = length;
  }
  return distance;
}

size_t Path::FirstPointBeyond(float distance) const {
  const size_t n = points_.size();
  if (n < 2) return n;
  if (pointsFinite_) {
    // Cumulative distances never fall along a path of finite points, so the first one beyond is found by halving.
    return static_cast<size_t>(
        std::upper_bound(cumulativeDistance_.begin() + 1, cumulativeDistance_.end(), distance) -
        cumulativeDistance_.begin());
  }
  for (size_t i = 1; i < n; ++i) {
    if (cumulativeDistance_[i] > distance) return i;
  }
  return n;
}

bool Path::FindSegment(float distance, size_t* from, size_t* to) const {
  const size_t n = points_.size();
  if (n == 0) return false;
  // The segment ending at the first point beyond the distance, else the one from the last point back to point 0.
  const size_t k = FirstPointBeyond(distance);
  *from = k < n ? k - 1 : n - 1;
  *to = k < n ? k : 0;
  return true;
}

float Path::SampleEdge(const std::vector<float>& values, float distance) const {
  if (points_.empty()) return 0;
  float d = WrapDistance(distance);
  size_t j = 0, k = 0;
  if (!FindSegment(d, &j, &k)) return 0;
  float segmentLength = cumulativeDistance_[k] - cumulativeDistance_[j];
  if (k == 0 && closed_) segmentLength = totalLength_ - cumulativeDistance_[j];
  // A segment without length (repeated point, or the open path's end) gives the value at its start.
  float t = segmentLength > 0 ? (d - cumulativeDistance_[j]) / segmentLength : 0;
  return values[j] + (values[k] - values[j]) * t;
}

float Path::SampleValueAtDistance(float distance) const { return SampleEdge(rightEdge_, distance); }
float Path::SampleValueAtDistanceB(float distance) const { return SampleEdge(leftEdge_, distance); }

Vec3 Path::PointAt(float distance) const {
  if (points_.empty()) return {};
  float d = WrapDistance(distance);
  size_t j = 0, k = 0;
  if (!FindSegment(d, &j, &k)) return points_.back() + origin_;
  Vec3 direction = platform::Normalize(points_[k] - points_[j]);
  return points_[j] + direction * (d - cumulativeDistance_[j]) + origin_;
}

Vec3 Path::SmoothPointAt(float distance) const {
  size_t n = points_.size();
  if (n == 0) return {};
  if (n == 1) return points_[0] + origin_;
  float d = WrapDistance(distance);
  auto firstNotBelow = std::lower_bound(cumulativeDistance_.begin(), cumulativeDistance_.end(), d);
  size_t k = firstNotBelow == cumulativeDistance_.begin() ? 0 : static_cast<size_t>(firstNotBelow - cumulativeDistance_.begin()) - 1;

  size_t before, after, next;
  if (closed_) {
    before = k == 0 ? n - 1 : k - 1;
    after = (k + 1) % n;
    next = (k + 2) % n;
  } else {
    before = k == 0 ? 0 : k - 1;
    after = std::min(k + 1, n - 1);
    next = std::min(k + 2, n - 1);
  }
  float segmentLength = cumulativeDistance_[after] - cumulativeDistance_[k];
  if (segmentLength < 0) segmentLength += totalLength_;
  float offset = d - cumulativeDistance_[k];
  if (d < cumulativeDistance_[k]) offset += totalLength_;
  float s = segmentLength > 0 ? offset / segmentLength : 0;
  return platform::CatmullRom(points_[before], points_[k], points_[after], points_[next], s) + origin_;
}

float Path::BendAngleBetween(float from, float to) const {
  if (!(to > from)) return 0;
  to = std::min(to, totalLength_);
  from = std::max(from, 0.0f);
  const size_t n = points_.size();
  const size_t s = FirstPointBeyond(from);
  const size_t e = FirstPointBeyond(to);
  if (e >= n || s >= n || s >= e) return 0;
  float sum = 0;
  for (size_t i = s + 1; i < e; ++i) sum += bendAngle_[i];
  float span = cumulativeDistance_[e] - cumulativeDistance_[e - 1];
  if (span > 0) sum += bendAngle_[e] * (to - cumulativeDistance_[e - 1]) / span;
  return sum;
}

bool Path::SegmentCandidate(size_t s, const Vec3& q, float minimumDistance, Vec3& candidate, float& along) const {
  const size_t n = points_.size();
  const size_t e = s + 1 < n ? s + 1 : 0;
  const Vec3 d = points_[e] - points_[s];
  const float length = platform::Length(d);
  // A repeated point adds no segment to project onto; its neighbours cover it.
  if (!(length > 0)) return false;
  float t = platform::Dot(q - points_[s], d) / (length * length);
  if (t < 0 || t > 1) {
    along = e == 0 ? totalLength_ : cumulativeDistance_[e];
    if (along < minimumDistance) {
      t = std::min(t + ((minimumDistance - along) + 1) / length, 1.0f);
      along = t * length + cumulativeDistance_[s];
    }
    if (!(along >= minimumDistance)) return false;
    candidate = points_[e];
    return true;
  }
  along = t * length + cumulativeDistance_[s];
  if (along < minimumDistance) {
    t = std::min(t + ((minimumDistance - along) + 1) / length, 1.0f);
    along = t * length + cumulativeDistance_[s];
  }
  if (!(along >= minimumDistance)) return false;
  candidate = points_[s] + d * t;
  return true;
}

namespace {

// Squared distance from a point to a box (0 inside).
inline float SquaredDistanceToBox(const Vec3& q, const Vec3& boxMin, const Vec3& boxMax) {
  const float dx = q.x < boxMin.x ? boxMin.x - q.x : (q.x > boxMax.x ? q.x - boxMax.x : 0.0f);
  const float dy = q.y < boxMin.y ? boxMin.y - q.y : (q.y > boxMax.y ? q.y - boxMax.y : 0.0f);
  const float dz = q.z < boxMin.z ? boxMin.z - q.z : (q.z > boxMax.z ? q.z - boxMax.z : 0.0f);
  return dx * dx + dy * dy + dz * dz;
}

float LargestMagnitude(const Vec3& v) { return std::max(std::max(std::fabs(v.x), std::fabs(v.y)), std::fabs(v.z)); }

}  // namespace

bool Path::ProjectPoint(const Vec3& position, PathProjection& out, float minimumDistance, int startSegment) const {
  const size_t n = points_.size();
  if (n < 2) return false;
  const Vec3 q = position - origin_;
  const size_t segmentCount = closed_ ? n : n - 1;
  const size_t first = static_cast<size_t>(std::max(startSegment, 0));

  // Tried in order, the answer is the first candidate of the smallest distance, point 0 counting as first of
  // all. Keeping the smallest (distance, segment) pair gives the same answer whatever order the segments are
  // tried in, so the search starts where the answer most likely lies and skips what cannot beat it.
  PathProjection best;
  float bestDistance = platform::Length(q - points_[0]);
  long bestSegment = -1;
  best.point = points_[0];
  best.offset = q - points_[0];
  best.segment = 0;
  best.distance = 0;
  auto consider = [&](size_t s) {
    Vec3 candidate;
    float along;
    if (!SegmentCandidate(s, q, minimumDistance, candidate, along)) return;
    const float distance = platform::Length(q - candidate);
    if (distance < bestDistance || (distance == bestDistance && static_cast<long>(s) < bestSegment)) {
      bestDistance = distance;
      bestSegment = static_cast<long>(s);
      best.distance = along;
      best.point = candidate;
      best.offset = q - candidate;
      best.segment = static_cast<int>(s);
    }
  };

  // Segments 0 .. n − 2 lie in the run boxes; a loop's closing segment n − 1 is tried on its own.
  const size_t boxedEnd = std::min(segmentCount, n - 1);
  const size_t runs = segmentBoxMin_.size();
  const size_t firstRun = first / kSegmentsPerBox;
  constexpr size_t kRememberedRuns = 256;
  if (!pointsFinite_ || !std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || runs < 2 ||
      runs - firstRun > kRememberedRuns || first >= boxedEnd) {
    for (size_t s = first; s < segmentCount; ++s) consider(s);
  } else {
    // A run or segment is passed over only when even its box is farther than the best distance so far, by a
    // margin far above the rounding of the candidate points and distances: every candidate it holds is then
    // strictly farther than the answer.
    const float scale = std::max({LargestMagnitude(q), LargestMagnitude(boundsMin_), LargestMagnitude(boundsMax_)});
    auto beyond = [scale, &bestDistance] {
      const float reach = bestDistance + 1e-5f * (scale + bestDistance) + 1e-6f;
      return reach * reach;
    };
    auto tryRun = [&](size_t run) {
      for (size_t s = std::max(first, run * kSegmentsPerBox); s < std::min(boxedEnd, (run + 1) * kSegmentsPerBox); ++s) {
        const Vec3& a = points_[s];
        const Vec3& b = points_[s + 1];
        if (SquaredDistanceToBox(q, platform::ComponentMin(a, b), platform::ComponentMax(a, b)) <= beyond()) consider(s);
      }
    };
    float runSquared[kRememberedRuns];
    size_t nearestRun = firstRun;
    for (size_t run = firstRun; run < runs; ++run) {
      runSquared[run - firstRun] = SquaredDistanceToBox(q, segmentBoxMin_[run], segmentBoxMax_[run]);
      if (runSquared[run - firstRun] < runSquared[nearestRun - firstRun]) nearestRun = run;
    }
    tryRun(nearestRun);
    for (size_t run = firstRun; run < runs; ++run) {
      if (run != nearestRun && runSquared[run - firstRun] <= beyond()) tryRun(run);
    }
    if (segmentCount > boxedEnd) consider(boxedEnd);
  }
  best.point = best.point + origin_;
  out = best;
  return true;
}

}  // namespace geometry
