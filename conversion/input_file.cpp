#include "input_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velunor {

namespace {

constexpr int kWaitSliceMs = 10;

}  // namespace

InputFile::InputFile(const InputSource& source, std::function<void()> whileWaiting)
    : whileWaiting_(std::move(whileWaiting)) {
  if (source.Descriptor >= 0) {
    fd_ = HandleOfDescriptor(source.Descriptor);
    ownsDescriptor_ = false;
  } else {
    fd_ = OpenForReading(source.Path);
  }
  try {
    const FileFacts facts = FactsOf(fd_);
    identity_ = facts.Identity;
    waits_ = !facts.Regular;
    lengthKnown_ = facts.Regular && ownsDescriptor_;
  } catch (...) {
    Close();
    throw;
  }
}

InputFile::~InputFile() {
  Close();
}

std::size_t InputFile::Read(char* buffer, std::size_t capacity) {
  std::size_t got;
  if (gzip_)
    got = gzip_->Read(buffer, capacity);
  else if (!started_)
    got = ReadFirst(buffer, capacity);
  else if (!peeked_.empty())
    got = TakePeeked(buffer, capacity);
  else
    got = raw_.Read(buffer, capacity);
  delivered_ += static_cast<std::int64_t>(got);
  return got;
}

// The first bytes decide whether the log is compressed. A pipe may give them one at a time, and
// a reader asking for a single byte gets the second one kept for its next read.
std::size_t InputFile::ReadFirst(char* buffer, std::size_t capacity) {
  started_ = true;
  const bool roomy = capacity >= sizeof(peek_);
  char* const into = roomy ? buffer : peek_;
  // No more than a compressed stream takes at once, in case these bytes turn out to be one.
  const std::size_t room = roomy ? std::min(capacity, GzipReader::kInputSize) : sizeof(peek_);
  std::size_t got = raw_.Read(into, room);
  if (got == 1 && static_cast<unsigned char>(into[0]) == 0x1F) got += raw_.Read(into + 1, room - 1);
  if (StartsAsGzip(into, got)) {
    gzip_ = std::make_unique<GzipReader>(raw_, into, got);
    return gzip_->Read(buffer, capacity);
  }
  if (roomy) return got;
  peeked_ = std::string_view(peek_, got);
  return TakePeeked(buffer, capacity);
}

std::size_t InputFile::TakePeeked(char* buffer, std::size_t capacity) {
  const std::size_t size = std::min(capacity, peeked_.size());
  std::memcpy(buffer, peeked_.data(), size);
  peeked_.remove_prefix(size);
  return size;
}

std::size_t InputFile::RawBytes::Read(char* buffer, std::size_t capacity) {
  // A compressed block may hold no log bytes at all (empty members one after another): the
  // pause comes before each, so that the run is never held without one for long.
  if (file_.gzip_ && file_.whileWaiting_) file_.whileWaiting_();
  for (;;) {
    if (file_.waits_) file_.WaitForData();
    if (const std::optional<std::size_t> got = ReadSome(file_.fd_, buffer, capacity)) return *got;
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
  return lengthKnown_ ? FactsOf(fd_).Size : -1;
}

void InputFile::Close() {
  if (fd_ != kNoHandle && ownsDescriptor_) CloseFile(fd_);
  fd_ = kNoHandle;
}

}  // namespace velunor
