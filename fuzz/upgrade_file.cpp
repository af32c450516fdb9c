// Fuzzes the upgrade catalogue reader and the look-ups, selections and stat rules over whatever it read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "vehicle/upgrades.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vehicle::UpgradeList list;
  list.LoadFromText(std::string(reinterpret_cast<const char*>(data), size));
  vehicle::UpgradeSelection selection;
  for (const auto& upgrade : list.Upgrades()) {
    if (upgrade->category >= vehicle::kUpgradeCategoryCount) std::abort();
    for (const auto& property : upgrade->properties) {
      if (property.key >= vehicle::kVehicleKeyCount) std::abort();
    }
    selection.SetOwned(upgrade->id, true);
    selection.SetInstalledExclusive(list, upgrade->id, true);
  }
  list.ApplySelection(&selection);
  for (uint32_t key = 0; key < vehicle::kVehicleKeyCount; ++key) {
    const float total = list.StatTotal(key);
    if (!(total >= 0)) std::abort();
    (void)list.InstalledProperty(key);
    (void)list.NthInstalledProperty(key, 1);
  }
  for (int rating = 0; rating < 5; ++rating) {
    const float value = vehicle::UpgradeList::PreviewStat(&selection, &list, rating);
    if (!(value >= 0 && value <= 10)) std::abort();
  }
  list.MatchStats(list, 1.0f);
  return 0;
}
