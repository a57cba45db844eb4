#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>

namespace velunor::testing {

// How many files the test has open (Linux; 0 elsewhere): a run must leave none open behind it.
inline std::ptrdiff_t OpenFiles() {
#ifdef _WIN32
  return 0;  // Wine would list its own process's files
#else
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
#endif
}

}  // namespace velunor::testing
