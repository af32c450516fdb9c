// A car's tyre and crash sounds: the per-surface rolling, skid and hit samples from the shared car-sounds folder,
// the six crash samples, and the per-frame fade of the rolling and skid loops.
#pragma once

#include <array>
#include <string>

#include "app/sound_samples.h"
#include "vehicle/vehicle_world.h"

namespace vehicle {

// File names by surface id (empty: the surface has no such sound).
extern const std::array<const char*, kSurfaceCount> SurfaceSkidSounds;
extern const std::array<const char*, kSurfaceCount> SurfaceRollSounds;
extern const std::array<const char*, kSurfaceCount> SurfaceHitSounds;
// In the order of the crash kinds: crash, big crash, scrape crash, scrape, big glass, small glass.
constexpr int kCrashSoundCount = 6;
extern const std::array<const char*, kCrashSoundCount> CrashSoundNames;

// The stunt tracker's two sounds (a banked chain, a wiped one), named relative to the game folder.
constexpr char kStuntSoundFile[] = "SOUNDS/success.wav";
constexpr int kStuntSuccessSound = 0;
constexpr int kStuntWipeSound = 1;
// Crash sounds play with this channel priority.
constexpr int kCrashSoundPriority = 30;

// The tyre loops move toward their targets at this many volume steps per second (a full fade takes 0.51 s).
constexpr float kTyreFadeRate = 500.0f;

// The listener's share of attenuation for tyre sounds: (min(d, 1000) / 1000)^4 × k − c, within [0, 1].
float TyreAttenuation(float listenerDistance, float k, float c);

// What the tyre loops hear of the car this frame.
struct TyreSoundInputs {
  bool isPlayer = false;
  float speed = 0;             // length of the car's velocity, in/s
  float listenerDistance = 0;  // inches
  bool anySkidding = false;
  bool anyOnGround = false;
  std::array<uint8_t, kSurfaceCount> surfacesTouched{};
};

class VehicleSounds {
 public:
  explicit VehicleSounds(app::SoundSampleSource& sounds);
  // Stops the loops and gives every sample back.
  ~VehicleSounds();
  VehicleSounds(const VehicleSounds&) = delete;
  VehicleSounds& operator=(const VehicleSounds&) = delete;

  // Loads the three surface tables and the crash sounds from the folder (ending in its separator). Samples are
  // shared through the source, so a second car adds references, not copies.
  void LoadSounds(const std::string& folder);
  void UpdateSkidSounds(float dt, const TyreSoundInputs& car);
  // Also plays the surface's hit sample once when its rolling loop starts.
  void UpdateRollSounds(float dt, const TyreSoundInputs& car);
  // Stops every skid and rolling loop.
  void StopSounds();
  // Plays a crash kind once at a volume (0-255) with the crash priority; false when it has no sample or no
  // channel was free.
  bool PlayCrash(int kind, int volume);
  // The stunt sounds, each loaded on its own from kStuntSoundFile.
  void LoadStuntSounds();
  // Plays stunt sound i once at the default volume; false without a sample or a free channel.
  bool PlayStunt(int i);

  std::array<app::SoundSample, kSurfaceCount> skidSamples{};
  std::array<int, kSurfaceCount> skidChannels;
  std::array<float, kSurfaceCount> skidVolumes{};
  std::array<app::SoundSample, kSurfaceCount> rollSamples{};
  std::array<int, kSurfaceCount> rollChannels;
  std::array<float, kSurfaceCount> rollVolumes{};
  std::array<app::SoundSample, kSurfaceCount> hitSamples{};
  std::array<app::SoundSample, kCrashSoundCount> crashSamples{};
  std::array<app::SoundSample, 2> stuntSamples{};

 private:
  void ReleaseAll();
  // Fades a playing loop by the step and stops it at silence.
  void FadeOut(int& channel, float& volume, float step);

  app::SoundSampleSource& sounds_;
};

}  // namespace vehicle
