#include "page_buffer.h"

#include <sys/mman.h>

#include <new>

namespace velunor {

PageBuffer::PageBuffer(std::size_t size) : size_(size) {
  // Mapped directly rather than allocated: a fresh mapping always starts on a page boundary and
  // goes back to the system whole when the buffer is freed.
  void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(memory);
}

PageBuffer::~PageBuffer() {
  ::munmap(data_, size_);
}

}  // namespace velunor
