#include "input_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "file_errors.h"

namespace velunor {

namespace {

constexpr int kWaitSliceMs = 10;

}  // namespace

InputFile::InputFile(const std::string& path, std::function<void()> whileWaiting)
    : whileWaiting_(std::move(whileWaiting)) {
  // Without O_NONBLOCK, opening a FIFO would wait for its writer with no way out.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) throw OpenError(errno, path);
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd_);
    fd_ = -1;
    throw OpenError(error, path);
  }
  identity_ = {info.st_dev, info.st_ino};
  waits_ = !S_ISREG(info.st_mode);
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() {
  Close();
}

std::size_t InputFile::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    if (waits_) WaitForData();
    const ssize_t got = ::read(fd_, buffer, capacity);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR && errno != EAGAIN) throw TransferError(errno);
  }
}

// Returns once a read will not block: data has come, or the writer has gone (the end). A FIFO
// that never had a writer reports neither, so the wait goes on until one appears.
void InputFile::WaitForData() {
  pollfd request{fd_, POLLIN, 0};
  for (;;) {
    const int ready = ::poll(&request, 1, kWaitSliceMs);
    if (ready > 0) return;
    if (ready < 0 && errno != EINTR) throw TransferError(errno);
    if (whileWaiting_) whileWaiting_();
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
