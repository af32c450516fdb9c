// Texture-stage combiners on the OpenGL device: the ops, chains and blend factors the game's set-ups use, compared
// with the combiner and blend equations on read-back pixels.
#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

// XYZRHW | DIFFUSE | SPECULAR | TEX1
struct StageVertex {
  float x, y, z, rhw;
  uint32_t diffuse, specular;
  float u, v;
};
constexpr uint32_t kStageFvf = fvf::kXyzRhw | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1;

// Colour channels as 0-1 values.
struct Rgba {
  double r, g, b, a;
};
Rgba Unpack(uint32_t argb) { return {Red(argb) / 255.0, Green(argb) / 255.0, Blue(argb) / 255.0, Alpha(argb) / 255.0}; }
double Clamp(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
uint32_t Pack(const Rgba& c) { return Argb(Byte(c.a), Byte(c.r), Byte(c.g), Byte(c.b)); }

class GlCombinerTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    device().SetRenderState(RenderState::Lighting, false);
    device().SetRenderState(RenderState::ZEnable, false);
    device().SetRenderState(RenderState::CullMode, CullMode::None);
  }

  // Draws a full-target quad with the given vertex colours and returns the colour of its middle pixel. The back
  // buffer has no alpha, so the alpha the stages produced is read by drawing it as colour: see ResultAlpha.
  uint32_t DrawQuad(uint32_t diffuse, uint32_t specular = 0) {
    const StageVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, diffuse, specular, 0, 0},
                                 {63.5f, -0.5f, 0.5f, 1, diffuse, specular, 1, 0},
                                 {-0.5f, 63.5f, 0.5f, 1, diffuse, specular, 0, 1},
                                 {63.5f, 63.5f, 0.5f, 1, diffuse, specular, 1, 1}};
    device().SetVertexShader(kStageFvf);
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(StageVertex)), kOk);
    return Pixel(32, 32);
  }

  // The alpha the stage chain produced: blended as ZERO/SRCALPHA over white, it becomes the colour.
  int ResultAlpha(uint32_t diffuse, uint32_t specular = 0) {
    device().Clear(clear_flags::kTarget, Argb(255, 255, 255, 255), 1.0f, 0);
    device().SetRenderState(RenderState::AlphaBlendEnable, true);
    device().SetRenderState(RenderState::SrcBlend, Blend::Zero);
    device().SetRenderState(RenderState::DestBlend, Blend::SrcAlpha);
    const int alpha = Red(DrawQuad(diffuse, specular));
    device().SetRenderState(RenderState::AlphaBlendEnable, false);
    return alpha;
  }

  void Stage(uint32_t stage, TextureOp colorOp, uint32_t arg1, uint32_t arg2, TextureOp alphaOp, uint32_t alphaArg1,
             uint32_t alphaArg2) {
    device().SetTextureStageState(stage, TextureStageState::ColorOp, colorOp);
    device().SetTextureStageState(stage, TextureStageState::ColorArg1, arg1);
    device().SetTextureStageState(stage, TextureStageState::ColorArg2, arg2);
    device().SetTextureStageState(stage, TextureStageState::AlphaOp, alphaOp);
    device().SetTextureStageState(stage, TextureStageState::AlphaArg1, alphaArg1);
    device().SetTextureStageState(stage, TextureStageState::AlphaArg2, alphaArg2);
    device().SetTextureStageState(stage, TextureStageState::TexCoordIndex, 0);
  }

  void BindSolid(uint32_t stage, uint32_t color) {
    Texture* texture = MakeSolidTexture(color);
    device().SetTexture(stage, texture);
    texture->Release();  // the device keeps its own reference
  }
};

constexpr uint32_t kTexel = 0x80C86432;    // a 128, r 200, g 100, b 50
constexpr uint32_t kDiffuse = 0xC080FF40;  // a 192, r 128, g 255, b 64

TEST_F(GlCombinerTest, SelectArgumentsPickOneSource) {
  BindSolid(0, kTexel);
  // Depth-only passes draw the diffuse colour alone.
  Stage(0, TextureOp::SelectArg1, texture_arg::kDiffuse, texture_arg::kTexture, TextureOp::SelectArg2,
        texture_arg::kDiffuse, texture_arg::kTexture);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), kDiffuse | 0xFF000000u);
  EXPECT_NEAR(ResultAlpha(kDiffuse), Alpha(kTexel), 1);
  device().SetRenderState(RenderState::TextureFactor, Argb(77, 10, 20, 30));
  Stage(0, TextureOp::SelectArg1, texture_arg::kTFactor, 0, TextureOp::SelectArg1, texture_arg::kTFactor, 0);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), Argb(255, 10, 20, 30));
  EXPECT_NEAR(ResultAlpha(kDiffuse), 77, 1);
}

TEST_F(GlCombinerTest, ArithmeticOpsFollowTheirEquations) {
  BindSolid(0, kTexel);
  const Rgba t = Unpack(kTexel), d = Unpack(kDiffuse);
  struct Case {
    TextureOp op;
    double (*f)(double, double);
  };
  const Case cases[] = {
      {TextureOp::Modulate, [](double a, double b) { return a * b; }},
      {TextureOp::Modulate2x, [](double a, double b) { return Clamp(a * b * 2); }},
      {TextureOp::Modulate4x, [](double a, double b) { return Clamp(a * b * 4); }},
      {TextureOp::Add, [](double a, double b) { return Clamp(a + b); }},
      {TextureOp::AddSigned, [](double a, double b) { return Clamp(a + b - 0.5); }},
      {TextureOp::AddSigned2x, [](double a, double b) { return Clamp((a + b - 0.5) * 2); }},
      {TextureOp::Subtract, [](double a, double b) { return Clamp(a - b); }},
      {TextureOp::AddSmooth, [](double a, double b) { return Clamp(a + b - a * b); }},
  };
  for (const Case& c : cases) {
    Stage(0, c.op, texture_arg::kTexture, texture_arg::kDiffuse, c.op, texture_arg::kTexture, texture_arg::kDiffuse);
    EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), Pack({c.f(t.r, d.r), c.f(t.g, d.g), c.f(t.b, d.b), 1}))
        << "op " << static_cast<int>(c.op);
    EXPECT_NEAR(ResultAlpha(kDiffuse), Byte(c.f(t.a, d.a)), 2) << "op " << static_cast<int>(c.op);
  }
}

TEST_F(GlCombinerTest, BlendFactorAlphaMixesByTheFactorsAlpha) {
  BindSolid(0, kTexel);
  const uint32_t factor = Argb(64, 0, 0, 255);
  device().SetRenderState(RenderState::TextureFactor, factor);
  const Rgba t = Unpack(kTexel), d = Unpack(kDiffuse), f = Unpack(factor);
  auto mix = [](const Rgba& a1, const Rgba& a2, double s) {
    return Rgba{a1.r * s + a2.r * (1 - s), a1.g * s + a2.g * (1 - s), a1.b * s + a2.b * (1 - s), 1};
  };
  Stage(0, TextureOp::BlendFactorAlpha, texture_arg::kTexture, texture_arg::kDiffuse, TextureOp::SelectArg1,
        texture_arg::kTexture, 0);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), Pack(mix(t, d, f.a)));
}

TEST_F(GlCombinerTest, DotProductWithTheTextureFactorLightsANormalMap) {
  // Normal map texel (0.5, 0.75, 1.0)-ish against a light direction in the factor; the result fills every channel.
  const uint32_t normal = Argb(255, 128, 192, 255);
  const uint32_t light = Argb(255, 200, 128, 230);
  BindSolid(0, normal);
  device().SetRenderState(RenderState::TextureFactor, light);
  Stage(0, TextureOp::DotProduct3, texture_arg::kTexture, texture_arg::kTFactor, TextureOp::SelectArg1,
        texture_arg::kTexture, 0);
  const Rgba n = Unpack(normal), l = Unpack(light);
  const double dot = Clamp(4 * ((n.r - 0.5) * (l.r - 0.5) + (n.g - 0.5) * (l.g - 0.5) + (n.b - 0.5) * (l.b - 0.5)));
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), Pack({dot, dot, dot, 1}));
  EXPECT_NEAR(ResultAlpha(kDiffuse), Byte(dot), 2);
  // Then modulated by the diffuse colour on the next stage.
  Stage(1, TextureOp::Modulate, texture_arg::kCurrent, texture_arg::kDiffuse, TextureOp::SelectArg1,
        texture_arg::kCurrent, 0);
  const Rgba d = Unpack(kDiffuse);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), Pack({dot * d.r, dot * d.g, dot * d.b, 1}));
}

TEST_F(GlCombinerTest, TheChainEndsAtTheFirstDisabledStage) {
  BindSolid(0, kTexel);
  device().SetRenderState(RenderState::TextureFactor, Argb(255, 1, 2, 3));
  Stage(0, TextureOp::Modulate, texture_arg::kTexture, texture_arg::kDiffuse, TextureOp::SelectArg1,
        texture_arg::kTexture, 0);
  Stage(1, TextureOp::Disable, 0, 0, TextureOp::Disable, 0, 0);
  Stage(2, TextureOp::SelectArg1, texture_arg::kTFactor, 0, TextureOp::SelectArg1, texture_arg::kTFactor, 0);
  const Rgba t = Unpack(kTexel), d = Unpack(kDiffuse);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), Pack({t.r * d.r, t.g * d.g, t.b * d.b, 1}));
  // With stage 0 disabled the diffuse colour comes through untouched.
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Disable);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), kDiffuse | 0xFF000000u);
}

TEST_F(GlCombinerTest, AStageWithoutItsTextureShowsTheVertexColour) {
  // The default stage 0 (MODULATE texture, current; SELECTARG1 texture) with nothing bound.
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse), kDiffuse | 0xFF000000u);
  EXPECT_NEAR(ResultAlpha(kDiffuse), Alpha(kDiffuse), 1);
}

TEST_F(GlCombinerTest, SpecularEnableAddsSpecularAfterTheStages) {
  BindSolid(0, kTexel);
  const uint32_t specular = Argb(0, 30, 60, 90);
  Stage(0, TextureOp::Modulate, texture_arg::kTexture, texture_arg::kDiffuse, TextureOp::SelectArg1,
        texture_arg::kTexture, 0);
  const Rgba t = Unpack(kTexel), d = Unpack(kDiffuse), s = Unpack(specular);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse, specular), Pack({t.r * d.r, t.g * d.g, t.b * d.b, 1}));
  device().SetRenderState(RenderState::SpecularEnable, true);
  EXPECT_COLOR_NEAR(DrawQuad(kDiffuse, specular),
                    Pack({Clamp(t.r * d.r + s.r), Clamp(t.g * d.g + s.g), Clamp(t.b * d.b + s.b), 1}));
}

// The blend factor of the classic equations for one channel: source s, destination d, source alpha sa; the
// destination alpha is 1 (the back buffer has none).
double Factor(Blend factor, double s, double d, double sa) {
  switch (factor) {
    case Blend::Zero: return 0;
    case Blend::One: return 1;
    case Blend::SrcColor: return s;
    case Blend::InvSrcColor: return 1 - s;
    case Blend::SrcAlpha: return sa;
    case Blend::InvSrcAlpha: return 1 - sa;
    case Blend::DestAlpha: return 1;
    case Blend::InvDestAlpha: return 0;
    case Blend::DestColor: return d;
    case Blend::InvDestColor: return 1 - d;
    case Blend::SrcAlphaSat: return std::min(sa, 1.0 - 1.0);
    default: return 0;
  }
}

TEST_F(GlCombinerTest, EveryBlendFactorPairFollowsTheBlendEquation) {
  const uint32_t destination = Argb(255, 40, 120, 200), source = Argb(160, 220, 90, 30);
  const Rgba s = Unpack(source), d = Unpack(destination);
  for (uint32_t src = 1; src <= 13; ++src) {
    for (uint32_t dst = 1; dst <= 13; ++dst) {
      Blend sourceFactor = static_cast<Blend>(src), destinationFactor = static_cast<Blend>(dst);
      // The two "both" factors set the destination factor too.
      if (sourceFactor == Blend::BothSrcAlpha) {
        sourceFactor = Blend::SrcAlpha;
        destinationFactor = Blend::InvSrcAlpha;
      } else if (sourceFactor == Blend::BothInvSrcAlpha) {
        sourceFactor = Blend::InvSrcAlpha;
        destinationFactor = Blend::SrcAlpha;
      }
      if (destinationFactor == Blend::BothSrcAlpha || destinationFactor == Blend::BothInvSrcAlpha ||
          destinationFactor == Blend::SrcAlphaSat)
        continue;  // not destination factors
      device().SetRenderState(RenderState::AlphaBlendEnable, false);
      DrawQuad(destination);
      device().SetRenderState(RenderState::AlphaBlendEnable, true);
      device().SetRenderState(RenderState::SrcBlend, src);
      device().SetRenderState(RenderState::DestBlend, dst);
      auto channel = [&](double sc, double dc) {
        return Clamp(sc * Factor(sourceFactor, sc, dc, s.a) + dc * Factor(destinationFactor, sc, dc, s.a));
      };
      EXPECT_COLOR_NEAR(DrawQuad(source), Pack({channel(s.r, d.r), channel(s.g, d.g), channel(s.b, d.b), 1}), 3)
          << "source " << src << " destination " << dst;
    }
  }
}

}  // namespace
}  // namespace platform::gfx::testing
