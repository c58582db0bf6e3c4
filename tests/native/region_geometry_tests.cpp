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

// Two 1024x768 monitors, the second left of or above the primary, or a 1280x1024 one
// beside a 1920x1080 primary: the screen is their bounding box, negative where they lie.
namespace {

const Rect kLeftPair{-1024, 0, 1023, 767};
const Rect kAbovePair{0, -768, 1023, 767};

struct ClampCase {
    const char* what;
    Rect screen, in, out;
};

}  // namespace

TEST(RegionGeometry, ClampOnTheVirtualScreen)
{
    const ClampCase cases[] = {
        {"left monitor, untouched", kLeftPair, {-900, 100, -581, 339}, {-900, 100, -581, 339}},
        {"across the boundary", kLeftPair, {-100, 50, 99, 249}, {-100, 50, 99, 249}},
        {"off the left edge", kLeftPair, {-1100, 10, -781, 249}, {-1024, 10, -705, 249}},
        {"off the right edge", kLeftPair, {900, 10, 1219, 249}, {704, 10, 1023, 249}},
        {"reversed drag", kLeftPair, {-10, 300, -300, 200}, {-300, 200, -10, 300}},
        {"wider than both", kLeftPair, {-2000, 0, 2000, 99}, {-1024, 0, 1023, 99}},
        {"above the primary", kAbovePair, {10, -900, 329, -661}, {10, -768, 329, -529}},
        {"below the pair", kAbovePair, {10, 700, 329, 939}, {10, 528, 329, 767}},
        {"taller than both", kAbovePair, {0, -900, 99, 900}, {0, -768, 99, 767}},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.what);
        Rect r = c.in;
        ExpectRect(ClampRectToScreen(r, c.screen), c.out.left, c.out.top, c.out.right,
                   c.out.bottom);
    }
}

TEST(RegionGeometry, FixedFrameAtTheVirtualScreenEdges)
{
    const Rect frame{0, 0, 319, 239};
    const Rect offset = CentredFrameOffset(frame);
    const struct {
        const char* what;
        Rect screen;
        Point cursor;
        Rect out;
    } cases[] = {
        {"far left of the left monitor", kLeftPair, {-1020, 5}, {-1024, 0, -705, 239}},
        {"centred on the boundary", kLeftPair, {0, 384}, {-159, 265, 160, 504}},
        {"far right of the primary", kLeftPair, {1023, 767}, {704, 528, 1023, 767}},
        {"top of the monitor above", kAbovePair, {500, -760}, {341, -768, 660, -529}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Rect r = FixedFrameAt(c.cursor, offset, frame, c.screen);
        ExpectRect(r, c.out.left, c.out.top, c.out.right, c.out.bottom);
    }
}

TEST(RegionGeometry, LabelGoesBelowOnlyAtTheTopOfItsMonitor)
{
    const Size text{200, 13};
    EXPECT_EQ(LayoutSizeLabel(Rect{0, -760, 50, -700}, text, -768).text.y, -700 + 4);
    EXPECT_EQ(LayoutSizeLabel(Rect{0, -700, 50, -650}, text, -768).text.y, -700 - 13 - 4);
}

TEST(RegionGeometry, AreaRefittedWhenTheMonitorsChange)
{
    const Rect primary{0, 0, 1023, 767}, left{-1024, 0, -1, 767};
    const struct {
        const char* what;
        std::vector<Rect> monitors;
        Rect area;
        AreaFate fate;
        Rect out;
    } cases[] = {
        {"still shown",
         {primary, left},
         {-100, 10, 99, 209},
         AreaFate::Unchanged,
         {-100, 10, 99, 209}},
        {"left monitor unplugged",
         {primary},
         {-400, 10, -81, 249},
         AreaFate::Moved,
         {0, 10, 319, 249}},
        {"primary down to 800x600",
         {{0, 0, 799, 599}},
         {600, 500, 919, 739},
         AreaFate::Moved,
         {480, 360, 799, 599}},
        {"across, one monitor gone",
         {primary},
         {-600, 0, 599, 99},
         AreaFate::TooLarge,
         {-600, 0, 599, 99}},
        {"full screen of a smaller mode",
         {{0, 0, 799, 599}},
         {0, 0, 1023, 767},
         AreaFate::TooLarge,
         {0, 0, 1023, 767}},
        {"no monitor at all", {}, {0, 0, 99, 99}, AreaFate::TooLarge, {0, 0, 99, 99}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RefittedArea r = RefitArea(c.area, c.monitors);
        EXPECT_EQ(r.fate, c.fate);
        ExpectRect(r.area, c.out.left, c.out.top, c.out.right, c.out.bottom);
    }
}
