#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velunor::testing {

// What a file (or folder) holds and when it was last modified, to show that a run left it
// alone. Holes of a sparse file are skipped rather than read, so a 2 GiB log costs only its data;
// any write into a hole turns it into data and changes the digest.
struct FileSnapshot {
  bool Exists = false;
  bool IsDirectory = false;
  std::int64_t Size = 0;
  std::int64_t ModifiedNs = 0;
  std::size_t Digest = 0;

  bool operator==(const FileSnapshot&) const = default;
};

inline FileSnapshot SnapshotOf(const std::string& path) {
  FileSnapshot snapshot;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return snapshot;
  snapshot.Exists = true;
  snapshot.IsDirectory = S_ISDIR(info.st_mode);
  snapshot.Size = info.st_size;
  snapshot.ModifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
  if (snapshot.IsDirectory) return snapshot;

  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return snapshot;
  std::vector<char> chunk(std::size_t{1} << 20);
  std::size_t digest = 0;
  off_t data = ::lseek(fd, 0, SEEK_DATA);
  while (data >= 0) {
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    for (off_t at = data; at < hole;) {
      const std::size_t want =
          static_cast<std::size_t>(std::min<off_t>(hole - at, static_cast<off_t>(chunk.size())));
      const ssize_t got = ::pread(fd, chunk.data(), want, at);
      if (got <= 0) break;
      digest = digest * 1'000'003 ^ std::hash<std::int64_t>{}(at) ^
               std::hash<std::string_view>{}(std::string_view(chunk.data(), got));
      at += got;
    }
    data = ::lseek(fd, hole, SEEK_DATA);
  }
  ::close(fd);
  snapshot.Digest = digest;
  return snapshot;
}

}  // namespace velunor::testing
