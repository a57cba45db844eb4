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

struct Case {
  std::string Name;
  std::string Line;
  M Mode;
  O Expected;
  bool Tick;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.Name;
}

class RecordFilterCases : public ::testing::TestWithParam<Case> {};

TEST_P(RecordFilterCases, Classifies) {
  const Case& c = GetParam();
  const RecordClass record = ClassifyRecord(c.Line, c.Mode);
  EXPECT_EQ(record.Outcome, c.Expected);
  EXPECT_EQ(record.IsTimeTick, c.Tick);
  if (c.Expected == O::Written) {
    EXPECT_EQ(Output(record).size(), c.Line.size());
    EXPECT_EQ(Output(record).substr(1), c.Line.substr(1));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RecordFilterCases,
    ::testing::Values(
        Case{"Ch1Exact", Line("$1;1;;", 55), M::Transform, O::Written, true},
        Case{"Ch1Short", Line("$1;1;;", 54), M::Transform, O::Rejected, false},
        Case{"Ch1Long", Line("$1;1;;", 56), M::CopyUnchanged, O::Rejected, false},
        Case{"Ch1HugeLength", Line("$1;1;;", 5000), M::Transform, O::Rejected, false},
        Case{"Ch2", Line("$2;1;;", 55), M::Discard, O::Written, false},
        Case{"Ch3", Line("$3;1;;", 55), M::Transform, O::Written, false},
        Case{"Ch5Wrong", Line("$5;1;;", 31), M::Transform, O::Rejected, false},
        Case{"Ch4Short", Line("$4;1;;", 55), M::Transform, O::Written, false},
        Case{"Ch4Long", Line("$4;1;;", 63), M::Transform, O::Written, false},
        Case{"Ch4Between", Line("$4;1;;", 62), M::Transform, O::Rejected, false},
        Case{"Ch6", Line("$6;1;;", 31), M::Transform, O::Written, false},
        Case{"Ch6AsLong", Line("$6;1;;", 55), M::Transform, O::Rejected, false},
        Case{"Ch7SectionDiscard",
             Line("\xA7"
                  "7;1;;",
                  31),
             M::Discard, O::Ignored, false},
        Case{"Ch8WrongDiscard", Line("$8;1;;", 40), M::Discard, O::Ignored, false},
        Case{"Ch8WrongTransform", Line("$8;1;;", 40), M::Transform, O::Rejected, false},
        Case{"Ch8WrongCopy",
             Line("\xA7"
                  "8;1;;",
                  40),
             M::CopyUnchanged, O::Rejected, false},
        Case{"Empty", "", M::Transform, O::Ignored, false},
        Case{"ShortPrefix", "$1;1;", M::Transform, O::Ignored, false},
        Case{"Header", Line("Datum;Zeit;Kanal", 55), M::Transform, O::Ignored, false},
        Case{"Channel0", Line("$0;1;;", 55), M::Transform, O::Ignored, false},
        Case{"Channel9", Line("$9;1;;", 31), M::Transform, O::Ignored, false},
        Case{"SecondField", Line("$1;2;;", 55), M::Transform, O::Ignored, false},
        Case{"Semicolon1", Line("$1,1;;", 55), M::Transform, O::Ignored, false},
        Case{"Semicolon2", Line("$1;1,;", 55), M::Transform, O::Ignored, false},
        Case{"Semicolon3", Line("$1;1;,", 55), M::Transform, O::Ignored, false},
        Case{"SectionOnData",
             Line("\xA7"
                  "1;1;;",
                  55),
             M::Transform, O::Ignored, false},
        Case{"LowerCaseLead", Line("s7;1;;", 31), M::CopyUnchanged, O::Ignored, false}),
    [](const auto& info) { return info.param.Name; });

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

TEST(RecordFilter, ContentAfterThePrefixIsNeverLookedAt) {
  std::string odd = "$2;1;;";
  odd += std::string("\0\r\n\xA7;;;xyz", 11);
  odd.resize(55, '\xff');
  EXPECT_EQ(Output(ClassifyRecord(odd, M::Transform)), odd);
}

TEST(RecordFilter, LongLineJudgedByItsHeadAndLength) {
  const std::string head = Line("$1;1;;", 64);
  EXPECT_EQ(ClassifyRecord(head, 1'000'000, M::Transform).Outcome, O::Rejected);
  EXPECT_EQ(ClassifyRecord(head, 55, M::Transform).Outcome, O::Written);
  EXPECT_EQ(Output(ClassifyRecord(head, 55, M::Transform)), head.substr(0, 55));
}

}  // namespace
}  // namespace velunor
