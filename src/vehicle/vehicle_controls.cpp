// How drivers control a car and what the race reads from it: controls, wheel-state queries, path progress
// with laps and wrong-way, the respawn timer, listener distance and hull hit tests.
#include <algorithm>
#include <cmath>

#include "geometry/models/mesh_model.h"
#include "geometry/path.h"
#include "platform/math/math.h"
#include "vehicle/vehicle.h"

namespace vehicle {

using platform::Dot;

namespace {
constexpr int kPathSearchBack = 40;
constexpr float kRespawnHold = 3.0f;
}  // namespace

void Vehicle::SetControls(float throttle, float brake, bool handbrake, bool nitrous, float steeringInput,
                          bool shiftUp, bool shiftDown) {
  float engineThrottle = throttle, wheelBrake = brake;
  if (engine) {
    Gearbox& box = engine->gearbox;
    if (box.manual == 0) {
      box.shiftRequest = (std::fabs(throttle) >= std::fabs(brake) || brake == 0) ? kShiftUp : kShiftDown;
      if (box.gear == kGearReverse) std::swap(engineThrottle, wheelBrake);
    } else if (shiftUp) {
      box.shiftRequest = kShiftUp;
    } else if (shiftDown) {
      box.shiftRequest = kShiftDown;
    }
    if (nitrous) {
      engine->EngageNitrous();
    } else {
      engine->nitrousEngaged = false;
    }
    // No upper bound: the race's rubber band hands leading computer drivers four times their throttle.
    engine->throttle = std::max(engineThrottle, 0.0f);
  }
  if (steering) steering->SetInput(steeringInput);
  for (auto& wheel : wheels) {
    if (!wheel) continue;
    wheel->brake = std::clamp(wheelBrake, 0.0f, 1.0f);
    if (wheel->mountLocal.z < 0) wheel->handbrake = handbrake;
  }
}

bool Vehicle::IsHandbrakeOn() const { return wheels[kRearLeft] && wheels[kRearLeft]->handbrake; }

bool Vehicle::AnyWheelOnGround() const {
  return std::any_of(wheels.begin(), wheels.end(), [](const auto& w) { return w && w->onGround; });
}

bool Vehicle::AllWheelsOnGround() const {
  return std::all_of(wheels.begin(), wheels.end(), [](const auto& w) { return w && w->onGround; });
}

bool Vehicle::AnyWheelSkidding() const {
  return std::any_of(wheels.begin(), wheels.end(), [](const auto& w) { return w && w->IsSkidding(); });
}

bool Vehicle::HasBodyContact() const {
  return std::count_if(wheels.begin(), wheels.end(), [](const auto& w) { return w && w->bodyContact; }) >= 2;
}

bool Vehicle::IsTippedOver() const { return upAxis.y < 0.2f; }

double Vehicle::GetDrivenSlipAngle() const {
  const Wheel* fl = wheels[kFrontLeft].get();
  const Wheel* rl = wheels[kRearLeft].get();
  if (fl == nullptr || rl == nullptr) return -999.0;
  if (fl->driven) return fl->onGround ? fl->slipAngle : -999.0;
  return rl->onGround ? rl->slipAngle : -999.0;
}

void Vehicle::UpdatePathProgress(const geometry::Path& path) {
  const int start = pathIndex > static_cast<uint32_t>(kPathSearchBack) ? static_cast<int>(pathIndex) - kPathSearchBack : 0;
  geometry::PathProjection found;
  if (!path.ProjectPoint(position, found, 0, start)) return;
  const float length = path.TotalLength();
  if (!(length > 0)) return;
  const float oldFraction = pathDistance / length;
  pathIndex = static_cast<uint32_t>(std::max(found.segment, 0));
  pathDistance = found.distance;
  const float newFraction = pathDistance / length;
  if (newFraction < 0.5f && oldFraction > 0.75f) {
    ++lapCount;
  } else if (newFraction > 0.75f && oldFraction < 0.5f && lapCount >= 0) {
    --lapCount;
  }
  bestLap = std::max(bestLap, lapCount);
  progress = static_cast<float>(lapCount) + newFraction;
  const size_t count = path.PointCount();
  if (count < 2) return;
  const size_t i = std::min<size_t>(pathIndex, count - 1);
  Vec3 d;
  if (i + 1 < count) {
    d = path.GetPoint(i + 1) - path.GetPoint(i);
  } else if (path.Closed()) {
    d = path.GetPoint(0) - path.GetPoint(i);
  } else {
    d = path.GetPoint(i) - path.GetPoint(i - 1);
  }
  const Vec3 f = forwardAxis;
  const float lengths = std::sqrt((d.x * d.x + d.z * d.z) * (f.x * f.x + f.z * f.z));
  wrongWay = lengths > 0 && (d.x * f.x + d.z * f.z) / lengths < -0.5f;
}

void Vehicle::SavePreviousPosition() {
  safePathIndex = pathIndex;
  safeRaceCounter = raceCounter;
  safePosition = position;
}

void Vehicle::UpdateRespawnTimer(VehicleWorld& world, float dt) {
  if (respawning) {
    respawnTimer += dt;
    if (respawnTimer > kRespawnHold && world.CountCarsNear(position, 3 * FrontExtent()) == 0) respawning = false;
    const float tenths = respawnTimer * 10;
    respawnVisible = tenths - std::floor(tenths) >= 0.5f;
  }
  for (auto& wheel : wheels) {
    if (wheel) wheel->ignoreVehicles = respawning;
  }
}

void Vehicle::DistanceTo(const Vec3& point) {
  listenerDistance = platform::Length(position - point);
  for (auto& wheel : wheels) {
    if (wheel) wheel->listenerDistance = listenerDistance;
  }
}

void Vehicle::SetForceFeedbackDevice(ForceFeedbackOutput* device) {
  forceFeedback = device;
  if (features) features->SetForceFeedbackDevice(*this, device);
}

void Vehicle::SetWheelColour(float r, float g, float b) {
  for (auto& wheel : wheels) {
    if (wheel) wheel->groundColour = {r, g, b};
  }
}

void Vehicle::SetPlayerFlag(bool flag) {
  isPlayer = flag;
  for (auto& wheel : wheels) {
    if (wheel) wheel->audible = flag;
  }
}

namespace {
// Slab test of a segment against a box grown by the radius; t of entry and the face normal.
bool SegmentBox(const Vec3& s, const Vec3& e, const Vec3& lo, const Vec3& hi, float& tHit, Vec3& normal) {
  const float start[3] = {s.x, s.y, s.z}, dir[3] = {e.x - s.x, e.y - s.y, e.z - s.z};
  const float mins[3] = {lo.x, lo.y, lo.z}, maxs[3] = {hi.x, hi.y, hi.z};
  float tNear = 0, tFar = 1;
  int axis = -1;
  float sign = 0;
  for (int a = 0; a < 3; ++a) {
    if (std::fabs(dir[a]) < 1e-9f) {
      if (start[a] < mins[a] || start[a] > maxs[a]) return false;
      continue;
    }
    float t0 = (mins[a] - start[a]) / dir[a], t1 = (maxs[a] - start[a]) / dir[a];
    float faceSign = -1;
    if (t0 > t1) {
      std::swap(t0, t1);
      faceSign = 1;
    }
    if (t0 > tNear) {
      tNear = t0;
      axis = a;
      sign = faceSign;
    }
    tFar = std::min(tFar, t1);
    if (tNear > tFar) return false;
  }
  // A start inside the box is no crossing of its surface.
  if (axis < 0) return false;
  tHit = tNear;
  normal = {};
  (axis == 0 ? normal.x : axis == 1 ? normal.y : normal.z) = sign;
  return true;
}


// Whether the segment comes within the box at all (a start inside counts).
bool SegmentMeetsBox(const Vec3& s, const Vec3& e, const Vec3& lo, const Vec3& hi) {
  const float start[3] = {s.x, s.y, s.z}, dir[3] = {e.x - s.x, e.y - s.y, e.z - s.z};
  const float mins[3] = {lo.x, lo.y, lo.z}, maxs[3] = {hi.x, hi.y, hi.z};
  float tNear = 0, tFar = 1;
  for (int a = 0; a < 3; ++a) {
    if (std::fabs(dir[a]) < 1e-9f) {
      if (start[a] < mins[a] || start[a] > maxs[a]) return false;
      continue;
    }
    float t0 = (mins[a] - start[a]) / dir[a], t1 = (maxs[a] - start[a]) / dir[a];
    if (t0 > t1) std::swap(t0, t1);
    tNear = std::max(tNear, t0);
    tFar = std::min(tFar, t1);
    if (tNear > tFar) return false;
  }
  return true;
}

Vec3 UnitOrZero(const Vec3& v) {
  const float length = platform::Length(v);
  return length > 1e-12f ? v / length : Vec3{};
}
}  // namespace

bool Vehicle::HitHull(const Vec3& start, const Vec3& end, float radius, Vec3& outCentre, Vec3& outPoint,
                      Vec3& outNormal) const {
  const Matrix4 toCar = platform::Transpose(rotation);
  const Vec3 s = platform::TransformNormal(start - position, toCar);
  const Vec3 e = platform::TransformNormal(end - position, toCar);
  const Vec3 grow{radius, radius, radius};
  Vec3 centre, point, normal;
  if (collisionModel != nullptr) {
    // Most casts pass well clear of the car: its box answers them before the hull's faces are searched.
    if (!SegmentMeetsBox(s, e, collisionModel->boundsMin - grow, collisionModel->boundsMax + grow)) return false;
    if (radius > 0) {
      if (!collisionModel->SweptSphereHit(s, e, radius, centre, point, normal)) return false;
    } else {
      if (!collisionModel->Raycast(s, e, point, normal)) return false;
      centre = point;
    }
  } else {
    float t = 0;
    if (!SegmentBox(s, e, collisionMin - grow, collisionMax + grow, t, normal)) return false;
    centre = s + (e - s) * t;
    point = centre - normal * radius;
  }
  outCentre = platform::TransformNormal(centre, rotation) + position;
  outPoint = platform::TransformNormal(point, rotation) + position;
  outNormal = UnitOrZero(platform::TransformNormal(normal, rotation));
  return true;
}

bool Vehicle::HitTestRay(const Vec3& start, const Vec3& end, Vec3& outPoint, Vec3& outNormal) const {
  Vec3 centre;
  return HitHull(start, end, 0, centre, outPoint, outNormal);
}

bool Vehicle::HitTestSweptSphere(const Vec3& start, const Vec3& end, float radius, Vec3& outCentre,
                                 Vec3& outPoint, Vec3& outNormal) const {
  if (inert) return false;
  return HitHull(start, end, radius, outCentre, outPoint, outNormal);
}

}  // namespace vehicle
