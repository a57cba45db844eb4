// Runs where the reader and the output file work in bulk: more output than one buffer holds, and
// a run of empty lines taken at once, which must still show the progress of its first line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_conversion.h"
#include "temp_dir.h"

namespace velunor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class ProgressWindow : public RunWindow {
 public:
  void SetProgress(int percent) override { Shown.push_back(percent); }
  void ProcessPendingEvents() override {}
  void StartOutputSizeDisplay() override {}
  void StopOutputSizeDisplay() override {}
  std::int32_t& BytesWritten() override { return Written; }

  std::vector<int> Shown;
  std::int32_t Written = 0;
};

std::string Record(char channel, std::size_t length) {
  std::string line{'$', channel};
  line += ";1;;";
  line.resize(length, '7');
  return line;
}

TEST(BulkRun, OutputOfSeveralBuffersKeepsEveryRecord) {
  TempDir dir;
  std::string log;
  for (int i = 0; i < 40000; ++i) log += Record('2', 55) + "\r\n";  // 2.2 MiB
  WriteFile(dir / "m_DAT.LOG", log);
  ProgressWindow window;
  const RunTotals totals = RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window);
  EXPECT_EQ(ReadFile(dir / "m.CSV"), log);
  EXPECT_EQ(totals.BytesWritten, 40000 * 55);
}

TEST(BulkRun, EmptyLinesFirstStillShowTheStart) {
  TempDir dir;
  WriteFile(dir / "m_DAT.LOG", "\r\n\r\r\n" + Record('6', 31) + "\r\n");  // 38 bytes
  ProgressWindow window;
  RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window);
  // 0 % after the empty lines, 82 % (31 of 38 bytes) after the record, 100 % at the end.
  EXPECT_EQ(window.Shown, (std::vector<int>{0, 82, 100}));
}

}  // namespace
}  // namespace velunor
