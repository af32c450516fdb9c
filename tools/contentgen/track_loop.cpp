// A circuit's centreline: straights between rounded corners, walked by distance.
#include "contentgen/track_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/math/math.h"

namespace contentgen {

using platform::Vec3;

namespace {

Vec3 Direction(const TrackCorner& from, const TrackCorner& to) {
  return platform::Normalize(Vec3{to.x - from.x, 0, to.z - from.z});
}

Vec3 Left(const Vec3& heading) { return {-heading.z, 0, heading.x}; }

}  // namespace

TrackLoop::TrackLoop(const std::vector<TrackCorner>& corners) {
  const size_t n = corners.size();
  struct Rounded {
    Vec3 entry, exit, centre;
    float radius, startAngle, turn;
  };
  std::vector<Rounded> rounded;
  for (size_t i = 0; i < n; ++i) {
    const TrackCorner& corner = corners[i];
    const Vec3 in = Direction(corners[(i + n - 1) % n], corner);
    const Vec3 out = Direction(corner, corners[(i + 1) % n]);
    const float turn = std::atan2(in.x * out.z - in.z * out.x, platform::Dot(in, out));
    const float tangent = corner.radius * std::tan(std::fabs(turn) / 2);
    const Vec3 apex{corner.x, 0, corner.z};
    Rounded r;
    r.entry = apex - in * tangent;
    r.exit = apex + out * tangent;
    r.radius = corner.radius;
    r.turn = turn;
    r.centre = r.entry + Left(in) * (turn >= 0 ? corner.radius : -corner.radius);
    r.startAngle = std::atan2(r.entry.z - r.centre.z, r.entry.x - r.centre.x);
    rounded.push_back(r);
  }
  // Two bends that do not fit on the edge between them would run the road backwards: a layout fault.
  for (size_t i = 0; i < n; ++i) {
    if (platform::Dot(rounded[(i + 1) % n].entry - rounded[i].exit, Direction(corners[i], corners[(i + 1) % n])) < 0) {
      std::fprintf(stderr, "contentgen: the bends at (%.0f, %.0f) and the next corner overlap\n", corners[i].x,
                   corners[i].z);
    }
  }
  auto addStraight = [this](const Vec3& from, const Vec3& to) {
    Piece piece;
    piece.start = from;
    piece.length = platform::Length(to - from);
    piece.heading = piece.length > 0 ? (to - from) * (1.0f / piece.length) : Vec3{1, 0, 0};
    pieces_.push_back(piece);
  };
  const Vec3 middle = (rounded[n - 1].exit + rounded[0].entry) * 0.5f;
  addStraight(middle, rounded[0].entry);
  for (size_t i = 0; i < n; ++i) {
    Piece bend;
    bend.bend = true;
    bend.centre = rounded[i].centre;
    bend.radius = rounded[i].radius;
    bend.startAngle = rounded[i].startAngle;
    bend.turn = rounded[i].turn;
    bend.length = rounded[i].radius * std::fabs(rounded[i].turn);
    pieces_.push_back(bend);
    addStraight(rounded[i].exit, i + 1 < n ? rounded[i + 1].entry : middle);
  }
  for (Piece& piece : pieces_) {
    piece.from = length_;
    length_ += piece.length;
  }
}

float TrackLoop::Wrap(float distance) const {
  float d = std::fmod(distance, length_);
  if (d < 0) d += length_;
  return d;
}

float TrackLoop::NearestDistance(const platform::Vec3& point, float from, float to, float step) const {
  float best = std::numeric_limits<float>::max(), bestDistance = from;
  for (float d = from; d < to; d += step) {
    const platform::Vec3 centre = CentreAt(d);
    const float dx = centre.x - point.x, dz = centre.z - point.z;
    if (dx * dx + dz * dz < best) {
      best = dx * dx + dz * dz;
      bestDistance = d;
    }
  }
  return bestDistance;
}

const TrackLoop::Piece& TrackLoop::PieceAt(float distance) const {
  const float d = Wrap(distance);
  auto it = std::upper_bound(pieces_.begin(), pieces_.end(), d,
                             [](float value, const Piece& piece) { return value < piece.from; });
  return *(it == pieces_.begin() ? it : it - 1);
}

Vec3 TrackLoop::CentreAt(float distance, Vec3* heading) const {
  const Piece& piece = PieceAt(distance);
  const float along = Wrap(distance) - piece.from;
  if (!piece.bend) {
    if (heading != nullptr) *heading = piece.heading;
    return piece.start + piece.heading * along;
  }
  const float side = piece.turn >= 0 ? 1.0f : -1.0f;
  const float angle = piece.startAngle + side * along / piece.radius;
  const float c = std::cos(angle), s = std::sin(angle);
  if (heading != nullptr) *heading = Vec3{-s * side, 0, c * side};
  return piece.centre + Vec3{c, 0, s} * piece.radius;
}

Vec3 TrackLoop::LeftAt(float distance) const {
  Vec3 heading;
  CentreAt(distance, &heading);
  return Left(heading);
}

float TrackLoop::CurvatureAt(float distance) const {
  const Piece& piece = PieceAt(distance);
  if (!piece.bend) return 0;
  return (piece.turn >= 0 ? 1.0f : -1.0f) / piece.radius;
}

std::vector<TrackLoop::Span> TrackLoop::Straights() const {
  std::vector<Span> spans;
  for (const Piece& piece : pieces_) {
    if (!piece.bend) spans.push_back({piece.from, piece.from + piece.length});
  }
  // The first and last pieces are the two halves of the straight through distance 0.
  if (spans.size() >= 2) {
    spans.front().from = spans.back().from - length_;
    spans.pop_back();
  }
  return spans;
}

std::vector<TrackLoop::Bend> TrackLoop::Bends() const {
  std::vector<Bend> bends;
  for (const Piece& piece : pieces_) {
    if (piece.bend) bends.push_back({piece.from, piece.from + piece.length, piece.turn >= 0 ? 1.0f : -1.0f});
  }
  return bends;
}

std::vector<float> TrackLoop::Samples(float straightStep, float bendStep) const {
  std::vector<float> samples;
  for (const Piece& piece : pieces_) {
    const float step = piece.bend ? std::max(bendStep * piece.radius, 1.0f) : straightStep;
    const int count = std::max(1, static_cast<int>(std::ceil(piece.length / step)));
    for (int i = 0; i < count; ++i) samples.push_back(piece.from + piece.length * static_cast<float>(i) / count);
  }
  return samples;
}

}  // namespace contentgen
