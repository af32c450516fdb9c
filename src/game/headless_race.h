// A race run without a window or a sound card: the game's services over a game folder, a graphics device that
// the caller gives (the null device otherwise), a mixer without output and a scripted controller with force
// feedback. The race starts and steps through the game's own road (race_start.h), so what a report, a test or
// a screenshot sees of it is what a player's race does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/hardware_info.h"
#include "app/input_devices.h"
#include "app/screen_flow.h"
#include "app/settings.h"
#include "game/race_start.h"
#include "platform/audio/mixer.h"
#include "platform/gfx/null_graphics.h"
#include "platform/input/scripted_controller.h"
#include "platform/os.h"
#include "race/content_database.h"
#include "race/player_profile.h"
#include "race/race_session.h"
#include "render/resources/resource_manager.h"

namespace game {

// The race lists by the content list's names.
race::RaceList* RaceListByName(const race::ContentDatabase& content, const std::string& name);

class HeadlessRace {
 public:
  // Reads the settings (the folder's default_config.dat, so a player's config.dat changes nothing, unless
  // playersSettings asks for the folder's config.dat when there is one), the content list and a fresh profile
  // of the game folder. seed fixes every random choice of the race.
  HeadlessRace(std::string gameFolder, uint32_t seed, bool playersSettings = false);
  ~HeadlessRace();
  HeadlessRace(const HeadlessRace&) = delete;
  HeadlessRace& operator=(const HeadlessRace&) = delete;

  // Loads race `index` of the race list `listName` (CAREER, CONTEST, QUICKRACE, INSTANTRACE or DEMO) and holds
  // it at the start. It draws on the device of the graphics system given (the game's detection and settings
  // check run on it first), else on a null device of its own. False, with the reason in error, when there is
  // no such race or its track gives no cars.
  bool Load(const std::string& listName, int index, std::string& error, platform::gfx::Device* device = nullptr,
            const platform::gfx::GraphicsSystem* graphics = nullptr);
  // From now on a computer driver has every car, the player's included.
  void DriveEveryCar();
  // One frame of dt seconds as the game runs it: the screen flow, resources and sound move on, the race steps
  // in the race states, and the controller is read.
  void Frame(float dt);

  race::RaceSession* Session() const { return session_.get(); }
  race::RaceDefinition* Definition() const { return definition_; }
  app::ScreenFlow& Flow() { return flow_; }
  app::Settings& Settings() { return settings_; }
  race::PlayerProfile& Profile() { return *profile_; }
  race::ContentDatabase& Content() { return *content_; }
  render::ResourceManager& Resources() { return *resources_; }
  platform::audio::Mixer& Mixer() { return mixer_; }
  app::InputDevices& Input() { return *input_; }
  // The controller the input devices read; its effect records show what force feedback was played.
  platform::input::ScriptedController* Controller() const { return controller_; }
  platform::gfx::Device* Device() const { return device_; }
  double Time() const { return time_; }

 private:
  RaceServices Services();

  std::string folder_;
  platform::FixedClock clock_;
  app::HardwareInfo hardware_;
  app::Settings settings_;
  platform::audio::Mixer mixer_;
  std::unique_ptr<race::ContentDatabase> content_;
  std::unique_ptr<race::PlayerProfile> profile_;
  std::unique_ptr<render::ResourceManager> resources_;
  platform::input::ScriptedController* controller_ = nullptr;  // owned by input_
  std::unique_ptr<app::InputDevices> input_;
  platform::gfx::NullGraphicsSystem nullGraphics_;
  platform::gfx::Device* ownDevice_ = nullptr;
  platform::gfx::Device* device_ = nullptr;
  app::ScreenFlow flow_;
  race::RaceDefinition* definition_ = nullptr;
  std::unique_ptr<race::RaceSession> session_;
  double time_ = 0;
};

}  // namespace game
