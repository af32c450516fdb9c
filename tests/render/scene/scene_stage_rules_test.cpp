// The texture stages a scene piece draws with: the second-uv detail texture on the first stage its material leaves
// free, the planar reflection projected on stage 1 only while the setting is on, and a base texture's overlay
// drawn in its own pass with its scroll. Each draw is told apart by the textures bound to it, not by how many
// draws there were.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gfx/null_graphics.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"
#include "render/scene/scene_test_support.h"

namespace {

namespace gfx = platform::gfx;
using contentgen::ScnFile;
using gfx::TextureStageState;
using scene_test::Material;
using scene_test::Square;
using scene_test::StageDraw;
using scene_test::StageRecorder;

class SceneStageRulesTest : public scene_test::SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    recorder_ = new StageRecorder(system_, 0, system_.description.adapters[0], device_->Parameters());
    recorder_->SetTextureStageState(1, TextureStageState::TexCoordIndex, 0u);
    recorder_->SetTextureStageState(0, TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
    for (const char* name : {"base.png", "detail.png", "over.png"}) WriteTexture(name);
    WriteTexture("mask.png", 0x80FFFFFF, true);
  }
  void TearDown() override {
    scene_.reset();
    manager_.reset();
    recorder_->Release();
    SceneFixture::TearDown();
  }

  // One square of material 0 whose second uvs carry material 1 (the detail).
  void LoadWithDetail(const contentgen::ScnMaterial& first, bool makeTargets) {
    ScnFile file;
    file.textureNames = {{"base.png", 0}, {"detail.png", 1}, {"over.png", 2}, {"mask.png", 3}};
    file.materials = {first, Material("DETAIL", 1, 1)};
    contentgen::ScnPart part = Square(0, 0, 10, 0);
    part.hasSecondUv = 1;
    part.secondUvIndices = {3, 2, 1, 0};
    part.batches[0].secondMaterial = 1;
    file.parts.push_back(part);
    const std::string path = folder_ + "SCENE/detail.scn";
    ASSERT_TRUE(contentgen::WriteSceneFile(path, file));
    scene_ = std::make_unique<render::Scene>(manager_.get(), settings_.get());
    ASSERT_TRUE(scene_->Load(recorder_, path, "", false, makeTargets, true));
    scene_->visibleParts = scene_->allParts;
  }

  uint32_t Stage(uint32_t stage, TextureStageState state) {
    uint32_t value = 0;
    recorder_->GetTextureStageState(stage, state, value);
    return value;
  }

  StageRecorder* recorder_ = nullptr;
  std::unique_ptr<render::Scene> scene_;
};

TEST_F(SceneStageRulesTest, TheDetailTextureDoublesOnTheFirstFreeStageAndIsClearedAfter) {
  contentgen::ScnMaterial reflective = Material("MIRROR", 0, 0);
  reflective.textures[contentgen::kScnReflectionAlpha] = 3;
  const struct {
    const char* what;
    contentgen::ScnMaterial material;
    bool makeTargets;
    uint32_t stage;
  } cases[] = {
      {"a plain material leaves stage 1 free", Material("PLAIN", 0, 0), false, 1},
      {"a reflection without its target leaves stage 1 free", reflective, false, 1},
      {"a reflection with its target takes stage 1", reflective, true, 2},
  };
  settings_->SetInt(app::SettingId::SCENEREFLECTION, 0);
  for (const auto& c : cases) {
    LoadWithDetail(c.material, c.makeTargets);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const render::ImageResource* detail = scene_->materialImages[1];
    recorder_->draws.clear();
    scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr);
    const auto draws = recorder_->With(scene_->materialImages[0]->GetImageTexture());
    ASSERT_FALSE(draws.empty()) << c.what;
    for (const StageDraw& draw : draws) {
      EXPECT_EQ(draw.textures[c.stage], detail->GetImageTexture()) << c.what;
      EXPECT_EQ(draw.colorOp[c.stage], uint32_t(gfx::TextureOp::Modulate2x)) << c.what;
      EXPECT_EQ(draw.texCoordIndex[c.stage], 1u) << c.what;
    }
    // The stage it used is off again, so later draws are not modulated by the detail.
    EXPECT_EQ(Stage(c.stage, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable)) << c.what;
    EXPECT_EQ(Stage(c.stage, TextureStageState::TexCoordIndex), 0u) << c.what;
    EXPECT_EQ(Stage(1, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable)) << c.what;
    scene_.reset();
  }
}

TEST_F(SceneStageRulesTest, PlanarReflectionsProjectOnStageOneOnlyWhileTheSettingIsOn) {
  contentgen::ScnMaterial reflective = Material("MIRROR", 0, 0);
  reflective.textures[contentgen::kScnReflectionAlpha] = 3;
  const platform::Matrix4 reflection = platform::IdentityMatrix();
  for (const int setting : {1, 0}) {
    settings_->SetInt(app::SettingId::SCENEREFLECTION, setting);
    LoadWithDetail(reflective, true);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    recorder_->draws.clear();
    scene_->DrawVisible(recorder_, platform::IdentityMatrix(), &reflection, nullptr);
    const auto draws = recorder_->With(scene_->materialImages[0]->GetImageTexture());
    ASSERT_FALSE(draws.empty());
    for (const StageDraw& draw : draws) {
      if (setting != 0) {
        EXPECT_EQ(draw.colorOp[1], uint32_t(gfx::TextureOp::ModulateAlphaAddColor));
        EXPECT_EQ(draw.transformFlags[1], gfx::texture_transform::kCount3 | gfx::texture_transform::kProjected);
        EXPECT_EQ(draw.texCoordIndex[1], gfx::texcoord_index::kCameraSpacePosition | 1u);
        EXPECT_EQ(draw.textures[1], scene_->materialImages[0]->GetRenderTargetTexture());
      } else {
        EXPECT_NE(draw.colorOp[1], uint32_t(gfx::TextureOp::ModulateAlphaAddColor));
        EXPECT_EQ(draw.transformFlags[1], 0u);
      }
    }
    EXPECT_EQ(Stage(1, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable));
    EXPECT_EQ(Stage(1, TextureStageState::TextureTransformFlags), 0u);
    EXPECT_EQ(Stage(1, TextureStageState::TexCoordIndex), 0u);
    scene_.reset();
  }
}

TEST_F(SceneStageRulesTest, ABaseTexturesOverlayDrawsInItsPassWithItsScroll) {
  contentgen::ScnMaterial overlaid = Material("SIGN", 0, 0);
  overlaid.textures[contentgen::kScnOverlayMultiply] = 2;
  overlaid.hasScroll1 = true;
  overlaid.scroll1[0] = 0.25f;
  ScnFile file;
  file.textureNames = {{"base.png", 0}, {"detail.png", 1}, {"over.png", 2}, {"mask.png", 3}};
  file.materials = {overlaid};
  file.parts.push_back(Square(0, 0, 10, 0));
  scene_ = LoadFile(file);
  scene_->visibleParts = scene_->allParts;
  render::ImageResource* image = scene_->materialImages[0];
  ASSERT_NE(image, nullptr);
  ASSERT_NE(image->GetImageSurface(), nullptr);
  ASSERT_TRUE(image->IsImageAnimating(1));
  image->UpdateAnimation(1.0f);
  ASSERT_NE(image->uOffset[1], 0.0f);

  scene_->DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr);
  const auto base = recorder_->With(image->GetImageTexture());
  const auto overlay = recorder_->With(image->GetImageSurface());
  ASSERT_FALSE(base.empty()) << "the base picture draws in the opaque pass";
  ASSERT_FALSE(overlay.empty()) << "the overlay draws over it in the multiply pass";
  for (const StageDraw& draw : overlay) {
    EXPECT_EQ(draw.transformFlags[0], gfx::texture_transform::kCount2);
    EXPECT_FLOAT_EQ(draw.texture0.m[2][0], image->uOffset[1]) << "the overlay's own scroll";
    EXPECT_FLOAT_EQ(draw.texture0.m[2][1], image->vOffset[1]);
  }
  for (const StageDraw& draw : base) EXPECT_EQ(draw.transformFlags[0], 0u) << "the base does not scroll";
  EXPECT_EQ(Stage(0, TextureStageState::TextureTransformFlags), 0u) << "the scroll is off after the overlay";
}

}  // namespace
