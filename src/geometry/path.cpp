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

bool Path::FindSegment(float distance, size_t* from, size_t* to) const {
  size_t n = points_.size();
  for (size_t j = 0; j < n; ++j) {
    size_t k = j + 1 < n ? j + 1 : j + 1 - n;
    if (cumulativeDistance_[k] > distance || k == 0) {
      *from = j;
      *to = k;
      return true;
    }
  }
  return false;
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
  size_t n = points_.size();
  size_t s = 0, e = 0;
  for (size_t i = 1; i < n; ++i) {
    if (cumulativeDistance_[i] > from) {
      s = i;
      break;
    }
  }
  for (size_t i = 1; i < n; ++i) {
    if (cumulativeDistance_[i] > to) {
      e = i;
      break;
    }
  }
  if (e == 0 || s == 0 || s >= e) return 0;
  float sum = 0;
  for (size_t i = s + 1; i < e; ++i) sum += bendAngle_[i];
  float span = cumulativeDistance_[e] - cumulativeDistance_[e - 1];
  if (span > 0) sum += bendAngle_[e] * (to - cumulativeDistance_[e - 1]) / span;
  return sum;
}

bool Path::ProjectPoint(const Vec3& position, PathProjection& out, float minimumDistance, int startSegment) const {
  size_t n = points_.size();
  if (n < 2) return false;
  Vec3 q = position - origin_;
  size_t segmentCount = closed_ ? n : n - 1;

  PathProjection best;
  float bestDistance = platform::Length(q - points_[0]);
  best.point = points_[0];
  best.offset = q - points_[0];
  best.segment = 0;
  best.distance = 0;

  for (size_t s = static_cast<size_t>(std::max(startSegment, 0)); s < segmentCount; ++s) {
    size_t e = s + 1 < n ? s + 1 : 0;
    Vec3 d = points_[e] - points_[s];
    float length = platform::Length(d);
    // A repeated point adds no segment to project onto; its neighbours cover it.
    if (!(length > 0)) continue;
    float t = platform::Dot(q - points_[s], d) / (length * length);
    Vec3 candidate;
    float along;
    if (t < 0 || t > 1) {
      along = e == 0 ? totalLength_ : cumulativeDistance_[e];
      if (along < minimumDistance) {
        t = std::min(t + ((minimumDistance - along) + 1) / length, 1.0f);
        along = t * length + cumulativeDistance_[s];
      }
      if (!(along >= minimumDistance)) continue;
      candidate = points_[e];
    } else {
      along = t * length + cumulativeDistance_[s];
      if (along < minimumDistance) {
        t = std::min(t + ((minimumDistance - along) + 1) / length, 1.0f);
        along = t * length + cumulativeDistance_[s];
      }
      if (!(along >= minimumDistance)) continue;
      candidate = points_[s] + d * t;
    }
    float distance = platform::Length(q - candidate);
    if (distance < bestDistance) {
      bestDistance = distance;
      best.distance = along;
      best.point = candidate;
      best.offset = q - candidate;
      best.segment = static_cast<int>(s);
    }
  }
  best.point = best.point + origin_;
  out = best;
  return true;
}

}  // namespace geometry
