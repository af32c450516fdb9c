// Races of the sample race lists run headless through the game's own race start: every race type to its result,
// chicken set-up, opponents' upgrades, the player's settings and gearbox, the rubber band, the controller's
// bindings and the camera following the car.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "contentgen/car_upgrades.h"
#include "game_test_support.h"
#include "game/headless_race.h"
#include "platform/math/math.h"
#include "platform/window_system.h"
#include "race/hud/race_hud.h"
#include "race/player_input.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace game {
namespace {

namespace gs = app::game_state;
using app::SettingId;
using platform::Vec3;
using vehicle::Vehicle;

constexpr float kFrame = 1.0f / 60.0f;
// The sample career's races by position.
constexpr int kCareerNightShift = 0;
constexpr int kCareerCanalClock = 3;
constexpr int kCareerHeadOn = 8;
constexpr int kContestCityTimeAttack = 0;
constexpr int kInstantDocksKnockout = 4;

class RaceRules : public ::testing::Test {
 protected:
  // A race of the list, loaded and held at the start; prepare may change settings, profile or race first.
  std::unique_ptr<HeadlessRace> Load(const std::string& list, int index,
                                     const std::function<void(HeadlessRace&, race::RaceDefinition&)>& prepare = {}) {
    auto race = std::make_unique<HeadlessRace>(game_test::SampleGameFolder(), 1);
    race::RaceDefinition* definition = RaceListByName(race->Content(), list)->At(index);
    if (prepare) prepare(*race, *definition);
    std::string error;
    EXPECT_TRUE(race->Load(list, index, error)) << error;
    return race;
  }
  // Frames until the countdown is over and the cars are released.
  static void RunToRacing(HeadlessRace& race) {
    for (int frame = 0; frame < 600 && race.Flow().state != gs::kRacing; ++frame) race.Frame(kFrame);
    ASSERT_EQ(race.Flow().state, gs::kRacing);
  }
  static void Run(HeadlessRace& race, float seconds) {
    for (float t = 0; t < seconds; t += kFrame) race.Frame(kFrame);
  }
  static void Key(HeadlessRace& race, int action, bool down) {
    race.Session()->ForwardInput(down ? platform::wm::kKeyDown : platform::wm::kKeyUp,
                                 static_cast<uintptr_t>(race.Settings().GetKey(action)));
  }
  // The direction of the first AI path where the car is.
  static Vec3 PathDirectionAt(HeadlessRace& race, const Vec3& position) {
    const geometry::Path& path = *race.Session()->World().AIPath(0);
    geometry::PathProjection at;
    EXPECT_TRUE(path.ProjectPoint(position, at));
    return platform::Normalize(path.PointAt(at.distance + 100.0f) - path.PointAt(at.distance));
  }
};

TEST_F(RaceRules, ChickenOpponentsStartAlongThePathAndComeHeadOn) {
  auto race = Load("CAREER", kCareerHeadOn);
  ASSERT_EQ(race->Definition()->type, race::kRaceChicken);
  Vehicle* player = race->Session()->Player();
  ASSERT_NE(player, nullptr);
  std::vector<Vehicle*> opponents;
  for (Vehicle* car : race->Session()->Racers()) {
    if (car != player) opponents.push_back(car);
  }
  ASSERT_EQ(opponents.size(), 3u);
  EXPECT_GT(platform::Dot(player->forwardAxis, PathDirectionAt(*race, player->position)), 0.5f);
  for (size_t i = 0; i < opponents.size(); ++i) {
    EXPECT_LT(platform::Dot(opponents[i]->forwardAxis, PathDirectionAt(*race, opponents[i]->position)), -0.5f) << i;
    for (size_t j = 0; j < i; ++j) {
      EXPECT_GT(platform::Length(opponents[i]->position - opponents[j]->position), 1000.0f) << "spread along the path";
    }
  }
  // Released, they keep driving the track the other way round.
  RunToRacing(*race);
  Run(*race, 5.0f);
  for (Vehicle* car : opponents) {
    EXPECT_GT(car->speedMph, 20.0f);
    EXPECT_LT(platform::Dot(car->velocity, PathDirectionAt(*race, car->position)), 0.0f);
  }
}

// Every race type on every circuit, raced to its end by computer drivers in every car: the result record, the
// HUD's message and the career agree with the race; knock-outs take the last car at a lap's end, one a lap.
TEST_F(RaceRules, EveryRaceTypeEndsWithTheResultOfTheRace) {
  struct Case {
    const char* list;
    int index;
    uint32_t type;
    int32_t laps;                     // 0 keeps the race's own
    std::array<int32_t, 4> targets;   // target times 1-3 (s) for races against the clock
    uint32_t clockPlace;              // the place they give
  };
  // Target times of 1-2 s are never met; 1000 s always is.
  const Case cases[] = {
      {"CAREER", kCareerNightShift, race::kRaceLap, 1, {}, 0},
      // An instant race draws 2 laps and 4 cars here: more cars than the laps can knock out one by one.
      {"INSTANTRACE", kInstantDocksKnockout, race::kRaceKnockout, 0, {}, 0},
      {"CONTEST", kContestCityTimeAttack, race::kRaceTimeTrial, 1, {0, 1, 2, 1000}, 3},
      {"CAREER", kCareerCanalClock, race::kRaceTimeTrial, 1, {0, 1, 2, 2}, 4},
      {"CAREER", kCareerHeadOn, race::kRaceChicken, 1, {0, 1000, 1000, 1000}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.list) + " " + std::to_string(c.index));
    auto race = Load(c.list, c.index, [&](HeadlessRace& headless, race::RaceDefinition& definition) {
      if (c.laps > 0) definition.laps = c.laps;
      if (c.clockPlace > 0) definition.targetTimes = c.targets;
      headless.Profile().careerProgress = definition.classRestriction;
    });
    race::RaceSession& session = *race->Session();
    ASSERT_EQ(race->Definition()->type, c.type);
    const uint32_t tier = race->Definition()->classRestriction;
    Vehicle* player = session.Player();
    race->DriveEveryCar();
    int32_t knockedOut = 0;
    size_t field = session.Racers().size();
    Vehicle* lastCar = nullptr;
    int32_t mostLaps = 0;
    for (int frame = 0; frame < 150 * 60 && session.Result() == nullptr; ++frame) {
      race->Frame(kFrame);
      for (const Vehicle* car : session.Racers()) mostLaps = std::max(mostLaps, car->bestLap);
      if (session.Racers().size() < field) {
        ++knockedOut;
        EXPECT_EQ(std::count(session.Racers().begin(), session.Racers().end(), lastCar), 0) << "the last car goes";
        EXPECT_GE(mostLaps, knockedOut) << "one car at each lap's end, none from the grid";
        field = session.Racers().size();
      }
      for (Vehicle* car : session.Racers()) {
        if (car->racePosition == static_cast<int32_t>(field)) lastCar = car;
      }
    }
    const race::RaceResult* result = session.Result();
    ASSERT_NE(result, nullptr);
    EXPECT_GT(result->raceTime, 10.0f);
    EXPECT_EQ(result->raceTime, session.raceTime);
    const bool finished = player->progress >= static_cast<float>(session.laps);
    if (c.type == race::kRaceKnockout && !finished) {
      EXPECT_EQ(result->place, field) << "knocked out in last place";
      EXPECT_GE(mostLaps, knockedOut + 1) << "at a lap's end";
    } else {
      EXPECT_TRUE(finished);
    }
    if (c.clockPlace > 0) {
      EXPECT_EQ(result->place, c.clockPlace);
    } else {
      EXPECT_EQ(result->place, static_cast<uint32_t>(player->racePosition));
      ASSERT_LE(result->place, result->names.size());
      EXPECT_EQ(result->names[result->place - 1], player->driverName);
    }
    EXPECT_EQ(session.hud->place, result->place);
    const std::vector<std::string> messages = session.hud->MessageTexts();
    EXPECT_NE(std::find(messages.begin(), messages.end(), race::RaceHud::ResultText(c.type, result->place)),
              messages.end());
    // The career moves on only for a first place in a career race.
    const bool career = race->Definition()->mode == race::kModeCareer;
    EXPECT_EQ(race->Profile().careerProgress, career && result->place == 1 ? tier + 1 : tier);
  }
}

TEST_F(RaceRules, ComputerCarsAreUpgradedToThePlayersCarByTheDifficulty) {
  const auto accelerationOf = [](const Vehicle& car) { return car.upgrades->StatTotal(vehicle::kKeyStatAcceleration); };
  const std::set<uint32_t> garage = {contentgen::kUpgradeStockBody, contentgen::kUpgradeFirstPaint};
  const auto ownUpgrades = [&garage](HeadlessRace& race, race::RaceDefinition&) {
    vehicle::UpgradeSelection selection;
    for (uint32_t id : garage) {
      selection.SetOwned(id, true);
      selection.SetInstalled(id, true);
    }
    race.Profile().SetWorkingSelection(selection);
  };
  for (int difficulty : {0, 4}) {
    SCOPED_TRACE(difficulty);
    // Opponents of the player's class, whose stock cars are as quick as the player's.
    auto race = Load("QUICKRACE", 0, [&](HeadlessRace& headless, race::RaceDefinition& definition) {
      ownUpgrades(headless, definition);
      headless.Settings().SetString(app::StringSettingId::VEHICLE, "Berline");
      definition.classRestriction = race::kClassC;
      definition.aiDifficulty = difficulty;
    });
    const Vehicle& player = *race->Session()->Player();
    std::set<uint32_t> installed;
    for (const auto& upgrade : player.upgrades->Upgrades()) {
      if (upgrade->installed) installed.insert(upgrade->id);
    }
    EXPECT_EQ(installed, garage) << "the player's car carries the profile's upgrades";
    size_t opponents = 0;
    for (const Vehicle* car : race->Session()->Racers()) {
      if (car == &player) continue;
      ++opponents;
      if (difficulty == 4) {
        EXPECT_GE(accelerationOf(*car), accelerationOf(player) + 4.0f) << car->driverName;
      } else {
        EXPECT_LT(accelerationOf(*car), accelerationOf(player) + 4.0f) << car->driverName;
        for (uint32_t category : {vehicle::kCategoryEngine, vehicle::kCategoryFastTurbo, vehicle::kCategoryTransmission}) {
          EXPECT_EQ(car->upgrades->CountInstalledInCategory(category), 0) << car->driverName;
        }
      }
    }
    EXPECT_EQ(opponents, 4u);
  }
  // An instant race hands out a car of its own: the profile's upgrades stay in the garage.
  auto instant = Load("INSTANTRACE", 0, ownUpgrades);
  size_t installed = 0;
  for (const auto& upgrade : instant->Session()->Player()->upgrades->Upgrades()) installed += upgrade->installed ? 1 : 0;
  EXPECT_GT(installed, garage.size());
}

TEST_F(RaceRules, RubberBandHandsCarsAheadOfThePlayerFourTimesTheirThrottle) {
  for (int rubberBand : {0, 1}) {
    SCOPED_TRACE(rubberBand);
    auto race = Load("QUICKRACE", 0, [rubberBand](HeadlessRace& headless, race::RaceDefinition&) {
      headless.Settings().SetInt(SettingId::RUBBERBAND, rubberBand);
    });
    RunToRacing(*race);
    Run(*race, 6.0f);  // the player waits on the grid, so every computer car is ahead
    float most = 0;
    for (const Vehicle* car : race->Session()->Racers()) {
      if (car != race->Session()->Player()) most = std::max(most, car->engine->throttle);
    }
    if (rubberBand == 1) {
      EXPECT_GT(most, 1.5f);
    } else {
      EXPECT_LE(most, 1.0f);
    }
  }
}

// The player's settings choose the gearbox, the headlights and the view at the start; a manual gearbox stays in
// gear until the shift keys, and computer cars always shift for themselves.
TEST_F(RaceRules, PlayersSettingsChooseGearboxHeadlightsAndViewAndManualGearsFollowTheShiftKeys) {
  for (int automatic : {1, 0}) {
    SCOPED_TRACE(automatic);
    auto race = Load("QUICKRACE", 0, [automatic](HeadlessRace& headless, race::RaceDefinition&) {
      for (SettingId setting : {SettingId::USEAUTOMATIC, SettingId::TURNONHEADLIGHT, SettingId::TRACKCAMERA}) {
        headless.Settings().SetInt(setting, automatic);
      }
    });
    const Vehicle& player = *race->Session()->Player();
    EXPECT_EQ(player.headlightsOn, automatic == 1);
    EXPECT_EQ(race->Session()->Scenery().camera->IsInCarView(), automatic == 1);
    for (const Vehicle* car : race->Session()->Racers()) {
      EXPECT_EQ(car->engine->gearbox.manual, car == &player && automatic == 0 ? 1 : 0) << car->driverName;
    }
    RunToRacing(*race);
    const vehicle::Engine& engine = *player.engine;
    Key(*race, race::kActionAccelerate, true);
    Run(*race, 8.0f);
    if (automatic == 1) {
      EXPECT_GT(engine.Gear(), race::kFirstGear);
      continue;
    }
    EXPECT_EQ(engine.Gear(), race::kFirstGear);
    for (auto [action, gear] : {std::pair{race::kActionShiftUp, race::kFirstGear + 1},
                                std::pair{race::kActionShiftDown, race::kFirstGear}}) {
      Key(*race, action, true);
      Run(*race, 1.0f);
      Key(*race, action, false);
      EXPECT_EQ(engine.Gear(), gear);
    }
  }
}

TEST_F(RaceRules, ControllerDrivesThroughThePlayersBindingsOnly) {
  auto race = Load("QUICKRACE", 0, [](HeadlessRace& headless, race::RaceDefinition& definition) {
    definition.opponents = 0;  // an open road: no other car to run into while steering
    app::Settings& settings = headless.Settings();
    settings.SetInt(SettingId::JOYSTICK, 1);
    settings.BindJoyAxis(race::kActionAccelerate, 5, 1);  // a wheel's pedals
    settings.BindJoyAxis(race::kActionBrake, 6, 1);
    settings.BindJoyAxis(race::kActionRight, 0, 1);
    settings.BindJoyAxis(race::kActionLeft, 0, -1);
    settings.BindJoyButton(race::kActionHandbrake, 4);
    settings.BindJoyButton(race::kActionHeadlights, 10);
    settings.BindJoyButton(race::kActionCamera, 9);
    for (int button : {0, 1, 2, 3}) settings.UnbindJoyButton(button);
  });
  RunToRacing(*race);
  Vehicle& player = *race->Session()->Player();
  platform::input::ScriptedController& pad = *race->Controller();
  const auto hold = [&](std::array<int32_t, 8> axes, std::set<int> buttons, float seconds) {
    pad.state = {};
    pad.state.axes = axes;
    for (int button : buttons) pad.state.buttons[static_cast<size_t>(button)] = platform::input::kButtonDown;
    Run(*race, seconds);
  };
  // The stick's own axes and buttons do nothing the player did not bind; nitrous is on no button at all.
  hold({0, -1000, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3}, 1.0f);
  EXPECT_EQ(player.engine->throttle, 0.0f);
  EXPECT_FALSE(player.engine->nitrousEngaged);
  EXPECT_FALSE(player.IsHandbrakeOn());
  EXPECT_LT(player.speedMph, 2.0f);
  // The bound pedal drives, the bound axis steers left and right, the bound button pulls the handbrake.
  hold({-600, 0, 0, 0, 0, 800, 0, 0}, {4}, 0.5f);
  EXPECT_NEAR(player.engine->throttle, 0.8f, 0.01f);
  EXPECT_NEAR(player.steering->target, -0.6f * player.steering->range, 0.01f);
  EXPECT_TRUE(player.IsHandbrakeOn());
  hold({700, 0, 0, 0, 0, 1000, 0, 0}, {}, 3.0f);
  EXPECT_NEAR(player.steering->target, 0.7f * player.steering->range, 0.01f);
  EXPECT_GT(player.speedMph, 5.0f);
  hold({0, 0, 0, 0, 0, 0, 1000, 0}, {}, 0.2f);
  EXPECT_EQ(player.wheels[0]->brake, 1.0f);
  // Camera and headlight buttons act once per press and are remembered in the settings.
  const bool lights = player.headlightsOn;
  hold({}, {9, 10}, 0.5f);
  hold({}, {}, 0.1f);
  EXPECT_TRUE(race->Session()->Scenery().camera->IsInCarView());
  EXPECT_EQ(race->Settings().GetInt(SettingId::TRACKCAMERA), 1);
  EXPECT_EQ(player.headlightsOn, !lights);
  EXPECT_EQ(race->Settings().GetInt(SettingId::TURNONHEADLIGHT), player.headlightsOn ? 1 : 0);
  // The controller's force feedback was started for the player's car.
  size_t started = 0;
  for (const auto& effect : pad.effects) started += effect.starts > 0 ? 1 : 0;
  EXPECT_GT(started, 0u);
}

TEST_F(RaceRules, CameraFollowsTheWheelAngleTheHandbrakeAndTheCarsShake) {
  auto race = Load("QUICKRACE", 0);
  RunToRacing(*race);
  const render::RaceCamera& camera = *race->Session()->Scenery().camera;
  const Vehicle& player = *race->Session()->Player();
  Key(*race, race::kActionAccelerate, true);
  Run(*race, 3.0f);
  EXPECT_GT(camera.desiredFollowRate, 9.5f) << "straight ahead the camera follows quickly";
  ASSERT_GT(platform::Length(player.velocity), 150.0f);
  ASSERT_TRUE(player.AnyWheelOnGround());
  Key(*race, race::kActionHandbrake, true);
  Run(*race, kFrame);
  EXPECT_EQ(camera.desiredFollowRate, 0.0f) << "a fast handbrake turn freezes the camera's turn";
  Key(*race, race::kActionHandbrake, false);
  Run(*race, 0.5f);
  // A tap of the key barely turns the wheel, so the camera barely slows; a held key turns it to full lock.
  Key(*race, race::kActionLeft, true);
  Run(*race, kFrame);
  EXPECT_GT(camera.desiredFollowRate, 9.0f);
  Run(*race, 0.3f);
  EXPECT_LT(camera.desiredFollowRate, 5.0f);
  Key(*race, race::kActionLeft, false);

  // Every sub-step adds the car's shake of that step: after a frame the camera holds at least the last one.
  race->DriveEveryCar();
  const float lastStep = kFrame / 2.0f;
  int shaken = 0;
  for (int frame = 0; frame < 20 * 60; ++frame) {
    race->Frame(kFrame);
    if (player.shake <= 0.0f) continue;
    ++shaken;
    EXPECT_GE(camera.shake, std::min(player.shake, 5.0f) * std::pow(0.1f, lastStep) * 0.999f);
  }
  EXPECT_GT(shaken, 0);
}

}  // namespace
}  // namespace game
