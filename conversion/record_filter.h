#pragma once

#include <cstdint>
#include <string_view>

namespace velunor {

// Treatment of the status channels 7 and 8.
enum class StatusChannelMode { CopyUnchanged, Transform, Discard };

enum class RecordOutcome { Written, Rejected, Ignored };

// The fate of one line. A Written line is Head followed by Tail: Head is "$" when a status
// record's first character is replaced, else empty; Tail is the rest of the line. The output
// length always equals the input length.
struct RecordClass {
  RecordOutcome Outcome = RecordOutcome::Ignored;
  bool IsTimeTick = false;  // a written channel-1 record: one second of logging time
  std::string_view Head;
  std::string_view Tail;
};

// Longest line any channel accepts. Longer lines are judged by their prefix and length alone.
inline constexpr std::int64_t kLongestRecord = 63;

// Classifies a whole line (without its terminator).
RecordClass ClassifyRecord(std::string_view line, StatusChannelMode mode);

// Classifies a line known by its beginning and its full length. `head` holds the line's first
// bytes, at least min(length, kLongestRecord + 1) of them; only the first six and the length
// decide, so a long line never has to be held in memory.
RecordClass ClassifyRecord(std::string_view head, std::int64_t length, StatusChannelMode mode);

}  // namespace velunor
