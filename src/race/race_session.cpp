// The race's simulation step: sub-steps over drivers and cars, start hold and release, order and finish.
#include "race/race_session.h"

#include <algorithm>

#include "race/hud/race_hud.h"
#include "race/player_profile.h"
#include "race/race_definition.h"
#include "render/resources/resource_manager.h"
#include "vehicle/ai_driver.h"
#include "vehicle/ai_vehicle_car.h"
#include "vehicle/vehicle.h"

namespace race {

struct RaceSession::Driver {
  Driver(RaceWorld& world, vehicle::Vehicle& car)
      : view(car, world), driver(std::make_unique<vehicle::AIDriver>(&world, &view, false)), car(&car) {}
  vehicle::VehicleAICar view;
  std::unique_ptr<vehicle::AIDriver> driver;
  vehicle::Vehicle* car;
};

RaceSession::RaceSession(PlayerProfile* profile, RaceDefinition* definition, bool rubberBandOn)
    : rubberBand(rubberBandOn), profile_(profile), definition_(definition) {
  if (definition_ != nullptr) laps = definition_->laps;
}

// Drivers hold views of the cars, so they go first.
RaceSession::~RaceSession() {
  drivers_.clear();
  world_.Cars().clear();
  cars_.clear();
  world_.SetCollision(nullptr);
  if (resources_ != nullptr && collision_ != nullptr) resources_->ReleaseCollisionTree(collision_);
}

bool RaceSession::LoadTrack(render::ResourceManager* resources, const std::function<void(uint32_t)>& report) {
  if (loadStage > kLoadComplete) loadStage = 0;
  const std::string trackFile = definition_ != nullptr ? definition_->path : std::string();
  switch (loadStage) {
    case 1:
      if (definition_ != nullptr) laps = definition_->laps;
      break;
    case 6: {
      const std::string collisionFile = CollisionFileOf(trackFile);
      if (resources != nullptr && collision_ == nullptr && !collisionFile.empty()) {
        resources_ = resources;
        collision_ = resources->LoadCollisionTree(collisionFile, true, false);
      }
      break;
    }
    case 7:
      world_.SetCollision(collision_);
      break;
    case 8:
      if (collision_ != nullptr) {
        LoadAIPaths(*collision_, world_, definition_ != nullptr && definition_->reverse);
        grid_ = ReadStartGrid(*collision_);
      }
      break;
    default:
      break;
  }
  if (loadStage < kLoadComplete) ++loadStage;
  if (report) report(loadStage);
  return loadStage == kLoadComplete;
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
  const geometry::Path* firstPath = world_.AIPath(0);
  for (const RacerPlan& plan : plans) {
    if (plan.slot >= grid_.size() || !factory) continue;
    std::unique_ptr<vehicle::Vehicle> car = factory(plan);
    if (car == nullptr) continue;
    car->SetTransform(grid_[plan.slot].position, grid_[plan.slot].orientation);
    car->Reset(world_, firstPath);
    AddRacer(std::move(car), plan.isPlayer);
    ++created;
  }
  return created;
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
  lastControls = settings != nullptr ? ReadKeyboardControls(keys, *settings) : PlayerControls{};
  const PlayerControls& controls = lastControls;
  if (player_ != nullptr) {
    if (controls.reset && racing) player_->Respawn(world_, world_.FindNearestPath(player_->position));
    if (controls.headlights) {
      player_->headlightsOn = !player_->headlightsOn;
      if (settings != nullptr) settings->SetInt(app::SettingId::TURNONHEADLIGHT, player_->headlightsOn ? 1 : 0);
    }
    if (!IsDriven(player_)) {
      player_->SetControls(controls.throttle, controls.brake, controls.handbrake, false, controls.steering,
                           controls.shiftUp, controls.shiftDown);
    }
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
    if (const geometry::Path* path = world_.FindNearestPath(player_->position)) {
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
  for (vehicle::Vehicle* car : world_.Cars()) car->Update(world_, h);
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
      view.stuntPoints = static_cast<uint32_t>(std::max(0, car->stunts->CollectPoints()));
    }
    views.push_back(std::move(view));
  }
  return views;
}

void RaceSession::HoldRacersAtStart(app::ScreenFlow& flow) {
  if (hud != nullptr) hud->StartCountdown(flow);
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
  const int32_t type = definition_ != nullptr ? static_cast<int32_t>(definition_->type) : kRaceLap;
  const int32_t maxLaps = UpdateRaceOrder(world_.Cars(), type);
  const int32_t definedLaps = definition_ != nullptr ? definition_->laps : laps;
  const int out = KnockOutIndex(world_.Cars(), type, definedLaps, maxLaps);
  if (out < 0) return;
  vehicle::Vehicle* car = world_.Cars()[static_cast<size_t>(out)];
  if (car == player_) {
    FinishRacer(flow);
  } else {
    RemoveRacer(car);
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
  const uint32_t place = playerPlace ? playerPlace() : static_cast<uint32_t>(player_->racePosition);
  const int32_t stuntPoints = player_->stunts != nullptr ? player_->stunts->CollectPoints() : 0;
  result_ = BuildRaceResult(world_.Cars(), place, stuntPoints, raceTime, definition_);
  if (profile_ != nullptr && definition_ != nullptr) {
    profile_->careerProgress = static_cast<uint32_t>(
        CareerProgressAfter(static_cast<int32_t>(profile_->careerProgress),
                            static_cast<int32_t>(definition_->classRestriction), player_->racePosition));
  }
  flow.Reset(app::game_state::kAfterFinish, 0, app::game_state::kRestartRace);
  if (hud != nullptr && definition_ != nullptr) hud->ShowResults(*definition_);
  if (!IsDriven(player_)) {
    drivers_.insert(drivers_.begin(), std::make_unique<Driver>(world_, *player_));
    if (player_->engine != nullptr) player_->engine->gearbox.manual = 0;
  }
}

void RaceSession::AutoResetPlayer(float dt) {
  if (player_ == nullptr) return;
  const ResetDecision decision = resetTimers.Update(dt, world_.IsCarOffWorld(*player_), player_->AllWheelsOnGround(),
                                                    player_->IsTippedOver());
  if (decision.savePosition) player_->SavePreviousPosition();
  if (decision.respawn) player_->Respawn(world_, world_.FindNearestPath(player_->position));
}

}  // namespace race
