// Cube maps: DDS cube loading, face building with a bilinear scale on the processor, render-target drawing
// through the device's render-target switch, and the rebuild after a device reset.
#include "render/resources/cube_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/image/dds_reader.h"
#include "platform/image/texel_formats.h"
#include "render/resources/texture.h"

namespace render {

using platform::HResult;
using platform::kFail;
using platform::kOk;
using platform::gfx::CubeFace;
using platform::gfx::Format;

namespace {

std::string UpperCopy(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

uint32_t Bilinear(const std::vector<uint32_t>& texels, uint32_t width, uint32_t height, float u, float v) {
  const float x = std::clamp(u * width - 0.5f, 0.0f, float(width - 1));
  const float y = std::clamp(v * height - 0.5f, 0.0f, float(height - 1));
  const uint32_t x0 = static_cast<uint32_t>(x), y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
  const float fx = x - x0, fy = y - y0;
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    auto c = [&](uint32_t px, uint32_t py) { return float((texels[size_t{py} * width + px] >> shift) & 0xFF); };
    const float top = c(x0, y0) * (1 - fx) + c(x1, y0) * fx;
    const float bottom = c(x0, y1) * (1 - fx) + c(x1, y1) * fx;
    out |= static_cast<uint32_t>(std::lround(top * (1 - fy) + bottom * fy)) << shift;
  }
  return out;
}

}  // namespace

CubeMap::CubeMap() = default;

CubeMap::~CubeMap() { ReleaseDeviceObjects(); }

void CubeMap::ReleaseDeviceObjects() {
  if (envRenderer_ != nullptr) {
    if (envRenderer_->drawing) EndCubeRender();
    if (envRenderer_->depthStencil != nullptr) envRenderer_->depthStencil->Release();
    delete envRenderer_;
    envRenderer_ = nullptr;
  }
  if (cubeTexture != nullptr) {
    cubeTexture->Release();
    cubeTexture = nullptr;
  }
}

HResult CubeMap::Create(platform::gfx::Device* device, uint32_t edge, uint32_t createMode) {
  ready = false;
  ReleaseDeviceObjects();
  mode = createMode == kCubeFromFile ? kCubeEmpty : createMode;
  size = edge;
  if (device == nullptr || edge == 0) return kFail;
  platform::gfx::SurfaceDesc backBuffer;
  if (platform::Failed(device->GetBackBufferDesc(backBuffer))) return kFail;
  Format depthFormat = Format::D24S8;
  platform::gfx::Surface* depth = nullptr;
  if (platform::Succeeded(device->GetDepthStencilSurface(&depth)) && depth != nullptr) {
    platform::gfx::SurfaceDesc depthDesc;
    if (platform::Succeeded(depth->GetDesc(depthDesc))) depthFormat = depthDesc.format;
    depth->Release();
  }
  bool failed = false;
  if (mode == kCubeRenderTarget) {
    envRenderer_ = new CubeRenderer;
    envRenderer_->device = device;
    failed = platform::Failed(device->CreateDepthStencilSurface(edge, edge, depthFormat, 0, &envRenderer_->depthStencil));
  }
  const uint32_t usage = mode == kCubeRenderTarget ? platform::gfx::usage::kRenderTarget : 0u;
  if (!failed && platform::Failed(device->CreateCubeTexture(edge, 1, usage, backBuffer.format,
                                                            platform::gfx::Pool::Default, &cubeTexture))) {
    cubeTexture = nullptr;
    failed = true;
  }
  if (failed) {
    ReleaseDeviceObjects();
    return kFail;
  }
  ready = true;
  return kOk;
}

HResult CubeMap::LoadFromFile(platform::gfx::Device* device, const std::string& fileName) {
  ready = false;
  ReleaseDeviceObjects();
  name = UpperCopy(fileName);
  mode = kCubeFromFile;
  if (device == nullptr) return kFail;
  std::vector<unsigned char> bytes;
  if (!platform::ReadWholeFile(platform::ResolveDataPath(name), bytes, platform::kMaxImageFileBytes)) return kFail;
  platform::image::DdsImage image;
  std::string error;
  if (!platform::image::ReadDds(bytes.data(), bytes.size(), image, error)) {
    std::printf("cube map: %s: %s\n", name.c_str(), error.c_str());
    return kFail;
  }
  if (!image.isCube) {
    std::printf("cube map: %s: not a cube map\n", name.c_str());
    return kFail;
  }
  if (platform::Failed(device->CreateCubeTexture(image.width, 1, 0, image.format, platform::gfx::Pool::Default,
                                                 &cubeTexture))) {
    cubeTexture = nullptr;
    return kFail;
  }
  const bool compressed = platform::image::IsCompressedFormat(image.format);
  const size_t rowBytes = compressed ? platform::image::DdsLevelBytes(image.format, image.width, 4)
                                     : size_t{platform::image::TexelBytes(image.format)} * image.width;
  const uint32_t rows = compressed ? std::max(1u, (image.width + 3) / 4) : image.width;
  for (uint32_t face = 0; face < 6; ++face) {
    platform::gfx::LockedRect locked;
    if (platform::Failed(cubeTexture->LockRect(static_cast<CubeFace>(face), 0, locked, nullptr, 0))) {
      ReleaseDeviceObjects();
      return kFail;
    }
    const std::vector<uint8_t>& level = image.Level(face, 0).bytes;
    for (uint32_t row = 0; row < rows && (row + 1) * rowBytes <= level.size(); ++row) {
      std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(row) * locked.pitch, &level[row * rowBytes], rowBytes);
    }
    cubeTexture->UnlockRect(static_cast<CubeFace>(face), 0);
  }
  size = image.width;
  ready = true;
  return kOk;
}

HResult CubeMap::LoadFaces(platform::gfx::Device* device, const std::array<std::string, 6>& names) {
  faceNames = names;
  std::array<std::unique_ptr<Texture>, 6> faces;
  std::array<platform::gfx::Texture*, 6> textures{};
  bool allLoaded = true;
  for (uint32_t face = 0; face < 6; ++face) {
    faces[face] = std::make_unique<Texture>(false);
    faces[face]->Load(device, names[face], false);
    textures[face] = faces[face]->GetD3DTexture();
    if (!faces[face]->loaded) allLoaded = false;
  }
  // Every face must be there: a cube map with a hole would sample garbage.
  HResult result = kFail;
  if (allLoaded) {
    result = BuildFromTextures(device, textures);
  } else {
    ready = false;
    ReleaseDeviceObjects();
  }
  mode = kCubeFromFaces;
  return result;
}

HResult CubeMap::BuildFromTextures(platform::gfx::Device* device,
                                   const std::array<platform::gfx::Texture*, 6>& textures) {
  for (platform::gfx::Texture* texture : textures) {
    if (texture == nullptr) return kFail;
  }
  platform::gfx::SurfaceDesc first;
  if (platform::Failed(textures[0]->GetLevelDesc(0, first))) return kFail;
  if (platform::Failed(Create(device, first.width, kCubeEmpty))) return kFail;
  for (uint32_t face = 0; face < 6; ++face) CopyFace(device, face, textures[face]);
  return kOk;
}

void CubeMap::CopyFace(platform::gfx::Device*, uint32_t face, platform::gfx::Texture* texture) {
  if (cubeTexture == nullptr || texture == nullptr || face > 5) return;
  std::vector<uint32_t> texels;
  uint32_t width = 0, height = 0;
  if (!ReadLevelTexels(texture, 0, texels, width, height) || width != height || width == 0) return;
  platform::gfx::SurfaceDesc faceDesc;
  if (platform::Failed(cubeTexture->GetLevelDesc(0, faceDesc))) return;
  const uint32_t texelBytes = platform::image::TexelBytes(faceDesc.format);
  if (texelBytes == 0) return;
  platform::gfx::LockedRect locked;
  if (platform::Failed(cubeTexture->LockRect(static_cast<CubeFace>(face), 0, locked, nullptr, 0))) return;
  for (uint32_t y = 0; y < faceDesc.height; ++y) {
    uint8_t* row = static_cast<uint8_t*>(locked.bits) + size_t(y) * locked.pitch;
    for (uint32_t x = 0; x < faceDesc.width; ++x) {
      const uint32_t argb = width == faceDesc.width
                                ? texels[size_t{y} * width + x]
                                : Bilinear(texels, width, height, (x + 0.5f) / faceDesc.width, (y + 0.5f) / faceDesc.height);
      platform::image::PackTexel(faceDesc.format, argb, row + x * texelBytes);
    }
  }
  cubeTexture->UnlockRect(static_cast<CubeFace>(face), 0);
}

void CubeMap::Invalidate() {
  if (!ready) return;
  ReleaseDeviceObjects();
  ready = false;
}

void CubeMap::Restore(platform::gfx::Device* device) {
  if (ready) return;
  switch (mode) {
    case kCubeFromFile:
      LoadFromFile(device, name);
      break;
    case kCubeFromFaces:
      LoadFaces(device, faceNames);
      break;
    default:
      Create(device, size, mode);
      break;
  }
}

HResult CubeMap::BeginCubeRender() {
  if (mode != kCubeRenderTarget || envRenderer_ == nullptr || cubeTexture == nullptr) return kFail;
  if (envRenderer_->drawing) return kFail;
  platform::gfx::Device* device = envRenderer_->device;
  if (platform::Failed(device->GetRenderTarget(&envRenderer_->savedTarget))) return kFail;
  if (platform::Failed(device->GetDepthStencilSurface(&envRenderer_->savedDepth))) envRenderer_->savedDepth = nullptr;
  device->GetViewport(envRenderer_->savedViewport);
  envRenderer_->drawing = true;
  // Like drawing into an image's target, the faces are drawn in a scene of their own.
  const HResult began = device->BeginScene();
  if (platform::Failed(began)) RestoreSavedTarget();
  return began;
}

HResult CubeMap::SetCubeRenderFace(uint32_t face) {
  if (mode != kCubeRenderTarget || envRenderer_ == nullptr || !envRenderer_->drawing || face > 5) return kFail;
  platform::gfx::Surface* surface = nullptr;
  if (platform::Failed(cubeTexture->GetCubeMapSurface(static_cast<CubeFace>(face), 0, &surface))) return kFail;
  platform::gfx::Device* device = envRenderer_->device;
  const HResult result = device->SetRenderTarget(surface, envRenderer_->depthStencil);
  surface->Release();
  if (platform::Succeeded(result)) {
    platform::gfx::Viewport viewport;
    viewport.width = size;
    viewport.height = size;
    device->SetViewport(viewport);
  }
  return result;
}

HResult CubeMap::EndCubeRender() {
  if (envRenderer_ == nullptr || !envRenderer_->drawing) return kOk;
  envRenderer_->device->EndScene();
  return RestoreSavedTarget();
}

HResult CubeMap::RestoreSavedTarget() {
  platform::gfx::Device* device = envRenderer_->device;
  const HResult result = device->SetRenderTarget(envRenderer_->savedTarget, envRenderer_->savedDepth);
  device->SetViewport(envRenderer_->savedViewport);
  if (envRenderer_->savedTarget != nullptr) envRenderer_->savedTarget->Release();
  if (envRenderer_->savedDepth != nullptr) envRenderer_->savedDepth->Release();
  envRenderer_->savedTarget = envRenderer_->savedDepth = nullptr;
  envRenderer_->drawing = false;
  return result;
}

}  // namespace render
