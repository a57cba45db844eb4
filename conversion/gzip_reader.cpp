#include "gzip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "page_buffer.h"
#include "run_time_error.h"

namespace velunor {

namespace {

constexpr std::size_t kCompressedBlock = GzipReader::kInputSize;
// zlib takes counts of 32 bits.
constexpr std::size_t kLargestCall = std::size_t{1} << 30;

}  // namespace

struct GzipReader::Stream {
  Stream() : input(kCompressedBlock) {}
  z_stream z{};
  PageBuffer input;
};

GzipReader::GzipReader(ByteSource& compressed, const char* start, std::size_t startSize)
    : compressed_(compressed), stream_(std::make_unique<Stream>()) {
  z_stream& z = stream_->z;
  // 16 + the largest window: a gzip wrapper, no other.
  const int status = inflateInit2(&z, 16 + MAX_WBITS);
  if (status == Z_MEM_ERROR) throw std::bad_alloc();
  if (status != Z_OK) throw RunTimeError(error_number::kCompressedLogDamaged);
  std::memcpy(stream_->input.data(), start, std::min(startSize, kCompressedBlock));
  z.next_in = reinterpret_cast<Bytef*>(stream_->input.data());
  z.avail_in = static_cast<uInt>(std::min(startSize, kCompressedBlock));
}

GzipReader::~GzipReader() {
  inflateEnd(&stream_->z);
}

// Takes the next compressed bytes; false at the end of the compressed input.
bool GzipReader::Refill() {
  const std::size_t got = compressed_.Read(stream_->input.data(), kCompressedBlock);
  stream_->z.next_in = reinterpret_cast<Bytef*>(stream_->input.data());
  stream_->z.avail_in = static_cast<uInt>(got);
  return got != 0;
}

std::size_t GzipReader::Read(char* buffer, std::size_t capacity) {
  z_stream& z = stream_->z;
  z.next_out = reinterpret_cast<Bytef*>(buffer);
  z.avail_out = static_cast<uInt>(std::min(capacity, kLargestCall));
  const uInt asked = z.avail_out;
  while (z.avail_out == asked) {
    if (z.avail_in == 0 && !Refill()) {
      // The end of the file: fine after a complete member, a cut-off stream otherwise.
      if (streamEnded_) return 0;
      throw RunTimeError(error_number::kCompressedLogDamaged);
    }
    if (streamEnded_) {
      // Another member may follow, told by its first byte; anything else after a complete
      // member (zeros a copy padded it with) is left unread, as gunzip leaves trailing bytes.
      if (z.next_in[0] != 0x1F) return 0;
      inflateReset(&z);
      streamEnded_ = false;
    }
    const uInt before = z.avail_in;
    const int status = inflate(&z, Z_NO_FLUSH);
    consumed_ += before - z.avail_in;
    if (status == Z_STREAM_END) {
      streamEnded_ = true;
    } else if (status == Z_MEM_ERROR) {
      throw std::bad_alloc();
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      // What came out before the damage is handed out first; the next read meets it again.
      if (z.avail_out != asked) break;
      throw RunTimeError(error_number::kCompressedLogDamaged);
    }
  }
  return asked - z.avail_out;
}

}  // namespace velunor
