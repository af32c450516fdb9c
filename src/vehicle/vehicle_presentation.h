// The car's presentation side hung on the simulation: engine, tyre, landing and crash sounds, lights and
// exhausts, ground tint, ground shadow, wheel particles and skid marks, the controller's rumble, and the driver
// and upgrade parts that ride on the body.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/sound_samples.h"
#include "platform/gfx/graphics.h"
#include "vehicle/engine_sound_mix.h"
#include "vehicle/ground_shadow.h"
#include "vehicle/part_models.h"
#include "vehicle/surface_effects.h"
#include "vehicle/vehicle.h"
#include "vehicle/vehicle_lights.h"
#include "vehicle/vehicle_model.h"
#include "vehicle/vehicle_renderer.h"
#include "vehicle/vehicle_sounds.h"
#include "vehicle/wheel_effects.h"

namespace geometry {
class MeshModel;
}
namespace render {
class CubeMap;
class ImageResource;
class GlowTrailSystem;
class ResourceManager;
}  // namespace render

namespace vehicle {

// The shared tyre and crash sounds, relative to a car's own folder.
constexpr char kCarSoundsFromCarFolder[] = "../../SOUNDS/CARSOUNDS/";
// Medium and heavy landings jolt the controller this hard.
constexpr int kLandingJolt = 10000;
// The shadow grid: points across and along, and its margins beyond the hull (inches).
constexpr uint32_t kShadowGridPoints = 4;
constexpr float kShadowSideMargin = 30.0f;
constexpr float kShadowEndMargin = 10.0f;
// A car placed by hand lays its shadow grid this far above the ground under its tyres (inches).
constexpr float kShadowPlacementLift = 1.0f;

struct PresentationServices {
  app::SoundSampleSource* sounds = nullptr;  // samples and the mixer; no sounds without it
  platform::gfx::Device* device = nullptr;    // shadow buffers; may be null
  std::function<int()> random;                // the game's generator; the C-runtime one when empty
};

class VehiclePresentation final : public VehicleFeatures {
 public:
  VehiclePresentation(Vehicle& car, PresentationServices services);
  // Stops every sound and controller effect and lets go of the glows.
  ~VehiclePresentation() override;

  // Tyre, crash and landing sounds from the shared folder two levels above the car's, the engine's samples
  // from its sound folder (when the car has an engine), and the stunt sounds, which the car's stunt tracker
  // then plays.
  void LoadSounds();
  // The shadow grid sized from the car's hull box.
  void BuildShadow();
  // Glows for the light parts and exhaust points for the named parts (a name no part has puts the exhaust at
  // the origin).
  void LoadLights(render::GlowTrailSystem* glows, const std::vector<BodyPart>& parts);

  // Simulation hooks.
  void AfterCollisions(Vehicle& car, VehicleWorld& world, float dt) override;
  void UpdateAttachments(Vehicle& car, float dt) override;
  void OnPlaced(Vehicle& car) override;
  void PlayCrashSound(Vehicle& car, int kind, int volume) override;
  void ForceJolt(Vehicle& car, int magnitude) override;
  int ChannelsPlaying() const override;
  void SetForceFeedbackDevice(Vehicle& car, ForceFeedbackOutput* device) override;

  // Once per frame (or sub-step) after the car's update: engine mix, tyre loops, controller rumble and timers.
  void UpdateSounds(float dt);
  // Skid marks of the four wheels, each new strip asked of the world (null: no marks).
  void UpdateWheelEffects(VehicleWorld* world, float dt);
  // Glows and exhausts onto the body, lit toward the camera's view direction: the race's every frame, and the
  // showroom's for its car (what the showroom calls TransformCollisionPoints).
  void UpdateLightGlows(const Vec3& cameraDirection);
  // Deletes every upgrade part riding on the body (each gives its model back) and empties the list.
  void DeleteVisualParts() { visualParts.clear(); }
  // Whether the car holds its own environment cube (a file's or one the game draws into).
  bool HasReflectionCubeMap() const { return cubeMap != nullptr; }
  void StartForceFeedback() { feedback.Start(); }
  void StopForceFeedback() { feedback.Stop(); }
  void StopSounds();

  VehicleSounds* Sounds() { return sounds_.get(); }
  EngineSoundMix* EngineSound() { return engineSound_.get(); }
  WheelEffects* WheelEffectsOf(int wheel) { return wheelEffects_[wheel].get(); }

  VehicleLights lights;
  std::unique_ptr<GroundShadow> shadow;
  SurfaceForceFeedback feedback;
  std::unique_ptr<PartModel> driverModel;
  std::unique_ptr<PosableModel> driverAnimation;  // the driver's shared model, kept for driverModel
  std::vector<std::unique_ptr<VisualPartModel>> visualParts;
  // The body models and the car's drawing, when the car was assembled with its appearance.
  std::unique_ptr<VehicleBody> body;
  std::unique_ptr<VehicleRenderer> renderer;
  // The stencil shadow caster (SHADOW_MODEL), or null; given back to shadowModelOwner with the car.
  geometry::MeshModel* shadowModel = nullptr;
  render::ResourceManager* shadowModelOwner = nullptr;
  // The crumpled body the damage model dents toward (DAMAGE_MODEL), or null, and the body's own materials kept
  // for repairs; all given back to damageOwner with the car.
  geometry::MeshModel* damagedModel = nullptr;
  std::vector<render::ImageResource*> bodyMaterials;
  render::ResourceManager* damageOwner = nullptr;
  // The car's environment cube, or null; given back to cubeMapOwner with the car.
  render::CubeMap* cubeMap = nullptr;
  render::ResourceManager* cubeMapOwner = nullptr;
  // The pictures of the definition's HEADLIGHT (the beam thrown on the road), SHADOW (colour and alpha pair
  // drawn on the shadow grid) and NEON (the glow on the ground under the car), each null when the car has
  // none; given back to imageOwner with the car.
  render::ImageResource* headlightTexture = nullptr;
  render::ImageResource* shadowTexture = nullptr;
  render::ImageResource* neonTexture = nullptr;
  render::ResourceManager* imageOwner = nullptr;

 private:
  WheelContact ContactOf(const Wheel& wheel) const;
  bool AnyWheelSkidding() const;
  int Random();

  Vehicle& car_;
  PresentationServices services_;
  std::unique_ptr<VehicleSounds> sounds_;
  std::unique_ptr<EngineSoundMix> engineSound_;
  std::array<std::unique_ptr<WheelEffects>, 4> wheelEffects_;
};

// The presentation of a car built by the game, or null for a bare simulated car (tests, tools).
inline VehiclePresentation* PresentationOf(const Vehicle& car) {
  return dynamic_cast<VehiclePresentation*>(car.features.get());
}

}  // namespace vehicle
