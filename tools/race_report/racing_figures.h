// How cleanly the cars of a race drive: spins, time spent facing backwards or flagged wrong way, respawns (where
// and why), hull contacts with the track and lap times, watched frame by frame. The race report prints them and the racing
// tests hold the sample content to the goals below, from the same code.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/math/types.h"
#include "vehicle/vehicle.h"

namespace race_report {

// One time a car was put back on the track: where it was and what it was doing in the frame before.
struct PutBack {
  float at = 0;            // seconds after the start signal
  platform::Vec3 place;    // where the car was
  uint32_t pathIndex = 0;  // its place along the AI path there
  float fastestMph = 0;    // its top speed over the few seconds before
  float nearestCar = 0;    // level distance to the nearest other racer (inches), 0 when it raced alone
  // "overturned" (on its side or roof, or resting on its body), "airborne" (no wheel on the ground), "wrong way"
  // (driving against its path) or "stuck" (none of these: held against a wall or another car).
  std::string cause;
};

struct CarFigures {
  int32_t carClass = 0;
  int32_t spins = 0;            // times the car turned round: velocity more than 90 degrees from the nose
  float spunSeconds = 0;        // time spent turned round
  float wrongWaySeconds = 0;    // time the car was flagged driving the wrong way
  int32_t respawns = 0;         // times the car was put back on the track
  uint32_t wallContacts = 0;    // hull points that touched the track (walls, ramp sides), counted per step
  std::vector<float> lapTimes;  // seconds of every lap completed (either way round), the first from the start signal
  std::vector<PutBack> putBacks;  // every respawn, in order
  float BestLap() const;        // the fastest of lapTimes, 0 when none
};

// Above this speed a car whose velocity points more than 90 degrees from its nose has spun round.
constexpr float kSpinSpeedMph = 20;
// A spin ends once the car has pointed the way it travels (or slowed down) for this long.
constexpr float kSpinSettleSeconds = 0.5f;
// A put-back names the car's top speed over this many seconds before it.
constexpr float kPutBackLookBack = 5.0f;

class FigureKeeper {
 public:
  // The cars of the field as the race starts; reversed: drivers that race the other way round (chicken
  // opponents), whose wrong-way flag means the opposite.
  FigureKeeper(const std::vector<const vehicle::Vehicle*>& cars, const std::vector<bool>& reversed);
  // After a frame of dt seconds at time now (simulated seconds since loading); racing: the start signal has
  // gone. Cars that left the race are left as they were.
  void Observe(const std::vector<vehicle::Vehicle*>& racing, double now, float dt, bool raceStarted);
  const std::vector<CarFigures>& Figures() const { return figures_; }

 private:
  struct Watch {
    bool started = false;
    double lapStart = 0;
    int32_t highestLap = 0;
    uint32_t contactsAtStart = 0;
    bool wasRespawning = false;
    bool inSpin = false;
    float lastFraction = 0;  // the car's share of a lap at the last frame
    float settled = 0;  // seconds the spin condition has been clear
    double start = 0;   // when the start signal went
    PutBack last;       // the car as a put-back would describe it, from the last frame
    std::deque<std::pair<double, float>> speeds;  // (time, mph) over the look-back
  };
  std::vector<const vehicle::Vehicle*> cars_;
  std::vector<bool> reversed_;
  std::vector<CarFigures> figures_;
  std::vector<Watch> watch_;
};

// What the sample content promises over a race of `seconds`: turned round under 2% of the time, at most one
// respawn in five whole laps, at most maxWallContacts hull contacts, every car through its laps, and in lap races
// best laps of cars of one class within 10% of each other.
// Hull contacts with the walls a car may make in 200 s: about a third of what a computer car averaged (933)
// before the sample cars and circuits were fitted to the drivers, a tenth of the worst (4334). Over a whole
// race list the contacts are now under a tenth of what they were.
constexpr uint32_t kWallContactsPerCar = 300;
struct RaceGoals {
  float maxSpunShare = 0.02f;
  float respawnsPerLap = 0.2f;
  uint32_t maxWallContacts = 0;
  float bestLapSpread = 0.10f;
};
struct RaceFacts {
  std::string race;
  std::string type;  // LAP, KNOCKOUT, TIMETRIAL, CHICKEN
  int32_t laps = 0;
  float seconds = 0;
};
// The widest spread of best laps among cars of one class, as a share of the fastest (0.1 is 10%); cars without
// a lap are left out.
float BestLapSpread(const std::vector<CarFigures>& figures);
// One line per goal missed, naming the car (by its index in figures) and the figure; empty when all are met.
// knockedOut: per car, whether a knock-out took it out (it need not finish).
std::vector<std::string> MissedGoals(const RaceFacts& race, const std::vector<CarFigures>& figures,
                                     const std::vector<bool>& knockedOut, const RaceGoals& goals = {});

}  // namespace race_report
