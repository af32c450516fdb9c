// The car object: construction, assembly of wheels and hull from the body's parts, the per-step simulation
// order and the respawn that puts a car back on the track.
#include "vehicle/vehicle.h"

#include <algorithm>
#include <cmath>

#include "app/data_file.h"
#include "geometry/path.h"
#include "platform/math/math.h"
#include "vehicle/vehicle_lights.h"

namespace vehicle {

using platform::Dot;
using platform::Length;

namespace {
constexpr float kGroundSearchDepth = 2000.0f;
constexpr float kRespawnLift = 20.0f;
constexpr float kHullHeight = 10.0f;
}  // namespace

Vehicle::Vehicle(render::ResourceManager* resourceManager, app::Settings* gameSettings, std::string name,
                 bool isInert)
    : resources(resourceManager), settings(gameSettings), driverName(std::move(name)), inert(isInert) {
  worldMatrix = orientation = tilt = wheelFrame = rotation = platform::IdentityMatrix();
  previousWheelFrame = previousRotation = platform::IdentityMatrix();
  stunts = std::make_unique<StuntTracker>(this);
}

Vehicle::~Vehicle() = default;

bool Vehicle::CanDrive() const {
  return engine != nullptr && steering != nullptr &&
         std::all_of(wheels.begin(), wheels.end(), [](const auto& w) { return w != nullptr; });
}

void Vehicle::ReloadCurves() {
  if (engine) engine->ReloadCurves();
  if (steering) steering->ReloadCurve();
  for (auto& wheel : wheels) {
    if (wheel) wheel->LoadTireCurves();
  }
}

void Vehicle::AssembleChassis(const ChassisLayout& layout) {
  Vec3 boxMin, boxMax;  // the wheel box starts at the origin
  for (int i = 0; i < 4; ++i) {
    wheels[i] = definition_ ? std::make_unique<Wheel>(*definition_, upgrades.get()) : std::make_unique<Wheel>();
    wheels[i]->SetDimensions(layout.tyreRadius[i], layout.tyreWidth[i]);
    boxMin = platform::ComponentMin(boxMin, layout.tyrePositions[i]);
    boxMax = platform::ComponentMax(boxMax, layout.tyrePositions[i]);
  }
  bodyMin = layout.bodyMin;
  bodyMax = layout.bodyMax;
  bodyLength = bodyMax.z - bodyMin.z;
  bodyWidth = bodyMax.x - bodyMin.x;
  bodyHeight = bodyMax.y - bodyMin.y;
  collisionMin = layout.collisionMin;
  collisionMax = layout.collisionMax;
  const Vec3 lo = collisionMin, hi = collisionMax;
  hullPoints = {{lo.x, kHullHeight, hi.z},     {hi.x, kHullHeight, hi.z},     {lo.x, kHullHeight, lo.z},
                {hi.x, kHullHeight, lo.z},     {0, kHullHeight, hi.z + 1},    {0, kHullHeight, lo.z - 1},
                {lo.x - 1, kHullHeight, 0},    {hi.x + 1, kHullHeight, 0}};
  const float x = boxMax.x;
  float y = boxMin.y;
  if (!std::isfinite(y)) y = 100.0f;
  if (std::fabs(y) < 0.1f) y = 0;
  const Vec3 mounts[4] = {{-x, y, boxMax.z}, {x, y, boxMax.z}, {-x, y, boxMin.z}, {x, y, boxMin.z}};
  Vec3 sum;
  for (int i = 0; i < 4; ++i) {
    wheels[i]->mountLocal = mounts[i];
    wheels[i]->bodyProbeHeight = collisionMax.y - mounts[i].y;
    sum += mounts[i];
  }
  wheelCentreOffset = sum * -0.25f;
  ComputeAxleGeometry();
  for (int i = 0; i < 4; ++i) {
    const bool front = i < 2;
    wheels[i]->driven = (drivetrain == kAllWheelDrive) || (drivetrain == kFrontWheelDrive && front) ||
                        (drivetrain == kRearWheelDrive && !front);
    wheels[i]->syncToGround = drivetrain == kAllWheelDrive && !front;
  }
}

void Vehicle::GatherCandidates(VehicleWorld& world) {
  const float l = bodyLength;
  Vec3 lo{-l, -l, -l}, hi{l, l, l};
  lo = platform::ComponentMin(lo, velocity);
  hi = platform::ComponentMax(hi, velocity);
  lo += position;
  hi += position;
  lo.y = position.y - kGroundSearchDepth;
  world.QueryWorldBox(lo, hi);
}

bool Vehicle::WheelsShouldWork() const {
  // A car that is not standing on all four wheels must fall, whatever its speed.
  if (!AllWheelsOnGround()) return true;
  const float speed = Length(velocity);
  if (speed >= 5.0f) return true;
  const bool idle = (engine->throttle == 0.0f && engine->TargetRpm() <= 1000.0f) || engine->Gear() == kGearNeutral;
  if (!idle) return true;
  if (speed == 0.0f) return false;
  const float c = Dot(forwardAxis, velocity);
  const bool sideways = c > std::cos(2.09f) && c < std::cos(1.04f);
  return !sideways;
}

void Vehicle::StepWheels(VehicleWorld& world, float dt) {
  float torque = engine->wheelTorque;
  const float maxSpeed = engine->MaxWheelSpeed();
  if (wheels[kRearLeft]->handbrake) torque = 0;
  const float hold = std::pow(0.00001f, dt);
  const int32_t gear = engine->Gear();
  for (auto& wheel : wheels) {
    wheel->UpdateMount(wheelFrame);
    const float spinSize = std::fabs(wheel->spin);
    wheel->driveTorque = (wheel->driven && wheel->onGround && spinSize < maxSpeed) ? torque : torque * 0.25f;
    if (wheel->driven && spinSize > maxSpeed) wheel->ScaleSpin(hold);
    if (wheel->driven) {
      const bool torqueForward = torque >= 0;
      const bool spinForward = wheel->spin >= 0;
      const bool against = (torqueForward != spinForward) || (gear > kGearNeutral && wheel->spin < 0) ||
                           (gear == kGearReverse && wheel->spin >= 0);
      if (against) {
        for (int i = 0; i < 3; ++i) wheel->ScaleSpin(hold);
      }
    }
    wheel->Step(world, dt);
    // Only the body touching something is a crash (damage, stunts wiped); a hard landing just shakes the camera.
    if (wheel->bodyPenetration > 0) ApplyImpact(wheel->position, wheel->bodyPenetration);
    shake += wheel->impact;
  }
}

void Vehicle::Update(VehicleWorld& world, float dt) {
  if (inert || !CanDrive() || !(dt > 0)) return;
  shake = 0;
  collidable = false;
  UpdateRespawnTimer(world, dt);
  SavePreviousState();
  FollowRotation(dt);
  UpdateMatrices();

  steering->SetSpeed(std::fabs(Dot(velocity, forwardAxis)));
  steering->Update(dt);
  for (int i : {kFrontLeft, kFrontRight}) {
    wheels[i]->effectiveSteerAngle = steering->GetAngle();
    wheels[i]->steerAngle = steering->angle;
  }
  CoupleWheelSpins();
  const Wheel& shaftWheel = wheels[kFrontLeft]->driven ? *wheels[kFrontLeft] : *wheels[kRearLeft];
  engine->UpdateDriveshaft(shaftWheel.spin, dt);
  engine->Update(dt);
  if (engine->IsNitrousActive()) shake += 2.0f;

  GatherCandidates(world);
  if (WheelsShouldWork()) StepWheels(world, dt);

  PlaceBodyOnWheels();
  for (auto& wheel : wheels) wheel->UpdateMount(wheelFrame);
  PlaceBodyOnWheels();
  AverageWheelVelocity();
  localVelocity = platform::TransformNormal(velocity, platform::Transpose(rotation));
  UpdateLocalAcceleration(dt);
  ApplyWeightTransfer(dt);
  UpdateBodyTilt(dt);
  ResolveCollisions(world, dt);
  UpdateSurfaces();
  UpdateGroundTint();
  if (features) features->AfterCollisions(*this, world, dt);
  UpdateSpeed();
  if (!respawning) collidable = true;
  if (features) features->UpdateAttachments(*this, dt);
  if (stunts && isPlayer) stunts->Update(dt);
}

void Vehicle::UpdateSurfaces() {
  std::fill(std::begin(surfacesTouched), std::end(surfacesTouched), uint8_t{0});
  for (const auto& wheel : wheels) {
    if (wheel == nullptr || !wheel->onGround) continue;
    const int surface = wheel->surface >= 0 && wheel->surface < kSurfaceCount ? wheel->surface : kSurfacePave;
    surfacesTouched[surface] = 1;
  }
}

void Vehicle::UpdateGroundTint() {
  std::array<Vec3, 4> colours{Vec3{1, 1, 1}, Vec3{1, 1, 1}, Vec3{1, 1, 1}, Vec3{1, 1, 1}};
  for (size_t i = 0; i < wheels.size(); ++i) {
    if (wheels[i] != nullptr) colours[i] = wheels[i]->groundColour;
  }
  const std::array<float, 3> tint = MeanGroundTint(colours);
  std::copy(tint.begin(), tint.end(), groundTint);
}

StuntInputs Vehicle::MakeStuntInputs() const {
  StuntInputs in;
  in.anyWheelOnGround = AnyWheelOnGround();
  in.anyWheelSkidding = AnyWheelSkidding();
  in.wrongWay = wrongWay;
  in.speedMph = speedMph;
  in.drivenSlipAngle = GetDrivenSlipAngle();
  in.racePosition = racePosition;
  in.raceFlag = raceFlag;
  return in;
}

void Vehicle::Respawn(VehicleWorld& world, const geometry::Path* path) {
  if (path == nullptr) return;
  if (stunts) stunts->Wipe();
  geometry::PathProjection found;
  if (!ProjectNearPathIndex(*path, position, found)) return;
  position = found.point + Vec3{0, kRespawnLift, 0};
  respawning = true;
  respawnTimer = 0;
  collidable = false;
  Reset(world, path);
  // Placing makes a car collidable; a respawning one stays a ghost until its spot is clear.
  collidable = false;
}

}  // namespace vehicle
