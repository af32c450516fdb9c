// Random upgrade picks for computer cars and the showroom.
#include "vehicle/random_upgrades.h"

namespace vehicle {

bool RuleCoversCategory(UpgradeRule rule, uint32_t category) {
  switch (rule) {
    case UpgradeRule::kFull:
      return category < kUpgradeCategoryCount;
    case UpgradeRule::kCosmetic:
      return category < kUpgradeCategoryCount && category != kCategoryEngine && category != kCategoryFastTurbo &&
             category != kCategoryTransmission && category != kCategoryTires &&
             category != kCategoryLongBurnTurbo;
    case UpgradeRule::kDressed:
      return category == kCategoryColor || category == kCategoryVinyl || category == kCategoryNeon ||
             category == kCategorySpoiler || category == kCategoryScoop;
  }
  return false;
}

void ChooseRandomUpgrades(UpgradeList& list, UpgradeRule rule, const std::function<int()>& random) {
  UpgradeSelection picks;
  auto install = [&picks](const KeyedRecord* upgrade) {
    if (upgrade == nullptr) return;
    picks.SetOwned(upgrade->id, true);
    picks.SetInstalled(upgrade->id, true);
  };
  if (rule == UpgradeRule::kDressed) {
    for (uint32_t category : {kCategoryColor, kCategoryNeon, kCategorySpoiler, kCategoryScoop}) {
      const int count = list.CountInCategory(category);
      if (count > 0) install(list.FindNthInCategory(category, random() % count));
    }
    for (int n = 0; const KeyedRecord* vinyl = list.FindNthInCategory(kCategoryVinyl, n); ++n) install(vinyl);
  } else {
    install(list.FindNthInCategory(kCategoryModel, 0));
    for (uint32_t category = 0; category < kUpgradeCategoryCount; ++category) {
      if (!RuleCoversCategory(rule, category)) continue;
      const int count = list.CountInCategory(category);
      if (count == 0) continue;
      if (random() % 1000 < kCategoryUpgradeChance) install(list.FindNthInCategory(category, random() % count));
    }
  }
  list.ApplySelection(&picks);
}

void ChooseCosmeticUpgrades(UpgradeList& list, const std::function<int()>& random) {
  ChooseRandomUpgrades(list, UpgradeRule::kCosmetic, random);
}

void ChooseDressUpgrades(UpgradeList& list, const std::function<int()>& random) {
  ChooseRandomUpgrades(list, UpgradeRule::kDressed, random);
}

}  // namespace vehicle
