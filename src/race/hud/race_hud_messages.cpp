// Race HUD messages: the start countdown with its sounds and the "Race Complete" wait before the results.
#include "app/screen_flow.h"
#include "race/hud/race_hud.h"
#include "race/race_definition.h"

namespace race {

namespace {
constexpr float kGoTime = 4.0f;
constexpr float kMessageClearTime = 5.0f;
constexpr float kResultsDelay = 5.0f;
}  // namespace

HudSprite* RaceHud::MakeBand() const {
  return new HudSprite(panelImage, 0, 250, 800, 128, 0.1f, 0.0f, 0.2f, 1.0f, false);
}

void RaceHud::StartCountdown(app::ScreenFlow& flow) {
  countdownClock = 0;
  flow.Request(kStateCountdown, 0);
  overlaySprites.PushFront(MakeBand());
}

void RaceHud::UpdateCountdown(app::ScreenFlow& flow, float dt) {
  const float before = countdownClock;
  const float after = before + dt;
  countdownClock = after;
  auto crosses = [&](float mark) { return before < mark && mark <= after; };
  if (crosses(1.0f)) {
    messageLabels.PushFront(countdownLabels[0].get());
    PlaySample(start1Sound);
    ++start1Plays;
  } else if (crosses(2.0f)) {
    messageLabels.PushFront(countdownLabels[1].get());
    PlaySample(start1Sound);
    ++start1Plays;
  } else if (crosses(3.0f)) {
    messageLabels.PushFront(countdownLabels[2].get());
    PlaySample(start1Sound);
    ++start1Plays;
  } else if (crosses(kGoTime)) {
    messageLabels.PushFront(countdownLabels[3].get());
    flow.Request(kStateGo, 0);
    hidden = false;
    PlaySample(start2Sound);
    ++start2Plays;
  }
  if (countdownClock > kMessageClearTime) ClearMessages();
}

void RaceHud::ClearMessages() {
  for (size_t i : {size_t{2}, size_t{1}, size_t{0}, size_t{3}}) messageLabels.RemoveObject(countdownLabels[i].get());
  overlaySprites.DeleteSprites();
  messageLabels.DeleteTextLabels();
  countdownClock = 0;
}

void RaceHud::UpdateAfterFinish(app::ScreenFlow& flow, float dt) {
  finishClock += dt;
  if (finishClock > kResultsDelay) flow.RequestWithKind(kStateResults, kResultsScreen, 0);
}

std::string RaceHud::ResultText(uint32_t raceType, uint32_t place) {
  if (raceType == kRaceKnockout) return place == 1 ? "You Won!" : "You Were Knocked Out!";
  if ((raceType == kRaceTimeTrial || raceType == kRaceChicken) && place >= 4) return "You Did Not Place";
  return "You Placed " + OrdinalText(place);
}

void RaceHud::ShowResults(const RaceDefinition& finished) {
  finishClock = 0;
  timeLabel = nullptr;
  lapLabel = nullptr;
  placeLabel = nullptr;
  overlaySprites.PushFront(MakeBand());
  messageLabels.PushFront(new HudLabel(fontImage, fontMetrics, "Race Complete", 400, 260, 1.0f, true, kHudAlignCentre));
  messageLabels.PushFront(
      new HudLabel(fontImage, fontMetrics, ResultText(finished.type, place), 400, 330, 1.0f, false, kHudAlignCentre));
  hidden = true;
}

}  // namespace race
