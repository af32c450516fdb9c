// The 13 material kinds a model or scene sorts its drawable pieces into; each kind gets its own render states.
#pragma once

#include <array>
#include <cstdint>

namespace geometry {

// Numbers are fixed: loaders assign them and drawing lists are indexed by them.
enum class MaterialKind : int32_t {
  Plain = 0,                    // a base texture, opaque, drawn first
  AlphaFirst = 1,               // transparent, drawn before the other transparent materials
  Alpha = 2,                    // transparent: separate alpha picture, alpha channel or colour key
  AlphaLast = 3,                // transparent, no depth writes, after 1 and 2
  SharedReflection = 4,         // reflection mask; stage 1 reflects the caller's environment cube
  CubeReflection = 5,           // its own cube environment map
  Additive = 6,                 // an overlay added to the frame, no base texture
  Multiply = 7,                 // an overlay multiplied into the frame, no base texture
  NormalMapped = 8,             // per-pixel light from a normal map
  MapReflection = 9,            // its own 2D environment map
  SharedReflectionBlended = 10, // kind 4, drawn late and blended
  CubeReflectionBlended = 11,   // kind 5, drawn late and blended
  MapReflectionBlended = 12,    // kind 9, drawn late and blended
};

constexpr int kMaterialKindCount = 13;

constexpr int KindIndex(MaterialKind kind) { return static_cast<int>(kind); }

// A kind from a stored number; anything outside 0-12 is Plain.
constexpr MaterialKind KindFromIndex(int32_t index) {
  return index >= 0 && index < kMaterialKindCount ? static_cast<MaterialKind>(index) : MaterialKind::Plain;
}

// Readable names, for logs and tests.
constexpr std::array<const char*, kMaterialKindCount> kMaterialKindNames = {
    "Plain",           "AlphaFirst", "Alpha",    "AlphaLast",    "SharedReflection",
    "CubeReflection",  "Additive",   "Multiply", "NormalMapped", "MapReflection",
    "SharedReflectionBlended", "CubeReflectionBlended", "MapReflectionBlended",
};

// Overlay passes: images whose overlayPass matches are shown by the overlay draw of that pass.
constexpr int32_t kAdditiveOverlayPass = 6;
constexpr int32_t kMultiplyOverlayPass = 7;

// The lightValue that the second (self-lit) pass draws lit.
constexpr int32_t kSelfLitValue = 100;

}  // namespace geometry
