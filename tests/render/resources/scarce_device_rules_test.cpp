// A device that runs out of video memory: every loader that cannot get its texture, buffer or depth surface
// reports it, keeps nothing half made and draws nothing, instead of crashing later on a missing object.
#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "contentgen/movie_writer.h"
#include "platform/math/math.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/resources/movie_texture.h"
#include "render/resources/texture.h"
#include "render/scene/scene_test_support.h"

namespace {

namespace gfx = platform::gfx;
using platform::HResult;

// A null device whose resource creation can be refused, one kind at a time.
class ScarceDevice : public gfx::NullDevice {
 public:
  using NullDevice::NullDevice;
  HResult CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, gfx::Format format,
                        gfx::Pool pool, gfx::Texture** texture) override {
    if (noTextures) return Refuse(texture);
    return NullDevice::CreateTexture(width, height, levels, usage, format, pool, texture);
  }
  HResult CreateCubeTexture(uint32_t edge, uint32_t levels, uint32_t usage, gfx::Format format, gfx::Pool pool,
                            gfx::CubeTexture** texture) override {
    if (noTextures) return Refuse(texture);
    return NullDevice::CreateCubeTexture(edge, levels, usage, format, pool, texture);
  }
  HResult CreateDepthStencilSurface(uint32_t width, uint32_t height, gfx::Format format, uint32_t samples,
                                    gfx::Surface** surface) override {
    if (noDepth) return Refuse(surface);
    return NullDevice::CreateDepthStencilSurface(width, height, format, samples, surface);
  }
  HResult CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, gfx::Pool pool,
                             gfx::VertexBuffer** buffer) override {
    if (noVertexBuffers) return Refuse(buffer);
    return NullDevice::CreateVertexBuffer(length, usage, fvf, pool, buffer);
  }
  HResult CreateIndexBuffer(uint32_t length, uint32_t usage, gfx::Format format, gfx::Pool pool,
                            gfx::IndexBuffer** buffer) override {
    if (noIndexBuffers) return Refuse(buffer);
    return NullDevice::CreateIndexBuffer(length, usage, format, pool, buffer);
  }
  bool noTextures = false, noDepth = false, noVertexBuffers = false, noIndexBuffers = false;

 private:
  template <typename T>
  static HResult Refuse(T** out) {
    if (out != nullptr) *out = nullptr;
    return platform::kOutOfVideoMemory;
  }
};

class ScarceDeviceRulesTest : public scene_test::SceneFixture {
 protected:
  void SetUp() override {
    SceneFixture::SetUp();
    scarce_ = new ScarceDevice(system_, 0, system_.description.adapters[0], device_->Parameters());
  }
  void TearDown() override {
    manager_.reset();
    scarce_->Release();
    SceneFixture::TearDown();
  }
  ScarceDevice* scarce_ = nullptr;
};

TEST_F(ScarceDeviceRulesTest, PicturesMoviesAndCubeMapsWithoutATextureStayUnloaded) {
  const std::string png = Write("a.png", Solid(4, 4, 0xFF102030));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "b.dds", gfx::Format::R5G6B5, {Solid(4, 4, 0xFF102030)}, 1));
  std::vector<contentgen::PictureData> faces(6, Solid(8, 8, 0xFF336699));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "sky.dds", gfx::Format::A8R8G8B8, faces, 1));
  contentgen::MovieSpec spec;
  spec.width = 8;
  spec.height = 4;
  spec.frameCount = 2;
  ASSERT_TRUE(contentgen::WriteTestPatternMovie(folder_ + "clip.avi", spec));
  scarce_->noTextures = true;

  const struct {
    const char* what;
    std::string file;
    bool keyed;
  } loads[] = {{"a picture", png, false}, {"a colour-keyed picture", png, true}, {"a .dds picture", folder_ + "b.dds", false}};
  for (const auto& c : loads) {
    render::Texture texture(false);
    EXPECT_EQ(texture.Load(scarce_, c.file, c.keyed, 0xFF102030), platform::kFail) << c.what;
    EXPECT_FALSE(texture.loaded) << c.what;
    EXPECT_EQ(texture.GetD3DTexture(), nullptr) << c.what;
  }
  render::Texture blank(false);
  EXPECT_EQ(blank.CreateBlank(scarce_, 8, 8), platform::kFail);
  EXPECT_FALSE(blank.loaded);

  render::MovieTexture* movie = manager_->LoadMovie(scarce_, folder_ + "clip.avi", true);
  ASSERT_NE(movie, nullptr);
  EXPECT_FALSE(movie->opened) << "a movie without a texture to play into does not play";
  EXPECT_EQ(movie->GetTexture(), nullptr);
  manager_->ReleaseMovie(movie);

  render::CubeMap* cube = manager_->LoadCubeMap(scarce_, folder_ + "sky.dds");
  ASSERT_NE(cube, nullptr);
  EXPECT_FALSE(cube->ready);
  EXPECT_EQ(cube->GetCubeTexture(), nullptr);
  manager_->ReleaseCubeMap(cube);
}

TEST_F(ScarceDeviceRulesTest, RenderTargetsWithoutTheirTextureOrDepthAreNotReady) {
  const struct {
    const char* what;
    bool noTextures, noDepth;
  } cases[] = {{"no texture", true, false}, {"no depth surface", false, true}};
  for (const auto& c : cases) {
    scarce_->noTextures = c.noTextures;
    scarce_->noDepth = c.noDepth;
    render::ImageResource image(manager_.get(), false);
    image.CreateRenderTarget(scarce_, 64, 0);
    EXPECT_FALSE(image.targetReady) << c.what;
    EXPECT_EQ(image.GetRenderTargetTexture(), nullptr) << c.what;
    EXPECT_EQ(image.BeginRenderToTexture(), platform::kFail) << c.what;

    render::CubeMap* cube = manager_->CreateCubeRenderTarget(scarce_, 32, render::kCubeRenderTarget);
    ASSERT_NE(cube, nullptr);
    EXPECT_FALSE(cube->ready) << c.what;
    EXPECT_EQ(cube->GetCubeTexture(), nullptr) << c.what;
    EXPECT_EQ(cube->BeginCubeRender(), platform::kFail) << c.what;
    manager_->ReleaseCubeMap(cube);
  }
}

TEST_F(ScarceDeviceRulesTest, AScenePartWithoutItsBuffersLoadsAndDrawsNothing) {
  contentgen::ScnFile file;
  file.materials = {scene_test::Material("A", 0)};
  file.parts.push_back(scene_test::Square(0, 0, 10, 0));
  const std::string path = folder_ + "SCENE/bare.scn";
  ASSERT_TRUE(contentgen::WriteSceneFile(path, file));
  const struct {
    const char* what;
    bool noVertices, noIndices;
  } cases[] = {{"no vertex buffer", true, false}, {"no index buffer", false, true}};
  for (const auto& c : cases) {
    scarce_->noVertexBuffers = c.noVertices;
    scarce_->noIndexBuffers = c.noIndices;
    render::Scene scene(manager_.get(), settings_.get());
    scene.Load(scarce_, path, "", true, false, true);
    ASSERT_EQ(scene.parts.size(), 1u) << c.what;
    EXPECT_EQ(scene.parts[0]->vertexBuffer, nullptr) << c.what;
    EXPECT_EQ(scene.parts[0]->indexBuffer, nullptr) << c.what;
    EXPECT_TRUE(scene.HasGeometry()) << c.what << ": collisions still have the triangles";
    scene.visibleParts = scene.allParts;
    const uint64_t drawsBefore = scarce_->Stats().draws;
    scene.DrawVisible(scarce_, platform::IdentityMatrix(), nullptr, nullptr);
    EXPECT_EQ(scarce_->Stats().draws, drawsBefore) << c.what;
    EXPECT_EQ(scarce_->Stats().failedDraws, 0u) << c.what;
  }
}

}  // namespace
