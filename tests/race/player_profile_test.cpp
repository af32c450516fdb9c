// Tests of the player profile: fresh state, working selection, the binary file round trip, damaged files and
// saving through a temporary file.
#include "race/player_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/data_file.h"
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

TEST_F(PlayerProfiles, FreshProfileHoldsEveryCarOfTheDatabaseUnowned) {
  PlayerProfile profile(&database);
  EXPECT_FALSE(profile.loaded);
  EXPECT_FALSE(profile.changed);
  EXPECT_EQ(profile.name, "Player");
  EXPECT_EQ(profile.fileName, "");
  EXPECT_EQ(profile.money, 5000);
  EXPECT_EQ(profile.careerProgress, 0u);
  EXPECT_EQ(profile.vehicleNames, database.vehicleNames);
  ASSERT_EQ(profile.selections.size(), 2u);
  for (const std::string& car : database.vehicleNames) {
    EXPECT_FALSE(profile.IsOwned(car));
    ASSERT_NE(profile.GetVehicleRecord(car), nullptr);
    EXPECT_TRUE(profile.GetVehicleRecord(car)->ownedIds.empty());
  }
  EXPECT_NE(profile.GetVehicleRecord("Berline"), profile.GetVehicleRecord("Coupe"));
  // Names are matched exactly, letter case included.
  EXPECT_EQ(profile.IndexOf("Coupe"), 1);
  EXPECT_EQ(profile.IndexOf("COUPE"), -1);
  EXPECT_EQ(profile.GetVehicleRecord("coupe"), nullptr);

  profile.SetOwned("Coupe");
  profile.SetOwned("Nothing");
  EXPECT_TRUE(profile.IsOwned("Coupe"));
  EXPECT_FALSE(profile.IsOwned("Berline"));
  EXPECT_FALSE(profile.IsOwned("Nothing"));
  // Saving without a file writes nothing.
  EXPECT_FALSE(profile.Save());
}

TEST_F(PlayerProfiles, WorkingSelectionRaisesChangedOnlyWhenItDiffers) {
  PlayerProfile profile(&database);
  profile.SetWorkingSelection(Selection({}, {}));
  EXPECT_FALSE(profile.changed);

  profile.SetCurrentSelection(Selection({1, 2}, {2}));
  EXPECT_TRUE(profile.changed);
  UpgradeSelection copy;
  profile.GetWorkingSelection(copy);
  EXPECT_EQ(copy.ownedIds, (Ids{1, 2}));
  EXPECT_EQ(copy.installedIds, (Ids{2}));

  profile.changed = false;
  profile.SetWorkingSelection(Selection({1, 2}, {2}));
  EXPECT_FALSE(profile.changed);
  profile.SetWorkingSelection(Selection({2, 1}, {2}));  // same ids, other order
  EXPECT_TRUE(profile.changed);
  profile.changed = false;
  profile.SetWorkingSelection(Selection({2, 1}, {2, 1}));
  EXPECT_TRUE(profile.changed);

  profile.changed = false;
  profile.ClearCurrentSelection();
  EXPECT_TRUE(profile.changed);
  profile.GetCurrentSelection(copy);
  EXPECT_TRUE(copy.ownedIds.empty());
  EXPECT_TRUE(copy.installedIds.empty());
}

TEST_F(PlayerProfiles, SavedFreshProfileHasTheDocumentedLayout) {
  PlayerProfile profile(&database);
  profile.SetFilePath(scratch.File("fresh.dat"));
  ASSERT_TRUE(profile.Save());
  const Bytes written = scratch.Read("fresh.dat");
  EXPECT_EQ(written.size(), 12u + (4 + 7 + 1 + 4 + 4) + (4 + 5 + 1 + 4 + 4));
  const Bytes expected = ProfileFileWriter(5000, 0, 2).Vehicle("Berline", false, {}, {}).Vehicle("Coupe", false, {}, {}).Bytes();
  EXPECT_EQ(written, expected);
}

TEST_F(PlayerProfiles, MoneyProgressCarsAndUpgradesSurviveASaveAndLoad) {
  const std::string path = scratch.File("PROFILES/Ann.dat");
  {
    PlayerProfile profile(&database);
    EXPECT_EQ(profile.Load(path), ProfileLoad::kCreated);
    profile.money = 12345;
    profile.careerProgress = 3;
    profile.SetOwned("Coupe");
    *profile.GetVehicleRecord("Coupe") = Selection({7, 3, 9}, {9, 3});
    *profile.GetVehicleRecord("Berline") = Selection({4}, {});
    ASSERT_TRUE(profile.Save());
  }
  PlayerProfile profile(&database);
  EXPECT_EQ(profile.Load(path), ProfileLoad::kLoaded);
  EXPECT_TRUE(profile.loaded);
  EXPECT_EQ(profile.name, "ANN");
  EXPECT_EQ(profile.fileName, path);
  EXPECT_EQ(profile.money, 12345);
  EXPECT_EQ(profile.careerProgress, 3u);
  EXPECT_TRUE(profile.IsOwned("Coupe"));
  EXPECT_FALSE(profile.IsOwned("Berline"));
  // Selection order is kept.
  EXPECT_EQ(profile.GetVehicleRecord("Coupe")->ownedIds, (Ids{7, 3, 9}));
  EXPECT_EQ(profile.GetVehicleRecord("Coupe")->installedIds, (Ids{9, 3}));
  EXPECT_EQ(profile.GetVehicleRecord("Berline")->ownedIds, (Ids{4}));
}

TEST_F(PlayerProfiles, NameComesFromTheFileNameWhateverTheSeparator) {
  ASSERT_TRUE(ProfileFileWriter(10, 0, 0).Save(scratch.File("PROFILES/zoe.dat")));
  PlayerProfile profile(&database);
  EXPECT_EQ(profile.Load(scratch.Path() + "PROFILES\\zoe.dat"), ProfileLoad::kLoaded);
  EXPECT_EQ(profile.name, "ZOE");
  EXPECT_EQ(profile.money, 10);
  // A new player in a profiles folder that does not exist yet, named the way the profile screens name it.
  EXPECT_EQ(profile.Load(scratch.Path() + "NEW\\Al.dat"), ProfileLoad::kCreated);
  EXPECT_EQ(profile.name, "AL");
  EXPECT_EQ(scratch.Entries("NEW"), (std::vector<std::string>{"Al.dat"}));
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
  EXPECT_EQ(profile.money, 800);
  EXPECT_EQ(profile.careerProgress, 1u);
  EXPECT_FALSE(profile.IsOwned("Coupe"));
  EXPECT_TRUE(profile.GetVehicleRecord("Coupe")->ownedIds.empty());
  EXPECT_FALSE(profile.IsOwned("Berline"));
  EXPECT_EQ(profile.GetVehicleRecord("Berline")->ownedIds, (Ids{2, 6, 8}));
  EXPECT_EQ(profile.GetVehicleRecord("Berline")->installedIds, (Ids{3, 5}));
  EXPECT_EQ(profile.vehicleNames, database.vehicleNames);

  // Cars this content list does not name are written back untouched, after the listed ones.
  ASSERT_TRUE(profile.Save());
  const Bytes expected = ProfileFileWriter(800, 1, 4)
                             .Vehicle("Berline", false, {2, 6, 8}, {3, 5})
                             .Vehicle("Coupe", false, {}, {})
                             .Vehicle("COUPE", true, {1}, {1})
                             .Vehicle("Retired", true, {5}, {5})
                             .Bytes();
  EXPECT_EQ(scratch.Read("mixed.dat"), expected);
  // A fresh profile forgets them.
  profile.Reset();
  EXPECT_TRUE(profile.otherVehicles.empty());
}

TEST_F(PlayerProfiles, LoadingSavesThePreviousPlayerAndANewPlayerStartsFresh) {
  PlayerProfile profile(&database);
  ASSERT_EQ(profile.Load(scratch.File("PROFILES/Ann.dat")), ProfileLoad::kCreated);
  profile.careerProgress = 3;
  profile.money = 90;
  profile.SetOwned("Berline");

  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Bob.dat")), ProfileLoad::kCreated);
  EXPECT_EQ(profile.name, "BOB");
  EXPECT_EQ(profile.careerProgress, 0u);
  EXPECT_EQ(profile.money, 5000);
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
  race.classRestriction = race::kClassC;
  race.entryFee = 3000;

  EXPECT_TRUE(profile.IsRaceLocked(race));
  race.classRestriction = race::kClassOpen;
  EXPECT_FALSE(profile.IsRaceLocked(race));
  race::RaceDefinition mixed = race;
  mixed.classRestriction = race::kClassMixed;
  EXPECT_FALSE(profile.IsRaceLocked(mixed));

  // Only a win of a career race of the current tier opens the next one.
  EXPECT_FALSE(profile.AdvanceCareer(race, 2));
  race::RaceDefinition practice = race;
  practice.mode = race::kModeQuick;
  EXPECT_FALSE(profile.AdvanceCareer(practice, 1));
  EXPECT_EQ(profile.careerProgress, 0u);
  EXPECT_TRUE(profile.AdvanceCareer(race, 1));
  EXPECT_EQ(profile.careerProgress, 1u);
  EXPECT_FALSE(profile.AdvanceCareer(race, 1));  // an old tier won again
  race.classRestriction = race::kClassC;
  EXPECT_FALSE(profile.IsRaceLocked(race));
  for (uint32_t tier = 1; tier < 4; ++tier) {
    race.classRestriction = tier;
    EXPECT_TRUE(profile.AdvanceCareer(race, 1));
  }
  EXPECT_EQ(profile.careerProgress, race::kMaxCareerProgress);
  race.classRestriction = race::kMaxCareerProgress;
  EXPECT_FALSE(profile.AdvanceCareer(race, 1));
  EXPECT_EQ(profile.careerProgress, race::kMaxCareerProgress);

  // Entry fees: paid only when affordable.
  EXPECT_TRUE(profile.CanAffordEntry(race));
  EXPECT_TRUE(profile.PayEntryFee(race));
  EXPECT_EQ(profile.money, 2000);
  EXPECT_FALSE(profile.CanAffordEntry(race));
  EXPECT_FALSE(profile.PayEntryFee(race));
  EXPECT_EQ(profile.money, 2000);
  race.entryFee = -500;
  EXPECT_TRUE(profile.PayEntryFee(race));
  EXPECT_EQ(profile.money, 2000);

  // Winnings never wrap the 32-bit purse.
  profile.AddMoney(race.RewardForPlace(1) + 700);
  EXPECT_EQ(profile.money, 2700);
  profile.AddMoney(int64_t{1} << 40);
  EXPECT_EQ(profile.money, INT32_MAX);
  profile.AddMoney(INT64_MIN);
  EXPECT_EQ(profile.money, INT32_MIN);
}

TEST_F(PlayerProfiles, CareerProgressFromAFileIsHeldAtTheLastTier) {
  ASSERT_TRUE(ProfileFileWriter(1, 9, 0).Save(scratch.File("far.dat")));
  PlayerProfile profile(&database);
  ASSERT_EQ(profile.Load(scratch.File("far.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(profile.careerProgress, race::kMaxCareerProgress);
}

TEST_F(PlayerProfiles, EveryCutOfAValidFileIsRejected) {
  const Bytes whole =
      ProfileFileWriter(777, 2, 2).Vehicle("Coupe", true, {1, 2}, {2}).Vehicle("Berline", false, {}, {4}).Bytes();
  race::ProfileFileData data;
  std::string problem;
  ASSERT_TRUE(race::ParseProfileFile(whole, data, problem));
  EXPECT_EQ(race::EncodeProfileFile(data), whole);
  for (size_t size = 0; size < whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(race::ParseProfileFile(cut, data, problem)) << size;
    EXPECT_FALSE(problem.empty());
  }
  Bytes longer = whole;
  longer.push_back(0);
  EXPECT_FALSE(race::ParseProfileFile(longer, data, problem));
}

TEST_F(PlayerProfiles, CountsBeyondTheFileAreRejectedBeforeAnythingIsAllocated) {
  race::ProfileFileData data;
  std::string problem;
  EXPECT_FALSE(race::ParseProfileFile(ProfileFileWriter(0, 0, 0xffffffffu).Bytes(), data, problem));
  // More cars than a profile may hold, even with the bytes for them.
  ProfileFileWriter many(0, 0, race::kMaxProfileVehicles + 1);
  ProfileFileWriter most(0, 0, race::kMaxProfileVehicles);
  for (uint32_t i = 0; i < race::kMaxProfileVehicles; ++i) {
    many.Vehicle("", false, {}, {});
    most.Vehicle("", false, {}, {});
  }
  many.Vehicle("", false, {}, {});
  EXPECT_FALSE(race::ParseProfileFile(many.Bytes(), data, problem));
  EXPECT_TRUE(race::ParseProfileFile(most.Bytes(), data, problem));
  // A name length near 4 GB, and one just past the longest name allowed although the bytes are there.
  EXPECT_FALSE(race::ParseProfileFile(ProfileFileWriter(0, 0, 1).Raw32(0xfffffff0u).Bytes(), data, problem));
  const std::string longName(race::kMaxProfileNameBytes + 1, 'x');
  EXPECT_FALSE(race::ParseProfileFile(ProfileFileWriter(0, 0, 1).Vehicle(longName, false, {}, {}).Bytes(), data, problem));
  const std::string longestName(race::kMaxProfileNameBytes, 'x');
  EXPECT_TRUE(race::ParseProfileFile(ProfileFileWriter(0, 0, 1).Vehicle(longestName, false, {}, {}).Bytes(), data, problem));
  // Owned and installed counts that the remaining bytes cannot hold.
  EXPECT_FALSE(race::ParseProfileFile(
      ProfileFileWriter(0, 0, 1).Raw32(1).RawBytes("C").RawBytes(std::string(1, '\1')).Raw32(0x40000000u).Raw32(0).Bytes(),
      data, problem));
  EXPECT_FALSE(race::ParseProfileFile(
      ProfileFileWriter(0, 0, 1).Raw32(1).RawBytes("C").RawBytes(std::string(1, '\0')).Raw32(1).Raw32(0xffffffffu).Raw32(5).Bytes(),
      data, problem));
  // Id lists longer than a car's upgrades can be, although the bytes are there.
  auto withIds = [](uint32_t owned, uint32_t installed) {
    ProfileFileWriter file(0, 0, 1);
    file.Raw32(1).RawBytes("C").RawBytes(std::string(1, '\1')).Raw32(owned).Raw32(installed);
    for (uint32_t i = 0; i < owned + installed; ++i) file.Raw32(i % 7);
    return file.Bytes();
  };
  const uint32_t longest = static_cast<uint32_t>(vehicle::kMaxUpgrades);
  EXPECT_TRUE(race::ParseProfileFile(withIds(longest, longest), data, problem)) << problem;
  EXPECT_FALSE(race::ParseProfileFile(withIds(longest + 1, 0), data, problem));
  EXPECT_FALSE(race::ParseProfileFile(withIds(0, longest + 1), data, problem));
}

TEST_F(PlayerProfiles, DamagedFileIsKeptAsideAndThePlayerStartsFresh) {
  const Bytes damaged = ProfileFileWriter(99999, 4, 3).Vehicle("Coupe", true, {1}, {1}).Bytes();
  scratch.Write("PROFILES/Cid.dat", std::string(damaged.begin(), damaged.end()));
  PlayerProfile profile(&database);
  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Cid.dat")), ProfileLoad::kRejected);
  EXPECT_FALSE(profile.loaded);
  EXPECT_EQ(profile.name, "CID");
  EXPECT_EQ(profile.money, 5000);
  EXPECT_EQ(profile.careerProgress, 0u);
  EXPECT_FALSE(profile.IsOwned("Coupe"));
  EXPECT_TRUE(profile.GetVehicleRecord("Coupe")->ownedIds.empty());
  EXPECT_EQ(scratch.Read("PROFILES/Cid.dat.bad"), damaged);

  // Playing on saves under the same name; the damaged bytes stay in the kept copy.
  profile.money = 6000;
  ASSERT_TRUE(profile.Save());
  PlayerProfile again(&database);
  ASSERT_EQ(again.Load(scratch.File("PROFILES/Cid.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(again.money, 6000);
  EXPECT_EQ(scratch.Read("PROFILES/Cid.dat.bad"), damaged);
}

TEST_F(PlayerProfiles, ProfileThatCannotBeReadIsNeverWrittenOver) {
  // A folder where the file should be: it exists but cannot be read as a file.
  std::filesystem::create_directories(scratch.File("PROFILES/Dee.dat"));
  PlayerProfile profile(&database);
  EXPECT_EQ(profile.Load(scratch.File("PROFILES/Dee.dat")), ProfileLoad::kRejected);
  EXPECT_EQ(profile.fileName, "");
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
  EXPECT_EQ(scratch.Entries("PROFILES"), (std::vector<std::string>{"Eve.dat"}));
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

TEST_F(PlayerProfiles, SampleCarsProfileRoundTripsThroughTheSampleContent) {
  ASSERT_TRUE(contentgen::WriteRaceContent(scratch.Path()));
  race::ContentDatabase content(nullptr, "");
  content.LoadFrom(app::DataFile(scratch.File(contentgen::kManifestFile)), scratch.Path(), scratch.Path());
  ASSERT_FALSE(content.vehicleNames.empty());
  PlayerProfile profile(&content);
  ASSERT_EQ(profile.Load(scratch.File("PROFILES/Player.dat")), ProfileLoad::kCreated);
  const std::string& lastCar = content.vehicleNames.back();
  profile.SetOwned(lastCar);
  profile.GetVehicleRecord(lastCar)->SetOwned(12, true);
  profile.GetVehicleRecord(lastCar)->SetInstalled(12, true);
  ASSERT_TRUE(profile.Save());

  PlayerProfile reread(&content);
  ASSERT_EQ(reread.Load(scratch.File("PROFILES/Player.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(reread.name, "PLAYER");
  EXPECT_TRUE(reread.IsOwned(lastCar));
  EXPECT_TRUE(reread.GetVehicleRecord(lastCar)->IsInstalled(12));
  for (size_t i = 0; i + 1 < content.vehicleNames.size(); ++i) EXPECT_FALSE(reread.IsOwned(content.vehicleNames[i]));
}

}  // namespace
