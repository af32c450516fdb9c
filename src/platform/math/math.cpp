// 3D math on the plain records: vectors, matrices, quaternions, planes and colours.
#include "platform/math/math.h"

#include <algorithm>
#include <cmath>

namespace platform {

// ---- Matrices ---------------------------------------------------------------------------------------------

Matrix4 IdentityMatrix() {
  Matrix4 r;
  for (int i = 0; i < 4; ++i) r.m[i][i] = 1;
  return r;
}

bool IsIdentity(const Matrix4& m) {
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col)
      if (m.m[row][col] != (row == col ? 1.0f : 0.0f)) return false;
  return true;
}

namespace {

// Adjugate (transposed cofactors) of m, by 2×2 sub-determinants of the lower and upper row pairs.
Matrix4 Adjugate(const Matrix4& m, float* determinant) {
  const float(*a)[4] = m.m;
  float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  *determinant = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;

  Matrix4 r;
  r.m[0][0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
  r.m[0][1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
  r.m[0][2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
  r.m[0][3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
  r.m[1][0] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
  r.m[1][1] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
  r.m[1][2] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
  r.m[1][3] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
  r.m[2][0] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
  r.m[2][1] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
  r.m[2][2] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
  r.m[2][3] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
  r.m[3][0] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
  r.m[3][1] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
  r.m[3][2] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
  r.m[3][3] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
  return r;
}

}  // namespace

bool Inverse(const Matrix4& m, Matrix4* out, float* determinant) {
  float det = 0;
  Matrix4 adjugate = Adjugate(m, &det);
  if (determinant) *determinant = det;
  if (det == 0 || !std::isfinite(det)) return false;
  float inverseDet = 1.0f / det;
  if (!std::isfinite(inverseDet)) return false;
  for (auto& row : adjugate.m)
    for (float& value : row) value *= inverseDet;
  *out = adjugate;
  return true;
}

Matrix4 TranslationMatrix(float x, float y, float z) {
  Matrix4 r = IdentityMatrix();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Matrix4 TranslationMatrix(Vec3 offset) { return TranslationMatrix(offset.x, offset.y, offset.z); }

Matrix4 ScalingMatrix(float x, float y, float z) {
  Matrix4 r;
  r.m[0][0] = x;
  r.m[1][1] = y;
  r.m[2][2] = z;
  r.m[3][3] = 1;
  return r;
}

Matrix4 RotationXMatrix(float angle) {
  float s = std::sin(angle), c = std::cos(angle);
  Matrix4 r = IdentityMatrix();
  r.m[1][1] = c;
  r.m[1][2] = s;
  r.m[2][1] = -s;
  r.m[2][2] = c;
  return r;
}

Matrix4 RotationYMatrix(float angle) {
  float s = std::sin(angle), c = std::cos(angle);
  Matrix4 r = IdentityMatrix();
  r.m[0][0] = c;
  r.m[0][2] = -s;
  r.m[2][0] = s;
  r.m[2][2] = c;
  return r;
}

Matrix4 RotationZMatrix(float angle) {
  float s = std::sin(angle), c = std::cos(angle);
  Matrix4 r = IdentityMatrix();
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

Matrix4 RotationAxisMatrix(Vec3 axis, float angle) {
  Vec3 n = Normalize(axis);
  if (LengthSquared(n) == 0) return IdentityMatrix();
  float s = std::sin(angle), c = std::cos(angle), t = 1 - c;
  Matrix4 r = IdentityMatrix();
  r.m[0][0] = t * n.x * n.x + c;
  r.m[0][1] = t * n.x * n.y + s * n.z;
  r.m[0][2] = t * n.x * n.z - s * n.y;
  r.m[1][0] = t * n.x * n.y - s * n.z;
  r.m[1][1] = t * n.y * n.y + c;
  r.m[1][2] = t * n.y * n.z + s * n.x;
  r.m[2][0] = t * n.x * n.z + s * n.y;
  r.m[2][1] = t * n.y * n.z - s * n.x;
  r.m[2][2] = t * n.z * n.z + c;
  return r;
}

Matrix4 YawPitchRollMatrix(float yaw, float pitch, float roll) {
  return RotationZMatrix(roll) * RotationXMatrix(pitch) * RotationYMatrix(yaw);
}

Matrix4 RotationMatrix(const Quaternion& q) {
  float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  Matrix4 r = IdentityMatrix();
  r.m[0][0] = 1 - 2 * (yy + zz);
  r.m[0][1] = 2 * (xy + wz);
  r.m[0][2] = 2 * (xz - wy);
  r.m[1][0] = 2 * (xy - wz);
  r.m[1][1] = 1 - 2 * (xx + zz);
  r.m[1][2] = 2 * (yz + wx);
  r.m[2][0] = 2 * (xz + wy);
  r.m[2][1] = 2 * (yz - wx);
  r.m[2][2] = 1 - 2 * (xx + yy);
  return r;
}

Matrix4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
  Vec3 zAxis = Normalize(at - eye);
  Vec3 xAxis = Normalize(Cross(up, zAxis));
  Vec3 yAxis = Cross(zAxis, xAxis);
  Matrix4 r = IdentityMatrix();
  r.m[0][0] = xAxis.x; r.m[0][1] = yAxis.x; r.m[0][2] = zAxis.x;
  r.m[1][0] = xAxis.y; r.m[1][1] = yAxis.y; r.m[1][2] = zAxis.y;
  r.m[2][0] = xAxis.z; r.m[2][1] = yAxis.z; r.m[2][2] = zAxis.z;
  r.m[3][0] = -Dot(xAxis, eye);
  r.m[3][1] = -Dot(yAxis, eye);
  r.m[3][2] = -Dot(zAxis, eye);
  return r;
}

Matrix4 PerspectiveFovLH(float fovY, float aspect, float nearZ, float farZ) {
  float yScale = 1.0f / std::tan(fovY * 0.5f);
  float xScale = yScale / aspect;
  Matrix4 r;
  r.m[0][0] = xScale;
  r.m[1][1] = yScale;
  r.m[2][2] = farZ / (farZ - nearZ);
  r.m[2][3] = 1;
  r.m[3][2] = -nearZ * farZ / (farZ - nearZ);
  return r;
}

Matrix4 OrthoLH(float width, float height, float nearZ, float farZ) {
  return OrthoOffCenterLH(-width / 2, width / 2, -height / 2, height / 2, nearZ, farZ);
}

Matrix4 OrthoOffCenterLH(float left, float right, float bottom, float top, float nearZ, float farZ) {
  Matrix4 r = IdentityMatrix();
  r.m[0][0] = 2 / (right - left);
  r.m[1][1] = 2 / (top - bottom);
  r.m[2][2] = 1 / (farZ - nearZ);
  r.m[3][0] = (left + right) / (left - right);
  r.m[3][1] = (top + bottom) / (bottom - top);
  r.m[3][2] = nearZ / (nearZ - farZ);
  return r;
}

Matrix4 ReflectionMatrix(const Plane& plane) {
  Plane p = Normalize(plane);
  const float n[4] = {p.a, p.b, p.c, p.d};
  Matrix4 r = IdentityMatrix();
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col) r.m[row][col] -= 2 * n[row] * n[col];
  return r;
}

Matrix4 ShadowMatrix(const Vec4& light, const Plane& plane) {
  Plane p = Normalize(plane);
  const float n[4] = {p.a, p.b, p.c, p.d};
  const float l[4] = {light.x, light.y, light.z, light.w};
  float d = n[0] * l[0] + n[1] * l[1] + n[2] * l[2] + n[3] * l[3];
  Matrix4 r;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) r.m[row][col] = (row == col ? d : 0) - n[row] * l[col];
  return r;
}


Vec3 Project(Vec3 v, const ScreenViewport& viewport, const Matrix4& worldViewProjection) {
  Vec3 ndc = TransformCoord(v, worldViewProjection);
  return {viewport.x + (1 + ndc.x) * viewport.width * 0.5f, viewport.y + (1 - ndc.y) * viewport.height * 0.5f,
          viewport.minZ + ndc.z * (viewport.maxZ - viewport.minZ)};
}

bool Unproject(Vec3 screen, const ScreenViewport& viewport, const Matrix4& worldViewProjection, Vec3* out) {
  Matrix4 inverse;
  if (!Inverse(worldViewProjection, &inverse)) return false;
  if (viewport.width == 0 || viewport.height == 0 || viewport.maxZ == viewport.minZ) return false;
  Vec3 ndc{(screen.x - viewport.x) * 2 / viewport.width - 1, 1 - (screen.y - viewport.y) * 2 / viewport.height,
           (screen.z - viewport.minZ) / (viewport.maxZ - viewport.minZ)};
  *out = TransformCoord(ndc, inverse);
  return true;
}

Vec3 CatmullRom(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float s) {
  float s2 = s * s, s3 = s2 * s;
  return (p1 * 2 + (p2 - p0) * s + (p0 * 2 - p1 * 5 + p2 * 4 - p3) * s2 + (p1 * 3 - p0 - p2 * 3 + p3) * s3) * 0.5f;
}

// ---- Quaternions ------------------------------------------------------------------------------------------

Quaternion QuaternionFromMatrix(const Matrix4& matrix) {
  const float(*m)[4] = matrix.m;
  float trace = m[0][0] + m[1][1] + m[2][2];
  Quaternion q;
  // Pick the largest component to divide by, so the result stays accurate near 180° turns.
  if (trace > 0) {
    float s = std::sqrt(trace + 1) * 2;  // 4w
    q.w = s / 4;
    q.x = (m[1][2] - m[2][1]) / s;
    q.y = (m[2][0] - m[0][2]) / s;
    q.z = (m[0][1] - m[1][0]) / s;
  } else if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
    float s = std::sqrt(1 + m[0][0] - m[1][1] - m[2][2]) * 2;  // 4x
    q.x = s / 4;
    q.y = (m[0][1] + m[1][0]) / s;
    q.z = (m[0][2] + m[2][0]) / s;
    q.w = (m[1][2] - m[2][1]) / s;
  } else if (m[1][1] >= m[2][2]) {
    float s = std::sqrt(1 + m[1][1] - m[0][0] - m[2][2]) * 2;  // 4y
    q.y = s / 4;
    q.x = (m[0][1] + m[1][0]) / s;
    q.z = (m[1][2] + m[2][1]) / s;
    q.w = (m[2][0] - m[0][2]) / s;
  } else {
    float s = std::sqrt(1 + m[2][2] - m[0][0] - m[1][1]) * 2;  // 4z
    q.z = s / 4;
    q.x = (m[0][2] + m[2][0]) / s;
    q.y = (m[1][2] + m[2][1]) / s;
    q.w = (m[0][1] - m[1][0]) / s;
  }
  return Normalize(q);
}

Quaternion QuaternionFromAxisAngle(Vec3 axis, float angle) {
  Vec3 n = Normalize(axis);
  if (LengthSquared(n) == 0) return {};
  float s = std::sin(angle * 0.5f);
  return {n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f)};
}

Quaternion QuaternionFromYawPitchRoll(float yaw, float pitch, float roll) {
  Quaternion rollTurn = QuaternionFromAxisAngle({0, 0, 1}, roll);
  Quaternion pitchTurn = QuaternionFromAxisAngle({1, 0, 0}, pitch);
  Quaternion yawTurn = QuaternionFromAxisAngle({0, 1, 0}, yaw);
  return Multiply(Multiply(rollTurn, pitchTurn), yawTurn);
}

Quaternion Multiply(const Quaternion& a, const Quaternion& b) {
  // Hamilton product b·a: with row vectors the first rotation sits on the right.
  return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
          b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
          b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w,
          b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

float Dot(const Quaternion& a, const Quaternion& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

Quaternion Normalize(const Quaternion& q) {
  float lengthSquared = Dot(q, q);
  if (!(lengthSquared > kTinyLengthSquared)) return {};
  float inverse = 1.0f / std::sqrt(lengthSquared);
  return {q.x * inverse, q.y * inverse, q.z * inverse, q.w * inverse};
}

Quaternion Slerp(const Quaternion& a, const Quaternion& b, float t) {
  float cosine = Dot(a, b);
  float sign = 1;
  if (cosine < 0) {
    cosine = -cosine;
    sign = -1;
  }
  float weightA = 1 - t, weightB = t;
  // Nearly parallel: the sine below vanishes, and straight interpolation is as good.
  if (cosine < 0.9999f) {
    float angle = std::acos(cosine);
    float inverseSine = 1.0f / std::sin(angle);
    weightA = std::sin((1 - t) * angle) * inverseSine;
    weightB = std::sin(t * angle) * inverseSine;
  }
  weightB *= sign;
  Quaternion r{a.x * weightA + b.x * weightB, a.y * weightA + b.y * weightB, a.z * weightA + b.z * weightB,
               a.w * weightA + b.w * weightB};
  return cosine < 0.9999f ? r : Normalize(r);
}

// ---- Planes -----------------------------------------------------------------------------------------------

Plane PlaneFromPoints(Vec3 p0, Vec3 p1, Vec3 p2) {
  Vec3 normal = Normalize(Cross(p1 - p0, p2 - p0));
  if (LengthSquared(normal) == 0) return {};
  return {normal.x, normal.y, normal.z, -Dot(normal, p0)};
}

Plane PlaneFromPointNormal(Vec3 point, Vec3 normal) { return {normal.x, normal.y, normal.z, -Dot(normal, point)}; }

Plane Normalize(const Plane& p) {
  float length = Length(Vec3{p.a, p.b, p.c});
  if (!(length * length > kTinyLengthSquared)) return {};
  float inverse = 1.0f / length;
  return {p.a * inverse, p.b * inverse, p.c * inverse, p.d * inverse};
}

float DotCoord(const Plane& p, Vec3 v) { return p.a * v.x + p.b * v.y + p.c * v.z + p.d; }
float DotNormal(const Plane& p, Vec3 v) { return p.a * v.x + p.b * v.y + p.c * v.z; }

bool IntersectLine(const Plane& p, Vec3 a, Vec3 b, Vec3* hit) {
  Vec3 direction = b - a;
  float along = DotNormal(p, direction);
  if (along == 0) return false;
  float t = -DotCoord(p, a) / along;
  if (!std::isfinite(t)) return false;
  *hit = a + direction * t;
  return true;
}

bool TransformPlane(const Plane& p, const Matrix4& m, Plane* out) {
  Matrix4 inverse;
  if (!Inverse(m, &inverse)) return false;
  // Planes are covectors: they move by the inverse transpose of the point transform.
  Matrix4 inverseTranspose = Transpose(inverse);
  Vec4 r = Transform(Vec4{p.a, p.b, p.c, p.d}, inverseTranspose);
  *out = {r.x, r.y, r.z, r.w};
  return true;
}

// ---- Colours ----------------------------------------------------------------------------------------------

namespace {

uint32_t ChannelByte(float value) {
  if (!(value > 0)) return 0;  // also catches NaN
  if (value >= 1) return 255;
  return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

}  // namespace

uint32_t PackColor(const ColorValue& c) {
  return (ChannelByte(c.a) << 24) | (ChannelByte(c.r) << 16) | (ChannelByte(c.g) << 8) | ChannelByte(c.b);
}

ColorValue UnpackColor(uint32_t argb) {
  constexpr float kStep = 1.0f / 255.0f;
  return {static_cast<float>((argb >> 16) & 0xFF) * kStep, static_cast<float>((argb >> 8) & 0xFF) * kStep,
          static_cast<float>(argb & 0xFF) * kStep, static_cast<float>((argb >> 24) & 0xFF) * kStep};
}

}  // namespace platform
