// Menu manager: the switching order, message routing and the resources given back.
#include "frontend/menu_manager.h"

#include "frontend_test_support.h"
#include "recording_screen.h"

namespace frontend_test {
namespace {

using frontend::MenuManager;

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

  std::unique_ptr<MenuManager> manager_;
  std::vector<std::string> log_;
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

}  // namespace
}  // namespace frontend_test
