// Buffers, textures and surfaces kept in system memory, with bounds-checked locks.
#include "platform/gfx/memory_resources.h"

#include <algorithm>

namespace platform::gfx {

TallyEntry::TallyEntry(std::shared_ptr<ResourceTally> tally, Pool pool, uint64_t textureBytes)
    : tally_(std::move(tally)), defaultPool_(pool == Pool::Default), textureBytes_(textureBytes) {
  if (!tally_) return;
  if (defaultPool_) ++tally_->defaultPoolResources;
  tally_->textureBytes += textureBytes_;
}

TallyEntry::~TallyEntry() {
  if (!tally_) return;
  if (defaultPool_) --tally_->defaultPoolResources;
  tally_->textureBytes -= textureBytes_;
}

namespace {

// Resolves a buffer lock range; false when it does not lie inside the buffer.
bool LockRange(uint32_t length, uint32_t offset, uint32_t size, uint32_t& outSize) {
  if (offset > length) return false;
  outSize = size == 0 ? length - offset : size;
  return static_cast<uint64_t>(offset) + outSize <= length;
}

}  // namespace

HResult LockableBytes::Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) {
  if (data == nullptr) return kInvalidCall;
  *data = nullptr;
  uint32_t length = 0;
  if (locked_ || !LockRange(static_cast<uint32_t>(bytes_.size()), offset, size, length)) return kInvalidCall;
  locked_ = true;
  lockOffset_ = offset;
  lockSize_ = length;
  lastLockFlags_ = flags;
  ++lockCount_;
  *data = bytes_.data() + offset;
  return kOk;
}

bool LockableBytes::Unlock(uint32_t& offset, uint32_t& size, uint32_t& flags) {
  if (!locked_) return false;
  locked_ = false;
  offset = lockOffset_;
  size = lockSize_;
  flags = lastLockFlags_;
  return true;
}

MemoryVertexBuffer::MemoryVertexBuffer(const VertexBufferDesc& desc, std::shared_ptr<ResourceTally> tally)
    : desc_(desc), bytes_(desc.size), entry_(std::move(tally), desc.pool, 0) {}

HResult MemoryVertexBuffer::Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) {
  return bytes_.Lock(offset, size, data, flags);
}

HResult MemoryVertexBuffer::Unlock() {
  uint32_t offset = 0, size = 0, flags = 0;
  if (!bytes_.Unlock(offset, size, flags)) return kInvalidCall;
  OnUnlock(offset, size, flags);
  return kOk;
}

HResult MemoryVertexBuffer::GetDesc(VertexBufferDesc& desc) const {
  desc = desc_;
  return kOk;
}

MemoryIndexBuffer::MemoryIndexBuffer(const IndexBufferDesc& desc, std::shared_ptr<ResourceTally> tally)
    : desc_(desc), bytes_(desc.size), entry_(std::move(tally), desc.pool, 0) {}

HResult MemoryIndexBuffer::Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) {
  return bytes_.Lock(offset, size, data, flags);
}

HResult MemoryIndexBuffer::Unlock() {
  uint32_t offset = 0, size = 0, flags = 0;
  if (!bytes_.Unlock(offset, size, flags)) return kInvalidCall;
  // Index buffer updates never pass lock flags on.
  OnUnlock(offset, size, 0);
  return kOk;
}

HResult MemoryIndexBuffer::GetDesc(IndexBufferDesc& desc) const {
  desc = desc_;
  return kOk;
}

uint32_t FullMipCount(uint32_t width, uint32_t height) {
  uint32_t levels = 1;
  uint32_t edge = std::max(width, height);
  while (edge > 1) {
    edge >>= 1;
    ++levels;
  }
  return levels;
}

ImageStore::ImageStore(Format format, uint32_t width, uint32_t height, uint32_t levels, uint32_t faces, bool keepPixels)
    : format_(format), levels_(levels), faces_(faces), keepPixels_(keepPixels) {
  images_.resize(static_cast<size_t>(levels) * faces);
  for (uint32_t face = 0; face < faces; ++face) {
    uint32_t w = width, h = height;
    for (uint32_t level = 0; level < levels; ++level) {
      ImageLevel& image = images_[face * levels + level];
      image.width = w;
      image.height = h;
      const uint32_t bytes = ImageBytes(format, w, h);
      totalBytes_ += bytes;
      if (keepPixels_) image.bytes.assign(bytes, 0);
      w = std::max(1u, w / 2);
      h = std::max(1u, h / 2);
    }
  }
}

const ImageLevel* ImageStore::Level(uint32_t face, uint32_t level) const {
  if (face >= faces_ || level >= levels_) return nullptr;
  return &images_[face * levels_ + level];
}

ImageLevel* ImageStore::Level(uint32_t face, uint32_t level) {
  if (face >= faces_ || level >= levels_) return nullptr;
  return &images_[face * levels_ + level];
}

HResult ImageStore::Lock(uint32_t face, uint32_t level, LockedRect& locked, const Rect* rect) {
  locked = {};
  ImageLevel* image = Level(face, level);
  if (image == nullptr || image->locked || !keepPixels_ || image->bytes.empty()) return kInvalidCall;
  Rect area{0, 0, static_cast<int32_t>(image->width), static_cast<int32_t>(image->height)};
  if (rect != nullptr) {
    if (rect->left < 0 || rect->top < 0 || rect->right > area.right || rect->bottom > area.bottom ||
        rect->left >= rect->right || rect->top >= rect->bottom)
      return kInvalidCall;
    area = *rect;
  }
  const uint32_t pitch = RowPitch(format_, image->width);
  size_t offset = 0;
  if (IsCompressed(format_)) {
    // Compressed images lock whole 4x4 blocks.
    if (area.left % 4 != 0 || area.top % 4 != 0) return kInvalidCall;
    offset = static_cast<size_t>(area.top / 4) * pitch + static_cast<size_t>(area.left / 4) * (format_ == Format::Dxt1 ? 8 : 16);
  } else {
    offset = static_cast<size_t>(area.top) * pitch + static_cast<size_t>(area.left) * BytesPerPixel(format_);
  }
  image->locked = true;
  locked.pitch = static_cast<int32_t>(pitch);
  locked.bits = image->bytes.data() + offset;
  return kOk;
}

HResult ImageStore::Unlock(uint32_t face, uint32_t level) {
  ImageLevel* image = Level(face, level);
  if (image == nullptr || !image->locked) return kInvalidCall;
  image->locked = false;
  return kOk;
}

void ImageStore::ReleasePixels() {
  for (ImageLevel& image : images_) {
    if (!image.locked) std::vector<uint8_t>().swap(image.bytes);
  }
}

bool ImageStore::HasPixels(uint32_t face, uint32_t level) const {
  const ImageLevel* image = Level(face, level);
  return image != nullptr && !image->bytes.empty();
}

std::vector<uint8_t>* ImageStore::RestorePixels(uint32_t face, uint32_t level) {
  ImageLevel* image = Level(face, level);
  if (image == nullptr || !keepPixels_) return nullptr;
  if (image->bytes.empty()) image->bytes.assign(ImageBytes(format_, image->width, image->height), 0);
  return &image->bytes;
}

namespace {

SurfaceDesc LevelDesc(const ImageStore& store, uint32_t face, uint32_t level, ResourceType type, uint32_t usage) {
  SurfaceDesc desc;
  const ImageLevel* image = store.Level(face, level);
  desc.format = store.format();
  desc.type = type;
  desc.usage = usage;
  desc.width = image->width;
  desc.height = image->height;
  return desc;
}

}  // namespace

MemoryTexture::MemoryTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                             Pool pool, std::shared_ptr<ResourceTally> tally)
    : store_(format, width, height, levels, 1, (usage & (usage::kRenderTarget | usage::kDepthStencil)) == 0),
      usage_(usage),
      pool_(pool),
      entry_(std::move(tally), pool, store_.TotalBytes()) {}

HResult MemoryTexture::GetLevelDesc(uint32_t level, SurfaceDesc& desc) const {
  if (level >= store_.LevelCount()) return kInvalidCall;
  desc = LevelDesc(store_, 0, level, ResourceType::Surface, usage_);
  return kOk;
}

HResult MemoryTexture::LockRect(uint32_t level, LockedRect& locked, const Rect* rect, uint32_t /*flags*/) {
  if (level < store_.LevelCount() && !store_.Level(0, level)->locked) OnLock(level);
  return store_.Lock(0, level, locked, rect);
}

HResult MemoryTexture::UnlockRect(uint32_t level) {
  const HResult result = store_.Unlock(0, level);
  if (Succeeded(result)) OnUnlock(level);
  return result;
}

HResult MemoryTexture::GetSurfaceLevel(uint32_t level, Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  *surface = nullptr;
  if (level >= store_.LevelCount()) return kInvalidCall;
  *surface = new MemorySurface(LevelDesc(store_, 0, level, ResourceType::Surface, usage_), this, 0, level);
  return kOk;
}

MemoryCubeTexture::MemoryCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format, Pool pool,
                                     std::shared_ptr<ResourceTally> tally)
    : store_(format, edge, edge, levels, 6, (usage & (usage::kRenderTarget | usage::kDepthStencil)) == 0),
      usage_(usage),
      pool_(pool),
      entry_(std::move(tally), pool, store_.TotalBytes()) {}

HResult MemoryCubeTexture::GetLevelDesc(uint32_t level, SurfaceDesc& desc) const {
  if (level >= store_.LevelCount()) return kInvalidCall;
  desc = LevelDesc(store_, 0, level, ResourceType::Surface, usage_);
  return kOk;
}

HResult MemoryCubeTexture::LockRect(CubeFace face, uint32_t level, LockedRect& locked, const Rect* rect,
                                    uint32_t /*flags*/) {
  const ImageLevel* image = store_.Level(static_cast<uint32_t>(face), level);
  if (image != nullptr && !image->locked) OnLock(face, level);
  return store_.Lock(static_cast<uint32_t>(face), level, locked, rect);
}

HResult MemoryCubeTexture::UnlockRect(CubeFace face, uint32_t level) {
  const HResult result = store_.Unlock(static_cast<uint32_t>(face), level);
  if (Succeeded(result)) OnUnlock(face, level);
  return result;
}

HResult MemoryCubeTexture::GetCubeMapSurface(CubeFace face, uint32_t level, Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  *surface = nullptr;
  const uint32_t faceIndex = static_cast<uint32_t>(face);
  if (level >= store_.LevelCount() || faceIndex >= 6) return kInvalidCall;
  *surface = new MemorySurface(LevelDesc(store_, faceIndex, level, ResourceType::Surface, usage_), this, faceIndex, level);
  return kOk;
}

MemorySurface::MemorySurface(const SurfaceDesc& desc, BaseTexture* owner, uint32_t face, uint32_t level)
    : desc_(desc), owner_(owner), face_(face), level_(level) {
  if (owner_ != nullptr) owner_->AddRef();
}

MemorySurface::~MemorySurface() {
  if (owner_ != nullptr) owner_->Release();
}

HResult MemorySurface::GetDesc(SurfaceDesc& desc) const {
  desc = desc_;
  return kOk;
}

}  // namespace platform::gfx
