// Career race screen: races listed by class, the chosen race's panel with its fee, rewards and lock, the track
// outline, the money display counting down after the entry fee is paid, and the race start.
#include "frontend/career_race_screen.h"

#include <cmath>

#include "app/paths.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/race_request.h"
#include "frontend/screen_ids.h"
#include "geometry/models/mesh_model.h"
#include "geometry/path.h"
#include "race/content_database.h"
#include "race/hud/minimap.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "race/race_list.h"
#include "render/resources/resource_manager.h"

namespace frontend {

namespace {
using namespace race_screen;
constexpr float kRaceRect[4] = {455, 168, 297, 196};
constexpr float kBackRect[4] = {297, 168, 455, 196};
constexpr float kDownNormal[4] = {199, 66, 220, 43};
constexpr float kDownHighlight[4] = {199, 91, 220, 68};
constexpr float kUpNormal[4] = {199, 43, 220, 66};
constexpr float kUpHighlight[4] = {199, 68, 220, 91};
constexpr float kKnobRect[4] = {12, 106, 13, 107};
constexpr float kTrackRect[4] = {12, 88, 13, 89};
constexpr float kRowNormal[4] = {50, 85, 52, 100};
constexpr float kRowLit[4] = {2, 2, 231, 31};
constexpr int32_t kClassCount = 5;
constexpr int32_t kRankedClassCount = 4;
constexpr float kOutlineX = 520, kOutlineY = 310, kOutlineSize = 230, kOutlineInset = 12, kOutlineMarker = 16;
}  // namespace

namespace race_screen {

void AddFrame(MenuScreen& screen, platform::gfx::Device* device, render::ImageResource* image) {
  screen.AddAtlasImage(device, image, 8, 7, 18, 32, 135, 442, 152, 474);
  screen.AddAtlasImage(device, image, 26, 7, 675, 32, 152, 442, 163, 474);
  screen.AddAtlasImage(device, image, 701, 7, 18, 32, 262, 442, 279, 474);
  screen.AddAtlasImage(device, image, 25, 160, 20, 306, 3, 204, 21, 509);
  screen.AddAtlasImage(device, image, 45, 160, 690, 306, 22, 204, 25, 509);
  screen.AddAtlasImage(device, image, 735, 160, 20, 306, 36, 204, 55, 509);
  screen.AddAtlasImage(device, image, 232, 566, 16, 30, 312, 43, 327, 72);
  screen.AddAtlasImage(device, image, 248, 566, 294, 30, 328, 43, 330, 72);
  screen.AddAtlasImage(device, image, 542, 566, 16, 30, 327, 43, 312, 72);
}

MenuButton* AddRaceAndBack(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin) {
  MenuButton* race = screen.AddAtlasButton(device, skin.buttonImage, 637, 567, 159, 29, kRaceRect, kRaceRect, 0, kRace);
  screen.AddButtonLabels(device, race, "Race", skin.fontImage, skin.font, 18, 4, 0.75f, false, kAlignLeft);
  MenuButton* back = screen.AddAtlasButton(device, skin.buttonImage, 5, 567, 159, 29, kBackRect, kBackRect, 0, kBack);
  screen.AddButtonLabels(device, back, "Back", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  return race;
}

MenuButton* AddScrollButtons(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin) {
  screen.AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, kFullScreenIconNormal, kFullScreenIconHighlight, 0,
                        kFullScreenIcon);
  screen.AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, kQuitIconNormal, kQuitIconHighlight, 0, kQuitIcon);
  screen.AddAtlasButton(device, skin.buttonImage, 292.5f, 420, 22, 24, kDownNormal, kDownHighlight, 0, kDownArrow);
  screen.AddAtlasButton(device, skin.buttonImage, 292.5f, 215, 22, 24, kUpNormal, kUpHighlight, 0, kUpArrow);
  MenuButton* thumb =
      screen.AddAtlasButton(device, skin.buttonImage, 294, kThumbTop, 20, 20, kKnobRect, kKnobRect, 0, kScrollBar);
  screen.AddAtlasButton(device, skin.buttonImage, 294, kThumbTop, 20, 170, kTrackRect, kTrackRect, 0, kScrollBar);
  return thumb;
}

MenuButton* AddRow(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin, int32_t id, float y,
                   const std::string& name, bool chosen, float labelScale) {
  MenuButton* row = screen.AddAtlasButton(device, skin.buttonImage, 57, y, 230, 38, chosen ? kRowLit : kRowNormal,
                                          kRowLit, 0, id);
  if (chosen) {
    row->SetLabel(device, name, skin.fontImage, skin.font, 10, 10, labelScale, true, kAlignLeft, kVirtualWidth,
                  kVirtualHeight);
  } else {
    screen.AddButtonLabels(device, row, name, skin.fontImage, skin.font, 10, 10, labelScale, false, kAlignLeft);
  }
  return row;
}

void AddRaceFacts(MenuScreen& screen, platform::gfx::Device* device, const ScreenSkin& skin,
                  const race::RaceDefinition& race, std::vector<TextLabel*>& labels) {
  const uint32_t type = race.type < race::kRaceTypeCount ? race.type : 0;
  auto add = [&](const std::string& text, float x, float y) {
    labels.push_back(screen.AddText(new TextLabel(device, skin.fontImage, skin.font, text, x, y, 0.75f, true,
                                                  kAlignLeft, kVirtualWidth, kVirtualHeight)));
  };
  add("Race Type", 350, 220);
  add(std::string(": ") + race::RaceTypeNames[type], 450, 220);
  add("Laps", 350, 260);
  add(": " + std::to_string(race.laps), 450, 260);
  add("Opponents", 350, 300);
  add(": " + std::to_string(race.opponents), 450, 300);
}

void ClearLabels(MenuScreen& screen, std::vector<TextLabel*>& labels) {
  for (TextLabel* label : labels) {
    screen.RemoveText(label);
    delete label;
  }
  labels.clear();
}

std::string TrackModelPath(const std::string& scenePath, const std::string& gameFolder) {
  const std::string absolute =
      app::MakeGameFolderPath(gameFolder.empty() ? app::GetExecutableFolder() : gameFolder, scenePath);
  const std::string file = app::GetFileNamePart(absolute);
  if (file.size() <= 4) return "";
  return app::GetFolderPart(absolute) + file.substr(0, file.size() - 4) + ".MDL";
}

std::unique_ptr<race::Minimap> LoadTrackOutline(MenuScreen& screen, platform::gfx::Device* device,
                                                const std::string& trackPath, render::ImageResource* backImage,
                                                render::ImageResource* startImage) {
  if (screen.resourceManager == nullptr) return nullptr;
  // The track files lie in the game's folder, where its resources are read from.
  const std::string model = TrackModelPath(trackPath, screen.resourceManager->BaseFolder());
  if (model.empty() || !app::FileExists(model)) return nullptr;
  geometry::MeshModel* mesh = geometry::LoadObjectResource(*screen.resourceManager, device, model, "", false, false,
                                                           false);
  std::unique_ptr<race::Minimap> outline;
  if (mesh != nullptr && !mesh->paths.empty() && mesh->paths.front() != nullptr) {
    geometry::Path path = *mesh->paths.front();
    path.Decimate(kOutlinePoints);
    // The world origin is drawn at the outline's position; the labels drawn after it stay on top where they cross.
    outline = std::make_unique<race::Minimap>(device, path, backImage, nullptr, nullptr, startImage, kOutlineX,
                                              kOutlineY, kOutlineSize, kOutlineSize, kOutlineInset, kOutlineMarker,
                                              kVirtualWidth, kVirtualHeight);
    // Without a start picture the start is left out rather than drawn as a blank square.
    if (startImage == nullptr) outline->startMarker.reset();
  }
  if (mesh != nullptr) geometry::ReleaseMeshModel(*screen.resourceManager, mesh);
  return outline;
}

}  // namespace race_screen

CareerRaceScreen::CareerRaceScreen(const ScreenServices& services) : MenuScreen(services) {
  if (resourceManager != nullptr) tallySound = resourceManager->LoadSoundSample(kTallySound, false);
}

CareerRaceScreen::~CareerRaceScreen() {
  if (resourceManager != nullptr && tallySound != platform::audio::kNoSample) {
    if (tallyChannel != -1) resourceManager->SampleMixer().StopSound(tallyChannel);
    resourceManager->ReleaseSoundSample(tallySound);
  }
  if (raceButton != nullptr) {
    RemoveButton(raceButton);
    delete raceButton;
  }
  ClearRowButtons();
  ClearPanelLabels();
  if (minimap) minimap->Release();
  minimap.reset();
  if (resourceManager != nullptr) {
    if (minimapBackImage != nullptr) resourceManager->ReleaseImage(minimapBackImage);
    if (startEndImage != nullptr) resourceManager->ReleaseImage(startEndImage);
  }
  skin.Release(resourceManager);
}

const race::RaceList* CareerRaceScreen::CareerList() const {
  return contentDatabase != nullptr ? contentDatabase->careerRaces.get() : nullptr;
}

race::RaceDefinition* CareerRaceScreen::ChosenRace() const {
  return race::RaceDefinition::NthByClass(CareerList(), static_cast<uint32_t>(selectedClass), selectedIndex);
}

int32_t CareerRaceScreen::RankedRaceCount() const {
  int32_t total = 0;
  for (int32_t c = 0; c < kRankedClassCount; ++c) total += race::RaceDefinition::CountByClass(CareerList(), c);
  return total;
}

bool CareerRaceScreen::CanEnter() const {
  const race::RaceDefinition* race = ChosenRace();
  return race != nullptr && profile != nullptr && profile->CanAffordEntry(*race) && !profile->IsRaceLocked(*race);
}

void CareerRaceScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  if (resourceManager != nullptr) {
    minimapBackImage = resourceManager->LoadTextureEx(device, kMinimapBackImage, kMinimapAlpha, 0, 1);
    startEndImage = resourceManager->LoadTextureEx(device, kStartEndImage, kMinimapAlpha, 0, 1);
  }
  auto label = [&](const std::string& text, float x, float y, float scale, bool alternate, int32_t align) {
    return AddText(new TextLabel(device, skin.fontImage, skin.font, text, x, y, scale, alternate, align,
                                 kVirtualWidth, kVirtualHeight));
  };
  label("Career Race", 33, 8, 0.8f, false, kAlignLeft);
  label("Race Name", 70, 170, 0.8f, true, kAlignLeft);
  messageLabel = label("", 400, 500, 0.65f, false, kAlignCentre);
  moneyLabel = label("$0", 520, 566, 0.75f, true, kAlignRight);
  nameLabel = label(profile != nullptr ? profile->name : "", 260, 566, 0.75f, true, kAlignLeft);
  race_screen::AddFrame(*this, device, skin.buttonImage);
  raceButton = race_screen::AddRaceAndBack(*this, device, skin);
  scrollThumb = race_screen::AddScrollButtons(*this, device, skin);
}

void CareerRaceScreen::OnEnter() {
  MenuScreen::OnEnter();
  selectedClass = 0;
  firstVisibleRow = selectedIndex;
  const int32_t openRaces = race::RaceDefinition::CountByClass(CareerList(), 0);
  if (firstVisibleRow + kVisibleRows >= openRaces) firstVisibleRow = openRaces - kVisibleRows;
  if (firstVisibleRow < 0) firstVisibleRow = 0;
  rebuild = true;
}

void CareerRaceScreen::OnLeave() {
  if (tallyChannel != -1 && resourceManager != nullptr) resourceManager->SampleMixer().StopSound(tallyChannel);
  tallyChannel = -1;
}

void CareerRaceScreen::Update(const ScreenWindow& window, float frameTime) {
  UpdateMoneyDisplay(frameTime);
  HandleInput(window);
  UpdateHover(window);
  keyboard.ClearKeyPresses();
  mouse.ClearMouseClicks();
}

void CareerRaceScreen::Render(platform::gfx::Device* device) {
  if (rebuild) {
    rebuild = false;
    BuildList(device);
    BuildRacePanel(device);
  }
  if (moneyLabel != nullptr) moneyLabel->SetText(device, "$" + std::to_string(static_cast<int64_t>(displayedMoney)));
  if (nameLabel != nullptr && profile != nullptr) nameLabel->SetText(device, profile->name);
  RenderImages(device);
  if (minimap) minimap->Draw(device);
  RenderButtons(device);
  RenderTexts(device);
}

int32_t CareerRaceScreen::HandleInput(const ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kNoButton: break;
    case kRace: {
      // The button is only listed while the race can be entered; check again so a stale click never starts a
      // race the player cannot pay for.
      race::RaceDefinition* race = ChosenRace();
      if (race != nullptr && CanEnter() && contentDatabase != nullptr) {
        PayEntryFee();
        RequestRace(*screenFlow, *contentDatabase, race);
      }
      break;
    }
    case kBack: screenFlow->RequestBack(screen_index::kGarage, 0.0f); break;
    case kDownArrow: MoveSelection(1); break;
    case kUpArrow: MoveSelection(-1); break;
    case kQuitIcon: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kScrollBar: ClickScrollBar(); break;
    default:
      if (id >= kFirstRowId) {
        selectedRow = id - kFirstRowId;
        SelectRow(selectedRow);
      }
      break;
  }
  if (keyboard.IsKeyPressed(kKeyEscape)) {
    screenFlow->RequestBack(screen_index::kGarage, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(kKeyF)) ToggleFullScreen();
  return id;
}

void CareerRaceScreen::SelectRow(int32_t row) {
  int32_t before = 0;
  for (int32_t c = 0; c < kClassCount; ++c) {
    const int32_t count = race::RaceDefinition::CountByClass(CareerList(), c);
    if (row < before + count) {
      selectedClass = c;
      selectedIndex = row - before;
      break;
    }
    before += count;
  }
  rebuild = true;
}

void CareerRaceScreen::MoveSelection(int32_t step) {
  const int32_t total = RankedRaceCount();
  selectedRow += step;
  if (selectedRow >= total) {
    selectedRow = total - 1;
  } else if (selectedRow < 0) {
    selectedRow = 0;
  }
  // An empty ranked list leaves the row at -1 above; hold it at 0 so no negative row is chosen.
  if (selectedRow < 0) selectedRow = 0;
  if (firstVisibleRow > selectedRow) {
    firstVisibleRow = selectedRow;
  } else if (firstVisibleRow + kVisibleRows <= selectedRow) {
    firstVisibleRow = selectedRow - (kVisibleRows - 1);
  }
  SelectRow(selectedRow);
  rebuild = true;
}

void CareerRaceScreen::ClickScrollBar() {
  const float y = static_cast<float>(ScaledCursor().y);
  const int32_t total = RankedRaceCount();
  const float along = (y - kThumbTop) / kThumbTravel;
  int32_t row = static_cast<int32_t>(std::floor(total >= 2 ? along * static_cast<float>(total - 1) : along));
  if (row >= total) {
    row = total - 1;
  } else if (row < 0) {
    row = 0;
  }
  if (row < 0) row = 0;
  selectedRow = row;
  MoveSelection(0);
}

void CareerRaceScreen::ClearRowButtons() { ClearListButtons(rowButtons); }

void CareerRaceScreen::ClearPanelLabels() { race_screen::ClearLabels(*this, panelLabels); }

void CareerRaceScreen::BuildList(platform::gfx::Device* device) {
  ClearRowButtons();
  int32_t rows = 0;
  for (int32_t c = 0; c < kClassCount; ++c) rows += race::RaceDefinition::CountByClass(CareerList(), c);
  float y = 210.0f;
  int32_t row = 0;
  for (int32_t c = 0; c < kClassCount; ++c) {
    const int32_t count = race::RaceDefinition::CountByClass(CareerList(), c);
    for (int32_t n = 0; n < count; ++n, ++row) {
      if (row < firstVisibleRow || row >= firstVisibleRow + kVisibleRows) continue;
      const race::RaceDefinition* race = race::RaceDefinition::NthByClass(CareerList(), c, n);
      const bool chosen = c == selectedClass && n == selectedIndex;
      rowButtons.push_back(
          race_screen::AddRow(*this, device, skin, kFirstRowId + row, y, race != nullptr ? race->name : "", chosen, 0.65f));
      y += 40.0f;
    }
  }
  float offset = rows >= 2 ? static_cast<float>(selectedRow) * kThumbTravel / static_cast<float>(rows - 1)
                           : static_cast<float>(selectedRow) * kThumbTravel;
  if (offset < 0.0f) offset = 0.0f;
  if (scrollThumb != nullptr) scrollThumb->SetPosition(scrollThumb->x, kThumbTop + offset);
}

void CareerRaceScreen::AddPanelLabel(platform::gfx::Device* device, const std::string& text, float x, float y,
                                     bool alternate) {
  panelLabels.push_back(AddText(new TextLabel(device, skin.fontImage, skin.font, text, x, y, 0.75f, alternate,
                                              kAlignLeft, kVirtualWidth, kVirtualHeight)));
}

void CareerRaceScreen::BuildRacePanel(platform::gfx::Device* device) {
  ClearPanelLabels();
  race::RaceDefinition* race = ChosenRace();
  if (raceButton != nullptr) RemoveButton(raceButton);
  if (race == nullptr) return;
  race_screen::AddRaceFacts(*this, device, skin, *race, panelLabels);
  AddPanelLabel(device, "Entry Fee :", 480, 430, false);
  AddPanelLabel(device, "$" + std::to_string(race->entryFee), 630, 430, true);
  AddPanelLabel(device, "REWARDS", 580, 220, false);
  for (uint32_t place = 1; place <= 10 && race->RewardForPlace(place) > 0; ++place) {
    const float y = 220.0f + 20.0f * static_cast<float>(place);
    AddPanelLabel(device, std::to_string(place) + race::OrdinalSuffixes[place], 560, y, false);
    AddPanelLabel(device, ": $" + std::to_string(race->RewardForPlace(place)), 620, y, true);
  }
  std::string message;
  if (profile == nullptr || !profile->CanAffordEntry(*race)) message = kNoFundsMessage;
  if (profile == nullptr || profile->IsRaceLocked(*race)) message = kLockedMessage;
  if (messageLabel != nullptr) messageLabel->SetText(device, message);
  if (message.empty() && raceButton != nullptr) AddButton(raceButton);
  CreateMinimap(device, race->path);
}

void CareerRaceScreen::CreateMinimap(platform::gfx::Device* device, const std::string& trackPath) {
  if (minimap) minimap->Release();
  minimap = race_screen::LoadTrackOutline(*this, device, trackPath, minimapBackImage, startEndImage);
}

void CareerRaceScreen::UpdateMoneyDisplay(float frameTime) {
  const float target = profile != nullptr ? static_cast<float>(profile->money) : 0.0f;
  platform::audio::Mixer* mixer = resourceManager != nullptr ? &resourceManager->SampleMixer() : nullptr;
  if (displayedMoney == target) {
    if (tallyChannel != -1 && mixer != nullptr) mixer->StopSound(tallyChannel);
    tallyChannel = -1;
    return;
  }
  const float step = frameTime * kMoneyCountRate;
  if (displayedMoney < target) {
    displayedMoney += step;
    if (displayedMoney > target) displayedMoney = target;
  } else {
    displayedMoney -= step;
    if (displayedMoney < target) displayedMoney = target;
  }
  if (tallyChannel == -1 && mixer != nullptr && tallySound != platform::audio::kNoSample) {
    tallyChannel = mixer->PlaySound(platform::audio::kFreeChannel, tallySound);
  }
}

void CareerRaceScreen::PayEntryFee() {
  race::RaceDefinition* race = ChosenRace();
  if (race != nullptr && profile != nullptr) profile->PayEntryFee(*race);
}

}  // namespace frontend
