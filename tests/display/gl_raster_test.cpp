// Per-pixel operations on the OpenGL device: fog, alpha test, user clip planes, depth bias and range fog, compared
// with their equations on read-back pixels. Stencil shadows are pixel-tested in race_frame_test.cpp.
#include <cmath>

#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

// XYZRHW | DIFFUSE | SPECULAR
struct FogVertex {
  float x, y, z, rhw;
  uint32_t diffuse, specular;
};

using GlRasterTest = GlUnlitTest;

TEST_F(GlRasterTest, FogMixesTheFogColourByTheFogFactor) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetRenderState(RenderState::FogEnable, true);
  device().SetRenderState(RenderState::FogColor, Argb(0, 0, 0, 255));
  device().SetRenderState(RenderState::FogStart, FloatBits(0.25f));
  device().SetRenderState(RenderState::FogEnd, FloatBits(0.75f));
  const uint32_t color = Argb(255, 255, 100, 0);
  auto expected = [&](double f) { return Argb(255, Byte(f * 1.0), Byte(f * 100 / 255.0), Byte((1 - f) * 1.0)); };
  // Vertex fog, linear in camera depth: f = (end - z) / (end - start).
  device().SetRenderState(RenderState::FogVertexMode, FogMode::Linear);
  EXPECT_COLOR_NEAR(DrawDepthQuad(0.4f, color), expected((0.75 - 0.4) / 0.5));
  EXPECT_COLOR_NEAR(DrawDepthQuad(0.9f, color), expected(0.0));
  EXPECT_COLOR_NEAR(DrawDepthQuad(0.1f, color), expected(1.0));
  // Pixel (table) fog takes over when set.
  device().SetRenderState(RenderState::FogTableMode, FogMode::Linear);
  EXPECT_COLOR_NEAR(DrawDepthQuad(0.6f, color), expected((0.75 - 0.6) / 0.5));
  // Fog off: the colour as it is.
  device().SetRenderState(RenderState::FogEnable, false);
  EXPECT_COLOR_NEAR(DrawDepthQuad(0.5f, color), color, 0);
}

TEST_F(GlRasterTest, AlphaTestComparesTheAlphaByteWithTheReference) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetRenderState(RenderState::AlphaTestEnable, true);
  device().SetRenderState(RenderState::AlphaRef, 128);
  struct Case {
    CompareFunc func;
    bool at127, at128, at129;
  };
  const Case cases[] = {
      {CompareFunc::Never, false, false, false},      {CompareFunc::Less, true, false, false},
      {CompareFunc::Equal, false, true, false},       {CompareFunc::LessEqual, true, true, false},
      {CompareFunc::Greater, false, false, true},     {CompareFunc::NotEqual, true, false, true},
      {CompareFunc::GreaterEqual, false, true, true}, {CompareFunc::Always, true, true, true},
  };
  for (const Case& c : cases) {
    device().SetRenderState(RenderState::AlphaFunc, c.func);
    const bool expected[3] = {c.at127, c.at128, c.at129};
    for (int i = 0; i < 3; ++i) {
      device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
      DrawScreenRect(0, 0, 64, 64, Argb(127 + i, 255, 255, 255));
      EXPECT_EQ(Red(Pixel(32, 32)) == 255, expected[i]) << "func " << static_cast<int>(c.func) << " alpha " << 127 + i;
    }
  }
}

TEST_F(GlRasterTest, ClipPlanesKeepThePositiveSide) {
  device().SetRenderState(RenderState::ZEnable, false);
  ASSERT_EQ(device().SetClipPlane(2, Plane{0, 1, 0, -0.5f}), kOk);  // keep y >= 0.5 (the top quarter)
  device().SetRenderState(RenderState::ClipPlaneEnable, 1u << 2);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  DrawDepthQuad(0.5f, Argb(255, 0, 255, 0));
  EXPECT_COLOR_NEAR(Pixel(32, 4), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(32, 30), Argb(255, 0, 0, 0), 0);
  // Planes are in world space: moved down by 0.5, the quad's top edge (world y 0.5) is all that would stay, and
  // nothing shows. Were the plane applied to the untransformed vertices, rows 16..31 would be drawn.
  Matrix4 world;
  for (int i = 0; i < 4; ++i) world.m[i][i] = 1;
  world.m[3][1] = -0.5f;
  device().SetTransform(TransformState::World, world);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  DrawDepthQuad(0.5f, Argb(255, 0, 255, 0));
  EXPECT_COLOR_NEAR(Pixel(32, 20), Argb(255, 0, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(32, 40), Argb(255, 0, 0, 0), 0);
  device().SetRenderState(RenderState::ClipPlaneEnable, 0);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  DrawDepthQuad(0.5f, Argb(255, 0, 255, 0));
  EXPECT_COLOR_NEAR(Pixel(32, 30), Argb(255, 0, 255, 0), 0);
}

TEST_F(GlRasterTest, RangeFogUsesTheDistanceNotTheDepth) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetRenderState(RenderState::FogEnable, true);
  device().SetRenderState(RenderState::FogColor, Argb(0, 255, 255, 255));
  device().SetRenderState(RenderState::FogVertexMode, FogMode::Linear);
  device().SetRenderState(RenderState::FogStart, FloatBits(0.0f));
  device().SetRenderState(RenderState::FogEnd, FloatBits(2.0f));
  device().SetRenderState(RenderState::RangeFogEnable, true);
  // Corners at (±1, ±1, 1): depth 1 but distance √3; the projection halves z to keep it inside the depth range.
  const uint32_t black = Argb(255, 0, 0, 0);
  const ColorVertex quad[4] = {{-1, 1, 1, black}, {1, 1, 1, black}, {-1, -1, 1, black}, {1, -1, 1, black}};
  Matrix4 projection;
  for (int i = 0; i < 4; ++i) projection.m[i][i] = 1;
  projection.m[2][2] = 0.5f;
  device().SetTransform(TransformState::Projection, projection);
  device().SetVertexShader(kColorFvf);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ColorVertex)), kOk);
  const double distance = std::sqrt(3.0);
  const int fogged = Byte(1 - (2.0 - distance) / 2.0);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, fogged, fogged, fogged));
  // By depth the factor would be (2 - 1) / 2.
  device().SetRenderState(RenderState::RangeFogEnable, false);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ColorVertex)), kOk);
  const int byDepth = Byte(0.5);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, byDepth, byDepth, byDepth));
}

}  // namespace
}  // namespace platform::gfx::testing
