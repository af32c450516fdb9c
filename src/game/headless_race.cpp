// The headless race: the game's services built over a folder and one race run through the game's road.
#include "game/headless_race.h"

#include <filesystem>

#include "app/data_file.h"
#include "app/paths.h"
#include "frontend/race_request.h"
#include "game/race_frame.h"
#include "race/race_list.h"

namespace game {

namespace gs = app::game_state;

namespace {
// The game's data paths resolve against the program folder unless absolute, and this race runs from anywhere.
std::string AbsoluteFolder(const std::string& folder) {
  std::string absolute = std::filesystem::absolute(folder.empty() ? std::string(".") : folder).string();
  if (absolute.back() != '/') absolute += '/';
  return absolute;
}
platform::gfx::PresentParameters PresentParametersOf(const app::Settings& settings) {
  platform::gfx::PresentParameters present;
  present.windowed = true;
  present.backBufferFormat = platform::gfx::Format::X8R8G8B8;
  present.backBufferWidth = static_cast<uint32_t>(settings.GetInt(app::SettingId::SCREENWIDTH));
  present.backBufferHeight = static_cast<uint32_t>(settings.GetInt(app::SettingId::SCREENHEIGHT));
  return present;
}
}  // namespace

race::RaceList* RaceListByName(const race::ContentDatabase& content, const std::string& name) {
  if (name == "CAREER") return content.careerRaces.get();
  if (name == "CONTEST") return content.contestRaces.get();
  if (name == "QUICKRACE") return content.quickRaces.get();
  if (name == "INSTANTRACE") return content.instantRaces.get();
  if (name == "DEMO") return content.demoRaces.get();
  return nullptr;
}

HeadlessRace::HeadlessRace(std::string gameFolder, uint32_t seed, bool playersSettings)
    : folder_(AbsoluteFolder(gameFolder)),
      clock_(seed),
      settings_(hardware_, folder_, folder_),
      mixer_(platform::audio::kDefaultOutputRate, platform::audio::kDefaultChannelCount) {
  const bool ownConfig = playersSettings && app::FileExists(folder_ + "config.dat");
  settings_.LoadConfig(folder_ + (ownConfig ? "config.dat" : "default_config.dat"));
  content_ = std::make_unique<race::ContentDatabase>(&settings_, "", &clock_);
  content_->LoadFrom(app::DataFile(folder_ + "manifest.dat"), folder_, folder_);
  content_->ValidateVehicleSetting();
  profile_ = std::make_unique<race::PlayerProfile>(content_.get());
  resources_ = std::make_unique<render::ResourceManager>(&settings_, folder_);
  resources_->SetMixer(&mixer_);
  input_ = OpenInputDevices(0,
                            [this](bool) {
                              auto made = std::make_unique<platform::input::ScriptedController>(false, true);
                              controller_ = made.get();
                              return made;
                            },
                            settings_, folder_);
}

HeadlessRace::~HeadlessRace() {
  if (session_ != nullptr) session_->Unload();
  session_.reset();
  resources_.reset();
  if (ownDevice_ != nullptr) ownDevice_->Release();
}

RaceServices HeadlessRace::Services() {
  return {resources_.get(), &settings_, content_.get(), profile_.get(), input_.get()};
}

bool HeadlessRace::Load(const std::string& listName, int index, std::string& error, platform::gfx::Device* device,
                        const platform::gfx::GraphicsSystem* graphics) {
  const race::RaceList* list = RaceListByName(*content_, listName);
  if (list == nullptr) {
    error = "no race list " + listName + " in " + folder_ + "manifest.dat";
    return false;
  }
  definition_ = list->At(index);
  const int32_t entry = frontend::EncodeRaceParameter(*content_, definition_);
  if (definition_ == nullptr || entry == 0) {
    error = listName + " has no race " + std::to_string(index);
    return false;
  }
  if (device == nullptr || graphics == nullptr) {
    graphics = &nullGraphics_;
    if (ownDevice_ == nullptr) {
      platform::gfx::PresentParameters present = PresentParametersOf(settings_);
      nullGraphics_.CreateDevice(0, platform::gfx::DeviceType::Hal, 0, 0, present, &ownDevice_);
    }
    device = ownDevice_;
  }
  if (device == nullptr) {
    error = "no graphics device";
    return false;
  }
  device_ = device;
  // As the game does once its device exists: the device's facts, then the settings fitted to them.
  hardware_.Detect(*device_, *graphics, PresentParametersOf(settings_));
  settings_.Validate();
  // The game's starting device state, which the passes of its frame rely on and put back.
  SetDeviceBaseline(settings_, device_);
  flow_.Reset(gs::kRaceLoading, entry, app::menu_screen::NoScreenChange);
  session_ = CreateRaceSession(Services(), entry);
  if (session_ == nullptr) {
    error = "race " + definition_->name + " cannot be created";
    return false;
  }
  // The game loads one stage a frame; the stage count is small and fixed, the bound only guards the loop.
  for (uint32_t stage = 0; stage <= race::kLoadStageCount; ++stage) {
    if (LoadRaceStage(*session_, Services(), device_, {})) break;
  }
  if (session_->loadStage != race::kLoadComplete || session_->Racers().empty()) {
    error = "race " + definition_->name + ": the track " + definition_->path + " gave no cars";
    return false;
  }
  StartRace(*session_, device_, flow_);
  return true;
}

void HeadlessRace::DriveEveryCar() {
  if (session_ != nullptr) session_->HandPlayerToDriver();
}

void HeadlessRace::Frame(float dt) {
  flow_.Update(dt);
  resources_->Update(dt);
  // The game's frame in the race states; where the results screen would take over, the race runs on behind it.
  if (flow_.state == gs::kOpenResults) flow_.Reset(gs::kResults, 0, app::menu_screen::NoScreenChange);
  if (flow_.state == gs::kStartSignal) flow_.Request(gs::kRacing, 0.0f);
  const bool raceRuns = flow_.state == gs::kCountdown || flow_.state == gs::kStartSignal ||
                        flow_.state == gs::kRacing || flow_.state == gs::kAfterFinish || flow_.state == gs::kResults;
  if (session_ != nullptr && raceRuns) StepRace(*session_, Services(), device_, flow_, dt, dt > 0 ? 1.0f / dt : 0.0f);
  input_->Poll();
  mixer_.Advance(dt);
  time_ += dt;
}

}  // namespace game
