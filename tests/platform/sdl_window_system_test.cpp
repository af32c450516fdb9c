// The SDL window system with no screen (SDL's dummy video driver): it still works and never blocks on a message box.
#include <SDL.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/sdl_native.h"
#include "platform/taken_messages.h"
#include "platform/x11_desktop.h"
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

  // The waiting messages of the wanted kinds, in arrival order; the others are dropped.
  std::vector<Message> Take(std::initializer_list<uint32_t> kinds) { return TakeMessages(*windows_, kinds); }

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

TEST_F(HeadlessWindowSystemTest, TextInputSkipsMalformedBytesAndCharactersBeyondLatin1) {
  const WindowHandle window = windows_->CreateWindow("Typing", window_style::kWindowed, 64, 64, nullptr);
  ASSERT_NE(window, 0u);
  Take({});
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = window;
  // 'a', an emoji (four bytes, beyond Latin-1), a stray continuation byte, a byte no character starts with,
  // a two-byte lead cut short by 'b', a three-byte lead cut short by 'c', then a whole u-umlaut.
  SDL_strlcpy(text.text.text, "a\xF0\x9F\x98\x80\x80\xFF\xC3" "b\xE2\x82" "c\xC3\xBC", sizeof(text.text.text));
  ASSERT_EQ(SDL_PushEvent(&text), 1);
  std::vector<uintptr_t> characters;
  for (const Message& message : Take({wm::kChar})) characters.push_back(message.wParam);
  EXPECT_EQ(characters, (std::vector<uintptr_t>{'a', 'b', 'c', 0xFC}));
}

TEST_F(HeadlessWindowSystemTest, MaximizingReportsTheWindowsSize) {
  const WindowHandle window = windows_->CreateWindow("Big", window_style::kWindowed, 96, 48, nullptr);
  ASSERT_NE(window, 0u);
  Take({});
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = window;
  event.window.event = SDL_WINDOWEVENT_MAXIMIZED;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  const std::vector<Message> sizes = Take({wm::kSize});
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].wParam, size_kind::kMaximized);
  EXPECT_EQ(sizes[0].lParam, MakeLParam(96, 48));
}

TEST_F(HeadlessWindowSystemTest, TerminationWithNoWindowOpenQuitsAtOnce) {
  Take({});
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  const std::vector<Message> taken = Take({wm::kQuit, wm::kClose});
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].message, wm::kQuit);
  EXPECT_EQ(taken[0].wParam, 0u);
}

TEST_F(HeadlessWindowSystemTest, AWindowTheVideoDriverRefusesGivesNoHandle) {
  ::testing::internal::CaptureStderr();
  const WindowHandle window = windows_->CreateWindow("Huge", window_style::kWindowed, 40000, 40000, nullptr);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(window, 0u);
  EXPECT_NE(printed.find("Huge"), std::string::npos) << printed;
  EXPECT_FALSE(windows_->IsWindow(window));
}

TEST_F(HeadlessWindowSystemTest, TheClipboardTakesTextOnceVideoHasStarted) {
  EXPECT_TRUE(SdlClipboard().SetText("Best lap 1:02.45"));
  char* held = SDL_GetClipboardText();
  EXPECT_STREQ(held, "Best lap 1:02.45");
  SDL_free(held);
}

TEST_F(HeadlessWindowSystemTest, AWindowOffTheXServerAssumesAWindowManager) {
  const WindowHandle window = windows_->CreateWindow("Plain", window_style::kWindowed, 64, 64, nullptr);
  ASSERT_NE(window, 0u);
  EXPECT_TRUE(HasWindowManager(SdlNativeWindow(*windows_, window))) << "no X server to ask";
  EXPECT_TRUE(HasWindowManager(nullptr));
}

TEST_F(HeadlessWindowSystemTest, BeforeADialogOpensSdlStopsHoldingThePointerOnPresses) {
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
  ReleaseMouseCapture();
  const char* capture = SDL_GetHint(SDL_HINT_MOUSE_AUTO_CAPTURE);
  ASSERT_NE(capture, nullptr);
  EXPECT_STREQ(capture, "0") << "a press over the window would keep the dialog from getting the mouse";
  SDL_ResetHint(SDL_HINT_MOUSE_AUTO_CAPTURE);
}

}  // namespace
}  // namespace platform
