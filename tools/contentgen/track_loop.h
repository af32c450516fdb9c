// The centreline of a circuit: a closed polygon of corners, each rounded by an arc of its own radius, walked by
// distance. Every sample circuit lays its road, walls and racing line along one.
#pragma once

#include <vector>

#include "platform/math/types.h"

namespace contentgen {

// A corner of the polygon (inches, y up) and the radius of the bend that rounds it.
struct TrackCorner {
  float x = 0, z = 0;
  float radius = 0;
};

class TrackLoop {
 public:
  // Corners in driving order; the loop closes from the last back to the first. Distance 0 lies in the middle of
  // the straight from the last corner to the first, so a circuit's start line sits on a straight.
  explicit TrackLoop(const std::vector<TrackCorner>& corners);

  float Length() const { return length_; }
  // Centreline point (y = 0) at a distance along the loop (wrapped), and the unit heading there.
  platform::Vec3 CentreAt(float distance, platform::Vec3* heading = nullptr) const;
  // Unit vector to the left of the heading, level.
  platform::Vec3 LeftAt(float distance) const;
  // Signed curvature at a distance: 1 / radius, positive in a left-hand bend, 0 on a straight.
  float CurvatureAt(float distance) const;

  // Where each straight runs, as [from, to) distances.
  struct Span {
    float from = 0, to = 0;
  };
  std::vector<Span> Straights() const;
  // Where each bend runs, as [from, to) distances, and which way it turns (+1 left, -1 right).
  struct Bend {
    float from = 0, to = 0, side = 1;
  };
  std::vector<Bend> Bends() const;
  // Distances to cut the loop at: every straight in steps of at most straightStep, every bend in steps of at
  // most bendStep radians, each piece's ends included; sorted, first 0, all below Length().
  std::vector<float> Samples(float straightStep, float bendStep) const;

  // Distance wrapped into [0, Length()).
  float Wrap(float distance) const;
  // The distance among from, from + step, ... below to whose centreline point lies horizontally nearest to a
  // point (the first of equals); from when the range is empty.
  float NearestDistance(const platform::Vec3& point, float from, float to, float step) const;

 private:
  struct Piece {
    float from = 0, length = 0;
    platform::Vec3 start, heading;  // straight: start point and heading
    platform::Vec3 centre;          // bend: centre, radius, start angle and signed turn (+ left)
    float radius = 0, startAngle = 0, turn = 0;
    bool bend = false;
  };
  const Piece& PieceAt(float distance) const;
  std::vector<Piece> pieces_;
  float length_ = 0;
};

}  // namespace contentgen
