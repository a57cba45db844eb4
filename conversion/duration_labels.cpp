#include "duration_labels.h"

namespace velunor {
namespace {

// At least two digits; never cut.
std::string TwoDigits(std::int32_t value) {
  std::string digits = std::to_string(value);
  return digits.size() < 2 ? "0" + digits : digits;
}

}  // namespace

std::string FormatSplitInterval(std::int32_t seconds) {
  const std::int32_t hours = seconds / 3600;
  const std::int32_t minutes = (seconds % 3600) / 60;
  return TwoDigits(hours) + " h, " + TwoDigits(minutes) + " min";
}

std::string FormatSliceSuffix(std::int32_t seconds) {
  const std::int32_t days = seconds / 86400;
  const std::int32_t hours = (seconds % 86400) / 3600;
  const std::int32_t minutes = (seconds % 86400 % 3600) / 60;
  return "_" + TwoDigits(days) + "d" + TwoDigits(hours) + "h" + TwoDigits(minutes) + "m";
}

}  // namespace velunor
