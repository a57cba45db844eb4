#include "standard_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_errors.h"

namespace velunor {

void ReserveStandardStreams() {
  // A new descriptor takes the lowest free number: opening until one lands above the standard
  // three fills each of them that is closed. Read-only: a write there fails as it would have.
  int fd = -1;
  do {
    fd = ::open("/dev/null", O_RDONLY);
  } while (fd >= 0 && fd <= STDERR_FILENO);
  if (fd >= 0) ::close(fd);
}

void WriteStandardOutput(std::string_view text) {
  WriteAll(STDOUT_FILENO, text);
}

void WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t done = ::write(fd, text.data(), text.size());
    if (done < 0) {
      if (errno == EINTR) continue;
      throw TransferError(errno);
    }
    text.remove_prefix(static_cast<std::size_t>(done));
  }
}

bool IsStandardOutput(const std::string& path) {
  struct stat named {};
  struct stat out {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
         named.st_dev == out.st_dev && named.st_ino == out.st_ino;
}

}  // namespace velunor
