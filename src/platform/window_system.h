// The window, its message queue, message boxes and the cursor: the desktop seen as one window with Windows-style messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Message ids; the numbers are the classic window-message numbers the game logic is written against.
namespace wm {
enum : uint32_t {
  kNull = 0x0000,
  kSize = 0x0005,
  kActivate = 0x0006,
  kSetFocus = 0x0007,
  kKillFocus = 0x0008,
  kPaint = 0x000F,
  kClose = 0x0010,
  kQuit = 0x0012,
  kActivateApp = 0x001C,
  kSetCursor = 0x0020,
  kNcHitTest = 0x0084,
  kKeyDown = 0x0100,
  kKeyUp = 0x0101,
  kChar = 0x0102,
  kSysKeyDown = 0x0104,
  kSysKeyUp = 0x0105,
  kCommand = 0x0111,
  kSysCommand = 0x0112,
  kMouseMove = 0x0200,
  kLButtonDown = 0x0201,
  kLButtonUp = 0x0202,
  kLButtonDblClk = 0x0203,
  kRButtonDown = 0x0204,
  kRButtonUp = 0x0205,
  kMButtonDown = 0x0207,
  kMButtonUp = 0x0208,
  kMouseWheel = 0x020A,
  kUser = 0x0400,
};
}  // namespace wm

// wParam of kSize.
namespace size_kind {
enum : uint32_t { kRestored = 0, kMinimized = 1, kMaximized = 2 };
}

// wParam of kSysCommand (low four bits masked off).
namespace sys_command {
enum : uint32_t { kSize = 0xF000, kMove = 0xF010, kMinimize = 0xF020, kMaximize = 0xF030, kKeyMenu = 0xF100, kMonitorPower = 0xF170 };
}

// Hit-test codes answered to kNcHitTest and carried in kSetCursor's lParam.
constexpr intptr_t kHitClient = 1;

// Virtual-key codes, as key messages carry them in wParam. Letters and digits are their upper-case ASCII codes.
namespace vk {
enum : uint32_t {
  kLButton = 0x01, kRButton = 0x02, kMButton = 0x04,
  kBack = 0x08, kTab = 0x09, kReturn = 0x0D,
  kShift = 0x10, kControl = 0x11, kMenu = 0x12, kPause = 0x13, kCapital = 0x14,
  kEscape = 0x1B, kSpace = 0x20,
  kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24,
  kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28,
  kSnapshot = 0x2C, kInsert = 0x2D, kDelete = 0x2E,
  k0 = 0x30, k9 = 0x39, kA = 0x41, kZ = 0x5A,
  kNumpad0 = 0x60, kNumpad9 = 0x69,
  kMultiply = 0x6A, kAdd = 0x6B, kSeparator = 0x6C, kSubtract = 0x6D, kDecimal = 0x6E, kDivide = 0x6F,
  kF1 = 0x70, kF12 = 0x7B,
  kNumLock = 0x90, kScroll = 0x91,
  kLShift = 0xA0, kRShift = 0xA1, kLControl = 0xA2, kRControl = 0xA3, kLMenu = 0xA4, kRMenu = 0xA5,
  kOem1 = 0xBA, kOemPlus = 0xBB, kOemComma = 0xBC, kOemMinus = 0xBD, kOemPeriod = 0xBE, kOem2 = 0xBF, kOem3 = 0xC0,
  kOem4 = 0xDB, kOem5 = 0xDC, kOem6 = 0xDD, kOem7 = 0xDE,
};
}  // namespace vk

// Window styles the framework switches between.
namespace window_style {
enum : uint32_t {
  kWindowed = 0x10CA0000,    // visible, caption, system menu, minimise box
  kFullscreen = 0x90080000,  // popup, visible, system menu
};
}

// Message-box flags and answers.
namespace message_box {
enum : uint32_t { kOk = 0x0, kIconError = 0x10, kIconWarning = 0x30, kIconInformation = 0x40 };
constexpr int kIdOk = 1;
}

// ShowWindow commands.
namespace show_command {
enum : int { kNormal = 1, kMinimized = 2 };
}

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0;
  int y = 0;
};

// What a window shows while it has the full-screen style: the display mode the screen is switched to, and the
// size of the picture drawn in it. A picture of another shape than the mode is shown whole and centred, with
// bars; a screen that cannot take the mode keeps its own and the picture is fitted to that.
struct FullscreenMode {
  int width = 0;
  int height = 0;
  int refreshRate = 0;  // 0: the screen's own
  int pictureWidth = 0;
  int pictureHeight = 0;
  bool operator==(const FullscreenMode&) const = default;
};

// 0 is "no window".
using WindowHandle = uint32_t;

struct Message {
  WindowHandle window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// The window procedure: every message dispatched or sent to a window goes through it.
using WindowProc = std::function<intptr_t(WindowHandle, uint32_t, uintptr_t, intptr_t)>;

// Packs two 16-bit values as mouse and size messages carry them in lParam.
constexpr intptr_t MakeLParam(int low, int high) {
  return static_cast<intptr_t>(static_cast<uint32_t>((low & 0xFFFF) | ((high & 0xFFFF) << 16)));
}
constexpr int LowWord(intptr_t value) { return static_cast<int16_t>(value & 0xFFFF); }
constexpr int HighWord(intptr_t value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }

// One top-level window and the queue of its messages. Termination signals and the window manager's
// close button arrive as kClose. All calls are made on the main thread.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Creates the window (hidden until shown or positioned) with a client area of the given size.
  // Returns 0 on failure.
  virtual WindowHandle CreateWindow(const std::string& title, uint32_t style, int clientWidth, int clientHeight,
                                    WindowProc proc) = 0;
  virtual void DestroyWindow(WindowHandle window) = 0;
  virtual bool IsWindow(WindowHandle window) const = 0;

  // Takes (remove) or looks at the next message; first turns pending desktop events into messages.
  // Returns false when the queue is empty.
  virtual bool PeekMessage(Message& message, bool remove) = 0;
  // Blocks until a message is waiting (or timeoutMs passes; negative waits for ever).
  virtual void WaitMessage(int timeoutMs) = 0;
  virtual void PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  // Calls the window procedure at once and returns its answer; 0 when the window does not exist.
  virtual intptr_t SendMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual intptr_t DispatchMessage(const Message& message) = 0;
  // Queues kQuit with the exit code in wParam.
  virtual void PostQuitMessage(int exitCode) = 0;
  // Default handling: kClose destroys the window; everything else answers 0.
  virtual intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

  virtual void SetWindowText(WindowHandle window, const std::string& text) = 0;
  virtual uint32_t GetWindowStyle(WindowHandle window) const = 0;
  // Applies a window style: window_style::kFullscreen makes the window cover its display, switched to the window's
  // full-screen mode; leaving it, or destroying the window, gives the display its desktop mode back.
  virtual void SetWindowStyle(WindowHandle window, uint32_t style) = 0;
  // Sets the mode the window takes in full screen; a window already full screen switches at once.
  virtual void SetFullscreenMode(WindowHandle window, const FullscreenMode& mode) = 0;
  // Window rectangle in screen coordinates; client rectangle from (0, 0). In full screen with a mode set, the
  // client area is the picture: its rectangle has the picture's size, and mouse positions (messages and
  // ScreenToClient) are picture pixels wherever the picture lies on the screen.
  virtual Rect GetWindowRect(WindowHandle window) const = 0;
  virtual Rect GetClientRect(WindowHandle window) const = 0;
  // Outer rectangle for a client rectangle in the given style.
  virtual Rect AdjustWindowRect(const Rect& client, uint32_t style) const = 0;
  virtual void SetWindowPos(WindowHandle window, const Rect& outer, bool show) = 0;
  virtual void ShowWindow(WindowHandle window, int command) = 0;
  virtual void SetFocus(WindowHandle window) = 0;

  // The system pointer over the window's client area: shown or hidden. The desktop asks the window which it
  // wants (kSetCursor, hit-test code in lParam's low word) when the pointer comes over it and when it appears.
  virtual void ShowCursor(bool show) = 0;
  // Keeps the pointer inside the rectangle (screen coordinates); null releases it.
  virtual void ClipCursor(const Rect* rect) = 0;
  virtual Point GetCursorPos() const = 0;
  virtual Point ScreenToClient(WindowHandle window, Point point) const = 0;

  // Shows a modal message box (stderr when no display can show it); returns message_box::kIdOk.
  virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) = 0;
  // Bits per pixel of the desktop (bytes per pixel × 8).
  virtual int GetDesktopColorDepth() const = 0;
};

// The desktop through SDL2. Returns null when no video device can be opened.
std::unique_ptr<WindowSystem> CreateSdlWindowSystem();

}  // namespace platform
