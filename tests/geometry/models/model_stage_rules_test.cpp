// The texture stages a model's materials draw with: a cube-map reflection on stage 1 only while cube mapping is
// on, a scrolling overlay in its own pass, and the specular pass of a normal-mapped material masked by its alpha
// picture. Draws are told apart by their textures, and every set-up is undone after the model.
#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "geometry/models/material_states.h"
#include "geometry/models/mesh_model.h"
#include "model_test_support.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"

namespace {

namespace gfx = platform::gfx;
using gfx::TextureStageState;
using model_test::Material;

struct StageDraw {
  gfx::BaseTexture* textures[3] = {};
  uint32_t colorOp[3] = {}, texCoordIndex[3] = {}, transformFlags[3] = {};
};

class StageRecorder : public model_test::RecordingDevice {
 public:
  using RecordingDevice::RecordingDevice;
  platform::HResult DrawIndexedPrimitive(gfx::PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t count) override {
    StageDraw draw;
    for (uint32_t stage = 0; stage < 3; ++stage) {
      GetTexture(stage, &draw.textures[stage]);
      if (draw.textures[stage] != nullptr) draw.textures[stage]->Release();  // only compared
      GetTextureStageState(stage, TextureStageState::ColorOp, draw.colorOp[stage]);
      GetTextureStageState(stage, TextureStageState::TexCoordIndex, draw.texCoordIndex[stage]);
      GetTextureStageState(stage, TextureStageState::TextureTransformFlags, draw.transformFlags[stage]);
    }
    stageDraws.push_back(draw);
    return RecordingDevice::DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, count);
  }
  std::vector<StageDraw> With(uint32_t stage, const gfx::BaseTexture* texture) const {
    std::vector<StageDraw> out;
    for (const StageDraw& draw : stageDraws)
      if (draw.textures[stage] == texture) out.push_back(draw);
    return out;
  }
  std::vector<StageDraw> stageDraws;
};

class ModelStageRulesTest : public model_test::ModelFixture {
 protected:
  void SetUp() override {
    ModelFixture::SetUp();
    const gfx::PresentParameters parameters = device_->Parameters();
    device_->Release();
    recorder_ = new StageRecorder(system_, 0, system_.description.adapters[0], parameters);
    device_ = recorder_;
    for (auto id : {app::SettingId::NORMALMAPPING, app::SettingId::SPECULAR, app::SettingId::SPECULARMAPPING})
      settings_->SetInt(id, 1);
  }
  void Draw(geometry::MeshModel& model) {
    geometry::SetBaselineStates(device_, settings_.get());
    recorder_->stageDraws.clear();
    model.DrawByKind(device_, gfx::IdentityMatrix(), nullptr, -1, {0, -1, 0});
  }
  uint32_t Stage(uint32_t stage, TextureStageState state) {
    uint32_t value = 0;
    device_->GetTextureStageState(stage, state, value);
    return value;
  }
  StageRecorder* recorder_ = nullptr;
};

TEST_F(ModelStageRulesTest, ACubeMapReflectsOnStageOneOnlyWhileCubeMappingIsOn) {
  WritePicture("BASE.PNG");
  WritePicture("MASK.PNG", 0x80FFFFFF, true);
  std::vector<contentgen::PictureData> faces(6, contentgen::PictureData(8, 8));
  for (auto& face : faces) face.Fill(0xFF336699);
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "SKY.DDS", gfx::Format::A8R8G8B8, faces, 1));
  for (const int cubes : {1, 0}) {
    settings_->SetInt(app::SettingId::CUBEMAPPING, cubes);
    auto model = Load(model_test::BoxesFile({Material("chrome", 0, {{0, 0}, {2, 1}, {5, 2}})},
                                            {"base.png", "mask.png", "sky.dds"}));
    render::ImageResource* image = model->GetMaterialImage(0);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(image->GetCubeMap(), nullptr);
    EXPECT_FALSE(model->kindLists[geometry::KindIndex(geometry::MaterialKind::CubeReflection)].empty());
    Draw(*model);
    const auto draws = recorder_->With(0, image->GetImageTexture());
    ASSERT_FALSE(draws.empty());
    for (const StageDraw& draw : draws) {
      EXPECT_EQ(draw.textures[1], image->GetCubeMap()->GetCubeTexture());
      if (cubes != 0) {
        EXPECT_EQ(draw.colorOp[1], uint32_t(gfx::TextureOp::ModulateAlphaAddColor));
        EXPECT_EQ(draw.texCoordIndex[1], gfx::texcoord_index::kCameraSpaceReflectionVector);
      } else {
        EXPECT_NE(draw.texCoordIndex[1], gfx::texcoord_index::kCameraSpaceReflectionVector)
            << "without cube mapping the map is not looked up by reflection";
      }
    }
    EXPECT_EQ(Stage(1, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable)) << cubes;
    EXPECT_EQ(Stage(1, TextureStageState::TexCoordIndex), 0u) << cubes;
  }
}

TEST_F(ModelStageRulesTest, AModelsOverlayScrollsInItsOwnPassOnly) {
  WritePicture("BASE.PNG");
  WritePicture("OVER.PNG", 0xFF202020);
  contentgen::MdlMaterial sign = Material("sign", 0, {{0, 0}, {6, 1}});
  sign.animation[1].hasScroll = true;
  sign.animation[1].scrollU = 0.5f;
  auto model = Load(model_test::BoxesFile({sign}, {"base.png", "over.png"}));
  render::ImageResource* image = model->GetMaterialImage(0);
  ASSERT_NE(image, nullptr);
  ASSERT_TRUE(image->IsImageAnimating(1));
  Draw(*model);
  const auto overlay = recorder_->With(0, image->GetImageSurface());
  const auto base = recorder_->With(0, image->GetImageTexture());
  ASSERT_FALSE(overlay.empty());
  ASSERT_FALSE(base.empty());
  for (const StageDraw& draw : overlay) EXPECT_EQ(draw.transformFlags[0], gfx::texture_transform::kCount2);
  for (const StageDraw& draw : base) EXPECT_EQ(draw.transformFlags[0], 0u);
  EXPECT_EQ(Stage(0, TextureStageState::TextureTransformFlags), 0u);
}

TEST_F(ModelStageRulesTest, TheSpecularPassOfANormalMappedMaterialIsMaskedByItsAlphaPicture) {
  WritePicture("BASE.PNG");
  WritePicture("SHINE.PNG", 0xFF808080);
  WritePicture("BUMP.PNG", 0xFF8080FF);
  settings_->SetInt(app::SettingId::NORMALMODULATE, static_cast<int>(gfx::TextureOp::Modulate2x));
  auto model = Load(model_test::BoxesFile({Material("paint", 0, {{0, 0}, {1, 1}, {4, 2}})},
                                          {"base.png", "shine.png", "bump.png"}));
  render::ImageResource* image = model->GetMaterialImage(0);
  ASSERT_NE(image, nullptr);
  ASSERT_TRUE(image->hasSeparateAlpha);
  ASSERT_NE(image->GetAlphaTexture(), nullptr);
  Draw(*model);
  const auto masked = recorder_->With(1, image->GetAlphaTexture());
  ASSERT_FALSE(masked.empty()) << "a specular pass with the alpha picture on stage 1";
  for (const StageDraw& draw : masked) {
    EXPECT_EQ(draw.textures[0], image->GetNormalMapTexture());
    EXPECT_EQ(draw.colorOp[1], uint32_t(gfx::TextureOp::Modulate));
    EXPECT_EQ(draw.colorOp[2], uint32_t(gfx::TextureOp::Modulate2x)) << "the modulation the settings ask for";
  }
  EXPECT_EQ(Stage(2, TextureStageState::ColorOp), uint32_t(gfx::TextureOp::Disable));
}

}  // namespace
