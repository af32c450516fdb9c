// Tyre-mark strips: growing, bounding, culling and drawing.
#include "render/effects/skidmark_manager.h"

#include <algorithm>
#include <cstring>
#include <vector>

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
  const float v = static_cast<float>(crossSection);
  vertices[2 * crossSection] = {left.x, left.y, left.z, kOpaqueWhite, static_cast<float>(style - 1) * 0.5f, v};
  vertices[2 * crossSection + 1] = {right.x, right.y, right.z, kOpaqueWhite, static_cast<float>(style) * 0.5f, v};
  std::memcpy(data + 2 * crossSection * sizeof(EffectVertex), &vertices[2 * crossSection], 2 * sizeof(EffectVertex));
  boxMin = platform::ComponentMin(platform::ComponentMin(boxMin, left), right);
  boxMax = platform::ComponentMax(platform::ComponentMax(boxMax, left), right);
  vertexBuffer->Unlock();
  corners->localMin = boxMin;
  corners->localMax = boxMax;
  corners->BoxTransform(transform);
}

uint32_t SkidmarkSegment::TriangleCount() const { return 2 * std::min(crossSection, kLastSkidCrossSection); }

bool SkidmarkSegment::AddTo(SpriteBatch& batch, const Matrix4& view, const ViewFrustum* frustum) const {
  const uint32_t triangles = TriangleCount();
  if (triangles == 0 || vertexBuffer == nullptr) return false;
  if (frustum != nullptr && !BoxInFrustum(*frustum, corners->corners)) return false;
  const Matrix4 placed = transform * view;
  std::vector<EffectVertex> strip(vertices.begin(), vertices.begin() + triangles + 2);
  for (EffectVertex& vertex : strip) {
    const Vec3 at = platform::TransformCoord(Vec3{vertex.x, vertex.y, vertex.z}, placed);
    vertex.x = at.x;
    vertex.y = at.y;
    vertex.z = at.z;
  }
  // A strip's odd triangles are wound the other way round; taken in that order every triangle keeps the winding
  // the strip gives it. Seen from the eye at the view's origin, the triple product of its corners is negative
  // for a triangle the device's usual culling (counter-clockwise faces away) keeps.
  auto corner = [&strip](uint32_t triangle, int k) -> const EffectVertex& {
    static constexpr int kEven[3] = {0, 1, 2}, kOdd[3] = {1, 0, 2};
    return strip[triangle + static_cast<uint32_t>((triangle % 2 == 0 ? kEven : kOdd)[k])];
  };
  auto keptFirst = [&corner](uint32_t triangle) {
    const EffectVertex &a = corner(triangle, 0), &b = corner(triangle, 1), &c = corner(triangle, 2);
    const Vec3 pa{a.x, a.y, a.z}, pb{b.x, b.y, b.z}, pc{c.x, c.y, c.z};
    return platform::Dot(pa, platform::Cross(pb, pc)) < 0.0f;
  };
  for (bool first : {true, false}) {
    for (uint32_t t = 0; t < triangles; ++t) {
      if (keptFirst(t) == first) batch.AddTriangle(corner(t, 0), corner(t, 1), corner(t, 2));
    }
  }
  return true;
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
  batch_.JoinDeviceResets(resources);
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
  batch_.Clear();
  for (const auto& segment : segments) segment->AddTo(batch_, view, frustum);
  if (batch_.TriangleCount() > 0) {
    device->SetRenderState(RenderState::CullMode, platform::gfx::CullMode::None);
    batch_.Draw(device);
    device->SetRenderState(RenderState::CullMode, platform::gfx::CullMode::CounterClockwise);
  }
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
  batch_.Release();
  batch_.LeaveDeviceResets();
}

}  // namespace render
