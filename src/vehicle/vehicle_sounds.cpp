// A car's tyre and crash sounds: surface tables, loading from the shared folder, and the loops' fades.
#include "vehicle/vehicle_sounds.h"

#include <algorithm>
#include <cmath>

namespace vehicle {

const std::array<const char*, kSurfaceCount> SurfaceSkidSounds = {
    "skidpavement.wav", "skiddirt.wav", "skidgravel.wav", "skidgrass.wav", "skidpavement.wav",
    "skidpavement.wav", "skidgravel.wav", "skidgravel.wav", "skidgravel.wav", "skidwater.wav",
    "skidgravel.wav", "skidpavement.wav", "", ""};
const std::array<const char*, kSurfaceCount> SurfaceRollSounds = {
    "paved.wav", "dirt.wav", "gravel.wav", "grass.wav", "wood.wav", "wood.wav", "gravel.wav",
    "gravel.wav", "gravel.wav", "water.wav", "gravel.wav", "electric.wav", "", ""};
const std::array<const char*, kSurfaceCount> SurfaceHitSounds = {
    "", "", "", "", "", "", "", "", "", "", "", "hitelectric.wav", "", ""};
const std::array<const char*, kCrashSoundCount> CrashSoundNames = {
    "crash.wav", "bigcrash.wav", "scrapecrash.wav", "scrape.wav", "bigglass.wav", "smallglass.wav"};

namespace {

constexpr float kAudibleTyreVolume = 10.0f;

app::SoundSample LoadNamed(app::SoundSampleSource& sounds, const std::string& folder, const char* name, bool loop) {
  if (name[0] == '\0') return 0;
  return app::LoadSoundSample(sounds, folder + name, loop);
}

// The target loudness of a tyre loop: speed × scale × (1 − attenuation), within [0, 255]; an unusable speed
// is as loud as it gets.
float TyreTarget(float speed, float scale, float attenuation) {
  const float term = speed * scale;
  if (!std::isfinite(term)) return 255.0f;
  return std::clamp(term * (1.0f - attenuation), 0.0f, 255.0f);
}

float Approach(float value, float target, float step) {
  if (value < target) return std::min(value + step, target);
  return std::max(value - step, target);
}

}  // namespace

float TyreAttenuation(float listenerDistance, float k, float c) {
  float d = std::min(listenerDistance, 1000.0f);
  if (!(d > 0)) d = 0;
  const float ratio = d / 1000.0f;
  return std::clamp(ratio * ratio * ratio * ratio * k - c, 0.0f, 1.0f);
}

VehicleSounds::VehicleSounds(app::SoundSampleSource& sounds) : sounds_(sounds) {
  skidChannels.fill(-1);
  rollChannels.fill(-1);
}

VehicleSounds::~VehicleSounds() {
  StopSounds();
  ReleaseAll();
}

void VehicleSounds::ReleaseAll() {
  auto release = [this](app::SoundSample& sample) {
    if (sample != 0) app::ReleaseSoundSample(sounds_, sample);
    sample = 0;
  };
  for (auto& sample : skidSamples) release(sample);
  for (auto& sample : rollSamples) release(sample);
  for (auto& sample : hitSamples) release(sample);
  for (auto& sample : crashSamples) release(sample);
  for (auto& sample : stuntSamples) release(sample);
}

void VehicleSounds::LoadSounds(const std::string& folder) {
  StopSounds();
  ReleaseAll();
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    skidSamples[surface] = LoadNamed(sounds_, folder, SurfaceSkidSounds[surface], true);
    rollSamples[surface] = LoadNamed(sounds_, folder, SurfaceRollSounds[surface], true);
    hitSamples[surface] = LoadNamed(sounds_, folder, SurfaceHitSounds[surface], false);
  }
  for (int kind = 0; kind < kCrashSoundCount; ++kind) {
    crashSamples[kind] = LoadNamed(sounds_, folder, CrashSoundNames[kind], false);
  }
}

void VehicleSounds::FadeOut(int& channel, float& volume, float step) {
  if (channel == -1) return;
  auto& mixer = sounds_.SampleMixer();
  volume -= step;
  if (volume <= 0) {
    volume = 0;
    mixer.StopSound(channel);
    channel = -1;
    return;
  }
  mixer.SetVolume(channel, static_cast<int>(volume));
}

void VehicleSounds::UpdateSkidSounds(float dt, const TyreSoundInputs& car) {
  auto& mixer = sounds_.SampleMixer();
  const float target = TyreTarget(car.speed, 0.5f, TyreAttenuation(car.listenerDistance, 1.1f, 0.1f));
  const float step = kTyreFadeRate * dt;
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    if (skidSamples[surface] == 0) continue;
    int& channel = skidChannels[surface];
    float& volume = skidVolumes[surface];
    if (car.isPlayer && car.surfacesTouched[surface] != 0 && target >= kAudibleTyreVolume && car.anySkidding) {
      if (channel == -1) {
        channel = mixer.PlaySound(platform::audio::kFreeChannel, skidSamples[surface]);
        volume = 0;
      } else {
        volume = Approach(volume, target, step);
      }
      if (channel != -1) mixer.SetVolume(channel, static_cast<int>(volume));
    } else {
      FadeOut(channel, volume, step);
    }
  }
}

void VehicleSounds::UpdateRollSounds(float dt, const TyreSoundInputs& car) {
  auto& mixer = sounds_.SampleMixer();
  const float target = TyreTarget(car.speed, 1.0f, TyreAttenuation(car.listenerDistance, 1.25f, 0.25f));
  const float step = kTyreFadeRate * dt;
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    if (rollSamples[surface] == 0) continue;
    int& channel = rollChannels[surface];
    float& volume = rollVolumes[surface];
    if (car.isPlayer && car.surfacesTouched[surface] != 0 && car.anyOnGround && target >= kAudibleTyreVolume) {
      if (channel == -1) {
        channel = mixer.PlaySound(platform::audio::kFreeChannel, rollSamples[surface]);
        volume = 0;
        if (hitSamples[surface] != 0) {
          const int hit = mixer.PlaySound(platform::audio::kFreeChannel, hitSamples[surface]);
          if (hit != -1) mixer.SetVolume(hit, static_cast<int>(target));
        }
      } else {
        volume = Approach(volume, target, step);
      }
      if (channel != -1) mixer.SetVolume(channel, static_cast<int>(volume));
    } else {
      FadeOut(channel, volume, step);
    }
  }
}

void VehicleSounds::StopSounds() {
  auto& mixer = sounds_.SampleMixer();
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    if (skidChannels[surface] != -1) mixer.StopSound(skidChannels[surface]);
    if (rollChannels[surface] != -1) mixer.StopSound(rollChannels[surface]);
    skidChannels[surface] = -1;
    rollChannels[surface] = -1;
    skidVolumes[surface] = 0;
    rollVolumes[surface] = 0;
  }
}

bool VehicleSounds::PlayCrash(int kind, int volume) {
  if (kind < 0 || kind >= kCrashSoundCount || crashSamples[kind] == 0) return false;
  auto& mixer = sounds_.SampleMixer();
  const int channel = mixer.PlaySound(platform::audio::kFreeChannel, crashSamples[kind]);
  if (channel == -1) return false;
  mixer.SetPriority(channel, kCrashSoundPriority);
  mixer.SetVolume(channel, std::clamp(volume, 0, 255));
  return true;
}

void VehicleSounds::LoadStuntSounds() {
  for (auto& sample : stuntSamples) {
    if (sample != 0) app::ReleaseSoundSample(sounds_, sample);
    sample = app::LoadSoundSample(sounds_, kStuntSoundFile, false);
  }
}

bool VehicleSounds::PlayStunt(int i) {
  if (i < 0 || i >= static_cast<int>(stuntSamples.size()) || stuntSamples[i] == 0) return false;
  return sounds_.SampleMixer().PlaySound(platform::audio::kFreeChannel, stuntSamples[i]) != -1;
}

}  // namespace vehicle
