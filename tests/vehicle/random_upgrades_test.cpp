// Tests of the random upgrade rules for computer cars: the full rule keeps the first model, the cosmetic rule
// leaves performance parts alone, the dressed rule dresses the body only, and the chance gate works.
#include "vehicle/random_upgrades.h"

#include <gtest/gtest.h>

#include <string>

namespace vehicle {
namespace {

std::string Upgrade(int id, const char* category) {
  return "[UPGRADE]\n<ID>," + std::to_string(id) + "\n<CATEGORY>," + category + "\n[/UPGRADE]\n";
}

UpgradeList Catalogue() {
  UpgradeList list;
  list.LoadFromText(Upgrade(1, "Model") + Upgrade(2, "Model") + Upgrade(10, "Color") + Upgrade(11, "Color") +
                    Upgrade(20, "Vinyl Graphics") + Upgrade(21, "Vinyl Graphics") + Upgrade(30, "Neon") +
                    Upgrade(40, "Spoiler") + Upgrade(50, "Scoop") + Upgrade(60, "Rims") + Upgrade(90, "Engine") +
                    Upgrade(120, "Tires and Suspension") + Upgrade(130, "Braking"));
  return list;
}

bool Installed(const UpgradeList& list, uint32_t id) {
  const KeyedRecord* upgrade = list.FindById(id);
  return upgrade != nullptr && upgrade->installed;
}

TEST(RandomUpgrades, FullRuleKeepsTheFirstModelAndFillsCategoriesThatPassTheChance) {
  UpgradeList lucky = Catalogue();
  ChooseRandomUpgrades(lucky, UpgradeRule::kFull, [] { return 0; });
  for (uint32_t id : {1u, 10u, 20u, 30u, 40u, 50u, 60u, 90u, 120u, 130u}) EXPECT_TRUE(Installed(lucky, id)) << id;
  EXPECT_FALSE(Installed(lucky, 11));
  EXPECT_TRUE(lucky.FindById(10)->owned);

  UpgradeList unlucky = Catalogue();
  ChooseRandomUpgrades(unlucky, UpgradeRule::kFull, [] { return 999; });  // 999 % 1000 fails every chance
  EXPECT_TRUE(Installed(unlucky, 1)) << "the first model is always installed";
  for (uint32_t id : {2u, 10u, 30u, 90u}) EXPECT_FALSE(Installed(unlucky, id)) << id;

  // The chance is rand() % 1000 < 800: 799 passes, 800 does not; the pick is rand() % count.
  UpgradeList edge = Catalogue();
  int calls = 0;
  ChooseRandomUpgrades(edge, UpgradeRule::kFull, [&calls] { return ++calls % 2 == 1 ? 799 : 1; });
  EXPECT_TRUE(Installed(edge, 2)) << "the second model picked by 1 % 2";
  EXPECT_TRUE(Installed(edge, 11));
}

TEST(RandomUpgrades, CosmeticRuleLeavesPerformanceCategoriesAlone) {
  UpgradeList list = Catalogue();
  ChooseRandomUpgrades(list, UpgradeRule::kCosmetic, [] { return 0; });
  for (uint32_t id : {1u, 10u, 130u}) EXPECT_TRUE(Installed(list, id)) << id;  // braking counts as cosmetic
  for (uint32_t id : {90u, 120u}) EXPECT_FALSE(Installed(list, id)) << id;
}

TEST(RandomUpgrades, DressedRuleDressesTheBodyOnly) {
  UpgradeList list = Catalogue();
  for (auto& upgrade : list.Upgrades()) upgrade->installed = upgrade->id == 90;  // replaced by the picks
  ChooseRandomUpgrades(list, UpgradeRule::kDressed, [] { return 1; });
  // 1 % 2 picks the second colour; every vinyl.
  for (uint32_t id : {11u, 20u, 21u, 30u, 40u, 50u}) EXPECT_TRUE(Installed(list, id)) << id;
  for (uint32_t id : {1u, 60u, 90u, 130u}) EXPECT_FALSE(Installed(list, id)) << id;
}

}  // namespace
}  // namespace vehicle
