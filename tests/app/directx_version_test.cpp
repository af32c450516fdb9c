// Packed and text forms of the graphics-platform version.
#include "app/directx_version.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectXVersion, PacksTheLowerCasedLetterAndTruncatesTheTextToItsBuffer) {
  EXPECT_EQ(app::PackDirectXVersion({8, 1, 'B'}), 0x00080102u);
  char small[3] = {'x', 'x', 'x'};
  app::FormatDirectXVersion({10, 2, ' '}, small, sizeof small);
  EXPECT_STREQ(small, "10");
  uint32_t packed = 0;
  char untouched[4] = "abc";
  EXPECT_EQ(app::GetDirectXVersion(&packed, untouched, 0), platform::kOk);
  EXPECT_EQ(packed, 0x00090000u);
  EXPECT_STREQ(untouched, "abc");
  EXPECT_EQ(app::GetDirectXVersion(&packed, nullptr, 10), platform::kOk);
}

}  // namespace
