// Collision tree: the .COL loader (bounded, rejecting bad files), partition building, box queries and casts.
#include "geometry/collision_tree.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/binary_reader.h"
#include "app/box_tests.h"
#include "platform/file_system.h"
#include "platform/math/math.h"

namespace geometry {

namespace {

// Shortest-edge start value and the fraction of the track's diagonal below which nodes never split.
constexpr float kShortestEdgeStart = 1000.0f;
constexpr float kDiagonalFraction = 1.0f / 1000.0f;
// Casts reserve this many candidates up front.
constexpr size_t kCastCandidateReserve = 500;

// Smallest size of each record on file, for bounding counts by the bytes left.
constexpr uint64_t kMeshBlockMinBytes = 12 + 4 + 4 + 4 + 4 + 4;
constexpr uint64_t kGroupMinBytes = 2 + 4;
constexpr uint64_t kNodeMinBytes = 1 + 2 + 12 + 24 + 12 + 12 + 4 + 2;
constexpr uint64_t kMarkerMinBytes = 1 + 12 + 36 + 2;
constexpr uint64_t kPathMinBytes = 1 + 12 + 2 + 2;
constexpr uint64_t kPointListMinBytes = 2 + 1;

uint32_t PackChannel(float value) {
  float scaled = value * 255.0f;
  if (!(scaled > 0)) return 0;  // NaN too
  if (scaled >= 255.0f) return 255;
  return static_cast<uint32_t>(scaled);
}

uint32_t PackColour(const Vec3& colour) {
  return (PackChannel(colour.x) << 16) | (PackChannel(colour.y) << 8) | PackChannel(colour.z);
}

bool Finite(const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

Vec3 ReadVec3(app::BinaryReader& reader) {
  Vec3 v;
  v.x = app::ReadFloat(reader);
  v.y = app::ReadFloat(reader);
  v.z = app::ReadFloat(reader);
  return v;
}

// The optional text after a record: an int16 flag, then a string when it is not 0.
std::string ReadOptionalText(app::BinaryReader& reader) {
  if (app::ReadInt16(reader) == 0) return {};
  return app::ReadZeroTerminatedString(reader);
}

}  // namespace

void CollisionTree::Clear() {
  octree_.reset();
  quadtree_.reset();
  geometry_.reset();
  nodes_.clear();
  paths_.clear();
  markers_.clear();
  boundsMin_ = {};
  boundsMax_ = {};
  materialCount_ = 1;
  triangleCount_ = 0;
  groupCount_ = 0;
  packedColour1_ = 0;
  packedColour2_ = 0;
  colour2_ = {};
  materialNames_.clear();
  queried_ = false;
  candidatesWritten_ = true;
  candidates_.clear();
  grid_.Clear();
  collectionOrder_.clear();
}

bool CollisionTree::Load(const std::string& fileName, bool useQuadtree) {
  Clear();
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(fileName, bytes, platform::kMaxModelFileBytes)) return false;
  return LoadFromMemory(bytes.data(), bytes.size(), fileName, useQuadtree);
}

bool CollisionTree::LoadFromMemory(const void* data, size_t size, const std::string& name, bool useQuadtree) {
  Clear();
  std::string problem;
  if (Parse(data, size, useQuadtree, &problem)) return true;
  Clear();
  std::fprintf(stderr, "collision file %s: %s\n", name.c_str(), problem.c_str());
  return false;
}

bool CollisionTree::Parse(const void* data, size_t size, bool useQuadtree, std::string* problem) {
  app::BinaryReader reader(data, size);
  auto fail = [problem](const char* text) {
    *problem = text;
    return false;
  };

  Vec3 colour1 = ReadVec3(reader);
  colour2_ = ReadVec3(reader);
  packedColour1_ = PackColour(colour1);
  packedColour2_ = PackColour(colour2_);
  float scale = app::ReadFloat(reader);
  uint32_t meshCount = static_cast<uint32_t>(app::ReadInt32(reader));
  uint32_t nodeCount = static_cast<uint32_t>(app::ReadInt32(reader));
  uint32_t markerCount = static_cast<uint32_t>(app::ReadInt32(reader));
  uint32_t pathCount = static_cast<uint32_t>(app::ReadInt32(reader));
  uint32_t nameCount = static_cast<uint32_t>(app::ReadInt32(reader));
  if (reader.Overrun()) return fail("header is truncated");
  if (!std::isfinite(scale)) return fail("scale is not a finite number");
  if (!reader.CanRead(nameCount, 1)) return fail("material name count is beyond the end of the file");
  for (uint32_t i = 0; i < nameCount; ++i) materialNames_.push_back(app::ReadZeroTerminatedString(reader));
  if (reader.Overrun()) return fail("material names are truncated");
  materialCount_ = nameCount == 0 ? 1 : nameCount;

  if (!reader.CanRead(meshCount, kMeshBlockMinBytes)) return fail("mesh count is beyond the end of the file");
  geometry_ = std::make_unique<ModelGeometry>();
  uint32_t cornerBase = 0;
  float shortestEdge = kShortestEdgeStart;
  bool haveBounds = false;
  std::vector<int32_t> cornerVertices;
  std::vector<Vec3> vertices;
  for (uint32_t block = 0; block < meshCount; ++block) {
    Vec3 offset = ReadVec3(reader) * scale;
    uint32_t cornerCount = static_cast<uint32_t>(app::ReadInt32(reader));
    if (!reader.CanRead(cornerCount, 4)) return fail("corner count is beyond the end of the file");
    if (uint64_t{cornerBase} + cornerCount > UINT32_MAX) return fail("too many corners");
    cornerVertices.resize(cornerCount);
    for (auto& vertex : cornerVertices) vertex = app::ReadInt32(reader);
    uint32_t vertexCount = static_cast<uint32_t>(app::ReadInt32(reader));
    if (!reader.CanRead(vertexCount, 12)) return fail("vertex count is beyond the end of the file");
    vertices.resize(vertexCount);
    app::Aabb blockBox = app::Aabb::Empty();
    for (auto& vertex : vertices) {
      vertex = ReadVec3(reader) * scale + offset;
      if (!Finite(vertex)) return fail("a vertex is not a finite position");
      blockBox.AddPoint(vertex);
    }
    for (int32_t vertex : cornerVertices) {
      if (vertex < 0 || static_cast<uint32_t>(vertex) >= vertexCount) return fail("a corner names a missing vertex");
      geometry_->SetPosition(vertices[vertex]);
    }
    uint32_t colourCount = static_cast<uint32_t>(app::ReadInt32(reader));
    uint32_t coloured = std::min(cornerCount, colourCount);
    if (!reader.CanRead(coloured, 6)) return fail("corner colours are beyond the end of the file");
    for (uint32_t corner = 0; corner < cornerCount; ++corner) {
      Vec3 colour{1, 1, 1};
      if (corner < coloured) {
        auto channel = [&reader] { return static_cast<float>(std::clamp<int>(app::ReadInt16(reader), 0, 255)) / 255.0f; };
        colour.x = channel();
        colour.y = channel();
        colour.z = channel();
      }
      geometry_->SetColor(colour);
    }
    app::ReadInt32(reader);  // reserved
    uint32_t groupCount = static_cast<uint32_t>(app::ReadInt32(reader));
    if (!reader.CanRead(groupCount, kGroupMinBytes)) return fail("group count is beyond the end of the file");
    for (uint32_t group = 0; group < groupCount; ++group) {
      uint32_t material = static_cast<uint32_t>(static_cast<int32_t>(app::ReadInt16(reader)));
      if (material >= materialCount_) material = materialCount_ - 1;
      uint32_t triangles = static_cast<uint32_t>(app::ReadInt32(reader));
      if (!reader.CanRead(triangles, 12)) return fail("triangle count is beyond the end of the file");
      for (uint32_t t = 0; t < triangles; ++t) {
        uint32_t a = static_cast<uint32_t>(app::ReadInt32(reader));
        uint32_t b = static_cast<uint32_t>(app::ReadInt32(reader));
        uint32_t c = static_cast<uint32_t>(app::ReadInt32(reader));
        if (a >= cornerCount || b >= cornerCount || c >= cornerCount) return fail("a triangle names a missing corner");
        // Stored in reverse order, which makes the face normal (b − a) × (c − a) in the file's terms.
        geometry_->SetTriangle(c + cornerBase, b + cornerBase, a + cornerBase, material);
        float edge = platform::Length(vertices[cornerVertices[a]] - vertices[cornerVertices[b]]);
        shortestEdge = std::min(shortestEdge, edge);
      }
      triangleCount_ += triangles;
      ++groupCount_;
    }
    cornerBase += cornerCount;
    if (vertexCount > 0) {
      if (!haveBounds) {
        boundsMin_ = blockBox.min;
        boundsMax_ = blockBox.max;
        haveBounds = true;
      } else {
        app::Aabb bounds{boundsMin_, boundsMax_};
        bounds.AddPoint(blockBox.min);
        bounds.AddPoint(blockBox.max);
        boundsMin_ = bounds.min;
        boundsMax_ = bounds.max;
      }
    }
    if (reader.Overrun()) return fail("a mesh block is truncated");
  }

  if (!reader.CanRead(nodeCount, kNodeMinBytes)) return fail("node count is beyond the end of the file");
  for (uint32_t i = 0; i < nodeCount; ++i) {
    std::string name = app::ReadZeroTerminatedString(reader);
    int32_t kind = app::ReadInt16(reader);
    Vec3 position = ReadVec3(reader) * scale;
    reader.Skip(6 * 4);  // six values with no use
    Vec3 direction = ReadVec3(reader);
    Vec3 colour = ReadVec3(reader);
    float range = app::ReadFloat(reader);
    auto node = std::make_unique<SceneNode>(std::move(name), kind, range, position, direction, colour);
    node->SetRange(range);
    node->leadingString = ReadOptionalText(reader);
    nodes_.push_back(std::move(node));
  }
  if (reader.Overrun()) return fail("light nodes are truncated");

  if (!reader.CanRead(markerCount, kMarkerMinBytes)) return fail("marker count is beyond the end of the file");
  for (uint32_t i = 0; i < markerCount; ++i) {
    std::string name = app::ReadZeroTerminatedString(reader);
    Vec3 position = ReadVec3(reader) * scale;
    platform::Matrix4 matrix;
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) matrix.m[row][col] = app::ReadFloat(reader);
    auto marker = std::make_unique<SceneMarker>(std::move(name), position, matrix);
    marker->leadingString = ReadOptionalText(reader);
    markers_.push_back(std::move(marker));
  }
  if (reader.Overrun()) return fail("markers are truncated");

  if (!reader.CanRead(pathCount, kPathMinBytes)) return fail("path count is beyond the end of the file");
  for (uint32_t i = 0; i < pathCount; ++i) {
    std::string name = app::ReadZeroTerminatedString(reader);
    Vec3 origin = ReadVec3(reader) * scale;
    uint32_t listCount = static_cast<uint32_t>(static_cast<int32_t>(app::ReadInt16(reader)));
    if (!reader.CanRead(listCount, kPointListMinBytes)) return fail("point list count is beyond the end of the file");
    std::unique_ptr<Path> path;
    for (uint32_t list = 0; list < listCount; ++list) {
      uint32_t pointCount = static_cast<uint32_t>(static_cast<int32_t>(app::ReadInt16(reader)));
      bool closed = app::ReadSignedByte(reader) != 0;
      if (!reader.CanRead(pointCount, 12)) return fail("point count is beyond the end of the file");
      if (list == 0) path = std::make_unique<Path>(name, closed, origin);
      for (uint32_t p = 0; p < pointCount; ++p) {
        Vec3 point = ReadVec3(reader) * scale;
        if (list == 0) path->AddPoint(point, kDefaultLeftEdge, kDefaultRightEdge);
      }
    }
    // The closing segment is counted once, and only for a path that is itself a loop.
    if (path && path->Closed()) path->UpdateClosingSegment();
    std::string text = ReadOptionalText(reader);
    if (path) {
      path->leadingString = std::move(text);
      paths_.push_back(std::move(path));
    }
  }
  if (reader.Overrun()) return fail("paths are truncated");

  geometry_->Finalize();
  geometry_->ComputeFaceNormals();
  if (!Finite(boundsMin_) || !Finite(boundsMax_)) return fail("the bounds are not finite");

  Vec3 diagonal = boundsMax_ - boundsMin_;
  float minNodeSize = std::max(shortestEdge, platform::Length(diagonal) * kDiagonalFraction);
  if (useQuadtree) {
    quadtree_ = std::make_unique<Quadtree>(boundsMin_, boundsMax_, minNodeSize);
  } else {
    octree_ = std::make_unique<Octree>(boundsMin_, boundsMax_, minNodeSize);
  }
  for (uint32_t t = 0; t < geometry_->TriangleCount(); ++t) {
    const Vec3& triangleMin = geometry_->GetTriangleMin(t);
    const Vec3& triangleMax = geometry_->GetTriangleMax(t);
    if (octree_) octree_->Insert(t, triangleMin, triangleMax);
    if (quadtree_) quadtree_->Insert(t, triangleMin, triangleMax);
  }
  collectionOrder_ = octree_ ? octree_->AllItems() : quadtree_->AllItems();
  std::vector<Vec3> triangleMin(geometry_->TriangleCount()), triangleMax(geometry_->TriangleCount());
  for (uint32_t t = 0; t < geometry_->TriangleCount(); ++t) {
    triangleMin[t] = geometry_->GetTriangleMin(t);
    triangleMax[t] = geometry_->GetTriangleMax(t);
  }
  grid_.Build(collectionOrder_, triangleMin, triangleMax, boundsMin_, boundsMax_);
  return true;
}

void CollisionTree::CollectNear(const Vec3& boxMin, const Vec3& boxMax, std::vector<uint32_t>& out) const {
  if (octree_) {
    octree_->CollectTriangles(boxMin, boxMax, out);
  } else if (quadtree_) {
    quadtree_->CollectTriangles(boxMin, boxMax, out);
  }
}

void CollisionTree::QueryBox(const Vec3& boxMin, const Vec3& boxMax) {
  queryMin_ = boxMin;
  queryMax_ = boxMax;
  queried_ = true;
  candidatesWritten_ = false;
}

const std::vector<uint32_t>& CollisionTree::Candidates() const {
  if (!candidatesWritten_) {
    candidates_.clear();
    if (queried_) CollectNear(queryMin_, queryMax_, candidates_);
    candidatesWritten_ = true;
  }
  return candidates_;
}

bool CollisionTree::InQueryBox(const Vec3& a, const Vec3& b) const {
  // A triangle lies inside its partition node, so it is collected exactly when its own box meets the query box.
  const bool xz = queryMax_.x >= a.x && queryMin_.x <= b.x && queryMax_.z >= a.z && queryMin_.z <= b.z;
  return octree_ ? xz && queryMax_.y >= a.y && queryMin_.y <= b.y : xz;
}

bool CollisionTree::GatherNear(const Vec3& boxMin, const Vec3& boxMax, bool candidatesOnly) const {
  castCandidates_.clear();
  if (grid_.Empty()) return false;
  if (candidatesOnly && !queried_) return true;
  bool ascending = true;
  const bool answered = grid_.ForEachOverlapping(
      boxMin, boxMax,
      [this, candidatesOnly](uint32_t place, const Vec3& triangleMin, const Vec3& triangleMax) {
        if (!candidatesOnly || InQueryBox(triangleMin, triangleMax)) castCandidates_.push_back(place);
      },
      &ascending);
  if (!answered) {
    castCandidates_.clear();
    return false;
  }
  // Places first, put in the partition's order, then turned into triangles.
  if (!ascending) std::sort(castCandidates_.begin(), castCandidates_.end());
  for (uint32_t& entry : castCandidates_) entry = collectionOrder_[entry];
  return true;
}

namespace {

app::Aabb CastBox(const Vec3& start, const Vec3& end, float radius) {
  app::Aabb box{start, start};
  box.AddPoint(end);
  box.min = box.min - Vec3{radius, radius, radius};
  box.max = box.max + Vec3{radius, radius, radius};
  return box;
}

}  // namespace

bool CollisionTree::SegmentCast(const Vec3& start, const Vec3& end, SurfaceHit& hit) const {
  if (!geometry_) return false;
  app::Aabb box = CastBox(start, end, 0);
  if (!GatherNear(box.min, box.max, false)) {
    castCandidates_.reserve(kCastCandidateReserve);
    CollectNear(box.min, box.max, castCandidates_);
  }
  float best = kNoHitDistance;
  return geometry_->SegmentHitInList(castCandidates_, start, end, box.min, box.max, hit, best);
}

bool CollisionTree::SphereCast(const Vec3& start, const Vec3& end, float radius, SurfaceHit& hit) const {
  if (!geometry_) return false;
  app::Aabb box = CastBox(start, end, radius);
  if (!GatherNear(box.min, box.max, false)) {
    castCandidates_.reserve(kCastCandidateReserve);
    CollectNear(box.min, box.max, castCandidates_);
  }
  float best = kNoHitDistance;
  return geometry_->SphereHitInList(castCandidates_, start, end, box.min, box.max, radius, hit, best);
}

bool CollisionTree::SphereCastSimple(const Vec3& start, const Vec3& end, float radius, Vec3& centre,
                                     Vec3& normal) const {
  SurfaceHit hit;
  if (!SphereCast(start, end, radius, hit)) return false;
  centre = hit.centre;
  normal = hit.normal;
  return true;
}

bool CollisionTree::SegmentHitInCandidates(const Vec3& start, const Vec3& end, SurfaceHit& hit) const {
  if (!geometry_) return false;
  app::Aabb box = CastBox(start, end, 0);
  float best = kNoHitDistance;
  const auto& triangles = GatherNear(box.min, box.max, true) ? castCandidates_ : Candidates();
  return geometry_->SegmentHitInList(triangles, start, end, box.min, box.max, hit, best);
}

bool CollisionTree::SweptSphereHitInCandidates(const Vec3& start, const Vec3& end, float radius,
                                               SurfaceHit& hit) const {
  if (!geometry_) return false;
  app::Aabb box = CastBox(start, end, radius);
  float best = kNoHitDistance;
  const auto& triangles = GatherNear(box.min, box.max, true) ? castCandidates_ : Candidates();
  return geometry_->SphereHitInList(triangles, start, end, box.min, box.max, radius, hit, best);
}

}  // namespace geometry
