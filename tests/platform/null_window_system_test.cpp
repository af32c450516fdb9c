// Tests of the recording window system the framework tests run on.
#include "platform/null_window_system.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(NullWindowSystem, WindowsKeepTheirClientSizeAndFullScreenCoversTheDesktop) {
  NullWindowSystem windows;
  windows.SetDesktopSize(1280, 1024);
  const WindowHandle window = windows.CreateWindow("Title", window_style::kWindowed, 640, 480, nullptr);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(windows.GetWindowText(window), "Title");
  EXPECT_EQ(windows.GetClientRect(window), (Rect{0, 0, 640, 480}));
  const Rect outer = windows.GetWindowRect(window);
  EXPECT_EQ(outer.left, NullWindowSystem::kDefaultLeft);
  EXPECT_EQ(outer.top, NullWindowSystem::kDefaultTop);
  EXPECT_EQ(outer.Width(), 640 + 2 * NullWindowSystem::kBorderWidth);
  EXPECT_EQ(outer.Height(), 480 + NullWindowSystem::kCaptionHeight + 2 * NullWindowSystem::kBorderWidth);
  EXPECT_FALSE(windows.FindWindow(window)->visible);

  windows.SetWindowStyle(window, window_style::kFullscreen);
  EXPECT_EQ(windows.GetWindowRect(window), (Rect{0, 0, 1280, 1024}));
  EXPECT_EQ(windows.GetClientRect(window), (Rect{0, 0, 1280, 1024}));
  // Back to a window, the window stays where it is until it is placed.
  windows.SetWindowStyle(window, window_style::kWindowed);
  EXPECT_EQ(windows.GetWindowRect(window), (Rect{0, 0, 1280, 1024}));
  windows.SetWindowPos(window, outer, true);
  EXPECT_EQ(windows.GetClientRect(window), (Rect{0, 0, 640, 480}));
  ASSERT_EQ(windows.SetWindowPosCalls().size(), 1u);
  EXPECT_TRUE(windows.SetWindowPosCalls()[0].show);

  const Point client = windows.ScreenToClient(window, Point{outer.left + 10, outer.top + 40});
  EXPECT_EQ(client.x, 10 - NullWindowSystem::kBorderWidth);
  EXPECT_EQ(client.y, 40 - NullWindowSystem::kBorderWidth - NullWindowSystem::kCaptionHeight);
}

TEST(NullWindowSystem, MessagesArriveInOrderThroughTheWindowProcedure) {
  NullWindowSystem windows;
  std::vector<uint32_t> received;
  const WindowHandle window = windows.CreateWindow(
      "", window_style::kWindowed, 100, 100, [&](WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        received.push_back(message);
        return windows.DefWindowProc(handle, message, wParam, lParam);
      });
  windows.InjectMessage(Message{window, wm::kKeyDown, vk::kEscape, 0});
  windows.PostMessage(window, wm::kClose, 0, 0);
  windows.PostQuitMessage(3);

  Message message;
  ASSERT_TRUE(windows.PeekMessage(message, false));
  EXPECT_EQ(message.message, wm::kKeyDown);
  EXPECT_EQ(windows.QueuedMessages(), 3u);
  std::vector<uint32_t> taken;
  while (windows.PeekMessage(message, true)) {
    taken.push_back(message.message);
    if (message.message != wm::kQuit) windows.DispatchMessage(message);
  }
  EXPECT_EQ(taken, (std::vector<uint32_t>{wm::kKeyDown, wm::kClose, wm::kQuit}));
  EXPECT_EQ(message.wParam, 3u);
  EXPECT_EQ(received, (std::vector<uint32_t>{wm::kKeyDown, wm::kClose}));
  // The default handling of close destroyed the window; later messages to it go nowhere.
  EXPECT_FALSE(windows.IsWindow(window));
  EXPECT_EQ(windows.WindowsDestroyed(), 1);
  EXPECT_EQ(windows.SendMessage(window, wm::kPaint, 0, 0), 0);
  EXPECT_EQ(received.size(), 2u);
}

TEST(NullWindowSystem, RecordsMessageBoxesCursorAndDesktopDepth) {
  NullWindowSystem windows;
  EXPECT_EQ(windows.GetDesktopColorDepth(), 32);
  windows.SetDesktopColorDepth(16);
  EXPECT_EQ(windows.GetDesktopColorDepth(), 16);
  EXPECT_EQ(windows.MessageBox("text", "caption", message_box::kIconError), message_box::kIdOk);
  ASSERT_EQ(windows.MessageBoxes().size(), 1u);
  EXPECT_EQ(windows.MessageBoxes()[0].caption, "caption");
  const Rect clip{1, 2, 3, 4};
  windows.ClipCursor(&clip);
  windows.ClipCursor(nullptr);
  ASSERT_EQ(windows.ClipCursorCalls().size(), 2u);
  EXPECT_EQ(windows.ClipCursorCalls()[0], clip);
  EXPECT_FALSE(windows.ClipCursorCalls()[1].has_value());
  windows.SetCreateWindowFails(true);
  EXPECT_EQ(windows.CreateWindow("", window_style::kWindowed, 10, 10, nullptr), 0u);
}

}  // namespace
}  // namespace platform
