#pragma once

#include <cstddef>

namespace velunor {

// Where a line reader takes its bytes from: a file, or memory in tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes into `buffer`; returns 0 only at the end of the input.
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

}  // namespace velunor
