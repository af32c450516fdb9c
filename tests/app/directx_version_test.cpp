// The graphics-platform version text never overruns the buffer it is given.
#include "app/directx_version.h"

#include <gtest/gtest.h>

namespace {

TEST(DirectXVersion, TheTextIsTruncatedToItsBufferAndAnEmptyBufferIsLeftAlone) {
  char small[3] = {'x', 'x', 'x'};
  app::FormatDirectXVersion({10, 2, ' '}, small, sizeof small);
  EXPECT_STREQ(small, "10");
  uint32_t packed = 0;
  char untouched[4] = "abc";
  EXPECT_EQ(app::GetDirectXVersion(&packed, untouched, 0), platform::kOk);
  EXPECT_STREQ(untouched, "abc");
}

}  // namespace
