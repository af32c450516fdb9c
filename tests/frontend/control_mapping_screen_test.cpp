// Control mapping: key capture with one key per action, unnamed keys refused, and the controller switch with its
// button and moving-axis capture.
#include "frontend/control_mapping_screen.h"

#include "app/input_devices.h"
#include "frontend/screen_ids.h"
#include "frontend_test_support.h"

namespace frontend_test {
namespace {

using app::SettingId;

constexpr int kBrake = 3;
constexpr int kShiftUp = 5;
constexpr int kKeyA = 65;

class ControlMenuScreenTest : public FrontEndTest {
 protected:
  void SetUp() override {
    FrontEndTest::SetUp();
    settings_->DefaultKeys();
    devices_ = std::make_unique<app::InputDevices>(0, [](bool) { return nullptr; });
    screen_ = &Open<frontend::ControlMenuScreen>(devices_.get());
    screen_->Render(device_);
  }
  void Click(int x, int y) {
    ClickAt(*screen_, x, y);
    screen_->Render(device_);
  }
  // One frame with a key pressed.
  void Press(uintptr_t key) {
    TapKey(*screen_, key);
    screen_->OnKeyMessage(platform::wm::kKeyUp, key);
    screen_->Render(device_);
  }
  void ClickKeyCell(int action) { Click(500, 210 + 24 * action); }
  void ClickControllerCell(int action) { Click(660, 210 + 24 * action); }
  const frontend::MenuButton* Row(int32_t id) const {
    for (const frontend::MenuButton* row : screen_->dynamicButtons)
      if (row->id == id) return row;
    return nullptr;
  }
  std::string RowText(int32_t id) const {
    const frontend::MenuButton* row = Row(id);
    return row != nullptr && row->label ? row->label->text : "<missing>";
  }

  std::unique_ptr<app::InputDevices> devices_;
  frontend::ControlMenuScreen* screen_ = nullptr;
};

TEST_F(ControlMenuScreenTest, CapturedKeyMovesFromItsOldActionToTheWaitingOneAndUnnamedKeysAreRefused) {
  ClickKeyCell(kBrake);
  EXPECT_EQ(screen_->keyWait, kBrake);
  EXPECT_EQ(RowText(505 + kBrake), "press a key");
  Press(kKeyA);
  EXPECT_EQ(screen_->keyWait, -1);
  EXPECT_EQ(settings_->GetKey(kBrake), kKeyA);
  EXPECT_EQ(settings_->GetKey(kShiftUp), -1);
  EXPECT_EQ(RowText(505 + kBrake), "a");
  EXPECT_EQ(RowText(505 + kShiftUp), "none");

  ClickKeyCell(kBrake);
  Press(frontend::kKeyF);
  EXPECT_EQ(FullScreen(), 1) << "F still toggles full screen";
  Press(81);   // Q
  Press(112);  // a function key
  EXPECT_EQ(settings_->GetKey(kBrake), kKeyA);
  EXPECT_EQ(screen_->keyWait, kBrake);
  Press(32);
  EXPECT_EQ(settings_->GetKey(kBrake), 32);
  EXPECT_EQ(settings_->GetKey(4), -1) << "space taken from the handbrake";
  for (int code : {-1, 225}) EXPECT_STREQ(frontend::KeyName(code), "NA") << "outside the table";
}

TEST_F(ControlMenuScreenTest, ControllerSwitchNeedsAPresentControllerThenButtonAndMovingAxisAreCaptured) {
  Click(100, 215);
  EXPECT_EQ(settings_->GetInt(SettingId::JOYSTICK), 0);
  EXPECT_EQ(Row(1005), nullptr);
  devices_->present = true;
  devices_->isWheel = true;
  Click(100, 215);
  EXPECT_EQ(settings_->GetInt(SettingId::JOYSTICK), 1);
  EXPECT_EQ(RowText(5), "Controller : Wheel");
  ASSERT_NE(Row(1005), nullptr);
  ClickControllerCell(kBrake);
  EXPECT_EQ(RowText(1005 + kBrake), "press button");
  devices_->buttonPressed[40] = 1;  // beyond the buttons a binding can take
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(screen_->controllerWait, kBrake);
  devices_->buttonPressed[40] = 0;
  devices_->buttonPressed[2] = 1;
  screen_->Update(Window(), 0.016f);
  devices_->buttonPressed[2] = 0;
  screen_->Render(device_);
  EXPECT_EQ(settings_->GetJoyButton(kBrake), 2);
  EXPECT_EQ(RowText(1005 + kBrake), "button 3");

  ClickControllerCell(0);
  devices_->axes[1] = 0.9f;  // held far from centre, not moving
  devices_->previousAxes[1] = 0.9f;
  screen_->Update(Window(), 0.016f);
  EXPECT_EQ(screen_->controllerWait, 0);
  devices_->axes[1] = 0.95f;
  screen_->Update(Window(), 0.016f);
  screen_->Render(device_);
  EXPECT_EQ(settings_->GetJoyAxis(0), 1);
  EXPECT_EQ(settings_->GetJoyAxisDir(0), 1);
  EXPECT_EQ(RowText(1005), "+ axis 2");
}

// Back undoes the bindings changed since the screen opened; Accept and Esc keep them.
TEST_F(ControlMenuScreenTest, BackRestoresKeyBindingsAcceptAndEscapeKeepThem) {
  using frontend::screen_index::kOptionsMenu;
  const struct {
    const char* leave;
    bool kept;
  } cases[] = {{"Back", false}, {"Accept", true}, {"Esc", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.leave);
    ClearRequests();
    settings_->DefaultKeys();
    screen_->OnEnter();
    screen_->Render(device_);
    ClickKeyCell(kBrake);
    Press(kKeyA);  // A moves from "shift up" to "brake"
    ASSERT_EQ(settings_->GetKey(kBrake), kKeyA);
    if (std::string(c.leave) == "Back") Click(50, 580);
    if (std::string(c.leave) == "Accept") Click(700, 580);
    if (std::string(c.leave) == "Esc") Press(frontend::kKeyEscape);
    EXPECT_EQ(settings_->GetKey(kBrake), c.kept ? kKeyA : 40);
    EXPECT_EQ(settings_->GetKey(kShiftUp), c.kept ? -1 : kKeyA);
    EXPECT_EQ(Requests(), (Queue{{app::game_state::kEnterMenus, kOptionsMenu}}));
  }
}

TEST_F(ControlMenuScreenTest, SetToDefaultEndsTheKeyWaitAndRestoresTheKeys) {
  settings_->BindKey(kBrake, kKeyA);
  ClickKeyCell(0);
  ASSERT_EQ(screen_->keyWait, 0);
  Click(100, 490);  // Set To Default
  EXPECT_EQ(screen_->keyWait, -1);
  EXPECT_EQ(settings_->GetKey(kBrake), 40);
  EXPECT_EQ(settings_->GetKey(kShiftUp), kKeyA);
  Press('Q');
  EXPECT_EQ(settings_->GetKey(0), 37) << "no key wait is left open to take the next key";
}

}  // namespace
}  // namespace frontend_test
