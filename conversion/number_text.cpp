#include "number_text.h"

#include <cfenv>
#include <cmath>

#include "run_time_error.h"

namespace velunor {

std::string NumberText(std::int64_t value) {
  std::string digits = std::to_string(value);
  return value < 0 ? digits : " " + digits;
}

std::int32_t RoundHalfEven(double value) {
  // The default floating-point rounding mode rounds halves to even; nearbyint uses it.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) {
    throw RunTimeError(error_number::kOverflow);
  }
  return static_cast<std::int32_t>(rounded);
}

std::int32_t Kilobytes(std::int32_t bytes) {
  return RoundHalfEven(bytes / 1024.0);
}

}  // namespace velunor
