// Particles with injected time: ageing and fading, flip-book loops, the cap, culling, the drawn quad facing the
// camera, smoke's spawn chance and a flame's life. The race's tests throw sparks from crashes.
#include "render/effects/particle_system.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/math/math.h"
#include "platform/os.h"
#include "render/effects/effects_test_support.h"

namespace {

using platform::Vec3;
using platform::gfx::RenderState;
using platform::gfx::TextureStageState;
using render::Particle;
using render::ParticleEmitter;
using render::ParticleSystem;

class ParticleTest : public effects_test::EffectsTest {
 protected:
  // An emitter with the smoke constants of the type table unless told otherwise.
  std::unique_ptr<ParticleEmitter> Emitter(uint32_t cap = 200, float alphaRate = -200.0f, uint32_t grid = 4,
                                           float frameTime = 0.1f, float growth = 3.0f) {
    return std::make_unique<ParticleEmitter>(device_, settings_.get(), cap, 15.0f, Vec3{0, 30, 0}, growth,
                                             alphaRate, grid, frameTime);
  }
  static std::unique_ptr<Particle> Make(float life = 2.0f, uint32_t maxLoops = 0) {
    auto p = std::make_unique<Particle>();
    p->life = life;
    p->maxLoops = maxLoops;
    return p;
  }
  // Steps until the emitter is empty; returns the seconds that took (or -1 after the limit).
  static float Lifetime(ParticleEmitter& emitter, float dt, int limit = 1000) {
    for (int i = 1; i <= limit; ++i) {
      emitter.Update(dt);
      if (emitter.particles.empty()) return static_cast<float>(i) * dt;
    }
    return -1.0f;
  }
  // A camera at the origin looking down +z.
  static render::ViewFrustum FrustumAhead(platform::Matrix4* view) {
    *view = platform::LookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
    render::ViewFrustum frustum;
    frustum.BuildOrdinary(*view, platform::PerspectiveFovLH(1.0f, 1.0f, 1.0f, 1000.0f));
    return frustum;
  }
};

TEST_F(ParticleTest, SmokeVanishesBelow75WithoutFadingAndFadesOutWithIt) {
  SetInt(app::SettingId::ALPHAFADE, 0);
  auto unfaded = Emitter();
  unfaded->AddParticle(Make());
  EXPECT_FLOAT_EQ(Lifetime(*unfaded, 0.125f), 1.0f) << "alpha 55 after 1 s is below 75";
  SetInt(app::SettingId::ALPHAFADE, 1);
  auto faded = Emitter();
  faded->AddParticle(Make());
  for (int i = 0; i < 10; ++i) faded->Update(0.125f);
  ASSERT_EQ(faded->particles.size(), 1u);
  EXPECT_FLOAT_EQ(faded->particles.front()->alpha, 5.0f);
  faded->Update(0.125f);
  EXPECT_TRUE(faded->particles.empty()) << "gone once alpha drops below 0, before its 2 s life";
  auto lasting = Emitter(200, 0.0f, 0, 0.0f, 0.0f);
  lasting->AddParticle(Make(0.5f));
  EXPECT_FLOAT_EQ(Lifetime(*lasting, 0.125f), 0.5f) << "without an alpha rate only its life ends it";
}

TEST_F(ParticleTest, FlipBookWrapCountsALoopAndOneLoopEndsADebrisParticle) {
  auto emitter = Emitter(200, 0.0f, 4, 0.125f, 0.0f);
  emitter->AddParticle(Make(100.0f, 1));
  auto keeps = Make(100.0f, 0);
  Particle* looping = keeps.get();
  emitter->AddParticle(std::move(keeps));
  for (int i = 0; i < 15; ++i) emitter->Update(0.125f);
  EXPECT_EQ(emitter->particles.size(), 2u);
  EXPECT_EQ(looping->frame, 15.0f);
  emitter->Update(0.125f);
  ASSERT_EQ(emitter->particles.size(), 1u) << "the one-loop particle died at its first wrap (2 s)";
  EXPECT_EQ(looping->loops, 1u);
  EXPECT_EQ(looping->frame, 0.0f) << "16 - 16";
}

TEST_F(ParticleTest, CapComparesWithTheCountOfTheLastUpdate) {
  auto emitter = Emitter(2);
  EXPECT_TRUE(emitter->AddParticle(Make()));
  EXPECT_TRUE(emitter->AddParticle(Make()));
  EXPECT_TRUE(emitter->AddParticle(Make())) << "no update yet: the count is still 0";
  emitter->Update(0.01f);
  EXPECT_EQ(emitter->liveCount, 3u);
  EXPECT_FALSE(emitter->AddParticle(Make()));
  EXPECT_EQ(emitter->particles.size(), 3u);
  auto none = Emitter(0);
  EXPECT_FALSE(none->AddParticle(Make())) << "a cap of 0 accepts nothing";
}

TEST_F(ParticleTest, ParticleOutsideTheViewBoxIsDroppedEvenIfTheCameraTurnsBack) {
  auto emitter = Emitter(200, 0.0f, 0, 0.0f, 0.0f);
  auto inside = Make(10.0f);
  inside->position = {0, 0, 100};
  auto outside = Make(10.0f);
  outside->position = {0, 0, -100};
  emitter->AddParticle(std::move(outside));
  emitter->AddParticle(std::move(inside));
  platform::Matrix4 view;
  const render::ViewFrustum frustum = FrustumAhead(&view);
  emitter->Draw(device_, view, &frustum);
  EXPECT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(emitter->particles.back()->alpha, -1.0f);
  emitter->Update(0.01f);
  ASSERT_EQ(emitter->particles.size(), 1u);
  EXPECT_EQ(emitter->particles.front()->position.z, 100.0f);
}

TEST_F(ParticleTest, DrawFacesTheCameraPicksFramesAndFadesByVertexAlpha) {
  auto emitter = Emitter();
  auto made = Make();
  made->position = {10, 20, 300};
  made->size = 2.0f;
  made->frame = 5.4f;
  made->alpha = 100.4f;
  emitter->AddParticle(std::move(made));
  auto second = Make();
  second->position = {-40, 0, 200};
  second->alpha = 255.0f;
  emitter->AddParticle(std::move(second));
  platform::Matrix4 view = platform::LookAtLH({0, 0, 0}, {1, 0, 1}, {0, 1, 0});
  emitter->Draw(device_, view, nullptr);
  // Both quads in one list, the newest first, already in view space.
  ASSERT_EQ(device_->Draws().size(), 1u);
  EXPECT_EQ(device_->Draws()[0].type, platform::gfx::PrimitiveType::TriangleList);
  EXPECT_EQ(device_->Draws()[0].primitiveCount, 4u);
  const std::vector<render::EffectVertex> vertices = DrawnVertices();
  ASSERT_EQ(vertices.size(), 12u);
  // The older particle's quad: its top-right corner (7.5, 7.5) lands 15 units right and up of it, as the camera
  // sees it.
  const render::EffectVertex* quad = &vertices[6];
  const Vec3 centre = platform::TransformCoord({10, 20, 300}, view);
  EXPECT_NEAR(quad[1].x - centre.x, 15.0f, 1e-3f);
  EXPECT_NEAR(quad[1].y - centre.y, 15.0f, 1e-3f);
  EXPECT_NEAR(quad[1].z - centre.z, 0.0f, 1e-3f);
  // Frame 5 of the 4 x 4 grid is column 1, row 1: the quad's cell starts at (0.25, 0.25) and is 0.25 wide.
  EXPECT_EQ(quad[0].u, 0.25f);
  EXPECT_EQ(quad[0].v, 0.25f);
  EXPECT_EQ(quad[2].u, 0.5f);
  EXPECT_EQ(quad[2].v, 0.5f);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(quad[i].diffuse, (100u << 24) | 0xFFFFFFu) << "faded to 100";
  for (int i = 0; i < 6; ++i) EXPECT_EQ(vertices[i].diffuse, 0xFFFFFFFFu) << "the newer one unfaded";
  // The quad's two triangles are the fan's: corners 0, 1, 2 and 0, 2, 3.
  EXPECT_EQ(quad[3].x, quad[0].x);
  EXPECT_EQ(quad[4].x, quad[2].x);
  EXPECT_EQ(Stage(TextureStageState::TextureTransformFlags), 0u) << "no texture transform";
  EXPECT_EQ(Stage(TextureStageState::ColorOp), static_cast<uint32_t>(platform::gfx::TextureOp::Modulate));
  platform::Matrix4 left;
  device_->GetTransform(platform::gfx::TransformState::View, left);
  EXPECT_EQ(std::memcmp(&left, &view, sizeof(view)), 0) << "the view is left as given";
}

class ParticleSystemTest : public ParticleTest {};

TEST_F(ParticleSystemTest, SmokePassesAQuarterOfItsChancesAndAFlameLivesFifteenAndAHalfFrames) {
  ParticleSystem system(device_, &Resources(), settings_.get());
  const Vec3 at{100, 5, -50};
  const Vec3 still{0, 0, 0};
  platform::CrtSeed(1);
  for (int i = 0; i < 400; ++i) system.SpawnBurst(render::kParticleSmoke, &at, &still);
  const size_t smoke = system.Emitter(render::kParticleSmoke)->particles.size();
  EXPECT_GT(smoke, 50u);
  EXPECT_LT(smoke, 160u);
  ParticleEmitter* flames = system.Emitter(render::kParticleFlames);
  while (flames->particles.empty()) system.SpawnBurst(render::kParticleFlames, &at, &still);
  float flameLife = 0.0f;
  while (!flames->particles.empty() && flameLife < 1.0f) {
    system.Update(0.0125f);
    flameLife += 0.0125f;
  }
  EXPECT_NEAR(flameLife, 0.3875f, 0.0126f) << "whatever its random draws";
}

}  // namespace
