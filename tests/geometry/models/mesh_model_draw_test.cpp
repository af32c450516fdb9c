// Test of drawing a MeshModel by material kind on the recording null device: every kind's set-up is undone, so
// the next model starts from the baseline.
#include <gtest/gtest.h>

#include "geometry/models/material_states.h"
#include "geometry/models/mesh_model.h"
#include "model_test_support.h"

namespace {

using geometry::MaterialKind;
using model_test::Material;
using platform::gfx::RenderState;
using platform::gfx::TextureStageState;
namespace arg = platform::gfx::texture_arg;

class MeshModelDrawTest : public model_test::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    for (auto id : {app::SettingId::NORMALMAPPING, app::SettingId::CUBEMAPPING, app::SettingId::SPECULAR,
                    app::SettingId::SPECULARMAPPING, app::SettingId::REFLECTIONSPECULARMAPPING,
                    app::SettingId::ALPHAWRITE}) {
      settings_->SetInt(id, 1);
    }
    settings_->SetInt(app::SettingId::MIPFILTER, 2);
  }
  void Baseline() {
    geometry::SetBaselineStates(device_, settings_.get());
    for (uint32_t stage = 0; stage < 2; ++stage) {
      device_->SetTextureStageState(stage, TextureStageState::MipFilter, 2u);
      device_->SetTextureStageState(stage, TextureStageState::AlphaArg2, arg::kCurrent);
    }
    device_->SetTextureStageState(2, TextureStageState::ColorArg1, arg::kTexture);
    device_->SetTextureStageState(2, TextureStageState::ColorArg2, arg::kCurrent);
    device_->drawn.clear();
  }
  void Draw(geometry::MeshModel& model) {
    model.DrawByKind(device_, platform::gfx::IdentityMatrix(), nullptr, -1, {0, -1, 0});
  }
};

TEST_F(MeshModelDrawTest, EveryKindWithImagesLeavesTheBaselineBehind) {
  for (const char* name : {"BASE.PNG", "MASK.PNG", "ENV.PNG", "BUMP.PNG", "OVER.PNG"}) WritePicture(name);
  WritePicture("CLEAR.PNG", 0x80FFFFFF, true);
  std::vector<contentgen::MdlMaterial> materials = {
      Material("plain", 0, {{0, 0}, {3, 4}}),       Material("alpha", 1, {{0, 5}}),
      Material("last", 2, {{0, 0}, {1, 5}}),         Material("mask", 3, {{0, 0}, {2, 1}}),
      Material("add", 4, {{3, 4}}),                  Material("mul", 5, {{6, 4}}),
      Material("bump", 6, {{0, 0}, {4, 3}}),         Material("env", 7, {{0, 0}, {2, 1}, {5, 2}}),
      Material("envlate", 8, {{0, 0}, {2, 1}, {5, 2}, {1, 5}}), Material("masklate", 9, {{0, 0}, {2, 1}}),
      Material("decal", 10, {{0, 0}, {6, 4}}),
  };
  materials[2].variantA = materials[8].variantA = materials[9].variantA = 1;
  materials[6].animation[0].hasScroll = true;
  materials[6].animation[0].scrollU = 1;
  materials[0].lightValue = 100;
  auto model = Load(model_test::BoxesFile(materials, {"base.png", "mask.png", "env.png", "bump.png", "over.png",
                                                      "clear.png"}));
  for (MaterialKind kind : {MaterialKind::Plain, MaterialKind::Alpha, MaterialKind::AlphaLast,
                            MaterialKind::SharedReflection, MaterialKind::Additive, MaterialKind::Multiply,
                            MaterialKind::NormalMapped, MaterialKind::MapReflection,
                            MaterialKind::MapReflectionBlended, MaterialKind::SharedReflectionBlended}) {
    EXPECT_FALSE(model->kindLists[geometry::KindIndex(kind)].empty()) << geometry::kMaterialKindNames[int(kind)];
  }
  manager_->Update(0.5f);  // the scroll starts moving
  Baseline();
  const auto renderBefore = device_->State().renderStates;
  const auto stagesBefore = device_->State().stageStates;
  Draw(*model);
  model->DrawPass(device_, platform::gfx::IdentityMatrix());
  EXPECT_GT(device_->drawn.size(), materials.size());
  auto renderAfter = device_->State().renderStates;
  // The texture factor and the alpha reference and function are not part of the baseline: they only matter
  // while normal mapping or the alpha test is on.
  for (RenderState free : {RenderState::TextureFactor, RenderState::AlphaRef, RenderState::AlphaFunc}) {
    renderAfter[uint32_t(free)] = renderBefore[uint32_t(free)];
  }
  for (size_t i = 0; i < renderBefore.size(); ++i) EXPECT_EQ(renderAfter[i], renderBefore[i]) << "render state " << i;
  for (uint32_t stage = 0; stage < 3; ++stage)
    for (size_t i = 0; i < stagesBefore[stage].size(); ++i)
      EXPECT_EQ(device_->State().stageStates[stage][i], stagesBefore[stage][i]) << "stage " << stage << " state " << i;
}

}  // namespace
