// The race screens' outline ribbon: one opaque colour, apart from every grey by hue, dark enough for the facts.
#include "contentgen/career_screens_content.h"

#include <gtest/gtest.h>

#include <cmath>

namespace contentgen {
namespace {

// The colour distance (CIE 1976) at which the road plainly parts from the showroom's greys beside it.
constexpr double kPlainlyApart = 30.0;
// The dimmest amber of the race facts as drawn across the road (a small digit) has luminance 0.415; reading at the
// 4.5:1 asked of text over the road caps the road's luminance at (0.415 + 0.05) / 4.5 - 0.05.
constexpr double kFactsLuminanceCap = 0.0533;

double Linear(uint32_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(uint32_t argb) {
  return 0.2126 * Linear((argb >> 16) & 0xFF) + 0.7152 * Linear((argb >> 8) & 0xFF) + 0.0722 * Linear(argb & 0xFF);
}

// CIE 1976 L*a*b* distance between two sRGB colours, white point D65.
double LabDistance(uint32_t first, uint32_t second) {
  const auto lab = [](uint32_t argb, double out[3]) {
    const double r = Linear((argb >> 16) & 0xFF), g = Linear((argb >> 8) & 0xFF), b = Linear(argb & 0xFF);
    const double xyz[3] = {(0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047, 0.2126 * r + 0.7152 * g + 0.0722 * b,
                           (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883};
    double f[3];
    for (int i = 0; i < 3; ++i) {
      constexpr double kEdge = 6.0 / 29.0;
      f[i] = xyz[i] > kEdge * kEdge * kEdge ? std::cbrt(xyz[i]) : xyz[i] / (3 * kEdge * kEdge) + 4.0 / 29.0;
    }
    out[0] = 116 * f[1] - 16;
    out[1] = 500 * (f[0] - f[1]);
    out[2] = 200 * (f[1] - f[2]);
  };
  double p[3], q[3];
  lab(first, p);
  lab(second, q);
  return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2]));
}

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
