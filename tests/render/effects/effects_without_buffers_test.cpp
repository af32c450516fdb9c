// Effects whose vertex buffers cannot be made (a device out of memory): each still takes its calls and draws nothing.
#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"
#include "render/effects/glow_trails.h"
#include "render/effects/particle_system.h"
#include "render/effects/screen_quad.h"
#include "render/effects/skidmark_manager.h"

namespace {

class EffectsWithoutBuffersTest : public effects_test::EffectsTest {};

TEST_F(EffectsWithoutBuffersTest, EveryEffectTakesItsCallsAndDrawsNothing) {
  auto* failing = new effects_test::FailingBufferDevice(system_, 0, system_.description.adapters[0],
                                                        device_->Parameters());
  failing->failBuffers = true;
  const platform::Matrix4 view = platform::IdentityMatrix();
  {
    render::GlowTrailSystem glows(failing, &Resources(), settings_.get());
    render::GlowPoint* point = glows.AddGlowTrailPoint({0, 0, 100}, render::kGlowBrake, 1.0f, 0);
    ASSERT_NE(point, nullptr) << "the owner still gets a point to write";
    point->scale = 3.0f;
    glows.DrawGlowTrails(failing, view, nullptr);

    render::ParticleEmitter emitter(failing, settings_.get(), 200, 15.0f, {0, 30, 0}, 3.0f, -200.0f, 4, 0.1f);
    EXPECT_FALSE(emitter.AddParticle(std::make_unique<render::Particle>()));
    emitter.Update(0.1f);
    emitter.Draw(failing, view, nullptr);

    render::ScreenQuad quad;
    quad.Create(failing, &Resources(), settings_.get(), "", "", 64, 0.5f);
    quad.DrawFade(failing);
    quad.DrawPass(failing);

    render::SkidmarkManager marks;
    marks.Init(failing, &Resources(), settings_.get(), "TREADS\\tread.png", "TREADS\\treada.png");
    EXPECT_EQ(marks.AddSegment(failing, {0, 0, 0}, view, 2, 8.0f), nullptr);
    marks.Draw(failing, view, nullptr);
    EXPECT_TRUE(failing->Draws().empty());
    quad.Release();
    marks.Shutdown();
  }
  failing->Release();
}

}  // namespace
