// Font width tables: every separator form, comments, header lines, codes out of range (negative included), and
// a missing file.
#include "render/resources/bitmap_font.h"

#include <gtest/gtest.h>

#include "render/resources/image_test_support.h"

namespace {

using render::BitmapFont;

TEST(BitmapFont, SeparatorsCommentsAndHeadersFollowTheTableRules) {
  BitmapFont font;
  font.ParseIni(
      "[Char Widths] 3 4\n"
      "65 = 12\n"
      "66:13\n"
      "67 14\n"
      "68\t=\t15\r\n"
      "69 = 9 # trailing words\n"
      "# 70 = 99\n"
      "[Chars]\n"
      "71\n"
      "\n"
      "32 = 4\n"
      "32 = 6\n");
  EXPECT_EQ(font.widths[3], 0) << "a header line whose first token is [Char is skipped";
  EXPECT_EQ(font.widths[65], 12);
  EXPECT_EQ(font.widths[66], 13);
  EXPECT_EQ(font.widths[67], 14);
  EXPECT_EQ(font.widths[68], 15);
  EXPECT_EQ(font.widths[69], 9);
  EXPECT_EQ(font.widths[70], 0) << "comment line";
  EXPECT_EQ(font.widths[71], 0) << "one token";
  EXPECT_EQ(font.widths[32], 6) << "a later line wins";
}

TEST(BitmapFont, CodesOutsideTheTableAreIgnoredAndWordsReadAsZero) {
  BitmapFont font;
  font.widths.fill(7);
  font.ParseIni("300 = 5\n256 = 5\n-1 = 5\n-2147483648 = 5\n99999999999999999999 = 5\nx = 11\n5 = 8px\n6 = -3\n");
  EXPECT_EQ(font.widths[0], 11) << "a first token that is not a number reads as code 0";
  EXPECT_EQ(font.widths[5], 8) << "reading stops at the first non-digit";
  EXPECT_EQ(font.widths[6], -3);
  EXPECT_EQ(font.widths[255], 7);
  EXPECT_EQ(font.widths[1], 7);
}

}  // namespace
