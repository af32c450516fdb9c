// The part of the fixed-function state that decides the shader program, and the GLSL generated for it.
// Pure code: no OpenGL calls, so the key and the generated text are testable without a context.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "platform/gfx/state_device.h"

namespace platform::gfx {

// Where a texture-stage texture comes from.
enum class StageTexture : uint8_t { None = 0, Flat = 1, Cube = 2 };

struct StageKey {
  uint8_t colorOp = 0, colorArg0 = 0, colorArg1 = 0, colorArg2 = 0;
  uint8_t alphaOp = 0, alphaArg0 = 0, alphaArg1 = 0, alphaArg2 = 0;
  uint8_t resultToTemp = 0;
  uint8_t texCoordSet = 0;
  uint8_t texGen = 0;          // 0 pass-through, 1 camera normal, 2 camera position, 3 reflection vector
  uint8_t transformCount = 0;  // 0 no transform, else the count of texture-transform flags
  uint8_t projected = 0;
  StageTexture texture = StageTexture::None;
  uint8_t padding[2] = {};
};

// Everything a generated program depends on; compared and hashed bytewise, so every byte is set.
struct ProgramKey {
  uint8_t pretransformed = 0;  // XYZRHW vertices
  uint8_t hasNormal = 0, hasDiffuse = 0, hasSpecular = 0;
  uint8_t texCoordFloats[8] = {};
  uint8_t lighting = 0, specularEnable = 0, localViewer = 0, normalizeNormals = 0;
  // Colour sources after lighting: 0 material, 1 vertex diffuse, 2 vertex specular.
  uint8_t diffuseSource = 0, ambientSource = 0, specularSource = 0, emissiveSource = 0;
  uint8_t lightTypes[kMaxActiveLights] = {};  // LightType of each active light slot, 0 when empty
  uint8_t fogEnable = 0;
  uint8_t fogTableMode = 0, fogVertexMode = 0, rangeFog = 0;
  uint8_t alphaTestFunc = 0;  // 0 off, else CompareFunc
  uint8_t clipPlaneMask = 0;
  uint8_t flatShade = 0;
  uint8_t pointSprite = 0, pointScale = 0, hasPointSize = 0;
  uint8_t blendMatrices = 0;  // world matrices blended by vertex weights (2-4), 0 without blending
  uint8_t stageCount = 0;
  StageKey stages[kMaxTextureStages] = {};

  bool operator==(const ProgramKey& other) const { return std::memcmp(this, &other, sizeof(ProgramKey)) == 0; }
};

struct ProgramKeyHash {
  size_t operator()(const ProgramKey& key) const {
    // FNV-1a over the bytes.
    const auto* bytes = reinterpret_cast<const uint8_t*>(&key);
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < sizeof(ProgramKey); ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return static_cast<size_t>(hash);
  }
};

// The lights that will be drawn with: up to kMaxActiveLights enabled lights, in index order.
struct ActiveLights {
  uint32_t count = 0;
  const Light* lights[kMaxActiveLights] = {};
};
ActiveLights CollectActiveLights(const DeviceState& state);

// Builds the key from the current state; textureKinds[stage] says what is bound on each stage.
ProgramKey BuildProgramKey(const DeviceState& state, const StageTexture textureKinds[kMaxTextureStages]);

struct ProgramSource {
  std::string vertex;
  std::string fragment;
};

// GLSL 3.30 core sources for the key.
ProgramSource GenerateProgram(const ProgramKey& key);

// Attribute locations of the generated vertex shader.
namespace attribute {
enum : uint32_t { kPosition = 0, kNormal = 1, kDiffuse = 2, kSpecular = 3, kTexCoord0 = 4, kPointSize = 12, kBlendWeights = 13 };
}

}  // namespace platform::gfx
