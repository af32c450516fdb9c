// Menu screen 4: the career's races by class with their fee, rewards and lock, the track outline, the player's
// money counting to its new amount, and the start of the chosen race; also the list frame the contest screen shares.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frontend/menu_screen.h"
#include "platform/audio/mixer.h"

namespace race {
class Minimap;
class RaceList;
struct RaceDefinition;
}

namespace frontend {

// The list shows this many rows; the scroll bar's thumb travels kThumbTravel pixels down from kThumbTop.
inline constexpr int32_t kVisibleRows = 6;
inline constexpr float kThumbTop = 245.0f;
inline constexpr float kThumbTravel = 150.0f;
inline constexpr int32_t kFirstRowId = 100;
// Dollars per second the money display counts.
inline constexpr float kMoneyCountRate = 100000.0f;
// Points the track path is thinned to for the outline.
inline constexpr size_t kOutlinePoints = 300;

inline constexpr char kLockedMessage[] = "This race is locked. You should win the previous race to unlock it";
inline constexpr char kNoFundsMessage[] = "RESTRICTED : Insufficient funds for entry fee";
inline constexpr char kTallySound[] = "SOUNDS//tally.wav";
inline constexpr char kMinimapBackImage[] = "HUD\\minimapdark.png";
inline constexpr char kMinimapAlpha[] = "HUD\\minimapa.png";
inline constexpr char kStartEndImage[] = "HUD\\startend.png";

// Pieces shared by the career and contest race screens.
namespace race_screen {
// Button ids of both screens' shared buttons; list rows count up from kFirstRowId.
enum ButtonId : int32_t {
  kRace = 0,
  kBack = 1,
  kDownArrow = 2,
  kUpArrow = 3,
  kQuitIcon = 4,
  kFullScreenIcon = 5,
  kScrollBar = 6,
};
// The title bar, list panel and bottom bar (nine sprites).
void AddFrame(MenuScreen& screen, platform::gfx::Device* device, render::ImageResource* buttonImage);
// "Race" (id 0) and "Back" (id 1); returns the Race button.
MenuButton* AddRaceAndBack(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin);
// Full screen (5), quit (4), down (2), up (3), the thumb and the bar (both 6); returns the thumb.
MenuButton* AddScrollButtons(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin);
// One list row at y labelled with the race's name; the chosen row is drawn lit and keeps one label.
MenuButton* AddRow(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin, int32_t id, float y,
                   const std::string& name, bool chosen, float labelScale);
// The outline of the track whose scene file is given (relative to the game folder): the first path of the model
// file beside it, thinned, drawn with the world origin at (520, 310) in a 230 × 230 map. Null when the file, its
// name or its path is missing. A null startImage draws no start.
std::unique_ptr<race::Minimap> LoadTrackOutline(MenuScreen& screen, platform::gfx::Device* device,
                                                const std::string& trackPath, render::ImageResource* backImage,
                                                render::ImageResource* startImage);
// The chosen race's type, laps and opponents as three name/value label pairs, each kept in labels.
void AddRaceFacts(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin,
                  const race::RaceDefinition& race, std::vector<TextLabel*>& labels);
// Takes every label in labels off the screen, deletes it and empties the list.
void ClearLabels(MenuScreen& screen, std::vector<TextLabel*>& labels);
// The model file beside a track scene file ("X.SCN" gives "X.MDL"); empty when the name is 4 characters or shorter.
// A relative scene path is taken from gameFolder (the executable's folder when empty).
std::string TrackModelPath(const std::string& scenePath, const std::string& gameFolder = "");
}  // namespace race_screen

class CareerRaceScreen : public MenuScreen {
 public:
  explicit CareerRaceScreen(const ScreenServices& services);
  ~CareerRaceScreen() override;

  void OnEnter() override;
  void OnLeave() override;
  void Init(platform::gfx::Device* device) override;
  void Update(const ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const ScreenWindow& window) override;

  // Rows run over classes OPEN, C, B, A, MIXED in that order; a row past the last changes nothing.
  void SelectRow(int32_t row);
  void MoveSelection(int32_t step);
  void ClickScrollBar();
  void BuildList(platform::gfx::Device* device);
  void BuildRacePanel(platform::gfx::Device* device);
  void CreateMinimap(platform::gfx::Device* device, const std::string& trackPath);
  // Moves the displayed money towards the profile's at kMoneyCountRate; frameTime in seconds.
  void UpdateMoneyDisplay(float frameTime);
  void PayEntryFee();
  void ClearRowButtons();
  void ClearPanelLabels();

  // The chosen race, or null when the career list has none there.
  race::RaceDefinition* ChosenRace() const;
  // Races of classes OPEN to A (the rows the arrows and the scroll bar reach).
  int32_t RankedRaceCount() const;
  // The chosen race passes the lock and entry-fee rules (the Race button is shown).
  bool CanEnter() const;

  ScreenSkin skin;
  render::ImageResource* minimapBackImage = nullptr;
  render::ImageResource* startEndImage = nullptr;
  std::unique_ptr<race::Minimap> minimap;
  MenuButton* scrollThumb = nullptr;
  MenuButton* raceButton = nullptr;
  TextLabel* moneyLabel = nullptr;
  TextLabel* nameLabel = nullptr;
  TextLabel* messageLabel = nullptr;
  int32_t selectedIndex = 0;
  int32_t firstVisibleRow = 0;
  int32_t selectedRow = 0;
  float displayedMoney = 0.0f;
  std::vector<MenuButton*> rowButtons;
  std::vector<TextLabel*> panelLabels;
  platform::audio::SampleId tallySound = platform::audio::kNoSample;
  int32_t tallyChannel = -1;
  int32_t selectedClass = 0;

 private:
  const race::RaceList* CareerList() const;
  void AddPanelLabel(platform::gfx::Device* device, const std::string& text, float x, float y, bool alternate);
};

}  // namespace frontend
