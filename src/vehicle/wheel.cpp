// A wheel's loading, mount, and physics step: gravity, downforce and tyre forces move it, then sphere sweeps
// against the world find the ground, the suspension travel, body contact and the hardness of landings.
#include "vehicle/wheel.h"

#include <algorithm>
#include <cmath>

#include "app/data_file.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle_definition.h"

namespace vehicle {

using platform::Dot;
using platform::Length;
using platform::Normalize;

namespace {
constexpr float kSlowSpeed = 600.0f;          // below it gravity follows the wheel's up axis
constexpr float kMaxVelocityChange = 400.0f;  // per step, in/s
constexpr float kMaxContactSpeed = 150.0f;    // normal speed one contact pass may take away
constexpr float kDroopRate = 20.0f;           // suspension droop, in/s
constexpr float kSteepFace = 0.1f;            // faces with a flatter normal y are walls
constexpr float kBodyProbeRadius = 1.0f;
constexpr float kFallProbe = 100000.0f;

bool Drivable(int32_t surface) { return surface != kSurfaceNoDrive && surface != kSurfaceVehicle; }

Vec3 FiniteOrZero(Vec3 v) {
  if (!std::isfinite(v.x)) v.x = 0;
  if (!std::isfinite(v.y)) v.y = 0;
  if (!std::isfinite(v.z)) v.z = 0;
  return v;
}

// Walls (steep faces that are not cars) count as undrivable.
int32_t Classify(const SphereHit& hit) {
  int32_t surface = hit.surface;
  if (surface < 0 || surface > kSurfaceVehicle) surface = kSurfacePave;
  if (hit.normal.y < kSteepFace && surface != kSurfaceVehicle) surface = kSurfaceNoDrive;
  return surface;
}
}  // namespace

Matrix4 Wheel::Identity() { return platform::IdentityMatrix(); }

Wheel::Wheel(const app::DataFile& file, const UpgradeList* upgrades) { Load(file, upgrades); }

void Wheel::Load(const app::DataFile& file, const UpgradeList* upgrades) {
  const DefinitionReader read{file, upgrades};
  if (const auto* v = read.Values("TIRE_CURVES_FOLDER", kKeyTireCurvesFolder, true); v && !v->empty()) {
    tireCurvesFolder = FolderOf(file.Path()) + (*v)[0];
  }
  if (read.Float("BOUNCINESS", kKeyTireBounciness, bounce)) bounce += 1.0f;
  read.Float("ROLLING_RESISTANCE", kKeyRollingResistance, rollingResistance);
  read.Float("SHOCK_LENGTH", kKeyShockLength, shockLength);
  read.Float("BRAKING_TORQUE", kKeyBrakingTorque, brakingTorque);
  read.Float("HANDBRAKE_TORQUE", kKeyHandbrakeTorque, handbrakeTorque);
  read.Float("FRONT_DOWNFORCE", kKeyFrontDownforce, frontDownforce);
  read.Float("REAR_DOWNFORCE", kKeyRearDownforce, rearDownforce);
  LoadTireCurves();
}

void Wheel::LoadTireCurves() {
  std::string folder = tireCurvesFolder;
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  slipCurve = app::Curve(folder + "slipcurve.crv");
  latSlipCurve = app::Curve(folder + "latslipcurve.crv");
  slipAngleLatCurve = app::Curve(folder + "slipanglelatcurve.crv");
  slipAngleLongCurve = app::Curve(folder + "slipanglelongcurve.crv");
  slipAngleLatDamp = app::Curve(folder + "slipanglelatdamp.crv");
  slipAngleLongDamp = app::Curve(folder + "slipanglelongdamp.crv");
}

void Wheel::UpdateMount(const Matrix4& carMatrix) {
  position = platform::TransformCoord(mountLocal, carMatrix);
  Matrix4 rotationOnly = carMatrix;
  rotationOnly.m[3][0] = rotationOnly.m[3][1] = rotationOnly.m[3][2] = 0;
  constexpr float kDegrees = 3.14159265f / 180.0f;
  orientation = platform::RotationYMatrix(effectiveSteerAngle * kDegrees) * rotationOnly;
  drawOrientation = platform::RotationYMatrix(steerAngle * kDegrees) * rotationOnly;
  right = {orientation.m[0][0], orientation.m[0][1], orientation.m[0][2]};
  up = {orientation.m[1][0], orientation.m[1][1], orientation.m[1][2]};
  forward = {orientation.m[2][0], orientation.m[2][1], orientation.m[2][2]};
}

void Wheel::Reset() {
  previousPosition = position;
  velocity = {};
  spinAngle = 0;
  steerAngle = 0;
  spin = 0;
}

void Wheel::ApplyBrake(float dt) {
  const float b = brake * brakingTorque * dt;
  spin = spin > 0 ? std::max(spin - b, 0.0f) : std::min(spin + b, 0.0f);
}

void Wheel::ApplyHandbrake(float dt) {
  const float b = handbrakeTorque * dt;
  spin = spin > 0 ? std::max(spin - b, 0.0f) : std::min(spin + b, 0.0f);
}

void Wheel::ScaleSpin(float f) { spin *= std::min(f, 1.0f); }

Vec3 Wheel::Downforce() const {
  const float d = mountLocal.z >= 0 ? frontDownforce : rearDownforce;
  return -up * ((Length(velocity) - Dot(velocity, up)) * d);
}

void Wheel::Step(VehicleWorld& world, float dt) {
  if (dt <= 0) return;
  const Vec3 p = position;
  impact = 0;
  bodyPenetration = 0;
  landing = kLandingNone;
  Vec3 g{0, -kGravity, 0};
  if (onGround) g = Length(velocity) < kSlowSpeed ? up * -kGravity : Vec3{0, -kGravity * std::fabs(up.y), 0};
  TireStep(dt);
  Vec3 next = p + velocity * dt + g * (0.5f * dt * dt);
  const Vec3 before = velocity;
  velocity = FiniteOrZero((next - (previousPosition + p) * 0.5f) / dt);
  const Vec3 change = velocity - before;
  if (Length(change) > kMaxVelocityChange) velocity = before + Normalize(change) * kMaxVelocityChange;
  velocity += Downforce() * dt;
  velocity += g * dt;
  wasOnGround = onGround;
  onGround = false;
  bodyContact = false;
  Contact(world, next, dt);
  position = next;
  previousPosition = position;
}

void Wheel::Contact(VehicleWorld& world, Vec3& next, float dt) {
  Vec3 v = velocity;
  float lastImpact = 0;
  bool wall = false;
  SphereHit hit;
  for (int pass = 0; pass < 2; ++pass) {
    if (!world.CastSphere(position, next, radius, !ignoreVehicles, hit)) break;
    groundColour = hit.colour;
    const int32_t s = Classify(hit);
    Vec3 n = hit.normal;
    if (s == kSurfaceNoDrive) {
      n.y -= 0.5f;
      n = Normalize(n);
    } else if (s == kSurfaceVehicle) {
      n.y += 0.5f;
      n = Normalize(n);
    }
    float vn = Dot(n, v);
    if (Drivable(s) && Length(position - hit.contact) > radius) vn *= bounce;
    vn = std::clamp(vn, -kMaxContactSpeed, kMaxContactSpeed);
    if (vn < 0) v -= n * vn;
    lastImpact = vn;
    if (Drivable(s)) onGround = true;
    groundNormal = n;
    next += n * Dot(hit.centre - next, n);
    surface = s;
    if (s == kSurfaceNoDrive) wall = true;
  }
  if (onGround) {
    suspensionOffset = 0;
  } else {
    suspensionOffset = std::max(suspensionOffset - kDroopRate * dt, std::min(-up.y * shockLength, 0.0f));
    if (world.CastSphere(next, next + up * suspensionOffset, radius, !ignoreVehicles, hit)) {
      groundColour = hit.colour;
      const int32_t s = Classify(hit);
      lastImpact = Dot(hit.normal, v) * bounce;
      if (Drivable(s)) onGround = true;
      groundNormal = hit.normal;
      suspensionOffset = Dot(hit.centre - next, up);
      surface = s;
      if (s == kSurfaceNoDrive) wall = true;
    }
  }
  if (!onGround) {
    const Vec3 probeEnd = next + up * bodyProbeHeight;
    if (world.CastSphere(position, probeEnd, kBodyProbeRadius, !ignoreVehicles, hit)) {
      groundColour = hit.colour;
      const Vec3 n = hit.normal;
      float vn = Dot(n, v);
      if (n.y > kSteepFace) vn *= 1.5f;
      lastImpact = vn;
      bodyContact = true;
      if (vn < 0) v -= n * vn;
      groundNormal = n;
      const float penetration = std::fabs(Dot(probeEnd - hit.centre, n));
      bodyPenetration += penetration;
      // The probe runs from the wheel up to the body's top, so it also meets what stands beside the wheel
      // within the body's height: another car's flank, a wall, a kerb's face. Setting the wheel a body height
      // below such a contact drags it into the ground, and the hull's push-out then throws the car into the
      // air. The wheel is pushed out along the contact instead, by no more than the body's top moved this
      // step; a roof landing on the ground still comes to rest with the roof on it.
      next += n * std::min(penetration, Length(next - position));
    }
  }
  if (!onGround) groundNormal = up;
  if (wall) wallScrape = std::min((std::fabs(Dot(v, forward)) / 17.6f - 30.0f) / 30.0f, 0.9999f);
  velocity = v;
  if (lastImpact < -40 && !wasOnGround) {
    if (lastImpact < -200) {
      impact += 5;
      landing = kLandingHeavy;
      for (int i = 0; i < 20; ++i) {
        float u[5];
        for (float& value : u) value = static_cast<float>(platform::CrtRand() % 1000) / 500.0f - 1.0f;
        world.SpawnParticles(kParticleSparks, hit.contact + Vec3{5 * u[4], 0, 5 * u[3]},
                             Vec3{hit.normal.x + 3 * u[2], hit.normal.y + 3 + u[1], hit.normal.z + 3 * u[0]});
      }
    } else if (!bodyContact) {
      landing = lastImpact < -100 ? kLandingMedium : kLandingLight;
    }
  }
}

void Wheel::PlaceOnGround(VehicleWorld& world) {
  onGround = false;
  bodyContact = false;
  SphereHit hit;
  if (world.CastSphere(position, position - Vec3{0, kFallProbe, 0}, radius, !ignoreVehicles, hit)) {
    onGround = true;
    position = hit.centre;
    groundNormal = hit.normal;
    surface = Classify(hit);
  } else {
    groundNormal = up;
  }
}

}  // namespace vehicle
