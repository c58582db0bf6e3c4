#include "video1.h"
#include <gtest/gtest.h>
TEST(Video1Size, WholeBlocksOnly) { EXPECT_TRUE(video1::IsCodableSize(320, 240)); EXPECT_FALSE(video1::IsCodableSize(201, 101)); }
