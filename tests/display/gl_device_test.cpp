// The OpenGL device on a real (virtual) display: transformed drawing and pixel centres, depth, buffers, resets,
// presentation, validation, program caching and resource lifetimes, checked on read-back pixels.
#include <algorithm>
#include <cstring>
#include <functional>

#include "gl_fixture.h"
#include "platform/math/math.h"

namespace platform::gfx::testing {
namespace {

TEST_F(GlDeviceTest, TransformedVerticesFollowTheClassicAxes) {
  device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0, 1.0f, 0);
  device().SetRenderState(RenderState::Lighting, false);
  device().SetRenderState(RenderState::CullMode, CullMode::None);
  // Identity transforms: clip space is the vertex space; +y is the top of the target.
  const ColorVertex top[4] = {{-1, 1, 0.5f, Argb(255, 0, 255, 0)},
                              {1, 1, 0.5f, Argb(255, 0, 255, 0)},
                              {-1, 0, 0.5f, Argb(255, 0, 255, 0)},
                              {1, 0, 0.5f, Argb(255, 0, 255, 0)}};
  device().SetVertexShader(kColorFvf);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, top, sizeof(ColorVertex)), kOk);
  EXPECT_COLOR_NEAR(Pixel(5, 2), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(5, 61), Argb(255, 0, 0, 0), 0);

  // A world translation moves it right by half the target (x +1 in clip space) and view-scale 0.5 shrinks it.
  Matrix4 world;
  for (int i = 0; i < 4; ++i) world.m[i][i] = 1;
  world.m[3][0] = 1;
  Matrix4 view;
  for (int i = 0; i < 4; ++i) view.m[i][i] = i < 2 ? 0.5f : 1.0f;
  device().SetTransform(TransformState::World, world);
  device().SetTransform(TransformState::View, view);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, top, sizeof(ColorVertex)), kOk);
  // x from (−1+1)·0.5 = 0 to (1+1)·0.5 = 1, y from 0 to 0.5: the upper-right quarter's lower half.
  EXPECT_COLOR_NEAR(Pixel(40, 20), Argb(255, 0, 255, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(20, 20), Argb(255, 0, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(40, 10), Argb(255, 0, 0, 0), 0);
}

TEST_F(GlDeviceTest, DepthIsZeroToOneAndTestedWithTheComparison) {
  device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0, 1.0f, 0);
  device().SetRenderState(RenderState::Lighting, false);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 255, 0, 0), 0.2f);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 0, 255, 0), 0.8f);  // behind: hidden with LESSEQUAL
  EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 255, 0, 0), 0);
  device().SetRenderState(RenderState::ZFunc, CompareFunc::Greater);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 0, 0, 255), 0.9f);
  EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 0, 0, 255), 0);
  // Without depth writes the buffer keeps 0.9: a 0.95 quad still passes GREATER... and 0.85 does not.
  device().SetRenderState(RenderState::ZWriteEnable, false);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 255, 255, 0), 0.95f);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 0, 255, 255), 0.85f);
  EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 255, 255, 0), 0);
  // Depth off draws whatever the depth.
  device().SetRenderState(RenderState::ZEnable, false);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 10, 20, 30), 0.0f);
  EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 10, 20, 30), 0);
  // Clearing depth to 0.5 hides a quad at 0.6 under LESSEQUAL.
  device().SetRenderState(RenderState::ZEnable, true);
  device().SetRenderState(RenderState::ZFunc, CompareFunc::LessEqual);
  device().Clear(clear_flags::kZBuffer, 0, 0.5f, 0);
  DrawScreenRect(0, 0, 32, 32, Argb(255, 99, 99, 99), 0.6f);
  EXPECT_COLOR_NEAR(Pixel(10, 10), Argb(255, 10, 20, 30), 0);
}

TEST_F(GlDeviceTest, BuffersDrawPlainAndIndexedAndRefuseOutOfRangeIndices) {
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  device().SetRenderState(RenderState::Lighting, false);
  device().SetRenderState(RenderState::CullMode, CullMode::None);
  VertexBuffer* vertices = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(8 * sizeof(ScreenVertex), usage::kWriteOnly | usage::kDynamic, kScreenFvf,
                                        Pool::Default, &vertices), kOk);
  uint8_t* data = nullptr;
  ASSERT_EQ(vertices->Lock(0, 0, &data, lock_flags::kDiscard), kOk);
  const ScreenVertex quads[8] = {
      {-0.5f, -0.5f, 0.5f, 1, Argb(255, 255, 0, 0)}, {31.5f, -0.5f, 0.5f, 1, Argb(255, 255, 0, 0)},
      {-0.5f, 31.5f, 0.5f, 1, Argb(255, 255, 0, 0)}, {31.5f, 31.5f, 0.5f, 1, Argb(255, 255, 0, 0)},
      {31.5f, 31.5f, 0.5f, 1, Argb(255, 0, 255, 0)}, {63.5f, 31.5f, 0.5f, 1, Argb(255, 0, 255, 0)},
      {31.5f, 63.5f, 0.5f, 1, Argb(255, 0, 255, 0)}, {63.5f, 63.5f, 0.5f, 1, Argb(255, 0, 255, 0)}};
  std::memcpy(data, quads, sizeof(quads));
  ASSERT_EQ(vertices->Unlock(), kOk);
  device().SetVertexShader(kScreenFvf);
  device().SetStreamSource(0, vertices, sizeof(ScreenVertex));
  ASSERT_EQ(device().DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2), kOk);
  EXPECT_COLOR_NEAR(Pixel(5, 5), Argb(255, 255, 0, 0), 0);
  EXPECT_COLOR_NEAR(Pixel(40, 40), Argb(255, 0, 0, 0), 0);

  IndexBuffer* indices = nullptr;
  ASSERT_EQ(device().CreateIndexBuffer(6 * 2, usage::kWriteOnly, Format::Index16, Pool::Managed, &indices), kOk);
  ASSERT_EQ(indices->Lock(0, 0, &data, 0), kOk);
  const uint16_t list[6] = {0, 1, 2, 1, 3, 2};
  std::memcpy(data, list, sizeof(list));
  indices->Unlock();
  // The base vertex index moves the indices onto the second quad.
  device().SetIndices(indices, 4);
  ASSERT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), kOk);
  EXPECT_COLOR_NEAR(Pixel(40, 40), Argb(255, 0, 255, 0), 0);

  // An index beyond the vertex buffer is refused instead of read past its end.
  ASSERT_EQ(indices->Lock(0, 2, &data, 0), kOk);
  const uint16_t far = 9;
  std::memcpy(data, &far, 2);
  indices->Unlock();
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), kInvalidCall);

  // In a long buffer, as parts sharing one hold, a stray index far along is refused where a draw reads it and
  // does not stop draws from elsewhere in the buffer.
  IndexBuffer* shared = nullptr;
  ASSERT_EQ(device().CreateIndexBuffer(200 * 2, usage::kWriteOnly, Format::Index16, Pool::Managed, &shared), kOk);
  ASSERT_EQ(shared->Lock(0, 0, &data, 0), kOk);
  std::memcpy(data, list, sizeof(list));
  std::memcpy(data + 130 * 2, &far, 2);
  shared->Unlock();
  device().SetIndices(shared, 4);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), kOk);
  EXPECT_COLOR_NEAR(Pixel(40, 40), Argb(255, 0, 255, 0), 0);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 126, 2), kInvalidCall);
  EXPECT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 132, 2), kOk) << "zeros past it";
  device().SetIndices(indices, 4);
  shared->Release();

  // A no-overwrite lock changes part of the buffer and the next draw sees it.
  ASSERT_EQ(vertices->Lock(0, 4 * sizeof(ScreenVertex), &data, lock_flags::kNoOverwrite), kOk);
  for (int i = 0; i < 4; ++i) reinterpret_cast<ScreenVertex*>(data)[i].color = Argb(255, 0, 0, 255);
  vertices->Unlock();
  ASSERT_EQ(device().DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2), kOk);
  EXPECT_COLOR_NEAR(Pixel(5, 5), Argb(255, 0, 0, 255), 0);

  // Zero primitives draw nothing and succeed.
  EXPECT_EQ(device().DrawPrimitive(PrimitiveType::TriangleList, 0, 0), kOk);

  device().SetStreamSource(0, nullptr, 0);
  device().SetIndices(nullptr, 0);
  vertices->Release();
  indices->Release();
}

TEST_F(GlDeviceTest, ResetResizesRestoresDefaultsAndRefusesATooLargeBackBuffer) {
  ASSERT_EQ(device().BeginScene(), kOk);
  EXPECT_EQ(device().Present(), kInvalidCall);  // not inside a scene
  ASSERT_EQ(device().EndScene(), kOk);
  EXPECT_EQ(device().Present(), kOk);
  PresentParameters parameters;
  parameters.backBufferWidth = 1u << 20;
  parameters.backBufferHeight = 16;
  parameters.backBufferFormat = Format::X8R8G8B8;
  parameters.autoDepthStencilFormat = Format::D24S8;
  EXPECT_EQ(device().Reset(parameters), kInvalidCall);
  // A sound reset afterwards gives a working device of the new size with its states back to defaults.
  parameters.backBufferWidth = 32;
  device().SetRenderState(RenderState::Lighting, false);
  ASSERT_EQ(device().Reset(parameters), kOk);
  SurfaceDesc desc;
  device().GetBackBufferDesc(desc);
  EXPECT_EQ(desc.width, 32u);
  EXPECT_EQ(desc.height, 16u);
  uint32_t lighting = 0;
  device().GetRenderState(RenderState::Lighting, lighting);
  EXPECT_EQ(lighting, 1u);
  Viewport viewport;
  device().GetViewport(viewport);
  EXPECT_EQ(viewport.width, 32u);
  device().SetRenderState(RenderState::Lighting, false);
  device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0, 1.0f, 0);
  DrawScreenRect(0, 0, 16, 16, Argb(255, 7, 8, 9));
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 7, 8, 9), 0);
  EXPECT_COLOR_NEAR(Pixel(20, 8), Argb(255, 0, 0, 0), 0);
}

TEST_F(GlDeviceTest, PresentShowsTheBackBufferUprightInTheWindow) {
  // A window of the back buffer's size, single-sampled and multisampled (resolved on the way to the window).
  for (const uint32_t samples : {0u, 2u}) {
    SCOPED_TRACE(samples);
    PresentParameters parameters = WindowedParameters();
    parameters.multiSampleType = samples;
    parameters.presentationInterval = present_interval::kImmediate;
    ASSERT_EQ(device().Reset(parameters), kOk);
    device().SetRenderState(RenderState::Lighting, false);
    device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, Argb(255, 0, 0, 255), 1.0f, 0);
    ASSERT_EQ(device().BeginScene(), kOk);
    DrawScreenRect(0, 0, kSize / 2, kSize / 4, Argb(255, 255, 0, 0));  // top-left
    DrawScreenRect(kSize / 2, kSize * 3 / 4, kSize, kSize, Argb(255, 0, 255, 0));  // bottom-right
    ASSERT_EQ(device().EndScene(), kOk);
    ASSERT_EQ(device().Present(), kOk);
    const struct {
      uint32_t x, y, color;
    } expected[] = {{4, 4, Argb(255, 255, 0, 0)},
                    {kSize - 4, kSize - 4, Argb(255, 0, 255, 0)},
                    {kSize - 4, 4, Argb(255, 0, 0, 255)},
                    {4, kSize - 4, Argb(255, 0, 0, 255)}};
    for (const auto& at : expected) {
      EXPECT_COLOR_NEAR(gl().ReadWindowPixel(at.x, at.y) | 0xFF000000u, at.color, 0) << at.x << "," << at.y;
    }
  }
}

TEST_F(GlDeviceTest, ValidateRefusesWhatTheProgramsCannotDraw) {
  uint32_t passes = 0;
  EXPECT_EQ(device().ValidateDevice(passes), kOk);
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::BumpEnvMap);
  EXPECT_EQ(device().ValidateDevice(passes), kUnsupportedColorOperation);
  device().SetTextureStageState(0, TextureStageState::ColorOp, TextureOp::DotProduct3);
  device().SetTextureStageState(1, TextureStageState::ColorOp, TextureOp::ModulateAlphaAddColor);
  device().SetTextureStageState(1, TextureStageState::TexCoordIndex, texcoord_index::kCameraSpaceReflectionVector);
  EXPECT_EQ(device().ValidateDevice(passes), kOk);
  EXPECT_EQ(passes, 1u);
}

TEST_F(GlDeviceTest, ProgramsAreBuiltOncePerKeyAndKeptAcrossValueChanges) {
  device().SetRenderState(RenderState::Lighting, false);
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  DrawScreenRect(0, 0, 8, 8, Argb(255, 1, 2, 3));
  const GlDevice::Counters first = gl().GetCounters();
  // Uniform values and GL states change; the program does not.
  for (int i = 0; i < 5; ++i) {
    device().SetRenderState(RenderState::TextureFactor, Argb(255, i, i, i));
    device().SetRenderState(RenderState::AlphaBlendEnable, i % 2 == 0);
    device().SetRenderState(RenderState::ZFunc, i % 2 == 0 ? CompareFunc::Less : CompareFunc::Always);
    DrawScreenRect(0, 0, 8, 8, Argb(255, 1, 2, 3));
  }
  EXPECT_EQ(gl().GetCounters().programSwitches, first.programSwitches);
  EXPECT_EQ(gl().GetCounters().programsBuilt, first.programsBuilt);
  EXPECT_EQ(gl().GetCounters().draws, first.draws + 5);
  // Two set-ups alternating build two programs once and then only switch.
  device().SetRenderState(RenderState::AlphaFunc, CompareFunc::Greater);
  for (int i = 0; i < 4; ++i) {
    device().SetRenderState(RenderState::AlphaTestEnable, i % 2 == 0);
    DrawScreenRect(0, 0, 8, 8, Argb(255, 1, 2, 3));
  }
  EXPECT_EQ(gl().GetCounters().programsBuilt, first.programsBuilt + 1);
  EXPECT_EQ(gl().GetCounters().programSwitches, first.programSwitches + 4);
  EXPECT_EQ(gl().CachedPrograms(), first.programsBuilt + 1);
}

TEST_F(GlDeviceTest, ResourcesOutlivingTheDeviceAreReleasedSafely) {
  Texture* texture = MakeSolidTexture(Argb(255, 9, 9, 9));
  VertexBuffer* buffer = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(64, 0, kScreenFvf, Pool::Managed, &buffer), kOk);
  device().SetTexture(0, texture);
  device_->Release();
  device_ = nullptr;
  // The context is gone: releasing must not touch GL.
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(GlDeviceTest, TransformedPixelCentresSitOnIntegerScreenCoordinates) {
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  device().SetRenderState(RenderState::Lighting, false);
  device().SetRenderState(RenderState::CullMode, CullMode::None);
  // Right edge at screen x 10.25, bottom edge at screen y 5.25: pixel centres 0..10 and rows 0..5 are inside.
  const float right = -1.0f + 2.0f * 10.25f / 64.0f;
  const float bottom = 1.0f - 2.0f * 5.25f / 64.0f;
  const uint32_t color = Argb(255, 255, 255, 255);
  const ColorVertex quad[4] = {{-1, 1, 0.5f, color}, {right, 1, 0.5f, color}, {-1, bottom, 0.5f, color},
                               {right, bottom, 0.5f, color}};
  device().SetVertexShader(kColorFvf);
  ASSERT_EQ(device().DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, quad, sizeof(ColorVertex)), kOk);
  EXPECT_EQ(Red(Pixel(10, 2)), 255);
  EXPECT_EQ(Red(Pixel(11, 2)), 0);
  EXPECT_EQ(Red(Pixel(2, 5)), 255);
  EXPECT_EQ(Red(Pixel(2, 6)), 0);
}

TEST_F(GlDeviceTest, ADeviceReleasedAfterANewOneLeavesTheNewOneDrawing) {
  // The framework may create the replacement device before the old one is gone.
  const WindowHandle second = windows_->CreateWindow(
      "Corsaire second", window_style::kWindowed, 32, 32,
      [this](WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
        return windows_->DefWindowProc(window, message, wParam, lParam);
      });
  ASSERT_NE(second, 0u);
  PresentParameters parameters;
  parameters.backBufferWidth = 32;
  parameters.backBufferHeight = 32;
  parameters.backBufferFormat = Format::X8R8G8B8;
  parameters.deviceWindow = second;
  Device* replacement = nullptr;
  ASSERT_EQ(system_->CreateDevice(0, DeviceType::Hal, second, 0, parameters, &replacement), kOk);
  device_->Release();
  device_ = replacement;
  device().SetRenderState(RenderState::Lighting, false);
  device().Clear(clear_flags::kTarget | clear_flags::kZBuffer, 0, 1.0f, 0);
  DrawScreenRect(0, 0, 16, 16, Argb(255, 0, 200, 0));
  EXPECT_COLOR_NEAR(Pixel(8, 8), Argb(255, 0, 200, 0), 0);
  EXPECT_EQ(device().Present(), kOk);
  device_->Release();
  device_ = nullptr;
  windows_->DestroyWindow(second);
}

TEST_F(GlDeviceTest, ANewTextureInTheNameOfADeletedOneIsBoundAfresh) {
  device().SetRenderState(RenderState::Lighting, false);
  Texture* first = MakeSolidTexture(Argb(255, 255, 0, 0));
  device().SetTexture(0, first);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, 255, 0, 0), 0);
  device().SetTexture(0, nullptr);
  first->Release();  // GL may hand its name to the next texture
  Texture* second = MakeSolidTexture(Argb(255, 0, 0, 255));
  device().SetTexture(0, second);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, 0, 0, 255), 0);
  // Sampler settings follow the stage even when the texture stays.
  device().SetTextureStageState(0, TextureStageState::AddressU, TextureAddress::Clamp);
  DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  EXPECT_COLOR_NEAR(Pixel(32, 32), Argb(255, 0, 0, 255), 0);
  device().SetTexture(0, nullptr);
  second->Release();
}

// Indexed draws in a row under the same state reach GL as one call; whatever else reaches GL in between (a state
// that really differs, a buffer rewrite, a clear) sends the held draws first, so each draw shows what it was given.
TEST_F(GlDeviceTest, DrawsInARowUnderOneStateGoAsOneCallAndKeepTheirOwnPicture) {
  const uint32_t red = Argb(255, 255, 0, 0), green = Argb(255, 0, 255, 0), blue = Argb(255, 0, 0, 255);
  const uint32_t ground = Argb(255, 0, 0, 64);
  const uint32_t colors[4] = {red, green, red, green};
  VertexBuffer* vertices = nullptr;
  IndexBuffer* indices = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(16 * sizeof(ScreenVertex), usage::kWriteOnly, kScreenFvf, Pool::Managed,
                                        &vertices), kOk);
  ASSERT_EQ(device().CreateIndexBuffer(24 * 2, usage::kWriteOnly, Format::Index16, Pool::Managed, &indices), kOk);
  // Four quads side by side, 16 pixels wide each.
  auto writeQuad = [&](int quad, uint32_t color) {
    uint8_t* data = nullptr;
    ASSERT_EQ(vertices->Lock(static_cast<uint32_t>(quad * 4 * sizeof(ScreenVertex)), 4 * sizeof(ScreenVertex), &data, 0),
              kOk);
    const float l = static_cast<float>(quad * 16) - 0.5f, r = l + 16.0f;
    const ScreenVertex corners[4] = {{l, -0.5f, 0.5f, 1, color}, {r, -0.5f, 0.5f, 1, color},
                                     {l, 63.5f, 0.5f, 1, color}, {r, 63.5f, 0.5f, 1, color}};
    std::memcpy(data, corners, sizeof(corners));
    vertices->Unlock();
  };
  uint8_t* data = nullptr;
  ASSERT_EQ(indices->Lock(0, 0, &data, 0), kOk);
  for (uint16_t quad = 0; quad < 4; ++quad) {
    const uint16_t b = static_cast<uint16_t>(quad * 4);
    const uint16_t list[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                              static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 3), static_cast<uint16_t>(b + 2)};
    std::memcpy(data + quad * sizeof(list), list, sizeof(list));
  }
  indices->Unlock();

  Texture* texture = MakeSolidTexture(blue);
  struct Case {
    const char* name;
    std::function<void(int quad)> before;  // runs before each quad's draw but the first
    uint64_t glDraws;
    uint32_t expected[4];
    // Each quad drawn with the first quad's indices from its own base vertex, as parts sharing buffers draw.
    bool ownBaseVertex = false;
  };
  const Case cases[] = {
      {"nothing between", [](int) {}, 1, {red, green, red, green}},
      {"states set and set back",
       [&](int) {
         device().SetRenderState(RenderState::AlphaBlendEnable, true);
         device().SetTexture(0, texture);
         device().SetRenderState(RenderState::AlphaBlendEnable, false);
         device().SetTexture(0, nullptr);
         device().SetRenderState(RenderState::CullMode, CullMode::None);
       },
       1, {red, green, red, green}},
      {"blending switched on for every second quad",
       [&](int quad) {
         device().SetRenderState(RenderState::AlphaBlendEnable, quad % 2 == 1);
         device().SetRenderState(RenderState::SrcBlend, Blend::One);
         device().SetRenderState(RenderState::DestBlend, Blend::One);
       },
       4, {red, Argb(255, 0, 255, 64), red, Argb(255, 0, 255, 64)}},
      {"the first quad's vertices rewritten after its draw", [&](int quad) { if (quad == 1) writeQuad(0, blue); }, 2,
       {red, green, red, green}},
      {"a clear before the third quad",
       [&](int quad) { if (quad == 2) device().Clear(clear_flags::kTarget, ground, 1.0f, 0); }, 2,
       {ground, ground, red, green}},
      {"each quad from its own base vertex", [](int) {}, 1, {red, green, red, green}, true},
  };
  device().SetRenderState(RenderState::Lighting, false);
  device().SetRenderState(RenderState::CullMode, CullMode::None);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int quad = 0; quad < 4; ++quad) writeQuad(quad, colors[quad]);
    device().SetRenderState(RenderState::AlphaBlendEnable, false);
    device().SetTexture(0, nullptr);
    device().SetVertexShader(kScreenFvf);
    device().SetStreamSource(0, vertices, sizeof(ScreenVertex));
    device().SetIndices(indices, 0);
    device().Clear(clear_flags::kTarget, ground, 1.0f, 0);
    const GlDevice::Counters before = gl().GetCounters();
    for (int quad = 0; quad < 4; ++quad) {
      if (quad > 0) c.before(quad);
      if (c.ownBaseVertex) {
        device().SetIndices(indices, static_cast<uint32_t>(quad * 4));
        ASSERT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 4, 0, 2), kOk);
      } else {
        ASSERT_EQ(device().DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, 16, static_cast<uint32_t>(quad * 6), 2),
                  kOk);
      }
    }
    for (int quad = 0; quad < 4; ++quad) EXPECT_COLOR_NEAR(Pixel(static_cast<uint32_t>(quad * 16 + 8), 32), c.expected[quad], 0);
    EXPECT_EQ(gl().GetCounters().draws - before.draws, 4u);
    EXPECT_EQ(gl().GetCounters().glDraws - before.glDraws, c.glDraws);
  }
  device().SetStreamSource(0, nullptr, 0);
  device().SetIndices(nullptr, 0);
  device().SetTexture(0, nullptr);
  vertices->Release();
  indices->Release();
  texture->Release();
}

TEST_F(GlDeviceTest, DrawsFromMemoryInARowGoAsOneListAlsoWhenOnlyTheirPlacementDiffers) {
  const uint32_t colors[4] = {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255),
                              Argb(255, 255, 255, 255)};
  struct Case {
    const char* name;
    PrimitiveType type;
    bool placedByView;  // every quad drawn at the first one's place and moved by its own view
    bool clipPlane;     // a clip plane on, which works in world space: no carrying into view space
    uint64_t glDraws;
  };
  const Case cases[] = {
      {"fans under one state", PrimitiveType::TriangleFan, false, false, 1},
      {"strips under one state", PrimitiveType::TriangleStrip, false, false, 1},
      {"placed fans with a clip plane on", PrimitiveType::TriangleFan, true, true, 4},
      {"fans each placed by its own view", PrimitiveType::TriangleFan, true, false, 1},
  };
  device().SetRenderState(RenderState::Lighting, false);
  device().SetRenderState(RenderState::CullMode, CullMode::None);
  device().SetVertexShader(kColorFvf);
  device().SetClipPlane(0, Plane{0, 0, 0, 1});  // keeps everything
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device().SetRenderState(RenderState::ClipPlaneEnable, c.clipPlane ? 1u : 0u);
    device().SetTransform(TransformState::View, IdentityMatrix());
    device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
    const GlDevice::Counters before = gl().GetCounters();
    // Four quads side by side, a quarter of the target wide each.
    for (int quad = 0; quad < 4; ++quad) {
      const float shift = 0.5f * static_cast<float>(quad);
      const float l = -1.0f + (c.placedByView ? 0.0f : shift), r = l + 0.5f;
      if (c.placedByView) device().SetTransform(TransformState::View, platform::TranslationMatrix(Vec3{shift, 0, 0}));
      const uint32_t color = colors[quad];
      const ColorVertex fan[4] = {{l, 1, 0.5f, color}, {r, 1, 0.5f, color}, {r, -1, 0.5f, color}, {l, -1, 0.5f, color}};
      const ColorVertex strip[4] = {{l, 1, 0.5f, color}, {r, 1, 0.5f, color}, {l, -1, 0.5f, color}, {r, -1, 0.5f, color}};
      ASSERT_EQ(device().DrawPrimitiveUP(c.type, 2, c.type == PrimitiveType::TriangleFan ? fan : strip,
                                         sizeof(ColorVertex)),
                kOk);
    }
    for (int quad = 0; quad < 4; ++quad) {
      EXPECT_COLOR_NEAR(Pixel(static_cast<uint32_t>(quad * 16 + 8), 32), colors[quad], 0) << "quad " << quad;
      EXPECT_COLOR_NEAR(Pixel(static_cast<uint32_t>(quad * 16 + 2), 5), colors[quad], 0) << "quad " << quad;
    }
    EXPECT_EQ(gl().GetCounters().draws - before.draws, 4u);
    EXPECT_EQ(gl().GetCounters().glDraws - before.glDraws, c.glDraws);
  }
  // A draw after the placed row, under the view of its last quad, gets that view again, not the row's identity.
  device().Clear(clear_flags::kTarget, 0, 1.0f, 0);
  const ColorVertex left[4] = {{-1, 1, 0.5f, colors[1]}, {-0.5f, 1, 0.5f, colors[1]}, {-1, -1, 0.5f, colors[1]},
                               {-0.5f, -1, 0.5f, colors[1]}};
  VertexBuffer* buffer = nullptr;
  ASSERT_EQ(device().CreateVertexBuffer(sizeof(left), usage::kWriteOnly, kColorFvf, Pool::Managed, &buffer), kOk);
  uint8_t* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, 0), kOk);
  std::memcpy(data, left, sizeof(left));
  buffer->Unlock();
  device().SetStreamSource(0, buffer, sizeof(ColorVertex));
  ASSERT_EQ(device().DrawPrimitive(PrimitiveType::TriangleStrip, 0, 2), kOk);
  EXPECT_COLOR_NEAR(Pixel(56, 32), colors[1], 0);
  EXPECT_COLOR_NEAR(Pixel(8, 32), Argb(255, 0, 0, 0), 0);
  device().SetStreamSource(0, nullptr, 0);
  device().SetTransform(TransformState::View, IdentityMatrix());
  device().SetRenderState(RenderState::ClipPlaneEnable, 0u);
  buffer->Release();
}

}  // namespace
}  // namespace platform::gfx::testing

namespace platform::gfx::testing {
namespace {

// With pass timing on, each pass books its GL draw calls and how many distinct set-ups (buffers, textures, render
// and stage states) they had: draws apart only in their transforms share a set-up, any real state change does not.
// Draws from memory in a row under one state go as one call.
TEST_F(GlDeviceTest, PassTimingCountsTheDistinctSetUpsOfEachPassApartFromItsCalls) {
  Texture* first = MakeSolidTexture(Argb(255, 255, 0, 0));
  Texture* second = MakeSolidTexture(Argb(255, 0, 0, 255));
  struct Case {
    const char* name;
    std::function<void(int rect)> before;  // runs before each of the four rectangles
    uint64_t draws, setUps;
  };
  const Case cases[] = {
      {"one texture, a new world matrix each", [&](int rect) {
         device().SetTexture(0, first);
         device().SetTransform(TransformState::World, platform::TranslationMatrix(Vec3{static_cast<float>(rect), 0, 0}));
       }, 4, 1},
      {"two textures taking turns", [&](int rect) { device().SetTexture(0, rect % 2 == 0 ? first : second); }, 4, 2},
      {"blending switched on for the last",
       [&](int rect) {
         device().SetTexture(0, first);
         device().SetRenderState(RenderState::AlphaBlendEnable, rect == 3);
       }, 2, 2},
      {"a texture stage state changed and set back",
       [&](int rect) {
         device().SetTexture(0, first);
         device().SetTextureStageState(0, TextureStageState::AddressU,
                                       rect == 1 ? TextureAddress::Clamp : TextureAddress::Wrap);
       }, 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gl().SetPassTiming(true);
    gl().ClearPassTimes();
    gl().MarkPass("drawing");
    for (int rect = 0; rect < 4; ++rect) {
      c.before(rect);
      DrawScreenTexRect(static_cast<float>(rect * 16), 0, static_cast<float>(rect * 16 + 16), 64, 0xFFFFFFFF);
    }
    gl().MarkPass("after");
    gl().SetPassTiming(false);
    device().SetRenderState(RenderState::AlphaBlendEnable, false);
    device().SetTextureStageState(0, TextureStageState::AddressU, TextureAddress::Wrap);
    device().SetTransform(TransformState::World, platform::IdentityMatrix());
    const auto& times = gl().PassTimes();
    const auto drawing = std::find_if(times.begin(), times.end(),
                                      [](const GlDevice::PassTime& time) { return time.pass == "drawing"; });
    ASSERT_NE(drawing, times.end());
    EXPECT_EQ(drawing->draws, c.draws);
    EXPECT_EQ(drawing->setUps, c.setUps);
  }
  // Every pass counts its own set-ups: the same one drawn in two passes is booked to each.
  gl().SetPassTiming(true);
  gl().ClearPassTimes();
  device().SetTexture(0, first);
  for (const char* pass : {"one", "two", "one"}) {
    gl().MarkPass(pass);
    DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
    DrawScreenTexRect(0, 0, 64, 64, 0xFFFFFFFF);
  }
  gl().MarkPass("after");
  gl().SetPassTiming(false);
  uint64_t setUps = 0, draws = 0;
  for (const GlDevice::PassTime& time : gl().PassTimes()) {
    setUps += time.setUps;
    draws += time.draws;
  }
  EXPECT_EQ(draws, 3u) << "each pass's two rectangles in one call";
  EXPECT_EQ(setUps, 3u);
  // The driver's counts are booked to the pass that caused them: "one" drew twice what "two" drew.
  const auto timeOf = [&](const char* pass) {
    GlDevice::PassTime found;
    for (const GlDevice::PassTime& time : gl().PassTimes())
      if (time.pass == pass) found = time;
    return found;
  };
  const GlDevice::PassTime one = timeOf("one"), two = timeOf("two");
  if (two.vertices > 0) {
    EXPECT_EQ(one.vertices, 2 * two.vertices);
    EXPECT_EQ(one.primitives, 2 * two.primitives);
    EXPECT_EQ(one.fragments, 2 * two.fragments);
    EXPECT_GE(two.primitives, 4u) << "two rectangles";
    EXPECT_GE(two.fragments, 2u * 64u * 64u) << "a 64x64 rectangle, twice";
  }
  device().SetTexture(0, nullptr);
  first->Release();
  second->Release();
}

}  // namespace
}  // namespace platform::gfx::testing
