// Model material rules read from the file: a colour key makes its colour see-through and the material an alpha
// kind, flip-book grids reach the image, and a reflection mask without a colour picture glows additively without
// writing depth, undone after the model.
#include <gtest/gtest.h>

#include "geometry/models/material_states.h"
#include "geometry/models/mesh_model.h"
#include "model_test_support.h"
#include "render/resources/image_resource.h"

namespace {

using geometry::MaterialKind;
using model_test::Material;
using platform::gfx::RenderState;

class ModelMaterialRulesTest : public model_test::ModelFixture {};

uint32_t Texel(platform::gfx::Texture* texture, uint32_t x, uint32_t y) {
  platform::gfx::LockedRect locked;
  if (platform::Failed(texture->LockRect(0, locked, nullptr, platform::gfx::lock_flags::kReadOnly))) return 0xDEADBEEF;
  uint32_t value = 0;
  std::memcpy(&value, static_cast<const uint8_t*>(locked.bits) + size_t(y) * locked.pitch + x * 4, 4);
  texture->UnlockRect(0);
  return value;
}

TEST_F(ModelMaterialRulesTest, AColourKeyClearsItsColourAndGridsReachTheImage) {
  contentgen::PictureData picture(4, 4);
  picture.Fill(0xFF204060);
  picture.Set(2, 1, 0xFF00FF00);
  ASSERT_TRUE(contentgen::WritePng(folder_ + "decal.png", picture, false));
  WritePicture("plain.png");
  contentgen::MdlMaterial keyed = Material("keyed", 0, {{0, 0}});
  keyed.hasColourKey = 1;
  keyed.colourKey = {0, 255, 0};
  contentgen::MdlMaterial flipBook = Material("flipbook", 1, {{0, 1}});
  flipBook.animation[0].hasGrid = true;
  flipBook.animation[0].columns = 4;
  flipBook.animation[0].rows = 2;
  flipBook.animation[0].frameSeconds = 0.125f;
  auto model = Load(model_test::BoxesFile({keyed, flipBook}, {"decal.png", "plain.png"}));

  render::ImageResource* keyedImage = model->GetMaterialImage(0);
  ASSERT_NE(keyedImage, nullptr);
  EXPECT_TRUE(keyedImage->hasAlpha);
  EXPECT_EQ(Texel(keyedImage->GetImageTexture(), 2, 1) >> 24, 0u) << "the key colour is see-through";
  EXPECT_EQ(Texel(keyedImage->GetImageTexture(), 0, 0), 0xFF204060u);
  EXPECT_FALSE(model->kindLists[geometry::KindIndex(MaterialKind::Alpha)].empty());

  render::ImageResource* flipImage = model->GetMaterialImage(1);
  ASSERT_NE(flipImage, nullptr);
  EXPECT_TRUE(flipImage->IsImageAnimating(0));
  EXPECT_EQ(flipImage->columns[0], 4u);
  EXPECT_EQ(flipImage->rows[0], 2u);
  EXPECT_FALSE(flipImage->IsImageAnimating(1));
}

TEST_F(ModelMaterialRulesTest, AReflectionMaskWithoutAColourPictureGlowsAdditivelyWithoutDepthWrites) {
  WritePicture("mask.png", 0x80FFFFFF, true);
  settings_->SetInt(app::SettingId::CUBEMAPPING, 0);
  auto model = Load(model_test::BoxesFile({Material("glow", 0, {{2, 0}})}, {"mask.png"}));
  render::ImageResource* image = model->GetMaterialImage(0);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(image->isBlank);
  EXPECT_TRUE(image->additiveBlend);
  EXPECT_FALSE(model->kindLists[geometry::KindIndex(MaterialKind::SharedReflection)].empty());

  geometry::SetBaselineStates(device_, settings_.get());
  device_->drawn.clear();
  model->DrawByKind(device_, platform::gfx::IdentityMatrix(), nullptr, -1, {0, -1, 0});
  ASSERT_FALSE(device_->drawn.empty());
  for (const auto& draw : device_->drawn) {
    EXPECT_EQ(draw.Render(RenderState::AlphaBlendEnable), 1u);
    EXPECT_EQ(draw.Render(RenderState::SrcBlend), uint32_t(platform::gfx::Blend::One));
    EXPECT_EQ(draw.Render(RenderState::DestBlend), uint32_t(platform::gfx::Blend::One));
    EXPECT_EQ(draw.Render(RenderState::ZWriteEnable), 0u);
  }
  uint32_t value = 0;
  device_->GetRenderState(RenderState::ZWriteEnable, value);
  EXPECT_EQ(value, 1u) << "depth writes are back on after the model";
  device_->GetRenderState(RenderState::AlphaBlendEnable, value);
  EXPECT_EQ(value, 0u);
  device_->GetRenderState(RenderState::DestBlend, value);
  EXPECT_EQ(value, uint32_t(platform::gfx::Blend::Zero));
}

}  // namespace
