#include "run_conversion.h"

#include <gtest/gtest.h>

#include <string>

#include "page_buffer.h"
#include "recording_window.h"
#include "temp_dir.h"

namespace velunor {
namespace {

using testing::ReadFile;
using testing::RecordingWindow;
using testing::WriteFile;

std::string Record(const char* prefix, std::size_t length) {
  std::string line = prefix;
  line.resize(length, '0');
  return line + "\r\n";
}

class Run : public ::testing::Test {
 protected:
  RunTotals Convert(const std::string& log) {
    WriteFile(dir / "m_DAT.LOG", log);
    return RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window);
  }

  testing::TempDir dir;
  RecordingWindow window;
};

// Progress after every line, rounded half to even (55 of 440 bytes are 12.5 %); events after a
// time tick and before every block read (the last read finds the end); no percent before the
// first line, so an earlier run's 100 stays until then.
TEST_F(Run, CallsTheWindowInOrder) {
  Convert(Record("$1;1;;", 55) + Record("Kopf", 381));
  EXPECT_EQ(window.Calls, "[ee 12 99e 100 ]");
  EXPECT_EQ(window.Written, 55);
  window = {};  // a window that shows no percent yet
  Convert("");
  EXPECT_EQ(window.Calls, "[e 100 ]");
  EXPECT_EQ(window.Written, 0);
  // Empty lines taken at once still show the percent of the first of them.
  window = {};
  Convert("\r\n\r\r\n" + Record("$6;1;;", 31));
  EXPECT_EQ(window.Calls, "[e 0 82e 100 ]");  // 31 of 38 bytes after the record
  window = {};
  Convert("\r");  // the smallest log: one empty line, none of its byte counted as read
  EXPECT_EQ(window.Calls, "[ee 0 100 ]");
}

// The long record after the fill does not fit into what is left of the output buffer (1 MiB) by
// two bytes, or by its line end's last byte: the buffer is written out first. A record written
// past the buffer's end would fault on the inaccessible page behind it.
TEST_F(Run, RecordsAcrossTheOutputBufferEnd) {
  for (const auto& [ticks, sixes, longs] : {std::tuple{3, 31766, 1}, {7, 31761, 0}}) {
    std::string log;
    for (int i = 0; i < ticks; ++i) log += Record("$1;1;;", 55);
    for (int i = 0; i < sixes; ++i) log += Record("$6;1;;", 31);
    for (int i = 0; i < longs + 200; ++i) log += Record("$4;1;;", 63);
    Convert(log);
    EXPECT_EQ(ReadFile(dir / "m.CSV"), log);
  }
}

#ifndef _WIN32
TEST(PageBufferDeathTest, WritePastTheEndFaults) {
  PageBuffer buffer(1 << 20);
  volatile char* data = buffer.data();
  data[buffer.size() - 1] = 1;
  EXPECT_DEATH(data[buffer.size()] = 1, "");
}
#endif

}  // namespace
}  // namespace velunor
