// What only Windows has: files held open by other programs with their own sharing modes, and
// hard links.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "child_process.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

const std::string kTick = "$1;1;;" + std::string(49, '0') + "\r\n";
const std::string kSummary = " 0 KB von 0 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.\n";

// A spreadsheet keeps the CSV open and lets nobody write it: the run is refused, the file stays.
// The device's software still has the log open for writing, letting others read it: it converts.
TEST(Sharing, FilesHeldByOtherPrograms) {
  const std::tuple<const char*, DWORD, int, const char*, const char*> rows[] = {
      {"m.CSV", GENERIC_READ, 1, "velunor-convert: m.CSV: 70 - Zugriff verweigert\n", "alt\r\n"},
      {"m_DAT.LOG", GENERIC_WRITE, 0, "", nullptr}};
  for (const auto& [held, access, status, err, csv] : rows) {
    TempDir dir;
    WriteFile(dir / "m_DAT.LOG", kTick);
    WriteFile(dir / "m.CSV", "alt\r\n");
    // Another program's hold on the file, until the row ends.
    const std::unique_ptr<void, decltype(&::CloseHandle)> other(
        ::CreateFileW(WideText(dir / held).c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      0, nullptr),
        ::CloseHandle);
    ASSERT_NE(other.get(), INVALID_HANDLE_VALUE);
    const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, {"m_DAT.LOG"}, {dir.Path().string()});
    EXPECT_EQ(result.ExitStatus, status) << held;
    EXPECT_EQ(result.Err, err);
    EXPECT_EQ(result.Out, status == 0 ? kSummary : "");
    EXPECT_EQ(ReadFile(dir / "m.CSV"), csv ? csv : kTick);
  }
}

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
