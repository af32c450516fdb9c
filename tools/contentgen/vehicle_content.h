// Sample cars: one folder per car under CARS/<NAME>/ with its definition (body, engine, steering and tyre
// keys), torque, turbo and steering curves, tyre slip curves, an upgrade catalogue (car_upgrades.h) and the
// car's models and pictures (car_models.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "contentgen/car_models.h"
#include "contentgen/curve_writer.h"
#include "platform/math/types.h"

namespace contentgen {

// What makes one sample car; the body and tyre sizes are what its model is built to.
struct SampleCar {
  std::string name;         // folder name under CARS/ (upper case)
  std::string displayName;  // VEHICLE_NAME
  std::string carClass;     // OPEN, C, B, A
  CarShape shape = CarShape::kSaloon;
  int cost = 0;
  float mass = 1500;
  // Low, so a braking or sliding car keeps weight on its rear wheels and does not swap ends.
  float cgHeight = 25;
  std::string drivetrain;   // RWD, FWD, AWD
  float peakTorque = 200;   // lb-ft
  float redline = 6500;
  int gears = 5;
  std::vector<double> gearRatios;  // reverse, neutral, first, ...
  // With the top gear and the redline it sets the top speed, 100-115 mph for the sample cars: short enough that a
  // driver braking for a bend gets down to cornering speed within the stretch of road it looks ahead over.
  double finalDrive = 3.5;
  bool turbo = false;
  float tyreRadius = 12;
  float tyreWidth = 8;
  float halfTrack = 30;     // tyre x
  float frontAxle = 50;     // tyre z
  float rearAxle = -50;
  float bodyHalfWidth = 36, bodyLength = 180, bodyHeight = 50;
  // Cornering grip of the stock tyres, 1 for a plain road car; a street racer's tyres bite harder and let go
  // of a slide sooner.
  float tyreGrip = 1;
  uint32_t paintArgb = 0xFFC02020;
  uint32_t neonArgb = 0xFFFFE0B0;  // the dim glow under the car as it leaves the factory
};

// The cars of the content list, in its order.
const std::vector<SampleCar>& SampleCars();
// Half the width of the widest sample car, body or tyres: the room a car needs either side of a racing line.
float WidestSampleCarHalfWidth();
// Folder of a car below the game folder ("CARS/<NAME>/") and the definition's file name in it.
std::string CarFolder(const SampleCar& car);
constexpr const char* kCarDefinitionFile = "vehicle.dat";
constexpr const char* kCarUpgradeFile = "upgrades.dat";
// The definition file's text. It names the model files the car's models writer lays out beside it.
std::string CarDefinitionText(const SampleCar& car);
// The model sizes and colours of a car.
CarModelSpec ModelSpecOf(const SampleCar& car);
// The stock tyre slip curves of a car, by file name.
std::vector<std::pair<std::string, CurvePoints>> TyreCurves(const SampleCar& car);
// Where the car's tyre parts sit in car space (front left, front right, rear left, rear right).
std::vector<platform::Vec3> TyrePositions(const SampleCar& car);

// Writes one car's folder below folder (the game folder or a scratch folder): definition, curves, upgrades,
// pictures and models.
bool WriteSampleCar(const std::string& folder, const SampleCar& car);
// Writes every sample car below the game folder.
bool WriteVehicleContent(const std::string& gameFolder);

}  // namespace contentgen
