// The fixed-function state every device keeps (transforms, render and texture-stage states, lights, material,
// clip planes, bindings) and the device base that stores and validates it, shared by the null and OpenGL devices.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/gfx/graphics.h"
#include "platform/gfx/memory_resources.h"

namespace platform::gfx {

constexpr uint32_t kMaxStreams = 16;
// Light indices above this are refused, so a stray index cannot grow the light table without bound.
constexpr uint32_t kMaxLightIndex = 4095;

// Kinds of state, as backends track their changes.
enum class StateGroup : uint8_t { Viewport, Transform, Render, Stage, Texture, Material, Light, ClipPlane, Stream, Fvf, All };
constexpr size_t kStateGroupCount = static_cast<size_t>(StateGroup::All);

struct LightSlot {
  Light light;
  bool enabled = false;
};

struct StreamBinding {
  VertexBuffer* buffer = nullptr;
  uint32_t stride = 0;
};

// The whole state model. Pointers are references the owning StateDevice holds.
struct DeviceState {
  Viewport viewport;
  Matrix4 view, projection;
  std::array<Matrix4, 4> world;
  std::array<Matrix4, kMaxTextureStages> texture;
  std::array<uint32_t, kRenderStateCount> renderStates{};
  std::array<std::array<uint32_t, kTextureStageStateCount>, kMaxTextureStages> stageStates{};
  std::array<BaseTexture*, kMaxTextureStages> textures{};
  Material material;
  std::map<uint32_t, LightSlot> lights;
  std::array<Plane, kMaxClipPlanes> clipPlanes{};
  std::array<StreamBinding, kMaxStreams> streams{};
  IndexBuffer* indices = nullptr;
  uint32_t baseVertexIndex = 0;
  uint32_t fvf = 0;

  uint32_t Render(RenderState state) const { return renderStates[static_cast<uint32_t>(state)]; }
  uint32_t Stage(uint32_t stage, TextureStageState state) const { return stageStates[stage][static_cast<uint32_t>(state)]; }
  float RenderFloat(RenderState state) const { return BitsFloat(Render(state)); }
};

Matrix4 IdentityMatrix();

// True for the render-state codes the device knows.
bool IsKnownRenderState(uint32_t code);

// Default value of a render state; depthEnabled is whether the device has an automatic depth buffer.
uint32_t DefaultRenderState(RenderState state, bool depthEnabled);

// A device that keeps the whole fixed-function state; backends add presentation, resources and drawing.
class StateDevice : public Device {
 public:
  HResult SetViewport(const Viewport& viewport) override;
  HResult GetViewport(Viewport& viewport) const override;
  HResult SetTransform(TransformState state, const Matrix4& matrix) override;
  HResult GetTransform(TransformState state, Matrix4& matrix) const override;
  HResult SetRenderState(RenderState state, StateValue value) override;
  HResult GetRenderState(RenderState state, uint32_t& value) const override;
  HResult SetTextureStageState(uint32_t stage, TextureStageState state, StateValue value) override;
  HResult GetTextureStageState(uint32_t stage, TextureStageState state, uint32_t& value) const override;
  HResult SetTexture(uint32_t stage, BaseTexture* texture) override;
  HResult GetTexture(uint32_t stage, BaseTexture** texture) const override;
  HResult SetMaterial(const Material& material) override;
  HResult GetMaterial(Material& material) const override;
  HResult SetLight(uint32_t index, const Light& light) override;
  HResult GetLight(uint32_t index, Light& light) const override;
  HResult LightEnable(uint32_t index, bool enable) override;
  HResult GetLightEnable(uint32_t index, bool& enable) const override;
  HResult SetClipPlane(uint32_t index, const Plane& plane) override;
  HResult SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) override;
  HResult GetStreamSource(uint32_t stream, VertexBuffer** buffer, uint32_t& stride) const override;
  HResult SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex) override;
  HResult GetIndices(IndexBuffer** buffer, uint32_t& baseVertexIndex) const override;
  HResult SetVertexShader(uint32_t fvfCode) override;
  HResult ValidateDevice(uint32_t& numPasses) override;

  const DeviceState& State() const { return state_; }

 protected:
  StateDevice();
  ~StateDevice() override;

  // Returns every state to its default and drops every binding; the viewport covers width x height.
  void ResetState(uint32_t width, uint32_t height, bool depthEnabled);
  // The capabilities ValidateDevice and the light limit check against; set by the backend.
  Caps caps_;
  std::shared_ptr<ResourceTally> tally_ = std::make_shared<ResourceTally>();

  // Checks a draw from the bound streams: vertex format set, stream 0 bound and large enough.
  // Returns kOk with vertexCount 0 for an empty draw.
  HResult CheckStreamDraw(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount, uint32_t& vertexCount) const;
  // Checks an indexed draw: index buffer bound, indices in range; vertex range checked against stream 0.
  HResult CheckIndexedDraw(PrimitiveType type, uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                           uint32_t primitiveCount, uint32_t& indexCount) const;
  // Checks a user-pointer draw.
  HResult CheckUserDraw(PrimitiveType type, uint32_t primitiveCount, const void* vertexData, uint32_t stride,
                        uint32_t& vertexCount) const;
  // Called after each state change with the kind of state, for backends that track what changed.
  virtual void OnStateChanged(StateGroup /*group*/) {}

 private:
  DeviceState state_;
  void ReleaseBindings();
};

// Argument checks of resource creation shared by the null and OpenGL devices; levels 0 becomes the full chain.
HResult CheckTextureArguments(uint32_t width, uint32_t height, uint32_t& levels, uint32_t usage, Format format,
                              Pool pool);
HResult CheckBufferArguments(uint32_t length, Pool pool);
// Hands a device-held surface to the caller with a reference added: kInvalidCall for a null out pointer,
// kNotAvailable (and *out null) when the device holds none.
HResult ShareSurface(Surface* held, Surface** out);
// The checks and description of a requested vertex or index buffer: clears *buffer first, then kInvalidCall for a
// null out pointer or bad arguments, otherwise kOk with desc filled in for the device to create the buffer from.
HResult VertexBufferRequest(uint32_t length, uint32_t usage, uint32_t fvfCode, Pool pool, VertexBuffer** buffer,
                            VertexBufferDesc& desc);
HResult IndexBufferRequest(uint32_t length, uint32_t usage, Format format, Pool pool, IndexBuffer** buffer,
                           IndexBufferDesc& desc);

}  // namespace platform::gfx
