// Tests of the 3D math routines against values worked out by hand from the defining equations.
#include "platform/math/math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace platform {
namespace {

constexpr float kTolerance = 1e-5f;

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
  EXPECT_NEAR(std::fabs(Dot(actual, expected)), 1.0f, 1e-5f)
      << actual.x << " " << actual.y << " " << actual.z << " " << actual.w;
}

TEST(Vectors, BasicArithmetic) {
  Vec3 a{1, 2, 3}, b{4, 5, 6};
  EXPECT_FLOAT_EQ(Dot(a, b), 32);
  ExpectNear(Cross({1, 0, 0}, {0, 1, 0}), {0, 0, 1});
  ExpectNear(Cross(a, b), {-3, 6, -3});
  EXPECT_FLOAT_EQ(Length(Vec3{3, 4, 12}), 13);
  EXPECT_FLOAT_EQ(Length(Vec2{3, 4}), 5);
  ExpectNear(Lerp(a, b, 0.5f), {2.5f, 3.5f, 4.5f});
  ExpectNear(ComponentMin(a, {0, 9, 3}), {0, 2, 3});
  ExpectNear(ComponentMax(a, {0, 9, 3}), {1, 9, 3});
}

TEST(Vectors, NormalizeGivesUnitLengthAndZeroStaysZero) {
  ExpectNear(Normalize(Vec3{0, 3, 4}), {0, 0.6f, 0.8f});
  Vec3 zero = Normalize(Vec3{});
  EXPECT_EQ(zero, (Vec3{0, 0, 0}));
  Vec2 zero2 = Normalize(Vec2{});
  EXPECT_EQ(zero2, (Vec2{0, 0}));
  Vec4 zero4 = Normalize(Vec4{});
  EXPECT_EQ(zero4, (Vec4{0, 0, 0, 0}));
  Vec3 tiny = Normalize(Vec3{1e-30f, 0, 0});
  EXPECT_FALSE(std::isnan(tiny.x));
}

TEST(Matrices, MultiplyAppliesLeftOperandFirst) {
  Matrix4 scaleThenMove = ScalingMatrix(2, 2, 2) * TranslationMatrix(10, 0, 0);
  ExpectNear(TransformCoord({1, 1, 1}, scaleThenMove), {12, 2, 2});
  Matrix4 moveThenScale = TranslationMatrix(10, 0, 0) * ScalingMatrix(2, 2, 2);
  ExpectNear(TransformCoord({1, 1, 1}, moveThenScale), {22, 2, 2});
  EXPECT_TRUE(IsIdentity(IdentityMatrix()));
  EXPECT_FALSE(IsIdentity(TranslationMatrix(0, 0, 1)));
}

TEST(Matrices, InverseTimesMatrixIsIdentity) {
  Matrix4 m = ScalingMatrix(2, 3, 4) * YawPitchRollMatrix(0.3f, -0.7f, 1.1f) * TranslationMatrix(5, -6, 7);
  Matrix4 inverse;
  float determinant = 0;
  ASSERT_TRUE(Inverse(m, &inverse, &determinant));
  EXPECT_NEAR(determinant, 24, 1e-4f);
  ExpectNear(inverse * m, IdentityMatrix());
  ExpectNear(m * inverse, IdentityMatrix());
  EXPECT_NEAR(Determinant(ScalingMatrix(2, 3, 4)), 24, 1e-6f);
}

TEST(Matrices, SingularMatrixReportsFailureAndLeavesOutputAlone) {
  Matrix4 flattened = ScalingMatrix(1, 0, 1);
  Matrix4 out = TranslationMatrix(1, 2, 3);
  float determinant = 99;
  EXPECT_FALSE(Inverse(flattened, &out, &determinant));
  EXPECT_EQ(determinant, 0);
  ExpectNear(out, TranslationMatrix(1, 2, 3), 0);
  EXPECT_FALSE(Inverse(Matrix4{}, &out));
}

TEST(Matrices, TransposeSwapsRowsAndColumns) {
  Matrix4 m = TranslationMatrix(1, 2, 3);
  Matrix4 t = Transpose(m);
  EXPECT_EQ(t.m[0][3], 1);
  EXPECT_EQ(t.m[1][3], 2);
  EXPECT_EQ(t.m[2][3], 3);
  EXPECT_EQ(t.m[3][0], 0);
}

TEST(Matrices, RotationsTurnClockwiseLookingDownTheAxis) {
  float quarter = kPi / 2;
  // Yaw: forward (+Z) turns to the right (+X), right turns to back.
  ExpectNear(TransformCoord({0, 0, 1}, RotationYMatrix(quarter)), {1, 0, 0});
  ExpectNear(TransformCoord({1, 0, 0}, RotationYMatrix(quarter)), {0, 0, -1});
  // About X: up (+Y) turns toward +Z.
  ExpectNear(TransformCoord({0, 1, 0}, RotationXMatrix(quarter)), {0, 0, 1});
  // About Z: +X turns toward +Y.
  ExpectNear(TransformCoord({1, 0, 0}, RotationZMatrix(quarter)), {0, 1, 0});
  ExpectNear(RotationAxisMatrix({0, 5, 0}, 0.4f), RotationYMatrix(0.4f));
  ExpectNear(RotationAxisMatrix({2, 0, 0}, 0.4f), RotationXMatrix(0.4f));
  ExpectNear(RotationAxisMatrix({0, 0, 1}, 0.4f), RotationZMatrix(0.4f));
  ExpectNear(RotationAxisMatrix({}, 0.4f), IdentityMatrix());
}

TEST(Matrices, YawPitchRollAppliesRollThenPitchThenYaw) {
  float quarter = kPi / 2;
  // Pitch first sends forward to down; the yaw after it leaves down alone.
  ExpectNear(TransformCoord({0, 0, 1}, YawPitchRollMatrix(quarter, quarter, 0)), {0, -1, 0});
  ExpectNear(YawPitchRollMatrix(0.2f, 0.3f, 0.4f), RotationZMatrix(0.4f) * RotationXMatrix(0.3f) * RotationYMatrix(0.2f));
}

TEST(Matrices, TransformCoordDividesByWAndTransformNormalIgnoresTranslation) {
  Matrix4 m = TranslationMatrix(1, 2, 3);
  m.m[3][3] = 2;
  ExpectNear(TransformCoord({1, 1, 1}, m), {1, 1.5f, 2});
  ExpectNear(TransformNormal({1, 1, 1}, m), {1, 1, 1});
  Vec4 full = Transform(Vec3{1, 1, 1}, m);
  EXPECT_FLOAT_EQ(full.w, 2);
  EXPECT_FLOAT_EQ(full.z, 4);
}

TEST(Matrices, LookAtAndPerspectivePlaceAPointWhereTheEquationsSay) {
  Matrix4 view = LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0});
  ExpectNear(TransformCoord({1, 2, 0}, view), {1, 2, 10});
  // 90° field of view: x and y scale by cot(45°) = 1; depth is (z·f/(f−n) − n·f/(f−n)) / z.
  Matrix4 projection = PerspectiveFovLH(kPi / 2, 1, 1, 100);
  Vec3 screen = TransformCoord({1, 2, 0}, view * projection);
  ExpectNear(screen, {0.1f, 0.2f, (10 * 100.0f / 99 - 100.0f / 99) / 10});
  // The near and far planes land on depth 0 and 1.
  EXPECT_NEAR(TransformCoord({0, 0, 1}, projection).z, 0, kTolerance);
  EXPECT_NEAR(TransformCoord({0, 0, 100}, projection).z, 1, kTolerance);
  // Aspect 2 halves the x scale.
  EXPECT_NEAR(PerspectiveFovLH(kPi / 2, 2, 1, 100).m[0][0], 0.5f, kTolerance);

  // Camera looking along +X from the origin: the world's +X is the view's +Z, and world −Z is view +X.
  Matrix4 side = LookAtLH({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  ExpectNear(TransformCoord({5, 0, 0}, side), {0, 0, 5});
  ExpectNear(TransformCoord({0, 0, -1}, side), {1, 0, 0});
}

TEST(Matrices, PerspectiveByViewSizeMatchesFieldOfView) {
  // A 2×2 near window at distance 1 spans 90°.
  ExpectNear(PerspectiveLH(2, 2, 1, 50), PerspectiveFovLH(kPi / 2, 1, 1, 50));
}

TEST(Matrices, OrthographicMapsTheBoxOntoClipSpace) {
  Matrix4 screen = OrthoOffCenterLH(0, 640, 480, 0, 0, 1);
  ExpectNear(TransformCoord({0, 0, 0}, screen), {-1, 1, 0});
  ExpectNear(TransformCoord({640, 480, 1}, screen), {1, -1, 1});
  ExpectNear(TransformCoord({320, 240, 0.5f}, screen), {0, 0, 0.5f});
  Matrix4 centred = OrthoLH(10, 20, 1, 11);
  ExpectNear(TransformCoord({5, -10, 6}, centred), {1, -1, 0.5f});
}

TEST(Matrices, ReflectionMirrorsThroughThePlane) {
  Matrix4 mirror = ReflectionMatrix({0, 2, 0, -10});  // y = 5, not yet normalised
  ExpectNear(TransformCoord({1, 0, 3}, mirror), {1, 10, 3});
  ExpectNear(TransformCoord({1, 7, 3}, mirror), {1, 3, 3});
  ExpectNear(TransformNormal({0, 1, 0}, mirror), {0, -1, 0});
  ExpectNear(mirror * mirror, IdentityMatrix());
}

TEST(Matrices, ShadowFlattensOntoThePlane) {
  // Light straight overhead (direction toward it, w = 0): points drop vertically onto y = 0.
  Matrix4 flatten = ShadowMatrix({0, 1, 0, 0}, {0, 1, 0, 0});
  ExpectNear(TransformCoord({3, 5, 2}, flatten), {3, 0, 2});
  // A point light at (0, 10, 0): a point at (1, 5, 0) casts onto the floor at (2, 0, 0).
  Matrix4 fromLamp = ShadowMatrix({0, 10, 0, 1}, {0, 1, 0, 0});
  ExpectNear(TransformCoord({1, 5, 0}, fromLamp), {2, 0, 0});
}

TEST(Matrices, ProjectAndUnprojectAreInverse) {
  Matrix4 viewProjection = LookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}) * PerspectiveFovLH(kPi / 2, 4.0f / 3, 1, 100);
  ScreenViewport viewport{0, 0, 800, 600, 0, 1};
  // The look-at point lands in the middle of the screen.
  Vec3 centre = Project({0, 0, 0}, viewport, viewProjection);
  EXPECT_NEAR(centre.x, 400, 1e-3f);
  EXPECT_NEAR(centre.y, 300, 1e-3f);
  // Up in the world is up on the screen (smaller y).
  EXPECT_LT(Project({0, 1, 0}, viewport, viewProjection).y, 300);
  Vec3 back;
  Vec3 point{2, -3, 7};
  ASSERT_TRUE(Unproject(Project(point, viewport, viewProjection), viewport, viewProjection, &back));
  ExpectNear(back, point, 1e-3f);
  EXPECT_FALSE(Unproject({1, 1, 0}, viewport, Matrix4{}, &back));
}

TEST(Vectors, CatmullRomPassesThroughTheMiddlePoints) {
  Vec3 p0{0, 0, 0}, p1{1, 0, 0}, p2{2, 1, 0}, p3{3, 1, 0};
  ExpectNear(CatmullRom(p0, p1, p2, p3, 0), p1);
  ExpectNear(CatmullRom(p0, p1, p2, p3, 1), p2);
  // Evenly spaced points on a line give linear interpolation.
  ExpectNear(CatmullRom({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, 0.25f), {1.25f, 0, 0});
}

TEST(Quaternions, MatrixRoundTripKeepsTheRotation) {
  const Vec3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}, {-1, 0.5f, 0.2f}};
  const float angles[] = {0.0f, 0.3f, 1.5f, kPi - 0.001f, kPi, 4.0f};
  for (Vec3 axis : axes) {
    for (float angle : angles) {
      Quaternion q = QuaternionFromAxisAngle(axis, angle);
      Matrix4 m = RotationMatrix(q);
      ExpectNear(m, RotationAxisMatrix(axis, angle));
      ExpectSameRotation(QuaternionFromMatrix(m), q);
    }
  }
}

TEST(Quaternions, YawPitchRollMatchesTheMatrix) {
  Quaternion q = QuaternionFromYawPitchRoll(0.5f, -0.25f, 1.25f);
  ExpectNear(RotationMatrix(q), YawPitchRollMatrix(0.5f, -0.25f, 1.25f));
}

TEST(Quaternions, MultiplyComposesLikeMatrices) {
  Quaternion a = QuaternionFromAxisAngle({1, 0, 0}, 0.7f);
  Quaternion b = QuaternionFromAxisAngle({0, 1, 1}, -1.2f);
  ExpectNear(RotationMatrix(Multiply(a, b)), RotationMatrix(a) * RotationMatrix(b));
}

TEST(Quaternions, NormalizeScalesToUnitAndZeroBecomesIdentity) {
  Quaternion n = Normalize(Quaternion{0, 0, 3, 4});
  EXPECT_NEAR(n.z, 0.6f, kTolerance);
  EXPECT_NEAR(n.w, 0.8f, kTolerance);
  Quaternion identity = Normalize(Quaternion{0, 0, 0, 0});
  EXPECT_EQ(identity.w, 1);
  EXPECT_EQ(identity.x, 0);
}

TEST(Quaternions, SlerpHitsEndpointsAndMidpoint) {
  Quaternion start{};
  Quaternion end = QuaternionFromAxisAngle({0, 1, 0}, kPi / 2);
  ExpectSameRotation(Slerp(start, end, 0), start);
  ExpectSameRotation(Slerp(start, end, 1), end);
  ExpectSameRotation(Slerp(start, end, 0.5f), QuaternionFromAxisAngle({0, 1, 0}, kPi / 4));
  // Same rotation written as −end: still the short way round.
  Quaternion negated{-end.x, -end.y, -end.z, -end.w};
  ExpectSameRotation(Slerp(start, negated, 0.5f), QuaternionFromAxisAngle({0, 1, 0}, kPi / 4));
  // Nearly equal inputs stay unit length.
  Quaternion near = QuaternionFromAxisAngle({0, 1, 0}, 1e-4f);
  EXPECT_NEAR(Dot(Slerp(start, near, 0.5f), Slerp(start, near, 0.5f)), 1, kTolerance);
}

TEST(Quaternions, ToAxisAngleRecoversTheInputs) {
  Vec3 axis;
  float angle = 0;
  ToAxisAngle(QuaternionFromAxisAngle({0, 0, 2}, 1.25f), &axis, &angle);
  ExpectNear(axis, {0, 0, 1});
  EXPECT_NEAR(angle, 1.25f, kTolerance);
  ToAxisAngle(Quaternion{}, &axis, &angle);
  EXPECT_EQ(angle, 0);
  ExpectNear(axis, {1, 0, 0});
}

TEST(Planes, FromThreePointsFacesByWinding) {
  Plane floor = PlaneFromPoints({0, 5, 0}, {0, 5, 1}, {1, 5, 0});
  EXPECT_NEAR(floor.a, 0, kTolerance);
  EXPECT_NEAR(floor.b, 1, kTolerance);
  EXPECT_NEAR(floor.c, 0, kTolerance);
  EXPECT_NEAR(floor.d, -5, kTolerance);
  EXPECT_NEAR(DotCoord(floor, {3, 7, -2}), 2, kTolerance);
  EXPECT_NEAR(DotNormal(floor, {3, 7, -2}), 7, kTolerance);
  Plane reversed = PlaneFromPoints({0, 5, 0}, {1, 5, 0}, {0, 5, 1});
  EXPECT_NEAR(reversed.b, -1, kTolerance);
  Plane degenerate = PlaneFromPoints({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
  EXPECT_EQ(degenerate.a, 0);
  EXPECT_EQ(degenerate.d, 0);
}

TEST(Planes, PointNormalAndNormalize) {
  Plane p = PlaneFromPointNormal({0, 0, 4}, {0, 0, 2});
  EXPECT_FLOAT_EQ(p.d, -8);
  Plane n = Normalize(p);
  EXPECT_FLOAT_EQ(n.c, 1);
  EXPECT_FLOAT_EQ(n.d, -4);
  Plane zero = Normalize(Plane{0, 0, 0, 3});
  EXPECT_EQ(zero.d, 0);
}

TEST(Planes, IntersectLineFindsTheCrossingAndRejectsParallelLines) {
  Plane floor{0, 1, 0, -5};
  Vec3 hit;
  ASSERT_TRUE(IntersectLine(floor, {1, 10, 1}, {1, 0, 3}, &hit));
  ExpectNear(hit, {1, 5, 2});
  hit = {9, 9, 9};
  EXPECT_FALSE(IntersectLine(floor, {0, 1, 0}, {5, 1, 0}, &hit));
  ExpectNear(hit, {9, 9, 9}, 0);
}

TEST(Planes, TransformMovesThePlaneWithItsPoints) {
  Plane floor{0, 1, 0, -5};
  Plane moved;
  ASSERT_TRUE(TransformPlane(floor, TranslationMatrix(0, 3, 0), &moved));
  EXPECT_NEAR(moved.b, 1, kTolerance);
  EXPECT_NEAR(moved.d, -8, kTolerance);
  // Turned a quarter about Z, the floor's normal +Y becomes −X.
  ASSERT_TRUE(TransformPlane(floor, RotationZMatrix(kPi / 2), &moved));
  EXPECT_NEAR(moved.a, -1, kTolerance);
  EXPECT_NEAR(moved.b, 0, kTolerance);
  EXPECT_NEAR(DotCoord(moved, TransformCoord({0, 5, 0}, RotationZMatrix(kPi / 2))), 0, kTolerance);
  EXPECT_FALSE(TransformPlane(floor, ScalingMatrix(0, 1, 1), &moved));
}

TEST(Colors, PackAndUnpackAreInverse) {
  EXPECT_EQ(PackColor({1, 0, 0, 1}), 0xFFFF0000u);
  EXPECT_EQ(PackColor({0, 0.5f, 1, 0}), 0x000080FFu);
  EXPECT_EQ(PackColor({2, -1, std::nanf(""), 0.25f}), 0x40FF0000u);
  for (uint32_t argb : {0x12345678u, 0xFFFFFFFFu, 0u, 0x80FF00A5u}) EXPECT_EQ(PackColor(UnpackColor(argb)), argb);
  ColorValue c = UnpackColor(0xFF00FF00u);
  EXPECT_FLOAT_EQ(c.g, 1);
  EXPECT_FLOAT_EQ(c.a, 1);
  EXPECT_FLOAT_EQ(c.r, 0);
  ColorValue half = Lerp(ColorValue{0, 0, 0, 0}, ColorValue{1, 1, 1, 1}, 0.5f);
  EXPECT_FLOAT_EQ(half.g, 0.5f);
  ColorValue tinted = Modulate(ColorValue{0.5f, 1, 1, 1}, ColorValue{0.5f, 0.5f, 0, 1});
  EXPECT_FLOAT_EQ(tinted.r, 0.25f);
  EXPECT_FLOAT_EQ(tinted.b, 0);
}

}  // namespace
}  // namespace platform
