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

TEST(SdlController, ABigGamepadIsReadUpToTheGamesLimitsAndHasNoForceFeedback) {
  auto pad = VirtualController::Attach(false, 10, 130);
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(OpenFirstController(true), nullptr) << "a pad without haptics is no force-feedback device";
  auto controller = OpenFirstController(false);
  ASSERT_NE(controller, nullptr);
  EXPECT_FALSE(controller->IsWheel());
  EXPECT_FALSE(controller->Name().empty());
  EXPECT_FALSE(controller->HasForceFeedback());
  EXPECT_EQ(controller->AxisCount(), platform::input::kAxisCount);
  EXPECT_EQ(controller->ButtonCount(), platform::input::kButtonCount);

  ASSERT_EQ(controller->Acquire(), platform::kOk);
  pad->SetAxis(7, 16384);
  pad->SetAxis(9, 32767);  // beyond the eight axes the game reads
  pad->SetButton(127, true);
  pad->SetButton(129, true);
  ASSERT_EQ(controller->Poll(), platform::kOk);
  ControllerState state;
  ASSERT_EQ(controller->GetState(state), platform::kOk);
  EXPECT_EQ(state.axes[7], 500);
  EXPECT_EQ(state.buttons[127], platform::input::kButtonDown);
  EXPECT_EQ(state.buttons[126], 0);

  // Every force-feedback call is refused rather than reaching a haptic device that is not there.
  platform::input::ForceEffect effect;
  EXPECT_EQ(controller->CreateEffect(effect), -1);
  EXPECT_FALSE(controller->StartEffect(0, 1));
  EXPECT_FALSE(controller->StopEffect(0));
  EXPECT_FALSE(controller->SetEffectGain(0, 5000));
  controller->ReleaseEffect(0);
}

TEST(SdlController, AnUnpluggedControllerReportsInputLostUntilItReturns) {
  auto wheel = VirtualController::Attach(true, 3, 4);
  ASSERT_NE(wheel, nullptr);
  auto controller = OpenFirstController(false);
  ASSERT_NE(controller, nullptr);
  ASSERT_EQ(controller->Acquire(), platform::kOk);
  ASSERT_EQ(controller->Poll(), platform::kOk);
  wheel.reset();  // unplugged
  EXPECT_EQ(controller->Poll(), platform::input::kInputLost);
  ControllerState state;
  EXPECT_EQ(controller->GetState(state), platform::input::kNotAcquired) << "losing the device drops the hold on it";
  EXPECT_EQ(controller->Acquire(), platform::input::kInputLost);
}

TEST(SdlController, NoDeviceMeansNoController) {
  EXPECT_EQ(OpenFirstController(false), nullptr);
}

}  // namespace
