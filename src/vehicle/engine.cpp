// The engine's loading from the car definition and its step: driveshaft speed, gear selection, torque and the
// smoothed engine speed with a limiter jitter near the redline.
#include "vehicle/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/data_file.h"
#include "platform/os.h"
#include "vehicle/vehicle_definition.h"
#include "vehicle/upgrades.h"

namespace vehicle {

namespace {
constexpr float kLbFtPerNewtonMetre = 0.7374f;
constexpr float kTorqueScale = 20.0f;
constexpr float kEngineRpmSlew = 40000.0f;
constexpr float kNeutralRevRate = 10000.0f;
constexpr float kLimiterBand = 100.0f;
}  // namespace

Engine::Engine(const app::DataFile& file, int32_t manual, const UpgradeList* upgrades) {
  gearbox.manual = manual;
  Load(file, upgrades);
}

void Engine::Load(const app::DataFile& file, const UpgradeList* upgrades) {
  const std::string folder = FolderOf(file.Path());
  const DefinitionReader read{file, upgrades};
  if (const auto* v = read.Values("TORQUE_CURVE", kKeyTorqueCurve, true); v && !v->empty()) {
    torqueCurvePath = folder + (*v)[0];
  }
  if (const auto* v = read.Values("TURBO_TORQUE_CURVE", kKeyTurboTorqueCurve, false); v && !v->empty()) {
    hasTurbo = true;
    turboCurvePath = folder + (*v)[0];
  }
  if (const auto* v = read.Values("NITROUS", kKeyNitrous, false); v && !v->empty()) {
    nitrousRemaining = nitrousCapacity = std::max(0.0f, ParseFloat((*v)[0]));
    if (v->size() > 1) nitrousTorque = ParseFloat((*v)[1]);
  }
  if (const auto* v = read.Values("SOUNDS_FOLDER", kKeySoundsFolder, true); v && !v->empty()) {
    soundsFolder = folder + (*v)[0];
  }
  read.Float("SHIFT_DELAY", kKeyShiftDelay, gearbox.shiftDelay);
  if (const auto* v = read.Values("GEARS", kKeyGears, true); v && !v->empty()) {
    // Seven forward gears fill the tables; more would read past them.
    gearbox.topGear = std::clamp(std::atoi((*v)[0].c_str()), 1, kMaxGear - 1) + 1;
  }
  read.Float("REDLINE_RPM", kKeyRedlineRpm, redlineRpm);
  read.Float("MINIMUM_RPM", kKeyMinimumRpm, minimumRpm);
  auto readTable = [&](const char* name, uint32_t key, float* table, int first, bool copyNeutral) {
    const auto* v = read.Values(name, key, true);
    if (v == nullptr) return;
    for (size_t i = 0; i < v->size() && first + static_cast<int>(i) < kGearTableSize; ++i) {
      table[first + i] = ParseFloat((*v)[i]);
    }
    if (copyNeutral) table[kGearNeutral] = table[kGearFirst];
  };
  readTable("GEAR_RATIOS", kKeyGearRatios, gearbox.gearRatio, 0, true);
  readTable("GEAR_EFFICIENCY", kKeyGearEfficiency, gearbox.gearEfficiency, 0, true);
  readTable("DOWNSHIFT_RPM", kKeyDownshiftRpm, gearbox.downshiftRpm, 3, false);
  readTable("FINAL_DRIVE", kKeyFinalDrive, gearbox.finalDrive, 0, true);
  ReloadCurves();
  if (upgrades != nullptr) {
    float multiplier = 1.0f;
    for (const auto& upgrade : upgrades->Upgrades()) {
      if (!upgrade->installed) continue;
      for (const UpgradeProperty& p : upgrade->properties) {
        if (p.key == kKeyTorqueMultiplier && !p.values.empty()) multiplier *= ParseFloat(p.values[0]);
      }
    }
    torqueCurve.ScaleY(multiplier);
  }
}

void Engine::ReloadCurves() {
  torqueCurve = app::Curve(torqueCurvePath);
  if (hasTurbo) turboCurve = app::Curve(turboCurvePath);
}

void Engine::Reset() {
  driveshaftRpm = 0;
  engineRpm = 0;
  wheelTorque = 0;
  throttle = 0;
  gearbox.Reset();
}

void Engine::EngageNitrous() {
  if (!nitrousEngaged && nitrousRemaining > 0) {
    nitrousEngaged = true;
    nitrousEngageEvent = true;
  }
}

float Engine::TargetRpm() const { return std::max(gearbox.Ratio() * driveshaftRpm, minimumRpm); }

float Engine::MaxWheelSpeed() const {
  const float ratio = gearbox.Ratio();
  if (gearbox.gear == kGearNeutral || gearbox.shifting || ratio <= 0) return 10000.0f;
  return redlineRpm / ratio / kRadPerSecondToRpm;
}

void Engine::ClampToRedline() {
  const float ratio = gearbox.Ratio();
  if (ratio > 0 && std::max(ratio * driveshaftRpm, minimumRpm) > redlineRpm) driveshaftRpm = redlineRpm / ratio;
}

void Engine::UpdateDriveshaft(float wheelSpeed, float dt) {
  if (gearbox.gear != kGearNeutral && !gearbox.shifting) {
    const float w = std::fabs(wheelSpeed) * kRadPerSecondToRpm;
    if (driveshaftRpm > w) {
      driveshaftRpm *= std::pow(0.1f, dt);
    } else {
      driveshaftRpm = w;
    }
  }
  ClampToRedline();
}

void Engine::Update(float dt) {
  if (gearbox.gear == kGearNeutral) {
    driveshaftRpm += dt * throttle * kNeutralRevRate;
    driveshaftRpm *= std::pow(0.1f, dt);
    ClampToRedline();
  }
  gearbox.SelectGear(TargetRpm(), minimumRpm, redlineRpm);
  gearbox.TickShift(dt);
  UpdateTorque();
  UpdateEngineSpeed(dt);
}

void Engine::UpdateTorque() {
  const int32_t g = gearbox.gear;
  if (g == kGearNeutral || gearbox.shifting || g < 0 || g >= kGearTableSize) {
    wheelTorque = 0;
    return;
  }
  const float rpm = TargetRpm();
  float torque = torqueCurve.Evaluate(rpm);
  if (hasTurbo) {
    const float turbo = turboCurve.Evaluate(rpm);
    const float maxTurbo = turboCurve.MaxY();
    const float b = maxTurbo > 0 ? turbo * throttle / maxTurbo : 0.0f;
    if (boost < 0.5f && b >= 0.5f) turboBoostEvent = true;
    boost = b;
    torque += turbo;
  }
  if (IsNitrousActive()) torque += nitrousTorque;
  torque /= kLbFtPerNewtonMetre;
  torque *= gearbox.finalDrive[g] * gearbox.gearRatio[g];
  torque *= gearbox.gearEfficiency[g] * throttle / kTorqueScale;
  if (g == kGearReverse) torque = -torque;
  wheelTorque = torque;
}

void Engine::UpdateEngineSpeed(float dt) {
  float rpm = TargetRpm();
  if (rpm > redlineRpm - kLimiterBand) {
    const float j = static_cast<float>(platform::CrtRand() % 1000) / 500.0f - 0.5f;
    rpm += (rpm - (redlineRpm - kLimiterBand)) * j * 0.5f;
  }
  const float maxStep = kEngineRpmSlew * dt;
  if (engineRpm < rpm) {
    engineRpm = std::min(engineRpm + maxStep, rpm);
  } else {
    engineRpm = std::max(engineRpm - maxStep, rpm);
  }
}

}  // namespace vehicle
