// A log that never ends: its name leads to /dev/zero, one line without a carriage return. No
// count can hold that line, and the converter has to say so as soon as the line has outgrown the
// count, rather than read until a line end that never comes.
#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

TEST(EndlessLog, EndsWithTheOverflowOnceTheLineIsTooLongToCount) {
  TempDir dir;
  std::filesystem::create_symlink("/dev/zero", dir / "z_DAT.LOG");
  // A converter that reads on forever fails at the test's time limit.
  const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, {"z_DAT.LOG"}, {dir.Path().string()});

  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, " 6 - Überlauf\n");
  EXPECT_EQ(result.Out, "");
  EXPECT_EQ(ReadFile(dir / "z.CSV"), "");
}

}  // namespace
}  // namespace velunor::testing
