// Why the system would refuse a path the user chose to save to, in words the user can
// act on: a part of it named like a device, characters no name may hold, a name the
// system would silently change, or a path longer than the programs may use. Plain
// functions; any thread.
#pragma once
#include <string>

namespace korvane {

// The longest path, in UTF-16 units and without the terminator, that the programs'
// file calls take (they are not long-path aware).
constexpr std::size_t kLongestSavePath = 259;

// Empty when nothing is wrong with `path` (a full path such as "C:\folder\name.avi");
// otherwise the reason, as the end of "<path> cannot be written: ".
std::string SavePathRefusal(const std::string& path);

}  // namespace korvane
