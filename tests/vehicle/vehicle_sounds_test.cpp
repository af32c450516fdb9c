// Tests of a car's tyre and crash sounds: every file the tables name is written by the sample content, samples
// are shared and given back, and the rolling and skid loops follow the surface under the wheels.
#include "vehicle/vehicle_sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "contentgen/sounds.h"
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

TEST(VehicleSounds, RollingSoundFollowsTheSurfaceAndFadesOut) {
  FakeSoundSource sounds;
  VehicleSounds car(sounds);
  car.LoadSounds(kFolder);
  for (int i = 0; i < 60; ++i) car.UpdateRollSounds(0.01f, OnSurface(kSurfacePave, 100));
  ASSERT_NE(car.rollChannels[kSurfacePave], -1);
  EXPECT_EQ(sounds.SampleMixer().GetVolume(car.rollChannels[kSurfacePave]), 100) << "speed at full volume";
  // Onto dirt: the dirt loop starts, the pavement loop fades at 500 per second and frees its channel.
  car.UpdateRollSounds(0.1f, OnSurface(kSurfaceDirt, 100));
  EXPECT_NE(car.rollChannels[kSurfaceDirt], -1);
  EXPECT_FLOAT_EQ(car.rollVolumes[kSurfacePave], 50.0f);
  car.UpdateRollSounds(0.1f, OnSurface(kSurfaceDirt, 100));
  EXPECT_EQ(car.rollChannels[kSurfacePave], -1);
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

}  // namespace
}  // namespace vehicle
