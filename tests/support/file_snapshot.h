#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "temp_dir.h"

namespace velunor::testing {

// What a file holds and when it last changed, to show that a run left it alone. Large files (the
// sparse 2 GiB logs) are judged by size and modification time alone: any write changes the time.
struct FileSnapshot {
  bool Exists = false;
  std::int64_t Size = 0, ModifiedNs = 0;
  std::string Bytes;
  bool operator==(const FileSnapshot&) const = default;
};

inline FileSnapshot SnapshotOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return {true, info.st_size, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec,
          info.st_size < (1 << 24) ? ReadFile(path) : ""};
}

}  // namespace velunor::testing
