// Top-down map of a track in the 2D overlay: the path as a textured ribbon, a start marker and racer arrows.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/graphics.h"
#include "platform/math/types.h"
#include "race/hud/hud_widgets.h"

namespace geometry {
class Path;
}

namespace race {

class Minimap {
 public:
  // Images are not owned. (x, y) is where the world origin lands; the path's larger horizontal extent spans
  // width - trackWidth.
  Minimap(platform::gfx::Device* device, const geometry::Path& path, render::ImageResource* trackImage,
          render::ImageResource* focusedPointerImage, render::ImageResource* pointerImage,
          render::ImageResource* startEndImage, float x, float y, float width, float height, float trackWidth,
          float markerSize, uint32_t screenWidth = kHudScreenWidth, uint32_t screenHeight = kHudScreenHeight);

  void SetPosition(float x, float y);
  // New entries are at the origin, heading nowhere, not highlighted.
  void SetRacerCount(size_t count);
  // Out-of-range indices are ignored.
  void SetRacer(size_t index, const platform::Vec3& position, const platform::Vec3& heading, bool highlight);
  size_t RacerCount() const { return racerPositions.size(); }
  void Draw(platform::gfx::Device* device);
  void Release();

  // Virtual-screen point of a world point (height ignored).
  platform::Vec2 Project(const platform::Vec3& world) const;
  // Marker angle in degrees (counter-clockwise) for a heading: 0 along +z, -90 along +x.
  static float HeadingAngle(const platform::Vec3& heading);

  platform::Vec2 viewOrigin{};
  platform::Vec2 screenPos{};
  float halfTrackWidth = 0;
  float scale = 1.0f;
  uint32_t screenWidth, screenHeight;
  render::ImageResource* trackImage = nullptr;
  render::ImageResource* focusedPointerImage = nullptr;
  render::ImageResource* pointerImage = nullptr;
  render::ImageResource* startEndImage = nullptr;
  std::unique_ptr<HudSprite> marker, startMarker;
  // Ribbon vertices in map space (scaled world x and z), drawn as one triangle strip.
  std::vector<HudVertex> trackStrip;
  uint32_t stripTriangles = 0;
  std::vector<platform::Vec3> racerPositions, racerHeadings;
  std::vector<bool> racerHighlight;
  platform::Vec3 startPoint{}, startSide{};

 private:
  void BuildTrack(const geometry::Path& path);
};

}  // namespace race
