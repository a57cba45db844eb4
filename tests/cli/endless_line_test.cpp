// A log that never ends: its name leads to /dev/zero, one line without a carriage return. No
// count can hold that line, and the converter has to say so as soon as the line has outgrown the
// count, rather than read until a line end that never comes.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

TEST(EndlessLog, EndsWithTheOverflowOnceTheLineIsTooLongToCount) {
  TempDir dir;
  std::filesystem::create_symlink("/dev/zero", dir / "z_DAT.LOG");
  // A converter that reads on forever is stopped after a minute of processor time (passing
  // 2 GiB takes about a second), so that the failure shows at once, not at the test's timeout.
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_CPU, &before), 0);
  const rlimit limit{60, before.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_CPU, &limit), 0);
  const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, {"z_DAT.LOG"}, {dir.Path().string()});
  ::setrlimit(RLIMIT_CPU, &before);

  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, " 6 - Überlauf\n");
  EXPECT_EQ(result.Out, "");
  EXPECT_EQ(ReadFile(dir / "z.CSV"), "");
}

}  // namespace
}  // namespace velunor::testing
