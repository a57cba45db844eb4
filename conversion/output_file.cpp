#include "output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "file_errors.h"

namespace velunor {
namespace {

bool IsTheLog(const struct stat& info, const FileIdentity& log) {
  return info.st_dev == log.Device && info.st_ino == log.Inode;
}

}  // namespace

OutputFile::OutputFile(const OutputTarget& target, OutputMode mode, const FileIdentity& log)
    : buffer_(kBufferSize) {
  const bool named = target.Descriptor < 0;
  if (named) {
    struct stat info {};
    if (::stat(target.Path.c_str(), &info) == 0 && IsTheLog(info, log)) {
      throw RunTimeError(error_number::kFileAlreadyOpen);
    }
    // Never emptied on opening: only once the lock shows that no other run is writing it.
    const int how = mode == OutputMode::Append ? O_APPEND : 0;
    fd_ = ::open(target.Path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | how, 0666);
    if (fd_ < 0) throw OpenError(errno, target.Path);
  } else {
    fd_ = target.Descriptor;
    ownsDescriptor_ = false;
  }
  try {
    TakeOver(named && mode == OutputMode::Replace, log);
  } catch (const RunTimeError&) {
    Release();
    throw;
  }
}

void OutputFile::TakeOver(bool empty, const FileIdentity& log) {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) throw TransferError(errno);
  // Also catches a log renamed in between, and standard output redirected onto the log.
  if (IsTheLog(info, log)) throw RunTimeError(error_number::kFileAlreadyOpen);
  if (!S_ISREG(info.st_mode)) return;  // a device or a pipe: nothing to lock or cut back
  regular_ = true;
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    locked_ = true;
  } else if (errno == EWOULDBLOCK) {
    throw RunTimeError(error_number::kPermissionDenied);
  }  // else a file system without locks: written as before, unlocked
  if (empty && ::ftruncate(fd_, 0) != 0) throw TransferError(errno);
  sizeAtStart_ = empty ? 0 : info.st_size;
  // Appending writes at the end; a descriptor handed over writes where it stands.
  const bool appends = (::fcntl(fd_, F_GETFL) & O_APPEND) != 0;
  committed_ = appends ? sizeAtStart_ : std::max<std::int64_t>(::lseek(fd_, 0, SEEK_CUR), 0);
}

OutputFile::~OutputFile() {
  try {
    Close();
  } catch (const RunTimeError&) {
    // Already failing: the first error is the one reported.
  }
}

void OutputFile::Flush() {
  const std::size_t size = used_;
  std::size_t written = 0;
  used_ = 0;
  while (written < size) {
    const ssize_t done = ::write(fd_, buffer_.data() + written, size - written);
    if (done < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      CutBackToWholeLines(written);
      throw TransferError(error);
    }
    written += static_cast<std::size_t>(done);
  }
  committed_ += static_cast<std::int64_t>(size);
}

// A write that failed part-way (a full disk, the file-size limit) may have left half a record at
// the end: the file is cut back to the end of the last record written whole, so that what stays
// is whole records, and never below what the file held before the run.
void OutputFile::CutBackToWholeLines(std::size_t written) {
  if (!regular_) return;
  // Records hold no carriage return, so CR LF in the buffer only ever ends a line.
  std::size_t whole = written;
  while (whole >= 2 && !(buffer_[whole - 2] == '\r' && buffer_[whole - 1] == '\n')) --whole;
  if (whole < 2) whole = 0;
  const std::int64_t end = std::max(committed_ + static_cast<std::int64_t>(whole), sizeAtStart_);
  if (::ftruncate(fd_, end) == 0) committed_ = end;
}

void OutputFile::Close() {
  if (fd_ < 0) return;
  try {
    Flush();
  } catch (const RunTimeError&) {
    Release();
    throw;
  }
  if (!Release()) throw TransferError(errno);
}

// Closes the file, or only unlocks a descriptor that was handed over. False when closing failed.
bool OutputFile::Release() {
  const int fd = fd_;
  fd_ = -1;
  if (!ownsDescriptor_) {
    if (locked_) ::flock(fd, LOCK_UN);
    return true;
  }
  return ::close(fd) == 0 || errno == EINTR;
}

}  // namespace velunor
