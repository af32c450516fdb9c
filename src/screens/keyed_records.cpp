// Preview and swatch picture names read from an upgrade's keyed properties.
#include "screens/keyed_records.h"

namespace screens {

std::string ModelImageName(const vehicle::KeyedRecord& upgrade) {
  if (upgrade.Count(vehicle::kKeyModelImage) == 0) return {};
  const vehicle::UpgradeProperty* property = upgrade.FindNth(vehicle::kKeyModelImage, 0);
  if (property == nullptr || property->values.empty()) return {};
  return property->values.front();
}

std::vector<std::string> SwatchImageNames(const vehicle::KeyedRecord& upgrade) {
  std::vector<std::string> names;
  const int count = upgrade.Count(vehicle::kKeyMaterial);
  for (int n = 0; n < count; ++n) {
    const vehicle::UpgradeProperty* property = upgrade.FindNth(vehicle::kKeyMaterial, n);
    if (property != nullptr && property->values.size() > kSwatchValueIndex) {
      names.push_back(property->values[kSwatchValueIndex]);
    }
  }
  return names;
}

}  // namespace screens
