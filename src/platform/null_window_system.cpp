// Recording window system for tests: window records, an injectable message queue and logs of window calls.
#include "platform/null_window_system.h"

#include <algorithm>

#include "platform/picture_fit.h"

namespace platform {

namespace {

// Popup windows (the full-screen style) have no frame.
constexpr uint32_t kPopupBit = 0x80000000u;

bool HasFrame(uint32_t style) { return (style & kPopupBit) == 0; }

}  // namespace

NullWindowSystem::WindowRecord* NullWindowSystem::Find(WindowHandle window) {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

const NullWindowSystem::WindowRecord* NullWindowSystem::FindWindow(WindowHandle window) const {
  auto found = windows_.find(window);
  return found == windows_.end() ? nullptr : &found->second;
}

Rect NullWindowSystem::AdjustWindowRect(const Rect& client, uint32_t style) const {
  if (!HasFrame(style)) return client;
  return Rect{client.left - kBorderWidth, client.top - kCaptionHeight - kBorderWidth, client.right + kBorderWidth,
              client.bottom + kBorderWidth};
}

Rect NullWindowSystem::ClientOnScreen(const WindowRecord& record) const {
  if (!HasFrame(record.style)) return record.outer;
  return Rect{record.outer.left + kBorderWidth, record.outer.top + kCaptionHeight + kBorderWidth,
              record.outer.right - kBorderWidth, record.outer.bottom - kBorderWidth};
}

WindowHandle NullWindowSystem::CreateWindow(const std::string& title, uint32_t style, int clientWidth,
                                            int clientHeight, WindowProc proc) {
  if (createWindowFails_) return 0;
  WindowRecord record;
  record.title = title;
  record.style = style;
  const Rect frame = AdjustWindowRect(Rect{0, 0, clientWidth, clientHeight}, style);
  record.outer = Rect{kDefaultLeft, kDefaultTop, kDefaultLeft + frame.Width(), kDefaultTop + frame.Height()};
  record.proc = std::move(proc);
  const WindowHandle handle = nextHandle_++;
  windows_[handle] = std::move(record);
  ++windowsCreated_;
  return handle;
}

void NullWindowSystem::DestroyWindow(WindowHandle window) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return;
  if (record->style == window_style::kFullscreen) displaySize_ = Point{};
  windows_.erase(window);
  ++windowsDestroyed_;
}

bool NullWindowSystem::IsWindow(WindowHandle window) const { return windows_.count(window) > 0; }

bool NullWindowSystem::PeekMessage(Message& message, bool remove) {
  if (queue_.empty()) return false;
  message = queue_.front();
  if (remove) queue_.pop_front();
  return true;
}

void NullWindowSystem::WaitMessage(int /*timeoutMs*/) { ++waitMessageCalls_; }

void NullWindowSystem::PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  queue_.push_back(Message{window, message, wParam, lParam});
}

intptr_t NullWindowSystem::SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  WindowRecord* record = Find(window);
  if (record == nullptr || !record->proc) return 0;
  // A copy: the procedure may destroy its own window while it runs.
  const WindowProc proc = record->proc;
  return proc(window, message, wParam, lParam);
}

intptr_t NullWindowSystem::DispatchMessage(const Message& message) {
  dispatched_.push_back(message);
  return SendMessage(message.window, message.message, message.wParam, message.lParam);
}

void NullWindowSystem::PostQuitMessage(int exitCode) {
  queue_.push_back(Message{0, wm::kQuit, static_cast<uintptr_t>(exitCode), 0});
}

intptr_t NullWindowSystem::DefWindowProc(WindowHandle window, uint32_t message, uintptr_t /*wParam*/,
                                         intptr_t /*lParam*/) {
  if (message == wm::kClose) DestroyWindow(window);
  return 0;
}

void NullWindowSystem::SetWindowText(WindowHandle window, const std::string& text) {
  if (WindowRecord* record = Find(window)) record->title = text;
}

uint32_t NullWindowSystem::GetWindowStyle(WindowHandle window) const {
  const WindowRecord* record = FindWindow(window);
  return record != nullptr ? record->style : 0;
}

void NullWindowSystem::SetWindowStyle(WindowHandle window, uint32_t style) {
  WindowRecord* record = Find(window);
  if (record == nullptr) return;
  const bool wasFullscreen = record->style == window_style::kFullscreen;
  record->style = style;
  // Full screen covers the display; going back to a window leaves the window where it is, as a desktop would,
  // and gives the screen its desktop mode back.
  if (style == window_style::kFullscreen) {
    CoverDisplay(*record);
    BecomeVisible(window, *record);
  } else if (wasFullscreen) {
    displaySize_ = Point{};
  }
}

void NullWindowSystem::SetFullscreenMode(WindowHandle window, const FullscreenMode& mode) {
  fullscreenModeCalls_.push_back(mode);
  WindowRecord* record = Find(window);
  if (record == nullptr) return;
  record->fullscreenMode = mode;
  if (record->style == window_style::kFullscreen) CoverDisplay(*record);
}

void NullWindowSystem::CoverDisplay(WindowRecord& record) {
  displaySize_ = Point{};
  if (record.fullscreenMode && record.fullscreenMode->width > 0 && record.fullscreenMode->height > 0) {
    const Point wanted{record.fullscreenMode->width, record.fullscreenMode->height};
    const bool offered = displayModes_.empty() ||
                         std::any_of(displayModes_.begin(), displayModes_.end(),
                                     [&](const Point& mode) { return mode.x == wanted.x && mode.y == wanted.y; });
    if (offered) displaySize_ = wanted;
  }
  const Point display = DisplaySize();
  record.outer = Rect{0, 0, display.x, display.y};
}

bool NullWindowSystem::ShowsPicture(const WindowRecord& record) const {
  return record.style == window_style::kFullscreen && record.fullscreenMode &&
         record.fullscreenMode->pictureWidth > 0 && record.fullscreenMode->pictureHeight > 0;
}

void NullWindowSystem::BecomeVisible(WindowHandle window, WindowRecord& record) {
  if (record.visible) return;
  record.visible = true;
  PostMessage(window, wm::kSetCursor, window, MakeLParam(static_cast<int>(kHitClient), static_cast<int>(wm::kMouseMove)));
}

Rect NullWindowSystem::GetWindowRect(WindowHandle window) const {
  const WindowRecord* record = FindWindow(window);
  return record != nullptr ? record->outer : Rect{};
}

Rect NullWindowSystem::GetClientRect(WindowHandle window) const {
  const WindowRecord* record = FindWindow(window);
  if (record == nullptr) return Rect{};
  if (ShowsPicture(*record)) return Rect{0, 0, record->fullscreenMode->pictureWidth, record->fullscreenMode->pictureHeight};
  const Rect client = ClientOnScreen(*record);
  return Rect{0, 0, client.Width(), client.Height()};
}

void NullWindowSystem::SetWindowPos(WindowHandle window, const Rect& outer, bool show) {
  setWindowPosCalls_.push_back(SetWindowPosRecord{window, outer, show});
  WindowRecord* record = Find(window);
  if (record == nullptr) return;
  record->outer = outer;
  if (show) BecomeVisible(window, *record);
}

void NullWindowSystem::ShowWindow(WindowHandle window, int command) {
  showWindowCalls_.push_back(ShowWindowRecord{window, command});
  WindowRecord* record = Find(window);
  if (record == nullptr) return;
  BecomeVisible(window, *record);
}

void NullWindowSystem::SetFocus(WindowHandle window) { focusCalls_.push_back(window); }

void NullWindowSystem::ShowCursor(bool show) { cursorShown_ = show; }

void NullWindowSystem::ClipCursor(const Rect* rect) {
  clipCursorCalls_.push_back(rect != nullptr ? std::optional<Rect>(*rect) : std::nullopt);
}

Point NullWindowSystem::GetCursorPos() const { return cursor_; }

Point NullWindowSystem::ScreenToClient(WindowHandle window, Point point) const {
  const WindowRecord* record = FindWindow(window);
  if (record == nullptr) return point;
  const Rect client = ClientOnScreen(*record);
  const Point inside{point.x - client.left, point.y - client.top};
  if (!ShowsPicture(*record)) return inside;
  const FullscreenMode& mode = *record->fullscreenMode;
  return AreaToPicture(inside, mode.pictureWidth, mode.pictureHeight,
                       FitPicture(mode.pictureWidth, mode.pictureHeight, client.Width(), client.Height()));
}

int NullWindowSystem::MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
  messageBoxes_.push_back(MessageBoxRecord{text, caption, flags});
  return message_box::kIdOk;
}

}  // namespace platform
