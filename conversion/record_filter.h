#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velunor {

// Treatment of the status channels 7 and 8.
enum class StatusChannelMode { CopyUnchanged, Transform, Discard };

enum class RecordOutcome { Written, Rejected, Ignored };

// The fate of one line. A Written line is written with its first character replaced by Head
// when Head is not empty: "$" in the mode that transforms status records (for every record,
// since all others begin with "$" anyway). The output length always equals the input length.
struct RecordClass {
  RecordOutcome Outcome = RecordOutcome::Ignored;
  bool IsTimeTick = false;  // a written channel-1 record: one second of logging time
  bool InChannel = false;   // the line belongs to a channel, also when dropped as discarded
  std::string_view Head;
};

// Longest line any channel accepts. Longer lines are judged by their prefix and length alone.
inline constexpr std::int64_t kLongestRecord = 63;

namespace record_filter_detail {

inline constexpr char kSection = '\xA7';  // "§" in the log's single-byte code page

// The lengths a line may have by what its first two characters say, for each status-channel
// mode, channel (1 to 8) and lead character ("$", "§" or any other), one bit per length: 55 for
// channels 1 to 5 (channel 4 also 63), 31 for channels 6 to 8; none for a line that belongs to
// no channel. A discarded status channel has bit 0 alone, which no length of six or more can
// match: the line belongs to a channel but is not looked at. A table, so that the usual record
// costs no branch on its channel.
enum Lead : std::uint8_t { kOtherLead, kDollarLead, kSectionLead, kLeads };
inline constexpr std::array<std::uint8_t, 256> kLeadOf = [] {
  std::array<std::uint8_t, 256> leads{};
  leads[static_cast<unsigned char>('$')] = kDollarLead;
  leads[static_cast<unsigned char>(kSection)] = kSectionLead;
  return leads;
}();
using AcceptedLengths = std::array<std::uint64_t, 8 * kLeads>;
inline constexpr std::uint64_t kDiscardedChannel = 1;
constexpr AcceptedLengths AcceptedLengthsIn(StatusChannelMode mode) {
  AcceptedLengths lengths{};
  for (unsigned channel = 0; channel < 8; ++channel) {
    const bool status = channel >= 6;
    const std::uint64_t bits =
        std::uint64_t{1} << (channel >= 5 ? 31 : 55) | (channel == 3 ? std::uint64_t{1} << 63 : 0);
    const bool discarded = status && mode == StatusChannelMode::Discard;
    const std::uint64_t looked = discarded ? kDiscardedChannel : bits;
    lengths[channel * kLeads + kDollarLead] = looked;
    lengths[channel * kLeads + kSectionLead] = status ? looked : 0;
  }
  return lengths;
}
inline constexpr std::array<AcceptedLengths, 3> kAcceptedLengths = {
    AcceptedLengthsIn(StatusChannelMode::CopyUnchanged),
    AcceptedLengthsIn(StatusChannelMode::Transform), AcceptedLengthsIn(StatusChannelMode::Discard)};

}  // namespace record_filter_detail

// Classifies a line known by its beginning and its full length. `head` holds the line's first
// bytes, at least min(length, kLongestRecord + 1) of them; only the first six and the length
// decide, so a long line never has to be held in memory. Inline: it runs for every line.
[[gnu::always_inline]] inline RecordClass ClassifyRecord(std::string_view head, std::int64_t length,
                                                         StatusChannelMode mode) {
  using namespace record_filter_detail;
  // Every channel prefix is a lead character and a channel digit followed by ";1;;". A line of
  // six characters or more has at least six in its head.
  if (length < 6 || std::memcmp(head.data() + 2, ";1;;", 4) != 0) return {};
  const unsigned channel = static_cast<unsigned char>(head[1]) - unsigned{'1'};  // 0 to 7
  if (channel > 7) return {};
  // Looked up without branching, since the lead of status records changes from line to line.
  const unsigned lead = kLeadOf[static_cast<unsigned char>(head[0])];
  const std::uint64_t lengths =
      kAcceptedLengths[static_cast<unsigned>(mode)][channel * kLeads + lead];
  if (lengths <= kDiscardedChannel) return {RecordOutcome::Ignored, false, lengths != 0, {}};
  if (length > kLongestRecord || ((lengths >> length) & 1) == 0)
    return {RecordOutcome::Rejected, false, true, {}};
  // Transforming puts "$" in place of the first character. Every other accepted record already
  // begins with "$", so in that mode every record is written that way: one form for all lines.
  if (mode == StatusChannelMode::Transform)
    return {RecordOutcome::Written, channel == 0, true, "$"};
  return {RecordOutcome::Written, channel == 0, true, {}};
}

}  // namespace velunor
