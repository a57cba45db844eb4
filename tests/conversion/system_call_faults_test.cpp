// Faults of the system calls behind the output file, which a real disk rarely shows on demand:
// the test program routes write() and close() through the wrappers below (-Wl,--wrap), which
// fail or shorten the calls on the CSV file a test names and pass every other call on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "recording_window.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "temp_dir.h"

namespace {

enum class Fault { None, CloseFails, ShortWrite, WriteTakesNothing };
Fault fault = Fault::None;
std::string faultyFile;

bool IsFaultyFile(int fd) {
  char link[64], target[PATH_MAX];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t size = readlink(link, target, sizeof target);
  return fault != Fault::None && size > 0 &&
         faultyFile == std::string(target, static_cast<std::size_t>(size));
}

}  // namespace

extern "C" {
ssize_t __real_write(int fd, const void* data, size_t size);
int __real_close(int fd);

ssize_t __wrap_write(int fd, const void* data, size_t size) {
  if (!IsFaultyFile(fd)) return __real_write(fd, data, size);
  if (fault == Fault::WriteTakesNothing) return 0;
  if (fault == Fault::ShortWrite) {
    fault = Fault::None;  // once; the rest goes through
    return __real_write(fd, data, size / 2 + 1);
  }
  return __real_write(fd, data, size);
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

using testing::ReadFile;
using testing::WriteFile;

class SystemCallFault : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 200; ++i)
      log += (i % 3 ? "$2;1;;" : "$6;1;;") + std::string(i % 3 ? 49 : 25, '7') + "\r\n";
    WriteFile(dir / "m_DAT.LOG", log);
    faultyFile = dir / "m.CSV";
  }
  void TearDown() override { fault = Fault::None; }

  // The error number of the run, 0 when it succeeds.
  int Convert() {
    try {
      RunConversion(dir / "m_DAT.LOG", dir / "m.CSV", dir / "m", {}, window);
    } catch (const RunTimeError& error) {
      return error.Number();
    }
    return 0;
  }

  testing::TempDir dir;
  testing::RecordingWindow window;
  std::string log;
};

TEST_F(SystemCallFault, CloseFailingIsADeviceError) {
  fault = Fault::CloseFails;
  EXPECT_EQ(Convert(), error_number::kDeviceIo);
}

TEST_F(SystemCallFault, ShortWriteThenTheRestWritesEachByteOnce) {
  fault = Fault::ShortWrite;
  EXPECT_EQ(Convert(), 0);
  EXPECT_EQ(ReadFile(dir / "m.CSV"), log);
}

// A write that takes nothing and says nothing would otherwise be asked again for ever.
TEST_F(SystemCallFault, WriteTakingNothingEndsTheRun) {
  fault = Fault::WriteTakesNothing;
  EXPECT_EQ(Convert(), error_number::kDiskFull);
  EXPECT_EQ(ReadFile(dir / "m.CSV"), "");
}

}  // namespace
}  // namespace velunor
