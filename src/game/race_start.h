// How the game starts and runs a race over its services: the controller with its force effects, the session
// for a race entry, its staged load, the start hold and the race's share of each frame. The game application
// and the headless race both go through these, so a race run without a window is the race a player gets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/input_devices.h"
#include "app/screen_flow.h"
#include "platform/gfx/graphics.h"
#include "platform/input/controller.h"

namespace app {
class Settings;
}
namespace render {
class ResourceManager;
}
namespace race {
class ContentDatabase;
class PlayerProfile;
class RaceSession;
}  // namespace race

namespace game {

// The game's services a race reads; none is owned. input may be null (no controller).
struct RaceServices {
  render::ResourceManager* resources = nullptr;
  app::Settings* settings = nullptr;
  race::ContentDatabase* content = nullptr;
  race::PlayerProfile* profile = nullptr;
  app::InputDevices* input = nullptr;
};

// The game controller: opened through the opener (the attached hardware when empty). Without one JOYSTICK is
// switched off; with one its force effects are loaded from the program folder and its size reported to the
// settings.
std::unique_ptr<app::InputDevices> OpenInputDevices(platform::WindowHandle window,
                                                    const platform::input::ControllerOpener& opener,
                                                    app::Settings& settings, const std::string& programFolder);

// A new session for the race a screen-flow parameter names; null (one printed line) when no list holds it.
std::unique_ptr<race::RaceSession> CreateRaceSession(const RaceServices& services, int32_t entry);

// One stage of the race's load (report hears the stage reached). When the load completes, the player's car
// takes the controller's force feedback (when its effects are loaded) and unreferenced resources are purged.
// Returns true once the load is complete.
bool LoadRaceStage(race::RaceSession& session, const RaceServices& services, platform::gfx::Device* device,
                   const std::function<void(uint32_t)>& report);

// The start after a complete load: the countdown is queued and the cars held on the grid.
void StartRace(race::RaceSession& session, platform::gfx::Device* device, app::ScreenFlow& flow);

// The race's share of a frame in the race states (countdown, start signal, racing, after the finish, results):
// the blur follows the frame rate and the session steps. The caller moves the flow on from the start signal.
void StepRace(race::RaceSession& session, const RaceServices& services, platform::gfx::Device* device,
              app::ScreenFlow& flow, float dt, float framesPerSecond);

}  // namespace game
