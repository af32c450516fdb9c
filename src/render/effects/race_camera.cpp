// Race camera placement and the matrices and frustum built from it.
#include "render/effects/race_camera.h"

#include <cmath>

#include "app/settings.h"
#include "geometry/collision_tree.h"
#include "platform/math/math.h"
#include "platform/os.h"

namespace render {

namespace {

constexpr float kDegreesToRadians = 0.01745329252f;
constexpr float kInCarForward = 40.0f;
constexpr float kInCarRise = 0.8f;
constexpr float kLookBackAhead = 250.0f;
constexpr float kLookBackAbove = 50.0f;

// A uniform value in [-1, 0.999] from the game's one random generator.
float ShakeRandom() { return static_cast<float>(platform::CrtRand() % 2000) / 1000.0f - 1.0f; }

Vec3 Row(const Matrix4& m, int row) { return {m.m[row][0], m.m[row][1], m.m[row][2]}; }

}  // namespace

float PowF(float x, float y) { return static_cast<float>(std::pow(static_cast<double>(x), static_cast<double>(y))); }

float SignOf(float x) { return x < 0.0f ? -1.0f : 1.0f; }

RaceCamera::RaceCamera(const app::Settings* cameraSettings)
    : settings(cameraSettings),
      view(platform::IdentityMatrix()),
      projection(platform::IdentityMatrix()),
      billboard(platform::IdentityMatrix()),
      orientation(platform::IdentityMatrix()),
      targetOrientation(platform::IdentityMatrix()) {
  UpdateProjection();
  UpdateView();
}

void RaceCamera::Update(const geometry::CollisionTree* collision, float dt) {
  DecayShake(dt);
  if (lookBack) {
    PlaceLookBack();
  } else if (viewMode == 0) {
    PlaceChase(collision, dt);
  } else if (viewMode == 1) {
    PlaceInCar();
  }
  UpdateProjection();
  UpdateView();
  UpdateFrustum(view, projection);
}

void RaceCamera::Apply() {
  UpdateProjection();
  UpdateView();
  UpdateFrustum(view, projection);
}

void RaceCamera::FollowSubject(const CameraSubject& car) {
  lookAt = car.position;
  if (IsInCarView()) {
    targetOrientation = car.world;
    return;
  }
  desiredTargetOffset = kChaseTarget;
  desiredOffset = kChaseOffset;
  float rate = kSlowFollowRate + kSteeringFollowRange * (1.0f - std::fabs(car.steeringFraction));
  if (car.handbrakeOn) rate = car.speed < kHandbrakeFreezeSpeed ? kHandbrakeFollowRate : 0.0f;
  if (!car.anyWheelOnGround || car.tippedOver) rate = kSlowFollowRate;
  desiredFollowRate = rate;
  desiredDistance = car.anyWheelOnGround ? car.speedMph / -5.0f - car.forwardAcceleration * 0.5f
                                         : kAirborneCameraDistance;
  shake += car.shake;

  if (!car.anyWheelOnGround) return;
  const Vec3 forward = platform::Normalize(Vec3{car.forwardAxis.x, car.forwardAxis.y * 0.9f, car.forwardAxis.z});
  const Vec3 side = platform::Normalize(platform::Cross({0, 1, 0}, forward));
  if (platform::LengthSquared(side) == 0.0f) return;
  const Vec3 headingUp = platform::Normalize(platform::Cross(forward, side));
  Matrix4 heading = platform::IdentityMatrix();
  const Vec3 rows[3] = {side, headingUp, forward};
  for (int r = 0; r < 3; ++r) {
    heading.m[r][0] = rows[r].x;
    heading.m[r][1] = rows[r].y;
    heading.m[r][2] = rows[r].z;
  }
  targetOrientation = heading;
}

void RaceCamera::NextView() {
  viewMode += 1;
  if (viewMode >= 2) viewMode = 0;
}

void RaceCamera::DecayShake(float dt) {
  if (shake > kMaxCameraShake) shake = kMaxCameraShake;
  shake = shake * PowF(0.1f, dt);
}

void RaceCamera::UpdateProjection() {
  float aspect = 1.0f;
  float fov = 0, nearClip = 0, farClip = 0;
  if (settings != nullptr) {
    const float width = static_cast<float>(settings->GetInt(app::SettingId::SCREENWIDTH));
    const float height = static_cast<float>(settings->GetInt(app::SettingId::SCREENHEIGHT));
    // A zero height would make the aspect infinite and the projection NaN; keep the last good one instead.
    aspect = height != 0.0f ? width / height : cachedAspect;
    fov = settings->GetFloat(app::FloatSettingId::FOV) * kDegreesToRadians;
    nearClip = settings->GetFloat(app::FloatSettingId::NEARCLIP);
    farClip = settings->GetFloat(app::FloatSettingId::FARCLIP);
  }
  if (aspect == cachedAspect && fov == cachedFov && nearClip == cachedNear && farClip == cachedFar) return;
  cachedAspect = aspect;
  cachedFov = fov;
  cachedNear = nearClip;
  cachedFar = farClip;
  projection = platform::PerspectiveFovLH(fov, aspect, nearClip, farClip);
}

void RaceCamera::UpdateView() {
  const Vec3 target = lookAt + targetOffset;
  view = platform::LookAtLH(eye, target, up);
  billboard = platform::Transpose(view);
  billboard.m[3][0] = billboard.m[3][1] = billboard.m[3][2] = 0.0f;
  billboard.m[0][3] = billboard.m[1][3] = billboard.m[2][3] = 0.0f;
}

void RaceCamera::PlaceChase(const geometry::CollisionTree* collision, float dt) {
  up = {0, 1, 0};

  // The rate falls fast and rises slowly.
  float k = std::fabs(desiredFollowRate) < std::fabs(followRate) ? PowF(0.01f, dt) : PowF(0.3f, dt);
  followRate = desiredFollowRate + (followRate - desiredFollowRate) * k;

  if (std::fabs(desiredDistance) > kMaxCameraDistance) desiredDistance = kMaxCameraDistance * SignOf(desiredDistance);
  k = desiredDistance > distance ? PowF(0.05f, dt) : PowF(0.1f, dt);
  distance = desiredDistance + (distance - desiredDistance) * k;

  float w = 1.0f - PowF(0.01f, dt);
  const Vec3 goal{desiredOffset.x, desiredOffset.y, desiredOffset.z + distance};
  offset += (goal - offset) * w;
  w = 1.0f - PowF(0.01f, dt);
  targetOffset += (desiredTargetOffset - targetOffset) * w;

  // Turn part of the way from the current orientation toward the target one.
  Matrix4 inverse = platform::IdentityMatrix();
  platform::Inverse(orientation, &inverse);
  const Matrix4 delta = inverse * targetOrientation;
  const platform::Quaternion q = platform::QuaternionFromMatrix(delta);
  const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  float t = length > 0.0f ? dt * followRate / length : 1.0f;
  if (t > 1.0f) t = 1.0f;
  const Matrix4 turn = platform::RotationMatrix(platform::Slerp(platform::Quaternion{}, q, t));

  const float r1 = ShakeRandom();
  const float r2 = ShakeRandom();
  const float r3 = ShakeRandom();
  const float r4 = ShakeRandom();
  offset.y += r1 * shake * 0.1f;
  offset.x += r2 * shake * 0.1f;
  targetOffset.y += r3 * shake * 0.25f;
  targetOffset.x += r4 * shake * 0.25f;

  orientation = orientation * turn;
  eye = lookAt + platform::TransformNormal(offset, orientation);

  if (collision != nullptr) {
    Vec3 stop, normal;
    if (collision->SphereCastSimple(lookAt, eye, kCameraCollisionRadius, stop, normal)) eye = stop;
  }
}

void RaceCamera::PlaceInCar() {
  const Vec3 forward = Row(targetOrientation, 2);
  targetOffset = {0, 0, 0};
  eye = lookAt + Vec3{forward.x, forward.y + kInCarRise, forward.z} * kInCarForward;
  lookAt = eye + forward;
  up = Row(targetOrientation, 1);
}

void RaceCamera::PlaceLookBack() {
  const Vec3 forward = Row(targetOrientation, 2);
  const Vec3 carUp = Row(targetOrientation, 1);
  targetOffset = {0, 0, 0};
  eye = lookAt + forward * kLookBackAhead + carUp * kLookBackAbove;
  up = carUp;
}

void RaceCamera::UpdateFrustum(const Matrix4& viewMatrix, const Matrix4& projectionMatrix) {
  frustum.BuildOrdinary(viewMatrix, projectionMatrix);
}

}  // namespace render
