#include "standard_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_errors.h"

namespace velunor {

void ReserveStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // A new descriptor takes the lowest free number, which is this one, as those before it are
    // open by now. Read-only: writing to it fails as writing to the closed one would have.
    ::open("/dev/null", O_RDONLY);
  }
}

void WriteStandardOutput(std::string_view text) {
  while (!text.empty()) {
    const ssize_t done = ::write(STDOUT_FILENO, text.data(), text.size());
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
