// Scene material rules: how reflective materials blend by their variant, alpha texture and stand-in picture, and
// what a scene file's colour key, flip-book grids and second scroll make of a material's image.
#include <gtest/gtest.h>

#include "geometry/model_geometry.h"
#include "render/resources/image_resource.h"
#include "render/scene/scene_material.h"
#include "render/scene/scene_test_support.h"

namespace {

using geometry::MaterialKind;
using render::SceneMaterialRecord;

class SceneMaterialRulesTest : public scene_test::SceneFixture {};

TEST_F(SceneMaterialRulesTest, ReflectiveMaterialsBlendByVariantAlphaTextureAndStandIn) {
  const struct {
    const char* what;
    MaterialKind kind;
    bool variantA, alphaTexture, blank;
    MaterialKind expectedKind;
    bool depthWrite, additive, alphaBlend;
  } cases[] = {
      {"a plain material is left alone", MaterialKind::Plain, true, true, true, MaterialKind::Plain, true, false, false},
      {"an opaque reflection", MaterialKind::SharedReflection, false, false, false, MaterialKind::SharedReflection,
       true, false, false},
      {"the first variant blends the planar reflection", MaterialKind::SharedReflection, true, false, false,
       MaterialKind::SharedReflectionBlended, false, false, false},
      {"the first variant blends the mapped reflection", MaterialKind::MapReflection, true, false, false,
       MaterialKind::MapReflectionBlended, false, false, false},
      {"an alpha texture over a picture blends by alpha", MaterialKind::SharedReflection, false, true, false,
       MaterialKind::SharedReflection, true, false, true},
      {"an alpha texture over the stand-in adds without depth", MaterialKind::MapReflection, false, true, true,
       MaterialKind::MapReflection, false, true, false},
      {"the stand-in alone adds and keeps depth", MaterialKind::MapReflection, false, false, true,
       MaterialKind::MapReflection, true, true, false},
  };
  for (const auto& c : cases) {
    SceneMaterialRecord record;
    record.variantA = c.variantA ? 1 : 0;
    if (c.alphaTexture) record.textures[render::kTextureAlpha] = 1;
    render::ImageResource image(manager_.get(), false);
    image.isBlank = c.blank;
    EXPECT_EQ(render::ApplyReflectionBlending(record, c.kind, image), c.expectedKind) << c.what;
    EXPECT_EQ(image.depthWrite, c.depthWrite) << c.what;
    EXPECT_EQ(image.additiveBlend, c.additive) << c.what;
    EXPECT_EQ(image.alphaBlend, c.alphaBlend) << c.what;
  }
}

TEST_F(SceneMaterialRulesTest, AFilesColourKeyAndFlipBooksShapeTheMaterialsImage) {
  // The key colour becomes see-through and puts the material with the alpha kinds.
  contentgen::PictureData picture = Solid(4, 4, 0xFF204060);
  picture.Set(1, 1, 0xFFFF0000);
  Write("SCENE/keyed.png", picture);
  WriteTexture("plain.png");
  contentgen::ScnFile file;
  file.textureNames = {{"keyed.png", 0}, {"plain.png", 1}};
  contentgen::ScnMaterial keyed = scene_test::Material("KEYED", 0, 0);
  keyed.hasFlatColour = 1;
  keyed.flatColour = {255, 0, 0};
  contentgen::ScnMaterial animated = scene_test::Material("ANIMATED", 1, 1);
  animated.hasAnim0 = true;
  animated.anim0Grid[0] = 4;
  animated.anim0Grid[1] = 2;
  animated.anim0Rate = 0.25f;
  animated.hasScroll1 = true;
  animated.scroll1[0] = 0.5f;
  animated.scroll1[1] = -0.25f;
  animated.hasAnim1 = true;
  animated.anim1Grid[0] = 3;
  animated.anim1Grid[1] = 0;  // no rows: one row
  file.materials = {keyed, animated};
  file.parts.push_back(scene_test::Square(0, 0, 10, 0));
  file.parts.push_back(scene_test::Square(20, 0, 10, 1));
  auto scene = LoadFile(file);
  ASSERT_EQ(scene->materialImages.size(), 2u);

  const render::ImageResource* keyedImage = scene->materialImages[0];
  ASSERT_NE(keyedImage, nullptr);
  EXPECT_TRUE(keyedImage->hasAlpha);
  EXPECT_EQ(render_test::ReadTexel(keyedImage->GetImageTexture(), 0, 1, 1) >> 24, 0u) << "the key colour is clear";
  EXPECT_EQ(render_test::ReadTexel(keyedImage->GetImageTexture(), 0, 2, 2), 0xFF204060u);
  EXPECT_FALSE(scene->allParts[geometry::KindIndex(MaterialKind::Alpha)].empty());
  EXPECT_TRUE(scene->allParts[geometry::KindIndex(MaterialKind::Plain)].size() == 1u)
      << "only the animated material is plain";

  const render::ImageResource* animatedImage = scene->materialImages[1];
  ASSERT_NE(animatedImage, nullptr);
  EXPECT_TRUE(animatedImage->IsImageAnimating(0));
  EXPECT_TRUE(animatedImage->IsImageAnimating(1));
  EXPECT_EQ(animatedImage->columns[0], 4u);
  EXPECT_EQ(animatedImage->rows[0], 2u);
  EXPECT_EQ(animatedImage->columns[1], 3u);
  EXPECT_EQ(animatedImage->rows[1], 1u);
}

}  // namespace
