// Images with only a second layer, and what the manager owns: a layer's picture or movie gives the image its size,
// a layer movie that cannot play is a black stand-in, an image made outside the manager becomes its own once
// referenced, and movies and cube maps are counted until purged.
#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "contentgen/movie_writer.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_resource.h"
#include "render/resources/image_test_support.h"
#include "render/resources/movie_texture.h"
#include "render/resources/resource_manager.h"

namespace {

using render::ImageResource;
using render::ResourceKind;
using render_test::ReadTexel;

class ImageLayerRulesTest : public render_test::ManagedImageFixture {
 protected:
  void SetUp() override {
    ManagedImageFixture::SetUp();
    contentgen::MovieSpec spec;
    spec.width = 8;
    spec.height = 4;
    spec.frameCount = 4;
    ASSERT_TRUE(contentgen::WriteTestPatternMovie(folder_ + "clip.avi", spec));
    ASSERT_TRUE(contentgen::WriteContentFile(folder_ + "broken.avi", std::vector<uint8_t>(32, 7)));
    Write("glass.png", Solid(16, 2, 0xFF405060));
  }
};

TEST_F(ImageLayerRulesTest, ALayerOnlyImageTakesItsSizeFromItsLayer) {
  const struct {
    const char* file;
    uint32_t width, height;
    bool playing;
  } cases[] = {
      {"clip.avi", 8, 4, true},
      {"glass.png", 16, 2, false},
      {"broken.avi", render::kMovieStandInSize, render::kMovieStandInSize, false},
  };
  for (const auto& c : cases) {
    ImageResource image(manager_.get(), false);
    ASSERT_EQ(image.LoadLayer(device_, folder_ + c.file), platform::kOk) << c.file;
    EXPECT_TRUE(image.loaded) << c.file;
    EXPECT_TRUE(image.hasLayer) << c.file;
    EXPECT_EQ(image.layerMovie != nullptr, c.playing) << c.file;
    ASSERT_NE(image.GetImageSurface(), nullptr) << c.file;
    EXPECT_EQ(image.GetImageWidth(), c.width) << c.file;
    EXPECT_EQ(image.GetImageHeight(), c.height) << c.file;
  }
  // The stand-in for a movie that cannot play is black, not stale memory.
  ImageResource broken(manager_.get(), false);
  broken.LoadLayer(device_, folder_ + "broken.avi");
  EXPECT_EQ(ReadTexel(broken.GetImageSurface(), 0, 0, 0), 0xFF000000u);
}

TEST_F(ImageLayerRulesTest, AnImageMadeOutsideTheManagerIsOwnedOnceReferenced) {
  auto* outside = new ImageResource(manager_.get(), false);
  outside->LoadFromFile(device_, folder_ + "glass.png", false);
  const size_t before = manager_->Count(ResourceKind::kImage);
  EXPECT_EQ(manager_->AddImageReference(outside), outside);
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), before + 1);
  ASSERT_NE(manager_->FindImageRecord(outside), nullptr);
  EXPECT_EQ(manager_->FindImageRecord(outside)->refCount, 1);
  EXPECT_EQ(manager_->AddImageReference(outside), outside);
  EXPECT_EQ(manager_->FindImageRecord(outside)->refCount, 2) << "the second reference counts, not a second record";
  EXPECT_EQ(manager_->AddImageReference(nullptr), nullptr);
  manager_->ReleaseImage(outside);
  manager_->ReleaseImage(outside);
  manager_->PurgeUnused();  // frees it: the sanitizer build sees a leak or a double free
  EXPECT_EQ(manager_->Count(ResourceKind::kImage), before);
}

TEST_F(ImageLayerRulesTest, MoviesAndCubeMapsAreCountedUntilPurged) {
  std::vector<contentgen::PictureData> faces(6, Solid(8, 8, 0xFF336699));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "sky.dds", platform::gfx::Format::A8R8G8B8, faces, 1));
  render::MovieTexture* movie = manager_->LoadMovie(device_, folder_ + "clip.avi", true);
  render::CubeMap* cube = manager_->LoadCubeMap(device_, folder_ + "sky.dds");
  ASSERT_NE(movie, nullptr);
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(manager_->LoadMovie(device_, folder_ + "CLIP.AVI", true), movie) << "shared by name";
  EXPECT_EQ(manager_->Count(ResourceKind::kMovie), 1u);
  EXPECT_EQ(manager_->Count(ResourceKind::kCubeMap), 1u);
  manager_->ReleaseMovie(movie);
  manager_->PurgeUnused();
  EXPECT_EQ(manager_->Count(ResourceKind::kMovie), 1u) << "one reference is still held";
  manager_->ReleaseMovie(movie);
  manager_->ReleaseCubeMap(cube);
  manager_->PurgeUnused();
  EXPECT_EQ(manager_->Count(ResourceKind::kMovie), 0u);
  EXPECT_EQ(manager_->Count(ResourceKind::kCubeMap), 0u);
}

}  // namespace
