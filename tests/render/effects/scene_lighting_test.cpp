// Scene lighting on the device: range-tested local lights in the object's frame, suns first, the MAXLIGHTS limit
// and the switch-off of unused indices. The race's sun is pixel-tested in race_frame_test.cpp.
#include "render/effects/scene_lighting.h"

#include <gtest/gtest.h>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"

namespace {

using geometry::SceneNode;
using platform::Vec3;
using render::SceneLighting;

class SceneLightingTest : public effects_test::EffectsTest {
 protected:
  static std::unique_ptr<SceneNode> Sun(const Vec3& direction) {
    return std::make_unique<SceneNode>("SUN", 2, 0.0f, Vec3{0, 0, 0}, direction, Vec3{1, 1, 1});
  }
  static std::unique_ptr<SceneNode> Lamp(const Vec3& position, float range, int32_t kind = 0) {
    auto node = std::make_unique<SceneNode>("LAMP", kind, range, position, Vec3{0, -1, 0}, Vec3{1, 1, 0});
    node->SetRange(range);
    return node;
  }
  bool Enabled(uint32_t index) const {
    bool on = false;
    device_->GetLightEnable(index, on);
    return on;
  }
  platform::gfx::Light LightAt(uint32_t index) const {
    platform::gfx::Light light;
    device_->GetLight(index, light);
    return light;
  }
};

TEST_F(SceneLightingTest, LightsAreGivenInTheObjectsFrameAndTestedByRange) {
  SceneLighting lighting(settings_.get());
  lighting.AddLight(Lamp({100, 0, 0}, 50.0f));   // exactly at range from the object: not set
  lighting.AddLight(Lamp({60, 0, 0}, 50.0f));    // 10 from the object
  lighting.AddLight(Sun({0, -1, 0}));
  const platform::Matrix4 world = platform::RotationYMatrix(platform::kPi / 2) * platform::TranslationMatrix(50, 0, 0);
  lighting.Apply(device_, world);
  EXPECT_TRUE(Enabled(0));
  EXPECT_EQ(LightAt(0).type, platform::gfx::LightType::Directional) << "the sun claims index 0";
  EXPECT_TRUE(Enabled(1));
  const Vec3 local = LightAt(1).position;
  EXPECT_NEAR(platform::Length(local), 10.0f, 1e-4f);
  EXPECT_NEAR(local.z, 10.0f, 1e-4f) << "world +x is the object's +z after its quarter turn";
  for (uint32_t i = 2; i < 8; ++i) EXPECT_FALSE(Enabled(i)) << i;
  EXPECT_EQ(lighting.lights->back()->position, (Vec3{100, 0, 0})) << "nodes keep their world position";
}

TEST_F(SceneLightingTest, MaxLightsBoundsTheIndicesSetAndSunsClaimThemFirst) {
  struct Case {
    int maxLights;
    bool enabled0, enabled1, enabled2, enabled5;
    const char* what;
  };
  const Case cases[] = {
      {2, true, true, false, true, "the point light finds no free index; nothing beyond MAXLIGHTS is touched"},
      {0, true, false, false, true, "no lights set: the enables stay as they were"},
      {2000000000, true, true, true, false, "a huge limit stops at the device's table and switches unused ones off"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetInt(app::SettingId::MAXLIGHTS, c.maxLights);
    SceneLighting lighting(settings_.get());
    lighting.AddLight(Lamp({0, 0, 0}, 100.0f));
    for (int i = 0; i < 2; ++i) lighting.AddLight(Sun({0, -1, 0}));
    for (uint32_t i = 0; i < 8; ++i) device_->LightEnable(i, false);
    device_->LightEnable(0, true);
    device_->LightEnable(5, true);
    lighting.Apply(device_, platform::IdentityMatrix());
    EXPECT_EQ(Enabled(0), c.enabled0);
    EXPECT_EQ(Enabled(1), c.enabled1);
    EXPECT_EQ(Enabled(2), c.enabled2);
    EXPECT_EQ(Enabled(5), c.enabled5);
    if (c.maxLights == 0) {
      EXPECT_EQ(Render(platform::gfx::RenderState::Ambient), 0x00141414u);
    }
  }
}

// A released lighting holds neither material nor lights: applying it sets the ambient level alone, leaving the
// device's material and light enables as they were; new lights are not taken; the sun found before stays.
// Lights never released go with the object (the leak check of the sanitised build watches that).
TEST_F(SceneLightingTest, ReleaseDropsTheMaterialAndEveryLightAndLeavesAnObjectThatTouchesNoLight) {
  SetInt(app::SettingId::MAXLIGHTS, 8);
  SceneLighting kept(settings_.get());
  kept.AddLight(Lamp({0, 0, 0}, 100.0f));
  kept.AddLight(Sun({0, 0, 1}));

  SceneLighting lighting(settings_.get());
  lighting.AddLight(Lamp({0, 0, 0}, 100.0f));
  lighting.AddLight(Sun({1, 0, 0}));
  lighting.SetAmbient(0.5f, 0.5f, 0.5f);
  ASSERT_EQ(*lighting.FindSunLight(), (Vec3{1, 0, 0}));
  lighting.Release();
  EXPECT_EQ(lighting.material, nullptr);
  EXPECT_EQ(lighting.lights, nullptr);

  platform::gfx::Material sentinel;
  sentinel.power = 77.0f;
  device_->SetMaterial(sentinel);
  for (uint32_t i = 0; i < 8; ++i) device_->LightEnable(i, i == 3);
  lighting.Apply(device_, platform::IdentityMatrix());
  platform::gfx::Material now;
  device_->GetMaterial(now);
  EXPECT_EQ(now.power, 77.0f) << "no material set";
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(Enabled(i), i == 3) << "light index " << i << " untouched";
  EXPECT_EQ(Render(platform::gfx::RenderState::Ambient), 0x007F7F7Fu) << "the ambient level still applies";

  EXPECT_EQ(lighting.AddLight(Sun({0, 1, 0})), nullptr) << "no list to take it";
  EXPECT_EQ(*lighting.FindSunLight(), (Vec3{1, 0, 0})) << "the last sun found stays";
  lighting.SetSpecular(1, 1, 1);
  lighting.Release();  // twice is harmless
  EXPECT_EQ(lighting.lights, nullptr);

  // A lighting never released still lights.
  kept.Apply(device_, platform::IdentityMatrix());
  EXPECT_TRUE(Enabled(0) && Enabled(1));
  EXPECT_FALSE(Enabled(3));
}

}  // namespace
