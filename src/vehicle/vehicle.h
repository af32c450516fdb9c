// One car: body, four wheels, engine and gearbox, steering, damage, upgrades and stunt tracker, with the
// per-step simulation that places the body on its wheels. Drawing, sounds and lights hang on VehicleFeatures.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/math/types.h"
#include "vehicle/damage_model.h"
#include "vehicle/engine.h"
#include "vehicle/steering.h"
#include "vehicle/stunt_tracker.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle_world.h"
#include "vehicle/wheel.h"

namespace app {
class DataFile;
class Settings;
}
namespace geometry {
class MeshModel;
class Path;
struct PathProjection;
}
namespace render {
class ResourceManager;
}

namespace vehicle {

using platform::Matrix4;
using platform::Vec3;

class Vehicle;
class ForceFeedbackOutput;

// The car's presentation side (models, lights, sounds, shadow, particles, force feedback), called by the
// simulation at fixed points of the step. Every hook does nothing unless overridden.
class VehicleFeatures {
 public:
  virtual ~VehicleFeatures() = default;
  // After the body's collisions are resolved and the surfaces and ground tint gathered: landing sounds, ground
  // shadow, wheel particles.
  virtual void AfterCollisions(Vehicle& car, VehicleWorld& world, float dt) { (void)car, (void)world, (void)dt; }
  // Near the end of the step, once the speed is known: driver and visual parts follow the body.
  virtual void UpdateAttachments(Vehicle& car, float dt) { (void)car, (void)dt; }
  // The car was placed (SetTransform): re-drape the shadow, move attachments.
  virtual void OnPlaced(Vehicle& car) { (void)car; }
  // A crash sound of a kind (0-5) at a volume (0-255) passed the cooldown and distance rules.
  virtual void PlayCrashSound(Vehicle& car, int kind, int volume) { (void)car, (void)kind, (void)volume; }
  // A force-feedback jolt of a magnitude 0-10000 (collision impacts).
  virtual void ForceJolt(Vehicle& car, int magnitude) { (void)car, (void)magnitude; }
  // Number of sound channels playing now (crash sounds give way above 16).
  virtual int ChannelsPlaying() const { return 0; }
  // The car was given a controller (or none) to drive its force-feedback effects.
  virtual void SetForceFeedbackDevice(Vehicle& car, ForceFeedbackOutput* device) { (void)car, (void)device; }
};

// Where the parts of a body model put the car's wheels and hull, in car space (inches): what the body
// loader reads from the model's part list and boxes.
struct ChassisLayout {
  Vec3 tyrePositions[4];       // front left, front right, rear left, rear right part positions
  float tyreRadius[4] = {12, 12, 12, 12};
  float tyreWidth[4] = {8, 8, 8, 8};
  Vec3 collisionMin{-36, 0, -90};  // the COLLISION part's box
  Vec3 collisionMax{36, 50, 90};
  Vec3 bodyMin{-36, 0, -90};       // the body model's box
  Vec3 bodyMax{36, 50, 90};
};

enum Drivetrain : int32_t { kRearWheelDrive, kFrontWheelDrive, kAllWheelDrive };
enum WheelIndex : int { kFrontLeft, kFrontRight, kRearLeft, kRearRight };
enum CarClass : int32_t { kClassOpen, kClassC, kClassB, kClassA, kClassMixed, kCarClassCount };
extern const char* const CarClassNames[kCarClassCount];

// in/s per mph.
constexpr float kInchesPerSecondPerMph = 17.6f;

class Vehicle {
 public:
  // Loads nothing: LoadDefinition, then the body (AssembleChassis), then SetTransform or Reset place the car.
  Vehicle(render::ResourceManager* resources, app::Settings* settings, std::string driverName, bool inert);
  ~Vehicle();
  Vehicle(const Vehicle&) = delete;
  Vehicle& operator=(const Vehicle&) = delete;

  // --- definition (vehicle_definition.cpp) ---
  // Reads the car's definition file (path relative to the game folder unless it holds ':') and its upgrade,
  // engine, steering and tyre keys. Missing or bad keys keep their defaults. The body model's parts are
  // assembled afterwards by the body loader through AssembleChassis. Returns false when the file is missing.
  bool LoadDefinition(const std::string& path, UpgradeSelection* selection, const UpgradeList* reference,
                      float margin, bool dressed);
  // The same from a definition already parsed (folder: where its files are, with a trailing separator).
  void LoadDefinitionFrom(const app::DataFile& file, const std::string& folder, UpgradeSelection* selection,
                          const UpgradeList* reference, float margin, bool dressed);
  // Builds the four wheels, mounts, hull points, axle values and driven wheels from the body's parts.
  void AssembleChassis(const ChassisLayout& layout);
  // True when the car can be stepped: engine and four wheels present.
  bool CanDrive() const;
  // Re-reads the engine, steering and tyre curves from their files (the torque curve loses its upgrade scaling).
  void ReloadCurves();
  // The folder of the definition file the car was read from, ending in a separator: where its models, pictures
  // and upgrade images are.
  std::string GetDataFolder() const { return folder; }

  // --- simulation step (vehicle.cpp) ---
  void Update(VehicleWorld& world, float dt);
  void Respawn(VehicleWorld& world, const geometry::Path* path);

  // --- body dynamics (body_dynamics.cpp) ---
  void SavePreviousState();
  void ComputeAxleGeometry();
  void CoupleWheelSpins();
  void PlaceBodyOnWheels();
  void AverageWheelVelocity();
  void UpdateLocalAcceleration(float dt);
  void ApplyWeightTransfer(float dt);
  void UpdateBodyTilt(float dt);
  void FollowRotation(float dt);
  void UpdateMatrices();
  void UpdateAxes();
  void UpdateSpeed();
  void SetTransform(const Vec3& newPosition, const Matrix4& newRotation);
  void Reset(VehicleWorld& world, const geometry::Path* path);
  // The point of a path where Respawn and Reset put the car: nearest to point, searched from a little behind
  // pathIndex unless that lands on another stretch of the circuit.
  bool ProjectNearPathIndex(const geometry::Path& path, const Vec3& point, geometry::PathProjection& out) const;
  float GetRestHeight() const;

  // --- collisions (vehicle_collision.cpp) ---
  void ResolveCollisions(VehicleWorld& world, float dt);
  void ApplyImpact(Vec3 point, float amount);
  void PlayCrashSound(int kind);
  void TickCrashCooldowns(float dt);

  // --- controls and queries (vehicle_controls.cpp) ---
  void SetControls(float throttle, float brake, bool handbrake, bool nitrous, float steeringInput, bool shiftUp,
                   bool shiftDown);
  bool IsHandbrakeOn() const;
  bool AnyWheelOnGround() const;
  bool AllWheelsOnGround() const;
  bool AnyWheelSkidding() const;
  bool HasBodyContact() const;
  bool IsTippedOver() const;
  double GetDrivenSlipAngle() const;
  void UpdatePathProgress(const geometry::Path& path);
  void SavePreviousPosition();
  void UpdateRespawnTimer(VehicleWorld& world, float dt);
  void DistanceTo(const Vec3& point);
  // surfacesTouched from the wheels on the ground (a surface beyond the table counts as pavement).
  void UpdateSurfaces();
  // groundTint: the mean of the four wheels' ground colours (white for a missing wheel).
  void UpdateGroundTint();
  void SetPlayerFlag(bool flag);
  // The light of the ground on all four wheels (0-1 per channel; white shows their own colours).
  void SetWheelColour(float r, float g, float b);
  // The controller whose effects this car drives (not owned; null for none): jolts, rumble, road effects.
  void SetForceFeedbackDevice(ForceFeedbackOutput* device);
  // Hull tests in world space against the car's hull (collisionModel, or its box when the car has no hull
  // model): the segment's first crossing of a face turned toward it, or the moving sphere's first contact;
  // point, sphere centre and unit normal on a hit. A segment starting inside the hull's box but outside the
  // hull still finds it. The sphere test never hits an inert car. The race's car tests (HitCarsPoint,
  // HitCarsSegment) know these two as HitTestPoint and HitTestSegment.
  bool HitTestRay(const Vec3& start, const Vec3& end, Vec3& outPoint, Vec3& outNormal) const;
  bool HitTestSweptSphere(const Vec3& start, const Vec3& end, float radius, Vec3& outCentre, Vec3& outPoint,
                          Vec3& outNormal) const;
  // The largest z of the body box (front extent).
  float FrontExtent() const { return bodyMax.z; }

  // --- race and path state ---
  uint32_t pathIndex = 0;
  uint32_t raceCounter = 0;
  uint32_t safePathIndex = 0, safeRaceCounter = 0;
  Vec3 safePosition;
  float pathDistance = 0;
  int32_t lapCount = 0, bestLap = 0;
  float progress = 0;
  int32_t racePosition = 0;
  uint8_t raceFlag = 0;
  bool wrongWay = false;

  // --- services (not owned) ---
  render::ResourceManager* resources = nullptr;
  app::Settings* settings = nullptr;

  // --- body state ---
  Matrix4 worldMatrix;
  Matrix4 orientation;
  Matrix4 tilt;
  Matrix4 wheelFrame;
  Matrix4 rotation;
  Vec3 position;
  Vec3 velocity;
  Vec3 localVelocity;
  Vec3 localAcceleration;
  Matrix4 previousWheelFrame, previousRotation;
  Vec3 previousPosition, previousVelocity, previousLocalVelocity;
  Vec3 rightAxis{1, 0, 0}, upAxis{0, 1, 0}, forwardAxis{0, 0, 1};
  Vec3 drawRightAxis{1, 0, 0}, drawUpAxis{0, 1, 0}, drawForwardAxis{0, 0, 1};
  Vec3 wheelCentreOffset;

  // --- definition values ---
  std::string vehicleName;
  std::string driverName;
  std::string folder;
  int32_t carClass = kClassOpen;
  int32_t cost = 1000;
  float ratings[5] = {};
  float mass = 1500.0f;
  float wheelbase = 100.0f;
  float cgHeight = 25.0f;
  float frontShare = 0.5f, rearShare = 0.5f;
  float frontLoad = 0, rearLoad = 0;
  int32_t drivetrain = kFrontWheelDrive;
  float bodyLength = 0, bodyWidth = 0, bodyHeight = 0;
  Vec3 bodyMin, bodyMax;       // the body model's box
  Vec3 collisionMin, collisionMax;  // the hull's box
  const geometry::MeshModel* collisionModel = nullptr;  // the hull in car space (owned by the car's body models)
  float maxBodyPitch = 3.0f, maxBodyRoll = 3.0f;
  bool headlightsOn = true;
  // File names the presentation side loads: the keys of the definition it does not read itself.
  std::string vehicleModelFile, damageModelFile, shadowModelFile, headlightFile, neonFile;
  std::string shadowFile, shadowAlphaFile;
  std::vector<std::string> exhaustPartNames;

  // --- components (owned) ---
  std::array<std::unique_ptr<Wheel>, 4> wheels;
  std::vector<Vec3> hullPoints;
  std::unique_ptr<Engine> engine;
  std::unique_ptr<Steering> steering;
  std::unique_ptr<DamageModel> damage;
  std::unique_ptr<StuntTracker> stunts;
  std::unique_ptr<UpgradeList> upgrades;
  std::unique_ptr<VehicleFeatures> features;

  // --- per-step state ---
  bool collidable = true;
  float speedMph = 0;
  float wheelSpeedMph = 0;
  uint8_t surfacesTouched[kSurfaceCount] = {};
  float crashCooldowns[6] = {};
  bool isPlayer = false;
  bool respawning = false;
  bool respawnVisible = true;
  float respawnTimer = 0;
  float shake = 0;  // camera shake gathered this step: nitrous, hard landings, impacts
  uint32_t trackContacts = 0;  // hull points that have hit the track (not another car) since the car was made
  float listenerDistance = 0;
  ForceFeedbackOutput* forceFeedback = nullptr;  // not owned
  float groundTint[3] = {1, 1, 1};
  bool inert = false;

 private:
  std::unique_ptr<app::DataFile> definition_;  // kept for the tyre keys read when the wheels are built
  bool WheelsShouldWork() const;
  bool HitHull(const Vec3& start, const Vec3& end, float radius, Vec3& outCentre, Vec3& outPoint,
               Vec3& outNormal) const;
  void StepWheels(VehicleWorld& world, float dt);
  void GatherCandidates(VehicleWorld& world);
  StuntInputs MakeStuntInputs() const;
  friend class StuntTracker;
};

}  // namespace vehicle
