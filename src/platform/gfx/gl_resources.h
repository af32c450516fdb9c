// OpenGL buffers, textures and depth surfaces: system-memory resources with a GL object updated on unlock.
#pragma once

#include <epoxy/gl.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/memory_resources.h"

namespace platform::gfx {

// The device's GL context as its resources see it: whether it still exists (resources outliving the device skip
// their GL clean-up), and what must run before a resource does GL work of its own (the device sends the draws it
// holds back, so they see the buffers and textures as they were when the game asked for them).
struct GlContextState {
  bool alive = true;
  std::function<void()> beforeGlWork;
};
using GlContextToken = std::shared_ptr<GlContextState>;

// How a Direct3D-style pixel format is stored in GL.
struct GlPixelFormat {
  GLenum internalFormat = 0;
  GLenum format = 0;
  GLenum type = 0;
  bool compressed = false;
  // Swizzle of the sampled channels (for luminance and alpha-only formats), GL_RED.. or GL_ZERO/GL_ONE.
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
};

// False for formats GL cannot hold.
bool GlFormatOf(Format format, GlPixelFormat& out);

// A number no other resource of this process gets, so binding caches never mistake a new texture or buffer for a
// deleted one that had the same GL name.
uint64_t NextResourceSerial();

class GlVertexBuffer : public MemoryVertexBuffer {
 public:
  GlVertexBuffer(const VertexBufferDesc& desc, std::shared_ptr<ResourceTally> tally, GlContextToken context);
  ~GlVertexBuffer() override;
  GLuint Name() const { return buffer_; }
  uint64_t Serial() const { return serial_; }

 protected:
  void OnUnlock(uint32_t offset, uint32_t size, uint32_t flags) override;

 private:
  GlContextToken context_;
  GLuint buffer_ = 0;
  uint64_t serial_ = NextResourceSerial();
};

class GlIndexBuffer : public MemoryIndexBuffer {
 public:
  GlIndexBuffer(const IndexBufferDesc& desc, std::shared_ptr<ResourceTally> tally, GlContextToken context);
  ~GlIndexBuffer() override;
  GLuint Name() const { return buffer_; }
  // No index in the buffer is larger: draws whose vertices reach past it need not check their indices one by one.
  uint32_t LargestIndex() const { return largestIndex_; }
  // No index among count indices from first is larger (a bound kept per block of indices): a draw from one part
  // of a buffer shared by many checks only the blocks it reads.
  uint32_t LargestIndexIn(uint32_t first, uint32_t count) const;

 protected:
  void OnUnlock(uint32_t offset, uint32_t size, uint32_t flags) override;

 private:
  GlContextToken context_;
  GLuint buffer_ = 0;
  // Grow with every write and never shrink, so they stay bounds whatever was overwritten.
  static constexpr uint32_t kBlockIndices = 64;
  uint32_t largestIndex_ = 0;
  std::vector<uint32_t> blockLargest_;
};

class GlTexture : public MemoryTexture {
 public:
  GlTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool,
            std::shared_ptr<ResourceTally> tally, GlContextToken context);
  ~GlTexture() override;
  GLuint Name() const { return texture_; }
  // The name to draw with. The first draw defines the levels nothing wrote yet (black) and frees the memory
  // copy of the pixels: the GL texture holds them from then on, and a later lock reads its level back.
  GLuint DrawName() {
    if (!drawn_) FirstDraw();
    return texture_;
  }
  uint64_t Serial() const { return serial_; }

 protected:
  void OnLock(uint32_t level) override;
  void OnUnlock(uint32_t level) override;

 private:
  void FirstDraw();

  GlContextToken context_;
  GlPixelFormat pixel_;
  GLuint texture_ = 0;
  uint64_t serial_ = NextResourceSerial();
  std::vector<bool> defined_;  // per level: its pixels are in the GL texture
  bool drawn_ = false;
};

class GlCubeTexture : public MemoryCubeTexture {
 public:
  GlCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format, Pool pool,
                std::shared_ptr<ResourceTally> tally, GlContextToken context);
  ~GlCubeTexture() override;
  GLuint Name() const { return texture_; }
  // As GlTexture::DrawName, for every face.
  GLuint DrawName() {
    if (!drawn_) FirstDraw();
    return texture_;
  }
  uint64_t Serial() const { return serial_; }

 protected:
  void OnLock(CubeFace face, uint32_t level) override;
  void OnUnlock(CubeFace face, uint32_t level) override;

 private:
  void FirstDraw();

  GlContextToken context_;
  GlPixelFormat pixel_;
  GLuint texture_ = 0;
  uint64_t serial_ = NextResourceSerial();
  std::vector<bool> defined_;  // per face and level, face-major
  bool drawn_ = false;
};

// A depth-stencil buffer of its own (not the back buffer's).
class GlDepthSurface : public MemorySurface {
 public:
  GlDepthSurface(const SurfaceDesc& desc, GlContextToken context);
  ~GlDepthSurface() override;
  GLuint Renderbuffer() const { return renderbuffer_; }

 private:
  GlContextToken context_;
  GLuint renderbuffer_ = 0;
};

}  // namespace platform::gfx
