// 3D math on the plain records: left-handed space, row vectors (v' = v · M), translation in the fourth row.
// Angles are radians; matrices compose left to right (A · B applies A first, then B).
#pragma once

#include <cstdint>

#include "platform/math/types.h"

namespace platform {

constexpr float kPi = 3.14159265358979323846f;

// ---- Vectors ----------------------------------------------------------------------------------------------
float Dot(Vec2 a, Vec2 b);
float Dot(Vec3 a, Vec3 b);
float Dot(Vec4 a, Vec4 b);
Vec3 Cross(Vec3 a, Vec3 b);
float Length(Vec2 v);
float Length(Vec3 v);
float Length(Vec4 v);
float LengthSquared(Vec2 v);
float LengthSquared(Vec3 v);
float LengthSquared(Vec4 v);
// A vector too short to have a direction normalises to zero, never NaN.
Vec2 Normalize(Vec2 v);
Vec3 Normalize(Vec3 v);
Vec4 Normalize(Vec4 v);
// a + (b − a)·t; t is not clamped.
Vec2 Lerp(Vec2 a, Vec2 b, float t);
Vec3 Lerp(Vec3 a, Vec3 b, float t);
Vec4 Lerp(Vec4 a, Vec4 b, float t);
Vec3 Add(Vec3 a, Vec3 b);
Vec3 Subtract(Vec3 a, Vec3 b);
Vec3 Scale(Vec3 v, float s);
Vec3 ComponentMin(Vec3 a, Vec3 b);
Vec3 ComponentMax(Vec3 a, Vec3 b);

// ---- Matrices ---------------------------------------------------------------------------------------------
Matrix4 IdentityMatrix();
bool IsIdentity(const Matrix4& m);
// a · b: applies a, then b.
Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
Matrix4 operator*(const Matrix4& a, const Matrix4& b);
Matrix4 Transpose(const Matrix4& m);
float Determinant(const Matrix4& m);
// Returns false and leaves out untouched when m is singular; determinant (optional) always receives det(m).
bool Inverse(const Matrix4& m, Matrix4* out, float* determinant = nullptr);
Matrix4 TranslationMatrix(float x, float y, float z);
Matrix4 TranslationMatrix(Vec3 offset);
Matrix4 ScalingMatrix(float x, float y, float z);
// Rotations follow the left-hand rule: looking down the axis toward the origin, positive angles turn clockwise.
Matrix4 RotationXMatrix(float angle);
Matrix4 RotationYMatrix(float angle);
Matrix4 RotationZMatrix(float angle);
// axis need not be unit length; a zero axis gives the identity.
Matrix4 RotationAxisMatrix(Vec3 axis, float angle);
// Roll about Z, then pitch about X, then yaw about Y.
Matrix4 YawPitchRollMatrix(float yaw, float pitch, float roll);
Matrix4 RotationMatrix(const Quaternion& q);
// View matrix: eye at the origin looking down +Z with up along +Y.
Matrix4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up);
// Projections map view-space z in [nearZ, farZ] to depth [0, 1]; fovY is the full vertical field of view.
Matrix4 PerspectiveFovLH(float fovY, float aspect, float nearZ, float farZ);
// width and height of the view volume at the near plane.
Matrix4 PerspectiveLH(float width, float height, float nearZ, float farZ);
Matrix4 OrthoLH(float width, float height, float nearZ, float farZ);
Matrix4 OrthoOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ);
// Mirror image through a plane (normalised first); planar reflections are drawn with it.
Matrix4 ReflectionMatrix(const Plane& plane);
// Flattens geometry onto a plane (normalised first) away from a light: w = 1 for a light at that position,
// w = 0 for a light in the direction (x, y, z) from the scene.
Matrix4 ShadowMatrix(const Vec4& light, const Plane& plane);

// (v, 1) · M then divided by w (w of zero leaves the undivided result).
Vec3 TransformCoord(Vec3 v, const Matrix4& m);
// (v, 0) · M: directions, ignoring translation.
Vec3 TransformNormal(Vec3 v, const Matrix4& m);
// (v, 1) · M with the full homogeneous result.
Vec4 Transform(Vec3 v, const Matrix4& m);
Vec4 Transform(Vec4 v, const Matrix4& m);

// Pixel rectangle and depth range that clip space maps onto.
struct ScreenViewport {
  float x = 0, y = 0, width = 0, height = 0, minZ = 0, maxZ = 1;
};
// Object space to screen pixels (y down) through world · view · projection and the viewport.
Vec3 Project(Vec3 v, const ScreenViewport& viewport, const Matrix4& worldViewProjection);
// Screen pixels and depth back to object space; false when the matrix is singular.
bool Unproject(Vec3 screen, const ScreenViewport& viewport, const Matrix4& worldViewProjection, Vec3* out);

// Uniform Catmull-Rom spline through p1 (s = 0) and p2 (s = 1), with p0 and p3 shaping the ends.
Vec3 CatmullRom(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float s);

// ---- Quaternions ------------------------------------------------------------------------------------------
// The rotation part of m (assumed orthonormal, no scale).
Quaternion QuaternionFromMatrix(const Matrix4& m);
Quaternion QuaternionFromAxisAngle(Vec3 axis, float angle);
Quaternion QuaternionFromYawPitchRoll(float yaw, float pitch, float roll);
// The rotation a followed by b, matching RotationMatrix(a) · RotationMatrix(b).
Quaternion Multiply(const Quaternion& a, const Quaternion& b);
// A zero quaternion normalises to the identity.
Quaternion Normalize(const Quaternion& q);
float Dot(const Quaternion& a, const Quaternion& b);
// Spherical interpolation along the shorter arc; t = 0 gives a, t = 1 gives b (or its equivalent −b).
Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t);
// Angle in [0, 2π]; an identity rotation gives axis (1,0,0) and angle 0.
void ToAxisAngle(const Quaternion& q, Vec3* axis, float* angle);

// ---- Planes -----------------------------------------------------------------------------------------------
// Normal is cross(p1 − p0, p2 − p0), normalised; degenerate points give the zero plane.
Plane PlaneFromPoints(Vec3 p0, Vec3 p1, Vec3 p2);
Plane PlaneFromPointNormal(Vec3 point, Vec3 normal);
// Scales so the normal has unit length; a zero normal leaves the plane zero.
Plane Normalize(const Plane& p);
// Signed distance (for a normalised plane) of a point.
float DotCoord(const Plane& p, Vec3 v);
float DotNormal(const Plane& p, Vec3 v);
// Where the infinite line through a and b meets the plane; false when the line is parallel to it.
bool IntersectLine(const Plane& p, Vec3 a, Vec3 b, Vec3* hit);
// Moves a plane by a point transform (computes the inverse transpose); false when m is singular.
bool TransformPlane(const Plane& p, const Matrix4& m, Plane* out);

// ---- Colours ----------------------------------------------------------------------------------------------
// 0xAARRGGBB; channels clamp to [0, 1] and round to the nearest step.
uint32_t PackColor(const ColorValue& c);
ColorValue UnpackColor(uint32_t argb);
ColorValue Lerp(const ColorValue& a, const ColorValue& b, float t);
ColorValue Modulate(const ColorValue& a, const ColorValue& b);

}  // namespace platform
