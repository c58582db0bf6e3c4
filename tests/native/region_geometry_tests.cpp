// The region selection's rectangle rules, checked against the worked examples.
#include "region/region_geometry.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace korvane;

namespace {

void ExpectRect(const Rect& r, int l, int t, int rr, int b)
{
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}

}  // namespace

TEST(RegionGeometry, NormalizeSwapsReversedCorners)
{
    Rect r{300, 200, 100, 100};
    ExpectRect(NormalizeRect(r), 100, 100, 300, 200);
    Rect ok{1, 2, 3, 4};
    ExpectRect(NormalizeRect(ok), 1, 2, 3, 4);
}

TEST(RegionGeometry, ClampKeepsSizeAndMovesInside)
{
    Rect inside{300, 200, 100, 100};  // a drag from (300,200) to (100,100)
    ExpectRect(ClampRectToScreen(inside, 1024, 768), 100, 100, 300, 200);

    Rect offLeftTop{-50, -20, 269, 219};
    ExpectRect(ClampRectToScreen(offLeftTop, 1024, 768), 0, 0, 319, 239);

    Rect offRightBottom{900, 700, 1219, 939};
    ExpectRect(ClampRectToScreen(offRightBottom, 1024, 768), 704, 528, 1023, 767);

    Rect tooBig{-10, -10, 2000, 1000};
    ExpectRect(ClampRectToScreen(tooBig, 1024, 768), 0, 0, 1023, 767);
}

TEST(RegionGeometry, FixedFrameFollowsMouseInsideScreen)
{
    Rect frame{0, 0, 319, 239};
    ClampRectToScreen(frame, 1024, 768);
    Rect offset = CentredFrameOffset(frame);
    ExpectRect(offset, -159, -119, 160, 120);

    ExpectRect(FixedFrameAt({10, 10}, offset, frame, 1024, 768), 0, 0, 319, 239);
    ExpectRect(FixedFrameAt({1020, 760}, offset, frame, 1024, 768), 704, 528, 1023, 767);
    ExpectRect(FixedFrameAt({500, 400}, offset, frame, 1024, 768), 341, 281, 660, 520);
}

TEST(RegionGeometry, FixedFrameLargerThanScreenIsCutFirst)
{
    Rect frame{0, 0, 1999, 999};
    ClampRectToScreen(frame, 1024, 768);
    ExpectRect(frame, 0, 0, 1023, 767);
    Rect offset = CentredFrameOffset(frame);
    ExpectRect(FixedFrameAt({512, 384}, offset, frame, 1024, 768), 0, 0, 1023, 767);
}

TEST(RegionGeometry, LabelAboveUnlessNoRoom)
{
    const Size text{200, 13};
    LabelLayout above = LayoutSizeLabel(Rect{100, 100, 300, 200}, text);
    EXPECT_EQ(above.text.x, 110);
    EXPECT_EQ(above.text.y, 100 - 13 - 4);
    ExpectRect(above.box, 106, 79, 314, 100);

    // top == cy + 4 still fits above; one less goes below the rectangle.
    EXPECT_EQ(LayoutSizeLabel(Rect{0, 17, 50, 60}, text).text.y, 0);
    LabelLayout below = LayoutSizeLabel(Rect{0, 16, 50, 60}, text);
    EXPECT_EQ(below.text.y, 64);
    ExpectRect(below.box, 6, 60, 214, 81);
}

TEST(RegionGeometry, LabelTextShowsInclusiveSize)
{
    char text[128];
    FormatSizeLabel(Rect{100, 100, 300, 200}, text, sizeof text);
    EXPECT_STREQ(text, "Left : 100  Top : 100  Width : 201  Height : 101 ");
}
