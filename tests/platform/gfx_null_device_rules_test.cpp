// The null device keeps the same promises as the OpenGL one where the game's logic tests lean on it: the display
// mode it reports, the cursor, the back buffer's refusals, indexed draws from memory, and presents that fail.
#include <gtest/gtest.h>

#include "platform/gfx/null_graphics.h"

namespace platform::gfx {
namespace {

class NullDeviceRulesTest : public ::testing::Test {
 protected:
  NullDevice* Create(bool windowed, Format format, uint32_t width = 640, uint32_t height = 480) {
    PresentParameters p;
    p.windowed = windowed;
    p.backBufferFormat = format;
    p.backBufferWidth = width;
    p.backBufferHeight = height;
    Device* device = nullptr;
    EXPECT_EQ(system_.CreateDevice(0, DeviceType::Hal, 1, 0, p, &device), kOk);
    return static_cast<NullDevice*>(device);
  }
  NullGraphicsSystem system_;
};

TEST_F(NullDeviceRulesTest, TheDisplayModeIsTheDesktopWindowedAndTheBackBufferFullScreen) {
  const struct {
    bool windowed;
    Format format;
    Format shown;  // the display never carries alpha
  } cases[] = {
      {false, Format::A8R8G8B8, Format::X8R8G8B8},
      {false, Format::X8R8G8B8, Format::X8R8G8B8},
      {false, Format::R5G6B5, Format::R5G6B5},
  };
  for (const auto& c : cases) {
    NullDevice* device = Create(c.windowed, c.format, 800, 600);
    ASSERT_NE(device, nullptr) << static_cast<uint32_t>(c.format);
    DisplayMode mode;
    ASSERT_EQ(device->GetDisplayMode(mode), kOk);
    EXPECT_EQ(mode.width, 800u);
    EXPECT_EQ(mode.height, 600u);
    EXPECT_EQ(mode.format, c.shown) << static_cast<uint32_t>(c.format);
    device->Release();
  }
  NullDevice* windowed = Create(true, Format::X8R8G8B8, 320, 240);
  ASSERT_NE(windowed, nullptr);
  DisplayMode mode;
  ASSERT_EQ(windowed->GetDisplayMode(mode), kOk);
  const DisplayMode desktop = system_.description.adapters[0].desktopMode;
  EXPECT_EQ(mode.width, desktop.width) << "a window reports the desktop, not its own size";
  EXPECT_EQ(mode.height, desktop.height);
  EXPECT_NE(mode.width, 320u);
  windowed->Release();
}

TEST_F(NullDeviceRulesTest, TheCursorAnswersItsLastStateAndTheBackBufferRefusesOtherIndices) {
  NullDevice* device = Create(true, Format::X8R8G8B8);
  ASSERT_NE(device, nullptr);
  const bool first = device->ShowCursor(false);
  EXPECT_FALSE(device->ShowCursor(true));
  EXPECT_TRUE(device->ShowCursor(first));
  device->SetCursorPosition(10, 10, 0);

  Surface* surface = reinterpret_cast<Surface*>(1);
  EXPECT_EQ(device->GetBackBuffer(1, &surface), kInvalidCall);
  EXPECT_EQ(surface, nullptr) << "a refused call leaves no stale pointer";
  EXPECT_EQ(device->GetBackBuffer(0, nullptr), kInvalidCall);
  ASSERT_EQ(device->GetBackBuffer(0, &surface), kOk);
  SurfaceDesc desc;
  surface->GetDesc(desc);
  EXPECT_EQ(desc.width, 640u);
  surface->Release();
  device->Release();
}

TEST_F(NullDeviceRulesTest, IndexedDrawsFromMemoryCheckEveryIndexOfBothWidths) {
  NullDevice* device = Create(true, Format::X8R8G8B8);
  ASSERT_NE(device, nullptr);
  struct Vertex {
    float x, y, z, rhw;
  };
  const Vertex vertices[6] = {};
  device->SetVertexShader(fvf::kXyzRhw);
  const uint16_t short_ok[3] = {2, 3, 5}, short_past[3] = {2, 3, 6};
  const uint32_t long_ok[3] = {2, 3, 5}, long_below[3] = {1, 3, 5};
  const struct {
    const void* indices;
    Format format;
    uint32_t vertexCount;
    HResult expected;
  } cases[] = {
      {short_ok, Format::Index16, 4, kOk},          {long_ok, Format::Index32, 4, kOk},
      {short_past, Format::Index16, 4, kInvalidCall}, {long_below, Format::Index32, 4, kInvalidCall},
      {short_ok, Format::A8R8G8B8, 4, kInvalidCall}, {nullptr, Format::Index16, 4, kInvalidCall},
      {short_ok, Format::Index16, 0, kInvalidCall},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(PrimitiveType::TriangleList, 2, c.vertexCount, 1, c.indices, c.format,
                                             vertices, sizeof(Vertex)),
              c.expected)
        << static_cast<uint32_t>(c.format) << " over " << c.vertexCount;
  }
  device->Release();
}

TEST_F(NullDeviceRulesTest, PresentsFailWhileLostWithTheChosenResultOrInsideAScene) {
  NullDevice* device = Create(true, Format::X8R8G8B8);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->Present(), kOk);
  device->SetPresentResult(kOutOfVideoMemory);
  EXPECT_EQ(device->Present(), kOutOfVideoMemory);
  device->SetPresentResult(kOk);
  ASSERT_EQ(device->BeginScene(), kOk);
  EXPECT_EQ(device->Present(), kInvalidCall) << "a frame still being drawn";
  ASSERT_EQ(device->EndScene(), kOk);
  EXPECT_EQ(device->Present(), kOk);
  device->LoseDevice(1);
  EXPECT_EQ(device->Present(), kDeviceLost);
  EXPECT_EQ(device->Stats().failedPresents, 3u);

  // A reset while the device is still lost fails, and the device keeps asking for one.
  PresentParameters parameters = device->Parameters();
  EXPECT_EQ(device->Reset(parameters), kDeviceLost);
  EXPECT_EQ(device->TestCooperativeLevel(), kDeviceLost);
  EXPECT_EQ(device->TestCooperativeLevel(), kDeviceNotReset);
  EXPECT_EQ(device->Reset(parameters), kOk);
  EXPECT_EQ(device->Present(), kOk);
  device->Release();
}

}  // namespace
}  // namespace platform::gfx
