// The game's one road into a race: controller, session, staged load, start hold and per-frame step.
#include "game/race_start.h"

#include <cstdio>

#include "app/settings.h"
#include "frontend/race_request.h"
#include "race/content_database.h"
#include "race/race_session.h"
#include "render/resources/resource_manager.h"

namespace game {

std::unique_ptr<app::InputDevices> OpenInputDevices(platform::WindowHandle window,
                                                    const platform::input::ControllerOpener& opener,
                                                    app::Settings& settings, const std::string& programFolder) {
  auto input = opener ? std::make_unique<app::InputDevices>(window, opener) : std::make_unique<app::InputDevices>(window);
  if (!input->present) {
    settings.SetInt(app::SettingId::JOYSTICK, 0);
    return input;
  }
  input->LoadForceEffects(programFolder + input->ForceEffectFileName());
  settings.SetJoystickCounts(static_cast<unsigned>(input->GetJoystickAxisCount()),
                             static_cast<unsigned>(input->GetJoystickButtonCount()));
  return input;
}

std::unique_ptr<race::RaceSession> CreateRaceSession(const RaceServices& services, int32_t entry) {
  if (services.content == nullptr) return nullptr;
  race::RaceDefinition* definition = frontend::FindRaceByParameter(*services.content, entry);
  if (definition == nullptr) {
    std::printf("race %d: no such race in the content list\n", static_cast<int>(entry));
    return nullptr;
  }
  return std::make_unique<race::RaceSession>(services.resources, services.settings, services.content,
                                             services.profile, definition, entry);
}

bool LoadRaceStage(race::RaceSession& session, const RaceServices& services, platform::gfx::Device* device,
                   const std::function<void(uint32_t)>& report) {
  const bool wasComplete = session.loadStage == race::kLoadComplete;
  const bool complete = session.LoadTrack(device, report);
  if (complete && !wasComplete) {
    if (services.input != nullptr && services.input->AreForceEffectsLoaded()) {
      session.AttachForceFeedback(services.input);
    }
    if (services.resources != nullptr) services.resources->PurgeUnreferenced();
  }
  return complete;
}

void StartRace(race::RaceSession& session, platform::gfx::Device* device, app::ScreenFlow& flow) {
  session.HoldRacersAtStart(device, flow);
  ++flow.racesStarted;
}

void StepRace(race::RaceSession& session, const RaceServices& services, platform::gfx::Device* device,
              app::ScreenFlow& flow, float dt, float framesPerSecond) {
  session.UpdateOverlayAlpha(framesPerSecond);
  session.Step(device, nullptr, flow, services.input, dt);
}

}  // namespace game
