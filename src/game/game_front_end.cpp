// The game application's front end: the intro scene, the start-up notice, the menu manager with every screen
// and the showroom behind them, their share of the state switch, the message routing and the render passes.
#include "game/game_application.h"

#include "frontend/audio_screen.h"
#include "frontend/career_race_screen.h"
#include "frontend/contest_race_screen.h"
#include "frontend/control_mapping_screen.h"
#include "frontend/main_menu_screen.h"
#include "frontend/screen_ids.h"
#include "frontend/showroom_scene.h"
#include "game/race_frame.h"
#include "render/scene/scene.h"
#include "screens/garage_screen.h"
#include "screens/practice_screen.h"
#include "screens/profile_screen.h"
#include "screens/results_screen.h"
#include "screens/vehicle_class_screen.h"
#include "screens/video_options_screen.h"

namespace game {

namespace gs = app::game_state;

namespace {

// The states whose keys and mouse buttons go to the menus.
bool MenusTakeInput(app::GameState state) {
  return state == gs::kLoadingScreen || state == gs::kEnterMenus || state == gs::kMenus ||
         state == gs::kPauseMenu || state == gs::kResults;
}

// The states whose frame shows the showroom behind the menus.
bool ShowroomShown(app::GameState state) {
  return state == gs::kLoadingScreen || state == gs::kEnterMenus || state == gs::kMenus;
}

// The race's own states: countdown, start, racing and the wait after the finish.
bool RaceRunning(app::GameState state) {
  return state == gs::kRacing || state == gs::kCountdown || state == gs::kStartSignal || state == gs::kAfterFinish;
}

}  // namespace

void GameApplication::CreateFrontEnd() {
  menuManager = std::make_unique<frontend::MenuManager>(device, resourceManager.get(), settings.get(),
                                                        screenFlow.get(), contentDatabase.get(), playerProfile.get(),
                                                        soundSystem.get(), inputDevices.get());
  menuManager->SetShowroomFactory(frontend::MakeShowroomFactory());
  menuManager->OpenShowroom(device, frontend::kShowroomScene, 1);
  InstallMenuScreens();

  showroomScene = std::make_unique<frontend::ShowroomScene>(resourceManager.get(), settings.get());
  showroomScene->Load(device, frontend::kIntroScene);
  guiContext = std::make_unique<frontend::GuiContext>(resourceManager.get(), settings.get());
  guiContext->CreateDisclaimerScreen(device);
  guiContext->StartFadeIn();
}

void GameApplication::InstallMenuScreens() {
  namespace index = frontend::screen_index;
  const frontend::ScreenServices& screenServices = menuManager->Services();
  frontend::MenuManager& menus = *menuManager;

  auto garage = std::make_unique<screens::GarageScreen>(screenServices);
  garage->messageWindows = &windows;
  garage->clipboard = clipboard;
  auto carChoice = std::make_unique<screens::VehicleClassScreen>(screenServices);
  carChoice->messageWindows = &windows;
  carChoice->clipboard = clipboard;
  auto audio = std::make_unique<frontend::AudioOptionsScreen>(screenServices, soundSystem.get());
  audio->folderChooser = folderChooser;
  audio->musicRoot = programFolder + "MUSIC/";
  auto results = std::make_unique<screens::RaceResultsScreen>(screenServices);
  results->leaderboard = leaderboard.get();

  menus.InstallScreen(device, index::kVehicleClass, std::move(carChoice));
  menus.InstallScreen(device, index::kPracticeRace, std::make_unique<screens::PracticeRaceScreen>(screenServices));
  menus.InstallScreen(device, index::kGarage, std::move(garage));
  menus.InstallScreen(device, index::kCareerRace, std::make_unique<frontend::CareerRaceScreen>(screenServices));
  menus.InstallScreen(device, index::kContestRace,
                      std::make_unique<frontend::ContestRaceScreen>(screenServices, leaderboard.get()));
  menus.InstallScreen(device, index::kVideoOptions, std::make_unique<screens::VideoOptionsScreen>(screenServices));
  menus.InstallScreen(device, index::kControlMenu,
                      std::make_unique<frontend::ControlMenuScreen>(screenServices, inputDevices.get()));
  menus.InstallScreen(device, index::kAudioOptions, std::move(audio));
  menus.InstallScreen(device, index::kRaceResults, std::move(results));

  if (auto* mainMenu = dynamic_cast<frontend::MainMenuScreen*>(menus.Screen(index::kMainMenu))) {
    // Profiles live in the game's own folder, as its music and help pages do.
    auto profiles = std::make_unique<screens::ProfileScreen>(screenServices);
    profiles->profileFolder = programFolder + "PROFILES/";
    mainMenu->SetPopups(std::move(profiles),
                        std::make_unique<frontend::HelpScreen>(screenServices, programFolder, launcher));
  }
}

void GameApplication::RestoreFrontEnd() {
  if (menuManager) menuManager->ShowroomRestoreDeviceObjects(device);
  if (guiContext) guiContext->RestoreDeviceObjects(device);
  if (showroomScene) showroomScene->RestoreDeviceObjects(device);
}

void GameApplication::DeleteIntroAndNotice() {
  guiContext.reset();
  if (showroomScene) showroomScene->Unload();
  showroomScene.reset();
}

void GameApplication::DeleteFrontEnd() {
  DeleteIntroAndNotice();
  menuManager.reset();
}

void GameApplication::UpdateIntroScene() {
  // Without an intro scene (its file missing or unreadable leaves a scene with nothing in it) there is nothing to
  // watch: the notice follows at once instead of five seconds of an empty picture.
  if (!showroomScene || showroomScene->scene == nullptr || !showroomScene->scene->HasGeometry()) {
    if (screenFlow->IsQueueEmpty()) screenFlow->Request(gs::kDisclaimer, 0.0f);
    return;
  }
  showroomScene->UpdateMotionBlur(framesPerSecond);
  showroomScene->Update(frameTime);
  // The finished scene keeps reporting it; one request is enough.
  if (showroomScene->finished && screenFlow->IsQueueEmpty()) screenFlow->Request(gs::kDisclaimer, 0.0f);
}

void GameApplication::UpdateDisclaimerScreen() {
  if (!guiContext) {
    if (screenFlow->IsQueueEmpty()) screenFlow->RequestScreen(app::menu_screen::kFirstMenu, 0.0f);
    return;
  }
  guiContext->Update(GameWindow(), frameTime);
  if (guiContext->accepted && screenFlow->IsQueueEmpty()) {
    screenFlow->RequestScreen(app::menu_screen::kFirstMenu, 0.0f);
  }
}

void GameApplication::SwitchMenuScreen(bool onlyWhenDifferent) {
  if (!menuManager) return;
  const int32_t wanted = screenFlow->menuScreen;
  if (onlyWhenDifferent && menuManager->current == wanted) return;
  // The manager refuses "no screen change" and any index outside its table.
  menuManager->SwitchScreen(wanted);
}

void GameApplication::UpdateMenuState() {
  if (!menuManager) return;
  if (screenFlow->state != gs::kResults) menuManager->ShowroomSetSpeed(framesPerSecond);
  menuManager->Update(GameWindow(), frameTime);
}

void GameApplication::ForwardKeyToScreens(uint32_t message, uintptr_t wParam) {
  if (menuManager && screenFlow && MenusTakeInput(screenFlow->state)) menuManager->OnKeyMessage(message, wParam);
}

void GameApplication::ForwardMouseToScreens(uint32_t message) {
  if (!screenFlow) return;
  if (menuManager && MenusTakeInput(screenFlow->state)) {
    menuManager->OnMouseMessage(message);
  } else if (guiContext && screenFlow->state == gs::kDisclaimer) {
    guiContext->HandleWindowMouse(message);
  }
}

void GameApplication::RenderPrePass() {
  const app::GameState state = screenFlow->state;
  device->MarkPass("reflection");
  if (state == gs::kIntro) {
    if (showroomScene) {
      showroomScene->RenderReflectionTexture(device);
      // The intro has no cube-map pass to run here, whatever the answer: its models' cube maps were settled when
      // they loaded.
      static_cast<void>(showroomScene->IsCubeMappingOn(device));
    }
  } else if (ShowroomShown(state) && menuManager) {
    menuManager->ShowroomRenderReflections(device);
    device->MarkPass("cube maps");
    menuManager->ShowroomRenderCubeMap(device);
  } else if (raceSession && (RaceRunning(state) || state == gs::kPauseMenu || state == gs::kResults)) {
    RenderRaceOffscreen(*raceSession, *settings, device);
  }
}

void GameApplication::Render3DPass() {
  const app::GameState state = screenFlow->state;
  // Behind the pause menu and the results the race stays in view, under the menus' own showroom step.
  if (raceSession && (RaceRunning(state) || state == gs::kPauseMenu || state == gs::kResults)) {
    raceSession->Render(device);
  }
  if (state == gs::kIntro) {
    if (showroomScene) showroomScene->Render(device);
  } else if ((ShowroomShown(state) || state == gs::kPauseMenu || state == gs::kResults) && menuManager) {
    menuManager->ShowroomStep(device);
  }
}

void GameApplication::RenderScreens2D() {
  const app::GameState state = screenFlow->state;
  if (state == gs::kDisclaimer) {
    if (guiContext) guiContext->Render(device);
  } else if (MenusTakeInput(state) || state == gs::kRaceLoading) {
    if (menuManager) menuManager->Render(device);
  } else if (RaceRunning(state) && raceSession) {
    raceSession->DrawHud(device);
  }
}

void GameApplication::RenderAfterFrame() {
  const app::GameState state = screenFlow->state;
  if (state == gs::kIntro || state == gs::kDisclaimer) {
    if (showroomScene) showroomScene->RenderSecondPass(device);
  } else if (ShowroomShown(state) && menuManager) {
    menuManager->ShowroomAfterFrame(device);
  } else if (raceSession && (RaceRunning(state) || state == gs::kResults)) {
    raceSession->RenderSecondPass(device);
  }
}

}  // namespace game
