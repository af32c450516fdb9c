// Tests of the bounded little-endian readers.
#include "app/binary_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace app {
namespace {

std::vector<unsigned char> Bytes(std::initializer_list<int> values) {
  std::vector<unsigned char> bytes;
  for (int v : values) bytes.push_back(static_cast<unsigned char>(v));
  return bytes;
}

TEST(BinaryReader, ReadsPastTheEndGiveZeroAndMarkOverrun) {
  auto bytes = Bytes({0x01, 0x02, 0x03});
  BinaryReader reader(bytes);
  EXPECT_EQ(ReadInt16(reader), 0x0201);
  EXPECT_EQ(ReadInt16(reader), 0) << "one byte left: nothing partial is assembled";
  EXPECT_TRUE(reader.Overrun());
  EXPECT_EQ(ReadFloat(reader), 0.0f);
  EXPECT_EQ(ReadZeroTerminatedString(reader), "");
  BinaryReader empty;
  EXPECT_EQ(ReadInt32(empty), 0);
  EXPECT_TRUE(empty.Overrun());
}

TEST(BinaryReader, ZeroTerminatedStringsHaveNoPrefixAndStopAtTheEnd) {
  auto bytes = Bytes({'R', 'O', 'A', 'D', 0, 0, 'A', 'B'});
  BinaryReader reader(bytes);
  EXPECT_EQ(ReadZeroTerminatedString(reader), "ROAD");
  EXPECT_EQ(ReadZeroTerminatedString(reader), "");
  EXPECT_FALSE(reader.Overrun());
  // Unterminated tail: what was read comes back and the truncation is visible.
  EXPECT_EQ(ReadZeroTerminatedString(reader), "AB");
  EXPECT_TRUE(reader.Overrun());
  EXPECT_EQ(ReadZeroTerminatedString(reader), "");
}

TEST(BinaryReader, CountsSeeksAndBlocksAreBoundedByTheBytesLeft) {
  std::vector<unsigned char> bytes(40);
  BinaryReader reader(bytes);
  EXPECT_TRUE(reader.CanRead(10, 4));
  EXPECT_FALSE(reader.CanRead(11, 4));
  EXPECT_FALSE(reader.CanRead(std::numeric_limits<uint64_t>::max(), 12)) << "the product must not wrap";
  EXPECT_TRUE(reader.Skip(36));
  EXPECT_FALSE(reader.CanRead(2, 4));
  unsigned char block[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  EXPECT_FALSE(reader.ReadBytes(block, 8));
  for (unsigned char b : block) EXPECT_EQ(b, 0);
  EXPECT_TRUE(reader.Overrun());
  BinaryReader other(bytes);
  EXPECT_FALSE(other.Seek(41));
  EXPECT_TRUE(other.AtEnd());
}

TEST(AngleBytesToDirection, DecodesPackedUnitDirections) {
  EXPECT_NEAR(AngleBytesToDirection(64, 0, 0), 1.0f, 0.001f);
  EXPECT_EQ(AngleBytesToDirection(64, 10, 3), 0.0f) << "no fourth component";
  for (int a = 0; a < 256; a += 15) {
    for (int b = 0; b < 256; b += 15) {
      const float x = AngleBytesToDirection(a, b, 0), y = AngleBytesToDirection(a, b, 1), z = AngleBytesToDirection(a, b, 2);
      EXPECT_NEAR(x * x + y * y + z * z, 1.0f, 1e-5f);
    }
  }
}

}  // namespace
}  // namespace app
