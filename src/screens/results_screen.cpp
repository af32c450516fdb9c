// Race results: the award for the place reached, career winnings paid into the profile, a counting tally, and
// "Continue", "Race Again" and, in contest races, "Post Score".
#include "screens/results_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/leaderboard.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/screen_ids.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "race/race_result.h"
#include "render/resources/resource_manager.h"

namespace screens {

using frontend::kAlignCentre;
using frontend::kAlignLeft;
using frontend::kAlignRight;
using frontend::kVirtualHeight;
using frontend::kVirtualWidth;
using frontend::MenuButton;
using frontend::TextLabel;

namespace {
std::string TwoDigits(int32_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string Ordinal(uint32_t place) {
  return std::to_string(place) + race::OrdinalSuffixes[place < race::kOrdinalSuffixCount ? place : 0];
}
}  // namespace

std::string FormatRaceTime(float seconds) {
  const double hundredths = std::floor(static_cast<double>(seconds) * 100.0);
  // Negative or huge times must not overflow the conversion below.
  const int64_t total = static_cast<int64_t>(std::clamp(hundredths, 0.0, 1e9));
  int64_t minutes = total / 6000, wholeSeconds = (total / 100) % 60, rest = total % 100;
  if (minutes > 99) minutes = wholeSeconds = rest = 99;
  return TwoDigits(static_cast<int32_t>(minutes)) + ":" + TwoDigits(static_cast<int32_t>(wholeSeconds)) + "'" +
         TwoDigits(static_cast<int32_t>(rest));
}

float PlaceFactor(uint32_t type, uint32_t place) {
  static constexpr float kFactors[] = {0.0f, 1.0f, 0.75f, 0.5f, 0.25f, 0.1f};
  float factor = place >= 1 && place <= 5 ? kFactors[place] : 0.0f;
  if (type == race::kRaceKnockout && place != 1) factor = 0.0f;
  if ((type == race::kRaceTimeTrial || type == race::kRaceChicken) && place > 3) factor = 0.0f;
  return factor;
}

RaceResultsScreen::RaceResultsScreen(const frontend::ScreenServices& services) : MenuScreen(services) {
  if (resourceManager != nullptr) tallySound = resourceManager->LoadSoundSample(kTallySound, false);
}

RaceResultsScreen::~RaceResultsScreen() {
  StopTallySound();
  if (tallyLabel != nullptr) {
    RemoveText(tallyLabel);
    delete tallyLabel;
  }
  if (moneyMessageLabel) RemoveText(moneyMessageLabel.get());
  moneyMessageLabel.reset();
  if (postScoreButton) RemoveButton(postScoreButton.get());
  postScoreButton.reset();
  if (resourceManager != nullptr && tallySound != platform::audio::kNoSample) {
    resourceManager->ReleaseSoundSample(tallySound);
  }
  skin.Release(resourceManager);
}

uint32_t RaceResultsScreen::Mode() const {
  return results != nullptr && results->definition != nullptr ? results->definition->mode : race::kModeInstant;
}

TextLabel* RaceResultsScreen::Label(platform::gfx::Device* device, const std::string& text, float x, float y,
                                    float scale, bool alternate, int32_t align) {
  return AddText(new TextLabel(device, skin.fontImage, skin.font, text, x, y, scale, alternate, align, kVirtualWidth,
                               kVirtualHeight));
}

void RaceResultsScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  AddAtlasImage(device, skin.buttonImage, 25, 160, 20, 345, 3, 204, 21, 509);
  AddAtlasImage(device, skin.buttonImage, 45, 160, 690, 345, 22, 204, 25, 509);
  AddAtlasImage(device, skin.buttonImage, 735, 160, 20, 345, 36, 204, 55, 509);
  postScoreButton.reset(AddAtlasButton(device, skin.buttonImage, 400, 430, 200, 40, frontend::kBlankButtonNormal,
                                       frontend::kWideHighlight, 1, kPostScore));
  RemoveButton(postScoreButton.get());
  AddButtonLabels(device, postScoreButton.get(), "Post Score", skin.fontImage, skin.font, 0, -15, 1.0f, false,
                  kAlignCentre);
  const struct {
    int32_t id;
    const char* text;
    float x;
  } choices[] = {{kContinue, "Continue", 620}, {kRaceAgain, "Race Again", 180}};
  for (const auto& choice : choices) {
    MenuButton* button = AddAtlasButton(device, skin.buttonImage, choice.x, 485, 200, 40, frontend::kBlankButtonNormal,
                                        frontend::kWideHighlight, 1, choice.id);
    AddButtonLabels(device, button, choice.text, skin.fontImage, skin.font, 0, -15, 1.0f, false, kAlignCentre);
  }
  moneyMessageLabel = std::make_unique<TextLabel>(device, skin.fontImage, skin.font, "Not Enough Money", 500, 420,
                                                  1.0f, true, kAlignRight, kVirtualWidth, kVirtualHeight);
}

void RaceResultsScreen::OnEnter() {
  MenuScreen::OnEnter();
  notEnoughMoney = false;
  showMoneyMessage = false;
  scoreNotPosted = false;
  postLaunch = {};
  tally = 0.0f;
  moneyMessageTimer = kMoneyMessageTime;
}

void RaceResultsScreen::OnLeave() {
  if (tallyLabel != nullptr) {
    RemoveText(tallyLabel);
    delete tallyLabel;
    tallyLabel = nullptr;
  }
  if (postScoreButton) RemoveButton(postScoreButton.get());
  StopTallySound();
}

void RaceResultsScreen::SetRaceResults(const race::RaceResult* raceResults) {
  if (raceResults == nullptr) return;
  results = raceResults;
  tally = 0.0f;
  const race::RaceDefinition* definition = results->definition;
  const uint32_t type = definition != nullptr ? definition->type : race::kRaceLap;
  const float factor = PlaceFactor(type, results->place);
  awardPercent = static_cast<int32_t>(std::floor(factor * 100.0f));
  // Stunt points are the cash earned; a negative count earns nothing rather than wrapping to billions.
  const uint32_t earned = static_cast<uint32_t>(std::max(0, results->stuntPoints));
  cashAwarded = static_cast<uint32_t>(std::floor(static_cast<double>(earned) * factor));
  reward = 0;
  if (definition != nullptr && results->place <= 10) {
    reward = static_cast<uint32_t>(std::max(0, definition->RewardForPlace(results->place)));
  }
  if (Mode() == race::kModeCareer && profile != nullptr) {
    profile->AddMoney(static_cast<int64_t>(cashAwarded) + reward);
    if (definition != nullptr) profile->AdvanceCareer(*definition, results->place);
    // The winnings are kept even when the game ends before the garage saves again.
    if (!profile->fileName.empty()) profile->Save();
  }
  rebuild = true;
}

void RaceResultsScreen::StopTallySound() {
  if (tallyChannel >= 0 && resourceManager != nullptr) resourceManager->SampleMixer().StopSound(tallyChannel);
  tallyChannel = -1;
}

void RaceResultsScreen::UpdateTally(float frameTime) {
  const float target = static_cast<float>(cashAwarded);
  if (tally == target) {
    StopTallySound();
    return;
  }
  const float step = frameTime * kTallyRate;
  tally = tally < target ? std::min(target, tally + step) : std::max(target, tally - step);
  const bool playing = tallyChannel >= 0 && resourceManager != nullptr &&
                       resourceManager->SampleMixer().IsPlaying(tallyChannel);
  if (!playing && resourceManager != nullptr && tallySound != platform::audio::kNoSample) {
    tallyChannel = resourceManager->SampleMixer().PlaySound(platform::audio::kFreeChannel, tallySound);
  }
}

void RaceResultsScreen::UpdateMoneyMessage(float frameTime) {
  if (!moneyMessageLabel) return;
  RemoveText(moneyMessageLabel.get());
  if (notEnoughMoney && showMoneyMessage) {
    AddText(moneyMessageLabel.get());
    moneyMessageTimer -= frameTime;
    if (moneyMessageTimer <= 0.0f) {
      moneyMessageTimer = kMoneyMessageTime;
      showMoneyMessage = false;
    }
  }
}

void RaceResultsScreen::PayRaceAgainFee() {
  const race::RaceDefinition* definition = results != nullptr ? results->definition : nullptr;
  const int64_t fee = definition != nullptr ? 2 * static_cast<int64_t>(std::max(0, definition->entryFee)) : 0;
  if (profile == nullptr || profile->money < fee) {
    notEnoughMoney = true;
    return;
  }
  profile->AddMoney(-fee);
  notEnoughMoney = false;
}

int32_t RaceResultsScreen::HandleInput(const frontend::ScreenWindow& window) {
  // Waiting on the posted score's browser, the results take no second action.
  if (results == nullptr || postLaunch.Waiting()) return frontend::kNoButton;
  const int32_t id = MenuScreen::HandleInput(window);
  const uint32_t mode = Mode();
  switch (id) {
    case kContinue:
      screenFlow->RequestBack(mode == race::kModeCareer ? frontend::screen_index::kGarage
                                                        : frontend::screen_index::kMainMenu,
                              0.0f);
      results = nullptr;
      break;
    case kRaceAgain:
      if (mode != race::kModeCareer) {
        notEnoughMoney = false;
        screenFlow->Request(app::game_state::kRestartRace, 0.0f);
        results = nullptr;
      } else if (notEnoughMoney) {
        showMoneyMessage = true;
      } else {
        PayRaceAgainFee();
        if (notEnoughMoney) {
          showMoneyMessage = true;
        } else {
          showMoneyMessage = false;
          screenFlow->Request(app::game_state::kRestartRace, 0.0f);
          results = nullptr;
        }
      }
      break;
    case kPostScore: {
      if (settings->GetInt(app::SettingId::FULLSCREEN) > 0) settings->SetInt(app::SettingId::FULLSCREEN, 0);
      const int score = static_cast<int>(std::floor(results->raceTime * 100.0f + 0.5f)) * 10;
      if (leaderboard == nullptr || results->definition == nullptr) {
        LeaveAfterPost();
        break;
      }
      // The screen stays until the browser is known to have started.
      scoreNotPosted = false;
      postLaunch = leaderboard->PostScore(static_cast<uint8_t>(results->definition->index), score);
      break;
    }
    default: break;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyF)) ToggleFullScreen();
  return id;
}

void RaceResultsScreen::LeaveAfterPost() {
  screenFlow->RequestBack(frontend::screen_index::kMainMenu, 0.0f);
  results = nullptr;
}

void RaceResultsScreen::FollowPostLaunch(float frameTime) {
  switch (postLaunch.Follow(frameTime)) {
    case app::BrowserLaunch::Step::kOpened: LeaveAfterPost(); break;
    // Without a browser the score went nowhere: the results stay, saying so, so the player is not left thinking
    // it was posted.
    case app::BrowserLaunch::Step::kFailed: scoreNotPosted = true; break;
    default: break;
  }
}

void RaceResultsScreen::Update(const frontend::ScreenWindow& window, float frameTime) {
  UpdateTally(frameTime);
  HandleInput(window);
  FollowPostLaunch(frameTime);
  UpdateHover(window);
  UpdateMoneyMessage(frameTime);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

void RaceResultsScreen::Layout(platform::gfx::Device* device) {
  if (tallyLabel != nullptr) {
    RemoveText(tallyLabel);
    delete tallyLabel;
    tallyLabel = nullptr;
  }
  if (moneyMessageLabel) RemoveText(moneyMessageLabel.get());
  ClearTexts();
  postMessage = nullptr;
  Label(device, "Race Results", 50, 160, 1.5f, true, kAlignLeft);
  const uint32_t mode = Mode();
  const std::string time = "Time : " + FormatRaceTime(results->raceTime);
  if (mode == race::kModeContest) {
    if (postScoreButton) {
      RemoveButton(postScoreButton.get());
      AddButton(postScoreButton.get());
    }
    Label(device, time, 400, 240, 1.0f, true, kAlignCentre);
    postMessage = Label(device, "", 400, 530, 0.65f, false, kAlignCentre);
    return;
  }
  Label(device, time, 730, 160, 1.0f, true, kAlignRight);
  const uint32_t type = results->definition != nullptr ? results->definition->type : race::kRaceLap;
  const uint32_t place = results->place;
  std::string placeLine;
  if (type == race::kRaceKnockout) {
    placeLine = place == 1 ? "You Won!" : "You Were Knocked Out";
  } else if (type == race::kRaceTimeTrial || type == race::kRaceChicken) {
    placeLine = place >= 1 && place <= 3 ? "You Placed " + Ordinal(place) : "You Did Not Place";
  } else {
    placeLine = "You Placed " + Ordinal(place);
  }
  Label(device, placeLine, 400, 200, 1.5f, false, kAlignCentre);
  const std::string earned = std::to_string(std::max(0, results->stuntPoints));
  const std::string shownTally = std::to_string(static_cast<int64_t>(tally));
  if (mode == race::kModeCareer) {
    if (reward != 0) {
      Label(device, "Reward :", 100, 240, 1.0f, true, kAlignLeft);
      Label(device, "$" + std::to_string(reward), 600, 240, 1.0f, true, kAlignRight);
    }
    Label(device, "Cash Earned :", 100, 280, 1.0f, true, kAlignLeft);
    Label(device, "$" + earned, 600, 280, 1.0f, false, kAlignRight);
    Label(device, "Cash Awarded :", 100, 320, 1.0f, true, kAlignLeft);
    // Owned by the text list like the others, but removed and deleted by name when the screen is left.
    tallyLabel = Label(device, "$" + shownTally, 600, 320, 1.0f, true, kAlignRight);
    Label(device, "Total :", 100, 380, 1.0f, false, kAlignLeft);
    Label(device, "$" + std::to_string(static_cast<uint64_t>(cashAwarded) + reward), 600, 380, 1.0f, true,
          kAlignRight);
  } else {
    Label(device, "Score :", 100, 260, 1.0f, true, kAlignLeft);
    Label(device, earned, 600, 260, 1.0f, false, kAlignRight);
    Label(device, "Points Awarded :", 100, 300, 1.0f, true, kAlignLeft);
    tallyLabel = Label(device, shownTally, 600, 300, 1.0f, true, kAlignRight);
  }
  if (type != race::kRaceKnockout) {
    Label(device, "( " + Ordinal(place) + " place award = " + std::to_string(awardPercent) + "% )", 100, 350, 0.75f,
          false, kAlignLeft);
  }
}

void RaceResultsScreen::Render(platform::gfx::Device* device) {
  if (results == nullptr) return;
  if (rebuild) {
    Layout(device);
    rebuild = false;
  }
  if (tallyLabel != nullptr) {
    const std::string value = std::to_string(static_cast<int64_t>(tally));
    tallyLabel->SetText(device, Mode() == race::kModeCareer ? "$" + value : value);
  }
  if (postMessage != nullptr) postMessage->SetText(device, scoreNotPosted ? app::kLeaderboardNotOpened : "");
  MenuScreen::Render(device);
}

}  // namespace screens
