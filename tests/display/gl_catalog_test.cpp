// The game's device catalog and hardware detection run on the OpenGL graphics system: what the adapter offers
// leads to a usable windowed device and to the capabilities the game's effects need.
#include "app/device_catalog.h"
#include "app/hardware_info.h"
#include "gl_fixture.h"

namespace platform::gfx::testing {
namespace {

TEST_F(GlDeviceTest, CatalogFindsAWindowedCombinationWithStencil) {
  // The framework's minimums: 320x240, 5 colour bits, no alpha, 16 depth bits, 4 stencil bits.
  app::DeviceCatalog catalog(system_.get(), 320, 240, 5, 0, 16, 4);
  ASSERT_EQ(catalog.Enumerate(), kOk);
  ASSERT_EQ(catalog.Adapters().size(), 1u);
  const app::AdapterEntry& adapter = catalog.Adapters()[0];
  EXPECT_FALSE(adapter.displayModes.empty());
  ASSERT_EQ(adapter.devices.size(), 1u);
  DisplayMode desktop;
  system_->GetAdapterDisplayMode(0, desktop);
  const app::FormatCombo* windowed = nullptr;
  for (const app::FormatCombo& combo : adapter.devices[0].formatCombos) {
    if (combo.windowed && combo.adapterFormat == desktop.format && combo.backBufferFormat == desktop.format) {
      windowed = &combo;
      break;
    }
  }
  ASSERT_NE(windowed, nullptr);
  ASSERT_FALSE(windowed->depthStencilFormats.empty());
  EXPECT_EQ(windowed->depthStencilFormats[0], Format::D24S8);
  ASSERT_FALSE(windowed->multiSampleTypes.empty());
  EXPECT_EQ(windowed->multiSampleTypes[0], 0u);
  ASSERT_FALSE(windowed->vertexProcessingTypes.empty());
  EXPECT_EQ(windowed->vertexProcessingTypes[0], app::VertexProcessingType::Hardware);
  EXPECT_FALSE(windowed->presentIntervals.empty());
}

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
