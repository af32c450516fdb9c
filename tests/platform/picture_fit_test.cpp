// Tests of fitting a picture to a screen of another shape and mapping screen points back into the picture.
#include "platform/picture_fit.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(PictureFit, KeepsTheShapeCentresAndMapsPointsBack) {
  const struct {
    int pictureWidth, pictureHeight, areaWidth, areaHeight;
    Rect fit;
  } cases[] = {
      {800, 600, 800, 600, {0, 0, 800, 600}},         // same size
      {800, 600, 1600, 1200, {0, 0, 1600, 1200}},     // same shape, larger
      {800, 600, 1920, 1080, {240, 0, 1680, 1080}},   // wide screen: bars left and right
      {800, 600, 1280, 1024, {0, 32, 1280, 992}},     // 5:4 screen: bars above and below
      {640, 480, 1366, 768, {171, 0, 1195, 768}},     // odd leftover: the extra pixel goes right
      {1024, 768, 800, 600, {0, 0, 800, 600}},        // smaller screen: shrunk
      {0, 600, 1280, 1024, {0, 0, 1280, 1024}},       // nothing to fit: the whole area
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.pictureWidth) + " in " + std::to_string(c.areaWidth) + "x" +
                 std::to_string(c.areaHeight));
    const Rect fit = FitPicture(c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight);
    EXPECT_EQ(fit, c.fit);
    if (c.pictureWidth <= 0) continue;
    // Corners of the fitted rectangle are the picture's corners; a point on a bar is the nearest edge.
    const Point topLeft = AreaToPicture({fit.left, fit.top}, c.pictureWidth, c.pictureHeight, fit);
    const Point bottomRight = AreaToPicture({fit.right - 1, fit.bottom - 1}, c.pictureWidth, c.pictureHeight, fit);
    const Point beyond = AreaToPicture({-50, c.areaHeight + 50}, c.pictureWidth, c.pictureHeight, fit);
    EXPECT_EQ(topLeft.x, 0);
    EXPECT_EQ(topLeft.y, 0);
    EXPECT_EQ(bottomRight.x, c.pictureWidth - 1);
    EXPECT_EQ(bottomRight.y, c.pictureHeight - 1);
    EXPECT_EQ(beyond.x, 0);
    EXPECT_EQ(beyond.y, c.pictureHeight - 1);
    // The centre of the screen is the centre of the picture.
    const Point middle = AreaToPicture({(fit.left + fit.right) / 2, (fit.top + fit.bottom) / 2}, c.pictureWidth,
                                       c.pictureHeight, fit);
    EXPECT_NEAR(middle.x, c.pictureWidth / 2, 1);
    EXPECT_NEAR(middle.y, c.pictureHeight / 2, 1);
  }
}

}  // namespace
}  // namespace platform
