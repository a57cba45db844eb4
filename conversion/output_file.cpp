#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_errors.h"

namespace velunor {

OutputFile::OutputFile(const std::string& path, OutputMode mode, const FileIdentity& log)
    : buffer_(kBufferSize) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && info.st_dev == log.Device && info.st_ino == log.Inode) {
    throw RunTimeError(error_number::kFileAlreadyOpen);
  }
  const int how = mode == OutputMode::Append ? O_APPEND : O_TRUNC;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | how, 0666);
  if (fd_ < 0) throw OpenError(errno, path);
}

OutputFile::~OutputFile() {
  try {
    Close();
  } catch (const RunTimeError&) {
    // Already failing: the first error is the one reported.
  }
}

void OutputFile::Flush() {
  const char* data = buffer_.data();
  std::size_t left = used_;
  used_ = 0;
  while (left > 0) {
    const ssize_t done = ::write(fd_, data, left);
    if (done < 0) {
      if (errno == EINTR) continue;
      throw TransferError(errno);
    }
    data += done;
    left -= static_cast<std::size_t>(done);
  }
}

void OutputFile::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  try {
    Flush();
  } catch (const RunTimeError&) {
    fd_ = -1;
    ::close(fd);
    throw;
  }
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) throw TransferError(errno);
}

}  // namespace velunor
