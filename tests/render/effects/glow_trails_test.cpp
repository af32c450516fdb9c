// Glow trails: colour words, detail levels, distance fade and growth, and the fog set-up per pass.
#include "render/effects/glow_trails.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"

namespace {

using platform::gfx::RenderState;
using render::GlowPoint;
using render::GlowTrailSystem;

class GlowTrailTest : public effects_test::EffectsTest {
 protected:
  // A camera at the origin looking down +z with its near plane at z = 1.
  render::ViewFrustum Ahead(platform::Matrix4* view) {
    *view = platform::LookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
    render::ViewFrustum frustum;
    frustum.BuildOrdinary(*view, platform::PerspectiveFovLH(1.5f, 1.0f, 1.0f, 40000.0f));
    return frustum;
  }
  // The scale the last draw's first quad was drawn at: the length of its top edge over the batch's quad side.
  float LastScale(const render::GlowBatch& batch) const {
    const std::vector<render::EffectVertex> quad = DrawnVertices();
    if (quad.size() < 2) return 0;
    const float dx = quad[1].x - quad[0].x, dy = quad[1].y - quad[0].y, dz = quad[1].z - quad[0].z;
    return std::sqrt(dx * dx + dy * dy + dz * dz) / batch.size;
  }
};

TEST(GlowColour, FirstMatchingWordWinsAnywhereInTheName) {
  const std::pair<const char*, int> cases[] = {{"LAMP_ORANGE_RED", 0}, {"FLARE_YELLOW01", 1}, {"X_BLUE", 2},
                                               {"_WHITE", 3},          {"A_GREEN_B", 4},      {"_ORANGE", 5},
                                               {"_PURPLE", 6},         {"LAMP", 0},           {"lamp_blue", 0}};
  for (const auto& [name, colour] : cases) EXPECT_EQ(render::GlowColourFromName(name), colour) << name;
}

TEST_F(GlowTrailTest, DetailLevelDecidesFlaresAndCarLights) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowFlare, 1.0f, 2);
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowHead, 1.0f, 0);
  for (int detail = 0; detail < 3; ++detail) {
    SetInt(app::SettingId::GLOWDETAIL, detail);
    device_->ClearRecords();
    glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
    EXPECT_EQ(device_->Draws().size(), static_cast<size_t>(detail)) << detail;
  }
  ExpectBaseline();
  EXPECT_EQ(Render(RenderState::FogEnable), 0u) << "fog off again";
}

TEST_F(GlowTrailTest, DistanceFadesGrowsAndCulls) {
  platform::Matrix4 view;
  const render::ViewFrustum frustum = Ahead(&view);
  struct Case {
    int kind, batch;
    float z, alpha;
    bool drawn;
    uint32_t level;  // the fade, as the grey the glow's colour is modulated by
    float scale;
    const char* what;
  };
  const Case cases[] = {
      {render::kGlowBrake, 0, 11251, 255, true, 127u, 1.75f, "d = 0.75"},
      {render::kGlowCorona, 0, 7501, 255, true, 255u, 6.0f, "a corona at d = 0.5 grows by 5"},
      {render::kGlowFlare, 3, 30001, 255, true, 255u, -1, "flares never fade"},
      {render::kGlowBrake, 0, 101, 1000, true, 255u, 1.0067f, "alpha above 255 reaches the device as 255"},
      {render::kGlowBrake, 0, 15011, 255, false, 0, 0, "beyond full distance"},
      {render::kGlowBrake, 0, -50, 255, false, 0, 0, "behind the camera"},
      {render::kGlowBrake, 0, 101, 0, false, 0, 0, "faded out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GlowTrailSystem glows(device_, &Resources(), settings_.get());
    GlowPoint* point = glows.AddGlowTrailPoint({0, 0, c.z}, c.kind, 1.0f, c.batch);
    point->alpha = c.alpha;
    device_->ClearRecords();
    glows.DrawGlowTrails(device_, view, &frustum);
    ASSERT_EQ(device_->Draws().size(), c.drawn ? 1u : 0u);
    if (!c.drawn) continue;
    const std::vector<render::EffectVertex> quad = DrawnVertices();
    ASSERT_EQ(quad.size(), 6u);
    for (const render::EffectVertex& vertex : quad) EXPECT_EQ(vertex.diffuse, 0xFF000000u | c.level * 0x010101u);
    if (c.scale > 0) {
      EXPECT_NEAR(LastScale(*glows.Batch(c.batch, c.kind)), c.scale, 1e-3f);
    }
  }
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  glows.AddGlowTrailPoint({0, 0, 101}, render::kGlowBrake, 1.0f, 0)->visible = false;
  device_->ClearRecords();
  glows.DrawGlowTrails(device_, view, &frustum);
  EXPECT_TRUE(device_->Draws().empty()) << "hidden by its owner";
}

TEST_F(GlowTrailTest, FogStartsBeforeTheFarPlaneByPass) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
  glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 3000.0f) << "6000 - 3000";
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogEnd)), 6000.0f);
  glows.DrawSecondPass(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 5000.0f);
  SetInt(app::SettingId::FOGVERTEX, 0);
  device_->SetRenderState(RenderState::FogStart, platform::gfx::FloatBits(1.0f));
  glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 1.0f) << "no vertex fog: fog untouched";
}

}  // namespace
