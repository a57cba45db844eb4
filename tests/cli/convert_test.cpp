#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

std::string Record(const std::string& prefix, std::size_t length, char fill = '1') {
  std::string line = prefix;
  line.resize(length, fill);
  return line;
}

const std::string kCh1 = Record("$1;1;;", 55);
const std::string kCh4 = Record("$4;1;;", 63);
const std::string kCh7 = Record(
    "\xA7"
    "7;1;;",
    31);
const std::string kCh8 = Record("$8;1;;", 31);
const std::string kBad = Record("$2;1;;", 56);
// A header, every terminator the device writes, a faulty record and no final terminator.
const std::string kLog = "Kopf;Zeile\r\n" + kCh1 + "\r\n" + kCh7 + "\r" + kBad + "\r\n" + kCh4 +
                         "\r\n" + kCh8 + "\r\n" + Record("$8;1;;", 40) + "\r\n" + kCh1;

class Convert : public ::testing::Test {
 protected:
  ChildResult Run(std::vector<std::string> arguments) {
    return RunChild(VELUNOR_CONVERT_PATH, arguments, {dir.Path().string()});
  }

  TempDir dir;
};

TEST_F(Convert, EachStatusModeGivesItsBytesAndSummary) {
  WriteFile(dir / "m_DAT.LOG", kLog);
  const std::string ch7AsDollar = "$" + kCh7.substr(1);
  const struct {
    const char* Status;
    std::string Csv;
    const char* Rejected;
  } cases[] = {
      {"--status=copy",
       kCh1 + "\r\n" + kCh7 + "\r\n" + kCh4 + "\r\n" + kCh8 + "\r\n" + kCh1 + "\r\n", " 2"},
      {"--status=transform",
       kCh1 + "\r\n" + ch7AsDollar + "\r\n" + kCh4 + "\r\n" + kCh8 + "\r\n" + kCh1 + "\r\n", " 2"},
      {"--status=discard", kCh1 + "\r\n" + kCh4 + "\r\n" + kCh1 + "\r\n", " 1"},
  };
  for (const auto& c : cases) {
    const ChildResult result = Run({c.Status, "m_DAT.LOG"});
    EXPECT_EQ(result.ExitStatus, 0) << c.Status << result.Err;
    EXPECT_EQ(ReadFile(dir / "m.CSV"), c.Csv) << c.Status;
    EXPECT_EQ(result.Out, std::string(" 0 KB von 0 KB geschrieben,") + c.Rejected +
                              " Zeile(n) mit Fehler ausgelassen.\n");
  }
  EXPECT_EQ(ReadFile(dir / "m_DAT.LOG"), kLog);
}

TEST_F(Convert, OutputNames) {
  WriteFile(dir / "xyzDAT.LOG", kCh1 + "\r\n");
  ASSERT_EQ(Run({"xyzDAT.LOG"}).ExitStatus, 0);
  EXPECT_EQ(ReadFile(dir / "xy.CSV"), kCh1 + "\r\n");  // eight characters always go

  std::filesystem::create_directory(dir / "sub");
  WriteFile(dir / "sub/s_DAT.LOG", kCh1 + "\r\n");
  WriteFile(dir / "sub/s_00d00h00m.CSV", "wird ersetzt");
  ASSERT_EQ(Run({"--split=1", "sub/s_DAT.LOG"}).ExitStatus, 0);
  EXPECT_EQ(ReadFile(dir / "sub/s_00d00h00m.CSV"), kCh1 + "\r\n");
  ASSERT_EQ(Run({"-o", "chosen.csv", "sub/s_DAT.LOG"}).ExitStatus, 0);
  EXPECT_EQ(ReadFile(dir / "chosen.csv"), kCh1 + "\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "sub/s.CSV"));
}

TEST_F(Convert, RefusesWrongCallsWithStatusTwo) {
  WriteFile(dir / "x_dat.log", kLog);
  std::filesystem::create_directory(dir / "DAT.LOG");
  const struct {
    std::vector<std::string> Arguments;
    const char* Message;
  } cases[] = {
      {{"x_dat.log"}, "Dateiname ungültig...\n"},
      {{"*_DAT.LOG"}, "Dateiname ungültig...\n"},
      {{"DAT.LOG"}, "Dateiname ungültig...\n"},
      {{"./DAT.LOG"}, "Dateiname ungültig...\n"},
      {{"--split=5", "-o", "a.csv", "a_DAT.LOG"}, "--split kann nicht"},
      {{"--split=5", "--append", "a_DAT.LOG"}, "--split kann nicht"},
      {{"--split=2881", "a_DAT.LOG"}, "--split"},
      {{"--split=-1", "a_DAT.LOG"}, "--split"},
      {{"--status=umformen", "a_DAT.LOG"}, "--status"},
      {{"--gibtsnicht", "a_DAT.LOG"}, "Unbekannte Option"},
      {{}, "Keine Log-Datei"},
  };
  for (const auto& c : cases) {
    const ChildResult result = Run(c.Arguments);
    EXPECT_EQ(result.ExitStatus, 2) << c.Message;
    EXPECT_NE(result.Err.find(c.Message), std::string::npos) << result.Err;
    EXPECT_EQ(result.Out, "");
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST_F(Convert, HelpAndVersion) {
  EXPECT_EQ(Run({"--version"}).Out, "velunor-convert 2.0.2\n");
  const ChildResult help = Run({"--help"});
  EXPECT_EQ(help.ExitStatus, 0);
  EXPECT_NE(help.Out.find("Aufruf: velunor-convert"), std::string::npos);
}

}  // namespace
}  // namespace velunor::testing
