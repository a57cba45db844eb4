#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "file_errors.h"
#include "native_file.h"

namespace velunor {
namespace {

int Fd(NativeHandle file) {
  return static_cast<int>(file);
}

FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino), true};
}

}  // namespace

NativeHandle OpenForReading(const std::string& path) {
  // Without O_NONBLOCK, opening a FIFO would wait for its writer with no way out.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw OpenError(errno, path);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    throw OpenError(error, path);
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return fd;
}

NativeHandle OpenForWriting(const std::string& path, bool append) {
  const int how = append ? O_APPEND : 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | how, 0666);
  if (fd < 0) throw OpenError(errno, path);
  return fd;
}

NativeHandle HandleOfDescriptor(int descriptor) {
  return descriptor;
}

FileFacts FactsOf(NativeHandle file) {
  struct stat info {};
  if (::fstat(Fd(file), &info) != 0) throw TransferError(errno);
  return {IdentityOf(info), S_ISREG(info.st_mode), static_cast<std::int64_t>(info.st_size)};
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return IdentityOf(info);
}

bool WaitUntilReadable(NativeHandle file, int milliseconds) {
  pollfd request{Fd(file), POLLIN, 0};
  const int ready = ::poll(&request, 1, milliseconds);
  if (ready < 0 && errno != EINTR) throw TransferError(errno);
  return ready > 0;
}

std::optional<std::size_t> ReadSome(NativeHandle file, char* buffer, std::size_t capacity) {
  const ssize_t got = ::read(Fd(file), buffer, capacity);
  if (got >= 0) return static_cast<std::size_t>(got);
  if (errno != EINTR && errno != EAGAIN) throw TransferError(errno);
  return {};
}

std::size_t WriteSome(NativeHandle file, const char* data, std::size_t size) {
  for (;;) {
    const ssize_t done = ::write(Fd(file), data, size);
    if (done > 0) return static_cast<std::size_t>(done);
    // Nothing taken and no reason given: asking again would loop for ever.
    if (done == 0) throw TransferError(ENOSPC);
    if (errno != EINTR) throw TransferError(errno);
  }
}

LockOutcome TryLock(NativeHandle file) {
  if (::flock(Fd(file), LOCK_EX | LOCK_NB) == 0) return LockOutcome::Locked;
  return errno == EWOULDBLOCK ? LockOutcome::HeldElsewhere : LockOutcome::Unsupported;
}

void Unlock(NativeHandle file) {
  ::flock(Fd(file), LOCK_UN);
}

bool Truncate(NativeHandle file, std::int64_t size) {
  return ::ftruncate(Fd(file), size) == 0;
}

bool AppendsAtEnd(NativeHandle file) {
  return (::fcntl(Fd(file), F_GETFL) & O_APPEND) != 0;
}

std::int64_t WriteOffset(NativeHandle file) {
  return std::max<std::int64_t>(::lseek(Fd(file), 0, SEEK_CUR), 0);
}

bool CloseFile(NativeHandle file) {
  return ::close(Fd(file)) == 0 || errno == EINTR;
}

int LastSystemError() {
  return errno;
}

}  // namespace velunor
