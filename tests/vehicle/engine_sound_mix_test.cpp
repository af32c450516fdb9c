// Tests of the engine sound mix: band weights and pitch from engine speed, gear and throttle, distance fade,
// idle, and the player's turbo and nitrous sounds with their one-shots.
#include "vehicle/engine_sound_mix.h"

#include <gtest/gtest.h>


#include "vehicle/fake_sound_source.h"

namespace vehicle {
namespace {

using testing::FakeSoundSource;

EngineSoundState Engine(float rpm, float throttle, int gear) {
  EngineSoundState engine;
  engine.engineRpm = rpm;
  engine.targetRpm = rpm;
  engine.minimumRpm = 1000;
  engine.redlineRpm = 7000;
  engine.throttle = throttle;
  engine.gearIndex = gear;
  return engine;
}

// Runs the mix long enough for every level to settle.
void Settle(EngineSoundMix& mix, EngineSoundState& engine, float distance = 0, bool player = false) {
  for (int i = 0; i < 100; ++i) mix.UpdateSound(0.01f, distance, player, engine);
}

int VolumeOf(FakeSoundSource& sounds, const EngineSoundMix& mix, int slot) {
  const int channel = mix.GetSlot(slot).channel;
  return channel == -1 ? -1 : sounds.SampleMixer().GetVolume(channel);
}

TEST(EngineSoundMix, MinimumSpeedPlaysTheFirstBandOnly) {
  FakeSoundSource sounds;
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(1000, 1.0f, 2);

  Settle(mix, engine);
  // Band 1 is halved below its centre (3.75 away): full weight times the throttle factor 1.0.
  EXPECT_FLOAT_EQ(mix.GetSlot(kBandSlotA).level, 1.0f);
  const float vol = 1000.0f / 7000.0f * 0.5f + 0.5f;
  EXPECT_EQ(VolumeOf(sounds, mix, kBandSlotA), static_cast<int>(vol * 1.0f * 255.0f));
  EXPECT_EQ(mix.GetSlot(kBandSlotB).channel, -1) << "22.5 away: faded and released";
  EXPECT_EQ(sounds.SampleMixer().GetFrequency(mix.GetSlot(kBandSlotA).channel), 24000);
  // Idle plays in first gear close to the minimum speed.
  EXPECT_FLOAT_EQ(mix.GetSlot(kIdleSlot).level, 1.0f);
  EXPECT_EQ(VolumeOf(sounds, mix, kIdleSlot), 255);
}

TEST(EngineSoundMix, RedlineHoldsTheTopBandAndPitchFollowsGearAndThrottle) {
  FakeSoundSource sounds;
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(7000, 0.5f, 4);
  Settle(mix, engine);
  EXPECT_FLOAT_EQ(mix.GetSlot(kBandSlotD).level, 0.5f * 0.4f + 0.6f);
  EXPECT_EQ(mix.GetSlot(kBandSlotA).channel, -1);
  EXPECT_EQ(mix.LastFrequency(), static_cast<int>(0.5f * 1000 * 4 + 7 * 6000 + 22000));
  EXPECT_EQ(mix.GetSlot(kIdleSlot).channel, -1) << "no idle at the redline";

  // Between bands: v = 30 lies 7.5 from band 2 and band 3, both at full weight.
  engine = Engine(1000 + 6000 * 0.5f, 1.0f, 3);
  Settle(mix, engine);
  EXPECT_FLOAT_EQ(mix.GetSlot(kBandSlotB).level, 1.0f);
  EXPECT_FLOAT_EQ(mix.GetSlot(kBandSlotC).level, 1.0f);
  // v = 45: 22.5 past band 2, which fades; band 4 at 7.5 still full.
  engine = Engine(1000 + 6000 * 0.75f, 1.0f, 3);
  Settle(mix, engine);
  EXPECT_EQ(mix.GetSlot(kBandSlotB).channel, -1);
  EXPECT_FLOAT_EQ(mix.GetSlot(kBandSlotD).level, 1.0f);
}

TEST(EngineSoundMix, FarListenerHearsNothingAndChannelsAreReleased) {
  FakeSoundSource sounds;
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(1000, 1.0f, 2);
  Settle(mix, engine);
  ASSERT_NE(mix.GetSlot(kBandSlotA).channel, -1);
  Settle(mix, engine, 1000);
  for (int slot = 0; slot < kEngineSoundSlotCount; ++slot) EXPECT_EQ(mix.GetSlot(slot).channel, -1) << slot;
  EXPECT_EQ(sounds.SampleMixer().GetChannelsPlaying(), 0);
}

TEST(EngineSoundMix, MissingSampleOrNoFreeChannelLeavesTheSlotSilent) {
  FakeSoundSource sounds(1);
  sounds.missing.insert("E/idle.wav");
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EXPECT_EQ(mix.GetSlot(kIdleSlot).sample, 0u);
  EngineSoundState engine = Engine(1000, 1.0f, 2);
  Settle(mix, engine);
  EXPECT_EQ(mix.GetSlot(kIdleSlot).channel, -1);
  EXPECT_NE(mix.GetSlot(kBandSlotA).channel, -1);
}

TEST(EngineSoundMix, TurboWhistleAndOneShotsForThePlayerOnly) {
  FakeSoundSource sounds;
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(3000, 1.0f, 3);
  engine.boost = 0.8f;
  engine.turboBoostEvent = true;

  mix.UpdateSound(0.01f, 0, false, engine);
  EXPECT_EQ(mix.GetSlot(kTurboSlot).channel, -1) << "a computer car has no turbo whistle";
  EXPECT_FALSE(engine.turboBoostEvent) << "the event is cleared for every car";

  engine.turboBoostEvent = true;
  mix.UpdateSound(0.01f, 0, true, engine);
  ASSERT_NE(mix.GetSlot(kTurboSlot).channel, -1);
  EXPECT_EQ(VolumeOf(sounds, mix, kTurboSlot), static_cast<int>(0.8f * 255.0f));
  const int engageChannel = mix.GetSlot(kTurboEngageSlot).channel;
  engine.turboBoostEvent = true;
  mix.UpdateSound(0.5f, 0, true, engine);
  EXPECT_EQ(mix.GetSlot(kTurboEngageSlot).channel, engageChannel) << "within the lock-out: nothing new";

  // Boost below one half stops the whistle and plays the disengage once.
  engine.boost = 0.3f;
  mix.UpdateSound(0.01f, 0, true, engine);
  EXPECT_EQ(mix.GetSlot(kTurboSlot).channel, -1);
  EXPECT_NE(mix.GetSlot(kTurboDisengageSlot).channel, -1);
}

TEST(EngineSoundMix, NitrousDisengagePlaysOnlyWhenNitrousIsReleased) {
  FakeSoundSource sounds;
  EngineSoundMix mix(sounds);
  mix.LoadSounds("E/");
  EngineSoundState engine = Engine(3000, 1.0f, 3);
  engine.nitrousActive = true;
  engine.nitrousEngageEvent = true;
  mix.UpdateSound(0.01f, 0, true, engine);
  ASSERT_NE(mix.GetSlot(kNitroSlot).channel, -1);
  EXPECT_NE(mix.GetSlot(kNitroEngageSlot).channel, -1);
  EXPECT_FALSE(engine.nitrousEngageEvent);

  // Still active but out of earshot: the loop stops without a disengage.
  mix.UpdateSound(0.01f, 1000, true, engine);
  EXPECT_EQ(mix.GetSlot(kNitroSlot).channel, -1);
  EXPECT_EQ(mix.GetSlot(kNitroDisengageSlot).channel, -1);

  mix.UpdateSound(0.01f, 0, true, engine);
  ASSERT_NE(mix.GetSlot(kNitroSlot).channel, -1);
  engine.nitrousActive = false;
  mix.UpdateSound(0.01f, 0, true, engine);
  EXPECT_EQ(mix.GetSlot(kNitroSlot).channel, -1);
  EXPECT_NE(mix.GetSlot(kNitroDisengageSlot).channel, -1);
}

}  // namespace
}  // namespace vehicle
