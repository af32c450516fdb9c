// Gauge cluster: readout texts, the nitrous cell chosen by a texture translation, and the turned needle.
#include "race/hud/gauge_cluster.h"

#include <cmath>

#include "platform/math/math.h"
#include "render/resources/bitmap_font.h"
#include "render/resources/resource_manager.h"

namespace race {

const std::array<const char*, 9> GearNames = {"R", "N", "1", "2", "3", "4", "5", "6", "7"};

namespace {
constexpr float kPi = 3.14159265f;
constexpr float kFontLetterSpacing = 6.0f;
constexpr int32_t kNitrousSteps = 7;
constexpr int32_t kNitrousColumns = 4;
constexpr float kNitrousCellU = 0.25f;
constexpr float kNitrousCellV = 0.5f;
}  // namespace

GaugeLayout RaceGaugeLayout() {
  return GaugeLayout{"HUD\\speedo.png", "HUD\\speedoalpha.png", "HUD\\nitrous.png", "HUD\\nitrousalpha.png",
                     "HUD\\needle.png", "HUD\\needlealpha.png", 608, 342, 192, 244, 650, 384, 96, 96, 704, 438, 24,
                     192, 9000, 180, -135};
}

GaugeCluster::GaugeCluster(platform::gfx::Device* device, render::ResourceManager* resources,
                           const GaugeLayout& layout, uint32_t screenWidth, uint32_t screenHeight)
    : maxRpm(layout.maxRpm),
      sweep(layout.sweep),
      angleOffset(layout.angleOffset),
      degreesPerRpm(layout.maxRpm != 0.0f ? layout.sweep / layout.maxRpm : 0.0f),
      resources(resources) {
  if (resources != nullptr) {
    dialImage = resources->LoadImagePair(device, layout.dialColour, layout.dialAlpha, false, true);
    nitrousImage = resources->LoadImagePair(device, layout.nitrousColour, layout.nitrousAlpha, false, true);
    needleImage = resources->LoadImagePair(device, layout.needleColour, layout.needleAlpha, false, true);
    fontImage = resources->LoadImagePair(device, "FONT\\digital.png", "FONT\\digitala.png", false, true);
    fontMetrics = resources->LoadFont("FONT\\digital.ini");
  }
  // The width table is shared by name, so the HUD's own labels get this spacing too.
  if (fontMetrics != nullptr) fontMetrics->letterSpacing = kFontLetterSpacing;
  dial = std::make_unique<HudSprite>(dialImage, layout.dialX, layout.dialY, layout.dialWidth, layout.dialHeight, 0.0f,
                                     0.0f, 1.0f, 1.0f, false, screenWidth, screenHeight);
  nitrousMeter = std::make_unique<HudSprite>(nitrousImage, layout.nitrousX, layout.nitrousY, layout.nitrousWidth,
                                             layout.nitrousHeight, 0.0f, 0.0f, kNitrousCellU, kNitrousCellV, false,
                                             screenWidth, screenHeight);
  needle = std::make_unique<HudSprite>(needleImage, layout.needleX, layout.needleY, layout.needleWidth,
                                       layout.needleHeight, 0.0f, 0.0f, 1.0f, 1.0f, true, screenWidth, screenHeight);
  speedLabel = std::make_unique<HudLabel>(fontImage, fontMetrics, "0", layout.dialX + 135, layout.dialY + 135, 1.125f,
                                          false, kHudAlignRight, screenWidth, screenHeight);
  gearLabel = std::make_unique<HudLabel>(fontImage, fontMetrics, "N", layout.dialX + 128, layout.dialY + 68, 1.5f,
                                         true, kHudAlignLeft, screenWidth, screenHeight);
}

std::string GaugeCluster::SpeedText() const {
  return WholeNumberText(std::floor(static_cast<double>(speed) + 0.5));
}

std::string GaugeCluster::GearText() const {
  // The car never reports a gear outside the table; anything else reads as neutral rather than past the end.
  if (gear < 0 || gear >= static_cast<int32_t>(GearNames.size())) return GearNames[1];
  return GearNames[static_cast<size_t>(gear)];
}

int32_t GaugeCluster::NitrousCell() const {
  // A car without a tank hands over 0 / 0; not-a-number and anything below empty show the empty cell.
  if (!(nitrous > 0.0f)) return 0;
  const float cell = std::ceil(nitrous * kNitrousSteps);
  if (cell >= kNitrousSteps) return kNitrousSteps;
  return static_cast<int32_t>(cell);
}

platform::Matrix4 GaugeCluster::NeedleView() const {
  const float radians = -NeedleAngle() * kPi / 180.0f;
  const platform::Vec2 centre = needle ? needle->origin : platform::Vec2{};
  return platform::RotationZMatrix(radians) * platform::TranslationMatrix(centre.x, centre.y, 1.0f);
}

void GaugeCluster::Draw(platform::gfx::Device* device) {
  if (speedLabel) speedLabel->SetText(SpeedText());
  if (gearLabel) gearLabel->SetText(GearText());
  if (device == nullptr) return;
  if (dial) dial->Draw(device);

  if (nitrousMeter) {
    const int32_t cell = NitrousCell();
    const int32_t row = cell / kNitrousColumns;
    const int32_t column = cell - kNitrousColumns * row;
    platform::Matrix4 shift = platform::IdentityMatrix();
    shift.m[2][0] = static_cast<float>(column) * kNitrousCellU;
    shift.m[2][1] = static_cast<float>(row) * kNitrousCellV;
    device->SetTextureStageState(0, platform::gfx::TextureStageState::TextureTransformFlags,
                                 platform::gfx::texture_transform::kCount2);
    device->SetTransform(platform::gfx::TransformState::Texture0, shift);
    nitrousMeter->Draw(device);
    device->SetTextureStageState(0, platform::gfx::TextureStageState::TextureTransformFlags,
                                 platform::gfx::texture_transform::kDisable);
  }

  if (needle) {
    needle->DrawWithView(device, NeedleView());
  }
  if (speedLabel) speedLabel->Draw(device);
  if (gearLabel) gearLabel->Draw(device);
}

void GaugeCluster::Release() {
  if (resources != nullptr) {
    if (fontMetrics != nullptr) resources->ReleaseFont(fontMetrics);
    for (render::ImageResource* image : {dialImage, nitrousImage, needleImage, fontImage}) {
      if (image != nullptr) resources->ReleaseImage(image);
    }
  }
  fontMetrics = nullptr;
  dialImage = nitrousImage = needleImage = fontImage = nullptr;
  dial.reset();
  nitrousMeter.reset();
  needle.reset();
  speedLabel.reset();
  gearLabel.reset();
}

}  // namespace race
