// Tests of pixel-format sizes, flexible-vertex-format layouts and primitive vertex counts.
#include "platform/gfx/types.h"

#include <gtest/gtest.h>

namespace platform::gfx {
namespace {

TEST(GfxFormats, SizesOfPixelsRowsAndImages) {
  EXPECT_EQ(BytesPerPixel(Format::A8R8G8B8), 4);
  EXPECT_EQ(BytesPerPixel(Format::R5G6B5), 2);
  EXPECT_EQ(BytesPerPixel(Format::L8), 1);
  EXPECT_EQ(BytesPerPixel(Format::Dxt1), 0);
  EXPECT_TRUE(IsCompressed(Format::Dxt5));
  EXPECT_FALSE(IsCompressed(Format::A8));
  EXPECT_EQ(RowPitch(Format::X8R8G8B8, 10), 40u);
  EXPECT_EQ(RowPitch(Format::Dxt1, 5), 16u);   // two blocks of 8 bytes
  EXPECT_EQ(RowPitch(Format::Dxt3, 4), 16u);
  EXPECT_EQ(ImageBytes(Format::Dxt5, 1, 1), 16u);
  EXPECT_EQ(ImageBytes(Format::Dxt1, 8, 9), 8u * 2 * 3);
  EXPECT_EQ(ImageBytes(Format::Unknown, 8, 8), 0u);
}

TEST(GfxVertexFormats, LayoutsOfTheFormatsTheGameUses) {
  const VertexLayout rhw = DescribeVertexFormat(fvf::kXyzRhw | fvf::kDiffuse | fvf::kTex1);  // 0x144
  EXPECT_EQ(rhw.stride, 28u);
  EXPECT_EQ(rhw.positionFloats, 4);
  EXPECT_EQ(rhw.diffuse, 16);
  EXPECT_EQ(rhw.texCoord[0], 20);

  const VertexLayout lit = DescribeVertexFormat(0x252);  // XYZ | NORMAL | DIFFUSE | TEX2
  EXPECT_EQ(lit.stride, 12u + 12 + 4 + 8 + 8);
  EXPECT_EQ(lit.normal, 12);
  EXPECT_EQ(lit.diffuse, 24);
  EXPECT_EQ(lit.specular, -1);
  EXPECT_EQ(lit.texCoord[1], 36);

  const VertexLayout both = DescribeVertexFormat(fvf::kXyz | fvf::kDiffuse | fvf::kSpecular | fvf::kTex1 |
                                                 fvf::TexCoordSize3(0));
  EXPECT_EQ(both.specular, 16);
  EXPECT_EQ(both.texCoordFloats[0], 3);
  EXPECT_EQ(both.stride, 32u);

  const VertexLayout blended = DescribeVertexFormat(fvf::kXyzB2 | fvf::kNormal);
  EXPECT_EQ(blended.blendWeightCount, 2);
  EXPECT_EQ(blended.normal, 20);
  EXPECT_EQ(blended.stride, 32u);

  EXPECT_EQ(DescribeVertexFormat(fvf::kDiffuse).stride, 0u);  // no position
  EXPECT_EQ(DescribeVertexFormat(fvf::kXyz | 0xF00).texCoordCount, 8);  // counts above 8 clamp
}

TEST(GfxPrimitives, VertexCountsPerPrimitiveType) {
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::PointList, 5), 5u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::LineList, 5), 10u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::LineStrip, 5), 6u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::TriangleList, 5), 15u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::TriangleStrip, 5), 7u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::TriangleFan, 5), 7u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::TriangleList, 0), 0u);
  EXPECT_EQ(VerticesForPrimitives(PrimitiveType::TriangleList, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace platform::gfx
