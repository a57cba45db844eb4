// Runs every folder beside this file as one case: its `args` through velunor-convert in a fresh
// working folder laid out from `in/`, compared byte for byte with `stdout`, `stderr`, `status`
// and `out/`. A case that is one plain conversion of one log runs again in-process through
// RunConversion at tiny block sizes, so that the same cases cover every block boundary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>

#include "child_process.h"
#include "command_line.h"
#include "duration_labels.h"
#include "log_name.h"
#include "run_conversion.h"
#include "run_time_error.h"
#include "temp_dir.h"

namespace velunor::testing {
namespace {

namespace fs = std::filesystem;

std::string Shown(std::string_view bytes) {
  std::string shown;
  for (const unsigned char c : bytes) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    shown += c == '\r'                            ? "\\r"
             : c == '\n'                          ? "\\n"
             : c >= 0x20 && c < 0x7F && c != '\\' ? std::string(1, static_cast<char>(c))
                                                  : hex;
  }
  return shown;
}

void ExpectSame(const std::string& what, const std::string& actual, const std::string& expected) {
  if (actual == expected) return;
  const auto at = static_cast<std::size_t>(
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
      actual.begin());
  const std::size_t from = at < 30 ? 0 : at - 30;  // some bytes before the first difference
  ADD_FAILURE() << what << " differs at byte " << at << " (" << actual.size() << " bytes, "
                << expected.size() << " expected), from byte " << from
                << ":\n  actual:   " << Shown(actual.substr(from, 80))
                << "\n  expected: " << Shown(expected.substr(std::min(from, expected.size()), 80));
}

bool Exists(const fs::path& path) {
  return fs::exists(fs::symlink_status(path));
}

// A file's bytes, or where a link points (a link may lead to something that cannot be read).
std::string Content(const fs::path& path) {
  return fs::is_symlink(path) ? "link to " + fs::read_symlink(path).string() : ReadFile(path);
}

void LayOut(const fs::path& folder, const fs::path& work) {
  if (Exists(folder / "in")) {
    fs::copy(folder / "in", work, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
}

// Every file of the working folder is as out/ has it, or else as in/ laid it; none is missing.
void ExpectFiles(const fs::path& folder, const fs::path& work, const std::string& run) {
  std::set<fs::path> names;
  for (const fs::path& root : {work, folder / "in", folder / "out"}) {
    if (!Exists(root)) continue;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (!entry.is_directory()) names.insert(entry.path().lexically_relative(root));
    }
  }
  for (const fs::path& name : names) {
    const fs::path expected =
        Exists(folder / "out" / name) ? folder / "out" / name : folder / "in" / name;
    if (!Exists(work / name)) {
      ADD_FAILURE() << run << ": " << name << " is missing";
    } else if (!Exists(expected)) {
      ADD_FAILURE() << run << ": " << name << " should not be there";
    } else {
      ExpectSame(run + ": " + name.string(), Content(work / name), Content(expected));
    }
  }
}

// The call as RunConversion takes it: only the options it knows, and one log.
struct Call {
  CommandLine Line;
  std::string Log;
};

std::optional<Call> InProcessCall(const std::vector<std::string>& words, int status) {
  if (status != 0 && status != 1) return {};
  Call call;
  int logs = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "-o" && i + 1 < words.size() && words[i + 1] != "-") {
      ++i;
    } else if (word.starts_with("-")) {
      if (!word.starts_with("--status=") && !word.starts_with("--split=") && word != "--append")
        return {};
    } else {
      call.Log = word;
      ++logs;
    }
  }
  try {
    call.Line = ParseCommandLine(words);
  } catch (...) {
    return {};
  }
  if (logs != 1 || !IsAcceptedLogName(call.Log)) return {};
  return call;
}

struct QuietWindow : RunWindow {
  void SetProgress(int) override {}
  void ProcessPendingEvents() override {}
  void StartOutputSizeDisplay() override {}
  void StopOutputSizeDisplay() override {}
  std::int32_t& BytesWritten() override { return Written; }
  std::int32_t Written = 0;
};

// What main() does with the call, through RunConversion itself.
void RunInProcess(const fs::path& folder, const Call& call, std::size_t block) {
  TempDir work;
  LayOut(folder, work.Path());
  const RunOptions& options = call.Line.Options;
  const std::string input = (work.Path() / call.Log).string();
  const std::string base = OutputBaseOf(input);
  std::string output = base + (options.SplitMinutes > 0 ? FormatSliceSuffix(0) : "") + ".CSV";
  if (call.Line.OutputPath) output = (work.Path() / *call.Line.OutputPath).string();
  QuietWindow window;
  std::string out, err;
  try {
    out = SummaryText(RunConversion(input, output, base, options, window, block)) + "\n";
  } catch (const RunTimeError& error) {
    err = ErrorText(error) + "\n";
  }
  const std::string run = "RunConversion, block size " + std::to_string(block);
  ExpectSame(run + ", summary", out, ReadFile(folder / "stdout"));
  ExpectSame(run + ", error", err, ReadFile(folder / "stderr"));
  ExpectFiles(folder, work.Path(), run);
}

class Case : public ::testing::TestWithParam<fs::path> {};

TEST_P(Case, Run) {
  const fs::path& folder = GetParam();
  std::vector<std::string> words;
  std::istringstream args(ReadFile(folder / "args"));
  for (std::string word; args >> word;) words.push_back(word);
  const int status = Exists(folder / "status") ? std::stoi(ReadFile(folder / "status")) : 0;

  TempDir work;
  LayOut(folder, work.Path());
  const ChildResult result = RunChild(VELUNOR_CONVERT_PATH, words, {work.Path().string()});
  EXPECT_EQ(result.ExitStatus, status);
  ExpectSame("stdout", result.Out, ReadFile(folder / "stdout"));
  ExpectSame("stderr", result.Err, ReadFile(folder / "stderr"));
  ExpectFiles(folder, work.Path(), "velunor-convert");

  if (const std::optional<Call> call = InProcessCall(words, status)) {
    for (std::size_t block : {1, 2, 3, 7, 64}) RunInProcess(folder, *call, block);
    RunInProcess(folder, *call, LineReader::kDefaultBlockSize);
  }
}

std::vector<fs::path> AllCases() {
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(VELUNOR_CASES_DIR)) {
    if (entry.is_directory()) folders.push_back(entry.path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

// The name ctest knows the case by (tests/CMakeLists.txt makes the same).
std::string Identifier(const fs::path& folder) {
  std::string name = folder.filename().string();
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return std::isdigit(static_cast<unsigned char>(name[0])) ? "_" + name : name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Case, ::testing::ValuesIn(AllCases()),
                         [](const auto& info) { return Identifier(info.param); });

}  // namespace
}  // namespace velunor::testing
