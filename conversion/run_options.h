#pragma once

#include <cstdint>

#include "record_filter.h"

namespace velunor {

// The settings a run takes from the window.
struct RunOptions {
  velunor::StatusChannelMode StatusChannelMode = velunor::StatusChannelMode::Transform;
  bool Append = false;            // append to the first output file instead of replacing it
  std::int16_t SplitMinutes = 0;  // slice length in minutes of logging time; 0: no split
};

}  // namespace velunor
