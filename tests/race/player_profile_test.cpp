// Tests of the player profile: the binary file round trip, cars the content list no longer names, career tiers and
// fees, damaged and hostile files, and saving through a temporary file.
#include "race/player_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contentgen/race_content.h"
#include "platform/file_system.h"
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

// A car entry with id lists of any length.
void WriteEntry(ProfileFileWriter& file, const std::string& name, bool owned, const Ids& ownedIds,
                const Ids& installedIds) {
  file.Raw32(static_cast<uint32_t>(name.size())).RawBytes(name).RawBytes(std::string(1, owned ? '\1' : '\0'));
  file.Raw32(static_cast<uint32_t>(ownedIds.size())).Raw32(static_cast<uint32_t>(installedIds.size()));
  for (uint32_t id : ownedIds) file.Raw32(id);
  for (uint32_t id : installedIds) file.Raw32(id);
}

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

// Every cut of a valid file, a count the rest of the file cannot hold and a name too long for a profile are
// rejected before anything is allocated for them; counts a car's selection or the profile itself holds fewer of
// read every entry.
TEST_F(PlayerProfiles, CutFilesCountsTheFileCannotHoldAndLongNamesAreRejected) {
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
      {"a byte after the last car", longer, true},
      {"four billion cars", ProfileFileWriter(0, 0, 0xffffffffu).Bytes(), false},
      {"more cars than a profile keeps aside", cars(race::kMaxKeptVehicles + 1), true},
      {"a name of 4 GB", ProfileFileWriter(0, 0, 1).Raw32(0xfffffff0u).Bytes(), false},
      {"the longest name", car(longest, 0, 0, 0), true},
      {"a name too long", car(longest + "x", 0, 0, 0), false},
      {"owned ids the file cannot hold", car("C", 0x40000000u, 0, 0), false},
      {"installed ids the file cannot hold", car("C", 1, 0xffffffffu, 1), false},
      {"the most ids", car("C", most, most, 2 * most), true},
      {"more owned ids than a car's upgrades", car("C", most + 1, 0, most + 1), true},
      {"more installed ids than a car's upgrades", car("C", 0, most + 1, most + 1), true},
  };
  for (const auto& c : cases) EXPECT_EQ(race::ParseProfileFile(c.bytes, data, problem), c.valid) << c.what;
  // What follows the last car is not read.
  ASSERT_TRUE(race::ParseProfileFile(longer, data, problem));
  EXPECT_EQ(race::EncodeProfileFile(data), whole);
}

// Profiles as an older build, an editor or another system leaves them read as they were written: bytes after the
// last car are not read, and a list repeating ids or longer than a car's upgrades is taken as the car's selection
// takes it. None is set aside as damaged. A file past the largest read is refused before it is read and left as
// it is, with no copy made of it.
TEST_F(PlayerProfiles, FilesWithATailOrLongListsLoadWhatTheirEntriesSay) {
  const auto written = [](Ids coupeOwned, Ids coupeInstalled) {
    ProfileFileWriter file(123456, 2, 2);
    WriteEntry(file, "Coupe", true, coupeOwned, coupeInstalled);
    file.Vehicle("Berline", false, {4}, {});
    return file.Bytes();
  };
  const auto plus = [](Bytes bytes, const std::string& tail) {
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  const Bytes exact = written({7, 3, 9}, {9, 3});
  // A block that reads as another profile header counting four billion cars, then filler.
  const std::string garbage =
      std::string("\x40\xe2\x01\x00\x02\x00\x00\x00\xff\xff\xff\xff", 12) + std::string(4084, '\xcd');
  // More distinct ids than a car has upgrades: the first ones are kept, in file order.
  Ids many = {7, 3, 9};
  for (uint32_t id = 1000; many.size() < vehicle::kMaxUpgrades + 20; ++id) many.push_back(id);
  const Ids firstMany(many.begin(), many.begin() + static_cast<std::ptrdiff_t>(vehicle::kMaxUpgrades));
  Ids repeated(3000, 9);
  repeated.push_back(3);
  const struct {
    const char* what;
    Bytes bytes;
    Ids owned, installed;
    size_t size = 0;  // when set, zero bytes after the entries make the file this long
    bool loads = true;
  } cases[] = {
      {"as written", exact, {7, 3, 9}, {9, 3}},
      {"a line end after it", plus(exact, "\r\n"), {7, 3, 9}, {9, 3}},
      {"zero bytes after it", plus(exact, std::string(64, '\0')), {7, 3, 9}, {9, 3}},
      {"an end-of-file mark after it", plus(exact, "\x1a"), {7, 3, 9}, {9, 3}},
      {"a block of garbage after it", plus(exact, garbage), {7, 3, 9}, {9, 3}},
      {"ids listed twice", written({7, 3, 3, 9, 7}, {9, 9, 3}), {7, 3, 9}, {9, 3}},
      {"more ids than a car's upgrades", written(many, repeated), firstMany, {9, 3}},
      {"zero bytes up to the largest file read", exact, {7, 3, 9}, {9, 3}, race::kMaxProfileFileBytes},
      // Past 16 MiB no profile is read: a damaged one must not make the game hold or copy hundreds of megabytes.
      {"zero bytes one past 16 MiB", exact, {}, {}, (size_t{16} << 20) + 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = std::string("PROFILES/Row") + std::to_string(&c - cases) + ".dat";
    scratch.Write(file, std::string(c.bytes.begin(), c.bytes.end()));
    Bytes onDisk = c.bytes;
    if (c.size != 0) {
      std::filesystem::resize_file(scratch.File(file), c.size);  // a sparse tail: cheap to write
      onDisk.resize(c.size, 0);
    }
    PlayerProfile profile(&database);
    const ProfileLoad result = profile.Load(scratch.File(file));
    EXPECT_FALSE(std::filesystem::exists(scratch.File(file + ".bad")));
    if (!c.loads) {
      EXPECT_EQ(result, ProfileLoad::kRejected);
      EXPECT_EQ(profile.money, race::kFreshProfileMoney);
      EXPECT_TRUE(profile.damagedCopy.empty());
      EXPECT_TRUE(profile.fileName.empty()) << "nothing is saved over it";
      Bytes after;
      ASSERT_TRUE(platform::ReadWholeFile(scratch.File(file), after, onDisk.size()));
      EXPECT_TRUE(after == onDisk) << "left as it was";
      continue;
    }
    EXPECT_EQ(result, ProfileLoad::kLoaded);
    EXPECT_EQ(profile.money, 123456);
    EXPECT_EQ(profile.careerProgress, 2u);
    EXPECT_TRUE(profile.IsOwned("Coupe"));
    EXPECT_EQ(profile.GetVehicleRecord("Coupe")->ownedIds, c.owned);
    EXPECT_EQ(profile.GetVehicleRecord("Coupe")->installedIds, c.installed);
    EXPECT_FALSE(profile.IsOwned("Berline"));
    EXPECT_EQ(profile.GetVehicleRecord("Berline")->ownedIds, (Ids{4}));
    EXPECT_TRUE(profile.damagedCopy.empty());
    EXPECT_EQ(profile.fileName, scratch.File(file)) << "the player's own file is saved back";
  }
}

// A content list may name more cars than the profile keeps aside for other lists, and cars kept aside with all
// their upgrades make a file of megabytes: every car of the list is read, and cars of other lists are kept up to
// kMaxKeptVehicles, their lists held as a selection holds them.
TEST_F(PlayerProfiles, EveryCarOfALongContentListIsReadAndOtherListsCarsAreKeptUpToALimit) {
  const uint32_t listed = static_cast<uint32_t>(race::kMaxKeptVehicles) + 100;
  const uint32_t others = static_cast<uint32_t>(race::kMaxKeptVehicles) + 5;
  constexpr uint32_t kFullyUpgraded = 600;  // other cars with every upgrade bought and fitted: about 5 MB
  Ids every;
  for (uint32_t id = 0; id < vehicle::kMaxUpgrades; ++id) every.push_back(id);
  database.vehicleNames.clear();
  database.vehiclePaths.clear();
  database.vehicleClasses.clear();
  ProfileFileWriter file(42, 1, listed + others);
  for (uint32_t i = 0; i < listed; ++i) {
    database.vehicleNames.push_back("Car" + std::to_string(i));
    database.vehiclePaths.push_back("car.dat");
    database.vehicleClasses.push_back(1);
    file.Vehicle("Car" + std::to_string(i), i + 1 == listed, {i}, {i});
  }
  for (uint32_t i = 0; i < others; ++i) {
    const bool full = i < kFullyUpgraded;
    WriteEntry(file, "Other" + std::to_string(i), true, full ? every : Ids{i, i}, full ? every : Ids{});
  }
  ASSERT_GT(file.Bytes().size(), size_t{4} << 20);
  ASSERT_TRUE(file.Save(scratch.File("PROFILES/Many.dat")));

  PlayerProfile profile(&database);
  ASSERT_EQ(profile.Load(scratch.File("PROFILES/Many.dat")), ProfileLoad::kLoaded);
  EXPECT_EQ(profile.money, 42);
  const std::string last = "Car" + std::to_string(listed - 1);
  EXPECT_TRUE(profile.IsOwned(last));
  EXPECT_EQ(profile.GetVehicleRecord(last)->installedIds, (Ids{listed - 1}));
  ASSERT_EQ(profile.otherVehicles.size(), race::kMaxKeptVehicles);
  EXPECT_EQ(profile.otherVehicles.front().installedIds, every);
  EXPECT_EQ(profile.otherVehicles.back().vehicleName, "Other" + std::to_string(race::kMaxKeptVehicles - 1));
  const uint32_t lastKept = static_cast<uint32_t>(race::kMaxKeptVehicles) - 1;
  EXPECT_EQ(profile.otherVehicles.back().ownedIds, (Ids{lastKept})) << "an id listed twice";
  // What the game writes back it reads again.
  ASSERT_TRUE(profile.Save());
  PlayerProfile reread(&database);
  ASSERT_EQ(reread.Load(scratch.File("PROFILES/Many.dat")), ProfileLoad::kLoaded);
  EXPECT_TRUE(reread.IsOwned(last));
  EXPECT_EQ(reread.otherVehicles.size(), race::kMaxKeptVehicles);
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
