// Tests of race lists: the fields of a race, keywords, start slots, prizes, fixed racers, picking by class and the
// sample career's tiers.
#include "race/race_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/data_file.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/race_content.h"
#include "race_test_support.h"

namespace {

using contentgen::DataFileWriter;
using race::RaceDefinition;
using race::RaceList;
using Ids = std::vector<uint32_t>;
using Children = std::vector<std::pair<std::string, std::vector<std::string>>>;

class RaceLists : public ::testing::Test {
 protected:
  // A list read from text, with the clock at `milliseconds`.
  RaceList& Read(const std::string& text, int64_t milliseconds = 1234) {
    clock.ticks = milliseconds * 1000;
    list = std::make_unique<RaceList>(nullptr, &names, scratch.File("missing.dat"), &clock);
    list->ReadFrom(app::DataFile::FromText(text));
    return *list;
  }
  const RaceDefinition& Race(const Children& children) { return *Read(OneRace(children)).At(0); }
  static std::string OneRace(const Children& children) {
    DataFileWriter writer;
    writer.BeginBlock("RACE");
    for (const auto& [name, values] : children) writer.Record(name, values);
    return writer.EndBlock("RACE").Text();
  }

  race_test::ScratchFolder scratch{"corsaire_racelist"};
  race_test::ManualClock clock;
  std::vector<std::string> names = {"Marcel", "Odile"};
  std::unique_ptr<RaceList> list;
};

TEST_F(RaceLists, KeywordsMatchInAnyCaseAndUnknownWordsKeepTheDefaults) {
  // Only the first child of a single-valued name counts.
  const RaceDefinition& race = Race({{"CLASS_RESTRICTION", {"b"}}, {"LAPS", {" 7"}}, {"TYPE", {"knockout"}},
                                     {"TYPE", {"LAP"}}, {"MODE", {"Career"}}, {"REVERSE", {"2"}}});
  EXPECT_EQ(race.classRestriction, race::kClassB);
  EXPECT_EQ(race.laps, 7);
  EXPECT_EQ(race.type, race::kRaceKnockout);
  EXPECT_EQ(race.mode, race::kModeCareer);
  EXPECT_TRUE(race.reverse);
  const RaceDefinition& unknown = Race({{"TYPE", {"DRAG"}}, {"MODE", {"ARCADE"}}, {"CLASS_RESTRICTION", {"S"}}});
  EXPECT_EQ(unknown.type, race::kRaceLap);
  EXPECT_EQ(unknown.mode, race::kModeQuick);
  EXPECT_EQ(unknown.classRestriction, race::kClassMixed);
}

TEST_F(RaceLists, StartSlotCountsFromOneAndFallsBackToTheFirstSlot) {
  const struct {
    const char *opponents, *start;
    uint32_t slot, count;
  } cases[] = {{"4", "1", 0, 4}, {"4", "3", 2, 4}, {"3", "4", 3, 3}, {"3", "5", 0, 3},
               {"4", "0", 0, 4}, {"4", "-6", 0, 4}, {"4", "text", 0, 4}, {"-3", "2", 0, 0}};
  for (const auto& c : cases) {
    const RaceDefinition& race = Race({{"OPPONENTS", {c.opponents}}, {"PLAYER_START", {c.start}}});
    EXPECT_EQ(race.playerStart, c.slot) << c.opponents << " " << c.start;
    EXPECT_EQ(race.opponents, c.count) << c.opponents;
  }
  // Drawn start slots stay among the opponents', and the same millisecond draws the same grid.
  DataFileWriter writer;
  for (double opponents : {5, 0, 7, 2}) writer.BeginBlock("RACE").Record("OPPONENTS", {opponents}).EndBlock("RACE");
  const auto slots = [&] {
    std::vector<uint32_t> drawn;
    for (const auto& race : Read(writer.Text(), 987654).races) drawn.push_back(race->playerStart);
    return drawn;
  };
  const std::vector<uint32_t> first = slots();
  EXPECT_TRUE(first[0] < 5 && first[1] == 0 && first[2] < 7 && first[3] < 2);
  EXPECT_EQ(slots(), first);
}

TEST_F(RaceLists, RewardsTargetTimesAndFixedRacersKeepToTheirTables) {
  const RaceDefinition& race =
      Race({{"REWARD", {"1", "1000"}},   {"REWARD", {"0", "50"}},      {"REWARD", {"10", "5"}},
            {"REWARD", {"11", "9999"}},  {"REWARD", {"-1", "9999"}},   {"REWARD", {"1", "600"}},
            {"REWARD", {"3"}},           {"TARGET_TIME", {"3", "140"}}, {"TARGET_TIME", {"4", "999"}},
            {"PLAYER", {"CARS\\COUPE\\coupe.dat", "4", "9"}}, {"PLAYER", {"CARS\\OTHER\\other.dat"}},
            {"AI", {"Bruno", "2", "CARS\\PICKUP\\pickup.dat", "3", "7"}}, {"AI", {"Lucie", "1", "berline.dat"}},
            {"AI", {"Half", "3"}}});
  EXPECT_EQ(race.rewards[0], 50);
  EXPECT_EQ(race.RewardForPlace(1), 600) << "the later child wins";
  EXPECT_EQ(race.rewards[3], 0) << "a child without an amount is ignored";
  EXPECT_EQ(race.RewardForPlace(10), 5);
  EXPECT_EQ(race.RewardForPlace(11), 0);
  EXPECT_EQ(race.RewardForPlace(UINT32_MAX), 0);
  EXPECT_EQ(race.targetTimes, (std::array<int32_t, 4>{0, 0, 0, 140}));
  EXPECT_EQ(race.playerVehicle, "CARS\\COUPE\\coupe.dat");
  EXPECT_EQ(race.playerUpgrades, (Ids{4, 9}));
  // The opponent without a car is left out; the tables stay parallel.
  EXPECT_EQ(race.aiRacerNames, (std::vector<std::string>{"Bruno", "Lucie"}));
  EXPECT_EQ(race.aiStartPositions, (Ids{1, 0}));
  EXPECT_EQ(race.aiVehicles, (std::vector<std::string>{"CARS\\PICKUP\\pickup.dat", "berline.dat"}));
  EXPECT_EQ(race.aiUpgrades, (std::vector<Ids>{{3, 7}, {}}));
  EXPECT_FALSE(Race({{"PLAYER", {}}}).hasPlayerEntry);
}

TEST_F(RaceLists, RacesAreNumberedInFileOrderPickedByClassAndReplacedByTheNextRead) {
  DataFileWriter writer;
  writer.Record("NAME", {"not a race"});
  for (const char* carClass : {"C", "B", "B"}) {
    writer.BeginBlock("RACE").Record("CLASS_RESTRICTION", {carClass}).EndBlock("RACE");
  }
  RaceList& races = Read(writer.Text());
  ASSERT_EQ(races.Count(), 3);
  EXPECT_EQ(races.At(3), nullptr);
  EXPECT_EQ(RaceDefinition::CountByClass(&races, race::kClassB), 2);
  EXPECT_EQ(RaceDefinition::NthByClass(&races, race::kClassB, 1), races.At(2));
  for (int n : {2, -1}) EXPECT_EQ(races.NthByClass(race::kClassB, n), nullptr) << n;
  EXPECT_EQ(races.NthByClass(race::kClassA, 0), nullptr);
  EXPECT_EQ(RaceDefinition::NthByClass(nullptr, race::kClassB, 0), nullptr) << "a list the content does not have";

  races.Read(scratch.File("nowhere.dat"));
  EXPECT_EQ(races.Count(), 0);
  scratch.Write("RACES/list.dat", OneRace({{"NAME", {"A"}}}) + OneRace({{"NAME", {"B"}}}));
  races.Read(scratch.File("RACES/list.dat"));
  ASSERT_EQ(races.Count(), 2);
  EXPECT_EQ(races.At(1)->name, "B");
}

TEST_F(RaceLists, SampleCareerUnlocksTierByTierWithRisingFeesAndPrizesAboveThem) {
  const RaceList& career = Read(contentgen::CareerText());
  int32_t previousTopFee = 0;
  for (uint32_t tier = race::kClassOpen; tier <= race::kClassA; ++tier) {
    ASSERT_GT(career.CountByClass(tier), 0) << tier;
    int32_t lowest = INT32_MAX, highest = 0;
    for (int n = 0; n < career.CountByClass(tier); ++n) {
      const RaceDefinition& race = *career.NthByClass(tier, n);
      EXPECT_EQ(race.mode, race::kModeCareer);
      EXPECT_GE(race.rewards[1], race.rewards[2]) << race.name;
      EXPECT_GT(race.rewards[1], race.entryFee) << race.name;
      lowest = std::min(lowest, race.entryFee);
      highest = std::max(highest, race.entryFee);
    }
    EXPECT_GE(lowest, previousTopFee) << tier;
    previousTopFee = highest;
  }
  std::vector<bool> typesSeen(race::kRaceTypeCount, false);
  for (const auto& race : career.races) typesSeen[race->type] = true;
  EXPECT_EQ(typesSeen, std::vector<bool>(race::kRaceTypeCount, true)) << "the career uses every race type";
}

}  // namespace
