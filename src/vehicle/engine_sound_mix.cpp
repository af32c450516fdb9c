// The engine's voice: band cross-fade, pitch from speed, gear and throttle, idle, turbo and nitrous sounds.
#include "vehicle/engine_sound_mix.h"

#include <algorithm>
#include <cmath>

namespace vehicle {

const std::array<const char*, kEngineSoundSlotCount> kEngineSoundFiles = {
    "ignition.wav", "turbo.wav", "turboengage.wav", "turbodisengage.wav", "nitro.wav", "nitroengage.wav",
    "nitrodisengage.wav", "idle.wav", "a.wav", "b.wav", "c.wav", "d.wav"};

namespace {

// Band centres on the 0..60 speed scale and the half width of their full-weight zone.
constexpr float kBandSpacing = 15.0f;
constexpr float kBandFullZone = 7.5f;
constexpr int kBandCount = 4;

// Moves value toward target by at most step, never passing it.
float Approach(float value, float target, float step) {
  if (value < target) return std::min(value + step, target);
  return std::max(value - step, target);
}

int ToVolume(float value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int>(std::clamp(value, 0.0f, 255.0f));
}

}  // namespace

float EngineDistanceFactor(float listenerDistance) {
  float d = std::min(listenerDistance, kSilentDistance);
  if (!(d > 0)) d = 0;  // negative or NaN distances are "right here"
  const float ratio = d / kSilentDistance;
  const float attenuation = std::clamp(1.1f * ratio * ratio * ratio * ratio - 0.1f, 0.0f, 1.0f);
  return 1.0f - attenuation;
}

EngineSoundMix::EngineSoundMix(app::SoundSampleSource& sounds) : sounds_(sounds) {}

EngineSoundMix::~EngineSoundMix() {
  StopSounds();
  for (Slot& slot : slots_) {
    if (slot.sample != 0) app::ReleaseSoundSample(sounds_, slot.sample);
    slot.sample = 0;
  }
}

void EngineSoundMix::LoadSounds(const std::string& folder) {
  for (int i = 0; i < kEngineSoundSlotCount; ++i) {
    if (slots_[i].sample != 0) app::ReleaseSoundSample(sounds_, slots_[i].sample);
    // The one-shots are loaded as one-shots; every other slot loops.
    const bool oneShot = i == kIgnitionSlot || i == kTurboEngageSlot || i == kTurboDisengageSlot ||
                         i == kNitroEngageSlot || i == kNitroDisengageSlot;
    slots_[i].sample = app::LoadSoundSample(sounds_, folder + kEngineSoundFiles[i], !oneShot);
  }
}

void EngineSoundMix::StopSounds() {
  auto& mixer = sounds_.SampleMixer();
  for (Slot& slot : slots_) {
    if (slot.sample != 0 && slot.channel != -1) {
      mixer.StopSound(slot.channel);
      slot.channel = -1;
    }
  }
}

void EngineSoundMix::DriveLoop(Slot& slot, int volume, int frequency) {
  auto& mixer = sounds_.SampleMixer();
  if (volume > kAudibleVolume) {
    if (slot.channel == -1) slot.channel = mixer.PlaySound(platform::audio::kFreeChannel, slot.sample);
    if (slot.channel != -1) {
      mixer.SetVolume(slot.channel, volume);
      if (frequency > 0) mixer.SetFrequency(slot.channel, frequency);
    }
    return;
  }
  slot.level = 0;
  if (slot.channel != -1) {
    mixer.StopSound(slot.channel);
    slot.channel = -1;
  }
}

void EngineSoundMix::PlayOnce(int index, int volume) {
  auto& mixer = sounds_.SampleMixer();
  Slot& slot = slots_[index];
  slot.channel = mixer.PlaySound(platform::audio::kFreeChannel, slot.sample);
  if (slot.channel != -1) mixer.SetVolume(slot.channel, volume);
}

void EngineSoundMix::UpdateSound(float dt, float listenerDistance, bool isPlayer, EngineSoundState& engine) {
  if (turboEngageTimer > 0) turboEngageTimer -= dt;
  if (turboDisengageTimer > 0) turboDisengageTimer -= dt;

  const float rpm = engine.targetRpm;
  const float f = EngineDistanceFactor(listenerDistance);

  const float span = engine.redlineRpm - engine.minimumRpm;
  float x = span > 0 ? (engine.engineRpm - engine.minimumRpm) / span * 6000.0f : 0.0f;
  x = std::isfinite(x) ? std::clamp(x, 0.0f, 6000.0f) : 0.0f;

  const float pitch = engine.throttle * 1000.0f * static_cast<float>(engine.gearIndex) + 7.0f * x + 22000.0f;
  const int frequency = std::isfinite(pitch) ? static_cast<int>(std::clamp(pitch, 1.0f, 1.0e6f)) : 22000;
  lastFrequency_ = frequency;

  const float v = x / 100.0f;
  float vol = engine.redlineRpm > 0 ? engine.engineRpm / engine.redlineRpm * 0.5f + 0.5f : 0.5f;
  if (engine.engineRpm > rpm) vol *= 0.8f;

  for (int band = 0; band < kBandCount; ++band) {
    Slot& slot = slots_[kBandSlotA + band];
    const float centre = kBandSpacing * static_cast<float>(band) + kBandFullZone;
    float e = std::fabs(v - centre);
    if (v > centre && band == kBandCount - 1) e = 0;
    if (v < centre && band == 0) e *= 0.5f;
    if (e < kBandSpacing) {
      float target = (kBandSpacing - std::max(e - kBandFullZone, 0.0f)) / kBandSpacing;
      target *= engine.throttle * 0.4f + 0.6f;
      slot.level = Approach(slot.level, target, kBandRiseRate * dt);
    } else {
      slot.level = std::max(slot.level - kBandFallRate * dt, 0.0f);
    }
    DriveLoop(slot, ToVolume(vol * f * slot.level * 255.0f), frequency);
  }

  Slot& idle = slots_[kIdleSlot];
  if (engine.engineRpm < engine.minimumRpm + 100.0f && engine.gearIndex <= 2) {
    idle.level = std::min(idle.level + kBandRiseRate * dt, 1.0f);
  } else {
    idle.level = std::max(idle.level - kBandFallRate * dt, 0.0f);
  }
  DriveLoop(idle, ToVolume(f * idle.level * 255.0f), 0);

  const int oneShotVolume = ToVolume(f * 255.0f);
  if (isPlayer) {
    Slot& turbo = slots_[kTurboSlot];
    turbo.level = engine.boost >= 0.5f ? engine.boost : 0.0f;
    const int volume = ToVolume(f * turbo.level * 255.0f);
    const bool wasPlaying = turbo.channel != -1;
    DriveLoop(turbo, volume, 0);
    if (volume > kAudibleVolume) {
      if (engine.turboBoostEvent && turboEngageTimer <= 0) {
        turboEngageTimer = kTurboOneShotLockout;
        PlayOnce(kTurboEngageSlot, oneShotVolume);
      }
    } else if (wasPlaying && turboDisengageTimer <= 0) {
      turboDisengageTimer = kTurboOneShotLockout;
      PlayOnce(kTurboDisengageSlot, oneShotVolume);
    }
  }
  engine.turboBoostEvent = false;

  if (isPlayer) {
    Slot& nitro = slots_[kNitroSlot];
    nitro.level = engine.nitrousActive ? 1.0f : 0.0f;
    const int volume = ToVolume(f * nitro.level * 255.0f);
    const bool wasPlaying = nitro.channel != -1;
    DriveLoop(nitro, volume, 0);
    if (volume > kAudibleVolume) {
      if (engine.nitrousEngageEvent) PlayOnce(kNitroEngageSlot, oneShotVolume);
    } else if (wasPlaying && !engine.nitrousActive) {
      PlayOnce(kNitroDisengageSlot, oneShotVolume);
    }
  }
  engine.nitrousEngageEvent = false;
}

}  // namespace vehicle
