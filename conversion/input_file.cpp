#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_errors.h"

namespace velunor {

InputFile::InputFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) throw OpenError(errno, path);
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd_);
    fd_ = -1;
    throw OpenError(error, path);
  }
  identity_ = {info.st_dev, info.st_ino};
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() {
  Close();
}

std::size_t InputFile::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, capacity);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw TransferError(errno);
  }
}

std::int64_t InputFile::Length() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throw TransferError(errno);
  return static_cast<std::int64_t>(info.st_size);
}

void InputFile::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace velunor
