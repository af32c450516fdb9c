// The upgrade catalogue of the sample cars: a part in every category, priced by category and car class, with
// the files its parts name (paints and their swatches, neon glows, stripes, faster turbo, grippier tyres).
#pragma once

#include <cstdint>
#include <string>

namespace contentgen {

struct SampleCar;

// Ids the catalogue gives its upgrades (the same on every car).
enum SampleUpgradeId : uint32_t {
  kUpgradeStockBody = 1,
  kUpgradeBodyKit = 2,
  kUpgradeNeonBlue = 3,
  kUpgradeRearWing = 4,
  kUpgradeAirIntake = 5,
  kUpgradeStreetEngine = 6,
  kUpgradeFastTurbo = 7,
  kUpgradeCloseGearbox = 8,
  kUpgradeSportSuspension = 9,
  kUpgradeRacingBrakes = 10,
  kUpgradeNitrous = 11,
  kUpgradeScoop = 13,
  kUpgradeStripes = 14,
  kUpgradeSportRims = 15,
  kUpgradeExhaustTips = 16,
  kUpgradeNeonGreen = 17,
  kUpgradeNeonPurple = 18,
  kUpgradeFirstPaint = 20,  // the factory paint, then the other colours in turn
};

// Price of an upgrade: the category's base price scaled by the car's class, $300 to $3,000.
int UpgradePrice(int basePrice, const std::string& carClass);

// The upgrade file of a car.
std::string CarUpgradeText(const SampleCar& car);
// Writes the files the catalogue names into the car's folder (ending with '/').
bool WriteUpgradeFiles(const std::string& carFolder, const SampleCar& car);

}  // namespace contentgen
