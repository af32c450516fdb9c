// Grid slots, cars and names of a race's field.
#include "race/racer_plan.h"

#include <algorithm>
#include <cctype>

#include "race/content_database.h"
#include "race/race_definition.h"

namespace race {

namespace {
constexpr int kNameTries = 20;
constexpr int kMaxInstantOpponents = 4;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A non-negative draw below count, 0 for an empty range.
int Below(const std::function<int()>& random, int count) {
  if (count <= 0) return 0;
  const int value = random();
  return ((value % count) + count) % count;
}

std::string RandomVehicle(const ContentDatabase& content, uint32_t classId, const std::function<int()>& random) {
  const int inClass = classId == kClassMixed ? 0 : content.CountById(classId);
  if (inClass == 0) {
    const int count = content.VehicleCount();
    if (count == 0) return {};
    return content.vehiclePaths[static_cast<size_t>(Below(random, count))];
  }
  return content.ValueById(classId, Below(random, inClass));
}
}  // namespace

int DrawDriverName(size_t poolSize, std::vector<int>& used, const std::function<int()>& random) {
  if (poolSize == 0) return -1;
  int index = 0;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    index = Below(random, static_cast<int>(poolSize));
    if (std::find(used.begin(), used.end(), index) == used.end()) break;
  }
  used.push_back(index);
  return index;
}

std::vector<RacerPlan> PlanRacers(RaceDefinition& definition, const ContentDatabase& content, size_t gridSize,
                                  const std::string& playerName, const std::string& playerVehicle,
                                  const std::function<int()>& random) {
  std::vector<RacerPlan> field;
  if (gridSize == 0) return field;
  const bool instant = definition.mode == kModeInstant;
  const bool chicken = definition.type == kRaceChicken;
  size_t playerSlot = definition.playerStart;
  if (definition.opponents < definition.playerStart) {
    playerSlot = definition.opponents == 0 ? 0 : static_cast<size_t>(Below(random, static_cast<int>(definition.opponents)));
  }
  if (playerSlot >= gridSize) playerSlot = 0;

  RacerPlan player;
  player.isPlayer = true;
  player.slot = playerSlot;
  player.vehicleFile = definition.hasPlayerEntry ? definition.playerVehicle : playerVehicle;
  if (instant) {
    const int count = content.VehicleCount();
    if (count > 0) player.vehicleFile = content.vehiclePaths[static_cast<size_t>(Below(random, count))];
    definition.opponents = static_cast<uint32_t>(Below(random, kMaxInstantOpponents) + 1);
  }
  player.name = instant ? "Player" : playerName;
  if (definition.hasPlayerEntry) {
    player.hasUpgrades = true;
    player.upgrades = definition.playerUpgrades;
  }
  field.push_back(player);

  std::vector<int> usedNames;
  const std::vector<std::string>* pool = definition.aiNameList;
  auto drawName = [&]() -> std::string {
    const int index = DrawDriverName(pool != nullptr ? pool->size() : 0, usedNames, random);
    return index < 0 ? std::string() : (*pool)[static_cast<size_t>(index)];
  };

  if (definition.aiRacerNames.empty()) {
    // A race file may claim billions of opponents: only the grid's slots are walked.
    for (size_t i = 0; i <= definition.opponents && i < gridSize; ++i) {
      if (i == playerSlot) continue;
      RacerPlan opponent;
      opponent.slot = i;
      opponent.vehicleFile = RandomVehicle(content, definition.classRestriction, random);
      opponent.name = drawName();
      if (chicken) opponent.pathFraction = static_cast<float>(i) / static_cast<float>(definition.opponents + 1) * 0.6f + 0.2f;
      field.push_back(opponent);
    }
    return field;
  }
  const size_t named = std::min({definition.aiRacerNames.size(), definition.aiStartPositions.size(),
                                 definition.aiVehicles.size()});
  for (size_t j = 0; j < named; ++j) {
    const size_t slot = definition.aiStartPositions[j];
    if (slot >= gridSize || slot == playerSlot) continue;
    if (Upper(definition.aiRacerNames[j]) == Upper(playerName)) continue;  // in any letter case
    RacerPlan opponent;
    opponent.slot = slot;
    opponent.vehicleFile = definition.aiVehicles[j];
    opponent.name = definition.aiRacerNames[j];
    // An opponent the race lists without upgrades has its upgrades matched to the player's car instead.
    if (j < definition.aiUpgrades.size() && !definition.aiUpgrades[j].empty()) {
      opponent.hasUpgrades = true;
      opponent.upgrades = definition.aiUpgrades[j];
    }
    if (chicken) opponent.pathFraction = static_cast<float>(j) / static_cast<float>(named) * 0.8f + 0.1f;
    field.push_back(opponent);
  }
  return field;
}

}  // namespace race
