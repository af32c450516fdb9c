// Tests of the content database: cars and classes, name look-ups, race lists by kind, opponent names and the
// current-car setting.
#include "race/content_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/data_file.h"
#include "contentgen/data_file_writer.h"
#include "app/paths.h"
#include "contentgen/race_content.h"
#include "contentgen/sample_tracks.h"
#include "contentgen/test_world.h"
#include "contentgen/track_scene.h"
#include "contentgen/vehicle_content.h"
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

  race_test::ScratchFolder scratch{"corsaire_content"};
  race_test::ManualClock clock;
  race_test::SettingsHolder holder;
  std::unique_ptr<ContentDatabase> database;
};

std::string Cars(const std::vector<Strings>& records) {
  DataFileWriter writer;
  for (const Strings& values : records) writer.Record("VEHICLE", values);
  return writer.Text();
}

TEST_F(ContentDatabases, VehiclesKeepFileOrderPathsNamesAndClasses) {
  const ContentDatabase& content = Load(Cars({{"CARS\\ONE\\one.dat", "One", "b"},
                                              {"CARS\\TWO\\two.dat", "Two"},
                                              {"CARS\\THREE\\three.dat", "Three", "SUPER"},
                                              {"CARS\\FOUR\\four.dat", "Four", "MIXED"},
                                              {"CARS\\FIVE\\five.dat", "Five", "Open"},
                                              {"CARS\\BROKEN\\broken.dat"}}));
  EXPECT_EQ(content.vehiclePaths,
            (Strings{"CARS\\ONE\\one.dat", "CARS\\TWO\\two.dat", "CARS\\THREE\\three.dat", "CARS\\FOUR\\four.dat",
                     "CARS\\FIVE\\five.dat"}));
  EXPECT_EQ(content.vehicleNames, (Strings{"One", "Two", "Three", "Four", "Five"}));
  // Lower-case b is class B; no class or an unknown one is C.
  EXPECT_EQ(content.vehicleClasses, (std::vector<uint32_t>{2, 1, 1, 4, 0}));
  EXPECT_EQ(content.VehicleCount(), 5);
}

TEST_F(ContentDatabases, CarNamesAreFoundInAnyLetterCase) {
  const ContentDatabase& content =
      Load(Cars({{"a.dat", "Roadster"}, {"b.dat", "Le Mans"}, {"c.dat", "ROADSTER"}}));
  EXPECT_EQ(content.FindStringIndex("ROADSTER"), 0);
  EXPECT_EQ(content.FindStringIndex("roadster"), 0);
  EXPECT_EQ(content.FindStringIndex("le mans"), 1);
  EXPECT_EQ(content.FindStringIndex("Le Man"), -1);
  EXPECT_EQ(content.FindStringIndex(""), -1);
  EXPECT_EQ(content.FindVehicle("LE MANS"), "b.dat");
  EXPECT_EQ(content.FindVehicle("Nobody"), "");
}

TEST_F(ContentDatabases, CarsAreCountedAndPickedByClass) {
  const ContentDatabase& content = Load(Cars({{"c1.dat", "C1", "C"},
                                              {"b1.dat", "B1", "B"},
                                              {"c2.dat", "C2", "C"},
                                              {"m1.dat", "M1", "MIXED"},
                                              {"c3.dat", "C3"}}));
  EXPECT_EQ(content.CountById(race::kClassC), 3);
  EXPECT_EQ(content.CountById(race::kClassB), 1);
  EXPECT_EQ(content.CountById(race::kClassMixed), 1);
  EXPECT_EQ(content.CountById(race::kClassA), 0);
  EXPECT_EQ(content.ValueById(race::kClassC, 0), "c1.dat");
  EXPECT_EQ(content.ValueById(race::kClassC, 1), "c2.dat");
  EXPECT_EQ(content.ValueById(race::kClassC, 2), "c3.dat");
  EXPECT_EQ(content.ValueById(race::kClassMixed, 0), "m1.dat");
  // Past the class's cars, or for a class without cars, nothing rather than another car.
  EXPECT_EQ(content.ValueById(race::kClassC, 3), "");
  EXPECT_EQ(content.ValueById(race::kClassA, 0), "");
  EXPECT_EQ(content.ValueById(race::kClassC, -1), "");
}

TEST_F(ContentDatabases, FirstRecordOfEachRaceListKindBuildsItsList) {
  DataFileWriter races;
  races.BeginBlock("RACE").Record("NAME", {"First"}).EndBlock("RACE");
  scratch.Write("career_a.dat", races.Text());
  DataFileWriter other;
  other.BeginBlock("RACE").Record("NAME", {"Second"}).EndBlock("RACE");
  other.BeginBlock("RACE").Record("NAME", {"Third"}).EndBlock("RACE");
  scratch.Write("career_b.dat", other.Text());

  DataFileWriter manifest;
  manifest.Record("CAREER", {scratch.File("career_a.dat")});
  manifest.Record("CAREER", {scratch.File("career_b.dat")});
  manifest.Record("CONTEST", {scratch.File("career_b.dat")});
  const ContentDatabase& content = Load(manifest.Text());
  ASSERT_NE(content.careerRaces, nullptr);
  ASSERT_EQ(content.careerRaces->Count(), 1);
  EXPECT_EQ(content.careerRaces->At(0)->name, "First");
  ASSERT_NE(content.contestRaces, nullptr);
  EXPECT_EQ(content.contestRaces->Count(), 2);
  EXPECT_EQ(content.quickRaces, nullptr);
  EXPECT_EQ(content.demoRaces, nullptr);
  EXPECT_EQ(content.instantRaces, nullptr);
  EXPECT_EQ(content.careerRaces->settings, &holder.settings);
}

TEST_F(ContentDatabases, OpponentNamesComeFromTheFileBesideTheContentList) {
  DataFileWriter names;
  names.Record("NAME", {"Marcel"}).Record("TITLE", {"ignored"}).Record("NAME", {"Josette"}).Record("NAME", {});
  scratch.Write("names.dat", names.Text());
  DataFileWriter races;
  races.BeginBlock("RACE").EndBlock("RACE");
  scratch.Write("quick.dat", races.Text());
  DataFileWriter manifest;
  manifest.Record("AINAMES", {"names.dat"});
  manifest.Record("AINAMES", {"other.dat"});
  manifest.Record("QUICKRACE", {scratch.File("quick.dat")});
  const ContentDatabase& content = Load(manifest.Text());
  EXPECT_EQ(content.aiNames, (Strings{"Marcel", "Josette"}));
  // Race definitions share the database's pool.
  ASSERT_NE(content.quickRaces, nullptr);
  EXPECT_EQ(content.quickRaces->At(0)->aiNameList, &content.aiNames);
}

TEST_F(ContentDatabases, CurrentCarSettingIsMadeToNameAListedCar) {
  holder.settings.SetString(app::StringSettingId::VEHICLE, "Scrapped");
  Load(Cars({{"a.dat", "Berline"}, {"b.dat", "Coupe"}}));
  EXPECT_EQ(holder.settings.GetString(app::StringSettingId::VEHICLE), "Berline");

  holder.settings.SetString(app::StringSettingId::VEHICLE, "COUPE");
  Load(Cars({{"a.dat", "Berline"}, {"b.dat", "Coupe"}}));
  EXPECT_EQ(holder.settings.GetString(app::StringSettingId::VEHICLE), "COUPE");

  // With no car at all there is nothing better to name; the setting stays.
  holder.settings.SetString(app::StringSettingId::VEHICLE, "Scrapped");
  Load("");
  EXPECT_EQ(holder.settings.GetString(app::StringSettingId::VEHICLE), "Scrapped");
}

TEST_F(ContentDatabases, MissingContentListGivesAnEmptyDatabase) {
  const ContentDatabase content(&holder.settings, scratch.File("absent.dat"), &clock);
  EXPECT_EQ(content.VehicleCount(), 0);
  EXPECT_TRUE(content.aiNames.empty());
  EXPECT_EQ(content.careerRaces, nullptr);
  EXPECT_EQ(content.FindStringIndex("Anything"), -1);
  EXPECT_EQ(content.CountById(race::kClassC), 0);
}

TEST_F(ContentDatabases, SampleContentListsEveryCarAndRaceList) {
  ASSERT_TRUE(contentgen::WriteRaceContent(scratch.Path()));
  ContentDatabase content(&holder.settings, "", &clock);
  content.LoadFrom(app::DataFile(scratch.File(contentgen::kManifestFile)), scratch.Path(), scratch.Path());

  const std::vector<contentgen::ManifestCar> cars = contentgen::ManifestCars();
  ASSERT_EQ(content.VehicleCount(), static_cast<int>(cars.size()));
  ASSERT_EQ(cars.size(), contentgen::SampleCars().size());
  for (const contentgen::ManifestCar& car : cars) {
    const int index = content.FindStringIndex(car.name);
    ASSERT_GE(index, 0) << car.name;
    EXPECT_EQ(content.vehiclePaths[index], car.definitionFile);
    EXPECT_EQ(race::CarClassNames[content.vehicleClasses[index]], car.carClass);
  }
  for (const auto* list : {&content.quickRaces, &content.careerRaces, &content.contestRaces, &content.demoRaces,
                           &content.instantRaces}) {
    ASSERT_NE(*list, nullptr);
    EXPECT_GT((*list)->Count(), 0);
  }
  EXPECT_GE(content.aiNames.size(), 8u);
  for (const auto& race : content.instantRaces->races) EXPECT_EQ(race->mode, race::kModeInstant);
  for (const auto& race : content.contestRaces->races) {
    EXPECT_EQ(race->mode, race::kModeContest);
    EXPECT_GT(race->targetTimes[1], 0) << race->name;
  }
  // Fixed cars of the demo race are cars of the list.
  const race::RaceDefinition& demo = *content.demoRaces->At(0);
  for (const std::string& car : demo.aiVehicles) {
    EXPECT_NE(std::find(content.vehiclePaths.begin(), content.vehiclePaths.end(), car), content.vehiclePaths.end());
  }
  EXPECT_EQ(holder.settings.GetString(app::StringSettingId::VEHICLE), content.vehicleNames.front());
}

TEST_F(ContentDatabases, SampleRacesAndCarsNameFilesTheOtherWritersLayOut) {
  ASSERT_TRUE(contentgen::WriteRaceContent(scratch.Path()));
  ASSERT_TRUE(contentgen::WriteTestWorld(scratch.Path()));
  ASSERT_TRUE(contentgen::WriteTrackScene(scratch.Path()));
  ASSERT_TRUE(contentgen::WriteSampleTracks(scratch.Path()));
  ASSERT_TRUE(contentgen::WriteVehicleContent(scratch.Path()));
  ContentDatabase content(&holder.settings, "", &clock);
  content.LoadFrom(app::DataFile(scratch.File(contentgen::kManifestFile)), scratch.Path(), scratch.Path());

  for (const std::string& car : content.vehiclePaths) EXPECT_TRUE(app::FileExists(scratch.Path() + car)) << car;
  for (const auto* list : {&content.quickRaces, &content.careerRaces, &content.contestRaces, &content.demoRaces,
                           &content.instantRaces}) {
    ASSERT_NE(*list, nullptr);
    for (const auto& race : (*list)->races) {
      // The race loads the scene and, beside it, the collision file of the same name.
      EXPECT_TRUE(app::FileExists(scratch.Path() + race->path)) << race->path;
      const std::string collision = race->path.substr(0, race->path.size() - 4) + ".COL";
      EXPECT_TRUE(app::FileExists(scratch.Path() + collision)) << collision;
      if (race->hasPlayerEntry) {
        EXPECT_TRUE(app::FileExists(scratch.Path() + race->playerVehicle));
      }
      for (const std::string& car : race->aiVehicles) EXPECT_TRUE(app::FileExists(scratch.Path() + car)) << car;
    }
  }
}

}  // namespace
