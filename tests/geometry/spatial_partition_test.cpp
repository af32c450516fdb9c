// Tests of the octree and quadtree beyond what the collision tree's comparison with a scan of every triangle
// reaches: lazy splitting down to the minimum node size, inclusive containment, and the depth limit.
#include "geometry/spatial_partition.h"

#include <gtest/gtest.h>

namespace geometry {
namespace {

TEST(SpatialPartition, SplitsLazilyToTheMinimumNodeSizeAndStopsAtTheDepthLimit) {
  Octree tree({0, 0, 0}, {8, 8, 8}, 1);
  // Straddles the middle: the root splits (the item fits it) but the item stays there.
  tree.Insert(0, {3, 3, 3}, {5, 5, 5});
  EXPECT_EQ(tree.root->items.size(), 1u);
  EXPECT_EQ(tree.root->NodeCount(), 9u);
  // A small item near the low corner descends 8 → 4 → 2 → 1 and stops where the extent is no longer above 1.
  tree.Insert(1, {0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f});
  EXPECT_EQ(tree.root->Depth(), 3);
  // Touching the middle plane x = 4 from below or lying flat in it: the first child in child order, x low.
  Octree touching({0, 0, 0}, {8, 8, 8}, 4);
  touching.Insert(0, {1, 5, 5}, {4, 6, 6});
  touching.Insert(1, {4, 5, 5}, {4, 6, 6});
  EXPECT_TRUE(touching.root->items.empty());
  EXPECT_EQ(touching.root->children[0]->items.size(), 2u);

  // Boxes without size stop at the depth limit instead of splitting for ever.
  Octree point({0, 0, 0}, {1, 1, 1}, 0);
  point.Insert(0, {0, 0, 0}, {0, 0, 0});
  EXPECT_LE(point.root->Depth(), kMaxPartitionDepth);
  Quadtree flat({0, 0, 0}, {0, 0, 0}, 0);
  flat.Insert(0, {0, 0, 0}, {0, 0, 0});
  std::vector<uint32_t> out;
  flat.CollectTriangles({0, 0, 0}, {0, 0, 0}, out);
  EXPECT_EQ(out, (std::vector<uint32_t>{0}));
}

}  // namespace
}  // namespace geometry
