#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
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
  bool Next(LineView& line);

 private:
  // Bytes kept of a line that crosses a block boundary: enough to write any record.
  static constexpr std::size_t kKept = static_cast<std::size_t>(kLongestRecord) + 1;

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
