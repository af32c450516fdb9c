// Wheel particles, exhaust flames and the controller's surface and engine rumble.
#include "vehicle/surface_effects.h"

#include <algorithm>
#include <cmath>

#include "platform/math/math.h"

namespace vehicle {

const std::array<SurfaceFeel, kSurfaceCount> SurfaceFeels = {{
    {0, 1, 11, 10, 0.25f},  // PAVE
    {2, 0, 11, 10, 0.25f},  // DIRT
    {2, 0, 11, 10, 0.25f},  // ROUGHPAVE
    {4, 0, 6, 10, 1.0f},    // GRASS
    {0, 1, 2, 10, 1.0f},    // WOOD
    {0, 1, 3, 10, 1.0f},    // COBBLE
    {2, 0, 11, 10, 0.25f},  // GRAVEL
    {2, 0, 7, 10, 1.0f},    // ROUGHDIRT
    {2, 0, 7, 10, 1.0f},    // ROCKY
    {0, 0, 6, 13, 1.0f},    // WATER
    {3, 0, 7, 10, 1.0f},    // SNOW
    {7, 7, 11, 10, 1.0f},   // ELECTRIC
    {0, 0, 13, 13, 0.0f},   // NODRIVE
    {0, 0, 13, 13, 0.0f},   // VEHICLE
}};

namespace {

int SurfaceIndex(int surface) { return surface < 0 || surface >= kSurfaceCount ? kSurfacePave : surface; }

// rand() % 1000 / 500 − 1: a value in [−1, 1).
float Spread(const std::function<int()>& random) {
  return static_cast<float>(random() % 1000) / 500.0f - 1.0f;
}

float Approach(float value, float target, float step) {
  if (value < target) return std::min(value + step, target);
  return std::max(value - step, target);
}

}  // namespace

void EmitWheelParticles(VehicleWorld& world, const std::vector<WheelDust>& wheels, bool nitrousActive,
                        const std::vector<platform::Vec3>& exhaustWork, const platform::Vec3& carVelocity,
                        const std::function<int()>& random) {
  for (const WheelDust& wheel : wheels) {
    if (!wheel.onGround || !(platform::Length(wheel.velocity) > kParticleSpeed)) continue;
    const SurfaceFeel& feel = SurfaceFeels[SurfaceIndex(wheel.surface)];
    const platform::Vec3 contact = wheel.position - wheel.up * wheel.radius;
    if (feel.rollParticle != 0) {
      const float u = Spread(random);
      const float v = Spread(random);
      world.SpawnParticles(feel.rollParticle, contact, {u, 0, v});
    }
    if (wheel.skidding && feel.skidParticle != 0) {
      const float u = Spread(random);
      const float v = Spread(random);
      world.SpawnParticles(feel.skidParticle, contact, {u, 0, v});
    }
  }
  if (!nitrousActive) return;
  for (const platform::Vec3& exhaust : exhaustWork) {
    const float u = Spread(random);
    const float v = Spread(random);
    world.SpawnParticles(kFlameParticle, exhaust, carVelocity * 0.9f + platform::Vec3{10 * u, 0, 10 * v});
  }
}

void SurfaceForceFeedback::Start() {
  if (output_ == nullptr) return;
  running = true;
  output_->StopAllEffects();
  effectPlaying.fill(false);
  effectGains.fill(0);
  output_->SetEffectGain(kEngineRumbleEffect, 10);
  output_->PlayEffect(kEngineRumbleEffect, 0);
  effectGains[kEngineRumbleEffect] = 10;
  effectPlaying[kEngineRumbleEffect] = true;
}

void SurfaceForceFeedback::Stop() {
  if (output_ == nullptr) return;
  roadEffectStates.fill(0);
  skidEffectStates.fill(0);
  effectGains.fill(0);
  effectPlaying.fill(false);
  running = false;
  if (output_->Ready()) output_->StopAllEffects();
}

void SurfaceForceFeedback::DriveEffects() {
  // Each effect follows the strongest road or skid state of the surfaces that use it (WATER's skid shares its
  // number with the car row's road effect); the car row never drives one.
  std::array<float, 16> strongest{};
  std::array<bool, 16> used{};
  auto gather = [&](int effect, float state) {
    if (effect < 0 || effect >= 16 || effect == kEngineRumbleEffect) return;
    used[effect] = true;
    strongest[effect] = std::max(strongest[effect], state);
  };
  for (int surface = 0; surface < kSurfaceVehicle; ++surface) {
    gather(SurfaceFeels[surface].roadEffect, roadEffectStates[surface]);
    gather(SurfaceFeels[surface].skidEffect, skidEffectStates[surface]);
  }
  for (int effect = 0; effect < 16; ++effect) {
    if (!used[effect]) continue;
    if (strongest[effect] > 0) {
      if (!effectPlaying[effect]) {
        output_->PlayEffect(effect, 0);
        effectPlaying[effect] = true;
      }
      effectGains[effect] = static_cast<int>(std::floor(std::min(strongest[effect], 1.0f) * 10000.0f));
      output_->SetEffectGain(effect, effectGains[effect]);
    } else if (effectPlaying[effect]) {
      output_->StopEffect(effect);
      effectPlaying[effect] = false;
      effectGains[effect] = 0;
    }
  }
}

namespace {

// Full strength at kEffectFullSpeedMph; nothing for a speed that is not a number.
float EffectStrength(float speedMph) {
  const float strength = speedMph / kEffectFullSpeedMph;
  return std::isfinite(strength) ? std::clamp(strength, 0.0f, 1.0f) : 0.0f;
}

}  // namespace

void SurfaceForceFeedback::UpdateSkidEffects(float dt, float speedMph,
                                             const std::array<uint8_t, kSurfaceCount>& surfacesTouched,
                                             bool anySkidding) {
  if (output_ == nullptr || !running) return;
  const float strength = EffectStrength(speedMph);
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    const float goal = strength * SurfaceFeels[surface].effectFactor;
    skidEffectStates[surface] = surfacesTouched[surface] != 0 && anySkidding
                                    ? Approach(skidEffectStates[surface], goal, kEffectRampRate * dt)
                                    : std::max(skidEffectStates[surface] - kEffectFadeRate * dt, 0.0f);
  }
}

void SurfaceForceFeedback::UpdateRoadEffects(float dt, float speedMph,
                                             const std::array<uint8_t, kSurfaceCount>& surfacesTouched,
                                             float engineRpm, float redlineRpm, bool nitrousActive) {
  if (output_ == nullptr || !running) return;
  const float strength = EffectStrength(speedMph);
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    const float goal = strength * SurfaceFeels[surface].effectFactor;
    roadEffectStates[surface] = surfacesTouched[surface] != 0
                                    ? Approach(roadEffectStates[surface], goal, kEffectRampRate * dt)
                                    : std::max(roadEffectStates[surface] - kEffectFadeRate * dt, 0.0f);
  }
  // Road and skid effects share effect numbers, so both sets of states are weighed together once both are new.
  DriveEffects();

  float rumble = redlineRpm > 0 ? engineRpm / redlineRpm : 0.0f;
  rumble = rumble * rumble * 0.6f + 0.4f;
  if (nitrousActive) rumble *= 2.0f;
  if (!std::isfinite(rumble)) rumble = 0.4f;
  effectGains[kEngineRumbleEffect] = std::min(static_cast<int>(std::floor(rumble * 10000.0f)), 10000);
  output_->SetEffectGain(kEngineRumbleEffect, effectGains[kEngineRumbleEffect]);
}

}  // namespace vehicle
