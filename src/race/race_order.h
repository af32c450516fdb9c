// Race order, knock-out choice and the finish record over a race's cars, kept apart from the session so the
// rules can be run on any list of cars.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "race/race_definition.h"
#include "race/race_result.h"

namespace vehicle {
class Vehicle;
}

namespace race {

// Numbers the cars 1, 2, 3 ... in list order; outside time-trial and chicken races, renumbers them so that no
// car behind in position is ahead in progress (equal progress keeps list order). Returns the largest bestLap.
int32_t UpdateRaceOrder(const std::vector<vehicle::Vehicle*>& racers, int32_t raceType);

// The car a knock-out race drops this frame, or -1: the first in list order that is lapped (bestLap below
// maxLaps - 1), or last with a bestLap above laps - n + 1 and above knockedOut (the cars dropped so far), or
// last with every other car on more laps. Only knock-out races with at least two cars drop anyone.
int KnockOutIndex(const std::vector<vehicle::Vehicle*>& racers, int32_t raceType, int32_t laps, int32_t maxLaps,
                  int32_t knockedOut);

// The finish record: names and times by position (every time is the race time), each car's raceFlag set.
// A car whose position lies outside 1..n is left out of the tables rather than written out of bounds.
std::unique_ptr<RaceResult> BuildRaceResult(const std::vector<vehicle::Vehicle*>& racers, uint32_t place,
                                            int32_t stuntPoints, float raceTime, const RaceDefinition* definition);

// The place earned against the clock: the first of target times 1-3 that the race time is still below, 4 when
// it is below none.
uint32_t TargetTimePlace(const RaceDefinition& definition, float raceTime);

// The career progress after a result: raised by one (at most 4) when the player came first in a race of the
// current tier, else unchanged.
int32_t CareerProgressAfter(int32_t progress, int32_t raceTier, int32_t playerPosition);

}  // namespace race
