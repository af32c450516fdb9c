// Who starts a race and where: the player's grid slot and car, the computer opponents (drawn or named by the
// race), and the driver names drawn for them. The session builds one car per plan entry.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace race {

struct RaceDefinition;
class ContentDatabase;

struct RacerPlan {
  std::string vehicleFile;
  std::string name;
  size_t slot = 0;  // grid slot, always below the grid size
  bool isPlayer = false;
  bool hasUpgrades = false;  // upgrades given by the race (otherwise the profile's, or matched to the player's)
  std::vector<uint32_t> upgrades;
  // In chicken races an opponent starts this far along the first AI path (a fraction of its length) instead of
  // on its grid slot; negative for a grid start.
  float pathFraction = -1.0f;
};

// Draws an unused index of the name pool: up to 20 tries, the last draw taken even when used; -1 for an empty
// pool. The index drawn is recorded in used.
int DrawDriverName(size_t poolSize, std::vector<int>& used, const std::function<int()>& random);

// The field in creation order, the player first. The player's slot is the race's start slot (random when the
// race has fewer opponents than that, 0 when beyond the grid); unnamed opponents take slots 0..opponents except
// the player's, skipping slots the grid lacks; named ones their own slot when the grid has it, leaving out any
// with the player's name. Instant races pick a random player car and 1-4 opponents. Cars come from the content
// database (by class unless MIXED or none of the class is listed); names from the race's pool. Chicken races
// spread the opponents along the path: unnamed ones from 0.2 to 0.8 of its length, named ones from 0.1 to 0.9.
std::vector<RacerPlan> PlanRacers(RaceDefinition& definition, const ContentDatabase& content, size_t gridSize,
                                  const std::string& playerName, const std::string& playerVehicle,
                                  const std::function<int()>& random);

}  // namespace race
