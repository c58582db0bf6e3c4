// Points, sizes and rectangles for the window-free rules, so that they build and are
// tested on any host. The fields are those of POINT, SIZE and RECT, 32-bit like theirs;
// win_boundary.h converts at the window code's edge. Any thread.
#pragma once

namespace korvane {

struct Point {
    int x = 0;
    int y = 0;
};

struct Size {
    int cx = 0;
    int cy = 0;
};

// Whether right and bottom are inclusive is each rule's to say.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

}  // namespace korvane
