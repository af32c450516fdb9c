// Upgrades a computer car is dressed in: the full rule (a model and, likely, something from every category),
// the cosmetic rule (the same without the performance categories) and the showroom's dressed rule.
#pragma once

#include <functional>

#include "vehicle/upgrades.h"

namespace vehicle {

enum class UpgradeRule { kFull, kCosmetic, kDressed };

// Chance, in 1000, that a category gets an upgrade under the full and cosmetic rules.
constexpr int kCategoryUpgradeChance = 800;

// Whether the rule may pick from the category at all (the cosmetic rule skips Engine, Fast Turbo,
// Transmission, Tires and Suspension and Long Burn Turbo).
bool RuleCoversCategory(UpgradeRule rule, uint32_t category);

// Installs the rule's picks: each pick is owned and installed in a temporary selection, which is then applied
// to the list (so anything installed before is replaced). random: the game's generator (0..32767).
void ChooseRandomUpgrades(UpgradeList& list, UpgradeRule rule, const std::function<int()>& random);
// The cosmetic rule: what a computer car matched to the player's is dressed in before its performance upgrades
// are picked to match.
void ChooseCosmeticUpgrades(UpgradeList& list, const std::function<int()>& random);
// The dressed rule: one colour, neon, spoiler and scoop each, and every vinyl (a car shown rather than raced).
void ChooseDressUpgrades(UpgradeList& list, const std::function<int()>& random);

}  // namespace vehicle
