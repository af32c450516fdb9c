// Sizes the resources and draws are bounded by: compressed image sizes and vertex layouts (the layouts of drawn
// formats are checked by the display tests' pixels).
#include "platform/gfx/types.h"

#include <gtest/gtest.h>

namespace platform::gfx {
namespace {

TEST(GfxFormats, CompressedSizesCountWholeBlocks) {
  EXPECT_EQ(RowPitch(Format::X8R8G8B8, 10), 40u);
  EXPECT_EQ(RowPitch(Format::Dxt1, 5), 16u);
  EXPECT_EQ(ImageBytes(Format::Dxt5, 1, 1), 16u);
  EXPECT_EQ(ImageBytes(Format::Dxt1, 8, 9), 8u * 2 * 3);
  EXPECT_EQ(ImageBytes(Format::Unknown, 8, 8), 0u);
}

TEST(GfxVertexFormats, AFormatWithoutPositionHasNoStrideAndTextureCountsClamp) {
  EXPECT_EQ(DescribeVertexFormat(fvf::kXyz | fvf::kTex1 | fvf::TexCoordSize3(0)).stride, 24u);
  EXPECT_EQ(DescribeVertexFormat(fvf::kDiffuse).stride, 0u);
  EXPECT_EQ(DescribeVertexFormat(fvf::kXyz | 0xF00).texCoordCount, 8);
}

}  // namespace
}  // namespace platform::gfx
