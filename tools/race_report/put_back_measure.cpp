// The reset key pressed round a sample circuit, each landing measured against the road the circuit was built on.
#include "race_report/put_back_measure.h"

#include <algorithm>
#include <cmath>

#include "contentgen/plaza_track.h"
#include "contentgen/sample_tracks.h"
#include "contentgen/test_world.h"
#include "game/headless_race.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/player_input.h"
#include "race/race_list.h"
#include "vehicle/vehicle.h"

namespace race_report {

using platform::Vec3;

namespace {

constexpr float kFrame = 1.0f / 60.0f;
constexpr int kSettleFrames = 30;      // after the put-back, before the landing is measured
constexpr float kBesideRoad = 80;      // how far beyond the road's edge the car is set down
constexpr float kSearchStep = 10;      // along the centreline, for the car's nearest point
constexpr float kCornerReach = 1500;   // a body corner's nearest centreline point lies this near the car's
constexpr float kCornerStep = 5;
constexpr float kDegrees = 57.29578f;

RoadShape RoadOfDesign(const contentgen::TrackDesign& design) {
  // The loop is copied: the design goes when this returns.
  const contentgen::TrackLoop loop = design.builder.Loop();
  return {loop.Length(), design.builder.Widths().road,
          [loop](float distance, Vec3& heading) { return loop.CentreAt(distance, &heading); }};
}

RoadShape CityRoad() {
  return {contentgen::test_world::Perimeter(), contentgen::test_world::kRoadWidth / 2,
          [](float distance, Vec3& heading) { return contentgen::test_world::CentreAt(distance, &heading); }};
}

float FlatDistance(const Vec3& a, const Vec3& b) { return std::hypot(a.x - b.x, a.z - b.z); }

// The distance along the road of its centreline point nearest to a point, searched over [from, to).
float NearestAlong(const RoadShape& road, const Vec3& point, float from, float to, float step) {
  float best = 1e30f, at = from;
  Vec3 heading;
  for (float d = from; d < to; d += step) {
    const float distance = FlatDistance(road.centreAt(d, heading), point);
    if (distance < best) {
      best = distance;
      at = d;
    }
  }
  return at;
}

}  // namespace

float AlongRoad(const RoadShape& road, const Vec3& point) {
  const float coarse = NearestAlong(road, point, 0, road.length, kSearchStep);
  return road.length > 0 ? std::fmod(NearestAlong(road, point, coarse - kSearchStep, coarse + kSearchStep, 1) +
                                     road.length, road.length)
                         : 0;
}

std::vector<SampleCircuit> SampleCircuits() {
  return {
      {"City", "QUICKRACE", 0, CityRoad()},
      {"Downtown", "QUICKRACE", 3, RoadOfDesign(contentgen::BuildDowntownTrack())},
      {"Docks", "QUICKRACE", 5, RoadOfDesign(contentgen::BuildDocksTrack())},
      {"Canal", "QUICKRACE", 8, RoadOfDesign(contentgen::BuildCanalTrack())},
      {"Plaza", "DEMO", 1, RoadOfDesign(contentgen::BuildPlazaTrack())},
  };
}

RoadPlacement PlaceOnRoad(const RoadShape& road, const Vec3& position, const Vec3& forward, const Vec3& right,
                          const Vec3& bodyMin, const Vec3& bodyMax, bool reversed) {
  RoadPlacement placement;
  const float along = AlongRoad(road, position);
  Vec3 heading;
  road.centreAt(along, heading);
  if (reversed) heading = heading * -1.0f;
  const Vec3 flat{forward.x, 0, forward.z};
  if (platform::Length(flat) > 0) {
    const float cosine = platform::Dot(platform::Normalize(flat), platform::Normalize(Vec3{heading.x, 0, heading.z}));
    placement.headingError = std::acos(std::clamp(cosine, -1.0f, 1.0f)) * kDegrees;
  }
  placement.overEdge = -1e9f;
  for (float x : {bodyMin.x, bodyMax.x}) {
    for (float z : {bodyMin.z, bodyMax.z}) {
      const Vec3 corner = position + right * x + forward * z;
      const float d = NearestAlong(road, corner, along - kCornerReach, along + kCornerReach, kCornerStep);
      Vec3 unused;
      placement.overEdge = std::max(placement.overEdge, FlatDistance(road.centreAt(d, unused), corner) - road.halfWidth);
    }
  }
  placement.onRoad = placement.overEdge <= 0;
  return placement;
}

bool MeasurePutBacks(const std::string& gameFolder, const SampleCircuit& circuit, bool reversed, int spots,
                     PutBackFigures& figures, std::string& error) {
  figures = {};
  game::HeadlessRace race(gameFolder, 1);
  race::RaceList* list = game::RaceListByName(race.Content(), circuit.list);
  if (list == nullptr || list->At(circuit.index) == nullptr) {
    error = "no race " + circuit.list + " " + std::to_string(circuit.index);
    return false;
  }
  list->At(circuit.index)->opponents = 0;
  list->At(circuit.index)->reverse = reversed;
  if (!race.Load(circuit.list, circuit.index, error)) return false;
  for (int frame = 0; frame < 600 && race.Flow().state != app::game_state::kRacing; ++frame) race.Frame(kFrame);
  vehicle::Vehicle* car = race.Session()->Player();
  if (car == nullptr) {
    error = "no player's car";
    return false;
  }
  const auto resetKey = static_cast<uintptr_t>(race.Settings().GetKey(race::kActionReset));
  for (int spot = 0; spot < spots; ++spot) {
    // Round the circuit the way the race runs, so the car's place in the race follows it.
    const float fraction = static_cast<float>(spot) / static_cast<float>(spots);
    const float d = circuit.road.length * (reversed ? 1 - fraction : fraction);
    Vec3 heading;
    const Vec3 centre = circuit.road.centreAt(d, heading);
    const Vec3 left{-heading.z, 0, heading.x};
    const float side = spot % 2 == 0 ? 1.0f : -1.0f;
    car->SetTransform(centre + left * (side * (circuit.road.halfWidth + kBesideRoad)) + Vec3{0, 60, 0},
                      platform::RotationYMatrix(static_cast<float>(spot)));
    race.Frame(kFrame);
    race.Session()->ForwardInput(platform::wm::kKeyDown, resetKey);
    race.Frame(kFrame);
    race.Session()->ForwardInput(platform::wm::kKeyUp, resetKey);
    for (int frame = 0; frame < kSettleFrames; ++frame) race.Frame(kFrame);
    ++figures.spots;
    if (!car->respawning) continue;  // not put back at all: counts as off the road
    const RoadPlacement placement =
        PlaceOnRoad(circuit.road, car->position, car->forwardAxis, car->rightAxis, car->bodyMin, car->bodyMax, reversed);
    if (placement.onRoad) ++figures.onRoad;
    figures.worstHeading = std::max(figures.worstHeading, placement.headingError);
    figures.worstOverEdge = std::max(figures.worstOverEdge, placement.overEdge);
  }
  return true;
}

}  // namespace race_report
