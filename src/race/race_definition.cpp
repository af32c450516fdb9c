// Race definitions and the race, mode, class and place-suffix tables.
#include "race/race_definition.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <utility>

namespace race {

const std::array<const char*, kRaceTypeCount> RaceTypeNames = {"LAP", "KNOCKOUT", "TIMETRIAL", "CHICKEN"};
const std::array<const char*, kGameModeCount> GameModeNames = {"INSTANT", "QUICK", "CAREER", "CONTEST"};
const std::array<const char*, kCarClassCount> CarClassNames = {"OPEN", "C", "B", "A", "MIXED"};
const std::array<const char*, kOrdinalSuffixCount> OrdinalSuffixes = {
    "th", "st", "nd", "rd", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th",
    "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th", "th"};

int FindKeyword(const char* const* table, int count, const std::string& word) {
  std::string upper = word;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (int i = 0; i < count; ++i) {
    if (upper == table[i]) return i;
  }
  return -1;
}

int32_t ParseInt(const std::string& text) {
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

RaceDefinition::RaceDefinition(uint32_t index, std::string name, std::string path,
                               const std::vector<std::string>* aiNameList, uint32_t mode, uint32_t type,
                               int32_t laps, uint32_t playerStart, uint32_t opponents, bool reverse)
    : type(type),
      mode(mode),
      path(std::move(path)),
      name(std::move(name)),
      reverse(reverse),
      index(index),
      laps(laps),
      opponents(opponents),
      playerStart(playerStart),
      aiNameList(aiNameList) {}

int32_t RaceDefinition::RewardForPlace(uint32_t place) const {
  return place < kRewardPlaces ? rewards[place] : 0;
}

void RaceDefinition::AddAiRacer(const std::string& racerName, const std::string& vehicleFile, uint32_t startPosition,
                                const std::vector<uint32_t>& upgradeIds) {
  aiRacerNames.push_back(racerName);
  aiVehicles.push_back(vehicleFile);
  aiStartPositions.push_back(startPosition);
  aiUpgrades.push_back(upgradeIds);
}

}  // namespace race
