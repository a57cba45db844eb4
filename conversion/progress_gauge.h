#pragma once

#include <cstdint>

namespace velunor {

// Progress in percent after `bytesRead` of `inputLength`, rounded half to even and kept within
// 0 to 100 (a log that grows while it is read would otherwise pass 100). A length of -1 is
// unknown: the percent stays 0.
int ProgressPercent(std::int64_t bytesRead, std::int64_t inputLength);

// ProgressPercent for a run that asks after every line: the percent only changes about a hundred
// times per run, so it is worked out again only when the bytes read come near the next step.
// The answer is always exactly ProgressPercent's.
class ProgressGauge {
 public:
  explicit ProgressGauge(std::int64_t inputLength) : inputLength_(inputLength) {}

  int Percent(std::int64_t bytesRead) {
    if (Due(bytesRead)) Recompute(bytesRead);
    return percent_;
  }
  // False while the percent cannot have changed since it was last worked out.
  bool Due(std::int64_t bytesRead) const { return bytesRead >= recheckAt_; }

 private:
  void Recompute(std::int64_t bytesRead);

  std::int64_t inputLength_;
  std::int64_t recheckAt_ = 0;
  int percent_ = 0;
};

}  // namespace velunor
