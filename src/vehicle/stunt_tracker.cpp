// Stunt detection and scoring: events raised from air time, powerslides and passes, grown while they last,
// banked with a multiplier when the chain settles, wiped by crashes.
#include "vehicle/stunt_tracker.h"

#include <algorithm>
#include <cmath>

#include "vehicle/vehicle.h"

namespace vehicle {

const char* const StuntNames[kStuntTypeCount] = {"Air!", "Powerslide", "Nice Pass!", "Two Wheels", "Big Air!",
                                                 "Huge Air!"};
const float kStuntStartingPoints[kStuntTypeCount] = {100, 100, 200, 200, 100, 100};

namespace {
constexpr float kRadiansToDegrees = 57.295827f;
constexpr float kSettleTime = 2.0f;
}  // namespace

void StuntTracker::Update(float dt) {
  if (vehicle_ != nullptr) Update(vehicle_->MakeStuntInputs(), dt);
}

void StuntTracker::Update(const StuntInputs& in, float dt) {
  airTime = in.anyWheelOnGround ? 0.0f : airTime + dt;
  for (float& since : sinceType) since += dt;
  sinceCrash += dt;
  DetectStunts(in);
  UpdateEvents(in, dt);
  lastPosition = in.racePosition;
}

bool StuntTracker::HasActiveEvent(int32_t type) const {
  return std::any_of(events.begin(), events.end(), [type](const auto& e) { return e->active && e->type == type; });
}

int StuntTracker::CountScoringEvents() const {
  return static_cast<int>(std::count_if(events.begin(), events.end(), [](const auto& e) { return e->points > 0; }));
}

void StuntTracker::AddEvent(int32_t type) {
  auto event = std::make_unique<StuntEvent>();
  event->type = type;
  event->points = kStuntStartingPoints[type];
  events.push_back(std::move(event));
}

void StuntTracker::DetectStunts(const StuntInputs& in) {
  if (sinceCrash <= 1.0f || in.wrongWay) return;
  if (airTime > 0.1f && sinceType[kStuntAir] > 1.5f && sinceType[kStuntBigAir] > 1.5f &&
      sinceType[kStuntHugeAir] > 1.5f && !HasActiveEvent(kStuntAir) && !HasActiveEvent(kStuntBigAir) &&
      !HasActiveEvent(kStuntHugeAir)) {
    AddEvent(kStuntAir);
    sinceType[kStuntAir] = 0;
  }
  if (lastPosition != -1 && in.racePosition < lastPosition && in.speedMph > 40.0f &&
      sinceType[kStuntNicePass] > 0.5f) {
    AddEvent(kStuntNicePass);
  }
  if (in.speedMph > 40.0f && in.anyWheelOnGround && in.anyWheelSkidding && sinceType[kStuntPowerslide] > 2.0f &&
      in.drivenSlipAngle * kRadiansToDegrees > 3.0 && !HasActiveEvent(kStuntPowerslide)) {
    AddEvent(kStuntPowerslide);
    sinceType[kStuntPowerslide] = 0;
  }
}

void StuntTracker::UpdateEvents(const StuntInputs& in, float dt) {
  int scoring = 0;
  bool settled = true;
  for (auto& eventPtr : events) {
    StuntEvent& e = *eventPtr;
    e.age += dt;
    if (e.points >= 0) ++scoring;
    if (!e.active) {
      e.sinceEnded += dt;
    } else {
      auto grow = [&](float k) {
        if (!in.wrongWay) e.points += dt * rate * k;
      };
      auto end = [&]() {
        e.active = false;
        sinceType[e.type] = 0;
      };
      switch (e.type) {
        case kStuntAir:
          grow(100);
          if (airTime > 0.75f) e.type = kStuntBigAir;
          if (in.anyWheelOnGround) end();
          break;
        case kStuntPowerslide:
          grow(100);
          if (!(in.anyWheelOnGround && in.anyWheelSkidding && in.speedMph >= 20.0f)) end();
          break;
        case kStuntNicePass:
          end();
          break;
        case kStuntBigAir:
          grow(400);
          if (airTime > 1.5f) e.type = kStuntHugeAir;
          if (in.anyWheelOnGround) end();
          break;
        case kStuntHugeAir:
          grow(800);
          if (in.anyWheelOnGround) end();
          break;
        default:
          break;
      }
    }
    if (e.active || e.sinceEnded < kSettleTime) settled = false;
  }
  if (!events.empty() && !settled) return;
  bool banked = false;
  for (auto& e : events) {
    if (e->points > 0) {
      total += static_cast<int32_t>(std::floor(static_cast<float>(scoring) * e->points + 0.5f));
      banked = true;
    }
    sinceType[e->type] = 0;
  }
  events.clear();
  if (banked && playSound) playSound(true);
}

void StuntTracker::Wipe() {
  sinceCrash = 0;
  bool hadPoints = false;
  for (auto& e : events) {
    hadPoints = hadPoints || e->points > 0;
    e->active = false;
    e->points = -1.0f;
  }
  if (hadPoints && playSound) playSound(false);
}

int32_t StuntTracker::CollectPoints(uint8_t raceFlag) const {
  // The pending chain counts toward the result without being banked, so the HUD reading this every frame
  // does not add the same points again and again.
  int32_t pending = 0;
  if (raceFlag == 1) {
    const int n = CountScoringEvents();
    for (const auto& e : events) {
      if (e->points > 0) pending += static_cast<int32_t>(std::floor(static_cast<float>(n) * e->points + 0.5f));
    }
  }
  return total + pending;
}

int32_t StuntTracker::CollectPoints() const { return CollectPoints(vehicle_ != nullptr ? vehicle_->raceFlag : 0); }

}  // namespace vehicle
