// The C runtime's random sequence, reproduced exactly.
#include <gtest/gtest.h>

#include "platform/os.h"

namespace platform {
namespace {

TEST(CrtRandom, SeedOneGivesTheRuntimeSequence) {
  CrtSeed(1);
  EXPECT_EQ(CrtRand(), 41);
  EXPECT_EQ(CrtRand(), 18467);
  EXPECT_EQ(CrtRand(), 6334);
  EXPECT_EQ(CrtRand(), 26500);
  EXPECT_EQ(CrtRand(), 19169);
}

TEST(CrtRandom, ReseedingRestartsTheSequence) {
  CrtSeed(1);
  const int first = CrtRand();
  CrtRand();
  CrtSeed(1);
  EXPECT_EQ(CrtRand(), first);
  // Seed 0: state 2531011 after one step, whose bits 16-30 are 38.
  CrtSeed(0);
  EXPECT_EQ(CrtRand(), 38);
}

TEST(CrtRandom, ValuesStayInRangeAndUseItWhole) {
  CrtSeed(12345);
  int lowest = kCrtRandMax;
  int highest = 0;
  for (int i = 0; i < 100000; ++i) {
    const int value = CrtRand();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, kCrtRandMax);
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  EXPECT_LT(lowest, 100);
  EXPECT_GT(highest, kCrtRandMax - 100);
}

}  // namespace
}  // namespace platform
