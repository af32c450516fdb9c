// Movie playback into a texture through the platform movie decoder.
#include "render/resources/movie_texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/file_system.h"

namespace render {

uint32_t MovieFrameRate(uint32_t rate, uint32_t scale) {
  if (rate == 0 || scale == 0) return 0;
  return std::clamp(rate / scale, kMinMovieFrameRate, kMaxMovieFrameRate);
}

MovieTexture::MovieTexture(const std::string& name, platform::gfx::Device* device, bool looping)
    : fileName(name), loop(looping) {
  std::string error;
  if (decoder_.Open(platform::ResolveDataPath(fileName), error)) Open(device);
}

MovieTexture::~MovieTexture() {
  Close();
  if (texture != nullptr) texture->Release();
}

bool MovieTexture::Open(platform::gfx::Device* device) {
  opened = false;
  if (device == nullptr || !decoder_.IsOpen()) return false;
  frameCount = decoder_.FrameCount();
  const uint32_t rate = MovieFrameRate(decoder_.Rate(), decoder_.Scale());
  // A stream without frames or without a usable rate does not play.
  if (frameCount == 0 || rate == 0) return false;
  if (decoder_.Width() > 0xFFFF || decoder_.Height() > 0xFFFF) return false;
  frameRate = static_cast<uint16_t>(rate);
  frameDuration = 1.0f / static_cast<float>(frameRate);
  frameClock = frameDuration;
  frameWidth = static_cast<uint16_t>(decoder_.Width());
  frameHeight = static_cast<uint16_t>(decoder_.Height());
  rowBytes = 4u * frameWidth;
  outputBuffer_.assign(size_t{rowBytes} * frameHeight, 0);
  if (texture != nullptr) {
    texture->Release();
    texture = nullptr;
  }
  if (platform::Failed(device->CreateTexture(frameWidth, frameHeight, 1, 0, platform::gfx::Format::A8R8G8B8,
                                             platform::gfx::Pool::Managed, &texture))) {
    texture = nullptr;
    return false;
  }
  platform::gfx::SurfaceDesc desc;
  if (platform::Failed(texture->GetLevelDesc(0, desc)) ||
      (desc.format != platform::gfx::Format::A8R8G8B8 && desc.format != platform::gfx::Format::X8R8G8B8)) {
    return false;
  }
  opened = true;
  // The first frame goes in at once, so a movie too short to advance still shows a picture.
  DecodeFrame(0);
  CopyToTexture(texture);
  return true;
}

void MovieTexture::Advance(float dt) {
  if (!opened || !(dt >= 0.0f) || !std::isfinite(dt)) return;
  frameClock += dt;
  if (frameClock < frameDuration) return;
  // Whole frame durations passed, counted at once so a long pause costs no more than a short one.
  const double steps = std::floor(static_cast<double>(frameClock) / frameDuration);
  frameClock = static_cast<float>(frameClock - steps * frameDuration);
  if (frameClock < 0.0f) frameClock = 0.0f;
  const uint32_t shownBefore = currentFrame;
  // Frames 0 .. frameCount − 2 are shown; reaching frameCount − 1 is the end.
  const uint64_t lastShown = frameCount >= 2 ? frameCount - 2 : 0;
  if (loop) {
    const uint64_t cycle = lastShown + 1;
    currentFrame = static_cast<uint32_t>((currentFrame + static_cast<uint64_t>(std::fmod(steps, double(cycle)))) % cycle);
  } else {
    const double reached = currentFrame + steps;
    if (reached > double(lastShown)) {
      // At the end: stay on the last shown frame; decode it only if this call moved onto it.
      currentFrame = static_cast<uint32_t>(lastShown);
      if (currentFrame == shownBefore) return;
    } else {
      currentFrame = static_cast<uint32_t>(reached);
    }
  }
  DecodeFrame(currentFrame);
  CopyToTexture(texture);
}

void MovieTexture::DecodeFrame(uint32_t index) {
  if (index >= frameCount) return;
  std::lock_guard<std::mutex> guard(lock_);
  if (decoder_.DecodeFrame(index, outputBuffer_)) ++decodedFrames;
}

platform::HResult MovieTexture::CopyToTexture(platform::gfx::Texture* target) {
  if (target == nullptr) return platform::kFail;
  platform::gfx::LockedRect locked;
  const platform::HResult result = target->LockRect(0, locked, nullptr, 0);
  if (platform::Failed(result)) return result;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (outputBuffer_.size() >= size_t{rowBytes} * frameHeight) {
      for (uint32_t row = 0; row < frameHeight; ++row) {
        std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * locked.pitch, &outputBuffer_[size_t{row} * rowBytes],
                    rowBytes);
      }
    }
  }
  return target->UnlockRect(0);
}

void MovieTexture::Close() {
  std::lock_guard<std::mutex> guard(lock_);
  decoder_.Close();
  outputBuffer_.clear();
}

}  // namespace render
