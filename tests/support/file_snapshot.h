#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "temp_dir.h"

namespace velunor::testing {

// What a file or folder holds and when it was last changed, to show that a run left it alone.
// Large files (the sparse 2 GiB logs) are judged by size and modification time alone: any
// write changes the time.
struct FileSnapshot {
  bool Exists = false;
  std::int64_t Size = 0;
  std::int64_t ModifiedNs = 0;
  std::string Bytes;

  bool operator==(const FileSnapshot&) const = default;
};

inline FileSnapshot SnapshotOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  FileSnapshot snapshot{true,
                        info.st_size,
                        std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec,
                        {}};
  if (S_ISREG(info.st_mode) && info.st_size < (1 << 24)) snapshot.Bytes = ReadFile(path);
  return snapshot;
}

}  // namespace velunor::testing
