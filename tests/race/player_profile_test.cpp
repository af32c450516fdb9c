// Tests of the player profile: the binary file round trip, cars the content list no longer names, career tiers and
// fees, damaged and hostile files, and saving through a temporary file.
#include "race/player_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contentgen/race_content.h"
#include "race/content_database.h"
#include "race/race_definition.h"
#include "race_test_support.h"

namespace {

using contentgen::ProfileFileWriter;
using race::PlayerProfile;
using race::ProfileLoad;
using vehicle::UpgradeSelection;
using Ids = std::vector<uint32_t>;
using Bytes = std::vector<unsigned char>;

class PlayerProfiles : public ::testing::Test {
 protected:
  PlayerProfiles() : database(nullptr, scratch.File("no_manifest.dat")) {
    database.vehicleNames = {"Berline", "Coupe"};
    database.vehiclePaths = {"CARS\\BERLINE\\berline.dat", "CARS\\COUPE\\coupe.dat"};
    database.vehicleClasses = {1, 2};
  }

  static UpgradeSelection Selection(Ids owned, Ids installed) {
    UpgradeSelection selection;
    selection.ownedIds = std::move(owned);
    selection.installedIds = std::move(installed);
    return selection;
  }

  race_test::ScratchFolder scratch{"corsaire_profile"};
  race::ContentDatabase database;
};

TEST_F(PlayerProfiles, MoneyProgressCarsAndUpgradesSurviveASaveAndLoad) {
  const std::string path = scratch.File("PROFILES/Ann.dat");
  {
    PlayerProfile profile(&database);
    EXPECT_FALSE(profile.Save()) << "no file yet";
    EXPECT_EQ(profile.Load(path), ProfileLoad::kCreated);
    profile.money = 12345;
    profile.careerProgress = 3;
    profile.SetOwned("Coupe");
    profile.SetOwned("Nothing");
    *profile.GetVehicleRecord("Coupe") = Selection({7, 3, 9}, {9, 3});
    *profile.GetVehicleRecord("Berline") = Selection({4}, {});
    ASSERT_TRUE(profile.Save());
  }
  // Named by the file whatever the separator; names of cars match exactly, letter case included.
  PlayerProfile profile(&database);
  EXPECT_EQ(profile.Load(scratch.Path() + "PROFILES\\Ann.dat"), ProfileLoad::kLoaded);
  EXPECT_EQ(profile.name, "ANN");
  EXPECT_EQ(profile.money, 12345);
  EXPECT_EQ(profile.careerProgress, 3u);
  EXPECT_TRUE(profile.IsOwned("Coupe"));
  EXPECT_FALSE(profile.IsOwned("Berline"));
  EXPECT_FALSE(profile.IsOwned("Nothing"));
  EXPECT_EQ(profile.GetVehicleRecord("coupe"), nullptr);
  EXPECT_EQ(profile.GetVehicleRecord("Coupe")->ownedIds, (Ids{7, 3, 9})) << "in the order bought";
  EXPECT_EQ(profile.GetVehicleRecord("Coupe")->installedIds, (Ids{9, 3}));
  EXPECT_EQ(profile.GetVehicleRecord("Berline")->ownedIds, (Ids{4}));
  // A progress past the last tier is held there.
  ASSERT_TRUE(ProfileFileWriter(1, 9, 0).Save(scratch.File("far.dat")));
  ASSERT_EQ(profile.Load(scratch.File("far.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(profile.careerProgress, race::kMaxCareerProgress);
}

TEST_F(PlayerProfiles, FileEntriesAreMatchedToTheDatabaseByExactName) {
  ProfileFileWriter file(800, 1, 4);
  file.Vehicle("COUPE", true, {1}, {1});            // other letter case: not this database's car
  file.Vehicle("Retired", true, {5}, {5});          // a car no longer listed
  file.Vehicle("Berline", true, {2, 2, 6}, {3, 3, 5});
  file.Vehicle("Berline", false, {6, 8}, {});       // a second entry adds its ids and sets the owned bit again
  ASSERT_TRUE(file.Save(scratch.File("mixed.dat")));

  PlayerProfile profile(&database);
  ASSERT_EQ(profile.Load(scratch.File("mixed.dat")), ProfileLoad::kLoaded);
  EXPECT_FALSE(profile.IsOwned("Coupe"));
  EXPECT_TRUE(profile.GetVehicleRecord("Coupe")->ownedIds.empty());
  EXPECT_FALSE(profile.IsOwned("Berline"));
  EXPECT_EQ(profile.GetVehicleRecord("Berline")->ownedIds, (Ids{2, 6, 8}));
  EXPECT_EQ(profile.GetVehicleRecord("Berline")->installedIds, (Ids{3, 5}));

  // Cars this content list does not name are written back untouched, after the listed ones.
  ASSERT_TRUE(profile.Save());
  const Bytes expected = ProfileFileWriter(800, 1, 4)
                             .Vehicle("Berline", false, {2, 6, 8}, {3, 5})
                             .Vehicle("Coupe", false, {}, {})
                             .Vehicle("COUPE", true, {1}, {1})
                             .Vehicle("Retired", true, {5}, {5})
                             .Bytes();
  EXPECT_EQ(scratch.Read("mixed.dat"), expected);
}

TEST_F(PlayerProfiles, LoadingSavesThePreviousPlayerAndANewPlayerStartsFresh) {
  PlayerProfile profile(&database);
  ASSERT_EQ(profile.Load(scratch.File("PROFILES/Ann.dat")), ProfileLoad::kCreated);
  profile.careerProgress = 3;
  profile.money = 90;
  profile.SetOwned("Berline");

  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Bob.dat")), ProfileLoad::kCreated);
  EXPECT_EQ(profile.name, "BOB");
  EXPECT_FALSE(profile.IsOwned("Berline"));
  // The new player's file exists at once, holding the fresh state.
  const Bytes fresh = ProfileFileWriter(5000, 0, 2).Vehicle("Berline", false, {}, {}).Vehicle("Coupe", false, {}, {}).Bytes();
  EXPECT_EQ(scratch.Read("PROFILES/Bob.dat"), fresh);

  // Ann was written when Bob was loaded.
  ASSERT_EQ(profile.Load(scratch.File("PROFILES/Ann.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(profile.careerProgress, 3u);
  EXPECT_EQ(profile.money, 90);
  EXPECT_TRUE(profile.IsOwned("Berline"));
}

TEST_F(PlayerProfiles, CareerRacesUnlockTierByTierAndCostTheirEntryFee) {
  PlayerProfile profile(&database);
  race::RaceDefinition race(0, "Tier race", "", nullptr, race::kModeCareer, race::kRaceLap, 3, 0, 4, false);
  race.entryFee = 3000;
  const std::pair<uint32_t, bool> locks[] = {
      {race::kClassOpen, false}, {race::kClassC, true}, {race::kClassMixed, false}};
  for (const auto& [tier, locked] : locks) {
    race.classRestriction = tier;
    EXPECT_EQ(profile.IsRaceLocked(race), locked) << tier;
  }
  // Only a win of a career race of the current tier opens the next one, up to the last.
  race::RaceDefinition practice = race;
  practice.mode = race::kModeQuick;
  const struct {
    const race::RaceDefinition* race;
    uint32_t tier, place;
    bool advances;
  } wins[] = {{&race, 0, 2, false}, {&practice, 0, 1, false}, {&race, 0, 1, true}, {&race, 0, 1, false},
              {&race, 1, 1, true},  {&race, 2, 1, true},        {&race, 3, 1, true}, {&race, 4, 1, false}};
  for (const auto& win : wins) {
    race.classRestriction = practice.classRestriction = win.tier;
    const uint32_t before = profile.careerProgress;
    EXPECT_EQ(profile.AdvanceCareer(*win.race, win.place), win.advances) << win.tier << " " << win.place;
    EXPECT_EQ(profile.careerProgress, before + (win.advances ? 1 : 0));
  }
  EXPECT_EQ(profile.careerProgress, race::kMaxCareerProgress);
  EXPECT_FALSE(profile.IsRaceLocked(race));

  // Entry fees are paid only when affordable, and never pay the player; winnings never wrap the 32-bit purse.
  EXPECT_TRUE(profile.PayEntryFee(race));
  EXPECT_FALSE(profile.CanAffordEntry(race));
  EXPECT_FALSE(profile.PayEntryFee(race));
  race.entryFee = -500;
  EXPECT_TRUE(profile.PayEntryFee(race));
  EXPECT_EQ(profile.money, 2000);
  profile.AddMoney(int64_t{1} << 40);
  EXPECT_EQ(profile.money, INT32_MAX);
  profile.AddMoney(INT64_MIN);
  EXPECT_EQ(profile.money, INT32_MIN);
}

// Every cut of a valid file, and counts the rest of the file cannot hold or no profile may hold although the bytes
// are there, are rejected before anything is allocated for them.
TEST_F(PlayerProfiles, CutFilesAndCountsBeyondTheirLimitsAreRejected) {
  race::ProfileFileData data;
  std::string problem;
  const Bytes whole =
      ProfileFileWriter(777, 2, 2).Vehicle("Coupe", true, {1, 2}, {2}).Vehicle("Berline", false, {}, {4}).Bytes();
  ASSERT_TRUE(race::ParseProfileFile(whole, data, problem));
  EXPECT_EQ(race::EncodeProfileFile(data), whole);
  for (size_t size = 0; size < whole.size(); ++size) {
    EXPECT_FALSE(race::ParseProfileFile(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)), data,
                                        problem)) << size;
    EXPECT_FALSE(problem.empty());
  }
  Bytes longer = whole;
  longer.push_back(0);
  const auto cars = [](uint32_t count) {
    ProfileFileWriter file(0, 0, count);
    for (uint32_t i = 0; i < count; ++i) file.Vehicle("", false, {}, {});
    return file.Bytes();
  };
  const auto car = [](const std::string& name, uint32_t owned, uint32_t installed, uint32_t ids) {
    ProfileFileWriter file(0, 0, 1);
    file.Raw32(static_cast<uint32_t>(name.size())).RawBytes(name).RawBytes(std::string(1, '\1'));
    file.Raw32(owned).Raw32(installed);
    for (uint32_t i = 0; i < ids; ++i) file.Raw32(i % 7);
    return file.Bytes();
  };
  const uint32_t most = static_cast<uint32_t>(vehicle::kMaxUpgrades);
  const std::string longest(race::kMaxProfileNameBytes, 'x');
  const struct {
    const char* what;
    Bytes bytes;
    bool valid;
  } cases[] = {
      {"a byte too many", longer, false},
      {"four billion cars", ProfileFileWriter(0, 0, 0xffffffffu).Bytes(), false},
      {"the most cars", cars(race::kMaxProfileVehicles), true},
      {"one car too many", cars(race::kMaxProfileVehicles + 1), false},
      {"a name of 4 GB", ProfileFileWriter(0, 0, 1).Raw32(0xfffffff0u).Bytes(), false},
      {"the longest name", car(longest, 0, 0, 0), true},
      {"a name too long", car(longest + "x", 0, 0, 0), false},
      {"owned ids the file cannot hold", car("C", 0x40000000u, 0, 0), false},
      {"installed ids the file cannot hold", car("C", 1, 0xffffffffu, 1), false},
      {"the most ids", car("C", most, most, 2 * most), true},
      {"owned ids past a car's upgrades", car("C", most + 1, 0, most + 1), false},
      {"installed ids past a car's upgrades", car("C", 0, most + 1, most + 1), false},
  };
  for (const auto& c : cases) EXPECT_EQ(race::ParseProfileFile(c.bytes, data, problem), c.valid) << c.what;
}

TEST_F(PlayerProfiles, DamagedFileIsKeptAsideAndNothingIsWrittenOverIt) {
  const Bytes damaged = ProfileFileWriter(99999, 4, 3).Vehicle("Coupe", true, {1}, {1}).Bytes();
  scratch.Write("PROFILES/Cid.dat", std::string(damaged.begin(), damaged.end()));
  PlayerProfile profile(&database);
  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Cid.dat")), ProfileLoad::kRejected);
  EXPECT_EQ(profile.name, "CID");
  EXPECT_EQ(profile.money, 5000);
  EXPECT_FALSE(profile.IsOwned("Coupe"));
  EXPECT_EQ(profile.damagedCopy, scratch.File("PROFILES/Cid.dat.bad"));
  EXPECT_EQ(scratch.Read("PROFILES/Cid.dat.bad"), damaged);

  // Playing on writes nothing over the damaged file until the player chooses (the profile screen gives it back
  // its file), and loading another player does not save the fresh one under it either.
  profile.money = 6000;
  EXPECT_FALSE(profile.Save());
  profile.Load(scratch.File("PROFILES/Other.dat"));
  EXPECT_EQ(scratch.Read("PROFILES/Cid.dat"), damaged);

  // Each later rejection keeps its own copy; none is replaced.
  const Bytes later = {1, 2, 3};
  scratch.Write("PROFILES/Cid.dat", std::string(later.begin(), later.end()));
  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Cid.dat")), ProfileLoad::kRejected);
  EXPECT_EQ(profile.damagedCopy, scratch.File("PROFILES/Cid.dat.bad2"));
  EXPECT_EQ(scratch.Read("PROFILES/Cid.dat.bad"), damaged);
  EXPECT_EQ(scratch.Read("PROFILES/Cid.dat.bad2"), later);
  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Other.dat")), ProfileLoad::kLoaded);
  EXPECT_TRUE(profile.damagedCopy.empty());

  // A folder where the file should be exists but cannot be read as a file: it is never written over.
  std::filesystem::create_directories(scratch.File("PROFILES/Dee.dat"));
  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Dee.dat")), ProfileLoad::kRejected);
  EXPECT_TRUE(profile.damagedCopy.empty());
  EXPECT_FALSE(profile.Save());
  EXPECT_TRUE(std::filesystem::is_directory(scratch.File("PROFILES/Dee.dat")));
}

TEST_F(PlayerProfiles, SavingGoesThroughATemporaryFileAndKeepsTheOldOneOnFailure) {
  PlayerProfile profile(&database);
  // The folder is created when missing.
  profile.SetFilePath(scratch.File("PROFILES/Eve.dat"));
  profile.money = 1;
  ASSERT_TRUE(profile.Save());
  profile.money = 2;
  ASSERT_TRUE(profile.Save());
  const std::filesystem::directory_iterator profiles(scratch.File("PROFILES"));
  EXPECT_EQ(std::distance(profiles, std::filesystem::directory_iterator()), 1) << "no temporary file";
  PlayerProfile reread(&database);
  ASSERT_EQ(reread.Load(scratch.File("PROFILES/Eve.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(reread.money, 2);

  // A save that cannot happen reports it and leaves what was there.
  const Bytes before = scratch.Read("PROFILES/Eve.dat");
  scratch.Write("blocked_file", "x");
  profile.SetFilePath(scratch.File("blocked_file/Eve.dat"));
  EXPECT_FALSE(profile.Save());
  EXPECT_EQ(scratch.Read("PROFILES/Eve.dat"), before);
}

}  // namespace
