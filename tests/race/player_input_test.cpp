// Tests of the race keys and the player's keyboard controls, alone and through the race session.
#include "race/player_input.h"

#include <gtest/gtest.h>

#include "platform/window_system.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "race_test_support.h"

namespace {

void Down(app::KeyboardState& keys, uintptr_t key) { keys.HandleKeyMessage(platform::wm::kKeyDown, key); }
uintptr_t KeyOf(const app::Settings& settings, int action) { return static_cast<uintptr_t>(settings.GetKey(action)); }

TEST(RaceKeys, EscPausesOnlyWhileRacingAndOtherwiseFallsThrough) {
  app::KeyboardState keys;
  Down(keys, race::kKeyPause);
  EXPECT_EQ(race::ReadRaceKey(keys, true), race::RaceKey::kPause);
  EXPECT_EQ(race::ReadRaceKey(keys, false), race::RaceKey::kNone);
  Down(keys, race::kKeyFullScreen);
  EXPECT_EQ(race::ReadRaceKey(keys, false), race::RaceKey::kFullScreen);
  app::KeyboardState f5;
  Down(f5, race::kKeyReloadCurves);
  EXPECT_EQ(race::ReadRaceKey(f5, true), race::RaceKey::kReloadCurves);
}

TEST(KeyboardControls, BoundKeysDriveAndBothSteeringKeysCancel) {
  race_test::SettingsHolder holder;
  const app::Settings& settings = holder.settings;
  app::KeyboardState keys;
  EXPECT_FLOAT_EQ(race::ReadKeyboardControls(keys, settings).throttle, 0);
  Down(keys, KeyOf(settings, race::kActionAccelerate));
  Down(keys, KeyOf(settings, race::kActionLeft));
  race::PlayerControls controls = race::ReadKeyboardControls(keys, settings);
  EXPECT_FLOAT_EQ(controls.throttle, 1.0f);
  EXPECT_FLOAT_EQ(controls.brake, 0);
  EXPECT_FLOAT_EQ(controls.steering, -1.0f);
  Down(keys, KeyOf(settings, race::kActionRight));
  EXPECT_FLOAT_EQ(race::ReadKeyboardControls(keys, settings).steering, 0);
}

TEST(KeyboardControls, ShiftUpWinsAndPressesLastOneFrame) {
  race_test::SettingsHolder holder;
  const app::Settings& settings = holder.settings;
  app::KeyboardState keys;
  Down(keys, KeyOf(settings, race::kActionShiftUp));
  Down(keys, KeyOf(settings, race::kActionShiftDown));
  race::PlayerControls controls = race::ReadKeyboardControls(keys, settings);
  EXPECT_TRUE(controls.shiftUp);
  EXPECT_FALSE(controls.shiftDown);
  keys.ClearKeyPresses();
  controls = race::ReadKeyboardControls(keys, settings);
  EXPECT_FALSE(controls.shiftUp);
  EXPECT_FALSE(controls.shiftDown);
}

class SessionInput : public ::testing::Test {
 protected:
  SessionInput()
      : definition(0, "Test", "TRACKS/CITY/city.scn", nullptr, race::kModeQuick, race::kRaceLap, 3, 0, 1, false),
        session(nullptr, &definition, false) {
    session.settings = &holder.settings;
  }
  race_test::SettingsHolder holder;
  race::RaceDefinition definition;
  race::RaceSession session;
  app::ScreenFlow flow;
};

TEST_F(SessionInput, EscWhileRacingAsksForThePauseScreen) {
  flow.state = app::game_state::kRacing;
  session.ForwardInput(platform::wm::kKeyDown, race::kKeyPause);
  session.HandlePlayerInput(flow);
  ASSERT_EQ(flow.QueuedCount(), 1u);
  EXPECT_EQ(flow.FrontState(), app::game_state::kOpenPauseMenu);
  EXPECT_EQ(flow.FrontScreen(), race::kRacePauseKind);
  // The press is used up.
  session.HandlePlayerInput(flow);
  EXPECT_EQ(flow.QueuedCount(), 1u);
}

TEST_F(SessionInput, FullScreenKeyTogglesTheSettingAndPausesOnlyWhileRacing) {
  flow.state = app::game_state::kCountdown;
  const int before = holder.settings.GetInt(app::SettingId::FULLSCREEN);
  session.ForwardInput(platform::wm::kKeyDown, race::kKeyPause);  // Esc outside racing falls through to 'F'
  session.ForwardInput(platform::wm::kKeyDown, race::kKeyFullScreen);
  session.HandlePlayerInput(flow);
  EXPECT_EQ(holder.settings.GetInt(app::SettingId::FULLSCREEN), before == 0 ? 1 : 0);
  EXPECT_TRUE(flow.IsQueueEmpty());
  flow.state = app::game_state::kRacing;
  session.ForwardInput(platform::wm::kKeyUp, race::kKeyFullScreen);
  session.ForwardInput(platform::wm::kKeyDown, race::kKeyFullScreen);
  session.HandlePlayerInput(flow);
  EXPECT_EQ(holder.settings.GetInt(app::SettingId::FULLSCREEN), before);
  EXPECT_EQ(flow.FrontState(), app::game_state::kOpenPauseMenu);
}

}  // namespace
