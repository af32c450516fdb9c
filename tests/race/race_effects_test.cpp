// Races on the generated city as the game runs them: the full staged load on the null device, a scripted
// controller with force feedback, the real mixer, the countdown and the release. Cars are driven into walls and
// over the ramp, and what a player would see, hear and feel is read from the race's own particle system, mixer,
// controller, HUD and car bodies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/input_devices.h"
#include "contentgen/test_world.h"
#include "geometry/models/mesh_model.h"
#include "platform/input/scripted_controller.h"
#include "platform/math/math.h"
#include "race/hud/race_hud.h"
#include "race/player_input.h"
#include "race_test_support.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_presentation.h"
#include "vehicle/wheel_effects.h"

namespace {

using app::SettingId;
using platform::Vec3;
using vehicle::Vehicle;
namespace world = contentgen::test_world;

constexpr float kFrame = 0.02f;
constexpr float kQuarterTurn = 1.5707963f;

class RaceEffects : public race_test::SampleRace {
 protected:
  RaceEffects() {
    definition.laps = 3;
    definition.opponents = 1;
    mixer.SetObserver([this](const platform::audio::Mixer::ChannelEvent& event) { heard.push_back(event); });
    input = std::make_unique<app::InputDevices>(0, [this](bool) {
      auto made = std::make_unique<platform::input::ScriptedController>(false, true);
      stick = made.get();
      return made;
    });
    input->LoadForceEffects(folder_ + "FF/effects.ffe");
  }
  // The race's cars sound to the end: the record of what was heard outlives them.
  ~RaceEffects() override {
    session.reset();
    mixer.SetObserver({});
  }

  // Loads the race as the game does, hands the player's car the controller, counts down and releases the cars.
  race::RaceSession& Start() {
    Load(content.get());
    EXPECT_TRUE(input->AreForceEffectsLoaded());
    session->AttachForceFeedback(input.get());
    session->HoldRacersAtStart(flow);
    for (int frame = 0; frame < 400 && flow.state != app::game_state::kRacing; ++frame) Frame();
    EXPECT_EQ(flow.state, app::game_state::kRacing);
    return *session;
  }

  // One frame of the game's race state: the flow's requests and the sound clock, then the race step with the
  // controller.
  void Frame() {
    flow.Update(kFrame);
    mixer.Advance(kFrame);
    if (flow.state == app::game_state::kStartSignal) flow.Request(app::game_state::kRacing, 0);
    session->Step(gfx.device, nullptr, flow, input.get(), kFrame);
  }
  void Frames(float seconds) {
    for (float t = 0; t < seconds; t += kFrame) Frame();
  }
  // Sets the car on the circuit at a distance along it and across it (toward the inside), turned from the
  // road's heading toward the inside by an angle (radians; negative turns toward the outer wall), at rest.
  static void Place(race::RaceSession& race, Vehicle& car, float along, float across, float turn) {
    Vec3 heading;
    const Vec3 centre = world::CentreAt(along, &heading);
    const Vec3 inward = world::InwardAt(along);
    car.position = centre + inward * across + Vec3{0, 30, 0};
    const Vec3 forward = heading * std::cos(turn) + inward * std::sin(turn);
    car.rotation = platform::Transpose(platform::LookAtLH({}, forward, {0, 1, 0}));
    car.Reset(race.World(), nullptr);
  }

  // Sets the car rolling straight ahead at a speed (in/s), as if it had been driven up to it.
  static void Launch(Vehicle& car, float speed) {
    for (auto& wheel : car.wheels) {
      wheel->velocity = car.forwardAxis * speed;
      wheel->spin = speed / wheel->radius;
    }
    car.velocity = car.forwardAxis * speed;
  }

  // The player's car aims at the outer wall of the south straight from the inner half of the road and is driven
  // into it across the grass verge until a crash sound plays; returns the most grass particles seen on the way.
  size_t DriveIntoTheOuterWall(race::RaceSession& race) {
    // The computer cars drive on from the far side of the circuit, out of the player's way.
    for (Vehicle* car : race.Racers()) {
      if (car != race.Player()) Place(race, *car, world::Perimeter() / 2, 0, 0);
    }
    Place(race, *race.Player(), 0, 250, -0.5f);
    Key(race::kActionAccelerate, true);
    size_t grass = 0;
    for (int frame = 0; frame < 500 && !Crashed(*race.Player()); ++frame) {
      Frame();
      grass = std::max(grass, Particles(vehicle::kParticleGrass));
    }
    Key(race::kActionAccelerate, false);
    Frame();
    return grass;
  }

  // A crash sound of the car has just played (its kind waits out its cooldown).
  static bool Crashed(const Vehicle& car) {
    return std::any_of(std::begin(car.crashCooldowns), std::end(car.crashCooldowns), [](float t) { return t > 0; });
  }

  // Every live particle of a type in the race.
  size_t Particles(int type) const {
    const render::ParticleEmitter* emitter = session->Scenery().particles->Emitter(type);
    return emitter != nullptr ? emitter->particles.size() : 0;
  }

  // The sounds of these samples started since `heard` was cleared, each as its channel was last set.
  using Played = platform::audio::Mixer::ChannelEvent;
  template <typename Samples>
  std::vector<Played> SoundsOf(const Samples& samples) const {
    std::map<int, Played> channels;
    for (const Played& event : heard) {
      if (std::find(samples.begin(), samples.end(), event.sample) != samples.end()) channels[event.channel] = event;
    }
    std::vector<Played> played;
    for (const auto& entry : channels) played.push_back(entry.second);
    return played;
  }

  platform::input::ScriptedController* stick = nullptr;
  std::unique_ptr<app::InputDevices> input;
  std::vector<platform::audio::Mixer::ChannelEvent> heard;
};

TEST_F(RaceEffects, CarsDrivenIntoTheWallThrowSparksSoundByDistanceJoltThePlayerAndCrumple) {
  race::RaceSession& race = Start();
  Vehicle* player = race.Player();
  ASSERT_NE(player, nullptr);
  ASSERT_NE(player->damage, nullptr);
  const vehicle::DamageModel& damage = *player->damage;
  const geometry::MeshModel& body = *vehicle::PresentationOf(*player)->body->lods[0].model;
  const geometry::MeshModel& crumpled = *vehicle::PresentationOf(*player)->damagedModel;
  const std::vector<Vec3> clean = body.meshData->SourcePositions();
  const auto crashes = vehicle::PresentationOf(*player)->Sounds()->crashSamples;

  EXPECT_GT(DriveIntoTheOuterWall(race), 0u) << "grass thrown up from the verge";
  EXPECT_GT(Particles(vehicle::kParticleSparks), 0u);
  EXPECT_GT(Particles(vehicle::kParticleDebris), 0u);
  const auto& jolt = stick->effects.at(vehicle::kJoltEffect);
  EXPECT_GT(jolt.starts, 0);
  EXPECT_EQ(jolt.gain, vehicle::kMaxForceGain);
  // The body is dented where it hit and the front zones took the damage.
  EXPECT_NE(body.meshData->SourcePositions(), clean);
  EXPECT_GT(damage.zoneDamage[vehicle::kZoneFront] + damage.zoneDamage[vehicle::kZoneFrontLeft] +
                damage.zoneDamage[vehicle::kZoneFrontRight], 0.0f);
  // Heard from the chase camera just behind the car: full volume, at the crash priority.
  const std::vector<Played> near = SoundsOf(crashes);
  ASSERT_FALSE(near.empty());
  for (const Played& crash : near) {
    EXPECT_GT(crash.volume, 240);
    EXPECT_EQ(crash.priority, vehicle::kCrashSoundPriority);
  }

  // The player waits on the road; the computer car hits the same wall some 800 inches from the camera: the same
  // crash, heard quieter.
  Place(race, *player, 0, 0, 0);
  Frames(1.0f);
  Vehicle* rival = race.Racers()[0] == player ? race.Racers()[1] : race.Racers()[0];
  const Vec3 eye = race.Scenery().camera->eye;
  Place(race, *rival, eye.x + 450, -490, -0.5f);
  Launch(*rival, 1000);
  heard.clear();
  for (int frame = 0; frame < 100 && !Crashed(*rival); ++frame) Frame();
  const std::vector<Played> far = SoundsOf(crashes);
  ASSERT_FALSE(far.empty());
  for (const Played& crash : far) {
    EXPECT_GT(crash.volume, 10);
    EXPECT_LT(crash.volume, 200);
  }

  // Head-on at 85 mph, again and again, the player's front is crushed: it takes the crumpled body's paint and the
  // windscreen breaks.
  const vehicle::DamageZone zones[] = {vehicle::kZoneFront, vehicle::kZoneGlassFront};
  std::vector<const render::ImageResource*> before;
  for (vehicle::DamageZone zone : zones) {
    ASSERT_FALSE(damage.bodyPartIds[zone].empty()) << "the sample car has parts in the zone";
    before.push_back(body.GetMaterialImage(static_cast<int32_t>(damage.bodyPartIds[zone][0])));
  }
  for (int hit = 0; hit < 4 && !damage.swapped[vehicle::kZoneGlassFront]; ++hit) {
    Place(race, *player, 0, -400, -kQuarterTurn);
    Launch(*player, 1500);
    Frames(0.5f);
  }
  for (size_t i = 0; i < std::size(zones); ++i) {
    const auto part = static_cast<int32_t>(damage.bodyPartIds[zones[i]][0]);
    const auto crushed = static_cast<int32_t>(damage.damagedPartIds[zones[i]][0]);
    EXPECT_EQ(body.GetMaterialImage(part), crumpled.GetMaterialImage(crushed)) << vehicle::DamageZoneNames[zones[i]];
    EXPECT_NE(body.GetMaterialImage(part), before[i]);
  }
}

TEST_F(RaceEffects, HeadOnContactsBetweenCarsKeepThemOnTheGround) {
  race::RaceSession& race = Start();
  Vehicle* player = race.Player();
  ASSERT_NE(player, nullptr);
  Vehicle* rival = race.Racers()[0] == player ? race.Racers()[1] : race.Racers()[0];
  struct Crash {
    float offset;  // inches between the two cars' lines
    float speed;   // in/s, each
  };
  for (const Crash crash : {Crash{30, 800}, Crash{60, 800}, Crash{0, 1600}}) {
    SCOPED_TRACE("offset " + std::to_string(crash.offset) + ", speed " + std::to_string(crash.speed));
    Place(race, *player, 0, 0, 0);
    Place(race, *rival, 600, crash.offset, 2 * kQuarterTurn);
    Launch(*player, crash.speed);
    Launch(*rival, crash.speed);
    float highest = 0, fastestUp = 0;
    race.afterSubStep = [&](float) {
      for (const Vehicle* car : {player, rival}) {
        highest = std::max(highest, car->position.y);
        fastestUp = std::max(fastestUp, car->velocity.y);
      }
    };
    Frames(2.0f);
    race.afterSubStep = nullptr;
    // One car may ride up the other's bonnet; neither is thrown into the air.
    EXPECT_LT(highest, 150.0f);
    EXPECT_LT(fastestUp, 400.0f);
  }
}

TEST_F(RaceEffects, LockedBrakesStopTheCarOnTheRoadAndSlideItMuchFartherOnTheGrass) {
  race::RaceSession& race = Start();
  Vehicle* player = race.Player();
  ASSERT_NE(player, nullptr);
  for (Vehicle* car : race.Racers()) {
    if (car != player) Place(race, *car, world::Perimeter() / 2, 0, 0);
  }
  // From 28 mph: along the south straight's road, and diagonally across the infield park's grass from its
  // south-west corner, passing north of its pond.
  Vec3 brakeFrom;
  auto stop = [&](bool grass, float& seconds) {
    if (grass) {
      const Vec3 diagonal = platform::Normalize(Vec3{world::kParkHalfX, 0, world::kParkHalfZ});
      player->position = {-world::kParkHalfX + 150, 30, -world::kParkHalfZ + 150};
      player->rotation = platform::Transpose(platform::LookAtLH({}, diagonal, {0, 1, 0}));
      player->Reset(race.World(), nullptr);
    } else {
      Place(race, *player, 0, 0, 0);
    }
    Frames(0.2f);
    Launch(*player, 500);
    const Vec3 from = player->position;
    brakeFrom = from;
    Key(race::kActionBrake, true);
    seconds = 0;
    do {
      Frame();
      seconds += kFrame;
    } while (seconds < 30 && player->speedMph > 1);
    Key(race::kActionBrake, false);
    EXPECT_EQ(player->wheels[0]->surface, grass ? vehicle::kSurfaceGrass : vehicle::kSurfacePave);
    return platform::Length(player->position - from);
  };
  // The strips the locked tyres lay reach the race's own skid marks, where the car slid: rubber on the road, ruts
  // in the grass.
  auto stripsLaid = [&](int style) {
    const Vec3 low = platform::ComponentMin(brakeFrom, player->position) - Vec3{150, 0, 150};
    const Vec3 high = platform::ComponentMax(brakeFrom, player->position) + Vec3{150, 0, 150};
    const auto& strips = race.Scenery().skids->segments;
    return std::count_if(strips.begin(), strips.end(), [&](const auto& strip) {
      const Vec3& at = strip->origin;
      return strip->style == style && at.x > low.x && at.x < high.x && at.z > low.z && at.z < high.z;
    });
  };
  float roadTime = 0, grassTime = 0;
  const float road = stop(false, roadTime);
  EXPECT_GT(stripsLaid(1), 0);
  EXPECT_EQ(stripsLaid(2), 0);
  const float grass = stop(true, grassTime);
  EXPECT_GT(stripsLaid(2), 0);
  EXPECT_LT(roadTime, 3.0f);
  // The grass lets the locked tyres keep most of their speed each second; the car still comes to rest.
  EXPECT_GT(grassTime, 3 * roadTime);
  EXPECT_LT(grassTime, 30.0f);
  EXPECT_GT(grass, 4 * road);
}

TEST_F(RaceEffects, WithoutParticlesTheSameCrashThrowsNoSparks) {
  holder.settings.SetInt(SettingId::PARTICLES, 0);
  race::RaceSession& race = Start();
  ASSERT_NE(race.Player(), nullptr);
  DriveIntoTheOuterWall(race);
  EXPECT_TRUE(Crashed(*race.Player()));
  for (int type = 0; type < render::kParticleTypeCount; ++type) EXPECT_EQ(Particles(type), 0u);
}

TEST_F(RaceEffects, JumpOverTheRampShowsTheAirStuntOnTheHudAndBanksItWithTheSuccessSound) {
  race::RaceSession& race = Start();
  Vehicle* player = race.Player();
  ASSERT_NE(player, nullptr);
  const auto stuntSounds = vehicle::PresentationOf(*player)->Sounds()->stuntSamples;
  // The hardest landing of any wheel, and the camera shake the car gathered in that sub-step.
  int landing = vehicle::kLandingNone;
  float landingShake = 0;
  race.afterSubStep = [&](float) {
    for (auto& wheel : player->wheels) {
      if (wheel->landing <= landing) continue;
      landing = wheel->landing;
      landingShake = player->shake;
    }
  };
  // Out of the last corner onto the straight at 57 mph, the ramp just ahead.
  Place(race, *player, world::RampStart() - 350, 0, 0);
  Launch(*player, 1000);
  Key(race::kActionAccelerate, true);
  std::vector<std::string> lines;  // the first stunt line of the HUD, each time it changes
  int joltsBeforeLanding = 0;
  size_t landingSparks = 0;
  for (int frame = 0; frame < 500 && player->stunts->total == 0; ++frame) {
    const int before = landing;
    if (landing == vehicle::kLandingNone) joltsBeforeLanding = stick->effects.at(vehicle::kJoltEffect).starts;
    Frame();
    race.DrawHud(gfx.device);
    const std::string& line = race.hud->StuntLabel(0).text;
    if (!line.empty() && (lines.empty() || lines.back() != line)) lines.push_back(line);
    // The multiplier counts the awards on show, and names itself from two on.
    uint32_t shown = 0;
    while (shown < race::RaceHud::kStuntLines && !race.hud->StuntLabel(static_cast<int>(shown)).text.empty()) ++shown;
    EXPECT_EQ(race.hud->multiplier, shown);
    EXPECT_EQ(race.hud->MultiplierLabel().text, shown >= 2 ? std::to_string(shown) + "x Multiplier" : "");
    if (before == vehicle::kLandingNone && landing != vehicle::kLandingNone) {
      landingSparks = Particles(vehicle::kParticleSparks);
    }
  }
  // The award counts up on the HUD while the car flies, and the landing does not wipe it.
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines.front().rfind("Air! ", 0), 0u) << lines.front();
  EXPECT_EQ(lines.back().rfind("Air! ", 0), 0u) << lines.back();
  EXPECT_GT(std::stoi(lines.back().substr(5)), std::stoi(lines.front().substr(5)));
  // A heavy landing: sparks under the wheels, a jolt on the controller, the camera shaken.
  EXPECT_EQ(landing, vehicle::kLandingHeavy);
  EXPECT_GT(landingSparks, 0u);
  EXPECT_GT(stick->effects.at(vehicle::kJoltEffect).starts, joltsBeforeLanding);
  EXPECT_GE(landingShake, 5.0f);
  // Two seconds after the landing the chain is banked with the success sound, and the score counts up to it.
  EXPECT_GE(player->stunts->total, std::stoi(lines.back().substr(5)));
  EXPECT_EQ(SoundsOf(std::vector<platform::audio::SampleId>{stuntSounds[vehicle::kStuntSuccessSound]}).size(), 1u);
  Frames(0.5f);
  race.DrawHud(gfx.device);
  EXPECT_EQ(race.hud->ScoreLabel().text, "$" + std::to_string(player->stunts->total));
}

}  // namespace
