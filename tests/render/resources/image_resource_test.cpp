// Material images: the alpha pair and its black stand-in, movies in the colour slot, the environment slot by
// extension, and the render target's refusal inside the frame's scene.
#include "render/resources/image_resource.h"

#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "contentgen/movie_writer.h"
#include "render/resources/cube_map.h"
#include "render/resources/image_test_support.h"
#include "render/resources/movie_texture.h"
#include "render/resources/resource_manager.h"

namespace {

using render::ImageResource;
using render_test::ReadTexel;

using ImageResourceTest = render_test::ManagedImageFixture;

TEST_F(ImageResourceTest, AlphaPairMergesIntoTheColourTexture) {
  contentgen::PictureData alpha = Solid(8, 8, 0xFF000000);
  alpha.Set(1, 1, 0xFF00C000);
  ImageResource image(manager_.get(), false);
  image.LoadWithAlpha(device_, Write("car.png", Solid(8, 8, 0xFF102030)), Write("cara.png", alpha));
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(ReadTexel(image.GetImageTexture(), 0, 1, 1), 0xC0102030u);
  EXPECT_EQ(ReadTexel(image.GetImageTexture(), 0, 2, 2), 0x00102030u);
  EXPECT_EQ(image.GetImageWidth(), 8u);
}

TEST_F(ImageResourceTest, MissingColourPictureGetsABlackStandInOfTheAlphaSize) {
  contentgen::PictureData alpha = Solid(16, 8, 0xFF000000);
  alpha.Set(3, 2, 0xFF00FF00);
  ImageResource image(manager_.get(), false);
  image.LoadWithAlpha(device_, folder_ + "missing.png", Write("shapea.png", alpha));
  EXPECT_TRUE(image.blankStandIn);
  EXPECT_TRUE(image.hasAlpha);
  EXPECT_EQ(image.GetImageWidth(), 16u) << "the merge records the size on the stand-in";
  EXPECT_EQ(image.GetImageHeight(), 8u);
  EXPECT_EQ(ReadTexel(image.GetImageTexture(), 0, 3, 2), 0xFF000000u);
  EXPECT_EQ(ReadTexel(image.GetImageTexture(), 0, 0, 0), 0x00000000u);

  ImageResource nothing(manager_.get(), false);
  nothing.LoadWithAlpha(device_, folder_ + "missing.png", folder_ + "missinga.png");
  EXPECT_FALSE(nothing.loaded);
}

TEST_F(ImageResourceTest, AlphaPictureOfAnotherSizeLeavesTheColourUnmerged) {
  ImageResource image(manager_.get(), false);
  image.LoadWithAlpha(device_, Write("c.png", Solid(8, 4, 0xFF445566)), Write("a.png", Solid(8, 8, 0xFF000000)));
  EXPECT_TRUE(image.alphaMerged) << "the merge was tried";
  EXPECT_FALSE(image.hasAlpha);
  EXPECT_EQ(ReadTexel(image.GetImageTexture(), 0, 1, 1), 0xFF445566u);
}

TEST_F(ImageResourceTest, MovieColourSlotPlaysOrFallsBackToBlack) {
  contentgen::MovieSpec spec;
  spec.width = 8;
  spec.height = 4;
  spec.frameCount = 4;
  ASSERT_TRUE(contentgen::WriteTestPatternMovie(folder_ + "clip.avi", spec));
  ImageResource image(manager_.get(), false);
  image.LoadFromFile(device_, folder_ + "clip.avi", false);
  ASSERT_NE(image.colourMovie, nullptr);
  EXPECT_EQ(image.GetImageTexture(), image.colourMovie->GetTexture());
  EXPECT_EQ(image.GetImageWidth(), 8u);

  // The second layer plays the same movie through the same shared object.
  ImageResource layered(manager_.get(), false);
  layered.LoadFromFile(device_, Write("base.png", Solid(4, 4, 0xFF000000)), false);
  layered.LoadLayer(device_, folder_ + "clip.avi");
  EXPECT_EQ(layered.layerMovie, image.colourMovie);
  EXPECT_EQ(layered.GetImageSurface(), image.colourMovie->GetTexture());
  EXPECT_EQ(layered.GetImageWidth(), 4u) << "the colour texture comes first";

  ASSERT_TRUE(contentgen::WriteContentFile(folder_ + "broken.avi", std::vector<uint8_t>(32, 7)));
  ImageResource broken(manager_.get(), false);
  broken.LoadFromFile(device_, folder_ + "broken.avi", false);
  EXPECT_EQ(broken.colourMovie, nullptr);
  EXPECT_TRUE(broken.blankStandIn);
  EXPECT_EQ(ReadTexel(broken.GetImageTexture(), 0, 31, 31), 0xFF000000u);
}

TEST_F(ImageResourceTest, EnvironmentSlotLoadsACubeMapForDdsInAnyCase) {
  std::vector<contentgen::PictureData> faces(6, Solid(8, 8, 0xFF336699));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "sky.dds", platform::gfx::Format::A8R8G8B8, faces, 1));
  ImageResource cube(manager_.get(), false);
  cube.LoadEnvironmentMap(device_, folder_ + "sky.dds");
  ASSERT_NE(cube.GetCubeMap(), nullptr);
  EXPECT_TRUE(cube.GetCubeMap()->ready);
  ImageResource upper(manager_.get(), false);
  upper.LoadEnvironmentMap(device_, folder_ + "SKY.DDS");
  EXPECT_EQ(upper.GetCubeMap(), cube.GetCubeMap()) << "shared through the manager";

  ImageResource flat(manager_.get(), false);
  flat.LoadEnvironmentMap(device_, Write("chrome.png", Solid(4, 4, 0xFFC0C0C0)));
  EXPECT_FALSE(flat.hasCubeMap);
  EXPECT_NE(flat.GetEnvironmentTexture(), nullptr);
}

TEST_F(ImageResourceTest, RenderTargetCannotBeginInsideTheFramesScene) {
  ImageResource image(manager_.get(), false);
  image.CreateRenderTarget(device_, 256, 0);
  ASSERT_TRUE(image.targetReady);
  platform::gfx::Surface* frameTarget = nullptr;
  device_->GetRenderTarget(&frameTarget);
  ASSERT_EQ(device_->BeginScene(), platform::kOk);
  EXPECT_TRUE(platform::Failed(image.BeginRenderToTexture()));
  platform::gfx::Surface* current = nullptr;
  device_->GetRenderTarget(&current);
  EXPECT_EQ(current, frameTarget) << "the frame's target stays in place";
  EXPECT_EQ(image.EndRenderToTexture(), platform::kFail) << "nothing to end";
  device_->EndScene();
  current->Release();
  frameTarget->Release();
}

// A flip-book steps one frame each time its timer is strictly past the frame time (never more than one per
// update), moves to the next row after the last column, and a grid without frames never starts.
TEST_F(ImageResourceTest, FlipBookStepsOnlyWhenTheTimerIsStrictlyPastTheDuration) {
  ImageResource image(manager_.get(), false);
  image.SetImageAnimation(0, 4, 2, 0.1f);
  EXPECT_TRUE(image.IsImageAnimating(0));
  EXPECT_FALSE(image.IsImageAnimating(1));
  const struct {
    float u, v;
  } expected[] = {{0.0f, 0.0f},  {0.25f, 0.0f}, {0.25f, 0.0f}, {0.5f, 0.0f},
                  {0.5f, 0.0f},  {0.75f, 0.0f}, {0.75f, 0.0f}, {0.0f, 0.5f}};
  for (const auto& frame : expected) {
    image.UpdateAnimation(0.06f);  // steps on every second update: 0.12 > 0.1, then the timer starts again
    EXPECT_FLOAT_EQ(image.offsetU[0], frame.u);
    EXPECT_FLOAT_EQ(image.offsetV[0], frame.v);
  }
  EXPECT_EQ(image.column[0], 0u);

  ImageResource exact(manager_.get(), false);
  exact.SetImageAnimation(1, 2, 1, 0.25f);
  exact.UpdateAnimation(0.25f);
  EXPECT_FLOAT_EQ(exact.offsetU[1], 0.0f) << "a timer equal to the frame time does not step";
  exact.UpdateAnimation(1.0f);
  EXPECT_FLOAT_EQ(exact.offsetU[1], 0.5f) << "at most one frame per update";

  for (const auto& [columns, rows] : {std::pair{0u, 0u}, std::pair{0u, 3u}, std::pair{3u, 0u}}) {
    ImageResource empty(manager_.get(), false);
    empty.SetImageAnimation(2, columns, rows, 0.1f);
    EXPECT_FALSE(empty.IsImageAnimating(2)) << columns << " x " << rows;
    empty.UpdateAnimation(0.2f);
    EXPECT_EQ(empty.offsetU[2], 0.0f);
    EXPECT_EQ(empty.offsetV[2], 0.0f);
  }
  ImageResource outside(manager_.get(), false);
  outside.SetImageAnimation(7, 4, 4, 0.1f);
  outside.SetImageAnimation(-1, 4, 4, 0.1f);
  for (int channel = 0; channel < 3; ++channel) EXPECT_FALSE(outside.IsImageAnimating(channel));
}

}  // namespace
