// Tests of curves and the .crv reader, fed by the sample-content writer.
#include "app/curve.h"

#include <gtest/gtest.h>
#include "contentgen/curve_writer.h"



namespace app {
namespace {

TEST(Curve, InterpolatesBetweenPointsAndAnEmptyCurveGivesZero) {
  const Curve curve = Curve::FromText(contentgen::CurveText({{0, 10}, {1, 20}, {2, 5}}));
  for (auto [x, y] : {std::pair{-5.0f, 10.0f}, {1.0f, 20.0f}, {1.5f, 12.5f}, {9.0f, 5.0f}}) {
    EXPECT_FLOAT_EQ(curve.Evaluate(x), y) << x;
  }
  EXPECT_EQ(Curve::FromText("").Evaluate(3.0f), 0.0f);
}

TEST(Curve, PointLinesAndValueLines) {
  // "point 1" has two tokens and starts nothing; "pointer3" starts a point; the line after a point name is
  // dropped whatever it holds; comments and tabs are handled by the line reader and the number parser.
  const Curve curve = Curve::FromText(
      "# slip curve\npoint 1\nx = 99\npointer3\nanything here\n# a comment line is skipped\nx = 1.5\t\n"
      "y =\t2.5 # comment\n}\np0\npoint9\n{\nx = 4\ny\n");
  ASSERT_EQ(curve.Points().size(), 2u);
  EXPECT_EQ(curve.Points()[0].x, 1.5f);
  EXPECT_EQ(curve.Points()[0].y, 2.5f);
  EXPECT_EQ(curve.Points()[1].x, 4.0f);
  EXPECT_EQ(curve.Points()[1].y, 0.0f);  // a value line with a single token reads 0
}

TEST(Curve, FileEndingInsideAPointAddsNothing) {
  const Curve curve = Curve::FromText("point0\n{\nx = 1\ny = 2\n}\npoint1\n{\nx = 5\n");
  ASSERT_EQ(curve.Points().size(), 1u);
  EXPECT_EQ(curve.Evaluate(100), 2.0f);
}

}  // namespace
}  // namespace app
