// Tests of the program key and the generated shader text: which state changes make a new program and which do
// not, and what the generated code holds for the set-ups that need it.
#include "platform/gfx/gl_program_key.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/gfx/null_graphics.h"

namespace platform::gfx {
namespace {

class ProgramKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PresentParameters p;
    p.backBufferFormat = Format::X8R8G8B8;
    ASSERT_EQ(system_.CreateDevice(0, DeviceType::Hal, 1, 0, p, &device_), kOk);
    device_->SetVertexShader(fvf::kXyz | fvf::kNormal | fvf::kTex1);
  }
  void TearDown() override { device_->Release(); }

  ProgramKey Key(StageTexture stage0 = StageTexture::Flat) {
    StageTexture kinds[kMaxTextureStages] = {stage0};
    return BuildProgramKey(static_cast<NullDevice*>(device_)->State(), kinds);
  }

  NullGraphicsSystem system_;
  Device* device_ = nullptr;
};

TEST_F(ProgramKeyTest, ValuesThatAreUniformsDoNotChangeTheKey) {
  const ProgramKey before = Key();
  Matrix4 m;
  m.m[0][0] = 3;
  device_->SetTransform(TransformState::World, m);
  device_->SetTransform(TransformState::View, m);
  device_->SetRenderState(RenderState::TextureFactor, 0x12345678u);
  device_->SetRenderState(RenderState::Ambient, 0x00FF00FFu);
  device_->SetRenderState(RenderState::FogColor, 0xFFu);
  device_->SetRenderState(RenderState::AlphaRef, 77);
  device_->SetRenderState(RenderState::ZFunc, CompareFunc::Greater);  // a GL state, not a program input
  device_->SetRenderState(RenderState::AlphaBlendEnable, true);
  Material material;
  material.power = 30;
  device_->SetMaterial(material);
  Viewport viewport{1, 2, 3, 4, 0, 1};
  device_->SetViewport(viewport);
  EXPECT_EQ(Key(), before);
  // Light values are uniforms; which lights are on and their types are not.
  Light light;
  light.diffuse = {1, 0, 0, 1};
  device_->SetLight(0, light);
  EXPECT_EQ(Key(), before);
  device_->LightEnable(0, true);
  const ProgramKey lit = Key();
  EXPECT_FALSE(lit == before);
  light.diffuse = {0, 1, 0, 1};
  device_->SetLight(0, light);
  EXPECT_EQ(Key(), lit);
  light.type = LightType::Point;
  light.range = 10;
  device_->SetLight(0, light);
  EXPECT_FALSE(Key() == lit);
}

TEST_F(ProgramKeyTest, ShaderInputsChangeTheKey) {
  const ProgramKey base = Key();
  auto changes = [&](auto&& change) {
    change();
    const bool changed = !(Key() == base);
    return changed;
  };
  EXPECT_TRUE(changes([&] { device_->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Add); }));
  device_->SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::Modulate);
  EXPECT_EQ(Key(), base);
  EXPECT_TRUE(changes([&] { device_->SetRenderState(RenderState::FogEnable, true); }));
  device_->SetRenderState(RenderState::FogEnable, false);
  device_->SetRenderState(RenderState::AlphaFunc, CompareFunc::Greater);
  EXPECT_TRUE(changes([&] { device_->SetRenderState(RenderState::AlphaTestEnable, true); }));
  device_->SetRenderState(RenderState::AlphaTestEnable, false);
  EXPECT_TRUE(changes([&] { device_->SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse); }));
  device_->SetVertexShader(fvf::kXyz | fvf::kNormal | fvf::kTex1);
  EXPECT_TRUE(changes([&] {
    device_->SetTextureStageState(0, TextureStageState::TexCoordIndex, texcoord_index::kCameraSpaceReflectionVector);
  }));
  device_->SetTextureStageState(0, TextureStageState::TexCoordIndex, 0);
  EXPECT_FALSE(Key(StageTexture::Cube) == base);
  EXPECT_EQ(Key(), base);
}

TEST_F(ProgramKeyTest, StagesAfterTheFirstDisabledOneAreNotInTheKey) {
  const ProgramKey base = Key();
  EXPECT_EQ(base.stageCount, 1);
  device_->SetTextureStageState(2, TextureStageState::ColorOp, TextureOp::Add);  // stage 1 is disabled
  EXPECT_EQ(Key(), base);
  device_->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Modulate);
  EXPECT_EQ(Key().stageCount, 3);
}

TEST_F(ProgramKeyTest, LightingIsOffForScreenSpaceVertices) {
  device_->LightEnable(0, true);
  device_->SetVertexShader(fvf::kXyzRhw | fvf::kDiffuse);
  const ProgramKey key = Key();
  EXPECT_EQ(key.pretransformed, 1);
  EXPECT_EQ(key.lighting, 0);
  EXPECT_EQ(key.lightTypes[0], 0);
}

TEST_F(ProgramKeyTest, SetUpsThatCannotChangeAPixelShareTheCheaperProgram) {
  // Each set-up draws exactly what its plainer twin draws, so both get the twin's program.
  const struct {
    const char* what;
    std::function<void(Device&)> setUp;
  } cases[] = {
      {"an alpha test that passes everything",
       [](Device& d) {
         d.SetRenderState(RenderState::AlphaTestEnable, true);
         d.SetRenderState(RenderState::AlphaFunc, CompareFunc::Always);
       }},
      {"specular added to unlit vertices that carry none",
       [](Device& d) {
         d.SetRenderState(RenderState::Lighting, false);
         d.SetRenderState(RenderState::SpecularEnable, true);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    device_->SetRenderState(RenderState::Lighting, false);
    device_->SetRenderState(RenderState::SpecularEnable, false);
    device_->SetRenderState(RenderState::AlphaTestEnable, false);
    const ProgramKey plain = Key();
    c.setUp(*device_);
    EXPECT_EQ(Key(), plain);
    const ProgramSource source = GenerateProgram(Key());
    EXPECT_EQ(source.fragment.find("discard"), std::string::npos);
    EXPECT_EQ(source.fragment.find("vSpecular"), std::string::npos);
  }
  // Vertices with their own specular colour still add it.
  device_->SetVertexShader(fvf::kXyz | fvf::kDiffuse | fvf::kSpecular);
  EXPECT_NE(GenerateProgram(Key()).fragment.find("color.rgb + specular.rgb"), std::string::npos);
}

TEST_F(ProgramKeyTest, GeneratedSourcesHoldTheSetUpTheyWereMadeFor) {
  device_->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::ModulateAlphaAddColor);
  device_->SetTextureStageState(1, TextureStageState::ColorArg2, texture_arg::kSpecular);
  device_->SetTextureStageState(1, TextureStageState::TexCoordIndex, texcoord_index::kCameraSpaceReflectionVector);
  device_->SetRenderState(RenderState::FogEnable, true);
  device_->SetRenderState(RenderState::FogTableMode, FogMode::Linear);
  device_->SetRenderState(RenderState::AlphaTestEnable, true);
  device_->SetRenderState(RenderState::AlphaFunc, CompareFunc::Greater);
  device_->SetRenderState(RenderState::ClipPlaneEnable, 0x5u);
  StageTexture kinds[kMaxTextureStages] = {StageTexture::Flat, StageTexture::Cube};
  const ProgramSource source = GenerateProgram(BuildProgramKey(static_cast<NullDevice*>(device_)->State(), kinds));
  EXPECT_NE(source.vertex.find("gl_ClipDistance[0]"), std::string::npos);
  EXPECT_NE(source.vertex.find("gl_ClipDistance[2]"), std::string::npos);
  EXPECT_EQ(source.vertex.find("gl_ClipDistance[1]"), std::string::npos);
  EXPECT_NE(source.vertex.find("2.0 * dot(e1, normal)"), std::string::npos);
  EXPECT_NE(source.fragment.find("samplerCube uSampler1"), std::string::npos);
  EXPECT_NE(source.fragment.find("a1 + a1.a * a2"), std::string::npos);
  EXPECT_NE(source.fragment.find("alphaByte > uAlphaRef"), std::string::npos);
  EXPECT_NE(source.fragment.find("uFogColor"), std::string::npos);
}

}  // namespace
}  // namespace platform::gfx
