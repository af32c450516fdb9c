// A race list: every race of one kind of play (quick race, contest, demo, career, instant race), read from the
// "RACE" records of one file and picked by position or by car class.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "race/race_definition.h"

namespace app {
class DataFile;
class Settings;
}  // namespace app
namespace platform {
class Clock;
}  // namespace platform

namespace race {

class RaceList {
 public:
  // Reads the file at once (see Read). The name pool and the settings must outlive the list; the clock seeds the
  // start positions and defaults to the system clock.
  RaceList(app::Settings* settings, const std::vector<std::string>* aiNames, const std::string& fileName,
           const platform::Clock* clock = nullptr);
  RaceList(const RaceList&) = delete;
  RaceList& operator=(const RaceList&) = delete;

  // Replaces the list with the races of the file, relative to the game folder unless absolute. Reseeds the shared
  // random generator from the clock's milliseconds and draws one default start position per race (none when it
  // has no opponents). A missing file gives an empty list.
  void Read(const std::string& fileName);
  // The same from a parsed file.
  void ReadFrom(const app::DataFile& file);

  // Number of races whose class restriction equals classId.
  int CountByClass(uint32_t classId) const;
  // The n-th race (from 0, in file order) of that class, or null when there are not that many.
  RaceDefinition* NthByClass(uint32_t classId, int n) const;
  void Clear();

  int Count() const { return static_cast<int>(races.size()); }
  // The race at a position, or null outside the list.
  RaceDefinition* At(int position) const;

  app::Settings* settings = nullptr;
  const std::vector<std::string>* aiNames = nullptr;
  std::vector<std::unique_ptr<RaceDefinition>> races;

 private:
  const platform::Clock* clock_ = nullptr;
};

// Milliseconds of a clock, wrapping like a 32-bit tick count.
uint32_t MillisecondTicks(const platform::Clock& clock);

}  // namespace race
