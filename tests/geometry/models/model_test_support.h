// Shared set-up of the model tests: a null device that also logs every state change and draw in order, settings,
// a resource manager over a scratch folder, and small .MDL files from the model writer.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/mdl_writer.h"
#include "contentgen/png_writer.h"
#include "geometry/models/mesh_model.h"
#include "platform/gfx/null_graphics.h"
#include "render/resources/resource_manager.h"

namespace model_test {

using platform::gfx::RenderState;
using platform::gfx::TextureStageState;

// One logged device call: a render state, a stage state, a texture binding or a draw.
struct Call {
  enum class Kind { Render, Stage, Texture, Draw, IndexedDraw, Transform, Material };
  Kind kind;
  uint32_t stage = 0;
  uint32_t state = 0;
  uint32_t value = 0;
  bool operator==(const Call&) const = default;
};

inline Call R(RenderState state, platform::gfx::StateValue value) {
  return {Call::Kind::Render, 0, static_cast<uint32_t>(state), value};
}
inline Call S(uint32_t stage, TextureStageState state, platform::gfx::StateValue value) {
  return {Call::Kind::Stage, stage, static_cast<uint32_t>(state), value};
}

class RecordingDevice : public platform::gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  platform::HResult SetRenderState(RenderState state, platform::gfx::StateValue value) override {
    log.push_back(R(state, value));
    return NullDevice::SetRenderState(state, value);
  }
  platform::HResult SetTextureStageState(uint32_t stage, TextureStageState state,
                                         platform::gfx::StateValue value) override {
    log.push_back(S(stage, state, value));
    return NullDevice::SetTextureStageState(stage, state, value);
  }
  platform::HResult SetTexture(uint32_t stage, platform::gfx::BaseTexture* texture) override {
    log.push_back({Call::Kind::Texture, stage, 0, texture != nullptr ? 1u : 0u});
    return NullDevice::SetTexture(stage, texture);
  }
  platform::HResult SetTransform(platform::gfx::TransformState state, const platform::Matrix4& matrix) override {
    log.push_back({Call::Kind::Transform, 0, static_cast<uint32_t>(state), 0});
    return NullDevice::SetTransform(state, matrix);
  }
  platform::HResult SetMaterial(const platform::gfx::Material& material) override {
    log.push_back({Call::Kind::Material, 0, 0, 0});
    return NullDevice::SetMaterial(material);
  }
  platform::HResult DrawPrimitive(platform::gfx::PrimitiveType type, uint32_t start, uint32_t count) override {
    log.push_back({Call::Kind::Draw, 0, start, count});
    return NullDevice::DrawPrimitive(type, start, count);
  }
  platform::HResult DrawIndexedPrimitive(platform::gfx::PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t count) override {
    log.push_back({Call::Kind::IndexedDraw, 0, startIndex, count});
    return NullDevice::DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, count);
  }
  // Position of the first logged call equal to call at or after from; npos when absent.
  size_t Find(const Call& call, size_t from = 0) const {
    for (size_t i = from; i < log.size(); ++i)
      if (log[i] == call) return i;
    return std::string::npos;
  }
  size_t Count(Call::Kind kind) const {
    size_t count = 0;
    for (const Call& call : log) count += call.kind == kind ? 1 : 0;
    return count;
  }
  uint32_t RenderValue(RenderState state) const { return State().Render(state); }
  uint32_t StageValue(uint32_t stage, TextureStageState state) const { return State().Stage(stage, state); }

  std::vector<Call> log;
};

// A fresh scratch folder per test, ending with '/'.
inline std::string ScratchFolder() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path folder = std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" /
                                       "models" / (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string() + "/";
}

class ModelFixture : public testing::Test {
 protected:
  void SetUp() override {
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 640;
    parameters.backBufferHeight = 480;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.windowed = true;
    device_ = new RecordingDevice(system_, 0, system_.description.adapters[0], parameters);
    folder_ = ScratchFolder();
    settings_ = std::make_unique<app::Settings>(hardware_, folder_, folder_);
    manager_ = std::make_unique<render::ResourceManager>(settings_.get(), folder_);
  }
  void TearDown() override {
    manager_.reset();
    device_->Release();
  }

  // A 4 × 4 picture in the scratch folder.
  void WritePicture(const std::string& name, uint32_t argb = 0xFF808080, bool withAlpha = false) {
    contentgen::PictureData picture(4, 4);
    picture.Fill(argb);
    ASSERT_TRUE(contentgen::WritePng(folder_ + name, picture, withAlpha));
  }
  std::unique_ptr<geometry::MeshModel> Load(const contentgen::MdlFile& file, bool withMaterials = true,
                                            bool ignoreOrigins = false, const std::string& name = "model.mdl") {
    EXPECT_TRUE(contentgen::WriteMdl(folder_ + name, file));
    auto model = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
    model->Load(device_, folder_ + name, "", ignoreOrigins, withMaterials);
    return model;
  }
  std::unique_ptr<geometry::MeshModel> LoadBytes(const std::vector<unsigned char>& bytes, bool withMaterials = true) {
    auto model = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
    model->LoadFromMemory(device_, bytes, folder_ + "bytes.mdl", "", false, withMaterials);
    return model;
  }

  platform::gfx::NullGraphicsSystem system_;
  RecordingDevice* device_ = nullptr;
  std::string folder_;
  app::HardwareInfo hardware_;
  std::unique_ptr<app::Settings> settings_;
  std::unique_ptr<render::ResourceManager> manager_;
};

// A material of the slot with the given texture references (role → table entry).
inline contentgen::MdlMaterial Material(const std::string& name, int32_t id,
                                        std::initializer_list<std::pair<int, int32_t>> textures = {}) {
  contentgen::MdlMaterial material;
  material.name = name;
  material.id = id;
  for (const auto& [role, entry] : textures) material.textures[static_cast<size_t>(role)] = entry;
  return material;
}

// A file of one unit box per material (box i at x = 3i), the given texture names in table order.
inline contentgen::MdlFile BoxesFile(const std::vector<contentgen::MdlMaterial>& materials,
                                     const std::vector<std::string>& textureNames = {}) {
  contentgen::MdlFile file;
  for (size_t i = 0; i < textureNames.size(); ++i) file.textures.push_back({textureNames[i], static_cast<int32_t>(i)});
  file.materials = materials;
  for (size_t i = 0; i < materials.size(); ++i) {
    const float x = 3.0f * static_cast<float>(i);
    file.objects.push_back(contentgen::BoxObject({x, 0, 0}, {x + 1, 1, 1}, static_cast<int16_t>(materials[i].id)));
  }
  return file;
}

}  // namespace model_test
