// Tests of the 3D math routines against values worked out by hand from the defining equations.
#include "platform/math/math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace platform {
namespace {

constexpr float kTolerance = 1e-5f;
constexpr float kQuarter = kPi / 2;

void ExpectNear(Vec3 actual, Vec3 expected, float tolerance = kTolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectNear(const Matrix4& actual, const Matrix4& expected, float tolerance = kTolerance) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      EXPECT_NEAR(actual.m[row][col], expected.m[row][col], tolerance) << "row " << row << " col " << col;
}

// q and −q are the same rotation.
void ExpectSameRotation(const Quaternion& actual, const Quaternion& expected) {
  EXPECT_NEAR(std::fabs(Dot(actual, expected)), 1.0f, 1e-5f);
}

TEST(Matrices, TransformsPlacePointsWhereTheEquationsSay) {
  const Matrix4 view = LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
  const struct {
    const char* what;
    Vec3 point;
    Matrix4 matrix;
    Vec3 expected;
  } cases[] = {
      {"left operand applies first", {1, 1, 1}, ScalingMatrix(2, 2, 2) * TranslationMatrix(10, 0, 0), {12, 2, 2}},
      {"yaw turns forward to the right", {0, 0, 1}, RotationYMatrix(kQuarter), {1, 0, 0}},
      {"pitch turns up toward forward", {0, 1, 0}, RotationXMatrix(kQuarter), {0, 0, 1}},
      {"roll turns right toward up", {1, 0, 0}, RotationZMatrix(kQuarter), {0, 1, 0}},
      {"pitch before yaw", {0, 0, 1}, YawPitchRollMatrix(kQuarter, kQuarter, 0), {0, -1, 0}},
      {"look-at", {1, 2, 0}, view, {1, 2, 10}},
      {"look-at along +X", {0, 0, -1}, LookAtLH({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), {1, 0, 0}},
      // 90° field of view: x and y scale by 1; depth is (z·f/(f−n) − n·f/(f−n)) / z.
      {"perspective", {1, 2, 0}, view * PerspectiveFovLH(kQuarter, 1, 1, 100),
       {0.1f, 0.2f, (10 * 100.0f / 99 - 100.0f / 99) / 10}},
      {"far plane at depth 1", {0, 0, 100}, PerspectiveFovLH(kQuarter, 1, 1, 100), {0, 0, 1}},
      {"screen ortho", {640, 480, 1}, OrthoOffCenterLH(0, 640, 480, 0, 0, 1), {1, -1, 1}},
      {"centred ortho", {5, -10, 6}, OrthoLH(10, 20, 1, 11), {1, -1, 0.5f}},
      {"mirror through y = 5", {1, 7, 3}, ReflectionMatrix({0, 2, 0, -10}), {1, 3, 3}},
      {"shadow of an overhead light", {3, 5, 2}, ShadowMatrix({0, 1, 0, 0}, {0, 1, 0, 0}), {3, 0, 2}},
      {"shadow of a lamp at (0, 10, 0)", {1, 5, 0}, ShadowMatrix({0, 10, 0, 1}, {0, 1, 0, 0}), {2, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectNear(TransformCoord(c.point, c.matrix), c.expected);
  }
  ExpectNear(YawPitchRollMatrix(0.2f, 0.3f, 0.4f), RotationZMatrix(0.4f) * RotationXMatrix(0.3f) * RotationYMatrix(0.2f));
  ExpectNear(RotationAxisMatrix({0, 5, 0}, 0.4f), RotationYMatrix(0.4f));
  ExpectNear(RotationAxisMatrix({}, 0.4f), IdentityMatrix());
  Matrix4 homogeneous = TranslationMatrix(1, 2, 3);
  homogeneous.m[3][3] = 2;
  ExpectNear(TransformCoord({1, 1, 1}, homogeneous), {1, 1.5f, 2});
}

TEST(Matrices, InverseUndoesTheMatrixAndASingularOneIsRefused) {
  const Matrix4 m = ScalingMatrix(2, 3, 4) * YawPitchRollMatrix(0.3f, -0.7f, 1.1f) * TranslationMatrix(5, -6, 7);
  Matrix4 inverse;
  float determinant = 0;
  ASSERT_TRUE(Inverse(m, &inverse, &determinant));
  EXPECT_NEAR(determinant, 24, 1e-4f);
  ExpectNear(inverse * m, IdentityMatrix());
  Matrix4 out = TranslationMatrix(1, 2, 3);
  EXPECT_FALSE(Inverse(ScalingMatrix(1, 0, 1), &out, &determinant));
  ExpectNear(out, TranslationMatrix(1, 2, 3), 0);  // left alone
}

TEST(Matrices, ProjectAndUnprojectAreInverse) {
  const Matrix4 viewProjection =
      LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}) * PerspectiveFovLH(kQuarter, 4.0f / 3, 1, 100);
  const ScreenViewport viewport{0, 0, 800, 600, 0, 1};
  EXPECT_LT(Project({0, 1, 0}, viewport, viewProjection).y, 300) << "up in the world is up on the screen";
  Vec3 back;
  ASSERT_TRUE(Unproject(Project({2, -3, 7}, viewport, viewProjection), viewport, viewProjection, &back));
  ExpectNear(back, {2, -3, 7}, 1e-3f);
  EXPECT_FALSE(Unproject({1, 1, 0}, viewport, Matrix4{}, &back));
}

TEST(Vectors, ZeroVectorsStayZeroAndCatmullRomInterpolates) {
  EXPECT_EQ(Normalize(Vec3{}), (Vec3{0, 0, 0}));
  EXPECT_FALSE(std::isnan(Normalize(Vec3{1e-30f, 0, 0}).x));
  EXPECT_EQ(Normalize(Quaternion{0, 0, 0, 0}).w, 1);
  ExpectNear(CatmullRom({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, 0.25f), {1.25f, 0, 0});
}

TEST(Quaternions, AgreeWithTheMatrices) {
  for (Vec3 axis : {Vec3{1, 0, 0}, Vec3{1, 2, 3}, Vec3{-1, 0.5f, 0.2f}}) {
    for (float angle : {0.0f, 1.5f, kPi - 0.001f, kPi, 4.0f}) {
      const Quaternion q = QuaternionFromAxisAngle(axis, angle);
      ExpectNear(RotationMatrix(q), RotationAxisMatrix(axis, angle));
      ExpectSameRotation(QuaternionFromMatrix(RotationMatrix(q)), q);
    }
  }
  ExpectNear(RotationMatrix(QuaternionFromYawPitchRoll(0.5f, -0.25f, 1.25f)), YawPitchRollMatrix(0.5f, -0.25f, 1.25f));
  const Quaternion a = QuaternionFromAxisAngle({1, 0, 0}, 0.7f), b = QuaternionFromAxisAngle({0, 1, 1}, -1.2f);
  ExpectNear(RotationMatrix(Multiply(a, b)), RotationMatrix(a) * RotationMatrix(b));
}

TEST(Planes, FromPointsCrossingsAndTransforms) {
  const Plane floor = PlaneFromPoints({0, 5, 0}, {0, 5, 1}, {1, 5, 0});
  EXPECT_NEAR(floor.b, 1, kTolerance);
  EXPECT_NEAR(floor.d, -5, kTolerance);
  EXPECT_EQ(PlaneFromPoints({0, 0, 0}, {1, 1, 1}, {2, 2, 2}).a, 0) << "a degenerate triangle gives no NaN";
  Vec3 hit;
  ASSERT_TRUE(IntersectLine(floor, {1, 10, 1}, {1, 0, 3}, &hit));
  ExpectNear(hit, {1, 5, 2});
  EXPECT_FALSE(IntersectLine(floor, {0, 1, 0}, {5, 1, 0}, &hit)) << "a parallel line never crosses";
  Plane moved;
  ASSERT_TRUE(TransformPlane(floor, RotationZMatrix(kQuarter), &moved));
  EXPECT_NEAR(moved.a, -1, kTolerance);
  EXPECT_NEAR(DotCoord(moved, TransformCoord({0, 5, 0}, RotationZMatrix(kQuarter))), 0, kTolerance);
  EXPECT_FALSE(TransformPlane(floor, ScalingMatrix(0, 1, 1), &moved));
}

TEST(Colors, PackClampsAndUnpackIsItsInverse) {
  EXPECT_EQ(PackColor({0, 0.5f, 1, 0}), 0x000080FFu);
  EXPECT_EQ(PackColor({2, -1, std::nanf(""), 0.25f}), 0x40FF0000u);
  for (uint32_t argb : {0x12345678u, 0xFFFFFFFFu, 0u, 0x80FF00A5u}) EXPECT_EQ(PackColor(UnpackColor(argb)), argb);
}

}  // namespace
}  // namespace platform
