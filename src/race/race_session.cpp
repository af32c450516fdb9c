// The race's simulation step: sub-steps over drivers and cars, start hold and release, order and finish.
#include "race/race_session.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "app/data_file.h"
#include "app/input_devices.h"
#include "app/paths.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "race/content_database.h"
#include "race/hud/race_hud.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "render/resources/resource_manager.h"
#include "vehicle/ai_driver.h"
#include "vehicle/ai_vehicle_car.h"
#include "vehicle/force_feedback_output.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_assembly.h"
#include "vehicle/vehicle_presentation.h"
#include "vehicle/wheel.h"

namespace race {

using vehicle::PresentationOf;

struct RaceSession::Driver {
  Driver(RaceWorld& world, vehicle::Vehicle& car)
      : view(car, world), driver(std::make_unique<vehicle::AIDriver>(&world, &view, false)), car(&car) {}
  vehicle::VehicleAICar view;
  std::unique_ptr<vehicle::AIDriver> driver;
  vehicle::Vehicle* car;
};

namespace {
constexpr int32_t kMaxInstantLaps = 3;
// How far computer cars are upgraded beyond the player's car (stat points), by the race's difficulty 0-4.
constexpr std::array<float, 5> kDifficultyMargins = {-4.0f, -2.0f, 0.0f, 2.0f, 4.0f};
// Slower drivers for the practice venues and the first career race (levels as AIDriver::SetSpeedFactor reads them).
constexpr float kQuickRaceSpeedLevel = 0.75f;
constexpr float kFirstCareerRaceSpeedLevel = 0.35f;
}  // namespace

RaceSession::RaceSession(PlayerProfile* profile, RaceDefinition* definition, bool rubberBandOn)
    : rubberBand(rubberBandOn), profile_(profile), definition_(definition), scenery_(nullptr, nullptr) {
  if (definition_ != nullptr) laps = definition_->laps;
  ConnectWorld();
}

RaceSession::RaceSession(render::ResourceManager* resources, app::Settings* gameSettings, ContentDatabase* content,
                         PlayerProfile* profile, RaceDefinition* definition, int32_t entry)
    : settings(gameSettings),
      raceEntry(entry),
      profile_(profile),
      definition_(definition),
      content_(content),
      scenery_(resources, gameSettings),
      resources_(resources) {
  rubberBand = gameSettings != nullptr && gameSettings->GetInt(app::SettingId::RUBBERBAND) != 0;
  ConnectWorld();
}

// Sparks, dust and flames the cars ask for go to the race's particle system once the load has made one.
// Skid-mark strips go to the race's marks in the same way.
void RaceSession::ConnectWorld() {
  world_.particleSink = [this](int type, const Vec3& position, const Vec3& velocity) {
    if (scenery_.particles != nullptr) scenery_.particles->SpawnBurst(type, &position, &velocity);
  };
  world_.skidSink = [this](platform::gfx::Device* device, const Vec3& point, const platform::Matrix4& orientation,
                           int style, float width) { return AddSkidSegment(device, point, orientation, style, width); };
}

render::SkidmarkSegment* RaceSession::AddSkidSegment(platform::gfx::Device* device, const Vec3& point,
                                                     const platform::Matrix4& orientation, int style, float width) {
  if (scenery_.skids == nullptr) return nullptr;
  return scenery_.skids->AddSegment(device, point, orientation, style, width);
}

RaceSession::~RaceSession() { Unload(); }

// Drivers hold views of the cars, so they go first; cars hold glow points and sounds, so they go before the
// effect systems.
void RaceSession::Unload() {
  drivers_.clear();
  world_.Cars().clear();
  player_ = nullptr;
  cars_.clear();
  if (hud == ownedHud_.get()) hud = nullptr;
  ownedHud_.reset();
  // The world lets go of the track before the scenery gives the scene back.
  world_.SetTrackScene(nullptr);
  world_.SetCollision(nullptr);
  scenery_.Unload();
  if (resources_ != nullptr && collision_ != nullptr) resources_->ReleaseCollisionTree(collision_);
  collision_ = nullptr;
  grid_.clear();
  forceFeedback_.reset();
}

bool RaceSession::LoadTrack(platform::gfx::Device* device, const std::function<void(uint32_t)>& report) {
  if (loadStage > kLoadComplete) loadStage = 0;
  const std::string trackFile = definition_ != nullptr ? definition_->path : std::string();
  scenery_.CreateEffects(device, loadStage);
  switch (loadStage) {
    case 1:
      // The view the player chose last time (chase or in-car).
      if (scenery_.camera != nullptr && settings != nullptr) {
        const int views = std::max(settings->GetInt(app::SettingId::TRACKCAMERA), 0) % 2;
        for (int i = 0; i < views; ++i) scenery_.camera->NextView();
      }
      // An instant race picks its own length, 1 to 3 laps, each time it is run.
      if (definition_ != nullptr && definition_->mode == kModeInstant) {
        definition_->laps = (random ? random() : platform::CrtRand()) % kMaxInstantLaps + 1;
        if (definition_->laps < 1) definition_->laps += kMaxInstantLaps;
      }
      if (definition_ != nullptr) laps = definition_->laps;
      break;
    case 3:
      if (hud == nullptr && device != nullptr && resources_ != nullptr && definition_ != nullptr) {
        ownedHud_ = std::make_unique<RaceHud>(device, resources_, settings, *definition_);
        hud = ownedHud_.get();
      }
      break;
    case 6: {
      const std::string collisionFile = CollisionFileOf(trackFile);
      if (resources_ != nullptr && collision_ == nullptr && !collisionFile.empty()) {
        collision_ = resources_->LoadCollisionTree(collisionFile, true, false);
        // A track without a collision file (or with one that cannot be read) is driven on its scene.
        if (collision_ != nullptr && collision_->Empty()) {
          resources_->ReleaseCollisionTree(collision_);
          collision_ = nullptr;
        }
      }
      scenery_.LoadTrackScene(device, trackFile);
      break;
    }
    case 7:
      MapSurfaceTypes();
      break;
    case 8:
      if (scenery_.track != nullptr) {
        LoadAIPaths(*scenery_.track, world_, definition_ != nullptr && definition_->reverse);
        grid_ = ReadStartGrid(*scenery_.track);
      }
      scenery_.SetupSceneObjects(device);
      if (ownedHud_ != nullptr && world_.AIPath(0) != nullptr) ownedHud_->CreateMinimap(device, *world_.AIPath(0));
      BuildField(device);
      if (ownedHud_ != nullptr) ownedHud_->BuildPositionRows(device, static_cast<uint32_t>(world_.Cars().size()));
      break;
    case 9:
      scenery_.CreateOverlays(device, ReflectionFileOf(trackFile), device != nullptr);
      break;
    default:
      break;
  }
  if (loadStage < kLoadComplete) ++loadStage;
  if (report) report(loadStage);
  return loadStage == kLoadComplete;
}

void RaceSession::MapSurfaceTypes() {
  world_.SetCollision(collision_);
  world_.SetTrackScene(scenery_.track);
}

void RaceSession::BuildField(platform::gfx::Device* device) {
  if (!cars_.empty() || definition_ == nullptr || content_ == nullptr || grid_.empty()) return;
  CarFactory factory = carFactory;
  if (!factory) factory = [this, device](const RacerPlan& plan) { return MakeCar(device, plan); };
  const std::string playerName = profile_ != nullptr ? profile_->name : std::string("Player");
  const std::string playerVehicle =
      settings != nullptr ? content_->FindVehicle(settings->GetString(app::StringSettingId::VEHICLE)) : std::string();
  const std::function<int()> draw = random ? random : [] { return platform::CrtRand(); };
  CreateRacers(PlanRacers(*definition_, *content_, grid_.size(), playerName, playerVehicle, draw), factory);
}

std::unique_ptr<vehicle::Vehicle> RaceSession::MakeCar(platform::gfx::Device* device, const RacerPlan& plan) {
  if (resources_ == nullptr || plan.vehicleFile.empty()) return nullptr;
  auto car = std::make_unique<vehicle::Vehicle>(resources_, settings, plan.name, false);
  // The race's own upgrades, the player's from the profile (none in instant races, which hand out a random
  // car), or for a computer car its upgrades matched to the player's car by the race's difficulty.
  vehicle::UpgradeSelection selection;
  vehicle::UpgradeSelection* chosen = nullptr;
  const vehicle::UpgradeList* reference = nullptr;
  float margin = 0.0f;
  const bool instant = definition_ != nullptr && definition_->mode == kModeInstant;
  if (plan.isPlayer && instant) {
    // The random car of an instant race comes with random upgrades of its own.
  } else if (plan.hasUpgrades) {
    for (uint32_t id : plan.upgrades) {
      selection.SetOwned(id, true);
      selection.SetInstalled(id, true);
    }
    chosen = &selection;
  } else if (plan.isPlayer) {
    if (profile_ != nullptr) {
      profile_->GetWorkingSelection(selection);
      chosen = &selection;
    }
  } else if (player_ != nullptr && player_->upgrades != nullptr) {
    reference = player_->upgrades.get();
    const int32_t difficulty = definition_ != nullptr ? definition_->aiDifficulty : 2;
    margin = kDifficultyMargins[static_cast<size_t>(std::clamp(difficulty, 0, 4))];
  }
  const std::string path =
      app::NormalizePathSlashes(app::MakeGameFolderPath(resources_->BaseFolder(), plan.vehicleFile));
  if (!car->LoadDefinition(path, chosen, reference, margin, false)) {
    std::printf("%s: the car's definition could not be read\n", path.c_str());
    return nullptr;
  }
  if (plan.isPlayer && settings != nullptr) {
    car->headlightsOn = settings->GetInt(app::SettingId::TURNONHEADLIGHT) != 0;
    if (car->engine != nullptr && settings->GetInt(app::SettingId::USEAUTOMATIC) == 0) car->engine->gearbox.manual = 1;
  }
  vehicle::PresentationServices services;
  services.sounds = resources_;
  services.device = device;
  services.random = random;
  vehicle::AppearanceOptions options;
  if (settings != nullptr) {
    options.cubeMapping = settings->GetInt(app::SettingId::CUBEMAPPING) != 0;
    options.dynamicReflections = settings->GetInt(app::SettingId::DYNAMICREFLECTIONS) != 0;
  }
  if (vehicle::AssembleAppearance(*car, app::DataFile(path), resources_, services,
                                  scenery_.glows.get(), options) == nullptr) {
    std::printf("%s: the car's body could not be loaded\n", path.c_str());
    return nullptr;
  }
  return car;
}

vehicle::Vehicle* RaceSession::AddRacer(std::unique_ptr<vehicle::Vehicle> car, bool isPlayer) {
  if (car == nullptr) return nullptr;
  vehicle::Vehicle* raw = car.get();
  cars_.insert(cars_.begin(), std::move(car));
  world_.Cars().insert(world_.Cars().begin(), raw);
  if (isPlayer) {
    player_ = raw;
    raw->SetPlayerFlag(true);
  } else {
    drivers_.insert(drivers_.begin(), std::make_unique<Driver>(world_, *raw));
  }
  return raw;
}

size_t RaceSession::CreateRacers(const std::vector<RacerPlan>& plans, const CarFactory& factory) {
  size_t created = 0;
  for (const RacerPlan& plan : plans) {
    if (CreateRacer(plan, factory) != nullptr) ++created;
  }
  return created;
}

vehicle::Vehicle* RaceSession::CreateRacer(const RacerPlan& plan, const CarFactory& factory) {
  if (plan.slot >= grid_.size() || !factory) return nullptr;
  std::unique_ptr<vehicle::Vehicle> car = factory(plan);
  if (car == nullptr) return nullptr;
  const geometry::Path* firstPath = world_.AIPath(0);
  const bool chicken = definition_ != nullptr && definition_->type == kRaceChicken;
  Vec3 start = grid_[plan.slot].position;
  if (chicken && plan.pathFraction >= 0.0f && firstPath != nullptr) {
    start = firstPath->PointAt(firstPath->TotalLength() * plan.pathFraction);
    if (world_.HasTrack()) start.y = (world_.TrackBoundsMax().y - world_.TrackBoundsMin().y) * 0.5f;
  }
  car->SetTransform(start, grid_[plan.slot].orientation);
  car->Reset(world_, firstPath);
  vehicle::Vehicle* racer = AddRacer(std::move(car), plan.isPlayer);
  if (plan.isPlayer) return racer;
  vehicle::AIDriver& driver = *drivers_.front()->driver;
  if (definition_ != nullptr && definition_->mode == kModeQuick && definition_->flags == 0) {
    driver.SetSpeedFactor(kQuickRaceSpeedLevel);
  } else if (definition_ != nullptr && definition_->mode == kModeCareer && definition_->index == 0) {
    driver.SetSpeedFactor(kFirstCareerRaceSpeedLevel);
  }
  if (chicken) {
    // Opponents run the track the other way round, so they come at the player head-on.
    driver.reversePaths = true;
    const std::vector<const geometry::Path*>& reversed = world_.AIPaths(true);
    if (!reversed.empty()) racer->Reset(world_, reversed.front());
  }
  return racer;
}

bool RaceSession::IsDriven(const vehicle::Vehicle* car) const {
  return std::any_of(drivers_.begin(), drivers_.end(), [car](const auto& d) { return d->car == car; });
}

void RaceSession::ReloadRacerCurves() {
  for (vehicle::Vehicle* car : world_.Cars()) car->ReloadCurves();
}

void RaceSession::HandlePlayerInput(app::ScreenFlow& flow) {
  const bool racing = flow.state == app::game_state::kRacing;
  switch (ReadRaceKey(keys, racing)) {
    case RaceKey::kPause:
      flow.RequestOptions(kRacePauseKind, 0);
      break;
    case RaceKey::kFullScreen:
      if (settings != nullptr) settings->SetInt(app::SettingId::FULLSCREEN, settings->GetInt(app::SettingId::FULLSCREEN) == 0 ? 1 : 0);
      if (racing) flow.RequestOptions(kRacePauseKind, 0);
      break;
    case RaceKey::kReloadCurves:
      ReloadRacerCurves();
      break;
    case RaceKey::kNone:
      break;
  }
  lastControls = settings != nullptr ? ReadPlayerControls(keys, joystick_, *settings) : PlayerControls{};
  const PlayerControls& controls = lastControls;
  if (player_ != nullptr) {
    if (controls.reset && racing) player_->Respawn(world_, FindNearestPath(player_->position));
    if (controls.headlights) {
      player_->headlightsOn = !player_->headlightsOn;
      if (settings != nullptr) settings->SetInt(app::SettingId::TURNONHEADLIGHT, player_->headlightsOn ? 1 : 0);
    }
    // The player's controls never fire the nitrous.
    if (!IsDriven(player_)) {
      player_->SetControls(controls.throttle, controls.brake, controls.handbrake, false, controls.steering,
                           controls.shiftUp, controls.shiftDown);
    }
  }
  if (render::RaceCamera* camera = scenery_.camera.get()) {
    if (controls.camera) {
      camera->NextView();
      if (settings != nullptr) settings->SetInt(app::SettingId::TRACKCAMERA, camera->viewMode);
    }
    camera->lookBack = controls.lookBack;
  }
  if (controls.pause && racing) flow.RequestOptions(kRacePauseKind, 0);
  keys.ClearKeyPresses();
}

void RaceSession::Step(app::ScreenFlow& flow, float dt) {
  const app::GameState state = flow.state;
  HandlePlayerInput(flow);
  if (state == app::game_state::kRacing) {
    AutoResetPlayer(dt);
    raceTime += dt;
  }
  const SubStepPlan plan = PlanSubSteps(dt);
  for (uint32_t i = 0; i < plan.count; ++i) StepRacers(flow, plan.step);
  // The frame's effects follow the cars' moves before the order and the finish are decided, so the glows, marks
  // and particles drawn this frame stand where the cars now are.
  UpdateRacerEffects(dt);
  if (state == app::game_state::kRacing || state == app::game_state::kCountdown) {
    UpdatePositions(flow);
    if (hud != nullptr) {
      hud->SetRaceTime(raceTime);
      hud->Update(HudViews());
    }
  }
  if (hud != nullptr) hud->Tick(flow, dt);
  if (state == app::game_state::kRacing && player_ != nullptr &&
      player_->progress >= static_cast<float>(laps)) {
    FinishRacer(flow);
  } else if (state == app::game_state::kStartSignal) {
    ReleaseRacers();
  }
}

void RaceSession::StepRacers(app::ScreenFlow& flow, float h) {
  if (rubberBand) rubberBandTimer = std::min(rubberBandTimer + h, kRubberBandDelay);
  if (player_ != nullptr) {
    if (const geometry::Path* path = FindNearestPath(player_->position)) {
      for (vehicle::Vehicle* car : world_.Cars()) car->UpdatePathProgress(*path);
    }
  }
  for (auto& d : drivers_) {
    d->driver->Update(flow.state, h);
    if (rubberBand && rubberBandTimer >= kRubberBandDelay && player_ != nullptr &&
        static_cast<uint32_t>(d->car->racePosition) < static_cast<uint32_t>(player_->racePosition)) {
      d->driver->ScaleFirstValue(kRubberBandScale);
    }
    d->driver->ApplyControls();
  }
  // Every car hears itself from the camera: engines, tyres and crashes fade with the distance.
  render::RaceCamera* camera = scenery_.camera.get();
  for (vehicle::Vehicle* car : world_.Cars()) {
    car->Update(world_, h);
    if (camera != nullptr) car->DistanceTo(camera->eye);
    if (vehicle::VehiclePresentation* presentation = PresentationOf(*car)) presentation->UpdateSounds(h);
  }
  // The camera follows every sub-step, so it takes each step's shake of the player's car.
  if (camera != nullptr) {
    if (player_ != nullptr) camera->FollowSubject(SubjectOf(*player_));
    camera->Update(collision_, h);
  }
  if (afterSubStep) afterSubStep(h);
}

std::vector<HudRacerView> RaceSession::HudViews() const {
  std::vector<HudRacerView> views;
  views.reserve(world_.Cars().size());
  for (const vehicle::Vehicle* car : world_.Cars()) {
    HudRacerView view;
    view.driverName = car->driverName;
    view.racePosition = car->racePosition;
    view.isPlayer = car->isPlayer;
    view.wrongWay = car->wrongWay;
    view.position = car->position;
    view.forwardAxis = car->forwardAxis;
    view.speedMph = car->speedMph;
    view.bestLap = car->bestLap;
    if (car->engine != nullptr) {
      view.engineRpm = car->engine->engineRpm;
      view.gear = car->engine->Gear();
      view.nitrousRemaining = car->engine->nitrousRemaining;
      view.nitrousCapacity = car->engine->nitrousCapacity;
    }
    if (car->stunts != nullptr) {
      view.hasStunts = true;
      for (const auto& event : car->stunts->events) view.stuntEvents.push_back({event->type, event->points});
      view.scoringEvents = static_cast<uint32_t>(car->stunts->CountScoringEvents());
      view.stuntPoints = static_cast<uint32_t>(std::max(0, car->stunts->CollectPoints()));
    }
    views.push_back(std::move(view));
  }
  return views;
}

void RaceSession::HoldRacersAtStart(app::ScreenFlow& flow) {
  if (hud != nullptr) {
    hud->StartCountdown(flow);
  } else {
    // Without an overlay to count down, the race still starts: a loading screen that waits for a countdown
    // nobody queues would load the race again and again.
    flow.Request(app::game_state::kCountdown, 0);
    flow.Request(app::game_state::kStartSignal, kCountdownSeconds);
  }
  for (vehicle::Vehicle* car : world_.Cars()) {
    if (car->engine == nullptr) continue;
    car->engine->ForceGear(kNeutralGear);
    car->engine->gearbox.shiftingAllowed = false;
  }
}

void RaceSession::ReleaseRacers() {
  rubberBandTimer = 0;
  for (vehicle::Vehicle* car : world_.Cars()) {
    if (car->engine == nullptr) continue;
    car->engine->ForceGear(kFirstGear);
    car->engine->gearbox.shiftingAllowed = true;
  }
}

void RaceSession::UpdatePositions(app::ScreenFlow& flow) {
  const int32_t type = definition_ != nullptr ? static_cast<int32_t>(definition_->type) : static_cast<int32_t>(kRaceLap);
  const int32_t maxLaps = UpdateRaceOrder(world_.Cars(), type);
  const int32_t definedLaps = definition_ != nullptr ? definition_->laps : laps;
  const int out = KnockOutIndex(world_.Cars(), type, definedLaps, maxLaps, knockedOut_);
  if (out < 0) return;
  vehicle::Vehicle* car = world_.Cars()[static_cast<size_t>(out)];
  if (car == player_) {
    FinishRacer(flow);
  } else {
    RemoveRacer(car);
    ++knockedOut_;
  }
}

void RaceSession::RemoveRacer(vehicle::Vehicle* car) {
  drivers_.erase(std::remove_if(drivers_.begin(), drivers_.end(), [car](const auto& d) { return d->car == car; }),
                 drivers_.end());
  auto& cars = world_.Cars();
  cars.erase(std::remove(cars.begin(), cars.end(), car), cars.end());
  cars_.erase(std::remove_if(cars_.begin(), cars_.end(), [car](const auto& c) { return c.get() == car; }),
              cars_.end());
}

void RaceSession::FinishRacer(app::ScreenFlow& flow) {
  if (result_ != nullptr || player_ == nullptr) return;
  const uint32_t place = PlayerPlace();
  result_ = BuildRaceResult(world_.Cars(), place, 0, raceTime, definition_);
  // The record has flagged every car as finished, so the player's points now take in the slide, pass or jump
  // still scoring at the line.
  if (player_->stunts != nullptr) result_->stuntPoints = player_->stunts->CollectPoints();
  // Against the clock the list order means nothing, so the career moves on by the place earned, as the results
  // screen pays it. Only a career race moves it: a practice win of the same class unlocks nothing.
  if (profile_ != nullptr && definition_ != nullptr && definition_->mode == kModeCareer) {
    profile_->careerProgress = static_cast<uint32_t>(
        CareerProgressAfter(static_cast<int32_t>(profile_->careerProgress),
                            static_cast<int32_t>(definition_->classRestriction), static_cast<int32_t>(place)));
  }
  flow.Reset(app::game_state::kAfterFinish, 0, app::game_state::kRestartRace);
  // A knock-out ends the race before the HUD has read this frame's order: its message shows the place recorded.
  if (hud != nullptr && definition_ != nullptr) {
    hud->place = place;
    // The HUD's cash counts up to what the results screen pays; it is not fed again once the race is over.
    hud->tallyTarget = static_cast<uint32_t>(std::max(0, result_->stuntPoints));
    hud->ShowResults(*definition_);
  }
  HandPlayerToDriver();
}

uint32_t RaceSession::PlayerPlace() const {
  if (player_ == nullptr) return 0;
  if (definition_ != nullptr && (definition_->type == kRaceTimeTrial || definition_->type == kRaceChicken)) {
    return TargetTimePlace(*definition_, raceTime);
  }
  return static_cast<uint32_t>(std::max(player_->racePosition, 0));
}

void RaceSession::HandPlayerToDriver() {
  if (player_ == nullptr || IsDriven(player_)) return;
  drivers_.insert(drivers_.begin(), std::make_unique<Driver>(world_, *player_));
  // The computer drives with the automatic gearbox whatever the player chose.
  if (player_->engine != nullptr) player_->engine->gearbox.manual = 0;
}

void RaceSession::AutoResetPlayer(float dt) {
  if (player_ == nullptr) return;
  const ResetDecision decision = resetTimers.Update(dt, world_.IsCarOffWorld(*player_), player_->AllWheelsOnGround(),
                                                    player_->IsTippedOver());
  if (decision.savePosition) player_->SavePreviousPosition();
  if (decision.respawn) player_->Respawn(world_, FindNearestPath(player_->position));
}

void RaceSession::Step(platform::gfx::Device* device, platform::WindowSystem* window, app::ScreenFlow& flow,
                       app::InputDevices* input, float dt) {
  (void)device, (void)window;
  joystick_ = input;
  Step(flow, dt);
  joystick_ = nullptr;
}

void RaceSession::UpdateRacerEffects(float dt) {
  Vec3 cameraDirection{0, 0, 1};
  if (scenery_.camera != nullptr) {
    const Vec3 sight = scenery_.camera->lookAt - scenery_.camera->eye;
    // An eye on the target has no direction; the glows keep facing ahead rather than take a NaN.
    if (platform::Length(sight) > 1e-3f) cameraDirection = platform::Normalize(sight);
  }
  for (vehicle::Vehicle* car : world_.Cars()) {
    vehicle::VehiclePresentation* presentation = PresentationOf(*car);
    if (presentation == nullptr) continue;
    presentation->UpdateWheelEffects(&world_, dt);
    presentation->UpdateLightGlows(cameraDirection);
  }
  scenery_.UpdateEffects(dt);
}

render::CameraSubject RaceSession::SubjectOf(const vehicle::Vehicle& car) {
  render::CameraSubject subject;
  subject.position = car.position;
  subject.world = car.worldMatrix;
  subject.forwardAxis = car.forwardAxis;
  subject.speedMph = car.speedMph;
  subject.speed = platform::Length(car.velocity);
  subject.forwardAcceleration = car.localAcceleration.z;
  if (car.steering != nullptr && car.steering->range != 0.0f) {
    subject.steeringFraction = std::min(std::fabs(car.steering->angle / car.steering->range), 1.0f);
  }
  subject.handbrakeOn = car.IsHandbrakeOn();
  subject.anyWheelOnGround = car.AnyWheelOnGround();
  subject.tippedOver = car.IsTippedOver();
  subject.shake = car.shake;
  return subject;
}

void RaceSession::UpdateOverlayAlpha(float framesPerSecond) {
  const bool nitrous = player_ != nullptr && player_->engine != nullptr && player_->engine->IsNitrousActive();
  scenery_.UpdateOverlayAlpha(framesPerSecond, nitrous);
}

void RaceSession::AttachForceFeedback(app::InputDevices* input) {
  if (player_ == nullptr || input == nullptr) return;
  forceFeedback_ = std::make_unique<vehicle::InputDevicesForceFeedback>(*input);
  player_->SetForceFeedbackDevice(forceFeedback_.get());
  if (vehicle::VehiclePresentation* presentation = PresentationOf(*player_)) presentation->StartForceFeedback();
}

}  // namespace race
