// The career garage: car and upgrade shopping over the showroom, with the colour selector, stat bars and money
// counter of its bottom area.
#include "screens/garage_screen.h"

#include <algorithm>
#include <cctype>

#include "app/screen_flow.h"
#include "app/settings.h"
#include "frontend/screen_ids.h"
#include "platform/desktop.h"
#include "frontend/widget_quad.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"
#include "screens/keyed_records.h"
#include "vehicle/vehicle.h"

namespace screens {

using frontend::MenuButton;
using frontend::Sprite;
using frontend::TextLabel;

namespace {

constexpr char kColorSelectorImage[] = "MENUS\\colorselector.PNG";
constexpr char kSwatchAlpha[] = "MENUS\\colorpanela.png";
constexpr char kTallySound[] = "SOUNDS//tally.wav";
constexpr char kFailureSound[] = "SOUNDS//failure.wav";
// Opaque magenta marks the transparent part of a model preview picture.
constexpr uint32_t kModelImageColourKey = 0xFFFF00FF;
constexpr float kLineHeight = 35;

constexpr float kBackRect[4] = {297, 168, 455, 196};
constexpr float kNextRect[4] = {455, 168, 297, 196};
constexpr float kArrowNextNormal[4] = {170, 44, 195, 67};
constexpr float kArrowNextHighlight[4] = {170, 69, 195, 92};
constexpr float kArrowPreviousNormal[4] = {195, 44, 170, 67};
constexpr float kArrowPreviousHighlight[4] = {195, 69, 170, 92};
constexpr float kFullScreenNormal[4] = {428, 1, 475, 30};
constexpr float kQuitNormal[4] = {481, 1, 509, 30};
constexpr float kActionRect[4] = {154, 475, 279, 508};
constexpr float kPageBackNormal[4] = {199, 43, 220, 66};
constexpr float kPageBackHighlight[4] = {199, 68, 220, 91};
constexpr float kPanelRect[4] = {3, 45, 152, 75};
// The upgrade page's category row, under the gear choice: arrows either side of a panel naming the category.
constexpr float kCategoryRowY = 112;
constexpr float kCategoryPanelX = 56;
constexpr float kCategoryPanelWidth = 250;

// The bars in drawing order: position, rating index of the preview, and which base rating it compares with.
struct StatBarPlace {
  float x, y;
  int rating;
};
constexpr StatBarPlace kStatBarPlaces[4] = {{148, 501, 3}, {148, 531, 4}, {414, 501, 1}, {414, 531, 0}};

uint32_t AsUnsigned(int32_t value) { return static_cast<uint32_t>(value); }

}  // namespace

GarageScreen::GarageScreen(const frontend::ScreenServices& services) : MenuScreen(services) {
  if (resourceManager != nullptr) {
    tallySound = resourceManager->LoadSoundSample(kTallySound, false);
    failureSound = resourceManager->LoadSoundSample(kFailureSound, false);
  }
}

GarageScreen::~GarageScreen() {
  OnLeave();
  ClearPageWidgets();
  ClearStatBars();
  // Widgets held outside the lists are freed here; the base frees whatever is still listed.
  for (MenuButton* button : {buyButton, purchaseButton, installButton, removeButton, upgradeButton, nextButton,
                             itemNextButton, itemPrevButton, pageBackButton, categoryNextButton,
                             categoryPrevButton}) {
    RemoveButton(button);
    delete button;
  }
  for (Sprite* sprite : {namePanel, carPricePanel, itemPricePanel, itemPageBackPanel, colorFrame, categoryPanel}) {
    RemoveImage(sprite);
    delete sprite;
  }
  for (TextLabel* label : {carPriceLabel, itemPriceLabel, categoryLabel}) {
    RemoveText(label);
    delete label;
  }
  for (Sprite* sprite : swatchSprites) {
    RemoveImage(sprite);
    delete sprite;
  }
  if (resourceManager != nullptr) {
    for (render::ImageResource* image : swatchImages) resourceManager->ReleaseImage(image);
    for (render::ImageResource* image : {buttonImage, fontImage, colorSelectorImage}) {
      if (image != nullptr) resourceManager->ReleaseImage(image);
    }
    if (font != nullptr) resourceManager->ReleaseFont(font);
    if (tallySound != platform::audio::kNoSample) resourceManager->ReleaseSoundSample(tallySound);
    if (failureSound != platform::audio::kNoSample) resourceManager->ReleaseSoundSample(failureSound);
  }
}

void GarageScreen::Init(platform::gfx::Device* device) {
  using namespace frontend;
  fontImage = resourceManager->LoadTextureEx(device, kFontImage, kFontAlpha, 0, 1);
  font = resourceManager->LoadFont(kFontTable);
  buttonImage = resourceManager->LoadTextureEx(device, kButtonImage, kButtonAlpha, 0, 1);
  colorSelectorImage = resourceManager->LoadTextureEx(device, kColorSelectorImage, kColorSelectorImage, 0, 1);

  AddAtlasImage(device, buttonImage, 8, 7, 18, 32, 135, 442, 152, 474);
  AddAtlasImage(device, buttonImage, 26, 7, 675, 32, 152, 442, 163, 474);
  AddAtlasImage(device, buttonImage, 701, 7, 18, 32, 262, 442, 279, 474);
  AddText(new TextLabel(device, fontImage, font, "Select Car", 33, 8, 0.8f, false, kAlignLeft, kVirtualWidth,
                        kVirtualHeight));
  carNameLabel = AddText(new TextLabel(device, fontImage, font, "Loading...", 526, 8, 0.75f, false, kAlignCentre,
                                       kVirtualWidth, kVirtualHeight));
  AddAtlasButton(device, buttonImage, 370, 11, 26, 24, kArrowPreviousNormal, kArrowPreviousHighlight, 0,
                 kPreviousCar);
  AddAtlasButton(device, buttonImage, 650, 11, 26, 24, kArrowNextNormal, kArrowNextHighlight, 0, kNextCar);
  AddAtlasButton(device, buttonImage, 710, 8, 48, 29, kFullScreenNormal, kFullScreenIconHighlight, 0,
                 kFullScreenIcon);
  AddAtlasButton(device, buttonImage, 764, 8, 29, 29, kQuitNormal, kQuitIconHighlight, 0, kQuitIcon);
  statPanel = AddAtlasImage(device, buttonImage, 5, 495, 792, 65, 245, 43, 307, 107);
  const struct {
    const char* text;
    float x, y;
  } statNames[] = {{"Engine", 137, 498}, {"Transmission", 137, 528}, {"Suspension", 403, 498}, {"Style", 403, 528}};
  for (const auto& name : statNames) {
    AddText(new TextLabel(device, fontImage, font, name.text, name.x, name.y, 0.65f, false, kAlignRight,
                          kVirtualWidth, kVirtualHeight));
  }
  AddAtlasImage(device, buttonImage, 232, 566, 16, 30, 312, 43, 327, 72);
  AddAtlasImage(device, buttonImage, 248, 566, 294, 30, 328, 43, 330, 72);
  AddAtlasImage(device, buttonImage, 542, 566, 16, 30, 327, 43, 312, 72);
  profileNameLabel = AddText(new TextLabel(device, fontImage, font, "", 260, 566, 0.65f, true, kAlignLeft,
                                           kVirtualWidth, kVirtualHeight));
  moneyLabel = AddText(new TextLabel(device, fontImage, font, "$0", 520, 566, 0.65f, true, kAlignRight,
                                     kVirtualWidth, kVirtualHeight));
  MenuButton* back = AddAtlasButton(device, buttonImage, 5, 567, 159, 29, kBackRect, kBackRect, 0, kBack);
  AddButtonLabels(device, back, "Back", fontImage, font, 145, 4, 0.75f, false, kAlignRight);
  AddAtlasButton(device, buttonImage, 340, 450, 26, 24, kArrowPreviousNormal, kArrowPreviousHighlight, 0,
                 kPreviousColor);
  AddAtlasButton(device, buttonImage, 460, 450, 26, 24, kArrowNextNormal, kArrowNextHighlight, 0, kNextColor);
  colorFrame = new Sprite(device, colorSelectorImage, 400, 450, 32, 32, 0, 0, 1, 1, 0, kVirtualWidth,
                          kVirtualHeight);

  // Page widgets: built once, entered in the lists by UpdateButtons while their page shows.
  const auto heldButton = [&](float x, float y, float w, float h, const float* normal, const float* highlight,
                              int32_t id, const char* text, float labelX, int32_t align) {
    MenuButton* button = AddAtlasButton(device, buttonImage, x, y, w, h, normal, highlight, 0, id);
    if (text != nullptr) AddButtonLabels(device, button, text, fontImage, font, labelX, text[0] == 'N' ? 4 : 2,
                                         0.75f, false, align);
    RemoveButton(button);
    return button;
  };
  const auto heldImage = [&](float x, float y, float w, float h, float l, float t, float r, float b) {
    Sprite* sprite = AddAtlasImage(device, buttonImage, x, y, w, h, l, t, r, b);
    RemoveImage(sprite);
    return sprite;
  };
  nextButton = heldButton(637, 567, 159, 29, kNextRect, kNextRect, kNext, "Next", 18, kAlignLeft);
  buyButton = heldButton(593, 39, 126, 35, kActionRect, kActionRect, kBuy, "Buy", 70, kAlignCentre);
  upgradeButton = heldButton(593, 39, 126, 35, kActionRect, kActionRect, kUpgrade, "Upgrade", 70, kAlignCentre);
  purchaseButton = heldButton(593, 74, 126, 35, kActionRect, kActionRect, kPurchase, "Purchase", 70, kAlignCentre);
  installButton = heldButton(593, 74, 126, 35, kActionRect, kActionRect, kInstall, "Install", 70, kAlignCentre);
  removeButton = heldButton(593, 74, 126, 35, kActionRect, kActionRect, kRemove, "Remove", 70, kAlignCentre);
  itemNextButton = heldButton(650, 46, 26, 24, kArrowNextNormal, kArrowNextHighlight, kNextItem, nullptr, 0, 0);
  itemPrevButton =
      heldButton(370, 46, 26, 24, kArrowPreviousNormal, kArrowPreviousHighlight, kPreviousItem, nullptr, 0, 0);
  pageBackButton = heldButton(372, 80, 22, 24, kPageBackNormal, kPageBackHighlight, kPageBack, nullptr, 0, 0);
  categoryPrevButton = heldButton(kCategoryPanelX - 30, kCategoryRowY + 4, 26, 24, kArrowPreviousNormal,
                                  kArrowPreviousHighlight, kPreviousCategoryKey, nullptr, 0, 0);
  categoryNextButton = heldButton(kCategoryPanelX + kCategoryPanelWidth + 4, kCategoryRowY + 4, 26, 24,
                                  kArrowNextNormal, kArrowNextHighlight, kNextCategoryKey, nullptr, 0, 0);
  categoryPanel = heldImage(kCategoryPanelX, kCategoryRowY, kCategoryPanelWidth, 32, kPanelRect[0], kPanelRect[1],
                            kPanelRect[2], kPanelRect[3]);
  categoryLabel = new TextLabel(device, fontImage, font, "", kCategoryPanelX + kCategoryPanelWidth / 2,
                                kCategoryRowY + 5, 0.75f, true, kAlignCentre, kVirtualWidth, kVirtualHeight);
  carPricePanel = heldImage(454, 42, 151, 32, kPanelRect[0], kPanelRect[1], kPanelRect[2], kPanelRect[3]);
  itemPricePanel = heldImage(454, 77, 151, 32, kPanelRect[0], kPanelRect[1], kPanelRect[2], kPanelRect[3]);
  namePanel = heldImage(322, 39, 397, 35, 59, 235, 455, 270);
  itemPageBackPanel = heldImage(357, 77, 50, 32, 315, 77, 365, 108);
  carPriceLabel =
      new TextLabel(device, fontImage, font, "$0", 578, 42, 0.75f, true, kAlignRight, kVirtualWidth, kVirtualHeight);
  itemPriceLabel =
      new TextLabel(device, fontImage, font, "$0", 578, 77, 0.75f, true, kAlignRight, kVirtualWidth, kVirtualHeight);
  BuildTransmissionButtons(device);
}

void GarageScreen::OnEnter() {
  MenuScreen::OnEnter();
  justRemoved = false;
  LoadSelectionFromRecord();
  carChanged = true;
  pageRequested = 0;
  rebuild = true;
}

void GarageScreen::OnLeave() {
  if (tallyChannel != platform::audio::kNoChannel && resourceManager != nullptr) {
    resourceManager->SampleMixer().StopSound(tallyChannel);
  }
  tallyChannel = platform::audio::kNoChannel;
}

void GarageScreen::Update(const frontend::ScreenWindow& window, float frameTime) {
  UpdateMoneyDisplay(frameTime);
  MenuScreen::Update(window, frameTime);
}

void GarageScreen::Render(platform::gfx::Device* device) {
  if (vehicleChanged || rebuild) {
    vehicleChanged = false;
    RefreshStatBars(device);
  }
  if (rebuild) {
    rebuild = false;
    const vehicle::Vehicle* car = CarOnDisplay();
    carNameLabel->SetText(device, car != nullptr ? car->vehicleName : "Loading...");
    BuildTransmissionButtons(device);
    UpdateButtons(device);
  }
  if (pageRequested != pageShown || categoryChanged) UpdateButtons(device);
  if (carChanged) BuildColorSwatches(device);
  if (colorChanged) LayoutColorSelector(device);
  moneyLabel->SetText(device, "$" + std::to_string(static_cast<int64_t>(money.displayed)));
  if (profile != nullptr) profileNameLabel->SetText(device, profile->name);
  MenuScreen::Render(device);
}

void GarageScreen::SetShowroomVehicle(vehicle::Vehicle* vehicle) {
  if (vehicle != showroomVehicle) {
    // Another car brings its own colours and page. The same car built again (after a colour or an upgrade
    // preview changed it) keeps them: rebuilding them would change the car again, every frame.
    const std::string name = VehicleName();
    if (name != displayedFor) {
      carChanged = true;
      rebuild = true;
    }
    displayedFor = name;
  }
  MenuScreen::SetShowroomVehicle(vehicle);
}

vehicle::Vehicle* GarageScreen::CarOnDisplay() const {
  if (showroomVehicle == nullptr) return nullptr;
  const std::string name = VehicleName();
  if (displayedFor == name) return showroomVehicle;
  // A car whose own name matches the setting is the right one even if it came in before the step.
  const std::string& own = showroomVehicle->vehicleName;
  const bool same = own.size() == name.size() &&
                    std::equal(own.begin(), own.end(), name.begin(), [](char a, char b) {
                      return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
                    });
  return same ? showroomVehicle : nullptr;
}

std::string GarageScreen::VehicleName() const {
  return settings != nullptr ? settings->GetString(app::StringSettingId::VEHICLE) : std::string();
}

vehicle::UpgradeSelection* GarageScreen::CarRecord() const {
  return profile != nullptr ? profile->GetVehicleRecord(VehicleName()) : nullptr;
}

vehicle::UpgradeList* GarageScreen::CarUpgrades() const {
  const vehicle::Vehicle* car = CarOnDisplay();
  return car != nullptr ? car->upgrades.get() : nullptr;
}

vehicle::KeyedRecord* GarageScreen::CurrentUpgrade() const {
  vehicle::UpgradeList* list = CarUpgrades();
  if (list == nullptr) return nullptr;
  return list->NthPurchaseableInCategory(static_cast<uint32_t>(category), item);
}

void GarageScreen::LoadSelectionFromRecord() {
  if (profile == nullptr) return;
  const vehicle::UpgradeSelection* record = CarRecord();
  profile->SetCurrentSelection(record != nullptr ? *record : vehicle::UpgradeSelection{});
}

void GarageScreen::StoreSelectionToRecord() {
  if (profile == nullptr) return;
  if (vehicle::UpgradeSelection* record = CarRecord()) profile->GetCurrentSelection(*record);
}

void GarageScreen::ClearPageWidgets() {
  for (MenuButton* button : {buyButton, purchaseButton, installButton, removeButton, upgradeButton, nextButton,
                             itemNextButton, itemPrevButton, pageBackButton, categoryNextButton,
                             categoryPrevButton}) {
    RemoveButton(button);
  }
  for (Sprite* sprite : {namePanel, carPricePanel, itemPricePanel, itemPageBackPanel, categoryPanel}) {
    RemoveImage(sprite);
  }
  for (TextLabel* label : {carPriceLabel, itemPriceLabel, categoryLabel}) RemoveText(label);
  if (modelSprite != nullptr) {
    RemoveImage(modelSprite);
    delete modelSprite;
    modelSprite = nullptr;
  }
  if (modelImage != nullptr) {
    resourceManager->ReleaseImage(modelImage);
    modelImage = nullptr;
  }
  for (TextLabel* label : itemNameLines) {
    RemoveText(label);
    delete label;
  }
  itemNameLines.clear();
}

void GarageScreen::BuildTransmissionButtons(platform::gfx::Device* device) {
  for (MenuButton** button : {&automaticButton, &manualButton}) {
    RemoveButton(*button);
    delete *button;
    *button = nullptr;
  }
  const bool automatic = settings->GetInt(app::SettingId::USEAUTOMATIC) > 0;
  automaticButton = AddAtlasButton(device, buttonImage, 26, 42, 151, 32, kPanelRect, kPanelRect, 0, kAutomatic);
  AddButtonLabels(device, automaticButton, "Automatic", fontImage, font, 73, 5, 0.75f, automatic,
                  frontend::kAlignCentre);
  manualButton = AddAtlasButton(device, buttonImage, 41, 75, 151, 32, kPanelRect, kPanelRect, 0, kManual);
  AddButtonLabels(device, manualButton, "Manual", fontImage, font, 73, 5, 0.75f, !automatic,
                  frontend::kAlignCentre);
}

void GarageScreen::UpdateButtons(platform::gfx::Device* device) {
  categoryChanged = false;
  pageShown = pageRequested;
  ClearPageWidgets();
  vehicle::Vehicle* car = CarOnDisplay();
  vehicle::UpgradeList* list = CarUpgrades();
  if (car == nullptr || list == nullptr || profile == nullptr) return;

  LoadSelectionFromRecord();
  vehicle::UpgradeSelection& selection = *profile->workingSelection;
  list->ApplySelection(&selection);
  const std::string carName = VehicleName();
  const uint32_t funds = AsUnsigned(profile->money);

  if (pageShown == 0) {
    if (car->cost == 0) profile->SetOwned(carName);
    if (!profile->IsOwned(carName)) {
      const uint32_t price = AsUnsigned(car->cost);
      AddButton(buyButton);
      AddImage(carPricePanel);
      carPriceLabel->SetText(device, "$" + std::to_string(price));
      carPriceLabel->SetColor(device, price <= funds);
      AddText(carPriceLabel);
    } else if (list->CountPurchaseable() > 0 && list->CountPurchaseableInCategory(vehicle::kCategoryModel) > 0) {
      AddButton(upgradeButton);
    }
  } else if (vehicle::KeyedRecord* upgrade = CurrentUpgrade()) {
    const int lines = WrapTextToWidth(device, fontImage, font, upgrade->name, itemNameLines, kUpgradeNameLineLimit);
    const float below = kLineHeight * static_cast<float>(lines);
    namePanel->Resize(397, below);
    for (TextLabel* label : itemNameLines) AddText(label);
    AddImage(namePanel);
    AddImage(itemPricePanel);
    AddImage(itemPageBackPanel);
    AddButton(itemNextButton);
    AddButton(itemPrevButton);
    AddButton(pageBackButton);
    AddText(itemPriceLabel);
    AddImage(categoryPanel);
    AddButton(categoryPrevButton);
    AddButton(categoryNextButton);
    categoryLabel->SetText(device, vehicle::UpgradeCategoryNames[category]);
    AddText(categoryLabel);
    itemPricePanel->SetPosition(454, below + 42, frontend::kVirtualWidth, frontend::kVirtualHeight);
    itemPageBackPanel->SetPosition(357, below + 42, frontend::kVirtualWidth, frontend::kVirtualHeight);
    itemPriceLabel->SetPosition(578, below + 42, frontend::kVirtualWidth, frontend::kVirtualHeight);
    pageBackButton->SetPosition(372, below + 45);

    const uint32_t price = AsUnsigned(upgrade->cost);
    if (price == 0) selection.SetOwned(upgrade->id, true);
    const vehicle::UpgradeSelection* record = CarRecord();
    MenuButton* action = nullptr;
    if (!list->RequirementsMet(*upgrade)) {
      itemPriceLabel->SetText(device, "Locked");
    } else if (!selection.IsOwned(upgrade->id)) {
      action = purchaseButton;
      itemPriceLabel->SetText(device, "$" + std::to_string(price));
      itemPriceLabel->SetColor(device, price <= funds);
      // Preview: the car shows the upgrade until the player moves on.
      selection.SetOwned(upgrade->id, true);
      selection.SetInstalledExclusive(*list, upgrade->id, true);
      profile->changed = true;
    } else if (record != nullptr && record->IsInstalled(upgrade->id)) {
      action = removeButton;
      itemPriceLabel->SetText(device, "Owned");
    } else {
      action = installButton;
      itemPriceLabel->SetText(device, "Owned");
      selection.SetInstalledExclusive(*list, upgrade->id, !justRemoved);
      profile->changed = true;
    }
    if (action != nullptr) {
      action->SetPosition(593, below + 39);
      AddButton(action);
    }

    if (category == static_cast<int32_t>(vehicle::kCategoryModel)) {
      // The picture of the upgrade on show: counting over every upgrade of the category instead would show
      // another body's picture whenever a non-purchaseable one (the stock body) comes first.
      const std::string picture = ModelImageName(*upgrade);
      if (!picture.empty()) {
        modelImage = resourceManager->LoadImage(device, car->GetDataFolder() + picture, true,
                                                kModelImageColourKey, false, true);
        if (render::GetImageWidth(modelImage) > 0) {
          modelSprite = AddImage(new Sprite(device, modelImage, 450, 130, 117, 106, 0, 0, 1, 1, 0,
                                            frontend::kVirtualWidth, frontend::kVirtualHeight));
        }
      }
    }
  }
  justRemoved = false;
  if (profile->IsOwned(carName)) AddButton(nextButton);
}

bool GarageScreen::BuyCar() {
  const vehicle::Vehicle* car = CarOnDisplay();
  if (car == nullptr || profile == nullptr) return false;
  const uint32_t price = AsUnsigned(car->cost);
  if (AsUnsigned(profile->money) < price) {
    if (resourceManager != nullptr) resourceManager->SampleMixer().PlaySound(platform::audio::kFreeChannel, failureSound);
    return false;
  }
  profile->money = static_cast<int32_t>(AsUnsigned(profile->money) - price);
  profile->SetOwned(VehicleName());
  pageRequested = 0;
  rebuild = true;
  return true;
}

bool GarageScreen::PurchaseUpgrade() {
  const vehicle::KeyedRecord* upgrade = CurrentUpgrade();
  if (upgrade == nullptr || profile == nullptr) return false;
  const uint32_t price = AsUnsigned(upgrade->cost);
  if (AsUnsigned(profile->money) < price) {
    if (resourceManager != nullptr) resourceManager->SampleMixer().PlaySound(platform::audio::kFreeChannel, failureSound);
    return false;
  }
  profile->money = static_cast<int32_t>(AsUnsigned(profile->money) - price);
  // The working selection already holds the preview: the upgrade owned and installed.
  StoreSelectionToRecord();
  rebuild = true;
  return true;
}

void GarageScreen::InstallUpgrade(bool install) {
  const vehicle::KeyedRecord* upgrade = CurrentUpgrade();
  if (upgrade == nullptr || profile == nullptr) return;
  profile->workingSelection->SetInstalledExclusive(*CarUpgrades(), upgrade->id, install);
  StoreSelectionToRecord();
  rebuild = true;
  profile->changed = true;
  if (!install) justRemoved = true;
}

std::string GarageScreen::InstalledUpgradeText() const {
  std::string text;
  if (const vehicle::UpgradeList* list = CarUpgrades()) {
    for (const auto& upgrade : list->Upgrades()) {
      if (upgrade->installed) text += ":" + std::to_string(upgrade->id);
    }
  }
  return text;
}

int32_t GarageScreen::HandleInput(const frontend::ScreenWindow& window) {
  const int32_t id = MenuScreen::HandleInput(window);
  switch (id) {
    case kNext:
      pageRequested = 0;
      screenFlow->RequestBack(frontend::screen_index::kCareerRace, 0.0f);
      break;
    case kBack:
      pageRequested = 0;
      screenFlow->RequestBack(frontend::screen_index::kMainMenu, 0.0f);
      break;
    case kNextCar:
    case kPreviousCar:
      pageRequested = 0;
      StepCar(id == kNextCar ? 1 : -1);
      break;
    case kNextCategoryKey: NextCategory(1); break;
    case kPreviousCategoryKey: NextCategory(-1); break;
    case kPageBackKey:
    case kPageBack: pageRequested = std::max(0, pageRequested - 1); break;
    case kNextItem: StepItem(1); break;
    case kPreviousItem: StepItem(-1); break;
    case kFullScreenIcon:
      ToggleFullScreen();
      mouse.ResetMouseButtons();
      break;
    case kQuitIcon:
      pageRequested = 0;
      screenFlow->Request(app::game_state::kQuit, 0.0f);
      break;
    case kBuy: BuyCar(); break;
    case kAutomatic:
    case kManual:
      settings->SetInt(app::SettingId::USEAUTOMATIC, id == kAutomatic ? 1 : 0);
      rebuild = true;
      break;
    case kUpgrade:
    case kUpgradeKey:
      pageRequested = std::min(1, pageRequested + 1);
      ShowAnUpgrade();
      break;
    case kPurchase: PurchaseUpgrade(); break;
    case kInstall: InstallUpgrade(true); break;
    case kRemove: InstallUpgrade(false); break;
    case kNextColor: StepColor(1); break;
    case kPreviousColor: StepColor(-1); break;
    default: break;
  }
  if (keyboard.IsKeyPressed(kKeyF9)) {
    if (settings->GetInt(app::SettingId::FULLSCREEN) != 0) {
      settings->SetInt(app::SettingId::FULLSCREEN, 0);
    } else {
      upgradeInfo = InstalledUpgradeText();
      // The player can paste the ids elsewhere; the box shows them either way.
      if (clipboard != nullptr) clipboard->SetText(upgradeInfo);
      if (messageWindows != nullptr) {
        messageWindows->MessageBox(upgradeInfo, "UPGRADE INFO", platform::message_box::kIconInformation);
      }
      keyboard.ClearAllKeys();
      mouse.ResetMouseButtons();
    }
  }
  if (keyboard.IsKeyPressed(frontend::kKeyEscape)) screenFlow->RequestBack(frontend::screen_index::kMainMenu, 0.0f);
  if (keyboard.IsKeyPressed(frontend::kKeyF)) ToggleFullScreen();
  return id;
}

void GarageScreen::StepCar(int32_t step) {
  if (contentDatabase == nullptr || contentDatabase->vehicleNames.empty()) return;
  const auto& names = contentDatabase->vehicleNames;
  const auto found = std::find(names.begin(), names.end(), VehicleName());
  const int32_t index = found != names.end() ? static_cast<int32_t>(found - names.begin()) : -1;
  const int32_t next = WrapIndex(index, step, static_cast<int32_t>(names.size()));
  settings->SetString(app::StringSettingId::VEHICLE, names[static_cast<size_t>(next)]);
  LoadSelectionFromRecord();
  carChanged = true;
  pageRequested = 0;
  rebuild = true;
}

void GarageScreen::NextCategory(int32_t step) {
  categoryChanged = true;
  const int32_t start = category;
  const int32_t count = static_cast<int32_t>(vehicle::kUpgradeCategoryCount);
  vehicle::UpgradeList* list = CarUpgrades();
  for (int32_t tries = 0; tries <= count; ++tries) {
    category = WrapIndex(category, step, count);
    if (category == static_cast<int32_t>(vehicle::kCategoryColor)) category = WrapIndex(category, step, count);
    if (list != nullptr && list->CountPurchaseableInCategory(static_cast<uint32_t>(category)) > 0) {
      item = 0;
      break;
    }
    if (category == start) break;
  }
  LoadSelectionFromRecord();
}

void GarageScreen::ShowAnUpgrade() {
  vehicle::UpgradeList* list = CarUpgrades();
  if (list == nullptr || CurrentUpgrade() != nullptr) return;
  // The category and item were chosen on another car, which may have had more upgrades of that category.
  categoryChanged = true;
  item = 0;
  if (list->CountPurchaseableInCategory(static_cast<uint32_t>(category)) == 0) NextCategory(1);
}

void GarageScreen::StepItem(int32_t step) {
  categoryChanged = true;
  vehicle::UpgradeList* list = CarUpgrades();
  const int32_t count = list != nullptr ? list->CountPurchaseableInCategory(static_cast<uint32_t>(category)) : 0;
  item = WrapIndex(item, step, count);
}

void GarageScreen::StepColor(int32_t step) {
  colorChanged = true;
  vehicle::UpgradeList* list = CarUpgrades();
  const int32_t count = list != nullptr ? list->CountPurchaseableInCategory(vehicle::kCategoryColor) : 0;
  color = WrapIndex(color, step, count);
}

void GarageScreen::BuildColorSwatches(platform::gfx::Device* device) {
  carChanged = false;
  colorChanged = true;
  for (Sprite* sprite : swatchSprites) {
    RemoveImage(sprite);
    delete sprite;
  }
  for (render::ImageResource* image : swatchImages) resourceManager->ReleaseImage(image);
  swatchSprites.clear();
  swatchImages.clear();
  color = 0;
  vehicle::UpgradeList* list = CarUpgrades();
  if (list == nullptr) {
    // The car is still loading: build the swatches once it is handed in.
    carChanged = true;
    return;
  }
  const std::string folder = CarOnDisplay()->GetDataFolder();
  const int count = list->CountPurchaseableInCategory(vehicle::kCategoryColor);
  for (int i = 0; i < count; ++i) {
    const vehicle::KeyedRecord* upgrade = list->NthPurchaseableInCategory(vehicle::kCategoryColor, i);
    if (upgrade->installed) color = i;
    for (const std::string& name : SwatchImageNames(*upgrade)) {
      render::ImageResource* image =
          resourceManager->LoadTextureEx(device, folder + name, kSwatchAlpha, 0, 1);
      swatchImages.push_back(image);
      swatchSprites.push_back(new Sprite(device, image, 0, 0, 25, 16, 0, 0, 1, 1, 0, frontend::kVirtualWidth,
                                         frontend::kVirtualHeight));
    }
  }
}

void GarageScreen::LayoutColorSelector(platform::gfx::Device* /*device*/) {
  colorChanged = false;
  for (Sprite* sprite : swatchSprites) RemoveImage(sprite);
  RemoveImage(colorFrame);
  vehicle::UpgradeList* list = CarUpgrades();
  const int32_t count = list != nullptr ? list->CountPurchaseableInCategory(vehicle::kCategoryColor) : 0;
  // Without a colour to choose the selector stays empty and nothing is installed.
  if (count == 0 || profile == nullptr) return;
  color = std::clamp(color, 0, count - 1);
  const ColorSelectorLayout layout = LayoutSwatches(count, color);
  for (const SwatchPlace& place : layout.swatches) {
    // A colour upgrade without a usable MATERIAL has no swatch: its place stays empty.
    if (place.swatch < 0 || static_cast<size_t>(place.swatch) >= swatchSprites.size()) continue;
    Sprite* sprite = swatchSprites[static_cast<size_t>(place.swatch)];
    sprite->SetPosition(place.x, place.y, frontend::kVirtualWidth, frontend::kVirtualHeight);
    AddImage(sprite);
  }
  colorFrame->SetPosition(layout.frameX, layout.frameY, frontend::kVirtualWidth, frontend::kVirtualHeight);
  AppendImage(colorFrame);

  LoadSelectionFromRecord();
  vehicle::UpgradeSelection& selection = *profile->workingSelection;
  list->ApplySelection(&selection);
  const vehicle::KeyedRecord* chosen = list->NthPurchaseableInCategory(vehicle::kCategoryColor, color);
  selection.SetOwned(chosen->id, true);
  selection.SetInstalledExclusive(*list, chosen->id, true);
  StoreSelectionToRecord();
  profile->changed = true;
  rebuild = true;
}

void GarageScreen::ClearStatBars() {
  for (Sprite* sprite : statBars) {
    RemoveImage(sprite);
    delete sprite;
  }
  statBars.clear();
}

void GarageScreen::AddStatBar(platform::gfx::Device* device, float x, float y, float upgraded, float base) {
  for (const StatBarQuad& quad : StatBarQuads(x, y, upgraded, base)) {
    Sprite* sprite = AddAtlasImage(device, buttonImage, quad.x, quad.y, quad.width, quad.height, quad.left, quad.top,
                                   quad.right, quad.bottom);
    statBars.push_back(sprite);
  }
}

void GarageScreen::RefreshStatBars(platform::gfx::Device* device) {
  ClearStatBars();
  const vehicle::Vehicle* car = CarOnDisplay();
  vehicle::UpgradeList* list = CarUpgrades();
  if (car == nullptr || list == nullptr) return;
  vehicle::UpgradeSelection* record = CarRecord();
  for (const StatBarPlace& place : kStatBarPlaces) {
    const float upgraded = vehicle::UpgradeList::PreviewStat(record, list, place.rating) / 10.0f;
    AddStatBar(device, place.x, place.y, upgraded, car->ratings[place.rating] / 10.0f);
  }
  // Re-entered so that the panel stays drawn under the fresh bars.
  RemoveImage(statPanel);
  AddImage(statPanel);
}

void GarageScreen::UpdateMoneyDisplay(float dt) {
  const float target = profile != nullptr ? static_cast<float>(AsUnsigned(profile->money)) : 0.0f;
  if (!money.Advance(target, dt)) {
    OnLeave();
    return;
  }
  if (tallyChannel == platform::audio::kNoChannel && resourceManager != nullptr &&
      tallySound != platform::audio::kNoSample) {
    tallyChannel = resourceManager->SampleMixer().PlaySound(platform::audio::kFreeChannel, tallySound);
  }
}

}  // namespace screens
