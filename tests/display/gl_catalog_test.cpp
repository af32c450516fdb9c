// The game's hardware detection runs on the OpenGL graphics system and finds the capabilities its effects need.
#include "app/hardware_info.h"
#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

TEST_F(GlDeviceTest, HardwareDetectionFindsTheEffectsTheDeviceDraws) {
  app::HardwareInfo info(app::MachineFacts{2000, 512, 8});
  PresentParameters parameters;
  parameters.autoDepthStencilFormat = Format::D24S8;
  parameters.backBufferFormat = Format::X8R8G8B8;
  info.Detect(device(), *system_, parameters);
  for (const auto capability :
       {app::CAP_RENDER_TARGET, app::CAP_STENCIL_SHADOWS, app::CAP_CUBE_MAP, app::CAP_PROJECTED_TEXTURE,
        app::CAP_MODULATE_ALPHA_ADD_COLOR, app::CAP_REFLECTION_SPECULAR, app::CAP_SPECULAR_STAGES,
        app::CAP_DOT_PRODUCT3, app::CAP_ADD_SMOOTH, app::CAP_TABLE_FOG, app::CAP_USER_CLIP,
        app::CAP_ALPHA_TEST_GREATER}) {
    EXPECT_TRUE(info.HasCapability(capability)) << capability;
  }
  EXPECT_EQ(info.GetCapability(app::VAL_MAX_LIGHTS), 8);
  EXPECT_EQ(info.GetCapability(app::VAL_MIP_FILTER), 2);
  EXPECT_EQ(info.GetCapability(app::VAL_CLAMP_ADDRESS), 4);
  EXPECT_EQ(info.GetCapability(app::VAL_TARGET_SIZE), 1024);
  // Enough texture memory not to count as the weakest machines.
  EXPECT_GE(info.GetVideoMemory(), 40);
}

}  // namespace
}  // namespace platform::gfx::testing
