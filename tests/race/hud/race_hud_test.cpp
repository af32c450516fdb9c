// Tests of the race HUD: race-time text, position rows, lap text, the countdown, the result line and what it gives
// back when destroyed.
#include "race/hud/race_hud.h"

#include <string>
#include <vector>

#include "geometry/path.h"
#include "../race_test_support.h"

namespace race {
namespace {

using race_test::HudFixture;
using Texts = std::vector<std::string>;

HudRacerView Racer(const std::string& name, int32_t position, bool player = false) {
  HudRacerView view;
  view.driverName = name;
  view.racePosition = position;
  view.isPlayer = player;
  return view;
}

TEST(HudTexts, RaceTimesCapAtTheLargestTextAndResultLinesFollowTypeAndPlace) {
  const std::pair<float, const char*> times[] = {{0.0f, "00:00'00"},     {83.456f, "01:23'45"}, {59.999f, "00:59'99"},
                                                 {5999.99f, "99:59'99"}, {6000.0f, "99:99'99"}, {1e12f, "99:99'99"},
                                                 {-3.0f, "00:00'00"}};
  for (const auto& [seconds, text] : times) EXPECT_EQ(FormatRaceTime(seconds), text) << seconds;
  const struct {
    uint32_t type, place;
    const char* text;
  } results[] = {{kRaceLap, 5, "You Placed 5th"},          {kRaceKnockout, 1, "You Won!"},
                 {kRaceKnockout, 2, "You Were Knocked Out!"}, {kRaceTimeTrial, 4, "You Did Not Place"},
                 {kRaceTimeTrial, 1, "You Placed 1st"},     {kRaceChicken, 3, "You Placed 3rd"},
                 {kRaceChicken, 7, "You Did Not Place"}};
  for (const auto& c : results) EXPECT_EQ(RaceHud::ResultText(c.type, c.place), c.text) << c.type << " " << c.place;
}

TEST_F(HudFixture, DestructionGivesBackEveryPictureFontAndSound) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  geometry::Path path("AIPATH", true, platform::Vec3{});
  for (const platform::Vec3& point : {platform::Vec3{0, 0, 0}, {100, 0, 0}, {100, 0, 100}}) path.AddPoint(point);
  hud.CreateMinimap(device_, path);
  app::ScreenFlow flow;
  hud.StartCountdown(flow);
  for (int frame = 0; frame < 30; ++frame) hud.Tick(flow, 0.05f);  // "3" shown, owned by the HUD
  hud.tallyTarget = 500;
  hud.UpdateTally(0.1f);  // the tally sound is playing
  EXPECT_GT(resources_->Count(render::ResourceKind::kImage), 0u);
  hud_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

TEST_F(HudFixture, RowsFollowRacePositionsAndTheLapTextStaysWithinTheLaps) {
  const RaceDefinition definition = Definition(kRaceLap, 3);
  RaceHud& hud = MakeHud(definition);
  hud.Update({Racer("Ann", 2), Racer("Me", 1, true), Racer("Bob", 0)});
  hud.UpdateTexts();
  EXPECT_EQ((Texts{hud.RowLabel(0).text, hud.RowLabel(1).text, hud.RowLabel(2).text}), (Texts{"Me", "Ann", "----"}));
  EXPECT_TRUE(hud.RowLabel(0).highlight);
  EXPECT_FALSE(hud.RowLabel(1).highlight);
  std::vector<HudRacerView> eight;
  for (int i = 1; i <= 8; ++i) eight.push_back(Racer("R" + std::to_string(i), i, i == 8));
  hud.Update(eight);
  hud.UpdateTexts();
  EXPECT_EQ(hud.PlaceLabel()->text, "8th/8") << "racers past six are counted but get no row";

  HudRacerView me = Racer("Me", 1, true);
  const std::pair<int32_t, const char*> laps[] = {{1, "Lap 2/3"}, {3, "Lap 3/3"}, {-4, "Lap 1/3"}};
  for (const auto& [lap, text] : laps) {
    me.bestLap = lap;
    hud.Update({me});
    hud.UpdateTexts();
    EXPECT_EQ(hud.LapLabel()->text, text) << lap;
  }
}

TEST_F(HudFixture, CountdownShowsEachNumberOnceWithItsSoundAndClearsAfterFiveSeconds) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  app::ScreenFlow flow;
  flow.state = RaceHud::kStateCountdown;
  hud.StartCountdown(flow);
  flow.stateQueue.clear();
  const std::pair<float, Texts> shown[] = {
      {1.02f, {"3"}}, {1.9f, {"3"}}, {2.02f, {"2", "3"}}, {3.02f, {"1", "2", "3"}}, {4.02f, {"GO!", "1", "2", "3"}}};
  for (const auto& [until, texts] : shown) {
    while (hud.countdownClock < until) hud.Tick(flow, 0.05f);
    EXPECT_EQ(hud.MessageTexts(), texts) << until;
  }
  EXPECT_EQ(hud.start1Plays, 3u);
  EXPECT_EQ(hud.start2Plays, 1u);
  EXPECT_EQ(std::vector<int32_t>(flow.stateQueue.begin(), flow.stateQueue.end()),
            std::vector<int32_t>{RaceHud::kStateGo}) << "released once, at 4 s";

  flow.state = app::game_state::kRacing;
  hud.countdownClock = 4.96f;
  hud.Tick(flow, 0.04f);
  EXPECT_EQ(hud.MessageTexts().size(), 4u) << "still shown at exactly 5 s";
  hud.Tick(flow, 0.01f);
  EXPECT_TRUE(hud.MessageTexts().empty());
  EXPECT_TRUE(hud.overlaySprites.Empty());
}

TEST_F(HudFixture, TheResultsHideAllButTheMessagesAndTheMirror) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  hud.place = 2;
  hud.ShowResults(definition);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"You Placed 2nd", "Race Complete"}));
  device_->ClearRecords();
  hud.Draw(device_);
  EXPECT_EQ(device_->Draws().size(), 3u) << "band, Race Complete and the result line only";
  device_->ClearRecords();
  hud.DrawMirror(device_, nullptr);
  EXPECT_TRUE(device_->Draws().empty()) << "no mirror after the finish";
}

}  // namespace
}  // namespace race
