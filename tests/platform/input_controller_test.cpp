// The SDL controller backend driven by SDL virtual joysticks: discovery, wheel recognition, axis scaling with
// the dead zone, buttons, acquisition, and force feedback absent on a device without haptics.
#include <gtest/gtest.h>

#include "platform/input/controller.h"
#include "platform/input/virtual_controller.h"

namespace {

using platform::input::ControllerState;
using platform::input::OpenFirstController;
using platform::input::VirtualController;

TEST(SdlController, AVirtualWheelIsAcquiredAndItsXAxisHasADeadZone) {
  auto virtualWheel = VirtualController::Attach(true, 8, 16);
  ASSERT_NE(virtualWheel, nullptr);
  auto controller = OpenFirstController(false);
  ASSERT_NE(controller, nullptr);
  EXPECT_TRUE(controller->IsWheel());
  EXPECT_EQ(controller->ButtonCount(), 16);
  EXPECT_EQ(controller->Poll(), platform::input::kNotAcquired) << "the first poll must acquire";
  ASSERT_EQ(controller->Acquire(), platform::kOk);
  // The x axis has a 1% dead zone (below 10 of 1000); the others read small values as they are.
  virtualWheel->SetAxis(0, 300);  // 9 of 1000
  virtualWheel->SetAxis(1, 300);
  virtualWheel->SetAxis(2, -32767);
  virtualWheel->SetButton(15, true);
  ASSERT_EQ(controller->Poll(), platform::kOk);
  ControllerState state;
  ASSERT_EQ(controller->GetState(state), platform::kOk);
  EXPECT_EQ(state.axes[0], 0);
  EXPECT_EQ(state.axes[1], 9);
  EXPECT_EQ(state.axes[2], -1000);
  EXPECT_EQ(state.buttons[15], platform::input::kButtonDown);
  controller->Unacquire();
  EXPECT_EQ(controller->GetState(state), platform::input::kNotAcquired);
}

TEST(SdlController, NoDeviceMeansNoController) {
  EXPECT_EQ(OpenFirstController(false), nullptr);
}

}  // namespace
