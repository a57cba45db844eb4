#include "output_clashes.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <regex>

#include "device_names.h"
#include "log_name.h"
#include "log_run.h"
#include "native_file.h"
#include "path_spelling.h"
#include "rejected_report.h"

namespace velunor {
namespace {

namespace fs = std::filesystem;

// A file as the system sees it: its absolute path with links and ".." resolved as far as it
// exists (in capitals where letter case does not matter), and its identity when it exists (which
// also finds a hard link).
struct FileKey {
  std::string Path;
  std::optional<FileIdentity> Identity;
};

FileKey KeyOf(const std::string& name) {
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  if (!error) path = fs::weakly_canonical(path, error);
  if (error || path.empty()) path = fs::path(name).lexically_normal();  // no working folder
  return {ComparablePath(path.string()), IdentityOfPath(name)};
}

bool Same(const FileKey& a, const FileKey& b) {
  return a.Path == b.Path || (a.Identity && b.Identity && SameFile(*a.Identity, *b.Identity));
}

// Whether `file` is one of the slice files of a log whose output base is `base`.
bool IsSliceOf(const FileKey& file, const FileKey& base) {
  static const std::regex kSuffix("_[0-9]{2,}d[0-9]{2}h[0-9]{2}m\\.CSV",
                                  kNamesIgnoreCase ? std::regex::icase : std::regex::ECMAScript);
  return file.Path.starts_with(base.Path) &&
         std::regex_match(file.Path.substr(base.Path.size()), kSuffix);
}

}  // namespace

void RefuseClashingOutputs(const CommandLine& commandLine) {
  RefuseDeviceOutputs(commandLine);
  const std::vector<std::string>& logs = commandLine.LogFiles;
  const bool split = commandLine.Options.SplitMinutes > 0;
  std::vector<FileKey> outputs;
  for (const std::string& log : logs) outputs.push_back(KeyOf(OutputPathOf(log, commandLine)));
  for (std::size_t i = 0; i < logs.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (Same(outputs[i], outputs[j])) {
        throw UsageError{"Zwei Log-Dateien würden in dieselbe Ausgabe schreiben: " + logs[j] +
                         " und " + logs[i] + "."};
      }
    }
  }
  if (!commandLine.RejectedPath) return;
  const std::string& rejected = *commandLine.RejectedPath;
  if (RejectedReportOnStandardOutput(rejected)) {
    const auto csvThere = [&](const std::string& log) {
      return CsvGoesToStandardOutput(log, commandLine);
    };
    if (std::any_of(logs.begin(), logs.end(), csvThere)) {
      throw UsageError{
          "Die CSV-Ausgabe und --rejected können nicht beide auf die Standardausgabe gehen."};
    }
    return;
  }
  const FileKey report = KeyOf(rejected);
  for (std::size_t i = 0; i < logs.size(); ++i) {
    const bool clash = Same(report, KeyOf(logs[i])) || Same(report, outputs[i]) ||
                       (split && IsSliceOf(report, KeyOf(OutputBaseOf(logs[i]))));
    if (clash) {
      throw UsageError{"Die Datei für --rejected ist zugleich Log-Datei oder Ausgabe von " +
                       logs[i] + ": " + rejected + "."};
    }
  }
}

}  // namespace velunor
