// Car choice before a practice race: catalogue then owned cars, the profile's selection per choice, and the
// installed upgrades shown by F9.
#include "screens/vehicle_class_screen.h"

#include "frontend/frontend_test_support.h"
#include "frontend/screen_ids.h"
#include "platform/null_desktop.h"
#include "vehicle/upgrades.h"
#include "vehicle/vehicle.h"

namespace screens {
namespace {

using frontend_test::FrontEndTest;

class VehicleClassScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    database_->vehicleNames = {"ALPHA", "BRAVO", "CHARLIE"};
    database_->vehiclePaths = {"CARS/ALPHA/a.car", "CARS/BRAVO/b.car", "CARS/CHARLIE/c.car"};
    database_->vehicleClasses = {0, 1, 2};
    profile_ = std::make_unique<race::PlayerProfile>(database_.get());  // a record for each car
    profile_->SetOwned("CHARLIE");
    vehicle::UpgradeSelection* stored = profile_->GetVehicleRecord("CHARLIE");
    ASSERT_NE(stored, nullptr);
    stored->installedIds = {3, 7};
    stored->ownedIds = {3, 7};
  }
  VehicleClassScreen& Screen(const std::string& car) {
    settings_->SetString(app::StringSettingId::VEHICLE, car);
    return Open<VehicleClassScreen>();
  }
  std::string Vehicle() const { return settings_->GetString(app::StringSettingId::VEHICLE); }
  std::vector<uint32_t> Installed() const {
    vehicle::UpgradeSelection selection;
    profile_->GetCurrentSelection(selection);
    return selection.installedIds;
  }
};

TEST_F(VehicleClassScreenTest, ArrowsStepThroughTheCatalogueThenTheOwnedCarsAndSetTheProfileSelection) {
  VehicleClassScreen& screen = Screen("ALPHA");
  EXPECT_EQ(screen.choices, (std::vector<int32_t>{0, 1, 2, 2}));
  EXPECT_EQ(screen.ownCar, (std::vector<bool>{false, false, false, true}));
  ClickAt(screen, 380, 20);  // left arrow wraps to the last choice: the owned CHARLIE
  EXPECT_EQ(screen.position, 3);
  EXPECT_EQ(Vehicle(), "CHARLIE");
  EXPECT_EQ(Installed(), (std::vector<uint32_t>{3, 7}));
  ClickAt(screen, 380, 20);  // the catalogue CHARLIE races without upgrades
  EXPECT_EQ(screen.position, 2);
  EXPECT_EQ(Vehicle(), "CHARLIE");
  EXPECT_TRUE(Installed().empty());
  ClickAt(screen, 660, 20);
  ClickAt(screen, 660, 20);  // right arrow wraps to the first
  EXPECT_EQ(screen.position, 0);
  EXPECT_EQ(Vehicle(), "ALPHA");
  // Entering on an owned car keeps its upgrades.
  EXPECT_EQ(Screen("CHARLIE").position, 3);
  EXPECT_EQ(Installed(), (std::vector<uint32_t>{3, 7}));
  // A car the catalogue no longer lists starts on the last choice.
  EXPECT_EQ(Screen("GONE").position, 3);
  EXPECT_EQ(Vehicle(), "CHARLIE");
}

TEST_F(VehicleClassScreenTest, F9ShowsTheInstalledUpgradesInAnInformationBoxOrFirstLeavesFullScreen) {
  VehicleClassScreen& screen = Screen("ALPHA");
  vehicle::Vehicle car(resources_.get(), settings_.get(), "", true);
  car.upgrades = std::make_unique<vehicle::UpgradeList>();
  for (uint32_t id : {3u, 5u, 12u}) {
    car.upgrades->Upgrades().push_back(std::make_unique<vehicle::KeyedRecord>());
    car.upgrades->Upgrades().back()->id = id;
    car.upgrades->Upgrades().back()->installed = id != 5;
  }
  screen.SetShowroomVehicle(&car);
  screen.messageWindows = &windows_;
  platform::RecordingClipboard clipboard;
  screen.clipboard = &clipboard;
  settings_->SetInt(app::SettingId::FULLSCREEN, 1);
  TapKey(screen, kKeyF9);
  EXPECT_EQ(FullScreen(), 0);
  EXPECT_TRUE(windows_.MessageBoxes().empty());
  EXPECT_TRUE(clipboard.texts.empty());
  TapKey(screen, kKeyF9);
  ASSERT_EQ(windows_.MessageBoxes().size(), 1u);
  EXPECT_EQ(windows_.MessageBoxes()[0].caption, "UPGRADE INFO");
  EXPECT_EQ(windows_.MessageBoxes()[0].text, ":3:12");
  EXPECT_EQ(clipboard.texts, std::vector<std::string>{":3:12"});
  // A clipboard out of reach still leaves the box.
  clipboard.reachable = false;
  TapKey(screen, kKeyF9);
  EXPECT_EQ(windows_.MessageBoxes().size(), 2u);
  screen.SetShowroomVehicle(nullptr);
}

TEST_F(VehicleClassScreenTest, TransmissionButtonsStoreTheChoice) {
  settings_->SetInt(app::SettingId::USEAUTOMATIC, 1);
  VehicleClassScreen& screen = Screen("ALPHA");
  const struct {
    int y;
    int automatic;
  } clicks[] = {{95, 0}, {55, 1}, {95, 0}};
  for (const auto& click : clicks) {
    ClickAt(screen, 100, click.y);
    EXPECT_EQ(settings_->GetInt(app::SettingId::USEAUTOMATIC), click.automatic) << click.y;
    screen.Render(device_);
    EXPECT_EQ(screen.automaticButton->label->alternate, click.automatic == 1);
    EXPECT_EQ(screen.manualButton->label->alternate, click.automatic == 0);
  }
}

TEST_F(VehicleClassScreenTest, NextLeadsOnToThePracticeRaceAndBackToTheMainMenu) {
  VehicleClassScreen& screen = Screen("ALPHA");
  ClickAt(screen, 700, 580);  // Next
  ClickAt(screen, 50, 580);   // Back
  EXPECT_EQ(Requests(), (frontend_test::Queue{{app::game_state::kEnterMenus, frontend::screen_index::kPracticeRace},
                                              {app::game_state::kEnterMenus, frontend::screen_index::kMainMenu}}));
  EXPECT_EQ(Vehicle(), "ALPHA") << "leaving keeps the choice";
}

}  // namespace
}  // namespace screens
