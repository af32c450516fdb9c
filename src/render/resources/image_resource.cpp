// Material images: loading each picture slot (pictures, movies through the manager, cube maps), the alpha merge
// with its black stand-in, the animation channels and the render target.
#include "render/resources/image_resource.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"
#include "render/resources/cube_map.h"
#include "render/resources/movie_texture.h"
#include "render/resources/resource_manager.h"

namespace render {

using platform::HResult;
using platform::kFail;
using platform::kOk;

namespace {

std::string UpperCopy(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool FileExists(const std::string& name) {
  std::FILE* file = platform::OpenDataFile(name, "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

bool IsMovieFile(const std::string& name) { return FileExtension(name) == "AVI" && FileExists(name); }

}  // namespace

std::string FileExtension(const std::string& name) {
  if (name.size() <= 3) return "";
  return UpperCopy(name.substr(name.size() - 3));
}

ImageResource::ImageResource(ResourceManager* manager, bool compressedTextures)
    : owner(manager), compressed(compressedTextures) {
  material.diffuse = {1, 1, 1, 1};
  material.ambient = {0.15f, 0.15f, 0.15f, 1};
  material.specular = {0.4f, 0.4f, 0.4f, 0};
  material.emissive = {0, 0, 0, 0};
  material.power = 0.0001f;
  ResetAnimation();
}

ImageResource::~ImageResource() {
  if (owner != nullptr) {
    if (colourMovie != nullptr) owner->ReleaseMovie(colourMovie);
    if (layerMovie != nullptr) owner->ReleaseMovie(layerMovie);
    // The cube map reference is given back too, so an unused map can be purged.
    if (cubeMap != nullptr) owner->ReleaseCubeMap(cubeMap);
  }
  ReleaseRenderTarget();
}

HResult ImageResource::LoadFromFile(platform::gfx::Device* device, const std::string& name, bool keyed,
                                    uint32_t colourKey) {
  colourName = UpperCopy(name);
  loaded = hasAlpha = colourKeyed = false;
  if (IsMovieFile(name) && owner != nullptr) {
    if (colourMovie != nullptr) owner->ReleaseMovie(colourMovie);
    colourMovie = owner->LoadMovie(device, name, true);
    loaded = colourMovie->opened;
    if (colourMovie->opened) {
      hasTexture = true;
      return kOk;
    }
    owner->ReleaseMovie(colourMovie);
    colourMovie = nullptr;
    colourTexture = std::make_unique<Texture>(false);
    if (platform::Succeeded(colourTexture->CreateBlank(device, kMovieStandInSize, kMovieStandInSize))) {
      blankStandIn = loaded = hasTexture = true;
    }
    return kOk;
  }
  colourTexture = std::make_unique<Texture>(compressed);
  colourTexture->Load(device, name, keyed, colourKey);
  loaded = colourTexture->loaded;
  if (loaded) {
    hasTexture = true;
    hasAlpha = colourTexture->hasAlpha;
    colourKeyed = colourTexture->colourKeyed;
  }
  return kOk;
}

HResult ImageResource::LoadWithAlpha(platform::gfx::Device* device, const std::string& colour,
                                     const std::string& alpha) {
  colourName = UpperCopy(colour);
  alphaName = UpperCopy(alpha);
  loaded = hasAlpha = colourKeyed = false;
  if (IsMovieFile(colour)) return LoadFromFile(device, colour, false, kDefaultColourKey);
  colourTexture = std::make_unique<Texture>(compressed);
  colourTexture->Load(device, colour, false);
  if (colourTexture->loaded) loaded = hasTexture = true;
  alphaTexture = std::make_unique<Texture>(compressed);
  alphaTexture->Load(device, alpha, false);
  if (alphaTexture->loaded && !hasTexture) {
    // A missing colour picture: opaque black of the alpha picture's size, so the shape still shows.
    colourTexture = std::make_unique<Texture>(compressed);
    if (platform::Succeeded(colourTexture->CreateBlank(device, alphaTexture->width, alphaTexture->height))) {
      blankStandIn = loaded = hasTexture = true;
    }
  }
  if (alphaTexture->loaded && hasTexture) {
    alphaMerged = true;
    colourTexture->MergeAlpha(device, *alphaTexture, kRebuildMipLevels);
  }
  hasAlpha = colourTexture->hasAlpha;
  return kOk;
}

HResult ImageResource::LoadLayer(platform::gfx::Device* device, const std::string& name) {
  layerName = UpperCopy(name);
  if (IsMovieFile(name) && owner != nullptr) {
    if (layerMovie != nullptr) owner->ReleaseMovie(layerMovie);
    layerMovie = owner->LoadMovie(device, name, true);
    loaded = layerMovie->opened;
    if (layerMovie->opened) {
      hasLayer = true;
      return kOk;
    }
    owner->ReleaseMovie(layerMovie);
    layerMovie = nullptr;
    layerTexture = std::make_unique<Texture>(false);
    if (platform::Succeeded(layerTexture->CreateBlank(device, kMovieStandInSize, kMovieStandInSize))) {
      loaded = hasLayer = true;
    }
    return kOk;
  }
  layerTexture = std::make_unique<Texture>(compressed);
  layerTexture->Load(device, name, false);
  if (layerTexture->loaded) loaded = hasLayer = true;
  return kOk;
}

HResult ImageResource::LoadNormalMap(platform::gfx::Device* device, const std::string& name) {
  normalName = UpperCopy(name);
  normalTexture = std::make_unique<Texture>(compressed);
  normalTexture->Load(device, name, false);
  if (normalTexture->loaded) loaded = normalMapped = true;
  return kOk;
}

HResult ImageResource::LoadEnvironmentMap(platform::gfx::Device* device, const std::string& name) {
  environmentName = UpperCopy(name);
  if (FileExtension(name) == "DDS") return LoadCubeMap(device, name);
  environmentTexture = std::make_unique<Texture>(compressed);
  environmentTexture->Load(device, name, false);
  if (environmentTexture->loaded) loaded = hasEnvironment = true;
  return kOk;
}

HResult ImageResource::LoadCubeMap(platform::gfx::Device* device, const std::string& name) {
  cubeName = UpperCopy(name);
  if (FileExtension(name) != "DDS" || owner == nullptr) return kOk;
  if (cubeMap != nullptr) owner->ReleaseCubeMap(cubeMap);
  cubeMap = owner->LoadCubeMap(device, cubeName);
  if (cubeMap->ready) loaded = hasCubeMap = true;
  return kOk;
}

platform::gfx::Texture* ImageResource::GetImageTexture() const {
  if (colourMovie != nullptr) return colourMovie->GetTexture();
  return colourTexture ? colourTexture->GetD3DTexture() : nullptr;
}
platform::gfx::Texture* ImageResource::GetLayerTexture() const {
  if (layerMovie != nullptr) return layerMovie->GetTexture();
  return layerTexture ? layerTexture->GetD3DTexture() : nullptr;
}
platform::gfx::Texture* ImageResource::GetAlphaTexture() const {
  return alphaTexture ? alphaTexture->GetD3DTexture() : nullptr;
}
platform::gfx::Texture* ImageResource::GetNormalMapTexture() const {
  return normalTexture ? normalTexture->GetD3DTexture() : nullptr;
}
platform::gfx::Texture* ImageResource::GetEnvironmentTexture() const {
  return environmentTexture ? environmentTexture->GetD3DTexture() : nullptr;
}

uint32_t ImageResource::GetImageWidth() const {
  if (colourTexture) return colourTexture->width;
  if (alphaTexture) return alphaTexture->width;
  if (layerTexture) return layerTexture->width;
  if (colourMovie != nullptr) return colourMovie->frameWidth;
  if (layerMovie != nullptr) return layerMovie->frameWidth;
  return 0;
}

uint32_t ImageResource::GetImageHeight() const {
  if (colourTexture) return colourTexture->height;
  if (alphaTexture) return alphaTexture->height;
  if (layerTexture) return layerTexture->height;
  if (colourMovie != nullptr) return colourMovie->frameHeight;
  if (layerMovie != nullptr) return layerMovie->frameHeight;
  return 0;
}

void ImageResource::SetImageAnimation(int channel, uint32_t columnCount, uint32_t rowCount, float frameSeconds) {
  if (channel < 0 || channel >= kAnimationChannels) return;
  // A grid without frames has nothing to step through: stepping it would only slide the picture by whole
  // textures, which shows the edge texels under clamped addressing.
  if (columnCount == 0 || rowCount == 0) return;
  // A sheet needs at least one frame each way; 1 / 0 would poison the offsets.
  columns[channel] = std::max(1u, columnCount);
  rows[channel] = std::max(1u, rowCount);
  frameDuration[channel] = frameSeconds;
  columnStep[channel] = 1.0f / static_cast<float>(columns[channel]);
  rowStep[channel] = 1.0f / static_cast<float>(rows[channel]);
  flipRunning[channel] = true;
}

void ImageResource::SetImageScroll(int channel, float speedU, float speedV) {
  if (channel < 0 || channel >= kAnimationChannels) return;
  scrollSpeedU[channel] = speedU;
  scrollSpeedV[channel] = speedV;
  scrolling[channel] = true;
}

bool ImageResource::IsImageAnimating(int channel) const {
  if (channel < 0 || channel >= kAnimationChannels) return false;
  return flipRunning[channel] || scrolling[channel];
}

void ImageResource::UpdateAnimation(float dt) {
  for (int channel = 0; channel < kAnimationChannels; ++channel) {
    if (flipRunning[channel]) {
      frameTimer[channel] += dt;
      if (frameTimer[channel] > frameDuration[channel]) {
        offsetU[channel] += columnStep[channel];
        column[channel] += 1;
        if (column[channel] >= columns[channel]) {
          column[channel] = 0;
          offsetV[channel] += rowStep[channel];
          offsetU[channel] -= 1.0f;
        }
        frameTimer[channel] = 0;
      }
    }
    if (scrolling[channel]) {
      offsetU[channel] += dt * scrollSpeedU[channel];
      offsetV[channel] += dt * scrollSpeedV[channel];
    }
  }
}

void ImageResource::ResetAnimation() {
  for (int channel = 0; channel < kAnimationChannels; ++channel) {
    flipRunning[channel] = scrolling[channel] = false;
    scrollSpeedU[channel] = scrollSpeedV[channel] = 0;
    offsetU[channel] = offsetV[channel] = 0;
    frameTimer[channel] = frameDuration[channel] = 0;
    rowStep[channel] = columnStep[channel] = 0;
    columns[channel] = rows[channel] = 1;
    column[channel] = 0;
  }
}

void ImageResource::CreateRenderTarget(platform::gfx::Device* device, uint32_t width, uint32_t height) {
  isRenderTarget = true;
  targetWidth = width;
  targetHeight = height == 0 ? width : height;
  RestoreRenderTarget(device);
}

void ImageResource::RestoreRenderTarget(platform::gfx::Device* device) {
  if (targetReady || !isRenderTarget || device == nullptr) return;
  platform::gfx::SurfaceDesc backBuffer;
  if (platform::Failed(device->GetBackBufferDesc(backBuffer))) return;
  platform::gfx::Format depthFormat = platform::gfx::Format::D24S8;
  platform::gfx::Surface* depth = nullptr;
  if (platform::Succeeded(device->GetDepthStencilSurface(&depth)) && depth != nullptr) {
    platform::gfx::SurfaceDesc depthDesc;
    if (platform::Succeeded(depth->GetDesc(depthDesc))) depthFormat = depthDesc.format;
    depth->Release();
  }
  if (platform::Failed(device->CreateTexture(targetWidth, targetHeight, 1, platform::gfx::usage::kRenderTarget,
                                             backBuffer.format, platform::gfx::Pool::Default, &targetTexture))) {
    targetTexture = nullptr;
    return;
  }
  platform::gfx::SurfaceDesc level;
  auto renderer = std::make_unique<RenderToSurface>();
  renderer->device = device;
  if (platform::Failed(targetTexture->GetLevelDesc(0, level)) ||
      platform::Failed(device->CreateDepthStencilSurface(level.width, level.height, depthFormat, 0,
                                                         &renderer->depthStencil))) {
    targetTexture->Release();
    targetTexture = nullptr;
    return;
  }
  renderToSurface_ = std::move(renderer);
  // Opaque white until the first drawing; a target the processor cannot reach keeps what the device gives.
  platform::gfx::LockedRect locked;
  if (platform::Succeeded(targetTexture->LockRect(0, locked, nullptr, 0)) && locked.bits != nullptr) {
    const uint32_t texelBytes = static_cast<uint32_t>(platform::gfx::BytesPerPixel(level.format));
    for (uint32_t y = 0; y < level.height; ++y) {
      std::memset(static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch, 0xFF, size_t{texelBytes} * level.width);
    }
    targetTexture->UnlockRect(0);
  }
  targetReady = true;
}

void ImageResource::ReleaseRenderTarget() {
  if (renderToSurface_) {
    if (renderToSurface_->drawing) EndRenderToTexture();
    if (renderToSurface_->depthStencil != nullptr) renderToSurface_->depthStencil->Release();
    renderToSurface_.reset();
  }
  if (targetTexture != nullptr) {
    targetTexture->Release();
    targetTexture = nullptr;
  }
}

void ImageResource::InvalidateRenderTarget() {
  if (!targetReady) return;
  ReleaseRenderTarget();
  targetReady = false;
}

HResult ImageResource::BeginRenderToTexture() {
  if (!targetReady || !renderToSurface_ || renderToSurface_->drawing) return kFail;
  RenderToSurface& renderer = *renderToSurface_;
  platform::gfx::Surface* surface = nullptr;
  if (platform::Failed(targetTexture->GetSurfaceLevel(0, &surface))) return kFail;
  if (platform::Failed(renderer.device->GetRenderTarget(&renderer.savedTarget))) {
    surface->Release();
    return kFail;
  }
  if (platform::Failed(renderer.device->GetDepthStencilSurface(&renderer.savedDepth))) renderer.savedDepth = nullptr;
  renderer.device->GetViewport(renderer.savedViewport);
  const HResult result = renderer.device->SetRenderTarget(surface, renderer.depthStencil);
  surface->Release();
  if (platform::Failed(result)) {
    if (renderer.savedTarget != nullptr) renderer.savedTarget->Release();
    if (renderer.savedDepth != nullptr) renderer.savedDepth->Release();
    renderer.savedTarget = renderer.savedDepth = nullptr;
    return result;
  }
  platform::gfx::Viewport viewport;
  viewport.width = targetWidth;
  viewport.height = targetHeight;
  renderer.device->SetViewport(viewport);
  renderer.drawing = true;
  const HResult began = renderer.device->BeginScene();
  // The caller will not end what did not begin: put the old target back now.
  if (platform::Failed(began)) RestoreSavedTarget();
  return began;
}

HResult ImageResource::EndRenderToTexture() {
  if (!renderToSurface_ || !renderToSurface_->drawing) return kFail;
  renderToSurface_->device->EndScene();
  return RestoreSavedTarget();
}

HResult ImageResource::RestoreSavedTarget() {
  RenderToSurface& renderer = *renderToSurface_;
  const HResult result = renderer.device->SetRenderTarget(renderer.savedTarget, renderer.savedDepth);
  renderer.device->SetViewport(renderer.savedViewport);
  if (renderer.savedTarget != nullptr) renderer.savedTarget->Release();
  if (renderer.savedDepth != nullptr) renderer.savedDepth->Release();
  renderer.savedTarget = renderer.savedDepth = nullptr;
  renderer.drawing = false;
  return result;
}

void ImageResource::SetReflectionPlane(const platform::Vec3& point, const platform::Vec3& normal) {
  reflectionNormal = normal;
  reflectionPlane = {normal.x, normal.y, normal.z, -(point.x * normal.x + point.y * normal.y + point.z * normal.z)};
}

}  // namespace render
