// Tests of the content database: cars and classes, name look-ups, race lists by kind, opponent names, the
// current-car setting and the sample content's files.
#include "race/content_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/data_file.h"
#include "app/paths.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/plaza_track.h"
#include "contentgen/race_content.h"
#include "contentgen/sample_tracks.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "contentgen/vehicle_content.h"
#include "race/track_loader.h"
#include "race_test_support.h"

namespace {

using contentgen::DataFileWriter;
using race::ContentDatabase;
using Strings = std::vector<std::string>;

class ContentDatabases : public ::testing::Test {
 protected:
  // Writes the content list into the scratch folder and loads it from there.
  ContentDatabase& Load(const std::string& manifest) {
    scratch.Write("manifest.dat", manifest);
    database = std::make_unique<ContentDatabase>(&holder.settings, scratch.File("manifest.dat"), &clock);
    return *database;
  }
  static std::string Cars(const std::vector<Strings>& records) {
    DataFileWriter writer;
    for (const Strings& values : records) writer.Record("VEHICLE", values);
    return writer.Text();
  }

  race_test::ScratchFolder scratch{"corsaire_content"};
  race_test::ManualClock clock;
  race_test::SettingsHolder holder;
  std::unique_ptr<ContentDatabase> database;
};

TEST_F(ContentDatabases, CarsKeepFileOrderAndAreFoundByNameInAnyCaseAndByClass) {
  const ContentDatabase& content = Load(Cars({{"one.dat", "One", "b"}, {"two.dat", "Two"},
                                              {"three.dat", "Three", "SUPER"}, {"four.dat", "Four", "MIXED"},
                                              {"five.dat", "Le Mans", "Open"}, {"broken.dat"}}));
  EXPECT_EQ(content.vehiclePaths, (Strings{"one.dat", "two.dat", "three.dat", "four.dat", "five.dat"}));
  // Lower-case b is class B; no class or an unknown one is C.
  EXPECT_EQ(content.vehicleClasses, (std::vector<uint32_t>{2, 1, 1, 4, 0}));
  EXPECT_EQ(content.FindStringIndex("le mans"), 4);
  EXPECT_EQ(content.FindStringIndex("Le Man"), -1);
  EXPECT_EQ(content.FindStringIndex(""), -1);
  EXPECT_EQ(content.FindVehicle("THREE"), "three.dat");
  EXPECT_EQ(content.FindVehicle("Nobody"), "");
  EXPECT_EQ(content.CountById(race::kClassC), 2);
  EXPECT_EQ(content.ValueById(race::kClassC, 1), "three.dat");
  // Past the class's cars, or for a class without cars, nothing rather than another car.
  const std::pair<uint32_t, int> beyond[] = {{race::kClassC, 2}, {race::kClassC, -1}, {race::kClassA, 0}};
  for (const auto& [carClass, index] : beyond) {
    EXPECT_EQ(content.ValueById(carClass, index), "") << carClass << " " << index;
  }
  const ContentDatabase missing(&holder.settings, scratch.File("absent.dat"), &clock);
  EXPECT_EQ(missing.VehicleCount(), 0);
  EXPECT_EQ(missing.careerRaces, nullptr);
}

TEST_F(ContentDatabases, OpponentNamesComeFromTheFirstNameFileAndRacesShareThem) {
  DataFileWriter races, names;
  races.BeginBlock("RACE").EndBlock("RACE");
  names.Record("NAME", {"Marcel"}).Record("TITLE", {"ignored"}).Record("NAME", {"Josette"}).Record("NAME", {});
  scratch.Write("races.dat", races.Text());
  scratch.Write("names.dat", names.Text());
  DataFileWriter manifest;
  manifest.Record("CAREER", {"races.dat"});
  manifest.Record("AINAMES", {"names.dat"}).Record("AINAMES", {"other.dat"});
  scratch.Write("manifest.dat", manifest.Text());
  // The scratch folder is the game folder here: race lists are named from it.
  database = std::make_unique<ContentDatabase>(&holder.settings, scratch.File("absent.dat"), &clock);
  database->LoadFrom(app::DataFile(scratch.File("manifest.dat")), scratch.Path(), scratch.Path());
  const ContentDatabase& content = *database;
  ASSERT_NE(content.careerRaces, nullptr);
  ASSERT_EQ(content.careerRaces->Count(), 1);
  EXPECT_EQ(content.aiNames, (Strings{"Marcel", "Josette"}));
  EXPECT_EQ(content.careerRaces->At(0)->aiNameList, &content.aiNames);
  EXPECT_EQ(content.careerRaces->settings, &holder.settings);
}

TEST_F(ContentDatabases, TheCurrentCarSettingIsMadeToNameAListedCar) {
  const struct {
    const char* setting;
    std::string manifest;
    const char* after;
  } cases[] = {{"Scrapped", Cars({{"a.dat", "Berline"}, {"b.dat", "Coupe"}}), "Berline"},
               {"COUPE", Cars({{"a.dat", "Berline"}, {"b.dat", "Coupe"}}), "COUPE"},
               {"Scrapped", "", "Scrapped"}};  // with no car at all there is nothing better to name
  for (const auto& c : cases) {
    holder.settings.SetString(app::StringSettingId::VEHICLE, c.setting);
    Load(c.manifest);
    EXPECT_EQ(holder.settings.GetString(app::StringSettingId::VEHICLE), c.after) << c.setting;
  }
}

TEST_F(ContentDatabases, SampleRacesAndCarsNameFilesTheOtherWritersLayOut) {
  ASSERT_TRUE(contentgen::WriteRaceContent(scratch.Path()) && contentgen::WriteTestWorld(scratch.Path()) &&
              contentgen::WriteTrackScene(scratch.Path()) && contentgen::WriteSampleTracks(scratch.Path()) &&
              contentgen::WritePlazaTrack(scratch.Path()) && contentgen::WriteVehicleContent(scratch.Path()));
  ContentDatabase content(&holder.settings, "", &clock);
  content.LoadFrom(app::DataFile(scratch.File(contentgen::kManifestFile)), scratch.Path(), scratch.Path());
  ASSERT_EQ(content.VehicleCount(), static_cast<int>(contentgen::SampleCars().size()));
  for (const std::string& car : content.vehiclePaths) EXPECT_TRUE(app::FileExists(scratch.Path() + car)) << car;
  for (const auto* list : {&content.quickRaces, &content.careerRaces, &content.contestRaces, &content.demoRaces,
                           &content.instantRaces}) {
    ASSERT_NE(*list, nullptr);
    ASSERT_GT((*list)->Count(), 0);
    for (const auto& race : (*list)->races) {
      // The race loads the scene and, beside it, the collision file of the same name; the plaza has none and
      // races on its scene alone.
      EXPECT_TRUE(app::FileExists(scratch.Path() + race->path)) << race->path;
      const bool sceneOnly = race->path == contentgen::kPlazaTrackScene;
      EXPECT_EQ(app::FileExists(scratch.Path() + race::CollisionFileOf(race->path)), !sceneOnly) << race->path;
      if (race->hasPlayerEntry) {
        EXPECT_TRUE(app::FileExists(scratch.Path() + race->playerVehicle));
      }
      for (const std::string& car : race->aiVehicles) EXPECT_TRUE(app::FileExists(scratch.Path() + car)) << car;
    }
  }
}

}  // namespace
