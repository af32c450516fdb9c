// The SDL window system with no screen (SDL's dummy video driver): it still works and never blocks on a message box.
#include <SDL.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "platform/sdl_native.h"
#include "platform/window_system.h"

namespace platform {
namespace {

class HeadlessWindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    windows_ = CreateSdlWindowSystem();
    ASSERT_NE(windows_, nullptr);
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::string(driver) != "dummy") GTEST_SKIP() << "video already started on a display";
  }

  std::unique_ptr<WindowSystem> windows_;
};

TEST_F(HeadlessWindowSystemTest, MessageBoxPrintsCaptionAndTextInsteadOfWaiting) {
  ::testing::internal::CaptureStderr();
  const int answer = windows_->MessageBox("FAILED RESTORE", "Load Error", message_box::kIconError);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, message_box::kIdOk);
  EXPECT_EQ(printed, "Load Error: FAILED RESTORE\n");
}

TEST_F(HeadlessWindowSystemTest, WindowWithoutProcedureGetsDefaultHandling) {
  const WindowHandle window = windows_->CreateWindow("Bare", window_style::kWindowed, 64, 64, nullptr);
  ASSERT_NE(window, 0u);
  EXPECT_NE(SdlNativeWindow(*windows_, window), nullptr) << "a window without OpenGL still exists";
  EXPECT_EQ(windows_->SendMessage(window, wm::kUser, 1, 2), 0);
  EXPECT_TRUE(windows_->IsWindow(window));
  EXPECT_EQ(windows_->SendMessage(window, wm::kClose, 0, 0), 0);
  EXPECT_FALSE(windows_->IsWindow(window));
}

}  // namespace
}  // namespace platform
