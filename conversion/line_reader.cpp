#include "line_scan.h"

#include <algorithm>
#include <cstring>

#include "run_time_error.h"

namespace velunor {

LineReader::LineReader(ByteSource& source, std::size_t blockSize)
    : source_(source),
      blockSize_(std::max<std::size_t>(blockSize, 1)),
      block_(blockSize_ + kSlack),
      cursor_{block_.data(), block_.data(), 0},
      end_(block_.data()) {
  *end_ = '\r';
  FollowNext();
}

void LineReader::FollowNext() {
  const auto offset = static_cast<std::size_t>(cursor_.Next - block_.data());
  cursor_.Chunk = block_.data() + (offset & ~(kChunk - 1));
  cursor_.CarriageReturns =
      CarriageReturnsIn(cursor_.Chunk) & (~std::uint64_t{0} << (offset & (kChunk - 1)));
}

bool LineReader::Fill() {
  if (atEnd_) return false;
  // Every carriage return ends a line, so one as the block's last byte means that a line feed
  // at the start of the next block still belongs to its terminator.
  const bool afterCarriageReturn = end_ != block_.data() && end_[-1] == '\r';
  char* const block = block_.data();
  const std::size_t got = source_.Read(block, blockSize_);
  cursor_.Next = block;
  end_ = block + got;
  *end_ = '\r';
  atEnd_ = got == 0;
  if (afterCarriageReturn && got > 0 && block[0] == '\n') ++cursor_.Next;
  return !atEnd_;
}

// Consumes the run of empty lines that starts at the cursor, across blocks, and counts them.
// Sixty-four or eight bytes of carriage returns, or of carriage return and line feed pairs, are
// taken at a time.
std::int64_t LineReader::SkipEmptyLines() {
  constexpr std::uint64_t kCarriageReturns = 0x0D0D0D0D0D0D0D0DULL;
  constexpr std::uint64_t kCrLfPairs = 0x0A0D0A0D0A0D0A0DULL;  // "\r\n" four times, in memory order
  std::int64_t lines = 0;
  for (;;) {
    const char* at = cursor_.Next;
    // After a carriage return, a line feed still belongs to its terminator.
    const auto passLineFeed = [&] {
      if (at != end_ && *at == '\n') ++at;
    };
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i carriageReturns = _mm_set1_epi8('\r');
    const __m128i crLfPairs = _mm_set1_epi16(0x0A0D);
    while (end_ - at >= 64) {
      const auto* sixteen = reinterpret_cast<const __m128i*>(at);
      const __m128i a = _mm_loadu_si128(sixteen), b = _mm_loadu_si128(sixteen + 1);
      const __m128i c = _mm_loadu_si128(sixteen + 2), d = _mm_loadu_si128(sixteen + 3);
      const auto all = [&](__m128i pattern) {
        const __m128i same =
            _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, pattern), _mm_cmpeq_epi8(b, pattern)),
                          _mm_and_si128(_mm_cmpeq_epi8(c, pattern), _mm_cmpeq_epi8(d, pattern)));
        return _mm_movemask_epi8(same) == 0xFFFF;
      };
      if (all(carriageReturns)) {
        lines += 64;
        at += 64;
        passLineFeed();
      } else if (all(crLfPairs)) {
        lines += 32;
        at += 64;
      } else {
        break;
      }
    }
#endif
    while (at != end_) {
      if (end_ - at >= 8) {
        std::uint64_t eight;
        std::memcpy(&eight, at, 8);
        if (eight == kCarriageReturns) {
          lines += 8;
          at += 8;
          passLineFeed();
          continue;
        }
        if (eight == kCrLfPairs) {
          lines += 4;
          at += 8;
          continue;
        }
      }
      if (*at != '\r') break;
      ++lines;
      ++at;
      passLineFeed();
    }
    cursor_.Next = at;
    if (at != end_ || !Fill()) return lines;
  }
}

LineView LineReader::NextAcrossBlocks() {
  LineView line;
  if (!NextByScanning(line)) line = {{}, 0, 0};
  FollowNext();
  return line;
}

bool LineReader::NextByScanning(LineView& line) {
  std::int64_t length = 0;  // bytes of the current line seen in earlier blocks
  std::size_t carried = 0;
  for (;;) {
    if (cursor_.Next == end_) {
      if (Fill()) continue;
      if (length == 0) return false;
      line = {std::string_view(carry_.data(), carried), length, 1};
      return true;
    }
    if (length == 0 && *cursor_.Next == '\r') {
      line = {std::string_view(), 0, SkipEmptyLines()};
      return true;
    }
    const char* begin = cursor_.Next;
    // The sentinel ends the search at the latest.
    const auto* cr = static_cast<const char*>(
        std::memchr(begin, '\r', static_cast<std::size_t>(end_ + 1 - begin)));
    const auto taken = static_cast<std::size_t>(cr - begin);
    if (cr != end_ && length == 0) {
      line = {std::string_view(begin, taken), static_cast<std::int64_t>(taken), 1};
      cursor_.Next = cr + 1 + (cr[1] == '\n');
      return true;
    }
    const std::size_t keep = std::min(taken, kKept - carried);
    std::memcpy(carry_.data() + carried, begin, keep);
    carried += keep;
    length += static_cast<std::int64_t>(taken);
    // No count can hold such a line: say so now rather than after reading it to its end, which
    // for an endless source such as /dev/zero never comes.
    if (length > INT32_MAX) throw RunTimeError(error_number::kOverflow);
    if (cr == end_) {
      cursor_.Next = end_;
      continue;
    }
    cursor_.Next = cr + 1 + (cr[1] == '\n');
    line = {std::string_view(carry_.data(), carried), length, 1};
    return true;
  }
}

}  // namespace velunor
