// The player profile: fresh state over the database's cars, working selection, and the binary profile file.
#include "race/player_profile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <unordered_map>

#include "app/binary_reader.h"
#include "app/damaged_file.h"
#include "app/paths.h"
#include "platform/file_system.h"
#include "race/content_database.h"
#include "race/race_definition.h"

namespace race {
namespace {

// Smallest vehicle entry: name length, owned byte, two counts.
constexpr uint64_t kMinEntryBytes = 4 + 1 + 4 + 4;
constexpr size_t kHeaderBytes = 12;

// Appends the ids the list does not hold yet, in order, as the car's selection takes them. `sorted` holds the
// list's ids by value, so each id is looked up in a few steps however often the file names the car. A car has at
// most vehicle::kMaxUpgrades upgrades, so a list is full there: a file repeating ids or naming one car many times
// cannot grow it further.
void AddUnique(std::vector<uint32_t>& ids, std::vector<uint32_t>& sorted, const std::vector<uint32_t>& more) {
  for (uint32_t id : more) {
    if (ids.size() >= vehicle::kMaxUpgrades) return;
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), id);
    if (at != sorted.end() && *at == id) continue;
    sorted.insert(at, id);
    ids.push_back(id);
  }
}

uint32_t ReadUint32(app::BinaryReader& reader) { return static_cast<uint32_t>(app::ReadInt32(reader)); }

bool ReadIds(app::BinaryReader& reader, uint32_t count, std::vector<uint32_t>& ids) {
  if (!reader.CanRead(count, 4)) return false;
  ids.resize(count);
  for (uint32_t& id : ids) id = ReadUint32(reader);
  return true;
}

void PutUint32(std::vector<unsigned char>& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

// Reads the header into money and progress, then hands each car entry to visit in file order (the entry may be
// moved from). What follows the last entry is not looked at.
template <typename Visit>
bool ReadProfileEntries(const std::vector<unsigned char>& bytes, int32_t& money, uint32_t& careerProgress,
                        std::string& problem, Visit&& visit) {
  app::BinaryReader reader(bytes);
  if (bytes.size() < kHeaderBytes) {
    problem = "shorter than its header";
    return false;
  }
  money = app::ReadInt32(reader);
  careerProgress = ReadUint32(reader);
  const uint32_t count = ReadUint32(reader);
  if (!reader.CanRead(count, kMinEntryBytes)) {
    problem = "counts " + std::to_string(count) + " cars, more than the file holds";
    return false;
  }
  ProfileFileEntry entry;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t nameBytes = ReadUint32(reader);
    if (nameBytes > kMaxProfileNameBytes || !reader.CanRead(nameBytes, 1)) {
      problem = "car " + std::to_string(i) + " has a name of " + std::to_string(nameBytes) + " bytes";
      return false;
    }
    entry.vehicleName.resize(nameBytes);
    reader.ReadBytes(entry.vehicleName.data(), nameBytes);
    entry.owned = app::ReadByte(reader) != 0;
    const uint32_t ownedCount = ReadUint32(reader);
    const uint32_t installedCount = ReadUint32(reader);
    if (reader.Overrun() || !ReadIds(reader, ownedCount, entry.ownedIds) ||
        !ReadIds(reader, installedCount, entry.installedIds)) {
      problem = "ends inside car " + std::to_string(i);
      return false;
    }
    visit(entry);
  }
  return true;
}

// Applies entries to a profile with its name look-ups built once, so a file of many cars costs time in
// proportion to its length.
class EntryApplier {
 public:
  explicit EntryApplier(PlayerProfile& profile) : profile_(profile) {
    // The first of two equal names wins, as PlayerProfile::IndexOf finds it.
    for (size_t i = 0; i < profile.vehicleNames.size(); ++i) known_.emplace(profile.vehicleNames[i], i);
    for (size_t i = 0; i < profile.otherVehicles.size(); ++i) kept_.emplace(profile.otherVehicles[i].vehicleName, i);
  }

  void Apply(const ProfileFileEntry& entry) {
    const auto known = known_.find(entry.vehicleName);
    if (known != known_.end()) {
      const size_t index = known->second;
      profile_.owned[index] = entry.owned;
      vehicle::UpgradeSelection& selection = *profile_.selections[index];
      auto [lists, made] = sorted_.try_emplace(index);
      if (made) {
        lists->second.owned = Sorted(selection.ownedIds);
        lists->second.installed = Sorted(selection.installedIds);
      }
      AddUnique(selection.ownedIds, lists->second.owned, entry.ownedIds);
      AddUnique(selection.installedIds, lists->second.installed, entry.installedIds);
      return;
    }
    // A car of another content list: its last entry is kept, its lists held as its selection would hold them.
    ProfileFileEntry kept;
    kept.vehicleName = entry.vehicleName;
    kept.owned = entry.owned;
    std::vector<uint32_t> sorted;
    AddUnique(kept.ownedIds, sorted, entry.ownedIds);
    sorted.clear();
    AddUnique(kept.installedIds, sorted, entry.installedIds);
    const auto held = kept_.find(entry.vehicleName);
    if (held != kept_.end()) {
      profile_.otherVehicles[held->second] = std::move(kept);
    } else if (profile_.otherVehicles.size() < kMaxKeptVehicles) {
      kept_.emplace(entry.vehicleName, profile_.otherVehicles.size());
      profile_.otherVehicles.push_back(std::move(kept));
    }
  }

 private:
  struct SortedLists {
    std::vector<uint32_t> owned, installed;
  };
  static std::vector<uint32_t> Sorted(std::vector<uint32_t> ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
  }

  PlayerProfile& profile_;
  std::unordered_map<std::string, size_t> known_;
  std::unordered_map<std::string, size_t> kept_;
  // The database cars' lists by value, made when the file first names the car.
  std::unordered_map<size_t, SortedLists> sorted_;
};

}  // namespace

bool ParseProfileFile(const std::vector<unsigned char>& bytes, ProfileFileData& data, std::string& problem) {
  data = ProfileFileData{};
  return ReadProfileEntries(bytes, data.money, data.careerProgress, problem,
                            [&](ProfileFileEntry& entry) { data.vehicles.push_back(std::move(entry)); });
}

std::vector<unsigned char> EncodeProfileFile(const ProfileFileData& data) {
  std::vector<unsigned char> bytes;
  PutUint32(bytes, static_cast<uint32_t>(data.money));
  PutUint32(bytes, data.careerProgress);
  PutUint32(bytes, static_cast<uint32_t>(data.vehicles.size()));
  for (const ProfileFileEntry& entry : data.vehicles) {
    PutUint32(bytes, static_cast<uint32_t>(entry.vehicleName.size()));
    bytes.insert(bytes.end(), entry.vehicleName.begin(), entry.vehicleName.end());
    bytes.push_back(entry.owned ? 1 : 0);
    PutUint32(bytes, static_cast<uint32_t>(entry.ownedIds.size()));
    PutUint32(bytes, static_cast<uint32_t>(entry.installedIds.size()));
    for (uint32_t id : entry.ownedIds) PutUint32(bytes, id);
    for (uint32_t id : entry.installedIds) PutUint32(bytes, id);
  }
  return bytes;
}

PlayerProfile::PlayerProfile(const ContentDatabase* database)
    : database(database), workingSelection(std::make_unique<vehicle::UpgradeSelection>()) {
  Reset();
  // A new profile starts with its flags down; Reset raised `changed` by clearing the working selection.
  changed = false;
}

int PlayerProfile::IndexOf(const std::string& vehicleName) const {
  for (size_t i = 0; i < vehicleNames.size(); ++i) {
    if (vehicleNames[i] == vehicleName) return static_cast<int>(i);
  }
  return -1;
}

vehicle::UpgradeSelection* PlayerProfile::GetVehicleRecord(const std::string& vehicleName) {
  const int index = IndexOf(vehicleName);
  return index < 0 ? nullptr : selections[static_cast<size_t>(index)].get();
}

bool PlayerProfile::IsOwned(const std::string& vehicleName) const {
  const int index = IndexOf(vehicleName);
  return index >= 0 && owned[static_cast<size_t>(index)];
}

void PlayerProfile::SetOwned(const std::string& vehicleName) {
  const int index = IndexOf(vehicleName);
  if (index >= 0) owned[static_cast<size_t>(index)] = true;
}

void PlayerProfile::SetWorkingSelection(const vehicle::UpgradeSelection& selection) {
  if (selection.ownedIds != workingSelection->ownedIds || selection.installedIds != workingSelection->installedIds) {
    changed = true;
  }
  workingSelection->ownedIds = selection.ownedIds;
  workingSelection->installedIds = selection.installedIds;
}

void PlayerProfile::GetWorkingSelection(vehicle::UpgradeSelection& selection) const {
  selection.ownedIds = workingSelection->ownedIds;
  selection.installedIds = workingSelection->installedIds;
}

void PlayerProfile::ClearWorkingSelection() {
  workingSelection->ownedIds.clear();
  workingSelection->installedIds.clear();
  changed = true;
}

bool PlayerProfile::IsRaceLocked(const RaceDefinition& race) const {
  return race.classRestriction != kClassMixed && race.classRestriction > careerProgress;
}

bool PlayerProfile::CanAffordEntry(const RaceDefinition& race) const { return money >= race.entryFee; }

bool PlayerProfile::PayEntryFee(const RaceDefinition& race) {
  if (race.entryFee <= 0) return true;
  if (!CanAffordEntry(race)) return false;
  money -= race.entryFee;
  return true;
}

void PlayerProfile::AddMoney(int64_t amount) {
  constexpr int64_t kLimit = int64_t{1} << 32;  // beyond any 32-bit result, and no 64-bit overflow
  const int64_t total = static_cast<int64_t>(money) + std::clamp(amount, -kLimit, kLimit);
  money = static_cast<int32_t>(std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
}

bool PlayerProfile::AdvanceCareer(const RaceDefinition& race, uint32_t place) {
  if (race.mode != kModeCareer || place != 1) return false;
  if (race.classRestriction != careerProgress || careerProgress >= kMaxCareerProgress) return false;
  ++careerProgress;
  return true;
}

void PlayerProfile::Reset() {
  ClearWorkingSelection();
  vehicleNames.clear();
  owned.clear();
  selections.clear();
  otherVehicles.clear();
  money = kFreshProfileMoney;
  careerProgress = 0;
  if (database == nullptr) return;
  for (const std::string& vehicleName : database->vehicleNames) {
    vehicleNames.push_back(vehicleName);
    owned.push_back(false);
    selections.push_back(std::make_unique<vehicle::UpgradeSelection>());
  }
}

ProfileFileData PlayerProfile::ToFileData() const {
  ProfileFileData data;
  data.money = money;
  data.careerProgress = careerProgress;
  for (size_t i = 0; i < vehicleNames.size(); ++i) {
    ProfileFileEntry entry;
    entry.vehicleName = vehicleNames[i];
    entry.owned = owned[i];
    entry.ownedIds = selections[i]->ownedIds;
    entry.installedIds = selections[i]->installedIds;
    data.vehicles.push_back(std::move(entry));
  }
  data.vehicles.insert(data.vehicles.end(), otherVehicles.begin(), otherVehicles.end());
  return data;
}

void PlayerProfile::Apply(const ProfileFileData& data) {
  money = data.money;
  careerProgress = std::min(data.careerProgress, kMaxCareerProgress);
  EntryApplier applier(*this);
  for (const ProfileFileEntry& entry : data.vehicles) applier.Apply(entry);
}

bool PlayerProfile::ApplyFile(const std::vector<unsigned char>& bytes, std::string& problem) {
  EntryApplier applier(*this);
  int32_t fileMoney = kFreshProfileMoney;
  uint32_t fileProgress = 0;
  if (!ReadProfileEntries(bytes, fileMoney, fileProgress, problem,
                          [&](const ProfileFileEntry& entry) { applier.Apply(entry); })) {
    Reset();
    return false;
  }
  money = fileMoney;
  careerProgress = std::min(fileProgress, kMaxCareerProgress);
  return true;
}

bool PlayerProfile::Save() const {
  if (fileName.empty()) return false;
  const size_t separator = fileName.find_last_of("/\\");
  if (separator != std::string::npos && separator > 0) platform::CreateFolders(fileName.substr(0, separator));
  const std::vector<unsigned char> bytes = EncodeProfileFile(ToFileData());
  return platform::WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

ProfileLoad PlayerProfile::Load(const std::string& path) {
  Save();
  Reset();
  fileName = path;
  damagedCopy.clear();
  if (path.size() > 4) {
    // The profile screens join the game folder ('/') and "PROFILES\\": the last separator of either kind counts.
    const size_t separator = path.find_last_of("/\\");
    std::string fileNamePart = separator == std::string::npos ? path : path.substr(separator + 1);
    fileNamePart = fileNamePart.size() > 4 ? fileNamePart.substr(0, fileNamePart.size() - 4) : std::string();
    for (char& c : fileNamePart) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    name = fileNamePart;
  }

  if (!app::FileExists(path)) {
    // A new player: the fresh profile is written at once.
    Save();
    return ProfileLoad::kCreated;
  }
  std::vector<unsigned char> bytes;
  std::string unreadable;
  // From here on a file that cannot be used is never written over: the player decides what becomes of it.
  if (!platform::ReadWholeFile(path, bytes, kMaxProfileFileBytes, &unreadable)) {
    std::fprintf(stderr, "%s: profile %s; left as it is, playing a fresh profile that is not saved\n", path.c_str(),
                 unreadable.c_str());
    fileName.clear();
    return ProfileLoad::kRejected;
  }
  std::string problem;
  if (!ApplyFile(bytes, problem)) {
    damagedCopy = app::KeepDamagedCopy(path, bytes);
    if (!damagedCopy.empty()) {
      std::fprintf(stderr, "%s: damaged profile (%s); kept as %s, playing a fresh profile that is not saved\n",
                   path.c_str(), problem.c_str(), damagedCopy.c_str());
    } else {
      std::fprintf(stderr, "%s: damaged profile (%s); no copy could be kept, left as it is, playing a fresh profile "
                   "that is not saved\n", path.c_str(), problem.c_str());
    }
    fileName.clear();
    return ProfileLoad::kRejected;
  }
  loaded = true;
  return ProfileLoad::kLoaded;
}

}  // namespace race
