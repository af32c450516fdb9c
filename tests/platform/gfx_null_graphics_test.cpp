// The null device's lost-device and reset rules, which the framework and game tests rely on to mirror a real one.
#include "platform/gfx/null_graphics.h"

#include <gtest/gtest.h>

namespace platform::gfx {
namespace {

class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    p_.windowed = true;
    p_.backBufferFormat = Format::X8R8G8B8;
    p_.backBufferWidth = 640;
    p_.backBufferHeight = 480;
    p_.enableAutoDepthStencil = true;
    p_.autoDepthStencilFormat = Format::D24S8;
    ASSERT_EQ(system_.CreateDevice(0, DeviceType::Hal, 1, 0, p_, &device_), kOk);
  }
  void TearDown() override { device_->Release(); }
  NullDevice& Null() { return *static_cast<NullDevice*>(device_); }

  NullGraphicsSystem system_;
  PresentParameters p_;
  Device* device_ = nullptr;
};

TEST_F(NullDeviceTest, LostDeviceAnswersLostThenNotResetUntilAResetSucceeds) {
  Null().LoseDevice(2);
  EXPECT_EQ(device_->Present(), kDeviceLost);
  EXPECT_EQ(device_->TestCooperativeLevel(), kDeviceLost);
  EXPECT_EQ(device_->Reset(p_), kDeviceLost);
  EXPECT_EQ(device_->TestCooperativeLevel(), kDeviceLost);
  EXPECT_EQ(device_->TestCooperativeLevel(), kDeviceNotReset);
  Null().FailNextResets(1, kOutOfVideoMemory);
  EXPECT_EQ(device_->Reset(p_), kOutOfVideoMemory);
  EXPECT_EQ(device_->TestCooperativeLevel(), kDeviceNotReset);
  EXPECT_EQ(device_->Reset(p_), kOk);
  EXPECT_EQ(device_->TestCooperativeLevel(), kOk);
  EXPECT_EQ(device_->Present(), kOk);
}

TEST_F(NullDeviceTest, ResetRefusesWhileDefaultPoolResourcesLiveAndRestoresDefaultStates) {
  VertexBuffer* dynamic = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64, usage::kDynamic, fvf::kXyz, Pool::Default, &dynamic), kOk);
  EXPECT_EQ(device_->Reset(p_), kInvalidCall);
  dynamic->Release();

  device_->SetRenderState(RenderState::Lighting, false);
  PresentParameters full = p_;
  full.windowed = false;
  full.backBufferWidth = 800;
  full.backBufferHeight = 600;
  ASSERT_EQ(device_->Reset(full), kOk);
  uint32_t lighting = 0;
  device_->GetRenderState(RenderState::Lighting, lighting);
  EXPECT_EQ(lighting, 1u);
  Viewport viewport;
  device_->GetViewport(viewport);
  EXPECT_EQ(viewport, (Viewport{0, 0, 800, 600, 0.0f, 1.0f}));
}

}  // namespace
}  // namespace platform::gfx
