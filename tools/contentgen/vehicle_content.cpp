// Sample cars across the classes: definitions, curves and upgrade catalogues written into CARS/<NAME>/.
#include "contentgen/vehicle_content.h"

#include <algorithm>
#include <cmath>

#include "contentgen/car_models.h"
#include "contentgen/car_upgrades.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/png_writer.h"

namespace contentgen {

namespace {

// Torque in lb-ft over engine speed: a broad curve peaking two thirds of the way to the redline.
CurvePoints TorqueCurve(const SampleCar& car) {
  const float peak = car.peakTorque, red = car.redline;
  return {{0, peak * 0.55f},         {1000, peak * 0.7f},      {red * 0.4f, peak * 0.9f},
          {red * 0.66f, peak},       {red * 0.9f, peak * 0.9f}, {red, peak * 0.75f},
          {red + 1000, peak * 0.4f}};
}

CurvePoints TurboCurve(const SampleCar& car) {
  return {{0, 0}, {2500, 0}, {4000, car.peakTorque * 0.25f}, {car.redline, car.peakTorque * 0.3f}};
}

// Every sample car leaves the factory on street tyres that hold a quarter more sideways than a plain road car's:
// the computer drivers take the corners at the speed they brake down to without sliding wide.
constexpr float kStreetTyreGrip = 1.25f;

// Share of the steering range left at a speed (in/s): narrower at speed.
CurvePoints SteeringRangeCurve() { return {{0, 1.0f}, {600, 0.8f}, {1200, 0.45f}, {2000, 0.3f}, {3000, 0.25f}}; }

}  // namespace

// Fields left out keep SampleCar's defaults.
const std::vector<SampleCar>& SampleCars() {
  static const std::vector<SampleCar> cars = {
      {.name = "BERLINE", .displayName = "Berline", .carClass = "C", .shape = CarShape::kSaloon, .cost = 4000,
       .mass = 1100, .cgHeight = 9, .drivetrain = "FWD", .peakTorque = 160, .redline = 6800, .gears = 5,
       .gearRatios = {3.5, 1, 3.4, 2.1, 1.5, 1.15, 0.9}, .finalDrive = 4.85, .tyreRadius = 11, .halfTrack = 28,
       .frontAxle = 50, .rearAxle = -46, .bodyHalfWidth = 33, .bodyLength = 160, .bodyHeight = 55,
       .tyreGrip = 1.0f, .paintArgb = 0xFF2060C0},
      {.name = "PICKUP", .displayName = "Pickup", .carClass = "C", .shape = CarShape::kPickup, .cost = 6500,
       .mass = 1650, .cgHeight = 6, .drivetrain = "RWD", .peakTorque = 265, .redline = 6200, .gears = 4,
       .gearRatios = {3.0, 1, 2.6, 1.7, 1.25, 0.95}, .finalDrive = 4.95, .tyreRadius = 13, .tyreWidth = 10,
       .halfTrack = 32, .frontAxle = 62, .rearAxle = -56, .bodyHalfWidth = 38, .bodyLength = 195,
       .bodyHeight = 58, .tyreGrip = 0.95f, .paintArgb = 0xFF3C8C34, .neonArgb = 0xFFFFD8A0},
      {.name = "COUPE", .displayName = "Coupe", .carClass = "B", .shape = CarShape::kCoupe, .cost = 14000,
       .mass = 1350, .cgHeight = 6, .drivetrain = "RWD", .peakTorque = 220, .redline = 7000, .gears = 6,
       .gearRatios = {3.4, 1, 3.3, 2.2, 1.6, 1.25, 1.0, 0.82}, .finalDrive = 5.5, .tyreRadius = 12,
       .halfTrack = 30, .frontAxle = 56, .rearAxle = -52, .bodyHalfWidth = 35, .bodyLength = 175,
       .bodyHeight = 48, .tyreGrip = 1.1f, .paintArgb = 0xFFC82020, .neonArgb = 0xFFFFC8C0},
      {.name = "ROADSTER", .displayName = "Roadster", .carClass = "A", .shape = CarShape::kRoadster,
       .cost = 26000, .mass = 1300, .cgHeight = 7, .drivetrain = "AWD", .peakTorque = 260, .redline = 7200, .gears = 6,
       .gearRatios = {3.3, 1, 3.2, 2.1, 1.55, 1.25, 1.05, 0.95}, .finalDrive = 4.7, .turbo = true,
       .tyreRadius = 12, .halfTrack = 30, .frontAxle = 54, .rearAxle = -50, .bodyHalfWidth = 35,
       .bodyLength = 170, .bodyHeight = 46, .tyreGrip = 1.25f, .paintArgb = 0xFFE8C020, .neonArgb = 0xFFFFF0C0},
  };
  return cars;
}

float WidestSampleCarHalfWidth() {
  float widest = 0;
  for (const SampleCar& car : SampleCars()) {
    widest = std::max({widest, car.bodyHalfWidth, car.halfTrack + car.tyreWidth / 2});
  }
  return widest;
}

std::string CarFolder(const SampleCar& car) { return "CARS/" + car.name + "/"; }

std::vector<platform::Vec3> TyrePositions(const SampleCar& car) {
  const float y = car.tyreRadius - OriginHeight(ModelSpecOf(car));
  return {{-car.halfTrack, y, car.frontAxle}, {car.halfTrack, y, car.frontAxle},
          {-car.halfTrack, y, car.rearAxle},  {car.halfTrack, y, car.rearAxle}};
}

std::string CarDefinitionText(const SampleCar& car) {
  DataFileWriter w;
  w.Comment(car.name + ": body, engine, steering and tyre keys");
  w.Record("UPGRADES", {std::string(kCarUpgradeFile)});
  w.Record("VEHICLE_NAME", {car.displayName});
  w.Record("COST", {static_cast<double>(car.cost)});
  w.Record("CLASS", {car.carClass});
  w.Record("CGHEIGHT", {car.cgHeight});
  w.Record("MASS", {car.mass});
  w.Record("MAXIMUM_BODY_PITCH", {3.0});
  w.Record("MAXIMUM_BODY_ROLL", {3.5});
  w.Record("DRIVETRAIN", {car.drivetrain});
  w.Record("HEADLIGHT", {std::string(kCarHeadlightPicture)});
  w.Record("NEON", {std::string(kCarNeonPicture)});
  w.Record("SHADOW", {std::string(kCarShadowPicture), std::string(kCarShadowAlphaPicture)});
  w.Record("VEHICLE_MODEL", {std::string(kCarBodyModel)});
  w.Record("DAMAGE_MODEL", {std::string(kCarDamagedModel)});
  w.Record("SHADOW_MODEL", {std::string(kCarShadowModel)});
  // Levels of detail by camera depth (inches): the far one has its wheels moulded in.
  w.Record("LOD", {std::string(kCarLodModel), std::string("1500"), std::string("YES")});
  w.Record("LOD", {std::string(kCarFarLodModel), std::string("4500"), std::string("NO")});
  w.Record("EXHAUST", {std::string("EXHAUST_LEFT")});
  if (car.shape != CarShape::kPickup) w.Record("EXHAUST", {std::string("EXHAUST_RIGHT")});
  w.Comment("engine");
  w.Record("TORQUE_CURVE", {std::string("torque.crv")});
  if (car.turbo) w.Record("TURBO_TORQUE_CURVE", {std::string("turbo.crv")});
  w.Record("NITROUS", {100.0, 80.0});
  // Every sample car shares the synthesised engine sounds.
  w.Record("SOUNDS_FOLDER", {std::string("..\\..\\SOUNDS\\ENGINE")});
  w.Record("SHIFT_DELAY", {0.25});
  w.Record("GEARS", {static_cast<double>(car.gears)});
  w.Record("REDLINE_RPM", {car.redline});
  w.Record("MINIMUM_RPM", {1000.0});
  w.BlankLine();
  std::vector<std::string> ratios;
  for (double r : car.gearRatios) ratios.push_back(FormatNumber(r));
  w.Record("GEAR_RATIOS", ratios);
  std::vector<std::string> efficiency(car.gearRatios.size(), "0.7");
  w.Record("GEAR_EFFICIENCY", efficiency);
  std::vector<std::string> downshift;
  for (int g = 2; g <= car.gears; ++g) downshift.push_back(FormatNumber(car.redline * 0.45));
  w.Record("DOWNSHIFT_RPM", downshift);
  w.Record("FINAL_DRIVE", std::vector<std::string>(car.gearRatios.size(), FormatNumber(car.finalDrive)));
  w.Comment("steering");
  w.Record("STEERING_RANGE_CURVE", {std::string("steering.crv")});
  w.Record("STEERING_RANGE", {30.0});
  w.Record("STEERING_ACCELERATION", {1400.0});
  w.Record("STEERING_MAX_VELOCITY", {1400.0});
  w.Record("STEERING_RECENTER_FACTOR", {0.01});
  w.Comment("tyres");
  w.Record("TIRE_CURVES_FOLDER", {std::string("TIRES")});
  w.Record("BOUNCINESS", {0.1});
  w.Record("ROLLING_RESISTANCE", {0.9});
  w.Record("SHOCK_LENGTH", {8.0});
  w.Record("BRAKING_TORQUE", {150.0});
  w.Record("HANDBRAKE_TORQUE", {100.0});
  w.Record("FRONT_DOWNFORCE", {0.05});
  w.Record("REAR_DOWNFORCE", {0.05});
  return w.Text();
}

std::vector<std::pair<std::string, CurvePoints>> TyreCurves(const SampleCar& car) {
  // Sideways grip comes mostly from the lateral retention, which the wheel load does not scale: a car that
  // brakes or slides sideways unloads its rear wheels, and a rear held by load alone would let go and spin
  // the car round. The retention stays low far into a slide, so a car that steps out catches itself; grass,
  // dirt and the handbrake add their slipperiness on top and still slide.
  CurvePoints lateralGrip = {{0, 0}, {5, 3.0f}, {15, 3.5f}, {40, 3.0f}, {90, 2.0f}};
  for (auto& point : lateralGrip) point.second *= car.tyreGrip * kStreetTyreGrip;
  CurvePoints lateralRetention = {{0, 0.01f}, {10, 0.01f}, {30, 0.02f}, {90, 0.05f}};
  for (auto& point : lateralRetention) point.second = std::pow(point.second, car.tyreGrip * kStreetTyreGrip);
  return {
      {"slipcurve.crv", {{0, 0}, {0.02f, 0}, {0.08f, 1.0f}, {0.2f, 0.8f}, {0.5f, 0.2f}, {1.0f, 0.1f}}},
      {"latslipcurve.crv", {{0, 1.0f}, {0.3f, 0.8f}, {1.0f, 0.5f}}},
      {"slipanglelatcurve.crv", lateralGrip},
      {"slipanglelongcurve.crv", {{0, 1.0f}, {10, 0.8f}, {90, 0.3f}}},
      {"slipanglelatdamp.crv", lateralRetention},
      {"slipanglelongdamp.crv", {{0, 0.05f}, {30, 0.2f}, {90, 0.4f}}},
  };
}

CarModelSpec ModelSpecOf(const SampleCar& car) {
  CarModelSpec spec;
  spec.shape = car.shape;
  spec.bodyHalfWidth = car.bodyHalfWidth;
  spec.bodyLength = car.bodyLength;
  spec.bodyHeight = car.bodyHeight;
  spec.tyreRadius = car.tyreRadius;
  spec.tyreWidth = car.tyreWidth;
  spec.halfTrack = car.halfTrack;
  spec.frontAxle = car.frontAxle;
  spec.rearAxle = car.rearAxle;
  spec.paintArgb = car.paintArgb;
  spec.neonArgb = car.neonArgb;
  return spec;
}

bool WriteSampleCar(const std::string& folder, const SampleCar& car) {
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  base += CarFolder(car);
  bool ok = WriteTextFile(base + kCarDefinitionFile, CarDefinitionText(car));
  ok = ok && WriteTextFile(base + kCarUpgradeFile, CarUpgradeText(car));
  ok = ok && WriteCurve(base + "torque.crv", TorqueCurve(car));
  ok = ok && WriteCurve(base + "turbo.crv", TurboCurve(car));
  ok = ok && WriteCurve(base + "steering.crv", SteeringRangeCurve());
  for (const auto& [name, points] : TyreCurves(car)) ok = ok && WriteCurve(base + "TIRES/" + name, points);
  return ok && WriteUpgradeFiles(base, car) && WriteCarModels(base, ModelSpecOf(car));
}

bool WriteVehicleContent(const std::string& gameFolder) {
  for (const SampleCar& car : SampleCars()) {
    if (!WriteSampleCar(gameFolder, car)) return false;
  }
  return true;
}

}  // namespace contentgen
