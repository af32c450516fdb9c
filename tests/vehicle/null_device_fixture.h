// One null graphics device for the vehicle tests that make buffers and record draws.
#pragma once

#include <gtest/gtest.h>

#include "platform/gfx/null_graphics.h"

namespace vehicle::testing {

struct NullDeviceFixture {
  NullDeviceFixture() {
    platform::gfx::PresentParameters p;
    p.windowed = true;
    p.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    p.backBufferWidth = 640;
    p.backBufferHeight = 480;
    EXPECT_EQ(system.CreateDevice(0, platform::gfx::DeviceType::Hal, 1, 0, p, &device), platform::kOk);
  }
  ~NullDeviceFixture() {
    if (device != nullptr) device->Release();
  }
  NullDeviceFixture(const NullDeviceFixture&) = delete;
  NullDeviceFixture& operator=(const NullDeviceFixture&) = delete;
  platform::gfx::NullDevice& Null() { return *static_cast<platform::gfx::NullDevice*>(device); }

  platform::gfx::NullGraphicsSystem system;
  platform::gfx::Device* device = nullptr;
};

}  // namespace vehicle::testing
