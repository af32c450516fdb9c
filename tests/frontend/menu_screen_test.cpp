// Menu screen base: which button takes a click, cursor scaling, the frame's presses, entering and the showroom car.
#include "frontend/menu_screen.h"

#include "frontend_test_support.h"

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

TEST_F(MenuScreenTest, NewestOfOverlappingButtonsTakesTheClickAtTheScaledCursor) {
  MenuScreen screen(Services());
  AddSquare(screen, 100, 100, 1);
  AddSquare(screen, 150, 150, 2);
  PointAt(175, 175);
  EXPECT_EQ(screen.HandleInput(Window()), frontend::kNoButton) << "no click, no button";
  screen.OnMouseMessage(platform::wm::kLButtonDown);
  EXPECT_EQ(screen.HandleInput(Window()), 2);
  PointAt(120, 120);
  EXPECT_EQ(screen.HandleInput(Window()), 1);
  // The right and bottom edges of the window map inside the virtual screen.
  windows_.SetCursorPos({1023, 767});
  screen.ReadCursor(Window());
  EXPECT_EQ(screen.ScaledCursor().x, 799);
  EXPECT_EQ(screen.ScaledCursor().y, 599);
}

TEST_F(MenuScreenTest, UpdateEndsTheFramesPressesAndEnteringForgetsHeldInput) {
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
  screen.OnEnter();
  EXPECT_FALSE(screen.keyboard.IsKeyHeld('A'));
  EXPECT_EQ(screen.mouse.leftHeld, 0);
  // A key still down from the last screen counts as a new press once it comes down again.
  screen.OnKeyMessage(platform::wm::kKeyDown, 'A');
  EXPECT_TRUE(screen.keyboard.IsKeyPressed('A'));
}

// The garage rebuilds its page whenever this flag is set: a flag raised for the same car rebuilt the car each frame.
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

}  // namespace
}  // namespace frontend_test
