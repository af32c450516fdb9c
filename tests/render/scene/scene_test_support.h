// Shared set-up of the scene tests: a null device, a resource manager with settings, and small scene files built
// with the scene writer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/hardware_info.h"
#include "app/settings.h"
#include "contentgen/png_writer.h"
#include "contentgen/scn_writer.h"
#include "render/resources/image_test_support.h"
#include "render/resources/resource_manager.h"
#include "platform/gfx/null_graphics.h"
#include "platform/math/math.h"
#include "render/scene/scene.h"

namespace scene_test {

// A flat square of side size on y = height, centred at (x, z), two triangles of one batch of that material.
inline contentgen::ScnPart Square(float x, float z, float size, int16_t material, float height = 0) {
  const float h = size / 2;
  contentgen::ScnPart part = contentgen::SimplePart(
      {{x - h, height, z - h}, {x - h, height, z + h}, {x + h, height, z + h}, {x + h, height, z - h}},
      {{0, 0}, {0, 1}, {1, 1}, {1, 0}});
  part.batches.push_back({material, 0, {{0, 1, 2}, {0, 2, 3}}});
  return part;
}

inline contentgen::ScnMaterial Material(const std::string& name, int32_t slot, int32_t baseTexture = -1) {
  contentgen::ScnMaterial material;
  material.name = name;
  material.slot = slot;
  material.textures[contentgen::kScnBase] = baseTexture;
  return material;
}

class SceneFixture : public render_test::NullDeviceFixture {
 protected:
  void SetUp() override {
    NullDeviceFixture::SetUp();
    settings_ = std::make_unique<app::Settings>(hardware_, folder_, folder_);
    manager_ = std::make_unique<render::ResourceManager>(settings_.get(), folder_);
  }
  void TearDown() override {
    manager_.reset();
    NullDeviceFixture::TearDown();
  }

  // Writes the file below the scratch folder and loads it into a new scene.
  std::unique_ptr<render::Scene> LoadFile(const contentgen::ScnFile& file, bool keepGeometry = true,
                                          bool useQuadtree = true, bool makeTargets = false) {
    const std::string path = folder_ + "SCENE/test.scn";
    EXPECT_TRUE(contentgen::WriteSceneFile(path, file));
    auto scene = std::make_unique<render::Scene>(manager_.get(), settings_.get());
    scene->Load(device_, path, "", keepGeometry, makeTargets, useQuadtree);
    return scene;
  }
  std::unique_ptr<render::Scene> LoadBytes(const std::vector<unsigned char>& bytes, bool keepGeometry = true) {
    auto scene = std::make_unique<render::Scene>(manager_.get(), settings_.get());
    scene->LoadFromMemory(device_, bytes.data(), bytes.size(), folder_ + "SCENE/bytes.scn", "", keepGeometry, false,
                          true);
    return scene;
  }
  // A texture picture in the scene's folder.
  void WriteTexture(const std::string& name, uint32_t argb = 0xFF808080, bool withAlpha = false) {
    Write("SCENE/" + name, Solid(4, 4, argb), withAlpha);
  }

  app::HardwareInfo hardware_;
  std::unique_ptr<app::Settings> settings_;
  std::unique_ptr<render::ResourceManager> manager_;
};

// What one indexed draw had bound: the textures and a few states of the first three stages, and the texture
// transform of stage 0.
struct StageDraw {
  platform::gfx::BaseTexture* textures[3] = {};
  uint32_t colorOp[3] = {}, texCoordIndex[3] = {}, transformFlags[3] = {};
  platform::Matrix4 texture0;
};

// A null device that records the stage set-up of every indexed draw.
class StageRecorder : public platform::gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  platform::HResult DrawIndexedPrimitive(platform::gfx::PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount) override {
    StageDraw draw;
    for (uint32_t stage = 0; stage < 3; ++stage) {
      GetTexture(stage, &draw.textures[stage]);
      if (draw.textures[stage] != nullptr) draw.textures[stage]->Release();  // only compared, never used
      GetTextureStageState(stage, platform::gfx::TextureStageState::ColorOp, draw.colorOp[stage]);
      GetTextureStageState(stage, platform::gfx::TextureStageState::TexCoordIndex, draw.texCoordIndex[stage]);
      GetTextureStageState(stage, platform::gfx::TextureStageState::TextureTransformFlags, draw.transformFlags[stage]);
    }
    GetTransform(platform::gfx::TransformState::Texture0, draw.texture0);
    draws.push_back(draw);
    return NullDevice::DrawIndexedPrimitive(type, minIndex, numVertices, startIndex, primitiveCount);
  }
  // The draws with that texture on stage 0.
  std::vector<StageDraw> With(const platform::gfx::BaseTexture* stage0) const {
    std::vector<StageDraw> out;
    for (const StageDraw& draw : draws)
      if (draw.textures[0] == stage0) out.push_back(draw);
    return out;
  }
  std::vector<StageDraw> draws;
};

}  // namespace scene_test
