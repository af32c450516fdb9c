// Menu screen 5: the contest races whose results can be posted online, the chosen race's panel and outline, the
// race start and the leaderboard page.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/browser_launch.h"
#include "frontend/menu_screen.h"

namespace app {
class LeaderboardClient;
}
namespace race {
class Minimap;
class RaceList;
struct RaceDefinition;
}

namespace frontend {

// The description line of a contest race, by race type.
extern const std::array<const char*, 4> CareerRaceDescriptions;

class ContestRaceScreen : public MenuScreen {
 public:
  // leaderboard may be null: "View Scores" then only leaves full-screen mode.
  ContestRaceScreen(const ScreenServices& services, app::LeaderboardClient* leaderboard);
  ~ContestRaceScreen() override;

  void OnEnter() override;
  void OnLeave() override {}
  void Init(platform::gfx::Device* device) override;
  // The base's unscaled update (input, hover, presses cleared), then the leaderboard page's launch followed.
  void Update(const ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  // Moves the view by rows; the chosen race stays.
  void Scroll(int32_t step);
  void ClickScrollBar();
  void BuildList(platform::gfx::Device* device);
  void BuildRacePanel(platform::gfx::Device* device);
  void CreateMinimap(platform::gfx::Device* device, const std::string& trackPath);
  void ClearRowButtons();
  void ClearPanelLabels();

  int32_t RaceCount() const;
  race::RaceDefinition* ChosenRace() const;

  ScreenSkin skin;
  render::ImageResource* minimapBackImage = nullptr;
  std::unique_ptr<race::Minimap> minimap;
  MenuButton* scrollThumb = nullptr;
  MenuButton* raceButton = nullptr;
  MenuButton* viewScoresButton = nullptr;
  int32_t selectedIndex = 0;
  int32_t firstVisibleRow = 0;
  std::vector<MenuButton*> rowButtons;
  std::vector<TextLabel*> panelLabels;
  app::LeaderboardClient* leaderboard = nullptr;
  // The browser started by "View Scores", followed until it has opened or failed.
  app::BrowserLaunch scoresLaunch;
  // Under the panel: says so when the browser of "View Scores" could not be started or its launcher failed;
  // empty otherwise and on entering.
  TextLabel* scoresMessage = nullptr;
  bool scoresNotOpened = false;

 private:
  const race::RaceList* ContestList() const;
  // Holds firstVisibleRow inside the list: at most size - 6, at least 0.
  void ClampFirstRow();
};

}  // namespace frontend
