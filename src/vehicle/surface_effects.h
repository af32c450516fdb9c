// What the ground under a car throws back: dust, grass and sparks from the wheels, flames from the exhausts under
// nitrous, and the road and skid rumble of the player's force-feedback controller with the engine's rumble.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "platform/math/types.h"
#include "vehicle/force_feedback_output.h"
#include "vehicle/vehicle_world.h"

namespace vehicle {

// Per surface: the particle thrown by a rolling wheel, by a skidding wheel, the controller's road effect, its
// skid effect, and how strongly the surface is felt.
struct SurfaceFeel {
  int rollParticle;
  int skidParticle;
  int roadEffect;
  int skidEffect;
  float effectFactor;
};
extern const std::array<SurfaceFeel, kSurfaceCount> SurfaceFeels;

constexpr int kFlameParticle = 8;
constexpr int kEngineRumbleEffect = 12;
// Wheels slower than this (in/s) throw nothing.
constexpr float kParticleSpeed = 40.0f;
// Surface effects ramp in this fast and fade this fast (state units per second); full strength at 20 mph.
constexpr float kEffectRampRate = 500.0f;
constexpr float kEffectFadeRate = 5.0f;
constexpr float kEffectFullSpeedMph = 20.0f;

// One wheel as the particle step sees it (world space).
struct WheelDust {
  bool onGround = false;
  bool skidding = false;
  int surface = kSurfacePave;
  platform::Vec3 position;
  platform::Vec3 up{0, 1, 0};
  platform::Vec3 velocity;
  float radius = 0;
};

// Bursts from every grounded wheel faster than kParticleSpeed (its surface's rolling particle, and its skid
// particle while it slides), then flames at every exhaust while nitrous burns. random: the game's generator.
void EmitWheelParticles(VehicleWorld& world, const std::vector<WheelDust>& wheels, bool nitrousActive,
                        const std::vector<platform::Vec3>& exhaustWork, const platform::Vec3& carVelocity,
                        const std::function<int()>& random);

// The car's hold on the player's controller.
class SurfaceForceFeedback {
 public:
  // Nothing happens without an output.
  explicit SurfaceForceFeedback(ForceFeedbackOutput* output = nullptr) : output_(output) {}

  void SetOutput(ForceFeedbackOutput* output) { output_ = output; }
  ForceFeedbackOutput* Output() const { return output_; }

  // Stops everything and starts the engine rumble looping at a low gain.
  void Start();
  // Clears every state and stops every effect of a ready device.
  void Stop();
  // A frame's feel, skid effects first: each surface's skid state ramps toward its goal (min(speed / 20 mph, 1)
  // × the surface's factor) while a wheel on it slides, and fades otherwise.
  void UpdateSkidEffects(float dt, float speedMph, const std::array<uint8_t, kSurfaceCount>& surfacesTouched,
                         bool anySkidding);
  // Then the road effects: each surface's road state ramps toward its goal while a wheel stands on it; the
  // effects are started, re-gained or stopped from the strongest road or skid state of each, and the engine
  // rumble takes (rpm / redline)² × 0.6 + 0.4, doubled under nitrous.
  void UpdateRoadEffects(float dt, float speedMph, const std::array<uint8_t, kSurfaceCount>& surfacesTouched,
                         float engineRpm, float redlineRpm, bool nitrousActive);

  bool running = false;
  std::array<float, kSurfaceCount> roadEffectStates{};
  std::array<float, kSurfaceCount> skidEffectStates{};
  // Gain each effect number was last given (0 when stopped), by effect number.
  std::array<int, 16> effectGains{};
  std::array<bool, 16> effectPlaying{};

 private:
  void DriveEffects();

  ForceFeedbackOutput* output_;
};

}  // namespace vehicle
