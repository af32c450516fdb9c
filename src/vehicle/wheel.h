// One corner of a car: a tyre simulated as a point with its own position and velocity, swept against the world
// as a sphere, with brakes, suspension travel and slip curves. The tyre force model is in tyre_model.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "app/curve.h"
#include "platform/math/types.h"
#include "vehicle/vehicle_world.h"

namespace app {
class DataFile;
}

namespace vehicle {

using platform::Matrix4;

class UpgradeList;

enum Landing : int32_t { kLandingNone, kLandingLight, kLandingMedium, kLandingHeavy };

// Retention and slipperiness of a surface for the tyre model.
struct SurfaceGrip {
  float spinRetention;      // share of spin kept per second
  float highSpeedGrip;      // factor on the grip above 300 in/s
  float lateralSlip;        // added to the lateral velocity retention
  float longitudinalSlip;   // added to the longitudinal velocity retention
};
// By surface id; ids outside the table read as pavement.
const SurfaceGrip& GripOf(int32_t surface);

class Wheel {
 public:
  Wheel() = default;
  // Reads the tyre keys (with upgrade overrides) and the six slip curves.
  Wheel(const app::DataFile& file, const UpgradeList* upgrades);

  void Load(const app::DataFile& file, const UpgradeList* upgrades);
  void LoadTireCurves();
  // Tyre size from its model: radius is the largest y, width the x extent (inches).
  void SetDimensions(float tyreRadius, float tyreWidth) { radius = tyreRadius; width = tyreWidth; }
  // Re-attaches the wheel to its mount on the car (carMatrix: rotation and translation of the body).
  void UpdateMount(const Matrix4& carMatrix);
  // One physics step: tyre forces, gravity and downforce, then contact with the world.
  void Step(VehicleWorld& world, float dt);
  // Drops the wheel onto the ground under it.
  void PlaceOnGround(VehicleWorld& world);
  void Reset();

  void ApplyBrake(float dt);
  void ApplyHandbrake(float dt);
  void ScaleSpin(float f);
  Vec3 Downforce() const;

  // Tyre force model (tyre_model.cpp).
  void TireStep(float dt);
  void ComputeSlipRatio();
  void ComputeSlipAngle();
  bool IsSkidding() const;
  void DampLateral(float k);
  void DampLongitudinal(float k);
  void DampAlongNormal(const Vec3& axis, float k);
  void PullLongitudinal(float k, float s);
  void ReduceSpinExcess(float k, float s);

  app::Curve slipCurve, latSlipCurve, slipAngleLatCurve, slipAngleLongCurve, slipAngleLatDamp, slipAngleLongDamp;
  std::string tireCurvesFolder;
  float radius = 0;
  float width = 0;
  float shockLength = 8.0f;
  float brakingTorque = 20.0f;
  float handbrakeTorque = 100.0f;
  float bodyProbeHeight = 60.0f;
  float bounce = 1.1f;
  float rollingResistance = 0.9f;
  Vec3 mountLocal;
  Vec3 position;
  Vec3 velocity;
  Vec3 localVelocity;
  Vec3 previousPosition;
  Matrix4 orientation = Identity();
  Matrix4 drawOrientation = Identity();
  Vec3 up{0, 1, 0}, forward{0, 0, 1}, right{1, 0, 0};
  Vec3 groundNormal{0, 1, 0};
  float steerAngle = 0;
  float effectiveSteerAngle = 0;
  float spinAngle = 0;
  float brake = 0;
  float spin = 0;
  float load = 0;
  double slipRatio = 0;
  double slipAngle = 0;
  float suspensionOffset = 0;
  float driveTorque = 0;
  bool syncToGround = false;
  bool handbrake = false;
  bool onGround = false;
  bool wasOnGround = false;
  bool bodyContact = false;
  bool driven = false;
  int32_t surface = kSurfacePave;
  float wallScrape = 0;
  float listenerDistance = 0;
  bool audible = false;
  bool ignoreVehicles = false;
  float impact = 0;
  Vec3 groundColour{1, 1, 1};
  float frontDownforce = 0.1f;
  float rearDownforce = 0.1f;
  float bodyPenetration = 0;
  // Hardness of the last landing for the wheel's sounds and jolts: kLandingNone ... kLandingHeavy.
  int32_t landing = kLandingNone;

 private:
  static Matrix4 Identity();
  void Contact(VehicleWorld& world, Vec3& p, float dt);
  void GripStep(float dt);
  void DampingStep(float dt);
};

}  // namespace vehicle
