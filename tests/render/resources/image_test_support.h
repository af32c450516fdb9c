// Shared set-up of the image tests: a null graphics device and a scratch folder of pictures written by the
// content writers.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "contentgen/png_writer.h"
#include "platform/gfx/null_graphics.h"
#include "render/resources/resource_manager.h"

namespace render_test {

// A fresh scratch folder per test, below the build's game folder; its path ends with '/'.
inline std::string ScratchFolder() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder = std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" / "render" /
                                       (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string() + "/";
}

// A windowed null device of 640 × 480 in X8R8G8B8 with a D24S8 depth buffer.
class NullDeviceFixture : public testing::Test {
 protected:
  void SetUp() override {
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 640;
    parameters.backBufferHeight = 480;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.windowed = true;
    platform::gfx::Device* created = nullptr;
    ASSERT_EQ(system_.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, parameters, &created), platform::kOk);
    device_ = static_cast<platform::gfx::NullDevice*>(created);
    folder_ = ScratchFolder();
  }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
  }

  // A picture whose every texel is argb.
  static contentgen::PictureData Solid(uint32_t width, uint32_t height, uint32_t argb) {
    contentgen::PictureData picture(width, height);
    picture.Fill(argb);
    return picture;
  }
  std::string Write(const std::string& name, const contentgen::PictureData& picture, bool withAlpha = false) {
    EXPECT_TRUE(contentgen::WritePng(folder_ + name, picture, withAlpha));
    return folder_ + name;
  }

  platform::gfx::NullGraphicsSystem system_;
  platform::gfx::NullDevice* device_ = nullptr;
  std::string folder_;
};

// The null device with a resource manager of its own over the scratch folder, for images loaded through it.
class ManagedImageFixture : public NullDeviceFixture {
 protected:
  void SetUp() override {
    NullDeviceFixture::SetUp();
    manager_ = std::make_unique<render::ResourceManager>(nullptr, folder_);
  }
  void TearDown() override {
    manager_.reset();
    NullDeviceFixture::TearDown();
  }
  std::unique_ptr<render::ResourceManager> manager_;
};

// Texel (x, y) of one level of a texture as 0xAARRGGBB (32-bit formats) or the raw 16-bit word.
inline uint32_t ReadTexel(platform::gfx::Texture* texture, uint32_t level, uint32_t x, uint32_t y) {
  platform::gfx::SurfaceDesc desc;
  texture->GetLevelDesc(level, desc);
  platform::gfx::LockedRect locked;
  if (platform::Failed(texture->LockRect(level, locked, nullptr, platform::gfx::lock_flags::kReadOnly))) return 0xDEADBEEF;
  const uint8_t* row = static_cast<const uint8_t*>(locked.bits) + size_t(y) * locked.pitch;
  uint32_t value = 0;
  if (platform::gfx::BytesPerPixel(desc.format) == 4) {
    value = uint32_t{row[x * 4]} | uint32_t{row[x * 4 + 1]} << 8 | uint32_t{row[x * 4 + 2]} << 16 |
            uint32_t{row[x * 4 + 3]} << 24;
  } else {
    value = uint32_t{row[x * 2]} | uint32_t{row[x * 2 + 1]} << 8;
  }
  texture->UnlockRect(level);
  return value;
}

}  // namespace render_test
