// The application framework: the one window, the graphics device and its life cycle, the main loop, the FPS text,
// fatal errors and display-mode changes, with the virtual hooks through which the game joins in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/device_catalog.h"
#include "platform/gfx/graphics.h"
#include "platform/os.h"
#include "platform/result.h"
#include "platform/window_system.h"

namespace app {

// Name of the lock that keeps a second copy of the game from starting.
inline constexpr char kAppInstanceName[] = "Torvaneracing";

// The services the framework runs on, handed in so that tests can run it on the null backends.
struct GraphicsAppServices {
  platform::WindowSystem* windows = nullptr;
  // Makes the graphics system; null when graphics cannot be set up.
  std::function<std::unique_ptr<platform::gfx::GraphicsSystem>()> createGraphics;
  // Makes the single-instance lock of the given name; null when it cannot be made.
  std::function<std::unique_ptr<platform::InstanceLock>(const std::string& name)> createInstanceLock;
  // The process-wide application timer: command in, seconds out; empty uses AppTimer.
  std::function<double(int command)> timer;
  // Waits the given number of milliseconds; empty uses the system's sleep.
  std::function<void(int milliseconds)> sleep;
  // Packed version of the graphics feature level (0x00090000 is 9.0); empty asks GetDirectXVersion.
  std::function<uint32_t()> directXVersion;
};

// The choice of device for one of the two modes (windowed or fullscreen). The record pointers point into the
// framework's device catalog.
struct DeviceChoice {
  const AdapterEntry* adapter = nullptr;
  const DeviceEntry* device = nullptr;
  const FormatCombo* formatCombo = nullptr;
  platform::gfx::DisplayMode displayMode;
  platform::gfx::Format depthStencilFormat = platform::gfx::Format::Unknown;
  uint32_t multiSampleType = 0;
  VertexProcessingType vertexProcessingType = VertexProcessingType::Software;
  uint32_t presentInterval = platform::gfx::present_interval::kDefault;
  // Windowed choice only: the client size when the choice was made.
  int clientWidth = 0;
  int clientHeight = 0;
};

struct DeviceSettings {
  bool isWindowed = true;
  DeviceChoice windowedChoice;
  DeviceChoice fullscreenChoice;
  // The half in use: the windowed one when isWindowed is set.
  DeviceChoice& Current() { return isWindowed ? windowedChoice : fullscreenChoice; }
  const DeviceChoice& Current() const { return isWindowed ? windowedChoice : fullscreenChoice; }
};

// Exactly one exists per run; its constructor makes it the target of the window procedure.
class GraphicsApp {
 public:
  explicit GraphicsApp(const GraphicsAppServices& services);
  GraphicsApp(const GraphicsApp&) = delete;
  GraphicsApp& operator=(const GraphicsApp&) = delete;

  // The hooks, in their fixed slot order.
  // Start-up: single instance, desktop colour depth, graphics system, catalog, window, device choice, one-time
  // initialisation and the device. Negative on failure; the program then ends.
  virtual platform::HResult Create();
  // The main loop; returns the exit code carried by the quit message.
  virtual int Run();
  virtual intptr_t MsgProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  virtual ~GraphicsApp();
  virtual platform::HResult ApplyWindowStyle();
  // What the application itself does at each stage of the device's life and of a frame. On its own the framework
  // does nothing at any of them and succeeds, so a bare application opens its window, draws empty frames and
  // closes cleanly.
  virtual platform::HResult OneTimeInit() { return platform::kOk; }
  virtual platform::HResult InitDeviceObjects() { return platform::kOk; }
  virtual platform::HResult RestoreDeviceObjects() { return platform::kOk; }
  virtual platform::HResult FrameMove() { return platform::kOk; }
  virtual platform::HResult Render() { return platform::kOk; }
  virtual platform::HResult InvalidateDeviceObjects() { return platform::kOk; }
  virtual platform::HResult DeleteDeviceObjects() { return platform::kOk; }
  virtual platform::HResult FinalCleanup() { return platform::kOk; }
  virtual void OnLeftButtonDown() {}
  virtual void OnLeftButtonUp() {}
  virtual bool IsQuitRequested() { return false; }
  virtual platform::HResult Pause();
  virtual platform::HResult Resume();

  // The window procedure of the framework's window: forwards to MsgProc of the one application.
  static intptr_t StaticWndProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
  // The one application, or null.
  static GraphicsApp* Instance();

  // Wanted client size in pixels (also the wanted fullscreen mode).
  void SetWindowSize(int newWidth, int newHeight);
  // The window's title, also the caption of fatal-error boxes.
  void SetWindowTitle(const std::string& text);
  std::string GetFpsText() const { return fpsText; }

  // Shows the message for code once, with the exit text, and asks the window to close after the current frame.
  // Returns kFail; once a fatal error has been shown, returns code unchanged and does nothing.
  platform::HResult ShowFatalError(platform::HResult code, int kind);

  // Device choice from the catalog (graphics_app_choice.cpp).
  platform::HResult ChooseInitialSettings();
  bool FindBestWindowedMode();
  bool FindBestFullscreenMode();

  // Device life cycle.
  void BuildPresentParameters();
  platform::HResult Initialize3DEnvironment();
  platform::HResult Reset3DEnvironment();
  platform::HResult Cleanup3DEnvironment();
  // One frame: lost-device handling, FrameMove, Render, frame counting, Present.
  platform::HResult RenderFrame();

  // Display-mode changes while running (graphics_app_display.cpp).
  platform::HResult ToggleFullscreen();
  platform::HResult ChangeResolution(int newWidth, int newHeight);
  platform::HResult HandlePossibleSizeChange();

 protected:
  // Releases the graphics system and forgets the catalog whose records point into it (safe to call twice).
  void ReleaseDirect3D();
  // Asks the window to close once the current frame is over.
  void RequestClose();
  // Rebuilds or re-creates the device after a switch, keeping it when the adapter and device type stay.
  platform::HResult RebuildDevice(uint32_t previousAdapter, platform::gfx::DeviceType previousType);
  // Tells the window the display mode and picture size it takes in full screen.
  void ApplyFullscreenMode();
  // Puts the program back in a window after a failed switch and reports the failure.
  platform::HResult FailDisplayChange(platform::HResult result);
  // Computes windowRect and clientRect for a width × height client area; readWindow takes the top-left corner
  // from the window as it is now, else from the last windowed rectangle.
  void PlaceWindowForWindowedMode(bool readWindow);

  GraphicsAppServices services;
  platform::WindowSystem& windows;

  DeviceSettings deviceSettings;
  platform::gfx::PresentParameters presentParameters;
  std::unique_ptr<platform::gfx::GraphicsSystem> direct3D;
  platform::gfx::Device* device = nullptr;  // one reference held
  std::unique_ptr<platform::InstanceLock> instanceSemaphore;
  std::unique_ptr<DeviceCatalog> deviceCatalog;
  platform::gfx::Caps deviceCaps;
  platform::gfx::SurfaceDesc backBufferDesc;
  platform::WindowHandle window = 0;
  uint32_t windowedStyle = platform::window_style::kWindowed;
  std::string title = "GAME";
  int width = 640;
  int height = 480;
  platform::Rect windowRect;
  platform::Rect clientRect;

  bool running = false;
  bool closing = false;
  bool windowed = true;
  bool ready = false;
  bool deviceLost = false;
  bool minimized = false;
  bool maximized = false;
  bool ignoreSizeChange = false;
  bool deviceObjectsCreated = false;
  bool deviceObjectsRestored = false;
  bool showCursor = false;
  bool clipCursorWhenFullscreen = true;
  bool startFullscreen = false;
  bool fullscreenMultisampleOn = false;
  bool windowedMultisampleOn = false;
  bool fullscreenMultisampleAvailable = false;
  bool windowedMultisampleAvailable = false;
  bool multisampleByRenderState = false;
  bool directX9Capable = true;
  bool multisampleWanted = true;

  int32_t failedFrames = 0;
  float framesPerSecond = 0.0f;
  std::string fpsText;

  // A fatal error has been shown; later ones are not.
  bool fatalErrorShown = false;
  // The close sequence has run; a second close request does nothing.
  bool closed = false;
  // Frame counter of the FPS text: clock time of the last update (seconds) and frames since.
  bool fpsClockStarted = false;
  double lastFpsUpdateTime = 0.0;
  uint32_t framesSinceFpsUpdate = 0;
};

// Exit status of a program whose start-up failed.
inline constexpr int kExitCodeCreateFailed = 1;

}  // namespace app
