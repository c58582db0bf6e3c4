// The sizes of a packed frame, worked out by hand for each colour depth.
#include "capture/packed_dib_layout.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(PackedLayout, StrideColourTableAndBlockSize)
{
    const PackedDibLayout l8 = LayoutForPackedDib(101, 10, 8);
    EXPECT_EQ(l8.stride, 104u);
    EXPECT_EQ(l8.colourCount, 256);
    EXPECT_EQ(l8.blockBytes, 104u * 10 + 1024 + 40);
    EXPECT_EQ(LayoutForPackedDib(101, 10, 16).stride, 204u);
    EXPECT_EQ(LayoutForPackedDib(101, 10, 24).stride, 304u);
    const PackedDibLayout l32 = LayoutForPackedDib(101, 10, 32);
    EXPECT_EQ(l32.colourCount, 0);
    EXPECT_EQ(l32.blockBytes, 101u * 4 * 10 + 40);
    EXPECT_EQ(LayoutForPackedDib(3, 1, 4).stride, 4u);
    EXPECT_EQ(LayoutForPackedDib(3, 1, 4).colourCount, 16);
    // Sizes that cannot make a frame, or would wrap 32-bit sizes, give nothing.
    EXPECT_EQ(LayoutForPackedDib(0, 10, 32).blockBytes, 0u);
    EXPECT_EQ(LayoutForPackedDib(100000, 100000, 32).blockBytes, 0u);
}
