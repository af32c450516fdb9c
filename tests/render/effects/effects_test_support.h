// Shared set-up of the effect tests: a null device, settings on a detected test adapter, a resource manager over
// a scratch folder holding the generated effect pictures, and readers of the recorded device state.
#pragma once

#include <algorithm>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/device_facts_fixture.h"
#include "app/hardware_info.h"
#include "app/settings.h"
#include "app/text_file_reader.h"
#include "contentgen/effect_textures.h"
#include "platform/gfx/memory_resources.h"
#include "platform/gfx/null_graphics.h"
#include "render/effects/effect_vertex.h"
#include "render/resources/image_test_support.h"
#include "render/resources/resource_manager.h"

namespace effects_test {

// A null device whose vertex-buffer creation can be made to fail.
class FailingBufferDevice : public platform::gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  platform::HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvfCode, platform::gfx::Pool pool,
                                       platform::gfx::VertexBuffer** buffer) override {
    if (failBuffers) {
      *buffer = nullptr;
      return platform::kOutOfMemory;
    }
    return NullDevice::CreateVertexBuffer(length, usage, fvfCode, pool, buffer);
  }
  bool failBuffers = false;
};

class EffectsTest : public render_test::NullDeviceFixture {
 protected:
  void SetUp() override {
    NullDeviceFixture::SetUp();
    hardware_ = std::make_unique<app::HardwareInfo>(app::MachineFacts{});
    hardware_->DetectFrom(app::testing_support::CapableDeviceFacts(adapterName_));
    settings_ = std::make_unique<app::Settings>(*hardware_, folder_, folder_);
  }
  void TearDown() override {
    resources_.reset();
    NullDeviceFixture::TearDown();
  }

  // Writes the effect pictures into the scratch folder and makes a manager over it.
  render::ResourceManager& Resources() {
    if (resources_ == nullptr) {
      EXPECT_TRUE(contentgen::WriteEffectTextures(folder_));
      resources_ = std::make_unique<render::ResourceManager>(settings_.get(), folder_);
    }
    return *resources_;
  }
  // Applies settings lines such as "FOV:60", as a config file would.
  void ReadSettings(const std::string& text) {
    app::TextFileReader reader;
    reader.OpenText(text);
    settings_->ReadConfig(reader);
  }
  void SetInt(app::SettingId id, int value) { settings_->SetInt(id, value); }

  const platform::gfx::DeviceState& State() const { return device_->State(); }
  uint32_t Render(platform::gfx::RenderState state) const { return State().Render(state); }
  uint32_t Stage(platform::gfx::TextureStageState state) const { return State().Stage(0, state); }

  // The vertices a buffer holds.
  template <typename Vertex = render::EffectVertex>
  static std::vector<Vertex> Vertices(platform::gfx::VertexBuffer* buffer) {
    const auto& bytes = static_cast<platform::gfx::MemoryVertexBuffer*>(buffer)->Bytes();
    std::vector<Vertex> vertices(bytes.size() / sizeof(Vertex));
    std::memcpy(vertices.data(), bytes.data(), vertices.size() * sizeof(Vertex));
    return vertices;
  }

  // The vertices the last draw read from the buffer on stream 0.
  std::vector<render::EffectVertex> DrawnVertices() const {
    if (device_->Draws().empty() || State().streams[0].buffer == nullptr) return {};
    std::vector<render::EffectVertex> vertices = Vertices(State().streams[0].buffer);
    vertices.resize(std::min<size_t>(vertices.size(), device_->Draws().back().vertexCount));
    return vertices;
  }

  // The render and stage-0 states every effect puts back when it is done.
  void ExpectBaseline() const {
    using platform::gfx::RenderState;
    using platform::gfx::TextureStageState;
    namespace arg = platform::gfx::texture_arg;
    EXPECT_EQ(Render(RenderState::SrcBlend), static_cast<uint32_t>(platform::gfx::Blend::One));
    EXPECT_EQ(Render(RenderState::DestBlend), static_cast<uint32_t>(platform::gfx::Blend::Zero));
    EXPECT_EQ(Render(RenderState::AlphaBlendEnable), 0u);
    EXPECT_EQ(Render(RenderState::ZWriteEnable), 1u);
    EXPECT_EQ(Stage(TextureStageState::ColorOp), static_cast<uint32_t>(platform::gfx::TextureOp::Modulate));
    EXPECT_EQ(Stage(TextureStageState::ColorArg2), arg::kCurrent);
    EXPECT_EQ(Stage(TextureStageState::AlphaArg1), arg::kDiffuse);
    EXPECT_EQ(Stage(TextureStageState::AlphaArg2), arg::kCurrent);
  }

  std::string adapterName_ = "Corsaire Test Adapter";
  std::unique_ptr<app::HardwareInfo> hardware_;
  std::unique_ptr<app::Settings> settings_;
  std::unique_ptr<render::ResourceManager> resources_;
};

}  // namespace effects_test
