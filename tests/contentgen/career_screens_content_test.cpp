// The practice screen's outline ribbon: bright kerbs at both edges, dark asphalt between.
#include "contentgen/career_screens_content.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace contentgen {
namespace {

uint32_t Brightness(uint32_t argb) { return ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF); }

TEST(CareerScreensContent, RibbonHasBrightEdgesAroundDarkAsphalt) {
  const PictureData ribbon = MakeDarkMinimapRibbon();
  ASSERT_GT(ribbon.width, 2u);
  ASSERT_GT(ribbon.height, 0u);
  const uint32_t middle = ribbon.width / 2;
  for (uint32_t y = 0; y < ribbon.height; y += std::max(1u, ribbon.height / 4)) {
    EXPECT_GT(Brightness(ribbon.Get(0, y)), Brightness(ribbon.Get(middle, y)));
    EXPECT_EQ(ribbon.Get(0, y), ribbon.Get(ribbon.width - 1, y));
    EXPECT_EQ(ribbon.Get(middle, y) >> 24, 0xFFu);
  }
}

}  // namespace
}  // namespace contentgen
