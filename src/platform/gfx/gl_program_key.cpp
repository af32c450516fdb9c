// Builds the program key from the device state and writes the GLSL that reproduces the fixed-function pipeline:
// per-vertex lighting in camera space, texture-coordinate generation and transforms, the texture-stage combiner
// chain, specular add, fog and alpha test.
#include "platform/gfx/gl_program_key.h"

#include <string>

namespace platform::gfx {

ActiveLights CollectActiveLights(const DeviceState& state) {
  ActiveLights active;
  for (const auto& [index, slot] : state.lights) {
    if (!slot.enabled) continue;
    if (active.count == kMaxActiveLights) break;
    active.lights[active.count++] = &slot.light;
  }
  return active;
}

namespace {

uint8_t ColorSource(const DeviceState& state, RenderState which, bool hasDiffuse, bool hasSpecular) {
  if (!state.Render(RenderState::ColorVertex)) return 0;
  const uint32_t source = state.Render(which);
  if (source == static_cast<uint32_t>(MaterialColorSource::Color1) && hasDiffuse) return 1;
  if (source == static_cast<uint32_t>(MaterialColorSource::Color2) && hasSpecular) return 2;
  return 0;
}

bool ArgUses(uint32_t arg, uint32_t source) { return (arg & texture_arg::kSelectMask) == source; }

}  // namespace

ProgramKey BuildProgramKey(const DeviceState& state, const StageTexture textureKinds[kMaxTextureStages]) {
  ProgramKey key;
  const VertexLayout layout = DescribeVertexFormat(state.fvf);
  key.pretransformed = layout.positionFloats == 4 ? 1 : 0;
  key.hasNormal = layout.normal >= 0 ? 1 : 0;
  key.hasDiffuse = layout.diffuse >= 0 ? 1 : 0;
  key.hasSpecular = layout.specular >= 0 ? 1 : 0;
  for (int i = 0; i < layout.texCoordCount; ++i) key.texCoordFloats[i] = static_cast<uint8_t>(layout.texCoordFloats[i]);

  key.lighting = (!key.pretransformed && state.Render(RenderState::Lighting)) ? 1 : 0;
  // Unlit vertices without a specular colour have none to add: the program skips the add and its varying.
  key.specularEnable = state.Render(RenderState::SpecularEnable) && (key.lighting || key.hasSpecular) ? 1 : 0;
  if (key.lighting) {
    key.localViewer = state.Render(RenderState::LocalViewer) ? 1 : 0;
    key.normalizeNormals = state.Render(RenderState::NormalizeNormals) ? 1 : 0;
    key.diffuseSource = ColorSource(state, RenderState::DiffuseMaterialSource, key.hasDiffuse, key.hasSpecular);
    key.ambientSource = ColorSource(state, RenderState::AmbientMaterialSource, key.hasDiffuse, key.hasSpecular);
    key.specularSource = ColorSource(state, RenderState::SpecularMaterialSource, key.hasDiffuse, key.hasSpecular);
    key.emissiveSource = ColorSource(state, RenderState::EmissiveMaterialSource, key.hasDiffuse, key.hasSpecular);
    const ActiveLights active = CollectActiveLights(state);
    for (uint32_t i = 0; i < active.count; ++i) key.lightTypes[i] = static_cast<uint8_t>(active.lights[i]->type);
  }

  key.fogEnable = state.Render(RenderState::FogEnable) ? 1 : 0;
  if (key.fogEnable) {
    key.fogTableMode = static_cast<uint8_t>(state.Render(RenderState::FogTableMode) & 3);
    key.fogVertexMode = static_cast<uint8_t>(state.Render(RenderState::FogVertexMode) & 3);
    key.rangeFog = state.Render(RenderState::RangeFogEnable) ? 1 : 0;
    if (key.pretransformed) key.fogVertexMode = 0;  // pre-lit vertices carry their fog in specular alpha
  }
  // A test that passes everything is no test: the program keeps its early depth test without a discard.
  if (state.Render(RenderState::AlphaTestEnable)) {
    const uint32_t func = state.Render(RenderState::AlphaFunc);
    key.alphaTestFunc = static_cast<uint8_t>(func >= 1 && func < 8 ? func : 0);
  }
  if (!key.pretransformed) key.clipPlaneMask = static_cast<uint8_t>(state.Render(RenderState::ClipPlaneEnable) & 0x3F);
  key.flatShade = state.Render(RenderState::ShadeMode) == static_cast<uint32_t>(ShadeMode::Flat) ? 1 : 0;
  key.pointSprite = state.Render(RenderState::PointSpriteEnable) ? 1 : 0;
  key.pointScale = (!key.pretransformed && state.Render(RenderState::PointScaleEnable)) ? 1 : 0;
  key.hasPointSize = layout.pointSize >= 0 ? 1 : 0;
  // Vertex blending: VERTEXBLEND 1-3 weights (from the vertex) mix 2-4 world matrices; the last weight is what the
  // others leave.
  const uint32_t blend = state.Render(RenderState::VertexBlend);
  if (!key.pretransformed && blend >= 1 && blend <= 3 && static_cast<uint32_t>(layout.blendWeightCount) >= blend)
    key.blendMatrices = static_cast<uint8_t>(blend + 1);

  for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage) {
    const uint32_t colorOp = state.Stage(stage, TextureStageState::ColorOp);
    if (colorOp == static_cast<uint32_t>(TextureOp::Disable) || colorOp == 0 || colorOp > 26) break;
    StageKey& s = key.stages[stage];
    s.colorOp = static_cast<uint8_t>(colorOp);
    s.colorArg0 = static_cast<uint8_t>(state.Stage(stage, TextureStageState::ColorArg0) & 0x3F);
    s.colorArg1 = static_cast<uint8_t>(state.Stage(stage, TextureStageState::ColorArg1) & 0x3F);
    s.colorArg2 = static_cast<uint8_t>(state.Stage(stage, TextureStageState::ColorArg2) & 0x3F);
    const uint32_t alphaOp = state.Stage(stage, TextureStageState::AlphaOp);
    s.alphaOp = static_cast<uint8_t>(alphaOp <= 26 ? alphaOp : 1);
    s.alphaArg0 = static_cast<uint8_t>(state.Stage(stage, TextureStageState::AlphaArg0) & 0x3F);
    s.alphaArg1 = static_cast<uint8_t>(state.Stage(stage, TextureStageState::AlphaArg1) & 0x3F);
    s.alphaArg2 = static_cast<uint8_t>(state.Stage(stage, TextureStageState::AlphaArg2) & 0x3F);
    s.resultToTemp = ArgUses(state.Stage(stage, TextureStageState::ResultArg), texture_arg::kTemp) ? 1 : 0;
    const uint32_t index = state.Stage(stage, TextureStageState::TexCoordIndex);
    s.texCoordSet = static_cast<uint8_t>(index & 7);
    s.texGen = key.pretransformed ? 0 : static_cast<uint8_t>((index >> 16) & 3);
    const uint32_t transform = state.Stage(stage, TextureStageState::TextureTransformFlags);
    s.transformCount = static_cast<uint8_t>((transform & 7) > 4 ? 4 : (transform & 7));
    s.projected = (transform & texture_transform::kProjected) ? 1 : 0;
    s.texture = textureKinds[stage];
    key.stageCount = static_cast<uint8_t>(stage + 1);
  }
  return key;
}

namespace {

std::string Num(uint32_t value) { return std::to_string(value); }

// The GLSL expression of a stage argument (a vec4).
std::string Argument(uint32_t arg, uint32_t stage) {
  std::string value;
  switch (arg & texture_arg::kSelectMask) {
    case texture_arg::kDiffuse: value = "diffuse"; break;
    case texture_arg::kCurrent: value = "current"; break;
    case texture_arg::kTexture: value = "tex" + Num(stage); break;
    case texture_arg::kTFactor: value = "uTextureFactor"; break;
    case texture_arg::kSpecular: value = "specular"; break;
    case texture_arg::kTemp: value = "temp"; break;
    default: value = "vec4(0.0)"; break;
  }
  if (arg & texture_arg::kAlphaReplicate) value = "vec4(" + value + ".a)";
  if (arg & texture_arg::kComplement) value = "(vec4(1.0) - " + value + ")";
  return value;
}

// The GLSL expression of a combiner op over vec4 arguments a0, a1, a2 (component-wise; the caller picks channels).
std::string Operation(uint32_t op) {
  switch (static_cast<TextureOp>(op)) {
    case TextureOp::SelectArg1: return "a1";
    case TextureOp::SelectArg2: return "a2";
    case TextureOp::Modulate: return "a1 * a2";
    case TextureOp::Modulate2x: return "a1 * a2 * 2.0";
    case TextureOp::Modulate4x: return "a1 * a2 * 4.0";
    case TextureOp::Add: return "a1 + a2";
    case TextureOp::AddSigned: return "a1 + a2 - vec4(0.5)";
    case TextureOp::AddSigned2x: return "(a1 + a2 - vec4(0.5)) * 2.0";
    case TextureOp::Subtract: return "a1 - a2";
    case TextureOp::AddSmooth: return "a1 + a2 - a1 * a2";
    case TextureOp::BlendDiffuseAlpha: return "mix(a2, a1, diffuse.a)";
    case TextureOp::BlendTextureAlpha: return "mix(a2, a1, texAlpha)";
    case TextureOp::BlendFactorAlpha: return "mix(a2, a1, uTextureFactor.a)";
    case TextureOp::BlendTextureAlphaPm: return "a1 + a2 * (1.0 - texAlpha)";
    case TextureOp::BlendCurrentAlpha: return "mix(a2, a1, current.a)";
    case TextureOp::ModulateAlphaAddColor: return "a1 + a1.a * a2";
    case TextureOp::ModulateColorAddAlpha: return "a1 * a2 + vec4(a1.a)";
    case TextureOp::ModulateInvAlphaAddColor: return "(1.0 - a1.a) * a2 + a1";
    case TextureOp::ModulateInvColorAddAlpha: return "(vec4(1.0) - a1) * a2 + vec4(a1.a)";
    case TextureOp::DotProduct3: return "vec4(4.0 * dot(a1.rgb - vec3(0.5), a2.rgb - vec3(0.5)))";
    case TextureOp::MultiplyAdd: return "a0 + a1 * a2";
    case TextureOp::Lerp: return "mix(a2, a1, a0)";
    default: return "a1";  // Premodulate and the bump-mapping ops are not offered by the caps
  }
}

// Whether an op reads the texture through one of the arguments it uses.
bool UsesTexture(uint8_t op, uint8_t arg0, uint8_t arg1, uint8_t arg2) {
  auto texture = [](uint8_t arg) { return (arg & texture_arg::kSelectMask) == texture_arg::kTexture; };
  switch (static_cast<TextureOp>(op)) {
    case TextureOp::SelectArg1: return texture(arg1);
    case TextureOp::SelectArg2: return texture(arg2);
    case TextureOp::MultiplyAdd:
    case TextureOp::Lerp: return texture(arg0) || texture(arg1) || texture(arg2);
    case TextureOp::BlendTextureAlpha:
    case TextureOp::BlendTextureAlphaPm: return true;
    default: return texture(arg1) || texture(arg2);
  }
}

void AppendVertexShader(const ProgramKey& key, std::string& s) {
  s += "#version 330 core\n";
  s += "layout(location = 0) in vec4 aPosition;\n";
  if (key.hasNormal) s += "layout(location = 1) in vec3 aNormal;\n";
  if (key.hasDiffuse) s += "layout(location = 2) in vec4 aDiffuse;\n";
  if (key.hasSpecular) s += "layout(location = 3) in vec4 aSpecular;\n";
  for (uint32_t i = 0; i < 8; ++i)
    if (key.texCoordFloats[i]) s += "layout(location = " + Num(4 + i) + ") in vec4 aTex" + Num(i) + ";\n";
  if (key.hasPointSize) s += "layout(location = 12) in float aPointSize;\n";
  if (key.blendMatrices) {
    s += "layout(location = 13) in vec4 aBlendWeights;\n";
    s += "uniform mat4 uWorldBlend[4];\nuniform mat4 uWorldViewBlend[4];\nuniform mat3 uNormalBlend[4];\n";
  }
  s += "uniform mat4 uWorld;\nuniform mat4 uWorldView;\nuniform mat4 uProjection;\nuniform mat3 uNormalMatrix;\n";
  s += "uniform vec4 uViewport;\n";  // x, y, width, height of the viewport in pixels
  s += "uniform vec4 uMatDiffuse;\nuniform vec4 uMatAmbient;\nuniform vec4 uMatSpecular;\nuniform vec4 uMatEmissive;\n";
  s += "uniform float uMatPower;\nuniform vec4 uAmbient;\n";
  s += "uniform vec4 uLightDiffuse[8];\nuniform vec4 uLightSpecular[8];\nuniform vec4 uLightAmbient[8];\n";
  s += "uniform vec3 uLightPosition[8];\nuniform vec3 uLightDirection[8];\n";
  s += "uniform vec4 uLightAttenuation[8];\n";  // a0, a1, a2, range
  s += "uniform vec3 uLightSpot[8];\n";         // cos(theta/2), cos(phi/2), falloff
  s += "uniform mat4 uTexMatrix[8];\nuniform vec4 uClipPlane[6];\nuniform vec4 uFog;\n";  // start, end, density
  s += "uniform vec4 uPointSize;\nuniform vec3 uPointScale;\n";  // size, min, max; A, B, C
  const std::string flat = key.flatShade ? "flat " : "";
  s += flat + "out vec4 vDiffuse;\n" + flat + "out vec4 vSpecular;\nout float vFog;\n";
  for (uint32_t i = 0; i < key.stageCount; ++i) s += "out vec4 vTex" + Num(i) + ";\n";
  s += "void main() {\n";
  s += key.hasDiffuse ? "  vec4 inDiffuse = aDiffuse;\n" : "  vec4 inDiffuse = vec4(1.0);\n";
  s += key.hasSpecular ? "  vec4 inSpecular = aSpecular;\n" : "  vec4 inSpecular = vec4(0.0);\n";
  if (key.pretransformed) {
    // Screen-space vertices: pixel centres at integer coordinates, z is the depth value, w = 1/rhw.
    s += "  float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;\n";
    s += "  vec2 ndc = (aPosition.xy + vec2(0.5) - uViewport.xy) / uViewport.zw * 2.0 - vec2(1.0);\n";
    s += "  gl_Position = vec4(ndc * w, (aPosition.z * 2.0 - 1.0) * w, w);\n";
    s += "  vec3 eye = vec3(0.0, 0.0, w);\n  vec3 normal = vec3(0.0, 0.0, -1.0);\n";
  } else {
    if (key.blendMatrices) {
      const uint32_t n = key.blendMatrices;
      s += "  float weights[4] = float[4](0.0, 0.0, 0.0, 0.0);\n  float rest = 1.0;\n";
      static const char* kComponents = "xyzw";
      for (uint32_t i = 0; i + 1 < n; ++i) {
        s += "  weights[" + Num(i) + "] = aBlendWeights." + std::string(1, kComponents[i]) + ";\n";
        s += "  rest -= weights[" + Num(i) + "];\n";
      }
      s += "  weights[" + Num(n - 1) + "] = rest;\n";
      s += "  vec4 eye4 = vec4(0.0);\n  vec4 blendedWorld = vec4(0.0);\n  vec3 blendedNormal = vec3(0.0);\n";
      s += "  for (int i = 0; i < " + Num(n) + "; ++i) {\n";
      s += "    eye4 += weights[i] * (uWorldViewBlend[i] * vec4(aPosition.xyz, 1.0));\n";
      s += "    blendedWorld += weights[i] * (uWorldBlend[i] * vec4(aPosition.xyz, 1.0));\n";
      if (key.hasNormal) s += "    blendedNormal += weights[i] * (uNormalBlend[i] * aNormal);\n";
      s += "  }\n  vec3 eye = eye4.xyz;\n";
    } else {
      s += "  vec4 eye4 = uWorldView * vec4(aPosition.xyz, 1.0);\n  vec3 eye = eye4.xyz;\n";
    }
    s += "  vec4 clip = uProjection * eye4;\n";
    // Direct3D's depth range is 0..1 at w; OpenGL's is -w..w. Rows run top-down in every target, so y flips.
    s += "  gl_Position = vec4(clip.x, -clip.y, clip.z * 2.0 - clip.w, clip.w);\n";
    // Pixel centres sit on integer screen coordinates in the classic rasteriser, half a pixel from GL's.
    s += "  gl_Position.xy += clip.w / uViewport.zw;\n";
    if (key.blendMatrices) s += "  vec3 normal = blendedNormal;\n";
    else s += key.hasNormal ? "  vec3 normal = uNormalMatrix * aNormal;\n" : "  vec3 normal = vec3(0.0);\n";
    if (key.normalizeNormals && key.hasNormal) s += "  if (dot(normal, normal) > 0.0) normal = normalize(normal);\n";
    if (key.clipPlaneMask) {
      s += key.blendMatrices ? "  vec4 world = blendedWorld;\n" : "  vec4 world = uWorld * vec4(aPosition.xyz, 1.0);\n";
      for (uint32_t i = 0; i < kMaxClipPlanes; ++i)
        if (key.clipPlaneMask & (1u << i)) s += "  gl_ClipDistance[" + Num(i) + "] = dot(world, uClipPlane[" + Num(i) + "]);\n";
    }
  }
  if (key.lighting) {
    static const char* kSources[3] = {"", "inDiffuse", "inSpecular"};
    auto source = [&](uint8_t from, const char* material) { return from ? std::string(kSources[from]) : std::string(material); };
    s += "  vec4 md = " + source(key.diffuseSource, "uMatDiffuse") + ";\n";
    s += "  vec4 ma = " + source(key.ambientSource, "uMatAmbient") + ";\n";
    s += "  vec4 ms = " + source(key.specularSource, "uMatSpecular") + ";\n";
    s += "  vec4 me = " + source(key.emissiveSource, "uMatEmissive") + ";\n";
    s += "  vec3 toEye = " + std::string(key.localViewer ? "-normalize(eye)" : "vec3(0.0, 0.0, -1.0)") + ";\n";
    s += "  vec3 ambient = uAmbient.rgb;\n  vec3 diffuseSum = vec3(0.0);\n  vec3 specularSum = vec3(0.0);\n";
    for (uint32_t i = 0; i < kMaxActiveLights; ++i) {
      const uint8_t type = key.lightTypes[i];
      if (type == 0) continue;
      const std::string n = Num(i);
      s += "  {\n";
      if (type == static_cast<uint8_t>(LightType::Directional)) {
        s += "    vec3 L = -normalize(uLightDirection[" + n + "]);\n    float scale = 1.0;\n";
      } else {
        s += "    vec3 toLight = uLightPosition[" + n + "] - eye;\n    float d = length(toLight);\n";
        s += "    vec3 L = d > 0.0 ? toLight / d : vec3(0.0, 0.0, -1.0);\n";
        s += "    vec4 att = uLightAttenuation[" + n + "];\n";
        s += "    float denominator = att.x + att.y * d + att.z * d * d;\n";
        s += "    float scale = d > att.w ? 0.0 : (denominator > 0.0 ? 1.0 / denominator : 1.0);\n";
        if (type == static_cast<uint8_t>(LightType::Spot)) {
          s += "    vec3 spot = uLightSpot[" + n + "];\n";
          s += "    float rho = dot(-L, normalize(uLightDirection[" + n + "]));\n";
          s += "    float cone = rho > spot.x ? 1.0 : (rho <= spot.y ? 0.0 : "
               "pow(clamp((rho - spot.y) / max(spot.x - spot.y, 1e-6), 0.0, 1.0), spot.z));\n";
          s += "    scale *= cone;\n";
        }
      }
      s += "    ambient += scale * uLightAmbient[" + n + "].rgb;\n";
      s += "    float nDotL = dot(normal, L);\n";
      s += "    if (nDotL > 0.0) {\n";
      s += "      diffuseSum += scale * nDotL * uLightDiffuse[" + n + "].rgb;\n";
      // Specular is lit whatever SPECULARENABLE says: stages can read it; the enable only adds it at the end.
      s += "      vec3 H = normalize(L + toEye);\n";
      s += "      float nDotH = max(dot(normal, H), 0.0);\n";
      s += "      if (nDotH > 0.0) specularSum += scale * pow(nDotH, uMatPower) * uLightSpecular[" + n + "].rgb;\n";
      s += "    }\n  }\n";
    }
    s += "  vDiffuse = vec4(clamp(me.rgb + ma.rgb * ambient + md.rgb * diffuseSum, 0.0, 1.0), clamp(md.a, 0.0, 1.0));\n";
    s += "  vSpecular = vec4(clamp(ms.rgb * specularSum, 0.0, 1.0), clamp(ms.a, 0.0, 1.0));\n";
  } else {
    s += "  vDiffuse = inDiffuse;\n  vSpecular = inSpecular;\n";
  }
  // Point size in pixels: the vertex's or the render state's, scaled by distance when asked, within min..max.
  s += key.hasPointSize ? "  float pointSize = aPointSize;\n" : "  float pointSize = uPointSize.x;\n";
  if (key.pointScale) {
    s += "  float eyeDistance = length(eye);\n";
    s += "  pointSize *= uViewport.w * sqrt(1.0 / max(uPointScale.x + uPointScale.y * eyeDistance + "
         "uPointScale.z * eyeDistance * eyeDistance, 1e-12));\n";
  }
  s += "  gl_PointSize = clamp(pointSize, max(uPointSize.y, 1.0), max(uPointSize.z, 1.0));\n";
  // Fog: the factor (1 = no fog) per vertex, or the eye depth for the per-pixel table.
  if (key.fogEnable && key.fogTableMode != 0) {
    s += key.rangeFog ? "  vFog = length(eye);\n" : "  vFog = eye.z;\n";
  } else if (key.fogEnable && key.fogVertexMode != 0) {
    s += key.rangeFog ? "  float fogDepth = length(eye);\n" : "  float fogDepth = eye.z;\n";
    switch (key.fogVertexMode) {
      case 1: s += "  vFog = exp(-fogDepth * uFog.z);\n"; break;
      case 2: s += "  vFog = exp(-(fogDepth * uFog.z) * (fogDepth * uFog.z));\n"; break;
      default: s += "  vFog = uFog.y != uFog.x ? (uFog.y - fogDepth) / (uFog.y - uFog.x) : 1.0;\n"; break;
    }
  } else {
    // No fog mode: the factor rides in the specular alpha of vertices that have one.
    s += key.hasSpecular ? "  vFog = inSpecular.a;\n" : "  vFog = 1.0;\n";
  }
  // Texture coordinates of each stage: the chosen set or a generated vector, then the stage's transform.
  for (uint32_t i = 0; i < key.stageCount; ++i) {
    const StageKey& stage = key.stages[i];
    const std::string n = Num(i);
    std::string input;
    switch (stage.texGen) {
      case 1: input = "vec4(normal, 1.0)"; break;
      case 2: input = "vec4(eye, 1.0)"; break;
      case 3:
        s += "  vec3 e" + n + " = " + (key.localViewer ? "-normalize(eye)" : "vec3(0.0, 0.0, -1.0)") + ";\n";
        input = "vec4(2.0 * dot(e" + n + ", normal) * normal - e" + n + ", 1.0)";
        break;
      default: {
        const uint8_t floats = key.texCoordFloats[stage.texCoordSet];
        const std::string a = "aTex" + Num(stage.texCoordSet);
        // The first missing component is 1 so a texture matrix's next row translates.
        if (floats == 0) input = "vec4(0.0, 0.0, 1.0, 0.0)";
        else if (floats == 1) input = "vec4(" + a + ".x, 1.0, 0.0, 0.0)";
        else if (floats == 2) input = "vec4(" + a + ".xy, 1.0, 0.0)";
        else if (floats == 3) input = "vec4(" + a + ".xyz, 1.0)";
        else input = a;
        break;
      }
    }
    if (stage.transformCount != 0) input = "(uTexMatrix[" + n + "] * " + input + ")";
    s += "  vTex" + n + " = " + input + ";\n";
  }
  s += "}\n";
}

void AppendFragmentShader(const ProgramKey& key, std::string& s) {
  s += "#version 330 core\n";
  const std::string flat = key.flatShade ? "flat " : "";
  const bool noSpecular = !key.lighting && !key.hasSpecular;  // the vertex program writes zero
  s += flat + "in vec4 vDiffuse;\n";
  if (!noSpecular) s += flat + "in vec4 vSpecular;\n";
  s += "in float vFog;\n";
  for (uint32_t i = 0; i < key.stageCount; ++i) {
    s += "in vec4 vTex" + Num(i) + ";\n";
    if (key.stages[i].texture == StageTexture::Flat) s += "uniform sampler2D uSampler" + Num(i) + ";\n";
    if (key.stages[i].texture == StageTexture::Cube) s += "uniform samplerCube uSampler" + Num(i) + ";\n";
  }
  s += "uniform vec4 uTextureFactor;\nuniform vec4 uFogColor;\nuniform vec4 uFog;\nuniform float uAlphaRef;\n";
  s += "out vec4 fragColor;\n";
  s += "void main() {\n";
  s += "  vec4 diffuse = vDiffuse;\n";
  s += noSpecular ? "  vec4 specular = vec4(0.0);\n" : "  vec4 specular = vSpecular;\n";
  s += "  vec4 current = diffuse;\n  vec4 temp = vec4(0.0);\n";
  for (uint32_t i = 0; i < key.stageCount; ++i) {
    const StageKey& stage = key.stages[i];
    const std::string n = Num(i);
    // Sample this stage's texture.
    std::string coord;
    if (key.pointSprite && stage.texture == StageTexture::Flat) {
      // A point sprite spans its texture: (0, 0) at its top-left corner.
      coord = "gl_PointCoord";
    } else if (stage.texture == StageTexture::Cube) {
      coord = "vTex" + n + ".xyz";
    } else if (stage.projected && stage.transformCount >= 3) {
      const char* divisor = stage.transformCount == 3 ? ".z" : ".w";
      coord = "(vTex" + n + ".xy / vTex" + n + divisor + ")";
    } else {
      coord = "vTex" + n + ".xy";
    }
    if (stage.texture == StageTexture::None) s += "  vec4 tex" + n + " = vec4(1.0);\n";
    else s += "  vec4 tex" + n + " = texture(uSampler" + n + ", " + coord + ");\n";
    s += "  {\n    float texAlpha = tex" + n + ".a;\n";
    s += "    vec4 a0 = " + Argument(stage.colorArg0, i) + ";\n";
    s += "    vec4 a1 = " + Argument(stage.colorArg1, i) + ";\n";
    s += "    vec4 a2 = " + Argument(stage.colorArg2, i) + ";\n";
    // A stage whose arguments read a texture it does not have passes the current colour on, so the default
    // MODULATE / SELECTARG1 set-up draws plain vertex colours and alpha.
    const bool noTexture = stage.texture == StageTexture::None;
    const bool colorReadsTexture = noTexture && UsesTexture(stage.colorOp, stage.colorArg0, stage.colorArg1, stage.colorArg2);
    const bool alphaReadsTexture = noTexture && UsesTexture(stage.alphaOp, stage.alphaArg0, stage.alphaArg1, stage.alphaArg2);
    if (colorReadsTexture) s += "    vec3 color = current.rgb;\n";
    else s += "    vec3 color = clamp((" + Operation(stage.colorOp) + ").rgb, 0.0, 1.0);\n";
    std::string alpha;
    if (alphaReadsTexture && stage.colorOp != static_cast<uint8_t>(TextureOp::DotProduct3)) {
      alpha = "current.a";
    } else if (stage.colorOp == static_cast<uint8_t>(TextureOp::DotProduct3)) {
      alpha = "clamp((" + Operation(stage.colorOp) + ").a, 0.0, 1.0)";
    } else if (stage.alphaOp == static_cast<uint8_t>(TextureOp::Disable) || stage.alphaOp == 0) {
      alpha = "current.a";
    } else {
      s += "    a0 = " + Argument(stage.alphaArg0, i) + ";\n";
      s += "    a1 = " + Argument(stage.alphaArg1, i) + ";\n";
      s += "    a2 = " + Argument(stage.alphaArg2, i) + ";\n";
      alpha = "clamp((" + Operation(stage.alphaOp) + ").a, 0.0, 1.0)";
    }
    s += "    vec4 result = vec4(color, " + alpha + ");\n";
    s += stage.resultToTemp ? "    temp = result;\n" : "    current = result;\n";
    s += "  }\n";
  }
  s += "  vec4 color = current;\n";
  if (key.specularEnable) s += "  color.rgb = clamp(color.rgb + specular.rgb, 0.0, 1.0);\n";
  if (key.fogEnable) {
    if (key.fogTableMode != 0) {
      switch (key.fogTableMode) {
        case 1: s += "  float fog = exp(-vFog * uFog.z);\n"; break;
        case 2: s += "  float fog = exp(-(vFog * uFog.z) * (vFog * uFog.z));\n"; break;
        default: s += "  float fog = uFog.y != uFog.x ? (uFog.y - vFog) / (uFog.y - uFog.x) : 1.0;\n"; break;
      }
    } else {
      s += "  float fog = vFog;\n";
    }
    s += "  color.rgb = mix(uFogColor.rgb, color.rgb, clamp(fog, 0.0, 1.0));\n";
  }
  if (key.alphaTestFunc != 0) {
    // The reference is a byte; compare in bytes as the classic hardware does.
    s += "  float alphaByte = floor(color.a * 255.0 + 0.5);\n";
    static const char* kPass[9] = {"true", "false", "alphaByte < uAlphaRef", "alphaByte == uAlphaRef",
                                   "alphaByte <= uAlphaRef", "alphaByte > uAlphaRef", "alphaByte != uAlphaRef",
                                   "alphaByte >= uAlphaRef", "true"};
    s += "  if (!(" + std::string(kPass[key.alphaTestFunc]) + ")) discard;\n";
  }
  s += "  fragColor = color;\n}\n";
}

}  // namespace

ProgramSource GenerateProgram(const ProgramKey& key) {
  ProgramSource source;
  AppendVertexShader(key, source.vertex);
  AppendFragmentShader(key, source.fragment);
  return source;
}

}  // namespace platform::gfx
