// Octree and quadtree of triangle boxes: triangles sorted by their boxes into a tree of nodes so that a box
// query visits only the triangles near it. The quadtree splits on x and z only and keeps each node's full height.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/math/types.h"

namespace geometry {

using platform::Vec3;

// A node deeper than this never splits, whatever the minimum node size: float rounding in huge or degenerate
// boxes could otherwise make children as large as their parent.
constexpr int kMaxPartitionDepth = 32;

// kChildCount 8: octree node; 4: quadtree node (x and z only).
template <int kChildCount>
class PartitionNode {
 public:
  PartitionNode(const Vec3& min, const Vec3& max) : max(max), min(min) {}

  // Places an item by its box: descends into the first child (in child order) that contains the box, splitting
  // a childless node on the way when its x extent is above minNodeSize and it contains the box; the item stays
  // in the last node that contains it. Containment includes the bounds.
  void Insert(uint32_t item, const Vec3& itemMinimum, const Vec3& itemMaximum, float minNodeSize);
  // Appends the items whose boxes meet the query box: this node's items in list order, then the children in
  // child order (a child wholly inside the query is taken without further child tests). Each item once.
  void CollectTriangles(const Vec3& queryMin, const Vec3& queryMax, bool testChildren,
                        std::vector<uint32_t>& out) const;

  // Child boxes: half = x extent / 2 on every axis, mid = min + half. Octree child i takes x high when bit 0 is
  // set, z low when bit 1 is set, y low when bit 2 is set; quadtree child i uses bits 0 and 1 the same way.
  void ChildBox(int child, Vec3* childMin, Vec3* childMax) const;

  // Appends every item of this node and its children in the order CollectTriangles reports them.
  void AppendAllItems(std::vector<uint32_t>& out) const;

  int Depth() const;

  Vec3 max, min;
  bool hasChildren = false;
  std::unique_ptr<PartitionNode> children[kChildCount];
  std::vector<uint32_t> items;
  std::vector<Vec3> itemMin;
  std::vector<Vec3> itemMax;

 private:
  bool Contains(const Vec3& boxMin, const Vec3& boxMax) const;
  void Split();
  void Collect(const Vec3& queryMin, const Vec3& queryMax, bool testChildren, std::vector<uint32_t>& out,
               int depth) const;
};

using OctreeNode = PartitionNode<8>;
using QuadtreeNode = PartitionNode<4>;

template <int kChildCount>
class Partition {
 public:
  // The root is widened to a cube (octree) or to a square in x and z (quadtree) around the box's centre; the
  // partition keeps the box as given.
  Partition(const Vec3& boundsMinimum, const Vec3& boundsMaximum, float minimumNodeSize);

  void Insert(uint32_t item, const Vec3& itemMinimum, const Vec3& itemMaximum) {
    root->Insert(item, itemMinimum, itemMaximum, minNodeSize);
  }
  // Clears nothing: appends to out.
  void CollectTriangles(const Vec3& queryMin, const Vec3& queryMax, std::vector<uint32_t>& out) const {
    root->CollectTriangles(queryMin, queryMax, true, out);
  }

  // Every item in collection order: a box query reports the items it finds in the order they have here.
  std::vector<uint32_t> AllItems() const {
    std::vector<uint32_t> out;
    root->AppendAllItems(out);
    return out;
  }

  float minNodeSize = 0;
  Vec3 boundsMax, boundsMin;
  std::unique_ptr<PartitionNode<kChildCount>> root;
};

using Octree = Partition<8>;
using Quadtree = Partition<4>;

extern template class PartitionNode<8>;
extern template class PartitionNode<4>;
extern template class Partition<8>;
extern template class Partition<4>;

}  // namespace geometry
