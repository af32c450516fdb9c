// The record of a finished race that the results screen shows: drivers and times by position, the player's place.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace race {

struct RaceDefinition;

struct RaceResult {
  RaceResult(uint32_t place, int32_t stuntPoints, float raceTime, std::vector<std::string> names,
             std::vector<float> times, const RaceDefinition* definition)
      : names(std::move(names)), times(std::move(times)), place(place), stuntPoints(stuntPoints),
        raceTime(raceTime), definition(definition) {}

  std::vector<std::string> names;  // element i: driver of the car in position i + 1
  std::vector<float> times;        // one per racer, by position, seconds
  uint32_t place = 0;              // the player's place as the HUD shows it
  int32_t stuntPoints = 0;
  float raceTime = 0;              // seconds
  const RaceDefinition* definition = nullptr;  // not owned
};

}  // namespace race
