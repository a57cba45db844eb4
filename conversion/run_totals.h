#pragma once

#include <cstdint>

namespace velunor {

// Counts a run reports at its end.
struct RunTotals {
  std::int32_t BytesWritten = 0;
  std::int32_t BytesRead = 0;
  std::int32_t RejectedLines = 0;
  // At least one line belonged to a channel: written, rejected, or a status record dropped.
  // False for a log that holds none of the device's records at all (a wrong file).
  bool SawChannelRecord = false;

  bool operator==(const RunTotals&) const = default;
};

}  // namespace velunor
