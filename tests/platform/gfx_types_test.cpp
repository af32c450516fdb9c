// Sizes the resources and draws are bounded by: compressed image sizes, vertex layouts and primitive counts.
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

TEST(GfxVertexFormats, LayoutsPlaceEachElementAfterThePrevious) {
  const VertexLayout lit = DescribeVertexFormat(fvf::kXyz | fvf::kNormal | fvf::kDiffuse | fvf::kTex2);
  EXPECT_EQ(lit.stride, 12u + 12 + 4 + 8 + 8);
  EXPECT_EQ(lit.diffuse, 24);
  EXPECT_EQ(lit.specular, -1);
  EXPECT_EQ(lit.texCoord[1], 36);
  const VertexLayout blended = DescribeVertexFormat(fvf::kXyzB2 | fvf::kNormal);
  EXPECT_EQ(blended.normal, 20);
  EXPECT_EQ(DescribeVertexFormat(fvf::kXyz | fvf::kTex1 | fvf::TexCoordSize3(0)).stride, 24u);
  EXPECT_EQ(DescribeVertexFormat(fvf::kDiffuse).stride, 0u);            // no position
  EXPECT_EQ(DescribeVertexFormat(fvf::kXyz | 0xF00).texCoordCount, 8);  // counts above 8 clamp
}

}  // namespace
}  // namespace platform::gfx
