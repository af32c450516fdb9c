// The menu pointer picture: an arrow inside a clear border, so nothing shows beside it when it is filtered.
#include "contentgen/menu_content.h"

#include <gtest/gtest.h>

namespace contentgen {
namespace {

TEST(MenuContent, ThePointerArrowKeepsAClearBorderAndItsTipAtTheTopLeft) {
  const PictureData pointer = MakePointer();
  ASSERT_EQ(pointer.width, 32u);
  ASSERT_EQ(pointer.height, 32u);
  const auto alpha = [&](uint32_t x, uint32_t y) { return pointer.Get(x, y) >> 24; };
  for (uint32_t i = 0; i < 32; ++i) {
    EXPECT_EQ(alpha(0, i), 0u) << "left column, row " << i;
    EXPECT_EQ(alpha(31, i), 0u) << "right column, row " << i;
    EXPECT_EQ(alpha(i, 0), 0u) << "top row, column " << i;
    EXPECT_EQ(alpha(i, 31), 0u) << "bottom row, column " << i;
  }
  EXPECT_EQ(alpha(1, 1), 0xFFu) << "the tip";
  EXPECT_EQ(pointer.Get(4, 12), 0xFFFFFFFFu) << "the white body";
}

}  // namespace
}  // namespace contentgen
