// The engine's voice: four looping bands cross-faded and pitched by engine speed, an idle loop, and the player
// car's turbo whistle and nitrous sounds with their one-shot engage and disengage effects.
#pragma once

#include <array>
#include <string>

#include "app/sound_samples.h"

namespace vehicle {

// The engine values the mix reads each frame. The two events are cleared by the mix once it has heard them.
struct EngineSoundState {
  float engineRpm = 0;
  float minimumRpm = 1000;
  float redlineRpm = 6000;
  float targetRpm = 0;  // the speed the engine is heading for; above engineRpm means it is speeding up
  float throttle = 0;   // 0..1
  int gearIndex = 1;    // 0 reverse, 1 neutral, 2 first gear...
  float boost = 0;      // turbo boost 0..1
  bool nitrousActive = false;
  bool turboBoostEvent = false;
  bool nitrousEngageEvent = false;
};

// Sample slots, in load order.
enum EngineSoundSlot : int {
  kIgnitionSlot, kTurboSlot, kTurboEngageSlot, kTurboDisengageSlot, kNitroSlot, kNitroEngageSlot,
  kNitroDisengageSlot, kIdleSlot, kBandSlotA, kBandSlotB, kBandSlotC, kBandSlotD, kEngineSoundSlotCount
};
extern const std::array<const char*, kEngineSoundSlotCount> kEngineSoundFiles;

// Distances in inches: full volume close by, silent from here on.
constexpr float kSilentDistance = 1000.0f;
// Loops at or below this mixer volume are stopped and release their channel.
constexpr int kAudibleVolume = 10;
// Band levels rise this fast toward their targets and fall this fast when out of range (per second).
constexpr float kBandRiseRate = 10.0f;
constexpr float kBandFallRate = 8.0f;
// The turbo one-shots cannot play again within this many seconds.
constexpr float kTurboOneShotLockout = 1.0f;

// 1 − attenuation for a listener at distance d: 1.1·(d/1000)^4 − 0.1 clamped to [0, 1] is taken off.
float EngineDistanceFactor(float listenerDistance);

class EngineSoundMix {
 public:
  struct Slot {
    app::SoundSample sample = app::SoundSample{0};
    int channel = -1;
    float level = 0;
  };

  explicit EngineSoundMix(app::SoundSampleSource& sounds);
  // Stops every slot and gives every sample back.
  ~EngineSoundMix();
  EngineSoundMix(const EngineSoundMix&) = delete;
  EngineSoundMix& operator=(const EngineSoundMix&) = delete;

  // Loads the twelve files from the folder (ending in its separator); a file that fails leaves its slot empty.
  void LoadSounds(const std::string& folder);
  // One frame of the mix (dt in seconds, listener distance in inches).
  void UpdateSound(float dt, float listenerDistance, bool isPlayer, EngineSoundState& engine);
  // Stops every playing slot, one-shots included.
  void StopSounds();

  const Slot& GetSlot(int slot) const { return slots_[slot]; }
  // The pitch the bands were last given, in Hz.
  int LastFrequency() const { return lastFrequency_; }
  float turboEngageTimer = 0;
  float turboDisengageTimer = 0;

 private:
  // Plays or re-volumes a loop at the volume, or silences it (level 0, channel freed) at kAudibleVolume or below.
  void DriveLoop(Slot& slot, int volume, int frequency);
  void PlayOnce(int slot, int volume);

  app::SoundSampleSource& sounds_;
  std::array<Slot, kEngineSoundSlotCount> slots_{};
  int lastFrequency_ = 0;
};

}  // namespace vehicle
