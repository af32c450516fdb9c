// A path: an ordered list of points with track-edge offsets, bend angles and distances along it, used by the
// computer drivers' racing line, race progress, the grid and the menu cameras. Lengths in inches, angles in degrees.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/math/types.h"

namespace geometry {

using platform::Vec3;

// Edge offsets every added point starts with.
constexpr float kDefaultLeftEdge = -60.0f;
constexpr float kDefaultRightEdge = 60.0f;

struct PathProjection {
  Vec3 point;          // nearest accepted point on the path (origin added)
  Vec3 offset;         // position − that point, both relative to the origin
  int segment = 0;     // the segment it lies on
  float distance = 0;  // distance along the path from point 0
};

class Path {
 public:
  Path() = default;
  // ConstructNamed: an empty path with its name, loop flag and origin.
  Path(std::string name, bool closed, const Vec3& origin);

  // Appends a point (relative to the origin) with its edge offsets, extending distances and bend angles.
  void AddPoint(const Vec3& point, float leftEdge = kDefaultLeftEdge, float rightEdge = kDefaultRightEdge);
  // Adds the distance from the last point back to the first to the total length. Calling it again without
  // adding points changes nothing: the closing segment is counted once.
  void UpdateClosingSegment();
  // Drops every point; name, leading string, origin and loop flag stay.
  void Reset();
  // Keeps n points spread evenly (point floor(i · count / n + 0.5)); nothing when the path has n or fewer,
  // or when n is 0. Edge offsets return to their defaults.
  void Decimate(size_t n);
  // Reverses the point order; edge offsets return to their defaults. The track load rebuilds its racing lines
  // this way (Rebuild) for races run the other way round.
  void Reverse();

  // Point i plus the origin; the zero vector when i is out of range.
  Vec3 GetPoint(size_t i) const;
  // The unit horizontal vector across the segment leaving point i, to the right of the way the path runs:
  // (d.z, 0, −d.x) normalised, d = the next point − point i (on a closed path the first point follows the
  // last). The last point of an open path has no segment of its own and takes the one arriving at it. The zero
  // vector with fewer than two points, for i beyond the last point, or across a segment of no length.
  Vec3 SideVector(size_t i) const;
  void SetLeftEdge(size_t i, float value);
  void SetRightEdge(size_t i, float value);

  // Distances wrap into 0..total length. On a path of total length 0 every distance means 0; on a path without
  // points the samplers return 0 and the point queries the zero vector.
  float SampleValueAtDistance(float distance) const;   // right-edge offset
  float SampleValueAtDistanceB(float distance) const;  // left-edge offset
  Vec3 PointAt(float distance) const;                  // on the straight segments
  Vec3 SmoothPointAt(float distance) const;            // on a Catmull-Rom curve through the points
  // Degrees of bend between two distances (no wrap-around); 0 when to is not beyond from.
  float BendAngleBetween(float from, float to) const;

  // Projects a position onto the path from segment startSegment on, never accepting a point nearer to the
  // start than minimumDistance along the path. False, out untouched, with fewer than two points. The answer is
  // that of trying every segment in order; runs of segments whose box lies plainly farther away than a point
  // already found are passed over without being tried.
  bool ProjectPoint(const Vec3& position, PathProjection& out, float minimumDistance = 0, int startSegment = 0) const;

  size_t PointCount() const { return points_.size(); }
  float TotalLength() const { return totalLength_; }
  bool Closed() const { return closed_; }
  const std::string& Name() const { return name_; }
  const Vec3& Origin() const { return origin_; }
  const Vec3& BoundsMin() const { return boundsMin_; }
  const Vec3& BoundsMax() const { return boundsMax_; }
  const std::vector<Vec3>& Points() const { return points_; }
  const std::vector<float>& LeftEdges() const { return leftEdge_; }
  const std::vector<float>& RightEdges() const { return rightEdge_; }
  const std::vector<float>& BendAngles() const { return bendAngle_; }
  const std::vector<float>& CumulativeDistances() const { return cumulativeDistance_; }

  std::string leadingString;  // the record's optional text, kept for the path's users

 private:
  float WrapDistance(float distance) const;
  // The first point from 1 on whose cumulative distance is beyond the distance; the point count when none is.
  size_t FirstPointBeyond(float distance) const;
  // The segment a wrapped distance falls on: from point *from to point *to; false when there is none.
  bool FindSegment(float distance, size_t* from, size_t* to) const;
  float SampleEdge(const std::vector<float>& values, float distance) const;
  void AddPoints(const std::vector<Vec3>& points);
  // The point of segment s a position q projects to under the minimum distance, and its distance along the path;
  // false when the minimum distance rules the whole segment out.
  bool SegmentCandidate(size_t s, const Vec3& q, float minimumDistance, Vec3& candidate, float& along) const;

  float totalLength_ = 0;
  float closingLength_ = 0;  // part of totalLength_ that is the closing segment
  Vec3 origin_;
  std::vector<Vec3> points_;
  std::vector<float> leftEdge_;
  std::vector<float> rightEdge_;
  std::vector<float> bendAngle_;
  std::vector<float> cumulativeDistance_;
  bool closed_ = false;
  std::string name_;
  Vec3 boundsMin_, boundsMax_;
  // Boxes around runs of kSegmentsPerBox consecutive segments (the closing segment of a loop belongs to none),
  // and whether every point is finite, which the box pruning of ProjectPoint needs.
  static constexpr size_t kSegmentsPerBox = 8;
  std::vector<Vec3> segmentBoxMin_, segmentBoxMax_;
  bool pointsFinite_ = true;
};

}  // namespace geometry
