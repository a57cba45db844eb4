#include "output_file.h"

#include <algorithm>

#include "file_errors.h"

namespace velunor {
namespace {

bool IsTheLog(const std::optional<FileIdentity>& file, const FileIdentity& log) {
  return file && SameFile(*file, log);
}

}  // namespace

OutputFile::OutputFile(const OutputTarget& target, OutputMode mode, const FileIdentity& log)
    : buffer_(kBufferSize) {
  const bool named = target.Descriptor == -1;
  if (named) {
    if (IsTheLog(IdentityOfPath(target.Path), log)) {
      throw RunTimeError(error_number::kFileAlreadyOpen);
    }
    // Never emptied on opening: only once the lock shows that no other run is writing it.
    fd_ = OpenForWriting(target.Path, mode == OutputMode::Append);
  } else {
    fd_ = HandleOfDescriptor(target.Descriptor);
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
  const FileFacts facts = FactsOf(fd_);
  // Also catches a log renamed in between, and standard output redirected onto the log.
  if (SameFile(facts.Identity, log)) throw RunTimeError(error_number::kFileAlreadyOpen);
  if (!facts.Regular) return;  // a device or a pipe: nothing to lock or cut back
  regular_ = true;
  switch (TryLock(fd_)) {
    case LockOutcome::Locked:
      locked_ = true;
      break;
    case LockOutcome::HeldElsewhere:
      throw RunTimeError(error_number::kPermissionDenied);
    case LockOutcome::Unsupported:  // a file system without locks: written as before, unlocked
      break;
  }
  // The size again, under the lock: another run may have written the file until just now.
  const std::int64_t size = FactsOf(fd_).Size;
  // A file that is empty already is not emptied again: on ext4 that would make closing it write
  // the whole output to disk then and there, which stalls the run (and a batch's other workers).
  if (empty && size > 0 && !Truncate(fd_, 0)) throw TransferError(LastSystemError());
  sizeAtStart_ = empty ? 0 : size;
  // Appending writes at the end; a descriptor handed over writes where it stands.
  committed_ = AppendsAtEnd(fd_) ? sizeAtStart_ : WriteOffset(fd_);
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
    try {
      written += WriteSome(fd_, buffer_.data() + written, size - written);
    } catch (const RunTimeError&) {
      CutBackToWholeLines(written);
      throw;
    }
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
  while (whole >= 2 && !(buffer_.data()[whole - 2] == '\r' && buffer_.data()[whole - 1] == '\n'))
    --whole;
  if (whole < 2) whole = 0;
  const std::int64_t end = std::max(committed_ + static_cast<std::int64_t>(whole), sizeAtStart_);
  if (Truncate(fd_, end)) committed_ = end;
}

void OutputFile::Close() {
  if (fd_ == kNoHandle) return;
  try {
    Flush();
  } catch (const RunTimeError&) {
    Release();
    throw;
  }
  if (!Release()) throw TransferError(LastSystemError());
}

// Closes the file, or only unlocks a descriptor that was handed over. False when closing failed.
bool OutputFile::Release() {
  const NativeHandle fd = fd_;
  fd_ = kNoHandle;
  if (!ownsDescriptor_) {
    if (locked_) Unlock(fd);
    return true;
  }
  return CloseFile(fd);
}

}  // namespace velunor
