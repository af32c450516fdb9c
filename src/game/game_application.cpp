// The game application: construction order of the services, the device life cycle hooks, message routing,
// pause and resume, and the per-frame game-state update and render.
#include "game/game_application.h"

#include <cstdio>
#include <utility>

#include "app/app_timer.h"
#include "app/data_file.h"
#include "app/paths.h"
#include "app/settings_file.h"
#include "game/race_frame.h"
#include "game/race_start.h"
#include "platform/math/math.h"
#include "platform/os.h"

namespace game {

using platform::HResult;
using platform::kOk;
namespace gfx = platform::gfx;
namespace gs = app::game_state;
namespace wm = platform::wm;
using app::FloatSettingId;
using app::SettingId;
using app::StringSettingId;

GameApplication::GameApplication(const app::GraphicsAppServices& services, GameServices gameServicesGiven)
    : GraphicsApp(services), gameServices(std::move(gameServicesGiven)) {
  programFolder = gameServices.programFolder.empty() ? app::GetExecutableFolder() : gameServices.programFolder;

  hardwareInfo = gameServices.machine ? std::make_unique<app::HardwareInfo>(*gameServices.machine)
                                      : std::make_unique<app::HardwareInfo>();
  hardwareInfo->SetWindowSystem(&windows);
  settings = std::make_unique<app::Settings>(*hardwareInfo, programFolder, programFolder);
  settings->LoadConfig(programFolder + app::kConfigFileName);
  damagedSettingsMessage = settings->DamagedConfigMessage();
  // The race lists and cars resolve against the program folder, which need not be the executable's.
  contentDatabase = std::make_unique<race::ContentDatabase>(settings.get(), "", gameServices.raceListClock);
  contentDatabase->LoadFrom(app::DataFile(programFolder + kContentListFile), programFolder, programFolder);
  playerProfile = std::make_unique<race::PlayerProfile>(contentDatabase.get());

  // The program always starts in a window; FrameMove switches to full screen when the settings ask for it.
  showCursor = false;
  SetWindowSize(settings->GetInt(SettingId::SCREENWIDTH), settings->GetInt(SettingId::SCREENHEIGHT));
  startFullscreen = false;

  if (gameServices.mixer != nullptr) {
    mixer = gameServices.mixer;
    std::function<uint32_t()> seed = gameServices.randomSeed ? gameServices.randomSeed : [] { return 1u; };
    soundSystem = std::make_unique<app::SoundSystem>(*settings, programFolder, *mixer, seed);
  } else {
    mixer = &platform::audio::SystemMixer();
    soundSystem = std::make_unique<app::SoundSystem>(*settings, programFolder);
  }
  resourceManager = std::make_unique<render::ResourceManager>(settings.get(), programFolder);
  resourceManager->SetMixer(mixer);
  screenFlow = std::make_unique<app::ScreenFlow>();
  hostStatsReport = std::make_unique<app::HostStatsReport>(kGameName, "", false, gameServices.hostStatsConnector);
  launcher = gameServices.launcher != nullptr ? gameServices.launcher : &platform::SystemLauncher();
  clipboard = gameServices.clipboard != nullptr ? gameServices.clipboard : &platform::DesktopClipboard();
  if (gameServices.folderChooser != nullptr) {
    folderChooser = gameServices.folderChooser;
  } else {
    desktopFolderChooser = platform::CreateDesktopFolderChooser(*launcher);
    folderChooser = desktopFolderChooser.get();
  }
  leaderboard = std::make_unique<app::LeaderboardClient>(kLeaderboardDpValue, kLeaderboardGameValue, launcher);
  settings->SetString(StringSettingId::GAMENAME, kGameName);
  SetWindowTitle(kGameName);
}

GameApplication::~GameApplication() { loadingStep = 0; }

// ---------------------------------------------------------------------------------------------------------------
// Messages, pause and resume.

intptr_t GameApplication::MsgProc(platform::WindowHandle hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (closing) return GraphicsApp::MsgProc(hwnd, message, wParam, lParam);
  // Dropped files have no effect on the game, so the window does not accept them.
  if (window != 0 && ready) {
    switch (message) {
      case wm::kKeyDown:
      case wm::kKeyUp:
        keyboardState.HandleKeyMessage(message, wParam);
        ForwardKeyToScreens(message, wParam);
        // The race hears keys only while it runs, counts down or starts: a key meant for a menu shown over it
        // (the pause menu, the results) must not reach it.
        if (raceSession && screenFlow && (screenFlow->state == gs::kRacing || screenFlow->state == gs::kCountdown ||
                            screenFlow->state == gs::kStartSignal)) {
          raceSession->ForwardInput(message, wParam);
        }
        break;
      case wm::kLButtonDown:
      case wm::kRButtonDown:
      case wm::kLButtonUp:
      case wm::kRButtonUp:
        mouseState.HandleMouseMessage(message);
        ForwardMouseToScreens(message);
        break;
      default:
        break;
    }
  }
  return GraphicsApp::MsgProc(hwnd, message, wParam, lParam);
}

HResult GameApplication::Pause() {
  if (screenFlow && screenFlow->state == gs::kRacing) screenFlow->RequestOptions(app::menu_screen::kPauseMenu, 0.0f);
  PauseSound();
  running = false;
  return kOk;
}

HResult GameApplication::Resume() {
  // With the pause menu open the sound stays paused until the player leaves it.
  if (screenFlow && screenFlow->state != gs::kPauseMenu) ResumeSound();
  running = true;
  return kOk;
}

void GameApplication::PauseSound() {
  if (!soundSystem) return;
  soundSystem->Pause();
  soundSystem->ApplyVolumes();
}

void GameApplication::ResumeSound() {
  if (!soundSystem) return;
  soundSystem->Resume();
  soundSystem->ApplyVolumes();
}

// ---------------------------------------------------------------------------------------------------------------
// Device life cycle.

HResult GameApplication::OneTimeInit() {
  services.timer(static_cast<int>(app::TimerCommand::Start));
  CreateInputDevices();
  return kOk;
}

void GameApplication::CreateInputDevices() {
  inputDevices = OpenInputDevices(window, gameServices.controllerOpener, *settings, programFolder);
}

HResult GameApplication::InitDeviceObjects() {
  // After a device re-creation the resource manager and the input devices are made again.
  if (!resourceManager) {
    resourceManager = std::make_unique<render::ResourceManager>(settings.get(), programFolder);
    resourceManager->SetMixer(mixer);
  }
  if (!inputDevices) CreateInputDevices();

  if (device != nullptr && direct3D) hardwareInfo->Detect(*device, *direct3D, presentParameters);
  settings->Validate();

  menuFontImage = resourceManager->LoadTextureEx(device, kMenuFontImage, kMenuFontAlpha, 0, 1);
  menuFont = resourceManager->LoadFont(kMenuFontTable);
  fpsLabel = std::make_unique<frontend::TextLabel>(device, menuFontImage, menuFont, "FPS : 0", 0.0f, 0.0f, 1.0f, true,
                                                   frontend::kAlignLeft, static_cast<uint32_t>(kVirtualScreenWidth),
                                                   static_cast<uint32_t>(kVirtualScreenHeight));
  CreateFrontEnd();
  platform::ReturnFreedMemory();
  screenFlow->Request(gs::kIntro, 0.0f);
  return kOk;
}

HResult GameApplication::RestoreDeviceObjects() {
  settings->Validate();
  if (device == nullptr) return kOk;
  SetDeviceBaseline(*settings, device);

  if (resourceManager) resourceManager->RestoreDeviceObjects(device);
  RestoreFrontEnd();
  if (raceSession) raceSession->DrawFadeOverlay(device);
  return kOk;
}

HResult GameApplication::InvalidateDeviceObjects() {
  // A texture still bound to a stage holds a reference the device keeps through the reset: the intro's and the
  // showroom's render targets are often the last ones drawn, and a reset with them alive fails.
  // The vertex stream and indices of the last draw are held the same way, and the effects draw from dynamic
  // buffers of the default pool, which the manager gives back below.
  if (device != nullptr) {
    for (uint32_t stage = 0; stage < gfx::kMaxTextureStages; ++stage) device->SetTexture(stage, nullptr);
    device->SetStreamSource(0, nullptr, 0);
    device->SetIndices(nullptr, 0);
  }
  if (resourceManager) resourceManager->InvalidateDeviceObjects();
  return kOk;
}

HResult GameApplication::DeleteDeviceObjects() {
  DeleteFrontEnd();
  if (fpsLabel) fpsLabel->Release();
  fpsLabel.reset();
  DeleteRace();
  if (soundSystem) soundSystem->StopMusic();
  inputDevices.reset();
  menuFont = nullptr;
  menuFontImage = nullptr;
  resourceManager.reset();
  return kOk;
}

HResult GameApplication::FinalCleanup() {
  SavePlayerProfile();
  if (settings) settings->SaveConfig();
  soundSystem.reset();
  // The profile and the content list go before the settings they read.
  playerProfile.reset();
  contentDatabase.reset();
  settings.reset();
  hardwareInfo.reset();
  if (hostStatsReport) hostStatsReport->ReportHostStats(0);
  hostStatsReport.reset();
  screenFlow.reset();
  return kOk;
}

void GameApplication::SavePlayerProfile() {
  // A profile without a file (no player chosen yet) has nothing to write.
  if (playerProfile && !playerProfile->fileName.empty()) playerProfile->Save();
}

void GameApplication::SetLoadingProgress(int32_t step) {
  if (menuManager) menuManager->SetLoadingProgress(device, step < 0 ? 0u : static_cast<uint32_t>(step));
  loadingStep = step;
}

void GameApplication::DeleteRace() {
  if (raceSession) {
    raceSession->Unload();
    raceSession.reset();
  }
  if (soundSystem) soundSystem->StopMusic();
}

// ---------------------------------------------------------------------------------------------------------------
// Frame update.

HResult GameApplication::FrameMove() {
  if (!settings || !screenFlow) return kOk;
  if (device != nullptr) device->MarkPass("update");
  SetWindowTitle(settings->GetString(StringSettingId::GAMENAME));
  if (!running && windowed) services.sleep(kPausedFrameSleepMs);
  // Told once, over the game's window, before the first frame the player sees.
  if (!damagedSettingsMessage.empty()) {
    windows.MessageBox(damagedSettingsMessage, kGameName, platform::message_box::kIconWarning);
    damagedSettingsMessage.clear();
  }

  frameTime = static_cast<float>(services.timer(static_cast<int>(app::TimerCommand::ElapsedTime)));
  if (!(frameTime <= kMaxFrameTime)) frameTime = kMaxFrameTime;  // NaN too
  if (frameTime < 0.0f) frameTime = 0.0f;

  hostStatsReport->AddPlayTime(frameTime);
  // The browser and the desktop's dialogs the game started end on their own time; none is left a zombie.
  if (launcher != nullptr) launcher->ReapFinished();
  screenFlow->Update(frameTime);
  if (soundSystem) soundSystem->Update(frameTime);
  if (resourceManager) resourceManager->Update(frameTime);

  // A new state starts from released keys, so a key held into it does not act there at once.
  if (screenFlow->state != lastState) {
    keyboardState.ClearAllKeys();
    lastState = screenFlow->state;
  }
  UpdateGameState();
  lastState = screenFlow->state;

  if (inputDevices) inputDevices->Poll();
  // The frame counter has no text before its first second; the label keeps "FPS : 0" until then.
  if (settings->GetInt(SettingId::SHOWFPS) > 0 && fpsLabel && !GetFpsText().empty()) {
    fpsLabel->SetText(device, GetFpsText());
  }
  if (window != 0) {
    mouseState.GetCursorClientPos(windows, window);
    mouseState.ScaleMouseToScreen(static_cast<float>(settings->GetInt(SettingId::SCREENWIDTH)),
                                  static_cast<float>(settings->GetInt(SettingId::SCREENHEIGHT)),
                                  kVirtualScreenWidth, kVirtualScreenHeight);
  }
  FollowFullscreenSetting();
  // Bringing a full-screen window back to the front is the window system's business on this platform.
  return kOk;
}

void GameApplication::UpdateGameState() {
  app::ScreenFlow& flow = *screenFlow;
  switch (flow.state) {
    case gs::kIntro:
      UpdateIntroScene();
      break;
    case gs::kLoadingScreen:
      SwitchMenuScreen(true);
      UpdateMenuState();
      KeepMusicPlaying(true);
      // The loading screen takes the next request at once and drops the rest.
      if (!flow.IsQueueEmpty()) flow.Reset(flow.FrontState(), flow.FrontParameter(), flow.FrontScreen());
      break;
    case gs::kEnterMenus:
      DeleteIntroAndNotice();
      ResumeSound();
      SwitchMenuScreen();
      UpdateMenuState();
      flow.Reset(gs::kMenus, 0, app::menu_screen::NoScreenChange);
      KeepMusicPlaying(true);
      break;
    case gs::kOpenPauseMenu:
      SwitchMenuScreen();
      UpdateMenuState();
      flow.Reset(gs::kPauseMenu, 0, app::menu_screen::NoScreenChange);
      PauseSound();
      break;
    case gs::kOpenResults:
      SwitchMenuScreen();
      HandOverRaceResults();
      UpdateMenuState();
      flow.Reset(gs::kResults, 0, app::menu_screen::NoScreenChange);
      break;
    case gs::kResumeRace:
      flow.Reset(gs::kRacing, 0, app::menu_screen::NoScreenChange);
      ResumeSound();
      // The key that closed the pause menu is still held: the race starts again from released keys.
      if (raceSession) raceSession->keys.ClearAllKeys();
      break;
    case gs::kDisclaimer:
      UpdateDisclaimerScreen();
      break;
    case gs::kMenus:
      if (menuManager && menuManager->Showroom() == nullptr) {
        menuManager->OpenShowroom(device, frontend::kShowroomScene, 0);
      }
      UpdateMenuState();
      KeepMusicPlaying(true);
      break;
    case gs::kRaceLoading:
      // The showroom's car and scene give way to the track before its first piece loads.
      if (loadingStep == 0 && menuManager) menuManager->CloseShowroom();
      LoadRaceStep();
      break;
    case gs::kRacing:
    case gs::kCountdown:
    case gs::kAfterFinish:
      UpdateRaceState();
      if (flow.state == gs::kRacing) KeepMusicPlaying(false);
      break;
    case gs::kStartSignal:
      flow.Request(gs::kRacing, 0.0f);
      UpdateRaceState();
      KeepMusicPlaying(false);
      break;
    case gs::kRestartRace:
      flow.RequestWithParameter(gs::kRaceLoading, CurrentRaceEntry(), 0.0f);
      DeleteRace();
      ResumeSound();
      break;
    case gs::kBackFromRace:
      ResumeSound();
      DeleteRace();
      if (menuManager) menuManager->OpenShowroom(device, frontend::kShowroomScene, 0);
      SwitchMenuScreen();
      flow.Reset(gs::kMenus, 0, app::menu_screen::NoScreenChange);
      if (resourceManager) resourceManager->PurgeUnreferenced();
      platform::ReturnFreedMemory();
      StartMusic(false);
      break;
    case gs::kPauseMenu:
      UpdateMenuState();
      break;
    case gs::kResults:
      UpdateMenuState();
      UpdateRaceState();
      break;
    case gs::kQuit:
      quitRequested = true;
      break;
    default:
      break;
  }
}

void GameApplication::KeepMusicPlaying(bool firstFile) {
  if (!soundSystem) return;
  soundSystem->KeepMusicPlaying(services.timer(static_cast<int>(app::TimerCommand::ApplicationTime)), firstFile);
}

void GameApplication::StartMusic(bool firstFile) {
  if (soundSystem) soundSystem->StartMusic(firstFile);
}

void GameApplication::FollowFullscreenSetting() {
  const int wanted = settings->GetInt(SettingId::FULLSCREEN);
  if (!((!windowed && wanted == 0) || (windowed && wanted == 1))) return;
  if (settings->TakeResolutionChanged()) {
    width = settings->GetInt(SettingId::SCREENWIDTH);
    height = settings->GetInt(SettingId::SCREENHEIGHT);
  }
  if (platform::Failed(ToggleFullscreen())) {
    // The failed switch left the game in a window; the setting says so too, so the next start does not fail
    // the same way.
    settings->SetInt(SettingId::FULLSCREEN, windowed ? 0 : 1);
  }
}

// ---------------------------------------------------------------------------------------------------------------
// Rendering.

HResult GameApplication::Render() {
  if (device == nullptr || !settings || !screenFlow) return kOk;
  if (multisampleByRenderState) {
    const bool modeUsesMultisampling = windowed ? windowedMultisampleOn : fullscreenMultisampleOn;
    device->SetRenderState(gfx::RenderState::MultisampleAntialias,
                           settings->GetInt(SettingId::FSAA) != 0 && modeUsesMultisampling ? 1u : 0u);
  }
  RenderPrePass();
  device->MarkPass("3d");
  const HResult begin = device->BeginScene();
  if (platform::Failed(begin)) return begin;
  ClearFrame(*settings, device);
  Render3DPass();
  device->MarkPass("2d");
  Render2D();
  device->EndScene();
  device->MarkPass("second pass");
  RenderAfterFrame();
  device->MarkPass("present");
  ApplyDisplaySettings();
  return kOk;
}

void GameApplication::ApplyDisplaySettings() {
  if (settings->TakeResolutionChanged()) {
    ChangeResolution(settings->GetInt(SettingId::SCREENWIDTH), settings->GetInt(SettingId::SCREENHEIGHT));
  }
  if (multisampleByRenderState || !settings) return;
  const int fsaa = settings->GetInt(SettingId::FSAA);
  const bool available = windowed ? windowedMultisampleAvailable : fullscreenMultisampleAvailable;
  const bool inUse = windowed ? windowedMultisampleOn : fullscreenMultisampleOn;
  if (fsaa != 0 && available && !multisampleWanted) {
    multisampleWanted = true;
    ChangeResolution(settings->GetInt(SettingId::SCREENWIDTH), settings->GetInt(SettingId::SCREENHEIGHT));
  } else if (fsaa == 0 && inUse) {
    multisampleWanted = false;
    ChangeResolution(settings->GetInt(SettingId::SCREENWIDTH), settings->GetInt(SettingId::SCREENHEIGHT));
  }
}

void GameApplication::Render2D() {
  Begin2D(*settings, device);
  RenderScreens2D();
  if (settings->GetInt(SettingId::SHOWFPS) > 0 && fpsLabel) fpsLabel->Draw(device);
  End2D(*settings, device);
}

// ---------------------------------------------------------------------------------------------------------------
// The race's share. Each is the one place the race session joins in; until then it does nothing, so the
// race states stand still.

void GameApplication::UpdateRaceState() {
  if (!raceSession || !screenFlow) return;
  StepRace(*raceSession, RaceServicesOf(), device, *screenFlow, frameTime, framesPerSecond);
}

// One step per frame: a new session at step 0, the track's next piece, and once the load is complete the start
// hold (which queues the countdown) and the race counters.
void GameApplication::LoadRaceStep() {
  if (!screenFlow || !resourceManager || !contentDatabase) return;
  if (loadingStep >= static_cast<int32_t>(race::kLoadComplete) && raceSession) {
    platform::ReturnFreedMemory();
    StartRace(*raceSession, device, *screenFlow);
    if (hostStatsReport) hostStatsReport->AddGamePlayed();
    loadingStep = 0;
    return;
  }
  if (loadingStep == 0 || !raceSession) {
    if (menuManager) menuManager->CloseShowroom();
    DeleteRace();
    raceSession = CreateRaceSession(RaceServicesOf(), screenFlow->parameter);
    if (!raceSession) {
      // A stale or damaged request must not leave the player on a loading screen that never ends.
      screenFlow->Request(gs::kBackFromRace, 0.0f);
      return;
    }
  }
  LoadRaceStage(*raceSession, RaceServicesOf(), device,
                [this](uint32_t step) { SetAudioParam(static_cast<int32_t>(step)); });
}

RaceServices GameApplication::RaceServicesOf() const {
  return {resourceManager.get(), settings.get(), contentDatabase.get(), playerProfile.get(), inputDevices.get()};
}

void GameApplication::HandOverRaceResults() {
  if (raceSession && raceSession->Result() != nullptr) raceResults = raceSession->TakeResult();
  if (menuManager) menuManager->SetRaceResults(raceResults.get());
}

int32_t GameApplication::CurrentRaceEntry() const {
  if (raceSession) return raceSession->raceEntry;
  return screenFlow ? screenFlow->parameter : 0;
}

}  // namespace game
