// Names in the content list written with a separator first, as the data files write them, name files of the game
// folder whatever the machine's root holds; a full path under the game folder names that file. Each is raced
// through the game's own loading road.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "app/paths.h"
#include "contentgen/content.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/race_content.h"
#include "contentgen/vehicle_content.h"
#include "game/headless_race.h"
#include "race/race_list.h"
#include "vehicle/vehicle.h"

namespace game {
namespace {

class ContentNames : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = (std::filesystem::temp_directory_path() / ("corsaire_names_" + std::to_string(std::random_device{}())))
                  .string() + "/";
    ASSERT_TRUE(contentgen::WriteAllContent(folder_));
    // A copy of the career in a folder named as one of the root's own.
    std::filesystem::create_directories(folder_ + "Tmp");
    std::filesystem::copy_file(folder_ + "RACES/career.dat", folder_ + "Tmp/career.dat");
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  // The sample content list with each car's definition file and the career list named as the row names them
  // (from the names written with backslashes and no separator first).
  static void WriteManifest(const std::function<std::string(const std::string&)>& name) {
    contentgen::DataFileWriter writer;
    for (const contentgen::ManifestCar& car : contentgen::ManifestCars()) {
      writer.Record("VEHICLE", {name(car.definitionFile), car.name, car.carClass});
    }
    writer.Record("CAREER", {name("RACES\\career.dat")});
    writer.Record("AINAMES", {contentgen::kAiNamesFile});
    std::ofstream(folder_ + contentgen::kManifestFile, std::ios::binary) << writer.Text();
  }

  inline static std::string folder_;
};

std::string Slashes(std::string name) {
  for (char& c : name) c = c == '\\' ? '/' : c;
  return name;
}

TEST_F(ContentNames, NamesStartingWithASeparatorAreTheGameFoldersOnEveryMachine) {
  const struct {
    const char* what;
    std::function<std::string(const std::string&)> name;
  } cases[] = {
      {"after two slashes", [](const std::string& name) {
         std::string doubled;
         for (char c : "//" + Slashes(name)) doubled += c == '/' ? std::string("//") : std::string(1, c);
         return doubled.substr(2);
       }},
      {"after a backslash", [](const std::string& name) { return "\\" + name; }},
      {"after one slash", [](const std::string& name) { return "/" + Slashes(name); }},
      {"after one slash, in a folder the root holds too",
       [](const std::string& name) { return name == "RACES\\career.dat" ? "/Tmp/career.dat" : "/" + Slashes(name); }},
      {"full paths of the game folder", [](const std::string& name) { return folder_ + name; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteManifest(c.name);
    SCOPED_TRACE(c.name(contentgen::ManifestCars().front().definitionFile));
    HeadlessRace race(folder_, 1);
    ASSERT_NE(race.Content().careerRaces, nullptr);
    EXPECT_GT(race.Content().careerRaces->Count(), 0);
    std::string error;
    ASSERT_TRUE(race.Load("CAREER", 0, error)) << error;
    // Every racer's car was built from its definition, the player's among them.
    EXPECT_EQ(race.Session()->Racers().size(), race.Definition()->opponents + 1);
    const vehicle::Vehicle* player = race.Session()->Player();
    ASSERT_NE(player, nullptr);
    bool found = false;
    for (const contentgen::SampleCar& car : contentgen::SampleCars()) {
      if (player->vehicleName != car.displayName) continue;
      found = true;
      EXPECT_EQ(player->mass, car.mass);
      EXPECT_EQ(app::NormalizePathSlashes(player->GetDataFolder()),
                app::NormalizePathSlashes(folder_ + contentgen::CarFolder(car)));
    }
    EXPECT_TRUE(found) << player->vehicleName;
  }
}

}  // namespace
}  // namespace game
