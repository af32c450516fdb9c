// Tests of the machine tier, the detail presets and the validation against the device.
#include "app/machine_tier.h"

#include <gtest/gtest.h>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "app/text_file_reader.h"
#include "contentgen/default_config.h"
#include "device_facts_fixture.h"

namespace app {
namespace {

using S = SettingId;
using testing_support::CapableDeviceFacts;

TEST(MachineTier, RatingFromProcessorMemoryAndVideoMemory) {
  const struct {
    int mhz, memoryMB, videoMB;
    bool weakAdapter;
    int tier;
  } cases[] = {
      {-1, 256, 64, false, 3},  // an unknown clock counts as 1000 MHz
      {2000, 512, 128, false, 4}, {2000, 512, 128, true, 2}, {3000, 4096, 14, false, 0}, {3000, 4096, 16, false, 1},
      {3000, 100, 128, false, 0}, {550, 512, 128, false, 0}, {1300, 192, 40, false, 4},  {1299, 192, 40, false, 3},
      {850, 512, 128, true, 2},   {700, 512, 128, true, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RateMachineTier(c.mhz, c.memoryMB, c.videoMB, c.weakAdapter), c.tier)
        << c.mhz << " MHz " << c.memoryMB << " MB " << c.videoMB << " MB video " << c.weakAdapter;
  }
  HardwareInfo hardware(MachineFacts{2000, 512, 8});
  hardware.DetectFrom(CapableDeviceFacts("Intel(R) 82865G Graphics Controller", 128));
  EXPECT_EQ(Settings(hardware, "", "").RateMachine(), 2) << "the detected adapter counts";
}

class ValidationTest : public ::testing::Test {
 protected:
  ValidationTest() : hardware(testing_support::FastMachine()), settings(hardware, "", "") {
    hardware.DetectFrom(CapableDeviceFacts());
  }
  void Detect(const DeviceFacts& facts) { hardware.DetectFrom(facts); }
  HardwareInfo hardware;
  Settings settings;
};

TEST_F(ValidationTest, FirstRunAppliesTheMiddlePresetOnAFastMachine) {
  const std::string defaults = contentgen::DefaultConfigText();
  TextFileReader reader;
  reader.OpenText(defaults);
  // Loading the default file is what marks a first run; LoadConfig does it when config.dat is missing.
  Settings firstRun(hardware, testing::TempDir() + "/no_such_folder/", testing::TempDir() + "/no_such_folder/");
  firstRun.LoadConfig("no_such_config.dat");
  firstRun.ReadConfig(reader);
  ASSERT_TRUE(firstRun.IsAutoConfigurePending());
  ASSERT_EQ(firstRun.RateMachine(), 4);
  firstRun.Validate();
  EXPECT_FALSE(firstRun.IsAutoConfigurePending());
  EXPECT_EQ(firstRun.GetInt(S::RESOLUTION), 2);
  EXPECT_EQ(firstRun.GetInt(S::REARVIEW), 0);
  EXPECT_EQ(firstRun.GetInt(S::POINTLIGHTS), 0);

  // Later automatic configurations use the measured tier.
  firstRun.AutoConfigure();
  EXPECT_EQ(firstRun.GetInt(S::REARVIEW), 1);
  EXPECT_EQ(firstRun.GetInt(S::POINTLIGHTS), 1);
}

TEST_F(ValidationTest, WeakDeviceSwitchesEverythingItCannotDoOff) {
  DeviceFacts facts = CapableDeviceFacts();
  facts.caps.maxSimultaneousTextures = 1;
  facts.caps.maxTextureBlendStages = 1;
  facts.caps.textureOpCaps = platform::gfx::texture_op_caps::kModulate;
  facts.caps.textureCaps = 0;
  facts.caps.maxPointSize = 1.0f;
  facts.caps.alphaCmpCaps = 0;
  facts.caps.rasterCaps = 0;
  facts.caps.maxUserClipPlanes = 0;
  facts.autoDepthStencilFormat = platform::gfx::Format::D16;
  facts.caps.maxActiveLights = 2;
  Detect(facts);
  settings.SetInt(S::STENCILSHADOWS, 1);
  settings.Validate();
  for (S id : {S::SCENEREFLECTION, S::CUBEMAPPING, S::SPECULARMAPPING, S::REFLECTIONSPECULARMAPPING, S::NORMALMAPPING,
               S::STENCILSHADOWS, S::ALPHAFADE, S::ALPHAWRITE, S::FOGTABLE, S::POINTSPRITES, S::HEADLIGHTS,
               S::REFLECTIONDETAIL}) {
    EXPECT_EQ(settings.GetInt(id), 0) << static_cast<int>(id);
  }
  EXPECT_EQ(settings.GetInt(S::MAXLIGHTS), 2);
  EXPECT_EQ(settings.GetInt(S::FOGVERTEX), 1);  // nothing said against it
  EXPECT_EQ(settings.GetInt(S::REARVIEW), 1);   // render targets are still there

  // Validation never switches anything back on.
  Detect(CapableDeviceFacts());
  settings.Validate();
  EXPECT_EQ(settings.GetInt(S::STENCILSHADOWS), 0);
  EXPECT_EQ(settings.GetInt(S::NORMALMAPPING), 0);
}

}  // namespace
}  // namespace app
