// Packed and text forms of the graphics-platform version.
#include "app/directx_version.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DirectXVersion, PacksMajorMinorAndLowerCasedLetter) {
  EXPECT_EQ(app::PackDirectXVersion({9, 0, ' '}), 0x00090000u);
  EXPECT_EQ(app::PackDirectXVersion({8, 1, 'b'}), 0x00080102u);
  EXPECT_EQ(app::PackDirectXVersion({8, 1, 'B'}), 0x00080102u);
  EXPECT_EQ(app::PackDirectXVersion({6, 1, 'a'}), 0x00060101u);
}

TEST(DirectXVersion, TextIsTruncatedToTheBufferAndAlwaysTerminated) {
  char text[10];
  app::FormatDirectXVersion({8, 1, 'B'}, text, sizeof text);
  EXPECT_STREQ(text, "8.1b");
  char small[3] = {'x', 'x', 'x'};
  app::FormatDirectXVersion({10, 2, ' '}, small, sizeof small);
  EXPECT_STREQ(small, "10");
}

TEST(DirectXVersion, ReportsTheNineLevelAndLeavesAMissingBufferAlone) {
  uint32_t packed = 1;
  char text[10] = "garbage";
  ASSERT_EQ(app::GetDirectXVersion(&packed, text, sizeof text), platform::kOk);
  EXPECT_EQ(packed, 0x00090000u);
  EXPECT_STREQ(text, "9.0");

  packed = 0;
  char untouched[4] = "abc";
  EXPECT_EQ(app::GetDirectXVersion(&packed, untouched, 0), platform::kOk);
  EXPECT_EQ(packed, 0x00090000u);
  EXPECT_STREQ(untouched, "abc");
  EXPECT_EQ(app::GetDirectXVersion(&packed, nullptr, 10), platform::kOk);
}

}  // namespace
