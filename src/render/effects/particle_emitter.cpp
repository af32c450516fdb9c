// Particle ageing, motion and drawing for one particle type.
#include "render/effects/particle_emitter.h"

#include <cmath>

#include "app/settings.h"
#include "platform/math/math.h"
#include "render/effects/effect_vertex.h"

namespace render {

namespace {

constexpr float kDegreesToRadians = platform::kPi / 180.0f;

}  // namespace

ParticleEmitter::ParticleEmitter(platform::gfx::Device* device, const app::Settings* emitterSettings, uint32_t cap,
                                 float quad, const Vec3& fall, float grow, float fade, uint32_t grid,
                                 float secondsPerFrame)
    : settings(emitterSettings),
      gravity(fall),
      maxParticles(cap),
      gridSize(grid),
      frameCount(grid * grid),
      quadSize(quad),
      cellSize(grid * grid > 1 ? 1.0f / static_cast<float>(grid) : 1.0f),
      growth(grow),
      alphaRate(fade),
      frameTime(secondsPerFrame) {
  CreateQuad(device);
}

ParticleEmitter::~ParticleEmitter() {
  if (quad != nullptr) quad->Release();
}

void ParticleEmitter::CreateQuad(platform::gfx::Device* device) {
  quad = CreateEffectBuffer(device, 4);
  if (quad == nullptr) return;
  enabled = WriteSpriteQuad(quad, quadSize, 0.0f, cellSize);
}

bool ParticleEmitter::FadeActive() const {
  return alphaRate != 0.0f && settings != nullptr && settings->GetInt(app::SettingId::ALPHAFADE) != 0;
}

bool ParticleEmitter::AddParticle(std::unique_ptr<Particle> particle) {
  if (!enabled || particle == nullptr || liveCount >= maxParticles) return false;
  particles.push_front(std::move(particle));
  ++acceptedCount;
  return true;
}

void ParticleEmitter::Update(float dt) {
  if (!enabled) return;
  const float step = dt * alphaRate;
  // A still picture has no frame time; its frame counter is never read.
  const float frames = frameTime > 0.0f ? dt / frameTime : 0.0f;
  const float last = static_cast<float>(frameCount) - 0.5f;
  const bool fade = FadeActive();
  liveCount = 0;
  for (auto it = particles.begin(); it != particles.end();) {
    Particle& p = **it;
    ++liveCount;
    bool dead = false;
    p.alpha += step;
    if (p.alpha > 255.0f) p.alpha = 255.0f;
    if (p.alpha < 0.0f) {
      p.alpha = 0.0f;
      dead = true;
    } else if (!fade && p.alpha < kUnfadedAlphaCutoff) {
      p.alpha = 0.0f;
      dead = true;
    }
    if (frameCount > 1) {
      p.frame += frames;
      if (p.frame >= last) {
        ++p.loops;
        p.frame -= static_cast<float>(frameCount);
        if (p.maxLoops > 0 && p.loops >= p.maxLoops) dead = true;
      }
    }
    p.angle += dt * p.spin;
    p.age += dt;
    if (p.maxLoops == 0 && p.age >= p.life) dead = true;
    p.velocity += gravity * dt;
    p.position += p.velocity * dt;
    p.size += dt * growth;
    if (p.size < kMinParticleSize) p.size = kMinParticleSize;
    it = dead ? particles.erase(it) : std::next(it);
  }
}

void ParticleEmitter::Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  if (!enabled || device == nullptr) return;
  const Matrix4 billboard = BillboardOf(view);
  const bool fade = FadeActive();
  const bool animated = frameCount > 1;
  batch.Clear();
  for (const auto& particle : particles) {
    Particle& p = *particle;
    if (frustum != nullptr) {
      const float r = p.size * quadSize;
      if (frustum->ClassifySphere(p.position, r) == kSphereOutside) {
        p.alpha = -1.0f;
        continue;
      }
    }
    float cellU = 0, cellV = 0;
    if (animated) {
      // Kept inside the grid even if a long frame pushed the counter past one cycle.
      const int64_t f = static_cast<int64_t>(std::floor(p.frame + 0.5f)) % frameCount;
      const int64_t row = f / gridSize;
      const int64_t column = f - static_cast<int64_t>(gridSize) * row;
      cellU = static_cast<float>(column) * cellSize;
      cellV = static_cast<float>(row) * cellSize;
    }
    // The fade rides in the vertex alpha, which the texture's alpha is modulated by; the colour stays white.
    uint32_t colour = kOpaqueWhite;
    if (fade) {
      const uint32_t a = static_cast<uint32_t>(static_cast<int32_t>(std::floor(p.alpha + 0.5f))) & 0xFF;
      colour = (a << 24) | 0x00FFFFFFu;
    }
    const Matrix4 placed = platform::ScalingMatrix(p.size, p.size, 0.0f) *
                           platform::RotationZMatrix(p.angle * kDegreesToRadians) * billboard *
                           platform::TranslationMatrix(p.position) * view;
    batch.Add(placed, quadSize, 0.0f, cellSize, cellU, cellV, colour);
  }
  if (batch.Count() == 0) return;
  batch.Draw(device);
  device->SetTransform(platform::gfx::TransformState::View, view);
}

}  // namespace render
