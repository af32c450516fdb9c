// One race as a race list describes it: track, laps, opponents, type, mode, class, fee, prizes and fixed racers;
// and the keyword tables that race lists, the content list and the screens share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace race {

inline constexpr int kRaceTypeCount = 4;
inline constexpr int kGameModeCount = 4;
inline constexpr int kCarClassCount = 5;
inline constexpr int kRewardPlaces = 11;
inline constexpr int kTargetTimeCount = 4;
inline constexpr int kOrdinalSuffixCount = 32;

enum RaceType : uint32_t { kRaceLap, kRaceKnockout, kRaceTimeTrial, kRaceChicken };
enum GameMode : uint32_t { kModeInstant, kModeQuick, kModeCareer, kModeContest };
enum CarClass : uint32_t { kClassOpen, kClassC, kClassB, kClassA, kClassMixed };

extern const std::array<const char*, kRaceTypeCount> RaceTypeNames;   // "LAP", "KNOCKOUT", "TIMETRIAL", "CHICKEN"
extern const std::array<const char*, kGameModeCount> GameModeNames;   // "INSTANT", "QUICK", "CAREER", "CONTEST"
extern const std::array<const char*, kCarClassCount> CarClassNames;   // "OPEN", "C", "B", "A", "MIXED"
// "th", "st", "nd", "rd", then "th": the suffix of a place number below 32.
extern const std::array<const char*, kOrdinalSuffixCount> OrdinalSuffixes;

// The index of the first table entry equal to the word in upper case, or -1.
int FindKeyword(const char* const* table, int count, const std::string& word);
template <size_t N>
int FindKeyword(const std::array<const char*, N>& table, const std::string& word) {
  return FindKeyword(table.data(), static_cast<int>(N), word);
}

// The C library's decimal conversion: leading white space, optional sign, digits up to the first other
// character; 0 without digits. Values beyond 32 bits are clamped.
int32_t ParseInt(const std::string& text);

class RaceList;

// A race of a list. Definitions are built by their list and never change after reading, except that the
// practice screen writes its choices (laps, opponents, class, difficulty) straight into its venues.
struct RaceDefinition {
  RaceDefinition(uint32_t index, std::string name, std::string path, const std::vector<std::string>* aiNameList,
                 uint32_t mode, uint32_t type, int32_t laps, uint32_t playerStart, uint32_t opponents, bool reverse);

  // The prize for a finishing place (1 = first, up to 10); 0 for other places.
  int32_t RewardForPlace(uint32_t place) const;

  // The screens' names for RaceList::CountByClass and RaceList::NthByClass (also known as CountByMode and
  // NthByMode); a missing list has no races.
  static int CountByClass(const RaceList* list, uint32_t classId);
  static RaceDefinition* NthByClass(const RaceList* list, uint32_t classId, int n);

  // Appends one fixed opponent; startPosition counts from 0.
  void AddAiRacer(const std::string& racerName, const std::string& vehicleFile, uint32_t startPosition,
                  const std::vector<uint32_t>& upgradeIds);

  uint32_t type = kRaceLap;
  uint32_t mode = kModeQuick;
  // Always 2; nothing reads it.
  uint32_t flags = 2;
  std::string path;  // the track's scene file, relative to the game folder
  std::string name = "Unknown";
  uint32_t classRestriction = kClassMixed;
  bool reverse = false;
  bool hasPlayerEntry = false;
  // Position among the list's races, from 0: the race's number and its leaderboard id.
  uint32_t index = 0;
  int32_t entryFee = 0;
  int32_t laps = 3;
  uint32_t opponents = 4;
  uint32_t playerStart = 0;  // grid slot from 0
  // The opponents' driving skill 0-4; every race read from a list drives at 2.
  int32_t aiDifficulty = 2;
  std::string playerVehicle;
  std::vector<uint32_t> playerUpgrades;
  const std::vector<std::string>* aiNameList = nullptr;  // the content database's name pool, not owned
  // Fixed opponents: entry i of each vector describes the i-th one.
  std::vector<std::string> aiRacerNames;
  std::vector<uint32_t> aiStartPositions;
  std::vector<std::string> aiVehicles;
  std::vector<std::vector<uint32_t>> aiUpgrades;
  std::array<int32_t, kRewardPlaces> rewards{};          // prize money by place 0..10
  std::array<int32_t, kTargetTimeCount> targetTimes{};  // whole numbers as written in the list
};

}  // namespace race
