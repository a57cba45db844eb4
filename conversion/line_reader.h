#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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

  // Calls `onLine` with every remaining line in turn. The common case runs on a cursor of its
  // own that the compiler can keep in registers; when `onLine` throws, the reader is left where
  // it was and must not be used again. Defined in line_scan.h, which only the hot path includes.
  template <typename OnLine>
  void ForEachLine(OnLine&& onLine);

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
  // chunk or the one after it (as every record does). False, with the cursor unchanged, for
  // every other case.
  bool TakeLine(Cursor& cursor, LineView& line) const;
  // One bit for each carriage return among the 64 bytes at `chunk` (bit 0 for the first byte).
  static std::uint64_t CarriageReturnsIn(const char* chunk);
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
