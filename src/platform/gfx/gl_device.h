// The OpenGL 3.3 device: renders the fixed-function state model through generated programs into an offscreen back
// buffer (rows top-down, as Direct3D addresses them) that Present resolves and shows on the window.
#pragma once

#include <epoxy/gl.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/gfx/gl_program_key.h"
#include "platform/gfx/gl_resources.h"
#include "platform/gfx/state_device.h"

struct SDL_Window;

namespace platform::gfx {

// What the graphics system learned about the GL implementation.
struct GlLimits {
  int maxTextureSize = 2048;
  int maxSamples = 0;
  int maxClipDistances = 6;
  bool s3tc = false;
  bool mirrorOnce = false;
  bool memoryInfoNvx = false;
  bool memoryInfoAti = false;
  int rendererVideoMemoryMB = 0;  // from the Mesa renderer query; 0 when unknown
  float maxAnisotropy = 1.0f;
  float maxPointSize = 1.0f;
};

class GlDevice : public StateDevice {
 public:
  // Takes ownership of the context (an SDL_GLContext, current on this thread).
  GlDevice(SDL_Window* window, void* context, const GlLimits& limits, const Caps& caps, DisplayMode desktop,
           const PresentParameters& parameters);
  ~GlDevice() override;

  HResult TestCooperativeLevel() override;
  HResult Reset(PresentParameters& parameters) override;
  HResult Present() override;
  HResult GetDeviceCaps(Caps& caps) const override;
  HResult GetDisplayMode(DisplayMode& mode) const override;
  HResult GetBackBufferDesc(SurfaceDesc& desc) const override;
  bool ShowCursor(bool show) override;
  void SetCursorPosition(int x, int y, uint32_t flags) override;
  HResult BeginScene() override;
  HResult EndScene() override;
  HResult Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) override;
  HResult ClearRects(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                     uint32_t stencil) override;
  HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool,
                             VertexBuffer** buffer) override;
  HResult CreateIndexBuffer(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** buffer) override;
  HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, Format format, Pool pool,
                        Texture** texture) override;
  HResult CreateCubeTexture(uint32_t edgeLength, uint32_t levels, uint32_t usage, Format format, Pool pool,
                            CubeTexture** texture) override;
  HResult GetBackBuffer(uint32_t index, Surface** surface) override;
  HResult GetDepthStencilSurface(Surface** surface) override;
  HResult CreateDepthStencilSurface(uint32_t width, uint32_t height, Format format, uint32_t multiSampleType,
                                    Surface** surface) override;
  HResult SetRenderTarget(Surface* renderTarget, Surface* depthStencil) override;
  HResult GetRenderTarget(Surface** surface) override;
  HResult DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
  HResult DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                               uint32_t primitiveCount) override;
  HResult DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertexData,
                          uint32_t stride) override;
  HResult DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minVertexIndex, uint32_t numVertexIndices,
                                 uint32_t primitiveCount, const void* indexData, Format indexFormat,
                                 const void* vertexData, uint32_t stride) override;
  uint32_t GetAvailableTextureMemory() override;

  // Reads one pixel of the current render target as 0xAARRGGBB; (0, 0) is the top-left pixel.
  uint32_t ReadPixel(uint32_t x, uint32_t y);
  // The rectangle (x, y, width, height) of the current render target as ARGB pixels, rows top-down; empty when
  // it does not lie inside the target.
  std::vector<uint32_t> ReadPixels(uint32_t x, uint32_t y, uint32_t width, uint32_t height);
  // Reads one pixel of what the last Present copied to the window, the same way round. It reads the window's
  // back buffer, which the software rasteriser keeps through the swap; for tests.
  uint32_t ReadWindowPixel(uint32_t x, uint32_t y);
  // Counters for benchmarks and tests.
  struct Counters {
    uint64_t draws = 0;    // the draws asked for
    uint64_t glDraws = 0;  // the draw calls GL got: draws in a row with nothing changed between them go as one
    uint64_t programSwitches = 0;
    uint64_t programsBuilt = 0;
  };
  const Counters& GetCounters() const { return counters_; }
  // Whether the back buffer made at creation can be rendered to.
  bool Usable() const { return usable_; }
  size_t CachedPrograms() const { return programs_.size(); }
  // Bytes of the live textures' pixels, mip levels included; the device keeps them in memory and GL once more.
  uint64_t TextureBytes() const { return tally_->textureBytes; }

  // Pass timing for benchmarks, off unless switched on. While on, every pass mark and render-target switch waits
  // for the GL work issued so far (glFinish) and books the wall time since the previous boundary, the draws and
  // the samples that passed the depth and stencil tests to the pass and target the work ran in.
  struct PassTime {
    std::string pass;    // the name of the last mark, empty before the first
    std::string target;  // what was drawn into: "back buffer 800x600 4x", "texture 256x256", "cube face 128x128"
    double seconds = 0;
    uint64_t segments = 0, draws = 0, samples = 0;  // draws: GL draw calls
    // The driver's own counts where it keeps them (0 where not): vertex-program runs, primitives leaving the
    // clipper and fragment-program runs.
    uint64_t vertices = 0, primitives = 0, fragments = 0;
    uint64_t requests = 0;                          // the draws asked for
    // Of the draw calls, how many distinct set-ups they had within each pass and target: the same buffers,
    // textures, render and stage states. Draws sharing a set-up differ at most in transforms, material and lights,
    // so this is what the calls could come down to if the game grouped its draws by set-up.
    uint64_t setUps = 0;
  };
  void SetPassTiming(bool on);
  // Totals since timing was switched on or last cleared, in the order the pass and target were first seen.
  const std::vector<PassTime>& PassTimes() const { return passTimes_; }
  void ClearPassTimes() { passTimes_.clear(); }
  void MarkPass(const char* name) override;

 protected:
  void OnStateChanged(StateGroup group) override;

 private:
  static constexpr int kUniformSlots = 40;
  struct Program {
    GLuint name = 0;  // 0 when the program failed to build: its draws are skipped
    uint64_t uploaded[kStateGroupCount] = {};  // change serial of each state group when last uploaded
    GLint locations[kUniformSlots] = {};
  };

  // What was last sent to GL, so unchanged values are not sent again; `known` false sends everything once.
  struct GlStateCache {
    bool known = false;
    GLint viewport[4] = {};
    float depthRange[2] = {};
    bool depthTest = false, depthWrite = false, blend = false, cull = false, stencil = false, offset = false;
    bool multisample = false;
    GLenum depthFunc = 0, blendSource = 0, blendDestination = 0, blendEquation = 0, cullFace = 0, polygonMode = 0;
    GLenum stencilFunc = 0, stencilFail = 0, stencilDepthFail = 0, stencilPass = 0;
    GLint stencilRef = -1;
    GLuint stencilMask = 0, stencilWriteMask = 0;
    uint32_t colorMask = 0xFF, clipPlanes = 0xFF;
    float offsetUnits = 0;
  };
  struct StageCache {
    bool known = false;
    uint64_t texture = 0;  // the bound texture's serial
    GLenum target = 0;
    uint32_t sampler[10] = {};  // the stage states that make up the sampler
  };

  HResult CreateBackBuffer();
  void DestroyBackBuffer();
  // kOutOfVideoMemory when the back buffer cannot be made.
  HResult ApplyPresentParameters(PresentParameters& parameters);
  // Binds the framebuffer of the current render target; false when it cannot be drawn to.
  bool BindTarget();
  void ApplyRenderStates();
  void BindTextures(StageTexture kinds[kMaxTextureStages]);
  Program* UseProgram(const StageTexture kinds[kMaxTextureStages]);
  void UploadUniforms(Program& program);
  // bufferSerial names the buffer's contents owner (the stream buffer is 0), so unchanged set-ups are skipped.
  void SetUpAttributes(GLuint buffer, uint64_t bufferSerial, uint32_t stride);
  bool PrepareDraw(GLuint vertexBuffer, uint64_t bufferSerial, uint32_t stride);
  GLuint StreamVertices(const void* data, size_t bytes);
  GLuint StreamIndices(const void* data, size_t bytes);
  // Sends the indexed draws held back, as one call.
  void FlushDraws();

  SDL_Window* window_;
  void* context_;
  GlContextToken contextToken_;
  GlLimits limits_;
  DisplayMode desktop_;
  PresentParameters parameters_;
  bool inScene_ = false;
  bool usable_ = false;
  bool cursorShown_ = true;

  // The back buffer: a framebuffer (multisampled when asked) and, with multisampling, a resolve framebuffer.
  GLuint backFramebuffer_ = 0, backColor_ = 0, backDepth_ = 0;
  GLuint resolveFramebuffer_ = 0, resolveColor_ = 0;
  GLint backSamples_ = 0;  // what GL made of the samples asked for
  bool resolveFlipAllowed_ = true;  // false once GL refused to resolve and flip in one copy
  // Framebuffer for texture render targets.
  GLuint targetFramebuffer_ = 0;
  MemorySurface* backBufferSurface_ = nullptr;
  MemorySurface* autoDepthSurface_ = nullptr;
  Surface* currentTarget_ = nullptr;
  Surface* currentDepth_ = nullptr;

  GLuint vertexArray_ = 0;
  GLuint streamVertexBuffer_ = 0, streamIndexBuffer_ = 0;
  GLuint samplers_[kMaxTextureStages] = {};

  std::unordered_map<ProgramKey, Program, ProgramKeyHash> programs_;
  Program* currentProgram_ = nullptr;
  ProgramKey currentKey_;
  // Change tracking: a serial per change, the serial of each group's last change, and what each consumer saw.
  uint64_t serial_ = 1;
  uint64_t groupChanged_[kStateGroupCount] = {};
  uint64_t keySeen_ = 0, statesSeen_ = 0, texturesSeen_ = 0;
  bool ChangedSince(uint64_t seen, std::initializer_list<StateGroup> groups) const;
  // GL state changed outside the tracking (clears, presents, read-backs, target switches): send it all again.
  void ForgetGlState();
  bool targetBound_ = false;
  GlStateCache glCache_;
  StageCache stageCache_[kMaxTextureStages];
  struct AttributeCache {
    bool known = false;
    uint64_t buffer = 0;
    uint32_t stride = 0, fvf = 0;
  } attributeCache_;
  StageTexture boundKinds_[kMaxTextureStages] = {};
  Counters counters_;
  // Everything a draw's result depends on but the lights (whose changes are told apart by their serial).
  struct DrawState {
    Viewport viewport;
    Matrix4 view, projection;
    std::array<Matrix4, 4> world;
    std::array<Matrix4, kMaxTextureStages> texture;
    std::array<uint32_t, kRenderStateCount> renderStates{};
    std::array<std::array<uint32_t, kTextureStageStateCount>, kMaxTextureStages> stageStates{};
    std::array<BaseTexture*, kMaxTextureStages> textures{};
    Material material;
    std::array<Plane, kMaxClipPlanes> clipPlanes{};
    uint32_t stride = 0, baseVertexIndex = 0, fvf = 0;
  };
  static void Capture(const DeviceState& state, DrawState& out);
  // exceptPlacement leaves the world and view transforms out of the comparison.
  static bool SameDrawState(const DeviceState& state, const DrawState& held, bool exceptPlacement);
  // Indexed draws from the same buffers under the same state are held back and sent as one
  // glMultiDrawElementsBaseVertex, however the state went back and forth between them: a software driver pays its
  // per-draw set-up once. Anything else that reaches GL (another draw, a clear, a target switch, a resource's own
  // upload or read-back) sends them first.
  struct PendingDraws {
    uint64_t serial = 0;  // the state change serial they were prepared under
    DrawState state;      // and the state itself
    uint64_t vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLenum mode = 0, indexType = 0;
    std::vector<GLsizei> counts;
    std::vector<const void*> offsets;
    std::vector<GLint> baseVertices;
  } pending_;
  // Triangles drawn from the game's memory in a row under one state are held back the same way and sent as one
  // triangle list (strips and fans taken apart), so a row of sprites costs one draw. Rows whose draws differ only
  // in their world and view transforms are carried into view space on the processor and drawn with identity ones.
  struct PendingUserDraws {
    uint64_t serial = 0;
    DrawState state;
    GLenum mode = 0;
    uint32_t stride = 0;
    bool placed = false;         // the vertices are in view space
    std::vector<uint8_t> bytes;  // the vertices, as the game gave them, or as a list once another joined
  } pendingUser_;
  void FlushUserDraws();

  // Ends the segment running since the last boundary and starts the next one (nothing while timing is off).
  void PassBoundary();
  void BeginQueries();
  void EndQueries();
  std::string DescribeTarget() const;
  bool passTiming_ = false;
  const char* passName_ = "";
  std::string passTarget_;
  std::chrono::steady_clock::time_point segmentStart_;
  uint64_t segmentDraws_ = 0, segmentRequests_ = 0;
  std::unordered_set<uint64_t> segmentSetUps_;
  // Books a GL draw call's set-up to the running segment (nothing while timing is off).
  void NoteSetUp(uint64_t vertexBuffer, uint64_t indexBuffer, GLenum mode, const Viewport& viewport,
                 const std::array<uint32_t, kRenderStateCount>& renderStates,
                 const std::array<std::array<uint32_t, kTextureStageStateCount>, kMaxTextureStages>& stageStates,
                 const std::array<BaseTexture*, kMaxTextureStages>& textures, uint32_t fvf, uint32_t stride);
  GLuint samplesQuery_ = 0;
  std::array<GLuint, 3> statisticsQueries_{};  // vertices, primitives, fragments
  bool statistics_ = false;
  std::vector<PassTime> passTimes_;
};

}  // namespace platform::gfx
