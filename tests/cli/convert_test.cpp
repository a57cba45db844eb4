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
const std::string kCh7 = Record("\2477;1;;", 31);  // "§" is the byte 0xA7 (octal 247)

class Convert : public ::testing::Test {
 protected:
  ChildResult Run(std::vector<std::string> arguments) {
    return RunChild(VELUNOR_CONVERT_PATH, arguments, {dir.Path().string()});
  }

  TempDir dir;
};

TEST_F(Convert, EachStatusModeGivesItsBytesAndSummary) {
  // A status record, a faulty one, and no final terminator.
  const std::string log = kCh7 + "\r" + Record("$2;1;;", 56) + "\r\n" + kCh1;
  WriteFile(dir / "m_DAT.LOG", log);
  const std::pair<const char*, std::string> cases[] = {
      {"--status=copy", kCh7 + "\r\n"},
      {"--status=transform", "$" + kCh7.substr(1) + "\r\n"},
      {"--status=discard", ""}};
  for (const auto& [status, csv] : cases) {
    const ChildResult result = Run({status, "m_DAT.LOG"});
    EXPECT_EQ(result.ExitStatus, 0) << status << result.Err;
    EXPECT_EQ(ReadFile(dir / "m.CSV"), csv + kCh1 + "\r\n") << status;
    EXPECT_EQ(result.Out, " 0 KB von 0 KB geschrieben, 1 Zeile(n) mit Fehler ausgelassen.\n");
  }
  EXPECT_EQ(ReadFile(dir / "m_DAT.LOG"), log);
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
  WriteFile(dir / "x_dat.log", kCh1);
  std::filesystem::create_directory(dir / "DAT.LOG");
  // Arguments and a piece of the message on standard error.
  const std::pair<std::vector<std::string>, const char*> cases[] = {
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
      {{}, "Keine Log-Datei"}};
  for (const auto& [arguments, message] : cases) {
    const ChildResult result = Run(arguments);
    EXPECT_EQ(result.ExitStatus, 2) << message;
    EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
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
