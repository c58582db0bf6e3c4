// How the recorded area is chosen: the setting's values, shared by the settings, the
// options dialog, the remembered options and the status line. Pure.
#pragma once
#include <cstdint>

// The numbers are the ones the settings have always held, so they stay fixed; a new
// choice takes the next number.
enum class RegionMode : int {
    FixedSize = 0,     // a frame of fixedWidth x fixedHeight follows the mouse
    Dragged = 1,       // the user drags a rectangle
    FullScreen = 2,    // the monitor under the pointer when Record is pressed
    WholeDesktop = 3,  // every monitor: the virtual screen when Record is pressed
};

// A stored number that names one of the choices above; any other (a later version's,
// a damaged store's) must not reach the Record command.
constexpr bool IsKnownRegionMode(uint32_t value)
{
    return value <= static_cast<uint32_t>(RegionMode::WholeDesktop);
}
