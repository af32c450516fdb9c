// Tests of race lists: defaults, keyword look-ups, start slots, prizes, fixed racers, picking by class.
#include "race/race_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/data_file.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/race_content.h"
#include "platform/os.h"
#include "race_test_support.h"

namespace {

using contentgen::DataFileWriter;
using race::RaceDefinition;
using race::RaceList;
using Ids = std::vector<uint32_t>;

class RaceLists : public ::testing::Test {
 protected:
  // A list read from text, with the clock at `milliseconds`.
  RaceList& Read(const std::string& text, int64_t milliseconds = 1234) {
    clock.ticks = milliseconds * 1000;
    list = std::make_unique<RaceList>(nullptr, &names, scratch.File("missing.dat"), &clock);
    list->ReadFrom(app::DataFile::FromText(text));
    return *list;
  }
  // The start slots the list drew for its races, in order.
  static std::vector<uint32_t> StartSlots(const RaceList& races) {
    std::vector<uint32_t> slots;
    for (const auto& race : races.races) slots.push_back(race->playerStart);
    return slots;
  }

  race_test::ScratchFolder scratch{"corsaire_racelist"};
  race_test::ManualClock clock;
  std::vector<std::string> names = {"Marcel", "Odile"};
  std::unique_ptr<RaceList> list;
};

std::string OneRace(const std::vector<std::pair<std::string, std::vector<std::string>>>& children) {
  DataFileWriter writer;
  writer.BeginBlock("RACE");
  for (const auto& [name, values] : children) writer.Record(name, values);
  writer.EndBlock("RACE");
  return writer.Text();
}

TEST_F(RaceLists, RecordWithOnlyANameTakesTheDefaults) {
  const RaceList& races = Read(OneRace({{"NAME", {"Harbour Run"}}}));
  ASSERT_EQ(races.Count(), 1);
  const RaceDefinition& race = *races.At(0);
  EXPECT_EQ(race.name, "Harbour Run");
  EXPECT_EQ(race.path, "");
  EXPECT_EQ(race.laps, 3);
  EXPECT_EQ(race.opponents, 4u);
  EXPECT_EQ(race.type, race::kRaceLap);
  EXPECT_EQ(race.mode, race::kModeQuick);
  EXPECT_EQ(race.classRestriction, race::kClassMixed);
  EXPECT_EQ(race.entryFee, 0);
  EXPECT_EQ(race.flags, 2u);
  EXPECT_EQ(race.aiDifficulty, 2);
  EXPECT_FALSE(race.reverse);
  EXPECT_FALSE(race.hasPlayerEntry);
  EXPECT_LT(race.playerStart, 4u);
  EXPECT_EQ(race.aiNameList, &names);
  EXPECT_TRUE(race.aiRacerNames.empty());
  for (int32_t reward : race.rewards) EXPECT_EQ(reward, 0);
  for (int32_t time : race.targetTimes) EXPECT_EQ(time, 0);

  const RaceList& unnamed = Read(OneRace({{"LAPS", {"5"}}}));
  EXPECT_EQ(unnamed.At(0)->name, "Unknown");
  EXPECT_EQ(unnamed.At(0)->laps, 5);
}

TEST_F(RaceLists, ReadsEveryFieldOfARace) {
  const RaceList& races = Read(OneRace({{"NAME", {"Docks"}},
                                        {"PATH", {"TRACKS\\DOCKS\\docks.SCN"}},
                                        {"REVERSE", {"2"}},
                                        {"OPPONENTS", {"6"}},
                                        {"CLASS_RESTRICTION", {"B"}},
                                        {"LAPS", {" 7"}},
                                        {"ENTRY_FEE", {"1500"}},
                                        {"TYPE", {"KNOCKOUT"}},
                                        {"MODE", {"CAREER"}}}));
  const RaceDefinition& race = *races.At(0);
  EXPECT_EQ(race.path, "TRACKS\\DOCKS\\docks.SCN");
  EXPECT_TRUE(race.reverse);
  EXPECT_EQ(race.opponents, 6u);
  EXPECT_LT(race.playerStart, 6u);
  EXPECT_EQ(race.classRestriction, race::kClassB);
  EXPECT_EQ(race.laps, 7);
  EXPECT_EQ(race.entryFee, 1500);
  EXPECT_EQ(race.type, race::kRaceKnockout);
  EXPECT_EQ(race.mode, race::kModeCareer);
}

TEST_F(RaceLists, KeywordsMatchInAnyCaseAndUnknownWordsKeepTheDefault) {
  const char* types[] = {"LAP", "knockout", "TimeTrial", "CHICKEN"};
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Read(OneRace({{"TYPE", {types[i]}}})).At(0)->type, i) << types[i];
  }
  const char* modes[] = {"instant", "QUICK", "Career", "CONTEST"};
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(Read(OneRace({{"MODE", {modes[i]}}})).At(0)->mode, i) << modes[i];
  }
  const char* classes[] = {"open", "c", "B", "a", "Mixed"};
  for (uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(Read(OneRace({{"CLASS_RESTRICTION", {classes[i]}}})).At(0)->classRestriction, i) << classes[i];
  }
  const RaceDefinition& unknown =
      *Read(OneRace({{"TYPE", {"DRAG"}}, {"MODE", {"ARCADE"}}, {"CLASS_RESTRICTION", {"S"}}})).At(0);
  EXPECT_EQ(unknown.type, race::kRaceLap);
  EXPECT_EQ(unknown.mode, race::kModeQuick);
  EXPECT_EQ(unknown.classRestriction, race::kClassMixed);
  // Only the first child of a single-valued name counts.
  EXPECT_EQ(Read(OneRace({{"TYPE", {"CHICKEN"}}, {"TYPE", {"LAP"}}})).At(0)->type, race::kRaceChicken);
}

TEST_F(RaceLists, StartSlotCountsFromOneAndFallsBackToTheFirstSlot) {
  auto slotFor = [&](const std::string& opponents, const std::string& start) {
    return Read(OneRace({{"OPPONENTS", {opponents}}, {"PLAYER_START", {start}}})).At(0)->playerStart;
  };
  EXPECT_EQ(slotFor("4", "1"), 0u);
  EXPECT_EQ(slotFor("4", "3"), 2u);
  EXPECT_EQ(slotFor("3", "4"), 3u);
  EXPECT_EQ(slotFor("3", "5"), 0u);
  EXPECT_EQ(slotFor("4", "0"), 0u);
  EXPECT_EQ(slotFor("4", "-6"), 0u);
  EXPECT_EQ(slotFor("4", "text"), 0u);
}

TEST_F(RaceLists, DefaultStartSlotsAreDrawnFromTheClockSeededGenerator) {
  DataFileWriter writer;
  writer.BeginBlock("RACE").Record("OPPONENTS", {5}).EndBlock("RACE");
  writer.BeginBlock("RACE").Record("OPPONENTS", {0}).EndBlock("RACE");  // draws nothing
  writer.BeginBlock("RACE").EndBlock("RACE");                            // four opponents by default
  writer.BeginBlock("RACE").Record("OPPONENTS", {7}).EndBlock("RACE");

  const std::vector<uint32_t> first = StartSlots(Read(writer.Text(), 987654));
  platform::CrtSeed(987654);
  const uint32_t a = static_cast<uint32_t>(platform::CrtRand());
  const uint32_t b = static_cast<uint32_t>(platform::CrtRand());
  const uint32_t c = static_cast<uint32_t>(platform::CrtRand());
  EXPECT_EQ(first, (std::vector<uint32_t>{a % 5, 0, b % 4, c % 7}));

  // The same millisecond gives the same grid, whatever was drawn in between.
  platform::CrtRand();
  EXPECT_EQ(StartSlots(Read(writer.Text(), 987654)), first);
}

TEST_F(RaceLists, NegativeOpponentCountMeansNoOpponents) {
  const RaceDefinition& race = *Read(OneRace({{"OPPONENTS", {"-3"}}, {"PLAYER_START", {"2"}}})).At(0);
  EXPECT_EQ(race.opponents, 0u);
  EXPECT_EQ(race.playerStart, 0u);
}

TEST_F(RaceLists, RewardsAndTargetTimesFillTheirSlotsInRange) {
  const RaceDefinition& race = *Read(OneRace({{"REWARD", {"1", "1000"}},
                                              {"REWARD", {"2", "500"}},
                                              {"REWARD", {"0", "50"}},
                                              {"REWARD", {"10", "5"}},
                                              {"REWARD", {"11", "9999"}},
                                              {"REWARD", {"-1", "9999"}},
                                              {"REWARD", {"2", "600"}},
                                              {"REWARD", {"3"}},
                                              {"TARGET_TIME", {"0", "95"}},
                                              {"TARGET_TIME", {"3", "140"}},
                                              {"TARGET_TIME", {"4", "999"}}}))
                                   .At(0);
  EXPECT_EQ(race.rewards[0], 50);
  EXPECT_EQ(race.rewards[1], 1000);
  EXPECT_EQ(race.rewards[2], 600);  // the later child wins
  EXPECT_EQ(race.rewards[3], 0);    // a child without an amount is ignored
  EXPECT_EQ(race.rewards[10], 5);
  EXPECT_EQ(race.targetTimes[0], 95);
  EXPECT_EQ(race.targetTimes[1], 0);
  EXPECT_EQ(race.targetTimes[3], 140);
  EXPECT_EQ(race.RewardForPlace(1), 1000);
  EXPECT_EQ(race.RewardForPlace(10), 5);
  EXPECT_EQ(race.RewardForPlace(11), 0);
  EXPECT_EQ(race.RewardForPlace(UINT32_MAX), 0);
}

TEST_F(RaceLists, FixedPlayerCarAndOpponents) {
  const RaceDefinition& race = *Read(OneRace({{"PLAYER", {"CARS\\COUPE\\coupe.dat", "4", "9"}},
                                              {"PLAYER", {"CARS\\OTHER\\other.dat"}},
                                              {"AI", {"Bruno", "2", "CARS\\PICKUP\\pickup.dat", "3", "7"}},
                                              {"AI", {"Lucie", "1", "CARS\\BERLINE\\berline.dat"}},
                                              {"AI", {"Half", "3"}}}))
                                   .At(0);
  EXPECT_TRUE(race.hasPlayerEntry);
  EXPECT_EQ(race.playerVehicle, "CARS\\COUPE\\coupe.dat");
  EXPECT_EQ(race.playerUpgrades, (Ids{4, 9}));
  // The opponent without a car is left out; the vectors stay parallel.
  EXPECT_EQ(race.aiRacerNames, (std::vector<std::string>{"Bruno", "Lucie"}));
  EXPECT_EQ(race.aiStartPositions, (Ids{1, 0}));
  EXPECT_EQ(race.aiVehicles, (std::vector<std::string>{"CARS\\PICKUP\\pickup.dat", "CARS\\BERLINE\\berline.dat"}));
  EXPECT_EQ(race.aiUpgrades, (std::vector<Ids>{{3, 7}, {}}));

  EXPECT_FALSE(Read(OneRace({{"PLAYER", {}}})).At(0)->hasPlayerEntry);
}

TEST_F(RaceLists, RacesAreNumberedInFileOrderAndPickedByClass) {
  DataFileWriter writer;
  writer.Record("NAME", {"not a race"});
  for (const char* carClass : {"C", "B", "B"}) {
    writer.BeginBlock("RACE").Record("CLASS_RESTRICTION", {carClass}).EndBlock("RACE");
  }
  const RaceList& races = Read(writer.Text());
  ASSERT_EQ(races.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(races.At(i)->index, static_cast<uint32_t>(i));
  EXPECT_EQ(races.CountByClass(race::kClassB), 2);
  EXPECT_EQ(races.CountByClass(race::kClassA), 0);
  EXPECT_EQ(races.NthByClass(race::kClassB, 0), races.At(1));
  EXPECT_EQ(races.NthByClass(race::kClassB, 1), races.At(2));
  EXPECT_EQ(races.NthByClass(race::kClassB, 2), nullptr);
  EXPECT_EQ(races.NthByClass(race::kClassB, -1), nullptr);
  EXPECT_EQ(races.NthByClass(race::kClassA, 0), nullptr);
  EXPECT_EQ(races.At(3), nullptr);
  // The screens' spelling, which also copes with a list the content does not have.
  EXPECT_EQ(RaceDefinition::CountByClass(&races, race::kClassB), 2);
  EXPECT_EQ(RaceDefinition::NthByClass(&races, race::kClassB, 1), races.At(2));
  EXPECT_EQ(RaceDefinition::CountByClass(nullptr, race::kClassB), 0);
  EXPECT_EQ(RaceDefinition::NthByClass(nullptr, race::kClassB, 0), nullptr);
}

TEST_F(RaceLists, ReadingReplacesTheListAndAMissingFileLeavesItEmpty) {
  RaceList& races = Read(OneRace({{"NAME", {"One"}}}));
  ASSERT_EQ(races.Count(), 1);
  races.Read(scratch.File("nowhere.dat"));
  EXPECT_EQ(races.Count(), 0);
  EXPECT_EQ(races.CountByClass(race::kClassMixed), 0);
  EXPECT_EQ(races.NthByClass(race::kClassMixed, 0), nullptr);

  scratch.Write("RACES/list.dat", OneRace({{"NAME", {"A"}}}) + OneRace({{"NAME", {"B"}}}));
  races.Read(scratch.File("RACES/list.dat"));
  ASSERT_EQ(races.Count(), 2);
  EXPECT_EQ(races.At(1)->name, "B");
}

TEST_F(RaceLists, SampleCareerUnlocksTierByTierWithFeesAndPrizes) {
  const RaceList& career = Read(contentgen::CareerText());
  // Every career tier (OPEN, C, B, A) has races; entry fees never fall from one tier to the next.
  int32_t previousTopFee = 0;
  for (uint32_t tier = race::kClassOpen; tier <= race::kClassA; ++tier) {
    ASSERT_GT(career.CountByClass(tier), 0) << tier;
    int32_t lowest = INT32_MAX;
    int32_t highest = 0;
    for (int n = 0; n < career.CountByClass(tier); ++n) {
      const RaceDefinition& race = *career.NthByClass(tier, n);
      EXPECT_EQ(race.mode, race::kModeCareer);
      EXPECT_GT(race.rewards[1], 0) << race.name;
      EXPECT_GE(race.rewards[1], race.rewards[2]) << race.name;
      EXPECT_GT(race.rewards[1], race.entryFee) << race.name;
      lowest = std::min(lowest, race.entryFee);
      highest = std::max(highest, race.entryFee);
    }
    EXPECT_GE(lowest, previousTopFee) << tier;
    previousTopFee = highest;
  }
  // The career uses every race type.
  std::vector<bool> typesSeen(race::kRaceTypeCount, false);
  for (const auto& race : career.races) typesSeen[race->type] = true;
  EXPECT_EQ(typesSeen, std::vector<bool>(race::kRaceTypeCount, true));
}

TEST_F(RaceLists, SampleDemoFixesEveryCar) {
  const RaceDefinition& demo = *Read(contentgen::DemoText()).At(0);
  EXPECT_TRUE(demo.hasPlayerEntry);
  EXPECT_EQ(demo.playerStart, 0u);
  EXPECT_EQ(demo.aiVehicles.size(), demo.opponents);
  EXPECT_EQ(demo.aiStartPositions, (Ids{1, 2, 3}));
}

}  // namespace
