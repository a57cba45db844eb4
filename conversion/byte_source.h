#pragma once

#include <cstddef>
#include <cstdint>

namespace velunor {

// Where a line reader takes its bytes from: a file, or memory in tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes into `buffer`; returns 0 only at the end of the input.
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
  // For a compressed source, the compressed bytes consumed so far; -1 for one that is not.
  virtual std::int64_t CompressedConsumed() const = 0;
};

}  // namespace velunor
