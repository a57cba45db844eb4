#include "page_buffer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <new>

namespace velunor {

// Mapped directly rather than allocated: a fresh mapping always starts on a page boundary and goes
// back to the system whole when the buffer is freed.
#ifdef _WIN32
PageBuffer::PageBuffer(std::size_t size) : size_(size) {
  void* memory = ::VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (memory == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(memory);
}

PageBuffer::~PageBuffer() {
  ::VirtualFree(data_, 0, MEM_RELEASE);
}
#else
PageBuffer::PageBuffer(std::size_t size) : size_(size) {
  void* memory = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(memory);
}

PageBuffer::~PageBuffer() {
  ::munmap(data_, size_);
}
#endif

}  // namespace velunor
