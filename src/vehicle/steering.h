// A car's steering: the input becomes a steering angle (degrees) that moves with limited acceleration and
// speed, returns to the centre on its own and is narrowed at speed by a curve.
#pragma once

#include <string>

#include "app/curve.h"

namespace app {
class DataFile;
}

namespace vehicle {

class Steering {
 public:
  Steering() = default;
  explicit Steering(const app::DataFile& file);

  void Load(const app::DataFile& file);
  void ReloadCurve();
  // x clamped to [-1, 1].
  void SetInput(float x);
  // The car's forward speed, in/s.
  void SetSpeed(float s) { speed = s; }
  void Update(float dt);
  // The effective angle for the tyres: angle × range curve at the current speed (degrees).
  float GetAngle() const;

  float angle = 0;
  float target = 0;
  float velocity = 0;
  float speed = 0;
  float recenterFactor = 0.01f;
  float acceleration = 1400.0f;
  float maxVelocity = 1400.0f;
  float range = 30.0f;
  app::Curve rangeCurve;
  std::string rangeCurvePath;

 private:
  void Recentre(float dt);
};

}  // namespace vehicle
