// Car choice before a practice race: catalogue then owned cars, the profile's selection per choice, the
// transmission buttons, the displayed car's texts and bars, and the requests of its buttons and keys.
#include "screens/vehicle_class_screen.h"

#include <algorithm>

#include "app/settings.h"
#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace screens {
namespace {

using frontend_test::FrontEndTest;

class VehicleClassScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    database_ = std::make_unique<race::ContentDatabase>(settings_.get(), folder_ + "no-content.dat");
    database_->vehicleNames = {"ALPHA", "BRAVO", "CHARLIE"};
    database_->vehiclePaths = {"CARS/ALPHA/a.car", "CARS/BRAVO/b.car", "CARS/CHARLIE/c.car"};
    database_->vehicleClasses = {0, 1, 2};
    profile_ = std::make_unique<race::PlayerProfile>(database_.get());
    profile_->SetOwned("CHARLIE");
    vehicle::UpgradeSelection* stored = profile_->GetVehicleRecord("CHARLIE");
    ASSERT_NE(stored, nullptr);
    stored->installedIds = {3, 7};
    stored->ownedIds = {3, 7};
  }
  void TearDown() override {
    screen_.reset();
    car_.reset();
    profile_.reset();
    database_.reset();
    FrontEndTest::TearDown();
  }
  VehicleClassScreen& Screen() {
    if (!screen_) {
      frontend::ScreenServices services = Services();
      services.contentDatabase = database_.get();
      services.profile = profile_.get();
      screen_ = std::make_unique<VehicleClassScreen>(services);
      screen_->Init(device_);
      screen_->OnEnter();
    }
    return *screen_;
  }
  std::string Vehicle() const { return settings_->GetString(app::StringSettingId::VEHICLE); }
  vehicle::UpgradeSelection Current() const {
    vehicle::UpgradeSelection selection;
    profile_->GetCurrentSelection(selection);
    return selection;
  }

  // Width of a sprite's quad, in the buffer's units.
  static float Width(frontend::Sprite* sprite) {
    float low = 1e9f, high = -1e9f;
    for (const frontend::WidgetVertex& vertex : Vertices(sprite->vertexBuffer)) {
      low = std::min(low, vertex.x);
      high = std::max(high, vertex.x);
    }
    return high - low;
  }

  std::unique_ptr<race::ContentDatabase> database_;
  std::unique_ptr<race::PlayerProfile> profile_;
  std::unique_ptr<vehicle::Vehicle> car_;
  std::unique_ptr<VehicleClassScreen> screen_;
};

TEST_F(VehicleClassScreenTest, ListsEveryCatalogueCarThenTheOwnedOnes) {
  settings_->SetString(app::StringSettingId::VEHICLE, "BRAVO");
  VehicleClassScreen& screen = Screen();
  EXPECT_EQ(screen.choices, (std::vector<int32_t>{0, 1, 2, 2}));
  EXPECT_EQ(screen.ownCar, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(screen.position, 1);
  EXPECT_EQ(Vehicle(), "BRAVO");
}

TEST_F(VehicleClassScreenTest, ArrowsStepThroughTheChoicesAndSetTheProfileSelection) {
  settings_->SetString(app::StringSettingId::VEHICLE, "ALPHA");
  VehicleClassScreen& screen = Screen();
  ClickAt(screen, 380, 20);  // left arrow wraps to the last choice: the owned CHARLIE
  EXPECT_EQ(screen.position, 3);
  EXPECT_EQ(Vehicle(), "CHARLIE");
  EXPECT_EQ(Current().installedIds, (std::vector<uint32_t>{3, 7}));
  ClickAt(screen, 380, 20);  // the catalogue CHARLIE races without upgrades
  EXPECT_EQ(screen.position, 2);
  EXPECT_EQ(Vehicle(), "CHARLIE");
  EXPECT_TRUE(Current().installedIds.empty());
  ClickAt(screen, 660, 20);
  ClickAt(screen, 660, 20);  // right arrow wraps to the first
  EXPECT_EQ(screen.position, 0);
  EXPECT_EQ(Vehicle(), "ALPHA");
}

TEST_F(VehicleClassScreenTest, EnteringOnAnOwnedCarKeepsItsUpgrades) {
  settings_->SetString(app::StringSettingId::VEHICLE, "CHARLIE");
  VehicleClassScreen& screen = Screen();
  EXPECT_EQ(screen.position, 3);
  EXPECT_EQ(Current().installedIds, (std::vector<uint32_t>{3, 7}));
}

TEST_F(VehicleClassScreenTest, AnUnknownCarSettingStartsFromTheFirstCar) {
  settings_->SetString(app::StringSettingId::VEHICLE, "NOSUCHCAR");
  VehicleClassScreen& screen = Screen();
  EXPECT_EQ(screen.position, 0);
  EXPECT_EQ(Vehicle(), "ALPHA");
}

TEST_F(VehicleClassScreenTest, TransmissionButtonsSetTheSettingAndShowTheChoice) {
  settings_->SetInt(app::SettingId::USEAUTOMATIC, 1);
  VehicleClassScreen& screen = Screen();
  screen.Render(device_);
  EXPECT_TRUE(screen.automaticButton->label->alternate);
  EXPECT_FALSE(screen.manualButton->label->alternate);
  ClickAt(screen, 100, 95);  // Manual
  EXPECT_EQ(settings_->GetInt(app::SettingId::USEAUTOMATIC), 0);
  screen.Render(device_);
  EXPECT_FALSE(screen.automaticButton->label->alternate);
  EXPECT_TRUE(screen.manualButton->label->alternate);
  ClickAt(screen, 100, 55);  // Automatic
  EXPECT_EQ(settings_->GetInt(app::SettingId::USEAUTOMATIC), 1);
}

TEST_F(VehicleClassScreenTest, ShowsTheDisplayedCarsNameClassAndStatBars) {
  VehicleClassScreen& screen = Screen();
  screen.Render(device_);
  EXPECT_EQ(screen.nameLabel->text, "Loading...");
  EXPECT_EQ(screen.classLabel->text, "Class ?");
  EXPECT_TRUE(screen.statBars.empty());
  car_ = std::make_unique<vehicle::Vehicle>(resources_.get(), settings_.get(), "", true);
  car_->vehicleName = "Bravo GT";
  car_->carClass = 3;
  car_->ratings[3] = 5.0f;  // top speed
  screen.SetShowroomVehicle(car_.get());
  screen.CycleCar(0);
  screen.Render(device_);
  EXPECT_EQ(screen.nameLabel->text, "Bravo GT");
  EXPECT_EQ(screen.classLabel->text, "Class A");
  ASSERT_EQ(screen.statBars.size(), 12u);
  // The top-speed bar's fill is half of the 110-pixel frame; the panel is drawn first, behind the bars.
  const float fill = Width(screen.statBars[0]);
  const float frame = Width(screen.statBars[2]);
  ASSERT_GT(frame, 0.0f);
  EXPECT_NEAR(fill / frame, 0.5f, 1e-4f);
  EXPECT_EQ(screen.images.front(), screen.statsPanel);
}

TEST_F(VehicleClassScreenTest, ButtonsAndKeysQueueTheirScreens) {
  VehicleClassScreen& screen = Screen();
  ClickAt(screen, 700, 580);  // Next
  ClickAt(screen, 50, 580);   // Back
  PressKey(screen, frontend::kKeyEscape);
  screen.Update(Window(), 0.016f);
  ASSERT_EQ(Requests().size(), 3u);
  EXPECT_EQ(Requests()[0].second, frontend::screen_index::kPracticeRace);
  EXPECT_EQ(Requests()[1].second, frontend::screen_index::kMainMenu);
  EXPECT_EQ(Requests()[2].second, frontend::screen_index::kMainMenu);
}

TEST_F(VehicleClassScreenTest, F9ListsTheInstalledUpgradesOnlyInAWindow) {
  VehicleClassScreen& screen = Screen();
  car_ = std::make_unique<vehicle::Vehicle>(resources_.get(), settings_.get(), "", true);
  car_->upgrades = std::make_unique<vehicle::UpgradeList>();
  for (uint32_t id : {3u, 5u, 7u, 12u}) {
    auto upgrade = std::make_unique<vehicle::KeyedRecord>();
    upgrade->id = id;
    upgrade->installed = id != 5;
    car_->upgrades->Upgrades().push_back(std::move(upgrade));
  }
  screen.SetShowroomVehicle(car_.get());
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  PressKey(screen, kKeyF9);
  screen.Update(Window(), 0.016f);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_TRUE(screen.upgradeInfo.empty());
  PressKey(screen, kKeyF9);
  screen.Update(Window(), 0.016f);
  EXPECT_EQ(screen.upgradeInfo, ":3:7:12");
}

}  // namespace
}  // namespace screens
