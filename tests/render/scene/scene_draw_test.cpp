// Scene drawing on the recording device: the order of the kinds, each kind's blend and stage states at its draws,
// the settings that switch set-ups off, and the render-state baseline after every pass.
#include <gtest/gtest.h>

#include "platform/gfx/null_graphics.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/scene/scene_test_support.h"

namespace {

namespace gfx = platform::gfx;
using contentgen::ScnFile;
using gfx::RenderState;
using gfx::TextureStageState;
using scene_test::Material;
using scene_test::Square;

// What decided the look of one indexed draw.
struct DrawState {
  uint32_t primitives = 0;
  uint32_t alphaBlend = 0, zWrite = 0, alphaTest = 0, srcBlend = 0, destBlend = 0;
  uint32_t stage0Op = 0, stage1Op = 0;
};

class RecordingDevice : public gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  platform::HResult DrawIndexedPrimitive(gfx::PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount) override {
    const platform::HResult result =
        NullDevice::DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, primitiveCount);
    DrawState state;
    state.primitives = primitiveCount;
    GetRenderState(RenderState::AlphaBlendEnable, state.alphaBlend);
    GetRenderState(RenderState::ZWriteEnable, state.zWrite);
    GetRenderState(RenderState::AlphaTestEnable, state.alphaTest);
    GetRenderState(RenderState::SrcBlend, state.srcBlend);
    GetRenderState(RenderState::DestBlend, state.destBlend);
    GetTextureStageState(0, TextureStageState::ColorOp, state.stage0Op);
    GetTextureStageState(1, TextureStageState::ColorOp, state.stage1Op);
    draws.push_back(state);
    return result;
  }
  platform::HResult SetRenderState(RenderState state, gfx::StateValue value) override {
    if (state == RenderState::AlphaTestEnable && value != 0) alphaTestTurnedOn = true;
    return NullDevice::SetRenderState(state, value);
  }
  std::vector<DrawState> draws;
  bool alphaTestTurnedOn = false;
};

class SceneDrawTest : public scene_test::SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    recorder_ = new RecordingDevice(system_, 0, system_.description.adapters[0], device_->Parameters());
    // The baseline the frame sets up before any model or scene draw.
    recorder_->SetTextureStageState(1, TextureStageState::TexCoordIndex, 0u);
    recorder_->SetTextureStageState(0, TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
    settings_->SetInt(app::SettingId::ALPHAWRITE, 1);
    settings_->SetInt(app::SettingId::NORMALMAPPING, 1);
    settings_->SetInt(app::SettingId::MIPFILTER, 2);
    for (const char* name : {"base.png", "alpha.png", "over.png", "norm.png"}) WriteTexture(name);
  }
  void TearDown() override {
    scene_.reset();
    manager_.reset();
    recorder_->Release();
    SceneFixture::TearDown();
  }

  // Five materials, one square each with a distinct triangle count so the draws tell which kind they were:
  // plain 1, normal-mapped 2, alpha 3, multiplied overlay 4, additive overlay 5.
  void LoadKinds() {
    ScnFile file;
    file.textureNames = {{"base.png", 0}, {"alpha.png", 1}, {"over.png", 2}, {"norm.png", 3}};
    file.materials = {Material("PLAIN", 0, 0), Material("NORMAL", 1, 0), Material("ALPHA", 2, 0),
                      Material("MULTIPLY", 3), Material("ADD", 4)};
    file.materials[1].textures[contentgen::kScnNormalMap] = 3;
    file.materials[2].textures[contentgen::kScnAlpha] = 1;
    file.materials[3].textures[contentgen::kScnOverlayMultiply] = 2;
    file.materials[4].textures[contentgen::kScnOverlayAdd] = 2;
    file.materials[4].diffuse = {255, 0, 0};
    for (int16_t m = 0; m < 5; ++m) {
      contentgen::ScnPart part = Square(m * 200.0f, 0, 100, m);
      part.batches[0].triangles.clear();
      for (int t = 0; t <= m; ++t) part.batches[0].triangles.push_back({0, 1, 2});
      file.parts.push_back(part);
    }
    const std::string path = folder_ + "SCENE/kinds.scn";
    ASSERT_TRUE(contentgen::WriteSceneFile(path, file));
    scene_ = std::make_unique<render::Scene>(manager_.get(), settings_.get());
    ASSERT_TRUE(scene_->Load(recorder_, path, "", false, false, true));
    scene_->visibleParts = scene_->allParts;
  }

  std::vector<uint32_t> DrawnPrimitives() const {
    std::vector<uint32_t> out;
    for (const DrawState& draw : recorder_->draws) out.push_back(draw.primitives);
    return out;
  }

  // The state every model and scene pass starts from and returns to.
  void ExpectBaseline() {
    auto render = [&](RenderState state) {
      uint32_t value = 0;
      recorder_->GetRenderState(state, value);
      return value;
    };
    auto stage = [&](uint32_t index, TextureStageState state) {
      uint32_t value = 0;
      recorder_->GetTextureStageState(index, state, value);
      return value;
    };
    EXPECT_EQ(stage(0, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Modulate));
    EXPECT_EQ(stage(0, TextureStageState::ColorArg2), uint32_t(gfx::texture_arg::kCurrent));
    EXPECT_EQ(stage(0, TextureStageState::AlphaArg1), uint32_t(gfx::texture_arg::kDiffuse));
    EXPECT_EQ(stage(0, TextureStageState::TextureTransformFlags), 0u);
    EXPECT_EQ(stage(1, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable));
    EXPECT_EQ(stage(1, TextureStageState::TexCoordIndex), 0u);
    EXPECT_EQ(stage(1, TextureStageState::TextureTransformFlags), 0u);
    EXPECT_EQ(stage(2, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable));
    EXPECT_EQ(render(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(render(RenderState::SrcBlend), uint32_t(gfx::Blend::One));
    EXPECT_EQ(render(RenderState::DestBlend), uint32_t(gfx::Blend::Zero));
    EXPECT_EQ(render(RenderState::ZWriteEnable), 1u);
    EXPECT_EQ(render(RenderState::AlphaTestEnable), 0u);
  }

  RecordingDevice* recorder_ = nullptr;
  std::unique_ptr<render::Scene> scene_;
};

TEST_F(SceneDrawTest, MainPassDrawsKindsInOrderWithTheirStates) {
  LoadKinds();
  scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr);
  ASSERT_EQ(DrawnPrimitives(), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(recorder_->Stats().failedDraws, 0u) << "every range lies inside its buffers";
  const auto& draws = recorder_->draws;
  EXPECT_EQ(draws[0].alphaBlend, 0u);
  EXPECT_EQ(draws[1].stage0Op, uint32_t(gfx::TextureOp::DotProduct3)) << "normal mapping on";
  EXPECT_EQ(draws[1].stage1Op, uint32_t(gfx::TextureOp::AddSigned));
  EXPECT_EQ(draws[2].alphaBlend, 1u);
  EXPECT_EQ(draws[2].alphaTest, 1u);
  EXPECT_EQ(draws[3].srcBlend, uint32_t(gfx::Blend::Zero));
  EXPECT_EQ(draws[3].destBlend, uint32_t(gfx::Blend::SrcColor));
  EXPECT_EQ(draws[3].zWrite, 0u);
  EXPECT_EQ(draws[4].srcBlend, uint32_t(gfx::Blend::One));
  EXPECT_EQ(draws[4].destBlend, uint32_t(gfx::Blend::One));
  gfx::Material material;
  recorder_->GetMaterial(material);
  EXPECT_FLOAT_EQ(material.diffuse.r, 1.0f) << "the last list's material colours are on the device";
  EXPECT_FLOAT_EQ(material.diffuse.g, 0.0f);
  ExpectBaseline();
}

TEST_F(SceneDrawTest, EachForwarderRunsOnlyItsOwnPass) {
  LoadKinds();
  render::SceneForwardDraw(*scene_, recorder_, platform::IdentityMatrix(), nullptr, nullptr);
  EXPECT_EQ(DrawnPrimitives(), (std::vector<uint32_t>{1, 2, 3, 4, 5})) << "the main pass alone";
  recorder_->draws.clear();
  render::SceneForward(*scene_, recorder_, platform::IdentityMatrix());
  EXPECT_EQ(DrawnPrimitives(), (std::vector<uint32_t>{1, 3, 2, 5})) << "the second pass alone";
  ExpectBaseline();
}

TEST_F(SceneDrawTest, SettingsSwitchSetUpsOff) {
  settings_->SetInt(app::SettingId::NORMALMAPPING, 0);
  settings_->SetInt(app::SettingId::ALPHAWRITE, 0);
  LoadKinds();
  scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr);
  ASSERT_EQ(recorder_->draws.size(), 5u);
  EXPECT_EQ(recorder_->draws[1].stage0Op, uint32_t(gfx::TextureOp::Modulate)) << "plain states for kind 8";
  EXPECT_EQ(recorder_->draws[1].stage1Op, uint32_t(gfx::TextureOp::Disable));
  EXPECT_FALSE(recorder_->alphaTestTurnedOn) << "no alpha test anywhere without ALPHAWRITE";
  ExpectBaseline();
}

TEST_F(SceneDrawTest, SecondPassStopsAListAtAPieceWithoutDepthWrites) {
  LoadKinds();
  scene_->DrawSecondPass(recorder_, platform::IdentityMatrix(), scene_->visibleParts);
  // Depth pass: plain 1, alpha 3, normal-mapped 2; then the additive kind 5; no self-lit material.
  EXPECT_EQ(DrawnPrimitives(), (std::vector<uint32_t>{1, 3, 2, 5}));
  ExpectBaseline();

  recorder_->draws.clear();
  scene_->materialImages[2]->depthWrite = false;
  scene_->materialImages[0]->lightValue = 100;
  scene_->DrawSecondPass(recorder_, platform::IdentityMatrix(), scene_->visibleParts);
  EXPECT_EQ(DrawnPrimitives(), (std::vector<uint32_t>{1, 2, 5, 1})) << "the self-lit plain piece at the end";
  ExpectBaseline();
}

TEST_F(SceneDrawTest, BehindRunsAfterTheOpaqueKindsAndBeforeAnythingBlends) {
  LoadKinds();
  size_t drawsBefore = 99;
  scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr,
                      [&] { drawsBefore = recorder_->draws.size(); });
  EXPECT_EQ(drawsBefore, 2u) << "after plain and normal-mapped, before alpha";
  ExpectBaseline();

  recorder_->draws.clear();
  scene_->materialImages[0]->alphaBlend = true;
  scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr,
                      [&] { drawsBefore = recorder_->draws.size(); });
  EXPECT_EQ(drawsBefore, 0u) << "first, when an opaque kind's material blends";
}

TEST_F(SceneDrawTest, AViewDrawsOnlyTheRunsOfALargePieceThatReachIntoIt) {
  // A strip of 2000 triangles along x from 0 to 10000.
  ScnFile file;
  file.textureNames = {{"base.png", 0}};
  file.materials = {Material("ROAD", 0, 0)};
  std::vector<platform::Vec3> positions;
  std::vector<std::pair<float, float>> uvs;
  for (int i = 0; i <= 1000; ++i) {
    positions.push_back({i * 10.0f, 0, 0});
    positions.push_back({i * 10.0f, 0, 10});
    uvs.push_back({0, 0});
    uvs.push_back({0, 1});
  }
  contentgen::ScnPart part = contentgen::SimplePart(positions, uvs);
  part.batches.push_back({0, 0, {}});
  for (int32_t a = 0; a < 2000; a += 2) {
    part.batches[0].triangles.push_back({a, a + 1, a + 3});
    part.batches[0].triangles.push_back({a, a + 3, a + 2});
  }
  file.parts.push_back(part);
  scene_ = LoadFile(file, false);
  const auto drawn = [&](const platform::Vec3& eye, const platform::Vec3& at) {
    render::ViewFrustum frustum;
    frustum.BuildOrdinary(platform::LookAtLH(eye, at, {0, 1, 0}), platform::PerspectiveFovLH(0.8f, 1.0f, 1, 100000));
    scene_->CollectVisible(frustum);
    recorder_->draws.clear();
    scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr);
    uint32_t total = 0;
    for (const DrawState& draw : recorder_->draws) total += draw.primitives;
    EXPECT_EQ(recorder_->Stats().failedDraws, 0u);
    return total;
  };
  EXPECT_EQ(drawn({5000, 30000, -30000}, {5000, 0, 0}), 2000u) << "the whole strip in view";
  const uint32_t near = drawn({5000, 20, -100}, {5000, 0, 5});
  EXPECT_GT(near, 0u);
  EXPECT_LT(near, 1000u) << "a close look at the middle skips most runs";
  EXPECT_EQ(drawn({5000, 20, -100}, {5000, 0, -200}), 0u) << "looking away";
}

}  // namespace
