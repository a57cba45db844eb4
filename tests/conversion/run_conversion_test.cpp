#include "run_conversion.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

#include "page_buffer.h"
#include "recording_window.h"
#include "run_time_error.h"
#include "temp_dir.h"

#ifndef _WIN32
// Faults of the system calls behind the CSV file, which a real disk rarely shows on demand: this
// test program routes write() and close() through the wrappers below (-Wl,--wrap), which fail or
// shorten them while a fault is staged (during a run, whose only written file is the CSV) and
// pass every other call on; the standard streams are always spared.
namespace {
enum class Fault { None, CloseFails, ShortWrite, WriteTakesNothing };
Fault fault = Fault::None;
}  // namespace

extern "C" {
ssize_t __real_write(int fd, const void* data, size_t size);
int __real_close(int fd);

ssize_t __wrap_write(int fd, const void* data, size_t size) {
  if (fd <= 2 || fault == Fault::None || fault == Fault::CloseFails)
    return __real_write(fd, data, size);
  if (fault == Fault::WriteTakesNothing) return 0;
  fault = Fault::None;  // one write of a single byte; the rest goes through
  return __real_write(fd, data, 1);
}

int __wrap_close(int fd) {
  if (fd <= 2 || fault != Fault::CloseFails) return __real_close(fd);
  __real_close(fd);
  errno = EIO;  // a deferred write error, as network file systems report one
  return -1;
}
}
#endif

namespace velunor {
namespace {

using testing::ReadFile;
using testing::RecordingWindow;
using testing::WriteFile;

std::string Record(const char* prefix, std::size_t length) {
  return (prefix + std::string(length, '0')).substr(0, length) + "\r\n";
}

// The bytes of a gzip file holding `text`, written with `mode` ("wb0": stored as they are).
std::string Gzip(const std::string& text, const char* mode) {
  testing::TempDir dir;
  const gzFile file = gzopen((dir / "z").c_str(), mode);
  gzwrite(file, text.data(), static_cast<unsigned>(text.size()));
  gzclose(file);
  return ReadFile(dir / "z");
}

struct Run : ::testing::Test {
  testing::TempDir dir;
  RecordingWindow window;
};

// A stop reaches the run between blocks even in a log without time ticks: it ends at once with
// the window's error as it came (the user's cancel), the whole records of the blocks read before
// it written out.
TEST_F(Run, StopsBetweenBlocksWithoutTimeTicks) {
  int passes = 0;
  window.OnEvents = [&] {
    if (++passes == 3) throw RunTimeError(error_number::kCancel);
  };
  std::string log;
  for (int i = 0; i < 2000; ++i) log += Record("$2;1;;", 55);
  WriteFile(dir / "m_DAT.LOG", log);
  try {
    RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window, 4096);
    ADD_FAILURE() << "not stopped";
  } catch (const RunTimeError& error) {
    EXPECT_STREQ(error.what(), " 32755 - Abbrechen gewählt");
  }
  // Two blocks of 4096 bytes hold 143 whole records of 57 bytes.
  EXPECT_EQ(ReadFile(dir / "m.CSV"), log.substr(0, 143 * 57));
  // Compressed blocks that give no log bytes at all still let the stop through.
  std::string empty = Gzip("", "wb"), members;
  for (int i = 0; i < 100000; ++i) members += empty;
  WriteFile(dir / "m_DAT.LOG", members + Gzip(log, "wb"));
  passes = 0;
  EXPECT_THROW(RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window),
               RunTimeError);
  EXPECT_EQ(ReadFile(dir / "m.CSV"), "");
}

// A log from a pipe (standard input): its length is unknown, so the window is given the bytes
// read, the percent stays 0 until the end, and the descriptor is left open. Compressed content
// is decompressed there too, also when its first byte comes alone: the rest is sent only once
// the run waits for it (on Windows, which waits inside the read, before the run reads).
TEST_F(Run, LogFromADescriptorOfUnknownLength) {
  const std::string log = Record("$1;1;;", 55) + Record("$2;1;;", 55) + "Kopf\r\n";
  int ends[2], passes = 0, feedAt = 2;
#ifdef _WIN32
  ASSERT_EQ(_pipe(ends, 1 << 16, _O_BINARY), 0);
  feedAt = 1;
#else
  ASSERT_EQ(pipe(ends), 0);
#endif
  std::string rest = Gzip(log, "wb9");
  ASSERT_EQ(write(ends[1], rest.data(), 1), 1);
  rest.erase(0, 1);
  window.OnEvents = [&] {
    if (++passes != feedAt) return;
    EXPECT_EQ(write(ends[1], rest.data(), static_cast<unsigned>(rest.size())), rest.size());
    close(ends[1]);
  };
  const RunTotals totals =
      RunConversion(InputSource(ends[0]), dir / "m.CSV", dir / "m", {}, window);
  EXPECT_EQ(ReadFile(dir / "m.CSV"), log.substr(0, 114));
  EXPECT_EQ(totals.BytesRead, 114);
  EXPECT_EQ(window.Calls,
            feedAt == 1 ? "[e b0e 0e b120e b120 100 ]" : "[e b0e b0e 0e b120e b120 100 ]");
  EXPECT_EQ(close(ends[0]), 0);  // still open
}

#ifndef _WIN32
// A CSV written to a descriptor handed over (standard output) is left open and unlocked.
TEST_F(Run, OutputDescriptorLeftOpenAndUnlocked) {
  WriteFile(dir / "m_DAT.LOG", Record("$1;1;;", 55));
  const int csv = open((dir / "m.CSV").c_str(), O_WRONLY | O_CREAT, 0644);
  RunConversion(dir / "m_DAT.LOG", OutputTarget(csv), dir / "m", {}, window);
  const int other = open((dir / "m.CSV").c_str(), O_RDONLY);
  EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  close(other);
  EXPECT_EQ(close(csv), 0);
  EXPECT_EQ(ReadFile(dir / "m.CSV"), Record("$1;1;;", 55));
}

// A write that takes nothing and says nothing would otherwise be asked again for ever.
TEST_F(Run, SystemCallFaultsEndTheRunWithTheirErrorOrWriteEachByteOnce) {
  std::string log;
  for (int i = 0; i < 200; ++i) log += "$2;1;;" + std::string(49, '0' + i % 10) + "\r\n";
  WriteFile(dir / "m_DAT.LOG", log);
  for (const auto& [staged, number, csv] : {std::tuple{Fault::CloseFails, 57, log},
                                            {Fault::ShortWrite, 0, log},
                                            {Fault::WriteTakesNothing, 61, std::string()}}) {
    fault = staged;
    int error = 0;
    try {
      RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window);
    } catch (const RunTimeError& failure) {
      error = failure.Number();
    }
    fault = Fault::None;
    EXPECT_EQ(error, number) << static_cast<int>(staged);
    EXPECT_EQ(ReadFile(dir / "m.CSV"), csv) << static_cast<int>(staged);
  }
}

TEST(PageBufferDeathTest, WritePastTheEndFaults) {
  PageBuffer buffer(1 << 20);
  volatile char* data = buffer.data();
  data[buffer.size() - 1] = 1;
  EXPECT_DEATH(data[buffer.size()] = 1, "");
}
#endif

}  // namespace
}  // namespace velunor
