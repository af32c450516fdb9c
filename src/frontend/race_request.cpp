// Race parameters: list number × 65536 + 1 + position, so 0 never names a race.
#include "frontend/race_request.h"

#include "app/screen_flow.h"
#include "race/content_database.h"
#include "race/race_list.h"

namespace frontend {

namespace {
constexpr int32_t kListShift = 16;
constexpr int32_t kPositionMask = 0xFFFF;

const race::RaceList* ListByNumber(const race::ContentDatabase& database, int32_t number) {
  switch (number) {
    case 1: return database.instantRaces.get();
    case 2: return database.quickRaces.get();
    case 3: return database.careerRaces.get();
    case 4: return database.demoRaces.get();
    case 5: return database.contestRaces.get();
    default: return nullptr;
  }
}
}  // namespace

int32_t EncodeRaceParameter(const race::ContentDatabase& database, const race::RaceDefinition* race) {
  if (race == nullptr) return 0;
  for (int32_t number = 1; number <= 5; ++number) {
    const race::RaceList* list = ListByNumber(database, number);
    if (list == nullptr) continue;
    const int32_t count = list->Count();
    for (int32_t position = 0; position < count && position < kPositionMask; ++position) {
      if (list->At(position) == race) return (number << kListShift) | (position + 1);
    }
  }
  return 0;
}

race::RaceDefinition* FindRaceByParameter(const race::ContentDatabase& database, int32_t parameter) {
  const race::RaceList* list = ListByNumber(database, parameter >> kListShift);
  const int32_t position = (parameter & kPositionMask) - 1;
  if (list == nullptr || position < 0) return nullptr;
  return list->At(position);
}

bool RequestRace(app::ScreenFlow& flow, const race::ContentDatabase& database, const race::RaceDefinition* race) {
  const int32_t parameter = EncodeRaceParameter(database, race);
  if (parameter == 0) return false;
  flow.RequestRaceStart(parameter);
  return true;
}

}  // namespace frontend
