// A car's engine: torque curves with turbo and nitrous, the gearbox, and the engine speed the driven wheels
// and the throttle give it. Turns the throttle into the drive torque of the driven wheels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/curve.h"
#include "vehicle/gearbox.h"

namespace app {
class DataFile;
}

namespace vehicle {

class UpgradeList;

// rad/s to rpm.
constexpr float kRadPerSecondToRpm = 9.55f;

class Engine {
 public:
  // Reads the engine keys of the car definition (with upgrade overrides) and its curves.
  Engine(const app::DataFile& file, int32_t manual, const UpgradeList* upgrades);

  void Load(const app::DataFile& file, const UpgradeList* upgrades);
  // Re-reads the curve files; the torque multiplier of upgrades is not applied again.
  void ReloadCurves();
  void Reset();
  void ForceGear(int32_t g) { gearbox.ForceGear(g); }
  void EngageNitrous();
  bool IsNitrousActive() const { return nitrousRemaining > 0 && nitrousEngaged; }
  // wheelSpeed: signed angular speed of a driven wheel, rad/s.
  void UpdateDriveshaft(float wheelSpeed, float dt);
  void Update(float dt);
  float TargetRpm() const;
  // Wheel speed (rad/s) at which the current gear reaches the redline; 10000 in neutral or while shifting.
  float MaxWheelSpeed() const;

  int32_t Gear() const { return gearbox.gear; }

  Gearbox gearbox;
  bool nitrousEngageEvent = false;
  bool nitrousEngaged = false;
  float nitrousRemaining = 0;
  float nitrousCapacity = 0;
  float nitrousTorque = 50.0f;
  bool hasTurbo = false;
  float throttle = 0;
  float driveshaftRpm = 0;
  float engineRpm = 0;
  float wheelTorque = 0;
  float boost = 0;
  bool turboBoostEvent = false;
  float minimumRpm = 1000.0f;
  float redlineRpm = 6750.0f;
  app::Curve torqueCurve;
  std::string torqueCurvePath;
  app::Curve turboCurve;
  std::string turboCurvePath;
  std::string soundsFolder;  // folder of the engine samples (empty without SOUNDS_FOLDER)

 private:
  void ClampToRedline();
  void UpdateTorque();
  void UpdateEngineSpeed(float dt);
};

}  // namespace vehicle
