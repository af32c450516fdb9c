// Tests of the gauge cluster: needle angle from rpm, speed and gear readouts, and the nitrous cell.
#include "race/hud/gauge_cluster.h"

#include <cmath>
#include <limits>

#include "hud_test_support.h"
#include "platform/math/math.h"

namespace race {
namespace {

class GaugeClusterTest : public hud_test::HudFixture {
 protected:
  GaugeCluster& Make() {
    gauges_ = std::make_unique<GaugeCluster>(device_, resources_.get(), RaceGaugeLayout());
    return *gauges_;
  }
  void TearDown() override {
    gauges_.reset();
    HudFixture::TearDown();
  }
  std::unique_ptr<GaugeCluster> gauges_;
};

TEST_F(GaugeClusterTest, NeedleTurnsWithEngineSpeed) {
  GaugeCluster& gauges = Make();
  EXPECT_FLOAT_EQ(gauges.degreesPerRpm, 0.02f);
  const struct {
    float rpm;
    float degrees;
  } cases[] = {{0, -135}, {4500, -45}, {6750, 0}, {9000, 45}, {10000, 65}};
  for (const auto& c : cases) {
    gauges.rpm = c.rpm;
    EXPECT_NEAR(gauges.NeedleAngle(), c.degrees, 1e-3) << c.rpm << " rpm";
  }
}

TEST_F(GaugeClusterTest, NeedleViewTurnsTheTipAboutTheNeedleCentre) {
  GaugeCluster& gauges = Make();
  // The tip of the upright needle, 96 units above its centre in the y-up drawing space.
  auto tip = [&] {
    const platform::Matrix4 view = gauges.NeedleView();
    const float x = 0.0f, y = 96.0f;
    return platform::Vec2{x * view.m[0][0] + y * view.m[1][0] + view.m[3][0],
                          x * view.m[0][1] + y * view.m[1][1] + view.m[3][1]};
  };
  const float centreX = 704.0f - 400.0f, centreY = -(438.0f - 300.0f);
  gauges.rpm = 6750;
  EXPECT_NEAR(tip().x, centreX, 1e-3);
  EXPECT_NEAR(tip().y, centreY + 96.0f, 1e-3) << "6750 rpm points straight up";
  gauges.rpm = 4500;
  const float side = 96.0f * std::sqrt(0.5f);
  EXPECT_NEAR(tip().x, centreX - side, 1e-2) << "45 degrees counter-clockwise leans left";
  EXPECT_NEAR(tip().y, centreY + side, 1e-2);
  gauges.rpm = 9000;
  EXPECT_NEAR(tip().x, centreX + side, 1e-2) << "45 degrees clockwise at full sweep";
  device_->ClearRecords();
  gauges.Draw(device_);
  EXPECT_GE(device_->Draws().size(), 3u) << "dial, meter and needle are drawn";
}

TEST_F(GaugeClusterTest, SpeedRoundsHalfUpAndGearReadsFromTable) {
  GaugeCluster& gauges = Make();
  gauges.speed = 54.5f;
  EXPECT_EQ(gauges.SpeedText(), "55");
  gauges.speed = 54.49f;
  EXPECT_EQ(gauges.SpeedText(), "54");
  gauges.speed = 0.0f;
  EXPECT_EQ(gauges.SpeedText(), "0");
  gauges.speed = 1e30f;
  EXPECT_EQ(gauges.SpeedText(), "1000000000000000") << "a runaway value is clamped, not converted out of range";
  gauges.speed = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(gauges.SpeedText(), "0");

  gauges.gear = 0;
  EXPECT_EQ(gauges.GearText(), "R");
  gauges.gear = 1;
  EXPECT_EQ(gauges.GearText(), "N");
  gauges.gear = 2;
  EXPECT_EQ(gauges.GearText(), "1");
  gauges.gear = 8;
  EXPECT_EQ(gauges.GearText(), "7");
  gauges.gear = 9;
  EXPECT_EQ(gauges.GearText(), "N") << "a gear past the table is not read beyond it";

  gauges.speed = 120.4f;
  gauges.gear = 4;
  gauges.Draw(device_);
  EXPECT_EQ(gauges.speedLabel->text, "120");
  EXPECT_EQ(gauges.gearLabel->text, "3");
}

TEST_F(GaugeClusterTest, NitrousPicksCellByCeiling) {
  GaugeCluster& gauges = Make();
  const struct {
    float nitrous;
    int32_t cell;
  } cases[] = {{0.0f, 0}, {0.01f, 1}, {0.5f, 4}, {1.0f, 7}, {1.5f, 7}, {-0.2f, 0}};
  for (const auto& c : cases) {
    gauges.nitrous = c.nitrous;
    EXPECT_EQ(gauges.NitrousCell(), c.cell) << c.nitrous;
  }
  gauges.nitrous = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(gauges.NitrousCell(), 0) << "an empty tank's 0 / 0 shows the empty cell";
}

TEST_F(GaugeClusterTest, DrawShiftsTheMeterTextureAndTurnsTheTransformOffAgain) {
  GaugeCluster& gauges = Make();
  gauges.nitrous = 0.5f;  // cell 4: first column, second row
  gauges.Draw(device_);
  platform::Matrix4 shift;
  ASSERT_EQ(device_->GetTransform(platform::gfx::TransformState::Texture0, shift), platform::kOk);
  EXPECT_FLOAT_EQ(shift.m[2][0], 0.0f);
  EXPECT_FLOAT_EQ(shift.m[2][1], 0.5f);
  gauges.nitrous = 1.0f;  // cell 7: last column, second row
  gauges.Draw(device_);
  ASSERT_EQ(device_->GetTransform(platform::gfx::TransformState::Texture0, shift), platform::kOk);
  EXPECT_FLOAT_EQ(shift.m[2][0], 0.75f);
  EXPECT_FLOAT_EQ(shift.m[2][1], 0.5f);
  uint32_t flags = 1u;
  ASSERT_EQ(device_->GetTextureStageState(0, platform::gfx::TextureStageState::TextureTransformFlags, flags),
            platform::kOk);
  EXPECT_EQ(flags, platform::gfx::texture_transform::kDisable);
}

TEST_F(GaugeClusterTest, LoadsItsPicturesAndGivesThemBack) {
  GaugeCluster& gauges = Make();
  EXPECT_GT(render::GetImageWidth(gauges.dialImage), 0u);
  EXPECT_GT(render::GetImageWidth(gauges.needleImage), 0u);
  EXPECT_GT(render::GetImageWidth(gauges.nitrousImage), 0u);
  ASSERT_NE(gauges.fontMetrics, nullptr);
  EXPECT_FLOAT_EQ(gauges.fontMetrics->letterSpacing, 6.0f);
  gauges.Release();
  EXPECT_EQ(gauges.dialImage, nullptr);
  gauges.Release();  // a second release is harmless
}

}  // namespace
}  // namespace race
