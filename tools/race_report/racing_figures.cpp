// Spins, wrong-way time, respawns, wall contacts and lap times of every car of a race, and the goals they meet.
#include "race_report/racing_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace race_report {

float CarFigures::BestLap() const {
  return lapTimes.empty() ? 0.0f : *std::min_element(lapTimes.begin(), lapTimes.end());
}

FigureKeeper::FigureKeeper(const std::vector<const vehicle::Vehicle*>& cars, const std::vector<bool>& reversed)
    : cars_(cars), reversed_(reversed), figures_(cars.size()), watch_(cars.size()) {
  reversed_.resize(cars_.size(), false);
  for (size_t i = 0; i < cars_.size(); ++i) figures_[i].carClass = cars_[i]->carClass;
}

void FigureKeeper::Observe(const std::vector<vehicle::Vehicle*>& racing, double now, float dt, bool raceStarted) {
  for (size_t i = 0; i < cars_.size(); ++i) {
    const vehicle::Vehicle& car = *cars_[i];
    if (std::find(racing.begin(), racing.end(), &car) == racing.end()) continue;
    CarFigures& figures = figures_[i];
    Watch& watch = watch_[i];
    if (!raceStarted) {
      watch.contactsAtStart = car.trackContacts;
      watch.highestLap = car.lapCount;
      watch.wasRespawning = car.respawning;
      watch.lastFraction = car.progress - std::floor(car.progress);
      continue;
    }
    if (!watch.started) {
      // The first frame after the start signal: the clock of the first lap runs from here.
      watch.started = true;
      watch.lapStart = now - dt;
      watch.start = now - dt;
    }
    figures.wallContacts = car.trackContacts - watch.contactsAtStart;
    const bool wrongWay = car.wrongWay != reversed_[i];
    if (car.respawning && !watch.wasRespawning) {
      ++figures.respawns;
      PutBack putBack = watch.last;
      putBack.at = static_cast<float>(now - watch.start);
      for (const auto& [time, mph] : watch.speeds) putBack.fastestMph = std::max(putBack.fastestMph, mph);
      figures.putBacks.push_back(putBack);
    }
    watch.wasRespawning = car.respawning;
    if (wrongWay) figures.wrongWaySeconds += dt;
    if (!car.respawning) {
      watch.last.place = car.position;
      watch.last.pathIndex = car.pathIndex;
      watch.last.nearestCar = 0;
      for (const vehicle::Vehicle* other : racing) {
        if (other == &car) continue;
        const float d = std::hypot(other->position.x - car.position.x, other->position.z - car.position.z);
        if (watch.last.nearestCar == 0 || d < watch.last.nearestCar) watch.last.nearestCar = d;
      }
      watch.last.cause = car.IsTippedOver() || car.HasBodyContact() ? "overturned"
                         : !car.AnyWheelOnGround()                  ? "airborne"
                         : wrongWay                                 ? "wrong way"
                                                                    : "stuck";
      watch.speeds.emplace_back(now, car.speedMph);
    }
    while (!watch.speeds.empty() && watch.speeds.front().first < now - kPutBackLookBack) watch.speeds.pop_front();

    // Laps: a new highest lap closes one. Crossing the line from behind the grid (lap -1 to 0) only starts it.
    // A car racing the other way round never counts a lap up: its lap closes when its place on the circuit
    // wraps from just past the line to just before it.
    if (reversed_[i]) {
      const float fraction = car.progress - std::floor(car.progress);
      if (watch.lastFraction < 0.25f && fraction > 0.75f && !car.respawning) {
        figures.lapTimes.push_back(static_cast<float>(now - watch.lapStart));
        watch.lapStart = now;
      }
      watch.lastFraction = fraction;
    } else if (car.lapCount > watch.highestLap) {
      if (car.lapCount >= 1 && !reversed_[i]) figures.lapTimes.push_back(static_cast<float>(now - watch.lapStart));
      watch.lapStart = now;
      watch.highestLap = car.lapCount;
    }

    // Turned round: level velocity more than 90 degrees from the level nose, fast enough to be more than a
    // shuffle. A car being put back on the track does not count.
    const float along = car.velocity.x * car.forwardAxis.x + car.velocity.z * car.forwardAxis.z;
    const bool spun = !car.respawning && car.speedMph > kSpinSpeedMph && along < 0;
    if (spun) {
      figures.spunSeconds += dt;
      watch.settled = 0;
      if (!watch.inSpin) {
        watch.inSpin = true;
        ++figures.spins;
      }
    } else if (watch.inSpin) {
      watch.settled += dt;
      if (watch.settled >= kSpinSettleSeconds) watch.inSpin = false;
    }
  }
}

namespace {

std::string Line(const char* format, size_t car, double a, double b) {
  char text[160];
  std::snprintf(text, sizeof text, format, car, a, b);
  return text;
}

}  // namespace

namespace {

// Per class, the fastest and the slowest best lap.
std::map<int32_t, std::pair<float, float>> BestLapRanges(const std::vector<CarFigures>& figures) {
  std::map<int32_t, std::pair<float, float>> byClass;
  for (const CarFigures& car : figures) {
    const float best = car.BestLap();
    if (best <= 0) continue;
    auto [it, fresh] = byClass.try_emplace(car.carClass, best, best);
    if (!fresh) it->second = {std::min(it->second.first, best), std::max(it->second.second, best)};
  }
  return byClass;
}

}  // namespace

float BestLapSpread(const std::vector<CarFigures>& figures) {
  float spread = 0;
  for (const auto& [carClass, range] : BestLapRanges(figures)) spread = std::max(spread, range.second / range.first - 1);
  return spread;
}

std::vector<std::string> MissedGoals(const RaceFacts& race, const std::vector<CarFigures>& figures,
                                     const std::vector<bool>& knockedOut, const RaceGoals& goals) {
  std::vector<std::string> missed;
  const bool lapsCount = race.type != "CHICKEN";
  for (size_t i = 0; i < figures.size(); ++i) {
    const CarFigures& car = figures[i];
    const bool out = i < knockedOut.size() && knockedOut[i];
    if (car.spunSeconds > goals.maxSpunShare * race.seconds) {
      missed.push_back(Line("car %zu spent %.1f s turned round (limit %.1f s)", i, car.spunSeconds,
                            goals.maxSpunShare * race.seconds));
    }
    // One respawn is allowed for every five whole laps driven.
    const auto laps = static_cast<float>(car.lapTimes.size());
    const float allowed = std::floor(laps * goals.respawnsPerLap + 1e-3f);
    if (static_cast<float>(car.respawns) > allowed) {
      std::string line = Line("car %zu was put back on the track %.0f times (limit %.0f)", i, car.respawns, allowed);
      // Each put-back: when, where along the path, why, how fast the car had been going and how close the
      // nearest other car was, so a miss can be traced to its corner without running the race again.
      for (size_t k = 0; k < car.putBacks.size(); ++k) {
        const PutBack& put = car.putBacks[k];
        char text[160];
        std::snprintf(text, sizeof text, "%s %.1f s at path point %u (%.0f, %.0f), %s after %.0f mph, nearest car %.0f",
                      k == 0 ? ":" : ";", static_cast<double>(put.at), put.pathIndex, static_cast<double>(put.place.x),
                      static_cast<double>(put.place.z), put.cause.c_str(), static_cast<double>(put.fastestMph),
                      static_cast<double>(put.nearestCar));
        line += text;
      }
      missed.push_back(line);
    }
    if (car.wallContacts > goals.maxWallContacts) {
      missed.push_back(Line("car %zu touched the walls %.0f times (limit %.0f)", i, car.wallContacts,
                            goals.maxWallContacts));
    }
    if (lapsCount && !out && static_cast<int32_t>(car.lapTimes.size()) < race.laps) {
      missed.push_back(Line("car %zu drove %.0f of its %.0f laps", i, static_cast<double>(car.lapTimes.size()),
                            race.laps));
    }
  }
  if (race.type == "LAP") {
    for (const auto& [carClass, range] : BestLapRanges(figures)) {
      if (range.second > range.first * (1 + goals.bestLapSpread)) {
        missed.push_back(Line("class %zu best laps run from %.2f s to %.2f s", static_cast<size_t>(carClass),
                              range.first, range.second));
      }
    }
  }
  return missed;
}

}  // namespace race_report
