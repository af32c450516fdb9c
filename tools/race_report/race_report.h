// The race report: one race of a race list run headless for a number of simulated seconds with a computer
// driver in every car, and what it did (cars, HUD stunt lines, particles, sounds, force feedback, the result)
// gathered from the race's own state and the recording backends, as one JSON object.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/headless_race.h"
#include "race_report/racing_figures.h"
#include "render/effects/particle_system.h"

namespace race_report {

struct CarLine {
  std::string driver;
  bool player = false;
  int32_t laps = 0;
  int32_t place = 0;
  bool finished = false;
  int32_t dents = 0;        // body zones that took damage
  int32_t brokenParts = 0;  // zones whose parts show the damaged materials (crumpled panels, broken glass)
  int32_t stuntPoints = 0;
  float knockedOutAt = -1;  // simulated seconds when a knock-out took the car out of the race, -1 when never
  std::string vehicle;      // the car's name
  std::string carClass;     // OPEN, C, B or A
  CarFigures figures;       // spins, wrong-way time, respawns and where they happened, wall contacts, lap times
};

struct SoundLine {
  std::string name;  // relative to the game folder
  uint32_t count = 0;
  int minVolume = 0;
  int maxVolume = 0;
};

struct Report {
  std::string race;
  std::string type;
  int32_t laps = 0;  // as the race ran them (instant races choose their own)
  float seconds = 0;
  std::vector<CarLine> cars;
  std::vector<std::string> hudStuntLines;  // each award once, in the order it appeared, as last shown
  std::array<uint64_t, render::kParticleTypeCount> particles{};
  std::vector<SoundLine> sounds;
  uint32_t forceEffects = 0;  // effect starts on the controller
  uint32_t jolts = 0;         // starts of the jolt effect
  bool hasResult = false;
  uint32_t resultPlace = 0;
  int32_t prize = 0;
  float resultTime = 0;  // the race clock the result records
  float resultAt = 0;    // simulated seconds when the result was made
  bool knockedOut = false;  // the player's race ended short of the lap count
  uint32_t nonFinite = 0;  // car positions found not finite, counted per car and frame
};

// Watches a loaded headless race frame by frame and builds the report from what it saw.
class Recorder {
 public:
  explicit Recorder(game::HeadlessRace& race);
  // After every frame: new HUD stunt lines, sound channels, car states and positions.
  void Observe();
  Report Finish();

 private:
  struct SoundSeen {
    std::string name;
    uint32_t starts = 0;
    int minVolume = 0;
    int maxVolume = 0;
    bool heard = false;
  };
  std::string SampleName(platform::audio::SampleId sample) const;

  game::HeadlessRace& race_;
  std::vector<const vehicle::Vehicle*> cars_;  // the field at the start, knocked-out cars included
  std::unique_ptr<FigureKeeper> figures_;
  double lastTime_ = 0;
  std::vector<CarLine> carLines_;
  struct ShownStunt {
    std::string text;
    size_t logIndex;  // its line in stuntLog_
  };
  std::vector<ShownStunt> shownStunts_;
  std::vector<std::string> stuntLog_;
  std::map<platform::audio::SampleId, SoundSeen> sounds_;
  uint32_t nonFinite_ = 0;
  bool resultSeen_ = false;
  float resultAt_ = 0;
  bool knockedOut_ = false;
};

// The frame length of a report run (seconds): two sub-steps a frame, as at 60 frames a second.
constexpr float kFrameTime = 1.0f / 60.0f;

// Runs the loaded race for `seconds` of simulated time, frame by frame, calling afterFrame after each.
void Run(game::HeadlessRace& race, float seconds, const std::function<void()>& afterFrame);

std::string ToJson(const Report& report);

}  // namespace race_report
