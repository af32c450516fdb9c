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

// The batch quad: 96 bytes, a fan of side `size` at depth -3, opaque white, over one flip-book cell; a device
// that gives no buffer leaves the batch not ready (it takes no glow) until a buffer is made.
TEST_F(GlowTrailTest, CreateBufferWritesTheBatchQuadOrLeavesTheBatchNotReady) {
  const struct {
    float size;
    uint32_t grid;
    float step;
  } cases[] = {{30.0f, 0, 1.0f}, {500.0f, 1, 1.0f}, {80.0f, 4, 0.25f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    render::GlowBatch batch(device_, settings_.get(), c.size, 1.0f, false, c.grid, 0.1f);
    ASSERT_TRUE(batch.ready);
    ASSERT_NE(batch.quad, nullptr);
    const std::vector<render::EffectVertex> quad = Vertices(batch.quad);
    ASSERT_EQ(quad.size() * sizeof(render::EffectVertex), 96u);
    const float h = c.size * 0.5f;
    const float expected[4][4] = {{-h, h, 0, 0}, {h, h, c.step, 0}, {h, -h, c.step, c.step}, {-h, -h, 0, c.step}};
    for (int v = 0; v < 4; ++v) {
      EXPECT_FLOAT_EQ(quad[v].x, expected[v][0]) << v;
      EXPECT_FLOAT_EQ(quad[v].y, expected[v][1]) << v;
      EXPECT_FLOAT_EQ(quad[v].z, -3.0f) << v;
      EXPECT_EQ(quad[v].diffuse, 0xFFFFFFFFu) << v;
      EXPECT_FLOAT_EQ(quad[v].u, expected[v][2]) << v;
      EXPECT_FLOAT_EQ(quad[v].v, expected[v][3]) << v;
    }
    platform::gfx::VertexBuffer* made = batch.quad;
    batch.CreateBuffer(device_);
    EXPECT_EQ(batch.quad, made) << "a second call keeps the quad";
  }

  auto* failing = new effects_test::FailingBufferDevice(system_, 0, system_.description.adapters[0],
                                                        device_->Parameters());
  failing->failBuffers = true;
  {
    render::GlowBatch batch(failing, settings_.get(), 30.0f, 1.0f, false, 0, 0.0f);
    EXPECT_FALSE(batch.ready);
    EXPECT_EQ(batch.quad, nullptr);
    auto point = std::make_unique<GlowPoint>();
    EXPECT_FALSE(batch.AddPoint(point));
    EXPECT_NE(point, nullptr) << "the caller keeps a point the batch did not take";
    batch.CreateBuffer(device_);
    EXPECT_TRUE(batch.ready) << "made once a device gives the buffer";
    EXPECT_TRUE(batch.AddPoint(point));
  }
  failing->Release();
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
