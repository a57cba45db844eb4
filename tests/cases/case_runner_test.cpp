// Runs every folder beside this file as one case, its files as README.md "Tests" describes them. A
// plain call of one log runs again in-process at tiny block sizes, for the reader's block edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "child_process.h"
#include "command_line.h"
#include "duration_labels.h"
#include "log_name.h"
#include "open_files.h"
#include "recording_window.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
  return fs::exists(fs::symlink_status(path));
}

// A file's bytes, where a link points (it may lead to something unreadable), or that it is absent.
std::string Content(const fs::path& path) {
  if (!Exists(path)) return "(no file)";
  return fs::is_symlink(path) ? "(link to " + fs::read_symlink(path).string() + ")"
                              : ReadFile(path);
}

std::vector<std::string> WordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream args(line);
  for (std::string word; args >> word;) words.push_back(word == "''" ? "" : word);
  return words;
}

void LayOut(const fs::path& folder, const fs::path& work) {
  if (Exists(folder / "in"))
    fs::copy(folder / "in", work, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  // A second name of a file (`FILE NAME`), which git cannot hold.
  if (const auto names = WordsOf(ReadFile(folder / "hard-link")); !names.empty())
    fs::create_hard_link(work / names.at(0), work / names.at(1));
}

// Every file of the working folder is as out/ has it, or else as in/ laid it; no other is there.
void ExpectFiles(const fs::path& folder, const fs::path& work, const std::string& run) {
  std::set<fs::path> names;
  std::error_code absent;  // a case without in/ or out/
  for (const fs::path& root : {work, folder / "in", folder / "out"})
    for (const auto& entry : fs::recursive_directory_iterator(root, absent))
      if (!entry.is_directory()) names.insert(entry.path().lexically_relative(root));
  for (const fs::path& name : names) {
    const fs::path out = folder / "out" / name;
    EXPECT_EQ(Content(work / name), Content(Exists(out) ? out : folder / "in" / name))
        << run << ", " << name;
  }
}

// What the converter's main() does with a plain call of one log, through RunConversion itself at
// tiny block sizes. Other calls, and calls this runner does not know, run only as a program.
void RunInProcess(const fs::path& folder, const std::vector<std::string>& words) {
  const CommandLine call = ParseCommandLine(words);  // refused calls end with 2, never here
  const std::optional<std::string>& to = call.OutputPath;
  if (call.ShowHelp || call.ShowVersion || call.Jobs != 0 || call.RejectedPath ||
      call.LogFiles.size() != 1 || !IsAcceptedLogName(call.LogFiles[0]) ||
      (to && (*to == "-" || to->starts_with("/"))) ||
      fs::is_symlink(folder / "in" / call.LogFiles[0]))
    return;

  for (const std::size_t block : {1, 2, 3, 7, 64, 4096, 1 << 20}) {
    TempDir work;
    LayOut(folder, work.Path());
    // Names in UTF-8, as the converter takes them on every system.
    const std::u8string folderName = work.Path().u8string() + u8"/";
    const std::string at(folderName.begin(), folderName.end());
    const std::string input = at + call.LogFiles[0], base = OutputBaseOf(input);
    const std::string output =
        to ? at + *to : base + (call.Options.SplitMinutes > 0 ? FormatSliceSuffix(0) : "") + ".CSV";
    RecordingWindow window;
    std::string out, err;
    const std::ptrdiff_t open = OpenFiles();
    try {
      const RunTotals totals = RunConversion(input, output, base, call.Options, window, block);
      out = SummaryText(totals) + "\n";
      EXPECT_EQ(window.Written, totals.BytesWritten);
    } catch (const RunTimeError& error) {
      err = ErrorText(error) + "\n";
    }
    const std::string run = "RunConversion at block size " + std::to_string(block);
    EXPECT_EQ(out, ReadFile(folder / "stdout")) << run;
    // The program names the file an error concerns before the error's text.
    const std::string message = ReadFile(folder / "stderr");
    EXPECT_EQ(err, message.substr(message.rfind(':', message.find(" - ")) + 1)) << run;
    ExpectFiles(folder, work.Path(), run);
    EXPECT_EQ(OpenFiles(), open) << run;
    if (block == 4096 && Exists(folder / "window-calls")) {
      EXPECT_EQ(window.Calls + "\n", ReadFile(folder / "window-calls"));
    }
  }
}

// One call of the converter in a fresh working folder laid out from in/.
void ExpectCall(const fs::path& folder, std::vector<std::string> words, const std::string& out,
                const std::string& err, int status) {
  TempDir work;
  LayOut(folder, work.Path());
  std::string program = VELUNOR_CONVERT_PATH;
  if (Exists(folder / "shell")) {  // a Linux case alone
    words.insert(words.begin(), {"-c", ReadFile(folder / "shell"), program});
    program = "/bin/sh";
  }
  // Another program's hold while the call runs: a lock; on Windows, a handle sharing only reading.
  const bool holds = Exists(folder / "hold");
  const fs::path held = holds ? work.Path() / WordsOf(ReadFile(folder / "hold")).at(0) : "";
#ifdef _WIN32
  const HANDLE hold = holds ? ::CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                            : INVALID_HANDLE_VALUE;
  const ChildResult result = RunChild(program, words, work.Path().string());
  if (holds) ::CloseHandle(hold);
#else
  const int hold = holds ? ::open(held.c_str(), O_RDONLY | O_CLOEXEC) : -1;
  EXPECT_TRUE(!holds || ::flock(hold, LOCK_EX) == 0) << held;
  const ChildResult result = RunChild(program, words, work.Path().string());
  ::close(hold);
#endif
  EXPECT_EQ(result.ExitStatus, status) << words.back();
  EXPECT_EQ(result.Out, out);
  EXPECT_EQ(result.Err, err);
  ExpectFiles(folder, work.Path(), "velunor-convert");
}

class Case : public ::testing::TestWithParam<fs::path> {};

TEST_P(Case, Run) {
  const fs::path& folder = GetParam();
#ifdef _WIN32
  if (Exists(folder / "linux-only")) GTEST_SKIP() << "needs Linux (a link, a device file)";
#else
  if (Exists(folder / "windows-only")) GTEST_SKIP() << "about Windows alone";
#endif
#ifdef __SANITIZE_ADDRESS__
  if (Exists(folder / "no-sanitizers")) GTEST_SKIP() << "limits what the sanitizers need";
#endif
  const int status = Exists(folder / "status") ? std::stoi(ReadFile(folder / "status")) : 0;
  if (Exists(folder / "calls")) {
    std::istringstream calls(ReadFile(folder / "calls"));
    for (std::string args, line; std::getline(calls, args);) {
      std::string err;
      while (std::getline(calls, line) && !line.empty()) err += line + "\n";
      ExpectCall(folder, WordsOf(args), "", err + ReadFile(folder / "stderr-tail"), status);
    }
    return;
  }
  const std::vector<std::string> words = WordsOf(ReadFile(folder / "args"));
  ExpectCall(folder, words, ReadFile(folder / "stdout"), ReadFile(folder / "stderr"), status);
  if (status <= 1 && !Exists(folder / "shell") && !Exists(folder / "hold"))
    RunInProcess(folder, words);
}

std::vector<fs::path> AllCases() {
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(VELUNOR_CASES_DIR))
    if (entry.is_directory()) folders.push_back(entry.path());
  return folders;
}

// Folder names are small letters, digits and hyphens; tests/CMakeLists.txt names them alike.
INSTANTIATE_TEST_SUITE_P(Cases, Case, ::testing::ValuesIn(AllCases()), [](const auto& info) {
  std::string name = info.param.filename().string();
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

}  // namespace
}  // namespace velunor::testing
