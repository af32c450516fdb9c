// Application framework: start-up, the main loop, the window procedure, the device life cycle and fatal errors.
#include "app/graphics_app.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>

#include "app/app_timer.h"
#include "app/directx_version.h"
#include "app/fatal_errors.h"
#include "app/paths.h"

namespace app {

using platform::HResult;
namespace wm = platform::wm;
namespace gfx = platform::gfx;

namespace {

GraphicsApp* g_graphicsApp = nullptr;

constexpr uint32_t kDirectX9 = 0x00090000;
// Idle passes while the device is lost wait this long before asking the device again.
constexpr int kLostDeviceSleepMs = 100;
// Idle passes with nothing to draw wait at most this long for a message.
constexpr int kIdleWaitMs = 100;
// Three failed frames in a row end the program.
constexpr int kMaxFailedFrames = 2;
// Command of the (absent) window menu that closes the game.
constexpr uint32_t kCommandExit = 40006;

// Adapters whose drivers cannot run the full game; they are kept out of full screen.
constexpr const char* kLimitedAdapters[] = {"MATROX MILLENNIUM G400", "DIAMOND VIPER II Z200", "3DFX VOODOO",
                                            "VOODOO3"};

constexpr char kColorDepthMessage[] =
    "This game must be run in 16- or 32-bit color mode. Please change your desktop color depth and try again.";

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

uint32_t BehaviorFlags(VertexProcessingType type) {
  switch (type) {
    case VertexProcessingType::Software:
      return gfx::create_flags::kSoftwareVertexProcessing;
    case VertexProcessingType::Mixed:
      return gfx::create_flags::kMixedVertexProcessing;
    case VertexProcessingType::Hardware:
      return gfx::create_flags::kHardwareVertexProcessing;
    case VertexProcessingType::PureHardware:
      return gfx::create_flags::kHardwareVertexProcessing | gfx::create_flags::kPureDevice;
  }
  return gfx::create_flags::kSoftwareVertexProcessing;
}

}  // namespace

GraphicsApp::GraphicsApp(const GraphicsAppServices& services) : services(services), windows(*services.windows) {
  if (!this->services.timer) this->services.timer = [](int command) { return AppTimer(command); };
  if (!this->services.sleep) this->services.sleep = [](int milliseconds) { platform::SleepMilliseconds(milliseconds); };
  if (!this->services.createInstanceLock) {
    this->services.createInstanceLock = [](const std::string& name) { return platform::CreateInstanceLock(name); };
  }
  if (!this->services.directXVersion) {
    this->services.directXVersion = [] {
      uint32_t packed = 0;
      char text[10];
      GetDirectXVersion(&packed, text, sizeof text);
      return packed;
    };
  }
  g_graphicsApp = this;
}

GraphicsApp::~GraphicsApp() {
  // A run that ended through the close message has released everything already; a failed start has not.
  if (device != nullptr) {
    device->Release();
    device = nullptr;
  }
  ReleaseDirect3D();
  if (window != 0 && windows.IsWindow(window)) windows.DestroyWindow(window);
  if (instanceSemaphore) instanceSemaphore->Release();
  if (g_graphicsApp == this) g_graphicsApp = nullptr;
}

GraphicsApp* GraphicsApp::Instance() { return g_graphicsApp; }

intptr_t GraphicsApp::StaticWndProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
  if (g_graphicsApp == nullptr) return 0;
  return g_graphicsApp->MsgProc(window, message, wParam, lParam);
}

void GraphicsApp::SetWindowSize(int newWidth, int newHeight) {
  width = newWidth;
  height = newHeight;
}

void GraphicsApp::SetWindowTitle(const std::string& text) {
  title = text;
  if (window != 0) windows.SetWindowText(window, title);
}

void GraphicsApp::ReleaseDirect3D() {
  // The catalog's records describe this graphics system, so both go together.
  deviceCatalog.reset();
  direct3D.reset();
}

void GraphicsApp::RequestClose() {
  closing = true;
  if (window != 0) windows.PostMessage(window, wm::kClose, 0, 0);
}

HResult GraphicsApp::ShowFatalError(HResult code, int /*kind*/) {
  if (fatalErrorShown) return code;
  std::string text = FatalErrorMessage(code);
  text += kFatalErrorExitText;
  fatalErrorShown = true;
  // The box must be seen, and the player's desktop must not stay in the game's display mode: leave full screen
  // first. The game is ending, so the device is not rebuilt for the window.
  if (!windowed && window != 0 && windows.IsWindow(window)) {
    windows.ClipCursor(nullptr);
    windows.SetWindowStyle(window, windowedStyle);
  }
  windows.MessageBox(text, title, platform::message_box::kIconError | platform::message_box::kOk);
  RequestClose();
  return platform::kFail;
}

HResult GraphicsApp::Create() {
  // 1. The graphics feature level; below 9.0 the game stays in a window.
  if (services.directXVersion() < kDirectX9) directX9Capable = false;

  // 2. One copy of the game at a time; a second one leaves without a word.
  instanceSemaphore = services.createInstanceLock(kAppInstanceName);
  if (!instanceSemaphore) {
    std::fprintf(stderr, "corsaire: the single-instance lock cannot be made; starting anyway\n");
  } else if (!instanceSemaphore->TryAcquire()) {
    instanceSemaphore.reset();
    if (window != 0) RequestClose();
    return platform::kFail;
  }

  // 3. Desktop colour depth.
  const int colorDepth = GetDesktopColorDepth(windows);
  if (colorDepth < 16 || colorDepth == 24) {
    windows.MessageBox(kColorDepthMessage, title, platform::message_box::kIconError);
    if (window != 0) RequestClose();
    return platform::kFail;
  }

  try {
    // 4. The graphics system.
    direct3D = services.createGraphics ? services.createGraphics() : nullptr;
    if (!direct3D) return ShowFatalError(app_error::kNoGraphicsSystem, 1);

    // 5. Old cards that cannot run the game in full screen.
    gfx::AdapterIdentifier identifier;
    if (direct3D->GetAdapterCount() > 0 && platform::Succeeded(direct3D->GetAdapterIdentifier(0, 0, identifier))) {
      const std::string description = UpperCase(identifier.description);
      for (const char* name : kLimitedAdapters) {
        if (description.find(name) != std::string::npos) directX9Capable = false;
      }
    }

    // 6.
    if (!directX9Capable) startFullscreen = false;

    // 7. What the hardware can do.
    deviceCatalog = std::make_unique<DeviceCatalog>(direct3D.get(), 320, 240, 5, 0, 16, 4);
    HResult result = deviceCatalog->Enumerate();
    if (platform::Failed(result)) {
      ReleaseDirect3D();
      return ShowFatalError(result, 1);
    }

    // 8. The window: always windowed at first.
    if (window == 0) {
      windowedStyle = platform::window_style::kWindowed;
      window = windows.CreateWindow(title, windowedStyle, width, height, &GraphicsApp::StaticWndProc);
      if (window == 0) {
        std::fprintf(stderr, "corsaire: the window cannot be created\n");
        ReleaseDirect3D();
        return platform::kFail;
      }
    }

    // 9.
    windowedStyle = windows.GetWindowStyle(window);
    windowRect = windows.GetWindowRect(window);
    clientRect = windows.GetClientRect(window);

    // 10-12.
    result = ChooseInitialSettings();
    if (platform::Succeeded(result)) result = OneTimeInit();
    if (platform::Succeeded(result)) result = Initialize3DEnvironment();
    if (platform::Failed(result)) {
      ReleaseDirect3D();
      return ShowFatalError(result, 1);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "corsaire: start-up failed: %s\n", error.what());
    if (!windowed) ToggleFullscreen();
    Cleanup3DEnvironment();
    ReleaseDirect3D();
    ShowFatalError(app_error::kNoGraphicsSystem, 1);
    return platform::kFail;
  }

  // 13.
  ready = true;
  return platform::kOk;
}

int GraphicsApp::Run() {
  platform::Message message;
  if (windows.PeekMessage(message, false) && message.message == wm::kQuit) {
    return static_cast<int>(message.wParam);
  }
  for (;;) {
    if (windows.PeekMessage(message, true)) {
      if (message.message == wm::kQuit) break;
      // Every key, Escape included, reaches the game unchanged: the screens and the race act on Escape.
      windows.DispatchMessage(message);
      continue;
    }
    if (closing) {
      windows.WaitMessage(kIdleWaitMs);
      continue;
    }
    if (deviceLost) services.sleep(kLostDeviceSleepMs);
    if (ready) {
      if (platform::Failed(RenderFrame())) {
        ++failedFrames;
        if (failedFrames > kMaxFailedFrames) RequestClose();
      } else {
        failedFrames = 0;
      }
    } else if (!deviceLost) {
      windows.WaitMessage(kIdleWaitMs);
    }
    if (!closing && IsQuitRequested()) RequestClose();
  }
  return static_cast<int>(message.wParam);
}

intptr_t GraphicsApp::MsgProc(platform::WindowHandle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case wm::kSize:
      if (windowed && window != 0) windowedStyle = windows.GetWindowStyle(window);
      if (wParam == platform::size_kind::kMinimized) {
        if (clipCursorWhenFullscreen && !windowed) windows.ClipCursor(nullptr);
        minimized = true;
        maximized = false;
        Pause();
      } else if (wParam == platform::size_kind::kMaximized) {
        if (window != 0) windows.ShowWindow(window, platform::show_command::kNormal);
        minimized = false;
        maximized = true;
        Resume();
      } else if (wParam == platform::size_kind::kRestored) {
        if (maximized) {
          maximized = false;
        } else if (minimized) {
          minimized = false;
          if (window != 0) windows.ShowWindow(window, platform::show_command::kNormal);
          Resume();
        }
      }
      break;

    case wm::kSetFocus:
      Resume();
      break;

    case wm::kKillFocus:
      Pause();
      break;

    case wm::kPaint:
      // During a switch the loop does not draw; the window is drawn from the last frame instead.
      if (device != nullptr && !ready && windowed && deviceObjectsCreated && deviceObjectsRestored && !closing) {
        Render();
        if (device->Present() == platform::kDeviceLost) deviceLost = true;
      }
      break;

    case wm::kClose:
      // Runs once: a close posted by a failure while the player also closed the window does nothing more.
      if (!closed) {
        closed = true;
        closing = true;
        ready = false;
        Cleanup3DEnvironment();
        ReleaseDirect3D();
        FinalCleanup();
        if (instanceSemaphore) {
          instanceSemaphore->Release();
          instanceSemaphore.reset();
        }
        windows.PostQuitMessage(0);
      }
      return 0;

    case wm::kActivateApp:
      return 0;

    case wm::kSetCursor:
      if (ready && platform::LowWord(lParam) == platform::kHitClient) {
        windows.ShowCursor(showCursor);
        return 0;
      }
      break;

    case wm::kNcHitTest:
      if (!windowed) return platform::kHitClient;
      break;

    case wm::kCommand:
      if (static_cast<uint32_t>(platform::LowWord(static_cast<intptr_t>(wParam))) == kCommandExit) {
        windows.SendMessage(hwnd, wm::kClose, 0, 0);
        return 0;
      }
      break;

    case wm::kSysCommand: {
      const uint32_t command = static_cast<uint32_t>(wParam) & 0xFFF0u;
      if (command == platform::sys_command::kSize || command == platform::sys_command::kMove ||
          command == platform::sys_command::kMaximize || command == platform::sys_command::kKeyMenu ||
          command == platform::sys_command::kMonitorPower) {
        if (!windowed) return 1;
      }
      break;
    }

    case wm::kMouseMove:
      if (ready && device != nullptr) {
        platform::Point cursor = windows.GetCursorPos();
        if (!windowed) cursor = windows.ScreenToClient(window, cursor);
        device->SetCursorPosition(cursor.x, cursor.y, 0);
      }
      break;

    case wm::kLButtonDown:
      OnLeftButtonDown();
      return 0;

    case wm::kLButtonUp:
      OnLeftButtonUp();
      return 0;

    default:
      break;
  }
  return windows.DefWindowProc(hwnd, message, wParam, lParam);
}

HResult GraphicsApp::ApplyWindowStyle() {
  if (window == 0) return platform::kOk;
  if (windowed) {
    windows.SetWindowStyle(window, windowedStyle);
  } else {
    ApplyFullscreenMode();
    windows.SetWindowStyle(window, platform::window_style::kFullscreen);
    windows.SetFocus(window);
  }
  return platform::kOk;
}

void GraphicsApp::ApplyFullscreenMode() {
  if (window == 0) return;
  const gfx::DisplayMode& mode = deviceSettings.fullscreenChoice.displayMode;
  platform::FullscreenMode fullscreen;
  fullscreen.width = static_cast<int>(mode.width);
  fullscreen.height = static_cast<int>(mode.height);
  fullscreen.refreshRate = static_cast<int>(mode.refreshRate);
  fullscreen.pictureWidth = width;
  fullscreen.pictureHeight = height;
  windows.SetFullscreenMode(window, fullscreen);
}

HResult GraphicsApp::Pause() {
  running = false;
  return platform::kOk;
}

HResult GraphicsApp::Resume() {
  running = true;
  return platform::kOk;
}

void GraphicsApp::BuildPresentParameters() {
  const DeviceChoice& current = deviceSettings.Current();
  gfx::PresentParameters parameters;
  parameters.deviceWindow = window;
  parameters.windowed = deviceSettings.isWindowed;
  parameters.backBufferCount = 1;
  parameters.multiSampleType = current.multiSampleType;
  parameters.autoDepthStencilFormat = current.depthStencilFormat;
  parameters.swapEffect = gfx::SwapEffect::Discard;
  parameters.enableAutoDepthStencil = true;
  parameters.flags = 0;
  parameters.presentationInterval = current.presentInterval;
  parameters.backBufferFormat = current.formatCombo != nullptr ? current.formatCombo->backBufferFormat
                                                               : gfx::Format::Unknown;
  if (windowed) {
    parameters.backBufferWidth = static_cast<uint32_t>(std::max(0, clientRect.Width()));
    parameters.backBufferHeight = static_cast<uint32_t>(std::max(0, clientRect.Height()));
    parameters.fullscreenRefreshRate = 0;
  } else {
    // The picture has the wanted size. The display mode chosen for it has that size too when the screen offers
    // one; otherwise the window system shows the picture whole within the mode the screen has.
    parameters.backBufferWidth = static_cast<uint32_t>(std::max(1, width));
    parameters.backBufferHeight = static_cast<uint32_t>(std::max(1, height));
    parameters.fullscreenRefreshRate = deviceSettings.fullscreenChoice.displayMode.refreshRate;
  }
  presentParameters = parameters;
}

HResult GraphicsApp::Initialize3DEnvironment() {
  const DeviceChoice& current = deviceSettings.Current();
  if (!direct3D || current.formatCombo == nullptr || current.device == nullptr) {
    return ShowFatalError(app_error::kNoCompatibleDevice, 1);
  }
  windowed = deviceSettings.isWindowed;
  ApplyWindowStyle();
  BuildPresentParameters();

  if (current.device->caps.primitiveMiscCaps & gfx::primitive_misc_caps::kNullReference) {
    ShowFatalError(app_error::kReducedReferenceDevice, 0);
  }

  const gfx::DeviceType deviceType = current.device->deviceType;
  HResult result = direct3D->CreateDevice(current.formatCombo->adapterOrdinal, deviceType, window,
                                          BehaviorFlags(current.vertexProcessingType), presentParameters, &device);
  if (platform::Succeeded(result) && device == nullptr) result = platform::kFail;
  if (platform::Succeeded(result)) {
    if (windowed) windows.SetWindowPos(window, windowRect, true);
    device->GetDeviceCaps(deviceCaps);
    device->GetBackBufferDesc(backBufferDesc);
    if (clipCursorWhenFullscreen) {
      if (windowed) {
        windows.ClipCursor(nullptr);
      } else {
        const platform::Rect bounds = windows.GetWindowRect(window);
        windows.ClipCursor(&bounds);
      }
    }

    result = InitDeviceObjects();
    if (platform::Failed(result)) {
      DeleteDeviceObjects();
      Cleanup3DEnvironment();
    } else {
      deviceObjectsCreated = true;
      result = RestoreDeviceObjects();
      if (platform::Failed(result)) {
        InvalidateDeviceObjects();
        Cleanup3DEnvironment();
      } else {
        deviceObjectsRestored = true;
        return platform::kOk;
      }
    }
  }

  if (result != app_error::kMediaNotFound && deviceType == gfx::DeviceType::Hal) return ShowFatalError(result, 1);
  return result;
}

HResult GraphicsApp::Reset3DEnvironment() {
  if (device == nullptr) return platform::kInvalidCall;
  if (deviceObjectsRestored) {
    deviceObjectsRestored = false;
    InvalidateDeviceObjects();
  }
  HResult result = device->Reset(presentParameters);
  if (platform::Failed(result)) return result;

  device->GetBackBufferDesc(backBufferDesc);
  if (showCursor) device->ShowCursor(true);
  if (clipCursorWhenFullscreen) {
    if (windowed) {
      windows.ClipCursor(nullptr);
    } else {
      const platform::Rect bounds = windows.GetWindowRect(window);
      windows.ClipCursor(&bounds);
    }
  }

  result = RestoreDeviceObjects();
  if (platform::Failed(result)) {
    windows.MessageBox("FAILED RESTORE", "Load Error", platform::message_box::kIconError);
    InvalidateDeviceObjects();
    return result;
  }
  deviceObjectsRestored = true;
  return platform::kOk;
}

HResult GraphicsApp::Cleanup3DEnvironment() {
  if (device == nullptr) return platform::kOk;
  if (deviceObjectsRestored) {
    deviceObjectsRestored = false;
    InvalidateDeviceObjects();
  }
  if (deviceObjectsCreated) {
    deviceObjectsCreated = false;
    DeleteDeviceObjects();
  }
  gfx::Device* released = device;
  device = nullptr;
  if (released->Release() != 0) return ShowFatalError(app_error::kObjectsStillReferenced, 1);
  return platform::kOk;
}

HResult GraphicsApp::RenderFrame() {
  if (device == nullptr) return platform::kInvalidCall;

  if (deviceLost) {
    const HResult cooperation = device->TestCooperativeLevel();
    if (platform::Failed(cooperation)) {
      if (cooperation == platform::kDeviceLost) {
        // Not resettable yet: skip the frame, the loop asks again after a pause.
        Pause();
        return platform::kOk;
      }
      if (cooperation == platform::kDeviceNotReset) {
        DeviceChoice& windowedChoice = deviceSettings.windowedChoice;
        if (windowed && direct3D && windowedChoice.adapter != nullptr) {
          gfx::DisplayMode desktop;
          if (platform::Succeeded(direct3D->GetAdapterDisplayMode(windowedChoice.adapter->adapterOrdinal, desktop))) {
            windowedChoice.displayMode = desktop;
            presentParameters.backBufferFormat = desktop.format;
          }
        }
        return Reset3DEnvironment();
      }
      return cooperation;
    }
    deviceLost = false;
  }

  HResult result = FrameMove();
  if (platform::Failed(result)) return result;
  if (!minimized) {
    result = Render();
    if (platform::Failed(result)) return result;
  }

  // Frames per second over the real clock, so a paused or stopped game timer still counts frames truly; double
  // precision keeps long runs exact.
  const double now = services.timer(static_cast<int>(TimerCommand::AbsoluteTime));
  // The clock does not start at zero: the first frame starts the first second, so the first text counts frames
  // over a real second rather than over the time since the machine started.
  if (!fpsClockStarted) {
    fpsClockStarted = true;
    lastFpsUpdateTime = now;
  }
  ++framesSinceFpsUpdate;
  const double passed = now - lastFpsUpdateTime;
  if (passed > 1.0) {
    framesPerSecond = static_cast<float>(framesSinceFpsUpdate / passed);
    lastFpsUpdateTime = now;
    framesSinceFpsUpdate = 0;
    char text[32];
    std::snprintf(text, sizeof text, "FPS : %.02f", static_cast<double>(framesPerSecond));
    fpsText = text;
  }

  // Frames drawn this pass count even when the device is lost at present time.
  if (device->Present() == platform::kDeviceLost) deviceLost = true;
  return platform::kOk;
}

}  // namespace app
