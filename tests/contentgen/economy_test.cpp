// The career's money path through the generated game folder: a fresh profile buys the cheapest class C car,
// wins the career races in the order the career screen lists them (entry fees paid, winnings paid by the
// results screen), buys an engine upgrade, and can then afford a class B car.
#include <algorithm>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "app/data_file.h"
#include "contentgen/vehicle_content.h"
#include "frontend/frontend_test_support.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "race/race_result.h"
#include "screens/results_screen.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace {

class CareerEconomy : public frontend_test::FrontEndTest {
 protected:
  const std::string game_ = std::string(CORSAIRE_GAME_DIR) + "/";

  // The car as the garage sees it: its definition loaded from the game folder.
  std::unique_ptr<vehicle::Vehicle> LoadCar(const race::ContentDatabase& content, int index) {
    std::string path = content.vehiclePaths[static_cast<size_t>(index)];
    std::replace(path.begin(), path.end(), '\\', '/');
    auto car = std::make_unique<vehicle::Vehicle>(nullptr, nullptr, "Player", true);
    car->LoadDefinition(game_ + path, nullptr, nullptr, 0, false);
    return car;
  }

  // The cheapest car of a class and its price.
  int CheapestOfClass(const race::ContentDatabase& content, uint32_t carClass, int& price) {
    int best = -1;
    price = std::numeric_limits<int>::max();
    for (int i = 0; i < content.VehicleCount(); ++i) {
      if (content.vehicleClasses[static_cast<size_t>(i)] != carClass) continue;
      const int cost = LoadCar(content, i)->cost;
      if (cost < price) best = i, price = cost;
    }
    return best;
  }
};

TEST_F(CareerEconomy, AWinningPlayerBuysTheStarterAnUpgradeAndThenAClassBCar) {
  race::ContentDatabase content(settings_.get(), "");
  content.LoadFrom(app::DataFile(game_ + "manifest.dat"), game_, game_);
  ASSERT_GT(content.VehicleCount(), 0) << "no game folder at " << game_;
  ASSERT_NE(content.careerRaces, nullptr);
  race::PlayerProfile profile(&content);
  ASSERT_EQ(profile.money, race::kFreshProfileMoney);

  // The garage sells a car when the money covers its price.
  int starterPrice = 0;
  const int starter = CheapestOfClass(content, race::kClassC, starterPrice);
  ASSERT_GE(starter, 0);
  ASSERT_LE(starterPrice, profile.money) << "a fresh profile cannot buy any class C car";
  profile.money -= starterPrice;
  const std::string starterName = content.vehicleNames[static_cast<size_t>(starter)];
  profile.SetOwned(starterName);

  // The upgrade the player saves for: the starter's engine.
  auto starterCar = LoadCar(content, starter);
  const vehicle::KeyedRecord* engine = starterCar->upgrades->NthPurchaseableInCategory(vehicle::kCategoryEngine, 0);
  ASSERT_NE(engine, nullptr) << "the starter has no engine upgrade to buy";
  int classBPrice = 0;
  ASSERT_GE(CheapestOfClass(content, race::kClassB, classBPrice), 0);

  frontend::ScreenServices services = Services();
  services.contentDatabase = &content;
  services.profile = &profile;
  screens::RaceResultsScreen results(services);
  results.Init(device_);

  bool upgraded = false, boughtClassB = false;
  int racesWon = 0;
  for (uint32_t tier = race::kClassOpen; tier <= race::kClassA && !boughtClassB; ++tier) {
    for (int n = 0; n < race::RaceDefinition::CountByClass(content.careerRaces.get(), tier) && !boughtClassB; ++n) {
      const race::RaceDefinition* race = race::RaceDefinition::NthByClass(content.careerRaces.get(), tier, n);
      SCOPED_TRACE(race->name + " with $" + std::to_string(profile.money));
      ASSERT_FALSE(profile.IsRaceLocked(*race)) << "winning the races before it did not unlock it";
      ASSERT_TRUE(profile.PayEntryFee(*race)) << "the winnings so far do not cover the entry fee";
      const race::RaceResult won(1, 0, 100.0f, {}, {}, race);
      results.OnEnter();
      results.SetRaceResults(&won);
      ++racesWon;
      if (!upgraded && profile.money >= engine->cost) {
        profile.money -= engine->cost;
        profile.GetVehicleRecord(starterName)->SetOwned(engine->id, true);
        profile.GetVehicleRecord(starterName)->SetInstalled(engine->id, true);
        upgraded = true;
      }
      if (upgraded && profile.money >= classBPrice) {
        profile.money -= classBPrice;
        boughtClassB = true;
      }
    }
  }
  EXPECT_TRUE(upgraded) << "the career never paid for the engine upgrade";
  EXPECT_TRUE(boughtClassB) << "after " << racesWon << " wins the player still cannot afford a class B car";
  EXPECT_GE(profile.careerProgress, static_cast<uint32_t>(race::kClassC)) << "wins never opened the next tier";
}

}  // namespace
