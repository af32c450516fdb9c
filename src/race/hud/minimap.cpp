// Minimap: the path projected from above at a fixed scale, a constant-width ribbon, and turned markers.
#include "race/hud/minimap.h"

#include <cmath>

#include "geometry/path.h"
#include "platform/math/math.h"
#include "render/resources/image_resource.h"

namespace race {

namespace {
constexpr float kRadiansToDegrees = 57.2957795f;
constexpr float kStartMarkerWidth = 6.0f;
constexpr float kStartMarkerHeight = 12.0f;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

platform::Vec3 Flatten(platform::Vec3 v) {
  v.y = 0.0f;
  if (platform::LengthSquared(v) <= 0.0f) return {0.0f, 0.0f, 1.0f};
  return platform::Normalize(v);
}
}  // namespace

Minimap::Minimap(platform::gfx::Device* /*device*/, const geometry::Path& path, render::ImageResource* trackImage,
                 render::ImageResource* focusedPointerImage, render::ImageResource* pointerImage,
                 render::ImageResource* startEndImage, float x, float y, float width, float /*height*/,
                 float trackWidth, float markerSize, uint32_t screenWidth, uint32_t screenHeight)
    : halfTrackWidth(trackWidth * 0.5f),
      screenWidth(screenWidth),
      screenHeight(screenHeight),
      trackImage(trackImage),
      focusedPointerImage(focusedPointerImage),
      pointerImage(pointerImage),
      startEndImage(startEndImage) {
  screenPos = {x, y};
  const float usable = width - trackWidth;
  const float extentX = path.BoundsMax().x - path.BoundsMin().x;
  const float extentZ = path.BoundsMax().z - path.BoundsMin().z;
  const float extent = extentZ > extentX ? extentZ : extentX;
  // A path of one point (or none) has no extent to fit; it keeps the unit scale instead of dividing by zero.
  if (path.PointCount() > 0 && extent > 0.0f && std::isfinite(extent)) scale = usable / extent;
  BuildTrack(path);
  SetPosition(x, y);
  marker = std::make_unique<HudSprite>(pointerImage, 0.0f, 0.0f, markerSize, markerSize, 0.0f, 0.0f, 1.0f, 1.0f, true,
                                       screenWidth, screenHeight);
  startMarker = std::make_unique<HudSprite>(startEndImage, 0.0f, 0.0f, kStartMarkerWidth, kStartMarkerHeight, 0.0f,
                                            0.0f, 1.0f, 1.0f, true, screenWidth, screenHeight);
}

void Minimap::BuildTrack(const geometry::Path& path) {
  trackStrip.clear();
  stripTriangles = 0;
  const size_t count = path.PointCount();
  if (count == 0) return;
  startPoint = path.GetPoint(0);
  startSide = path.SideVector(0);
  const size_t n = count + (path.Closed() ? 1 : 0);
  trackStrip.resize(2 * n);
  for (size_t i = 0; i < count; ++i) {
    const platform::Vec3 p = path.GetPoint(i);
    const platform::Vec3 s = path.SideVector(i);
    const float v = static_cast<float>(i);
    trackStrip[2 * i] = {scale * p.x + halfTrackWidth * s.x, scale * p.z + halfTrackWidth * s.z, 0.0f, kWhite, 0.0f, v};
    trackStrip[2 * i + 1] = {scale * p.x - halfTrackWidth * s.x, scale * p.z - halfTrackWidth * s.z, 0.0f, kWhite, 1.0f,
                             v};
  }
  if (path.Closed()) {
    const float v = static_cast<float>(n - 1);
    trackStrip[2 * (n - 1)] = trackStrip[0];
    trackStrip[2 * (n - 1)].v = v;
    trackStrip[2 * (n - 1) + 1] = trackStrip[1];
    trackStrip[2 * (n - 1) + 1].v = v;
  }
  stripTriangles = static_cast<uint32_t>(2 * n - 2);
}

void Minimap::SetPosition(float x, float y) {
  screenPos = {x, y};
  viewOrigin = HudViewOrigin(x, y, screenWidth, screenHeight);
}

void Minimap::SetRacerCount(size_t count) {
  racerPositions.resize(count);
  racerHeadings.resize(count);
  racerHighlight.resize(count, false);
}

void Minimap::SetRacer(size_t index, const platform::Vec3& position, const platform::Vec3& heading, bool highlight) {
  if (index >= racerPositions.size()) return;
  racerPositions[index] = position;
  racerHeadings[index] = heading;
  racerHighlight[index] = highlight;
}

platform::Vec2 Minimap::Project(const platform::Vec3& world) const {
  return {screenPos.x + scale * world.x, screenPos.y - scale * world.z};
}

float Minimap::HeadingAngle(const platform::Vec3& heading) {
  const platform::Vec3 h = Flatten(heading);
  return -std::atan2(h.x, h.z) * kRadiansToDegrees;
}

void Minimap::Draw(platform::gfx::Device* device) {
  if (device == nullptr) return;
  if (stripTriangles > 0) {
    device->SetVertexShader(kHudVertexFormat);
    platform::gfx::Texture* texture = render::GetImageTexture(trackImage);
    if (texture != nullptr) device->SetTexture(0, texture);
    device->SetTransform(platform::gfx::TransformState::View,
                         platform::TranslationMatrix(viewOrigin.x, viewOrigin.y, 1.0f));
    device->DrawPrimitiveUP(platform::gfx::PrimitiveType::TriangleStrip, stripTriangles, trackStrip.data(),
                            sizeof(HudVertex));
  }
  if (startMarker) {
    const platform::Vec2 at = Project(startPoint);
    startMarker->SetPosition(at.x, at.y);
    startMarker->angle = HeadingAngle(startSide);
    startMarker->Draw(device);
  }
  if (!marker) return;
  for (size_t i = 0; i < racerPositions.size(); ++i) {
    const platform::Vec2 at = Project(racerPositions[i]);
    marker->SetPosition(at.x, at.y);
    marker->angle = HeadingAngle(racerHeadings[i]);
    if (racerHighlight[i]) {
      platform::gfx::Texture* texture = render::GetImageTexture(focusedPointerImage);
      if (texture != nullptr) device->SetTexture(0, texture);
      marker->DrawRotated(device);
    } else {
      marker->Draw(device);
    }
  }
}

void Minimap::Release() {
  trackImage = focusedPointerImage = pointerImage = startEndImage = nullptr;
  marker.reset();
  startMarker.reset();
  trackStrip.clear();
  stripTriangles = 0;
  racerPositions.clear();
  racerHeadings.clear();
  racerHighlight.clear();
}

}  // namespace race
