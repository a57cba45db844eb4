// Every failure of a conversion, through the command-line converter: the user reads the error
// number and its German description, the log keeps every byte, and what was written before the
// failure stays on disk.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "file_snapshot.h"
#include "temp_dir.h"

namespace velunor {
namespace {

namespace fs = std::filesystem;
using testing::ChildResult;
using testing::ChildSetup;
using testing::FileSnapshot;
using testing::ReadFile;
using testing::SnapshotOf;
using testing::TempDir;
using testing::WriteFile;

constexpr uid_t kNobody = 65534;
constexpr std::int64_t kCounterLimit = 2'147'483'647;
constexpr fs::perms kReadOnly =
    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

std::string Record(char channel, std::size_t length, char lead = '$', char fill = '0') {
  std::string line{lead, channel};
  line += ";1;;";
  line.resize(length, fill);
  return line;
}

const std::string kTick = Record('1', 55);
const std::string kChannel2 = Record('2', 55);
const std::string kStatus = Record('7', 31, '\xA7');
const std::string kLog = "Quorix\r\n" + kTick + "\r\n" + kChannel2 + "\r\n" + kStatus + "\r\n" +
                         Record('3', 20) + "\r\n";
const std::string kOldOutput = "$6;1;;from an earlier run......\r\n";

// 150 numbered time ticks, each followed by a channel-2 record.
std::string TickLog() {
  std::string log;
  for (int tick = 1; tick <= 150; ++tick) {
    log += Record('1', 55, '$', static_cast<char>('0' + tick % 10)) + "\r\n" + kChannel2 + "\r\n";
  }
  return log;
}

// The first minute of TickLog: up to and including the 60th tick.
std::string FirstMinuteOfTickLog() {
  const std::string log = TickLog();
  return log.substr(0, 60 * 2 * 57 - 57);
}

// A log of `size` bytes that are zeros (holes on disk) except for `pieces` at their offsets.
void WriteSparseLog(const std::string& path, std::int64_t size,
                    const std::vector<std::pair<std::int64_t, std::string>>& pieces) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(::ftruncate(fd, size), 0);
  for (const auto& [offset, bytes] : pieces) {
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), static_cast<ssize_t>(bytes.size()));
  }
  ASSERT_EQ(::close(fd), 0);
}

// Sets or clears the immutable attribute, which stops writes even by root. False where the file
// system or the missing capability does not allow it.
bool SetImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}

// The folder a row lays out its files in.
struct Scene {
  ~Scene() {
    for (const std::string& path : Immutable) SetImmutable(path, false);
  }

  TempDir Dir;
  std::string Log = Dir / "m_DAT.LOG";
  std::string SkipReason;              // set by a row that cannot be laid out here
  std::vector<std::string> Immutable;  // cleared again before the folder is removed
};

struct FaultRow {
  const char* Name;
  // Lays out the files and returns the converter's arguments.
  std::function<std::vector<std::string>(Scene&)> Prepare;
  std::string Error{};  // the whole standard error
  // Names in the folder that must stay exactly as they were; the log always must.
  std::vector<std::string> Unchanged{};
  // Names in the folder and what they must hold after the failure.
  std::vector<std::pair<std::string, std::string>> Written{};
  bool Unprivileged = false;  // run as an ordinary user, so that permission bits count
  ChildSetup Setup{};
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const FaultRow& row, std::ostream* out) {
  *out << row.Name;
}

std::vector<std::string> OutputTo(Scene& scene, const std::string& output) {
  WriteFile(scene.Log, kLog);
  return {"-o", output, scene.Log};
}

const FaultRow kRows[] = {
    {.Name = "LogMissing",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Dir / "m.CSV", kOldOutput);
           return std::vector<std::string>{s.Log};
         },
     .Error = " 53 - Datei nicht gefunden\n",
     .Unchanged = {"m.CSV"}},
    {.Name = "LogFolderMissing",
     .Prepare =
         [](Scene& s) {
           s.Log = s.Dir / "none/m_DAT.LOG";
           return std::vector<std::string>{s.Log};
         },
     .Error = " 76 - Pfad nicht gefunden\n"},
    {.Name = "LogIsAFolder",
     .Prepare =
         [](Scene& s) {
           fs::create_directory(s.Log);
           WriteFile(s.Dir / "m.CSV", kOldOutput);
           return std::vector<std::string>{s.Log};
         },
     .Error = " 75 - Fehler beim Zugriff auf Pfad/Datei\n",
     .Unchanged = {"m.CSV"}},
    {.Name = "OutputFolderMissing",
     .Prepare = [](Scene& s) { return OutputTo(s, s.Dir / "none/out.CSV"); },
     .Error = " 76 - Pfad nicht gefunden\n"},
    {.Name = "OutputIsAFolder",
     .Prepare =
         [](Scene& s) {
           fs::create_directory(s.Dir / "out.CSV");
           return OutputTo(s, s.Dir / "out.CSV");
         },
     .Error = " 75 - Fehler beim Zugriff auf Pfad/Datei\n",
     .Unchanged = {"out.CSV"}},
    {.Name = "OutputOnAFullDisk",
     .Prepare = [](Scene& s) { return OutputTo(s, "/dev/full"); },
     .Error = " 61 - Datenträger voll\n"},
    // The file-size limit makes the disk fill up after 4096 bytes: those stay.
    {.Name = "DiskFillsUpDuringTheRun",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Log, TickLog());
           return std::vector<std::string>{s.Log};
         },
     .Error = " 61 - Datenträger voll\n",
     .Written = {{"m.CSV", TickLog().substr(0, 4096)}},
     .Setup = {.FileSizeLimit = 4096}},
    {.Name = "OutputIsTheLog",
     .Prepare = [](Scene& s) { return OutputTo(s, s.Log); },
     .Error = " 55 - Datei bereits geöffnet\n"},
    {.Name = "OutputIsTheLogSpelledRelative",
     .Prepare =
         [](Scene& s) {
           // Relative to the working directory, which is the scene's folder.
           WriteFile(s.Log, kLog);
           return std::vector<std::string>{"-o", "./m_DAT.LOG", "m_DAT.LOG"};
         },
     .Error = " 55 - Datei bereits geöffnet\n"},
    {.Name = "OutputIsTheLogThroughDotAndDotDot",
     .Prepare =
         [](Scene& s) {
           fs::create_directory(s.Dir / "sub");
           return OutputTo(s, s.Dir / "sub/.././m_DAT.LOG");
         },
     .Error = " 55 - Datei bereits geöffnet\n"},
    {.Name = "OutputIsASymlinkToTheLog",
     .Prepare =
         [](Scene& s) {
           fs::create_symlink("m_DAT.LOG", s.Dir / "m.CSV");
           WriteFile(s.Log, kLog);
           return std::vector<std::string>{s.Log};
         },
     .Error = " 55 - Datei bereits geöffnet\n"},
    {.Name = "OutputIsAHardLinkToTheLog",
     .Prepare =
         [](Scene& s) {
           std::vector<std::string> arguments = OutputTo(s, s.Dir / "alias.CSV");
           fs::create_hard_link(s.Log, s.Dir / "alias.CSV");
           return arguments;
         },
     .Error = " 55 - Datei bereits geöffnet\n"},
    // Were the log opened for writing before the check, a read-only log would give 70 instead.
    {.Name = "OutputIsTheReadOnlyLog",
     .Prepare =
         [](Scene& s) {
           std::vector<std::string> arguments = OutputTo(s, s.Log);
           fs::permissions(s.Log, kReadOnly);
           return arguments;
         },
     .Error = " 55 - Datei bereits geöffnet\n",
     .Unprivileged = true},
    {.Name = "OutputIsReadOnly",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Dir / "out.CSV", kOldOutput);
           fs::permissions(s.Dir / "out.CSV", kReadOnly);
           return OutputTo(s, s.Dir / "out.CSV");
         },
     .Error = " 70 - Zugriff verweigert\n",
     .Unchanged = {"out.CSV"},
     .Unprivileged = true},
    {.Name = "AppendToReadOnlyOutput",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Dir / "out.CSV", kOldOutput);
           fs::permissions(s.Dir / "out.CSV", kReadOnly);
           WriteFile(s.Log, kLog);
           return std::vector<std::string>{"--append", "-o", s.Dir / "out.CSV", s.Log};
         },
     .Error = " 70 - Zugriff verweigert\n",
     .Unchanged = {"out.CSV"},
     .Unprivileged = true},
    // Root ignores permission bits; the immutable attribute stops even root.
    {.Name = "OutputIsImmutable",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Dir / "out.CSV", kOldOutput);
           if (SetImmutable(s.Dir / "out.CSV", true)) {
             s.Immutable.push_back(s.Dir / "out.CSV");
           } else {
             s.SkipReason = "the file system or the user here cannot mark a file immutable";
           }
           return OutputTo(s, s.Dir / "out.CSV");
         },
     .Error = " 70 - Zugriff verweigert\n",
     .Unchanged = {"out.CSV"}},
    {.Name = "SliceFileBlockedByAFolder",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Log, TickLog());
           fs::create_directory(s.Dir / "m_00d00h01m.CSV");
           return std::vector<std::string>{"--split=1", s.Log};
         },
     .Error = " 75 - Fehler beim Zugriff auf Pfad/Datei\n",
     .Unchanged = {"m_00d00h01m.CSV"},
     .Written = {{"m_00d00h00m.CSV", FirstMinuteOfTickLog()}}},
    {.Name = "SliceFileIsASymlinkToTheLog",
     .Prepare =
         [](Scene& s) {
           WriteFile(s.Log, TickLog());
           fs::create_symlink("m_DAT.LOG", s.Dir / "m_00d00h01m.CSV");
           return std::vector<std::string>{"--split=1", s.Log};
         },
     .Error = " 55 - Datei bereits geöffnet\n",
     .Written = {{"m_00d00h00m.CSV", FirstMinuteOfTickLog()}}},
    // Just over 2 GiB in one line without a carriage return, after three written records.
    {.Name = "ByteCountOverflowsInOneLongLine",
     .Prepare =
         [](Scene& s) {
           const std::string head = kTick + "\r\n" + kChannel2 + "\r\n" + kTick + "\r\n";
           WriteSparseLog(s.Log, kCounterLimit + 1 + 3 * 2, {{0, head}});
           return std::vector<std::string>{s.Log};
         },
     .Error = " 6 - Überlauf\n",
     .Written = {{"m.CSV", kTick + "\r\n" + kChannel2 + "\r\n" + kTick + "\r\n"}}},
    // The same count reached by 33 lines, most of them 64 MiB, with a record deep inside the log.
    {.Name = "ByteCountOverflowsOverManyLines",
     .Prepare =
         [](Scene& s) {
           constexpr std::int64_t kStride = std::int64_t{64} << 20;
           std::vector<std::pair<std::int64_t, std::string>> pieces{{0, kTick + "\r\n"}};
           for (std::int64_t at = kStride; at <= 32 * kStride; at += kStride) {
             pieces.emplace_back(at, "\r");
           }
           pieces.emplace_back(16 * kStride, "\r\n" + kStatus + "\r\n");
           WriteSparseLog(s.Log, 32 * kStride + 4096, pieces);
           return std::vector<std::string>{s.Log};
         },
     .Error = " 6 - Überlauf\n",
     .Written = {{"m.CSV", kTick + "\r\n$" + kStatus.substr(1) + "\r\n"}}},
};

// Runs the converter on a scene; skips when the row cannot be laid out or run here.
class FaultMatrix : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultMatrix, ReportsTheErrorAndHarmsNothing) {
  const FaultRow& row = GetParam();
  Scene scene;
  const std::vector<std::string> arguments = row.Prepare(scene);
  if (!scene.SkipReason.empty()) GTEST_SKIP() << scene.SkipReason;

  ChildSetup setup = row.Setup;
  setup.WorkingDirectory = scene.Dir.Path().string();
  if (row.Unprivileged && ::geteuid() == 0) {
    setup.User = kNobody;
    const auto readable = fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(scene.Dir.Path(), readable, fs::perm_options::add);
    if (fs::is_regular_file(scene.Log)) {
      fs::permissions(scene.Log, fs::perms::others_read, fs::perm_options::add);
    }
  }
  std::vector<std::pair<std::string, FileSnapshot>> before{{scene.Log, SnapshotOf(scene.Log)}};
  for (const std::string& name : row.Unchanged) {
    before.emplace_back(scene.Dir / name, SnapshotOf(scene.Dir / name));
  }

  const ChildResult result = testing::RunChild(VELUNOR_CONVERT_PATH, arguments, setup);
  if (row.Unprivileged && result.ExitStatus == testing::kChildSetupFailed) {
    GTEST_SKIP() << "cannot run the converter as user " << kNobody
                 << " here, and root ignores permission bits";
  }

  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_EQ(result.Err, row.Error);
  EXPECT_EQ(result.Out, "");
  for (const auto& [path, snapshot] : before) {
    EXPECT_EQ(SnapshotOf(path), snapshot) << path << " was changed";
  }
  for (const auto& [name, content] : row.Written) {
    EXPECT_EQ(ReadFile(scene.Dir / name), content) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Cli, FaultMatrix, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<FaultRow>& info) {
                           return std::string(info.param.Name);
                         });

// The counter's last value still converts: only the byte after it overflows.
TEST(ByteCount, ReachesItsLimitWithoutOverflow) {
  TempDir dir;
  const std::string log = dir / "m_DAT.LOG";
  const std::string records = kTick + "\r\n" + kTick + "\r\n" + kTick + "\r\n";
  const std::int64_t zeros = kCounterLimit - 3 * 55;
  WriteSparseLog(log, static_cast<std::int64_t>(records.size()) + zeros + 2,
                 {{0, records}, {static_cast<std::int64_t>(records.size()) + zeros, "\r\n"}});

  const ChildResult result = testing::RunChild(VELUNOR_CONVERT_PATH, {log});
  EXPECT_EQ(result.ExitStatus, 0) << result.Err;
  EXPECT_EQ(result.Out, " 0 KB von 2097152 KB geschrieben, 0 Zeile(n) mit Fehler ausgelassen.\n");
  EXPECT_EQ(ReadFile(dir / "m.CSV"), records);
}

}  // namespace
}  // namespace velunor
