// Menu screen base: widget list order, per-frame input, cursor scaling, entering and the showroom's car.
#include "frontend/menu_screen.h"

#include "frontend_test_support.h"
#include "recording_screen.h"

namespace frontend_test {
namespace {

using frontend::MenuButton;
using frontend::MenuScreen;

class MenuScreenTest : public FrontEndTest {
 protected:
  MenuButton* AddSquare(MenuScreen& screen, float x, float y, int32_t id) {
    const float rect[4] = {0, 0, 1, 1};
    return screen.AddAtlasButton(device_, nullptr, x, y, 100, 100, rect, rect, 0, id);
  }
};

TEST_F(MenuScreenTest, NewestOfOverlappingButtonsTakesTheClick) {
  MenuScreen screen(Services());
  AddSquare(screen, 100, 100, 1);
  AddSquare(screen, 150, 150, 2);
  screen.mouse.cursor = {static_cast<int32_t>(175 * 1.28), static_cast<int32_t>(175 * 1.28)};
  EXPECT_EQ(screen.HitTestButtons(true), 2);
  screen.mouse.cursor = {static_cast<int32_t>(120 * 1.28), static_cast<int32_t>(120 * 1.28)};
  EXPECT_EQ(screen.HitTestButtons(true), 1);
  EXPECT_EQ(screen.HitTestButtons(false), frontend::kNoButton);
}

TEST_F(MenuScreenTest, HandleInputWithoutALeftClickReturnsNoButton) {
  MenuScreen screen(Services());
  MenuButton* button = AddSquare(screen, 0, 0, 4);
  PointAt(50, 50);
  EXPECT_EQ(screen.HandleInput(Window()), frontend::kNoButton);
  EXPECT_FALSE(button->clicked);
  screen.OnMouseMessage(platform::wm::kLButtonDown);
  EXPECT_EQ(screen.HandleInput(Window()), 4);
}

TEST_F(MenuScreenTest, CursorIsScaledFromTheWindowSizeIntoTheVirtualScreen) {
  MenuScreen screen(Services());
  windows_.SetCursorPos({1023, 767});
  screen.ReadCursor(Window());
  const frontend::VirtualPoint point = screen.ScaledCursor();
  EXPECT_EQ(point.x, 799);  // 1023 × 0.78125 = 799.2, truncated
  EXPECT_EQ(point.y, 599);
  settings_->SetInt(app::SettingId::SCREENWIDTH, 800);
  settings_->SetInt(app::SettingId::SCREENHEIGHT, 600);
  windows_.SetCursorPos({640, 480});
  screen.ReadCursor(Window());
  EXPECT_EQ(screen.ScaledCursor().x, 640);
}

TEST_F(MenuScreenTest, UpdateRunsTheHoverPassAndClearsThisFramesPresses) {
  MenuScreen screen(Services());
  MenuButton* button = AddSquare(screen, 0, 0, 4);
  PointAt(50, 50);
  screen.OnKeyMessage(platform::wm::kKeyDown, 'A');
  screen.OnMouseMessage(platform::wm::kLButtonDown);
  screen.Update(Window(), 0.02f);
  EXPECT_EQ(button->shownState, 1);
  EXPECT_FALSE(screen.keyboard.IsKeyPressed('A'));
  EXPECT_TRUE(screen.keyboard.IsKeyHeld('A'));
  EXPECT_FALSE(screen.mouse.IsKeyPressed(0));
  EXPECT_EQ(screen.mouse.leftHeld, 1);
}

TEST_F(MenuScreenTest, EnteringClearsHeldKeysAndButtons) {
  MenuScreen screen(Services());
  screen.OnKeyMessage(platform::wm::kKeyDown, frontend::kKeyEscape);
  screen.OnMouseMessage(platform::wm::kLButtonDown);
  screen.OnEnter();
  EXPECT_FALSE(screen.keyboard.IsKeyPressed(frontend::kKeyEscape));
  EXPECT_FALSE(screen.keyboard.IsKeyHeld(frontend::kKeyEscape));
  EXPECT_EQ(screen.mouse.leftHeld, 0);
  // A held key released and pressed again after entering counts as a new press.
  screen.OnKeyMessage(platform::wm::kKeyDown, frontend::kKeyEscape);
  EXPECT_TRUE(screen.keyboard.IsKeyPressed(frontend::kKeyEscape));
}

TEST_F(MenuScreenTest, ShowroomVehicleChangeIsFlaggedOnlyForAnotherCar) {
  MenuScreen screen(Services());
  screen.SetShowroomVehicle(nullptr);
  EXPECT_FALSE(screen.vehicleChanged);
  auto* car = reinterpret_cast<vehicle::Vehicle*>(&screen);  // never dereferenced
  screen.SetShowroomVehicle(car);
  EXPECT_TRUE(screen.vehicleChanged);
  screen.vehicleChanged = false;
  screen.SetShowroomVehicle(car);
  EXPECT_FALSE(screen.vehicleChanged);
}

TEST_F(MenuScreenTest, ListsKeepOrderAndRemovingUnlistedWidgetsChangesNothing) {
  MenuScreen screen(Services());
  frontend::Sprite* first = screen.AddImage(new frontend::Sprite(device_, nullptr, 0, 0, 1, 1, 0, 0, 1, 1, 0, 800, 600));
  frontend::Sprite* second = screen.AddImage(new frontend::Sprite(device_, nullptr, 0, 0, 1, 1, 0, 0, 1, 1, 0, 800, 600));
  frontend::Sprite* last = screen.AppendImage(new frontend::Sprite(device_, nullptr, 0, 0, 1, 1, 0, 0, 1, 1, 0, 800, 600));
  EXPECT_EQ(std::vector<frontend::Sprite*>(screen.images.begin(), screen.images.end()),
            (std::vector<frontend::Sprite*>{second, first, last}));
  MenuButton outsider(device_, nullptr, nullptr, 0, 0, 1, 1, {}, {}, 0, 9, 800, 600);
  AddSquare(screen, 0, 0, 1);
  screen.RemoveButton(&outsider);
  EXPECT_EQ(screen.buttons.size(), 1u);
  screen.RemoveImage(first);
  EXPECT_EQ(screen.images.size(), 2u);
  delete first;
}

TEST_F(MenuScreenTest, ClearListButtonsRemovesOnlyTheRowButtons) {
  MenuScreen screen(Services());
  MenuButton* fixed = AddSquare(screen, 0, 0, 1);
  std::vector<MenuButton*> rows = {AddSquare(screen, 0, 100, 100), AddSquare(screen, 0, 200, 101)};
  screen.ClearListButtons(rows);
  EXPECT_TRUE(rows.empty());
  ASSERT_EQ(screen.buttons.size(), 1u);
  EXPECT_EQ(screen.buttons.front(), fixed);
}

TEST_F(MenuScreenTest, RenderDrawsImagesThenButtonsThenTexts) {
  MenuScreen screen(Services());
  screen.AddImage(new frontend::Sprite(device_, nullptr, 0, 0, 1, 1, 0, 0, 1, 1, 0, 800, 600));
  AddSquare(screen, 0, 0, 1);
  screen.AddText(new frontend::TextLabel(device_, nullptr, nullptr, "ab", 0, 0, 1, false, 0, 800, 600));
  device_->ClearRecords();
  screen.Render(device_);
  ASSERT_EQ(device_->Draws().size(), 3u);
  EXPECT_EQ(device_->Draws()[0].kind, platform::gfx::NullDrawRecord::Kind::Primitive);
  EXPECT_EQ(device_->Draws()[1].kind, platform::gfx::NullDrawRecord::Kind::Primitive);
  EXPECT_EQ(device_->Draws()[2].kind, platform::gfx::NullDrawRecord::Kind::IndexedPrimitive);
  screen.ClearTexts();
  EXPECT_TRUE(screen.texts.empty());
}

TEST_F(MenuScreenTest, FullScreenToggleTurnsAnyNonZeroValueOff) {
  MenuScreen screen(Services());
  settings_->SetInt(app::SettingId::FULLSCREEN, 5);
  screen.ToggleFullScreen();
  EXPECT_EQ(FullScreen(), 0);
  screen.ToggleFullScreen();
  EXPECT_EQ(FullScreen(), 1);
}

}  // namespace
}  // namespace frontend_test
