// Menu manager: the screen table, the switching order, message routing, loading progress, the pointer and the
// showroom relays.
#include "frontend/menu_manager.h"

#include "frontend/loading_screen.h"
#include "frontend/main_menu_screen.h"
#include "frontend_test_support.h"
#include "recording_screen.h"

namespace frontend_test {
namespace {

using frontend::MenuManager;

class FakeShowroom : public frontend::MenuBackdrop {
 public:
  explicit FakeShowroom(std::vector<std::string>* log) : log_(log) {}
  void Load(platform::gfx::Device*, const std::string& sceneFile) override { log_->push_back("load " + sceneFile); }
  void Update(float) override { log_->push_back("showroom update"); }
  void UpdateMotionBlur(float fps) override { log_->push_back("blur " + std::to_string(static_cast<int>(fps))); }
  void RestoreDeviceObjects(platform::gfx::Device*) override { log_->push_back("restore"); }
  void RenderSecondPass(platform::gfx::Device*) override { log_->push_back("second pass"); }
  void RenderReflections(platform::gfx::Device*) override { log_->push_back("reflections"); }
  void RenderCubeMap(platform::gfx::Device*) override { log_->push_back("cube map"); }
  bool RenderMain(platform::gfx::Device*) override {
    log_->push_back("main");
    return changed;
  }
  vehicle::Vehicle* DisplayedVehicle() const override { return car; }
  void ClearOption() override { log_->push_back("clear option"); }

  bool changed = false;
  vehicle::Vehicle* car = nullptr;

 private:
  std::vector<std::string>* log_;
};

class MenuManagerTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    manager_ = std::make_unique<MenuManager>(device_, resources_.get(), settings_.get(), &flow_, nullptr, nullptr,
                                             nullptr, nullptr);
  }
  void TearDown() override {
    manager_.reset();
    FrontEndTest::TearDown();
  }
  RecordingScreen* Install(int32_t index, const std::string& name) {
    auto screen = std::make_unique<RecordingScreen>(manager_->Services(), &log_, name);
    RecordingScreen* raw = screen.get();
    manager_->InstallScreen(device_, index, std::move(screen));
    return raw;
  }
  void UseFakeShowroom() {
    manager_->SetShowroomFactory([this](const frontend::ScreenServices&, int option) {
      log_.push_back("open " + std::to_string(option));
      auto showroom = std::make_unique<FakeShowroom>(&log_);
      showroom->car = car_;
      showroom_ = showroom.get();
      return showroom;
    });
  }

  std::unique_ptr<MenuManager> manager_;
  std::vector<std::string> log_;
  FakeShowroom* showroom_ = nullptr;
  vehicle::Vehicle* car_ = reinterpret_cast<vehicle::Vehicle*>(&log_);  // never dereferenced
};

TEST_F(MenuManagerTest, BuildsItsOwnScreensAndLeavesOthersForTheGame) {
  EXPECT_NE(dynamic_cast<frontend::MainMenuScreen*>(manager_->Screen(0)), nullptr);
  EXPECT_NE(manager_->Screen(6), nullptr);
  EXPECT_NE(manager_->Screen(10), nullptr);
  EXPECT_NE(dynamic_cast<frontend::LoadingScreen*>(manager_->Screen(12)), nullptr);
  EXPECT_EQ(manager_->Screen(3), nullptr);
  EXPECT_EQ(manager_->Screen(13), nullptr);
  EXPECT_EQ(manager_->Screen(-1), nullptr);
  EXPECT_EQ(manager_->current, 0);
  RecordingScreen* garage = Install(3, "garage");
  EXPECT_EQ(manager_->Screen(3), garage);
  EXPECT_EQ(log_, (std::vector<std::string>{"garage init"}));
  // Slot 13 never holds a screen.
  manager_->InstallScreen(device_, 13, std::make_unique<RecordingScreen>(manager_->Services(), &log_, "x"));
  EXPECT_EQ(manager_->Screen(13), nullptr);
}

TEST_F(MenuManagerTest, DeletingTheManagerGivesBackEveryImageFontAndSound) {
  EXPECT_GT(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_GT(resources_->Count(render::ResourceKind::kSample), 0u);
  manager_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

TEST_F(MenuManagerTest, SwitchLeavesTheOldScreenThenEntersTheNewOne) {
  Install(1, "one");
  Install(2, "two");
  manager_->SwitchScreen(1);
  log_.clear();
  manager_->SwitchScreen(2);
  EXPECT_EQ(log_, (std::vector<std::string>{"one leave", "two enter"}));
  EXPECT_EQ(manager_->current, 2);
  log_.clear();
  manager_->SwitchScreen(2);
  EXPECT_EQ(log_, (std::vector<std::string>{"two leave", "two enter"}));
  log_.clear();
  manager_->SwitchScreen(13);
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(manager_->current, 2);
}

TEST_F(MenuManagerTest, SwitchingToAnEmptySlotIsHarmless) {
  manager_->SwitchScreen(4);
  EXPECT_EQ(manager_->CurrentScreen(), nullptr);
  manager_->Update(Window(), 0.016f);
  manager_->Render(device_);
  manager_->OnKeyMessage(platform::wm::kKeyDown, 'A');
  manager_->OnMouseMessage(platform::wm::kLButtonDown);
  manager_->SetRaceResults(nullptr);
  EXPECT_EQ(manager_->current, 4);
}

TEST_F(MenuManagerTest, MessagesGoToTheCurrentScreenOnly) {
  Install(1, "one");
  Install(2, "two");
  manager_->SwitchScreen(2);
  log_.clear();
  manager_->OnKeyMessage(platform::wm::kKeyDown, 'A');
  manager_->OnMouseMessage(platform::wm::kLButtonDown);
  manager_->Update(Window(), 0.016f);
  manager_->Render(device_);
  manager_->SetRaceResults(nullptr);
  EXPECT_EQ(log_, (std::vector<std::string>{"two key", "two mouse", "two update", "two render", "two results"}));
  EXPECT_TRUE(manager_->keyboard.IsKeyHeld('A'));
}

TEST_F(MenuManagerTest, KeyHeldWhileSwitchingIsNotPressedInTheNewScreen) {
  Install(1, "one");
  RecordingScreen* two = Install(2, "two");
  manager_->SwitchScreen(1);
  manager_->OnKeyMessage(platform::wm::kKeyDown, 'A');
  manager_->SwitchScreen(2);
  manager_->Update(Window(), 0.016f);
  EXPECT_FALSE(two->sawPressedKey);
  EXPECT_FALSE(two->keyboard.IsKeyHeld('A'));
  EXPECT_FALSE(manager_->keyboard.IsKeyHeld('A'));
}

TEST_F(MenuManagerTest, LoadingProgressReachesOnlyTheLoadingScreen) {
  RecordingScreen* loading = Install(12, "loading");
  Install(1, "one");
  manager_->SwitchScreen(1);
  log_.clear();
  manager_->SetLoadingProgress(device_, 3);
  EXPECT_TRUE(log_.empty());
  manager_->SwitchScreen(12);
  log_.clear();
  manager_->SetLoadingProgress(device_, 3);
  EXPECT_EQ(log_, (std::vector<std::string>{"loading progress 3"}));
  EXPECT_EQ(manager_->CurrentScreen(), loading);
}

TEST_F(MenuManagerTest, PointerFollowsTheScaledCursorAndIsDrawnLast) {
  PointAt(400, 300);
  manager_->Update(Window(), 0.016f);
  EXPECT_FLOAT_EQ(manager_->pointer->x, 400);
  EXPECT_FLOAT_EQ(manager_->pointer->y, 300);
  EXPECT_EQ(manager_->pointer->screenWidth, 800u);
  device_->ClearRecords();
  manager_->Render(device_);
  ASSERT_FALSE(device_->Draws().empty());
  platform::Matrix4 view;
  device_->GetTransform(platform::gfx::TransformState::View, view);
  EXPECT_FLOAT_EQ(view.m[3][0], 0);
  EXPECT_FLOAT_EQ(view.m[3][1], 0);
}

TEST_F(MenuManagerTest, ShowroomOperationsWithoutAShowroomDoNothing) {
  Install(1, "one");
  manager_->OpenShowroom(device_, frontend::kShowroomScene, 1);  // no factory: no showroom
  EXPECT_EQ(manager_->Showroom(), nullptr);
  manager_->ShowroomSetSpeed(60);
  manager_->ShowroomRestoreDeviceObjects(device_);
  manager_->ShowroomRenderSecondPass(device_);
  manager_->ShowroomRenderReflections(device_);
  manager_->ShowroomRenderCubeMap(device_);
  manager_->ShowroomRenderMain(device_);
  log_.clear();
  manager_->SwitchScreen(1);
  EXPECT_EQ(log_, (std::vector<std::string>{"one enter"}));
}

TEST_F(MenuManagerTest, OpenedShowroomIsRelayedAndHandsItsCarToTheScreen) {
  RecordingScreen* one = Install(1, "one");
  manager_->SwitchScreen(1);
  UseFakeShowroom();
  one->rebuild = false;
  log_.clear();
  manager_->OpenShowroom(device_, frontend::kShowroomScene, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"open 1", std::string("load ") + frontend::kShowroomScene}));
  EXPECT_TRUE(one->rebuild);
  one->rebuild = false;
  log_.clear();
  manager_->ShowroomSetSpeed(30);
  manager_->ShowroomRenderReflections(device_);
  manager_->ShowroomRenderCubeMap(device_);
  manager_->ShowroomRenderMain(device_);
  EXPECT_EQ(log_, (std::vector<std::string>{"blur 30", "reflections", "cube map", "main", "one vehicle"}));
  EXPECT_EQ(one->showroomVehicle, car_);
  EXPECT_FALSE(one->rebuild);
  showroom_->changed = true;
  manager_->ShowroomRenderMain(device_);
  EXPECT_TRUE(one->rebuild);
  manager_->CloseShowroom();
  EXPECT_EQ(manager_->Showroom(), nullptr);
}

TEST_F(MenuManagerTest, EnteringTheGarageClearsTheShowroomOptionBeforeTheCarArrives) {
  Install(3, "garage");
  UseFakeShowroom();
  manager_->OpenShowroom(device_, frontend::kShowroomScene, 1);
  log_.clear();
  manager_->SwitchScreen(3);
  EXPECT_EQ(log_, (std::vector<std::string>{"clear option", "garage vehicle", "garage enter"}));
}

}  // namespace
}  // namespace frontend_test
