#include "record_filter.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(RecordFilter, JudgesPrefixAndLength) {
  const struct {
    std::string Line;
    M Mode;
    O Expected;
  } cases[] = {
      {Line("$1;1;;", 55), M::Transform, O::Written},
      {Line("$1;1;;", 54), M::Transform, O::Rejected},
      {Line("$1;1;;", 56), M::CopyUnchanged, O::Rejected},
      {Line("$2;1;;", 55), M::Discard, O::Written},
      {Line("$3;1;;", 55), M::Transform, O::Written},
      {Line("$5;1;;", 31), M::Transform, O::Rejected},
      {Line("$4;1;;", 55), M::Transform, O::Written},
      {Line("$4;1;;", 63), M::Transform, O::Written},
      {Line("$4;1;;", 62), M::Transform, O::Rejected},
      {Line("$6;1;;", 31), M::Transform, O::Written},
      {Line("$6;1;;", 55), M::Transform, O::Rejected},
      {Line("\xA7"
            "7;1;;",
            31),
       M::Discard, O::Ignored},
      {Line("$8;1;;", 40), M::Discard, O::Ignored},
      {Line("$8;1;;", 40), M::Transform, O::Rejected},
      {Line("\xA7"
            "8;1;;",
            40),
       M::CopyUnchanged, O::Rejected},
      // Near misses in every position of the prefix, empty and short lines, a header.
      {"", M::Transform, O::Ignored},
      {"$1;1;", M::Transform, O::Ignored},
      {Line("Datum;Zeit;Kanal", 55), M::Transform, O::Ignored},
      {Line("$0;1;;", 55), M::Transform, O::Ignored},
      {Line("$9;1;;", 31), M::Transform, O::Ignored},
      {Line("$1;2;;", 55), M::Transform, O::Ignored},
      {Line("$1,1;;", 55), M::Transform, O::Ignored},
      {Line("$1;1,;", 55), M::Transform, O::Ignored},
      {Line("$1;1;,", 55), M::Transform, O::Ignored},
      {Line("\xA7"
            "1;1;;",
            55),
       M::Transform, O::Ignored},
      {Line("s7;1;;", 31), M::CopyUnchanged, O::Ignored},
  };
  for (const auto& c : cases) {
    const RecordClass record = ClassifyRecord(c.Line, c.Mode);
    EXPECT_EQ(record.Outcome, c.Expected) << c.Line;
    EXPECT_EQ(record.IsTimeTick, c.Expected == O::Written && c.Line[1] == '1') << c.Line;
    if (c.Expected == O::Written && c.Line[1] < '7') {
      EXPECT_EQ(Output(record), c.Line);
    }
  }
}

TEST(RecordFilter, StatusRecordsFollowTheMode) {
  const std::string section = Line(
      "\xA7"
      "7;1;;",
      31);
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
