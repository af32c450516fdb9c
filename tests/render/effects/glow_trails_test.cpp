// Glow trails: colour words, images and batches by colour and slot, point ownership and expiry, detail levels,
// distance fade, growth and spin, the mirrored streak, fog set-up and the fogless adapter.
#include "render/effects/glow_trails.h"

#include <cmath>

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"

namespace {

using platform::Vec3;
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
  // The scale the last draw used, read back from its matrix (first row's length).
  float LastScale() const {
    platform::Matrix4 m;
    device_->GetTransform(platform::gfx::TransformState::View, m);
    return std::sqrt(m.m[0][0] * m.m[0][0] + m.m[0][1] * m.m[0][1] + m.m[0][2] * m.m[0][2]);
  }
};

TEST(GlowColour, FirstMatchingWordWinsAnywhereInTheName) {
  EXPECT_EQ(render::GlowColourFromName("LAMP_ORANGE_RED"), 0) << "red is tested first";
  EXPECT_EQ(render::GlowColourFromName("FLARE_YELLOW01"), 1);
  EXPECT_EQ(render::GlowColourFromName("X_BLUE"), 2);
  EXPECT_EQ(render::GlowColourFromName("_WHITE"), 3);
  EXPECT_EQ(render::GlowColourFromName("A_GREEN_B"), 4);
  EXPECT_EQ(render::GlowColourFromName("_ORANGE"), 5);
  EXPECT_EQ(render::GlowColourFromName("_PURPLE"), 6);
  EXPECT_EQ(render::GlowColourFromName("LAMP"), 0);
  EXPECT_EQ(render::GlowColourFromName("lamp_blue"), 0) << "the words are upper case";
}

TEST_F(GlowTrailTest, BatchesAndImagesByColourAndSlot) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  EXPECT_TRUE(glows.fogEnabled);
  for (int colour = 0; colour < 7; ++colour) {
    ASSERT_EQ(glows.batches[colour].size(), 5u);
    ASSERT_NE(glows.frontImages[colour][0], nullptr) << "every colour has a flare";
    EXPECT_TRUE(glows.frontImages[colour][0]->loaded);
    for (int slot = 1; slot < 5; ++slot) {
      EXPECT_EQ(glows.frontImages[colour][slot] != nullptr, colour == 0) << colour << " " << slot;
    }
  }
  EXPECT_EQ(glows.reflectionImages[0][4], nullptr) << "the corona has no reflection";
  EXPECT_NE(glows.blurImages[0][4], nullptr);
  EXPECT_EQ(glows.Batch(0, 2)->size, 80.0f);
  EXPECT_EQ(glows.Batch(3, 4)->growth, 10.0f);
  EXPECT_FALSE(glows.Batch(1, 0)->alphaFade);
  const auto quad = Vertices(glows.Batch(0, 1)->quad);
  EXPECT_EQ(quad[0].x, -15.0f);
  EXPECT_EQ(quad[0].z, -3.0f);
  EXPECT_EQ(quad[2].u, 1.0f);
}

TEST_F(GlowTrailTest, ExpiredPointsAreFreedAtTheNextUpdate) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  GlowPoint* brake = glows.AddGlowTrailPoint({1, 2, 3}, render::kGlowBrake, 0.5f, 0);
  EXPECT_EQ(brake->alpha, 255.0f);
  EXPECT_TRUE(brake->visible);
  EXPECT_EQ(brake->scale, 0.5f);
  EXPECT_EQ(glows.Batch(0, 1)->Count(), 1u);
  glows.UpdateGlowTrails(0.1f);
  EXPECT_EQ(glows.Batch(0, 1)->pointCount, 1u);
  brake->expired = true;
  glows.UpdateGlowTrails(0.1f);
  EXPECT_EQ(glows.Batch(0, 1)->Count(), 0u);
  // Out-of-range batches still hand back a usable point that is never drawn.
  GlowPoint* stray = glows.AddGlowTrailPoint({0, 0, 0}, 9, 1.0f, 42);
  ASSERT_NE(stray, nullptr);
  stray->alpha = 10.0f;
  stray->expired = true;
  glows.UpdateGlowTrails(0.1f);
}

TEST_F(GlowTrailTest, DetailLevelDecidesFlaresAndCarLights) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowFlare, 1.0f, 2);
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowHead, 1.0f, 0);
  const int expected[3] = {0, 1, 2};
  for (int detail = 0; detail < 3; ++detail) {
    SetInt(app::SettingId::GLOWDETAIL, detail);
    device_->ClearRecords();
    glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
    EXPECT_EQ(device_->Draws().size(), static_cast<size_t>(expected[detail])) << detail;
  }
  ExpectBaseline();
  EXPECT_EQ(Render(RenderState::FogEnable), 0u) << "fog off again";
}

TEST_F(GlowTrailTest, DistanceFadesGrowsAndCulls) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  platform::Matrix4 view;
  const render::ViewFrustum frustum = Ahead(&view);
  GlowPoint* point = glows.AddGlowTrailPoint({0, 0, 11251}, render::kGlowBrake, 1.0f, 0);  // d = 0.75
  glows.DrawGlowTrails(device_, view, &frustum);
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(Render(RenderState::TextureFactor), 127u << 24);
  EXPECT_NEAR(LastScale(), 1.75f, 1e-3f);

  point->position = {0, 0, 15001 + 10};  // beyond full distance: d = 1 and faded away
  device_->ClearRecords();
  glows.DrawGlowTrails(device_, view, &frustum);
  EXPECT_TRUE(device_->Draws().empty());
  point->position = {0, 0, -50};  // behind the camera
  device_->ClearRecords();
  glows.DrawGlowTrails(device_, view, &frustum);
  EXPECT_TRUE(device_->Draws().empty());
  point->position = {0, 0, 101};
  point->visible = false;
  device_->ClearRecords();
  glows.DrawGlowTrails(device_, view, &frustum);
  EXPECT_TRUE(device_->Draws().empty()) << "hidden by its owner";
  point->visible = true;
  point->alpha = 0.0f;
  glows.DrawGlowTrails(device_, view, &frustum);
  EXPECT_TRUE(device_->Draws().empty());
}

TEST_F(GlowTrailTest, CoronaGrowsByTenAndFlaresNeverFade) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  platform::Matrix4 view;
  const render::ViewFrustum frustum = Ahead(&view);
  glows.AddGlowTrailPoint({0, 0, 7501}, render::kGlowCorona, 1.0f, 0);  // d = 0.5
  glows.DrawGlowTrails(device_, view, &frustum);
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_NEAR(LastScale(), 6.0f, 1e-3f) << "scale + 5.0";

  GlowTrailSystem flares(device_, &Resources(), settings_.get());
  flares.AddGlowTrailPoint({0, 0, 30001}, render::kGlowFlare, 1.0f, 3);
  device_->ClearRecords();
  flares.DrawGlowTrails(device_, view, &frustum);
  EXPECT_EQ(device_->Draws().size(), 1u) << "flares are drawn at any distance inside the view";
}

TEST_F(GlowTrailTest, ReflectionIsATallUnrotatedStreak) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  GlowPoint* point = glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowHead, 2.0f, 0);
  point->rotation = 45.0f;
  const platform::Matrix4 view = platform::IdentityMatrix();
  glows.DrawReflection(device_, view, nullptr);
  ASSERT_EQ(device_->Draws().size(), 1u);
  platform::Matrix4 m;
  device_->GetTransform(platform::gfx::TransformState::View, m);
  EXPECT_NEAR(m.m[0][0], 6.0f, 1e-4f);
  EXPECT_NEAR(m.m[1][1], 20.0f, 1e-4f);
  EXPECT_NEAR(m.m[0][1], 0.0f, 1e-4f) << "no rotation";
  EXPECT_EQ(m.m[3][2], 100.0f);
}

TEST_F(GlowTrailTest, FogStartsBeforeTheFarPlaneByPass) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
  device_->SetRenderState(RenderState::FogEnable, false);
  glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 3000.0f) << "6000 - 3000";
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogEnd)), 6000.0f);
  EXPECT_EQ(Render(RenderState::FogVertexMode), static_cast<uint32_t>(platform::gfx::FogMode::Linear));
  EXPECT_EQ(Render(RenderState::FogColor), 0xFF000000u);
  glows.DrawSecondPass(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 5000.0f);
  SetInt(app::SettingId::FOGVERTEX, 0);
  device_->SetRenderState(RenderState::FogStart, platform::gfx::FloatBits(1.0f));
  glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 1.0f) << "no vertex fog: fog untouched";
}

class FoglessAdapterTest : public GlowTrailTest {
 protected:
  void SetUp() override {
    adapterName_ = "ati radeon 9000 series";
    GlowTrailTest::SetUp();
  }
};

TEST_F(FoglessAdapterTest, LowerCaseAdapterNameAlsoTurnsGlowFogOff) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  EXPECT_FALSE(glows.fogEnabled);
  glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
  device_->SetRenderState(RenderState::FogStart, platform::gfx::FloatBits(1.0f));
  glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(platform::gfx::BitsFloat(Render(RenderState::FogStart)), 1.0f);
}

TEST_F(GlowTrailTest, BatchWithoutBufferReturnsPointsItNeverDraws) {
  auto* failing = new effects_test::FailingBufferDevice(system_, 0, system_.description.adapters[0],
                                                        device_->Parameters());
  failing->failBuffers = true;
  {
    GlowTrailSystem glows(failing, &Resources(), settings_.get());
    EXPECT_FALSE(glows.Batch(0, 1)->ready);
    GlowPoint* point = glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
    ASSERT_NE(point, nullptr);
    point->scale = 3.0f;  // still the caller's to write
    EXPECT_EQ(glows.Batch(0, 1)->Count(), 0u);
    glows.DrawGlowTrails(failing, platform::IdentityMatrix(), nullptr);
    EXPECT_TRUE(failing->Draws().empty());
  }
  failing->Release();
}

}  // namespace

namespace {

class GlowBatchTest : public effects_test::EffectsTest {};

TEST_F(GlowBatchTest, AnimatedBatchWrapsItsFrameCounterAndPicksCells) {
  render::GlowBatch batch(device_, settings_.get(), 40.0f, 1.0f, false, 2, 0.25f);
  EXPECT_TRUE(batch.animated);
  EXPECT_EQ(batch.frames, 4u);
  EXPECT_FLOAT_EQ(batch.uvStep, 0.5f);
  EXPECT_EQ(Vertices(batch.quad)[2].u, 0.5f);
  auto made = std::make_unique<GlowPoint>();
  made->position = {0, 0, 10};
  GlowPoint* point = made.get();
  ASSERT_TRUE(batch.AddPoint(made));
  EXPECT_EQ(made, nullptr) << "the batch took it";
  for (int i = 0; i < 3; ++i) batch.Update(0.25f);
  EXPECT_EQ(point->frameTime, 3.0f);
  batch.Draw(device_, platform::IdentityMatrix(), nullptr);
  platform::Matrix4 texture;
  device_->GetTransform(platform::gfx::TransformState::Texture0, texture);
  EXPECT_EQ(texture.m[2][0], 0.5f) << "frame 3: column 1";
  EXPECT_EQ(texture.m[2][1], 0.5f) << "and row 1";
  EXPECT_EQ(Stage(platform::gfx::TextureStageState::TextureTransformFlags), 0u);
  batch.Update(0.25f);
  EXPECT_EQ(point->frameTime, 0.0f) << "4 passes 3.5 and wraps by 4";
  EXPECT_EQ(batch.pointCount, 1u);
  batch.Release();
  EXPECT_EQ(batch.Count(), 0u);
  EXPECT_FALSE(batch.ready);
}

}  // namespace

namespace {

class GlowAlphaTest : public GlowTrailTest {};

TEST_F(GlowAlphaTest, OutOfRangeAlphaReachesTheDeviceAsAByte) {
  GlowTrailSystem glows(device_, &Resources(), settings_.get());
  GlowPoint* point = glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
  point->alpha = 1000.0f;
  glows.DrawGlowTrails(device_, platform::IdentityMatrix(), nullptr);
  EXPECT_EQ(Render(RenderState::TextureFactor), 255u << 24);
}

}  // namespace
