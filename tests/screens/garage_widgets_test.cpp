// Upgrade-name wrapping, the money counter, colour selector placement and stat-bar geometry.
#include "screens/garage_widgets.h"

#include <gtest/gtest.h>

namespace screens_test {
namespace {

using screens::WrapLines;

TEST(GarageWidgets, ShortNamesStayOnOneLine) {
  EXPECT_EQ(WrapLines("Rear Wing", 22), (std::vector<std::string>{"Rear Wing"}));
  const std::string exact(22, 'x');
  EXPECT_EQ(WrapLines(exact, 22), (std::vector<std::string>{exact}));
  EXPECT_EQ(WrapLines("", 22), (std::vector<std::string>{""}));
}

TEST(GarageWidgets, LongNamesCutAtTheLastSpaceBeforeTheLimit) {
  // 27 characters; the last space among the first 23 stands after the 15th character.
  const std::string name = "Carbon Fiber Xx Spoilers123";
  ASSERT_EQ(name.size(), 27u);
  const auto lines = WrapLines(name, 22);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Carbon Fiber Xx");
  EXPECT_EQ(lines[1], "Spoilers123");
  EXPECT_EQ(lines[1].size(), 11u);
  // A space exactly at the 23rd character still lets the first 22 stand as one line.
  const std::string edge = std::string(22, 'a') + " bb";
  EXPECT_EQ(WrapLines(edge, 22), (std::vector<std::string>{std::string(22, 'a'), "bb"}));
}

TEST(GarageWidgets, WordsLongerThanALineAreBrokenAtTheLimit) {
  const std::string word(50, 'w');
  const auto lines = WrapLines(word, 22);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 22u);
  EXPECT_EQ(lines[1].size(), 22u);
  EXPECT_EQ(lines[2].size(), 6u);
}

TEST(GarageWidgets, MoneyCounterRunsTowardItsTargetWithoutPassingIt) {
  screens::MoneyCounter counter;
  EXPECT_TRUE(counter.Advance(5000, 0.05f));  // 100000 per second: 5000 in one 0.05 s frame
  EXPECT_FLOAT_EQ(counter.displayed, 5000);
  EXPECT_FALSE(counter.Advance(5000, 0.05f));
  EXPECT_TRUE(counter.Advance(50000, 0.1f));
  EXPECT_FLOAT_EQ(counter.displayed, 15000);
  EXPECT_TRUE(counter.Advance(2000, 1.0f));  // spending counts down
  EXPECT_FLOAT_EQ(counter.displayed, 2000);
}

TEST(GarageWidgets, IndicesWrapBothWays) {
  EXPECT_EQ(screens::WrapIndex(2, 1, 3), 0);
  EXPECT_EQ(screens::WrapIndex(0, -1, 3), 2);
  EXPECT_EQ(screens::WrapIndex(-1, 1, 4), 0);
  EXPECT_EQ(screens::WrapIndex(-1, -1, 4), 3);
  EXPECT_EQ(screens::WrapIndex(0, 1, 0), 0);
}

TEST(GarageWidgets, SelectorShowsEveryColourOfTwoAndThreeOfMany) {
  const auto two = screens::LayoutSwatches(2, 1);
  ASSERT_EQ(two.swatches.size(), 2u);
  EXPECT_FLOAT_EQ(two.swatches[0].x, 380);
  EXPECT_FLOAT_EQ(two.swatches[1].x, 420);
  EXPECT_FLOAT_EQ(two.frameX, 416);
  EXPECT_FLOAT_EQ(screens::LayoutSwatches(2, 0).frameX, 376);

  const auto five = screens::LayoutSwatches(5, 0);
  ASSERT_EQ(five.swatches.size(), 3u);
  EXPECT_EQ(five.swatches[0].swatch, 4);
  EXPECT_EQ(five.swatches[1].swatch, 0);
  EXPECT_EQ(five.swatches[2].swatch, 1);
  EXPECT_FLOAT_EQ(five.swatches[0].x, 370);
  EXPECT_FLOAT_EQ(five.swatches[2].x, 430);
  EXPECT_FLOAT_EQ(five.frameX, 397);
  EXPECT_FLOAT_EQ(five.frameY, 449);
  EXPECT_FALSE(screens::LayoutSwatches(0, 0).hasFrame);
}

TEST(GarageWidgets, StatBarShowsGainAndLossInDifferentStrips) {
  const auto gain = screens::StatBarQuads(148, 501, 0.6f, 0.4f);
  ASSERT_EQ(gain.size(), 3u);
  EXPECT_FLOAT_EQ(gain[0].width, 110 * 0.4f);
  EXPECT_FLOAT_EQ(gain[0].right, 4 + 109 * 0.4f);
  EXPECT_FLOAT_EQ(gain[1].width, 110 * 0.6f);
  EXPECT_FLOAT_EQ(gain[1].left, 20);
  EXPECT_FLOAT_EQ(gain[2].width, 110);

  const auto loss = screens::StatBarQuads(148, 501, 0.3f, 0.5f);
  EXPECT_FLOAT_EQ(loss[0].width, 110 * 0.3f);
  EXPECT_FLOAT_EQ(loss[1].width, 110 * 0.5f);
  EXPECT_FLOAT_EQ(loss[1].left, 85);

  const auto same = screens::StatBarQuads(148, 501, 0.5f, 0.5f);
  EXPECT_FLOAT_EQ(same[0].width, same[1].width);
  EXPECT_FLOAT_EQ(same[1].left, 85);  // not above the base: the loss strip
}

}  // namespace
}  // namespace screens_test
