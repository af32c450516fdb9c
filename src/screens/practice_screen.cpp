// Practice race set-up: pick a venue from the quick-race list and its laps, opponents, car class and AI
// difficulty, then start it.
#include "screens/practice_screen.h"

#include <algorithm>
#include <cmath>

#include "app/screen_flow.h"
#include "frontend/career_race_screen.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "frontend/skin_rects.h"
#include "race/content_database.h"
#include "race/hud/minimap.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "render/resources/resource_manager.h"

namespace screens {

using frontend::kAlignCentre;
using frontend::kAlignLeft;
using frontend::kAlignRight;
using frontend::kVirtualHeight;
using frontend::kVirtualWidth;
using frontend::MenuButton;
using frontend::TextLabel;
using namespace frontend::skin;

const std::array<const char*, 5> DifficultyNames = {"Very Easy", "Easy", "Normal", "Hard", "Very Hard"};

namespace {
constexpr float kThumbTop = 245.0f;
constexpr float kThumbTravel = 150.0f;

// Steps over 0..4 and wraps at both ends.
int32_t Wrap(int32_t value) {
  if (value < 0) return 4;
  if (value > 4) return 0;
  return value;
}
}  // namespace

PracticeRaceScreen::PracticeRaceScreen(const frontend::ScreenServices& services) : MenuScreen(services) {}

PracticeRaceScreen::~PracticeRaceScreen() {
  ClearVenueRows();
  if (minimap) minimap->Release();
  minimap.reset();
  if (resourceManager != nullptr && minimapImage != nullptr) resourceManager->ReleaseImage(minimapImage);
  skin.Release(resourceManager);
}

int32_t PracticeRaceScreen::Count() const { return venues != nullptr ? venues->Count() : 0; }

race::RaceDefinition* PracticeRaceScreen::Selected() const {
  if (venues == nullptr || selected < 0 || selected >= venues->Count()) return nullptr;
  return venues->At(selected);
}

void PracticeRaceScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  if (resourceManager != nullptr) {
    minimapImage = resourceManager->LoadTextureEx(device, frontend::kMinimapBackImage, frontend::kMinimapAlpha, 0, 1);
  }
  auto label = [&](const char* text, float x, float y, float scale, bool alternate, int32_t align) {
    return AddText(new TextLabel(device, skin.fontImage, skin.font, text, x, y, scale, alternate, align,
                                 kVirtualWidth, kVirtualHeight));
  };
  label("Practice Race", 33, 8, 1.0f, false, kAlignLeft);
  label("Venue", 70, 170, 1.0f, true, kAlignLeft);
  label("Laps", 350, 220, 0.75f, true, kAlignLeft);
  label("Opponents", 350, 260, 0.75f, true, kAlignLeft);
  label("Vehicle Class", 350, 300, 0.75f, true, kAlignLeft);
  label("AI Difficulty", 350, 340, 0.75f, true, kAlignLeft);
  lapsLabel = label("2", 600, 220, 0.75f, true, kAlignCentre);
  opponentsLabel = label("5", 600, 260, 0.75f, true, kAlignCentre);
  classLabel = label("A", 600, 300, 0.75f, true, kAlignCentre);
  difficultyLabel = label("Medium", 600, 340, 0.75f, true, kAlignCentre);
  AddAtlasImage(device, skin.buttonImage, 8, 7, 18, 32, 135, 442, 152, 474);
  AddAtlasImage(device, skin.buttonImage, 26, 7, 675, 32, 152, 442, 163, 474);
  AddAtlasImage(device, skin.buttonImage, 701, 7, 18, 32, 262, 442, 279, 474);
  AddAtlasImage(device, skin.buttonImage, 25, 160, 20, 306, 3, 204, 21, 509);
  AddAtlasImage(device, skin.buttonImage, 45, 160, 690, 306, 22, 204, 25, 509);
  AddAtlasImage(device, skin.buttonImage, 735, 160, 20, 306, 36, 204, 55, 509);
  MenuButton* race = AddAtlasButton(device, skin.buttonImage, 637, 567, 159, 29, kNextRect, kNextRect, 0, kRace);
  AddButtonLabels(device, race, "Race", skin.fontImage, skin.font, 18, 4, 0.75f, false, kAlignLeft);
  MenuButton* back = AddAtlasButton(device, skin.buttonImage, 5, 567, 159, 29, kBackRect, kBackRect, 0, kBack);
  AddButtonLabels(device, back, "Back", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, frontend::kFullScreenIconNormal,
                 frontend::kFullScreenIconHighlight, 0, kFullScreen);
  AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, frontend::kQuitIconNormal, frontend::kQuitIconHighlight,
                 0, kClose);
  const float stepperRows[4] = {220, 260, 300, 340};
  for (int32_t i = 0; i < 4; ++i) {
    AddAtlasButton(device, skin.buttonImage, 524, stepperRows[i], 26, 24, kLeftNormal, kLeftHighlight, 0,
                   kLapsDown + 2 * i);
    AddAtlasButton(device, skin.buttonImage, 650, stepperRows[i], 26, 24, kRightNormal, kRightHighlight, 0,
                   kLapsUp + 2 * i);
  }
  AddAtlasButton(device, skin.buttonImage, 292.5f, 420, 22, 24, kDownNormal, kDownHighlight, 0, kScrollDown);
  AddAtlasButton(device, skin.buttonImage, 292.5f, 215, 22, 24, kUpNormal, kUpHighlight, 0, kScrollUp);
  scrollThumb = AddAtlasButton(device, skin.buttonImage, 294, kThumbTop, 20, 20, kThumbRect, kThumbRect, 0, kScrollBar);
  AddAtlasButton(device, skin.buttonImage, 294, kThumbTop, 20, 170, kTrackRect, kTrackRect, 0, kScrollBar);
}

void PracticeRaceScreen::ClampFirstRow() {
  if (firstRow + kPracticeVisibleRows >= Count()) firstRow = Count() - kPracticeVisibleRows;
  if (firstRow < 0) firstRow = 0;
}

void PracticeRaceScreen::OnEnter() {
  MenuScreen::OnEnter();
  venues = contentDatabase != nullptr ? contentDatabase->quickRaces.get() : nullptr;
  // A list that shrank since the last visit must not leave the selection past its end.
  if (selected >= Count()) selected = 0;
  firstRow = selected;
  ClampFirstRow();
  SelectVenue(selected);
  StepLaps(0);
  rebuild = true;
}

void PracticeRaceScreen::WriteChoices() {
  race::RaceDefinition* venue = Selected();
  if (venue != nullptr) {
    venue->laps = laps;
    venue->opponents = static_cast<uint32_t>(opponents);
    venue->classRestriction = static_cast<uint32_t>(vehicleClass);
    venue->aiDifficulty = difficulty;
  }
  rebuild = true;
}

void PracticeRaceScreen::SelectVenue(int32_t index) {
  if (index < 0 || index >= Count()) return;
  selected = index;
  WriteChoices();
}

void PracticeRaceScreen::ScrollVenues(int32_t step) {
  firstRow += step;
  ClampFirstRow();
  rebuild = true;
}

void PracticeRaceScreen::DragScrollBar(int32_t id) {
  if (id != kScrollBar) return;
  const float y = ScaledCursor().y;
  const int32_t row = static_cast<int32_t>(
      std::floor((y - kThumbTop) / kThumbTravel * static_cast<float>(Count() - kPracticeVisibleRows) + 0.5f));
  firstRow = std::max(0, std::min(row, Count() - kPracticeVisibleRows));
  rebuild = true;
}

void PracticeRaceScreen::StepLaps(int32_t step) {
  laps = std::clamp(laps + step, kMinPracticeLaps, kMaxPracticeLaps);
  WriteChoices();
}

void PracticeRaceScreen::StepOpponents(int32_t step) {
  opponents = std::clamp(opponents + step, 0, kMaxPracticeOpponents);
  WriteChoices();
}

void PracticeRaceScreen::StepVehicleClass(int32_t step) {
  vehicleClass = Wrap(vehicleClass + step);
  WriteChoices();
}

void PracticeRaceScreen::StepDifficulty(int32_t step) {
  difficulty = Wrap(difficulty + step);
  WriteChoices();
}

int32_t PracticeRaceScreen::HandleInput(const frontend::ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kRace:
      if (screenFlow != nullptr && contentDatabase != nullptr && Selected() != nullptr) {
        frontend::RequestRace(*screenFlow, *contentDatabase, Selected());
      }
      break;
    case kBack: screenFlow->RequestBack(frontend::screen_index::kVehicleClass, 0.0f); break;
    case kScrollDown: ScrollVenues(1); break;
    case kScrollUp: ScrollVenues(-1); break;
    case kClose: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreen:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kLapsDown: StepLaps(-1); break;
    case kLapsUp: StepLaps(1); break;
    case kOpponentsDown: StepOpponents(-1); break;
    case kOpponentsUp: StepOpponents(1); break;
    case kClassDown: StepVehicleClass(-1); break;
    case kClassUp: StepVehicleClass(1); break;
    case kDifficultyDown: StepDifficulty(-1); break;
    case kDifficultyUp: StepDifficulty(1); break;
    case kScrollBar: DragScrollBar(id); break;
    default:
      if (id >= kFirstRow) SelectVenue(id - kFirstRow);
      break;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyEscape)) {
    screenFlow->RequestBack(frontend::screen_index::kVehicleClass, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyF)) ToggleFullScreen();
  return id;
}

void PracticeRaceScreen::ClearVenueRows() { ClearListButtons(rows); }

void PracticeRaceScreen::BuildVenueRows(platform::gfx::Device* device) {
  ClearVenueRows();
  const int32_t last = std::min(firstRow + kPracticeVisibleRows, Count());
  for (int32_t i = firstRow; i < last; ++i) {
    const bool isSelected = i == selected;
    const float y = 210.0f + 40.0f * static_cast<float>(i - firstRow);
    MenuButton* row = AddAtlasButton(device, skin.buttonImage, 57, y, 230, 38, isSelected ? kSelectedRow : kPlainRow,
                                     kSelectedRow, 0, kFirstRow + i);
    const std::string& name = venues->At(i)->name;
    row->SetLabel(device, name, skin.fontImage, skin.font, 10, 10, 0.75f, isSelected, kAlignLeft, kVirtualWidth,
                  kVirtualHeight);
    if (!isSelected) {
      row->SetSubLabel(device, name, skin.fontImage, skin.font, 10, 10, 0.75f, true, kAlignLeft, kVirtualWidth,
                       kVirtualHeight);
    }
    rows.push_back(row);
  }
  if (scrollThumb != nullptr) {
    const int32_t hidden = Count() - kPracticeVisibleRows;
    float offset = hidden > 0 ? static_cast<float>(firstRow) / static_cast<float>(hidden) * kThumbTravel : 0.0f;
    if (offset < 0.0f) offset = 0.0f;
    scrollThumb->SetPosition(scrollThumb->x, kThumbTop + offset);
  }
}

void PracticeRaceScreen::RefreshValues(platform::gfx::Device* device) {
  const race::RaceDefinition* venue = Selected();
  if (venue == nullptr) return;
  const auto safeIndex = [](int64_t value) { return static_cast<size_t>(std::clamp<int64_t>(value, 0, 4)); };
  if (lapsLabel != nullptr) lapsLabel->SetText(device, std::to_string(venue->laps));
  if (opponentsLabel != nullptr) opponentsLabel->SetText(device, std::to_string(venue->opponents));
  if (classLabel != nullptr) classLabel->SetText(device, race::CarClassNames[safeIndex(venue->classRestriction)]);
  if (difficultyLabel != nullptr) difficultyLabel->SetText(device, DifficultyNames[safeIndex(venue->aiDifficulty)]);
  if (minimap) minimap->Release();
  minimap = frontend::race_screen::LoadTrackOutline(*this, device, venue->path, minimapImage, nullptr);
}

void PracticeRaceScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    BuildVenueRows(device);
    RefreshValues(device);
  }
  RenderImages(device);
  if (minimap) minimap->Draw(device);
  RenderButtons(device);
  RenderTexts(device);
}

}  // namespace screens
