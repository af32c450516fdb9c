// Sample race data over the sample cars (CARS/<NAME>/vehicle.dat) and the city circuit.
#include "contentgen/race_content.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "contentgen/data_file_writer.h"
#include "contentgen/vehicle_content.h"

namespace contentgen {
namespace {

// One race block. Values follow the order of the children the race lists read.
struct SampleRace {
  std::string name;
  std::string type;
  std::string mode;
  std::string carClass;
  int laps;
  int opponents;
  int entryFee;
  bool reverse;
  std::vector<int> rewards;  // by place from 1
  // Seconds to beat for 1st, 2nd and 3rd place in races against the clock (time trial and chicken).
  std::vector<int> targetTimes = {};
};

void WriteRace(DataFileWriter& writer, const SampleRace& race) {
  writer.BeginBlock("RACE");
  writer.Record("NAME", {race.name});
  writer.Record("PATH", {kCityTrackScene});
  if (race.reverse) writer.Record("REVERSE", {1});
  writer.Record("TYPE", {race.type});
  writer.Record("MODE", {race.mode});
  writer.Record("CLASS_RESTRICTION", {race.carClass});
  writer.Record("LAPS", {static_cast<double>(race.laps)});
  writer.Record("OPPONENTS", {static_cast<double>(race.opponents)});
  if (race.entryFee != 0) writer.Record("ENTRY_FEE", {static_cast<double>(race.entryFee)});
  for (size_t place = 0; place < race.rewards.size(); ++place) {
    writer.Record("REWARD", {static_cast<double>(place + 1), static_cast<double>(race.rewards[place])});
  }
  for (size_t place = 0; place < race.targetTimes.size(); ++place) {
    writer.Record("TARGET_TIME", {static_cast<double>(place + 1), static_cast<double>(race.targetTimes[place])});
  }
  writer.EndBlock("RACE");
}

std::string RaceListText(const std::string& comment, const std::vector<SampleRace>& races) {
  DataFileWriter writer;
  writer.Comment(comment);
  for (const SampleRace& race : races) WriteRace(writer, race);
  return writer.Text();
}

bool Write(const std::string& gameFolder, const char* file, const std::string& text) {
  return WriteTextFile(gameFolder + "/" + file, text);
}

}  // namespace

std::vector<ManifestCar> ManifestCars() {
  std::vector<ManifestCar> cars;
  for (const SampleCar& car : SampleCars()) {
    cars.push_back({"CARS\\" + car.name + "\\" + kCarDefinitionFile, car.displayName.empty() ? car.name : car.displayName,
                    car.carClass});
  }
  return cars;
}

std::string ManifestText() {
  DataFileWriter writer;
  writer.Comment("Content list: cars, race lists and the opponent names");
  for (const ManifestCar& car : ManifestCars()) writer.Record("VEHICLE", {car.definitionFile, car.name, car.carClass});
  writer.BlankLine();
  writer.Record("QUICKRACE", {"RACES\\quickrace.dat"});
  writer.Record("CONTEST", {"RACES\\contest.dat"});
  writer.Record("DEMO", {"RACES\\demo.dat"});
  writer.Record("CAREER", {"RACES\\career.dat"});
  writer.Record("INSTANTRACE", {"RACES\\instantrace.dat"});
  writer.Record("AINAMES", {kAiNamesFile});
  return writer.Text();
}

std::string AiNamesText() {
  DataFileWriter writer;
  writer.Comment("Names of computer-driven racers");
  for (const char* name : {"Marcel", "Josette", "Bruno", "Odile", "Rene", "Sylvie", "Gaston", "Lucie", "Fabien",
                           "Margaux", "Thierry", "Noemie"}) {
    writer.Record("NAME", {name});
  }
  return writer.Text();
}

std::string QuickRaceText() {
  return RaceListText("Practice venues", {
                                             {"City Circuit", "LAP", "QUICK", "MIXED", 3, 4, 0, false, {}},
                                             {"City Circuit Reversed", "LAP", "QUICK", "MIXED", 3, 4, 0, true, {}},
                                         });
}

std::string CareerText() {
  // Career tiers follow the class restriction: OPEN first, then C, B and A.
  return RaceListText("Career races, tier by tier",
                      {
                          {"Night Shift", "LAP", "CAREER", "OPEN", 2, 3, 0, false, {1500, 800, 400}},
                          {"Dock Dash", "KNOCKOUT", "CAREER", "OPEN", 4, 3, 250, true, {2000, 1000, 500}},
                          {"Market Sprint", "LAP", "CAREER", "C", 3, 4, 500, false, {3000, 1500, 750}},
                          {"Canal Clock", "TIMETRIAL", "CAREER", "C", 2, 0, 500, true, {3500}, {80, 95, 110}},
                          {"Boulevard Duel", "LAP", "CAREER", "B", 3, 5, 1000, false, {6000, 3000, 1500}},
                          {"Square Knockout", "KNOCKOUT", "CAREER", "B", 5, 4, 1500, true, {8000, 4000, 2000}},
                          {"Head On", "CHICKEN", "CAREER", "A", 1, 3, 2500, false, {12000, 6000}, {45, 55, 70}},
                          {"Grand Boucle", "LAP", "CAREER", "A", 5, 5, 5000, false, {25000, 12000, 6000}},
                      });
}

std::string ContestText() {
  DataFileWriter writer;
  writer.Comment("Contest races: timed, scores go to the leaderboard");
  for (int i = 0; i < 2; ++i) {
    writer.BeginBlock("RACE");
    writer.Record("NAME", {i == 0 ? "City Time Attack" : "Reverse Time Attack"});
    writer.Record("PATH", {kCityTrackScene});
    if (i == 1) writer.Record("REVERSE", {1});
    writer.Record("TYPE", {"TIMETRIAL"});
    writer.Record("MODE", {"CONTEST"});
    writer.Record("LAPS", {3});
    writer.Record("OPPONENTS", {0});
    for (int slot = 0; slot < 4; ++slot) writer.Record("TARGET_TIME", {static_cast<double>(slot), 90.0 + 15.0 * slot});
    writer.EndBlock("RACE");
  }
  return writer.Text();
}

std::string InstantRaceText() {
  return RaceListText("Instant races: a random one is started from the main menu",
                      {
                          {"City Rush", "LAP", "INSTANT", "MIXED", 2, 4, 0, false, {}},
                          {"City Rush Reversed", "LAP", "INSTANT", "MIXED", 2, 4, 0, true, {}},
                      });
}

std::string DemoText() {
  // A race with fixed cars for everyone: the attract loop shows it.
  DataFileWriter writer;
  writer.Comment("Demo race with a fixed field");
  writer.BeginBlock("RACE");
  writer.Record("NAME", {"Demo"});
  writer.Record("PATH", {kCityTrackScene});
  writer.Record("TYPE", {"LAP"});
  writer.Record("MODE", {"QUICK"});
  writer.Record("LAPS", {2});
  writer.Record("OPPONENTS", {3});
  writer.Record("PLAYER_START", {1});
  const std::vector<ManifestCar> cars = ManifestCars();
  if (!cars.empty()) {
    writer.Record("PLAYER", {cars[0].definitionFile});
    const char* opponents[] = {"Marcel", "Josette", "Bruno"};
    for (size_t i = 0; i < 3; ++i) {
      writer.Record("AI", {opponents[i], std::to_string(i + 2), cars[(i + 1) % cars.size()].definitionFile});
    }
  }
  writer.EndBlock("RACE");
  return writer.Text();
}

bool WriteRaceContent(const std::string& gameFolder) {
  return Write(gameFolder, kManifestFile, ManifestText()) && Write(gameFolder, kAiNamesFile, AiNamesText()) &&
         Write(gameFolder, kQuickRaceFile, QuickRaceText()) && Write(gameFolder, kCareerFile, CareerText()) &&
         Write(gameFolder, kContestFile, ContestText()) && Write(gameFolder, kInstantRaceFile, InstantRaceText()) &&
         Write(gameFolder, kDemoFile, DemoText());
}

ProfileFileWriter::ProfileFileWriter(int32_t money, uint32_t careerProgress, uint32_t vehicleCount) {
  Raw32(static_cast<uint32_t>(money));
  Raw32(careerProgress);
  Raw32(vehicleCount);
}

ProfileFileWriter& ProfileFileWriter::Vehicle(const std::string& name, bool owned,
                                              std::initializer_list<uint32_t> ownedIds,
                                              std::initializer_list<uint32_t> installedIds) {
  Raw32(static_cast<uint32_t>(name.size()));
  RawBytes(name);
  bytes_.push_back(owned ? 1 : 0);
  Raw32(static_cast<uint32_t>(ownedIds.size()));
  Raw32(static_cast<uint32_t>(installedIds.size()));
  for (uint32_t id : ownedIds) Raw32(id);
  for (uint32_t id : installedIds) Raw32(id);
  return *this;
}

ProfileFileWriter& ProfileFileWriter::Raw32(uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<unsigned char>(value >> (8 * i)));
  return *this;
}

ProfileFileWriter& ProfileFileWriter::RawBytes(const std::string& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

bool ProfileFileWriter::Save(const std::string& path) const {
  std::error_code error;
  const std::filesystem::path file(path);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
  if (!out) {
    std::fprintf(stderr, "contentgen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace contentgen
