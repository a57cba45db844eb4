// What needs a setup no case folder can hold: another user, a file-size limit, a 2 GiB log, a log
// that arrives through a pipe. A failure is reported with its number and text and status 1, and
// harms nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "child_process.h"
#include "console_window.h"
#include "file_snapshot.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

namespace fs = std::filesystem;

const std::string kTick = "$1;1;;" + std::string(49, '0') + "\r\n";

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
  WriteFile(dir / "m_DAT.LOG", kTick);
  WriteFile(dir / "m.CSV", "alt\r\n");
  fs::permissions(dir / "m.CSV", fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(dir.Path(), fs::perms::all);
  ExpectError({"--append", "m_DAT.LOG"}, " 70 - Zugriff verweigert\n", {.User = 65534});
  EXPECT_EQ(ReadFile(dir / "m.CSV"), "alt\r\n");
}

// A file-size limit of 4096 bytes: the write that passes it fails as on a full disk; the whole
// records written before stay.
TEST_F(Fault, DiskFillsUpDuringTheRun) {
  std::string log;
  for (int i = 0; i < 150; ++i) log += kTick;
  WriteFile(dir / "m_DAT.LOG", log);
  ExpectError({"m_DAT.LOG"}, " 61 - Datenträger voll\n", {.FileSizeLimit = 4096});
  EXPECT_EQ(ReadFile(dir / "m.CSV"), log.substr(0, 4096 / 57 * 57));
}

// Two records, then one line past the 32-bit byte count: the log's length alone overflows, before
// any record is read. The log is sparse: it costs no disk.
TEST_F(Fault, LogOver2GiB) {
  const std::string log = dir / "m_DAT.LOG";
  const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::pwrite(fd, (kTick + kTick).data(), 2 * kTick.size(), 0), 2 * kTick.size());
  ASSERT_EQ(::ftruncate(fd, (1LL << 31) + 200), 0);
  ::close(fd);
  const FileSnapshot before = SnapshotOf(log);
  ExpectError({"m_DAT.LOG"}, " 6 - Überlauf\n", {});
  EXPECT_EQ(ReadFile(dir / "m.CSV"), "");
  EXPECT_EQ(SnapshotOf(log), before);
}

// The log trickles in through a pipe: it converts as it comes, and standard error, which is no
// terminal, gets no progress line however long the run takes.
TEST(Console, NoProgressLineWithoutATerminal) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "m_DAT.LOG").c_str(), 0600), 0);
  const int fifo = ::open((dir / "m_DAT.LOG").c_str(), O_RDWR | O_CLOEXEC);  // waits for no reader
  std::string rest;
  for (int i = 0; i < 1024; ++i) rest += kTick;
  std::thread writer([&] {
    EXPECT_EQ(::write(fifo, kTick.data(), kTick.size()), std::ssize(kTick));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(::write(fifo, rest.data(), rest.size()), std::ssize(rest));
    ::close(fifo);
  });
  const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, {"m_DAT.LOG"}, {dir.Path().string()});
  writer.join();
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(result.Out, " 55 KB von 55 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.\n");
  EXPECT_EQ(ReadFile(dir / "m.CSV"), kTick + rest);
}

// On a terminal the line shows percent and kilobytes written, at most four times a second and
// once more when the run ends, and is ended before a message follows.
TEST(Console, ProgressLineOnATerminal) {
  std::FILE* terminal = std::tmpfile();
  ConsoleWindow window(terminal, true);
  window.StartOutputSizeDisplay();
  window.BytesWritten() = 3 * 1024;
  window.SetProgress(5);  // too soon after the start
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  window.SetProgress(6);
  window.SetProgress(7);  // too soon after the last
  window.StopOutputSizeDisplay();
  window.EndLine();
  std::string text(100, '\0');
  std::rewind(terminal);
  text.resize(std::fread(text.data(), 1, text.size(), terminal));
  std::fclose(terminal);
  EXPECT_EQ(text, "\r  6 %  3 KB Out...\r  7 %  3 KB Out...\n");
}

}  // namespace
}  // namespace velunor::testing
