// Every failure of a conversion, through the command-line converter: the user reads the error
// number and its German description, the log keeps every byte, and what was written before the
// failure stays on disk.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "file_snapshot.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

std::string Record(char channel, std::size_t length, char lead = '$') {
  std::string line{lead, channel};
  line += ";1;;";
  line.resize(length, '0');
  return line;
}

const std::string kTick = Record('1', 55) + "\r\n";
const std::string kLog = "Quorix\r\n" + kTick + Record('7', 31, '\xA7') + "\r\n";
const std::string kOld = "$6;1;;aus einem frueheren Lauf.\r\n";

std::string TickLog() {  // 150 time ticks, each followed by a channel-2 record
  std::string log;
  for (int tick = 0; tick < 150; ++tick) log += kTick + Record('2', 55) + "\r\n";
  return log;
}

// A log of `size` bytes, holes except for `head` at its start: 2 GiB cost no disk and read fast.
void WriteSparse(const std::string& path, std::int64_t size, const std::string& head) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_TRUE(fd >= 0 && ::ftruncate(fd, size) == 0);
  ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
  ::close(fd);
}

struct Row {
  const char* Name;
  std::function<Args(TempDir&, std::string& log)> Prepare;  // lays out files, gives arguments
  const char* Error;
  std::vector<std::string> Unchanged{};          // besides the log
  std::map<std::string, std::string> Written{};  // what earlier output must hold
  ChildSetup Setup{};
};

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.Name;
}

Args To(const std::string& output, const std::string& log) {
  WriteFile(log, kLog);
  return {"-o", output, log};
}

constexpr uid_t kNobody = 65534;  // root ignores permission bits; an ordinary user does not

const Row kRows[] = {
    {"LogMissing",
     [](TempDir& d, std::string& log) {
       WriteFile(d / "m.CSV", kOld);
       return Args{log};
     },
     " 53 - Datei nicht gefunden\n",
     {"m.CSV"}},
    {"LogIsAFolder",
     [](TempDir&, std::string& log) {
       fs::create_directory(log);
       return Args{log};
     },
     " 75 - Fehler beim Zugriff auf Pfad/Datei\n"},
    {"OutputFolderMissing", [](TempDir& d, std::string& log) { return To(d / "x/o.CSV", log); },
     " 76 - Pfad nicht gefunden\n"},
    {"OutputIsAFolder",
     [](TempDir& d, std::string& log) {
       fs::create_directory(d / "o.CSV");
       return To(d / "o.CSV", log);
     },
     " 75 - Fehler beim Zugriff auf Pfad/Datei\n",
     {"o.CSV"}},
    {"OutputOnAFullDisk", [](TempDir&, std::string& log) { return To("/dev/full", log); },
     " 61 - Datenträger voll\n"},
    {"DiskFillsUpDuringTheRun",  // a file-size limit of 4096 bytes: the whole records in it stay
     [](TempDir&, std::string& log) {
       WriteFile(log, TickLog());
       return Args{log};
     },
     " 61 - Datenträger voll\n",
     {},
     {{"m.CSV", TickLog().substr(0, 4096 / 57 * 57)}},
     {.FileSizeLimit = 4096}},
    {"OutputIsTheLog", [](TempDir&, std::string& log) { return To(log, log); },
     " 55 - Datei bereits geöffnet\n"},
    {"OutputIsAHardLinkToTheLog",
     [](TempDir& d, std::string& log) {
       Args args = To(d / "o.CSV", log);
       fs::create_hard_link(log, d / "o.CSV");
       return args;
     },
     " 55 - Datei bereits geöffnet\n"},
    {"OutputIsASymlinkToTheReadOnlyLog",  // 70 would show the log was opened for writing first
     [](TempDir& d, std::string& log) {
       fs::create_symlink("m_DAT.LOG", d / "m.CSV");
       WriteFile(log, kLog);
       fs::permissions(log, fs::perms::owner_read | fs::perms::others_read);
       return Args{log};
     },
     " 55 - Datei bereits geöffnet\n",
     {},
     {},
     {.User = kNobody}},
    {"OutputIsReadOnly",
     [](TempDir& d, std::string& log) {
       WriteFile(d / "o.CSV", kOld);
       fs::permissions(d / "o.CSV", fs::perms::owner_read | fs::perms::others_read);
       return Args{"--append", "-o", d / "o.CSV", (WriteFile(log, kLog), log)};
     },
     " 70 - Zugriff verweigert\n",
     {"o.CSV"},
     {},
     {.User = kNobody}},
    {"SliceFileBlockedByAFolder",  // the first slice is complete: 60 ticks
     [](TempDir& d, std::string& log) {
       WriteFile(log, TickLog());
       fs::create_directory(d / "m_00d00h01m.CSV");
       return Args{"--split=1", log};
     },
     " 75 - Fehler beim Zugriff auf Pfad/Datei\n",
     {"m_00d00h01m.CSV"},
     {{"m_00d00h00m.CSV", TickLog().substr(0, 119 * 57)}}},
    {"LogOver2GiB",  // refused by its length before its first records are read
     [](TempDir&, std::string& log) {
       WriteSparse(log, 2'147'483'648LL + 2 * 57, kTick + kTick);
       return Args{log};
     },
     " 6 - Überlauf\n",
     {},
     {{"m.CSV", ""}}},
};

class FaultMatrix : public ::testing::TestWithParam<Row> {};

TEST_P(FaultMatrix, ReportsTheErrorAndHarmsNothing) {
  const Row& row = GetParam();
  TempDir dir;
  std::string log = dir / "m_DAT.LOG";
  const Args args = row.Prepare(dir, log);
  ChildSetup setup = row.Setup;
  setup.WorkingDirectory = dir.Path().string();
  if (setup.User) fs::permissions(dir.Path(), fs::perms::all);  // let the user in
  std::map<std::string, FileSnapshot> before{{log, SnapshotOf(log)}};
  for (const std::string& name : row.Unchanged) before[dir / name] = SnapshotOf(dir / name);

  const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, args, setup);

  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, row.Error);
  EXPECT_EQ(result.Out, "");
  for (const auto& [path, snapshot] : before) EXPECT_EQ(SnapshotOf(path), snapshot) << path;
  for (const auto& [name, content] : row.Written) EXPECT_EQ(ReadFile(dir / name), content) << name;
}

INSTANTIATE_TEST_SUITE_P(Cli, FaultMatrix, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace velunor::testing
