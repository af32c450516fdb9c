// Reading race lists: one definition per "RACE" record, with defaults, keyword look-ups and a drawn start slot.
#include "race/race_list.h"

#include "app/data_file.h"
#include "app/paths.h"
#include "platform/os.h"

namespace race {
namespace {

// Value n of a record, or null when the record has fewer values.
const std::string* ValueOf(const app::DataRecord& record, size_t n) {
  return n < record.values.size() ? &record.values[n] : nullptr;
}

// Value 0 of the first child of that name, or null when there is no such child or it has no value.
const std::string* FirstChildValue(const app::DataRecord& race, const char* childName) {
  const app::DataRecord* child = race.FindChild(childName);
  return child == nullptr ? nullptr : ValueOf(*child, 0);
}

std::vector<uint32_t> IdsFrom(const app::DataRecord& record, size_t first) {
  std::vector<uint32_t> ids;
  for (size_t i = first; i < record.values.size(); ++i) ids.push_back(static_cast<uint32_t>(ParseInt(record.values[i])));
  return ids;
}

// Table index of the first child's value, or the fallback when the child is missing or names nothing known.
template <size_t N>
uint32_t KeywordChild(const app::DataRecord& race, const char* childName, const std::array<const char*, N>& table,
                      uint32_t fallback) {
  const std::string* value = FirstChildValue(race, childName);
  if (value == nullptr) return fallback;
  const int found = FindKeyword(table, *value);
  return found < 0 ? fallback : static_cast<uint32_t>(found);
}

std::unique_ptr<RaceDefinition> ReadRace(const app::DataRecord& record, uint32_t index,
                                         const std::vector<std::string>* aiNames) {
  std::string name = "Unknown";
  std::string path;
  if (const std::string* value = FirstChildValue(record, "NAME")) name = *value;
  if (const std::string* value = FirstChildValue(record, "PATH")) path = *value;
  bool reverse = false;
  if (const std::string* value = FirstChildValue(record, "REVERSE")) reverse = ParseInt(*value) != 0;

  // A negative count would read as billions of cars; no opponents is the sound reading of it.
  uint32_t opponents = 4;
  if (const std::string* value = FirstChildValue(record, "OPPONENTS")) {
    const int32_t count = ParseInt(*value);
    opponents = count < 0 ? 0 : static_cast<uint32_t>(count);
  }
  uint32_t playerStart = 0;
  if (opponents > 0) playerStart = static_cast<uint32_t>(platform::CrtRand()) % opponents;

  if (const std::string* value = FirstChildValue(record, "PLAYER_START")) {
    // Slot 0 for 0, negative values and slots past the last opponent.
    uint32_t slot = static_cast<uint32_t>(ParseInt(*value)) - 1u;
    if (slot > opponents) slot = 0;
    playerStart = slot;
  }
  const uint32_t classRestriction = KeywordChild(record, "CLASS_RESTRICTION", CarClassNames, kClassMixed);
  const uint32_t type = KeywordChild(record, "TYPE", RaceTypeNames, kRaceLap);
  const uint32_t mode = KeywordChild(record, "MODE", GameModeNames, kModeQuick);
  int32_t laps = 3;
  if (const std::string* value = FirstChildValue(record, "LAPS")) laps = ParseInt(*value);
  int32_t entryFee = 0;
  if (const std::string* value = FirstChildValue(record, "ENTRY_FEE")) entryFee = ParseInt(*value);

  auto race = std::make_unique<RaceDefinition>(index, name, path, aiNames, mode, type, laps, playerStart, opponents,
                                               reverse);
  race->classRestriction = classRestriction;
  race->entryFee = entryFee;

  for (const app::DataRecord& child : record.children) {
    if (child.values.size() < 2) continue;
    if (child.name == "REWARD") {
      const uint32_t place = static_cast<uint32_t>(ParseInt(child.values[0]));
      if (place < kRewardPlaces) race->rewards[place] = ParseInt(child.values[1]);
    } else if (child.name == "TARGET_TIME") {
      const uint32_t slot = static_cast<uint32_t>(ParseInt(child.values[0]));
      if (slot < kTargetTimeCount) race->targetTimes[slot] = ParseInt(child.values[1]);
    }
  }
  if (const app::DataRecord* player = record.FindChild("PLAYER"); player != nullptr && !player->values.empty()) {
    race->hasPlayerEntry = true;
    race->playerVehicle = player->values[0];
    race->playerUpgrades = IdsFrom(*player, 1);
  }
  for (const app::DataRecord& child : record.children) {
    if (child.name != "AI" || child.values.size() < 3) continue;
    const uint32_t slot = static_cast<uint32_t>(ParseInt(child.values[1])) - 1u;
    race->AddAiRacer(child.values[0], child.values[2], slot, IdsFrom(child, 3));
  }
  return race;
}

}  // namespace

uint32_t MillisecondTicks(const platform::Clock& clock) {
  const int64_t ticks = clock.Ticks();
  const int64_t perSecond = clock.TicksPerSecond();
  if (perSecond <= 0) return 0;
  const int64_t milliseconds = (ticks / perSecond) * 1000 + (ticks % perSecond) * 1000 / perSecond;
  return static_cast<uint32_t>(static_cast<uint64_t>(milliseconds));
}

RaceList::RaceList(app::Settings* settings, const std::vector<std::string>* aiNames, const std::string& fileName,
                   const platform::Clock* clock)
    : settings(settings), aiNames(aiNames), clock_(clock) {
  Read(fileName);
}

void RaceList::Read(const std::string& fileName) {
  const app::DataFile file(app::MakeSystemPath(app::GetExecutableFolder(), fileName));
  ReadFrom(file);
}

void RaceList::ReadFrom(const app::DataFile& file) {
  Clear();
  platform::CrtSeed(MillisecondTicks(clock_ != nullptr ? *clock_ : platform::SystemClock()));
  uint32_t index = 0;
  for (const app::DataRecord& record : file.Records()) {
    if (record.name != "RACE") continue;
    races.push_back(ReadRace(record, index, aiNames));
    ++index;
  }
}

int RaceDefinition::CountByClass(const RaceList* list, uint32_t classId) {
  return list == nullptr ? 0 : list->CountByClass(classId);
}

RaceDefinition* RaceDefinition::NthByClass(const RaceList* list, uint32_t classId, int n) {
  return list == nullptr ? nullptr : list->NthByClass(classId, n);
}

int RaceList::CountByClass(uint32_t classId) const {
  int count = 0;
  for (const auto& race : races) count += race->classRestriction == classId ? 1 : 0;
  return count;
}

RaceDefinition* RaceList::NthByClass(uint32_t classId, int n) const {
  if (n < 0) return nullptr;
  for (const auto& race : races) {
    if (race->classRestriction != classId) continue;
    if (n == 0) return race.get();
    --n;
  }
  return nullptr;
}

void RaceList::Clear() { races.clear(); }

RaceDefinition* RaceList::At(int position) const {
  if (position < 0 || position >= Count()) return nullptr;
  return races[static_cast<size_t>(position)].get();
}

}  // namespace race
