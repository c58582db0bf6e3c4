// The border's corner-mark shape, probed pixel by pixel with the region itself.
#include "region/corner_marks.h"

#include "gdi_owners.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

struct Marks {
    korvane::Region region;
    bool Has(int x, int y) const { return PtInRegion(region.Get(), x, y) != FALSE; }
};

}  // namespace

TEST(BorderShape, Example320x240)
{
    Marks r{korvane::Region(CreateCornerMarkRegion(100, 100, 320, 240))};
    ASSERT_TRUE(r.region);
    RECT box;
    GetRgnBox(r.region.Get(), &box);
    EXPECT_EQ(box.left, 94);
    EXPECT_EQ(box.top, 94);
    EXPECT_EQ(box.right, 425);  // exclusive: the marks end at 424
    EXPECT_EQ(box.bottom, 345);

    // Nothing of the marks inside the captured area.
    for (int x = 100; x <= 419; x += 7)
        for (int y = 100; y <= 339; y += 7)
            ASSERT_FALSE(r.Has(x, y)) << x << "," << y;

    // Top-left mark: x 94..117 on the top arm, y 94..117 on the left arm, 6 thick.
    EXPECT_TRUE(r.Has(94, 94));
    EXPECT_TRUE(r.Has(117, 99));
    EXPECT_FALSE(r.Has(118, 99));
    EXPECT_FALSE(r.Has(117, 100));
    EXPECT_TRUE(r.Has(99, 117));
    EXPECT_FALSE(r.Has(99, 118));
    // Right and bottom sides are 5 thick: 420..424 and 340..344; arms of 23 there.
    EXPECT_TRUE(r.Has(424, 344));
    EXPECT_FALSE(r.Has(425, 344));
    EXPECT_FALSE(r.Has(424, 345));
    EXPECT_TRUE(r.Has(402, 344));
    EXPECT_FALSE(r.Has(401, 344));
    EXPECT_TRUE(r.Has(424, 322));
    EXPECT_FALSE(r.Has(424, 321));
    // The middle of each side is open.
    EXPECT_FALSE(r.Has(260, 96));
    EXPECT_FALSE(r.Has(96, 220));
}

TEST(BorderShape, SmallAreaIsAClosedFrame)
{
    Marks r{korvane::Region(CreateCornerMarkRegion(50, 60, 30, 30))};
    ASSERT_TRUE(r.region);
    for (int x = 44; x <= 84; ++x) {
        EXPECT_TRUE(r.Has(x, 54)) << x;
        EXPECT_TRUE(r.Has(x, 94)) << x;
    }
    for (int y = 54; y <= 94; ++y) {
        EXPECT_TRUE(r.Has(44, y)) << y;
        EXPECT_TRUE(r.Has(84, y)) << y;
    }
    EXPECT_FALSE(r.Has(50, 60));
    EXPECT_FALSE(r.Has(79, 89));
}

TEST(BorderShape, PaintRectCoversMarksAndSkipsEmptyFrames)
{
    RECT out;
    ASSERT_TRUE(CornerPaintRect(RECT{100, 100, 419, 339}, &out));
    EXPECT_EQ(out.left, 94);
    EXPECT_EQ(out.top, 94);
    EXPECT_EQ(out.right, 425);
    EXPECT_EQ(out.bottom, 345);
    EXPECT_FALSE(CornerPaintRect(RECT{100, 100, 100, 339}, &out));  // width 1
    EXPECT_FALSE(CornerPaintRect(RECT{100, 100, 419, 100}, &out));  // height 1
}
