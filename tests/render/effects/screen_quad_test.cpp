// Screen and colour quads: colour conversion, the vertices of both quads, the capture target, the fade and
// overlay passes and their state restore, the stencil-limited shadow quad.
#include "render/effects/screen_quad.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"
#include "render/resources/image_resource.h"

namespace {

using platform::gfx::Blend;
using platform::gfx::RenderState;
using platform::gfx::TextureOp;
using platform::gfx::TextureStageState;
using render::ColorQuad;
using render::ColorScreenVertex;
using render::ScreenQuad;
using render::TexturedScreenVertex;
namespace arg = platform::gfx::texture_arg;

class ScreenQuadTest : public effects_test::EffectsTest {};

TEST(ScreenQuadColour, ChannelsClampAndRound) {
  EXPECT_EQ(render::ColorChannelByte(1.5f), 255u);
  EXPECT_EQ(render::ColorChannelByte(1.0f), 255u);
  EXPECT_EQ(render::ColorChannelByte(-0.2f), 0u);
  EXPECT_EQ(render::ColorChannelByte(0.75f), 191u);
  EXPECT_EQ(render::ColorChannelByte(0.4f), 102u);
}

TEST_F(ScreenQuadTest, QuadsCoverTheScreenAndTheCaptureSquareInStripOrder) {
  ScreenQuad quad;
  quad.Create(device_, &Resources(), settings_.get(), "IMAGES\\blur.png", "IMAGES\\bluralpha.png", 256, 0.75f);
  const auto screen = Vertices<TexturedScreenVertex>(quad.fullScreenBuffer);
  ASSERT_EQ(screen.size(), 4u);
  const float xs[4] = {0, 0, 640, 640};
  const float ys[4] = {480, 0, 480, 0};
  const float us[4] = {0, 0, 1, 1};
  const float vs[4] = {1, 0, 1, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(screen[i].x, xs[i]);
    EXPECT_EQ(screen[i].y, ys[i]);
    EXPECT_EQ(screen[i].z, 0.0f);
    EXPECT_EQ(screen[i].rhw, 1.0f);
    EXPECT_EQ(screen[i].u, us[i]);
    EXPECT_EQ(screen[i].v, vs[i]);
    EXPECT_EQ(screen[i].diffuse, 0xFF000000u);
  }
  const auto capture = Vertices<TexturedScreenVertex>(quad.captureBuffer);
  EXPECT_EQ(capture[2].x, 256.0f);
  EXPECT_EQ(capture[0].y, 256.0f);
  EXPECT_EQ(capture[0].diffuse, 191u << 24);
  quad.SetAlpha(1.5f);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.captureBuffer)[3].diffuse, 0xFF000000u);
  EXPECT_NE(quad.fadeImage, nullptr);
  ASSERT_NE(quad.captureImage, nullptr);
  EXPECT_TRUE(quad.HasTexture());
  EXPECT_EQ(quad.captureImage->targetWidth, 256u);
  EXPECT_EQ(quad.captureImage->targetHeight, 256u);
}

TEST_F(ScreenQuadTest, ResolutionChangeRebuildsOnTheNextFade) {
  ScreenQuad quad;
  quad.Create(device_, &Resources(), settings_.get(), "", "", 128, 0.5f);
  EXPECT_EQ(quad.fadeImage, nullptr) << "no names, no fade image";
  SetInt(app::SettingId::SCREENWIDTH, 1024);
  SetInt(app::SettingId::SCREENHEIGHT, 768);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.fullScreenBuffer)[2].x, 640.0f);
  quad.DrawFade(device_);
  EXPECT_EQ(quad.width, 1024.0f);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.fullScreenBuffer)[2].x, 1024.0f);
  EXPECT_EQ(Vertices<TexturedScreenVertex>(quad.fullScreenBuffer)[0].y, 768.0f);
}

TEST_F(ScreenQuadTest, FadeWithoutImageFadesByDiffuseAlphaAndRestoresStates) {
  ScreenQuad quad;
  quad.Create(device_, &Resources(), settings_.get(), "", "", 128, 0.5f);
  device_->ClearRecords();
  quad.DrawFade(device_);
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(device_->Draws()[0].type, platform::gfx::PrimitiveType::TriangleStrip);
  EXPECT_EQ(device_->Draws()[0].primitiveCount, 2u);
  EXPECT_EQ(device_->Draws()[0].fvf, render::kTexturedScreenVertexFormat);
  EXPECT_EQ(Render(RenderState::ZEnable), 1u);
  EXPECT_EQ(Render(RenderState::AlphaBlendEnable), 0u);
  EXPECT_EQ(Stage(TextureStageState::ColorArg1), arg::kTexture);
  EXPECT_EQ(Stage(TextureStageState::ColorOp), static_cast<uint32_t>(TextureOp::Modulate));
  EXPECT_EQ(Stage(TextureStageState::AlphaArg1), arg::kDiffuse);
}

TEST_F(ScreenQuadTest, CaptureFadesTheTargetAndOverlayAddsIt) {
  ScreenQuad quad;
  quad.Create(device_, &Resources(), settings_.get(), "IMAGES\\blur.png", "IMAGES\\bluralpha.png", 256, 0.75f);
  ASSERT_TRUE(quad.HasTexture());
  device_->ClearRecords();
  quad.BeginCapture(device_);
  ASSERT_EQ(device_->Clears().size(), 1u);
  EXPECT_EQ(device_->Clears()[0].flags, platform::gfx::clear_flags::kZBuffer) << "old colour stays to fade";
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(device_->Draws()[0].texture0, render::GetImageTexture(quad.fadeImage));
  platform::Matrix4 projection;
  device_->GetTransform(platform::gfx::TransformState::Projection, projection);
  EXPECT_FLOAT_EQ(projection.m[3][2], platform::PerspectiveFovLH(45 * 0.01745329252f, 640.f / 480, 10, 6000).m[3][2]);
  quad.EndCapture(device_);
  EXPECT_EQ(device_->Draws().size(), 2u);

  quad.DrawPass(device_);
  ASSERT_EQ(device_->Draws().size(), 3u);
  EXPECT_EQ(device_->Draws()[2].texture0, quad.captureImage->GetRenderTargetTexture());
  EXPECT_EQ(device_->Draws()[2].vertexCount, 4u);
  ExpectBaseline();
  EXPECT_EQ(Render(RenderState::ZEnable), 1u);
}

TEST_F(ScreenQuadTest, WithoutBuffersNothingIsDrawnAndReleaseLeavesItReusable) {
  auto* failing = new effects_test::FailingBufferDevice(system_, 0, system_.description.adapters[0],
                                                        device_->Parameters());
  failing->failBuffers = true;
  ScreenQuad quad;
  quad.Create(failing, &Resources(), settings_.get(), "", "", 64, 0.5f);
  EXPECT_EQ(quad.fullScreenBuffer, nullptr);
  quad.DrawFade(failing);
  quad.DrawPass(failing);
  EXPECT_TRUE(failing->Draws().empty());
  quad.Release();
  EXPECT_EQ(quad.captureImage, nullptr);
  failing->failBuffers = false;
  quad.Create(failing, &Resources(), settings_.get(), "", "", 64, 0.5f);
  EXPECT_NE(quad.fullScreenBuffer, nullptr);
  quad.Release();
  failing->Release();
}

TEST_F(ScreenQuadTest, ColourQuadVerticesAndColours) {
  ColorQuad quad;
  quad.Create(device_, settings_.get());
  EXPECT_FLOAT_EQ(quad.alpha, 0.8f);
  auto vertices = Vertices<ColorScreenVertex>(quad.buffer);
  ASSERT_EQ(vertices.size(), 4u);
  EXPECT_EQ(vertices[0].diffuse, 204u << 24);
  EXPECT_EQ(vertices[2].x, 640.0f);
  EXPECT_EQ(vertices[0].y, 480.0f);
  EXPECT_EQ(vertices[1].rhw, 1.0f);
  quad.SetColor(1.0f, 0.5f, 0.0f, 0.4f);
  vertices = Vertices<ColorScreenVertex>(quad.buffer);
  for (const auto& v : vertices) EXPECT_EQ(v.diffuse, 0x66FF8000u);
  EXPECT_EQ(vertices[3].x, 640.0f) << "positions kept";
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
