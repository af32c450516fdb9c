// The plain records of 3D math: vectors, matrices (row vectors, left-handed), quaternions, planes and colours.
// The routines that work on them are in math/math.h.
#pragma once

namespace platform {

struct Vec2 {
  float x = 0, y = 0;
};

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

struct Vec4 {
  float x = 0, y = 0, z = 0, w = 0;
};

// Row-major 4×4 matrix used with row vectors (v' = v · M); translation in the fourth row.
struct Matrix4 {
  float m[4][4] = {};
};

struct Quaternion {
  float x = 0, y = 0, z = 0, w = 1;
};

// a·x + b·y + c·z + d = 0.
struct Plane {
  float a = 0, b = 0, c = 0, d = 0;
};

// Floating-point colour, channels nominally 0-1.
struct ColorValue {
  float r = 0, g = 0, b = 0, a = 0;
};

}  // namespace platform
