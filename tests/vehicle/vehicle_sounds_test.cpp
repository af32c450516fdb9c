// Tests of a car's tyre and crash sounds: the surface tables, shared loading, and the rolling and skid loops
// that switch with the surface under the wheels and fade with distance.
#include "vehicle/vehicle_sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "contentgen/sounds.h"
#include "vehicle/fake_sound_source.h"

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

TEST(VehicleSounds, SurfaceTablesNameTheSharedFiles) {
  EXPECT_STREQ(SurfaceRollSounds[kSurfaceCobble], "wood.wav");
  EXPECT_STREQ(SurfaceSkidSounds[kSurfaceCobble], "skidpavement.wav");
  for (int surface : {kSurfaceNoDrive, kSurfaceVehicle}) {
    EXPECT_STREQ(SurfaceRollSounds[surface], "");
    EXPECT_STREQ(SurfaceSkidSounds[surface], "");
  }
  for (int surface = 0; surface < kSurfaceCount; ++surface) {
    EXPECT_EQ(SurfaceHitSounds[surface][0] != '\0', surface == kSurfaceElectric) << surface;
  }
  // Every file a table names is written by the sample content.
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
    EXPECT_TRUE(sounds.loops[paved]);
    EXPECT_FALSE(sounds.loops[sounds.Find(kFolder + "hitelectric.wav")]);
    EXPECT_FALSE(sounds.loops[sounds.Find(kFolder + "crash.wav")]);
    const int distinct = static_cast<int>(sounds.names.size());
    {
      VehicleSounds second(sounds);
      second.LoadSounds(kFolder);
      EXPECT_EQ(static_cast<int>(sounds.names.size()), distinct);
      EXPECT_EQ(sounds.references[paved], 2);
      // "wood.wav" serves WOOD and COBBLE: one reference per table entry.
      EXPECT_EQ(sounds.references[sounds.Find(kFolder + "wood.wav")], 4);
    }
    EXPECT_EQ(sounds.references[paved], 1);
  }
  EXPECT_EQ(sounds.Held(), 0);
}

TEST(VehicleSounds, RollingSoundFollowsTheSurfaceAndFadesOut) {
  FakeSoundSource sounds;
  VehicleSounds car(sounds);
  car.LoadSounds(kFolder);
  auto& mixer = sounds.SampleMixer();

  TyreSoundInputs onPave = OnSurface(kSurfacePave, 100);
  car.UpdateRollSounds(0.01f, onPave);
  ASSERT_NE(car.rollChannels[kSurfacePave], -1);
  EXPECT_EQ(car.rollVolumes[kSurfacePave], 0.0f) << "a loop starts from silence";
  car.UpdateRollSounds(0.01f, onPave);
  EXPECT_FLOAT_EQ(car.rollVolumes[kSurfacePave], 5.0f);
  for (int i = 0; i < 50; ++i) car.UpdateRollSounds(0.01f, onPave);
  EXPECT_FLOAT_EQ(car.rollVolumes[kSurfacePave], 100.0f) << "target = speed at full volume";
  EXPECT_EQ(mixer.GetVolume(car.rollChannels[kSurfacePave]), 100);

  // Onto dirt: the dirt loop starts, the pavement loop fades at 500 per second and frees its channel.
  TyreSoundInputs onDirt = OnSurface(kSurfaceDirt, 100);
  car.UpdateRollSounds(0.1f, onDirt);
  EXPECT_NE(car.rollChannels[kSurfaceDirt], -1);
  EXPECT_FLOAT_EQ(car.rollVolumes[kSurfacePave], 50.0f);
  EXPECT_NE(car.rollChannels[kSurfacePave], -1);
  car.UpdateRollSounds(0.1f, onDirt);
  EXPECT_EQ(car.rollChannels[kSurfacePave], -1);
  EXPECT_EQ(car.rollVolumes[kSurfacePave], 0.0f);

  // No wheel sounds at all on NODRIVE.
  car.StopSounds();
  car.UpdateRollSounds(0.01f, OnSurface(kSurfaceNoDrive, 100));
  car.UpdateSkidSounds(0.01f, OnSurface(kSurfaceNoDrive, 100));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 0);
}

TEST(VehicleSounds, LandingOnElectricPlaysItsHitOnce) {
  FakeSoundSource sounds;
  VehicleSounds car(sounds);
  car.LoadSounds(kFolder);
  auto& mixer = sounds.SampleMixer();
  car.UpdateRollSounds(0.01f, OnSurface(kSurfaceElectric, 200));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 2) << "rolling loop plus the hit";
  car.UpdateRollSounds(0.01f, OnSurface(kSurfaceElectric, 200));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 2) << "no second hit while rolling";
}

TEST(VehicleSounds, ComputerCarsAndFarListenersHearNoTyres) {
  FakeSoundSource sounds;
  VehicleSounds car(sounds);
  car.LoadSounds(kFolder);
  TyreSoundInputs computer = OnSurface(kSurfacePave, 300);
  computer.isPlayer = false;
  computer.anySkidding = true;
  car.UpdateRollSounds(0.01f, computer);
  car.UpdateSkidSounds(0.01f, computer);
  EXPECT_EQ(sounds.SampleMixer().GetChannelsPlaying(), 0);

  TyreSoundInputs far = OnSurface(kSurfacePave, 300);
  far.anySkidding = true;
  far.listenerDistance = 1000;
  EXPECT_FLOAT_EQ(TyreAttenuation(1000, 1.1f, 0.1f), 1.0f);
  EXPECT_FLOAT_EQ(TyreAttenuation(1000, 1.25f, 0.25f), 1.0f);
  car.UpdateRollSounds(0.01f, far);
  car.UpdateSkidSounds(0.01f, far);
  EXPECT_EQ(sounds.SampleMixer().GetChannelsPlaying(), 0);
}

TEST(VehicleSounds, SkidLoopNeedsASkiddingWheelAndIsHalfAsLoud) {
  FakeSoundSource sounds;
  VehicleSounds car(sounds);
  car.LoadSounds(kFolder);
  TyreSoundInputs gripping = OnSurface(kSurfaceGrass, 300);
  car.UpdateSkidSounds(0.01f, gripping);
  EXPECT_EQ(car.skidChannels[kSurfaceGrass], -1);

  TyreSoundInputs sliding = gripping;
  sliding.anySkidding = true;
  for (int i = 0; i < 100; ++i) car.UpdateSkidSounds(0.01f, sliding);
  ASSERT_NE(car.skidChannels[kSurfaceGrass], -1);
  EXPECT_FLOAT_EQ(car.skidVolumes[kSurfaceGrass], 150.0f);
  // A speed that is not a number plays at full volume rather than poisoning the mixer.
  sliding.speed = std::numeric_limits<float>::infinity();
  for (int i = 0; i < 100; ++i) car.UpdateSkidSounds(0.01f, sliding);
  EXPECT_FLOAT_EQ(car.skidVolumes[kSurfaceGrass], 255.0f);

  EXPECT_TRUE(car.PlayCrash(1, 200));
  EXPECT_FALSE(car.PlayCrash(6, 200));
  EXPECT_FALSE(car.PlayCrash(-1, 200));
}

}  // namespace
}  // namespace vehicle
