// Tests of a car's sounds. Tyres and crashes: every file the tables name is written by the sample content,
// samples are shared and given back, only the player's car is heard near by, the skid loop needs a sliding wheel.
// The engine: which bands play at which engine speed and pitch, idle, a far listener hearing nothing, and the
// turbo and nitrous sounds that only the player's car makes.
#include "vehicle/vehicle_sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "contentgen/sounds.h"
#include "vehicle/engine_sound_mix.h"
#include "vehicle/vehicle_presentation.h"
#include "vehicle_fixture.h"

namespace vehicle {
namespace {

using testing::FakeSoundSource;

const std::string kFolder = "SOUNDS/CARSOUNDS/";

TyreSoundInputs OnSurface(int surface, float speed) {
  TyreSoundInputs car;
  car.isPlayer = true;
  car.speed = speed;
  car.anyOnGround = true;
  car.surfacesTouched[surface] = 1;
  return car;
}

TEST(VehicleSounds, EveryFileTheTablesNameIsWrittenBySampleContent) {
  const std::vector<std::string> written = contentgen::SoundFileNames();
  auto isWritten = [&](const char* name) {
    return name[0] == '\0' ||
           std::find(written.begin(), written.end(), std::string(contentgen::kCarSoundFolder) + name) != written.end();
  };
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    EXPECT_TRUE(isWritten(SurfaceSkidSounds[surface])) << SurfaceSkidSounds[surface];
    EXPECT_TRUE(isWritten(SurfaceRollSounds[surface])) << SurfaceRollSounds[surface];
    EXPECT_TRUE(isWritten(SurfaceHitSounds[surface])) << SurfaceHitSounds[surface];
  }
  for (const char* name : CrashSoundNames) EXPECT_TRUE(isWritten(name)) << name;
}

TEST(VehicleSounds, SecondCarSharesSamplesAndDestructionGivesThemBack) {
  FakeSoundSource sounds;
  {
    VehicleSounds first(sounds);
    first.LoadSounds(kFolder);
    const app::SoundSample paved = sounds.Find(kFolder + "paved.wav");
    ASSERT_NE(paved, 0u);
    const size_t distinct = sounds.names.size();
    {
      VehicleSounds second(sounds);
      second.LoadSounds(kFolder);
      EXPECT_EQ(sounds.names.size(), distinct);
      EXPECT_EQ(sounds.references[paved], 2);
    }
    EXPECT_EQ(sounds.references[paved], 1);
  }
  EXPECT_EQ(sounds.Held(), 0);
}

TEST(VehicleSounds, NoTyreSoundsForComputerCarsFarListenersOrNoDriveGround) {
  TyreSoundInputs computer = OnSurface(kSurfacePave, 300), far = computer, wall = OnSurface(kSurfaceNoDrive, 300);
  computer.isPlayer = false;
  far.listenerDistance = 1000;
  for (TyreSoundInputs* car : {&computer, &far, &wall}) {
    FakeSoundSource sounds;
    VehicleSounds tyres(sounds);
    tyres.LoadSounds(kFolder);
    car->anySkidding = true;
    tyres.UpdateRollSounds(0.01f, *car);
    tyres.UpdateSkidSounds(0.01f, *car);
    EXPECT_EQ(sounds.SampleMixer().GetChannelsPlaying(), 0);
  }
}

TEST(VehicleSounds, SkidLoopNeedsASkiddingWheelAndBadInputsStayInRange) {
  FakeSoundSource sounds;
  VehicleSounds car(sounds);
  car.LoadSounds(kFolder);
  TyreSoundInputs sliding = OnSurface(kSurfaceGrass, 300);
  car.UpdateSkidSounds(0.01f, sliding);
  EXPECT_EQ(car.skidChannels[kSurfaceGrass], -1) << "gripping";
  sliding.anySkidding = true;
  for (int i = 0; i < 100; ++i) car.UpdateSkidSounds(0.01f, sliding);
  EXPECT_FLOAT_EQ(car.skidVolumes[kSurfaceGrass], 150.0f) << "half as loud as the speed";
  sliding.speed = std::numeric_limits<float>::infinity();
  for (int i = 0; i < 100; ++i) car.UpdateSkidSounds(0.01f, sliding);
  EXPECT_FLOAT_EQ(car.skidVolumes[kSurfaceGrass], 255.0f);
  EXPECT_TRUE(car.PlayCrash(1, 200));
  EXPECT_FALSE(car.PlayCrash(6, 200));
  EXPECT_FALSE(car.PlayCrash(-1, 200));
}

// The car's presentation lets the same crash sound again after its second, and gives its samples back.
TEST(VehiclePresentation, SoundsComeFromTheSharedFolderAndTheSoundStepRunsDownCrashCooldowns) {
  testing::FakeSoundSource sounds;
  Vehicle car(nullptr, nullptr, "Tester", false);
  car.folder = "CARS/TEST/";
  ChassisLayout layout;
  for (int i = 0; i < 4; ++i) layout.tyrePositions[i] = {i % 2 == 0 ? -30.0f : 30.0f, 0, i < 2 ? 60.0f : -60.0f};
  car.AssembleChassis(layout);
  PresentationServices services;
  services.sounds = &sounds;
  auto owned = std::make_unique<VehiclePresentation>(car, services);
  VehiclePresentation* presentation = owned.get();
  car.features = std::move(owned);
  presentation->LoadSounds();
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/paved.wav"), 0u);
  EXPECT_NE(sounds.Find("CARS/TEST/../../SOUNDS/CARSOUNDS/crash.wav"), 0u);

  car.listenerDistance = 0;
  car.PlayCrashSound(0);
  const float start = car.crashCooldowns[0];
  ASSERT_GT(start, 0.0f);
  presentation->UpdateSounds(0.25f);
  EXPECT_FLOAT_EQ(car.crashCooldowns[0], start - 0.25f);
  for (int step = 0; step < 4; ++step) presentation->UpdateSounds(0.25f);
  EXPECT_LE(car.crashCooldowns[0], 0.0f);

  car.features.reset();
  EXPECT_EQ(sounds.Held(), 0) << "every sample given back with the car";
}

EngineSoundState Engine(float rpm, float throttle, int gear) {
  EngineSoundState engine;
  engine.engineRpm = engine.targetRpm = rpm;
  engine.minimumRpm = 1000;
  engine.redlineRpm = 7000;
  engine.throttle = throttle;
  engine.gearIndex = gear;
  return engine;
}

class EngineSoundMixTest : public ::testing::Test {
 protected:
  // Runs the mix long enough for every level to settle.
  void Settle(EngineSoundState engine, float distance = 0) {
    for (int i = 0; i < 100; ++i) mix.UpdateSound(0.01f, distance, false, engine);
  }
  bool Playing(int slot) const { return mix.GetSlot(slot).channel != -1; }

  FakeSoundSource sounds;
  EngineSoundMix mix{sounds};
};

TEST_F(EngineSoundMixTest, BandsIdleAndPitchFollowTheEngineSpeedUntilTheListenerIsFar) {
  struct Case {
    const char* label;
    float rpm, throttle;
    int gear;
    bool a, b, c, d, idle;
    int frequency;  // throttle × 1000 × gear + 7 × (rpm − minimum) + 22000
  } const cases[] = {
      {"minimum speed", 1000, 1, 2, true, false, false, false, true, 24000},
      {"between the second and third bands", 4000, 1, 3, false, true, true, false, false, 25000 + 7 * 3000},
      {"redline", 7000, 0.5f, 4, false, false, false, true, false, 2000 + 7 * 6000 + 22000},
  };
  mix.LoadSounds("E/");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Settle(Engine(c.rpm, c.throttle, c.gear));
    EXPECT_EQ(Playing(kBandSlotA), c.a);
    EXPECT_EQ(Playing(kBandSlotB), c.b);
    EXPECT_EQ(Playing(kBandSlotC), c.c);
    EXPECT_EQ(Playing(kBandSlotD), c.d);
    EXPECT_EQ(Playing(kIdleSlot), c.idle);
    EXPECT_EQ(mix.LastFrequency(), c.frequency);
  }
  EXPECT_FLOAT_EQ(mix.GetSlot(kBandSlotD).level, 0.5f * 0.4f + 0.6f) << "half throttle at the redline";
  Settle(Engine(1000, 1, 2));
  EXPECT_EQ(sounds.SampleMixer().GetVolume(mix.GetSlot(kBandSlotA).channel),
            static_cast<int>((1000.0f / 7000.0f * 0.5f + 0.5f) * 255.0f));
  Settle(Engine(1000, 1, 2), 1000);
  EXPECT_EQ(sounds.SampleMixer().GetChannelsPlaying(), 0) << "a far listener's channels are released";
}

TEST_F(EngineSoundMixTest, TurboAndNitrousSoundForThePlayerOnlyWithTheirOneShots) {
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(3000, 1.0f, 3);
  engine.boost = 0.8f;
  engine.turboBoostEvent = true;
  mix.UpdateSound(0.01f, 0, false, engine);
  EXPECT_FALSE(Playing(kTurboSlot)) << "a computer car has no turbo whistle";
  EXPECT_FALSE(engine.turboBoostEvent) << "the event is cleared for every car";

  engine.turboBoostEvent = true;
  mix.UpdateSound(0.01f, 0, true, engine);
  ASSERT_TRUE(Playing(kTurboSlot));
  EXPECT_EQ(sounds.SampleMixer().GetVolume(mix.GetSlot(kTurboSlot).channel), static_cast<int>(0.8f * 255.0f));
  const int engageChannel = mix.GetSlot(kTurboEngageSlot).channel;
  engine.turboBoostEvent = true;
  mix.UpdateSound(0.5f, 0, true, engine);
  EXPECT_EQ(mix.GetSlot(kTurboEngageSlot).channel, engageChannel) << "within the lock-out: nothing new";
  engine.boost = 0.3f;
  mix.UpdateSound(0.01f, 0, true, engine);
  EXPECT_FALSE(Playing(kTurboSlot));
  EXPECT_TRUE(Playing(kTurboDisengageSlot));

  engine.nitrousActive = engine.nitrousEngageEvent = true;
  mix.UpdateSound(0.01f, 0, true, engine);
  ASSERT_TRUE(Playing(kNitroSlot));
  EXPECT_TRUE(Playing(kNitroEngageSlot));
  mix.UpdateSound(0.01f, 1000, true, engine);
  EXPECT_FALSE(Playing(kNitroSlot));
  EXPECT_FALSE(Playing(kNitroDisengageSlot)) << "out of earshot the loop stops without a disengage";
  mix.UpdateSound(0.01f, 0, true, engine);
  engine.nitrousActive = false;
  mix.UpdateSound(0.01f, 0, true, engine);
  EXPECT_FALSE(Playing(kNitroSlot));
  EXPECT_TRUE(Playing(kNitroDisengageSlot));
}

}  // namespace
}  // namespace vehicle
