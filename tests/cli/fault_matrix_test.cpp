// What needs a setup no case folder can hold: another user, a 2 GiB log, a log that arrives
// through a pipe. A failure is reported with its number and text and status 1, and
// harms nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "batch_progress.h"
#include "child_process.h"
#include "console_window.h"
#include "rejected_report.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

namespace fs = std::filesystem;

std::string Ticks(int count) {
  std::string log;
  while (count-- > 0) log += "$1;1;;" + std::string(49, '0') + "\r\n";
  return log;
}

class Fault : public ::testing::Test {
 protected:
  void ExpectError(const std::vector<std::string>& args, const char* error, ChildSetup setup) {
    setup.WorkingDirectory = dir.Path().string();
    const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, args, setup);
    EXPECT_EQ(result.ExitStatus, 1);
    EXPECT_EQ(result.Err, error);
    EXPECT_EQ(result.Out, "");
  }

  TempDir dir;
};

TEST_F(Fault, OutputReadOnlyForAnotherUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  WriteFile(dir / "m_DAT.LOG", Ticks(1));
  WriteFile(dir / "m.CSV", "alt\r\n");
  fs::permissions(dir / "m.CSV", fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(dir.Path(), fs::perms::all);
  ExpectError({"--append", "m_DAT.LOG"}, " 70 - Zugriff verweigert\n", {.User = 65534});
  EXPECT_EQ(ReadFile(dir / "m.CSV"), "alt\r\n");
}

// Two records, then one line past the 32-bit byte count: the log's length alone overflows, before
// any record is read. The log is sparse: it costs no disk.
TEST_F(Fault, LogOver2GiB) {
  const std::string log = dir / "m_DAT.LOG";
  const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::pwrite(fd, Ticks(2).data(), 2 * 57, 0), 2 * 57);
  ASSERT_EQ(::ftruncate(fd, (1LL << 31) + 200), 0);
  ::close(fd);
  const auto written = fs::last_write_time(log);  // any write to the log would change it
  ExpectError({"m_DAT.LOG"}, " 6 - Überlauf\n", {});
  EXPECT_EQ(ReadFile(dir / "m.CSV"), "");
  EXPECT_EQ(fs::last_write_time(log), written);
  EXPECT_EQ(fs::file_size(log), (1ULL << 31) + 200);
}

// The log trickles in through a pipe: it converts as it comes, and standard error, which is no
// terminal, gets no progress line however long the run takes.
TEST(Console, NoProgressLineWithoutATerminal) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "m_DAT.LOG").c_str(), 0600), 0);
  const int fifo = ::open((dir / "m_DAT.LOG").c_str(), O_RDWR | O_CLOEXEC);  // waits for no reader
  const std::string first = Ticks(1), rest = Ticks(1024);
  std::thread writer([&] {
    EXPECT_EQ(::write(fifo, first.data(), first.size()), std::ssize(first));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(::write(fifo, rest.data(), rest.size()), std::ssize(rest));
    ::close(fifo);
  });
  const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, {"m_DAT.LOG"}, {dir.Path().string()});
  writer.join();
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(result.Out, " 55 KB von 55 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.\n");
  EXPECT_EQ(ReadFile(dir / "m.CSV"), first + rest);
}

// What a test's stand-in for the terminal got; it is closed.
std::string Shown(std::FILE* terminal) {
  std::string text(200, '\0');
  std::rewind(terminal);
  text.resize(std::fread(text.data(), 1, text.size(), terminal));
  std::fclose(terminal);
  return text;
}

// On a terminal the line shows percent and kilobytes written, at most four times a second and
// once more when the run ends, and is ended before a message follows.
TEST(Console, ProgressLineOnATerminal) {
  std::FILE* terminal = std::tmpfile();
  ConsoleWindow quick(terminal, true);  // a run shorter than a quarter second shows nothing
  quick.StartOutputSizeDisplay();
  quick.SetProgress(100);
  quick.StopOutputSizeDisplay();
  quick.EndLine();
  ConsoleWindow window(terminal, true);
  window.StartOutputSizeDisplay();
  window.BytesWritten() = 3 * 1024;
  window.SetProgress(5);  // too soon after the start
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  window.SetProgress(6);
  window.SetProgress(7);  // too soon after the last
  window.StopOutputSizeDisplay();
  window.EndLine();
  EXPECT_EQ(Shown(terminal), "\r  6 %  3 KB Out...\r  7 %  3 KB Out...\n");
}

// Several logs: one line for the whole call, at most ten times a second, blanked before other text.
TEST(Console, BatchProgressLineOnATerminal) {
  std::FILE* terminal = std::tmpfile();
  BatchProgressLine line(terminal, true);
  line.Show({0, 8, 0, 0});  // too soon after the start
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  line.Show({3, 8, 45, 1234});
  line.Show({4, 8, 50, 1300});  // too soon after the last
  line.Clear();
  line.Clear();
  const std::string shown = "3 von 8 Log-Dateien fertig,  45 %, 1234 KB Out...";
  EXPECT_EQ(Shown(terminal), "\r" + shown + "\r" + std::string(shown.size(), ' ') + "\r");
}

// More faulty lines than a case can show: those beyond the buffer wait in a temporary file for
// the logs before theirs, and come back whole and in order.
TEST(RejectedRows, ManyWaitInATemporaryFile) {
  RejectedRows rows("a;b_DAT.LOG", -1);
  std::string expected;
  for (int line = 1; line <= 5000; ++line) {
    rows.Rejected(line, "$4;1;;4", 57);
    expected += "\"a;b_DAT.LOG\";" + std::to_string(line) + ";$4;57;55 oder 63\r\n";
  }
  TempDir dir;
  const int report = ::open((dir / "r.csv").c_str(), O_WRONLY | O_CREAT, 0600);
  rows.CopyTo(report);
  ::close(report);
  EXPECT_EQ(ReadFile(dir / "r.csv"), expected);
}

}  // namespace
}  // namespace velunor::testing
