// Tests of the minimap: scale from the path's extent, ribbon size, projection of cars and marker angles.
#include "race/hud/minimap.h"

#include <cmath>

#include "geometry/path.h"
#include "hud_test_support.h"

namespace race {
namespace {

geometry::Path RectanglePath(bool closed, size_t points, float width, float depth) {
  geometry::Path path("AIPATH", closed, platform::Vec3{});
  // Points spread around a width x depth rectangle so the extents are exactly those.
  for (size_t i = 0; i < points; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(points);
    const float angle = t * 6.2831853f;
    path.AddPoint({width * 0.5f * std::cos(angle) + width * 0.5f, 0.0f, depth * 0.5f * std::sin(angle)});
  }
  return path;
}

class MinimapTest : public hud_test::HudFixture {
 protected:
  Minimap Make(const geometry::Path& path) {
    return Minimap(device_, path, nullptr, nullptr, nullptr, nullptr, 90, 500, 150, 150, 8, 16);
  }
};

TEST_F(MinimapTest, ScaleFitsTheWiderExtentInsideTheMapLessTheTrack) {
  geometry::Path wide("AIPATH", false, platform::Vec3{});
  wide.AddPoint({0, 0, 0});
  wide.AddPoint({2000, 0, 1000});
  EXPECT_NEAR(Make(wide).scale, 142.0f / 2000.0f, 1e-6);
  geometry::Path deep("AIPATH", false, platform::Vec3{});
  deep.AddPoint({0, 0, 0});
  deep.AddPoint({500, 50000, 1420});
  EXPECT_NEAR(Make(deep).scale, 0.1f, 1e-6) << "the larger of x and z decides; height never does";
}

TEST_F(MinimapTest, RibbonHasTwoVerticesPerPointAndClosesALoop) {
  const Minimap closed = Make(RectanglePath(true, 10, 2000, 1000));
  EXPECT_EQ(closed.trackStrip.size(), 22u);
  EXPECT_EQ(closed.stripTriangles, 20u);
  EXPECT_FLOAT_EQ(closed.trackStrip[20].x, closed.trackStrip[0].x) << "the closing pair repeats the first";
  EXPECT_FLOAT_EQ(closed.trackStrip[21].y, closed.trackStrip[1].y);
  EXPECT_FLOAT_EQ(closed.trackStrip[20].v, 10.0f);
  EXPECT_FLOAT_EQ(closed.trackStrip[21].u, 1.0f);

  const Minimap open = Make(RectanglePath(false, 10, 2000, 1000));
  EXPECT_EQ(open.trackStrip.size(), 20u);
  EXPECT_EQ(open.stripTriangles, 18u);
  // Every pair lies the track width apart, whatever the scale.
  for (size_t i = 0; i < open.trackStrip.size(); i += 2) {
    const float dx = open.trackStrip[i].x - open.trackStrip[i + 1].x;
    const float dy = open.trackStrip[i].y - open.trackStrip[i + 1].y;
    EXPECT_NEAR(std::hypot(dx, dy), 8.0f, 1e-3) << "pair " << i / 2;
  }
}

TEST_F(MinimapTest, CarsProjectFromTheWorldOriginAtTheMapPosition) {
  Minimap map = Make(RectanglePath(true, 12, 2000, 1000));
  const platform::Vec2 origin = map.Project({0, 300, 0});
  EXPECT_FLOAT_EQ(origin.x, 90.0f);
  EXPECT_FLOAT_EQ(origin.y, 500.0f);
  const platform::Vec2 ahead = map.Project({100, 0, 100});
  EXPECT_NEAR(ahead.x, 90.0f + 100.0f * map.scale, 1e-4) << "world +x is to the right";
  EXPECT_NEAR(ahead.y, 500.0f - 100.0f * map.scale, 1e-4) << "world +z is up the screen";
}

TEST_F(MinimapTest, MarkersTurnWithTheHeading) {
  EXPECT_NEAR(Minimap::HeadingAngle({0, 0, 1}), 0.0f, 1e-4);
  EXPECT_NEAR(std::fabs(Minimap::HeadingAngle({0, 0, -1})), 180.0f, 1e-4);
  EXPECT_NEAR(Minimap::HeadingAngle({1, 0, 0}), -90.0f, 1e-4) << "+x turns the arrow clockwise";
  EXPECT_NEAR(Minimap::HeadingAngle({0, 5, 2}), 0.0f, 1e-4) << "the height of a heading is ignored";
}

TEST_F(MinimapTest, DrawsRibbonStartAndOneMarkerPerRacer) {
  Minimap map = Make(RectanglePath(true, 10, 2000, 1000));
  device_->ClearRecords();
  map.Draw(device_);
  EXPECT_EQ(device_->Draws().size(), 2u) << "no racers: ribbon and start marker only";
  ASSERT_FALSE(device_->Draws().empty());
  EXPECT_EQ(device_->Draws()[0].primitiveCount, 20u);

  map.SetRacerCount(3);
  map.SetRacer(0, {100, 0, 100}, {1, 0, 0}, false);
  map.SetRacer(2, {0, 0, 0}, {0, 0, -1}, true);
  map.SetRacer(7, {1, 1, 1}, {1, 0, 0}, true);  // beyond the count: ignored
  EXPECT_FALSE(map.racerHighlight[1]);
  EXPECT_TRUE(map.racerHighlight[2]);
  device_->ClearRecords();
  map.Draw(device_);
  EXPECT_EQ(device_->Draws().size(), 5u);
  EXPECT_FLOAT_EQ(map.marker->x, 90.0f) << "the marker was last placed for the third racer";
  EXPECT_NEAR(std::fabs(map.marker->angle), 180.0f, 1e-4);
}

TEST_F(MinimapTest, DegeneratePathsDrawNoRibbonAndDivideByNothing) {
  geometry::Path empty("AIPATH", true, platform::Vec3{});
  const Minimap none = Make(empty);
  EXPECT_EQ(none.stripTriangles, 0u);
  EXPECT_FLOAT_EQ(none.scale, 1.0f);
  geometry::Path single("AIPATH", false, platform::Vec3{});
  single.AddPoint({5, 0, 5});
  const Minimap one = Make(single);
  EXPECT_TRUE(std::isfinite(one.scale));
  EXPECT_TRUE(std::isfinite(one.trackStrip[0].x));
}

}  // namespace
}  // namespace race
