#include "run_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace velunor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Records the run's calls to the window in order.
class RecordingWindow : public RunWindow {
 public:
  void SetProgress(int percent) override {
    if (Progress.empty() || Progress.back() != percent) Progress.push_back(percent);
    Calls += "p";
  }
  void ProcessPendingEvents() override { Calls += "e"; }
  void StartOutputSizeDisplay() override { Calls += "["; }
  void StopOutputSizeDisplay() override { Calls += "]"; }
  std::int32_t& BytesWritten() override { return Written; }

  std::vector<int> Progress;
  std::string Calls;
  std::int32_t Written = 77;
};

std::string Record(char channel, std::size_t length, char lead = '$', char fill = '0') {
  std::string line{lead, channel};
  line += ";1;;";
  line.resize(length, fill);
  return line;
}

class Run : public ::testing::Test {
 protected:
  RunTotals Convert(const std::string& log, RunOptions options = {},
                    std::size_t block = LineReader::kDefaultBlockSize) {
    WriteFile(input, log);
    return RunConversion(input, output, base, options, window, block);
  }

  TempDir dir;
  std::string input = dir / "m_DAT.LOG";
  std::string base = dir / "m";
  std::string output = dir / "m.CSV";
  RecordingWindow window;
};

TEST_F(Run, WritesAcceptedLinesWithCrLfAndCounts) {
  const std::string ch1 = Record('1', 55), ch7 = Record('7', 31, '\xA7');
  const std::string log =
      "header\r\n" + ch1 + "\r" + Record('2', 54) + "\r\n" + ch7 + "\r\n\nx" + "\r\n" + ch1 + "\n";
  for (std::size_t block : {1, 3, 1 << 20}) {
    const RunTotals totals = Convert(log, {}, block);
    EXPECT_EQ(ReadFile(output), ch1 + "\r\n$" + ch7.substr(1) + "\r\n") << block;
    EXPECT_EQ(totals.BytesRead, 6 + 55 + 54 + 31 + 2 + 56);
    EXPECT_EQ(totals.BytesWritten, 55 + 31);
    EXPECT_EQ(totals.RejectedLines, 2);  // the short channel 2 and the channel 1 with its line feed
    EXPECT_EQ(window.Written, totals.BytesWritten);
  }
}

TEST_F(Run, CallsTheWindowInOrder) {
  Convert(Record('1', 55) + "\r\n" + Record('2', 55) + "\r\n");
  EXPECT_EQ(window.Calls, "[eppp]");
}

TEST_F(Run, EmptyLogGivesEmptyFileAndKeepsProgressUntilTheEnd) {
  const RunTotals totals = Convert("");
  EXPECT_EQ(SummaryText(totals), " 0 KB von 0 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.");
  EXPECT_TRUE(std::filesystem::exists(output));
  EXPECT_EQ(ReadFile(output), "");
  EXPECT_EQ(window.Progress, std::vector<int>{100});
  EXPECT_EQ(window.Written, 0);
}

TEST_F(Run, AppendKeepsTheOldLines) {
  WriteFile(output, "old\r\n");
  Convert(Record('6', 31) + "\r\n", {StatusChannelMode::Transform, true, 0});
  EXPECT_EQ(ReadFile(output), "old\r\n" + Record('6', 31) + "\r\n");
  WriteFile(output, "old\r\n");
  Convert("", {StatusChannelMode::Transform, true, 0});
  EXPECT_EQ(ReadFile(output), "old\r\n");
  Convert(Record('6', 31) + "\r\n");
  EXPECT_EQ(ReadFile(output), Record('6', 31) + "\r\n");
}

TEST_F(Run, SplitsByLoggingTime) {
  std::string log;
  for (int tick = 1; tick <= 150; ++tick) {
    log += Record('1', 55, '$', static_cast<char>('0' + tick % 10)) + "\r\n";
    log += Record('2', 55) + "\r\n";
  }
  output = base + "_00d00h00m.CSV";
  Convert(log, {StatusChannelMode::Transform, false, 1});
  // Each channel-1 and channel-2 pair is 114 bytes; the 60th tick ends the first slice, the
  // channel-2 line after it starts the second.
  const std::size_t first = 60 * 114 - 57, second = first + 60 * 114;
  EXPECT_EQ(ReadFile(base + "_00d00h00m.CSV"), log.substr(0, first));
  EXPECT_EQ(ReadFile(base + "_00d00h01m.CSV"), log.substr(first, second - first));
  EXPECT_EQ(ReadFile(base + "_00d00h02m.CSV"), log.substr(second));
}

TEST_F(Run, SliceCompletedByTheLastLineLeavesAnEmptyNextFile) {
  std::string log;
  for (int tick = 0; tick < 60; ++tick) log += Record('1', 55) + "\r\n";
  output = base + "_00d00h00m.CSV";
  Convert(log + Record('1', 54) + "\r\n", {StatusChannelMode::Transform, false, 1});
  EXPECT_EQ(ReadFile(base + "_00d00h01m.CSV"), "");
  EXPECT_FALSE(std::filesystem::exists(base + "_00d00h02m.CSV"));
}

}  // namespace
}  // namespace velunor
