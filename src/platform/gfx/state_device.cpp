// Storing, defaulting and validating the fixed-function device state.
#include "platform/gfx/state_device.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace platform::gfx {

Matrix4 IdentityMatrix() {
  Matrix4 m;
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
  return m;
}

namespace {
// Setting a value the device already holds changes nothing, so it is not reported as a change: the backends then
// send state, bindings and uniforms to the driver only where they differ. Bit for bit, as the driver sees them.
template <typename T>
bool Same(const T& held, const T& value) {
  return std::memcmp(&held, &value, sizeof(T)) == 0;
}
}  // namespace

bool IsKnownRenderState(uint32_t code) {
  switch (static_cast<RenderState>(code)) {
    case RenderState::ZEnable: case RenderState::FillMode: case RenderState::ShadeMode: case RenderState::LinePattern:
    case RenderState::ZWriteEnable: case RenderState::AlphaTestEnable: case RenderState::LastPixel:
    case RenderState::SrcBlend: case RenderState::DestBlend: case RenderState::CullMode: case RenderState::ZFunc:
    case RenderState::AlphaRef: case RenderState::AlphaFunc: case RenderState::DitherEnable:
    case RenderState::AlphaBlendEnable: case RenderState::FogEnable: case RenderState::SpecularEnable:
    case RenderState::ZVisible: case RenderState::FogColor: case RenderState::FogTableMode: case RenderState::FogStart:
    case RenderState::FogEnd: case RenderState::FogDensity: case RenderState::EdgeAntialias: case RenderState::ZBias:
    case RenderState::RangeFogEnable: case RenderState::StencilEnable: case RenderState::StencilFail:
    case RenderState::StencilZFail: case RenderState::StencilPass: case RenderState::StencilFunc:
    case RenderState::StencilRef: case RenderState::StencilMask: case RenderState::StencilWriteMask:
    case RenderState::TextureFactor: case RenderState::Wrap0: case RenderState::Wrap1: case RenderState::Wrap2:
    case RenderState::Wrap3: case RenderState::Wrap4: case RenderState::Wrap5: case RenderState::Wrap6:
    case RenderState::Wrap7: case RenderState::Clipping: case RenderState::Lighting: case RenderState::Ambient:
    case RenderState::FogVertexMode: case RenderState::ColorVertex: case RenderState::LocalViewer:
    case RenderState::NormalizeNormals: case RenderState::DiffuseMaterialSource:
    case RenderState::SpecularMaterialSource: case RenderState::AmbientMaterialSource:
    case RenderState::EmissiveMaterialSource: case RenderState::VertexBlend: case RenderState::ClipPlaneEnable:
    case RenderState::SoftwareVertexProcessing: case RenderState::PointSize: case RenderState::PointSizeMin:
    case RenderState::PointSpriteEnable: case RenderState::PointScaleEnable: case RenderState::PointScaleA:
    case RenderState::PointScaleB: case RenderState::PointScaleC: case RenderState::MultisampleAntialias:
    case RenderState::MultisampleMask: case RenderState::PatchEdgeStyle: case RenderState::PatchSegments:
    case RenderState::DebugMonitorToken: case RenderState::PointSizeMax: case RenderState::IndexedVertexBlendEnable:
    case RenderState::ColorWriteEnable: case RenderState::TweenFactor: case RenderState::BlendOp:
      return true;
  }
  return false;
}

uint32_t DefaultRenderState(RenderState state, bool depthEnabled) {
  switch (state) {
    case RenderState::ZEnable: return depthEnabled ? 1 : 0;
    case RenderState::FillMode: return static_cast<uint32_t>(FillMode::Solid);
    case RenderState::ShadeMode: return static_cast<uint32_t>(ShadeMode::Gouraud);
    case RenderState::ZWriteEnable: return 1;
    case RenderState::LastPixel: return 1;
    case RenderState::SrcBlend: return static_cast<uint32_t>(Blend::One);
    case RenderState::DestBlend: return static_cast<uint32_t>(Blend::Zero);
    case RenderState::CullMode: return static_cast<uint32_t>(CullMode::CounterClockwise);
    case RenderState::ZFunc: return static_cast<uint32_t>(CompareFunc::LessEqual);
    case RenderState::AlphaFunc: return static_cast<uint32_t>(CompareFunc::Always);
    case RenderState::FogEnd: return FloatBits(1.0f);
    case RenderState::FogDensity: return FloatBits(1.0f);
    case RenderState::StencilFail: return static_cast<uint32_t>(StencilOp::Keep);
    case RenderState::StencilZFail: return static_cast<uint32_t>(StencilOp::Keep);
    case RenderState::StencilPass: return static_cast<uint32_t>(StencilOp::Keep);
    case RenderState::StencilFunc: return static_cast<uint32_t>(CompareFunc::Always);
    case RenderState::StencilMask: return 0xFFFFFFFFu;
    case RenderState::StencilWriteMask: return 0xFFFFFFFFu;
    case RenderState::TextureFactor: return 0xFFFFFFFFu;
    case RenderState::Clipping: return 1;
    case RenderState::Lighting: return 1;
    case RenderState::ColorVertex: return 1;
    case RenderState::LocalViewer: return 1;
    case RenderState::DiffuseMaterialSource: return static_cast<uint32_t>(MaterialColorSource::Color1);
    case RenderState::SpecularMaterialSource: return static_cast<uint32_t>(MaterialColorSource::Color2);
    case RenderState::PointSize: return FloatBits(1.0f);
    case RenderState::PointSizeMin: return FloatBits(0.0f);
    case RenderState::PointScaleA: return FloatBits(1.0f);
    case RenderState::PointSizeMax: return FloatBits(64.0f);
    case RenderState::MultisampleAntialias: return 1;
    case RenderState::MultisampleMask: return 0xFFFFFFFFu;
    case RenderState::PatchSegments: return FloatBits(1.0f);
    case RenderState::ColorWriteEnable: return 0xF;
    case RenderState::BlendOp: return static_cast<uint32_t>(BlendOp::Add);
    default: return 0;
  }
}

namespace {

uint32_t DefaultStageState(uint32_t stage, uint32_t code) {
  switch (static_cast<TextureStageState>(code)) {
    case TextureStageState::ColorOp:
      return static_cast<uint32_t>(stage == 0 ? TextureOp::Modulate : TextureOp::Disable);
    case TextureStageState::AlphaOp:
      return static_cast<uint32_t>(stage == 0 ? TextureOp::SelectArg1 : TextureOp::Disable);
    case TextureStageState::ColorArg1:
    case TextureStageState::AlphaArg1:
      return texture_arg::kTexture;
    case TextureStageState::ColorArg2:
    case TextureStageState::AlphaArg2:
    case TextureStageState::ColorArg0:
    case TextureStageState::AlphaArg0:
    case TextureStageState::ResultArg:
      return texture_arg::kCurrent;
    case TextureStageState::TexCoordIndex: return stage;
    case TextureStageState::AddressU:
    case TextureStageState::AddressV:
    case TextureStageState::AddressW:
      return static_cast<uint32_t>(TextureAddress::Wrap);
    case TextureStageState::MagFilter:
    case TextureStageState::MinFilter:
      return static_cast<uint32_t>(TextureFilter::Point);
    case TextureStageState::MaxAnisotropy: return 1;
    default: return 0;
  }
}

bool IsKnownStageState(uint32_t code) { return code >= 1 && code < kTextureStageStateCount && code != 12; }

bool ValidTransform(TransformState state, uint32_t& slot) {
  const uint32_t code = static_cast<uint32_t>(state);
  if (code == 2 || code == 3) {
    slot = code;
    return true;
  }
  if (code >= 16 && code < 16 + kMaxTextureStages) {
    slot = code;
    return true;
  }
  if (code >= 256 && code < 260) {
    slot = code;
    return true;
  }
  return false;
}

bool ValidArgument(uint32_t arg, const Caps& caps) {
  if (arg & ~(texture_arg::kSelectMask | texture_arg::kComplement | texture_arg::kAlphaReplicate)) return false;
  const uint32_t source = arg & texture_arg::kSelectMask;
  if (source > texture_arg::kTemp) return false;
  if (source == texture_arg::kTemp && !(caps.primitiveMiscCaps & primitive_misc_caps::kTssArgTemp)) return false;
  return true;
}

bool OpSupported(uint32_t op, const Caps& caps) {
  if (op < 1 || op > 26) return false;
  return (caps.textureOpCaps & (1u << (op - 1))) != 0;
}

}  // namespace

StateDevice::StateDevice() { ResetState(0, 0, false); }

StateDevice::~StateDevice() { ReleaseBindings(); }

void StateDevice::ReleaseBindings() {
  for (auto& texture : state_.textures) {
    if (texture != nullptr) texture->Release();
    texture = nullptr;
  }
  for (auto& stream : state_.streams) {
    if (stream.buffer != nullptr) stream.buffer->Release();
    stream = {};
  }
  if (state_.indices != nullptr) state_.indices->Release();
  state_.indices = nullptr;
}

void StateDevice::ResetState(uint32_t width, uint32_t height, bool depthEnabled) {
  ReleaseBindings();
  state_ = DeviceState{};
  state_.viewport = Viewport{0, 0, width, height, 0.0f, 1.0f};
  state_.view = state_.projection = IdentityMatrix();
  for (auto& m : state_.world) m = IdentityMatrix();
  for (auto& m : state_.texture) m = IdentityMatrix();
  for (uint32_t code = 0; code < kRenderStateCount; ++code)
    state_.renderStates[code] = IsKnownRenderState(code) ? DefaultRenderState(static_cast<RenderState>(code), depthEnabled) : 0;
  for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage)
    for (uint32_t code = 0; code < kTextureStageStateCount; ++code) state_.stageStates[stage][code] = DefaultStageState(stage, code);
  OnStateChanged(StateGroup::All);
}

HResult StateDevice::SetViewport(const Viewport& viewport) {
  if (!(viewport.minZ >= 0.0f && viewport.maxZ <= 1.0f && viewport.minZ <= viewport.maxZ)) return kInvalidCall;
  if (viewport.width > 0x7FFFFFFFu || viewport.height > 0x7FFFFFFFu) return kInvalidCall;
  if (state_.viewport == viewport) return kOk;
  state_.viewport = viewport;
  OnStateChanged(StateGroup::Viewport);
  return kOk;
}

HResult StateDevice::GetViewport(Viewport& viewport) const {
  viewport = state_.viewport;
  return kOk;
}

HResult StateDevice::SetTransform(TransformState state, const Matrix4& matrix) {
  uint32_t code = 0;
  if (!ValidTransform(state, code)) return kInvalidCall;
  Matrix4& held = code == 2   ? state_.view
                  : code == 3 ? state_.projection
                  : code < 256 ? state_.texture[code - 16]
                               : state_.world[code - 256];
  if (Same(held, matrix)) return kOk;
  held = matrix;
  OnStateChanged(StateGroup::Transform);
  return kOk;
}

HResult StateDevice::GetTransform(TransformState state, Matrix4& matrix) const {
  uint32_t code = 0;
  if (!ValidTransform(state, code)) return kInvalidCall;
  if (code == 2) matrix = state_.view;
  else if (code == 3) matrix = state_.projection;
  else if (code < 256) matrix = state_.texture[code - 16];
  else matrix = state_.world[code - 256];
  return kOk;
}

HResult StateDevice::SetRenderState(RenderState state, StateValue value) {
  const uint32_t code = static_cast<uint32_t>(state);
  if (code >= kRenderStateCount || !IsKnownRenderState(code)) return kInvalidCall;
  if (state_.renderStates[code] == value) return kOk;
  state_.renderStates[code] = value;
  OnStateChanged(StateGroup::Render);
  return kOk;
}

HResult StateDevice::GetRenderState(RenderState state, uint32_t& value) const {
  const uint32_t code = static_cast<uint32_t>(state);
  if (code >= kRenderStateCount || !IsKnownRenderState(code)) return kInvalidCall;
  value = state_.renderStates[code];
  return kOk;
}

HResult StateDevice::SetTextureStageState(uint32_t stage, TextureStageState state, StateValue value) {
  const uint32_t code = static_cast<uint32_t>(state);
  if (stage >= kMaxTextureStages || !IsKnownStageState(code)) return kInvalidCall;
  if (state_.stageStates[stage][code] == value) return kOk;
  state_.stageStates[stage][code] = value;
  OnStateChanged(StateGroup::Stage);
  return kOk;
}

HResult StateDevice::GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t& value) const {
  const uint32_t code = static_cast<uint32_t>(state);
  if (stage >= kMaxTextureStages || !IsKnownStageState(code)) return kInvalidCall;
  value = state_.stageStates[stage][code];
  return kOk;
}

HResult StateDevice::SetTexture(uint32_t stage, BaseTexture* texture) {
  if (stage >= kMaxTextureStages) return kInvalidCall;
  if (state_.textures[stage] == texture) return kOk;
  if (texture != nullptr) texture->AddRef();
  if (state_.textures[stage] != nullptr) state_.textures[stage]->Release();
  state_.textures[stage] = texture;
  OnStateChanged(StateGroup::Texture);
  return kOk;
}

HResult StateDevice::GetTexture(uint32_t stage, BaseTexture** texture) const {
  if (texture == nullptr || stage >= kMaxTextureStages) return kInvalidCall;
  *texture = state_.textures[stage];
  if (*texture != nullptr) (*texture)->AddRef();
  return kOk;
}

HResult StateDevice::SetMaterial(const Material& material) {
  if (Same(state_.material, material)) return kOk;
  state_.material = material;
  OnStateChanged(StateGroup::Material);
  return kOk;
}

HResult StateDevice::GetMaterial(Material& material) const {
  material = state_.material;
  return kOk;
}

namespace {

float LengthSquared(const Vec3& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

// A light whose range, cone or direction would divide by zero or make no sense is refused.
bool ValidLight(const Light& light) {
  const float maxRange = std::sqrt(std::numeric_limits<float>::max());
  switch (light.type) {
    case LightType::Directional:
      return LengthSquared(light.direction) > 0.0f;
    case LightType::Spot:
      if (!(LengthSquared(light.direction) > 0.0f)) return false;
      if (!(light.theta >= 0.0f && light.phi >= light.theta && light.phi <= 3.14159274f)) return false;
      [[fallthrough]];
    case LightType::Point:
      return light.range >= 0.0f && light.range <= maxRange && light.attenuation0 >= 0.0f &&
             light.attenuation1 >= 0.0f && light.attenuation2 >= 0.0f;
  }
  return false;
}

}  // namespace

HResult StateDevice::SetLight(uint32_t index, const Light& light) {
  if (index > kMaxLightIndex || !ValidLight(light)) return kInvalidCall;
  LightSlot& slot = state_.lights[index];
  if (Same(slot.light, light)) return kOk;
  slot.light = light;
  OnStateChanged(StateGroup::Light);
  return kOk;
}

HResult StateDevice::GetLight(uint32_t index, Light& light) const {
  const auto found = state_.lights.find(index);
  if (found == state_.lights.end()) return kInvalidCall;
  light = found->second.light;
  return kOk;
}

HResult StateDevice::LightEnable(uint32_t index, bool enable) {
  if (index > kMaxLightIndex) return kInvalidCall;
  auto found = state_.lights.find(index);
  if (found == state_.lights.end()) {
    if (!enable) return kOk;
    // Enabling a light never set gives the default light: white, shining along +z.
    LightSlot slot;
    slot.light.diffuse = {1, 1, 1, 0};
    found = state_.lights.emplace(index, slot).first;
  }
  if (enable && !found->second.enabled) {
    uint32_t active = 0;
    for (const auto& [i, slot] : state_.lights) active += slot.enabled ? 1 : 0;
    if (active >= caps_.maxActiveLights) return kInvalidCall;
  }
  if (found->second.enabled == enable) return kOk;
  found->second.enabled = enable;
  OnStateChanged(StateGroup::Light);
  return kOk;
}

HResult StateDevice::GetLightEnable(uint32_t index, bool& enable) const {
  const auto found = state_.lights.find(index);
  if (found == state_.lights.end()) return kInvalidCall;
  enable = found->second.enabled;
  return kOk;
}

HResult StateDevice::SetClipPlane(uint32_t index, const Plane& plane) {
  if (index >= kMaxClipPlanes) return kInvalidCall;
  if (Same(state_.clipPlanes[index], plane)) return kOk;
  state_.clipPlanes[index] = plane;
  OnStateChanged(StateGroup::ClipPlane);
  return kOk;
}

HResult StateDevice::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) {
  if (stream >= kMaxStreams) return kInvalidCall;
  if (state_.streams[stream].buffer == buffer && state_.streams[stream].stride == stride) return kOk;
  if (buffer != nullptr) buffer->AddRef();
  if (state_.streams[stream].buffer != nullptr) state_.streams[stream].buffer->Release();
  state_.streams[stream] = {buffer, stride};
  OnStateChanged(StateGroup::Stream);
  return kOk;
}

HResult StateDevice::GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t& stride) const {
  if (buffer == nullptr || stream >= kMaxStreams) return kInvalidCall;
  *buffer = state_.streams[stream].buffer;
  if (*buffer != nullptr) (*buffer)->AddRef();
  stride = state_.streams[stream].stride;
  return kOk;
}

HResult StateDevice::SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex) {
  if (state_.indices == buffer && state_.baseVertexIndex == baseVertexIndex) return kOk;
  if (buffer != nullptr) buffer->AddRef();
  if (state_.indices != nullptr) state_.indices->Release();
  state_.indices = buffer;
  state_.baseVertexIndex = baseVertexIndex;
  OnStateChanged(StateGroup::Stream);
  return kOk;
}

HResult StateDevice::GetIndices(IndexBuffer** buffer, uint32_t& baseVertexIndex) const {
  if (buffer == nullptr) return kInvalidCall;
  *buffer = state_.indices;
  if (*buffer != nullptr) (*buffer)->AddRef();
  baseVertexIndex = state_.baseVertexIndex;
  return kOk;
}

HResult StateDevice::SetVertexShader(uint32_t fvfCode) {
  if (state_.fvf == fvfCode) return kOk;
  state_.fvf = fvfCode;
  OnStateChanged(StateGroup::Fvf);
  return kOk;
}

HResult StateDevice::ValidateDevice(uint32_t& numPasses) {
  numPasses = 0;
  uint32_t stages = 0;
  uint32_t textures = 0;
  for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage) {
    const uint32_t colorOp = state_.Stage(stage, TextureStageState::ColorOp);
    if (colorOp == static_cast<uint32_t>(TextureOp::Disable)) break;
    ++stages;
    if (!OpSupported(colorOp, caps_)) return kUnsupportedColorOperation;
    const uint32_t colorArgs[3] = {state_.Stage(stage, TextureStageState::ColorArg1),
                                   state_.Stage(stage, TextureStageState::ColorArg2),
                                   state_.Stage(stage, TextureStageState::ColorArg0)};
    bool usesTexture = false;
    for (uint32_t arg : colorArgs) {
      if (!ValidArgument(arg, caps_)) return kUnsupportedColorArg;
      usesTexture |= (arg & texture_arg::kSelectMask) == texture_arg::kTexture;
    }
    const uint32_t alphaOp = state_.Stage(stage, TextureStageState::AlphaOp);
    if (alphaOp != static_cast<uint32_t>(TextureOp::Disable) || stage == 0) {
      if (alphaOp != static_cast<uint32_t>(TextureOp::Disable) && !OpSupported(alphaOp, caps_))
        return kUnsupportedAlphaOperation;
      const uint32_t alphaArgs[3] = {state_.Stage(stage, TextureStageState::AlphaArg1),
                                     state_.Stage(stage, TextureStageState::AlphaArg2),
                                     state_.Stage(stage, TextureStageState::AlphaArg0)};
      for (uint32_t arg : alphaArgs) {
        if (!ValidArgument(arg, caps_)) return kUnsupportedAlphaArg;
        usesTexture |= (arg & texture_arg::kSelectMask) == texture_arg::kTexture;
      }
    }
    if (usesTexture || state_.textures[stage] != nullptr) ++textures;
  }
  if (stages > caps_.maxTextureBlendStages || textures > caps_.maxSimultaneousTextures) return kTooManyOperations;
  numPasses = 1;
  return kOk;
}

HResult StateDevice::CheckStreamDraw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount,
                                     uint32_t& vertexCount) const {
  vertexCount = 0;
  if (static_cast<uint32_t>(type) < 1 || static_cast<uint32_t>(type) > 6) return kInvalidCall;
  if (primitiveCount == 0) return kOk;
  if (caps_.maxPrimitiveCount != 0 && primitiveCount > caps_.maxPrimitiveCount) return kInvalidCall;
  const VertexLayout layout = DescribeVertexFormat(state_.fvf);
  const StreamBinding& stream = state_.streams[0];
  if (layout.stride == 0 || stream.buffer == nullptr || stream.stride < layout.stride) return kInvalidCall;
  const uint32_t count = VerticesForPrimitives(type, primitiveCount);
  VertexBufferDesc desc;
  stream.buffer->GetDesc(desc);
  const uint64_t end = (uint64_t{startVertex} + count - 1) * stream.stride + layout.stride;
  if (end > desc.size) return kInvalidCall;
  vertexCount = count;
  return kOk;
}

HResult StateDevice::CheckIndexedDraw(PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                      uint32_t primitiveCount, uint32_t& indexCount) const {
  indexCount = 0;
  if (static_cast<uint32_t>(type) < 1 || static_cast<uint32_t>(type) > 6) return kInvalidCall;
  if (primitiveCount == 0) return kOk;
  if (caps_.maxPrimitiveCount != 0 && primitiveCount > caps_.maxPrimitiveCount) return kInvalidCall;
  const VertexLayout layout = DescribeVertexFormat(state_.fvf);
  const StreamBinding& stream = state_.streams[0];
  if (layout.stride == 0 || stream.buffer == nullptr || stream.stride < layout.stride || state_.indices == nullptr)
    return kInvalidCall;
  IndexBufferDesc indexDesc;
  state_.indices->GetDesc(indexDesc);
  const uint32_t indexSize = indexDesc.format == Format::Index32 ? 4 : 2;
  const uint32_t count = VerticesForPrimitives(type, primitiveCount);
  if ((uint64_t{startIndex} + count) * indexSize > indexDesc.size) return kInvalidCall;
  VertexBufferDesc vertexDesc;
  stream.buffer->GetDesc(vertexDesc);
  // The declared vertex range must lie inside the vertex buffer; indices themselves are checked by the backend.
  if (numVertices == 0) return kInvalidCall;
  const uint64_t end = (uint64_t{state_.baseVertexIndex} + minIndex + numVertices - 1) * stream.stride + layout.stride;
  if (end > vertexDesc.size) return kInvalidCall;
  indexCount = count;
  return kOk;
}

HResult StateDevice::CheckUserDraw(PrimitiveType type, uint32_t primitiveCount, const void* vertexData,
                                   uint32_t stride, uint32_t& vertexCount) const {
  vertexCount = 0;
  if (static_cast<uint32_t>(type) < 1 || static_cast<uint32_t>(type) > 6) return kInvalidCall;
  if (primitiveCount == 0) return kOk;
  if (caps_.maxPrimitiveCount != 0 && primitiveCount > caps_.maxPrimitiveCount) return kInvalidCall;
  const VertexLayout layout = DescribeVertexFormat(state_.fvf);
  if (vertexData == nullptr || layout.stride == 0 || stride < layout.stride) return kInvalidCall;
  vertexCount = VerticesForPrimitives(type, primitiveCount);
  return kOk;
}

HResult CheckTextureArguments(uint32_t width, uint32_t height, uint32_t& levels, uint32_t usage, Format format,
                              Pool pool) {
  if (width == 0 || height == 0 || width > kMaxTextureEdge || height > kMaxTextureEdge) return kInvalidCall;
  if (ImageBytes(format, 1, 1) == 0) return kInvalidCall;
  const uint32_t full = FullMipCount(width, height);
  if (levels == 0) levels = full;
  if (levels > full) return kInvalidCall;
  if ((usage & (usage::kRenderTarget | usage::kDepthStencil)) && pool != Pool::Default) return kInvalidCall;
  if (pool == Pool::Scratch) return kInvalidCall;
  return kOk;
}

HResult CheckBufferArguments(uint32_t length, Pool pool) {
  if (length == 0 || length > kMaxBufferBytes || pool == Pool::Scratch) return kInvalidCall;
  return kOk;
}

HResult ShareSurface(Surface* held, Surface** out) {
  if (out == nullptr) return kInvalidCall;
  *out = held;
  if (held == nullptr) return kNotAvailable;
  held->AddRef();
  return kOk;
}

HResult VertexBufferRequest(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool, VertexBuffer** buffer,
                            VertexBufferDesc& desc) {
  if (buffer == nullptr) return kInvalidCall;
  *buffer = nullptr;
  if (Failed(CheckBufferArguments(length, pool))) return kInvalidCall;
  desc.usage = usage;
  desc.pool = pool;
  desc.size = length;
  desc.fvf = fvfCode;
  return kOk;
}

HResult IndexBufferRequest(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** buffer,
                           IndexBufferDesc& desc) {
  if (buffer == nullptr) return kInvalidCall;
  *buffer = nullptr;
  if (Failed(CheckBufferArguments(length, pool))) return kInvalidCall;
  if (format != Format::Index16 && format != Format::Index32) return kInvalidCall;
  desc.format = format;
  desc.usage = usage;
  desc.pool = pool;
  desc.size = length;
  return kOk;
}

}  // namespace platform::gfx
