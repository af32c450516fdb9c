// Sample race data: the content list (manifest.dat) with the sample cars, the race lists of every kind of play,
// the opponent names, and a writer of player profile files for tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace contentgen {

// A car as the content list names it: the sample cars of the vehicle content, in their order.
struct ManifestCar {
  std::string definitionFile;  // relative to the game folder, as the content list writes it
  std::string name;            // the name players see and the VEHICLE setting holds
  std::string carClass;        // "OPEN", "C", "B", "A" or "MIXED"
};
std::vector<ManifestCar> ManifestCars();

constexpr const char* kManifestFile = "manifest.dat";
constexpr const char* kAiNamesFile = "ainames.dat";
constexpr const char* kQuickRaceFile = "RACES/quickrace.dat";
constexpr const char* kCareerFile = "RACES/career.dat";
constexpr const char* kContestFile = "RACES/contest.dat";
constexpr const char* kInstantRaceFile = "RACES/instantrace.dat";
constexpr const char* kDemoFile = "RACES/demo.dat";
// The circuits the sample races drive, as race lists name them; each collision file lies beside its scene.
constexpr const char* kCityTrackScene = "TRACKS\\CITY\\city.SCN";
constexpr const char* kDowntownTrackScene = "TRACKS\\DOWNTOWN\\downtown.SCN";
constexpr const char* kDocksTrackScene = "TRACKS\\DOCKS\\docks.SCN";
constexpr const char* kCanalTrackScene = "TRACKS\\CANAL\\canal.SCN";
constexpr const char* kSampleTrackScenes[] = {kCityTrackScene, kDowntownTrackScene, kDocksTrackScene,
                                              kCanalTrackScene};

std::string ManifestText();
std::string AiNamesText();
std::string QuickRaceText();
std::string CareerText();
std::string ContestText();
std::string InstantRaceText();
std::string DemoText();

// Writes manifest.dat, ainames.dat and the race lists below the game folder; false with a printed line on failure.
bool WriteRaceContent(const std::string& gameFolder);

// Builds a profile file byte by byte: money, career progress, then one entry per car. Raw lets tests write
// damaged files (wrong counts, cut names).
class ProfileFileWriter {
 public:
  ProfileFileWriter(int32_t money, uint32_t careerProgress, uint32_t vehicleCount);
  ProfileFileWriter& Vehicle(const std::string& name, bool owned, std::initializer_list<uint32_t> ownedIds,
                             std::initializer_list<uint32_t> installedIds);
  ProfileFileWriter& Raw32(uint32_t value);
  ProfileFileWriter& RawBytes(const std::string& bytes);
  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  // Writes the bytes to the path (folders created); false with a printed line on failure.
  bool Save(const std::string& path) const;

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace contentgen
