// A track's collision world: the .COL file's triangles (a material per triangle) in an octree or quadtree, with
// the file's light nodes, markers and paths; answers box queries and segment and moving-sphere casts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "geometry/model_geometry.h"
#include "geometry/path.h"
#include "geometry/scene_records.h"
#include "geometry/spatial_partition.h"
#include "geometry/triangle_grid.h"

namespace geometry {

class CollisionTree {
 public:
  CollisionTree() = default;
  CollisionTree(const CollisionTree&) = delete;
  CollisionTree& operator=(const CollisionTree&) = delete;

  // Reads a .COL file and sorts its triangles into a quadtree (useQuadtree) or an octree. Returns true when the
  // file loaded. A missing file leaves the tree empty silently; a file that breaks a rule (truncated, counts
  // beyond the bytes left, indices outside their lists, positions that are not finite) leaves it empty and
  // prints one line naming the file and the problem.
  bool Load(const std::string& fileName, bool useQuadtree);
  // The same from bytes already in memory; name is only used in the message.
  bool LoadFromMemory(const void* data, size_t size, const std::string& name, bool useQuadtree);
  // Back to the state of a new tree.
  void Clear();
  bool Empty() const { return geometry_ == nullptr; }

  // Replaces the candidate list with every triangle whose box meets the query box (bounds included).
  void QueryBox(const Vec3& boxMin, const Vec3& boxMax);
  // The candidates in the partition's order; the list is only written out when asked for, since the casts below
  // answer from the query box itself.
  const std::vector<uint32_t>& Candidates() const;

  // Nearest front-face hit of the segment among the triangles near it; hit is written only on a nearer hit.
  bool SegmentCast(const Vec3& start, const Vec3& end, SurfaceHit& hit) const;
  // First contact of a sphere of the radius moved from start to end.
  bool SphereCast(const Vec3& start, const Vec3& end, float radius, SurfaceHit& hit) const;
  // SphereCast reporting only where the sphere's centre stops and the surface normal there (the chase camera's
  // question); both are written only on a hit.
  bool SphereCastSimple(const Vec3& start, const Vec3& end, float radius, Vec3& centre, Vec3& normal) const;
  // The same two casts over the candidates of the last QueryBox only (one box query serves many casts; triangles
  // outside that box are missed). Every cast tries the triangles in the order the candidate list holds them,
  // so ties and edge contacts resolve as they would walking that list, but it reads only those near its own box.
  bool SegmentHitInCandidates(const Vec3& start, const Vec3& end, SurfaceHit& hit) const;
  bool SweptSphereHitInCandidates(const Vec3& start, const Vec3& end, float radius, SurfaceHit& hit) const;

  const std::vector<std::unique_ptr<SceneMarker>>& Markers() const { return markers_; }
  const std::vector<std::unique_ptr<Path>>& Paths() const { return paths_; }
  const std::vector<std::unique_ptr<SceneNode>>& Nodes() const { return nodes_; }
  const Octree* GetOctree() const { return octree_.get(); }
  const Quadtree* GetQuadtree() const { return quadtree_.get(); }
  const ModelGeometry* Geometry() const { return geometry_.get(); }
  const Vec3& BoundsMin() const { return boundsMin_; }
  const Vec3& BoundsMax() const { return boundsMax_; }
  // Number of material names, at least 1.
  uint32_t MaterialCount() const { return materialCount_; }
  uint32_t TriangleCount() const { return triangleCount_; }
  uint32_t GroupCount() const { return groupCount_; }
  // Header colours as 0x00RRGGBB (each channel truncated from 0-1 times 255, clamped to 0-255).
  uint32_t PackedColour1() const { return packedColour1_; }
  uint32_t PackedColour2() const { return packedColour2_; }
  const Vec3& Colour2() const { return colour2_; }
  const std::vector<std::string>& MaterialNames() const { return materialNames_; }

 private:
  // Fills the tree or returns the problem; the caller clears on failure.
  bool Parse(const void* data, size_t size, bool useQuadtree, std::string* problem);
  void CollectNear(const Vec3& boxMin, const Vec3& boxMax, std::vector<uint32_t>& out) const;
  // Whether the last QueryBox takes in a triangle of this box: the partition's overlap test (x and z only for a
  // quadtree).
  bool InQueryBox(const Vec3& triangleMin, const Vec3& triangleMax) const;
  // Fills castCandidates_ with the triangles whose boxes meet the cast box, in the partition's order, only those
  // of the last QueryBox when candidatesOnly; false when the grid cannot answer for the box.
  bool GatherNear(const Vec3& boxMin, const Vec3& boxMax, bool candidatesOnly) const;

  std::vector<std::unique_ptr<SceneMarker>> markers_;
  std::vector<std::unique_ptr<Path>> paths_;
  std::vector<std::unique_ptr<SceneNode>> nodes_;
  std::unique_ptr<Octree> octree_;
  std::unique_ptr<Quadtree> quadtree_;
  Vec3 boundsMax_, boundsMin_;
  uint32_t materialCount_ = 1;
  uint32_t triangleCount_ = 0;
  uint32_t groupCount_ = 0;
  uint32_t packedColour1_ = 0, packedColour2_ = 0;
  Vec3 colour2_;
  std::vector<std::string> materialNames_;
  std::unique_ptr<ModelGeometry> geometry_;
  Vec3 queryMin_, queryMax_;
  bool queried_ = false;
  mutable bool candidatesWritten_ = true;
  mutable std::vector<uint32_t> candidates_;
  // Every triangle in the partition's order (the order every box query reports them in); the grid knows each
  // triangle by its place in it.
  std::vector<uint32_t> collectionOrder_;
  TriangleGrid grid_;
  // Scratch list of the casts, kept to avoid an allocation per cast.
  mutable std::vector<uint32_t> castCandidates_;
};

}  // namespace geometry
