// Tests of the octree and quadtree: root shape, child order, lazy splitting, inclusive containment, collection.
#include "geometry/spatial_partition.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace geometry {
namespace {

void ExpectEq(const Vec3& actual, const Vec3& expected) {
  EXPECT_FLOAT_EQ(actual.x, expected.x);
  EXPECT_FLOAT_EQ(actual.y, expected.y);
  EXPECT_FLOAT_EQ(actual.z, expected.z);
}

TEST(PartitionShape, RootIsWidenedAroundTheSameCentre) {
  Octree octree({0, 0, 0}, {10, 2, 4}, 1);
  ExpectEq(octree.root->min, {0, -4, -3});
  ExpectEq(octree.root->max, {10, 6, 7});
  ExpectEq(octree.boundsMax, {10, 2, 4});
  Quadtree quadtree({0, 0, 0}, {10, 2, 4}, 1);
  ExpectEq(quadtree.root->min, {0, 0, -3});
  ExpectEq(quadtree.root->max, {10, 2, 7});
  EXPECT_FALSE(octree.root->hasChildren);
}

TEST(PartitionShape, ChildOrderFollowsTheBits) {
  OctreeNode node({0, 0, 0}, {8, 8, 8});
  Vec3 min, max;
  node.ChildBox(0, &min, &max);  // x low, y high, z high
  ExpectEq(min, {0, 4, 4});
  ExpectEq(max, {4, 8, 8});
  node.ChildBox(1, &min, &max);  // x high
  ExpectEq(min, {4, 4, 4});
  node.ChildBox(2, &min, &max);  // z low
  ExpectEq(min, {0, 4, 0});
  ExpectEq(max, {4, 8, 4});
  node.ChildBox(7, &min, &max);  // x high, y low, z low
  ExpectEq(min, {4, 0, 0});
  ExpectEq(max, {8, 4, 4});

  QuadtreeNode flat({0, -100, 0}, {8, 100, 8});
  flat.ChildBox(1, &min, &max);  // x high, z high, full height
  ExpectEq(min, {4, -100, 4});
  ExpectEq(max, {8, 100, 8});
  flat.ChildBox(2, &min, &max);  // x low, z low
  ExpectEq(min, {0, -100, 0});
  ExpectEq(max, {4, 100, 4});
}

TEST(PartitionInsert, SplitsLazilyDownToTheMinimumNodeSize) {
  Octree tree({0, 0, 0}, {8, 8, 8}, 1);
  // Straddles the middle: the root splits (the item fits it) but the item stays there.
  tree.Insert(0, {3, 3, 3}, {5, 5, 5});
  EXPECT_TRUE(tree.root->hasChildren);
  ASSERT_EQ(tree.root->items.size(), 1u);
  EXPECT_EQ(tree.root->NodeCount(), 9u);
  for (const auto& child : tree.root->children) EXPECT_FALSE(child->hasChildren);

  // A small item near the low corner descends 8 → 4 → 2 → 1 and stops where the extent is no longer above 1.
  tree.Insert(1, {0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f});
  EXPECT_EQ(tree.root->Depth(), 3);
  const OctreeNode* node = tree.root.get();
  for (int level = 0; level < 3; ++level) node = node->children[6].get();
  ASSERT_EQ(node->items.size(), 1u);
  EXPECT_EQ(node->items[0], 1u);
  EXPECT_FLOAT_EQ(node->max.x - node->min.x, 1);
  EXPECT_FALSE(node->hasChildren);
  ExpectEq(node->itemMax[0], {0.2f, 0.2f, 0.2f});
}

TEST(PartitionInsert, ContainmentIncludesTheBounds) {
  Octree tree({0, 0, 0}, {8, 8, 8}, 4);
  // Touches the middle plane x = 4 from below: belongs to an x-low child.
  tree.Insert(0, {1, 5, 5}, {4, 6, 6});
  // Flat in the middle plane: the first child in child order that holds it (child 0, x low).
  tree.Insert(1, {4, 5, 5}, {4, 6, 6});
  ASSERT_TRUE(tree.root->hasChildren);
  EXPECT_TRUE(tree.root->items.empty());
  ASSERT_EQ(tree.root->children[0]->items.size(), 2u);
  // An item outside the root stays in the root without splitting anything further.
  tree.Insert(2, {-5, -5, -5}, {-4, -4, -4});
  EXPECT_EQ(tree.root->items.size(), 1u);
}

TEST(PartitionInsert, DegenerateBoxesStopAtTheDepthLimit) {
  Octree tree({0, 0, 0}, {1, 1, 1}, 0);
  tree.Insert(0, {0, 0, 0}, {0, 0, 0});
  EXPECT_LE(tree.root->Depth(), kMaxPartitionDepth);
  Quadtree flat({0, 0, 0}, {0, 0, 0}, 0);
  flat.Insert(0, {0, 0, 0}, {0, 0, 0});
  EXPECT_EQ(flat.root->Depth(), 0);
  std::vector<uint32_t> out;
  flat.CollectTriangles({0, 0, 0}, {0, 0, 0}, out);
  EXPECT_EQ(out.size(), 1u);
}

TEST(PartitionCollect, ReturnsEveryMeetingItemOnceInTreeOrder) {
  Octree tree({0, 0, 0}, {16, 16, 16}, 1);
  tree.Insert(0, {7, 7, 7}, {9, 9, 9});    // root
  tree.Insert(1, {1, 1, 1}, {2, 2, 2});    // deep in child 6
  tree.Insert(2, {10, 10, 10}, {11, 11, 11});
  tree.Insert(3, {13, 1, 1}, {14, 2, 2});
  std::vector<uint32_t> out;
  tree.CollectTriangles({0, 0, 0}, {16, 16, 16}, out);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], 0u);  // node items before children
  std::vector<uint32_t> sorted = out;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<uint32_t>{0, 1, 2, 3}));

  // Touching counts; a box that misses everything finds nothing.
  out.clear();
  tree.CollectTriangles({2, 2, 2}, {3, 3, 3}, out);
  EXPECT_EQ(out, (std::vector<uint32_t>{1}));
  out.clear();
  tree.CollectTriangles({4, 12, 4}, {5, 13, 5}, out);
  EXPECT_TRUE(out.empty());

  // The quadtree ignores height.
  Quadtree flat({0, 0, 0}, {16, 16, 16}, 1);
  flat.Insert(0, {1, 0, 1}, {2, 0, 2});
  out.clear();
  flat.CollectTriangles({1.5f, 100, 1.5f}, {1.6f, 200, 1.6f}, out);
  EXPECT_EQ(out, (std::vector<uint32_t>{0}));
}

}  // namespace
}  // namespace geometry
