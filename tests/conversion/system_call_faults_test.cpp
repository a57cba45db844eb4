// Faults of the system calls behind the CSV file, which a real disk rarely shows on demand: this
// test program routes write() and close() through the wrappers below (-Wl,--wrap), which fail or
// shorten them while a fault is staged (during a run, whose only written file is the CSV) and
// pass every other call on; the standard streams are always spared.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "recording_window.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "temp_dir.h"

namespace {

enum class Fault { None, CloseFails, ShortWrite, WriteTakesNothing };
Fault fault = Fault::None;

bool IsFaultyFile(int fd) {
  return fault != Fault::None && fd > 2;
}

}  // namespace

extern "C" {
ssize_t __real_write(int fd, const void* data, size_t size);
int __real_close(int fd);

ssize_t __wrap_write(int fd, const void* data, size_t size) {
  if (!IsFaultyFile(fd) || fault == Fault::CloseFails) return __real_write(fd, data, size);
  if (fault == Fault::WriteTakesNothing) return 0;
  fault = Fault::None;  // one write of a single byte; the rest goes through
  return __real_write(fd, data, 1);
}

int __wrap_close(int fd) {
  if (fault != Fault::CloseFails || !IsFaultyFile(fd)) return __real_close(fd);
  __real_close(fd);
  errno = EIO;  // a deferred write error, as network file systems report one
  return -1;
}
}

namespace velunor {
namespace {

// A write that takes nothing and says nothing would otherwise be asked again for ever.
TEST(SystemCallFault, EndTheRunWithTheirErrorOrWriteEachByteOnce) {
  testing::TempDir dir;
  std::string log;
  for (int i = 0; i < 200; ++i) log += "$2;1;;" + std::string(49, '0' + i % 10) + "\r\n";
  testing::WriteFile(dir / "m_DAT.LOG", log);
  for (const auto& [staged, number, csv] : {std::tuple{Fault::CloseFails, 57, log},
                                            {Fault::ShortWrite, 0, log},
                                            {Fault::WriteTakesNothing, 61, std::string()}}) {
    fault = staged;
    testing::RecordingWindow window;
    int error = 0;
    try {
      RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window);
    } catch (const RunTimeError& failure) {
      error = failure.Number();
    }
    fault = Fault::None;
    EXPECT_EQ(error, number) << static_cast<int>(staged);
    EXPECT_EQ(testing::ReadFile(dir / "m.CSV"), csv) << static_cast<int>(staged);
  }
}

}  // namespace
}  // namespace velunor
