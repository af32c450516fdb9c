// Octree and quadtree of triangle boxes: lazy splitting on insert and box collection.
#include "geometry/spatial_partition.h"

#include <algorithm>
#include <cmath>

#include "app/box_tests.h"

namespace geometry {

namespace {

template <int kChildCount>
constexpr bool IsOctree() {
  return kChildCount == 8;
}

// The shared inclusive overlap test, inlined here because collection runs it on every item of every visited
// node. Same comparisons, same order, so a NaN bound fails it the same way.
template <int kChildCount>
inline bool Overlaps(const Vec3& aMin, const Vec3& aMax, const Vec3& bMin, const Vec3& bMax) {
  bool xz = bMax.x >= aMin.x && bMin.x <= aMax.x && (!IsOctree<kChildCount>() || (bMax.y >= aMin.y && bMin.y <= aMax.y)) &&
            bMax.z >= aMin.z && bMin.z <= aMax.z;
  return xz;
}

}  // namespace

template <int kChildCount>
bool PartitionNode<kChildCount>::Contains(const Vec3& boxMin, const Vec3& boxMax) const {
  if constexpr (IsOctree<kChildCount>()) return app::AabbContains(min, max, boxMin, boxMax);
  return app::AabbContainsXZ(min, max, boxMin, boxMax);
}

template <int kChildCount>
void PartitionNode<kChildCount>::ChildBox(int child, Vec3* childMin, Vec3* childMax) const {
  float half = (max.x - min.x) * 0.5f;
  Vec3 mid{min.x + half, min.y + half, min.z + half};
  bool xHigh = (child & 1) != 0;
  bool zLow = (child & 2) != 0;
  childMin->x = xHigh ? mid.x : min.x;
  childMax->x = xHigh ? max.x : mid.x;
  childMin->z = zLow ? min.z : mid.z;
  childMax->z = zLow ? mid.z : max.z;
  if constexpr (IsOctree<kChildCount>()) {
    bool yLow = (child & 4) != 0;
    childMin->y = yLow ? min.y : mid.y;
    childMax->y = yLow ? mid.y : max.y;
  } else {
    childMin->y = min.y;
    childMax->y = max.y;
  }
}

template <int kChildCount>
void PartitionNode<kChildCount>::Split() {
  for (int i = 0; i < kChildCount; ++i) {
    Vec3 childMin, childMax;
    ChildBox(i, &childMin, &childMax);
    children[i] = std::make_unique<PartitionNode>(childMin, childMax);
  }
  hasChildren = true;
}

template <int kChildCount>
void PartitionNode<kChildCount>::Insert(uint32_t item, const Vec3& itemMinimum, const Vec3& itemMaximum,
                                        float minNodeSize) {
  PartitionNode* node = this;
  for (int depth = 0;; ++depth) {
    if (!node->hasChildren && depth < kMaxPartitionDepth && node->max.x - node->min.x > minNodeSize &&
        node->Contains(itemMinimum, itemMaximum)) {
      node->Split();
    }
    if (!node->hasChildren) break;
    PartitionNode* next = nullptr;
    for (auto& child : node->children) {
      if (child->Contains(itemMinimum, itemMaximum)) {
        next = child.get();
        break;
      }
    }
    if (!next) break;
    node = next;
  }
  node->items.push_back(item);
  node->itemMin.push_back(itemMinimum);
  node->itemMax.push_back(itemMaximum);
}

template <int kChildCount>
void PartitionNode<kChildCount>::CollectTriangles(const Vec3& queryMin, const Vec3& queryMax, bool testChildren,
                                                  std::vector<uint32_t>& out) const {
  Collect(queryMin, queryMax, testChildren, out, 0);
}

template <int kChildCount>
void PartitionNode<kChildCount>::Collect(const Vec3& queryMin, const Vec3& queryMax, bool testChildren,
                                         std::vector<uint32_t>& out, int depth) const {
  for (size_t i = 0; i < items.size(); ++i) {
    if (Overlaps<kChildCount>(itemMin[i], itemMax[i], queryMin, queryMax)) out.push_back(items[i]);
  }
  if (!hasChildren || depth > kMaxPartitionDepth) return;
  for (const auto& child : children) {
    if (!testChildren) {
      child->Collect(queryMin, queryMax, false, out, depth + 1);
      continue;
    }
    bool inside, overlaps;
    if constexpr (IsOctree<kChildCount>()) {
      inside = app::AabbContains(queryMin, queryMax, child->min, child->max);
      overlaps = app::AabbOverlap(child->min, child->max, queryMin, queryMax);
    } else {
      inside = app::AabbContainsXZ(queryMin, queryMax, child->min, child->max);
      overlaps = app::AabbOverlapXZ(child->min, child->max, queryMin, queryMax);
    }
    if (inside) {
      child->Collect(queryMin, queryMax, false, out, depth + 1);
    } else if (overlaps) {
      child->Collect(queryMin, queryMax, true, out, depth + 1);
    }
  }
}

template <int kChildCount>
void PartitionNode<kChildCount>::AppendAllItems(std::vector<uint32_t>& out) const {
  out.insert(out.end(), items.begin(), items.end());
  if (hasChildren)
    for (const auto& child : children) child->AppendAllItems(out);
}

template <int kChildCount>
int PartitionNode<kChildCount>::Depth() const {
  int deepest = 0;
  if (hasChildren)
    for (const auto& child : children) deepest = std::max(deepest, child->Depth() + 1);
  return deepest;
}

template <int kChildCount>
Partition<kChildCount>::Partition(const Vec3& boundsMinimum, const Vec3& boundsMaximum, float minimumNodeSize)
    : minNodeSize(minimumNodeSize), boundsMax(boundsMaximum), boundsMin(boundsMinimum) {
  Vec3 rootMin = boundsMinimum, rootMax = boundsMaximum;
  float extentX = std::fabs(rootMax.x - rootMin.x);
  float extentY = std::fabs(rootMax.y - rootMin.y);
  float extentZ = std::fabs(rootMax.z - rootMin.z);
  float largest = std::max(extentX, extentZ);
  if constexpr (IsOctree<kChildCount>()) largest = std::max(largest, extentY);
  auto widen = [largest](float extent, float& low, float& high) {
    if (extent < largest) {
      float pad = (largest - extent) * 0.5f;
      low -= pad;
      high += pad;
    }
  };
  widen(extentX, rootMin.x, rootMax.x);
  widen(extentZ, rootMin.z, rootMax.z);
  if constexpr (IsOctree<kChildCount>()) widen(extentY, rootMin.y, rootMax.y);
  root = std::make_unique<PartitionNode<kChildCount>>(rootMin, rootMax);
}

template class PartitionNode<8>;
template class PartitionNode<4>;
template class Partition<8>;
template class Partition<4>;

}  // namespace geometry
