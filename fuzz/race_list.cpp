// Fuzzes race-list reading on top of the tagged text format: every race keeps its fields inside their tables.

#include "app/data_file.h"
#include "fuzz_support.h"
#include "race/race_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::string> names = {"Marcel"};
  const std::string text = fuzz_support::Text(data, size);
  race::RaceList list(nullptr, &names, "");
  list.ReadFrom(app::DataFile::FromText(text));
  int byClass = 0;
  for (int i = 0; i < list.Count(); ++i) {
    const race::RaceDefinition& race = *list.At(i);
    Check(race.index == static_cast<uint32_t>(i));
    Check(race.type < race::kRaceTypeCount && race.mode < race::kGameModeCount);
    Check(race.classRestriction < race::kCarClassCount);
    Check(race.opponents == 0 ? race.playerStart == 0 : race.playerStart <= race.opponents);
    Check(race.opponents <= 0x7fffffffu);
    const size_t fixed = race.aiRacerNames.size();
    Check(race.aiVehicles.size() == fixed && race.aiStartPositions.size() == fixed && race.aiUpgrades.size() == fixed);
  }
  for (uint32_t carClass = 0; carClass < race::kCarClassCount; ++carClass) {
    const int count = list.CountByClass(carClass);
    byClass += count;
    if (count > 0) Check(list.NthByClass(carClass, count - 1) != nullptr);
    Check(list.NthByClass(carClass, count) == nullptr);
  }
  Check(byClass == list.Count());
  return 0;
}
