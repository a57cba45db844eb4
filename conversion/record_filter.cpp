#include "record_filter.h"

#include <cstring>

namespace velunor {
namespace {

constexpr std::size_t kPrefixLength = 6;
constexpr char kSection = '\xA7';  // "§" in the log's single-byte code page

// The four bytes every channel prefix shares after its first two: ";1;;" at positions 2 to 5.
bool HasPrefixTail(std::string_view head) {
  return std::memcmp(head.data() + 2, ";1;;", 4) == 0;
}

RecordClass Judge(bool lengthOk, std::string_view head, std::int64_t length, bool tick) {
  if (!lengthOk) return {RecordOutcome::Rejected, false, {}, {}};
  return {RecordOutcome::Written, tick, {}, head.substr(0, static_cast<std::size_t>(length))};
}

}  // namespace

RecordClass ClassifyRecord(std::string_view line, StatusChannelMode mode) {
  return ClassifyRecord(line, static_cast<std::int64_t>(line.size()), mode);
}

RecordClass ClassifyRecord(std::string_view head, std::int64_t length, StatusChannelMode mode) {
  if (length < static_cast<std::int64_t>(kPrefixLength) || head.size() < kPrefixLength ||
      !HasPrefixTail(head)) {
    return {};
  }
  const char lead = head[0];
  const char channel = head[1];
  if (lead == '$') {
    switch (channel) {
      case '1': return Judge(length == 55, head, length, true);
      case '2':
      case '3':
      case '5': return Judge(length == 55, head, length, false);
      case '4': return Judge(length == 55 || length == 63, head, length, false);
      case '6': return Judge(length == 31, head, length, false);
      default: break;
    }
  }
  if (mode == StatusChannelMode::Discard) return {};
  if ((lead != '$' && lead != kSection) || (channel != '7' && channel != '8')) return {};
  if (length != 31) return {RecordOutcome::Rejected, false, {}, {}};
  const std::string_view line = head.substr(0, 31);
  if (mode == StatusChannelMode::Transform) {
    return {RecordOutcome::Written, false, "$", line.substr(1)};
  }
  return {RecordOutcome::Written, false, {}, line};
}

}  // namespace velunor
