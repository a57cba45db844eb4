#pragma once

#include <cstdint>
#include <cstring>
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

namespace record_filter_detail {

inline constexpr char kSection = '\xA7';  // "§" in the log's single-byte code page

inline RecordClass Judge(bool lengthOk, std::string_view head, std::int64_t length, bool tick) {
  if (!lengthOk) return {RecordOutcome::Rejected, false, {}, {}};
  return {RecordOutcome::Written, tick, {}, head.substr(0, static_cast<std::size_t>(length))};
}

}  // namespace record_filter_detail

// Classifies a line known by its beginning and its full length. `head` holds the line's first
// bytes, at least min(length, kLongestRecord + 1) of them; only the first six and the length
// decide, so a long line never has to be held in memory. Inline: it runs for every line.
[[gnu::always_inline]] inline RecordClass ClassifyRecord(std::string_view head, std::int64_t length,
                                                         StatusChannelMode mode) {
  using record_filter_detail::Judge;
  // Every channel prefix is two characters followed by ";1;;".
  if (length < 6 || head.size() < 6 || std::memcmp(head.data() + 2, ";1;;", 4) != 0) return {};
  const char lead = head[0];
  const char channel = head[1];
  if (lead == '$') {
    switch (channel) {
      case '1':
        return Judge(length == 55, head, length, true);
      case '2':
      case '3':
      case '5':
        return Judge(length == 55, head, length, false);
      case '4':
        return Judge(length == 55 || length == 63, head, length, false);
      case '6':
        return Judge(length == 31, head, length, false);
      default:
        break;
    }
  }
  if (mode == StatusChannelMode::Discard) return {};
  if ((lead != '$' && lead != record_filter_detail::kSection) ||
      (channel != '7' && channel != '8')) {
    return {};
  }
  if (length != 31) return {RecordOutcome::Rejected, false, {}, {}};
  const std::string_view line = head.substr(0, 31);
  if (mode == StatusChannelMode::Transform)
    return {RecordOutcome::Written, false, "$", line.substr(1)};
  return {RecordOutcome::Written, false, {}, line};
}

}  // namespace velunor
