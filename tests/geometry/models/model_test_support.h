// Shared set-up of the model tests: a null device that also keeps the states of every draw, settings, a resource
// manager over a scratch folder, small model files from the writers, and the vertex buffer read back.
#pragma once

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/mdl_writer.h"
#include "contentgen/model_file_writer.h"
#include "contentgen/png_writer.h"
#include "geometry/models/mesh_data.h"
#include "geometry/models/mesh_model.h"
#include "platform/gfx/null_graphics.h"
#include "render/resources/resource_manager.h"

namespace model_test {

// A null device that also keeps, for every draw in order, its first vertex or index, its primitive count and the
// render states in force.
class RecordingDevice : public platform::gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  struct Drawn {
    uint32_t first, count;
    std::array<uint32_t, platform::gfx::kRenderStateCount> render;
    uint32_t Render(platform::gfx::RenderState state) const { return render[static_cast<uint32_t>(state)]; }
  };
  platform::HResult DrawPrimitive(platform::gfx::PrimitiveType type, uint32_t start, uint32_t count) override {
    drawn.push_back({start, count, State().renderStates});
    return NullDevice::DrawPrimitive(type, start, count);
  }
  platform::HResult DrawIndexedPrimitive(platform::gfx::PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t count) override {
    drawn.push_back({startIndex, count, State().renderStates});
    return NullDevice::DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, count);
  }

  std::vector<Drawn> drawn;
};

class ModelFixture : public testing::Test {
 protected:
  void SetUp() override {
    platform::gfx::PresentParameters parameters;
    parameters.backBufferWidth = 640;
    parameters.backBufferHeight = 480;
    parameters.backBufferFormat = platform::gfx::Format::X8R8G8B8;
    parameters.windowed = true;
    device_ = new RecordingDevice(system_, 0, system_.description.adapters[0], parameters);
    // A fresh scratch folder per test, ending with '/'.
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path folder = std::filesystem::path(CORSAIRE_GAME_DIR).parent_path() / "scratch" /
                                         "models" / (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    folder_ = folder.string() + "/";
    settings_ = std::make_unique<app::Settings>(hardware_, folder_, folder_);
    manager_ = std::make_unique<render::ResourceManager>(settings_.get(), folder_);
  }
  void TearDown() override { manager_.reset(); device_->Release(); }

  // A 4 × 4 picture in the scratch folder.
  void WritePicture(const std::string& name, uint32_t argb = 0xFF808080, bool withAlpha = false) {
    contentgen::PictureData picture(4, 4);
    picture.Fill(argb);
    ASSERT_TRUE(contentgen::WritePng(folder_ + name, picture, withAlpha));
  }
  std::unique_ptr<geometry::MeshModel> Load(const contentgen::MdlFile& file, bool withMaterials = true,
                                            const std::string& name = "model.mdl") {
    EXPECT_TRUE(contentgen::WriteMdl(folder_ + name, file));
    auto model = std::make_unique<geometry::MeshModel>(manager_.get(), settings_.get());
    model->Load(device_, folder_ + name, "", false, withMaterials);
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

// A versioned model file of one triangle over `frames` frames, vertex 0 moving 64 file units along x each frame;
// key times make it version 3.
inline contentgen::ModelFileData TriangleModel(int frames, int framePercent = 0, std::vector<int32_t> keyTimes = {}) {
  contentgen::ModelFileData data;
  data.version = keyTimes.empty() ? 2 : 3;
  data.frameCount = frames;
  data.framePercent = framePercent;
  data.keyTimes = std::move(keyTimes);
  data.materials = {Material("SKIN", 0)};
  contentgen::ModelSurface surface;
  surface.frames = frames;
  surface.triangles = {{0, 1, 2, 0}};
  surface.uvs = {{0, 0}, {1, 0}, {0, 1}};
  for (int16_t f = 0; f < frames; ++f) surface.frameVertices.push_back({{int16_t(64 * f), 0, 0, 0, 0}, {64, 0, 0, 0, 0}, {0, 64, 0, 0, 0}});
  data.surfaces = {surface};
  return data;
}

// Reads back a mesh's vertex buffer.
inline std::vector<geometry::MeshVertex> Vertices(const geometry::MeshData& mesh) {
  std::vector<geometry::MeshVertex> vertices(mesh.VertexCount());
  uint8_t* data = nullptr;
  EXPECT_EQ(mesh.VertexBuffer()->Lock(0, 0, &data, platform::gfx::lock_flags::kReadOnly), platform::kOk);
  std::memcpy(vertices.data(), data, vertices.size() * sizeof(geometry::MeshVertex));
  mesh.VertexBuffer()->Unlock();
  return vertices;
}

}  // namespace model_test
