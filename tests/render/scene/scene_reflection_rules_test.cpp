// Map reflections in a scene: the environment picture, or the cube map a .dds environment loads as, is on
// stage 1 when the reflection is looked up by the reflection vector; and a scene queried by box or by name
// answers from its collision octree and says when a name is unknown.
#include <gtest/gtest.h>

#include "app/text_file_reader.h"

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

// The reflection texture's projection: FOV degrees over the screen's aspect, near plane exactly 0 (so depth maps
// to 1 whatever the far plane), and a square aspect when the height is 0.
TEST_F(SceneReflectionRulesTest, SetupProjectionTakesTheScreenAspectAndTheFieldOfViewInDegrees) {
  const struct {
    int width, height;
    const char* fov;
    float xScale, yScale;
  } cases[] = {
      {800, 600, "FOV:45\n", 1.8106601f, 2.4142137f},
      {1024, 768, "FOV:60.5\n", 1.2860462f, 1.7147283f},
      {640, 0, "FOV:90\n", 1.0f, 1.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fov);
    app::TextFileReader reader;
    reader.OpenText(c.fov);
    settings_->ReadConfig(reader);
    settings_->SetInt(app::SettingId::SCREENWIDTH, c.width);
    settings_->SetInt(app::SettingId::SCREENHEIGHT, c.height);
    const render::Scene scene(manager_.get(), settings_.get());
    const platform::Matrix4 projection = scene.SetupProjection();
    EXPECT_NEAR(projection.m[0][0], c.xScale, 1e-5f);
    EXPECT_NEAR(projection.m[1][1], c.yScale, 1e-5f);
    EXPECT_FLOAT_EQ(projection.m[2][2], 1.0f);
    EXPECT_FLOAT_EQ(projection.m[3][2], 0.0f);
    EXPECT_FLOAT_EQ(projection.m[2][3], 1.0f);
  }
}

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
