// Scene materials: picture files and kinds from the texture slots, and the image's material, overlay pass and
// animation as loaded.
#include "render/scene/scene_material.h"

#include <gtest/gtest.h>

#include "render/resources/image_resource.h"
#include "render/scene/scene_test_support.h"

namespace {

using geometry::MaterialKind;
using render::DeriveMaterialFiles;
using render::SceneMaterialRecord;

const std::vector<std::string> kTable = {"BASE.PNG", "ALPHA.PNG", "REFL.PNG", "OVER.PNG",
                                         "NORM.PNG", "ENV.PNG",   "MULT.PNG"};

SceneMaterialRecord Record(std::initializer_list<std::pair<int, int>> slots) {
  SceneMaterialRecord record;
  for (auto [slot, index] : slots) record.textures[slot] = index;
  return record;
}

TEST(SceneMaterialFiles, KindFollowsTheTextureSlots) {
  using namespace render;
  struct Case {
    SceneMaterialRecord record;
    MaterialKind kind;
    const char* why;
  };
  const std::vector<Case> cases = {
      {Record({}), MaterialKind::Plain, "no texture"},
      {Record({{kTextureBase, 0}}), MaterialKind::Plain, "base only"},
      {Record({{kTextureBase, 0}, {kTextureAlpha, 1}}), MaterialKind::Alpha, "separate alpha"},
      {Record({{kTextureBase, 0}, {kTextureOverlayAdd, 3}}), MaterialKind::Plain, "base with overlay"},
      {Record({{kTextureOverlayAdd, 3}}), MaterialKind::Additive, "overlay without base"},
      {Record({{kTextureOverlayMultiply, 6}}), MaterialKind::Multiply, "multiplied overlay without base"},
      {Record({{kTextureBase, 0}, {kTextureReflectionAlpha, 2}}), MaterialKind::SharedReflection, "planar"},
      {Record({{kTextureReflectionAlpha, 2}}), MaterialKind::Plain, "reflection alpha needs a base"},
      {Record({{kTextureBase, 0}, {kTextureReflectionAlpha, 2}, {kTextureEnvironment, 5}}), MaterialKind::MapReflection,
       "environment map"},
      {Record({{kTextureBase, 0}, {kTextureNormalMap, 4}}), MaterialKind::NormalMapped, "normal map"},
      {Record({{kTextureBase, 0}, {kTextureReflectionAlpha, 2}, {kTextureNormalMap, 4}}),
       MaterialKind::SharedReflection, "a normal map is ignored beside reflection alpha"},
  };
  for (const Case& c : cases) EXPECT_EQ(DeriveMaterialFiles(c.record, kTable, "F/").kind, c.kind) << c.why;
}

TEST(SceneMaterialFiles, FilesComeFromTheFolderAndTheTable) {
  using namespace render;
  auto files = DeriveMaterialFiles(Record({{kTextureBase, 0}, {kTextureAlpha, 1}, {kTextureReflectionAlpha, 2}}),
                                   kTable, "TRACKS/CITY/");
  EXPECT_EQ(files.files[0], "TRACKS/CITY/BASE.PNG");
  EXPECT_EQ(files.files[1], "TRACKS/CITY/REFL.PNG") << "reflection alpha replaces the alpha picture";
  EXPECT_EQ(files.kind, MaterialKind::SharedReflection);

  files = DeriveMaterialFiles(Record({{kTextureOverlayAdd, 3}, {kTextureOverlayMultiply, 6}}), kTable, "");
  EXPECT_EQ(files.files[2], "OVER.PNG") << "the additive overlay wins the overlay file";

  files = DeriveMaterialFiles(Record({{kTextureBase, 40}, {kTextureAlpha, -7}}), kTable, "");
  EXPECT_EQ(files.files[0], "") << "an index outside the table is no texture";
  EXPECT_EQ(files.kind, MaterialKind::Plain);
}

class SceneMaterialImageTest : public scene_test::SceneFixture {};

TEST_F(SceneMaterialImageTest, ImageCarriesMaterialOverlayPassAnimationAndReflection) {
  WriteTexture("base.png");
  WriteTexture("refl.png", 0x80FFFFFF, true);
  WriteTexture("mult.png");
  SceneMaterialRecord record;
  record.textures[render::kTextureBase] = 0;
  record.textures[render::kTextureReflectionAlpha] = 2;
  record.textures[render::kTextureOverlayMultiply] = 6;
  record.diffuse = {1, 0.5f, 0};
  record.specular = {0.5f, 0.5f, 0.5f};
  record.specularLevel = 0.5f;
  record.glossiness = 0.2f;
  record.hasScroll0 = true;
  record.scroll0[0] = 0.25f;
  record.hasAnim1 = true;
  record.anim1Grid[0] = 4;
  record.anim1Grid[1] = -2;
  record.anim1Rate = 0.1f;
  const render::MaterialFiles files = DeriveMaterialFiles(record, kTable, folder_ + "SCENE/");
  MaterialKind kind = MaterialKind::Plain;
  render::ImageResource* image = render::MakeMaterialImage(*manager_, device_, record, files, true, 64, &kind);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(kind, MaterialKind::SharedReflection);
  EXPECT_TRUE(image->reflective);
  EXPECT_TRUE(image->renderTargetReady) << "reflection targets were asked for";
  EXPECT_EQ(image->overlayPass, 7);
  EXPECT_FLOAT_EQ(image->material.diffuse.g, 0.5f);
  EXPECT_FLOAT_EQ(image->material.diffuse.a, 1.0f) << "alphas keep the image's defaults";
  EXPECT_FLOAT_EQ(image->material.specular.r, 0.25f);
  EXPECT_FLOAT_EQ(image->material.power, 20.0f);
  EXPECT_TRUE(image->IsImageAnimating(0));
  EXPECT_TRUE(image->IsImageAnimating(1));
  EXPECT_EQ(image->rows[1], 1u) << "a negative frame count is one frame";
  manager_->ReleaseImage(image);
}

}  // namespace
