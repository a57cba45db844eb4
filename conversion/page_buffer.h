#pragma once

#include <cstddef>

namespace velunor {

// A large working buffer that starts on a page boundary. The kernel copies file data into and
// out of such a buffer about twice as fast as into one that starts a few bytes past a boundary,
// which is where the general-purpose allocator puts blocks of this size. Its bytes start zeroed.
// Writing past its end, rounded up to a page, faults.
class PageBuffer {
 public:
  explicit PageBuffer(std::size_t size);  // size > 0
  ~PageBuffer();
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  char* data_;
  std::size_t size_;
};

}  // namespace velunor
