#pragma once

// The line reader's per-line path, for the code that runs it (the conversion run and the reader
// itself). Kept out of line_reader.h so that the vector intrinsics it needs reach no other code.

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include <bit>

#include "line_reader.h"

namespace velunor {

template <typename OnLine>
void LineReader::ForEachLine(OnLine&& onLine) {
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

// The carriage return comes from the chunk's bit mask, so finding it does not wait for the line
// before it.
inline bool LineReader::TakeLine(Cursor& cursor, LineView& line) const {
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

inline std::uint64_t LineReader::CarriageReturnsIn(const char* chunk) {
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

}  // namespace velunor
