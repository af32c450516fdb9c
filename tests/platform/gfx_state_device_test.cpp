// Tests of the fixed-function state model: refusals, references and bounded draws.
#include "platform/gfx/state_device.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/gfx/null_graphics.h"

namespace platform::gfx {
namespace {

class StateDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PresentParameters p;
    p.backBufferFormat = Format::X8R8G8B8;
    p.backBufferWidth = 320;
    p.backBufferHeight = 240;
    ASSERT_EQ(system_.CreateDevice(0, DeviceType::Hal, 1, 0, p, &raw_), kOk);
  }
  void TearDown() override {
    if (raw_ != nullptr) raw_->Release();
  }
  Device& device() { return *raw_; }

  NullGraphicsSystem system_;
  Device* raw_ = nullptr;
};

TEST_F(StateDeviceTest, RefusesUnknownCodesAndBadValues) {
  uint32_t value = 0;
  Matrix4 m;
  EXPECT_EQ(device().SetRenderState(static_cast<RenderState>(5000), 0), kInvalidCall);
  EXPECT_EQ(device().GetRenderState(static_cast<RenderState>(172), value), kInvalidCall);
  EXPECT_EQ(device().SetTextureStageState(8, TextureStageState::ColorOp, 1), kInvalidCall);
  EXPECT_EQ(device().SetTextureStageState(0, static_cast<TextureStageState>(29), 1), kInvalidCall);
  EXPECT_EQ(device().SetTransform(static_cast<TransformState>(24), m), kInvalidCall);
  EXPECT_EQ(device().SetViewport(Viewport{0, 0, 10, 10, 0.5f, 0.25f}), kInvalidCall);
  EXPECT_EQ(device().SetClipPlane(kMaxClipPlanes, Plane{}), kInvalidCall);
  EXPECT_EQ(device().SetTexture(8, nullptr), kInvalidCall);
  Light light;
  light.direction = {0, 0, 0};  // a directional light needs a direction
  EXPECT_EQ(device().SetLight(0, light), kInvalidCall);
  light.type = LightType::Spot;
  light.direction = {0, 0, 1};
  light.range = 10;
  light.theta = 1.0f;
  light.phi = 0.5f;  // inner cone wider than outer
  EXPECT_EQ(device().SetLight(0, light), kInvalidCall);
  EXPECT_EQ(device().SetLight(kMaxLightIndex + 1, Light{}), kInvalidCall);
}

TEST_F(StateDeviceTest, BindingsHoldReferencesUntilReplaced) {
  Texture* texture = nullptr;
  ASSERT_EQ(device().CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), kOk);
  VertexBuffer* vertices = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(96, 0, fvf::kXyz, Pool::Managed, &vertices), kOk);
  IndexBuffer* indices = nullptr;
  ASSERT_EQ(device().CreateIndexBuffer(12, 0, Format::Index16, Pool::Managed, &indices), kOk);
  device().SetStreamSource(0, vertices, 12);
  device().SetIndices(indices, 4);
  EXPECT_EQ(vertices->References(), 2u);
  EXPECT_EQ(indices->References(), 2u);
  // Binding what is already bound changes nothing, the references included; a new stride or base still counts.
  device().SetStreamSource(0, vertices, 12);
  device().SetIndices(indices, 4);
  device().SetTexture(0, texture);
  device().SetTexture(0, texture);
  EXPECT_EQ(vertices->References(), 2u);
  EXPECT_EQ(indices->References(), 2u);
  EXPECT_EQ(texture->References(), 2u);
  device().SetStreamSource(0, vertices, 24);
  device().SetIndices(indices, 0);
  VertexBuffer* bound = nullptr;
  IndexBuffer* boundIndices = nullptr;
  uint32_t stride = 0, base = 9;
  ASSERT_EQ(device().GetStreamSource(0, &bound, stride), kOk);
  ASSERT_EQ(device().GetIndices(&boundIndices, base), kOk);
  EXPECT_EQ(stride, 24u);
  EXPECT_EQ(base, 0u);
  bound->Release();
  boundIndices->Release();
  EXPECT_EQ(vertices->References(), 2u);

  // A texture still bound when the device goes away is released with it.
  device().SetTexture(0, texture);
  raw_->Release();
  raw_ = nullptr;
  EXPECT_EQ(texture->References(), 1u);
  EXPECT_EQ(vertices->References(), 1u);
  EXPECT_EQ(indices->References(), 1u);
  texture->Release();
  vertices->Release();
  indices->Release();
}

TEST_F(StateDeviceTest, DrawsAreCheckedAgainstTheBoundBuffers) {
  VertexBuffer* vertices = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(12 * 6, 0, fvf::kXyz, Pool::Managed, &vertices), kOk);
  // No vertex format yet.
  device().SetStreamSource(0, vertices, 12);
  EXPECT_EQ(device().DrawPrimitive(PrimitiveType::TriangleList, 0, 1), kInvalidCall);
  device().SetVertexShader(fvf::kXyz);
  EXPECT_EQ(device().DrawPrimitive(PrimitiveType::TriangleList, 0, 2), kOk);
  EXPECT_EQ(device().DrawPrimitive(PrimitiveType::TriangleList, 1, 2), kInvalidCall);
  EXPECT_EQ(device().DrawPrimitive(PrimitiveType::TriangleList, 0, 0xFFFFFFFFu), kInvalidCall);
  // A stride shorter than the vertex is refused.
  device().SetStreamSource(0, vertices, 8);
  EXPECT_EQ(device().DrawPrimitive(PrimitiveType::TriangleList, 0, 1), kInvalidCall);
  device().SetStreamSource(0, vertices, 12);

  IndexBuffer* indices = nullptr;
  ASSERT_EQ(device().CreateIndexBuffer(6 * 2, 0, Format::Index16, Pool::Managed, &indices), kOk);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 6, 0, 2), kInvalidCall);  // none bound
  device().SetIndices(indices, 0);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 6, 0, 2), kOk);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 6, 3, 2), kInvalidCall);
  device().SetIndices(indices, 2);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 5, 0, 1), kInvalidCall);

  const uint16_t badIndices[3] = {0, 1, 9};
  const float points[3][3] = {};
  EXPECT_EQ(device().DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 0, 3, 1, badIndices, Format::Index16, points,
                                            12), kInvalidCall);
  EXPECT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleList, 1, nullptr, 12), kInvalidCall);
  vertices->Release();
  indices->Release();
}

TEST_F(StateDeviceTest, ArbitraryCallsWithArbitraryArgumentsNeverReadOutOfBounds) {
  std::minstd_rand random(12345);  // the same sequence on every run
  VertexBuffer* vertices = nullptr;
  IndexBuffer* indices = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(1024, 0, fvf::kXyz, Pool::Managed, &vertices), kOk);
  ASSERT_EQ(device().CreateIndexBuffer(256, 0, Format::Index16, Pool::Managed, &indices), kOk);
  uint8_t scratch[4096] = {};
  for (int i = 0; i < 20000; ++i) {
    const uint32_t a = random(), b = random(), c = random();
    switch (random() % 12) {
      case 0: device().SetRenderState(static_cast<RenderState>(a % 300), b); break;
      case 1: device().SetTextureStageState(a % 10, static_cast<TextureStageState>(b % 40), c); break;
      case 2: device().SetVertexShader(a & 0xFFFFFF); break;
      case 3: device().SetStreamSource(a % 20, (b & 1) ? vertices : nullptr, c % 64); break;
      case 4: device().SetIndices((a & 1) ? indices : nullptr, b % 100); break;
      case 5: device().DrawPrimitive(static_cast<PrimitiveType>(a % 8), b % 200, c % 200); break;
      case 6: device().DrawIndexedPrimitive(static_cast<PrimitiveType>(a % 8), b % 50, c % 90, a % 150, b % 100); break;
      case 7: device().DrawPrimitiveUP(static_cast<PrimitiveType>(a % 8), b % 30, scratch, 12 + c % 20); break;
      case 8: {
        // Index data the scratch block can hold: at most 600 16-bit indices.
        device().DrawIndexedPrimitiveUP(static_cast<PrimitiveType>(a % 8), b % 10, 1 + c % 40, a % 30, scratch,
                                        Format::Index16, scratch + 2048, 12);
        break;
      }
      case 9: {
        uint8_t* data = nullptr;
        if (Succeeded(vertices->Lock(a % 1100, b % 1100, &data, 0))) vertices->Unlock();
        break;
      }
      case 10: device().LightEnable(a % 5000, b & 1); break;
      case 11: {
        Light light;
        light.type = static_cast<LightType>(1 + a % 3);
        light.range = static_cast<float>(static_cast<int32_t>(b % 200) - 50);
        light.direction = {static_cast<float>(c % 3), 0, 0};
        light.theta = static_cast<float>(a % 4);
        light.phi = static_cast<float>(b % 4);
        device().SetLight(c % 5000, light);
        break;
      }
    }
  }
  // Every binding made along the way gave its reference back: unbound, the buffers hold only ours.
  device().SetIndices(nullptr, 0);
  for (uint32_t stream = 0; stream < kMaxStreams; ++stream) device().SetStreamSource(stream, nullptr, 0);
  EXPECT_EQ(vertices->Release(), 0u);
  EXPECT_EQ(indices->Release(), 0u);
  // The state kept its shape: defaults the sequence never touched read back unchanged.
  Viewport viewport;
  device().GetViewport(viewport);
  EXPECT_EQ(viewport, (Viewport{0, 0, 320, 240, 0.0f, 1.0f}));
}

}  // namespace
}  // namespace platform::gfx
