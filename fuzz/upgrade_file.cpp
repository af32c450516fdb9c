// Fuzzes the upgrade catalogue reader and the look-ups, selections and stat rules over whatever it read.

#include "fuzz_support.h"
#include "vehicle/upgrades.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vehicle::UpgradeList list;
  list.LoadFromText(fuzz_support::Text(data, size));
  vehicle::UpgradeSelection selection;
  for (const auto& upgrade : list.Upgrades()) {
    Check(upgrade->category < vehicle::kUpgradeCategoryCount);
    for (const auto& property : upgrade->properties) Check(property.key < vehicle::kVehicleKeyCount);
    selection.SetOwned(upgrade->id, true);
    selection.SetInstalledExclusive(list, upgrade->id, true);
  }
  list.ApplySelection(&selection);
  for (uint32_t key = 0; key < vehicle::kVehicleKeyCount; ++key) {
    Check(list.StatTotal(key) >= 0);
    (void)list.InstalledProperty(key);
    (void)list.NthInstalledProperty(key, 1);
  }
  for (int rating = 0; rating < 5; ++rating) {
    const float value = vehicle::UpgradeList::PreviewStat(&selection, &list, rating);
    Check(value >= 0 && value <= 10);
  }
  list.MatchStats(list, 1.0f);
  return 0;
}
