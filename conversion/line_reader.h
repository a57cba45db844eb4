#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "byte_source.h"
#include "record_filter.h"

namespace velunor {

// One input line without its terminator. Head is the whole line when the line lies within one
// block or is short; for a long line crossing blocks it holds only its first bytes. Length is
// always the full length.
struct LineView {
  std::string_view Head;
  std::int64_t Length = 0;
};

// Splits a byte stream into lines. A line ends at a carriage return; a line feed right after it
// belongs to the terminator, a line feed anywhere else is an ordinary character. The last line
// counts also without a terminator. Memory stays at one block however long a line is.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;

  explicit LineReader(ByteSource& source, std::size_t blockSize = kDefaultBlockSize);

  // The next line, or false at the end of the input. The view stays valid until the next call.
  bool Next(LineView& line) {
    // The common case, kept inline: the whole line and its carriage return lie in this block.
    if (pos_ < end_ && !skipLineFeed_) {
      const char* begin = block_.data() + pos_;
      const char* cr = FindCarriageReturn(begin, block_.data() + end_);
      if (cr != nullptr) {
        const auto length = static_cast<std::size_t>(cr - begin);
        line = {std::string_view(begin, length), static_cast<std::int64_t>(length)};
        EndLineAt(pos_ + length);
        return true;
      }
    }
    return NextAcrossBlocks(line);
  }

 private:
  // Bytes kept of a line that crosses a block boundary: enough to write any record.
  static constexpr std::size_t kKept = static_cast<std::size_t>(kLongestRecord) + 1;

  // Empty lines are common in bad input; looking at the first byte before calling memchr
  // keeps them cheap.
  static const char* FindCarriageReturn(const char* begin, const char* end) {
    if (*begin == '\r') return begin;
    return static_cast<const char*>(
        std::memchr(begin + 1, '\r', static_cast<std::size_t>(end - begin - 1)));
  }
  // Moves past the carriage return at `cr` and a line feed right after it, or remembers to skip
  // that line feed at the start of the next block.
  void EndLineAt(std::size_t cr) {
    pos_ = cr + 1;
    if (pos_ < end_) {
      if (block_[pos_] == '\n') ++pos_;
    } else {
      skipLineFeed_ = true;
    }
  }
  bool NextAcrossBlocks(LineView& line);
  bool Fill();

  ByteSource& source_;
  std::vector<char> block_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  bool skipLineFeed_ = false;
  std::array<char, kKept> carry_{};
};

}  // namespace velunor
