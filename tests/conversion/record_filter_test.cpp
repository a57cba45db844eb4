#include "record_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace velunor {
namespace {

std::string Line(const std::string& prefix, std::size_t length) {
  std::string line = prefix;
  while (line.size() < length) line += static_cast<char>('0' + line.size() % 10);
  line.resize(length);
  return line;
}

std::string Output(const RecordClass& record) {
  return std::string(record.Head) + std::string(record.Tail);
}

using M = StatusChannelMode;
using O = RecordOutcome;

constexpr const char* kSection7 = "\2477;1;;";  // "§" is the byte 0xA7 (octal 247)
constexpr const char* kSection8 = "\2478;1;;";

TEST(RecordFilter, JudgesPrefixAndLength) {
  // Prefix, length, mode, outcome. Below the first rows: near misses in every position of the
  // prefix, empty and short lines, a header.
  const std::tuple<std::string, std::size_t, M, O> cases[] = {
      {"$1;1;;", 55, M::Transform, O::Written},       {"$1;1;;", 54, M::Transform, O::Rejected},
      {"$1;1;;", 56, M::CopyUnchanged, O::Rejected},  {"$2;1;;", 55, M::Discard, O::Written},
      {"$3;1;;", 55, M::Transform, O::Written},       {"$5;1;;", 31, M::Transform, O::Rejected},
      {"$4;1;;", 55, M::Transform, O::Written},       {"$4;1;;", 63, M::Transform, O::Written},
      {"$4;1;;", 62, M::Transform, O::Rejected},      {"$6;1;;", 31, M::Transform, O::Written},
      {"$6;1;;", 55, M::Transform, O::Rejected},      {kSection7, 31, M::Discard, O::Ignored},
      {"$8;1;;", 40, M::Discard, O::Ignored},         {"$8;1;;", 40, M::Transform, O::Rejected},
      {kSection8, 40, M::CopyUnchanged, O::Rejected}, {"", 0, M::Transform, O::Ignored},
      {"$1;1;", 5, M::Transform, O::Ignored},         {"Datum;Zeit", 55, M::Transform, O::Ignored},
      {"$0;1;;", 55, M::Transform, O::Ignored},       {"$9;1;;", 31, M::Transform, O::Ignored},
      {"$1;2;;", 55, M::Transform, O::Ignored},       {"$1,1;;", 55, M::Transform, O::Ignored},
      {"$1;1,;", 55, M::Transform, O::Ignored},       {"$1;1;,", 55, M::Transform, O::Ignored},
      {"\2471;1;;", 55, M::Transform, O::Ignored},    {"s7;1;;", 31, M::CopyUnchanged, O::Ignored}};
  for (const auto& [prefix, length, mode, expected] : cases) {
    const std::string line = Line(prefix, length);
    const RecordClass record = ClassifyRecord(line, mode);
    EXPECT_EQ(record.Outcome, expected) << line;
    EXPECT_EQ(record.IsTimeTick, expected == O::Written && prefix == "$1;1;;") << line;
    if (expected == O::Written && prefix[1] < '7') {
      EXPECT_EQ(Output(record), line);
    }
  }
}

TEST(RecordFilter, StatusRecordsFollowTheMode) {
  const std::string section = Line(kSection7, 31);
  const std::string dollar = Line("$8;1;;", 31);
  EXPECT_EQ(Output(ClassifyRecord(section, M::Transform)), "$" + section.substr(1));
  EXPECT_EQ(Output(ClassifyRecord(section, M::CopyUnchanged)), section);
  EXPECT_EQ(Output(ClassifyRecord(dollar, M::Transform)), dollar);
  EXPECT_EQ(Output(ClassifyRecord(dollar, M::CopyUnchanged)), dollar);
}

TEST(RecordFilter, OnlyPrefixAndLengthMatter) {
  std::string odd = "$2;1;;";
  odd += std::string("\0\r\n\xA7;;;xyz", 11);
  odd.resize(55, '\xff');
  EXPECT_EQ(Output(ClassifyRecord(odd, M::Transform)), odd);
  // A long line is judged by its head and length alone.
  const std::string head = Line("$1;1;;", 64);
  EXPECT_EQ(ClassifyRecord(head, 1'000'000, M::Transform).Outcome, O::Rejected);
  EXPECT_EQ(Output(ClassifyRecord(head, 55, M::Transform)), head.substr(0, 55));
}

}  // namespace
}  // namespace velunor
