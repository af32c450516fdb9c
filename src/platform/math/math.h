// 3D math on the plain records: left-handed space, row vectors (v' = v · M), translation in the fourth row.
// Angles are radians; matrices compose left to right (A · B applies A first, then B).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/math/types.h"

namespace platform {

constexpr float kPi = 3.14159265358979323846f;

// ---- Vectors ----------------------------------------------------------------------------------------------
// Dot, Cross, Length, LengthSquared, Normalize, Lerp, Add, Subtract, Scale, ComponentMin and ComponentMax are
// defined inline at the end of this file, since the simulation calls them in its innermost loops.

// ---- Matrices ---------------------------------------------------------------------------------------------
Matrix4 IdentityMatrix();
bool IsIdentity(const Matrix4& m);
// Multiply, operator* and Transpose are inline at the end of this file.
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
Matrix4 OrthoLH(float width, float height, float nearZ, float farZ);
Matrix4 OrthoOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ);
// Mirror image through a plane (normalised first); planar reflections are drawn with it.
Matrix4 ReflectionMatrix(const Plane& plane);
// Flattens geometry onto a plane (normalised first) away from a light: w = 1 for a light at that position,
// w = 0 for a light in the direction (x, y, z) from the scene.
Matrix4 ShadowMatrix(const Vec4& light, const Plane& plane);

// TransformCoord, TransformNormal and Transform are inline at the end of this file.

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

// ---- Inline definitions: the vector and transform operations of the simulation's inner loops ----------------

// Below this a vector or quaternion has no usable direction.
inline constexpr float kTinyLengthSquared = 1e-30f;

inline float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float Dot(Vec4 a, Vec4 b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

inline float LengthSquared(Vec2 v) { return Dot(v, v); }
inline float LengthSquared(Vec3 v) { return Dot(v, v); }
inline float LengthSquared(Vec4 v) { return Dot(v, v); }
inline float Length(Vec2 v) { return std::sqrt(Dot(v, v)); }
inline float Length(Vec3 v) { return std::sqrt(Dot(v, v)); }
inline float Length(Vec4 v) { return std::sqrt(Dot(v, v)); }

// A vector too short to have a direction normalises to zero, never NaN.
inline Vec2 Normalize(Vec2 v) {
  float lengthSquared = LengthSquared(v);
  if (!(lengthSquared > kTinyLengthSquared)) return {};
  return v * (1.0f / std::sqrt(lengthSquared));
}

inline Vec3 Normalize(Vec3 v) {
  float lengthSquared = LengthSquared(v);
  if (!(lengthSquared > kTinyLengthSquared)) return {};
  return v * (1.0f / std::sqrt(lengthSquared));
}

inline Vec4 Normalize(Vec4 v) {
  float lengthSquared = LengthSquared(v);
  if (!(lengthSquared > kTinyLengthSquared)) return {};
  return v * (1.0f / std::sqrt(lengthSquared));
}

// a + (b − a)·t; t is not clamped.
inline Vec2 Lerp(Vec2 a, Vec2 b, float t) { return a + (b - a) * t; }
inline Vec3 Lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }
inline Vec4 Lerp(Vec4 a, Vec4 b, float t) { return a + (b - a) * t; }
inline Vec3 Add(Vec3 a, Vec3 b) { return a + b; }
inline Vec3 Subtract(Vec3 a, Vec3 b) { return a - b; }
inline Vec3 Scale(Vec3 v, float s) { return v * s; }
inline Vec3 ComponentMin(Vec3 a, Vec3 b) { return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)}; }
inline Vec3 ComponentMax(Vec3 a, Vec3 b) { return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)}; }

// a · b: applies a, then b.
inline Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 r;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      r.m[row][col] = a.m[row][0] * b.m[0][col] + a.m[row][1] * b.m[1][col] + a.m[row][2] * b.m[2][col] +
                      a.m[row][3] * b.m[3][col];
  return r;
}

inline Matrix4 operator*(const Matrix4& a, const Matrix4& b) { return Multiply(a, b); }

inline Matrix4 Transpose(const Matrix4& m) {
  Matrix4 r;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) r.m[row][col] = m.m[col][row];
  return r;
}

// (v, 1) · M, or a Vec4 · M, with the full homogeneous result.
inline Vec4 Transform(Vec4 v, const Matrix4& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
          v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

inline Vec4 Transform(Vec3 v, const Matrix4& m) { return Transform(Vec4{v.x, v.y, v.z, 1}, m); }

// (v, 1) · M then divided by w (w of zero leaves the undivided result).
inline Vec3 TransformCoord(Vec3 v, const Matrix4& m) {
  Vec4 r = Transform(v, m);
  if (r.w == 0) return {r.x, r.y, r.z};
  float inverseW = 1.0f / r.w;
  return {r.x * inverseW, r.y * inverseW, r.z * inverseW};
}

// (v, 0) · M: directions, ignoring translation.
inline Vec3 TransformNormal(Vec3 v, const Matrix4& m) {
  Vec4 r = Transform(Vec4{v.x, v.y, v.z, 0}, m);
  return {r.x, r.y, r.z};
}

}  // namespace platform
