// The content database: every car the game can race with (definition file, name, class), the race lists of
// each kind of play and the pool of opponent names, read once from the content list (manifest.dat).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "race/race_list.h"

namespace app {
class DataFile;
class Settings;
}  // namespace app
namespace platform {
class Clock;
}  // namespace platform

namespace race {

class ContentDatabase {
 public:
  // Reads the content list at once. The settings must outlive the database; the clock seeds the race lists' start
  // positions (the system clock when null).
  ContentDatabase(app::Settings* settings, const std::string& fileName, const platform::Clock* clock = nullptr);
  ContentDatabase(const ContentDatabase&) = delete;
  ContentDatabase& operator=(const ContentDatabase&) = delete;

  // Reads the content list, relative to the game folder unless absolute. A file that cannot be read leaves the
  // database empty with every race list null.
  void Load(const std::string& fileName);
  // The same from a parsed content list. listFolder is the content list's folder, where the name list is found;
  // race lists are found in gameFolder. Both end with their separator.
  void LoadFrom(const app::DataFile& file, const std::string& listFolder, const std::string& gameFolder);

  // Index of the car with that name in any letter case (the first of equal names), or -1.
  int FindStringIndex(const std::string& name) const;
  // Definition file of the named car; an empty string for a name that is not listed.
  const std::string& FindVehicle(const std::string& name) const;
  // Number of cars of a class (index into CarClassNames).
  int CountById(uint32_t classId) const;
  // Definition file of the n-th car (from 0, in list order) of a class; empty when there are not that many.
  const std::string& ValueById(uint32_t classId, int n) const;
  // Makes the VEHICLE setting name a listed car: an unknown name becomes the first car's. With no car listed
  // the setting is left as it is.
  void ValidateVehicleSetting();

  int VehicleCount() const { return static_cast<int>(vehicleNames.size()); }

  app::Settings* settings = nullptr;
  // Declared before the lists, which point at it, so it outlives them.
  std::vector<std::string> aiNames;
  std::unique_ptr<RaceList> instantRaces;
  std::unique_ptr<RaceList> quickRaces;
  std::unique_ptr<RaceList> careerRaces;
  std::unique_ptr<RaceList> demoRaces;
  std::unique_ptr<RaceList> contestRaces;
  std::vector<std::string> vehiclePaths;
  std::vector<std::string> vehicleNames;
  std::vector<uint32_t> vehicleClasses;

 private:
  const platform::Clock* clock_ = nullptr;
};

}  // namespace race
