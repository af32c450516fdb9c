// The garage's readings of an upgrade's keyed properties: its preview picture and its colour swatch pictures.
// The n-th-property and count queries themselves are vehicle::KeyedRecord::FindNth and ::Count.
#pragma once

#include <string>
#include <vector>

#include "vehicle/upgrades.h"

namespace screens {

// Index of the value of a MATERIAL property that names its swatch picture.
inline constexpr size_t kSwatchValueIndex = 4;

// The first value of the first MODEL_IMAGE property, or an empty string when there is none or it has no value.
std::string ModelImageName(const vehicle::KeyedRecord& upgrade);
// The swatch picture of every MATERIAL property with at least five values, in file order; properties with fewer
// values give none.
std::vector<std::string> SwatchImageNames(const vehicle::KeyedRecord& upgrade);

}  // namespace screens
