#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "byte_source.h"
#include "gzip_reader.h"
#include "input_source.h"
#include "native_file.h"

namespace velunor {

// The log, opened for sequential reading. A log whose content is gzip-compressed (told by its
// first bytes, whatever its name) is read as the log it holds. A FIFO or pipe is never waited for
// blindly: until its writer has appeared and while it sends nothing, `whileWaiting` is called
// every few milliseconds, and may end the run by raising an error; so it is before every further
// block of compressed bytes, which may hold no log bytes at all.
class InputFile : public ByteSource {
 public:
  explicit InputFile(const InputSource& source, std::function<void()> whileWaiting = {});
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // The log's bytes, decompressed when it is compressed.
  std::size_t Read(char* buffer, std::size_t capacity) override;
  // The size of the file in bytes (compressed, for a compressed log), or -1 when it cannot be
  // known beforehand: a FIFO, a device, a descriptor handed over.
  std::int64_t Length() const;
  bool LengthKnown() const { return lengthKnown_; }
  // Compressed bytes taken so far, by which progress through a compressed log is measured; -1
  // for a plain log.
  std::int64_t CompressedConsumed() const override {
    return gzip_ ? gzip_->CompressedConsumed() : -1;
  }
  // Bytes of the log handed out so far.
  std::int64_t Delivered() const { return delivered_; }
  const FileIdentity& Identity() const { return identity_; }
  void Close();

 private:
  // The file's own bytes, as they are.
  class RawBytes : public ByteSource {
   public:
    explicit RawBytes(InputFile& file) : file_(file) {}
    std::size_t Read(char* buffer, std::size_t capacity) override;
    std::int64_t CompressedConsumed() const override { return -1; }

   private:
    InputFile& file_;
  };

  std::size_t ReadFirst(char* buffer, std::size_t capacity);
  std::size_t TakePeeked(char* buffer, std::size_t capacity);
  void WaitForData();

  NativeHandle fd_ = kNoHandle;
  bool ownsDescriptor_ = true;
  bool waits_ = false;  // not a regular file: data may be slow to come
  bool lengthKnown_ = false;
  bool started_ = false;
  std::int64_t delivered_ = 0;
  char peek_[2] = {};
  std::string_view peeked_;  // first bytes not handed out yet
  std::function<void()> whileWaiting_;
  FileIdentity identity_;
  RawBytes raw_{*this};
  std::unique_ptr<GzipReader> gzip_;
};

}  // namespace velunor
