// The SDL window system on a real (virtual) display: event translation, focus and size states, full screen.
// The smoke and career scripts drive the real game's window (title, SIGTERM, keys, typing, clicks) from outside.
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/hardware_info.h"
#include "app/mouse_state.h"
#include "app/settings.h"
#include "platform/picture_fit.h"
#include "platform/sdl_native.h"
#include "platform/taken_messages.h"
#include "platform/window_system.h"

// Last: the X headers define short macro names.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace platform {
namespace {

class SdlWindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    windows_ = CreateSdlWindowSystem();
    ASSERT_NE(windows_, nullptr) << "no display";
    window_ = windows_->CreateWindow("Corsaire test", window_style::kWindowed, 640, 480,
                                     [this](WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
                                       return windows_->DefWindowProc(window, message, wParam, lParam);
                                     });
    ASSERT_NE(window_, 0u);
    Drain();
  }

  // Takes every waiting message so a test sees only what it caused.
  void Drain() {
    Message message;
    while (windows_->PeekMessage(message, true)) {
    }
  }

  // The next messages whose id is one of the wanted kinds, in arrival order.
  std::vector<Message> Take(std::initializer_list<uint32_t> kinds) { return TakeMessages(*windows_, kinds); }

  void PushKey(uint32_t type, SDL_Keycode keycode, SDL_Scancode scancode, bool repeat) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = window_;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = keycode;
    event.key.keysym.scancode = scancode;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }

  // Takes messages, waiting on the display between tries, until done() holds; the messages are kept.
  bool WaitFor(const std::function<bool(const Message&)>& done, std::vector<Message>* kept = nullptr) {
    for (int tries = 0; tries < 300; ++tries) {
      Message message;
      while (windows_->PeekMessage(message, true)) {
        if (kept != nullptr) kept->push_back(message);
        if (done(message)) return true;
      }
      windows_->WaitMessage(10);
    }
    return false;
  }

  // Moves the real pointer to a point of the window and waits until the window hears of it; returns the
  // position message.
  Message MoveMouseTo(int x, int y) {
    SDL_WarpMouseInWindow(SdlNativeWindow(*windows_, window_), x, y);
    Message moved;
    // Moves from earlier warps may still be on their way; the one wanted is the one after which SDL has the
    // pointer at the target.
    for (int tries = 0; tries < 300; ++tries) {
      Message message;
      while (windows_->PeekMessage(message, true)) {
        if (message.message == wm::kMouseMove) moved = message;
      }
      int nowX = -1, nowY = -1;
      SDL_GetMouseState(&nowX, &nowY);
      if (nowX == x && nowY == y && moved.message == wm::kMouseMove) break;
      windows_->WaitMessage(10);
    }
    return moved;
  }

  std::unique_ptr<WindowSystem> windows_;
  WindowHandle window_ = 0;
};

// Opaque pixels of the pointer the X server shows now.
int VisiblePointerPixels(Display* display) {
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (image == nullptr) return -1;
  int opaque = 0;
  for (int i = 0; i < image->width * image->height; ++i) {
    if ((image->pixels[i] >> 24) != 0) ++opaque;
  }
  XFree(image);
  return opaque;
}

TEST_F(SdlWindowSystemTest, WindowManagerCloseAndTerminationArriveAsClose) {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = window_;
  ASSERT_EQ(SDL_PushEvent(&close), 1);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&quit), 1);
  const std::vector<Message> taken = Take({wm::kClose, wm::kQuit});
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].message, wm::kClose);
  EXPECT_EQ(taken[0].window, window_);
  EXPECT_EQ(taken[1].message, wm::kClose);
  EXPECT_TRUE(windows_->IsWindow(window_));
}

TEST_F(SdlWindowSystemTest, CloseThroughDefaultHandlingDestroysTheWindowAndItsQueue) {
  windows_->PostMessage(window_, wm::kClose, 0, 0);
  windows_->PostMessage(window_, wm::kUser + 3, 0, 0);
  Message message;
  ASSERT_TRUE(windows_->PeekMessage(message, true));
  ASSERT_EQ(message.message, wm::kClose);
  windows_->DispatchMessage(message);
  EXPECT_FALSE(windows_->IsWindow(window_));
  EXPECT_TRUE(Take({wm::kUser + 3}).empty()) << "what was still queued for the window goes with it";
  EXPECT_EQ(windows_->SendMessage(window_, wm::kUser + 7, 0, 0), 0);
  EXPECT_EQ(windows_->GetDesktopColorDepth(), 32) << "a 24-bit X desktop counts as 32-bit pixels";
}

TEST_F(SdlWindowSystemTest, TextInputArrivesAsLatin1Characters) {
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = window_;
  // 'a', e-acute (U+00E9), the euro sign (outside Latin-1, dropped), 'Z'.
  SDL_strlcpy(text.text.text, "a\xC3\xA9\xE2\x82\xAC" "Z", sizeof(text.text.text));
  ASSERT_EQ(SDL_PushEvent(&text), 1);
  const std::vector<Message> taken = Take({wm::kChar});
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].wParam, static_cast<uintptr_t>('a'));
  EXPECT_EQ(taken[1].wParam, 0xE9u);
  EXPECT_EQ(taken[2].wParam, static_cast<uintptr_t>('Z'));
}

TEST_F(SdlWindowSystemTest, MouseButtonsCarryClientCoordinatesAndTheWheelTheHeldButtons) {
  SDL_Event press{};
  press.type = SDL_MOUSEBUTTONDOWN;
  press.button.windowID = window_;
  press.button.button = SDL_BUTTON_LEFT;
  press.button.state = SDL_PRESSED;
  press.button.x = 56;
  press.button.y = 78;
  ASSERT_EQ(SDL_PushEvent(&press), 1);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = window_;
  wheel.wheel.y = -2;
  wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
  ASSERT_EQ(SDL_PushEvent(&wheel), 1);
  SDL_Event release = press;
  release.type = SDL_MOUSEBUTTONUP;
  release.button.state = SDL_RELEASED;
  ASSERT_EQ(SDL_PushEvent(&release), 1);
  const std::vector<Message> taken = Take({wm::kLButtonDown, wm::kMouseWheel, wm::kLButtonUp});
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0].message, wm::kLButtonDown);
  EXPECT_EQ(taken[0].wParam & 0x13, 0x01u);
  EXPECT_EQ(LowWord(taken[0].lParam), 56);
  EXPECT_EQ(HighWord(taken[0].lParam), 78);
  EXPECT_EQ(taken[1].message, wm::kMouseWheel);
  // Two notches towards the user, the left button still held.
  EXPECT_EQ(static_cast<int16_t>(taken[1].wParam >> 16), -240);
  EXPECT_EQ(taken[1].wParam & 0x13, 0x01u);
  EXPECT_EQ(taken[2].message, wm::kLButtonUp);
  EXPECT_EQ(taken[2].wParam & 0x13, 0x00u);
}

// Both buttons of a real mouse reach a window's mouse state through the window's messages: a press clicks and
// holds, the click is consumed by the frame that reads it, a press while held does not click again, a release
// ends the hold.
TEST_F(SdlWindowSystemTest, BothMouseButtonsFeedTheMouseStateThroughTheWindowsMessages) {
  app::MouseState mouse;
  const WindowHandle window = windows_->CreateWindow(
      "Corsaire mouse test", window_style::kWindowed, 320, 240,
      [this, &mouse](WindowHandle handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        mouse.HandleMouseMessage(message);
        return windows_->DefWindowProc(handle, message, wParam, lParam);
      });
  ASSERT_NE(window, 0u);
  auto deliver = [&](uint8_t sdlButton, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = static_cast<uint32_t>(window);
    event.button.button = sdlButton;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = 10;
    event.button.y = 20;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    Message message;
    while (windows_->PeekMessage(message, true)) windows_->DispatchMessage(message);
  };
  const struct {
    const char* name;
    uint8_t sdlButton;
    int index;
    const uint8_t app::MouseState::*held;
  } buttons[] = {{"left", SDL_BUTTON_LEFT, 0, &app::MouseState::leftHeld},
                 {"right", SDL_BUTTON_RIGHT, 1, &app::MouseState::rightHeld}};
  for (const auto& button : buttons) {
    SCOPED_TRACE(button.name);
    mouse.ResetMouseButtons();
    deliver(button.sdlButton, true);
    EXPECT_TRUE(mouse.IsKeyPressed(button.index));
    EXPECT_EQ(mouse.*button.held, 1);
    EXPECT_FALSE(mouse.IsKeyPressed(1 - button.index)) << "the other button is untouched";
    mouse.ClearMouseClicks();
    EXPECT_FALSE(mouse.IsKeyPressed(button.index)) << "consumed";
    deliver(button.sdlButton, true);
    EXPECT_FALSE(mouse.IsKeyPressed(button.index)) << "held, no new click";
    deliver(button.sdlButton, false);
    EXPECT_EQ(mouse.*button.held, 0);
  }
  windows_->DestroyWindow(window);
}

TEST_F(SdlWindowSystemTest, FullscreenStyleCoversTheDesktopAndWindowedGivesTheSizeBack) {
  windows_->ShowWindow(window_, show_command::kNormal);
  windows_->SetWindowStyle(window_, window_style::kFullscreen);
  Drain();
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  EXPECT_EQ(windows_->GetWindowStyle(window_), window_style::kFullscreen);
  EXPECT_EQ(windows_->GetClientRect(window_), (Rect{0, 0, desktop.w, desktop.h}));
  windows_->SetWindowStyle(window_, window_style::kWindowed);
  Drain();
  EXPECT_EQ(windows_->GetWindowStyle(window_), window_style::kWindowed);
  EXPECT_EQ(windows_->GetClientRect(window_), (Rect{0, 0, 640, 480}));
}

TEST_F(SdlWindowSystemTest, FocusAndEachSizeStateAreReportedOnce) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = window_;
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  event.window.event = SDL_WINDOWEVENT_MINIMIZED;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  event.window.event = SDL_WINDOWEVENT_RESTORED;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  // The size change that comes with the restore says nothing new.
  event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  event.window.data1 = 640;
  event.window.data2 = 480;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  event.window.data1 = 800;
  event.window.data2 = 600;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  const std::vector<Message> taken = Take({wm::kKillFocus, wm::kSize, wm::kSetFocus});
  ASSERT_EQ(taken.size(), 5u);
  EXPECT_EQ(taken[0].message, wm::kKillFocus);
  EXPECT_EQ(taken[1].wParam, size_kind::kMinimized);
  EXPECT_EQ(taken[2].message, wm::kSetFocus);
  EXPECT_EQ(taken[3].wParam, size_kind::kRestored);
  EXPECT_EQ(taken[3].lParam, MakeLParam(640, 480));
  EXPECT_EQ(taken[4].wParam, size_kind::kRestored);
  EXPECT_EQ(taken[4].lParam, MakeLParam(800, 600));
}

TEST_F(SdlWindowSystemTest, TheWindowAsksForItsPointerAndAHiddenOneIsBlankOverIt) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  windows_->SetWindowPos(window_, Rect{100, 100, 740, 580}, true);
  const auto asksForPointer = [this](const Message& message) {
    return message.message == wm::kSetCursor && message.window == window_ && LowWord(message.lParam) == kHitClient;
  };
  EXPECT_TRUE(WaitFor(asksForPointer)) << "shown, the window asks which pointer to show";
  MoveMouseTo(200, 150);

  windows_->ShowCursor(false);
  XSync(display, False);
  EXPECT_EQ(VisiblePointerPixels(display), 0) << "a hidden pointer leaves nothing over the window";
  // Leaving and coming back asks again.
  SDL_WarpMouseGlobal(5, 5);
  SDL_WarpMouseInWindow(SdlNativeWindow(*windows_, window_), 300, 200);
  EXPECT_TRUE(WaitFor(asksForPointer)) << "the pointer came over the window";
  windows_->ShowCursor(true);
  XSync(display, False);
  EXPECT_GT(VisiblePointerPixels(display), 0) << "shown again, the arrow is back";
  XCloseDisplay(display);
}

TEST_F(SdlWindowSystemTest, FullScreenShowsThePictureAndTheMouseIsInPicturePixels) {
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  windows_->ShowWindow(window_, show_command::kNormal);
  // A mode the virtual screen does not have: it keeps its own and the picture is fitted into it.
  windows_->SetFullscreenMode(window_, FullscreenMode{800, 600, 0, 800, 600});
  windows_->SetWindowStyle(window_, window_style::kFullscreen);
  std::vector<Message> kept;
  WaitFor([&](const Message&) {
    int width = 0, height = 0;
    SDL_GetWindowSize(SdlNativeWindow(*windows_, window_), &width, &height);
    return width == desktop.w && height == desktop.h;
  }, &kept);
  EXPECT_EQ(windows_->GetClientRect(window_), (Rect{0, 0, 800, 600})) << "the client area is the picture";

  const Rect fit = FitPicture(800, 600, desktop.w, desktop.h);
  const struct {
    int x, y;
  } points[] = {{desktop.w / 2, desktop.h / 2}, {fit.left, fit.top}, {fit.right - 1, fit.bottom - 1}, {fit.left + 100, fit.top + 50}};
  for (const auto& point : points) {
    const Message moved = MoveMouseTo(point.x, point.y);
    const Point expected = AreaToPicture({point.x, point.y}, 800, 600, fit);
    EXPECT_EQ(LowWord(moved.lParam), expected.x) << point.x << "," << point.y;
    EXPECT_EQ(HighWord(moved.lParam), expected.y) << point.x << "," << point.y;
    const Point client = windows_->ScreenToClient(window_, windows_->GetCursorPos());
    EXPECT_EQ(client.x, expected.x);
    EXPECT_EQ(client.y, expected.y);
  }
  EXPECT_EQ(AreaToPicture({desktop.w / 2, desktop.h / 2}, 800, 600, fit).x, 400);

  windows_->SetWindowStyle(window_, window_style::kWindowed);
  Drain();
  EXPECT_EQ(windows_->GetClientRect(window_), (Rect{0, 0, 640, 480})) << "a window again, its own size";
}

// The default driving keys, sent as real SDL key events, arrive as the very codes the default bindings hold: a
// wrong row in the key table would leave a new player unable to steer, accelerate, brake or use the handbrake.
TEST_F(SdlWindowSystemTest, TheDefaultDrivingKeysArriveAsTheCodesTheirActionsAreBoundTo) {
  const app::HardwareInfo hardware{app::MachineFacts{}};
  const app::Settings settings(hardware, "", "");
  const struct {
    app::InputAction action;
    SDL_Keycode keycode;
    SDL_Scancode scancode;
  } keys[] = {{app::InputAction::Left, SDLK_LEFT, SDL_SCANCODE_LEFT},
              {app::InputAction::Right, SDLK_RIGHT, SDL_SCANCODE_RIGHT},
              {app::InputAction::Accelerate, SDLK_UP, SDL_SCANCODE_UP},
              {app::InputAction::Brake, SDLK_DOWN, SDL_SCANCODE_DOWN},
              {app::InputAction::Handbrake, SDLK_SPACE, SDL_SCANCODE_SPACE}};
  for (const auto& key : keys) {
    const int bound = settings.GetKey(static_cast<int>(key.action));
    SCOPED_TRACE(app::InputActionNames[static_cast<int>(key.action)]);
    ASSERT_GT(bound, 0);
    PushKey(SDL_KEYDOWN, key.keycode, key.scancode, false);
    PushKey(SDL_KEYUP, key.keycode, key.scancode, false);
    const std::vector<Message> messages = Take({wm::kKeyDown, wm::kKeyUp});
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, wm::kKeyDown);
    EXPECT_EQ(messages[0].wParam, static_cast<uintptr_t>(bound));
    EXPECT_EQ(messages[1].message, wm::kKeyUp);
    EXPECT_EQ(messages[1].wParam, static_cast<uintptr_t>(bound));
  }
}

}  // namespace
}  // namespace platform
