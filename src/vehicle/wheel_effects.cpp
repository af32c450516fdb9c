// What one wheel gives back: impact sounds, controller jolts and skid-mark strips.
#include "vehicle/wheel_effects.h"

#include <algorithm>
#include <cmath>

#include "render/effects/skidmark_manager.h"

namespace vehicle {

const std::array<const char*, kWheelSoundCount> kWheelSoundFiles = {"softtire.wav", "tirehit.wav", "scrapecrash.wav"};

const std::array<int, kSurfaceCount> SkidMarkStyles = {1, 2, 1, 2, 1, 1, 1, 2, 2, 0, 1, 1, 0, 0};

int SkidMarkStyleOf(int surface) {
  if (surface < 0 || surface >= kSurfaceCount) surface = kSurfacePave;
  return SkidMarkStyles[surface];
}

platform::Vec3 SkidMarkPoint(const WheelContact& wheel) {
  platform::Vec3 point = wheel.position;
  if (wheel.mountX < 0) point -= wheel.right * (wheel.width * 0.5f);
  if (wheel.mountX > 0) point += wheel.right * (wheel.width * 0.5f);
  return point - wheel.up * wheel.radius;
}

WheelEffects::WheelEffects(app::SoundSampleSource& sounds) : sounds_(sounds) {}

WheelEffects::~WheelEffects() {
  for (auto& sample : samples) {
    if (sample != 0) app::ReleaseSoundSample(sounds_, sample);
    sample = 0;
  }
}

void WheelEffects::LoadSounds(const std::string& folder) {
  for (int i = 0; i < kWheelSoundCount; ++i) {
    if (samples[i] != 0) app::ReleaseSoundSample(sounds_, samples[i]);
    samples[i] = app::LoadSoundSample(sounds_, folder + kWheelSoundFiles[i], false);
  }
}

bool WheelEffects::PlaySound(int i) {
  if (i < 0 || i >= kWheelSoundCount) return false;
  auto& mixer = sounds_.SampleMixer();
  if (!audible || mixer.GetChannelsPlaying() > kBusyChannelCount) return false;
  if (timers[i] > 0) return false;
  float d = std::min(listenerDistance, 1000.0f);
  if (!(d > 0)) d = 0;
  const float ratio = d / 1000.0f;
  const float attenuation = std::max(1.1f * ratio * ratio * ratio * ratio - 0.1f, 0.0f);
  const int volume = std::min(static_cast<int>(std::floor((1.0f - attenuation) * 255.0f)), 255);
  if (volume <= 10) return false;
  timers[i] = kWheelSoundLockout;
  const int channel = mixer.PlaySound(platform::audio::kFreeChannel, samples[i]);
  if (channel == -1) return false;
  mixer.SetPriority(channel, kWheelSoundPriority);
  mixer.SetVolume(channel, volume);
  return true;
}

void WheelEffects::UpdateSoundTimers(float dt) {
  for (float& timer : timers) {
    if (timer > 0) timer -= dt;
  }
}

void WheelEffects::ForceFeedbackJolt(float magnitude) {
  if (forceFeedback == nullptr) return;
  if (!(magnitude > 0)) magnitude = 0;  // NaN and negative jolts are no jolt
  const int gain = static_cast<int>(std::floor(std::min(magnitude, static_cast<float>(kMaxForceGain))));
  forceFeedback->PlayEffect(kJoltEffect, 1);
  forceFeedback->SetEffectGain(kJoltEffect, gain);
}

void WheelEffects::CloseSegment() {
  if (skidSegment != nullptr) skidSegment->open = false;
  skidSegment = nullptr;
}

void WheelEffects::UpdateSkidmark(platform::gfx::Device* device, VehicleWorld* world, const WheelContact& wheel,
                                  float dt) {
  if (!wheel.skidding || !wheel.onGround || world == nullptr) {
    CloseSegment();
    return;
  }
  const platform::Vec3 point = SkidMarkPoint(wheel);
  const int style = SkidMarkStyleOf(wheel.surface);
  if (skidSegment == nullptr) {
    if (style != 0) skidSegment = world->AddSkidSegment(device, point, wheel.orientation, style, wheel.width);
    return;
  }
  skidSegment->Grow(device, point, wheel.orientation, dt);
  if (!skidSegment->open || skidSegment->style != style) {
    CloseSegment();
    if (style != 0) skidSegment = world->AddSkidSegment(device, point, wheel.orientation, style, wheel.width);
  }
}

}  // namespace vehicle
