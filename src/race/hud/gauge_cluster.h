// The instrument group of the race HUD: dial, rev needle, eight-step nitrous meter, speed and gear readouts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/gfx/graphics.h"
#include "race/hud/hud_widgets.h"

namespace render {
class ResourceManager;
}

namespace race {

// Indexed by gear (0 reverse, 1 neutral, 2 first gear, ...).
extern const std::array<const char*, 9> GearNames;

struct GaugeLayout {
  std::string dialColour, dialAlpha, nitrousColour, nitrousAlpha, needleColour, needleAlpha;
  float dialX, dialY, dialWidth, dialHeight;
  float nitrousX, nitrousY, nitrousWidth, nitrousHeight;
  float needleX, needleY, needleWidth, needleHeight;
  float maxRpm, sweep, angleOffset;
};
// The race HUD's cluster in the lower right corner.
GaugeLayout RaceGaugeLayout();

class GaugeCluster {
 public:
  GaugeCluster(platform::gfx::Device* device, render::ResourceManager* resources, const GaugeLayout& layout,
               uint32_t screenWidth = kHudScreenWidth, uint32_t screenHeight = kHudScreenHeight);
  ~GaugeCluster() { Release(); }
  GaugeCluster(const GaugeCluster&) = delete;
  GaugeCluster& operator=(const GaugeCluster&) = delete;

  // Refreshes the readouts from the four values and draws dial, meter, needle, speed and gear.
  void Draw(platform::gfx::Device* device);
  // Gives back the images and the font; safe to call twice.
  void Release();

  // Readout texts of the current values (also what Draw writes into the labels).
  std::string SpeedText() const;
  std::string GearText() const;
  // Needle angle in degrees, clockwise from upright: rpm x degreesPerRpm + angleOffset (not clamped).
  float NeedleAngle() const { return rpm * degreesPerRpm + angleOffset; }
  // View of the needle: turned by -NeedleAngle about z, then moved to the needle's centre.
  platform::Matrix4 NeedleView() const;
  // Nitrous cell 0..7 of the 4 x 2 grid: ceil(nitrous x 7); anything not a number or below 0 shows cell 0.
  int32_t NitrousCell() const;

  float maxRpm = 0, sweep = 0, angleOffset = 0, degreesPerRpm = 0;
  int32_t gear = 1;
  float rpm = 0;
  float speed = 0;    // mph
  float nitrous = 0;  // fraction left

  render::ResourceManager* resources = nullptr;
  render::ImageResource* dialImage = nullptr;
  render::ImageResource* nitrousImage = nullptr;
  render::ImageResource* needleImage = nullptr;
  render::ImageResource* fontImage = nullptr;
  render::BitmapFont* fontMetrics = nullptr;
  std::unique_ptr<HudSprite> dial, nitrousMeter, needle;
  std::unique_ptr<HudLabel> speedLabel, gearLabel;
};

}  // namespace race
