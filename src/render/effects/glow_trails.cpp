// Glow batches, their images and the three glow passes.
#include "render/effects/glow_trails.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "platform/math/math.h"
#include "render/effects/effect_vertex.h"
#include "render/resources/image_resource.h"
#include "render/resources/resource_manager.h"

namespace render {

const std::array<const char*, kGlowImageCount> GlowFrontTextureNames = {
    "GLOWS//flare_redstreetlight.png", "GLOWS//brakelight.png", "GLOWS//headlight.png", "GLOWS//reverselight.png",
    "GLOWS//corona.png",
    "GLOWS//flare_yellowstreetlight.png", "", "", "", "",
    "GLOWS//flare_bluestreetlight.png", "", "", "", "",
    "GLOWS//flare_whitestreetlight.png", "", "", "", "",
    "GLOWS//flare_greenstreetlight.png", "", "", "", "",
    "GLOWS//flare_orangestreetlight.png", "", "", "", "",
    "GLOWS//flare_purplestreetlight.png", "", "", "", "",
};
const std::array<const char*, kGlowImageCount> GlowReflectionTextureNames = {
    "GLOWS//flare_redrstreetlight.png", "GLOWS//rbrakelight.png", "GLOWS//rheadlight.png",
    "GLOWS//rreverselight.png", "",
    "GLOWS//flare_yellowrstreetlight.png", "", "", "", "",
    "GLOWS//flare_bluerstreetlight.png", "", "", "", "",
    "GLOWS//flare_whiterstreetlight.png", "", "", "", "",
    "GLOWS//flare_greenrstreetlight.png", "", "", "", "",
    "GLOWS//flare_orangerstreetlight.png", "", "", "", "",
    "GLOWS//flare_purplerstreetlight.png", "", "", "", "",
};
const std::array<const char*, kGlowImageCount> GlowBlurTextureNames = {
    "GLOWS//flare_redbstreetlight.png", "GLOWS//brakelight.png", "GLOWS//bheadlight.png",
    "GLOWS//breverselight.png", "GLOWS//corona.png",
    "GLOWS//flare_yellowbstreetlight.png", "", "", "", "",
    "GLOWS//flare_bluebstreetlight.png", "", "", "", "",
    "GLOWS//flare_whitebstreetlight.png", "", "", "", "",
    "GLOWS//flare_greenbstreetlight.png", "", "", "", "",
    "GLOWS//flare_orangebstreetlight.png", "", "", "", "",
    "GLOWS//flare_purplebstreetlight.png", "", "", "", "",
};

const std::array<GlowSlotConstants, kGlowSlotCount> GlowSlotTable = {{
    {500.0f, 1.0f, false, 2},
    {30.0f, 1.0f, true, 1},
    {80.0f, 1.0f, true, 1},
    {30.0f, 1.0f, true, 1},
    {30.0f, 10.0f, true, 1},
}};

namespace {

using platform::gfx::Blend;
using platform::gfx::RenderState;
using platform::gfx::TextureOp;
using platform::gfx::TextureStageState;
namespace arg = platform::gfx::texture_arg;

constexpr float kDegreesToRadians = platform::kPi / 180.0f;
// The glow quad sits this far toward the camera, so a light's own lamp model does not hide its glow.
constexpr float kGlowQuadDepth = -3.0f;
constexpr uint32_t kGlowKeyColour = 0xFFFF00FFu;
// Fog starts this far before the far plane in the normal and reflection passes, and in the capture pass.
constexpr float kGlowFogOffset = 3000.0f;
constexpr float kCaptureFogOffset = 1000.0f;
constexpr char kFoglessAdapter[] = "RADEON 9000";

}  // namespace

int GlowColourFromName(const std::string& name) {
  static constexpr std::array<const char*, kGlowColourCount> kWords = {"_RED",   "_YELLOW", "_BLUE",  "_WHITE",
                                                                       "_GREEN", "_ORANGE", "_PURPLE"};
  for (int colour = 0; colour < kGlowColourCount; ++colour) {
    if (name.find(kWords[colour]) != std::string::npos) return colour;
  }
  return 0;
}

// ---- GlowBatch ----------------------------------------------------------------------------------------------

GlowBatch::GlowBatch(platform::gfx::Device* device, const app::Settings* batchSettings, float quadSize,
                     float growthRate, bool fades, uint32_t gridSide, float secondsPerFrame)
    : settings(batchSettings),
      grid(gridSide),
      frames(gridSide * gridSide),
      size(quadSize),
      uvStep(gridSide * gridSide > 1 ? 1.0f / static_cast<float>(gridSide) : 1.0f),
      framePeriod(secondsPerFrame),
      growth(growthRate),
      animated(gridSide > 1),
      alphaFade(fades) {
  CreateBuffer(device);
}

void GlowBatch::CreateBuffer(platform::gfx::Device* device) {
  if (quad != nullptr) return;
  quad = CreateEffectBuffer(device, 4);
  if (quad != nullptr) ready = WriteSpriteQuad(quad, size, kGlowQuadDepth, uvStep);
}

bool GlowBatch::AddPoint(std::unique_ptr<GlowPoint>& point) {
  if (!ready || point == nullptr) return false;
  points.push_back(std::move(point));
  return true;
}

void GlowBatch::Update(float dt) {
  if (!ready) return;
  pointCount = 0;
  const float step = framePeriod > 0.0f ? dt / framePeriod : 0.0f;
  for (auto it = points.begin(); it != points.end();) {
    GlowPoint& point = **it;
    ++pointCount;
    if (frames > 1) {
      point.frameTime += step;
      if (point.frameTime >= static_cast<float>(frames) - 0.5f) point.frameTime -= static_cast<float>(frames);
    }
    it = point.expired ? points.erase(it) : std::next(it);
  }
}

void GlowBatch::Draw(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  DrawPoints(device, view, frustum, false);
}

void GlowBatch::DrawMirrored(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  DrawPoints(device, view, frustum, true);
}

void GlowBatch::DrawPoints(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum,
                           bool mirrored) {
  if (!ready || device == nullptr) return;
  const Matrix4 billboard = BillboardOf(view);
  const bool fade = alphaFade && settings != nullptr && settings->GetInt(app::SettingId::ALPHAFADE) > 0;
  sprites.Clear();
  for (const auto& entry : points) {
    const GlowPoint& point = *entry;
    if (!point.visible || !(point.alpha > 0.0f)) continue;
    if (frustum != nullptr && frustum->ClassifySphere(point.position, point.scale * size) == kSphereOutside) {
      continue;
    }
    float cellU = 0, cellV = 0;
    if (frames > 1) {
      const int64_t f = static_cast<int64_t>(std::floor(point.frameTime + 0.5f)) % frames;
      const int64_t row = f / grid;
      const int64_t column = f - static_cast<int64_t>(grid) * row;
      cellU = static_cast<float>(column) * uvStep;
      cellV = static_cast<float>(row) * uvStep;
    }
    float d = 0.0f;
    if (frustum != nullptr) {
      d = platform::DotCoord(frustum->planes[0], point.position) / kGlowFadeDistance;
      if (d > 1.0f || d < 0.0f) d = 1.0f;
    }
    // The fade darkens the glow's colour towards black (the quads are added to the picture); it rides in the
    // vertex colour, which the texture is modulated by.
    uint32_t colour = kOpaqueWhite;
    if (fade) {
      int32_t a = static_cast<int32_t>(std::floor(point.alpha + 0.5f));
      if (d > 0.5f) a = static_cast<int32_t>(2.0f * (1.0f - d) * static_cast<float>(a));
      // The creator may write any alpha; only the byte's range reaches the device.
      a = std::clamp(a, 0, 255);
      if (a == 0) continue;
      const auto level = static_cast<uint32_t>(a);
      colour = 0xFF000000u | (level << 16) | (level << 8) | level;
    }
    Matrix4 placed;
    if (mirrored) {
      placed = platform::ScalingMatrix(3.0f * point.scale, 10.0f * point.scale, 1.0f) * billboard *
               platform::TranslationMatrix(point.position) * view;
    } else {
      const float grown = point.scale + d * growth;
      placed = platform::ScalingMatrix(grown, grown, 1.0f) *
               platform::RotationZMatrix((d * 360.0f + point.rotation) * kDegreesToRadians) * billboard *
               platform::TranslationMatrix(point.position) * view;
    }
    sprites.Add(placed, size, kGlowQuadDepth, uvStep, cellU, cellV, colour);
  }
  if (sprites.Count() == 0) return;
  sprites.Draw(device);
  device->SetTransform(platform::gfx::TransformState::View, view);
}

void GlowBatch::Release() {
  sprites.Release();
  if (quad != nullptr) quad->Release();
  quad = nullptr;
  ready = false;
  points.clear();
}

// ---- GlowTrailSystem ----------------------------------------------------------------------------------------

GlowTrailSystem::GlowTrailSystem(platform::gfx::Device* device, ResourceManager* resourceManager,
                                 const app::Settings* systemSettings)
    : settings(systemSettings), resources(resourceManager) {
  LoadGlowImages(device);
  if (settings != nullptr) {
    std::string adapter = settings->Hardware().GetAdapterName();
    for (char& c : adapter) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (adapter.find(kFoglessAdapter) != std::string::npos) fogEnabled = false;
  }
}

void GlowTrailSystem::LoadGlowImages(platform::gfx::Device* device) {
  auto load = [&](const char* name) -> ImageResource* {
    if (name[0] == '\0' || resources == nullptr) return nullptr;
    return resources->LoadImage(device, name, false, kGlowKeyColour, false, true);
  };
  for (int slot = 0; slot < kGlowSlotCount; ++slot) {
    for (int colour = 0; colour < kGlowColourCount; ++colour) {
      const int index = colour * kGlowSlotCount + slot;
      frontImages[colour].push_back(load(GlowFrontTextureNames[index]));
      reflectionImages[colour].push_back(load(GlowReflectionTextureNames[index]));
      blurImages[colour].push_back(load(GlowBlurTextureNames[index]));
      const GlowSlotConstants& c = GlowSlotTable[slot];
      batches[colour].push_back(std::make_unique<GlowBatch>(device, settings, c.size, c.growth, c.alphaFade, 0, 0.0f));
      batches[colour].back()->sprites.JoinDeviceResets(resources);
    }
  }
}

GlowBatch* GlowTrailSystem::Batch(int32_t colour, int32_t slot) const {
  if (colour < 0 || colour >= kGlowColourCount || slot < 0) return nullptr;
  const auto& row = batches[colour];
  if (static_cast<size_t>(slot) >= row.size()) return nullptr;
  return row[slot].get();
}

GlowPoint* GlowTrailSystem::AddGlowTrailPoint(const Vec3& position, int32_t slot, float scale, int32_t colour) {
  auto point = std::make_unique<GlowPoint>();
  point->position = position;
  point->scale = scale;
  GlowPoint* raw = point.get();
  GlowBatch* batch = Batch(colour, slot);
  if (batch == nullptr || !batch->AddPoint(point)) undrawnPoints_.push_back(std::move(point));
  return raw;
}

void GlowTrailSystem::UpdateGlowTrails(float dt) {
  for (auto& row : batches) {
    for (auto& batch : row) {
      if (batch->Count() > 0) batch->Update(dt);
    }
  }
  undrawnPoints_.remove_if([](const std::unique_ptr<GlowPoint>& point) { return point->expired; });
}

void GlowTrailSystem::DrawPass(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum,
                               Pass pass) {
  if (device == nullptr) return;
  const int detail = settings != nullptr ? settings->GetInt(app::SettingId::GLOWDETAIL) : 0;
  const bool fog = fogEnabled && settings != nullptr && settings->GetInt(app::SettingId::FOGVERTEX) != 0;
  if (fog) {
    const float nearClip = settings->GetFloat(app::FloatSettingId::NEARCLIP);
    const float farClip = settings->GetFloat(app::FloatSettingId::FARCLIP);
    const float offset = pass == Pass::kCapture ? kCaptureFogOffset : kGlowFogOffset;
    device->SetRenderState(RenderState::FogEnable, true);
    device->SetRenderState(RenderState::FogVertexMode, platform::gfx::FogMode::Linear);
    device->SetRenderState(RenderState::FogTableMode, platform::gfx::FogMode::None);
    device->SetRenderState(RenderState::RangeFogEnable, false);
    device->SetRenderState(RenderState::FogStart, platform::gfx::FloatBits(std::max(nearClip, farClip - offset)));
    device->SetRenderState(RenderState::FogEnd, platform::gfx::FloatBits(farClip));
    device->SetRenderState(RenderState::FogColor, 0xFF000000u);
  }
  device->SetRenderState(RenderState::AlphaBlendEnable, true);
  device->SetRenderState(RenderState::Lighting, false);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::One);
  device->SetRenderState(RenderState::ZWriteEnable, false);

  const auto& images = pass == Pass::kNormal ? frontImages : pass == Pass::kReflection ? reflectionImages : blurImages;
  for (int colour = 0; colour < kGlowColourCount; ++colour) {
    const auto& row = batches[colour];
    for (size_t slot = 0; slot < row.size() && slot < images[colour].size(); ++slot) {
      ImageResource* image = images[colour][slot];
      if (image == nullptr || GlowSlotTable[slot % kGlowSlotCount].minimumDetail > detail ||
          row[slot]->Count() == 0) {
        continue;
      }
      device->SetTexture(0, GetImageTexture(image));
      if (pass == Pass::kReflection) {
        row[slot]->DrawMirrored(device, view, frustum);
      } else {
        row[slot]->Draw(device, view, frustum);
      }
    }
  }

  device->SetTextureStageState(0, TextureStageState::AlphaArg1, arg::kDiffuse);
  device->SetRenderState(RenderState::SrcBlend, Blend::One);
  device->SetRenderState(RenderState::DestBlend, Blend::Zero);
  device->SetRenderState(RenderState::AlphaBlendEnable, false);
  device->SetRenderState(RenderState::ZWriteEnable, true);
  if (fog) device->SetRenderState(RenderState::FogEnable, false);
}

void GlowTrailSystem::DrawGlowTrails(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  DrawPass(device, view, frustum, Pass::kNormal);
}

void GlowTrailSystem::DrawReflection(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  DrawPass(device, view, frustum, Pass::kReflection);
}

void GlowTrailSystem::DrawSecondPass(platform::gfx::Device* device, const Matrix4& view, const ViewFrustum* frustum) {
  DrawPass(device, view, frustum, Pass::kCapture);
}

void GlowTrailSystem::ReleaseGlowImages() {
  for (int colour = 0; colour < kGlowColourCount; ++colour) {
    for (auto* table : {&frontImages[colour], &reflectionImages[colour], &blurImages[colour]}) {
      for (ImageResource* image : *table) {
        if (image != nullptr && resources != nullptr) resources->ReleaseImage(image);
      }
      table->clear();
    }
    batches[colour].clear();
  }
}

void GlowTrailSystem::DestroyGlowTrails() {
  ReleaseGlowImages();
  undrawnPoints_.clear();
}

}  // namespace render
