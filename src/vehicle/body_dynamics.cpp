// The car body placed on its four wheels each step: position and rotation from the wheel positions, velocity
// from theirs, weight transfer between the axles and the drawn pitch and roll.
#include <algorithm>
#include <cmath>

#include "geometry/path.h"
#include "platform/math/math.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_world.h"

namespace vehicle {

using platform::Normalize;

namespace {
constexpr float kDegreesToRadians = 3.14159265f / 180.0f;
constexpr float kPlaceLift = 20.0f;
constexpr int kPathSearchBack = 40;
// A nearest point that far farther from the car than the nearest point of the whole path lies on another
// stretch of the circuit.
constexpr float kFarStretch = 1000.0f;
constexpr float kHeadingProbe = 10.0f;
Vec3 Row(const Matrix4& m, int r) { return {m.m[r][0], m.m[r][1], m.m[r][2]}; }

// Rows right, up, forward: the transpose of a left-handed look-at view from the origin.
Matrix4 FrameLookingAlong(const Vec3& forward, const Vec3& up) {
  return platform::Transpose(platform::LookAtLH({}, forward, up));
}

Vec3 FiniteOrZero(Vec3 v) {
  if (!std::isfinite(v.x)) v.x = 0;
  if (!std::isfinite(v.y)) v.y = 0;
  if (!std::isfinite(v.z)) v.z = 0;
  return v;
}
}  // namespace

void Vehicle::SavePreviousState() {
  previousWheelFrame = wheelFrame;
  previousRotation = rotation;
  previousPosition = position;
  previousVelocity = velocity;
  previousLocalVelocity = localVelocity;
}

void Vehicle::ComputeAxleGeometry() {
  if (!wheels[kFrontLeft] || !wheels[kRearLeft]) return;
  const float front = wheels[kFrontLeft]->mountLocal.z;
  const float rear = wheels[kRearLeft]->mountLocal.z;
  // Axles on top of each other would divide by zero: keep the even defaults.
  if (std::fabs(front - rear) < 1e-3f) {
    wheelbase = 100.0f;
    frontShare = rearShare = 0.5f;
    return;
  }
  wheelbase = front - rear;
  frontShare = front / wheelbase;
  rearShare = std::fabs(rear) / wheelbase;
}

void Vehicle::CoupleWheelSpins() {
  const bool reverse = engine && engine->Gear() == kGearReverse;
  for (int pair : {kFrontLeft, kRearLeft}) {
    Wheel& left = *wheels[pair];
    Wheel& right = *wheels[pair + 1];
    const float shared = reverse ? std::max(left.spin, right.spin) : std::min(left.spin, right.spin);
    left.spin = right.spin = shared;
  }
  if (drivetrain == kRearWheelDrive) {
    const float frontSpin = wheels[kFrontLeft]->spin, rearSpin = wheels[kRearLeft]->spin;
    if (reverse ? frontSpin > rearSpin : rearSpin > frontSpin) {
      wheels[kFrontLeft]->spin = wheels[kRearLeft]->spin;
      wheels[kFrontRight]->spin = wheels[kRearRight]->spin;
    }
  }
}

void Vehicle::PlaceBodyOnWheels() {
  const Vec3 fl = wheels[kFrontLeft]->position, fr = wheels[kFrontRight]->position;
  const Vec3 rl = wheels[kRearLeft]->position, rr = wheels[kRearRight]->position;
  position = (fl + fr + rl + rr) * 0.25f;
  const Vec3 forward = Normalize((fl + fr) * 0.5f - (rl + rr) * 0.5f);
  const Vec3 side = Normalize((fr + rr) * 0.5f - (fl + rl) * 0.5f);
  const Vec3 up = Normalize(platform::Cross(forward, side));
  const Matrix4 frame = FrameLookingAlong(forward, up);
  // Wheels squeezed into a line give no frame; keep the last good rotation then.
  bool finite = true;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) finite = finite && std::isfinite(frame.m[r][c]);
  }
  if (finite && platform::Length(forward) > 0.5f && platform::Length(up) > 0.5f) rotation = frame;
  position += platform::TransformNormal(wheelCentreOffset, rotation);
  UpdateMatrices();
  UpdateAxes();
}

void Vehicle::UpdateMatrices() {
  const Matrix4 move = platform::TranslationMatrix(position);
  wheelFrame = rotation * move;
  worldMatrix = orientation * move;
}

void Vehicle::UpdateAxes() {
  rightAxis = Row(rotation, 0);
  upAxis = Row(rotation, 1);
  forwardAxis = Row(rotation, 2);
  drawRightAxis = Row(orientation, 0);
  drawUpAxis = Row(orientation, 1);
  drawForwardAxis = Row(orientation, 2);
}

void Vehicle::AverageWheelVelocity() {
  Vec3 sum;
  for (const auto& wheel : wheels) sum += wheel->velocity;
  velocity = sum * 0.25f;
  localVelocity = platform::TransformNormal(velocity, platform::Transpose(rotation));
}

void Vehicle::UpdateLocalAcceleration(float dt) {
  localAcceleration = FiniteOrZero(localVelocity - previousLocalVelocity) * (1.0f / dt);
}

void Vehicle::ApplyWeightTransfer(float dt) {
  (void)dt;
  const float a = localAcceleration.z;
  const float transfer = std::fabs(a) > 0.0001f ? cgHeight * mass * a / wheelbase : 0.0f;
  const float weight = mass * kGravity;
  frontLoad = std::clamp((weight * frontShare - transfer) / (weight / 2), 0.1f, 1.0f);
  rearLoad = std::clamp((weight * rearShare + transfer) / (weight / 2), 0.1f, 1.0f);
  for (auto& wheel : wheels) wheel->load = wheel->mountLocal.z > 0 ? frontLoad : rearLoad;
}

void Vehicle::UpdateBodyTilt(float dt) {
  Matrix4 target = platform::IdentityMatrix();
  const float az = localAcceleration.z, ax = localAcceleration.x;
  if (std::fabs(az) > 0.0001f && maxBodyPitch > 0) {
    float p = std::clamp(-0.01f * az, -maxBodyPitch, maxBodyPitch);
    p = std::fabs(p / maxBodyPitch) * p;
    target = target * platform::RotationXMatrix(p * kDegreesToRadians);
  }
  if (std::fabs(ax) > 0.0001f && maxBodyRoll > 0) {
    float r = std::clamp(-0.01f * ax, -maxBodyRoll, maxBodyRoll);
    r = std::fabs(r / maxBodyRoll) * r;
    target = target * platform::RotationZMatrix(r * kDegreesToRadians);
  }
  const platform::Quaternion from = platform::QuaternionFromMatrix(tilt);
  const platform::Quaternion to = platform::QuaternionFromMatrix(target);
  tilt = platform::RotationMatrix(platform::Slerp(from, to, 1 - std::pow(0.00001f, dt)));
}

void Vehicle::FollowRotation(float dt) {
  Matrix4 inverse;
  if (!platform::Inverse(orientation, &inverse)) {
    orientation = rotation;
    return;
  }
  const platform::Quaternion q = platform::QuaternionFromMatrix(inverse * rotation);
  const float n = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (!(n > 0)) return;
  float factor = 4 * dt / n;
  if (n > 0.9f) factor += (n - 0.9f) / std::fabs(4 * dt / n);
  factor = std::min(factor, 1.0f);
  orientation = orientation * platform::RotationMatrix(platform::Slerp(platform::Quaternion{}, q, factor));
}

void Vehicle::UpdateSpeed() {
  speedMph = std::fabs(platform::Dot(velocity, forwardAxis)) / kInchesPerSecondPerMph;
  const Wheel& rear = *wheels[kRearLeft];
  wheelSpeedMph = rear.radius * rear.spin / kInchesPerSecondPerMph;
}

void Vehicle::SetTransform(const Vec3& newPosition, const Matrix4& newRotation) {
  position = newPosition;
  rotation = orientation = newRotation;
  UpdateMatrices();
  UpdateAxes();
  for (auto& wheel : wheels) {
    if (!wheel) continue;
    wheel->UpdateMount(wheelFrame);
    wheel->Reset();
    // Contact belongs to the old place; a car put in the air must not count as standing.
    wheel->onGround = false;
  }
  if (features) features->OnPlaced(*this);
}

bool Vehicle::ProjectNearPathIndex(const geometry::Path& path, const Vec3& point, geometry::PathProjection& out) const {
  // The search starts a little behind the car's place on the race path, so a circuit that passes near itself
  // puts the car back on its own stretch. A path numbered otherwise (a racing line run the other way round by
  // a chicken opponent) has that stretch elsewhere: its nearest point overall is taken when the search from the
  // race path's place ends far off.
  const int start = pathIndex > static_cast<uint32_t>(kPathSearchBack) ? static_cast<int>(pathIndex) - kPathSearchBack : 0;
  const bool hinted = path.ProjectPoint(point, out, 0, start);
  if (start == 0) return hinted;
  geometry::PathProjection whole;
  if (!path.ProjectPoint(point, whole, 0, 0)) return hinted;
  if (!hinted || platform::Length(whole.offset) + kFarStretch < platform::Length(out.offset)) out = whole;
  return true;
}

void Vehicle::Reset(VehicleWorld& world, const geometry::Path* path) {
  collidable = false;
  if (path != nullptr) {
    geometry::PathProjection first;
    if (ProjectNearPathIndex(*path, position, first)) {
      const Vec3 ahead = path->PointAt(first.distance + kHeadingProbe);
      const Vec3 forward = Normalize(ahead - first.point);
      if (platform::Length(forward) > 0.5f) rotation = FrameLookingAlong(forward, {0, 1, 0});
    }
  }
  world.QueryWorldBox(position - Vec3{500, 5000000, 500}, position + Vec3{500, 5000000, 500});
  SetTransform(position + Vec3{0, kPlaceLift, 0}, rotation);
  if (std::all_of(wheels.begin(), wheels.end(), [](const auto& w) { return w != nullptr; })) {
    for (auto& wheel : wheels) wheel->PlaceOnGround(world);
    PlaceBodyOnWheels();
    for (auto& wheel : wheels) wheel->Reset();
  }
  velocity = localVelocity = localAcceleration = {};
  SavePreviousState();
  if (engine) engine->Reset();
  collidable = true;
}

float Vehicle::GetRestHeight() const {
  return (wheels[kFrontLeft] ? wheels[kFrontLeft]->radius : 0.0f) + wheelCentreOffset.y;
}

}  // namespace vehicle
