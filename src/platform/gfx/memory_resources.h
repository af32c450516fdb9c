// Buffers, textures and surfaces kept in system memory: the whole resource of the null device and the shadow copy
// the OpenGL device uploads from. Backends hook Unlock to learn which bytes changed.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/graphics.h"

namespace platform::gfx {

// Counts live resources and their bytes for one device, so Reset can refuse while default-pool resources live and
// the available texture memory can be estimated. Shared by the device and its resources.
struct ResourceTally {
  int defaultPoolResources = 0;
  uint64_t textureBytes = 0;
};

// A resource's entry in the tally: registers in the constructor, unregisters in the destructor.
class TallyEntry {
 public:
  TallyEntry(std::shared_ptr<ResourceTally> tally, Pool pool, uint64_t textureBytes);
  ~TallyEntry();
  TallyEntry(const TallyEntry&) = delete;
  TallyEntry& operator=(const TallyEntry&) = delete;

 private:
  std::shared_ptr<ResourceTally> tally_;
  bool defaultPool_;
  uint64_t textureBytes_;
};

// Longest buffer and largest texture edge accepted, so a corrupt size cannot exhaust memory.
constexpr uint32_t kMaxBufferBytes = 256u << 20;
constexpr uint32_t kMaxTextureEdge = 8192;

// The bytes of a vertex or index buffer and its lock: one lock at a time, over a range inside the buffer.
class LockableBytes {
 public:
  explicit LockableBytes(uint32_t size) : bytes_(size) {}
  // size 0 locks from offset to the end; kInvalidCall (and *data null) while locked or for a range outside.
  HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags);
  // False when not locked; otherwise ends the lock and gives its range and flags.
  bool Unlock(uint32_t& offset, uint32_t& size, uint32_t& flags);

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  bool IsLocked() const { return locked_; }
  uint32_t LockCount() const { return lockCount_; }
  uint32_t LastLockFlags() const { return lastLockFlags_; }

 private:
  std::vector<uint8_t> bytes_;
  bool locked_ = false;
  uint32_t lockOffset_ = 0, lockSize_ = 0, lastLockFlags_ = 0, lockCount_ = 0;
};

class MemoryVertexBuffer : public VertexBuffer {
 public:
  MemoryVertexBuffer(const VertexBufferDesc& desc, std::shared_ptr<ResourceTally> tally);
  HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) override;
  HResult Unlock() override;
  HResult GetDesc(VertexBufferDesc& desc) const override;

  const std::vector<uint8_t>& Bytes() const { return bytes_.Bytes(); }
  bool IsLocked() const { return bytes_.IsLocked(); }
  uint32_t LockCount() const { return bytes_.LockCount(); }
  uint32_t LastLockFlags() const { return bytes_.LastLockFlags(); }

 protected:
  // Called when a lock of [offset, offset + size) ends.
  virtual void OnUnlock(uint32_t /*offset*/, uint32_t /*size*/, uint32_t /*flags*/) {}

 private:
  VertexBufferDesc desc_;
  LockableBytes bytes_;
  TallyEntry entry_;
};

class MemoryIndexBuffer : public IndexBuffer {
 public:
  MemoryIndexBuffer(const IndexBufferDesc& desc, std::shared_ptr<ResourceTally> tally);
  HResult Lock(uint32_t offset, uint32_t size, uint8_t** data, uint32_t flags) override;
  HResult Unlock() override;
  HResult GetDesc(IndexBufferDesc& desc) const override;

  const std::vector<uint8_t>& Bytes() const { return bytes_.Bytes(); }
  bool IsLocked() const { return bytes_.IsLocked(); }
  uint32_t IndexSize() const { return desc_.format == Format::Index32 ? 4 : 2; }

 protected:
  virtual void OnUnlock(uint32_t /*offset*/, uint32_t /*size*/, uint32_t /*flags*/) {}

 private:
  IndexBufferDesc desc_;
  LockableBytes bytes_;
  TallyEntry entry_;
};

// One mip level of an image: its size and its pixels, rows top to bottom.
struct ImageLevel {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> bytes;
  bool locked = false;
};

// Levels a full mip chain of this size has.
uint32_t FullMipCount(uint32_t width, uint32_t height);

// The pixels of a set of faces x levels, with lock bookkeeping; shared by 2D and cube textures.
class ImageStore {
 public:
  ImageStore(Format format, uint32_t width, uint32_t height, uint32_t levels, uint32_t faces, bool keepPixels);
  Format format() const { return format_; }
  uint32_t LevelCount() const { return levels_; }
  uint32_t FaceCount() const { return faces_; }
  const ImageLevel* Level(uint32_t face, uint32_t level) const;
  ImageLevel* Level(uint32_t face, uint32_t level);
  HResult Lock(uint32_t face, uint32_t level, LockedRect& locked, const Rect* rect);
  HResult Unlock(uint32_t face, uint32_t level);
  uint64_t TotalBytes() const { return totalBytes_; }
  // Frees the memory copy of every level not locked, once a device holds the pixels elsewhere; a level without
  // its copy cannot be locked until RestorePixels gives it one back.
  void ReleasePixels();
  bool HasPixels(uint32_t face, uint32_t level) const;
  // A zeroed memory copy for a released level, for the caller to fill; nullptr for a store without pixels.
  std::vector<uint8_t>* RestorePixels(uint32_t face, uint32_t level);

 private:
  Format format_;
  uint32_t levels_, faces_;
  bool keepPixels_;
  uint64_t totalBytes_ = 0;
  std::vector<ImageLevel> images_;  // face-major
};

class MemoryTexture : public Texture {
 public:
  // levels must already be resolved (1..FullMipCount); render targets keep no pixels in memory.
  MemoryTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool,
                std::shared_ptr<ResourceTally> tally);
  uint32_t GetLevelCount() const override { return store_.LevelCount(); }
  HResult GetLevelDesc(uint32_t level, SurfaceDesc& desc) const override;
  HResult LockRect(uint32_t level, LockedRect& locked, const Rect* rect, uint32_t flags) override;
  HResult UnlockRect(uint32_t level) override;
  HResult GetSurfaceLevel(uint32_t level, Surface** surface) override;

  const ImageStore& Store() const { return store_; }
  uint32_t Usage() const { return usage_; }
  Pool GetPool() const { return pool_; }

 protected:
  // Called before a lock of the level, so a device can bring back a released memory copy.
  virtual void OnLock(uint32_t /*level*/) {}
  virtual void OnUnlock(uint32_t /*level*/) {}
  ImageStore& MutableStore() { return store_; }

 private:
  ImageStore store_;
  uint32_t usage_;
  Pool pool_;
  TallyEntry entry_;
};

class MemoryCubeTexture : public CubeTexture {
 public:
  MemoryCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format, Pool pool,
                    std::shared_ptr<ResourceTally> tally);
  uint32_t GetLevelCount() const override { return store_.LevelCount(); }
  HResult GetLevelDesc(uint32_t level, SurfaceDesc& desc) const override;
  HResult LockRect(CubeFace face, uint32_t level, LockedRect& locked, const Rect* rect, uint32_t flags) override;
  HResult UnlockRect(CubeFace face, uint32_t level) override;
  HResult GetCubeMapSurface(CubeFace face, uint32_t level, Surface** surface) override;

  const ImageStore& Store() const { return store_; }
  uint32_t Usage() const { return usage_; }
  Pool GetPool() const { return pool_; }

 protected:
  virtual void OnLock(CubeFace /*face*/, uint32_t /*level*/) {}
  virtual void OnUnlock(CubeFace /*face*/, uint32_t /*level*/) {}
  ImageStore& MutableStore() { return store_; }

 private:
  ImageStore store_;
  uint32_t usage_;
  Pool pool_;
  TallyEntry entry_;
};

// A surface: the back buffer, a depth-stencil buffer, or one level (and face) of a texture it keeps a reference to.
class MemorySurface : public Surface {
 public:
  MemorySurface(const SurfaceDesc& desc, BaseTexture* owner, uint32_t face, uint32_t level);
  ~MemorySurface() override;
  HResult GetDesc(SurfaceDesc& desc) const override;

  BaseTexture* Owner() const { return owner_; }
  uint32_t Face() const { return face_; }
  uint32_t Level() const { return level_; }

 private:
  SurfaceDesc desc_;
  BaseTexture* owner_;
  uint32_t face_, level_;
};

}  // namespace platform::gfx
