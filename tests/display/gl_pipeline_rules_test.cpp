// The rest of the OpenGL device's fixed pipeline, checked on read-back pixels: stencil operations, blend
// equations, depth comparisons, mirrored addressing, lines and points, indexed user-memory draws, exponential
// fog, spot lights, vertex blending, cube textures, partial clears and the benchmark's pass timing.
#include <cmath>
#include <cstring>
#include <string>

#include "gl_fixture.h"
#include "platform/gfx/null_graphics.h"

namespace platform::gfx::testing {
namespace {

using GlPipelineTest = GlUnlitTest;

TEST_F(GlPipelineTest, StencilOperationsChangeTheStoredValueAsNamed) {
  // The stored value after one passing draw over a stencil of 5 (reference 9), read back by drawing with EQUAL.
  struct Case {
    StencilOp op;
    uint32_t expected;
  };
  const Case cases[] = {
      {StencilOp::Keep, 5},   {StencilOp::Zero, 0},     {StencilOp::Replace, 9}, {StencilOp::IncrSat, 6},
      {StencilOp::DecrSat, 4}, {StencilOp::Invert, 250}, {StencilOp::Incr, 6},    {StencilOp::Decr, 4},
  };
  device().SetRenderState(RenderState::ZEnable, false);
  for (const Case& c : cases) {
    device().Clear(clear_flags::kTarget | clear_flags::kStencil, 0, 1.0f, 5);
    device().SetRenderState(RenderState::StencilEnable, true);
    device().SetRenderState(RenderState::StencilFunc, CompareFunc::Always);
    device().SetRenderState(RenderState::StencilRef, 9);
    device().SetRenderState(RenderState::StencilPass, c.op);
    DrawScreenRect(0, 0, 32, 64, Argb(255, 0, 0, 255));
    device().SetRenderState(RenderState::StencilPass, StencilOp::Keep);
    device().SetRenderState(RenderState::StencilFunc, CompareFunc::Equal);
    device().SetRenderState(RenderState::StencilRef, c.expected);
    DrawScreenRect(0, 0, 64, 64, Argb(255, 0, 255, 0));
    EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 0, 255, 0), 0) << "op " << static_cast<int>(c.op);
    // Outside the first draw the stencil still holds 5.
    EXPECT_EQ(Green(Pixel(50, 10)) == 255, c.expected == 5) << "op " << static_cast<int>(c.op);
  }
  // Wrapping and saturating differ at the ends of the range.
  const Case ends[] = {{StencilOp::Incr, 0}, {StencilOp::IncrSat, 255}};
  for (const Case& c : ends) {
    device().Clear(clear_flags::kTarget | clear_flags::kStencil, 0, 1.0f, 255);
    device().SetRenderState(RenderState::StencilFunc, CompareFunc::Always);
    device().SetRenderState(RenderState::StencilPass, c.op);
    DrawScreenRect(0, 0, 64, 64, Argb(255, 0, 0, 255));
    device().SetRenderState(RenderState::StencilPass, StencilOp::Keep);
    device().SetRenderState(RenderState::StencilFunc, CompareFunc::Equal);
    device().SetRenderState(RenderState::StencilRef, c.expected);
    DrawScreenRect(0, 0, 64, 64, Argb(255, 0, 255, 0));
    EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 0, 255, 0), 0) << "op " << static_cast<int>(c.op);
  }
}

TEST_F(GlPipelineTest, BlendOperationsCombineSourceAndTargetByTheirEquation) {
  device().SetRenderState(RenderState::ZEnable, false);
  struct Case {
    BlendOp op;
    uint32_t expected;  // source (100, 200, 50) over target (200, 100, 50), both factors one
  };
  const Case cases[] = {
      {BlendOp::Add, Argb(255, 255, 255, 100)},      {BlendOp::Subtract, Argb(255, 0, 100, 0)},
      {BlendOp::RevSubtract, Argb(255, 100, 0, 0)},  {BlendOp::Min, Argb(255, 100, 100, 50)},
      {BlendOp::Max, Argb(255, 200, 200, 50)},
  };
  for (const Case& c : cases) {
    device().Clear(clear_flags::kTarget, Argb(255, 200, 100, 50), 1.0f, 0);
    device().SetRenderState(RenderState::AlphaBlendEnable, true);
    device().SetRenderState(RenderState::SrcBlend, Blend::One);
    device().SetRenderState(RenderState::DestBlend, Blend::One);
    device().SetRenderState(RenderState::BlendOp, c.op);
    DrawScreenRect(0, 0, 64, 64, Argb(255, 100, 200, 50));
    EXPECT_COLOR_NEAR(Pixel(32, 32), c.expected, 1) << "op " << static_cast<int>(c.op);
  }
}

TEST_F(GlPipelineTest, EveryDepthComparisonPassesWhatItNames) {
  // Depth holds 0.5 from a first draw; the second draw at 0.25, 0.5 or 0.75 passes or not.
  struct Case {
    CompareFunc func;
    bool nearer, same, farther;
  };
  const Case cases[] = {
      {CompareFunc::Never, false, false, false},       {CompareFunc::Less, true, false, false},
      {CompareFunc::Equal, false, true, false},        {CompareFunc::LessEqual, true, true, false},
      {CompareFunc::Greater, false, false, true},      {CompareFunc::NotEqual, true, false, true},
      {CompareFunc::GreaterEqual, false, true, true},  {CompareFunc::Always, true, true, true},
  };
  const float depths[3] = {0.25f, 0.5f, 0.75f};
  for (const Case& c : cases) {
    const bool expected[3] = {c.nearer, c.same, c.farther};
    for (int i = 0; i < 3; ++i) {
      device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0, 1.0f, 0);
      device().SetRenderState(RenderState::ZWriteEnable, true);
      device().SetRenderState(RenderState::ZFunc, CompareFunc::Always);
      DrawDepthQuad(0.5f, Argb(255, 0, 0, 255));
      device().SetRenderState(RenderState::ZWriteEnable, false);
      device().SetRenderState(RenderState::ZFunc, c.func);
      const uint32_t pixel = DrawDepthQuad(depths[i], Argb(255, 255, 0, 0));
      EXPECT_EQ(Red(pixel) == 255, expected[i]) << "func " << static_cast<int>(c.func) << " depth " << depths[i];
    }
  }
}

TEST_F(GlPipelineTest, MirroredAddressingReflectsTheTextureAndMirrorOnceStopsAtTheEdge) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kTexture);
  Texture* texture = MakeTexture2x2(Argb(255, 0, 0, 0), Argb(255, 255, 255, 255), Argb(255, 0, 0, 0),
                                    Argb(255, 255, 255, 255));
  device().SetTexture(0, texture);
  device().SetTextureStageState(0, TextureStageState::MagFilter, TextureFilter::Point);
  device().SetTextureStageState(0, TextureStageState::MinFilter, TextureFilter::Point);
  Caps caps;
  ASSERT_EQ(device().GetDeviceCaps(caps), kOk);
  const bool mirrorOnce = (caps.textureAddressCaps & texture_address_caps::kMirrorOnce) != 0;
  // u runs -2..2 across the quad: pixel 4 is u -1.72, pixel 20 u -0.72, pixel 60 u 1.78; black is u < 0.5.
  const ScreenTexVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, -2, 0},
                                   {63.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 0},
                                   {-0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, -2, 1},
                                   {63.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, 2, 1}};
  struct Case {
    TextureAddress address;
    bool white[3];
  };
  const Case cases[] = {
      {TextureAddress::Wrap, {false, false, true}},
      {TextureAddress::Mirror, {false, true, false}},
      {TextureAddress::Clamp, {false, false, true}},
      // Once mirrored, then held at the edge; a device without it mirrors on.
      {TextureAddress::MirrorOnce, {mirrorOnce, true, mirrorOnce}},
  };
  const uint32_t columns[3] = {4, 20, 60};
  for (const Case& c : cases) {
    device().SetTextureStageState(0, TextureStageState::AddressU, c.address);
    device().SetVertexShader(kScreenTexFvf);
    ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenTexVertex)), kOk);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Red(Pixel(columns[i], 8)) == 255, c.white[i])
          << "address " << static_cast<int>(c.address) << " column " << columns[i];
  }
  device().SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlPipelineTest, LinesAndPointsLightOnlyTheirPixels) {
  device().SetRenderState(RenderState::ZEnable, false);
  const uint32_t red = Argb(255, 255, 0, 0);
  device().SetVertexShader(kScreenFvf);
  // A list of two separate horizontal lines: rows 10 and 30 from x 4 to 60.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  const ScreenVertex lines[4] = {{4, 10, 0.5f, 1, red}, {60, 10, 0.5f, 1, red}, {4, 30, 0.5f, 1, red},
                                 {60, 30, 0.5f, 1, red}};
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::LineList, 2, lines, sizeof(ScreenVertex)), kOk);
  EXPECT_EQ(Red(Pixel(32, 10)), 255);
  EXPECT_EQ(Red(Pixel(32, 30)), 255);
  EXPECT_EQ(Red(Pixel(32, 20)), 0);  // a list does not join its lines
  EXPECT_EQ(Red(Pixel(2, 10)), 0);
  // The same vertices as a strip also join the end of the first line to the start of the second.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::LineStrip, 3, lines, sizeof(ScreenVertex)), kOk);
  EXPECT_EQ(Red(Pixel(32, 10)), 255);
  EXPECT_EQ(Red(Pixel(32, 20)), 255);
  EXPECT_EQ(Red(Pixel(32, 30)), 255);
  // Points of one pixel.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  const ScreenVertex points[2] = {{12, 40, 0.5f, 1, red}, {50, 20, 0.5f, 1, red}};
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::PointList, 2, points, sizeof(ScreenVertex)), kOk);
  EXPECT_EQ(Red(Pixel(12, 40)), 255);
  EXPECT_EQ(Red(Pixel(50, 20)), 255);
  EXPECT_EQ(Red(Pixel(14, 40)), 0);
  // Scaled points grow with the viewport height over the square root of the scale polynomial: 64 / sqrt(256) = 4.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  device().SetRenderState(RenderState::PointSize, FloatBits(1.0f));
  device().SetRenderState(RenderState::PointSizeMax, FloatBits(64.0f));
  device().SetRenderState(RenderState::PointScaleEnable, true);
  device().SetRenderState(RenderState::PointScaleA, FloatBits(256.0f));
  device().SetRenderState(RenderState::PointScaleB, FloatBits(0.0f));
  device().SetRenderState(RenderState::PointScaleC, FloatBits(0.0f));
  const ColorVertex centre[1] = {{0, 0, 0.5f, red}};
  device().SetVertexShader(kColorFvf);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::PointList, 1, centre, sizeof(ColorVertex)), kOk);
  EXPECT_EQ(Red(Pixel(30, 30)), 255);
  EXPECT_EQ(Red(Pixel(33, 33)), 255);
  EXPECT_EQ(Red(Pixel(27, 32)), 0);
  EXPECT_EQ(Red(Pixel(36, 32)), 0);
}

TEST_F(GlPipelineTest, APointSpriteSpansItsWholeTextureTopLeftFirst) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kTexture);
  Texture* texture = MakeTexture2x2(Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255),
                                    Argb(255, 255, 255, 255));
  device().SetTexture(0, texture);
  device().SetRenderState(RenderState::PointSpriteEnable, true);
  device().SetRenderState(RenderState::PointSize, FloatBits(16.0f));
  device().SetRenderState(RenderState::PointSizeMax, FloatBits(64.0f));
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  const ScreenTexVertex point[1] = {{32, 32, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
  device().SetVertexShader(kScreenTexFvf);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::PointList, 1, point, sizeof(ScreenTexVertex)), kOk);
  EXPECT_COLOR_NEAR(Pixel(27, 27), Argb(255, 255, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(37, 27), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(27, 37), Argb(255, 0, 0, 255), 0);
  EXPECT_COLOR_NEAR(Pixel(37, 37), Argb(255, 255, 255, 255), 0);
  EXPECT_COLOR_NEAR(Pixel(20, 20), Argb(255, 0, 0, 0), 0) << "nothing outside the sprite";
  device().SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlPipelineTest, IndexedDrawsFromMemoryUseTheirIndicesAndRefuseOnesOutOfRange) {
  device().SetRenderState(RenderState::ZEnable, false);
  // Six vertices; the quad uses 2..5 only, so vertices 0 and 1 (a different colour) must not show.
  const uint32_t blue = Argb(255, 0, 0, 255), green = Argb(255, 0, 255, 0);
  const ScreenVertex vertices[6] = {{-0.5f, -0.5f, 0.5f, 1, blue},  {63.5f, 63.5f, 0.5f, 1, blue},
                                    {-0.5f, -0.5f, 0.5f, 1, green}, {31.5f, -0.5f, 0.5f, 1, green},
                                    {-0.5f, 31.5f, 0.5f, 1, green}, {31.5f, 31.5f, 0.5f, 1, green}};
  const uint16_t short_indices[6] = {2, 3, 4, 3, 5, 4};
  const uint32_t long_indices[6] = {2, 3, 4, 3, 5, 4};
  device().SetVertexShader(kScreenFvf);
  struct Case {
    const void* indices;
    Format format;
  };
  const Case cases[] = {{short_indices, Format::Index16}, {long_indices, Format::Index32}};
  for (const Case& c : cases) {
    device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
    ASSERT_EQ(device().DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 2, 4, 2, c.indices, c.format, vertices,
                                              sizeof(ScreenVertex)),
              kOk);
    EXPECT_COLOR_NEAR(Pixel(10, 10), green, 0);
    EXPECT_COLOR_NEAR(Pixel(50, 50), Argb(255, 0, 0, 0), 0);
  }
  // Refused: an index below the minimum or past the range, no indices, an index format that is none.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  const uint16_t below[3] = {1, 2, 3};
  const uint16_t past[3] = {2, 3, 6};
  EXPECT_EQ(device().DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 2, 4, 1, below, Format::Index16, vertices,
                                            sizeof(ScreenVertex)),
            kInvalidCall);
  EXPECT_EQ(device().DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 2, 4, 1, past, Format::Index16, vertices,
                                            sizeof(ScreenVertex)),
            kInvalidCall);
  EXPECT_EQ(device().DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 2, 4, 1, nullptr, Format::Index16, vertices,
                                            sizeof(ScreenVertex)),
            kInvalidCall);
  EXPECT_EQ(device().DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 2, 4, 1, short_indices, Format::A8R8G8B8,
                                            vertices, sizeof(ScreenVertex)),
            kInvalidCall);
  EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 0, 0, 0), 0);
}

TEST_F(GlPipelineTest, ExponentialFogThinsWithDensityPerVertexAndPerPixel) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetRenderState(RenderState::FogEnable, true);
  device().SetRenderState(RenderState::FogColor, Argb(0, 0, 0, 255));
  device().SetRenderState(RenderState::FogDensity, FloatBits(2.0f));
  const uint32_t color = Argb(255, 255, 0, 0);
  auto expected = [](double f) { return Argb(255, Byte(f), 0, Byte(1 - f)); };
  const double d = 0.4 * 2.0;  // camera depth times density
  struct Case {
    RenderState where;
    FogMode mode;
    double factor;
  };
  const Case cases[] = {
      {RenderState::FogVertexMode, FogMode::Exp, std::exp(-d)},
      {RenderState::FogVertexMode, FogMode::Exp2, std::exp(-d * d)},
      {RenderState::FogTableMode, FogMode::Exp, std::exp(-d)},
      {RenderState::FogTableMode, FogMode::Exp2, std::exp(-d * d)},
  };
  for (const Case& c : cases) {
    device().SetRenderState(RenderState::FogVertexMode, FogMode::None);
    device().SetRenderState(RenderState::FogTableMode, FogMode::None);
    device().SetRenderState(c.where, c.mode);
    EXPECT_COLOR_NEAR(DrawDepthQuad(0.4f, color), expected(c.factor))
        << "state " << static_cast<int>(c.where) << " mode " << static_cast<int>(c.mode);
  }
}

TEST_F(GlPipelineTest, ASpotLightLightsInsideItsConeOnly) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetRenderState(RenderState::Lighting, true);
  device().SetRenderState(RenderState::ColorVertex, false);
  Material material;
  material.diffuse = ColorValue{1, 1, 1, 1};
  material.ambient = ColorValue{0, 0, 0, 1};
  device().SetMaterial(material);
  Light light;
  light.type = LightType::Spot;
  light.diffuse = ColorValue{1, 0.5f, 0.25f, 1};
  light.position = {0, 0, -1};
  light.direction = {0, 0, 1};
  light.range = 100;
  light.attenuation0 = 1;
  light.theta = 0.4f;  // full light within 0.2 rad of the axis
  light.phi = 0.8f;    // none beyond 0.4 rad
  light.falloff = 1;
  ASSERT_EQ(device().SetLight(0, light), kOk);
  ASSERT_EQ(device().LightEnable(0, true), kOk);
  struct NormalVertex {
    float x, y, z, nx, ny, nz;
  };
  // A small quad on the axis (every corner within 0.1 rad) and one far to the side (beyond 0.9 rad).
  auto drawQuad = [&](float x0, float x1) {
    const NormalVertex quad[4] = {{x0, 0.05f, 0, 0, 0, -1}, {x1, 0.05f, 0, 0, 0, -1}, {x0, -0.05f, 0, 0, 0, -1},
                                  {x1, -0.05f, 0, 0, 0, -1}};
    device().SetVertexShader(fvf::kXyz | fvf::kNormal);
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(NormalVertex)), kOk);
  };
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  drawQuad(-0.05f, 0.05f);
  drawQuad(0.8f, 0.95f);
  // On the axis N·L is about 1 and the cone lets everything through.
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, 255, 128, 64), 4);
  EXPECT_COLOR_NEAR(Pixel(60, 32), Argb(255, 0, 0, 0), 0);
  // Between the inner and outer cone the light fades: a quad around 0.3 rad is lit, but less than the axis.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  const float x = std::tan(0.3f);
  drawQuad(x - 0.03f, x + 0.03f);
  const int faded = Red(Pixel(static_cast<uint32_t>(std::lround((x + 1) * 32)), 32));
  EXPECT_GT(faded, 10);
  EXPECT_LT(faded, 200);
}

TEST_F(GlPipelineTest, VertexBlendingMixesTheWorldMatricesByTheVertexWeights) {
  device().SetRenderState(RenderState::ZEnable, false);
  // One weight per vertex: weight w for World, 1 - w for World1, which moves the quad right by a whole target.
  struct BlendVertex {
    float x, y, z, weight;
    uint32_t color;
  };
  Matrix4 moved;
  for (int i = 0; i < 4; ++i) moved.m[i][i] = 1;
  moved.m[3][0] = 2;
  device().SetTransform(TransformState::World1, moved);
  device().SetRenderState(RenderState::VertexBlend, 1u);
  const uint32_t green = Argb(255, 0, 255, 0);
  auto draw = [&](float weight) {
    device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
    // The left half of the target at rest.
    const BlendVertex quad[4] = {{-1, 1, 0.5f, weight, green}, {0, 1, 0.5f, weight, green},
                                 {-1, -1, 0.5f, weight, green}, {0, -1, 0.5f, weight, green}};
    device().SetVertexShader(fvf::kXyzB1 | fvf::kDiffuse);
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(BlendVertex)), kOk);
  };
  draw(1.0f);  // all World: stays on the left
  EXPECT_EQ(Green(Pixel(16, 32)), 255);
  EXPECT_EQ(Green(Pixel(48, 32)), 0);
  draw(0.5f);  // halfway: shifted by half a target, now the right half
  EXPECT_EQ(Green(Pixel(16, 32)), 0);
  EXPECT_EQ(Green(Pixel(48, 32)), 255);
  // Blending off: the weight is ignored and World alone places the quad.
  device().SetRenderState(RenderState::VertexBlend, 0u);
  draw(0.5f);
  EXPECT_EQ(Green(Pixel(16, 32)), 255);
  EXPECT_EQ(Green(Pixel(48, 32)), 0);
}

TEST_F(GlPipelineTest, CubeTextureFacesShowAndALockAfterDrawingReadsBackAndChangesThem) {
  device().SetRenderState(RenderState::ZEnable, false);
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kTexture);
  CubeTexture* cube = nullptr;
  ASSERT_EQ(device().CreateCubeTexture(4, 1, 0, Format::A8R8G8B8, Pool::Managed, &cube), kOk);
  const uint32_t colours[6] = {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0),   Argb(255, 0, 0, 255),
                               Argb(255, 255, 255, 0), Argb(255, 0, 255, 255), Argb(255, 255, 0, 255)};
  auto fill = [&](CubeFace face, uint32_t colour) {
    LockedRect locked;
    ASSERT_EQ(cube->LockRect(face, 0, locked, nullptr, 0), kOk);
    for (uint32_t y = 0; y < 4; ++y)
      for (uint32_t x = 0; x < 4; ++x) std::memcpy(static_cast<uint8_t*>(locked.bits) + y * locked.pitch + x * 4, &colour, 4);
    cube->UnlockRect(face, 0);
  };
  for (uint32_t face = 0; face < 6; ++face) fill(static_cast<CubeFace>(face), colours[face]);
  device().SetTexture(0, cube);
  struct CubeVertex {
    float x, y, z, rhw;
    uint32_t color;
    float s, t, r;
  };
  auto draw = [&](float s, float t, float r) {
    const CubeVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, s, t, r},
                                {63.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, s, t, r},
                                {-0.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, s, t, r},
                                {63.5f, 63.5f, 0.5f, 1, 0xFFFFFFFF, s, t, r}};
    device().SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse | fvf::kTex1 | fvf::TexCoordSize3(0));
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(CubeVertex)), kOk);
    return Pixel(32, 32);
  };
  const float directions[6][3] = {{1, 0.1f, 0.1f}, {-1, 0.1f, 0.1f}, {0.1f, 1, 0.1f},
                                  {0.1f, -1, 0.1f}, {0.1f, 0.1f, 1}, {0.1f, 0.1f, -1}};
  for (uint32_t face = 0; face < 6; ++face)
    EXPECT_COLOR_NEAR(draw(directions[face][0], directions[face][1], directions[face][2]), colours[face], 0)
        << "face " << face;
  // After drawing, a lock reads the face back as it was, and the change shows in the next draw.
  LockedRect locked;
  ASSERT_EQ(cube->LockRect(CubeFace::NegativeY, 0, locked, nullptr, lock_flags::kReadOnly), kOk);
  uint32_t texel = 0;
  std::memcpy(&texel, locked.bits, 4);
  cube->UnlockRect(CubeFace::NegativeY, 0);
  EXPECT_EQ(texel, colours[3]);
  fill(CubeFace::NegativeY, Argb(255, 10, 20, 30));
  EXPECT_COLOR_NEAR(draw(0.1f, -1, 0.1f), Argb(255, 10, 20, 30), 0);
  EXPECT_COLOR_NEAR(draw(1, 0.1f, 0.1f), colours[0], 0);
  device().SetTexture(0, nullptr);
  cube->Release();
}

// XYZRHW | DIFFUSE | SPECULAR | TEX1
struct StageVertex {
  float x, y, z, rhw;
  uint32_t diffuse, specular;
  float u, v;
};

struct Rgb {
  double r, g, b;
};
Rgb Channels(uint32_t argb) { return {Red(argb) / 255.0, Green(argb) / 255.0, Blue(argb) / 255.0}; }
double AlphaOf(uint32_t argb) { return Alpha(argb) / 255.0; }
uint32_t Opaque(double r, double g, double b) { return Argb(255, Byte(r), Byte(g), Byte(b)); }

TEST_F(GlPipelineTest, TheBlendingAndThreeArgumentCombinersFollowTheirEquations) {
  device().SetRenderState(RenderState::ZEnable, false);
  const uint32_t texel = 0x80C86432, diffuse = 0xC080FF40, specular = 0xFF204080;
  Texture* texture = MakeSolidTexture(texel);
  device().SetTexture(0, texture);
  const Rgb t = Channels(texel), d = Channels(diffuse), s = Channels(specular);
  const double ta = AlphaOf(texel), da = AlphaOf(diffuse);
  auto each = [](const Rgb& a, const Rgb& b, const Rgb& c, double (*f)(double, double, double, double, double),
                 double x, double y) {
    return Opaque(f(a.r, b.r, c.r, x, y), f(a.g, b.g, c.g, x, y), f(a.b, b.b, c.b, x, y));
  };
  struct Case {
    TextureOp op;
    uint32_t expected;  // arguments: 1 texture, 2 diffuse, 0 specular
  };
  const Case cases[] = {
      {TextureOp::BlendDiffuseAlpha,
       each(t, d, s, [](double a1, double a2, double, double, double x) { return a1 * x + a2 * (1 - x); }, ta, da)},
      {TextureOp::BlendTextureAlpha,
       each(t, d, s, [](double a1, double a2, double, double x, double) { return a1 * x + a2 * (1 - x); }, ta, da)},
      {TextureOp::BlendTextureAlphaPm,
       each(t, d, s, [](double a1, double a2, double, double x, double) { return std::fmin(1.0, a1 + a2 * (1 - x)); },
            ta, da)},
      // At the first stage the current colour is the diffuse one.
      {TextureOp::BlendCurrentAlpha,
       each(t, d, s, [](double a1, double a2, double, double, double x) { return a1 * x + a2 * (1 - x); }, ta, da)},
      {TextureOp::ModulateColorAddAlpha,
       each(t, d, s, [](double a1, double a2, double, double x, double) { return std::fmin(1.0, a1 * a2 + x); }, ta,
            da)},
      {TextureOp::ModulateInvAlphaAddColor,
       each(t, d, s, [](double a1, double a2, double, double x, double) { return std::fmin(1.0, (1 - x) * a2 + a1); },
            ta, da)},
      {TextureOp::ModulateInvColorAddAlpha,
       each(t, d, s, [](double a1, double a2, double, double x, double) { return std::fmin(1.0, (1 - a1) * a2 + x); },
            ta, da)},
      {TextureOp::MultiplyAdd,
       each(t, d, s, [](double a1, double a2, double a0, double, double) { return std::fmin(1.0, a0 + a1 * a2); }, ta,
            da)},
      {TextureOp::Lerp,
       each(t, d, s, [](double a1, double a2, double a0, double, double) { return a1 * a0 + a2 * (1 - a0); }, ta, da)},
  };
  const StageVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, diffuse, specular, 0, 0},
                               {63.5f, -0.5f, 0.5f, 1, diffuse, specular, 1, 0},
                               {-0.5f, 63.5f, 0.5f, 1, diffuse, specular, 0, 1},
                               {63.5f, 63.5f, 0.5f, 1, diffuse, specular, 1, 1}};
  device().SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1);
  for (const Case& c : cases) {
    device().SetTextureStageState(0, TextureStageState::ColorOp, c.op);
    device().SetTextureStageState(0, TextureStageState::ColorArg0, texture_arg::kSpecular);
    device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kTexture);
    device().SetTextureStageState(0, TextureStageState::ColorArg2, texture_arg::kDiffuse);
    device().SetTextureStageState(0, TextureStageState::AlphaOp, TextureOp::SelectArg1);
    device().SetTextureStageState(0, TextureStageState::AlphaArg1, texture_arg::kTexture);
    ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(StageVertex)), kOk);
    EXPECT_COLOR_NEAR(Pixel(32, 32), c.expected, 2) << "op " << static_cast<int>(c.op);
  }

  // A stage may write to the temporary register instead of the current colour; a later stage reads it back.
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kTexture);
  device().SetTextureStageState(0, TextureStageState::ResultArg, texture_arg::kTemp);
  device().SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Subtract);
  device().SetTextureStageState(1, TextureStageState::ColorArg1, texture_arg::kCurrent);
  device().SetTextureStageState(1, TextureStageState::ColorArg2, texture_arg::kTemp);
  device().SetTextureStageState(1, TextureStageState::AlphaOp, TextureOp::SelectArg1);
  device().SetTextureStageState(1, TextureStageState::AlphaArg1, texture_arg::kCurrent);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(StageVertex)), kOk);
  // Current is still the diffuse colour: diffuse minus texture, clamped at zero.
  EXPECT_COLOR_NEAR(Pixel(32, 32), Opaque(std::fmax(0.0, d.r - t.r), std::fmax(0.0, d.g - t.g), std::fmax(0.0, d.b - t.b)),
                    2);
  device().SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlPipelineTest, ClearRectsClearOnlyTheirRectanglesWithinTheViewport) {
  device().Clear(clear_flags::kTarget, Argb(255, 0, 0, 255), 1.0f, 0);
  const Rect rects[3] = {{0, 0, 16, 16}, {40, 40, 100, 100}, {70, 70, 90, 90}};  // the last lies outside
  ASSERT_EQ(device().ClearRects(3, rects, clear_flags::kTarget, Argb(255, 255, 0, 0), 1.0f, 0), kOk);
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 255, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(63, 63), Argb(255, 255, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(20, 8), Argb(255, 0, 0, 255), 0);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, 0, 0, 255), 0);
  // No rectangles clears the whole viewport.
  ASSERT_EQ(device().ClearRects(0, nullptr, clear_flags::kTarget, Argb(255, 0, 255, 0), 1.0f, 0), kOk);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, 0, 255, 0), 0);
}

TEST_F(GlPipelineTest, AWindowedDeviceReportsTheDesktopModeAndRemembersTheCursor) {
  DisplayMode mode;
  ASSERT_EQ(device().GetDisplayMode(mode), kOk);
  // The desktop, not the 64x64 back buffer.
  EXPECT_EQ(mode.width, 1024u);
  EXPECT_EQ(mode.height, 768u);
  const bool first = device().ShowCursor(false);
  EXPECT_FALSE(device().ShowCursor(true));
  EXPECT_TRUE(device().ShowCursor(first));
}

TEST_F(GlPipelineTest, AResetWithoutASizeTakesTheWindowsAndTheDesktopFormat) {
  PresentParameters parameters;
  parameters.windowed = true;
  parameters.backBufferWidth = 0;
  parameters.backBufferHeight = 0;
  parameters.backBufferFormat = Format::Unknown;
  parameters.autoDepthStencilFormat = Format::D24S8;
  ASSERT_EQ(device().Reset(parameters), kOk);
  EXPECT_EQ(parameters.backBufferWidth, kSize) << "the caller learns the size it got";
  EXPECT_EQ(parameters.backBufferHeight, kSize);
  SurfaceDesc desc;
  device().GetBackBufferDesc(desc);
  EXPECT_EQ(desc.width, kSize);
  EXPECT_EQ(desc.height, kSize);
  EXPECT_NE(parameters.backBufferFormat, Format::Unknown);
  device().Clear(clear_flags::kTarget, Argb(255, 1, 2, 3), 1.0f, 0);
  EXPECT_COLOR_NEAR(Pixel(60, 60), Argb(255, 1, 2, 3), 0);
}

TEST_F(GlPipelineTest, ThirtyTwoBitIndexBuffersDrawAndSurfacesOfAnotherDeviceAreRefused) {
  device().SetRenderState(RenderState::ZEnable, false);
  VertexBuffer* vertices = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(4 * sizeof(ScreenVertex), usage::kWriteOnly, kScreenFvf, Pool::Managed,
                                        &vertices),
            kOk);
  const uint32_t yellow = Argb(255, 255, 255, 0);
  const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, yellow}, {15.5f, -0.5f, 0.5f, 1, yellow},
                                {-0.5f, 15.5f, 0.5f, 1, yellow}, {15.5f, 15.5f, 0.5f, 1, yellow}};
  uint8_t* data = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &data, 0), kOk);
  std::memcpy(data, quad, sizeof(quad));
  vertices->Unlock();
  IndexBuffer* indices = nullptr;
  ASSERT_EQ(device().CreateIndexBuffer(6 * 4, usage::kWriteOnly, Format::Index32, Pool::Managed, &indices), kOk);
  const uint32_t list[6] = {0, 1, 2, 1, 3, 2};
  ASSERT_EQ(indices->Lock(0, 0, &data, 0), kOk);
  std::memcpy(data, list, sizeof(list));
  indices->Unlock();
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  device().SetStreamSource(0, vertices, sizeof(ScreenVertex));
  device().SetIndices(indices, 0);
  device().SetVertexShader(kScreenFvf);
  ASSERT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), kOk);
  EXPECT_COLOR_NEAR(Pixel(8, 8), yellow, 0);
  EXPECT_COLOR_NEAR(Pixel(20, 20), Argb(255, 0, 0, 0), 0);
  device().SetStreamSource(0, nullptr, 0);
  device().SetIndices(nullptr, 0);
  indices->Release();
  vertices->Release();

  // A depth surface made by another device cannot be drawn with here.
  NullGraphicsSystem nullSystem;
  PresentParameters nullParameters;
  nullParameters.windowed = true;
  nullParameters.backBufferFormat = Format::X8R8G8B8;
  Device* other = nullptr;
  ASSERT_EQ(nullSystem.CreateDevice(0, DeviceType::Hal, 0, 0, nullParameters, &other), kOk);
  Surface* foreignDepth = nullptr;
  ASSERT_EQ(other->CreateDepthStencilSurface(16, 16, Format::D24S8, 0, &foreignDepth), kOk);
  Surface* back = nullptr;
  ASSERT_EQ(device().GetBackBuffer(0, &back), kOk);
  EXPECT_EQ(device().SetRenderTarget(back, foreignDepth), kInvalidCall);
  EXPECT_EQ(device().SetRenderTarget(foreignDepth, nullptr), kInvalidCall) << "a depth surface is no colour target";
  Surface* ownDepth = nullptr;
  ASSERT_EQ(device().CreateDepthStencilSurface(64, 64, Format::D24S8, 0, &ownDepth), kOk);
  EXPECT_EQ(device().SetRenderTarget(back, ownDepth), kOk);
  ownDepth->Release();
  back->Release();
  foreignDepth->Release();
  other->Release();
}

TEST_F(GlPipelineTest, ATextureTargetDrawnWithTheBackBuffersDepthTestsDepth) {
  Texture* target = nullptr;
  ASSERT_EQ(device().CreateTexture(32, 32, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, &target), kOk);
  Surface* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), kOk);
  Surface* back = nullptr;
  Surface* depth = nullptr;
  ASSERT_EQ(device().GetBackBuffer(0, &back), kOk);
  ASSERT_EQ(device().GetDepthStencilSurface(&depth), kOk);
  ASSERT_NE(depth, nullptr);
  ASSERT_EQ(device().SetRenderTarget(level, depth), kOk);
  device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0, 1.0f, 0);
  DrawScreenRect(0, 0, 16, 16, Argb(255, 255, 0, 0), 0.25f);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 0, 255, 0), 0.75f);  // behind the red square
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 255, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(24, 24), Argb(255, 0, 255, 0), 0);
  ASSERT_EQ(device().SetRenderTarget(back, depth), kOk);
  back->Release();
  depth->Release();
  level->Release();
  target->Release();
}

TEST_F(GlPipelineTest, PassTimingBooksSamplesPerPassAndTarget) {
  device().SetRenderState(RenderState::ZEnable, false);
  Texture* target = nullptr;
  ASSERT_EQ(device().CreateTexture(32, 32, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, &target), kOk);
  Surface* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), kOk);
  CubeTexture* cube = nullptr;
  ASSERT_EQ(device().CreateCubeTexture(16, 1, usage::kRenderTarget, Format::X8R8G8B8, Pool::Default, &cube), kOk);
  Surface* face = nullptr;
  ASSERT_EQ(cube->GetCubeMapSurface(CubeFace::PositiveZ, 0, &face), kOk);
  Surface* back = nullptr;
  ASSERT_EQ(device().GetBackBuffer(0, &back), kOk);

  // Marks before timing is on are not booked.
  device().MarkPass("ignored");
  gl().SetPassTiming(true);
  gl().SetPassTiming(true);  // already on: no new segment
  device().MarkPass("scene");
  DrawScreenRect(0, 0, 10, 10, Argb(255, 255, 0, 0));  // 100 samples into the back buffer
  ASSERT_EQ(device().SetRenderTarget(level, nullptr), kOk);
  DrawScreenRect(0, 0, 4, 4, Argb(255, 255, 0, 0));  // 16 into the texture
  ASSERT_EQ(device().SetRenderTarget(face, nullptr), kOk);
  DrawScreenRect(0, 0, 2, 3, Argb(255, 255, 0, 0));  // 6 into a cube face
  ASSERT_EQ(device().SetRenderTarget(back, nullptr), kOk);
  DrawScreenRect(0, 0, 5, 5, Argb(255, 255, 0, 0));  // 25 more into the back buffer, same pass
  device().MarkPass(nullptr);
  DrawScreenRect(0, 0, 1, 2, Argb(255, 255, 0, 0));  // 2 in an unnamed pass
  gl().SetPassTiming(false);
  DrawScreenRect(0, 0, 8, 8, Argb(255, 255, 0, 0));  // timing off: not booked

  const auto& times = gl().PassTimes();
  auto find = [&](const std::string& pass, const std::string& target) -> const GlDevice::PassTime* {
    for (const auto& time : times)
      if (time.pass == pass && time.target == target) return &time;
    return nullptr;
  };
  for (const auto& time : times) EXPECT_NE(time.pass, "ignored");
  const auto* sceneBack = find("scene", "back buffer 64x64");
  const auto* sceneTexture = find("scene", "texture 32x32");
  const auto* sceneCube = find("scene", "cube face 16x16");
  const auto* unnamed = find("", "back buffer 64x64");
  ASSERT_NE(sceneBack, nullptr);
  ASSERT_NE(sceneTexture, nullptr);
  ASSERT_NE(sceneCube, nullptr);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(sceneBack->samples, 125u);
  EXPECT_EQ(sceneBack->segments, 2u);
  EXPECT_EQ(sceneTexture->samples, 16u);
  EXPECT_EQ(sceneCube->samples, 6u);
  EXPECT_EQ(unnamed->samples, 2u);
  EXPECT_GE(sceneBack->requests, 2u);
  EXPECT_GE(sceneBack->seconds, 0.0);
  gl().ClearPassTimes();
  EXPECT_TRUE(gl().PassTimes().empty());

  back->Release();
  face->Release();
  cube->Release();
  level->Release();
  target->Release();
}

}  // namespace
}  // namespace platform::gfx::testing
