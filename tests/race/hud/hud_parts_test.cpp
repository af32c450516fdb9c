// Tests of the HUD's parts: the gauge cluster's needle, readouts and nitrous meter, and the minimap's ribbon,
// projection and degenerate paths.
#include <cmath>
#include <limits>

#include "geometry/path.h"
#include "../race_test_support.h"
#include "platform/math/math.h"
#include "race/hud/gauge_cluster.h"
#include "race/hud/minimap.h"

namespace race {
namespace {

class HudParts : public race_test::HudFixture {
 protected:
  GaugeCluster& Gauges() {
    gauges_ = std::make_unique<GaugeCluster>(device_, resources_.get(), RaceGaugeLayout());
    return *gauges_;
  }
  Minimap Map(const geometry::Path& path) {
    return Minimap(device_, path, nullptr, nullptr, nullptr, nullptr, 90, 500, 150, 150, 8, 16);
  }
  std::unique_ptr<GaugeCluster> gauges_;
};

TEST_F(HudParts, TheNeedleTurnsClockwiseWithEngineSpeedAboutItsCentre) {
  GaugeCluster& gauges = Gauges();
  // The tip of the upright needle, 96 units above its centre in the y-up drawing space.
  const float centreX = 704.0f - 400.0f, centreY = -(438.0f - 300.0f), side = 96.0f * std::sqrt(0.5f);
  const struct {
    float rpm, x, y;
  } cases[] = {{6750, centreX, centreY + 96.0f}, {4500, centreX - side, centreY + side},
               {9000, centreX + side, centreY + side}};
  for (const auto& c : cases) {
    gauges.rpm = c.rpm;
    const platform::Matrix4 view = gauges.NeedleView();
    EXPECT_NEAR(96.0f * view.m[1][0] + view.m[3][0], c.x, 1e-2) << c.rpm;
    EXPECT_NEAR(96.0f * view.m[1][1] + view.m[3][1], c.y, 1e-2) << c.rpm;
  }
}

TEST_F(HudParts, ReadoutsStayPrintableAndInsideTheirTables) {
  GaugeCluster& gauges = Gauges();
  const struct {
    float speed;
    const char* text;
  } speeds[] = {{54.5f, "55"}, {1e30f, "1000000000000000"}, {std::numeric_limits<float>::quiet_NaN(), "0"}};
  for (const auto& c : speeds) {
    gauges.speed = c.speed;
    EXPECT_EQ(gauges.SpeedText(), c.text) << c.speed;
  }
  gauges.gear = 9;
  EXPECT_EQ(gauges.GearText(), "N") << "a gear past the table is not read beyond it";
  // The meter's cell by the ceiling of eighths; an empty tank's 0 / 0 shows the empty cell.
  const struct {
    float nitrous;
    int32_t cell;
  } cells[] = {{0.0f, 0}, {0.01f, 1}, {0.5f, 4}, {1.0f, 7}, {1.5f, 7}, {-0.2f, 0},
               {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& c : cells) {
    gauges.nitrous = c.nitrous;
    EXPECT_EQ(gauges.NitrousCell(), c.cell) << c.nitrous;
  }
  // Cell 7 is the last column of the second row of the meter's picture; the shift is turned off after drawing.
  gauges.nitrous = 1.0f;
  gauges.Draw(device_);
  platform::Matrix4 shift;
  ASSERT_EQ(device_->GetTransform(platform::gfx::TransformState::Texture0, shift), platform::kOk);
  EXPECT_FLOAT_EQ(shift.m[2][0], 0.75f);
  EXPECT_FLOAT_EQ(shift.m[2][1], 0.5f);
  uint32_t flags = 1u;
  device_->GetTextureStageState(0, platform::gfx::TextureStageState::TextureTransformFlags, flags);
  EXPECT_EQ(flags, platform::gfx::texture_transform::kDisable);
}

TEST_F(HudParts, MinimapRibbonKeepsTheTrackWidthProjectsNorthUpAndSurvivesDegeneratePaths) {
  geometry::Path path("AIPATH", true, platform::Vec3{});
  for (int i = 0; i < 10; ++i) {
    const float angle = static_cast<float>(i) * 0.62831853f;
    path.AddPoint({1000.0f * std::cos(angle) + 1000.0f, 0.0f, 500.0f * std::sin(angle)});
  }
  const Minimap map = Map(path);
  ASSERT_EQ(map.trackStrip.size(), 22u) << "a loop closes with the first pair again";
  for (size_t i = 0; i < map.trackStrip.size(); i += 2) {
    const float dx = map.trackStrip[i].x - map.trackStrip[i + 1].x;
    const float dy = map.trackStrip[i].y - map.trackStrip[i + 1].y;
    EXPECT_NEAR(std::hypot(dx, dy), 8.0f, 1e-3) << "pair " << i / 2;
  }
  // World +x is to the right, +z up the screen; height never counts.
  const platform::Vec2 ahead = map.Project({100, 300, 100});
  EXPECT_NEAR(ahead.x, 90.0f + 100.0f * map.scale, 1e-4);
  EXPECT_NEAR(ahead.y, 500.0f - 100.0f * map.scale, 1e-4);
  // Paths of no or one point draw no ribbon and divide by nothing.
  geometry::Path single("AIPATH", false, platform::Vec3{});
  EXPECT_EQ(Map(single).stripTriangles, 0u);
  single.AddPoint({5, 0, 5});
  const Minimap one = Map(single);
  EXPECT_TRUE(std::isfinite(one.scale) && std::isfinite(one.trackStrip[0].x));
}

}  // namespace
}  // namespace race
