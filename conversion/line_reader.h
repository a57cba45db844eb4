#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "byte_source.h"
#include "page_buffer.h"
#include "record_filter.h"

namespace velunor {

// One input line without its terminator. Head is the whole line when the line lies within one
// block or is short; for a long line crossing blocks it holds only its first bytes. Length is
// always the full length. The memory at Head can be read for LineReader::kReadableHead bytes,
// also past the line's end. An empty view may stand for a whole run of empty lines (Lines of them):
// nothing about an empty line can differ from the one before it, so the reader hands the run
// over at once.
struct LineView {
  std::string_view Head;
  std::int64_t Length = 0;
  std::int64_t Lines = 1;
};

// Splits a byte stream into lines. A line ends at a carriage return; a line feed right after it
// belongs to the terminator, a line feed anywhere else is an ordinary character. The last line
// counts also without a terminator. Memory stays at one block however long a line is; a line
// longer than a 32-bit count can hold raises the overflow error as soon as it has grown past it.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // How far the memory at a line's Head can be read: beyond any record, so that the record can
  // be copied in one fixed span.
  static constexpr std::size_t kReadableHead = 64;

  explicit LineReader(ByteSource& source, std::size_t blockSize = kDefaultBlockSize);

  // The next line, or false at the end of the input. The view stays valid until the next call.
  bool Next(LineView& line) {
    if (TakeLine(cursor_, line)) [[likely]]
      return true;
    // By value, so that `line` stays out of memory on the common path.
    const LineView other = NextAcrossBlocks();
    line = other;
    return other.Lines != 0;
  }

  // Calls `onLine` with every remaining line in turn, as Next would give them. The common case
  // runs on a cursor of its own that the compiler can keep in registers; when `onLine` throws,
  // the reader is left where it was and must not be used again.
  template <typename OnLine>
  void ForEachLine(OnLine&& onLine) {
    for (;;) {
      Cursor cursor = cursor_;
      LineView line;
      while (TakeLine(cursor, line)) onLine(static_cast<const LineView&>(line));
      cursor_.Next = cursor.Next;  // the rest of the cursor follows from it
      line = NextAcrossBlocks();
      if (line.Lines == 0) return;
      onLine(static_cast<const LineView&>(line));
    }
  }

 private:
  // Bytes kept of a line that crosses a block boundary: enough to write any record.
  static constexpr std::size_t kKept = static_cast<std::size_t>(kLongestRecord) + 1;
  // The block is looked at in aligned chunks of this many bytes, one bit each.
  static constexpr std::size_t kChunk = 64;
  // Bytes after the end of the data in the block: the sentinel carriage return, and room for
  // the chunk that holds it and for a Head to be read past it.
  static constexpr std::size_t kSlack = kChunk;
  static_assert(kSlack >= kReadableHead && kKept <= kReadableHead);

  // Where the reader stands in its block: the start of the next line, the chunk that holds it
  // (or an earlier one within its line), and the carriage returns of that chunk at or after it.
  struct Cursor {
    const char* Next;
    const char* Chunk;
    std::uint64_t CarriageReturns;
  };

  // The common case: a line that is not empty and ends within this block, in the cursor's
  // chunk or the one after it (as every record does). Its carriage return comes from the
  // chunk's bit mask, so finding it does not wait for the line before it. False, with the
  // cursor unchanged, for every other case.
  bool TakeLine(Cursor& cursor, LineView& line) const {
    std::uint64_t carriageReturns = cursor.CarriageReturns;
    const char* chunk = cursor.Chunk;
    if (carriageReturns == 0) {
      chunk += kChunk;
      carriageReturns = CarriageReturnsIn(chunk);
      if (carriageReturns == 0) return false;
    }
    const char* begin = cursor.Next;
    const char* cr = chunk + std::countr_zero(carriageReturns);
    if (cr == begin || cr == end_) return false;
    const auto length = static_cast<std::size_t>(cr - begin);
    line = {std::string_view(begin, length), static_cast<std::int64_t>(length), 1};
    // cr[1] is the byte after the carriage return, or the sentinel when the block ends there.
    cursor = {cr + 1 + (cr[1] == '\n'), chunk, carriageReturns & (carriageReturns - 1)};
    return true;
  }
  // One bit for each carriage return among the 64 bytes at `chunk` (bit 0 for the first byte).
  static std::uint64_t CarriageReturnsIn(const char* chunk) {
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i cr = _mm_set1_epi8('\r');
    const auto bits = [&](std::size_t offset) {
      const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(chunk + offset));
      // Sixteen bits, zero above: the unsigned detour lets the compiler see that.
      return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)))};
    };
    return (bits(0) | bits(16) << 16) | (bits(32) | bits(48) << 16) << 32;
#else
    std::uint64_t mask = 0;
    for (std::size_t i = 0; i < kChunk; ++i) mask |= std::uint64_t{chunk[i] == '\r'} << i;
    return mask;
#endif
  }
  // Every other case: a new block, a run of empty lines, a line longer than a chunk or crossing
  // a block boundary, the end of the input (a view of no lines).
  LineView NextAcrossBlocks();
  bool NextByScanning(LineView& line);
  std::int64_t SkipEmptyLines();
  bool Fill();
  // Points the cursor's chunk and mask at its next line after the reader has moved without them.
  void FollowNext();

  ByteSource& source_;
  std::size_t blockSize_;
  PageBuffer block_;
  Cursor cursor_;
  char* end_;  // end of the data in the block; holds the sentinel carriage return
  bool atEnd_ = false;
  std::array<char, kReadableHead> carry_{};
};

}  // namespace velunor
