// The tyre force model: the wheel's spin and the velocity of its contact point pulled toward each other by
// slip curves, then lateral and longitudinal damping by retention per second from the curves and the surface.
#include <algorithm>
#include <cmath>

#include "platform/math/math.h"
#include "vehicle/wheel.h"

namespace vehicle {

using platform::Dot;
using platform::Length;
using platform::Normalize;

namespace {
constexpr float kRadiansToDegrees = 57.295827f;
constexpr double kPi = 3.14159265358979;
constexpr float kTwoPi = 6.2831853f;

float SignOf(float x) { return x < 0 ? -1.0f : 1.0f; }
float Finite(float x, float fallback) { return std::isfinite(x) ? x : fallback; }
float Retain(float perSecond, float dt) { return std::min(std::pow(perSecond, dt), 1.0f); }

const SurfaceGrip kSurfaceGrip[kSurfaceCount] = {
    {0.98f, 1.0f, 0, 0},        {0.75f, 0.25f, 0.1f, 0.9f},  {0.91f, 1.0f, 0, 0},    {0.75f, 0.25f, 0.1f, 0.9f},
    {0.98f, 0.99f, 0.01f, 0.01f}, {0.98f, 0.99f, 0.01f, 0.01f}, {0.98f, 1.0f, 0, 0},  {0.85f, 0.6f, 0.2f, 0.1f},
    {0.85f, 0.6f, 0.2f, 0.1f},  {0.8f, 0.6f, 0, 0},          {0.85f, 0.9f, 0.05f, 0.05f}, {0.98f, 1.0f, 0, 0},
    {0.5f, 0, 0, 0},            {0.98f, 1.0f, 1, 1}};
}  // namespace

const SurfaceGrip& GripOf(int32_t surface) {
  return kSurfaceGrip[(surface >= 0 && surface < kSurfaceCount) ? surface : kSurfacePave];
}

void Wheel::DampLateral(float k) {
  velocity -= right * (Dot(velocity, right) * (1 - std::min(k, 1.0f)));
}

void Wheel::DampLongitudinal(float k) {
  velocity -= forward * (Dot(velocity, forward) * (1 - std::min(k, 1.0f)));
}

void Wheel::DampAlongNormal(const Vec3& axis, float k) {
  const Vec3 along = axis * Dot(velocity, axis);
  velocity = along + (velocity - along) * std::min(k, 1.0f);
}

void Wheel::PullLongitudinal(float k, float s) {
  const float c = Dot(velocity, forward);
  const float e = c - s;
  if (SignOf(e) == SignOf(c)) velocity += forward * (e * (std::min(k, 1.0f) - 1));
}

void Wheel::ReduceSpinExcess(float k, float s) {
  if (std::fabs(spin) > s) spin = SignOf(spin) * ((std::fabs(spin) - s) * std::min(k, 1.0f) + s);
}

void Wheel::ComputeSlipRatio() {
  if (!onGround) {
    slipRatio = 0;
    return;
  }
  const double vLong = localVelocity.z;
  const double difference = vLong - radius * static_cast<double>(spin);
  double ratio = std::fabs(difference) > 0.0001 ? difference / std::max(std::fabs(vLong), 3.0) : 0.0;
  if (!std::isfinite(ratio)) ratio = 0;
  slipRatio = ratio * SignOf(spin);
}

void Wheel::ComputeSlipAngle() {
  if (!onGround) {
    slipAngle = 0;
    return;
  }
  const Vec3 flat = velocity - groundNormal * Dot(velocity, groundNormal);
  const Vec3 d = Length(flat) > 1e-6f ? Normalize(flat) : Vec3{};
  const Vec3 h = spin > 0 ? forward : -forward;
  // Rounding may put the cosine a hair outside [-1, 1]; clamp rather than read that as a full turn.
  const double angle = std::acos(std::clamp(static_cast<double>(Dot(h, d)), -1.0, 1.0));
  slipAngle = std::isfinite(angle) ? angle : 2 * kPi;
}

bool Wheel::IsSkidding() const {
  if (std::fabs(slipRatio) > 1) return true;
  if (std::fabs(driveTorque) > 20 && (brake > 0.25f || handbrake)) return true;
  const float alpha = static_cast<float>(std::fabs(slipAngle)) * kRadiansToDegrees;
  return std::min(Length(velocity), 1000.0f) / 1000.0f * alpha > 10;
}

void Wheel::TireStep(float dt) {
  localVelocity = {Dot(velocity, right), Dot(velocity, up), Dot(velocity, forward)};
  ApplyBrake(dt);
  if (handbrake) ApplyHandbrake(dt);
  ComputeSlipAngle();
  ComputeSlipRatio();
  if (driven) spin += dt * driveTorque;
  spinAngle += dt * spin;
  if (std::isfinite(spinAngle)) {
    while (spinAngle > kTwoPi) spinAngle -= kTwoPi;
    while (spinAngle < -kTwoPi) spinAngle += kTwoPi;
  } else {
    spinAngle = 0;
  }
  if (onGround) GripStep(dt);
  DampingStep(dt);
  ComputeSlipAngle();
  ComputeSlipRatio();
}

void Wheel::GripStep(float dt) {
  const float speed = Length(velocity);
  const float alpha = static_cast<float>(std::fabs(slipAngle)) * kRadiansToDegrees;
  const float gLat = slipAngleLatCurve.Evaluate(alpha);
  float gLong = slipAngleLongCurve.Evaluate(alpha);
  const float slip = static_cast<float>(std::fabs(load * slipRatio));
  float kLong = slipCurve.Evaluate(slip);
  float kLat = latSlipCurve.Evaluate(slip);
  if (speed < 600) kLong = kLat = 1;
  if (speed < 150) gLong = slipAngleLongCurve.Evaluate(0);
  // The grip adds velocity along the tyre's rolling direction; an undriven wheel rolls at (or, braked, below)
  // the ground speed and has no drive to give, so its part along the travel would push a coasting or braking
  // car forward. It keeps its cornering grip only.
  if (!driven) kLong = 0;
  const Vec3 d = speed > 1e-6f ? velocity / speed : Vec3{};
  const Vec3 w = forward * (radius * spin);
  const Vec3 p = d * Dot(d, w);
  const Vec3 q = w - p;
  Vec3 u = p * (kLong * load * gLong) + q * (kLat * load * gLat);
  if (speed > 300) u *= GripOf(surface).highSpeedGrip;
  velocity += u * dt;
  const float vLong = localVelocity.z;
  if (radius > 0 && !handbrake) {
    if (!driven || (syncToGround && speed > 600 && SignOf(spin) == SignOf(vLong))) spin = vLong / radius;
  }
}

void Wheel::DampingStep(float dt) {
  const SurfaceGrip& grip = GripOf(surface);
  if (wallScrape > 0) {
    const float w = std::min(wallScrape, 1.0f);
    spin *= Retain(1 - w, dt);
    wallScrape = 0;
  }
  if (onGround) {
    // Speed along the ground. A wheel moving straight along the ground's normal (a car rocking at rest on a
    // slope) has none, and rounding can take the difference a hair below zero; the retentions built from it
    // below would then raise a negative number to a fractional power and turn the car's position into NaN.
    const float u = std::max(Length(velocity) - Dot(velocity, groundNormal), 0.0f);
    const float alpha = static_cast<float>(std::fabs(slipAngle)) * kRadiansToDegrees;
    const float curveAt = u < 150 ? 0.0f : alpha;
    const float tyreLong = Finite(slipAngleLongDamp.Evaluate(curveAt), 1.0f);
    float dLat = Finite(slipAngleLatDamp.Evaluate(curveAt), 1.0f) + grip.lateralSlip;
    float dLong = tyreLong + grip.longitudinalSlip;
    if (handbrake) dLat += 0.05f;
    // Retentions outside [0, 0.99] would grow the velocity or turn it into NaN through pow.
    dLat = std::clamp(dLat, 0.0f, 0.99f);
    dLong = std::clamp(dLong, 0.0f, 0.99f);
    const float l = Finite(Length(localVelocity), 0.0f);
    const float rollSpin = radius > 0 ? l / radius : 0.0f;
    const float vLong = localVelocity.z;
    spin *= Retain(grip.spinRetention, dt);
    spin *= Retain(rollingResistance, dt);
    if (driven && driveTorque == 0) ReduceSpinExcess(std::pow(0.7f, dt), rollSpin);
    if (slipRatio > 0 && SignOf(spin) == SignOf(vLong)) {
      // Braking grip. A loose surface's slipperiness lifts the retention toward 0.99, so a locked wheel on grass
      // or dirt slides far before the slow-speed damping below stops it.
      PullLongitudinal(std::pow(dLong, dt), radius * spin);
    } else {
      PullLongitudinal(std::pow(0.99f, dt), SignOf(spin) * radius * 5);
    }
    if (SignOf(spin) != SignOf(vLong) && !handbrake) DampLongitudinal(std::pow(dLong, dt));
    if (slipRatio < 0 && std::fabs(spin) > 5 && SignOf(spin) == SignOf(vLong)) {
      if (std::fabs(spin) > rollSpin) {
        const float k = u < 600 ? 0.3f : std::min(dLong + dLat + 0.3f, 1.0f);
        ReduceSpinExcess(std::pow(k, dt), rollSpin);
      }
      if (std::fabs(spin) > rollSpin + 10) {
        const float k2 = u < 600 ? 0.2f : std::min(dLong + dLat + 0.2f, 1.0f);
        ReduceSpinExcess(std::pow(k2, dt), rollSpin + 10);
      }
    }
    DampLateral(std::pow(dLat, dt));
    if (u < 600) {
      float k = handbrake ? u / 600 : 0.05f;
      k = std::min(k + grip.lateralSlip, 0.99f);
      DampLateral(std::pow(k, dt));
    }
    // Coasting: no drive torque pushes the wheel along its motion. Undriven wheels of a car under power receive
    // a share of the torque; damping them as coasting would hold a front-driven car at walking pace.
    const bool coasting = driveTorque == 0 || (!driven && SignOf(driveTorque) != SignOf(vLong));
    if (u < 300 && coasting) {
      const float k = std::min((u / 300 + grip.longitudinalSlip) * 0.1f * (1 - 0.9f * brake), 0.99f);
      DampLongitudinal(std::pow(k, dt));
      spin *= Retain(0.91f, dt);
    }
    if (u < 150 && coasting) {
      const float k = std::min(u / 150 * 0.01f, 0.99f);
      DampLateral(std::pow(k, dt));
    }
  }
  if (bodyContact) DampAlongNormal(groundNormal, std::pow(0.01f, dt));
}

}  // namespace vehicle
