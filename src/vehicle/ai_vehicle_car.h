// The simulated car as a computer driver sees it: its motion, wheels and engine read through AICar, the
// driver's pedals and steering handed to its controls, and respawns in the world it drives in.
#pragma once

#include "vehicle/ai_driver.h"
#include "vehicle/vehicle.h"

namespace vehicle {

class VehicleAICar final : public AICar {
 public:
  VehicleAICar(Vehicle& car, VehicleWorld& world) : car_(car), world_(world) {}

  Vec3 Position() const override { return car_.position; }
  Vec3 Velocity() const override { return car_.velocity; }
  Vec3 ForwardAxis() const override { return car_.forwardAxis; }
  float SpeedMph() const override { return car_.speedMph; }
  float BodyWidth() const override { return car_.bodyWidth; }
  float BodyLength() const override { return car_.bodyLength; }
  int RacePosition() const override { return car_.racePosition; }
  // Neutral for a car without an engine.
  int GearIndex() const override { return car_.engine != nullptr ? car_.engine->Gear() : 1; }
  bool WrongWay() const override { return car_.wrongWay; }
  bool AnyWheelOnGround() const override { return car_.AnyWheelOnGround(); }
  bool AllWheelsOnGround() const override { return car_.AllWheelsOnGround(); }
  bool IsTippedOver() const override { return car_.IsTippedOver(); }
  bool HasBodyContact() const override { return car_.HasBodyContact(); }
  bool IsRespawning() const override { return car_.respawning; }
  bool IsNitrousActive() const override { return car_.engine != nullptr && car_.engine->IsNitrousActive(); }
  // Full lock in degrees; a car without steering counts as 30.
  float SteeringRange() const override { return car_.steering != nullptr ? car_.steering->range : 30.0f; }
  void SetControls(float throttle, float brake, bool handbrake, bool nitrous, float steering) override {
    car_.SetControls(throttle, brake, handbrake, nitrous, steering, false, false);
  }
  void Respawn(const geometry::Path* path) override { car_.Respawn(world_, path); }
  void SavePreviousPosition() override { car_.SavePreviousPosition(); }
  const Vehicle* GetVehicle() const override { return &car_; }

 private:
  Vehicle& car_;
  VehicleWorld& world_;
};

}  // namespace vehicle
