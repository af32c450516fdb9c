// Steering angle dynamics: limited acceleration and speed, self-centring and the speed-dependent range.
#include "vehicle/steering.h"

#include <algorithm>
#include <cmath>

#include "app/data_file.h"
#include "vehicle/vehicle_definition.h"

namespace vehicle {

namespace {
float SignOf(float x) { return x < 0 ? -1.0f : 1.0f; }
constexpr float kFullRateBand = 0.15f;
}  // namespace

Steering::Steering(const app::DataFile& file) { Load(file); }

void Steering::Load(const app::DataFile& file) {
  const DefinitionReader read{file, nullptr};
  if (const auto* v = read.FileValues("STEERING_RANGE_CURVE"); v && !v->empty()) {
    rangeCurvePath = FolderOf(file.Path()) + (*v)[0];
  }
  read.FileFloat("STEERING_RANGE", range);
  read.FileFloat("STEERING_ACCELERATION", acceleration);
  read.FileFloat("STEERING_MAX_VELOCITY", maxVelocity);
  read.FileFloat("STEERING_RECENTER_FACTOR", recenterFactor);
  ReloadCurve();
}

void Steering::ReloadCurve() { rangeCurve = rangeCurvePath.empty() ? app::Curve() : app::Curve(rangeCurvePath); }

void Steering::SetInput(float x) { target = std::clamp(x, -1.0f, 1.0f) * range; }

float Steering::GetAngle() const {
  // Without a range curve the steering keeps its full range rather than locking straight ahead.
  return rangeCurve.Empty() ? angle : angle * rangeCurve.Evaluate(speed);
}

void Steering::Recentre(float dt) {
  angle *= std::pow(recenterFactor, dt);
  angle *= std::pow(recenterFactor, dt);
  if (std::fabs(angle) < 10.0f) angle *= std::pow(std::fabs(angle) / 20.0f, dt);
}

void Steering::Update(float dt) {
  float t = target;
  if (std::fabs(t) > range) t = SignOf(t) * range;
  const float delta = t - angle;
  if (SignOf(angle) != SignOf(t) || (angle != 0 && t == 0)) {
    Recentre(dt);
  } else if (std::fabs(angle) > std::fabs(t)) {
    angle = t + (angle - t) * std::pow(recenterFactor, dt);
  }
  if (delta == 0) {
    // On target the steering rests: building speed toward "positive" here would let the next turn right start
    // at full speed while a turn left starts from rest.
    velocity = 0;
  } else {
    if (SignOf(velocity) != SignOf(delta)) velocity = 0;
    velocity = std::clamp(velocity + SignOf(delta) * acceleration * dt, -maxVelocity, maxVelocity);
  }
  float step = dt * velocity;
  const float q = range > 0 ? std::pow(std::max(std::fabs(angle / range) - kFullRateBand, 0.0f), 8.0f) : 0.0f;
  step *= (1 - q);
  if (std::fabs(step) > std::fabs(delta)) step = delta;
  // Crossing the centre stops the steering there for this step; leaving the centre is no crossing, either way.
  const float old = angle;
  const float next = angle + step;
  if (old != 0 && SignOf(next) != SignOf(old)) {
    velocity = 0;
    angle = 0;
  } else {
    angle = next;
  }
}

}  // namespace vehicle
