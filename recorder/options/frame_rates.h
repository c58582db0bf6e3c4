// The frame rates a recording can be made at: the options dialog's list, in its order,
// and the values a remembered rate is checked against. Any thread.
#pragma once

namespace korvane {

constexpr int kFrameRateChoices[] = {5, 10, 20, 22, 25, 27, 30, 60};

}  // namespace korvane
