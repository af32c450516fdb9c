// Tests of the race keys through the race session, by game state.
#include "race/player_input.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/window_system.h"
#include "race/race_definition.h"
#include "race/race_session.h"
#include "race_test_support.h"

namespace {

namespace gs = app::game_state;

// Esc asks for the pause menu only while racing, once a press; the full-screen key toggles the setting in any
// state and pauses a race.
TEST(RaceKeys, EscPausesOnlyWhileRacingAndFullScreenTogglesInAnyState) {
  const struct {
    app::GameState state;
    uintptr_t key;
    bool toggles, pauses;
  } cases[] = {{gs::kCountdown, race::kKeyPause, false, false},
               {gs::kCountdown, race::kKeyFullScreen, true, false},
               {gs::kRacing, race::kKeyPause, false, true},
               {gs::kRacing, race::kKeyFullScreen, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.state) + " " + std::to_string(c.key));
    race_test::SettingsHolder holder;
    race::RaceDefinition definition(0, "Test", "", nullptr, race::kModeQuick, race::kRaceLap, 3, 0, 1, false);
    race::RaceSession session(nullptr, &definition, false);
    session.settings = &holder.settings;
    app::ScreenFlow flow;
    flow.state = c.state;
    const int before = holder.settings.GetInt(app::SettingId::FULLSCREEN);
    session.ForwardInput(platform::wm::kKeyDown, c.key);
    session.HandlePlayerInput(flow);
    session.HandlePlayerInput(flow);
    EXPECT_EQ(holder.settings.GetInt(app::SettingId::FULLSCREEN) != before, c.toggles);
    EXPECT_EQ(flow.QueuedCount(), c.pauses ? 1u : 0u);
    if (c.pauses) {
      EXPECT_EQ(flow.FrontState(), gs::kOpenPauseMenu);
      EXPECT_EQ(flow.FrontScreen(), race::kRacePauseKind);
    }
  }
}

}  // namespace
