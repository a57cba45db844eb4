#include "input_file.h"

#include <utility>

namespace velunor {

namespace {

constexpr int kWaitSliceMs = 10;

}  // namespace

InputFile::InputFile(const std::string& path, std::function<void()> whileWaiting)
    : whileWaiting_(std::move(whileWaiting)) {
  fd_ = OpenForReading(path);
  try {
    const FileFacts facts = FactsOf(fd_);
    identity_ = facts.Identity;
    waits_ = !facts.Regular;
  } catch (...) {
    Close();
    throw;
  }
}

InputFile::~InputFile() {
  Close();
}

std::size_t InputFile::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    if (waits_) WaitForData();
    if (const std::optional<std::size_t> got = ReadSome(fd_, buffer, capacity)) return *got;
  }
}

// Returns once a read will not block: data has come, or the writer has gone (the end). A FIFO
// that never had a writer reports neither, so the wait goes on until one appears.
void InputFile::WaitForData() {
  while (!WaitUntilReadable(fd_, kWaitSliceMs)) {
    if (whileWaiting_) whileWaiting_();
  }
}

std::int64_t InputFile::Length() const {
  return FactsOf(fd_).Size;
}

void InputFile::Close() {
  if (fd_ != kNoHandle) CloseFile(fd_);
  fd_ = kNoHandle;
}

}  // namespace velunor
