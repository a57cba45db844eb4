#include "line_reader.h"

#include <algorithm>
#include <cstring>

namespace velunor {

LineReader::LineReader(ByteSource& source, std::size_t blockSize)
    : source_(source), block_(std::max<std::size_t>(blockSize, 1)) {}

bool LineReader::Fill() {
  if (atEnd_) return false;
  pos_ = 0;
  end_ = source_.Read(block_.data(), block_.size());
  atEnd_ = end_ == 0;
  return !atEnd_;
}

bool LineReader::NextAcrossBlocks(LineView& line) {
  std::int64_t length = 0;  // bytes of the current line seen in earlier blocks
  std::size_t carried = 0;
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      if (length == 0) return false;
      line = {std::string_view(carry_.data(), carried), length};
      return true;
    }
    if (skipLineFeed_) {
      skipLineFeed_ = false;
      if (block_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    const char* begin = block_.data() + pos_;
    const std::size_t available = end_ - pos_;
    const char* cr = FindCarriageReturn(begin, begin + available);
    const std::size_t taken = cr != nullptr ? static_cast<std::size_t>(cr - begin) : available;
    if (cr != nullptr && length == 0) {
      line = {std::string_view(begin, taken), static_cast<std::int64_t>(taken)};
      EndLineAt(pos_ + taken);
      return true;
    }
    const std::size_t keep = std::min(taken, kKept - carried);
    std::memcpy(carry_.data() + carried, begin, keep);
    carried += keep;
    length += static_cast<std::int64_t>(taken);
    pos_ += taken;  // at the carriage return, or at the end of the block
    if (cr != nullptr) {
      EndLineAt(pos_);
      line = {std::string_view(carry_.data(), carried), length};
      return true;
    }
  }
}

}  // namespace velunor
