// Shared fixture of the HUD tests: a null device, the sample fonts, sounds and HUD pictures, a resource manager
// with a mixer of its own, and a race definition of a chosen type.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../race_test_support.h"
#include "app/screen_flow.h"
#include "contentgen/hud_content.h"
#include "contentgen/images.h"
#include "contentgen/sounds.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/null_graphics.h"
#include "race/hud/race_hud.h"
#include "race/race_definition.h"
#include "render/resources/resource_manager.h"

namespace hud_test {

class HudFixture : public testing::Test {
 protected:
  void SetUp() override {
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 800;
    parameters.backBufferHeight = 600;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.windowed = true;
    platform::gfx::Device* created = nullptr;
    ASSERT_EQ(system_.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, parameters, &created), platform::kOk);
    device_ = static_cast<platform::gfx::NullDevice*>(created);
    folder_ = std::make_unique<race_test::ScratchFolder>("hud");
    ASSERT_TRUE(contentgen::WriteImageContent(folder_->Path()));
    ASSERT_TRUE(contentgen::WriteSoundAndForceContent(folder_->Path()));
    ASSERT_TRUE(contentgen::WriteHudContent(folder_->Path()));
    resources_ = std::make_unique<render::ResourceManager>(&settings_.settings, folder_->Path());
    resources_->SetMixer(&mixer_);
  }
  void TearDown() override {
    hud_.reset();
    resources_.reset();
    if (device_ != nullptr) device_->Release();
  }

  static race::RaceDefinition Definition(uint32_t type, int32_t laps = 3) {
    return race::RaceDefinition(0, "TEST", "TRACKS\\CITY\\", nullptr, 0, type, laps, 0, 3, false);
  }
  race::RaceHud& MakeHud(const race::RaceDefinition& definition) {
    hud_ = std::make_unique<race::RaceHud>(device_, resources_.get(), &settings_.settings, definition);
    return *hud_;
  }

  platform::gfx::NullGraphicsSystem system_;
  platform::gfx::NullDevice* device_ = nullptr;
  std::unique_ptr<race_test::ScratchFolder> folder_;
  race_test::SettingsHolder settings_;
  platform::audio::Mixer mixer_{22050, 8};
  std::unique_ptr<render::ResourceManager> resources_;
  std::unique_ptr<race::RaceHud> hud_;
};

}  // namespace hud_test
