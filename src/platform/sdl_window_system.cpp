// The window system on SDL2: windows, desktop events turned into window messages, message boxes and the cursor.
#include "platform/sdl_window_system.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/key_translation.h"
#include "platform/picture_fit.h"
#include "platform/sdl_native.h"
#include "platform/x11_desktop.h"
#include "platform/window_system.h"

namespace platform {
namespace {

// Mouse-button and modifier bits of mouse messages' wParam.
constexpr uintptr_t kMouseLeft = 0x0001;
constexpr uintptr_t kMouseRight = 0x0002;
constexpr uintptr_t kMouseShift = 0x0004;
constexpr uintptr_t kMouseControl = 0x0008;
constexpr uintptr_t kMouseMiddle = 0x0010;
// One notch of the wheel.
constexpr int kWheelDelta = 120;

struct Window {
  SDL_Window* sdl = nullptr;
  std::shared_ptr<const WindowProc> proc;
  uint32_t style = 0;
  // Where the window was before it went full screen.
  Rect windowedRect;
  // The display mode and picture of full screen; without one, full screen covers the desktop as it is.
  FullscreenMode fullscreenMode;
  bool hasFullscreenMode = false;
  // Full screen on a desktop without a window manager: a borderless window over the whole screen.
  bool covering = false;
  // The last kSize posted, so a state is not reported twice.
  bool sizeReported = false;
  uint32_t reportedSizeKind = 0;
  intptr_t reportedSize = 0;
};

uintptr_t MouseStateBits(uint32_t sdlButtons) {
  uintptr_t bits = 0;
  if (sdlButtons & SDL_BUTTON_LMASK) bits |= kMouseLeft;
  if (sdlButtons & SDL_BUTTON_RMASK) bits |= kMouseRight;
  if (sdlButtons & SDL_BUTTON_MMASK) bits |= kMouseMiddle;
  const SDL_Keymod modifiers = SDL_GetModState();
  if (modifiers & KMOD_SHIFT) bits |= kMouseShift;
  if (modifiers & KMOD_CTRL) bits |= kMouseControl;
  return bits;
}

// Appends the code points of a UTF-8 text; malformed bytes are skipped.
template <typename Emit>
void ForEachCodePoint(const char* text, Emit emit) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  while (*bytes != 0) {
    const unsigned char lead = *bytes;
    int extra = 0;
    uint32_t codePoint = 0;
    if (lead < 0x80) {
      codePoint = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      codePoint = lead & 0x07;
    } else {
      ++bytes;
      continue;
    }
    ++bytes;
    bool valid = true;
    for (int i = 0; i < extra; ++i) {
      if ((*bytes & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      codePoint = (codePoint << 6) | (*bytes & 0x3F);
      ++bytes;
    }
    if (valid) emit(codePoint);
  }
}

class SdlWindowSystem final : public WindowSystem {
 public:
  SdlWindowSystem() { SDL_StartTextInput(); }

  ~SdlWindowSystem() override {
    for (auto& [handle, window] : windows_) SDL_DestroyWindow(window.sdl);
    windows_.clear();
    // SDL video stays started until the process ends: stopping it unloads the X libraries, whose allocations
    // would then show up as leaks, and a later window system would pay the start-up again.
  }

  SDL_Window* Native(WindowHandle handle) const {
    const auto found = windows_.find(handle);
    return found == windows_.end() ? nullptr : found->second.sdl;
  }

  WindowHandle CreateWindow(const std::string& title, uint32_t style, int clientWidth, int clientHeight,
                            WindowProc proc) override {
    SetSdlGlAttributes();
    uint32_t flags = SDL_WINDOW_HIDDEN;
    if (style == window_style::kFullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_Window* sdl = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth,
                                       clientHeight, flags | SDL_WINDOW_OPENGL);
    if (sdl == nullptr) {
      // A video driver without OpenGL (the dummy driver of headless runs) still gets a window; the OpenGL
      // backend then reports its own failure when it makes a device.
      sdl = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth,
                             clientHeight, flags);
    }
    if (sdl == nullptr) {
      std::fprintf(stderr, "window: cannot create \"%s\": %s\n", title.c_str(), SDL_GetError());
      return 0;
    }
    const WindowHandle handle = SDL_GetWindowID(sdl);
    Window& window = windows_[handle];
    window.sdl = sdl;
    window.proc = std::make_shared<const WindowProc>(std::move(proc));
    window.style = style;
    return handle;
  }

  void DestroyWindow(WindowHandle handle) override {
    const auto found = windows_.find(handle);
    if (found == windows_.end()) return;
    SDL_DestroyWindow(found->second.sdl);
    windows_.erase(found);
    // Messages still queued for a window that is gone would reach nobody.
    std::erase_if(queue_, [handle](const Message& message) { return message.window == handle; });
  }

  bool IsWindow(WindowHandle handle) const override { return windows_.count(handle) != 0; }

  bool PeekMessage(Message& message, bool remove) override {
    PumpEvents();
    if (queue_.empty()) return false;
    message = queue_.front();
    if (remove) queue_.pop_front();
    return true;
  }

  void WaitMessage(int timeoutMs) override {
    PumpEvents();
    if (!queue_.empty()) return;
    if (timeoutMs < 0) {
      SDL_WaitEvent(nullptr);
    } else {
      SDL_WaitEventTimeout(nullptr, timeoutMs);
    }
  }

  void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    queue_.push_back({window, message, wParam, lParam});
  }

  intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    const auto found = windows_.find(window);
    if (found == windows_.end()) return 0;
    // The procedure may destroy its own window; keep it alive for the call.
    const std::shared_ptr<const WindowProc> proc = found->second.proc;
    if (!*proc) return DefWindowProc(window, message, wParam, lParam);
    return (*proc)(window, message, wParam, lParam);
  }

  intptr_t DispatchMessage(const Message& message) override {
    return SendMessage(message.window, message.message, message.wParam, message.lParam);
  }

  void PostQuitMessage(int exitCode) override {
    queue_.push_back({0, wm::kQuit, static_cast<uintptr_t>(exitCode), 0});
  }

  intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t, intptr_t) override {
    if (message == wm::kClose) DestroyWindow(window);
    return 0;
  }

  void SetWindowText(WindowHandle handle, const std::string& text) override {
    const auto found = windows_.find(handle);
    if (found == windows_.end()) return;
    SDL_SetWindowTitle(found->second.sdl, text.c_str());
  }

  uint32_t GetWindowStyle(WindowHandle handle) const override {
    const auto found = windows_.find(handle);
    return found == windows_.end() ? 0 : found->second.style;
  }

  void SetWindowStyle(WindowHandle handle, uint32_t style) override {
    const auto found = windows_.find(handle);
    if (found == windows_.end()) return;
    Window& window = found->second;
    const bool wasFullscreen = window.style == window_style::kFullscreen;
    const bool fullscreen = style == window_style::kFullscreen;
    window.style = style;
    if (fullscreen == wasFullscreen) return;
    if (fullscreen) window.windowedRect = GetWindowRect(handle);
    if (fullscreen && !HasWindowManager(window.sdl)) {
      // Full screen is the window manager's work on X; without one the window itself covers the screen, in the
      // screen's own mode.
      CoverDisplay(window);
      return;
    }
    if (!fullscreen && window.covering) {
      window.covering = false;
      SDL_SetWindowBordered(window.sdl, SDL_TRUE);
      RestoreWindowedRect(window);
      return;
    }
    uint32_t flags = 0;
    if (fullscreen) {
      flags = SDL_WINDOW_FULLSCREEN_DESKTOP;
      if (window.hasFullscreenMode) {
        ApplyDisplayMode(window);
        flags = SDL_WINDOW_FULLSCREEN;
      }
    }
    int switched = SDL_SetWindowFullscreen(window.sdl, flags);
    // A screen whose mode cannot be changed still shows the game over the whole desktop.
    if (switched != 0 && flags == SDL_WINDOW_FULLSCREEN) switched = SDL_SetWindowFullscreen(window.sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (switched != 0) {
      std::fprintf(stderr, "window: cannot switch to %s: %s\n", fullscreen ? "full screen" : "a window",
                   SDL_GetError());
      return;
    }
    // Without a window manager nobody gives the window its old size back; ask for it explicitly.
    if (!fullscreen) RestoreWindowedRect(window);
  }

  static void RestoreWindowedRect(const Window& window) {
    if (window.windowedRect.Width() <= 0) return;
    SDL_SetWindowSize(window.sdl, window.windowedRect.Width(), window.windowedRect.Height());
    SDL_SetWindowPosition(window.sdl, window.windowedRect.left, window.windowedRect.top);
  }

  static void CoverDisplay(Window& window) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(window.sdl)), &bounds) != 0) return;
    window.covering = true;
    SDL_SetWindowBordered(window.sdl, SDL_FALSE);
    SDL_SetWindowPosition(window.sdl, bounds.x, bounds.y);
    SDL_SetWindowSize(window.sdl, bounds.w, bounds.h);
    SDL_RaiseWindow(window.sdl);
  }

  void SetFullscreenMode(WindowHandle handle, const FullscreenMode& mode) override {
    const auto found = windows_.find(handle);
    if (found == windows_.end()) return;
    Window& window = found->second;
    window.fullscreenMode = mode;
    window.hasFullscreenMode = mode.width > 0 && mode.height > 0;
    if (!window.hasFullscreenMode || window.style != window_style::kFullscreen || window.covering) return;
    // Already full screen: the screen changes mode now (SDL switches a visible full-screen window at once).
    ApplyDisplayMode(window);
    if ((SDL_GetWindowFlags(window.sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP) {
      SDL_SetWindowFullscreen(window.sdl, SDL_WINDOW_FULLSCREEN);
    }
  }

  Rect GetWindowRect(WindowHandle handle) const override {
    SDL_Window* sdl = Native(handle);
    if (sdl == nullptr) return {};
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &width, &height);
    return {x, y, x + width, y + height};
  }

  Rect GetClientRect(WindowHandle handle) const override {
    SDL_Window* sdl = Native(handle);
    if (sdl == nullptr) return {};
    const Window& window = windows_.at(handle);
    if (ShowsPicture(window)) return {0, 0, window.fullscreenMode.pictureWidth, window.fullscreenMode.pictureHeight};
    int width = 0, height = 0;
    SDL_GetWindowSize(sdl, &width, &height);
    return {0, 0, width, height};
  }

  // The window manager draws the decorations outside the window, so the outer rectangle is the client one.
  Rect AdjustWindowRect(const Rect& client, uint32_t) const override { return client; }

  void SetWindowPos(WindowHandle handle, const Rect& outer, bool show) override {
    SDL_Window* sdl = Native(handle);
    if (sdl == nullptr) return;
    SDL_SetWindowPosition(sdl, outer.left, outer.top);
    if (outer.Width() > 0 && outer.Height() > 0) SDL_SetWindowSize(sdl, outer.Width(), outer.Height());
    if (show) SDL_ShowWindow(sdl);
  }

  void ShowWindow(WindowHandle handle, int command) override {
    SDL_Window* sdl = Native(handle);
    if (sdl == nullptr) return;
    SDL_ShowWindow(sdl);
    if (command == show_command::kMinimized) {
      SDL_MinimizeWindow(sdl);
    } else {
      SDL_RestoreWindow(sdl);
    }
  }

  void SetFocus(WindowHandle handle) override {
    SDL_Window* sdl = Native(handle);
    if (sdl == nullptr) return;
    SDL_RaiseWindow(sdl);
    SDL_SetWindowInputFocus(sdl);
  }

  void ShowCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  void ClipCursor(const Rect* rect) override {
    for (auto& [handle, window] : windows_) {
      if (rect == nullptr) {
        SDL_SetWindowMouseRect(window.sdl, nullptr);
        SDL_SetWindowMouseGrab(window.sdl, SDL_FALSE);
        continue;
      }
      int x = 0, y = 0;
      SDL_GetWindowPosition(window.sdl, &x, &y);
      const SDL_Rect confine{rect->left - x, rect->top - y, rect->Width(), rect->Height()};
      SDL_SetWindowMouseRect(window.sdl, &confine);
      SDL_SetWindowMouseGrab(window.sdl, SDL_TRUE);
    }
  }

  Point GetCursorPos() const override {
    Point point;
    SDL_GetGlobalMouseState(&point.x, &point.y);
    return point;
  }

  Point ScreenToClient(WindowHandle handle, Point point) const override {
    SDL_Window* sdl = Native(handle);
    if (sdl == nullptr) return point;
    int x = 0, y = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    return ToClient(windows_.at(handle), point.x - x, point.y - y);
  }

  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
    // Drivers with no screen would either fail or, worse, open a box on some display nobody watches.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool canShow = driver != nullptr && std::string(driver) != "dummy" && std::string(driver) != "offscreen";
    uint32_t sdlFlags = SDL_MESSAGEBOX_INFORMATION;
    if ((flags & 0xF0) == message_box::kIconError) sdlFlags = SDL_MESSAGEBOX_ERROR;
    if ((flags & 0xF0) == message_box::kIconWarning) sdlFlags = SDL_MESSAGEBOX_WARNING;
    if (!canShow || SDL_ShowSimpleMessageBox(sdlFlags, caption.c_str(), text.c_str(), nullptr) != 0) {
      std::fprintf(stderr, "%s: %s%s%s\n", caption.c_str(), text.c_str(), canShow ? "\n(no message box: " : "",
                   canShow ? (std::string(SDL_GetError()) + ")").c_str() : "");
    }
    return message_box::kIdOk;
  }

  int GetDesktopColorDepth() const override {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 16;
    const int bytes = SDL_BYTESPERPIXEL(mode.format);
    return bytes > 0 ? bytes * 8 : 16;
  }

 private:
  void PumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Translate(event);
  }

  void PostToSdlWindow(uint32_t sdlWindowId, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (windows_.count(sdlWindowId) != 0) PostMessage(sdlWindowId, message, wParam, lParam);
  }

  // Mouse position messages carry client coordinates: picture pixels in full screen.
  intptr_t MouseLParam(uint32_t sdlWindowId, int x, int y) const {
    const auto found = windows_.find(sdlWindowId);
    if (found == windows_.end()) return MakeLParam(x, y);
    const Point client = ToClient(found->second, x, y);
    return MakeLParam(client.x, client.y);
  }

  static bool ShowsPicture(const Window& window) {
    return window.style == window_style::kFullscreen && window.hasFullscreenMode &&
           window.fullscreenMode.pictureWidth > 0 && window.fullscreenMode.pictureHeight > 0;
  }

  // A point in the window's own coordinates as a client point.
  static Point ToClient(const Window& window, int x, int y) {
    if (!ShowsPicture(window)) return {x, y};
    int width = 0, height = 0;
    SDL_GetWindowSize(window.sdl, &width, &height);
    const FullscreenMode& mode = window.fullscreenMode;
    const Rect fit = FitPicture(mode.pictureWidth, mode.pictureHeight, width, height);
    return AreaToPicture({x, y}, mode.pictureWidth, mode.pictureHeight, fit);
  }

  // Switches the window's full-screen display mode to the nearest one the screen offers at least as large as
  // asked, else to the desktop's own.
  static void ApplyDisplayMode(const Window& window) {
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window.sdl));
    SDL_DisplayMode wanted{};
    wanted.w = window.fullscreenMode.width;
    wanted.h = window.fullscreenMode.height;
    wanted.refresh_rate = window.fullscreenMode.refreshRate;
    SDL_DisplayMode mode{};
    if (SDL_GetClosestDisplayMode(display, &wanted, &mode) == nullptr && SDL_GetDesktopDisplayMode(display, &mode) != 0) {
      return;
    }
    if (SDL_SetWindowDisplayMode(window.sdl, &mode) != 0) {
      std::fprintf(stderr, "window: cannot use the %dx%d display mode: %s\n", mode.w, mode.h, SDL_GetError());
    }
  }

  void Translate(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        // A termination signal: every window is asked to close, so the game saves and shuts down in order.
        if (windows_.empty()) {
          PostQuitMessage(0);
        } else {
          for (const auto& [handle, window] : windows_) PostMessage(handle, wm::kClose, 0, 0);
        }
        break;
      case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const SDL_KeyboardEvent& key = event.key;
        const bool down = event.type == SDL_KEYDOWN;
        const uint32_t virtualKey = VirtualKeyFromSdl(key.keysym.sym, key.keysym.scancode);
        if (virtualKey == 0) break;
        PostToSdlWindow(key.windowID, down ? wm::kKeyDown : wm::kKeyUp, virtualKey,
                        KeyMessageLParam(key.keysym.scancode, down, key.repeat != 0));
        const uint32_t character = down ? ControlCharacterFromSdl(key.keysym.sym) : 0;
        if (character != 0) {
          PostToSdlWindow(key.windowID, wm::kChar, character,
                          KeyMessageLParam(key.keysym.scancode, true, key.repeat != 0));
        }
        break;
      }
      case SDL_TEXTINPUT: {
        const uint32_t windowId = event.text.windowID;
        ForEachCodePoint(event.text.text, [&](uint32_t codePoint) {
          if (codePoint <= 0xFF) PostToSdlWindow(windowId, wm::kChar, codePoint, 1);
        });
        break;
      }
      case SDL_MOUSEMOTION:
        mouseButtons_ = event.motion.state;
        PostToSdlWindow(event.motion.windowID, wm::kMouseMove, MouseStateBits(event.motion.state),
                        MouseLParam(event.motion.windowID, event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const SDL_MouseButtonEvent& button = event.button;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        uint32_t message = 0;
        if (button.button == SDL_BUTTON_LEFT) message = down ? wm::kLButtonDown : wm::kLButtonUp;
        if (button.button == SDL_BUTTON_RIGHT) message = down ? wm::kRButtonDown : wm::kRButtonUp;
        if (button.button == SDL_BUTTON_MIDDLE) message = down ? wm::kMButtonDown : wm::kMButtonUp;
        if (message == 0) break;
        // The buttons held after this press or release, as the classic desktop reports them; kept from the events
        // themselves, since the live state may already be further on.
        if (down) {
          mouseButtons_ |= SDL_BUTTON(button.button);
        } else {
          mouseButtons_ &= ~SDL_BUTTON(button.button);
        }
        PostToSdlWindow(button.windowID, message, MouseStateBits(mouseButtons_),
                        MouseLParam(button.windowID, button.x, button.y));
        break;
      }
      case SDL_MOUSEWHEEL: {
        const SDL_MouseWheelEvent& wheel = event.wheel;
        int notches = wheel.y;
        if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        if (notches == 0) break;
        const auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * kWheelDelta));
        PostToSdlWindow(wheel.windowID, wm::kMouseWheel,
                        (static_cast<uintptr_t>(delta) << 16) | MouseStateBits(mouseButtons_),
                        MouseLParam(wheel.windowID, wheel.mouseX, wheel.mouseY));
        break;
      }
      default:
        break;
    }
  }

  // SDL reports a maximise or restore and the size change it brings as separate events; the game hears of each
  // new state once, as the classic desktop tells it.
  void PostSize(WindowHandle handle, uint32_t kind, int width, int height) {
    Window& window = windows_[handle];
    const intptr_t size = MakeLParam(width, height);
    if (window.sizeReported && window.reportedSizeKind == kind && window.reportedSize == size) return;
    window.sizeReported = true;
    window.reportedSizeKind = kind;
    window.reportedSize = size;
    PostMessage(handle, wm::kSize, kind, size);
  }

  void TranslateWindowEvent(const SDL_WindowEvent& event) {
    const uint32_t id = event.windowID;
    SDL_Window* sdl = Native(id);
    if (sdl == nullptr) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(sdl, &width, &height);
    switch (event.event) {
      case SDL_WINDOWEVENT_CLOSE:
        PostMessage(id, wm::kClose, 0, 0);
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
        PostMessage(id, wm::kSetFocus, 0, 0);
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
        PostMessage(id, wm::kKillFocus, 0, 0);
        break;
      case SDL_WINDOWEVENT_MINIMIZED:
        PostSize(id, size_kind::kMinimized, 0, 0);
        break;
      case SDL_WINDOWEVENT_MAXIMIZED:
        PostSize(id, size_kind::kMaximized, width, height);
        break;
      case SDL_WINDOWEVENT_RESTORED:
        PostSize(id, size_kind::kRestored, width, height);
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        const bool maximized = (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MAXIMIZED) != 0;
        PostSize(id, maximized ? size_kind::kMaximized : size_kind::kRestored, event.data1, event.data2);
        break;
      }
      case SDL_WINDOWEVENT_EXPOSED:
        PostMessage(id, wm::kPaint, 0, 0);
        break;
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_ENTER:
        // The pointer may now be over the window: it asks which pointer to show there.
        PostMessage(id, wm::kSetCursor, id, MakeLParam(static_cast<int>(kHitClient), static_cast<int>(wm::kMouseMove)));
        break;
      default:
        break;
    }
  }

  std::map<WindowHandle, Window> windows_;
  std::deque<Message> queue_;
  // SDL button mask as of the last translated mouse event.
  uint32_t mouseButtons_ = 0;
};

}  // namespace

void SetSdlGlAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
}

std::unique_ptr<WindowSystem> CreateSdlWindowSystem() {
  // Closing the window is the game's decision (it saves first); termination signals still arrive as SDL_QUIT.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "video: cannot start: %s\n", SDL_GetError());
    return nullptr;
  }
  return std::make_unique<SdlWindowSystem>();
}

SDL_Window* SdlNativeWindow(WindowSystem& windows, WindowHandle window) {
  auto* sdl = dynamic_cast<SdlWindowSystem*>(&windows);
  return sdl == nullptr ? nullptr : sdl->Native(window);
}

}  // namespace platform
