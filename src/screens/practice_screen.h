// Practice race set-up: pick a venue from the quick-race list and its laps, opponents, car class and AI
// difficulty, then start it.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "frontend/menu_screen.h"

namespace race {
class Minimap;
class RaceList;
struct RaceDefinition;
}

namespace screens {

inline constexpr int32_t kPracticeVisibleRows = 6;
inline constexpr int32_t kMinPracticeLaps = 1;
inline constexpr int32_t kMaxPracticeLaps = 10;
inline constexpr int32_t kMaxPracticeOpponents = 6;
extern const std::array<const char*, 5> DifficultyNames;  // "Very Easy" .. "Very Hard"

class PracticeRaceScreen : public frontend::MenuScreen {
 public:
  enum ButtonId : int32_t { kRace = 0, kBack = 1, kScrollDown = 2, kScrollUp = 3, kClose = 4, kFullScreen = 5,
                            kLapsDown = 6, kLapsUp = 7, kOpponentsDown = 8, kOpponentsUp = 9, kClassDown = 10,
                            kClassUp = 11, kDifficultyDown = 12, kDifficultyUp = 13, kScrollBar = 14,
                            kFirstRow = 100 };

  explicit PracticeRaceScreen(const frontend::ScreenServices& services);
  ~PracticeRaceScreen() override;

  void OnEnter() override;
  void Init(platform::gfx::Device* device) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const frontend::ScreenWindow& window) override;

  // Each choice is written into the selected venue's definition at once. A missing or empty list ignores them.
  void SelectVenue(int32_t index);
  void ScrollVenues(int32_t step);
  // Only for the scroll bar's id: the cursor's height picks the top row (245 first rows, 395 last rows).
  void DragScrollBar(int32_t id);
  void StepLaps(int32_t step);
  void StepOpponents(int32_t step);
  void StepVehicleClass(int32_t step);
  void StepDifficulty(int32_t step);
  void BuildVenueRows(platform::gfx::Device* device);
  // Takes every row button out of the button list, releases and deletes it, and empties the row vector.
  void ClearVenueRows();
  // The value texts and the selected venue's outline (none when its model file or path is missing).
  void RefreshValues(platform::gfx::Device* device);
  race::RaceDefinition* Selected() const;

  frontend::ScreenSkin skin;
  render::ImageResource* minimapImage = nullptr;
  std::unique_ptr<race::Minimap> minimap;
  int32_t selected = 0;
  int32_t firstRow = 0;
  frontend::MenuButton* scrollThumb = nullptr;
  frontend::TextLabel* lapsLabel = nullptr;
  frontend::TextLabel* opponentsLabel = nullptr;
  frontend::TextLabel* classLabel = nullptr;
  frontend::TextLabel* difficultyLabel = nullptr;
  int32_t opponents = 5;
  int32_t difficulty = 2;
  int32_t laps = 3;
  int32_t vehicleClass = 4;
  race::RaceList* venues = nullptr;
  std::vector<frontend::MenuButton*> rows;

 private:
  int32_t Count() const;
  void WriteChoices();
  void ClampFirstRow();
};

}  // namespace screens
