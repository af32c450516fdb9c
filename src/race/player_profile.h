// The player's profile: name, money, career progress, owned cars and each car's upgrade selection, kept in one
// binary file per player under PROFILES\.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vehicle/upgrades.h"

namespace race {

class ContentDatabase;
struct RaceDefinition;

inline constexpr int32_t kFreshProfileMoney = 5000;
inline constexpr uint32_t kMaxCareerProgress = 4;
// Longest car name a profile file may hold; a longer one marks the file as damaged.
inline constexpr uint32_t kMaxProfileNameBytes = 499;
// Most cars of other content lists a profile keeps aside to write back. The content list's own cars are never
// limited; an unknown car past this many is read and dropped, so a damaged file's made-up names are not carried
// from save to save without end.
inline constexpr size_t kMaxKeptVehicles = 4096;
// Bytes of the largest car entry the game writes: name length, longest name, owned byte, two counts and every
// upgrade of a car both owned and installed.
inline constexpr size_t kMaxProfileEntryBytes = 4 + kMaxProfileNameBytes + 1 + 4 + 4 + 8 * vehicle::kMaxUpgrades;
// Largest profile file read. A player's profile is a few kilobytes; even a content list of a thousand cars, each
// with every upgrade bought and fitted, writes under 9 MB. A larger file is refused before any of it is read and
// left as it is, so a damaged count cannot make the game hold or copy hundreds of megabytes.
inline constexpr size_t kMaxProfileFileBytes = size_t{16} << 20;
static_assert(kMaxProfileFileBytes > 12 + 1000 * kMaxProfileEntryBytes);

// What PlayerProfile::Load found.
enum class ProfileLoad {
  kLoaded,    // the file was read
  kCreated,   // no file: a fresh profile was written under the name
  // The file cannot be read or is damaged: the profile is fresh and its file name is cleared, so nothing is
  // written over the file until the player chooses. A damaged file's bytes are kept beside it (damagedCopy); a
  // file over kMaxProfileFileBytes is not read, and no copy of it is made.
  kRejected,
};

// The file's content before it is applied to the profile.
struct ProfileFileEntry {
  std::string vehicleName;
  bool owned = false;
  std::vector<uint32_t> ownedIds;
  std::vector<uint32_t> installedIds;
};
struct ProfileFileData {
  int32_t money = kFreshProfileMoney;
  uint32_t careerProgress = 0;
  std::vector<ProfileFileEntry> vehicles;
};

// Little-endian, no header: money, career progress, N, then N entries of name length, name bytes, owned byte,
// A, B, A owned ids, B installed ids, every id as the file lists it. Bytes after the last entry are not read (an
// editor's line end, an end-of-file mark or padding leave the profile as it was). Counts are checked against the
// bytes left before anything is allocated; a name longer than kMaxProfileNameBytes or a file ending before its
// counts say marks the file as damaged. Returns false with the problem in words.
bool ParseProfileFile(const std::vector<unsigned char>& bytes, ProfileFileData& data, std::string& problem);
std::vector<unsigned char> EncodeProfileFile(const ProfileFileData& data);

class PlayerProfile {
 public:
  // A fresh profile ("Player", 5000, career 0, nothing owned) over the database's cars. The database must outlive
  // the profile.
  explicit PlayerProfile(const ContentDatabase* database);
  PlayerProfile(const PlayerProfile&) = delete;
  PlayerProfile& operator=(const PlayerProfile&) = delete;

  // Position of the car name, matched byte for byte (letter case matters), or -1.
  int IndexOf(const std::string& vehicleName) const;
  // The car's selection, or null for a name the profile does not hold.
  vehicle::UpgradeSelection* GetVehicleRecord(const std::string& vehicleName);
  bool IsOwned(const std::string& vehicleName) const;
  // Marks a bought car owned (the purchase screens' ClearOwned); an unknown name changes nothing.
  void SetOwned(const std::string& vehicleName);

  // The working selection is the one the garage edits for the car on display. Setting it copies both id lists
  // and raises `changed` when they differ from the working ones; clearing always raises it. The application
  // and the screens also call these SetBits, GetBits and ResetBits.
  void SetWorkingSelection(const vehicle::UpgradeSelection& selection);
  void GetWorkingSelection(vehicle::UpgradeSelection& selection) const;
  void ClearWorkingSelection();
  // The screens call the working selection the current one.
  void SetCurrentSelection(const vehicle::UpgradeSelection& selection) { SetWorkingSelection(selection); }
  void GetCurrentSelection(vehicle::UpgradeSelection& selection) const { GetWorkingSelection(selection); }
  void ClearCurrentSelection() { ClearWorkingSelection(); }

  // A career race is locked while its tier (class restriction) is above the career progress; MIXED races never are.
  bool IsRaceLocked(const RaceDefinition& race) const;
  bool CanAffordEntry(const RaceDefinition& race) const;
  // Takes the entry fee; false (money unchanged) when the player cannot afford it. A fee below 0 costs nothing.
  bool PayEntryFee(const RaceDefinition& race);
  // Adds winnings (or a negative amount), held inside the 32-bit range instead of wrapping.
  void AddMoney(int64_t amount);
  // After a race: a first place (place 1) in a career race of the current tier opens the next tier, up to
  // kMaxCareerProgress. Other modes never move the career. True when the progress rose.
  bool AdvanceCareer(const RaceDefinition& race, uint32_t place);

  void SetName(const std::string& text) { name = text; }
  void SetFilePath(const std::string& path) { fileName = path; }

  // Fresh money, progress, cars and selections for the database's current cars; name, file and `loaded` stay.
  void Reset();
  // Writes the profile to fileName through a temporary file (its folder is created when missing). False when
  // there is no file name or it cannot be written; an old file is then left as it was.
  bool Save() const;
  // Saves the current player, resets, takes the path as the new file and its name (upper-cased, without folder
  // and extension) as the player's name, then reads it. A missing file is created with the fresh profile. A
  // damaged file prints one line and is handled as ProfileLoad::kRejected says.
  ProfileLoad Load(const std::string& path);
  // Applies parsed file content: known cars get their owned bit and ids (duplicates dropped, at most
  // vehicle::kMaxUpgrades in a list, as the selection holds them), progress is held at kMaxCareerProgress. Cars
  // the content list no longer names are kept aside in `otherVehicles` (up to kMaxKeptVehicles, their lists
  // held the same way) and written back on save, so a car missing for one run (a damaged or edited content list)
  // is not lost for good.
  void Apply(const ProfileFileData& data);
  // Reads a profile file's bytes (as ParseProfileFile reads them) into the profile one car at a time, as Apply
  // applies them, so a file of many cars is never held twice. On a damaged file returns false with the problem
  // and leaves the profile reset.
  bool ApplyFile(const std::vector<unsigned char>& bytes, std::string& problem);
  // The profile as file content: cars in database order, then the cars kept aside.
  ProfileFileData ToFileData() const;

  bool loaded = false;
  bool changed = false;
  std::string name = "Player";
  std::string fileName;
  // Where the last Load kept the bytes of a damaged file (app::KeepDamagedCopy); empty when nothing was kept.
  std::string damagedCopy;
  const ContentDatabase* database = nullptr;
  int32_t money = kFreshProfileMoney;
  uint32_t careerProgress = 0;
  std::vector<std::string> vehicleNames;
  std::vector<bool> owned;
  std::vector<std::unique_ptr<vehicle::UpgradeSelection>> selections;
  std::unique_ptr<vehicle::UpgradeSelection> workingSelection;
  // File entries of cars the database does not list, in file order (a later entry of a name replaces it).
  std::vector<ProfileFileEntry> otherVehicles;
};

}  // namespace race
