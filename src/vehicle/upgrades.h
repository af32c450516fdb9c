// A car's upgrade catalogue (parts with categories, prices, requirements and vehicle-key values) and the
// player's per-car selection of owned and installed upgrades.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace app {
class DataFile;
}

namespace vehicle {

// Upgrade categories, indices into UpgradeCategoryNames.
enum UpgradeCategory : uint32_t {
  kCategoryModel, kCategoryColor, kCategoryVinyl, kCategoryNeon, kCategorySpoiler, kCategoryScoop,
  kCategoryAirIntakes, kCategoryRims, kCategoryExhaustTip, kCategoryEngine, kCategoryFastTurbo,
  kCategoryTransmission, kCategoryTires, kCategoryBraking, kCategoryLongBurnTurbo, kUpgradeCategoryCount
};
extern const char* const UpgradeCategoryNames[kUpgradeCategoryCount];

// Vehicle keys an upgrade may set, indices into VehicleKeyNames.
enum VehicleKey : uint32_t {
  kKeyModelType, kKeyMaterial, kKeyFrontLeftTire, kKeyFrontRightTire, kKeyRearLeftTire, kKeyRearRightTire,
  kKeyNeon, kKeyExhaust, kKeyNitrous, kKeyVisualPart, kKeyViewableDistance, kKeyTorqueMultiplier,
  kKeyTorqueCurve, kKeyTurboTorqueCurve, kKeyTireBounciness, kKeyShiftDelay, kKeyBrakingTorque,
  kKeyHandbrakeTorque, kKeyTireCurvesFolder, kKeyShockLength, kKeyRollingResistance, kKeyFrontDownforce,
  kKeyRearDownforce, kKeyDrivetrain, kKeyGearRatios, kKeyGearEfficiency, kKeyFinalDrive, kKeyDownshiftRpm,
  kKeyGears, kKeyRedlineRpm, kKeyMinimumRpm, kKeySoundsFolder, kKeyStatStyle, kKeyStatHandling, kKeyStatNitro,
  kKeyStatBraking, kKeyStatTopSpeed, kKeyStatAcceleration, kKeyModelImage, kVehicleKeyCount
};
extern const char* const VehicleKeyNames[kVehicleKeyCount];

struct UpgradeProperty {
  uint32_t upgradeId = 0;
  uint32_t key = 0;
  std::vector<std::string> values;
};

// One upgrade of the catalogue.
struct KeyedRecord {
  uint32_t category = kCategoryAirIntakes;
  int32_t cost = 0;
  std::string name = "UNKNOWN";
  bool purchaseable = true;
  bool owned = false;
  bool defaultInstalled = false;
  bool installed = false;
  uint32_t id = 0;
  bool exclusive = false;
  std::vector<UpgradeProperty> properties;  // ordered by key index, then file order
  std::vector<uint32_t> requiredIds;  // upgrades that must be installed first

  bool IsOwned() const { return owned; }
  bool HasProperty(uint32_t key) const;
  // The first property with the key, or null.
  const UpgradeProperty* FindProperty(uint32_t key) const;
  // The n-th (0-based) property with the key, or null.
  const UpgradeProperty* FindNth(uint32_t key, int n) const;
  int Count(uint32_t key) const;
};

class UpgradeList;

// Owned and installed upgrade ids of one car; neither list holds an id twice.
class UpgradeSelection {
 public:
  std::vector<uint32_t> ownedIds;
  std::vector<uint32_t> installedIds;

  bool IsOwned(uint32_t id) const;
  bool IsInstalled(uint32_t id) const;
  // on appends unless present; off removes the first occurrence, moving the last id into its place.
  void SetOwned(uint32_t id, bool on);
  void SetInstalled(uint32_t id, bool on);
  // Installs or removes keeping categories consistent: an exclusive upgrade stands alone in its category,
  // non-exclusive ones may share it.
  void SetInstalledExclusive(const UpgradeList& list, uint32_t id, bool on);
};

// Most upgrades one catalogue holds, far beyond any car's; the selection rules compare upgrades pairwise, so a
// damaged file's thousands more are left out rather than slowing every garage visit.
inline constexpr size_t kMaxUpgrades = 1024;

class UpgradeList {
 public:
  // Appends the "UPGRADE" records of the file (the path is used unchanged) up to kMaxUpgrades in all; a missing
  // file adds nothing.
  void Load(const std::string& path);
  // The same from text held in memory.
  void LoadFromText(const std::string& text);

  // Sets the installed flags from a selection (or none) and fits each category's first owned default part.
  void ApplySelection(UpgradeSelection* selection);
  // Installs random upgrades until the acceleration, top-speed, nitro and handling totals reach the reference's
  // plus the margin (at most 20 rounds per stat).
  void MatchStats(const UpgradeList& reference, float margin);
  // Adds to the selection every upgrade the list owns (owned ids) and every one it has fitted (installed ids),
  // in list order, keeping what the selection held; nothing with a null selection.
  void ExportToSelection(UpgradeSelection* selection) const;
  bool RequirementsMet(const KeyedRecord& upgrade) const;
  // Sum of value 0 of the key over installed upgrades, never below 0 after each upgrade.
  float StatTotal(uint32_t key) const;

  const KeyedRecord* FindById(uint32_t id) const;
  int CountInCategory(uint32_t category) const;
  KeyedRecord* FindNthInCategory(uint32_t category, int n);
  int CountInstalledInCategory(uint32_t category) const;
  // What the garage offers (its CountPurchasable, CountPurchasableInCategory and GetNthPurchasableInCategory):
  // the purchaseable upgrades, in list order.
  int CountPurchaseable() const;
  int CountPurchaseableInCategory(uint32_t category) const;
  KeyedRecord* NthPurchaseableInCategory(uint32_t category, int n);
  int CountInstalledWithProperty(uint32_t key) const;
  const KeyedRecord* NthInstalledWithProperty(uint32_t key, int n) const;
  int CountNotInstalledWithProperty(uint32_t key) const;
  KeyedRecord* NthNotInstalledWithProperty(uint32_t key, int n);
  int CountInstalledProperties(uint32_t key) const;
  const UpgradeProperty* NthInstalledProperty(uint32_t key, int n) const;
  const KeyedRecord* LastInstalledWithProperty(uint32_t key) const;
  // The first property of the key of the last installed upgrade carrying it, or null.
  const UpgradeProperty* InstalledProperty(uint32_t key) const;

  // The rating (0 style, 1 handling, 2 nitro, 3 top speed, 4 acceleration) the car would have with the
  // selection, clamped to [0, 10]; the list's flags are left as they were.
  static float PreviewStat(UpgradeSelection* selection, UpgradeList* list, int rating);

  std::vector<std::unique_ptr<KeyedRecord>>& Upgrades() { return upgrades_; }
  const std::vector<std::unique_ptr<KeyedRecord>>& Upgrades() const { return upgrades_; }
  size_t Size() const { return upgrades_.size(); }

 private:
  void LoadRecords(const app::DataFile& file);

  std::vector<std::unique_ptr<KeyedRecord>> upgrades_;
};

// Rating keys in rating order: style, handling, nitro, top speed, acceleration.
extern const uint32_t kRatingKeys[5];
// Sum of every value of the rating key over installed upgrades, clamped to [0, 10].
float RatingFromUpgrades(const UpgradeList& list, int rating);

}  // namespace vehicle
