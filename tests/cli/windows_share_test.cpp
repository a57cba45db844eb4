// What only Windows has: files held open by other programs with their own sharing modes, and
// names that reach the file system as UTF-16.
#include <windows.h>

#include <gtest/gtest.h>

#include <tuple>

#include "child_process.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

const std::string kTick = "$1;1;;" + std::string(49, '0') + "\r\n";
const std::string kSummary = " 0 KB von 0 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.\n";

// Another program's hold on a file, as long as the object lives.
class Held {
 public:
  Held(const std::string& path, DWORD access, DWORD sharing)
      : file_(::CreateFileW(WideText(path).c_str(), access, sharing, nullptr, OPEN_EXISTING, 0,
                            nullptr)) {}
  ~Held() { ::CloseHandle(file_); }
  bool Holds() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_;
};

ChildResult Convert(const TempDir& dir, const std::vector<std::string>& args) {
  return RunChild(VELUNOR_CONVERT_PATH, args, {dir.Path().string()});
}

// A spreadsheet keeps the CSV open and lets nobody write it: the run is refused, the file stays.
// The device's software still has the log open for writing, letting others read it: it converts.
TEST(Sharing, FilesHeldByOtherPrograms) {
  const std::tuple<const char*, DWORD, int, const char*, const char*> rows[] = {
      {"m.CSV", GENERIC_READ, 1, " 70 - Zugriff verweigert\n", "alt\r\n"},
      {"m_DAT.LOG", GENERIC_WRITE, 0, "", nullptr}};
  for (const auto& [held, access, status, err, csv] : rows) {
    TempDir dir;
    WriteFile(dir / "m_DAT.LOG", kTick);
    WriteFile(dir / "m.CSV", "alt\r\n");
    const Held other(dir / held, access, FILE_SHARE_READ);
    ASSERT_TRUE(other.Holds());
    const ChildResult result = Convert(dir, {"m_DAT.LOG"});
    EXPECT_EQ(result.ExitStatus, status) << held;
    EXPECT_EQ(result.Err, err);
    EXPECT_EQ(result.Out, status == 0 ? kSummary : "");
    EXPECT_EQ(ReadFile(dir / "m.CSV"), csv ? csv : kTick);
  }
}

// A second name of the log (a hard link) is still the log.
TEST(Sharing, HardLinkToTheLogIsTheLog) {
  TempDir dir;
  WriteFile(dir / "m_DAT.LOG", kTick);
  ASSERT_TRUE(::CreateHardLinkW(WideText(dir / "m.CSV").c_str(),
                                WideText(dir / "m_DAT.LOG").c_str(), nullptr));
  const ChildResult result = Convert(dir, {"m_DAT.LOG"});
  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, " 55 - Datei bereits geöffnet\n");
  EXPECT_EQ(ReadFile(dir / "m_DAT.LOG"), kTick);
}

// Umlauts in folder and file names, given as UTF-8 on the command line.
TEST(Names, UmlautsInFolderAndFile) {
  TempDir dir;
  // Built wide: a narrow path would pass through the C runtime's code page.
  const std::filesystem::path folder = dir.Path() / L"Messungen Käfer";
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  WriteFile(folder / L"Grüße_DAT.LOG", kTick);
  const ChildResult result = Convert(dir, {"Messungen Käfer\\Grüße_DAT.LOG"});
  EXPECT_EQ(result.ExitStatus, 0) << result.Err;
  EXPECT_EQ(result.Out, kSummary);
  EXPECT_EQ(ReadFile(folder / L"Grüße.CSV"), kTick);
}

}  // namespace
}  // namespace velunor::testing
