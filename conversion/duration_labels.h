#pragma once

#include <cstdint>
#include <string>

namespace velunor {

// Label of a split interval: "01 h, 30 min" for 5400 seconds. Hours are not folded into days.
std::string FormatSplitInterval(std::int32_t seconds);

// File-name piece marking where a slice begins in logging time: "_01d01h01m" for 90061 seconds.
std::string FormatSliceSuffix(std::int32_t seconds);

}  // namespace velunor
