// What one wheel gives back besides grip: impact sounds on landing, a jolt on the player's controller, and the
// skid-mark strip it lays while it slides.
#pragma once

#include <array>
#include <string>

#include "app/sound_samples.h"
#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "vehicle/force_feedback_output.h"
#include "vehicle/vehicle_world.h"

namespace render {
class SkidmarkSegment;
}  // namespace render

namespace vehicle {

// Impact sounds: light landing, medium landing, heavy impact.
constexpr int kWheelSoundCount = 3;
extern const std::array<const char*, kWheelSoundCount> kWheelSoundFiles;
// The sound library is busy above this many playing channels; impacts then give way.
constexpr int kBusyChannelCount = 16;
constexpr float kWheelSoundLockout = 1.0f;
constexpr int kWheelSoundPriority = 30;
// The controller effect that jolts the wheel, and the largest gain.
constexpr int kJoltEffect = 4;
constexpr int kMaxForceGain = 10000;

// Skid-mark style by surface: 0 no mark, 1 tyre rubber, 2 a rut in loose ground.
extern const std::array<int, kSurfaceCount> SkidMarkStyles;
int SkidMarkStyleOf(int surface);

// The wheel as the skid-mark step sees it (world space).
struct WheelContact {
  bool skidding = false;
  bool onGround = false;
  int surface = kSurfacePave;
  platform::Vec3 position;
  platform::Vec3 right{1, 0, 0};
  platform::Vec3 up{0, 1, 0};
  float mountX = 0;  // the mount's side in car space: negative left, positive right
  float width = 0;
  float radius = 0;
  platform::Matrix4 orientation;
};

// Where a sliding tyre marks the ground: the outer edge of its contact patch.
platform::Vec3 SkidMarkPoint(const WheelContact& wheel);

class WheelEffects {
 public:
  explicit WheelEffects(app::SoundSampleSource& sounds);
  ~WheelEffects();
  WheelEffects(const WheelEffects&) = delete;
  WheelEffects& operator=(const WheelEffects&) = delete;

  void LoadSounds(const std::string& folder);
  // Plays impact sound i for a wheel heard from listenerDistance; only audible (player's) wheels play, none
  // while the mixer is busy or within the sound's lock-out. True when it started.
  bool PlaySound(int i);
  void UpdateSoundTimers(float dt);
  // Starts the jolt effect once at gain floor(min(m, 10000)); nothing without a controller.
  void ForceFeedbackJolt(float magnitude);
  // Opens (asking the world for a strip), grows or closes this wheel's skid-mark strip; the world may be null
  // (no marks).
  void UpdateSkidmark(platform::gfx::Device* device, VehicleWorld* world, const WheelContact& wheel, float dt);
  // Lets go of the strip without touching it (the manager was cleared).
  void ForgetSkidmark() { skidSegment = nullptr; }

  std::array<app::SoundSample, kWheelSoundCount> samples{};
  std::array<float, kWheelSoundCount> timers{};
  float listenerDistance = 0;
  bool audible = false;
  ForceFeedbackOutput* forceFeedback = nullptr;
  render::SkidmarkSegment* skidSegment = nullptr;

 private:
  void CloseSegment();
  app::SoundSampleSource& sounds_;
};

}  // namespace vehicle
