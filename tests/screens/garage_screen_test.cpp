// The career garage: buying cars and upgrades, installing and removing, stat bars, money counter, colour
// selector and stepping through cars, categories and upgrades.
#include "screens/garage_screen.h"

#include <algorithm>

#include "contentgen/data_file_writer.h"
#include "contentgen/garage_content.h"
#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "vehicle/vehicle.h"

namespace screens_test {
namespace {

using screens::GarageScreen;
using Queue = std::vector<std::pair<int32_t, int32_t>>;

constexpr char kCarFolder[] = "CARS/TESTCAR/";

std::string TestUpgrades() {
  contentgen::DataFileWriter w;
  auto upgrade = [&](int id, const std::string& name, const std::string& category, int cost, bool exclusive) {
    w.BeginBlock("UPGRADE");
    w.Record("NAME", {name});
    w.Record("CATEGORY", {category});
    w.Record("ID", {static_cast<double>(id)});
    w.Record("COST", {static_cast<double>(cost)});
    w.Record("EXCLUSIVE", {std::string(exclusive ? "1" : "0")});
  };
  upgrade(1, "Stock Body", "Model", 0, true);
  w.Record("DEFAULT_INSTALLED", {std::string("1")});
  w.Record("OWNED", {std::string("1")});
  w.Record("PURCHASEABLE", {std::string("0")});
  w.Record("STAT_STYLE", {2.0});
  w.EndBlock("UPGRADE");
  upgrade(13, "Wide Body Kit", "Model", 1000, true);
  w.Record("MODEL_IMAGE", {std::string("widebody.png")});
  w.EndBlock("UPGRADE");
  upgrade(2, "Red Paint", "Color", 500, true);
  w.Record("MATERIAL", std::vector<std::string>{"body", "1", "0", "0", "red.png"});
  w.EndBlock("UPGRADE");
  upgrade(3, "Blue Paint", "Color", 500, true);
  w.Record("MATERIAL", std::vector<std::string>{"body", "0", "0", "1", "blue.png"});
  w.EndBlock("UPGRADE");
  upgrade(4, "Rear Wing", "Spoiler", 1200, true);
  w.Record("STAT_HANDLING", {2.0});
  w.EndBlock("UPGRADE");
  upgrade(5, "Carbon Fiber Xx Spoilers123", "Spoiler", 800, true);
  w.Record("STAT_HANDLING", {1.0});
  w.EndBlock("UPGRADE");
  upgrade(6, "Street Engine", "Engine", 3000, true);
  w.Record("STAT_TOPSPEED", {4.0});
  w.EndBlock("UPGRADE");
  upgrade(7, "Chrome Tip", "Exhaust Tip", 0, true);
  w.EndBlock("UPGRADE");
  upgrade(8, "Big Turbo", "Fast Turbo", 2000, true);
  w.Record("REQUIRES", {6.0});
  w.EndBlock("UPGRADE");
  return w.Text();
}

class GarageScreenTest : public frontend_test::FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    ASSERT_TRUE(contentgen::WriteGarageContent(folder_));
    ASSERT_TRUE(contentgen::WriteWav(folder_ + "SOUNDS/failure.wav", std::vector<int16_t>(2205, 500), 22050, 1));
    contentgen::PictureData swatch(contentgen::kSwatchWidth, contentgen::kSwatchHeight);
    swatch.Fill(0xFFFF0000u);
    for (const char* name : {"red.png", "blue.png", "widebody.png"}) {
      ASSERT_TRUE(contentgen::WritePng(folder_ + kCarFolder + name, swatch, false));
    }
    database_ = std::make_unique<race::ContentDatabase>(settings_.get(), folder_ + "missing.txt");
    database_->vehicleNames = {"ALPHA", "TESTCAR", "ZULU"};
    profile_ = std::make_unique<race::PlayerProfile>(database_.get());
    profile_->name = "ACE";
    settings_->SetString(app::StringSettingId::VEHICLE, "TESTCAR");

    car_ = std::make_unique<vehicle::Vehicle>(resources_.get(), settings_.get(), "", true);
    car_->vehicleName = "TESTCAR";
    car_->folder = kCarFolder;
    car_->cost = 1000;
    const float ratings[5] = {3, 4, 5, 6, 7};
    std::copy(std::begin(ratings), std::end(ratings), car_->ratings);
    car_->upgrades = std::make_unique<vehicle::UpgradeList>();
    car_->upgrades->LoadFromText(TestUpgrades());
    ASSERT_EQ(car_->upgrades->Size(), 9u);

    frontend::ScreenServices services = Services();
    services.contentDatabase = database_.get();
    services.profile = profile_.get();
    screen_ = std::make_unique<GarageScreen>(services);
    screen_->Init(device_);
    screen_->OnEnter();
    screen_->SetShowroomVehicle(car_.get());
    screen_->Render(device_);
  }
  void TearDown() override {
    screen_.reset();
    car_.reset();
    FrontEndTest::TearDown();
  }

  bool Shows(const frontend::MenuButton* button) const {
    return std::find(screen_->buttons.begin(), screen_->buttons.end(), button) != screen_->buttons.end();
  }
  bool ShowsImage(const frontend::Sprite* sprite) const {
    return std::find(screen_->images.begin(), screen_->images.end(), sprite) != screen_->images.end();
  }
  vehicle::UpgradeSelection& Record() { return *profile_->GetVehicleRecord("TESTCAR"); }
  // Opens the upgrade page on a category and item of an owned car.
  void OpenUpgradePage(int32_t category, int32_t item) {
    profile_->SetOwned("TESTCAR");
    screen_->category = category;
    screen_->item = item;
    screen_->pageRequested = 1;
    screen_->Render(device_);
  }
  static float Width(frontend::Sprite* sprite) {
    const auto vertices = Vertices(sprite->vertexBuffer);
    float low = vertices.at(0).x, high = vertices.at(0).x;
    for (const auto& v : vertices) {
      low = std::min(low, v.x);
      high = std::max(high, v.x);
    }
    return high - low;
  }

  std::unique_ptr<race::ContentDatabase> database_;
  std::unique_ptr<race::PlayerProfile> profile_;
  std::unique_ptr<vehicle::Vehicle> car_;
  std::unique_ptr<GarageScreen> screen_;
};

TEST_F(GarageScreenTest, BuyingACarTakesItsPriceAndRefusesWhenTooPoor) {
  EXPECT_TRUE(Shows(screen_->buyButton));
  EXPECT_FALSE(Shows(screen_->nextButton));
  EXPECT_EQ(screen_->carPriceLabel->text, "$1000");

  profile_->money = 999;
  ClickAt(*screen_, 650, 55);  // Buy
  EXPECT_EQ(profile_->money, 999);
  EXPECT_FALSE(profile_->IsOwned("TESTCAR"));

  profile_->money = 1000;  // exactly the price
  ClickAt(*screen_, 650, 55);
  EXPECT_EQ(profile_->money, 0);
  EXPECT_TRUE(profile_->IsOwned("TESTCAR"));
  screen_->Render(device_);
  EXPECT_FALSE(Shows(screen_->buyButton));
  EXPECT_TRUE(Shows(screen_->nextButton));
  EXPECT_TRUE(Shows(screen_->upgradeButton));
  ClickAt(*screen_, 700, 580);  // Next
  EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, frontend::screen_index::kCareerRace}}));
}

TEST_F(GarageScreenTest, AFreeCarIsOwnedOnItsFirstPageBuild) {
  car_->cost = 0;
  screen_->rebuild = true;
  screen_->Render(device_);
  EXPECT_TRUE(profile_->IsOwned("TESTCAR"));
  EXPECT_FALSE(Shows(screen_->buyButton));
  EXPECT_TRUE(Shows(screen_->nextButton));
}

TEST_F(GarageScreenTest, PurchaseOwnsAndInstallsTheUpgradeAndRemoveAndInstallToggleIt) {
  profile_->money = 5000;
  OpenUpgradePage(vehicle::kCategorySpoiler, 0);
  ASSERT_TRUE(Shows(screen_->purchaseButton));
  EXPECT_EQ(screen_->itemPriceLabel->text, "$1200");
  EXPECT_TRUE(profile_->workingSelection->IsInstalled(4));  // previewed on the car
  EXPECT_FALSE(Record().IsOwned(4));

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
  EXPECT_FALSE(profile_->workingSelection->IsInstalled(4));  // the removed upgrade stays off for this build
  screen_->categoryChanged = true;
  screen_->Render(device_);
  EXPECT_TRUE(profile_->workingSelection->IsInstalled(4));  // the next build previews it again

  ClickAt(*screen_, 650, 90);  // Install
  EXPECT_TRUE(Record().IsInstalled(4));
}

TEST_F(GarageScreenTest, PurchasingAnExclusiveUpgradeTakesOutItsRival) {
  profile_->money = 5000;
  OpenUpgradePage(vehicle::kCategorySpoiler, 0);
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

TEST_F(GarageScreenTest, PurchaseWithoutEnoughMoneyChangesNothing) {
  profile_->money = 100;
  OpenUpgradePage(vehicle::kCategorySpoiler, 0);
  EXPECT_FALSE(screen_->PurchaseUpgrade());
  EXPECT_EQ(profile_->money, 100);
  EXPECT_FALSE(Record().IsOwned(4));
}

TEST_F(GarageScreenTest, FreeUpgradesAreOwnedAndLockedOnesOfferNoAction) {
  OpenUpgradePage(vehicle::kCategoryExhaustTip, 0);
  EXPECT_TRUE(profile_->workingSelection->IsOwned(7));
  EXPECT_TRUE(Shows(screen_->installButton));
  EXPECT_FALSE(Shows(screen_->purchaseButton));

  screen_->category = vehicle::kCategoryFastTurbo;
  screen_->categoryChanged = true;
  screen_->Render(device_);
  EXPECT_EQ(screen_->itemPriceLabel->text, "Locked");
  EXPECT_FALSE(Shows(screen_->purchaseButton) || Shows(screen_->installButton) || Shows(screen_->removeButton));
}

TEST_F(GarageScreenTest, ModelUpgradeShowsItsPreviewPicture) {
  OpenUpgradePage(vehicle::kCategoryModel, 0);
  ASSERT_NE(screen_->modelSprite, nullptr);
  EXPECT_TRUE(ShowsImage(screen_->modelSprite));
  screen_->pageRequested = 0;
  screen_->Render(device_);
  EXPECT_EQ(screen_->modelSprite, nullptr);
  EXPECT_EQ(screen_->modelImage, nullptr);
}

TEST_F(GarageScreenTest, StatBarsFollowTheInstalledUpgrades) {
  ASSERT_EQ(screen_->statBars.size(), 12u);
  // Top speed (rating 3, base 6): nothing installed adds to it, so the smaller bar is 0.
  EXPECT_NEAR(Width(screen_->statBars[0]), 0, 1e-3);
  EXPECT_NEAR(Width(screen_->statBars[1]) / Width(screen_->statBars[2]), 0.6f, 1e-4);
  Record().SetOwned(6, true);
  Record().SetInstalled(6, true);
  screen_->rebuild = true;
  screen_->Render(device_);
  ASSERT_EQ(screen_->statBars.size(), 12u);
  EXPECT_NEAR(Width(screen_->statBars[0]) / Width(screen_->statBars[2]), 0.4f, 1e-4);
  EXPECT_NEAR(Width(screen_->statBars[1]) / Width(screen_->statBars[2]), 0.6f, 1e-4);

  screen_->SetShowroomVehicle(nullptr);
  screen_->rebuild = true;
  screen_->Render(device_);
  EXPECT_TRUE(screen_->statBars.empty());
  EXPECT_EQ(screen_->carNameLabel->text, "Loading...");
}

TEST_F(GarageScreenTest, MoneyCounterRollsToTheProfilesMoneyWithTheTallySound) {
  profile_->money = 50000;
  screen_->money.displayed = 0;
  screen_->UpdateMoneyDisplay(0.1f);
  EXPECT_FLOAT_EQ(screen_->money.displayed, 10000);
  EXPECT_NE(screen_->tallyChannel, platform::audio::kNoChannel);
  for (int frame = 0; frame < 10; ++frame) screen_->UpdateMoneyDisplay(0.1f);
  EXPECT_FLOAT_EQ(screen_->money.displayed, 50000);
  EXPECT_EQ(screen_->tallyChannel, platform::audio::kNoChannel);
  screen_->Render(device_);
  EXPECT_EQ(screen_->moneyLabel->text, "$50000");
  EXPECT_EQ(screen_->profileNameLabel->text, "ACE");
}

TEST_F(GarageScreenTest, ColourSelectorCyclesAndInstallsTheChosenColour) {
  ASSERT_EQ(screen_->swatchSprites.size(), 2u);
  EXPECT_FLOAT_EQ(screen_->colorFrame->x, 376);
  EXPECT_TRUE(Record().IsInstalled(2));  // choosing is free and stored at once
  screen_->StepColor(1);
  screen_->Render(device_);
  EXPECT_FLOAT_EQ(screen_->colorFrame->x, 416);
  EXPECT_TRUE(Record().IsInstalled(3));
  EXPECT_FALSE(Record().IsInstalled(2));
  EXPECT_TRUE(Record().IsOwned(2));
  screen_->StepColor(1);
  screen_->Render(device_);
  EXPECT_EQ(screen_->color, 0);
  EXPECT_FLOAT_EQ(screen_->colorFrame->x, 376);
  EXPECT_TRUE(ShowsImage(screen_->colorFrame));
}

TEST_F(GarageScreenTest, CarStepsWrapAroundTheContentList) {
  screen_->StepCar(1);
  EXPECT_EQ(settings_->GetString(app::StringSettingId::VEHICLE), "ZULU");
  screen_->StepCar(1);
  EXPECT_EQ(settings_->GetString(app::StringSettingId::VEHICLE), "ALPHA");
  screen_->StepCar(-1);
  EXPECT_EQ(settings_->GetString(app::StringSettingId::VEHICLE), "ZULU");
  settings_->SetString(app::StringSettingId::VEHICLE, "UNKNOWN");
  screen_->StepCar(-1);
  EXPECT_EQ(settings_->GetString(app::StringSettingId::VEHICLE), "ZULU");
  settings_->SetString(app::StringSettingId::VEHICLE, "UNKNOWN");
  screen_->StepCar(1);
  EXPECT_EQ(settings_->GetString(app::StringSettingId::VEHICLE), "ALPHA");
  EXPECT_TRUE(screen_->carChanged);
  EXPECT_EQ(screen_->pageRequested, 0);
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
  ASSERT_TRUE(Shows(screen_->categoryPrevButton));
  EXPECT_EQ(screen_->categoryLabel->text, "Model");
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

TEST_F(GarageScreenTest, CategoryStepComesBackToTheStartWhenOthersAreEmpty) {
  car_->upgrades = std::make_unique<vehicle::UpgradeList>();
  car_->upgrades->LoadFromText(
      "UPGRADE\n{\nNAME Wing\nCATEGORY Spoiler\nID 4\nCOST 10\n}\n");
  screen_->category = vehicle::kCategorySpoiler;
  screen_->item = 3;
  screen_->NextCategory(1);
  EXPECT_EQ(screen_->category, static_cast<int32_t>(vehicle::kCategorySpoiler));
  EXPECT_EQ(screen_->item, 3);
}

TEST_F(GarageScreenTest, UpgradeStepsWrapWithinTheCategory) {
  screen_->category = vehicle::kCategorySpoiler;
  screen_->item = 1;
  screen_->StepItem(1);
  EXPECT_EQ(screen_->item, 0);
  screen_->StepItem(-1);
  EXPECT_EQ(screen_->item, 1);
}

TEST_F(GarageScreenTest, TransmissionButtonsStoreTheChoice) {
  settings_->SetInt(app::SettingId::USEAUTOMATIC, 1);
  ClickAt(*screen_, 100, 90);  // Manual
  EXPECT_EQ(settings_->GetInt(app::SettingId::USEAUTOMATIC), 0);
  screen_->Render(device_);
  EXPECT_TRUE(screen_->manualButton->label->alternate);
  EXPECT_FALSE(screen_->automaticButton->label->alternate);
  ClickAt(*screen_, 100, 55);  // Automatic
  EXPECT_EQ(settings_->GetInt(app::SettingId::USEAUTOMATIC), 1);
}

TEST_F(GarageScreenTest, UpgradeInformationListsInstalledIds) {
  profile_->SetOwned("TESTCAR");
  Record().SetOwned(4, true);
  Record().SetInstalled(4, true);
  screen_->rebuild = true;
  screen_->Render(device_);
  screen_->messageWindows = &windows_;
  PressKey(*screen_, GarageScreen::kKeyF9);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(screen_->upgradeInfo, ":1:2:4");
  ASSERT_EQ(windows_.MessageBoxes().size(), 1u);
  EXPECT_EQ(windows_.MessageBoxes()[0].caption, "UPGRADE INFO");
  EXPECT_EQ(windows_.MessageBoxes()[0].text, ":1:2:4");
  EXPECT_EQ(windows_.MessageBoxes()[0].flags, platform::message_box::kIconInformation);

  // In full screen F9 only leaves full screen.
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  PressKey(*screen_, GarageScreen::kKeyF9);
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_EQ(windows_.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace screens_test
