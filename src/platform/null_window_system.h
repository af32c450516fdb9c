// A window system with no display: windows are records, messages a queue tests can fill, and every call that
// changes a window, shows a message box or moves the cursor is recorded, so framework logic runs in unit tests.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace platform {

class NullWindowSystem : public WindowSystem {
 public:
  // Frame of a windowed-style window around its client area, in pixels.
  static constexpr int kBorderWidth = 3;
  static constexpr int kCaptionHeight = 22;
  // Where new windows are put (top-left of the outer rectangle).
  static constexpr int kDefaultLeft = 80;
  static constexpr int kDefaultTop = 60;

  struct WindowRecord {
    std::string title;
    uint32_t style = 0;
    Rect outer;  // screen coordinates
    bool visible = false;
    WindowProc proc;
    std::optional<FullscreenMode> fullscreenMode;
  };
  struct MessageBoxRecord {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
  };
  struct SetWindowPosRecord {
    WindowHandle window = 0;
    Rect outer;
    bool show = false;
  };
  struct ShowWindowRecord {
    WindowHandle window = 0;
    int command = 0;
  };

  NullWindowSystem() = default;

  // Configuration.
  void SetDesktopColorDepth(int bitsPerPixel) { desktopColorDepth_ = bitsPerPixel; }
  void SetDesktopSize(int width, int height) { desktopWidth_ = width; desktopHeight_ = height; }
  void SetCreateWindowFails(bool fails) { createWindowFails_ = fails; }
  void SetCursorPos(Point point) { cursor_ = point; }
  // The display modes the screen can take (width, height); none listed: it takes any.
  void SetDisplayModes(std::vector<Point> sizes) { displayModes_ = std::move(sizes); }
  // Queues a message as the desktop would (same as PostMessage).
  void InjectMessage(const Message& message) { queue_.push_back(message); }

  // Records.
  const WindowRecord* FindWindow(WindowHandle window) const;
  int WindowsCreated() const { return windowsCreated_; }
  int WindowsDestroyed() const { return windowsDestroyed_; }
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<SetWindowPosRecord>& SetWindowPosCalls() const { return setWindowPosCalls_; }
  const std::vector<ShowWindowRecord>& ShowWindowCalls() const { return showWindowCalls_; }
  // Every ClipCursor call: the rectangle, or nothing for a release.
  const std::vector<std::optional<Rect>>& ClipCursorCalls() const { return clipCursorCalls_; }
  const std::vector<WindowHandle>& FocusCalls() const { return focusCalls_; }
  bool CursorShown() const { return cursorShown_; }
  // Every SetFullscreenMode call, in order.
  const std::vector<FullscreenMode>& FullscreenModeCalls() const { return fullscreenModeCalls_; }
  // The screen's mode now: the desktop's, unless a full-screen window switched it.
  Point DisplaySize() const { return displaySize_.x > 0 ? displaySize_ : Point{desktopWidth_, desktopHeight_}; }
  int WaitMessageCalls() const { return waitMessageCalls_; }
  size_t QueuedMessages() const { return queue_.size(); }
  // Every message handed to DispatchMessage, in order.
  const std::vector<Message>& DispatchedMessages() const { return dispatched_; }

  // WindowSystem.
  WindowHandle CreateWindow(const std::string& title, uint32_t style, int clientWidth, int clientHeight,
                            WindowProc proc) override;
  void DestroyWindow(WindowHandle window) override;
  bool IsWindow(WindowHandle window) const override;
  bool PeekMessage(Message& message, bool remove) override;
  void WaitMessage(int timeoutMs) override;
  void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  intptr_t DispatchMessage(const Message& message) override;
  void PostQuitMessage(int exitCode) override;
  intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void SetWindowText(WindowHandle window, const std::string& text) override;
  uint32_t GetWindowStyle(WindowHandle window) const override;
  void SetWindowStyle(WindowHandle window, uint32_t style) override;
  void SetFullscreenMode(WindowHandle window, const FullscreenMode& mode) override;
  Rect GetWindowRect(WindowHandle window) const override;
  Rect GetClientRect(WindowHandle window) const override;
  Rect AdjustWindowRect(const Rect& client, uint32_t style) const override;
  void SetWindowPos(WindowHandle window, const Rect& outer, bool show) override;
  void ShowWindow(WindowHandle window, int command) override;
  void SetFocus(WindowHandle window) override;
  void ShowCursor(bool show) override;
  void ClipCursor(const Rect* rect) override;
  Point GetCursorPos() const override;
  Point ScreenToClient(WindowHandle window, Point point) const override;
  int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
  int GetDesktopColorDepth() const override { return desktopColorDepth_; }

 private:
  WindowRecord* Find(WindowHandle window);
  // Client rectangle in screen coordinates.
  Rect ClientOnScreen(const WindowRecord& record) const;
  bool ShowsPicture(const WindowRecord& record) const;
  // Puts a full-screen window over the display in its mode (or the desktop's when the screen cannot take it).
  void CoverDisplay(WindowRecord& record);
  // A window coming into view asks which pointer to show over it.
  void BecomeVisible(WindowHandle window, WindowRecord& record);

  std::map<WindowHandle, WindowRecord> windows_;
  WindowHandle nextHandle_ = 1;
  std::deque<Message> queue_;
  int desktopColorDepth_ = 32;
  int desktopWidth_ = 1024;
  int desktopHeight_ = 768;
  bool createWindowFails_ = false;
  Point cursor_;
  bool cursorShown_ = true;
  std::vector<Point> displayModes_;
  Point displaySize_;  // 0 x 0: the desktop's
  std::vector<FullscreenMode> fullscreenModeCalls_;
  int windowsCreated_ = 0;
  int windowsDestroyed_ = 0;
  int waitMessageCalls_ = 0;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<SetWindowPosRecord> setWindowPosCalls_;
  std::vector<ShowWindowRecord> showWindowCalls_;
  std::vector<std::optional<Rect>> clipCursorCalls_;
  std::vector<WindowHandle> focusCalls_;
  std::vector<Message> dispatched_;
};

}  // namespace platform
