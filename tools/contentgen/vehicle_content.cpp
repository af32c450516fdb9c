// Sample cars across the classes: definitions, curves and upgrade catalogues written into CARS/<NAME>/.
#include "contentgen/vehicle_content.h"

#include "contentgen/car_models.h"
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

// Share of the steering range left at a speed (in/s): narrower at speed.
CurvePoints SteeringRangeCurve() { return {{0, 1.0f}, {600, 0.8f}, {1200, 0.45f}, {2000, 0.3f}, {3000, 0.25f}}; }

}  // namespace

// Fields left out keep SampleCar's defaults.
const std::vector<SampleCar>& SampleCars() {
  static const std::vector<SampleCar> cars = {
      {.name = "BERLINE", .displayName = "Berline", .carClass = "C", .cost = 8000, .mass = 1100, .cgHeight = 22,
       .drivetrain = "FWD", .peakTorque = 140, .redline = 6800, .gears = 5,
       .gearRatios = {3.5, 1, 3.4, 2.1, 1.5, 1.15, 0.9}, .finalDrive = 3.9, .tyreRadius = 11, .halfTrack = 28,
       .frontAxle = 46, .rearAxle = -46, .bodyHalfWidth = 33, .bodyLength = 160, .bodyHeight = 55,
       .paintArgb = 0xFF2060C0},
      {.name = "PICKUP", .displayName = "Pickup", .carClass = "C", .cost = 45000, .mass = 1650, .cgHeight = 24,
       .drivetrain = "RWD", .peakTorque = 380, .redline = 6200, .gears = 4, .gearRatios = {3.0, 1, 2.6, 1.7, 1.25, 0.95},
       .finalDrive = 3.4, .tyreRadius = 13, .tyreWidth = 10, .halfTrack = 32, .frontAxle = 58, .rearAxle = -52,
       .bodyHalfWidth = 38, .bodyLength = 195, .bodyHeight = 50, .paintArgb = 0xFF308030},
      {.name = "COUPE", .displayName = "Coupe", .carClass = "B", .cost = 18000, .mass = 1350, .drivetrain = "RWD",
       .peakTorque = 220, .redline = 7000, .gears = 6, .gearRatios = {3.4, 1, 3.3, 2.2, 1.6, 1.25, 1.0, 0.82},
       .finalDrive = 3.7, .tyreRadius = 12, .halfTrack = 30, .frontAxle = 52, .rearAxle = -48, .bodyHalfWidth = 35,
       .bodyLength = 175, .bodyHeight = 48, .paintArgb = 0xFFC02020},
      {.name = "ROADSTER", .displayName = "Roadster", .carClass = "A", .cost = 32000, .mass = 1300, .drivetrain = "AWD",
       .peakTorque = 260, .redline = 7200, .gears = 6, .gearRatios = {3.3, 1, 3.2, 2.1, 1.55, 1.25, 1.05, 0.95},
       .finalDrive = 3.9, .turbo = true, .tyreRadius = 12, .halfTrack = 30, .frontAxle = 50, .rearAxle = -50,
       .bodyHalfWidth = 35, .bodyLength = 170, .bodyHeight = 52, .paintArgb = 0xFFE0C020},
  };
  return cars;
}

std::string CarFolder(const SampleCar& car) { return "CARS/" + car.name + "/"; }

std::vector<platform::Vec3> TyrePositions(const SampleCar& car) {
  const float y = car.tyreRadius;
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
  w.Record("HEADLIGHT", {std::string("headlight.png")});
  w.Record("SHADOW", {std::string("shadow.png"), std::string("shadowa.png")});
  w.Record("VEHICLE_MODEL", {std::string(kCarBodyModel)});
  w.Record("DAMAGE_MODEL", {std::string(kCarDamagedModel)});
  w.Record("SHADOW_MODEL", {std::string(kCarShadowModel)});
  w.Record("LOD", {std::string(kCarLodModel), std::string("3000"), std::string("YES")});
  w.Record("EXHAUST", {std::string("EXHAUST_LEFT")});
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

std::string CarUpgradeText(const SampleCar& car) {
  const double scale = car.cost / 10000.0;
  DataFileWriter w;
  auto upgrade = [&](int id, const std::string& name, const std::string& category, double cost, bool exclusive,
                     bool defaultInstalled) {
    w.BeginBlock("UPGRADE");
    w.Record("NAME", {name});
    w.Record("CATEGORY", {category});
    w.Record("ID", {static_cast<double>(id)});
    w.Record("COST", {static_cast<double>(static_cast<int>(cost * scale))});
    w.Record("EXCLUSIVE", {std::string(exclusive ? "1" : "0")});
    if (defaultInstalled) {
      w.Record("DEFAULT_INSTALLED", {std::string("1")});
      w.Record("OWNED", {std::string("1")});
      w.Record("PURCHASEABLE", {std::string("0")});
    }
  };
  upgrade(1, "Stock Body", "Model", 0, true, true);
  w.Record("STAT_STYLE", {2.0});
  w.Record("STAT_HANDLING", {3.0});
  w.Record("STAT_TOPSPEED", {3.0});
  w.Record("STAT_ACCELERATION", {3.0});
  w.EndBlock("UPGRADE");
  upgrade(2, "Red Paint", "Color", 500, true, false);
  w.Record("STAT_STYLE", {1.0});
  w.EndBlock("UPGRADE");
  upgrade(3, "Blue Neon", "Neon", 800, true, false);
  w.Record("NEON", {std::string("neon_blue.png")});
  w.Record("STAT_STYLE", {1.5});
  w.EndBlock("UPGRADE");
  upgrade(4, "Rear Wing", "Spoiler", 1200, true, false);
  w.Record("REAR_DOWNFORCE", {0.1});
  w.Record("STAT_STYLE", {1.0});
  w.Record("STAT_HANDLING", {1.0});
  w.EndBlock("UPGRADE");
  upgrade(5, "Cold Air Intake", "Air Intakes", 900, false, false);
  w.Record("TORQUE_MULTIPLIER", {1.05});
  w.Record("STAT_ACCELERATION", {0.5});
  w.EndBlock("UPGRADE");
  upgrade(6, "Street Engine", "Engine", 3000, true, false);
  w.Record("TORQUE_MULTIPLIER", {1.15});
  w.Record("REDLINE_RPM", {car.redline + 300});
  w.Record("STAT_ACCELERATION", {1.5});
  w.Record("STAT_TOPSPEED", {1.0});
  w.EndBlock("UPGRADE");
  upgrade(7, "Fast Turbo", "Fast Turbo", 4000, true, false);
  w.Record("TURBO_TORQUE_CURVE", {std::string("turbo.crv")});
  w.Record("STAT_ACCELERATION", {2.0});
  w.EndBlock("UPGRADE");
  upgrade(8, "Close Ratio Gearbox", "Transmission", 2500, true, false);
  std::vector<std::string> closeRatios;
  for (size_t i = 0; i < car.gearRatios.size(); ++i) {
    closeRatios.push_back(FormatNumber(i < 2 ? car.gearRatios[i] : car.gearRatios[i] * 1.08));
  }
  w.Record("GEAR_RATIOS", closeRatios);
  w.Record("SHIFT_DELAY", {0.15});
  w.Record("STAT_ACCELERATION", {1.0});
  w.EndBlock("UPGRADE");
  upgrade(9, "Sport Tyres", "Tires and Suspension", 2000, true, false);
  w.Record("SHOCK_LENGTH", {6.0});
  w.Record("TIRE_BOUNCINESS", {0.05});
  w.Record("STAT_HANDLING", {2.0});
  w.EndBlock("UPGRADE");
  upgrade(10, "Racing Brakes", "Braking", 1500, true, false);
  w.Record("BRAKING_TORQUE", {200.0});
  w.Record("HANDBRAKE_TORQUE", {140.0});
  w.Record("STAT_BRAKING", {2.0});
  w.EndBlock("UPGRADE");
  upgrade(11, "Nitrous Kit", "Long Burn Turbo", 3500, true, false);
  w.Record("NITROUS", {200.0, 120.0});
  w.Record("STAT_NITRO", {4.0});
  w.EndBlock("UPGRADE");
  upgrade(12, "All Wheel Drive", "Transmission", 5000, true, false);
  w.Record("DRIVETRAIN", {std::string("AWD")});
  w.Record("STAT_HANDLING", {1.5});
  w.EndBlock("UPGRADE");
  return w.Text();
}

std::vector<std::pair<std::string, CurvePoints>> TyreCurves() {
  return {
      {"slipcurve.crv", {{0, 0}, {0.02f, 0}, {0.08f, 1.0f}, {0.2f, 0.8f}, {0.5f, 0.2f}, {1.0f, 0.1f}}},
      {"latslipcurve.crv", {{0, 1.0f}, {0.3f, 0.8f}, {1.0f, 0.5f}}},
      {"slipanglelatcurve.crv", {{0, 0}, {5, 4.0f}, {15, 5.0f}, {40, 3.5f}, {90, 2.0f}}},
      {"slipanglelongcurve.crv", {{0, 1.0f}, {10, 0.8f}, {90, 0.3f}}},
      {"slipanglelatdamp.crv", {{0, 0.02f}, {10, 0.05f}, {30, 0.3f}, {90, 0.5f}}},
      {"slipanglelongdamp.crv", {{0, 0.05f}, {30, 0.2f}, {90, 0.4f}}},
  };
}

namespace {

bool WriteFlatPicture(const std::string& path, uint32_t argb) {
  PictureData picture(8, 8);
  picture.Fill(argb);
  return WritePng(path, picture, false);
}

}  // namespace

bool WriteSampleCar(const std::string& folder, const SampleCar& car) {
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  base += CarFolder(car);
  bool ok = WriteTextFile(base + kCarDefinitionFile, CarDefinitionText(car));
  ok = ok && WriteTextFile(base + kCarUpgradeFile, CarUpgradeText(car));
  ok = ok && WriteCurve(base + "torque.crv", TorqueCurve(car));
  ok = ok && WriteCurve(base + "turbo.crv", TurboCurve(car));
  ok = ok && WriteCurve(base + "steering.crv", SteeringRangeCurve());
  for (const auto& [name, points] : TyreCurves()) ok = ok && WriteCurve(base + "TIRES/" + name, points);
  // The pictures the definition and the upgrades name; the body, its parts and their pictures come with the
  // car's models.
  ok = ok && WriteFlatPicture(base + "headlight.png", 0xFFFFFFD0) && WriteFlatPicture(base + "shadow.png", 0xFF000000) &&
       WriteFlatPicture(base + "shadowa.png", 0xFF808080) && WriteFlatPicture(base + "neon_blue.png", 0xFF2040FF);
  CarModelSpec spec;
  spec.bodyHalfWidth = car.bodyHalfWidth;
  spec.bodyLength = car.bodyLength;
  spec.bodyHeight = car.bodyHeight;
  spec.tyreRadius = car.tyreRadius;
  spec.tyreWidth = car.tyreWidth;
  spec.halfTrack = car.halfTrack;
  spec.frontAxle = car.frontAxle;
  spec.rearAxle = car.rearAxle;
  spec.paintArgb = car.paintArgb;
  return ok && WriteCarModels(base, spec);
}

bool WriteVehicleContent(const std::string& gameFolder) {
  for (const SampleCar& car : SampleCars()) {
    if (!WriteSampleCar(gameFolder, car)) return false;
  }
  return true;
}

}  // namespace contentgen
