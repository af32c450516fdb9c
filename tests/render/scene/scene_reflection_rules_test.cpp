// Map reflections in a scene: the environment picture, or the cube map a .dds environment loads as, is on
// stage 1 when the reflection is looked up by the reflection vector; and a scene queried by box or by name
// answers from its collision octree and says when a name is unknown.
#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "platform/gfx/null_graphics.h"
#include "platform/math/math.h"
#include "render/resources/cube_map.h"
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

class SceneReflectionRulesTest : public scene_test::SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    recorder_ = new StageRecorder(system_, 0, system_.description.adapters[0], device_->Parameters());
    recorder_->SetTextureStageState(1, TextureStageState::TexCoordIndex, 0u);
    recorder_->SetTextureStageState(0, TextureStageState::AlphaArg1, gfx::texture_arg::kDiffuse);
  }
  void TearDown() override {
    manager_.reset();
    recorder_->Release();
    SceneFixture::TearDown();
  }
  StageRecorder* recorder_ = nullptr;
};

TEST_F(SceneReflectionRulesTest, AMapReflectionLooksUpItsEnvironmentOnStageOne) {
  WriteTexture("base.png");
  WriteTexture("mask.png", 0x80FFFFFF, true);
  WriteTexture("chrome.png", 0xFFC0C0C0);
  std::vector<contentgen::PictureData> faces(6, Solid(8, 8, 0xFF336699));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "SCENE/sky.dds", gfx::Format::A8R8G8B8, faces, 1));
  settings_->SetInt(app::SettingId::CUBEMAPPING, 1);
  for (const char* environment : {"chrome.png", "sky.dds"}) {
    ScnFile file;
    file.textureNames = {{"base.png", 0}, {"mask.png", 1}, {environment, 2}};
    contentgen::ScnMaterial chrome = Material("CHROME", 0, 0);
    chrome.textures[contentgen::kScnReflectionAlpha] = 1;
    chrome.textures[contentgen::kScnEnvironment] = 2;
    file.materials = {chrome};
    file.parts.push_back(Square(0, 0, 10, 0));
    const std::string path = folder_ + "SCENE/chrome.scn";
    ASSERT_TRUE(contentgen::WriteSceneFile(path, file));
    render::Scene scene(manager_.get(), settings_.get());
    ASSERT_TRUE(scene.Load(recorder_, path, "", false, false, true));
    scene.visibleParts = scene.allParts;
    ASSERT_FALSE(scene.allParts[geometry::KindIndex(geometry::MaterialKind::MapReflection)].empty()) << environment;
    const render::ImageResource* image = scene.materialImages[0];
    const gfx::BaseTexture* expected = image->GetCubeMap() != nullptr
                                           ? static_cast<const gfx::BaseTexture*>(image->GetCubeMap()->GetCubeTexture())
                                           : image->GetEnvironmentTexture();
    ASSERT_NE(expected, nullptr) << environment;
    recorder_->draws.clear();
    scene.DrawVisible(recorder_, platform::IdentityMatrix(), nullptr, nullptr);
    const auto draws = recorder_->With(image->GetImageTexture());
    ASSERT_FALSE(draws.empty()) << environment;
    for (const StageDraw& draw : draws) {
      EXPECT_EQ(draw.textures[1], expected) << environment;
      EXPECT_EQ(draw.colorOp[1], uint32_t(gfx::TextureOp::ModulateAlphaAddColor)) << environment;
      EXPECT_EQ(draw.texCoordIndex[1], gfx::texcoord_index::kCameraSpaceReflectionVector) << environment;
    }
    uint32_t value = 0;
    recorder_->GetTextureStageState(1, TextureStageState::ColorOp, value);
    EXPECT_EQ(value, uint32_t(gfx::TextureOp::Disable)) << environment;
    recorder_->GetTextureStageState(1, TextureStageState::TexCoordIndex, value);
    EXPECT_EQ(value, 0u) << environment;
  }
}

TEST_F(SceneReflectionRulesTest, ASceneWithoutAQuadtreeAnswersBoxQueriesFromItsOctree) {
  ScnFile file;
  file.materials = {Material("ROAD", 0)};
  file.parts.push_back(Square(0, 0, 10, 0));
  file.parts.push_back(Square(100, 0, 10, 0));
  const std::string path = folder_ + "SCENE/road.scn";
  ASSERT_TRUE(contentgen::WriteSceneFile(path, file));
  render::Scene scene(manager_.get(), settings_.get());
  ASSERT_TRUE(scene.Load(device_, path, "", true, false, false));
  ASSERT_NE(scene.collisionOctree, nullptr);
  EXPECT_EQ(scene.collisionQuadtree, nullptr);
  scene.CollectInBox({-1, -1, -1}, {1, 1, 1});
  EXPECT_EQ(scene.candidates.size(), 2u) << "the two triangles of the square at the origin";
  scene.CollectInBox({40, -1, 40}, {50, 1, 50});
  EXPECT_TRUE(scene.candidates.empty()) << "nothing between the squares";
  EXPECT_EQ(scene.FindMarker("NOWHERE"), nullptr);
  EXPECT_EQ(scene.FindPath("NOWHERE"), nullptr);
}

}  // namespace
