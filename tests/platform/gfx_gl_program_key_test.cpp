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

TEST_F(ProgramKeyTest, StagesAfterTheFirstDisabledOneAreNotInTheKey) {
  const ProgramKey base = Key();
  EXPECT_EQ(base.stageCount, 1);
  device_->SetTextureStageState(2, TextureStageState::ColorOp, TextureOp::Add);  // stage 1 is disabled
  EXPECT_EQ(Key(), base);
  device_->SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::Modulate);
  EXPECT_EQ(Key().stageCount, 3);
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

}  // namespace
}  // namespace platform::gfx
