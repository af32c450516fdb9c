// Per-vertex lighting on the OpenGL device: point lights with range and attenuation, specular highlights, compared
// with the lighting equations. The race's sun and the cars' paint are pixel-tested in race_frame_test.cpp.
#include <cmath>

#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

// XYZ | NORMAL | DIFFUSE
struct NormalColorVertex {
  float x, y, z;
  float nx, ny, nz;
  uint32_t color;
};
constexpr uint32_t kNormalColorFvf = fvf::kXyz | fvf::kNormal | fvf::kDiffuse;

ColorValue Color(float r, float g, float b, float a = 1) { return ColorValue{r, g, b, a}; }

class GlLightingTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    device().SetRenderState(RenderState::ZEnable, false);
    device().SetRenderState(RenderState::CullMode, CullMode::None);
    device().SetRenderState(RenderState::Lighting, true);
    Material material;
    material.diffuse = Color(0.8f, 0.6f, 0.4f);
    material.ambient = Color(0.5f, 0.5f, 0.5f);
    material.specular = Color(0, 0, 0);
    material.emissive = Color(0, 0, 0);
    device().SetMaterial(material);
  }

  // A quad over the whole target at depth 0.5 facing the viewer (normal -z), every corner equally far from the
  // z axis so lights on that axis light all four alike; returns the middle pixel.
  uint32_t DrawFacingQuad(uint32_t color = 0xFFFFFFFF) {
    const NormalColorVertex quad[4] = {{-1, 1, 0.5f, 0, 0, -1, color},
                                       {1, 1, 0.5f, 0, 0, -1, color},
                                       {-1, -1, 0.5f, 0, 0, -1, color},
                                       {1, -1, 0.5f, 0, 0, -1, color}};
    device().SetVertexShader(kNormalColorFvf);
    EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(NormalColorVertex)), kOk);
    return Pixel(32, 32);
  }
};

TEST_F(GlLightingTest, PointLightAttenuatesWithDistanceAndStopsAtItsRange) {
  device().SetRenderState(RenderState::ColorVertex, false);
  Light light;
  light.type = LightType::Point;
  light.diffuse = Color(1, 1, 1);
  light.position = {0, 0, -2};
  light.range = 10;
  light.attenuation0 = 0.25f;
  light.attenuation1 = 0.5f;
  light.attenuation2 = 0.0f;
  ASSERT_EQ(device().SetLight(3, light), kOk);
  ASSERT_EQ(device().LightEnable(3, true), kOk);
  // Each corner is at (±1, ±1, 0.5): distance sqrt(1 + 1 + 2.5²), N·L = 2.5 / distance.
  const double distance = std::sqrt(2.0 + 6.25);
  const double scale = 1.0 / (0.25 + 0.5 * distance) * (2.5 / distance);
  EXPECT_COLOR_NEAR(DrawFacingQuad(), Argb(255, Byte(0.8 * scale), Byte(0.6 * scale), Byte(0.4 * scale)));
  light.range = static_cast<float>(distance - 0.01);
  device().SetLight(3, light);
  EXPECT_COLOR_NEAR(DrawFacingQuad(), Argb(255, 0, 0, 0));
  // The light's position is in world space: the view matrix moves it with the scene.
  light.range = 10;
  light.position = {0, 0, -3};
  device().SetLight(3, light);
  Matrix4 view;
  for (int i = 0; i < 4; ++i) view.m[i][i] = 1;
  view.m[3][2] = 1;  // moves the light from z -3 to -2 in camera space; the quad's world z becomes 1.5 - 1 = ...
  Matrix4 world;
  for (int i = 0; i < 4; ++i) world.m[i][i] = 1;
  world.m[3][2] = -1;  // ... 0.5 again in camera space
  device().SetTransform(TransformState::View, view);
  device().SetTransform(TransformState::World, world);
  EXPECT_COLOR_NEAR(DrawFacingQuad(), Argb(255, Byte(0.8 * scale), Byte(0.6 * scale), Byte(0.4 * scale)));
}

TEST_F(GlLightingTest, SpecularHighlightUsesTheHalfwayVectorAndPower) {
  device().SetRenderState(RenderState::ColorVertex, false);
  device().SetRenderState(RenderState::SpecularEnable, true);
  device().SetRenderState(RenderState::LocalViewer, false);
  Material material;
  device().GetMaterial(material);
  material.diffuse = Color(0, 0, 0);
  material.specular = Color(1, 0.5f, 0.25f);
  material.power = 4;
  device().SetMaterial(material);
  Light light;
  light.type = LightType::Directional;
  light.specular = Color(1, 1, 1);
  light.direction = {0, -0.6f, 0.8f};  // L = (0, 0.6, -0.8); viewer along -z
  device().SetLight(0, light);
  device().LightEnable(0, true);
  // H = normalize(L + (0, 0, -1)) = normalize(0, 0.6, -1.8); N·H = 1.8 / |H|.
  const double nDotH = 1.8 / std::sqrt(0.36 + 3.24);
  const double s = std::pow(nDotH, 4.0);
  EXPECT_COLOR_NEAR(DrawFacingQuad(), Argb(255, Byte(s), Byte(0.5 * s), Byte(0.25 * s)));
  // Without SPECULARENABLE the highlight is not added...
  device().SetRenderState(RenderState::SpecularEnable, false);
  EXPECT_COLOR_NEAR(DrawFacingQuad(), Argb(255, 0, 0, 0));
  // ... but a stage can still read it, as the reflection set-up does to weight it by the texture's alpha.
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::SelectArg1);
  device().SetTextureStageState(0, TextureStageState::ColorArg1, texture_arg::kSpecular);
  EXPECT_COLOR_NEAR(DrawFacingQuad(), Argb(255, Byte(s), Byte(0.5 * s), Byte(0.25 * s)));
}

}  // namespace
}  // namespace platform::gfx::testing
