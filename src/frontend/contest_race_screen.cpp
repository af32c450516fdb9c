// Contest race screen: the contest list with a scrolling view, the chosen race's panel and outline, the race
// start (nothing is paid) and the leaderboard page.
#include "frontend/contest_race_screen.h"

#include <algorithm>
#include <cmath>

#include "app/leaderboard.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/career_race_screen.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "race/content_database.h"
#include "race/hud/minimap.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "render/resources/resource_manager.h"

namespace frontend {

const std::array<const char*, 4> CareerRaceDescriptions = {
    "Lap Race: Outrun your rivals to gain Class C status",
    "Lap Race: Outrun your rivals to gain Class B status",
    "Lap Race: Outrun your rivals to gain Class A status",
    "Lap Race: Outrun your rivals to take 1st prize",
};

namespace {
using namespace race_screen;
// The contest screen's own button, after the shared ones.
constexpr int32_t kViewScores = kScrollBar + 1;
constexpr float kEntryNormal[4] = {10, 88, 11, 89};
constexpr float kEntryHighlight[4] = {3, 2, 200, 39};
// The description's widest line: from its left edge to inside the panel's right border.
constexpr float kDescriptionWidth = 390;
}  // namespace

ContestRaceScreen::ContestRaceScreen(const ScreenServices& services, app::LeaderboardClient* leaderboard)
    : MenuScreen(services), leaderboard(leaderboard) {}

ContestRaceScreen::~ContestRaceScreen() {
  if (raceButton != nullptr) {
    RemoveButton(raceButton);
    delete raceButton;
  }
  ClearRowButtons();
  ClearPanelLabels();
  if (minimap) minimap->Release();
  minimap.reset();
  if (resourceManager != nullptr && minimapBackImage != nullptr) resourceManager->ReleaseImage(minimapBackImage);
  skin.Release(resourceManager);
}

const race::RaceList* ContestRaceScreen::ContestList() const {
  return contentDatabase != nullptr ? contentDatabase->contestRaces.get() : nullptr;
}

int32_t ContestRaceScreen::RaceCount() const { return ContestList() != nullptr ? ContestList()->Count() : 0; }

race::RaceDefinition* ContestRaceScreen::ChosenRace() const {
  return ContestList() != nullptr ? ContestList()->At(selectedIndex) : nullptr;
}

void ContestRaceScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  if (resourceManager != nullptr) {
    minimapBackImage = resourceManager->LoadTextureEx(device, kMinimapBackImage, kMinimapAlpha, 0, 1);
  }
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Contest Race", 33, 8, 1.0f, false, kAlignLeft,
                        kVirtualWidth, kVirtualHeight));
  AddText(new TextLabel(device, skin.fontImage, skin.font, "Race Name", 70, 170, 1.0f, true, kAlignLeft,
                        kVirtualWidth, kVirtualHeight));
  race_screen::AddFrame(*this, device, skin.buttonImage);
  raceButton = race_screen::AddRaceAndBack(*this, device, skin);
  viewScoresButton =
      AddAtlasButton(device, skin.buttonImage, 600, 445, 200, 40, kEntryNormal, kEntryHighlight, 1, kViewScores);
  AddButtonLabels(device, viewScoresButton, "View Scores", skin.fontImage, skin.font, 0, -15, 1.0f, false,
                  kAlignCentre);
  scrollThumb = race_screen::AddScrollButtons(*this, device, skin);
  scoresMessage = AddText(new TextLabel(device, skin.fontImage, skin.font, "", 400, 500, 0.65f, false, kAlignCentre,
                                        kVirtualWidth, kVirtualHeight));
}

void ContestRaceScreen::ClampFirstRow() {
  const int32_t size = RaceCount();
  if (firstVisibleRow + kVisibleRows >= size) firstVisibleRow = size - kVisibleRows;
  if (firstVisibleRow < 0) firstVisibleRow = 0;
}

void ContestRaceScreen::OnEnter() {
  MenuScreen::OnEnter();
  scoresNotOpened = false;
  // A launch left behind when the screen was left no longer speaks for this visit.
  scoresLaunch = {};
  firstVisibleRow = selectedIndex;
  ClampFirstRow();
  rebuild = true;
}

void ContestRaceScreen::Update(const ScreenWindow& window, float frameTime) {
  UpdateUnscaled(window, frameTime);
  // The leaderboard is the browser's once it opens; the game keeps running either way.
  if (scoresLaunch.Follow(frameTime) == app::BrowserLaunch::Step::kFailed) scoresNotOpened = true;
}

void ContestRaceScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    BuildList(device);
    BuildRacePanel(device);
  }
  if (scoresMessage != nullptr) scoresMessage->SetText(device, scoresNotOpened ? app::kLeaderboardNotOpened : "");
  RenderImages(device);
  if (minimap) minimap->Draw(device);
  RenderButtons(device);
  RenderTexts(device);
}

int32_t ContestRaceScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kNoButton: break;
    case kRace:
      if (contentDatabase != nullptr) RequestRace(*screenFlow, *contentDatabase, ChosenRace());
      break;
    case kBack: screenFlow->RequestBack(screen_index::kMainMenu, 0.0f); break;
    case kDownArrow: Scroll(1); break;
    case kUpArrow: Scroll(-1); break;
    case kQuitIcon: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kScrollBar: ClickScrollBar(); break;
    case kViewScores:
      // The browser cannot be seen over a full-screen game.
      if (settings->GetInt(app::SettingId::FULLSCREEN) > 0) settings->SetInt(app::SettingId::FULLSCREEN, 0);
      if (leaderboard != nullptr) {
        scoresNotOpened = false;
        scoresLaunch = leaderboard->ViewScores();
      }
      break;
    default:
      if (id >= kFirstRowId) {
        selectedIndex = id - kFirstRowId;
        rebuild = true;
      }
      break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    screenFlow->RequestBack(screen_index::kMainMenu, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

void ContestRaceScreen::Scroll(int32_t step) {
  firstVisibleRow += step;
  ClampFirstRow();
  rebuild = true;
}

void ContestRaceScreen::ClickScrollBar() {
  const float y = static_cast<float>(ScaledCursor().y);
  const int32_t size = RaceCount();
  int32_t row = static_cast<int32_t>(
      std::floor((y - kThumbTop) / kThumbTravel * static_cast<float>(size - kVisibleRows) + 0.5f));
  if (row > size - kVisibleRows) row = size - kVisibleRows;
  if (row < 0) row = 0;
  firstVisibleRow = row;
  rebuild = true;
}

void ContestRaceScreen::ClearRowButtons() { ClearListButtons(rowButtons); }

void ContestRaceScreen::ClearPanelLabels() { race_screen::ClearLabels(*this, panelLabels); }

void ContestRaceScreen::BuildList(platform::gfx::Device* device) {
  ClearRowButtons();
  const int32_t size = RaceCount();
  float y = 210.0f;
  for (int32_t r = firstVisibleRow; r < firstVisibleRow + kVisibleRows && r < size; ++r, y += 40.0f) {
    const race::RaceDefinition* race = ContestList()->At(r);
    rowButtons.push_back(race_screen::AddRow(*this, device, skin, kFirstRowId + r, y,
                                             race != nullptr ? race->name : "", r == selectedIndex, 0.75f));
  }
  float offset = size > kVisibleRows
                     ? static_cast<float>(firstVisibleRow) * kThumbTravel / static_cast<float>(size - kVisibleRows)
                     : 0.0f;
  if (offset < 0.0f) offset = 0.0f;
  if (scrollThumb != nullptr) scrollThumb->SetPosition(scrollThumb->x, kThumbTop + offset);
}

void ContestRaceScreen::BuildRacePanel(platform::gfx::Device* device) {
  ClearPanelLabels();
  const race::RaceDefinition* race = ChosenRace();
  // An empty list (or a chosen race that is gone) shows no panel and offers no race.
  if (race == nullptr) {
    if (raceButton != nullptr) RemoveButton(raceButton);
    if (minimap) minimap->Release();
    minimap.reset();
    return;
  }
  if (raceButton != nullptr && std::find(buttons.begin(), buttons.end(), raceButton) == buttons.end()) {
    AddButton(raceButton);
  }
  race_screen::AddRaceFacts(*this, device, skin, *race, panelLabels);
  const uint32_t type = race->type < race::kRaceTypeCount ? race->type : 0;
  TextLabel* description = AddText(new TextLabel(device, skin.fontImage, skin.font, "", 350, 350, 0.75f, true,
                                                 kAlignLeft, kVirtualWidth, kVirtualHeight));
  // The line runs past the panel in the game's font: it is broken between words to stay inside it.
  description->SetText(device, description->Wrapped(CareerRaceDescriptions[type], kDescriptionWidth));
  panelLabels.push_back(description);
  CreateMinimap(device, race->path);
}

void ContestRaceScreen::CreateMinimap(platform::gfx::Device* device, const std::string& trackPath) {
  if (minimap) minimap->Release();
  minimap = race_screen::LoadTrackOutline(*this, device, trackPath, minimapBackImage, nullptr);
}

}  // namespace frontend
