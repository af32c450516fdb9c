// The career garage: buying upgrades, the colour selector, stepping through cars and categories, and the page kept
// to the car on display.
#include "screens/garage_screen.h"

#include "contentgen/garage_content.h"
#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"
#include "platform/null_desktop.h"
#include "vehicle/vehicle.h"

namespace screens_test {
namespace {

using screens::GarageScreen;

constexpr char kCarFolder[] = "CARS/TESTCAR/";

// Seven upgrades: two bodies (the stock one not for sale), two paints, two rival spoilers, and a turbo that needs
// an engine the car cannot have.
std::string TestUpgrades() {
  std::string text;
  const auto add = [&](int id, const std::string& name, const char* category, int cost, const char* extra = "") {
    text += "[UPGRADE]\n<NAME>," + name + "\n<CATEGORY>," + category + "\n<ID>," + std::to_string(id) + "\n<COST>," +
            std::to_string(cost) + "\n<EXCLUSIVE>,1\n" + extra + "[/UPGRADE]\n";
  };
  add(1, "Stock Body", "Model", 0, "<DEFAULT_INSTALLED>,1\n<OWNED>,1\n<PURCHASEABLE>,0\n");
  add(13, "Wide Body Kit", "Model", 1000);
  add(2, "Red Paint", "Color", 500, "<MATERIAL>,body,1,0,0,red.png\n");
  add(3, "Blue Paint", "Color", 500, "<MATERIAL>,body,0,0,1,blue.png\n");
  add(4, "Rear Wing", "Spoiler", 1200);
  add(5, "Carbon Fiber Xx Spoilers123", "Spoiler", 800);
  add(8, "Big Turbo", "Fast Turbo", 2000, "<REQUIRES>,6\n");
  return text;
}

class GarageScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_TRUE(contentgen::WriteGarageContent(folder_));
    contentgen::PictureData swatch(contentgen::kSwatchWidth, contentgen::kSwatchHeight);
    swatch.Fill(0xFFFF0000u);
    for (const char* name : {"red.png", "blue.png"}) {
      ASSERT_TRUE(contentgen::WritePng(folder_ + kCarFolder + name, swatch, false));
    }
    database_->vehicleNames = {"ALPHA", "TESTCAR", "ZULU"};
    profile_ = std::make_unique<race::PlayerProfile>(database_.get());  // a record for each car
    settings_->SetString(app::StringSettingId::VEHICLE, "TESTCAR");

    car_ = std::make_unique<vehicle::Vehicle>(resources_.get(), settings_.get(), "", true);
    car_->vehicleName = "TESTCAR";
    car_->folder = kCarFolder;
    car_->cost = 1000;
    car_->upgrades = std::make_unique<vehicle::UpgradeList>();
    car_->upgrades->LoadFromText(TestUpgrades());
    ASSERT_EQ(car_->upgrades->Size(), 7u);

    screen_ = &Open<GarageScreen>();
    screen_->SetShowroomVehicle(car_.get());
    screen_->Render(device_);
  }
  void TearDown() override {
    opened_.reset();
    car_.reset();  // gives its pictures back while the resource manager lives
    FrontEndTest::TearDown();
  }

  bool Shows(const frontend::MenuButton* button) const { return Listed(screen_->buttons, button); }
  vehicle::UpgradeSelection& Record() { return *profile_->GetVehicleRecord("TESTCAR"); }
  // Opens the upgrade page on a category and item of an owned car.
  void OpenUpgradePage(int32_t category, int32_t item) {
    profile_->SetOwned("TESTCAR");
    screen_->category = category;
    screen_->item = item;
    screen_->pageRequested = 1;
    screen_->Render(device_);
  }

  std::unique_ptr<vehicle::Vehicle> car_;
  GarageScreen* screen_ = nullptr;
};

TEST_F(GarageScreenTest, PurchasingAnExclusiveUpgradeTakesOutItsRivalAndNeedsTheMoney) {
  profile_->money = 1199;
  OpenUpgradePage(vehicle::kCategorySpoiler, 0);
  EXPECT_FALSE(screen_->PurchaseUpgrade());
  EXPECT_EQ(profile_->money, 1199);
  EXPECT_FALSE(Record().IsOwned(4));
  profile_->money = 5000;
  ASSERT_TRUE(screen_->PurchaseUpgrade());
  screen_->StepItem(1);
  screen_->Render(device_);
  // The long name wraps onto two lines and the widgets below move down a row.
  ASSERT_EQ(screen_->itemNameLines.size(), 2u);
  EXPECT_EQ(screen_->itemNameLines[0]->text, "Carbon Fiber Xx");
  EXPECT_FLOAT_EQ(screen_->purchaseButton->y, 35 * 2 + 39);
  ASSERT_TRUE(screen_->PurchaseUpgrade());
  EXPECT_EQ(profile_->money, 3000);
  EXPECT_TRUE(Record().IsInstalled(5));
  EXPECT_FALSE(Record().IsInstalled(4));
}

TEST_F(GarageScreenTest, ColourSelectorCyclesAndInstallsTheChosenColour) {
  ASSERT_EQ(screen_->swatchSprites.size(), 2u);
  EXPECT_TRUE(Record().IsInstalled(2));  // choosing is free and stored at once
  screen_->StepColor(1);
  screen_->Render(device_);
  EXPECT_FLOAT_EQ(screen_->colorFrame->x, 416);
  EXPECT_TRUE(Record().IsInstalled(3));
  EXPECT_FALSE(Record().IsInstalled(2));
  screen_->StepColor(1);
  screen_->Render(device_);
  EXPECT_FLOAT_EQ(screen_->colorFrame->x, 376);
}

TEST_F(GarageScreenTest, TheOldCarIsNotAppliedToTheNextOneWhileItLoads) {
  car_->cost = 0;
  screen_->StepCar(1);
  screen_->SetShowroomVehicle(car_.get());  // the showroom still shows the old car
  screen_->Render(device_);
  EXPECT_EQ(screen_->carNameLabel->text, "Loading...");
  EXPECT_FALSE(profile_->IsOwned("ZULU"));
  EXPECT_FALSE(Shows(screen_->buyButton));
  EXPECT_TRUE(screen_->statBars.empty());
  EXPECT_TRUE(profile_->GetVehicleRecord("ZULU")->installedIds.empty());

  vehicle::Vehicle next(resources_.get(), settings_.get(), "", true);
  next.vehicleName = "Zulu";
  next.cost = 2000;
  next.upgrades = std::make_unique<vehicle::UpgradeList>();
  screen_->SetShowroomVehicle(&next);
  screen_->Render(device_);
  EXPECT_EQ(screen_->carNameLabel->text, "Zulu");
  EXPECT_TRUE(Shows(screen_->buyButton));
  EXPECT_EQ(screen_->carPriceLabel->text, "$2000");
  EXPECT_EQ(screen_->statBars.size(), 12u);
  screen_->SetShowroomVehicle(nullptr);
}

TEST_F(GarageScreenTest, CategoryArrowsOfTheUpgradePageSkipColoursAndEmptyCategories) {
  OpenUpgradePage(vehicle::kCategoryModel, 0);
  ASSERT_TRUE(Shows(screen_->categoryNextButton));
  const struct {
    int x;
    vehicle::UpgradeCategory expected;
    const char* name;
  } steps[] = {
      {323, vehicle::kCategorySpoiler, "Spoiler"},   // 1 passed over, 2 and 3 empty
      {39, vehicle::kCategoryModel, "Model"},
      {39, vehicle::kCategoryFastTurbo, "Fast Turbo"},  // backward from 0 wraps to the last one filled
      {323, vehicle::kCategoryModel, "Model"},
  };
  for (const auto& step : steps) {
    ClickAt(*screen_, step.x, 128);
    screen_->Render(device_);
    EXPECT_EQ(screen_->category, static_cast<int32_t>(step.expected)) << step.name;
    EXPECT_EQ(screen_->categoryLabel->text, step.name);
    EXPECT_FALSE(screen_->itemNameLines.empty()) << "the page shows the category's first upgrade";
  }
}

TEST_F(GarageScreenTest, TheUpgradePageOpensOnAnUpgradeOfThisCar) {
  profile_->SetOwned("TESTCAR");
  screen_->rebuild = true;
  screen_->Render(device_);
  // Chosen on another car: an item this car lacks, then a category it lacks.
  for (const auto& [category, item] : {std::pair{vehicle::kCategorySpoiler, 5}, std::pair{vehicle::kCategoryNeon, 0}}) {
    screen_->category = category;
    screen_->item = item;
    screen_->pageRequested = 0;
    screen_->Render(device_);
    ASSERT_TRUE(Shows(screen_->upgradeButton));
    ClickAt(*screen_, 650, 55);  // Upgrade
    screen_->Render(device_);
    EXPECT_EQ(screen_->pageShown, 1);
    ASSERT_NE(screen_->CurrentUpgrade(), nullptr) << vehicle::UpgradeCategoryNames[category];
    EXPECT_FALSE(screen_->itemNameLines.empty());
    EXPECT_TRUE(Shows(screen_->pageBackButton)) << "the way back is there";
  }
}

TEST_F(GarageScreenTest, F9ShowsTheInstalledUpgradesInAnInformationBoxOrFirstLeavesFullScreen) {
  Record().SetOwned(4, true);
  Record().SetInstalled(4, true);
  screen_->rebuild = true;
  screen_->Render(device_);
  screen_->messageWindows = &windows_;
  platform::RecordingClipboard clipboard;
  screen_->clipboard = &clipboard;
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  TapKey(*screen_, GarageScreen::kKeyF9);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_TRUE(windows_.MessageBoxes().empty()) << "a box cannot be seen over a full-screen game";
  EXPECT_TRUE(clipboard.texts.empty());
  TapKey(*screen_, GarageScreen::kKeyF9);
  EXPECT_EQ(clipboard.texts, std::vector<std::string>{":1:2:4"});
  ASSERT_EQ(windows_.MessageBoxes().size(), 1u);
  EXPECT_EQ(windows_.MessageBoxes()[0].caption, "UPGRADE INFO");
  EXPECT_EQ(windows_.MessageBoxes()[0].text, ":1:2:4");
  EXPECT_EQ(windows_.MessageBoxes()[0].flags, platform::message_box::kIconInformation);
}

TEST_F(GarageScreenTest, BuyingACarTakesItsPriceAndIsRefusedWhenThePlayerIsShort) {
  EXPECT_TRUE(Shows(screen_->buyButton));
  EXPECT_FALSE(Shows(screen_->nextButton));
  EXPECT_EQ(screen_->carPriceLabel->text, "$1000");
  profile_->money = 999;
  ClickAt(*screen_, 650, 55);  // Buy
  EXPECT_EQ(profile_->money, 999) << "nothing paid";
  EXPECT_FALSE(profile_->IsOwned("TESTCAR")) << "nothing owned";

  profile_->money = 1000;  // exactly the price
  ClickAt(*screen_, 650, 55);
  EXPECT_EQ(profile_->money, 0);
  EXPECT_TRUE(profile_->IsOwned("TESTCAR"));
  screen_->Render(device_);
  EXPECT_FALSE(Shows(screen_->buyButton));
  EXPECT_TRUE(Shows(screen_->nextButton));
  EXPECT_TRUE(Shows(screen_->upgradeButton));
  ClickAt(*screen_, 700, 580);  // Next
  EXPECT_EQ(Requests(), (frontend_test::Queue{{app::game_state::kEnterMenus, frontend::screen_index::kCareerRace}}));
}

TEST_F(GarageScreenTest, AnOwnedUpgradeIsRemovedAndInstalledAgainWithoutPayingTwice) {
  profile_->money = 5000;
  OpenUpgradePage(vehicle::kCategorySpoiler, 0);
  ASSERT_TRUE(Shows(screen_->purchaseButton));
  EXPECT_EQ(screen_->itemPriceLabel->text, "$1200");
  ClickAt(*screen_, 650, 90);  // Purchase
  EXPECT_EQ(profile_->money, 3800);
  EXPECT_TRUE(Record().IsOwned(4));
  EXPECT_TRUE(Record().IsInstalled(4));
  screen_->Render(device_);
  EXPECT_TRUE(Shows(screen_->removeButton));
  EXPECT_EQ(screen_->itemPriceLabel->text, "Owned");

  ClickAt(*screen_, 650, 90);  // Remove
  EXPECT_FALSE(Record().IsInstalled(4));
  EXPECT_TRUE(Record().IsOwned(4));
  screen_->Render(device_);
  EXPECT_TRUE(Shows(screen_->installButton));
  EXPECT_FALSE(Shows(screen_->purchaseButton));
  ClickAt(*screen_, 650, 90);  // Install
  EXPECT_TRUE(Record().IsInstalled(4));
  EXPECT_EQ(profile_->money, 3800);
}

TEST_F(GarageScreenTest, ALockedUpgradeOffersNoAction) {
  // The turbo needs the rear wing fitted first (an id no upgrade of the car carries would not count).
  car_->upgrades->FindNthInCategory(vehicle::kCategoryFastTurbo, 0)->requiredIds = {4};
  OpenUpgradePage(vehicle::kCategoryFastTurbo, 0);
  EXPECT_EQ(screen_->itemPriceLabel->text, "Locked");
  EXPECT_FALSE(Shows(screen_->purchaseButton) || Shows(screen_->installButton) || Shows(screen_->removeButton));
  profile_->money = 100000;
  ClickAt(*screen_, 650, 90);
  EXPECT_EQ(profile_->money, 100000);
  EXPECT_FALSE(Record().IsOwned(8));
}

TEST_F(GarageScreenTest, TheUpgradePagesArrowsStepThroughTheCategoryAndPageBackReturnsToTheCar) {
  OpenUpgradePage(vehicle::kCategorySpoiler, 0);
  ASSERT_EQ(screen_->pageShown, 1);
  const struct {
    const char* arrow;
    int x, y;
    const char* firstLine;  // the upgrade then shown
  } clicks[] = {{"next", 660, 58, "Carbon Fiber Xx"},
                {"next wraps to the first", 660, 58, "Rear Wing"},
                {"previous wraps to the last", 380, 58, "Carbon Fiber Xx"},
                {"previous", 380, 58, "Rear Wing"}};
  for (const auto& click : clicks) {
    ClickAt(*screen_, click.x, click.y);
    screen_->Render(device_);
    ASSERT_FALSE(screen_->itemNameLines.empty()) << click.arrow;
    EXPECT_EQ(screen_->itemNameLines[0]->text, click.firstLine) << click.arrow;
  }
  ClickAt(*screen_, 380, 90);  // page back
  screen_->Render(device_);
  EXPECT_EQ(screen_->pageShown, 0);
  EXPECT_TRUE(Shows(screen_->upgradeButton));
  EXPECT_FALSE(Shows(screen_->pageBackButton));
  ClickAt(*screen_, 380, 90);  // nothing there now: the page stays
  screen_->Render(device_);
  EXPECT_EQ(screen_->pageShown, 0);
}

TEST_F(GarageScreenTest, TheColourArrowsChooseTheNextAndPreviousPaintAndBackLeavesForTheMainMenu) {
  ASSERT_TRUE(Record().IsInstalled(2));
  ClickAt(*screen_, 470, 460);  // next colour
  screen_->Render(device_);
  EXPECT_TRUE(Record().IsInstalled(3));
  EXPECT_FALSE(Record().IsInstalled(2));
  ClickAt(*screen_, 350, 460);  // previous colour
  screen_->Render(device_);
  EXPECT_TRUE(Record().IsInstalled(2));
  EXPECT_FALSE(Record().IsInstalled(3));
  EXPECT_TRUE(Requests().empty());

  screen_->pageRequested = 1;
  ClickAt(*screen_, 50, 580);  // Back
  EXPECT_EQ(Requests(), (frontend_test::Queue{{app::game_state::kEnterMenus, frontend::screen_index::kMainMenu}}));
  EXPECT_EQ(screen_->pageRequested, 0) << "the garage opens on its car page next time";
}

TEST_F(GarageScreenTest, TransmissionButtonsStoreTheChoice) {
  const struct {
    int y;
    int automatic;
  } clicks[] = {{90, 0}, {55, 1}, {90, 0}};
  settings_->SetInt(app::SettingId::USEAUTOMATIC, 1);
  for (const auto& click : clicks) {
    ClickAt(*screen_, 100, click.y);
    EXPECT_EQ(settings_->GetInt(app::SettingId::USEAUTOMATIC), click.automatic) << click.y;
    screen_->Render(device_);
    EXPECT_EQ(screen_->automaticButton->label->alternate, click.automatic == 1);
    EXPECT_EQ(screen_->manualButton->label->alternate, click.automatic == 0);
  }
}

TEST_F(GarageScreenTest, DeletedThroughItsBaseTheGarageGivesBackEveryImageFontAndSound) {
  // Both pages built, so the page widgets, colour swatches and stat bars all exist.
  OpenUpgradePage(0, 0);
  screen_->pageRequested = 0;
  screen_->Render(device_);
  EXPECT_GT(resources_->Count(render::ResourceKind::kImage), 0u);
  opened_.reset();  // a MenuScreen pointer: the virtual destructor runs the garage's own first
  screen_ = nullptr;
  car_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

}  // namespace
}  // namespace screens_test
