#include "page_buffer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <new>

namespace velunor {

// Mapped directly rather than allocated: a fresh mapping always starts on a page boundary and goes
// back to the system whole when the buffer is freed. One page past the rounded-up end is mapped
// but never accessible, so that a write slipping past the buffer faults at once instead of
// corrupting whatever lies behind it.
#ifdef _WIN32
PageBuffer::PageBuffer(std::size_t size) : size_(size) {
  SYSTEM_INFO system;
  ::GetSystemInfo(&system);
  void* memory = ::VirtualAlloc(nullptr, size_ + system.dwPageSize, MEM_RESERVE, PAGE_NOACCESS);
  if (memory == nullptr) throw std::bad_alloc();
  data_ = static_cast<char*>(memory);
  if (::VirtualAlloc(data_, size_, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
    ::VirtualFree(data_, 0, MEM_RELEASE);
    throw std::bad_alloc();
  }
}

PageBuffer::~PageBuffer() {
  ::VirtualFree(data_, 0, MEM_RELEASE);
}
#else
namespace {

std::size_t PageSize() {
  return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// The buffer's pages, and the inaccessible one behind them.
std::size_t MappedSize(std::size_t size) {
  const std::size_t page = PageSize();
  return (size + page - 1) / page * page + page;
}

}  // namespace

PageBuffer::PageBuffer(std::size_t size) : size_(size) {
  const std::size_t mapped = MappedSize(size_);
  void* memory = ::mmap(nullptr, mapped, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(memory);
  if (::mprotect(data_, mapped - PageSize(), PROT_READ | PROT_WRITE) != 0) {
    ::munmap(data_, mapped);
    throw std::bad_alloc();
  }
}

PageBuffer::~PageBuffer() {
  ::munmap(data_, MappedSize(size_));
}
#endif

}  // namespace velunor
