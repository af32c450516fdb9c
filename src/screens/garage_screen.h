// Menu screen 3, the career garage: over the showroom's car the player steps through the cars and buys one,
// picks gears and colour, and buys, installs or removes upgrades category by category, with stat bars and a
// money counter at the bottom.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frontend/menu_screen.h"
#include "platform/audio/mixer.h"
#include "screens/garage_widgets.h"
#include "vehicle/upgrades.h"

namespace platform {
class Clipboard;
}

namespace screens {

class GarageScreen : public frontend::MenuScreen {
 public:
  enum ButtonId : int32_t {
    kNext = 0, kBack = 1, kNextCar = 2, kPreviousCar = 3, kNextCategoryKey = 4, kPageBackKey = 5,
    kPreviousCategoryKey = 6, kNextItem = 7, kPageBack = 8, kPreviousItem = 9, kFullScreenIcon = 10,
    kQuitIcon = 11, kBuy = 12, kAutomatic = 13, kManual = 14, kUpgrade = 15, kUpgradeKey = 16, kPurchase = 17,
    kInstall = 18, kRemove = 19, kNextColor = 20, kPreviousColor = 21
  };
  static constexpr uintptr_t kKeyF9 = 120;

  // Loads the tally and failure sounds.
  explicit GarageScreen(const frontend::ScreenServices& services);
  // The deleting destructor (DeletingDestructor), reached through the base: frees the widgets held outside the
  // lists and gives back every image, font and sound, then the base deletes whatever is still listed.
  ~GarageScreen() override;

  void Init(platform::gfx::Device* device) override;
  // Loads the working selection of the car named by VEHICLE and asks for a full rebuild of the car page.
  void OnEnter() override;
  // Stops the tally sound.
  void OnLeave() override;
  // The money counter, then input, hover and this frame's key and click reset.
  void Update(const frontend::ScreenWindow& window, float frameTime) override;
  void Render(platform::gfx::Device* device) override;
  int32_t HandleInput(const frontend::ScreenWindow& window) override;
  // Another car than the one VEHICLE named at the last hand-over raises carChanged and the rebuild flag; the same
  // car built again does not.
  void SetShowroomVehicle(vehicle::Vehicle* vehicle) override;

  // step is +1 or -1.
  void StepCar(int32_t step);
  void NextCategory(int32_t step);
  void StepItem(int32_t step);
  // Before the upgrade page opens: when the current category and item name no upgrade of this car, the first
  // upgrade of the current category, or of the next category that has one.
  void ShowAnUpgrade();
  void StepColor(int32_t step);

  // Rebuilds the page widgets from the profile and the car on display.
  void UpdateButtons(platform::gfx::Device* device);
  void BuildTransmissionButtons(platform::gfx::Device* device);
  void ClearPageWidgets();
  void BuildColorSwatches(platform::gfx::Device* device);
  // Places the swatches and frame, and owns and installs the current colour in the car's stored record.
  void LayoutColorSelector(platform::gfx::Device* device);
  void RefreshStatBars(platform::gfx::Device* device);
  void AddStatBar(platform::gfx::Device* device, float x, float y, float upgraded, float base);
  void ClearStatBars();
  // dt in seconds.
  void UpdateMoneyDisplay(float dt);

  // ":id" for every installed upgrade of the car, in list order (F9's upgrade information).
  std::string InstalledUpgradeText() const;

  // Buying and changing, as the buttons do them. Purchases return false (with the failure sound) when the
  // money does not reach the price.
  bool BuyCar();
  bool PurchaseUpgrade();
  void InstallUpgrade(bool install);

  // The name VEHICLE holds, the profile's stored record of it (null when the profile has none) and the
  // item-th purchaseable upgrade of the current category (null without a car or such an upgrade).
  std::string VehicleName() const;
  // The showroom's car when it is the one VEHICLE names: after a car step the old car stays handed in until
  // the new one has loaded, and its price, colours and stats must not be applied to the new car's record.
  vehicle::Vehicle* CarOnDisplay() const;
  vehicle::UpgradeSelection* CarRecord() const;
  vehicle::KeyedRecord* CurrentUpgrade() const;
  vehicle::UpgradeList* CarUpgrades() const;
  // Loads the profile's working selection from the car's stored record / stores it back.
  void LoadSelectionFromRecord();
  void StoreSelectionToRecord();

  render::ImageResource* buttonImage = nullptr;
  render::ImageResource* fontImage = nullptr;
  render::ImageResource* colorSelectorImage = nullptr;
  render::BitmapFont* font = nullptr;
  render::ImageResource* modelImage = nullptr;
  frontend::TextLabel* carNameLabel = nullptr;
  frontend::TextLabel* carPriceLabel = nullptr;
  frontend::TextLabel* itemPriceLabel = nullptr;
  frontend::MenuButton* buyButton = nullptr;
  frontend::MenuButton* purchaseButton = nullptr;
  frontend::MenuButton* installButton = nullptr;
  frontend::MenuButton* removeButton = nullptr;
  frontend::MenuButton* upgradeButton = nullptr;
  frontend::MenuButton* nextButton = nullptr;
  frontend::MenuButton* itemNextButton = nullptr;
  frontend::MenuButton* itemPrevButton = nullptr;
  frontend::MenuButton* pageBackButton = nullptr;
  // The upgrade page's category arrows (ids 6 and 4), its panel and the category's name.
  frontend::MenuButton* categoryPrevButton = nullptr;
  frontend::MenuButton* categoryNextButton = nullptr;
  frontend::Sprite* categoryPanel = nullptr;
  frontend::TextLabel* categoryLabel = nullptr;
  frontend::MenuButton* automaticButton = nullptr;
  frontend::MenuButton* manualButton = nullptr;
  frontend::Sprite* namePanel = nullptr;
  frontend::Sprite* carPricePanel = nullptr;
  frontend::Sprite* itemPricePanel = nullptr;
  frontend::Sprite* itemPageBackPanel = nullptr;
  frontend::Sprite* colorFrame = nullptr;
  frontend::Sprite* statPanel = nullptr;
  frontend::Sprite* modelSprite = nullptr;
  frontend::TextLabel* moneyLabel = nullptr;
  frontend::TextLabel* profileNameLabel = nullptr;
  bool categoryChanged = false;
  bool colorChanged = false;
  bool carChanged = false;
  int32_t pageShown = 0;
  int32_t pageRequested = 0;
  MoneyCounter money;
  int32_t category = 0;
  int32_t item = 0;
  int32_t color = 0;
  std::vector<frontend::Sprite*> statBars;
  std::vector<frontend::TextLabel*> itemNameLines;
  std::vector<render::ImageResource*> swatchImages;
  std::vector<frontend::Sprite*> swatchSprites;
  platform::audio::SampleId tallySound = platform::audio::kNoSample;
  platform::audio::SampleId failureSound = platform::audio::kNoSample;
  int tallyChannel = platform::audio::kNoChannel;
  bool justRemoved = false;
  // The VEHICLE value when the current car was handed in.
  std::string displayedFor;
  // Where F9 shows the upgrade information; the game sets its window system (none: the text is only kept).
  platform::WindowSystem* messageWindows = nullptr;
  // Where F9 copies the upgrade information; the game sets the desktop's clipboard (none: not copied).
  platform::Clipboard* clipboard = nullptr;
  // The text F9 last built.
  std::string upgradeInfo;
};

}  // namespace screens
