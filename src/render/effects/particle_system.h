// The particles of a race or the showroom: one emitter per particle type (smoke, dust, snow, grass, debris,
// sparks, blue sparks, flames), spawned from positions and velocities and drawn as camera-facing sprites.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/effects/particle_emitter.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}

namespace render {

class ImageResource;
class ResourceManager;

enum ParticleType : int32_t {
  kParticleNone = 0, kParticleSmoke, kParticleDust, kParticleSnow, kParticleGrass, kParticleDebris,
  kParticleSparks, kParticleBlueSparks, kParticleFlames,
};
constexpr int kParticleTypeCount = 9;

extern const std::array<const char*, kParticleTypeCount> ParticleTextureNames;
extern const std::array<const char*, kParticleTypeCount> ParticleAlphaTextureNames;
// Fire types load their picture as the image's layer, which puts them in the additive pass.
extern const std::array<const char*, kParticleTypeCount> ParticleFireTextureNames;

// The emitter constants and spawn chance of one type (inches, seconds).
struct ParticleTypeConstants {
  uint32_t baseCap;
  float quadSize;
  Vec3 gravity;
  float growth;
  float alphaRate;
  uint32_t grid;
  float frameTime;
  float spawnChance;
};
extern const std::array<ParticleTypeConstants, kParticleTypeCount> ParticleTypeTable;
// The PARTICLES setting (NONE, SOME, LOTS) scales every cap.
extern const std::array<float, 3> ParticleDetailFactors;

class ParticleSystem {
 public:
  // Loads the images and builds the emitters; the manager and settings must outlive the system.
  ParticleSystem(platform::gfx::Device* device, ResourceManager* resourceManager, const app::Settings* settings);
  ~ParticleSystem();
  ParticleSystem(const ParticleSystem&) = delete;
  ParticleSystem& operator=(const ParticleSystem&) = delete;

  void CreateEmitters(platform::gfx::Device* device);
  // One spawn attempt: a random chance by type, then one particle with random variation. Types outside 0-8
  // are ignored.
  void SpawnBurst(int32_t type, const Vec3* position, const Vec3* velocity);
  void Update(float dt);
  // Blended types, then additive ones.
  void Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  // Only the additive types, for the light-trail capture.
  void DrawSecondPass(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);
  // Gives the images back and deletes the emitters.
  void Release();

  // The particles of one type: for the race's bookkeeping and tests (null outside 0-8 or after Release).
  ParticleEmitter* Emitter(int32_t type) const;

  const app::Settings* settings;
  ResourceManager* resources;
  std::vector<std::unique_ptr<ParticleEmitter>> emitters;
  std::vector<ImageResource*> images;

 private:
  void SetPassStates(platform::gfx::Device* device, bool additive);
  void DrawTypes(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum, bool additive);
  void RestoreStates(platform::gfx::Device* device);
};

}  // namespace render
