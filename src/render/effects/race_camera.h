// The race's one camera: chase, in-car and look-back placement, smoothing and shake, and the view, projection,
// billboard and frustum that the race's drawers read.
#pragma once

#include <cstdint>

#include "platform/math/types.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}
namespace geometry {
class CollisionTree;
}

namespace render {

using platform::Matrix4;
using platform::Vec3;

// x raised to y, computed in double precision and rounded to float.
float PowF(float x, float y);
// 1 when x >= 0 (and for NaN), -1 when x < 0.
float SignOf(float x);

// The nearest the chase camera may come to the target offset along z, either way (inches).
constexpr float kMaxCameraDistance = 35.0f;
constexpr float kMaxCameraShake = 5.0f;
// Radius of the sphere cast that keeps the chase eye out of walls (inches).
constexpr float kCameraCollisionRadius = 10.0f;

// What the camera follows of the player's car, filled by the race from the car each sub-step. Car space is +x
// right, +y up, +z forward.
struct CameraSubject {
  Vec3 position;
  // The car's world matrix: rows side, up, forward, position.
  Matrix4 world;
  Vec3 forwardAxis{0, 0, 1};
  float speedMph = 0;
  // Length of the car's velocity, inches per second.
  float speed = 0;
  // Change per second of the car-space forward velocity (inches per second squared).
  float forwardAcceleration = 0;
  // |steering angle ÷ steering range|, 0 straight ahead to 1 at full lock.
  float steeringFraction = 0;
  bool handbrakeOn = false;
  bool anyWheelOnGround = true;
  bool tippedOver = false;
  // Camera shake the car gathered this step (impacts, bumps, nitrous).
  float shake = 0;
};

// Chase follow rates: a straight car is followed quickly, a car at full lock slowly; a handbrake turn at speed
// freezes the turn, and a car in the air or on its side is followed at the slow rate.
constexpr float kSlowFollowRate = 3.0f;
constexpr float kSteeringFollowRange = 7.0f;
constexpr float kHandbrakeFollowRate = 7.0f;
constexpr float kHandbrakeFreezeSpeed = 150.0f;
constexpr float kAirborneCameraDistance = -35.0f;
// The chase eye's offset behind the car and the point above the car it looks at, in the level heading frame
// (inches), the same for every car.
constexpr Vec3 kChaseOffset{0, 60, -200};
constexpr Vec3 kChaseTarget{0, 60, 0};

class RaceCamera {
 public:
  // The owner (race session or showroom) keeps the settings alive; the projection and view are built at once.
  explicit RaceCamera(const app::Settings* settings);

  // One step (dt in seconds): shake decay, placement by view, then projection, view and frustum. The collision
  // tree (or null) keeps the chase eye in front of walls.
  void Update(const geometry::CollisionTree* collision, float dt);
  // Projection, view and frustum from the eye and lookAt the owner wrote, without moving the eye.
  void Apply();
  // Writes the owner's fields from the car: lookAt, and the target orientation of the in-car view; outside it
  // the chase offsets, follow rate, distance and shake, and a level heading that is kept while the car is in
  // the air (or when its forward axis points straight up or down, where no heading exists).
  void FollowSubject(const CameraSubject& car);
  // Chase -> in-car -> chase.
  void NextView();
  bool IsInCarView() const { return !lookBack && viewMode == 1; }

  void DecayShake(float dt);
  void PlaceChase(const geometry::CollisionTree* collision, float dt);
  void PlaceInCar();
  void PlaceLookBack();
  // Rebuilt only when the screen size, field of view or clip distances changed.
  void UpdateProjection();
  void UpdateView();
  void UpdateFrustum(const Matrix4& viewMatrix, const Matrix4& projectionMatrix);

  ViewFrustum frustum;
  const app::Settings* settings;
  Matrix4 view;
  Matrix4 projection;
  Matrix4 billboard;
  Matrix4 orientation;
  // Written by the owner: the car's matrix in in-car view, a level heading otherwise. Row 1 is up, row 2 forward.
  Matrix4 targetOrientation;
  Vec3 eye{0, 0, 0};
  // Written by the owner every step: the car's position.
  Vec3 lookAt{0, 0, 0};
  Vec3 up{0, 1, 0};
  Vec3 offset{0, 60, -200};
  Vec3 desiredOffset{0, 60, -200};
  Vec3 targetOffset{0, 60, 0};
  Vec3 desiredTargetOffset{0, 60, 0};
  float cachedAspect = 0, cachedNear = 0, cachedFar = 0, cachedFov = 0;
  // Added to by the owner on impacts; capped at kMaxCameraShake.
  float shake = 0;
  float followRate = 1.0f;
  float desiredFollowRate = 1.0f;
  float distance = 0;
  float desiredDistance = 0;
  // 0 chase, 1 in-car; any other value leaves the eye where it is.
  int32_t viewMode = 0;
  // Held by the owner while the look-back control is down; wins over viewMode.
  bool lookBack = false;
};

}  // namespace render
