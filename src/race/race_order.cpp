// Race order by progress, knock-out choice and the finish record.
#include "race/race_order.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "vehicle/vehicle.h"

namespace race {

namespace {
constexpr int32_t kTopCareerTier = 4;
}

int32_t UpdateRaceOrder(const std::vector<vehicle::Vehicle*>& racers, int32_t raceType) {
  int32_t number = 1;
  for (vehicle::Vehicle* car : racers) car->racePosition = number++;
  int32_t maxLaps = 0;
  for (const vehicle::Vehicle* car : racers) maxLaps = std::max(maxLaps, car->bestLap);
  if (raceType == kRaceTimeTrial || raceType == kRaceChicken) return maxLaps;
  // A stable sort by progress gives the order the pairwise swaps converge to, and keeps ties in list order
  // however far apart the tied cars stand in the list.
  std::vector<vehicle::Vehicle*> order(racers);
  std::stable_sort(order.begin(), order.end(),
                   [](const vehicle::Vehicle* a, const vehicle::Vehicle* b) { return a->progress > b->progress; });
  number = 1;
  for (vehicle::Vehicle* car : order) car->racePosition = number++;
  return maxLaps;
}

int KnockOutIndex(const std::vector<vehicle::Vehicle*>& racers, int32_t raceType, int32_t laps, int32_t maxLaps,
                  int32_t knockedOut) {
  const int32_t n = static_cast<int32_t>(racers.size());
  if (raceType != kRaceKnockout || n < 2) return -1;
  // One car goes at each lap's end, the last few laps of the race. A field larger than the laps can thin out
  // that way still loses one car a lap, never one still on the grid.
  const int32_t threshold = std::max(laps - n + 1, knockedOut);
  for (int i = 0; i < n; ++i) {
    const vehicle::Vehicle* car = racers[i];
    if (car->bestLap < maxLaps - 1) return i;
    if (car->racePosition != n) continue;
    if (car->bestLap > threshold) return i;
    bool everyOtherAhead = true;
    for (const vehicle::Vehicle* other : racers) {
      if (other != car && other->bestLap <= car->bestLap) everyOtherAhead = false;
    }
    if (everyOtherAhead) return i;
  }
  return -1;
}

std::unique_ptr<RaceResult> BuildRaceResult(const std::vector<vehicle::Vehicle*>& racers, uint32_t place,
                                            int32_t stuntPoints, float raceTime, const RaceDefinition* definition) {
  const size_t n = racers.size();
  std::vector<std::string> names(n);
  std::vector<float> times(n, 0.0f);
  for (vehicle::Vehicle* car : racers) {
    car->raceFlag = 1;
    if (car->racePosition < 1 || static_cast<size_t>(car->racePosition) > n) continue;
    names[car->racePosition - 1] = car->driverName;
    times[car->racePosition - 1] = raceTime;
  }
  return std::make_unique<RaceResult>(place, stuntPoints, raceTime, std::move(names), std::move(times), definition);
}

uint32_t TargetTimePlace(const RaceDefinition& definition, float raceTime) {
  constexpr uint32_t kNotPlaced = 4;
  for (uint32_t target = 1; target < kNotPlaced && target < definition.targetTimes.size(); ++target) {
    if (static_cast<float>(definition.targetTimes[target]) > raceTime) return target;
  }
  return kNotPlaced;
}

int32_t CareerProgressAfter(int32_t progress, int32_t raceTier, int32_t playerPosition) {
  if (playerPosition < 2 && progress == raceTier) return std::min(raceTier + 1, kTopCareerTier);
  return progress;
}

}  // namespace race
