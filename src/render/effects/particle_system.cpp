// Particle types, their images and emitters, spawning recipes and the two drawing passes.
#include "render/effects/particle_system.h"

#include <cmath>
#include <string>

#include "app/settings.h"
#include "platform/os.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace render {

const std::array<const char*, kParticleTypeCount> ParticleTextureNames = {
    "", "PARTICLES//smoke.png", "PARTICLES//dust.png", "PARTICLES//snow.png", "PARTICLES//grass.png",
    "PARTICLES//debris.png", "", "", "",
};
const std::array<const char*, kParticleTypeCount> ParticleAlphaTextureNames = {
    "", "PARTICLES//smokea.png", "PARTICLES//dusta.png", "PARTICLES//dusta.png", "PARTICLES//grassa.png",
    "PARTICLES//debrisa.png", "", "", "",
};
const std::array<const char*, kParticleTypeCount> ParticleFireTextureNames = {
    "", "", "", "", "", "", "PARTICLES//sparks.png", "PARTICLES//bluesparks.png", "PARTICLES//flames.png",
};

const std::array<ParticleTypeConstants, kParticleTypeCount> ParticleTypeTable = {{
    {0, 0.0f, {0, 0, 0}, 0.0f, 0.0f, 0, 0.0f, 0.0f},
    {200, 15.0f, {0, 30, 0}, 3.0f, -200.0f, 4, 0.1f, 0.25f},
    {200, 25.0f, {0, 40, 0}, 3.0f, -200.0f, 0, 0.0f, 0.25f},
    {200, 25.0f, {0, 40, 0}, 3.0f, -200.0f, 0, 0.0f, 0.25f},
    {200, 2.0f, {0, -80, 0}, 0.0f, 0.0f, 0, 0.0f, 1.0f},
    {200, 3.0f, {0, -200, 0}, 0.0f, 0.0f, 4, 0.1f, 0.5f},
    {200, 20.0f, {0, -300, 0}, 0.0f, 0.0f, 4, 0.05f, 0.9f},
    {200, 20.0f, {0, -300, 0}, 0.0f, 0.0f, 4, 0.05f, 0.9f},
    {200, 10.0f, {0, 60, 0}, 1.0f, 0.0f, 4, 0.025f, 0.75f},
}};

const std::array<float, 3> ParticleDetailFactors = {0.0f, 0.5f, 1.0f};

namespace {

using platform::gfx::Blend;
using platform::gfx::RenderState;
using platform::gfx::TextureStageState;
namespace arg = platform::gfx::texture_arg;

// An integer 0 .. k-1 from the game's one random generator.
int R(int k) { return platform::CrtRand() % k; }
// From -50 m to 49 m in steps of m.
float S(float m) { return static_cast<float>(R(100) - 50) * m; }
float SizeDraw(float base, float divisor) { return base + static_cast<float>(R(1000)) / divisor; }

}  // namespace

ParticleSystem::ParticleSystem(platform::gfx::Device* device, ResourceManager* resourceManager,
                               const app::Settings* systemSettings)
    : settings(systemSettings), resources(resourceManager) {
  CreateEmitters(device);
}

ParticleSystem::~ParticleSystem() { Release(); }

void ParticleSystem::CreateEmitters(platform::gfx::Device* device) {
  int detail = settings != nullptr ? settings->GetInt(app::SettingId::PARTICLES) : 0;
  // A detail value outside the three choices counts as the nearest one.
  if (detail < 0) detail = 0;
  if (detail > 2) detail = 2;
  const float factor = ParticleDetailFactors[static_cast<size_t>(detail)];
  for (int type = 0; type < kParticleTypeCount; ++type) {
    const std::string colour = ParticleTextureNames[type];
    const std::string layer = ParticleFireTextureNames[type];
    ImageResource* image = nullptr;
    if ((!colour.empty() || !layer.empty()) && resources != nullptr) {
      image = resources->CreateImage(device, colour, ParticleAlphaTextureNames[type], layer, "", "", false, true);
    }
    images.push_back(image);
    const ParticleTypeConstants& c = ParticleTypeTable[type];
    const auto cap = static_cast<uint32_t>(std::floor(static_cast<float>(c.baseCap) * factor));
    emitters.push_back(std::make_unique<ParticleEmitter>(device, settings, cap, c.quadSize, c.gravity, c.growth,
                                                         c.alphaRate, c.grid, c.frameTime));
    emitters.back()->batch.JoinDeviceResets(resources);
  }
}

ParticleEmitter* ParticleSystem::Emitter(int32_t type) const {
  if (type < 0 || static_cast<size_t>(type) >= emitters.size()) return nullptr;
  return emitters[static_cast<size_t>(type)].get();
}

void ParticleSystem::SpawnBurst(int32_t type, const Vec3* position, const Vec3* velocity) {
  if (type < 0 || type >= kParticleTypeCount || position == nullptr || velocity == nullptr) return;
  const float r = static_cast<float>(R(1000)) / 1000.0f;
  if (r > ParticleTypeTable[type].spawnChance) return;
  if (type == kParticleNone) return;
  ParticleEmitter* emitter = Emitter(type);
  if (emitter == nullptr) return;

  auto p = std::make_unique<Particle>();
  const Vec3 at = *position;
  const Vec3 v = *velocity;
  switch (type) {
    case kParticleSmoke:
    case kParticleDust:
    case kParticleSnow:
      p->position = at;
      p->velocity = v + Vec3{0, 20, 0};
      p->spin = S(type == kParticleSnow ? 5.0f : 10.0f);
      p->angle = static_cast<float>(R(360));
      p->size = SizeDraw(1.0f, 2000.0f);
      p->life = 2.0f;
      break;
    case kParticleGrass: {
      const float a = S(0.1f);
      const float b = S(0.1f);
      p->spin = S(20.0f);
      p->angle = static_cast<float>(R(360));
      p->position = at + Vec3{b, 0, a};
      p->velocity = v * 40.0f + Vec3{0, 100, 0};
      p->size = 1.0f;
      p->life = 0.5f;
      break;
    }
    case kParticleDebris:
      p->frame = static_cast<float>(R(15));
      p->spin = S(4.0f);
      p->angle = static_cast<float>(R(360));
      p->size = SizeDraw(0.5f, 2000.0f);
      p->position = at;
      p->velocity = v * 20.0f + Vec3{0, 100, 0};
      p->maxLoops = 1;
      break;
    case kParticleSparks:
    case kParticleBlueSparks: {
      const float u = type == kParticleSparks ? static_cast<float>(R(20) + 50) : 100.0f;
      const float a = S(0.2f);
      const float b = S(0.2f);
      const float c = S(0.2f);
      p->frame = static_cast<float>(R(15));
      p->spin = S(4.0f);
      p->angle = static_cast<float>(R(360));
      p->size = SizeDraw(0.25f, 2000.0f);
      p->position = at + Vec3{c, b, a};
      p->velocity = v * (type == kParticleSparks ? 20.0f : 40.0f) + Vec3{0, u, 0};
      p->maxLoops = 1;
      break;
    }
    case kParticleFlames: {
      const float a = S(0.05f);
      const float b = S(0.05f);
      const float c = S(0.05f);
      p->spin = S(4.0f);
      p->angle = static_cast<float>(R(360));
      p->size = SizeDraw(0.5f, 1000.0f);
      p->position = at + Vec3{c, b, a};
      p->velocity = v;
      p->maxLoops = 1;
      break;
    }
    default:
      return;
  }
  emitter->AddParticle(std::move(p));
}

void ParticleSystem::Update(float dt) {
  for (auto& emitter : emitters) emitter->Update(dt);
}

void ParticleSystem::SetPassStates(platform::gfx::Device* device, bool additive) {
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::Lighting, false);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
  device->SetRenderState(RenderState::SrcBlend, additive ? Blend::One : Blend::SrcAlpha);
  device->SetRenderState(RenderState::DestBlend, additive ? Blend::One : Blend::InvSrcAlpha);
  device->SetRenderState(RenderState::ZWriteEnable, false);
}

void ParticleSystem::DrawTypes(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum,
                               bool additive) {
  for (size_t type = 0; type < images.size() && type < emitters.size(); ++type) {
    const ImageResource* image = images[type];
    if (image == nullptr || !image->loaded) continue;
    platform::gfx::Texture* layer = image->GetLayerTexture();
    if ((layer != nullptr) != additive) continue;
    device->SetTexture(0, additive ? layer : image->GetImageTexture());
    emitters[type]->Draw(device, view, frustum);
  }
}

void ParticleSystem::RestoreStates(platform::gfx::Device* device) {
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  device->SetRenderState(RenderState::ZWriteEnable, true);
}

void ParticleSystem::Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  if (device == nullptr) return;
  SetPassStates(device, false);
  DrawTypes(device, view, frustum, false);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::One);
  DrawTypes(device, view, frustum, true);
  RestoreStates(device);
}

void ParticleSystem::DrawSecondPass(platform::gfx::Device* device, const Matrix4& view,
                                    const ViewFrustum* frustum) {
  if (device == nullptr) return;
  SetPassStates(device, true);
  DrawTypes(device, view, frustum, true);
  RestoreStates(device);
}

void ParticleSystem::Release() {
  if (resources != nullptr) {
    for (ImageResource* image : images) {
      if (image != nullptr) resources->ReleaseImage(image);
    }
  }
  images.clear();
  emitters.clear();
}

}  // namespace render
