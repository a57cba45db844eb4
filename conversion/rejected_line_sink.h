#pragma once

#include <cstdint>
#include <string_view>

namespace velunor {

// Receives every line a run leaves out as faulty (a known channel with a wrong length), for a
// report of which lines they were. Optional: a run given none pays nothing for it.
class RejectedLineSink {
 public:
  virtual ~RejectedLineSink() = default;

  // `lineNumber` counts the log's lines from 1 as the run reads them; `head` holds at least the
  // line's first six bytes (its channel prefix, as they are), `length` is its full length.
  virtual void Rejected(std::int64_t lineNumber, std::string_view head, std::int64_t length) = 0;
};

}  // namespace velunor
