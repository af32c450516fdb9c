// The one-draw buffers of particles, glows and tyre marks across a device reset: the resource manager's reset
// pair gives them back before the reset (which a device that insists on an empty default pool then allows) and
// makes them again after it, and an effect that goes leaves the manager's list.
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"
#include "render/effects/glow_trails.h"
#include "render/effects/particle_system.h"
#include "render/effects/skidmark_manager.h"

namespace {

class EffectsDeviceResetTest : public effects_test::EffectsTest {};

// One effect made through the game's own constructors, and a way to draw something with it.
struct Effect {
  std::shared_ptr<void> owner;
  std::function<void()> draw;
};

TEST_F(EffectsDeviceResetTest, OneDrawBuffersAreGivenBackBeforeAResetAndMadeAgainAfterIt) {
  render::ResourceManager& resources = Resources();
  platform::gfx::Device* device = device_;
  app::Settings* settings = settings_.get();
  SetInt(app::SettingId::GLOWDETAIL, 2);
  SetInt(app::SettingId::PARTICLES, 2);
  const platform::Matrix4 view = platform::LookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
  const struct {
    const char* what;
    std::function<Effect()> make;
  } cases[] = {
      {"particles",
       [&] {
         auto system = std::make_shared<render::ParticleSystem>(device, &resources, settings);
         render::ParticleEmitter* smoke = system->Emitter(1);
         return Effect{system, [smoke, device, view] {
                         auto particle = std::make_unique<render::Particle>();
                         particle->position = {0, 0, 100};
                         particle->life = 10.0f;
                         smoke->AddParticle(std::move(particle));
                         smoke->Draw(device, view, nullptr);
                       }};
       }},
      {"glows",
       [&] {
         auto glows = std::make_shared<render::GlowTrailSystem>(device, &resources, settings);
         glows->AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
         render::GlowTrailSystem* raw = glows.get();
         return Effect{glows, [raw, device, view] { raw->DrawGlowTrails(device, view, nullptr); }};
       }},
      {"tyre marks",
       [&] {
         auto marks = std::make_shared<render::SkidmarkManager>();
         marks->Init(device, &resources, settings, "TREADS\\tread.png", "TREADS\\treada.png");
         render::SkidmarkSegment* strip = marks->AddSegment(device, {0, 0, 100}, platform::IdentityMatrix(), 1, 8.0f);
         if (strip != nullptr) strip->Grow(device, {0, 0, 110}, platform::IdentityMatrix(), 0.1f);
         render::SkidmarkManager* raw = marks.get();
         return Effect{marks, [raw, device, view] { raw->Draw(device, view, nullptr); }};
       }},
  };
  ASSERT_EQ(device_->LiveDefaultPoolResources(), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Effect effect = c.make();
    EXPECT_GT(resources.DeviceBufferHolderCount(), 0u) << "the effect's batches joined the resets";
    device_->ClearRecords();
    effect.draw();
    ASSERT_EQ(device_->Draws().size(), 1u);
    ASSERT_EQ(device_->LiveDefaultPoolResources(), 1) << "the drawing batch holds a default-pool buffer";

    for (int reset = 0; reset < 2; ++reset) {
      // As the application does before a reset: the device lets go of what the last draw had bound.
      device_->SetStreamSource(0, nullptr, 0);
      resources.InvalidateDeviceObjects();
      EXPECT_EQ(device_->LiveDefaultPoolResources(), 0) << "given back before the reset";
      platform::gfx::PresentParameters parameters = device_->Parameters();
      ASSERT_EQ(device_->Reset(parameters), platform::kOk) << "the strict device takes the reset";
      resources.RestoreDeviceObjects(device_);
      EXPECT_EQ(device_->LiveDefaultPoolResources(), 1) << "made again after it";
      device_->ClearRecords();
      effect.draw();
      EXPECT_EQ(device_->Draws().size(), 1u) << "still draws";
      EXPECT_EQ(device_->LiveDefaultPoolResources(), 1) << "into the buffer made again, not a new one";
    }
    effect = {};
    device_->SetStreamSource(0, nullptr, 0);
    EXPECT_EQ(device_->LiveDefaultPoolResources(), 0) << "the effect took its buffer with it";
    EXPECT_EQ(resources.DeviceBufferHolderCount(), 0u) << "a batch that goes leaves the manager's list";
  }
}

// A batch whose manager went first no longer reaches it, and still draws.
TEST_F(EffectsDeviceResetTest, ABatchOutlivesItsManagerSafely) {
  render::SpriteBatch batch;
  batch.JoinDeviceResets(&Resources());
  batch.Add(platform::IdentityMatrix(), 10.0f, 1.0f, 1.0f, 0, 0, render::kOpaqueWhite);
  resources_.reset();
  EXPECT_EQ(batch.ResetManager(), nullptr);
  EXPECT_TRUE(batch.Draw(device_));
}

}  // namespace
