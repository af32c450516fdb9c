// Tests of the start countdown and the result messages: labels, sounds and state requests by injected time.
#include <algorithm>
#include <string>
#include <vector>

#include "hud_test_support.h"

namespace race {
namespace {

using hud_test::HudFixture;
using Texts = std::vector<std::string>;

// Every queued state request, oldest first.
std::vector<int32_t> Requests(const app::ScreenFlow& flow) {
  return std::vector<int32_t>(flow.stateQueue.begin(), flow.stateQueue.end());
}

TEST_F(HudFixture, CountdownShowsALabelAndPlaysASoundEachSecondAndReleasesAtFour) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  app::ScreenFlow flow;
  flow.state = RaceHud::kStateCountdown;
  hud.StartCountdown(flow);
  EXPECT_EQ(Requests(flow), (std::vector<int32_t>{RaceHud::kStateCountdown}));
  EXPECT_EQ(hud.overlaySprites.Count(), 1u) << "the band";
  flow.stateQueue.clear();

  hud.countdownClock = 0.98f;
  hud.Tick(flow, 0.05f);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"3"}));
  EXPECT_EQ(hud.start1Plays, 1u);
  EXPECT_GE(mixer_.GetChannelsPlaying(), 1) << "the start sound is on a channel";
  while (hud.countdownClock + 0.05f < 2.0f) hud.Tick(flow, 0.05f);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"3"})) << "nothing more until the clock passes 2";
  EXPECT_EQ(hud.start1Plays, 1u);

  hud.countdownClock = 1.99f;
  hud.Tick(flow, 0.05f);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"2", "3"}));
  hud.countdownClock = 2.99f;
  hud.Tick(flow, 0.05f);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"1", "2", "3"}));
  EXPECT_EQ(hud.start1Plays, 3u);
  EXPECT_TRUE(flow.stateQueue.empty());

  hud.hidden = true;
  hud.countdownClock = 3.98f;
  hud.Tick(flow, 0.05f);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"GO!", "1", "2", "3"}));
  EXPECT_EQ(hud.start2Plays, 1u);
  EXPECT_EQ(Requests(flow), (std::vector<int32_t>{RaceHud::kStateGo})) << "released once, at 4 s";
  EXPECT_FALSE(hud.hidden);
  EXPECT_TRUE(hud.CountdownLabel(3).highlight);
  EXPECT_FLOAT_EQ(hud.CountdownLabel(3).scale, 1.5f);
}

TEST_F(HudFixture, CountdownMessagesClearAfterFiveSecondsInTheRacingState) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  app::ScreenFlow flow;
  flow.state = RaceHud::kStateCountdown;
  hud.StartCountdown(flow);
  // Just over 4 s at the 0.05 s frame-time limit (summed floats fall a hair short of 4.0 after 80 frames).
  for (int frame = 0; frame < 81; ++frame) hud.Tick(flow, 0.05f);
  EXPECT_EQ(hud.MessageTexts().size(), 4u);
  EXPECT_EQ(hud.start1Plays, 3u) << "each label exactly once at the frame-time limit";
  EXPECT_EQ(hud.start2Plays, 1u);
  const size_t goRequests = static_cast<size_t>(std::count(flow.stateQueue.begin(), flow.stateQueue.end(),
                                                           RaceHud::kStateGo));
  EXPECT_EQ(goRequests, 1u);

  flow.state = 10;  // racing: the clock keeps running from the second pass of Tick
  hud.countdownClock = 4.96f;
  hud.Tick(flow, 0.04f);
  EXPECT_FLOAT_EQ(hud.countdownClock, 5.0f);
  EXPECT_EQ(hud.MessageTexts().size(), 4u) << "still shown at exactly 5 s";
  hud.Tick(flow, 0.01f);
  EXPECT_TRUE(hud.MessageTexts().empty()) << "gone in the first frame past 5 s";
  EXPECT_TRUE(hud.overlaySprites.Empty());
  EXPECT_FLOAT_EQ(hud.countdownClock, 0.0f);
  hud.Tick(flow, 0.05f);
  EXPECT_FLOAT_EQ(hud.countdownClock, 0.0f) << "the clock stops once cleared";
}

TEST_F(HudFixture, ResultLineFollowsTheRaceTypeAndPlace) {
  EXPECT_EQ(RaceHud::ResultText(kRaceLap, 5), "You Placed 5th");
  EXPECT_EQ(RaceHud::ResultText(kRaceLap, 1), "You Placed 1st");
  EXPECT_EQ(RaceHud::ResultText(kRaceKnockout, 1), "You Won!");
  EXPECT_EQ(RaceHud::ResultText(kRaceKnockout, 2), "You Were Knocked Out!");
  EXPECT_EQ(RaceHud::ResultText(kRaceTimeTrial, 4), "You Did Not Place");
  EXPECT_EQ(RaceHud::ResultText(kRaceTimeTrial, 1), "You Placed 1st");
  EXPECT_EQ(RaceHud::ResultText(kRaceChicken, 3), "You Placed 3rd");
  EXPECT_EQ(RaceHud::ResultText(kRaceChicken, 7), "You Did Not Place");
}

TEST_F(HudFixture, ShowResultsFreezesThePanelsAndRequestsTheResultsScreenAfterFiveSeconds) {
  const RaceDefinition definition = Definition(kRaceLap);
  RaceHud& hud = MakeHud(definition);
  hud.place = 2;
  hud.SetRaceTime(61.5f);
  hud.UpdateTexts();
  hud.ShowResults(definition);
  EXPECT_TRUE(hud.hidden);
  EXPECT_EQ(hud.MessageTexts(), (Texts{"You Placed 2nd", "Race Complete"}));
  EXPECT_EQ(hud.TimeLabel(), nullptr);
  hud.SetRaceTime(90.0f);
  hud.UpdateTexts();  // the frozen time label keeps its last text
  bool found = false;
  hud.panelLabels.ForEach([&](HudLabel* label) { found = found || label->text == "01:01'50"; });
  EXPECT_TRUE(found);

  app::ScreenFlow flow;
  flow.state = RaceHud::kStateAfterFinish;
  hud.finishClock = 4.96f;
  hud.Tick(flow, 0.04f);
  EXPECT_TRUE(flow.stateQueue.empty()) << "not at exactly 5 s";
  hud.Tick(flow, 0.01f);
  ASSERT_EQ(flow.QueuedCount(), 1u);
  EXPECT_EQ(flow.FrontState(), RaceHud::kStateResults);
  EXPECT_EQ(flow.FrontScreen(), RaceHud::kResultsScreen);
  hud.Tick(flow, 0.05f);
  EXPECT_EQ(flow.QueuedCount(), 2u) << "repeated until the state changes";
}

}  // namespace
}  // namespace race
