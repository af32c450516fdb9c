// "Select Car" screen before a practice race: steps through the catalogue and the profile's own cars, shows the
// displayed car's name, class and stat bars, and picks automatic or manual transmission.
#include "screens/vehicle_class_screen.h"

#include <algorithm>

#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/screen_ids.h"
#include "platform/desktop.h"
#include "frontend/skin_rects.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "render/resources/resource_manager.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace screens {

using frontend::kAlignCentre;
using frontend::kAlignLeft;
using frontend::kAlignRight;
using frontend::kVirtualHeight;
using frontend::kVirtualWidth;
using frontend::MenuButton;
using frontend::TextLabel;
using namespace frontend::skin;

namespace {
constexpr float kTransmissionRect[4] = {3, 45, 152, 75};
constexpr float kStatBarWidth = 110.0f;
constexpr float kStatBarHeight = 16.0f;
// Stat ratings run 0..10; a bar shows them as 0..1.
constexpr float kRatingScale = 10.0f;
enum Rating { kStyle = 0, kHandling = 1, kNitro = 2, kTopSpeed = 3, kAcceleration = 4 };

}  // namespace

VehicleClassScreen::~VehicleClassScreen() {
  ClearStatBars();
  skin.Release(resourceManager);
}

void VehicleClassScreen::Init(platform::gfx::Device* device) {
  skin.Load(resourceManager, device);
  auto label = [&](const char* text, float x, float y, float scale, bool alternate, int32_t align) {
    return AddText(new TextLabel(device, skin.fontImage, skin.font, text, x, y, scale, alternate, align,
                                 kVirtualWidth, kVirtualHeight));
  };
  label("Select Car", 33, 8, 1.0f, false, kAlignLeft);
  nameLabel = label("", 526, 8, 1.0f, false, kAlignCentre);
  classLabel = label("Class A", 20, 460, 1.0f, true, kAlignLeft);
  label("Top Speed", 137, 498, 0.75f, false, kAlignRight);
  label("Acceleration", 137, 528, 0.75f, false, kAlignRight);
  label("Handling", 403, 498, 0.75f, false, kAlignRight);
  label("Braking", 403, 528, 0.75f, false, kAlignRight);
  label("Nitro", 668, 498, 0.75f, false, kAlignRight);
  label("Style", 668, 528, 0.75f, false, kAlignRight);
  AddAtlasImage(device, skin.buttonImage, 8, 7, 18, 32, 135, 442, 152, 474);
  AddAtlasImage(device, skin.buttonImage, 26, 7, 675, 32, 152, 442, 163, 474);
  AddAtlasImage(device, skin.buttonImage, 701, 7, 18, 32, 262, 442, 279, 474);
  statsPanel = AddAtlasImage(device, skin.buttonImage, 5, 495, 792, 65, 245, 43, 307, 107);
  AddAtlasImage(device, skin.buttonImage, 232, 566, 16, 30, 312, 43, 327, 72);
  AddAtlasImage(device, skin.buttonImage, 248, 566, 294, 30, 328, 43, 330, 72);
  AddAtlasImage(device, skin.buttonImage, 542, 566, 16, 30, 327, 43, 312, 72);
  MenuButton* next = AddAtlasButton(device, skin.buttonImage, 637, 567, 159, 29, kNextRect, kNextRect, 0, kNext);
  AddButtonLabels(device, next, "Next", skin.fontImage, skin.font, 18, 4, 0.75f, false, kAlignLeft);
  MenuButton* back = AddAtlasButton(device, skin.buttonImage, 5, 567, 159, 29, kBackRect, kBackRect, 0, kBack);
  AddButtonLabels(device, back, "Back", skin.fontImage, skin.font, 145, 4, 0.75f, false, kAlignRight);
  AddAtlasButton(device, skin.buttonImage, 650, 11, 26, 24, kRightNormal, kRightHighlight, 0, kRightArrow);
  AddAtlasButton(device, skin.buttonImage, 370, 11, 26, 24, kLeftNormal, kLeftHighlight, 0, kLeftArrow);
  AddAtlasButton(device, skin.buttonImage, 710, 8, 48, 29, frontend::kFullScreenIconNormal,
                 frontend::kFullScreenIconHighlight, 0, kFullScreen);
  AddAtlasButton(device, skin.buttonImage, 764, 8, 29, 29, frontend::kQuitIconNormal, frontend::kQuitIconHighlight,
                 0, kClose);
  BuildTransmissionButtons(device);
}

void VehicleClassScreen::BuildChoices() {
  choices.clear();
  ownCar.clear();
  const int32_t count = contentDatabase != nullptr ? contentDatabase->VehicleCount() : 0;
  for (int32_t i = 0; i < count; ++i) {
    choices.push_back(i);
    ownCar.push_back(false);
  }
  if (profile == nullptr) return;
  for (int32_t i = 0; i < count; ++i) {
    if (profile->IsOwned(contentDatabase->vehicleNames[i])) {
      choices.push_back(i);
      ownCar.push_back(true);
    }
  }
}

void VehicleClassScreen::OnEnter() {
  MenuScreen::OnEnter();
  if (profile != nullptr) profile->ClearCurrentSelection();
  BuildChoices();
  const std::string& current = settings != nullptr ? settings->GetString(app::StringSettingId::VEHICLE) : "";
  const int32_t catalogueIndex = contentDatabase != nullptr ? contentDatabase->FindStringIndex(current) : -1;
  // A VEHICLE the catalogue no longer lists gives -1, which the step below turns into the last choice.
  position = catalogueIndex;
  if (catalogueIndex >= 0 && profile != nullptr && profile->IsOwned(current)) {
    const int32_t catalogueCount = contentDatabase->VehicleCount();
    for (size_t i = static_cast<size_t>(catalogueCount); i < choices.size(); ++i) {
      if (choices[i] == catalogueIndex) {
        position = static_cast<int32_t>(i);
        break;
      }
    }
  }
  CycleCar(0);
}

void VehicleClassScreen::CycleCar(int32_t step) {
  if (choices.empty()) return;
  const int32_t count = static_cast<int32_t>(choices.size());
  position += step;
  if (position >= count) position = 0;
  if (position < 0) position = count - 1;
  const std::string& name = contentDatabase->vehicleNames[static_cast<size_t>(choices[position])];
  if (settings != nullptr) settings->SetString(app::StringSettingId::VEHICLE, name);
  if (profile != nullptr) {
    vehicle::UpgradeSelection* stored = ownCar[position] ? profile->GetVehicleRecord(name) : nullptr;
    if (stored != nullptr) {
      profile->SetCurrentSelection(*stored);
    } else {
      profile->ClearCurrentSelection();
    }
  }
  rebuild = true;
}

std::string VehicleClassScreen::UpgradeInfoText() const {
  std::string text;
  if (showroomVehicle == nullptr || !showroomVehicle->upgrades) return text;
  for (const auto& upgrade : showroomVehicle->upgrades->Upgrades()) {
    if (upgrade && upgrade->installed) text += ":" + std::to_string(upgrade->id);
  }
  return text;
}

int32_t VehicleClassScreen::HandleInput(const frontend::ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kNext: screenFlow->RequestBack(frontend::screen_index::kPracticeRace, 0.0f); break;
    case kBack: screenFlow->RequestBack(frontend::screen_index::kMainMenu, 0.0f); break;
    case kRightArrow: CycleCar(1); break;
    case kLeftArrow: CycleCar(-1); break;
    case kFullScreen:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kClose: screenFlow->Request(app::game_state::kQuit, 0.0f); break;
    case kAutomatic:
      settings->SetInt(app::SettingId::USEAUTOMATIC, 1);
      rebuild = true;
      break;
    case kManual:
      settings->SetInt(app::SettingId::USEAUTOMATIC, 0);
      rebuild = true;
      break;
    default: break;
  }
  if (keyboard.IsKeyPressed(kKeyF9)) {
    if (settings->GetInt(app::SettingId::FULLSCREEN) == 0) {
      upgradeInfo = UpgradeInfoText();
      // The player can paste the ids elsewhere; the box shows them either way.
      if (clipboard != nullptr) clipboard->SetText(upgradeInfo);
      if (messageWindows != nullptr) {
        messageWindows->MessageBox(upgradeInfo, "UPGRADE INFO", platform::message_box::kIconInformation);
      }
      keyboard.ClearAllKeys();
      mouse.ResetMouseButtons();
    } else {
      // The text is shown in a window only: leave full screen first.
      settings->SetInt(app::SettingId::FULLSCREEN, 0);
    }
  }
  if (keyboard.IsKeyPressed(frontend::kKeyEscape)) {
    screenFlow->RequestBack(frontend::screen_index::kMainMenu, 0.0f);
    return id;
  }
  if (keyboard.IsKeyPressed(frontend::kKeyF)) ToggleFullScreen();
  return id;
}

void VehicleClassScreen::BuildTransmissionButtons(platform::gfx::Device* device) {
  for (MenuButton** button : {&automaticButton, &manualButton}) {
    if (*button != nullptr) {
      RemoveButton(*button);
      delete *button;
      *button = nullptr;
    }
  }
  const bool automatic = settings != nullptr && settings->GetInt(app::SettingId::USEAUTOMATIC) > 0;
  automaticButton = AddAtlasButton(device, skin.buttonImage, 26, 42, 151, 32, kTransmissionRect, kTransmissionRect,
                                   0, kAutomatic);
  manualButton = AddAtlasButton(device, skin.buttonImage, 41, 75, 151, 32, kTransmissionRect, kTransmissionRect, 0,
                                kManual);
  const struct {
    MenuButton* button;
    const char* text;
    bool chosen;
  } modes[] = {{automaticButton, "Automatic", automatic}, {manualButton, "Manual", !automatic}};
  for (const auto& mode : modes) {
    mode.button->SetLabel(device, mode.text, skin.fontImage, skin.font, 73, 5, 0.75f, mode.chosen, kAlignCentre,
                          kVirtualWidth, kVirtualHeight);
    mode.button->SetSubLabel(device, mode.text, skin.fontImage, skin.font, 73, 5, 0.75f, true, kAlignCentre,
                             kVirtualWidth, kVirtualHeight);
  }
}

void VehicleClassScreen::ClearStatBars() {
  for (frontend::Sprite* bar : statBars) {
    RemoveImage(bar);
    delete bar;
  }
  statBars.clear();
}

void VehicleClassScreen::AddStatBar(platform::gfx::Device* device, float x, float y, float value, float valueAgain) {
  const float fill = std::clamp(value, 0.0f, 1.0f);
  const float strip = std::clamp(valueAgain, 0.0f, 1.0f);
  // The image list draws the newest image first: frame, then strip, then the fill on top. A stat of 0 leaves
  // the frame empty (a picture of no width would cut nothing out of the atlas).
  if (fill > 0.0f) {
    statBars.push_back(AddAtlasImage(device, skin.buttonImage, x, y, kStatBarWidth * fill, kStatBarHeight, 4, 103,
                                     4 + 109 * fill, 118));
  }
  if (strip > 0.0f) {
    statBars.push_back(AddAtlasImage(device, skin.buttonImage, x, y, kStatBarWidth * strip, kStatBarHeight, 85, 121,
                                     87, 136));
  }
  statBars.push_back(AddAtlasImage(device, skin.buttonImage, x, y, kStatBarWidth, kStatBarHeight, 20, 85, 102, 100));
}

void VehicleClassScreen::BuildStatBars(platform::gfx::Device* device) {
  ClearStatBars();
  if (showroomVehicle == nullptr) return;
  const float* ratings = showroomVehicle->ratings;
  AddStatBar(device, 148, 501, ratings[kTopSpeed] / kRatingScale, ratings[kTopSpeed] / kRatingScale);
  AddStatBar(device, 148, 531, ratings[kAcceleration] / kRatingScale, ratings[kAcceleration] / kRatingScale);
  AddStatBar(device, 414, 501, ratings[kHandling] / kRatingScale, ratings[kHandling] / kRatingScale);
  AddStatBar(device, 680, 531, ratings[kStyle] / kRatingScale, ratings[kStyle] / kRatingScale);
  // Braking and Nitro are named on the panel without a bar.
  if (statsPanel != nullptr) {
    RemoveImage(statsPanel);
    AddImage(statsPanel);
  }
}

void VehicleClassScreen::Render(platform::gfx::Device* device) {
  if (rebuild && nameLabel != nullptr && classLabel != nullptr) {
    rebuild = false;
    if (showroomVehicle != nullptr) {
      nameLabel->SetText(device, showroomVehicle->vehicleName);
      const size_t carClass = static_cast<size_t>(std::clamp(showroomVehicle->carClass, 0, race::kCarClassCount - 1));
      classLabel->SetText(device, std::string("Class ") + race::CarClassNames[carClass]);
    } else {
      nameLabel->SetText(device, "Loading...");
      classLabel->SetText(device, "Class ?");
    }
    BuildTransmissionButtons(device);
  }
  if (vehicleChanged) {
    vehicleChanged = false;
    BuildStatBars(device);
  }
  MenuScreen::Render(device);
}

}  // namespace screens
