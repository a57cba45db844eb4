#include "progress_gauge.h"

#include <algorithm>
#include <limits>

#include "number_text.h"

namespace velunor {

int ProgressPercent(std::int64_t bytesRead, std::int64_t inputLength) {
  if (inputLength < 0) return 0;     // unknown: the window shows the bytes read instead
  if (inputLength == 0) return 100;  // only a log that grew from empty gets here
  const double percent = static_cast<double>(bytesRead) / static_cast<double>(inputLength) * 100;
  return RoundHalfEven(std::clamp(percent, 0.0, 100.0));
}

void ProgressGauge::Recompute(std::int64_t bytesRead) {
  percent_ = ProgressPercent(bytesRead, inputLength_);
  if (percent_ >= 100 || inputLength_ < 0) {
    recheckAt_ = std::numeric_limits<std::int64_t>::max();
    return;
  }
  // The rounded percent cannot grow before the bytes read reach (percent + 0.5) % of the length;
  // the margin of a few bytes covers the floating-point error of that estimate.
  const double next = (percent_ + 0.5) / 100.0 * static_cast<double>(inputLength_);
  recheckAt_ = std::max(bytesRead + 1, static_cast<std::int64_t>(next) - 4);
}

}  // namespace velunor
