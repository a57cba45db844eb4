// What only Windows has here: hard links, which a case folder cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include "child_process.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

const std::string kTick = "$1;1;;" + std::string(49, '0') + "\r\n";

// A second name of the log (a hard link) is still the log, as output file or as the report of
// faulty lines: the log stays whole.
TEST(Sharing, HardLinkToTheLogIsTheLog) {
  TempDir dir;
  WriteFile(dir / "m_DAT.LOG", kTick);
  ASSERT_TRUE(::CreateHardLinkW(WideText(dir / "m.CSV").c_str(),
                                WideText(dir / "m_DAT.LOG").c_str(), nullptr));
  ChildResult result = RunChild(VELUNOR_CONVERT_PATH, {"m_DAT.LOG"}, {dir.Path().string()});
  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, "velunor-convert: m.CSV: 55 - Datei bereits geöffnet\n");
  EXPECT_EQ(ReadFile(dir / "m_DAT.LOG"), kTick);

  result = RunChild(VELUNOR_CONVERT_PATH, {"--rejected=m.CSV", "-o", "x.CSV", "m_DAT.LOG"},
                    {dir.Path().string()});
  EXPECT_EQ(result.ExitStatus, 2);
  EXPECT_TRUE(
      result.Err.starts_with("velunor-convert: Die Datei für --rejected ist zugleich "
                             "Log-Datei oder Ausgabe von m_DAT.LOG: m.CSV.\n"))
      << result.Err;
  EXPECT_EQ(ReadFile(dir / "m_DAT.LOG"), kTick);
}

}  // namespace
}  // namespace velunor::testing
