// Screen and colour quads: colour conversion, the rebuild on a new resolution, the untextured stencil-limited shadow
// quad. The glow capture and the shadow quad are pixel-tested in race_frame_test.cpp.
#include "render/effects/screen_quad.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"
#include "render/resources/image_resource.h"

namespace {

using platform::gfx::RenderState;
using render::ColorQuad;
using render::ScreenQuad;
using render::TexturedScreenVertex;

class ScreenQuadTest : public effects_test::EffectsTest {};

TEST(ScreenQuadColour, ChannelsClampAndRound) {
  const std::pair<float, uint32_t> cases[] = {{1.5f, 255}, {1.0f, 255}, {-0.2f, 0}, {0.75f, 191}, {0.4f, 102}};
  for (const auto& [value, byte] : cases) EXPECT_EQ(render::ColorChannelByte(value), byte) << value;
}

TEST_F(ScreenQuadTest, ResolutionChangeRebuildsOnTheNextFade) {
  ScreenQuad quad;
  quad.Create(device_, &Resources(), settings_.get(), "", "", 128, 0.5f);
  SetInt(app::SettingId::SCREENWIDTH, 1024);
  SetInt(app::SettingId::SCREENHEIGHT, 768);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.fullScreenBuffer)[2].x, 640.0f);
  quad.DrawFade(device_);
  EXPECT_EQ(quad.width, 1024.0f);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.fullScreenBuffer)[2].x, 1024.0f);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.fullScreenBuffer)[0].y, 768.0f);
}

TEST_F(ScreenQuadTest, ColourQuadDrawsUntexturedAndShadowQuadOnlyOnStencil) {
  ColorQuad quad;
  quad.Create(device_, settings_.get());
  quad.SetColor(0, 0, 0, 0.4f);
  Resources();
  platform::gfx::Texture* stray = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, platform::gfx::Format::A8R8G8B8, platform::gfx::Pool::Managed, &stray),
            platform::kOk);
  device_->SetTexture(0, stray);
  device_->ClearRecords();
  quad.DrawStencilShadow(device_);
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(device_->Draws()[0].texture0, nullptr) << "a leftover texture must not tint the quad";
  EXPECT_EQ(device_->Draws()[0].fvf, render::kColorScreenVertexFormat);
  EXPECT_EQ(Render(RenderState::StencilEnable), 0u);
  EXPECT_EQ(Render(RenderState::StencilRef), 1u);
  EXPECT_EQ(Render(RenderState::StencilFunc), static_cast<uint32_t>(platform::gfx::CompareFunc::LessEqual));
  EXPECT_EQ(Render(RenderState::ZEnable), 1u);
  ExpectBaseline();
  stray->Release();
}

}  // namespace
