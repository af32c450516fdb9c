// Menu manager: the switching order, message routing, resources given back and the showroom relays.
#include "frontend/menu_manager.h"

#include "frontend_test_support.h"
#include "recording_screen.h"

namespace frontend_test {
namespace {

using frontend::MenuManager;

class FakeShowroom : public frontend::MenuBackdrop {
 public:
  explicit FakeShowroom(std::vector<std::string>* log) : log_(log) {}
  void Load(platform::gfx::Device*, const std::string&) override { log_->push_back("load"); }
  void Update(float) override {}
  void UpdateMotionBlur(float fps) override { log_->push_back("blur " + std::to_string(static_cast<int>(fps))); }
  void RestoreDeviceObjects(platform::gfx::Device*) override {}
  void RenderSecondPass(platform::gfx::Device*) override {}
  void RenderReflections(platform::gfx::Device*) override { log_->push_back("reflections"); }
  void RenderCubeMap(platform::gfx::Device*) override {}
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
  void OpenFakeShowroom() {
    manager_->SetShowroomFactory([this](const frontend::ScreenServices&, int) {
      auto showroom = std::make_unique<FakeShowroom>(&log_);
      showroom->car = car_;
      showroom_ = showroom.get();
      return showroom;
    });
    manager_->OpenShowroom(device_, frontend::kShowroomScene, 1);
  }

  std::unique_ptr<MenuManager> manager_;
  std::vector<std::string> log_;
  FakeShowroom* showroom_ = nullptr;
  vehicle::Vehicle* car_ = reinterpret_cast<vehicle::Vehicle*>(&log_);  // never dereferenced
};

TEST_F(MenuManagerTest, SwitchLeavesThenEntersAndMessagesGoToTheCurrentScreenOnly) {
  Install(1, "one");
  Install(2, "two");
  manager_->SwitchScreen(1);
  log_.clear();
  manager_->SwitchScreen(2);
  manager_->SwitchScreen(2);
  manager_->SwitchScreen(13);  // no such screen: ignored
  manager_->OnKeyMessage(platform::wm::kKeyDown, 'A');
  manager_->OnMouseMessage(platform::wm::kLButtonDown);
  manager_->Update(Window(), 0.016f);
  manager_->Render(device_);
  EXPECT_EQ(log_, (std::vector<std::string>{"one leave", "two enter", "two leave", "two enter", "two key", "two mouse",
                                            "two update", "two render"}));
  // An empty slot takes every call without a screen.
  manager_->SwitchScreen(4);
  manager_->Update(Window(), 0.016f);
  manager_->Render(device_);
  manager_->OnKeyMessage(platform::wm::kKeyDown, 'B');
  EXPECT_EQ(manager_->CurrentScreen(), nullptr);
}

TEST_F(MenuManagerTest, KeyHeldWhileSwitchingIsNotPressedInTheNewScreen) {
  Install(1, "one");
  RecordingScreen* two = Install(2, "two");
  manager_->SwitchScreen(1);
  manager_->OnKeyMessage(platform::wm::kKeyDown, 'A');
  manager_->SwitchScreen(2);
  manager_->Update(Window(), 0.016f);
  EXPECT_FALSE(two->sawPressedKey);
  EXPECT_FALSE(manager_->keyboard.IsKeyHeld('A'));
}

TEST_F(MenuManagerTest, DeletingTheManagerGivesBackEveryImageFontAndSound) {
  EXPECT_GT(resources_->Count(render::ResourceKind::kImage), 0u);
  manager_.reset();
  resources_->PurgeUnused();
  EXPECT_EQ(resources_->Count(render::ResourceKind::kImage), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kFont), 0u);
  EXPECT_EQ(resources_->Count(render::ResourceKind::kSample), 0u);
}

TEST_F(MenuManagerTest, ShowroomIsRelayedAndHandsItsCarToTheScreenAskingForARebuildOnlyOnChange) {
  RecordingScreen* one = Install(1, "one");
  manager_->SwitchScreen(1);
  one->rebuild = false;
  log_.clear();
  OpenFakeShowroom();
  EXPECT_TRUE(one->rebuild);
  one->rebuild = false;
  manager_->ShowroomSetSpeed(30);
  manager_->ShowroomRenderReflections(device_);
  manager_->ShowroomRenderMain(device_);
  EXPECT_EQ(log_, (std::vector<std::string>{"load", "blur 30", "reflections", "main", "one vehicle"}));
  EXPECT_EQ(one->showroomVehicle, car_);
  EXPECT_FALSE(one->rebuild);
  showroom_->changed = true;
  manager_->ShowroomRenderMain(device_);
  EXPECT_TRUE(one->rebuild);
  manager_->CloseShowroom();
  EXPECT_EQ(manager_->Showroom(), nullptr);
  manager_->ShowroomRenderMain(device_);  // nothing to relay to
}

TEST_F(MenuManagerTest, EnteringTheGarageClearsTheShowroomOptionBeforeTheCarArrives) {
  Install(3, "garage");
  OpenFakeShowroom();
  log_.clear();
  manager_->SwitchScreen(3);
  EXPECT_EQ(log_, (std::vector<std::string>{"clear option", "garage vehicle", "garage enter"}));
}

}  // namespace
}  // namespace frontend_test
