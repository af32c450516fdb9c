// The upgrades of one car that the player owns and has fitted: two id lists kept in the player profile and
// applied to the car's upgrade catalogue when the car is built.
#pragma once

#include <cstdint>
#include <vector>

namespace vehicle {

// Neither list holds an id twice. Order is insertion order as changed by removals (a removed id's place is
// taken by the list's last id); it is kept when the profile is saved.
class UpgradeSelection {
 public:
  std::vector<uint32_t> ownedIds;
  std::vector<uint32_t> installedIds;

  bool IsOwned(uint32_t id) const;
  bool IsInstalled(uint32_t id) const;
  // on: appends the id unless present. off: removes it, moving the last id into its place.
  void SetOwned(uint32_t id, bool on);
  void SetInstalled(uint32_t id, bool on);
  void Clear();

  // Installs or removes an id keeping each category consistent: in a category an exclusive upgrade stands
  // alone, while any number of non-exclusive upgrades can be fitted together. Ids the catalogue does not know
  // are never removed by the exclusion rule. Works with any catalogue offering FindById(id) → pointer to a
  // record with `category` and `exclusive` fields (null when unknown).
  template <typename Catalogue>
  void SetInstalledExclusive(const Catalogue& list, uint32_t id, bool on);

  bool operator==(const UpgradeSelection&) const = default;

 private:
  // Removes every installed id except `keep` for which drop(record of that id) is true, walking from the front
  // and re-examining a slot after the last id moved into it.
  template <typename Catalogue, typename Predicate>
  void RemoveInstalledWhere(const Catalogue& list, uint32_t keep, Predicate drop);
};

// Appends id to ids unless present; removes its first occurrence (last id moves in) when on is false.
void SetIdInList(std::vector<uint32_t>& ids, uint32_t id, bool on);

template <typename Catalogue, typename Predicate>
void UpgradeSelection::RemoveInstalledWhere(const Catalogue& list, uint32_t keep, Predicate drop) {
  size_t i = 0;
  while (i < installedIds.size()) {
    const uint32_t other = installedIds[i];
    const auto* record = other == keep ? nullptr : list.FindById(other);
    if (record != nullptr && drop(*record)) {
      installedIds[i] = installedIds.back();
      installedIds.pop_back();
    } else {
      ++i;
    }
  }
}

template <typename Catalogue>
void UpgradeSelection::SetInstalledExclusive(const Catalogue& list, uint32_t id, bool on) {
  if (!on) {
    SetInstalled(id, false);
    return;
  }
  const auto* upgrade = list.FindById(id);
  if (IsInstalled(id)) {
    if (upgrade == nullptr) return;
    RemoveInstalledWhere(list, id, [&](const auto& other) {
      return other.category == upgrade->category && static_cast<bool>(other.exclusive) != static_cast<bool>(upgrade->exclusive);
    });
    return;
  }
  if (upgrade != nullptr) {
    const bool exclusive = upgrade->exclusive;
    RemoveInstalledWhere(list, id, [&](const auto& other) {
      return other.category == upgrade->category && (exclusive || other.exclusive);
    });
  }
  installedIds.push_back(id);
}

}  // namespace vehicle
