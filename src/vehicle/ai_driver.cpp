// The computer driver: path following with look-ahead, road edges, bend braking, avoidance, nitrous and recovery.
#include "vehicle/ai_driver.h"

#include <algorithm>
#include <cmath>

#include "platform/math/math.h"
#include "platform/os.h"

namespace vehicle {

namespace {

constexpr float kDegreesPerRadian = 57.29577951308232f;

using Tuning = AIDriverTuning;

// Wraps a distance into a closed path's length so look-ahead past the finish line continues on the next lap.
float WrapOnPath(const geometry::Path& path, float distance) {
  const float total = path.TotalLength();
  if (!path.Closed() || !(total > 0)) return distance;
  distance = std::fmod(distance, total);
  return distance < 0 ? distance + total : distance;
}

// Bend angle between two distances, continuing over the closing point of a closed path.
float BendAhead(const geometry::Path& path, float from, float to) {
  const float total = path.TotalLength();
  if (path.Closed() && total > 0 && to > total) {
    return path.BendAngleBetween(from, total) + path.BendAngleBetween(0, std::min(to - total, total));
  }
  return path.BendAngleBetween(from, to);
}

// Projects a point on the path, searching from a distance on. On a closed path the search runs on past the
// closing point into the next lap: a car near the end of a lap looks ahead onto the start of the next, and a
// search stopped at the closing point would hand it a target just in front of its nose.
void ProjectFrom(const geometry::Path& path, const Vec3& point, float from, geometry::PathProjection& out) {
  path.ProjectPoint(point, out, from);
  const float total = path.TotalLength();
  if (!path.Closed() || !(total > 0) || from < total - 2 * (Tuning::kMaxLookAhead + Tuning::kBendWindow)) return;
  geometry::PathProjection anywhere;
  if (!path.ProjectPoint(point, anywhere, 0)) return;
  // Only a point ahead of the search's start counts, up to half a lap on.
  float ahead = anywhere.distance - from;
  if (ahead < 0) ahead += total;
  if (ahead < total / 2 && platform::Length(anywhere.offset) < platform::Length(out.offset)) out = anywhere;
}

Vec3 Horizontal(Vec3 v) { return {v.x, 0, v.z}; }

float Heading(Vec3 v) { return std::atan2(v.x, v.z) * kDegreesPerRadian; }

}  // namespace

AIDriver::AIDriver(AIRace* race, AICar* car, bool disabledDriver, std::function<int()> random)
    : disabled(disabledDriver), race_(race), car_(car), random_(std::move(random)) {}

int AIDriver::Random() { return random_ ? random_() : platform::CrtRand(); }

void AIDriver::SetSpeedFactor(float level) { speedFactor = std::min(1.0f + 0.5f * level, 1.0f); }

void AIDriver::SnapToNearestPath() { path = race_->NearestAIPath(car_->Position(), reversePaths); }

void AIDriver::ChooseRandomPath() {
  const auto& paths = race_->AIPaths(reversePaths);
  if (paths.empty()) return;
  path = paths[static_cast<size_t>(Random()) % paths.size()];
}

void AIDriver::ApplyControls() {
  if (disabled) return;
  car_->SetControls(throttle, brake, handbrake, nitrous, steering);
}

void AIDriver::Update(int raceState, float dt) {
  if (disabled) return;
  const bool wrongWay = car_->WrongWay() != reversePaths;
  throttle = 0;
  steering = 0;
  brake = 0;
  handbrake = false;
  if (path == nullptr) {
    ChooseRandomPath();
    if (path == nullptr) return;
    // The stuck test has not seen the car yet: it starts watching from here, not from the world's origin.
    anchor = car_->Position();
  }
  const bool countdown = raceState == kCountdownState;
  if (!countdown) RecoverIfStuck(dt);
  throttle = 1.0f;
  if (!car_->AnyWheelOnGround()) return;
  Steer(dt);
  if (!countdown) CheckProgress(dt, wrongWay);

  const Vec3 position = car_->Position();
  if (!wrongWay && car_->SpeedMph() > Tuning::kNitrousSpeed && car_->RacePosition() >= 2 && !blocked &&
      race_->CountCollidableCarsNear(position, Tuning::kNitrousCompanyRadius) > 0) {
    if (Random() % 1000 < Tuning::kNitrousChance) nitrous = true;
  }
  if ((car_->IsNitrousActive() && blocked) || car_->RacePosition() == 1 || wrongWay) nitrous = false;
  throttle *= speedFactor;
}

void AIDriver::Steer(float dt) {
  if (path == nullptr || path->PointCount() < 2) return;
  const Vec3 position = car_->Position();

  geometry::PathProjection here;
  if (!path->ProjectPoint(position, here)) return;
  const float s = here.distance;
  const float lead = WrapOnPath(*path, s + Tuning::kProjectionLead);
  geometry::PathProjection centre;
  ProjectFrom(*path, position, lead, centre);
  const Vec3 centreSide = path->SideVector(static_cast<size_t>(centre.segment));
  const Vec3 fromCentre = position - centre.point;
  const float c = fromCentre.x * centreSide.x + fromCentre.z * centreSide.z;

  Vec3 look = car_->Velocity() * Tuning::kLookAheadTime;
  const float lookLength = platform::Length(look);
  if (!(lookLength >= Tuning::kMinLookAhead)) {
    if (!(lookLength >= 100.0f)) {
      look = platform::Normalize(car_->ForwardAxis()) * Tuning::kMinLookAhead;
    } else {
      look = look / lookLength * Tuning::kMinLookAhead;
    }
  } else if (lookLength > Tuning::kMaxLookAhead) {
    look = look / lookLength * Tuning::kMaxLookAhead;
  }
  geometry::PathProjection ahead;
  ProjectFrom(*path, position + look, lead, ahead);
  const float t = ahead.distance;
  const Vec3 aheadSide = path->SideVector(static_cast<size_t>(ahead.segment));

  Avoid();

  const float width = car_->BodyWidth();
  float hi = Tuning::kEdgeLimit, lo = -Tuning::kEdgeLimit;
  for (float d : {s, t, t + Tuning::kBendWindow}) {
    hi = std::min(hi, path->SampleValueAtDistance(d));
    lo = std::max(lo, path->SampleValueAtDistanceB(d));
  }
  hi = std::max(hi - 1.5f * width, 0.0f);
  lo = std::min(lo + 1.5f * width, 0.0f);

  const bool grounded = car_->AnyWheelOnGround();
  const float bend = BendAhead(*path, s + Tuning::kProjectionLead, s + Tuning::kBendWindow);
  if (grounded && bend > Tuning::kBendThreshold && car_->SpeedMph() > Tuning::kBendBrakeSpeed) {
    brake = std::min((bend - Tuning::kBendThreshold) / 20.0f, 1.0f);
  }

  const float offset = avoidOffset + avoidOffset2;
  const float keep = std::pow(0.001f, 10.0f * dt) * c;
  float x = offset + keep;
  if (x > hi) {
    x = hi;
    if (keep > 0 && offset != 0) throttle = 0.5f;
  } else if (x < lo) {
    x = lo;
    if (keep < 0 && offset != 0) throttle = 0.5f;
  }
  if (!std::isfinite(x)) x = 0;
  const Vec3 target = ahead.point + aheadSide * std::floor(x);

  Vec3 reference = Horizontal(car_->GearIndex() >= 2 ? car_->Velocity() : car_->ForwardAxis());
  if (!(platform::Length(reference) > 1e-3f)) reference = Horizontal(car_->ForwardAxis());
  const Vec3 toTarget = Horizontal(target - position);
  if (!(platform::Length(reference) > 0) || !(platform::Length(toTarget) > 0)) return;

  float angle = Heading(toTarget) - Heading(reference);
  while (angle > 180.0f) angle -= 360.0f;
  while (angle < -180.0f) angle += 360.0f;
  const float range = car_->SteeringRange();
  if (range > 0) {
    angle = std::clamp(angle, -range, range);
    steering = angle / range;
  }
  if (grounded && std::fabs(angle) > Tuning::kHandbrakeAngle && car_->SpeedMph() > Tuning::kHandbrakeSpeed) {
    brake = 0;
    handbrake = true;
  }
}

void AIDriver::Avoid() {
  blocked = false;
  const float width = car_->BodyWidth();
  const float length = car_->BodyLength();
  CarAhead left, right, front;
  const bool leftBlocked = race_->FindCarAhead(*car_, {-1, 0, 0}, 2.5f * width, 0.3f * width, 1.5f * length, left);
  const bool rightBlocked = race_->FindCarAhead(*car_, {1, 0, 0}, 2.5f * width, 0.3f * width, 1.5f * length, right);
  if (race_->FindCarAhead(*car_, {0, 0, 1}, 1000.0f, 0.4f * length, width, front)) {
    if (front.forwardSpeedMph < car_->SpeedMph()) {
      blocked = true;
      if (car_->GearIndex() <= 2) {
        throttle = 0.5f;
      } else {
        throttle = 0;
        brake = 1.0f;
      }
    }
    avoidOffset = front.relative.x < 0 ? 2.0f * width : -2.0f * width;
  } else {
    avoidOffset = 0;
  }
  auto push = [width](float distance) {
    const float factor = 1.0f - std::fabs(distance) / (2.5f * width);
    return 3.0f * width * (std::isfinite(factor) ? factor : 1.0f);
  };
  if (leftBlocked && !rightBlocked) {
    avoidOffset2 = push(left.distance);
  } else if (rightBlocked && !leftBlocked) {
    avoidOffset2 = -push(right.distance);
  } else if (!leftBlocked && !rightBlocked) {
    avoidOffset2 = 0;
  }
}

void AIDriver::ResetAndRespawn() {
  tipTimer = 0;
  stuckTimer = 0;
  avoidOffset = 0;
  avoidOffset2 = 0;
  tipped = false;
  anchor = car_->Position();
  ++recoveries;
  car_->Respawn(path);
}

void AIDriver::RecoverIfStuck(float dt) {
  if (car_->AnyWheelOnGround()) {
    airTimer = 0;
  } else {
    airTimer += dt;
  }
  if (!race_->IsOffWorld(*car_) && car_->AllWheelsOnGround()) car_->SavePreviousPosition();
  if (airTimer > Tuning::kAirborneLimit) {
    airTimer = 0;
    path = race_->NearestAIPath(car_->Position(), reversePaths);
    ResetAndRespawn();
  }
  if (car_->IsTippedOver() || car_->HasBodyContact()) {
    tipped = true;
  } else {
    tipTimer = 0;
  }
  if (tipped) {
    tipTimer += dt;
    if (tipTimer > Tuning::kTippedLimit) {
      SnapToNearestPath();
      ResetAndRespawn();
    }
  }
}

void AIDriver::CheckProgress(float dt, bool wrongWay) {
  const Vec3 position = car_->Position();
  if (car_->IsTippedOver() || car_->HasBodyContact() || car_->IsRespawning() || throttle < 0.1f) {
    anchor = position;
    stuckTimer = 0;
    return;
  }
  if (wrongWay) stuckTimer += 2.0f * dt;
  if (platform::Length(position - anchor) <= Tuning::kStuckRadius) {
    stuckTimer += dt;
  } else if (!wrongWay) {
    anchor = position;
    stuckTimer = 0;
  }
  if (stuckTimer > Tuning::kStuckLimit) {
    SnapToNearestPath();
    ++recoveries;
    car_->Respawn(path);
    anchor = car_->Position();
    stuckTimer = 0;
  }
}

}  // namespace vehicle
