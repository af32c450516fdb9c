// The live particles of one particle type: motion under gravity, growth, fading, flip-book animation and death,
// drawn as one shared camera-facing quad per particle.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "render/effects/effect_vertex.h"
#include "render/scene/view_frustum.h"

namespace app {
class Settings;
}

namespace render {

using platform::Matrix4;
using platform::Vec3;

// Sizes never shrink below this, so a quad never collapses to nothing or flips.
constexpr float kMinParticleSize = 0.001f;
// Without distance fading a particle vanishes at once when its alpha drops below this.
constexpr float kUnfadedAlphaCutoff = 75.0f;

struct Particle {
  Vec3 position;
  Vec3 velocity;  // inches per second
  float size = 1.0f;
  float age = 0;
  float life = 0;    // seconds; used only when maxLoops is 0
  float angle = 0;   // degrees about the view axis
  float spin = 0;    // degrees per second
  float alpha = 255.0f;
  float frame = 0;
  uint32_t maxLoops = 0;  // flip-book cycles after which the particle dies; 0: dies by life
  uint32_t loops = 0;
};

class ParticleEmitter {
 public:
  ParticleEmitter(platform::gfx::Device* device, const app::Settings* emitterSettings, uint32_t cap, float quad,
                  const Vec3& fall, float grow, float fade, uint32_t grid, float secondsPerFrame);
  ~ParticleEmitter();
  ParticleEmitter(const ParticleEmitter&) = delete;
  ParticleEmitter& operator=(const ParticleEmitter&) = delete;

  // Accepts the particle while enabled and the count of the last update is below the cap; a refused particle is
  // deleted. Returns whether it was accepted.
  bool AddParticle(std::unique_ptr<Particle> particle);
  // Ages, moves and animates every particle and removes the dead ones (dt in seconds).
  void Update(float dt);
  // Draws every particle inside the frustum's box (null: no culling); one outside is marked to die at the next
  // update. The quads go to the device in one draw, already turned to the camera and carried into view space, each
  // with its flip-book cell in its texture coordinates and its fade in its vertex alpha; the view transform is
  // left at the given view.
  void Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum);

  const app::Settings* settings;
  Vec3 gravity;
  uint32_t liveCount = 0;
  // Particles accepted since the emitter was made (for reports and tests).
  uint64_t acceptedCount = 0;
  uint32_t maxParticles;
  uint32_t gridSize;
  uint32_t frameCount;
  float quadSize;
  float cellSize;
  float growth;
  float alphaRate;
  float frameTime;
  bool enabled = false;
  std::list<std::unique_ptr<Particle>> particles;  // newest first
  platform::gfx::VertexBuffer* quad = nullptr;
  SpriteBatch batch;  // the quads of one draw

 private:
  void CreateQuad(platform::gfx::Device* device);
  bool FadeActive() const;
};

}  // namespace render
