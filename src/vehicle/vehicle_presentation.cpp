// The car's presentation side: sounds, lights, shadow, particles, skid marks, rumble and riding parts.
#include "vehicle/vehicle_presentation.h"

#include <algorithm>
#include <cmath>

#include "geometry/models/mesh_model.h"
#include "platform/math/math.h"
#include "platform/os.h"
#include "render/resources/resource_manager.h"

namespace vehicle {

VehiclePresentation::VehiclePresentation(Vehicle& car, PresentationServices services)
    : car_(car), services_(std::move(services)) {
  if (services_.sounds != nullptr) {
    sounds_ = std::make_unique<VehicleSounds>(*services_.sounds);
    engineSound_ = std::make_unique<EngineSoundMix>(*services_.sounds);
    for (auto& wheel : wheelEffects_) wheel = std::make_unique<WheelEffects>(*services_.sounds);
  }
}

VehiclePresentation::~VehiclePresentation() {
  if (car_.stunts != nullptr) car_.stunts->playSound = nullptr;
  StopSounds();
  feedback.Stop();
  lights.ClearLights();
  renderer.reset();
  DeleteVisualParts();
  driverModel.reset();
  driverAnimation.reset();
  body.reset();
  if (shadowModel != nullptr && shadowModelOwner != nullptr) geometry::ReleaseModel(*shadowModelOwner, shadowModel);
  shadowModel = nullptr;
  // The damage model works on the body and the crumpled body held here.
  car_.damage.reset();
  if (damageOwner != nullptr) {
    if (damagedModel != nullptr) geometry::ReleaseModel(*damageOwner, damagedModel);
    for (render::ImageResource* image : bodyMaterials) damageOwner->ReleaseImage(image);
  }
  damagedModel = nullptr;
  bodyMaterials.clear();
  if (cubeMap != nullptr && cubeMapOwner != nullptr) cubeMapOwner->ReleaseCubeMap(cubeMap);
  cubeMap = nullptr;
  for (render::ImageResource** image : {&headlightTexture, &shadowTexture, &neonTexture}) {
    if (*image != nullptr && imageOwner != nullptr) imageOwner->ReleaseImage(*image);
    *image = nullptr;
  }
}

int VehiclePresentation::Random() { return services_.random ? services_.random() : platform::CrtRand(); }

void VehiclePresentation::LoadSounds() {
  if (sounds_ == nullptr) return;
  const std::string folder = car_.folder + kCarSoundsFromCarFolder;
  sounds_->LoadSounds(folder);
  for (auto& wheel : wheelEffects_) wheel->LoadSounds(folder);
  sounds_->LoadStuntSounds();
  if (car_.stunts != nullptr) {
    car_.stunts->playSound = [this](bool success) {
      sounds_->PlayStunt(success ? kStuntSuccessSound : kStuntWipeSound);
    };
  }
  if (car_.engine != nullptr && !car_.engine->soundsFolder.empty()) {
    std::string engineFolder = car_.engine->soundsFolder;
    if (engineFolder.back() != '/' && engineFolder.back() != '\\') engineFolder += '/';
    engineSound_->LoadSounds(engineFolder);
  }
}

void VehiclePresentation::BuildShadow() {
  shadow = std::make_unique<GroundShadow>(services_.device, kShadowGridPoints, kShadowGridPoints,
                                          2 * car_.collisionMax.x + kShadowSideMargin,
                                          car_.collisionMax.z + kShadowEndMargin,
                                          car_.collisionMin.z - kShadowEndMargin);
}

void VehiclePresentation::LoadLights(render::GlowTrailSystem* glows, const std::vector<BodyPart>& parts) {
  lights.ClearLights();
  lights.LoadLights(glows, parts);
  lights.exhaustPoints.clear();
  for (const std::string& name : car_.exhaustPartNames) {
    Vec3 point;
    for (const BodyPart& part : parts) {
      std::string upper = part.name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      std::string wanted = name;
      for (char& c : wanted) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (upper == wanted) {
        point = part.position;
        break;
      }
    }
    lights.exhaustPoints.push_back(point);
  }
  lights.exhaustWork = lights.exhaustPoints;
}

WheelContact VehiclePresentation::ContactOf(const Wheel& wheel) const {
  WheelContact contact;
  contact.skidding = wheel.IsSkidding();
  contact.onGround = wheel.onGround;
  contact.surface = wheel.surface;
  contact.position = wheel.position;
  contact.right = wheel.right;
  contact.up = wheel.up;
  contact.mountX = wheel.mountLocal.x;
  contact.width = wheel.width;
  contact.radius = wheel.radius;
  contact.orientation = wheel.orientation;
  return contact;
}

bool VehiclePresentation::AnyWheelSkidding() const {
  return std::any_of(car_.wheels.begin(), car_.wheels.end(),
                     [](const auto& wheel) { return wheel != nullptr && wheel->IsSkidding(); });
}

void VehiclePresentation::AfterCollisions(Vehicle& car, VehicleWorld& world, float dt) {
  (void)dt;
  // Landing sounds and what each wheel throws up.
  std::vector<WheelDust> dust;
  for (int i = 0; i < 4; ++i) {
    const Wheel* wheel = car.wheels[i].get();
    if (wheel == nullptr) continue;
    int surface = wheel->surface;
    if (surface < 0 || surface >= kSurfaceCount) surface = kSurfacePave;
    if (wheelEffects_[i] != nullptr) {
      WheelEffects& effects = *wheelEffects_[i];
      effects.audible = car.isPlayer;
      effects.listenerDistance = car.listenerDistance;
      if (wheel->landing > 0) effects.PlaySound(wheel->landing - 1);
      if (wheel->landing >= kLandingMedium) effects.ForceFeedbackJolt(kLandingJolt);
    }
    WheelDust entry;
    entry.onGround = wheel->onGround;
    entry.skidding = wheel->IsSkidding();
    entry.surface = surface;
    entry.position = wheel->position;
    entry.up = wheel->up;
    entry.velocity = wheel->velocity;
    entry.radius = wheel->radius;
    dust.push_back(entry);
  }
  if (shadow != nullptr) shadow->Update(world, car.worldMatrix);

  const bool nitrous = car.engine != nullptr && car.engine->IsNitrousActive();
  EmitWheelParticles(world, dust, nitrous, lights.exhaustWork, car.velocity, [this] { return Random(); });
}

void VehiclePresentation::UpdateAttachments(Vehicle& car, float dt) {
  (void)dt;
  const Matrix4 body = car.tilt * car.worldMatrix;
  if (driverModel != nullptr) {
    driverModel->SetTransform(body);
    if (car.steering != nullptr && car.steering->range != 0) {
      driverModel->SetSteer(car.steering->angle / car.steering->range);
    }
    driverModel->UpdateSteerPose();
  }
  for (auto& part : visualParts) part->SetTransform(body);
}

void VehiclePresentation::OnPlaced(Vehicle& car) {
  // Laid flat an inch above the ground the tyres stand on, so it never fights the floor for depth.
  const Wheel* frontLeft = car.wheels[kFrontLeft].get();
  const float radius = frontLeft != nullptr ? frontLeft->radius : 0.0f;
  if (shadow != nullptr) shadow->PlaceFlat({0, kShadowPlacementLift - car.wheelCentreOffset.y - radius, 0}, car.worldMatrix);
  UpdateAttachments(car, 0);
}

void VehiclePresentation::PlayCrashSound(Vehicle& car, int kind, int volume) {
  (void)car;
  if (sounds_ != nullptr) sounds_->PlayCrash(kind, volume);
}

void VehiclePresentation::ForceJolt(Vehicle& car, int magnitude) {
  (void)car;
  if (wheelEffects_[0] != nullptr) wheelEffects_[0]->ForceFeedbackJolt(static_cast<float>(magnitude));
}

void VehiclePresentation::SetForceFeedbackDevice(Vehicle& car, ForceFeedbackOutput* device) {
  (void)car;
  feedback.SetOutput(device);
  for (auto& wheel : wheelEffects_) {
    if (wheel != nullptr) wheel->forceFeedback = device;
  }
}

int VehiclePresentation::ChannelsPlaying() const {
  return services_.sounds != nullptr ? services_.sounds->SampleMixer().GetChannelsPlaying() : 0;
}

void VehiclePresentation::UpdateSounds(float dt) {
  const float speed = platform::Length(car_.velocity);
  if (engineSound_ != nullptr && car_.engine != nullptr) {
    Engine& engine = *car_.engine;
    EngineSoundState state;
    state.engineRpm = engine.engineRpm;
    state.minimumRpm = engine.minimumRpm;
    state.redlineRpm = engine.redlineRpm;
    state.targetRpm = engine.TargetRpm();
    state.throttle = engine.throttle;
    state.gearIndex = engine.Gear();
    state.boost = engine.boost;
    state.nitrousActive = engine.IsNitrousActive();
    state.turboBoostEvent = engine.turboBoostEvent;
    state.nitrousEngageEvent = engine.nitrousEngageEvent;
    engineSound_->UpdateSound(dt, car_.listenerDistance, car_.isPlayer, state);
    engine.turboBoostEvent = state.turboBoostEvent;
    engine.nitrousEngageEvent = state.nitrousEngageEvent;
  }
  if (sounds_ != nullptr) {
    TyreSoundInputs tyres;
    tyres.isPlayer = car_.isPlayer;
    tyres.speed = speed;
    tyres.listenerDistance = car_.listenerDistance;
    tyres.anySkidding = AnyWheelSkidding();
    tyres.anyOnGround = std::any_of(car_.wheels.begin(), car_.wheels.end(),
                                    [](const auto& wheel) { return wheel != nullptr && wheel->onGround; });
    std::copy(std::begin(car_.surfacesTouched), std::end(car_.surfacesTouched), tyres.surfacesTouched.begin());
    sounds_->UpdateSkidSounds(dt, tyres);
    sounds_->UpdateRollSounds(dt, tyres);
  }
  if (car_.isPlayer) {
    std::array<uint8_t, kSurfaceCount> touched{};
    std::copy(std::begin(car_.surfacesTouched), std::end(car_.surfacesTouched), touched.begin());
    const float rpm = car_.engine != nullptr ? car_.engine->engineRpm : 0.0f;
    const float redline = car_.engine != nullptr ? car_.engine->redlineRpm : 1.0f;
    const bool nitrous = car_.engine != nullptr && car_.engine->IsNitrousActive();
    feedback.UpdateSkidEffects(dt, car_.speedMph, touched, AnyWheelSkidding());
    feedback.UpdateRoadEffects(dt, car_.speedMph, touched, rpm, redline, nitrous);
  }
  // Without this tick a crash sound of each kind would play once per car and never again.
  car_.TickCrashCooldowns(dt);
  for (auto& wheel : wheelEffects_) {
    if (wheel != nullptr) wheel->UpdateSoundTimers(dt);
  }
}

void VehiclePresentation::UpdateWheelEffects(VehicleWorld* world, float dt) {
  for (int i = 0; i < 4; ++i) {
    if (car_.wheels[i] == nullptr || wheelEffects_[i] == nullptr) continue;
    wheelEffects_[i]->UpdateSkidmark(services_.device, world, ContactOf(*car_.wheels[i]), dt);
  }
}

void VehiclePresentation::UpdateLightGlows(const Vec3& cameraDirection) {
  const Wheel* rearLeft = car_.wheels[kRearLeft].get();
  const float brake = rearLeft != nullptr ? rearLeft->brake : 0.0f;
  const int gear = car_.engine != nullptr ? car_.engine->Gear() : 1;
  lights.UpdateLightGlows(car_.tilt * car_.orientation, car_.position, cameraDirection, car_.headlightsOn, brake,
                          gear);
}

void VehiclePresentation::StopSounds() {
  if (engineSound_ != nullptr) engineSound_->StopSounds();
  if (sounds_ != nullptr) sounds_->StopSounds();
}

}  // namespace vehicle
