// Tests of the field of a race: grid slots, cars and names of the player and the opponents.
#include "race/racer_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "race/content_database.h"
#include "race/race_definition.h"

namespace {

// A generator that returns the given values in turn, then repeats the last.
std::function<int()> Sequence(std::vector<int> values) {
  auto index = std::make_shared<size_t>(0);
  return [values, index]() {
    const int value = values[std::min(*index, values.size() - 1)];
    ++*index;
    return value;
  };
}

class RacerPlans : public ::testing::Test {
 protected:
  RacerPlans() : content(nullptr, "no_such_manifest.dat") {
    content.vehicleNames = {"Berline", "Coupe", "Roadster"};
    content.vehiclePaths = {"CARS/BERLINE/berline.dat", "CARS/COUPE/coupe.dat", "CARS/ROADSTER/roadster.dat"};
    content.vehicleClasses = {1, 2, 2};
  }
  race::RaceDefinition Definition(uint32_t mode, uint32_t playerStart, uint32_t opponents) {
    race::RaceDefinition definition(0, "Test", "TRACKS/CITY/city.scn", &names, mode, race::kRaceLap, 3,
                                    playerStart, opponents, false);
    definition.classRestriction = race::kClassMixed;
    return definition;
  }
  race::ContentDatabase content;
  std::vector<std::string> names{"Ada", "Bea", "Cleo", "Dora"};
};

TEST_F(RacerPlans, UnnamedOpponentsOfTheClassFillTheGridAroundThePlayer) {
  auto definition = Definition(race::kModeQuick, 1, 3);
  definition.classRestriction = 2;
  const auto field = race::PlanRacers(definition, content, 8, "Me", "CARS/COUPE/coupe.dat", Sequence({0, 1, 5, 3, 2}));
  ASSERT_EQ(field.size(), 4u);
  EXPECT_TRUE(field[0].isPlayer);
  EXPECT_EQ(field[0].slot, 1u);
  EXPECT_EQ(field[0].vehicleFile, "CARS/COUPE/coupe.dat");
  std::vector<size_t> slots;
  for (size_t i = 1; i < field.size(); ++i) {
    EXPECT_FALSE(field[i].isPlayer);
    EXPECT_NE(field[i].vehicleFile, "CARS/BERLINE/berline.dat") << "a car of another class";
    slots.push_back(field[i].slot);
  }
  EXPECT_EQ(slots, (std::vector<size_t>{0, 2, 3}));
}

TEST_F(RacerPlans, ASmallGridIsNeverReadPastAndABadPlayerSlotFallsToZero) {
  auto definition = Definition(race::kModeQuick, 5, 7);
  const auto field = race::PlanRacers(definition, content, 3, "Me", "", Sequence({0}));
  ASSERT_EQ(field.size(), 3u);
  EXPECT_EQ(field[0].slot, 0u);
  for (const auto& racer : field) EXPECT_LT(racer.slot, 3u);
  EXPECT_TRUE(race::PlanRacers(definition, content, 0, "Me", "", Sequence({0})).empty());
  // A race file claiming billions of opponents fills the grid and no more.
  auto crowded = Definition(race::kModeQuick, 0, 0xfffffff0u);
  EXPECT_EQ(race::PlanRacers(crowded, content, 8, "Me", "", Sequence({0})).size(), 8u);
}

TEST_F(RacerPlans, NamedOpponentsKeepTheirSlotsAndThePlayersNamesakeStaysOut) {
  auto definition = Definition(race::kModeCareer, 0, 3);
  definition.AddAiRacer("Rival", "CARS/BERLINE/berline.dat", 1, {4, 5});
  definition.AddAiRacer("ME", "CARS/COUPE/coupe.dat", 2, {});
  definition.AddAiRacer("Late", "CARS/COUPE/coupe.dat", 9, {});
  definition.AddAiRacer("Squatter", "CARS/COUPE/coupe.dat", 0, {});
  const auto field = race::PlanRacers(definition, content, 4, "Me", "", Sequence({0}));
  ASSERT_EQ(field.size(), 2u) << "the player's namesake, a slot past the grid and the player's slot stay out";
  EXPECT_EQ(field[1].name, "Rival");
  EXPECT_EQ(field[1].slot, 1u);
  EXPECT_EQ(field[1].upgrades, (std::vector<uint32_t>{4, 5}));
}

}  // namespace
