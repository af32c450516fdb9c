// Upgrade-name wrapping and the stat bar's gain and loss strips.
#include "screens/garage_widgets.h"

#include <gtest/gtest.h>

namespace screens_test {
namespace {

using screens::WrapLines;

TEST(GarageWidgets, NamesWrapAtTheLastSpaceBeforeTheLimitOrAtTheLimitInsideAWord) {
  const std::string a22(22, 'a');
  const struct {
    std::string name;
    std::vector<std::string> lines;
  } cases[] = {
      {"Rear Wing", {"Rear Wing"}},
      {a22, {a22}},
      {"", {""}},
      {"Carbon Fiber Xx Spoilers123", {"Carbon Fiber Xx", "Spoilers123"}},
      {a22 + " bb", {a22, "bb"}},  // a space just past the limit still lets the first 22 stand
      {std::string(50, 'w'), {std::string(22, 'w'), std::string(22, 'w'), std::string(6, 'w')}},
  };
  for (const auto& test : cases) EXPECT_EQ(WrapLines(test.name, 22), test.lines) << test.name;
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
