// Drawing on the OpenGL device: render states to GL, texture and sampler bindings, the generated program for the
// current state (cached by key) and its uniforms, vertex attributes from the vertex format, and the draw calls.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gfx/gl_device.h"

namespace platform::gfx {

namespace {

enum Uniform : int {
  kWorld, kWorldView, kProjection, kNormalMatrix, kViewport, kMatDiffuse, kMatAmbient, kMatSpecular, kMatEmissive,
  kMatPower, kAmbient, kLightDiffuse, kLightSpecular, kLightAmbient, kLightPosition, kLightDirection,
  kLightAttenuation, kLightSpot, kTexMatrix, kClipPlane, kFog, kTextureFactor, kFogColor, kAlphaRef,
  kPointSize, kPointScale, kWorldBlend, kWorldViewBlend, kNormalBlend, kSampler0, kUniformCount = kSampler0 + 8,
};
static_assert(kUniformCount <= 40, "Program::locations holds every uniform");
constexpr const char* kUniformNames[kSampler0] = {
    "uWorld", "uWorldView", "uProjection", "uNormalMatrix", "uViewport", "uMatDiffuse", "uMatAmbient", "uMatSpecular",
    "uMatEmissive", "uMatPower", "uAmbient", "uLightDiffuse", "uLightSpecular", "uLightAmbient", "uLightPosition",
    "uLightDirection", "uLightAttenuation", "uLightSpot", "uTexMatrix", "uClipPlane", "uFog", "uTextureFactor",
    "uFogColor", "uAlphaRef", "uPointSize", "uPointScale", "uWorldBlend", "uWorldViewBlend", "uNormalBlend",
};

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 c;
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 4; ++k) {
      float sum = 0;
      for (int i = 0; i < 4; ++i) sum += a.m[r][i] * b.m[i][k];
      c.m[r][k] = sum;
    }
  return c;
}

// The inverse transpose of the upper 3x3, row-major; the identity when the matrix is singular.
void NormalMatrix(const Matrix4& m, float out[9]) {
  const float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
  const float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
  const float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
  const float co[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                       -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                       b * f - c * e, -(a * f - c * d), a * e - b * d};
  const float det = a * co[0] + b * co[1] + c * co[2];
  if (std::fabs(det) < 1e-20f) {
    const float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::memcpy(out, identity, sizeof(identity));
    return;
  }
  // The inverse is the transposed cofactor matrix over det; its transpose is the cofactor matrix over det.
  for (int k = 0; k < 9; ++k) out[k] = co[k] / det;
}

void ColorOf(uint32_t argb, float out[4]) {
  out[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
  out[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>(argb & 0xFF) / 255.0f;
  out[3] = static_cast<float>(argb >> 24) / 255.0f;
}

GLenum BlendFactor(uint32_t blend) {
  switch (static_cast<Blend>(blend)) {
    case Blend::Zero: return GL_ZERO;
    case Blend::One: return GL_ONE;
    case Blend::SrcColor: return GL_SRC_COLOR;
    case Blend::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case Blend::SrcAlpha: return GL_SRC_ALPHA;
    case Blend::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case Blend::DestAlpha: return GL_DST_ALPHA;
    case Blend::InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case Blend::DestColor: return GL_DST_COLOR;
    case Blend::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    case Blend::SrcAlphaSat: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

GLenum CompareOf(uint32_t func) {
  switch (static_cast<CompareFunc>(func)) {
    case CompareFunc::Never: return GL_NEVER;
    case CompareFunc::Less: return GL_LESS;
    case CompareFunc::Equal: return GL_EQUAL;
    case CompareFunc::LessEqual: return GL_LEQUAL;
    case CompareFunc::Greater: return GL_GREATER;
    case CompareFunc::NotEqual: return GL_NOTEQUAL;
    case CompareFunc::GreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

// The classic saturating INCRSAT/DECRSAT are GL's INCR/DECR; the wrapping INCR/DECR are GL's *_WRAP.
GLenum StencilOpOf(uint32_t op) {
  switch (static_cast<StencilOp>(op)) {
    case StencilOp::Zero: return GL_ZERO;
    case StencilOp::Replace: return GL_REPLACE;
    case StencilOp::IncrSat: return GL_INCR;
    case StencilOp::DecrSat: return GL_DECR;
    case StencilOp::Invert: return GL_INVERT;
    case StencilOp::Incr: return GL_INCR_WRAP;
    case StencilOp::Decr: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum BlendEquationOf(uint32_t op) {
  switch (static_cast<BlendOp>(op)) {
    case BlendOp::Subtract: return GL_FUNC_SUBTRACT;
    case BlendOp::RevSubtract: return GL_FUNC_REVERSE_SUBTRACT;
    case BlendOp::Min: return GL_MIN;
    case BlendOp::Max: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

// MIRRORONCE falls back to plain mirroring where GL lacks mirror-clamp (the caps then do not offer it).
GLenum AddressOf(uint32_t address, bool mirrorOnce) {
  switch (static_cast<TextureAddress>(address)) {
    case TextureAddress::Mirror: return GL_MIRRORED_REPEAT;
    case TextureAddress::Clamp: return GL_CLAMP_TO_EDGE;
    case TextureAddress::Border: return GL_CLAMP_TO_BORDER;
    case TextureAddress::MirrorOnce: return mirrorOnce ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
    default: return GL_REPEAT;
  }
}

GLenum PrimitiveOf(PrimitiveType type) {
  switch (type) {
    case PrimitiveType::PointList: return GL_POINTS;
    case PrimitiveType::LineList: return GL_LINES;
    case PrimitiveType::LineStrip: return GL_LINE_STRIP;
    case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
  }
}

void SetEnabled(GLenum capability, bool on) {
  if (on) glEnable(capability);
  else glDisable(capability);
}

}  // namespace

namespace {

// Stores value in cached and says whether GL must hear it: always when the cache is not known yet.
template <typename T>
bool Differs(bool known, T& cached, const T& value) {
  if (known && cached == value) return false;
  cached = value;
  return true;
}

}  // namespace

void GlDevice::ApplyRenderStates() {
  const DeviceState& s = State();
  GlStateCache& c = glCache_;
  const bool k = c.known;
  auto toggle = [k](GLenum capability, bool& cached, bool on) {
    if (Differs(k, cached, on)) SetEnabled(capability, on);
  };
  const Viewport& vp = s.viewport;
  const GLint viewport[4] = {static_cast<GLint>(vp.x), static_cast<GLint>(vp.y), static_cast<GLint>(vp.width),
                             static_cast<GLint>(vp.height)};
  if (!k || std::memcmp(c.viewport, viewport, sizeof(viewport)) != 0) {
    std::memcpy(c.viewport, viewport, sizeof(viewport));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  }
  if (!k || c.depthRange[0] != vp.minZ || c.depthRange[1] != vp.maxZ) {
    c.depthRange[0] = vp.minZ;
    c.depthRange[1] = vp.maxZ;
    glDepthRange(vp.minZ, vp.maxZ);
  }
  if (!k) glDisable(GL_SCISSOR_TEST);

  toggle(GL_DEPTH_TEST, c.depthTest, s.Render(RenderState::ZEnable) != 0 && currentDepth_ != nullptr);
  if (Differs(k, c.depthFunc, CompareOf(s.Render(RenderState::ZFunc)))) glDepthFunc(c.depthFunc);
  if (Differs(k, c.depthWrite, s.Render(RenderState::ZWriteEnable) != 0)) glDepthMask(c.depthWrite ? GL_TRUE : GL_FALSE);

  // Blending with ZERO, ONE keeps every colour as it was: such draws (depth-only and stencil passes) are sent
  // with colour writes off, so the rasteriser neither reads nor writes the colour buffer for them.
  const bool keepsColour = s.Render(RenderState::AlphaBlendEnable) != 0 &&
                           s.Render(RenderState::SrcBlend) == static_cast<uint32_t>(Blend::Zero) &&
                           s.Render(RenderState::DestBlend) == static_cast<uint32_t>(Blend::One) &&
                           BlendEquationOf(s.Render(RenderState::BlendOp)) == GL_FUNC_ADD;
  const bool blend = s.Render(RenderState::AlphaBlendEnable) != 0 && !keepsColour;
  toggle(GL_BLEND, c.blend, blend);
  if (blend) {
    uint32_t source = s.Render(RenderState::SrcBlend), destination = s.Render(RenderState::DestBlend);
    if (source == static_cast<uint32_t>(Blend::BothSrcAlpha)) {
      source = static_cast<uint32_t>(Blend::SrcAlpha);
      destination = static_cast<uint32_t>(Blend::InvSrcAlpha);
    } else if (source == static_cast<uint32_t>(Blend::BothInvSrcAlpha)) {
      source = static_cast<uint32_t>(Blend::InvSrcAlpha);
      destination = static_cast<uint32_t>(Blend::SrcAlpha);
    }
    const bool sourceChanged = Differs(k, c.blendSource, BlendFactor(source));
    const bool destinationChanged = Differs(k, c.blendDestination, BlendFactor(destination));
    if (sourceChanged || destinationChanged) glBlendFunc(c.blendSource, c.blendDestination);
    if (Differs(k, c.blendEquation, BlendEquationOf(s.Render(RenderState::BlendOp)))) glBlendEquation(c.blendEquation);
  }

  // Rows are addressed top-down, which mirrors the winding GL sees: the classic clockwise is GL's
  // counter-clockwise, so culling clockwise faces culls GL's front faces.
  const uint32_t cull = s.Render(RenderState::CullMode);
  toggle(GL_CULL_FACE, c.cull, cull == static_cast<uint32_t>(CullMode::Clockwise) ||
                                   cull == static_cast<uint32_t>(CullMode::CounterClockwise));
  if (!k) glFrontFace(GL_CCW);
  if (Differs(k, c.cullFace, static_cast<GLenum>(cull == static_cast<uint32_t>(CullMode::Clockwise) ? GL_FRONT : GL_BACK)))
    glCullFace(c.cullFace);

  const bool stencil = s.Render(RenderState::StencilEnable) != 0;
  toggle(GL_STENCIL_TEST, c.stencil, stencil);
  if (stencil) {
    const bool funcChanged = Differs(k, c.stencilFunc, CompareOf(s.Render(RenderState::StencilFunc)));
    const bool refChanged = Differs(k, c.stencilRef, static_cast<GLint>(s.Render(RenderState::StencilRef) & 0xFF));
    const bool maskChanged = Differs(k, c.stencilMask, static_cast<GLuint>(s.Render(RenderState::StencilMask)));
    if (funcChanged || refChanged || maskChanged) glStencilFunc(c.stencilFunc, c.stencilRef, c.stencilMask);
    const bool failChanged = Differs(k, c.stencilFail, StencilOpOf(s.Render(RenderState::StencilFail)));
    const bool depthFailChanged = Differs(k, c.stencilDepthFail, StencilOpOf(s.Render(RenderState::StencilZFail)));
    const bool passChanged = Differs(k, c.stencilPass, StencilOpOf(s.Render(RenderState::StencilPass)));
    if (failChanged || depthFailChanged || passChanged) glStencilOp(c.stencilFail, c.stencilDepthFail, c.stencilPass);
    if (Differs(k, c.stencilWriteMask, static_cast<GLuint>(s.Render(RenderState::StencilWriteMask))))
      glStencilMask(c.stencilWriteMask);
  }

  const uint32_t mask = keepsColour ? 0u : s.Render(RenderState::ColorWriteEnable) & 0xF;
  if (Differs(k, c.colorMask, mask))
    glColorMask((mask & color_write::kRed) != 0, (mask & color_write::kGreen) != 0, (mask & color_write::kBlue) != 0,
                (mask & color_write::kAlpha) != 0);

  const uint32_t bias = s.Render(RenderState::ZBias);
  if (Differs(k, c.offset, bias != 0)) {
    SetEnabled(GL_POLYGON_OFFSET_FILL, bias != 0);
    SetEnabled(GL_POLYGON_OFFSET_LINE, bias != 0);
  }
  if (bias != 0 && Differs(k, c.offsetUnits, -static_cast<float>(bias))) glPolygonOffset(0.0f, c.offsetUnits);

  const uint32_t fill = s.Render(RenderState::FillMode);
  const GLenum polygonMode = fill == static_cast<uint32_t>(FillMode::Point)       ? GL_POINT
                             : fill == static_cast<uint32_t>(FillMode::Wireframe) ? GL_LINE
                                                                                  : GL_FILL;
  if (Differs(k, c.polygonMode, polygonMode)) glPolygonMode(GL_FRONT_AND_BACK, polygonMode);
  toggle(GL_MULTISAMPLE, c.multisample, s.Render(RenderState::MultisampleAntialias) != 0);
  const uint32_t planes = s.Render(RenderState::ClipPlaneEnable) & 0x3F;
  if (Differs(k, c.clipPlanes, planes)) {
    for (uint32_t i = 0; i < kMaxClipPlanes && static_cast<int>(i) < limits_.maxClipDistances; ++i)
      SetEnabled(GL_CLIP_DISTANCE0 + i, (planes >> i) & 1);
  }
  c.known = true;
}

void GlDevice::BindTextures(StageTexture kinds[kMaxTextureStages]) {
  const DeviceState& s = State();
  for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage) {
    kinds[stage] = StageTexture::None;
    StageCache& cache = stageCache_[stage];
    BaseTexture* texture = s.textures[stage];
    GLuint name = 0;
    GLenum target = 0;
    uint64_t serial = 0;
    if (auto* flat = dynamic_cast<GlTexture*>(texture)) {
      name = flat->DrawName();
      target = GL_TEXTURE_2D;
      serial = flat->Serial();
      kinds[stage] = StageTexture::Flat;
    } else if (auto* cube = dynamic_cast<GlCubeTexture*>(texture)) {
      name = cube->DrawName();
      target = GL_TEXTURE_CUBE_MAP;
      serial = cube->Serial();
      kinds[stage] = StageTexture::Cube;
    } else {
      cache.known = false;  // nothing bound here: the next texture binds afresh
      continue;
    }
    if (!cache.known || cache.texture != serial || cache.target != target) {
      glActiveTexture(GL_TEXTURE0 + stage);
      glBindTexture(target, name);
      cache.texture = serial;
      cache.target = target;
    }
    const uint32_t sampler[10] = {
        s.Stage(stage, TextureStageState::MagFilter),     s.Stage(stage, TextureStageState::MinFilter),
        s.Stage(stage, TextureStageState::MipFilter),     s.Stage(stage, TextureStageState::AddressU),
        s.Stage(stage, TextureStageState::AddressV),      s.Stage(stage, TextureStageState::AddressW),
        s.Stage(stage, TextureStageState::BorderColor),   s.Stage(stage, TextureStageState::MipMapLodBias),
        s.Stage(stage, TextureStageState::MaxMipLevel),   s.Stage(stage, TextureStageState::MaxAnisotropy)};
    if (cache.known && std::memcmp(cache.sampler, sampler, sizeof(sampler)) == 0) continue;
    std::memcpy(cache.sampler, sampler, sizeof(sampler));
    cache.known = true;
    const GLuint object = samplers_[stage];
    const uint32_t mag = sampler[0], min = sampler[1], mip = sampler[2];
    const bool magLinear = mag >= static_cast<uint32_t>(TextureFilter::Linear);
    const bool minLinear = min >= static_cast<uint32_t>(TextureFilter::Linear);
    GLenum minFilter = minLinear ? GL_LINEAR : GL_NEAREST;
    if (mip == static_cast<uint32_t>(TextureFilter::Point))
      minFilter = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip >= static_cast<uint32_t>(TextureFilter::Linear))
      minFilter = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(object, GL_TEXTURE_MAG_FILTER, magLinear ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(object, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    glSamplerParameteri(object, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressOf(sampler[3], limits_.mirrorOnce)));
    glSamplerParameteri(object, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressOf(sampler[4], limits_.mirrorOnce)));
    glSamplerParameteri(object, GL_TEXTURE_WRAP_R, static_cast<GLint>(AddressOf(sampler[5], limits_.mirrorOnce)));
    float border[4];
    ColorOf(sampler[6], border);
    glSamplerParameterfv(object, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(object, GL_TEXTURE_LOD_BIAS, BitsFloat(sampler[7]));
    glSamplerParameterf(object, GL_TEXTURE_MIN_LOD, static_cast<float>(sampler[8]));
    if (limits_.maxAnisotropy > 1.0f) {
      const bool anisotropic = min == static_cast<uint32_t>(TextureFilter::Anisotropic) ||
                               mag == static_cast<uint32_t>(TextureFilter::Anisotropic);
      const float amount = anisotropic ? std::min(limits_.maxAnisotropy, static_cast<float>(sampler[9])) : 1.0f;
      glSamplerParameterf(object, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::max(1.0f, amount));
    }
  }
}

GlDevice::Program* GlDevice::UseProgram(const StageTexture kinds[kMaxTextureStages]) {
  const bool inputsChanged = ChangedSince(keySeen_, {StateGroup::Render, StateGroup::Stage, StateGroup::Texture,
                                                     StateGroup::Light, StateGroup::Fvf});
  if (inputsChanged || currentProgram_ == nullptr) {
    const ProgramKey key = BuildProgramKey(State(), kinds);
    keySeen_ = serial_;
    if (currentProgram_ != nullptr && key == currentKey_) return currentProgram_;
    currentKey_ = key;
    auto found = programs_.find(key);
    if (found == programs_.end()) {
      Program program;
      const ProgramSource source = GenerateProgram(key);
      auto compile = [](GLenum type, const std::string& text) {
        const GLuint shader = glCreateShader(type);
        const char* chars = text.c_str();
        glShaderSource(shader, 1, &chars, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
          char log[1024] = {};
          glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
          std::fprintf(stderr, "graphics: a generated shader did not compile: %s\n", log);
        }
        return shader;
      };
      const GLuint vertex = compile(GL_VERTEX_SHADER, source.vertex);
      const GLuint fragment = compile(GL_FRAGMENT_SHADER, source.fragment);
      GLuint name = glCreateProgram();
      glAttachShader(name, vertex);
      glAttachShader(name, fragment);
      glLinkProgram(name);
      glDeleteShader(vertex);
      glDeleteShader(fragment);
      GLint linked = 0;
      glGetProgramiv(name, GL_LINK_STATUS, &linked);
      if (!linked) {
        char log[1024] = {};
        glGetProgramInfoLog(name, sizeof(log), nullptr, log);
        std::fprintf(stderr, "graphics: a generated program did not link: %s\n", log);
        glDeleteProgram(name);
        name = 0;
      }
      program.name = name;
      if (name != 0) {
        for (int u = 0; u < kSampler0; ++u) program.locations[u] = glGetUniformLocation(name, kUniformNames[u]);
        glUseProgram(name);
        for (int stage = 0; stage < 8; ++stage) {
          const std::string sampler = "uSampler" + std::to_string(stage);
          program.locations[kSampler0 + stage] = glGetUniformLocation(name, sampler.c_str());
          if (program.locations[kSampler0 + stage] >= 0) glUniform1i(program.locations[kSampler0 + stage], stage);
        }
      }
      ++counters_.programsBuilt;
      found = programs_.emplace(key, program).first;
    }
    if (currentProgram_ != &found->second) {
      ++counters_.programSwitches;
      currentProgram_ = &found->second;
      glUseProgram(currentProgram_->name);
    }
  }
  return currentProgram_;
}

void GlDevice::UploadUniforms(Program& program) {
  const DeviceState& s = State();
  const GLint* at = program.locations;
  auto stale = [&](StateGroup group) {
    uint64_t& uploaded = program.uploaded[static_cast<size_t>(group)];
    const uint64_t changed = groupChanged_[static_cast<size_t>(group)];
    if (uploaded >= changed && uploaded != 0) return false;
    uploaded = serial_;
    return true;
  };
  const bool transforms = stale(StateGroup::Transform);
  const bool lights = stale(StateGroup::Light);
  if (transforms) {
    const Matrix4 worldView = Multiply(s.world[0], s.view);
    if (at[kWorld] >= 0) glUniformMatrix4fv(at[kWorld], 1, GL_FALSE, &s.world[0].m[0][0]);
    if (at[kWorldView] >= 0) glUniformMatrix4fv(at[kWorldView], 1, GL_FALSE, &worldView.m[0][0]);
    if (at[kProjection] >= 0) glUniformMatrix4fv(at[kProjection], 1, GL_FALSE, &s.projection.m[0][0]);
    if (at[kNormalMatrix] >= 0) {
      float normal[9];
      NormalMatrix(worldView, normal);
      glUniformMatrix3fv(at[kNormalMatrix], 1, GL_FALSE, normal);
    }
    if (at[kTexMatrix] >= 0) glUniformMatrix4fv(at[kTexMatrix], 8, GL_FALSE, &s.texture[0].m[0][0]);
    if (at[kWorldBlend] >= 0) glUniformMatrix4fv(at[kWorldBlend], 4, GL_FALSE, &s.world[0].m[0][0]);
    if (at[kWorldViewBlend] >= 0 || at[kNormalBlend] >= 0) {
      Matrix4 worldViews[4];
      float normals[36];
      for (int i = 0; i < 4; ++i) {
        worldViews[i] = Multiply(s.world[i], s.view);
        NormalMatrix(worldViews[i], &normals[i * 9]);
      }
      if (at[kWorldViewBlend] >= 0) glUniformMatrix4fv(at[kWorldViewBlend], 4, GL_FALSE, &worldViews[0].m[0][0]);
      if (at[kNormalBlend] >= 0) glUniformMatrix3fv(at[kNormalBlend], 4, GL_FALSE, normals);
    }
  }
  if (stale(StateGroup::Viewport) && at[kViewport] >= 0)
    glUniform4f(at[kViewport], static_cast<float>(s.viewport.x), static_cast<float>(s.viewport.y),
                static_cast<float>(std::max(1u, s.viewport.width)), static_cast<float>(std::max(1u, s.viewport.height)));
  if (stale(StateGroup::Material)) {
    const Material& m = s.material;
    if (at[kMatDiffuse] >= 0) glUniform4fv(at[kMatDiffuse], 1, &m.diffuse.r);
    if (at[kMatAmbient] >= 0) glUniform4fv(at[kMatAmbient], 1, &m.ambient.r);
    if (at[kMatSpecular] >= 0) glUniform4fv(at[kMatSpecular], 1, &m.specular.r);
    if (at[kMatEmissive] >= 0) glUniform4fv(at[kMatEmissive], 1, &m.emissive.r);
    if (at[kMatPower] >= 0) glUniform1f(at[kMatPower], m.power);
  }
  // Lights live in world space; lighting runs in camera space with the view matrix of this draw.
  // The compiler drops the light arrays a program does not read, any of them.
  const bool readsLights = at[kLightDiffuse] >= 0 || at[kLightSpecular] >= 0 || at[kLightAmbient] >= 0 ||
                           at[kLightPosition] >= 0 || at[kLightDirection] >= 0;
  if ((transforms || lights) && readsLights) {
    const ActiveLights active = CollectActiveLights(s);
    float diffuse[32] = {}, specular[32] = {}, ambient[32] = {}, position[24] = {}, direction[24] = {};
    float attenuation[32] = {}, spot[24] = {};
    for (uint32_t i = 0; i < active.count; ++i) {
      const Light& light = *active.lights[i];
      std::memcpy(&diffuse[i * 4], &light.diffuse.r, 16);
      std::memcpy(&specular[i * 4], &light.specular.r, 16);
      std::memcpy(&ambient[i * 4], &light.ambient.r, 16);
      const Vec3& p = light.position;
      const Vec3& d = light.direction;
      for (int c = 0; c < 3; ++c) {
        position[i * 3 + c] = p.x * s.view.m[0][c] + p.y * s.view.m[1][c] + p.z * s.view.m[2][c] + s.view.m[3][c];
        direction[i * 3 + c] = d.x * s.view.m[0][c] + d.y * s.view.m[1][c] + d.z * s.view.m[2][c];
      }
      attenuation[i * 4 + 0] = light.attenuation0;
      attenuation[i * 4 + 1] = light.attenuation1;
      attenuation[i * 4 + 2] = light.attenuation2;
      attenuation[i * 4 + 3] = light.range;
      spot[i * 3 + 0] = std::cos(light.theta * 0.5f);
      spot[i * 3 + 1] = std::cos(light.phi * 0.5f);
      spot[i * 3 + 2] = light.falloff;
    }
    if (at[kLightDiffuse] >= 0) glUniform4fv(at[kLightDiffuse], 8, diffuse);
    if (at[kLightSpecular] >= 0) glUniform4fv(at[kLightSpecular], 8, specular);
    if (at[kLightAmbient] >= 0) glUniform4fv(at[kLightAmbient], 8, ambient);
    if (at[kLightPosition] >= 0) glUniform3fv(at[kLightPosition], 8, position);
    if (at[kLightDirection] >= 0) glUniform3fv(at[kLightDirection], 8, direction);
    if (at[kLightAttenuation] >= 0) glUniform4fv(at[kLightAttenuation], 8, attenuation);
    if (at[kLightSpot] >= 0) glUniform3fv(at[kLightSpot], 8, spot);
  }
  if (stale(StateGroup::ClipPlane) && at[kClipPlane] >= 0) glUniform4fv(at[kClipPlane], 6, &s.clipPlanes[0].a);
  if (stale(StateGroup::Render)) {
    float color[4];
    ColorOf(s.Render(RenderState::Ambient), color);
    if (at[kAmbient] >= 0) glUniform4fv(at[kAmbient], 1, color);
    if (at[kFog] >= 0)
      glUniform4f(at[kFog], s.RenderFloat(RenderState::FogStart), s.RenderFloat(RenderState::FogEnd),
                  s.RenderFloat(RenderState::FogDensity), 0.0f);
    ColorOf(s.Render(RenderState::TextureFactor), color);
    if (at[kTextureFactor] >= 0) glUniform4fv(at[kTextureFactor], 1, color);
    ColorOf(s.Render(RenderState::FogColor), color);
    if (at[kFogColor] >= 0) glUniform4fv(at[kFogColor], 1, color);
    if (at[kAlphaRef] >= 0) glUniform1f(at[kAlphaRef], static_cast<float>(s.Render(RenderState::AlphaRef) & 0xFF));
    if (at[kPointSize] >= 0)
      glUniform4f(at[kPointSize], s.RenderFloat(RenderState::PointSize), s.RenderFloat(RenderState::PointSizeMin),
                  std::min(s.RenderFloat(RenderState::PointSizeMax), limits_.maxPointSize), 0.0f);
    if (at[kPointScale] >= 0)
      glUniform3f(at[kPointScale], s.RenderFloat(RenderState::PointScaleA), s.RenderFloat(RenderState::PointScaleB),
                  s.RenderFloat(RenderState::PointScaleC));
  }
}

void GlDevice::SetUpAttributes(GLuint buffer, uint64_t bufferSerial, uint32_t stride) {
  AttributeCache& cache = attributeCache_;
  if (cache.known && cache.buffer == bufferSerial && cache.stride == stride && cache.fvf == State().fvf) return;
  cache = AttributeCache{true, bufferSerial, stride, State().fvf};
  const size_t baseOffset = 0;
  const VertexLayout layout = DescribeVertexFormat(State().fvf);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  auto pointer = [&](GLuint location, int offset, GLint size, GLenum type, GLboolean normalized) {
    if (offset < 0) {
      glDisableVertexAttribArray(location);
      return;
    }
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, size, type, normalized, static_cast<GLsizei>(stride),
                          reinterpret_cast<const void*>(baseOffset + static_cast<size_t>(offset)));
  };
  pointer(attribute::kPosition, layout.position, layout.positionFloats, GL_FLOAT, GL_FALSE);
  pointer(attribute::kNormal, layout.normal, 3, GL_FLOAT, GL_FALSE);
  // Colours are stored B, G, R, A in memory.
  pointer(attribute::kDiffuse, layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
  pointer(attribute::kSpecular, layout.specular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE);
  for (int i = 0; i < 8; ++i)
    pointer(attribute::kTexCoord0 + static_cast<GLuint>(i), i < layout.texCoordCount ? layout.texCoord[i] : -1,
            layout.texCoordFloats[i] > 0 ? layout.texCoordFloats[i] : 2, GL_FLOAT, GL_FALSE);
  pointer(attribute::kPointSize, layout.pointSize, 1, GL_FLOAT, GL_FALSE);
  pointer(attribute::kBlendWeights, layout.blendWeightCount > 0 ? layout.blendWeights : -1,
          std::min(layout.blendWeightCount, 4), GL_FLOAT, GL_FALSE);
}

bool GlDevice::PrepareDraw(GLuint vertexBuffer, uint64_t bufferSerial, uint32_t stride) {
  FlushDraws();
  if (!targetBound_) {
    if (!BindTarget()) return false;
    glBindVertexArray(vertexArray_);
    targetBound_ = true;
  }
  // Fixed GL states and texture bindings are looked at only when their state changed; what did not change
  // is not sent again.
  if (!glCache_.known || ChangedSince(statesSeen_, {StateGroup::Render, StateGroup::Viewport})) {
    ApplyRenderStates();
    statesSeen_ = serial_;
  }
  if (ChangedSince(texturesSeen_, {StateGroup::Texture, StateGroup::Stage}) || texturesSeen_ == 0) {
    BindTextures(boundKinds_);
    texturesSeen_ = serial_;
  }
  Program* program = UseProgram(boundKinds_);
  if (program == nullptr || program->name == 0) return false;
  UploadUniforms(*program);
  SetUpAttributes(vertexBuffer, bufferSerial, stride);
  ++counters_.draws;
  return true;
}

void GlDevice::Capture(const DeviceState& state, DrawState& out) {
  out.viewport = state.viewport;
  out.view = state.view;
  out.projection = state.projection;
  out.world = state.world;
  out.texture = state.texture;
  out.renderStates = state.renderStates;
  out.stageStates = state.stageStates;
  out.textures = state.textures;
  out.material = state.material;
  out.clipPlanes = state.clipPlanes;
  out.stride = state.streams[0].stride;
  out.baseVertexIndex = state.baseVertexIndex;
  out.fvf = state.fvf;
}

bool GlDevice::SameDrawState(const DeviceState& state, const DrawState& held, bool exceptPlacement) {
  auto same = [](const auto& a, const auto& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; };
  // The base vertex goes with each draw of a multi-draw, so draws from other places in the same buffers join.
  return state.fvf == held.fvf && state.streams[0].stride == held.stride && same(state.renderStates, held.renderStates) &&
         same(state.stageStates, held.stageStates) && same(state.textures, held.textures) &&
         same(state.material, held.material) &&
         (exceptPlacement || (same(state.world, held.world) && same(state.view, held.view))) &&
         same(state.projection, held.projection) && same(state.texture, held.texture) &&
         same(state.clipPlanes, held.clipPlanes) && same(state.viewport, held.viewport);
}

void GlDevice::FlushDraws() {
  FlushUserDraws();
  PendingDraws& p = pending_;
  if (p.counts.empty()) return;
  ++counters_.glDraws;
  NoteSetUp(p.vertexBuffer, p.indexBuffer, p.mode, p.state.viewport, p.state.renderStates, p.state.stageStates,
            p.state.textures, p.state.fvf, p.state.stride);
  if (p.counts.size() == 1) {
    glDrawElementsBaseVertex(p.mode, p.counts[0], p.indexType, p.offsets[0], p.baseVertices[0]);
  } else {
    glMultiDrawElementsBaseVertex(p.mode, p.counts.data(), p.indexType, p.offsets.data(),
                                  static_cast<GLsizei>(p.counts.size()), p.baseVertices.data());
  }
  p.counts.clear();
  p.offsets.clear();
  p.baseVertices.clear();
}

GLuint GlDevice::StreamVertices(const void* data, size_t bytes) {
  FlushDraws();
  glBindBuffer(GL_ARRAY_BUFFER, streamVertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
  return streamVertexBuffer_;
}

GLuint GlDevice::StreamIndices(const void* data, size_t bytes) {
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndexBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
  return streamIndexBuffer_;
}

HResult GlDevice::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  uint32_t count = 0;
  const HResult result = CheckStreamDraw(type, startVertex, primitiveCount, count);
  if (Failed(result) || count == 0) return result;
  const StreamBinding& stream = State().streams[0];
  auto* buffer = dynamic_cast<GlVertexBuffer*>(stream.buffer);
  if (buffer == nullptr || buffer->IsLocked()) return kInvalidCall;
  if (!PrepareDraw(buffer->Name(), buffer->Serial(), stream.stride)) return kOk;
  ++counters_.glDraws;
  NoteSetUp(buffer->Serial(), 0, PrimitiveOf(type), State().viewport, State().renderStates, State().stageStates,
            State().textures, State().fvf, stream.stride);
  glDrawArrays(PrimitiveOf(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
  return kOk;
}

HResult GlDevice::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                       uint32_t startIndex, uint32_t primitiveCount) {
  uint32_t count = 0;
  const HResult result = CheckIndexedDraw(type, minIndex, numVertices, startIndex, primitiveCount, count);
  if (Failed(result) || count == 0) return result;
  const DeviceState& s = State();
  auto* vertices = dynamic_cast<GlVertexBuffer*>(s.streams[0].buffer);
  auto* indices = dynamic_cast<GlIndexBuffer*>(s.indices);
  if (vertices == nullptr || indices == nullptr || vertices->IsLocked() || indices->IsLocked()) return kInvalidCall;
  // Every index must address a vertex inside the buffer: GL would read past its end.
  const uint32_t stride = s.streams[0].stride;
  const VertexLayout layout = DescribeVertexFormat(s.fvf);
  const uint64_t vertexCount = (vertices->Bytes().size() - layout.stride) / stride + 1;
  const uint8_t* first = indices->Bytes().data() + static_cast<size_t>(startIndex) * indices->IndexSize();
  const bool allInside = uint64_t{indices->LargestIndexIn(startIndex, count)} + s.baseVertexIndex < vertexCount;
  for (uint32_t i = 0; i < count && !allInside; ++i) {
    uint32_t index = 0;
    if (indices->IndexSize() == 2) {
      uint16_t value;
      std::memcpy(&value, first + i * 2, 2);
      index = value;
    } else {
      std::memcpy(&index, first + i * 4, 4);
    }
    if (uint64_t{index} + s.baseVertexIndex >= vertexCount) return kInvalidCall;
  }
  const GLenum mode = PrimitiveOf(type);
  const GLenum indexType = indices->IndexSize() == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
  const void* offset = reinterpret_cast<const void*>(static_cast<size_t>(startIndex) * indices->IndexSize());
  PendingDraws& p = pending_;
  // The state is what the held draws were prepared under: GL is already set up for this one too.
  const bool joins = !p.counts.empty() && p.vertexBuffer == vertices->Serial() && p.indexBuffer == indices->Name() &&
                     p.mode == mode && p.indexType == indexType &&
                     (p.serial == serial_ ||
                      (groupChanged_[static_cast<size_t>(StateGroup::Light)] <= p.serial && SameDrawState(s, p.state, false)));
  if (!joins) {
    if (!PrepareDraw(vertices->Name(), vertices->Serial(), stride)) return kOk;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->Name());
    p.serial = serial_;
    Capture(s, p.state);
    p.vertexBuffer = vertices->Serial();
    p.indexBuffer = indices->Name();
    p.mode = mode;
    p.indexType = indexType;
  } else {
    ++counters_.draws;
  }
  p.counts.push_back(static_cast<GLsizei>(count));
  p.offsets.push_back(offset);
  p.baseVertices.push_back(static_cast<GLint>(s.baseVertexIndex));
  return kOk;
}

namespace {

// Appends the triangles of a list, strip or fan as a triangle list: a strip's odd triangles and a fan's
// triangles keep the corner order and last corner GL gives them, so their facing and flat colour stay theirs.
void AppendTriangleList(GLenum mode, const uint8_t* vertices, uint32_t count, uint32_t stride,
                        std::vector<uint8_t>& out) {
  auto put = [&](uint32_t index) {
    out.insert(out.end(), vertices + size_t{index} * stride, vertices + size_t{index + 1} * stride);
  };
  if (mode == GL_TRIANGLES) {
    out.insert(out.end(), vertices, vertices + size_t{count} * stride);
    return;
  }
  for (uint32_t i = 0; i + 2 < count; ++i) {
    if (mode == GL_TRIANGLE_FAN) {
      put(0), put(i + 1), put(i + 2);
    } else if (i % 2 == 0) {
      put(i), put(i + 1), put(i + 2);
    } else {
      put(i + 1), put(i), put(i + 2);
    }
  }
}

// Whether vertices drawn under this state look the same carried into view space on the processor and drawn with
// identity world and view: plain positions without normals or blending, no lighting, clip planes or coordinates
// generated from camera space, and a world-view that keeps w at 1.
bool KeepsW(const Matrix4& m) { return m.m[0][3] == 0 && m.m[1][3] == 0 && m.m[2][3] == 0 && m.m[3][3] == 1; }

bool PlaceableOnProcessor(const DeviceState& s, const Matrix4& worldView) {
  if ((s.fvf & fvf::kPositionMask) != fvf::kXyz || (s.fvf & fvf::kNormal) != 0) return false;
  if (s.Render(RenderState::Lighting) != 0 || (s.Render(RenderState::ClipPlaneEnable) & 0x3F) != 0 ||
      s.Render(RenderState::VertexBlend) != 0) {
    return false;
  }
  for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage) {
    if ((s.Stage(stage, TextureStageState::TexCoordIndex) >> 16) != 0) return false;
  }
  return KeepsW(worldView);
}

// Carries the positions (the first three floats of each vertex) through the row-vector matrix.
void PlaceVertices(uint8_t* vertices, size_t bytes, uint32_t stride, const Matrix4& m) {
  for (size_t at = 0; at + stride <= bytes; at += stride) {
    float p[3];
    std::memcpy(p, vertices + at, sizeof p);
    const float placed[3] = {p[0] * m.m[0][0] + p[1] * m.m[1][0] + p[2] * m.m[2][0] + m.m[3][0],
                             p[0] * m.m[0][1] + p[1] * m.m[1][1] + p[2] * m.m[2][1] + m.m[3][1],
                             p[0] * m.m[0][2] + p[1] * m.m[1][2] + p[2] * m.m[2][2] + m.m[3][2]};
    std::memcpy(vertices + at, placed, sizeof placed);
  }
}

}  // namespace

void GlDevice::FlushUserDraws() {
  PendingUserDraws& u = pendingUser_;
  if (u.bytes.empty()) return;
  ++counters_.glDraws;
  // Lists, strips and fans all join one another: one set-up.
  NoteSetUp(0, 0, GL_TRIANGLES, u.state.viewport, u.state.renderStates, u.state.stageStates, u.state.textures,
            u.state.fvf, u.stride);
  if (u.placed && currentProgram_ != nullptr) {
    // The vertices are in view space already; the next draw sends its own transforms again.
    const Matrix4 identity = IdentityMatrix();
    const GLint* at = currentProgram_->locations;
    if (at[kWorld] >= 0) glUniformMatrix4fv(at[kWorld], 1, GL_FALSE, &identity.m[0][0]);
    if (at[kWorldView] >= 0) glUniformMatrix4fv(at[kWorldView], 1, GL_FALSE, &identity.m[0][0]);
    currentProgram_->uploaded[static_cast<size_t>(StateGroup::Transform)] = 0;
  }
  glBindBuffer(GL_ARRAY_BUFFER, streamVertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(u.bytes.size()), u.bytes.data(), GL_STREAM_DRAW);
  glDrawArrays(u.mode, 0, static_cast<GLsizei>(u.bytes.size() / u.stride));
  u.bytes.clear();
  u.placed = false;
}

HResult GlDevice::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertexData,
                                  uint32_t stride) {
  uint32_t count = 0;
  const HResult result = CheckUserDraw(type, primitiveCount, vertexData, stride, count);
  if (Failed(result) || count == 0) return result;
  const GLenum mode = PrimitiveOf(type);
  const auto* bytes = static_cast<const uint8_t*>(vertexData);
  const bool triangles = mode == GL_TRIANGLES || mode == GL_TRIANGLE_STRIP || mode == GL_TRIANGLE_FAN;
  PendingUserDraws& u = pendingUser_;
  // Triangles from the game's memory under the state of the held ones go with them, as one list; so do those
  // whose state differs only in where world and view put them, carried into view space here.
  const DeviceState& s = State();
  const bool candidate = triangles && !u.bytes.empty() && u.stride == stride && stride >= 12 &&
                         groupChanged_[static_cast<size_t>(StateGroup::Light)] <= u.serial;
  const bool same = candidate && (u.serial == serial_ || SameDrawState(s, u.state, false));
  const Matrix4 worldView = Multiply(s.world[0], s.view);
  // The held draws' states equal this one's but for the transforms, so only their world-view is left to check.
  const Matrix4 heldWorldView = Multiply(u.state.world[0], u.state.view);
  const bool placed = candidate && !same && SameDrawState(s, u.state, true) && PlaceableOnProcessor(s, worldView) &&
                      KeepsW(heldWorldView);
  if (same || placed) {
    if (u.mode != GL_TRIANGLES) {
      std::vector<uint8_t> held;
      held.swap(u.bytes);
      AppendTriangleList(u.mode, held.data(), static_cast<uint32_t>(held.size() / stride), stride, u.bytes);
      u.mode = GL_TRIANGLES;
    }
    if ((placed || u.placed) && !u.placed) {
      PlaceVertices(u.bytes.data(), u.bytes.size(), stride, heldWorldView);
      u.placed = true;
    }
    const size_t from = u.bytes.size();
    AppendTriangleList(mode, bytes, count, stride, u.bytes);
    if (u.placed) PlaceVertices(u.bytes.data() + from, u.bytes.size() - from, stride, worldView);
    ++counters_.draws;
    return kOk;
  }
  if (!triangles) {
    const GLuint buffer = StreamVertices(vertexData, static_cast<size_t>(count) * stride);
    if (!PrepareDraw(buffer, 0, stride)) return kOk;
    ++counters_.glDraws;
    NoteSetUp(0, 0, mode, s.viewport, s.renderStates, s.stageStates, s.textures, s.fvf, stride);
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
    return kOk;
  }
  // Held until something else reaches GL; the stream buffer gets the vertices then.
  if (!PrepareDraw(streamVertexBuffer_, 0, stride)) return kOk;
  u.serial = serial_;
  Capture(s, u.state);
  u.mode = mode;
  u.stride = stride;
  u.placed = false;
  u.bytes.assign(bytes, bytes + size_t{count} * stride);
  return kOk;
}

HResult GlDevice::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minVertexIndex, uint32_t numVertexIndices,
                                         uint32_t primitiveCount, const void* indexData, Format indexFormat,
                                         const void* vertexData, uint32_t stride) {
  uint32_t count = 0;
  const HResult result = CheckUserDraw(type, primitiveCount, vertexData, stride, count);
  if (Failed(result) || count == 0) return result;
  if (indexData == nullptr || (indexFormat != Format::Index16 && indexFormat != Format::Index32) ||
      numVertexIndices == 0)
    return kInvalidCall;
  const uint32_t indexSize = indexFormat == Format::Index16 ? 2 : 4;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t index = indexSize == 2 ? static_cast<const uint16_t*>(indexData)[i]
                                          : static_cast<const uint32_t*>(indexData)[i];
    if (index < minVertexIndex || index - minVertexIndex >= numVertexIndices) return kInvalidCall;
  }
  const size_t vertexBytes = (static_cast<size_t>(minVertexIndex) + numVertexIndices) * stride;
  const GLuint buffer = StreamVertices(vertexData, vertexBytes);
  if (!PrepareDraw(buffer, 0, stride)) return kOk;
  StreamIndices(indexData, static_cast<size_t>(count) * indexSize);
  ++counters_.glDraws;
  NoteSetUp(0, 0, PrimitiveOf(type), State().viewport, State().renderStates, State().stageStates, State().textures,
            State().fvf, stride);
  glDrawElements(PrimitiveOf(type), static_cast<GLsizei>(count), indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                 nullptr);
  return kOk;
}

}  // namespace platform::gfx
