// A windowed 800x600 device on the null graphics system, for benchmarks that measure drawing work without a GPU.
#pragma once

#include "platform/gfx/null_graphics.h"

namespace bench {

struct NullDevice {
  NullDevice() {
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 800;
    parameters.backBufferHeight = 600;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.windowed = true;
    system.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, parameters, &device);
  }
  ~NullDevice() {
    if (device != nullptr) device->Release();
  }
  NullDevice(const NullDevice&) = delete;
  NullDevice& operator=(const NullDevice&) = delete;

  platform::gfx::NullGraphicsSystem system;
  platform::gfx::Device* device = nullptr;
};

}  // namespace bench
