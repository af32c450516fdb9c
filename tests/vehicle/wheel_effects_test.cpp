// Tests of a wheel's feedback: impact sounds for the player's wheels with their lock-out, controller jolts, and
// skid-mark strips that follow the surface under a sliding tyre.
#include "vehicle/wheel_effects.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/skidmark_manager.h"
#include "vehicle/fake_force_feedback.h"
#include "vehicle/fake_sound_source.h"
#include "vehicle/null_device_fixture.h"

namespace vehicle {
namespace {

using testing::FakeSoundSource;
using testing::NullDeviceFixture;
using testing::RecordingForceFeedback;
using platform::Vec3;

WheelContact Sliding(int surface, float mountX = -30) {
  WheelContact wheel;
  wheel.skidding = true;
  wheel.onGround = true;
  wheel.surface = surface;
  wheel.position = {100, 12, 50};
  wheel.mountX = mountX;
  wheel.width = 8;
  wheel.radius = 12;
  wheel.orientation = platform::IdentityMatrix();
  return wheel;
}

TEST(WheelEffects, OnlyThePlayersWheelsSoundAndEachSoundLocksOutForASecond) {
  FakeSoundSource sounds;
  WheelEffects wheel(sounds);
  wheel.LoadSounds("SOUNDS/CARSOUNDS/");
  auto& mixer = sounds.SampleMixer();

  EXPECT_FALSE(wheel.PlaySound(1)) << "a computer car's wheel is silent";
  wheel.audible = true;
  ASSERT_TRUE(wheel.PlaySound(1));
  EXPECT_EQ(mixer.GetChannelsPlaying(), 1);
  EXPECT_FLOAT_EQ(wheel.timers[1], 1.0f);
  EXPECT_FALSE(wheel.PlaySound(1)) << "locked out";
  EXPECT_TRUE(wheel.PlaySound(0)) << "each sound has its own lock-out";
  EXPECT_EQ(ImpactSoundFor(-30), -1) << "too soft to hear";
  wheel.UpdateSoundTimers(0.6f);
  wheel.UpdateSoundTimers(0.6f);
  EXPECT_TRUE(wheel.PlaySound(1));

  // Far away: nothing plays and the lock-out is not taken.
  WheelEffects far(sounds);
  far.LoadSounds("SOUNDS/CARSOUNDS/");
  far.audible = true;
  far.listenerDistance = 995;
  EXPECT_FALSE(far.PlaySound(2));
  EXPECT_EQ(far.timers[2], 0.0f);
  EXPECT_FALSE(far.PlaySound(3));
}

TEST(WheelEffects, ImpactsGiveWayWhenTheMixerIsBusy) {
  FakeSoundSource sounds;
  WheelEffects wheel(sounds);
  wheel.LoadSounds("S/");
  wheel.audible = true;
  auto& mixer = sounds.SampleMixer();
  const app::SoundSample loop = sounds.AcquireSample("busy.wav", true);
  int last = -1;
  for (int i = 0; i < 17; ++i) last = mixer.PlaySound(platform::audio::kFreeChannel, loop);
  EXPECT_FALSE(wheel.PlaySound(0));
  mixer.StopSound(last);
  EXPECT_TRUE(wheel.PlaySound(0)) << "16 playing is still allowed";
}

TEST(WheelEffects, JoltIsCappedAndNeedsAController) {
  FakeSoundSource sounds;
  WheelEffects wheel(sounds);
  RecordingForceFeedback controller;
  wheel.forceFeedback = &controller;
  wheel.ForceFeedbackJolt(20000);
  EXPECT_TRUE(controller.IsPlaying(kJoltEffect));
  EXPECT_EQ(controller.lastIterations[kJoltEffect], 1);
  EXPECT_EQ(controller.gains[kJoltEffect], 10000);
  wheel.ForceFeedbackJolt(1234.9f);
  EXPECT_EQ(controller.gains[kJoltEffect], 1234);
}

TEST(WheelEffects, MarkLiesAtTheOuterEdgeOfTheContactPatch) {
  // Left, right and centre-line wheels: a centre-line wheel marks under its middle.
  for (const auto& [mountX, x] : {std::pair{-30.0f, 96.0f}, {30.0f, 104.0f}, {0.0f, 100.0f}}) {
    EXPECT_EQ(SkidMarkPoint(Sliding(kSurfacePave, mountX)), (Vec3{x, 0, 50})) << mountX;
  }
}

TEST(WheelEffects, SkidStripFollowsTheSurfaceUnderTheTyre) {
  NullDeviceFixture fixture;
  FakeSoundSource sounds;
  render::SkidmarkManager marks;
  WheelEffects wheel(sounds);

  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  ASSERT_NE(wheel.skidSegment, nullptr);
  render::SkidmarkSegment* pavement = wheel.skidSegment;
  EXPECT_EQ(pavement->style, 1);
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, pavement) << "the same strip grows";

  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfaceDirt), 0.01f);
  EXPECT_FALSE(pavement->open);
  ASSERT_NE(wheel.skidSegment, nullptr);
  EXPECT_EQ(wheel.skidSegment->style, 2);
  render::SkidmarkSegment* dirt = wheel.skidSegment;

  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfaceWater), 0.01f);
  EXPECT_FALSE(dirt->open);
  EXPECT_EQ(wheel.skidSegment, nullptr) << "water leaves no mark";
  EXPECT_EQ(marks.count, 2u);

  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfaceGrass), 0.01f);
  ASSERT_NE(wheel.skidSegment, nullptr);
  WheelContact gripping = Sliding(kSurfaceGrass);
  gripping.skidding = false;
  render::SkidmarkSegment* grass = wheel.skidSegment;
  wheel.UpdateSkidmark(fixture.device, &marks, gripping, 0.01f);
  EXPECT_FALSE(grass->open);
  EXPECT_EQ(wheel.skidSegment, nullptr);
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(99), 0.01f);
  ASSERT_NE(wheel.skidSegment, nullptr);
  EXPECT_EQ(wheel.skidSegment->style, 1) << "a surface id beyond the table counts as pavement";
}

TEST(WheelEffects, FullManagerLeavesTheWheelWithoutAStripUntilRoomIsMade) {
  NullDeviceFixture fixture;
  FakeSoundSource sounds;
  render::SkidmarkManager marks;
  marks.capacity = 0;
  WheelEffects wheel(sounds);
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr);
  marks.capacity = 10;
  wheel.UpdateSkidmark(fixture.device, &marks, Sliding(kSurfacePave), 0.01f);
  EXPECT_NE(wheel.skidSegment, nullptr) << "tried again the next frame";
  wheel.UpdateSkidmark(fixture.device, nullptr, Sliding(kSurfacePave), 0.01f);
  EXPECT_EQ(wheel.skidSegment, nullptr) << "no manager, no marks";
}

}  // namespace
}  // namespace vehicle
