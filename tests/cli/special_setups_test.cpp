// The converter where a case folder cannot put it: signals mid-run, a FIFO without a writer, logs
// waiting behind a slow one; and the console's progress line.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "batch_run.h"
#include "child_process.h"
#include "command_line.h"
#include "open_files.h"
#include "progress_line.h"
#include "standard_output.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

namespace fs = std::filesystem;

std::string Ticks(int count) {
  std::string log;
  while (count-- > 0) log += "$1;1;;" + std::string(49, '0') + "\r\n";
  return log;
}

// The progress line, row by row: a call of Show at a time after the start (or of Clear, without
// one), and what a terminal gets of it at once, not held in the stream's buffer.
TEST(Console, ProgressLineOnATerminal) {
  const ProgressLine::Clock::time_point start{};
  char* bytes = nullptr;
  std::size_t size = 0;
  std::FILE* terminal = ::open_memstream(&bytes, &size);
  ProgressLine line(terminal, true, start);
  const std::string unknown = " 5120 KB gelesen, 2 KB Out...";
  const std::tuple<int, std::optional<Progress>, std::string> rows[] = {
      {99, Progress{0, 1, 5, 0, 3 * 1024}, ""},  // too soon after the start
      {100, Progress{0, 1, 6, 0, 3 * 1024}, "\r  6 %  3 KB Out..."},
      {199, Progress{0, 1, 7, 0, 3 * 1024}, ""},  // too soon after the last
      {1000, Progress{0, 1, std::nullopt, 5 << 20, 1536}, "\r" + unknown},
      {2000, Progress{0, 1, 100, 0, 2560}, "\r100 %  2 KB Out..." + std::string(11, ' ')},
      {0, std::nullopt, "\r" + std::string(unknown.size(), ' ') + "\r"},
      {0, std::nullopt, ""},
      {2100, Progress{3, 8, 45, 0, 1234 * 1024},
       "\r3 von 8 Log-Dateien fertig,  45 %, 1234 KB Out..."}};
  std::string shown;
  for (const auto& [ms, progress, added] : rows) {
    progress ? line.Show(*progress, start + std::chrono::milliseconds(ms)) : line.Clear();
    EXPECT_EQ(std::string(bytes, size), shown += added) << ms;
  }
  std::fclose(terminal);
  std::free(bytes);
}

// 'S' while every thread of a started process sleeps (waits), 'R' while one does anything else, 0
// before it starts and once it has ended. Plain system calls: a process that ends meanwhile fails
// the read, which a stream would raise as an exception.
char State(const std::atomic<pid_t>& pid) {
  char state = 0;
  std::error_code none;
  const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
  for (fs::directory_iterator task(tasks, none), end; task != end; task.increment(none)) {
    char stat[256] = {};
    const int fd = ::open((task->path() / "stat").c_str(), O_RDONLY);
    const char* nameEnd =
        fd >= 0 && ::read(fd, stat, sizeof stat - 1) > 0 ? std::strrchr(stat, ')') : nullptr;
    ::close(fd);
    if (nameEnd && nameEnd[2] != 'Z') state = state == 'R' || nameEnd[2] != 'S' ? 'R' : 'S';
  }
  return state;
}

// Waits up to ten seconds for `ready`, which a sound converter reaches at once; gives up once the
// converter `pid`, when given, has ended.
bool Eventually(const std::function<bool()>& ready, const std::atomic<pid_t>* pid = nullptr) {
  for (int i = 0; i < 10000; ++i, ::usleep(1000)) {
    if (ready()) return true;
    if (pid && *pid > 0 && State(*pid) == 0) return ready();
  }
  return false;
}

// Opens the FIFO once the converter has it open for reading, and sends `sent` into it.
int Send(const std::string& fifo, const std::string& sent,
         const std::atomic<pid_t>* pid = nullptr) {
  int writer = -1;
  EXPECT_TRUE(
      Eventually([&] { return (writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }, pid));
  EXPECT_EQ(::write(writer, sent.data(), sent.size()), std::ssize(sent));
  return writer;
}

// Whether the converter waits, having read all that was sent into its FIFOs (-1: none was).
bool WaitsHavingReadAll(const std::atomic<pid_t>& pid, const std::vector<int>& writers) {
  for (int unread = -1; const int writer : writers)
    if (writer >= 0 && (::ioctl(writer, FIONREAD, &unread) != 0 || unread != 0)) return false;
  return State(pid) == 'S';  // asked last: it may read on until it waits
}

// Stops a converter that reads FIFOs after `sent` has been written into each and read; without
// anything sent, the FIFO never has a writer. A signal ignored at the start (nohup) stays so.
// Several logs run at once, by default one per processor: one signal stops every conversion at a
// line boundary, and a log not yet begun (c) is not started.
TEST(Stop, AtALineBoundaryKeepingWhatWasRead) {
  const std::tuple<int, bool, std::string, std::string, std::vector<std::string>> rows[] = {
      {SIGINT, false, Ticks(150), Ticks(150), {"m"}},
      {SIGTERM, false, Ticks(3) + "$1;1;;000", Ticks(3), {"m"}},
      {SIGHUP, false, Ticks(3), Ticks(3), {"m"}},
      {SIGINT, false, "", "", {"m"}},
      {SIGHUP, true, Ticks(3), Ticks(3), {"m"}},
      {SIGTERM, false, Ticks(3) + "$1;1;;000", Ticks(3), {"a", "b"}}};
  for (const auto& [signal, ignored, sent, csv, fifos] : rows) {
    if (fifos.size() > 1 && std::thread::hardware_concurrency() < 2) continue;
    TempDir dir;
    std::vector<std::string> args{
        "-c", ignored ? "trap '' HUP; exec \"$0\" \"$@\"" : "exec \"$0\" \"$@\"",
        VELUNOR_CONVERT_PATH};
    for (const std::string& name : fifos) {
      args.push_back(name + "_DAT.LOG");
      ASSERT_EQ(::mkfifo((dir / args.back()).c_str(), 0600), 0);
    }
    if (fifos.size() > 1) args.push_back("c_DAT.LOG"), WriteFile(dir / "c_DAT.LOG", Ticks(1));
    std::atomic<pid_t> pid = 0;
    ChildResult result;
    std::thread run([&] { result = RunChild("/bin/sh", args, dir.Path().string(), &pid); });
    std::vector<int> writers;
    for (const std::string& name : fifos)
      writers.push_back(sent.empty() ? -1 : Send(dir / (name + "_DAT.LOG"), sent, &pid));
    const std::string begun = dir / (fifos.back() + ".CSV");
    EXPECT_TRUE(
        Eventually([&] { return fs::exists(begun) && WaitsHavingReadAll(pid, writers); }, &pid));
    if (pid > 0) ::kill(pid, signal);
    if (!ignored) Eventually([&] { return State(pid) == 0; });
    // The end of the log, for a converter that goes on: no test hangs.
    if (writers[0] < 0) writers[0] = ::open((dir / "m_DAT.LOG").c_str(), O_WRONLY | O_NONBLOCK);
    for (const int writer : writers) ::close(writer);
    run.join();

    const std::string stopped =
        std::string("velunor-convert: Abbruch durch SIG") + sigabbrev_np(signal) +
        (fifos.size() > 1 ? "; die Ausgaben enden" : "; die Ausgabe endet") +
        " mit dem letzten vollständigen Datensatz.\n";
    EXPECT_EQ(result.ExitStatus, ignored ? 0 : 128 + signal) << signal;
    EXPECT_EQ(result.Err, ignored ? "" : stopped);
    EXPECT_EQ(result.Out.empty(), !ignored);  // the summary only of a run that went on
    for (const std::string& name : fifos) EXPECT_EQ(ReadFile(dir / (name + ".CSV")), csv) << signal;
    EXPECT_FALSE(fs::exists(dir / "c.CSV"));
  }
}

// Logs waiting behind a slow one keep their rows neither in a file nor in memory: a log whose rows
// fit a small buffer is converted and waits; one with more waits mid-run. Under a limit of 24 open
// files, 60 logs of 800 faulty lines each all come through, their rows in the order of the logs.
TEST(RejectedReport, LogsWaitingBehindASlowOneHoldNoFile) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "a_DAT.LOG").c_str(), 0600), 0);
  std::vector<std::string> args{"-c", "ulimit -n 24; exec \"$0\" \"$@\"", VELUNOR_CONVERT_PATH};
  args.insert(args.end(), {"--jobs=3", "--rejected=r.csv", "a_DAT.LOG", "s_DAT.LOG"});
  const std::string faulty = "$1;1;;" + std::string(48, '0') + "\r\n";
  WriteFile(dir / "s_DAT.LOG", faulty + Ticks(1));
  std::string many, expected = "Datei;Zeile;Kanal;L\xE4nge;erwartet\r\ns_DAT.LOG;1;$1;54;55\r\n";
  for (int line = 0; line < 800; ++line) many += faulty;
  for (int log = 1; log <= 60; ++log) {
    const std::string name = "l" + std::to_string(log) + "_DAT.LOG";
    WriteFile(dir / name, many + Ticks(1));
    args.push_back(name);
    for (int line = 1; line <= 800; ++line)
      expected += name + ";" + std::to_string(line) + ";$1;54;55\r\n";
  }
  ChildResult result;
  std::thread run([&] { result = RunChild("/bin/sh", args, dir.Path().string()); });
  const int writer = Send(dir / "a_DAT.LOG", Ticks(1));
  EXPECT_TRUE(Eventually([&] { return ReadFile(dir / "s.CSV") == Ticks(1); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // time enough to go on, if it could
  EXPECT_EQ(ReadFile(dir / "l1.CSV"), "");
  EXPECT_FALSE(fs::exists(dir / "l2.CSV"));
  ::close(writer);
  run.join();
  EXPECT_EQ(result.ExitStatus, 0) << result.Err.substr(0, 200);
  EXPECT_EQ(result.Err, "");  // no terminal, no progress line, however long the run waited
  EXPECT_EQ(ReadFile(dir / "l60.CSV"), Ticks(1));
  EXPECT_TRUE(ReadFile(dir / "r.csv") == expected) << "the report (too long to be shown)";
}

// A report on a device, which is neither locked nor emptied, is closed with the call like a file.
TEST(RejectedReport, OnADeviceLeavesNoFileOpen) {
  const auto open = OpenFiles();
  ConvertLogs(ParseCommandLine({"--rejected=/dev/null", "m_DAT.LOG"}));
  EXPECT_EQ(OpenFiles(), open);
}

// Without standard output (a Windows program started without one), no named file stands for it.
TEST(StandardOutput, NoneIsNoFile) {
  const int kept = ::dup(STDOUT_FILENO);
  ::close(STDOUT_FILENO);
  const bool taken = IsStandardOutput(VELUNOR_CONVERT_PATH);  // a file as any other
  ::dup2(kept, STDOUT_FILENO);
  ::close(kept);
  EXPECT_FALSE(taken);
}

}  // namespace
}  // namespace velunor::testing
