#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "byte_source.h"

namespace velunor {

// Whether the first bytes of a log are the gzip signature.
inline bool StartsAsGzip(const char* bytes, std::size_t size) {
  return size >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
         static_cast<unsigned char>(bytes[1]) == 0x8B;
}

// Reads the log that a gzip stream holds, decompressing the bytes of `compressed` as they are
// needed. Members written one after the other are read as one log, as gunzip reads them. A
// damaged or cut-off stream raises its own error once everything decompressed before the damage
// has been handed out, so that the records before it are kept.
class GzipReader : public ByteSource {
 public:
  // Compressed bytes taken from `compressed` at a time; `start` may hold at most this many.
  static constexpr std::size_t kInputSize = std::size_t{1} << 18;

  // `start` holds the first `startSize` bytes already taken from `compressed`.
  GzipReader(ByteSource& compressed, const char* start, std::size_t startSize);
  ~GzipReader() override;
  GzipReader(const GzipReader&) = delete;
  GzipReader& operator=(const GzipReader&) = delete;

  std::size_t Read(char* buffer, std::size_t capacity) override;
  std::int64_t CompressedConsumed() const override { return consumed_; }

 private:
  struct Stream;
  bool Refill();

  ByteSource& compressed_;
  std::unique_ptr<Stream> stream_;
  std::int64_t consumed_ = 0;
  bool streamEnded_ = false;  // the last member read so far is complete
};

}  // namespace velunor
