// The OpenGL 3.3 device: presentation, resources, render targets and clears. Drawing is in gl_draw.cpp.
#include "platform/gfx/gl_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/picture_fit.h"

namespace platform::gfx {

namespace {

// Texture memory reported when the driver tells nothing: a cautious figure, so an unknown adapter is not handed
// every effect; the detail options can still switch them on.
constexpr uint64_t kFallbackTextureMemory = 32ull << 20;

}  // namespace

GlDevice::GlDevice(SDL_Window* window, void* context, const GlLimits& limits, const Caps& caps, DisplayMode desktop,
                   const PresentParameters& parameters)
    : window_(window), context_(context), contextToken_(std::make_shared<GlContextState>()), limits_(limits),
      desktop_(desktop) {
  caps_ = caps;
  contextToken_->beforeGlWork = [this] { FlushDraws(); };
  glGenVertexArrays(1, &vertexArray_);
  glBindVertexArray(vertexArray_);
  glGenBuffers(1, &streamVertexBuffer_);
  glGenBuffers(1, &streamIndexBuffer_);
  glGenSamplers(kMaxTextureStages, samplers_);
  for (uint32_t stage = 0; stage < kMaxTextureStages; ++stage) glBindSampler(stage, samplers_[stage]);
  glGenFramebuffers(1, &targetFramebuffer_);
  // Point sizes come from the programs; sprite coordinates start at the top row, which is GL's lower left here.
  glEnable(GL_PROGRAM_POINT_SIZE);
  glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  PresentParameters copy = parameters;
  usable_ = Succeeded(ApplyPresentParameters(copy));
}

GlDevice::~GlDevice() {
  // Another device may have made its own context current since; clean up in ours and give theirs back.
  SDL_GLContext previous = SDL_GL_GetCurrentContext();
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  const bool ours = previous == static_cast<SDL_GLContext>(context_);
  if (!ours) SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
  pending_.counts.clear();
  contextToken_->beforeGlWork = nullptr;
  for (Surface* surface : {currentTarget_, currentDepth_}) {
    if (surface != nullptr) surface->Release();
  }
  currentTarget_ = currentDepth_ = nullptr;
  ResetState(0, 0, false);  // drops the bound textures and buffers while the context lives
  if (samplesQuery_ != 0) {
    if (passTiming_) EndQueries();
    glDeleteQueries(1, &samplesQuery_);
  }
  if (statisticsQueries_[0] != 0) glDeleteQueries(static_cast<GLsizei>(statisticsQueries_.size()), statisticsQueries_.data());
  for (auto& [key, program] : programs_) glDeleteProgram(program.name);
  programs_.clear();
  DestroyBackBuffer();
  glDeleteFramebuffers(1, &targetFramebuffer_);
  glDeleteSamplers(kMaxTextureStages, samplers_);
  glDeleteBuffers(1, &streamVertexBuffer_);
  glDeleteBuffers(1, &streamIndexBuffer_);
  glDeleteVertexArrays(1, &vertexArray_);
  contextToken_->alive = false;
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  if (!ours && previous != nullptr) SDL_GL_MakeCurrent(previousWindow, previous);
}

void GlDevice::DestroyBackBuffer() {
  if (backBufferSurface_ != nullptr) backBufferSurface_->Release();
  if (autoDepthSurface_ != nullptr) autoDepthSurface_->Release();
  backBufferSurface_ = autoDepthSurface_ = nullptr;
  glDeleteFramebuffers(1, &backFramebuffer_);
  glDeleteFramebuffers(1, &resolveFramebuffer_);
  glDeleteRenderbuffers(1, &backColor_);
  glDeleteRenderbuffers(1, &backDepth_);
  glDeleteRenderbuffers(1, &resolveColor_);
  backFramebuffer_ = resolveFramebuffer_ = backColor_ = backDepth_ = resolveColor_ = 0;
}

HResult GlDevice::CreateBackBuffer() {
  const auto width = static_cast<GLsizei>(std::max(1u, parameters_.backBufferWidth));
  const auto height = static_cast<GLsizei>(std::max(1u, parameters_.backBufferHeight));
  const GLsizei samples = parameters_.multiSampleType >= 2
                              ? static_cast<GLsizei>(std::min<int>(static_cast<int>(parameters_.multiSampleType),
                                                                   limits_.maxSamples))
                              : 0;
  // A back buffer without alpha reads destination alpha as 1, as the classic formats do.
  const GLenum colorFormat = parameters_.backBufferFormat == Format::A8R8G8B8 ? GL_RGBA8 : GL_RGB8;
  glGenFramebuffers(1, &backFramebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
  glGenRenderbuffers(1, &backColor_);
  glBindRenderbuffer(GL_RENDERBUFFER, backColor_);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, colorFormat, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backColor_);
  if (parameters_.enableAutoDepthStencil) {
    glGenRenderbuffers(1, &backDepth_);
    glBindRenderbuffer(GL_RENDERBUFFER, backDepth_);
    const bool stencil = parameters_.autoDepthStencilFormat == Format::D24S8 ||
                         parameters_.autoDepthStencilFormat == Format::D24X4S4 ||
                         parameters_.autoDepthStencilFormat == Format::D15S1;
    const GLenum depthFormat = parameters_.autoDepthStencilFormat == Format::D16 ? GL_DEPTH_COMPONENT16
                               : stencil                                           ? GL_DEPTH24_STENCIL8
                                                                                   : GL_DEPTH_COMPONENT24;
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, depthFormat, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, backDepth_);
  }
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindRenderbuffer(GL_RENDERBUFFER, backColor_);
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &backSamples_);
  if (samples > 0) {
    glGenFramebuffers(1, &resolveFramebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, resolveFramebuffer_);
    glGenRenderbuffers(1, &resolveColor_);
    glBindRenderbuffer(GL_RENDERBUFFER, resolveColor_);
    glRenderbufferStorage(GL_RENDERBUFFER, colorFormat, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolveColor_);
  }
  SurfaceDesc back;
  back.format = parameters_.backBufferFormat;
  back.usage = usage::kRenderTarget;
  back.width = static_cast<uint32_t>(width);
  back.height = static_cast<uint32_t>(height);
  back.multiSampleType = parameters_.multiSampleType;
  backBufferSurface_ = new MemorySurface(back, nullptr, 0, 0);
  if (parameters_.enableAutoDepthStencil) {
    SurfaceDesc depth = back;
    depth.format = parameters_.autoDepthStencilFormat;
    depth.usage = usage::kDepthStencil;
    autoDepthSurface_ = new MemorySurface(depth, nullptr, 0, 0);
  }
  // Start from black, as a fresh swap chain does.
  glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  if (!complete) {
    std::fprintf(stderr, "graphics: the %dx%d back buffer cannot be rendered to\n", width, height);
    return kOutOfVideoMemory;
  }
  return kOk;
}

HResult GlDevice::ApplyPresentParameters(PresentParameters& parameters) {
  if (parameters.backBufferWidth == 0 || parameters.backBufferHeight == 0) {
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    if (parameters.backBufferWidth == 0) parameters.backBufferWidth = static_cast<uint32_t>(std::max(1, w));
    if (parameters.backBufferHeight == 0) parameters.backBufferHeight = static_cast<uint32_t>(std::max(1, h));
  }
  if (parameters.backBufferFormat == Format::Unknown) parameters.backBufferFormat = desktop_.format;
  parameters_ = parameters;
  for (Surface** surface : {&currentTarget_, &currentDepth_}) {
    if (*surface != nullptr) (*surface)->Release();
    *surface = nullptr;
  }
  DestroyBackBuffer();
  const HResult created = CreateBackBuffer();
  currentTarget_ = backBufferSurface_;
  currentTarget_->AddRef();
  currentDepth_ = autoDepthSurface_;
  if (currentDepth_ != nullptr) currentDepth_->AddRef();
  SDL_GL_SetSwapInterval(parameters.presentationInterval == present_interval::kImmediate ? 0 : 1);
  ResetState(parameters_.backBufferWidth, parameters_.backBufferHeight, parameters_.enableAutoDepthStencil);
  currentProgram_ = nullptr;
  keySeen_ = 0;
  ForgetGlState();
  return created;
}

void GlDevice::OnStateChanged(StateGroup group) {
  ++serial_;
  if (group == StateGroup::All) {
    for (uint64_t& changed : groupChanged_) changed = serial_;
  } else {
    groupChanged_[static_cast<size_t>(group)] = serial_;
  }
}

bool GlDevice::ChangedSince(uint64_t seen, std::initializer_list<StateGroup> groups) const {
  for (StateGroup group : groups)
    if (groupChanged_[static_cast<size_t>(group)] > seen) return true;
  return false;
}

void GlDevice::ForgetGlState() {
  targetBound_ = false;
  glCache_.known = false;
  for (StageCache& stage : stageCache_) stage.known = false;
  texturesSeen_ = 0;
  attributeCache_.known = false;
}

HResult GlDevice::TestCooperativeLevel() { return kOk; }

HResult GlDevice::Reset(PresentParameters& parameters) {
  if (parameters.multiSampleType >= 2 && static_cast<int>(parameters.multiSampleType) > limits_.maxSamples)
    return kInvalidCall;
  const auto largest = static_cast<uint32_t>(limits_.maxTextureSize);
  if (parameters.backBufferWidth > largest || parameters.backBufferHeight > largest) return kInvalidCall;
  FlushDraws();
  inScene_ = false;
  return ApplyPresentParameters(parameters);
}

HResult GlDevice::Present() {
  if (inScene_) return kInvalidCall;
  FlushDraws();
  const auto width = static_cast<GLint>(parameters_.backBufferWidth);
  const auto height = static_cast<GLint>(parameters_.backBufferHeight);
  glDisable(GL_SCISSOR_TEST);
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
  const bool sameSize = drawableWidth == width && drawableHeight == height;
  // Rows are stored top-down; the window's origin is bottom-left, so the copy to it flips them. A window of the
  // back buffer's size takes a multisampled buffer's resolve and the flip in one copy where GL allows it, which
  // saves a full-screen pass each frame.
  bool shown = false;
  if (resolveFramebuffer_ != 0 && sameSize && resolveFlipAllowed_) {
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, width, height, 0, height, width, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    shown = resolveFlipAllowed_ = glGetError() == GL_NO_ERROR;
  }
  if (!shown) {
    GLuint source = backFramebuffer_;
    if (resolveFramebuffer_ != 0) {
      glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_);
      glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
      source = resolveFramebuffer_;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // A window of another shape (full screen on a screen without the picture's mode) shows the picture whole,
    // never stretched, with black bars; the window system maps the mouse through the same rectangle.
    const platform::Rect fit = FitPicture(width, height, drawableWidth, drawableHeight);
    if (fit.Width() != drawableWidth || fit.Height() != drawableHeight) {
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    glBlitFramebuffer(0, 0, width, height, fit.left, drawableHeight - fit.top, fit.right, drawableHeight - fit.bottom,
                      GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
  }
  SDL_GL_SwapWindow(window_);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  ForgetGlState();  // the framebuffer binding and scissor changed
  return kOk;
}

HResult GlDevice::GetDeviceCaps(Caps& caps) const {
  caps = caps_;
  return kOk;
}

HResult GlDevice::GetDisplayMode(DisplayMode& mode) const {
  if (parameters_.windowed) {
    mode = desktop_;
  } else {
    mode = DisplayMode{parameters_.backBufferWidth, parameters_.backBufferHeight, parameters_.fullscreenRefreshRate,
                       parameters_.backBufferFormat == Format::A8R8G8B8 ? Format::X8R8G8B8 : parameters_.backBufferFormat};
  }
  return kOk;
}

HResult GlDevice::GetBackBufferDesc(SurfaceDesc& desc) const { return backBufferSurface_->GetDesc(desc); }

bool GlDevice::ShowCursor(bool show) {
  const bool was = cursorShown_;
  cursorShown_ = show;
  SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  return was;
}

// The desktop's own pointer is the device cursor here and is already where the game asks it to be; warping it
// would feed every move back as another move (and, in a window, drift by the window's offset).
void GlDevice::SetCursorPosition(int, int, uint32_t) {}

HResult GlDevice::BeginScene() {
  if (inScene_) return kInvalidCall;
  inScene_ = true;
  return kOk;
}

HResult GlDevice::EndScene() {
  if (!inScene_) return kInvalidCall;
  FlushDraws();
  inScene_ = false;
  return kOk;
}

HResult GlDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
  return ClearRects(0, nullptr, flags, color, z, stencil);
}

HResult GlDevice::ClearRects(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                             uint32_t stencil) {
  if (count > 0 && rects == nullptr) return kInvalidCall;
  if ((flags & (clear_flags::kZBuffer | clear_flags::kStencil)) && currentDepth_ == nullptr) return kInvalidCall;
  if (!(z >= 0.0f && z <= 1.0f)) return kInvalidCall;
  FlushDraws();
  if (!BindTarget()) return kInvalidCall;
  GLbitfield mask = 0;
  if (flags & clear_flags::kTarget) mask |= GL_COLOR_BUFFER_BIT;
  if (flags & clear_flags::kZBuffer) mask |= GL_DEPTH_BUFFER_BIT;
  if (flags & clear_flags::kStencil) mask |= GL_STENCIL_BUFFER_BIT;
  if (mask == 0) return kOk;
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f, static_cast<float>((color >> 8) & 0xFF) / 255.0f,
               static_cast<float>(color & 0xFF) / 255.0f, static_cast<float>(color >> 24) / 255.0f);
  glClearDepth(z);
  glClearStencil(static_cast<GLint>(stencil & 0xFF));
  glEnable(GL_SCISSOR_TEST);
  // Clears cover the viewport, or the given rectangles within it; rows are top-down like the rectangles.
  const Viewport& vp = State().viewport;
  const int32_t vx0 = static_cast<int32_t>(vp.x), vy0 = static_cast<int32_t>(vp.y);
  const int32_t vx1 = vx0 + static_cast<int32_t>(vp.width), vy1 = vy0 + static_cast<int32_t>(vp.height);
  if (count == 0 || rects == nullptr) {
    glScissor(vx0, vy0, vx1 - vx0, vy1 - vy0);
    glClear(mask);
  } else {
    for (uint32_t i = 0; i < count; ++i) {
      const int32_t x0 = std::max(vx0, rects[i].left), y0 = std::max(vy0, rects[i].top);
      const int32_t x1 = std::min(vx1, rects[i].right), y1 = std::min(vy1, rects[i].bottom);
      if (x0 >= x1 || y0 >= y1) continue;
      glScissor(x0, y0, x1 - x0, y1 - y0);
      glClear(mask);
    }
  }
  glDisable(GL_SCISSOR_TEST);
  ForgetGlState();  // masks and scissor changed
  return kOk;
}

HResult GlDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool,
                                     VertexBuffer** buffer) {
  VertexBufferDesc desc;
  if (Failed(VertexBufferRequest(length, usage, fvfCode, pool, buffer, desc))) return kInvalidCall;
  *buffer = new GlVertexBuffer(desc, tally_, contextToken_);
  return kOk;
}

HResult GlDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** buffer) {
  IndexBufferDesc desc;
  if (Failed(IndexBufferRequest(length, usage, format, pool, buffer, desc))) return kInvalidCall;
  *buffer = new GlIndexBuffer(desc, tally_, contextToken_);
  return kOk;
}

namespace {

bool RenderTargetFormat(Format format) {
  return format == Format::A8R8G8B8 || format == Format::X8R8G8B8 || format == Format::R5G6B5;
}

}  // namespace

HResult GlDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format,
                                Pool pool, Texture** texture) {
  if (texture == nullptr) return kInvalidCall;
  *texture = nullptr;
  if (Failed(CheckTextureArguments(width, height, levels, usage, format, pool))) return kInvalidCall;
  if (width > caps_.maxTextureWidth || height > caps_.maxTextureHeight) return kInvalidCall;
  GlPixelFormat pixel;
  if (!GlFormatOf(format, pixel) || (pixel.compressed && !limits_.s3tc)) return kInvalidCall;
  if ((usage & usage::kRenderTarget) && !RenderTargetFormat(format)) return kInvalidCall;
  if (usage & usage::kDepthStencil) return kInvalidCall;
  while (glGetError() != GL_NO_ERROR) {
  }
  auto* created = new GlTexture(width, height, levels, usage, format, pool, tally_, contextToken_);
  if (glGetError() == GL_OUT_OF_MEMORY) {
    created->Release();
    return kOutOfVideoMemory;
  }
  *texture = created;
  return kOk;
}

HResult GlDevice::CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, Format format, Pool pool,
                                    CubeTexture** texture) {
  if (texture == nullptr) return kInvalidCall;
  *texture = nullptr;
  if (Failed(CheckTextureArguments(edgeLength, edgeLength, levels, usage, format, pool))) return kInvalidCall;
  if (edgeLength > caps_.maxTextureWidth) return kInvalidCall;
  GlPixelFormat pixel;
  if (!GlFormatOf(format, pixel) || (pixel.compressed && !limits_.s3tc)) return kInvalidCall;
  if ((usage & usage::kRenderTarget) && !RenderTargetFormat(format)) return kInvalidCall;
  if (usage & usage::kDepthStencil) return kInvalidCall;
  while (glGetError() != GL_NO_ERROR) {
  }
  auto* created = new GlCubeTexture(edgeLength, levels, usage, format, pool, tally_, contextToken_);
  if (glGetError() == GL_OUT_OF_MEMORY) {
    created->Release();
    return kOutOfVideoMemory;
  }
  *texture = created;
  return kOk;
}

HResult GlDevice::GetBackBuffer(uint32_t index, Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  *surface = nullptr;
  if (index != 0) return kInvalidCall;
  return ShareSurface(backBufferSurface_, surface);
}

HResult GlDevice::GetDepthStencilSurface(Surface** surface) { return ShareSurface(currentDepth_, surface); }

HResult GlDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, uint32_t multiSampleType,
                                            Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  *surface = nullptr;
  if (width == 0 || height == 0 || width > kMaxTextureEdge || height > kMaxTextureEdge) return kInvalidCall;
  if (format != Format::D16 && format != Format::D24S8 && format != Format::D24X8 && format != Format::D32)
    return kInvalidCall;
  SurfaceDesc desc;
  desc.format = format;
  desc.usage = usage::kDepthStencil;
  desc.width = width;
  desc.height = height;
  desc.multiSampleType = multiSampleType;
  *surface = new GlDepthSurface(desc, contextToken_);
  return kOk;
}

HResult GlDevice::SetRenderTarget(Surface* renderTarget, Surface* depthStencil) {
  if (renderTarget != nullptr) {
    SurfaceDesc desc;
    renderTarget->GetDesc(desc);
    if (!(desc.usage & usage::kRenderTarget)) return kInvalidCall;
    // Only the back buffer and levels of our own render-target textures can be drawn into.
    auto* memory = dynamic_cast<MemorySurface*>(renderTarget);
    if (memory == nullptr) return kInvalidCall;
    if (renderTarget != backBufferSurface_ && dynamic_cast<GlTexture*>(memory->Owner()) == nullptr &&
        dynamic_cast<GlCubeTexture*>(memory->Owner()) == nullptr)
      return kInvalidCall;
  }
  if (depthStencil != nullptr) {
    SurfaceDesc desc;
    depthStencil->GetDesc(desc);
    if (!(desc.usage & usage::kDepthStencil)) return kInvalidCall;
    if (depthStencil != autoDepthSurface_ && dynamic_cast<GlDepthSurface*>(depthStencil) == nullptr)
      return kInvalidCall;
  }
  FlushDraws();
  PassBoundary();
  if (renderTarget != nullptr) {
    renderTarget->AddRef();
    currentTarget_->Release();
    currentTarget_ = renderTarget;
  }
  if (passTiming_) passTarget_ = DescribeTarget();
  if (depthStencil != nullptr) depthStencil->AddRef();
  if (currentDepth_ != nullptr) currentDepth_->Release();
  currentDepth_ = depthStencil;
  SurfaceDesc target;
  currentTarget_->GetDesc(target);
  SetViewport(Viewport{0, 0, target.width, target.height, 0.0f, 1.0f});
  ForgetGlState();
  return kOk;
}

HResult GlDevice::GetRenderTarget(Surface** surface) {
  if (surface == nullptr) return kInvalidCall;
  currentTarget_->AddRef();
  *surface = currentTarget_;
  return kOk;
}

bool GlDevice::BindTarget() {
  if (currentTarget_ == backBufferSurface_ && currentDepth_ == autoDepthSurface_) {
    glBindFramebuffer(GL_FRAMEBUFFER, backFramebuffer_);
    return true;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer_);
  auto* target = static_cast<MemorySurface*>(currentTarget_);
  if (currentTarget_ == backBufferSurface_) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, backColor_);
  } else if (auto* flat = dynamic_cast<GlTexture*>(target->Owner())) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, flat->Name(),
                           static_cast<GLint>(target->Level()));
  } else if (auto* cube = dynamic_cast<GlCubeTexture*>(target->Owner())) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_CUBE_MAP_POSITIVE_X + target->Face(),
                           cube->Name(), static_cast<GLint>(target->Level()));
  }
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
  if (currentDepth_ == autoDepthSurface_ && currentDepth_ != nullptr) {
    SurfaceDesc desc;
    currentDepth_->GetDesc(desc);
    const bool stencil = desc.format == Format::D24S8 || desc.format == Format::D24X4S4 || desc.format == Format::D15S1;
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, backDepth_);
  } else if (auto* depth = dynamic_cast<GlDepthSurface*>(currentDepth_)) {
    SurfaceDesc desc;
    depth->GetDesc(desc);
    const bool stencil = desc.format == Format::D24S8;
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                              GL_RENDERBUFFER, depth->Renderbuffer());
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) return true;
  // A multisampled depth buffer cannot pair with a plain texture: draw without depth rather than not at all.
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

uint32_t GlDevice::ReadPixel(uint32_t x, uint32_t y) {
  const std::vector<uint32_t> pixel = ReadPixels(x, y, 1, 1);
  return pixel.empty() ? 0 : pixel[0];
}

std::vector<uint32_t> GlDevice::ReadPixels(uint32_t x, uint32_t y, uint32_t width, uint32_t height) {
  SurfaceDesc desc;
  currentTarget_->GetDesc(desc);
  if (width == 0 || height == 0 || x >= desc.width || y >= desc.height || width > desc.width - x ||
      height > desc.height - y) {
    return {};
  }
  FlushDraws();
  if (!BindTarget()) return {};
  if (currentTarget_ == backBufferSurface_ && resolveFramebuffer_ != 0) {
    const auto w = static_cast<GLint>(parameters_.backBufferWidth), h = static_cast<GLint>(parameters_.backBufferHeight);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, backFramebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, resolveFramebuffer_);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, resolveFramebuffer_);
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(static_cast<GLint>(x), static_cast<GLint>(y), static_cast<GLsizei>(width), static_cast<GLsizei>(height),
               GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  ForgetGlState();  // the framebuffer binding changed
  return pixels;
}

uint32_t GlDevice::ReadWindowPixel(uint32_t x, uint32_t y) {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window_, &width, &height);
  if (x >= static_cast<uint32_t>(width) || y >= static_cast<uint32_t>(height)) return 0;
  FlushDraws();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  uint32_t pixel = 0;
  glReadPixels(static_cast<GLint>(x), height - 1 - static_cast<GLint>(y), 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               &pixel);
  ForgetGlState();  // the framebuffer binding changed
  return pixel;
}

uint32_t GlDevice::GetAvailableTextureMemory() {
  uint64_t bytes = 0;
  if (limits_.memoryInfoNvx) {
    GLint kilobytes = 0;
    glGetIntegerv(0x9049 /* current available video memory, NVX */, &kilobytes);
    bytes = static_cast<uint64_t>(std::max(0, kilobytes)) * 1024;
  } else if (limits_.memoryInfoAti) {
    GLint values[4] = {};
    glGetIntegerv(0x87FC /* texture free memory, ATI */, values);
    bytes = static_cast<uint64_t>(std::max(0, values[0])) * 1024;
  } else {
    const uint64_t total =
        limits_.rendererVideoMemoryMB > 0 ? static_cast<uint64_t>(limits_.rendererVideoMemoryMB) << 20 : kFallbackTextureMemory;
    bytes = total > tally_->textureBytes ? total - tally_->textureBytes : 0;
  }
  return bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
}

}  // namespace platform::gfx
