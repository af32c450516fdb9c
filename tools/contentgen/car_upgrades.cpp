// Sample upgrade catalogue: every category filled, each part with an effect the player sees on the car or in
// its numbers.
#include "contentgen/car_upgrades.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "contentgen/car_body.h"
#include "contentgen/car_models.h"
#include "contentgen/car_pictures.h"
#include "contentgen/curve_writer.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/vehicle_content.h"

namespace contentgen {

namespace {

struct Paint {
  const char* key;
  const char* name;
  uint32_t argb;
};

constexpr Paint kPalette[] = {
    {"red", "Racing Red", 0xFFC81818},      {"blue", "Midnight Blue", 0xFF1C2C88},
    {"white", "Pearl White", 0xFFE8E8E2},   {"yellow", "Sunburst Yellow", 0xFFE8C018},
    {"green", "Forest Green", 0xFF1E6A30},  {"orange", "Sunset Orange", 0xFFE86A18},
    {"black", "Graphite", 0xFF34363C},
};

struct Neon {
  uint32_t id;
  const char* name;
  const char* file;
  uint32_t argb;
};

constexpr Neon kNeons[] = {{kUpgradeNeonBlue, "Blue Neon", "neon_blue.png", 0xFF3050FF},
                           {kUpgradeNeonGreen, "Green Neon", "neon_green.png", 0xFF20F060},
                           {kUpgradeNeonPurple, "Purple Neon", "neon_purple.png", 0xFFC030FF}};

float ColourDistance(uint32_t a, uint32_t b) {
  float sum = 0;
  for (int shift : {0, 8, 16}) {
    const float d = float((a >> shift) & 0xFF) - float((b >> shift) & 0xFF);
    sum += d * d;
  }
  return std::sqrt(sum);
}

// The palette without the colour closest to the car's own (the factory paint stands for it).
std::vector<Paint> OtherPaints(const SampleCar& car) {
  std::vector<Paint> paints(std::begin(kPalette), std::end(kPalette));
  auto nearest = std::min_element(paints.begin(), paints.end(), [&](const Paint& a, const Paint& b) {
    return ColourDistance(a.argb, car.paintArgb) < ColourDistance(b.argb, car.paintArgb);
  });
  paints.erase(nearest);
  return paints;
}

// Lateral grip of the sport tyres over the stock ones.
constexpr float kSportGrip = 1.12f;
constexpr const char* kSportTyreFolder = "TIRES_SPORT";

// Base ratings of each car's stock body: style, handling, nitro, top speed, acceleration, braking. No stock car
// carries nitrous: its bar fills with the Nitrous Kit.
struct Ratings {
  double style, handling, nitro, topSpeed, acceleration, braking;
};

Ratings StockRatings(const SampleCar& car) {
  if (car.carClass == "A") return {6, 6.5, 0, 6.5, 6.5, 6};
  if (car.carClass == "B") return {4.5, 5, 0, 5, 5, 4.5};
  if (car.shape == CarShape::kPickup) return {3, 2, 0, 3, 3.5, 2.5};
  return {2.5, 3, 0, 3, 3, 3};
}

class Catalogue {
 public:
  explicit Catalogue(const SampleCar& car) : car_(car) {}

  void Begin(uint32_t id, const std::string& name, const char* category, int basePrice, bool exclusive = true) {
    w_.BeginBlock("UPGRADE");
    w_.Record("NAME", {name});
    w_.Record("CATEGORY", {std::string(category)});
    w_.Record("ID", {static_cast<double>(id)});
    w_.Record("COST", {static_cast<double>(basePrice == 0 ? 0 : UpgradePrice(basePrice, car_.carClass))});
    w_.Record("EXCLUSIVE", {std::string(exclusive ? "1" : "0")});
  }
  void Stock() {
    w_.Record("DEFAULT_INSTALLED", {std::string("1")});
    w_.Record("OWNED", {std::string("1")});
    w_.Record("PURCHASEABLE", {std::string("0")});
  }
  void SetRatings(const Ratings& r) {
    w_.Record("STAT_STYLE", {r.style});
    w_.Record("STAT_HANDLING", {r.handling});
    w_.Record("STAT_NITRO", {r.nitro});
    w_.Record("STAT_TOPSPEED", {r.topSpeed});
    w_.Record("STAT_ACCELERATION", {r.acceleration});
    w_.Record("STAT_BRAKING", {r.braking});
  }
  DataFileWriter& w() { return w_; }
  void End() { w_.EndBlock("UPGRADE"); }
  std::string Text() const { return w_.Text(); }

 private:
  const SampleCar& car_;
  DataFileWriter w_;
};

// The paint lines of a colour: every paint zone of the body; the first line also names the swatch.
void PaintLines(DataFileWriter& w, const std::string& picture, const std::string& swatch) {
  for (int16_t id = 0; id < kBodyMaterialCount; ++id) {
    if (!IsPaintMaterial(id)) continue;
    std::vector<std::string> values = {BodyMaterialName(id), picture, "paint_a.png", "0"};
    if (id == kFrontLeftPaint) values.push_back(swatch);
    w.Record("MATERIAL", values);
  }
}

}  // namespace

int UpgradePrice(int basePrice, const std::string& carClass) {
  const double scale = carClass == "A" ? 1.8 : carClass == "B" ? 1.4 : 1.0;
  const int price = static_cast<int>(std::lround(basePrice * scale / 50.0)) * 50;
  return std::clamp(price, 300, 3000);
}

std::string CarUpgradeText(const SampleCar& car) {
  Catalogue c(car);
  const Ratings stock = StockRatings(car);
  c.w().Comment(car.displayName + ": upgrades by category");
  c.Begin(kUpgradeStockBody, "Stock Body", "Model", 0);
  c.Stock();
  c.SetRatings(stock);
  c.End();
  c.Begin(kUpgradeBodyKit, "Street Body Kit", "Model", 1200);
  c.w().Record("MODELTYPE", {std::string(kCarKitModel)});
  c.w().Record("MODEL_IMAGE", {std::string(kCarKitPreviewPicture)});
  // The kit takes the stock body's place, so it carries the body's ratings with its own gain.
  c.SetRatings({stock.style + 2, stock.handling + 0.5, stock.nitro, stock.topSpeed, stock.acceleration, stock.braking});
  c.End();

  c.Begin(kUpgradeFirstPaint, "Factory Paint", "Color", 300);
  PaintLines(c.w(), "paint.png", "swatch_factory.png");
  c.End();
  uint32_t id = kUpgradeFirstPaint + 1;
  for (const Paint& paint : OtherPaints(car)) {
    c.Begin(id++, paint.name, "Color", 300);
    PaintLines(c.w(), std::string("paint_") + paint.key + ".png", std::string("swatch_") + paint.key + ".png");
    c.w().Record("STAT_STYLE", {0.5});
    c.End();
  }

  c.Begin(kUpgradeStripes, "Racing Stripes", "Vinyl Graphics", 400);
  c.w().Record("MATERIAL", {BodyMaterialName(kStripe), std::string("vinyl.png"), std::string("vinyla.png"), std::string("0")});
  c.w().Record("STAT_STYLE", {1.0});
  c.End();
  for (const Neon& neon : kNeons) {
    c.Begin(neon.id, neon.name, "Neon", 500);
    c.w().Record("NEON", {std::string(neon.file)});
    c.w().Record("STAT_STYLE", {1.5});
    c.End();
  }
  c.Begin(kUpgradeRearWing, "Rear Wing", "Spoiler", 700);
  c.w().Record("VISUAL_PART", {std::string(kCarWingModel), std::string(kWingMount)});
  c.w().Record("VIEWABLE_DISTANCE", {6000.0});
  c.w().Record("REAR_DOWNFORCE", {0.1});
  c.w().Record("STAT_STYLE", {1.0});
  c.w().Record("STAT_HANDLING", {1.0});
  c.End();
  c.Begin(kUpgradeScoop, "Bonnet Scoop", "Scoop", 500);
  c.w().Record("VISUAL_PART", {std::string(kCarScoopModel), std::string(kScoopMount)});
  c.w().Record("VIEWABLE_DISTANCE", {4000.0});
  c.w().Record("STAT_STYLE", {1.0});
  c.End();
  c.Begin(kUpgradeAirIntake, "Cold Air Intake", "Air Intakes", 600, false);
  c.w().Record("TORQUE_MULTIPLIER", {1.05});
  c.w().Record("STAT_ACCELERATION", {0.5});
  c.End();
  c.Begin(kUpgradeSportRims, "Sport Rims", "Rims", 800);
  for (const char* wheel : {"FRONT_LEFT_TIRE", "FRONT_RIGHT_TIRE", "REAR_LEFT_TIRE", "REAR_RIGHT_TIRE"}) {
    c.w().Record(wheel, {std::string(kCarSportTyreModel)});
  }
  c.w().Record("STAT_STYLE", {1.0});
  c.End();
  c.Begin(kUpgradeExhaustTips, "Big Bore Tips", "Exhaust Tip", 400);
  c.w().Record("EXHAUST", {std::string("EXHAUST_LEFT"), std::string("EXHAUST_RIGHT")});
  c.w().Record("VISUAL_PART", {std::string(kCarExhaustTipsModel), std::string(kExhaustTipsMount)});
  c.w().Record("VIEWABLE_DISTANCE", {3000.0});
  c.w().Record("STAT_STYLE", {0.5});
  c.End();

  c.Begin(kUpgradeStreetEngine, "Street Engine", "Engine", 1500);
  c.w().Record("TORQUE_MULTIPLIER", {1.15});
  c.w().Record("REDLINE_RPM", {car.redline + 300});
  c.w().Record("STAT_ACCELERATION", {1.5});
  c.w().Record("STAT_TOPSPEED", {1.0});
  c.End();
  c.Begin(kUpgradeFastTurbo, "Fast Turbo", "Fast Turbo", 1800);
  c.w().Record("REQUIRES", {static_cast<double>(kUpgradeStreetEngine)});
  c.w().Record("TURBO_TORQUE_CURVE", {std::string("fastturbo.crv")});
  c.w().Record("STAT_ACCELERATION", {1.5});
  c.w().Record("STAT_TOPSPEED", {0.5});
  c.End();
  c.Begin(kUpgradeCloseGearbox, "Close Ratio Gearbox", "Transmission", 1200);
  std::vector<std::string> closeRatios;
  for (size_t i = 0; i < car.gearRatios.size(); ++i) {
    closeRatios.push_back(FormatNumber(i < 2 ? car.gearRatios[i] : car.gearRatios[i] * 1.08));
  }
  c.w().Record("GEAR_RATIOS", closeRatios);
  c.w().Record("SHIFT_DELAY", {0.15});
  c.w().Record("STAT_ACCELERATION", {1.0});
  c.End();
  c.Begin(kUpgradeSportSuspension, "Sport Tyres and Suspension", "Tires and Suspension", 1000);
  c.w().Record("TIRE_CURVES_FOLDER", {std::string(kSportTyreFolder)});
  c.w().Record("SHOCK_LENGTH", {6.0});
  c.w().Record("TIRE_BOUNCINESS", {0.05});
  c.w().Record("STAT_HANDLING", {2.0});
  c.End();
  c.Begin(kUpgradeRacingBrakes, "Racing Brakes", "Braking", 800);
  c.w().Record("BRAKING_TORQUE", {200.0});
  c.w().Record("HANDBRAKE_TORQUE", {140.0});
  c.w().Record("STAT_BRAKING", {2.0});
  c.End();
  c.Begin(kUpgradeNitrous, "Nitrous Kit", "Long Burn Turbo", 1400);
  c.w().Record("NITROUS", {200.0, 120.0});
  c.w().Record("STAT_NITRO", {4.0});
  c.End();
  return c.Text();
}

bool WriteUpgradeFiles(const std::string& folder, const SampleCar& car) {
  const CarModelSpec spec = ModelSpecOf(car);
  // The paints' alpha is how much of the surroundings they mirror.
  bool ok = WritePng(folder + "paint_a.png", PaintReflectionAlpha(PaintPicture(car.paintArgb)), false) &&
            WritePng(folder + "swatch_factory.png", SwatchPicture(car.paintArgb), false);
  for (const Paint& paint : OtherPaints(car)) {
    ok = ok && WritePng(folder + "paint_" + paint.key + ".png", PaintPicture(paint.argb), false) &&
         WritePng(folder + "swatch_" + paint.key + ".png", SwatchPicture(paint.argb), false);
  }
  for (const Neon& neon : kNeons) ok = ok && WritePng(folder + neon.file, NeonPicture(spec, neon.argb), false);
  ok = ok && WritePng(folder + "vinyl.png", StripePicture(0xFFF4F4F0), false) &&
       WritePng(folder + "vinyla.png", StripeAlpha(true), false);
  // The faster turbo comes in earlier and pulls harder than any stock one.
  ok = ok && WriteCurve(folder + "fastturbo.crv", {{0, 0},
                                                    {2000, car.peakTorque * 0.1f},
                                                    {3500, car.peakTorque * 0.4f},
                                                    {car.redline, car.peakTorque * 0.45f}});
  for (auto [name, points] : TyreCurves(car)) {
    if (name.find("lat") != std::string::npos && name.find("damp") == std::string::npos) {
      for (auto& point : points) point.second *= kSportGrip;
    }
    ok = ok && WriteCurve(folder + kSportTyreFolder + "/" + name, points);
  }
  return ok;
}

}  // namespace contentgen
