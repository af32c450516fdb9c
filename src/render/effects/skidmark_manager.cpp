// Tyre-mark strips: growing, bounding, culling and drawing.
#include "render/effects/skidmark_manager.h"

#include <algorithm>

#include "platform/math/math.h"
#include "render/effects/effect_vertex.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace render {

namespace {

using platform::gfx::Blend;
using platform::gfx::RenderState;
using platform::gfx::TextureStageState;
namespace arg = platform::gfx::texture_arg;

// Marks sit half an inch above the contact point along the wheel's up axis, so the road does not hide them.
constexpr float kSkidLift = 0.5f;

Vec3 Row(const Matrix4& m, int row) { return {m.m[row][0], m.m[row][1], m.m[row][2]}; }

}  // namespace

SkidmarkSegment::SkidmarkSegment(platform::gfx::Device* device, const Vec3& position, int32_t markStyle,
                                 float markWidth)
    : width(markWidth),
      vertexBuffer(CreateEffectBuffer(device, kSkidCrossSections * 2)),
      origin(position),
      transform(platform::TranslationMatrix(position)),
      corners(std::make_unique<BoxCorners>(Vec3{0, 0, 0}, Vec3{0, 0, 0})),
      style(markStyle) {}

SkidmarkSegment::~SkidmarkSegment() {
  if (vertexBuffer != nullptr) vertexBuffer->Release();
}

void SkidmarkSegment::Grow(platform::gfx::Device* /*device*/, const Vec3& p, const Matrix4& wheel, float dt) {
  if (!open) return;
  timer += dt;
  if (timer > kSkidCrossSectionTime) {
    ++crossSection;
    timer = 0.0f;
  }
  if (crossSection > kLastSkidCrossSection) {
    crossSection = kLastSkidCrossSection;
    open = false;
  }
  if (vertexBuffer == nullptr) return;
  uint8_t* data = nullptr;
  if (platform::Failed(vertexBuffer->Lock(0, 0, &data, 0)) || data == nullptr) return;
  const Vec3 side = Row(wheel, 0) * (width * 0.5f);
  const Vec3 lift = Row(wheel, 1) * kSkidLift;
  const Vec3 left = p - side + lift - origin;
  const Vec3 right = p + side + lift - origin;
  auto* vertices = reinterpret_cast<EffectVertex*>(data);
  const float v = static_cast<float>(crossSection);
  vertices[2 * crossSection] = {left.x, left.y, left.z, kOpaqueWhite, static_cast<float>(style - 1) * 0.5f, v};
  vertices[2 * crossSection + 1] = {right.x, right.y, right.z, kOpaqueWhite, static_cast<float>(style) * 0.5f, v};
  boxMin = platform::ComponentMin(platform::ComponentMin(boxMin, left), right);
  boxMax = platform::ComponentMax(platform::ComponentMax(boxMax, left), right);
  vertexBuffer->Unlock();
  corners->localMin = boxMin;
  corners->localMax = boxMax;
  corners->BoxTransform(transform);
}

uint32_t SkidmarkSegment::TriangleCount() const { return 2 * std::min(crossSection, kLastSkidCrossSection); }

void SkidmarkSegment::Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  const uint32_t triangles = TriangleCount();
  if (triangles == 0 || vertexBuffer == nullptr) return;
  if (frustum != nullptr && !BoxInFrustum(*frustum, corners->corners)) return;
  device->SetTransform(platform::gfx::TransformState::View, transform * view);
  device->SetVertexShader(kEffectVertexFormat);
  device->SetStreamSource(0, vertexBuffer, sizeof(EffectVertex));
  device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleStrip, 0, triangles);
  device->SetRenderState(RenderState::CullMode, platform::gfx::CullMode::Clockwise);
  device->DrawPrimitive(platform::gfx::PrimitiveType::TriangleStrip, 0, triangles);
  device->SetRenderState(RenderState::CullMode, platform::gfx::CullMode::CounterClockwise);
}

void SkidmarkManager::Init(platform::gfx::Device* device, ResourceManager* resourceManager,
                           const app::Settings* managerSettings, const std::string& colourName,
                           const std::string& alphaName) {
  Shutdown();
  capacity = kDefaultSkidCapacity;
  count = 0;
  settings = managerSettings;
  resources = resourceManager;
  if (resources != nullptr) treadImage = resources->LoadImagePair(device, colourName, alphaName, false, true);
}

SkidmarkSegment* SkidmarkManager::AddSegment(platform::gfx::Device* device, const Vec3& position,
                                             const Matrix4& wheel, int32_t style, float width) {
  if (capacity == 0) return nullptr;
  if (count > capacity && !RemoveOldestClosed()) return nullptr;
  auto segment = std::make_unique<SkidmarkSegment>(device, position, style, width);
  // A strip without a buffer could never show; the wheel simply leaves no mark.
  if (segment->vertexBuffer == nullptr) return nullptr;
  segment->Grow(device, position, wheel, kSkidCrossSectionTime);
  SkidmarkSegment* raw = segment.get();
  segments.push_front(std::move(segment));
  count = static_cast<uint32_t>(segments.size());
  return raw;
}

bool SkidmarkManager::RemoveOldestClosed() {
  for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
    if ((*it)->open) continue;
    segments.erase(std::next(it).base());
    count = static_cast<uint32_t>(segments.size());
    return true;
  }
  return false;
}

void SkidmarkManager::Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  if (device == nullptr) return;
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::Lighting, false);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kTexture);
  device->SetRenderState(RenderState::SrcBlend, Blend::SrcAlpha);
  device->SetRenderState(RenderState::DestBlend, Blend::InvSrcAlpha);
  device->SetRenderState(RenderState::ZWriteEnable, false);
  device->SetTexture(0, GetImageTexture(treadImage));
  for (auto& segment : segments) segment->Draw(device, view, frustum);
  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  device->SetRenderState(RenderState::ZWriteEnable, true);
}

void SkidmarkManager::Shutdown() {
  if (resources != nullptr && treadImage != nullptr) resources->ReleaseImage(treadImage);
  treadImage = nullptr;
  segments.clear();
  count = 0;
}

}  // namespace render
