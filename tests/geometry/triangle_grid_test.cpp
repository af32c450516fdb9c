// The cast grid against a scan of every box: road-sized and ground-plane-sized triangles, small and large
// queries. A file of a few huge triangles once filled every cell with each of them and made casts crawl.
#include "geometry/triangle_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/box_tests.h"

namespace geometry {
namespace {

TEST(TriangleGrid, VisitsExactlyTheBoxesAScanFindsAndStaysSmallWithHugeTriangles) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> across(0, 20000), small(0, 300), huge(5000, 20000), height(-50, 50);
  std::vector<Vec3> mins, maxs;
  std::vector<uint32_t> order;
  for (uint32_t t = 0; t < 400; ++t) {
    const Vec3 min{across(random), height(random), across(random)};
    const bool groundPlane = t % 40 == 0;
    const float width = groundPlane ? huge(random) : small(random), depth = groundPlane ? huge(random) : small(random);
    mins.push_back(min);
    maxs.push_back(min + Vec3{width, small(random) * 0.1f, depth});
    order.push_back(399 - t);  // places differ from triangle numbers, as the partition's order makes them
  }
  TriangleGrid grid;
  grid.Build(order, mins, maxs, {0, -50, 0}, {40000, 50, 40000});
  EXPECT_LE(grid.EntryCount(), 64 * order.size());

  for (int i = 0; i < 500; ++i) {
    const Vec3 min{across(random), height(random), across(random)};
    const float reach = i % 50 == 0 ? 30000.0f : small(random);
    const Vec3 max = min + Vec3{reach, 40, reach};
    std::vector<uint32_t> visited;
    bool ascending = false;
    const bool answered = grid.ForEachOverlapping(
        min, max, [&visited](uint32_t place, const Vec3&, const Vec3&) { visited.push_back(place); }, &ascending);
    if (!answered) {
      // Only a query far larger than a cast's box is left to the partition.
      EXPECT_GT(reach, 2000.0f);
      EXPECT_TRUE(visited.empty());
      continue;
    }
    if (ascending) {
      EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end())) << "query " << i;
    }
    std::sort(visited.begin(), visited.end());
    std::vector<uint32_t> expected;
    for (uint32_t place = 0; place < order.size(); ++place)
      if (app::AabbOverlap(mins[order[place]], maxs[order[place]], min, max)) expected.push_back(place);
    ASSERT_EQ(visited, expected) << "query " << i;
  }
}

}  // namespace
}  // namespace geometry
