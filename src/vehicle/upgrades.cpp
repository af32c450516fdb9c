// Upgrade catalogue loading, the look-ups the car's loaders use, selections, exclusion and stat matching.
#include "vehicle/upgrades.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/data_file.h"
#include "platform/os.h"

namespace vehicle {

const char* const UpgradeCategoryNames[kUpgradeCategoryCount] = {
    "Model", "Color", "Vinyl Graphics", "Neon", "Spoiler", "Scoop", "Air Intakes", "Rims", "Exhaust Tip",
    "Engine", "Fast Turbo", "Transmission", "Tires and Suspension", "Braking", "Long Burn Turbo"};

const char* const VehicleKeyNames[kVehicleKeyCount] = {
    "MODELTYPE", "MATERIAL", "FRONT_LEFT_TIRE", "FRONT_RIGHT_TIRE", "REAR_LEFT_TIRE", "REAR_RIGHT_TIRE", "NEON",
    "EXHAUST", "NITROUS", "VISUAL_PART", "VIEWABLE_DISTANCE", "TORQUE_MULTIPLIER", "TORQUE_CURVE",
    "TURBO_TORQUE_CURVE", "TIRE_BOUNCINESS", "SHIFT_DELAY", "BRAKING_TORQUE", "HANDBRAKE_TORQUE",
    "TIRE_CURVES_FOLDER", "SHOCK_LENGTH", "ROLLING_RESISTANCE", "FRONT_DOWNFORCE", "REAR_DOWNFORCE",
    "DRIVETRAIN", "GEAR_RATIOS", "GEAR_EFFICIENCY", "FINAL_DRIVE", "DOWNSHIFT_RPM", "GEARS", "REDLINE_RPM",
    "MINIMUM_RPM", "SOUNDS_FOLDER", "STAT_STYLE", "STAT_HANDLING", "STAT_NITRO", "STAT_BRAKING",
    "STAT_TOPSPEED", "STAT_ACCELERATION", "MODEL_IMAGE"};

const uint32_t kRatingKeys[5] = {kKeyStatStyle, kKeyStatHandling, kKeyStatNitro, kKeyStatTopSpeed,
                                 kKeyStatAcceleration};

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

uint32_t ParseId(const std::string& text) { return static_cast<uint32_t>(std::atol(text.c_str())); }

// A stat value of an upgrade file; text that reads as no finite number ("NAN", "INF", 1e99) counts as 0, so a
// damaged file cannot turn a car's ratings and stat bars into garbage.
float StatValue(const std::string& text) {
  const float value = static_cast<float>(std::atof(text.c_str()));
  return std::isfinite(value) ? value : 0.0f;
}

const std::string* FirstValue(const app::DataRecord& record, const char* child) {
  const app::DataRecord* found = record.FindChild(child);
  if (found == nullptr || found->values.empty()) return nullptr;
  return &found->values[0];
}

// Removes entries matching the test, moving the last id into a removed slot and re-examining that slot.
template <typename Test>
void RemoveWhere(std::vector<uint32_t>& ids, Test test) {
  for (size_t i = 0; i < ids.size();) {
    if (test(ids[i])) {
      ids[i] = ids.back();
      ids.pop_back();
    } else {
      ++i;
    }
  }
}

}  // namespace

bool KeyedRecord::HasProperty(uint32_t key) const { return FindProperty(key) != nullptr; }

const UpgradeProperty* KeyedRecord::FindProperty(uint32_t key) const { return FindNth(key, 0); }

const UpgradeProperty* KeyedRecord::FindNth(uint32_t key, int n) const {
  for (const UpgradeProperty& property : properties) {
    if (property.key == key && n-- == 0) return &property;
  }
  return nullptr;
}

int KeyedRecord::Count(uint32_t key) const {
  return static_cast<int>(std::count_if(properties.begin(), properties.end(),
                                        [key](const UpgradeProperty& p) { return p.key == key; }));
}

bool UpgradeSelection::IsOwned(uint32_t id) const {
  return std::find(ownedIds.begin(), ownedIds.end(), id) != ownedIds.end();
}

bool UpgradeSelection::IsInstalled(uint32_t id) const {
  return std::find(installedIds.begin(), installedIds.end(), id) != installedIds.end();
}

namespace {
void SetMember(std::vector<uint32_t>& ids, uint32_t id, bool on) {
  auto it = std::find(ids.begin(), ids.end(), id);
  if (on) {
    if (it == ids.end()) ids.push_back(id);
  } else if (it != ids.end()) {
    *it = ids.back();
    ids.pop_back();
  }
}
}  // namespace

void UpgradeSelection::SetOwned(uint32_t id, bool on) { SetMember(ownedIds, id, on); }
void UpgradeSelection::SetInstalled(uint32_t id, bool on) { SetMember(installedIds, id, on); }

void UpgradeSelection::SetInstalledExclusive(const UpgradeList& list, uint32_t id, bool on) {
  if (!on) {
    SetInstalled(id, false);
    return;
  }
  const KeyedRecord* upgrade = list.FindById(id);
  if (IsInstalled(id)) {
    if (upgrade == nullptr) return;
    RemoveWhere(installedIds, [&](uint32_t other) {
      if (other == id) return false;
      const KeyedRecord* o = list.FindById(other);
      return o != nullptr && o->category == upgrade->category && o->exclusive != upgrade->exclusive;
    });
    return;
  }
  if (upgrade != nullptr) {
    RemoveWhere(installedIds, [&](uint32_t other) {
      if (other == id) return false;
      const KeyedRecord* o = list.FindById(other);
      if (o == nullptr || o->category != upgrade->category) return false;
      return upgrade->exclusive || o->exclusive;
    });
  }
  installedIds.push_back(id);
}

void UpgradeList::Load(const std::string& path) { LoadRecords(app::DataFile(path)); }

void UpgradeList::LoadFromText(const std::string& text) { LoadRecords(app::DataFile::FromText(text)); }

void UpgradeList::LoadRecords(const app::DataFile& file) {
  for (int n = 0;; ++n) {
    const app::DataRecord* record = file.NthRecord("UPGRADE", n);
    if (record == nullptr) break;
    if (upgrades_.size() >= kMaxUpgrades) {
      std::printf("%s: more than %zu upgrades; the rest are left out\n", file.Path().c_str(), kMaxUpgrades);
      break;
    }
    auto upgrade = std::make_unique<KeyedRecord>();
    if (const app::DataRecord* name = record->FindChild("NAME"); name != nullptr && !name->values.empty()) {
      std::string joined;
      for (size_t i = 0; i < name->values.size(); ++i) joined += (i ? "," : "") + name->values[i];
      upgrade->name = joined;
    }
    if (const std::string* v = FirstValue(*record, "CATEGORY")) {
      const std::string wanted = Upper(*v);
      for (uint32_t c = 0; c < kUpgradeCategoryCount; ++c) {
        if (wanted == Upper(UpgradeCategoryNames[c])) {
          upgrade->category = c;
          break;
        }
      }
    }
    if (const std::string* v = FirstValue(*record, "ID")) upgrade->id = ParseId(*v);
    if (const std::string* v = FirstValue(*record, "DEFAULT_INSTALLED")) upgrade->defaultInstalled = *v == "1";
    if (const std::string* v = FirstValue(*record, "COST")) upgrade->cost = std::atoi(v->c_str());
    if (const std::string* v = FirstValue(*record, "PURCHASEABLE")) upgrade->purchaseable = *v != "0";
    if (const std::string* v = FirstValue(*record, "OWNED")) upgrade->owned = *v == "1";
    if (const std::string* v = FirstValue(*record, "EXCLUSIVE")) upgrade->exclusive = *v == "1";
    for (const app::DataRecord& child : record->children) {
      if (child.name == "REQUIRES" && !child.values.empty()) upgrade->requiredIds.push_back(ParseId(child.values[0]));
    }
    for (uint32_t key = 0; key < kVehicleKeyCount; ++key) {
      for (const app::DataRecord& child : record->children) {
        if (child.name == VehicleKeyNames[key]) upgrade->properties.push_back({upgrade->id, key, child.values});
      }
    }
    upgrades_.push_back(std::move(upgrade));
  }
}

void UpgradeList::ApplySelection(UpgradeSelection* selection) {
  if (selection != nullptr) {
    for (auto& upgrade : upgrades_) {
      if (upgrade->owned && upgrade->defaultInstalled) selection->SetOwned(upgrade->id, true);
      if (selection->IsOwned(upgrade->id)) {
        // Owning follows the selection, so the default pass and exports see what the player has.
        upgrade->owned = true;
        upgrade->installed = selection->IsInstalled(upgrade->id);
      } else {
        upgrade->installed = false;
      }
    }
  }
  for (auto& upgrade : upgrades_) {
    if (!upgrade->owned || !upgrade->defaultInstalled) continue;
    if (CountInstalledInCategory(upgrade->category) == 0) {
      upgrade->installed = true;
      if (selection != nullptr) selection->SetInstalled(upgrade->id, true);
    }
  }
}

void UpgradeList::MatchStats(const UpgradeList& reference, float margin) {
  const uint32_t keys[4] = {kKeyStatAcceleration, kKeyStatTopSpeed, kKeyStatNitro, kKeyStatHandling};
  for (uint32_t key : keys) {
    if (CountNotInstalledWithProperty(key) == 0) continue;
    const float target = reference.StatTotal(key) + margin;
    for (int round = 0; round < 20 && StatTotal(key) < target; ++round) {
      const int count = CountNotInstalledWithProperty(key);
      if (count == 0) continue;
      KeyedRecord* pick = NthNotInstalledWithProperty(key, platform::CrtRand() % count);
      if (pick->exclusive && CountInstalledInCategory(pick->category) > 0) continue;
      pick->installed = true;
    }
  }
}

void UpgradeList::ExportToSelection(UpgradeSelection* selection) const {
  if (selection == nullptr) return;
  for (const auto& upgrade : upgrades_) {
    if (upgrade->owned) selection->SetOwned(upgrade->id, true);
    if (upgrade->installed) selection->SetInstalled(upgrade->id, true);
  }
}

bool UpgradeList::RequirementsMet(const KeyedRecord& upgrade) const {
  for (uint32_t id : upgrade.requiredIds) {
    for (const auto& other : upgrades_) {
      if (other->id == id && !other->installed) return false;
    }
  }
  return true;
}

float UpgradeList::StatTotal(uint32_t key) const {
  float total = 0;
  for (const auto& upgrade : upgrades_) {
    if (!upgrade->installed || !upgrade->HasProperty(key)) continue;
    for (const UpgradeProperty& p : upgrade->properties) {
      if (p.key == key && !p.values.empty()) total += StatValue(p.values[0]);
    }
    if (total < 0) total = 0;
  }
  return total;
}

const KeyedRecord* UpgradeList::FindById(uint32_t id) const {
  for (const auto& upgrade : upgrades_) {
    if (upgrade->id == id) return upgrade.get();
  }
  return nullptr;
}

namespace {
template <typename List, typename Test>
auto NthWhere(List& list, int n, Test test) -> decltype(list.front().get()) {
  for (auto& upgrade : list) {
    if (test(*upgrade) && n-- == 0) return upgrade.get();
  }
  return nullptr;
}
template <typename List, typename Test>
int CountWhere(const List& list, Test test) {
  int count = 0;
  for (const auto& upgrade : list) count += test(*upgrade) ? 1 : 0;
  return count;
}
}  // namespace

int UpgradeList::CountInCategory(uint32_t category) const {
  return CountWhere(upgrades_, [&](const KeyedRecord& u) { return u.category == category; });
}
KeyedRecord* UpgradeList::FindNthInCategory(uint32_t category, int n) {
  return NthWhere(upgrades_, n, [&](const KeyedRecord& u) { return u.category == category; });
}
int UpgradeList::CountInstalledInCategory(uint32_t category) const {
  return CountWhere(upgrades_, [&](const KeyedRecord& u) { return u.installed && u.category == category; });
}
int UpgradeList::CountPurchaseable() const {
  return CountWhere(upgrades_, [](const KeyedRecord& u) { return u.purchaseable; });
}
int UpgradeList::CountPurchaseableInCategory(uint32_t category) const {
  return CountWhere(upgrades_, [&](const KeyedRecord& u) { return u.purchaseable && u.category == category; });
}
KeyedRecord* UpgradeList::NthPurchaseableInCategory(uint32_t category, int n) {
  return NthWhere(upgrades_, n, [&](const KeyedRecord& u) { return u.purchaseable && u.category == category; });
}
int UpgradeList::CountInstalledWithProperty(uint32_t key) const {
  return CountWhere(upgrades_, [&](const KeyedRecord& u) { return u.installed && u.HasProperty(key); });
}
const KeyedRecord* UpgradeList::NthInstalledWithProperty(uint32_t key, int n) const {
  return NthWhere(upgrades_, n, [&](const KeyedRecord& u) { return u.installed && u.HasProperty(key); });
}
int UpgradeList::CountNotInstalledWithProperty(uint32_t key) const {
  return CountWhere(upgrades_, [&](const KeyedRecord& u) { return !u.installed && u.HasProperty(key); });
}
KeyedRecord* UpgradeList::NthNotInstalledWithProperty(uint32_t key, int n) {
  return NthWhere(upgrades_, n, [&](const KeyedRecord& u) { return !u.installed && u.HasProperty(key); });
}
int UpgradeList::CountInstalledProperties(uint32_t key) const {
  int count = 0;
  for (const auto& upgrade : upgrades_) {
    if (upgrade->installed) count += upgrade->Count(key);
  }
  return count;
}
const UpgradeProperty* UpgradeList::NthInstalledProperty(uint32_t key, int n) const {
  for (const auto& upgrade : upgrades_) {
    if (!upgrade->installed) continue;
    for (const UpgradeProperty& p : upgrade->properties) {
      if (p.key == key && n-- == 0) return &p;
    }
  }
  return nullptr;
}
const KeyedRecord* UpgradeList::LastInstalledWithProperty(uint32_t key) const {
  const KeyedRecord* last = nullptr;
  for (const auto& upgrade : upgrades_) {
    if (upgrade->installed && upgrade->HasProperty(key)) last = upgrade.get();
  }
  return last;
}
const UpgradeProperty* UpgradeList::InstalledProperty(uint32_t key) const {
  const KeyedRecord* last = LastInstalledWithProperty(key);
  return last == nullptr ? nullptr : last->FindProperty(key);
}

float RatingFromUpgrades(const UpgradeList& list, int rating) {
  if (rating < 0 || rating > 4) return 0;
  const uint32_t key = kRatingKeys[rating];
  float sum = 0;
  for (int n = 0;; ++n) {
    const KeyedRecord* upgrade = list.NthInstalledWithProperty(key, n);
    if (upgrade == nullptr) break;
    for (const UpgradeProperty& p : upgrade->properties) {
      if (p.key != key) continue;
      for (const std::string& value : p.values) sum += StatValue(value);
    }
  }
  return std::clamp(sum, 0.0f, 10.0f);
}

float UpgradeList::PreviewStat(UpgradeSelection* selection, UpgradeList* list, int rating) {
  if (list == nullptr) return 0;
  std::vector<std::pair<bool, bool>> saved;
  for (const auto& upgrade : list->upgrades_) saved.emplace_back(upgrade->owned, upgrade->installed);
  UpgradeSelection scratch;
  if (selection != nullptr) scratch = *selection;
  list->ApplySelection(selection != nullptr ? &scratch : nullptr);
  const float value = RatingFromUpgrades(*list, rating);
  for (size_t i = 0; i < saved.size(); ++i) {
    list->upgrades_[i]->owned = saved[i].first;
    list->upgrades_[i]->installed = saved[i].second;
  }
  return value;
}

}  // namespace vehicle
