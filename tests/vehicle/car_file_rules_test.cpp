// Tests of the rules a car's files are read by: each definition key's damaged or missing value falls back to
// what a car without that key has, upgrades that override the body, exhausts and tyres, the engine's and the
// steering's keys, and the upgrade catalogue's damaged records.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/curve.h"
#include "app/data_file.h"
#include "contentgen/curve_writer.h"
#include "contentgen/data_file_writer.h"
#include "vehicle/engine.h"
#include "vehicle/steering.h"
#include "vehicle/track_world.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"
#include "vehicle/wheel.h"
#include "vehicle_fixture.h"

namespace {

using vehicle::UpgradeList;
using vehicle::UpgradeSelection;
using vehicle::Vehicle;

// A car read from definition text in a scratch folder of its own (with an upgrade catalogue beside it), with
// the player's selection or, without one, dressed as the showroom dresses a car.
std::unique_ptr<Vehicle> Read(const std::string& definition,
                              const std::string& upgrades = "[UPGRADE]\n<ID>,1\n[/UPGRADE]\n",
                              UpgradeSelection* selection = nullptr) {
  const std::string folder = vehicle_test::ScratchFolder("rules");
  contentgen::WriteTextFile(folder + "upgrades.dat", upgrades);
  auto car = std::make_unique<Vehicle>(nullptr, nullptr, "Tester", false);
  car->LoadDefinitionFrom(app::DataFile::FromText(definition, folder + "car.dat"), folder, selection, nullptr, 0,
                          true);
  return car;
}

UpgradeSelection Installed(std::initializer_list<uint32_t> ids) {
  UpgradeSelection selection;
  for (uint32_t id : ids) {
    selection.SetOwned(id, true);
    selection.SetInstalled(id, true);
  }
  return selection;
}

TEST(CarFileRules, EachDefinitionKeyReadsItsValueOrKeepsWhatACarWithoutItHas) {
  const auto plain = Read("");
  const std::string engineKeys = "<TORQUE_CURVE>,torque.crv\n<SOUNDS_FOLDER>,engine\n";
  const auto plainEngine = Read(engineKeys);
  ASSERT_NE(plainEngine->engine, nullptr);
  struct Case {
    const char* what;
    std::string definition;
    std::function<void(const Vehicle&)> check;
  };
  const Case cases[] = {
      {"a class in any case", "<CLASS>,b\n", [](const Vehicle& c) { EXPECT_EQ(c.carClass, vehicle::kClassB); }},
      {"an unknown class", "<CLASS>,Z\n", [&](const Vehicle& c) { EXPECT_EQ(c.carClass, plain->carClass); }},
      {"a class without a value", "<CLASS>\n", [&](const Vehicle& c) { EXPECT_EQ(c.carClass, plain->carClass); }},
      {"rear drive", "<DRIVETRAIN>,RWD\n", [](const Vehicle& c) { EXPECT_EQ(c.drivetrain, vehicle::kRearWheelDrive); }},
      {"all-wheel drive", "<DRIVETRAIN>,AWD\n",
       [](const Vehicle& c) { EXPECT_EQ(c.drivetrain, vehicle::kAllWheelDrive); }},
      {"front drive after all-wheel", "<DRIVETRAIN>,AWD\n<DRIVETRAIN>,FWD\n",
       [](const Vehicle& c) { EXPECT_EQ(c.drivetrain, vehicle::kAllWheelDrive) << "the first record counts"; }},
      {"an unknown drivetrain", "<DRIVETRAIN>,4x4\n",
       [&](const Vehicle& c) { EXPECT_EQ(c.drivetrain, plain->drivetrain); }},
      {"a drivetrain without a value", "<DRIVETRAIN>\n",
       [&](const Vehicle& c) { EXPECT_EQ(c.drivetrain, plain->drivetrain); }},
      {"pictures and models named", "<HEADLIGHT>,h.png\n<SHADOW>,s.png,sa.png\n<VEHICLE_MODEL>,body.MDL\n"
       "<DAMAGE_MODEL>,dent.MDL\n<SHADOW_MODEL>,hull.MDL\n",
       [](const Vehicle& c) {
         EXPECT_EQ(c.headlightFile, "h.png");
         EXPECT_EQ(c.shadowFile, "s.png");
         EXPECT_EQ(c.shadowAlphaFile, "sa.png");
         EXPECT_EQ(c.vehicleModelFile, "body.MDL");
         EXPECT_EQ(c.damageModelFile, "dent.MDL");
         EXPECT_EQ(c.shadowModelFile, "hull.MDL");
       }},
      {"a shadow without its alpha picture", "<SHADOW>,s.png\n",
       [](const Vehicle& c) {
         EXPECT_EQ(c.shadowFile, "s.png");
         EXPECT_EQ(c.shadowAlphaFile, "");
       }},
      {"pictures and models without values",
       "<HEADLIGHT>\n<NEON>\n<SHADOW>\n<VEHICLE_MODEL>\n<DAMAGE_MODEL>\n<SHADOW_MODEL>\n<UPGRADES>\n",
       [](const Vehicle& c) {
         for (const std::string* name : {&c.headlightFile, &c.neonFile, &c.shadowFile, &c.vehicleModelFile,
                                         &c.damageModelFile, &c.shadowModelFile}) {
           EXPECT_EQ(*name, "");
         }
         EXPECT_EQ(c.upgrades->Size(), 0u) << "an UPGRADES record without a file loads no catalogue";
       }},
      {"engine keys without values", "<TORQUE_CURVE>\n<SOUNDS_FOLDER>\n<TURBO_TORQUE_CURVE>\n<NITROUS>\n<GEARS>\n",
       [&](const Vehicle& c) {
         ASSERT_NE(c.engine, nullptr) << "both engine keys are there";
         EXPECT_EQ(c.engine->torqueCurvePath, "");
         EXPECT_EQ(c.engine->soundsFolder, "");
         EXPECT_FALSE(c.engine->hasTurbo);
         EXPECT_EQ(c.engine->nitrousCapacity, 0.0f);
         EXPECT_EQ(c.engine->gearbox.topGear, plainEngine->engine->gearbox.topGear);
       }},
      {"a turbo curve", engineKeys + "<TURBO_TORQUE_CURVE>,turbo.crv\n",
       [](const Vehicle& c) {
         EXPECT_TRUE(c.engine->hasTurbo);
         EXPECT_EQ(c.engine->turboCurvePath, c.folder + "turbo.crv");
       }},
      {"a negative nitrous tank without its torque", engineKeys + "<NITROUS>,-40\n",
       [&](const Vehicle& c) {
         EXPECT_EQ(c.engine->nitrousCapacity, 0.0f) << "never below empty";
         EXPECT_EQ(c.engine->nitrousTorque, plainEngine->engine->nitrousTorque);
       }},
      {"a nitrous tank with its torque", engineKeys + "<NITROUS>,120,75\n",
       [](const Vehicle& c) {
         EXPECT_EQ(c.engine->nitrousCapacity, 120.0f);
         EXPECT_EQ(c.engine->nitrousRemaining, 120.0f);
         EXPECT_EQ(c.engine->nitrousTorque, 75.0f);
       }},
      {"more gears than the tables hold", engineKeys + "<GEARS>,40\n",
       [](const Vehicle& c) { EXPECT_EQ(c.engine->gearbox.topGear, vehicle::kMaxGear); }},
      {"no forward gears", engineKeys + "<GEARS>,-3\n",
       [](const Vehicle& c) { EXPECT_EQ(c.engine->gearbox.topGear, vehicle::kGearFirst); }},
      {"gear tables longer than the gearbox",
       engineKeys + "<GEAR_RATIOS>,3,0,3,2,1.5,1.2,1,0.9,0.8,0.7,0.6,0.5\n<DOWNSHIFT_RPM>,1,2,3,4,5,6,7,8\n",
       [](const Vehicle& c) {
         EXPECT_EQ(c.engine->gearbox.gearRatio[vehicle::kGearNeutral], 3.0f) << "neutral copies first gear";
         EXPECT_EQ(c.engine->gearbox.gearRatio[vehicle::kMaxGear], 0.8f);
         EXPECT_EQ(c.engine->gearbox.downshiftRpm[3], 1.0f);
         EXPECT_EQ(c.engine->gearbox.downshiftRpm[vehicle::kMaxGear], 6.0f);
       }},
      {"a steering curve", "<STEERING_RANGE_CURVE>,range.crv\n",
       [](const Vehicle& c) { EXPECT_EQ(c.steering->rangeCurvePath, c.folder + "range.crv"); }},
      {"a steering curve without a file", "<STEERING_RANGE_CURVE>\n",
       [](const Vehicle& c) { EXPECT_EQ(c.steering->rangeCurvePath, ""); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto car = Read(c.definition);
    c.check(*car);
  }
}

TEST(CarFileRules, InstalledUpgradesSwapTheBodyTheExhaustsAndTheTorque) {
  const std::string upgrades =
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Model\n<MODELTYPE>,widebody.MDL\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,2\n<CATEGORY>,Exhaust Tip\n<EXHAUST>,PIPE_L,PIPE_R\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,3\n<CATEGORY>,Engine\n<TORQUE_MULTIPLIER>\n<TORQUE_MULTIPLIER>,2\n[/UPGRADE]\n";
  const std::string definition =
      "<UPGRADES>,upgrades.dat\n<VEHICLE_MODEL>,stock.MDL\n<EXHAUST>,STOCK\n<TORQUE_CURVE>,torque.crv\n"
      "<SOUNDS_FOLDER>,engine\n";
  const std::string folder = vehicle_test::ScratchFolder("rules");
  contentgen::WriteCurve(folder + "torque.crv", {{0, 100}, {8000, 100}});

  UpgradeSelection chosen = Installed({1, 2, 3});
  const auto tuned = Read(definition, upgrades, &chosen);
  EXPECT_EQ(tuned->vehicleModelFile, "widebody.MDL");
  EXPECT_EQ(tuned->exhaustPartNames, (std::vector<std::string>{"PIPE_L", "PIPE_R"}));
  EXPECT_FLOAT_EQ(tuned->engine->torqueCurve.Evaluate(4000), 200.0f) << "a multiplier without a value is none";

  UpgradeSelection none;
  const auto stock = Read(definition, upgrades, &none);
  EXPECT_EQ(stock->vehicleModelFile, "stock.MDL");
  EXPECT_EQ(stock->exhaustPartNames, std::vector<std::string>{"STOCK"});
  EXPECT_FLOAT_EQ(stock->engine->torqueCurve.Evaluate(4000), 100.0f);

  // A computer car given a body upgrade at random keeps the body its definition names: a body swap is the
  // player's choice.
  Vehicle computer(nullptr, nullptr, "Rival", false);
  computer.LoadDefinitionFrom(app::DataFile::FromText(definition, folder + "car.dat"), folder, nullptr, nullptr, 0,
                              false);
  EXPECT_GT(computer.upgrades->CountInstalledProperties(vehicle::kKeyModelType), 0);
  EXPECT_EQ(computer.vehicleModelFile, "stock.MDL");
}

TEST(CarFileRules, TyreKeysAndTheirUpgradesFindTheCurvesFolderWithOrWithoutItsSlash) {
  const std::string folder = vehicle_test::ScratchFolder("tyres");
  contentgen::WriteCurve(folder + "grip/slipcurve.crv", {{0, 0}, {1, 1}});
  contentgen::WriteCurve(folder + "race/slipcurve.crv", {{0, 0}, {1, 2}});
  UpgradeList racing;
  racing.LoadFromText("[UPGRADE]\n<ID>,4\n<CATEGORY>,Tires and Suspension\n<TIRE_CURVES_FOLDER>,race/\n<TIRE_BOUNCINESS>,0.5\n"
                      "[/UPGRADE]\n");
  racing.Upgrades()[0]->installed = true;
  struct Case {
    const char* what;
    std::string definition;
    const UpgradeList* upgrades;
    float slipAtOne;  // 0: no curve found
  } const cases[] = {
      {"a folder without its slash", "<TIRE_CURVES_FOLDER>,grip\n", nullptr, 1},
      {"a folder with its slash", "<TIRE_CURVES_FOLDER>,grip/\n", nullptr, 1},
      {"a folder key without a value", "<TIRE_CURVES_FOLDER>\n", nullptr, 0},
      {"the upgrade's folder", "<TIRE_CURVES_FOLDER>,grip\n<BOUNCINESS>,0.2\n", &racing, 2},
      {"an upgrade without the key in the file", "", &racing, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const vehicle::Wheel wheel(app::DataFile::FromText(c.definition, folder + "car.dat"), c.upgrades);
    EXPECT_FLOAT_EQ(wheel.slipCurve.Evaluate(1), c.slipAtOne);
  }
  const vehicle::Wheel plain(app::DataFile::FromText("", folder + "car.dat"), nullptr);
  const vehicle::Wheel bouncy(app::DataFile::FromText("<BOUNCINESS>,0.2\n", folder + "car.dat"), nullptr);
  const vehicle::Wheel upgraded(app::DataFile::FromText("<BOUNCINESS>,0.2\n", folder + "car.dat"), &racing);
  EXPECT_FLOAT_EQ(bouncy.bounce, 1.2f) << "the file's value counts from one";
  EXPECT_FLOAT_EQ(upgraded.bounce, 1.5f);
  const vehicle::Wheel unread(app::DataFile::FromText("<BOUNCINESS>\n", folder + "car.dat"), nullptr);
  EXPECT_FLOAT_EQ(unread.bounce, plain.bounce) << "no value: the tyre's own bounce";
}

TEST(UpgradeFileRules, DamagedRecordsReadAsAnUpgradeWithoutThoseValues) {
  const vehicle::KeyedRecord blank;
  struct Case {
    const char* what;
    std::string record;
    std::function<void(const vehicle::KeyedRecord&)> check;
  };
  const Case cases[] = {
      {"a name with commas", "<NAME>,Big,Wing\n", [](const auto& u) { EXPECT_EQ(u.name, "Big,Wing"); }},
      {"a name without a value", "<NAME>\n", [&](const auto& u) { EXPECT_EQ(u.name, blank.name); }},
      {"a category in any case", "<CATEGORY>,nEoN\n",
       [](const auto& u) { EXPECT_EQ(u.category, vehicle::kCategoryNeon); }},
      {"an unknown category", "<CATEGORY>,Hovercraft\n",
       [&](const auto& u) { EXPECT_EQ(u.category, blank.category); }},
      {"a category without a value", "<CATEGORY>\n", [&](const auto& u) { EXPECT_EQ(u.category, blank.category); }},
      {"an id that is no number", "<ID>,wing\n", [](const auto& u) { EXPECT_EQ(u.id, 0u); }},
      {"flags spelt otherwise", "<DEFAULT_INSTALLED>,yes\n<OWNED>,true\n<EXCLUSIVE>,2\n<PURCHASEABLE>,no\n",
       [](const auto& u) {
         EXPECT_FALSE(u.defaultInstalled);
         EXPECT_FALSE(u.owned);
         EXPECT_FALSE(u.exclusive);
         EXPECT_TRUE(u.purchaseable) << "only 0 takes it off sale";
       }},
      {"flags set", "<DEFAULT_INSTALLED>,1\n<OWNED>,1\n<EXCLUSIVE>,1\n<PURCHASEABLE>,0\n<COST>,250\n",
       [](const auto& u) {
         EXPECT_TRUE(u.defaultInstalled);
         EXPECT_TRUE(u.owned);
         EXPECT_TRUE(u.exclusive);
         EXPECT_FALSE(u.purchaseable);
         EXPECT_EQ(u.cost, 250);
       }},
      {"requirements with and without ids", "<REQUIRES>\n<REQUIRES>,7\n<REQUIRES>,8,9\n",
       [](const auto& u) { EXPECT_EQ(u.requiredIds, (std::vector<uint32_t>{7, 8})); }},
      {"unknown keys", "<WARP_DRIVE>,1\n", [](const auto& u) { EXPECT_TRUE(u.properties.empty()); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UpgradeList list;
    list.LoadFromText("[UPGRADE]\n" + c.record + "[/UPGRADE]\n");
    ASSERT_EQ(list.Size(), 1u);
    c.check(*list.Upgrades()[0]);
  }
  UpgradeList missing;
  missing.Load(vehicle_test::ScratchFolder("upgrades") + "absent.dat");
  EXPECT_EQ(missing.Size(), 0u);
}

// Categories hold exclusive parts alone, and shared parts together.
TEST(UpgradeFileRules, InstallingKeepsEachCategoryConsistent) {
  UpgradeList list;
  list.LoadFromText(
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Vinyl Graphics\n<EXCLUSIVE>,1\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,2\n<CATEGORY>,Vinyl Graphics\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,3\n<CATEGORY>,Vinyl Graphics\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,4\n<CATEGORY>,Rims\n[/UPGRADE]\n");
  struct Case {
    const char* what;
    std::vector<uint32_t> before;
    uint32_t id;
    bool on;
    std::vector<uint32_t> after;
  } const cases[] = {
      {"shared parts share", {2, 4}, 3, true, {2, 4, 3}},
      {"an exclusive part clears its category", {2, 3, 4}, 1, true, {4, 1}},
      {"a shared part clears an exclusive one", {1, 4}, 2, true, {4, 2}},
      {"an unknown part is simply added", {1}, 99, true, {1, 99}},
      {"an installed exclusive part clears a shared one put in beside it", {1, 2, 4}, 1, true, {1, 4}},
      {"an installed shared part keeps its neighbours", {2, 3}, 2, true, {2, 3}},
      {"an installed unknown part changes nothing", {99, 2}, 99, true, {99, 2}},
      {"removing", {2, 3, 4}, 2, false, {4, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UpgradeSelection selection;
    selection.installedIds = c.before;
    selection.SetInstalledExclusive(list, c.id, c.on);
    EXPECT_EQ(selection.installedIds, c.after);
  }
}

TEST(UpgradeFileRules, RequirementsRatingsAndPreviewsReadOnlyWhatIsThere) {
  UpgradeList list;
  list.LoadFromText(
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Engine\n<STAT_ACCELERATION>,3\n<STAT_ACCELERATION>\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,2\n<CATEGORY>,Fast Turbo\n<REQUIRES>,1\n<REQUIRES>,42\n<STAT_ACCELERATION>,2\n[/UPGRADE]\n");
  const vehicle::KeyedRecord& turbo = *list.Upgrades()[1];
  EXPECT_FALSE(list.RequirementsMet(turbo)) << "the engine is not in";
  list.Upgrades()[0]->installed = true;
  EXPECT_TRUE(list.RequirementsMet(turbo)) << "an id the catalogue lacks asks nothing";
  EXPECT_FLOAT_EQ(list.StatTotal(vehicle::kKeyStatAcceleration), 3.0f) << "a stat without a value adds nothing";
  for (int rating : {-1, 5}) EXPECT_EQ(vehicle::RatingFromUpgrades(list, rating), 0.0f) << rating;
  EXPECT_EQ(UpgradeList::PreviewStat(nullptr, nullptr, 4), 0.0f);
  EXPECT_EQ(UpgradeList::PreviewStat(nullptr, &list, 4), 3.0f) << "no selection: the list as it is fitted";
  UpgradeSelection turboOnly = Installed({2});
  EXPECT_EQ(UpgradeList::PreviewStat(&turboOnly, &list, 4), 2.0f);
  EXPECT_TRUE(list.Upgrades()[0]->installed) << "a preview leaves the list as it was";
}

// Computer cars are upgraded until their stats reach the player's car's plus the race's margin.
TEST(UpgradeFileRules, ComputerCarsMatchTheReferenceStatsWithinTheirCategories) {
  const std::string catalogue =
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Engine\n<STAT_ACCELERATION>,2\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,2\n<CATEGORY>,Fast Turbo\n<STAT_ACCELERATION>,2\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,3\n<CATEGORY>,Tires and Suspension\n<STAT_HANDLING>,2\n<EXCLUSIVE>,1\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,4\n<CATEGORY>,Tires and Suspension\n<STAT_HANDLING>,1\n[/UPGRADE]\n";
  UpgradeList reference;
  reference.LoadFromText(catalogue);
  reference.Upgrades()[0]->installed = true;
  reference.Upgrades()[3]->installed = true;

  UpgradeList level;
  level.LoadFromText(catalogue);
  level.MatchStats(reference, 0);
  EXPECT_GE(level.StatTotal(vehicle::kKeyStatAcceleration), 2.0f);
  EXPECT_GE(level.StatTotal(vehicle::kKeyStatHandling), 1.0f);
  EXPECT_LE(level.CountInstalledInCategory(vehicle::kCategoryTires), 1) << "the exclusive tyre stays alone";

  UpgradeList behind;
  behind.LoadFromText(catalogue);
  behind.MatchStats(reference, -10);
  EXPECT_EQ(behind.CountInstalledWithProperty(vehicle::kKeyStatAcceleration), 0) << "already past the target";

  UpgradeList ahead;
  ahead.LoadFromText(catalogue);
  ahead.MatchStats(reference, 10);
  EXPECT_EQ(ahead.CountNotInstalledWithProperty(vehicle::kKeyStatAcceleration), 0) << "all it has, short of it";
}

// A car is simulated only when its file gave it an engine, steering and wheels, and only when time passes.
TEST(CarFileRules, ACarWithoutItsEngineOrWithoutTimeDoesNotMove) {
  auto tree = vehicle_test::FlatWorld("PAVE", 20000);
  vehicle::TrackWorld world(*tree);
  auto engineless = Read("<MASS>,1200\n");
  engineless->AssembleChassis(vehicle_test::LayoutOf(vehicle_test::Design("COUPE")));
  ASSERT_FALSE(engineless->CanDrive());
  auto sample = vehicle_test::LoadCar("COUPE");
  ASSERT_TRUE(sample->CanDrive());
  vehicle_test::PlaceAt(*sample, world, {0, 0, 0}, {0, 0, 1});
  struct Case {
    const char* what;
    Vehicle* car;
    float dt;
  } const cases[] = {{"no engine", engineless.get(), 0.01f}, {"no time", sample.get(), 0.0f},
                     {"time running backwards", sample.get(), -0.01f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.car->position = {0, 50, 0};
    c.car->velocity = {0, 0, 500};
    c.car->Update(world, c.dt);
    EXPECT_EQ(c.car->position, (platform::Vec3{0, 50, 0}));
  }
  sample->Update(world, 0.01f);
  EXPECT_NE(sample->position, (platform::Vec3{0, 50, 0})) << "the same car moves once time passes";
}


// Without the player's selection the loader dresses the car by one rule: the showroom's (dressing parts only),
// a computer car's matched to a reference (the first model and cosmetic parts, never performance parts before
// the stats are matched), or the full rule (the first model, and any category by chance).
TEST(CarFileRules, ACarWithoutASelectionIsDressedByTheRuleItIsLoadedFor) {
  const std::string catalogue =
      "[UPGRADE]\n<ID>,1\n<CATEGORY>,Model\n[/UPGRADE]\n[UPGRADE]\n<ID>,2\n<CATEGORY>,Color\n[/UPGRADE]\n"
      "[UPGRADE]\n<ID>,3\n<CATEGORY>,Engine\n[/UPGRADE]\n[UPGRADE]\n<ID>,4\n<CATEGORY>,Rims\n[/UPGRADE]\n";
  const std::string folder = vehicle_test::ScratchFolder("dressing");
  contentgen::WriteTextFile(folder + "upgrades.dat", catalogue);
  contentgen::WriteTextFile(folder + "car.dat", "<UPGRADES>,upgrades.dat\n");
  const UpgradeList reference;  // nothing to match: only the dressing rule shows
  enum Rule { kShowroom, kMatched, kFull };
  auto installed = [&](Rule rule, uint32_t seed) {
    platform::CrtSeed(seed);
    Vehicle car(nullptr, nullptr, "Tester", false);
    EXPECT_TRUE(car.LoadDefinition(folder + "car.dat", nullptr, rule == kMatched ? &reference : nullptr, 0,
                                   rule == kShowroom));
    EXPECT_EQ(car.GetDataFolder(), folder) << "where the definition was read";
    std::vector<uint32_t> ids;
    for (const auto& upgrade : car.upgrades->Upgrades()) {
      if (upgrade->installed) ids.push_back(upgrade->id);
    }
    return ids;
  };
  bool fullFittedAnEngine = false;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    EXPECT_EQ(installed(kShowroom, seed), std::vector<uint32_t>{2}) << "the one colour, no model or parts";
    const std::vector<uint32_t> matched = installed(kMatched, seed);
    ASSERT_FALSE(matched.empty());
    EXPECT_EQ(matched.front(), 1u);
    EXPECT_EQ(std::count(matched.begin(), matched.end(), 3u), 0) << "no engine before the stats are matched";
    const std::vector<uint32_t> full = installed(kFull, seed);
    ASSERT_FALSE(full.empty());
    EXPECT_EQ(full.front(), 1u);
    fullFittedAnEngine = fullFittedAnEngine || std::count(full.begin(), full.end(), 3u) > 0;
  }
  EXPECT_TRUE(fullFittedAnEngine) << "the full rule reaches the performance categories";
}

}  // namespace
