// The race screens' outline ribbon: one opaque colour, apart from every grey by hue, dark enough for the facts.
#include "contentgen/career_screens_content.h"

#include <gtest/gtest.h>

#include <cmath>

#include "colour_measure.h"

namespace contentgen {
namespace {

// The colour distance (CIE 1976) at which the road plainly parts from the showroom's greys beside it.
constexpr double kPlainlyApart = 30.0;
// The dimmest amber of the race facts as drawn across the road (a small digit) has luminance 0.415; reading at the
// 4.5:1 asked of text over the road caps the road's luminance at (0.415 + 0.05) / 4.5 - 0.05.
constexpr double kFactsLuminanceCap = 0.0533;

using colour_measure::LabDistance;
using colour_measure::RelativeLuminance;

TEST(CareerScreensContent, RibbonIsOneOpaqueColourApartFromEveryGreyAndDarkEnoughForTheFacts) {
  const PictureData ribbon = MakeDarkMinimapRibbon();
  ASSERT_GT(ribbon.width, 0u);
  ASSERT_GT(ribbon.height, 0u);
  const uint32_t road = ribbon.Get(0, 0);
  EXPECT_EQ(road >> 24, 0xFFu);
  // The screens draw the picture so small that its mip levels blend it into one colour: it is one colour already.
  for (uint32_t y = 0; y < ribbon.height; ++y) {
    for (uint32_t x = 0; x < ribbon.width; ++x) ASSERT_EQ(ribbon.Get(x, y), road) << x << ", " << y;
  }
  // The showroom behind the outline is nearly colourless at every lightness.
  uint32_t nearestGrey = 0;
  for (uint32_t level = 1; level <= 0xFF; ++level) {
    if (LabDistance(road, level * 0x010101u) < LabDistance(road, nearestGrey * 0x010101u)) nearestGrey = level;
  }
  EXPECT_GE(LabDistance(road, nearestGrey * 0x010101u), kPlainlyApart) << "grey " << nearestGrey;
  EXPECT_LE(RelativeLuminance(road), kFactsLuminanceCap);
}

}  // namespace
}  // namespace contentgen
