#pragma once

#include <cstdint>
#include <string>

#include "run_options.h"
#include "run_totals.h"

namespace velunor {

// The sums over the logs of one call. 64-bit: each run counts in 32 bits, but several logs
// together may well pass 2 GiB.
struct BatchTotals {
  std::int64_t BytesWritten = 0;
  std::int64_t BytesRead = 0;
  std::int64_t RejectedLines = 0;

  void Add(const RunTotals& run) {
    BytesWritten += run.BytesWritten;
    BytesRead += run.BytesRead;
    RejectedLines += run.RejectedLines;
  }
};

// Kilobytes of a 64-bit byte count, rounded half to even as in the run's summary.
std::int64_t Kilobytes64(std::int64_t bytes);

// The last line of a call with several logs, in the summary's form over the sums:
// "Gesamt: 242 KB von 292 KB geschrieben, 6 Zeile(n) mit Fehler ausgelassen."
std::string TotalText(const BatchTotals& totals);

}  // namespace velunor
