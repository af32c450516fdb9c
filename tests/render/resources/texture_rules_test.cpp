// Texture loads that replace or refuse: loading again over a loaded texture gives the new picture (the old one
// is let go), and a cube map file is not taken for a flat picture.
#include <gtest/gtest.h>

#include "contentgen/dds_writer.h"
#include "render/resources/image_test_support.h"
#include "render/resources/texture.h"

namespace {

using render::Texture;
using render_test::ReadTexel;

class TextureRulesTest : public render_test::NullDeviceFixture {};

TEST_F(TextureRulesTest, LoadingAgainReplacesThePictureAndACubeMapFileIsRefused) {
  Texture texture(false);
  ASSERT_EQ(texture.Load(device_, Write("one.png", Solid(4, 4, 0xFF112233)), false), platform::kOk);
  EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 0, 0), 0xFF112233u);
  ASSERT_EQ(texture.Load(device_, Write("two.png", Solid(8, 2, 0xFF445566)), false), platform::kOk);
  EXPECT_EQ(texture.width, 8u);
  EXPECT_EQ(texture.height, 2u);
  EXPECT_EQ(ReadTexel(texture.GetD3DTexture(), 0, 7, 1), 0xFF445566u);

  std::vector<contentgen::PictureData> faces(6, Solid(8, 8, 0xFF336699));
  ASSERT_TRUE(contentgen::WriteDds(folder_ + "sky.dds", platform::gfx::Format::A8R8G8B8, faces, 1));
  testing::internal::CaptureStdout();
  EXPECT_EQ(texture.Load(device_, folder_ + "sky.dds", false), platform::kFail);
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("a cube map is not a 2D texture"), std::string::npos) << printed;
  EXPECT_FALSE(texture.loaded) << "a refused load leaves nothing of the previous picture";
  EXPECT_EQ(texture.GetD3DTexture(), nullptr);
}

}  // namespace
