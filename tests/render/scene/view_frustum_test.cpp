// The view frustum: corners, box, planes and view direction, and the conservative box test.
#include "render/scene/view_frustum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/math/math.h"
#include "render/effects/box_corners.h"

namespace {

using platform::Vec3;
using render::BoxCornerPoints;
using render::BoxInFrustum;
using render::ViewFrustum;

constexpr float kQuarterTurn = 1.5707963f;

platform::Matrix4 Projection() { return platform::PerspectiveFovLH(kQuarterTurn, 1.0f, 1.0f, 10.0f); }

TEST(ViewFrustum, OrdinaryBuildOfIdentityViewSpansNearAndFarRectangles) {
  ViewFrustum frustum;
  frustum.BuildOrdinary(platform::IdentityMatrix(), Projection());
  EXPECT_NEAR(frustum.corners[0].x, -1, 1e-4);
  EXPECT_NEAR(frustum.corners[0].y, -1, 1e-4);
  EXPECT_NEAR(frustum.corners[0].z, 1, 1e-4);
  EXPECT_NEAR(frustum.corners[7].x, 10, 1e-3);
  EXPECT_NEAR(frustum.corners[7].y, 10, 1e-3);
  EXPECT_NEAR(frustum.corners[7].z, 10, 1e-3);
  EXPECT_NEAR(frustum.boxMin.x, -10, 1e-3);
  EXPECT_NEAR(frustum.boxMin.z, 1, 1e-4);
  EXPECT_NEAR(frustum.boxMax.y, 10, 1e-3);
  EXPECT_FLOAT_EQ(frustum.viewDirection.z, 1);

  const Vec3 point{0.3f, 0.2f, 5};
  EXPECT_NEAR(platform::DotCoord(frustum.planes[0], point), 4.0f, 1e-3) << "near";
  EXPECT_NEAR(platform::DotCoord(frustum.planes[1], point), 5.0f, 1e-3) << "far";
  for (int side = 2; side < 6; ++side) {
    const float distance = platform::DotCoord(frustum.planes[side], point);
    EXPECT_GT(distance, 3.3f) << "side plane " << side;
    EXPECT_LT(distance, 3.8f) << "side plane " << side;
  }
}

// Against the box of the corners, (-10, -10, 1)-(10, 10, 10) here: outside it grown by the radius is 0, inside it
// shrunk by the radius is 1, anything between is 2; every axis counts, and a centre or radius that is no number
// is outside.
TEST(ViewFrustum, ClassifySphereAgainstTheBoxGrownAndShrunkByTheRadius) {
  ViewFrustum frustum;
  frustum.BuildOrdinary(platform::IdentityMatrix(), Projection());
  const struct {
    Vec3 centre;
    float radius;
    int expected;
  } cases[] = {
      {{0, 0, 5}, 1, 1},      {{8.9f, -8.9f, 8.9f}, 1, 1}, {{0, 0, 5}, 4.5f, 2},  {{0, 0, 5}, 3.9f, 1},
      {{9.5f, 0, 5}, 1, 2},   {{0, 0, 10.5f}, 1, 2},      {{0, 0, 0.5f}, 1, 2},  {{0, 0, 10.9f}, 1, 2},
      {{0, 0, 11.5f}, 1, 0},  {{0, 0, -0.5f}, 1, 0},      {{-11.5f, 0, 5}, 1, 0}, {{11.5f, 0, 5}, 1, 0},
      {{0, -11.5f, 5}, 1, 0}, {{0, 11.5f, 5}, 1, 0},      {{0, 11.5f, 5}, 2, 2},  {{0, 0, 5}, 0, 1},
      // A centre that is no number is nowhere in view: the particle or glow at it is not drawn.
      {{std::numeric_limits<float>::quiet_NaN(), 0, 5}, 1, 0}, {{0, 0, 5}, std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(frustum.ClassifySphere(c.centre, c.radius), c.expected)
        << c.centre.x << ", " << c.centre.y << ", " << c.centre.z << " radius " << c.radius;
  }
}

// The box tests include their faces: a centre exactly on a face of the box shrunk by the radius is inside, one
// float step beyond it crosses; on a face of the box grown by the radius it crosses, one step beyond it is outside.
TEST(ViewFrustum, ClassifySphereCountsTheFacesOfBothBoxes) {
  ViewFrustum frustum;
  frustum.BuildOrdinary(platform::IdentityMatrix(), Projection());
  const float radius = 1.0f;
  const Vec3 middle = (frustum.boxMin + frustum.boxMax) * 0.5f;
  const float kInf = std::numeric_limits<float>::infinity();
  const auto component = [](Vec3& v, int axis) -> float& { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      const float face = component(side == 0 ? frustum.boxMin : frustum.boxMax, axis);
      const float inward = side == 0 ? radius : -radius;
      const float away = side == 0 ? -kInf : kInf;
      const struct {
        const char* what;
        float coordinate;
        int expected;
      } cases[] = {
          {"on the inset face", face + inward, render::kSphereInside},
          {"a step outside the inset face", std::nextafter(face + inward, away), render::kSphereCrossing},
          {"on the padded face", face - inward, render::kSphereCrossing},
          {"a step outside the padded face", std::nextafter(face - inward, away), render::kSphereOutside},
      };
      for (const auto& c : cases) {
        Vec3 centre = middle;
        component(centre, axis) = c.coordinate;
        EXPECT_EQ(frustum.ClassifySphere(centre, radius), c.expected)
            << c.what << ", axis " << axis << (side == 0 ? " low" : " high");
      }
    }
  }
}

TEST(BoxInFrustum, RejectsOnlyBoxesWhollyBehindOnePlane) {
  ViewFrustum frustum;
  frustum.BuildOrdinary(platform::IdentityMatrix(), Projection());
  EXPECT_TRUE(BoxInFrustum(frustum, BoxCornerPoints({-1, -1, 4}, {1, 1, 6}))) << "inside";
  EXPECT_FALSE(BoxInFrustum(frustum, BoxCornerPoints({-1, -1, -6}, {1, 1, -4}))) << "behind the near plane";
  EXPECT_FALSE(BoxInFrustum(frustum, BoxCornerPoints({-1, -1, 20}, {1, 1, 30}))) << "beyond the far plane";
  EXPECT_TRUE(BoxInFrustum(frustum, BoxCornerPoints({-1, -1, 0}, {1, 1, 2}))) << "straddling the near plane";

  // A view rolled 45 degrees: beyond the volume's side edge a box is outside two planes at once, each corner
  // behind only one of them, so the test keeps it.
  ViewFrustum rolled;
  rolled.BuildOrdinary(platform::RotationZMatrix(0.78539816f), Projection());
  EXPECT_TRUE(BoxInFrustum(rolled, BoxCornerPoints({7.5f, -0.7f, 4.9f}, {9, 0.7f, 5.1f})));
  EXPECT_FALSE(BoxInFrustum(rolled, BoxCornerPoints({7.5f, 3, 4.9f}, {9, 4, 5.1f}))) << "wholly behind one side";
}

TEST(BoxInFrustum, CornersThatAreNotNumbersNeverCountAsBehind) {
  ViewFrustum frustum;
  frustum.BuildOrdinary(platform::IdentityMatrix(), Projection());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  auto corners = BoxCornerPoints({-1, -1, -6}, {1, 1, -4});
  corners[3] = {nan, nan, nan};
  EXPECT_TRUE(BoxInFrustum(frustum, corners));
}


TEST(BoxOnScreen, GivesThePixelsABoxCanCoverOrNone) {
  // Looking down +z from the origin, 90 degrees wide, on a 200 x 100 target.
  const platform::Matrix4 viewProjection =
      platform::LookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}) * platform::PerspectiveFovLH(platform::kPi / 2, 2.0f, 1, 1000);
  struct Case {
    const char* what;
    Vec3 min, max;
    std::optional<platform::gfx::Rect> rect;
  };
  const Case cases[] = {
      {"a box at the centre, a pixel wider on every side", {-1, -1, 12}, {1, 1, 12}, platform::gfx::Rect{94, 44, 106, 56}},
      {"a box up and right", {10, 2, 30}, {20, 4, 30}, platform::gfx::Rect{115, 42, 135, 48}},
      {"a box reaching behind the eye covers everything", {-1, -1, -5}, {1, 1, 10}, platform::gfx::Rect{0, 0, 200, 100}},
      {"a box wholly off to the left covers nothing", {-300, -1, 10}, {-200, 1, 20}, std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<platform::gfx::Rect> rect = render::BoxOnScreen(c.min, c.max, viewProjection, 200, 100);
    ASSERT_EQ(rect.has_value(), c.rect.has_value()) << c.what;
    if (!rect) continue;
    EXPECT_EQ(rect->left, c.rect->left) << c.what;
    EXPECT_EQ(rect->top, c.rect->top) << c.what;
    EXPECT_EQ(rect->right, c.rect->right) << c.what;
    EXPECT_EQ(rect->bottom, c.rect->bottom) << c.what;
  }
}

TEST(BoxOutsideView, OnlyABoxWhollyBeyondOneSideIsLeftOut) {
  // Looking down +z from the origin, 90 degrees wide, aspect 2, near 1, far 1000.
  const platform::Matrix4 viewProjection =
      platform::LookAtLH({0, 0, 0}, {0, 0, 1}, {0, 1, 0}) * platform::PerspectiveFovLH(platform::kPi / 2, 2.0f, 1, 1000);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    Vec3 min, max;
    bool outside;
  };
  const Case cases[] = {
      {"ahead", {-1, -1, 10}, {1, 1, 12}, false},
      {"beyond the left side", {-300, -1, 10}, {-200, 1, 20}, true},
      {"beyond the top", {-1, 50, 10}, {1, 60, 20}, true},
      {"behind the eye", {-1, -1, -20}, {1, 1, -5}, true},
      {"beyond the far plane", {-1, -1, 1200}, {1, 1, 1300}, true},
      {"around the eye, every side reached", {-5, -5, -5}, {5, 5, 5}, false},
      {"corners left and right of the view but the box across it", {-300, -1, 10}, {300, 1, 20}, false},
      {"touching the right side", {20, -1, 10}, {30, 1, 10}, false},
      {"not a number", {nan, nan, nan}, {nan, nan, nan}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(render::BoxOutsideView(c.min, c.max, viewProjection), c.outside) << c.what;
}

}  // namespace
