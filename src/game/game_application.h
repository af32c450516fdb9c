// The game's application object: owns every long-lived service of the game, creates and releases them through
// the framework's device life cycle, routes window messages and runs the per-frame game-state update and render.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/graphics_app.h"
#include "app/hardware_info.h"
#include "app/input_devices.h"
#include "app/keyboard_state.h"
#include "app/leaderboard.h"
#include "app/mouse_state.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "app/sound_system.h"
#include "app/usage_report.h"
#include "platform/os.h"
#include "frontend/gui_context.h"
#include "frontend/help_screen.h"
#include "frontend/intro_scene.h"
#include "frontend/menu_manager.h"
#include "frontend/text_label.h"
#include "platform/audio/mixer.h"
#include "platform/desktop.h"
#include "platform/input/controller.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_result.h"
#include "race/race_session.h"
#include "game/race_frame.h"
#include "game/race_start.h"
#include "render/resources/resource_manager.h"

namespace game {

// The game's title, stored as the GAMENAME setting and shown on the window every frame.
inline constexpr char kGameName[] = "Corsaire";
// The longest frame the game simulates (seconds): a stall never becomes one huge step.
inline constexpr float kMaxFrameTime = 0.05f;
// Sleep of each frame while paused in a window (milliseconds).
inline constexpr int kPausedFrameSleepMs = 100;
// The content list the game reads at start.
inline constexpr char kContentListFile[] = "manifest.dat";
// The menu font the application loads for its labels.
inline constexpr char kMenuFontImage[] = "FONT\\noire.png";
inline constexpr char kMenuFontAlpha[] = "FONT\\noirea.png";
inline constexpr char kMenuFontTable[] = "FONT\\noire.ini";
// The two values every leaderboard request carries.
inline constexpr char kLeaderboardDpValue[] = "corsaire";
inline constexpr char kLeaderboardGameValue[] = "corsaire";

// What the game runs on besides the framework's services; every empty field means the real one.
struct GameServices {
  // The program folder with its trailing separator; empty means the executable's folder.
  std::string programFolder;
  // The mixer for sounds and music; null means the system mixer, with its output opened.
  platform::audio::Mixer* mixer = nullptr;
  // Seeds the music choice when a mixer is given.
  std::function<uint32_t()> randomSeed;
  // Opens the game controller; empty means the attached hardware.
  platform::input::ControllerOpener controllerOpener;
  // The host's statistics component; empty means none (nothing is sent).
  app::HostStatsConnector hostStatsConnector;
  // Fixed machine facts instead of reading the system's.
  std::optional<app::MachineFacts> machine;
  // Starts other programs (the browser for the help page and the leaderboard, the desktop's folder dialog); null
  // means the system's.
  platform::ProcessLauncher* launcher = nullptr;
  // Where F9 copies the upgrade ids; null means the desktop's clipboard.
  platform::Clipboard* clipboard = nullptr;
  // The folder dialog of the audio options; null means the desktop's (portal, zenity or kdialog), which falls
  // back to the in-game browser where none can be shown.
  platform::FolderChooser* folderChooser = nullptr;
  // Seeds the race lists' random choices when they are read; null means the system clock, so races differ from
  // one run to the next.
  const platform::Clock* raceListClock = nullptr;
};

class GameApplication : public app::GraphicsApp {
 public:
  // Loads the settings (config.dat, else default_config.dat), the content list and a fresh player profile, and
  // makes the sound system, the resource manager, the screen flow and the usage report. The game takes no
  // command-line arguments.
  explicit GameApplication(const app::GraphicsAppServices& services, GameServices gameServices = {});
  ~GameApplication() override;

  intptr_t MsgProc(platform::WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  platform::HResult OneTimeInit() override;
  platform::HResult InitDeviceObjects() override;
  platform::HResult RestoreDeviceObjects() override;
  platform::HResult FrameMove() override;
  platform::HResult Render() override;
  platform::HResult InvalidateDeviceObjects() override;
  platform::HResult DeleteDeviceObjects() override;
  platform::HResult FinalCleanup() override;
  bool IsQuitRequested() override { return quitRequested; }
  platform::HResult Pause() override;
  platform::HResult Resume() override;

  // The race's loader reports each step here; the loading of state 9 reads it back, and the loading screen
  // shows it when it is current.
  void SetLoadingProgress(int32_t step);
  // The track loader's report after every load call: the stage it reached, passed on as SetLoadingProgress.
  void SetAudioParam(int32_t value) { SetLoadingProgress(value); }
  // Ends the current race, when there is one, and stops the music.
  void DeleteRace();

  // The services, for the game's objects and for tests; null once released.
  app::Settings* GetSettings() const { return settings.get(); }
  app::HardwareInfo* GetHardwareInfo() const { return hardwareInfo.get(); }
  app::SoundSystem* GetSoundSystem() const { return soundSystem.get(); }
  render::ResourceManager* GetResourceManager() const { return resourceManager.get(); }
  app::InputDevices* GetInputDevices() const { return inputDevices.get(); }
  app::ScreenFlow* GetScreenFlow() const { return screenFlow.get(); }
  app::HostStatsReport* GetHostStatsReport() const { return hostStatsReport.get(); }
  race::ContentDatabase* GetContentDatabase() const { return contentDatabase.get(); }
  race::PlayerProfile* GetPlayerProfile() const { return playerProfile.get(); }
  const app::KeyboardState& Keyboard() const { return keyboardState; }
  const app::MouseState& Mouse() const { return mouseState; }
  const std::string& ProgramFolder() const { return programFolder; }
  // The frame time of the last FrameMove (seconds, at most kMaxFrameTime).
  float LastFrameTime() const { return frameTime; }
  platform::audio::Mixer& GameMixer() const { return *mixer; }
  // The front end, for tests; each null while it does not exist (the intro and the notice live until the
  // menus are entered).
  frontend::MenuManager* GetMenuManager() const { return menuManager.get(); }
  frontend::ShowroomScene* GetIntroScene() const { return showroomScene.get(); }
  frontend::GuiContext* GetGuiContext() const { return guiContext.get(); }
  app::LeaderboardClient* GetLeaderboard() const { return leaderboard.get(); }
  race::RaceSession* GetRaceSession() const { return raceSession.get(); }

 protected:
  // One step of the state switch of FrameMove.
  void UpdateGameState();
  // The music check: starts the music when none plays (at most once a second).
  void KeepMusicPlaying(bool firstFile);
  void StartMusic(bool firstFile);
  void ResumeSound();
  void PauseSound();
  // Creates the input devices, switches the joystick off without a controller, else loads its force effects
  // and reports its size to the settings.
  void CreateInputDevices();
  void Render2D();
  // Fullscreen follows the FULLSCREEN setting; a resolution stored with it is taken first.
  void FollowFullscreenSetting();
  // A changed resolution or multisampling setting resets the device with new present parameters.
  void ApplyDisplaySettings();

  // The front end's and the race's share of the state switch, the message routing and the render passes.
  void UpdateIntroScene();         // state 1: the intro scene, which asks for the disclaimer when it ends
  void UpdateDisclaimerScreen();   // state 7: the start-up notice, which goes on to the menus or quits
  // The menu manager's screen follows the screen flow's menuScreen; onlyWhenDifferent keeps a current screen
  // that already is the one asked for.
  void SwitchMenuScreen(bool onlyWhenDifferent = false);
  void UpdateMenuState();          // the menu manager's per-frame step
  void UpdateRaceState();          // the race session's per-frame step
  void LoadRaceStep();             // state 9: one step of the race's loading
  void HandOverRaceResults();      // state 5: the finished race's results to the results screen
  int32_t CurrentRaceEntry() const;  // state 13: the race entry to load again
  RaceServices RaceServicesOf() const;
  void ForwardKeyToScreens(uint32_t message, uintptr_t wParam);
  void ForwardMouseToScreens(uint32_t message);
  void RenderPrePass();
  void Render3DPass();
  void RenderScreens2D();
  void RenderAfterFrame();
  void CreateFrontEnd();           // the menu manager with its showroom, the intro scene, the disclaimer
  void InstallMenuScreens();       // every screen the manager does not build itself, by index
  // State 3: the intro scene and the notice are no longer needed once the menus run.
  void DeleteIntroAndNotice();
  frontend::ScreenWindow GameWindow() const { return frontend::ScreenWindow{&windows, window}; }
  void RestoreFrontEnd();
  void DeleteFrontEnd();
  void SavePlayerProfile();

  GameServices gameServices;
  std::string programFolder;
  platform::audio::Mixer* mixer = nullptr;

  // Owned services, in the order the game application lists them.
  // The settings read the hardware information, so it is made first and freed last.
  std::unique_ptr<app::HardwareInfo> hardwareInfo;
  std::unique_ptr<app::Settings> settings;
  // The content list and the profile over its cars read the settings, so they are freed before them.
  std::unique_ptr<race::ContentDatabase> contentDatabase;
  std::unique_ptr<race::PlayerProfile> playerProfile;
  std::unique_ptr<app::SoundSystem> soundSystem;
  std::unique_ptr<render::ResourceManager> resourceManager;
  std::unique_ptr<app::InputDevices> inputDevices;
  // The running race (state 9 on); freed before the services it reads. The finished race's results outlive it
  // while the results screen shows them.
  std::unique_ptr<race::RaceSession> raceSession;
  std::unique_ptr<race::RaceResult> raceResults;
  render::BitmapFont* menuFont = nullptr;       // held by the resource manager
  render::ImageResource* menuFontImage = nullptr;  // held by the resource manager
  std::unique_ptr<frontend::TextLabel> fpsLabel;
  std::unique_ptr<app::ScreenFlow> screenFlow;
  std::unique_ptr<app::HostStatsReport> hostStatsReport;
  // Outlives the device: the contest and results screens hold it across device re-creations.
  std::unique_ptr<app::LeaderboardClient> leaderboard;
  // The desktop services the game was given, or the system's.
  platform::ProcessLauncher* launcher = nullptr;
  platform::Clipboard* clipboard = nullptr;
  std::unique_ptr<platform::FolderChooser> desktopFolderChooser;
  platform::FolderChooser* folderChooser = nullptr;
  std::unique_ptr<frontend::MenuManager> menuManager;
  std::unique_ptr<frontend::ShowroomScene> showroomScene;  // the intro scene
  std::unique_ptr<frontend::GuiContext> guiContext;        // the start-up notice
  bool quitRequested = false;
  int32_t loadingStep = 0;
  // Why the settings file was set aside at start, for the player; empty once told or when there is nothing to tell.
  std::string damagedSettingsMessage;

  // The application's own view of the player's keys and mouse, fed from the window messages.
  app::KeyboardState keyboardState;
  app::MouseState mouseState;
  float frameTime = 0.0f;
  app::GameState lastState = app::game_state::kNone;
};

}  // namespace game
