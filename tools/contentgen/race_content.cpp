// Sample race data over the sample cars (CARS/<NAME>/vehicle.dat) and the sample circuits.
#include "contentgen/race_content.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "contentgen/data_file_writer.h"
#include "contentgen/plaza_track.h"
#include "contentgen/vehicle_content.h"

namespace contentgen {
namespace {

// A circuit and the seconds a good lap of it takes, from which timed races set their target times.
struct Circuit {
  const char* scene;
  float parLap;
};
constexpr Circuit kCity{kCityTrackScene, 26};
constexpr Circuit kDowntown{kDowntownTrackScene, 32};
constexpr Circuit kDocks{kDocksTrackScene, 34};
constexpr Circuit kCanal{kCanalTrackScene, 31};
constexpr Circuit kPlaza{kPlazaTrackScene, 28};

// One race block. Values follow the order of the children the race lists read.
struct SampleRace {
  std::string name;
  Circuit circuit;
  std::string type;
  std::string carClass;
  int laps;
  int opponents;
  int entryFee;
  bool reverse;
  std::vector<int> rewards;  // by place from 1
};

void WriteRace(DataFileWriter& writer, const SampleRace& race, const std::string& mode) {
  writer.BeginBlock("RACE");
  writer.Record("NAME", {race.name});
  writer.Record("PATH", {race.circuit.scene});
  if (race.reverse) writer.Record("REVERSE", {1});
  writer.Record("TYPE", {race.type});
  writer.Record("MODE", {mode});
  writer.Record("CLASS_RESTRICTION", {race.carClass});
  writer.Record("LAPS", {static_cast<double>(race.laps)});
  writer.Record("OPPONENTS", {static_cast<double>(race.opponents)});
  if (race.entryFee != 0) writer.Record("ENTRY_FEE", {static_cast<double>(race.entryFee)});
  for (size_t place = 0; place < race.rewards.size(); ++place) {
    writer.Record("REWARD", {static_cast<double>(place + 1), static_cast<double>(race.rewards[place])});
  }
  // Timed races place the player by the clock: first within a par run, third within half as long again.
  if (race.type == "TIMETRIAL" || race.type == "CHICKEN" || mode == "CONTEST") {
    const float par = race.circuit.parLap * static_cast<float>(race.laps);
    const float margins[] = {1.05f, 1.25f, 1.5f};
    for (int place = 1; place <= 3; ++place) {
      writer.Record("TARGET_TIME", {static_cast<double>(place), std::round(par * margins[place - 1]) + 3});
    }
  }
  writer.EndBlock("RACE");
}

std::string RaceListText(const std::string& comment, const std::string& mode, const std::vector<SampleRace>& races) {
  DataFileWriter writer;
  writer.Comment(comment);
  for (const SampleRace& race : races) WriteRace(writer, race, mode);
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
  return RaceListText("Practice venues: every circuit and every kind of race", "QUICK",
                      {
                          {"City Circuit", kCity, "LAP", "MIXED", 3, 4, 0, false, {}},
                          {"City Circuit Reversed", kCity, "LAP", "MIXED", 3, 4, 0, true, {}},
                          {"City Chicken", kCity, "CHICKEN", "MIXED", 2, 3, 0, false, {}},
                          {"Downtown Grid", kDowntown, "LAP", "MIXED", 3, 4, 0, false, {}},
                          {"Downtown Knockout", kDowntown, "KNOCKOUT", "MIXED", 4, 3, 0, true, {}},
                          {"Harbour Docks", kDocks, "LAP", "MIXED", 3, 4, 0, false, {}},
                          {"Docks Time Trial", kDocks, "TIMETRIAL", "MIXED", 2, 0, 0, false, {}},
                          {"Docks Chicken", kDocks, "CHICKEN", "MIXED", 2, 3, 0, true, {}},
                          {"Canal Route", kCanal, "LAP", "MIXED", 3, 4, 0, false, {}},
                          {"Canal Route Reversed", kCanal, "LAP", "MIXED", 3, 4, 0, true, {}},
                          {"Canal Time Trial", kCanal, "TIMETRIAL", "MIXED", 2, 0, 0, false, {}},
                      });
}

std::string CareerText() {
  // Career tiers follow the class restriction: OPEN first, then C, B and A. A win pays the first reward plus the
  // stunt cash: two or three early wins buy upgrades, the C tier and a B race buy the Coupe, the B and A tiers the
  // Roadster.
  return RaceListText("Career races, tier by tier", "CAREER",
                      {
                          {"Night Shift", kDowntown, "LAP", "OPEN", 2, 3, 0, false, {1500, 800, 400}},
                          {"Dock Dash", kDocks, "KNOCKOUT", "OPEN", 4, 3, 250, false, {2000, 1000, 500}},
                          {"Market Sprint", kCity, "LAP", "C", 3, 4, 500, false, {3000, 1500, 750}},
                          {"Canal Clock", kCanal, "TIMETRIAL", "C", 2, 0, 500, true, {3500, 1500, 700}},
                          {"Tram Line Chicken", kDowntown, "CHICKEN", "C", 2, 3, 600, false, {4000, 2000, 1000}},
                          {"Boulevard Duel", kDowntown, "LAP", "B", 3, 5, 1000, true, {6000, 3000, 1500}},
                          {"Quay Knockout", kDocks, "KNOCKOUT", "B", 5, 4, 1500, true, {8000, 4000, 2000}},
                          {"Lock Keeper", kCanal, "TIMETRIAL", "B", 3, 0, 1200, false, {7000, 3500, 1800}},
                          {"Head On", kDocks, "CHICKEN", "A", 2, 3, 2500, false, {12000, 6000, 3000}},
                          {"Canal Grand Prix", kCanal, "LAP", "A", 5, 5, 5000, false, {25000, 12000, 6000}},
                          {"Midnight Knockout", kCity, "KNOCKOUT", "A", 5, 4, 4000, true, {20000, 10000, 5000}},
                      });
}

std::string ContestText() {
  return RaceListText("Contest races: timed, scores go to the leaderboard", "CONTEST",
                      {
                          {"City Time Attack", kCity, "TIMETRIAL", "MIXED", 3, 0, 0, false, {}},
                          {"Reverse Time Attack", kCity, "TIMETRIAL", "MIXED", 3, 0, 0, true, {}},
                          {"Downtown Sprint", kDowntown, "LAP", "MIXED", 3, 4, 0, false, {}},
                          {"Harbour Knockout", kDocks, "KNOCKOUT", "MIXED", 4, 3, 0, false, {}},
                          {"Canal Chicken", kCanal, "CHICKEN", "MIXED", 2, 3, 0, false, {}},
                          {"Docks Time Attack", kDocks, "TIMETRIAL", "MIXED", 2, 0, 0, true, {}},
                      });
}

std::string InstantRaceText() {
  return RaceListText("Instant races: a random one is started from the main menu", "INSTANT",
                      {
                          {"City Rush", kCity, "LAP", "MIXED", 2, 4, 0, false, {}},
                          {"City Rush Reversed", kCity, "LAP", "MIXED", 2, 4, 0, true, {}},
                          {"Downtown Rush", kDowntown, "LAP", "MIXED", 2, 4, 0, false, {}},
                          {"Downtown Chicken", kDowntown, "CHICKEN", "MIXED", 2, 3, 0, true, {}},
                          {"Docks Knockout", kDocks, "KNOCKOUT", "MIXED", 3, 3, 0, false, {}},
                          {"Canal Time Trial", kCanal, "TIMETRIAL", "MIXED", 2, 0, 0, true, {}},
                      });
}

std::string DemoText() {
  // A race with fixed cars for everyone: the attract loop shows it.
  DataFileWriter writer;
  writer.Comment("Demo race with a fixed field");
  writer.BeginBlock("RACE");
  writer.Record("NAME", {"Demo"});
  writer.Record("PATH", {kDowntownTrackScene});
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
  // The plaza circuit has no collision file: the race finds everything in its scene.
  WriteRace(writer, {"Plaza Demo", kPlaza, "LAP", "MIXED", 2, 3, 0, false, {}}, "QUICK");
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
