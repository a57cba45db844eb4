#pragma once

#include <cstdint>

#include "run_time_error.h"

namespace velunor {

// Adds to a signed 32-bit counter; leaving the range raises the overflow error and leaves the
// counter as it was.
inline void CheckedAdd(std::int32_t& counter, std::int64_t amount) {
  const std::int64_t sum = static_cast<std::int64_t>(counter) + amount;
  if (sum > INT32_MAX || sum < INT32_MIN) throw RunTimeError(error_number::kOverflow);
  counter = static_cast<std::int32_t>(sum);
}

}  // namespace velunor
