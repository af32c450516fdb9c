// Tests of the engine sound mix: which bands play at which engine speed and pitch, idle, a far listener hearing
// nothing, a missing sample, and the turbo and nitrous sounds that only the player's car makes.
#include "vehicle/engine_sound_mix.h"

#include <gtest/gtest.h>

#include "vehicle_fixture.h"

namespace vehicle {
namespace {

using testing::FakeSoundSource;

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

TEST(EngineSoundMix, MissingSampleOrNoFreeChannelLeavesTheSlotSilent) {
  FakeSoundSource sounds(1);
  sounds.missing.insert("E/idle.wav");
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(1000, 1.0f, 2);
  for (int i = 0; i < 100; ++i) mix.UpdateSound(0.01f, 0, false, engine);
  EXPECT_EQ(mix.GetSlot(kIdleSlot).channel, -1);
  EXPECT_NE(mix.GetSlot(kBandSlotA).channel, -1);
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
