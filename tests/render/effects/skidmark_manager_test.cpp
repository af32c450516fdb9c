// Skid marks: cross-section timing, self-closing at the last cross-section, the list's capacity and oldest-closed
// replacement, culling, and both faces of every visible strip in one draw. The wheels' tests place the strips
// under the tyres.
#include "render/effects/skidmark_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "platform/math/math.h"
#include "render/effects/effects_test_support.h"

namespace {

using platform::Vec3;
using render::SkidmarkManager;
using render::SkidmarkSegment;

class SkidmarkTest : public effects_test::EffectsTest {
 protected:
  void SetUp() override {
    EffectsTest::SetUp();
    manager_.Init(device_, &Resources(), settings_.get(), "TREADS\\tread.png", "TREADS\\treada.png");
  }
  void TearDown() override {
    manager_.Shutdown();
    EffectsTest::TearDown();
  }
  SkidmarkSegment* Add(const Vec3& at = {0, 0, 0}) {
    return manager_.AddSegment(device_, at, platform::IdentityMatrix(), 1, 8.0f);
  }
  SkidmarkManager manager_;
};

TEST_F(SkidmarkTest, CrossSectionsAdvanceOnlyAfterMoreThanATwentiethOfASecond) {
  SkidmarkSegment* segment = Add();
  const platform::Matrix4 turned = platform::RotationYMatrix(platform::kPi / 2);
  segment->Grow(device_, {0, 0, 10}, turned, 0.02f);
  EXPECT_EQ(segment->crossSection, 1u) << "the first grow already moves on";
  const auto v = Vertices(segment->vertexBuffer);
  EXPECT_NEAR(v[2].z, 14.0f, 1e-5f) << "the side axis of a quarter-turned wheel is -z";
  EXPECT_NEAR(v[3].z, 6.0f, 1e-5f);
  EXPECT_EQ(v[2].v, 1.0f);
  segment->Grow(device_, {0, 0, 12}, platform::IdentityMatrix(), 0.02f);
  segment->Grow(device_, {0, 0, 14}, platform::IdentityMatrix(), 0.02f);
  EXPECT_EQ(segment->crossSection, 1u) << "0.04 s is not past 0.05";
  segment->Grow(device_, {0, 0, 16}, platform::IdentityMatrix(), 0.02f);
  EXPECT_EQ(segment->crossSection, 2u) << "every third step of 0.02 s";
  EXPECT_EQ(segment->TriangleCount(), 4u);
  EXPECT_EQ(segment->boxMax.z, 16.0f);
}

TEST_F(SkidmarkTest, SegmentClosesItselfAtTheLastCrossSectionWithoutWritingPastIt) {
  SkidmarkSegment* segment = Add();
  for (int i = 0; i < 60; ++i) segment->Grow(device_, {0, 0, float(i)}, platform::IdentityMatrix(), 0.06f);
  EXPECT_FALSE(segment->open);
  EXPECT_EQ(segment->crossSection, 40u);
  const auto v = Vertices(segment->vertexBuffer);
  EXPECT_EQ(v.size(), 82u);
  EXPECT_EQ(v[81].v, 40.0f);
  const float lastZ = v[81].z;
  segment->Grow(device_, {0, 0, 999}, platform::IdentityMatrix(), 0.06f);
  EXPECT_EQ(Vertices(segment->vertexBuffer)[81].z, lastZ) << "a closed segment ignores further growth";
  EXPECT_EQ(segment->TriangleCount(), 80u);
}

TEST_F(SkidmarkTest, FullListReplacesTheOldestClosedSegmentOrRefuses) {
  std::vector<SkidmarkSegment*> added;
  for (int i = 0; i < 101; ++i) added.push_back(Add({float(i), 0, 0}));
  EXPECT_EQ(manager_.count, 101u) << "one over capacity before anything is removed";
  EXPECT_EQ(Add(), nullptr) << "every segment still open: refused";
  added[3]->open = false;
  added[7]->open = false;
  SkidmarkSegment* fresh = Add({500, 0, 0});
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(manager_.count, 101u);
  EXPECT_EQ(manager_.segments.front().get(), fresh) << "newest first";
  bool hasThree = false, hasSeven = false;
  for (const auto& s : manager_.segments) {
    // The new segment may reuse the freed one's address.
    hasThree |= s.get() == added[3] && s.get() != fresh;
    hasSeven |= s.get() == added[7];
  }
  EXPECT_FALSE(hasThree) << "the oldest closed one went";
  EXPECT_TRUE(hasSeven);
  EXPECT_TRUE(manager_.RemoveOldestClosed());
  EXPECT_FALSE(manager_.RemoveOldestClosed());
  EXPECT_EQ(manager_.count, 100u);
  manager_.capacity = 0;
  EXPECT_EQ(Add(), nullptr) << "a capacity of 0 makes no segments";
}

// Screen winding of a view-space triangle through a perspective divide (rows top-down): positive when clockwise,
// the faces the device's usual culling keeps.
float ScreenWinding(const render::EffectVertex& a, const render::EffectVertex& b, const render::EffectVertex& c) {
  auto screen = [](const render::EffectVertex& v) { return std::pair<float, float>{v.x / v.z, -v.y / v.z}; };
  const auto [ax, ay] = screen(a);
  const auto [bx, by] = screen(b);
  const auto [cx, cy] = screen(c);
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

TEST_F(SkidmarkTest, DrawsEveryVisibleSegmentInOneDrawEachWithItsKeptFacesFirstAndRestoresStates) {
  SkidmarkSegment* ahead = Add({0, 0, 100});
  ahead->Grow(device_, {0, 0, 110}, platform::IdentityMatrix(), 0.1f);
  // A strip that folds over: its last cross-section has the wheel turned round, so its last triangle faces the
  // other way.
  SkidmarkSegment* folded = Add({20, 0, 200});
  folded->Grow(device_, {20, 0, 210}, platform::IdentityMatrix(), 0.1f);
  folded->Grow(device_, {20, 0, 220}, platform::RotationYMatrix(platform::kPi), 0.1f);
  SkidmarkSegment* behind = Add({0, 0, -100});
  behind->Grow(device_, {0, 0, -110}, platform::IdentityMatrix(), 0.1f);
  Add({0, 0, 50});  // cross-section 0 only: nothing to draw
  const platform::Matrix4 view = platform::LookAtLH({0, 10, 0}, {0, 10, 1}, {0, 1, 0});
  render::ViewFrustum frustum;
  frustum.BuildOrdinary(view, platform::PerspectiveFovLH(1.0f, 1.0f, 1.0f, 1000.0f));
  device_->ClearRecords();
  manager_.Draw(device_, view, &frustum);
  const auto& draws = device_->Draws();
  ASSERT_EQ(draws.size(), 1u) << "the visible strips, both faces, in one draw";
  EXPECT_EQ(draws[0].type, platform::gfx::PrimitiveType::TriangleList);
  EXPECT_EQ(draws[0].primitiveCount, 6u) << "every triangle of the two visible strips once";
  EXPECT_EQ(draws[0].texture0, render::GetImageTexture(manager_.treadImage));
  const auto v = DrawnVertices();
  ASSERT_EQ(v.size(), 18u);
  // Newest first: the folded strip, its one kept face before its three others, then the plain strip, whose faces
  // the usual culling drops, seen from above.
  std::vector<bool> clockwise;
  for (size_t t = 0; t < 6; ++t) clockwise.push_back(ScreenWinding(v[3 * t], v[3 * t + 1], v[3 * t + 2]) > 0);
  EXPECT_EQ(clockwise, (std::vector<bool>{true, false, false, false, false, false}));
  // The vertices reach the device in view space, the view transform left as identity.
  const platform::Vec3 expected = platform::TransformCoord({-4.0f, 0.5f, 100.0f}, view);
  bool found = false;
  for (size_t i = 12; i < 18; ++i) {
    found |= std::fabs(v[i].x - expected.x) < 1e-3f && std::fabs(v[i].y - expected.y) < 1e-3f &&
             std::fabs(v[i].z - expected.z) < 1e-3f;
  }
  EXPECT_TRUE(found) << "the plain strip's first left corner, carried into view space";
  for (const auto& vertex : v) EXPECT_GT(vertex.z, 0.0f) << "nothing of the strip behind the eye was drawn";
  EXPECT_EQ(Render(platform::gfx::RenderState::CullMode),
            static_cast<uint32_t>(platform::gfx::CullMode::CounterClockwise));
  ExpectBaseline();
}

}  // namespace
