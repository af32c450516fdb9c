// Race results: the award for the place reached, career winnings paid into the profile, a counting tally, and
// "Continue", "Race Again" and, in contest races, "Post Score".
#pragma once

#include <memory>
#include <string>

#include "app/browser_launch.h"
#include "frontend/menu_screen.h"
#include "platform/audio/mixer.h"

namespace app {
class LeaderboardClient;
}

namespace screens {

inline constexpr char kTallySound[] = "SOUNDS//tally.wav";
// The tally counts this many units per second.
inline constexpr float kTallyRate = 10000.0f;
// How long "Not Enough Money" stays up after a refused Race Again, seconds.
inline constexpr float kMoneyMessageTime = 0.5f;

// Minutes, seconds and hundredths as 01:23'45; 99:99'99 from 100 minutes on.
std::string FormatRaceTime(float seconds);
// Share of the cash earned that a place wins in a race type, 0..1.
float PlaceFactor(uint32_t type, uint32_t place);

class RaceResultsScreen : public frontend::MenuScreen {
 public:
  enum ButtonId : int32_t { kContinue = 0, kRaceAgain = 1, kPostScore = 2 };

  explicit RaceResultsScreen(const frontend::ScreenServices& services);
  ~RaceResultsScreen() override;

  void OnEnter() override;
  void OnLeave() override;
  void Init(platform::gfx::Device* device) override;
  // The tally, input, then the posted score's launch followed: the screen leaves for the main menu once the
  // browser has opened, and stays, saying so, when it failed.
  void Update(const frontend::ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  // Computes the award; in a career race pays it into the profile and opens the next tier after a win.
  void SetRaceResults(const race::RaceResult* results) override;
  // No button while there are no results or while the posted score's browser is still starting.
  int32_t HandleInput(const frontend::ScreenWindow& window) override;

  void UpdateTally(float frameTime);
  void UpdateMoneyMessage(float frameTime);
  // Twice the entry fee; sets notEnoughMoney (money unchanged) when the profile cannot pay it.
  void PayRaceAgainFee();
  void Layout(platform::gfx::Device* device);

  // Where scores are posted; none leaves Post Score doing only its screen change.
  app::LeaderboardClient* leaderboard = nullptr;
  frontend::ScreenSkin skin;
  std::unique_ptr<frontend::MenuButton> postScoreButton;
  const race::RaceResult* results = nullptr;
  frontend::TextLabel* tallyLabel = nullptr;  // in the text list while shown
  std::unique_ptr<frontend::TextLabel> moneyMessageLabel;
  // The browser started by "Post Score", followed until it has opened or failed.
  app::BrowserLaunch postLaunch;
  // Under the buttons of a contest's results: says so when the browser of "Post Score" could not be started or
  // its launcher failed (the screen then stays). Rebuilt with the other labels.
  frontend::TextLabel* postMessage = nullptr;
  bool scoreNotPosted = false;
  float tally = 0.0f;
  uint32_t cashAwarded = 0;
  uint32_t reward = 0;
  platform::audio::SampleId tallySound = platform::audio::kNoSample;
  int32_t tallyChannel = -1;
  int32_t awardPercent = 0;
  bool notEnoughMoney = false;
  bool showMoneyMessage = false;
  float moneyMessageTimer = kMoneyMessageTime;

 private:
  uint32_t Mode() const;
  // What Post Score leads to once the score is on its way: the main menu, the results let go.
  void LeaveAfterPost();
  void FollowPostLaunch(float frameTime);
  void StopTallySound();
  frontend::TextLabel* Label(platform::gfx::Device* device, const std::string& text, float x, float y, float scale,
                             bool alternate, int32_t align);
};

}  // namespace screens
