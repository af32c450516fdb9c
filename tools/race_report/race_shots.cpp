// The race report's pictures: a window, its OpenGL device, the game's race frame and PNG files.
#include "race_report/race_shots.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "contentgen/png_writer.h"
#include "game/race_frame.h"
#include "platform/gfx/gl_device.h"
#include "race_report/race_report.h"

namespace race_report {

namespace gfx = platform::gfx;

bool ParseShotTimes(const std::string& text, std::vector<float>& times) {
  times.clear();
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) {
    char* end = nullptr;
    const double value = std::strtod(item.c_str(), &end);
    if (item.empty() || end == item.c_str() || *end != '\0' || !(value >= 0) || value > 3600) return false;
    times.push_back(static_cast<float>(value));
  }
  std::sort(times.begin(), times.end());
  return !times.empty();
}

ShotCamera::~ShotCamera() {
  if (device_ != nullptr) device_->Release();
  device_ = nullptr;
  graphics_.reset();
  if (windows_ != nullptr && window_ != 0) windows_->DestroyWindow(window_);
}

bool ShotCamera::Open(const app::Settings& settings, std::string& error) {
  windows_ = platform::CreateSdlWindowSystem();
  if (windows_ == nullptr) {
    error = "no display for the pictures";
    return false;
  }
  const auto width = static_cast<uint32_t>(std::max(settings.GetInt(app::SettingId::SCREENWIDTH), 1));
  const auto height = static_cast<uint32_t>(std::max(settings.GetInt(app::SettingId::SCREENHEIGHT), 1));
  platform::WindowSystem& desktop = *windows_;
  window_ = desktop.CreateWindow("Corsaire race report", platform::window_style::kWindowed, width, height,
                                 [&desktop](platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                            intptr_t lParam) { return desktop.DefWindowProc(window, message, wParam, lParam); });
  graphics_ = window_ != 0 ? gfx::CreateGlGraphicsSystem(desktop) : nullptr;
  if (graphics_ == nullptr) {
    error = "no window with OpenGL 3.3 for the pictures";
    return false;
  }
  gfx::PresentParameters parameters;
  parameters.windowed = true;
  parameters.backBufferWidth = width;
  parameters.backBufferHeight = height;
  parameters.backBufferFormat = gfx::Format::X8R8G8B8;
  parameters.enableAutoDepthStencil = true;
  parameters.autoDepthStencilFormat = gfx::Format::D24S8;
  parameters.deviceWindow = window_;
  if (graphics_->CreateDevice(0, gfx::DeviceType::Hal, window_, gfx::create_flags::kHardwareVertexProcessing,
                              parameters, &device_) != platform::kOk ||
      device_ == nullptr) {
    error = "the OpenGL device could not be made";
    return false;
  }
  return true;
}

bool ShotCamera::Shoot(game::HeadlessRace& race, const std::string& path) {
  if (device_ == nullptr || race.Session() == nullptr) return false;
  const auto start = std::chrono::steady_clock::now();
  game::DrawRaceFrame(*race.Session(), race.Settings(), device_);
  drawSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ++framesDrawn_;
  if (path.empty()) return true;
  gfx::SurfaceDesc desc;
  device_->GetBackBufferDesc(desc);
  const std::vector<uint32_t> pixels = static_cast<gfx::GlDevice*>(device_)->ReadPixels(0, 0, desc.width, desc.height);
  if (pixels.empty()) return false;
  contentgen::PictureData picture(desc.width, desc.height);
  for (uint32_t y = 0; y < desc.height; ++y)
    for (uint32_t x = 0; x < desc.width; ++x) picture.Set(x, y, pixels[static_cast<size_t>(y) * desc.width + x]);
  return contentgen::WritePng(path, picture, false);
}

bool ShotPlan::Next(float time, std::string& path) {
  path.clear();
  if (Done()) return false;
  // Frames end at whole multiples of the frame time; a small allowance keeps float sums from missing one.
  constexpr float kAllowance = 1e-4f;
  const float due = times_[next_];
  if (time + kAllowance < due - static_cast<float>(kShotWarmFrames) * kFrameTime) return false;
  if (time + kAllowance < due) return true;
  char name[48];
  std::snprintf(name, sizeof name, "shot_%07.2f.png", static_cast<double>(due));
  path = folder_ + (folder_.empty() || folder_.back() == '/' ? "" : "/") + name;
  // Times that fall within the same frame all take this picture's turn.
  while (!Done() && times_[next_] <= time + kAllowance) ++next_;
  return true;
}

}  // namespace race_report
