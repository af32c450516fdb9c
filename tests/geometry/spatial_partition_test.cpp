// Test of the octree and quadtree beyond what the collision tree's comparison with a scan of every triangle
// reaches: splitting stops at the minimum node size, and boxes without size stop at the depth limit.
#include "geometry/spatial_partition.h"

#include <gtest/gtest.h>

namespace geometry {
namespace {

TEST(SpatialPartition, SplittingStopsAtTheMinimumNodeSizeAndTheDepthLimit) {
  Octree tree({0, 0, 0}, {8, 8, 8}, 1);
  // A small item near the low corner descends 8 → 4 → 2 → 1 and stops where the extent is no longer above 1.
  tree.Insert(0, {0.1f, 0.1f, 0.1f}, {0.2f, 0.2f, 0.2f});
  EXPECT_EQ(tree.root->Depth(), 3);
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
