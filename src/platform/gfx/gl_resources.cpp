// OpenGL buffers, textures and depth surfaces. Uploads use their own binding points (the copy-write buffer target
// and a texture unit no stage uses) so they never disturb the device's bindings.
#include "platform/gfx/gl_resources.h"

#include <algorithm>
#include <cstring>

namespace platform::gfx {

namespace {

constexpr GLuint kUploadUnit = 15;

// True while the context lives, after the device has sent what it held back.
bool Alive(const GlContextToken& context) {
  if (!context || !context->alive) return false;
  if (context->beforeGlWork) context->beforeGlWork();
  return true;
}

}  // namespace

namespace {

struct FormatRow {
  Format format;
  GlPixelFormat gl;
};

// Luminance and alpha-only formats live in the red (and green) channel and are swizzled back on sampling; formats
// without alpha read alpha as one.
const FormatRow kFormats[] = {
    {Format::A8R8G8B8, {.internalFormat = GL_RGBA8, .format = GL_BGRA, .type = GL_UNSIGNED_INT_8_8_8_8_REV}},
    {Format::X8R8G8B8,
     {.internalFormat = GL_RGB8, .format = GL_BGRA, .type = GL_UNSIGNED_INT_8_8_8_8_REV,
      .swizzle = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}}},
    {Format::R5G6B5, {.internalFormat = GL_RGB565, .format = GL_RGB, .type = GL_UNSIGNED_SHORT_5_6_5}},
    {Format::A1R5G5B5, {.internalFormat = GL_RGB5_A1, .format = GL_BGRA, .type = GL_UNSIGNED_SHORT_1_5_5_5_REV}},
    {Format::X1R5G5B5,
     {.internalFormat = GL_RGB5, .format = GL_BGRA, .type = GL_UNSIGNED_SHORT_1_5_5_5_REV,
      .swizzle = {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}}},
    {Format::A4R4G4B4, {.internalFormat = GL_RGBA4, .format = GL_BGRA, .type = GL_UNSIGNED_SHORT_4_4_4_4_REV}},
    {Format::L8,
     {.internalFormat = GL_R8, .format = GL_RED, .type = GL_UNSIGNED_BYTE, .swizzle = {GL_RED, GL_RED, GL_RED, GL_ONE}}},
    {Format::A8,
     {.internalFormat = GL_R8, .format = GL_RED, .type = GL_UNSIGNED_BYTE,
      .swizzle = {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}}},
    {Format::A8L8,
     {.internalFormat = GL_RG8, .format = GL_RG, .type = GL_UNSIGNED_BYTE, .swizzle = {GL_RED, GL_RED, GL_RED, GL_GREEN}}},
    {Format::Dxt1, {.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, .compressed = true}},
    {Format::Dxt2, {.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, .compressed = true}},
    {Format::Dxt3, {.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, .compressed = true}},
    {Format::Dxt4, {.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, .compressed = true}},
    {Format::Dxt5, {.internalFormat = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, .compressed = true}},
};

}  // namespace

bool GlFormatOf(Format format, GlPixelFormat& out) {
  for (const FormatRow& row : kFormats) {
    if (row.format == format) {
      out = row.gl;
      return true;
    }
  }
  out = GlPixelFormat{};
  return false;
}

uint64_t NextResourceSerial() {
  static uint64_t next = 0;
  return ++next;
}

// ---- buffers ----

GlVertexBuffer::GlVertexBuffer(const VertexBufferDesc& desc, std::shared_ptr<ResourceTally> tally,
                               GlContextToken context)
    : MemoryVertexBuffer(desc, std::move(tally)), context_(std::move(context)) {
  glGenBuffers(1, &buffer_);
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
  glBufferData(GL_COPY_WRITE_BUFFER, desc.size, Bytes().data(),
               (desc.usage & usage::kDynamic) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

GlVertexBuffer::~GlVertexBuffer() {
  if (Alive(context_)) glDeleteBuffers(1, &buffer_);
}

void GlVertexBuffer::OnUnlock(uint32_t offset, uint32_t size, uint32_t flags) {
  if (!Alive(context_) || size == 0) return;
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
  if (flags & lock_flags::kDiscard) {
    // A fresh store, so pending draws keep the old one and nothing waits.
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(Bytes().size()), Bytes().data(), GL_DYNAMIC_DRAW);
  } else {
    glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, Bytes().data() + offset);
  }
}

GlIndexBuffer::GlIndexBuffer(const IndexBufferDesc& desc, std::shared_ptr<ResourceTally> tally, GlContextToken context)
    : MemoryIndexBuffer(desc, std::move(tally)), context_(std::move(context)) {
  glGenBuffers(1, &buffer_);
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
  glBufferData(GL_COPY_WRITE_BUFFER, desc.size, Bytes().data(),
               (desc.usage & usage::kDynamic) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
}

uint32_t GlIndexBuffer::LargestIndexIn(uint32_t first, uint32_t count) const {
  if (count == 0) return 0;
  const size_t last = std::min<size_t>((size_t{first} + count - 1) / kBlockIndices, blockLargest_.size());
  uint32_t largest = 0;
  for (size_t block = first / kBlockIndices; block < last + 1 && block < blockLargest_.size(); ++block) {
    largest = std::max(largest, blockLargest_[block]);
  }
  // Indices past the written blocks were never written: only the whole buffer's bound holds for them.
  return size_t{first} + count > blockLargest_.size() * kBlockIndices ? largestIndex_ : largest;
}

GlIndexBuffer::~GlIndexBuffer() {
  if (Alive(context_)) glDeleteBuffers(1, &buffer_);
}

void GlIndexBuffer::OnUnlock(uint32_t offset, uint32_t size, uint32_t flags) {
  if (size == 0) return;
  const uint8_t* bytes = Bytes().data();
  // Every index the written bytes touch, the partly written ones at either end too.
  const size_t end = std::min<size_t>(size_t{offset} + size, Bytes().size());
  blockLargest_.resize((Bytes().size() / IndexSize() + kBlockIndices - 1) / kBlockIndices, 0);
  for (size_t at = offset - offset % IndexSize(); at < end && at + IndexSize() <= Bytes().size(); at += IndexSize()) {
    uint32_t index = 0;
    if (IndexSize() == 2) {
      uint16_t value;
      std::memcpy(&value, bytes + at, 2);
      index = value;
    } else {
      std::memcpy(&index, bytes + at, 4);
    }
    largestIndex_ = std::max(largestIndex_, index);
    uint32_t& block = blockLargest_[at / IndexSize() / kBlockIndices];
    block = std::max(block, index);
  }
  if (!Alive(context_)) return;
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
  if (flags & lock_flags::kDiscard)
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(Bytes().size()), Bytes().data(), GL_DYNAMIC_DRAW);
  else
    glBufferSubData(GL_COPY_WRITE_BUFFER, offset, size, Bytes().data() + offset);
}

// ---- textures ----

namespace {

void UploadLevel(GLenum target, const GlPixelFormat& pixel, uint32_t level, const ImageLevel& image, bool allocate) {
  const void* data = image.bytes.empty() ? nullptr : image.bytes.data();
  const auto width = static_cast<GLsizei>(image.width);
  const auto height = static_cast<GLsizei>(image.height);
  if (pixel.compressed) {
    if (data == nullptr) return;
    glCompressedTexImage2D(target, static_cast<GLint>(level), pixel.internalFormat, width, height, 0,
                           static_cast<GLsizei>(image.bytes.size()), data);
  } else if (allocate) {
    glTexImage2D(target, static_cast<GLint>(level), static_cast<GLint>(pixel.internalFormat), width, height, 0,
                 pixel.format, pixel.type, data);
  } else {
    glTexSubImage2D(target, static_cast<GLint>(level), 0, 0, width, height, pixel.format, pixel.type, data);
  }
}

// Reads one level of the bound texture back into memory, in the layout its upload took.
void ReadLevel(GLenum target, const GlPixelFormat& pixel, uint32_t level, std::vector<uint8_t>& bytes) {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  if (pixel.compressed) {
    GLint size = 0;
    glGetTexLevelParameteriv(target, static_cast<GLint>(level), GL_TEXTURE_COMPRESSED_IMAGE_SIZE, &size);
    if (size == static_cast<GLint>(bytes.size())) glGetCompressedTexImage(target, static_cast<GLint>(level), bytes.data());
  } else {
    glGetTexImage(target, static_cast<GLint>(level), pixel.format, pixel.type, bytes.data());
  }
}

void SetUpTexture(GLenum target, const GlPixelFormat& pixel, uint32_t levels) {
  glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, pixel.swizzle);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

// Render targets start black instead of undefined.
std::vector<uint8_t> BlackPixels(const ImageLevel& image) {
  return std::vector<uint8_t>(static_cast<size_t>(image.width) * image.height * 4, 0);
}

}  // namespace

GlTexture::GlTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool,
                     std::shared_ptr<ResourceTally> tally, GlContextToken context)
    : MemoryTexture(width, height, levels, usage, format, pool, std::move(tally)),
      context_(std::move(context)),
      defined_(levels, false) {
  GlFormatOf(format, pixel_);
  glGenTextures(1, &texture_);
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, texture_);
  SetUpTexture(GL_TEXTURE_2D, pixel_, levels);
  // A texture the game fills defines each level as its lock ends; only render targets are defined (black) here.
  if ((usage & usage::kRenderTarget) == 0) return;
  drawn_ = true;
  for (uint32_t level = 0; level < levels; ++level) {
    const ImageLevel& image = *Store().Level(0, level);
    const std::vector<uint8_t> black = BlackPixels(image);
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(pixel_.internalFormat),
                 static_cast<GLsizei>(image.width), static_cast<GLsizei>(image.height), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 black.data());
    defined_[level] = true;
  }
}

GlTexture::~GlTexture() {
  if (Alive(context_)) glDeleteTextures(1, &texture_);
}

void GlTexture::FirstDraw() {
  drawn_ = true;
  if (!Alive(context_)) return;
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (uint32_t level = 0; level < Store().LevelCount(); ++level) {
    if (!defined_[level]) UploadLevel(GL_TEXTURE_2D, pixel_, level, *Store().Level(0, level), true);
    defined_[level] = true;
  }
  MutableStore().ReleasePixels();
}

void GlTexture::OnLock(uint32_t level) {
  if (Store().HasPixels(0, level)) return;
  std::vector<uint8_t>* bytes = MutableStore().RestorePixels(0, level);
  if (bytes == nullptr || !Alive(context_)) return;
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, texture_);
  ReadLevel(GL_TEXTURE_2D, pixel_, level, *bytes);
}

void GlTexture::OnUnlock(uint32_t level) {
  if (!Alive(context_)) return;
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  UploadLevel(GL_TEXTURE_2D, pixel_, level, *Store().Level(0, level), pixel_.compressed || !defined_[level]);
  defined_[level] = true;
}

GlCubeTexture::GlCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, Format format, Pool pool,
                             std::shared_ptr<ResourceTally> tally, GlContextToken context)
    : MemoryCubeTexture(edge, levels, usage, format, pool, std::move(tally)),
      context_(std::move(context)),
      defined_(size_t{6} * levels, false) {
  GlFormatOf(format, pixel_);
  glGenTextures(1, &texture_);
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_CUBE_MAP, texture_);
  SetUpTexture(GL_TEXTURE_CUBE_MAP, pixel_, levels);
  if ((usage & usage::kRenderTarget) == 0) return;
  drawn_ = true;
  for (uint32_t face = 0; face < 6; ++face) {
    for (uint32_t level = 0; level < levels; ++level) {
      const ImageLevel& image = *Store().Level(face, level);
      const std::vector<uint8_t> black = BlackPixels(image);
      glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, static_cast<GLint>(level),
                   static_cast<GLint>(pixel_.internalFormat), static_cast<GLsizei>(image.width),
                   static_cast<GLsizei>(image.height), 0, GL_BGRA, GL_UNSIGNED_BYTE, black.data());
      defined_[face * levels + level] = true;
    }
  }
}

GlCubeTexture::~GlCubeTexture() {
  if (Alive(context_)) glDeleteTextures(1, &texture_);
}

void GlCubeTexture::FirstDraw() {
  drawn_ = true;
  if (!Alive(context_)) return;
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_CUBE_MAP, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const uint32_t levels = Store().LevelCount();
  for (uint32_t face = 0; face < 6; ++face) {
    for (uint32_t level = 0; level < levels; ++level) {
      if (!defined_[face * levels + level])
        UploadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, pixel_, level, *Store().Level(face, level), true);
      defined_[face * levels + level] = true;
    }
  }
  MutableStore().ReleasePixels();
}

void GlCubeTexture::OnLock(CubeFace face, uint32_t level) {
  const auto faceIndex = static_cast<uint32_t>(face);
  if (Store().HasPixels(faceIndex, level)) return;
  std::vector<uint8_t>* bytes = MutableStore().RestorePixels(faceIndex, level);
  if (bytes == nullptr || !Alive(context_)) return;
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_CUBE_MAP, texture_);
  ReadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + faceIndex, pixel_, level, *bytes);
}

void GlCubeTexture::OnUnlock(CubeFace face, uint32_t level) {
  if (!Alive(context_)) return;
  glActiveTexture(GL_TEXTURE0 + kUploadUnit);
  glBindTexture(GL_TEXTURE_CUBE_MAP, texture_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const uint32_t faceIndex = static_cast<uint32_t>(face);
  const size_t at = size_t{faceIndex} * Store().LevelCount() + level;
  UploadLevel(GL_TEXTURE_CUBE_MAP_POSITIVE_X + faceIndex, pixel_, level, *Store().Level(faceIndex, level),
              pixel_.compressed || !defined_[at]);
  defined_[at] = true;
}

GlDepthSurface::GlDepthSurface(const SurfaceDesc& desc, GlContextToken context)
    : MemorySurface(desc, nullptr, 0, 0), context_(std::move(context)) {
  glGenRenderbuffers(1, &renderbuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
  const GLenum format = (desc.format == Format::D16 || desc.format == Format::D16Lockable) ? GL_DEPTH_COMPONENT16
                        : (desc.format == Format::D32 || desc.format == Format::D24X8)    ? GL_DEPTH_COMPONENT24
                                                                                          : GL_DEPTH24_STENCIL8;
  glRenderbufferStorage(GL_RENDERBUFFER, format, static_cast<GLsizei>(desc.width), static_cast<GLsizei>(desc.height));
}

GlDepthSurface::~GlDepthSurface() {
  if (Alive(context_)) glDeleteRenderbuffers(1, &renderbuffer_);
}

}  // namespace platform::gfx
