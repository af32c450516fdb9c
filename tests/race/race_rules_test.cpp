// Tests of the race's rules that hold whatever the cars and tracks are tuned to: an instant race's lap count,
// the knock-out of a computer car, the race keys, the cars a race refuses to build and what the player's options
// give the player's car, damaged numbers in a race list, casts that meet cars before the track, path edges
// off the ground, the rubber band's wait, a controller's readings, the grid an instant race draws and a car
// named twice in a profile, and how a finished race is placed.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "../vehicle/vehicle_fixture.h"
#include "app/curve.h"
#include "app/input_devices.h"
#include "app/keyboard_state.h"
#include "app/settings.h"
#include "contentgen/data_file_writer.h"
#include "contentgen/race_content.h"
#include "race/content_database.h"
#include "race/player_input.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "race/race_session.h"
#include "race/race_timing.h"
#include "race/race_world.h"
#include "vehicle/ai_vehicle_car.h"
#include "race/racer_plan.h"
#include "race_test_support.h"
#include "vehicle/engine.h"
#include "vehicle/vehicle.h"

namespace {

namespace gs = app::game_state;
using app::SettingId;
using platform::Vec3;
using vehicle::Vehicle;

std::unique_ptr<Vehicle> Car(const char* name) { return std::make_unique<Vehicle>(nullptr, nullptr, name, true); }

class RaceRules : public race_test::SampleRace {
 protected:
  void Press(uintptr_t key) {
    session->ForwardInput(platform::wm::kKeyDown, key);
    session->Step(flow, 0.01f);
    session->ForwardInput(platform::wm::kKeyUp, key);
  }
  std::string SampleCarFile() const { return content->vehiclePaths.front(); }
  bool PauseAsked() const {
    return std::find(flow.stateQueue.begin(), flow.stateQueue.end(), gs::kOpenPauseMenu) != flow.stateQueue.end();
  }
};

// Whatever the draw, an instant race runs one to three laps.
TEST_F(RaceRules, AnInstantRaceDrawsOneToThreeLaps) {
  const struct {
    int draw;
    int32_t laps;
  } cases[] = {{0, 1}, {1, 2}, {2, 3}, {5, 3}, {-1, 3}, {-2, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.draw);
    race::RaceDefinition instant(0, "City", "TRACKS/CITY/city.scn", nullptr, race::kModeInstant, race::kRaceLap, 7,
                                 0, 3, false);
    race::RaceSession race(&resources, &holder.settings, nullptr, nullptr, &instant, 0);
    race.random = [&c] { return c.draw; };
    race.loadStage = 1;
    EXPECT_FALSE(race.LoadTrack(static_cast<platform::gfx::Device*>(nullptr), {}));
    EXPECT_EQ(instant.laps, c.laps);
    EXPECT_EQ(race.laps, c.laps);
  }
  // Other races keep their own count, and a stage past the last starts the load over.
  race::RaceSession race(&resources, &holder.settings, nullptr, nullptr, &definition, 0);
  race.loadStage = 42;
  std::vector<uint32_t> stages;
  race.LoadTrack(static_cast<platform::gfx::Device*>(nullptr), [&](uint32_t stage) { stages.push_back(stage); });
  race.LoadTrack(static_cast<platform::gfx::Device*>(nullptr), [&](uint32_t stage) { stages.push_back(stage); });
  EXPECT_EQ(stages, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(race.laps, definition.laps);
}

// The last computer car at a lap's end leaves the race; the player races on.
TEST(RaceRulesKnockOut, TheLastComputerCarIsTakenOutAndThePlayerRacesOn) {
  race::RaceDefinition knockout(0, "Test", "TRACKS/CITY/city.scn", nullptr, race::kModeCareer, race::kRaceKnockout, 3,
                                0, 3, false);
  race::RaceSession session(nullptr, &knockout, false);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  Vehicle* ahead = session.AddRacer(Car("Ahead"), false);
  Vehicle* behind = session.AddRacer(Car("Behind"), false);
  player->progress = 1.5f;
  player->bestLap = 1;
  ahead->progress = 1.2f;
  ahead->bestLap = 1;
  behind->progress = 0.5f;
  app::ScreenFlow flow;
  flow.state = gs::kRacing;
  session.Step(flow, 0.01f);
  EXPECT_EQ(session.Result(), nullptr) << "the player is still racing";
  ASSERT_EQ(session.Racers().size(), 2u);
  EXPECT_EQ(std::count(session.Racers().begin(), session.Racers().end(), behind), 0);
  EXPECT_EQ(session.DriverCount(), 1u) << "its driver goes with it";
  EXPECT_FALSE(session.IsDriven(behind));
  EXPECT_EQ(flow.state, gs::kRacing);
}

TEST_F(RaceRules, TheFullScreenKeyWorksInAnyStateAndTheReloadKeyReadsTheCurvesAgain) {
  Load(content.get());
  flow.state = gs::kCountdown;
  const int before = holder.settings.GetInt(SettingId::FULLSCREEN);
  Press(race::kKeyFullScreen);
  EXPECT_NE(holder.settings.GetInt(SettingId::FULLSCREEN), before);
  EXPECT_FALSE(PauseAsked()) << "no pause before the race runs";
  flow.state = gs::kRacing;
  Press(race::kKeyFullScreen);
  EXPECT_EQ(holder.settings.GetInt(SettingId::FULLSCREEN), before);
  EXPECT_TRUE(PauseAsked()) << "leaving the window while racing pauses the race";

  // Every car's curves are read from their files again (without the upgrades' scaling).
  for (Vehicle* car : session->Racers()) car->engine->torqueCurve.ScaleY(0);
  Press(race::kKeyReloadCurves);
  for (const Vehicle* car : session->Racers()) {
    const float fromFile = app::Curve(car->engine->torqueCurvePath).Evaluate(3000);
    EXPECT_GT(fromFile, 0.0f);
    EXPECT_FLOAT_EQ(car->engine->torqueCurve.Evaluate(3000), fromFile) << car->driverName;
  }
}

TEST_F(RaceRules, TheHeadlightKeyIsKeptForTheNextRace) {
  Load(content.get());
  flow.state = gs::kRacing;
  for (int expected : {1, 0}) {
    const bool was = session->Player()->headlightsOn;
    Key(race::kActionHeadlights, true);
    session->Step(flow, 0.01f);
    Key(race::kActionHeadlights, false);
    EXPECT_NE(session->Player()->headlightsOn, was);
    EXPECT_EQ(holder.settings.GetInt(SettingId::TURNONHEADLIGHT), session->Player()->headlightsOn ? 1 : 0)
        << expected;
  }
}

// A car whose files are missing or unusable is left off the grid rather than entered broken.
TEST_F(RaceRules, CarsThatCannotBeBuiltAreRefused) {
  contentgen::WriteTextFile(folder_ + "CARS/BODYLESS/car.dat", "<VEHICLE_NAME>,Bodyless\n<MASS>,1200\n");
  Load(nullptr);
  struct Case {
    const char* what;
    std::string file;
  } const cases[] = {
      {"no file named", ""},
      {"a file that is not there", "CARS/NOWHERE/car.dat"},
      {"a car without a body model", "CARS/BODYLESS/car.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    race::RacerPlan plan;
    plan.vehicleFile = c.file;
    EXPECT_EQ(session->MakeCar(gfx.device, plan), nullptr);
  }
  race::RaceSession offline(nullptr, &definition, false);
  race::RacerPlan plan;
  plan.vehicleFile = SampleCarFile();
  EXPECT_EQ(offline.MakeCar(nullptr, plan), nullptr) << "no resources to load it from";
  EXPECT_NE(session->MakeCar(gfx.device, plan), nullptr);
}

// The player's car takes the gearbox and the headlights the options chose; the computer drives automatic.
TEST_F(RaceRules, ThePlayersOptionsSetTheGearboxAndTheHeadlightsOfThePlayersCarOnly) {
  Load(nullptr);
  for (int automatic : {0, 1}) {
    SCOPED_TRACE(automatic);
    holder.settings.SetInt(SettingId::USEAUTOMATIC, automatic);
    holder.settings.SetInt(SettingId::TURNONHEADLIGHT, 1 - automatic);
    race::RacerPlan plan;
    plan.vehicleFile = SampleCarFile();
    plan.isPlayer = true;
    const auto player = session->MakeCar(gfx.device, plan);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->engine->gearbox.manual, automatic == 0 ? 1 : 0);
    EXPECT_EQ(player->headlightsOn, automatic == 0);
    plan.isPlayer = false;
    const auto rival = session->MakeCar(gfx.device, plan);
    EXPECT_EQ(rival->engine->gearbox.manual, 0);
    EXPECT_EQ(rival->headlightsOn, Vehicle(nullptr, nullptr, "Default", true).headlightsOn);
  }
}

// A race's own upgrades are fitted as given, whatever the profile holds.
TEST_F(RaceRules, UpgradesTheRaceGivesAreFittedAsGiven) {
  Load(nullptr);
  race::RacerPlan plan;
  plan.vehicleFile = SampleCarFile();
  const auto stock = session->MakeCar(gfx.device, plan);
  ASSERT_NE(stock, nullptr);
  ASSERT_GT(stock->upgrades->Size(), 0u);
  const uint32_t id = stock->upgrades->Upgrades().back()->id;
  plan.hasUpgrades = true;
  plan.upgrades = {id};
  const auto given = session->MakeCar(gfx.device, plan);
  ASSERT_NE(given, nullptr);
  for (const auto& upgrade : given->upgrades->Upgrades()) {
    if (upgrade->id == id) {
      EXPECT_TRUE(upgrade->installed);
    }
  }
  plan.upgrades.clear();
  const auto bare = session->MakeCar(gfx.device, plan);
  for (const auto& upgrade : bare->upgrades->Upgrades()) {
    EXPECT_TRUE(!upgrade->installed || (upgrade->owned && upgrade->defaultInstalled)) << upgrade->name;
  }
}

TEST(RaceRulesTiming, AFrameTooShortToMeasureStillStepsOnce) {
  const race::SubStepPlan plan = race::PlanSubSteps(1e-7f);
  EXPECT_EQ(plan.count, 1u);
  EXPECT_FLOAT_EQ(plan.step, 1e-7f);
}

// The rubber band waits after every release before it may slow the leaders.
TEST(RaceRulesRubberBand, TheWaitRunsWhileRacingAndStartsOverAtARelease) {
  race::RaceDefinition lap(0, "Test", "", nullptr, race::kModeQuick, race::kRaceLap, 3, 0, 3, false);
  race::RaceSession session(nullptr, &lap, true);
  Vehicle* player = session.AddRacer(Car("Me"), true);
  Vehicle* rival = session.AddRacer(Car("Rival"), false);
  player->progress = 0.1f;
  rival->progress = 0.5f;
  app::ScreenFlow flow;
  flow.state = gs::kRacing;
  for (int i = 0; i < 70; ++i) session.Step(flow, 0.1f);
  EXPECT_FLOAT_EQ(session.rubberBandTimer, race::kRubberBandDelay) << "the wait never grows past its length";
  session.ReleaseRacers();
  EXPECT_EQ(session.rubberBandTimer, 0.0f);
  race::RaceSession fixed(nullptr, &lap, false);
  fixed.Step(flow, 0.1f);
  EXPECT_EQ(fixed.rubberBandTimer, 0.0f) << "without the rubber band nothing waits";
}

// A car named twice in a profile is read once: its upgrade lists stop at a car's most upgrades, and a car the
// content list no longer names keeps its last entry.
TEST(RaceRulesProfile, ACarNamedTwiceNeitherGrowsPastACarsUpgradesNorIsKeptTwice) {
  const race_test::ScratchFolder scratch("corsaire_rules_profile");
  race::ContentDatabase database(nullptr, scratch.File("no_manifest.dat"));
  database.vehicleNames = {"Coupe"};
  database.vehiclePaths = {"CARS\\COUPE\\coupe.dat"};
  database.vehicleClasses = {1};
  const uint32_t most = static_cast<uint32_t>(vehicle::kMaxUpgrades);
  contentgen::ProfileFileWriter file(500, 1, 4);
  for (uint32_t first : {0u, most}) {
    file.Raw32(5).RawBytes("Coupe").RawBytes(std::string(1, '\1')).Raw32(most).Raw32(0);
    for (uint32_t id = first; id < first + most; ++id) file.Raw32(id);
  }
  file.Vehicle("Gone", true, {1}, {1}).Vehicle("Gone", false, {2, 3}, {3});
  const std::string path = scratch.File("PROFILES/Twice.dat");
  ASSERT_TRUE(file.Save(path));
  {
    race::PlayerProfile profile(&database);
    ASSERT_EQ(profile.Load(path), race::ProfileLoad::kLoaded);
    const std::vector<uint32_t>& owned = profile.GetVehicleRecord("Coupe")->ownedIds;
    ASSERT_EQ(owned.size(), vehicle::kMaxUpgrades);
    EXPECT_EQ(owned.front(), 0u);
    EXPECT_EQ(owned.back(), most - 1) << "the first entry's ids, in order";
    ASSERT_EQ(profile.otherVehicles.size(), 1u);
    EXPECT_FALSE(profile.otherVehicles[0].owned);
    EXPECT_EQ(profile.otherVehicles[0].ownedIds, (std::vector<uint32_t>{2, 3}));
    ASSERT_TRUE(profile.Save());
  }
  const std::vector<unsigned char> saved = scratch.Read("PROFILES/Twice.dat");
  race::ProfileFileData data;
  std::string problem;
  ASSERT_TRUE(race::ParseProfileFile(saved, data, problem)) << problem;
  EXPECT_EQ(data.vehicles.size(), 2u) << "one entry for each car";
}

// A controller's stick and buttons drive the car when the options turn it on; the keyboard's one-off keys still
// work beside it.
TEST(RaceRulesController, TheControllerDrivesWhenChosenAndTheKeyboardsOneOffKeysStillCount) {
  race_test::SettingsHolder holder;
  app::Settings& settings = holder.settings;
  settings.SetInt(SettingId::JOYSTICK, 1);
  settings.BindJoyAxis(race::kActionLeft, 0, -1);
  settings.BindJoyAxis(race::kActionRight, 0, 1);
  settings.BindJoyAxis(race::kActionAccelerate, 1, -1);
  settings.BindJoyAxis(race::kActionBrake, 1, 1);
  settings.BindJoyAxis(race::kActionLookBack, 2, 1);
  settings.BindJoyButton(race::kActionHandbrake, 0);
  settings.BindJoyButton(race::kActionShiftUp, 1);
  settings.BindJoyButton(race::kActionShiftDown, 2);
  settings.BindJoyButton(race::kActionHeadlights, 3);
  settings.BindJoyButton(race::kActionCamera, 4);
  settings.BindJoyButton(race::kActionReset, 5);
  settings.BindJoyButton(race::kActionPause, 6);
  app::InputDevices pad(0, [](bool) { return std::unique_ptr<platform::input::Controller>(); });
  pad.present = true;
  app::KeyboardState keys;

  pad.axes[0] = -0.75f;
  pad.axes[1] = -1.0f;
  pad.buttonHeld[0] = 1;
  pad.buttonHeld[1] = pad.buttonPressed[1] = 1;
  pad.buttonHeld[2] = pad.buttonPressed[2] = 1;
  pad.buttonHeld[3] = 1;  // held since an earlier poll: not a new press
  race::PlayerControls c = race::ReadPlayerControls(keys, &pad, settings);
  EXPECT_FLOAT_EQ(c.steering, -0.75f);
  EXPECT_FLOAT_EQ(c.throttle, 1.0f);
  EXPECT_FLOAT_EQ(c.brake, 0.0f);
  EXPECT_TRUE(c.handbrake);
  EXPECT_TRUE(c.shiftUp);
  EXPECT_FALSE(c.shiftDown) << "up wins when both are pressed";
  EXPECT_FALSE(c.headlights);
  EXPECT_FALSE(c.lookBack || c.camera || c.reset || c.pause);

  // The stick pushed right; the look-back axis crossing half way this poll; every one-off key on the keyboard.
  app::InputDevices stick(0, [](bool) { return std::unique_ptr<platform::input::Controller>(); });
  stick.present = true;
  stick.axes[0] = 0.5f;
  stick.axes[1] = 0.25f;
  stick.axes[2] = 0.9f;
  stick.previousAxes[2] = 0.1f;
  for (int action : {race::kActionReset, race::kActionHeadlights, race::kActionCamera, race::kActionPause}) {
    keys.HandleKeyMessage(platform::wm::kKeyDown, static_cast<uintptr_t>(settings.GetKey(action)));
  }
  c = race::ReadPlayerControls(keys, &stick, settings);
  EXPECT_FLOAT_EQ(c.steering, 0.5f);
  EXPECT_FLOAT_EQ(c.brake, 0.25f);
  EXPECT_FLOAT_EQ(c.throttle, 0.0f);
  EXPECT_TRUE(c.lookBack);
  EXPECT_TRUE(c.reset && c.headlights && c.camera && c.pause);

  // The controller turned off in the options, or not there: the keyboard alone.
  settings.SetInt(SettingId::JOYSTICK, 0);
  EXPECT_FLOAT_EQ(race::ReadPlayerControls(keys, &stick, settings).steering, 0.0f);
  settings.SetInt(SettingId::JOYSTICK, 1);
  stick.present = false;
  EXPECT_FLOAT_EQ(race::ReadPlayerControls(keys, &stick, settings).steering, 0.0f);
  EXPECT_FLOAT_EQ(race::ReadPlayerControls(keys, nullptr, settings).steering, 0.0f);
}

class RacerPlanRules : public ::testing::Test {
 protected:
  RacerPlanRules() : content(nullptr, "no_such_manifest.dat") {
    content.vehicleNames = {"Berline", "Coupe", "Roadster"};
    content.vehiclePaths = {"CARS/BERLINE/berline.dat", "CARS/COUPE/coupe.dat", "CARS/ROADSTER/roadster.dat"};
    content.vehicleClasses = {1, 2, 2};
  }
  race::RaceDefinition Definition(uint32_t mode, uint32_t type, uint32_t playerStart, uint32_t opponents) {
    race::RaceDefinition definition(0, "Test", "TRACKS/CITY/city.scn", &names, mode, type, 3, playerStart,
                                    opponents, false);
    definition.classRestriction = race::kClassMixed;
    return definition;
  }
  race::ContentDatabase content;
  std::vector<std::string> names{"Ada", "Bea", "Cleo", "Dora"};
};

// An instant race hands the player a car drawn from the list, under the name "Player", against one to four
// opponents, whatever the draw.
TEST_F(RacerPlanRules, AnInstantRaceDrawsThePlayersCarAndOneToFourOpponents) {
  const struct {
    int draw;
    size_t car;
    uint32_t opponents;
  } cases[] = {{0, 0, 1}, {1, 1, 2}, {5, 2, 2}, {7, 1, 4}, {-1, 2, 4}, {-6, 0, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.draw);
    race::RaceDefinition instant = Definition(race::kModeInstant, race::kRaceLap, 0, 3);
    const auto field = race::PlanRacers(instant, content, 8, "Ann", "CARS/MINE/mine.dat", [&c] { return c.draw; });
    ASSERT_FALSE(field.empty());
    EXPECT_EQ(field[0].vehicleFile, content.vehiclePaths[c.car]);
    EXPECT_EQ(field[0].name, "Player");
    EXPECT_EQ(instant.opponents, c.opponents);
    EXPECT_EQ(field.size(), c.opponents + 1);
  }
  race::ContentDatabase empty(nullptr, "no_such_manifest.dat");
  race::RaceDefinition instant = Definition(race::kModeInstant, race::kRaceLap, 0, 3);
  const auto field = race::PlanRacers(instant, empty, 8, "Ann", "CARS/MINE/mine.dat", [] { return 0; });
  EXPECT_EQ(field[0].vehicleFile, "CARS/MINE/mine.dat") << "an empty list keeps the player's own car";
  for (size_t i = 1; i < field.size(); ++i) EXPECT_EQ(field[i].vehicleFile, "") << "no car to give";
}

TEST_F(RacerPlanRules, ARacesOwnPlayerEntryAndNamedOpponentsKeepTheirCarsAndUpgrades) {
  race::RaceDefinition chicken = Definition(race::kModeCareer, race::kRaceChicken, 3, 0);
  chicken.hasPlayerEntry = true;
  chicken.playerVehicle = "CARS/COUPE/coupe.dat";
  chicken.playerUpgrades = {4, 9};
  chicken.AddAiRacer("Bea", "CARS/BERLINE/berline.dat", 1, {2});
  chicken.AddAiRacer("Cleo", "CARS/ROADSTER/roadster.dat", 2, {});
  const auto field = race::PlanRacers(chicken, content, 8, "Ann", "CARS/MINE/mine.dat", [] { return 0; });
  ASSERT_EQ(field.size(), 3u);
  EXPECT_EQ(field[0].slot, 0u) << "no opponents drawn to start among: the first slot";
  EXPECT_EQ(field[0].vehicleFile, "CARS/COUPE/coupe.dat");
  EXPECT_EQ(field[0].name, "Ann");
  EXPECT_TRUE(field[0].hasUpgrades);
  EXPECT_EQ(field[0].upgrades, (std::vector<uint32_t>{4, 9}));
  EXPECT_TRUE(field[1].hasUpgrades);
  EXPECT_EQ(field[1].upgrades, std::vector<uint32_t>{2});
  EXPECT_FALSE(field[2].hasUpgrades) << "matched to the player's car instead";
  EXPECT_FLOAT_EQ(field[1].pathFraction, 0.1f);
  EXPECT_FLOAT_EQ(field[2].pathFraction, 0.5f);
  EXPECT_LT(field[0].pathFraction, 0.0f) << "the player starts on the grid";
}

// A path point with no ground under it keeps open edges, and a path of one point is measured across the way
// ahead rather than across nothing.
TEST(RaceRulesWorld, PathPointsOffTheGroundKeepOpenEdgesAndALonePointLooksAhead) {
  auto tree = vehicle_test::FlatWorld("PAVE", 5000, 1000);
  race::RaceWorld world;
  world.SetCollision(tree.get());
  auto offGround = std::make_unique<geometry::Path>("AIPATH", false, Vec3{});
  offGround->AddPoint({700, 10, 0});
  offGround->AddPoint({700, 10, 30000});
  world.AddAIPath(std::move(offGround));
  auto lone = std::make_unique<geometry::Path>("AIPATH", false, Vec3{});
  lone->AddPoint({700, 10, 0});
  world.AddAIPath(std::move(lone));
  world.MeasurePathEdges();
  const geometry::Path& measured = *world.AIPath(0);
  EXPECT_NEAR(measured.LeftEdges()[0], -300, 1) << "the wall beside the road";
  EXPECT_FLOAT_EQ(measured.LeftEdges()[1], -measured.RightEdges()[1]) << "no ground: open on both sides";
  EXPECT_GT(measured.RightEdges()[1], 300.0f);
  EXPECT_NEAR(world.AIPath(1)->LeftEdges()[0], -300, 1);
}

TEST(RaceRulesWorld, CarQueriesPassOverEmptyPlacesAndCarsOutOfTheRace) {
  auto tree = vehicle_test::FlatWorld("PAVE", 5000);
  race::RaceWorld world;
  world.SetCollision(tree.get());
  Vehicle self(nullptr, nullptr, "self", true), near(nullptr, nullptr, "near", true),
      ghost(nullptr, nullptr, "ghost", true), far(nullptr, nullptr, "far", true);
  self.worldMatrix = platform::IdentityMatrix();
  near.position = {0, 0, 200};
  ghost.position = {0, 0, 100};
  ghost.collidable = false;
  far.position = {0, 0, 4000};
  world.Cars() = {&self, nullptr, &ghost, &near, &far};
  EXPECT_EQ(world.CountCarsNear({0, 0, 0}, 300), 2) << "itself and the near car; not the one out of the race";
  vehicle::VehicleAICar view(self, world);
  vehicle::CarAhead found;
  ASSERT_TRUE(world.FindCarAhead(view, {0, 0, 1}, 1000, 10, 100, found));
  EXPECT_FLOAT_EQ(found.distance, 100) << "a car out of the race is still seen ahead";
  self.worldMatrix = {};  // a car squashed flat has no frame to look from
  EXPECT_FALSE(world.FindCarAhead(view, {0, 0, 1}, 1000, 10, 100, found));

  world.QueryWorldBox({-100, -3000, -100}, {100, 100, 100});  // the ground near the car, as a step gathers it
  EXPECT_FALSE(world.IsOffWorld(view)) << "above the ground";
  self.position = {30000, 0, 0};
  EXPECT_TRUE(world.IsOffWorld(view)) << "nothing below";

  std::vector<int> spawned;
  world.SpawnParticles(3, {}, {});
  world.particleSink = [&](int type, const Vec3&, const Vec3&) { spawned.push_back(type); };
  world.SpawnParticles(4, {}, {});
  EXPECT_EQ(spawned, std::vector<int>{4}) << "only once something takes them";
}

// Against the clock the place is earned by the race's target times, whatever the order on the road; a career
// win of the player's own tier moves the career on, and a practice win of the same class does not.
TEST(RaceRulesFinish, TheClockPlacesTimedRacesAndOnlyCareerWinsMoveTheCareerOn) {
  const struct {
    const char* what;
    uint32_t type;
    uint32_t mode;
    float raceTime;
    uint32_t place;
    uint32_t progressAfter;
  } cases[] = {
      {"a time trial inside the first time", race::kRaceTimeTrial, race::kModeCareer, 50, 1, 2},
      {"a time trial inside the second time", race::kRaceTimeTrial, race::kModeCareer, 70, 2, 1},
      {"a chicken race past every time", race::kRaceChicken, race::kModeCareer, 200, 4, 1},
      {"a lap race won on the road", race::kRaceLap, race::kModeCareer, 500, 1, 2},
      {"a practice lap race won", race::kRaceLap, race::kModeQuick, 500, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    race::RaceDefinition definition(0, "Test", "", nullptr, c.mode, c.type, 3, 0, 1, false);
    definition.classRestriction = 1;
    definition.targetTimes = {0, 60, 90, 120};
    race::PlayerProfile profile(nullptr);
    profile.careerProgress = 1;
    race::RaceSession session(&profile, &definition, false);
    EXPECT_EQ(session.PlayerPlace(), 0u) << "nobody to place yet";
    Vehicle* player = session.AddRacer(Car("Me"), true);
    Vehicle* rival = session.AddRacer(Car("Rival"), false);
    player->progress = 3.2f;
    rival->progress = 0.5f;
    session.raceTime = c.raceTime;
    app::ScreenFlow flow;
    flow.state = gs::kRacing;
    session.Step(flow, 0.01f);
    ASSERT_NE(session.Result(), nullptr);
    EXPECT_EQ(session.Result()->place, c.place);
    EXPECT_EQ(profile.careerProgress, c.progressAfter);
    EXPECT_TRUE(session.IsDriven(player)) << "the computer takes the player's car over the line";
    const race::RaceResult* first = session.Result();
    session.FinishRacer(flow);
    EXPECT_EQ(session.Result(), first) << "a race finishes once";
  }
}

class RaceListRules : public ::testing::Test {
 protected:
  const race::RaceDefinition& Race(const std::string& children) {
    clock.ticks = 1000;
    list = std::make_unique<race::RaceList>(nullptr, &names, scratch.File("missing.dat"), &clock);
    list->ReadFrom(app::DataFile::FromText("[RACE]\n" + children + "[/RACE]\n"));
    return *list->At(0);
  }
  race_test::ScratchFolder scratch{"corsaire_racelist_rules"};
  race_test::ManualClock clock;
  std::vector<std::string> names = {"Marcel"};
  std::unique_ptr<race::RaceList> list;
};

// Numbers too large for the game read as the largest it holds, never wrapped round to the other sign.
TEST_F(RaceListRules, NumbersBeyondTheirRangeAreHeldAtItsEnds) {
  const race::RaceDefinition& big =
      Race("<LAPS>,99999999999\n<ENTRY_FEE>,-99999999999\n<REWARD>,1,88888888888\n<NAME>\n");
  EXPECT_EQ(big.laps, INT32_MAX);
  EXPECT_EQ(big.entryFee, INT32_MIN);
  EXPECT_EQ(big.rewards[1], INT32_MAX);
  EXPECT_EQ(big.name, "Unknown") << "a name record without a value";
  EXPECT_EQ(list->At(-1), nullptr);
  EXPECT_EQ(list->At(1), nullptr);
  EXPECT_EQ(race::RaceDefinition::CountByClass(nullptr, race::kClassA), 0);
  EXPECT_EQ(race::RaceDefinition::NthByClass(nullptr, race::kClassA, 0), nullptr);
  struct NoRate : platform::Clock {
    int64_t Ticks() const override { return 5000; }
    int64_t TicksPerSecond() const override { return 0; }
  } broken;
  EXPECT_EQ(race::MillisecondTicks(broken), 0u) << "a clock without a rate reads zero, not a division by it";
}

// Segment casts asked to see cars meet the nearest collidable car before the track behind it.
TEST(RaceRulesWorld, SegmentCastsMeetTheNearestCollidableCarBeforeTheTrack) {
  race::RaceWorld world;
  auto tree = vehicle_test::FlatWorld("PAVE", 5000, 1000);
  world.SetCollision(tree.get());
  std::vector<std::unique_ptr<Vehicle>> cars;
  for (float x : {600.0f, 300.0f, 100.0f}) {
    auto car = std::make_unique<Vehicle>(nullptr, nullptr, "car", false);
    car->collisionMin = {-40, 0, -90};
    car->collisionMax = {40, 60, 90};
    car->SetTransform({x, 0, 0}, platform::IdentityMatrix());
    world.Cars().push_back(car.get());
    cars.push_back(std::move(car));
  }
  world.Cars().push_back(nullptr);
  cars[2]->collidable = false;  // the nearest is out of the race
  race::SegmentHit hit;
  ASSERT_TRUE(world.CastSegmentFull({0, 30, 0}, {1100, 30, 0}, true, hit));
  EXPECT_EQ(hit.car, cars[1].get());
  EXPECT_EQ(hit.surface, vehicle::kSurfaceVehicle);
  EXPECT_NEAR(hit.point.x, 260, 1e-2);
  ASSERT_TRUE(world.CastSegmentFull({0, 30, 0}, {1100, 30, 0}, false, hit));
  EXPECT_EQ(hit.car, nullptr) << "not asked to see cars: the wall";
  EXPECT_NEAR(hit.point.x, 1000, 1e-2);
  ASSERT_TRUE(world.CastSegmentFull({0, 30, 200}, {1100, 30, 200}, true, hit));
  EXPECT_EQ(hit.car, nullptr) << "beside the cars: the wall";
}

}  // namespace
